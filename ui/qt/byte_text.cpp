#include "ui/qt/byte_text.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at `bytes[i]` (Unicode's
// table 3-7: no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t SequenceLength(std::string_view bytes, std::size_t i, char32_t& codePoint) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
    const std::size_t left = bytes.size() - i;
    const unsigned char b0 = at(0);
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF && left >= 2 && IsContinuation(at(1))) {
        codePoint = (char32_t(b0 & 0x1F) << 6) | (at(1) & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && left >= 3) {
        const unsigned char low = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = b0 == 0xED ? 0x9F : 0xBF;
        if (at(1) >= low && at(1) <= high && IsContinuation(at(2))) {
            codePoint =
                (char32_t(b0 & 0x0F) << 12) | (char32_t(at(1) & 0x3F) << 6) | (at(2) & 0x3F);
            return 3;
        }
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && left >= 4) {
        const unsigned char low = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = b0 == 0xF4 ? 0x8F : 0xBF;
        if (at(1) >= low && at(1) <= high && IsContinuation(at(2)) && IsContinuation(at(3))) {
            codePoint = (char32_t(b0 & 0x07) << 18) | (char32_t(at(1) & 0x3F) << 12) |
                        (char32_t(at(2) & 0x3F) << 6) | (at(3) & 0x3F);
            return 4;
        }
    }
    return 0;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

QString TextFromBytes(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t codePoint = 0;
        const std::size_t length = SequenceLength(bytes, i, codePoint);
        if (length == 0) {
            text +=
                QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (codePoint >= 0x10000) {
            const char32_t v = codePoint - 0x10000;
            text += QChar(static_cast<char16_t>(0xD800 + (v >> 10)));
            text += QChar(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            text += QChar(static_cast<char16_t>(codePoint));
        }
        i += length;
    }
    return text;
}

std::string BytesFromText(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1].isLowSurrogate()) {
            const char16_t low = text[i + 1].unicode();
            AppendUtf8(bytes,
                       0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(low) - 0xDC00));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            bytes += static_cast<char>(unit - kEscapeBase); // a byte that was not UTF-8
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(bytes, 0xFFFD); // a surrogate of no pair: no byte of ours
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

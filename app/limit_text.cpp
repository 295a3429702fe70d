#include "app/limit_text.h"

namespace {

constexpr std::size_t kMaxBytes = 31;
constexpr std::uint32_t kMaxValue = 4294967295u;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsSpace(char c) {
    return IsBlank(c) || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<std::uint32_t> ParseLimitText(std::string_view text) {
    // The box is read as a C string into a 32-byte buffer.
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, kMaxBytes);

    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const std::size_t first = i;
    if (i < text.size() && text[i] == '-')
        return std::nullopt;

    // An unsigned conversion: white space, one sign, the longest digit run.
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    bool saturated = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > kMaxValue) {
            saturated = true;
            value = kMaxValue; // keeps the product below 2^64 for the next digit
        }
    }
    std::uint32_t result = static_cast<std::uint32_t>(value);
    if (negative && !saturated)
        result = 0u - result;

    if (result == 0 && (first >= text.size() || text[first] != '0'))
        return std::nullopt;

    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    return result;
}

// Titles and name patterns on arbitrary byte names.
//
// Input: a mask, a 0xFF byte, then a name (without the 0xFF the whole input is
// the name and a fixed mask is used).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_name.h"
#include "fuzz_check.h"

namespace {

// Lead bytes of code page 932, the narrow encoding of the Windows build.
bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The plain dynamic-programming match that MatchesMask must agree with.
bool ReferenceMatch(std::string_view name, std::string_view mask) {
    std::vector<char> row(name.size() + 1, 0), next(name.size() + 1, 0);
    row[0] = 1;
    for (const char m : mask) {
        next[0] = m == '*' && row[0];
        for (std::size_t n = 1; n <= name.size(); ++n) {
            if (m == '*')
                next[n] = row[n] || next[n - 1];
            else
                next[n] = row[n - 1] && (m == '?' || Lower(m) == Lower(name[n - 1]));
        }
        row.swap(next);
    }
    return row[name.size()];
}

void CheckTitle(std::string_view name, LeadByteTest leadBytes) {
    const std::string title = FileTitle(name, leadBytes);
    // A title is a prefix of its name, cut at a "." or not cut at all.
    FUZZ_CHECK(title.size() <= name.size());
    FUZZ_CHECK(name.compare(0, title.size(), title) == 0);
    if (title.size() < name.size())
        FUZZ_CHECK(name[title.size()] == '.');
    if (!leadBytes) {
        // Without double-byte characters the cut is at the last "." exactly.
        const std::size_t dot = name.rfind('.');
        FUZZ_CHECK(title.size() == (dot == std::string_view::npos ? name.size() : dot));
    } else {
        FUZZ_CHECK(FindLastChar(name, '.', leadBytes) ==
                   (title.size() == name.size() ? std::string_view::npos : title.size()));
    }
}

void CheckMask(std::string_view name, std::string_view mask) {
    FUZZ_CHECK(MatchesMask(name, mask) == ReferenceMatch(name, mask));
    FUZZ_CHECK(MatchesMask(name, "*"));
    FUZZ_CHECK(MatchesMask(name, std::string(name.size(), '?')));
    // A mask matches the name it was made from ("*" and "?" included).
    FUZZ_CHECK(MatchesMask(name, name));
    // The worker's pattern: names ending in ".flv", ASCII case ignored.
    const bool flv =
        name.size() >= 4 && EqualsIgnoringAsciiCase(name.substr(name.size() - 4), ".flv");
    FUZZ_CHECK(MatchesMask(name, "*.flv") == flv);
}

void CheckCaseFolding(std::string_view a, std::string_view b) {
    FUZZ_CHECK(EqualsIgnoringAsciiCase(a, b) == EqualsIgnoringAsciiCase(b, a));
    FUZZ_CHECK(EqualsIgnoringAsciiCase(a, a));
    std::string upper(a);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    FUZZ_CHECK(EqualsIgnoringAsciiCase(a, upper));
    // The order of titles: without double-byte characters the same rule;
    // with them, a second byte is never folded, so no two texts are joined
    // that differ beyond ASCII case.
    FUZZ_CHECK((CompareIgnoringAsciiCase(a, b, nullptr) == 0) == EqualsIgnoringAsciiCase(a, b));
    for (const LeadByteTest leadBytes : {LeadByteTest{nullptr}, LeadByteTest{IsCp932LeadByte}}) {
        const int order = CompareIgnoringAsciiCase(a, b, leadBytes);
        FUZZ_CHECK(order == -CompareIgnoringAsciiCase(b, a, leadBytes));
        FUZZ_CHECK(order != 0 || EqualsIgnoringAsciiCase(a, b));
    }
}

void CheckWatchDir(std::string_view text, LeadByteTest leadBytes) {
    std::string folder(text);
    NormaliseWatchDir(folder, leadBytes);
    // The result ends in the separator as a character of its own, or is the
    // text unchanged (a text that ends in a lead byte without its second byte).
    FUZZ_CHECK(folder.empty() || EndsInSeparator(folder, leadBytes) || folder == text);
    FUZZ_CHECK(folder.compare(0, text.size(), text) == 0);
    FUZZ_CHECK(folder.size() <= text.size() + 1);
    std::string again = folder;
    NormaliseWatchDir(again, leadBytes);
    FUZZ_CHECK(again == folder);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\xFF');
    const std::string_view mask =
        split == std::string_view::npos ? "*.mp4" : input.substr(0, split);
    const std::string_view name = split == std::string_view::npos ? input : input.substr(split + 1);

    CheckTitle(name, nullptr);
    CheckTitle(name, IsCp932LeadByte);
    CheckMask(name, mask);
    CheckCaseFolding(name, mask);
    CheckWatchDir(name, nullptr);
    CheckWatchDir(name, IsCp932LeadByte);
    return 0;
}

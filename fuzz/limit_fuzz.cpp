// The limit exchange of the settings dialog on arbitrary box texts.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/limit_text.h"
#include "fuzz_check.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The exchange rebuilt on the C runtime's strtoull: the box as a C string of
// at most 31 bytes, a leading minus refused, values above 2^32-1 saturated,
// zero only from a leading "0", then nothing but blanks and tabs.
std::optional<std::uint32_t> Reference(std::string_view box) {
    std::string text(box.substr(0, box.find('\0')).substr(0, 31));
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    if (first < text.size() && text[first] == '-')
        return std::nullopt;
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(start, &end, 10);
    // strtoull negates before it checks the range; the exchange saturates on
    // the digits alone.
    std::size_t signAt = text.find_first_not_of(" \t\n\v\f\r");
    const bool negative = signAt != std::string::npos && text[signAt] == '-';
    unsigned long long magnitude = negative ? 0ull - value : value;
    if (errno == ERANGE)
        magnitude = ~0ull;
    std::uint32_t result;
    if (magnitude > 4294967295ull)
        result = 4294967295u;
    else
        result = static_cast<std::uint32_t>(negative ? 0ull - magnitude : magnitude);
    if (result == 0 && (first >= text.size() || text[first] != '0'))
        return std::nullopt;
    for (const char* p = end; *p; ++p)
        if (!IsBlank(*p))
            return std::nullopt;
    return result;
}

void CheckAgainstReference(std::string_view text) {
    const std::optional<std::uint32_t> taken = ParseLimitText(text);
    FUZZ_CHECK(taken == Reference(text));
    // Bytes after the 31st never count.
    FUZZ_CHECK(taken == ParseLimitText(text.substr(0, 31)));
}

// Whatever the box shows ("%u") is taken back as the same limit, also with
// blanks, tabs and leading zeros around it.
void CheckShownValue(std::uint32_t value) {
    const std::string shown = std::to_string(value);
    FUZZ_CHECK(ParseLimitText(shown) == value);
    FUZZ_CHECK(ParseLimitText(" \t" + shown + "\t ") == value);
    FUZZ_CHECK(ParseLimitText("000" + shown) == value);
    FUZZ_CHECK(!ParseLimitText("-" + shown).has_value());
    FUZZ_CHECK(!ParseLimitText(shown + "x").has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckAgainstReference(text);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && i < size; ++i)
        value = (value << 8) | data[i];
    CheckShownValue(value);
    return 0;
}

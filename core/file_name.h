// Byte-string helpers for names and paths.
#pragma once

#include <string>
#include <string_view>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Tells the first bytes of double-byte characters in the system's narrow
// encoding (code page 932 on a Japanese Windows), whose second bytes may
// equal a "." or a "\\"; null where the encoding needs no such care (UTF-8).
using LeadByteTest = bool (*)(unsigned char);

// Where the character after the one at `i` begins: a lead byte and the byte
// after it are one character, a lead byte at the end stands alone, and
// without a lead-byte test every byte is one. Every walk over narrow text
// steps with it, so that no second byte is ever read as a character.
std::size_t NextChar(std::string_view text, std::size_t i, LeadByteTest isLeadByte);

// The longest start of `text` of at most `maxBytes` bytes that ends on a
// character boundary. With a lead-byte test the text is double-byte;
// without one it is UTF-8, and a character cut in two is dropped whole.
std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes, LeadByteTest isLeadByte);

// The name without its last extension: everything before the last "." that
// is not the second byte of a double-byte character. A name without "." is
// its own title.
std::string FileTitle(std::string_view name, LeadByteTest isLeadByte = nullptr);

// Index of the last `c` in `text` that is a character of its own (not the
// second byte of a double-byte character), or npos.
std::size_t FindLastChar(std::string_view text, char c, LeadByteTest isLeadByte);

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Orders two texts byte by byte with the case of ASCII letters ignored:
// negative, 0 or positive. With a lead-byte test a double-byte character
// compares whole and as it is, so that its second byte is never folded.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b, LeadByteTest isLeadByte);

// True when the name ends in the extension (".mp4"), ASCII case ignored: what
// the mask "*.mp4" matches, told without a wildcard match.
bool HasExtension(std::string_view name, std::string_view extension);

// Matches a name against a mask made of literal bytes, "*" (any run) and "?"
// (any one byte), ASCII case ignored.
bool MatchesMask(std::string_view name, std::string_view mask);

// Appends the separator to a non-empty folder whose last character is not
// one. With a lead-byte test the folder is read by character, so that a
// double-byte character whose second byte equals the separator (code page
// 932's "表", 0x95 0x5C) is not taken for it. A folder that ends in a lead
// byte without its second byte is left as it is.
void NormaliseWatchDir(std::string& folder, LeadByteTest isLeadByte = nullptr);

// Everything up to and including the last separator of `path` ("/", and on
// Windows "\\" too), read by character; empty when it has none. What
// follows is the file name, or a search's mask.
std::string FolderOf(std::string_view path, LeadByteTest isLeadByte);

// True when the last character of `path` is the separator.
bool EndsInSeparator(std::string_view path, LeadByteTest isLeadByte);

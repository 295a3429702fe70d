// The settings file on arbitrary bytes: NULs, carriage returns, no line ends,
// very long lines.
//
// Input: one byte that picks how the rest is used, then the bytes. Mode 0
// reads the bytes as they are; mode 1 first repeats them up to 256 KiB, so
// that lines far longer than the reader's buffer are tried; mode 2 makes a
// record of them (strings cut at NULs) and writes it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/the_file_system.h"
#include "settings/settings_store.h"

namespace {

std::string g_folder;

std::string FilePath() {
    return g_folder + "/Kovaset.ini";
}

void WriteRaw(const std::string& bytes) {
    std::FILE* file = std::fopen(FilePath().c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    FUZZ_CHECK(std::fclose(file) == 0);
}

std::string ReadRaw() {
    std::string bytes;
    std::FILE* file = std::fopen(FilePath().c_str(), "rb");
    FUZZ_CHECK(file != nullptr);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

// A record that no file gives, so that every value read shows.
SettingsRecord Sentinel() {
    return {"\x01sentinel-folder", "\x01sentinel-program", 0xDEADBEEFu};
}

// The reader as a C runtime reads the file: pieces of at most 1023 bytes
// that end after a line feed; the stream is at its end after a piece that the
// data ended early. Each setting is its piece cut at CR, LF or NUL.
SettingsRecord Expected(const std::string& bytes) {
    SettingsRecord record = Sentinel();
    std::string* strings[] = {&record.strWatchDir, &record.strProgram};
    std::size_t pos = 0;
    for (int line = 0; line < 3 && pos < bytes.size(); ++line) {
        std::size_t end = pos;
        while (end < bytes.size() && end - pos < 1023 && (end == pos || bytes[end - 1] != '\n'))
            ++end;
        const bool atEnd = end == bytes.size() && end - pos < 1023 && bytes[end - 1] != '\n';
        std::string piece = bytes.substr(pos, end - pos);
        piece = piece.substr(0, piece.find_first_of(std::string("\r\n\0", 3)));
        if (line < 2) {
            *strings[line] = piece;
        } else {
            std::size_t i = piece.find_first_not_of(" \t\n\v\f\r");
            i = i == std::string::npos ? piece.size() : i;
            const bool negative = i < piece.size() && piece[i] == '-';
            if (i < piece.size() && (piece[i] == '-' || piece[i] == '+'))
                ++i;
            std::uint64_t value = 0;
            for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i)
                value = value * 10 + static_cast<std::uint64_t>(piece[i] - '0');
            record.nLimitMB = static_cast<std::uint32_t>(negative ? 0 - value : value);
        }
        pos = end;
        if (atEnd)
            break;
    }
    return record;
}

// A string survives the file when it fits one read and holds no line end
// or NUL.
bool Storable(const std::string& text) {
    return text.size() <= 1022 && text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

void CheckRoundTrip(const SettingsRecord& record) {
    if (!Storable(record.strWatchDir) || !Storable(record.strProgram))
        return;
    FUZZ_CHECK(SettingsStore(TheFileSystem(), FilePath()).Save(record));
    FUZZ_CHECK(ReadRaw() == FormatSettings(record));
    SettingsRecord back = Sentinel();
    SettingsStore(TheFileSystem(), FilePath()).Load(back);
    FUZZ_CHECK(back == record);
}

void CheckLoad(const std::string& bytes) {
    WriteRaw(bytes);
    SettingsRecord loaded = Sentinel();
    SettingsStore(TheFileSystem(), FilePath()).Load(loaded);
    FUZZ_CHECK(loaded == Expected(bytes));
    // What was read is written back and read again unchanged.
    CheckRoundTrip(loaded);
}

SettingsRecord RecordFrom(const std::string& bytes) {
    SettingsRecord record;
    const std::size_t first = bytes.find('\0');
    record.strWatchDir = bytes.substr(0, first);
    if (first != std::string::npos) {
        const std::size_t second = bytes.find('\0', first + 1);
        record.strProgram = bytes.substr(first + 1, second - first - 1);
    }
    for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i)
        record.nLimitMB =
            (record.nLimitMB << 8) | static_cast<unsigned char>(bytes[bytes.size() - 1 - i]);
    return record;
}

void RemoveFolder() {
    unlink(FilePath().c_str());
    rmdir(g_folder.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::vector<char> name(base.begin(), base.end());
    const std::string suffix = "/kovalin-fuzz-XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    FUZZ_CHECK(mkdtemp(name.data()) != nullptr);
    g_folder = name.data();
    std::atexit(RemoveFolder);

    // Files of 10 MB: one line without a line end, NULs only, and a 10 MB
    // first line followed by two ordinary ones.
    const std::size_t big = 10u << 20;
    CheckLoad(std::string(big, 'a'));
    CheckLoad(std::string(big, '\0'));
    CheckLoad(std::string(big, 'x') + "\n/usr/bin/conv\n500\n");
    CheckLoad(std::string(big, '\n'));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
        CheckLoad(bytes);
        break;
    case 1: {
        std::string stretched = bytes;
        while (!bytes.empty() && stretched.size() < (256u << 10))
            stretched += bytes;
        CheckLoad(stretched);
        break;
    }
    default:
        CheckRoundTrip(RecordFrom(bytes));
        break;
    }
    return 0;
}

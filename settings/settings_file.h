// "Kovaset.ini": the settings of the record, one per line, in the order of
// kSettingFields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings_record.h"

inline constexpr const char* kSettingsFileName = "Kovaset.ini";

// The settings file in `folder`; empty when the folder is.
std::string SettingsPathIn(const std::string& folder);

enum class LoadStatus {
    Read,       // the file was read (it may have had fewer lines than settings)
    Missing,    // there is no such file
    Unreadable, // it exists but could not be read (no permission, a folder)
};

struct LoadResult {
    LoadStatus status = LoadStatus::Read;
    int error = 0; // errno of the failure, when not Read
};

// The bytes the reader below needs at most: a piece of a line for each
// setting, with room to spare.
inline constexpr std::size_t kSettingsBytesRead = 4096;

// Reads the lines that the file's bytes have into the record, as the C
// runtime's fgets reads them into a 1024-byte buffer; what the bytes lack
// keeps its value.
void ReadSettings(std::string_view bytes, SettingsRecord& settings);

// The file's bytes for a record.
std::string FormatSettings(const SettingsRecord& settings);

// A number's line read as a C runtime reads a signed long: white space, an
// optional sign, digits up to the first other byte, modulo 2^32.
std::uint32_t ParseNumberLine(const char* text);

// The names of a save's temporary files: "<file name>.new-<process id>-<number>",
// in decimal digits, beside the file they replace.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kTemporaryMark = ".new-";

// A name of that pattern for `path`, new to this process.
std::string TemporaryFileName(const std::string& path, std::uint64_t processId);

// True when `name` is a temporary file's name of `fileName` exactly;
// `processId` then holds the id of the process that made it.
bool IsTemporaryFileOf(std::string_view name, std::string_view fileName, std::uint64_t& processId);

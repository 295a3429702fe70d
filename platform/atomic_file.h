// Replacing a small file whole.
#pragma once

#include <string>

// Writes `bytes` to a new file beside `path` and moves it over `path`, so
// that readers and crashes see the old file or the new one, never a part.
// Where the folder refuses a new file, `path` is rewritten in place. False
// when the bytes could not be written.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

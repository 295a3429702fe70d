// The environment a converter gets on Windows, built as plain text so that
// it is tested on every system; platform/win32/process.cpp hands it to
// CreateProcessA. Kovalin's own environment stays as it is, and with it
// Kovalin's own search for the converter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/platform_port.h"

// The environment block for CreateProcessA (each "NAME=value" followed by a
// NUL, then one more NUL): the entries `inherited` (Kovalin's own, as
// GetEnvironmentStringsA lists them, the "=C:=C:\dir" entries of the drives'
// current folders among them, kept as they are) with
// - each variable of `added` set, in place of one of the same name (names
//   compare without regard to ASCII case, as on Windows);
// - NoDefaultCurrentDirectoryInExePath=1: neither cmd.exe nor CreateProcess
//   in the converter then takes a program from the current folder, where a
//   batch file that changes into the watch folder would find a planted one;
// - `kovalinFolder` appended to PATH, so that a bare "ffmpeg" still finds an
//   ffmpeg.exe beside Kovalin.exe; in double quotes when it holds a ";".
//   An empty folder adds nothing.
std::string ConverterEnvironmentBlock(const std::vector<std::string>& inherited,
                                      const ConverterEnvironment& added,
                                      std::string_view kovalinFolder);

// Starting a converter with a hidden window, and waiting for it.
#pragma once

#include <string>

#include "core/platform_port.h"
#include "platform/write_probe.h"

// Platform::StartHidden.
// - POSIX: no shell; the line is split by the Windows C runtime's rules
//   (platform/posix/word_splitting.h) and the program looked up like execvp; a
//   program file without "#!" runs through /bin/sh, as execvp runs it. The
//   converter reads /dev/null, runs in a session of its own with default
//   signal handling, and inherits no descriptor beyond 0, 1 and 2, but for
//   the recording as descriptor 3, which KOVALIN_FILE_FD=3 then names (the
//   variable is never inherited from this process). No title is ever
//   refused.
// - Windows: CreateProcessA, the window (a console program's or a batch
//   file's console) created hidden, normal priority, no inherited handle but
//   the recording's (only that one, where the system can name the handles
//   to inherit).
//   The program is found from the setting alone, as the system reads a
//   command line, and named to CreateProcessA, so that no title can choose
//   what runs; a setting that is empty or starts with a blank finds none. A
//   batch file runs through cmd.exe with the title made inert
//   (platform/cmd_escaping.h), or the title is refused. The environment also
//   holds no program search in the current folder and this program's folder
//   at the end of PATH (platform/environment_block.h); this process's own is
//   left unchanged.
ConverterStart StartConverter(const std::string& program, const std::string& title,
                              const ConverterEnvironment& environment,
                              const RecordingFile* recording = nullptr);

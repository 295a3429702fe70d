#pragma once

#include <string>

#include "core/platform.h"

// Starts the converter "program title" with CreateProcessA, its window (for
// a console program or a batch file, its console) created hidden, no
// inherited handles, normal priority. The program is found from the setting
// alone, as the system reads a command line, and named to CreateProcessA, so
// that no title can choose what runs; a setting that is empty or starts with
// a blank finds none. A batch file runs through cmd.exe with the title made
// inert (platform/cmd_line.h), or the title is refused. The converter's
// environment is this process's with `environment` added, no program search
// in the current folder and this program's folder at the end of PATH
// (platform/environment_block.h); this process's own is left unchanged.
ConverterStart StartConverter(const std::string& program, const std::string& title,
                              const ConverterEnvironment& environment = {});

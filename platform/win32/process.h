#pragma once

#include <memory>
#include <string>

#include "core/platform.h"

// Starts a converter with CreateProcessA: no application name, so the system
// takes the program (an executable or a batch file) from the start of the
// command line; no inherited handles; normal priority; the window, for a
// console program or a batch file its console, created hidden. A line whose
// program part is empty is refused, so that a file title is never run as a
// program.
// The converter's environment is this process's with `environment` added.
std::unique_ptr<ConverterProcess> StartConverter(const std::string& commandLine,
                                                 const ConverterEnvironment& environment = {});

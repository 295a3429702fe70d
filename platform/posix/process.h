#pragma once

#include <memory>
#include <string>

#include "core/platform.h"

// Starts a converter without a shell: the command line is split by the
// Windows C runtime's rules and the program is looked up like execvp. The
// converter reads /dev/null, runs in a session of its own with default signal
// handling, and inherits no descriptor beyond 0, 1 and 2. Its environment is
// this process's with `environment` added. A program file without "#!" runs
// through /bin/sh, as execvp runs it.
std::unique_ptr<ConverterProcess> StartConverter(const std::string& commandLine,
                                                 const ConverterEnvironment& environment = {});

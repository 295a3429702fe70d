// The running executable, as the system tells it.
#pragma once

#include <string>

// Its full path; empty when the system cannot tell (or the path was cut).
std::string ExecutablePath();

// Its folder with the trailing separator; empty when the system cannot tell.
std::string ExecutableDirectory();

// Its file name without the extension: the application's name.
std::string ExecutableTitle();

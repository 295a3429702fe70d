// How the helpers report a failed C library or POSIX call.
#pragma once

#include <string>

namespace test_support {

// Throws std::runtime_error naming `what` and errno's text.
[[noreturn]] void Fail(const std::string& what);

} // namespace test_support

// The text a user is shown for a failure caught anywhere.
#pragma once

#include <exception>
#include <string>

namespace trembla {

// what() of a std::exception (a host's error included: str() of a Python exception), else
// "unknown error".
std::string error_text(const std::exception_ptr& error);

}  // namespace trembla

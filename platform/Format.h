#pragma once
// printf-style formatting into a std::string; the format attribute lets the compiler
// check every argument against its conversion.

#include <string>

namespace plat
{

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace plat

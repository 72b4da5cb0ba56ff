#pragma once
// printf-style formatting into a std::string; the system's messages are printf patterns.

#include <string>

namespace kvt {

#if defined(__GNUC__)
#define KVT_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define KVT_PRINTF(fmt_index, first_arg)
#endif

std::string Format(const char* pattern, ...) KVT_PRINTF(1, 2);

}  // namespace kvt

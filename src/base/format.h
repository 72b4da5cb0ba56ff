#pragma once
// printf-style formatting into a std::string; the system's messages are printf patterns.

#include <cstdio>
#include <string>

namespace kvt {

#if defined(__MINGW_PRINTF_FORMAT)
// MinGW-w64 checks "printf" patterns against the system C runtime's printf, but Format
// formats with the C runtime's vsnprintf as the C++ library selects it: MinGW's own C99 one
// (__USE_MINGW_ANSI_STDIO), which takes %zu and %lld; its headers name the matching check.
#define KVT_PRINTF(fmt_index, first_arg) \
    __attribute__((format(__MINGW_PRINTF_FORMAT, fmt_index, first_arg)))
#elif defined(__GNUC__)
#define KVT_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define KVT_PRINTF(fmt_index, first_arg)
#endif

std::string Format(const char* pattern, ...) KVT_PRINTF(1, 2);

}  // namespace kvt

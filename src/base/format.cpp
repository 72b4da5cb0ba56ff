#include "base/format.h"

#include <cstdarg>
#include <cstdio>

namespace kvt {

std::string Format(const char* pattern, ...) {
    std::va_list args;
    va_start(args, pattern);
    std::va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string out;
    if (length > 0) {
        out.resize(static_cast<std::size_t>(length));
        std::vsnprintf(out.data(), out.size() + 1, pattern, args);
    }
    va_end(args);
    return out;
}

}  // namespace kvt

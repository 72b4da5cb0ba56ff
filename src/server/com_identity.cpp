#include "server/com_identity.h"

#include "base/errors.h"

namespace kvt::server {

namespace {

constexpr std::size_t kBareGuidLength = 36;

bool IsDashPosition(std::size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

WideString BracedGuid(std::string_view bare) {
    if (bare.size() != kBareGuidLength) {
        throw Exception("Malformed class identifier");
    }
    WideString out = u"{";
    for (std::size_t i = 0; i < bare.size(); ++i) {
        const char c = bare[i];
        if (IsDashPosition(i) ? c != '-' : !IsHexDigit(c)) {
            throw Exception("Malformed class identifier");
        }
        const bool lower = c >= 'a' && c <= 'z';
        out.push_back(static_cast<char16_t>(lower ? c - 'a' + 'A' : c));
    }
    out.push_back(u'}');
    return out;
}

}  // namespace kvt::server

#pragma once
// The two-character escapes of JSON strings, for the reader and the writer.

#include <array>

namespace kvt::json::detail {

struct ShortEscape {
    char byte;    // the byte in the string
    char letter;  // what follows the backslash
};

inline constexpr std::array<ShortEscape, 8> kShortEscapes = {{
    {'"', '"'},
    {'\\', '\\'},
    {'/', '/'},
    {'\b', 'b'},
    {'\f', 'f'},
    {'\n', 'n'},
    {'\r', 'r'},
    {'\t', 't'},
}};

// The table indexed by the ASCII code of either side; 0 where there is no escape.
struct EscapeLookup {
    std::array<char, 128> letter_of{};
    std::array<char, 128> byte_of{};
};

inline constexpr EscapeLookup kEscapeLookup = [] {
    EscapeLookup lookup;
    for (const ShortEscape& escape : kShortEscapes) {
        lookup.letter_of[static_cast<unsigned char>(escape.byte)] = escape.letter;
        lookup.byte_of[static_cast<unsigned char>(escape.letter)] = escape.byte;
    }
    return lookup;
}();

// The letter that escapes `byte`, or 0 when it has no short escape.
constexpr char EscapeLetterOf(unsigned char byte) {
    return byte < 128 ? kEscapeLookup.letter_of[byte] : '\0';
}

// The byte a backslash and `letter` stand for, or 0 when the letter escapes nothing.
constexpr char EscapedByteOf(unsigned char letter) {
    return letter < 128 ? kEscapeLookup.byte_of[letter] : '\0';
}

}  // namespace kvt::json::detail

#pragma once
// The name hash of object member names: a table-driven mix over the UTF-16 code units.

#include <array>
#include <cstdint>
#include <string_view>

namespace kvt::json {

// A permutation of 0..255 that drives NameHash.
extern const std::array<std::uint8_t, 256> NameHashTable;

// Hash of a member name; stops at the first U+0000 unit. "" gives 0, "abc" gives 12431.
std::uint32_t NameHash(std::u16string_view name);

}  // namespace kvt::json

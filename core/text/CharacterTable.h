#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarnith {

// The games' one-byte text encoding, as UTF-8 display text: one entry per byte value.
// Special glyphs are bracketed tokens, control codes a backslash and a letter, and every byte
// without a glyph is "?".
extern const std::array<std::string_view, 256> CharacterTable;

std::string DecodeCharacter(std::uint8_t byte);

} // namespace zarnith

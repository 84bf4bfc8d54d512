#pragma once

#include <array>
#include <string>

namespace zarnith {

class RomAccess;

inline constexpr int MoveCount = 354;

// Index i is the name of move i + 1.
using MoveNameList = std::array<std::string, MoveCount>;

// Reads the identified game's move names into names: zero bytes before a name are padding, a
// zero inside a name is a space, every 0xFF (and every read at the end of the file) ends one
// name, and reading stops after the last name, or after the list's own length of bytes (its
// slots after move 0's), where a name not ended by then ends. Returns false, leaving names
// untouched, when no game is identified for the open file.
bool ReadMoveNames(RomAccess& rom, MoveNameList& names);

} // namespace zarnith

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarnith {

class RomAccess;

// The games' own move lists name this many moves; hacks that add moves make the list longer,
// up to MaxMoveCount.
inline constexpr int MoveCount = 354;
inline constexpr int MaxMoveCount = 1023;

// Index i is the name of move i + 1; as many names as the list has moves.
using MoveNameList = std::vector<std::string>;

// Reads the identified game's move names into names, as the game reads them: move n's name is
// the bytes of the n-th 13-byte slot after move 0's, up to the slot's first 0xFF or its end
// (zero bytes before a name are padding, a zero inside a name is a space); nothing after that
// 0xFF is ever part of a name. At the game's own place (or where the names word points nowhere)
// the list names MoveCount moves. Elsewhere, where hacks move and lengthen the list, it is as
// long as the run of slots after move 0's that hold 1 to 12 characters followed by 0xFF, at
// least MoveCount and at most MaxMoveCount. Nothing past the list's last slot, or past the
// cartridge's address space (MaxRomSize), is read. Returns
// false, leaving names untouched, when no game is identified for the open file.
bool ReadMoveNames(RomAccess& rom, MoveNameList& names);

} // namespace zarnith

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

// Reads the identified game's move names into names: zero bytes before a name are padding, a
// zero inside a name is a space. At the game's own place (or where the names word points
// nowhere) there are MoveCount names, every 0xFF (and every read at the end of the file) ends
// one, and reading stops after the last name or at the end of the list's last slot, whatever the
// bytes hold. Elsewhere, where hacks move and lengthen the list, the list is as long as the run
// of well-formed 13-byte slots after move 0's (1 to 12 characters, then 0xFF, then only 0x00 or
// 0xFF), at least MoveCount and at most MaxMoveCount, and each name ends at its slot's first 0xFF
// or its slot's end. Returns false, leaving names untouched, when no game is identified for the
// open file.
bool ReadMoveNames(RomAccess& rom, MoveNameList& names);

} // namespace zarnith

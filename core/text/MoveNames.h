#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarnith {

class RomAccess;
class RomFile;

// The games' own move lists name this many moves; hacks that add moves make the list longer,
// up to MaxMoveCount.
inline constexpr int MoveCount = 354;
inline constexpr int MaxMoveCount = 1023;

// Index i is the name of move i + 1; as many names as the list has moves.
using MoveNameList = std::vector<std::string>;

// How many moves the list whose move 0 slot starts at listOffset names: the run of well-formed
// 13-byte slots after move 0's (1 to 12 characters, then 0xFF, then only 0x00 or 0xFF), never
// less than MoveCount and at most MaxMoveCount. Reads no further than one slot past the run.
int CountMoveNames(RomFile& file, std::uint32_t listOffset);

// Reads the identified game's move names into names, as many as its list has moves (MoveCount
// where the names are at the game's own place): zero bytes before a name are padding, a zero
// inside a name is a space, every 0xFF (and every read at the end of the file) ends one name,
// and reading stops after the last name or at the end of the list's last slot, whatever the
// bytes hold. Returns false, leaving names untouched, when no game is identified for the open
// file.
bool ReadMoveNames(RomAccess& rom, MoveNameList& names);

} // namespace zarnith

#pragma once

#include "text/MoveNames.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace zarnith {

class RomAccess;

inline constexpr int SoundMoveCount = 10;
inline constexpr std::uint16_t FillerMove = 45;
inline constexpr std::uint8_t FillerLow = 0x2D;
inline constexpr std::uint8_t FillerHigh = 0x00;

// One table entry as stored: a little-endian move number, and the name shown for it.
struct SoundMoveEntry
{
    std::string Name;
    std::uint8_t Low = 0;
    std::uint8_t High = 0;

    std::uint16_t Id() const { return static_cast<std::uint16_t>(High * 256 + Low); }
    friend bool operator==(const SoundMoveEntry&, const SoundMoveEntry&) = default;
};

// The sound-move table of the open ROM. Only the first Count entries belong to the file: a
// table that ends with its 0xFF 0xFF pair early has fewer than ten, and the slots after them
// are empty.
struct SoundMoveTable
{
    std::array<SoundMoveEntry, SoundMoveCount> Entries {};
    int Count = 0;
};

bool IsValidMove(std::uint16_t id);

// The name shown for a stored move number: the game's name for a valid one, otherwise a plain
// mark of invalidity with the number, never another move's name.
std::string EntryName(std::uint16_t id, const MoveNameList& names);

// Asked about each invalid entry (its index and stored number); true means repair it.
using AskRepairFunction = std::function<bool(int index, std::uint16_t id)>;

struct LoadResult
{
    bool Loaded = false; // false when no game is identified for the open file
    int RepairsFailed = 0; // repairs the user accepted that could not be written
    bool EndedEarly = false; // the file ended before the table did: nothing can be written to it
};

// Reads up to ten entries of the identified game's table into table. Each invalid entry is put
// to askRepair; on yes the filler move is written over it in the file at once.
LoadResult LoadSoundMoves(
    RomAccess& rom, const MoveNameList& names, SoundMoveTable& table, const AskRepairFunction& askRepair);

// Writes the filler move over the two bytes that end at position, and flushes them to the
// file; false when that did not succeed.
bool RepairEntry(RomAccess& rom, std::uint32_t position);

// Writes the entries read back in place, flushes them and makes them durable. Returns true
// only when all of that succeeded; refuses (writing nothing) on a failed stream, a file that
// is not an identified game, a file that no longer holds the whole table, or a file that is no
// longer the one at the path it was opened from.
bool SaveSoundMoves(RomAccess& rom, const SoundMoveTable& table);

} // namespace zarnith

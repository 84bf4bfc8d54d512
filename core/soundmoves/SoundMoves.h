#pragma once

#include "text/MoveNames.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarnith {

class RomAccess;
class RomFile;

// The games' own tables hold ten entries; a table moved elsewhere may hold up to one entry per
// move of the list.
inline constexpr int SoundMoveCount = 10;
inline constexpr std::uint16_t FillerMove = 45;
inline constexpr std::uint8_t FillerLow = 0x2D;
inline constexpr std::uint8_t FillerHigh = 0x00;
// The table of every supported release: GROWL, ROAR, SING, SUPERSONIC, SCREECH, SNORE, UPROAR,
// METAL SOUND, GRASSWHISTLE and HYPER VOICE.
inline constexpr std::array<std::uint16_t, SoundMoveCount> GameSoundMoves { 45, 46, 47, 48, 103, 173, 253, 319, 320,
    304 };
// Free space for a moved table: this many bytes of 0xFF before it and after it stay untouched.
inline constexpr std::uint32_t FreeSpaceMargin = 16;

// One table entry as stored: a little-endian move number, and the name shown for it.
struct SoundMoveEntry
{
    std::string Name;
    std::uint8_t Low = 0;
    std::uint8_t High = 0;

    std::uint16_t Id() const { return static_cast<std::uint16_t>(High * 256 + Low); }
    friend bool operator==(const SoundMoveEntry&, const SoundMoveEntry&) = default;
};

// The entries of the sound-move table, without its end pair.
struct SoundMoveTable
{
    std::vector<SoundMoveEntry> Entries;

    int Count() const { return static_cast<int>(Entries.size()); }
    friend bool operator==(const SoundMoveTable&, const SoundMoveTable&) = default;
};

// What loading found where the game's code says the table is.
enum class TableStatus {
    Verified, // read to its end pair within the bound: it may be repaired and saved
    NotLocated, // the table word does not hold an address inside the file
    EndOfFile, // the file ends before the table does, or before the game's table word
    PastAddressSpace, // the table runs past the cartridge's address space in a longer file
    NoEndPair, // no end pair within the bound
    NotMoves, // away from the game's own offset, an entry before the end pair is not a move
};

// Where the table stands in the file and what the file held there when it was last read or
// written: Save compares that with the file before it writes, to notice another program's
// change. Count and Capacity are what Held shows; Save itself decides from the file's bytes.
struct TablePlace
{
    std::uint32_t Offset = 0;
    int Count = 0; // entries before the first end pair in Held
    int Capacity = 0; // entries that fit in place before an end pair
    std::vector<std::uint8_t> Held; // the file's bytes from Offset: Capacity + 1 pairs
    std::uint32_t Pointer = 0; // what the game's table word held
};

// A move the list of moveCount names names: 1 to moveCount.
bool IsValidMove(std::uint16_t id, int moveCount);

// The largest number that counts as a move of the open ROM: the list's length where the names
// are the game's own list; where a hack moved the list, MaxMoveCount, since its moves past the
// names read may still be real ones (such an entry is shown by its number, counts as a move of
// a moved table, and is never repaired).
int LargestMove(const RomAccess& rom, const MoveNameList& names);

// The name shown for a stored move number: the list's name for a valid one, otherwise a plain
// mark of invalidity with the number, never another move's name.
std::string EntryName(std::uint16_t id, const MoveNameList& names);

// Asked about each invalid entry (its index and stored number); true means repair it.
using AskRepairFunction = std::function<bool(int index, std::uint16_t id)>;

struct LoadResult
{
    bool Loaded = false; // false when no game is identified for the open file
    TableStatus Status = TableStatus::NotLocated;
    int RepairsFailed = 0; // repairs the user accepted that could not be written
};

// Reads the table where the game's table word points into table, and its place. The table is
// trusted only when an end pair comes within ten entries at the game's own offset, or within
// one entry per move of names elsewhere with every entry a move (see LargestMove). Only a
// trusted table at the game's own offset has its entries that are no move put to askRepair; on
// yes the filler move is written over the entry in the file at once. A pair cut by the end of
// the file, or past the cartridge's address space, is no entry; a file that ends before the
// game's table word holds no table at all.
LoadResult LoadSoundMoves(RomAccess& rom, const MoveNameList& names, SoundMoveTable& table, TablePlace& place,
    const AskRepairFunction& askRepair);

// Writes the filler move over the two bytes that end at position, and flushes them to the
// file; false when that did not succeed.
bool RepairEntry(RomAccess& rom, std::uint32_t position);

enum class SaveStatus {
    Saved, // written in place
    Moved, // written to free space, and the game's table word now points at it
    Grown, // written where it stands over the free space after it; the game's word is unchanged
    // Refused: nothing was written.
    NotVerified, // the table's place is not verified
    Replaced, // the path names another file now
    OtherImage, // the file's header names another game or revision now
    Shorter, // the file no longer holds the table
    PointerChanged, // another program moved the table since it was read
    ChangeKept, // another program changed the table, and the user kept that change
    ChangedWhileAsked, // another program changed the table or the free space while a question was open
    NotMoves, // the longer table holds entries that are not moves, so it may not leave the game's own place
    NoFreeSpace, // the longer table fits nowhere
    MoveDeclined, // the user did not want the table moved or grown
    UnreadDeclined, // the user did not want to write a table the game does not read (see Document)
    // Writing failed.
    MoveFailed, // the moved table is not in place: the game's word still points at the old table, and
                // whatever part of the copy was written stays in the free space
    WriteFailed, // the file may be partly written; Save read back what it holds for the next save
};

inline bool SaveSucceeded(SaveStatus status)
{
    return status == SaveStatus::Saved || status == SaveStatus::Moved || status == SaveStatus::Grown;
}

// The questions Save may put: whether to overwrite a change another program made to the table,
// whether to move a table that no longer fits to newOffset with the word at pointerAt pointing
// to it, and whether to let it grow where it stands to take [start, end). The document asks
// WriteUnread first, once, before writing a table the game's code no longer leads to; without
// it such a table is not written.
struct SaveQuestions
{
    std::function<bool()> OverwriteChange;
    std::function<bool(std::uint32_t newOffset, std::uint32_t pointerAt)> ConfirmMove;
    std::function<bool(std::uint32_t start, std::uint32_t end)> ConfirmGrow;
    std::function<bool()> WriteUnread = nullptr;
};

// Writes table to the file, makes it durable, and updates place to what the file now holds.
// In place, the entries are written, with an end pair unless the file already holds one right
// after them; pairs past the table's end pair are written over only when they are what a shorter
// table leaves (moves, end pairs, 0xFF), since other tools use the bytes after a table. A longer
// table away from the game's own offset grows where it stands when the bytes after its place are
// 0xFF for its new length and FreeSpaceMargin more; otherwise it is moved to free space: the new
// table is written and made durable first, then the word is rewritten, so a failure between the
// two leaves the game reading the old table. Only a table of valid moves grows or moves, since
// one elsewhere holding anything else would not be trusted when read again.
// Nothing is written unless the place is verified, the file is still the one opened, and it still
// holds what was read. Every check reads the file itself, and the checks are made again after the
// last question, just before the first byte is written. moveCount is the largest move of the
// ROM (see LargestMove): what a valid move and the longest table are.
SaveStatus SaveSoundMoves(
    RomAccess& rom, TablePlace& place, const SoundMoveTable& table, int moveCount, const SaveQuestions& ask);

// The first offset of the longest run of 0xFF bytes that can take size bytes: 4-byte aligned,
// FreeSpaceMargin bytes of 0xFF before it and after it, inside the cartridge's address space,
// and clear of [avoidStart, avoidEnd). Reads the file once, sequentially.
std::optional<std::uint32_t> FindFreeSpace(
    RomFile& file, std::uint32_t size, std::uint32_t avoidStart, std::uint32_t avoidEnd);

} // namespace zarnith

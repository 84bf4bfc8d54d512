#include "text/MoveNames.h"

#include "rom/RomAccess.h"
#include "text/CharacterTable.h"

#include <algorithm>
#include <span>
#include <vector>

namespace zarnith {

namespace {

// A byte of the games' character table: 0x00 (a space inside a name) or one with a glyph.
bool IsCharacter(std::uint8_t byte)
{
    return byte != 0xFF && (CharacterTable[byte] != "?" || byte == 0xAC);
}

// 1 to 12 characters, then 0xFF. What follows the 0xFF is never part of the name (a tool that
// renames a move in place pads with 0xFF or leaves the old name's bytes), so it does not matter.
bool IsNameSlot(std::span<const std::uint8_t> slot)
{
    const auto end = std::find(slot.begin(), slot.end(), std::uint8_t { 0xFF });
    return end != slot.begin() && end != slot.end() && std::all_of(slot.begin(), end, IsCharacter);
}

// Slot i of the bytes read (slots from move 1's on), cut where the bytes end.
std::span<const std::uint8_t> Slot(const std::vector<std::uint8_t>& bytes, int i)
{
    const std::size_t at = std::min(bytes.size(), static_cast<std::size_t>(i) * NameSlotWidth);
    return std::span(bytes).subspan(at, std::min<std::size_t>(NameSlotWidth, bytes.size() - at));
}

// A name as the game finds it in its slot: up to the slot's first 0xFF, zeros before it padding,
// zeros inside it spaces. Gathered in a local buffer and stored once, into name's own storage.
void DecodeSlot(std::span<const std::uint8_t> slot, std::string& name)
{
    // The longest text of a byte is seven characters ("[Right]").
    char text[NameSlotWidth * 8];
    std::size_t length = 0;
    auto byte = std::find_if(slot.begin(), slot.end(), [](std::uint8_t b) { return b != 0x00; });
    for (; byte != slot.end() && *byte != 0xFF; ++byte) {
        const std::string_view piece = CharacterTable[*byte];
        if (piece.size() == 1)
            text[length++] = piece[0];
        else
            length += piece.copy(text + length, piece.size());
    }
    name.assign(text, length);
}

// Appends up to size bytes read at offset to bytes; false when the file ended first.
bool ReadOn(RomFile& file, std::uint64_t offset, std::size_t size, std::vector<std::uint8_t>& bytes)
{
    const std::size_t at = bytes.size();
    bytes.resize(at + size);
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = file.ReadBlock(offset + got, bytes.data() + at + got, size - got);
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(at + got);
    return got == size;
}

// The length of a list away from the game's own place, as a hack moves and lengthens it: the
// run of name slots, read in pieces of a few slots while they last (and on to the 354th slot
// when they stop earlier), so that a list costs one piece more than its length and data that
// is no list a few pieces. bytes receives the slots read, from move 1's on.
int CountMovedSlots(RomFile& file, std::uint64_t first, std::vector<std::uint8_t>& bytes)
{
    constexpr std::size_t Piece = 32 * NameSlotWidth;
    int count = 0;
    bool ended = false;
    for (;;) {
        const std::size_t wanted = std::size_t { NameSlotWidth } * (ended ? MoveCount : MaxMoveCount);
        if (bytes.size() >= wanted)
            break;
        const bool whole = ReadOn(file, first + bytes.size(), std::min(Piece, wanted - bytes.size()), bytes);
        // A slot cut by the end of the file still counts when its name ended before it.
        while (!ended && static_cast<std::size_t>(count) * NameSlotWidth < bytes.size()) {
            if (IsNameSlot(Slot(bytes, count)))
                ++count;
            else
                ended = true;
        }
        if (!whole)
            break;
    }
    return std::max(count, MoveCount);
}

} // namespace

bool ReadMoveNames(RomAccess& rom, MoveNameList& names)
{
    if (rom.Game() == nullptr)
        return false;
    RomFile& file = rom.File();
    // Move n's name is in the n-th slot after move 0's, where the game itself looks for it.
    const std::uint64_t first = std::uint64_t { rom.NamesListOffset() } + NameSlotWidth;
    std::vector<std::uint8_t> bytes;
    int count = MoveCount;
    if (rom.NamesAtOwnOffset())
        ReadOn(file, first, std::size_t { NameSlotWidth } * MoveCount, bytes);
    else
        count = CountMovedSlots(file, first, bytes);
    names.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        DecodeSlot(Slot(bytes, i), names[static_cast<std::size_t>(i)]);
    return true;
}

} // namespace zarnith

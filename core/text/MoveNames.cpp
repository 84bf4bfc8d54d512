#include "text/MoveNames.h"

#include "rom/RomAccess.h"
#include "text/CharacterTable.h"

#include <algorithm>
#include <array>
#include <cstring>
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
std::span<const std::uint8_t> Slot(std::span<const std::uint8_t> bytes, int i)
{
    const std::size_t at = std::min(bytes.size(), static_cast<std::size_t>(i) * NameSlotWidth);
    return bytes.subspan(at, std::min<std::size_t>(NameSlotWidth, bytes.size() - at));
}

// The character table with each byte's text in eight bytes (the longest, "[Right]", has seven),
// so that decoding copies a fixed eight bytes a byte and moves on by the text's length.
struct PackedTable
{
    std::array<std::array<char, 8>, 256> Text {};
    std::array<std::uint8_t, 256> Length {};

    PackedTable()
    {
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::string_view text = CharacterTable[byte];
            Length[byte] = static_cast<std::uint8_t>(text.copy(Text[byte].data(), Text[byte].size()));
        }
    }
};

// A name as the game finds it in its slot: up to the slot's first 0xFF, zeros before it padding,
// zeros inside it spaces. Gathered in a local buffer and stored once, into name's own storage.
void DecodeSlot(const PackedTable& table, std::span<const std::uint8_t> slot, std::string& name)
{
    char text[NameSlotWidth * 8];
    std::size_t length = 0;
    auto byte = std::find_if(slot.begin(), slot.end(), [](std::uint8_t b) { return b != 0x00; });
    for (; byte != slot.end() && *byte != 0xFF; ++byte) {
        std::memcpy(text + length, table.Text[*byte].data(), 8);
        length += table.Length[*byte];
    }
    // Appended to the emptied name: a plain copy, where assigning would allow for overlap.
    name.clear();
    name.append(text, length);
}

// Appends up to size bytes read at offset to bytes; false when the file ended first.
bool ReadOn(RomFile& file, std::uint64_t offset, std::size_t size, std::vector<std::uint8_t>& bytes)
{
    const std::size_t at = bytes.size();
    bytes.resize(at + size);
    const std::size_t got = file.ReadFull(offset, bytes.data() + at, size);
    bytes.resize(at + got);
    return got == size;
}

// The length of a list away from the game's own place, as a hack moves and lengthens it: the
// run of name slots, read in pieces of a few slots while they last (and on to the 354th slot
// when they stop earlier), so that a list costs one piece more than its length and data that
// is no list a few pieces. bytes receives the slots read, from move 1's on. The game reads no
// name past the cartridge's address space, so nothing past it is read, whatever the file holds.
int CountMovedSlots(RomFile& file, std::uint64_t first, std::vector<std::uint8_t>& bytes)
{
    constexpr std::size_t Piece = 32 * NameSlotWidth;
    const std::size_t limit = first < MaxRomSize ? static_cast<std::size_t>(MaxRomSize - first) : 0;
    int count = 0;
    bool ended = false;
    for (;;) {
        const std::size_t wanted
            = std::min<std::size_t>(limit, std::size_t { NameSlotWidth } * (ended ? MoveCount : MaxMoveCount));
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
    // The game's own list is read into a buffer that need not be cleared first.
    std::array<std::uint8_t, NameSlotWidth * MoveCount> own;
    std::vector<std::uint8_t> moved;
    std::span<const std::uint8_t> bytes;
    int count = MoveCount;
    if (rom.NamesAtOwnOffset()) {
        bytes = std::span(own).first(file.ReadFull(first, own.data(), own.size()));
    } else {
        count = CountMovedSlots(file, first, moved);
        bytes = moved;
    }
    static const PackedTable table;
    names.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        DecodeSlot(table, Slot(bytes, i), names[static_cast<std::size_t>(i)]);
    return true;
}

} // namespace zarnith

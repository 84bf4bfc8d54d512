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

// 1 to 12 characters, then 0xFF, then only 0x00 or 0xFF to the end of the slot.
bool IsWellFormedSlot(std::span<const std::uint8_t> slot)
{
    const auto end = std::find(slot.begin(), slot.end(), std::uint8_t { 0xFF });
    if (end == slot.begin() || end == slot.end() || !std::all_of(slot.begin(), end, IsCharacter))
        return false;
    return std::all_of(end, slot.end(), [](std::uint8_t byte) { return byte == 0x00 || byte == 0xFF; });
}

// Slot i of the bytes read (slots 1 on), cut where the bytes end.
std::span<const std::uint8_t> Slot(const std::vector<std::uint8_t>& bytes, int i)
{
    const std::size_t at = std::min(bytes.size(), static_cast<std::size_t>(i) * NameSlotWidth);
    return std::span(bytes).subspan(at, std::min<std::size_t>(NameSlotWidth, bytes.size() - at));
}

// A name as the game finds it in its slot: up to the slot's first 0xFF, zeros before it padding,
// zeros inside it spaces.
std::string DecodeSlot(std::span<const std::uint8_t> slot)
{
    std::string name;
    bool inName = false;
    for (std::uint8_t byte : slot) {
        if (byte == 0xFF)
            break;
        if (byte != 0x00 || inName) {
            name += CharacterTable[byte];
            inName = true;
        }
    }
    return name;
}

// A list away from the game's own place, as a hack moves and lengthens it: read in pieces of a
// few slots while they are well-formed (and on to the 354th slot when they stop being so), so
// that a list costs one piece more than its length and data that is no list a few pieces; each
// name is read from its own slot, as the game indexes them.
void ReadMovedNames(RomFile& file, std::uint32_t listOffset, MoveNameList& names)
{
    constexpr std::size_t Piece = 32 * NameSlotWidth;
    std::vector<std::uint8_t> bytes; // slot 1 on
    int count = 0; // the run of well-formed slots
    bool ended = false;
    for (;;) {
        const std::size_t wanted = std::size_t { NameSlotWidth } * (ended ? MoveCount : MaxMoveCount);
        if (bytes.size() >= wanted)
            break;
        const std::size_t at = bytes.size();
        const std::size_t want = std::min(Piece, wanted - at);
        bytes.resize(at + want);
        const std::size_t got
            = file.ReadBlock(std::uint64_t { listOffset } + NameSlotWidth + at, bytes.data() + at, want);
        bytes.resize(at + got);
        // A slot cut by the end of the file still counts when its name ended before it.
        while (!ended && static_cast<std::size_t>(count) * NameSlotWidth < bytes.size()) {
            if (IsWellFormedSlot(Slot(bytes, count)))
                ++count;
            else
                ended = true;
        }
        if (got < want)
            break;
    }
    names.resize(static_cast<std::size_t>(std::max(count, MoveCount)));
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = DecodeSlot(Slot(bytes, static_cast<int>(i)));
}

} // namespace

bool ReadMoveNames(RomAccess& rom, MoveNameList& names)
{
    if (rom.Game() == nullptr)
        return false;
    RomFile& file = rom.File();
    if (!rom.NamesAtOwnOffset()) {
        ReadMovedNames(file, rom.NamesListOffset(), names);
        return true;
    }
    names.assign(MoveCount, std::string());

    // Nothing past the last name's slot is read: a name not ended there ends there, as at the
    // end of the file.
    const std::uint64_t start = rom.MoveNamesOffset();
    const std::uint64_t end = rom.NamesListOffset() + std::uint64_t { NameSlotWidth } * (MoveCount + 1);
    file.SeekGet(rom.MoveNamesOffset(), static_cast<std::size_t>(end > start ? end - start : 0));
    // The bytes are decoded straight from the stream's read-ahead, and each name is gathered in
    // a local buffer and stored when it ends: the loop then works in registers, not through the
    // stream's and the strings' fields byte by byte.
    char pending[64];
    std::size_t length = 0;
    std::size_t k = 0;
    bool inName = false;
    while (k < names.size()) {
        const std::uint64_t position = file.TellGet().value_or(end);
        std::span<const std::uint8_t> bytes = file.Buffered();
        bytes = bytes.first(
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), end - std::min(end, position))));
        std::uint8_t single = 0xFF;
        if (bytes.empty()) {
            // Refill; at the end of the file or of the list every read ends one more name.
            int read = position < end ? file.ReadByte() : EndOfFile;
            single = static_cast<std::uint8_t>(read == EndOfFile ? 0xFF : read);
            bytes = { &single, 1 };
        }
        std::size_t used = 0;
        while (used < bytes.size() && k < names.size()) {
            const std::uint8_t byte = bytes[used++];
            if (byte == 0xFF) {
                names[k++].append(pending, length);
                length = 0;
                inName = false;
            } else if (byte != 0x00 || inName) {
                const std::string_view text = CharacterTable[byte];
                if (length + text.size() > sizeof pending) {
                    names[k].append(pending, length);
                    length = 0;
                }
                if (text.size() == 1) {
                    pending[length++] = text[0];
                } else {
                    text.copy(pending + length, text.size());
                    length += text.size();
                }
                inName = true;
            }
        }
        if (bytes.data() != &single)
            file.Skip(used);
    }
    return true;
}

} // namespace zarnith

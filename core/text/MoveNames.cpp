#include "text/MoveNames.h"

#include "rom/RomAccess.h"
#include "text/CharacterTable.h"

#include <algorithm>
#include <array>
#include <span>

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

} // namespace

int CountMoveNames(RomFile& file, std::uint32_t listOffset)
{
    // A few slots at a time, so that a list of the usual length costs one read and one slot
    // more, and data that is no list costs a single read.
    constexpr int SlotsPerRead = 32;
    std::array<std::uint8_t, SlotsPerRead * NameSlotWidth> buffer {};
    int count = 0;
    while (count < MaxMoveCount) {
        const int want = std::min(SlotsPerRead, MaxMoveCount - count);
        const std::uint64_t at = listOffset + std::uint64_t { NameSlotWidth } * (count + 1);
        const std::size_t got = file.ReadBlock(at, buffer.data(), static_cast<std::size_t>(want) * NameSlotWidth);
        // A slot cut by the end of the file still counts when its name ended before it.
        const std::span<const std::uint8_t> read(buffer.data(), got);
        int good = 0;
        while (good * NameSlotWidth < got
            && IsWellFormedSlot(read.subspan(good * NameSlotWidth)
                                    .first(std::min<std::size_t>(NameSlotWidth, got - good * NameSlotWidth))))
            ++good;
        count += good;
        if (good < want)
            break;
    }
    return std::max(count, MoveCount);
}

bool ReadMoveNames(RomAccess& rom, MoveNameList& names)
{
    if (rom.Game() == nullptr)
        return false;
    RomFile& file = rom.File();
    const int count = rom.NamesAtOwnOffset() ? MoveCount : CountMoveNames(file, rom.NamesListOffset());
    names.assign(static_cast<std::size_t>(count), std::string());

    // Nothing past the last name's slot is read: a name not ended there ends there, as at the
    // end of the file.
    const std::uint64_t start = rom.MoveNamesOffset();
    const std::uint64_t end = rom.NamesListOffset() + std::uint64_t { NameSlotWidth } * (count + 1);
    file.SeekGet(rom.MoveNamesOffset(), static_cast<std::size_t>(end > start ? end - start : 0));
    std::uint64_t position = start;
    // The bytes are decoded straight from the stream's read-ahead, and each name is gathered in
    // a local buffer and stored when it ends: the loop then works in registers, not through the
    // stream's and the strings' fields byte by byte.
    char pending[64];
    std::size_t length = 0;
    std::size_t k = 0;
    bool inName = false;
    while (k < names.size()) {
        std::span<const std::uint8_t> bytes = file.Buffered();
        bytes = bytes.first(
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), end - std::min(end, position))));
        std::uint8_t single = 0xFF;
        if (bytes.empty()) {
            // Refill; at the end of the file or of the list every read ends one more name.
            int read = position < end ? file.ReadByte() : EndOfFile;
            single = static_cast<std::uint8_t>(read == EndOfFile ? 0xFF : read);
            bytes = { &single, 1 };
            if (read != EndOfFile)
                ++position;
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
        if (bytes.data() != &single) {
            file.Skip(used);
            position += used;
        }
    }
    return true;
}

} // namespace zarnith

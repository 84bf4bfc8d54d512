#include "text/MoveNames.h"

#include "rom/RomAccess.h"
#include "text/CharacterTable.h"

#include <algorithm>

namespace zarnith {

bool ReadMoveNames(RomAccess& rom, MoveNameList& names)
{
    if (rom.Game() == nullptr)
        return false;
    for (std::string& name : names)
        name.clear();

    RomFile& file = rom.File();
    // The names stand in fixed slots, so the whole list is about this long.
    file.SeekGet(rom.MoveNamesOffset(), MoveCount * NameSlotWidth);
    // The bytes are decoded straight from the stream's read-ahead, and each name is gathered in
    // a local buffer and stored when it ends: the loop then works in registers, not through the
    // stream's and the strings' fields byte by byte.
    char pending[64];
    std::size_t length = 0;
    std::size_t k = 0;
    bool inName = false;
    // No more than the list's own length is read, whatever the bytes hold: past it, as at the end
    // of the file, every read ends one more name.
    std::size_t left = names.size() * NameSlotWidth;
    while (k < names.size()) {
        std::span<const std::uint8_t> bytes = file.Buffered();
        bytes = bytes.first(std::min(bytes.size(), left));
        std::uint8_t single = 0xFF;
        if (bytes.empty()) {
            // Refill, or the end of the list or of the file.
            const int read = left > 0 ? file.ReadByte() : EndOfFile;
            single = static_cast<std::uint8_t>(read == EndOfFile ? 0xFF : read);
            bytes = { &single, 1 };
            left -= read == EndOfFile ? 0 : 1;
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
            left -= used;
        }
    }
    return true;
}

} // namespace zarnith

#include "text/MoveNames.h"

#include "rom/RomAccess.h"
#include "text/CharacterTable.h"

namespace zarnith {

bool ReadMoveNames(RomAccess& rom, MoveNameList& names)
{
    if (rom.Game() == nullptr)
        return false;
    for (std::string& name : names)
        name.clear();

    RomFile& file = rom.File();
    file.SeekGet(rom.MoveNamesOffset());
    std::size_t k = 0;
    bool inName = false;
    while (k < names.size()) {
        int read = file.ReadByte();
        auto byte = static_cast<std::uint8_t>(read == EndOfFile ? 0xFF : read);
        if (byte == 0xFF) {
            ++k;
            inName = false;
        } else if (byte != 0x00 || inName) {
            const std::string_view text = CharacterTable[byte];
            if (text.size() == 1)
                names[k].push_back(text[0]);
            else
                names[k].append(text);
            inName = true;
        }
    }
    return true;
}

} // namespace zarnith

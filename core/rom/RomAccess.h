#pragma once

#include "rom/Games.h"
#include "rom/RomFile.h"

#include <cstdint>
#include <string>

namespace zarnith {

// The open ROM and the identification of its game. The offsets keep the values of the last
// identified game; Game() tells whether they belong to the file that is open now, and nothing
// may read past the header or write to a file for which it is null.
class RomAccess
{
public:
    OpenError OpenRom(const std::string& path);
    bool IsRomOpen() const { return m_file.IsOpen(); }
    bool CloseRom();

    // Reads the game code and software version from the header and, for a supported image,
    // sets the offsets. Returns the matching row, or nullptr (offsets left unchanged).
    const GameInfo* IdentifyGame();

    // The game identified for the file open now, or nullptr.
    const GameInfo* Game() const { return m_game; }
    std::uint32_t MoveNamesOffset() const { return m_moveNamesOffset; }
    std::uint32_t SoundMovesOffset() const { return m_soundMovesOffset; }

    RomFile& File() { return m_file; }

private:
    RomFile m_file;
    const GameInfo* m_game = nullptr;
    std::uint32_t m_moveNamesOffset = 0;
    std::uint32_t m_soundMovesOffset = 0;
};

} // namespace zarnith

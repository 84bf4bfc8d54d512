#include "rom/RomAccess.h"

namespace zarnith {

const GameInfo* FindGame(std::string_view code, std::uint8_t revision)
{
    for (const GameInfo& game : SupportedGames) {
        if (game.Code == code && game.Revision == revision)
            return &game;
    }
    return nullptr;
}

OpenError RomAccess::OpenRom(const std::string& path)
{
    m_game = nullptr;
    return m_file.Open(path);
}

bool RomAccess::CloseRom()
{
    m_game = nullptr;
    return m_file.Close();
}

const GameInfo* RomAccess::IdentifyGame()
{
    m_game = nullptr;
    m_file.SeekGet(GameCodeOffset);
    std::string code;
    for (int i = 0; i < 4; ++i) {
        int byte = m_file.ReadByte();
        if (byte == EndOfFile)
            return nullptr;
        code += static_cast<char>(byte);
    }
    m_file.SeekGet(SoftwareVersionOffset);
    int revision = m_file.ReadByte();
    if (revision == EndOfFile)
        return nullptr;
    const GameInfo* game = FindGame(code, static_cast<std::uint8_t>(revision));
    if (game == nullptr)
        return nullptr;
    m_game = game;
    m_moveNamesOffset = game->MoveNamesOffset;
    m_soundMovesOffset = game->SoundMovesOffset;
    return game;
}

} // namespace zarnith

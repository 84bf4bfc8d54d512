#include "rom/RomAccess.h"

#include <algorithm>

namespace zarnith {

const GameInfo* FindGame(std::string_view code, std::uint8_t revision)
{
    for (const GameInfo& game : SupportedGames) {
        if (game.Code == code && game.Revision == revision)
            return &game;
    }
    return nullptr;
}

std::optional<std::uint32_t> ReadWordAt(RomFile& file, std::uint32_t offset)
{
    std::uint8_t bytes[4];
    if (file.ReadFull(offset, bytes, 4) != 4)
        return std::nullopt;
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::string PrintableCode(std::string_view code)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : code) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            text += c;
        else
            text += { '\\', 'x', Digits[byte >> 4], Digits[byte & 0xF] };
    }
    return text;
}

const GameInfo* ImageGameAt(const std::string& path)
{
    RomAccess image;
    return image.OpenRom(path) == OpenError::None ? image.IdentifyGame() : nullptr;
}

OpenError RomAccess::OpenRom(const std::string& path)
{
    m_game = nullptr;
    return m_file.Open(path);
}

void RomAccess::AdoptRom(FileHandle handle, const std::string& path)
{
    m_game = nullptr;
    m_file.Adopt(handle, path);
}

bool RomAccess::CloseRom()
{
    m_game = nullptr;
    return m_file.Close();
}

const GameInfo* RomAccess::IdentifyGame()
{
    m_game = nullptr;
    m_headerCode.clear();
    m_headerRevision = 0;
    // One read for the code and the version byte after it.
    m_file.SeekGet(GameCodeOffset, SoftwareVersionOffset + 1 - GameCodeOffset);
    std::string code;
    for (int i = 0; i < 4; ++i) {
        int byte = m_file.ReadByte();
        if (byte == EndOfFile)
            return nullptr;
        code += static_cast<char>(byte);
    }
    m_file.SeekGet(SoftwareVersionOffset, 1);
    int revision = m_file.ReadByte();
    if (revision == EndOfFile)
        return nullptr;
    m_headerCode = code;
    m_headerRevision = revision;
    const GameInfo* game = FindGame(code, static_cast<std::uint8_t>(revision));
    if (game == nullptr)
        return nullptr;
    m_game = game;

    // An address inside the file: o = address - RomBase, with count more bytes from o on. The
    // game reads its cartridge at RomBase up to MaxRomSize; addresses past that are the
    // cartridge's mirrors, never the bytes of a longer file.
    const long long size = std::min<long long>(m_file.Size(), MaxRomSize);
    auto inside = [size](std::optional<std::uint32_t> word, std::uint32_t count) {
        return word && *word >= RomBase && static_cast<long long>(*word - RomBase) + count <= size;
    };
    m_tableWord = ReadWordAt(m_file, game->TableWordAt);
    m_tableWordInFile = inside(m_tableWord, 2) && (*m_tableWord & 1) == 0;
    m_soundMovesOffset = m_tableWordInFile ? *m_tableWord - RomBase : game->SoundMovesOffset;
    // Names are only shown, never written: a names word that points nowhere useful falls back
    // to the unmodified game's offset.
    m_namesWord = ReadWordAt(m_file, game->NamesWordAt);
    const bool namesInFile = inside(m_namesWord, NameSlotWidth + 1);
    m_namesListOffset = namesInFile ? *m_namesWord - RomBase : game->NamesAddress - RomBase;
    m_moveNamesOffset = namesInFile ? m_namesListOffset + NameSlotWidth : game->MoveNamesOffset;
    return game;
}

bool RomAccess::NamesAtOwnOffset() const
{
    return m_game == nullptr || m_moveNamesOffset == m_game->NamesAddress - RomBase + NameSlotWidth
        || m_moveNamesOffset == m_game->MoveNamesOffset;
}

bool RomAccess::TableAtOwnOffset() const
{
    return m_game == nullptr || (m_tableWordInFile && m_soundMovesOffset == m_game->SoundMovesOffset);
}

} // namespace zarnith

#pragma once

#include "rom/Games.h"
#include "rom/RomFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zarnith {

// The open ROM, the identification of its game, and where the game's code says its move names
// and sound-move table are. Images changed by other tools often have these moved to free space
// with the code's addresses rewritten, so the addresses in the code are followed rather than
// the offsets of the unmodified game. Game() tells whether the offsets belong to the file open
// now; nothing may read past the header or write to a file for which it is null.
class RomAccess
{
public:
    OpenError OpenRom(const std::string& path);
    // Opens the file already open for reading and writing through handle (see RomFile::Adopt).
    void AdoptRom(FileHandle handle, const std::string& path);
    bool IsRomOpen() const { return m_file.IsOpen(); }
    bool CloseRom();

    // Reads the game code and software version from the header and, for a supported image, the
    // two address words, and sets the offsets. Returns the matching row, or nullptr (offsets
    // left unchanged).
    const GameInfo* IdentifyGame();

    // The game identified for the file open now, or nullptr.
    const GameInfo* Game() const { return m_game; }
    // Where move 1's name starts: past move 0's slot where the names word points, or the
    // unmodified game's offset when the word does not point inside the file.
    std::uint32_t MoveNamesOffset() const { return m_moveNamesOffset; }
    // Where move 0's name slot starts: where the names word points, or where the unmodified
    // game has it when the word does not point inside the file.
    std::uint32_t NamesListOffset() const { return m_namesListOffset; }
    // Where the table word points. Meaningful only while TableWordInFile().
    std::uint32_t SoundMovesOffset() const { return m_soundMovesOffset; }
    // Whether the table word held an address inside the file (even, with a pair after it).
    bool TableWordInFile() const { return m_tableWordInFile; }
    // What the table word held when identified; nothing when it could not be read.
    std::optional<std::uint32_t> TableWord() const { return m_tableWord; }
    // What the names word held when identified; nothing when it could not be read.
    std::optional<std::uint32_t> NamesWord() const { return m_namesWord; }
    // The header's game code and version byte as last read by IdentifyGame, supported or not;
    // an empty code when the file ends before them.
    const std::string& HeaderCode() const { return m_headerCode; }
    int HeaderRevision() const { return m_headerRevision; }
    // Whether the names and the table are where the unmodified game has them.
    bool NamesAtOwnOffset() const;
    bool TableAtOwnOffset() const;

    RomFile& File() { return m_file; }

private:
    RomFile m_file;
    const GameInfo* m_game = nullptr;
    std::uint32_t m_moveNamesOffset = 0;
    std::uint32_t m_namesListOffset = 0;
    std::uint32_t m_soundMovesOffset = 0;
    std::optional<std::uint32_t> m_tableWord;
    std::optional<std::uint32_t> m_namesWord;
    std::string m_headerCode;
    int m_headerRevision = 0;
    bool m_tableWordInFile = false;
};

// A header's game code as text: printable ASCII as it stands, any other byte as \xNN.
std::string PrintableCode(std::string_view code);

// The supported game of the image at path, or nullptr when it is none (or cannot be opened).
const GameInfo* ImageGameAt(const std::string& path);

// Reads a little-endian 32-bit word at offset from the file itself, never from what the stream
// read ahead (which another program's writes may have made stale); nothing when the file ends
// first.
std::optional<std::uint32_t> ReadWordAt(RomFile& file, std::uint32_t offset);

} // namespace zarnith

#pragma once

#include "rom/Games.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarnith {

// Names a game in test output.
void PrintTo(const GameInfo& game, std::ostream* out);

} // namespace zarnith

namespace zarnith::testing {

using Bytes = std::vector<std::uint8_t>;

// Paths here are UTF-8 strings, as the program takes them.

// A folder of its own under the system temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The UTF-8 path of name (UTF-8) in the folder.
    std::string File(std::string_view name) const;

private:
    std::filesystem::path m_path;
};

// Encodes plain ASCII letters, digits, space (0x00), a little punctuation and the umlauts
// Ä Ö Ü ä ö ü (UTF-8) in the games' text encoding.
Bytes Encode(std::string_view text);

// The name the builder gives move id.
std::string SyntheticName(int id);

// A table of ten valid moves that covers the byte boundaries.
std::vector<std::uint16_t> SyntheticTable();

// A synthetic cartridge image built byte by byte. Everything not set is 0x00.
class RomImage
{
public:
    explicit RomImage(std::size_t size);

    // An image of the game's layout: header code and revision, the synthetic names in 13-byte
    // zero-padded slots after move 0's "-", a table of the given moves followed by the end pair,
    // the game's two words pointing at both, and the game's path to the table (PutGamePath).
    static RomImage For(const GameInfo& game, const std::vector<std::uint16_t>& table = SyntheticTable());

    RomImage& Header(std::string_view code, std::uint8_t revision);
    // The game's intact path to the table word: the five words, the command table's command 0,
    // `push {r4-r7, lr}` at command 0 and the ability effects, the BL and the ldr; and in each of
    // the four stretches of code (CodeStretches), StretchFiller bytes in, four bytes that give it
    // the release's CRC32. No byte of a game's code is needed.
    RomImage& PutGamePath(const GameInfo& game);
    RomImage& PutHalfword(std::size_t offset, std::uint16_t value);
    RomImage& Put(std::size_t offset, const Bytes& bytes);
    RomImage& PutMove(std::size_t offset, std::uint16_t id);
    RomImage& PutWord(std::size_t offset, std::uint32_t value);
    // The moves from offset on, then the end pair.
    RomImage& PutTable(std::size_t offset, const std::vector<std::uint16_t>& ids);
    // Move id's name in its slot of a list whose move 0 slot starts at list.
    RomImage& PutName(std::size_t list, int id, std::string_view text);
    // A move list of count synthetic names at list, as a hack moves and lengthens it, with the
    // game's names word pointing at it.
    RomImage& PutMoveList(const GameInfo& game, std::size_t list, int count);
    RomImage& Fill(std::size_t offset, std::size_t count, std::uint8_t value);
    RomImage& Resize(std::size_t size);

    std::string WriteTo(const TempDir& dir, std::string_view name) const;

    Bytes Data;
};

// Where in each stretch of code PutGamePath puts the four bytes that give it its CRC32: past
// the first instructions the path check reads and before the BL.
inline constexpr std::size_t StretchFiller = 16;

// Changes the four bytes at at in bytes so that zlib's CRC32 of bytes is crc.
void ForceCrc32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t crc);

// Thumb instructions at address from: a BL to address to (two halfwords), and an
// `ldr rd, [pc, #imm]` of the word at address word.
std::vector<std::uint16_t> ThumbCall(std::uint32_t from, std::uint32_t to);
std::uint16_t ThumbLoad(std::uint32_t from, std::uint32_t word, int rd = 0);

// The bytes of a regular file; nothing for anything else.
Bytes ReadAll(const std::string& path);

// Makes a file impossible to open for writing, even for root (read-only mode, plus the
// immutable flag where the file system has one). False when that could not be done, or the file
// can still be opened for writing.
bool MakeUnwritable(const std::string& path);
// Undoes MakeUnwritable.
void MakeWritable(const std::string& path);

// What only some systems have; each returns false (or nullptr) where it cannot be done, and the
// test that needs it is skipped there.
bool MakeFifo(const std::string& path);
// Whether another program may write to, truncate or replace a file the program has open
// (Windows keeps them from it).
bool OpenFilesCanChange();
bool MakeLink(const std::string& target, const std::string& link);
// Sets the mask of permissions new files do not get; the mask before, or -1 where there is none.
int SetUmask(int mask);
const char* DevicePath();

} // namespace zarnith::testing

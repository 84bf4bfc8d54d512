#pragma once

#include "rom/Games.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zarnith::testing {

using Bytes = std::vector<std::uint8_t>;

// A folder of its own under the system temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Encodes plain ASCII letters, digits, space (0x00) and a little punctuation in the games' text
// encoding.
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
    // zero-padded slots, and a table of the given moves followed by the end pair.
    static RomImage For(const GameInfo& game, const std::vector<std::uint16_t>& table = SyntheticTable());

    RomImage& Header(std::string_view code, std::uint8_t revision);
    RomImage& Put(std::size_t offset, const Bytes& bytes);
    RomImage& PutMove(std::size_t offset, std::uint16_t id);
    RomImage& Resize(std::size_t size);

    std::string WriteTo(const TempDir& dir, std::string_view name) const;

    Bytes Data;
};

// The bytes of a regular file; nothing for anything else.
Bytes ReadAll(const std::string& path);

// Makes a file impossible to open for writing, even for root (read-only mode, plus the
// immutable flag where the file system has one). False when that could not be done.
bool MakeUnwritable(const std::string& path);
// Undoes MakeUnwritable.
void MakeWritable(const std::string& path);

} // namespace zarnith::testing

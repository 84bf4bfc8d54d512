#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zarnith {

// Where the cartridge header keeps the four-character game code and the software version byte.
inline constexpr std::uint32_t GameCodeOffset = 0xAC;
inline constexpr std::uint32_t SoftwareVersionOffset = 0xBC;

// The cartridge is mapped at this address: file offset o is read by the game at RomBase + o.
inline constexpr std::uint32_t RomBase = 0x08000000;
// The largest cartridge the address space holds.
inline constexpr std::uint32_t MaxRomSize = 0x02000000;

// Each move's name has a fixed slot of this many bytes, starting with move 0's ("-").
inline constexpr std::uint32_t NameSlotWidth = 13;

// One supported image: the game code and software version in its header, the file offsets of
// its move-name list and sound-move table in the unmodified game, and where its code keeps the
// addresses of both. The same code with another version byte is a different layout, so both
// must match.
struct GameInfo
{
    std::string_view Code;
    std::uint8_t Revision;
    std::string_view Name;
    std::uint32_t MoveNamesOffset;
    std::uint32_t SoundMovesOffset;
    // File offset of the 32-bit little-endian word holding the table's address.
    std::uint32_t TableWordAt;
    // File offset of one word holding the address of the name list (move 0's slot).
    std::uint32_t NamesWordAt;
    // What that word holds in the unmodified game.
    std::uint32_t NamesAddress;
};

// Tested in this order; the first row whose code and revision both match is the game.
inline constexpr std::array<GameInfo, 15> SupportedGames { {
    { "AXVE", 0, "Ruby", 0x1F8328, 0x1FA724, 0x18ABC, 0x67500, 0x081F8320 },
    { "AXPE", 0, "Sapphire", 0x1F82B8, 0x1FA6B4, 0x18ABC, 0x67504, 0x081F82B0 },
    { "BPEE", 0, "Emerald", 0x31977E, 0x31BCF8, 0x42F70, 0x9B18C, 0x0831977C },
    { "BPRE", 0, "Fire Red", 0x24709C, 0x250104, 0x1A67C, 0x6BE8C, 0x08247094 },
    { "BPGE", 0, "Leaf Green", 0x247078, 0x2500E0, 0x1A67C, 0x6BE8C, 0x08247070 },
    { "BPRE", 1, "Fire Red 1.1", 0x24710C, 0x250174, 0x1A690, 0x6BEA0, 0x08247104 },
    { "BPGE", 1, "Leaf Green 1.1", 0x2470E8, 0x250150, 0x1A690, 0x6BEA0, 0x082470E0 },
    { "AXVE", 1, "Ruby 1.1", 0x1F8340, 0x1FA73C, 0x18ABC, 0x67520, 0x081F8338 },
    { "AXVE", 2, "Ruby 1.2", 0x1F8340, 0x1FA73C, 0x18ABC, 0x67520, 0x081F8338 },
    { "AXPE", 1, "Sapphire 1.1", 0x1F82D0, 0x1FA6CC, 0x18ABC, 0x67524, 0x081F82C8 },
    { "AXPE", 2, "Sapphire 1.2", 0x1F82D0, 0x1FA6CC, 0x18ABC, 0x67524, 0x081F82C8 },
    { "AXVD", 0, "Rubin", 0x2052A4, 0x2076F4, 0x18C90, 0x67840, 0x0820529C },
    { "AXVD", 1, "Rubin 1.1", 0x2052A4, 0x2076F4, 0x18C90, 0x67840, 0x0820529C },
    { "AXPD", 0, "Saphir", 0x205238, 0x207688, 0x18C90, 0x67844, 0x08205230 },
    { "AXPD", 1, "Saphir 1.1", 0x205238, 0x207688, 0x18C90, 0x67844, 0x08205230 },
} };

// The row for a code and revision, or nullptr when the image is not supported.
const GameInfo* FindGame(std::string_view code, std::uint8_t revision);

} // namespace zarnith

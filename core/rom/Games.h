#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zarnith {

// Where the cartridge header keeps the four-character game code and the software version byte.
inline constexpr std::uint32_t GameCodeOffset = 0xAC;
inline constexpr std::uint32_t SoftwareVersionOffset = 0xBC;

// One supported image: the game code and software version in its header, and the file offsets
// of its move-name list and sound-move table. The same code with another version byte is a
// different layout, so both must match.
struct GameInfo
{
    std::string_view Code;
    std::uint8_t Revision;
    std::string_view Name;
    std::uint32_t MoveNamesOffset;
    std::uint32_t SoundMovesOffset;
};

// Tested in this order; the first row whose code and revision both match is the game.
inline constexpr std::array<GameInfo, 11> SupportedGames { {
    { "AXVE", 0, "Ruby", 0x1F8328, 0x1FA724 },
    { "AXPE", 0, "Sapphire", 0x1F82B8, 0x1FA6B4 },
    { "BPEE", 0, "Emerald", 0x31977E, 0x31BCF8 },
    { "BPRE", 0, "Fire Red", 0x24709C, 0x250104 },
    { "BPGE", 0, "Leaf Green", 0x247078, 0x2500E0 },
    { "BPRE", 1, "Fire Red 1.1", 0x24710C, 0x250174 },
    { "BPGE", 1, "Leaf Green 1.1", 0x2470E8, 0x250150 },
    { "AXVE", 1, "Ruby 1.1", 0x1F8340, 0x1FA73C },
    { "AXVE", 2, "Ruby 1.2", 0x1F8340, 0x1FA73C },
    { "AXPE", 1, "Sapphire 1.1", 0x1F82D0, 0x1FA6CC },
    { "AXPE", 2, "Sapphire 1.2", 0x1F82D0, 0x1FA6CC },
} };

// The row for a code and revision, or nullptr when the image is not supported.
const GameInfo* FindGame(std::string_view code, std::uint8_t revision);

} // namespace zarnith

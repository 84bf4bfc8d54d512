#pragma once

#include "rom/Games.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarnith {

class RomFile;

// How each release's battle code reaches the sound-move table: the battle loop reads commands
// from the battle-command table through five words in its code; command 0 (the attack checks)
// calls the ability-effects function with a BL; that function loads the table word with a Thumb
// `ldr rN, [pc, #imm]`. Offsets are file offsets, addresses as the game sees them. Besides the
// links, four stretches of that code (CodeStretches) hold the release's own bytes, whose CRC32s
// are facts of the release: small hooks go there.
struct BattlePath
{
    std::string_view Code;
    std::uint8_t Revision;
    std::uint32_t CommandTable; // the battle-command table's address
    std::array<std::uint32_t, 5> CommandWordsAt; // the words holding that address
    std::uint32_t FirstCommand; // command 0's address, Thumb bit set
    std::uint32_t CallAt; // the BL to the ability-effects function
    std::uint32_t AbilityEffects; // that function's address
    std::uint32_t TableLoadAt; // the ldr of the table word (GameInfo::TableWordAt)
    std::array<std::uint32_t, 4> CodeCrc32; // zlib's CRC32 of each stretch, as CodeStretches orders them
};

namespace battlepath {
inline constexpr std::array<std::uint32_t, 5> RubySapphire { 0x12F34, 0x13DA0, 0x13FB4, 0x13FE0, 0x1B5B8 };
inline constexpr std::array<std::uint32_t, 5> Emerald { 0x3CD94, 0x3DE38, 0x3E084, 0x3E0B0, 0x458D8 };
inline constexpr std::array<std::uint32_t, 5> FireRed { 0x14C1C, 0x15A28, 0x15C6C, 0x15C98, 0x1D054 };
inline constexpr std::array<std::uint32_t, 5> FireRed11 { 0x14C30, 0x15A3C, 0x15C80, 0x15CAC, 0x1D068 };
inline constexpr std::array<std::uint32_t, 5> German { 0x13108, 0x13F74, 0x14188, 0x141B4, 0x1B78C };
// The stretches' CRC32s; German and English Ruby and Sapphire share theirs, and so do both
// revisions of Fire Red and Leaf Green.
inline constexpr std::array<std::uint32_t, 4> RubySapphireCode { 0xF9EBEE97, 0x4C455988, 0x74E16F42, 0x12932BA5 };
inline constexpr std::array<std::uint32_t, 4> EmeraldCode { 0xF9EBEE97, 0x0AFA150B, 0x74E16F42, 0x1B6FF9B3 };
inline constexpr std::array<std::uint32_t, 4> FireRedCode { 0xF9EBEE97, 0xDF2E324A, 0xDA89FED3, 0x3555A41D };
} // namespace battlepath

// German and English Ruby and Sapphire share their code's layout within each language; Fire Red
// and Leaf Green share theirs but for the command table's place.
inline constexpr std::array<BattlePath, 15> BattlePaths { {
    { "AXVE", 0, 0x081FA73C, battlepath::RubySapphire, 0x0801BC51, 0x1BCD2, 0x08018324, 0x18A4E,
        battlepath::RubySapphireCode },
    { "AXVE", 1, 0x081FA754, battlepath::RubySapphire, 0x0801BC51, 0x1BCD2, 0x08018324, 0x18A4E,
        battlepath::RubySapphireCode },
    { "AXVE", 2, 0x081FA754, battlepath::RubySapphire, 0x0801BC51, 0x1BCD2, 0x08018324, 0x18A4E,
        battlepath::RubySapphireCode },
    { "AXPE", 0, 0x081FA6CC, battlepath::RubySapphire, 0x0801BC51, 0x1BCD2, 0x08018324, 0x18A4E,
        battlepath::RubySapphireCode },
    { "AXPE", 1, 0x081FA6E4, battlepath::RubySapphire, 0x0801BC51, 0x1BCD2, 0x08018324, 0x18A4E,
        battlepath::RubySapphireCode },
    { "AXPE", 2, 0x081FA6E4, battlepath::RubySapphire, 0x0801BC51, 0x1BCD2, 0x08018324, 0x18A4E,
        battlepath::RubySapphireCode },
    { "BPEE", 0, 0x0831BD10, battlepath::Emerald, 0x08045FFD, 0x4607E, 0x08042828, 0x42F04, battlepath::EmeraldCode },
    { "BPRE", 0, 0x0825011C, battlepath::FireRed, 0x0801D761, 0x1D7E2, 0x08019F18, 0x1A60E, battlepath::FireRedCode },
    { "BPGE", 0, 0x082500F8, battlepath::FireRed, 0x0801D761, 0x1D7E2, 0x08019F18, 0x1A60E, battlepath::FireRedCode },
    { "BPRE", 1, 0x0825018C, battlepath::FireRed11, 0x0801D775, 0x1D7F6, 0x08019F2C, 0x1A622, battlepath::FireRedCode },
    { "BPGE", 1, 0x08250168, battlepath::FireRed11, 0x0801D775, 0x1D7F6, 0x08019F2C, 0x1A622, battlepath::FireRedCode },
    { "AXVD", 0, 0x0820770C, battlepath::German, 0x0801BE25, 0x1BEA6, 0x080184F8, 0x18C22,
        battlepath::RubySapphireCode },
    { "AXVD", 1, 0x0820770C, battlepath::German, 0x0801BE25, 0x1BEA6, 0x080184F8, 0x18C22,
        battlepath::RubySapphireCode },
    { "AXPD", 0, 0x082076A0, battlepath::German, 0x0801BE25, 0x1BEA6, 0x080184F8, 0x18C22,
        battlepath::RubySapphireCode },
    { "AXPD", 1, 0x082076A0, battlepath::German, 0x0801BE25, 0x1BEA6, 0x080184F8, 0x18C22,
        battlepath::RubySapphireCode },
} };

// The four stretches of a release's code on the path, in the game's order, as file offsets: the
// attack checks' start, the call of the ability effects, the ability effects' start, and the
// Soundproof case around the ldr of the table word. Each holds instructions only.
struct CodeStretch
{
    std::uint32_t Offset;
    std::uint32_t Size;
};
std::array<CodeStretch, 4> CodeStretches(const BattlePath& path);

// The path of a supported game, or nullptr.
const BattlePath* FindBattlePath(const GameInfo& game);

// The first link of the path that is not the game's own, in the order the game follows them.
enum class PathBreak {
    None, // the game reads the table
    EndOfFile, // the file ends before the game's code does
    WordsDiffer, // the five words do not hold one address
    CommandTableOutside, // they point outside the cartridge and its mirrors (Elsewhere: where)
    CommandTablePastEnd, // they point past the file's end, inside 32 MiB (Elsewhere: where)
    FirstCommandMoved, // command 0 of that table is not the game's (Elsewhere: what it is)
    FirstCommandJumps, // the game's command 0 starts with a jump away (Elsewhere: to, when known)
    CallMoved, // no BL to the ability-effects function at its place (Elsewhere: the BL's target)
    AbilityEffectsJump, // the ability-effects function starts with a jump away
    LoadMoved, // no ldr of the table word at its place (Elsewhere: the word it loads instead)
    // A stretch of the code (CodeStretches) is not the release's own (Own: its file offset).
    AttackChecksChanged,
    CallChanged,
    AbilityEffectsChanged,
    SoundproofCaseChanged,
};

struct GamePath
{
    PathBreak Break = PathBreak::None;
    // Where the game goes instead, when that is known: an address.
    std::optional<std::uint32_t> Elsewhere = std::nullopt;
    // What the game's own path has at the broken link: an address (a changed stretch: its offset).
    std::uint32_t Own = 0;

    bool Read() const { return Break == PathBreak::None; }
    friend bool operator==(const GamePath&, const GamePath&) = default;
};

// Follows the path from the battle loop to the table word of game in file, reading the file
// itself (a few words and the four stretches). A game without a known path is read.
GamePath CheckGamePath(RomFile& file, const GameInfo& game);

} // namespace zarnith

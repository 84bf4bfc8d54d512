#include "rom/GamePath.h"

#include "rom/ImageDigest.h"
#include "rom/RomAccess.h"
#include "rom/RomFile.h"

#include <algorithm>

namespace zarnith {

namespace {

// How many halfwords at a function's start are looked at for a jump away. The games' own
// command 0 and ability-effects function start by saving registers; a tool that takes one over
// puts its jump first (`ldr r1, [pc, #0]; bx r1`).
constexpr int StartHalfwords = 4;

std::optional<std::uint16_t> HalfwordAt(RomFile& file, std::uint32_t offset)
{
    std::uint8_t bytes[2];
    if (file.ReadFull(offset, bytes, 2) != 2)
        return std::nullopt;
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

// The address a Thumb `ldr rd, [pc, #imm]` at offset loads from, as a file offset.
std::uint32_t LiteralOffset(std::uint32_t offset, std::uint16_t instruction)
{
    return ((offset + 4) & ~3u) + (instruction & 0xFFu) * 4;
}

// Whether the Thumb code at offset leaves at once: an unconditional branch, a `bx`, a `mov pc`
// or `add pc`, or a `pop {..., pc}` among its first halfwords. target gets where to, when known:
// a branch's target, or a register loaded from a literal just before.
bool JumpsAway(RomFile& file, std::uint32_t offset, std::optional<std::uint32_t>& target)
{
    std::uint8_t bytes[2 * StartHalfwords];
    if (file.ReadFull(offset, bytes, sizeof bytes) != sizeof bytes)
        return false;
    std::array<std::optional<std::uint32_t>, 8> loaded;
    for (int i = 0; i < StartHalfwords; ++i) {
        const std::uint32_t at = offset + 2 * static_cast<std::uint32_t>(i);
        const auto h = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        if ((h & 0xF800) == 0x4800) {
            loaded[(h >> 8) & 7] = ReadWordAt(file, LiteralOffset(at, h));
        } else if ((h & 0xF800) == 0xE000) {
            std::int32_t distance = (h & 0x7FF) << 1;
            if ((distance & 0x800) != 0)
                distance -= 0x1000;
            target = static_cast<std::uint32_t>(RomBase + at + 4 + distance);
            return true;
        } else if ((h & 0xFF87) == 0x4700 || (h & 0xFF87) == 0x4687 || (h & 0xFF87) == 0x4487) {
            const unsigned source = (h >> 3) & 0xF;
            if (source < 8 && (h & 0xFF87) != 0x4487)
                target = loaded[source];
            return true;
        } else if ((h & 0xFF00) == 0xBD00) {
            return true;
        }
    }
    return false;
}

} // namespace

std::array<CodeStretch, 4> CodeStretches(const BattlePath& path)
{
    return { { { path.FirstCommand - 1 - RomBase, 24 }, { path.CallAt - 26, 30 }, { path.AbilityEffects - RomBase, 44 },
        { path.TableLoadAt - 12, 64 } } };
}

const BattlePath* FindBattlePath(const GameInfo& game)
{
    for (const BattlePath& path : BattlePaths) {
        if (path.Code == game.Code && path.Revision == game.Revision)
            return &path;
    }
    return nullptr;
}

GamePath CheckGamePath(RomFile& file, const GameInfo& game)
{
    const BattlePath* path = FindBattlePath(game);
    if (path == nullptr)
        return {};
    const long long size = std::min<long long>(file.Size(), MaxRomSize);
    std::uint32_t end = std::max({ path->FirstCommand - RomBase - 1 + 2 * StartHalfwords, path->CallAt + 4,
        path->AbilityEffects - RomBase + 2 * StartHalfwords, path->TableLoadAt + 2 });
    for (std::uint32_t at : path->CommandWordsAt)
        end = std::max(end, at + 4);
    const std::array<CodeStretch, 4> stretches = CodeStretches(*path);
    for (const CodeStretch& stretch : stretches)
        end = std::max(end, stretch.Offset + stretch.Size);
    if (size < end)
        return { PathBreak::EndOfFile };

    std::optional<std::uint32_t> table = ReadWordAt(file, path->CommandWordsAt[0]);
    for (std::uint32_t at : path->CommandWordsAt) {
        if (ReadWordAt(file, at) != table)
            return { PathBreak::WordsDiffer, std::nullopt, path->CommandTable };
    }
    // The cartridge is seen three times over, from 0x08000000, 0x0A000000 and 0x0C000000.
    if (!table || *table < RomBase || *table - RomBase >= 3 * MaxRomSize)
        return { PathBreak::CommandTableOutside, table, path->CommandTable };
    const std::uint32_t tableAt = (*table - RomBase) % MaxRomSize;
    if (tableAt + 4LL > size)
        return { PathBreak::CommandTablePastEnd, table, path->CommandTable };
    const std::optional<std::uint32_t> first = ReadWordAt(file, tableAt);
    if (first != path->FirstCommand)
        return { PathBreak::FirstCommandMoved, first, path->FirstCommand };

    std::optional<std::uint32_t> target;
    if (JumpsAway(file, path->FirstCommand - RomBase - 1, target))
        return { PathBreak::FirstCommandJumps, target, path->FirstCommand };

    // A BL is two halfwords: the high half of the distance, then the low.
    const std::optional<std::uint32_t> call = ReadWordAt(file, path->CallAt);
    const std::uint32_t high = call.value_or(0) & 0xFFFF;
    const std::uint32_t low = call.value_or(0) >> 16;
    if ((high & 0xF800) != 0xF000 || (low & 0xF800) != 0xF800)
        return { PathBreak::CallMoved, std::nullopt, path->AbilityEffects };
    std::int32_t distance = static_cast<std::int32_t>((high & 0x7FF) << 12 | (low & 0x7FF) << 1);
    if ((distance & 0x400000) != 0)
        distance -= 0x800000;
    const auto called = static_cast<std::uint32_t>(RomBase + path->CallAt + 4 + distance);
    if (called != path->AbilityEffects)
        return { PathBreak::CallMoved, called, path->AbilityEffects };

    if (JumpsAway(file, path->AbilityEffects - RomBase, target))
        return { PathBreak::AbilityEffectsJump, target, path->AbilityEffects };

    const std::optional<std::uint16_t> load = HalfwordAt(file, path->TableLoadAt);
    const std::uint32_t word = RomBase + game.TableWordAt;
    if (!load || (*load & 0xF800) != 0x4800)
        return { PathBreak::LoadMoved, std::nullopt, word };
    if (LiteralOffset(path->TableLoadAt, *load) != game.TableWordAt)
        return { PathBreak::LoadMoved, RomBase + LiteralOffset(path->TableLoadAt, *load), word };

    constexpr PathBreak Changed[] = { PathBreak::AttackChecksChanged, PathBreak::CallChanged,
        PathBreak::AbilityEffectsChanged, PathBreak::SoundproofCaseChanged };
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        std::array<std::uint8_t, 64> bytes;
        const CodeStretch& stretch = stretches[i];
        if (file.ReadFull(stretch.Offset, bytes.data(), stretch.Size) != stretch.Size)
            return { PathBreak::EndOfFile };
        if (Crc32({ bytes.data(), stretch.Size }) != path->CodeCrc32[i])
            return { Changed[i], std::nullopt, stretch.Offset };
    }
    return {};
}

} // namespace zarnith

#include "soundmoves/SoundMoves.h"

#include "rom/RomAccess.h"

namespace zarnith {

namespace {

std::uint8_t ReadOrFF(RomFile& file)
{
    int byte = file.ReadByte();
    return static_cast<std::uint8_t>(byte == EndOfFile ? 0xFF : byte);
}

} // namespace

bool IsValidMove(std::uint16_t id)
{
    return id >= 1 && id <= MoveCount;
}

std::string EntryName(std::uint16_t id, const MoveNameList& names)
{
    if (IsValidMove(id))
        return names[id - 1];
    return "??? (" + std::to_string(id) + ")";
}

LoadResult LoadSoundMoves(
    RomAccess& rom, const MoveNameList& names, SoundMoveTable& table, const AskRepairFunction& askRepair)
{
    LoadResult result;
    if (rom.Game() == nullptr)
        return result;
    result.Loaded = true;
    table = SoundMoveTable {};

    RomFile& file = rom.File();
    const std::uint32_t start = rom.SoundMovesOffset();
    file.SeekGet(start);
    while (table.Count < SoundMoveCount) {
        SoundMoveEntry& entry = table.Entries[table.Count];
        entry.Low = ReadOrFF(file);
        entry.High = ReadOrFF(file);
        if (entry.Low == 0xFF && entry.High == 0xFF)
            break;
        if (!IsValidMove(entry.Id()) && askRepair(table.Count, entry.Id())) {
            const auto end = static_cast<std::uint32_t>(start + 2 * (table.Count + 1));
            if (RepairEntry(rom, end)) {
                // Read back what the file now holds rather than assuming it.
                file.SeekGet(end - 2);
                entry.Low = ReadOrFF(file);
                entry.High = ReadOrFF(file);
            } else {
                ++result.RepairsFailed;
            }
        }
        entry.Name = EntryName(entry.Id(), names);
        ++table.Count;
    }
    if (table.Count < SoundMoveCount)
        table.Entries[table.Count] = SoundMoveEntry {};
    result.EndedEarly = file.Failed();
    return result;
}

bool RepairEntry(RomAccess& rom, std::uint32_t position)
{
    if (rom.Game() == nullptr || position < 2)
        return false;
    RomFile& file = rom.File();
    file.SeekPut(position - 2);
    return file.WriteByte(FillerLow) && file.WriteByte(FillerHigh) && file.Flush();
}

bool SaveSoundMoves(RomAccess& rom, const SoundMoveTable& table)
{
    RomFile& file = rom.File();
    if (rom.Game() == nullptr || file.Failed() || table.Count < 0 || table.Count > SoundMoveCount)
        return false;
    const std::uint32_t start = rom.SoundMovesOffset();
    // Writing past the end would grow a file that was cut short since it was opened, and
    // writing to a file that was replaced would save into one the user can no longer see.
    if (file.Size() < static_cast<long long>(start) + 2 * table.Count || !file.StillAtPath())
        return false;
    file.SeekPut(start);
    for (int i = 0; i < table.Count; ++i) {
        if (!file.WriteByte(table.Entries[i].Low) || !file.WriteByte(table.Entries[i].High))
            return false;
    }
    return file.Sync();
}

} // namespace zarnith

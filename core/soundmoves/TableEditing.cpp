#include "soundmoves/TableEditing.h"

namespace zarnith {

namespace {

bool InTable(const SoundMoveTable& table, int s)
{
    return s >= 0 && s < table.Count && table.Count <= SoundMoveCount;
}

bool InMoveList(int m)
{
    return m >= 0 && m < MoveCount;
}

} // namespace

SoundMoveEntry EntryFromMoveIndex(int m, const MoveNameList& names)
{
    const int id = m + 1;
    return SoundMoveEntry { names[m], static_cast<std::uint8_t>(id % 256), static_cast<std::uint8_t>(id / 256) };
}

bool ChangeMove(SoundMoveTable& table, const MoveNameList& names, int s, int m)
{
    if (!InTable(table, s) || !InMoveList(m))
        return false;
    table.Entries[s] = EntryFromMoveIndex(m, names);
    return true;
}

bool InsertMove(SoundMoveTable& table, const MoveNameList& names, int s, int m)
{
    if (!InTable(table, s) || !InMoveList(m))
        return false;
    for (int i = table.Count - 1; i > s; --i)
        table.Entries[i] = table.Entries[i - 1];
    table.Entries[s] = EntryFromMoveIndex(m, names);
    return true;
}

bool DeleteMove(SoundMoveTable& table, const MoveNameList& names, int s)
{
    if (!InTable(table, s))
        return false;
    for (int i = s; i < table.Count - 1; ++i)
        table.Entries[i] = table.Entries[i + 1];
    table.Entries[table.Count - 1] = EntryFromMoveIndex(FillerMove - 1, names);
    return true;
}

} // namespace zarnith

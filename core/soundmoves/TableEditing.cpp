#include "soundmoves/TableEditing.h"

namespace zarnith {

namespace {

bool InTable(const SoundMoveTable& table, int s)
{
    return s >= 0 && s < table.Count();
}

bool InMoveList(const MoveNameList& names, int m)
{
    return m >= 0 && static_cast<std::size_t>(m) < names.size();
}

} // namespace

SoundMoveEntry EntryFromMoveIndex(int m, const MoveNameList& names)
{
    const int id = m + 1;
    std::string name = static_cast<std::size_t>(m) < names.size() ? names[m] : std::string();
    return SoundMoveEntry { std::move(name), static_cast<std::uint8_t>(id % 256), static_cast<std::uint8_t>(id / 256) };
}

bool ChangeMove(SoundMoveTable& table, const MoveNameList& names, int s, int m)
{
    if (!InTable(table, s) || !InMoveList(names, m))
        return false;
    table.Entries[s] = EntryFromMoveIndex(m, names);
    return true;
}

bool InsertMove(SoundMoveTable& table, const MoveNameList& names, int s, int m)
{
    if (!InTable(table, s) || !InMoveList(names, m))
        return false;
    table.Entries.pop_back();
    table.Entries.insert(table.Entries.begin() + s, EntryFromMoveIndex(m, names));
    return true;
}

bool DeleteMove(SoundMoveTable& table, const MoveNameList& names, int s)
{
    if (!InTable(table, s))
        return false;
    table.Entries.erase(table.Entries.begin() + s);
    table.Entries.push_back(EntryFromMoveIndex(FillerMove - 1, names));
    return true;
}

bool AppendMove(SoundMoveTable& table, const MoveNameList& names, int m)
{
    if (static_cast<std::size_t>(table.Count()) >= names.size() || !InMoveList(names, m))
        return false;
    table.Entries.push_back(EntryFromMoveIndex(m, names));
    return true;
}

bool RemoveMove(SoundMoveTable& table, const MoveNameList&, int s)
{
    if (!InTable(table, s))
        return false;
    table.Entries.erase(table.Entries.begin() + s);
    return true;
}

} // namespace zarnith

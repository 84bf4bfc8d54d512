#include "soundmoves/Document.h"

#include "soundmoves/TableEditing.h"

namespace zarnith {

Document::OpenResult Document::Open(const std::string& path, const AskRepairFunction& askRepair)
{
    Close();
    OpenResult result;
    result.Error = m_rom.OpenRom(path);
    if (result.Error != OpenError::None)
        return result;
    if (m_rom.IdentifyGame() == nullptr) {
        m_rom.CloseRom();
        return result;
    }
    result.Supported = true;
    m_path = path;
    ReadMoveNames(m_rom, m_names);
    SoundMoveTable table;
    result.Load = LoadSoundMoves(m_rom, m_names, table, m_place, askRepair);
    m_status = result.Load.Status;
    Reset(std::move(table));
    return result;
}

void Document::Close()
{
    m_rom.CloseRom();
    m_path.clear();
    m_place = TablePlace {};
    m_status = TableStatus::NotLocated;
    Reset(SoundMoveTable {});
}

void Document::Reset(SoundMoveTable table)
{
    m_history.assign(1, std::move(table));
    m_current = 0;
    m_saved = 0;
}

std::optional<std::uint32_t> Document::TableOffset() const
{
    if (CanSave())
        return m_place.Offset;
    if (IsOpen() && m_rom.TableWordInFile())
        return m_rom.SoundMovesOffset();
    return std::nullopt;
}

bool Document::Apply(const std::function<bool(SoundMoveTable&)>& edit)
{
    if (!CanSave())
        return false;
    SoundMoveTable table = Table();
    if (!edit(table) || table == Table())
        return false;
    // A new edit after undoing drops the steps that were undone; if the file held one of them,
    // no step matches the file any more.
    m_history.resize(m_current + 1);
    if (m_saved > m_current)
        m_saved = NoStep;
    m_history.push_back(std::move(table));
    ++m_current;
    return true;
}

bool Document::Change(int s, int m)
{
    return Apply([&](SoundMoveTable& t) { return ChangeMove(t, m_names, s, m); });
}

bool Document::Insert(int s, int m)
{
    return Apply([&](SoundMoveTable& t) { return InsertMove(t, m_names, s, m); });
}

bool Document::Delete(int s)
{
    return Apply([&](SoundMoveTable& t) { return DeleteMove(t, m_names, s); });
}

bool Document::Append(int m)
{
    return Apply([&](SoundMoveTable& t) { return AppendMove(t, m_names, m); });
}

bool Document::Remove(int s)
{
    return Apply([&](SoundMoveTable& t) { return RemoveMove(t, m_names, s); });
}

bool Document::Undo()
{
    if (!CanUndo())
        return false;
    --m_current;
    return true;
}

bool Document::Redo()
{
    if (!CanRedo())
        return false;
    ++m_current;
    return true;
}

SaveStatus Document::Save(const SaveQuestions& ask)
{
    if (!CanSave())
        return SaveStatus::NotVerified;
    SaveStatus status = SaveSoundMoves(m_rom, m_place, Table(), ask);
    if (SaveSucceeded(status))
        m_saved = m_current;
    // What a failed write left is no step of the history, whatever the step it was meant for.
    else if (status == SaveStatus::WriteFailed || status == SaveStatus::MoveFailed)
        m_saved = NoStep;
    return status;
}

} // namespace zarnith

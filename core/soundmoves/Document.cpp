#include "soundmoves/Document.h"

#include "soundmoves/TableEditing.h"

#include <algorithm>
#include <cstdio>

namespace zarnith {

namespace {

// Copies every byte of from into the empty file to; false when a read or write fails.
bool CopyImage(RomFile& from, FileHandle to)
{
    const long long size = from.Size();
    if (size < 0)
        return false;
    std::vector<std::uint8_t> buffer(std::size_t { 1 } << 20);
    for (std::uint64_t offset = 0; offset < static_cast<std::uint64_t>(size);) {
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(buffer.size(), static_cast<std::uint64_t>(size) - offset));
        const std::size_t got = from.ReadBlock(offset, buffer.data(), want);
        if (got == 0 || !WriteAt(to, offset, buffer.data(), got))
            return false;
        offset += got;
    }
    return true;
}

} // namespace

Document::OpenResult Document::Open(const std::string& path, const AskRepairFunction& askRepair)
{
    Close();
    OpenResult result;
    result.Error = m_rom->OpenRom(path);
    if (result.Error != OpenError::None)
        return result;
    if (m_rom->IdentifyGame() == nullptr) {
        m_rom->CloseRom();
        return result;
    }
    result.Supported = true;
    m_path = path;
    ReadMoveNames(*m_rom, m_names);
    SoundMoveTable table;
    const AskRepairFunction keep = [](int, std::uint16_t) { return false; };
    result.Load = LoadSoundMoves(*m_rom, m_names, table, m_place, IsReadOnly() ? keep : askRepair);
    m_status = result.Load.Status;
    Reset(std::move(table));
    return result;
}

void Document::Close()
{
    m_rom->CloseRom();
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
    if (CanEdit())
        return m_place.Offset;
    if (IsOpen() && m_rom->TableWordInFile())
        return m_rom->SoundMovesOffset();
    return std::nullopt;
}

bool Document::Apply(const std::function<bool(SoundMoveTable&)>& edit)
{
    if (!CanEdit())
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

std::string Document::ExportTable() const
{
    if (!IsOpen())
        return {};
    const GameInfo& game = *Game();
    std::string heading = "Zarnith sound-move table of ";
    heading += game.Name;
    heading += " (";
    heading += game.Code;
    heading += " revision " + std::to_string(game.Revision) + "), " + std::to_string(Table().Count());
    heading += Table().Count() == 1 ? " entry" : " entries";
    if (const std::optional<std::uint32_t> offset = TableOffset()) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(*offset));
        heading += " at 0x";
        heading += hex;
        heading += *offset == game.SoundMovesOffset ? " (the game's own place)" : " (moved)";
    }
    return FormatTableText(Table(), heading);
}

ImportResult Document::Import(std::string_view text)
{
    if (!CanEdit())
        return {};
    TableText parsed = ParseTableText(text, m_names);
    if (parsed.Refusal.Problem != TextProblem::None)
        return { ImportStatus::Refused, std::move(parsed.Refusal), {} };
    const bool changed = Apply([&](SoundMoveTable& table) {
        table.Entries.clear();
        for (std::uint16_t id : parsed.Moves)
            table.Entries.push_back(EntryFromMoveIndex(id - 1, m_names));
        return true;
    });
    return { changed ? ImportStatus::Imported : ImportStatus::Unchanged, {}, std::move(parsed.Notes) };
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
    SaveStatus status = SaveSoundMoves(*m_rom, m_place, Table(), static_cast<int>(m_names.size()), ask);
    if (SaveSucceeded(status))
        m_saved = m_current;
    // What a failed write left is no step of the history, whatever the step it was meant for.
    else if (status == SaveStatus::WriteFailed || status == SaveStatus::MoveFailed)
        m_saved = NoStep;
    return status;
}

SaveAsResult Document::SaveAs(const std::string& path, const SaveQuestions& ask)
{
    if (!CanSaveAs())
        return { SaveAsStatus::NotEditable };
    if (File().IsFileAt(path)) {
        if (IsReadOnly())
            return { SaveAsStatus::TargetRefused, SaveStatus::NotVerified, OpenError::Permission };
        return { SaveAsStatus::SameFile, Save(ask) };
    }
    // A file already at path is replaced only where it could have been written itself: one the
    // user keeps read-only, or another program holds, stays as it is.
    {
        RomFile existing;
        const OpenError error = existing.Open(path);
        if (error == OpenError::None && existing.ReadOnly())
            return { SaveAsStatus::TargetRefused, SaveStatus::NotVerified, OpenError::Permission };
        if (error != OpenError::None && error != OpenError::Missing)
            return { SaveAsStatus::TargetRefused, SaveStatus::NotVerified, error };
    }

    FileHandle handle = NoFile;
    std::string copyPath;
    const OpenError created = CreateFileBeside(path, &handle, &copyPath);
    if (created != OpenError::None)
        return { SaveAsStatus::CreateFailed, SaveStatus::NotVerified, created };
    bool copied = CopyImage(File(), handle) && SyncFile(handle);
    copied = CloseFile(handle) && copied;
    if (!copied) {
        RemoveFile(copyPath);
        return { SaveAsStatus::CopyFailed };
    }

    // The copy is the file as it is on disk now, so the rules of Save apply to it unchanged,
    // another program's change to the original included.
    TablePlace place = m_place;
    SaveStatus status = SaveStatus::NotVerified;
    {
        RomAccess copy;
        if (copy.OpenRom(copyPath) != OpenError::None || copy.File().ReadOnly())
            status = SaveStatus::WriteFailed;
        else if (copy.IdentifyGame() == Game())
            status = SaveSoundMoves(copy, place, Table(), static_cast<int>(m_names.size()), ask);
        if (!copy.CloseRom() && SaveSucceeded(status))
            status = SaveStatus::WriteFailed;
    }
    if (!SaveSucceeded(status)) {
        RemoveFile(copyPath);
        return { SaveAsStatus::TableNotSaved, status };
    }
    if (!MoveFileOver(copyPath, path)) {
        RemoveFile(copyPath);
        return { SaveAsStatus::ReplaceFailed, status };
    }

    auto next = std::make_unique<RomAccess>();
    const OpenError reopened = next->OpenRom(path);
    if (reopened != OpenError::None || next->IdentifyGame() != Game() || next->TableWord() != place.Pointer)
        return { SaveAsStatus::ReopenFailed, status, reopened };
    m_rom = std::move(next);
    m_path = path;
    m_place = std::move(place);
    m_saved = m_current;
    return { SaveAsStatus::Saved, status };
}

} // namespace zarnith

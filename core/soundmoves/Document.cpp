#include "soundmoves/Document.h"

#include "rom/BpsPatch.h"
#include "rom/DeltaMatcher.h"
#include "rom/Hex.h"
#include "rom/Releases.h"
#include "soundmoves/TableEditing.h"

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>

namespace zarnith {

namespace {

// Copies every byte of from into the empty file to; false when a read or write fails.
bool CopyImage(RomFile& from, RomFile& to)
{
    const long long size = from.Size();
    if (size < 0)
        return false;
    std::vector<std::uint8_t> buffer(std::size_t { 1 } << 20);
    for (std::uint64_t offset = 0; offset < static_cast<std::uint64_t>(size);) {
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(buffer.size(), static_cast<std::uint64_t>(size) - offset));
        const std::size_t got = from.ReadBlock(offset, buffer.data(), want);
        if (got == 0 || !to.WriteBlock(offset, buffer.data(), got))
            return false;
        offset += got;
    }
    return true;
}

// Why a file already at path may not be replaced; None when it may. A file is replaced only where
// it could have been written itself: one the user keeps read-only, or another program holds,
// stays as it is.
OpenError ReplaceRefused(const std::string& path)
{
    RomFile existing;
    const OpenError error = existing.Open(path);
    if (error == OpenError::None && existing.ReadOnly())
        return OpenError::Permission;
    return error == OpenError::Missing ? OpenError::None : error;
}

} // namespace

Document::OpenResult Document::Open(const std::string& path, const AskRepairFunction& askRepair)
{
    // The open file itself is let go first: on Windows it would keep a second open from writing.
    if (IsOpen() && File().IsFileAt(path))
        Close();
    OpenResult result;
    auto next = std::make_unique<RomAccess>();
    result.Error = next->OpenRom(path);
    if (result.Error != OpenError::None)
        return result;
    if (next->IdentifyGame() == nullptr) {
        result.Code = next->HeaderCode();
        result.Revision = next->HeaderRevision();
        return result;
    }
    result.Supported = true;
    Close();
    m_rom = std::move(next);
    m_path = path;
    m_gamePath = CheckGamePath(File(), *Game());
    ReadMoveNames(*m_rom, m_names);
    SoundMoveTable table;
    const AskRepairFunction keep = [](int, std::uint16_t) { return false; };
    // Nothing is repaired in a file that may only be read, nor in a table the game no longer reads.
    result.Load
        = LoadSoundMoves(*m_rom, m_names, table, m_place, IsReadOnly() || !m_gamePath.Read() ? keep : askRepair);
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
    m_gamePath = {};
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

EditResult Document::Edit(EditCommand command, int s, int m)
{
    const int count = static_cast<int>(Table().Entries.size());
    if (!CanEdit() || (NeedsMove(command) && m < 0) || (command != EditCommand::Append && (s < 0 || s >= count)))
        return { false, s };
    switch (command) {
    case EditCommand::Change:
        return { Change(s, m), s };
    case EditCommand::Insert:
        return { Insert(s, m), s };
    case EditCommand::Delete:
        return { Delete(s), s };
    case EditCommand::Append:
        if (!Append(m))
            return { false, s };
        return { true, static_cast<int>(Table().Entries.size()) - 1 };
    case EditCommand::Remove:
        break;
    }
    if (!Remove(s))
        return { false, s };
    return { true, std::min(s, static_cast<int>(Table().Entries.size()) - 1) };
}

int Document::MoveIndexOf(int s) const
{
    const std::vector<SoundMoveEntry>& entries = Table().Entries;
    if (s < 0 || s >= static_cast<int>(entries.size()))
        return -1;
    const std::uint16_t id = entries[static_cast<std::size_t>(s)].Id();
    return IsValidMove(id, static_cast<int>(m_names.size())) ? id - 1 : -1;
}

int Document::LargestMove() const
{
    return zarnith::LargestMove(*m_rom, m_names);
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
        heading += " at 0x" + HexNumber(*offset);
        heading += *offset == game.SoundMovesOffset ? " (the game's own place)" : " (moved)";
    }
    return FormatTableText(Table(), m_names, heading);
}

ImportResult Document::Import(std::string_view text)
{
    if (!CanEdit())
        return {};
    std::vector<std::uint16_t> kept;
    for (const SoundMoveEntry& entry : Table().Entries) {
        if (!IsValidMove(entry.Id(), LargestMove()))
            kept.push_back(entry.Id());
    }
    TableText parsed = ParseTableText(text, m_names, LargestMove(), kept);
    if (parsed.Refusal.Problem != TextProblem::None)
        return { ImportStatus::Refused, std::move(parsed.Refusal), std::move(parsed.Notes) };
    const bool changed = Apply([&](SoundMoveTable& table) {
        table.Entries.clear();
        for (std::uint16_t id : parsed.Moves) {
            table.Entries.push_back(
                { EntryName(id, m_names), static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8) });
        }
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

bool Document::ConfirmUnread(const SaveQuestions& ask)
{
    return m_gamePath.Read() || (ask.WriteUnread && ask.WriteUnread());
}

SaveStatus Document::Save(const SaveQuestions& ask)
{
    if (!CanSave())
        return SaveStatus::NotVerified;
    if (!ConfirmUnread(ask))
        return SaveStatus::UnreadDeclined;
    SaveStatus status = SaveSoundMoves(*m_rom, m_place, Table(), LargestMove(), ask);
    if (SaveSucceeded(status))
        m_saved = m_current;
    // What a failed write left is no step of the history, whatever the step it was meant for.
    else if (status == SaveStatus::WriteFailed || status == SaveStatus::MoveFailed)
        m_saved = NoStep;
    return status;
}

void Document::SaveNotKept(TablePlace before)
{
    if (!IsOpen())
        return;
    m_place = std::move(before);
    m_saved = NoStep;
}

SaveAsResult Document::SaveAs(const std::string& chosen, const SaveQuestions& ask)
{
    if (!CanSaveAs())
        return { SaveAsStatus::NotEditable };
    // A symbolic link keeps pointing at the file it names, which takes the copy.
    const std::string path = ResolveLinks(chosen);
    if (File().IsFileAt(path)) {
        if (IsReadOnly())
            return { SaveAsStatus::TargetRefused, SaveStatus::NotVerified, OpenError::Permission };
        return { SaveAsStatus::SameFile, Save(ask) };
    }
    if (const OpenError refused = ReplaceRefused(path); refused != OpenError::None)
        return { SaveAsStatus::TargetRefused, SaveStatus::NotVerified, refused };
    if (!ConfirmUnread(ask))
        return { SaveAsStatus::TableNotSaved, SaveStatus::UnreadDeclined };

    FileHandle handle = NoFile;
    std::string copyPath;
    const OpenError created = CreateFileBeside(path, &handle, &copyPath);
    if (created != OpenError::None)
        return { SaveAsStatus::CreateFailed, SaveStatus::NotVerified, created };
    // The copy is written through the handle that made it, which may write it even where the
    // user's umask makes a new file read-only by name.
    RomAccess copy;
    copy.AdoptRom(handle, copyPath);
    if (!CopyImage(File(), copy.File()) || !copy.File().Sync()) {
        copy.CloseRom();
        RemoveFile(copyPath);
        return { SaveAsStatus::CopyFailed };
    }

    // The copy is the file as it is on disk now, so the rules of Save apply to it unchanged,
    // another program's change to the original included.
    TablePlace place = m_place;
    SaveStatus status = SaveStatus::OtherImage;
    if (copy.IdentifyGame() == Game())
        status = SaveSoundMoves(copy, place, Table(), LargestMove(), ask);
    if (!copy.CloseRom() && SaveSucceeded(status))
        status = SaveStatus::WriteFailed;
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
    m_gamePath = CheckGamePath(File(), *Game());
    m_place = std::move(place);
    m_saved = m_current;
    return { SaveAsStatus::Saved, status };
}

std::vector<std::pair<std::string, std::string>> FactLines(const ImageFacts& facts, std::string_view unreadReason)
{
    std::vector<std::pair<std::string, std::string>> lines {
        { "path", facts.Path },
        { "size", std::to_string(facts.Size) },
        { "game", facts.Game },
        { "code", facts.Code },
        { "revision", std::to_string(facts.Revision) },
    };
    if (facts.Read) {
        lines.insert(lines.end(),
            { { "crc32", HexNumber(facts.Crc32, 8) }, { "sha1", facts.Sha1 },
                { "release", facts.Unmodified ? "unmodified" : "modified" } });
    }
    if (facts.Table == TableStatus::Verified) {
        lines.insert(lines.end(),
            { { "table", facts.TableAtOwnOffset ? "own" : "moved" },
                { "table offset", "0x" + HexNumber(*facts.TableOffset) },
                { "table entries", std::to_string(facts.TableEntries) } });
    } else if (facts.TableWord) {
        lines.insert(lines.end(), { { "table", "unverified" }, { "table word", "0x" + HexNumber(*facts.TableWord) } });
    } else {
        lines.push_back(
            { "table", "unread: the file ends before the game's word at 0x" + HexNumber(facts.TableWordAt) });
    }
    if (!facts.NamesWordRead) {
        lines.push_back(
            { "names", "unread: the file ends before the game's word at 0x" + HexNumber(facts.NamesWordAt) });
    } else if (!facts.NamesRead) {
        lines.push_back(
            { "names", "unread: the file ends before the list at 0x" + HexNumber(facts.NamesOffset) + " does" });
    } else {
        lines.insert(lines.end(),
            { { "names", facts.NamesAtOwnOffset ? "own" : "moved" },
                { "names offset", "0x" + HexNumber(facts.NamesOffset) },
                { "moves", std::to_string(facts.MoveCount) } });
    }
    lines.emplace_back("table read", facts.ReadByGame.Read() ? "yes" : "no (" + std::string(unreadReason) + ")");
    return lines;
}

ImageFacts Document::Facts(Hasher& sha1)
{
    ImageFacts facts;
    if (!IsOpen())
        return facts;
    const GameInfo& game = *Game();
    facts.Path = m_path;
    if (!File().StillAtPath()) {
        facts.Replaced = true;
        return facts;
    }
    facts.Code = game.Code;
    facts.Revision = game.Revision;
    facts.Game = game.Name;
    ImageDigest digest;
    facts.Read = DigestImage(File(), digest, sha1);
    facts.Size = facts.Read ? digest.Size : static_cast<std::uint64_t>(std::max(File().Size(), 0LL));
    facts.Crc32 = digest.Crc32;
    facts.Sha1 = digest.Sha1;
    facts.Unmodified = facts.Read && IsRelease(digest.Sha1);
    facts.Table = m_status;
    facts.TableOffset = TableOffset();
    facts.TableAtOwnOffset = facts.TableOffset == game.SoundMovesOffset;
    facts.TableEntries = CanEdit() ? m_place.Count : 0;
    facts.TableWord = m_rom->TableWord();
    facts.TableWordAt = game.TableWordAt;
    facts.NamesWordRead = m_rom->NamesWord().has_value();
    facts.ReadByGame = CheckGamePath(File(), game);
    facts.NamesAtOwnOffset = m_rom->NamesAtOwnOffset();
    facts.NamesOffset = m_rom->NamesListOffset();
    facts.NamesWordAt = game.NamesWordAt;
    facts.MoveCount = static_cast<int>(m_names.size());
    // The last name's slot starts inside the file: a slot cut short still holds its name.
    const auto readable = static_cast<std::uint64_t>(std::clamp<long long>(File().Size(), 0, MaxRomSize));
    facts.NamesRead = facts.NamesWordRead
        && std::uint64_t { facts.NamesOffset } + std::uint64_t { NameSlotWidth } * m_names.size() < readable;
    facts.Modified = IsModified();
    return facts;
}

TableComparison Document::CompareWithGame() const
{
    TableComparison comparison;
    std::vector<std::uint16_t> missing(GameSoundMoves.begin(), GameSoundMoves.end());
    std::vector<std::uint16_t> ids;
    for (const SoundMoveEntry& entry : Table().Entries) {
        ids.push_back(entry.Id());
        const auto found = std::find(missing.begin(), missing.end(), entry.Id());
        if (found != missing.end())
            missing.erase(found);
        else
            comparison.Added.push_back(entry.Id());
    }
    comparison.Removed = std::move(missing);
    comparison.Reordered = comparison.Added.empty() && comparison.Removed.empty()
        && !std::equal(ids.begin(), ids.end(), GameSoundMoves.begin(), GameSoundMoves.end());
    return comparison;
}

bool Document::RestoreGameTable()
{
    return Apply([&](SoundMoveTable& table) {
        table.Entries.clear();
        for (std::uint16_t id : GameSoundMoves)
            table.Entries.push_back(EntryFromMoveIndex(id - 1, m_names));
        return true;
    });
}

PatchResult Document::OpenPatchSource(const std::string& path, RomAccess& source)
{
    if (!IsOpen())
        return {};
    // A patch rebuilds the file at the open path: one that took its place is not what was opened.
    if (!File().StillAtPath())
        return { PatchStatus::Replaced };
    const OpenError error = source.OpenRom(path);
    if (error != OpenError::None)
        return { PatchStatus::ReadFailed, false, 0, error };
    // Identified as an open image is: the game code and the version byte.
    if (source.IdentifyGame() != Game()) {
        PatchResult wrong { PatchStatus::WrongGame };
        wrong.FoundCode = source.HeaderCode();
        wrong.FoundRevision = source.HeaderRevision();
        return wrong;
    }
    if (source.File().Size() > MaxPatchImageSize || File().Size() > MaxPatchImageSize)
        return { PatchStatus::TooLarge };
    return { PatchStatus::Fits };
}

bool Document::IsRelease(const std::string& sha1) const
{
    return sha1 == ReleaseSha1(Game()->Code, Game()->Revision);
}

PatchResult Document::CheckPatchSource(
    const std::string& unmodifiedPath, Hasher& sha1, const ProgressCallback& progress)
{
    RomAccess source;
    PatchResult result = OpenPatchSource(unmodifiedPath, source);
    ImageDigest digest;
    bool stopped = false;
    auto told = [&](std::uint64_t done, std::uint64_t total) {
        stopped = progress && !progress(done, total);
        return !stopped;
    };
    if (result.Status == PatchStatus::Fits && !DigestImage(source.File(), digest, sha1, told))
        return { stopped ? PatchStatus::Cancelled : PatchStatus::ReadFailed, false, 0, OpenError::Other };
    result.NotReleaseSha1 = result.Status == PatchStatus::Fits && !IsRelease(digest.Sha1);
    return result;
}

PatchResult Document::CreatePatch(
    const std::string& unmodifiedPath, const std::string& chosen, Hasher* sha1, const ProgressCallback& progress)
{
    if (!IsOpen())
        return {};
    // As Save As: a symbolic link keeps pointing at the file it names, which takes the patch.
    const std::string patchPath = ResolveLinks(chosen);
    if (File().IsFileAt(patchPath))
        return { PatchStatus::SameFile };
    if (const OpenError refused = ReplaceRefused(patchPath); refused != OpenError::None)
        return { PatchStatus::TargetRefused, false, 0, refused };
    RomAccess image;
    PatchResult result = OpenPatchSource(unmodifiedPath, image);
    RomFile& source = image.File();
    if (result.Status != PatchStatus::Fits)
        return result;
    if (source.IsFileAt(patchPath))
        return { PatchStatus::SameFile };
    if (ImageGameAt(patchPath) != nullptr)
        return { PatchStatus::OverImage };

    // Both files whole (the matcher looks anywhere in the source and in the target written so
    // far), read block by block once: the source for its CRC32 (and SHA-1), the target (the open
    // file as it stands on disk) for its CRC32. Nothing larger than a cartridge is taken.
    const long long sourceSize = source.Size();
    const long long targetSize = File().Size();
    if (sourceSize < 0 || targetSize < 0)
        return { PatchStatus::ReadFailed, false, 0, OpenError::Other };
    if (sourceSize > MaxPatchImageSize || targetSize > MaxPatchImageSize)
        return { PatchStatus::TooLarge };
    // Reading both files is the first half of the work, the patch the second.
    const auto total = static_cast<std::uint64_t>(sourceSize + targetSize);
    auto told = [&progress, total](std::uint64_t done) { return !progress || progress(done, 2 * total); };
    auto sourceBytes = NewLargeArray<std::uint8_t>(static_cast<std::size_t>(sourceSize));
    auto targetBytes = NewLargeArray<std::uint8_t>(static_cast<std::size_t>(targetSize));
    const std::span<std::uint8_t> from(sourceBytes.get(), static_cast<std::size_t>(sourceSize));
    const std::span<std::uint8_t> to(targetBytes.get(), static_cast<std::size_t>(targetSize));
    std::uint32_t sourceCrc = 0;
    std::uint32_t targetCrc = 0;
    if (sha1 != nullptr)
        sha1->Reset();
    std::uint64_t read = 0;
    for (auto [file, bytes, crc] : { std::tuple { &source, &from, &sourceCrc }, { &File(), &to, &targetCrc } }) {
        for (std::size_t offset = 0; offset < bytes->size(); offset += ImageBlockSize) {
            const std::span<std::uint8_t> block(
                bytes->data() + offset, std::min(ImageBlockSize, bytes->size() - offset));
            if (file->ReadFull(offset, block.data(), block.size()) != block.size())
                return { PatchStatus::ReadFailed, false, 0, OpenError::Other };
            *crc = AddCrc32(*crc, block);
            if (sha1 != nullptr && file == &source)
                sha1->Add(block.data(), block.size());
            if (!told(read += block.size()))
                return { PatchStatus::Cancelled, result.NotReleaseSha1 };
        }
    }
    result.NotReleaseSha1 = sha1 != nullptr && !IsRelease(sha1->HexDigest());
    BpsPatchWriter writer(from.size(), to.size());
    if (!DeltaMatcher(from, to).Write(writer, [&](std::uint64_t done, std::uint64_t) { return told(total + done); }))
        return { PatchStatus::Cancelled, result.NotReleaseSha1 };
    const std::vector<std::uint8_t> patch = writer.Finish(sourceCrc, targetCrc);
    sourceBytes.reset();
    targetBytes.reset();

    FileHandle handle = NoFile;
    std::string temporary;
    const OpenError created = CreateFileBeside(patchPath, &handle, &temporary);
    if (created != OpenError::None)
        return { PatchStatus::CreateFailed, result.NotReleaseSha1, 0, created };
    bool written = WriteAt(handle, 0, patch.data(), patch.size()) && SyncFile(handle);
    written = CloseFile(handle) && written;
    if (!written || !MoveFileOver(temporary, patchPath)) {
        RemoveFile(temporary);
        return { PatchStatus::WriteFailed, result.NotReleaseSha1 };
    }
    return { PatchStatus::Written, result.NotReleaseSha1, patch.size() };
}

} // namespace zarnith

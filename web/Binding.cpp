// The web page's view of the core: one Document, its answers as plain script objects, and the
// texts the page shows, composed here from the language table as the window's are. Files are
// paths in the module's in-memory file system, where the page puts what the user chose; names
// are the file names the user sees.
//
// The core asks its questions (repair, overwrite, grow, move) while it works, and a page cannot
// wait for an answer there. So each call takes the answers known so far and returns the first
// question it had no answer for, having declined it: the core writes nothing on a declined
// question, and the page calls again with the answer.
#include "Messages.h"
#include "soundmoves/Document.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>
#include <vector>

using emscripten::val;

namespace zarnith {
namespace {

const char* OpenErrorName(OpenError error)
{
    switch (error) {
    case OpenError::None:
        return "None";
    case OpenError::Missing:
        return "Missing";
    case OpenError::Permission:
        return "Permission";
    case OpenError::NotRegularFile:
        return "NotRegularFile";
    case OpenError::NameTooLong:
        return "NameTooLong";
    case OpenError::Other:
        break;
    }
    return "Other";
}

const char* TableStatusName(TableStatus status)
{
    switch (status) {
    case TableStatus::Verified:
        return "Verified";
    case TableStatus::NotLocated:
        return "NotLocated";
    case TableStatus::EndOfFile:
        return "EndOfFile";
    case TableStatus::PastAddressSpace:
        return "PastAddressSpace";
    case TableStatus::NoEndPair:
        return "NoEndPair";
    case TableStatus::NotMoves:
        break;
    }
    return "NotMoves";
}

const char* SaveStatusName(SaveStatus status)
{
    switch (status) {
    case SaveStatus::Saved:
        return "Saved";
    case SaveStatus::Moved:
        return "Moved";
    case SaveStatus::Grown:
        return "Grown";
    case SaveStatus::NotVerified:
        return "NotVerified";
    case SaveStatus::Replaced:
        return "Replaced";
    case SaveStatus::OtherImage:
        return "OtherImage";
    case SaveStatus::Shorter:
        return "Shorter";
    case SaveStatus::PointerChanged:
        return "PointerChanged";
    case SaveStatus::ChangeKept:
        return "ChangeKept";
    case SaveStatus::ChangedWhileAsked:
        return "ChangedWhileAsked";
    case SaveStatus::NotMoves:
        return "NotMoves";
    case SaveStatus::NoFreeSpace:
        return "NoFreeSpace";
    case SaveStatus::MoveDeclined:
        return "MoveDeclined";
    case SaveStatus::UnreadDeclined:
        return "UnreadDeclined";
    case SaveStatus::MoveFailed:
        return "MoveFailed";
    case SaveStatus::WriteFailed:
        break;
    }
    return "WriteFailed";
}

const char* PatchStatusName(PatchStatus status)
{
    switch (status) {
    case PatchStatus::Written:
        return "Written";
    case PatchStatus::Fits:
        return "Fits";
    case PatchStatus::NotOpen:
        return "NotOpen";
    case PatchStatus::Replaced:
        return "Replaced";
    case PatchStatus::WrongGame:
        return "WrongGame";
    case PatchStatus::ReadFailed:
        return "ReadFailed";
    case PatchStatus::SameFile:
        return "SameFile";
    case PatchStatus::OverImage:
        return "OverImage";
    case PatchStatus::TargetRefused:
        return "TargetRefused";
    case PatchStatus::CreateFailed:
        return "CreateFailed";
    case PatchStatus::WriteFailed:
        return "WriteFailed";
    case PatchStatus::TooLarge:
        return "TooLarge";
    case PatchStatus::Cancelled:
        break;
    }
    return "Cancelled";
}

const char* TextProblemName(TextProblem problem)
{
    switch (problem) {
    case TextProblem::None:
        return "None";
    case TextProblem::TooLarge:
        return "TooLarge";
    case TextProblem::NotText:
        return "NotText";
    case TextProblem::UnknownName:
        return "UnknownName";
    case TextProblem::NotAMove:
        return "NotAMove";
    case TextProblem::TooManyEntries:
        return "TooManyEntries";
    case TextProblem::AmbiguousName:
        return "AmbiguousName";
    case TextProblem::ByteOrderMark:
        return "ByteOrderMark";
    case TextProblem::NoEntries:
        break;
    }
    return "NoEntries";
}

const char* NoteKindName(TextNoteKind kind)
{
    switch (kind) {
    case TextNoteKind::NameMismatch:
        return "NameMismatch";
    case TextNoteKind::AmbiguousName:
        return "AmbiguousName";
    case TextNoteKind::LooseName:
        return "LooseName";
    case TextNoteKind::Windows1252:
        break;
    }
    return "Windows1252";
}

const char* ImportStatusName(ImportStatus status)
{
    switch (status) {
    case ImportStatus::Imported:
        return "Imported";
    case ImportStatus::Unchanged:
        return "Unchanged";
    case ImportStatus::Refused:
        return "Refused";
    case ImportStatus::NotEditable:
        break;
    }
    return "NotEditable";
}

EditCommand EditCommandNamed(const std::string& command)
{
    if (command == "insert")
        return EditCommand::Insert;
    if (command == "delete")
        return EditCommand::Delete;
    if (command == "append")
        return EditCommand::Append;
    if (command == "remove")
        return EditCommand::Remove;
    return EditCommand::Change;
}

val Box(const MessageBoxText& shown)
{
    val box = val::object();
    box.set("text", shown.Text);
    box.set("caption", shown.Caption);
    return box;
}

val Numbers(const std::vector<std::uint16_t>& ids)
{
    val list = val::array();
    for (std::uint16_t id : ids)
        list.call<void>("push", id);
    return list;
}

// The SHA-1 the page took of the very bytes it put in the file system (the browser's own
// SubtleCrypto, which cannot be waited for inside a call): the core's blocks are not needed.
class KnownSha1 : public Hasher
{
public:
    explicit KnownSha1(std::string hex)
        : m_hex(std::move(hex))
    {
    }
    void Reset() override { }
    void Add(const std::uint8_t*, std::size_t) override { }
    std::string HexDigest() override { return m_hex; }

private:
    std::string m_hex;
};

// A question the core put: its kind and its two numbers.
struct Question
{
    std::string Kind;
    std::uint32_t A = 0;
    std::uint32_t B = 0;

    val ToValue() const
    {
        if (Kind.empty())
            return val::null();
        val question = val::object();
        question.set("kind", Kind);
        question.set("a", A);
        question.set("b", B);
        return question;
    }
};

class WebDocument
{
public:
    // answers.repair: the entries (by index) to repair, or undefined while none was asked.
    val Open(const std::string& path, const std::string& name, val repair)
    {
        std::vector<int> asked;
        const Document::OpenResult opened = m_document.Open(path, [&](int index, std::uint16_t) {
            asked.push_back(index);
            return !repair.isUndefined() && !repair.isNull() && repair.call<bool>("includes", index);
        });
        val result = val::object();
        result.set("error", OpenErrorName(opened.Error));
        result.set("supported", opened.Supported);
        result.set("status", TableStatusName(opened.Load.Status));
        result.set("repairsFailed", opened.Load.RepairsFailed);
        result.set("code", PrintableCode(opened.Code));
        result.set("revision", opened.Revision);
        val list = val::array();
        val questions = val::array();
        const std::vector<SoundMoveEntry>& entries = m_document.Table().Entries;
        for (int index : asked) {
            list.call<void>("push", index);
            const auto at = static_cast<std::size_t>(index);
            questions.call<void>("push",
                opened.Supported && at < entries.size() ? m_words.RepairQuestion(index, entries[at].Id())
                                                        : std::string());
        }
        result.set("asked", list);
        result.set("questions", questions);
        result.set("refusal", opened.Supported ? std::string() : m_words.OpenRefusal(opened, name));
        val reports = val::array();
        if (opened.Supported) {
            for (const std::string& report : m_words.LoadReports(m_document, opened.Load))
                reports.call<void>("push", report);
        }
        result.set("reports", reports);
        result.set("pathWarning", opened.Supported ? m_words.PathWarning(m_document) : std::string());
        return result;
    }

    // Texts of the page that need no document result.
    std::string Title(const std::string& name) const { return m_words.MarkedTitle(m_document, name); }
    std::string Heading(const std::string& name) const { return m_words.Heading(m_document, name); }
    std::string MoveTooltip(int id) const { return m_words.MoveTooltip(id); }
    val UnexpectedError(const std::string& what) const { return Box(m_words.UnexpectedError(what)); }
    // kind: "saveChanges", "alreadyOpen" or "saveFirst".
    val FileQuestionText(const std::string& kind) const
    {
        return Box(m_words.Question(kind == "saveChanges" ? FileQuestion::SaveChanges
                : kind == "alreadyOpen"                   ? FileQuestion::AlreadyOpen
                                                          : FileQuestion::SaveFirst));
    }
    // The captions of the page's message boxes, as the window's.
    val Captions() const
    {
        val captions = val::object();
        captions.set("attention", m_words.Text(Row::Attention));
        captions.set("warning", m_words.Text(Row::Warning));
        captions.set("information", m_words.Caption(Row::ImageInformation));
        captions.set("compare", m_words.Caption(Row::CompareWithGame));
        captions.set("chooseUnmodified", m_words.Caption(Row::ChooseUnmodified));
        return captions;
    }
    // The buttons' labels by their element ids, as the window's menu items and buttons say.
    val Labels() const
    {
        static const std::pair<const char*, int> buttons[] = { { "save", Row::Save }, { "export", Row::ExportTable },
            { "import", Row::ImportTable }, { "patch", Row::CreatePatch }, { "info", Row::ImageInformation },
            { "change", Row::ChangeMove }, { "insert", Row::InsertMove }, { "delete", Row::DeleteMove },
            { "add", Row::AddMove }, { "remove-entry", Row::RemoveMove }, { "undo", Row::Undo }, { "redo", Row::Redo },
            { "compare", Row::CompareWithGame }, { "restore", Row::RestoreGameTable } };
        val labels = val::object();
        for (const auto& [id, row] : buttons)
            labels.set(id, m_words.Caption(row));
        return labels;
    }
    std::string OpenTooLarge(const std::string& name) const { return m_words.OpenTooLarge(name); }
    // A patch's source refused before it is read: larger than any image the core handles.
    std::string PatchTooLarge(const std::string& image) const
    {
        return m_words.PatchReport({ PatchStatus::TooLarge }, m_document, image, {});
    }
    std::string UnknownMove(const std::string& typed) const { return m_words.UnknownMove(typed, m_document); }
    std::string Exported(const std::string& name) const { return m_words.ExportReport(ExportOutcome::Exported, name); }
    std::string ImportReadFailed(const std::string& name) const { return m_words.ImportReadFailed(name); }
    std::string SaveReport(const std::string& status, const std::string& name) const
    {
        for (int i = 0; i <= static_cast<int>(SaveStatus::WriteFailed); ++i) {
            if (status == SaveStatusName(static_cast<SaveStatus>(i)))
                return m_words.SaveReport(static_cast<SaveStatus>(i), m_document, name);
        }
        return {};
    }

    // An edit by the document's rules, and the entry to select after it.
    val Edit(const std::string& command, int s, int m)
    {
        const EditResult done = m_document.Edit(EditCommandNamed(command), s, m);
        val result = val::object();
        result.set("changed", done.Changed);
        result.set("selected", done.Selected);
        return result;
    }
    // Whether the edit takes the move field's move: the field is read only for those.
    bool EditNeedsMove(const std::string& command) const { return NeedsMove(EditCommandNamed(command)); }
    int MoveIndexOf(int s) const { return m_document.MoveIndexOf(s); }
    std::string DeleteKeyCommand() const
    {
        return zarnith::DeleteKeyCommand == EditCommand::Remove ? "remove" : "delete";
    }

    void Close() { m_document.Close(); }

    // Everything the page shows of the open image.
    val State() const
    {
        val state = val::object();
        const bool open = m_document.IsOpen();
        state.set("open", open);
        state.set("readOnly", m_document.IsReadOnly());
        state.set("canEdit", m_document.CanEdit());
        state.set("canSave", m_document.CanSave());
        state.set("modified", m_document.IsModified());
        state.set("canUndo", m_document.CanUndo());
        state.set("canRedo", m_document.CanRedo());
        val entries = val::array();
        for (const SoundMoveEntry& entry : m_document.Table().Entries) {
            val item = val::object();
            item.set("name", entry.Name);
            item.set("id", entry.Id());
            entries.call<void>("push", item);
        }
        state.set("entries", entries);
        // The largest file the page reads: the largest image the core handles.
        state.set("largestFile", static_cast<double>(MaxPatchImageSize));
        if (!open)
            return state;
        const GameInfo& game = *m_document.Game();
        const RomAccess& rom = m_document.Rom();
        state.set("game", std::string(game.Name));
        state.set("code", std::string(game.Code));
        state.set("revision", game.Revision);
        state.set("tableWordAt", game.TableWordAt);
        state.set("tableWord", rom.TableWord().value_or(0));
        state.set("hasTableWord", rom.TableWord().has_value());
        state.set("soundMovesOffset", rom.SoundMovesOffset());
        state.set("gameTableOffset", game.SoundMovesOffset);
        state.set("namesOffset", rom.NamesListOffset());
        state.set("namesOwn", rom.NamesAtOwnOffset());
        state.set("tableOwn", rom.TableAtOwnOffset());
        const std::optional<std::uint32_t> table = m_document.TableOffset();
        state.set("tableOffset", table ? val(*table) : val::null());
        state.set("placeOffset", m_document.Place().Offset);
        state.set("placeCount", m_document.Place().Count);
        state.set("moveCount", static_cast<int>(m_document.Names().size()));
        state.set("largestMove", m_document.LargestMove());
        return state;
    }

    val Names() const
    {
        val names = val::array();
        for (const std::string& name : m_document.Names())
            names.call<void>("push", name);
        return names;
    }

    bool Undo() { return m_document.Undo(); }
    bool Redo() { return m_document.Redo(); }
    bool RestoreGameTable() { return m_document.RestoreGameTable(); }

    // answers: { overwrite, move, grow } as far as known; a question without an answer is
    // declined and returned.
    val Save(val answers)
    {
        Question asked;
        auto answer = [&](const char* kind, std::uint32_t a, std::uint32_t b) {
            const val given = answers[kind];
            if (given.isUndefined()) {
                if (asked.Kind.empty())
                    asked = { kind, a, b };
                return false;
            }
            return given.as<bool>();
        };
        SaveQuestions questions {
            [&] { return answer("overwrite", 0, 0); },
            [&](std::uint32_t to, std::uint32_t pointerAt) { return answer("move", to, pointerAt); },
            [&](std::uint32_t start, std::uint32_t end) { return answer("grow", start, end); },
            [&] { return answer("unread", 0, 0); },
        };
        m_beforeSave = m_document.Place();
        const SaveStatus status = m_document.Save(questions);
        val result = val::object();
        result.set("status", SaveStatusName(status));
        val question = asked.ToValue();
        if (!asked.Kind.empty()) {
            const SaveQuestion kind = asked.Kind == "overwrite" ? SaveQuestion::Overwrite
                : asked.Kind == "move"                          ? SaveQuestion::Move
                : asked.Kind == "grow"                          ? SaveQuestion::Grow
                                                                : SaveQuestion::Unread;
            question.set("text", m_words.Question(kind, asked.A, asked.B, m_document));
        }
        result.set("question", question);
        return result;
    }

    // The last save did not reach the file where the user keeps it: the page put the file's
    // bytes back, and the document's place goes back with them.
    void SaveNotKept() { m_document.SaveNotKept(m_beforeSave); }

    std::string ExportTable() const { return m_document.ExportTable(); }

    val Import(const std::string& text, const std::string& name)
    {
        const ImportResult imported = m_document.Import(text);
        val result = val::object();
        result.set("status", ImportStatusName(imported.Status));
        result.set("problem", TextProblemName(imported.Refusal.Problem));
        result.set("line", imported.Refusal.Line);
        result.set("word", imported.Refusal.Word);
        result.set("moves", Numbers(imported.Refusal.Moves));
        val notes = val::array();
        for (const TextNote& note : imported.Notes) {
            val item = val::object();
            item.set("kind", NoteKindName(note.Kind));
            item.set("line", note.Line);
            item.set("id", note.Id);
            item.set("given", note.Given);
            notes.call<void>("push", item);
        }
        result.set("notes", notes);
        result.set("report", m_words.ImportReport(imported, m_document, name));
        return result;
    }

    val Facts(const std::string& sha1, const std::string& name)
    {
        KnownSha1 hasher(sha1);
        const ImageFacts facts = m_document.Facts(hasher);
        val result = val::object();
        result.set("replaced", facts.Replaced);
        result.set("size", static_cast<double>(facts.Size));
        result.set("game", facts.Game);
        result.set("code", facts.Code);
        result.set("revision", facts.Revision);
        result.set("read", facts.Read);
        result.set("crc32", facts.Crc32);
        result.set("sha1", facts.Sha1);
        result.set("unmodified", facts.Unmodified);
        result.set("verified", facts.Table == TableStatus::Verified);
        result.set("tableOwn", facts.TableAtOwnOffset);
        result.set("tableOffset", facts.TableOffset ? val(*facts.TableOffset) : val::null());
        result.set("tableEntries", facts.TableEntries);
        result.set("tableWord", facts.TableWord ? val(*facts.TableWord) : val::null());
        result.set("tableWordAt", facts.TableWordAt);
        result.set("namesRead", facts.NamesRead);
        result.set("namesWordRead", facts.NamesWordRead);
        result.set("namesWordAt", facts.NamesWordAt);
        result.set("namesOwn", facts.NamesAtOwnOffset);
        result.set("namesOffset", facts.NamesOffset);
        result.set("moveCount", facts.MoveCount);
        result.set("modified", facts.Modified);
        result.set("text", m_words.ImageInformation(facts, name));
        return result;
    }

    val Compare() const
    {
        const TableComparison comparison = m_document.CompareWithGame();
        val result = val::object();
        result.set("added", Numbers(comparison.Added));
        result.set("removed", Numbers(comparison.Removed));
        result.set("reordered", comparison.Reordered);
        result.set("same", comparison.IsGameTable());
        result.set("text", m_words.Comparison(comparison, m_document));
        return result;
    }

    val Patch(const PatchResult& patch, const std::string& image, const std::string& name, bool held) const
    {
        val result = val::object();
        result.set("status", PatchStatusName(patch.Status));
        result.set("notRelease", patch.NotReleaseSha1);
        result.set("size", static_cast<double>(patch.Size));
        result.set("error", OpenErrorName(patch.Error));
        result.set("foundCode", PrintableCode(patch.FoundCode));
        result.set("foundRevision", patch.FoundRevision);
        // Another revision of the open game: its name, and whether the open game has revisions.
        const GameInfo* game = m_document.Game();
        const GameInfo* found = game != nullptr && patch.FoundCode == game->Code
            ? FindGame(patch.FoundCode, static_cast<std::uint8_t>(patch.FoundRevision))
            : nullptr;
        result.set("foundGame", found != nullptr ? val(std::string(found->Name)) : val::null());
        bool revisions = false;
        for (const GameInfo& other : SupportedGames)
            revisions = revisions || (game != nullptr && other.Code == game->Code && other.Revision != game->Revision);
        result.set("revisions", revisions);
        result.set("report", m_words.PatchReport(patch, m_document, image, name, held));
        result.set("notReleaseQuestion", m_words.PatchNotRelease(image));
        return result;
    }

    val CheckPatchSource(const std::string& path, const std::string& sha1, const std::string& image)
    {
        KnownSha1 hasher(sha1);
        return Patch(m_document.CheckPatchSource(path, hasher), image, {}, false);
    }

    // held: the open file's copy holds the page's edits, not what the user's file holds.
    val CreatePatch(const std::string& source, const std::string& patch, const std::string& image,
        const std::string& name, bool held)
    {
        return Patch(m_document.CreatePatch(source, patch, nullptr), image, name, held);
    }

private:
    Document m_document;
    Messages m_words { FilledLanguageTable(), English };
    TablePlace m_beforeSave;
};

} // namespace
} // namespace zarnith

EMSCRIPTEN_BINDINGS(zarnith)
{
    using zarnith::WebDocument;
    emscripten::class_<WebDocument>("Document")
        .constructor<>()
        .function("open", &WebDocument::Open)
        .function("close", &WebDocument::Close)
        .function("state", &WebDocument::State)
        .function("names", &WebDocument::Names)
        .function("undo", &WebDocument::Undo)
        .function("redo", &WebDocument::Redo)
        .function("restoreGameTable", &WebDocument::RestoreGameTable)
        .function("save", &WebDocument::Save)
        .function("saveNotKept", &WebDocument::SaveNotKept)
        .function("exportTable", &WebDocument::ExportTable)
        .function("importTable", &WebDocument::Import)
        .function("facts", &WebDocument::Facts)
        .function("compare", &WebDocument::Compare)
        .function("checkPatchSource", &WebDocument::CheckPatchSource)
        .function("createPatch", &WebDocument::CreatePatch)
        .function("title", &WebDocument::Title)
        .function("heading", &WebDocument::Heading)
        .function("moveTooltip", &WebDocument::MoveTooltip)
        .function("unexpectedError", &WebDocument::UnexpectedError)
        .function("question", &WebDocument::FileQuestionText)
        .function("captions", &WebDocument::Captions)
        .function("labels", &WebDocument::Labels)
        .function("openTooLarge", &WebDocument::OpenTooLarge)
        .function("patchTooLarge", &WebDocument::PatchTooLarge)
        .function("unknownMove", &WebDocument::UnknownMove)
        .function("exported", &WebDocument::Exported)
        .function("importReadFailed", &WebDocument::ImportReadFailed)
        .function("saveReport", &WebDocument::SaveReport)
        .function("edit", &WebDocument::Edit)
        .function("editNeedsMove", &WebDocument::EditNeedsMove)
        .function("moveIndexOf", &WebDocument::MoveIndexOf)
        .function("deleteKeyCommand", &WebDocument::DeleteKeyCommand);
}

#include "Messages.h"

#include "rom/Hex.h"

#include <algorithm>

namespace zarnith {

namespace {

std::string Hex(std::uint32_t value)
{
    return HexNumber(value);
}

std::string Join(const std::vector<std::string>& parts, std::string_view between)
{
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            joined += between;
        joined += parts[i];
    }
    return joined;
}

const std::string Dash = "\u2014";

} // namespace

std::string Messages::Caption(int row) const
{
    std::string caption;
    const std::string& text = Text(row);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&')
            continue;
        if (text.compare(i, 3, "\u2026") == 0) {
            i += 2;
            continue;
        }
        caption += text[i];
    }
    return caption;
}

std::string Messages::Entries(int count) const
{
    // French counts zero as one.
    const bool one = count == 1 || (count == 0 && m_language == French);
    return Fill(Text(one ? Row::OneEntry : Row::Entries), count);
}

std::string Messages::Places(const Document& document) const
{
    if (!document.IsOpen())
        return {};
    std::vector<std::string> places;
    const RomAccess& rom = document.Rom();
    const std::optional<std::uint32_t> table = document.TableOffset();
    if (table && *table != document.Game()->SoundMovesOffset)
        places.push_back(Fill(Text(Row::TableAt), Hex(*table)));
    if (!rom.NamesAtOwnOffset())
        places.push_back(Fill(Text(Row::NamesAt), Hex(rom.NamesListOffset())));
    if (document.Names().size() != MoveCount)
        places.push_back(Fill(Text(Row::MoveListLength), document.Names().size()));
    return Join(places, ", ");
}

std::vector<std::string> Messages::States(const Document& document) const
{
    std::vector<std::string> states;
    if (document.IsReadOnly())
        states.push_back(Text(Row::ReadOnly));
    if (!document.CanEdit())
        states.push_back(Text(Row::ViewOnly));
    if (!document.ReadByGame().Read())
        states.push_back(Text(Row::NotReadByGame));
    if (std::string places = Places(document); !places.empty())
        states.push_back(std::move(places));
    return states;
}

std::string Messages::Title(const Document& document, std::string_view name) const
{
    std::vector<std::string> title;
    if (document.IsOpen()) {
        title.emplace_back(name);
        title.emplace_back(document.Game()->Name);
        for (std::string& state : States(document))
            title.push_back(std::move(state));
    }
    title.emplace_back("Zarnith");
    return Join(title, " " + Dash + " ");
}

std::string Messages::MarkedTitle(const Document& document, std::string_view name) const
{
    std::string marked(document.IsModified() ? "*" : "");
    marked.append(name);
    return Title(document, marked);
}

std::string Messages::Heading(const Document& document, std::string_view name) const
{
    if (!document.IsOpen())
        return {};
    const GameInfo& game = *document.Game();
    std::vector<std::string> heading { Fill(Text(Row::GameAndCode), game.Name, game.Code, game.Revision),
        std::string(name) };
    for (std::string& state : States(document))
        heading.push_back(std::move(state));
    return Join(heading, " " + Dash + " ");
}

MessageBoxText Messages::Question(FileQuestion question) const
{
    switch (question) {
    case FileQuestion::SaveChanges:
        return { Text(Row::SaveChanges), Text(Row::Warning) };
    case FileQuestion::AlreadyOpen:
        return { Text(Row::AlreadyOpen), Text(Row::Warning) };
    case FileQuestion::SaveFirst:
        break;
    }
    return { Text(Row::SaveFirst), Text(Row::Warning) };
}

std::string Messages::MoveTooltip(int id) const
{
    return Fill(Text(Row::MoveTooltip), id);
}

MessageBoxText Messages::UnexpectedError(std::string_view what) const
{
    return { Fill(Text(Row::UnexpectedError), what), Text(Row::ErrorCaption) };
}

std::string Messages::Reason(OpenError error) const
{
    switch (error) {
    case OpenError::Missing:
        return Text(Row::ReasonMissing);
    case OpenError::Permission:
        return Text(Row::ReasonPermission);
    case OpenError::NotRegularFile:
        return Text(Row::ReasonNotRegularFile);
    case OpenError::NameTooLong:
        return Text(Row::ReasonNameTooLong);
    case OpenError::None:
    case OpenError::Other:
        break;
    }
    return Text(Row::ReasonOther);
}

std::string Messages::OpenRefusal(const Document::OpenResult& opened, std::string_view shown) const
{
    if (opened.Error != OpenError::None)
        return Fill(Text(Row::OpenFailed), shown, Reason(opened.Error));
    // The header's code and version byte, as found: what the user needs to tell games apart.
    return Text(Row::NotSupported) + "\n\n"
        + (opened.Code.empty() ? Fill(Text(Row::NotSupportedShort), shown)
                               : Fill(Text(Row::NotSupportedCode), shown, PrintableCode(opened.Code), opened.Revision));
}

std::string Messages::OpenTooLarge(std::string_view shown) const
{
    return Fill(Text(Row::OpenFailed), shown, Text(Row::ReasonImageTooLarge));
}

std::string Messages::RepairQuestion(int index, std::uint16_t id) const
{
    return Fill(Text(Row::RepairQuestion), index + 1, id);
}

std::vector<std::string> Messages::LoadReports(const Document& document, const LoadResult& load) const
{
    std::vector<std::string> reports;
    if (load.RepairsFailed > 0)
        reports.push_back(Text(Row::RepairFailed));
    const RomAccess& rom = document.Rom();
    const GameInfo& game = *document.Game();
    switch (load.Status) {
    case TableStatus::Verified:
        break;
    case TableStatus::EndOfFile:
        if (!rom.TableWord())
            reports.push_back(Fill(Text(Row::EndedBeforeWord), Hex(game.TableWordAt)));
        else if (document.Table().Count() > 0)
            reports.push_back(Text(Row::EndedEarly));
        else
            reports.push_back(Fill(Text(Row::EndedBeforeTable), Hex(*rom.TableWord() - RomBase)));
        break;
    case TableStatus::PastAddressSpace:
        reports.push_back(Fill(Text(Row::PastAddressSpace), Hex(rom.SoundMovesOffset())));
        break;
    case TableStatus::NotLocated:
        reports.push_back(Fill(Text(Row::NotLocated), Hex(game.TableWordAt), Hex(rom.TableWord().value_or(0))));
        break;
    case TableStatus::NoEndPair:
    case TableStatus::NotMoves:
        reports.push_back(Fill(Text(Row::NotVerified), Hex(rom.SoundMovesOffset())));
        break;
    }
    return reports;
}

std::string Messages::PathWarning(const Document& document) const
{
    // A table that may only be viewed has been told about already.
    if (!document.CanEdit() || document.ReadByGame().Read())
        return {};
    return Fill(Text(Row::PathWarning), PathReason(document.ReadByGame()));
}

std::string Messages::PathReason(const GamePath& path) const
{
    auto address = [](std::uint32_t value) { return "0x" + HexNumber(value, 8); };
    const std::string own = address(path.Own);
    const std::string elsewhere = path.Elsewhere ? address(*path.Elsewhere) : Text(Row::PathUnknownPlace);
    switch (path.Break) {
    case PathBreak::None:
        break;
    case PathBreak::EndOfFile:
        return Text(Row::PathEndOfFile);
    case PathBreak::WordsDiffer:
        return Text(Row::PathWordsDiffer);
    case PathBreak::CommandTableOutside:
        return Fill(Text(Row::PathCommandTableOutside), elsewhere);
    case PathBreak::CommandTablePastEnd:
        return Fill(Text(Row::PathCommandTablePastEnd), elsewhere);
    case PathBreak::FirstCommandMoved:
        return Fill(Text(Row::PathFirstCommandMoved), elsewhere, own);
    case PathBreak::FirstCommandJumps:
        return Fill(Text(Row::PathFirstCommandJumps), own, elsewhere);
    case PathBreak::CallMoved:
        return path.Elsewhere ? Fill(Text(Row::PathCallMoved), elsewhere, own) : Fill(Text(Row::PathCallGone), own);
    case PathBreak::AbilityEffectsJump:
        return Fill(Text(Row::PathAbilityEffectsJump), own, elsewhere);
    case PathBreak::LoadMoved:
        return path.Elsewhere ? Fill(Text(Row::PathLoadMoved), elsewhere, own) : Fill(Text(Row::PathLoadGone), own);
    case PathBreak::AttackChecksChanged:
        return Fill(Text(Row::PathAttackChecksChanged), HexNumber(path.Own));
    case PathBreak::CallChanged:
        return Fill(Text(Row::PathCallChanged), HexNumber(path.Own));
    case PathBreak::AbilityEffectsChanged:
        return Fill(Text(Row::PathAbilityEffectsChanged), HexNumber(path.Own));
    case PathBreak::SoundproofCaseChanged:
        return Fill(Text(Row::PathSoundproofCaseChanged), HexNumber(path.Own));
    }
    return {};
}

std::string Messages::Question(SaveQuestion question, std::uint32_t a, std::uint32_t b, const Document& document) const
{
    switch (question) {
    case SaveQuestion::Overwrite:
        return Text(Row::ChangedOnDisk);
    case SaveQuestion::Move:
        return Fill(Text(Row::MoveQuestion), Hex(a), Hex(b));
    case SaveQuestion::Grow:
        return Fill(Text(Row::GrowQuestion), Hex(a), Hex(b - 1));
    case SaveQuestion::Unread:
        break;
    }
    return Fill(Text(Row::WriteUnreadQuestion), PathReason(document.ReadByGame()));
}

namespace {

// The reason row of a save refused with nothing written; 0 for the other results.
int RefusalRow(SaveStatus status)
{
    switch (status) {
    case SaveStatus::NotVerified:
        return Row::ReasonNotVerified;
    case SaveStatus::Replaced:
        return Row::ReasonReplaced;
    case SaveStatus::OtherImage:
        return Row::ReasonOtherImage;
    case SaveStatus::Shorter:
        return Row::ReasonShorter;
    case SaveStatus::PointerChanged:
        return Row::ReasonPointerChanged;
    case SaveStatus::ChangeKept:
        return Row::ReasonChangeKept;
    case SaveStatus::ChangedWhileAsked:
        return Row::ReasonChangedWhileAsked;
    case SaveStatus::NotMoves:
        return Row::ReasonNotMoves;
    case SaveStatus::NoFreeSpace:
        return Row::ReasonNoFreeSpace;
    default:
        return 0;
    }
}

} // namespace

std::string Messages::SaveReport(SaveStatus status, const Document& document, std::string_view shown) const
{
    if (const int reason = RefusalRow(status); reason != 0)
        return Fill(Text(Row::NotSaved), shown, Text(reason));
    switch (status) {
    case SaveStatus::Saved:
        return Text(Row::Saved);
    case SaveStatus::Moved:
        return Fill(Text(Row::Moved), Hex(document.Place().Offset));
    case SaveStatus::Grown:
        return Fill(Text(Row::Grown), Hex(document.Place().Offset + 2 * document.Place().Count + 1));
    case SaveStatus::MoveFailed:
        return Fill(Text(Row::MoveFailed), shown);
    case SaveStatus::WriteFailed:
        return Fill(Text(Row::SaveFailed), shown);
    default: // a declined question
        return {};
    }
}

std::string Messages::SaveAsReport(
    const SaveAsResult& result, const Document& document, std::string_view chosen, std::string_view shown) const
{
    auto notSaved = [&](const std::string& reason) { return Fill(Text(Row::NotSavedAs), chosen, reason); };
    switch (result.Status) {
    case SaveAsStatus::Saved:
    case SaveAsStatus::TableNotSaved:
        // Into a copy, a failed write is one more refusal: the copy was dropped and no file changed.
        if (result.Table == SaveStatus::MoveFailed || result.Table == SaveStatus::WriteFailed)
            return notSaved(Text(Row::ReasonCopyWriteFailed));
        if (const int reason = RefusalRow(result.Table); reason != 0)
            return notSaved(Text(reason));
        return SaveReport(result.Table, document, chosen);
    case SaveAsStatus::SameFile:
        return SaveReport(result.Table, document, shown);
    case SaveAsStatus::NotEditable:
        return notSaved(Text(Row::ReasonNotVerified));
    case SaveAsStatus::TargetRefused:
        return notSaved(Reason(result.Error));
    case SaveAsStatus::CreateFailed:
        return notSaved(Text(Row::ReasonCreateFailed));
    case SaveAsStatus::CopyFailed:
        return notSaved(Text(Row::ReasonCopyFailed));
    case SaveAsStatus::ReplaceFailed:
        return notSaved(Text(Row::ReasonReplaceFailed));
    case SaveAsStatus::ReopenFailed:
        break;
    }
    return Fill(Text(Row::ReopenFailed), chosen);
}

std::string Messages::ExportReport(ExportOutcome outcome, std::string_view shown, std::string_view game) const
{
    switch (outcome) {
    case ExportOutcome::Exported:
        return Fill(Text(Row::Exported), shown);
    case ExportOutcome::Failed:
        return Fill(Text(Row::ExportFailed), shown);
    case ExportOutcome::OverImage:
        return Fill(Text(Row::ExportOverImage), shown);
    case ExportOutcome::OverOtherImage:
        break;
    }
    return Fill(Text(Row::ExportOverOtherImage), shown, game);
}

std::string Messages::ImportReadFailed(std::string_view shown) const
{
    return Fill(Text(Row::ImportReadFailed), shown);
}

std::string Messages::UnknownMove(std::string_view typed, const Document& document) const
{
    if (!typed.empty() && std::all_of(typed.begin(), typed.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return Fill(Text(Row::ReasonNotAMove), typed, document.LargestMove());
    return Fill(Text(Row::ReasonUnknownName), typed);
}

std::string Messages::RefusalReason(const TextRefusal& refusal, const Document& document) const
{
    const MoveNameList& names = document.Names();
    switch (refusal.Problem) {
    case TextProblem::TooLarge:
        return Fill(Text(Row::ReasonTooLarge), MaxTableTextSize);
    case TextProblem::NotText:
        return Text(Row::ReasonNotText);
    case TextProblem::UnknownName:
        return UnknownMove(refusal.Word, document);
    case TextProblem::NotAMove:
        return Fill(Text(Row::ReasonNotAMove), refusal.Word, document.LargestMove());
    case TextProblem::TooManyEntries:
        return Fill(Text(Row::ReasonTooManyEntries), names.size(), document.LargestMove());
    case TextProblem::AmbiguousName: {
        std::vector<std::string> moves;
        for (std::uint16_t id : refusal.Moves)
            moves.push_back(Fill("%1 (%2)", EntryName(id, names), id));
        return Fill(Text(Row::ReasonAmbiguousName), refusal.Word, Join(moves, ", "));
    }
    case TextProblem::ByteOrderMark:
        return Text(Row::ReasonByteOrderMark);
    case TextProblem::NoEntries:
    case TextProblem::None:
        break;
    }
    return Text(Row::ReasonNoEntries);
}

std::vector<std::string> Messages::NoteLines(const std::vector<TextNote>& notes, const Document& document) const
{
    const MoveNameList& names = document.Names();
    std::vector<std::string> lines;
    for (const TextNote& note : notes) {
        switch (note.Kind) {
        case TextNoteKind::AmbiguousName:
            lines.push_back(Fill(Text(Row::NoteAmbiguous), note.Line, note.Given, note.Id));
            break;
        case TextNoteKind::NameMismatch:
            lines.push_back(
                Fill(Text(Row::NoteNameMismatch), note.Line, note.Id, EntryName(note.Id, names), note.Given));
            break;
        case TextNoteKind::LooseName:
            lines.push_back(Fill(Text(Row::NoteLooseName), note.Line, note.Given, EntryName(note.Id, names), note.Id));
            break;
        case TextNoteKind::Windows1252:
            lines.push_back(Text(Row::NoteWindows1252));
            break;
        }
    }
    return lines;
}

// One line per note; a long list is cut short, since a box must fit on the screen.
std::string Messages::NotesText(const std::vector<TextNote>& notes, const Document& document) const
{
    constexpr std::size_t Shown = 12;
    std::vector<std::string> lines = NoteLines(notes, document);
    if (lines.size() > Shown) {
        lines.resize(Shown);
        lines.push_back(Fill(Text(Row::NotesMore), notes.size() - Shown));
    }
    return Join(lines, "\n");
}

std::string Messages::ImportReport(const ImportResult& result, const Document& document, std::string_view shown) const
{
    switch (result.Status) {
    case ImportStatus::Imported:
        return result.Notes.empty() ? std::string() : Fill(Text(Row::ImportNotes), NotesText(result.Notes, document));
    case ImportStatus::Unchanged:
        return Fill(Text(Row::ImportUnchanged), shown);
    case ImportStatus::Refused: {
        const TextRefusal& refusal = result.Refusal;
        const std::string reason = RefusalReason(refusal, document);
        std::string text = refusal.Line > 0 ? Fill(Text(Row::ImportRefusedLine), refusal.Line, shown, reason)
                                            : Fill(Text(Row::ImportRefusedFile), shown, reason);
        // What was noted before the refusal may explain it: a text read as Windows-1252.
        if (!result.Notes.empty())
            text += "\n\n" + NotesText(result.Notes, document);
        return text;
    }
    case ImportStatus::NotEditable:
        break;
    }
    return {};
}

std::string Messages::ImageInformation(const ImageFacts& facts, std::string_view shown) const
{
    if (facts.Replaced)
        return Fill(Text(Row::InfoReplaced), shown);
    std::vector<std::string> lines;
    lines.push_back(Fill(Text(Row::InfoHead), shown, facts.Size, facts.Game, facts.Code, facts.Revision,
        facts.Read ? HexNumber(facts.Crc32, 8) : Dash, facts.Read && !facts.Sha1.empty() ? facts.Sha1 : Dash));
    if (facts.Read && !facts.Sha1.empty())
        lines.push_back(Text(facts.Unmodified ? Row::InfoUnmodified : Row::InfoModified));
    if (facts.Table == TableStatus::Verified && facts.TableOffset) {
        lines.push_back(Fill(Text(facts.TableAtOwnOffset ? Row::InfoTableOwn : Row::InfoTableMoved),
            Hex(*facts.TableOffset), Entries(facts.TableEntries)));
    } else if (facts.TableWord) {
        lines.push_back(Fill(Text(Row::InfoTableUnread), Hex(*facts.TableWord)));
    } else {
        lines.push_back(Fill(Text(Row::InfoTableCut), Hex(facts.TableWordAt)));
    }
    lines.push_back(facts.ReadByGame.Read() ? Text(Row::InfoTableRead)
                                            : Fill(Text(Row::InfoTableNotRead), PathReason(facts.ReadByGame)));
    if (!facts.NamesWordRead)
        lines.push_back(Fill(Text(Row::InfoNamesWordCut), Hex(facts.NamesWordAt)));
    else if (!facts.NamesRead)
        lines.push_back(Fill(Text(Row::InfoNamesListCut), Hex(facts.NamesOffset)));
    else
        lines.push_back(Fill(Text(facts.NamesAtOwnOffset ? Row::InfoNamesOwn : Row::InfoNamesMoved),
            Hex(facts.NamesOffset), facts.MoveCount));
    if (facts.Modified)
        lines.push_back(Text(Row::InfoUnsaved));
    return Join(lines, "\n");
}

std::string Messages::Comparison(const TableComparison& comparison, const Document& document) const
{
    if (comparison.IsGameTable())
        return Text(Row::CompareSame);
    if (comparison.Reordered)
        return Text(Row::CompareReordered);
    // Each move once, in the order met, with how often it differs when more than once.
    auto list = [&document](const std::vector<std::uint16_t>& ids) {
        const MoveNameList& names = document.Names();
        std::vector<std::string> moves;
        for (auto at = ids.begin(); at != ids.end(); ++at) {
            if (std::find(ids.begin(), at, *at) != at)
                continue;
            // A number that is no move is named with its number already.
            std::string name = EntryName(*at, names);
            if (IsValidMove(*at, static_cast<int>(names.size())))
                name = Fill("%1 (%2)", name, *at);
            const auto times = std::count(ids.begin(), ids.end(), *at);
            moves.push_back(times > 1 ? Fill("%1 \u00D7%2", name, times) : name);
        }
        return moves.empty() ? Dash : Join(moves, ", ");
    };
    return Fill(Text(Row::CompareDifference), list(comparison.Added), list(comparison.Removed));
}

std::string Messages::PlayReport(PlayOutcome outcome, std::string_view shown) const
{
    switch (outcome) {
    case PlayOutcome::Unsaved:
        return Fill(Text(Row::PlayUnsaved), shown);
    case PlayOutcome::Failed:
        return Fill(Text(Row::PlayFailed), shown);
    case PlayOutcome::NoProgram:
        return Fill(Text(Row::PlayNoProgram), shown);
    case PlayOutcome::NotProgram:
        break;
    }
    return Fill(Text(Row::EmulatorNotProgram), shown);
}

std::string Messages::PatchNotRelease(std::string_view image, bool asking) const
{
    const std::string note = Fill(Text(Row::PatchNotRelease), image);
    return asking ? note + " " + Text(Row::PatchAnyway) : note;
}

std::string Messages::PatchReport(const PatchResult& result, const Document& document, std::string_view image,
    std::string_view patch, bool held) const
{
    auto notWritten = [this](const std::string& reason) { return Fill(Text(Row::PatchNotWritten), reason); };
    switch (result.Status) {
    case PatchStatus::Written:
        return Fill(Text(held ? Row::PatchWrittenHeld : Row::PatchWritten), patch, result.Size);
    case PatchStatus::WrongGame: {
        const GameInfo& game = *document.Game();
        const GameInfo* found = result.FoundCode == game.Code
            ? FindGame(result.FoundCode, static_cast<std::uint8_t>(result.FoundRevision))
            : nullptr;
        if (found == nullptr)
            return Fill(Text(Row::PatchWrongGame), image, game.Name, game.Code, game.Revision);
        // Another revision of the same game: both are named, the open one's as a revision too.
        const bool revisions = std::any_of(SupportedGames.begin(), SupportedGames.end(),
            [&game](const GameInfo& g) { return g.Code == game.Code && g.Revision != game.Revision; });
        const std::string needed = std::string(game.Name) + (game.Revision == 0 && revisions ? " (1.0)" : "");
        return Fill(
            Text(Row::PatchOtherRevision), image, found->Name, game.Code, result.FoundRevision, needed, game.Revision);
    }
    case PatchStatus::TooLarge:
        return notWritten(Text(Row::ReasonPatchTooLarge));
    case PatchStatus::ReadFailed:
        return notWritten(result.Error == OpenError::Missing || result.Error == OpenError::NotRegularFile
                    || result.Error == OpenError::NameTooLong
                ? Reason(result.Error)
                : Text(Row::ReasonPatchRead));
    case PatchStatus::Replaced:
        return notWritten(Text(Row::ReasonReplaced));
    case PatchStatus::SameFile:
        return notWritten(Text(Row::ReasonPatchOverImage));
    case PatchStatus::OverImage:
        return notWritten(Text(Row::ReasonPatchOverOtherImage));
    case PatchStatus::TargetRefused:
        return notWritten(Reason(result.Error));
    case PatchStatus::CreateFailed:
        return notWritten(Text(Row::ReasonCreateFailed));
    case PatchStatus::WriteFailed:
        return notWritten(Text(Row::ReasonPatchWrite));
    case PatchStatus::Cancelled: // the user's own choice, with nothing written
    case PatchStatus::Fits:
    case PatchStatus::NotOpen:
        break;
    }
    return {};
}

} // namespace zarnith

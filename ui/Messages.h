#pragma once

#include "LanguageTable.h"
#include "soundmoves/Document.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarnith {

// The questions Save may put, in the order of SaveQuestions.
enum class SaveQuestion {
    Overwrite,
    Move, // a: where the table goes, b: the game's pointer
    Grow, // a: the first byte taken, b: one past the last
    Unread,
};

// How exporting the table went, as the front end that wrote the text knows it.
enum class ExportOutcome {
    Exported,
    Failed, // the file could not be written
    OverImage, // the chosen file is the open image itself
    OverOtherImage, // the chosen file is an image of a supported game
};

// What Play has to tell: edits not in what is played, a program that could not be started, no
// program for the image, an emulator chosen that cannot be run.
enum class PlayOutcome {
    Unsaved,
    Failed,
    NoProgram,
    NotProgram,
};

// A message box's text and its caption.
struct MessageBoxText
{
    std::string Text;
    std::string Caption;
};

// The questions put before the open image is dropped or used as it stands on disk.
enum class FileQuestion {
    SaveChanges, // unsaved edits, before they are dropped
    AlreadyOpen, // before another image takes the open one's place
    SaveFirst, // unsaved edits, before a command that uses the file as saved
};

// Every text a user reads, composed once from the language table in one language: the reports
// of the commands, their questions and refusals, the facts and the title. The window, the
// command line and the web page show what these return, so that they say the same. Paths and
// file names come in as the front end shows them; texts are UTF-8.
class Messages
{
public:
    explicit Messages(const LanguageStrings& table, int language = English)
        : m_table(table)
        , m_language(language)
    {
    }

    void SetLanguage(int language) { m_language = language; }
    int Language() const { return m_language; }

    // Row of the table in the current language.
    const std::string& Text(int row) const { return m_table[static_cast<std::size_t>(row * 2 + m_language)]; }
    // A menu item's caption without its mnemonic mark and ellipsis, as a dialog's title.
    std::string Caption(int row) const;
    // "1 entry", "2 entries".
    std::string Entries(int count) const;

    // The open image named as the front end marks it (name holds any mark of unsaved edits), its
    // game, whether it may only be read or viewed, whether the game reads its table, and the
    // places of its data that are not the game's own; "Zarnith" last.
    std::string Title(const Document& document, std::string_view name) const;
    // The title as the window shows it: the name marked "*" first while the table has unsaved
    // edits, where no narrow window cuts the mark off.
    std::string MarkedTitle(const Document& document, std::string_view name) const;
    // The open image's game with its code and version byte, its name as the front end marks it,
    // then what the title says of it; empty when nothing is open.
    std::string Heading(const Document& document, std::string_view name) const;
    // The places alone, comma-separated; empty when all are the game's own.
    std::string Places(const Document& document) const;

    // Why a file did not open (opened.Supported is false).
    std::string OpenRefusal(const Document::OpenResult& opened, std::string_view shown) const;
    // A file not read at all, since it is larger than any image handled (MaxPatchImageSize).
    std::string OpenTooLarge(std::string_view shown) const;
    std::string RepairQuestion(int index, std::uint16_t id) const;
    // What opening has to tell, in order: repairs that failed, and a table that cannot be edited.
    std::vector<std::string> LoadReports(const Document& document, const LoadResult& load) const;
    // The warning, after those, about an editable table the game no longer reads; empty otherwise.
    std::string PathWarning(const Document& document) const;
    // Why the game no longer reads the table, from the first link of its path that is not its own.
    std::string PathReason(const GamePath& path) const;

    MessageBoxText Question(FileQuestion question) const;
    std::string Question(SaveQuestion question, std::uint32_t a, std::uint32_t b, const Document& document) const;
    // How Save went for the file shown; empty when there is nothing to tell (a declined question).
    std::string SaveReport(SaveStatus status, const Document& document, std::string_view shown) const;
    // How Save As to chosen went, the open file being shown.
    std::string SaveAsReport(
        const SaveAsResult& result, const Document& document, std::string_view chosen, std::string_view shown) const;

    std::string ExportReport(ExportOutcome outcome, std::string_view shown, std::string_view game = {}) const;
    std::string ImportReadFailed(std::string_view shown) const;
    // How importing the text shown went; empty when there is nothing to tell. A refusal comes
    // with the notes of the lines read before it.
    std::string ImportReport(const ImportResult& result, const Document& document, std::string_view shown) const;
    // Each note of an import on a line of its own, all of them.
    std::vector<std::string> NoteLines(const std::vector<TextNote>& notes, const Document& document) const;
    // A name or number typed for a move that is no move of the image, in the import's words.
    std::string UnknownMove(std::string_view typed, const Document& document) const;

    std::string ImageInformation(const ImageFacts& facts, std::string_view shown) const;
    std::string Comparison(const TableComparison& comparison, const Document& document) const;

    // shown: the open file for Unsaved, the program for Failed and NotProgram, the image for
    // NoProgram.
    std::string PlayReport(PlayOutcome outcome, std::string_view shown) const;

    // Move id (1-based) as a tooltip names it.
    std::string MoveTooltip(int id) const;
    // A failure nothing else reported, with what it said.
    MessageBoxText UnexpectedError(std::string_view what) const;

    // An unmodified image that is not the release, and, when asking, whether to go on.
    std::string PatchNotRelease(std::string_view image, bool asking = true) const;
    // How making a patch from image to patch went; empty when there is nothing to tell. held:
    // the patch was made from the image as a page holds it, edits included, not from a file.
    std::string PatchReport(const PatchResult& result, const Document& document, std::string_view image,
        std::string_view patch, bool held = false) const;

private:
    // What the title says of the open image after its name and game.
    std::vector<std::string> States(const Document& document) const;
    std::string Reason(OpenError error) const;
    std::string NotesText(const std::vector<TextNote>& notes, const Document& document) const;
    std::string RefusalReason(const TextRefusal& refusal, const Document& document) const;

    const LanguageStrings& m_table;
    int m_language;
};

} // namespace zarnith

#include "soundmoves/TableText.h"
#include "RomBuilder.h"
#include "soundmoves/Document.h"

#include <gtest/gtest.h>

namespace zarnith {
namespace {

using Moves = std::vector<std::uint16_t>;

TEST(TableText, ReadsNumbersAndNamesAndRefusesTheFirstLineAtFault)
{
    const MoveNameList names { "POUND", "KARATE CHOP", "Ätzend", "POUND", "Œil" };
    struct Case
    {
        std::string Text;
        Moves Expected;
        TextProblem Problem = TextProblem::None;
        int Line = 0;
        std::string Word;
        std::vector<TextNoteKind> Notes;
    };
    const Case cases[] = {
        { "\xEF\xBB\xBF# heading\n\n1 POUND\r\n\t 2  \n3", { 1, 2, 3 }, {}, 0, "", {} },
        { "karate chop\n  äTZEND \nœIL\n", { 2, 3, 5 }, {}, 0, "", {} },
        { "1 karate chop\npound\n", { 1, 1 }, {}, 0, "", { TextNoteKind::NameMismatch, TextNoteKind::AmbiguousName } },
        { "1\n6 x\n", {}, TextProblem::NotAMove, 2, "6", {} },
        { "0\n", {}, TextProblem::NotAMove, 1, "0", {} },
        { "99999999999999999999\n", {}, TextProblem::NotAMove, 1, "99999999999999999999", {} },
        { "1\n2POUND\n", {}, TextProblem::UnknownName, 2, "2POUND", {} },
        { "1\n2\n3\n4\n5\n# more\n1\n", {}, TextProblem::TooManyEntries, 7, "", {} },
        // Not UTF-8 (a lone lead byte, a UTF-16 surrogate): read as Windows-1252.
        { "1\n\xC3\x28\n", {}, TextProblem::UnknownName, 2, "\xC3\x83(", { TextNoteKind::Windows1252 } },
        { "1\n\xED\xA0\x80\n", {}, TextProblem::UnknownName, 2, "\xC3\xAD\xC2\xA0\xE2\x82\xAC",
            { TextNoteKind::Windows1252 } },
        // UTF-8's byte-order mark says UTF-8: such a text is never read as Windows-1252.
        { "\xEF\xBB\xBF"
          "1\n\xC4tzend\n",
            {}, TextProblem::NotText, 2, "", {} },
        { std::string("1\n2\0\n", 5), {}, TextProblem::NotText, 2, "", {} },
        { "# nothing\n\n", {}, TextProblem::NoEntries, 0, "", {} },
        // As people write names: spaces, hyphens, comments after an entry, older editors' text.
        { "karatechop\nKarate-Chop\n1 POUND # the first\n", { 2, 2, 1 }, {}, 0, "",
            { TextNoteKind::LooseName, TextNoteKind::LooseName } },
        { "\xC4tzend\n", { 3 }, {}, 0, "", { TextNoteKind::Windows1252 } },
        { "1\n\x81\xC4\n", {}, TextProblem::NotText, 2, "", { TextNoteKind::Windows1252 } }, // unassigned there
        { "1\n\xEF\xBB\xBF"
          "2\n",
            {}, TextProblem::ByteOrderMark, 2, "", {} },
        { std::string("# no entry\n") + std::string(EmptyTableLine), {}, {}, 0, "", {} },
        { std::string(MaxTableTextSize + 1, '1'), {}, TextProblem::TooLarge, 0, "", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text.substr(0, 40));
        const TableText parsed = ParseTableText(c.Text, names, static_cast<int>(names.size()));
        EXPECT_EQ(parsed.Moves, c.Expected);
        EXPECT_EQ(parsed.Refusal.Problem, c.Problem);
        EXPECT_EQ(parsed.Refusal.Line, c.Line);
        EXPECT_EQ(parsed.Refusal.Word, c.Word);
        std::vector<TextNoteKind> notes;
        for (const TextNote& note : parsed.Notes)
            notes.push_back(note.Kind);
        EXPECT_EQ(notes, c.Notes);
    }
    // Where a hack moved the list, a number past its names is a move all the same, and is
    // exported by its number alone, so that it imports back.
    const TableText far = ParseTableText("1023\n1000 Far\n", names, MaxMoveCount);
    EXPECT_EQ(far.Moves, (Moves { 1023, 1000 }));
    EXPECT_TRUE(far.Notes.empty()) << "a move with no name has none to differ from";
    // An entry that is no move, kept from the table the text replaces, and no other.
    EXPECT_EQ(ParseTableText("400\n1\n", names, 5, { 400 }).Moves, (Moves { 400, 1 }));
    EXPECT_EQ(ParseTableText("401\n", names, 5, { 400 }).Refusal.Problem, TextProblem::NotAMove);
    SoundMoveTable table { { { "??? (1023)", 0xFF, 0x03 }, { "POUND", 1, 0 } } };
    EXPECT_EQ(FormatTableText(table, names, "heading"), "# heading\n1023\n1 POUND\n");
    // Spaces and hyphens aside, a name of two moves is refused naming both.
    const TableText two = ParseTableText("double slap\n", { "DOUBLE-SLAP", "DOUBLESLAP" }, 2);
    EXPECT_EQ(two.Refusal.Problem, TextProblem::AmbiguousName);
    EXPECT_EQ(two.Refusal.Moves, (Moves { 1, 2 }));
    // An empty table exports as a text that imports back.
    const std::string empty = FormatTableText({}, names, "heading");
    EXPECT_TRUE(ParseTableText(empty, names, 5).Refusal.Problem == TextProblem::None);
}

TEST(TableText, ImportIsOneStepAndARefusalChangesNothing)
{
    testing::TempDir dir;
    const GameInfo& fireRed = SupportedGames[3];
    Document document;
    ASSERT_TRUE(document.Open(testing::RomImage::For(fireRed).WriteTo(dir, "rom.gba"), {}).Supported);
    const std::string exported = document.ExportTable();
    EXPECT_EQ(exported.substr(0, exported.find('\n')),
        "# Zarnith sound-move table of Fire Red (BPRE revision 0), 10 entries at 0x250104 (the game's own place)");
    EXPECT_NE(exported.find("\n45 Move45\n"), std::string::npos);
    EXPECT_EQ(document.Import(exported).Status, ImportStatus::Unchanged);

    EXPECT_EQ(document.Import("1\nMove999\n").Status, ImportStatus::Refused);
    EXPECT_FALSE(document.CanUndo());
    ASSERT_EQ(document.Import("move7\n8 Move8").Status, ImportStatus::Imported);
    EXPECT_EQ(document.Table().Count(), 2);
    EXPECT_EQ(document.Table().Entries[0].Name, "Move7");
    ASSERT_TRUE(document.Undo());
    EXPECT_EQ(document.ExportTable(), exported);

    // An entry that is no move exports by its number and imports back as it stands.
    const auto keep = [](int, std::uint16_t) { return false; };
    ASSERT_TRUE(document.Open(testing::RomImage::For(fireRed, { 1, 400 }).WriteTo(dir, "bad.gba"), keep).Supported);
    EXPECT_EQ(document.Import(document.ExportTable()).Status, ImportStatus::Unchanged);
}

} // namespace
} // namespace zarnith

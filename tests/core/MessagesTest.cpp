#include "Messages.h"
#include "RomBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace zarnith {
namespace {

using testing::RomImage;
using testing::TempDir;

const GameInfo& Emerald = SupportedGames[2];
const GameInfo& FireRed = SupportedGames[3];

// Each kind of composed text once, with its arguments, in both languages where they differ: a
// text starts with what its column gives (the French column left empty where it says nothing
// more).
TEST(Messages, EachResultComposedFromTheTable)
{
    auto table = std::make_unique<LanguageStrings>();
    InitLanguageTable(*table);
    TempDir dir;
    Document repeated;
    ASSERT_TRUE(repeated.Open(RomImage::For(Emerald, { 7, 45, 7, 46 }).WriteTo(dir, "rep.gba"), {}).Supported);
    Document fireRed;
    ASSERT_TRUE(fireRed.Open(RomImage::For(FireRed).WriteTo(dir, "fr.gba"), {}).Supported);
    ASSERT_TRUE(fireRed.Change(0, 9));
    ImageFacts moved;
    moved.Read = true;
    moved.Sha1 = "ab";
    moved.Table = TableStatus::Verified;
    moved.TableOffset = 0x400010;
    moved.TableEntries = 10;
    moved.NamesWordRead = moved.NamesRead = moved.NamesAtOwnOffset = true;
    PatchResult revision { PatchStatus::WrongGame };
    revision.FoundCode = "BPRE";
    revision.FoundRevision = 1;
    const ImportResult refused = repeated.Import("45\n\xc3\x28tzend\n");
    Document::OpenResult unsupported;
    unsupported.Code = "ABCD";
    unsupported.Revision = 2;

    struct Case
    {
        const char* Name;
        std::function<std::string(const Messages&)> Compose;
        std::string English;
        std::string French;
    };
    const Case cases[] = {
        { "compare", [&](const Messages& m) { return m.Comparison(repeated.CompareWithGame(), repeated); },
            "Added to the game's table: Move7 (7) \u00D72\n", "Ajoutées à la table du jeu : Move7 (7) \u00D72\n" },
        { "information", [&](const Messages& m) { return m.ImageInformation(moved, "a%2.gba"); },
            "File: a%2.gba\nSize: 0 bytes\nGame:  (code , version byte 0)\nCRC32: 00000000\nSHA-1: ab\nState: modified "
            "(its SHA-1 is not the release's).\nSound-move table: moved, now at 0x400010, 10 entries.",
            "Fichier : a%2.gba\n" },
        { "one entry", [](const Messages& m) { return m.Entries(0); }, "0 entries", "0 entrée" },
        { "import refused with its note", [&](const Messages& m) { return m.ImportReport(refused, repeated, "m.txt"); },
            "The table was not imported, and it stays as it was. Line 2 of m.txt: no move of this image is named "
            "\"\u00C3(tzend\".\n\nThe text is not UTF-8: it was read as Windows-1252.",
            "La table n'a pas été importée" },
        { "unknown move", [&](const Messages& m) { return m.UnknownMove("NOTAMOVE", repeated); },
            "no move of this image is named \"NOTAMOVE\".", "aucune attaque de cette rom ne s'appelle « NOTAMOVE »." },
        { "number that is no move", [&](const Messages& m) { return m.UnknownMove("999", repeated); },
            "999 is not a move of this image (its moves are 1 to 354).",
            "999 n'est pas une attaque de cette rom (ses attaques vont de 1 à 354)." },
        { "save refused", [&](const Messages& m) { return m.SaveReport(SaveStatus::Replaced, repeated, "r.gba"); },
            "r.gba was not saved, and nothing was written to it: another file has taken its place since it was "
            "opened.",
            "r.gba n'a pas été sauvegardée" },
        { "saved", [&](const Messages& m) { return m.SaveReport(SaveStatus::Saved, repeated, "r.gba"); },
            "The file was successfully saved!", "La rom a bien été sauvegardée!" },
        { "declined", [&](const Messages& m) { return m.SaveReport(SaveStatus::MoveDeclined, repeated, "r.gba"); }, "",
            "" },
        { "move question",
            [&](const Messages& m) { return m.Question(SaveQuestion::Move, 0x400010, 0x42F70, repeated); },
            "The table no longer fits in its place. It will be written at 0x400010 and the game's pointer at 0x42F70 "
            "will point to it. Continue?",
            "La table ne tient plus à sa place. Elle sera écrite à 0x400010 et le pointeur du jeu à 0x42F70 "
            "pointera vers elle. Continuer?" },
        { "other revision", [&](const Messages& m) { return m.PatchReport(revision, fireRed, "fr11.gba", "p.bps"); },
            "fr11.gba is Fire Red 1.1 (code BPRE, version byte 1), another revision: a patch for the open file needs "
            "Fire Red (1.0) (version byte 0).",
            "fr11.gba est Fire Red 1.1" },
        { "patch of the held image",
            [&](const Messages& m) {
                return m.PatchReport({ PatchStatus::Written, false, 42 }, fireRed, "fr.gba", "fr.bps", true);
            },
            "The patch was written to fr.bps (42 bytes). It was made from the image as this page holds it, edits "
            "included.",
            "Le patch a été écrit dans fr.bps (42 octets). Il a été fait" },
        { "not supported", [&](const Messages& m) { return m.OpenRefusal(unsupported, "x.gba"); },
            "Sorry, but the rom you chose isn't supported by this program yet, or isn't a generation III Pokémon "
            "rom.\n\nx.gba has the game code ABCD and the version byte 2.",
            "Désolé" },
        { "title", [&](const Messages& m) { return m.MarkedTitle(fireRed, "fr.gba"); },
            "*fr.gba \u2014 Fire Red \u2014 Zarnith", "*fr.gba \u2014 Fire Red \u2014 Zarnith" },
        { "caption", [](const Messages& m) { return m.Caption(Row::ImageInformation); }, "Image Information",
            "Informations sur l'image" },
        { "heading", [&](const Messages& m) { return m.Heading(repeated, "rep.gba *"); },
            "Emerald (code BPEE, version byte 0) \u2014 rep.gba *", "Emerald (code BPEE, octet de version 0)" },
        { "tooltip", [](const Messages& m) { return m.MoveTooltip(45); }, "Move 45", "Attaque 45" },
        { "unexpected error",
            [](const Messages& m) { return m.UnexpectedError("%1").Caption + m.UnexpectedError("%1").Text; },
            "ErrorAn unexpected error occurred: %1", "Erreur" },
        { "question",
            [](const Messages& m) {
                auto q = m.Question(FileQuestion::SaveFirst);
                return q.Caption + q.Text;
            },
            "WarningThe sound-move table has unsaved edits", "Alerte" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string english = c.Compose(Messages(*table, English));
        EXPECT_EQ(english.substr(0, c.English.size()), c.English);
        if (c.English.empty()) {
            EXPECT_EQ(english, "");
        }
        const std::string french = c.Compose(Messages(*table, French));
        EXPECT_EQ(french.substr(0, c.French.size()), c.French);
    }
    // A value holding a placeholder is not filled again.
    EXPECT_EQ(Fill("%1 %2", "%2", 5), "%2 5");
}

} // namespace
} // namespace zarnith

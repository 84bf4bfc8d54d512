#include "soundmoves/Document.h"
#include "BpsReader.h"
#include "RomBuilder.h"
#include "rom/Releases.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zarnith {
namespace {

using testing::Bytes;
using testing::ReadAll;
using testing::RomImage;
using testing::TempDir;

const GameInfo& Emerald = SupportedGames[2];

std::size_t FilesIn(const TempDir& dir)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()));
}

std::vector<int> Ids(const Document& document)
{
    std::vector<int> ids;
    for (const SoundMoveEntry& entry : document.Table().Entries)
        ids.push_back(entry.Id());
    return ids;
}

// Gives a set digest in place of a SHA-1, and counts the bytes it was fed.
struct FakeSha1 final : Hasher
{
    std::string Digest;
    std::uint64_t Fed = 0;
    void Reset() override { Fed = 0; }
    void Add(const std::uint8_t*, std::size_t size) override { Fed += size; }
    std::string HexDigest() override { return Digest; }
};

struct OpenDocument : ::testing::Test
{
    TempDir dir;
    Document document;
    std::string path;

    void SetUp() override
    {
        path = RomImage::For(Emerald, { 1, 2, 3 }).WriteTo(dir, "rom.gba");
        ASSERT_TRUE(document.Open(path, [](int, std::uint16_t) { return true; }).Supported);
    }
};

TEST_F(OpenDocument, EditsUndoRedoAndTheSavedStep)
{
    EXPECT_FALSE(document.IsModified());
    EXPECT_FALSE(document.CanUndo());
    ASSERT_TRUE(document.Change(0, 9));
    ASSERT_TRUE(document.Append(19));
    EXPECT_FALSE(document.Change(0, 9)) << "an edit that changes nothing is no step";
    EXPECT_EQ(Ids(document), (std::vector<int> { 10, 2, 3, 20 }));
    EXPECT_TRUE(document.IsModified());

    ASSERT_TRUE(document.Undo());
    EXPECT_EQ(Ids(document), (std::vector<int> { 10, 2, 3 }));
    ASSERT_TRUE(document.Undo());
    EXPECT_FALSE(document.Undo());
    EXPECT_FALSE(document.IsModified()) << "back at the step the file holds";
    ASSERT_TRUE(document.Redo());
    EXPECT_TRUE(document.IsModified());

    // Saved here: undoing away from it and redoing back to it.
    ASSERT_EQ(document.Save({}), SaveStatus::Saved);
    EXPECT_FALSE(document.IsModified());
    ASSERT_TRUE(document.Undo());
    EXPECT_TRUE(document.IsModified());
    ASSERT_TRUE(document.Redo());
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(testing::ReadAll(path)[Emerald.SoundMovesOffset], 10);

    // A new edit after undoing drops the undone steps, and the saved one with them.
    ASSERT_TRUE(document.Undo());
    ASSERT_TRUE(document.Remove(0));
    EXPECT_FALSE(document.CanRedo());
    ASSERT_TRUE(document.Undo());
    EXPECT_TRUE(document.IsModified());
}

// Each edit needs a chosen move and, but for Append, a selected entry; the entry selected after
// it is the edited one, and the move field follows the selection.
TEST_F(OpenDocument, EditsKeepTheirEntrySelected)
{
    struct Case
    {
        EditCommand Command;
        int S, M;
        bool Changed;
        int Selected;
        std::vector<int> Ids;
    };
    const Case cases[] = {
        { EditCommand::Change, 1, 9, true, 1, { 1, 10, 3 } },
        { EditCommand::Insert, 2, 4, true, 2, { 1, 2, 5 } }, // the last entry falls off
        { EditCommand::Append, -1, 6, true, 3, { 1, 2, 3, 7 } },
        { EditCommand::Remove, 2, 0, true, 1, { 1, 2 } },
        { EditCommand::Delete, 1, -1, true, 1, { 1, 3, 45 } }, // no move needed; the filler comes last
        { DeleteKeyCommand, 0, -1, true, 0, { 2, 3 } },
        { EditCommand::Change, -1, 9, false, -1, { 1, 2, 3 } },
        { EditCommand::Change, 1, -1, false, 1, { 1, 2, 3 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Command));
        while (document.Undo()) { }
        const EditResult result = document.Edit(c.Command, c.S, c.M);
        EXPECT_EQ(result.Changed, c.Changed);
        EXPECT_EQ(result.Selected, c.Selected);
        EXPECT_EQ(Ids(document), c.Ids);
        EXPECT_EQ(document.MoveIndexOf(result.Selected), result.Selected < 0 ? -1 : c.Ids[result.Selected] - 1);
    }
    // A refused import keeps what was noted before it: a text read as Windows-1252.
    const ImportResult refused = document.Import("45\n\xc3\x28tzend\n");
    EXPECT_EQ(refused.Status, ImportStatus::Refused);
    ASSERT_EQ(refused.Notes.size(), std::size_t { 1 });
    EXPECT_EQ(refused.Notes[0].Kind, TextNoteKind::Windows1252);
}

TEST_F(OpenDocument, AFailedSaveKeepsTheEditsModified)
{
    ASSERT_TRUE(document.Delete(1));
    document.File().FailNthWrite(1);
    EXPECT_EQ(document.Save({}), SaveStatus::WriteFailed);
    EXPECT_TRUE(document.IsModified());
    // The bytes reached the file, but not its disk: no step is taken for what the file holds.
    document.File().FailNthSync(1);
    EXPECT_EQ(document.Save({}), SaveStatus::WriteFailed);
    ASSERT_TRUE(document.Undo());
    EXPECT_TRUE(document.IsModified());
    ASSERT_TRUE(document.Redo());
    EXPECT_EQ(document.Save({}), SaveStatus::Saved);
    EXPECT_FALSE(document.IsModified());
}

// A caller that copies the file onwards and fails puts the file's bytes back: the edits count as
// unsaved, and the next Save finds the file as the document expects it.
TEST_F(OpenDocument, ASaveNotKeptLeavesTheEditsUnsaved)
{
    if (!testing::OpenFilesCanChange())
        GTEST_SKIP() << "no other program can change a file open here";
    const std::vector<std::uint8_t> held = ReadAll(path);
    const TablePlace before = document.Place();
    ASSERT_TRUE(document.Change(0, 9));
    ASSERT_EQ(document.Save({}), SaveStatus::Saved);
    std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out)
        .write(reinterpret_cast<const char*>(held.data()), static_cast<std::streamsize>(held.size()));
    document.SaveNotKept(before);
    EXPECT_TRUE(document.IsModified());
    bool asked = false;
    EXPECT_EQ(document.Save({ [&] { return asked = true; }, nullptr, nullptr }), SaveStatus::Saved);
    EXPECT_FALSE(asked) << "the file holds what the place says";
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(ReadAll(path)[Emerald.SoundMovesOffset], 10);
}

TEST_F(OpenDocument, OpeningOrClosingStartsANewHistory)
{
    ASSERT_TRUE(document.Insert(0, 4));
    // A file that cannot be opened, or is no supported image, leaves the open one as it was.
    const std::string text = RomImage(0x200).WriteTo(dir, "text.gba");
    for (const std::string& other : { dir.File("missing.gba"), text }) {
        EXPECT_FALSE(document.Open(other, {}).Supported);
        EXPECT_EQ(document.Path(), path);
        EXPECT_TRUE(document.CanUndo() && document.IsModified());
        EXPECT_EQ(Ids(document), (std::vector<int> { 5, 1, 2 }));
    }
    document.Open(path, [](int, std::uint16_t) { return true; });
    EXPECT_FALSE(document.CanUndo());
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(Ids(document), (std::vector<int> { 1, 2, 3 }));
    document.Close();
    EXPECT_FALSE(document.IsOpen());
    EXPECT_FALSE(document.CanUndo());
    EXPECT_FALSE(document.Append(1));
    EXPECT_EQ(document.Save({}), SaveStatus::NotVerified);
}

TEST_F(OpenDocument, SaveAsWritesACopyAndGoesOnWithIt)
{
    const Bytes original = ReadAll(path);
    const std::string copy = dir.File("copy.gba");
    for (SaveAsStatus status : { SaveAsStatus::Saved, SaveAsStatus::SameFile }) {
        ASSERT_TRUE(document.Change(0, document.Table().Entries[0].Id()));
        const SaveAsResult result = document.SaveAs(copy, {});
        EXPECT_EQ(result.Status, status);
        EXPECT_EQ(result.Table, SaveStatus::Saved);
        EXPECT_EQ(document.Path(), copy);
        EXPECT_FALSE(document.IsModified());
    }
    Bytes expected = original;
    expected[Emerald.SoundMovesOffset] = 3; // two edits: move 1 to 2, then 3
    EXPECT_EQ(ReadAll(copy), expected);
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(FilesIn(dir), 2u);
}

// Whatever stops a Save As leaves the original open and both files as they were, with no
// leftover beside them.
TEST(Document, AFailedSaveAsChangesNoFile)
{
    const std::pair<std::string, SaveAsStatus> cases[] = {
        { "move declined", SaveAsStatus::TableNotSaved },
        { "no free space", SaveAsStatus::TableNotSaved },
        { "no such folder", SaveAsStatus::CreateFailed },
        { "folder", SaveAsStatus::TargetRefused },
        { "unwritable", SaveAsStatus::TargetRefused },
    };
    for (const auto& [failure, status] : cases) {
        SCOPED_TRACE(failure);
        TempDir dir;
        RomImage image = RomImage::For(Emerald, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 });
        if (failure != "no free space")
            image.Fill(0x400000, 0x100, 0xFF);
        const std::string path = image.WriteTo(dir, "rom.gba");
        std::string target = RomImage(0).Put(0, { 1, 2, 3 }).WriteTo(dir, "old.gba");
        if (failure == "no such folder")
            target = dir.File("none/new.gba");
        else if (failure == "folder")
            std::filesystem::create_directory(target = dir.File("folder.gba"));
        else if (failure == "unwritable" && !testing::MakeUnwritable(target))
            continue;
        const Bytes before = ReadAll(target);
        const std::size_t files = FilesIn(dir);

        Document document;
        ASSERT_TRUE(document.Open(path, {}).Supported);
        ASSERT_TRUE(document.Append(11));
        const SaveAsResult result
            = document.SaveAs(target, { {}, [](std::uint32_t, std::uint32_t) { return false; }, {} });
        EXPECT_EQ(result.Status, status);
        EXPECT_EQ(ReadAll(path), image.Data);
        EXPECT_EQ(ReadAll(target), before);
        EXPECT_EQ(FilesIn(dir), files);
        EXPECT_EQ(document.Path(), path);
        EXPECT_TRUE(document.IsModified());
    }
}

// Save As onto any name the system takes: a symbolic link (the file it names is written and the
// link stays), the longest names, and a new file under a umask that makes it read-only by name.
TEST(Document, SaveAsOntoLinksLongNamesAndUnderAStrictUmask)
{
    for (const std::string edge : { "link", "long name", "umask" }) {
        SCOPED_TRACE(edge);
        TempDir dir;
        RomImage image = RomImage::For(Emerald, { 1, 2 });
        const std::string path = image.WriteTo(dir, "rom.gba");
        std::string target = dir.File(edge == "long name" ? std::string(247, 'n') + ".gba" : "new.gba");
        std::string written = target;
        if (edge == "link") {
            written = RomImage(0).Put(0, { 1 }).WriteTo(dir, "named.gba");
            if (!testing::MakeLink("named.gba", target))
                continue;
        }
        Document document;
        ASSERT_TRUE(document.Open(path, {}).Supported);
        ASSERT_TRUE(document.Change(0, 9));
        const int mask = edge == "umask" ? testing::SetUmask(0222) : 0;
        if (mask < 0)
            continue;
        const SaveAsResult result = document.SaveAs(target, {});
        if (edge == "umask")
            testing::SetUmask(mask);
        EXPECT_EQ(result.Status, SaveAsStatus::Saved);
        EXPECT_EQ(result.Table, SaveStatus::Saved);
        EXPECT_EQ(ReadAll(written)[Emerald.SoundMovesOffset], 10);
        EXPECT_EQ(std::filesystem::is_symlink(target), edge == "link");
        EXPECT_EQ(ReadAll(path), image.Data);
        EXPECT_EQ(FilesIn(dir), edge == "link" ? 3u : 2u);
    }
}

// The game reads its cartridge up to 32 MiB: a longer file whose word points at a table in the
// mirror past that is never read or written there.
TEST(Document, NoTablePastTheCartridgesAddressSpace)
{
    TempDir dir;
    RomImage image = RomImage::For(Emerald).Resize(MaxRomSize + 0x100000);
    image.PutTable(MaxRomSize + 0x100, { 1, 2 }).PutWord(Emerald.TableWordAt, RomBase + MaxRomSize + 0x100);
    const std::string path = image.WriteTo(dir, "long.gba");
    Document document;
    const Document::OpenResult opened = document.Open(path, [](int, std::uint16_t) { return true; });
    EXPECT_EQ(opened.Load.Status, TableStatus::NotLocated);
    EXPECT_FALSE(document.CanEdit());
    EXPECT_EQ(document.SaveAs(dir.File("copy.gba"), {}).Status, SaveAsStatus::NotEditable);
    EXPECT_EQ(ReadAll(path), image.Data);
}

// What the file does not hold, or the game cannot read, is neither read nor told.
TEST(Document, NothingIsToldThatWasNotRead)
{
    constexpr std::size_t Long = MaxRomSize + 0x4000;
    constexpr std::size_t List = MaxRomSize - NameSlotWidth * 400; // room for move 0's slot and 399 names
    struct Case
    {
        const char* Name;
        RomImage Image;
        TableStatus Status;
        bool TableWordRead;
        bool NamesRead;
        int Moves;
    };
    const Case cases[] = {
        { "cut before the words", RomImage(RomImage::For(Emerald)).Resize(1000), TableStatus::EndOfFile, false, false,
            MoveCount },
        { "names across 32 MiB", RomImage::For(Emerald).Resize(Long).PutMoveList(Emerald, List, 1023),
            TableStatus::Verified, true, true, 399 },
        { "table across 32 MiB",
            RomImage::For(Emerald)
                .Resize(Long)
                .PutTable(MaxRomSize - 4, { 1, 2, 3 })
                .PutWord(Emerald.TableWordAt, RomBase + MaxRomSize - 4),
            TableStatus::PastAddressSpace, true, true, MoveCount },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        Document document;
        EXPECT_EQ(document.Open(c.Image.WriteTo(dir, "rom.gba"), {}).Load.Status, c.Status);
        FakeSha1 sha1;
        const ImageFacts facts = document.Facts(sha1);
        EXPECT_EQ(facts.TableWord.has_value(), c.TableWordRead);
        EXPECT_EQ(facts.NamesRead, c.NamesRead);
        EXPECT_EQ(static_cast<int>(document.Names().size()), c.Moves);
        std::string keys;
        for (const auto& [key, value] : FactLines(facts, {}))
            keys += key + ";";
        EXPECT_EQ(keys.find("table word") != std::string::npos, c.TableWordRead && c.Status != TableStatus::Verified);
        EXPECT_EQ(keys.find("moves") != std::string::npos, c.NamesRead);
    }
    // A name past 32 MiB is no name of the list.
    TempDir dir;
    Document document;
    ASSERT_TRUE(document.Open(cases[1].Image.WriteTo(dir, "rom.gba"), {}).Supported);
    EXPECT_EQ(document.Import("Move399\n").Status, ImportStatus::Imported);
    EXPECT_EQ(document.Import("Move400\n").Refusal.Problem, TextProblem::UnknownName);
}

// Facts, patches and saves are of the file at the path now: one that another program put in its
// place, or made another game's image, is refused.
TEST_F(OpenDocument, AFileReplacedOrMadeAnotherImageIsRefused)
{
    if (!testing::OpenFilesCanChange())
        GTEST_SKIP() << "no other program can change a file open here";
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(GameCodeOffset).write("BPRE", 4);
    ASSERT_TRUE(document.Append(4));
    EXPECT_EQ(document.Save({}), SaveStatus::OtherImage);
    std::filesystem::rename(RomImage::For(Emerald).WriteTo(dir, "new.gba"), path);
    FakeSha1 sha1;
    EXPECT_TRUE(document.Facts(sha1).Replaced);
    EXPECT_EQ(sha1.Fed, 0U);
    EXPECT_EQ(document.CreatePatch(dir.File("new.gba"), dir.File("p.bps"), nullptr).Status, PatchStatus::Replaced);
}

TEST(Document, AFileThatMayOnlyBeReadIsShownEditedAndSavedElsewhere)
{
    TempDir dir;
    RomImage image = RomImage::For(Emerald, { 0, 2 });
    const std::string path = image.WriteTo(dir, "ro.gba");
    if (!testing::MakeUnwritable(path))
        GTEST_SKIP() << "cannot make a file unwritable here";
    Document document;
    const Document::OpenResult opened = document.Open(path, {}); // no repair may be offered
    EXPECT_EQ(opened.Load.Status, TableStatus::Verified);
    EXPECT_TRUE(document.IsReadOnly());
    ASSERT_TRUE(document.Change(0, 9));
    EXPECT_EQ(document.Save({}), SaveStatus::NotVerified);
    EXPECT_EQ(document.SaveAs(path, {}).Status, SaveAsStatus::TargetRefused);
    EXPECT_EQ(ReadAll(path), image.Data);
    ASSERT_EQ(document.SaveAs(dir.File("copy.gba"), {}).Status, SaveAsStatus::Saved);
    EXPECT_TRUE(document.CanSave());
    EXPECT_EQ(ReadAll(dir.File("copy.gba"))[Emerald.SoundMovesOffset], 10);
    EXPECT_EQ(ReadAll(path), image.Data);
}

TEST(Document, ATableThatIsNotVerifiedCannotBeEditedOrSaved)
{
    TempDir dir;
    RomImage image = RomImage::For(Emerald);
    image.PutWord(Emerald.TableWordAt, 0x12345678);
    Document document;
    Document::OpenResult opened = document.Open(image.WriteTo(dir, "x.gba"), [](int, std::uint16_t) { return true; });
    ASSERT_TRUE(opened.Supported);
    EXPECT_EQ(opened.Load.Status, TableStatus::NotLocated);
    EXPECT_TRUE(document.IsOpen());
    EXPECT_FALSE(document.CanSave());
    EXPECT_FALSE(document.Append(1));
    EXPECT_EQ(document.TableOffset(), std::nullopt);
    EXPECT_EQ(document.Save({}), SaveStatus::NotVerified);
    EXPECT_EQ(document.SaveAs(dir.File("copy.gba"), {}).Status, SaveAsStatus::NotEditable);
}

TEST_F(OpenDocument, ComparesWithAndRestoresTheGamesTable)
{
    // Free space after the short table lets ten entries be saved in place.
    path = RomImage::For(Emerald, { 1, 2, 3 }).Fill(Emerald.SoundMovesOffset + 8, 16, 0xFF).WriteTo(dir, "free.gba");
    ASSERT_TRUE(document.Open(path, {}).Supported);
    ASSERT_TRUE(document.RestoreGameTable());
    EXPECT_TRUE(document.CompareWithGame().IsGameTable());
    EXPECT_FALSE(document.RestoreGameTable()) << "already the game's own: no step";
    ASSERT_TRUE(document.Change(0, 45)); // GROWL becomes a second ROAR
    const TableComparison comparison = document.CompareWithGame();
    EXPECT_EQ(comparison.Added, (std::vector<std::uint16_t> { 46 }));
    EXPECT_EQ(comparison.Removed, (std::vector<std::uint16_t> { 45 }));
    ASSERT_TRUE(document.Change(1, 44));
    EXPECT_TRUE(document.CompareWithGame().Reordered);

    // The restore is one step of the history, and Save writes it where the table stands.
    ASSERT_TRUE(document.Undo() && document.Undo() && document.Undo());
    EXPECT_EQ(Ids(document), (std::vector<int> { 1, 2, 3 }));
    ASSERT_TRUE(document.Redo());
    ASSERT_EQ(document.Save({}), SaveStatus::Saved);
    ASSERT_TRUE(document.Open(path, {}).Supported);
    EXPECT_TRUE(document.CompareWithGame().IsGameTable());
}

// The digests themselves are checked through the window; here, what decides the facts.
TEST_F(OpenDocument, FactsOfTheFileOnDisk)
{
    FakeSha1 sha1;
    sha1.Digest = std::string(ReleaseSha1("BPEE", 0));
    EXPECT_TRUE(document.Facts(sha1).Unmodified);
    EXPECT_EQ(sha1.Fed, ReadAll(path).size());
    sha1.Digest = "0123";
    ASSERT_TRUE(document.Append(4));
    const ImageFacts facts = document.Facts(sha1);
    EXPECT_FALSE(facts.Unmodified);
    EXPECT_TRUE(facts.Modified);
    EXPECT_EQ(facts.TableEntries, 3) << "the file's, not the edit's";
    const auto lines = FactLines(facts, {});
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::pair<std::string, std::string>("table offset", "0x31BCF8")),
        lines.end());
}

// A patch from the unmodified image turns it into the open file as it stands on disk; whatever
// stops it leaves no file behind.
TEST(Document, CreatesAPatchFromTheUnmodifiedImage)
{
    const std::pair<std::string, PatchStatus> cases[] = {
        { "release", PatchStatus::Written },
        { "another SHA-1", PatchStatus::Written },
        { "another revision", PatchStatus::WrongGame },
        { "no image", PatchStatus::ReadFailed },
        { "over the open file", PatchStatus::SameFile },
        { "over the image", PatchStatus::SameFile },
        { "over another image", PatchStatus::OverImage },
        { "no such folder", PatchStatus::CreateFailed },
    };
    for (const auto& [name, status] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        RomImage base = RomImage::For(Emerald);
        if (name == "another revision")
            base.Header("BPEE", 1);
        const std::string image = name == "no image" ? dir.File("none.gba") : base.WriteTo(dir, "base.gba");
        RomImage hack = RomImage::For(Emerald, { 1, 2 });
        const std::string path = hack.Resize(8 << 20).Fill(4 << 20, 4 << 20, 0xFF).WriteTo(dir, "hack.gba");
        std::string out = dir.File("hack.bps");
        if (name == "over the open file")
            out = path;
        else if (name == "over the image")
            out = image;
        else if (name == "no such folder")
            out = dir.File("none/hack.bps");
        else if (name == "over another image")
            out = RomImage::For(SupportedGames[0]).WriteTo(dir, "ruby.gba");
        const std::size_t files = FilesIn(dir);

        Document document;
        ASSERT_TRUE(document.Open(path, {}).Supported);
        FakeSha1 sha1;
        sha1.Digest = name == "release" ? std::string(ReleaseSha1("BPEE", 0)) : "0";
        if (status == PatchStatus::Written) { // the check, stopped by its progress
            EXPECT_EQ(document.CheckPatchSource(image, sha1, [](auto, auto) { return false; }).Status,
                PatchStatus::Cancelled);
        }
        const PatchResult result = document.CreatePatch(image, out, &sha1);
        EXPECT_EQ(result.Status, status);
        EXPECT_EQ(ReadAll(path), hack.Data);
        EXPECT_EQ(result.FoundRevision, name == "another revision" ? 1 : 0) << "named as found";
        if (status != PatchStatus::Written) {
            EXPECT_EQ(FilesIn(dir), files);
            continue;
        }
        EXPECT_EQ(result.NotReleaseSha1, name != "release");
        const Bytes patch = ReadAll(out);
        EXPECT_EQ(result.Size, patch.size());
        EXPECT_EQ(testing::ApplyBps(base.Data, patch), hack.Data);
        EXPECT_EQ(FilesIn(dir), files + 1);
    }
}

} // namespace
} // namespace zarnith

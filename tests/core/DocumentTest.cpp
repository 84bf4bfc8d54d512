#include "soundmoves/Document.h"
#include "RomBuilder.h"

#include <gtest/gtest.h>

namespace zarnith {
namespace {

using testing::RomImage;
using testing::TempDir;

const GameInfo& Emerald = SupportedGames[2];

std::vector<int> Ids(const Document& document)
{
    std::vector<int> ids;
    for (const SoundMoveEntry& entry : document.Table().Entries)
        ids.push_back(entry.Id());
    return ids;
}

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

TEST_F(OpenDocument, OpeningOrClosingStartsANewHistory)
{
    ASSERT_TRUE(document.Insert(0, 4));
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
}

} // namespace
} // namespace zarnith

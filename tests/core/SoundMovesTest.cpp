#include "soundmoves/SoundMoves.h"
#include "RomBuilder.h"
#include "rom/RomAccess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarnith {
namespace {

using testing::Bytes;
using testing::RomImage;
using testing::TempDir;

const GameInfo& FireRed = SupportedGames[3];

// Bytes of two images that differ, as offsets.
std::vector<std::size_t> Differences(const Bytes& a, const Bytes& b)
{
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (i >= a.size() || i >= b.size() || a[i] != b[i])
            offsets.push_back(i);
    }
    return offsets;
}

struct SoundMoveFile : ::testing::Test
{
    TempDir dir;
    RomAccess rom;
    MoveNameList names;
    SoundMoveTable table;
    std::string path;
    Bytes original;
    std::vector<std::pair<int, std::uint16_t>> asked;

    void Open(const RomImage& image)
    {
        path = image.WriteTo(dir, "rom.gba");
        original = image.Data;
        ASSERT_EQ(rom.OpenRom(path), OpenError::None);
        ASSERT_NE(rom.IdentifyGame(), nullptr);
        ASSERT_TRUE(ReadMoveNames(rom, names));
    }

    LoadResult Load(bool answer)
    {
        return LoadSoundMoves(rom, names, table, [&](int index, std::uint16_t id) {
            asked.emplace_back(index, id);
            return answer;
        });
    }

    std::size_t TableAt(int entry) const { return FireRed.SoundMovesOffset + 2 * entry; }
};

TEST_F(SoundMoveFile, LoadsTenValidEntriesWithTheirNames)
{
    Open(RomImage::For(FireRed));
    ASSERT_TRUE(Load(true).Loaded);
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(table.Count, 10);
    const auto ids = testing::SyntheticTable();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.Entries[i].Id(), ids[i]);
        EXPECT_EQ(table.Entries[i].Name, testing::SyntheticName(ids[i]));
    }
    EXPECT_EQ(table.Entries[2].Low, 0x2D);
    EXPECT_EQ(table.Entries[2].High, 0x00);
    EXPECT_EQ(table.Entries[9].Low, 0x62);
    EXPECT_EQ(table.Entries[9].High, 0x01);
    EXPECT_FALSE(rom.File().Failed());
}

TEST_F(SoundMoveFile, InvalidEntriesAreAskedAboutAndRepairedInTheFileOnYes)
{
    // 0, 355 and a high byte of 2 are invalid; 354 and the end pair are not.
    Open(RomImage::For(FireRed, { 0, 355, 354, 0x0201, 45, 1, 2, 3, 4, 5 }));
    LoadResult result = Load(true);
    EXPECT_EQ(result.RepairsFailed, 0);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], std::make_pair(0, std::uint16_t { 0 }));
    EXPECT_EQ(asked[1], std::make_pair(1, std::uint16_t { 355 }));
    EXPECT_EQ(asked[2], std::make_pair(3, std::uint16_t { 513 }));
    for (int i : { 0, 1, 3 }) {
        EXPECT_EQ(table.Entries[i].Id(), FillerMove);
        EXPECT_EQ(table.Entries[i].Name, testing::SyntheticName(45));
    }
    EXPECT_EQ(table.Entries[2].Id(), 354);

    // The repairs are in the file already, without a save, and nothing else changed.
    Bytes now = testing::ReadAll(path);
    EXPECT_EQ(Differences(original, now),
        (std::vector<std::size_t> { TableAt(0), TableAt(1), TableAt(1) + 1, TableAt(3), TableAt(3) + 1 }));
    for (int i : { 0, 1, 3 }) {
        EXPECT_EQ(now[TableAt(i)], 0x2D);
        EXPECT_EQ(now[TableAt(i) + 1], 0x00);
    }
}

TEST_F(SoundMoveFile, DeclinedRepairKeepsTheBytesAndNamesThemInvalid)
{
    Open(RomImage::For(FireRed, { 0, 355, 0x0201, 0x01FF, 1, 2, 3, 4, 5, 6 }));
    Load(false);
    EXPECT_EQ(asked.size(), 4u);
    EXPECT_EQ(testing::ReadAll(path), original);
    EXPECT_EQ(table.Entries[0].Name, "??? (0)");
    EXPECT_EQ(table.Entries[1].Name, "??? (355)");
    EXPECT_EQ(table.Entries[2].Name, "??? (513)");
    EXPECT_EQ(table.Entries[3].Name, "??? (511)");
    EXPECT_EQ(table.Entries[2].Low, 0x01);
    EXPECT_EQ(table.Entries[2].High, 0x02);

    // Saving writes the invalid bytes back as they were.
    EXPECT_TRUE(SaveSoundMoves(rom, table));
    EXPECT_EQ(testing::ReadAll(path), original);
}

TEST_F(SoundMoveFile, SaveWritesOnlyTheTable)
{
    Open(RomImage::For(FireRed));
    Load(true);
    table.Entries[0] = { "x", 0x40, 0x01 };
    table.Entries[9] = { "y", 0x07, 0x00 };
    EXPECT_TRUE(SaveSoundMoves(rom, table));
    Bytes now = testing::ReadAll(path);
    EXPECT_EQ(Differences(original, now),
        (std::vector<std::size_t> { TableAt(0), TableAt(0) + 1, TableAt(9), TableAt(9) + 1 }));
    EXPECT_EQ(now[TableAt(10)], 0xFF);
    EXPECT_EQ(now[TableAt(10) + 1], 0xFF);
}

TEST_F(SoundMoveFile, ShortTableHoldsOnlyTheEntriesReadAndSaveStopsBeforeTheEndPair)
{
    // A previous load of a full table must not show through.
    Open(RomImage::For(FireRed));
    Load(true);
    ASSERT_EQ(table.Count, 10);

    RomImage image = RomImage::For(FireRed, { 10, 20, 30 });
    image.PutMove(TableAt(4), 99); // beyond the end pair: not part of the table
    Open(image);
    Load(true);
    ASSERT_EQ(table.Count, 3);
    EXPECT_EQ(table.Entries[2].Id(), 30);
    for (int i = 3; i < 10; ++i)
        EXPECT_EQ(table.Entries[i], SoundMoveEntry {}) << i;

    table.Entries[2] = { "z", 0x05, 0x00 };
    EXPECT_TRUE(SaveSoundMoves(rom, table));
    EXPECT_EQ(Differences(original, testing::ReadAll(path)), (std::vector<std::size_t> { TableAt(2) }));
}

TEST_F(SoundMoveFile, TruncatedTableMakesSaveFailAndChangeNothing)
{
    RomImage image = RomImage::For(FireRed);
    image.Resize(TableAt(4) + 1); // cut inside the fifth pair
    Open(image);
    LoadResult result = Load(true);
    ASSERT_EQ(table.Count, 5);
    // The fifth pair reads as its low byte and 0xFF: invalid, and the repair cannot be written.
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(result.RepairsFailed, 1);
    EXPECT_TRUE(result.EndedEarly);
    EXPECT_EQ(table.Entries[4].High, 0xFF);
    EXPECT_FALSE(SaveSoundMoves(rom, table));
    rom.CloseRom();
    EXPECT_EQ(testing::ReadAll(path), original);
}

TEST_F(SoundMoveFile, SaveRefusesAFileCutShortSinceItWasOpened)
{
    Open(RomImage::For(FireRed));
    Load(true);
    std::filesystem::resize_file(path, TableAt(5));
    EXPECT_FALSE(SaveSoundMoves(rom, table));
    rom.CloseRom();
    EXPECT_EQ(std::filesystem::file_size(path), TableAt(5));
}

TEST_F(SoundMoveFile, SaveRefusesAFileReplacedSinceItWasOpened)
{
    Open(RomImage::For(FireRed));
    Load(true);
    EXPECT_FALSE(Load(true).EndedEarly);
    RomImage replacement = RomImage::For(FireRed, { 9, 9, 9 });
    replacement.WriteTo(dir, "new.gba");
    std::filesystem::rename(dir.File("new.gba"), path);
    table.Entries[0] = { "x", 0x07, 0x00 };
    EXPECT_FALSE(SaveSoundMoves(rom, table));
    EXPECT_EQ(testing::ReadAll(path), replacement.Data);
}

TEST_F(SoundMoveFile, NothingIsReadOrWrittenForAnImageThatIsNotIdentified)
{
    Open(RomImage::For(FireRed));
    Load(true);
    RomImage other = RomImage::For(FireRed);
    other.Header("BPRE", 7);
    path = other.WriteTo(dir, "other.gba");
    ASSERT_EQ(rom.OpenRom(path), OpenError::None);
    EXPECT_EQ(rom.IdentifyGame(), nullptr);
    EXPECT_FALSE(Load(true).Loaded);
    EXPECT_FALSE(SaveSoundMoves(rom, table));
    EXPECT_FALSE(RepairEntry(rom, FireRed.SoundMovesOffset + 2));
    EXPECT_LE(rom.File().BytesRead(), 64u);
    rom.CloseRom();
    EXPECT_EQ(testing::ReadAll(path), other.Data);
}

TEST_F(SoundMoveFile, OneOpenReadsAFewKilobytesAndOneSaveWritesTheTable)
{
    for (int count : { 10, 4 }) {
        std::vector<std::uint16_t> ids = testing::SyntheticTable();
        ids.resize(static_cast<std::size_t>(count));
        Open(RomImage::For(FireRed, ids));
        Load(true);
        EXPECT_LE(rom.File().BytesRead(), 8192u);
        EXPECT_EQ(rom.File().BytesWritten(), 0u);
        ASSERT_TRUE(SaveSoundMoves(rom, table));
        EXPECT_EQ(rom.File().BytesWritten(), 2u * count);
    }
}

TEST(SoundMoveNames, ValidityBoundaries)
{
    EXPECT_FALSE(IsValidMove(0));
    EXPECT_TRUE(IsValidMove(1));
    EXPECT_TRUE(IsValidMove(354));
    EXPECT_FALSE(IsValidMove(355));
    EXPECT_FALSE(IsValidMove(0xFFFF));
}

} // namespace
} // namespace zarnith

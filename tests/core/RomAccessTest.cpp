#include "rom/RomAccess.h"
#include "RomBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/types.h>

namespace zarnith {

void PrintTo(const GameInfo& game, std::ostream* out)
{
    *out << game.Name;
}

namespace {

using testing::Bytes;
using testing::RomImage;
using testing::TempDir;

std::string HeaderImage(const TempDir& dir, std::string_view code, std::uint8_t revision)
{
    return RomImage(0x200).Header(code, revision).WriteTo(dir, "header.gba");
}

class IdentifyEveryGame : public ::testing::TestWithParam<GameInfo>
{
};

TEST_P(IdentifyEveryGame, MatchesCodeAndRevisionAndSetsOffsets)
{
    const GameInfo& game = GetParam();
    TempDir dir;
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(HeaderImage(dir, game.Code, game.Revision)), OpenError::None);
    const GameInfo* found = rom.IdentifyGame();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Name, game.Name);
    EXPECT_EQ(rom.Game(), found);
    EXPECT_EQ(rom.MoveNamesOffset(), game.MoveNamesOffset);
    EXPECT_EQ(rom.SoundMovesOffset(), game.SoundMovesOffset);
}

TEST_P(IdentifyEveryGame, RefusesRevisionThree)
{
    TempDir dir;
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(HeaderImage(dir, GetParam().Code, 3)), OpenError::None);
    EXPECT_EQ(rom.IdentifyGame(), nullptr);
    EXPECT_EQ(rom.Game(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(SupportedGames, IdentifyEveryGame, ::testing::ValuesIn(SupportedGames),
    [](const ::testing::TestParamInfo<GameInfo>& info) {
        return std::string(info.param.Code) + "_" + std::to_string(info.param.Revision);
    });

TEST(IdentifyGame, KnownOffsetsOfTheTable)
{
    EXPECT_EQ(FindGame("AXVE", 0)->MoveNamesOffset, 0x1F8328u);
    EXPECT_EQ(FindGame("AXVE", 0)->SoundMovesOffset, 0x1FA724u);
    EXPECT_EQ(FindGame("BPGE", 0)->MoveNamesOffset, 0x247078u);
    EXPECT_EQ(FindGame("BPGE", 0)->SoundMovesOffset, 0x2500E0u);
    EXPECT_EQ(FindGame("BPRE", 1)->SoundMovesOffset, 0x250174u);
    EXPECT_EQ(FindGame("AXPE", 2)->MoveNamesOffset, 0x1F82D0u);
    EXPECT_EQ(FindGame("BPEE", 1), nullptr);
    EXPECT_EQ(FindGame("BPRE", 2), nullptr);
}

TEST(IdentifyGame, RefusesOtherCaseOtherEditionAndShortHeaders)
{
    TempDir dir;
    RomAccess rom;
    for (std::string_view code : { "axve", "AXVJ", "BPRF", "AXV\xFF", "\0\0\0\0" }) {
        ASSERT_EQ(rom.OpenRom(HeaderImage(dir, code, 0)), OpenError::None);
        EXPECT_EQ(rom.IdentifyGame(), nullptr) << code;
    }

    // Cut inside the game code, and cut after the code but before the version byte.
    for (std::size_t size : { 0xAEu, 0xB0u, 0xBCu }) {
        RomImage image = RomImage(0x200).Header("AXVE", 0);
        std::string path = image.Resize(size).WriteTo(dir, "short.gba");
        ASSERT_EQ(rom.OpenRom(path), OpenError::None);
        EXPECT_EQ(rom.IdentifyGame(), nullptr) << size;
    }
}

TEST(IdentifyGame, FailureKeepsOffsetsButForgetsTheGame)
{
    TempDir dir;
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(HeaderImage(dir, "BPEE", 0)), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    ASSERT_EQ(rom.OpenRom(HeaderImage(dir, "ZZZZ", 0)), OpenError::None);
    EXPECT_EQ(rom.Game(), nullptr);
    EXPECT_EQ(rom.IdentifyGame(), nullptr);
    EXPECT_EQ(rom.MoveNamesOffset(), 0x31977Eu);
    EXPECT_EQ(rom.SoundMovesOffset(), 0x31BCF8u);
    ASSERT_EQ(rom.OpenRom(HeaderImage(dir, "BPEE", 0)), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    rom.CloseRom();
    EXPECT_EQ(rom.Game(), nullptr);
}

TEST(RomFileOpen, NeverCreatesNorTruncates)
{
    TempDir dir;
    RomFile file;
    std::string missing = dir.File("missing.gba");
    EXPECT_EQ(file.Open(missing), OpenError::Missing);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(file.Open(dir.File("no/such/folder.gba")), OpenError::Missing);

    Bytes original { 1, 2, 3, 4, 5 };
    std::string path = RomImage(0).Put(0, original).WriteTo(dir, "keep.gba");
    ASSERT_EQ(file.Open(path), OpenError::None);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(testing::ReadAll(path), original);
}

TEST(RomFileOpen, RefusesWhatIsNotARegularFile)
{
    TempDir dir;
    RomFile file;
    EXPECT_EQ(file.Open(dir.Path().string()), OpenError::NotRegularFile);
    EXPECT_EQ(file.Open("/dev/zero"), OpenError::NotRegularFile);

    // Reading a FIFO with no writer would block for ever; the open must refuse it instead.
    std::string fifo = dir.File("pipe.gba");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(file.Open(fifo), OpenError::NotRegularFile);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.ReadByte(), EndOfFile);

    // A link to a regular file is that file.
    std::string target = RomImage(4).WriteTo(dir, "target.gba");
    std::filesystem::create_symlink(target, dir.File("link.gba"));
    EXPECT_EQ(file.Open(dir.File("link.gba")), OpenError::None);
}

TEST(RomFileOpen, ReadOnlyFileIsAPermissionError)
{
    TempDir dir;
    std::string path = RomImage(16).WriteTo(dir, "ro.gba");
    if (!testing::MakeUnwritable(path))
        GTEST_SKIP() << "cannot make a file unwritable here";
    RomFile file;
    EXPECT_EQ(file.Open(path), OpenError::Permission);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Failed());
}

TEST(RomFile, EndOfFileEntersAFailedStateUntilTheNextOpen)
{
    TempDir dir;
    Bytes original { 0x10, 0x20 };
    std::string path = RomImage(0).Put(0, original).WriteTo(dir, "two.gba");
    RomFile file;
    ASSERT_EQ(file.Open(path), OpenError::None);
    file.SeekGet(1);
    EXPECT_EQ(file.TellGet(), 1u);
    EXPECT_EQ(file.ReadByte(), 0x20);
    EXPECT_EQ(file.ReadByte(), EndOfFile);
    EXPECT_TRUE(file.Failed());

    // Seeks, reads and writes now do nothing.
    file.SeekGet(0);
    EXPECT_EQ(file.ReadByte(), EndOfFile);
    EXPECT_EQ(file.TellGet(), std::nullopt);
    file.SeekPut(0);
    EXPECT_FALSE(file.WriteByte(0x99));
    EXPECT_FALSE(file.Flush());
    EXPECT_FALSE(file.Sync());
    file.Close();
    EXPECT_EQ(testing::ReadAll(path), original);

    ASSERT_EQ(file.Open(path), OpenError::None);
    EXPECT_FALSE(file.Failed());
    EXPECT_EQ(file.ReadByte(), 0x10);
}

TEST(RomFile, WritesInPlaceAndReadsThemBack)
{
    TempDir dir;
    std::string path = RomImage(8).WriteTo(dir, "rw.gba");
    RomFile file;
    ASSERT_EQ(file.Open(path), OpenError::None);
    file.SeekPut(3);
    EXPECT_TRUE(file.WriteByte(0xAB));
    EXPECT_TRUE(file.WriteByte(0xCD));
    // Reading straight after writing, with no seek between, still sees the stream in order.
    EXPECT_EQ(file.ReadByte(), 0x00);
    file.SeekGet(3);
    EXPECT_EQ(file.ReadByte(), 0xAB);
    EXPECT_TRUE(file.Sync());
    EXPECT_EQ(testing::ReadAll(path), (Bytes { 0, 0, 0, 0xAB, 0xCD, 0, 0, 0 }));
    EXPECT_EQ(file.Size(), 8);

    // Bytes not yet flushed reach the file when it is closed.
    file.SeekPut(0);
    EXPECT_TRUE(file.WriteByte(0x11));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(testing::ReadAll(path), (Bytes { 0x11, 0, 0, 0xAB, 0xCD, 0, 0, 0 }));
}

} // namespace
} // namespace zarnith

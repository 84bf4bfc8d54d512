#include "rom/RomAccess.h"
#include "RomBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarnith {

namespace {

using testing::Bytes;
using testing::RomImage;
using testing::TempDir;

std::string HeaderImage(const TempDir& dir, std::string_view code, std::uint8_t revision)
{
    // A name of its own each time: a file still open may not be written over everywhere.
    static int count = 0;
    return RomImage(0x200).Header(code, revision).WriteTo(dir, "header" + std::to_string(count++) + ".gba");
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
    EXPECT_EQ(FindGame("AXVD", 1)->SoundMovesOffset, 0x2076F4u);
    EXPECT_EQ(FindGame("AXPD", 0)->NamesWordAt, 0x67844u);
    EXPECT_EQ(FindGame("AXPD", 2), nullptr);
    EXPECT_EQ(FindGame("BPEE", 1), nullptr);
    EXPECT_EQ(FindGame("BPRE", 2), nullptr);
}

TEST(IdentifyGame, RefusesOtherCaseOtherEditionAndShortHeaders)
{
    TempDir dir;
    RomAccess rom;
    for (std::string_view code : { "axve", "AXVJ", "BPRF", "AXPF", "AXV\xFF", "\0\0\0\0" }) {
        ASSERT_EQ(rom.OpenRom(HeaderImage(dir, code, 0)), OpenError::None);
        EXPECT_EQ(rom.IdentifyGame(), nullptr) << code;
    }

    // Cut inside the game code, and cut after the code but before the version byte.
    for (std::size_t size : { 0xAEu, 0xB0u, 0xBCu }) {
        RomImage image = RomImage(0x200).Header("AXVE", 0);
        rom.CloseRom();
        std::string path = image.Resize(size).WriteTo(dir, "short.gba");
        ASSERT_EQ(rom.OpenRom(path), OpenError::None);
        EXPECT_EQ(rom.IdentifyGame(), nullptr) << size;
    }
}

// Where the game's two words point decides where the table and the names are read.
TEST(IdentifyGame, FollowsTheGamesWords)
{
    const GameInfo& ruby = SupportedGames[0];
    TempDir dir;
    RomAccess rom;
    auto identify = [&](RomImage image) {
        rom.CloseRom();
        EXPECT_EQ(rom.OpenRom(image.WriteTo(dir, "words.gba")), OpenError::None);
        EXPECT_NE(rom.IdentifyGame(), nullptr);
    };
    identify(RomImage::For(ruby));
    EXPECT_TRUE(rom.TableWordInFile());
    EXPECT_TRUE(rom.TableAtOwnOffset());
    EXPECT_TRUE(rom.NamesAtOwnOffset());
    EXPECT_EQ(rom.SoundMovesOffset(), ruby.SoundMovesOffset);
    EXPECT_EQ(rom.MoveNamesOffset(), ruby.NamesAddress - RomBase + NameSlotWidth);

    identify(RomImage::For(ruby).PutWord(ruby.TableWordAt, RomBase + 0x100).PutWord(ruby.NamesWordAt, RomBase + 0x400));
    EXPECT_EQ(rom.SoundMovesOffset(), 0x100u);
    EXPECT_FALSE(rom.TableAtOwnOffset());
    EXPECT_EQ(rom.MoveNamesOffset(), 0x400u + NameSlotWidth);
    EXPECT_FALSE(rom.NamesAtOwnOffset());

    // Words that point outside the file: no table, and the names at the game's own offset.
    const std::uint32_t size = static_cast<std::uint32_t>(RomImage::For(ruby).Data.size());
    for (std::uint32_t word : { 0u, 0x12345678u, RomBase + size, RomBase + size - 1, 0xFFFFFFFFu }) {
        identify(RomImage::For(ruby).PutWord(ruby.TableWordAt, word).PutWord(ruby.NamesWordAt, word));
        EXPECT_FALSE(rom.TableWordInFile()) << word;
        EXPECT_EQ(rom.TableWord(), word);
        EXPECT_EQ(rom.MoveNamesOffset(), ruby.MoveNamesOffset);
    }
    EXPECT_LE(rom.File().BytesRead(), 256u);
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
    EXPECT_EQ(rom.MoveNamesOffset(), 0x31977Eu); // the header image holds no words: the fixed offsets
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
    std::filesystem::create_directory(dir.Path() / "folder.gba");
    EXPECT_EQ(file.Open(dir.File("folder.gba")), OpenError::NotRegularFile);
    if (const char* device = testing::DevicePath()) {
        EXPECT_EQ(file.Open(device), OpenError::NotRegularFile);
    }

    // Reading a FIFO with no writer would block for ever; the open must refuse it instead.
    std::string fifo = dir.File("pipe.gba");
    if (testing::MakeFifo(fifo)) {
        EXPECT_EQ(file.Open(fifo), OpenError::NotRegularFile);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.ReadByte(), EndOfFile);
    }

    // A link to a regular file is that file.
    std::string target = RomImage(4).WriteTo(dir, "target.gba");
    if (testing::MakeLink(target, dir.File("link.gba"))) {
        EXPECT_EQ(file.Open(dir.File("link.gba")), OpenError::None);
    }
}

TEST(RomFileOpen, AFileTheSystemWillNotWriteOpensForReadingOnly)
{
    TempDir dir;
    std::string path = RomImage(0).Put(0, { 7, 8 }).WriteTo(dir, "ro.gba");
    if (!testing::MakeUnwritable(path))
        GTEST_SKIP() << "cannot make a file unwritable here";
    RomFile file;
    ASSERT_EQ(file.Open(path), OpenError::None);
    EXPECT_TRUE(file.ReadOnly());
    EXPECT_EQ(file.ReadByte(), 7);
    file.SeekPut(0);
    EXPECT_FALSE(file.WriteByte(9));
    EXPECT_FALSE(file.Sync());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(testing::ReadAll(path), (Bytes { 7, 8 }));
}

TEST(RomFile, EndOfFileAndAFailedWriteAreSeparateEvents)
{
    TempDir dir;
    std::string path = RomImage(0).Put(0, { 0x10, 0x20 }).WriteTo(dir, "two.gba");
    RomFile file;
    ASSERT_EQ(file.Open(path), OpenError::None);
    file.SeekGet(1);
    EXPECT_EQ(file.TellGet(), 1u);
    EXPECT_EQ(file.ReadByte(), 0x20);
    EXPECT_EQ(file.ReadByte(), EndOfFile);
    EXPECT_EQ(file.ReadByte(), EndOfFile);

    // The end of the file changes nothing else: seeks, reads and writes go on.
    file.SeekGet(0);
    EXPECT_EQ(file.ReadByte(), 0x10);
    file.SeekPut(0);
    EXPECT_TRUE(file.WriteByte(0x99));
    EXPECT_TRUE(file.Flush());
    EXPECT_EQ(testing::ReadAll(path), (Bytes { 0x99, 0x20 }));

    // A failed write is reported, reaches nothing, and reads still see the file.
    file.FailNthWrite(1);
    file.SeekPut(1);
    EXPECT_TRUE(file.WriteByte(0x55));
    EXPECT_FALSE(file.Flush());
    file.SeekGet(0);
    EXPECT_EQ(file.ReadByte(), 0x99);
    EXPECT_EQ(file.ReadByte(), 0x20);
    file.FailNthSync(1);
    file.SeekPut(1);
    EXPECT_TRUE(file.WriteByte(0x66));
    EXPECT_FALSE(file.Sync());
    EXPECT_TRUE(file.Sync());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(testing::ReadAll(path), (Bytes { 0x99, 0x66 }));
    EXPECT_EQ(file.ReadByte(), EndOfFile);
    EXPECT_EQ(file.TellGet(), std::nullopt);
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

namespace zarnith {
namespace {

// A path with letters beyond ASCII, as users name their files, opens, identifies and saves on
// every platform.
TEST(RomFileOpen, PathWithNonAsciiLetters)
{
    TempDir dir;
    const GameInfo& ruby = SupportedGames[0];
    RomImage image = RomImage::For(ruby);
    const std::string path = image.WriteTo(dir, "Pok\xC3\xA9mon Rub\xC3\xAD \xE3\x83\x9D.gba");
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(path), OpenError::None);
    ASSERT_EQ(rom.IdentifyGame(), &ruby);
    EXPECT_TRUE(rom.File().StillAtPath());
    rom.File().SeekPut(ruby.SoundMovesOffset);
    ASSERT_TRUE(rom.File().WriteByte(0x07));
    ASSERT_TRUE(rom.File().Sync());
    rom.CloseRom();
    image.Data[ruby.SoundMovesOffset] = 0x07;
    EXPECT_EQ(testing::ReadAll(path), image.Data);
    EXPECT_EQ(RomFile().Open(dir.File("Pok\xC3\xA9mon absent.gba")), OpenError::Missing);
}

} // namespace
} // namespace zarnith

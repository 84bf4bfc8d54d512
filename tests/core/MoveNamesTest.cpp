#include "text/MoveNames.h"
#include "RomBuilder.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"

#include <gtest/gtest.h>

namespace zarnith {
namespace {

using testing::Bytes;
using testing::Encode;
using testing::RomImage;
using testing::TempDir;

const GameInfo& Ruby = SupportedGames[0];

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The names a fresh open of image reads.
MoveNameList NamesOf(const RomImage& image)
{
    TempDir dir;
    RomAccess rom;
    EXPECT_EQ(rom.OpenRom(image.WriteTo(dir, "names.gba")), OpenError::None);
    EXPECT_NE(rom.IdentifyGame(), nullptr);
    MoveNameList names;
    EXPECT_TRUE(ReadMoveNames(rom, names));
    return names;
}

// Reads the names of an image whose name list at Ruby's offset starts with list.
MoveNameList ReadNames(const Bytes& list, std::size_t extra = 0x4000)
{
    return NamesOf(
        RomImage(Ruby.MoveNamesOffset + extra).Header(Ruby.Code, Ruby.Revision).Put(Ruby.MoveNamesOffset, list));
}

TEST(ReadMoveNames, SyntheticImageGivesEveryName)
{
    TempDir dir;
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(RomImage::For(SupportedGames[4]).WriteTo(dir, "lg.gba")), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    MoveNameList names;
    ASSERT_TRUE(ReadMoveNames(rom, names));
    for (int id = 1; id <= MoveCount; ++id)
        EXPECT_EQ(names[id - 1], testing::SyntheticName(id));
}

TEST(ReadMoveNames, PaddingSpacesAndTerminators)
{
    Bytes roar = { 0xCC, 0xC9, 0xBB, 0xCC };
    MoveNameList names = ReadNames(Concat({
        { 0x00, 0x00 },
        roar,
        { 0xFF }, // leading padding is skipped
        roar,
        { 0x00, 0xFF }, // a zero inside a name is a trailing space
        { 0x00, 0x00, 0xFF }, // only padding, then an empty name
        { 0x00 },
        Encode("A B"),
        { 0xFF }, // zero before the name is padding, inside it a space
        { 0xFF }, // an empty name right after a terminator
        { 0x40, 0xFE, 0xFF },
    }));
    EXPECT_EQ(names[0], "ROAR");
    EXPECT_EQ(names[1], "ROAR ");
    EXPECT_EQ(names[2], "");
    EXPECT_EQ(names[3], "A B");
    EXPECT_EQ(names[4], "");
    EXPECT_EQ(names[5], "?\\n");
    EXPECT_EQ(names[6], "");
}

TEST(ReadMoveNames, StopsAfterTheLastNameAndEmptiesNamesPastTheEndOfFile)
{
    Bytes list;
    for (int i = 0; i < MoveCount; ++i)
        list.push_back(0xFF);
    list.push_back(0xBB);
    TempDir dir;
    RomImage image = RomImage(0).Header(Ruby.Code, Ruby.Revision).Put(Ruby.MoveNamesOffset, list);
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(image.WriteTo(dir, "exact.gba")), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    MoveNameList names;
    names.assign(MoveCount, "old");
    ASSERT_TRUE(ReadMoveNames(rom, names));
    EXPECT_EQ(names[MoveCount - 1], "");
    EXPECT_EQ(rom.File().TellGet(), Ruby.MoveNamesOffset + MoveCount) << "read past the last terminator";

    // An image cut after two names leaves the rest empty.
    MoveNameList cut = ReadNames(Concat({ Encode("AB"), { 0xFF }, Encode("C") }), 3);
    EXPECT_EQ(cut[0], "AB");
    EXPECT_EQ(cut[1], "C");
    for (int i = 2; i < MoveCount; ++i)
        ASSERT_EQ(cut[i], "") << i;
}

// Every supported game: names read where its names word points, a name of twelve letters that
// fills its slot, the umlauts, and its table.
class EveryGame : public ::testing::TestWithParam<GameInfo>
{
};

TEST_P(EveryGame, ReadsNamesAndTableThroughTheGamesWords)
{
    const GameInfo& game = GetParam();
    const std::size_t list = game.NamesAddress - RomBase;
    RomImage image = RomImage::For(game);
    image.PutName(list, 1, "PFUND").PutName(list, 2, "KARATESCHLAG").PutName(list, 3, "ÄÖÜ äöü");
    TempDir dir;
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(image.WriteTo(dir, "game.gba")), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    EXPECT_EQ(rom.Game()->Name, game.Name);
    MoveNameList names;
    ASSERT_TRUE(ReadMoveNames(rom, names));
    EXPECT_EQ(names[0], "PFUND");
    EXPECT_EQ(names[1], "KARATESCHLAG");
    EXPECT_EQ(names[2], "ÄÖÜ äöü");
    EXPECT_EQ(names[3], testing::SyntheticName(4));
    EXPECT_EQ(names[MoveCount - 1], testing::SyntheticName(MoveCount));

    SoundMoveTable table;
    TablePlace place;
    LoadResult loaded = LoadSoundMoves(rom, names, table, place, [](int, std::uint16_t) { return true; });
    EXPECT_EQ(loaded.Status, TableStatus::Verified);
    ASSERT_EQ(table.Count(), SoundMoveCount);
    EXPECT_EQ(table.Entries[9].Id(), 354);
    EXPECT_EQ(place.Offset, game.SoundMovesOffset);

    // With a hack's longer list, moves past 354 are named and asked nothing about.
    image.PutMoveList(game, 0x400000, 400).PutTable(game.SoundMovesOffset, { 380, 400 });
    ASSERT_EQ(rom.OpenRom(image.WriteTo(dir, "longer.gba")), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    ASSERT_TRUE(ReadMoveNames(rom, names));
    loaded = LoadSoundMoves(rom, names, table, place, [](int, std::uint16_t) {
        ADD_FAILURE() << "a question about a move the list names";
        return false;
    });
    EXPECT_EQ(loaded.Status, TableStatus::Verified);
    EXPECT_EQ(names.size(), 400u);
    EXPECT_EQ(table.Entries[1].Name, testing::SyntheticName(400));
}

INSTANTIATE_TEST_SUITE_P(
    SupportedGames, EveryGame, ::testing::ValuesIn(SupportedGames), [](const ::testing::TestParamInfo<GameInfo>& info) {
        return std::string(info.param.Code) + "_" + std::to_string(info.param.Revision);
    });

TEST(ReadMoveNames, FollowsMovedNamesPastTheClearedOldList)
{
    const GameInfo& game = SupportedGames[2];
    const std::size_t list = game.NamesAddress - RomBase;
    const std::size_t moved = 0x100000;
    RomImage image = RomImage::For(game);
    image.Put(moved, Bytes(image.Data.begin() + list, image.Data.begin() + list + NameSlotWidth * (MoveCount + 1)));
    image.Fill(list, NameSlotWidth * (MoveCount + 1), 0xFF).PutName(moved, 7, "Moved");
    image.PutWord(game.NamesWordAt, RomBase + moved);
    const MoveNameList names = NamesOf(image);
    EXPECT_EQ(names[0], testing::SyntheticName(1));
    EXPECT_EQ(names[6], "Moved");
    EXPECT_EQ(names[MoveCount - 1], testing::SyntheticName(MoveCount));
}

// A hack's list moved and lengthened: its length is the run of well-formed slots, at least 354
// and at most 1,023.
TEST(ReadMoveNames, ALongerMovedListIsCountedAndBounded)
{
    const GameInfo& game = SupportedGames[3];
    const std::size_t list = 0x300000;
    struct Case
    {
        int Names, Malformed, Expected;
        std::uint8_t Padding; // after each name in its slot
    };
    for (const Case c : { Case { 400, 0, 400, 0xFF }, Case { 400, 200, 354, 0 }, Case { 1100, 0, MaxMoveCount, 0 } }) {
        RomImage image = RomImage::For(game).Fill(list, NameSlotWidth * (c.Names + 1), c.Padding);
        image.PutMoveList(game, list, c.Names);
        if (c.Malformed > 0)
            image.Fill(list + NameSlotWidth * c.Malformed, NameSlotWidth, 0x01); // no end to the name
        const MoveNameList names = NamesOf(image);
        ASSERT_EQ(names.size(), static_cast<std::size_t>(c.Expected));
        // Each name from its own slot, as the game reads them.
        EXPECT_EQ(names[c.Expected - 1], testing::SyntheticName(c.Expected));
        // A slot with no end is a name of its 13 bytes, and runs into no other.
        EXPECT_EQ(names[199].size(), c.Malformed > 0 ? 13 * std::string("\u00c0").size() : 7u);
        EXPECT_EQ(names[200], testing::SyntheticName(201));
    }
}

TEST(ReadMoveNames, RefusesAnImageThatIsNotIdentified)
{
    TempDir dir;
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(RomImage(0x200).Header("ZZZZ", 0).WriteTo(dir, "x.gba")), OpenError::None);
    EXPECT_EQ(rom.IdentifyGame(), nullptr);
    MoveNameList names;
    names.assign(MoveCount, "kept");
    EXPECT_FALSE(ReadMoveNames(rom, names));
    EXPECT_EQ(names[0], "kept");
    EXPECT_LE(rom.File().BytesRead(), 64u);
}

} // namespace
} // namespace zarnith

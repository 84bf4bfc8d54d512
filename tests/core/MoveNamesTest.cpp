#include "text/MoveNames.h"
#include "RomBuilder.h"
#include "rom/RomAccess.h"
#include "soundmoves/Document.h"
#include "soundmoves/SoundMoves.h"

#include <algorithm>

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

// Ruby's list of synthetic names with the given slots (from move 1's on) put over it.
RomImage WithSlots(const std::vector<Bytes>& slots)
{
    RomImage image = RomImage::For(Ruby);
    for (std::size_t i = 0; i < slots.size(); ++i)
        image.Put(Ruby.NamesAddress - RomBase + NameSlotWidth * (i + 1), slots[i]);
    return image;
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

// Each name is its own slot up to its first 0xFF, as the game reads it: what another tool left
// after that 0xFF, or a slot with no 0xFF at all, never reaches the next name.
TEST(ReadMoveNames, EachNameFromItsOwnSlot)
{
    const Bytes roar = { 0xCC, 0xC9, 0xBB, 0xCC };
    const std::vector<std::pair<Bytes, std::string>> slots = {
        { Concat({ { 0x00, 0x00 }, roar, { 0xFF } }), "ROAR" }, // leading padding is skipped
        { Concat({ roar, { 0x00, 0xFF } }), "ROAR " }, // a zero inside a name is a trailing space
        { { 0x00, 0x00, 0xFF }, "" },
        { Concat({ { 0x00 }, Encode("A B"), { 0xFF } }), "A B" },
        { Concat({ Encode("PUNCH"), Bytes(8, 0xFF) }), "PUNCH" }, // renamed in place, padded with 0xFF
        { Concat({ Encode("POUND"), { 0xFF }, Encode("CHOP"), { 0xFF, 0x00, 0x00 } }), "POUND" }, // old bytes after
        { Bytes(NameSlotWidth, 0xBB), std::string(NameSlotWidth, 'A') }, // no end: the whole slot
        { { 0xFF, 0xBB, 0xFF }, "" },
        { { 0x40, 0xFE, 0xFF }, "?\\n" },
    };
    std::vector<Bytes> bytes;
    for (const auto& slot : slots)
        bytes.push_back(slot.first);
    const MoveNameList names = NamesOf(WithSlots(bytes));
    ASSERT_EQ(names.size(), static_cast<std::size_t>(MoveCount));
    for (std::size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(names[i], slots[i].second) << "move " << i + 1;
    for (int id = static_cast<int>(slots.size()) + 1; id <= MoveCount; ++id)
        ASSERT_EQ(names[id - 1], testing::SyntheticName(id));
}

TEST(ReadMoveNames, ReadsNoFurtherThanTheLastSlotAndEmptiesNamesPastTheEndOfFile)
{
    const std::size_t list = Ruby.NamesAddress - RomBase;
    TempDir dir;
    RomAccess rom;
    ASSERT_EQ(rom.OpenRom(RomImage::For(Ruby).WriteTo(dir, "whole.gba")), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    const std::uint64_t identified = rom.File().BytesRead();
    MoveNameList names;
    ASSERT_TRUE(ReadMoveNames(rom, names));
    EXPECT_EQ(rom.File().BytesRead() - identified, std::uint64_t { NameSlotWidth } * MoveCount);

    // An image cut inside move 3's slot keeps what its slot holds and leaves the rest empty.
    MoveNameList cut = NamesOf(RomImage::For(Ruby).Resize(list + NameSlotWidth * 3 + 3));
    EXPECT_EQ(cut[0], testing::SyntheticName(1));
    EXPECT_EQ(cut[1], testing::SyntheticName(2));
    EXPECT_EQ(cut[2], "Mov");
    for (int i = 3; i < MoveCount; ++i)
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

    // Moves renamed in place by another tool shift no other name: choosing a move by its name
    // saves that move's number.
    rom.CloseRom();
    image.Put(list + NameSlotWidth * 5, Concat({ Encode("PUNCH"), Bytes(8, 0xFF) }));
    image.Put(list + NameSlotWidth * 6, Concat({ Encode("POUND"), { 0xFF }, Encode("CHOP"), { 0xFF, 0x00, 0x00 } }));
    Document document;
    ASSERT_TRUE(document.Open(image.WriteTo(dir, "renamed.gba"), {}).Supported);
    const MoveNameList& shown = document.Names();
    for (int id : { 5, 6, 7, 100, MoveCount }) {
        const std::string name = id == 5 ? "PUNCH" : id == 6 ? "POUND" : testing::SyntheticName(id);
        const auto m = static_cast<int>(std::find(shown.begin(), shown.end(), name) - shown.begin());
        ASSERT_TRUE(document.Change(0, m) || document.Table().Entries[0].Id() == id) << name;
        ASSERT_EQ(document.Save({}), SaveStatus::Saved);
        const Bytes saved = testing::ReadAll(document.Path());
        EXPECT_EQ(saved[game.SoundMovesOffset] | saved[game.SoundMovesOffset + 1] << 8, id) << name;
    }
    document.Close();

    // With a hack's longer list, moves past 354 are named, and every number up to 1,023 is a move
    // asked nothing about, at the game's own place and in a moved table.
    image.PutMoveList(game, 0x400000, 400).PutTable(game.SoundMovesOffset, { 380, 400, MaxMoveCount });
    ASSERT_EQ(rom.OpenRom(image.WriteTo(dir, "longer.gba")), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    ASSERT_TRUE(ReadMoveNames(rom, names));
    loaded = LoadSoundMoves(rom, names, table, place, [](int, std::uint16_t) {
        ADD_FAILURE() << "a question about a move of a moved list";
        return false;
    });
    EXPECT_EQ(loaded.Status, TableStatus::Verified);
    EXPECT_EQ(names.size(), 400u);
    EXPECT_EQ(table.Entries[1].Name, testing::SyntheticName(400));
    EXPECT_EQ(table.Entries[2].Name, "??? (1023)");
    image.PutTable(0x500000, { MaxMoveCount, 45 }).PutWord(game.TableWordAt, RomBase + 0x500000);
    ASSERT_EQ(rom.OpenRom(image.WriteTo(dir, "moved.gba")), OpenError::None);
    ASSERT_NE(rom.IdentifyGame(), nullptr);
    ASSERT_TRUE(ReadMoveNames(rom, names));
    EXPECT_EQ(LoadSoundMoves(rom, names, table, place, {}).Status, TableStatus::Verified);
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
    // Untidy padding (0x01 after each name's 0xFF) keeps the list's length.
    for (const Case c : { Case { 400, 0, 400, 0xFF }, Case { 400, 0, 400, 0x01 }, Case { 400, 200, 354, 0 },
             Case { 1100, 0, MaxMoveCount, 0 } }) {
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

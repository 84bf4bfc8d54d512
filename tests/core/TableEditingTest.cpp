#include "soundmoves/TableEditing.h"

#include <gtest/gtest.h>

namespace zarnith {
namespace {

MoveNameList Names()
{
    MoveNameList names(MoveCount);
    for (int i = 0; i < MoveCount; ++i)
        names[i] = "n" + std::to_string(i + 1);
    return names;
}

// A full table whose entry i is move 100 + i.
SoundMoveTable Table(int count = SoundMoveCount)
{
    SoundMoveTable table;
    for (int i = 0; i < count; ++i)
        table.Entries.push_back({ "e" + std::to_string(i), static_cast<std::uint8_t>(100 + i), 0 });
    return table;
}

std::vector<int> Ids(const SoundMoveTable& table)
{
    std::vector<int> ids;
    for (const SoundMoveEntry& entry : table.Entries)
        ids.push_back(entry.Id());
    return ids;
}

TEST(TableEditing, EntryFromMoveIndexBoundaries)
{
    const MoveNameList names = Names();
    auto bytes = [&](int m) {
        SoundMoveEntry e = EntryFromMoveIndex(m, names);
        return std::make_pair(int { e.Low }, int { e.High });
    };
    EXPECT_EQ(bytes(0), std::make_pair(0x01, 0x00));
    EXPECT_EQ(bytes(44), std::make_pair(0x2D, 0x00));
    EXPECT_EQ(bytes(254), std::make_pair(0xFF, 0x00));
    EXPECT_EQ(bytes(255), std::make_pair(0x00, 0x01));
    EXPECT_EQ(bytes(353), std::make_pair(0x62, 0x01));
    EXPECT_EQ(EntryFromMoveIndex(353, names).Name, "n354");
}

TEST(TableEditing, ChangeReplacesOneEntry)
{
    const MoveNameList names = Names();
    SoundMoveTable table = Table();
    ASSERT_TRUE(ChangeMove(table, names, 4, 255));
    EXPECT_EQ(Ids(table), (std::vector<int> { 100, 101, 102, 103, 256, 105, 106, 107, 108, 109 }));
    EXPECT_EQ(table.Entries[4].Name, "n256");
}

TEST(TableEditing, InsertShiftsDownAndDropsTheLast)
{
    const MoveNameList names = Names();
    SoundMoveTable table = Table();
    ASSERT_TRUE(InsertMove(table, names, 3, 0));
    EXPECT_EQ(Ids(table), (std::vector<int> { 100, 101, 102, 1, 103, 104, 105, 106, 107, 108 }));
    EXPECT_EQ(table.Entries[4].Name, "e3");

    table = Table();
    ASSERT_TRUE(InsertMove(table, names, 0, 1));
    EXPECT_EQ(Ids(table), (std::vector<int> { 2, 100, 101, 102, 103, 104, 105, 106, 107, 108 }));
    table = Table();
    ASSERT_TRUE(InsertMove(table, names, 9, 1));
    EXPECT_EQ(Ids(table), (std::vector<int> { 100, 101, 102, 103, 104, 105, 106, 107, 108, 2 }));
}

TEST(TableEditing, DeleteShiftsUpAndRefillsTheLastWithTheFiller)
{
    const MoveNameList names = Names();
    SoundMoveTable table = Table();
    ASSERT_TRUE(DeleteMove(table, names, 0));
    EXPECT_EQ(Ids(table), (std::vector<int> { 101, 102, 103, 104, 105, 106, 107, 108, 109, 45 }));
    EXPECT_EQ(table.Entries[9], (SoundMoveEntry { "n45", 0x2D, 0x00 }));
    table = Table();
    ASSERT_TRUE(DeleteMove(table, names, 9));
    EXPECT_EQ(Ids(table), (std::vector<int> { 100, 101, 102, 103, 104, 105, 106, 107, 108, 45 }));
}

TEST(TableEditing, ShortTableKeepsItsLength)
{
    const MoveNameList names = Names();
    SoundMoveTable table = Table(3);
    ASSERT_TRUE(InsertMove(table, names, 0, 9));
    EXPECT_EQ(Ids(table), (std::vector<int> { 10, 100, 101 }));
    ASSERT_TRUE(DeleteMove(table, names, 1));
    EXPECT_EQ(Ids(table), (std::vector<int> { 10, 101, 45 }));
}

TEST(TableEditing, AppendAndRemoveChangeTheLengthWithinItsBounds)
{
    const MoveNameList names = Names();
    SoundMoveTable table = Table(2);
    ASSERT_TRUE(AppendMove(table, names, 353));
    EXPECT_EQ(Ids(table), (std::vector<int> { 100, 101, 354 }));
    EXPECT_EQ(table.Entries[2].Name, "n354");
    ASSERT_TRUE(RemoveMove(table, names, 0));
    ASSERT_TRUE(RemoveMove(table, names, 1));
    EXPECT_EQ(Ids(table), (std::vector<int> { 101 }));
    ASSERT_TRUE(RemoveMove(table, names, 0));
    EXPECT_EQ(table.Count(), 0);
    // The empty table: nothing to remove, change, insert or delete, but one can be added.
    EXPECT_FALSE(RemoveMove(table, names, 0));
    EXPECT_FALSE(ChangeMove(table, names, 0, 1));
    EXPECT_FALSE(InsertMove(table, names, 0, 1));
    EXPECT_FALSE(AppendMove(table, names, MoveCount));
    ASSERT_TRUE(AppendMove(table, names, 0));

    // At most one entry per move.
    table = Table(0);
    for (int m = 0; m < MoveCount; ++m)
        ASSERT_TRUE(AppendMove(table, names, m));
    EXPECT_FALSE(AppendMove(table, names, 0));
    EXPECT_EQ(table.Count(), MoveCount);
    ASSERT_TRUE(InsertMove(table, names, 0, 5));
    EXPECT_EQ(table.Count(), MoveCount);
}

TEST(TableEditing, OutOfRangeSelectionsChangeNothing)
{
    const MoveNameList names = Names();
    SoundMoveTable table = Table(3);
    const SoundMoveTable before = table;
    EXPECT_FALSE(ChangeMove(table, names, -1, 0));
    EXPECT_FALSE(ChangeMove(table, names, 3, 0));
    EXPECT_FALSE(InsertMove(table, names, 0, -1));
    EXPECT_FALSE(InsertMove(table, names, 0, MoveCount));
    EXPECT_FALSE(DeleteMove(table, names, 3));
    EXPECT_FALSE(RemoveMove(table, names, -1));
    SoundMoveTable empty;
    EXPECT_FALSE(DeleteMove(empty, names, 0));
    EXPECT_EQ(Ids(table), Ids(before));
    EXPECT_EQ(table.Entries[0], before.Entries[0]);
}

} // namespace
} // namespace zarnith

#include "soundmoves/SoundMoves.h"
#include "RomBuilder.h"
#include "rom/RomAccess.h"
#include "soundmoves/Document.h"
#include "soundmoves/TableEditing.h"

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

std::vector<int> Ids(const SoundMoveTable& table)
{
    std::vector<int> ids;
    for (const SoundMoveEntry& entry : table.Entries)
        ids.push_back(entry.Id());
    return ids;
}

std::vector<std::uint16_t> Moves(int count, int first = 1)
{
    std::vector<std::uint16_t> ids;
    for (int i = 0; i < count; ++i)
        ids.push_back(static_cast<std::uint16_t>(first + i));
    return ids;
}

SoundMoveTable TableOf(const std::vector<std::uint16_t>& ids)
{
    SoundMoveTable table;
    for (std::uint16_t id : ids)
        table.Entries.push_back({ "", static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8) });
    return table;
}

std::size_t TableAt(int entry)
{
    return FireRed.SoundMovesOffset + 2 * entry;
}

struct SoundMoveFile : ::testing::Test
{
    TempDir dir;
    RomAccess rom;
    MoveNameList names;
    SoundMoveTable table;
    TablePlace place;
    std::string path;
    Bytes original;
    std::vector<std::pair<int, std::uint16_t>> asked;
    int overwriteQuestions = 0;
    std::vector<std::uint32_t> moveQuestions;
    bool answer = true;
    std::function<void(RomImage&)> during; // another program's change while the next question is open
    Bytes seen; // the file as another program last left it

    void Open(const RomImage& image)
    {
        rom.CloseRom();
        path = image.WriteTo(dir, "rom.gba");
        original = image.Data;
        Reopen();
    }

    void Reopen()
    {
        ASSERT_EQ(rom.OpenRom(path), OpenError::None);
        ASSERT_NE(rom.IdentifyGame(), nullptr);
        ASSERT_TRUE(ReadMoveNames(rom, names));
    }

    LoadResult Load()
    {
        return LoadSoundMoves(rom, names, table, place, [&](int index, std::uint16_t id) {
            asked.emplace_back(index, id);
            return answer;
        });
    }

    SaveStatus Save(const SoundMoveTable& t)
    {
        auto question = [&] {
            if (during)
                Change(std::exchange(during, nullptr));
            return answer;
        };
        return SaveSoundMoves(rom, place, t, static_cast<int>(names.size()),
            { [&] {
                 ++overwriteQuestions;
                 return question();
             },
                [&](std::uint32_t to, std::uint32_t at) {
                    EXPECT_EQ(at, FireRed.TableWordAt);
                    moveQuestions.push_back(to);
                    return question();
                },
                [&](std::uint32_t, std::uint32_t) { return question(); } });
    }

    Bytes Now() const { return testing::ReadAll(path); }

    // Changes the open file in place, as another program would.
    void Change(const std::function<void(RomImage&)>& change)
    {
        RomImage image(0);
        image.Data = Now();
        change(image);
        seen = image.Data;
        image.WriteTo(dir, "rom.gba");
    }

    // What a fresh open finds where the game's word points, or { -1 } when that is no table.
    std::vector<int> GameReads() const
    {
        Document fresh;
        const bool found
            = fresh.Open(path, [](int, std::uint16_t) { return false; }).Load.Status == TableStatus::Verified;
        return found ? Ids(fresh.Table()) : std::vector<int> { -1 };
    }
};

// Tables of cases, each with a Name: their fixture, and their name in test output and test names.
template <typename Case> class Cases : public SoundMoveFile, public ::testing::WithParamInterface<Case>
{
};

template <typename Case>
requires requires(Case c)
{
    c.Name;
}
void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.Name;
}

template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.Name;
}

TEST_F(SoundMoveFile, LoadsTenValidEntriesWithTheirNamesAndVerifiesTheEndPair)
{
    Open(RomImage::For(FireRed));
    LoadResult result = Load();
    ASSERT_TRUE(result.Loaded);
    EXPECT_EQ(result.Status, TableStatus::Verified);
    EXPECT_TRUE(asked.empty());
    const auto ids = testing::SyntheticTable();
    ASSERT_EQ(table.Count(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.Entries[i].Id(), ids[i]);
        EXPECT_EQ(table.Entries[i].Name, testing::SyntheticName(ids[i]));
    }
    EXPECT_EQ(table.Entries[2].Low, 0x2D);
    EXPECT_EQ(table.Entries[9].High, 0x01);
    EXPECT_EQ(place.Offset, FireRed.SoundMovesOffset);
    EXPECT_EQ(place.Capacity, 10);
    EXPECT_EQ(place.Pointer, RomBase + FireRed.SoundMovesOffset);
}

TEST_F(SoundMoveFile, InvalidEntriesAreAskedAboutAndRepairedInTheFileOnYes)
{
    // 0, 355 and a high byte of 2 are invalid; 354 and the end pair are not.
    Open(RomImage::For(FireRed, { 0, 355, 354, 0x0201, 45, 1, 2, 3, 4, 5 }));
    LoadResult result = Load();
    EXPECT_EQ(result.RepairsFailed, 0);
    EXPECT_EQ(asked, (std::vector<std::pair<int, std::uint16_t>> { { 0, 0 }, { 1, 355 }, { 3, 513 } }));
    EXPECT_EQ(Ids(table), (std::vector<int> { 45, 45, 354, 45, 45, 1, 2, 3, 4, 5 }));
    EXPECT_EQ(table.Entries[0].Name, testing::SyntheticName(45));

    // The repairs are in the file already, without a save, and nothing else changed.
    EXPECT_EQ(Differences(original, Now()),
        (std::vector<std::size_t> { TableAt(0), TableAt(1), TableAt(1) + 1, TableAt(3), TableAt(3) + 1 }));
}

TEST_F(SoundMoveFile, DeclinedRepairKeepsTheBytesAndNamesThemInvalid)
{
    answer = false;
    Open(RomImage::For(FireRed, { 0, 355, 0x0201, 0x01FF, 1, 2, 3, 4, 5, 6 }));
    Load();
    EXPECT_EQ(asked.size(), 4u);
    EXPECT_EQ(Now(), original);
    EXPECT_EQ(table.Entries[0].Name, "??? (0)");
    EXPECT_EQ(table.Entries[1].Name, "??? (355)");
    EXPECT_EQ(table.Entries[3].Name, "??? (511)");

    // Saving writes the invalid bytes back as they were.
    EXPECT_EQ(Save(table), SaveStatus::Saved);
    EXPECT_EQ(Now(), original);
}

TEST_F(SoundMoveFile, SaveOfTheSameLengthWritesOnlyTheEntries)
{
    for (int count : { 10, 3 }) {
        std::vector<std::uint16_t> ids = Moves(count, 10);
        RomImage image = RomImage::For(FireRed, ids);
        image.PutMove(TableAt(count + 1), 99); // beyond the end pair: not part of the table
        Open(image);
        Load();
        ASSERT_EQ(table.Count(), count);
        SoundMoveTable edited = table;
        edited.Entries[0] = { "x", 0x40, 0x01 };
        edited.Entries[count - 1] = { "y", 0x07, 0x00 };
        EXPECT_EQ(Save(edited), SaveStatus::Saved);
        EXPECT_EQ(Differences(original, Now()),
            (std::vector<std::size_t> { TableAt(0), TableAt(0) + 1, TableAt(count - 1) }));
        EXPECT_EQ(rom.File().BytesWritten(), 2u * count);
    }
}

TEST_F(SoundMoveFile, PairCutByTheEndOfTheFileIsNoEntryAndNothingCanBeWritten)
{
    RomImage image = RomImage::For(FireRed);
    image.Resize(TableAt(4) + 1); // cut inside the fifth pair
    Open(image);
    LoadResult result = Load();
    EXPECT_EQ(result.Status, TableStatus::EndOfFile);
    EXPECT_EQ(table.Count(), 4);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(Save(table), SaveStatus::NotVerified);
    rom.CloseRom();
    EXPECT_EQ(Now(), original);

    // Cut before the table starts: the word still holds the game's own address.
    image.Resize(FireRed.SoundMovesOffset - 2);
    Open(image);
    EXPECT_EQ(Load().Status, TableStatus::EndOfFile);
    EXPECT_EQ(table.Count(), 0);
}

TEST_F(SoundMoveFile, SaveRefusesAFileCutShortOrReplacedSinceItWasOpened)
{
    if (!testing::OpenFilesCanChange())
        GTEST_SKIP() << "no other program can change a file open here";
    Open(RomImage::For(FireRed));
    Load();
    std::filesystem::resize_file(path, TableAt(5));
    EXPECT_EQ(Save(table), SaveStatus::Shorter);
    EXPECT_EQ(std::filesystem::file_size(path), TableAt(5));

    Open(RomImage::For(FireRed));
    Load();
    RomImage replacement = RomImage::For(FireRed, { 9, 9, 9 });
    replacement.WriteTo(dir, "new.gba");
    std::filesystem::rename(dir.File("new.gba"), path);
    EXPECT_EQ(Save(TableOf(Moves(10))), SaveStatus::Replaced);
    EXPECT_EQ(Now(), replacement.Data);
}

TEST_F(SoundMoveFile, NothingIsReadOrWrittenForAnImageThatIsNotIdentified)
{
    Open(RomImage::For(FireRed));
    Load();
    RomImage other = RomImage::For(FireRed);
    other.Header("BPRE", 7);
    path = other.WriteTo(dir, "other.gba");
    ASSERT_EQ(rom.OpenRom(path), OpenError::None);
    EXPECT_EQ(rom.IdentifyGame(), nullptr);
    EXPECT_FALSE(Load().Loaded);
    EXPECT_EQ(Save(table), SaveStatus::NotVerified);
    EXPECT_FALSE(RepairEntry(rom, FireRed.SoundMovesOffset + 2));
    EXPECT_LE(rom.File().BytesRead(), 64u);
    rom.CloseRom();
    EXPECT_EQ(Now(), other.Data);
}

TEST_F(SoundMoveFile, OneOpenReadsAFewKilobytes)
{
    RomImage image = RomImage::For(FireRed, Moves(40, 100));
    image.PutWord(FireRed.TableWordAt, RomBase + 0x100000).PutTable(0x100000, Moves(MoveCount));
    for (const RomImage& each : { RomImage::For(FireRed), image }) {
        Open(each);
        Load();
        EXPECT_LE(rom.File().BytesRead(), 8192u);
        EXPECT_EQ(rom.File().BytesWritten(), 0u);
    }
    EXPECT_EQ(table.Count(), MoveCount);
}

// Images whose code points somewhere else than the unmodified game's offset, as ROM hacks have
// them. What loads, what is asked, and what Save may write.
struct Located
{
    const char* Name;
    std::function<void(RomImage&)> Change;
    TableStatus Status;
    std::vector<int> Ids; // what the list shows
    std::size_t SaveAt; // where a save writes; 0 when it must write nothing
};

using LocatedTable = Cases<Located>;

constexpr std::size_t Moved = 0x200000; // free space in the synthetic image

void MoveTable(RomImage& image, const std::vector<std::uint16_t>& ids)
{
    image.Fill(Moved - 32, 800, 0xFF).PutTable(Moved, ids).PutWord(FireRed.TableWordAt, RomBase + Moved);
}

std::vector<int> IdsOf(const std::vector<std::uint16_t>& ids)
{
    return { ids.begin(), ids.end() };
}

const Located LocatedCases[] = {
    { "Unmodified", [](RomImage&) {}, TableStatus::Verified, IdsOf(testing::SyntheticTable()), TableAt(0) },
    { "MovedOldCleared",
        [](RomImage& i) {
            MoveTable(i, Moves(10, 30));
            i.Fill(TableAt(0), 22, 0xFF);
        },
        TableStatus::Verified, IdsOf(Moves(10, 30)), Moved },
    { "MovedStaleCopyLeft", [](RomImage& i) { MoveTable(i, Moves(10, 30)); }, TableStatus::Verified,
        IdsOf(Moves(10, 30)), Moved },
    { "MovedOldReused",
        [](RomImage& i) {
            MoveTable(i, Moves(10, 30));
            i.Fill(TableAt(0), 22, 0x00);
        },
        TableStatus::Verified, IdsOf(Moves(10, 30)), Moved },
    { "MovedLongerThanTen", [](RomImage& i) { MoveTable(i, Moves(25, 200)); }, TableStatus::Verified,
        IdsOf(Moves(25, 200)), Moved },
    { "MovedWithAnInvalidEntry",
        [](RomImage& i) {
            MoveTable(i, { 5, 0, 6 });
        },
        TableStatus::NotMoves, { 5, 0, 6 }, 0 },
    { "MovedWithNoEndPair",
        [](RomImage& i) {
            MoveTable(i, Moves(MoveCount + 1)); // the pair after the bound is move 355
        },
        TableStatus::NoEndPair, IdsOf(Moves(MoveCount)), 0 },
    { "NoEndPairWithinTen", [](RomImage& i) { i.PutTable(TableAt(0), Moves(11)); }, TableStatus::NoEndPair,
        IdsOf(Moves(10)), 0 },
    { "WordNotAnAddress", [](RomImage& i) { i.PutWord(FireRed.TableWordAt, 0x4770B500); }, TableStatus::NotLocated, {},
        0 },
    { "WordPastTheEnd", [](RomImage& i) { i.PutWord(FireRed.TableWordAt, RomBase + 0x1000000); },
        TableStatus::NotLocated, {}, 0 },
    { "WordOdd", [](RomImage& i) { i.PutWord(FireRed.TableWordAt, RomBase + Moved + 1); }, TableStatus::NotLocated, {},
        0 },
};

TEST_P(LocatedTable, LoadsWhatTheGameReadsAndWritesOnlyThere)
{
    const Located& c = GetParam();
    // Entries the own offset holds that are not moves: a repair there would be written over
    // bytes the game no longer reads as its table.
    RomImage image = RomImage::For(FireRed, { 0, 355, 1, 2, 3, 4, 5, 6, 7, 8 });
    if (std::string_view(c.Name) == "Unmodified")
        image = RomImage::For(FireRed);
    c.Change(image);
    Open(image);
    LoadResult result = Load();
    EXPECT_EQ(result.Status, c.Status);
    EXPECT_EQ(Ids(table), c.Ids);
    EXPECT_TRUE(asked.empty()) << "a repair question away from a verified table at the game's own offset";
    EXPECT_EQ(Now(), original);

    SoundMoveTable edited = table;
    if (!edited.Entries.empty())
        edited.Entries[0] = { "x", 0x07, 0x00 };
    const SaveStatus saved = Save(edited);
    if (c.SaveAt == 0) {
        EXPECT_EQ(saved, SaveStatus::NotVerified);
        EXPECT_EQ(Now(), original);
    } else {
        EXPECT_EQ(saved, SaveStatus::Saved);
        EXPECT_EQ(Differences(original, Now()), (std::vector<std::size_t> { c.SaveAt }));
    }
}

INSTANTIATE_TEST_SUITE_P(Images, LocatedTable, ::testing::ValuesIn(LocatedCases), CaseName<Located>);

TEST_F(SoundMoveFile, MovesPastThe354thAreMovesWhereTheListNamesThem)
{
    RomImage image = RomImage::For(FireRed, { 380, 1, 2 }).PutMoveList(FireRed, 0x300000, 400);
    for (bool moved : { false, true }) {
        if (moved)
            MoveTable(image, { 380, 400, 2 });
        Open(image);
        ASSERT_EQ(names.size(), 400u);
        EXPECT_EQ(Load().Status, TableStatus::Verified);
        EXPECT_TRUE(asked.empty());
        EXPECT_EQ(table.Entries[0].Name, testing::SyntheticName(380));
        SoundMoveTable edited = table;
        ASSERT_TRUE(ChangeMove(edited, names, 2, 399));
        EXPECT_EQ(Save(edited), SaveStatus::Saved);
        const std::size_t at = (moved ? Moved : TableAt(0)) + 4;
        EXPECT_EQ(Differences(original, Now()), (std::vector<std::size_t> { at, at + 1 }));
    }
}

// Saves of a table whose length changed: in place while it fits, moved to free space when not.
struct Resize
{
    const char* Name;
    std::vector<std::uint16_t> OnFile; // the table the file holds at the game's own offset
    int NewCount;
    SaveStatus Expected;
};

using ResizedTable = Cases<Resize>;

const Resize ResizeCases[] = {
    { "ShrinkInPlace", Moves(10), 7, SaveStatus::Saved },
    { "ShrinkToEmpty", Moves(10), 0, SaveStatus::Saved },
    { "RegrowWithinTheOwnPlace", { 1, 2, 3, 4, 0xFFFF, 5, 6, 7, 8, 9, 10 }, 10, SaveStatus::Saved },
    { "GrowPastTheOwnPlace", Moves(10), 11, SaveStatus::Moved },
    { "GrowToTheLimit", Moves(3), MoveCount, SaveStatus::Moved },
};

TEST_P(ResizedTable, WritesTheEntriesAndTheEndPairOnlyWhereTheGameReads)
{
    const Resize& c = GetParam();
    RomImage image = RomImage::For(FireRed, c.OnFile);
    const std::size_t freeStart = 0x260000;
    image.Fill(freeStart, 0x1000, 0xFF);
    Open(image);
    Load();
    const std::vector<std::uint16_t> ids = Moves(c.NewCount, c.NewCount == MoveCount ? 1 : 2);
    ASSERT_EQ(Save(TableOf(ids)), c.Expected);

    const std::size_t at = c.Expected == SaveStatus::Moved ? freeStart + FreeSpaceMargin : TableAt(0);
    RomImage written(0);
    written.Data = original;
    written.PutTable(at, ids);
    if (c.Expected == SaveStatus::Moved) {
        written.PutWord(FireRed.TableWordAt, static_cast<std::uint32_t>(RomBase + at));
        EXPECT_EQ(moveQuestions, (std::vector<std::uint32_t> { static_cast<std::uint32_t>(at) }));
    }
    EXPECT_EQ(Now(), written.Data);
    EXPECT_EQ(place.Offset, at);
    EXPECT_EQ(place.Count, c.NewCount);

    // Reopening finds the table where it was written, and the next save of it stays there.
    Reopen();
    Load();
    EXPECT_EQ(Ids(table), IdsOf(ids));
    if (c.NewCount > 0) {
        table.Entries[0] = { "x", 0x09, 0x00 };
        ASSERT_EQ(Save(table), SaveStatus::Saved);
        EXPECT_EQ(Differences(written.Data, Now()), (std::vector<std::size_t> { at }));
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ResizedTable, ::testing::ValuesIn(ResizeCases), CaseName<Resize>);

TEST_F(SoundMoveFile, AMovedTableShrinksAndRegrowsWithinTheSpaceItWasLoadedWith)
{
    RomImage image = RomImage::For(FireRed);
    MoveTable(image, Moves(20, 40));
    Open(image);
    Load();
    ASSERT_EQ(place.Capacity, 20);
    ASSERT_EQ(Save(TableOf(Moves(5))), SaveStatus::Saved);
    ASSERT_EQ(Save(TableOf(Moves(20))), SaveStatus::Saved);
    RomImage expected = image;
    expected.PutTable(Moved, Moves(20));
    EXPECT_EQ(Now(), expected.Data);
    EXPECT_TRUE(moveQuestions.empty());
}

TEST_F(SoundMoveFile, RefusedSavesWriteNothing)
{
    // No free space at all: the image holds no run of 0xFF long enough.
    Open(RomImage::For(FireRed));
    Load();
    EXPECT_EQ(Save(TableOf(Moves(11))), SaveStatus::NoFreeSpace);
    EXPECT_TRUE(moveQuestions.empty());

    // Free space, but the user says no.
    RomImage image = RomImage::For(FireRed);
    image.Fill(0x200000, 0x100, 0xFF);
    Open(image);
    Load();
    answer = false;
    EXPECT_EQ(Save(TableOf(Moves(11))), SaveStatus::MoveDeclined);
    EXPECT_EQ(moveQuestions.size(), 1u);
    // A longer table holding an entry that is no move stays where it is.
    std::vector<std::uint16_t> ids = Moves(11);
    ids[4] = 0;
    EXPECT_EQ(Save(TableOf(ids)), SaveStatus::NotMoves);
    EXPECT_EQ(moveQuestions.size(), 1u);
    EXPECT_EQ(Now(), original);
}

TEST_F(SoundMoveFile, AChangeByAnotherProgramIsOverwrittenOnlyWhenTheUserSaysSo)
{
    if (!testing::OpenFilesCanChange())
        GTEST_SKIP() << "no other program can change a file open here";
    for (bool overwrite : { false, true }) {
        Open(RomImage::For(FireRed));
        Load();
        RomImage changed(0);
        changed.Data = original;
        changed.PutMove(TableAt(3), 77);
        changed.WriteTo(dir, "rom.gba"); // in place: the same file
        answer = overwrite;
        overwriteQuestions = 0;
        const SoundMoveTable mine = TableOf(Moves(10, 100));
        EXPECT_EQ(Save(mine), overwrite ? SaveStatus::Saved : SaveStatus::ChangeKept);
        EXPECT_EQ(overwriteQuestions, 1);
        if (overwrite)
            changed.PutTable(TableAt(0), Moves(10, 100));
        EXPECT_EQ(Now(), changed.Data);
    }

    // The game's word rewritten by another program: nothing is written where it no longer reads.
    Open(RomImage::For(FireRed));
    Load();
    RomImage moved(0);
    moved.Data = original;
    MoveTable(moved, Moves(10));
    moved.WriteTo(dir, "rom.gba");
    EXPECT_EQ(Save(TableOf(Moves(10, 100))), SaveStatus::PointerChanged);
    EXPECT_EQ(Now(), moved.Data);
}

// A write or a sync made to fail at a chosen call: the outcome reported, and what the file and
// the game are left with.
struct Failure
{
    const char* Name;
    int FailWrite;
    int FailSync;
    SaveStatus Expected;
    bool NewTableInFile;
    bool PointerChanged;
};

using FailedWrite = Cases<Failure>;

const Failure FailureCases[] = {
    { "MovedTableWrite", 1, 0, SaveStatus::MoveFailed, false, false },
    { "MovedTableSync", 0, 1, SaveStatus::MoveFailed, true, false },
    { "PointerWrite", 2, 0, SaveStatus::MoveFailed, true, false },
    { "PointerSync", 0, 2, SaveStatus::WriteFailed, true, true },
};

TEST_P(FailedWrite, AMoveThatFailsLeavesTheGameReadingATable)
{
    const Failure& c = GetParam();
    RomImage image = RomImage::For(FireRed);
    image.Fill(0x200000, 0x100, 0xFF);
    Open(image);
    Load();
    const TablePlace before = place;
    rom.File().FailNthWrite(c.FailWrite);
    rom.File().FailNthSync(c.FailSync);
    const std::vector<std::uint16_t> ids = Moves(11, 50);
    EXPECT_EQ(Save(TableOf(ids)), c.Expected);
    rom.CloseRom();

    RomImage expected = image;
    const std::uint32_t at = 0x200000 + FreeSpaceMargin;
    if (c.NewTableInFile)
        expected.PutTable(at, ids);
    if (c.PointerChanged)
        expected.PutWord(FireRed.TableWordAt, RomBase + at);
    EXPECT_EQ(Now(), expected.Data);
    EXPECT_EQ(place.Offset, c.PointerChanged ? at : before.Offset);

    // Reopened, the game's word leads to a whole table: the old one or the new one.
    Reopen();
    EXPECT_EQ(Load().Status, TableStatus::Verified);
    EXPECT_EQ(Ids(table), c.PointerChanged ? IdsOf(ids) : IdsOf(testing::SyntheticTable()));
}

INSTANTIATE_TEST_SUITE_P(Calls, FailedWrite, ::testing::ValuesIn(FailureCases), CaseName<Failure>);

TEST_F(SoundMoveFile, AFailedRepairLeavesTheEntryAsReadAndLoadingGoesOn)
{
    Open(RomImage::For(FireRed, { 0, 1, 355, 2 }));
    rom.File().FailNthWrite(1);
    LoadResult result = Load();
    EXPECT_EQ(result.RepairsFailed, 1);
    EXPECT_EQ(result.Status, TableStatus::Verified);
    EXPECT_EQ(Ids(table), (std::vector<int> { 0, 1, 45, 2 }));
    EXPECT_EQ(asked.size(), 2u);
    Bytes expected = original;
    expected[TableAt(2)] = FillerLow;
    expected[TableAt(2) + 1] = FillerHigh;
    EXPECT_EQ(Now(), expected);

    // A save that fails in place says so, keeps what it knows of the file, and a retry works
    // without taking its own partial write for another program's change.
    rom.File().FailNthSync(1);
    EXPECT_EQ(Save(TableOf(Moves(4, 7))), SaveStatus::WriteFailed);
    EXPECT_EQ(Save(TableOf(Moves(4, 8))), SaveStatus::Saved);
    EXPECT_EQ(overwriteQuestions, 0);
}

// Saves in turn, with another program's changes before a save or while its first question is
// open, and writes that fail or stop short: after each save reported done a fresh open finds the
// table saved, after each refusal the file is as the other program left it.
struct Step
{
    std::vector<std::uint16_t> Ids;
    SaveStatus Expected;
    std::function<void(RomImage&)> Before = {}, During = {};
    int FailWrite = 0, Written = 0, FailSync = 0; // the write to fail, and how many of its bytes reach the file
    bool Answer = true;
};
struct Road
{
    const char* Name;
    std::function<void(RomImage&)> Change;
    std::vector<Step> Steps;
};

using SaveRoad = Cases<Road>;
constexpr std::size_t Free = 0x260000; // 4 KiB of 0xFF in every image here
using S = SaveStatus;

const Road RoadCases[] = {
    { "MovedByAnotherProgramBetweenSaves", {},
        { { Moves(5, 100), S::Saved },
            { Moves(5, 200), S::PointerChanged,
                [](RomImage& i) { MoveTable(i, Moves(5)), i.Fill(TableAt(0), 22, 0); } } } },
    { "LengthenedByAnotherProgramThenAFailedWrite", {},
        { { Moves(5, 100), S::WriteFailed, [](RomImage& i) { i.PutTable(TableAt(0), Moves(8)); }, {}, 1 },
            { Moves(5, 100), S::Saved } } },
    { "ShortWritesAndFailedSyncs", {},
        { { Moves(20), S::MoveFailed, {}, {}, 1, 12 }, { Moves(3, 30), S::Saved },
            { Moves(5, 40), S::WriteFailed, {}, {}, 1, 8 }, { Moves(3, 50), S::Saved },
            { Moves(12), S::MoveFailed, {}, {}, 2, 2 }, { Moves(12), S::WriteFailed, {}, {}, 0, 0, 2 },
            { Moves(4, 30), S::WriteFailed, {}, {}, 0, 0, 1 }, { Moves(4, 30), S::Saved } } },
    { "FreeSpaceTakenWhileAsked", {},
        { { Moves(12), S::ChangedWhileAsked, {}, [](RomImage& i) { i.Fill(Free + 16, 64, 0); } },
            { Moves(12), S::Moved } } },
    { "CutWhileAsked", {},
        { { Moves(5, 100), S::Shorter, [](RomImage& i) { i.PutMove(TableAt(3), 77); },
            [](RomImage& i) { i.Resize(TableAt(4)); } } } },
    { "WordChangedWhileAsked", [](RomImage& i) { MoveTable(i, Moves(10)); },
        { { Moves(30), S::PointerChanged, {},
            [](RomImage& i) { i.PutWord(FireRed.TableWordAt, RomBase + TableAt(0)); } } } },
    { "OwnPlaceGrowsOverItsLeftoversOnly",
        [](RomImage& i) {
            i.PutTable(TableAt(0), { 1, 2, 3, 0xFFFF, 4, 5 }).Fill(TableAt(7), 8, 0x11).Fill(TableAt(11), 99, 0xFF);
        },
        { { Moves(6, 9), S::Saved }, { Moves(10), S::Moved } } },
    { "GrowsIntoFreeSpaceUpToItsMargin", [](RomImage& i) { MoveTable(i, Moves(10)), i.Fill(Moved + 78, 1, 0); },
        { { Moves(30), S::MoveDeclined, {}, {}, 0, 0, 0, false }, { Moves(30), S::Grown }, { Moves(5), S::Saved },
            { Moves(30, 2), S::Saved }, { Moves(31), S::Moved } } },
    { "GrowsInsideTheFileOnly", [](RomImage& i) { MoveTable(i, Moves(10)), i.Resize(Moved + 70); },
        { { Moves(27), S::NoFreeSpace }, { Moves(26), S::Grown } } },
    { "AnotherToolsBytesAfterAShortOwnTable",
        [](RomImage& i) {
            i.PutTable(TableAt(0), { 1, 2, 3 }).Fill(TableAt(4), 14, 0x11);
        },
        { { Moves(3, 9), S::Saved, [](RomImage& i) { i.Fill(TableAt(6), 2, 0x22); }, {}, 0, 0, 0, false } } },
    { "NamesWithoutEnds", [](RomImage& i) { i.Fill(Free, 0x10000, 0x01).PutWord(FireRed.NamesWordAt, RomBase + Free); },
        { { Moves(5, 100), S::Saved } } },
};

TEST_P(SaveRoad, AFreshOpenFindsTheTableSavedOrTheFileUnchanged)
{
    if (!testing::OpenFilesCanChange())
        GTEST_SKIP() << "no other program can change a file open here";
    RomImage image = RomImage::For(FireRed, Moves(5)).Fill(Free, 0x1000, 0xFF);
    if (GetParam().Change)
        GetParam().Change(image);
    Open(image);
    Load();
    EXPECT_LE(rom.File().BytesRead(), 8192u);
    for (const Step& step : GetParam().Steps) {
        if (step.Before)
            Change(step.Before);
        seen = Now();
        during = step.During;
        answer = step.Answer;
        rom.File().FailNthWrite(step.FailWrite, static_cast<std::size_t>(step.Written));
        rom.File().FailNthSync(step.FailSync);
        const std::uint32_t offset = place.Offset;
        const SaveStatus status = Save(TableOf(step.Ids));
        EXPECT_EQ(status, step.Expected) << step.Ids.size() << " entries";
        if (SaveSucceeded(status)) {
            EXPECT_EQ(GameReads(), IdsOf(step.Ids));
        } else if (status != S::WriteFailed && status != S::MoveFailed) {
            EXPECT_EQ(Now(), seen);
        }
        EXPECT_TRUE(status != S::Grown || place.Offset == offset);
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, SaveRoad, ::testing::ValuesIn(RoadCases), CaseName<Road>);

TEST(FreeSpace, LongestRunWithMarginsAlignedAndClearOfTheTable)
{
    TempDir dir;
    // Runs of 0xFF: [0x1000, 0x1040) too short for 16 + 8 + 16 aligned, [0x2001, 0x2100) long
    // enough, [0x3000, 0x3400) longest but partly the table's own bytes.
    RomImage image = RomImage(0x4000).Fill(0x1000, 0x27, 0xFF).Fill(0x2001, 0xFF, 0xFF).Fill(0x3000, 0x400, 0xFF);
    image.Fill(0x10, 0x80, 0xFF); // in the header: never free space
    RomFile file;
    ASSERT_EQ(file.Open(image.WriteTo(dir, "free.gba")), OpenError::None);

    EXPECT_EQ(FindFreeSpace(file, 8, 0, 0), 0x3010u);
    // The table at [0x3000, 0x3380): what is left of that run is shorter than the one at 0x2001.
    EXPECT_EQ(FindFreeSpace(file, 8, 0x3000, 0x3380), 0x2014u);
    EXPECT_EQ(FindFreeSpace(file, 0x3E0, 0, 0), 0x3010u);
    EXPECT_EQ(FindFreeSpace(file, 0x3F0, 0, 0), std::nullopt);
    // The whole scan is one pass over the file.
    const std::uint64_t before = file.BytesRead();
    EXPECT_EQ(FindFreeSpace(file, 8, 0x3000, 0x3400), 0x2014u);
    EXPECT_EQ(file.BytesRead() - before, 0x4000u);

    // Runs across the blocks the scan reads, and up to the end of the file.
    for (std::size_t start : { 0xFFF0u, 0x1FE00u }) {
        file.Close();
        RomImage large = RomImage(0x20000).Fill(0x8000, 0x100, 0xFF).Fill(start, 0x20000 - start, 0xFF);
        ASSERT_EQ(file.Open(large.Resize(std::min<std::size_t>(0x20000, start + 0x210)).WriteTo(dir, "large.gba")),
            OpenError::None);
        EXPECT_EQ(FindFreeSpace(file, 0x100, 0, 0), start + FreeSpaceMargin);
        EXPECT_EQ(FindFreeSpace(file, 8, 0, 0), start + FreeSpaceMargin);
    }
}

TEST(SoundMoveNames, ValidityBoundaries)
{
    EXPECT_FALSE(IsValidMove(0, MoveCount));
    EXPECT_TRUE(IsValidMove(1, MoveCount));
    EXPECT_TRUE(IsValidMove(354, MoveCount));
    EXPECT_FALSE(IsValidMove(355, MoveCount));
    EXPECT_TRUE(IsValidMove(400, 400));
    EXPECT_FALSE(IsValidMove(0xFFFF, MaxMoveCount));
}

} // namespace
} // namespace zarnith

#include "RomBuilder.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"
#include "soundmoves/TableEditing.h"

#include <gtest/gtest.h>

#include <random>

namespace zarnith {
namespace {

using testing::Bytes;
using testing::RomImage;

// Random images and random sessions of open, repair answers, edits, save and close. After every
// step the file must equal a model that changes only where a repair was accepted or a save
// wrote the table.
class RandomSessions : public ::testing::Test
{
protected:
    std::mt19937 random { 20261207 };

    int Pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); }

    RomImage RandomImage(const GameInfo& game)
    {
        std::vector<std::uint16_t> ids;
        for (int i = 0; i < SoundMoveCount; ++i) {
            int kind = Pick(10);
            if (kind == 0)
                ids.push_back(0xFFFF); // the end pair, early
            else if (kind <= 2)
                ids.push_back(static_cast<std::uint16_t>(Pick(2) == 0 ? 0 : 355 + Pick(0xFE00)));
            else
                ids.push_back(static_cast<std::uint16_t>(1 + Pick(MoveCount)));
        }
        RomImage image = RomImage::For(game, ids);
        if (Pick(6) == 0)
            image.Resize(game.SoundMovesOffset + Pick(22));
        return image;
    }
};

TEST_F(RandomSessions, FileChangesOnlyWhereTheUserAsked)
{
    testing::TempDir dir;
    for (int round = 0; round < 30; ++round) {
        const GameInfo& game = SupportedGames[Pick(static_cast<int>(SupportedGames.size()))];
        RomImage image = RandomImage(game);
        const std::string path = image.WriteTo(dir, "rom" + std::to_string(round % 3) + ".gba");
        Bytes model = image.Data;
        const std::size_t start = game.SoundMovesOffset;

        RomAccess rom;
        MoveNameList names;
        SoundMoveTable table;
        TablePlace place;
        for (int session = 0; session < 3; ++session) {
            ASSERT_EQ(rom.OpenRom(path), OpenError::None);
            ASSERT_EQ(rom.IdentifyGame(), &game);
            ASSERT_TRUE(ReadMoveNames(rom, names));
            LoadResult loaded = LoadSoundMoves(rom, names, table, place, [&](int index, std::uint16_t) {
                bool yes = Pick(2) == 0;
                const std::size_t at = start + 2 * index;
                if (yes && at + 1 < model.size()) {
                    model[at] = FillerLow;
                    model[at + 1] = FillerHigh;
                }
                return yes;
            });
            ASSERT_TRUE(loaded.Loaded);
            ASSERT_EQ(testing::ReadAll(path), model) << "round " << round << " load";

            for (int edit = Pick(6); edit > 0; --edit) {
                int s = table.Count() == 0 ? 0 : Pick(table.Count());
                switch (Pick(3)) {
                case 0:
                    ChangeMove(table, names, s, Pick(MoveCount));
                    break;
                case 1:
                    InsertMove(table, names, s, Pick(MoveCount));
                    break;
                default:
                    DeleteMove(table, names, s);
                    break;
                }
            }
            ASSERT_EQ(testing::ReadAll(path), model) << "round " << round << " edits";

            if (Pick(2) == 0) {
                const bool whole = loaded.Status == TableStatus::Verified;
                ASSERT_EQ(SaveSucceeded(SaveSoundMoves(rom, place, table, MoveCount, {})), whole) << "round " << round;
                for (int i = 0; whole && i < table.Count(); ++i) {
                    model[start + 2 * i] = table.Entries[i].Low;
                    model[start + 2 * i + 1] = table.Entries[i].High;
                }
                ASSERT_EQ(testing::ReadAll(path), model) << "round " << round << " save";
            }
            rom.CloseRom();
            ASSERT_EQ(testing::ReadAll(path), model) << "round " << round << " close";
        }
    }
}

} // namespace
} // namespace zarnith

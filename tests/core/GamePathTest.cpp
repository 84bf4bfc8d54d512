#include "rom/GamePath.h"
#include "RomBuilder.h"
#include "rom/RomFile.h"
#include "soundmoves/Document.h"

#include <gtest/gtest.h>

namespace zarnith {

namespace {

using testing::RomImage;
using testing::TempDir;

GamePath Check(const RomImage& image, const GameInfo& game)
{
    TempDir dir;
    RomFile file;
    EXPECT_EQ(file.Open(image.WriteTo(dir, "path.gba")), OpenError::None);
    return CheckGamePath(file, game);
}

// The battle-command table copied to at, with command 0 first, and the five words pointing at it.
void RepointCommands(RomImage& image, const BattlePath& path, std::uint32_t at, std::uint32_t first)
{
    image.Resize(std::max<std::size_t>(image.Data.size(), at + 0x400)).PutWord(at, first);
    for (std::uint32_t word : path.CommandWordsAt)
        image.PutWord(word, RomBase + at);
}

struct Link
{
    const char* Name;
    void (*Change)(RomImage&, const GameInfo&, const BattlePath&);
    PathBreak Break;
    std::optional<std::uint32_t> Elsewhere;
};

const Link Links[] = {
    { "LengthenedCopyKeepsCommand0", [](auto& i, auto&, auto& p) { RepointCommands(i, p, 0x380000, p.FirstCommand); },
        PathBreak::None, std::nullopt },
    { "CopyWithItsOwnCommand0", [](auto& i, auto&, auto& p) { RepointCommands(i, p, 0x380000, 0x089A3811); },
        PathBreak::FirstCommandMoved, 0x089A3811 },
    { "Command0JumpsThroughALiteral",
        [](auto& i, auto&, auto& p) {
            const std::uint32_t at = p.FirstCommand - 1 - RomBase;
            i.PutHalfword(at, 0x4900).PutHalfword(at + 2, 0x4708).PutWord((at + 4) & ~3u, 0x089A3811);
        },
        PathBreak::FirstCommandJumps, 0x089A3811 },
    { "AbilityEffectsMovePc",
        [](auto& i, auto&, auto& p) {
            const std::uint32_t at = p.AbilityEffects - RomBase;
            i.PutHalfword(at, 0x4801).PutHalfword(at + 2, 0x4687).PutWord(((at + 4) & ~3u) + 4, 0x08800001);
        },
        PathBreak::AbilityEffectsJump, 0x08800001 },
    { "CallRetargeted",
        [](auto& i, auto&, auto& p) {
            const std::vector<std::uint16_t> call = testing::ThumbCall(RomBase + p.CallAt, 0x08300000);
            i.PutHalfword(p.CallAt, call[0]).PutHalfword(p.CallAt + 2, call[1]);
        },
        PathBreak::CallMoved, 0x08300000 },
    { "CallGone", [](auto& i, auto&, auto& p) { i.PutWord(p.CallAt, 0); }, PathBreak::CallMoved, std::nullopt },
    { "LoadOfAnotherWord",
        [](auto& i, auto& g, auto& p) {
            i.PutHalfword(p.TableLoadAt, testing::ThumbLoad(RomBase + p.TableLoadAt, RomBase + g.TableWordAt + 8));
        },
        PathBreak::LoadMoved, 8 },
    { "LoadGone", [](auto& i, auto&, auto& p) { i.PutHalfword(p.TableLoadAt, 0x2000); }, PathBreak::LoadMoved,
        std::nullopt },
    { "WordsDisagree", [](auto& i, auto&, auto& p) { i.PutWord(p.CommandWordsAt[3], p.CommandTable + 4); },
        PathBreak::WordsDiffer, std::nullopt },
    { "CommandTablePast32MiB",
        [](auto& i, auto&, auto& p) { RepointCommands(i, p, MaxRomSize + 0x10, p.FirstCommand); },
        PathBreak::CommandTableOutside, RomBase + MaxRomSize + 0x10 },
    { "FileEndsBeforeTheCode", [](auto& i, auto&, auto&) { i.Resize(0x12000); }, PathBreak::EndOfFile, std::nullopt },
    { "FileEndsBeforeTheCommandTable", [](auto& i, auto&, auto& p) { i.Resize(p.CommandTable - RomBase); },
        PathBreak::EndOfFile, std::nullopt },
};

using GamePathLinks = ::testing::TestWithParam<std::size_t>;

// Each link broken in turn, each on another release; where the game goes instead is told (an
// Elsewhere below 0x100 is relative to the release's table word).
TEST_P(GamePathLinks, TheFirstBrokenLinkIsTheReason)
{
    const Link& link = Links[GetParam()];
    const GameInfo& game = SupportedGames[GetParam() * 4 % SupportedGames.size()];
    const BattlePath& path = *FindBattlePath(game);
    RomImage image = RomImage::For(game);
    link.Change(image, game, path);
    const GamePath found = Check(image, game);
    EXPECT_EQ(found.Break, link.Break) << GamePathText(found);
    std::optional<std::uint32_t> elsewhere = link.Elsewhere;
    if (elsewhere && *elsewhere < 0x100)
        *elsewhere += RomBase + game.TableWordAt;
    EXPECT_EQ(found.Elsewhere, elsewhere) << GamePathText(found);
    EXPECT_EQ(found.Read(), link.Break == PathBreak::None);
    EXPECT_EQ(GamePathText(found).empty(), found.Read());
}

INSTANTIATE_TEST_SUITE_P(EachLink, GamePathLinks, ::testing::Range<std::size_t>(0, std::size(Links)),
    [](const auto& info) { return std::string(Links[info.param].Name); });

TEST(GamePath, EveryReleaseBuiltIntactIsReadAndTheReasonNamesWhereTheGameGoes)
{
    for (const GameInfo& game : SupportedGames) {
        ASSERT_NE(FindBattlePath(game), nullptr) << game.Name;
        EXPECT_TRUE(Check(RomImage::For(game), game).Read()) << game.Name;
    }
    const GamePath moved { PathBreak::FirstCommandMoved, 0x089A3811, 0x0801D761 };
    EXPECT_EQ(GamePathText(moved), "the first battle command is at 0x089A3811, not the game's own 0x0801D761");
}

// An entry that is no move, in a table the game no longer reads: no repair is offered, so
// nothing is written before the user has been told.
TEST(GamePath, NoRepairIsOfferedInATableTheGameNoLongerReads)
{
    const GameInfo& game = SupportedGames[3];
    RomImage image = RomImage::For(game, { 45, 999, 47 });
    RepointCommands(image, *FindBattlePath(game), 0x380000, 0x089A3811);
    TempDir dir;
    const std::string path = image.WriteTo(dir, "unread.gba");
    Document document;
    int asked = 0;
    document.Open(path, [&asked](int, std::uint16_t) { return ++asked > 0; });
    EXPECT_FALSE(document.ReadByGame().Read());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(testing::ReadAll(path), image.Data);
}

} // namespace

} // namespace zarnith

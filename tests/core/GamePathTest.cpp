#include "rom/GamePath.h"
#include "Messages.h"
#include "RomBuilder.h"
#include "rom/RomFile.h"
#include "soundmoves/Document.h"

#include <gtest/gtest.h>

namespace zarnith {

namespace {

using testing::RomImage;

// Why the table is not read, in English, as every front end tells it.
std::string Reason(const GamePath& path)
{
    return Messages(FilledLanguageTable()).PathReason(path);
}
using testing::TempDir;

GamePath Check(const RomImage& image, const GameInfo& game)
{
    TempDir dir;
    RomFile file;
    EXPECT_EQ(file.Open(image.WriteTo(dir, "path.gba")), OpenError::None);
    return CheckGamePath(file, game);
}

// The battle-command table copied to at, with command 0 first, and the five words pointing at it
// through the cartridge's window at base.
void RepointCommands(
    RomImage& image, const BattlePath& path, std::uint32_t at, std::uint32_t first, std::uint32_t base = RomBase)
{
    image.Resize(std::max<std::size_t>(image.Data.size(), at + 0x400)).PutWord(at, first);
    for (std::uint32_t word : path.CommandWordsAt)
        image.PutWord(word, base + at);
}

// Thumb halfwords put at offset at (negative: before it) of the game's stretch of code k.
template <class... Halfwords> void PutCode(RomImage& image, const BattlePath& path, int k, int at, Halfwords... code)
{
    for (const std::uint16_t halfword : { static_cast<std::uint16_t>(code)... })
        image.PutHalfword(CodeStretches(path)[k].Offset + at, halfword), at += 2;
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
    { "CommandTablePastTheMirrors",
        [](auto& i, auto&, auto& p) { RepointCommands(i, p, 0x10, p.FirstCommand, 0x0E000000); },
        PathBreak::CommandTableOutside, 0x0E000010 },
    { "FileEndsBeforeTheCode", [](auto& i, auto&, auto&) { i.Resize(0x12000); }, PathBreak::EndOfFile, std::nullopt },
    { "CommandTablePastTheFilesEnd", [](auto& i, auto&, auto& p) { RepointCommands(i, p, 0x10, 0, 0x09F00000); },
        PathBreak::CommandTablePastEnd, 0x09F00010 },
    { "CommandTableInAMirror",
        [](auto& i, auto&, auto& p) { RepointCommands(i, p, 0x380000, p.FirstCommand, 0x0C000000); }, PathBreak::None,
        std::nullopt },
    // Each stretch of the game's code changed by one instruction at its edge; the review's hooks
    // (0xF100 0xF800: a BL 1 MiB on); instructions changed just outside the stretches.
    { "AttackChecksEnd", [](auto& i, auto&, auto& p) { PutCode(i, p, 0, 22, 0x2001); }, PathBreak::AttackChecksChanged,
        std::nullopt },
    { "CallStart", [](auto& i, auto&, auto& p) { PutCode(i, p, 1, 0, 0x2001); }, PathBreak::CallChanged, std::nullopt },
    { "AbilityEffectsEnd", [](auto& i, auto&, auto& p) { PutCode(i, p, 2, 42, 0x2001); },
        PathBreak::AbilityEffectsChanged, std::nullopt },
    { "SoundproofCaseEnd", [](auto& i, auto&, auto& p) { PutCode(i, p, 3, 62, 0x2001); },
        PathBreak::SoundproofCaseChanged, std::nullopt },
    { "Command0JumpsAsItsFifthInstruction", [](auto& i, auto&, auto& p) { PutCode(i, p, 0, 8, 0x4800, 0x4700); },
        PathBreak::AttackChecksChanged, std::nullopt },
    { "Command0CallsAHook", [](auto& i, auto&, auto& p) { PutCode(i, p, 0, 0, 0xF100, 0xF800); },
        PathBreak::AttackChecksChanged, std::nullopt },
    { "JumpBeforeTheLoad", [](auto& i, auto&, auto& p) { PutCode(i, p, 3, 8, 0x4900, 0x4708); },
        PathBreak::SoundproofCaseChanged, std::nullopt },
    { "AbilityEffectsCallAHook", [](auto& i, auto&, auto& p) { PutCode(i, p, 2, 0, 0xB500, 0xF100, 0xF800); },
        PathBreak::AbilityEffectsChanged, std::nullopt },
    { "OutsideTheStretches",
        [](auto& i, auto&, auto& p) {
            for (int k = 0; k < 4; ++k)
                PutCode(i, p, k, -2, 0x2001), PutCode(i, p, k, CodeStretches(p)[k].Size, 0x2001);
        },
        PathBreak::None, std::nullopt },
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
    EXPECT_EQ(found.Break, link.Break) << Reason(found);
    std::optional<std::uint32_t> elsewhere = link.Elsewhere;
    if (elsewhere && *elsewhere < 0x100)
        *elsewhere += RomBase + game.TableWordAt;
    EXPECT_EQ(found.Elsewhere, elsewhere) << Reason(found);
    EXPECT_EQ(found.Read(), link.Break == PathBreak::None);
    EXPECT_EQ(Reason(found).empty(), found.Read());
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
    EXPECT_EQ(Reason(moved), "the first battle command is at 0x089A3811, not the game's own 0x0801D761");
    const GamePath hooked { PathBreak::AttackChecksChanged, std::nullopt, 0x1D760 };
    EXPECT_EQ(Reason(hooked),
        "the game's code at 0x1D760 (the attack checks' start) is not the release's own: "
        "a hack may have hooked it");
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

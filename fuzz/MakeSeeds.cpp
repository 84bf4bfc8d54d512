// Writes the fuzzer's seed corpus: synthetic images of every game in the fuzz input format.
#include "FuzzInput.h"
#include "RomBuilder.h"

#include "rom/Games.h"
#include "text/MoveNames.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace zarnith;

namespace {

void Write(const std::string& folder, const std::string& name, const fuzz::FuzzCase& c)
{
    fuzz::Bytes bytes = fuzz::Encode(c);
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::vector<std::vector<std::uint16_t>> tables = {
        testing::SyntheticTable(),
        { 0, 355, 0x0201, 0xFFFF },
        { 45, 46 },
    };
    for (std::size_t g = 0; g < SupportedGames.size(); ++g) {
        const GameInfo& game = SupportedGames[g];
        const std::size_t list = game.NamesAddress - RomBase;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            testing::RomImage image = testing::RomImage::For(game, tables[t]);
            fuzz::FuzzCase c;
            c.Game = static_cast<std::uint8_t>(g);
            c.Answers = static_cast<std::uint16_t>(0x5555 << t);
            c.Cut = static_cast<std::uint8_t>(t == 2 ? 9 : 0);
            c.Edits = { { 0, 1, 44 }, { 1, 0, 200 }, { 2, 9, 0 }, { 3, 0, 7 }, { 4, 2, 0 } };
            c.FreeSixteens = 64;
            c.Flags = static_cast<std::uint8_t>(t == 0 ? 7 : 4);
            // Another program between and during the saves, and a write that stops short.
            c.Between
                = { static_cast<std::uint8_t>(t == 1 ? fuzz::FuzzCase::ChangePair : fuzz::FuzzCase::NoChange), 3 };
            c.During
                = { static_cast<std::uint8_t>(t == 0 ? fuzz::FuzzCase::ChangeNamed : fuzz::FuzzCase::NoChange), 16 };
            c.Failure = static_cast<std::uint8_t>(t == 2 ? 1 | 5 << 2 : 0);
            auto first = image.Data.begin();
            c.Names.assign(first + list, first + list + NameSlotWidth * (MoveCount + 1));
            // The table, and the battle-command table's command 0 after it.
            c.Table.assign(first + game.SoundMovesOffset, first + game.SoundMovesOffset + 32);
            Write(folder, "game" + std::to_string(g) + "-table" + std::to_string(t), c);

            // The same game with its table moved to the area after the names, longer than ten.
            c.Word = fuzz::FuzzCase::Moved;
            c.WordValue = 0;
            c.Cut = 0;
            testing::RomImage moved(0);
            moved.PutTable(0, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13 });
            c.MovedArea = moved.Data;
            // One link of the game's path to the table changed.
            c.Flags = static_cast<std::uint8_t>(c.Flags | ((g + t) % 8) << 4);
            Write(folder, "game" + std::to_string(g) + "-moved" + std::to_string(t), c);
        }
    }
    // Names renamed in place by other tools (padded with 0xFF, old bytes after the 0xFF); a hack's
    // longer move list one slot past the game's own place, untidy in one slot, and a table of
    // moves past 354 and past the names.
    for (std::size_t g = 0; g < SupportedGames.size(); g += 3) {
        const GameInfo& game = SupportedGames[g];
        const std::size_t list = game.NamesAddress - RomBase;
        testing::RomImage image = testing::RomImage::For(game, { 380, 1, 400, 1000 });
        image.Put(list + NameSlotWidth * 5, { 0xCA, 0xCF, 0xC8, 0xBD, 0xC2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF });
        image.Put(list + NameSlotWidth * 6, { 0xCA, 0xC9, 0xCF, 0xC8, 0xBE, 0xFF, 0xBD, 0xC2, 0xFF, 0x00 });
        for (int id = MoveCount + 1; id <= 420; ++id)
            image.PutName(list, id, testing::SyntheticName(id));
        image.Put(list + NameSlotWidth * 380 + 8, { 0x01, 0x02 });
        fuzz::FuzzCase c;
        c.Game = static_cast<std::uint8_t>(g);
        c.Flags = 5;
        c.Edits = { { 0, 0, 143 }, { 8, 0, 150 } };
        auto first = image.Data.begin() + static_cast<std::ptrdiff_t>(list);
        c.Names.assign(first, first + NameSlotWidth * 421);
        c.Table.assign(image.Data.begin() + game.SoundMovesOffset, image.Data.begin() + game.SoundMovesOffset + 32);
        Write(folder, "game" + std::to_string(g) + "-renamed", c);
        c.NamesMoved = 2;
        Write(folder, "game" + std::to_string(g) + "-longer-list", c);
    }
    fuzz::FuzzCase raw;
    raw.Raw = testing::RomImage(0xC0).Header("BPEE", 3).Data;
    Write(folder, "raw-revision", raw);
    raw.Raw.resize(0xAE);
    Write(folder, "raw-short", raw);
    return 0;
}

// Writes a synthetic image, for scripts/screenshot-windows.sh, the command-line tests and for
// trying the program by hand: the header, the builder's move names where the game keeps them, a
// table at the game's own offset with the game's two words pointing at both, and free space
// (0xFF) from a little past the table to the end. Fire Red 1.0 with the builder's ten-entry
// table unless told otherwise:
//   --game CODE     another game, revision 0 (AXVD: the German Ruby)
//   --table 1,2,3   other moves in the table
//   --renamed       every name "Ätzend" and its number, as an image in another language
//   --moves COUNT   the list moved to free space and made COUNT moves long, as hacks do
//   --unread        the battle-command table's command 0 replaced (0x089A3811), as battle-engine
//                   upgrades do: the game no longer reads the table
// No game data is involved.
#include "RomBuilder.h"
#include "rom/GamePath.h"
#include "text/MoveNames.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    const zarnith::GameInfo* game = &zarnith::SupportedGames[3];
    std::vector<std::uint16_t> table = zarnith::testing::SyntheticTable();
    bool renamed = false;
    bool unread = false;
    int moves = 0;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool valued = i + 1 < argc;
        if (argument == "--game" && valued) {
            game = zarnith::FindGame(argv[++i], 0);
        } else if (argument == "--table" && valued) {
            table.clear();
            std::istringstream ids(argv[++i]);
            for (std::string id; std::getline(ids, id, ',');)
                table.push_back(static_cast<std::uint16_t>(std::stoi(id)));
        } else if (argument == "--renamed") {
            renamed = true;
        } else if (argument == "--unread") {
            unread = true;
        } else if (argument == "--moves" && valued) {
            moves = std::atoi(argv[++i]);
        } else if (output == nullptr && argument.rfind("--", 0) != 0) {
            output = argv[i];
        } else {
            output = nullptr;
            break;
        }
    }
    if (output == nullptr || game == nullptr) {
        std::fprintf(stderr,
            "usage: %s [--game CODE] [--table IDS] [--renamed] [--moves COUNT] [--unread] OUTPUT.gba\n", argv[0]);
        return 2;
    }

    constexpr std::size_t Size = 4 * 1024 * 1024;
    auto image = zarnith::testing::RomImage::For(*game, table);
    const std::size_t freeFrom = game->SoundMovesOffset + 0x100;
    image.Resize(Size).Fill(freeFrom, Size - freeFrom, 0xFF);
    if (renamed) {
        for (int id = 1; id <= zarnith::MoveCount; ++id)
            image.PutName(game->NamesAddress - zarnith::RomBase, id, "Ätzend" + std::to_string(id));
    }
    if (moves > 0)
        image.PutMoveList(*game, Size - 0x10000, moves);
    if (unread)
        image.PutWord(zarnith::FindBattlePath(*game)->CommandTable - zarnith::RomBase, 0x089A3811);

    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.Data.data()), static_cast<std::streamsize>(image.Data.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], output);
        return 1;
    }
    return 0;
}

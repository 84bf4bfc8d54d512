// Writes a synthetic Fire Red 1.0 image, for scripts/screenshot-windows.sh and for trying the
// program by hand: the header, the builder's move names where the game keeps them, a ten-entry
// table at the game's own offset with the game's two words pointing at both, and free space
// (0xFF) from a little past the table to the end. No game data is involved.
#include "RomBuilder.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.gba\n", argv[0]);
        return 2;
    }
    constexpr std::size_t Size = 4 * 1024 * 1024;
    const zarnith::GameInfo& fireRed = zarnith::SupportedGames[3];
    auto image = zarnith::testing::RomImage::For(fireRed);
    const std::size_t freeFrom = fireRed.SoundMovesOffset + 0x100;
    image.Resize(Size).Fill(freeFrom, Size - freeFrom, 0xFF);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.Data.data()), static_cast<std::streamsize>(image.Data.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}

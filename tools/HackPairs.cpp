// Writes the synthetic hack pairs (tests/support/HackPairs.h) into a folder, as NAME.unmodified.gba
// and NAME.gba, and prints each name: for scripts/bench.sh and the Windows check, which make
// patches of them. No game data is involved.
//   zarnith_hack_pairs FOLDER [SIZE_MIB]   images of SIZE_MIB (16 unless told; at least 4)
#include "HackPairs.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FOLDER [SIZE_MIB]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::size_t mib = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 16;
    try {
        for (std::string_view name : zarnith::testing::HackPairNames()) {
            const zarnith::testing::HackPair pair = zarnith::testing::MakeHackPair(name, mib << 20);
            for (const auto& [suffix, bytes] :
                { std::pair { ".unmodified.gba", &pair.Source }, { ".gba", &pair.Target } }) {
                std::ofstream out(folder + "/" + pair.Name + suffix, std::ios::binary);
                out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
                if (!out.flush()) {
                    std::fprintf(stderr, "%s: could not write %s%s\n", argv[0], pair.Name.c_str(), suffix);
                    return 1;
                }
            }
            std::printf("%s\n", pair.Name.c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}

// Sizes of the patches of the synthetic hack pairs, for scripts/bench.sh:
//   zarnith_patch_pairs SOURCE TARGET PATCH   prints the size of PATCH (made by the program), of
//                                             the patch the old linear writer makes, and how
//                                             many bytes differ between the two images
//   zarnith_patch_pairs --read SOURCE TARGET  reads both files whole with their CRC32s, the
//                                             least any patch of them costs
#include "LinearBps.h"
#include "rom/ImageDigest.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadAll(const char* path)
{
    std::vector<std::uint8_t> bytes;
    if (std::FILE* file = std::fopen(path, "rb")) {
        std::fseek(file, 0, SEEK_END);
        bytes.resize(static_cast<std::size_t>(std::max(0L, std::ftell(file))));
        std::fseek(file, 0, SEEK_SET);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--read") == 0) {
        const std::vector<std::uint8_t> source = ReadAll(argv[2]);
        const std::vector<std::uint8_t> target = ReadAll(argv[3]);
        std::printf("%08x %08x\n", zarnith::Crc32(source), zarnith::Crc32(target));
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET PATCH | --read SOURCE TARGET\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> source = ReadAll(argv[1]);
    const std::vector<std::uint8_t> target = ReadAll(argv[2]);
    std::uint64_t differing = target.size() > source.size() ? target.size() - source.size() : 0;
    for (std::size_t i = 0; i < std::min(source.size(), target.size()); ++i)
        differing += source[i] != target[i];
    std::printf("%zu %llu %llu\n", ReadAll(argv[3]).size(),
        static_cast<unsigned long long>(zarnith::bench::LinearPatchSize(source, target)),
        static_cast<unsigned long long>(differing));
    return 0;
}

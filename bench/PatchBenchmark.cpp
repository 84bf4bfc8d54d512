// A BPS patch between two 32 MiB synthetic images (a hack of the same size with scattered edits
// and new data in its free space), made and written by the document, beside reading both files
// once (and once with their CRC32s); as the window makes it, and with the unmodified image's
// SHA-1 (Qt's) checked on the way. Prints each as a multiple of the plain reads.
#include "QtSha1.h"
#include "RatioReporter.h"
#include "RomBuilder.h"
#include "soundmoves/Document.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace zarnith;

namespace {

const GameInfo& Game = SupportedGames[3];
constexpr std::size_t Size = 32u << 20;

struct Images
{
    Images();
    testing::TempDir Dir;
    std::string Source;
    std::string Target;
    std::string Patch;
};

// The unmodified image: the game's data, bytes of all values, then free space; the hack: the same
// with a byte changed every 64 KiB, its table edited, and 2 MiB of new data in the free space.
Images::Images()
{
    testing::RomImage image = testing::RomImage::For(Game).Resize(Size);
    std::uint32_t seed = 20261207;
    for (std::size_t i = 0x300000; i < (24u << 20); ++i)
        image.Data[i] = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    image.Fill(24u << 20, 8u << 20, 0xFF);
    Source = image.WriteTo(Dir, "unmodified.gba");
    for (std::size_t i = 0x300000; i < (24u << 20); i += 0x10000)
        image.Data[i] ^= 0x5A;
    for (std::size_t i = 25u << 20; i < (27u << 20); ++i)
        image.Data[i] = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    image.PutTable(Game.SoundMovesOffset, { 45, 46, 47, 48, 103, 173, 253, 319, 320, 5 });
    Target = image.WriteTo(Dir, "hack.gba");
    Patch = Dir.File("hack.bps");
}

const Images& Files()
{
    static const Images images;
    return images;
}

void Patch(benchmark::State& state, Hasher* sha1)
{
    const Images& files = Files();
    Document document;
    document.Open(files.Target, {});
    for (auto _ : state) {
        const PatchResult result = document.CreatePatch(files.Source, files.Patch, sha1);
        if (result.Status != PatchStatus::Written)
            state.SkipWithError("no patch written");
        state.counters["patch bytes"] = static_cast<double>(result.Size);
    }
}

// As the window makes it, having checked the image first.
void CreatePatch(benchmark::State& state)
{
    Patch(state, nullptr);
}

// As a caller that has not: the release's SHA-1 is checked on the way.
void CreatePatchWithSha1(benchmark::State& state)
{
    QtSha1 sha1;
    Patch(state, &sha1);
}

// Both files once, in the patch's blocks; with crc32, each block's CRC32 too, the least any
// patch costs, since the format carries both files' CRC32s.
void ReadBoth(benchmark::State& state, bool crc32)
{
    std::vector<std::uint8_t> block(ImageBlockSize);
    for (auto _ : state) {
        std::size_t got = 0;
        for (const std::string* path : { &Files().Source, &Files().Target }) {
            std::FILE* file = std::fopen(path->c_str(), "rb");
            std::setvbuf(file, nullptr, _IONBF, 0);
            std::uint32_t crc = 0;
            while (std::size_t n = std::fread(block.data(), 1, block.size(), file)) {
                got += n;
                if (crc32)
                    crc = AddCrc32(crc, { block.data(), n });
            }
            std::fclose(file);
            benchmark::DoNotOptimize(crc);
        }
        benchmark::DoNotOptimize(got);
    }
}

void ReadBoth(benchmark::State& state)
{
    ReadBoth(state, false);
}

void ReadBothWithCrc32(benchmark::State& state)
{
    ReadBoth(state, true);
}

BENCHMARK(CreatePatch)->Unit(benchmark::kMillisecond);
BENCHMARK(CreatePatchWithSha1)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBoth)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBothWithCrc32)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* name : { "CreatePatch", "CreatePatchWithSha1", "ReadBothWithCrc32" })
        reporter.PrintRatio(name, "ReadBoth");
    benchmark::Shutdown();
    return 0;
}

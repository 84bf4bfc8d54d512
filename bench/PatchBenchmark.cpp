// A BPS patch between two 32 MiB synthetic images (the hack pair with 64 KiB inserted mid-image,
// every pointer past it relocated, and scattered edits), made and written by the document, beside
// reading both files once (and once with their CRC32s); as the window makes it, and with the
// unmodified image's SHA-1 (Qt's) checked on the way. Prints each as a multiple of the plain reads.
// scripts/bench.sh reports every hack pair's patch besides.
#include "HackPairs.h"
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

struct Images
{
    Images();
    testing::TempDir Dir;
    std::string Source;
    std::string Target;
    std::string Patch;
};

Images::Images()
{
    const testing::HackPair pair = testing::MakeHackPair("inserted-32MiB", 16u << 20);
    testing::RomImage image(0);
    image.Data = pair.Source;
    Source = image.WriteTo(Dir, "unmodified.gba");
    image.Data = pair.Target;
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

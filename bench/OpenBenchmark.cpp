// The core open path and save on a 16 MiB synthetic image, beside raw reads of the same file
// (header, the two words, names, table); and the free-space search for a moved table on a 32 MiB
// image, beside a plain sequential read of it. Prints each as a multiple of its raw reads.
#include "RatioReporter.h"
#include "RomBuilder.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace zarnith;

namespace {

const GameInfo& Game = SupportedGames[3];
constexpr std::size_t NamesSpan = 354 * 13;

const std::string& ImagePath()
{
    static testing::TempDir dir;
    static const std::string path = testing::RomImage::For(Game).Resize(16 << 20).WriteTo(dir, "bench.gba");
    return path;
}

// Opens, identifies, reads the names with readNames, loads the table and closes, once per
// iteration.
template <typename ReadNames> void OpenLoop(benchmark::State& state, ReadNames readNames)
{
    const std::string& path = ImagePath();
    MoveNameList names;
    SoundMoveTable table;
    TablePlace place;
    for (auto _ : state) {
        RomAccess rom;
        rom.OpenRom(path);
        rom.IdentifyGame();
        readNames(rom, names);
        LoadSoundMoves(rom, names, table, place, [](int, std::uint16_t) { return false; });
        rom.CloseRom();
        benchmark::DoNotOptimize(table.Entries.data());
    }
}

void OpenPath(benchmark::State& state)
{
    OpenLoop(state, [](RomAccess& rom, MoveNameList& names) { ReadMoveNames(rom, names); });
}

// The open path reading the names' bytes without decoding them: what the stream itself costs
// beside raw reads.
void OpenPathWithoutNames(benchmark::State& state)
{
    OpenLoop(state, [](RomAccess& rom, MoveNameList&) {
        static std::uint8_t bytes[NamesSpan];
        benchmark::DoNotOptimize(rom.File().ReadBlock(rom.NamesListOffset() + NameSlotWidth, bytes, NamesSpan));
    });
}

void RawReads(benchmark::State& state)
{
    const std::string& path = ImagePath();
    std::uint8_t header[0xC0];
    std::uint8_t words[8];
    std::uint8_t namesBytes[NamesSpan];
    std::uint8_t tableBytes[22];
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::size_t got = std::fread(header, 1, sizeof header, file);
        std::fseek(file, static_cast<long>(Game.TableWordAt), SEEK_SET);
        got += std::fread(words, 1, 4, file);
        std::fseek(file, static_cast<long>(Game.NamesWordAt), SEEK_SET);
        got += std::fread(words + 4, 1, 4, file);
        std::fseek(file, static_cast<long>(Game.NamesAddress - RomBase + NameSlotWidth), SEEK_SET);
        got += std::fread(namesBytes, 1, sizeof namesBytes, file);
        std::fseek(file, static_cast<long>(Game.SoundMovesOffset), SEEK_SET);
        got += std::fread(tableBytes, 1, sizeof tableBytes, file);
        std::fclose(file);
        benchmark::DoNotOptimize(got);
    }
}

void Save(benchmark::State& state)
{
    RomAccess rom;
    rom.OpenRom(ImagePath());
    rom.IdentifyGame();
    MoveNameList names;
    SoundMoveTable table;
    TablePlace place;
    ReadMoveNames(rom, names);
    LoadSoundMoves(rom, names, table, place, [](int, std::uint16_t) { return false; });
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveSoundMoves(rom, place, table, MoveCount, {}));
}

// A 32 MiB image: the game's data, then bytes of all values (short runs of 0xFF among them, the
// search's worst case), then free space at the end.
const std::string& LargeImagePath()
{
    static testing::TempDir dir;
    static const std::string path = [] {
        testing::RomImage image = testing::RomImage::For(Game).Resize(32 << 20);
        std::uint32_t seed = 20261207;
        for (std::size_t i = 0x300000; i < (24u << 20); ++i) {
            seed = seed * 1664525u + 1013904223u;
            image.Data[i] = static_cast<std::uint8_t>(seed >> 24);
        }
        image.Fill(24u << 20, 8u << 20, 0xFF);
        return image.WriteTo(dir, "large.gba");
    }();
    return path;
}

void FreeSpaceSearch(benchmark::State& state)
{
    RomFile file;
    file.Open(LargeImagePath());
    for (auto _ : state)
        benchmark::DoNotOptimize(FindFreeSpace(
            file, 2 * (MoveCount + 1), Game.SoundMovesOffset, Game.SoundMovesOffset + 2 * (SoundMoveCount + 1)));
}

void SequentialRead(benchmark::State& state)
{
    std::vector<std::uint8_t> block(1 << 16);
    for (auto _ : state) {
        std::FILE* file = std::fopen(LargeImagePath().c_str(), "rb");
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::size_t got = 0;
        while (std::size_t n = std::fread(block.data(), 1, block.size(), file))
            got += n;
        std::fclose(file);
        benchmark::DoNotOptimize(got);
    }
}

BENCHMARK(OpenPath);
BENCHMARK(OpenPathWithoutNames);
BENCHMARK(RawReads);
BENCHMARK(Save);
BENCHMARK(FreeSpaceSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(SequentialRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("OpenPath", "RawReads");
    reporter.PrintRatio("OpenPathWithoutNames", "RawReads");
    reporter.PrintRatio("FreeSpaceSearch", "SequentialRead");
    benchmark::Shutdown();
    return 0;
}

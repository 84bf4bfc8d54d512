// The core open path and save on a 16 MiB synthetic image, beside three raw reads of the same
// file (header, names, table). Prints the open path's time as a multiple of the raw reads.
#include "RomBuilder.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

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
    for (auto _ : state) {
        RomAccess rom;
        rom.OpenRom(path);
        rom.IdentifyGame();
        readNames(rom, names);
        LoadSoundMoves(rom, names, table, [](int, std::uint16_t) { return false; });
        rom.CloseRom();
        benchmark::DoNotOptimize(table.Count);
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
        RomFile& file = rom.File();
        file.SeekGet(rom.MoveNamesOffset());
        for (std::size_t left = NamesSpan; left > 0;) {
            std::span<const std::uint8_t> bytes = file.Buffered();
            if (bytes.empty()) {
                benchmark::DoNotOptimize(file.ReadByte());
                --left;
                continue;
            }
            std::size_t used = std::min(left, bytes.size());
            benchmark::DoNotOptimize(bytes.data());
            file.Skip(used);
            left -= used;
        }
    });
}

void RawReads(benchmark::State& state)
{
    const std::string& path = ImagePath();
    std::uint8_t header[0xC0];
    std::uint8_t namesBytes[NamesSpan];
    std::uint8_t tableBytes[22];
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::size_t got = std::fread(header, 1, sizeof header, file);
        std::fseek(file, static_cast<long>(Game.MoveNamesOffset), SEEK_SET);
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
    ReadMoveNames(rom, names);
    LoadSoundMoves(rom, names, table, [](int, std::uint16_t) { return false; });
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveSoundMoves(rom, table));
}

BENCHMARK(OpenPath);
BENCHMARK(OpenPathWithoutNames);
BENCHMARK(RawReads);
BENCHMARK(Save);

// Keeps each benchmark's time per iteration so the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            Times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* name) {
        if (reporter.Times.count(name) != 0 && reporter.Times.count("RawReads") != 0)
            std::printf("%s / raw reads: %.2f\n", name, reporter.Times[name] / reporter.Times["RawReads"]);
    };
    ratio("OpenPath");
    ratio("OpenPathWithoutNames");
    benchmark::Shutdown();
    return 0;
}

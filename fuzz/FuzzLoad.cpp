// Drives the whole load path on arbitrary images: identify, read the names, load the table with
// repair answers from the input, edit, save and close, and checks that the file changes only
// where a repair was accepted or the table was saved.
#include "FuzzInput.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"
#include "soundmoves/TableEditing.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace zarnith;
using zarnith::fuzz::Bytes;
using zarnith::fuzz::FuzzCase;

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

const std::string& ImagePath()
{
    static const std::string path = [] {
        const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/zarnith-fuzz-" + std::to_string(::getpid()) + ".gba";
    }();
    return path;
}

// The model's own code is kept out of the coverage map: only the code under test should steer
// the fuzzer, and instrumenting these byte loops would slow it down many times.
#define ZARNITH_UNINSTRUMENTED __attribute__((no_sanitize("coverage")))

// The image as the model sees it: the header, then zeros, then one body of bytes from the names
// offset on (names and table), over a sparse file.
struct Image
{
    Bytes Header;
    std::size_t Base = 0;
    Bytes Body;
    std::size_t Size = 0;

    ZARNITH_UNINSTRUMENTED int At(std::size_t offset) const
    {
        if (offset >= Size)
            return EndOfFile;
        if (offset < Header.size())
            return Header[offset];
        if (offset >= Base && offset - Base < Body.size())
            return Body[offset - Base];
        return 0;
    }

    void Set(std::size_t offset, std::uint8_t value)
    {
        Check(offset >= Base && offset - Base < Body.size(), "a change inside the body");
        Body[offset - Base] = value;
    }

    void Write(const std::string& path) const
    {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        Check(fd >= 0, "create the image");
        Check(::ftruncate(fd, static_cast<off_t>(Size)) == 0, "size the image");
        Check(::pwrite(fd, Header.data(), Header.size(), 0) == static_cast<ssize_t>(Header.size()), "write header");
        Check(::pwrite(fd, Body.data(), Body.size(), static_cast<off_t>(Base)) == static_cast<ssize_t>(Body.size()),
            "write body");
        ::close(fd);
    }

    // Compares the file with the model: its size, its header and its body.
    ZARNITH_UNINSTRUMENTED void Verify(const std::string& path) const
    {
        struct stat info
        {
        };
        Check(::stat(path.c_str(), &info) == 0 && static_cast<std::size_t>(info.st_size) == Size, "file size");
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        Check(fd >= 0, "reopen the image");
        for (const auto& [offset, expected] : { std::pair { std::size_t { 0 }, &Header }, std::pair { Base, &Body } }) {
            Bytes actual(expected->size());
            Check(::pread(fd, actual.data(), actual.size(), static_cast<off_t>(offset))
                    == static_cast<ssize_t>(actual.size()),
                "read the image back");
            Check(actual == *expected, "a byte changed that nobody asked to change");
        }
        ::close(fd);
    }
};

ZARNITH_UNINSTRUMENTED Image Build(const FuzzCase& c, const GameInfo* game)
{
    Image image;
    if (game == nullptr) {
        image.Header = c.Raw;
        image.Size = c.Raw.size();
        image.Base = image.Size;
        return image;
    }
    image.Header.assign(0xC0, 0x00);
    for (int i = 0; i < 4; ++i)
        image.Header[GameCodeOffset + i] = static_cast<std::uint8_t>(game->Code[i]);
    image.Header[SoftwareVersionOffset] = game->Revision;
    image.Base = game->MoveNamesOffset;
    image.Size = std::max<std::size_t>(game->SoundMovesOffset + c.Table.size(), game->MoveNamesOffset + c.Names.size());
    if (c.Cut >= 1 && c.Cut <= 40)
        image.Size = game->SoundMovesOffset + c.Cut - 1u;
    else if (c.Cut > 40)
        image.Size = game->MoveNamesOffset + (c.Cut - 41u) * 64u;
    image.Body.assign(std::max(image.Size, image.Base) - image.Base, 0x00);
    std::copy_n(c.Names.begin(), std::min(c.Names.size(), image.Body.size()), image.Body.begin());
    const std::size_t table = game->SoundMovesOffset - image.Base;
    for (std::size_t i = 0; i < c.Table.size() && table + i < image.Body.size(); ++i)
        image.Body[table + i] = c.Table[i];
    return image;
}

// Whether the names end before the file does (otherwise the stream has failed).
ZARNITH_UNINSTRUMENTED bool NamesEndBeforeEndOfFile(const Image& image, const GameInfo& game)
{
    int terminators = 0;
    for (std::size_t at = game.MoveNamesOffset; terminators < MoveCount; ++at) {
        int byte = image.At(at);
        if (byte == EndOfFile)
            return false;
        if (byte == 0xFF)
            ++terminators;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzCase c = fuzz::Decode(data, size);
    const GameInfo* game = c.Game == FuzzCase::RawGame ? nullptr : &SupportedGames[c.Game];
    Image image = Build(c, game);
    const std::string& path = ImagePath();
    image.Write(path);

    RomAccess rom;
    Check(rom.OpenRom(path) == OpenError::None, "open a regular file");
    const GameInfo* found = rom.IdentifyGame();
    MoveNameList names;
    SoundMoveTable table;
    if (found == nullptr) {
        Check(game == nullptr, "a built header is identified");
        Check(!ReadMoveNames(rom, names), "names of an unidentified image");
        Check(!LoadSoundMoves(rom, names, table, [](int, std::uint16_t) { return true; }).Loaded, "unidentified load");
        Check(!SaveSoundMoves(rom, table), "unidentified save");
        Check(rom.File().BytesRead() <= 64, "read past the header of an unidentified image");
        rom.CloseRom();
        image.Verify(path);
        return 0;
    }
    Check(game == nullptr || found == game, "the right game");
    game = found;
    Check(ReadMoveNames(rom, names), "read names");
    bool streamOk = NamesEndBeforeEndOfFile(image, *game);
    Check(rom.File().Failed() == !streamOk, "names stop at their last terminator");

    // The table as the model reads it, with the repairs the answers ask for.
    int asked = 0;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> expected;
    for (int i = 0; i < SoundMoveCount; ++i) {
        std::size_t at = game->SoundMovesOffset + 2 * i;
        int low = streamOk ? image.At(at) : EndOfFile;
        streamOk = streamOk && low != EndOfFile;
        int high = streamOk ? image.At(at + 1) : EndOfFile;
        streamOk = streamOk && high != EndOfFile;
        auto pair = std::make_pair(
            static_cast<std::uint8_t>(low < 0 ? 0xFF : low), static_cast<std::uint8_t>(high < 0 ? 0xFF : high));
        if (pair.first == 0xFF && pair.second == 0xFF)
            break;
        if (!IsValidMove(static_cast<std::uint16_t>(pair.second * 256 + pair.first))) {
            bool yes = asked < 16 && ((c.Answers >> asked) & 1) != 0;
            ++asked;
            if (yes && streamOk) {
                pair = { FillerLow, FillerHigh };
                image.Set(at, FillerLow);
                image.Set(at + 1, FillerHigh);
            }
        }
        expected.push_back(pair);
    }

    int questions = 0;
    LoadResult loaded = LoadSoundMoves(rom, names, table, [&](int, std::uint16_t) {
        bool yes = questions < 16 && ((c.Answers >> questions) & 1) != 0;
        ++questions;
        return yes;
    });
    Check(loaded.Loaded && questions == asked, "one question per invalid entry");
    Check(table.Count == static_cast<int>(expected.size()), "entries read");
    for (int i = 0; i < table.Count; ++i) {
        Check(table.Entries[i].Low == expected[i].first && table.Entries[i].High == expected[i].second, "entry bytes");
        Check(IsValidMove(table.Entries[i].Id()) || table.Entries[i].Name.rfind("??? (", 0) == 0,
            "an invalid entry is named as invalid");
    }
    Check(loaded.EndedEarly == !streamOk, "end of file is reported");
    image.Verify(path);

    for (const FuzzCase::Edit& edit : c.Edits) {
        int s = table.Count == 0 ? 0 : edit.Entry % (table.Count + 1);
        int m = (edit.Move + 256 * (edit.Operation >> 2)) % 360; // a few beyond the move list too
        switch (edit.Operation % 3) {
        case 0:
            ChangeMove(table, names, s, m);
            break;
        case 1:
            InsertMove(table, names, s, m);
            break;
        default:
            DeleteMove(table, names, s);
            break;
        }
        Check(table.Count == static_cast<int>(expected.size()), "edits keep the number of entries");
    }
    image.Verify(path);

    bool saved = SaveSoundMoves(rom, table);
    Check(saved == streamOk, "save succeeds exactly when the file can be written");
    if (saved) {
        for (int i = 0; i < table.Count; ++i) {
            image.Set(game->SoundMovesOffset + 2 * i, table.Entries[i].Low);
            image.Set(game->SoundMovesOffset + 2 * i + 1, table.Entries[i].High);
        }
    }
    rom.CloseRom();
    image.Verify(path);
    return 0;
}

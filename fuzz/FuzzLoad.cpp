// Drives the whole road on arbitrary images: identify, follow the game's path from its battle
// loop to the table word, read the names, locate and load the
// table with repair answers from the input, edit (all five edits), save twice (in place, grown,
// or moved to free space) and reopen. Another program changes the file between the saves and
// while the first save's question is open, and one write of the first save may fail or stop
// short. A model of the file, kept apart from the code under test, replays each save on its own
// image and says what may change: accepted repairs, the saved table and its end pair, the game's
// table word after a move, and what a failing write left; nothing else.
#include "FuzzInput.h"
#include "RomBuilder.h"
#include "rom/GamePath.h"
#include "rom/ImageDigest.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"
#include "soundmoves/TableEditing.h"
#include "text/CharacterTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <optional>
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

// The image as the model sees it: a few chunks of known bytes over a sparse file of zeros.
struct Image
{
    struct Chunk
    {
        std::size_t Offset;
        Bytes Data;
    };
    std::vector<Chunk> Chunks;
    std::size_t Size = 0;

    ZARNITH_UNINSTRUMENTED int At(std::size_t offset) const
    {
        if (offset >= Size)
            return EndOfFile;
        for (const Chunk& chunk : Chunks) {
            if (offset >= chunk.Offset && offset - chunk.Offset < chunk.Data.size())
                return chunk.Data[offset - chunk.Offset];
        }
        return 0;
    }

    ZARNITH_UNINSTRUMENTED std::optional<std::uint32_t> Word(std::size_t offset) const
    {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            int byte = At(offset + i);
            if (byte == EndOfFile)
                return std::nullopt;
            word |= static_cast<std::uint32_t>(byte) << (8 * i);
        }
        return word;
    }

    // Whether offset is inside the file and among the bytes the model keeps.
    ZARNITH_UNINSTRUMENTED bool Holds(std::size_t offset) const
    {
        for (const Chunk& chunk : Chunks) {
            if (offset < Size && offset >= chunk.Offset && offset - chunk.Offset < chunk.Data.size())
                return true;
        }
        return false;
    }

    void Set(std::size_t offset, std::uint8_t value)
    {
        Check(offset < Size, "a write inside the file");
        for (Chunk& chunk : Chunks) {
            if (offset >= chunk.Offset && offset - chunk.Offset < chunk.Data.size()) {
                chunk.Data[offset - chunk.Offset] = value;
                return;
            }
        }
        Check(false, "a write where the model holds nothing that may change");
    }

    void SetBytes(std::size_t offset, const Bytes& bytes)
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            Set(offset + i, bytes[i]);
    }

    void Write(const std::string& path) const
    {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        Check(fd >= 0, "create the image");
        Check(::ftruncate(fd, static_cast<off_t>(Size)) == 0, "size the image");
        for (const Chunk& chunk : Chunks) {
            const std::size_t n = chunk.Offset >= Size ? 0 : std::min(chunk.Data.size(), Size - chunk.Offset);
            Check(::pwrite(fd, chunk.Data.data(), n, static_cast<off_t>(chunk.Offset)) == static_cast<ssize_t>(n),
                "write a chunk");
        }
        ::close(fd);
    }

    // Compares the file with the model: its size and every chunk.
    ZARNITH_UNINSTRUMENTED void Verify(const std::string& path) const
    {
        struct stat info
        {
        };
        Check(::stat(path.c_str(), &info) == 0 && static_cast<std::size_t>(info.st_size) == Size, "file size");
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        Check(fd >= 0, "reopen the image");
        for (const Chunk& chunk : Chunks) {
            const std::size_t n = chunk.Offset >= Size ? 0 : std::min(chunk.Data.size(), Size - chunk.Offset);
            Bytes actual(n);
            Check(::pread(fd, actual.data(), n, static_cast<off_t>(chunk.Offset)) == static_cast<ssize_t>(n),
                "read the image back");
            Check(std::equal(actual.begin(), actual.end(), chunk.Data.begin()),
                "a byte changed that nobody asked to change");
        }
        ::close(fd);
    }
};

Bytes WordBytes(std::uint32_t value)
{
    return { static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24) };
}

std::uint32_t MovedArea(const GameInfo& game)
{
    return (game.NamesAddress - RomBase + NameSlotWidth * (MoveCount + 1) + 0x40) & ~3u;
}

std::uint32_t NamesWord(const FuzzCase& c, const GameInfo& game)
{
    if ((c.NamesMoved & 1) != 0)
        return RomBase + MovedArea(game);
    return game.NamesAddress + ((c.NamesMoved & 2) != 0 ? NameSlotWidth : 0);
}

// The move list as the model reads it: where the names word points inside the file (else the
// game's own list), move n's name in the n-th 13-byte slot after move 0's, up to its first 0xFF,
// the slot's end or the file's end, zeros before it skipped. 354 names at the game's own place
// or where the word points nowhere; elsewhere the run of slots holding 1 to 12 characters and
// then 0xFF (whatever follows), between 354 and 1023.
struct ModelList
{
    std::vector<std::string> Names;
    bool Own = true;
};

ZARNITH_UNINSTRUMENTED ModelList ModelNames(const Image& image, const GameInfo& game)
{
    const std::optional<std::uint32_t> word = image.Word(game.NamesWordAt);
    const bool inFile = word && *word >= RomBase && *word - RomBase + NameSlotWidth + 1 <= image.Size;
    const std::size_t list = inFile ? *word - RomBase : game.NamesAddress - RomBase;
    ModelList model;
    model.Own = !inFile || *word == game.NamesAddress || list + NameSlotWidth == game.MoveNamesOffset;
    // Appends the name in slot id to name; whether the slot holds one ended by 0xFF.
    auto slot = [&](int id, std::string* name) {
        bool known = true;
        bool started = false;
        for (std::size_t i = 0; i < NameSlotWidth; ++i) {
            const int byte = image.At(list + NameSlotWidth * static_cast<std::size_t>(id) + i);
            if (byte == EndOfFile)
                return false;
            if (byte == 0xFF)
                return i > 0 && known;
            known = known && (byte == 0xAC || CharacterTable[byte] != "?");
            started = started || byte != 0x00;
            if (started)
                name->append(CharacterTable[byte]);
        }
        return false;
    };
    int count = MoveCount;
    if (!model.Own) {
        std::string ignored;
        for (count = 0; count < MaxMoveCount && slot(count + 1, &ignored); ++count)
            ignored.clear();
        count = std::max(count, MoveCount);
    }
    model.Names.resize(static_cast<std::size_t>(count));
    for (int id = 1; id <= count; ++id)
        slot(id, &model.Names[static_cast<std::size_t>(id - 1)]);
    return model;
}

Bytes HalfwordBytes(std::uint16_t value)
{
    return { static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8) };
}

// The four stretches of the game's code on the path the model checks, as file offsets and sizes:
// the attack checks' start, the call of the ability effects, the ability effects' start and the
// Soundproof case around the ldr of the table word.
std::array<std::pair<std::size_t, std::size_t>, 4> ModelStretches(const BattlePath& path)
{
    return { { { path.FirstCommand - 1 - RomBase, 24 }, { path.CallAt - 26u, 30 },
        { path.AbilityEffects - RomBase, 44 }, { path.TableLoadAt - 12u, 64 } } };
}

// The game's path from its battle loop to the table word, with one link changed as the case
// says. The command table's command 0 lies just after the game's own sound-move table, among the
// case's table bytes. The four stretches of code are each one chunk of zeros holding the links,
// given the release's CRC32 by four bytes before the change is made; with flag bit 7, one byte
// of them (picked by the value's high byte) is changed too.
ZARNITH_UNINSTRUMENTED void AddPath(Image& image, const FuzzCase& c, const GameInfo& game)
{
    const BattlePath& path = *FindBattlePath(game);
    const std::uint16_t value = c.WordValue;
    const auto change = static_cast<FuzzCase::PathChange>(c.Flags >> 4 & 7);
    for (std::size_t i = 0; i < path.CommandWordsAt.size(); ++i) {
        std::uint32_t table = path.CommandTable;
        if (change == FuzzCase::WordsToMovedArea)
            table = RomBase + MovedArea(game);
        else if (change == FuzzCase::OneWordOff && i == value % 5)
            table += 4;
        else if (change == FuzzCase::WordsAnywhere)
            table = RomBase + value * 0x400u;
        image.Chunks.push_back({ path.CommandWordsAt[i], WordBytes(table) });
    }
    const auto stretches = ModelStretches(path);
    std::array<Bytes, 4> code;
    for (std::size_t k = 0; k < 4; ++k)
        code[k] = Bytes(stretches[k].second, 0x00);
    // A function's start: push {r4-r7, lr}, or the case's value then bx r1 and a literal.
    auto start = [&](Bytes& bytes, bool changed) {
        const Bytes intact { 0xF0, 0xB5, 0, 0, 0, 0, 0, 0 };
        const Bytes hooked { static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), 0x08, 0x47, 0x01,
            0x00, 0x80, 0x08 };
        std::copy_n((changed ? hooked : intact).begin(), 8, bytes.begin());
    };
    // BL: the distance in halfwords, high eleven bits first.
    const std::uint32_t distance = (path.AbilityEffects - (RomBase + path.CallAt + 4)) >> 1;
    const auto load
        = static_cast<std::uint16_t>(0x4800 | ((game.TableWordAt - ((path.TableLoadAt + 4) & ~3u)) / 4 & 0xFF));
    auto links = [&](bool changed) {
        start(code[0], changed && change == FuzzCase::Command0Start);
        start(code[2], changed && change == FuzzCase::AbilityEffectsStart);
        Bytes call = HalfwordBytes(static_cast<std::uint16_t>(0xF000 | (distance >> 11 & 0x7FF)));
        const bool retargeted = changed && change == FuzzCase::CallTarget;
        for (std::uint8_t b :
            HalfwordBytes(static_cast<std::uint16_t>(0xF800 | ((retargeted ? value : distance) & 0x7FF))))
            call.push_back(b);
        std::copy(call.begin(), call.end(), code[1].begin() + 26);
        const Bytes ldr = HalfwordBytes(changed && change == FuzzCase::LoadReplaced ? value : load);
        std::copy(ldr.begin(), ldr.end(), code[3].begin() + 12);
    };
    links(false);
    for (std::size_t k = 0; k < 4; ++k)
        testing::ForceCrc32(code[k], testing::StretchFiller, path.CodeCrc32[k]);
    links(true);
    if ((c.Flags & 0x80) != 0) {
        std::size_t at = value >> 8;
        std::size_t k = 0;
        for (; at >= code[k].size(); k = (k + 1) % 4)
            at -= code[k].size();
        code[k][at] ^= static_cast<std::uint8_t>(value | 1);
    }
    for (std::size_t k = 0; k < 4; ++k)
        image.Chunks.push_back({ stretches[k].first, code[k] });
}

// The path as the model follows it, by the game's own rules: the five words (in any of the
// cartridge's three windows), the command table's command 0, no jump away in the first four
// halfwords of command 0 or the ability effects, the BL, the ldr, and the four stretches of code
// with the release's CRC32s; everything it reads inside the file (and the cartridge).
ZARNITH_UNINSTRUMENTED GamePath ModelPath(const Image& image, const GameInfo& game)
{
    const BattlePath& path = *FindBattlePath(game);
    const std::size_t size = std::min<std::size_t>(image.Size, MaxRomSize);
    auto half = [&](std::size_t offset) { return image.At(offset) | image.At(offset + 1) << 8; };
    const std::size_t command0 = path.FirstCommand - 1 - RomBase;
    const std::size_t effects = path.AbilityEffects - RomBase;
    const auto stretches = ModelStretches(path);
    for (std::size_t end :
        { command0 + 8, effects + 8, std::size_t { path.CallAt } + 4, std::size_t { path.TableLoadAt } + 2 }) {
        if (end > size)
            return { PathBreak::EndOfFile };
    }
    for (const auto& [offset, length] : stretches) {
        if (offset + length > size)
            return { PathBreak::EndOfFile };
    }
    for (std::uint32_t at : path.CommandWordsAt) {
        if (at + 4 > size)
            return { PathBreak::EndOfFile };
    }
    const std::uint32_t table = *image.Word(path.CommandWordsAt[0]);
    for (std::uint32_t at : path.CommandWordsAt) {
        if (image.Word(at) != table)
            return { PathBreak::WordsDiffer, std::nullopt, path.CommandTable };
    }
    // The cartridge's three windows of 32 MiB show the same bytes.
    if (table < RomBase || table >= RomBase + 3 * MaxRomSize)
        return { PathBreak::CommandTableOutside, table, path.CommandTable };
    const std::size_t tableAt = (table - RomBase) & (MaxRomSize - 1);
    if (tableAt + 4 > size)
        return { PathBreak::CommandTablePastEnd, table, path.CommandTable };
    if (image.Word(tableAt) != path.FirstCommand)
        return { PathBreak::FirstCommandMoved, image.Word(tableAt), path.FirstCommand };
    auto jump = [&](std::size_t at, std::optional<std::uint32_t>& to) {
        std::optional<std::uint32_t> registers[8];
        for (std::size_t i = at; i < at + 8; i += 2) {
            const int h = half(i);
            const std::size_t literal = ((i + 4) & ~std::size_t { 3 }) + (h & 0xFF) * 4;
            if (h >> 11 == 0x09)
                registers[h >> 8 & 7] = literal + 4 <= image.Size ? image.Word(literal) : std::nullopt;
            else if (h >> 11 == 0x1C)
                return to = static_cast<std::uint32_t>(RomBase + i + 4 + ((h & 0x7FF) ^ 0x400) * 2 - 0x800), true;
            else if (h >> 8 == 0x47 && (h & 0x87) == 0)
                return to = (h & 0x40) == 0 ? registers[h >> 3 & 7] : std::nullopt, true;
            else if ((h >> 8 == 0x46 || h >> 8 == 0x44) && (h & 0x87) == 0x87)
                return to = h >> 8 == 0x46 && (h & 0x40) == 0 ? registers[h >> 3 & 7] : std::nullopt, true;
            else if (h >> 8 == 0xBD)
                return true;
        }
        return false;
    };
    std::optional<std::uint32_t> to;
    if (jump(command0, to))
        return { PathBreak::FirstCommandJumps, to, path.FirstCommand };
    const int high = half(path.CallAt);
    const int low = half(path.CallAt + 2);
    if (high >> 11 != 0x1E || low >> 11 != 0x1F)
        return { PathBreak::CallMoved, std::nullopt, path.AbilityEffects };
    const std::uint32_t called
        = RomBase + path.CallAt + 4 + ((((high & 0x7FF) << 11 | (low & 0x7FF)) ^ 0x200000) * 2) - 0x400000;
    if (called != path.AbilityEffects)
        return { PathBreak::CallMoved, called, path.AbilityEffects };
    if (jump(effects, to))
        return { PathBreak::AbilityEffectsJump, to, path.AbilityEffects };
    const int load = half(path.TableLoadAt);
    const std::uint32_t word = RomBase + game.TableWordAt;
    if (load >> 11 != 0x09)
        return { PathBreak::LoadMoved, std::nullopt, word };
    const std::uint32_t loaded = RomBase + ((path.TableLoadAt + 4) & ~3u) + (load & 0xFF) * 4;
    if (loaded != word)
        return { PathBreak::LoadMoved, loaded, word };
    const PathBreak changed[] = { PathBreak::AttackChecksChanged, PathBreak::CallChanged,
        PathBreak::AbilityEffectsChanged, PathBreak::SoundproofCaseChanged };
    for (std::size_t k = 0; k < 4; ++k) {
        Bytes bytes;
        for (std::size_t i = 0; i < stretches[k].second; ++i)
            bytes.push_back(static_cast<std::uint8_t>(image.At(stretches[k].first + i)));
        if (Crc32(bytes) != path.CodeCrc32[k])
            return { changed[k], std::nullopt, static_cast<std::uint32_t>(stretches[k].first) };
    }
    return {};
}

ZARNITH_UNINSTRUMENTED Image Build(const FuzzCase& c, const GameInfo* game)
{
    Image image;
    if (game == nullptr) {
        image.Chunks.push_back({ 0, c.Raw });
        image.Size = c.Raw.size();
        return image;
    }
    Bytes header(0xC0, 0x00);
    std::copy(game->Code.begin(), game->Code.end(), header.begin() + GameCodeOffset);
    header[SoftwareVersionOffset] = game->Revision;
    image.Chunks.push_back({ 0, header });

    const std::size_t list = game->NamesAddress - RomBase;
    const std::size_t own = game->SoundMovesOffset;
    const std::size_t moved = MovedArea(*game);
    std::uint32_t word = RomBase + static_cast<std::uint32_t>(own);
    switch (c.Word) {
    case FuzzCase::Moved:
        word = RomBase + static_cast<std::uint32_t>(moved) + c.WordValue % 2048;
        break;
    case FuzzCase::Arbitrary:
        word = static_cast<std::uint32_t>(c.WordValue) << 12 | c.WordValue;
        break;
    case FuzzCase::NearOwn:
        word = RomBase + static_cast<std::uint32_t>(own) + c.WordValue % 64 - 32;
        break;
    default:
        break;
    }
    image.Chunks.push_back({ game->TableWordAt, WordBytes(word) });
    AddPath(image, c, *game);
    if (game->NamesWordAt != game->TableWordAt)
        image.Chunks.push_back({ game->NamesWordAt, WordBytes(NamesWord(c, *game)) });

    // One body from the names list to just past the game's own table: names, the moved area,
    // free space and the own table.
    Bytes body(own + 0x40 - list, 0x00);
    std::copy_n(c.Names.begin(), std::min(c.Names.size(), body.size()), body.begin());
    const std::size_t area = std::min(c.MovedArea.size(), own - 32 - moved);
    std::copy_n(c.MovedArea.begin(), area, body.begin() + static_cast<std::ptrdiff_t>(moved - list));
    const std::size_t freeStart = moved + area;
    const std::size_t freeLength = std::min<std::size_t>(c.FreeSixteens * 16u, own - 16 - freeStart);
    std::fill_n(body.begin() + static_cast<std::ptrdiff_t>(freeStart - list), freeLength, 0xFF);
    std::copy_n(c.Table.begin(), c.Table.size(), body.begin() + static_cast<std::ptrdiff_t>(own - list));
    image.Chunks.push_back({ list, body });

    image.Size = own + 0x40;
    if (c.Cut >= 1 && c.Cut <= 40)
        image.Size = own + c.Cut - 1u;
    else if (c.Cut > 40)
        image.Size = list + (c.Cut - 41u) * 64u;
    return image;
}

// The table as the model reads it where the game's word points.
struct ModelTable
{
    TableStatus Status = TableStatus::NotLocated;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> Entries;
    std::size_t Offset = 0;
    bool Own = false;
    int Capacity = 0;
};

// moveCount is the list's length (one entry per move of it bounds a moved table), largest the
// largest number that counts as a move.
ZARNITH_UNINSTRUMENTED ModelTable ModelLoad(const Image& image, const GameInfo& game, int moveCount, int largest)
{
    ModelTable model;
    const std::optional<std::uint32_t> word = image.Word(game.TableWordAt);
    const bool inFile = word && *word >= RomBase && *word - RomBase + 2u <= image.Size && (*word & 1) == 0;
    if (!inFile) {
        // A file that ends before the word, or before the game's own place the word still names.
        model.Status
            = !word || word == RomBase + game.SoundMovesOffset ? TableStatus::EndOfFile : TableStatus::NotLocated;
        return model;
    }
    model.Offset = *word - RomBase;
    model.Own = model.Offset == game.SoundMovesOffset;
    const int bound = model.Own ? SoundMoveCount : moveCount;
    bool ended = false;
    bool valid = true;
    for (int i = 0; i <= bound; ++i) {
        const int low = image.At(model.Offset + 2 * i);
        const int high = image.At(model.Offset + 2 * i + 1);
        if (low == EndOfFile || high == EndOfFile) {
            model.Status = TableStatus::EndOfFile;
            return model;
        }
        if (low == 0xFF && high == 0xFF) {
            ended = true;
            break;
        }
        if (i < bound) {
            model.Entries.emplace_back(low, high);
            valid = valid && IsValidMove(static_cast<std::uint16_t>(high * 256 + low), largest);
        }
    }
    model.Status = !ended      ? TableStatus::NoEndPair
        : !model.Own && !valid ? TableStatus::NotMoves
                               : TableStatus::Verified;
    const std::size_t held = model.Own
        ? std::min<std::size_t>(2 * (SoundMoveCount + 1), image.Size - model.Offset) & ~std::size_t { 1 }
        : 2 * (model.Entries.size() + 1);
    model.Capacity = static_cast<int>(held / 2) - 1;
    return model;
}

// Where a table of size bytes may go: the first offset of the longest run of 0xFF that holds it
// with the margins, aligned, clear of the header and of [avoid, avoidEnd). Byte by byte, over the
// body: everything else in the image is zeros.
ZARNITH_UNINSTRUMENTED std::optional<std::size_t> ModelFreeSpace(
    const Image& image, std::size_t size, std::size_t avoid, std::size_t avoidEnd)
{
    const Image::Chunk& body = image.Chunks.back();
    std::optional<std::size_t> best;
    std::size_t bestLength = 0;
    std::size_t runStart = 0;
    bool inRun = false;
    const std::size_t end = std::min(image.Size, body.Offset + body.Data.size());
    for (std::size_t at = body.Offset; at <= end; ++at) {
        const bool free = at < end && image.At(at) == 0xFF && !(at >= avoid && at < avoidEnd) && at >= 0xC0;
        if (free && !inRun) {
            inRun = true;
            runStart = at;
        } else if (!free && inRun) {
            inRun = false;
            const std::size_t start = (runStart + FreeSpaceMargin + 3) & ~std::size_t { 3 };
            if (at - runStart > bestLength && start + size + FreeSpaceMargin <= at) {
                best = start;
                bestLength = at - runStart;
            }
        }
    }
    return best;
}

Bytes EntryBytes(const SoundMoveTable& table)
{
    Bytes bytes;
    for (const SoundMoveEntry& entry : table.Entries)
        bytes.insert(bytes.end(), { entry.Low, entry.High });
    return bytes;
}

ZARNITH_UNINSTRUMENTED Bytes Read(const Image& image, std::size_t offset, std::size_t size)
{
    Bytes bytes;
    for (int byte; bytes.size() < size && (byte = image.At(offset + bytes.size())) != EndOfFile;)
        bytes.push_back(static_cast<std::uint8_t>(byte));
    return bytes;
}

ZARNITH_UNINSTRUMENTED bool EndPairAt(const Bytes& bytes, int pair)
{
    const auto at = static_cast<std::size_t>(2 * pair);
    return at + 1 < bytes.size() && bytes[at] == 0xFF && bytes[at + 1] == 0xFF;
}

// Whether pairs first to last (those that bytes hold) are moves or end pairs.
ZARNITH_UNINSTRUMENTED bool Leftovers(const Bytes& bytes, int first, int last, int moveCount)
{
    for (int pair = first; pair <= last && static_cast<std::size_t>(2 * pair + 1) < bytes.size(); ++pair) {
        if (!EndPairAt(bytes, pair)
            && !IsValidMove(static_cast<std::uint16_t>(bytes[2 * pair] | bytes[2 * pair + 1] << 8), moveCount))
            return false;
    }
    return true;
}

ZARNITH_UNINSTRUMENTED bool AllFree(const Image& image, std::size_t from, std::size_t to)
{
    for (std::size_t at = from; at < to; ++at) {
        if (image.At(at) != 0xFF)
            return false;
    }
    return true;
}

// What the code under test holds of the table's place: where, the bytes, the game's word.
struct ModelPlace
{
    std::size_t Offset = 0;
    Bytes Held;
    std::optional<std::uint32_t> Pointer;

    void ReadBack(const Image& image, std::size_t size)
    {
        Held = Read(image, Offset, size);
        if (Held.size() < size)
            Held.clear();
    }
};

// The disk: every write goes through and is made durable, but for the one the case makes fail.
struct ModelDisk
{
    int FailWrite = 0, FailSync = 0, Writes = 0, Syncs = 0;
    std::size_t Keeps = 0;
    std::uint64_t Written = 0;

    bool Write(Image& image, std::size_t offset, const Bytes& bytes)
    {
        // Nothing to write flushes nothing, but is still made durable.
        if (!bytes.empty() && ++Writes == FailWrite) {
            const std::size_t part = std::min(Keeps, bytes.size());
            image.SetBytes(offset, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(part)));
            Written += part;
            return false;
        }
        image.SetBytes(offset, bytes);
        Written += bytes.size();
        return ++Syncs != FailSync;
    }
};

// A question Save put: 0 overwrite, 1 move (to, word), 2 grow (start, end).
struct Question
{
    int Kind;
    std::uint32_t A, B;
    friend bool operator==(const Question&, const Question&) = default;
};
using Asker = std::function<bool(Question, bool answer)>;

// Another program's change, planned from the place the code holds and the question open.
struct Change
{
    std::size_t Offset = 0;
    Bytes Data;
    std::optional<std::size_t> CutTo;
};

ZARNITH_UNINSTRUMENTED Change PlanChange(
    FuzzCase::Change c, const ModelPlace& place, const GameInfo& game, const Question* question)
{
    Change change;
    const std::size_t end = place.Offset + place.Held.size();
    const std::uint8_t v = c.Value;
    switch (c.Kind) {
    case FuzzCase::ChangePair:
        change.Offset = place.Offset + 2 * (v % (place.Held.size() / 2 + 1));
        change.Data = { v, static_cast<std::uint8_t>(v % 3 == 0 ? 0xFF : v % 3 - 1) };
        break;
    case FuzzCase::ChangeWord:
        change.Offset = game.TableWordAt;
        change.Data = WordBytes(RomBase + static_cast<std::uint32_t>((v & 1) != 0 ? game.SoundMovesOffset : end));
        break;
    case FuzzCase::ChangeAfter:
        change.Offset = end + v % 40;
        change.Data = Bytes(4, 0x00);
        break;
    case FuzzCase::ChangeNamed: {
        const std::size_t named = question == nullptr || question->Kind == 0 ? end
            : question->Kind == 1                                            ? question->A
                                                                             : question->B;
        change.Offset = named + v % 32 - 16;
        change.Data = Bytes(2, 0x00);
        break;
    }
    case FuzzCase::ChangeCut:
        change.CutTo = place.Offset + v % (place.Held.size() + 4);
        break;
    default:
        break;
    }
    return change;
}

// Makes a change on the model and, given a path, on the file; one that would reach bytes the
// model does not keep is not made.
ZARNITH_UNINSTRUMENTED void ApplyChange(Image& image, const Change& change, const std::string* path)
{
    if (change.CutTo) {
        if (*change.CutTo >= image.Size)
            return;
        image.Size = *change.CutTo;
        Check(path == nullptr || ::truncate(path->c_str(), static_cast<off_t>(image.Size)) == 0, "cut the file");
        return;
    }
    for (std::size_t i = 0; i < change.Data.size(); ++i) {
        if (!image.Holds(change.Offset + i))
            return;
    }
    image.SetBytes(change.Offset, change.Data);
    if (path != nullptr) {
        const int fd = ::open(path->c_str(), O_WRONLY | O_CLOEXEC);
        Check(fd >= 0
                && ::pwrite(fd, change.Data.data(), change.Data.size(), static_cast<off_t>(change.Offset))
                    == static_cast<ssize_t>(change.Data.size()),
            "change the file");
        ::close(fd);
    }
}

// The save as the model sees it: the file's size, word and bytes looked at before the first
// question and again after the last; the table written in place while its pairs past the end
// pair are leftovers of a shorter table, grown into the 0xFF after it away from the game's own
// place, or moved; and whatever a failed write left read back.
ZARNITH_UNINSTRUMENTED SaveStatus ModelSave(Image& image, ModelPlace& place, const GameInfo& game,
    const SoundMoveTable& table, int moveCount, bool overwrite, bool confirm, ModelDisk& disk, const Asker& ask)
{
    if (place.Held.empty())
        return SaveStatus::NotVerified;
    const std::size_t heldEnd = place.Offset + place.Held.size();
    auto refusal = [&]() -> std::optional<SaveStatus> {
        if (image.Size < std::max<std::size_t>(heldEnd, game.TableWordAt + 4))
            return SaveStatus::Shorter;
        if (image.Word(game.TableWordAt) != place.Pointer)
            return SaveStatus::PointerChanged;
        return std::nullopt;
    };
    if (const auto refused = refusal())
        return *refused;
    const Bytes now = Read(image, place.Offset, place.Held.size());
    auto entries = [](const Bytes& held) {
        int n = 0;
        while (static_cast<std::size_t>(2 * n + 1) < held.size() && !EndPairAt(held, n))
            ++n;
        return n;
    };
    const int count = table.Count();
    const int onFile = entries(now);
    // Only a change to the table then or now, or to what the save writes, is asked about.
    bool asked = false;
    const int pairs = std::max({ onFile, entries(place.Held), count }) + 1;
    for (std::size_t i = 0; i < now.size() && i < 2 * static_cast<std::size_t>(pairs); ++i)
        asked = asked || i >= place.Held.size() || now[i] != place.Held[i];
    if (asked && !ask({ 0, 0, 0 }, overwrite))
        return SaveStatus::ChangeKept;

    Bytes bytes = EntryBytes(table);
    bytes.insert(bytes.end(), { 0xFF, 0xFF });
    const auto size = static_cast<std::uint32_t>(bytes.size());
    const int capacity = static_cast<int>(now.size() / 2) - 1;
    const bool grows = count > capacity || !Leftovers(now, onFile + 1, count, moveCount);
    std::optional<std::size_t> to;
    std::size_t freeStart = 0, freeEnd = 0;
    if (grows) {
        for (const SoundMoveEntry& entry : table.Entries) {
            if (!IsValidMove(entry.Id(), moveCount))
                return SaveStatus::NotMoves;
        }
        asked = true;
        freeEnd = place.Offset + size + FreeSpaceMargin;
        if (place.Offset != game.SoundMovesOffset && count > capacity && heldEnd >= 0xC0
            && freeEnd <= std::min<std::size_t>(image.Size, MaxRomSize)
            && Leftovers(now, onFile + 1, capacity, moveCount) && AllFree(image, heldEnd, freeEnd)) {
            freeStart = heldEnd;
            if (!ask({ 2, static_cast<std::uint32_t>(place.Offset), static_cast<std::uint32_t>(place.Offset + size) },
                    confirm))
                return SaveStatus::MoveDeclined;
        } else {
            to = ModelFreeSpace(image, size, place.Offset, heldEnd);
            if (!to)
                return SaveStatus::NoFreeSpace;
            if (!ask({ 1, static_cast<std::uint32_t>(*to), game.TableWordAt }, confirm))
                return SaveStatus::MoveDeclined;
            freeStart = *to - FreeSpaceMargin;
            freeEnd = *to + size + FreeSpaceMargin;
        }
    }
    if (asked) {
        if (const auto refused = refusal())
            return *refused;
        if (Read(image, place.Offset, now.size()) != now || (freeEnd > 0 && !AllFree(image, freeStart, freeEnd)))
            return SaveStatus::ChangedWhileAsked;
    }

    if (!to) {
        if (EndPairAt(now, count))
            bytes.resize(bytes.size() - 2);
        const bool written = disk.Write(image, place.Offset, bytes);
        place.ReadBack(image, std::max<std::size_t>(now.size(), size));
        if (!written)
            return SaveStatus::WriteFailed;
        return grows ? SaveStatus::Grown : SaveStatus::Saved;
    }
    if (!disk.Write(image, *to, bytes))
        return SaveStatus::MoveFailed;
    const std::uint32_t pointer = RomBase + static_cast<std::uint32_t>(*to);
    const bool pointed = disk.Write(image, game.TableWordAt, WordBytes(pointer));
    const std::optional<std::uint32_t> word = image.Word(game.TableWordAt);
    if (word == pointer) {
        place.Offset = *to;
        place.Pointer = pointer;
        place.ReadBack(image, size);
        return pointed ? SaveStatus::Moved : SaveStatus::WriteFailed;
    }
    if (word != place.Pointer
        && (!disk.Write(image, game.TableWordAt, WordBytes(*place.Pointer))
            || image.Word(game.TableWordAt) != place.Pointer)) {
        place.Held.clear();
        return SaveStatus::WriteFailed;
    }
    return SaveStatus::MoveFailed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzCase c = fuzz::Decode(data, size);
    const GameInfo* built = c.Game == FuzzCase::RawGame ? nullptr : &SupportedGames[c.Game];
    Image image = Build(c, built);
    const std::string& path = ImagePath();
    image.Write(path);

    RomAccess rom;
    Check(rom.OpenRom(path) == OpenError::None, "open a regular file");
    const GameInfo* game = rom.IdentifyGame();
    MoveNameList names;
    SoundMoveTable table;
    TablePlace place;
    if (game == nullptr) {
        Check(built == nullptr, "a built header is identified");
        Check(!ReadMoveNames(rom, names), "names of an unidentified image");
        Check(!LoadSoundMoves(rom, names, table, place, [](int, std::uint16_t) { return true; }).Loaded,
            "unidentified load");
        Check(SaveSoundMoves(rom, place, table, MoveCount, {}) == SaveStatus::NotVerified, "unidentified save");
        Check(rom.File().BytesRead() <= 64, "read past the header of an unidentified image");
        rom.CloseRom();
        image.Verify(path);
        return 0;
    }
    Check(built == nullptr || game == built, "the right game");
    Check(CheckGamePath(rom.File(), *game) == ModelPath(image, *game), "the game's path to the table word");
    Check(ReadMoveNames(rom, names), "read names");
    const ModelList list = ModelNames(image, *game);
    Check(names == list.Names, "the move names, each from its own slot");
    const int moveCount = static_cast<int>(names.size());
    // Where the list was moved, every number up to 1,023 is a move.
    const int largest = list.Own ? moveCount : MaxMoveCount;

    // The table as the model reads it, with the repairs the answers ask for.
    ModelTable model = ModelLoad(image, *game, moveCount, largest);
    int asked = 0;
    std::uint64_t written = 0;
    if (model.Status == TableStatus::Verified && model.Own) {
        for (std::size_t i = 0; i < model.Entries.size(); ++i) {
            auto& [low, high] = model.Entries[i];
            if (IsValidMove(static_cast<std::uint16_t>(high * 256 + low), largest))
                continue;
            if (asked < 16 && ((c.Answers >> asked) & 1) != 0) {
                low = FillerLow;
                high = FillerHigh;
                image.SetBytes(model.Offset + 2 * i, { FillerLow, FillerHigh });
                written += 2;
            }
            ++asked;
        }
    }
    int questions = 0;
    LoadResult loaded = LoadSoundMoves(rom, names, table, place, [&](int, std::uint16_t) {
        bool yes = questions < 16 && ((c.Answers >> questions) & 1) != 0;
        ++questions;
        return yes;
    });
    Check(loaded.Loaded && loaded.Status == model.Status, "the table's status");
    Check(questions == asked && loaded.RepairsFailed == 0, "one question per invalid entry of a trusted own table");
    Check(table.Count() == static_cast<int>(model.Entries.size()), "entries read");
    for (int i = 0; i < table.Count(); ++i) {
        const SoundMoveEntry& entry = table.Entries[i];
        Check(entry.Low == model.Entries[i].first && entry.High == model.Entries[i].second, "entry bytes");
        Check(IsValidMove(entry.Id(), moveCount) || entry.Name.rfind("??? (", 0) == 0,
            "an invalid entry is named as invalid");
    }
    if (model.Status == TableStatus::Verified)
        Check(place.Offset == model.Offset && place.Capacity == model.Capacity, "the table's place");
    image.Verify(path);

    for (const FuzzCase::Edit& edit : c.Edits) {
        const int s = edit.Entry % (table.Count() + 1);
        // A few beyond the move list too.
        const int m = (edit.Move + 256 * (edit.Operation >> 3)) % (moveCount + 6);
        switch (edit.Operation % 5) {
        case 0:
            ChangeMove(table, names, s, m);
            break;
        case 1:
            InsertMove(table, names, s, m);
            break;
        case 2:
            DeleteMove(table, names, s);
            break;
        case 3:
            // Many at once, so that tables grow past any place they had.
            for (int n = 0; n <= edit.Operation / 5 % 8 * 16; ++n)
                AppendMove(table, names, (m + n) % moveCount);
            break;
        default:
            RemoveMove(table, names, s);
            break;
        }
        Check(table.Count() <= moveCount, "at most one entry per move");
    }
    image.Verify(path);

    // Two saves of the edited table, each replayed by the model on its image: the first with
    // another program's change while its first question is open and a write made to fail, and
    // another program's change before the second (or before the first).
    ModelPlace modelPlace;
    if (model.Status == TableStatus::Verified)
        modelPlace = { model.Offset, Read(image, model.Offset, 2 * (static_cast<std::size_t>(model.Capacity) + 1)),
            image.Word(game->TableWordAt) };
    Check(place.Held == modelPlace.Held, "the bytes the place holds");
    const bool confirm = (c.Flags & 1) != 0;
    const bool overwrite = (c.Flags & 2) != 0;
    for (int round = 0; round < 2; ++round) {
        const bool first = round == 0;
        if (first == ((c.Flags & 8) != 0))
            ApplyChange(image, PlanChange(c.Between, modelPlace, *game, nullptr), &path);
        ModelDisk disk;
        if (first && (c.Failure & 0x80) != 0)
            disk.FailSync = c.Failure & 3;
        else if (first)
            disk = ModelDisk { c.Failure & 3, 0, 0, 0, static_cast<std::size_t>(c.Failure >> 2 & 31), 0 };
        rom.File().FailNthWrite(disk.FailWrite, disk.Keeps);
        rom.File().FailNthSync(disk.FailSync);

        // The code under test meets the change on the file, the model on its image, each at its
        // first question.
        const ModelPlace before = modelPlace;
        std::vector<Question> asked, modelAsked;
        auto asker = [&](std::vector<Question>& list, Image* target) -> Asker {
            return [&, target](Question q, bool answer) {
                if (list.empty() && first) {
                    Image shadow = image;
                    ApplyChange(target != nullptr ? *target : shadow, PlanChange(c.During, before, *game, &q),
                        target != nullptr ? nullptr : &path);
                }
                list.push_back(q);
                return answer;
            };
        };
        const Asker real = asker(asked, nullptr);
        const SaveStatus saved = SaveSoundMoves(rom, place, table, largest,
            { [&] {
                 return real({ 0, 0, 0 }, overwrite);
             },
                [&](std::uint32_t to, std::uint32_t at) {
                    return real({ 1, to, at }, confirm);
                },
                [&](std::uint32_t start, std::uint32_t end) {
                    return real({ 2, start, end }, confirm);
                } });
        const SaveStatus expected
            = ModelSave(image, modelPlace, *game, table, largest, overwrite, confirm, disk, asker(modelAsked, &image));
        Check(saved == expected, "the save's outcome");
        Check(asked == modelAsked, "the questions put");
        Check(place.Held == modelPlace.Held && (place.Held.empty() || place.Offset == modelPlace.Offset),
            "the place the save leaves");
        written += disk.Written;
        Check(rom.File().BytesWritten() == written, "bytes written");
        image.Verify(path);

        // Reopened, the game's word leads to the table as saved.
        if ((c.Flags & 4) != 0 && SaveSucceeded(saved)) {
            RomAccess again;
            MoveNameList reread;
            Check(again.OpenRom(path) == OpenError::None && again.IdentifyGame() == game, "reopen");
            ReadMoveNames(again, reread);
            SoundMoveTable back;
            TablePlace where;
            LoadResult reloaded = LoadSoundMoves(again, reread, back, where, [](int, std::uint16_t) { return false; });
            // Bytes only: a table saved over the names (a word may point anywhere) changes names too.
            Check(reloaded.Status == TableStatus::Verified && EntryBytes(back) == EntryBytes(table),
                "the saved table is read back");
            again.CloseRom();
            image.Verify(path);
        }
    }
    rom.CloseRom();
    image.Verify(path);
    return 0;
}

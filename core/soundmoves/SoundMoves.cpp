#include "soundmoves/SoundMoves.h"

#include "rom/RomAccess.h"

#include <algorithm>
#include <cstring>

namespace zarnith {

namespace {

// The cartridge header: never free space, whatever it holds.
constexpr std::uint32_t HeaderSize = 0xC0;

using Bytes = std::vector<std::uint8_t>;

// size bytes at offset, or fewer where the file ends: read from the file itself, never from
// what the stream read ahead, which another program's writes may have made stale.
Bytes ReadBytes(RomFile& file, std::uint64_t offset, std::size_t size)
{
    Bytes bytes(size);
    bytes.resize(file.ReadFull(offset, bytes.data(), size));
    return bytes;
}

bool WriteBytes(RomFile& file, std::uint32_t offset, const Bytes& bytes)
{
    file.SeekPut(offset);
    for (std::uint8_t byte : bytes) {
        if (!file.WriteByte(byte))
            return false;
    }
    return file.Sync();
}

Bytes Word(std::uint32_t value)
{
    return { static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24) };
}

bool IsEndPair(const Bytes& bytes, int pair)
{
    const auto at = static_cast<std::size_t>(2 * pair);
    return at + 1 < bytes.size() && bytes[at] == 0xFF && bytes[at + 1] == 0xFF;
}

// The entries of the table whose bytes these are: the pairs before the first end pair.
int EntriesIn(const Bytes& bytes)
{
    int pair = 0;
    while (static_cast<std::size_t>(2 * pair + 1) < bytes.size() && !IsEndPair(bytes, pair))
        ++pair;
    return pair;
}

// Whether pairs first to last of bytes are what a shorter table leaves behind: moves and end
// pairs (free space reads as end pairs).
bool LeftoversOnly(const Bytes& bytes, int first, int last, int moveCount)
{
    for (int pair = first; pair <= last && static_cast<std::size_t>(2 * pair + 1) < bytes.size(); ++pair) {
        const auto id = static_cast<std::uint16_t>(bytes[2 * pair] | bytes[2 * pair + 1] << 8);
        if (!IsEndPair(bytes, pair) && !IsValidMove(id, moveCount))
            return false;
    }
    return true;
}

// Whether [offset, end) lies in the file and holds 0xFF only.
bool IsFree(RomFile& file, std::uint64_t offset, std::uint64_t end)
{
    const Bytes bytes = ReadBytes(file, offset, static_cast<std::size_t>(end - offset));
    return bytes.size() == end - offset && std::all_of(bytes.begin(), bytes.end(), [](auto b) { return b == 0xFF; });
}

// Sets place to what the file holds in its first size bytes. A file that ends inside them
// leaves no place: nothing more is written there.
void ReadBack(RomFile& file, TablePlace& place, std::size_t size)
{
    place.Held = ReadBytes(file, place.Offset, size);
    if (place.Held.size() < size)
        place.Held.clear();
    place.Count = EntriesIn(place.Held);
    place.Capacity = std::max(0, static_cast<int>(place.Held.size() / 2) - 1);
}

} // namespace

bool IsValidMove(std::uint16_t id, int moveCount)
{
    return id >= 1 && id <= moveCount;
}

int LargestMove(const RomAccess& rom, const MoveNameList& names)
{
    return rom.NamesAtOwnOffset() ? static_cast<int>(names.size()) : MaxMoveCount;
}

std::string EntryName(std::uint16_t id, const MoveNameList& names)
{
    if (IsValidMove(id, static_cast<int>(names.size())))
        return names[id - 1];
    return "??? (" + std::to_string(id) + ")";
}

LoadResult LoadSoundMoves(RomAccess& rom, const MoveNameList& names, SoundMoveTable& table, TablePlace& place,
    const AskRepairFunction& askRepair)
{
    LoadResult result;
    table = SoundMoveTable {};
    place = TablePlace {};
    if (rom.Game() == nullptr)
        return result;
    result.Loaded = true;
    const GameInfo& game = *rom.Game();
    if (!rom.TableWordInFile()) {
        // A word that still holds the game's own address, in a file too short to reach it, is a
        // file cut short rather than a table moved away; so is a file that ends before the word.
        result.Status = !rom.TableWord() || rom.TableWord() == RomBase + game.SoundMovesOffset
            ? TableStatus::EndOfFile
            : TableStatus::NotLocated;
        return result;
    }

    RomFile& file = rom.File();
    const std::uint32_t start = rom.SoundMovesOffset();
    const bool own = rom.TableAtOwnOffset();
    const int moveCount = LargestMove(rom, names);
    const int bound = own ? SoundMoveCount : static_cast<int>(names.size());
    Bytes held;
    bool ended = false;
    bool cut = false;
    bool pastAddressSpace = false;
    bool allValid = true;
    file.SeekGet(start, 2 * (bound + 1));
    for (int i = 0; i <= bound && !ended; ++i) {
        // The game reads no table past the cartridge's last address, whatever the file holds.
        if (std::uint64_t { start } + 2 * i + 2 > MaxRomSize) {
            pastAddressSpace = true;
            break;
        }
        const int low = file.ReadByte();
        const int high = low == EndOfFile ? EndOfFile : file.ReadByte();
        if (high == EndOfFile) {
            cut = true;
            break;
        }
        held.push_back(static_cast<std::uint8_t>(low));
        held.push_back(static_cast<std::uint8_t>(high));
        ended = low == 0xFF && high == 0xFF;
        if (!ended && i < bound) {
            SoundMoveEntry entry { {}, static_cast<std::uint8_t>(low), static_cast<std::uint8_t>(high) };
            entry.Name = EntryName(entry.Id(), names);
            allValid = allValid && IsValidMove(entry.Id(), moveCount);
            table.Entries.push_back(std::move(entry));
        }
    }
    if (pastAddressSpace)
        result.Status = TableStatus::PastAddressSpace;
    else if (cut)
        result.Status = TableStatus::EndOfFile;
    else if (!ended)
        result.Status = TableStatus::NoEndPair;
    else if (!own && !allValid)
        result.Status = TableStatus::NotMoves;
    else
        result.Status = TableStatus::Verified;
    if (result.Status != TableStatus::Verified)
        return result;

    // The game's own place always has room for its ten entries and the end pair.
    while (own && held.size() < 2 * (SoundMoveCount + 1)) {
        const int byte = file.ReadByte();
        if (byte == EndOfFile)
            break;
        held.push_back(static_cast<std::uint8_t>(byte));
    }
    held.resize(held.size() & ~std::size_t { 1 });
    place = TablePlace { start, table.Count(), static_cast<int>(held.size() / 2) - 1, held, *rom.TableWord() };

    if (!own)
        return result;
    for (int i = 0; i < table.Count(); ++i) {
        SoundMoveEntry& entry = table.Entries[i];
        if (IsValidMove(entry.Id(), moveCount) || !askRepair(i, entry.Id()))
            continue;
        const auto end = static_cast<std::uint32_t>(start + 2 * (i + 1));
        if (!RepairEntry(rom, end)) {
            ++result.RepairsFailed;
            continue;
        }
        // Read back what the file now holds rather than assuming it.
        file.SeekGet(end - 2);
        const int low = file.ReadByte();
        const int high = file.ReadByte();
        if (low == EndOfFile || high == EndOfFile)
            continue;
        entry.Low = static_cast<std::uint8_t>(low);
        entry.High = static_cast<std::uint8_t>(high);
        entry.Name = EntryName(entry.Id(), names);
        place.Held[2 * i] = entry.Low;
        place.Held[2 * i + 1] = entry.High;
    }
    return result;
}

bool RepairEntry(RomAccess& rom, std::uint32_t position)
{
    if (rom.Game() == nullptr || position < 2)
        return false;
    RomFile& file = rom.File();
    file.SeekPut(position - 2);
    return file.WriteByte(FillerLow) && file.WriteByte(FillerHigh) && file.Flush();
}

namespace {

// Whether the file's header still names game: its code and its version byte.
bool HoldsHeaderOf(RomFile& file, const GameInfo& game)
{
    std::uint8_t header[SoftwareVersionOffset + 1 - GameCodeOffset];
    if (file.ReadFull(GameCodeOffset, header, sizeof header) != sizeof header)
        return false;
    const std::string_view code(reinterpret_cast<const char*>(header), 4);
    return code == game.Code && header[sizeof header - 1] == game.Revision;
}

} // namespace

SaveStatus SaveSoundMoves(
    RomAccess& rom, TablePlace& place, const SoundMoveTable& table, int moveCount, const SaveQuestions& ask)
{
    RomFile& file = rom.File();
    const int count = table.Count();
    if (rom.Game() == nullptr || !file.IsOpen() || place.Held.empty() || count > moveCount)
        return SaveStatus::NotVerified;
    const GameInfo& game = *rom.Game();
    const std::uint64_t heldEnd = place.Offset + place.Held.size();

    // Another program may change the file at any time, a question open or not: a replaced file
    // would take the save where the user can no longer see it, a cut one would be grown again,
    // and a table moved elsewhere must not be written where the game no longer reads.
    auto refusal = [&]() -> std::optional<SaveStatus> {
        if (!file.StillAtPath())
            return SaveStatus::Replaced;
        if (file.Size() < static_cast<long long>(std::max<std::uint64_t>(heldEnd, game.TableWordAt + 4)))
            return SaveStatus::Shorter;
        if (!HoldsHeaderOf(file, game))
            return SaveStatus::OtherImage;
        if (ReadWordAt(file, game.TableWordAt) != place.Pointer)
            return SaveStatus::PointerChanged;
        return std::nullopt;
    };
    if (const auto refused = refusal())
        return *refused;
    const Bytes now = ReadBytes(file, place.Offset, place.Held.size());
    // A change counts where it touches the table on file, as read then or now, or what this save
    // writes; the bytes after all of them are another tool's, judged afresh below.
    const auto pairs = static_cast<std::size_t>(std::max({ EntriesIn(now), EntriesIn(place.Held), count }) + 1);
    const std::size_t span = std::min(now.size(), 2 * pairs);
    bool asked = !std::equal(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(span), place.Held.begin(),
        place.Held.begin() + static_cast<std::ptrdiff_t>(std::min(span, place.Held.size())));
    if (asked && (!ask.OverwriteChange || !ask.OverwriteChange()))
        return SaveStatus::ChangeKept;

    Bytes bytes;
    for (const SoundMoveEntry& entry : table.Entries)
        bytes.insert(bytes.end(), { entry.Low, entry.High });
    bytes.insert(bytes.end(), { 0xFF, 0xFF });
    const auto size = static_cast<std::uint32_t>(bytes.size());
    const int onFile = EntriesIn(now);
    const int capacity = static_cast<int>(now.size() / 2) - 1;
    const bool fits = count <= capacity && LeftoversOnly(now, onFile + 1, count, moveCount);
    // The game's own place is read up to ten entries only: a table there never grows past them.
    const bool mayGrow = !fits && count > capacity && place.Offset != game.SoundMovesOffset;
    std::optional<std::uint32_t> to; // where a moved table goes
    std::uint64_t freeStart = 0; // the free space taken, margins included
    std::uint64_t freeEnd = 0;
    if (!fits) {
        if (std::any_of(
                table.Entries.begin(), table.Entries.end(), [&](auto& e) { return !IsValidMove(e.Id(), moveCount); }))
            return SaveStatus::NotMoves;
        asked = true;
        freeEnd = std::uint64_t { place.Offset } + size + FreeSpaceMargin;
        const auto limit = std::min<std::uint64_t>(static_cast<std::uint64_t>(file.Size()), MaxRomSize);
        if (mayGrow && heldEnd >= HeaderSize && freeEnd <= limit && LeftoversOnly(now, onFile + 1, capacity, moveCount)
            && IsFree(file, heldEnd, freeEnd)) {
            freeStart = heldEnd;
            if (!ask.ConfirmGrow || !ask.ConfirmGrow(place.Offset, place.Offset + size))
                return SaveStatus::MoveDeclined;
        } else {
            to = FindFreeSpace(file, size, place.Offset, static_cast<std::uint32_t>(heldEnd));
            if (!to)
                return SaveStatus::NoFreeSpace;
            if (!ask.ConfirmMove || !ask.ConfirmMove(*to, game.TableWordAt))
                return SaveStatus::MoveDeclined;
            freeStart = *to - FreeSpaceMargin;
            freeEnd = std::uint64_t { *to } + size + FreeSpaceMargin;
        }
    }
    // What a question could have outlasted is looked at again, just before writing.
    if (asked) {
        if (const auto refused = refusal())
            return *refused;
        if (ReadBytes(file, place.Offset, now.size()) != now || (freeEnd > 0 && !IsFree(file, freeStart, freeEnd)))
            return SaveStatus::ChangedWhileAsked;
    }

    if (!to) {
        if (IsEndPair(now, count))
            bytes.resize(bytes.size() - 2);
        const bool written = WriteBytes(file, place.Offset, bytes);
        // Whatever happened, the next save goes by what the file now holds, a grown table's
        // new bytes included.
        ReadBack(file, place, std::max<std::size_t>(now.size(), size));
        const bool holds = place.Held.size() >= bytes.size()
            && std::equal(bytes.begin(), bytes.end(), place.Held.begin()) && IsEndPair(place.Held, count);
        if (!written || !holds)
            return SaveStatus::WriteFailed;
        return fits ? SaveStatus::Saved : SaveStatus::Grown;
    }

    if (!WriteBytes(file, *to, bytes) || ReadBytes(file, *to, size) != bytes)
        return SaveStatus::MoveFailed;
    const std::uint32_t pointer = RomBase + *to;
    const bool pointed = WriteBytes(file, game.TableWordAt, Word(pointer));
    const std::optional<std::uint32_t> word = ReadWordAt(file, game.TableWordAt);
    if (word == pointer) {
        place.Offset = *to;
        place.Pointer = pointer;
        ReadBack(file, place, size);
        return pointed ? SaveStatus::Moved : SaveStatus::WriteFailed;
    }
    // Part of the word may have reached the file: the old one is put back, so that the game
    // reads the table where it was. If even that fails, the word leads nowhere this program
    // knows, and nothing more is written to the file.
    if (word != place.Pointer
        && (!WriteBytes(file, game.TableWordAt, Word(place.Pointer))
            || ReadWordAt(file, game.TableWordAt) != place.Pointer)) {
        place.Held.clear();
        return SaveStatus::WriteFailed;
    }
    return SaveStatus::MoveFailed;
}

std::optional<std::uint32_t> FindFreeSpace(
    RomFile& file, std::uint32_t size, std::uint32_t avoidStart, std::uint32_t avoidEnd)
{
    const long long fileSize = file.Size();
    if (fileSize <= 0)
        return std::nullopt;
    const std::uint64_t limit = std::min<std::uint64_t>(static_cast<std::uint64_t>(fileSize), MaxRomSize);

    std::optional<std::uint32_t> best;
    std::uint64_t bestLength = 0;
    auto offer = [&](std::uint64_t a, std::uint64_t b) {
        if (a >= b || b - a <= bestLength)
            return;
        const std::uint64_t at = (a + FreeSpaceMargin + 3) & ~std::uint64_t { 3 };
        if (at + size + FreeSpaceMargin <= b) {
            best = static_cast<std::uint32_t>(at);
            bestLength = b - a;
        }
    };
    // A run of 0xFF [a, b) less the header and the table's own bytes.
    auto run = [&](std::uint64_t a, std::uint64_t b) {
        a = std::max<std::uint64_t>(a, HeaderSize);
        if (a < avoidEnd && avoidStart < b) {
            offer(a, std::min<std::uint64_t>(b, avoidStart));
            offer(std::max<std::uint64_t>(a, avoidEnd), b);
        } else {
            offer(a, b);
        }
    };

    // One sequential pass in blocks. Only runs at least `shortest` long can take the table, so
    // outside a run only every shortest-th byte is looked at: a run that long holds one of them.
    // Whatever lies between `next` and a block's end is kept for the look back from such a byte.
    const std::uint64_t shortest = size + 2 * FreeSpaceMargin;
    constexpr std::size_t Block = std::size_t { 1 } << 16;
    std::vector<std::uint8_t> buffer(Block + shortest);
    std::uint64_t bufferStart = 0;
    std::uint64_t end = 0; // of what the buffer holds, and of what was read
    std::uint64_t next = 0; // outside a run: no run that long starts before it
    bool inRun = false;
    std::uint64_t runStart = 0;
    while (end < limit) {
        const std::uint64_t keepFrom = inRun ? end : std::max(next, bufferStart);
        const auto keep = static_cast<std::size_t>(end - keepFrom);
        std::memmove(buffer.data(), buffer.data() + (keepFrom - bufferStart), keep);
        const std::size_t n = file.ReadBlock(end, buffer.data() + keep, std::min<std::uint64_t>(Block, limit - end));
        if (n == 0)
            break;
        bufferStart = keepFrom;
        end += n;
        const std::uint8_t* at = buffer.data() - bufferStart; // at[offset] is the byte at offset
        for (;;) {
            if (inRun) {
                std::uint64_t p = std::max(next, bufferStart);
                std::uint64_t word = 0;
                while (p + 8 <= end && (std::memcpy(&word, at + p, 8), word == ~std::uint64_t { 0 }))
                    p += 8;
                while (p < end && at[p] == 0xFF)
                    ++p;
                next = p;
                if (p == end)
                    break;
                if (p - runStart >= shortest)
                    run(runStart, p);
                inRun = false;
                next = p + 1;
                continue;
            }
            const std::uint64_t probe = next + shortest - 1;
            if (probe >= end)
                break;
            if (at[probe] != 0xFF) {
                next = probe + 1;
                continue;
            }
            std::uint64_t start = probe;
            while (start > next && at[start - 1] == 0xFF)
                --start;
            inRun = true;
            runStart = start;
            next = probe + 1;
        }
    }
    if (inRun && end - runStart >= shortest)
        run(runStart, end);
    return best;
}

} // namespace zarnith

#include "rom/DeltaMatcher.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace zarnith {

namespace {

enum Kind : int { SourceRead, SourceCopy, TargetCopy };

constexpr std::uint64_t Largest = 0xFFFFFFFE; // offsets plus one fit the index
constexpr std::size_t KeyLength = 8; // bytes hashed for the index
constexpr std::size_t TargetKeyLength = 4; // bytes hashed for the target's index
constexpr std::uint64_t SourceStride = 4;
// A match found by a search starts a copy where it saves this much (after its cost): more where
// it breaks a run of carried bytes, as much as another TargetRead of that run's length costs.
constexpr std::int64_t LeastTargetCopy = 1;
constexpr std::int64_t LeastSourceCopy = 3;
// Offsets searched from the one reached while only a short match was found, for a longer one
// that starts there too (found at a later offset, extended back).
constexpr std::uint64_t Probes = 8;
// Of those, the ones the source's index is searched at: a match in the source from the offset
// reached has a key indexed within the first stride past it, or soon after.
constexpr std::uint64_t SourceProbes = 6;
// Bytes of a TargetCopy indexed, so that later copies find their nearest place; and every
// how many bytes of a SourceCopy, so that a later copy of what it wrote is found in the target.
constexpr std::uint64_t CopyIndexed = 64;
constexpr std::uint64_t SourceCopyStride = 4;
constexpr std::size_t Ways = 8; // candidates a slot of the target's index holds, the latest first
constexpr std::size_t SourceWays = 16; // candidates a slot of the source's index holds, a cache line
// Matches this long or longer found without a search are taken without one.
constexpr std::uint64_t GoodEnough = 16;
// What a copy must save beyond a SourceRead at the same offset, for the SourceRead to come back.
constexpr std::int64_t ComeBack = 4;
// Offsets ahead of the one searched whose index slots are asked for early.
constexpr std::uint64_t Ahead = 3;
constexpr std::uint64_t ProbesAhead = 2;
// Bytes ahead of the one indexed whose slot is asked for early.
constexpr std::uint64_t Soon = 16 * SourceStride;
// Changed bytes, and stretches between them, that a SourceCopy is taken back over.
constexpr std::uint64_t MostChanged = 8;
constexpr std::size_t MostStretches = 8;
constexpr std::uint64_t ProgressStep = std::uint64_t { 1 } << 20;

// Eight bytes as a little-endian number: one load where the processor is little-endian.
std::uint64_t Load(const std::uint8_t* at)
{
    std::uint64_t value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, at, 8);
    } else {
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | at[i];
    }
    return value;
}

std::uint32_t Load32(const std::uint8_t* at)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t value;
        std::memcpy(&value, at, 4);
        return value;
    }
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint32_t TargetKey(const std::uint8_t* at, int bits)
{
    return (Load32(at) * 0x9E3779B1u) >> (32 - bits);
}

// A second hash of the target's key, for its tag.
std::uint64_t TargetHash(const std::uint8_t* at)
{
    return Load32(at) * 0x9E3779B97F4A7C15ULL;
}

std::uint64_t Hash(const std::uint8_t* at)
{
    return Load(at) * 0x9E3779B97F4A7C15ULL;
}

// The slot of a hash: its top bits.
std::size_t Slot(std::uint64_t hash, int bits)
{
    return static_cast<std::size_t>(hash >> (64 - bits));
}

// The bits of a hash below its slot's, kept in an index entry beside the offset: an entry whose
// tag differs holds other bytes, and is passed by without reading the image there.
std::uint32_t Tag(std::uint64_t hash, int bits, int tagBits)
{
    if (tagBits == 0)
        return 0;
    return static_cast<std::uint32_t>(hash >> (64 - bits - tagBits)) & ((std::uint32_t { 1 } << tagBits) - 1);
}

// Asks for the cache line at to be fetched early; nothing else.
void Prefetch(const void* at)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(at);
#else
    (void)at;
#endif
}

// Bits an index entry needs for the numbers 1 to count; the rest of its 32 hold a tag.
int EntryBits(std::uint64_t count)
{
    return static_cast<int>(std::bit_width(count));
}

std::uint32_t Mask(int bits)
{
    return bits < 32 ? (std::uint32_t { 1 } << bits) - 1 : ~std::uint32_t { 0 };
}

std::uint32_t Entry(std::uint64_t number, std::uint32_t tag, int entryBits)
{
    return static_cast<std::uint32_t>(number) | (entryBits < 32 ? tag << entryBits : 0);
}

// Whether the eight bytes of a key are one byte repeated: runs are found without the index, and
// would only crowd it.
bool IsRun(std::uint64_t key)
{
    return key == (key & 0xFF) * 0x0101010101010101ULL;
}

// How many bytes from a and b on are alike, up to limit; eight at a time while they can be.
std::uint64_t SameRun(const std::uint8_t* a, const std::uint8_t* b, std::uint64_t limit)
{
    std::uint64_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= limit; i += 8) {
            std::uint64_t x;
            std::uint64_t y;
            std::memcpy(&x, a + i, 8);
            std::memcpy(&y, b + i, 8);
            if (x != y)
                return i + static_cast<std::uint64_t>(std::countr_zero(x ^ y) / 8);
        }
    }
    while (i < limit && a[i] == b[i])
        ++i;
    return i;
}

// How many bytes from at on are the byte before at, up to limit.
std::uint64_t RepeatRun(const std::uint8_t* at, std::uint64_t limit)
{
    const std::uint8_t value = at[-1];
    std::uint64_t i = 0;
    std::uint64_t pattern;
    std::memset(&pattern, value, 8);
    for (; i + 8 <= limit; i += 8) {
        std::uint64_t x;
        std::memcpy(&x, at + i, 8);
        if (x != pattern)
            break;
    }
    while (i < limit && at[i] == value)
        ++i;
    return i;
}

// Bits of an index with about one slot for each offset indexed.
int IndexBits(std::uint64_t size, std::uint64_t stride, int most)
{
    int bits = 12;
    while (bits < most && (std::uint64_t { 1 } << bits) < size / stride)
        ++bits;
    return bits;
}

// What a copy after carried bytes costs more, with bytes carried after it too: the TargetRead
// that the run of carried bytes is split into, about as long as the part before the copy.
std::int64_t Split(std::uint64_t carried)
{
    return carried == 0 ? 0 : static_cast<std::int64_t>(BpsPatchWriter::SourceReadCost(carried));
}

} // namespace

DeltaMatcher::DeltaMatcher(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
    : m_source(source)
    , m_target(target)
    , m_sourceBits(IndexBits(source.size(), SourceStride * SourceWays, 22))
    , m_targetBits(IndexBits(target.size(), 32, 19))
    , m_sourceEntryBits(EntryBits(source.size() / SourceStride + 1))
    , m_targetEntryBits(EntryBits(target.size() + 1))
{
}

bool DeltaMatcher::IndexSource(const ProgressCallback& progress)
{
    m_sourceIndex = NewLargeArray<std::uint32_t>((std::size_t { 1 } << m_sourceBits) * SourceWays);
    const std::uint64_t total = m_source.size() + m_target.size();
    const std::uint8_t* bytes = m_source.data();
    const int tagBits = 32 - m_sourceEntryBits;
    // Slots are asked for a few keys ahead, so that their cache misses overlap.
    for (std::uint64_t at = 0; at + KeyLength <= m_source.size(); at += SourceStride) {
        if (progress && at % ProgressStep == 0 && !progress(at, total))
            return false;
        if (at + Soon + KeyLength <= m_source.size())
            Prefetch(&m_sourceIndex[Slot(Hash(bytes + at + Soon), m_sourceBits) * SourceWays]);
        const std::uint64_t key = Load(bytes + at);
        if (IsRun(key))
            continue;
        const std::uint64_t hash = key * 0x9E3779B97F4A7C15ULL;
        std::uint32_t* slot = &m_sourceIndex[Slot(hash, m_sourceBits) * SourceWays];
        for (std::size_t way = SourceWays - 1; way > 0; --way)
            slot[way] = slot[way - 1];
        slot[0] = Entry(at / SourceStride + 1, Tag(hash, m_sourceBits, tagBits), m_sourceEntryBits);
    }
    return true;
}

// Puts the target's offset at in its slot, the latest first; runs of one byte are left out.
void DeltaMatcher::IndexTarget(std::uint64_t at)
{
    if (at + TargetKeyLength > m_target.size())
        return;
    const std::uint32_t word = Load32(m_target.data() + at);
    if (word == (word & 0xFF) * 0x01010101u)
        return;
    std::uint32_t* slot = &m_targetIndex[std::size_t { TargetKey(m_target.data() + at, m_targetBits) } * Ways];
    for (std::size_t way = Ways - 1; way > 0; --way)
        slot[way] = slot[way - 1];
    slot[0] = Entry(at + 1, Tag(TargetHash(m_target.data() + at), 0, 32 - m_targetEntryBits), m_targetEntryBits);
}

// Keeps the match in best when it saves more than best does and at least least bytes.
void DeltaMatcher::Consider(Match& best, int kind, std::uint64_t start, std::uint64_t length, std::uint64_t from,
    const BpsPatchWriter& writer, std::int64_t least) const
{
    if (length == 0)
        return;
    const std::size_t cost = kind == SourceRead ? BpsPatchWriter::SourceReadCost(length)
        : kind == SourceCopy                    ? writer.SourceCopyCost(length, from)
                                                : writer.TargetCopyCost(length, from);
    const std::int64_t gain = static_cast<std::int64_t>(length) - static_cast<std::int64_t>(cost);
    // A copy that leaves the source's same offset costs a SourceRead more to come back to it.
    const std::int64_t beat = best.Kind == SourceRead ? best.Gain + ComeBack : best.Gain;
    if (gain >= least && gain > beat)
        best = { kind, start, length, from, gain };
}

// The match that saves most from at on, or none: the cheap tries first, then the indexes.
DeltaMatcher::Match DeltaMatcher::Find(std::uint64_t at, const BpsPatchWriter& writer) const
{
    const std::uint8_t* from = m_source.data();
    const std::uint8_t* to = m_target.data();
    const std::uint64_t sourceSize = m_source.size();
    const std::uint64_t size = m_target.size();
    const std::uint64_t common = std::min(sourceSize, size);
    const std::uint64_t left = size - at;
    Match best;
    // The same offset in the source: a short run only where it ends the target.
    if (at < common && from[at] == to[at]) {
        const std::uint64_t run = SameRun(from + at, to + at, common - at);
        Consider(best, SourceRead, at, run, at, writer, run >= 2 || at + run == size ? -1 : 1);
    }
    // The last copy, going on past what changed since.
    if (m_sourceCopied) {
        const std::int64_t offset = static_cast<std::int64_t>(at) + m_sourceShift;
        if (offset >= 0 && static_cast<std::uint64_t>(offset) < sourceSize && from[offset] == to[at]) {
            const auto on = static_cast<std::uint64_t>(offset);
            Consider(best, SourceCopy, at, SameRun(from + on, to + at, std::min(sourceSize - on, left)), on, writer, 2);
        }
    }
    if (m_targetCopied) {
        const std::int64_t offset = static_cast<std::int64_t>(at) + m_targetShift;
        if (offset >= 0 && static_cast<std::uint64_t>(offset) < at && to[offset] == to[at]) {
            const auto on = static_cast<std::uint64_t>(offset);
            Consider(best, TargetCopy, at, SameRun(to + on, to + at, left), on, writer, 2);
        }
    }
    // A run of the byte just written.
    if (at > 0 && to[at] == to[at - 1])
        Consider(best, TargetCopy, at, RepeatRun(to + at, left), at - 1, writer, 4);
    // A search in both indexes, every candidate of a slot extended back over the bytes to be
    // carried and forward, and kept by what it saves after its cost (a copy from nearer the last
    // one costs fewer bytes of offset). While only a short match was found, the next offsets are
    // searched too, so that a long copy it is part of (a list moved into free space over bytes
    // the source has there too, text whose later words were copied together) is not passed by.
    if (best.Length >= GoodEnough || left < TargetKeyLength)
        return best;
    // The slots of an offset a little further on, searched next while bytes are carried.
    if (left >= Ahead + KeyLength) {
        Prefetch(&m_sourceIndex[Slot(Hash(to + at + Ahead), m_sourceBits) * SourceWays]);
        Prefetch(&m_targetIndex[std::size_t { TargetKey(to + at + Ahead, m_targetBits) } * Ways]);
    }
    const std::uint64_t probes = std::min<std::uint64_t>(Probes, left - TargetKeyLength + 1);
    const std::uint32_t sourceNumber = Mask(m_sourceEntryBits);
    const std::uint32_t targetNumber = Mask(m_targetEntryBits);
    for (std::uint64_t probe = at; probe < at + probes; ++probe) {
        if (probe > at && (best.Kind < 0 || best.Length >= GoodEnough))
            break;
        const std::uint64_t rest = size - probe;
        // The slots of the probes after this one, so that their cache misses overlap.
        if (probe + ProbesAhead < at + probes && rest >= ProbesAhead + KeyLength) {
            if (probe + ProbesAhead < at + SourceProbes)
                Prefetch(&m_sourceIndex[Slot(Hash(to + probe + ProbesAhead), m_sourceBits) * SourceWays]);
            Prefetch(&m_targetIndex[std::size_t { TargetKey(to + probe + ProbesAhead, m_targetBits) } * Ways]);
        }
        if (rest >= KeyLength && probe < at + SourceProbes) {
            const std::uint64_t word = Load(to + probe);
            const std::uint64_t hash = word * 0x9E3779B97F4A7C15ULL;
            const std::uint32_t* slot = &m_sourceIndex[Slot(hash, m_sourceBits) * SourceWays];
            const std::uint32_t tag = Entry(0, Tag(hash, m_sourceBits, 32 - m_sourceEntryBits), m_sourceEntryBits);
            for (std::size_t way = 0; way < SourceWays && slot[way] != 0; ++way) {
                if ((slot[way] & ~sourceNumber) != tag)
                    continue;
                const std::uint64_t inSource = ((slot[way] & sourceNumber) - std::uint64_t { 1 }) * SourceStride;
                if (Load(from + inSource) != word)
                    continue;
                std::uint64_t back = 0;
                while (back < probe - m_literal && back < inSource && from[inSource - back - 1] == to[probe - back - 1])
                    ++back;
                const std::uint64_t length
                    = back + SameRun(from + inSource, to + probe, std::min(sourceSize - inSource, rest));
                if (probe - back <= at) // a copy from here on, not one that leaves bytes before it
                    Consider(best, SourceCopy, probe - back, length, inSource - back, writer,
                        LeastSourceCopy + Split(probe - back - m_literal) - 1);
            }
        }
        if (rest < TargetKeyLength)
            continue;
        const std::uint32_t* slot = &m_targetIndex[std::size_t { TargetKey(to + probe, m_targetBits) } * Ways];
        const std::uint32_t head = Load32(to + probe);
        const std::uint32_t tag = Entry(0, Tag(TargetHash(to + probe), 0, 32 - m_targetEntryBits), m_targetEntryBits);
        for (std::size_t way = 0; way < Ways && slot[way] != 0; ++way) {
            if ((slot[way] & ~targetNumber) != tag)
                continue;
            const std::uint64_t inTarget = (slot[way] & targetNumber) - std::uint64_t { 1 };
            if (inTarget >= probe || Load32(to + inTarget) != head)
                continue;
            std::uint64_t back = 0;
            while (back < probe - m_literal && back < inTarget && to[inTarget - back - 1] == to[probe - back - 1])
                ++back;
            const std::uint64_t length = back + SameRun(to + inTarget, to + probe, rest);
            if (probe - back <= at)
                Consider(best, TargetCopy, probe - back, length, inTarget - back, writer,
                    probe - back == m_literal ? LeastTargetCopy : LeastTargetCopy + Split(probe - back - m_literal));
        }
    }
    return best;
}

// Before a SourceCopy, the carried bytes that the same shift gives too, past a few changed bytes
// between (a pointer word changed in code that moved, found by the index only past it): copied
// where that costs less than carrying them, the copy after each then needing a byte of offset.
void DeltaMatcher::CopyBefore(BpsPatchWriter& writer, Match& best)
{
    const std::int64_t shift = static_cast<std::int64_t>(best.From) - static_cast<std::int64_t>(best.Start);
    const std::uint8_t* from = m_source.data();
    const std::uint8_t* to = m_target.data();
    const auto alike = [&](std::uint64_t at) {
        const std::int64_t offset = static_cast<std::int64_t>(at) + shift;
        return offset >= 0 && static_cast<std::uint64_t>(offset) < m_source.size() && from[offset] == to[at];
    };
    while (best.Start > m_literal && alike(best.Start - 1)) {
        --best.Start;
        --best.From;
        ++best.Length;
    }
    struct Stretch
    {
        std::uint64_t Begin;
        std::uint64_t End;
    };
    std::array<Stretch, MostStretches> stretches {};
    std::size_t count = 0;
    std::uint64_t start = best.Start; // of the first copy so far
    std::size_t copyCost = writer.SourceCopyCost(best.Length, best.From);
    std::uint64_t copyLength = best.Length;
    while (count < MostStretches && start > m_literal) {
        std::uint64_t end = start;
        while (end > m_literal && start - end < MostChanged && !alike(end - 1))
            --end;
        if (end == m_literal || alike(end - 1) == false)
            break;
        std::uint64_t begin = end;
        while (begin > m_literal && alike(begin - 1))
            --begin;
        const std::uint64_t length = end - begin;
        const auto from = static_cast<std::uint64_t>(static_cast<std::int64_t>(begin) + shift);
        const std::size_t carried = BpsPatchWriter::TargetReadCost(start - m_literal) + copyCost;
        const std::size_t copied = (begin > m_literal ? BpsPatchWriter::TargetReadCost(begin - m_literal) : 0)
            + writer.SourceCopyCost(length, from) + BpsPatchWriter::TargetReadCost(start - end)
            + BpsPatchWriter::SourceReadCost(copyLength) + 1;
        if (copied >= carried)
            break;
        stretches[count++] = { begin, end };
        copyCost = writer.SourceCopyCost(length, from);
        copyLength = length;
        start = begin;
    }
    while (count > 0) {
        const Stretch stretch = stretches[--count];
        if (stretch.Begin > m_literal)
            writer.TargetRead(m_target.subspan(m_literal, stretch.Begin - m_literal));
        writer.SourceCopy(
            stretch.End - stretch.Begin, static_cast<std::uint64_t>(static_cast<std::int64_t>(stretch.Begin) + shift));
        m_literal = stretch.End;
    }
}

bool DeltaMatcher::Write(BpsPatchWriter& writer, const ProgressCallback& progress)
{
    if (m_source.size() > Largest || m_target.size() > Largest || !IndexSource(progress))
        return false;
    m_targetIndex = NewLargeArray<std::uint32_t>((std::size_t { 1 } << m_targetBits) * Ways);
    const std::uint8_t* from = m_source.data();
    const std::uint8_t* to = m_target.data();
    const std::uint64_t sourceSize = m_source.size();
    const std::uint64_t size = m_target.size();
    const std::uint64_t common = std::min(sourceSize, size);
    const std::uint64_t total = sourceSize + size;
    std::uint64_t nextReport = ProgressStep;

    m_literal = 0;
    m_sourceShift = 0;
    m_targetShift = 0;
    m_sourceCopied = false;
    m_targetCopied = false;
    std::uint64_t at = 0;
    while (at < size) {
        if (progress && at >= nextReport) {
            nextReport += ProgressStep;
            if (!progress(sourceSize + at, total))
                return false;
        }
        // A byte changed in place, the same offset going on after it: carried, whatever else
        // the byte and those after it match.
        if (!(at < common && from[at] == to[at]) && at + 1 + KeyLength <= common
            && Load(from + at + 1) == Load(to + at + 1)) {
            ++at;
            continue;
        }
        Match best = Find(at, writer);
        if (best.Kind < 0) {
            // Carried in the patch; indexed, so that later bytes may copy it.
            IndexTarget(at);
            ++at;
            continue;
        }
        if (best.Kind == SourceCopy)
            CopyBefore(writer, best);
        if (best.Start > m_literal)
            writer.TargetRead(m_target.subspan(m_literal, best.Start - m_literal));
        const std::int64_t shift = static_cast<std::int64_t>(best.From) - static_cast<std::int64_t>(best.Start);
        if (best.Kind == SourceRead) {
            writer.SourceRead(best.Length);
        } else if (best.Kind == SourceCopy) {
            writer.SourceCopy(best.Length, best.From);
            for (std::uint64_t i = best.Start; i < best.Start + best.Length; i += SourceCopyStride) {
                if (i + Soon + TargetKeyLength <= best.Start + best.Length)
                    Prefetch(&m_targetIndex[std::size_t { TargetKey(to + i + Soon, m_targetBits) } * Ways]);
                IndexTarget(i);
            }
            m_sourceShift = shift;
            m_sourceCopied = true;
        } else {
            writer.TargetCopy(best.Length, best.From);
            for (std::uint64_t i = best.Start; i < best.Start + std::min<std::uint64_t>(best.Length, CopyIndexed); ++i)
                IndexTarget(i);
            if (shift < -1) {
                m_targetShift = shift;
                m_targetCopied = true;
            }
        }
        at = best.Start + best.Length;
        m_literal = at;
    }
    if (size > m_literal)
        writer.TargetRead(m_target.subspan(m_literal, size - m_literal));
    return !progress || progress(total, total);
}

} // namespace zarnith

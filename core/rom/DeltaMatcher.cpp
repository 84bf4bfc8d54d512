#include "rom/DeltaMatcher.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zarnith {

namespace {

enum Kind : int { SourceRead, SourceCopy, TargetCopy };

constexpr std::uint64_t Largest = 0xFFFFFFFE; // offsets plus one fit the index
constexpr std::uint64_t Empty = ~std::uint64_t { 0 }; // an empty slot, less one
constexpr std::size_t KeyLength = 8; // bytes hashed for the index
constexpr std::uint64_t SourceStride = 8;
constexpr std::uint64_t TargetStride = 4;
// Matches this long or longer found without a search are taken without one.
constexpr std::uint64_t GoodEnough = 32;
// What a copy must save beyond a SourceRead at the same offset, for the SourceRead to come back.
constexpr std::int64_t ComeBack = 4;
constexpr std::uint64_t ProgressStep = std::uint64_t { 1 } << 20;

std::uint64_t Load(const std::uint8_t* at)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

std::uint32_t Key(const std::uint8_t* at, int bits)
{
    return static_cast<std::uint32_t>((Load(at) * 0x9E3779B97F4A7C15ULL) >> (64 - bits));
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

} // namespace

DeltaMatcher::DeltaMatcher(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
    : m_source(source)
    , m_target(target)
    , m_sourceBits(IndexBits(source.size(), SourceStride, 24))
    , m_targetBits(IndexBits(target.size(), TargetStride, 20))
{
}

bool DeltaMatcher::IndexSource(const ProgressCallback& progress)
{
    m_sourceIndex = NewLargeArray<std::uint32_t>(std::size_t { 1 } << m_sourceBits);
    const std::uint64_t total = m_source.size() + m_target.size();
    const std::uint8_t* bytes = m_source.data();
    for (std::uint64_t at = 0; at + KeyLength <= m_source.size(); at += SourceStride) {
        if (progress && at % ProgressStep == 0 && !progress(at, total))
            return false;
        if (!IsRun(Load(bytes + at)))
            m_sourceIndex[Key(bytes + at, m_sourceBits)] = static_cast<std::uint32_t>(at + 1);
    }
    return true;
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

bool DeltaMatcher::Write(BpsPatchWriter& writer, const ProgressCallback& progress)
{
    if (m_source.size() > Largest || m_target.size() > Largest || !IndexSource(progress))
        return false;
    m_targetIndex = NewLargeArray<std::uint32_t>(std::size_t { 1 } << m_targetBits);
    const std::uint8_t* from = m_source.data();
    const std::uint8_t* to = m_target.data();
    const std::uint64_t sourceSize = m_source.size();
    const std::uint64_t size = m_target.size();
    const std::uint64_t common = std::min(sourceSize, size);
    const std::uint64_t total = sourceSize + size;
    std::uint64_t nextReport = ProgressStep;

    std::uint64_t literal = 0; // the target's bytes from literal to at are to be carried
    // Where the last copy of each kind would go on: source (or target) offset less target offset.
    std::int64_t sourceShift = 0;
    std::int64_t targetShift = 0;
    bool sourceCopied = false;
    bool targetCopied = false;
    std::uint64_t at = 0;
    while (at < size) {
        if (progress && at >= nextReport) {
            nextReport += ProgressStep;
            if (!progress(sourceSize + at, total))
                return false;
        }
        const std::uint64_t left = size - at;
        Match best;
        // The same offset in the source: a short run only where it ends the target.
        if (at < common && from[at] == to[at]) {
            const std::uint64_t run = SameRun(from + at, to + at, common - at);
            Consider(best, SourceRead, at, run, at, writer, run >= 2 || at + run == size ? -1 : 1);
        }
        // A byte changed in place, the same offset going on after it: carried, whatever else
        // the byte and those after it match.
        if (best.Kind < 0 && at + 1 + KeyLength <= common && Load(from + at + 1) == Load(to + at + 1)) {
            ++at;
            continue;
        }
        // The last copy, going on past what changed since.
        if (sourceCopied) {
            const std::int64_t offset = static_cast<std::int64_t>(at) + sourceShift;
            if (offset >= 0 && static_cast<std::uint64_t>(offset) < sourceSize && from[offset] == to[at]) {
                const auto on = static_cast<std::uint64_t>(offset);
                Consider(
                    best, SourceCopy, at, SameRun(from + on, to + at, std::min(sourceSize - on, left)), on, writer, 2);
            }
        }
        if (targetCopied) {
            const std::int64_t offset = static_cast<std::int64_t>(at) + targetShift;
            if (offset >= 0 && static_cast<std::uint64_t>(offset) < at && to[offset] == to[at]) {
                const auto on = static_cast<std::uint64_t>(offset);
                Consider(best, TargetCopy, at, SameRun(to + on, to + at, left), on, writer, 2);
            }
        }
        // A run of the byte just written.
        if (at > 0 && to[at] == to[at - 1])
            Consider(best, TargetCopy, at, RepeatRun(to + at, left), at - 1, writer, 4);
        // A search in both indexes, the match extended back over the bytes to be carried. Where
        // only a short stretch at the same offset was found, the next few offsets are searched
        // too, so that a long copy the stretch is part of (a list moved into free space over
        // bytes the source has there too) is not passed by.
        if (best.Length < GoodEnough && left >= KeyLength) {
            const std::uint64_t probes = best.Kind == SourceRead ? std::min(SourceStride, left - KeyLength + 1) : 1;
            for (std::uint64_t probe = at; probe < at + probes; ++probe) {
                const std::uint64_t word = Load(to + probe);
                const std::uint64_t rest = size - probe;
                const std::uint64_t inSource = m_sourceIndex[Key(to + probe, m_sourceBits)] - std::uint64_t { 1 };
                if (inSource != Empty && Load(from + inSource) == word) {
                    std::uint64_t back = 0;
                    while (
                        back < probe - literal && back < inSource && from[inSource - back - 1] == to[probe - back - 1])
                        ++back;
                    const std::uint64_t length
                        = back + SameRun(from + inSource, to + probe, std::min(sourceSize - inSource, rest));
                    if (probe - back <= at) // a copy from here on, not one that leaves bytes before it
                        Consider(best, SourceCopy, probe - back, length, inSource - back, writer, 3);
                }
                const std::uint64_t inTarget = m_targetIndex[Key(to + probe, m_targetBits)] - std::uint64_t { 1 };
                if (inTarget < probe && Load(to + inTarget) == word) {
                    std::uint64_t back = 0;
                    while (back < probe - literal && back < inTarget && to[inTarget - back - 1] == to[probe - back - 1])
                        ++back;
                    const std::uint64_t length = back + SameRun(to + inTarget, to + probe, rest);
                    if (probe - back <= at)
                        Consider(best, TargetCopy, probe - back, length, inTarget - back, writer, 3);
                }
            }
        }
        if (best.Kind < 0) {
            // Carried in the patch; indexed, so that later bytes may copy it.
            if (at % TargetStride == 0 && left >= KeyLength && !IsRun(Load(to + at)))
                m_targetIndex[Key(to + at, m_targetBits)] = static_cast<std::uint32_t>(at + 1);
            ++at;
            continue;
        }
        if (best.Start > literal)
            writer.TargetRead(m_target.subspan(literal, best.Start - literal));
        const std::int64_t shift = static_cast<std::int64_t>(best.From) - static_cast<std::int64_t>(best.Start);
        if (best.Kind == SourceRead) {
            writer.SourceRead(best.Length);
        } else if (best.Kind == SourceCopy) {
            writer.SourceCopy(best.Length, best.From);
            sourceShift = shift;
            sourceCopied = true;
        } else {
            writer.TargetCopy(best.Length, best.From);
            if (shift < -1) {
                targetShift = shift;
                targetCopied = true;
            }
        }
        at = best.Start + best.Length;
        literal = at;
    }
    if (size > literal)
        writer.TargetRead(m_target.subspan(literal, size - literal));
    return !progress || progress(total, total);
}

} // namespace zarnith

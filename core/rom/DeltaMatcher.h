#pragma once

#include "rom/BpsPatch.h"
#include "rom/PlatformFile.h"

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace zarnith {

// Chooses the actions of a BPS patch from source to target, both held whole, by what each costs
// in the patch. The source is indexed by a hash of the 8 bytes at every 4th offset, sixteen
// offsets a slot (a cache line), and the target written so far (every byte carried in the patch,
// the first bytes of each TargetCopy and every 4th byte of each SourceCopy) by a hash of the 4
// bytes at every offset as it goes, eight offsets a slot, the latest first; runs of one byte are
// left out. Each entry carries a few more bits of its hash, so that most candidates of other
// bytes are passed by without reading the image. Every candidate found is extended both ways and
// weighed by what it saves after its cost, offset included, so that of the places a word of text
// was written before the one nearest the last copy is taken; a SourceCopy is also taken back over
// a few changed bytes where the bytes before them move with it. Before any search it tries what
// costs least: the source at the same offset (SourceRead), the source or the target further along
// the last copy (a copy that goes on past a few changed bytes, as code that moved does past its
// changed pointer words, for a byte or two of offset instead of a search and up to four), and a
// run of the byte just written (one TargetCopy, however long). A byte changed in place with the
// same offset going on after it is carried without a search. Everything is fixed-width and
// walked in order, so the same files make the same patch on every platform.
class DeltaMatcher
{
public:
    DeltaMatcher(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

    // Writes the actions that make the target into writer, telling progress (done of the
    // source's and the target's sizes together) about every megabyte; false when progress asked
    // to stop.
    bool Write(BpsPatchWriter& writer, const ProgressCallback& progress);

private:
    struct Match
    {
        int Kind = -1; // none, or SourceRead, SourceCopy, TargetCopy
        std::uint64_t Start = 0; // in the target
        std::uint64_t Length = 0;
        std::uint64_t From = 0; // in the source or the target
        std::int64_t Gain
            = std::numeric_limits<std::int64_t>::min(); // bytes saved against carrying them, after the action's cost
    };

    bool IndexSource(const ProgressCallback& progress);
    void IndexTarget(std::uint64_t at);
    Match Find(std::uint64_t at, const BpsPatchWriter& writer) const;
    void CopyBefore(BpsPatchWriter& writer, Match& best);
    void Consider(Match& best, int kind, std::uint64_t start, std::uint64_t length, std::uint64_t from,
        const BpsPatchWriter& writer, std::int64_t least) const;

    std::span<const std::uint8_t> m_source;
    std::span<const std::uint8_t> m_target;
    int m_sourceBits;
    int m_targetBits;
    // Bits of an index entry that hold its offset (the source's in strides); the rest hold a tag.
    int m_sourceEntryBits;
    int m_targetEntryBits;
    // Each slot holds entries of an offset plus one (the source's in strides) and a tag, or 0 for
    // none: zeroed memory from the system, which costs no pass of its own.
    LargeArray<std::uint32_t> m_sourceIndex;
    LargeArray<std::uint32_t> m_targetIndex;
    // The target's bytes from m_literal to the offset reached are to be carried.
    std::uint64_t m_literal = 0;
    // Where the last copy of each kind would go on: source (or target) offset less target offset.
    std::int64_t m_sourceShift = 0;
    std::int64_t m_targetShift = 0;
    bool m_sourceCopied = false;
    bool m_targetCopied = false;
};

} // namespace zarnith

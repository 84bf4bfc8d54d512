#pragma once

#include "rom/Progress.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace zarnith {

// Writes a patch in the BPS format (byuu's published description of BPS, the beat patch
// format) that turns a source file into a target file: "BPS1", the sizes of source and target and
// an empty metadata as the format's variable-length numbers, the actions that write the target
// from its first byte to its last, then the CRC32s of source, target and patch, little-endian.
// It knows the format only; which actions to take is DeltaMatcher's choice. Each action's cost in
// the patch can be asked before it is written.
class BpsPatchWriter
{
public:
    BpsPatchWriter(std::uint64_t sourceSize, std::uint64_t targetSize);

    // The next length bytes of the source, at the offset the target has reached.
    void SourceRead(std::uint64_t length);
    // Bytes carried in the patch.
    void TargetRead(std::span<const std::uint8_t> bytes);
    // length bytes of the source from offset from on.
    void SourceCopy(std::uint64_t length, std::uint64_t from);
    // length bytes of the target written so far from offset from on, a byte at a time, so that a
    // copy may read what it writes (from the byte before it, a run of one byte).
    void TargetCopy(std::uint64_t length, std::uint64_t from);

    // What each action would add to the patch, in bytes.
    static std::size_t SourceReadCost(std::uint64_t length);
    static std::size_t TargetReadCost(std::uint64_t length) { return CommandSize(length) + length; }
    std::size_t SourceCopyCost(std::uint64_t length, std::uint64_t from) const;
    std::size_t TargetCopyCost(std::uint64_t length, std::uint64_t from) const;

    // The patch, once the whole target has been written.
    std::vector<std::uint8_t> Finish(std::uint32_t sourceCrc32, std::uint32_t targetCrc32);

private:
    static std::size_t NumberSize(std::uint64_t value);
    static std::size_t CommandSize(std::uint64_t length) { return NumberSize((length - 1) << 2); }
    static std::uint64_t Relative(std::uint64_t from, std::uint64_t last);
    void Number(std::uint64_t value);
    void Command(std::uint64_t action, std::uint64_t length);

    std::vector<std::uint8_t> m_out;
    std::uint64_t m_sourceFrom = 0; // the format's source offset, as the last SourceCopy left it
    std::uint64_t m_targetFrom = 0; // the format's target offset, as the last TargetCopy left it
};

// The whole patch from source to target, both held in memory.
std::vector<std::uint8_t> MakeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);
// The same, telling progress on the way; nothing when progress asked to stop.
std::optional<std::vector<std::uint8_t>> MakeBpsPatch(
    std::span<const std::uint8_t> source, std::span<const std::uint8_t> target, const ProgressCallback& progress);

} // namespace zarnith

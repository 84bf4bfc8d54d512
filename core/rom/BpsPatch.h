#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zarnith {

// Writes a patch in the BPS format (byuu's published description of BPS, the beat patch
// format) that turns a source file into a target file: "BPS1", the sizes of source and target and
// an empty metadata as the format's variable-length numbers, the actions that write the target
// from its first byte to its last, then the CRC32s of source, target and patch, little-endian.
// Unchanged stretches are read from the source (SourceRead), changed bytes are carried in the
// patch (TargetRead), and long runs of one byte (a hack grown with 0xFF, say) copy the byte just
// written (TargetCopy). The files are taken block by block, so neither is ever held whole.
class BpsPatchWriter
{
public:
    BpsPatchWriter(std::uint64_t sourceSize, std::uint64_t targetSize);

    // The next block of the target, with the source's bytes at the same offsets (fewer, or none,
    // past the source's end).
    void Add(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);
    // The patch, once the whole target has been added.
    std::vector<std::uint8_t> Finish(std::uint32_t sourceCrc32, std::uint32_t targetCrc32);

private:
    void Number(std::uint64_t value);
    void Command(std::uint64_t action, std::uint64_t length);
    void FlushPending();

    std::vector<std::uint8_t> m_out;
    std::uint64_t m_targetSize;
    std::uint64_t m_at = 0; // target offset of the next byte added
    std::uint64_t m_sourceRun = 0; // a SourceRead not yet written
    std::vector<std::uint8_t> m_literal; // a TargetRead's bytes not yet written
    std::uint64_t m_copyFrom = 0; // the format's target offset, as the last TargetCopy left it
};

// The whole patch from source to target held in memory.
std::vector<std::uint8_t> MakeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

} // namespace zarnith

#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zarnith {

// A patch in the BPS format ("BPS File Format Specification" by byuu, the beat patch format) that
// turns source into target: "BPS1", the sizes of source and target and an empty metadata as the
// format's variable-length numbers, the actions that write the target from its first byte to its
// last, then the CRC32s of source, target and patch, little-endian. Unchanged stretches are read
// from the source (SourceRead), changed bytes are carried in the patch (TargetRead), and long runs
// of one byte (a hack grown with 0xFF, say) are copied from the byte just written (TargetCopy).
// The CRC32s of source and target may be given when already known.
std::vector<std::uint8_t> MakeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);
std::vector<std::uint8_t> MakeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
    std::uint32_t sourceCrc32, std::uint32_t targetCrc32);

} // namespace zarnith

#pragma once

#include "RomBuilder.h"
#include "rom/ImageDigest.h"

#include <cstring>
#include <optional>

namespace zarnith::testing {

// Applies a BPS patch to source as the format describes it, all four actions included, checking
// the sizes and the three CRC32s: the target, or nothing when anything does not hold.
inline std::optional<Bytes> ApplyBps(const Bytes& source, const Bytes& patch)
{
    if (patch.size() < 4 + 3 + 12 || std::memcmp(patch.data(), "BPS1", 4) != 0)
        return std::nullopt;
    const std::size_t end = patch.size() - 12;
    std::size_t at = 4;
    auto number = [&] {
        std::uint64_t value = 0;
        for (std::uint64_t shift = 1; at < end; shift <<= 7) {
            value += (patch[at] & 0x7F) * shift;
            if ((patch[at++] & 0x80) != 0)
                return value;
            value += shift << 7;
        }
        return ~std::uint64_t { 0 }; // too large for anything that follows
    };
    auto word = [&](std::size_t o) {
        return patch[o] | patch[o + 1] << 8 | patch[o + 2] << 16 | static_cast<std::uint32_t>(patch[o + 3]) << 24;
    };
    const std::uint64_t sourceSize = number();
    const std::uint64_t targetSize = number();
    at += number(); // metadata
    if (sourceSize != source.size() || word(end) != Crc32(source))
        return std::nullopt;
    Bytes target;
    std::uint64_t offsets[2] = { 0, 0 }; // of SourceCopy and TargetCopy
    while (at < end) {
        const std::uint64_t command = number();
        const std::uint64_t length = (command >> 2) + 1;
        if (target.size() + length > targetSize || ((command & 3) == 0 && target.size() + length > source.size())
            || ((command & 3) == 1 && at + length > end))
            return std::nullopt;
        if ((command & 3) == 0) { // SourceRead
            target.insert(target.end(), source.begin() + target.size(), source.begin() + target.size() + length);
        } else if ((command & 3) == 1) { // TargetRead
            target.insert(target.end(), patch.begin() + at, patch.begin() + at + length);
            at += length;
        } else { // a byte at a time, so that a TargetCopy may read what it writes
            const std::uint64_t offset = number();
            std::uint64_t& from = offsets[(command & 3) - 2];
            from += (offset & 1) != 0 ? 0 - (offset >> 1) : offset >> 1;
            const Bytes& bytes = (command & 3) == 2 ? source : target;
            for (std::uint64_t i = 0; i < length; ++i) {
                if (from >= bytes.size())
                    return std::nullopt;
                const std::uint8_t byte = bytes[from++];
                target.push_back(byte);
            }
        }
    }
    if (at != end || target.size() != targetSize || word(end + 4) != Crc32(target)
        || word(end + 8) != Crc32({ patch.data(), end + 8 }))
        return std::nullopt;
    return target;
}

} // namespace zarnith::testing

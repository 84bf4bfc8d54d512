#include "BpsReader.h"

#include "rom/ImageDigest.h"

#include <cstring>

namespace zarnith::testing {

std::optional<Bytes> ApplyBps(const Bytes& source, const Bytes& patch)
{
    if (patch.size() < 4 + 3 + 12 || std::memcmp(patch.data(), "BPS1", 4) != 0)
        return std::nullopt;
    const std::size_t end = patch.size() - 12;
    std::size_t at = 4;
    bool bad = false;
    auto number = [&] {
        std::uint64_t value = 0;
        for (std::uint64_t shift = 1; at < end; shift <<= 7) {
            const std::uint8_t byte = patch[at++];
            value += (byte & 0x7F) * shift;
            if ((byte & 0x80) != 0)
                return value;
            value += shift << 7;
        }
        bad = true;
        return value;
    };
    auto word = [&](std::size_t o) {
        return std::uint32_t(patch[o]) | patch[o + 1] << 8 | patch[o + 2] << 16 | std::uint32_t(patch[o + 3]) << 24;
    };
    const std::uint64_t sourceSize = number();
    const std::uint64_t targetSize = number();
    at += number(); // metadata
    if (bad || sourceSize != source.size() || word(end) != Crc32(source))
        return std::nullopt;
    Bytes target;
    std::uint64_t sourceOffset = 0;
    std::uint64_t targetOffset = 0;
    while (at < end && !bad) {
        const std::uint64_t command = number();
        const std::uint64_t length = (command >> 2) + 1;
        if (target.size() + length > targetSize)
            return std::nullopt;
        switch (command & 3) {
        case 0: // SourceRead
            if (target.size() + length > source.size())
                return std::nullopt;
            target.insert(target.end(), source.begin() + target.size(), source.begin() + target.size() + length);
            break;
        case 1: // TargetRead
            if (at + length > end)
                return std::nullopt;
            target.insert(target.end(), patch.begin() + at, patch.begin() + at + length);
            at += length;
            break;
        default: { // SourceCopy, TargetCopy: a byte at a time, so a copy may read what it writes
            const std::uint64_t offset = number();
            std::uint64_t& from = (command & 3) == 2 ? sourceOffset : targetOffset;
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
    }
    if (bad || at != end || target.size() != targetSize || word(end + 4) != Crc32(target)
        || word(end + 8) != Crc32({ patch.data(), end + 8 }))
        return std::nullopt;
    return target;
}

} // namespace zarnith::testing

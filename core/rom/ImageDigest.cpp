#include "rom/ImageDigest.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace zarnith {

std::uint32_t AddCrc32(std::uint32_t crc, std::span<const std::uint8_t> bytes)
{
    // zlib takes lengths as uInt; a block is far below its limit, a whole image may not be.
    uLong value = crc;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t part = std::min<std::size_t>(bytes.size() - at, std::numeric_limits<uInt>::max());
        value = crc32(value, bytes.data() + at, static_cast<uInt>(part));
        at += part;
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes)
{
    return AddCrc32(0, bytes);
}

bool DigestImage(RomFile& file, ImageDigest& digest, Hasher& sha1, const ProgressCallback& progress)
{
    digest = ImageDigest {};
    sha1.Reset();
    const long long size = file.Size();
    if (size < 0)
        return false;
    std::vector<std::uint8_t> block(ImageBlockSize);
    std::uint32_t crc = 0;
    for (std::uint64_t offset = 0; offset < static_cast<std::uint64_t>(size); offset += block.size()) {
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(block.size(), static_cast<std::uint64_t>(size) - offset));
        if (file.ReadFull(offset, block.data(), want) != want)
            return false;
        crc = AddCrc32(crc, { block.data(), want });
        sha1.Add(block.data(), want);
        if (progress && !progress(offset + want, static_cast<std::uint64_t>(size)))
            return false;
    }
    digest.Size = static_cast<std::uint64_t>(size);
    digest.Crc32 = crc;
    digest.Sha1 = sha1.HexDigest();
    return true;
}

} // namespace zarnith

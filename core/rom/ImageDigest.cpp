#include "rom/ImageDigest.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace zarnith {

namespace {

constexpr std::size_t BlockSize = std::size_t { 1 } << 20;

std::uint32_t AddCrc32(std::uint32_t crc, const std::uint8_t* bytes, std::size_t size)
{
    // zlib takes lengths as uInt; a block is far below its limit, a whole image may not be.
    uLong value = crc;
    while (size > 0) {
        const std::size_t part = std::min<std::size_t>(size, std::numeric_limits<uInt>::max());
        value = crc32(value, bytes, static_cast<uInt>(part));
        bytes += part;
        size -= part;
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes)
{
    return AddCrc32(0, bytes.data(), bytes.size());
}

bool DigestImage(RomFile& file, ImageDigest& digest, Hasher* sha1, std::vector<std::uint8_t>* bytes)
{
    digest = ImageDigest {};
    if (sha1 != nullptr)
        sha1->Reset();
    const long long size = file.Size();
    if (size < 0)
        return false;
    std::vector<std::uint8_t> block;
    if (bytes != nullptr)
        bytes->resize(static_cast<std::size_t>(size));
    else
        block.resize(BlockSize);
    std::uint32_t crc = 0;
    for (std::uint64_t offset = 0; offset < static_cast<std::uint64_t>(size);) {
        std::uint8_t* out = bytes != nullptr ? bytes->data() + offset : block.data();
        const std::size_t want
            = static_cast<std::size_t>(std::min<std::uint64_t>(BlockSize, static_cast<std::uint64_t>(size) - offset));
        const std::size_t got = file.ReadBlock(offset, out, want);
        if (got == 0)
            return false;
        crc = AddCrc32(crc, out, got);
        if (sha1 != nullptr)
            sha1->Add(out, got);
        offset += got;
    }
    digest.Size = static_cast<std::uint64_t>(size);
    digest.Crc32 = crc;
    if (sha1 != nullptr)
        digest.Sha1 = sha1->HexDigest();
    return true;
}

} // namespace zarnith

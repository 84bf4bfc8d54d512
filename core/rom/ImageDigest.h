#pragma once

#include "rom/Progress.h"
#include "rom/RomFile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zarnith {

// A hash the core has no library for (SHA-1): the front end supplies it, and the core feeds it
// the blocks it reads anyway, so that a file is read once for all its digests.
class Hasher
{
public:
    virtual ~Hasher() = default;
    virtual void Reset() = 0;
    virtual void Add(const std::uint8_t* bytes, std::size_t size) = 0;
    // The digest of everything added since Reset, in lower-case hex.
    virtual std::string HexDigest() = 0;
};

struct ImageDigest
{
    std::uint64_t Size = 0;
    std::uint32_t Crc32 = 0;
    std::string Sha1; // lower-case hex; empty when no hasher was given
};

// Images are read in blocks of this size: large enough to read fast, small enough to stay in a
// cache while each block is hashed and compared.
inline constexpr std::size_t ImageBlockSize = std::size_t { 1 } << 20;

// zlib's CRC32 of bytes, and of what crc was taken over followed by bytes.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);
std::uint32_t AddCrc32(std::uint32_t crc, std::span<const std::uint8_t> bytes);

// Reads the whole file from its start, once, block by block: its size and CRC32 into digest,
// and its SHA-1 through sha1. False when the file cannot be read to the end of the size it had
// when reading began, or when progress (told after each block) asks to stop.
bool DigestImage(RomFile& file, ImageDigest& digest, Hasher& sha1, const ProgressCallback& progress = nullptr);

} // namespace zarnith

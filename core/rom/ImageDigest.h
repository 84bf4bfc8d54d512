#pragma once

#include "rom/RomFile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

// zlib's CRC32 of bytes.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// Reads the whole file from its start, once, in 1 MiB blocks: its size and CRC32 into digest,
// its SHA-1 through sha1 when given, and its bytes into *bytes when given. False when the file
// cannot be read to the end of the size it had when reading began.
bool DigestImage(RomFile& file, ImageDigest& digest, Hasher* sha1, std::vector<std::uint8_t>* bytes);

} // namespace zarnith

#pragma once

#include "RomBuilder.h"

#include <string>
#include <string_view>
#include <vector>

namespace zarnith::testing {

// A pair of synthetic images as hackers make patches of them: the unmodified image and the
// hack. Both carry Fire Red's header, move names and table (RomImage::For), so the program
// opens them; everything else is a pseudo-image: code-like bytes holding 32-bit pointers into the
// image (words 0x08xxxxxx every few bytes), text-like strings, data of every value, and 0xFF free
// space in the last quarter.
struct HackPair
{
    std::string Name;
    Bytes Source;
    Bytes Target;
};

// The pairs, by name, in the order the benchmark reports them.
std::vector<std::string_view> HackPairNames();
// One pair, from an unmodified image of size bytes (at least 4 MiB; the full pairs use 16 MiB,
// the one of 32 MiB images twice that): the same bytes for the same name and size everywhere.
HackPair MakeHackPair(std::string_view name, std::size_t size);

} // namespace zarnith::testing

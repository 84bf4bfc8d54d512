#include "rom/BpsPatch.h"
#include "BpsReader.h"

#include <gtest/gtest.h>

#include <string_view>

namespace zarnith {
namespace {

using testing::ApplyBps;
using testing::Bytes;

Bytes Of(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// The format's own small cases, byte for byte.
TEST(BpsPatch, PublishedCases)
{
    const struct
    {
        std::string_view Source, Target;
        Bytes Patch;
    } cases[] = {
        { "", "A",
            { 0x42, 0x50, 0x53, 0x31, 0x80, 0x81, 0x80, 0x81, 0x41, 0x00, 0x00, 0x00, 0x00, 0x8B, 0x9E, 0xD9, 0xD3,
                0xE7, 0xF8, 0xC3, 0x4F } },
        { "ABCD", "ABXD",
            { 0x42, 0x50, 0x53, 0x31, 0x84, 0x84, 0x80, 0x84, 0x81, 0x58, 0x80, 0xA5, 0x20, 0x17, 0xDB, 0x3F, 0xEB,
                0x21, 0x72, 0xEE, 0xAA, 0x9C, 0x24 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Target);
        EXPECT_EQ(MakeBpsPatch(Of(c.Source), Of(c.Target)), c.Patch);
        EXPECT_EQ(ApplyBps(Of(c.Source), c.Patch), Of(c.Target));
    }
}

// Synthetic images as hacks change them: scattered edits, a grown image with free space and new
// data, and a shrunk one. The patch rebuilds the target exactly, stays small where the change is
// small, and is refused by any other source.
TEST(BpsPatch, RoundTripsSyntheticImages)
{
    constexpr std::size_t MiB = std::size_t { 1 } << 20;
    const struct
    {
        const char* Name;
        std::size_t SourceSize, TargetSize, MaxPatch;
    } cases[] = {
        { "16 MiB edited", 16 * MiB, 16 * MiB, 4096 },
        { "16 MiB grown to 32 MiB", 16 * MiB, 32 * MiB, 8192 },
        { "32 MiB edited", 32 * MiB, 32 * MiB, 4096 },
        { "32 MiB cut to 16 MiB", 32 * MiB, 16 * MiB, 4096 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Bytes source(c.SourceSize);
        std::uint32_t seed = 20261208;
        for (std::uint8_t& byte : source) {
            seed = seed * 1664525u + 1013904223u;
            byte = static_cast<std::uint8_t>(seed >> 24);
        }
        Bytes target = source;
        target.resize(c.TargetSize, 0xFF);
        for (std::size_t at = 0; at < c.SourceSize && at < c.TargetSize; at += 1234567)
            target[at] ^= 0x5A;
        target.at(c.TargetSize - 1) ^= 1;
        for (std::size_t at = c.SourceSize; at + 300 < c.TargetSize; at += 3 * MiB) // a hack's new data
            std::fill_n(target.begin() + static_cast<std::ptrdiff_t>(at), 300, static_cast<std::uint8_t>(at >> 20));

        const Bytes patch = MakeBpsPatch(source, target);
        EXPECT_LE(patch.size(), c.MaxPatch);
        EXPECT_EQ(ApplyBps(source, patch), target);
        source[source.size() / 2] ^= 1;
        EXPECT_EQ(ApplyBps(source, patch), std::nullopt);
    }
}

} // namespace
} // namespace zarnith

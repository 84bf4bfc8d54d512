#include "rom/BpsPatch.h"
#include "BpsReader.h"
#include "HackPairs.h"
#if ZARNITH_HAVE_MGBA
#include "MgbaApply.h"
#endif

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string_view>

namespace zarnith {
namespace {

using testing::ApplyBps;
using testing::Bytes;

// Every applier a patch must pass: the tests' own reader, and mGBA's where it is installed.
const std::vector<std::pair<const char*, std::function<std::optional<Bytes>(const Bytes&, const Bytes&)>>> Appliers = {
    { "reader", testing::ApplyBps },
#if ZARNITH_HAVE_MGBA
    { "mGBA", testing::ApplyWithMgba },
#endif
};

// The format's own small cases, byte for byte.
TEST(BpsPatch, PublishedCases)
{
    const std::pair<std::string_view, std::string_view> cases[][2] = {
        { { "", "A" }, { "42 50 53 31 80 81 80 81 41 00 00 00 00 8B 9E D9 D3 E7 F8 C3 4F", "" } },
        { { "ABCD", "ABXD" }, { "42 50 53 31 84 84 80 84 81 58 80 A5 20 17 DB 3F EB 21 72 EE AA 9C 24", "" } },
    };
    for (const auto& c : cases) {
        const Bytes source(c[0].first.begin(), c[0].first.end());
        const Bytes target(c[0].second.begin(), c[0].second.end());
        Bytes expected;
        std::istringstream hex { std::string(c[1].first) };
        for (unsigned byte = 0; hex >> std::hex >> byte;)
            expected.push_back(static_cast<std::uint8_t>(byte));
        EXPECT_EQ(MakeBpsPatch(source, target), expected) << c[0].second;
        for (const auto& [name, apply] : Appliers)
            EXPECT_EQ(apply(source, expected), target) << name;
    }
}

// Synthetic images as hacks change them: scattered edits, grown with free space and new data,
// cut short. The patch rebuilds the target exactly, stays small where the change is small, and
// is refused by any other source.
TEST(BpsPatch, RoundTripsSyntheticImages)
{
    constexpr std::size_t MiB = std::size_t { 1 } << 20;
    const std::pair<std::size_t, std::size_t> sizes[]
        = { { 16 * MiB, 16 * MiB }, { 16 * MiB, 32 * MiB }, { 32 * MiB, 32 * MiB }, { 32 * MiB, 16 * MiB } };
    for (const auto& [from, to] : sizes) {
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
        Bytes source(from);
        std::uint32_t seed = 20261208;
        for (std::uint8_t& byte : source)
            byte = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
        Bytes target = source;
        target.resize(to, 0xFF);
        for (std::size_t at = 0; at < std::min(from, to); at += 1234567)
            target[at] ^= 0x5A;
        for (std::size_t at = from; at + 300 < to; at += 3 * MiB) // a hack's new data
            std::fill_n(target.begin() + static_cast<std::ptrdiff_t>(at), 300, static_cast<std::uint8_t>(at >> 20));
        target.at(to - 1) ^= 1;

        const Bytes patch = MakeBpsPatch(source, target);
        EXPECT_LE(patch.size(), 8192u);
        EXPECT_EQ(ApplyBps(source, patch), target);
        source[from / 2] ^= 1;
        EXPECT_EQ(ApplyBps(source, patch), std::nullopt);
    }
}

// The hack pairs, from 4 MiB images: every patch rebuilds the hack in every applier and is refused
// by each with one byte changed; table-only edits stay within the few bytes they need, and pairs
// of moved data come to a small part of the bytes that differ. Progress comes in order to the
// end, and a patch stopped on the way is not made.
TEST(BpsPatch, HackPairsRoundTrip)
{
    const std::pair<std::string_view, std::size_t> largest[] = { { "revisions", 60000 }, { "sister-games", 100000 },
        { "other-language", 130000 }, { "inserted-64KiB", 170000 }, { "inserted-32MiB", 260000 },
        { "scattered-edits", 1281 }, { "names-moved", 300 }, { "table-moved", 70 }, { "grown-32MiB", 800000 } };
    ASSERT_EQ(std::size(largest), testing::HackPairNames().size());
    for (const auto& [name, most] : largest) {
        SCOPED_TRACE(name);
        const testing::HackPair pair = testing::MakeHackPair(name, 4u << 20);
        std::uint64_t told = 0;
        const auto patch = MakeBpsPatch(pair.Source, pair.Target, [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_GE(done, told);
            EXPECT_EQ(total, pair.Source.size() + pair.Target.size());
            told = done;
            return true;
        });
        ASSERT_TRUE(patch);
        EXPECT_EQ(told, pair.Source.size() + pair.Target.size());
        EXPECT_LE(patch->size(), most);
        Bytes corrupt = *patch;
        corrupt[corrupt.size() / 2] ^= 0x10;
        for (const auto& [applier, apply] : Appliers) {
            EXPECT_EQ(apply(pair.Source, *patch), pair.Target) << applier;
            EXPECT_EQ(apply(pair.Source, corrupt), std::nullopt) << applier;
        }
        EXPECT_EQ(MakeBpsPatch(pair.Source, pair.Target, [](std::uint64_t done, std::uint64_t) { return done == 0; }),
            std::nullopt);
    }
}

} // namespace
} // namespace zarnith

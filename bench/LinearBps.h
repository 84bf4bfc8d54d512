#pragma once
// The BPS writer the program had before it matched moved data: SourceRead where the source holds
// the same bytes at the same offset, TargetRead for the rest, TargetCopy for runs of one byte of
// 16 or more within each 1 MiB block. Kept here only to report how much smaller patches are now;
// only the patch's size is computed.

#include <algorithm>
#include <cstdint>
#include <span>

namespace zarnith::bench {

inline std::uint64_t NumberSize(std::uint64_t value)
{
    std::uint64_t size = 1;
    for (value >>= 7; value != 0; value = (value - 1) >> 7)
        ++size;
    return size;
}

// The size of the patch the linear writer makes from source to target.
inline std::uint64_t LinearPatchSize(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
{
    constexpr std::uint64_t Block = 1 << 20;
    std::uint64_t size = 4 + NumberSize(source.size()) + NumberSize(target.size()) + 1 + 12;
    std::uint64_t sourceRun = 0;
    std::uint64_t literal = 0;
    std::uint64_t copyFrom = 0;
    auto command = [&](std::uint64_t length) { size += NumberSize((length - 1) << 2); };
    auto flush = [&] {
        if (sourceRun > 0)
            command(sourceRun);
        sourceRun = 0;
        if (literal > 0) {
            command(literal);
            size += literal;
        }
        literal = 0;
    };
    for (std::uint64_t block = 0; block < target.size(); block += Block) {
        const std::uint64_t end = std::min<std::uint64_t>(target.size(), block + Block);
        const std::uint64_t common = std::clamp<std::uint64_t>(source.size(), block, end);
        std::uint64_t pending = block; // changed bytes from here on
        auto take = [&](std::uint64_t to) {
            if (to > pending) {
                if (sourceRun > 0)
                    flush();
                literal += to - pending;
            }
        };
        for (std::uint64_t at = block; at < end;) {
            std::uint64_t same = 0;
            while (at + same < common && source[at + same] == target[at + same])
                ++same;
            if (same >= 2 || (same > 0 && at + same == target.size())) {
                take(at);
                if (literal > 0)
                    flush();
                sourceRun += same;
                at += same;
                pending = at;
                continue;
            }
            std::uint64_t repeat = 1;
            while (at + repeat < end && target[at + repeat] == target[at])
                ++repeat;
            if (repeat >= 16) {
                take(at + 1);
                flush();
                command(repeat - 1);
                size += NumberSize(at >= copyFrom ? (at - copyFrom) << 1 : ((copyFrom - at) << 1) | 1);
                copyFrom = at + repeat - 1;
                at += repeat;
                pending = at;
                continue;
            }
            ++at;
        }
        take(end);
    }
    flush();
    return size;
}

} // namespace zarnith::bench

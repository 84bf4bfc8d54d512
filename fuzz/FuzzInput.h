#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zarnith::fuzz {

using Bytes = std::vector<std::uint8_t>;

// One fuzz case, decoded from the fuzzer's bytes:
//   [0] game: index into the supported games, or RawGame: the rest of the input is the whole file
//   [1..2] answers to the repair questions, one bit each, lowest first
//   [3] cut: 0 keeps the whole image; 1..40 ends it inside or around the table; 41..255 inside the names
//   [4] number of edits (mod 16), then three bytes per edit: operation, entry, move
//   then a little-endian 16-bit length and that many bytes placed at the names offset,
//   then up to 32 bytes placed at the table offset.
struct FuzzCase
{
    static constexpr std::uint8_t RawGame = 11;
    struct Edit
    {
        std::uint8_t Operation, Entry, Move;
    };

    std::uint8_t Game = RawGame;
    std::uint16_t Answers = 0;
    std::uint8_t Cut = 0;
    std::vector<Edit> Edits;
    Bytes Names;
    Bytes Table;
    Bytes Raw;
};

inline FuzzCase Decode(const std::uint8_t* data, std::size_t size)
{
    FuzzCase c;
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
    c.Game = static_cast<std::uint8_t>(next() % 12);
    if (c.Game == FuzzCase::RawGame) {
        c.Raw.assign(data + at, data + size);
        return c;
    }
    c.Answers = static_cast<std::uint16_t>(next() | next() << 8);
    c.Cut = next();
    for (int n = next() % 16; n > 0; --n)
        c.Edits.push_back({ next(), next(), next() });
    std::size_t length = next();
    length |= static_cast<std::size_t>(next()) << 8;
    length = std::min(length, size - std::min(at, size));
    c.Names.assign(data + at, data + at + length);
    at += length;
    c.Table.assign(data + at, data + std::min(size, at + 32));
    return c;
}

inline Bytes Encode(const FuzzCase& c)
{
    Bytes out { c.Game };
    if (c.Game == FuzzCase::RawGame) {
        out.insert(out.end(), c.Raw.begin(), c.Raw.end());
        return out;
    }
    out.push_back(static_cast<std::uint8_t>(c.Answers & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c.Answers >> 8));
    out.push_back(c.Cut);
    out.push_back(static_cast<std::uint8_t>(c.Edits.size()));
    for (const FuzzCase::Edit& e : c.Edits)
        out.insert(out.end(), { e.Operation, e.Entry, e.Move });
    out.push_back(static_cast<std::uint8_t>(c.Names.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c.Names.size() >> 8));
    out.insert(out.end(), c.Names.begin(), c.Names.end());
    out.insert(out.end(), c.Table.begin(), c.Table.end());
    return out;
}

} // namespace zarnith::fuzz

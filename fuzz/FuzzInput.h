#pragma once

#include "rom/Games.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zarnith::fuzz {

using Bytes = std::vector<std::uint8_t>;

// One fuzz case, decoded from the fuzzer's bytes:
//   [0] game: index into the supported games, or RawGame: the rest of the input is the whole file
//   [1..2] answers to the repair questions, one bit each, lowest first
//   [3] cut: 0 keeps the whole image; 1..40 ends it inside or around the game's own table;
//       41..255 inside the names and the space after them
//   [4] where the table word points (TableWord), [5..6] a 16-bit value for it
//   [7] bit 0: the names word points at the moved area instead of the game's own list; else
//       bit 1: it points one slot past the game's own list (a list not at its own place, whose
//       length is counted)
//   [8] bytes of 0xFF after the moved area, in sixteens
//   [9] bit 0: confirm a move or growth; bit 1: overwrite a change; bit 2: reopen after the
//       saves; bit 3: another program's change before the first save rather than the second;
//       bits 4..6: the link of the game's path from its battle loop to the table word that is
//       changed (PathChange), by the value of [5..6]; bit 7: one byte of the four stretches of
//       the game's code on that path changed too, by the same value
//   [10..11] another program's change between saves (ChangeKind, value); [12..13] its change
//       while the first save's first question is open
//   [14] the first save's failing write: bit 7 set, the sync of write n fails (n = low 2 bits);
//       clear, write n (low 2 bits) stops after bits 2..6 of its bytes
//   [15] number of edits (mod 16), then three bytes per edit: operation, entry, move
//   then a little-endian 16-bit length and that many bytes placed at the names list (move 0's
//   slot), then up to 32 bytes placed at the game's own table, then the rest (up to 1024
//   bytes) at the moved area between the names and the table.
struct FuzzCase
{
    static constexpr std::uint8_t RawGame = static_cast<std::uint8_t>(SupportedGames.size());
    enum TableWord : std::uint8_t { Own, Moved, Arbitrary, NearOwn, TableWordKinds };
    // The game's path as built: intact; the five words pointing at the moved area (its first
    // word then command 0); one word pointing past the command table; command 0 starting with
    // the value then `bx r1`; the BL's second half from the value; the ability effects as
    // command 0; the ldr of the table word replaced by the value; the five words pointing at
    // 1 KiB times the value.
    enum PathChange : std::uint8_t {
        PathIntact,
        WordsToMovedArea,
        OneWordOff,
        Command0Start,
        CallTarget,
        AbilityEffectsStart,
        LoadReplaced,
        WordsAnywhere
    };
    // Another program's change: a pair of the table's place, the game's word, bytes after the
    // place, bytes near what a question names, or the file cut inside the place.
    enum ChangeKind : std::uint8_t {
        NoChange,
        ChangePair,
        ChangeWord,
        ChangeAfter,
        ChangeNamed,
        ChangeCut,
        ChangeKinds
    };
    struct Change
    {
        std::uint8_t Kind = NoChange, Value = 0;
    };
    struct Edit
    {
        std::uint8_t Operation, Entry, Move;
    };

    std::uint8_t Game = RawGame;
    std::uint16_t Answers = 0;
    std::uint8_t Cut = 0;
    std::uint8_t Word = Own;
    std::uint16_t WordValue = 0;
    std::uint8_t NamesMoved = 0;
    std::uint8_t FreeSixteens = 0;
    std::uint8_t Flags = 0;
    Change Between, During;
    std::uint8_t Failure = 0;
    std::vector<Edit> Edits;
    Bytes Names;
    Bytes Table;
    Bytes MovedArea;
    Bytes Raw;
};

inline FuzzCase Decode(const std::uint8_t* data, std::size_t size)
{
    FuzzCase c;
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
    c.Game = static_cast<std::uint8_t>(next() % (FuzzCase::RawGame + 1));
    if (c.Game == FuzzCase::RawGame) {
        c.Raw.assign(data + std::min(at, size), data + size);
        return c;
    }
    c.Answers = static_cast<std::uint16_t>(next() | next() << 8);
    c.Cut = next();
    c.Word = static_cast<std::uint8_t>(next() % FuzzCase::TableWordKinds);
    c.WordValue = static_cast<std::uint16_t>(next() | next() << 8);
    c.NamesMoved = next() & 3;
    c.FreeSixteens = next();
    c.Flags = next();
    for (FuzzCase::Change* change : { &c.Between, &c.During }) {
        change->Kind = static_cast<std::uint8_t>(next() % FuzzCase::ChangeKinds);
        change->Value = next();
    }
    c.Failure = next();
    for (int n = next() % 16; n > 0; --n)
        c.Edits.push_back({ next(), next(), next() });
    std::size_t length = next();
    length |= static_cast<std::size_t>(next()) << 8;
    at = std::min(at, size);
    length = std::min(length, size - at);
    c.Names.assign(data + at, data + at + length);
    at += length;
    std::size_t table = std::min<std::size_t>(32, size - at);
    c.Table.assign(data + at, data + at + table);
    at += table;
    c.MovedArea.assign(data + at, data + std::min(size, at + 1024));
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
    out.push_back(c.Word);
    out.push_back(static_cast<std::uint8_t>(c.WordValue & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c.WordValue >> 8));
    out.push_back(c.NamesMoved);
    out.push_back(c.FreeSixteens);
    out.push_back(c.Flags);
    out.insert(out.end(), { c.Between.Kind, c.Between.Value, c.During.Kind, c.During.Value, c.Failure });
    out.push_back(static_cast<std::uint8_t>(c.Edits.size()));
    for (const FuzzCase::Edit& e : c.Edits)
        out.insert(out.end(), { e.Operation, e.Entry, e.Move });
    out.push_back(static_cast<std::uint8_t>(c.Names.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c.Names.size() >> 8));
    out.insert(out.end(), c.Names.begin(), c.Names.end());
    Bytes table = c.Table;
    table.resize(32, 0x00);
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), c.MovedArea.begin(), c.MovedArea.end());
    return out;
}

} // namespace zarnith::fuzz

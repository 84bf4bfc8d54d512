#include "HackPairs.h"

#include "rom/Games.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace zarnith::testing {

namespace {

const GameInfo& Game = SupportedGames[3];
// Hack operations stay past the game's names and table, which the program looks for.
constexpr std::uint32_t EditFrom = 0x260000;
constexpr std::uint32_t Pointer = 0x08000000;

class Random
{
public:
    explicit Random(std::uint32_t seed)
        : m_state(seed)
    {
    }
    std::uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    // A number from low up to and without high.
    std::uint32_t In(std::uint32_t low, std::uint32_t high) { return low + Next() % (high - low); }

private:
    std::uint32_t m_state;
};

struct Segment
{
    std::uint32_t At;
    std::uint32_t Length;
};

// A change of the bytes from At on, Length of them, to Bytes; what follows moves with it.
struct Splice
{
    std::uint32_t At;
    std::uint32_t Length;
    Bytes With;
};

struct Image
{
    Bytes Data;
    std::vector<std::uint32_t> Pointers; // offsets of the pointer words, in order
    std::vector<Segment> Texts;
    std::uint32_t ContentEnd = 0; // free space from here on
};

void PutWord(Bytes& data, std::uint32_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t WordAt(const Bytes& data, std::uint32_t at)
{
    return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

// Thumb-like halfwords, and every few bytes a pointer word into the image's content.
Bytes Code(Random& random, std::uint32_t length, std::uint32_t contentEnd, std::vector<std::uint32_t>* pointers,
    std::uint32_t at)
{
    static constexpr std::array<std::uint8_t, 24> Operations = { 0x20, 0x21, 0x1C, 0x18, 0x68, 0x60, 0x88, 0x80, 0x49,
        0x48, 0x47, 0xB5, 0xBD, 0xD0, 0xD1, 0xE0, 0xF0, 0xF8, 0x42, 0x40, 0x30, 0x38, 0x70, 0x78 };
    Bytes code;
    code.reserve(length);
    std::uint32_t nextPointer = random.In(2, 10) * 4;
    while (code.size() + 4 <= length) {
        if (code.size() >= nextPointer && (at + code.size()) % 4 == 0) {
            if (pointers != nullptr)
                pointers->push_back(at + static_cast<std::uint32_t>(code.size()));
            const std::uint32_t word = Pointer + (random.In(0, contentEnd) & ~3u);
            for (int i = 0; i < 4; ++i)
                code.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
            nextPointer = static_cast<std::uint32_t>(code.size()) + random.In(2, 10) * 4;
            continue;
        }
        const std::uint32_t r = random.Next();
        code.push_back(static_cast<std::uint8_t>(r & 0x0F ? r >> 16 & 0xFF : r >> 4 & 0x07));
        code.push_back(Operations[(r >> 8) % Operations.size()]);
    }
    code.resize(length, 0x00);
    return code;
}

// Strings of words in the games' letters (0xBB up), a space between words (0x00), each string
// ended by 0xFF; the words from a dictionary of the language's own.
Bytes Text(Random& random, std::uint32_t length, std::uint32_t language)
{
    Bytes text;
    text.reserve(length + 16);
    while (text.size() < length) {
        const std::uint32_t words = random.In(2, 12);
        for (std::uint32_t w = 0; w < words; ++w) {
            Random word(random.In(0, 400) * 7919 + language * 104729);
            const std::uint32_t letters = word.In(2, 9) + language % 3;
            text.push_back(static_cast<std::uint8_t>(0xBB + word.In(0, 26)));
            for (std::uint32_t l = 1; l < letters; ++l)
                text.push_back(static_cast<std::uint8_t>(0xD5 + word.In(0, 26)));
            text.push_back(w + 1 < words ? 0x00 : 0xFF);
        }
    }
    return text;
}

Bytes Noise(Random& random, std::uint32_t length)
{
    Bytes bytes(length);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random.Next());
    return bytes;
}

// The unmodified image: the builder's game structures where the program finds them, code, text
// and data around them up to three quarters of size, free space after.
Image MakeImage(std::size_t size, std::uint32_t seed)
{
    if (size < (4u << 20))
        throw std::invalid_argument("hack pairs need images of at least 4 MiB");
    Image image;
    const RomImage game = RomImage::For(Game);
    image.Data.assign(size, 0xFF);
    image.ContentEnd = static_cast<std::uint32_t>(size / 4 * 3);
    const std::uint32_t list = Game.NamesAddress - RomBase;
    const Segment kept[] = { { 0, 0xC0 }, { Game.TableWordAt, 4 }, { Game.NamesWordAt, 4 },
        { list, Game.SoundMovesOffset + 0x100 - list }, { image.ContentEnd, 0 } };
    Random random(seed);
    std::uint32_t at = 0;
    for (const Segment& keep : kept) {
        while (at < keep.At) {
            const std::uint32_t kind = random.In(0, 10);
            const std::uint32_t length = std::min(keep.At - at, random.In(256, kind < 6 ? 8192 : 4096));
            const Bytes bytes = kind < 6 ? Code(random, length, image.ContentEnd, &image.Pointers, at)
                : kind < 8               ? Text(random, length, 0)
                : kind < 9               ? Noise(random, length)
                                         : Bytes(length, static_cast<std::uint8_t>(kind & 1 ? 0xFF : 0x00));
            if (kind >= 6 && kind < 8 && at >= EditFrom)
                image.Texts.push_back({ at, length });
            std::copy_n(bytes.begin(), length, image.Data.begin() + at);
            at += length;
        }
        std::copy_n(game.Data.begin() + keep.At, keep.Length, image.Data.begin() + keep.At);
        at += keep.Length;
    }
    // A code word that ran into a kept place is the game's, no pointer of the pseudo-image.
    std::erase_if(image.Pointers, [&](std::uint32_t p) {
        return std::any_of(
            std::begin(kept), std::end(kept), [p](const Segment& k) { return p + 4 > k.At && p < k.At + k.Length; });
    });
    return image;
}

// Applies the splices (in order, apart), moving what follows each and adding its change of length
// to every pointer past it, as a hack's tools relocate code; the image keeps its size, its free
// space giving or taking the difference.
void Apply(Image& image, std::vector<Splice> splices)
{
    std::sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) { return a.At < b.At; });
    std::vector<std::int64_t> shifts; // after each splice
    std::int64_t shift = 0;
    for (const Splice& s : splices) {
        shift += static_cast<std::int64_t>(s.With.size()) - s.Length;
        shifts.push_back(shift);
    }
    // Where an old offset is now; inside a splice, the splice's start.
    auto moved = [&](std::uint32_t offset, bool* inside) {
        auto after = std::upper_bound(
            splices.begin(), splices.end(), offset, [](std::uint32_t o, const Splice& s) { return o < s.At; });
        if (after == splices.begin())
            return static_cast<std::int64_t>(offset);
        const auto i = static_cast<std::size_t>(after - splices.begin() - 1);
        const Splice& s = splices[i];
        const std::int64_t before = i == 0 ? 0 : shifts[i - 1];
        if (offset < s.At + s.Length) {
            if (inside != nullptr)
                *inside = true;
            return s.At + before;
        }
        return offset + shifts[i];
    };
    Bytes data;
    data.reserve(image.Data.size() + 1024);
    std::uint32_t at = 0;
    for (const Splice& s : splices) {
        data.insert(data.end(), image.Data.begin() + at, image.Data.begin() + s.At);
        data.insert(data.end(), s.With.begin(), s.With.end());
        at = s.At + s.Length;
    }
    data.insert(data.end(), image.Data.begin() + at, image.Data.end());
    std::vector<std::uint32_t> pointers;
    for (std::uint32_t p : image.Pointers) {
        bool inside = false;
        const auto place = static_cast<std::uint32_t>(moved(p, &inside));
        if (inside)
            continue;
        const std::uint32_t target = WordAt(image.Data, p) - Pointer;
        PutWord(data, place, Pointer + static_cast<std::uint32_t>(moved(target, nullptr)));
        pointers.push_back(place);
    }
    image.Pointers = std::move(pointers);
    for (Segment& text : image.Texts)
        text.At = static_cast<std::uint32_t>(moved(text.At, nullptr));
    image.ContentEnd = static_cast<std::uint32_t>(image.ContentEnd + shift);
    data.resize(image.Data.size(), 0xFF);
    image.Data = std::move(data);
}

// Splices of count places past EditFrom, of the kinds asked for, at least gap bytes apart.
std::vector<Splice> Scattered(
    Random& random, const Image& image, std::uint32_t count, bool insertions, bool replacements, bool edits)
{
    std::vector<Splice> splices;
    const std::uint32_t span = (image.ContentEnd - EditFrom) / count;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t at = EditFrom + i * span + random.In(0, span / 2);
        const std::uint32_t kind = random.In(0, 3);
        if (insertions && kind == 0)
            splices.push_back({ at & ~3u, 0, Code(random, random.In(4, 128) * 4, image.ContentEnd, nullptr, 0) });
        else if (insertions && kind == 1)
            splices.push_back({ at & ~3u, random.In(4, 64) * 4, {} });
        else if (replacements)
            splices.push_back({ at, random.In(4, 600), Noise(random, random.In(4, 600)) });
        else if (edits)
            splices.push_back({ at, 1, { static_cast<std::uint8_t>(image.Data[at] ^ random.In(1, 256)) } });
    }
    return splices;
}

void Edit(Random& random, Image& image, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i)
        image.Data[random.In(EditFrom, image.ContentEnd)] ^= static_cast<std::uint8_t>(random.In(1, 256));
}

} // namespace

std::vector<std::string_view> HackPairNames()
{
    return { "revisions", "sister-games", "other-language", "inserted-64KiB", "inserted-32MiB", "scattered-edits",
        "names-moved", "table-moved", "grown-32MiB" };
}

HackPair MakeHackPair(std::string_view name, std::size_t size)
{
    const bool large = name == "inserted-32MiB";
    Image image = MakeImage(large ? 2 * size : size, 20261208);
    HackPair pair { std::string(name), image.Data, {} };
    Random random(static_cast<std::uint32_t>(name.size()) * 7 + 3);
    if (name == "revisions") {
        // A later revision: many small insertions and removals, everything past each moved.
        Apply(image, Scattered(random, image, 120, true, false, false));
        Edit(random, image, 200);
    } else if (name == "sister-games") {
        // Much of the same code, shifted in many small places, some of its data and text other.
        Apply(image, Scattered(random, image, 400, true, true, false));
        Edit(random, image, 500);
    } else if (name == "other-language") {
        // Every string past the game's own structures in other words, so of other lengths.
        std::vector<Splice> splices;
        for (const Segment& text : image.Texts)
            splices.push_back({ text.At, text.Length, Text(random, text.Length + random.In(0, text.Length / 4), 1) });
        Apply(image, std::move(splices));
        Edit(random, image, 100);
    } else if (name == "inserted-64KiB" || large) {
        const auto middle = static_cast<std::uint32_t>(image.ContentEnd / 2) & ~3u;
        Apply(image, { { middle, 0, Code(random, 64 * 1024, image.ContentEnd, nullptr, 0) } });
        Edit(random, image, 300);
    } else if (name == "scattered-edits") {
        Edit(random, image, 300);
        PutWord(image.Data, Game.SoundMovesOffset, 0x002D002C);
    } else if (name == "names-moved") {
        // The move-name list copied to free space and lengthened by 46, its word repointed.
        const std::uint32_t list = Game.NamesAddress - RomBase;
        const std::uint32_t place = image.ContentEnd + 0x1000;
        std::copy_n(image.Data.begin() + list, 355 * 13, image.Data.begin() + place);
        RomImage moved(0);
        moved.Data = std::move(image.Data);
        for (int id = 355; id <= 354 + 46; ++id)
            moved.Fill(place + id * 13, 13, 0x00).PutName(place, id, SyntheticName(id));
        moved.PutWord(Game.NamesWordAt, RomBase + place);
        image.Data = std::move(moved.Data);
    } else if (name == "table-moved") {
        // The sound-move table copied to free space, lengthened by ten moves, its word repointed.
        RomImage moved(0);
        moved.Data = std::move(image.Data);
        std::vector<std::uint16_t> table = SyntheticTable();
        for (std::uint16_t id = 101; id <= 110; ++id)
            table.push_back(id);
        const std::uint32_t place = image.ContentEnd + 0x1000;
        moved.PutTable(place, table).PutWord(Game.TableWordAt, RomBase + place);
        image.Data = std::move(moved.Data);
    } else if (name == "grown-32MiB") {
        // Grown to twice its size with free space, 1 MiB of new code and data in it.
        image.Data.resize(2 * size, 0xFF);
        const auto at = static_cast<std::uint32_t>(size + size / 8);
        const Bytes code = Code(random, 768 * 1024, image.ContentEnd, nullptr, 0);
        const Bytes data = Noise(random, 256 * 1024);
        std::copy(code.begin(), code.end(), image.Data.begin() + at);
        std::copy(data.begin(), data.end(), image.Data.begin() + at + code.size());
    } else {
        throw std::invalid_argument("no such pair: " + std::string(name));
    }
    pair.Target = std::move(image.Data);
    return pair;
}

} // namespace zarnith::testing

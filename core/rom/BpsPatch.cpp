#include "rom/BpsPatch.h"

#include "rom/ImageDigest.h"

#include <algorithm>
#include <cstring>

namespace zarnith {

namespace {

enum Action : std::uint64_t { SourceRead = 0, TargetRead = 1, TargetCopy = 3 };

// Runs of equal bytes this long or longer are read from the source even between changed bytes;
// a shorter one costs less carried in the patch than as an action of its own.
constexpr std::size_t MinSourceRun = 2;
// Runs of one byte this long or longer are copied from the byte before them.
constexpr std::size_t MinRepeatRun = 16;

class Writer
{
public:
    explicit Writer(std::size_t expected) { m_out.reserve(expected); }

    // The format's numbers: seven bits a byte, low bits first, the top bit set on the last byte,
    // and one taken off after each byte so that every number has one spelling.
    void Number(std::uint64_t value)
    {
        for (;;) {
            const auto low = static_cast<std::uint8_t>(value & 0x7F);
            value >>= 7;
            if (value == 0) {
                m_out.push_back(static_cast<std::uint8_t>(0x80 | low));
                return;
            }
            m_out.push_back(low);
            --value;
        }
    }
    void Command(Action action, std::uint64_t length) { Number(((length - 1) << 2) | action); }
    void Bytes(const std::uint8_t* bytes, std::size_t size) { m_out.insert(m_out.end(), bytes, bytes + size); }
    void Word(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    std::vector<std::uint8_t>& Out() { return m_out; }

private:
    std::vector<std::uint8_t> m_out;
};

// How many bytes from at on a and b hold alike, up to end; eight at a time while they can.
std::size_t SameRun(const std::uint8_t* a, const std::uint8_t* b, std::size_t at, std::size_t end)
{
    std::size_t i = at;
    for (; i + 8 <= end; i += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            break;
    }
    while (i < end && a[i] == b[i])
        ++i;
    return i - at;
}

// How many bytes from at on are the byte at at, up to end.
std::size_t RepeatRun(const std::uint8_t* bytes, std::size_t at, std::size_t end)
{
    const std::uint8_t value = bytes[at];
    std::uint64_t pattern;
    std::memset(&pattern, value, 8);
    std::size_t i = at + 1;
    for (; i + 8 <= end; i += 8) {
        std::uint64_t x;
        std::memcpy(&x, bytes + i, 8);
        if (x != pattern)
            break;
    }
    while (i < end && bytes[i] == value)
        ++i;
    return i - at;
}

} // namespace

std::vector<std::uint8_t> MakeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
{
    return MakeBpsPatch(source, target, Crc32(source), Crc32(target));
}

std::vector<std::uint8_t> MakeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
    std::uint32_t sourceCrc32, std::uint32_t targetCrc32)
{
    const std::uint8_t* to = target.data();
    const std::size_t size = target.size();
    const std::size_t common = std::min(source.size(), size);

    Writer patch(64 * 1024);
    patch.Bytes(reinterpret_cast<const std::uint8_t*>("BPS1"), 4);
    patch.Number(source.size());
    patch.Number(size);
    patch.Number(0);

    // Changed bytes gather from literal on until an action of another kind is due.
    std::size_t literal = 0;
    std::size_t copyFrom = 0; // where the last TargetCopy left the format's target offset
    auto flushLiteral = [&](std::size_t at) {
        if (at > literal) {
            patch.Command(TargetRead, at - literal);
            patch.Bytes(to + literal, at - literal);
        }
    };
    for (std::size_t at = 0; at < size;) {
        const std::size_t same = at < common ? SameRun(source.data(), to, at, common) : 0;
        if (same >= MinSourceRun || (same > 0 && at + same == size)) {
            flushLiteral(at);
            patch.Command(SourceRead, same);
            at += same;
            literal = at;
            continue;
        }
        const std::size_t repeat = RepeatRun(to, at, size);
        if (repeat >= MinRepeatRun) {
            // The run's first byte goes with the changed bytes; the rest copy it, a byte at a time.
            flushLiteral(at + 1);
            const std::int64_t offset = static_cast<std::int64_t>(at) - static_cast<std::int64_t>(copyFrom);
            patch.Command(TargetCopy, repeat - 1);
            patch.Number((static_cast<std::uint64_t>(offset < 0 ? -offset : offset) << 1) | (offset < 0 ? 1 : 0));
            copyFrom = at + repeat - 1;
            at += repeat;
            literal = at;
            continue;
        }
        ++at;
    }
    flushLiteral(size);

    patch.Word(sourceCrc32);
    patch.Word(targetCrc32);
    patch.Word(Crc32(patch.Out()));
    return std::move(patch.Out());
}

} // namespace zarnith

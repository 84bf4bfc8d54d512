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
// Runs of one byte this long or longer copy the byte before them.
constexpr std::size_t MinRepeatRun = 16;

// How many bytes from at on a and b hold alike, up to end; in long strides while they can.
std::size_t SameRun(const std::uint8_t* a, const std::uint8_t* b, std::size_t at, std::size_t end)
{
    constexpr std::size_t Stride = 256;
    std::size_t i = at;
    while (i + Stride <= end && std::memcmp(a + i, b + i, Stride) == 0)
        i += Stride;
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

BpsPatchWriter::BpsPatchWriter(std::uint64_t sourceSize, std::uint64_t targetSize)
    : m_targetSize(targetSize)
{
    m_out.reserve(64 * 1024);
    m_out.insert(m_out.end(), { 'B', 'P', 'S', '1' });
    Number(sourceSize);
    Number(targetSize);
    Number(0);
}

// The format's numbers: seven bits a byte, low bits first, the top bit set on the last byte, and
// one taken off after each byte so that every number has one spelling.
void BpsPatchWriter::Number(std::uint64_t value)
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

void BpsPatchWriter::Command(std::uint64_t action, std::uint64_t length)
{
    Number(((length - 1) << 2) | action);
}

void BpsPatchWriter::FlushPending()
{
    if (m_sourceRun > 0)
        Command(SourceRead, m_sourceRun);
    m_sourceRun = 0;
    if (!m_literal.empty()) {
        Command(TargetRead, m_literal.size());
        m_out.insert(m_out.end(), m_literal.begin(), m_literal.end());
    }
    m_literal.clear();
}

void BpsPatchWriter::Add(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
{
    const std::uint8_t* to = target.data();
    const std::size_t size = target.size();
    const std::size_t common = std::min(source.size(), size);
    // Changed bytes from literal on are taken into m_literal when an action of another kind is
    // due, or the block ends.
    std::size_t literal = 0;
    auto takeLiteral = [&](std::size_t end) {
        if (end > literal) {
            if (m_sourceRun > 0)
                FlushPending();
            m_literal.insert(m_literal.end(), to + literal, to + end);
        }
    };
    for (std::size_t at = 0; at < size;) {
        // Each changed byte is looked at twice at most: whether the source's next bytes match, and
        // whether the next byte repeats it; only then are the runs measured.
        const std::size_t same = at < common && to[at] == source[at] ? SameRun(source.data(), to, at, common) : 0;
        if (same >= MinSourceRun || (same > 0 && m_at + at + same == m_targetSize)) {
            takeLiteral(at);
            if (!m_literal.empty())
                FlushPending();
            m_sourceRun += same;
            at += same;
            literal = at;
            continue;
        }
        const std::size_t repeat = at + 1 < size && to[at + 1] == to[at] ? RepeatRun(to, at, size) : 1;
        if (repeat >= MinRepeatRun) {
            // The run's first byte goes with the changed bytes; the rest copy it, a byte at a time.
            takeLiteral(at + 1);
            FlushPending();
            const std::uint64_t from = m_at + at;
            Command(TargetCopy, repeat - 1);
            Number(from >= m_copyFrom ? (from - m_copyFrom) << 1 : ((m_copyFrom - from) << 1) | 1);
            m_copyFrom = from + repeat - 1;
            at += repeat;
            literal = at;
            continue;
        }
        ++at;
    }
    takeLiteral(size);
    m_at += size;
}

std::vector<std::uint8_t> BpsPatchWriter::Finish(std::uint32_t sourceCrc32, std::uint32_t targetCrc32)
{
    FlushPending();
    auto word = [this](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            m_out.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    word(sourceCrc32);
    word(targetCrc32);
    word(Crc32(m_out));
    return std::move(m_out);
}

std::vector<std::uint8_t> MakeBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
{
    BpsPatchWriter writer(source.size(), target.size());
    writer.Add(source, target);
    return writer.Finish(Crc32(source), Crc32(target));
}

} // namespace zarnith

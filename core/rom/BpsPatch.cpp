#include "rom/BpsPatch.h"

#include "rom/DeltaMatcher.h"
#include "rom/ImageDigest.h"

namespace zarnith {

namespace {

enum Action : std::uint64_t { SourceReadAction = 0, TargetReadAction = 1, SourceCopyAction = 2, TargetCopyAction = 3 };

} // namespace

BpsPatchWriter::BpsPatchWriter(std::uint64_t sourceSize, std::uint64_t targetSize)
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

std::size_t BpsPatchWriter::NumberSize(std::uint64_t value)
{
    std::size_t size = 1;
    for (value >>= 7; value != 0; value = (value - 1) >> 7)
        ++size;
    return size;
}

// A copy's offset as the format gives it: the distance from where the last copy of its kind
// ended, doubled, with the low bit set when it goes back.
std::uint64_t BpsPatchWriter::Relative(std::uint64_t from, std::uint64_t last)
{
    return from >= last ? (from - last) << 1 : ((last - from) << 1) | 1;
}

void BpsPatchWriter::Command(std::uint64_t action, std::uint64_t length)
{
    Number(((length - 1) << 2) | action);
}

void BpsPatchWriter::SourceRead(std::uint64_t length)
{
    Command(SourceReadAction, length);
}

void BpsPatchWriter::TargetRead(std::span<const std::uint8_t> bytes)
{
    Command(TargetReadAction, bytes.size());
    m_out.insert(m_out.end(), bytes.begin(), bytes.end());
}

void BpsPatchWriter::SourceCopy(std::uint64_t length, std::uint64_t from)
{
    Command(SourceCopyAction, length);
    Number(Relative(from, m_sourceFrom));
    m_sourceFrom = from + length;
}

void BpsPatchWriter::TargetCopy(std::uint64_t length, std::uint64_t from)
{
    Command(TargetCopyAction, length);
    Number(Relative(from, m_targetFrom));
    m_targetFrom = from + length;
}

std::size_t BpsPatchWriter::SourceReadCost(std::uint64_t length)
{
    return CommandSize(length);
}

std::size_t BpsPatchWriter::SourceCopyCost(std::uint64_t length, std::uint64_t from) const
{
    return CommandSize(length) + NumberSize(Relative(from, m_sourceFrom));
}

std::size_t BpsPatchWriter::TargetCopyCost(std::uint64_t length, std::uint64_t from) const
{
    return CommandSize(length) + NumberSize(Relative(from, m_targetFrom));
}

std::vector<std::uint8_t> BpsPatchWriter::Finish(std::uint32_t sourceCrc32, std::uint32_t targetCrc32)
{
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
    // Nothing stops it but files too large for the matcher's offsets, which no cartridge is.
    return MakeBpsPatch(source, target, nullptr).value();
}

std::optional<std::vector<std::uint8_t>> MakeBpsPatch(
    std::span<const std::uint8_t> source, std::span<const std::uint8_t> target, const ProgressCallback& progress)
{
    BpsPatchWriter writer(source.size(), target.size());
    DeltaMatcher matcher(source, target);
    if (!matcher.Write(writer, progress))
        return std::nullopt;
    return writer.Finish(Crc32(source), Crc32(target));
}

} // namespace zarnith

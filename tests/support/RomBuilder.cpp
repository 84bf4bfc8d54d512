#include "RomBuilder.h"

#include "rom/GamePath.h"
#include "rom/ImageDigest.h"

#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarnith {

void PrintTo(const GameInfo& game, std::ostream* out)
{
    *out << game.Name;
}

} // namespace zarnith

namespace zarnith::testing {

namespace fs = std::filesystem;

namespace {

fs::path FromUtf8(std::string_view path)
{
    return fs::path(std::u8string(path.begin(), path.end()));
}

} // namespace

TempDir::TempDir()
{
    static std::atomic<int> counter { 0 };
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = fs::temp_directory_path() / ("zarnith-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(m_path);
}

std::string TempDir::File(std::string_view name) const
{
    const std::u8string path = (m_path / FromUtf8(name)).u8string();
    return std::string(path.begin(), path.end());
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Tests make files read-only; make them writable again so they can be removed.
    for (const auto& entry : fs::recursive_directory_iterator(m_path, ignored)) {
        if (entry.is_regular_file(ignored)) {
            const std::u8string path = entry.path().u8string();
            MakeWritable(std::string(path.begin(), path.end()));
        }
    }
    fs::remove_all(m_path, ignored);
}

Bytes Encode(std::string_view text)
{
    constexpr std::string_view Umlauts[] = { "Ä", "Ö", "Ü", "ä", "ö", "ü" };
    Bytes bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool umlaut = false;
        for (std::uint8_t k = 0; k < 6; ++k) {
            if (text.substr(i, 2) == Umlauts[k]) {
                bytes.push_back(static_cast<std::uint8_t>(0xF1 + k));
                ++i;
                umlaut = true;
            }
        }
        if (umlaut)
            continue;
        if (c >= 'A' && c <= 'Z')
            bytes.push_back(static_cast<std::uint8_t>(0xBB + (c - 'A')));
        else if (c >= 'a' && c <= 'z')
            bytes.push_back(static_cast<std::uint8_t>(0xD5 + (c - 'a')));
        else if (c >= '0' && c <= '9')
            bytes.push_back(static_cast<std::uint8_t>(0xA1 + (c - '0')));
        else if (c == ' ')
            bytes.push_back(0x00);
        else if (c == '-')
            bytes.push_back(0xAE);
        else if (c == '.')
            bytes.push_back(0xAD);
        else
            throw std::invalid_argument("no encoding for this character");
    }
    return bytes;
}

std::string SyntheticName(int id)
{
    return "Move" + std::to_string(id);
}

std::vector<std::uint16_t> SyntheticTable()
{
    return { 1, 17, 45, 100, 200, 255, 256, 300, 320, 354 };
}

RomImage::RomImage(std::size_t size)
    : Data(size, 0x00)
{
}

RomImage RomImage::For(const GameInfo& game, const std::vector<std::uint16_t>& table)
{
    RomImage image(game.SoundMovesOffset + 0x100);
    image.Header(game.Code, game.Revision);
    const std::size_t list = game.NamesAddress - RomBase;
    image.PutName(list, 0, "-");
    for (int id = 1; id <= 354; ++id)
        image.PutName(list, id, SyntheticName(id));
    image.PutWord(game.NamesWordAt, game.NamesAddress);
    image.PutWord(game.TableWordAt, RomBase + game.SoundMovesOffset);
    image.PutGamePath(game);
    return image.PutTable(game.SoundMovesOffset, table);
}

RomImage& RomImage::PutGamePath(const GameInfo& game)
{
    const BattlePath* path = FindBattlePath(game);
    if (path == nullptr)
        return *this;
    constexpr std::uint16_t SaveRegisters = 0xB5F0; // push {r4-r7, lr}
    for (std::uint32_t at : path->CommandWordsAt)
        PutWord(at, path->CommandTable);
    PutWord(path->CommandTable - RomBase, path->FirstCommand);
    PutHalfword(path->FirstCommand - 1 - RomBase, SaveRegisters);
    PutHalfword(path->AbilityEffects - RomBase, SaveRegisters);
    const std::vector<std::uint16_t> call = ThumbCall(RomBase + path->CallAt, path->AbilityEffects);
    PutHalfword(path->CallAt, call[0]).PutHalfword(path->CallAt + 2, call[1]);
    PutHalfword(path->TableLoadAt, ThumbLoad(RomBase + path->TableLoadAt, RomBase + game.TableWordAt));
    for (std::size_t i = 0; i < 4; ++i) {
        const CodeStretch stretch = CodeStretches(*path)[i];
        ForceCrc32({ Data.data() + stretch.Offset, stretch.Size }, StretchFiller, path->CodeCrc32[i]);
    }
    return *this;
}

void ForceCrc32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t crc)
{
    // CRC32 is affine in its input's bits: column[i] is what bit i of the four bytes adds, and
    // elimination over GF(2) finds the bits (combination) whose columns add up to what is wanted.
    const std::uint32_t base = Crc32(bytes);
    std::array<std::uint32_t, 32> column, combination;
    for (int i = 0; i < 32; ++i) {
        bytes[at + i / 8] ^= static_cast<std::uint8_t>(1 << i % 8);
        column[i] = Crc32(bytes) ^ base;
        bytes[at + i / 8] ^= static_cast<std::uint8_t>(1 << i % 8);
        combination[i] = std::uint32_t { 1 } << i;
    }
    for (int bit = 0; bit < 32; ++bit) {
        int pivot = bit;
        while ((column[pivot] >> bit & 1) == 0)
            ++pivot; // 32 bits in a row always reach every CRC: there is one
        std::swap(column[bit], column[pivot]);
        std::swap(combination[bit], combination[pivot]);
        for (int k = 0; k < 32; ++k) {
            if (k != bit && (column[k] >> bit & 1) != 0) {
                column[k] ^= column[bit];
                combination[k] ^= combination[bit];
            }
        }
    }
    std::uint32_t change = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if (((crc ^ base) >> bit & 1) != 0)
            change ^= combination[bit];
    }
    for (int i = 0; i < 4; ++i)
        bytes[at + i] ^= static_cast<std::uint8_t>(change >> 8 * i);
}

RomImage& RomImage::PutHalfword(std::size_t offset, std::uint16_t value)
{
    return Put(offset, { static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8) });
}

std::vector<std::uint16_t> ThumbCall(std::uint32_t from, std::uint32_t to)
{
    const std::uint32_t distance = (to - (from + 4)) >> 1;
    return { static_cast<std::uint16_t>(0xF000 | (distance >> 11 & 0x7FF)),
        static_cast<std::uint16_t>(0xF800 | (distance & 0x7FF)) };
}

std::uint16_t ThumbLoad(std::uint32_t from, std::uint32_t word, int rd)
{
    return static_cast<std::uint16_t>(0x4800 | rd << 8 | ((word - ((from + 4) & ~3u)) / 4 & 0xFF));
}

RomImage& RomImage::PutWord(std::size_t offset, std::uint32_t value)
{
    return Put(offset,
        { static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24) });
}

RomImage& RomImage::PutTable(std::size_t offset, const std::vector<std::uint16_t>& ids)
{
    for (std::uint16_t id : ids) {
        PutMove(offset, id);
        offset += 2;
    }
    return Put(offset, { 0xFF, 0xFF });
}

RomImage& RomImage::PutName(std::size_t list, int id, std::string_view text)
{
    Bytes name = Encode(text);
    name.push_back(0xFF);
    return Put(list + static_cast<std::size_t>(id) * NameSlotWidth, name);
}

RomImage& RomImage::PutMoveList(const GameInfo& game, std::size_t list, int count)
{
    PutName(list, 0, "-");
    for (int id = 1; id <= count; ++id)
        PutName(list, id, SyntheticName(id));
    return PutWord(game.NamesWordAt, static_cast<std::uint32_t>(RomBase + list));
}

RomImage& RomImage::Fill(std::size_t offset, std::size_t count, std::uint8_t value)
{
    return Put(offset, Bytes(count, value));
}

RomImage& RomImage::Header(std::string_view code, std::uint8_t revision)
{
    Put(GameCodeOffset, Bytes(code.begin(), code.end()));
    return Put(SoftwareVersionOffset, { revision });
}

RomImage& RomImage::Put(std::size_t offset, const Bytes& bytes)
{
    if (offset + bytes.size() > Data.size())
        Data.resize(offset + bytes.size(), 0x00);
    std::copy(bytes.begin(), bytes.end(), Data.begin() + static_cast<std::ptrdiff_t>(offset));
    return *this;
}

RomImage& RomImage::PutMove(std::size_t offset, std::uint16_t id)
{
    return Put(offset, { static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8) });
}

RomImage& RomImage::Resize(std::size_t size)
{
    Data.resize(size, 0x00);
    return *this;
}

std::string RomImage::WriteTo(const TempDir& dir, std::string_view name) const
{
    std::string path = dir.File(name);
    std::ofstream out(FromUtf8(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
    if (!out)
        throw std::runtime_error("cannot write test image");
    return path;
}

Bytes ReadAll(const std::string& path)
{
    // Only regular files: a FIFO would block and a directory has no bytes.
    std::error_code error;
    if (!fs::is_regular_file(FromUtf8(path), error))
        return {};
    std::ifstream in(FromUtf8(path), std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

#ifdef __linux__
namespace {

bool SetImmutable(const std::string& path, bool on)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace
#endif

bool MakeUnwritable(const std::string& path)
{
    std::error_code error;
    fs::permissions(FromUtf8(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, error);
    if (error)
        return false;
#ifdef __linux__
    if (::geteuid() == 0 && !SetImmutable(path, true))
        return false;
#endif
    std::ofstream probe(FromUtf8(path), std::ios::binary | std::ios::in | std::ios::out);
    return !probe.is_open();
}

void MakeWritable(const std::string& path)
{
#ifdef __linux__
    if (::geteuid() == 0)
        SetImmutable(path, false);
#endif
    std::error_code ignored;
    fs::permissions(FromUtf8(path), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ignored);
}

bool MakeFifo(const std::string& path)
{
#ifdef __linux__
    return ::mkfifo(path.c_str(), 0600) == 0;
#else
    (void)path;
    return false;
#endif
}

bool OpenFilesCanChange()
{
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}

bool MakeLink(const std::string& target, const std::string& link)
{
#ifdef _WIN32
    // Links need rights most Windows users lack.
    (void)target;
    (void)link;
    return false;
#else
    std::error_code error;
    fs::create_symlink(FromUtf8(target), FromUtf8(link), error);
    return !error;
#endif
}

int SetUmask(int mask)
{
#ifdef __linux__
    return static_cast<int>(::umask(static_cast<mode_t>(mask)));
#else
    (void)mask;
    return -1;
#endif
}

const char* DevicePath()
{
#ifdef _WIN32
    return nullptr;
#else
    return "/dev/zero";
#endif
}

} // namespace zarnith::testing

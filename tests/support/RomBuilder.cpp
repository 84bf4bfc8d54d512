#include "RomBuilder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace zarnith::testing {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    static std::atomic<int> counter { 0 };
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = fs::temp_directory_path() / ("zarnith-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Tests make files read-only; make them writable again so they can be removed.
    for (const auto& entry : fs::recursive_directory_iterator(m_path, ignored)) {
        if (entry.is_regular_file(ignored))
            MakeWritable(entry.path().string());
    }
    fs::remove_all(m_path, ignored);
}

Bytes Encode(std::string_view text)
{
    Bytes bytes;
    for (char c : text) {
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
    constexpr std::size_t NameWidth = 13;
    RomImage image(game.SoundMovesOffset + 0x100);
    image.Header(game.Code, game.Revision);
    for (int id = 1; id <= 354; ++id) {
        Bytes name = Encode(SyntheticName(id));
        name.push_back(0xFF);
        image.Put(game.MoveNamesOffset + (id - 1) * NameWidth, name);
    }
    std::size_t offset = game.SoundMovesOffset;
    for (std::uint16_t id : table) {
        image.PutMove(offset, id);
        offset += 2;
    }
    image.Put(offset, { 0xFF, 0xFF });
    return image;
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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
    if (!out)
        throw std::runtime_error("cannot write test image");
    return path;
}

Bytes ReadAll(const std::string& path)
{
    // Only regular files: a FIFO would block and a directory has no bytes.
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return {};
    std::ifstream in(path, std::ios::binary | std::ios::ate);
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
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, error);
    if (error)
        return false;
#ifdef __linux__
    if (::geteuid() == 0)
        return SetImmutable(path, true);
#endif
    return true;
}

void MakeWritable(const std::string& path)
{
#ifdef __linux__
    if (::geteuid() == 0)
        SetImmutable(path, false);
#endif
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ignored);
}

} // namespace zarnith::testing

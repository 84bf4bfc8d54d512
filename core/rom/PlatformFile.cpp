#include "rom/PlatformFile.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarnith {

namespace {

OpenError ErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return OpenError::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
        return OpenError::Permission;
    case EISDIR:
        return OpenError::NotRegularFile;
    default:
        return OpenError::Other;
    }
}

} // namespace

#ifdef _WIN32

namespace {

// The UTF-8 path as the wide string the system's wide calls take.
std::wstring WidePath(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end())).wstring();
}

} // namespace

OpenError OpenRegularFile(const std::string& path, FileHandle* handle)
{
    const std::wstring wide = WidePath(path);
    struct _stat64 info
    {
    };
    if (_wstat64(wide.c_str(), &info) != 0)
        return ErrorFromErrno(errno);
    if ((info.st_mode & _S_IFMT) != _S_IFREG)
        return OpenError::NotRegularFile;
    int fd = -1;
    if (_wsopen_s(&fd, wide.c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT, _SH_DENYWR, _S_IREAD | _S_IWRITE) != 0)
        return errno == EACCES ? OpenError::Permission : ErrorFromErrno(errno);
    if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        _close(fd);
        return OpenError::NotRegularFile;
    }
    *handle = fd;
    return OpenError::None;
}

bool CloseFile(FileHandle handle)
{
    return _close(handle) == 0;
}

long long ReadAt(FileHandle handle, std::uint64_t offset, std::uint8_t* buffer, std::size_t size)
{
    if (_lseeki64(handle, static_cast<__int64>(offset), SEEK_SET) < 0)
        return -1;
    return _read(handle, buffer, static_cast<unsigned>(size));
}

bool WriteAt(FileHandle handle, std::uint64_t offset, const std::uint8_t* bytes, std::size_t size)
{
    if (_lseeki64(handle, static_cast<__int64>(offset), SEEK_SET) < 0)
        return false;
    while (size > 0) {
        int written = _write(handle, bytes, static_cast<unsigned>(size));
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool SyncFile(FileHandle handle)
{
    return _commit(handle) == 0;
}

long long FileSize(FileHandle handle)
{
    struct _stat64 info
    {
    };
    return _fstat64(handle, &info) == 0 ? info.st_size : -1;
}

bool IsFileAtPath(FileHandle, const std::string& path)
{
    // The file is opened denying other writers, and Windows does not let an open file be
    // renamed or deleted without sharing that it was not opened with: a path that still
    // exists is the same file.
    struct _stat64 info
    {
    };
    return _wstat64(WidePath(path).c_str(), &info) == 0;
}

bool HasGraphicalSession()
{
    return true;
}

#else

OpenError OpenRegularFile(const std::string& path, FileHandle* handle)
{
    // Look before opening so that devices are never opened at all; check the opened descriptor
    // again in case the path was replaced in between. O_NONBLOCK keeps a FIFO swapped in at the
    // last moment from blocking the open; it has no effect on a regular file.
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return ErrorFromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return OpenError::NotRegularFile;
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return ErrorFromErrno(errno);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return OpenError::NotRegularFile;
    }
    *handle = fd;
    return OpenError::None;
}

bool CloseFile(FileHandle handle)
{
    return ::close(handle) == 0;
}

long long ReadAt(FileHandle handle, std::uint64_t offset, std::uint8_t* buffer, std::size_t size)
{
    for (;;) {
        ssize_t count = ::pread(handle, buffer, size, static_cast<off_t>(offset));
        if (count >= 0 || errno != EINTR)
            return count;
    }
}

bool WriteAt(FileHandle handle, std::uint64_t offset, const std::uint8_t* bytes, std::size_t size)
{
    while (size > 0) {
        ssize_t written = ::pwrite(handle, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        offset += static_cast<std::uint64_t>(written);
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool SyncFile(FileHandle handle)
{
    return ::fsync(handle) == 0;
}

long long FileSize(FileHandle handle)
{
    struct stat info
    {
    };
    return ::fstat(handle, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

bool IsFileAtPath(FileHandle handle, const std::string& path)
{
    struct stat opened
    {
    };
    struct stat named
    {
    };
    return ::fstat(handle, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

bool HasGraphicalSession()
{
#ifdef __APPLE__
    return true;
#else
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr
        || std::getenv("QT_QPA_PLATFORM") != nullptr;
#endif
}

#endif

} // namespace zarnith

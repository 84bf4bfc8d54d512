#include "rom/PlatformFile.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
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

OpenError OpenRegularFile(const std::string& path, std::FILE** file)
{
    struct _stat64 info
    {
    };
    if (_stat64(path.c_str(), &info) != 0)
        return ErrorFromErrno(errno);
    if ((info.st_mode & _S_IFMT) != _S_IFREG)
        return OpenError::NotRegularFile;
    std::FILE* opened = nullptr;
    if (fopen_s(&opened, path.c_str(), "r+b") != 0 || opened == nullptr)
        return ErrorFromErrno(errno);
    if (_fstat64(_fileno(opened), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(opened);
        return OpenError::NotRegularFile;
    }
    *file = opened;
    return OpenError::None;
}

bool SyncFile(std::FILE* file)
{
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

long long FileSize(std::FILE* file)
{
    struct _stat64 info
    {
    };
    if (_fstat64(_fileno(file), &info) != 0)
        return -1;
    return info.st_size;
}

bool IsFileAtPath(std::FILE*, const std::string& path)
{
    // Windows keeps an open file from being renamed or deleted unless it was opened to allow
    // that, which the C library does not do; a path that still exists is the same file.
    struct _stat64 info
    {
    };
    return _stat64(path.c_str(), &info) == 0;
}

#else

OpenError OpenRegularFile(const std::string& path, std::FILE** file)
{
    // Look before opening so that devices are never opened at all; check the opened descriptor
    // again in case the path was replaced in between. O_NONBLOCK keeps a FIFO swapped in at the
    // last moment from blocking the open.
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
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* opened = ::fdopen(fd, "r+b");
    if (opened == nullptr) {
        int error = errno;
        ::close(fd);
        return ErrorFromErrno(error);
    }
    *file = opened;
    return OpenError::None;
}

bool SyncFile(std::FILE* file)
{
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

long long FileSize(std::FILE* file)
{
    struct stat info
    {
    };
    if (::fstat(::fileno(file), &info) != 0)
        return -1;
    return static_cast<long long>(info.st_size);
}

bool IsFileAtPath(std::FILE* file, const std::string& path)
{
    struct stat opened
    {
    };
    struct stat named
    {
    };
    return ::fstat(::fileno(file), &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

#endif

} // namespace zarnith

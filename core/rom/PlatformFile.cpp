#include "rom/PlatformFile.h"

#include <cerrno>
#include <chrono>
#include <filesystem>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
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
    case ENAMETOOLONG:
        return OpenError::NameTooLong;
    default:
        return OpenError::Other;
    }
}

// The system's answers that mean writing is not allowed, as opposed to the file being absent.
bool WritingRefused(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Names to try for a new file beside path: in its folder, unlikely to be taken, and plainly
// belonging to it should one be left behind.
constexpr int NameAttempts = 100;

// The suffix adds at most this many bytes: a dot, nine digits, ".tmp".
constexpr std::size_t SuffixLength = 14;
// The longest file name the systems take (bytes on Linux, UTF-16 units on Windows, which are
// never more than the UTF-8 bytes).
constexpr std::size_t MaxNameLength = 255;

std::string NameBeside(const std::string& path, int attempt)
{
    const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    // A name the system took must have room for the suffix: a long one is cut, at the start of
    // a character.
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.find_last_of('/');
#endif
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t end = path.size();
    if (end - nameStart > MaxNameLength - SuffixLength) {
        end = nameStart + MaxNameLength - SuffixLength;
        while (end > nameStart && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80)
            --end;
    }
    return path.substr(0, end) + "." + std::to_string((now + static_cast<unsigned long long>(attempt)) % 1000000000ULL)
        + ".tmp";
}

std::filesystem::path FileSystemPath(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

} // namespace

std::string ResolveLinks(const std::string& path)
{
    // As many links in a row as the systems themselves follow.
    constexpr int MaxLinks = 40;
    std::filesystem::path at = FileSystemPath(path);
    std::error_code error;
    for (int i = 0; i < MaxLinks && std::filesystem::is_symlink(at, error); ++i) {
        std::filesystem::path target = std::filesystem::read_symlink(at, error);
        if (error)
            break;
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    const std::u8string resolved = at.u8string();
    return std::string(resolved.begin(), resolved.end());
}

#ifdef _WIN32

namespace {

// The UTF-8 path as the wide string the system's wide calls take.
std::wstring WidePath(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end())).wstring();
}

} // namespace

OpenError OpenRegularFile(const std::string& path, FileHandle* handle, bool* readOnly)
{
    const std::wstring wide = WidePath(path);
    struct _stat64 info
    {
    };
    // The C library may fail without asking the system: no older error may speak for it.
    SetLastError(0);
    if (_wstat64(wide.c_str(), &info) != 0) {
        // The C library tells a name longer than the system takes as a missing file.
        if (GetLastError() == ERROR_FILENAME_EXCED_RANGE)
            return OpenError::NameTooLong;
        return ErrorFromErrno(errno);
    }
    if ((info.st_mode & _S_IFMT) != _S_IFREG)
        return OpenError::NotRegularFile;
    int fd = -1;
    *readOnly = false;
    int error = _wsopen_s(&fd, wide.c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT, _SH_DENYWR, _S_IREAD | _S_IWRITE);
    if (WritingRefused(error)) {
        error = _wsopen_s(&fd, wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYWR, 0);
        *readOnly = error == 0;
    }
    if (error != 0)
        return error == EACCES ? OpenError::Permission : ErrorFromErrno(error);
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

bool IsFileAtPath(FileHandle handle, const std::string& path)
{
    // The same volume and file index: the same file, whatever the path says.
    auto opened = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
    BY_HANDLE_FILE_INFORMATION a {};
    if (opened == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(opened, &a))
        return false;
    // No access asked for, so no sharing mode of other openers stands in the way.
    HANDLE named = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION b {};
    const bool known = GetFileInformationByHandle(named, &b) != 0;
    CloseHandle(named);
    return known && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh
        && a.nFileIndexLow == b.nFileIndexLow;
}

OpenError CreateFileBeside(const std::string& path, FileHandle* handle, std::string* created)
{
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::string name = NameBeside(path, attempt);
        int fd = -1;
        const int error = _wsopen_s(&fd, WidePath(name).c_str(),
            _O_RDWR | _O_BINARY | _O_NOINHERIT | _O_CREAT | _O_EXCL, _SH_DENYWR, _S_IREAD | _S_IWRITE);
        if (error == EEXIST)
            continue;
        if (error != 0)
            return ErrorFromErrno(error);
        *handle = fd;
        *created = name;
        return OpenError::None;
    }
    return OpenError::Other;
}

bool MoveFileOver(const std::string& from, const std::string& to)
{
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        != 0;
}

bool RemoveFile(const std::string& path)
{
    return _wunlink(WidePath(path).c_str()) == 0;
}

bool HasGraphicalSession()
{
    return true;
}

bool HasConsoleOutput()
{
    // Qt's own rule for its command-line messages: a console, or handles given by the caller.
    if (GetConsoleWindow() != nullptr)
        return true;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESTDHANDLES) != 0;
}

#else

OpenError OpenRegularFile(const std::string& path, FileHandle* handle, bool* readOnly)
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
    constexpr int Flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDWR | Flags);
    *readOnly = false;
    // The system's own answer decides, so a file root may not write (immutable, or on a
    // read-only mount) opens for reading only as well.
    if (fd < 0 && WritingRefused(errno)) {
        fd = ::open(path.c_str(), O_RDONLY | Flags);
        *readOnly = fd >= 0;
    }
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

OpenError CreateFileBeside(const std::string& path, FileHandle* handle, std::string* created)
{
    struct stat target
    {
    };
    const bool replacing = ::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode);
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::string name = NameBeside(path, attempt);
        int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return ErrorFromErrno(errno);
        // The file it replaces keeps its permissions; a new one gets the usual ones.
        if (replacing)
            (void)::fchmod(fd, target.st_mode & 07777);
        *handle = fd;
        *created = name;
        return OpenError::None;
    }
    return OpenError::Other;
}

bool MoveFileOver(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return false;
    // The rename is done; syncing the folder only makes it durable, so its failure changes
    // nothing the caller could act on.
    std::string folder = std::filesystem::path(to).parent_path().string();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
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

bool HasConsoleOutput()
{
    return true;
}

#endif

#ifdef _WIN32

void* AllocateLarge(std::size_t size)
{
    return VirtualAlloc(nullptr, size == 0 ? 1 : size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreeLarge(void* memory, std::size_t)
{
    if (memory != nullptr)
        VirtualFree(memory, 0, MEM_RELEASE);
}

#else

void* AllocateLarge(std::size_t size)
{
    void* memory = mmap(nullptr, size == 0 ? 1 : size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(memory, size, MADV_HUGEPAGE); // a hint; without it the buffer is the same
#endif
    return memory;
}

void FreeLarge(void* memory, std::size_t size)
{
    if (memory != nullptr)
        munmap(memory, size == 0 ? 1 : size);
}

#endif

} // namespace zarnith

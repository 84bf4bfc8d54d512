#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

namespace zarnith {

// Why a file could not be opened for reading and writing.
enum class OpenError {
    None,
    Missing,
    Permission,
    NotRegularFile,
    NameTooLong, // the path or one of its names is longer than the system takes
    Other,
};

// A system file descriptor; the only platform-specific code is behind the functions below.
using FileHandle = int;
inline constexpr FileHandle NoFile = -1;

// Paths are UTF-8 on every platform; on Windows they are handed to the system as UTF-16.

// Opens an existing regular file for binary reading and writing: never creates, never
// truncates. Anything that is not a regular file (directory, FIFO, device, socket) is refused
// without being read, so a FIFO cannot block the caller. When the system refuses writing (a
// read-only file or file system, or no right to write) but allows reading, the file is opened
// for reading only and *readOnly is set. On success *handle is set.
OpenError OpenRegularFile(const std::string& path, FileHandle* handle, bool* readOnly);

// Creates a new, empty file for reading and writing in the folder of path, named after it (cut
// short where a long name leaves no room), with the permissions of the file at path if there is
// one. On success *handle and *created are set.
OpenError CreateFileBeside(const std::string& path, FileHandle* handle, std::string* created);

// The file path names, following symbolic links (a link to a link included) to the last; path
// itself when it is no link. A file written there keeps every link to it.
std::string ResolveLinks(const std::string& path);

// Puts the file at from in the place of to in one step, replacing any file there, and makes the
// change durable. Neither file may be open on Windows.
bool MoveFileOver(const std::string& from, const std::string& to);

bool RemoveFile(const std::string& path);

bool CloseFile(FileHandle handle);

// Reads up to size bytes at offset: the number read, 0 at the end of the file, -1 on failure.
long long ReadAt(FileHandle handle, std::uint64_t offset, std::uint8_t* buffer, std::size_t size);

// Writes all size bytes at offset; false if any could not be written.
bool WriteAt(FileHandle handle, std::uint64_t offset, const std::uint8_t* bytes, std::size_t size);

// Asks the system to put the file's data on disk.
bool SyncFile(FileHandle handle);

// Size of the open file, or -1 when it cannot be told.
long long FileSize(FileHandle handle);

// Whether path still names the open file (it was not renamed, replaced or removed since).
bool IsFileAtPath(FileHandle handle, const std::string& path);

// Whether a graphical session is there to show a window in (always true where the system
// itself is graphical).
bool HasGraphicalSession();

// Whether what the program writes to its standard output reaches someone: always, but for a
// Windows GUI program started without a console or redirected output, which can only speak
// through a message box.
bool HasConsoleOutput();

// Zeroed memory for a large buffer (the images a patch is made from, the matcher's index), given
// back with FreeLarge and its size; nullptr when there is not enough. On Linux it is asked for in
// huge pages where the system offers them: touching each small page of a fresh buffer first
// costs more than the work done on it.
void* AllocateLarge(std::size_t size);
void FreeLarge(void* memory, std::size_t size);

struct LargeFree
{
    std::size_t Size = 0;
    void operator()(void* memory) const noexcept { FreeLarge(memory, Size); }
};
template <class T> using LargeArray = std::unique_ptr<T[], LargeFree>;

// count zeroed elements; std::bad_alloc when there is not enough memory.
template <class T> LargeArray<T> NewLargeArray(std::size_t count)
{
    void* memory = AllocateLarge(count * sizeof(T));
    if (memory == nullptr)
        throw std::bad_alloc();
    return LargeArray<T>(static_cast<T*>(memory), LargeFree { count * sizeof(T) });
}

} // namespace zarnith

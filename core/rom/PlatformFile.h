#pragma once

#include <cstdio>
#include <string>

namespace zarnith {

// Why a file could not be opened for reading and writing.
enum class OpenError {
    None,
    Missing,
    Permission,
    NotRegularFile,
    Other,
};

// Opens an existing regular file for binary reading and writing ("r+b": never creates, never
// truncates). Anything that is not a regular file (directory, FIFO, device, socket) is refused
// without being read, so a FIFO cannot block the caller. On success *file is set.
OpenError OpenRegularFile(const std::string& path, std::FILE** file);

// Byte access without the stream lock: the stream is only ever used from one thread, and the
// locked calls cost more than the byte they move.
inline int GetByte(std::FILE* file)
{
#ifdef _WIN32
    return _getc_nolock(file);
#else
    return getc_unlocked(file);
#endif
}

inline int PutByte(int value, std::FILE* file)
{
#ifdef _WIN32
    return _putc_nolock(value, file);
#else
    return putc_unlocked(value, file);
#endif
}

// Flushes the stream and asks the system to put its data on disk.
bool SyncFile(std::FILE* file);

// Size of the file behind an open stream, or -1 when it cannot be told.
long long FileSize(std::FILE* file);

// Whether path still names the file behind the stream (it was not renamed, replaced or removed
// since it was opened).
bool IsFileAtPath(std::FILE* file, const std::string& path);

} // namespace zarnith

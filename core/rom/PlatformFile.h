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

// Flushes the stream and asks the system to put its data on disk.
bool SyncFile(std::FILE* file);

// Size of the file behind an open stream, or -1 when it cannot be told.
long long FileSize(std::FILE* file);

// Whether path still names the file behind the stream (it was not renamed, replaced or removed
// since it was opened).
bool IsFileAtPath(std::FILE* file, const std::string& path);

} // namespace zarnith

#pragma once

#include "rom/PlatformFile.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace zarnith {

// What ReadByte gives at the end of the file or on a failed stream.
inline constexpr int EndOfFile = -1;

// The one stream over an open ROM: binary, reading and writing through one shared position,
// never creating or truncating the file. A failed open, a read at the end of the file or a
// failed seek or write puts it in a failed state that lasts until the next Open: reads then
// give EndOfFile, TellGet gives nothing, and seeks and writes change nothing.
class RomFile
{
public:
    RomFile() = default;
    ~RomFile();
    RomFile(const RomFile&) = delete;
    RomFile& operator=(const RomFile&) = delete;

    // Closes any file already open, then opens path with a clear state.
    OpenError Open(const std::string& path);
    bool IsOpen() const { return m_file != nullptr; }
    // Writes out what is buffered and closes; false when that did not fully succeed.
    bool Close();
    bool Failed() const { return m_failed; }

    void SeekGet(std::uint32_t offset);
    std::optional<std::uint32_t> TellGet();
    // A byte 0..255, or EndOfFile.
    int ReadByte();

    void SeekPut(std::uint32_t offset);
    bool WriteByte(std::uint8_t value);

    // Hands buffered bytes to the system; false on a failed stream or a failed write.
    bool Flush();
    // Flush, then make the bytes durable on disk.
    bool Sync();
    // Current size of the open file, or -1.
    long long Size() const;
    // Whether the path it was opened from still names the open file.
    bool StillAtPath() const;

    // Bytes handed out by ReadByte since the last Open (diagnostics and tests).
    std::uint64_t BytesRead() const { return m_bytesRead; }

private:
    enum class LastAccess { None, Read, Write };

    void Seek(std::uint32_t offset);
    void SwitchTo(LastAccess access);

    std::FILE* m_file = nullptr;
    std::string m_path;
    bool m_failed = true;
    LastAccess m_last = LastAccess::None;
    std::uint64_t m_bytesRead = 0;
};

} // namespace zarnith

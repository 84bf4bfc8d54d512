#pragma once

#include "rom/PlatformFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zarnith {

// What ReadByte gives at or past the end of the file, or when the file cannot be read.
inline constexpr int EndOfFile = -1;

// The one stream over an open ROM: binary, reading and writing through one shared position,
// never creating or truncating the file. The end of the file and a failed write are separate
// events: a read at the end gives EndOfFile and changes nothing else, so the next seek reads on
// as before; a write that fails is reported by Flush or Sync, its bytes are dropped and what was
// read ahead is forgotten, since the file's contents there are no longer known.
//
// Reads are buffered in small pieces, so opening a ROM reads a few kilobytes of it, not
// megabytes; writes are held until Flush, Sync or Close.
class RomFile
{
public:
    RomFile() = default;
    ~RomFile();
    RomFile(const RomFile&) = delete;
    RomFile& operator=(const RomFile&) = delete;

    // Closes any file already open, then opens path with a clear state: for reading and writing,
    // or for reading only when the system refuses writing (see ReadOnly).
    OpenError Open(const std::string& path);
    // Closes any file already open, then takes over handle, a file opened for reading and
    // writing at path: a file just made may be writable through its handle only (the user's
    // umask may make it read-only by name).
    void Adopt(FileHandle handle, const std::string& path);
    bool IsOpen() const { return m_handle != NoFile; }
    // Whether the open file may only be read: every write to it is refused.
    bool ReadOnly() const { return m_readOnly; }
    // Writes out what is held and closes; false when that did not fully succeed.
    bool Close();

    // Moves the read position; expected, when known, is how many bytes the caller means to read
    // from there, so that no more than that is read ahead.
    void SeekGet(std::uint32_t offset, std::size_t expected = 0);
    // The position, or nothing when no file is open.
    std::optional<std::uint32_t> TellGet() const;
    // A byte 0..255, or EndOfFile.
    int ReadByte()
    {
        if (m_position - m_bufferStart < m_bufferLength)
            return m_buffer[static_cast<std::size_t>(m_position++ - m_bufferStart)];
        return ReadByteSlow();
    }

    // The bytes already read ahead from the current position. Taking them and then Skip(n) is
    // the same as n calls of ReadByte, without the per-byte checks.
    std::span<const std::uint8_t> Buffered() const
    {
        const std::uint64_t at = m_position - m_bufferStart;
        if (at >= m_bufferLength)
            return {};
        return { m_buffer.data() + at, m_bufferLength - static_cast<std::size_t>(at) };
    }
    // Moves on over count bytes of Buffered().
    void Skip(std::size_t count) { m_position += count; }

    // Reads up to size bytes at offset straight into out, past the read-ahead (for long
    // sequential scans); the number read, 0 at the end of the file or when it cannot be read.
    std::size_t ReadBlock(std::uint64_t offset, std::uint8_t* out, std::size_t size);
    // ReadBlock until size bytes are read or the file ends: the number read, fewer than size
    // only where the file ends or cannot be read.
    std::size_t ReadFull(std::uint64_t offset, std::uint8_t* out, std::size_t size);

    // Writes size bytes at offset straight to the file, past what is held (for copying whole
    // files); false when any could not be written.
    bool WriteBlock(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size);

    void SeekPut(std::uint32_t offset);
    bool WriteByte(std::uint8_t value);

    // Writes out held bytes; false when no file is open or the write failed.
    bool Flush();
    // Flush, then make the bytes durable on disk.
    bool Sync();
    // Current size of the open file, or -1.
    long long Size() const;
    // Whether the path it was opened from still names the open file.
    bool StillAtPath() const;
    // Whether path names the open file, by whatever name.
    bool IsFileAt(const std::string& path) const;

    // Bytes read from the file since the last Open.
    std::uint64_t BytesRead() const { return m_bytesRead; }
    // Bytes written to the file since the last Open.
    std::uint64_t BytesWritten() const { return m_bytesWritten; }

    // For tests of failure paths: the n-th write (or sync) of held bytes from now on, in this
    // file or the next one opened, fails as a full or broken disk would, after only the first
    // `written` of its bytes reached the file. 0 cancels.
    void FailNthWrite(int n, std::size_t written = 0)
    {
        m_failWriteIn = n;
        m_failWriteKeeps = written;
    }
    void FailNthSync(int n) { m_failSyncIn = n; }

private:
    // The first read after a seek is small (a header field or a table is a few bytes); reading
    // on from there takes larger pieces.
    static constexpr std::size_t FirstRead = 64;
    static constexpr std::size_t NextRead = 2048;

    void Start();
    bool Fill();
    int ReadByteSlow();
    static bool Injected(int& countdown);

    FileHandle m_handle = NoFile;
    bool m_readOnly = false;
    std::string m_path;
    std::uint64_t m_position = 0;
    std::uint64_t m_expectedEnd = 0;

    // Not cleared when made: only the bytes read into it are ever looked at.
    std::array<std::uint8_t, NextRead> m_buffer;
    std::uint64_t m_bufferStart = 0;
    std::size_t m_bufferLength = 0;

    std::vector<std::uint8_t> m_pending;
    std::uint64_t m_pendingStart = 0;

    std::uint64_t m_bytesRead = 0;
    std::uint64_t m_bytesWritten = 0;
    int m_failWriteIn = 0;
    std::size_t m_failWriteKeeps = 0;
    int m_failSyncIn = 0;
};

} // namespace zarnith

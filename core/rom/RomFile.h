#pragma once

#include "rom/PlatformFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zarnith {

// What ReadByte gives at the end of the file or on a failed stream.
inline constexpr int EndOfFile = -1;

// The one stream over an open ROM: binary, reading and writing through one shared position,
// never creating or truncating the file. A failed open, a read at the end of the file or a
// failed write puts it in a failed state that lasts until the next Open: reads then give
// EndOfFile, TellGet gives nothing, and seeks and writes change nothing.
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

    // Closes any file already open, then opens path with a clear state.
    OpenError Open(const std::string& path);
    bool IsOpen() const { return m_handle != NoFile; }
    // Writes out what is held and closes; false when that did not fully succeed.
    bool Close();
    bool Failed() const { return m_failed; }

    void SeekGet(std::uint32_t offset);
    std::optional<std::uint32_t> TellGet() const;
    // A byte 0..255, or EndOfFile.
    int ReadByte()
    {
        if (!m_failed && m_position - m_bufferStart < m_bufferLength)
            return m_buffer[static_cast<std::size_t>(m_position++ - m_bufferStart)];
        return ReadByteSlow();
    }

    // The bytes already read ahead from the current position (none on a failed stream). Taking
    // them and then Skip(n) is the same as n calls of ReadByte, without the per-byte checks.
    std::span<const std::uint8_t> Buffered() const
    {
        const std::uint64_t at = m_position - m_bufferStart;
        if (m_failed || at >= m_bufferLength)
            return {};
        return { m_buffer.data() + at, m_bufferLength - static_cast<std::size_t>(at) };
    }
    // Moves on over count bytes of Buffered().
    void Skip(std::size_t count) { m_position += count; }

    void SeekPut(std::uint32_t offset);
    bool WriteByte(std::uint8_t value);

    // Writes out held bytes; false on a failed stream or a failed write.
    bool Flush();
    // Flush, then make the bytes durable on disk.
    bool Sync();
    // Current size of the open file, or -1.
    long long Size() const;
    // Whether the path it was opened from still names the open file.
    bool StillAtPath() const;

    // Bytes read from the file since the last Open.
    std::uint64_t BytesRead() const { return m_bytesRead; }
    // Bytes written to the file since the last Open.
    std::uint64_t BytesWritten() const { return m_bytesWritten; }

private:
    // The first read after a seek is small (a header field or a table is a few bytes); reading
    // on from there takes larger pieces.
    static constexpr std::size_t FirstRead = 64;
    static constexpr std::size_t NextRead = 2048;

    bool Fill();
    int ReadByteSlow();

    FileHandle m_handle = NoFile;
    std::string m_path;
    bool m_failed = true;
    std::uint64_t m_position = 0;

    std::array<std::uint8_t, NextRead> m_buffer {};
    std::uint64_t m_bufferStart = 0;
    std::size_t m_bufferLength = 0;

    std::vector<std::uint8_t> m_pending;
    std::uint64_t m_pendingStart = 0;

    std::uint64_t m_bytesRead = 0;
    std::uint64_t m_bytesWritten = 0;
};

} // namespace zarnith

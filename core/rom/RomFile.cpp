#include "rom/RomFile.h"

#include <algorithm>

namespace zarnith {

RomFile::~RomFile()
{
    Close();
}

void RomFile::Start()
{
    Close();
    m_position = 0;
    m_expectedEnd = 0;
    m_bufferLength = 0;
    m_pending.clear();
    m_bytesRead = 0;
    m_bytesWritten = 0;
}

OpenError RomFile::Open(const std::string& path)
{
    Start();
    OpenError error = OpenRegularFile(path, &m_handle, &m_readOnly);
    if (error != OpenError::None) {
        m_handle = NoFile;
        return error;
    }
    m_path = path;
    return error;
}

void RomFile::Adopt(FileHandle handle, const std::string& path)
{
    Start();
    m_handle = handle;
    m_readOnly = false;
    m_path = path;
}

bool RomFile::Close()
{
    if (m_handle == NoFile)
        return true;
    bool ok = m_pending.empty() || Flush();
    ok = CloseFile(m_handle) && ok;
    m_handle = NoFile;
    m_readOnly = false;
    m_pending.clear();
    m_bufferLength = 0;
    return ok;
}

void RomFile::SeekGet(std::uint32_t offset, std::size_t expected)
{
    if (IsOpen()) {
        m_position = offset;
        m_expectedEnd = offset + expected;
    }
}

void RomFile::SeekPut(std::uint32_t offset)
{
    if (IsOpen())
        m_position = offset;
}

std::optional<std::uint32_t> RomFile::TellGet() const
{
    if (!IsOpen())
        return std::nullopt;
    return static_cast<std::uint32_t>(m_position);
}

bool RomFile::Fill()
{
    // Held writes go out first, so that a read sees them; if they fail the read goes on over
    // what the file holds.
    if (!m_pending.empty())
        Flush();
    const bool readingOn = m_bufferLength > 0 && m_position == m_bufferStart + m_bufferLength;
    std::size_t size = readingOn ? NextRead : FirstRead;
    if (m_expectedEnd > m_position)
        size = static_cast<std::size_t>(std::min<std::uint64_t>(NextRead, m_expectedEnd - m_position));
    long long count = ReadAt(m_handle, m_position, m_buffer.data(), size);
    if (count <= 0) {
        m_bufferLength = 0;
        return false;
    }
    m_bufferStart = m_position;
    m_bufferLength = static_cast<std::size_t>(count);
    m_bytesRead += static_cast<std::uint64_t>(count);
    return true;
}

int RomFile::ReadByteSlow()
{
    if (!IsOpen() || !Fill())
        return EndOfFile;
    return m_buffer[static_cast<std::size_t>(m_position++ - m_bufferStart)];
}

std::size_t RomFile::ReadBlock(std::uint64_t offset, std::uint8_t* out, std::size_t size)
{
    if (!IsOpen())
        return 0;
    if (!m_pending.empty())
        Flush();
    long long count = ReadAt(m_handle, offset, out, size);
    if (count <= 0)
        return 0;
    m_bytesRead += static_cast<std::uint64_t>(count);
    return static_cast<std::size_t>(count);
}

std::size_t RomFile::ReadFull(std::uint64_t offset, std::uint8_t* out, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = ReadBlock(offset + got, out + got, size - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

bool RomFile::WriteBlock(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size)
{
    if (!IsOpen() || m_readOnly || (!m_pending.empty() && !Flush()))
        return false;
    // What was read ahead may no longer be what the file holds.
    m_bufferLength = 0;
    if (!WriteAt(m_handle, offset, bytes, size))
        return false;
    m_bytesWritten += size;
    return true;
}

bool RomFile::WriteByte(std::uint8_t value)
{
    if (!IsOpen() || m_readOnly)
        return false;
    if (!m_pending.empty() && m_position != m_pendingStart + m_pending.size() && !Flush())
        return false;
    if (m_pending.empty())
        m_pendingStart = m_position;
    m_pending.push_back(value);
    // Keep buffered reads in step with what the file will hold.
    if (m_position >= m_bufferStart && m_position < m_bufferStart + m_bufferLength)
        m_buffer[static_cast<std::size_t>(m_position - m_bufferStart)] = value;
    ++m_position;
    return true;
}

bool RomFile::Injected(int& countdown)
{
    return countdown > 0 && --countdown == 0;
}

bool RomFile::Flush()
{
    if (!IsOpen() || m_readOnly)
        return false;
    if (m_pending.empty())
        return true;
    bool ok = false;
    if (Injected(m_failWriteIn)) {
        const std::size_t part = std::min(m_failWriteKeeps, m_pending.size());
        if (part > 0 && WriteAt(m_handle, m_pendingStart, m_pending.data(), part))
            m_bytesWritten += part;
    } else {
        ok = WriteAt(m_handle, m_pendingStart, m_pending.data(), m_pending.size());
        if (ok)
            m_bytesWritten += m_pending.size();
    }
    m_pending.clear();
    if (!ok) {
        // What the file holds is no longer known, so nothing read ahead may be trusted.
        m_bufferLength = 0;
    }
    return ok;
}

bool RomFile::Sync()
{
    if (!Flush())
        return false;
    return !Injected(m_failSyncIn) && SyncFile(m_handle);
}

long long RomFile::Size() const
{
    return m_handle == NoFile ? -1 : FileSize(m_handle);
}

bool RomFile::StillAtPath() const
{
    return IsFileAt(m_path);
}

bool RomFile::IsFileAt(const std::string& path) const
{
    return m_handle != NoFile && IsFileAtPath(m_handle, path);
}

} // namespace zarnith

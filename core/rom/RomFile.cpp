#include "rom/RomFile.h"

namespace zarnith {

RomFile::~RomFile()
{
    Close();
}

OpenError RomFile::Open(const std::string& path)
{
    Close();
    m_failed = false;
    m_position = 0;
    m_bufferLength = 0;
    m_pending.clear();
    m_bytesRead = 0;
    m_bytesWritten = 0;
    OpenError error = OpenRegularFile(path, &m_handle);
    if (error != OpenError::None) {
        m_handle = NoFile;
        m_failed = true;
        return error;
    }
    m_path = path;
    return error;
}

bool RomFile::Close()
{
    if (m_handle == NoFile)
        return true;
    bool ok = m_pending.empty() || Flush();
    ok = CloseFile(m_handle) && ok;
    m_handle = NoFile;
    m_failed = true;
    m_pending.clear();
    m_bufferLength = 0;
    return ok;
}

void RomFile::SeekGet(std::uint32_t offset)
{
    if (!m_failed)
        m_position = offset;
}

void RomFile::SeekPut(std::uint32_t offset)
{
    if (!m_failed)
        m_position = offset;
}

std::optional<std::uint32_t> RomFile::TellGet() const
{
    if (m_failed)
        return std::nullopt;
    return static_cast<std::uint32_t>(m_position);
}

bool RomFile::Fill()
{
    // Held writes go out first, so that a read sees them.
    if (!m_pending.empty() && !Flush())
        return false;
    const bool readingOn = m_bufferLength > 0 && m_position == m_bufferStart + m_bufferLength;
    long long count = ReadAt(m_handle, m_position, m_buffer.data(), readingOn ? NextRead : FirstRead);
    if (count <= 0) {
        m_failed = true;
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
    if (m_failed || !Fill())
        return EndOfFile;
    return m_buffer[static_cast<std::size_t>(m_position++ - m_bufferStart)];
}

bool RomFile::WriteByte(std::uint8_t value)
{
    if (m_failed)
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

bool RomFile::Flush()
{
    if (m_failed)
        return false;
    if (m_pending.empty())
        return true;
    bool ok = WriteAt(m_handle, m_pendingStart, m_pending.data(), m_pending.size());
    if (ok)
        m_bytesWritten += m_pending.size();
    m_pending.clear();
    if (!ok) {
        // What the file holds is no longer known.
        m_failed = true;
        m_bufferLength = 0;
    }
    return ok;
}

bool RomFile::Sync()
{
    if (!Flush())
        return false;
    if (!SyncFile(m_handle)) {
        m_failed = true;
        return false;
    }
    return true;
}

long long RomFile::Size() const
{
    return m_handle == NoFile ? -1 : FileSize(m_handle);
}

bool RomFile::StillAtPath() const
{
    return m_handle != NoFile && IsFileAtPath(m_handle, m_path);
}

} // namespace zarnith

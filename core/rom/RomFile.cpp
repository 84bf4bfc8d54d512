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
    m_last = LastAccess::None;
    m_bytesRead = 0;
    OpenError error = OpenRegularFile(path, &m_file);
    if (error != OpenError::None) {
        m_file = nullptr;
        m_failed = true;
    } else {
        m_path = path;
    }
    return error;
}

bool RomFile::Close()
{
    if (m_file == nullptr)
        return true;
    bool ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    m_failed = true;
    return ok;
}

void RomFile::Seek(std::uint32_t offset)
{
    if (m_failed)
        return;
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0)
        m_failed = true;
    m_last = LastAccess::None;
}

// The C library needs a positioning call between writing and reading on one stream.
void RomFile::SwitchTo(LastAccess access)
{
    if (m_last != LastAccess::None && m_last != access && std::fseek(m_file, 0, SEEK_CUR) != 0)
        m_failed = true;
    m_last = access;
}

void RomFile::SeekGet(std::uint32_t offset)
{
    Seek(offset);
}

void RomFile::SeekPut(std::uint32_t offset)
{
    Seek(offset);
}

std::optional<std::uint32_t> RomFile::TellGet()
{
    if (m_failed)
        return std::nullopt;
    long position = std::ftell(m_file);
    if (position < 0) {
        m_failed = true;
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(position);
}

int RomFile::ReadByte()
{
    if (m_failed)
        return EndOfFile;
    SwitchTo(LastAccess::Read);
    int value = m_failed ? EOF : GetByte(m_file);
    if (value == EOF) {
        m_failed = true;
        return EndOfFile;
    }
    ++m_bytesRead;
    return value;
}

bool RomFile::WriteByte(std::uint8_t value)
{
    if (m_failed)
        return false;
    SwitchTo(LastAccess::Write);
    if (m_failed || PutByte(value, m_file) == EOF) {
        m_failed = true;
        return false;
    }
    return true;
}

bool RomFile::Flush()
{
    if (m_failed)
        return false;
    if (std::fflush(m_file) != 0) {
        m_failed = true;
        return false;
    }
    return true;
}

bool RomFile::Sync()
{
    if (!Flush())
        return false;
    if (!SyncFile(m_file)) {
        m_failed = true;
        return false;
    }
    return true;
}

long long RomFile::Size() const
{
    return m_file == nullptr ? -1 : FileSize(m_file);
}

bool RomFile::StillAtPath() const
{
    return m_file != nullptr && IsFileAtPath(m_file, m_path);
}

} // namespace zarnith

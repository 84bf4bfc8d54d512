#pragma once

#include "rom/ImageDigest.h"

#include <QByteArrayView>
#include <QCryptographicHash>

namespace zarnith {

// The SHA-1 the core feeds while it reads an image, from Qt.
class QtSha1 final : public Hasher
{
public:
    void Reset() override { m_hash.reset(); }
    void Add(const std::uint8_t* bytes, std::size_t size) override
    {
        m_hash.addData(QByteArrayView(bytes, static_cast<qsizetype>(size)));
    }
    std::string HexDigest() override { return m_hash.result().toHex().toStdString(); }

private:
    QCryptographicHash m_hash { QCryptographicHash::Sha1 };
};

} // namespace zarnith

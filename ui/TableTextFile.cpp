#include "TableTextFile.h"

#include "soundmoves/TableText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace zarnith {

std::optional<QByteArray> ReadTableTextFile(const QString& path)
{
    QFile file;
    if (path == QStringLiteral("-")) {
        if (!file.open(stdin, QIODevice::ReadOnly))
            return std::nullopt;
    } else {
        // A folder or a device is no text file; reading one could block or never end.
        const QFileInfo info(path);
        if (!info.isFile())
            return std::nullopt;
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
    }
    QByteArray text;
    while (text.size() <= static_cast<qsizetype>(MaxTableTextSize)) {
        const QByteArray piece = file.read(static_cast<qint64>(MaxTableTextSize) + 1 - text.size());
        if (piece.isEmpty())
            break;
        text += piece;
    }
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return text;
}

bool WriteTableTextFile(const QString& path, const std::string& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto size = static_cast<qint64>(text.size());
    return file.write(text.data(), size) == size && file.commit();
}

QString TableTextPathFor(const QString& imagePath)
{
    const QFileInfo info(imagePath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".txt"));
}

} // namespace zarnith

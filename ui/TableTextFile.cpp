#include "TableTextFile.h"

#include "soundmoves/TableText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <filesystem>

namespace zarnith {

std::optional<QByteArray> ReadTableTextFile(const QString& path, TextReadError* error)
{
    const auto fail = [error](TextReadError why) -> std::optional<QByteArray> {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    QFile file;
    if (path == QStringLiteral("-")) {
        if (!file.open(stdin, QIODevice::ReadOnly))
            return fail(TextReadError::Failed);
    } else {
        // A folder or a device is no text file; reading one could block or never end. A pipe
        // ends when its writer is done, and is read no further than a file.
        std::error_code code;
        const auto type = std::filesystem::status(std::filesystem::path(path.toStdU16String()), code).type();
        if (type == std::filesystem::file_type::not_found)
            return fail(TextReadError::Missing);
        if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::fifo)
            return fail(TextReadError::NotFile);
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(TextReadError::Failed);
    }
    QByteArray text;
    while (text.size() <= static_cast<qsizetype>(MaxTableTextSize)) {
        const QByteArray piece = file.read(static_cast<qint64>(MaxTableTextSize) + 1 - text.size());
        if (piece.isEmpty())
            break;
        text += piece;
    }
    if (file.error() != QFileDevice::NoError)
        return fail(TextReadError::Failed);
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

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace zarnith {

// Reads the text file at path ("-": the standard input), no more than one byte past the largest
// table text, so a file chosen by mistake is never read whole; nothing when it cannot be read.
std::optional<QByteArray> ReadTableTextFile(const QString& path);

// Writes text to path through a temporary file that takes its place once complete, so a file
// already there is never left half written; false when that did not succeed.
bool WriteTableTextFile(const QString& path, const std::string& text);

// The file a table of the image at imagePath is exported to by default: beside it, its name with .txt.
QString TableTextPathFor(const QString& imagePath);

} // namespace zarnith

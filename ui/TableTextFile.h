#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace zarnith {

enum class TextReadError {
    None,
    Missing, // nothing is at the path
    NotFile, // a folder or a device: neither a file nor a pipe
    Failed, // the system refused to open or read it
};

// Reads the text file or pipe at path ("-": the standard input; /dev/stdin and a shell's <(...)
// name a pipe), no more than one byte past the largest table text, so a file chosen by mistake
// is never read whole; nothing when it cannot be read, with why in *error when given.
std::optional<QByteArray> ReadTableTextFile(const QString& path, TextReadError* error = nullptr);

// Writes text to path through a temporary file that takes its place once complete, so a file
// already there is never left half written; false when that did not succeed.
bool WriteTableTextFile(const QString& path, const std::string& text);

// The file a table of the image at imagePath is exported to by default: beside it, its name with .txt.
QString TableTextPathFor(const QString& imagePath);

} // namespace zarnith

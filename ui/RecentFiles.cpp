#include "RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace zarnith {

namespace {

const char* const Key = "RecentFiles";

// One spelling per file, so that the same file is listed once.
QString Normal(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList RecentFiles::Paths() const
{
    QStringList paths = QSettings().value(Key).toStringList();
    paths.removeAll(QString());
    paths.removeDuplicates();
    return paths.mid(0, Limit);
}

void RecentFiles::Add(const QString& path)
{
    const QString normal = Normal(path);
    QStringList paths = Paths();
    paths.removeAll(normal);
    paths.prepend(normal);
    Store(paths.mid(0, Limit));
}

void RecentFiles::Remove(const QString& path)
{
    QStringList paths = Paths();
    paths.removeAll(path);
    paths.removeAll(Normal(path));
    Store(paths);
}

void RecentFiles::Clear()
{
    Store({});
}

void RecentFiles::Store(const QStringList& paths)
{
    QSettings settings;
    if (paths.isEmpty())
        settings.remove(Key);
    else
        settings.setValue(Key, paths);
}

} // namespace zarnith

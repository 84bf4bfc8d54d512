#pragma once

#include <QString>
#include <QStringList>

namespace zarnith {

// The files last opened or saved, newest first, kept in the application's settings (under its
// organisation and application names) so that they outlive the run.
class RecentFiles
{
public:
    static constexpr int Limit = 8;

    QStringList Paths() const;
    // Puts path first, once, and drops the oldest beyond the limit.
    void Add(const QString& path);
    void Remove(const QString& path);
    void Clear();

private:
    static void Store(const QStringList& paths);
};

} // namespace zarnith

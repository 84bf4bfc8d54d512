#include "Emulator.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QUrl>

namespace zarnith {

namespace {

const char* const Key = "Emulator";

} // namespace

bool QtLauncher::Start(const QString& program, const QString& path)
{
    // One argument, quoted for the system as needed, whatever the path holds.
    return QProcess::startDetached(program, { QDir::toNativeSeparators(path) });
}

bool QtLauncher::OpenWithSystem(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString EmulatorSetting::Program() const
{
    return QSettings().value(Key).toString();
}

void EmulatorSetting::Set(const QString& program)
{
    QSettings().setValue(Key, program);
}

void EmulatorSetting::Clear()
{
    QSettings().remove(Key);
}

} // namespace zarnith

// zarnith.com, the console program beside zarnith.exe on Windows. cmd.exe and PowerShell run it
// for "zarnith" (of two programs of one name, the .com is found first), so the commands, --help
// and --version answer in the console and set the exit status there, as a GUI program cannot.
// Other arguments (a file to open, or none) start zarnith.exe with them, and it returns at once.
#include "CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Zarnith"));
    QCoreApplication::setApplicationName(QStringLiteral("Zarnith"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZARNITH_VERSION));
    if (const std::optional<int> status = zarnith::RunCommandLine(argc, argv))
        return *status;

    QCoreApplication app(argc, argv);
    const QString window
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(ZARNITH_WINDOW_PROGRAM));
    if (QProcess::startDetached(window, QCoreApplication::arguments().mid(1)))
        return 0;
    std::fprintf(stderr, "zarnith: %s could not be started\n", qPrintable(QDir::toNativeSeparators(window)));
    return 1;
}

#include "Application.h"
#include "Dialogs.h"
#include "TForm1.h"
#include "rom/PlatformFile.h"

#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <optional>

namespace {

void DescribeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Edits the sound-move table of generation III Pok\u00E9mon ROM images (Ruby, Sapphire, Emerald, Fire Red, "
        "Leaf Green, German Ruby and Sapphire)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("file"), QStringLiteral("ROM image (*.gba) to open at start."), QStringLiteral("[file]"));
}

// Without a display, --help and --version answer from a plain core application, since the
// window's application object cannot be made. With one, FileArgument answers them.
void AnswerInformationOptions(int& argc, char** argv)
{
    QCoreApplication commandLine(argc, argv);
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.parse(QCoreApplication::arguments());
    // --help-all lists Qt's own options too, which only process() knows.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
}

// The file named on the command line, if any, once the window's application has taken out Qt's
// own options (-platform, -style, ...); --help and --version answer and end the program here. Qt's
// arguments, not argv: on Windows they come from the wide command line, so any file name reaches
// the program intact. A bad option ends the program with Qt's message.
std::optional<QString> FileArgument(const QCoreApplication& app)
{
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return std::nullopt;
    return files.first();
}

} // namespace

int main(int argc, char** argv)
{
    // Also the names the settings (the recent files) are kept under.
    QCoreApplication::setOrganizationName(QStringLiteral("Zarnith"));
    QCoreApplication::setApplicationName(QStringLiteral("Zarnith"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZARNITH_VERSION));

    // Without a display Qt would abort with a terse message; say what is needed instead, once
    // --help and --version, which need none, have had their answer.
    if (!zarnith::HasGraphicalSession()) {
        AnswerInformationOptions(argc, argv);
        std::fprintf(stderr,
            "zarnith: no graphical session (DISPLAY or WAYLAND_DISPLAY is not set); "
            "Zarnith needs one to show its window.\n");
        return 1;
    }

    // Declared outside the guarded block so that a failure while either is built can still be
    // shown by the application object, in the window's language when the window exists.
    std::optional<zarnith::Application> app;
    zarnith::QtDialogs dialogs;
    std::optional<zarnith::TForm1> form;
    const auto showFailure = [&app](const QString& message) {
        if (app)
            app->ShowException(message);
        else
            std::fprintf(stderr, "zarnith: %s\n", message.toLocal8Bit().constData());
    };
    try {
        app.emplace(argc, argv);
        app->setWindowIcon(QIcon(":/icons/zarnith.png"));
        const std::optional<QString> file = FileArgument(*app);
        form.emplace(dialogs);
        app->SetExceptionDisplay([&form](const QString& message) { form->ShowException(message); });
        form->show();
        // A file named on the command line (as the file manager passes it) opens once the window
        // is up, by the same road as the Open command.
        if (file)
            QTimer::singleShot(0, &*form, [&form, path = *file] { form->OpenFile(path); });
        app->exec();
    } catch (const std::exception& error) {
        showFailure(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showFailure(QString());
    }
    return 0;
}

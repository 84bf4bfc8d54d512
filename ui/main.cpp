#include "Application.h"
#include "CommandLine.h"
#include "Dialogs.h"
#include "TForm1.h"
#include "rom/PlatformFile.h"

#include <QCommandLineParser>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace {

// zarnith.exe --help without a console: its columns lined up in a box of a fixed-width font,
// where Qt's own box would show them in the system's proportional one.
void ShowHelpBox(const QString& help)
{
    QMessageBox box;
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QCoreApplication::applicationName());
    box.setTextFormat(Qt::PlainText);
    box.setText(help);
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

// The file named on the command line, if any, once the window's application has taken out Qt's
// own options (-platform, -style, ...); --help and --version answer and end the program here. Qt's
// arguments, not argv: on Windows they come from the wide command line, so any file name reaches
// the program intact. A bad option ends the program with status 2.
std::optional<QString> FileArgument()
{
    QCommandLineParser parser;
    zarnith::DescribeCommandLine(parser);
    if (parser.parse(QCoreApplication::arguments()) && parser.optionNames().size() == 1
        && parser.positionalArguments().isEmpty() && !zarnith::HasConsoleOutput()) {
        if (parser.isSet(QStringLiteral("help"))) {
            ShowHelpBox(parser.helpText());
            std::exit(0);
        }
        // Qt's own answer, which shows a box where no console is.
        if (parser.isSet(QStringLiteral("version")))
            parser.showVersion();
    }
    // Where no console takes the message, a bad option is told in a box all the same.
    if (!zarnith::HasConsoleOutput() && !parser.parse(QCoreApplication::arguments())) {
        ShowHelpBox(parser.errorText() + QStringLiteral("\n\n") + parser.helpText());
        std::exit(2);
    }
    // A usage error ends the program with status 2, as on the command line.
    if (const std::optional<int> answered = zarnith::AnswerArguments(parser, QCoreApplication::arguments()))
        std::exit(*answered);
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

    // The commands need no display. Without one Qt would abort with a terse message; say what is
    // needed instead, once --help and --version, which need none, have had their answer.
    const bool display = zarnith::HasGraphicalSession();
    if (!display || zarnith::AsksForCommand(argc, argv)) {
        if (const std::optional<int> status = zarnith::RunCommandLine(argc, argv))
            return *status;
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
        const std::optional<QString> file = FileArgument();
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

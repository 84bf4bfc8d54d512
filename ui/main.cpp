#include "Application.h"
#include "Dialogs.h"
#include "TForm1.h"
#include "rom/PlatformFile.h"

#include <QIcon>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    // Without a display Qt would abort with a terse message; say what is needed instead.
    if (!zarnith::HasGraphicalSession()) {
        std::fprintf(stderr,
            "zarnith: no graphical session (DISPLAY or WAYLAND_DISPLAY is not set); "
            "Zarnith needs one to show its window.\n");
        return 1;
    }
    zarnith::Application app(argc, argv);
    // The settings (the recent files) are kept under these names.
    QCoreApplication::setOrganizationName("Zarnith");
    QCoreApplication::setApplicationName("Zarnith");
    app.setWindowIcon(QIcon(":/icons/zarnith.png"));
    zarnith::QtDialogs dialogs;
    zarnith::TForm1 form(dialogs);
    app.SetExceptionDisplay([&form](const QString& message) { form.ShowException(message); });
    form.show();
    // A file named on the command line (as the file manager passes it) opens once the window
    // is up, by the same road as the Open command.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        QTimer::singleShot(0, &form, [&form, path = arguments.at(1)] { form.OpenFile(path); });
    app.exec();
    return 0;
}

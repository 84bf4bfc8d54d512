#include "Application.h"
#include "Dialogs.h"
#include "TForm1.h"

#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would abort with a terse message; say what is needed instead.
bool HasDisplay()
{
#if defined(__linux__) || defined(__FreeBSD__)
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr
        || std::getenv("QT_QPA_PLATFORM") != nullptr;
#else
    return true;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (!HasDisplay()) {
        std::fprintf(stderr,
            "zarnith: no graphical session (DISPLAY or WAYLAND_DISPLAY is not set); "
            "Zarnith needs one to show its window.\n");
        return 1;
    }
    zarnith::Application app(argc, argv);
    app.setWindowIcon(QIcon(":/icons/zarnith.png"));
    zarnith::QtDialogs dialogs;
    zarnith::TForm1 form(dialogs);
    app.SetExceptionDisplay([&form](const QString& message) { form.ShowException(message); });
    form.show();
    app.exec();
    return 0;
}

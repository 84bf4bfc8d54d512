// Starts the real main window (or, built with ZARNITH_PROBE_MINIMAL, a bare QMainWindow; with
// ZARNITH_PROBE_TEXT as well, one whose menu bar holds a single menu, the least window that
// draws text), and once it is first shown prints the wall-clock time in nanoseconds and the
// peak resident size, then quits. scripts/startup.sh compares them.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#ifndef ZARNITH_PROBE_MINIMAL
#include "Application.h"
#include "Dialogs.h"
#include "TForm1.h"
#endif

namespace {

long PeakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

void ReportWhenShown(QWidget& window)
{
    QTimer::singleShot(0, &window, [] {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("%lld %ld\n",
            static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
            PeakResidentKiB());
        QApplication::quit();
    });
}

} // namespace

int main(int argc, char** argv)
{
#ifdef ZARNITH_PROBE_MINIMAL
    QApplication app(argc, argv);
    QMainWindow window;
#ifdef ZARNITH_PROBE_TEXT
    window.menuBar()->addMenu("&File");
#endif
    window.show();
#else
    zarnith::Application app(argc, argv);
    zarnith::QtDialogs dialogs;
    zarnith::TForm1 window(dialogs);
    window.show();
#endif
    ReportWhenShown(window);
    return app.exec();
}

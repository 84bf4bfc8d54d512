#pragma once

#include <QApplication>

#include <functional>

namespace zarnith {

// The application object. A failure that escapes an event handler is shown through the
// exception display instead of ending the program; the event loop carries on. Before a display
// is set (while the window is built), a message box of its own in English shows it.
class Application : public QApplication
{
public:
    using ExceptionDisplay = std::function<void(const QString& message)>;

    Application(int& argc, char** argv);

    void SetExceptionDisplay(ExceptionDisplay display) { m_display = std::move(display); }
    bool notify(QObject* receiver, QEvent* event) override;
    void ShowException(const QString& message);

private:
    ExceptionDisplay m_display;
};

} // namespace zarnith

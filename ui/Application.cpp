#include "Application.h"
#include "Dialogs.h"
#include "LanguageTable.h"
#include "Messages.h"

#include <cstdio>
#include <exception>

namespace zarnith {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowException(QString());
    }
    return false;
}

void Application::ShowException(const QString& message)
{
    if (m_display) {
        m_display(message);
        return;
    }
    std::fprintf(stderr, "zarnith: %s\n", message.toLocal8Bit().constData());
    QtDialogs dialogs;
    const MessageBoxText shown = Messages(FilledLanguageTable()).UnexpectedError(message.toStdString());
    dialogs.MessageBox(nullptr, QString::fromStdString(shown.Text), QString::fromStdString(shown.Caption), MbOk);
}

} // namespace zarnith

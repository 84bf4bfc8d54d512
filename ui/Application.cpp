#include "Application.h"
#include "Dialogs.h"
#include "LanguageTable.h"

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
    LanguageStrings texts;
    InitLanguageTable(texts);
    QtDialogs dialogs;
    dialogs.MessageBox(nullptr,
        QString::fromStdString(Fill(texts[Row::UnexpectedError * 2 + English], message.toStdString())),
        QString::fromStdString(texts[Row::ErrorCaption * 2 + English]), MbOk);
}

} // namespace zarnith

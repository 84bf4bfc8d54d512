#pragma once

#include "Dialogs.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zarnith::testing {

// Answers the window's dialogs from a script and records what was shown.
class FakeDialogs final : public Dialogs
{
public:
    struct Shown
    {
        QString Text;
        QString Caption;
        unsigned Flags;
        QString Title; // of the window the box was shown over, and whether it showed unsaved edits
        bool Modified;
    };

    std::deque<int> Answers; // for questions, in order
    std::deque<QString> Files; // for the file dialog, in order; an empty name cancels
    std::deque<QString> SaveFiles; // for the save dialog, likewise
    std::deque<QString> OtherFiles; // for the image, program and patch dialogs, likewise
    std::vector<std::pair<FileKind, QString>> OtherDialogs; // what each asked for, and where it started
    std::vector<Shown> Messages;
    int FileDialogs = 0;
    int SaveDialogs = 0;
    int Unscripted = 0; // dialogs shown with no answer left
    std::function<void()> OnMessage; // run as each message box is shown
    int Progresses = 0; // progress dialogs shown
    int CancelAfter = -1; // with 0 or more, each progress dialog is cancelled after that many steps

    int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) override
    {
        Messages.push_back({ text, caption, flags, parent ? parent->window()->windowTitle() : QString(),
            parent && parent->window()->isWindowModified() });
        if (OnMessage)
            OnMessage();
        if ((flags & MbButtons) == MbOk)
            return IdOk;
        if (Answers.empty()) {
            ++Unscripted;
            return IdNo;
        }
        int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }

    std::optional<QString> GetOpenFileName(QWidget*) override
    {
        ++FileDialogs;
        return Next(Files);
    }

    std::optional<QString> GetSaveFileName(QWidget*, const QString&) override
    {
        ++SaveDialogs;
        return Next(SaveFiles);
    }

    std::optional<QString> GetFileName(QWidget*, FileKind kind, const QString&, const QString& start) override
    {
        OtherDialogs.push_back({ kind, start });
        return Next(OtherFiles);
    }

    std::unique_ptr<Progress> ShowProgress(QWidget*, const QString&, const QString&) override
    {
        ++Progresses;
        return std::make_unique<Steps>(CancelAfter);
    }

private:
    // Counts the steps, and says the user cancelled once there were as many as asked.
    struct Steps final : Progress
    {
        explicit Steps(int cancelAfter)
            : Left(cancelAfter)
        {
        }
        bool Advance(std::uint64_t, std::uint64_t) override { return Left < 0 || Left-- > 0; }
        int Left;
    };

    std::optional<QString> Next(std::deque<QString>& files)
    {
        if (files.empty()) {
            ++Unscripted;
            return std::nullopt;
        }
        QString file = files.front();
        files.pop_front();
        if (file.isEmpty())
            return std::nullopt;
        return file;
    }
};

} // namespace zarnith::testing

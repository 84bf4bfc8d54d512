#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>

using namespace zarnith;

// Drives the real message box: a zero-delay timer inspects and answers it once it is shown, and a
// watchdog closes any modal window left open so that no test can block.
class DialogsTest : public QObject
{
    Q_OBJECT

    struct Seen
    {
        bool Found = false;
        QMessageBox::Icon Icon = QMessageBox::Information;
        QString Title;
        QString Text;
        QStringList Buttons;
        QString Default;
        QString Escape;
        Qt::TextInteractionFlags Interaction;
    };

    static QString Label(QAbstractButton* button) { return button == nullptr ? QString() : button->text().remove('&'); }

    // Shows a box with flags, records what it looks like, and answers it with key.
    static std::pair<int, Seen> Show(unsigned flags, Qt::Key key)
    {
        Seen seen;
        std::function<void()> answer = [&seen, key, &answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                QTimer::singleShot(10, answer);
                return;
            }
            seen.Found = true;
            seen.Icon = box->icon();
            seen.Title = box->windowTitle();
            seen.Text = box->text();
            for (QAbstractButton* button : box->buttons())
                seen.Buttons << Label(button);
            seen.Default = Label(box->defaultButton());
            seen.Escape = Label(box->escapeButton());
            seen.Interaction = box->textInteractionFlags();
            QTest::keyClick(box, key);
        };
        QTimer::singleShot(0, answer);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        watchdog.start(5000);
        QtDialogs dialogs;
        int result = dialogs.MessageBox(nullptr, "Question & <b>text</b>", "Caption", flags);
        return { result, seen };
    }

private slots:
    void yesNoWithSecondDefaultAnswersNoToEnterAndEscape()
    {
        auto [enter, seen] = Show(MbYesNo | MbDefButton2, Qt::Key_Return);
        QVERIFY(seen.Found);
        QCOMPARE(enter, IdNo);
        QCOMPARE(seen.Icon, QMessageBox::NoIcon);
        QCOMPARE(seen.Title, QString("Caption"));
        QCOMPARE(seen.Text, QString("Question & <b>text</b>"));
        QCOMPARE(seen.Buttons.size(), 2);
        QCOMPARE(seen.Default, QString("No"));
        QCOMPARE(seen.Escape, QString("No"));
        QCOMPARE(Show(MbYesNo | MbDefButton2, Qt::Key_Escape).first, IdNo);
    }

    void yesNoDefaultsToYes()
    {
        auto [enter, seen] = Show(MbYesNo, Qt::Key_Return);
        QCOMPARE(enter, IdYes);
        QCOMPARE(seen.Default, QString("Yes"));
        QCOMPARE(Show(MbYesNo, Qt::Key_Escape).first, IdNo);
    }

    void saveDiscardCancelDefaultsToSaveAndEscapeCancels()
    {
        auto [enter, seen] = Show(MbSaveDiscardCancel, Qt::Key_Return);
        QCOMPARE(enter, IdYes);
        QCOMPARE(seen.Buttons.size(), 3);
        QCOMPARE(seen.Default, QString("Save"));
        QCOMPARE(seen.Escape, QString("Cancel"));
        QCOMPARE(Show(MbSaveDiscardCancel, Qt::Key_Escape).first, IdCancel);
        QCOMPARE(Show(MbSaveDiscardCancel, Qt::Key_D).first, IdNo); // every button has a mnemonic
        auto [cancel, saveCancel] = Show(MbSaveCancel | MbSelectableText, Qt::Key_Escape);
        QCOMPARE(cancel, IdCancel);
        QCOMPARE(saveCancel.Buttons, (QStringList { "Save", "Cancel" }));
        QVERIFY(saveCancel.Interaction.testFlag(Qt::TextSelectableByMouse));
    }

    void okBoxHasOneButton()
    {
        auto [result, seen] = Show(MbOk, Qt::Key_Escape);
        QVERIFY(seen.Found);
        QCOMPARE(result, IdOk);
        QCOMPARE(seen.Buttons, QStringList { "OK" });
        QCOMPARE(seen.Icon, QMessageBox::NoIcon);
    }

    // The work goes on until the dialog shows; typing into the window meanwhile is dropped, and
    // each way of cancelling in the dialog cancels, the events going through the dialog's own
    // window as the system gives them.
    void progressShowsLateAndCancels_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : { "escape", "click", "space", "close" })
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void progressShowsLateAndCancels()
    {
        QFETCH(QString, how);
        QLineEdit window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtDialogs dialogs;
        const std::unique_ptr<Progress> progress = dialogs.ShowProgress(&window, "Working", "Caption");
        QProgressDialog* shown = nullptr;
        for (int step = 0; step < 400 && shown == nullptr; ++step) {
            QVERIFY(progress->Advance(step, 1000));
            QTest::keyClick(&window, Qt::Key_A);
            QThread::msleep(10);
            shown = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        }
        QVERIFY(shown != nullptr);
        QCOMPARE(shown->labelText(), QString("Working"));
        QCOMPARE(window.text(), QString());
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QWindow* own = shown->windowHandle();
        auto* cancel = shown->findChild<QPushButton*>();
        QVERIFY(own != nullptr && cancel != nullptr);
        if (how == "escape") {
            QTest::keyClick(shown, Qt::Key_Escape);
        } else if (how == "click") {
            QTest::mouseClick(own, Qt::LeftButton, {}, cancel->mapTo(shown, cancel->rect().center()));
        } else if (how == "space") {
            cancel->setFocus();
            QTest::keyClick(own, Qt::Key_Space);
        } else {
            own->close();
        }
        QVERIFY(!progress->Advance(500, 1000));
        // Outside the dialog, input is still dropped.
        QTest::keyClick(window.windowHandle(), Qt::Key_B);
        QCOMPARE(window.text(), QString());
    }

    void openDialogTakesGbaForANameWithoutExtension()
    {
        QFileDialog dialog;
        SetUpOpenDialog(dialog);
        QCOMPARE(dialog.defaultSuffix(), QString("gba"));
        QCOMPARE(dialog.nameFilters(), (QStringList { "Gameboy Advance Rom (*.gba)", "Any File (*)" }));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"

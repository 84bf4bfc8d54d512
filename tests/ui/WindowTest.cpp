#include "Application.h"
#include "BpsReader.h"
#include "FakeDialogs.h"
#include "RomBuilder.h"
#include "TForm1.h"

#include <QAction>
#include <QComboBox>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

using namespace zarnith;
using zarnith::testing::Bytes;
using zarnith::testing::FakeDialogs;
using zarnith::testing::RomImage;
using zarnith::testing::TempDir;

namespace {

const GameInfo& Emerald = SupportedGames[2];

std::size_t TableAt(int entry)
{
    return Emerald.SoundMovesOffset + 2 * entry;
}

QStringList Items(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// Records what Play would start instead of starting it.
struct FakeLauncher final : Launcher
{
    QStringList Started; // program and path, or the path alone for the system's choice
    bool Works = true;
    bool Start(const QString& program, const QString& path) override
    {
        Started << program + " | " + path;
        return Works;
    }
    bool OpenWithSystem(const QString& path) override { return Start("system", path); }
};

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDir> dir;
    std::unique_ptr<FakeDialogs> dialogs;
    std::unique_ptr<TForm1> form;

    QString Write(const RomImage& image, const char* name = "rom.gba")
    {
        // As Qt spells paths on every platform, and as the recent files keep them.
        return QDir::fromNativeSeparators(QString::fromStdString(image.WriteTo(*dir, name)));
    }

    // Opens path through the menu with no ROM open yet; the repair questions get answers.
    void Open(const QString& path, std::initializer_list<int> answers = {})
    {
        dialogs->Files.push_back(path);
        dialogs->Answers.insert(dialogs->Answers.end(), answers);
        form->Open1->trigger();
    }

    bool RomControlsEnabled() const
    {
        bool all = form->Save1->isEnabled() && form->Close1->isEnabled() && form->ChangeMoveButton->isEnabled()
            && form->InsertMoveButton->isEnabled() && form->MoveComboBox->isEnabled()
            && form->DeleteMoveButton->isEnabled();
        bool any = form->Save1->isEnabled() || form->Close1->isEnabled() || form->ChangeMoveButton->isEnabled()
            || form->InsertMoveButton->isEnabled() || form->MoveComboBox->isEnabled()
            || form->DeleteMoveButton->isEnabled();
        if (all != any)
            qWarning("the six controls disagree");
        return all;
    }

    void VerifyNoRomState()
    {
        QVERIFY(!form->Doc().IsOpen());
        QVERIFY(!RomControlsEnabled());
        QCOMPARE(form->ListBox1->count(), 0);
        QCOMPARE(form->MoveComboBox->count(), 0);
        QVERIFY(form->Open1->isEnabled());
        QVERIFY(form->Exit1->isEnabled());
        QVERIFY(form->ListBox1->isEnabled());
    }

    void Select(int entry, int move)
    {
        form->ListBox1->setCurrentRow(entry);
        form->MoveComboBox->setCurrentIndex(move);
    }

private slots:
    void init()
    {
        dir = std::make_unique<TempDir>();
        dialogs = std::make_unique<FakeDialogs>();
        RecentFiles().Clear();
        EmulatorSetting().Clear();
        form = std::make_unique<TForm1>(*dialogs);
    }

    void cleanup()
    {
        QCOMPARE(dialogs->Unscripted, 0);
        form.reset();
        dialogs.reset();
        dir.reset();
    }

    void startsInEnglishWithNoRom()
    {
        VerifyNoRomState();
        QCOMPARE(form->windowTitle(), QString("Zarnith"));
        QCOMPARE(form->centralWidget()->size(), QSize(385, 205));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->ListBox1->geometry(), QRect(8, 8, 193, 189));
        QCOMPARE(form->MoveComboBox->geometry(), QRect(207, 120, 170, 21));
        QCOMPARE(form->DeleteMoveButton->geometry(), QRect(207, 147, 170, 50));
        QCOMPARE(form->File1->title(), QString("&File"));
        QCOMPARE(form->Exit1->text(), QString("E&xit"));
        QCOMPARE(form->VersionsCompatible1->text(), QString("&Versions Compatible"));
        QCOMPARE(form->InsertMoveButton->text(), QString("Insert New Move"));
        QVERIFY(form->English1->isChecked());
        QVERIFY(!form->Francais1->isChecked());
        QVERIFY(!form->Francais1->isEnabled());
        QCOMPARE(form->Francais1->text(), QString::fromUtf8("&Français"));
        for (int language : { English, French }) { // no menu gives two of its items one letter
            form->SetLanguage(language);
            for (const QWidget* menu : form->findChildren<QWidget*>()) {
                QString letters;
                for (const QAction* item : menu->actions())
                    letters += QKeySequence::mnemonic(item->text()).toString().right(1);
                QVERIFY2(QSet<QChar>(letters.begin(), letters.end()).size() == letters.size(), qPrintable(letters));
            }
        }
    }

    void opensASupportedRom()
    {
        RomImage image = RomImage::For(Emerald);
        QString path = Write(image);
        Open(path);
        QVERIFY(dialogs->Messages.empty());
        QVERIFY(form->Doc().IsOpen());
        QVERIFY(RomControlsEnabled());
        QCOMPARE(form->MoveComboBox->count(), 354);
        QCOMPARE(form->MoveComboBox->currentIndex(), 0);
        QCOMPARE(form->MoveComboBox->itemText(353), QString("Move354"));
        // Open, the list is ten rows tall.
        form->MoveComboBox->showPopup();
        const QAbstractItemView* popup = form->MoveComboBox->view();
        QCOMPARE(
            popup->indexAt(QPoint(1, popup->viewport()->height() - 1)).row() - popup->indexAt(QPoint(1, 1)).row(), 9);
        form->MoveComboBox->hidePopup();
        QStringList expected;
        for (std::uint16_t id : testing::SyntheticTable())
            expected << QString::fromStdString(testing::SyntheticName(id));
        QCOMPARE(Items(form->ListBox1), expected);
        QCOMPARE(form->ListBox1->currentRow(), -1);
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);
    }

    void refusesUnsupportedImages_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("revision");
        QTest::newRow("unknown code") << "ZZZE" << 0;
        QTest::newRow("lower case") << "bpee" << 0;
        QTest::newRow("unknown revision") << "BPEE" << 1;
        QTest::newRow("Fire Red revision 2") << "BPRE" << 2;
    }

    void refusesUnsupportedImages()
    {
        QFETCH(QString, code);
        QFETCH(int, revision);
        // Open a good one first and edit it: the refusal leaves it open with its edits.
        Open(Write(RomImage::For(Emerald), "good.gba"));
        Select(0, 9);
        form->ChangeMoveButton->click();
        RomImage image = RomImage::For(Emerald);
        image.Header(code.toStdString(), static_cast<std::uint8_t>(revision));
        dialogs->Answers.push_back(IdNo); // discard the edits
        Open(Write(image, "bad.gba"));
        QCOMPARE(dialogs->Messages.size(), std::size_t { 2 });
        QVERIFY(dialogs->Messages[1].Text.startsWith(form->Text(Row::NotSupported) + "\n\n"));
        QCOMPARE(dialogs->Messages[1].Flags, MbOk);
        QVERIFY(form->windowTitle().startsWith("[*]good.gba"));
        QVERIFY(form->isWindowModified() && form->Doc().CanUndo());
        QCOMPARE(form->ListBox1->item(0)->text(), QString("Move10"));
        QCOMPARE(form->MoveComboBox->count(), MoveCount);
        dialogs->Answers.push_back(IdNo);
        form->Close1->trigger();
        VerifyNoRomState();
        QCOMPARE(testing::ReadAll(dir->File("bad.gba")), image.Data);

        // The open file itself, no longer supported when opened again: nothing stays open.
        if (testing::OpenFilesCanChange()) {
            const QString again = Write(RomImage::For(Emerald), "again.gba");
            Open(again);
            Write(image, "again.gba");
            Open(again, { IdYes });
            VerifyNoRomState();
        }
    }

    void tellsWhyAFileCannotBeOpened_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "it does not exist.";
        QTest::newRow("directory") << "directory"
                                   << "it is not a regular file.";
        QTest::newRow("fifo") << "fifo"
                              << "it is not a regular file.";
    }

    void tellsWhyAFileCannotBeOpened()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        std::string path = dir->File("target.gba");
        if (kind == "directory") {
            std::filesystem::create_directory(path);
        } else if (kind == "fifo") {
            if (!testing::MakeFifo(path))
                QSKIP("no FIFOs here");
        }
        Open(QString::fromStdString(path));
        QCOMPARE(dialogs->Messages.size(), std::size_t { 1 });
        QCOMPARE(dialogs->Messages[0].Text,
            QDir::toNativeSeparators(QString::fromStdString(path)) + " could not be opened: " + reason);
        QCOMPARE(dialogs->Messages[0].Caption, QString("Attention"));
        VerifyNoRomState();
    }

    void openOverAnOpenRomAsksFirst()
    {
        QString first = Write(RomImage::For(Emerald), "first.gba");
        Open(first);

        // No: nothing changes and no file dialog appears.
        dialogs->Answers.push_back(IdNo);
        form->Open1->trigger();
        QCOMPARE(dialogs->FileDialogs, 1);
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::AlreadyOpen));
        QCOMPARE(dialogs->Messages.back().Caption, QString("Warning"));
        QCOMPARE(dialogs->Messages.back().Flags, MbYesNo | MbDefButton2);

        // Yes, then cancel: the first ROM stays open.
        dialogs->Answers.push_back(IdYes);
        dialogs->Files.push_back(QString());
        form->Open1->trigger();
        QCOMPARE(dialogs->FileDialogs, 2);
        QVERIFY(form->Doc().IsOpen());
        QVERIFY(RomControlsEnabled());

        // Yes, then another file: it replaces the first.
        RomImage second = RomImage::For(Emerald, { 7, 8 });
        dialogs->Answers.push_back(IdYes);
        Open(Write(second, "second.gba"));
        QCOMPARE(Items(form->ListBox1), (QStringList { "Move7", "Move8" }));
        QVERIFY(RomControlsEnabled());
        QCOMPARE(testing::ReadAll(first.toStdString()), RomImage::For(Emerald).Data);
    }

    void repairQuestionYesWritesAndNoKeeps()
    {
        RomImage image = RomImage::For(Emerald, { 0, 2, 0x0201 });
        QString path = Write(image);
        dialogs->Answers.push_back(IdYes);
        Open(Write(RomImage::For(Emerald), "first.gba"));
        Open(path, { IdYes, IdNo });
        QCOMPARE(dialogs->Messages.size(), std::size_t { 3 });
        dialogs->Messages.erase(dialogs->Messages.begin());
        QVERIFY(dialogs->Messages[0].Title.startsWith("[*]rom.gba")); // the file the answer writes to
        QCOMPARE(dialogs->Messages[0].Text,
            QString("Entry 1 of the sound-move table holds 0, which is not a valid move: the entry is corrupted. Do "
                    "you want the program to fix it?"));
        QVERIFY(dialogs->Messages[1].Text.startsWith("Entry 3 of the sound-move table holds 513,"));
        QCOMPARE(dialogs->Messages[0].Caption, QString("Attention"));
        QCOMPARE(dialogs->Messages[0].Flags, MbYesNo);
        QCOMPARE(Items(form->ListBox1), (QStringList { "Move45", "Move2", "??? (513)" }));
        Bytes expected = image.Data;
        expected[TableAt(0)] = 0x2D;
        QCOMPARE(testing::ReadAll(path.toStdString()), expected);
    }

    void failedRepairIsReported()
    {
        RomImage image = RomImage::For(Emerald, { 1, 0, 2 });
        QString path = Write(image);
        // The file that fails is the new one, open when the question comes.
        dialogs->OnMessage = [this] { form->Doc().File().FailNthWrite(1); };
        Open(path, { IdYes });
        QCOMPARE(dialogs->Messages.size(), std::size_t { 2 });
        QCOMPARE(dialogs->Messages[1].Text, form->Text(Row::RepairFailed));
        QCOMPARE(Items(form->ListBox1), (QStringList { "Move1", "??? (0)", "Move2" }));
        QVERIFY(RomControlsEnabled());
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);
    }

    void saveReportsSuccessOnlyWhenSaved()
    {
        RomImage image = RomImage::For(Emerald);
        QString path = Write(image);
        Open(path);
        Select(1, 255);
        form->ChangeMoveButton->click();
        form->Save1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, QString("The file was successfully saved!"));
        QVERIFY(!dialogs->Messages.back().Modified);
        QCOMPARE(dialogs->Messages.back().Caption, QString("Attention"));
        Bytes expected = image.Data;
        expected[TableAt(1)] = 0x00;
        expected[TableAt(1) + 1] = 0x01;
        QCOMPARE(testing::ReadAll(path.toStdString()), expected);

        // Writing fails: the file may be partly written, and the edit stays unsaved.
        Select(2, 6);
        form->ChangeMoveButton->click();
        form->Doc().File().FailNthWrite(1);
        form->Save1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::SaveFailed).arg(QDir::toNativeSeparators(path)));
        QVERIFY(form->isWindowModified());
        QCOMPARE(testing::ReadAll(path.toStdString()), expected);

        // The file is cut short behind the program's back: the save is refused, writing nothing.
        if (!testing::OpenFilesCanChange()) {
            dialogs->Answers.push_back(IdNo); // discard on close
            QSKIP("no other program can change a file open here");
        }
        std::filesystem::resize_file(path.toStdString(), TableAt(3));
        form->Save1->trigger();
        QCOMPARE(dialogs->Messages.back().Text,
            QDir::toNativeSeparators(path)
                + " was not saved, and nothing was written to it: it is now shorter than its sound-move table.");
        QCOMPARE(std::filesystem::file_size(path.toStdString()), TableAt(3));
        QVERIFY(form->isWindowModified());
        dialogs->Answers.push_back(IdNo); // discard on close
    }

    void languageSwitchesCaptionsOnly()
    {
        Open(Write(RomImage::For(Emerald)));
        form->Francais1Click();
        QCOMPARE(form->CurrentLanguage(), French);
        QVERIFY(form->Francais1->isChecked());
        QVERIFY(!form->English1->isChecked());
        QCOMPARE(form->About1->text(), QString::fromUtf8("à &Propos"));
        QCOMPARE(form->Save1->text(), QString("&Sauvegarder"));
        QCOMPARE(form->Options1->title(), QString("&Options"));
        QCOMPARE(form->DeleteMoveButton->text(), QString("Supprimer l'Attaque"));
        QCOMPARE(form->Francais1->text(), QString::fromUtf8("&Français"));
        QCOMPARE(form->Text(Row::Warning), QString("Alerte"));
        QVERIFY(RomControlsEnabled());
        QCOMPARE(form->ListBox1->count(), 10);

        form->English1->trigger();
        QCOMPARE(form->CurrentLanguage(), English);
        QVERIFY(form->English1->isChecked());
        QVERIFY(!form->Francais1->isChecked());
        QCOMPARE(form->About1->text(), QString("&About"));
        form->English1->trigger();
        QVERIFY(form->English1->isChecked());
        QCOMPARE(form->CurrentLanguage(), English);
    }

    void aboutAndVersionsBoxes()
    {
        form->About1->trigger();
        form->VersionsCompatible1->trigger();
        QCOMPARE(dialogs->Messages.size(), std::size_t { 2 });
        QCOMPARE(dialogs->Messages[0].Caption, QString("About"));
        QCOMPARE(dialogs->Messages[0].Text,
            QString::fromUtf8("Zarnith\nVersion 1.00\nBy Tobrin\nNovember 27th, 2009\n\nThis program edits the "
                              "sound-based moves of a generation III Pokémon game.\n\nNew versions of this program "
                              "(and old ones too) can be found at ")
                + QString::fromStdString(HomePage()) + ".\n\n");
        QCOMPARE(dialogs->Messages[1].Caption, QString("Versions Compatible"));
        QCOMPARE(dialogs->Messages[1].Text,
            QString("English - Ruby, Sapphire, Emerald, Fire Red, and Leaf Green\nGerman - Ruby, Sapphire"));
        QCOMPARE(dialogs->Messages[1].Flags, MbOk);

        form->Francais1Click();
        form->About1->trigger();
        QCOMPARE(dialogs->Messages[2].Caption, QString::fromUtf8("à Propos"));
        QVERIFY(
            dialogs->Messages[2].Text.startsWith("Zarnith\nVersion 1.00\nPar Tobrin\n27 Novembre 2009\n\n\n\nLes "));
        QVERIFY(!dialogs->Messages[2].Text.contains('\r'));
    }

    void editsThroughTheButtonsAreSavedExactly()
    {
        RomImage image = RomImage::For(Emerald); // 1 17 45 100 200 255 256 300 320 354
        QString path = Write(image);
        Open(path);

        Select(2, 253); // change entry 2 to move 254
        form->ChangeMoveButton->click();
        // The changed entry stays selected, its move in the drop-down.
        QCOMPARE(form->ListBox1->currentRow(), 2);
        QCOMPARE(form->MoveComboBox->currentIndex(), 253);
        // With no entry selected a button does nothing.
        form->ListBox1->setCurrentRow(-1);
        form->MoveComboBox->setCurrentIndex(9);
        form->InsertMoveButton->click();
        form->DeleteMoveButton->click();
        Select(0, 352); // insert move 353 at the top; 354 falls off
        form->InsertMoveButton->click();
        Select(9, 0); // delete the last: refilled with move 45
        form->DeleteMoveButton->click();
        Select(4, 0); // delete entry 4 (move 100)
        form->DeleteMoveButton->click();
        QCOMPARE(Items(form->ListBox1),
            (QStringList { "Move353", "Move1", "Move17", "Move254", "Move200", "Move255", "Move256", "Move300",
                "Move45", "Move45" }));
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);

        form->Save1->trigger();
        RomImage expected = image;
        std::size_t offset = TableAt(0);
        for (std::uint16_t id : { 353, 1, 17, 254, 200, 255, 256, 300, 45, 45 }) {
            expected.PutMove(offset, id);
            offset += 2;
        }
        QCOMPARE(testing::ReadAll(path.toStdString()), expected.Data);
    }

    void standardKeysDoWhatTheirItemsDo()
    {
        QVERIFY(form->Open1->shortcuts().contains(QKeySequence("Ctrl+O")));
        QVERIFY(form->Save1->shortcuts().contains(QKeySequence("Ctrl+S")));
        QVERIFY(form->Close1->shortcuts().contains(QKeySequence("Ctrl+W")));
        QVERIFY(form->Exit1->shortcuts().contains(QKeySequence("Ctrl+Q")));
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));

        // With no ROM open Save and Close are disabled, and so are their keys.
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(form.get(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(dialogs->Messages.empty());

        QString path = Write(RomImage::For(Emerald));
        dialogs->Files.push_back(path);
        QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs->FileDialogs, 1);
        QVERIFY(form->Doc().IsOpen());
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::Saved));
        QTest::keyClick(form.get(), Qt::Key_W, Qt::ControlModifier);
        VerifyNoRomState();
        QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form->isVisible());
    }

    // With an unsaved edit, every command that would drop it asks Save, Discard or Cancel.
    void askBeforeDroppingEdits_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        for (const char* command : { "Close", "Exit", "window close", "Open" }) {
            QTest::newRow(qPrintable(QString("%1, save").arg(command))) << command << IdYes;
            QTest::newRow(qPrintable(QString("%1, discard").arg(command))) << command << IdNo;
            QTest::newRow(qPrintable(QString("%1, cancel").arg(command))) << command << IdCancel;
        }
    }

    void askBeforeDroppingEdits()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        RomImage image = RomImage::For(Emerald);
        QString path = Write(image);
        Open(path);
        form->show();
        Select(0, 6);
        form->ChangeMoveButton->click();
        QVERIFY(form->isWindowModified());

        dialogs->Answers.push_back(answer);
        const QString other = Write(RomImage::For(Emerald, { 5 }), "other.gba");
        if (command == "Open") {
            dialogs->Files.push_back(other);
            form->Open1->trigger();
        } else if (command == "Close") {
            form->Close1->trigger();
        } else if (command == "Exit") {
            form->Exit1->trigger();
        } else {
            form->close();
        }
        QCOMPARE(dialogs->Messages.front().Text, form->Text(Row::SaveChanges));
        QCOMPARE(dialogs->Messages.front().Flags, MbSaveDiscardCancel);

        Bytes expected = image.Data;
        if (answer == IdYes)
            expected[TableAt(0)] = 7;
        QCOMPARE(testing::ReadAll(path.toStdString()), expected);
        const bool dropped = answer != IdCancel;
        QCOMPARE(dialogs->FileDialogs, 1 + (command == "Open" && dropped ? 1 : 0));
        if (command == "Exit" || command == "window close")
            QCOMPARE(form->isVisible(), !dropped);
        else if (command == "Close")
            QCOMPARE(form->Doc().IsOpen(), !dropped);
        else
            QCOMPARE(form->Doc().Path() == other.toStdString(), dropped);
        if (!dropped) {
            QVERIFY(form->isWindowModified());
            QCOMPARE(form->ListBox1->item(0)->text(), QString("Move7"));
        }
    }

    void aFailedSaveBeforeClosingKeepsTheFileAndItsEdits()
    {
        QString path = Write(RomImage::For(Emerald));
        Open(path);
        Select(0, 6);
        form->ChangeMoveButton->click();
        form->Doc().File().FailNthWrite(1);
        dialogs->Answers.push_back(IdYes);
        form->Close1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::SaveFailed).arg(QDir::toNativeSeparators(path)));
        QVERIFY(form->Doc().IsOpen());
        QVERIFY(form->isWindowModified());
        dialogs->Answers.push_back(IdNo);
    }

    void undoAndRedoAcrossASave()
    {
        RomImage image = RomImage::For(Emerald);
        QString path = Write(image);
        Open(path);
        QVERIFY(!form->Undo1->isEnabled());
        QVERIFY(!form->Redo1->isEnabled());
        QVERIFY(form->Undo1->shortcuts().contains(QKeySequence("Ctrl+Z")));
        QVERIFY(form->Redo1->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));
        QVERIFY(form->Redo1->shortcuts().contains(QKeySequence("Ctrl+Y")));

        Select(0, 6);
        form->ChangeMoveButton->click();
        Select(1, 0);
        form->DeleteMoveButton->click();
        QVERIFY(form->Undo1->isEnabled());
        form->Save1->trigger();
        QVERIFY(!form->isWindowModified());

        form->Undo1->trigger();
        QVERIFY(form->isWindowModified());
        QVERIFY(form->Redo1->isEnabled());
        QCOMPARE(form->ListBox1->item(1)->text(), QString("Move17"));
        form->Undo1->trigger();
        QVERIFY(!form->Undo1->isEnabled());
        QCOMPARE(Items(form->ListBox1).first(), QString("Move1"));
        form->Redo1->trigger();
        form->Redo1->trigger();
        QVERIFY(!form->isWindowModified());
        QVERIFY(!form->Redo1->isEnabled());

        // Undoing to the opened state and saving writes that state back.
        form->Undo1->trigger();
        form->Undo1->trigger();
        form->Save1->trigger();
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);

        // Opening and closing clear the history.
        Select(0, 6);
        form->ChangeMoveButton->click();
        dialogs->Answers.push_back(IdNo);
        form->Close1->trigger();
        QVERIFY(!form->Undo1->isEnabled());
        QVERIFY(!form->Redo1->isEnabled());
        QCOMPARE(form->Edit1->title(), QString("&Edit"));
        form->Francais1Click();
        QCOMPARE(form->Undo1->text(), QString("&Annuler"));
        QCOMPARE(form->Redo1->text(), QString::fromUtf8("&Rétablir"));
    }

    void titleTooltipsAndPlaces()
    {
        QCOMPARE(form->windowTitle(), QString("Zarnith"));
        RomImage image = RomImage::For(SupportedGames[6]); // Leaf Green 1.1
        image.Fill(0x300000, 0x100, 0xFF).PutTable(0x300010, { 45, 46 });
        image.PutWord(SupportedGames[6].TableWordAt, RomBase + 0x300010).PutMoveList(SupportedGames[6], 0x310000, 400);
        Open(Write(image, "hack.gba"));
        const QString places("table at 0x300010, names at 0x310000, 400 moves");
        QCOMPARE(form->windowTitle(),
            QString::fromUtf8("[*]hack.gba \u2014 Leaf Green 1.1 \u2014 %1 \u2014 Zarnith").arg(places));
        QCOMPARE(form->ListBox1->toolTip(), places);
        QCOMPARE(form->MoveComboBox->count(), 400);
        QCOMPARE(form->MoveComboBox->itemText(399), QString("Move400"));
        QVERIFY(!form->isWindowModified());
        QCOMPARE(form->ListBox1->item(1)->toolTip(), QString("Move 46"));
        QCOMPARE(form->MoveComboBox->itemData(44, Qt::ToolTipRole).toString(), QString("Move 45"));

        dialogs->Answers.push_back(IdYes);
        Open(Write(RomImage::For(Emerald), "rom.gba"));
        QCOMPARE(form->windowTitle(), QString::fromUtf8("[*]rom.gba \u2014 Emerald \u2014 Zarnith"));
        QCOMPARE(form->ListBox1->toolTip(), QString());
        Select(0, 6);
        form->ChangeMoveButton->click();
        QVERIFY(form->isWindowModified());
        dialogs->Answers.push_back(IdNo);
        form->Close1->trigger();
        QCOMPARE(form->windowTitle(), QString("Zarnith"));
        QVERIFY(!form->isWindowModified());
    }

    void viewOnlyWhenTheTableCannotBeReadSafely()
    {
        RomImage image = RomImage::For(Emerald, { 0, 1 });
        image.PutWord(Emerald.TableWordAt, RomBase + 0x100001);
        QString path = Write(image);
        Open(path);
        QCOMPARE(dialogs->Messages.size(), std::size_t { 1 }); // no repair question
        QVERIFY(dialogs->Messages[0].Text.startsWith(
            "This image's code no longer points at a sound-move table inside the file (the pointer at 0x42F70 "
            "holds 0x8100001)."));
        QVERIFY(form->Doc().IsOpen());
        QVERIFY(!form->Save1->isEnabled());
        QVERIFY(!form->ChangeMoveButton->isEnabled());
        QVERIFY(!form->AddMove1->isEnabled());
        QVERIFY(form->Close1->isEnabled());
        QCOMPARE(form->MoveComboBox->count(), 354);
        form->Save1Click();
        QCOMPARE(dialogs->Messages.size(), std::size_t { 1 });
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);
    }

    void openFromTheCommandLineAndByDropping()
    {
        QString path = Write(RomImage::For(Emerald));
        form->OpenFile(path);
        QVERIFY(dialogs->Messages.empty());
        QCOMPARE(dialogs->FileDialogs, 0);
        QCOMPARE(form->ListBox1->count(), 10);

        // A drop takes the same road: the question first, then the file.
        QString second = Write(RomImage::For(Emerald, { 3 }), "second.gba");
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(second) });
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &enter);
        QVERIFY(enter.isAccepted());
        dialogs->Answers.push_back(IdYes);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &drop);
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::AlreadyOpen));
        QCOMPARE(Items(form->ListBox1), QStringList { "Move3" });
        QCOMPARE(dialogs->FileDialogs, 0);

        // What is not a local file is not taken.
        QMimeData text;
        text.setText("not a file");
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        refused.setAccepted(false);
        QCoreApplication::sendEvent(form.get(), &refused);
        QVERIFY(!refused.isAccepted());
    }

    void addAndRemoveMovesAndConfirmAMove()
    {
        RomImage image = RomImage::For(Emerald);
        image.Fill(0x400000, 0x100, 0xFF);
        QString path = Write(image);
        Open(path);
        QCOMPARE(form->AddMove1->text(), QString("&Add Move"));
        QVERIFY(form->AddMove1->isEnabled());
        Select(0, 0);
        form->RemoveMove1->trigger();
        QCOMPARE(form->ListBox1->count(), 9);
        form->MoveComboBox->setCurrentIndex(99);
        form->AddMove1->trigger();
        form->AddMove1->trigger();
        QCOMPARE(form->ListBox1->count(), 11);
        QCOMPARE(form->ListBox1->item(10)->text(), QString("Move100"));

        // The table no longer fits: No writes nothing, Yes moves it.
        dialogs->Answers.push_back(IdNo);
        form->Save1->trigger();
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);
        QVERIFY(form->isWindowModified());
        dialogs->Answers.push_back(IdYes);
        form->Save1->trigger();
        QCOMPARE(dialogs->Messages[1].Text, dialogs->Messages[0].Text);
        QCOMPARE(dialogs->Messages[0].Flags, MbYesNo | MbDefButton2);
        QCOMPARE(dialogs->Messages[0].Text,
            QString("The table no longer fits in its place. It will be written at 0x400010 and the game's pointer at "
                    "0x42F70 will point to it. Continue?"));
        QCOMPARE(dialogs->Messages.size(), std::size_t { 3 });
        QCOMPARE(dialogs->Messages[2].Text,
            QString("The file was successfully saved! The sound-move table now stands at 0x400010."));
        QVERIFY(!form->isWindowModified());
        QVERIFY(form->windowTitle().contains("table at 0x400010"));
        std::vector<std::uint16_t> ids = testing::SyntheticTable();
        ids.erase(ids.begin());
        ids.insert(ids.end(), { 100, 100 });
        image.PutTable(0x400010, ids).PutWord(Emerald.TableWordAt, RomBase + 0x400010);
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);

        // Followed by free space now, it grows where it stands, after a question of the same kind.
        form->AddMove1->trigger();
        dialogs->Answers.push_back(IdYes);
        form->Save1->trigger();
        QCOMPARE(dialogs->Messages[3].Flags, MbYesNo | MbDefButton2);
        QVERIFY(dialogs->Messages[3].Text.contains("taking the bytes from 0x400010 to 0x400029;"));
        QCOMPARE(dialogs->Messages[4].Text, form->Text(Row::Grown).arg("400029"));
        ids.push_back(100);
        QCOMPARE(testing::ReadAll(path.toStdString()), image.PutTable(0x400010, ids).Data);
    }

    void addAndRemoveKeysClashWithNoStandardKey()
    {
        QList<QKeySequence> ours = form->AddMove1->shortcuts() + form->RemoveMove1->shortcuts()
            + form->ExportTable1->shortcuts() + form->ImportTable1->shortcuts();
        QCOMPARE(ours.size(), 4);
        for (int key = QKeySequence::HelpContents; key <= QKeySequence::Cancel; ++key) {
            for (const QKeySequence& standard : QKeySequence::keyBindings(static_cast<QKeySequence::StandardKey>(key)))
                QVERIFY2(!ours.contains(standard), qPrintable(standard.toString()));
        }
    }

    void saveAsGoesOnWithTheCopy()
    {
        QVERIFY(form->SaveAs1->shortcuts().contains(QKeySequence("Ctrl+Shift+S")));
        QString path = Write(RomImage::For(Emerald));
        Open(path);
        Select(0, 6);
        form->ChangeMoveButton->click();
        const QString copy = QDir::fromNativeSeparators(QString::fromStdString(dir->File("copy.gba")));
        dialogs->SaveFiles.push_back(copy);
        form->SaveAs1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::Saved));
        QCOMPARE(form->windowTitle(), QString::fromUtf8("[*]copy.gba \u2014 Emerald \u2014 Zarnith"));
        QVERIFY(!form->isWindowModified());
        QCOMPARE(testing::ReadAll(copy.toStdString())[TableAt(0)], 7);
        QCOMPARE(testing::ReadAll(path.toStdString()), RomImage::For(Emerald).Data);
        QCOMPARE(RecentFiles().Paths(), (QStringList { copy, path }));
    }

    void aTableTheGameNoLongerReadsIsToldAndWrittenOnlyOnYes()
    {
        // Another tool's battle-command table, whose command 0 is its own code.
        QString path = Write(RomImage::For(Emerald).PutWord(0x31BD10, 0x089A3811));
        const Bytes before = testing::ReadAll(path.toStdString());
        Open(path);
        QCOMPARE(dialogs->Messages.size(), std::size_t { 1 });
        QVERIFY(dialogs->Messages[0].Text.contains("the first battle command is at 0x089A3811, not the game's own "
                                                   "0x08045FFD"));
        QVERIFY(form->windowTitle().contains(QString::fromUtf8("Emerald \u2014 not read by the game \u2014")));
        Select(0, 6);
        form->ChangeMoveButton->click();
        const QString copy = QDir::fromNativeSeparators(QString::fromStdString(dir->File("copy.gba")));
        dialogs->SaveFiles.push_back(copy);
        dialogs->Answers = { IdNo, IdNo };
        form->Save1->trigger();
        form->SaveAs1->trigger();
        QCOMPARE(dialogs->Messages.size(), std::size_t { 3 });
        QCOMPARE(dialogs->Messages[2].Text, dialogs->Messages[1].Text);
        QVERIFY(dialogs->Messages[1].Text.startsWith("The game may no longer read this sound-move table"));
        QCOMPARE(dialogs->Messages[1].Flags, MbYesNo | MbDefButton2);
        QCOMPARE(testing::ReadAll(path.toStdString()), before);
        QVERIFY(!QFileInfo::exists(copy) && form->isWindowModified());
        dialogs->Answers = { IdYes };
        form->Save1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::Saved));
        QCOMPARE(testing::ReadAll(path.toStdString())[TableAt(0)], 7);
    }

    void aReadOnlyFileIsForViewingAndSavingElsewhere()
    {
        RomImage image = RomImage::For(Emerald, { 0, 2 });
        QString path = Write(image);
        if (!testing::MakeUnwritable(path.toStdString()))
            QSKIP("cannot make a file unwritable here");
        Open(path);
        QVERIFY(dialogs->Messages.empty());
        QCOMPARE(form->windowTitle(), QString::fromUtf8("[*]rom.gba \u2014 Emerald \u2014 read-only \u2014 Zarnith"));
        QCOMPARE(Items(form->ListBox1), (QStringList { "??? (0)", "Move2" }));
        QVERIFY(!form->Save1->isEnabled());
        QVERIFY(form->SaveAs1->isEnabled());
        Select(0, 6);
        form->ChangeMoveButton->click();
        form->Save1Click();
        // Play tells that the edits are not in what is played.
        FakeLauncher launcher;
        form->SetLauncher(launcher);
        form->Play1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::PlayUnsaved).arg(QDir::toNativeSeparators(path)));
        QCOMPARE(launcher.Started.size(), 1);
        // Saving before closing asks where to; cancelling keeps the file and its edits open.
        dialogs->Answers.push_back(IdYes);
        dialogs->SaveFiles.push_back(QString());
        form->Close1->trigger();
        QVERIFY(form->Doc().IsOpen());
        QCOMPARE(dialogs->SaveDialogs, 1);
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);
        dialogs->Answers.push_back(IdNo);
    }

    // Export writes the table as text beside the image; import makes a text the table, one step
    // of the history, and a refused text changes nothing. Neither touches the image.
    void exportAndImportTheTableAsText()
    {
        QCOMPARE(form->ImportTable1->shortcut(), QKeySequence("Ctrl+Shift+I"));
        QVERIFY(!form->ExportTable1->isEnabled());
        RomImage image = RomImage::For(Emerald);
        const QString path = Write(image);
        Open(path);
        const QStringList table = Items(form->ListBox1);
        const QString text = QDir::fromNativeSeparators(QString::fromStdString(dir->File("table.txt")));
        dialogs->OtherFiles.push_back(text);
        form->ExportTable1->trigger();
        QCOMPARE(dialogs->OtherDialogs.back(),
            std::make_pair(
                FileKind::ExportText, QDir::fromNativeSeparators(QString::fromStdString(dir->File("rom.txt")))));
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::Exported).arg(QDir::toNativeSeparators(text)));

        Select(0, 6);
        form->ChangeMoveButton->click();
        dialogs->OtherFiles.push_back(text);
        form->ImportTable1->trigger();
        QCOMPARE(Items(form->ListBox1), table);
        form->Undo1->trigger();
        QCOMPARE(form->ListBox1->item(0)->text(), QString("Move7"));

        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("1 Pound\nMove8\nNo Such Move\n");
        file.close();
        dialogs->OtherFiles.push_back(text);
        form->ImportTable1->trigger();
        QVERIFY(dialogs->Messages.back().Text.contains("Line 3 of"));
        QCOMPARE(form->ListBox1->count(), 10);
        QVERIFY(file.resize(file.size() - 13));
        dialogs->OtherFiles.push_back(text);
        form->ImportTable1->trigger();
        QCOMPARE(Items(form->ListBox1), (QStringList { "Move1", "Move8" }));
        QVERIFY(dialogs->Messages.back().Text.contains("Line 1: move 1 is Move1 in this image, not Pound."));
        // The image itself is never the text's file.
        dialogs->OtherFiles.push_back(path);
        form->ExportTable1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::ExportOverImage).arg(QDir::toNativeSeparators(path)));
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);
    }

    void recentFilesNewestFirstAtMostEight()
    {
        QStringList paths;
        for (int i = 0; i < 9; ++i) {
            paths.prepend(Write(RomImage::For(Emerald), qPrintable(QString("r%1.gba").arg(i))));
            dialogs->Answers.push_back(IdYes);
            Open(paths.front());
        }
        paths.removeLast();
        QCOMPARE(RecentFiles().Paths(), paths);
        QList<QAction*> items = form->OpenRecent1->actions();
        QCOMPARE(items.size(), 8 + 2); // and the separator and Clear List
        QCOMPARE(items[1]->text(), "&2 " + QDir::toNativeSeparators(paths[1]));

        // A file that is gone is dropped with a message; one still there opens and comes first.
        QFile::remove(paths[1]);
        items[1]->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::RecentMissing).arg(QDir::toNativeSeparators(paths[1])));
        dialogs->Answers.push_back(IdYes);
        form->OpenRecent1->actions()[6]->trigger();
        QCOMPARE(RecentFiles().Paths().size(), 7);
        QCOMPARE(RecentFiles().Paths().front(), paths[7]);
        QCOMPARE(QString::fromStdString(form->Doc().Path()), paths[7]);
        form->ClearRecent1->trigger();
        QVERIFY(!form->OpenRecent1->menuAction()->isEnabled());
    }

    void imageInformationAndTheGamesTable()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QString path = Write(RomImage::For(Emerald));
        Open(path);
        QTest::keyClick(form.get(), Qt::Key_I, Qt::ControlModifier);
        const Bytes bytes = testing::ReadAll(path.toStdString());
        const QString sha1
            = QCryptographicHash::hash(QByteArrayView(bytes.data(), bytes.size()), QCryptographicHash::Sha1).toHex();
        QCOMPARE(dialogs->Messages.back().Caption, QString("Image Information"));
        QCOMPARE(dialogs->Messages.back().Flags, MbOk | MbSelectableText);
        QCOMPARE(dialogs->Messages.back().Text,
            QString("File: %1\nSize: %2 bytes\nGame: Emerald (code BPEE, version byte 0)\nCRC32: %3\nSHA-1: %4\nState: "
                    "modified (its SHA-1 is not the release's).\nSound-move table: at the game's own place, 0x31BCF8, "
                    "10 entries.\nRead by the game: yes, its battle code still leads to this table.\nMove names: the "
                    "game's own list, 0x31977C, 354 moves.")
                .arg(QDir::toNativeSeparators(path))
                .arg(bytes.size())
                .arg(QString::number(Crc32(bytes), 16).toUpper().rightJustified(8, '0'), sha1));

        form->CompareWithGame1->trigger();
        QCOMPARE(dialogs->Messages.back().Text,
            QString("Added to the game's table: Move1 (1), Move17 (17), Move100 (100), Move200 (200), Move255 (255), "
                    "Move256 (256), Move300 (300), Move354 (354)\n\nRemoved from the game's table: Move46 (46), Move47 "
                    "(47), Move48 (48), Move103 (103), Move173 (173), Move253 (253), Move319 (319), Move304 (304)"));
        QCOMPARE(QKeySequence::mnemonic(form->RestoreGameTable1->text()), QKeySequence(Qt::ALT | Qt::Key_G));
        form->RestoreGameTable1->trigger();
        QCOMPARE(Items(form->ListBox1).join(' '),
            QString("Move45 Move46 Move47 Move48 Move103 Move173 Move253 Move319 Move320 Move304"));
        form->Undo1->trigger();
        QCOMPARE(Items(form->ListBox1).first(), QString("Move1"));
    }

    void playStartsTheEmulatorOnTheFileAsSaved()
    {
        FakeLauncher launcher;
        form->SetLauncher(launcher);
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        const QString path = Write(RomImage::For(Emerald), "my hack \u00e9 & co.gba");
        Open(path);
        QTest::keyClick(form.get(), Qt::Key_F5);
        // A file that cannot be run is refused when chosen; a program is taken.
        const QString log = Write(RomImage(4), "emulator.log");
#ifdef Q_OS_WIN
        const QString name = "an emulator.exe";
#else
        const QString name = "an emulator";
#endif
        const QString program = Write(RomImage(4), name.toUtf8().constData());
        QFile(program).setPermissions(QFile::permissions(program) | QFile::ExeOwner);
        dialogs->OtherFiles.insert(dialogs->OtherFiles.end(), { log, program });
        form->Emulator1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::EmulatorNotProgram).arg(QDir::toNativeSeparators(log)));
        QVERIFY(EmulatorSetting().Program().isEmpty());
        dialogs->Messages.clear();
        form->Emulator1->trigger();
        QCOMPARE(form->ClearEmulator1->text(), "&Clear Emulator (" + name + ")");
        // Unsaved edits: Cancel starts nothing, Save saves first.
        Select(0, 6);
        form->ChangeMoveButton->click();
        dialogs->Answers.insert(dialogs->Answers.end(), { IdCancel, IdYes });
        QTest::keyClick(form.get(), Qt::Key_F5);
        QTest::keyClick(form.get(), Qt::Key_F5);
        QCOMPARE(dialogs->Messages[0].Flags, MbSaveCancel);
        QCOMPARE(testing::ReadAll(path.toStdString())[TableAt(0)], 7);
        launcher.Works = false;
        QTest::keyClick(form.get(), Qt::Key_F5);
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::PlayFailed).arg(QDir::toNativeSeparators(program)));
        QCOMPARE(
            launcher.Started, (QStringList { "system | " + path, program + " | " + path, program + " | " + path }));
        form->ClearEmulator1->trigger();
        QVERIFY(EmulatorSetting().Program().isEmpty());
    }

    void createPatchFromTheUnmodifiedImage()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        const RomImage base = RomImage::For(Emerald);
        const QString image = Write(base, "base.gba");
        const QString wrong = Write(RomImage::For(SupportedGames[3]), "other.gba");
        const QString path = Write(RomImage::For(Emerald, { 3, 4 }), "hack.gba");
        const QString patch = QDir::fromNativeSeparators(QString::fromStdString(dir->File("out.bps")));
        Open(path);
        Select(0, 8);
        form->ChangeMoveButton->click();
        // Saved first; the image is not the release, and going on writes the patch.
        dialogs->Answers.insert(dialogs->Answers.end(), { IdYes, IdYes });
        dialogs->OtherFiles.insert(dialogs->OtherFiles.end(), { wrong, image, patch });
        QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs->Messages.back().Text,
            form->Text(Row::PatchWrongGame).arg(QDir::toNativeSeparators(wrong), "Emerald", "BPEE", "0"));
        QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs->OtherDialogs[2], std::pair(FileKind::Patch, QDir(dir->Path()).filePath("hack.bps")));
        // Save first, saved, wrong game, not the release, written.
        QCOMPARE(dialogs->Messages.size(), std::size_t { 5 });
        QCOMPARE(dialogs->Messages[3].Text,
            form->Text(Row::PatchNotRelease).arg(QDir::toNativeSeparators(image)) + ' ' + form->Text(Row::PatchAnyway));
        const Bytes written = testing::ReadAll(patch.toStdString());
        QCOMPARE(dialogs->Messages[4].Text,
            form->Text(Row::PatchWritten).arg(QDir::toNativeSeparators(patch)).arg(written.size()));
        QCOMPARE(testing::ApplyBps(base.Data, written), testing::ReadAll(path.toStdString()));
        // Each image's check, and the patch, under progress with Cancel.
        QCOMPARE(dialogs->Progresses, 3);

        // Cancelled in the progress dialog: no patch, no temporary file beside it, no message.
        QFile::remove(patch);
        const QStringList before = QDir(dir->Path()).entryList(QDir::Files);
        dialogs->CancelAfter = 4; // past the image's check, within the patch
        dialogs->Answers.push_back(IdYes);
        dialogs->OtherFiles.insert(dialogs->OtherFiles.end(), { image, patch });
        QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(dialogs->Progresses, 5);
        QCOMPARE(dialogs->Messages.size(), std::size_t { 6 });
        QCOMPARE(QDir(dir->Path()).entryList(QDir::Files), before);
        // Cancelled while the image is checked: nothing asked or told after it.
        dialogs->CancelAfter = 0;
        dialogs->OtherFiles.push_back(image);
        form->CreatePatch1->trigger();
        QCOMPARE(dialogs->Progresses, 6);
        QCOMPARE(dialogs->Messages.size(), std::size_t { 6 });
        QCOMPARE(dialogs->OtherDialogs.size(), std::size_t { 6 });
    }

    // Each message says what happened, with every path as it is.
    void messagesSayWhatHappened()
    {
        const GameInfo& fireRed = SupportedGames[3];
        const auto last = [this] { return dialogs->Messages.back().Text; };
        const auto info = [this, &last] {
            form->ImageInformation1->trigger();
            return last();
        };
        // A file cut before the game's words: no word, names or count that were not read.
        Open(Write(RomImage(RomImage::For(Emerald)).Resize(1000), "cut.gba"));
        QCOMPARE(last(), form->Text(Row::EndedBeforeWord).arg("42F70"));
        QVERIFY(info().endsWith(form->Text(Row::InfoTableCut).arg("42F70") + "\n"
            + form->Text(Row::InfoTableNotRead).arg(form->Text(Row::PathEndOfFile)) + "\n"
            + form->Text(Row::InfoNamesWordCut).arg("9B18C")));
        // A table across 32 MiB is the address space's end, not the file's.
        const QString longPath = Write(
            RomImage::For(Emerald).Resize(MaxRomSize + 16).PutWord(Emerald.TableWordAt, RomBase + MaxRomSize - 2),
            "long.gba");
        dialogs->Answers.push_back(IdYes);
        form->OpenFile(longPath);
        QCOMPARE(last(), form->Text(Row::PastAddressSpace).arg("1FFFFFE"));
        // A name too long for the system (Wine tells such a name as missing).
#ifndef Q_OS_WIN
        dialogs->Answers.push_back(IdYes);
        form->OpenFile(dir->Path().string().c_str() + QString("/") + QString(300, 'a') + ".gba");
        QVERIFY(last().endsWith(form->Text(Row::ReasonNameTooLong)));
#endif
        // One entry; a patch path holding %2 stays as it is; another revision is named so.
        const QString path = Write(RomImage::For(fireRed, { 45 }), "fr.gba");
        RomImage revision = RomImage::For(fireRed);
        const QString fr11 = Write(revision.Header("BPRE", 1), "fr11.gba");
        dialogs->Answers.push_back(IdYes);
        form->OpenFile(path);
        QVERIFY(info().contains(", 0x250104, 1 entry.\n"));
        const QString patch = QDir(dir->Path()).filePath("hack%2Cfinal.bps");
        dialogs->OtherFiles.insert(dialogs->OtherFiles.end(), { fr11, path + ".base", patch });
        form->CreatePatch1->trigger();
        QCOMPARE(last(),
            Fill(form->Text(Row::PatchOtherRevision), QDir::toNativeSeparators(fr11), "Fire Red 1.1", "BPRE", 1,
                "Fire Red (1.0)", 0));
        QFile::copy(path, path + ".base");
        dialogs->Answers.push_back(IdYes); // not the release: make it anyway
        form->CreatePatch1->trigger();
        QVERIFY2(last().contains(QDir::toNativeSeparators(patch) + " ("), qPrintable(last()));
        // Export over another image is refused, and leaves it as it was.
        const Bytes before = testing::ReadAll(fr11.toStdString());
        dialogs->OtherFiles.push_back(fr11);
        form->ExportTable1->trigger();
        QCOMPARE(last(), Fill(form->Text(Row::ExportOverOtherImage), QDir::toNativeSeparators(fr11), "Fire Red 1.1"));
        QCOMPARE(testing::ReadAll(fr11.toStdString()), before);
        if (!testing::OpenFilesCanChange())
            return;
        // The file replaced since it was opened: no facts of a file no longer there.
        std::filesystem::rename(fr11.toStdString(), path.toStdString());
        QCOMPARE(info(), form->Text(Row::InfoReplaced).arg(QDir::toNativeSeparators(path)));
    }

    // The list, the drop-down and the comparison as a user meets them.
    void theListAndTheComparison()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        Open(Write(RomImage::For(Emerald, { 7, 45, 7, 46 })));
        form->ListBox1->setFocus();
        form->ListBox1->setCurrentRow(2);
        QCOMPARE(form->MoveComboBox->currentIndex(), 6);
        QTest::keyClick(form->ListBox1, Qt::Key_Delete);
        QCOMPARE(Items(form->ListBox1), (QStringList { "Move7", "Move45", "Move46" }));
        form->Undo1->trigger();
        form->CompareWithGame1->trigger();
        QVERIFY(dialogs->Messages.back().Text.startsWith(
            QString::fromUtf8("Added to the game's table: Move7 (7) \u00D72\n")));
    }

    // Five results as the window shows them, each a list of [caption, text] with the folder of
    // the files taken out: the page's tests run this with ZARNITH_SHOWN_WORDS naming a folder,
    // open the files it leaves there the same way and must show the same (web/tests).
    void wordsThePageMustShow()
    {
        const char* given = std::getenv("ZARNITH_SHOWN_WORDS");
        const std::filesystem::path folder = given != nullptr ? std::filesystem::path(given) : dir->Path();
        std::filesystem::create_directories(folder);
        const GameInfo& fireRed = SupportedGames[3];
        const auto write = [&folder](const char* name, const auto& bytes) {
            std::ofstream(folder / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            return QDir::fromNativeSeparators(QString::fromStdString((folder / name).string()));
        };
        const QString shown = QDir::toNativeSeparators(QString::fromStdString((folder / "").string()));
        QJsonObject words;
        // Opens path in place of what is open, dropping its edits, runs the scenario and keeps the
        // count messages it showed.
        const auto scenario = [&](const char* key, const QString& path, std::size_t count, auto run) {
            if (form->Doc().IsOpen())
                dialogs->Answers.push_back(form->Doc().IsModified() ? IdNo : IdYes);
            form->OpenFile(path);
            const std::size_t first = dialogs->Messages.size();
            run();
            QJsonArray texts;
            for (std::size_t i = first; i < dialogs->Messages.size(); ++i)
                texts.append(QJsonArray { dialogs->Messages[i].Caption, dialogs->Messages[i].Text.replace(shown, "") });
            words.insert(key, texts);
            QFile file(QString::fromStdString((folder / "words.json").string()));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(words).toJson()) > 0);
            QCOMPARE(dialogs->Messages.size() - first, count);
        };
        scenario("compare", write("compare.gba", RomImage::For(fireRed, { 7, 45, 7, 46 }).Data), 1,
            [this] { form->CompareWithGame1->trigger(); });
        RomImage moved = RomImage::For(fireRed);
        moved.Resize(0x300100).PutTable(0x300010, { 45, 46, 7 }).PutWord(fireRed.TableWordAt, RomBase + 0x300010);
        scenario("information", write("moved.gba", moved.Data), 1, [this] { form->ImageInformation1->trigger(); });
        dialogs->OtherFiles.push_back(write("m.txt", std::string_view("45\n\xC3\x28tzend\n")));
        scenario(
            "import", write("import.gba", RomImage::For(fireRed).Data), 1, [this] { form->ImportTable1->trigger(); });
        dialogs->OtherFiles.push_back(write("fr11.gba", RomImage::For(fireRed).Header("BPRE", 1).Data));
        scenario("patch", write("fr.gba", RomImage::For(fireRed).Data), 1, [this] { form->CreatePatch1->trigger(); });
        if (!testing::OpenFilesCanChange())
            QSKIP("no other program can change a file open here");
        // Another program changes the table's first entry while an edit is unsaved: No keeps it.
        scenario("save", write("disk.gba", RomImage::For(fireRed).Data), 2, [&] {
            Select(1, 1);
            form->ChangeMoveButton->click();
            std::fstream(folder / "disk.gba", std::ios::in | std::ios::out | std::ios::binary)
                .seekp(fireRed.SoundMovesOffset)
                .put(9);
            dialogs->Answers.push_back(IdNo);
            form->Save1->trigger();
        });
        dialogs->Answers.push_back(IdNo); // the edit, on close
    }

    void escapedFailureIsShownAndTheProgramGoesOn()
    {
        struct Thrower : QObject
        {
            bool event(QEvent*) override { throw std::runtime_error("boom"); }
        } thrower;
        auto* app = static_cast<Application*>(QCoreApplication::instance());
        app->SetExceptionDisplay([this](const QString& message) { form->ShowException(message); });
        QEvent event(QEvent::User);
        QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
        app->SetExceptionDisplay(nullptr);
        QCOMPARE(dialogs->Messages.size(), std::size_t { 1 });
        QCOMPARE(dialogs->Messages[0].Text, QString("An unexpected error occurred: boom"));
        QCOMPARE(dialogs->Messages[0].Caption, QString("Error"));
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    // The recent files go to a settings file of the tests' own, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("ZarnithTest");
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowTest.moc"

#include "Application.h"
#include "FakeDialogs.h"
#include "RomBuilder.h"
#include "TForm1.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include <sys/stat.h>

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

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDir> dir;
    std::unique_ptr<FakeDialogs> dialogs;
    std::unique_ptr<TForm1> form;

    QString Write(const RomImage& image, const char* name = "rom.gba")
    {
        return QString::fromStdString(image.WriteTo(*dir, name));
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
        QVERIFY(!form->Rom().IsRomOpen());
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
    }

    void opensASupportedRom()
    {
        RomImage image = RomImage::For(Emerald);
        QString path = Write(image);
        Open(path);
        QVERIFY(dialogs->Messages.empty());
        QVERIFY(form->Rom().IsRomOpen());
        QVERIFY(RomControlsEnabled());
        QCOMPARE(form->MoveComboBox->count(), 354);
        QCOMPARE(form->MoveComboBox->currentIndex(), 0);
        QCOMPARE(form->MoveComboBox->itemText(353), QString("Move354"));
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
        // Open a good one first, so the refusal also shows it leaves the window with no ROM.
        Open(Write(RomImage::For(Emerald), "good.gba"));
        RomImage image = RomImage::For(Emerald);
        image.Header(code.toStdString(), static_cast<std::uint8_t>(revision));
        dialogs->Answers.push_back(IdYes);
        Open(Write(image, "bad.gba"));
        QCOMPARE(dialogs->Messages.size(), std::size_t { 2 });
        QCOMPARE(dialogs->Messages[1].Text, form->Text(Row::NotSupported));
        QCOMPARE(dialogs->Messages[1].Flags, MbOk);
        VerifyNoRomState();
        QCOMPARE(testing::ReadAll(dir->File("bad.gba")), image.Data);
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
        QTest::newRow("read-only") << "read-only"
                                   << "you are not allowed to write to it (it may be read-only or locked).";
    }

    void tellsWhyAFileCannotBeOpened()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        std::string path = dir->File("target.gba");
        if (kind == "directory") {
            std::filesystem::create_directory(path);
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
        } else if (kind == "read-only") {
            RomImage::For(Emerald).WriteTo(*dir, "target.gba");
            if (!testing::MakeUnwritable(path))
                QSKIP("cannot make a file unwritable here");
        }
        Open(QString::fromStdString(path));
        QCOMPARE(dialogs->Messages.size(), std::size_t { 1 });
        QCOMPARE(dialogs->Messages[0].Text, "The file could not be opened for reading and writing: " + reason);
        QCOMPARE(dialogs->Messages[0].Caption, QString("Attention"));
        VerifyNoRomState();
    }

    void openOverAnOpenRomAsksFirst()
    {
        QString first = Write(RomImage::For(Emerald), "first.gba");
        Open(first);
        Select(0, 99);
        form->ChangeMoveButton->click();
        QCOMPARE(form->ListBox1->item(0)->text(), QString("Move100"));

        // No: nothing changes and no file dialog appears.
        dialogs->Answers.push_back(IdNo);
        form->Open1->trigger();
        QCOMPARE(dialogs->FileDialogs, 1);
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::AlreadyOpen));
        QCOMPARE(dialogs->Messages.back().Caption, QString("Warning"));
        QCOMPARE(dialogs->Messages.back().Flags, MbYesNo | MbDefButton2);
        QCOMPARE(form->ListBox1->item(0)->text(), QString("Move100"));

        // Yes, then cancel: the first ROM stays open with its edit.
        dialogs->Answers.push_back(IdYes);
        dialogs->Files.push_back(QString());
        form->Open1->trigger();
        QCOMPARE(dialogs->FileDialogs, 2);
        QVERIFY(form->Rom().IsRomOpen());
        QVERIFY(RomControlsEnabled());
        QCOMPARE(form->SoundMoves().Entries[0].Id(), 100);

        // Yes, then another file: it replaces the first, whose edit is dropped unsaved.
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
        Open(path, { IdYes, IdNo });
        QCOMPARE(dialogs->Messages.size(), std::size_t { 2 });
        QCOMPARE(dialogs->Messages[0].Text, form->Text(Row::RepairQuestion));
        QCOMPARE(dialogs->Messages[0].Caption, QString("Attention"));
        QCOMPARE(dialogs->Messages[0].Flags, MbYesNo);
        QCOMPARE(Items(form->ListBox1), (QStringList { "Move45", "Move2", "??? (513)" }));
        Bytes expected = image.Data;
        expected[TableAt(0)] = 0x2D;
        QCOMPARE(testing::ReadAll(path.toStdString()), expected);
    }

    void failedRepairIsReported()
    {
        // Cut inside the second pair: its high byte reads as end of file, and nothing can be written.
        RomImage image = RomImage::For(Emerald);
        image.Resize(TableAt(1) + 1);
        QString path = Write(image);
        Open(path, { IdYes });
        QCOMPARE(dialogs->Messages.size(), std::size_t { 3 });
        QCOMPARE(dialogs->Messages[1].Text, form->Text(Row::RepairFailed));
        QCOMPARE(dialogs->Messages[2].Text, form->Text(Row::EndedEarly));
        QCOMPARE(form->ListBox1->count(), 2);
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
        QCOMPARE(dialogs->Messages.back().Caption, QString("Attention"));
        Bytes expected = image.Data;
        expected[TableAt(1)] = 0x00;
        expected[TableAt(1) + 1] = 0x01;
        QCOMPARE(testing::ReadAll(path.toStdString()), expected);

        // The file is cut short behind the program's back: the save must fail and not grow it.
        std::filesystem::resize_file(path.toStdString(), TableAt(3));
        form->Save1->trigger();
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::SaveFailed));
        QCOMPARE(std::filesystem::file_size(path.toStdString()), TableAt(3));
    }

    void closeDropsEditsWithoutAsking()
    {
        RomImage image = RomImage::For(Emerald);
        QString path = Write(image);
        Open(path);
        Select(0, 5);
        form->DeleteMoveButton->click();
        form->Close1->trigger();
        QVERIFY(dialogs->Messages.empty());
        VerifyNoRomState();
        QCOMPARE(testing::ReadAll(path.toStdString()), image.Data);
        // Editing with nothing open does nothing.
        form->ChangeMoveButtonClick();
        form->Save1Click();
        QVERIFY(dialogs->Messages.empty());
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
                + HomePage() + ".\n\n");
        QCOMPARE(dialogs->Messages[1].Caption, QString("Versions Compatible"));
        QCOMPARE(dialogs->Messages[1].Text, QString("English - Ruby, Sapphire, Emerald, Fire Red, and Leaf Green"));
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
        QCOMPARE(form->ListBox1->currentRow(), -1);
        // With no entry selected a button does nothing.
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
        QVERIFY(form->Rom().IsRomOpen());
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs->Messages.back().Text, form->Text(Row::Saved));
        QTest::keyClick(form.get(), Qt::Key_W, Qt::ControlModifier);
        VerifyNoRomState();
        QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form->isVisible());
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
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowTest.moc"

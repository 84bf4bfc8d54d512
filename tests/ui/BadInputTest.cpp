#include "Application.h"
#include "FakeDialogs.h"
#include "RomBuilder.h"
#include "TForm1.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace zarnith;
using zarnith::testing::Bytes;
using zarnith::testing::FakeDialogs;
using zarnith::testing::RomImage;
using zarnith::testing::TempDir;

namespace {

const GameInfo& Sapphire = SupportedGames[1];
constexpr int NoMessage = -1;

// Whether text is the language table's template with something in place of each %N.
bool Matches(const QString& text, const QString& pattern)
{
    QStringList pieces = pattern.split(QRegularExpression("%\\d"));
    for (QString& piece : pieces)
        piece = QRegularExpression::escape(piece);
    return QRegularExpression(
        QRegularExpression::anchoredPattern(pieces.join(".*")), QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}

} // namespace

// Damaged and unusual files opened through the window: each gets a clear message or works,
// nothing hangs, and no byte changes unless a save succeeded.
class BadInputTest : public QObject
{
    Q_OBJECT

private slots:
    void openAndSave_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("message"); // the first message on open
        QTest::addColumn<int>("entries"); // entries listed, or -1 when no ROM stays open
        QTest::addColumn<int>("onSave"); // the message Save gives, or -1 when Save is disabled

        const int none = -1;
        QTest::newRow("missing") << "missing" << Row::OpenFailed << none << none;
        QTest::newRow("empty") << "empty" << Row::NotSupported << none << none;
        QTest::newRow("one byte") << "one byte" << Row::NotSupported << none << none;
        QTest::newRow("cut in header") << "cut in header" << Row::NotSupported << none << none;
        QTest::newRow("cut in names") << "cut in names" << Row::EndedBeforeTable << 0 << none;
        QTest::newRow("cut in table") << "cut in table" << Row::EndedEarly << 3 << none;
        QTest::newRow("read-only") << "read-only" << NoMessage << 10 << none;
        QTest::newRow("directory") << "directory" << Row::OpenFailed << none << none;
        QTest::newRow("fifo") << "fifo" << Row::OpenFailed << none << none;
        QTest::newRow("character device") << "character device" << Row::OpenFailed << none << none;
        QTest::newRow("symlink") << "symlink" << NoMessage << 10 << Row::Saved;
        QTest::newRow("unknown revision") << "unknown revision" << Row::NotSupported << none << none;
        QTest::newRow("unknown code") << "unknown code" << Row::NotSupported << none << none;
        QTest::newRow("all 0x00") << "all 0x00" << Row::NotSupported << none << none;
        QTest::newRow("all 0xFF") << "all 0xFF" << Row::NotSupported << none << none;
        QTest::newRow("0xFF after header") << "0xFF after header" << Row::NotLocated << 0 << none;
        QTest::newRow("table word cleared") << "table word cleared" << Row::NotLocated << 0 << none;
        QTest::newRow("no end pair") << "no end pair" << Row::NotVerified << 10 << none;
        QTest::newRow("truncated before save") << "truncated before save" << NoMessage << 10 << Row::NotSaved;
        QTest::newRow("replaced before save") << "replaced before save" << NoMessage << 10 << Row::NotSaved;
        QTest::newRow("changed before save") << "changed before save" << NoMessage << 10 << Row::NotSaved;
    }

    void openAndSave()
    {
        QFETCH(QString, kind);
        QFETCH(int, message);
        QFETCH(int, entries);
        QFETCH(int, onSave);

        TempDir dir;
        std::string path = dir.File("rom.gba");
        const RomImage good = RomImage::For(Sapphire);
        RomImage image = good;
        bool writeImage = true;
        if (kind == "missing") {
            writeImage = false;
        } else if (kind == "empty") {
            image.Resize(0);
        } else if (kind == "one byte") {
            image.Resize(1);
        } else if (kind == "cut in header") {
            image.Resize(0xAF);
        } else if (kind == "cut in names") {
            image.Resize(Sapphire.MoveNamesOffset + 100);
        } else if (kind == "cut in table") {
            image.Resize(Sapphire.SoundMovesOffset + 6);
        } else if (kind == "directory") {
            writeImage = false;
            std::filesystem::create_directory(path);
        } else if (kind == "fifo") {
            writeImage = false;
            if (!testing::MakeFifo(path))
                QSKIP("no FIFOs here");
        } else if (kind == "character device") {
            writeImage = false;
            path = "/dev/null";
        } else if (kind == "symlink") {
            image.WriteTo(dir, "target.gba");
            if (!testing::MakeLink(dir.File("target.gba"), path))
                QSKIP("no symbolic links here");
            writeImage = false;
        } else if (kind == "unknown revision") {
            image.Header(Sapphire.Code, 3);
        } else if (kind == "unknown code") {
            image.Header("AXPF", 0);
        } else if (kind == "all 0x00") {
            image = RomImage(good.Data.size());
        } else if (kind == "all 0xFF") {
            std::fill(image.Data.begin(), image.Data.end(), 0xFF);
        } else if (kind == "0xFF after header") {
            std::fill(image.Data.begin() + 0xC0, image.Data.end(), 0xFF);
        } else if (kind == "table word cleared") {
            image.PutWord(Sapphire.TableWordAt, 0xFFFFFFFF);
        } else if (kind == "no end pair") {
            image.PutTable(Sapphire.SoundMovesOffset, std::vector<std::uint16_t>(12, 7));
        }
        if (writeImage)
            image.WriteTo(dir, "rom.gba");
        if (kind == "read-only" && !testing::MakeUnwritable(path))
            QSKIP("cannot make a file unwritable here");
        if (kind.endsWith("before save") && !testing::OpenFilesCanChange())
            QSKIP("no other program can change a file open here");
        const Bytes before = testing::ReadAll(path);

        FakeDialogs dialogs;
        TForm1 form(dialogs);
        dialogs.Files.push_back(QString::fromStdString(path));
        form.Open1->trigger();
        if (message == NoMessage) {
            QVERIFY(dialogs.Messages.empty());
        } else {
            QVERIFY(!dialogs.Messages.empty());
            // An unsupported image is named with what its header holds after the refusal.
            const QString pattern = form.Text(message) + (message == Row::NotSupported ? "\n\n%1" : "");
            QVERIFY2(Matches(dialogs.Messages[0].Text, pattern), qPrintable(dialogs.Messages[0].Text));
        }
        QCOMPARE(dialogs.Unscripted, 0);
        QCOMPARE(form.Doc().IsOpen(), entries >= 0);
        QCOMPARE(form.Save1->isEnabled(), onSave >= 0);
        // A file that may only be read is edited, and saved elsewhere.
        QCOMPARE(form.ChangeMoveButton->isEnabled(), onSave >= 0 || kind == "read-only");
        QCOMPARE(form.ListBox1->count(), std::max(entries, 0));
        // The title says when the table may not be edited.
        QCOMPARE(form.windowTitle().contains(" view only "), form.Doc().IsOpen() && !form.Doc().CanEdit());

        if (onSave >= 0) {
            Bytes expected = before;
            if (kind == "truncated before save") {
                std::filesystem::resize_file(path, Sapphire.SoundMovesOffset + 4);
                expected.resize(Sapphire.SoundMovesOffset + 4);
            } else if (kind == "replaced before save") {
                RomImage other = RomImage::For(Sapphire, { 1 });
                other.WriteTo(dir, "other.gba");
                std::filesystem::rename(dir.File("other.gba"), path);
                expected = other.Data;
            } else if (kind == "changed before save") {
                expected[Sapphire.SoundMovesOffset] = 0x33;
                RomImage changed(0);
                changed.Data = expected;
                changed.WriteTo(dir, "rom.gba");
                dialogs.Answers.push_back(IdNo); // keep the other program's change
            }
            dialogs.Messages.clear();
            form.Save1->trigger();
            QVERIFY(!dialogs.Messages.empty());
            QVERIFY2(
                Matches(dialogs.Messages.back().Text, form.Text(onSave)), qPrintable(dialogs.Messages.back().Text));
            form.Close1->trigger();
            QVERIFY(testing::ReadAll(path) == expected);
        }
        QCOMPARE(dialogs.Unscripted, 0);
        QVERIFY(testing::ReadAll(path) == before || kind.endsWith("before save"));
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    // Opening files adds them to the recent files: keep those away from the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("ZarnithTest");
    BadInputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BadInputTest.moc"

#include "Application.h"
#include "FakeDialogs.h"
#include "RomBuilder.h"
#include "TForm1.h"

#include <QAction>
#include <QListWidget>
#include <QtTest>

#include <filesystem>
#include <memory>

#include <sys/stat.h>

using namespace zarnith;
using zarnith::testing::Bytes;
using zarnith::testing::FakeDialogs;
using zarnith::testing::RomImage;
using zarnith::testing::TempDir;

namespace {

const GameInfo& Sapphire = SupportedGames[1];
constexpr int NoMessage = -1;

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
        QTest::addColumn<int>("onSave"); // the message Save gives

        const int none = -1;
        QTest::newRow("missing") << "missing" << Row::OpenFailed << none << none;
        QTest::newRow("empty") << "empty" << Row::NotSupported << none << none;
        QTest::newRow("one byte") << "one byte" << Row::NotSupported << none << none;
        QTest::newRow("cut in header") << "cut in header" << Row::NotSupported << none << none;
        QTest::newRow("cut in names") << "cut in names" << Row::EndedEarly << 0 << Row::SaveFailed;
        QTest::newRow("cut in table") << "cut in table" << Row::EndedEarly << 3 << Row::SaveFailed;
        QTest::newRow("read-only") << "read-only" << Row::OpenFailed << none << none;
        QTest::newRow("directory") << "directory" << Row::OpenFailed << none << none;
        QTest::newRow("fifo") << "fifo" << Row::OpenFailed << none << none;
        QTest::newRow("character device") << "character device" << Row::OpenFailed << none << none;
        QTest::newRow("symlink") << "symlink" << NoMessage << 10 << Row::Saved;
        QTest::newRow("unknown revision") << "unknown revision" << Row::NotSupported << none << none;
        QTest::newRow("unknown code") << "unknown code" << Row::NotSupported << none << none;
        QTest::newRow("all 0x00") << "all 0x00" << Row::NotSupported << none << none;
        QTest::newRow("all 0xFF") << "all 0xFF" << Row::NotSupported << none << none;
        QTest::newRow("0xFF after header") << "0xFF after header" << NoMessage << 0 << Row::Saved;
        QTest::newRow("truncated before save") << "truncated before save" << NoMessage << 10 << Row::SaveFailed;
        QTest::newRow("replaced before save") << "replaced before save" << NoMessage << 10 << Row::SaveFailed;
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
            QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
        } else if (kind == "character device") {
            writeImage = false;
            path = "/dev/null";
        } else if (kind == "symlink") {
            image.WriteTo(dir, "target.gba");
            std::filesystem::create_symlink(dir.File("target.gba"), path);
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
        }
        if (writeImage)
            image.WriteTo(dir, "rom.gba");
        if (kind == "read-only" && !testing::MakeUnwritable(path))
            QSKIP("cannot make a file unwritable here");
        const Bytes before = testing::ReadAll(path);

        FakeDialogs dialogs;
        TForm1 form(dialogs);
        dialogs.Files.push_back(QString::fromStdString(path));
        form.Open1->trigger();
        if (message == NoMessage) {
            QVERIFY(dialogs.Messages.empty());
        } else {
            QVERIFY(!dialogs.Messages.empty());
            QVERIFY2(dialogs.Messages[0].Text.startsWith(form.Text(message).section("%1", 0, 0)),
                qPrintable(dialogs.Messages[0].Text));
        }
        QCOMPARE(dialogs.Unscripted, 0);
        QCOMPARE(form.Rom().IsRomOpen(), entries >= 0);
        QCOMPARE(form.Save1->isEnabled(), entries >= 0);
        QCOMPARE(form.ListBox1->count(), std::max(entries, 0));

        if (entries >= 0) {
            Bytes expected = before;
            if (kind == "truncated before save") {
                std::filesystem::resize_file(path, Sapphire.SoundMovesOffset + 4);
                expected.resize(Sapphire.SoundMovesOffset + 4);
            } else if (kind == "replaced before save") {
                RomImage other = RomImage::For(Sapphire, { 1 });
                other.WriteTo(dir, "other.gba");
                std::filesystem::rename(dir.File("other.gba"), path);
                expected = other.Data;
            }
            dialogs.Messages.clear();
            form.Save1->trigger();
            QCOMPARE(dialogs.Messages.size(), std::size_t { 1 });
            QCOMPARE(dialogs.Messages[0].Text, form.Text(onSave));
            form.Close1->trigger();
            QVERIFY(testing::ReadAll(path) == expected);
        }
        QVERIFY(testing::ReadAll(path) == before || kind.endsWith("before save"));
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    BadInputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BadInputTest.moc"

// Opens a synthetic image in the real window and saves a picture of it, for the README.
#include "Application.h"
#include "RomBuilder.h"
#include "TForm1.h"

#include <QListWidget>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

class ScriptedDialogs final : public zarnith::Dialogs
{
public:
    explicit ScriptedDialogs(QString path)
        : m_path(std::move(path))
    {
    }
    int MessageBox(QWidget*, const QString&, const QString&, unsigned) override { return zarnith::IdNo; }
    std::optional<QString> GetOpenFileName(QWidget*) override { return m_path; }
    std::optional<QString> GetSaveFileName(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<QString> GetFileName(QWidget*, zarnith::FileKind, const QString&, const QString&) override
    {
        return std::nullopt;
    }

private:
    QString m_path;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    zarnith::Application app(argc, argv);
    zarnith::testing::TempDir dir;
    auto image = zarnith::testing::RomImage::For(zarnith::SupportedGames[3]);
    ScriptedDialogs dialogs(QString::fromStdString(image.WriteTo(dir, "example.gba")));
    zarnith::TForm1 form(dialogs);
    form.show();
    form.Open1Click();
    form.ListBox1->setCurrentRow(2);
    form.ListBox1->setFocus();
    const QString output = QString::fromLocal8Bit(argv[1]);
    bool saved = false;
    QTimer::singleShot(500, [&] {
        saved = form.grab().save(output);
        app.quit();
    });
    app.exec();
    return saved ? 0 : 1;
}

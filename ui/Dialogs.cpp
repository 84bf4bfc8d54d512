#include "Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace zarnith {

int QtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if ((flags & MbYesNo) == MbYesNo) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton((flags & MbDefButton2) != 0 ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? IdYes : IdNo;
    }
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return IdOk;
}

std::optional<QString> QtDialogs::GetOpenFileName(QWidget* parent)
{
    QString path = QFileDialog::getOpenFileName(parent, QString(), QString(), QString::fromLatin1(RomFileFilter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace zarnith

#include "Dialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QWindow>

namespace zarnith {

int QtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if ((flags & MbSelectableText) != 0)
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    if ((flags & MbButtons) == MbSaveCancel) {
        QPushButton* save = box.addButton(QMessageBox::Save);
        QPushButton* cancel = box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == save ? IdYes : IdCancel;
    }
    if ((flags & MbButtons) == MbSaveDiscardCancel) {
        QPushButton* save = box.addButton(QMessageBox::Save);
        QPushButton* discard = box.addButton(QMessageBox::Discard);
        // Qt's Save and Cancel carry a mnemonic and its Discard does not: its first letter then.
        if (!discard->text().contains('&'))
            discard->setText('&' + discard->text());
        QPushButton* cancel = box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == save ? IdYes : box.clickedButton() == discard ? IdNo : IdCancel;
    }
    if ((flags & MbButtons) == MbYesNo) {
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

void SetUpOpenDialog(QFileDialog& dialog)
{
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromLatin1(RomFileFilter));
    dialog.setDefaultSuffix(QString::fromLatin1(RomSuffix));
}

std::optional<QString> QtDialogs::GetOpenFileName(QWidget* parent)
{
    // Built here since the static helper takes no default extension; like it, this is the
    // platform's own dialog where there is one.
    QFileDialog dialog(parent);
    SetUpOpenDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::GetSaveFileName(QWidget* parent, const QString& suggested)
{
    // The dialog itself asks before a file that exists is replaced.
    QFileDialog dialog(parent, QString(), suggested, QString::fromLatin1(RomFileFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(RomSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::GetFileName(
    QWidget* parent, FileKind kind, const QString& title, const QString& start)
{
    QFileDialog dialog(parent, title, start);
    switch (kind) {
    case FileKind::UnmodifiedImage:
        SetUpOpenDialog(dialog);
        break;
    case FileKind::Program:
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QString::fromLatin1(ZARNITH_PROGRAM_FILTER));
        break;
    case FileKind::Patch:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QString::fromLatin1(PatchFileFilter));
        dialog.setDefaultSuffix(QString::fromLatin1(PatchSuffix));
        break;
    case FileKind::ImportText:
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QString::fromLatin1(TextFileFilter));
        dialog.setDefaultSuffix(QString::fromLatin1(TextSuffix));
        break;
    case FileKind::ExportText:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QString::fromLatin1(TextFileFilter));
        dialog.setDefaultSuffix(QString::fromLatin1(TextSuffix));
        break;
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

namespace {

// QProgressDialog, shown after half a second; the work runs on the caller's thread, which lets
// the dialog paint and take Cancel as it goes. The user's input anywhere but in the dialog is
// dropped meanwhile, so nothing else starts before the work has ended (the dialog's own
// window-modality holds only once it shows).
class QtProgress final : public Progress, public QObject
{
public:
    QtProgress(QWidget* parent, const QString& text, const QString& caption)
        : m_dialog(text, QProgressDialog::tr("Cancel"), 0, Steps, parent)
    {
        m_dialog.setWindowTitle(caption);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
        m_dialog.setValue(0);
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~QtProgress() override
    {
        // Input that came after the last step is dropped too, not replayed once the work is over.
        QCoreApplication::processEvents();
        QCoreApplication::instance()->removeEventFilter(this);
    }

    bool Advance(std::uint64_t done, std::uint64_t total) override
    {
        const auto step = static_cast<int>(total == 0 ? Steps : std::min<std::uint64_t>(done, total) * Steps / total);
        if (step != m_dialog.value())
            m_dialog.setValue(step);
        QCoreApplication::processEvents();
        return !m_dialog.wasCanceled();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return !IsInDialog(watched);
        default:
            return false;
        }
    }

private:
    static constexpr int Steps = 1000;

    // The dialog, its children, or its own top-level window, which Qt gives the mouse, key and
    // close events first and which has no parent object.
    bool IsInDialog(QObject* object) const
    {
        if (object != nullptr && object == m_dialog.windowHandle())
            return true;
        for (; object != nullptr; object = object->parent())
            if (object == &m_dialog)
                return true;
        return false;
    }

    QProgressDialog m_dialog;
};

} // namespace

std::unique_ptr<Progress> QtDialogs::ShowProgress(QWidget* parent, const QString& text, const QString& caption)
{
    return std::make_unique<QtProgress>(parent, text, caption);
}

} // namespace zarnith

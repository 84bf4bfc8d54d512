#pragma once

#include "Dialogs.h"
#include "Emulator.h"
#include "LanguageTable.h"
#include "Messages.h"
#include "QtFill.h"
#include "RecentFiles.h"
#include "soundmoves/Document.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QComboBox;
class QListWidget;
class QMenu;
class QPushButton;

namespace zarnith {

// The main window: the entry list, the move list, the three editing buttons and the menu. It
// shows the open document and passes the user's commands to it.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);

    // The controls, named as in the window layout.
    QListWidget* ListBox1 = nullptr;
    QPushButton* ChangeMoveButton = nullptr;
    QPushButton* InsertMoveButton = nullptr;
    QComboBox* MoveComboBox = nullptr;
    QPushButton* DeleteMoveButton = nullptr;
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QMenu* OpenRecent1 = nullptr;
    QAction* ClearRecent1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* ExportTable1 = nullptr;
    QAction* ImportTable1 = nullptr;
    QAction* Play1 = nullptr;
    QAction* CreatePatch1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* AddMove1 = nullptr;
    QAction* RemoveMove1 = nullptr;
    QAction* CompareWithGame1 = nullptr;
    QAction* RestoreGameTable1 = nullptr;
    QMenu* Options1 = nullptr;
    QMenu* Language1 = nullptr;
    QAction* English1 = nullptr;
    QAction* Francais1 = nullptr;
    QAction* Emulator1 = nullptr;
    QAction* ClearEmulator1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* ImageInformation1 = nullptr;
    QAction* About1 = nullptr;
    QAction* VersionsCompatible1 = nullptr;

    void SetLanguage(int language);
    void SetMenuCaptions();
    void SetButtonCaptions();
    void FillListBox();
    // The exception display: a message box in the current language.
    void ShowException(const QString& message);
    // Opens path by the Open command's road, without its file dialog: for a file named on the
    // command line or dropped on the window.
    void OpenFile(const QString& path);
    // What Play starts programs through; the system's own unless a test sets another.
    void SetLauncher(Launcher& launcher) { m_launcher = &launcher; }

    // Row of the language table in the current language.
    QString Text(int row) const { return QString::fromStdString(m_messages.Text(row)); }
    int CurrentLanguage() const { return m_messages.Language(); }
    // Every text the window shows, composed in the current language.
    const Messages& Words() const { return m_messages; }
    const Document& Doc() const { return m_document; }
    Document& Doc() { return m_document; }

public slots:
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void ExportTable1Click();
    void ImportTable1Click();
    void ClearRecent1Click();
    void Close1Click();
    void Exit1Click();
    void Undo1Click();
    void Redo1Click();
    void AddMove1Click();
    void RemoveMove1Click();
    void English1Click();
    void Francais1Click();
    void About1Click();
    void VersionsCompatible1Click();
    void ImageInformation1Click();
    void CompareWithGame1Click();
    void RestoreGameTable1Click();
    void Play1Click();
    void Emulator1Click();
    void ClearEmulator1Click();
    void CreatePatch1Click();
    void ChangeMoveButtonClick();
    void InsertMoveButtonClick();
    void DeleteMoveButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildWindow();
    void UpdateControls();
    void ReturnToNoRomState();
    bool ConfirmDiscard();
    bool ConfirmReplace();
    void OpenPath(const QString& path);
    SaveQuestions Questions();
    bool SaveDocument();
    bool SaveDocumentAs();
    void FillRecentMenu();
    void OpenRecentFile(const QString& path);
    int Message(int textRow, int captionRow, unsigned flags);
    int Message(const QString& text, int captionRow, unsigned flags);
    int Message(const MessageBoxText& shown, unsigned flags);
    // Shows a composed text; an empty one is nothing to tell.
    void Tell(const std::string& text, unsigned flags = MbOk);
    // The open file's path as the system writes it.
    QString ShownPath() const;
    bool SaveBeforeUse();
    // A menu item's caption without its mnemonic and ellipsis, as a dialog's title.
    QString Caption(int row) const;
    int SelectedEntry() const;
    void EditSelection(EditCommand command);

    Dialogs& m_dialogs;
    LanguageStrings m_languageTable;
    Messages m_messages { m_languageTable };
    Document m_document;
    RecentFiles m_recent;
    EmulatorSetting m_emulator;
    QtLauncher m_systemLauncher;
    Launcher* m_launcher = &m_systemLauncher;
    QList<QAction*> m_recentItems;
    bool m_centred = false;
};

} // namespace zarnith

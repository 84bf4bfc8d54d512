#pragma once

#include "Dialogs.h"
#include "LanguageTable.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"
#include "text/MoveNames.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QComboBox;
class QListWidget;
class QMenu;
class QPushButton;

namespace zarnith {

// The main window: the entry list, the move list, the three editing buttons and the menu.
// It owns the open ROM, its move names and its sound-move table for the whole run.
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
    QAction* Save1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Options1 = nullptr;
    QMenu* Language1 = nullptr;
    QAction* English1 = nullptr;
    QAction* Francais1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;
    QAction* VersionsCompatible1 = nullptr;

    void SetLanguage(int language);
    void SetMenuCaptions();
    void SetButtonCaptions();
    void FillListBox();
    // The exception display: a message box in the current language.
    void ShowException(const QString& message);

    // Row of the language table in the current language.
    QString Text(int row) const { return m_languageTable[row * 2 + m_currentLanguage]; }
    int CurrentLanguage() const { return m_currentLanguage; }
    const RomAccess& Rom() const { return m_rom; }
    const SoundMoveTable& SoundMoves() const { return m_soundMoves; }

public slots:
    void Open1Click();
    void Save1Click();
    void Close1Click();
    void Exit1Click();
    void English1Click();
    void Francais1Click();
    void About1Click();
    void VersionsCompatible1Click();
    void ChangeMoveButtonClick();
    void InsertMoveButtonClick();
    void DeleteMoveButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWindow();
    void SetRomControlsEnabled(bool enabled);
    void ReturnToNoRomState();
    int Message(int textRow, int captionRow, unsigned flags);
    int Message(const QString& text, int captionRow, unsigned flags);
    QString OpenErrorText(OpenError error) const;
    int SelectedEntry() const;
    void EditSelection(const std::function<void(int s, int m)>& edit);

    Dialogs& m_dialogs;
    LanguageStrings m_languageTable;
    int m_currentLanguage = English;
    RomAccess m_rom;
    MoveNameList m_moveNames;
    SoundMoveTable m_soundMoves;
    bool m_centred = false;
};

} // namespace zarnith

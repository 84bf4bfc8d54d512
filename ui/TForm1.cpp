#include "TForm1.h"

#include "soundmoves/TableEditing.h"

#include <QActionGroup>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>

namespace zarnith {

namespace {

constexpr int ClientWidth = 385;
constexpr int ClientHeight = 205;
constexpr int ItemHeight = 13;

// Gives list rows the layout's fixed height.
class FixedHeightDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(ItemHeight);
        return size;
    }
};

} // namespace

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
{
    BuildWindow();
    InitLanguageTable(m_languageTable);
    SetLanguage(English);
}

void TForm1::BuildWindow()
{
    setObjectName("Form1");
    setWindowTitle("Zarnith");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(QFont("Tahoma", 8));

    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    ListBox1 = new QListWidget(client);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setGeometry(8, 8, 193, 189);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setItemDelegate(new FixedHeightDelegate(ListBox1));

    auto button = [client](const char* name, const char* caption, int top) {
        auto* b = new QPushButton(QString::fromLatin1(caption), client);
        b->setObjectName(name);
        b->setGeometry(207, top, 170, 50);
        b->setEnabled(false);
        return b;
    };
    ChangeMoveButton = button("ChangeMoveButton", "Change Move", 8);
    InsertMoveButton = button("InsertMoveButton", "Insert Move", 64);
    MoveComboBox = new QComboBox(client);
    MoveComboBox->setObjectName("MoveComboBox");
    MoveComboBox->setGeometry(207, 120, 170, 21);
    MoveComboBox->setEditable(false);
    MoveComboBox->setMaxVisibleItems(10);
    MoveComboBox->setItemDelegate(new FixedHeightDelegate(MoveComboBox));
    MoveComboBox->setEnabled(false);
    DeleteMoveButton = button("DeleteMoveButton", "Delete Move", 147);

    setTabOrder(ListBox1, ChangeMoveButton);
    setTabOrder(ChangeMoveButton, InsertMoveButton);
    setTabOrder(InsertMoveButton, MoveComboBox);
    setTabOrder(MoveComboBox, DeleteMoveButton);

    connect(ChangeMoveButton, &QPushButton::clicked, this, &TForm1::ChangeMoveButtonClick);
    connect(InsertMoveButton, &QPushButton::clicked, this, &TForm1::InsertMoveButtonClick);
    connect(DeleteMoveButton, &QPushButton::clicked, this, &TForm1::DeleteMoveButtonClick);

    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");
    auto action = [this](QMenu* menu, const char* name, const char* caption, void (TForm1::*handler)()) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    File1 = MainMenu1->addMenu("&File");
    Open1 = action(File1, "Open1", "&Open", &TForm1::Open1Click);
    Save1 = action(File1, "Save1", "&Save", &TForm1::Save1Click);
    Close1 = action(File1, "Close1", "&Close", &TForm1::Close1Click);
    Exit1 = action(File1, "Exit1", "E&xit", &TForm1::Exit1Click);
    Save1->setEnabled(false);
    Close1->setEnabled(false);
    // The platform's standard keys beside the mnemonics; a disabled item ignores its keys.
    Open1->setShortcuts(QKeySequence::Open);
    Save1->setShortcuts(QKeySequence::Save);
    Close1->setShortcuts(QKeySequence::Close);
    QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    Exit1->setShortcuts(quit.isEmpty() ? QList<QKeySequence> { QKeySequence(Qt::CTRL | Qt::Key_Q) } : quit);

    Options1 = MainMenu1->addMenu("&Options");
    Language1 = Options1->addMenu("&Language");
    English1 = action(Language1, "English1", "&English", &TForm1::English1Click);
    Francais1 = action(Language1, "Francais1", "&Français", &TForm1::Francais1Click);
    auto* languages = new QActionGroup(this);
    languages->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (QAction* item : { English1, Francais1 }) {
        item->setCheckable(true);
        languages->addAction(item);
    }
    English1->setChecked(true);
    Francais1->setEnabled(false);

    Help1 = MainMenu1->addMenu("&Help");
    About1 = action(Help1, "About1", "&About", &TForm1::About1Click);
    VersionsCompatible1
        = action(Help1, "VersionsCompatible1", "&Versions Compatible", &TForm1::VersionsCompatible1Click);

    // The client area is fixed; the window is as large as the menu bar and that, and no larger.
    adjustSize();
    setFixedSize(sizeHint());
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TForm1::SetLanguage(int language)
{
    m_currentLanguage = language;
    SetMenuCaptions();
    SetButtonCaptions();
}

void TForm1::SetMenuCaptions()
{
    File1->setTitle(Text(Row::File));
    Open1->setText(Text(Row::Open));
    Save1->setText(Text(Row::Save));
    Close1->setText(Text(Row::Close));
    Exit1->setText(Text(Row::Exit));
    Options1->setTitle(Text(Row::Options));
    Language1->setTitle(Text(Row::Language));
    Help1->setTitle(Text(Row::Help));
    About1->setText(Text(Row::About));
    VersionsCompatible1->setText(Text(Row::VersionsCompatible));
}

void TForm1::SetButtonCaptions()
{
    ChangeMoveButton->setText(Text(Row::ChangeMove));
    InsertMoveButton->setText(Text(Row::InsertMove));
    DeleteMoveButton->setText(Text(Row::DeleteMove));
}

void TForm1::FillListBox()
{
    ListBox1->clear();
    for (int i = 0; i < m_soundMoves.Count; ++i)
        ListBox1->addItem(QString::fromStdString(m_soundMoves.Entries[i].Name));
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
}

void TForm1::ShowException(const QString& message)
{
    Message(Text(Row::UnexpectedError).arg(message), Row::ErrorCaption, MbOk);
}

int TForm1::Message(int textRow, int captionRow, unsigned flags)
{
    return Message(Text(textRow), captionRow, flags);
}

int TForm1::Message(const QString& text, int captionRow, unsigned flags)
{
    return m_dialogs.MessageBox(this, text, Text(captionRow), flags);
}

void TForm1::SetRomControlsEnabled(bool enabled)
{
    Save1->setEnabled(enabled);
    Close1->setEnabled(enabled);
    ChangeMoveButton->setEnabled(enabled);
    InsertMoveButton->setEnabled(enabled);
    MoveComboBox->setEnabled(enabled);
    DeleteMoveButton->setEnabled(enabled);
}

void TForm1::ReturnToNoRomState()
{
    m_rom.CloseRom();
    ListBox1->clear();
    MoveComboBox->clear();
    SetRomControlsEnabled(false);
}

QString TForm1::OpenErrorText(OpenError error) const
{
    switch (error) {
    case OpenError::Missing:
        return Text(Row::OpenFailed).arg(Text(Row::ReasonMissing));
    case OpenError::Permission:
        return Text(Row::OpenFailed).arg(Text(Row::ReasonPermission));
    case OpenError::NotRegularFile:
        return Text(Row::OpenFailed).arg(Text(Row::ReasonNotRegularFile));
    case OpenError::None:
    case OpenError::Other:
        break;
    }
    return Text(Row::OpenFailed).arg(Text(Row::ReasonOther));
}

void TForm1::Open1Click()
{
    if (m_rom.IsRomOpen() && Message(Row::AlreadyOpen, Row::Warning, MbYesNo | MbDefButton2) == IdNo)
        return;
    std::optional<QString> path = m_dialogs.GetOpenFileName(this);
    if (!path)
        return;
    m_rom.CloseRom();

    if (OpenError error = m_rom.OpenRom(path->toStdString()); error != OpenError::None) {
        ReturnToNoRomState();
        Message(OpenErrorText(error), Row::Attention, MbOk);
        return;
    }
    if (m_rom.IdentifyGame() == nullptr) {
        ReturnToNoRomState();
        Message(Row::NotSupported, Row::Attention, MbOk);
        return;
    }
    SetRomControlsEnabled(true);

    ReadMoveNames(m_rom, m_moveNames);
    MoveComboBox->clear();
    for (const std::string& name : m_moveNames)
        MoveComboBox->addItem(QString::fromStdString(name));
    MoveComboBox->setCurrentIndex(0);

    LoadResult loaded = LoadSoundMoves(m_rom, m_moveNames, m_soundMoves,
        [this](int, std::uint16_t) { return Message(Row::RepairQuestion, Row::Attention, MbYesNo) != IdNo; });
    if (loaded.RepairsFailed > 0)
        Message(Row::RepairFailed, Row::Attention, MbOk);
    if (loaded.EndedEarly)
        Message(Row::EndedEarly, Row::Attention, MbOk);
    FillListBox();
}

void TForm1::Save1Click()
{
    if (!m_rom.IsRomOpen())
        return;
    bool saved = SaveSoundMoves(m_rom, m_soundMoves);
    Message(saved ? Row::Saved : Row::SaveFailed, Row::Attention, MbOk);
}

void TForm1::Close1Click()
{
    ReturnToNoRomState();
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::English1Click()
{
    if (m_currentLanguage != English)
        SetLanguage(English);
    English1->setChecked(true);
    Francais1->setChecked(false);
}

void TForm1::Francais1Click()
{
    if (m_currentLanguage != French)
        SetLanguage(French);
    Francais1->setChecked(true);
    English1->setChecked(false);
}

void TForm1::About1Click()
{
    Message(Row::AboutText, Row::AboutCaption, MbOk);
}

void TForm1::VersionsCompatible1Click()
{
    Message(Row::VersionsText, Row::VersionsCaption, MbOk);
}

int TForm1::SelectedEntry() const
{
    int row = ListBox1->currentRow();
    if (row < 0 || !ListBox1->item(row)->isSelected())
        return -1;
    return row;
}

// The three edits need a selected move and a selected entry, and do nothing without them; the
// list is refilled afterwards, so no entry stays selected.
void TForm1::EditSelection(const std::function<void(int s, int m)>& edit)
{
    int m = MoveComboBox->currentIndex();
    int s = SelectedEntry();
    if (m < 0 || s < 0)
        return;
    edit(s, m);
    FillListBox();
}

void TForm1::ChangeMoveButtonClick()
{
    EditSelection([this](int s, int m) { ChangeMove(m_soundMoves, m_moveNames, s, m); });
}

void TForm1::InsertMoveButtonClick()
{
    EditSelection([this](int s, int m) { InsertMove(m_soundMoves, m_moveNames, s, m); });
}

void TForm1::DeleteMoveButtonClick()
{
    EditSelection([this](int s, int) { DeleteMove(m_soundMoves, m_moveNames, s); });
}

} // namespace zarnith

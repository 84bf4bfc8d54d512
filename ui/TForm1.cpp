#include "TForm1.h"
#include "QtSha1.h"
#include "TableTextFile.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>

namespace zarnith {

namespace {

constexpr int ClientWidth = 385;
constexpr int ClientHeight = 205;
constexpr int ItemHeight = 13;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// A path as the messages show it: the system's separators, UTF-8.
std::string Shown(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

// The first local file among dropped items, if any.
QString DroppedFile(const QMimeData* data)
{
    if (data == nullptr)
        return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

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
    setAcceptDrops(true);

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
    // Some styles (Fusion among them) open a menu-like list as tall as the screen, ignoring the
    // ten-row limit; under every style this opens a plain list below the box instead.
    MoveComboBox->setMaxVisibleItems(10);
    MoveComboBox->setStyleSheet("QComboBox { combobox-popup: 0; }");
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
    // The Delete key in the list removes the selected entry, as Edit > Remove Move does.
    auto* removeKey = new QShortcut(QKeySequence(Qt::Key_Delete), ListBox1);
    removeKey->setContext(Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, [this] { EditSelection(DeleteKeyCommand); });
    // Selecting an entry selects its move in the drop-down, to change or insert from there.
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        const int move = m_document.MoveIndexOf(row);
        if (move >= 0 && move < MoveComboBox->count())
            MoveComboBox->setCurrentIndex(move);
    });

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
    OpenRecent1 = File1->addMenu("Open &Recent");
    OpenRecent1->setObjectName("OpenRecent1");
    OpenRecent1->addSeparator();
    ClearRecent1 = action(OpenRecent1, "ClearRecent1", "&Clear List", &TForm1::ClearRecent1Click);
    Save1 = action(File1, "Save1", "&Save", &TForm1::Save1Click);
    SaveAs1 = action(File1, "SaveAs1", "Save &As…", &TForm1::SaveAs1Click);
    ExportTable1 = action(File1, "ExportTable1", "&Export Table…", &TForm1::ExportTable1Click);
    ImportTable1 = action(File1, "ImportTable1", "&Import Table…", &TForm1::ImportTable1Click);
    Play1 = action(File1, "Play1", "&Play", &TForm1::Play1Click);
    CreatePatch1 = action(File1, "CreatePatch1", "Create Pa&tch…", &TForm1::CreatePatch1Click);
    Close1 = action(File1, "Close1", "&Close", &TForm1::Close1Click);
    Exit1 = action(File1, "Exit1", "E&xit", &TForm1::Exit1Click);
    Save1->setEnabled(false);
    SaveAs1->setEnabled(false);
    ExportTable1->setEnabled(false);
    ImportTable1->setEnabled(false);
    Close1->setEnabled(false);
    Play1->setEnabled(false);
    CreatePatch1->setEnabled(false);
    // Another run may have changed the list since.
    connect(File1, &QMenu::aboutToShow, this, &TForm1::FillRecentMenu);
    FillRecentMenu();
    // The platform's standard keys beside the mnemonics; a disabled item ignores its keys.
    Open1->setShortcuts(QKeySequence::Open);
    Save1->setShortcuts(QKeySequence::Save);
    QList<QKeySequence> saveAs = QKeySequence::keyBindings(QKeySequence::SaveAs);
    SaveAs1->setShortcuts(
        saveAs.isEmpty() ? QList<QKeySequence> { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S) } : saveAs);
    ExportTable1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    ImportTable1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    Close1->setShortcuts(QKeySequence::Close);
    QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    Exit1->setShortcuts(quit.isEmpty() ? QList<QKeySequence> { QKeySequence(Qt::CTRL | Qt::Key_Q) } : quit);
    Play1->setShortcut(QKeySequence(Qt::Key_F5));
    CreatePatch1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));

    Edit1 = MainMenu1->addMenu("&Edit");
    Undo1 = action(Edit1, "Undo1", "&Undo", &TForm1::Undo1Click);
    Redo1 = action(Edit1, "Redo1", "&Redo", &TForm1::Redo1Click);
    Edit1->addSeparator();
    AddMove1 = action(Edit1, "AddMove1", "&Add Move", &TForm1::AddMove1Click);
    RemoveMove1 = action(Edit1, "RemoveMove1", "Re&move Move", &TForm1::RemoveMove1Click);
    Edit1->addSeparator();
    CompareWithGame1 = action(Edit1, "CompareWithGame1", "&Compare with Game's Table…", &TForm1::CompareWithGame1Click);
    RestoreGameTable1 = action(Edit1, "RestoreGameTable1", "Restore &Game's Table", &TForm1::RestoreGameTable1Click);
    Undo1->setShortcuts(QKeySequence::Undo);
    // Both of the common redo keys, whatever the platform's own list holds.
    QList<QKeySequence> redo = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& key :
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) }) {
        if (!redo.contains(key))
            redo.append(key);
    }
    Redo1->setShortcuts(redo);
    // Keys that none of the platforms' standard keys use.
    AddMove1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    RemoveMove1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));

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
    Emulator1 = action(Options1, "Emulator1", "&Emulator…", &TForm1::Emulator1Click);
    ClearEmulator1 = action(Options1, "ClearEmulator1", "&Clear Emulator", &TForm1::ClearEmulator1Click);

    Help1 = MainMenu1->addMenu("&Help");
    ImageInformation1 = action(Help1, "ImageInformation1", "&Image Information…", &TForm1::ImageInformation1Click);
    ImageInformation1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    ImageInformation1->setEnabled(false);
    Help1->addSeparator();
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
    m_messages.SetLanguage(language);
    SetMenuCaptions();
    SetButtonCaptions();
    UpdateControls();
}

void TForm1::SetMenuCaptions()
{
    File1->setTitle(Text(Row::File));
    Open1->setText(Text(Row::Open));
    OpenRecent1->setTitle(Text(Row::OpenRecent));
    ClearRecent1->setText(Text(Row::ClearRecent));
    Save1->setText(Text(Row::Save));
    SaveAs1->setText(Text(Row::SaveAs));
    ExportTable1->setText(Text(Row::ExportTable));
    ImportTable1->setText(Text(Row::ImportTable));
    Close1->setText(Text(Row::Close));
    Exit1->setText(Text(Row::Exit));
    Edit1->setTitle(Text(Row::Edit));
    Undo1->setText(Text(Row::Undo));
    Redo1->setText(Text(Row::Redo));
    AddMove1->setText(Text(Row::AddMove));
    RemoveMove1->setText(Text(Row::RemoveMove));
    Options1->setTitle(Text(Row::Options));
    Language1->setTitle(Text(Row::Language));
    Help1->setTitle(Text(Row::Help));
    About1->setText(Text(Row::About));
    VersionsCompatible1->setText(Text(Row::VersionsCompatible));
    Play1->setText(Text(Row::Play));
    CreatePatch1->setText(Text(Row::CreatePatch));
    CompareWithGame1->setText(Text(Row::CompareWithGame));
    RestoreGameTable1->setText(Text(Row::RestoreGameTable));
    Emulator1->setText(Text(Row::Emulator));
    ImageInformation1->setText(Text(Row::ImageInformation));
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
    for (const SoundMoveEntry& entry : m_document.Table().Entries) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry.Name), ListBox1);
        item->setToolTip(Q(m_messages.MoveTooltip(entry.Id())));
    }
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
}

void TForm1::ShowException(const QString& message)
{
    Message(m_messages.UnexpectedError(message.toStdString()), MbOk);
}

int TForm1::Message(int textRow, int captionRow, unsigned flags)
{
    return Message(Text(textRow), captionRow, flags);
}

int TForm1::Message(const QString& text, int captionRow, unsigned flags)
{
    return m_dialogs.MessageBox(this, text, Text(captionRow), flags);
}

int TForm1::Message(const MessageBoxText& shown, unsigned flags)
{
    return m_dialogs.MessageBox(this, Q(shown.Text), Q(shown.Caption), flags);
}

void TForm1::Tell(const std::string& text, unsigned flags)
{
    if (!text.empty())
        Message(Q(text), Row::Attention, flags);
}

// Enables what the document allows, and names the open file, its game and any place of its
// data that is not the game's own in the title.
void TForm1::UpdateControls()
{
    const bool open = m_document.IsOpen();
    const bool editable = m_document.CanEdit();
    Save1->setEnabled(m_document.CanSave());
    SaveAs1->setEnabled(m_document.CanSaveAs());
    Close1->setEnabled(open);
    MoveComboBox->setEnabled(open);
    for (QPushButton* button : { ChangeMoveButton, InsertMoveButton, DeleteMoveButton })
        button->setEnabled(editable);
    ExportTable1->setEnabled(editable);
    ImportTable1->setEnabled(editable);
    AddMove1->setEnabled(editable);
    RemoveMove1->setEnabled(editable);
    Undo1->setEnabled(m_document.CanUndo());
    Redo1->setEnabled(m_document.CanRedo());
    for (QAction* item : { Play1, CreatePatch1, ImageInformation1 })
        item->setEnabled(open);
    CompareWithGame1->setEnabled(editable);
    RestoreGameTable1->setEnabled(editable);
    // The chosen emulator is named in the item that forgets it.
    const QString program = m_emulator.Program();
    ClearEmulator1->setEnabled(!program.isEmpty());
    ClearEmulator1->setText(program.isEmpty()
            ? Text(Row::ClearEmulator)
            : QString("%1 (%2)").arg(Text(Row::ClearEmulator), QFileInfo(program).fileName().replace('&', "&&")));

    // The modified mark first, where no narrow window cuts it off.
    const std::string name = "[*]" + QFileInfo(QString::fromStdString(m_document.Path())).fileName().toStdString();
    setWindowTitle(Q(m_messages.Title(m_document, name)));
    setWindowModified(m_document.IsModified());
    ListBox1->setToolTip(Q(m_messages.Places(m_document)));
}

void TForm1::ReturnToNoRomState()
{
    m_document.Close();
    ListBox1->clear();
    MoveComboBox->clear();
    UpdateControls();
}

QString TForm1::ShownPath() const
{
    return QDir::toNativeSeparators(QString::fromStdString(m_document.Path()));
}

// With unsaved edits, asks whether to save them, drop them or stay; true when the caller may go
// on and drop what is open.
bool TForm1::ConfirmDiscard()
{
    if (!m_document.IsModified())
        return true;
    switch (Message(m_messages.Question(FileQuestion::SaveChanges), MbSaveDiscardCancel)) {
    case IdYes:
        // A file that may only be read is saved under another name.
        return m_document.CanSave() ? SaveDocument() : SaveDocumentAs();
    case IdNo:
        return true;
    default:
        return false;
    }
}

// Before another file takes the place of the open one: the unsaved-edits question when there
// are edits, otherwise the question whether to open another file at all.
bool TForm1::ConfirmReplace()
{
    if (m_document.IsModified())
        return ConfirmDiscard();
    return !m_document.IsOpen()
        || Message(m_messages.Question(FileQuestion::AlreadyOpen), MbYesNo | MbDefButton2) != IdNo;
}

void TForm1::Open1Click()
{
    if (!ConfirmReplace())
        return;
    std::optional<QString> path = m_dialogs.GetOpenFileName(this);
    if (path)
        OpenPath(*path);
}

void TForm1::OpenFile(const QString& path)
{
    if (ConfirmReplace())
        OpenPath(path);
}

// A file that cannot be opened leaves the window, and the file open in it, as they were.
void TForm1::OpenPath(const QString& path)
{
    const Document::OpenResult opened = m_document.Open(path.toStdString(), [this](int index, std::uint16_t id) {
        // A Yes writes to the new file at once: the window names it before asking.
        ListBox1->clear();
        MoveComboBox->clear();
        UpdateControls();
        return Message(Q(m_messages.RepairQuestion(index, id)), Row::Attention, MbYesNo) != IdNo;
    });
    if (!opened.Supported) {
        // Reopening the open file let it go first: then nothing is open any more.
        if (!m_document.IsOpen())
            ReturnToNoRomState();
        Tell(m_messages.OpenRefusal(opened, Shown(path)));
        return;
    }
    MoveComboBox->clear();
    const MoveNameList& names = m_document.Names();
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        MoveComboBox->addItem(QString::fromStdString(names[i]));
        MoveComboBox->setItemData(i, Q(m_messages.MoveTooltip(i + 1)), Qt::ToolTipRole);
    }
    MoveComboBox->setCurrentIndex(0);
    FillListBox();
    UpdateControls();
    m_recent.Add(path);
    FillRecentMenu();
    for (const std::string& report : m_messages.LoadReports(m_document, opened.Load))
        Tell(report);
    if (const std::string warning = m_messages.PathWarning(m_document); !warning.empty())
        Message(Q(warning), Row::Warning, MbOk);
}

SaveQuestions TForm1::Questions()
{
    auto ask = [this](SaveQuestion question, std::uint32_t a, std::uint32_t b) {
        return Message(Q(m_messages.Question(question, a, b, m_document)), Row::Warning, MbYesNo | MbDefButton2)
            == IdYes;
    };
    return {
        [ask] { return ask(SaveQuestion::Overwrite, 0, 0); },
        [ask](std::uint32_t to, std::uint32_t pointerAt) { return ask(SaveQuestion::Move, to, pointerAt); },
        [ask](std::uint32_t start, std::uint32_t end) { return ask(SaveQuestion::Grow, start, end); },
        [ask] { return ask(SaveQuestion::Unread, 0, 0); },
    };
}

bool TForm1::SaveDocument()
{
    const SaveStatus status = m_document.Save(Questions());
    UpdateControls();
    Tell(m_messages.SaveReport(status, m_document, ShownPath().toStdString()));
    if (SaveSucceeded(status))
        m_recent.Add(QString::fromStdString(m_document.Path()));
    FillRecentMenu();
    return SaveSucceeded(status);
}

// Asks where to, and saves a copy there; true when the chosen file now holds the table.
bool TForm1::SaveDocumentAs()
{
    const std::optional<QString> path = m_dialogs.GetSaveFileName(this, QString::fromStdString(m_document.Path()));
    if (!path)
        return false;
    const SaveAsResult result = m_document.SaveAs(path->toStdString(), Questions());
    const bool saved = (result.Status == SaveAsStatus::Saved || result.Status == SaveAsStatus::SameFile)
        && SaveSucceeded(result.Table);
    if (saved || result.Status == SaveAsStatus::ReopenFailed)
        m_recent.Add(*path);
    // The title names the file the window goes on with before anything is said about it.
    UpdateControls();
    FillRecentMenu();

    Tell(m_messages.SaveAsReport(result, m_document, Shown(*path), ShownPath().toStdString()));
    return saved;
}

void TForm1::Save1Click()
{
    if (m_document.CanSave())
        SaveDocument();
}

void TForm1::SaveAs1Click()
{
    if (m_document.CanSaveAs())
        SaveDocumentAs();
}

void TForm1::ExportTable1Click()
{
    if (!m_document.CanEdit())
        return;
    const std::optional<QString> path = m_dialogs.GetFileName(this, FileKind::ExportText, Caption(Row::ExportTable),
        TableTextPathFor(QString::fromStdString(m_document.Path())));
    if (!path)
        return;
    const std::string shown = Shown(*path);
    const GameInfo* image = ImageGameAt(path->toStdString());
    if (m_document.File().IsFileAt(path->toStdString()))
        Tell(m_messages.ExportReport(ExportOutcome::OverImage, shown));
    else if (image != nullptr)
        Tell(m_messages.ExportReport(ExportOutcome::OverOtherImage, shown, image->Name));
    else
        Tell(m_messages.ExportReport(
            WriteTableTextFile(*path, m_document.ExportTable()) ? ExportOutcome::Exported : ExportOutcome::Failed,
            shown));
}

void TForm1::ImportTable1Click()
{
    if (!m_document.CanEdit())
        return;
    const std::optional<QString> path = m_dialogs.GetFileName(this, FileKind::ImportText, Caption(Row::ImportTable),
        TableTextPathFor(QString::fromStdString(m_document.Path())));
    if (!path)
        return;
    const std::string shown = Shown(*path);
    const std::optional<QByteArray> text = ReadTableTextFile(*path);
    if (!text) {
        Tell(m_messages.ImportReadFailed(shown));
        return;
    }
    const ImportResult result = m_document.Import(std::string_view(text->constData(), text->size()));
    if (result.Status == ImportStatus::Imported) {
        FillListBox();
        UpdateControls();
    }
    Tell(m_messages.ImportReport(result, m_document, shown));
}

// The recent files as numbered items above the separator and Clear List; the submenu is
// disabled while the list is empty.
void TForm1::FillRecentMenu()
{
    // An item may be the one whose click led here, so it is deleted only once that is over.
    for (QAction* item : std::as_const(m_recentItems)) {
        OpenRecent1->removeAction(item);
        item->deleteLater();
    }
    m_recentItems.clear();
    const QStringList paths = m_recent.Paths();
    QAction* before = OpenRecent1->actions().value(0);
    for (int i = 0; i < paths.size(); ++i) {
        QString caption = QDir::toNativeSeparators(paths[i]);
        auto* item = new QAction(Fill(QStringLiteral("&%1 %2"), i + 1, caption.replace('&', "&&")), OpenRecent1);
        connect(item, &QAction::triggered, this, [this, path = paths[i]] { OpenRecentFile(path); });
        OpenRecent1->insertAction(before, item);
        m_recentItems << item;
    }
    OpenRecent1->menuAction()->setEnabled(!paths.isEmpty());
}

void TForm1::OpenRecentFile(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        m_recent.Remove(path);
        FillRecentMenu();
        Tell(Fill(m_messages.Text(Row::RecentMissing), Shown(path)));
        return;
    }
    OpenFile(path);
}

void TForm1::ClearRecent1Click()
{
    m_recent.Clear();
    FillRecentMenu();
}

void TForm1::Close1Click()
{
    if (ConfirmDiscard())
        ReturnToNoRomState();
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (ConfirmDiscard())
        event->accept();
    else
        event->ignore();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    OpenFile(path);
}

void TForm1::English1Click()
{
    if (CurrentLanguage() != English)
        SetLanguage(English);
    English1->setChecked(true);
    Francais1->setChecked(false);
}

void TForm1::Francais1Click()
{
    if (CurrentLanguage() != French)
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

// The edits by the document's rules: what each needs, and which entry is selected afterwards.
void TForm1::EditSelection(EditCommand command)
{
    const EditResult result = m_document.Edit(command, SelectedEntry(), MoveComboBox->currentIndex());
    if (!result.Changed)
        return;
    FillListBox();
    ListBox1->setCurrentRow(result.Selected);
    UpdateControls();
}

void TForm1::ChangeMoveButtonClick()
{
    EditSelection(EditCommand::Change);
}

void TForm1::InsertMoveButtonClick()
{
    EditSelection(EditCommand::Insert);
}

void TForm1::DeleteMoveButtonClick()
{
    EditSelection(EditCommand::Delete);
}

void TForm1::AddMove1Click()
{
    EditSelection(EditCommand::Append);
}

void TForm1::RemoveMove1Click()
{
    EditSelection(EditCommand::Remove);
}

void TForm1::Undo1Click()
{
    if (m_document.Undo())
        FillListBox();
    UpdateControls();
}

void TForm1::Redo1Click()
{
    if (m_document.Redo())
        FillListBox();
    UpdateControls();
}

QString TForm1::Caption(int row) const
{
    return Q(m_messages.Caption(row));
}

void TForm1::ImageInformation1Click()
{
    if (!m_document.IsOpen())
        return;
    QtSha1 sha1;
    const ImageFacts facts = m_document.Facts(sha1);
    const std::string text = m_messages.ImageInformation(facts, Shown(QString::fromStdString(facts.Path)));
    if (facts.Replaced)
        Message(Q(text), Row::Attention, MbOk);
    else
        m_dialogs.MessageBox(this, Q(text), Caption(Row::ImageInformation), MbOk | MbSelectableText);
}

void TForm1::CompareWithGame1Click()
{
    if (!m_document.CanEdit())
        return;
    m_dialogs.MessageBox(this, Q(m_messages.Comparison(m_document.CompareWithGame(), m_document)),
        Caption(Row::CompareWithGame), MbOk | MbSelectableText);
}

void TForm1::RestoreGameTable1Click()
{
    if (m_document.RestoreGameTable())
        FillListBox();
    UpdateControls();
}

// Before a command that uses the file as it stands on disk: unsaved edits are saved first or the
// command is not carried out. A file that may only be read is used as it is.
bool TForm1::SaveBeforeUse()
{
    if (!m_document.IsModified() || !m_document.CanSave())
        return true;
    return Message(m_messages.Question(FileQuestion::SaveFirst), MbSaveCancel) == IdYes && SaveDocument();
}

void TForm1::Play1Click()
{
    if (!m_document.IsOpen() || !SaveBeforeUse())
        return;
    // Edits that may not be saved into the file are not in what is played.
    if (m_document.IsModified() && !m_document.CanSave())
        Tell(m_messages.PlayReport(PlayOutcome::Unsaved, ShownPath().toStdString()));
    // Whole, so that no name is taken for an option or a link's own scheme.
    const QString path = QFileInfo(QString::fromStdString(m_document.Path())).absoluteFilePath();
    const QString program = m_emulator.Program();
    if (!program.isEmpty()) {
        if (!m_launcher->Start(program, path))
            Tell(m_messages.PlayReport(PlayOutcome::Failed, Shown(program)));
    } else if (!m_launcher->OpenWithSystem(path)) {
        Tell(m_messages.PlayReport(PlayOutcome::NoProgram, Shown(path)));
    }
}

void TForm1::Emulator1Click()
{
    const std::optional<QString> program
        = m_dialogs.GetFileName(this, FileKind::Program, Caption(Row::Emulator), m_emulator.Program());
    // A file that cannot be run would fail every Play: it is refused now, where it was chosen.
    if (program && !(QFileInfo(*program).isFile() && QFileInfo(*program).isExecutable()))
        Tell(m_messages.PlayReport(PlayOutcome::NotProgram, Shown(*program)));
    else if (program)
        m_emulator.Set(*program);
    UpdateControls();
}

void TForm1::ClearEmulator1Click()
{
    m_emulator.Clear();
    UpdateControls();
}

void TForm1::CreatePatch1Click()
{
    if (!m_document.IsOpen() || !SaveBeforeUse())
        return;
    const QFileInfo open(QString::fromStdString(m_document.Path()));
    const std::optional<QString> image
        = m_dialogs.GetFileName(this, FileKind::UnmodifiedImage, Text(Row::ChooseUnmodified), open.absolutePath());
    if (!image)
        return;
    // Reading the image whole for its SHA-1 takes seconds for a large one: it runs under the
    // progress dialog too, which can stop it and drops the input typed meanwhile.
    PatchResult checked;
    {
        const std::unique_ptr<Progress> progress
            = m_dialogs.ShowProgress(this, Text(Row::PatchProgress), Caption(Row::CreatePatch));
        QtSha1 sha1;
        checked = m_document.CheckPatchSource(image->toStdString(), sha1,
            [&progress](std::uint64_t done, std::uint64_t total) { return progress->Advance(done, total); });
    }
    const std::string shownImage = Shown(*image);
    if (checked.Status != PatchStatus::Fits) {
        Tell(m_messages.PatchReport(checked, m_document, shownImage, {}));
        return;
    }
    if (checked.NotReleaseSha1
        && Message(Q(m_messages.PatchNotRelease(shownImage)), Row::Warning, MbYesNo | MbDefButton2) != IdYes)
        return;
    const std::optional<QString> patch = m_dialogs.GetFileName(
        this, FileKind::Patch, Caption(Row::CreatePatch), open.dir().filePath(open.completeBaseName() + ".bps"));
    if (!patch)
        return;
    PatchResult result;
    {
        const std::unique_ptr<Progress> progress
            = m_dialogs.ShowProgress(this, Text(Row::PatchProgress), Caption(Row::CreatePatch));
        result = m_document.CreatePatch(image->toStdString(), patch->toStdString(), nullptr,
            [&progress](std::uint64_t done, std::uint64_t total) { return progress->Advance(done, total); });
    }
    Tell(m_messages.PatchReport(result, m_document, shownImage, Shown(*patch)));
}

} // namespace zarnith

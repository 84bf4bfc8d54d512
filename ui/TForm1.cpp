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

QString Hex(std::uint32_t value)
{
    return QString::number(value, 16).toUpper();
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
    connect(removeKey, &QShortcut::activated, this, &TForm1::RemoveMove1Click);
    // Selecting an entry selects its move in the drop-down, to change or insert from there.
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        const std::vector<SoundMoveEntry>& entries = m_document.Table().Entries;
        if (row < 0 || row >= static_cast<int>(entries.size()))
            return;
        const std::uint16_t id = entries[static_cast<std::size_t>(row)].Id();
        if (IsValidMove(id, MoveComboBox->count()))
            MoveComboBox->setCurrentIndex(id - 1);
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
    m_currentLanguage = language;
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
        item->setToolTip(Text(Row::MoveTooltip).arg(entry.Id()));
    }
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

    QStringList title;
    QStringList places;
    if (open) {
        const RomAccess& rom = m_document.Rom();
        const std::optional<std::uint32_t> table = m_document.TableOffset();
        if (table && *table != m_document.Game()->SoundMovesOffset)
            places << Text(Row::TableAt).arg(Hex(*table));
        if (!rom.NamesAtOwnOffset())
            places << Text(Row::NamesAt).arg(Hex(rom.NamesListOffset()));
        if (m_document.Names().size() != MoveCount)
            places << Text(Row::MoveListLength).arg(m_document.Names().size());
        // The modified mark first, where no narrow window cuts it off.
        title << "[*]" + QFileInfo(QString::fromStdString(m_document.Path())).fileName()
              << QString::fromUtf8(m_document.Game()->Name.data(), static_cast<int>(m_document.Game()->Name.size()));
        if (m_document.IsReadOnly())
            title << Text(Row::ReadOnly);
        if (!editable)
            title << Text(Row::ViewOnly);
        if (!m_document.ReadByGame().Read())
            title << Text(Row::NotReadByGame);
        if (!places.isEmpty())
            title << places.join(", ");
    }
    title << "Zarnith";
    setWindowTitle(title.join(QString::fromUtf8(" \u2014 ")));
    setWindowModified(m_document.IsModified());
    ListBox1->setToolTip(places.join(", "));
}

void TForm1::ReturnToNoRomState()
{
    m_document.Close();
    ListBox1->clear();
    MoveComboBox->clear();
    UpdateControls();
}

int TForm1::OpenErrorReason(OpenError error)
{
    switch (error) {
    case OpenError::Missing:
        return Row::ReasonMissing;
    case OpenError::Permission:
        return Row::ReasonPermission;
    case OpenError::NotRegularFile:
        return Row::ReasonNotRegularFile;
    case OpenError::NameTooLong:
        return Row::ReasonNameTooLong;
    case OpenError::None:
    case OpenError::Other:
        break;
    }
    return Row::ReasonOther;
}

QString TForm1::OpenErrorText(OpenError error, const QString& path) const
{
    return Text(Row::OpenFailed).arg(QDir::toNativeSeparators(path), Text(OpenErrorReason(error)));
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
    switch (Message(Row::SaveChanges, Row::Warning, MbSaveDiscardCancel)) {
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
    return !m_document.IsOpen() || Message(Row::AlreadyOpen, Row::Warning, MbYesNo | MbDefButton2) != IdNo;
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
        return Message(Fill(Text(Row::RepairQuestion), index + 1, id), Row::Attention, MbYesNo) != IdNo;
    });
    if (!opened.Supported) {
        // Reopening the open file let it go first: then nothing is open any more.
        if (!m_document.IsOpen())
            ReturnToNoRomState();
        QString text = OpenErrorText(opened.Error, path);
        if (opened.Error == OpenError::None) {
            // The header's code and version byte, as found: what the user needs to tell games apart.
            const QString shown = QDir::toNativeSeparators(path);
            text = Text(Row::NotSupported) + "\n\n"
                + (opened.Code.empty() ? Fill(Text(Row::NotSupportedShort), shown)
                                       : Fill(Text(Row::NotSupportedCode), shown,
                                           QString::fromStdString(PrintableCode(opened.Code)), opened.Revision));
        }
        Message(text, Row::Attention, MbOk);
        return;
    }
    MoveComboBox->clear();
    const MoveNameList& names = m_document.Names();
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        MoveComboBox->addItem(QString::fromStdString(names[i]));
        MoveComboBox->setItemData(i, Text(Row::MoveTooltip).arg(i + 1), Qt::ToolTipRole);
    }
    MoveComboBox->setCurrentIndex(0);
    FillListBox();
    UpdateControls();
    m_recent.Add(path);
    FillRecentMenu();
    ReportLoad(opened.Load);
    // A table that may only be viewed has been told about already.
    if (m_document.CanEdit() && !m_document.ReadByGame().Read())
        Message(Text(Row::PathWarning).arg(PathReason(m_document.ReadByGame())), Row::Warning, MbOk);
}

QString TForm1::PathReason(const GamePath& path) const
{
    auto address = [](std::uint32_t value) { return "0x" + Hex(value).rightJustified(8, '0'); };
    const QString own = address(path.Own);
    const QString elsewhere = path.Elsewhere ? address(*path.Elsewhere) : Text(Row::PathUnknownPlace);
    switch (path.Break) {
    case PathBreak::None:
        break;
    case PathBreak::EndOfFile:
        return Text(Row::PathEndOfFile);
    case PathBreak::WordsDiffer:
        return Text(Row::PathWordsDiffer);
    case PathBreak::CommandTableOutside:
        return Text(Row::PathCommandTableOutside).arg(elsewhere);
    case PathBreak::CommandTablePastEnd:
        return Text(Row::PathCommandTablePastEnd).arg(elsewhere);
    case PathBreak::FirstCommandMoved:
        return Text(Row::PathFirstCommandMoved).arg(elsewhere, own);
    case PathBreak::FirstCommandJumps:
        return Text(Row::PathFirstCommandJumps).arg(own, elsewhere);
    case PathBreak::CallMoved:
        return path.Elsewhere ? Text(Row::PathCallMoved).arg(elsewhere, own) : Text(Row::PathCallGone).arg(own);
    case PathBreak::AbilityEffectsJump:
        return Text(Row::PathAbilityEffectsJump).arg(own, elsewhere);
    case PathBreak::LoadMoved:
        return path.Elsewhere ? Text(Row::PathLoadMoved).arg(elsewhere, own) : Text(Row::PathLoadGone).arg(own);
    case PathBreak::AttackChecksChanged:
        return Text(Row::PathAttackChecksChanged).arg(Hex(path.Own));
    case PathBreak::CallChanged:
        return Text(Row::PathCallChanged).arg(Hex(path.Own));
    case PathBreak::AbilityEffectsChanged:
        return Text(Row::PathAbilityEffectsChanged).arg(Hex(path.Own));
    case PathBreak::SoundproofCaseChanged:
        return Text(Row::PathSoundproofCaseChanged).arg(Hex(path.Own));
    }
    return {};
}

void TForm1::ReportLoad(const LoadResult& load)
{
    if (load.RepairsFailed > 0)
        Message(Row::RepairFailed, Row::Attention, MbOk);
    const RomAccess& rom = m_document.Rom();
    const GameInfo& game = *m_document.Game();
    switch (load.Status) {
    case TableStatus::Verified:
        break;
    case TableStatus::EndOfFile:
        if (!rom.TableWord())
            Message(Text(Row::EndedBeforeWord).arg(Hex(game.TableWordAt)), Row::Attention, MbOk);
        else if (m_document.Table().Count() > 0)
            Message(Row::EndedEarly, Row::Attention, MbOk);
        else
            Message(Text(Row::EndedBeforeTable).arg(Hex(*rom.TableWord() - RomBase)), Row::Attention, MbOk);
        break;
    case TableStatus::PastAddressSpace:
        Message(Text(Row::PastAddressSpace).arg(Hex(rom.SoundMovesOffset())), Row::Attention, MbOk);
        break;
    case TableStatus::NotLocated:
        Message(
            Text(Row::NotLocated).arg(Hex(game.TableWordAt), Hex(rom.TableWord().value_or(0))), Row::Attention, MbOk);
        break;
    case TableStatus::NoEndPair:
    case TableStatus::NotMoves:
        Message(Text(Row::NotVerified).arg(Hex(rom.SoundMovesOffset())), Row::Attention, MbOk);
        break;
    }
}

SaveQuestions TForm1::Questions()
{
    return {
        [this] { return Message(Row::ChangedOnDisk, Row::Warning, MbYesNo | MbDefButton2) == IdYes; },
        [this](std::uint32_t to, std::uint32_t pointerAt) {
            return Message(Text(Row::MoveQuestion).arg(Hex(to), Hex(pointerAt)), Row::Warning, MbYesNo | MbDefButton2)
                == IdYes;
        },
        [this](std::uint32_t start, std::uint32_t end) {
            return Message(Text(Row::GrowQuestion).arg(Hex(start), Hex(end - 1)), Row::Warning, MbYesNo | MbDefButton2)
                == IdYes;
        },
        [this] {
            return Message(Text(Row::WriteUnreadQuestion).arg(PathReason(m_document.ReadByGame())), Row::Warning,
                       MbYesNo | MbDefButton2)
                == IdYes;
        },
    };
}

// Tells how saving the table went; notSaved words a refusal from its reason. Into a copy, a
// failed write is one more refusal: the copy was dropped and no file was changed.
void TForm1::ReportSave(SaveStatus status, const std::function<QString(const QString& reason)>& notSaved, bool intoCopy)
{
    auto refused = [&](int reason) { Message(notSaved(Text(reason)), Row::Attention, MbOk); };
    switch (status) {
    case SaveStatus::Saved:
        Message(Row::Saved, Row::Attention, MbOk);
        break;
    case SaveStatus::Moved:
        Message(Text(Row::Moved).arg(Hex(m_document.Place().Offset)), Row::Attention, MbOk);
        break;
    case SaveStatus::Grown: {
        const TablePlace& place = m_document.Place();
        Message(Text(Row::Grown).arg(Hex(place.Offset + 2 * place.Count + 1)), Row::Attention, MbOk);
        break;
    }
    case SaveStatus::NotVerified:
        refused(Row::ReasonNotVerified);
        break;
    case SaveStatus::Replaced:
        refused(Row::ReasonReplaced);
        break;
    case SaveStatus::OtherImage:
        refused(Row::ReasonOtherImage);
        break;
    case SaveStatus::Shorter:
        refused(Row::ReasonShorter);
        break;
    case SaveStatus::PointerChanged:
        refused(Row::ReasonPointerChanged);
        break;
    case SaveStatus::ChangeKept:
        refused(Row::ReasonChangeKept);
        break;
    case SaveStatus::ChangedWhileAsked:
        refused(Row::ReasonChangedWhileAsked);
        break;
    case SaveStatus::NotMoves:
        refused(Row::ReasonNotMoves);
        break;
    case SaveStatus::NoFreeSpace:
        refused(Row::ReasonNoFreeSpace);
        break;
    case SaveStatus::MoveDeclined:
    case SaveStatus::UnreadDeclined:
        break;
    case SaveStatus::MoveFailed:
        if (intoCopy)
            refused(Row::ReasonCopyWriteFailed);
        else
            Message(Text(Row::MoveFailed).arg(ShownPath()), Row::Attention, MbOk);
        break;
    case SaveStatus::WriteFailed:
        if (intoCopy)
            refused(Row::ReasonCopyWriteFailed);
        else
            Message(Text(Row::SaveFailed).arg(ShownPath()), Row::Attention, MbOk);
        break;
    }
}

bool TForm1::SaveDocument()
{
    const SaveStatus status = m_document.Save(Questions());
    UpdateControls();
    ReportSave(
        status, [this](const QString& reason) { return Text(Row::NotSaved).arg(ShownPath(), reason); }, false);
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

    const QString shown = QDir::toNativeSeparators(*path);
    auto notSaved = [this, &shown](const QString& reason) { return Text(Row::NotSavedAs).arg(shown, reason); };
    switch (result.Status) {
    case SaveAsStatus::Saved:
        ReportSave(result.Table, notSaved, true);
        break;
    case SaveAsStatus::SameFile:
        ReportSave(
            result.Table, [this](const QString& reason) { return Text(Row::NotSaved).arg(ShownPath(), reason); },
            false);
        break;
    case SaveAsStatus::NotEditable:
        Message(notSaved(Text(Row::ReasonNotVerified)), Row::Attention, MbOk);
        break;
    case SaveAsStatus::TargetRefused:
        Message(notSaved(Text(OpenErrorReason(result.Error))), Row::Attention, MbOk);
        break;
    case SaveAsStatus::CreateFailed:
        Message(notSaved(Text(Row::ReasonCreateFailed)), Row::Attention, MbOk);
        break;
    case SaveAsStatus::CopyFailed:
        Message(notSaved(Text(Row::ReasonCopyFailed)), Row::Attention, MbOk);
        break;
    case SaveAsStatus::TableNotSaved:
        ReportSave(result.Table, notSaved, true);
        break;
    case SaveAsStatus::ReplaceFailed:
        Message(notSaved(Text(Row::ReasonReplaceFailed)), Row::Attention, MbOk);
        break;
    case SaveAsStatus::ReopenFailed:
        Message(Text(Row::ReopenFailed).arg(shown), Row::Attention, MbOk);
        break;
    }
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
    const QString shown = QDir::toNativeSeparators(*path);
    const GameInfo* image = ImageGameAt(path->toStdString());
    if (m_document.File().IsFileAt(path->toStdString()))
        Message(Text(Row::ExportOverImage).arg(shown), Row::Attention, MbOk);
    else if (image != nullptr)
        Message(Fill(Text(Row::ExportOverOtherImage), shown,
                    QString::fromUtf8(image->Name.data(), static_cast<qsizetype>(image->Name.size()))),
            Row::Attention, MbOk);
    else if (WriteTableTextFile(*path, m_document.ExportTable()))
        Message(Text(Row::Exported).arg(shown), Row::Attention, MbOk);
    else
        Message(Text(Row::ExportFailed).arg(shown), Row::Attention, MbOk);
}

QString TForm1::ImportRefusal(const ImportResult& result, const QString& shown) const
{
    const TextRefusal& refusal = result.Refusal;
    const auto moveCount = static_cast<int>(m_document.Names().size());
    QString reason;
    switch (refusal.Problem) {
    case TextProblem::TooLarge:
        reason = Text(Row::ReasonTooLarge).arg(MaxTableTextSize);
        break;
    case TextProblem::NotText:
        reason = Text(Row::ReasonNotText);
        break;
    case TextProblem::UnknownName:
        reason = Text(Row::ReasonUnknownName).arg(QString::fromStdString(refusal.Word));
        break;
    case TextProblem::NotAMove:
        reason = Fill(Text(Row::ReasonNotAMove), QString::fromStdString(refusal.Word), m_document.LargestMove());
        break;
    case TextProblem::TooManyEntries:
        reason = Fill(Text(Row::ReasonTooManyEntries), moveCount, m_document.LargestMove());
        break;
    case TextProblem::AmbiguousName: {
        QStringList moves;
        for (std::uint16_t id : refusal.Moves)
            moves << Fill(QStringLiteral("%1 (%2)"), QString::fromStdString(m_document.Names()[id - 1]), id);
        reason = Fill(Text(Row::ReasonAmbiguousName), QString::fromStdString(refusal.Word), moves.join(", "));
        break;
    }
    case TextProblem::ByteOrderMark:
        reason = Text(Row::ReasonByteOrderMark);
        break;
    case TextProblem::NoEntries:
    case TextProblem::None:
        reason = Text(Row::ReasonNoEntries);
        break;
    }
    if (refusal.Line > 0)
        return Fill(Text(Row::ImportRefusedLine), refusal.Line, shown, reason);
    return Text(Row::ImportRefusedFile).arg(shown, reason);
}

// One line per note; a long list is cut short, since a box must fit on the screen.
QString TForm1::ImportNotesText(const std::vector<TextNote>& notes) const
{
    constexpr std::size_t Shown = 12;
    QStringList lines;
    for (std::size_t i = 0; i < notes.size() && i < Shown; ++i) {
        const TextNote& note = notes[i];
        const QString given = QString::fromStdString(note.Given);
        switch (note.Kind) {
        case TextNoteKind::AmbiguousName:
            lines << Fill(Text(Row::NoteAmbiguous), note.Line, given, note.Id);
            break;
        case TextNoteKind::NameMismatch:
            lines << Fill(Text(Row::NoteNameMismatch), note.Line, note.Id,
                QString::fromStdString(m_document.Names()[note.Id - 1]), given);
            break;
        case TextNoteKind::LooseName:
            lines << Fill(Text(Row::NoteLooseName), note.Line, given,
                QString::fromStdString(m_document.Names()[note.Id - 1]), note.Id);
            break;
        case TextNoteKind::Windows1252:
            lines << Text(Row::NoteWindows1252);
            break;
        }
    }
    if (notes.size() > Shown)
        lines << Text(Row::NotesMore).arg(notes.size() - Shown);
    return Text(Row::ImportNotes).arg(lines.join('\n'));
}

void TForm1::ImportTable1Click()
{
    if (!m_document.CanEdit())
        return;
    const std::optional<QString> path = m_dialogs.GetFileName(this, FileKind::ImportText, Caption(Row::ImportTable),
        TableTextPathFor(QString::fromStdString(m_document.Path())));
    if (!path)
        return;
    const QString shown = QDir::toNativeSeparators(*path);
    const std::optional<QByteArray> text = ReadTableTextFile(*path);
    if (!text) {
        Message(Text(Row::ImportReadFailed).arg(shown), Row::Attention, MbOk);
        return;
    }
    const ImportResult result = m_document.Import(std::string_view(text->constData(), text->size()));
    switch (result.Status) {
    case ImportStatus::Imported:
        FillListBox();
        UpdateControls();
        if (!result.Notes.empty())
            Message(ImportNotesText(result.Notes), Row::Attention, MbOk);
        break;
    case ImportStatus::Unchanged:
        Message(Text(Row::ImportUnchanged).arg(shown), Row::Attention, MbOk);
        break;
    case ImportStatus::Refused:
        Message(ImportRefusal(result, shown), Row::Attention, MbOk);
        break;
    case ImportStatus::NotEditable:
        break;
    }
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
        Message(Text(Row::RecentMissing).arg(QDir::toNativeSeparators(path)), Row::Attention, MbOk);
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

// The edits need a selected move, and all but Add Move a selected entry; they do nothing
// without them. The list is refilled afterwards, so no entry stays selected.
void TForm1::EditSelection(bool needsEntry, const std::function<bool(int s, int m)>& edit)
{
    int m = MoveComboBox->currentIndex();
    int s = SelectedEntry();
    if (m < 0 || (needsEntry && s < 0))
        return;
    edit(s, m);
    FillListBox();
    UpdateControls();
}

void TForm1::ChangeMoveButtonClick()
{
    EditSelection(true, [this](int s, int m) { return m_document.Change(s, m); });
}

void TForm1::InsertMoveButtonClick()
{
    EditSelection(true, [this](int s, int m) { return m_document.Insert(s, m); });
}

void TForm1::DeleteMoveButtonClick()
{
    EditSelection(true, [this](int s, int) { return m_document.Delete(s); });
}

void TForm1::AddMove1Click()
{
    EditSelection(false, [this](int, int m) { return m_document.Append(m); });
}

void TForm1::RemoveMove1Click()
{
    EditSelection(true, [this](int s, int) { return m_document.Remove(s); });
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

QString TForm1::EntriesText(int count) const
{
    // French counts zero as one.
    const bool one = count == 1 || (count == 0 && m_currentLanguage == French);
    return Text(one ? Row::OneEntry : Row::Entries).arg(count);
}

QString TForm1::Caption(int row) const
{
    return Text(row).remove('&').remove(QString::fromUtf8("…"));
}

void TForm1::ImageInformation1Click()
{
    if (!m_document.IsOpen())
        return;
    QtSha1 sha1;
    const ImageFacts facts = m_document.Facts(sha1);
    if (facts.Replaced) {
        Message(Text(Row::InfoReplaced).arg(ShownPath()), Row::Attention, MbOk);
        return;
    }
    const QString unknown = QString::fromUtf8("\u2014");
    QStringList lines;
    lines << Text(Row::InfoHead)
                 .arg(QDir::toNativeSeparators(QString::fromStdString(facts.Path)), QString::number(facts.Size),
                     QString::fromStdString(facts.Game), QString::fromStdString(facts.Code),
                     QString::number(facts.Revision), facts.Read ? Hex(facts.Crc32).rightJustified(8, '0') : unknown,
                     facts.Read ? QString::fromStdString(facts.Sha1) : unknown);
    if (facts.Read)
        lines << Text(facts.Unmodified ? Row::InfoUnmodified : Row::InfoModified);
    if (facts.Table == TableStatus::Verified && facts.TableOffset) {
        lines << Fill(Text(facts.TableAtOwnOffset ? Row::InfoTableOwn : Row::InfoTableMoved), Hex(*facts.TableOffset),
            EntriesText(facts.TableEntries));
    } else if (facts.TableWord) {
        lines << Text(Row::InfoTableUnread).arg(Hex(*facts.TableWord));
    } else {
        lines << Text(Row::InfoTableCut).arg(Hex(facts.TableWordAt));
    }
    lines << (facts.ReadByGame.Read() ? Text(Row::InfoTableRead)
                                      : Text(Row::InfoTableNotRead).arg(PathReason(facts.ReadByGame)));
    if (!facts.NamesWordRead)
        lines << Text(Row::InfoNamesWordCut).arg(Hex(facts.NamesWordAt));
    else if (!facts.NamesRead)
        lines << Text(Row::InfoNamesListCut).arg(Hex(facts.NamesOffset));
    else
        lines << Fill(Text(facts.NamesAtOwnOffset ? Row::InfoNamesOwn : Row::InfoNamesMoved), Hex(facts.NamesOffset),
            facts.MoveCount);
    if (facts.Modified)
        lines << Text(Row::InfoUnsaved);
    m_dialogs.MessageBox(this, lines.join('\n'), Caption(Row::ImageInformation), MbOk | MbSelectableText);
}

void TForm1::CompareWithGame1Click()
{
    if (!m_document.CanEdit())
        return;
    const TableComparison comparison = m_document.CompareWithGame();
    // Each move once, in the order met, with how often it differs when more than once.
    auto list = [this](const std::vector<std::uint16_t>& ids) {
        QStringList moves;
        const MoveNameList& names = m_document.Names();
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const std::uint16_t id = ids[i];
            if (std::find(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(i), id)
                != ids.begin() + static_cast<std::ptrdiff_t>(i))
                continue;
            // A number that is no move is named with its number already.
            QString name = QString::fromStdString(EntryName(id, names));
            if (IsValidMove(id, static_cast<int>(names.size())))
                name = Fill(QStringLiteral("%1 (%2)"), name, id);
            const auto times = std::count(ids.begin(), ids.end(), id);
            moves << (times > 1 ? Fill(QString::fromUtf8("%1 \u00D7%2"), name, times) : name);
        }
        return moves.isEmpty() ? QString::fromUtf8("\u2014") : moves.join(", ");
    };
    QString text;
    if (comparison.IsGameTable())
        text = Text(Row::CompareSame);
    else if (comparison.Reordered)
        text = Text(Row::CompareReordered);
    else
        text = Text(Row::CompareDifference).arg(list(comparison.Added), list(comparison.Removed));
    m_dialogs.MessageBox(this, text, Caption(Row::CompareWithGame), MbOk | MbSelectableText);
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
    return Message(Row::SaveFirst, Row::Warning, MbSaveCancel) == IdYes && SaveDocument();
}

void TForm1::Play1Click()
{
    if (!m_document.IsOpen() || !SaveBeforeUse())
        return;
    // Edits that may not be saved into the file are not in what is played.
    if (m_document.IsModified() && !m_document.CanSave())
        Message(Text(Row::PlayUnsaved).arg(ShownPath()), Row::Attention, MbOk);
    // Whole, so that no name is taken for an option or a link's own scheme.
    const QString path = QFileInfo(QString::fromStdString(m_document.Path())).absoluteFilePath();
    const QString program = m_emulator.Program();
    if (!program.isEmpty()) {
        if (!m_launcher->Start(program, path))
            Message(Text(Row::PlayFailed).arg(QDir::toNativeSeparators(program)), Row::Attention, MbOk);
    } else if (!m_launcher->OpenWithSystem(path)) {
        Message(Text(Row::PlayNoProgram).arg(QDir::toNativeSeparators(path)), Row::Attention, MbOk);
    }
}

void TForm1::Emulator1Click()
{
    const std::optional<QString> program
        = m_dialogs.GetFileName(this, FileKind::Program, Caption(Row::Emulator), m_emulator.Program());
    // A file that cannot be run would fail every Play: it is refused now, where it was chosen.
    if (program && !(QFileInfo(*program).isFile() && QFileInfo(*program).isExecutable()))
        Message(Text(Row::EmulatorNotProgram).arg(QDir::toNativeSeparators(*program)), Row::Attention, MbOk);
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
    QtSha1 sha1;
    const PatchResult checked = m_document.CheckPatchSource(image->toStdString(), sha1);
    if (checked.Status != PatchStatus::Fits) {
        ReportPatch(checked, *image, QString());
        return;
    }
    if (checked.NotReleaseSha1
        && Message(
               Text(Row::PatchNotRelease).arg(QDir::toNativeSeparators(*image)), Row::Warning, MbYesNo | MbDefButton2)
            != IdYes)
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
    ReportPatch(result, *image, *patch);
}

void TForm1::ReportPatch(const PatchResult& result, const QString& image, const QString& patch)
{
    auto notWritten
        = [this](const QString& reason) { Message(Text(Row::PatchNotWritten).arg(reason), Row::Attention, MbOk); };
    const GameInfo& game = *m_document.Game();
    switch (result.Status) {
    case PatchStatus::Written:
        Message(Fill(Text(Row::PatchWritten), QDir::toNativeSeparators(patch), result.Size), Row::Attention, MbOk);
        break;
    case PatchStatus::WrongGame: {
        const auto name
            = [](const GameInfo& g) { return QString::fromUtf8(g.Name.data(), static_cast<qsizetype>(g.Name.size())); };
        const QString code = QString::fromLatin1(game.Code.data(), static_cast<qsizetype>(game.Code.size()));
        const GameInfo* found = result.FoundCode == game.Code
            ? FindGame(result.FoundCode, static_cast<std::uint8_t>(result.FoundRevision))
            : nullptr;
        if (found != nullptr) {
            // Another revision of the same game: both are named, the open one's as a revision too.
            const bool revisions = std::any_of(SupportedGames.begin(), SupportedGames.end(),
                [&game](const GameInfo& g) { return g.Code == game.Code && g.Revision != game.Revision; });
            const QString needed = game.Revision == 0 && revisions ? name(game) + " (1.0)" : name(game);
            Message(Fill(Text(Row::PatchOtherRevision), QDir::toNativeSeparators(image), name(*found), code,
                        result.FoundRevision, needed, game.Revision),
                Row::Attention, MbOk);
        } else {
            Message(Fill(Text(Row::PatchWrongGame), QDir::toNativeSeparators(image), name(game), code, game.Revision),
                Row::Attention, MbOk);
        }
        break;
    }
    case PatchStatus::TooLarge:
        notWritten(Text(Row::ReasonPatchTooLarge));
        break;
    case PatchStatus::ReadFailed:
        notWritten(Text(result.Error == OpenError::Missing || result.Error == OpenError::NotRegularFile
                    || result.Error == OpenError::NameTooLong
                ? OpenErrorReason(result.Error)
                : Row::ReasonPatchRead));
        break;
    case PatchStatus::Replaced:
        notWritten(Text(Row::ReasonReplaced));
        break;
    case PatchStatus::SameFile:
        notWritten(Text(Row::ReasonPatchOverImage));
        break;
    case PatchStatus::OverImage:
        notWritten(Text(Row::ReasonPatchOverOtherImage));
        break;
    case PatchStatus::TargetRefused:
        notWritten(Text(OpenErrorReason(result.Error)));
        break;
    case PatchStatus::CreateFailed:
        notWritten(Text(Row::ReasonCreateFailed));
        break;
    case PatchStatus::WriteFailed:
        notWritten(Text(Row::ReasonPatchWrite));
        break;
    case PatchStatus::Cancelled: // the user's own choice, with nothing written
    case PatchStatus::Fits:
    case PatchStatus::NotOpen:
        break;
    }
}

} // namespace zarnith

#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace zarnith {

// Message-box flags and results, with the values the window's callers use.
inline constexpr unsigned MbOk = 0x0;
// Save and Cancel: a question before a command that uses the file as saved. Save answers IdYes,
// Cancel (and Escape) IdCancel.
inline constexpr unsigned MbSaveCancel = 0x1;
// Save, Discard and Cancel: a question before unsaved edits would be dropped. Save answers
// IdYes, Discard IdNo, Cancel (and Escape) IdCancel.
inline constexpr unsigned MbSaveDiscardCancel = 0x3;
inline constexpr unsigned MbYesNo = 0x4;
inline constexpr unsigned MbButtons = 0x7;
inline constexpr unsigned MbDefButton2 = 0x100;
// The text can be selected and copied (facts worth pasting elsewhere).
inline constexpr unsigned MbSelectableText = 0x10000;
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;

// The file-dialog filter: ROM images, or any file.
inline constexpr const char* RomFileFilter = "Gameboy Advance Rom (*.gba);;Any File (*)";
// Added to a name typed without a suffix in the file dialogs.
inline constexpr const char* RomSuffix = "gba";
inline constexpr const char* PatchFileFilter = "BPS Patch (*.bps);;Any File (*)";
inline constexpr const char* PatchSuffix = "bps";
inline constexpr const char* TextFileFilter = "Text Files (*.txt);;Any File (*)";
inline constexpr const char* TextSuffix = "txt";

// The files the window asks for beside ROMs to open or save: the unmodified image a patch starts
// from, the emulator's program, where to save a patch, a table's text to import, and where to
// export one.
enum class FileKind {
    UnmodifiedImage,
    Program,
    Patch,
    ImportText,
    ExportText,
};

// A long piece of work's progress as a dialog shows it, with Cancel; the dialog closes when this
// is destroyed.
class Progress
{
public:
    virtual ~Progress() = default;
    // Tells how far the work has come; false once the user has cancelled it.
    virtual bool Advance(std::uint64_t done, std::uint64_t total) = 0;
};

// The modal dialogs the window uses, behind an interface so tests can answer them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Shows text with a caption and no icon; flags choose the buttons and the default button.
    // Returns IdOk, IdYes, IdNo or IdCancel.
    virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) = 0;
    // Asks for a file to open; nothing when the user cancels.
    virtual std::optional<QString> GetOpenFileName(QWidget* parent) = 0;
    // Asks for a file to save to, starting from suggested, and asks before an existing file is
    // replaced; nothing when the user cancels.
    virtual std::optional<QString> GetSaveFileName(QWidget* parent, const QString& suggested) = 0;
    // Asks, under title, for an existing file of kind, or for where to save a patch or a table's
    // text (asking before an existing file is replaced), starting from start; nothing when the
    // user cancels.
    virtual std::optional<QString> GetFileName(
        QWidget* parent, FileKind kind, const QString& title, const QString& start)
        = 0;
    // A progress dialog with text and Cancel over parent, shown only once the work has taken half
    // a second; until it closes, nothing else in the program takes the user's input.
    virtual std::unique_ptr<Progress> ShowProgress(QWidget* parent, const QString& text, const QString& caption) = 0;
};

// Sets up the Open command's file dialog: an existing file, ROM images or any file, and a name
// typed without an extension takes .gba.
void SetUpOpenDialog(QFileDialog& dialog);

class QtDialogs final : public Dialogs
{
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) override;
    std::optional<QString> GetOpenFileName(QWidget* parent) override;
    std::optional<QString> GetSaveFileName(QWidget* parent, const QString& suggested) override;
    std::optional<QString> GetFileName(
        QWidget* parent, FileKind kind, const QString& title, const QString& start) override;
    std::unique_ptr<Progress> ShowProgress(QWidget* parent, const QString& text, const QString& caption) override;
};

} // namespace zarnith

#pragma once

#include "rom/BpsPatch.h"
#include "rom/GamePath.h"
#include "rom/ImageDigest.h"
#include "rom/RomAccess.h"
#include "soundmoves/SoundMoves.h"
#include "soundmoves/TableText.h"
#include "text/MoveNames.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarnith {

// How Save As ended. Only Saved and SameFile leave the document on the chosen file; after any
// other result the document stays on the original, and but for ReopenFailed both files are as
// they were.
enum class SaveAsStatus {
    Saved, // the copy holds the table and stands at the chosen path
    SameFile, // the chosen path names the open file: it was saved as by Save (see Table)
    NotEditable, // the table may not be written anywhere
    TargetRefused, // the file at the chosen path may not be replaced (see Error)
    CreateFailed, // no new file could be made in the chosen folder (see Error)
    CopyFailed, // reading the original or writing the copy failed
    TableNotSaved, // saving the table into the copy did not succeed (see Table)
    ReplaceFailed, // the copy could not take the chosen path
    // The copy stands at the chosen path, but could not be opened again: the original stays open.
    ReopenFailed,
};

struct SaveAsResult
{
    SaveAsStatus Status = SaveAsStatus::NotEditable;
    SaveStatus Table = SaveStatus::NotVerified; // how saving the table went, when it was tried
    OpenError Error = OpenError::None;
};

enum class ImportStatus {
    Imported, // the text's table is the table now, one step of the history
    Unchanged, // the text holds the table as it is: no step was added
    Refused, // the text is no table of this image (see Refusal): nothing changed
    NotEditable, // the table may not be edited
};

struct ImportResult
{
    ImportStatus Status = ImportStatus::NotEditable;
    TextRefusal Refusal;
    // Lines read all the same, worth telling about; with a refusal, those read before it (a text
    // read as Windows-1252 among them), since they may explain it.
    std::vector<TextNote> Notes;
};

// The edits of the entry list, as the window's buttons and items and the page's give them.
enum class EditCommand {
    Change,
    Insert,
    Delete,
    Append,
    Remove,
};

// The Delete key in the entry list removes the selected entry, in every front end.
inline constexpr EditCommand DeleteKeyCommand = EditCommand::Remove;

// Change, Insert and Append put a chosen move in the table; Delete and Remove need only the
// selected entry, whatever the move field holds.
constexpr bool NeedsMove(EditCommand command)
{
    return command != EditCommand::Delete && command != EditCommand::Remove;
}

struct EditResult
{
    bool Changed = false;
    int Selected = -1; // the entry to select afterwards; -1 for none
};

// What is known of the open image: the file as it stands on disk, its game, its digests, and
// where its table and names stand.
struct ImageFacts
{
    std::string Path;
    // Another file has taken the path since the image was opened: nothing else is told, since
    // the facts would be of a file no longer there.
    bool Replaced = false;
    std::uint64_t Size = 0;
    std::string Code;
    int Revision = 0;
    std::string Game;
    bool Read = false; // the whole file could be read: the digests are its own
    std::uint32_t Crc32 = 0;
    std::string Sha1; // lower-case hex
    bool Unmodified = false; // its SHA-1 is the release's
    TableStatus Table = TableStatus::NotLocated;
    bool TableAtOwnOffset = false;
    std::optional<std::uint32_t> TableOffset; // nothing when the game's word points outside the file
    int TableEntries = 0; // in the file, for a verified table
    std::optional<std::uint32_t> TableWord; // what the game's table word holds; nothing past the file's end
    std::uint32_t TableWordAt = 0;
    // The names word and every name slot of the list are in the file: otherwise the file ends
    // before them, and the names' place and count are not told.
    bool NamesRead = false;
    bool NamesWordRead = false;
    GamePath ReadByGame; // whether the game's code still leads to the table word, and if not why
    bool NamesAtOwnOffset = false;
    std::uint32_t NamesOffset = 0; // move 0's slot
    std::uint32_t NamesWordAt = 0;
    int MoveCount = 0;
    bool Modified = false; // the document holds edits the file does not
};

// The facts as "key: value" lines, keys in English, for a command line to print; unreadReason
// says why the game does not read the table, where it does not ("table read: no (REASON)").
std::vector<std::pair<std::string, std::string>> FactLines(const ImageFacts& facts, std::string_view unreadReason);

// How the table differs from the game's own: the moves it holds beyond the game's ten, and
// those of the ten it lacks, each as often as it differs, in table order and the game's order.
struct TableComparison
{
    std::vector<std::uint16_t> Added;
    std::vector<std::uint16_t> Removed;
    bool Reordered = false; // the game's ten moves, in another order

    bool IsGameTable() const { return Added.empty() && Removed.empty() && !Reordered; }
};

enum class PatchStatus {
    Written, // the patch stands at the chosen path
    Fits, // CheckPatchSource: the image is of the open game and revision, and could be read
    NotOpen, // no supported image is open
    Replaced, // another file has taken the open file's path since it was opened
    WrongGame, // the image is of another game or revision, or no image at all (see Found)
    ReadFailed, // the image or the open file could not be read (see Error)
    SameFile, // the chosen path names the open image or the unmodified one
    OverImage, // the chosen path names another image of a supported game
    TargetRefused, // the file at the chosen path may not be replaced (see Error)
    CreateFailed, // no new file could be made in the chosen folder (see Error)
    WriteFailed, // writing the patch, or putting it in place, failed
    Cancelled, // progress asked to stop before anything was written (or, checking, before the end)
    TooLarge, // the image or the open file is larger than MaxPatchImageSize
};

// The largest file a patch is made from or to: both are held whole while it is made. Eight
// cartridges' worth, so that hacks longer than the address space still get their patch.
inline constexpr long long MaxPatchImageSize = 8LL * MaxRomSize;

struct PatchResult
{
    PatchStatus Status = PatchStatus::NotOpen;
    // A warning, not a refusal: the unmodified image's SHA-1 is not the release's, so the patch
    // applies to that very file only.
    bool NotReleaseSha1 = false;
    std::uint64_t Size = 0; // of the written patch
    OpenError Error = OpenError::None;
    // For WrongGame: the code and version byte the unmodified image's header holds (an empty
    // code when it ends before them).
    std::string FoundCode {};
    int FoundRevision = 0;
};

// The open ROM as the user edits it: its game, move names and sound-move table, the table's
// place in the file, the history of edits, and which step of the history the file holds.
// The window asks it and shows the answers; every rule about what may be edited, undone or
// saved lives here.
class Document
{
public:
    struct OpenResult
    {
        OpenError Error = OpenError::None;
        bool Supported = false; // the file opened and is one of the supported games
        LoadResult Load;
        // For a file that opened but is not supported: its header's code and version byte (an
        // empty code when it ends before them).
        std::string Code;
        int Revision = 0;
    };

    // Opens path in place of whatever was open: identifies the game, reads its names and its
    // table (asking about invalid entries), and starts a new history. A file that cannot be
    // opened or is not supported leaves what was open as it was, history and all. A file that
    // may only be read opens read-only: nothing is asked about invalid entries, since nothing
    // may be written to it.
    OpenResult Open(const std::string& path, const AskRepairFunction& askRepair);
    void Close();

    // Whether a supported ROM is open.
    bool IsOpen() const { return m_rom->Game() != nullptr; }
    // Whether the open file may only be read.
    bool IsReadOnly() const { return IsOpen() && m_rom->File().ReadOnly(); }
    const std::string& Path() const { return m_path; }
    const GameInfo* Game() const { return m_rom->Game(); }
    const RomAccess& Rom() const { return *m_rom; }
    RomFile& File() { return m_rom->File(); }
    const MoveNameList& Names() const { return m_names; }
    const SoundMoveTable& Table() const { return m_history[m_current]; }
    const TablePlace& Place() const { return m_place; }
    TableStatus Status() const { return m_status; }
    // Where the table is now: its verified place, or where the game's word points; nothing
    // when the word points outside the file or nothing is open.
    std::optional<std::uint32_t> TableOffset() const;

    // Whether the game's code still leads from its battle loop to the table word, as the file
    // held it when opened (or saved as); where not, edits to the table may have no effect in the
    // game, and Save asks before writing it.
    const GamePath& ReadByGame() const { return m_gamePath; }

    // Whether the table may be edited and written to a copy: a verified table of a supported ROM.
    bool CanEdit() const { return IsOpen() && m_status == TableStatus::Verified; }
    // Whether it may also be written to the open file.
    bool CanSave() const { return CanEdit() && !IsReadOnly(); }
    bool CanSaveAs() const { return CanEdit(); }
    // Whether the table differs from the step of the history the file holds.
    bool IsModified() const { return IsOpen() && m_saved != m_current; }
    // The largest number that counts as a move of the open image (see LargestMove in SoundMoves.h).
    int LargestMove() const;

    // The edits; each one that changes the table is one step of the history.
    bool Change(int s, int m);
    bool Insert(int s, int m);
    bool Delete(int s);
    bool Append(int m);
    bool Remove(int s);

    // An edit as the view gives it: s the selected entry (-1 for none), m the index of the chosen
    // move (-1 for none). Nothing is done without a chosen move where the edit needs one
    // (NeedsMove), nor, but for Append, without a selected entry. The entry to select afterwards
    // is the one changed, inserted or appended; after Delete the one now at s; after Remove the
    // one now at s, or the last; s when nothing changed. So the edited entry stays in view, and a
    // keyboard user goes on from it.
    EditResult Edit(EditCommand command, int s, int m);
    // The move the move field shows while entry s is selected: the index of its move, or -1 for
    // an entry that is no move of the list (the field then stays as it was).
    int MoveIndexOf(int s) const;

    // The table as text (see TableText.h), its first line naming the game and where the table
    // stands; empty when nothing is open.
    std::string ExportTable() const;
    // Makes the table the one text holds, moves named by this image's list, as one edit: undo
    // returns the table before it. A refused text leaves the table and the history as they were.
    ImportResult Import(std::string_view text);

    bool CanUndo() const { return m_current > 0; }
    bool CanRedo() const { return m_current + 1 < m_history.size(); }
    bool Undo();
    bool Redo();

    // Writes the table; on success the file holds the current step, after a failed write none.
    // NotVerified when the table may not be written to the open file. Where the game no longer
    // reads the table (ReadByGame), asks WriteUnread first: UnreadDeclined on no.
    SaveStatus Save(const SaveQuestions& ask);
    // For a caller that writes the file's bytes on to where the user keeps it, when that failed
    // after Save succeeded: the file holds before again (the place as it was before that Save),
    // and no step of the history, so the table counts as modified.
    void SaveNotKept(TablePlace before);

    // Writes the whole image with the table to path, by the rules of Save, without touching the
    // open file: a copy is made beside path and made durable, the table saved into it, and then
    // it takes path's place in one step, so that path is never half written. On success the
    // document goes on with the file at path, which holds the current step. Path naming the open
    // file is a plain Save. Where path is a symbolic link, the file it names is written and the
    // link stays. Asks WriteUnread as Save does, once, before the copy is made.
    SaveAsResult SaveAs(const std::string& path, const SaveQuestions& ask);

    // The facts of the open file as it stands on disk, read whole once for its CRC32 and for its
    // SHA-1 through sha1; only Replaced when another file has taken its path.
    ImageFacts Facts(Hasher& sha1);

    TableComparison CompareWithGame() const;
    // Makes the table the game's own ten moves, as one step of the history; false when it is
    // already that or may not be edited.
    bool RestoreGameTable();

    // Checks the image at unmodifiedPath as the source of a patch: of the open game and
    // revision, readable, and whether its SHA-1 is the release's. Writes nothing. Progress, where
    // given, is told how far the reading has come and may stop it (Cancelled).
    PatchResult CheckPatchSource(
        const std::string& unmodifiedPath, Hasher& sha1, const ProgressCallback& progress = nullptr);
    // Writes a BPS patch to patchPath that turns the image at unmodifiedPath into the open file
    // as it stands on disk (refused as Replaced when another file has taken its path), after the
    // checks of CheckPatchSource; with sha1, a SHA-1 that is not
    // the release's is told (not refused), without it (a caller that checked first) not looked
    // at. The patch is written to a new file beside patchPath, made durable, and only then takes
    // patchPath's place, so that no half patch is ever left there. Both images are held whole
    // while the patch is made; progress, where given, is told how far it has come and may stop it
    // (Cancelled) before any file is made.
    PatchResult CreatePatch(const std::string& unmodifiedPath, const std::string& patchPath, Hasher* sha1,
        const ProgressCallback& progress = nullptr);

private:
    // Opens the image at path into source and identifies it: Fits when it is of the open game and
    // revision.
    PatchResult OpenPatchSource(const std::string& path, RomAccess& source);
    // Whether sha1 is that of the open game's unmodified release.
    bool IsRelease(const std::string& sha1) const;
    // False when the game does not read the table and the user does not want it written all the
    // same.
    bool ConfirmUnread(const SaveQuestions& ask);
    bool Apply(const std::function<bool(SoundMoveTable&)>& edit);
    void Reset(SoundMoveTable table);

    static constexpr std::size_t NoStep = static_cast<std::size_t>(-1);

    std::unique_ptr<RomAccess> m_rom = std::make_unique<RomAccess>();
    std::string m_path;
    MoveNameList m_names;
    TablePlace m_place;
    TableStatus m_status = TableStatus::NotLocated;
    GamePath m_gamePath;
    std::vector<SoundMoveTable> m_history { 1 };
    std::size_t m_current = 0;
    std::size_t m_saved = 0;
};

} // namespace zarnith

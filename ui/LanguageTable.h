#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace zarnith {

inline constexpr int LanguageRowCount = 176;
inline constexpr int English = 0;
inline constexpr int French = 1;

// Every caption and message, row by row, English then French, in UTF-8: row r of language l is
// at r * 2 + l. Without Qt, so that the window, the command line and the web page speak from it.
using LanguageStrings = std::array<std::string, LanguageRowCount * 2>;

// Row numbers, fixed: the window reads them directly.
namespace Row {
inline constexpr int File = 0;
inline constexpr int Exit = 1;
inline constexpr int Open = 2;
inline constexpr int Close = 3;
inline constexpr int Save = 4;
inline constexpr int Options = 5;
inline constexpr int Language = 6;
inline constexpr int Help = 7;
inline constexpr int About = 8;
inline constexpr int VersionsCompatible = 9;
inline constexpr int AboutCaption = 10;
inline constexpr int VersionsCaption = 11;
inline constexpr int AboutText = 12;
inline constexpr int VersionsText = 13;
inline constexpr int ChangeMove = 14;
inline constexpr int InsertMove = 15;
inline constexpr int DeleteMove = 16;
inline constexpr int SaveFailed = 17;
inline constexpr int OpenFailed = 18;
inline constexpr int AlreadyOpen = 19;
inline constexpr int NotSupported = 20;
inline constexpr int Saved = 21;
inline constexpr int RepairQuestion = 22;
inline constexpr int ReasonMissing = 23;
inline constexpr int ReasonPermission = 24;
inline constexpr int ReasonNotRegularFile = 25;
inline constexpr int ReasonOther = 26;
inline constexpr int RepairFailed = 27;
inline constexpr int Attention = 28;
inline constexpr int Warning = 29;
inline constexpr int ErrorCaption = 30;
inline constexpr int UnexpectedError = 31;
inline constexpr int EndedEarly = 32;
inline constexpr int Edit = 33;
inline constexpr int Undo = 34;
inline constexpr int Redo = 35;
inline constexpr int AddMove = 36;
inline constexpr int RemoveMove = 37;
inline constexpr int SaveChanges = 38;
inline constexpr int NotSaved = 39;
inline constexpr int ReasonReplaced = 40;
inline constexpr int ReasonShorter = 41;
inline constexpr int ReasonNotVerified = 42;
inline constexpr int ReasonPointerChanged = 43;
inline constexpr int ReasonNoFreeSpace = 44;
inline constexpr int ChangedOnDisk = 45;
inline constexpr int MoveQuestion = 46;
inline constexpr int Moved = 47;
inline constexpr int MoveFailed = 48;
inline constexpr int NotLocated = 49;
inline constexpr int NotVerified = 50;
inline constexpr int MoveTooltip = 51;
inline constexpr int TableAt = 52;
inline constexpr int NamesAt = 53;
inline constexpr int ReasonChangeKept = 54;
inline constexpr int ReasonNotMoves = 55;
inline constexpr int SaveAs = 56;
inline constexpr int OpenRecent = 57;
inline constexpr int ClearRecent = 58;
inline constexpr int ReadOnly = 59;
inline constexpr int RecentMissing = 60;
inline constexpr int NotSavedAs = 61;
inline constexpr int ReasonCreateFailed = 62;
inline constexpr int ReasonCopyFailed = 63;
inline constexpr int ReasonCopyWriteFailed = 64;
inline constexpr int ReasonReplaceFailed = 65;
inline constexpr int ReopenFailed = 66;
inline constexpr int MoveListLength = 67;
inline constexpr int GrowQuestion = 68;
inline constexpr int Grown = 69;
inline constexpr int ReasonChangedWhileAsked = 70;
inline constexpr int EndedBeforeTable = 71;
inline constexpr int ViewOnly = 72;
inline constexpr int ExportOverImage = 73;
// Image facts, the game's own table, Play and patches.
inline constexpr int ImageInformation = 80;
inline constexpr int CompareWithGame = 81;
inline constexpr int RestoreGameTable = 82;
inline constexpr int Play = 83;
inline constexpr int Emulator = 84;
inline constexpr int ClearEmulator = 85;
inline constexpr int CreatePatch = 86;
inline constexpr int InfoHead = 87;
inline constexpr int InfoUnmodified = 88;
inline constexpr int InfoModified = 89;
inline constexpr int InfoTableOwn = 90;
inline constexpr int InfoTableMoved = 91;
inline constexpr int InfoTableUnread = 92;
inline constexpr int InfoNamesOwn = 93;
inline constexpr int InfoNamesMoved = 94;
inline constexpr int InfoUnsaved = 95;
inline constexpr int CompareSame = 96;
inline constexpr int CompareReordered = 97;
inline constexpr int CompareDifference = 98;
inline constexpr int SaveFirst = 99;
inline constexpr int PlayFailed = 100;
inline constexpr int PlayNoProgram = 101;
inline constexpr int PatchWrongGame = 102;
inline constexpr int PatchNotRelease = 103;
inline constexpr int PatchWritten = 104;
inline constexpr int PatchNotWritten = 105;
inline constexpr int ReasonPatchRead = 106;
inline constexpr int ReasonPatchWrite = 107;
inline constexpr int ReasonPatchOverImage = 108;
inline constexpr int ChooseUnmodified = 109;
// The table as text.
inline constexpr int ExportTable = 110;
inline constexpr int ImportTable = 111;
inline constexpr int Exported = 112;
inline constexpr int ExportFailed = 113;
inline constexpr int ImportReadFailed = 114;
inline constexpr int ImportRefusedLine = 115;
inline constexpr int ImportRefusedFile = 116;
inline constexpr int ReasonNotText = 117;
inline constexpr int ReasonTooLarge = 118;
inline constexpr int ReasonUnknownName = 119;
inline constexpr int ReasonNotAMove = 120;
inline constexpr int ReasonTooManyEntries = 121;
inline constexpr int ReasonNoEntries = 122;
inline constexpr int ImportNotes = 123;
inline constexpr int NoteNameMismatch = 124;
inline constexpr int NoteAmbiguous = 125;
inline constexpr int NotesMore = 126;
inline constexpr int ImportUnchanged = 127;
// A table the game's code no longer leads to.
inline constexpr int PathWarning = 128;
inline constexpr int NotReadByGame = 129;
inline constexpr int WriteUnreadQuestion = 130;
inline constexpr int InfoTableRead = 131;
inline constexpr int InfoTableNotRead = 132;
inline constexpr int PathEndOfFile = 133;
inline constexpr int PathWordsDiffer = 134;
inline constexpr int PathCommandTableOutside = 135;
inline constexpr int PathFirstCommandMoved = 136;
inline constexpr int PathFirstCommandJumps = 137;
inline constexpr int PathCallMoved = 138;
inline constexpr int PathCallGone = 139;
inline constexpr int PathAbilityEffectsJump = 140;
inline constexpr int PathLoadMoved = 141;
inline constexpr int PathLoadGone = 142;
inline constexpr int PathUnknownPlace = 143;
// What was read and what may not be, told as it is.
inline constexpr int InfoReplaced = 144;
inline constexpr int EndedBeforeWord = 145;
inline constexpr int InfoTableCut = 146;
inline constexpr int InfoNamesWordCut = 147;
inline constexpr int InfoNamesListCut = 148;
inline constexpr int PastAddressSpace = 149;
inline constexpr int ReasonOtherImage = 150;
inline constexpr int ReasonNameTooLong = 151;
inline constexpr int PatchOtherRevision = 152;
inline constexpr int NotSupportedCode = 153;
inline constexpr int NotSupportedShort = 154;
inline constexpr int EmulatorNotProgram = 155;
inline constexpr int PlayUnsaved = 156;
inline constexpr int Entries = 157;
inline constexpr int OneEntry = 158;
inline constexpr int ReasonAmbiguousName = 159;
inline constexpr int ReasonByteOrderMark = 160;
inline constexpr int NoteLooseName = 161;
inline constexpr int NoteWindows1252 = 162;
inline constexpr int ExportOverOtherImage = 163;
inline constexpr int ReasonPatchOverOtherImage = 164;
inline constexpr int PatchProgress = 165;
inline constexpr int ReasonPatchTooLarge = 166;
inline constexpr int PatchWrittenHeld = 167;
inline constexpr int ReasonImageTooLarge = 168;
// More reasons the game may not read the table.
inline constexpr int PathCommandTablePastEnd = 169;
inline constexpr int PathAttackChecksChanged = 170;
inline constexpr int PathCallChanged = 171;
inline constexpr int PathAbilityEffectsChanged = 172;
inline constexpr int PathSoundproofCaseChanged = 173;
inline constexpr int GameAndCode = 174;
inline constexpr int PatchAnyway = 175;
} // namespace Row

// A number or a text as it fills a message.
inline std::string FillText(std::string_view text)
{
    return std::string(text);
}
template <class Number>
requires std::is_arithmetic_v<Number> std::string FillText(Number number)
{
    return std::to_string(number);
}

// Fills %1 to %9 of text from values in one pass, so that nothing filled in (a path holding
// "%2") is filled again; a number with no value stays as it is.
std::string FillValues(std::string_view text, const std::string* values, std::size_t count);

template <class... Values> std::string Fill(std::string_view text, const Values&... values)
{
    const std::string filled[] = { std::string(), FillText(values)... };
    return FillValues(text, filled + 1, sizeof...(Values));
}

// The project's home page, quoted in the About text.
std::string HomePage();

void InitLanguageTable(LanguageStrings& table);
// The table filled once and never changed, for what speaks without a window of its own (the
// command line, the page, a failure's last message).
const LanguageStrings& FilledLanguageTable();

} // namespace zarnith

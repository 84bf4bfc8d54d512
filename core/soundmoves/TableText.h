#pragma once

#include "soundmoves/SoundMoves.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarnith {

// A table as UTF-8 text, one entry a line: the move's number, a space and its name ("45 GROWL").
// A # starts a comment, at the start of a line or after an entry; empty lines are skipped. An
// entry line names its move by the number it starts with (the name after it only reminds
// people), or, without a number, by its name in the image's list, letter case aside, or else
// spaces, hyphens and letter case aside when that leaves one move; so a table carries over to an
// image whose list numbers or names its moves differently. A text that is not UTF-8 is read as
// Windows-1252, what older Windows editors save.

// Far larger than the text of any table (1,023 entries of a number and a 12-letter name).
inline constexpr std::size_t MaxTableTextSize = 64 * 1024;

enum class TextProblem {
    None,
    TooLarge, // the text is longer than MaxTableTextSize
    NotText, // the line is not UTF-8 text
    UnknownName, // the line's name is no move of the list
    NotAMove, // the line's number is no move of the list
    TooManyEntries, // the line is one entry more than the list has moves
    NoEntries, // the text names no move at all
    AmbiguousName, // spaces and hyphens aside, the line's name is that of more than one move
    ByteOrderMark, // a byte-order mark stands inside the text, not at its start
};

// Why a text is no table. Line counts from 1; 0 for a problem of the whole text.
struct TextRefusal
{
    TextProblem Problem = TextProblem::None;
    int Line = 0;
    std::string Word; // the name or number at fault
    std::vector<std::uint16_t> Moves {}; // for AmbiguousName, the moves it could be
};

enum class TextNoteKind {
    NameMismatch, // a number's reminder is not the list's name for it: the number counts
    AmbiguousName, // the list gives this name to more than one move: the first counts
    LooseName, // the name is the list's only with spaces and hyphens aside
    Windows1252, // the text is not UTF-8, and was read as Windows-1252 (Line 0)
};

// Something worth telling about a line that was read all the same.
struct TextNote
{
    TextNoteKind Kind = TextNoteKind::NameMismatch;
    int Line = 0;
    std::uint16_t Id = 0; // the move the line was read as
    std::string Given; // the name on the line
};

struct TableText
{
    std::vector<std::uint16_t> Moves; // empty when refused
    TextRefusal Refusal;
    std::vector<TextNote> Notes;
};

// Reads text as a table of moves of names: each move from 1 to largestMove (see LargestMove; a
// move past the names is named by its number only, and has no name to differ from), at most one
// entry per move of the list. A number in kept (the entries that are no move in the table the
// text replaces) is taken as it is, so that an exported table imports back; no other number
// that is no move is. Stops at the first line at fault. A UTF-8 byte-order mark and line ends of
// CR LF are accepted. A text with no entry is refused, but for one holding EmptyTableLine, as
// an empty table is written.
TableText ParseTableText(
    std::string_view text, const MoveNameList& names, int largestMove, const std::vector<std::uint16_t>& kept = {});

// The comment line that makes a text with no entry an empty table.
inline constexpr std::string_view EmptyTableLine = "# This table has no entry: imported, it empties the table.";

// The table as text: heading (one line, without its #) as a comment, then one line per entry,
// its number and the list's name for it (the number alone for a move the list does not name);
// an empty table has EmptyTableLine instead.
std::string FormatTableText(const SoundMoveTable& table, const MoveNameList& names, std::string_view heading);

// text with the letters of ASCII and Latin-1 (and Œ) in lower case: how names compare.
std::string FoldCase(std::string_view text);

} // namespace zarnith

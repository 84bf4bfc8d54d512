#pragma once

#include "soundmoves/SoundMoves.h"

namespace zarnith {

// The entry for move index m of the move list (move m + 1).
SoundMoveEntry EntryFromMoveIndex(int m, const MoveNameList& names);

// The edits work on the entries read from the file (table.Count of them) and keep their
// number: an insertion drops the last of them, a deletion refills the last with the filler
// move. Each returns false and changes nothing for an entry index s outside them or a move
// index m outside the move list.
bool ChangeMove(SoundMoveTable& table, const MoveNameList& names, int s, int m);
bool InsertMove(SoundMoveTable& table, const MoveNameList& names, int s, int m);
bool DeleteMove(SoundMoveTable& table, const MoveNameList& names, int s);

} // namespace zarnith

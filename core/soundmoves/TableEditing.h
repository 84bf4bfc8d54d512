#pragma once

#include "soundmoves/SoundMoves.h"

namespace zarnith {

// The entry for move index m of the move list (move m + 1).
SoundMoveEntry EntryFromMoveIndex(int m, const MoveNameList& names);

// Change, insert and delete keep the number of entries: an insertion drops the last entry, a
// deletion refills the last slot with the filler move. Append and remove change it: append
// adds move m + 1 at the end (up to one entry per move of names), remove takes entry s out. Each
// returns false and changes nothing for an entry index s outside the table or a move index m
// outside the move list.
bool ChangeMove(SoundMoveTable& table, const MoveNameList& names, int s, int m);
bool InsertMove(SoundMoveTable& table, const MoveNameList& names, int s, int m);
bool DeleteMove(SoundMoveTable& table, const MoveNameList& names, int s);
bool AppendMove(SoundMoveTable& table, const MoveNameList& names, int m);
bool RemoveMove(SoundMoveTable& table, const MoveNameList& names, int s);

} // namespace zarnith

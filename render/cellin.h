// Cell drawing inputs: what the compositor needs to know about a cell besides
// its code - the state of the element that owns the code (which aspect,
// kind or value picture it shows) and the sub-picture of a multi-picture
// graphic by cell parity.
//
// Owns no data: it asks the owners (stops, timetable points, shunting
// points, Dwx points, LFST points, turnout controllers, buffer stops, sound
// points, signals) in a fixed order and never changes the model.
#pragma once
#include "platform/types.h"

// Owners of element shapes, in the order they are asked.
enum {
  MAP_OWNER_NONE = 0,
  MAP_OWNER_STOP,
  MAP_OWNER_TIMETABLE,
  MAP_OWNER_SHUNTING,
  MAP_OWNER_DWX,
  MAP_OWNER_LFST,
  MAP_OWNER_TURNOUT,
  MAP_OWNER_BUFFER,
  MAP_OWNER_SOUND,
  MAP_OWNER_SIGNAL10,
  MAP_OWNER_SIGNAL
};
// The first owner whose kind the code's shape belongs to (MAP_OWNER_*).
int Map_PieceOwner(u32 code);
// The state of the element that owns the code at the cell; *hasState (may
// be null) 1 for a code below 32767, else 0 (and the result 0).
i32 Map_PieceStateAt(i32 x, i32 y, i32 level, int* hasState, u32 code);
// Sub-picture 1..4 of a multi-picture graphic at a cell by parity (1 x and
// y even, 2 x odd, 3 y odd, 4 both), folded to 5 - n when the graphic has
// fewer pictures; 0 for a single picture and for element codes.
i32 Map_CellPictureVariant(i32 x, i32 y, u32 code);

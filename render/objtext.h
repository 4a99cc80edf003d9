// Object texts of cells and grid text glyphs: what the painter's object
// information pass writes beside a cell (the bound element of a turnout
// controller, the name of a signal element, timetable point, Dwx point,
// depot place or log point) and the small symbols that grid texts use for
// their characters below 32.
//
// Owns nothing; reads the object modules and the terrain masks. Promises:
// never changes the model; glyphs are clipped to the target buffer.
#pragma once
#include "platform/types.h"

struct SchBuf;

// Object-text flag bits of the display options (ObjTxte letters W S T D B L).
enum {
  SPR_OT_TURNOUT = 1,
  SPR_OT_SIGNAL = 2,
  SPR_OT_TIMETABLE = 4,
  SPR_OT_DWX = 8,
  SPR_OT_DEPOT = 16,
  SPR_OT_LOG = 32
};
enum { SPR_OBJECT_TEXT_MAX = 40 };

struct SprObjectText {
  wch text[SPR_OBJECT_TEXT_MAX + 1];  // "?" when the object's data cannot be read
  int kind;                           // the SPR_OT_* bit that matched
  int textColour, boxColour;          // palette entries
  int columnOffset;                   // 8 for odd x, 0 for even x
};

// The object text of a cell under the given object-text flags (bits 0-5):
// the first kind in bit order whose flag is set and that the cell holds.
// 1 with *out filled, 0 when nothing (no flag, no object, outside the grid).
int Spr_CellObjectTextFor(i32 x, i32 y, i32 level, u32 flags, SprObjectText* out);
// The same under the display options' object-text flags.
int Spr_CellObjectText(i32 x, i32 y, i32 level, SprObjectText* out);

// Character 0..31 of the grid text font (terrain masks 88..119 of
// "orba.gzg") at (x, y), the top-left corner, in the buffer: at scale 1 the
// 8 x 16 mask, at larger scales the 16 x 32 mask in blocks of scale / 2
// pixels; mask bits 2-3 set a pixel. A character of 32 or more, or a mask
// not loaded, draws nothing. The number of pixels set.
int Spr_DrawGridGlyph(SchBuf* dc, i32 x, i32 y, int scale, u32 colour, u32 character);

// Texts on the grid: labels, station names and notes written on the cells,
// four UTF-16 characters per cell, kept apart from the cell codes as runs
// (a row of consecutive written cells on one level, with one text colour
// and one background colour).
//
// Owns the text runs: a list and 64 buckets by y & 63, both sorted by y,
// then x, then level descending; the section "ZKTN" and the clipboard block
// "STRING_A".."STRING_E". Every maximal row of written cells is exactly one
// run: a written cell joins the runs beside it, a blanked cell splits its
// run. Runs never overlap and never touch on one row and level. Nothing here
// marks the layout modified (the editor does).
#pragma once
#include "platform/types.h"

enum : u32 { TXT_DEFAULT_COLOUR = 0x80000001u };

struct TextRun {
  TextRun* Next;
  TextRun* BucketNext;
  i32 X, Y, Level;   // the first cell
  i32 Length;        // characters, a multiple of 4, at least 4
  u32 TextColour;    // RGB, or TXT_DEFAULT_COLOUR
  u32 BackColour;    // RGB, or TXT_DEFAULT_COLOUR for none
  wch* Chars;        // Length characters, in the same block right after the record
};

// What one cell holds: four characters and a zero, and the colours.
struct TxtCell {
  wch Chars[5];
  u32 TextColour;
  u32 BackColour;
};

// Txt_Set results.
enum { TXT_SET_REPLACED = 0, TXT_SET_ADDED = 1, TXT_SET_BLANKED = 2, TXT_SET_NOTHING = 5, TXT_SET_NO_MEMORY = 11 };

void Txt_Init(void);
void Txt_Clear(void);
u32 Txt_Count(void);
const TextRun* Txt_First(void);
int Txt_IsAt(i32 x, i32 y, i32 level);
// 0 and the cell's characters and colours; 1 when no run covers the cell.
int Txt_GetRunAt(i32 x, i32 y, i32 level, TxtCell* out);
// Writes one cell (characters after a zero become blanks; four blanks blank
// the cell); a TXT_SET_ result.
int Txt_Set(i32 x, i32 y, i32 level, const TxtCell* cell);

int Txt_SaveSection(void);
// 0, the stream's 1 or 2, 3 malformed, 4 no memory.
int Txt_LoadSection(u16 version);

// Box corners inclusive, in any order. 1 when memory ran out for a cell.
int Txt_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
int Txt_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                       i32 numX);
int Txt_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// first, second: x1, y1, level1, x2, y2, level2. 0 no written cell in the
// first box, 2 one of them lies outside the second, else 1.
int Txt_FindInRect(const i32 first[6], const i32 second[6]);
// The written cells inside the box; 0 or the clipboard's error.
int Txt_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// *line: the header line in, the line after "STRING_E" out. 0 ok, 1 some
// cells not written (no memory), 2 malformed block.
int Txt_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel);
// The bounding box of every written cell; 1 when there are no runs.
int Txt_GetExtent(i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX);
// The cell holding the first character of the next match at or after the
// cell (on its level and those below) or from the next cell on (every
// level), first in reading order; flags for Str_FindEx (4: whole words, a
// word the start cell lies in is skipped), minimum: the pattern length (0:
// all of it). 0 found, 1 none.
int Txt_FindNextFrom(i32 x, i32 y, i32 level, int flags, i32 minimum, const wch* pattern, i32* outX, i32* outY,
                     i32* outLevel);

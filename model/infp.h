// Info points: a text of any length attached to a cell. No element is needed
// on the cell; the rest of the system asks Info_GetLength whether a cell has
// one (the views mark such cells, the editor shows and edits the text).
//
// Owns the info point store (the point-object pattern; list and buckets
// kept sorted by y, x, then level descending; no count limit), the section
// "INFO" and the clipboard block "INFO_A".."INFO_E", in which control
// characters, the line separators and the backslash travel as "\xxxx".
// Set, text and delete mark the layout modified; the region hooks and the
// paste do not.
#pragma once
#include "platform/types.h"
#include "model/pointobj.h"

struct InfoRec {
  PointHead Head;
  u32 Length;  // UTF-16 units with the terminating 0, 2 or more
  wch Text[1]; // Length units, allocated with the record
};

void Info_Init(void);
void Info_Clear(void);
void Info_Free(void);
u32 Info_Count(void);
// The length in units with the terminator; 0 when the cell has no point.
u32 Info_GetLength(i32 x, i32 y, i32 level);
// Copies the text (Info_GetLength units) into buffer; 1 when there is none.
int Info_GetTextCopy(i32 x, i32 y, i32 level, wch* buffer);
// Creates or resizes the point (its text empty until Info_SetText); a length
// of 0 or 1 deletes it. 0 ok; 1 no memory (an old point stays).
int Info_Set(i32 x, i32 y, i32 level, u32 length);
// Copies text, cut to the point's length; an empty or blank text deletes the
// point. 1 when there is no point, else 0.
int Info_SetText(i32 x, i32 y, i32 level, const wch* text);
// 1 when there is none, else 0.
int Info_Delete(i32 x, i32 y, i32 level);

// A new point of that length (2 or more) with an empty text, linked in
// order, without the modified mark; null when the length is below 2 or
// memory is short.
InfoRec* Info_Create(i32 x, i32 y, i32 level, u32 length);
const InfoRec* Info_Find(i32 x, i32 y, i32 level);
// The number of points; the sum of their lengths through the optional out.
u32 Info_TotalTextLength(u32* total);
// 1 when there are none; else their bounding box and 0.
int Info_GetExtent(i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX);
// The first point after the position in list order (with one point, that
// point); none after: with wrap the first. 1 found, else 0.
int Info_Next(i32* x, i32* y, i32* level, int wrap);
// From the position on, the first later point (no wrap) whose text holds
// the pattern (Str_FindEx flags); 1 with its position, 0 none or cancelled.
int Info_FindText(i32* x, i32* y, i32* level, int flags, const wch* pattern);
// For other modules' text listings: text 3820, the point's text and CR LF;
// 0 (also without a point) or the stream's code.
int Info_WriteCellText(i32 x, i32 y, i32 level);

// Box corners inclusive, in any order; source and target: x1, y1, level1,
// x2, y2, level2. 0 none in the source box, 1 some, 2 one would leave the
// target box.
int Info_TestInBox(const i32 source[6], const i32 target[6]);
void Info_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Info_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                         i32 numX);
void Info_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// 0, or the first clipboard error.
int Info_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// *line: the header line in, the line after "INFO_E" out. 0 ok, 1 a point
// refused, 2 malformed block.
int Info_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel);

int Info_SaveSection(void);
// 0, the stream's 1 or 2, 3 malformed, 4 a point could not be created.
int Info_LoadSection(u16 version);

// Info points: a text of any length attached to a cell. No element is needed
// on the cell; the rest of the system asks Info_GetLength whether a cell has
// one (the views mark such cells, the editor shows and edits the text).
//
// Owns the info point store. The least form: set, text, length, copy and
// delete at a cell. The section "INFO", the clipboard block and the region
// hooks come with the info point issue; until then an empty store answers
// every cell with 0.
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

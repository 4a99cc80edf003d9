// Position marks, the home position and the marked box of the layout editor.
//
// Owns the 200 PositionMarks (cell, alarm and name), the HomePosition, and
// the BlockSelection with whether it is shown. So far the plain state with
// its getters and setters, which the layout file's general section and the
// marks dialog use; the alarm test comes with the clock.
#pragma once
#include "platform/tim.h"
#include "platform/types.h"

enum { MARK_COUNT = 200, MARK_NAME_MAX = 64, MARK_CLEAR_XY = 16384 };

struct PositionMark {
  i32 x, y, level;
  PackedWeekTime alarm;  // 0 none
  wch name[MARK_NAME_MAX + 1];
};

// Every mark to x = y = 16384, level 0, no alarm, empty name (a new layout,
// a load).
void Ewin_ClearMarks(void);
// 0 ok; 1 index out of 0..199. name (may be null) is cut to 64 units; the
// getter's name buffer holds MARK_NAME_MAX + 1 units. Outs may be null.
int Ewin_GetMark(int index, i32* x, i32* y, PackedWeekTime* alarm, wch* name, i32* level);
int Ewin_SetMark(int index, i32 x, i32 y, PackedWeekTime alarm, const wch* name, i32 level);

// The layout's home position.
void Ewin_GetHome(i32* x, i32* y, i32* level);
void Ewin_SetHome(i32 x, i32 y, i32 level);

// The marked box: corners x1, y1, level1 and x2, y2, level2. The setter
// checks the bounds (x, y in 0..32767, levels -4..0): 0 ok, 1 refused.
void Ewin_GetSelection(i32* x1, i32* y1, i32* level1, i32* level2, i32* y2, i32* x2);
int Ewin_SetSelection(i32 x1, i32 y1, i32 level1, i32 level2, i32 y2, i32 x2);
// 3 queries, 6 shows, 0 hides; 1 when shown.
enum { EWIN_SEL_HIDE = 0, EWIN_SEL_QUERY = 3, EWIN_SEL_SHOW = 6 };
int Ewin_SelectionShown(int op);

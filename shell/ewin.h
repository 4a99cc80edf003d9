// Layout editing state of the application shell: the layout-modified mark
// (LayoutModifiedFlag) and whether the simulation runs (SimRunFlag).
//
// Plain state on the main thread; every set, create and delete of a layout
// module marks the layout modified, a load, a new layout and a successful save
// clear the mark.
#pragma once
#include "platform/types.h"

extern int SimRunFlag;

void Ewin_SetModified(void);
void Ewin_ClearModified(void);
// 1 while the layout has unsaved changes, else 0.
int Ewin_IsModified(void);

enum { EWIN_RUN_TOGGLE = 0, EWIN_RUN_STOP = 1, EWIN_RUN_START = 2 };
// Toggles, stops or starts the simulation; returns SimRunFlag afterwards.
int Ewin_RunStop(int mode);

// Brings the cell into view slot's window: an axis whose coordinate lies
// well inside keeps its origin, else the cell comes near the middle; the
// cursor becomes (x, y, level) and the whole view is redrawn. 1 done, 0 for
// x or y outside 0..32767, a level outside -4..0 or a slot without a view.
int Ewin_CentreOnCell(int slot, i32 x, i32 y, i32 level);
// The origin on one axis after centring on p (w cells shown from o).
i32 Ewin_CentredOrigin(i32 p, i32 o, i32 w);

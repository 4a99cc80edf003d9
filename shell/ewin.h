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

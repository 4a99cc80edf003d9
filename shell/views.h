// View slots: the table of the (at most six) layout views - their windows,
// modes, origins, cursors and sizes - and which one is active.
//
// Owns g_viewSlots and the active slot. So far the plain state that the
// layout file's general section and the settings read and write; the windows
// themselves come with the application shell. Main thread (the view threads
// read it under the shell's lock).
#pragma once
#include "platform/types.h"
#include "shell/vwin.h"

enum { VIEW_SLOTS = 6 };

// Show states and view modes.
enum { VIEW_SHOW_NORMAL = 1, VIEW_SHOW_A = 2, VIEW_SHOW_K = 3 };
enum { VIEW_MODE_PICTURE = 1, VIEW_MODE_SCHEMATIC = 2, VIEW_MODE_OVERVIEW = 3 };

struct ViewSlot {
  void* window;      // null: the slot is not open
  i32 showState;     // VIEW_SHOW_*
  i32 mode;          // VIEW_MODE_*
  i32 scale;
  i32 originX, originY;    // the cell at the window's top left
  i32 cellsX, cellsY;      // visible size in cells
  i32 clientWidth;
  i32 cursorX, cursorY, level;  // the cell cursor; level is the shown level
  void* scrollX;
  void* scrollY;
};

extern ViewSlot g_viewSlots[VIEW_SLOTS];

// The active slot, or slot 0 when none is active.
ViewSlot* Vwin_ActiveOrFirst(void);

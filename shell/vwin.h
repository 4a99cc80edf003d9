// Layout view windows: the shell's half of the ViewSlotTable (the windows,
// their remembered rectangles, threads, semaphores and presentation locks),
// the creation and destruction of a view, zoom steps, activation order and
// the paint and pacer threads.
//
// The other half of each slot - mode, scale, origin, visible cells, level,
// cursor, client size, back buffer, buffer lock, dirty and ready flags -
// is render's MapView (g_mapViews, render/map.h); a slot is open when its
// MapView window is not null. Both halves share the slot index 0..5.
//
// Owns g_vwinSlots, the active, last and followed slot numbers and the frame
// rate. Promises: every thread of a view ends (quit flag, semaphore
// released, waited for) before the view's buffers and locks are freed; lock
// order is the present lock, then the buffer lock; the paint thread only
// tries locks. Main thread, but for the paint and pacer threads.
#pragma once
#include "platform/os.h"
#include "platform/types.h"

enum { VWIN_SLOTS = 6 };
enum { VWIN_SHOW_NORMAL = 1, VWIN_SHOW_MINIMISED = 2, VWIN_SHOW_MAXIMISED = 3 };
enum { VWIN_HISTORY_WORDS = 3072 };

struct VwinSlot {
  i32 rectLeft, rectTop, rectRight, rectBottom;  // remembered window rectangle; left -1: none yet
  int showState;                                 // VWIN_SHOW_*
  int scrollBarsShown;                           // 0 hides both scroll bars
  int overlay;                                   // the per-view overlay flag (command 338)
  u32* history;                                  // VWIN_HISTORY_WORDS words of cursor history
  i32 historyCount[2];
  // Presentation: the window's device context, a memory device context with
  // its bitmap, and the device-independent copy of the back buffer (Windows).
  void* windowDC;
  void* memDC;
  void* bitmap;
  void* oldBitmap;
  u32* copy;
  i32 bitmapWidth, bitmapHeight;
  OsLock presentLock;
  OsHandle semaphore;    // paint semaphore, initial 0, maximum 1
  OsHandle paintThread;
  OsHandle pacerThread;
  volatile int quit;     // set before the threads are woken and waited for
};

extern VwinSlot g_vwinSlots[VWIN_SLOTS];
// The view with the input focus (-1 none), the one active before it (-1
// none), the view that follows a train (-1 none).
extern i32 g_activeViewSlot;
extern i32 g_lastViewSlot;
extern i32 g_followedViewSlot;

// ---------------------------------------------------------------- portable decisions
// Every window 0, every show state 1, no rectangle remembered; active and
// last slot -1.
void Vwin_ClearSlots(void);
// The menu command of a mode and scale (344..359), -1 for none.
int Vwin_ZoomMenuId(int mode, int scale);
// The mode and scale of a zoom command 344..359; 0 ok, 1 not a zoom command.
int Vwin_ZoomOfMenuId(int id, int* mode, int* scale);
// A valid scale for the mode: 1 or even 2..8 (picture), 1, 2, 4, 8
// (schematic), a power of two 1..64 (overview).
int Vwin_ValidScale(int mode, int scale);
// The step from mode, scale inward (in = 1) or outward (in = 0): 0 and the
// new mode and scale, or 5 when there is no further step.
int Vwin_ZoomStep(int mode, int scale, int in, int* newMode, int* newScale);
// Columns and rows a client of width x height pixels shows (rounded up).
void Vwin_SizeInCells(int mode, int scale, i32 width, i32 height, i32* cols, i32* rows);
// The origin on one axis after a zoom that keeps the cursor's relative place.
i32 Vwin_ZoomOrigin(i32 cursor, i32 origin, i32 newCells, i32 oldCells);
// Minimum and maximum tracking size of a view window from the system metrics.
void Vwin_TrackingLimits(i32 frameW, i32 frameH, i32 hscrollH, i32 captionH, i32* minW, i32* minH, i32* maxW,
                         i32* maxH);
// FrameRate: -1 queries; -2 default 25; -3 one down (not below 1); -4 one
// up (not above 60); 1..60 sets; anything else changes nothing. Returns the
// rate; a change recomputes the refresh interval.
int Vwin_FrameRate(int n);
// 1000 / FrameRate milliseconds, the pacers' wait.
u32 Vwin_RefreshInterval(void);

// ---------------------------------------------------------------- views (Windows; natively the slots only)
// 0 done, 1 window not created, 2 no free slot, 3 buffers not allocated.
int Vwin_Create(int scale);
// 0 closed, 1 no window, 2 slot out of 0..5.
int Vwin_Close(int slot);
// Closes every open view (at shutdown), each ending its threads.
void Vwin_CloseAll(void);
int Vwin_SlotOfWindow(void* window);
int Vwin_Activate(int n);
// Results 0 done, 1 slot out of 0..5, 2 same mode and scale, 3 bad mode,
// 4 bad scale, 5 no further step, 6 buffers not allocated.
int Vwin_SetZoom(int slot, int mode, int scale);
int Vwin_ZoomIn(int slot);
int Vwin_ZoomOut(int slot);
// 0 done, 1 allocation failed (old buffers kept).
int Vwin_ResizeBuffers(int slot, i32 width, i32 height, int redraw);
void Vwin_ArrangeWindows(int frameAtTop, int showFrame);
void Vwin_ToggleOverlay(void);
// Scrolls the view by whole cells, the origin kept within the grid.
void Vwin_ScrollCells(int slot, i32 dx, i32 dy);
// Suspends (0) or resumes (1) the pacers and holds (0) or releases (1) the
// present lock of every open view; App_SuspendDrawing calls it.
void Vwin_SuspendPresent(int mode);

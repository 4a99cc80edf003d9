// Layout view windows: the shell's half of the ViewSlotTable (the windows,
// their remembered rectangles, threads, semaphores and presentation locks),
// the creation and destruction of a view, zoom steps, activation order,
// scrolling by cells, the window arrangement and the paint and pacer threads.
//
// The other half of each slot - mode, scale, origin, visible cells, level,
// cursor, client size, show state (VWIN_SHOW_*), back buffer, buffer lock,
// dirty and ready flags and the memory device context the overlay passes
// draw into - is render's
// MapView (g_mapViews, render/map.h); a slot is open when its MapView window
// is not null. Both halves share the slot index 0..5. A closed slot keeps
// its mode, scale, origin, level and cursor for the next view opened in it.
//
// Owns g_vwinSlots, the active, last and followed slot numbers, the frame
// rate and the full-width option. Promises: every thread of a view ends
// (quit flag, semaphore released, waited for) before the view's buffers and
// locks are freed; lock order is the present lock, then the buffer lock;
// the paint thread only tries locks. Main thread, but for the paint and
// pacer threads.
//
// The view window class (ORBA_CLASS_VIEW, window procedure EditWndProc) is
// registered at start-up with CS_OWNDC | CS_DBLCLKS: the paint thread keeps
// drawing into the window's own device context.
#pragma once
#include "platform/os.h"
#include "platform/types.h"

enum { VWIN_SLOTS = 6 };
enum { VWIN_SHOW_NORMAL = 1, VWIN_SHOW_MINIMISED = 2, VWIN_SHOW_MAXIMISED = 3 };
enum { VWIN_HISTORY_WORDS = 3072 };
// Cells of the grid along each axis; an origin stays within 0 .. this - size in cells.
enum { VWIN_GRID_CELLS = 32768 };
// Zoom modes of Vwin_SetZoom beside the view modes 1..3.
enum { VWIN_ZOOM_IN = 13, VWIN_ZOOM_OUT = 14 };

struct VwinSlot {
  i32 rectLeft, rectTop, rectRight, rectBottom;  // remembered window rectangle; left -1: none yet
  int scrollBarsShown;                           // 0 hides both scroll bars
  int overlay;                                   // the per-view overlay flag (command 338)
  u32* history;                                  // VWIN_HISTORY_WORDS words of cursor history
  i32 historyCount[2];
  // Presentation (Windows): the window's device context, the bitmap
  // selected into the memory device context (MapView.memDC) with the one it
  // replaced, and the device-independent copy of the back buffer; the
  // bitmap and the copy are bitmapWidth x bitmapHeight pixels.
  void* windowDC;
  void* bitmap;
  void* oldBitmap;
  u32* copy;
  i32 bitmapWidth, bitmapHeight;
  OsLock presentLock;
  OsHandle semaphore;    // paint semaphore, initial 0, maximum 1
  OsHandle paintThread;
  OsHandle pacerThread;
  volatile int quit;     // set before the threads are woken and waited for
  int pacerSuspended;    // suspensions of the pacer by Vwin_SuspendPresent
  int presentHeld;       // entries of the present lock by Vwin_SuspendPresent
};

extern VwinSlot g_vwinSlots[VWIN_SLOTS];
// The view with the input focus (-1 none), the one active before it (-1
// none), the view that follows a train (-1 none).
extern i32 g_activeViewSlot;
extern i32 g_lastViewSlot;
extern i32 g_followedViewSlot;
// The full-width option (command 405): the frame spans the work area.
extern int g_vwinFullWidth;

// What the frame does for the views: redraw its frame-rate field after a
// change of the rate, and move its panel scroll bars and tooltips after the
// arrangement moved it. Start-up installs them; null hooks are skipped.
struct VwinFrameHooks {
  void (*frameRateChanged)(void);
  void (*frameMoved)(void);
};
extern VwinFrameHooks g_vwinFrameHooks;

// ---------------------------------------------------------------- portable decisions
// Every window 0, every show state 1, scroll bars shown, no overlay, no
// rectangle remembered; active, last and followed slot -1. Start-up calls it
// before the settings fill in the remembered rectangles.
void Vwin_ClearSlots(void);
// The menu command of a mode and scale (344..359), -1 for none.
int Vwin_ZoomMenuId(int mode, int scale);
// The mode and scale of a zoom command 344..359; 0 ok, 1 not a zoom command.
int Vwin_ZoomOfMenuId(int id, int* mode, int* scale);
// A valid scale for the mode: 1 or even 2..8 (picture), 1, 2, 4, 8
// (schematic), a power of two 1..64 (overview). 1 valid, 0 not (or a bad mode).
int Vwin_ValidScale(int mode, int scale);
// The step from mode, scale inward (in = 1) or outward (in = 0): 0 and the
// new mode and scale, or 5 when there is no further step.
int Vwin_ZoomStep(int mode, int scale, int in, int* newMode, int* newScale);
// Columns and rows a client of width x height pixels shows (rounded up).
void Vwin_SizeInCells(int mode, int scale, i32 width, i32 height, i32* cols, i32* rows);
// The origin on one axis after a zoom that keeps the cursor's relative place.
i32 Vwin_ZoomOrigin(i32 cursor, i32 origin, i32 newCells, i32 oldCells);
// An origin kept within 0 .. VWIN_GRID_CELLS - cells (0 when the view is
// wider than the grid).
i32 Vwin_ClampOrigin(i32 origin, i32 cells);
// Minimum and maximum tracking size of a view window from the system metrics.
void Vwin_TrackingLimits(i32 frameW, i32 frameH, i32 hscrollH, i32 captionH, i32* minW, i32* minH, i32* maxW,
                         i32* maxH);
// FrameRate: -1 queries; -2 default 25; -3 one down (not below 1); -4 one
// up (not above 60); 1..60 sets; anything else changes nothing. Returns the
// rate; a change recomputes the refresh interval and calls the frame's hook.
int Vwin_FrameRate(int n);
// 1000 / FrameRate milliseconds, the pacers' wait.
u32 Vwin_RefreshInterval(void);

// Activation order: the slot Vwin_Activate(n) activates, -1 for the frame,
// -2 when n asks for nothing (a closed or unknown slot).
int Vwin_ActivationTarget(int n);
// The bookkeeping of a view that became active: it becomes the active slot,
// the one active before it the last slot.
void Vwin_NoteActivated(int slot);
// The frame became active (its activation message calls it): the active
// view becomes the last one and no view is active.
void Vwin_NoteFrameActivated(void);

// Edge-scroll bits (1 left, 2 right, 4 up, 8 down) of a right press on the
// window frame, by the hit-test code of the press (HT* values); 0 for an
// area that does not scroll.
int Vwin_EdgeBitsOfHit(int hit);
// A typed character as the key handler takes it: 1 with *key (0x100 |
// character) and *outMods, 0 when the character is ignored. numPadDown: one
// of the numeric-pad keys plus, minus, multiply or divide is down; mods the
// CMD_MOD_* bits held; inView adds "*" and "/" to "+", "-" and "=".
int Vwin_CharKey(u32 ch, int numPadDown, int mods, int inView, int* key, int* outMods);

struct VwinRect {
  i32 x, y, width, height;
};
// The frame's x and width on a work area of left L and width W: the work
// area's width (at least 800) at L with the full-width option, else 800
// centred.
void Vwin_FramePlacement(int fullWidth, i32 left, i32 width, i32* x, i32* frameWidth);
// The rectangles of n (1..6) views tiled on the area x, y, width, height,
// in slot order; 0 done, 1 n out of range.
int Vwin_ArrangeRects(int n, i32 x, i32 y, i32 width, i32 height, VwinRect* out);
// The rectangle of a new view in slot that has none remembered, on the area
// below the frame: two thirds of it, cascaded by slot.
VwinRect Vwin_DefaultRect(int slot, i32 x, i32 y, i32 width, i32 height);

// Scroll-bar requests (the SB_* codes) of Vwin_OnScrollBar.
enum {
  VWIN_SB_LINE_BACK = 0,
  VWIN_SB_LINE_ON = 1,
  VWIN_SB_PAGE_BACK = 2,
  VWIN_SB_PAGE_ON = 3,
  VWIN_SB_THUMB_POSITION = 4,
  VWIN_SB_THUMB_TRACK = 5,
  VWIN_SB_TOP = 6,
  VWIN_SB_BOTTOM = 7
};
// Scrolls the view by whole cells, the origin kept within the grid, the
// window's content moved with it and the cursor kept inside the view.
void Vwin_ScrollCells(int slot, i32 dx, i32 dy);
// A scroll-bar request on the horizontal (vertical 0) or vertical bar: a
// line is a cell (a pixel's block in an overview), a page the view's size
// less a line; the thumb, top and bottom put the cursor's x (or y) there and
// scroll it into view.
void Vwin_OnScrollBar(int slot, int vertical, int request, i32 pos);
// The wheel: a positive delta scrolls one cell up, a negative one down;
// with Ctrl left and right.
void Vwin_OnWheel(int slot, i32 delta, int ctrl);
// Keeps the cursor of an open view inside the cells it shows.
void Vwin_KeepCursorInView(int slot);
// Flips the full-width option and arranges the windows (command 405).
void Vwin_ToggleFullWidth(void);

// ---------------------------------------------------------------- views (Windows; natively the slots only)
// 0 done, 1 window not created, 2 no free slot, 3 buffers not allocated.
// Natively no window can be made: 2 or 1.
int Vwin_Create(int scale);
// 0 closed, 1 no window, 2 slot out of 0..5.
int Vwin_Close(int slot);
// Closes every open view (at shutdown), each ending its threads.
void Vwin_CloseAll(void);
int Vwin_SlotOfWindow(void* window);
// Activates by the order of Vwin_ActivationTarget; returns the slot active
// before (-1 none), or -2 when n asked for nothing.
int Vwin_Activate(int n);
// Results 0 done, 1 slot out of 0..5 (or closed), 2 same mode and scale,
// 3 bad mode, 4 bad scale, 5 no further step, 6 buffers not allocated.
int Vwin_SetZoom(int slot, int mode, int scale);
int Vwin_ZoomIn(int slot);
int Vwin_ZoomOut(int slot);
// 0 done, 1 allocation failed or no such view (old buffers kept).
int Vwin_ResizeBuffers(int slot, i32 width, i32 height, int redraw);
void Vwin_ArrangeWindows(int frameAtTop, int showFrame);
void Vwin_ToggleOverlay(void);
// Flips the active view's scroll-bars-shown flag and shows or hides both.
void Vwin_ToggleScrollBars(void);
// Platform half: shows or hides both scroll bars of an open view.
void Vwin_PlatformShowScrollBars(int slot, int shown);
// Suspends (0) or resumes (1) the pacers and holds (0) or releases (1) the
// present lock of every open view; App_SuspendDrawing calls it.
void Vwin_SuspendPresent(int mode);
// ---------------------------------------------------------------- shared by the two platform sides
// The first slot without a window, -1 when all six are open.
int Vwin_FirstFreeSlot(void);
int Vwin_OpenCount(void);
// The back buffer of an open view to width x height pixels - a new one only
// when the size changed or there is none - and the client size recorded; the
// ready flag cleared. 0 done, 1 refused or no memory (the old buffer kept).
int Vwin_SizeBackBuffer(int slot, i32 width, i32 height);
// After a new client size: the origin back within the grid, the sub-cell
// offsets 0, the cursor inside, the whole view to be painted again.
void Vwin_FitToClient(int slot);
// The end of a view in both builds, after its threads ended: frees the
// history block, forgets the slot as last, active and followed view (a
// followed train is no longer followed) and enables command 400 again.
void Vwin_ReleaseSlot(int slot);
// Platform side: the slot's scroll-bar thumbs to its cursor (nothing natively).
void Vwin_PlatformShowPosition(int slot);

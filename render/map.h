// Map redraw: brings changed cells and whole views up to date in the views'
// back buffers - the layout views' slots with their back buffers and locks
// (MapWindowBuffers), the redraw of one cell in every view that shows it,
// the redraw queue of a moving train, the composition of a cell column over
// its levels, and the invalidation of whole views.
//
// Owns the six view slots (g_mapViews) and their back buffers, and the
// redraw queue. The view windows themselves belong to the shell; natively a
// slot is open when its window word is not null.
//
// Promises: every write into a back buffer happens under that view's buffer
// lock, sets its dirty flag and stays inside the buffer as allocated, even
// when the client size recorded for the view has changed since. The model
// is only read. Main thread.
#pragma once
#include "platform/os.h"
#include "platform/types.h"

// RedrawMask: which kinds of open view redraw the cell.
enum { MAP_REDRAW_PICTURE = 1, MAP_REDRAW_SCHEMATIC = 2, MAP_REDRAW_OVERVIEW = 8, MAP_REDRAW_ALL = 11 };
// InvalidateMask of Map_InvalidateViews.
enum { MAP_INVALIDATE_FRAME = 1, MAP_INVALIDATE_VIEWS = 2, MAP_INVALIDATE_PICTURE = 4, MAP_INVALIDATE_SCHEMATIC = 8 };
// Cells the redraw queue holds.
enum { MAP_QUEUE_CELLS = 201 };
enum { MAP_VIEWS = 6 };
enum { MAP_MODE_PICTURE = 1, MAP_MODE_SCHEMATIC = 2, MAP_MODE_OVERVIEW = 3 };

struct MapView {
  void* window;      // null: the slot is empty
  int mode;          // MAP_MODE_*
  int scale;         // picture 1, 2, 4, 6, 8; schematic 1, 2, 4, 8; overview 1..64
  i32 originX, originY;
  i32 visWidth, visHeight;  // cells
  i32 pixOffX, pixOffY;     // sub-cell scroll position (pixels at scale 1)
  i32 level;                // -4..0
  i32 clientWidth, clientHeight;
  int groundDetail;         // 1 shows ground detail and symbols
  int ready;
  int showState;            // 1 normal, 2 minimised, 3 maximised
  i32 cursorX, cursorY;     // the cell cursor (its level is the view's level); -1 none
  // MapWindowBuffers
  u32* back;                // backWidth x backHeight pixels, top row first
  i32 backWidth, backHeight;
  OsLock lock;
  int dirty;
  // The memory device context (HDC) of the view's presentation, which the
  // shell creates with the window; the overlay passes draw into it. Null
  // natively and before the window has one.
  void* memDC;
  // Natively the stand-in for the window's update region: the bounding
  // rectangle of what was invalidated and not yet painted (right and bottom
  // exclusive; empty when updRight <= updLeft). Windows keeps its own.
  i32 updLeft, updTop, updRight, updBottom;
};
extern MapView g_mapViews[MAP_VIEWS];

// Opens slot v natively or for the shell: fills the fields, allocates the
// back buffer (client size) and the lock. A client of 0 x 0 opens the slot
// without a back buffer (the shell sizes it next). 0 ok, 1 bad slot or
// values, 5 no memory.
int Map_OpenView(int v, void* window, int mode, int scale, i32 originX, i32 originY, i32 level, i32 clientWidth,
                 i32 clientHeight);
// Frees the back buffer and the lock and empties the slot; its mode, scale,
// origin, level and cursor stay as what the next view of the slot starts from.
void Map_CloseView(int v);
// A new client size: a new back buffer of that size; on failure the old
// buffer stays with its own size. 0 ok, 1 bad slot, 5 no memory.
int Map_ResizeView(int v, i32 clientWidth, i32 clientHeight);
// Recomputes the visible cell counts from the client size and scale.
void Map_UpdateVisible(int v);
// The slot whose view window this is; -1 for none (or a null window).
int Map_ViewOfWindow(const void* window);
// Pixel (x, y) of a view's back buffer for tests and export; 0 outside.
u32 Map_GetBackPixel(int v, i32 x, i32 y);
// The client pixel of the top-left corner of cell (x, y) in view v: picture
// ((x - origin) * 32 + pixel offset) * scale, schematic ((x - origin) * 16 +
// pixel offset) / scale, overview (x - origin) / scale, and the same for y.
// A coordinate of -1 stays -1; both become -1 for a slot outside 0..5 or
// without a window.
void Map_CellToPixel(int v, i32* x, i32* y);

// The shell keeps the slot numbers and the frame's status fields; the
// renderer asks through these hooks, which start-up installs. Without them
// no view is active, none follows a train and no field is repainted.
struct MapShellHooks {
  i32 (*activeView)(void);         // the view with the input focus, -1 none
  i32 (*followedView)(void);       // the view that follows a train, -1 none
  void (*redrawClockFields)(void); // the frame's clock, date and speed fields
};
void Map_SetShellHooks(const MapShellHooks* hooks);
i32 Map_ActiveView(void);
i32 Map_FollowedView(void);

// Redraws the cell in every open view that shows it at or above its level.
void Map_RedrawCell(i32 x, i32 y, i32 level, int mask);
void Map_RedrawCellFull(i32 x, i32 y, i32 level);
// Composes the cell x, y from startLevel up to viewLevel and transfers it
// to target (0..5 a view) at px, py.
void Map_ComposeCellColumn(void* dc, i32 px, i32 py, int target, int flags, i32 startLevel, i32 viewLevel, i32 y,
                           i32 x);
// The level a view's composition of the cell starts at: down through
// see-through codes from level.
i32 Map_StartLevel(i32 x, i32 y, i32 level);
// Invalidates and repaints the frame window and the views the mask selects.
void Map_InvalidateViews(int mask);
// Redraws a whole view from the layout into its back buffer.
void Map_RedrawView(int v);
// Appends the cell to the redraw queue; a cell beyond MAP_QUEUE_CELLS is
// dropped rather than written past the queue.
void Map_QueueCellRedraw(i32 x, i32 y, i32 level);
// Redraws every queued cell (mask 11 when allViews, else 1) and the cell
// above it (mask 1), then empties the queue; the number of words consumed.
int Map_FlushRedrawQueue(int allViews);
void Map_FlushCellRedraws(int full);
// Number of redraw and invalidate requests since start-up.
u32 Map_RedrawRequestCount(void);

// Clears the ready flag of open view v and invalidates (without erase) its
// inclusive pixel rectangle.
void Map_InvalidateRect(int v, i32 left, i32 top, i32 bottom, i32 right);
// Redraws the inclusive pixel rectangle of open view v from the layout into
// its back buffer and validates it.
void Map_RepaintRect(int v, i32 left, i32 top, i32 bottom, i32 right);
// WM_PAINT of a layout view: the rectangle to paint is redrawn from the
// layout into the back buffer, which the view's paint thread presents.
// After the paint of a maximised view (show state 3) the frame's clock,
// date and speed fields are painted again.
void Map_OnViewPaint(int v);
// Scrolls the inclusive client rectangle of a view window by dx, dy pixels;
// what is uncovered is invalidated, and the mouse cursor is chosen again.
// Nothing when both distances are 0 or the rectangle is empty.
void Map_ScrollView(void* window, i32 left, i32 top, i32 dy, i32 dx, i32 bottom, i32 right);

// Platform side (map_win32.cpp / map_posix.cpp): invalidate a view window.
void Map_PlatformInvalidate(void* window);
// Invalidates (no erase) or validates a rectangle of view v's window; right
// and bottom exclusive.
void Map_PlatformInvalidateRect(int v, i32 left, i32 top, i32 right, i32 bottom);
void Map_PlatformValidateRect(int v, i32 left, i32 top, i32 right, i32 bottom);
// Begins the paint of view v, redraws the rectangle to paint through the
// compositor's rectangle redraw and ends the paint.
void Map_PlatformPaint(int v);
// Scrolls the window's rectangle (right and bottom exclusive), invalidating
// what is uncovered; v is the window's view slot, -1 when it has none.
void Map_PlatformScroll(void* window, int v, i32 left, i32 top, i32 right, i32 bottom, i32 dx, i32 dy);

// Map redraw: brings changed cells and whole views up to date on the screen.
//
// Owns the requests to redraw single cells (now or through the cell redraw
// queue) and to invalidate whole views. No view exists yet, so a request only
// counts; the count lets callers' tests see that a change asked for a redraw.
#pragma once
#include "platform/types.h"

// RedrawMask: which kinds of open view redraw the cell.
enum { MAP_REDRAW_PICTURE = 1, MAP_REDRAW_SCHEMATIC = 2, MAP_REDRAW_OVERVIEW = 8, MAP_REDRAW_ALL = 11 };
// InvalidateMask of Map_InvalidateViews.
enum { MAP_INVALIDATE_FRAME = 1, MAP_INVALIDATE_VIEWS = 2, MAP_INVALIDATE_PICTURE = 4, MAP_INVALIDATE_SCHEMATIC = 8 };
// Cells the redraw queue holds; every caller flushes before it is full.
enum { MAP_QUEUE_CELLS = 201 };

// Redraws the cell in every open view that shows it at or above its level.
void Map_RedrawCell(i32 x, i32 y, i32 level, int mask);
// Invalidates and repaints the frame window and the views the mask selects.
void Map_InvalidateViews(int mask);
// Appends the cell to the redraw queue; a cell beyond MAP_QUEUE_CELLS is
// dropped rather than written past the queue.
void Map_QueueCellRedraw(i32 x, i32 y, i32 level);
// Redraws every queued cell (mask 11 when full, else 1) and the cell above it
// (mask 1), then empties the queue.
void Map_FlushCellRedraws(int full);
// Number of redraw and invalidate requests since start-up.
u32 Map_RedrawRequestCount(void);

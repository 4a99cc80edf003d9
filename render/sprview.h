// The compositor's way into the views: the transfers of a finished
// composition buffer into a view's back buffer (1:1, enlarged, scaled 3/2),
// the empty-cell fill and the redraw of a pixel rectangle of a view.
//
// Owns nothing but the copy rules. Promises: every copy takes the view's
// buffer lock, clips to the back buffer as it is allocated and sets the
// dirty flag; a view index outside 0..5 or a view without a back buffer
// does nothing.
#pragma once
#include "platform/types.h"

struct SchBuf;

// Copies a w x h rectangle of the zoom buffer (sx, sy from the top) to
// (x, y) of view v.
void Spr_CopyToViewBuffer(int v, i32 x, i32 y, int zoom, int sx, int sy, int w, int h);
// Each pixel of the zoom buffer as an n x n block (n >= 2).
void Spr_CopyToViewBufferEnlarged(int v, i32 x, i32 y, int zoom, int n);
// Magnified by num / den (num > den >= 1).
void Spr_CopyToViewBufferScaled(int v, i32 x, i32 y, int zoom, int num, int den);
// Transfer of a finished composition of zoom to view target at (x, y):
// info and log point marks of the overlay flags, then grid and box lines,
// shading, copy by the view's scale.
void Spr_Transfer(int zoom, int target, i32 x, i32 y, int gridFlags, int overlayFlags);
// The transfers of each zoom: the marks and lines, then to view target
// 0..5 as Spr_Transfer, or to preview target 6..9 into dc at (x, y),
// enlarged to the preview's scale (markers resolved, no shading). A preview
// of a scale below the zoom gets nothing.
void Spr_TransferZoom1(SchBuf* dc, i32 x, i32 y, int gridFlags, int overlayFlags, int target);
void Spr_TransferZoom2(SchBuf* dc, i32 x, i32 y, int gridFlags, int overlayFlags, int target);
void Spr_TransferZoom4(SchBuf* dc, i32 x, i32 y, int gridFlags, int overlayFlags, int target);
// A finished schematic square to view target 0..5 (its back buffer at (x,
// y), clipped) or to preview target 6..7 (dc at (x, y), clipped).
void Spr_TransferSchematic(SchBuf* dc, i32 x, i32 y, int target, const SchBuf* square);
// The grid and box lines of a square of size pixels at (px, py) of view v's
// back buffer (a schematic cell at the view's scale): steps 2 (major), 4
// (minor) and 8 / scale + 1 (box), under the view's buffer lock.
void Spr_DrawGridInView(int v, i32 px, i32 py, int size, int scale, int flags);
// Background fill of a cell that is not composed (32 s x 16 s).
void Spr_FillEmptyCell(int v, i32 x, i32 y);
// Recomposes the inclusive pixel rectangle of view v (with the info and
// log point marks of each cell).
void Spr_RedrawViewRect(int v, i32 x1, i32 y1, i32 y2, i32 x2);
// Layout marked unusable: picture views only show the background.
void Spr_SetLayoutUnusable(int on);

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
// Background fill of a cell that is not composed (32 s x 16 s).
void Spr_FillEmptyCell(int v, i32 x, i32 y);
// Recomposes the inclusive pixel rectangle of view v (with the info and
// log point marks of each cell).
void Spr_RedrawViewRect(int v, i32 x1, i32 y1, i32 y2, i32 x2);
// Layout marked unusable: picture views only show the background.
void Spr_SetLayoutUnusable(int on);

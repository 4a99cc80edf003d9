// Overview map: the third view mode, one back-buffer pixel for a block of
// scale x scale cells coloured by the most important thing in it.
//
// Owns the colour classes and their priority, the block rule, the painter
// of a rectangle, the single-cell update, scrolling, the cursor moves, and
// the colours the picture export takes from the map (with the export
// settings they are taken by).
// Promises: writes only inside the view's back buffer, under its lock; the
// export colours leave view slot 0 and the grid as they found them.
#pragma once
#include "platform/types.h"

// Export settings: cells per picture pixel and the option word (the export
// dialog sets them; bits 0 and 1 are the file writer's).
enum { OVW_EXPORT_NO_DETAIL = 4, OVW_EXPORT_TRAIN_AS_TRACK = 8 };
struct OvwExportSettings {
  int scale;    // 1..64
  u32 options;
};
extern OvwExportSettings g_ovwExport;

// Palette class of a code (noDetail: ground detail off; level0: on level 0).
int Ovw_CellColour(u32 code, int noDetail, int level0);
// Priority rank of a class: higher wins; the background classes rank 0.
int Ovw_Priority(int cls);
// 53 box outline, 51/52 grid lines, else the background class. At a scale
// above 1 the cell stands for its block: a grid line anywhere in the block
// marks it.
int Ovw_MarkAt(i32 x, i32 y, i32 level, int view);
// The background picture's pixel (COLORREF) under cell x, y, or
// SPR_TRANSPARENT (0x80010000) where no picture is shown.
u32 Ovw_BackgroundColour(i32 x, i32 y);
// Colour (bitmap order) of the block holding cell x, y in view v.
u32 Ovw_BlockColour(int v, i32 x, i32 y);
// Recolours the pixel of cell x, y: at scale 1 from the given code and its
// level, at a larger scale the whole block on the view's level.
void Ovw_DrawCell(int v, i32 x, i32 y, u32 code, i32 level);
// Paints the inclusive pixel rectangle; 0.
int Ovw_Paint(int v, i32 x1, i32 y1, i32 y2, i32 x2);
// The same for a redraw the user waits for: a large rectangle shows the wait
// cursor while it is painted.
void Ovw_RepaintRect(int v, i32 x1, i32 y1, i32 x2, i32 y2);
// Moves the origin by n pixels, kept inside the grid; n < 1 does nothing.
void Ovw_ScrollRight(int v, i32 n);
void Ovw_ScrollLeft(int v, i32 n);
void Ovw_ScrollDown(int v, i32 n);
void Ovw_ScrollUp(int v, i32 n);
// Moves the cursor by n cells (0: 11 x scale), inside the grid, and scrolls
// the view when the cursor leaves it.
void Ovw_MoveCursorLeft(int v, i32 n);
void Ovw_MoveCursorUp(int v, i32 n);
void Ovw_MoveCursorRight(int v, i32 n);
void Ovw_MoveCursorDown(int v, i32 n);
// Puts the cursor on x, y (rounded down to the scale and written back) and
// centres the view on it.
void Ovw_SetCursorCentred(int v, i32* x, i32* y);

// Picture export colours (palette indexes) by g_ovwExport, on level 0: one
// cell of the given code, and the block of the export scale whose corner is
// x, y (view slot 0 lends its block rule; its settings and the grid are
// restored after).
int Ovw_ExportCellColour(u32 code, i32 x, i32 y);
int Ovw_ExportBlockColour(i32 x, i32 y);

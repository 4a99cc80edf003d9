// Drawing primitives over pixel buffers and the schematic view: the track
// model of a cell as a connector mask, and the drawing of one schematic
// cell (lines, chords, class figures, signal state marks) into a square
// that goes into a view's back buffer.
//
// Owns the connector table and the schematic geometry per scale. The
// primitives work on any u32 pixel buffer given with its size and clip to
// it; device-context transfers live in the Windows build only.
#pragma once
#include "platform/types.h"

// A u32 pixel buffer, row 0 at the top.
struct SchBuf {
  u32* pixels;
  i32 width, height;
};
void Map_BufSetPixel(SchBuf* b, i32 x, i32 y, u32 colour);
// Every step-th pixel between the two ends (either order).
// The positions a, a + step, ... up to b (or b down to a: the smaller end
// first, as the lines draw) that lie in lo..hi, as first and last. In 64
// bits, so that a line ending at the largest coordinate neither overflows
// nor walks the positions outside; a step below 1 counts as 1.
void Map_StepRange(i32 a, i32 b, int step, i32 lo, i32 hi, i64* first, i64* last);
void Map_BufVLine(SchBuf* b, i32 x, i32 y1, int step, u32 colour, i32 y2);
void Map_BufHLine(SchBuf* b, i32 x1, i32 y, int step, u32 colour, i32 x2);
// Bresenham line, every step-th point.
void Map_BufLine(SchBuf* b, i32 x1, i32 y1, i32 x2, i32 y2, int step, u32 colour);
// The inclusive rectangle clipped to the buffer; nothing when it is empty.
void Map_BufFillRect(SchBuf* b, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2);
void Map_BufFrameRect(SchBuf* b, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2);
// Arrow heads at (x, y) for each direction bit (1 down, 2 up, 4 right, 8
// left, 16..128 the diagonal corners).
void Map_BufArrows(SchBuf* b, i32 x, i32 y, int bits, u32 colour);

// Connector mask of a cell code (0 above 32767).
u32 Trk_PieceConnectorMask(u32 code);
// The palette entry of the schematic colour of a code at a cell (see the
// redraw rules); *drawn the code drawn (a train's saved code).
int Map_SchematicColourIndex(u32 code, i32 x, i32 y, i32 level, u32* drawn);
// The state mark word of a schematic cell: MAP_SCH_MARK with the direction
// (0..7) the mark lies in from the centre and the display kind of the
// signal shape (MAP_SCH_MARK_KIND2 stop, _KIND4 expect stop, neither clear).
enum { MAP_SCH_MARK_KIND2 = 128, MAP_SCH_MARK_KIND4 = 256, MAP_SCH_MARK = 512 };
// The mark of a signal element of types 1-4 in state (-1 none) on a cell of
// that code; 0 when the code is no such signal shape or there is no state.
int Map_SchematicStateMark(u32 code, int state);
// Draws one schematic cell into a square buffer of side `size` (16 / scale
// for views, 16 or 24 for previews): scale 1, 2, 4, 8 for views, 0 for a
// preview of side 16, -1 for side 24. Scales below 8 draw the class figure at
// the centre; views of scale 1 and 2 draw the state mark (0 none).
void Map_DrawSchematicLines(SchBuf* sq, int scale, i32 level, int groundDetail, u32 colour, int mark, u32 code);
// One schematic cell of the code drawn with the colour at pixel (px, py) of
// the target: a view 0..5 (its back buffer, a square of 16 / scale; dc
// unused) or a preview 6 (16 x 16) or 7 (24 x 24) into dc. state: the state
// of the signal element of types 1-4 on the cell, -1 for none; views show
// it as the state mark, previews show no mark and no class figure.
// groundDetail: the view's ground-detail flag (previews draw it).
void Map_DrawSchematicCell(SchBuf* dc, int target, i32 px, i32 py, i32 level, u32 code, u32 colour, int state,
                           int groundDetail);
// The schematic redraw of cell x, y in view v (code, colour, square, grid).
void Map_DrawSchematicAt(int v, i32 x, i32 y);

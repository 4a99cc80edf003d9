// Overlay passes of a layout view and locked access to its back buffer.
//
// The paint thread of a view copies the back buffer into the view's memory
// device context (MapView.memDC) and then runs Map_PaintOverlays, which
// draws what is not part of the composed cells: texts written on the grid,
// train labels, object information and the cell cursor. The locked
// back-buffer operations let the rest of the renderer write single pixels,
// lines, rectangles and shifts under the view's buffer lock.
//
// Owns no data. The decisions (which passes run, which cells a pass visits,
// colours and shading, label boxes, cut lengths, the cursor's rectangle and
// cross) are portable; the drawing goes through the small platform half at
// the end of this header (overlay_win32.cpp draws with the device-context
// primitives of render/dc.h and GDI text; natively overlay_posix.cpp records
// the calls so that the tests can read what a pass drew).
//
// Promises: the passes only read the model and the view fields, draw into
// the memory device context only and take no lock (the paint thread holds
// the view's present lock); the locked operations take the view's buffer
// lock and never write outside the back buffer as it is allocated. The
// back buffer holds its top row first: pixel (x, y) is back[y * backWidth +
// x], y counted downward from the top of the client area.
#pragma once
#include "platform/types.h"
#include "render/font.h"

// ---------------------------------------------------------------- pass selection
// Pass bits of Map_OverlayPasses, in the order they run.
enum { MAP_PASS_TEXTS = 1, MAP_PASS_OBJECTS = 2, MAP_PASS_TRAINS = 4, MAP_PASS_CURSOR = 8 };
// The passes a view of mode (MAP_MODE_*) gets: the text pass in picture
// views when grid texts are shown; the object pass when any of bits 0-5 of
// the object-text mask is set, in picture views with bit 6 and in
// schematic views with a mask of 128 or more; the train pass when bit 0 or
// 1 of the train-text mask is set, in picture views with bit 3 and in
// schematic views with bit 4; always the cursor pass. With the display
// pause switch on, only the cursor pass.
int Map_OverlayPasses(int mode, int textsShown, u32 objectMask, u32 trainMask, int pause);
// The paint thread's overlay step for view v: the selected passes in their
// order, with the display options of render/disp.h.
void Map_PaintOverlays(int v);

// ---------------------------------------------------------------- passes
// Each text pass returns at once for a view outside 0..5, without a window
// or without a memory device context.
void Map_PaintGridTexts(int v);
void Map_PaintTrainLabels(int v);
void Map_PaintObjectInfo(int v);
// Cursor mark results, in the order they are tested.
enum {
  MAP_CURSOR_DRAWN = 0,
  MAP_CURSOR_NOT_ACTIVE = 1,
  MAP_CURSOR_FOLLOWED = 2,
  MAP_CURSOR_BAD_VIEW = 3,
  MAP_CURSOR_NO_WINDOW = 4,
  MAP_CURSOR_NOT_READY = 5,
  MAP_CURSOR_NONE = 6,
  MAP_CURSOR_NO_DC = 7
};
// The cell cursor of the active view into its memory device context: a
// cross in an overview map, a rectangle outline over the cursor cell in the
// other views. MAP_CURSOR_* result.
int Map_PaintCursorMark(int v);

// ---------------------------------------------------------------- decisions
// The cells a pass visits (inclusive): from the origin - one less when the
// pixel offset on that axis is positive and the origin above 0 - to
// min(origin + visible cells, 32767).
struct MapCellRange {
  i32 x1, y1, x2, y2;
};
MapCellRange Map_OverlayCellRange(i32 originX, i32 originY, i32 pixOffX, i32 pixOffY, i32 visWidth, i32 visHeight);
// The shading flags of a grid text cell: the view's shading (the lighting
// of its level), with 8 and 16 added when the cell's start level lies below
// the view's level.
u32 Map_GridTextShading(i32 viewLevel, i32 startLevel);
// A COLORREF shaded by the flags (Map_ShadeColour in buffer order), low 24
// bits.
u32 Map_ShadeRgb(u32 colour, u32 flags);
// The characters of a label that are shown: a length setting of 1..33 cuts
// the text to that many, any other setting leaves it.
int Map_LabelLength(int textLength, i32 setting);
// A label's box: w = max(text width, text height), left = x - (w - 1) / 2,
// top = y, right = left + w + 1, bottom = top + text height - 1, with x, y
// the cell's pixel plus the label's offset.
struct MapLabelBox {
  i32 left, top, right, bottom;
};
MapLabelBox Map_LabelBoxAt(i32 x, i32 y, i32 textWidth, i32 textHeight);
// One grid text cell as the texts store gives it: four characters, the text
// colour and the background colour (COLORREF; SPR_NO_COLOUR = the default).
struct MapTextCell {
  wch chars[4];
  u32 textColour, background;
};
// Draws one grid text cell at pixel (px, py) of a view of that scale with
// the shading flags: the background fill when the cell has one, then the
// characters (above 32 as text in the map text font, below 32 as grid text
// glyphs, blanks not at all).
void Map_DrawGridTextCell(void* dc, int scale, i32 px, i32 py, u32 shading, const MapTextCell* cell);
// Draws one label: text (cut to n characters) centred at x + 2, top y, in
// the map label font and palette entry textColour, over a box of palette
// entry boxColour unless boxOff.
void Map_DrawLabel(void* dc, i32 x, i32 y, const wch* text, int n, int textColour, int boxColour, int boxOff);

// ---------------------------------------------------------------- back buffer
// Each takes the view's buffer lock and does nothing for a view outside
// 0..5 or without a back buffer; coordinates outside the buffer are clipped.
// Sets dirty only when the pixel was written.
void Map_LockedSetPixel(int v, i32 x, i32 y, u32 pixel);
// Every step-th pixel from the smaller to the larger end (a step below 1
// counts as 1); dirty when any pixel was written.
void Map_LockedVLine(int v, i32 x, i32 y1, int step, u32 pixel, i32 y2);
void Map_LockedHLine(int v, i32 x1, i32 y, int step, u32 pixel, i32 x2);
// The inclusive rectangle clipped to the buffer (nothing when x2 < x1 or
// y2 < y1); sets dirty.
void Map_LockedFillRect(int v, i32 x1, i32 y1, u32 pixel, i32 y2, i32 x2);
// Moves the contents of the inclusive rectangle (clipped to the buffer;
// nothing when it is empty) dx pixels to the right
// (negative: left), then dy rows down (negative: up); what the move
// uncovers keeps its old pixels; dirty is not set (the caller redraws the
// uncovered strip).
void Map_LockedShiftBuffer(int v, i32 x1, i32 y1, i32 dy, i32 dx, i32 y2, i32 x2);

// Fills the client area of every open view window with palette 131 through
// the window's own device context; the back buffers are not touched.
// Natively nothing.
void Map_ClearAllWindows(void);

// ---------------------------------------------------------------- platform half
// Colours are COLORREF (low 24 bits); rectangles inclusive.
void Map_OverlayFillRect(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour);
void Map_OverlayFrameRect(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour);
// A horizontal (y1 == y2) or vertical line, both ends included.
void Map_OverlayLine(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour);
void Map_OverlaySetPixel(void* dc, i32 x, i32 y, u32 colour);
// A rectangle drawn with a black pen and a solid brush of the colour, as
// GDI draws one (right and bottom exclusive).
void Map_OverlayDrawBox(void* dc, i32 left, i32 top, i32 right, i32 bottom, u32 brush);
// n characters drawn transparent, centred on x with their top at y, in the
// font (null: the device context's own).
void Map_OverlayDrawText(void* dc, i32 x, i32 y, FontHandle font, u32 colour, const wch* text, int n);
// The extent of n characters in the font; natively every character is
// MAP_NATIVE_CHAR_WIDTH by MAP_NATIVE_CHAR_HEIGHT.
void Map_OverlayMeasureText(void* dc, FontHandle font, const wch* text, int n, i32* width, i32* height);

#ifndef _WIN32
enum { MAP_NATIVE_CHAR_WIDTH = 6, MAP_NATIVE_CHAR_HEIGHT = 12 };
// Native build only: the drawing calls of the platform half, recorded in
// order for the tests.
enum { MAP_OVL_FILL = 1, MAP_OVL_FRAME, MAP_OVL_LINE, MAP_OVL_PIXEL, MAP_OVL_BOX, MAP_OVL_TEXT };
struct MapOverlayCall {
  int op;  // MAP_OVL_*
  void* dc;
  i32 x1, y1, x2, y2;  // a text: its x, y in x1, y1
  u32 colour;          // a box: its brush
  FontHandle font;
  wch text[48];
};
void Map_OverlayClearCalls(void);
int Map_OverlayCallCount(void);
const MapOverlayCall* Map_OverlayCall(int i);
#endif

// Cell compositor: turns one cell of one level, with the pictures of the
// neighbours that reach into it and the trains standing in or below it, into
// the pixels of a composition buffer, shades them and hands them to a view.
//
// Owns the three composition buffers (32 x 16, 64 x 32, 128 x 64 CellPixel,
// rows bottom-up), the pixel markers and the pixel-write rule, the layer
// order of a cell (the ground itself is render/terrain), the shading, the
// grid and marked-box lines, element smoke and clocks.
//
// Promises: only reads the model; every write into a composition buffer is
// clipped to it; the same cell gives the same pixels on every redraw (all
// randomness is seeded from the cell). Main thread only.
#pragma once
#include "model/cellcode.h"
#include "platform/types.h"

typedef u32 CellPixel;

enum : u32 {
  SPR_TRANSPARENT = 0x80010000u,
  SPR_DARKEN = 0x80000000u,
  SPR_BACKGROUND = 0x80000100u,
  SPR_NO_COLOUR = 0x80000001u
};
enum { SPR_EMPTY_CODE = 0xC000, SPR_SEE_THROUGH_1 = 0xC001, SPR_SEE_THROUGH_2 = 0xC002 };
// Picture codes of the marks drawn over cells with info and log points.
enum { SPR_MARK_INFO = 0xC003, SPR_MARK_LOG1 = 0xC004, SPR_MARK_LOG2 = 0xC005 };

// Overlay flags of one transfer.
enum { SPR_OVL_INFO = 1, SPR_OVL_LOG1 = 2, SPR_OVL_LOG2 = 4, SPR_OVL_BELOW = 16 };
// Grid and marked-box flags of a cell.
enum {
  SPR_GRID_MAJOR_V = 1,
  SPR_GRID_MINOR_V = 2,
  SPR_GRID_MAJOR_H = 4,
  SPR_GRID_MINOR_H = 8,
  SPR_BOX_V = 16,
  SPR_BOX_H = 32,
  SPR_BOX_CORNER = 64
};

// Composition buffer of zoom 1, 2 or 4 (any other zoom: zoom 1); its width
// is 32 * zoom, its height 16 * zoom, row 0 the bottom line.
CellPixel* Spr_Buffer(int zoom);
inline int Spr_BufferWidth(int zoom) { return 32 * zoom; }
inline int Spr_BufferHeight(int zoom) { return 16 * zoom; }
// 1 while nothing has been written outside the buffers: guard rows lie
// before and after each of them, which only a stray write can change.
int Spr_BuffersIntact(void);

// The level whose background colour the background marker takes (0 or
// below); set by every composition before it draws.
void Spr_SetLevel(i32 level);
// The palette's ground of level 0 or of the levels below, in bitmap order.
u32 Spr_LevelBackground(i32 level);

// The pixel-write rule for one source value over one target pixel.
inline void Spr_PutPixel(CellPixel* t, CellPixel s, u32 background) {
  if (!(s & 0x80000000u)) {
    *t = s;
  } else if (s == SPR_DARKEN) {
    *t = (*t == SPR_TRANSPARENT) ? SPR_DARKEN : (*t | 0x80000000u);
  } else if (s == SPR_BACKGROUND) {
    *t = background;
  }
}
// Palette entry i in bitmap order.
u32 Spr_Palette(int i);
// The background colour of the level being composed.
u32 Spr_CurrentBackground(void);
// The same with the current level's background.
void Spr_WritePixel(CellPixel* t, CellPixel s);
// Pixel at x, y counted from the top of the zoom buffer; outside: nothing.
void Spr_SetPixel(int zoom, int x, int y, CellPixel v);

void Spr_FillBuffer(CellPixel value, int zoom);
// The top rows of the zoom-2 buffer, width pixels from the left, take value.
void Spr_FillTopRows(CellPixel value, int width, int rows);
// Checkerboard: a where column + row is even.
void Spr_FillDither(CellPixel a, CellPixel b, int zoom);
// Doubles the buffer of zoom `from` (1 or 2) over the next larger one.
void Spr_DoubleBuffer(int from);

// ---------------------------------------------------------------- classes
// 1 when the code leaves the level below visible (see-through on a level
// above -4).
int Spr_IsSeeThrough(u32 code, i32 level);
// 1 when a cell code saved under a train hides the vehicles reaching up
// from it into the cell above.
int Spr_HidesTrain(u32 code);
// Direction bit 1, 2, 4 or 8 of a portal shape, else 0.
int Spr_PortalBit(u32 code);

// ---------------------------------------------------------------- inputs
// The display switches of the ground and the marks the views draw.
struct SprOptions {
  int schotter;      // ballast stones
  int fwH2O;         // second colour of water
  int fwBus;         // second colours of classes 10-13
  int lighting;      // bit 0 daylight on, bit 1 grey below ground
  int infoMarks;     // ini key I
  int logMarks;      // ini key Log_P
};
extern SprOptions g_sprOptions;

// Grid of the views and the marked box (kept by the editor, read here).
struct SprGrid {
  int on;
  i32 originX, originY, majorX, majorY, minorX, minorY;
};
struct SprBox {
  int shown;
  i32 x1, y1, x2, y2, level1, level2;  // inclusive; level1 <= level2
};
extern SprGrid g_sprGrid;
extern SprBox g_sprBox;
int Spr_GridFlags(i32 x, i32 y, i32 level);
// The palette entry of the vertical (else horizontal) line of the flags:
// the marked box over a major grid line over a minor one.
int Spr_GridLineEntry(int flags, int vertical);
// Grid and box lines along the left and top edge of the zoom buffer.
void Spr_DrawGridLines(int zoom, int flags);
void Spr_DrawGridZoom1(int flags);
void Spr_DrawGridZoom2(int flags);
void Spr_DrawGridZoom4(int flags);


// ---------------------------------------------------------------- composition
// The code of a cell as the compositor draws it (bit 14 stripped below
// 0x8000); out of the grid: the empty cell.
u32 Spr_CellCode(i32 x, i32 y, i32 level);
// Draws the placements of a cell's picture in one layer; dx, dy the window
// position in the frame of the picture's cell (zoom-1 pixels); with them
// the record's chimney smoke (layer 2) and clock (its layer). state: the
// element state (Map_PieceStateAt). A symbol code shows the part of a
// placed multi-cell symbol, else its picture by cell parity. Returns the
// number of placements drawn.
int Spr_DrawCellLayer(u32 code, i32 state, i32 variant, int zoom, i32 level, i32 y, i32 x, int symbolsHidden,
                      int layer, int dy, int dx);
// 1 when the cell holds a platform with a clock whose platform goes on in
// the cell above: a platform shows one departure board with its clock
// (the picture's second placement), where it begins.
int Spr_PlatformContinues(u32 code, i32 x, i32 y, i32 level);
// Ground and lower layers of an ordinary cell; 0 or a portal direction bit.
int Spr_ComposeCell(int zoom, i32 level, i32 y, i32 x, int symbolsHidden);
// Completes a cell whose ground step returned a portal bit.
void Spr_CompletePortal(int bit, int zoom, i32 level, i32 y, i32 x, int symbolsHidden);
// The layers of the neighbours and the vehicles reaching up from below, in
// the column order, after the ground step of the cell.
void Spr_ComposeLayers(int zoom, i32 level, i32 y, i32 x, int symbolsHidden);
// Seed of a cell's smoke: the same cell always smokes alike.
i32 Spr_CellSeed(i32 x, i32 y);
// Overlay flags of a cell on a level: SPR_OVL_INFO when info point marks
// are on and an info point is there, SPR_OVL_LOG1 (SPR_OVL_LOG2 for a point
// switched off) when log point marks are on and a log point is there.
int Spr_OverlayFlags(i32 x, i32 y, i32 level);
// The info and log point marks of the overlay flags (pictures 0xC003..
// 0xC005, layer 3) over the zoom buffer; with both, the log mark 8 pixels
// higher and the info mark 8 lower.
void Spr_DrawOverlayMarks(int flags, int zoom);
// Background picture under the cell.
void Spr_DrawCellBackground(i32 x, i32 y, int zoom);

// ---------------------------------------------------------------- shading
// Lighting mode of a view at its cursor level.
u32 Spr_LightingMode(i32 viewLevel, int overlayFlags);
// Shading of one colour by the mode (the lighting tag decides lamps and
// windows).
u32 Map_ShadeColour(u32 c, u32 mode);
// Shades and darkens n pixels from src into dst (may be the same).
void Spr_ShadeRun(const CellPixel* src, u32* dst, int n, u32 mode);
// Shades and darkens the zoom buffer in place for a view.
void Spr_ShadeBuffer(int zoom, i32 viewLevel, int overlayFlags);
// Darkening of bit-31 colours only (previews); markers become colours.
void Spr_ResolveMarkers(int zoom);
// A shadow keeps the hue of what it falls on: every channel goes to 5/8
// (a fixed subtraction per channel turned green ground teal and grey ground
// navy).
inline u32 Spr_Darken(u32 c) {
  u32 b = (c & 255) * 5 / 8, g = ((c >> 8) & 255) * 5 / 8, r = ((c >> 16) & 255) * 5 / 8;
  return r << 16 | g << 8 | b;
}

// ---------------------------------------------------------------- animated pictures
// round(256 sin(6 i)) for i = 0..15.
int Spr_ClockSine(int i);
// End point of a clock hand of angle index 0..59 (0 at twelve, clockwise)
// for a radius; dx to the right, dy upward; flags bits 4 and 5 slant it.
void Spr_ClockHand(int angle, int radius, int flags, int* dx, int* dy);
// Digital clock text "HH:MM" or "HH:MM:SS" (flag bit 3), hour mod 12 unless
// flag bit 1; out: room for 9.
void Spr_ClockText(int hour, int minute, int second, int flags, char* out);
// Draws a clock at the simulated time (operation/clock) into the zoom
// buffer: box (x, y bottom-left, size) in buffer pixels, flags, two hand
// colours.
void Spr_DrawClock(int zoom, int x, int y, int size, int flags, u32 colourA, u32 colourB);
// Chimney smoke over a source at buffer position (x0, y0 from the bottom).
void Spr_DrawSmoke(int zoom, int x0, int y0, int width, int light, i32 seed);
// A train cell: ground from the saved code, the vehicle parts, and a portal
// drawn again over them.
void Spr_ComposeTrainCell(int zoom, i32 level, i32 y, i32 x, int symbolsHidden, const struct TrnCellImage* img);

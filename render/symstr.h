// Symbol strings: zero-ended sequences of u16 codes that mix glyphs of the
// built-in 8 x 16 symbol font with inline marker sequences, used by dialogs,
// lists and the status strip. This module walks them, measures them in
// character cells of 8 pixels and draws them into a u32 pixel buffer.
//
// Codes and the units they take (the code itself included):
//   0        end
//   1        4 units (u32 graphic code first)    cell picture, 4 cells
//   2, 6     opening: 4 or 6 units, closing: 1   toggles the highlight, 0 cells
//   3        4 units (u32 vehicle id first)      vehicle both ways, 17 cells
//   4        1 unit                              empty cell picture, 4 cells
//   5        5 units (code, variant, reserved)   cell picture, 4 cells
//   other    1 unit                              one glyph, 1 cell
//
// The portable form draws into a buffer given as an argument (SchBuf of
// render/schem.h, row 0 on top) where the Windows program draws into a
// device context. Glyphs 0..32 come from pictures 88..120 of the base
// strip of the graphics store; glyphs above 32 (which the Windows program
// draws as text) cover their cell with the background here. Cell pictures
// and vehicles are drawn by the preview drawers (render/preview.h) at scale
// 1: items 1 and 4 one cell picture, item 5 a picture standing on the row
// and rising above it by its height, item 3 the vehicle's first two cells
// facing left, a blank glyph and the same facing right. While a string is
// drawn the second ground colours (FwH2O, FwBus) are on.
//
// Promises: nothing is written outside the buffer nor at or right of
// x + width when width >= 0; a string of 0 cells draws nothing; the
// display options are as before when a string is drawn.
#pragma once
#include "platform/types.h"
#include "render/schem.h"

enum {
  SYM_CELL = 8,                      // pixels per character cell
  SYM_HEIGHT = 16,                   // pixels per glyph row
  SYM_GLYPH_PICTURE = 88,            // strip picture of glyph 0
  SYM_GLYPHS = 33,                   // glyphs 0..32 come from the strip
  SYM_BLANK = 32                     // the blank glyph
};
const u32 SYM_TRANSPARENT = 0x80000001u;  // background marker: glyph ink only

// One glyph cell at x, y: code 32 fills the cell with the background, codes
// 0..31 set the ink pixels in the text colour and the rest to the
// background, a transparent background leaves the rest alone. Nothing
// before the strip is loaded.
void Map_DrawGlyph(SchBuf* buf, i32 x, i32 y, u32 background, u32 textColour, u32 code);

// Draws the string into `cells` character cells at x, y. Items are drawn
// while at least one cell remains (the last one may overrun), then the
// cells left are padded with blank glyphs. Positions are spread over
// max(8 * cells, width) pixels; width also clips (-1: no clip). Returns 0,
// or minus the number of cells by which the last item overran.
i32 Map_DrawSymbolString(SchBuf* buf, i32 x, i32 y, i32 width, i32 cells, u32 background, u32 highlightColour,
                         u32 textColour, const wch* string);

// Walks the string's items in order: fn gets each item's code, the cell it
// starts at, the cells it takes and whether the highlight is open, so that
// a device-context drawer can write the glyphs above 32 as text over the
// buffer form.
typedef void (*MapSymbolItemFn)(void* context, u32 code, i32 cell, i32 cells, int highlight);
void Map_WalkSymbolString(const wch* string, MapSymbolItemFn fn, void* context);

// Width in pixels (8 per cell); *outUnits, when given, the number of u16
// units including the end code. A null string measures 0 and 0 units.
i32 Map_MeasureSymbolString(const wch* string, i32* outUnits);

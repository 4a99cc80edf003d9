#include "render/symstr.h"

#include "render/compose.h"
#include "render/gfx.h"
#include "render/pal.h"
#include "render/preview.h"
#include "render/vehicles.h"

namespace {

// One item of a string: the units it takes and the cells it covers. The
// highlight markers take their parameters only when they open a section,
// so the walk has to carry the open state along.
struct SymItem {
  u32 code;
  i32 units, cells;
};

SymItem ReadItem(const wch* s, int* highlightOpen) {
  SymItem it = {u32(s[0]), 1, 0};
  switch (it.code) {
    case 0: break;
    case 1: it.units = 4; it.cells = 4; break;
    case 2:
    case 6:
      if (!*highlightOpen) it.units = it.code == 2 ? 4 : 6;
      *highlightOpen = !*highlightOpen;
      break;
    case 3: it.units = 4; it.cells = 17; break;
    case 4: it.cells = 4; break;
    case 5: it.units = 5; it.cells = 4; break;
    default: it.cells = 1; break;
  }
  return it;
}

// The target area: the buffer, cut at the clip edge when one is given.
struct SymClip {
  SchBuf* buf;
  i32 right;  // first column not written
};

void PutPixel(const SymClip* c, i32 x, i32 y, u32 colour) {
  if (x < 0 || y < 0 || x >= c->right || y >= c->buf->height) return;
  c->buf->pixels[i64(y) * c->buf->width + x] = colour;
}

// A glyph pixel carries the glyph mask where a blank one carries colour
// code 0; the strip keeps colours, so the blank colour tells them apart.
void DrawGlyphClipped(const SymClip* c, i32 x, i32 y, u32 background, u32 textColour, u32 code) {
  const u32* pic = Gfx_BasePicture(SYM_GLYPH_PICTURE + SYM_BLANK);
  if (!pic) return;  // strip not loaded
  int transparent = background == SYM_TRANSPARENT;
  if (code >= SYM_BLANK) {
    // Above 32 the Windows program writes text in the symbol font; the
    // portable form keeps only the cell.
    if (transparent) return;
    for (i32 r = 0; r < SYM_HEIGHT; ++r)
      for (i32 k = 0; k < SYM_CELL; ++k) PutPixel(c, x + k, y + r, background);
    return;
  }
  pic = Gfx_BasePicture(SYM_GLYPH_PICTURE + i32(code));
  u32 blank = Pal_ColourCodeToBgr(0);
  for (i32 r = 0; r < SYM_HEIGHT; ++r)
    for (i32 k = 0; k < SYM_CELL; ++k) {
      int ink = pic[r * GFX_STRIP_ROW + k] != blank;
      if (ink)
        PutPixel(c, x + k, y + r, textColour);
      else if (!transparent)
        PutPixel(c, x + k, y + r, background);
    }
}

// Pictures and vehicles are drawn whole into a scratch buffer and copied
// from there, so that they keep to the clip edge like the glyphs do.
const i32 kScratchWidth = 64, kScratchHeight = 8 * 16;
struct SymScratch {
  u32 pixels[kScratchWidth * kScratchHeight];
  SchBuf buf;
};
SchBuf* ScratchOf(SymScratch* s, i32 w, i32 h) {
  s->buf = SchBuf{s->pixels, w, h};
  for (i32 i = 0; i < w * h; ++i) s->pixels[i] = 0;
  return &s->buf;
}
void CopyScratch(const SymClip* c, const SymScratch* s, i32 x, i32 y) {
  for (i32 r = 0; r < s->buf.height; ++r)
    for (i32 k = 0; k < s->buf.width; ++k) PutPixel(c, x + k, y + r, s->pixels[r * s->buf.width + k]);
}

u32 Param32(const wch* s) { return u32(s[1]) | u32(s[2]) << 16; }

// Cell picture of item 1: the cell of the code at scale 1.
void DrawCellItem(const SymClip* c, i32 x, i32 y, const wch* s) {
  SymScratch sc;
  Map_DrawCellPreview(ScratchOf(&sc, 32, SYM_HEIGHT), 0, 0, MAP_TARGET_PREVIEW1, Param32(s), 0, 0);
  CopyScratch(c, &sc, x, y);
}

// Item 4: the empty cell.
void DrawEmptyItem(const SymClip* c, i32 x, i32 y) {
  SymScratch sc;
  Map_DrawCellPreview(ScratchOf(&sc, 32, SYM_HEIGHT), 0, 0, MAP_TARGET_PREVIEW1, CELL_EMPTY, 1, 0);
  CopyScratch(c, &sc, x, y);
}

// Item 5: the picture with its variant, standing on the string's row and
// rising above it by its height (an overhang reaches one row below).
void DrawPieceItem(const SymClip* c, i32 x, i32 y, const wch* s) {
  u32 code = Param32(s);
  i32 variant = i32(s[3]);
  i32 h = Map_PieceImageHeight(code, variant);
  int overhang = h < 0;
  if (overhang) h = -16 - h;
  i32 rows = h / 16;
  if (rows < 1) rows = 1;
  if (rows > kScratchHeight / 16 - 1) rows = kScratchHeight / 16 - 1;
  i32 up = (rows - 1) * 16;
  SymScratch sc;
  Map_DrawPieceImage(ScratchOf(&sc, 32, up + 16 + (overhang ? 16 : 0)), 0, up, 0, 0, variant, code);
  CopyScratch(c, &sc, x, y - up);
}

// Item 3: the vehicle facing left in two cells, a blank glyph, the vehicle
// facing right in two cells; a longer vehicle shows its first two cells
// both ways.
// xLeft, xBlank, xRight: where the three parts go (spread like any item).
void DrawVehicleItem(const SymClip* c, i32 xLeft, i32 xBlank, i32 xRight, i32 y, const wch* s, u32 background,
                     u32 textColour) {
  VehicleId id = Param32(s);
  i32 pieces = i32((Gfx_GetVehicleLength(id) + 31) / 32);
  SymScratch sc;
  Map_DrawVehicleImage(ScratchOf(&sc, 64, SYM_HEIGHT), pieces > 2 ? 64 - 32 * pieces : 0, 0, MAP_VEH_LEFT, id, 1, 2);
  CopyScratch(c, &sc, xLeft, y);
  DrawGlyphClipped(c, xBlank, y, background, textColour, SYM_BLANK);
  Map_DrawVehicleImage(ScratchOf(&sc, 64, SYM_HEIGHT), 0, 0, MAP_VEH_RIGHT, id, 1, 2);
  CopyScratch(c, &sc, xRight, y);
}

int ClipOf(SchBuf* buf, i32 x, i32 width, SymClip* out) {
  if (!buf || !buf->pixels || buf->width <= 0 || buf->height <= 0) return 0;
  out->buf = buf;
  out->right = buf->width;
  if (width >= 0 && i64(x) + width < out->right) out->right = i32(i64(x) + width);
  return 1;
}

}  // namespace

void Map_DrawGlyph(SchBuf* buf, i32 x, i32 y, u32 background, u32 textColour, u32 code) {
  SymClip c;
  if (!ClipOf(buf, x, -1, &c)) return;
  DrawGlyphClipped(&c, x, y, background, textColour, code);
}

void Map_WalkSymbolString(const wch* string, MapSymbolItemFn fn, void* context) {
  int open = 0;
  i32 cell = 0;
  for (const wch* s = string; s && *s;) {
    SymItem it = ReadItem(s, &open);
    fn(context, it.code, cell, it.cells, open);
    cell += it.cells;
    s += it.units;
  }
}

i32 Map_DrawSymbolString(SchBuf* buf, i32 x, i32 y, i32 width, i32 cells, u32 background, u32 highlightColour,
                         u32 textColour, const wch* string) {
  // With no cell there is nothing to spread over and nothing to pad: the
  // scale below would divide by zero and the padding count go negative.
  if (cells <= 0) return 0;
  SymClip c;
  if (!ClipOf(buf, x, width, &c)) return 0;
  i64 natural = i64(cells) * SYM_CELL;
  i64 span = width > natural ? i64(width) : natural;
  auto at = [&](i64 p) { return i32(i64(x) + p * span / natural); };

  // Every second colour of the ground shows in the pictures of a string.
  int fwH2O = g_sprOptions.fwH2O, fwBus = g_sprOptions.fwBus;
  g_sprOptions.fwH2O = 1;
  g_sprOptions.fwBus = 1;

  i32 left = cells;
  i64 p = 0;  // unscaled pixel position
  int open = 0;
  const wch* s = string;
  while (s && *s && left > 0) {
    SymItem it = ReadItem(s, &open);
    u32 colour = open ? highlightColour : textColour;
    i32 px = at(p);
    switch (it.code) {
      case 1: DrawCellItem(&c, px, y, s); break;
      case 3: DrawVehicleItem(&c, px, at(p + 64), at(p + 72), y, s, background, colour); break;
      case 4: DrawEmptyItem(&c, px, y); break;
      case 5: DrawPieceItem(&c, px, y, s); break;
      default:
        if (it.cells == 1) DrawGlyphClipped(&c, px, y, background, colour, it.code);
        break;
    }
    p += i64(it.cells) * SYM_CELL;
    left -= it.cells;
    s += it.units;
  }
  g_sprOptions.fwH2O = fwH2O;
  g_sprOptions.fwBus = fwBus;
  if (left < 0) return left;
  for (; left > 0; --left, p += SYM_CELL) DrawGlyphClipped(&c, at(p), y, background, textColour, SYM_BLANK);
  return 0;
}

i32 Map_MeasureSymbolString(const wch* string, i32* outUnits) {
  i64 cells = 0, units = 0;
  int open = 0;
  if (string) {
    const wch* s = string;
    while (*s) {
      SymItem it = ReadItem(s, &open);
      cells += it.cells;
      units += it.units;
      s += it.units;
    }
    units += 1;
  }
  if (outUnits) *outUnits = i32(units);
  return i32(cells * SYM_CELL);
}

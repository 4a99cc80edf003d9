#include "render/symstr.h"

#include "render/gfx.h"
#include "render/pal.h"

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

  i32 left = cells;
  i64 p = 0;  // unscaled pixel position
  int open = 0;
  const wch* s = string;
  while (s && *s && left > 0) {
    SymItem it = ReadItem(s, &open);
    u32 colour = open ? highlightColour : textColour;
    if (it.cells == 1) {
      DrawGlyphClipped(&c, at(p), y, background, colour, it.code);
    } else {
      // Pictures and vehicles keep their cells covered.
      for (i32 k = 0; k < it.cells; ++k) DrawGlyphClipped(&c, at(p + k * SYM_CELL), y, background, colour, SYM_BLANK);
    }
    p += i64(it.cells) * SYM_CELL;
    left -= it.cells;
    s += it.units;
  }
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

#include "render/overlay.h"

#include <vector>

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "platform/heap.h"
#include "platform/str.h"
#include "render/compose.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "render/map.h"
#include "render/objtext.h"
#include "render/pal.h"
#include "render/schem.h"

// The train code gives no label colours yet (its label query answers with
// the text and the offsets only); every label takes the colours of a train
// in service (PAL_TRAIN_LABEL_TEXT and PAL_TRAIN_LABEL_BOX).
// Train label flags of the train-text mask, object-text mask bits.
enum : u32 {
  TRAIN_TEXT_ANY = 3,
  TRAIN_TEXT_NO_BOX = 4,
  TRAIN_TEXT_PICTURE = 8,
  TRAIN_TEXT_SCHEMATIC = 16,
  OBJECT_TEXT_ANY = 63,
  OBJECT_TEXT_PICTURE = 64,
  OBJECT_TEXT_SCHEMATIC = 128,
  OBJECT_TEXT_NO_BOX = 0x8000
};
enum { LABEL_TEXT_MAX = 40, CURSOR_ARM = 5 };

// ---------------------------------------------------------------- decisions

int Map_OverlayPasses(int mode, int textsShown, u32 objectMask, u32 trainMask, int pause) {
  int passes = MAP_PASS_CURSOR;
  if (pause) return passes;
  const int picture = mode == MAP_MODE_PICTURE, schematic = mode == MAP_MODE_SCHEMATIC;
  if (picture && textsShown) passes |= MAP_PASS_TEXTS;
  if ((objectMask & OBJECT_TEXT_ANY) &&
      ((picture && (objectMask & OBJECT_TEXT_PICTURE)) || (schematic && objectMask >= OBJECT_TEXT_SCHEMATIC)))
    passes |= MAP_PASS_OBJECTS;
  if ((trainMask & TRAIN_TEXT_ANY) &&
      ((picture && (trainMask & TRAIN_TEXT_PICTURE)) || (schematic && (trainMask & TRAIN_TEXT_SCHEMATIC))))
    passes |= MAP_PASS_TRAINS;
  return passes;
}

MapCellRange Map_OverlayCellRange(i32 originX, i32 originY, i32 pixOffX, i32 pixOffY, i32 visWidth, i32 visHeight) {
  auto first = [](i32 origin, i32 offset) { return (offset > 0 && origin > 0) ? origin - 1 : origin; };
  auto last = [](i32 origin, i32 cells) {
    const i64 end = i64(origin) + cells;
    return end < 32767 ? i32(end) : 32767;
  };
  return MapCellRange{first(originX, pixOffX), first(originY, pixOffY), last(originX, visWidth),
                      last(originY, visHeight)};
}

u32 Map_GridTextShading(i32 viewLevel, i32 startLevel) {
  u32 shading = Spr_LightingMode(viewLevel, 0);
  if (startLevel < viewLevel) shading |= DAYLIGHT_LAMPS | DAYLIGHT_WINDOWS_0;
  return shading;
}

u32 Map_ShadeRgb(u32 colour, u32 flags) {
  return Asm_SwapRedBlue(Map_ShadeColour(Asm_SwapRedBlue(colour), flags)) & 0xFFFFFFu;
}

int Map_LabelLength(int textLength, i32 setting) {
  return (setting >= 1 && setting <= 33 && textLength > setting) ? int(setting) : textLength;
}

MapLabelBox Map_LabelBoxAt(i32 x, i32 y, i32 textWidth, i32 textHeight) {
  const i32 w = textWidth > textHeight ? textWidth : textHeight;
  MapLabelBox b;
  b.left = x - (w - 1) / 2;
  b.top = y;
  b.right = b.left + w + 1;
  b.bottom = b.top + textHeight - 1;
  return b;
}

// ---------------------------------------------------------------- drawing

// A grid text glyph (character below 32) with its top-left corner at x, y,
// one character cell of 8 x 16 pixels times the scale. The compositor draws
// it into a pixel buffer; its set pixels go to the device context.
static void DrawGridGlyph(void* dc, i32 x, i32 y, int scale, u32 colour, wch character) {
  const i32 w = 8 * scale, h = 16 * scale;
  std::vector<u32> pixels(size_t(w) * size_t(h), 0);
  SchBuf glyph = {pixels.data(), w, h};
  if (Spr_DrawGridGlyph(&glyph, 0, 0, scale, 1, character) == 0) return;
  for (i32 r = 0; r < h; ++r)
    for (i32 c = 0; c < w; ++c)
      if (pixels[size_t(r) * size_t(w) + size_t(c)]) Map_OverlaySetPixel(dc, x + c, y + r, colour);
}

void Map_DrawGridTextCell(void* dc, int scale, i32 px, i32 py, u32 shading, const MapTextCell* cell) {
  if (!dc || !cell) return;
  const u32 text = Map_ShadeRgb(cell->textColour == SPR_NO_COLOUR ? Pal_GetColour(PAL_GRID_TEXT) : cell->textColour,
                                shading);
  if (cell->background != SPR_NO_COLOUR)
    Map_OverlayFillRect(dc, px, py, px + 32 * scale - 1, py + 16 * scale - 1, Map_ShadeRgb(cell->background, shading));
  const FontHandle font = Font_GetMapTextFontByScale(scale);
  for (int i = 0; i < 4; ++i) {
    const wch c = cell->chars[i];
    const i32 cx = px + 4 * scale + 8 * scale * i;
    if (c > 32)
      Map_OverlayDrawText(dc, cx, py, font, text, &cell->chars[i], 1);
    else if (c < 32)
      DrawGridGlyph(dc, cx - 4 * scale, py, scale, text, c);
  }
}

void Map_DrawLabel(void* dc, i32 x, i32 y, const wch* text, int n, int textColour, int boxColour, int boxOff) {
  if (!dc || !text) return;
  const FontHandle font = Font_GetMapLabelFont();
  i32 tw = 0, th = 0;
  Map_OverlayMeasureText(dc, font, text, n, &tw, &th);
  const MapLabelBox b = Map_LabelBoxAt(x, y, tw, th);
  if (!boxOff) Map_OverlayDrawBox(dc, b.left - 1, b.top, b.right + 1, b.bottom + 1, Pal_GetColour(boxColour));
  Map_OverlayDrawText(dc, x + 2, b.top, font, Pal_GetColour(textColour), text, n);
}

// ---------------------------------------------------------------- passes

// The view of a text pass: open, with a memory device context.
static MapView* PassView(int v) {
  if (v < 0 || v >= MAP_VIEWS) return nullptr;
  MapView* w = &g_mapViews[v];
  return (w->window && w->memDC) ? w : nullptr;
}

// Visits the cells of the view's range row by row with their start level
// and pixel position.
template <typename Visit>
static void ForEachCell(int v, const MapView& w, Visit visit) {
  const MapCellRange r = Map_OverlayCellRange(w.originX, w.originY, w.pixOffX, w.pixOffY, w.visWidth, w.visHeight);
  for (i32 y = r.y1; y <= r.y2; ++y)
    for (i32 x = r.x1; x <= r.x2; ++x) {
      i32 px = x, py = y;
      Map_CellToPixel(v, &px, &py);
      visit(x, y, Map_StartLevel(x, y, w.level), px, py);
    }
}

// The grid text of a cell. The texts store of the layout does not exist
// yet, so no cell holds a text.
static int GridTextAt(i32 x, i32 y, i32 level, MapTextCell* out) {
  (void)x, (void)y, (void)level, (void)out;
  return 0;
}

void Map_PaintGridTexts(int v) {
  MapView* w = PassView(v);
  if (!w) return;
  const int scale = w->scale;
  ForEachCell(v, *w, [&](i32 x, i32 y, i32 start, i32 px, i32 py) {
    MapTextCell cell;
    if (GridTextAt(x, y, start, &cell))
      Map_DrawGridTextCell(w->memDC, scale, px, py, Map_GridTextShading(w->level, start), &cell);
  });
}

// A label's offset from the cell's pixel: picture views scale the item's
// own offsets, the other views put it at the middle of the cell's top.
static void LabelOffset(const MapView& w, i32 ox, i32 oy, i32* dx, i32* dy) {
  if (w.mode == MAP_MODE_PICTURE) {
    *dx = ox * w.scale;
    *dy = oy * w.scale;
  } else {
    *dx = 8 / (w.scale < 1 ? 1 : w.scale);
    *dy = 0;
  }
}

void Map_PaintTrainLabels(int v) {
  MapView* w = PassView(v);
  if (!w) return;
  u32 mask = 0;
  i32 length = 0;
  Disp_GetTrainTextMode(&mask, &length);
  ForEachCell(v, *w, [&](i32 x, i32 y, i32 start, i32 px, i32 py) {
    // Only a cell holding a train marker can hold a train's head.
    const u32 code = Grid_GetCell(x, y, start);
    if (!Cell_IsTrainMarker(code)) return;
    wch text[LABEL_TEXT_MAX] = {};
    i32 ox = 0, oy = 0;
    if (!Trn_LabelAtCell(x, y, start, text, &ox, &oy, u16(code)) || ox == -10000) return;
    int n = 0;
    while (n < LABEL_TEXT_MAX - 1 && text[n]) ++n;
    i32 dx = 0, dy = 0;
    LabelOffset(*w, ox, oy, &dx, &dy);
    Map_DrawLabel(w->memDC, px + dx, py + dy, text, Map_LabelLength(n, length), PAL_TRAIN_LABEL_TEXT,
                  PAL_TRAIN_LABEL_BOX, (mask & TRAIN_TEXT_NO_BOX) != 0);
  });
}

void Map_PaintObjectInfo(int v) {
  MapView* w = PassView(v);
  if (!w) return;
  u32 mask = 0;
  i32 length = 0;
  Disp_GetObjectTextMode(&mask, &length);
  ForEachCell(v, *w, [&](i32 x, i32 y, i32 start, i32 px, i32 py) {
    SprObjectText info;
    if (!Spr_CellObjectTextFor(x, y, start, mask, &info)) return;
    int n = 0;
    while (n < SPR_OBJECT_TEXT_MAX && info.text[n]) ++n;
    i32 dx = 0, dy = 0;
    // The item's x offset is the middle of the cell, 16 at scale 1.
    LabelOffset(*w, 16, info.columnOffset, &dx, &dy);
    Map_DrawLabel(w->memDC, px + dx, py + dy, info.text, Map_LabelLength(n, length), info.textColour,
                  info.boxColour, (mask & OBJECT_TEXT_NO_BOX) != 0);
  });
}

int Map_PaintCursorMark(int v) {
  if (v != Map_ActiveView()) return MAP_CURSOR_NOT_ACTIVE;
  if (Trn_GetFollowed() && v == Map_FollowedView()) return MAP_CURSOR_FOLLOWED;
  if (v < 0 || v >= MAP_VIEWS) return MAP_CURSOR_BAD_VIEW;
  const MapView& w = g_mapViews[v];
  if (!w.window) return MAP_CURSOR_NO_WINDOW;
  if (!w.ready) return MAP_CURSOR_NOT_READY;
  if (w.cursorX == -1 || w.cursorY == -1) return MAP_CURSOR_NONE;
  if (!w.memDC) return MAP_CURSOR_NO_DC;
  const i32 s = w.scale < 1 ? 1 : w.scale;
  if (w.mode == MAP_MODE_OVERVIEW) {
    // A cross, each arm CURSOR_ARM pixels, that stays inside the grid.
    const i32 cx = (w.cursorX - w.originX) / s, cy = (w.cursorY - w.originY) / s;
    const i32 lastX = (32767 - w.originX) / s, lastY = (32767 - w.originY) / s;
    auto lo = [](i32 c) { return c - CURSOR_ARM < 0 ? 0 : c - CURSOR_ARM; };
    auto hi = [](i32 c, i32 last) { return c + CURSOR_ARM > last ? last : c + CURSOR_ARM; };
    const u32 colour = Pal_GetColour(PAL_OVERVIEW_CURSOR);
    if (lo(cx) <= hi(cx, lastX)) Map_OverlayLine(w.memDC, lo(cx), cy, hi(cx, lastX), cy, colour);
    if (lo(cy) <= hi(cy, lastY)) Map_OverlayLine(w.memDC, cx, lo(cy), cx, hi(cy, lastY), colour);
    return MAP_CURSOR_DRAWN;
  }
  i32 px = w.cursorX, py = w.cursorY;
  Map_CellToPixel(v, &px, &py);
  u32 colour = Pal_GetColour(PAL_CURSOR);
  i32 cw = 16 / s, ch = 16 / s;
  if (w.mode == MAP_MODE_PICTURE) {
    colour = Map_ShadeRgb(colour, Spr_LightingMode(w.level, 0));
    cw = 32 * s;
    ch = 16 * s;
  }
  Map_OverlayFrameRect(w.memDC, px, py, px + cw - 1, py + ch - 1, colour);
  return MAP_CURSOR_DRAWN;
}

void Map_PaintOverlays(int v) {
  if (v < 0 || v >= MAP_VIEWS || !g_mapViews[v].window) return;
  u32 objects = 0, trains = 0;
  Disp_GetObjectTextMode(&objects, nullptr);
  Disp_GetTrainTextMode(&trains, nullptr);
  const int passes =
      Map_OverlayPasses(g_mapViews[v].mode, Disp_GetOptTxte(), objects, trains, Disp_GetDisplayPause());
  if (passes & MAP_PASS_TEXTS) Map_PaintGridTexts(v);
  if (passes & MAP_PASS_OBJECTS) Map_PaintObjectInfo(v);
  if (passes & MAP_PASS_TRAINS) Map_PaintTrainLabels(v);
  Map_PaintCursorMark(v);
}

// ---------------------------------------------------------------- back buffer

// The view's back buffer, entered under its buffer lock; null (and no lock
// held) for a view outside 0..5 or without a buffer.
static MapView* EnterBuffer(int v, SchBuf* buf) {
  if (v < 0 || v >= MAP_VIEWS) return nullptr;
  MapView* w = &g_mapViews[v];
  if (!w->back) return nullptr;  // no buffer, and then no lock either
  Os_LockEnter(&w->lock);
  if (!w->back) {
    Os_LockLeave(&w->lock);
    return nullptr;
  }
  *buf = SchBuf{w->back, w->backWidth, w->backHeight};
  return w;
}

static void LeaveBuffer(MapView* w, int written) {
  if (written) w->dirty = 1;
  Os_LockLeave(&w->lock);
}

void Map_LockedSetPixel(int v, i32 x, i32 y, u32 pixel) {
  SchBuf b;
  MapView* w = EnterBuffer(v, &b);
  if (!w) return;
  const int inside = x >= 0 && y >= 0 && x < b.width && y < b.height;
  if (inside) Map_BufSetPixel(&b, x, y, pixel);
  LeaveBuffer(w, inside);
}

// Whether a stepped line at `at` across a..b writes a pixel of a buffer
// whose cross size is `across` and whose length is `along`.
static int LineWrites(i32 at, i32 across, i32 a, i32 b, int step, i32 along) {
  if (at < 0 || at >= across) return 0;
  i64 first, last;
  Map_StepRange(a, b, step, 0, along - 1, &first, &last);
  return first <= last;
}

void Map_LockedVLine(int v, i32 x, i32 y1, int step, u32 pixel, i32 y2) {
  SchBuf b;
  MapView* w = EnterBuffer(v, &b);
  if (!w) return;
  const int writes = LineWrites(x, b.width, y1, y2, step, b.height);
  if (writes) Map_BufVLine(&b, x, y1, step, pixel, y2);
  LeaveBuffer(w, writes);
}

void Map_LockedHLine(int v, i32 x1, i32 y, int step, u32 pixel, i32 x2) {
  SchBuf b;
  MapView* w = EnterBuffer(v, &b);
  if (!w) return;
  const int writes = LineWrites(y, b.height, x1, x2, step, b.width);
  if (writes) Map_BufHLine(&b, x1, y, step, pixel, x2);
  LeaveBuffer(w, writes);
}

void Map_LockedFillRect(int v, i32 x1, i32 y1, u32 pixel, i32 y2, i32 x2) {
  SchBuf b;
  MapView* w = EnterBuffer(v, &b);
  if (!w) return;
  Map_BufFillRect(&b, x1, y1, pixel, y2, x2);
  LeaveBuffer(w, 1);
}

// Clips the inclusive range lo..hi to 0..size - 1; 0 when nothing is left.
static int ClipRange(i32* lo, i32* hi, i32 size) {
  if (*lo < 0) *lo = 0;
  if (*hi > size - 1) *hi = size - 1;
  return *lo <= *hi;
}

void Map_LockedShiftBuffer(int v, i32 x1, i32 y1, i32 dy, i32 dx, i32 y2, i32 x2) {
  if (dx == 0 && dy == 0) return;
  SchBuf b;
  MapView* w = EnterBuffer(v, &b);
  if (!w) return;
  if (ClipRange(&x1, &x2, b.width) && ClipRange(&y1, &y2, b.height)) {
    const i64 cols = i64(x2) - x1 + 1, rows = i64(y2) - y1 + 1;
    const i64 ax = dx < 0 ? -i64(dx) : i64(dx), ay = dy < 0 ? -i64(dy) : i64(dy);
    // Within each row: the columns that stay inside move; the ones the move
    // uncovers keep their pixels.
    if (ax > 0 && ax < cols) {
      const i32 from = dx > 0 ? x1 : i32(x1 + ax), to = dx > 0 ? i32(x1 + ax) : x1;
      for (i32 y = y1; y <= y2; ++y) {
        u32* row = b.pixels + i64(y) * b.width;
        Mem_Move(row + to, row + from, i32(cols - ax) * 4);
      }
    }
    // Downward the rows are moved from the bottom up, upward from the top
    // down, so that no row is read after it was written.
    if (ay > 0 && ay < rows) {
      const i64 n = rows - ay;
      for (i64 k = 0; k < n; ++k) {
        const i64 to = dy > 0 ? y2 - k : y1 + k, from = dy > 0 ? to - ay : to + ay;
        Asm_CopyDwords(b.pixels + to * b.width + x1, b.pixels + from * b.width + x1, u32(cols));
      }
    }
  }
  LeaveBuffer(w, 0);
}

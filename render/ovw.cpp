#include "render/ovw.h"

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "render/compose.h"
#include "render/map.h"
#include "render/sprview.h"

int Ovw_CellColour(u32 code, int noDetail, int level0) {
  int bg = level0 ? 133 : 179;
  if (code >= TRN_MARKER_FIRST && code <= TRN_MARKER_LAST) return 99;
  if (code < 0x8000) {
    u32 c = code & ~0x4000u;
    return c < 4096 ? 97 : c < 6144 ? 98 : c < 8192 ? 90 : c < 12288 ? 92 : 95;
  }
  if (code >= 0xC000 && !noDetail && code != 0xC000) {
    static const struct {
      u32 below;
      int cls;
    } t[] = {{0xC100, 133}, {0xC600, 92}, {0xC800, 90}, {0xCB00, 91}, {0xCD00, 93},
             {0xD700, 94},  {0xD800, 95}, {0xD900, 91}, {65452, 96}};
    for (const auto& e : t)
      if (code < e.below) return e.cls == 133 ? bg : e.cls;
  }
  return bg;
}

int Ovw_Priority(int cls) {
  static const int order[] = {100, 99, 53, 51, 52, 98, 97, 90, 93, 94, 96, 91, 92, 95};
  for (int i = 0; i < 14; ++i)
    if (order[i] == cls) return 14 - i;
  return 0;
}

static i32 Mod(i32 a, i32 m) { return ((a % m) + m) % m; }

int Ovw_MarkAt(i32 x, i32 y, i32 level, int view) {
  const MapView& w = g_mapViews[view < 0 || view >= MAP_VIEWS ? 0 : view];
  int s = w.scale < 1 ? 1 : w.scale;
  const SprBox& b = g_sprBox;
  if (b.shown && w.level >= b.level1 && w.level <= b.level2 && level >= b.level1 && level <= b.level2) {
    i32 bx = x / s, by = y / s;
    i32 x1 = b.x1 / s, x2 = b.x2 / s, y1 = b.y1 / s, y2 = b.y2 / s;
    if (bx >= x1 && bx <= x2 && by >= y1 && by <= y2 && (bx == x1 || bx == x2 || by == y1 || by == y2)) return 53;
  }
  const SprGrid& g = g_sprGrid;
  if (g.on) {
    if (g.majorX >= 4 * s && Mod(x - g.originX, g.majorX) == 0) return 51;
    if (g.minorX >= 4 * s && Mod(x - g.originX, g.minorX) == 0) return 52;
    if (g.majorY >= 4 * s && Mod(y - g.originY, g.majorY) == 0) return 51;
    if (g.minorY >= 4 * s && Mod(y - g.originY, g.minorY) == 0) return 52;
  }
  return level < 0 ? 179 : 133;
}

static int IsBackground(int cls) { return cls == 133 || cls == 179; }

// Class and rank of every code, per (ground detail off, level 0): the
// block rule reads up to 4096 cells a pixel, so the class is a table look-up.
struct OvwClassTable {
  u8 cls[65536];
  u8 rank[65536];
  int ready;
};
static OvwClassTable g_ovwTables[2][2];

static const OvwClassTable& ClassTable(int noDetail, int level0) {
  OvwClassTable& t = g_ovwTables[noDetail ? 1 : 0][level0 ? 1 : 0];
  if (!t.ready) {
    for (u32 c = 0; c < 65536; ++c) {
      int cls = Ovw_CellColour(c, noDetail, level0);
      t.cls[c] = u8(cls);
      t.rank[c] = u8(Ovw_Priority(cls));
    }
    // See-through codes send the look-up down to the levels below.
    t.rank[SPR_SEE_THROUGH_1] = t.rank[SPR_SEE_THROUGH_2] = 255;
    t.ready = 1;
  }
  return t;
}

u32 Ovw_BlockColour(int v, i32 x, i32 y) {
  const MapView& w = g_mapViews[v];
  int s = w.scale < 1 ? 1 : w.scale;
  i32 level = w.level;
  i32 x0 = x / s * s, y0 = y / s * s;
  i32 x1 = x0 + s > 32768 ? 32768 : x0 + s, y1 = y0 + s > 32768 ? 32768 : y0 + s;
  int noDetail = !w.groundDetail;
  const OvwClassTable& own = ClassTable(noDetail, level == 0);
  int followed = Trn_GetFollowed() != nullptr;
  int best = level < 0 ? 179 : 133, rank = 0;
  for (i32 yy = y0; yy < y1 && best != 100; ++yy) {
    for (i32 xx = x0; xx < x1;) {
      const CellCode* p = Grid_CellPtr(xx, yy, level);
      i32 run = 64 - (xx & 63);
      if (run > x1 - xx) run = x1 - xx;
      if (!p) {
        xx += run;  // an empty block: background only
        continue;
      }
      for (i32 k = 0; k < run; ++k, ++xx) {
        u32 code = p[k];
        int r = own.rank[code], cls;
        if (r <= rank && !(followed && r == 13)) continue;  // 13: a train, maybe the followed one
        if (r == 255 && Spr_IsSeeThrough(code, level)) {
          i32 start = Map_StartLevel(xx, yy, level);
          code = Grid_GetCell(xx, yy, start);
          const OvwClassTable& t = ClassTable(noDetail, start == 0);
          cls = t.cls[code];
          r = t.rank[code];
          if (cls == 99 && followed && Trn_IsFollowedAtCell(xx, yy, start)) cls = 100, r = Ovw_Priority(100);
        } else {
          if (r == 255) r = 0;  // a see-through code on level -4
          cls = own.cls[code];
          if (cls == 99 && followed && Trn_IsFollowedAtCell(xx, yy, level)) cls = 100, r = Ovw_Priority(100);
        }
        if (r > rank || (followed && cls == 100)) {
          rank = r;
          best = cls;
          if (cls == 100) break;
        }
      }
      if (best == 100) break;
    }
  }
  if (IsBackground(best)) best = Ovw_MarkAt(x0, y0, level, v);
  return Spr_Palette(best);
}

// Writes one pixel of the view under its lock.
static void PutPixel(MapView& w, i32 px, i32 py, u32 c) {
  if (px < 0 || py < 0 || px >= w.backWidth || py >= w.backHeight) return;
  w.back[i64(py) * w.backWidth + px] = c;
}

void Ovw_DrawCell(int v, i32 x, i32 y, u32 code, i32 level) {
  (void)code;
  (void)level;
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  if (!w.window || !w.back) return;
  int s = w.scale < 1 ? 1 : w.scale;
  if (x < w.originX || y < w.originY || x >= w.originX + w.clientWidth * s || y >= w.originY + w.clientHeight * s)
    return;
  u32 c = Ovw_BlockColour(v, x, y);
  Os_LockEnter(&w.lock);
  PutPixel(w, (x - w.originX) / s, (y - w.originY) / s, c);
  w.dirty = 1;
  Os_LockLeave(&w.lock);
}

int Ovw_Paint(int v, i32 x1, i32 y1, i32 y2, i32 x2) {
  if (v < 0 || v >= MAP_VIEWS) return 0;
  MapView& w = g_mapViews[v];
  if (!w.window || !w.back) return 0;
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  if (x2 >= w.clientWidth) x2 = w.clientWidth - 1;
  if (y2 >= w.clientHeight) y2 = w.clientHeight - 1;
  if (x1 > x2 || y1 > y2) return 0;
  int s = w.scale < 1 ? 1 : w.scale;
  Os_LockEnter(&w.lock);
  for (i32 py = y1; py <= y2; ++py)
    for (i32 px = x1; px <= x2; ++px) {
      i32 x = w.originX + px * s, y = w.originY + py * s;
      u32 c = (x > 32767 || y > 32767) ? Spr_Palette(w.level < 0 ? 179 : 133) : Ovw_BlockColour(v, x, y);
      PutPixel(w, px, py, c);
    }
  w.dirty = 1;
  Os_LockLeave(&w.lock);
  return 0;
}

static void Scroll(int v, i32 dx, i32 dy) {
  MapView& w = g_mapViews[v];
  int s = w.scale < 1 ? 1 : w.scale;
  w.originX += dx * s;
  w.originY += dy * s;
  // The shift of the buffer is a repaint here; the cost is one view.
  Ovw_Paint(v, 0, 0, w.clientHeight - 1, w.clientWidth - 1);
}

static int ViewOk(int v, i32 n) { return v >= 0 && v < MAP_VIEWS && g_mapViews[v].window && n >= 1; }

void Ovw_ScrollRight(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  // The visible width in cells is W x scale; W alone would let the view
  // run past the grid's end.
  i32 lim = (32768 - w.clientWidth * w.scale - w.originX) / w.scale;
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, n, 0);
}
void Ovw_ScrollLeft(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  i32 lim = w.originX / w.scale;
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, -n, 0);
}
void Ovw_ScrollDown(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  i32 lim = (32768 - w.clientHeight * w.scale - w.originY) / w.scale;
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, 0, n);
}
void Ovw_ScrollUp(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  i32 lim = w.originY / w.scale;
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, 0, -n);
}

static i32 Centre(i32 c, i32 size, int s) {
  if (size >= 32768) return 0;
  i32 o = c - size / 2;
  if (o < 0) o = 0;
  if (o > 32768 - size) o = 32768 - size;
  return o / s * s;
}

void Ovw_SetCursorCentred(int v, i32* x, i32* y) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  int s = w.scale < 1 ? 1 : w.scale;
  *x = *x / s * s;
  *y = *y / s * s;
  w.cursorX = *x;
  w.cursorY = *y;
  w.originX = Centre(*x, w.clientWidth * s, s);
  w.originY = Centre(*y, w.clientHeight * s, s);
}

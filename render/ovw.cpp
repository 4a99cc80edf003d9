#include "render/ovw.h"

#include <cstring>

#include "model/cellcode.h"
#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "platform/heap.h"
#include "render/bgp.h"
#include "render/compose.h"
#include "render/cursor.h"
#include "render/map.h"
#include "render/pal.h"
#include "render/sprview.h"

OvwExportSettings g_ovwExport = {1, 0};

enum { GRID_END = 32768 };

int Ovw_CellColour(u32 code, int noDetail, int level0) {
  int bg = level0 ? PAL_OVERVIEW_GROUND : PAL_OVERVIEW_BELOW;
  if (Cell_IsTrainMarker(code)) return PAL_OVERVIEW_TRAIN;
  if (Cell_IsElement(code)) {
    const u32 c = Cell_Class(code);
    return c < 4 ? 97 : c < 6 ? 98 : c < 8 ? 90 : c < 12 ? 92 : 95;
  }
  if (code > CELL_EMPTY && !noDetail) {
    static const struct {
      u32 below;
      int cls;
    } t[] = {{0xC100, PAL_OVERVIEW_GROUND}, {0xC600, 92}, {0xC800, 90}, {0xCB00, 91}, {0xCD00, 93},
             {0xD700, 94},  {0xD800, 95}, {0xD900, 91}, {65452, 96}};
    for (const auto& e : t)
      if (code < e.below) return e.cls == PAL_OVERVIEW_GROUND ? bg : e.cls;
  }
  return bg;
}

int Ovw_Priority(int cls) {
  static const int order[] = {PAL_OVERVIEW_FOLLOWED, PAL_OVERVIEW_TRAIN, PAL_MARKED_BOX, PAL_GRID_MAJOR, PAL_GRID_MINOR,
                              98, 97, 90, 93, 94, 96, 91, 92, 95};
  for (int i = 0; i < 14; ++i)
    if (order[i] == cls) return 14 - i;
  return 0;
}

static i32 Mod(i32 a, i32 m) { return ((a % m) + m) % m; }
static int Scale(const MapView& w) { return w.scale < 1 ? 1 : w.scale; }
static int LevelBackground(i32 level) { return level < 0 ? PAL_OVERVIEW_BELOW : PAL_OVERVIEW_GROUND; }
static int IsBackground(int cls) { return cls == PAL_OVERVIEW_GROUND || cls == PAL_OVERVIEW_BELOW; }

// 1 when a line of the spacing (used from 4 x scale on) passes through the
// block of s cells starting at c.
static int LineInBlock(i32 c, i32 origin, i32 spacing, int s) {
  return spacing >= 4 * s && Mod(c - origin + s - 1, spacing) < s;
}

int Ovw_MarkAt(i32 x, i32 y, i32 level, int view) {
  const MapView& w = g_mapViews[view < 0 || view >= MAP_VIEWS ? 0 : view];
  int s = Scale(w);
  const SprBox& b = g_sprBox;
  if (b.shown && w.level >= b.level1 && w.level <= b.level2 && level >= b.level1 && level <= b.level2) {
    i32 bx = x / s, by = y / s;
    i32 x1 = b.x1 / s, x2 = b.x2 / s, y1 = b.y1 / s, y2 = b.y2 / s;
    if (bx >= x1 && bx <= x2 && by >= y1 && by <= y2 && (bx == x1 || bx == x2 || by == y1 || by == y2)) return 53;
  }
  // A line need not start a block when its spacing is no multiple of the
  // scale; the block that holds it shows it all the same.
  const SprGrid& g = g_sprGrid;
  if (g.on) {
    i32 x0 = x / s * s, y0 = y / s * s;
    if (LineInBlock(x0, g.originX, g.majorX, s) || LineInBlock(y0, g.originY, g.majorY, s)) return 51;
    if (LineInBlock(x0, g.originX, g.minorX, s) || LineInBlock(y0, g.originY, g.minorY, s)) return 52;
  }
  return LevelBackground(level);
}

u32 Ovw_BackgroundColour(i32 x, i32 y) {
  const BackgroundSettings& g = g_background;
  if (!g.pixels || g.mode == 0 || g.width < 1 || g.height < 1 || g.picWidth < 1 || g.picHeight < 1)
    return SPR_TRANSPARENT;
  if (x < g.x || y < g.y || x >= g.x + g.width || y >= g.y + g.height) return SPR_TRANSPARENT;
  i32 row = i32(i64(y - g.y) * g.picHeight / g.height);
  i32 col = i32(i64(x - g.x) * g.picWidth / g.width);
  return Bgp_GetPixel(col, row);
}

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
    t.rank[CELL_LOOK_DOWN_1] = t.rank[CELL_LOOK_DOWN_2] = 255;
    t.ready = 1;
  }
  return t;
}

// The track class under a train: what the train's cell held before it came.
static int TrackUnderTrain(i32 x, i32 y, i32 level, u32 marker) {
  const u32 g = Trn_GetCellGraphic(x, y, level, u16(marker));
  return Cell_IsElement(g) && Cell_Class(g) < 4 ? 97 : 98;
}

struct OvwBlockRule {
  i32 level;
  int noDetail;
  int followed;      // the followed train's cells count as 100
  int trainAsTrack;  // train cells count as the track under them
};

// The most important class of the cells x0 .. x0 + s - 1, y0 .. y0 + s - 1
// (cut at the grid's end); the background class of the level when nothing
// outranks it.
static int BlockClass(i32 x0, i32 y0, int s, const OvwBlockRule& r) {
  const i32 level = r.level;
  i32 xa = x0 < 0 ? 0 : x0, ya = y0 < 0 ? 0 : y0;
  i32 xe = x0 + s > GRID_END ? GRID_END : x0 + s, ye = y0 + s > GRID_END ? GRID_END : y0 + s;
  const OvwClassTable& own = ClassTable(r.noDetail, level == 0);
  const int trainRank = Ovw_Priority(PAL_OVERVIEW_TRAIN);
  int best = LevelBackground(level), rank = 0;
  for (i32 yy = ya; yy < ye && best != PAL_OVERVIEW_FOLLOWED; ++yy) {
    for (i32 xx = xa; xx < xe && best != PAL_OVERVIEW_FOLLOWED;) {
      const CellCode* p = Grid_CellPtr(xx, yy, level);
      i32 run = 64 - (xx & 63);
      if (run > xe - xx) run = xe - xx;
      if (!p) {
        xx += run;  // an empty block: background only
        continue;
      }
      // Most runs hold nothing that outranks the best so far: one branch-free
      // pass over the ranks decides whether the run needs a closer look.
      int top = 0;
      for (i32 k = 0; k < run; ++k) top = own.rank[p[k]] > top ? own.rank[p[k]] : top;
      if (top <= rank && !(r.followed && top == trainRank)) {
        xx += run;
        continue;
      }
      for (i32 k = 0; k < run; ++k, ++xx) {
        u32 code = p[k];
        int rk = own.rank[code];
        // A train may still be the followed one and outrank its equals.
        if (rk <= rank && !(r.followed && rk == trainRank)) continue;
        const OvwClassTable* t = &own;
        i32 at = level;
        if (rk == 255) {
          if (Spr_IsSeeThrough(code, level)) {
            at = Map_StartLevel(xx, yy, level);
            code = Grid_GetCell(xx, yy, at);
            t = &ClassTable(r.noDetail, at == 0);
            rk = t->rank[code];
          } else {
            rk = 0;  // a see-through code on level -4
          }
        }
        int cls = t->cls[code];
        if (cls == PAL_OVERVIEW_TRAIN) {
          if (r.followed && Trn_IsFollowedAtCell(xx, yy, at)) {
            cls = PAL_OVERVIEW_FOLLOWED;
          } else if (r.trainAsTrack) {
            cls = TrackUnderTrain(xx, yy, at, code);
          }
          rk = Ovw_Priority(cls);
        }
        if (rk > rank) {
          rank = rk;
          best = cls;
          if (cls == PAL_OVERVIEW_FOLLOWED) break;
        }
      }
    }
  }
  return best;
}

// A class as a colour of view v: a background class gives way to the mark
// of the cell, then to the background picture, then to the background of
// the view's level (as the painter's first fill shows it).
static u32 ResolveColour(int cls, i32 x, i32 y, int v) {
  if (!IsBackground(cls)) return Spr_Palette(cls);
  int m = Ovw_MarkAt(x, y, g_mapViews[v].level, v);
  if (IsBackground(m)) {
    u32 pic = Ovw_BackgroundColour(x, y);
    if (pic != SPR_TRANSPARENT) return Asm_SwapRedBlue(pic) & 0xFFFFFF;
  }
  return Spr_Palette(m);
}

u32 Ovw_BlockColour(int v, i32 x, i32 y) {
  const MapView& w = g_mapViews[v];
  int s = Scale(w);
  i32 x0 = x / s * s, y0 = y / s * s;
  OvwBlockRule r = {w.level, !w.groundDetail, Trn_GetFollowed() != nullptr, 0};
  return ResolveColour(BlockClass(x0, y0, s, r), x0, y0, v);
}

// Writes one pixel of the view; the caller holds the lock.
static void PutPixel(MapView& w, i32 px, i32 py, u32 c) {
  if (px < 0 || py < 0 || px >= w.backWidth || py >= w.backHeight) return;
  w.back[i64(py) * w.backWidth + px] = c;
}

void Ovw_DrawCell(int v, i32 x, i32 y, u32 code, i32 level) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  if (!w.window || !w.back) return;
  int s = Scale(w);
  if (x < w.originX || y < w.originY || x >= w.originX + w.clientWidth * s || y >= w.originY + w.clientHeight * s)
    return;
  u32 c;
  if (s == 1) {
    int cls = Ovw_CellColour(code, !w.groundDetail, level == 0);
    if (cls == PAL_OVERVIEW_TRAIN && Trn_GetFollowed() && Trn_IsFollowedAtCell(x, y, level))
      cls = PAL_OVERVIEW_FOLLOWED;
    c = ResolveColour(cls, x, y, v);
  } else {
    c = Ovw_BlockColour(v, x, y);
  }
  Os_LockEnter(&w.lock);
  PutPixel(w, (x - w.originX) / s, (y - w.originY) / s, c);
  w.dirty = 1;
  Os_LockLeave(&w.lock);
}

// The highest rank in each pixel block of the pixel row whose cells start at
// y0, for the pixels x1..x2 of a view whose blocks start at base; read cell
// row by cell row, so the grid is walked in the order it is stored.
static void RowRanks(u8* ranks, i32 x1, i32 x2, i32 base, i32 y0, int s, i32 level, const OvwClassTable& t) {
  memset(ranks + x1, 0, size_t(x2 - x1 + 1));
  i32 xa = base + x1 * s, xe = base + (x2 + 1) * s;
  if (xa < 0) xa = 0;
  if (xe > GRID_END) xe = GRID_END;
  i32 ye = y0 + s > GRID_END ? GRID_END : y0 + s;
  for (i32 yy = y0 < 0 ? 0 : y0; yy < ye; ++yy) {
    i32 px = (xa - base) / s, sub = (xa - base) % s;
    for (i32 xx = xa; xx < xe;) {
      i32 run = 64 - (xx & 63);
      if (run > xe - xx) run = xe - xx;
      const CellCode* p = Grid_CellPtr(xx, yy, level);
      xx += run;
      if (!p) {  // an empty block adds nothing
        sub += run;
        px += sub / s;
        sub %= s;
        continue;
      }
      for (i32 k = 0; k < run;) {
        i32 n = s - sub < run - k ? s - sub : run - k;
        u8 m = ranks[px];
        for (i32 j = 0; j < n; ++j) m = t.rank[p[k + j]] > m ? t.rank[p[k + j]] : m;
        ranks[px] = m;
        k += n;
        sub += n;
        if (sub == s) sub = 0, ++px;
      }
    }
  }
}

int Ovw_Paint(int v, i32 x1, i32 y1, i32 y2, i32 x2) {
  if (v < 0 || v >= MAP_VIEWS) return 0;
  MapView& w = g_mapViews[v];
  if (!w.window || !w.back) return 0;
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  if (x2 >= w.clientWidth) x2 = w.clientWidth - 1;
  if (y2 >= w.clientHeight) y2 = w.clientHeight - 1;
  if (x2 >= GRID_END) x2 = GRID_END - 1;
  if (x1 > x2 || y1 > y2) return 0;
  const int s = Scale(w);
  const OvwBlockRule r = {w.level, !w.groundDetail, Trn_GetFollowed() != nullptr, 0};
  const OvwClassTable& t = ClassTable(r.noDetail, r.level == 0);
  const int trainRank = Ovw_Priority(PAL_OVERVIEW_TRAIN);
  // Every rank the table gives belongs to one class.
  int classOfRank[256];
  for (int& c : classOfRank) c = LevelBackground(r.level);
  for (int c = 0; c < 256; ++c)
    if (Ovw_Priority(c) > 0) classOfRank[Ovw_Priority(c)] = c;
  const u32 beyond = Spr_Palette(LevelBackground(w.level));
  // Blocks start at multiples of the scale, as the block rule has them.
  const i32 baseX = w.originX - Mod(w.originX, s), baseY = w.originY - Mod(w.originY, s);
  static u8 ranks[GRID_END];  // main thread only
  Os_LockEnter(&w.lock);
  for (i32 py = y1; py <= y2; ++py) {
    const i32 y = baseY + py * s;
    if (y >= GRID_END) {
      for (i32 px = x1; px <= x2; ++px) PutPixel(w, px, py, beyond);
      continue;
    }
    RowRanks(ranks, x1, x2, baseX, y, s, r.level, t);
    for (i32 px = x1; px <= x2; ++px) {
      const i32 x = baseX + px * s;
      const int rk = ranks[px];
      u32 c;
      if (x >= GRID_END) {
        c = beyond;
      } else if (rk == 255 || (r.followed && rk == trainRank)) {
        // See-through cells and a train that may be the followed one.
        c = ResolveColour(BlockClass(x, y, s, r), x, y, v);
      } else {
        c = ResolveColour(classOfRank[rk], x, y, v);
      }
      PutPixel(w, px, py, c);
    }
  }
  w.dirty = 1;
  Os_LockLeave(&w.lock);
  return 0;
}

void Ovw_RepaintRect(int v, i32 x1, i32 y1, i32 x2, i32 y2) {
  if (v < 0 || v >= MAP_VIEWS) return;
  int s = Scale(g_mapViews[v]);
  int wait = x2 - x1 + 1 > 50 / s && y2 - y1 + 1 > 50 / s;
  if (wait) Cur_SetState(CUR_WAIT_BEGIN);
  Ovw_Paint(v, x1, y1, y2, x2);
  if (wait) Cur_SetState(CUR_WAIT_END);
}

// Moves the back buffer's pixels by dx, dy; what leaves it is lost, what it
// uncovers keeps its old pixels for the caller to paint.
static void ShiftBuffer(MapView& w, i32 dx, i32 dy) {
  const i32 W = w.backWidth, H = w.backHeight;
  i32 cols = W - (dx < 0 ? -dx : dx), rows = H - (dy < 0 ? -dy : dy);
  if (cols <= 0 || rows <= 0) return;
  i32 to = dx > 0 ? dx : 0, from = dx < 0 ? -dx : 0;
  Os_LockEnter(&w.lock);
  // Rows are copied away from the side they move to, so none is read after
  // it was overwritten.
  for (i32 i = 0; i < rows; ++i) {
    i32 py = dy > 0 ? H - 1 - i : i;
    memmove(w.back + i64(py) * W + to, w.back + i64(py - dy) * W + from, size_t(cols) * sizeof(u32));
  }
  w.dirty = 1;
  Os_LockLeave(&w.lock);
}

// Moves the origin by dx, dy pixels: the buffer keeps what stays visible
// and only the uncovered strips are painted.
static void Scroll(int v, i32 dx, i32 dy) {
  MapView& w = g_mapViews[v];
  int s = Scale(w);
  w.originX += dx * s;
  w.originY += dy * s;
  const i32 W = w.clientWidth, H = w.clientHeight;
  if (w.backWidth != W || w.backHeight != H || dx >= W || -dx >= W || dy >= H || -dy >= H) {
    Ovw_Paint(v, 0, 0, H - 1, W - 1);
  } else {
    ShiftBuffer(w, -dx, -dy);
    if (dx > 0) Ovw_Paint(v, W - dx, 0, H - 1, W - 1);
    if (dx < 0) Ovw_Paint(v, 0, 0, H - 1, -dx - 1);
    if (dy > 0) Ovw_Paint(v, 0, H - dy, H - 1, W - 1);
    if (dy < 0) Ovw_Paint(v, 0, 0, -dy - 1, W - 1);
  }
  Map_PlatformInvalidate(w.window);
}

static int ViewOk(int v, i32 n) { return v >= 0 && v < MAP_VIEWS && g_mapViews[v].window && n >= 1; }

// The limits keep origin + size in cells (W x scale) inside the grid: with
// W alone the view would run past the grid's end at every scale above 1.
void Ovw_ScrollRight(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  i32 lim = (GRID_END - w.clientWidth * Scale(w) - w.originX) / Scale(w);
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, n, 0);
}
void Ovw_ScrollLeft(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  i32 lim = w.originX / Scale(w);
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, -n, 0);
}
void Ovw_ScrollDown(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  i32 lim = (GRID_END - w.clientHeight * Scale(w) - w.originY) / Scale(w);
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, 0, n);
}
void Ovw_ScrollUp(int v, i32 n) {
  if (!ViewOk(v, n)) return;
  MapView& w = g_mapViews[v];
  i32 lim = w.originY / Scale(w);
  if (n > lim) n = lim;
  if (n >= 1) Scroll(v, 0, -n);
}

// ---------------------------------------------------------------- cursor

// The cursor's new place after a move of delta cells: not below 0 and kept
// below 32768 - scale.
static i32 MovedCursor(i32 c, i32 delta, int s) {
  i64 to = i64(c) + delta;
  if (to < 0) to = 0;
  if (to > GRID_END - s - 1) to = GRID_END - s - 1;
  return i32(to);
}
static i32 Step(i32 n, int s) { return n == 0 ? 11 * s : n; }
// Pixels to scroll for a cursor that lies `over` cells outside the view,
// rounded up so that its block comes into view.
static i32 Overshoot(i32 over, int s) { return (over + s - 1) / s; }

void Ovw_MoveCursorLeft(int v, i32 n) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  int s = Scale(w);
  w.cursorX = MovedCursor(w.cursorX, -Step(n, s), s);
  if (w.cursorX < w.originX) Ovw_ScrollLeft(v, Overshoot(w.originX - w.cursorX, s));
}

void Ovw_MoveCursorRight(int v, i32 n) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  int s = Scale(w);
  w.cursorX = MovedCursor(w.cursorX, Step(n, s), s);
  i32 last = w.originX + w.clientWidth * s - 1;
  if (w.cursorX > last) Ovw_ScrollRight(v, Overshoot(w.cursorX - last, s));
}

void Ovw_MoveCursorUp(int v, i32 n) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  int s = Scale(w);
  w.cursorY = MovedCursor(w.cursorY, -Step(n, s), s) / s * s;
  if (w.cursorY < w.originY) Ovw_ScrollUp(v, Overshoot(w.originY - w.cursorY, s));
}

void Ovw_MoveCursorDown(int v, i32 n) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  int s = Scale(w);
  w.cursorY = MovedCursor(w.cursorY, Step(n, s), s) / s * s;
  i32 last = w.originY + w.clientHeight * s - 1;
  if (w.cursorY > last) Ovw_ScrollDown(v, Overshoot(w.cursorY - last, s));
}

static i32 Centre(i32 c, i32 size, int s) {
  if (size >= GRID_END) return 0;
  i32 o = c - size / 2;
  if (o < 0) o = 0;
  if (o > GRID_END - size) o = GRID_END - size;
  return o / s * s;
}

void Ovw_SetCursorCentred(int v, i32* x, i32* y) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  int s = Scale(w);
  *x = *x / s * s;
  *y = *y / s * s;
  w.cursorX = *x;
  w.cursorY = *y;
  w.originX = Centre(*x, w.clientWidth * s, s);
  w.originY = Centre(*y, w.clientHeight * s, s);
}

// ---------------------------------------------------------------- export

int Ovw_ExportCellColour(u32 code, i32 x, i32 y) {
  const u32 opt = g_ovwExport.options;
  int cls = Ovw_CellColour(code, (opt & OVW_EXPORT_NO_DETAIL) != 0, 1);
  if (cls == PAL_OVERVIEW_FOLLOWED) cls = PAL_OVERVIEW_TRAIN;
  if (cls == PAL_OVERVIEW_TRAIN && (opt & OVW_EXPORT_TRAIN_AS_TRACK)) cls = TrackUnderTrain(x, y, 0, code);
  return cls;
}

int Ovw_ExportBlockColour(i32 x, i32 y) {
  const u32 opt = g_ovwExport.options;
  int s = g_ovwExport.scale < 1 ? 1 : g_ovwExport.scale > 64 ? 64 : g_ovwExport.scale;
  MapView& w = g_mapViews[0];
  const int mode = w.mode, scale = w.scale, detail = w.groundDetail, gridOn = g_sprGrid.on;
  w.mode = MAP_MODE_OVERVIEW;
  w.scale = s;
  w.groundDetail = (opt & OVW_EXPORT_NO_DETAIL) ? 0 : 1;
  g_sprGrid.on = 0;
  // The picture's block starts at x, y itself: an area that does not start
  // on a multiple of the scale must not be shifted onto the scale's blocks.
  // A followed train counts as any train (100 as 99).
  OvwBlockRule r = {0, !w.groundDetail, 0, (opt & OVW_EXPORT_TRAIN_AS_TRACK) != 0};
  int cls = BlockClass(x, y, s, r);
  if (IsBackground(cls)) cls = Ovw_MarkAt(x, y, 0, 0);
  // No path above leaves early: the slot and the grid always get their own
  // settings back.
  w.mode = mode;
  w.scale = scale;
  w.groundDetail = detail;
  g_sprGrid.on = gridOn;
  return cls;
}

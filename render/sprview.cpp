#include "render/sprview.h"

#include "model/grid.h"
#include "operation/trn.h"
#include "platform/heap.h"
#include "render/compose.h"
#include "render/gfx.h"
#include "render/map.h"
#include "render/ovw.h"
#include "render/schem.h"

static int g_unusable;
void Spr_SetLayoutUnusable(int on) { g_unusable = on ? 1 : 0; }

// A view whose back buffer may be written, entered under its lock.
static MapView* EnterView(int v) {
  if (v < 0 || v >= MAP_VIEWS) return nullptr;
  MapView* w = &g_mapViews[v];
  if (!w->window || !w->back) return nullptr;
  Os_LockEnter(&w->lock);
  return w;
}

static void LeaveView(MapView* w) {
  w->dirty = 1;
  Os_LockLeave(&w->lock);
}

void Spr_CopyToViewBuffer(int v, i32 x, i32 y, int zoom, int sx, int sy, int w, int h) {
  MapView* view = EnterView(v);
  if (!view) return;
  int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  const CellPixel* src = Spr_Buffer(zoom);
  // The back buffer as allocated bounds every write, not the client size.
  i32 bw = view->backWidth, bh = view->backHeight;
  int c0 = 0, c1 = w;  // source columns sx + c0 .. sx + c1 - 1
  if (x + c0 < 0) c0 = -x;
  if (sx + c0 < 0) c0 = -sx;
  if (x + c1 > bw) c1 = bw - x;
  if (sx + c1 > W) c1 = W - sx;
  for (int r = 0; r < h && c0 < c1; ++r) {
    i32 ty = y + r;
    int srow = sy + r;
    if (ty < 0 || ty >= bh || srow < 0 || srow >= H) continue;
    Asm_CopyDwords(view->back + i64(ty) * bw + x + c0, src + (H - 1 - srow) * W + sx + c0, u32(c1 - c0));
  }
  LeaveView(view);
}

void Spr_CopyToViewBufferEnlarged(int v, i32 x, i32 y, int zoom, int n) {
  if (n < 2) {
    Spr_CopyToViewBuffer(v, x, y, zoom, 0, 0, Spr_BufferWidth(zoom), Spr_BufferHeight(zoom));
    return;
  }
  Spr_CopyToViewBufferScaled(v, x, y, zoom, n, 1);
}

void Spr_CopyToViewBufferScaled(int v, i32 x, i32 y, int zoom, int num, int den) {
  if (num <= den || den < 1) return;
  MapView* view = EnterView(v);
  if (!view) return;
  int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  const CellPixel* src = Spr_Buffer(zoom);
  i32 bw = view->backWidth, bh = view->backHeight;
  // Each source pixel is emitted num times; the target advances after every
  // den emissions.
  i32 ty = y;
  int emitY = 0;
  for (int r = 0; r < H; ++r) {
    const CellPixel* s = src + (H - 1 - r) * W;
    for (int ry = 0; ry < num; ++ry) {
      if (ty >= 0 && ty < bh) {
        u32* d = view->back + i64(ty) * bw;
        i32 tx = x;
        int emitX = 0;
        for (int c = 0; c < W; ++c)
          for (int rx = 0; rx < num; ++rx) {
            if (tx >= 0 && tx < bw) d[tx] = s[c];
            if (++emitX == den) {
              emitX = 0;
              ++tx;
            }
          }
      }
      if (++emitY == den) {
        emitY = 0;
        ++ty;
      }
    }
  }
  LeaveView(view);
}

void Spr_Transfer(int zoom, int target, i32 x, i32 y, int gridFlags, int overlayFlags) {
  // The marks lie under the grid lines.
  if (overlayFlags & (SPR_OVL_INFO | SPR_OVL_LOG1 | SPR_OVL_LOG2)) Spr_DrawOverlayMarks(overlayFlags, zoom);
  if (gridFlags) Spr_DrawGridLines(zoom, gridFlags);
  if (target < 0 || target >= MAP_VIEWS) {
    Spr_ResolveMarkers(zoom);
    return;
  }
  const MapView& view = g_mapViews[target];
  if (view.scale < zoom) return;
  if (view.scale == zoom) {
    // 1:1: shade straight into the back buffer, one pass over the pixels.
    MapView* w = EnterView(target);
    if (!w) return;
    u32 mode = Spr_LightingMode(view.level, overlayFlags);
    int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
    int c0 = x < 0 ? -x : 0, c1 = x + W > w->backWidth ? w->backWidth - x : W;
    const CellPixel* src = Spr_Buffer(zoom);
    for (int r = 0; r < H && c0 < c1; ++r) {
      i32 ty = y + r;
      if (ty < 0 || ty >= w->backHeight) continue;
      Spr_ShadeRun(src + (H - 1 - r) * W + c0, w->back + i64(ty) * w->backWidth + x + c0, c1 - c0, mode);
    }
    LeaveView(w);
    return;
  }
  Spr_ShadeBuffer(zoom, view.level, overlayFlags);
  if (zoom == 4 && view.scale == 6)
    Spr_CopyToViewBufferScaled(target, x, y, zoom, 3, 2);
  else
    Spr_CopyToViewBufferEnlarged(target, x, y, zoom, view.scale / zoom);
}

void Spr_TransferSchematic(SchBuf* dc, i32 x, i32 y, int target, const SchBuf* square) {
  if (!square || !square->pixels) return;
  const int size = square->width;
  if (target >= 0 && target < MAP_VIEWS) {
    MapView* w = EnterView(target);
    if (!w) return;
    for (int r = 0; r < size; ++r) {
      const i32 ty = y + r;
      if (ty < 0 || ty >= w->backHeight) continue;
      for (int c = 0; c < size; ++c) {
        const i32 tx = x + c;
        if (tx >= 0 && tx < w->backWidth) w->back[i64(ty) * w->backWidth + tx] = square->pixels[r * size + c];
      }
    }
    LeaveView(w);
    return;
  }
  if (!dc || !dc->pixels) return;
  for (int r = 0; r < square->height; ++r) {
    const i32 ty = y + r;
    if (ty < 0 || ty >= dc->height) continue;
    for (int c = 0; c < size; ++c) {
      const i32 tx = x + c;
      if (tx >= 0 && tx < dc->width) dc->pixels[i64(ty) * dc->width + tx] = square->pixels[r * size + c];
    }
  }
}

void Spr_DrawGridInView(int v, i32 px, i32 py, int size, int scale, int flags) {
  const int vertical = flags & (SPR_GRID_MAJOR_V | SPR_GRID_MINOR_V | SPR_BOX_V);
  const int horizontal = flags & (SPR_GRID_MAJOR_H | SPR_GRID_MINOR_H | SPR_BOX_H);
  if ((!vertical && !horizontal) || scale < 1) return;
  MapView* w = EnterView(v);
  if (!w) return;
  auto put = [&](i32 x, i32 y, u32 c) {
    if (x >= 0 && y >= 0 && x < w->backWidth && y < w->backHeight) w->back[i64(y) * w->backWidth + x] = c;
  };
  if (vertical) {
    const int step = (flags & SPR_BOX_V) ? 8 / scale + 1 : (flags & SPR_GRID_MAJOR_V) ? 2 : 4;
    const u32 c = Spr_Palette(Spr_GridLineEntry(flags, 1));
    for (int y = 0; y < size; y += step) put(px, py + y, c);
  }
  if (horizontal) {
    const int step = (flags & SPR_BOX_H) ? 8 / scale + 1 : (flags & SPR_GRID_MAJOR_H) ? 2 : 4;
    const u32 c = Spr_Palette(Spr_GridLineEntry(flags, 0));
    for (int x = 0; x < size; x += step) put(px + x, py, c);
  }
  LeaveView(w);
}

void Spr_FillEmptyCell(int v, i32 x, i32 y) {
  MapView* view = EnterView(v);
  if (!view) return;
  int s = view->scale;
  u32 c = Spr_LevelBackground(view->level);
  for (i32 r = 0; r < 16 * s; ++r) {
    i32 ty = y + r;
    if (ty < 0 || ty >= view->backHeight || ty >= view->clientHeight) continue;
    for (i32 q = 0; q < 32 * s; ++q) {
      i32 tx = x + q;
      if (tx >= 0 && tx < view->backWidth && tx < view->clientWidth) view->back[i64(ty) * view->backWidth + tx] = c;
    }
  }
  LeaveView(view);
}

void Spr_RedrawViewRect(int v, i32 x1, i32 y1, i32 y2, i32 x2) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& view = g_mapViews[v];
  if (!view.window || !view.back) return;
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  if (x2 >= view.clientWidth) x2 = view.clientWidth - 1;
  if (y2 >= view.clientHeight) y2 = view.clientHeight - 1;
  if (x1 > x2 || y1 > y2) return;
  int s = view.scale < 1 ? 1 : view.scale;
  if (view.mode == MAP_MODE_PICTURE) {
    i32 cw = 32 * s, ch = 16 * s;
    i32 offX = view.pixOffX * s, offY = view.pixOffY * s;
    i32 c1 = (x1 - offX) / cw - (offX > 0 ? 1 : 0), c2 = (x2 - offX) / cw;
    i32 r1 = (y1 - offY) / ch - (offY > 0 ? 1 : 0), r2 = (y2 - offY) / ch;
    for (i32 r = r1; r <= r2; ++r)
      for (i32 c = c1; c <= c2; ++c) {
        i32 x = view.originX + c, y = view.originY + r;
        i32 px = c * cw + offX, py = r * ch + offY;
        if (x < 0 || y < 0 || x > 32767 || y > 32767 || g_unusable) {
          Spr_FillEmptyCell(v, px, py);
          continue;
        }
        i32 start = Map_StartLevel(x, y, view.level);
        int flags = Spr_OverlayFlags(x, y, start);
        Map_ComposeCellColumn(nullptr, px, py, v, flags, start, view.level, y, x);
      }
  } else if (view.mode == MAP_MODE_SCHEMATIC) {
    i32 cs = 16 / s;
    if (cs < 1) cs = 1;
    for (i32 r = y1 / cs; r <= y2 / cs; ++r)
      for (i32 c = x1 / cs; c <= x2 / cs; ++c) Map_DrawSchematicAt(v, view.originX + c, view.originY + r);
  } else {
    Ovw_Paint(v, x1, y1, y2, x2);
  }
  view.ready = 1;
  view.dirty = 1;
}

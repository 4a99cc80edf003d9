#include "render/map.h"

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "platform/heap.h"
#include "render/compose.h"
#include "render/cursor.h"
#include "render/gfx.h"
#include "render/ovw.h"
#include "render/schem.h"
#include "render/sprview.h"
#include "render/status.h"

MapView g_mapViews[MAP_VIEWS];

static u32 g_mapRequests;

struct MapQueuedCell {
  i32 x, y, level;
};
static MapQueuedCell g_mapQueue[MAP_QUEUE_CELLS];
static int g_mapQueueCount;

// ---------------------------------------------------------------- view slots

void Map_UpdateVisible(int v) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  int s = w.scale < 1 ? 1 : w.scale;
  if (w.mode == MAP_MODE_PICTURE) {
    w.visWidth = (w.clientWidth + 32 * s - 1) / (32 * s) + 1;
    w.visHeight = (w.clientHeight + 16 * s - 1) / (16 * s) + 1;
  } else if (w.mode == MAP_MODE_SCHEMATIC) {
    w.visWidth = w.clientWidth * s / 16 + 1;
    w.visHeight = w.clientHeight * s / 16 + 1;
  } else {
    w.visWidth = w.clientWidth * s;
    w.visHeight = w.clientHeight * s;
  }
}

int Map_ResizeView(int v, i32 clientWidth, i32 clientHeight) {
  if (v < 0 || v >= MAP_VIEWS || clientWidth < 1 || clientHeight < 1 || clientWidth > 16384 || clientHeight > 16384)
    return 1;
  MapView& w = g_mapViews[v];
  u32* nb = static_cast<u32*>(Heap_Alloc(u32(clientWidth) * u32(clientHeight) * 4));
  w.clientWidth = clientWidth;
  w.clientHeight = clientHeight;
  Map_UpdateVisible(v);
  if (!nb) return 5;  // the old buffer stays, with its own size
  Asm_FillDwords(nb, Spr_LevelBackground(w.level), u32(clientWidth) * u32(clientHeight));
  Os_LockEnter(&w.lock);
  if (w.back) Heap_Free(w.back);
  w.back = nb;
  w.backWidth = clientWidth;
  w.backHeight = clientHeight;
  w.dirty = 1;
  Os_LockLeave(&w.lock);
  return 0;
}

int Map_OpenView(int v, void* window, int mode, int scale, i32 originX, i32 originY, i32 level, i32 clientWidth,
                 i32 clientHeight) {
  if (v < 0 || v >= MAP_VIEWS || !window || mode < 1 || mode > 3 || scale < 1 || scale > 64 || level > 0 ||
      level < -4)
    return 1;
  Map_CloseView(v);
  MapView& w = g_mapViews[v];
  w = MapView{};
  Os_LockCreate(&w.lock);
  w.window = window;
  w.mode = mode;
  w.scale = scale;
  w.originX = originX;
  w.originY = originY;
  w.level = level;
  w.groundDetail = 1;
  if (clientWidth == 0 && clientHeight == 0) return 0;  // the shell sizes the buffer next
  int r = Map_ResizeView(v, clientWidth, clientHeight);
  if (r != 0) {
    Map_CloseView(v);
    return r;
  }
  return 0;
}

void Map_CloseView(int v) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  if (!w.window && !w.back && !w.lock.impl) return;
  if (w.back) Heap_Free(w.back);
  Os_LockDestroy(&w.lock);
  // What the next view of the slot starts from.
  MapView kept{};
  kept.mode = w.mode;
  kept.scale = w.scale;
  kept.originX = w.originX;
  kept.originY = w.originY;
  kept.level = w.level;
  kept.cursorX = w.cursorX;
  kept.cursorY = w.cursorY;
  w = kept;
}

int Map_ViewOfWindow(const void* window) {
  if (!window) return -1;
  for (int v = 0; v < MAP_VIEWS; ++v)
    if (g_mapViews[v].window == window) return v;
  return -1;
}

u32 Map_GetBackPixel(int v, i32 x, i32 y) {
  if (v < 0 || v >= MAP_VIEWS) return 0;
  const MapView& w = g_mapViews[v];
  if (!w.back || x < 0 || y < 0 || x >= w.backWidth || y >= w.backHeight) return 0;
  return w.back[i64(y) * w.backWidth + x];
}

void Map_CellToPixel(int v, i32* x, i32* y) {
  if (v < 0 || v >= MAP_VIEWS || !g_mapViews[v].window) {
    *x = *y = -1;
    return;
  }
  const MapView& w = g_mapViews[v];
  const i32 s = w.scale < 1 ? 1 : w.scale;
  auto axis = [&](i32 c, i32 origin, i32 offset, i32 cell) -> i32 {
    if (c == -1) return -1;
    if (w.mode == MAP_MODE_PICTURE) return ((c - origin) * cell + offset) * s;
    if (w.mode == MAP_MODE_SCHEMATIC) return ((c - origin) * 16 + offset) / s;
    return (c - origin) / s;
  };
  *x = axis(*x, w.originX, w.pixOffX, 32);
  *y = axis(*y, w.originY, w.pixOffY, 16);
}

static MapShellHooks g_shellHooks;

void Map_SetShellHooks(const MapShellHooks* hooks) { g_shellHooks = hooks ? *hooks : MapShellHooks{}; }
i32 Map_ActiveView(void) { return g_shellHooks.activeView ? g_shellHooks.activeView() : -1; }
i32 Map_FollowedView(void) { return g_shellHooks.followedView ? g_shellHooks.followedView() : -1; }

// ---------------------------------------------------------------- composition

i32 Map_StartLevel(i32 x, i32 y, i32 level) {
  while (level > -4 && Spr_IsSeeThrough(Grid_GetCell(x, y, level), level)) --level;
  return level;
}

void Map_ComposeCellColumn(void* dc, i32 px, i32 py, int target, int flags, i32 startLevel, i32 viewLevel, i32 y,
                           i32 x) {
  (void)dc;
  int zoomSet = Gfx_GetZoomSet();
  if (zoomSet != 2 && zoomSet != 4) zoomSet = 1;
  int zoom = 1, hidden = 0;
  if (target >= 0 && target < MAP_VIEWS) {
    const MapView& w = g_mapViews[target];
    int s = w.scale >= 4 ? 4 : w.scale >= 2 ? 2 : 1;
    zoom = s < zoomSet ? s : zoomSet;
    hidden = !w.groundDetail;
    if (startLevel < viewLevel) flags |= SPR_OVL_BELOW;
  } else {
    int s = target == 7 ? 2 : target >= 8 ? 4 : 1;
    zoom = s < zoomSet ? s : zoomSet;
    startLevel = viewLevel = 0;
  }
  if (x < 0 || y < 0 || x > 32767 || y > 32767) return;
  for (i32 level = startLevel; level <= viewLevel; ++level) {
    Spr_SetLevel(level);
    u32 raw = Grid_GetCell(x, y, level);
    if (Cell_IsTrainMarker(raw)) {
      TrnCellImage img;
      Trn_CellVehicleImage(x, y, level, &img, u16(raw));
      Spr_ComposeTrainCell(zoom, level, y, x, hidden, &img);
    } else {
      int bit = Spr_ComposeCell(zoom, level, y, x, hidden);
      if (bit) Spr_CompletePortal(bit, zoom, level, y, x, hidden);
    }
    Spr_ComposeLayers(zoom, level, y, x, hidden);
  }
  Spr_SetLevel(startLevel);
  Spr_Transfer(zoom, target, px, py, Spr_GridFlags(x, y, viewLevel), flags);
}

// ---------------------------------------------------------------- cell redraw

void Map_RedrawCell(i32 x, i32 y, i32 z, int mask) {
  g_mapRequests++;
  if (x < 0 || y < 0 || x > 32767 || y > 32767 || z > 0 || z < -4) return;
  int marks = -1;  // the info and log point marks, looked up once per call
  for (int v = 0; v < MAP_VIEWS; ++v) {
    MapView& w = g_mapViews[v];
    if (!w.window || !w.back || w.level < z) continue;
    int covered = 0;
    for (i32 l = z + 1; l <= w.level; ++l)
      if (!Spr_IsSeeThrough(Grid_GetCell(x, y, l), l)) covered = 1;
    if (covered) continue;
    i32 start = Map_StartLevel(x, y, z);
    if (w.mode == MAP_MODE_PICTURE) {
      if (!(mask & MAP_REDRAW_PICTURE)) continue;
      if (x < w.originX - 1 || x >= w.originX + w.visWidth || y < w.originY - 1 || y >= w.originY + w.visHeight)
        continue;
      i32 px = x, py = y;
      Map_CellToPixel(v, &px, &py);
      if (py > w.clientHeight) continue;
      if (marks < 0) marks = Spr_OverlayFlags(x, y, start);
      Map_ComposeCellColumn(nullptr, px, py, v, marks, start, w.level, y, x);
    } else if (w.mode == MAP_MODE_SCHEMATIC) {
      if (!(mask & MAP_REDRAW_SCHEMATIC)) continue;
      if (x < w.originX || x >= w.originX + w.visWidth || y < w.originY || y >= w.originY + w.visHeight) continue;
      Map_DrawSchematicAt(v, x, y);
    } else {
      if (!(mask & MAP_REDRAW_OVERVIEW)) continue;
      Ovw_DrawCell(v, x, y, Grid_GetCell(x, y, start), start);
    }
  }
}

void Map_RedrawCellFull(i32 x, i32 y, i32 level) { Map_RedrawCell(x, y, level, MAP_REDRAW_ALL); }

void Map_RedrawView(int v) {
  if (v < 0 || v >= MAP_VIEWS) return;
  const MapView& w = g_mapViews[v];
  if (!w.window || !w.back) return;
  Spr_RedrawViewRect(v, 0, 0, w.clientHeight - 1, w.clientWidth - 1);
}

void Map_InvalidateViews(int mask) {
  g_mapRequests++;
  if ((mask & MAP_INVALIDATE_FRAME) && Map_GetStatusWindow()) Map_PlatformInvalidate(Map_GetStatusWindow());
  for (int v = 0; v < MAP_VIEWS; ++v) {
    MapView& w = g_mapViews[v];
    if (!w.window) continue;
    int hit = (mask & MAP_INVALIDATE_VIEWS) || ((mask & MAP_INVALIDATE_PICTURE) && w.mode == MAP_MODE_PICTURE) ||
              ((mask & MAP_INVALIDATE_SCHEMATIC) && w.mode == MAP_MODE_SCHEMATIC);
    if (!hit) continue;
    w.ready = 0;
    Map_PlatformInvalidate(w.window);
  }
}

void Map_QueueCellRedraw(i32 x, i32 y, i32 level) {
  if (g_mapQueueCount >= MAP_QUEUE_CELLS) return;
  g_mapQueue[g_mapQueueCount++] = MapQueuedCell{x, y, level};
}

int Map_FlushRedrawQueue(int allViews) {
  int n = g_mapQueueCount;
  for (int i = 0; i < n; ++i) {
    const MapQueuedCell& c = g_mapQueue[i];
    Map_RedrawCell(c.x, c.y, c.level, allViews ? MAP_REDRAW_ALL : MAP_REDRAW_PICTURE);
    // The picture of a cell reaches into the row above it.
    if (c.y >= 1) Map_RedrawCell(c.x, c.y - 1, c.level, MAP_REDRAW_PICTURE);
  }
  g_mapQueueCount = 0;
  return n * 3;
}

void Map_FlushCellRedraws(int full) { Map_FlushRedrawQueue(full); }

u32 Map_RedrawRequestCount(void) { return g_mapRequests; }

// ---------------------------------------------------------------- view windows

// The open view of slot v, or null.
static MapView* OpenView(int v) {
  if (v < 0 || v >= MAP_VIEWS || !g_mapViews[v].window) return nullptr;
  return &g_mapViews[v];
}

// One past an inclusive edge, without overflow at the top of the range.
static i32 PastEdge(i32 edge) { return edge == 0x7FFFFFFF ? edge : edge + 1; }

void Map_InvalidateRect(int v, i32 left, i32 top, i32 bottom, i32 right) {
  MapView* w = OpenView(v);
  if (!w) return;
  g_mapRequests++;
  // Only a rectangle that meets the client brings a paint, which sets the
  // view ready again; one wholly outside must not stop the presentation.
  if (right < 0 || bottom < 0 || left >= w->clientWidth || top >= w->clientHeight || right < left || bottom < top)
    return;
  w->ready = 0;
  Map_PlatformInvalidateRect(v, left, top, PastEdge(right), PastEdge(bottom));
}

void Map_RepaintRect(int v, i32 left, i32 top, i32 bottom, i32 right) {
  if (!OpenView(v)) return;
  Spr_RedrawViewRect(v, left, top, bottom, right);
  Map_PlatformValidateRect(v, left, top, PastEdge(right), PastEdge(bottom));
}

void Map_OnViewPaint(int v) {
  MapView* w = OpenView(v);
  if (!w) return;
  Map_PlatformPaint(v);
  if (w->showState == 3 && g_shellHooks.redrawClockFields) g_shellHooks.redrawClockFields();
}

void Map_ScrollView(void* window, i32 left, i32 top, i32 dy, i32 dx, i32 bottom, i32 right) {
  if (!window || (dx == 0 && dy == 0) || left > right || top > bottom) return;
  Map_PlatformScroll(window, Map_ViewOfWindow(window), left, top, PastEdge(right), PastEdge(bottom), dx, dy);
  // What lies under the mouse has moved: an edge zone or a box edge may
  // have come or gone.
  Cur_OnSetCursor(window, 0);
}

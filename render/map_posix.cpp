#include "render/map.h"
#include "render/sprview.h"

// Natively no window exists. The update region a window would collect is
// kept as one bounding rectangle per view, so that the paint of a view
// redraws what was invalidated, as it does on Windows.

void Map_PlatformInvalidate(void* window) { (void)window; }

static void AddUpdate(MapView& w, i32 left, i32 top, i32 right, i32 bottom) {
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (right > w.clientWidth) right = w.clientWidth;
  if (bottom > w.clientHeight) bottom = w.clientHeight;
  if (right <= left || bottom <= top) return;
  if (w.updRight <= w.updLeft || w.updBottom <= w.updTop) {
    w.updLeft = left, w.updTop = top, w.updRight = right, w.updBottom = bottom;
    return;
  }
  if (left < w.updLeft) w.updLeft = left;
  if (top < w.updTop) w.updTop = top;
  if (right > w.updRight) w.updRight = right;
  if (bottom > w.updBottom) w.updBottom = bottom;
}

void Map_PlatformInvalidateRect(int v, i32 left, i32 top, i32 right, i32 bottom) {
  if (v < 0 || v >= MAP_VIEWS) return;
  AddUpdate(g_mapViews[v], left, top, right, bottom);
}

void Map_PlatformValidateRect(int v, i32 left, i32 top, i32 right, i32 bottom) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  // A bounding rectangle can only be emptied as a whole: when the validated
  // rectangle covers it.
  if (left <= w.updLeft && top <= w.updTop && right >= w.updRight && bottom >= w.updBottom)
    w.updLeft = w.updTop = w.updRight = w.updBottom = 0;
}

void Map_PlatformPaint(int v) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  i32 left = w.updLeft, top = w.updTop, right = w.updRight, bottom = w.updBottom;
  w.updLeft = w.updTop = w.updRight = w.updBottom = 0;
  if (right <= left || bottom <= top) return;
  Spr_RedrawViewRect(v, left, top, bottom - 1, right - 1);
}

void Map_PlatformScroll(void* window, int v, i32 left, i32 top, i32 right, i32 bottom, i32 dx, i32 dy) {
  (void)window;
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  // What the move uncovers: a strip of |dx| columns and one of |dy| rows.
  i32 ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  if (ax >= right - left || ay >= bottom - top) {
    AddUpdate(w, left, top, right, bottom);
    return;
  }
  if (dx > 0) AddUpdate(w, left, top, left + dx, bottom);
  if (dx < 0) AddUpdate(w, right + dx, top, right, bottom);
  if (dy > 0) AddUpdate(w, left, top, right, top + dy);
  if (dy < 0) AddUpdate(w, left, bottom + dy, right, bottom);
}

// The stretch option has no device natively; it is only kept.
static int g_mapStretchCaps = 1;
void Map_SetStretchCaps(int enable) { g_mapStretchCaps = enable ? 1 : 0; }
int Map_GetStretchCaps(void) { return g_mapStretchCaps; }

#include <windows.h>

#include "render/map.h"
#include "render/sprview.h"

void Map_PlatformInvalidate(void* window) {
  HWND w = static_cast<HWND>(window);
  if (!w || !IsWindow(w)) return;
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
}

// The window of view v when it is a live window.
static HWND ViewWindow(int v) {
  if (v < 0 || v >= MAP_VIEWS) return nullptr;
  HWND w = static_cast<HWND>(g_mapViews[v].window);
  return w && IsWindow(w) ? w : nullptr;
}

void Map_PlatformInvalidateRect(int v, i32 left, i32 top, i32 right, i32 bottom) {
  HWND w = ViewWindow(v);
  if (!w) return;
  RECT r = {left, top, right, bottom};
  InvalidateRect(w, &r, FALSE);
}

void Map_PlatformValidateRect(int v, i32 left, i32 top, i32 right, i32 bottom) {
  HWND w = ViewWindow(v);
  if (!w) return;
  RECT r = {left, top, right, bottom};
  ValidateRect(w, &r);
}

void Map_PlatformPaint(int v) {
  HWND w = ViewWindow(v);
  if (!w) return;
  PAINTSTRUCT ps;
  if (!BeginPaint(w, &ps)) return;
  const RECT& r = ps.rcPaint;
  if (r.right > r.left && r.bottom > r.top)
    Spr_RedrawViewRect(v, r.left, r.top, r.bottom - 1, r.right - 1);
  else
    g_mapViews[v].ready = 1;  // nothing was left to draw: the buffer is whole again
  EndPaint(w, &ps);
}

void Map_PlatformScroll(void* window, int v, i32 left, i32 top, i32 right, i32 bottom, i32 dx, i32 dy) {
  (void)v;
  HWND w = static_cast<HWND>(window);
  if (!w || !IsWindow(w)) return;
  RECT r = {left, top, right, bottom};
  ScrollWindowEx(w, dx, dy, &r, &r, nullptr, nullptr, SW_INVALIDATE);
}

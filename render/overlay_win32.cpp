// GDI half of the overlay passes: the memory device context of a view gets
// the rectangles and lines through the primitives of render/dc.h and the
// texts and label boxes through GDI; every call leaves the device context's
// objects, colours and modes as it found them.
#include <windows.h>

#include "render/dc.h"
#include "render/map.h"
#include "render/overlay.h"
#include "render/pal.h"

void Map_OverlayFillRect(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour) {
  Map_FillRect(dc, x1, y1, colour, y2, x2);
}

void Map_OverlayFrameRect(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour) {
  Map_FrameRect(dc, x1, y1, colour, y2, x2);
}

void Map_OverlayLine(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour) {
  if (y1 == y2)
    Map_HLine(dc, x1, y1, 1, colour, x2);
  else
    Map_VLine(dc, x1, y1, 1, colour, y2);
}

void Map_OverlaySetPixel(void* dc, i32 x, i32 y, u32 colour) { Map_SetPixel(dc, x, y, colour); }

void Map_OverlayDrawBox(void* dc, i32 left, i32 top, i32 right, i32 bottom, u32 brush) {
  if (!dc) return;
  HDC d = static_cast<HDC>(dc);
  HBRUSH b = CreateSolidBrush(COLORREF(brush & 0xFFFFFFu));
  if (!b) return;
  const int saved = SaveDC(d);
  SelectObject(d, GetStockObject(BLACK_PEN));
  SelectObject(d, b);
  Rectangle(d, left, top, right, bottom);
  RestoreDC(d, saved);
  DeleteObject(b);
}

void Map_OverlayDrawText(void* dc, i32 x, i32 y, FontHandle font, u32 colour, const wch* text, int n) {
  if (!dc || !text || n <= 0) return;
  HDC d = static_cast<HDC>(dc);
  const int saved = SaveDC(d);
  if (font) SelectObject(d, static_cast<HFONT>(font));
  SetBkMode(d, TRANSPARENT);
  SetTextAlign(d, TA_CENTER | TA_TOP);
  SetTextColor(d, COLORREF(colour & 0xFFFFFFu));
  TextOutW(d, x, y, reinterpret_cast<const wchar_t*>(text), n);
  RestoreDC(d, saved);
}

void Map_OverlayMeasureText(void* dc, FontHandle font, const wch* text, int n, i32* width, i32* height) {
  *width = *height = 0;
  if (!dc || !text) return;
  HDC d = static_cast<HDC>(dc);
  HGDIOBJ old = font ? SelectObject(d, static_cast<HFONT>(font)) : nullptr;
  SIZE size = {};
  if (GetTextExtentPoint32W(d, reinterpret_cast<const wchar_t*>(text), n > 0 ? n : 0, &size)) {
    *width = size.cx;
    *height = size.cy;
  }
  if (old) SelectObject(d, old);
}

void Map_ClearAllWindows(void) {
  for (int v = 0; v < MAP_VIEWS; ++v) {
    HWND w = static_cast<HWND>(g_mapViews[v].window);
    if (!w || !IsWindow(w)) continue;
    HDC dc = GetDC(w);
    if (!dc) continue;
    RECT r;
    GetClientRect(w, &r);
    Map_FillRect(dc, r.left, r.top, Pal_GetColour(PAL_BACKGROUND), r.bottom - 1, r.right - 1);
    ReleaseDC(w, dc);
  }
}

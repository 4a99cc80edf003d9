// GDI half of the clock painting: the clock fields of the status strip, the
// overview titles and the clock window's face.
#include <windows.h>

#include "operation/clock.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/clkpaint.h"
#include "render/font.h"
#include "render/map.h"
#include "render/pal.h"
#include "render/status.h"

namespace {

HWND g_clock;

inline const wchar_t* W(const wch* s) { return reinterpret_cast<const wchar_t*>(s); }
inline COLORREF Colour(int i) { return Pal_GetColour(i) & 0xFFFFFFu; }

// A device context of the frame for the caller's null; released by Done.
struct FrameDC {
  HDC dc;
  HWND frame;
  bool own;
  explicit FrameDC(void* given) : dc(static_cast<HDC>(given)), frame(nullptr), own(false) {
    frame = static_cast<HWND>(Map_GetStatusWindow());
    if (!dc && frame && IsWindow(frame)) {
      dc = GetDC(frame);
      own = true;
    }
  }
  ~FrameDC() {
    if (own && dc) ReleaseDC(frame, dc);
  }
};

// One clock field: x0..x1 from the left of status field 25 (or 24 for the
// speed), the text centred at cx or, with cx < 0, left-aligned; opaque
// fields are drawn on the strip colour, the others after a fill.
void PaintField(void* given, int field, int x0, int x1, int cx, const wch* text, bool opaque) {
  FrameDC f(given);
  if (!f.dc) return;
  i32 y, w, h;
  const i32 fx = Map_GetFieldRect(field, &y, &w, &h);
  if (fx < 0) return;
  RECT r = {fx + x0, y, fx + x1 + 1, y + h};
  const int saved = SaveDC(f.dc);
  HFONT font = static_cast<HFONT>(Font_GetStatusFont());
  if (font) SelectObject(f.dc, font);
  SetTextColor(f.dc, Colour(PAL_STRIP_VALUE));
  SetBkColor(f.dc, Colour(PAL_STRIP));
  if (!opaque) {
    HBRUSH b = CreateSolidBrush(Colour(PAL_STRIP));
    if (b) {
      FillRect(f.dc, &r, b);
      DeleteObject(b);
    }
    SetBkMode(f.dc, TRANSPARENT);
  } else {
    SetBkMode(f.dc, OPAQUE);
  }
  UINT align = cx >= 0 ? TA_CENTER | TA_TOP : TA_LEFT | TA_TOP;
  SetTextAlign(f.dc, align);
  const int x = cx >= 0 ? fx + cx : fx + x0;
  if (text) ExtTextOutW(f.dc, x, y, ETO_CLIPPED | (opaque ? ETO_OPAQUE : 0), &r, W(text), UINT(Str_Len(text)), nullptr);
  RestoreDC(f.dc, saved);
}

}  // namespace

void Clk_SetClockWindow(void* clockWindow) {
  g_clock = static_cast<HWND>(clockWindow);
}

void Clk_PaintWeekday(void* dc) {
  wch t[8];
  Clk_WeekdayText(t, 8);
  PaintField(dc, 25, 64, 95, 80, t, false);
}

void Clk_PaintHours(void* dc) {
  wch t[8];
  Fmt_Print(t, 8, u"%2i", int(g_simClock.hour));
  PaintField(dc, 25, 104, 119, 112, t, false);
}

void Clk_PaintMinutes(void* dc) {
  wch t[8];
  Fmt_Print(t, 8, u":%02i", int(g_simClock.minute));
  PaintField(dc, 25, 120, 143, 132, t, true);
}

void Clk_PaintSeconds(void* dc) {
  if (Clk_SecondsHidden()) {
    PaintField(dc, 25, 144, 167, 156, nullptr, false);
    return;
  }
  wch t[8];
  Fmt_Print(t, 8, u":%02i", int(g_simClock.second));
  PaintField(dc, 25, 144, 167, 156, t, true);
}

void Clk_PaintSpeed(void* dc) {
  wch t[8];
  Fmt_Print(t, 8, u"%2i", int(Clk_GetSpeed()));
  PaintField(dc, 24, 72, 87, -1, t, false);
}

void Clk_PaintOverviewTitles(void) {
  wch t[32];
  Clk_OverviewTitleText(t, 32);
  for (int v = 0; v < MAP_VIEWS; ++v) {
    const MapView& m = g_mapViews[v];
    if (!m.window || m.mode != MAP_MODE_OVERVIEW) continue;
    HWND w = static_cast<HWND>(m.window);
    HDC dc = GetWindowDC(w);
    if (!dc) continue;
    const int y = GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYFRAME) +
                  (GetSystemMetrics(SM_CYMENU) - 16) / 2;
    RECT wr;
    GetWindowRect(w, &wr);
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, m.clientWidth - 96, y - GetSystemMetrics(SM_CYCAPTION), W(t), Str_Len(t));
    RestoreDC(dc, saved);
    ReleaseDC(w, dc);
  }
}

void Clk_PaintClockWindow(void* given) {
  HWND w = g_clock;
  if (!w || !IsWindow(w)) return;
  HDC dc = static_cast<HDC>(given);
  const bool own = !dc;
  if (own) dc = GetDC(w);
  if (!dc) return;
  // The face is drawn once at 80 x 20 and stretched over the whole client,
  // so that it grows with the window.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 80, 20);
  if (mem && bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all = {0, 0, 80, 20};
    SetBkColor(mem, Colour(PAL_CLOCK_BACK));
    SetTextColor(mem, Colour(PAL_CLOCK_TEXT));
    SetBkMode(mem, OPAQUE);
    ExtTextOutW(mem, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    HFONT font = static_cast<HFONT>(Font_GetStatusFont());
    HGDIOBJ oldFont = font ? SelectObject(mem, font) : nullptr;
    wch t[32];
    Clk_ClockWindowText(t, 32);
    TextOutW(mem, 0, 0, W(t), Str_Len(t));
    if (oldFont) SelectObject(mem, oldFont);
    RECT c;
    GetClientRect(w, &c);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, c.right, c.bottom, mem, 0, 0, 80, 20, SRCCOPY);
    SelectObject(mem, old);
  }
  if (bmp) DeleteObject(bmp);
  if (mem) DeleteDC(mem);
  if (own) ReleaseDC(w, dc);
}

void Clk_RedrawAll(void* dc) {
  Clk_PaintWeekday(dc);
  Clk_PaintHours(dc);
  Clk_PaintMinutes(dc);
  Clk_PaintSeconds(dc);
  Clk_PaintSpeed(dc);
  Clk_PaintOverviewTitles();
  Clk_PaintClockWindow(nullptr);
}

// The overlay passes on a real view window: a memory device context made
// for the window (over a 32-bit DIB section, so that colours read back
// exactly) becomes the view's MapView.memDC; the cursor mark, an object
// label and a grid text cell are drawn into it and read back with GetPixel.
// Then the clearing of every view window's client area.
#include <windows.h>

#include "model/logp.h"
#include "render/disp.h"
#include "render/objtext.h"
#include "render/overlay.h"
#include "tests/render_fixture.h"

namespace {

const COLORREF kPaper = RGB(250, 250, 250);

i32 ActiveZero() { return 0; }
i32 NoView() { return -1; }

LRESULT CALLBACK OverlayTestProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProcW(w, msg, wp, lp);
}

struct OverlayWindow : RenderStore {
  HWND window = nullptr;
  HDC mem = nullptr;
  HBITMAP bitmap = nullptr, old = nullptr;
  const i32 W = 320, H = 160;

  void SetUp() override {
    RenderStore::SetUp();
    Disp_ResetOptions();
    Logp_Clear();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OverlayTestProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrbaOverlayTestView";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, W, H, nullptr, nullptr,
                             wc.hInstance, nullptr);
    if (!window) GTEST_SKIP() << "no window can be made here";
    // The view's presentation: a memory device context for the window.
    HDC wdc = GetDC(window);
    mem = CreateCompatibleDC(wdc);
    ReleaseDC(window, wdc);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(mem && bitmap);
    old = static_cast<HBITMAP>(SelectObject(mem, bitmap));
    RECT r = {0, 0, W, H};
    HBRUSH paper = CreateSolidBrush(kPaper);
    FillRect(mem, &r, paper);
    DeleteObject(paper);

    ASSERT_EQ(0, Map_OpenView(0, window, MAP_MODE_PICTURE, 1, 10, 4, 0, W, H));
    MapView& v = g_mapViews[0];
    v.memDC = mem;
    v.ready = 1;
    v.cursorX = 13;
    v.cursorY = 6;
    MapShellHooks hooks = {ActiveZero, NoView, nullptr};
    Map_SetShellHooks(&hooks);
  }
  void TearDown() override {
    Map_SetShellHooks(nullptr);
    Logp_Clear();
    Disp_ResetOptions();
    RenderStore::TearDown();
    if (old) SelectObject(mem, old);
    if (bitmap) DeleteObject(bitmap);
    if (mem) DeleteDC(mem);
    if (window) DestroyWindow(window);
  }
  COLORREF At(i32 x, i32 y) {
    GdiFlush();
    return GetPixel(mem, x, y);
  }
  // Pixels of the colour inside the inclusive rectangle.
  int Count(COLORREF c, i32 x1, i32 y1, i32 x2, i32 y2) {
    int n = 0;
    for (i32 y = y1; y <= y2; ++y)
      for (i32 x = x1; x <= x2; ++x) n += At(x, y) == c;
    return n;
  }
};

TEST_F(OverlayWindow, CursorMarkOutlinesTheCursorCell) {
  ASSERT_EQ(MAP_CURSOR_DRAWN, Map_PaintCursorMark(0));
  const COLORREF c = Pal_GetColour(106) & 0xFFFFFFu;
  // Cell (13, 6) of a view at (10, 4): x 96..127, y 32..47.
  EXPECT_EQ(32 * 2 + 16 * 2 - 4, Count(c, 96, 32, 127, 47)) << "the whole outline";
  EXPECT_EQ(c, At(96, 32));
  EXPECT_EQ(c, At(127, 47));
  EXPECT_EQ(kPaper, At(97, 33)) << "the inside is left";
  EXPECT_EQ(kPaper, At(95, 32));
  EXPECT_EQ(kPaper, At(128, 47));
  EXPECT_EQ(0, Count(c, 0, 0, W - 1, 31));

  // Not the active view: nothing is drawn.
  MapShellHooks none = {NoView, NoView, nullptr};
  Map_SetShellHooks(&none);
  g_mapViews[0].cursorX = 2;
  EXPECT_EQ(MAP_CURSOR_NOT_ACTIVE, Map_PaintCursorMark(0));
  EXPECT_EQ(0, Count(c, 0, 0, 95, H - 1));
}

TEST_F(OverlayWindow, ObjectLabelBoxAndTextThroughPaintOverlays) {
  Font_SetMapLabelFont(0, 0, 0, nullptr, 0, 0, 0, 0);
  ASSERT_EQ(0, Logp_Set(16, 8, 0, 255, u"WWW", 0));
  Disp_SetObjectTextMode(192 | SPR_OT_LOG, 0);
  Disp_SetOptTxte(0);
  Map_PaintOverlays(0);
  // The label of cell (16, 8) is centred at x 6 * 32 + 16 + 2 = 210, its
  // top at 4 * 16 (even x).
  const COLORREF ink = Pal_GetColour(180) & 0xFFFFFFu, box = Pal_GetColour(181) & 0xFFFFFFu;
  const i32 top = 64;
  EXPECT_EQ(RGB(0, 0, 0), At(210, top)) << "the black pen of the box's top edge";
  EXPECT_GT(Count(box, 190, top + 1, 230, top + 6), 0) << "the box's brush";
  EXPECT_GT(Count(ink, 190, top, 230, top + 20), 0) << "the text";
  EXPECT_EQ(kPaper, At(210, top - 1));
  // The cursor pass came last, over cell (13, 6).
  EXPECT_EQ(Pal_GetColour(106) & 0xFFFFFFu, At(96, 32));
}

TEST_F(OverlayWindow, GridTextCellInTheMapTextFont) {
  Font_SetMapTextFont(0, 0, 0, nullptr, 0, 0, 0, 0);
  const u32 ink = 0x0000C0u, back = 0x00C0FFFFu;
  MapTextCell cell = {{u'H', u'H', 5, u' '}, ink, back};
  Map_DrawGridTextCell(mem, 2, 20, 10, 0, &cell);
  // Background over 64 x 32 pixels; characters in the first three cells.
  EXPECT_EQ(back, At(20, 10));
  EXPECT_EQ(back, At(83, 41));
  EXPECT_EQ(kPaper, At(84, 41));
  EXPECT_GT(Count(ink, 20, 10, 35, 41), 0) << "first H";
  EXPECT_GT(Count(ink, 36, 10, 51, 41), 0) << "second H";
  EXPECT_GT(Count(ink, 52, 10, 67, 41), 0) << "glyph 5";
  EXPECT_EQ(0, Count(ink, 68, 10, 83, 41)) << "a blank draws nothing";
}

TEST_F(OverlayWindow, ClearAllWindowsPaintsTheClientAndLeavesTheBackBuffer) {
  MapView& v = g_mapViews[0];
  for (i32 i = 0; i < v.backWidth * v.backHeight; ++i) v.back[i] = 0x00123456u;
  v.dirty = 0;
  HDC wdc = GetDC(window);
  RECT r = {0, 0, W, H};
  FillRect(wdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  GdiFlush();
  if (GetPixel(wdc, W / 2, H / 2) == CLR_INVALID) {
    ReleaseDC(window, wdc);
    GTEST_SKIP() << "the window's pixels cannot be read here";
  }
  Map_ClearAllWindows();
  GdiFlush();
  const COLORREF want = GetNearestColor(wdc, Pal_GetColour(PAL_BACKGROUND) & 0xFFFFFFu);
  EXPECT_NE(RGB(0, 0, 0), want);
  EXPECT_EQ(want, GetPixel(wdc, 0, 0));
  EXPECT_EQ(want, GetPixel(wdc, W / 2, H / 2));
  EXPECT_EQ(want, GetPixel(wdc, W - 1, H - 1));
  ReleaseDC(window, wdc);
  EXPECT_EQ(0x00123456u, v.back[0]) << "the back buffer is not touched";
  EXPECT_EQ(0, v.dirty);
}

}  // namespace

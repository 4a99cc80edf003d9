// Drawing on device contexts: pixel buffers copied to a device context,
// the primitives, glyph cells, the preview bitmaps and the stretch flag,
// the status strip, and the paint of a layout view window. Each draws into
// a memory device context over a top-down DIB section whose pixels are
// read back directly.
#include <windows.h>

#include <vector>

#include "operation/dmsg.h"
#include "platform/lng.h"
#include "render/dc.h"
#include "render/status.h"
#include "render/symstr.h"
#include "tests/render_fixture.h"

namespace {

// A memory device context over a w x h top-down 32-bit DIB section.
struct MemDC {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr, old = nullptr;
  u32* bits = nullptr;
  i32 w = 0, h = 0;
  MemDC(i32 width, i32 height) : w(width), h(height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<u32*>(p);
    if (dc && bitmap) old = static_cast<HBITMAP>(SelectObject(dc, bitmap));
  }
  ~MemDC() {
    if (old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
  bool Ok() const { return dc && bits; }
  // The pixel as the buffers hold it (0x00RRGGBB).
  u32 At(i32 x, i32 y) {
    GdiFlush();
    return bits[y * w + x] & 0xFFFFFFu;
  }
  void Fill(u32 buf) {
    GdiFlush();
    for (i32 i = 0; i < w * h; ++i) bits[i] = buf;
  }
  int Count(u32 buf, i32 x1, i32 y1, i32 x2, i32 y2) {  // inclusive
    int n = 0;
    for (i32 y = y1; y <= y2; ++y)
      for (i32 x = x1; x <= x2; ++x) n += At(x, y) == buf;
    return n;
  }
};

const u32 kBack = 0x00102030u;  // buffer order

TEST(DcBlit, CopiesPixelsOneToOne) {
  MemDC m(40, 30);
  ASSERT_TRUE(m.Ok());
  m.Fill(kBack);
  u32 px[5 * 3];
  for (int i = 0; i < 15; ++i) px[i] = 0x00010203u * u32(i + 1);
  SchBuf b = {px, 5, 3};
  EXPECT_EQ(0, Map_BlitToDC(m.dc, 10, 7, 5, 3, &b));
  for (i32 y = 0; y < 30; ++y)
    for (i32 x = 0; x < 40; ++x) {
      bool in = x >= 10 && x < 15 && y >= 7 && y < 10;
      ASSERT_EQ(in ? px[(y - 7) * 5 + (x - 10)] : kBack, m.At(x, y)) << x << "," << y;
    }
}

TEST(DcBlit, StretchesToAnotherSizeAndClipsAtTheEdge) {
  MemDC m(20, 20);
  ASSERT_TRUE(m.Ok());
  m.Fill(kBack);
  u32 px[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00FFFFFFu};
  SchBuf b = {px, 2, 2};
  EXPECT_EQ(0, Map_BlitToDC(m.dc, 2, 3, 4, 4, &b));
  for (i32 y = 0; y < 4; ++y)
    for (i32 x = 0; x < 4; ++x) EXPECT_EQ(px[(y / 2) * 2 + x / 2], m.At(2 + x, 3 + y)) << x << "," << y;
  EXPECT_EQ(kBack, m.At(6, 3));
  EXPECT_EQ(kBack, m.At(2, 7));
  // Partly outside the bitmap: the part inside lands.
  EXPECT_EQ(0, Map_BlitToDC(m.dc, 19, 19, 2, 2, &b));
  EXPECT_EQ(px[0], m.At(19, 19));
}

TEST(DcBlit, RefusesWhatCannotBeCopied) {
  MemDC m(8, 8);
  ASSERT_TRUE(m.Ok());
  m.Fill(kBack);
  u32 px[4] = {};
  SchBuf b = {px, 2, 2}, noPixels = {nullptr, 2, 2}, empty = {px, 0, 2};
  EXPECT_EQ(1, Map_BlitToDC(nullptr, 0, 0, 2, 2, &b));
  EXPECT_EQ(1, Map_BlitToDC(m.dc, 0, 0, 2, 2, nullptr));
  EXPECT_EQ(1, Map_BlitToDC(m.dc, 0, 0, 2, 2, &noPixels));
  EXPECT_EQ(1, Map_BlitToDC(m.dc, 0, 0, 2, 2, &empty));
  EXPECT_EQ(1, Map_BlitToDC(m.dc, 0, 0, 0, 2, &b));
  EXPECT_EQ(64, m.Count(kBack, 0, 0, 7, 7));
}

TEST(DcPrimitives, LinesWithSteps) {
  MemDC m(16, 16);
  ASSERT_TRUE(m.Ok());
  const u32 c = 0x00336699u;  // COLORREF
  struct {
    int vertical;
    i32 a, b;
    int step;
    const char* expect;  // marks along x (or y) 0..15
  } cases[] = {
      {0, 2, 10, 3, "..#..#..#......."},
      {0, 10, 2, 3, "..#..#..#......."},  // either order: from the smaller end
      {0, 4, 4, 5, "....#..........."},
      {0, 1, 5, 0, ".#####.........."},   // a step below 1 draws every pixel
      {0, 1, 5, -2, ".#####.........."},
      {1, 0, 15, 4, "#...#...#...#..."},
      {1, 15, 3, 6, "...#.....#.....#"},
  };
  for (auto& t : cases) {
    m.Fill(kBack);
    if (t.vertical)
      Map_VLine(m.dc, 7, t.a, t.step, c, t.b);
    else
      Map_HLine(m.dc, t.a, 7, t.step, c, t.b);
    for (i32 i = 0; i < 16; ++i) {
      u32 got = t.vertical ? m.At(7, i) : m.At(i, 7);
      EXPECT_EQ(t.expect[i] == '#' ? Map_RgbToBuf(c) : kBack, got) << t.vertical << " " << t.a << " " << t.b
                                                                    << " step " << t.step << " at " << i;
    }
    int marks = 0;
    for (i32 i = 0; i < 16; ++i) marks += t.expect[i] == '#';
    EXPECT_EQ(256 - marks, m.Count(kBack, 0, 0, 15, 15)) << "nothing off the line";
  }
  // Lines ending at the top of the coordinate range end (no wrap-around).
  Map_HLine(m.dc, 0x7FFFFFF0, 7, 8, c, 0x7FFFFFFF);
  Map_VLine(m.dc, 7, 0x7FFFFFFF, 5, c, 0x7FFFFFF0);
  // A line over the whole coordinate range walks only the pixels of the
  // device context and keeps the step phase of its start: -2^31 + 3k lands
  // on 1, 4, 7, ...
  m.Fill(kBack);
  Map_HLine(m.dc, -2147483647 - 1, 3, 3, c, 2147483647);
  for (i32 i = 0; i < 16; ++i) EXPECT_EQ(i % 3 == 1 ? Map_RgbToBuf(c) : kBack, m.At(i, 3)) << i;
}

TEST(DcPrimitives, PixelsRectanglesAndFills) {
  MemDC m(16, 16);
  ASSERT_TRUE(m.Ok());
  m.Fill(kBack);
  // Only the low 24 bits are a colour.
  Map_SetPixel(m.dc, 1, 1, 0x40112233u);
  EXPECT_EQ(Map_RgbToBuf(0x112233u), m.At(1, 1));
  Map_InvertPixel(m.dc, 1, 1);
  EXPECT_EQ(Map_RgbToBuf(0xEEDDCCu), m.At(1, 1));
  Map_InvertPixel(m.dc, -5, 1);  // outside: nothing
  Map_SetPixel(nullptr, 1, 1, 0);

  m.Fill(kBack);
  Map_FillRect(m.dc, 2, 3, 0x00FF8040u, 6, 5);  // inclusive: x 2..5, y 3..6
  EXPECT_EQ(16, m.Count(Map_RgbToBuf(0x00FF8040u), 0, 0, 15, 15));
  EXPECT_EQ(16, m.Count(Map_RgbToBuf(0x00FF8040u), 2, 3, 5, 6));
  Map_FillRect(m.dc, 9, 9, 0x00000001u, 8, 12);  // bottom above top: nothing
  Map_FillRect(m.dc, 12, 9, 0x00000001u, 12, 9);  // right left of left: nothing
  Map_FillRect(m.dc, 14, 14, 0x00000002u, 14, 14);  // one pixel
  EXPECT_EQ(0, m.Count(Map_RgbToBuf(1), 0, 0, 15, 15));
  EXPECT_EQ(Map_RgbToBuf(2), m.At(14, 14));

  m.Fill(kBack);
  Map_FrameRect(m.dc, 3, 2, 0x00ABCDEFu, 9, 12);  // x 3..12, y 2..9
  u32 f = Map_RgbToBuf(0x00ABCDEFu);
  EXPECT_EQ(2 * 10 + 2 * 6, m.Count(f, 0, 0, 15, 15));
  EXPECT_EQ(10, m.Count(f, 3, 2, 12, 2));
  EXPECT_EQ(10, m.Count(f, 3, 9, 12, 9));
  EXPECT_EQ(8, m.Count(f, 3, 2, 3, 9));
  EXPECT_EQ(8, m.Count(f, 12, 2, 12, 9));
  EXPECT_EQ(6 * 8, m.Count(kBack, 4, 3, 11, 8)) << "the inside stays";
}

// ---------------------------------------------------------------- with the graphics store

struct DcStore : RenderStore {
  static void SetUpTestSuite() {
    RenderStore::SetUpTestSuite();
    Lng_Init();
    ASSERT_EQ(0, Lng_LoadFile(u"orba.lng", 1));
  }
};

TEST_F(DcStore, GlyphCellsMatchTheBufferForm) {
  MemDC m(32, 16);
  ASSERT_TRUE(m.Ok());
  const u32 bg = 0x00204080u, ink = 0x00F0E0D0u;  // COLORREF
  for (u32 code : {1u, 5u, 17u, 31u, 32u}) {
    u32 px[8 * 16];
    SchBuf b = {px, 8, 16};
    Map_DrawGlyph(&b, 0, 0, Map_RgbToBuf(bg), Map_RgbToBuf(ink), code);
    m.Fill(kBack);
    Map_DrawGlyph(m.dc, 8, 0, bg, ink, code);
    for (i32 y = 0; y < 16; ++y)
      for (i32 x = 0; x < 8; ++x) ASSERT_EQ(px[y * 8 + x], m.At(8 + x, y)) << code << " " << x << "," << y;
    EXPECT_EQ(16 * 8, m.Count(kBack, 0, 0, 7, 15)) << "left of the cell";
    EXPECT_EQ(16 * 16, m.Count(kBack, 16, 0, 31, 15)) << "right of the cell";
  }
}

TEST_F(DcStore, TransparentGlyphsSetOnlyTheirInk) {
  MemDC m(8, 16);
  ASSERT_TRUE(m.Ok());
  const u32 ink = 0x000000FFu;
  u32 px[8 * 16];
  SchBuf b = {px, 8, 16};
  for (u32& p : px) p = kBack;
  Map_DrawGlyph(&b, 0, 0, SYM_TRANSPARENT, Map_RgbToBuf(ink), 5);
  m.Fill(kBack);
  Map_DrawGlyph(m.dc, 0, 0, SYM_TRANSPARENT, ink, 5);
  int inkPixels = 0;
  for (i32 y = 0; y < 16; ++y)
    for (i32 x = 0; x < 8; ++x) {
      ASSERT_EQ(px[y * 8 + x], m.At(x, y)) << x << "," << y;
      inkPixels += px[y * 8 + x] != kBack;
    }
  EXPECT_GT(inkPixels, 0);
  EXPECT_LT(inkPixels, 8 * 16);
  // The blank glyph on a transparent background draws nothing.
  Map_DrawGlyph(m.dc, 0, 0, SYM_TRANSPARENT, ink, 32);
  Map_DrawGlyph(static_cast<void*>(nullptr), 0, 0, 0, ink, 32);  // no device context
  m.Fill(kBack);
  Map_DrawGlyph(m.dc, 0, 0, SYM_TRANSPARENT, ink, 32);
  EXPECT_EQ(8 * 16, m.Count(kBack, 0, 0, 7, 15));
}

TEST_F(DcStore, StatusStripFillsLabelsAndPictures) {
  ASSERT_EQ(0, Map_CreatePreviewBitmaps());
  MemDC m(800, 80);
  ASSERT_TRUE(m.Ok());
  m.Fill(0);
  Map_PaintStatusStripDC(m.dc, 800, 80);
  u32 strip = Map_RgbToBuf(Pal_GetColour(32));
  // The fields of the owners keep the strip's colour until they paint.
  EXPECT_EQ(strip, m.At(0, 0));
  EXPECT_EQ(strip, m.At(799, 79));
  EXPECT_EQ(strip, m.At(300, 40)) << "the tile palette's field";
  EXPECT_EQ(0, m.Count(0, 0, 0, 799, 79)) << "the whole client is filled";
  // The labels are written into their fields.
  for (int f : {22, 24, 25, 26}) {
    i32 y, w, h, x = Map_GetFieldRect(f, &y, &w, &h);
    EXPECT_LT(m.Count(strip, x, y, x + w - 1, y + h - 1), w * h) << f;
  }
  // Opaque letters start at the middle of the palette buttons 4, 5, 7.
  u32 button = Map_RgbToBuf(Pal_GetColour(36));
  for (int f : {4, 5, 7}) {
    i32 y, w, h, x = Map_GetFieldRect(f, &y, &w, &h);
    EXPECT_GT(m.Count(button, x + w / 2, y, x + w / 2 + 3, y + h - 1), 0) << f;
    EXPECT_EQ(0, m.Count(button, x, y, x + w / 2 - 1, y + h - 1)) << f;
  }
  // Every piece picture changes its field and stays inside it.
  for (int f = 29; f <= 34; ++f) {
    i32 y, w, h, x = Map_GetFieldRect(f, &y, &w, &h);
    EXPECT_LT(m.Count(strip, x, y, x + w - 1, y + h - 1), w * h) << f;
    EXPECT_EQ(w + 2, m.Count(strip, x - 1, y - 1, x + w, y - 1)) << "above field " << f;
    EXPECT_EQ(w + 2, m.Count(strip, x - 1, y + h, x + w, y + h)) << "below field " << f;
  }
  Map_FreePreviewBitmaps();
}

TEST_F(DcStore, StatusStripFollowsAWideFrame) {
  MemDC m(1200, 80);
  ASSERT_TRUE(m.Ok());
  Map_SetFieldLayout(1, 1200);
  Map_PaintStatusStripDC(m.dc, 1200, 80);
  Map_SetFieldLayout(0, STATUS_DESIGN_WIDTH);
  u32 strip = Map_RgbToBuf(Pal_GetColour(32));
  i32 x = (608 * 1200 - 16) / 800 + 8;  // field 29
  EXPECT_LT(m.Count(strip, x, 8, x + 31, 23), 32 * 16);
  EXPECT_EQ(32 * 16, m.Count(strip, 608, 8, 608 + 31, 23)) << "not at the design place";
}

// The dispatcher indicator: its three symbols in the colour of the table's
// state on the indicator's background, in its field and nowhere else.
TEST_F(DcStore, DispatcherIndicatorShowsTheTable) {
  MemDC m(800, 80);
  ASSERT_TRUE(m.Ok());
  i32 y, w, h;
  const i32 x = Map_GetFieldRect(DMSG_INDICATOR_FIELD, &y, &w, &h);
  ASSERT_EQ(3 * SYM_CELL, w);
  const u32 back = Map_RgbToBuf(Pal_GetColour(DMSG_INDICATOR_BACK));
  Dmsg_Init();
  struct Step {
    const char* what;
    void (*change)(void);
    int colour;
    u32 firstCode;
  } steps[] = {
      {"empty", [] { Dmsg_Clear(); }, 101, 18},
      {"a message not yet shown", [] { Dmsg_Post(13, 1, 1, 0, 0, 0, 0, 0); }, 103, 21},
      {"the list was shown", [] { Dmsg_MarkSeen(); }, 102, 18},
      {"full",
       [] {
         for (u32 i = 0; i < DMSG_MAX_ENTRIES; ++i) Dmsg_Post(13, 1, 1, 0, i, 0, 0, 0);
         Dmsg_MarkSeen();
       },
       104, 21},
  };
  for (const Step& s : steps) {
    s.change();
    const u32 ink = Map_RgbToBuf(Pal_GetColour(s.colour));
    ASSERT_NE(back, ink) << s.what;
    m.Fill(kBack);
    Map_PaintDispatcherIndicator(m.dc);
    EXPECT_EQ(800 * 80 - w * h, m.Count(kBack, 0, 0, 799, 79)) << s.what << ": only the field is painted";
    for (u32 k = 0; k < 3; ++k) {
      u32 px[SYM_CELL * SYM_HEIGHT];
      SchBuf b = {px, SYM_CELL, SYM_HEIGHT};
      Map_DrawGlyph(&b, 0, 0, back, ink, s.firstCode + k);
      int inkPixels = 0;
      for (i32 gy = 0; gy < SYM_HEIGHT; ++gy)
        for (i32 gx = 0; gx < SYM_CELL; ++gx) {
          ASSERT_EQ(px[gy * SYM_CELL + gx], m.At(x + i32(k) * SYM_CELL + gx, y + gy))
              << s.what << ", symbol " << k << " at " << gx << "," << gy;
          inkPixels += px[gy * SYM_CELL + gx] == ink;
        }
      EXPECT_GT(inkPixels, 0) << s.what << ", symbol " << k;
    }
  }
  Dmsg_Clear();
}

// ---------------------------------------------------------------- preview bitmaps

TEST(DcPreview, BitmapsAreMadeOnceAndFreed) {
  ASSERT_EQ(0, Map_CreatePreviewBitmaps());
  ASSERT_NE(nullptr, Map_GetScreenDC());
  struct {
    int which;
    LONG w, h;
    WORD bits;  // 0: any (compatible with the screen)
  } cases[] = {{0, 32, 16, 0}, {1, 64, 32, 0}, {2, 128, 64, 0}, {3, 8, 16, 1}};
  HDC first[4];
  for (auto& c : cases) {
    HDC dc = static_cast<HDC>(Map_GetPreviewDC(c.which));
    ASSERT_NE(nullptr, dc) << c.which;
    first[c.which] = dc;
    BITMAP bm = {};
    ASSERT_NE(0, GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm)) << c.which;
    EXPECT_EQ(c.w, bm.bmWidth) << c.which;
    EXPECT_EQ(c.h, bm.bmHeight) << c.which;
    if (c.bits) {
      EXPECT_EQ(c.bits, bm.bmBitsPixel) << c.which;
    }
    if (c.which < 3) {
      EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
      EXPECT_EQ(UINT(TA_CENTER), GetTextAlign(dc) & TA_CENTER);
    }
  }
  EXPECT_EQ(0, Map_CreatePreviewBitmaps()) << "nothing missing";
  for (int i = 0; i < 4; ++i) EXPECT_EQ(first[i], Map_GetPreviewDC(i)) << "made once";
  EXPECT_EQ(nullptr, Map_GetPreviewDC(4));
  EXPECT_EQ(nullptr, Map_GetPreviewDC(-1));
  Map_FreePreviewBitmaps();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(nullptr, Map_GetPreviewDC(i));
  EXPECT_EQ(nullptr, Map_GetScreenDC());
  Map_FreePreviewBitmaps();  // twice is harmless
}

TEST(DcPreview, StretchCapsFollowTheScreen) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(nullptr, screen);
  int caps = (GetDeviceCaps(screen, 38) & 0x200) ? 1 : 0;
  ReleaseDC(nullptr, screen);
  Map_SetStretchCaps(1);
  EXPECT_EQ(caps, Map_GetStretchCaps());
  Map_SetStretchCaps(0);
  EXPECT_EQ(0, Map_GetStretchCaps());
}

// ---------------------------------------------------------------- a view window

LRESULT CALLBACK TestViewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    Map_OnViewPaint(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

struct DcWindow : RenderStore {
  HWND window = nullptr;
  std::vector<u32> reference;
  void SetUp() override {
    RenderStore::SetUp();
    for (i32 y = 0; y < 12; ++y)
      for (i32 x = 0; x < 12; ++x) Grid_SetCell(x, y, 0, u32((x * 7 + y * 3) % 5) * 1024u);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TestViewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrbaTestView";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, L"OrbaTestView", L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 160, nullptr, nullptr,
                             wc.hInstance, nullptr);
    // Wine without a display makes no windows; the memory device contexts
    // above cover the drawing there.
    if (!window) GTEST_SKIP() << "no window can be made here";
    ASSERT_EQ(0, Map_OpenView(0, window, MAP_MODE_PICTURE, 1, 0, 0, 0, 320, 160));
    Map_RedrawView(0);
    const MapView& v = g_mapViews[0];
    reference.assign(v.back, v.back + v.backWidth * v.backHeight);
    UpdateWindow(window);  // a hidden window has no update region; the shown one starts with all of it
    ValidateRect(window, nullptr);
    Clear();
  }
  void TearDown() override {
    RenderStore::TearDown();
    if (window) DestroyWindow(window);
  }
  void Clear() {
    MapView& v = g_mapViews[0];
    for (i32 i = 0; i < v.backWidth * v.backHeight; ++i) v.back[i] = 0x00ABCDEFu;
  }
  // Pixels of the back buffer redrawn (as the reference) inside the
  // inclusive rectangle; untouched outside.
  void ExpectOnly(i32 left, i32 top, i32 bottom, i32 right) {
    const MapView& v = g_mapViews[0];
    int wrong = 0;
    for (i32 y = 0; y < v.backHeight; ++y)
      for (i32 x = 0; x < v.backWidth; ++x) {
        bool in = x >= left && x <= right && y >= top && y <= bottom;
        u32 p = v.back[y * v.backWidth + x];
        wrong += in ? p != reference[y * v.backWidth + x] : p != 0x00ABCDEFu;
      }
    EXPECT_EQ(0, wrong);
  }
  bool Pending(RECT* r) { return GetUpdateRect(window, r, FALSE) != 0; }
};

TEST_F(DcWindow, InvalidatePaintRepaintAndScroll) {
  RECT r;
  ASSERT_FALSE(Pending(&r));
  g_mapViews[0].ready = 1;
  Map_InvalidateRect(0, 32, 16, 31, 63);
  EXPECT_EQ(0, g_mapViews[0].ready);
  ASSERT_TRUE(Pending(&r));
  EXPECT_EQ(32, r.left);
  EXPECT_EQ(16, r.top);
  EXPECT_EQ(64, r.right) << "widened by one";
  EXPECT_EQ(32, r.bottom);
  UpdateWindow(window);  // WM_PAINT: Map_OnViewPaint
  ExpectOnly(32, 16, 31, 63);
  EXPECT_FALSE(Pending(&r));
  EXPECT_EQ(1, g_mapViews[0].ready);

  Clear();
  Map_InvalidateRect(0, 0, 0, 15, 31);
  Map_RepaintRect(0, 0, 0, 15, 31);
  ExpectOnly(0, 0, 15, 31);
  EXPECT_FALSE(Pending(&r)) << "validated";

  Map_ScrollView(window, 0, 0, 0, 0, 159, 319);
  Map_ScrollView(window, 0, 0, 16, 32, -1, 319);
  EXPECT_FALSE(Pending(&r)) << "no distance or no area: nothing";
  Map_ScrollView(window, 0, 0, 0, 32, 159, 319);
  ASSERT_TRUE(Pending(&r));
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(32, r.right);
  EXPECT_EQ(0, r.top);
  EXPECT_EQ(160, r.bottom);
}

}  // namespace

// View windows as the map sees them: invalidating a rectangle, repainting
// it, the paint of a view and scrolling. Natively the window's update
// region is the view's bounding rectangle of what was invalidated; each
// paint redraws exactly that part of the back buffer from the layout.
#include <climits>
#include <vector>

#include "render/sprview.h"
#include "tests/render_fixture.h"

namespace {

const u32 kUntouched = 0x00ABCDEFu;

struct MapView_ : RenderStore {
  int windows[MAP_VIEWS] = {};
  std::vector<u32> reference;  // the whole view as a full redraw draws it

  void SetUp() override {
    RenderStore::SetUp();
    // Some variety, so that a cell drawn in the wrong place shows.
    for (i32 y = 0; y < 12; ++y)
      for (i32 x = 0; x < 12; ++x) Grid_SetCell(x, y, 0, u32((x * 7 + y * 3) % 5) * 1024u);
  }
  void Open(int v, int mode, int scale, i32 w = 320, i32 h = 160) {
    ASSERT_EQ(0, Map_OpenView(v, &windows[v], mode, scale, 0, 0, 0, w, h));
    Map_RedrawView(v);
    const MapView& m = g_mapViews[v];
    reference.assign(m.back, m.back + m.backWidth * m.backHeight);
    Clear(v);
  }
  void Clear(int v) {
    MapView& m = g_mapViews[v];
    for (i32 i = 0; i < m.backWidth * m.backHeight; ++i) m.back[i] = kUntouched;
    m.dirty = 0;
  }
  // Every pixel inside the inclusive rectangle as the full redraw drew it,
  // every pixel outside untouched.
  void ExpectOnly(int v, i32 left, i32 top, i32 bottom, i32 right) {
    const MapView& m = g_mapViews[v];
    int wrongIn = 0, wrongOut = 0;
    for (i32 y = 0; y < m.backHeight; ++y)
      for (i32 x = 0; x < m.backWidth; ++x) {
        u32 p = m.back[y * m.backWidth + x];
        if (x >= left && x <= right && y >= top && y <= bottom)
          wrongIn += p != reference[y * m.backWidth + x];
        else
          wrongOut += p != kUntouched;
      }
    EXPECT_EQ(0, wrongIn) << "pixels inside not redrawn";
    EXPECT_EQ(0, wrongOut) << "pixels outside redrawn";
  }
  void ExpectNothingDrawn(int v) { ExpectOnly(v, 0, 0, -1, -1); }
};

TEST_F(MapView_, InvalidateRectClearsTheReadyFlagOfThatViewOnly) {
  Open(0, MAP_MODE_PICTURE, 1);
  Open(1, MAP_MODE_PICTURE, 1);
  g_mapViews[0].ready = g_mapViews[1].ready = 1;
  Map_InvalidateRect(0, 64, 16, 47, 127);
  EXPECT_EQ(0, g_mapViews[0].ready);
  EXPECT_EQ(1, g_mapViews[1].ready);
  ExpectNothingDrawn(0);  // the paint redraws, not the invalidation
}

// A rectangle that misses the client brings no paint: the view must stay
// ready, or its paint thread would never present it again.
TEST_F(MapView_, InvalidateRectOutsideTheClientKeepsTheViewReady) {
  Open(0, MAP_MODE_PICTURE, 1);
  const MapView& m = g_mapViews[0];
  const struct {
    i32 left, top, bottom, right;
  } outside[] = {{-40, 0, 15, -1}, {0, -30, -1, 31}, {m.clientWidth, 0, 15, m.clientWidth + 31},
                 {0, m.clientHeight, m.clientHeight + 15, 31}, {50, 10, 5, 60}};
  for (const auto& r : outside) {
    g_mapViews[0].ready = 1;
    Map_InvalidateRect(0, r.left, r.top, r.bottom, r.right);
    EXPECT_EQ(1, m.ready) << r.left << "," << r.top;
  }
  Map_InvalidateRect(0, -10, -10, 0, 0);  // one pixel inside
  EXPECT_EQ(0, m.ready);
}

#ifndef _WIN32
// The update region of a window is Windows' own; these follow the native
// stand-in (the Windows build tests a real window in dc_win32_test).
TEST_F(MapView_, InvalidateRectClearsReadyAndPaintRedrawsIt) {
  Open(0, MAP_MODE_PICTURE, 1);
  Open(1, MAP_MODE_PICTURE, 1);
  g_mapViews[0].ready = g_mapViews[1].ready = 1;
  Map_InvalidateRect(0, 64, 16, 47, 127);  // cells 2..3 of rows 1..2
  EXPECT_EQ(0, g_mapViews[0].ready);
  EXPECT_EQ(1, g_mapViews[1].ready) << "another view keeps its flag";
  Map_OnViewPaint(1);
  ExpectNothingDrawn(1);
  Map_OnViewPaint(0);
  ExpectOnly(0, 64, 16, 47, 127);
  EXPECT_EQ(1, g_mapViews[0].dirty);
  EXPECT_EQ(1, g_mapViews[0].ready);
  // The paint took the update region: a second paint draws nothing.
  Clear(0);
  Map_OnViewPaint(0);
  ExpectNothingDrawn(0);
}

TEST_F(MapView_, InvalidatedRectanglesAddUp) {
  Open(0, MAP_MODE_PICTURE, 1);
  Map_InvalidateRect(0, 0, 0, 15, 31);
  Map_InvalidateRect(0, 96, 32, 47, 127);
  Map_OnViewPaint(0);
  ExpectOnly(0, 0, 0, 47, 127);  // natively one bounding rectangle
}

#endif

TEST_F(MapView_, RepaintRectRedrawsAndValidates) {
  struct {
    int mode, scale;
    i32 left, top, bottom, right;
  } cases[] = {
      {MAP_MODE_PICTURE, 1, 32, 16, 31, 63},      // one cell
      {MAP_MODE_PICTURE, 2, 64, 32, 95, 191},     // two by two cells at scale 2
      {MAP_MODE_SCHEMATIC, 1, 16, 32, 63, 47},    // schematic cells of 16
      {MAP_MODE_SCHEMATIC, 2, 0, 8, 15, 23},      // and of 8
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " scale " << c.scale);
    Open(0, c.mode, c.scale);
    Map_InvalidateRect(0, c.left, c.top, c.bottom, c.right);
    Map_RepaintRect(0, c.left, c.top, c.bottom, c.right);
    ExpectOnly(0, c.left, c.top, c.bottom, c.right);
    EXPECT_EQ(1, g_mapViews[0].dirty);
    EXPECT_EQ(1, g_mapViews[0].ready);
    // Validated: the paint that follows has nothing left to do.
    Clear(0);
    Map_OnViewPaint(0);
    ExpectNothingDrawn(0);
    Map_CloseView(0);
  }
}

#ifndef _WIN32
TEST_F(MapView_, RepaintOfAPartDoesNotValidateTheRest) {
  Open(0, MAP_MODE_PICTURE, 1);
  Map_InvalidateRect(0, 0, 0, 31, 63);
  Map_RepaintRect(0, 0, 0, 15, 31);
  Clear(0);
  Map_OnViewPaint(0);
  ExpectOnly(0, 0, 0, 31, 63);
}

TEST_F(MapView_, EdgesAtTheEndOfTheRangeAndBeyondTheClient) {
  Open(0, MAP_MODE_PICTURE, 1);
  Map_InvalidateRect(0, -50, -50, INT_MAX, INT_MAX);  // no overflow widening the edges
  Map_OnViewPaint(0);
  ExpectOnly(0, 0, 0, 159, 319);
  Clear(0);
  Map_RepaintRect(0, 288, 144, INT_MAX, INT_MAX);
  ExpectOnly(0, 288, 144, 159, 319);
}
#endif

TEST_F(MapView_, ClosedOrMissingViewsAreLeftAlone) {
  Open(0, MAP_MODE_PICTURE, 1);
  for (int v : {-1, 1, 5, 6, 100}) {
    Map_InvalidateRect(v, 0, 0, 159, 319);
    Map_RepaintRect(v, 0, 0, 159, 319);
    Map_OnViewPaint(v);
  }
  Map_OnViewPaint(0);
  ExpectNothingDrawn(0);
  EXPECT_EQ(nullptr, g_mapViews[1].window);
}

TEST_F(MapView_, AClosedSlotKeepsWhatItShowedAndOpensWithoutABufferFirst) {
  ASSERT_EQ(0, Map_OpenView(2, &windows[2], MAP_MODE_SCHEMATIC, 4, 100, 200, -1, 320, 160));
  g_mapViews[2].cursorX = 150;
  g_mapViews[2].cursorY = 250;
  Map_CloseView(2);
  const MapView& m = g_mapViews[2];
  EXPECT_EQ(nullptr, m.window);
  EXPECT_EQ(nullptr, m.back);
  EXPECT_EQ(nullptr, m.lock.impl);
  EXPECT_EQ(MAP_MODE_SCHEMATIC, m.mode);
  EXPECT_EQ(4, m.scale);
  EXPECT_EQ(100, m.originX);
  EXPECT_EQ(200, m.originY);
  EXPECT_EQ(-1, m.level);
  EXPECT_EQ(150, m.cursorX);
  EXPECT_EQ(250, m.cursorY);

  ASSERT_EQ(0, Map_OpenView(2, &windows[2], MAP_MODE_PICTURE, 1, 0, 0, 0, 0, 0));
  EXPECT_EQ(nullptr, m.back) << "the shell sizes the buffer next";
  EXPECT_NE(nullptr, m.lock.impl);
  Map_RedrawCell(0, 0, 0, MAP_REDRAW_ALL);
  Map_RedrawView(2);
  Map_CloseView(2);
  EXPECT_EQ(nullptr, m.window);
  EXPECT_EQ(nullptr, m.lock.impl) << "a slot without a buffer frees its lock too";
  EXPECT_EQ(1, Map_OpenView(2, &windows[2], MAP_MODE_PICTURE, 1, 0, 0, 0, 0, 160));
}

#ifndef _WIN32
TEST_F(MapView_, ScrollInvalidatesWhatIsUncovered) {
  struct {
    i32 dy, dx;
    i32 left, top, bottom, right;  // expected redraw after the paint
  } cases[] = {
      {0, 32, 0, 0, 159, 31},       // right: the left strip
      {0, -64, 256, 0, 159, 319},   // left: the right strip
      {16, 0, 0, 0, 15, 319},       // down: the top strip
      {-32, 0, 0, 128, 159, 319},   // up: the bottom strip
      {0, 400, 0, 0, 159, 319},     // further than the rectangle: all of it
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "dx " << c.dx << " dy " << c.dy);
    Open(0, MAP_MODE_PICTURE, 1);
    Map_ScrollView(&windows[0], 0, 0, c.dy, c.dx, 159, 319);
    Map_OnViewPaint(0);
    ExpectOnly(0, c.left, c.top, c.bottom, c.right);
    Map_CloseView(0);
  }
}
#endif

TEST_F(MapView_, ScrollWithoutDistanceOrAreaDoesNothing) {
  Open(0, MAP_MODE_PICTURE, 1);
  g_mapViews[0].ready = 1;
  Map_ScrollView(&windows[0], 0, 0, 0, 0, 159, 319);   // no distance
  Map_ScrollView(&windows[0], 100, 0, 16, 32, 159, 99);  // left > right
  Map_ScrollView(&windows[0], 0, 50, 16, 32, 49, 319);   // top > bottom
  Map_ScrollView(nullptr, 0, 0, 16, 32, 159, 319);
  int stranger = 0;
  Map_ScrollView(&stranger, 0, 0, 16, 32, 159, 319);  // not a view's window
  Map_OnViewPaint(0);
  ExpectNothingDrawn(0);
  EXPECT_EQ(1, g_mapViews[0].ready);
}

}  // namespace

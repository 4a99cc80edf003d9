// Mouse cursor state: nested waits, styles, scroll speed, and the cursor a
// view shows for edge-scroll zones and the marked box's edges.
#include <gtest/gtest.h>

#include "render/compose.h"
#include "render/cursor.h"
#include "render/map.h"

namespace {

TEST(Cursor, NestedWaitsAndStates) {
  Cur_Init();
  Cur_SetState(CUR_NORMAL);
  Cur_SetState(CUR_WAIT_BEGIN);
  Cur_SetState(CUR_WAIT_BEGIN);
  EXPECT_EQ(CUR_IDX_WAIT, g_cursorState.shown);
  Cur_SetState(CUR_WAIT_END);
  EXPECT_EQ(CUR_IDX_WAIT, g_cursorState.shown) << "one end keeps the wait cursor";
  Cur_SetState(CUR_WAIT_END);
  EXPECT_EQ(CUR_IDX_NORMAL, g_cursorState.shown);
  Cur_SetState(CUR_FIXED);
  Cur_SetState(CUR_WAIT_BEGIN);
  Cur_SetState(CUR_WAIT_END);
  EXPECT_EQ(CUR_IDX_FIXED, g_cursorState.shown) << "back to the fixed cursor";
  Cur_SetState(CUR_WAIT_END);
  EXPECT_EQ(0, g_cursorState.waitCount);
  EXPECT_EQ(CUR_FIXED, Cur_SetState(77)) << "unknown state: nothing changes";
  Cur_SetState(CUR_NORMAL);
  Cur_SetMode(CUR_STYLE_ARROW);
  EXPECT_EQ(CUR_IDX_ARROW, g_cursorState.shown);
  EXPECT_EQ(CUR_STYLE_ARROW, Cur_GetMode());
  Cur_SetMode(53);
  EXPECT_EQ(CUR_STYLE_ARROW, Cur_GetMode());
  Cur_SetMode(CUR_STYLE_OWN);
}

TEST(Cursor, ScrollSpeed) {
  EXPECT_EQ(0, Cur_SetScrollSpeed(-1));
  EXPECT_EQ(55, Cur_GetScrollSpeed());
  EXPECT_EQ(0, Cur_SetScrollSpeed(10));
  EXPECT_EQ(1, Cur_SetScrollSpeed(101));
  EXPECT_EQ(1, Cur_SetScrollSpeed(9));
  EXPECT_EQ(10, Cur_GetScrollSpeed());
  Cur_SetScrollSpeed(-1);
}

TEST(Cursor, ViewCursorChoice) {
  Cur_Init();
  Cur_SetFlags(9);
  struct {
    int dialog, hit, active;
    i32 mx, my;
    int box, result, index;
    const char* what;
  } cases[] = {
      {1, 0, 1, 5, 5, 0, 0, CUR_IDX_NO, "a dialog is open"},
      {0, 3, 1, 5, 5, 0, 3, CUR_IDX_SIZE_WE, "sizing hit code"},
      {0, 5, 1, 5, 5, 0, 5, CUR_IDX_SIZE_NS, "sizing hit code"},
      {0, 0, 1, 5, 5, 0, 1, 8, "top-left zone"},
      {0, 0, 1, 395, 5, 0, 1, 11, "top-right zone"},
      {0, 0, 1, 5, 295, 0, 1, 10, "bottom-left zone"},
      {0, 0, 1, 395, 295, 0, 1, 9, "bottom-right zone"},
      {0, 0, 1, 5, 150, 0, 1, 4, "left"},
      {0, 0, 1, 200, 295, 0, 1, 7, "bottom"},
      {0, 0, 0, 5, 5, 0, 0, CUR_IDX_NORMAL, "not the active view: no edge cursor"},
      {0, 0, 1, 100, 150, 1, 2, CUR_IDX_SIZE_WE, "box left edge"},
      {0, 0, 1, 202, 150, 1, 3, CUR_IDX_SIZE_WE, "box right edge"},
      {0, 0, 1, 150, 98, 1, 4, CUR_IDX_SIZE_NS, "box top edge"},
      {0, 0, 1, 150, 200, 1, 5, CUR_IDX_SIZE_NS, "box bottom edge"},
      {0, 0, 1, 150, 150, 1, 0, CUR_IDX_NORMAL, "inside the box"},
      {0, 0, 1, 96, 150, 1, 0, CUR_IDX_NORMAL, "4 pixels off"},
  };
  for (auto& c : cases) {
    CurViewInput in = {c.dialog, c.hit, c.active, c.mx, c.my, 400, 300, c.box, 100, 100, 200, 200};
    int index = -1;
    EXPECT_EQ(c.result, Cur_ChooseForView(&in, &index)) << c.what;
    EXPECT_EQ(c.index, index) << c.what;
  }
  Cur_SetFlags(8);
  CurViewInput in = {0, 0, 1, 5, 5, 400, 300, 0, 0, 0, 0, 0};
  int index;
  EXPECT_EQ(0, Cur_ChooseForView(&in, &index)) << "edge scrolling off";
  Cur_SetFlags(9);
}

}  // namespace

namespace {

// Every own cursor is drawn: some opaque pixels, a white body with a black
// outline, and the hot spot on the picture.
// The marked box's pixel rectangle in each kind of view, as the sizing
// cursors need it, and the view level deciding whether it counts.
TEST(Cursor, BoxPixelRectangleByViewKind) {
  int token = 0;
  const SprBox saved = g_sprBox;
  g_sprBox = SprBox{1, 12, 7, 14, 9, -1, 0};  // columns 12..14, rows 7..9, levels -1..0
  struct {
    int mode, scale;
    i32 level, l, t, r, b;
  } cases[] = {
      // picture: 32 x 16 per cell at scale 1, with the pixel offset (3, 2)
      {MAP_MODE_PICTURE, 1, 0, (12 - 10) * 32 + 3, (7 - 5) * 16 + 2, (15 - 10) * 32 + 3 - 1, (10 - 5) * 16 + 2 - 1},
      {MAP_MODE_PICTURE, 2, 0, 2 * (2 * 32 + 3), 2 * (2 * 16 + 2), 2 * (5 * 32 + 3) - 1, 2 * (5 * 16 + 2) - 1},
      // schematic: 16 pixels a cell divided by the scale
      {MAP_MODE_SCHEMATIC, 2, -1, (2 * 16 + 3) / 2, (2 * 16 + 2) / 2, (5 * 16 + 3) / 2 - 1, (5 * 16 + 2) / 2 - 1},
      // overview: one pixel for scale x scale cells
      {MAP_MODE_OVERVIEW, 1, 0, 2, 2, 4, 4},
  };
  for (auto& c : cases) {
    ASSERT_EQ(0, Map_OpenView(0, &token, c.mode, c.scale, 10, 5, c.level, 400, 300));
    g_mapViews[0].pixOffX = 3;
    g_mapViews[0].pixOffY = 2;
    i32 l, t, r, b;
    ASSERT_EQ(1, Cur_BoxPixelRect(0, &l, &t, &r, &b)) << c.mode;
    EXPECT_EQ(c.l, l) << c.mode << " scale " << c.scale;
    EXPECT_EQ(c.t, t) << c.mode;
    EXPECT_EQ(c.r, r) << c.mode;
    EXPECT_EQ(c.b, b) << c.mode;
    Map_CloseView(0);
  }
  ASSERT_EQ(0, Map_OpenView(0, &token, MAP_MODE_PICTURE, 1, 10, 5, -2, 400, 300));
  i32 l, t, r, b;
  EXPECT_EQ(0, Cur_BoxPixelRect(0, &l, &t, &r, &b)) << "level -2 lies outside the box's levels";
  g_sprBox.level1 = -2;
  EXPECT_EQ(1, Cur_BoxPixelRect(0, &l, &t, &r, &b));
  g_sprBox.shown = 0;
  EXPECT_EQ(0, Cur_BoxPixelRect(0, &l, &t, &r, &b));
  EXPECT_EQ(0, Cur_BoxPixelRect(1, &l, &t, &r, &b)) << "an empty slot";
  // A box far beyond the view gives clamped pixels, not a wrapped rectangle.
  g_sprBox = SprBox{1, 0, 0, 32767, 32767, -4, 0};
  g_mapViews[0].originX = 32000;
  ASSERT_EQ(1, Cur_BoxPixelRect(0, &l, &t, &r, &b));
  EXPECT_LT(l, 0);
  EXPECT_GT(r, 0);
  Map_CloseView(0);
  g_sprBox = saved;
}

// Without loaded cursors the view handler does nothing; with them a sizing
// hit code passes through and no mouse position means no edge zone.
TEST(Cursor, ViewHandlerUsesTheHitCodeAndNeedsTheCursors) {
  const CursorState saved = g_cursorState;
  g_cursorState.initialised = 0;
  EXPECT_EQ(0, Cur_OnSetCursor(nullptr, 3));
  if (Cur_Init() != 0) {
    g_cursorState = saved;
    GTEST_SKIP() << "no mouse on this machine";
  }
  int token = 0;
  ASSERT_EQ(0, Map_OpenView(0, &token, MAP_MODE_PICTURE, 1, 0, 0, 0, 400, 300));
  Cur_SetActiveView(&token);
  EXPECT_EQ(3, Cur_OnSetCursor(&token, 3));
  EXPECT_EQ(4, Cur_OnSetCursor(&token, 4));
  EXPECT_EQ(0, Cur_OnSetCursor(&token, 0)) << "natively there is no mouse: no edge zone";
  Map_ScrollView(&token, 0, 0, 16, 0, 299, 399);  // scrolls and chooses again without harm
  Cur_SetActiveView(nullptr);
  Map_CloseView(0);
  Cur_Free();
  g_cursorState = saved;
}

TEST(Cursor, OwnCursorShapes) {
  for (int n = 1; n <= 11; ++n) {
    u8 andMask[128], xorMask[128];
    int hx = -1, hy = -1;
    ASSERT_EQ(0, Cur_DrawShape(n, andMask, xorMask, &hx, &hy));
    int black = 0, white = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        int a = (andMask[y * 4 + x / 8] >> (7 - x % 8)) & 1, b = (xorMask[y * 4 + x / 8] >> (7 - x % 8)) & 1;
        if (!a) (b ? white : black)++;
      }
    EXPECT_GT(black, 10) << n;
    EXPECT_GT(white, 10) << n;
    ASSERT_TRUE(hx >= 0 && hx < 32 && hy >= 0 && hy < 32) << n;
    EXPECT_EQ(0, (andMask[hy * 4 + hx / 8] >> (7 - hx % 8)) & 1) << "hot spot on the picture, cursor " << n;
  }
  u8 a[128], b[128];
  int x, y;
  EXPECT_EQ(1, Cur_DrawShape(0, a, b, &x, &y));
  EXPECT_EQ(1, Cur_DrawShape(12, a, b, &x, &y));
}

}  // namespace

// Mouse cursor state: nested waits, styles, scroll speed, and the cursor a
// view shows for edge-scroll zones and the marked box's edges.
#include <gtest/gtest.h>

#include "render/cursor.h"

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

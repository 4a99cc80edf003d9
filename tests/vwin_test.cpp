// The portable decisions of the layout view windows: zoom steps and
// commands, sizes in cells, the zoom origin, tracking limits, the frame
// rate, the activation order, scrolling by cells, input translation and the
// window arrangement. Views are opened natively with stand-in windows.
#include <gtest/gtest.h>

#include "platform/heap.h"
#include "render/map.h"
#include "shell/cmd.h"
#include "shell/vwin.h"

namespace {

struct Vwin : ::testing::Test {
  int windows[VWIN_SLOTS] = {};
  void SetUp() override {
    Heap_Init();
    Vwin_ClearSlots();
  }
  void TearDown() override { Vwin_ClearSlots(); }
  // Opens slot with a stand-in window, the origin at x, y and the cursor
  // at its top-left cell.
  void Open(int slot, int mode, int scale, i32 width = 320, i32 height = 160, i32 x = 100, i32 y = 200) {
    ASSERT_EQ(0, Map_OpenView(slot, &windows[slot], mode, scale, x, y, 0, width, height));
    g_mapViews[slot].cursorX = x;
    g_mapViews[slot].cursorY = y;
  }
  MapView& View(int slot) { return g_mapViews[slot]; }
};

// ---------------------------------------------------------------- zoom table

TEST(VwinZoom, StepsInAndOutOfEveryModeAndScale) {
  struct Case {
    int mode, scale, in, result, newMode, newScale;
  } cases[] = {
      {1, 1, 1, 0, 1, 2},  {1, 2, 1, 0, 1, 4},  {1, 4, 1, 0, 1, 6},  {1, 6, 1, 0, 1, 8},  {1, 8, 1, 5, 0, 0},
      {1, 1, 0, 0, 2, 1},  {1, 2, 0, 0, 1, 1},  {1, 4, 0, 0, 1, 2},  {1, 6, 0, 0, 1, 4},  {1, 8, 0, 0, 1, 6},
      {2, 1, 1, 0, 1, 1},  {2, 2, 1, 0, 2, 1},  {2, 4, 1, 0, 2, 2},  {2, 8, 1, 0, 2, 4},  {2, 1, 0, 0, 2, 2},
      {2, 2, 0, 0, 2, 4},  {2, 4, 0, 0, 2, 8},  {2, 8, 0, 0, 3, 1},  {3, 1, 1, 0, 2, 8},  {3, 2, 1, 0, 3, 1},
      {3, 64, 1, 0, 3, 32}, {3, 1, 0, 0, 3, 2}, {3, 32, 0, 0, 3, 64}, {3, 64, 0, 5, 0, 0}, {1, 3, 1, 5, 0, 0},
      {2, 16, 0, 5, 0, 0}, {4, 1, 1, 5, 0, 0},
  };
  for (const Case& c : cases) {
    int m = 0, s = 0;
    EXPECT_EQ(c.result, Vwin_ZoomStep(c.mode, c.scale, c.in, &m, &s)) << c.mode << "/" << c.scale << " in " << c.in;
    if (c.result == 0) {
      EXPECT_EQ(c.newMode, m) << c.mode << "/" << c.scale << " in " << c.in;
      EXPECT_EQ(c.newScale, s) << c.mode << "/" << c.scale << " in " << c.in;
    }
  }
}

TEST(VwinZoom, EveryStepInIsUndoneByTheStepOut) {
  for (int mode = 1; mode <= 3; ++mode)
    for (int scale = 1; scale <= 64; ++scale) {
      int m, s, back, backScale;
      if (!Vwin_ValidScale(mode, scale) || Vwin_ZoomStep(mode, scale, 1, &m, &s) != 0) continue;
      ASSERT_EQ(0, Vwin_ZoomStep(m, s, 0, &back, &backScale));
      EXPECT_EQ(mode, back);
      EXPECT_EQ(scale, backScale);
    }
}

TEST(VwinZoom, ValidScalesPerMode) {
  const int picture[] = {1, 2, 4, 6, 8}, schematic[] = {1, 2, 4, 8}, overview[] = {1, 2, 4, 8, 16, 32, 64};
  auto count = [](int mode) {
    int n = 0;
    for (int s = -1; s <= 130; ++s) n += Vwin_ValidScale(mode, s);
    return n;
  };
  for (int s : picture) EXPECT_TRUE(Vwin_ValidScale(1, s)) << s;
  for (int s : schematic) EXPECT_TRUE(Vwin_ValidScale(2, s)) << s;
  for (int s : overview) EXPECT_TRUE(Vwin_ValidScale(3, s)) << s;
  EXPECT_EQ(5, count(1));
  EXPECT_EQ(4, count(2));
  EXPECT_EQ(7, count(3));
  EXPECT_EQ(0, count(0));
  EXPECT_EQ(0, count(4));
}

TEST(VwinZoom, MenuCommandsBothWays) {
  const struct {
    int mode, scale, id;
  } table[] = {{1, 8, 344}, {1, 6, 345}, {1, 4, 346}, {1, 2, 347}, {1, 1, 348}, {2, 1, 349},
               {2, 2, 350}, {2, 4, 351}, {2, 8, 352}, {3, 1, 353}, {3, 2, 354}, {3, 4, 355},
               {3, 8, 356}, {3, 16, 357}, {3, 32, 358}, {3, 64, 359}};
  for (const auto& t : table) {
    EXPECT_EQ(t.id, Vwin_ZoomMenuId(t.mode, t.scale));
    int m = 0, s = 0;
    ASSERT_EQ(0, Vwin_ZoomOfMenuId(t.id, &m, &s));
    EXPECT_EQ(t.mode, m);
    EXPECT_EQ(t.scale, s);
  }
  EXPECT_EQ(-1, Vwin_ZoomMenuId(1, 3));
  EXPECT_EQ(-1, Vwin_ZoomMenuId(2, 16));
  EXPECT_EQ(-1, Vwin_ZoomMenuId(0, 1));
  int m = 7, s = 7;
  EXPECT_EQ(1, Vwin_ZoomOfMenuId(343, &m, &s));
  EXPECT_EQ(1, Vwin_ZoomOfMenuId(360, &m, &s));
  EXPECT_EQ(7, m) << "nothing written for a command outside the table";
}

// ---------------------------------------------------------------- sizes

TEST(VwinSize, CellsOfAClientRoundUpPerMode) {
  const struct {
    int mode, scale;
    i32 w, h, cols, rows;
  } cases[] = {
      {1, 1, 320, 160, 10, 10}, {1, 1, 321, 161, 11, 11}, {1, 2, 320, 160, 5, 5},   {1, 6, 800, 600, 5, 7},
      {1, 8, 256, 128, 1, 1},   {1, 8, 257, 129, 2, 2},   {2, 1, 320, 160, 20, 10}, {2, 1, 321, 161, 21, 11},
      {2, 8, 320, 160, 160, 80}, {2, 4, 3, 5, 1, 2},      {3, 1, 320, 160, 320, 160}, {3, 64, 800, 600, 51200, 38400},
      {1, 1, 0, 0, 0, 0},       {3, 4, 0, 10, 0, 40},     {5, 1, 320, 160, 0, 0},
  };
  for (const auto& c : cases) {
    i32 cols = -1, rows = -1;
    Vwin_SizeInCells(c.mode, c.scale, c.w, c.h, &cols, &rows);
    EXPECT_EQ(c.cols, cols) << c.mode << "/" << c.scale << " " << c.w << "x" << c.h;
    EXPECT_EQ(c.rows, rows) << c.mode << "/" << c.scale << " " << c.w << "x" << c.h;
  }
}

TEST(VwinSize, ZoomOriginKeepsTheCursorsRelativePlace) {
  EXPECT_EQ(95, Vwin_ZoomOrigin(100, 90, 10, 20)) << "in: 100 - 10 * 10 / 19";
  EXPECT_EQ(89, Vwin_ZoomOrigin(100, 95, 20, 10)) << "out: 100 - 5 * 20 / 9, toward zero";
  EXPECT_EQ(100, Vwin_ZoomOrigin(100, 100, 40, 20)) << "a cursor at the origin keeps it";
  EXPECT_EQ(80, Vwin_ZoomOrigin(100, 90, 2, 1)) << "one old cell divides by 1";
  EXPECT_EQ(80, Vwin_ZoomOrigin(100, 90, 2, 0));
  EXPECT_EQ(32767 - 65536, Vwin_ZoomOrigin(32767, 0, 65536, 32768)) << "no overflow with big counts";
}

TEST(VwinSize, OriginStaysInsideTheGrid) {
  EXPECT_EQ(0, Vwin_ClampOrigin(-5, 10));
  EXPECT_EQ(32758, Vwin_ClampOrigin(32760, 10));
  EXPECT_EQ(500, Vwin_ClampOrigin(500, 10));
  EXPECT_EQ(0, Vwin_ClampOrigin(500, 51200)) << "a view wider than the grid starts at 0";
}

TEST(VwinSize, TrackingLimitsFromTheSystemMetrics) {
  i32 minW, minH, maxW, maxH;
  Vwin_TrackingLimits(4, 5, 17, 19, &minW, &minH, &maxW, &maxH);
  EXPECT_EQ(8 + 128, minW);
  EXPECT_EQ(10 + 17 + 19 + 64, minH);
  EXPECT_EQ(8 + 8191, maxW);
  EXPECT_EQ(10 + 17 + 19 + 8191, maxH);
}

// ---------------------------------------------------------------- frame rate

int g_rateHookCalls;
void CountRateChange(void) { g_rateHookCalls++; }

TEST(VwinFrameRate, QueriesStepsAndSetsWithinOneToSixty) {
  g_vwinFrameHooks.frameRateChanged = CountRateChange;
  Vwin_FrameRate(-2);
  g_rateHookCalls = 0;
  const struct {
    int n, rate;
    u32 interval;
  } steps[] = {
      {-1, 25, 40}, {0, 25, 40},  {61, 25, 40}, {-5, 25, 40},  {-3, 24, 41},  {1, 1, 1000},  {-3, 1, 1000},
      {-4, 2, 500}, {60, 60, 16}, {-4, 60, 16}, {-1, 60, 16},  {59, 59, 16},  {-2, 25, 40},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(s.rate, Vwin_FrameRate(s.n)) << s.n;
    EXPECT_EQ(s.interval, Vwin_RefreshInterval()) << s.n;
  }
  EXPECT_EQ(6, g_rateHookCalls) << "the frame's field is redrawn on a change only";
  g_vwinFrameHooks.frameRateChanged = nullptr;
}

// Views opened with stand-in windows exist natively only; on Windows the
// same calls act on real windows (vwin_win32_test).
#ifndef _WIN32
// ---------------------------------------------------------------- activation

TEST_F(Vwin, ActivationOrderCyclesThroughOpenViews) {
  Open(1, 1, 1);
  Open(3, 1, 1);
  Open(4, 1, 1);
  EXPECT_EQ(1, Vwin_ActivationTarget(-2)) << "nothing active: the first open view";
  EXPECT_EQ(4, Vwin_ActivationTarget(-3)) << "nothing active: the last open view backward";
  EXPECT_EQ(1, Vwin_ActivationTarget(-4)) << "no active or last view: the first open one";
  EXPECT_EQ(-2, Vwin_ActivationTarget(0)) << "a closed slot asks for nothing";
  EXPECT_EQ(-2, Vwin_ActivationTarget(6));
  EXPECT_EQ(-2, Vwin_ActivationTarget(-5));
  EXPECT_EQ(-1, Vwin_ActivationTarget(-1));

  EXPECT_EQ(-1, Vwin_Activate(3));
  EXPECT_EQ(3, g_activeViewSlot);
  EXPECT_EQ(4, Vwin_ActivationTarget(-2));
  EXPECT_EQ(1, Vwin_ActivationTarget(-3));
  EXPECT_EQ(3, Vwin_Activate(-2));
  EXPECT_EQ(4, g_activeViewSlot);
  EXPECT_EQ(3, g_lastViewSlot);
  EXPECT_EQ(1, Vwin_ActivationTarget(-2)) << "past slot 5 back to the start";
  EXPECT_EQ(3, Vwin_ActivationTarget(-3));
  EXPECT_EQ(4, Vwin_ActivationTarget(-4)) << "the active view first";

  EXPECT_EQ(4, Vwin_Activate(-1));
  EXPECT_EQ(-1, g_activeViewSlot) << "the frame";
  EXPECT_EQ(4, g_lastViewSlot);
  EXPECT_EQ(4, Vwin_ActivationTarget(-4)) << "then the last view";
  EXPECT_EQ(-2, Vwin_Activate(2));
  EXPECT_EQ(-1, g_activeViewSlot) << "refused: nothing changed";

  Vwin_Activate(1);
  EXPECT_EQ(1, g_activeViewSlot);
  EXPECT_EQ(4, g_lastViewSlot) << "coming from the frame, the view before the frame stays the last";
  Vwin_Activate(1);
  EXPECT_EQ(4, g_lastViewSlot) << "activated again: the last view is kept";
  Vwin_Activate(3);
  EXPECT_EQ(1, g_lastViewSlot);
}

TEST_F(Vwin, WithoutOpenViewsTheFrameIsActivated) {
  EXPECT_EQ(-1, Vwin_ActivationTarget(-2));
  EXPECT_EQ(-1, Vwin_ActivationTarget(-3));
  EXPECT_EQ(-1, Vwin_ActivationTarget(-4));
  Open(5, 1, 1);
  g_activeViewSlot = 5;
  EXPECT_EQ(5, Vwin_ActivationTarget(-2)) << "the only view is its own next";
}

TEST_F(Vwin, ClosingAViewForgetsItAndKeepsWhatTheSlotShowed) {
  Open(0, 2, 4);
  Open(2, 1, 1);
  g_vwinSlots[2].history = static_cast<u32*>(Heap_Alloc(VWIN_HISTORY_WORDS * 4));
  g_vwinSlots[2].historyCount[0] = 5;
  g_activeViewSlot = 2;
  g_lastViewSlot = 2;
  g_followedViewSlot = 2;
  View(2).originX = 1234;
  View(2).cursorY = 2345;
  EXPECT_EQ(2, Vwin_Close(7));
  EXPECT_EQ(1, Vwin_Close(1));
  EXPECT_EQ(0, Vwin_Close(2));
  EXPECT_EQ(nullptr, View(2).window);
  EXPECT_EQ(nullptr, View(2).back);
  EXPECT_EQ(nullptr, g_vwinSlots[2].history);
  EXPECT_EQ(0, g_vwinSlots[2].historyCount[0]);
  EXPECT_EQ(-1, g_activeViewSlot);
  EXPECT_EQ(-1, g_lastViewSlot);
  EXPECT_EQ(-1, g_followedViewSlot);
  EXPECT_EQ(1, View(2).mode) << "the next view of the slot starts from these";
  EXPECT_EQ(1234, View(2).originX);
  EXPECT_EQ(2345, View(2).cursorY);
  EXPECT_EQ(1, Vwin_Close(2));
  EXPECT_EQ(1, Vwin_FirstFreeSlot());
  EXPECT_EQ(1, Vwin_OpenCount());
  Vwin_CloseAll();
  EXPECT_EQ(0, Vwin_OpenCount());
  EXPECT_EQ(2, View(0).mode);
  EXPECT_EQ(4, View(0).scale);
}

TEST_F(Vwin, ClearSlotsSetsTheDefaults) {
  Open(0, 1, 1);
  g_vwinSlots[3].rectLeft = 10;
  g_mapViews[3].showState = VWIN_SHOW_MAXIMISED;
  g_vwinSlots[3].scrollBarsShown = 0;
  g_activeViewSlot = 0;
  g_lastViewSlot = 3;
  Vwin_ClearSlots();
  EXPECT_EQ(nullptr, View(0).window);
  for (int slot = 0; slot < VWIN_SLOTS; ++slot) {
    EXPECT_EQ(-1, g_vwinSlots[slot].rectLeft);
    EXPECT_EQ(1, g_vwinSlots[slot].scrollBarsShown);
    EXPECT_EQ(VWIN_SHOW_NORMAL, View(slot).showState);
  }
  EXPECT_EQ(-1, g_activeViewSlot);
  EXPECT_EQ(-1, g_lastViewSlot);
  EXPECT_EQ(-1, g_followedViewSlot);
}

// ---------------------------------------------------------------- buffers and zoom of a view

TEST_F(Vwin, BuffersAreMadeAnewOnlyForANewSize) {
  Open(0, 1, 1, 320, 160);
  u32* back = View(0).back;
  View(0).ready = 1;
  EXPECT_EQ(0, Vwin_ResizeBuffers(0, 320, 160, 0));
  EXPECT_EQ(back, View(0).back) << "the same size keeps the buffer";
  EXPECT_EQ(0, View(0).ready);
  EXPECT_EQ(0, Vwin_ResizeBuffers(0, 400, 160, 0));
  EXPECT_NE(back, View(0).back);
  EXPECT_EQ(400, View(0).backWidth);
  EXPECT_EQ(400, View(0).clientWidth);
  EXPECT_EQ(1, Vwin_ResizeBuffers(0, 0, 160, 0));
  EXPECT_EQ(400, View(0).backWidth) << "a refused size keeps the old buffer";
  EXPECT_EQ(1, Vwin_ResizeBuffers(1, 320, 160, 0)) << "no such view";
}

TEST_F(Vwin, SetZoomResults) {
  Open(0, 1, 8);
  EXPECT_EQ(1, Vwin_SetZoom(-1, 1, 1));
  EXPECT_EQ(1, Vwin_SetZoom(6, 1, 1));
  EXPECT_EQ(1, Vwin_SetZoom(1, 1, 1)) << "a closed slot";
  EXPECT_EQ(2, Vwin_SetZoom(0, 1, 8));
  EXPECT_EQ(3, Vwin_SetZoom(0, 4, 1));
  EXPECT_EQ(3, Vwin_SetZoom(0, 0, 1));
  EXPECT_EQ(4, Vwin_SetZoom(0, 1, 3));
  EXPECT_EQ(4, Vwin_SetZoom(0, 2, 16));
  EXPECT_EQ(5, Vwin_ZoomIn(0));
  const MapView before = View(0);
  EXPECT_EQ(8, View(0).scale) << "nothing changed by a refusal";
  EXPECT_EQ(before.originX, View(0).originX);
  EXPECT_EQ(0, Vwin_SetZoom(0, 3, 64));
  EXPECT_EQ(5, Vwin_ZoomOut(0));
  EXPECT_EQ(3, View(0).mode);
  EXPECT_EQ(64, View(0).scale);
}

TEST_F(Vwin, ZoomKeepsTheCursorsPlaceAndTheBufferChangesItsCells) {
  Open(0, 1, 1, 320, 160, 1000, 2000);
  View(0).cursorX = 1005;
  View(0).cursorY = 2005;
  View(0).pixOffX = 7;
  u32* back = View(0).back;
  i32 visBefore = View(0).visWidth;
  ASSERT_EQ(0, Vwin_ZoomIn(0));  // 10 x 10 cells to 5 x 5
  EXPECT_EQ(2, View(0).scale);
  EXPECT_EQ(1005 + (1000 - 1005) * 5 / 9, View(0).originX);
  EXPECT_EQ(2005 + (2000 - 2005) * 5 / 9, View(0).originY);
  EXPECT_EQ(7, View(0).pixOffX) << "zooming in keeps the sub-cell offsets";
  EXPECT_EQ(back, View(0).back) << "the pixel size did not change";
  EXPECT_LT(View(0).visWidth, visBefore) << "but the cells it shows did";
  EXPECT_EQ(0, View(0).ready);
  ASSERT_EQ(0, Vwin_ZoomOut(0));
  ASSERT_EQ(0, Vwin_ZoomOut(0));  // to the schematic view, 20 x 10 cells
  EXPECT_EQ(2, View(0).mode);
  EXPECT_EQ(0, View(0).pixOffX) << "zooming out clears them";
  EXPECT_EQ(View(0).visWidth, 21);

  // Near the grid's end the origin is kept inside it.
  View(0).originX = 32760;
  View(0).cursorX = 32767;
  ASSERT_EQ(0, Vwin_ZoomOut(0));  // 40 cells across
  EXPECT_EQ(32768 - 40, View(0).originX);
  EXPECT_GE(View(0).cursorX, View(0).originX);
}

// ---------------------------------------------------------------- scrolling

TEST_F(Vwin, ScrollingByCellsStaysInTheGridAndCarriesTheCursor) {
  Open(0, 1, 1, 320, 160, 5, 5);  // 10 x 10 cells of 32 x 16 pixels
  MapView& m = View(0);
  for (i32 i = 0; i < 320 * 160; ++i) m.back[i] = u32(i);  // every pixel its own value
  m.cursorX = 5;
  m.cursorY = 14;
  m.ready = 1;
  Vwin_ScrollCells(0, 1, 0);
  EXPECT_EQ(6, m.originX);
  EXPECT_EQ(6, m.cursorX) << "pushed along by the left edge";
  EXPECT_EQ(u32(32), m.back[0]) << "the buffer keeps what stays in view, a cell further left";
  EXPECT_EQ(u32(100 * 320 + 319), m.back[100 * 320 + 287]);
  EXPECT_EQ(0, m.ready) << "not presented before the uncovered strip is drawn";
  EXPECT_EQ(288, m.updLeft) << "only the strip is painted again";
  EXPECT_EQ(320, m.updRight);
  EXPECT_EQ(0, m.updTop);
  EXPECT_EQ(160, m.updBottom);

  Vwin_ScrollCells(0, 3, -2);
  EXPECT_EQ(9, m.originX);
  EXPECT_EQ(3, m.originY);
  EXPECT_EQ(12, m.cursorY) << "pulled in from below";
  Vwin_ScrollCells(0, -100, -100);
  EXPECT_EQ(0, m.originX);
  EXPECT_EQ(0, m.originY);
  Vwin_ScrollCells(0, 100000, 0x7FFFFFFF);
  EXPECT_EQ(32768 - 10, m.originX);
  EXPECT_EQ(32768 - 10, m.originY);
  EXPECT_EQ(32758, m.cursorX);
  m.updLeft = m.updRight = 0;
  Vwin_ScrollCells(0, 1, 1);
  EXPECT_EQ(0, m.updRight) << "at the end nothing moves";
}

TEST_F(Vwin, AnOverviewShiftsByWholePixelsOrIsDrawnAgain) {
  Open(1, 3, 4, 100, 100, 400, 400);  // a pixel is 4 x 4 cells
  MapView& m = View(1);
  m.back[1] = 0x123456;
  Vwin_ScrollCells(1, 4, 0);
  EXPECT_EQ(404, m.originX);
  EXPECT_EQ(0x123456u, m.back[0]) << "one pixel to the left";
  EXPECT_EQ(99, m.updLeft);
  Vwin_ScrollCells(1, 1, 0);
  EXPECT_EQ(405, m.originX);
  EXPECT_EQ(0, m.updLeft) << "a part of a pixel: the whole view again";
  EXPECT_EQ(100, m.updRight);
}

TEST_F(Vwin, ScrollBarLinesPagesThumbAndEnds) {
  Open(0, 1, 1, 320, 160, 100, 100);  // 10 x 10 cells
  View(0).cursorX = 104;
  View(0).cursorY = 104;
  Vwin_OnScrollBar(0, 0, VWIN_SB_LINE_ON, 0);
  EXPECT_EQ(101, View(0).originX);
  Vwin_OnScrollBar(0, 1, VWIN_SB_LINE_BACK, 0);
  EXPECT_EQ(99, View(0).originY);
  Vwin_OnScrollBar(0, 0, VWIN_SB_PAGE_ON, 0);
  EXPECT_EQ(110, View(0).originX) << "a page is the view less a cell";
  Vwin_OnScrollBar(0, 0, VWIN_SB_PAGE_BACK, 0);
  EXPECT_EQ(101, View(0).originX);
  Vwin_OnScrollBar(0, 0, VWIN_SB_THUMB_TRACK, 20000);
  EXPECT_EQ(20000, View(0).cursorX);
  EXPECT_EQ(20000 - 9, View(0).originX) << "just far enough to show the cursor";
  Vwin_OnScrollBar(0, 1, VWIN_SB_THUMB_POSITION, 50);
  EXPECT_EQ(50, View(0).cursorY);
  EXPECT_EQ(50, View(0).originY);
  Vwin_OnScrollBar(0, 0, VWIN_SB_TOP, 0);
  EXPECT_EQ(0, View(0).cursorX);
  EXPECT_EQ(0, View(0).originX);
  Vwin_OnScrollBar(0, 1, VWIN_SB_BOTTOM, 0);
  EXPECT_EQ(32767, View(0).cursorY);
  EXPECT_EQ(32758, View(0).originY);
  Vwin_OnScrollBar(0, 1, 8, 0);  // the end of a scroll: nothing
  EXPECT_EQ(32758, View(0).originY);
}

TEST_F(Vwin, WheelScrollsUpDownOrWithCtrlSideways) {
  Open(0, 2, 1, 320, 160, 100, 100);
  Vwin_OnWheel(0, 120, 0);
  EXPECT_EQ(99, View(0).originY);
  Vwin_OnWheel(0, -240, 0);
  EXPECT_EQ(100, View(0).originY);
  Vwin_OnWheel(0, 120, 1);
  EXPECT_EQ(99, View(0).originX);
  Vwin_OnWheel(0, -1, 1);
  EXPECT_EQ(100, View(0).originX);
  Vwin_OnWheel(0, 0, 1);
  EXPECT_EQ(100, View(0).originX);

  Open(1, 3, 16, 100, 100, 1600, 1600);  // an overview line is the block of a pixel
  Vwin_OnWheel(1, 120, 0);
  EXPECT_EQ(1584, View(1).originY);
}

#endif

// ---------------------------------------------------------------- input

TEST(VwinInput, EdgeBitsOfTheFrameAreas) {
  const struct {
    int hit, bits;
  } table[] = {{2, 4},  {8, 4},  {9, 4},  {12, 4}, {3, 5},  {13, 5}, {6, 8},  {15, 8}, {7, 2},  {11, 2},
               {10, 1}, {14, 6}, {20, 6}, {16, 9}, {17, 10}, {1, 0}, {4, 0},  {5, 0},  {18, 0}, {-2, 0}};
  for (const auto& t : table) EXPECT_EQ(t.bits, Vwin_EdgeBitsOfHit(t.hit)) << t.hit;
}

TEST(VwinInput, TypedCharactersForTheKeyHandler) {
  const int S = CMD_MOD_SHIFT, A = CMD_MOD_ALT, C = CMD_MOD_CTRL;
  const struct {
    u32 ch;
    int numPad, mods, inView, taken, key, outMods;
  } cases[] = {
      {'+', 0, S | C, 1, 1, 0x100 | '+', 0},       {'+', 1, S | C | A, 1, 1, 0x100 | '+', S | A},
      {'=', 0, S, 0, 1, 0x100 | '=', 0},           {'*', 1, S, 1, 1, 0x100 | '*', S},
      {'*', 0, S, 0, 0, 0, 0},                     {'/', 0, 0, 1, 1, 0x100 | '/', 0},
      {'a', 0, 0, 1, 0, 0, 0},                     {'7', 0, 0, 1, 0, 0, 0},
      {'[', 0, C, 1, 1, 0x100 | '[', C},           {0xE4, 0, S, 1, 1, 0x100 | 0xC4, S},
      {'~', 0, 0, 0, 1, 0x100 | '~', 0},           {0x1F600, 0, 0, 1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    int key = 0, mods = 0;
    EXPECT_EQ(c.taken, Vwin_CharKey(c.ch, c.numPad, c.mods, c.inView, &key, &mods)) << c.ch;
    if (!c.taken) continue;
    EXPECT_EQ(c.key, key) << c.ch;
    EXPECT_EQ(c.outMods, mods) << c.ch;
  }
}

// ---------------------------------------------------------------- arrangement

TEST(VwinArrange, FrameCentredOrFullWidth) {
  i32 x, w;
  Vwin_FramePlacement(0, 0, 1024, &x, &w);
  EXPECT_EQ(112, x);
  EXPECT_EQ(800, w);
  Vwin_FramePlacement(0, 10, 1921, &x, &w);
  EXPECT_EQ(10 + 560, x);
  Vwin_FramePlacement(0, 10, 640, &x, &w);
  EXPECT_EQ(10, x) << "never left of the work area";
  Vwin_FramePlacement(1, 10, 1920, &x, &w);
  EXPECT_EQ(10, x);
  EXPECT_EQ(1920, w);
  Vwin_FramePlacement(1, 0, 640, &x, &w);
  EXPECT_EQ(800, w) << "at least 800";
}

TEST(VwinArrange, TilesForOneToSixViews) {
  VwinRect r[VWIN_SLOTS];
  EXPECT_EQ(1, Vwin_ArrangeRects(0, 0, 0, 100, 100, r));
  EXPECT_EQ(1, Vwin_ArrangeRects(7, 0, 0, 100, 100, r));
  // 1920 x 1000 below a frame at 10, 80: halves 960 x 500, thirds 640, 639.
  const i32 X = 10, Y = 80;
  const VwinRect expect[6][6] = {
      {{X, Y, 1920, 1000}},
      {{X, Y, 960, 1000}, {X + 960, Y, 960, 1000}},
      {{X, Y, 640, 1000}, {X + 640, Y, 639, 1000}, {X + 1279, Y, 640, 1000}},
      {{X, Y, 960, 500}, {X + 960, Y, 960, 500}, {X, Y + 500, 960, 500}, {X + 960, Y + 500, 960, 500}},
      {{X, Y, 960, 500}, {X + 960, Y, 960, 500}, {X, Y + 500, 640, 500}, {X + 640, Y + 500, 639, 500},
       {X + 1279, Y + 500, 640, 500}},
      {{X, Y, 640, 500}, {X + 640, Y, 639, 500}, {X + 1279, Y, 640, 500}, {X, Y + 500, 640, 500},
       {X + 640, Y + 500, 639, 500}, {X + 1279, Y + 500, 640, 500}},
  };
  for (int n = 1; n <= 6; ++n) {
    ASSERT_EQ(0, Vwin_ArrangeRects(n, X, Y, 1920, 1000, r));
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(expect[n - 1][i].x, r[i].x) << n << " " << i;
      EXPECT_EQ(expect[n - 1][i].y, r[i].y) << n << " " << i;
      EXPECT_EQ(expect[n - 1][i].width, r[i].width) << n << " " << i;
      EXPECT_EQ(expect[n - 1][i].height, r[i].height) << n << " " << i;
    }
  }
}

TEST(VwinArrange, DefaultRectanglesCascadeInsideTheArea) {
  for (i32 w : {1024, 1920})
    for (int slot = 0; slot < VWIN_SLOTS; ++slot) {
      const i32 h = w == 1024 ? 560 : 900;
      VwinRect r = Vwin_DefaultRect(slot, 0, 180, w, h);
      EXPECT_EQ(w * 2 / 3, r.width);
      EXPECT_EQ(h * 2 / 3, r.height);
      EXPECT_EQ(24 * slot, r.x);
      EXPECT_EQ(180 + 24 * slot, r.y);
      EXPECT_LE(r.x + r.width, w);
      EXPECT_LE(r.y + r.height, 180 + h);
    }
  VwinRect small = Vwin_DefaultRect(5, 0, 0, 150, 150);
  EXPECT_LE(small.x + small.width, 150) << "a small area clips the cascade";
}

}  // namespace

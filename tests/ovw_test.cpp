// Overview map: colour classes, their priority in a block, grid and box
// marks, the painter, single-cell updates, scrolling limits and centring.
#include "render/ovw.h"
#include "tests/render_fixture.h"
#include "tools/render/demo_layout.h"

namespace {

TEST(OvwRules, CellColourClasses) {
  struct {
    u32 code;
    int noDetail, level0, cls;
  } cases[] = {
      {0xBF00, 0, 1, 99}, {0xBFFF, 1, 0, 99}, {0, 0, 1, 97},     {4095, 0, 1, 97},   {0x4000 | 4096, 0, 1, 98},
      {6144, 0, 1, 90},   {8192, 0, 1, 92},   {12288, 0, 1, 95}, {0xC000, 0, 1, 133}, {0xC000, 0, 0, 179},
      {0xC050, 0, 1, 133}, {0xC100, 0, 1, 92}, {0xC600, 0, 1, 90}, {0xC800, 0, 1, 91}, {0xCB00, 0, 1, 93},
      {0xCD00, 0, 1, 94}, {0xD700, 0, 1, 95}, {0xD800, 0, 1, 91}, {0xD900, 0, 1, 96}, {65451, 0, 1, 96},
      {65452, 0, 1, 133}, {0xD900, 1, 1, 133}, {0x8000, 0, 0, 179},
  };
  for (auto& c : cases) EXPECT_EQ(c.cls, Ovw_CellColour(c.code, c.noDetail, c.level0)) << std::hex << c.code;
}

TEST(OvwRules, Priority) {
  const int order[] = {100, 99, 53, 51, 52, 98, 97, 90, 93, 94, 96, 91, 92, 95};
  for (int i = 0; i + 1 < 14; ++i) EXPECT_GT(Ovw_Priority(order[i]), Ovw_Priority(order[i + 1])) << order[i];
  EXPECT_GT(Ovw_Priority(95), Ovw_Priority(133));
  EXPECT_EQ(0, Ovw_Priority(179));
}

struct Ovw : RenderStore {
  int window = 0;
};

TEST_F(Ovw, FollowedTrainWinsTheBlock) {
  for (i32 x = 0; x < 8; ++x) Grid_SetCell(x, 1, 0, 4096);
  Grid_SetCell(2, 2, 0, 8192 + 200);
  TrainRec* t = demo::PlaceTrain(3, 1, 0, 1, 0, 2, 1, 0, 1);
  ASSERT_NE(nullptr, t);
  Trn_SetFollowed(t);
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 4, 0, 0, 0, 10, 10));
  Map_RedrawView(0);
  EXPECT_EQ(Spr_Palette(100), Map_GetBackPixel(0, 0, 0));
  Trn_SetFollowed(nullptr);
  Map_RedrawView(0);
  EXPECT_EQ(Spr_Palette(99), Map_GetBackPixel(0, 0, 0));
  EXPECT_EQ(Spr_Palette(98), Map_GetBackPixel(0, 1, 0)) << "track without a train (cells 4..7)";
  EXPECT_EQ(Spr_Palette(133), Map_GetBackPixel(0, 2, 0));
  // A single cell update recolours its block.
  Grid_SetCell(9, 2, 0, 6144);
  Map_RedrawCell(9, 2, 0, MAP_REDRAW_OVERVIEW);
  EXPECT_EQ(Spr_Palette(90), Map_GetBackPixel(0, 2, 0));
}

TEST_F(Ovw, GridSpacingBelowFourTimesTheScaleShowsNoLines) {
  g_sprGrid = SprGrid{1, 0, 0, 8, 8, 2, 2};
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 2, 0, 0, 0, 20, 20));
  EXPECT_EQ(51, Ovw_MarkAt(16, 3, 0, 0)) << "8 >= 4 x 2";
  EXPECT_EQ(133, Ovw_MarkAt(2, 3, 0, 0)) << "spacing 2 < 8 is not used";
  g_mapViews[0].scale = 4;
  EXPECT_EQ(133, Ovw_MarkAt(16, 3, 0, 0)) << "8 < 16";
  g_sprBox = SprBox{1, 4, 4, 11, 11, -1, 0};
  g_mapViews[0].scale = 2;
  EXPECT_EQ(53, Ovw_MarkAt(4, 6, 0, 0));
  EXPECT_EQ(133, Ovw_MarkAt(6, 6, 0, 0)) << "inside, not on the outline";
}

TEST_F(Ovw, ScrollLimitsAndCentring) {
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 8, 0, 0, 0, 100, 50));
  Ovw_ScrollLeft(0, 5);
  EXPECT_EQ(0, g_mapViews[0].originX) << "at origin 0 nothing happens";
  Ovw_ScrollUp(0, 1);
  EXPECT_EQ(0, g_mapViews[0].originY);
  i32 x = 32760, y = 32001;
  Ovw_SetCursorCentred(0, &x, &y);
  EXPECT_EQ(32760, x);
  EXPECT_EQ(32000, y);
  EXPECT_EQ(32768 - 800, g_mapViews[0].originX);
  EXPECT_EQ(32000 - 200, g_mapViews[0].originY);
  i32 ox = g_mapViews[0].originX;
  Ovw_ScrollRight(0, 3);
  EXPECT_EQ(ox, g_mapViews[0].originX) << "at the right end nothing happens";
  Ovw_ScrollDown(0, 1000);
  EXPECT_EQ(32768 - 400, g_mapViews[0].originY) << "down only as far as the end";
  Ovw_ScrollLeft(0, 3);
  EXPECT_EQ(ox - 24, g_mapViews[0].originX);
}

}  // namespace

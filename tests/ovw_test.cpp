// Overview map: colour classes, their priority in a block, grid and box
// marks, the background picture, the painter, single-cell updates,
// scrolling, the cursor moves and centring, and the export colours.
#include <vector>

#include "operation/trn.h"
#include "render/bgp.h"
#include "render/cursor.h"
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

TEST_F(Ovw, GridMarksShowInTheBlockThatHoldsTheLineMajorBeforeMinor) {
  // Scale 4: spacing 18 puts a line at 18, inside the block 16..19.
  g_sprGrid = SprGrid{1, 0, 0, 18, 16, 16, 32};
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 4, 0, 0, 0, 20, 20));
  struct {
    i32 x, y;
    int mark;
    const char* what;
  } cases[] = {
      {16, 5, 51, "the line at 18 lies in this block"},
      {19, 5, 51, "any cell of the block"},
      {20, 5, 133, "the next block holds no line"},
      {36, 5, 51, "the line at 36 starts its block"},
      {48, 5, 52, "second spacing: 48 = 3 x 16"},
      {48, 16, 51, "first spacing of y beats second spacing of x"},
      {5, 33, 51, "32 is a line of both y spacings: the first wins"},
      {5, 40, 133, "no line"},
  };
  for (auto& c : cases) EXPECT_EQ(c.mark, Ovw_MarkAt(c.x, c.y, 0, 0)) << c.what;
  // The painter shows the same line: pixel column 4 is the block 16..19.
  Map_RedrawView(0);
  EXPECT_EQ(Spr_Palette(51), Map_GetBackPixel(0, 4, 1));
  EXPECT_EQ(Spr_Palette(133), Map_GetBackPixel(0, 5, 1));
  EXPECT_EQ(Spr_Palette(52), Map_GetBackPixel(0, 12, 1));
  // A single cell update of that block leaves the line where it is.
  Map_RedrawCell(17, 5, 0, MAP_REDRAW_OVERVIEW);
  EXPECT_EQ(Spr_Palette(51), Map_GetBackPixel(0, 4, 1));
}

TEST_F(Ovw, SingleCellAtScaleOneTakesTheGivenCode) {
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 1, 10, 10, 0, 20, 20));
  Ovw_DrawCell(0, 13, 12, 6144, 0);
  EXPECT_EQ(Spr_Palette(90), Map_GetBackPixel(0, 3, 2)) << "the code passed, not the empty grid";
  Ovw_DrawCell(0, 9, 12, 6144, 0);
  Ovw_DrawCell(0, 30, 12, 6144, 0);
  for (i32 x = 0; x < 20; ++x)
    if (x != 3) {
      EXPECT_NE(Spr_Palette(90), Map_GetBackPixel(0, x, 2)) << "outside the view: no pixel " << x;
    }
  g_sprBox = SprBox{1, 14, 10, 18, 14, -1, 0};
  Ovw_DrawCell(0, 14, 12, CELL_EMPTY, 0);
  EXPECT_EQ(Spr_Palette(53), Map_GetBackPixel(0, 4, 2)) << "a background cell shows the box outline";
  Ovw_DrawCell(0, 14, 12, 100, 0);
  EXPECT_EQ(Spr_Palette(97), Map_GetBackPixel(0, 4, 2)) << "a track covers the outline";
}

// A background picture of 2 x 2 pixels laid over the cells 10..13, 20..23.
struct OvwPicture : Ovw {
  void SetUp() override {
    Ovw::SetUp();
    Bgp_Reset();
    // Bottom row first: (0,1) red, (1,1) green; top row (0,0) blue, (1,0) white.
    std::vector<u8> rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    std::vector<u8> bmp = Test_Bmp(24, 2, 2, {}, rows);
    ASSERT_EQ(0, Bgp_LoadPictureMemory(bmp.data(), u32(bmp.size())));
    ASSERT_EQ(0, Bgp_SetArea(10, 20, 4, 4));
    ASSERT_EQ(0, Bgp_SetMode(1));
  }
  void TearDown() override {
    Bgp_Reset();
    Ovw::TearDown();
  }
};

TEST_F(OvwPicture, BackgroundColourByPlacement) {
  struct {
    i32 x, y;
    u32 colour;
  } cases[] = {
      {10, 20, 0xFF0000}, {11, 21, 0xFF0000}, {12, 20, 0xFFFFFF}, {10, 22, 0x0000FF},
      {13, 23, 0x00FF00}, {9, 20, SPR_TRANSPARENT}, {14, 20, SPR_TRANSPARENT}, {10, 24, SPR_TRANSPARENT},
  };
  for (auto& c : cases) EXPECT_EQ(c.colour, Ovw_BackgroundColour(c.x, c.y)) << c.x << "," << c.y;
  Bgp_Reset();
  EXPECT_EQ(SPR_TRANSPARENT, Ovw_BackgroundColour(10, 20)) << "no picture loaded";
}

TEST_F(OvwPicture, BackgroundBlocksShowThePictureBelowTracksAndMarks) {
  Grid_SetCell(12, 22, 0, 100);
  g_sprGrid = SprGrid{1, 0, 22, 100, 100, 100, 100};
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 2, 10, 20, 0, 4, 4));
  Map_RedrawView(0);
  EXPECT_EQ(Asm_SwapRedBlue(0xFF0000), Map_GetBackPixel(0, 0, 0)) << "the picture at the block's corner";
  EXPECT_EQ(Asm_SwapRedBlue(0xFFFFFF), Map_GetBackPixel(0, 1, 0));
  EXPECT_EQ(Spr_Palette(97), Map_GetBackPixel(0, 1, 1)) << "a track hides the picture";
  EXPECT_EQ(Spr_Palette(133), Map_GetBackPixel(0, 2, 0)) << "beyond the picture";
  EXPECT_EQ(Spr_Palette(51), Map_GetBackPixel(0, 0, 1)) << "the grid line at y 22 over the picture";
}

TEST_F(Ovw, ScrollingKeepsTheBufferAsAFullRedrawDrawsIt) {
  for (i32 i = 0; i < 400; ++i) Grid_SetCell(i * 7 % 97, i * 13 % 61, 0, u32(i % 5 == 0 ? 6144 : 100 + 5000 * (i % 2)));
  g_sprGrid = SprGrid{1, 1, 2, 12, 16, 0, 0};
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 2, 20, 20, 0, 23, 17));
  Map_RedrawView(0);
  struct {
    void (*scroll)(int, i32);
    i32 n;
  } steps[] = {{Ovw_ScrollRight, 3}, {Ovw_ScrollDown, 2}, {Ovw_ScrollLeft, 5}, {Ovw_ScrollUp, 1},
               {Ovw_ScrollRight, 40}, {Ovw_ScrollDown, 16}, {Ovw_ScrollLeft, 1}};
  for (auto& s : steps) {
    s.scroll(0, s.n);
    std::vector<u32> scrolled(g_mapViews[0].back, g_mapViews[0].back + 23 * 17);
    Map_RedrawView(0);
    EXPECT_EQ(std::vector<u32>(g_mapViews[0].back, g_mapViews[0].back + 23 * 17), scrolled)
        << "after n = " << s.n << " to " << g_mapViews[0].originX << "," << g_mapViews[0].originY;
  }
}

TEST_F(Ovw, PainterAgreesWithTheBlockRuleAtEveryScale) {
  // Blocks across grid-block borders (scales that do not divide 64), an
  // origin off the scale, see-through cells over a lower level, a train,
  // and the empty grid blocks of x 64..127 between the cells.
  for (i32 i = 0; i < 900; ++i) {
    i32 x = 40 + i * 37 % 150, y = 50 + i * 11 % 90;
    if (x >= 63 && x < 128) x += 66;
    Grid_SetCell(x, y, 0, u32(i % 7 == 0 ? CELL_LOOK_DOWN_1 : i % 3 == 0 ? 0xC600 : 100 + 2000 * (i % 4)));
    Grid_SetCell(x + 1, y, -1, 6144);
  }
  ASSERT_NE(nullptr, demo::PlaceTrain(120, 70, 0, 1, 0, 3, 1, 0, 1));
  g_sprGrid = SprGrid{1, 3, 5, 40, 48, 0, 0};
  struct {
    int scale;
    i32 originX, originY;
  } cases[] = {{1, 60, 60}, {3, 41, 50}, {4, 40, 48}, {5, 35, 45}, {7, 0, 0}, {64, 0, 0}};
  for (auto& c : cases) {
    Map_CloseView(0);
    ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, c.scale, c.originX, c.originY, 0, 41, 29));
    Map_RedrawView(0);
    const i32 bx = c.originX / c.scale * c.scale, by = c.originY / c.scale * c.scale;
    int wrong = 0;
    for (i32 py = 0; py < 29; ++py)
      for (i32 px = 0; px < 41; ++px)
        wrong += Map_GetBackPixel(0, px, py) != Ovw_BlockColour(0, bx + px * c.scale, by + py * c.scale);
    EXPECT_EQ(0, wrong) << "scale " << c.scale;
  }
}

TEST_F(Ovw, RepaintRectPaintsItsRectangleOnlyAndClosesTheWaitCursor) {
  Grid_SetCell(0, 0, 0, 6144);
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 1, 0, 0, 0, 100, 80));
  for (int scale : {1, 4}) {
    g_mapViews[0].scale = scale;
    u32* back = g_mapViews[0].back;
    for (i32 i = 0; i < 100 * 80; ++i) back[i] = 0x123456;
    const int waits = g_cursorState.waitCount;
    Ovw_RepaintRect(0, 2, 3, 90, 70);  // x1, y1, x2, y2
    EXPECT_EQ(waits, g_cursorState.waitCount) << "begun and ended";
    EXPECT_EQ(Spr_Palette(133), Map_GetBackPixel(0, 2, 3));
    EXPECT_EQ(Spr_Palette(133), Map_GetBackPixel(0, 90, 70));
    EXPECT_EQ(0x123456u, Map_GetBackPixel(0, 91, 70));
    EXPECT_EQ(0x123456u, Map_GetBackPixel(0, 90, 71));
    EXPECT_EQ(0x123456u, Map_GetBackPixel(0, 1, 3));
    EXPECT_EQ(0x123456u, Map_GetBackPixel(0, 2, 2));
  }
}

TEST_F(Ovw, CursorMovesStayInTheGridAndScrollTheView) {
  enum { X, Y };
  struct {
    void (*move)(int, i32);
    int axis, scale;
    i32 cursor, origin, n, cursorAfter, originAfter;
    const char* what;
  } cases[] = {
      {Ovw_MoveCursorLeft, X, 1, 5, 0, 20, 0, 0, "not past 0"},
      {Ovw_MoveCursorUp, Y, 8, 3, 0, 100, 0, 0, "not past 0"},
      {Ovw_MoveCursorLeft, X, 8, 400, 0, 0, 312, 0, "n = 0: 11 x scale"},
      {Ovw_MoveCursorDown, Y, 4, 8, 0, 0, 52, 0, "n = 0: 11 x scale"},
      {Ovw_MoveCursorRight, X, 8, 32700, 32768 - 800, 0, 32759, 32768 - 800, "below 32768 - scale"},
      {Ovw_MoveCursorDown, Y, 8, 32700, 32768 - 400, 0, 32752, 32768 - 400, "below 32768 - scale, rounded"},
      {Ovw_MoveCursorRight, X, 1, 32760, 32768 - 100, 20, 32766, 32768 - 100, "scale 1: at most 32766"},
      {Ovw_MoveCursorUp, Y, 8, 100, 0, 3, 96, 0, "vertical moves round down to the scale"},
      {Ovw_MoveCursorDown, Y, 4, 10, 0, 5, 12, 0, "vertical moves round down to the scale"},
      {Ovw_MoveCursorRight, X, 4, 10, 0, 5, 15, 0, "horizontal moves are not rounded"},
      {Ovw_MoveCursorRight, X, 8, 792, 0, 8, 800, 8, "one block past the right edge: one pixel"},
      {Ovw_MoveCursorRight, X, 8, 792, 0, 0, 880, 88, "eleven blocks past: eleven pixels"},
      {Ovw_MoveCursorLeft, X, 8, 800, 800, 0, 712, 712, "left past the edge"},
      {Ovw_MoveCursorUp, Y, 8, 403, 400, 5, 392, 392, "up past the edge"},
      {Ovw_MoveCursorDown, Y, 8, 392, 0, 16, 408, 16, "9 cells past: the block needs two pixels"},
      {Ovw_MoveCursorRight, X, 8, 100, 0, 8, 108, 0, "inside the view: no scroll"},
  };
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_OVERVIEW, 8, 0, 0, 0, 100, 50));
  MapView& w = g_mapViews[0];
  for (auto& c : cases) {
    w.scale = c.scale;
    w.cursorX = w.cursorY = 0;
    w.originX = w.originY = 0;
    (c.axis == X ? w.cursorX : w.cursorY) = c.cursor;
    (c.axis == X ? w.originX : w.originY) = c.origin;
    c.move(0, c.n);
    EXPECT_EQ(c.cursorAfter, c.axis == X ? w.cursorX : w.cursorY) << c.what;
    EXPECT_EQ(c.originAfter, c.axis == X ? w.originX : w.originY) << c.what;
    EXPECT_EQ(0, c.axis == X ? w.cursorY : w.cursorX) << c.what << ": the other axis stays";
    EXPECT_EQ(0, c.axis == X ? w.originY : w.originX) << c.what << ": the other axis stays";
  }
}

// Export colours over a small layout: tracks, an element, a symbol and two
// trains (one standing on track below 4096, one on track of 4096 and more).
struct OvwExport : Ovw {
  TrainRec* low = nullptr;
  TrainRec* high = nullptr;
  void SetUp() override {
    Ovw::SetUp();
    g_ovwExport = OvwExportSettings{1, 0};
    demo::Row(0, 7, 1, 0, 0x4000 | 100);  // bit 14: still a piece below 4096
    demo::Row(0, 7, 9, 0, 5000);
    Grid_SetCell(2, 5, 0, 0xC600);   // a symbol: 90 with ground detail
    Grid_SetCell(13, 1, 0, 8192);    // an element: 92
    low = demo::PlaceTrain(3, 1, 0, 1, 0, 2, 1, 0, 1);
    high = demo::PlaceTrain(3, 9, 0, 1, 0, 2, 1, 0, 2);
    ASSERT_NE(nullptr, low);
    ASSERT_NE(nullptr, high);
  }
  void TearDown() override {
    Trn_SetFollowed(nullptr);
    g_ovwExport = OvwExportSettings{1, 0};
    Ovw::TearDown();
  }
};

TEST_F(OvwExport, CellColourByTheOptionWord) {
  Trn_SetFollowed(low);
  u32 lowMarker = Grid_GetCell(3, 1, 0), highMarker = Grid_GetCell(3, 9, 0);
  struct {
    u32 code;
    i32 x, y;
    u32 options;
    int cls;
    const char* what;
  } cases[] = {
      {0xC600, 2, 5, 0, 90, "symbol with ground detail"},
      {0xC600, 2, 5, 4, 133, "bit 2: no ground detail"},
      {CELL_EMPTY, 0, 0, 0, 133, "the level-0 background"},
      {lowMarker, 3, 1, 0, 99, "the followed train counts as 99"},
      {lowMarker, 3, 1, 8, 97, "bit 3: the track under it (bit 14 set)"},
      {highMarker, 3, 9, 8, 98, "bit 3: track of 4096 and more"},
      {highMarker, 3, 9, 4, 99, "bit 2 alone leaves trains"},
      {5000, 0, 9, 8, 98, "a track stays itself"},
  };
  for (auto& c : cases) {
    g_ovwExport.options = c.options;
    EXPECT_EQ(c.cls, Ovw_ExportCellColour(c.code, c.x, c.y)) << c.what;
  }
}

TEST_F(OvwExport, BlockColourByTheOptionWord) {
  Trn_SetFollowed(low);
  struct Case {
    int scale;
    u32 options;
    i32 x, y;
    int cls;
    const char* what;
  };
  const Case table[] = {
      {4, 0, 0, 0, 99, "a followed train counts as 99"},
      {4, 8, 0, 0, 97, "bit 3: the train is its track"},
      {4, 8, 0, 8, 98, "bit 3: track of 4096 and more under the train"},
      {16, 8, 0, 0, 98, "98 of the second train outranks 97"},
      {4, 0, 0, 4, 90, "symbol"},
      {4, 4, 0, 4, 133, "bit 2: no symbol"},
      {4, 0, 10, 0, 92, "block 10..13 holds the element at 13"},
      {4, 0, 14, 0, 133, "block 14..17: the element lies before it"},
      {4, 0, 2, 2, 90, "the block starts at x, y itself: 2..5, 2..5 holds the symbol"},
      {4, 0, 3, 3, 133, "3..6, 3..6 does not hold the symbol at 2, 5 (nor the train at 3, 1)"},
  };
  for (const Case& c : table) {
    g_ovwExport = OvwExportSettings{c.scale, c.options};
    EXPECT_EQ(c.cls, Ovw_ExportBlockColour(c.x, c.y)) << c.what;
  }
}

TEST_F(OvwExport, BlockColourReadsLevelZeroWithoutGridAndRestoresTheSlot) {
  Grid_SetCell(40, 40, -1, 6144);
  g_sprGrid = SprGrid{1, 0, 0, 8, 8, 0, 0};
  g_ovwExport = OvwExportSettings{4, 4};
  struct {
    int open, mode, scale, detail;
    i32 level;
  } slots[] = {
      {0, 0, 0, 0, 0},
      {1, MAP_MODE_PICTURE, 2, 1, -1},
      {1, MAP_MODE_SCHEMATIC, 8, 0, 0},
      {1, MAP_MODE_OVERVIEW, 16, 1, -1},
  };
  for (auto& s : slots) {
    Map_CloseView(0);
    if (s.open) {
      ASSERT_EQ(0, Map_OpenView(0, &window, s.mode, s.scale, 0, 0, s.level, 20, 20));
    }
    g_mapViews[0].groundDetail = s.detail;
    const MapView& w = g_mapViews[0];
    const int mode = w.mode, scale = w.scale, detail = w.groundDetail;
    const i32 level = w.level;
    EXPECT_EQ(133, Ovw_ExportBlockColour(8, 8)) << "grid lines are not exported";
    EXPECT_EQ(133, Ovw_ExportBlockColour(40, 40)) << "level 0 whatever the slot's level";
    EXPECT_EQ(92, Ovw_ExportBlockColour(12, 0)) << "the element at 13, 1";
    EXPECT_EQ(mode, w.mode);
    EXPECT_EQ(scale, w.scale);
    EXPECT_EQ(detail, w.groundDetail);
    EXPECT_EQ(level, w.level);
    EXPECT_EQ(1, g_sprGrid.on) << "the grid is switched on again";
  }
}

}  // namespace

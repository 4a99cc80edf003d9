// Schematic view: connector masks of track shapes, the clipped buffer
// primitives, the schematic colour of a cell and a drawn schematic cell.
#include <vector>

#include "operation/sig.h"
#include "render/compose.h"
#include "render/preview.h"
#include "render/schem.h"
#include "render/sprview.h"
#include "tests/render_fixture.h"
#include "tools/render/demo_layout.h"

namespace {

TEST(SchemRules, ConnectorMasks) {
  struct {
    u32 code, mask;
  } cases[] = {
      {0, 0xC},          {1, 0x3},          {4096 + 2, 0x30},   {3, 0xC0},          {8, 0x6},
      {12, 0x6000033},   {47, 0xFF},        {136, 0x50000C0C},  {140, 0x50000C0C},  {143, 0x5000C0C0},
      {160, 0x3},        {162, 0xC},        {164, 0x30},        {166, 0xC0},        {256, 0xC},
      {260, 0x3},        {208, 0x3},        {184, 0x2},         {496, 0x22},   {504, 0x22},
      {288, 0x4200000},  {303, 0x1200000},  {5, 0x2030},        {4, 0x1030},        {97, 0x203},
      {32768, 0},        {0xC000, 0},
      // Objects at the centre: a stop and a timetable point (class 1), an
      // LFST point (2), a shunting point (3).
      {264, 0x10000103}, {4096 + 153, 0x10000203}, {176, 0x20000103}, {4096 + 195, 0x3000080C},
  };
  for (auto& c : cases) EXPECT_EQ(c.mask, Trk_PieceConnectorMask(c.code)) << c.code;
}

TEST(SchemRules, PrimitivesClipToTheBuffer) {
  std::vector<u32> px(16 * 8, 0);
  SchBuf b = {px.data(), 16, 8};
  Map_BufHLine(&b, -5, 3, 2, 7, 40);
  Map_BufVLine(&b, 15, 20, 1, 9, -3);
  Map_BufLine(&b, -10, -10, 30, 30, 1, 5);
  Map_BufFillRect(&b, 14, 6, 4, 100, 100);
  Map_BufArrows(&b, 12, 0, 0xFF, 6);
  Map_BufSetPixel(&b, 16, 0, 1);
  Map_BufSetPixel(nullptr, 0, 0, 1);
  EXPECT_EQ(7u, px[3 * 16 + 1]) << "every 2nd pixel from -5: -5, -3, -1, 1";
  EXPECT_EQ(0u, px[3 * 16 + 2]);
  EXPECT_EQ(4u, px[7 * 16 + 15]);
  EXPECT_EQ(5u, px[2 * 16 + 2]);
}

TEST(SchemRules, LinesReachingTheLargestCoordinateKeepTheirStepAndEnd) {
  std::vector<u32> px(16 * 8, 0);
  SchBuf b = {px.data(), 16, 8};
  // A stepped line from far outside keeps the step phase of its start and
  // stops at the buffer instead of counting up to (and past) INT32_MAX.
  Map_BufHLine(&b, -2147483647 - 1, 1, 3, 9, 2147483647);
  Map_BufVLine(&b, 0, 2147483647, 2, 8, -2147483647 - 1);
  for (int x = 0; x < 16; ++x)
    EXPECT_EQ((x + 2) % 3 == 0 ? 9u : 0u, px[1 * 16 + x]) << x << ": -2^31 + 3k lands on 1, 4, 7 ...";
  for (int y = 0; y < 8; ++y) EXPECT_EQ(y % 2 == 0 ? 8u : 0u, px[y * 16]) << y;
}

struct SchemStore : RenderStore {};

TEST_F(SchemStore, ColourOfCells) {
  struct {
    u32 code;
    i32 level;
    int colour;
  } cases[] = {{0, 0, 48},     {4095, 0, 48},  {4096, 0, 66},  {6144, 0, 67},  {8192, 0, 68},  {0x4000 | 5, 0, 56},
               {0x4000 | 4100, 0, 69}, {0x4000 | 7000, 0, 70}, {0x4000 | 9000, 0, 71}, {0xC000, 0, 132}, {0xC000, -1, 178}};
  for (auto& c : cases) {
    u32 drawn;
    EXPECT_EQ(c.colour, Map_SchematicColourIndex(c.code, 1, 1, c.level, &drawn)) << c.code;
  }
  for (i32 x = 0; x < 10; ++x) Grid_SetCell(x, 2, 0, 4096);
  TrainRec* t = demo::PlaceTrain(5, 2, 0, 1, 0, 3, 1, 0, 1);
  ASSERT_NE(nullptr, t);
  u32 drawn = 0;
  EXPECT_EQ(49, Map_SchematicColourIndex(Grid_GetCell(4, 2, 0), 4, 2, 0, &drawn));
  EXPECT_EQ(4096u, drawn) << "the code under the train is drawn";
  Trn_SetFollowed(t);
  EXPECT_EQ(57, Map_SchematicColourIndex(Grid_GetCell(4, 2, 0), 4, 2, 0, &drawn));
  Trn_SetFollowed(nullptr);
}

TEST_F(SchemStore, HorizontalTrackCellAtEachScale) {
  Grid_SetCell(3, 3, 0, 0);  // shape 0: left to right through the centre
  int window = 0;
  for (int scale : {1, 2, 4, 8}) {
    ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_SCHEMATIC, scale, 0, 0, 0, 64, 64));
    Map_RedrawCell(3, 3, 0, MAP_REDRAW_SCHEMATIC);
    int size = 16 / scale, c = size / 2;
    u32 bg = Spr_Palette(132), line = Spr_Palette(92);  // ground detail: code below 4096
    for (int x = 0; x < size; ++x) {
      EXPECT_EQ(line, Map_GetBackPixel(0, 3 * size + x, 3 * size + c)) << scale << " " << x;
      if (c > 0) {
        EXPECT_EQ(bg, Map_GetBackPixel(0, 3 * size + x, 3 * size + c - 1)) << scale;
      }
    }
    Map_CloseView(0);
  }
}

// The cell drawn for a preview: the lines of its square, transferred to
// the preview at its place (clipped); a view gets its square and the grid.
TEST_F(SchemStore, SchematicCellGoesToItsTarget) {
  std::vector<u32> want(16 * 16), got(40 * 20, 7);
  SchBuf sq = {want.data(), 16, 16};
  Map_DrawSchematicLines(&sq, 0, 0, 1, 0x00ABCDEF, 0, 0);
  SchBuf dc = {got.data(), 40, 20};
  Map_DrawSchematicCell(&dc, MAP_TARGET_PREVIEW1, 30, 10, 0, 0, 0x00ABCDEF, 0, 0);
  for (int r = 0; r < 20; ++r)
    for (int c = 0; c < 40; ++c) {
      const bool inside = c >= 30 && r >= 10;
      const u32 expect = inside ? want[(r - 10) * 16 + (c - 30)] : 7u;
      ASSERT_EQ(expect, got[r * 40 + c]) << r << " " << c;
    }
  // Target 7 is a 24-pixel square; other targets draw nothing.
  std::vector<u32> big(24 * 24, 7);
  SchBuf dc24 = {big.data(), 24, 24};
  Map_DrawSchematicCell(&dc24, MAP_TARGET_PREVIEW2, 0, 0, 0, 0, 0x00ABCDEF, 0, 0);
  EXPECT_NE(7u, big[23 * 24 + 23]);
  std::vector<u32> none(24 * 24, 7);
  SchBuf dcn = {none.data(), 24, 24};
  Map_DrawSchematicCell(&dcn, MAP_TARGET_PREVIEW4, 0, 0, 0, 0, 0x00ABCDEF, 0, 0);
  EXPECT_EQ(std::vector<u32>(24 * 24, 7), none);

  // A view: the grid lines of the cell lie over its square.
  int window = 0;
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_SCHEMATIC, 1, 0, 0, 0, 64, 64));
  Spr_DrawGridInView(0, 16, 16, 16, 1, SPR_GRID_MAJOR_V | SPR_GRID_MINOR_H);
  EXPECT_EQ(Spr_Palette(51), Map_GetBackPixel(0, 16, 18)) << "major: every 2nd pixel down the left edge";
  EXPECT_NE(Spr_Palette(51), Map_GetBackPixel(0, 16, 19));
  EXPECT_EQ(Spr_Palette(52), Map_GetBackPixel(0, 20, 16)) << "minor: every 4th pixel along the top edge";
  EXPECT_NE(Spr_Palette(52), Map_GetBackPixel(0, 21, 16));
  Map_CloseView(0);
}


// The figure at a cell's centre and the state mark of a signal element,
// drawn into a schematic view. Pixels are given within the cell for scale 1
// (centre 8, figure half size 3, mark 4 from the centre, 2 x 2) and scale 2
// (centre 4, half size 2, mark 2 away, one pixel). L a line pixel, B the
// background, R / S / Y the mark in the colour of a stop, clear, or expect
// stop signal shape.
struct SchemFigures : SchemStore {
  void SetUp() override {
    SchemStore::SetUp();
    Sig_Clear();
  }
  void TearDown() override {
    Sig_Clear();
    SchemStore::TearDown();
  }
};

TEST_F(SchemFigures, ClassFiguresAndStateMarks) {
  struct Probe {
    int x, y;
    char what;
  };
  struct Case {
    const char* what;
    u32 code;
    int state;  // of a signal element placed on the cell; -1 none
    std::vector<Probe> scale1, scale2;
  } cases[] = {
      {"stop: a solid box on upright track", 264, -1,
       {{5, 5, 'L'}, {11, 11, 'L'}, {11, 5, 'L'}, {4, 8, 'B'}, {12, 8, 'B'}},
       {{2, 2, 'L'}, {6, 6, 'L'}, {6, 2, 'L'}, {1, 4, 'B'}, {7, 4, 'B'}}},
      {"timetable point: the same box on level track", 155, -1,
       {{5, 5, 'L'}, {11, 11, 'L'}, {8, 4, 'B'}, {8, 12, 'B'}},
       {{2, 2, 'L'}, {6, 6, 'L'}, {4, 1, 'B'}, {4, 7, 'B'}}},
      {"buffer stop: the track ends at the centre, no figure", 170, -1,
       {{8, 8, 'L'}, {15, 8, 'L'}, {7, 8, 'B'}, {0, 8, 'B'}, {5, 5, 'B'}, {11, 11, 'B'}},
       {{4, 4, 'L'}, {7, 4, 'L'}, {3, 4, 'B'}, {0, 4, 'B'}, {2, 2, 'B'}}},
      {"turnout: level track and its branch, no figure", 48, -1,
       {{0, 8, 'L'}, {15, 8, 'L'}, {11, 11, 'L'}, {15, 15, 'L'}, {5, 5, 'B'}, {11, 5, 'B'}},
       {{0, 4, 'L'}, {7, 4, 'L'}, {6, 6, 'L'}, {2, 2, 'B'}, {6, 2, 'B'}}},
      {"crossing: the square around the crossing point", 136, -1,
       {{4, 4, 'L'}, {12, 12, 'L'}, {12, 4, 'L'}, {4, 12, 'L'}, {8, 4, 'L'}, {5, 5, 'B'}, {8, 6, 'B'}},
       {{1, 1, 'L'}, {7, 7, 'L'}, {7, 1, 'L'}, {2, 2, 'B'}, {4, 2, 'B'}}},
      {"LFST point on upright track: a level bar two rows thick", 176, -1,
       {{5, 8, 'L'}, {11, 8, 'L'}, {5, 9, 'L'}, {11, 9, 'L'}, {5, 7, 'B'}, {5, 10, 'B'}, {4, 8, 'B'}},
       {{2, 4, 'L'}, {6, 4, 'L'}, {2, 5, 'L'}, {2, 3, 'B'}, {1, 4, 'B'}, {2, 6, 'B'}}},
      {"LFST point on level track: an upright bar", 178, -1,
       {{8, 5, 'L'}, {8, 11, 'L'}, {9, 5, 'L'}, {7, 5, 'B'}, {10, 5, 'B'}, {8, 4, 'B'}},
       {{4, 2, 'L'}, {4, 6, 'L'}, {5, 2, 'L'}, {3, 2, 'B'}, {6, 2, 'B'}, {4, 1, 'B'}}},
      {"shunting point: a T standing on the track", 195, -1,
       {{8, 9, 'L'}, {8, 11, 'L'}, {6, 11, 'L'}, {10, 11, 'L'}, {8, 7, 'B'}, {6, 10, 'B'}, {5, 11, 'B'}, {8, 12, 'B'}},
       {{4, 5, 'L'}, {3, 6, 'L'}, {5, 6, 'L'}, {4, 3, 'B'}, {2, 6, 'B'}, {4, 7, 'B'}, {3, 5, 'B'}}},
      {"shunting point on falling track: an upright cross", 196, -1,
       {{5, 8, 'L'}, {11, 8, 'L'}, {8, 5, 'L'}, {8, 11, 'L'}, {6, 7, 'B'}, {4, 8, 'B'}},
       {{2, 4, 'L'}, {6, 4, 'L'}, {4, 2, 'L'}, {4, 6, 'L'}, {3, 2, 'B'}, {1, 4, 'B'}}},
      {"ten-state signal: a square outline and no state mark", 392, 1,
       {{5, 5, 'L'}, {11, 11, 'L'}, {11, 5, 'L'}, {6, 6, 'B'}, {10, 10, 'B'}, {8, 4, 'L'}, {9, 4, 'B'}},
       {{2, 2, 'L'}, {6, 6, 'L'}, {3, 3, 'B'}, {5, 5, 'B'}, {4, 2, 'L'}, {5, 3, 'B'}}},
      {"clear shape, state of class 1: the mark on the side the shape faces", 456, 0,
       {{8, 4, 'S'}, {9, 4, 'S'}, {8, 5, 'S'}, {9, 5, 'S'}, {8, 12, 'L'}, {10, 4, 'B'}},
       {{4, 2, 'S'}, {5, 3, 'B'}, {4, 6, 'L'}, {5, 2, 'B'}}},
      {"clear shape, state of class 5: the mark on the other side", 456, 1,
       {{8, 12, 'S'}, {9, 13, 'S'}, {8, 4, 'L'}, {9, 5, 'B'}},
       {{4, 6, 'S'}, {4, 2, 'L'}, {5, 7, 'B'}, {5, 6, 'B'}}},
      {"stop shape facing left", 466, 0,
       {{4, 8, 'R'}, {5, 9, 'R'}, {12, 8, 'L'}, {4, 7, 'B'}},
       {{2, 4, 'R'}, {2, 5, 'B'}, {6, 4, 'L'}}},
      {"expect-stop shape facing right, state of class 0", 411, 242,
       {{12, 8, 'Y'}, {13, 9, 'Y'}, {4, 8, 'L'}},
       {{6, 4, 'Y'}, {2, 4, 'L'}, {6, 5, 'B'}}},
      {"clear shape facing right, state of class 4: the mark turns left", 443, 243,
       {{4, 8, 'S'}, {5, 9, 'S'}, {12, 8, 'L'}},
       {{2, 4, 'S'}, {6, 4, 'L'}}},
      {"expect-stop shape on falling track", 436, 242,
       {{12, 12, 'Y'}, {13, 13, 'Y'}, {13, 12, 'Y'}, {4, 4, 'L'}, {14, 14, 'L'}},
       {{6, 6, 'Y'}, {2, 2, 'L'}, {7, 7, 'L'}}},
      {"signal shape without an element: no mark", 456, -1,
       {{8, 4, 'L'}, {9, 5, 'B'}},
       {{4, 2, 'L'}, {5, 3, 'B'}}},
  };
  const u32 line = Spr_Palette(92), bg = Spr_Palette(132);  // ground detail: codes below 4096
  const u32 stop = Spr_Palette(PAL_SCH_MARK_STOP), clear = Spr_Palette(PAL_SCH_MARK_CLEAR),
            expectStop = Spr_Palette(PAL_SCH_MARK_EXPECT);
  // Colours that are all alike would let any pixel pass.
  ASSERT_NE(line, bg);
  ASSERT_NE(stop, clear);
  ASSERT_NE(clear, expectStop);
  ASSERT_NE(stop, expectStop);
  for (u32 c : {stop, clear, expectStop}) {
    ASSERT_NE(line, c);
    ASSERT_NE(bg, c);
  }
  for (const Case& k : cases) {
    for (int scale : {1, 2}) {
      Grid_Clear();
      Sig_Clear();
      ASSERT_TRUE(Grid_SetCell(3, 3, 0, CellCode(k.code))) << k.what;
      if (k.state >= 0) {
        ASSERT_EQ(0, Sig_CreateElement(3, 3, 0, u32(k.state), k.code)) << k.what;
      }
      int window = 0;
      ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_SCHEMATIC, scale, 0, 0, 0, 64, 64));
      Map_RedrawCell(3, 3, 0, MAP_REDRAW_SCHEMATIC);
      const int size = 16 / scale;
      for (const Probe& p : scale == 1 ? k.scale1 : k.scale2) {
        const u32 want = p.what == 'L' ? line : p.what == 'B' ? bg : p.what == 'R' ? stop : p.what == 'S' ? clear : expectStop;
        EXPECT_EQ(want, Map_GetBackPixel(0, 3 * size + p.x, 3 * size + p.y))
            << k.what << ", scale " << scale << ", pixel " << p.x << "," << p.y << " should be " << p.what;
      }
      Map_CloseView(0);
    }
  }
}

// Scale 4 has no room for the state mark and scale 8 none for the figure;
// previews show the track alone, whatever mark they are given.
TEST_F(SchemFigures, SmallScalesAndPreviewsLeaveOut) {
  ASSERT_TRUE(Grid_SetCell(3, 3, 0, CellCode(466)));
  ASSERT_EQ(0, Sig_CreateElement(3, 3, 0, 0, 466));
  const u32 stop = Spr_Palette(PAL_SCH_MARK_STOP);
  int window = 0;
  for (int scale : {4, 8}) {
    ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_SCHEMATIC, scale, 0, 0, 0, 64, 64));
    Map_RedrawCell(3, 3, 0, MAP_REDRAW_SCHEMATIC);
    const int size = 16 / scale;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) EXPECT_NE(stop, Map_GetBackPixel(0, 3 * size + x, 3 * size + y)) << scale;
    Map_CloseView(0);
  }
  // Scale 4 still draws the box of a stop (half size 1 around the centre 2).
  ASSERT_TRUE(Grid_SetCell(5, 5, 0, CellCode(264)));
  ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_SCHEMATIC, 4, 0, 0, 0, 64, 64));
  Map_RedrawCell(5, 5, 0, MAP_REDRAW_SCHEMATIC);
  EXPECT_EQ(Spr_Palette(92), Map_GetBackPixel(0, 5 * 4 + 1, 5 * 4 + 1));
  Map_CloseView(0);

  std::vector<u32> px(16 * 16);
  SchBuf sq = {px.data(), 16, 16};
  Map_DrawSchematicLines(&sq, 0, 0, 1, 0x00ABCDEF, MAP_SCH_MARK | MAP_SCH_MARK_KIND2 | 2, 264);
  EXPECT_EQ(Spr_Palette(132), px[5 * 16 + 5]) << "no box in a preview";
  Map_DrawSchematicLines(&sq, 0, 0, 1, 0x00ABCDEF, MAP_SCH_MARK | MAP_SCH_MARK_KIND2 | 2, 466);
  for (u32 p : px) EXPECT_NE(stop, p) << "no state mark in a preview";
}

}  // namespace

// Schematic view: connector masks of track shapes, the clipped buffer
// primitives, the schematic colour of a cell and a drawn schematic cell.
#include <vector>

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

}  // namespace

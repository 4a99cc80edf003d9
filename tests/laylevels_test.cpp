// The after-load level pass on small old grids: a free ramp, one whose
// lowered track meets an occupied cell in its middle (one level deeper),
// and one blocked beside its end (not converted, its place reported).
#include <gtest/gtest.h>

#include <string>

#include "model/grid.h"
#include "model/laylevels.h"
#include "operation/trnramp.h"
#include "platform/clip.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

// A ramp down facing south (mask 2), its other end, and plain track.
enum : CellCode { RAMP_SOUTH = 217, RAMP_END = 216, TRACK = 1, OTHER = 0x0105 };

#ifndef _WIN32
int g_window;
#endif

class LevelPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
#ifndef _WIN32
    Clip_SetWindow(&g_window);
    Clip_Empty();
#endif
  }
  void TearDown() override {
#ifndef _WIN32
    Clip_SetWindow(nullptr);
#endif
    Grid_Exit();
  }
  // A ramp from (10, 10) down to (10, 14) on level 0.
  static void Ramp() {
    Grid_SetCell(10, 10, 0, RAMP_SOUTH);
    for (i32 y = 11; y < 14; ++y) Grid_SetCell(10, y, 0, TRACK);
    Grid_SetCell(10, 14, 0, RAMP_END);
    Grid_UpdateExtent(0, 0, 0, 0);
  }
  // The column x = 10, rows 10..14, on a level, as codes.
  static std::string Column(i32 level) {
    std::string s;
    for (i32 y = 10; y <= 14; ++y) s += std::to_string(Grid_GetCell(10, y, level)) + " ";
    return s;
  }
};

TEST_F(LevelPassTest, RampHelpers) {
  EXPECT_EQ(1, Trn_RampDownClass(RAMP_SOUTH));
  EXPECT_EQ(2, Trn_RampDownClass(209));
  EXPECT_EQ(0, Trn_RampDownClass(207));
  EXPECT_EQ(0, Trn_RampDownClass(0x8000 | 216));
  EXPECT_EQ(184u, Trn_RampPartnerCode(RAMP_SOUTH));
  EXPECT_EQ(0x0800u | 185u, Trn_RampPartnerCode(0x0800 | 216));
  EXPECT_EQ(185u, Trn_RampPartnerCode(209));
  EXPECT_EQ(u32(CELL_EMPTY), Trn_RampPartnerCode(TRACK));
  Ramp();
  i32 x = 10, y = 10, steps = 0;
  EXPECT_EQ(0, Trn_FindRampAlong(&x, &y, &steps, 2));
  EXPECT_EQ(14, y);
  EXPECT_EQ(4, steps);
  x = 10, y = 11;
  EXPECT_EQ(11, Trn_FindRampAlong(&x, &y, &steps, 2)) << "no ramp at the start";
}

TEST_F(LevelPassTest, EmptyGridGivesZero) { EXPECT_EQ(0, Lay_ConvertLevels()); }

TEST_F(LevelPassTest, AdjacentRampsHaveNoSpan) {
  // The ends touch: a descent and an ascent and nothing between them.
  Grid_SetCell(10, 10, 0, RAMP_SOUTH);
  Grid_SetCell(10, 11, 0, RAMP_END);
  Grid_UpdateExtent(0, 0, 0, 0);
  EXPECT_EQ(0, Lay_ConvertLevels());
  EXPECT_EQ(184, Grid_GetCell(10, 10, -1));
  EXPECT_EQ(185, Grid_GetCell(10, 11, -1));
  EXPECT_EQ(RAMP_SOUTH, Grid_GetCell(10, 10, 0));
  EXPECT_EQ(RAMP_END, Grid_GetCell(10, 11, 0));
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(10, 12, -1));
}

TEST_F(LevelPassTest, ThreeOldGrids) {
  struct Case {
    const char* what;
    i32 blockedY;  // occupied cell on level -1, 0 none
    i32 result;
    const char* level1;
    const char* level2;
    const char* clip;
  } cases[] = {
      {"free", 0, 0, "184 1 1 1 185 ", "49152 49152 49152 49152 49152 ", ""},
      {"middle blocked: one level deeper", 12, 0, "184 217 261 216 185 ", "49152 184 1 185 49152 ", ""},
      {"blocked beside the end", 11, 1, "49152 261 49152 49152 49152 ", "49152 49152 49152 49152 49152 ", "10,10,-1"},
  };
  for (const Case& c : cases) {
    Grid_Clear();
    Ramp();
    if (c.blockedY) Grid_SetCell(10, c.blockedY, -1, OTHER);
    EXPECT_EQ(c.result, Lay_ConvertLevels()) << c.what;
    EXPECT_EQ("217 1 1 1 216 ", Column(0)) << c.what;
    EXPECT_EQ(c.level1, Column(-1)) << c.what;
    EXPECT_EQ(c.level2, Column(-2)) << c.what;
#ifndef _WIN32
    if (c.clip[0]) {
      wch line[40];
      ASSERT_EQ(0, Clip_ReadLine(0, 40, line)) << c.what;
      EXPECT_EQ(W16(c.clip), wstr(line)) << c.what;
    }
#endif
  }
}

}  // namespace

// Status strip fields: the table, the full-width placement of a field's x
// and the handling of field numbers outside the table.
#include <gtest/gtest.h>

#include "render/status.h"

namespace {

struct StatusFields : ::testing::Test {
  void TearDown() override { Map_SetFieldLayout(0, STATUS_DESIGN_WIDTH); }
};

TEST_F(StatusFields, TableValues) {
  struct {
    int n;
    i32 x, y, w, h;
  } cases[] = {{0, 192, 0, 356, 64},  {1, 192, 64, 356, 16}, {3, 552, 8, 16, 32},   {8, 696, 0, 15, 16},
               {21, 760, 32, 15, 16}, {22, 0, 8, 56, 16},    {25, 0, 40, 168, 16},  {34, 648, 56, 32, 16},
               {36, 772, 16, 23, 16}, {39, 168, 4, 12, 24},  {40, 112, 24, 48, 16}};
  for (auto& c : cases) {
    i32 y = -1, w = -1, h = -1;
    EXPECT_EQ(c.x, Map_GetFieldRect(c.n, &y, &w, &h)) << c.n;
    EXPECT_EQ(c.y, y) << c.n;
    EXPECT_EQ(c.w, w) << c.n;
    EXPECT_EQ(c.h, h) << c.n;
  }
}

TEST_F(StatusFields, NumbersOutsideTheTableWriteNothing) {
  Map_SetFieldLayout(1, 1600);
  for (i32 n : {41, 42, 1000, -1, -41, i32(0x80000000u)}) {
    i32 y = 77, w = 78, h = 79;
    EXPECT_EQ(-1, Map_GetFieldRect(n, &y, &w, &h)) << n;
    EXPECT_EQ(77, y);
    EXPECT_EQ(78, w);
    EXPECT_EQ(79, h);
  }
}

TEST_F(StatusFields, OutParametersAreOptional) {
  EXPECT_EQ(568, Map_GetFieldRect(4, nullptr, nullptr, nullptr));
  i32 h = 0;
  EXPECT_EQ(568, Map_GetFieldRect(5, nullptr, nullptr, &h));
  EXPECT_EQ(16, h);
  i32 y = 0;
  EXPECT_EQ(552, Map_GetFieldRect(6, &y, nullptr, nullptr));
  EXPECT_EQ(48, y);
}

TEST_F(StatusFields, FullWidthPlacement) {
  struct {
    int fullWidth;
    i32 clientWidth;
    int n;
    i32 x;
  } cases[] = {
      {0, 1600, 0, 192},   // setting off: design x whatever the width
      {1, 800, 0, 192},    // narrower than 816: design x
      {1, 815, 40, 112},
      {1, 816, 0, 203},    // (192 * 816 - 16) / 800 + 8 = 195 + 8
      {1, 816, 22, 8},     // (0 - 16) / 800 is 0 toward zero (floor would give 7)
      {1, 1600, 40, 231},  // (112 * 1600 - 16) / 800 = 223
      {1, 1600, 37, 1559}, // (776 * 1600 - 16) / 800 = 1551
      {1, 1000, 36, 972},  // (772 * 1000 - 16) / 800 = 964
  };
  for (auto& c : cases) {
    Map_SetFieldLayout(c.fullWidth, c.clientWidth);
    i32 y = -1, w = -1, h = -1;
    EXPECT_EQ(c.x, Map_GetFieldRect(c.n, &y, &w, &h)) << c.fullWidth << " " << c.clientWidth << " " << c.n;
    // Only the x follows the frame.
    EXPECT_EQ(StatusFieldTable[c.n].y, y);
    EXPECT_EQ(StatusFieldTable[c.n].w, w);
    EXPECT_EQ(StatusFieldTable[c.n].h, h);
  }
}

TEST_F(StatusFields, EveryFieldInsideTheDesignWidth) {
  // The strip's fields all lie inside the 800-pixel design, and a wide
  // frame keeps their left-to-right order.
  Map_SetFieldLayout(1, 1200);
  for (int n = 0; n < STATUS_FIELDS; ++n) {
    const StatusField& f = StatusFieldTable[n];
    EXPECT_GE(f.x, 0) << n;
    EXPECT_LE(f.x + f.w, STATUS_DESIGN_WIDTH) << n;
    EXPECT_LE(f.y + f.h, 80) << n;
    i32 x = Map_GetFieldRect(n, nullptr, nullptr, nullptr);
    for (int m = 0; m < STATUS_FIELDS; ++m) {
      if (StatusFieldTable[m].x < f.x) {
        EXPECT_LE(Map_GetFieldRect(m, nullptr, nullptr, nullptr), x) << m << " " << n;
      }
    }
  }
}

}  // namespace

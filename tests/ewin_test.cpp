#include <gtest/gtest.h>

#include "shell/ewin.h"

// Centring keeps an origin while the cell lies well inside (an eighth of the
// view from each edge), else brings the cell to the middle within the grid.
TEST(EwinCentre, OriginPerAxis) {
  struct Case {
    i32 p, o, w, origin;
  } cases[] = {
      {100, 90, 40, 90},      // well inside: 90 + 5 + 1 <= 100 <= 90 + 40 - 5 - 2
      {96, 90, 40, 90},       // the first well-inside cell
      {95, 90, 40, 75},       // one before: centred, p - w / 2
      {123, 90, 40, 90},      // the last well-inside cell
      {124, 90, 40, 105},     // one after: p - w / 2 + 1
      {10, 500, 40, 0},       // near the grid's start: 0
      {20, 500, 40, 0},       // p - w / 2 = 0 is below 1: 0
      {21, 500, 40, 1},
      {32767, 0, 40, 32728},  // near the grid's end: 32768 - w
      {16384, 0, 25, 16373},
  };
  for (const Case& c : cases) EXPECT_EQ(c.origin, Ewin_CentredOrigin(c.p, c.o, c.w)) << c.p << " " << c.o;
}

TEST(EwinCentre, RefusesCellsOutsideTheGridAndMissingViews) {
  EXPECT_EQ(0, Ewin_CentreOnCell(0, -1, 5, 0));
  EXPECT_EQ(0, Ewin_CentreOnCell(0, 5, 32768, 0));
  EXPECT_EQ(0, Ewin_CentreOnCell(0, 5, 5, -5));
  EXPECT_EQ(0, Ewin_CentreOnCell(0, 5, 5, 1));
  EXPECT_EQ(0, Ewin_CentreOnCell(6, 5, 5, 0));
  EXPECT_EQ(0, Ewin_CentreOnCell(0, 5, 5, 0));  // no view open in slot 0
}

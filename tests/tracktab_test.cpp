#include <gtest/gtest.h>

#include "operation/tracktab.h"

// The generated table must hold every row of its source: 260 rows, each
// with as many entries as the source lists, and no entry outside them.
TEST(TrackTable, RowsAndEntriesAreComplete) {
  int total = 0, dashRows = 0;
  for (int i = 0; i < TRACK_SHAPE_INDEXES; ++i) {
    int filled = 0;
    for (int d = 0; d < 8; ++d)
      if (kTrackConnection[d][i]) filled++;
    // An entry "d>0" with class 0 would be invisible, but the source has none.
    EXPECT_EQ(kTrackConnectionEntries[i], filled) << "row " << i;
    total += kTrackConnectionEntries[i];
    if (!kTrackConnectionEntries[i]) dashRows++;
  }
  EXPECT_EQ(1, dashRows);  // row 0 alone has no way through
  EXPECT_EQ(720, total);
}

TEST(TrackTable, EntriesOfKnownRows) {
  struct {
    int row, dx, dy, dir, cls;
  } cases[] = {
      {1, -1, 0, DIRIDX_KEEP, 0},  {1, 0, -1, DIRIDX_NONE, 0}, {5, 0, -1, DIRIDX_W, 0},
      {5, 1, 0, DIRIDX_S, 0},      {28, 1, 0, DIRIDX_KEEP, 4}, {28, -1, -1, DIRIDX_W, 2},
      {92, 0, -1, DIRIDX_NONE, 14}, {148, 1, 0, DIRIDX_KEEP, 11}, {259, 1, -1, DIRIDX_KEEP, 13},
  };
  for (auto& c : cases) {
    u16 v = kTrackConnection[Trk_DirIndex(c.dx, c.dy) - 2][c.row];
    EXPECT_EQ(c.dir, v & 0xFF) << "row " << c.row;
    EXPECT_EQ(c.cls, v >> 8) << "row " << c.row;
  }
}

TEST(TrackTable, ShapeMap) {
  struct {
    u32 shape;
    int index;
  } cases[] = {{0, 1},     {3, 4},     {4, 1},     {11, 8},    {12, 152}, {23, 163}, {24, 9},
               {33, 18},   {34, 14},   {38, 18},   {95, 75},   {96, 0},   {127, 0},  {128, 252},
               {135, 259}, {136, 148}, {139, 151}, {151, 151}, {152, 84}, {160, 2},  {161, 2},
               {162, 1},   {165, 3},   {167, 4},   {168, 92},  {191, 235}, {192, 108}, {207, 123},
               {208, 124}, {215, 124}, {216, 124}, {223, 131}, {255, 131}, {256, 1},  {257, 2},
               {258, 3},   {259, 4},   {263, 2},   {264, 76},  {287, 147}, {288, 236}, {303, 251},
               {304, 0},   {391, 0},   {392, 180}, {415, 227}, {416, 196}, {439, 219}, {455, 203},
               {456, 188}, {487, 179}, {488, 52},  {503, 16},  {504, 9},  {511, 16}};
  for (auto& c : cases) EXPECT_EQ(c.index, Trk_ShapeIndex(c.shape)) << "shape " << c.shape;
  for (u32 s = 0; s < 512; ++s) {
    int i = Trk_ShapeIndex(s);
    EXPECT_GE(i, 0);
    EXPECT_LT(i, TRACK_SHAPE_INDEXES);
  }
}

TEST(TrackTable, DirectionIndexesRoundTrip) {
  for (int d = DIRIDX_N; d <= DIRIDX_NE; ++d) {
    int dx, dy;
    Trk_DirStep(d, &dx, &dy);
    EXPECT_EQ(d, Trk_DirIndex(dx, dy));
  }
  EXPECT_EQ(DIRIDX_NONE, Trk_DirIndex(0, 0));
  EXPECT_EQ(DIRIDX_SE, Trk_DirIndex(1, 1));
  EXPECT_EQ(DIRIDX_NE, Trk_DirIndex(1, -1));
}

#include "operation/tracktab.h"

#include "model/cellcode.h"

int Trk_ShapeIndex(u32 s) {
  s = Cell_Shape(s);
  if (s <= 3) return int(s + 1);
  if (s <= 11) return int(s - 3);
  if (s <= 23) return int(s + 140);
  if (s <= 33) return int(s - 15);
  if (s <= 95) return int(s - 20);
  if (s <= 127) return 0;
  if (s <= 135) return int(s + 124);
  if (s <= 151) return int(148 + (s & 3));
  if (s <= 159) return int(s - 68);
  if (s <= 167) {
    static const int kPairs[4] = {2, 1, 3, 4};
    return kPairs[(s - 160) / 2];
  }
  if (s <= 183) return int(s - 76);
  if (s <= 191) return int(s + 44);
  if (s <= 207) return int(s - 84);
  if (s <= 215) return 124;
  if (s <= 255) return int(124 + (s & 7));
  if (s <= 263) {
    if (s == 256) return 1;
    if (s == 258) return 3;
    if (s == 259) return 4;
    return 2;
  }
  if (s <= 271) return int(s - 188);
  if (s <= 287) return int(s - 140);
  if (s <= 303) return int(s - 52);
  if (s <= 391) return 0;
  if (s <= 407) return int(s - 212);
  if (s <= 415) return int(s - 188);
  if (s <= 439) return int(s - 220);
  if (s <= 455) return int(s - 252);
  if (s <= 471) return int(s - 268);
  if (s <= 487) return int(s - 308);
  if (s <= 495) return int(s - 436);
  if (s <= 503) return int(s - 487);
  return int(s - 495);
}

int Trk_DirIndex(int dx, int dy) {
  static const int kIndex[3][3] = {
      // dy = -1, 0, +1 for each dx = -1, 0, +1
      {DIRIDX_NW, DIRIDX_W, DIRIDX_SW},
      {DIRIDX_N, DIRIDX_NONE, DIRIDX_S},
      {DIRIDX_NE, DIRIDX_E, DIRIDX_SE},
  };
  if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return DIRIDX_NONE;
  return kIndex[dx + 1][dy + 1];
}

void Trk_DirStep(int dirIndex, int* dx, int* dy) {
  static const signed char kStep[10][2] = {{0, 0},  {0, 0}, {0, -1}, {0, 1},  {-1, 0},
                                           {1, 0},  {1, 1}, {-1, -1}, {-1, 1}, {1, -1}};
  if (dirIndex < 0 || dirIndex > 9) dirIndex = 0;
  *dx = kStep[dirIndex][0];
  *dy = kStep[dirIndex][1];
}

u16 Trk_Connection(u32 code, int dx, int dy) {
  int d = Trk_DirIndex(dx, dy);
  if (d < DIRIDX_N || !Cell_IsElement(code)) return 0;
  return kTrackConnection[d - 2][Trk_ShapeIndex(code)];
}

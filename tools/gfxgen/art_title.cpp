#include "tools/gfxgen/art_title.h"

#include "tools/gfxgen/art_canvas.h"
#include "tools/gfxgen/art_vehicle.h"

void Ati_Render(std::vector<u32>* out) {
  Canvas c;
  const float W = ATI_WIDTH;
  Cnv_Init(&c, 1, 0, 0, ATI_WIDTH, ATI_HEIGHT);
  // Sky in four flat bands (no gradients: pixel art), far hills with a
  // lit upper-left flank, a meadow that fills the lower half.
  static const u32 sky[4] = {Cnv_Rgb(112, 160, 220), Cnv_Rgb(136, 180, 232), Cnv_Rgb(164, 200, 240),
                             Cnv_Rgb(196, 222, 248)};
  for (int b = 0; b < 4; ++b) Cnv_Rect(&c, 0, 120 + float(b) * 30, W, 30, sky[3 - b]);
  float far[] = {0, 130, 50, 150, 110, 138, 170, 162, 250, 140, 320, 158, 400, 136, 480, 150, 480, 110, 0, 110};
  Cnv_FillPoly(&c, far, 10, Cnv_Rgb(132, 168, 150));
  float hills[] = {0, 112, 70, 134, 150, 116, 230, 142, 320, 118, 410, 136, 480, 114, 480, 100, 0, 100};
  Cnv_FillPoly(&c, hills, 9, Cnv_Rgb(96, 146, 88));
  Cnv_Rect(&c, 0, 0, W, 104, Cnv_Rgb(120, 170, 88));
  Cnv_Rect(&c, 0, 0, W, 40, Cnv_Rgb(108, 156, 78));
  // Trees behind the line: dark outline, body, one highlight to the upper left.
  for (int k = 0; k < 10; ++k) {
    float x = 18 + float(k) * 48 + float(k % 3) * 7, y = 92 + float(k % 2) * 4;
    Cnv_Rect(&c, x - 1.5f, y - 12, 3, 12, Cnv_Rgb(90, 62, 36));
    Cnv_Ellipse(&c, x, y + 4, 11, 12, Cnv_Rgb(30, 60, 34));
    Cnv_Ellipse(&c, x, y + 4, 10, 11, Cnv_Rgb(64 + (k % 3) * 8, 120, 60));
    Cnv_Ellipse(&c, x - 3, y + 8, 4, 4, Cnv_Rgb(110, 160, 86));
  }
  // The line: ballast bed with a dark edge, sleepers, two rails.
  const float ly = 44;
  Cnv_Rect(&c, 0, ly - 2, W, 20, Cnv_Rgb(84, 80, 74));
  Cnv_Rect(&c, 0, ly - 1, W, 18, Cnv_Rgb(140, 132, 120));
  for (float x = 1; x < W; x += 8) Cnv_Rect(&c, x, ly + 1, 4, 14, Cnv_Rgb(96, 72, 50));
  Cnv_Rect(&c, 0, ly + 3, W, 2, Cnv_Rgb(60, 56, 54));
  Cnv_Rect(&c, 0, ly + 11, W, 2, Cnv_Rgb(60, 56, 54));
  Cnv_Rect(&c, 0, ly + 4, W, 1, Cnv_Rgb(170, 170, 170));
  Cnv_Rect(&c, 0, ly + 12, W, 1, Cnv_Rgb(170, 170, 170));
  // A fence along the meadow in front.
  for (float x = 4; x < W; x += 12) {
    Cnv_Rect(&c, x - 1, 10, 4, 16, Cnv_Rgb(60, 40, 24));
    Cnv_Rect(&c, x, 11, 2, 14, Cnv_Rgb(150, 110, 70));
  }
  for (float y : {14.0f, 21.0f}) {
    Cnv_Rect(&c, 0, y - 1, W, 4, Cnv_Rgb(60, 40, 24));
    Cnv_Rect(&c, 0, y, W, 2, Cnv_Rgb(176, 136, 90));
  }
  // The name in blocky letters on a 5 x 7 grid of 9-pixel blocks: a dark
  // outline, the ink, a highlight row at the top of each block run.
  static const char* const glyphs[4][7] = {
      {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
      {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},
      {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."},
      {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}};
  const float cell = 9, top = 226, left = 240 - (4 * 5 + 3) * cell / 2;
  for (int pass = 0; pass < 3; ++pass)
    for (int g = 0; g < 4; ++g)
      for (int r = 0; r < 7; ++r)
        for (int k = 0; k < 5; ++k) {
          if (glyphs[g][r][k] != '#') continue;
          float x = left + float(g * 6 + k) * cell, y = top - float(r + 1) * cell;
          if (pass == 0) Cnv_Rect(&c, x - 2, y - 3, cell + 4, cell + 4, Cnv_Rgb(40, 18, 18));  // outline and drop
          else if (pass == 1) Cnv_Rect(&c, x, y, cell, cell, Cnv_Rgb(184, 36, 32));
          else if (r == 0 || glyphs[g][r - 1][k] != '#') Cnv_Rect(&c, x, y + cell - 2, cell, 2, Cnv_Rgb(240, 120, 96));
        }
  std::vector<u32> px(size_t(c.pw) * size_t(c.ph));
  Cnv_Export(&c, px.data());
  // A train at three times the zoom-1 size on the line, running in from the
  // left: an express engine with its tender and a coach.
  const AvhSet* coaches = Avh_FindSet(40320);
  const AvhSet* steam = Avh_FindSet(40321);
  int x = -201;  // the engine whole at the right, the first coach running in
  auto paste = [&](const AvhVehicle* v) {
    std::vector<u32> side;
    int w, h;
    Avh_View(v, AVH_SIDE_1, 3, &side, &w, &h);
    int bottom = ATI_HEIGHT - int(ly) - 12;
    for (int r = 0; r < h; ++r)
      for (int k = 0; k < w; ++k) {
        u32 p = side[size_t(r * w + k)];
        int X = x + k, Y = bottom - h + r;
        if (p != CNV_TRANSPARENT && X >= 0 && X < ATI_WIDTH && Y >= 0 && Y < ATI_HEIGHT) px[size_t(Y * ATI_WIDTH + X)] = p;
      }
    x += w + 3;
  };
  if (coaches && steam) {
    paste(&coaches->vehicles[0]);
    paste(&steam->vehicles[4]);
    paste(&steam->vehicles[3]);
  }
  out->resize(px.size());
  for (size_t i = 0; i < px.size(); ++i) {
    u32 p = px[i] & 0xFFFFFF;
    (*out)[i] = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
  }
}

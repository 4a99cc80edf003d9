#include "tools/gfxgen/art_title.h"

#include "tools/gfxgen/art_canvas.h"
#include "tools/gfxgen/art_vehicle.h"

void Ati_Render(std::vector<u32>* out) {
  Canvas c;
  const float W = ATI_WIDTH, H = ATI_HEIGHT;
  Cnv_Init(&c, 1, 0, 0, ATI_WIDTH, ATI_HEIGHT);
  // Sky, far hills, meadow.
  for (int y = 0; y < 16; ++y)
    Cnv_Rect(&c, 0, H - float(y + 1) * H / 24, W, H / 24 + 1,
             Cnv_Mix(Cnv_Rgb(120, 170, 230), Cnv_Rgb(220, 236, 250), float(y) / 15.0f));
  float hills[] = {0, 90, 60, 130, 140, 110, 230, 150, 320, 118, 400, 140, 480, 112, 480, 70, 0, 70};
  Cnv_FillPoly(&c, hills, 9, Cnv_Rgb(100, 150, 96));
  Cnv_Rect(&c, 0, 0, W, 96, Cnv_Rgb(128, 176, 96));
  // The line: ballast, sleepers and rails.
  Cnv_Rect(&c, 0, 52, W, 14, Cnv_Rgb(140, 132, 120));
  for (float x = 2; x < W; x += 6) Cnv_Rect(&c, x, 54, 2.5f, 10, Cnv_Rgb(100, 80, 60));
  Cnv_Rect(&c, 0, 56, W, 1.2f, Cnv_Rgb(70, 66, 64));
  Cnv_Rect(&c, 0, 62, W, 1.2f, Cnv_Rgb(70, 66, 64));
  // Trees along the line.
  for (int k = 0; k < 9; ++k) {
    float x = 20 + float(k) * 52 + float(k % 3) * 9;
    Cnv_Rect(&c, x - 1.5f, 70, 3, 10, Cnv_Rgb(100, 70, 40));
    Cnv_Ellipse(&c, x, 86, 9, 10, Cnv_Rgb(60 + k * 4, 120, 60));
  }
  // The name in block letters.
  u32 ink = Cnv_Rgb(170, 30, 30), shadow = Cnv_Rgb(60, 20, 20);
  auto stroke = [&](float x1, float y1, float x2, float y2) {
    Cnv_Line(&c, x1 + 2, y1 - 2, x2 + 2, y2 - 2, 9, shadow, true);
    Cnv_Line(&c, x1, y1, x2, y2, 9, ink, true);
  };
  float bx = 140, by = 150;
  Cnv_Ellipse(&c, bx + 22 + 2, by + 30 - 2, 26, 30, shadow);
  Cnv_Ellipse(&c, bx + 22, by + 30, 26, 30, ink);
  Cnv_Ellipse(&c, bx + 22, by + 30, 15, 20, Cnv_Rgb(190, 214, 240));
  stroke(bx + 64, by, bx + 64, by + 60);
  stroke(bx + 64, by + 54, bx + 90, by + 54);
  stroke(bx + 110, by, bx + 110, by + 64);
  Cnv_Ellipse(&c, bx + 128 + 2, by + 20 - 2, 20, 20, shadow);
  Cnv_Ellipse(&c, bx + 128, by + 20, 20, 20, ink);
  Cnv_Ellipse(&c, bx + 128, by + 20, 10, 10, Cnv_Rgb(200, 220, 240));
  Cnv_Ellipse(&c, bx + 186 + 2, by + 20 - 2, 20, 20, shadow);
  Cnv_Ellipse(&c, bx + 186, by + 20, 20, 20, ink);
  Cnv_Ellipse(&c, bx + 186, by + 20, 10, 10, Cnv_Rgb(200, 220, 240));
  stroke(bx + 206, by, bx + 206, by + 38);
  std::vector<u32> px(size_t(c.pw) * size_t(c.ph));
  Cnv_Export(&c, px.data());
  // The train, at twice the zoom-1 size, standing on the line.
  const AvhSet* coaches = Avh_FindSet(40320);
  const AvhSet* steam = Avh_FindSet(40321);
  int x = 20;
  auto paste = [&](const AvhVehicle* v) {
    std::vector<u32> side;
    int w, h;
    Avh_View(v, AVH_SIDE_1, 2, &side, &w, &h);
    int top = ATI_HEIGHT - 58 - h;
    for (int r = 0; r < h; ++r)
      for (int k = 0; k < w; ++k) {
        u32 p = side[size_t(r * w + k)];
        int X = x + k, Y = top + r;
        if (p != CNV_TRANSPARENT && X >= 0 && X < ATI_WIDTH && Y >= 0 && Y < ATI_HEIGHT) px[size_t(Y * ATI_WIDTH + X)] = p;
      }
    x += w + 2;
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

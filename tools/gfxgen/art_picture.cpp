#include "tools/gfxgen/art_picture.h"

int Apc_IsEmpty(const ApcPlacement* p) {
  for (u32 v : p->px)
    if (v != CNV_TRANSPARENT) return 0;
  return 1;
}

void Apc_Render(const ApcSpec* spec, ApcDraw draw, u32 code, int zoom, ApcPicture* out) {
  out->zoom = zoom;
  out->placements.clear();
  // The canvas and its export are kept from call to call: a few thousand
  // pictures would otherwise each take and give back a megabyte or two.
  static Canvas c;
  static std::vector<u32> px;
  for (int i = 0; i < spec->layerCount && i < 3; ++i) {
    Cnv_Init(&c, zoom, spec->x0, spec->y0, spec->w, spec->h);
    draw(&c, code, i);
    px.resize(size_t(c.pw) * size_t(c.ph));
    Cnv_Export(&c, px.data());
    // Cut to the drawn pixels.
    int minx = c.pw, maxx = -1, miny = c.ph, maxy = -1;
    for (int y = 0; y < c.ph; ++y)
      for (int x = 0; x < c.pw; ++x)
        if (px[size_t(y) * size_t(c.pw) + size_t(x)] != CNV_TRANSPARENT) {
          if (x < minx) minx = x;
          if (x > maxx) maxx = x;
          if (y < miny) miny = y;
          if (y > maxy) maxy = y;
        }
    if (maxx < 0) continue;
    ApcPlacement p;
    p.layer = spec->layers[i];
    p.w = maxx - minx + 1;
    p.h = maxy - miny + 1;
    p.x = spec->x0 * zoom + minx;
    // Rows count from the top of the canvas; y counts up from the cell bottom.
    p.y = (spec->y0 + spec->h) * zoom - 1 - maxy;
    p.px.resize(size_t(p.w) * size_t(p.h));
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x)
        p.px[size_t(y) * size_t(p.w) + size_t(x)] = px[size_t(y + miny) * size_t(c.pw) + size_t(x + minx)];
    out->placements.push_back(std::move(p));
  }
  if (out->placements.empty()) {
    ApcPlacement p;
    p.layer = spec->layers[0];
    p.w = p.h = 1;
    p.px.assign(1, CNV_TRANSPARENT);
    out->placements.push_back(p);
  }
}

#include "tools/gfxgen/art_scene.h"

#include <cmath>
#include <vector>

void Asc_DirVector(int connector, float* dx, float* dv) {
  static const float s = 0.70710678f;
  static const float dirs[8][2] = {{0, 1}, {0, -1}, {-1, 0}, {1, 0}, {s, -s}, {-s, s}, {-s, -s}, {s, s}};
  int k = connector & 7;
  *dx = dirs[k][0];
  *dv = dirs[k][1];
}

u32 Asc_Hash(u32 a, u32 b) {
  u32 h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u + (a << 6) + (a >> 2));
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

void Asc_Prism(Canvas* c, const float* xv, int n, float z0, float z1, u32 wall, u32 top) {
  for (int i = 0; i < n; ++i) {
    float ax = xv[2 * i], av = xv[2 * i + 1];
    float bx = xv[2 * ((i + 1) % n)], bv = xv[2 * ((i + 1) % n) + 1];
    float ex = bx - ax, ev = bv - av, len = std::sqrt(ex * ex + ev * ev);
    if (len < 1e-4f) continue;
    float nx = ev / len, nv = -ex / len;  // outward for a counter-clockwise outline
    if (nv >= -1e-4f) continue;           // faces away or edge-on
    float shade = 0.92f - 0.12f * nx;
    float q[8] = {ax, Asc_Sy(av, z0), bx, Asc_Sy(bv, z0), bx, Asc_Sy(bv, z1), ax, Asc_Sy(av, z1)};
    Cnv_FillPoly(c, q, 4, Cnv_Shade(wall, shade));
  }
  std::vector<float> t(static_cast<size_t>(2 * n));
  for (int i = 0; i < n; ++i) {
    t[size_t(2 * i)] = xv[2 * i];
    t[size_t(2 * i + 1)] = Asc_Sy(xv[2 * i + 1], z1);
  }
  Cnv_FillPoly(c, t.data(), n, top);
}

void Asc_Box(Canvas* c, float x, float v, float w, float d, float z0, float z1, u32 wall, u32 top) {
  float p[8] = {x, v, x + w, v, x + w, v + d, x, v + d};
  Asc_Prism(c, p, 4, z0, z1, wall, top);
}

void Asc_GableRoof(Canvas* c, float x, float v, float w, float d, float z0, float rise, bool alongX, u32 roof) {
  const float o = 1.0f;  // eaves overhang
  float zr = z0 + rise;
  if (alongX) {
    float vm = v + d / 2;
    float back[8] = {x - o, Asc_Sy(v + d + o, z0), x + w + o, Asc_Sy(v + d + o, z0), x + w + o, Asc_Sy(vm, zr),
                     x - o, Asc_Sy(vm, zr)};
    float front[8] = {x - o, Asc_Sy(v - o, z0), x + w + o, Asc_Sy(v - o, z0), x + w + o, Asc_Sy(vm, zr),
                      x - o, Asc_Sy(vm, zr)};
    Cnv_FillPoly(c, back, 4, Cnv_Shade(roof, 1.12f));
    Cnv_FillPoly(c, front, 4, Cnv_Shade(roof, 0.88f));
    Cnv_Line(c, x - o, Asc_Sy(vm, zr), x + w + o, Asc_Sy(vm, zr), 0.6f, Cnv_Shade(roof, 0.7f));
  } else {
    float xm = x + w / 2;
    float left[8] = {x - o, Asc_Sy(v - o, z0), xm, Asc_Sy(v - o, zr), xm, Asc_Sy(v + d + o, zr), x - o,
                     Asc_Sy(v + d + o, z0)};
    float right[8] = {xm, Asc_Sy(v - o, zr), x + w + o, Asc_Sy(v - o, z0), x + w + o, Asc_Sy(v + d + o, z0), xm,
                      Asc_Sy(v + d + o, zr)};
    Cnv_FillPoly(c, left, 4, Cnv_Shade(roof, 1.1f));
    Cnv_FillPoly(c, right, 4, Cnv_Shade(roof, 0.85f));
    float gable[6] = {x, Asc_Sy(v, z0), x + w, Asc_Sy(v, z0), xm, Asc_Sy(v, zr - 0.5f)};
    Cnv_FillPoly(c, gable, 3, Cnv_Shade(roof, 0.75f));
  }
}

void Asc_Shadow(Canvas* c, float x, float v, float w, float d, float height) {
  float s = height * 0.35f;
  float p[12] = {x + w, Asc_Sy(v, 0), x + w + s, Asc_Sy(v + s * 0.5f, 0), x + w + s, Asc_Sy(v + d + s, 0),
                 x + s,  Asc_Sy(v + d + s, 0), x, Asc_Sy(v + d, 0), x, Asc_Sy(v, 0)};
  Cnv_ShadowPoly(c, p, 6);
}

void Asc_Post(Canvas* c, float x, float v, float height, u32 colour) {
  float px = std::floor(x), py = Asc_Sy(v, 0);
  float w = c->zoom >= 2 ? 0.75f : 1.0f;
  Cnv_Rect(c, px, py, w, height, colour);
  if (c->zoom >= 2) Cnv_Rect(c, px + w - 0.25f, py, 0.25f, height, Cnv_Shade(colour, 0.6f));
  float sh[8] = {px + w, py, px + w + height * 0.3f, py + height * 0.15f, px + w + height * 0.3f + 0.6f,
                 py + height * 0.15f, px + w + 0.6f, py};
  Cnv_ShadowPoly(c, sh, 4);
}

void Asc_Board(Canvas* c, float x, float v, float z, float w, float h, u32 face, u32 frame) {
  float left = std::floor(x - w / 2 + 0.5f), bottom = std::floor(Asc_Sy(v, z) + 0.5f);
  Cnv_FramedRect(c, left, bottom, w, h, face, frame);
}

void Asc_Tree(Canvas* c, float x, float v, float size, int kind, u32 seed) {
  float sy = Asc_Sy(v, 0);
  // Shadow first, falling to the right.
  Cnv_ShadowPoly(c, std::vector<float>{x - size * 0.3f, sy, x + size * 0.9f, sy + size * 0.15f, x + size * 1.1f,
                                       sy + size * 0.45f, x + size * 0.2f, sy + size * 0.4f}
                        .data(),
                 4);
  u32 trunk = Cnv_Rgb(110, 78, 46);
  float th = kind == 1 ? size * 0.35f : size * 0.55f;
  Cnv_Rect(c, x - size * 0.08f, sy, std::max(size * 0.16f, 1.0f / float(c->zoom)), th + size * 0.2f, trunk);
  u32 base = kind == 1 ? Cnv_Rgb(38, 96, 52) : Cnv_Rgb(70 + int(seed % 30), 128 + int(seed / 7 % 30), 52);
  if (kind == 1) {
    // Conifer: three stacked tiers, darker on the right.
    for (int i = 0; i < 3; ++i) {
      float b = sy + th + float(i) * size * 0.38f - size * 0.1f, wdt = size * (0.62f - float(i) * 0.15f);
      float t[6] = {x - wdt, b, x + wdt, b, x, b + size * 0.62f};
      Cnv_FillPoly(c, t, 3, Cnv_Shade(base, 0.95f + 0.08f * float(i)));
      float r[6] = {x, b, x + wdt, b, x, b + size * 0.62f};
      Cnv_FillPoly(c, r, 3, Cnv_Shade(base, 0.75f));
    }
  } else {
    float cy = sy + th + size * 0.45f;
    Cnv_Ellipse(c, x + size * 0.12f, cy - size * 0.08f, size * 0.58f, size * 0.5f, Cnv_Shade(base, 0.72f));
    Cnv_Ellipse(c, x - size * 0.05f, cy, size * 0.55f, size * 0.5f, base);
    Cnv_Ellipse(c, x - size * 0.2f, cy + size * 0.15f, size * 0.3f, size * 0.26f, Cnv_Shade(base, 1.2f));
  }
}

void Asc_Bush(Canvas* c, float x, float v, float size, u32 seed) {
  float sy = Asc_Sy(v, 0);
  u32 base = Cnv_Rgb(64 + int(seed % 25), 118 + int(seed / 5 % 25), 48);
  Cnv_ShadowPoly(c, std::vector<float>{x - size * 0.6f, sy, x + size * 1.0f, sy, x + size * 1.2f, sy + size * 0.4f,
                                       x, sy + size * 0.4f}
                        .data(),
                 4);
  Cnv_Ellipse(c, x + size * 0.15f, sy + size * 0.4f, size * 0.7f, size * 0.42f, Cnv_Shade(base, 0.75f));
  Cnv_Ellipse(c, x - size * 0.05f, sy + size * 0.48f, size * 0.62f, size * 0.4f, base);
  Cnv_Ellipse(c, x - size * 0.25f, sy + size * 0.6f, size * 0.28f, size * 0.2f, Cnv_Shade(base, 1.2f));
}

void Asc_Flat(Canvas* c, const float* xv, int n, float z, u32 colour, float alpha) {
  std::vector<float> p(static_cast<size_t>(2 * n));
  for (int i = 0; i < n; ++i) {
    p[size_t(2 * i)] = xv[2 * i];
    p[size_t(2 * i + 1)] = Asc_Sy(xv[2 * i + 1], z);
  }
  Cnv_FillPoly(c, p.data(), n, colour, alpha);
}

void Asc_FlatBand(Canvas* c, const float* xv, int n, float width, float z, u32 colour) {
  // Quads between offset points; joints overlap a little, which keeps the
  // band closed on curves.
  for (int i = 0; i + 1 < n; ++i) {
    float ax = xv[2 * i], av = xv[2 * i + 1], bx = xv[2 * i + 2], bv = xv[2 * i + 3];
    float ex = bx - ax, ev = bv - av, len = std::sqrt(ex * ex + ev * ev);
    if (len < 1e-4f) continue;
    float nx = -ev / len * width / 2, nv = ex / len * width / 2;
    float ext = 0.3f;
    float ux = ex / len * ext, uv = ev / len * ext;
    float q[8] = {ax + nx - ux, av + nv - uv, bx + nx + ux, bv + nv + uv, bx - nx + ux, bv - nv + uv,
                  ax - nx - ux, av - nv - uv};
    Asc_Flat(c, q, 4, z, colour);
  }
}

void Asc_Panel(Canvas* c, float x, float y, float w, float h, u32 face) {
  const float t = 1.0f / float(c->zoom);
  Cnv_FramedRect(c, x, y, w, h, face, Cnv_Shade(face, 0.5f));
  // At zoom 1 a board is a few pixels: a bevel would leave no face.
  if (c->zoom < 2 || w < 5 * t || h < 5 * t) return;
  Cnv_Rect(c, x + t, y + t, w - 2 * t, h - 2 * t, Cnv_Shade(face, 0.8f));
  Cnv_Rect(c, x + t, y + 2 * t, w - 3 * t, h - 3 * t, Cnv_Mix(face, Cnv_Rgb(255, 252, 240), 0.4f));
  Cnv_Rect(c, x + 2 * t, y + 2 * t, w - 4 * t, h - 4 * t, face);
}

void Asc_Disc(Canvas* c, float cx, float cy, float r, u32 face) {
  const float t = 1.0f / float(c->zoom);
  Cnv_Ellipse(c, cx, cy, r + t, r + t, Cnv_Shade(face, 0.5f));
  if (c->zoom < 2) {
    Cnv_Ellipse(c, cx, cy, r, r, face);
    return;
  }
  Cnv_Ellipse(c, cx, cy, r, r, Cnv_Mix(face, Cnv_Rgb(255, 252, 240), 0.4f));
  Cnv_Ellipse(c, cx + t * 0.7f, cy - t * 0.7f, r - t * 0.7f, r - t * 0.7f, face);
}

#include "tools/gfxgen/art_symbol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/gfxgen/art_anim.h"
#include "tools/gfxgen/art_scene.h"
#include "tools/gfxgen/art_track.h"

namespace {

struct Family {
  u16 first, last;
  int kind;
  const char* name;
};

enum {
  F_MARK, F_WAY, F_PLATFORM, F_FENCE, F_STATION, F_HOUSE, F_BOAT, F_PIER, F_TREE, F_INDUSTRY, F_STREET, F_MAST,
  F_FURNITURE, F_CLOCK, F_FIELD, F_FOREST, F_CITY, F_WATER, F_ROCK, F_SIGN, F_EDGE, F_RAMP
};

const Family kFamilies[] = {
    {49154, 49158, F_MARK, "mark"},          {49408, 49487, F_WAY, "way"},
    {49664, 49743, F_WAY, "way"},            {49920, 49999, F_WAY, "way"},
    {50176, 50255, F_WAY, "way"},            {50452, 50469, F_PLATFORM, "platform"},
    {50688, 50701, F_FENCE, "fence"},        {50944, 50981, F_STATION, "station building"},
    {51200, 51343, F_HOUSE, "house"},        {51456, 51463, F_BOAT, "boat"},
    {51712, 51721, F_PIER, "bridge pier"},   {51968, 52077, F_TREE, "tree"},
    {52224, 52293, F_INDUSTRY, "industry"},  {52480, 52679, F_STREET, "street"},
    {52736, 52761, F_MAST, "catenary mast"}, {52992, 53065, F_FURNITURE, "street furniture"},
    {53248, 53253, F_CLOCK, "clock"},        {53504, 53605, F_FIELD, "field"},
    {53760, 53849, F_FOREST, "forest"},      {54016, 54177, F_CITY, "town building"},
    {54272, 54417, F_WATER, "water"},        {54528, 54713, F_ROCK, "rocks"},
    {54784, 54831, F_SIGN, "sign"},          {55040, 55057, F_EDGE, "platform edge"},
    {55296, 55313, F_RAMP, "embankment"}};

const Family* FamilyOf(u32 code) {
  for (const Family& f : kFamilies)
    if (code >= f.first && code <= f.last) return &f;
  return nullptr;
}

const u32 kWhite = Cnv_Rgb(240, 240, 236), kDark = Cnv_Rgb(36, 36, 38);

// ---------------------------------------------------------------- ways and areas
// Path sets of the way pictures, by index within a family of 80.
struct WayShape {
  u8 paths[3][2];
  u8 n;
  u8 narrow;
};

WayShape WayOf(int i) {
  static const u8 curves90[4][2] = {{1, 2}, {1, 3}, {0, 3}, {0, 2}};
  static const u8 curves45[8][2] = {{1, 5}, {0, 6}, {0, 4}, {1, 7}, {2, 4}, {2, 7}, {3, 5}, {3, 6}};
  WayShape w = {{{0, 0}, {0, 0}, {0, 0}}, 0, 0};
  auto add = [&](int a, int b) {
    w.paths[w.n][0] = u8(a);
    w.paths[w.n][1] = u8(b);
    ++w.n;
  };
  if (i <= 1) add(2, 3), w.narrow = u8(i);
  else if (i <= 3) add(0, 1), w.narrow = u8(i - 2);
  else if (i <= 7) add(curves90[i - 4][0], curves90[i - 4][1]);
  else if (i == 8) add(2, 3), add(0, 1);
  else if (i <= 12) add(i == 9 ? 2 : i == 10 ? 3 : i == 11 ? 0 : 1, ATK_CENTRE);
  else if (i == 13) add(2, 3), add(1, ATK_CENTRE);
  else if (i <= 17) add(curves90[i - 14][0], curves90[i - 14][1]), w.narrow = 1;
  else if (i <= 21) add(i == 18 || i == 21 ? 6 : 4, i == 18 || i == 21 ? 7 : 5), w.narrow = u8(i >= 20);
  else if (i >= 64) add(curves45[(i - 64) & 7][0], curves45[(i - 64) & 7][1]), w.narrow = u8(i >= 72);
  return w;  // 22..63: areas (n = 0)
}

// Way pictures are worked out pixel by pixel from each pixel's place
// against the paths: how far across the way it lies, how far along, and on
// which side. A pixel's colour follows from its position in the cell frame
// alone, so a way running on over a cell border meets its neighbour pixel
// for pixel at every zoom, and a path owns only what lies between the
// square cuts at its ends (a polygon band reaching half a pixel over the
// border put its kerb over the neighbour's surface there).
struct WayPath {
  float xv[84];
  float s[42];   // distance along the path to each point, 0 at its start
  int n;
  int cap;       // ends in the cell's centre: a rounded end
  float length;  // from start to end, without the runs past corners
};

struct WayStyle {
  WayPath paths[3];
  int count;
  float half;                       // half the width, ground units
  u32 surface, outline, lit, shade, mark;
  int texture;                      // 0 asphalt, 1 setts, 2 gravel, 3 earth with ruts
  int zoom;
  float pave;                       // pavement each side, ground units (0 none)
  u32 pavement, paveEdge;
  int dashes;                       // dashed centre line
  int zebra;                        // path with a zebra crossing, -1 none
  float zebraAt;                    // its middle, distance along the path
  float outlinePx, bevelPx, markPx; // line widths in zoom-1 units
};

struct WayProbe {
  int inside;  // within the way's width and between its end cuts
  float edge;  // screen distance to the way's edge (zoom-1 units)
  float across;// signed screen distance from the centre, + toward the upper left
  float along; // ground distance along the path
  float length;
  float scale; // screen units of one ground unit across the path
};

WayProbe ProbeWay(const WayPath& p, float half, float x, float v) {
  WayProbe r = {0, 0, 0, 0, p.length, 1};
  float best = 1e9f;
  for (int i = 0; i + 1 < p.n; ++i) {
    const float ax = p.xv[2 * i], av = p.xv[2 * i + 1], bx = p.xv[2 * i + 2], bv = p.xv[2 * i + 3];
    const float ex = bx - ax, ev = bv - av, len2 = ex * ex + ev * ev;
    if (len2 < 1e-8f) continue;
    const float len = std::sqrt(len2), t = ((x - ax) * ex + (v - av) * ev) / len2;
    const float tc = t < 0 ? 0 : t > 1 ? 1 : t;
    const float qx = ax + ex * tc - x, qv = av + ev * tc - v, d2 = qx * qx + qv * qv;
    if (d2 >= best) continue;
    best = d2;
    // Beyond the square cut of an open end the pixel is the neighbour's.
    const bool beyond = (i == 0 && t < 0) || (i + 2 == p.n && t > 1 && !p.cap);
    const float ux = ex / len, uv = ev / len;
    const float d = ((x - ax) * -uv + (v - av) * ux);  // toward the left normal
    // Screen scale across the path: the depth is shown at half height.
    const float k = 0.5f / std::sqrt(ux * ux + uv * uv * 0.25f);
    const bool leftIsUpper = -uv * -1.0f + ux * 1.01f > 0;
    const float dist = std::sqrt(d2);
    r.inside = !beyond && dist < half;
    r.edge = (half - dist) * k;
    r.across = (leftIsUpper ? d : -d) * k;
    r.along = p.s[i] + tc * len;
    r.scale = k;
  }
  return r;
}

// The surface's own texture at a pixel, from its place in the cell frame:
// setts, gravel and earth repeat with the cell, so they run on over borders.
u32 WayTexture(const WayStyle& st, float x, float y, const WayProbe& p) {
  const float px = 1.0f / float(st.zoom);
  const int z = st.zoom;
  auto grain = [&](int modulo) {
    const int ix = ((int(std::floor(x * float(z))) % (32 * z)) + 32 * z) % (32 * z);
    const int iy = ((int(std::floor(y * float(z))) % (16 * z)) + 16 * z) % (16 * z);
    return int(Asc_Hash(u32(ix), u32(iy) + 0x3C1u) % u32(modulo));
  };
  switch (st.texture) {
    case 1: {
      // Setts in courses two units high, every other course half a sett on.
      const float yy = y + 64.0f;
      const int course = int(std::floor(yy / 2));
      const bool joint = std::fmod(yy, 2.0f) < px || std::fmod(x + 64.0f + float(course & 1) * 2, 4.0f) < px;
      return joint ? Cnv_Shade(st.surface, z == 1 ? 0.92f : 0.82f) : st.surface;
    }
    case 2: {
      const int g = grain(7);
      return g == 0 ? Cnv_Shade(st.surface, 0.88f) : g == 1 ? Cnv_Shade(st.surface, 1.08f) : st.surface;
    }
    case 3: {
      // Two wheel ruts half way out from the middle.
      const float a = std::fabs(p.across), rut = a - 0.5f * (a + p.edge);
      if (rut >= 0 && rut < (z >= 4 ? 2 * px : px)) return Cnv_Shade(st.surface, 0.84f);
      return grain(9) == 0 ? Cnv_Shade(st.surface, 0.9f) : st.surface;
    }
  }
  return st.surface;
}

u32 WayPixel(float x, float y, const void* ctx) {
  const WayStyle& st = *static_cast<const WayStyle*>(ctx);
  const float v = y * 2;  // flat on the ground
  WayProbe pr[3];
  int deepest = -1;
  for (int k = 0; k < st.count; ++k) {
    pr[k] = ProbeWay(st.paths[k], st.half + st.pave, x, v);
    if (pr[k].inside && (deepest < 0 || pr[k].edge > pr[deepest].edge)) deepest = k;
  }
  if (deepest < 0) return CNV_TRANSPARENT;
  WayProbe p = pr[deepest];
  // Where ways meet, kerbs and markings give way to the other way's surface.
  bool joined = false;
  for (int k = 0; k < st.count; ++k)
    if (k != deepest && pr[k].inside) joined = true;
  if (st.pave > 0) {
    // A pavement outside the kerb: its outer edge dark, the kerb stone lit.
    if (p.edge < st.outlinePx) return st.paveEdge;
    p.edge -= st.pave * p.scale;
    if (p.edge < -st.outlinePx) return st.pavement;
    if (p.edge < 0) return Cnv_Shade(st.pavement, 1.1f);
  }
  if (p.edge < st.outlinePx) return st.outline;
  const bool zebra = st.zebra == deepest && std::fabs(p.along - st.zebraAt) < 4.5f;
  if (zebra)
    return std::fmod(p.across + 64.0f, 2.0f) < 1.0f ? kWhite : st.surface;
  // The kerb on the upper left throws its shadow onto the way; the one on
  // the lower right shows its lit face.
  if (p.edge < st.outlinePx + st.bevelPx) return p.across > 0 ? st.shade : st.lit;
  // At zoom 1 a dash on a curve breaks into stray pixels: straights only.
  const bool straight = st.paths[deepest].n == 2;
  if (st.dashes && !joined && (straight || st.zoom > 1) && p.across >= 0 && p.across < st.markPx) {
    // Past a corner the way is the diagonal's, in the diagonal's rhythm.
    const float diagonal = std::hypot(32.0f, 32.0f);
    const bool past = p.along < 0 || p.along > p.length;
    const float length = past ? diagonal : p.length, along = p.along > p.length ? p.along - p.length : p.along;
    const float period = length / std::max(1.0f, std::round(length / 8.0f));
    float ph = std::fmod(along, period) / period;
    if (ph < 0) ph += 1;
    if (ph >= 0.25f && ph < 0.75f) return st.mark;
  }
  return WayTexture(st, x, y, p);
}

void DrawWay(Canvas* c, u32 code, int bank, int i, bool zebra = false, bool pavement = false) {
  static const u32 surfaces[4] = {Cnv_Rgb(104, 106, 110), Cnv_Rgb(140, 128, 116), Cnv_Rgb(176, 164, 136),
                                  Cnv_Rgb(150, 120, 84)};
  u32 surf = surfaces[bank & 3], edge = Cnv_Shade(surf, 0.62f);
  WayShape w = WayOf(i);
  if (w.n == 0) {
    // Area tiles: a paved square with kerbs on the sides the index names.
    int k = i - 22, sides = k & 15;
    float a[8] = {0, 0, 32, 0, 32, 32, 0, 32};
    Asc_Flat(c, a, 4, 0, surf);
    for (int y = 0; y < 32; y += 4)
      for (int x = (y / 4) % 2 * 4; x < 32; x += 8) {
        float t[8] = {float(x), float(y), float(x + 4), float(y), float(x + 4), float(y + 4), float(x), float(y + 4)};
        Asc_Flat(c, t, 4, 0, Cnv_Shade(surf, k >= 16 ? 0.92f : 0.96f));
      }
    // Kerbs one pixel wide at zoom 1, on whole pixels at every zoom.
    const float t = c->zoom >= 4 ? 0.5f : 1.0f;
    if (sides & 1) Cnv_Rect(c, 0, 16 - t, 32, t, edge);
    if (sides & 2) Cnv_Rect(c, 0, 0, 32, t, edge);
    if (sides & 4) Cnv_Rect(c, 0, 0, t, 16, edge);
    if (sides & 8) Cnv_Rect(c, 32 - t, 0, t, 16, edge);
    if (zebra) {
      // Bars along the square's width, across a walk from the near side.
      for (float x = 10; x < 22; x += 2) Cnv_Rect(c, x, 5, 1, 6, kWhite);
    }
    if (k >= 32) Asc_Bush(c, 16, 16, 5, Asc_Hash(code));
    return;
  }
  static WayStyle st;
  st = WayStyle();
  st.count = w.n;
  st.half = w.narrow ? 6 : 8;
  st.surface = surf;
  st.outline = edge;
  st.lit = Cnv_Shade(surf, 1.18f);
  st.shade = Cnv_Shade(surf, 0.84f);
  st.mark = Cnv_Rgb(232, 232, 222);
  st.dashes = bank == 0 && !w.narrow;
  st.texture = bank & 3;
  st.zoom = c->zoom;
  st.pave = pavement ? 4 : 0;
  st.pavement = Cnv_Rgb(178, 174, 164);
  st.paveEdge = Cnv_Shade(st.pavement, 0.66f);
  const float px = 1.0f / float(c->zoom);
  st.outlinePx = c->zoom >= 4 ? 2 * px : px;
  st.bevelPx = c->zoom >= 4 ? 2 * px : px;
  st.markPx = c->zoom >= 4 ? 2 * px : px;
  st.zebra = zebra ? 0 : -1;
  for (int p = 0; p < w.n; ++p) {
    WayPath& q = st.paths[p];
    float pts[80];
    const int n = Atk_PathLine(w.paths[p][0], w.paths[p][1], pts, 40);
    q.cap = w.paths[p][1] == ATK_CENTRE;
    // At a corner the way goes on into the cells beside the corner, where the
    // compositor shows this picture but not the next one's (the row above
    // never draws its ground into the row below). It runs on along the
    // diagonal itself, so where both pictures reach they agree.
    const float run = st.half + st.pave + 1;
    auto corner = [](int k) { return k >= 4 && k <= 7; };
    auto outward = [](int k, float* ox, float* ov) {
      float cx, cv;
      Atk_ConnectorPoint(k, &cx, &cv);
      const float l = std::hypot(cx - 16, cv - 16);
      *ox = (cx - 16) / l, *ov = (cv - 16) / l;
    };
    q.n = 0;
    float ox, ov;
    const bool runA = corner(w.paths[p][0]), runB = corner(w.paths[p][1]);
    // The last stretch of a bend into a corner lies on the diagonal itself
    // (the polyline's chords stray from it by a fraction of a unit), so the
    // bend and the diagonal it meets put their kerbs on the same pixels.
    for (int end = 0; end < 2; ++end) {
      if (!(end ? runB : runA) || n <= 2) continue;
      outward(w.paths[p][end], &ox, &ov);
      const float cx = end ? pts[2 * n - 2] : pts[0], cv = end ? pts[2 * n - 1] : pts[1];
      for (int k = 0; k < n; ++k) {
        const float t = (pts[2 * k] - cx) * ox + (pts[2 * k + 1] - cv) * ov;
        if (t < -22) continue;
        // Eased onto the line over ten units, on it for the last twelve.
        const float a = std::min(1.0f, (t + 22) / 10), wgt = a * a * (3 - 2 * a);
        pts[2 * k] += (cx + ox * t - pts[2 * k]) * wgt, pts[2 * k + 1] += (cv + ov * t - pts[2 * k + 1]) * wgt;
      }
    }
    if (runA) {
      outward(w.paths[p][0], &ox, &ov);
      q.xv[0] = pts[0] + ox * run, q.xv[1] = pts[1] + ov * run;
      q.s[0] = -run;
      q.n = 1;
    }
    for (int k = 0; k < n; ++k, ++q.n) {
      q.xv[2 * q.n] = pts[2 * k], q.xv[2 * q.n + 1] = pts[2 * k + 1];
      q.s[q.n] = k == 0 ? 0 : q.s[q.n - 1] + std::hypot(pts[2 * k] - pts[2 * k - 2], pts[2 * k + 1] - pts[2 * k - 1]);
    }
    q.length = q.s[q.n - 1];
    if (runB) {
      outward(w.paths[p][1], &ox, &ov);
      q.xv[2 * q.n] = pts[2 * n - 2] + ox * run, q.xv[2 * q.n + 1] = pts[2 * n - 1] + ov * run;
      q.s[q.n] = q.length + run;
      ++q.n;
    }
  }
  // A crossing lies in the middle of a lone straight way; on a bend, where
  // it leaves its first side, whose bars stay nearly straight; on a
  // junction, on the first way short of the junction.
  const bool straight = (w.paths[0][0] ^ 1) == w.paths[0][1];
  if (zebra) st.zebraAt = w.n > 1 ? 7 : straight ? st.paths[0].length / 2 : 5.5f;
  // Only the pixels near the paths need asking.
  float x0 = 1e9f, x1 = -1e9f, v0 = 1e9f, v1 = -1e9f;
  for (int p = 0; p < w.n; ++p)
    for (int k = 0; k < st.paths[p].n; ++k) {
      x0 = std::min(x0, st.paths[p].xv[2 * k]), x1 = std::max(x1, st.paths[p].xv[2 * k]);
      v0 = std::min(v0, st.paths[p].xv[2 * k + 1]), v1 = std::max(v1, st.paths[p].xv[2 * k + 1]);
    }
  const float m = 2 * (st.half + st.pave + 1);
  Cnv_PaintPixels(c, x0 - m, (v0 - m) / 2, x1 - x0 + 2 * m, (v1 - v0 + 2 * m) / 2, WayPixel, &st);
}

// ---------------------------------------------------------------- building style
// Every building has one look: an outline in a deep shade of the surface it
// bounds (never pure black, so it keeps its hue by dusk and night), light
// from the upper left with one highlight and one shade on each surface, and
// hard pixel edges. Pictures are drawn from the back to the front.

// One output pixel in zoom-1 units.
float Px(const Canvas* c) { return 1.0f / float(c->zoom); }

u32 Ink(u32 surface) { return Cnv_Mix(Cnv_Shade(surface, 0.34f), Cnv_Rgb(30, 24, 32), 0.4f); }

const u32 kGlass = Cnv_Rgb(58, 80, 104), kGlint = Cnv_Rgb(140, 170, 192), kDoor = Cnv_Rgb(96, 62, 40);
const u32 kSlate = Cnv_Rgb(86, 90, 104), kTile = Cnv_Rgb(164, 74, 52), kBrick = Cnv_Rgb(172, 92, 66),
          kConcrete = Cnv_Rgb(176, 172, 162), kSteel = Cnv_Rgb(96, 110, 118);

// The polygon grown by one pixel in ink; drawn before the surfaces, it
// leaves their outline.
void Rim(Canvas* c, const float* xy, int n, u32 ink) {
  const float t = Px(c);
  std::vector<float> q(xy, xy + 2 * n);
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy) {
      if (dx == 0 && dy == 0) continue;
      for (int k = 0; k < n; ++k) {
        q[size_t(2 * k)] = xy[2 * k] + float(dx) * t;
        q[size_t(2 * k + 1)] = xy[2 * k + 1] + float(dy) * t;
      }
      Cnv_FillPoly(c, q.data(), n, ink);
    }
}

void RimRect(Canvas* c, float x, float y, float w, float h, u32 ink) {
  const float t = Px(c);
  Cnv_Rect(c, x - t, y - t, w + 2 * t, h + 2 * t, ink);
}

// A block standing on the ground rectangle (x, v, w, d) from z0 to z1: the
// front wall with a lit left edge and a shaded right edge, the top with a
// lit front edge.
void LitBox(Canvas* c, float x, float v, float w, float d, float z0, float z1, u32 wall, u32 top) {
  const float y0 = Asc_Sy(v, z0), y1 = Asc_Sy(v, z1), y2 = Asc_Sy(v + d, z1), e = std::min(1.0f, w / 5);
  RimRect(c, x, y0, w, y2 - y0, Ink(wall));
  Cnv_Rect(c, x, y0, w, y1 - y0, wall);
  Cnv_Rect(c, x, y0, e, y1 - y0, Cnv_Shade(wall, 1.14f));
  Cnv_Rect(c, x + w - e, y0, e, y1 - y0, Cnv_Shade(wall, 0.8f));
  if (y2 - y1 >= Px(c)) {
    Cnv_Rect(c, x, y1, w, y2 - y1, top);
    Cnv_Rect(c, x, y1, w, Px(c), Cnv_Shade(top, 1.2f));
  }
}

// A pitched roof over the block (x, v, w, d) from eaves height z0, rising by
// rise. Along x the front slope faces the viewer, lit at the ridge and shaded
// at the eaves; along v the gable end in the wall colour faces the viewer
// between a lit left slope and a shaded right one.
void LitRoof(Canvas* c, float x, float v, float w, float d, float z0, float rise, bool alongX, u32 roof, u32 wall) {
  const float o = 1, t = Px(c), zr = z0 + rise;
  if (alongX) {
    const float vm = v + d / 2, yb = Asc_Sy(v - o, z0), yr = Asc_Sy(vm, zr), yk = Asc_Sy(v + d + o, z0);
    const float top = std::max(yr, yk);
    RimRect(c, x - o, yb, w + 2 * o, top - yb, Ink(roof));
    if (yk > yr) Cnv_Rect(c, x - o, yr, w + 2 * o, yk - yr, Cnv_Shade(roof, 1.12f));
    Cnv_Rect(c, x - o, yb, w + 2 * o, yr - yb, roof);
    if (c->zoom >= 2)
      for (float y = yb + 2; y < yr - 1.5f; y += 2) Cnv_Rect(c, x - o, y, w + 2 * o, t, Cnv_Shade(roof, 0.9f));
    Cnv_Rect(c, x - o, yr - 1, w + 2 * o, 1, Cnv_Shade(roof, 1.2f));
    Cnv_Rect(c, x - o, yb, w + 2 * o, 1, Cnv_Shade(roof, 0.74f));
    Cnv_Rect(c, x + w + o - 1, yb, 1, yr - yb, Cnv_Shade(roof, 0.8f));
    return;
  }
  const float xm = x + w / 2, yb = Asc_Sy(v - o, z0), yf = Asc_Sy(v - o, zr), yk = Asc_Sy(v + d + o, z0),
              ya = Asc_Sy(v + d + o, zr);
  const float s[10] = {x - o, yb, x + w + o, yb, x + w + o, yk, xm, ya, x - o, yk};
  Rim(c, s, 5, Ink(roof));
  const float left[8] = {x - o, yb, xm, yf, xm, ya, x - o, yk};
  const float right[8] = {xm, yf, x + w + o, yb, x + w + o, yk, xm, ya};
  Cnv_FillPoly(c, left, 4, Cnv_Shade(roof, 1.12f));
  Cnv_FillPoly(c, right, 4, Cnv_Shade(roof, 0.78f));
  const float gable[6] = {x - o, yb, x + w + o, yb, xm, yf};
  Cnv_FillPoly(c, gable, 3, wall);
  Cnv_Line(c, x - o, yb, xm, yf, t, Ink(roof));
  Cnv_Line(c, xm, yf, x + w + o, yb, t, Ink(roof));
}

// A window, lit at night by its tag, with a glint in its upper left and a
// light sill at the larger zooms.
void Window(Canvas* c, float x, float y, float w, float h, u32 wall, u32 tag) {
  const float t = Px(c);
  Cnv_SetTag(c, tag);
  Cnv_Rect(c, x, y, w, h, kGlass);
  if (c->zoom >= 2) Cnv_Rect(c, x, y + h - t, t * 2, t, kGlint);
  Cnv_SetTag(c, 0);
  if (c->zoom >= 2) Cnv_Rect(c, x - t, y - t, w + 2 * t, t, Cnv_Shade(wall, 1.2f));
}

void Door(Canvas* c, float x, float y, float w, float h) {
  RimRect(c, x, y, w, h, Ink(kDoor));
  Cnv_Rect(c, x, y, w, h, kDoor);
  if (c->zoom >= 2) Cnv_Rect(c, x, y, Px(c), h, Cnv_Shade(kDoor, 1.25f));
}

// A vertical drum standing at ground (cx, v), radius r, from z0 to z1: lit
// on the left, shaded on the right, its top a lit ellipse.
void Drum(Canvas* c, float cx, float v, float r, float z0, float z1, u32 col) {
  const float yb = Asc_Sy(v, z0), yt = Asc_Sy(v, z1), t = Px(c);
  const u32 ink = Ink(col);
  Cnv_Ellipse(c, cx, yb, r + t, r * 0.5f + t, ink);
  Cnv_Rect(c, cx - r - t, yb, 2 * r + 2 * t, yt - yb, ink);
  Cnv_Ellipse(c, cx, yt, r + t, r * 0.5f + t, ink);
  auto band = [&](float a, float b, u32 fill) {
    float p[16];
    int n = 0;
    for (int k = 0; k <= 5; ++k, ++n) {
      const float f = a + (b - a) * float(k) / 5;
      p[2 * n] = cx + f * r;
      p[2 * n + 1] = yb - 0.5f * r * std::sqrt(std::max(0.0f, 1 - f * f));
    }
    p[2 * n] = cx + b * r, p[2 * n + 1] = yt, ++n;
    p[2 * n] = cx + a * r, p[2 * n + 1] = yt, ++n;
    Cnv_FillPoly(c, p, n, fill);
  };
  band(-1, 1, col);
  band(-0.75f, -0.35f, Cnv_Shade(col, 1.14f));
  band(0.45f, 1, Cnv_Shade(col, 0.78f));
  Cnv_Ellipse(c, cx, yt, r, r * 0.5f, Cnv_Shade(col, 1.1f));
  Cnv_Ellipse(c, cx + r * 0.15f, yt - r * 0.05f, r * 0.6f, r * 0.28f, Cnv_Shade(col, 0.96f));
}

// A row of windows over the front wall from x to x + w, floors of height fh
// from z = 0; on the ground floor the opening door takes a window's place,
// so no window lies under it. -1 for no door.
int WindowSlots(float x, float w, float pitch) {
  int n = 0;
  for (float wx = x + 2; wx + 2 <= x + w - 1.5f; wx += pitch) ++n;
  return n;
}

void Facade(Canvas* c, float x, float v, float w, int floors, float fh, float pitch, int door, u32 wall, u32 tag) {
  const int n = WindowSlots(x, w, pitch);
  const float used = float(n - 1) * pitch + 2, x0 = x + (w - used) / 2;
  for (int f = 0; f < floors; ++f)
    for (int k = 0; k < n; ++k) {
      const float wx = x0 + pitch * float(k), y = Asc_Sy(v, float(f) * fh + 2);
      if (f == 0 && k == door) Door(c, wx, Asc_Sy(v, 0), 2, std::min(fh - 1.5f, 4.5f));
      else Window(c, wx, y, 2, std::min(fh - 3, 3.0f), wall, tag);
    }
}

void Stack(Canvas* c, float x, float v, float w, float z0, float z1, u32 col) {
  LitBox(c, x, v, w, w, z0, z1, col, Cnv_Rgb(44, 40, 42));
  Cnv_Rect(c, x, Asc_Sy(v, z1) - 1.5f, w, 0.5f + Px(c), Cnv_Shade(col, 0.7f));
}

// ---------------------------------------------------------------- houses
// The houses of the countryside and the town buildings: a kind by the
// code's place in its family (neighbouring codes differ), sizes and colours
// by a hash of the code.
struct HouseForm {
  int kind;
  float x, v, w, d, fh;
  int floors;
  int roof;  // 0 flat, 1 ridge along x, 2 ridge along v
  float rise;
  float chimneyX, chimneyV, chimneyBase, chimneyTop;  // chimneyTop 0: none
};

const u32 kHouseWalls[8] = {Cnv_Rgb(226, 208, 170), Cnv_Rgb(200, 122, 92), Cnv_Rgb(236, 230, 214),
                            Cnv_Rgb(192, 172, 140), Cnv_Rgb(174, 184, 192), Cnv_Rgb(214, 192, 122),
                            Cnv_Rgb(178, 112, 82),  Cnv_Rgb(222, 222, 210)};
const u32 kHouseRoofs[5] = {Cnv_Rgb(156, 64, 46), Cnv_Rgb(88, 90, 104), Cnv_Rgb(124, 82, 60), Cnv_Rgb(70, 84, 72),
                            Cnv_Rgb(176, 96, 62)};

enum { H_COTTAGE, H_GABLE, H_FARM, H_VILLA, H_TERRACE, H_BLOCK, H_TOWNHOUSE, H_ROW, H_SHOP, H_OFFICE, H_TALLGABLE };

HouseForm HouseFormOf(u32 h, int i, bool city) {
  static const int rural[5] = {H_COTTAGE, H_GABLE, H_FARM, H_VILLA, H_TERRACE};
  static const int town[6] = {H_BLOCK, H_TOWNHOUSE, H_ROW, H_SHOP, H_OFFICE, H_TALLGABLE};
  HouseForm f{};
  f.kind = city ? town[i % 6] : rural[i % 5];
  const float a = float((h >> 6) % 4), b = float((h >> 10) % 3);
  f.fh = 6;
  switch (f.kind) {
    case H_COTTAGE: f.w = 14 + a * 1.5f, f.d = 10 + b, f.floors = 1, f.roof = 1, f.rise = 5 + b; break;
    case H_GABLE: f.w = 12 + a, f.d = 12 + b, f.floors = 2, f.roof = 2, f.rise = 6; break;
    case H_FARM: f.w = 15, f.d = 12, f.floors = 2, f.roof = 1, f.rise = 5; break;
    case H_VILLA: f.w = 18 + a, f.d = 13, f.floors = 2, f.roof = 1, f.rise = 5; break;
    case H_TERRACE: f.w = 27, f.d = 11, f.floors = 2, f.roof = 1, f.rise = 4; break;
    case H_BLOCK: f.w = 24 + a, f.d = 12, f.floors = 4 + int(b) % 2, f.roof = 0, f.fh = 5.5f; break;
    case H_TOWNHOUSE: f.w = 15 + a, f.d = 12, f.floors = 3, f.roof = 1, f.rise = 6; break;
    case H_ROW: f.w = 28, f.d = 12, f.floors = 3, f.roof = 0; break;
    case H_SHOP: f.w = 18 + a, f.d = 12, f.floors = 3, f.roof = 0; break;
    case H_OFFICE: f.w = 20 + a, f.d = 14, f.floors = 5, f.roof = 0, f.fh = 5; break;
    default: f.w = 13 + a, f.d = 14, f.floors = 3 + int(b) % 2, f.roof = 2, f.rise = 7; break;
  }
  f.x = std::floor(16 - f.w / 2 + (f.kind == H_FARM ? -6 : 0));
  f.v = std::floor(16 - f.d / 2);
  const float z1 = f.fh * float(f.floors);
  // The chimney stands on the roof behind the ridge, its foot on the roof.
  f.chimneyV = f.v + f.d * 0.6f;
  if (f.roof == 1) {
    f.chimneyX = std::floor(f.kind == H_TERRACE ? f.x + f.w / 3 - 1 : f.x + f.w * 0.7f);
    f.chimneyTop = z1 + f.rise * 0.8f + 3, f.chimneyBase = f.chimneyTop - 6;
  } else if (f.roof == 2) {
    // On the shaded slope, well behind the gable, its foot at the slope.
    f.chimneyX = std::floor(f.x + f.w * 0.72f), f.chimneyV = f.v + f.d * 0.75f;
    const float slope = 1 - (f.chimneyX + 1 - f.x - f.w / 2) / (f.w / 2 + 1);
    f.chimneyTop = z1 + f.rise * slope + 2.5f, f.chimneyBase = f.chimneyTop - 4;
  } else if (f.kind == H_BLOCK) {
    f.chimneyX = std::floor(f.x + 3), f.chimneyTop = z1 + 5, f.chimneyBase = z1;
  }
  return f;
}

// Where the chimney of a house stands (ground x, v, top z); 0 for a house
// without one.
int HouseChimney(u32 h, int i, bool city, float* cx, float* cv, float* top) {
  const HouseForm f = HouseFormOf(h, i, city);
  if (f.chimneyTop <= 0) return 0;
  *cx = f.chimneyX;
  *cv = f.chimneyV;
  *top = f.chimneyTop;
  return 1;
}

void HouseChimneyStack(Canvas* c, const HouseForm& f, u32 col) {
  if (f.chimneyTop > 0) Stack(c, f.chimneyX, f.chimneyV, 2, f.chimneyBase, f.chimneyTop, col);
}

// A plain house body: block, windows and door, roof, chimney.
void HouseBody(Canvas* c, const HouseForm& f, u32 wall, u32 roof, u32 tag) {
  const float z1 = f.fh * float(f.floors);
  LitBox(c, f.x, f.v, f.w, f.d, 0, z1, wall, f.roof ? wall : Cnv_Shade(roof, 1.1f));
  const int n = WindowSlots(f.x, f.w, 4);
  Facade(c, f.x, f.v, f.w, f.floors, f.fh, 4, n / 2, wall, tag);
  if (f.roof) LitRoof(c, f.x, f.v, f.w, f.d, z1, f.rise, f.roof == 1, roof, wall);
  else Cnv_Rect(c, f.x, Asc_Sy(f.v, z1) - 1, f.w, 1, Cnv_Shade(wall, 0.78f));  // a cornice's shade
  HouseChimneyStack(c, f, Cnv_Rgb(150, 86, 62));
}

void DrawHouse(Canvas* c, u32 h, int i, bool city) {
  const u32 wall = kHouseWalls[h % 8], roof = kHouseRoofs[(h >> 3) % 5];
  // Every house has lit windows, but not all the same class: not every
  // house is lit at one time.
  const u32 tag = u32(CNV_WINDOW) | (h % 3) << 24 | (((h >> 5) & 1) ? u32(CNV_WINDOW_ALT) : 0u);
  const HouseForm f = HouseFormOf(h, i, city);
  const float z1 = f.fh * float(f.floors);
  Asc_Shadow(c, f.x, f.v, f.kind == H_FARM ? 28 : f.w, f.d, z1 + f.rise);
  switch (f.kind) {
    case H_FARM: {
      // A farmhouse with its barn under a lower roof on the right: timber
      // boards and a large door.
      const u32 timber = Cnv_Rgb(146, 96, 62);
      const float bx = f.x + f.w, bw = 29 - bx;
      LitBox(c, bx, f.v + 1, bw, f.d - 2, 0, 8, timber, timber);
      if (c->zoom >= 2)
        for (float x = bx + 2; x < bx + bw - 1; x += 2) Cnv_Rect(c, x, Asc_Sy(f.v + 1, 0), Px(c), 8, Cnv_Shade(timber, 0.86f));
      RimRect(c, bx + bw / 2 - 3, Asc_Sy(f.v + 1, 0), 6, 6, Ink(timber));
      Cnv_Rect(c, bx + bw / 2 - 3, Asc_Sy(f.v + 1, 0), 6, 6, Cnv_Shade(timber, 0.7f));
      Cnv_Line(c, bx + bw / 2 - 3, Asc_Sy(f.v + 1, 0), bx + bw / 2 + 3, Asc_Sy(f.v + 1, 6), Px(c), Cnv_Shade(timber, 1.1f));
      LitRoof(c, bx, f.v + 1, bw, f.d - 2, 8, 5, true, Cnv_Rgb(120, 104, 88), timber);
      HouseBody(c, f, wall, roof, tag);
      break;
    }
    case H_VILLA: {
      HouseBody(c, f, wall, roof, tag);
      // A bay tower at the front left under its own gable, and a porch.
      const float tx = f.x + 1, tw = 7;
      LitBox(c, tx, f.v - 2, tw, 4, 0, z1 + 2, Cnv_Shade(wall, 1.04f), wall);
      Window(c, tx + 2.5f, Asc_Sy(f.v - 2, 2), 2, 3, wall, tag);
      Window(c, tx + 2.5f, Asc_Sy(f.v - 2, 8), 2, 3, wall, tag);
      LitRoof(c, tx, f.v - 2, tw, 4, z1 + 2, 5, false, roof, wall);
      break;
    }
    case H_TERRACE: {
      // Three narrow houses in a row under one roof, each its own colour,
      // door and chimney.
      const float hw = f.w / 3;
      LitBox(c, f.x, f.v, f.w, f.d, 0, z1, wall, wall);
      for (int k = 0; k < 3; ++k) {
        const u32 own = kHouseWalls[(h + u32(k) * 3) % 8];
        const float hx = f.x + hw * float(k);
        Cnv_Rect(c, hx, Asc_Sy(f.v, 0), hw, z1, own);
        Cnv_Rect(c, hx, Asc_Sy(f.v, 0), 1, z1, Cnv_Shade(own, 1.14f));
        Cnv_Rect(c, hx + hw - Px(c), Asc_Sy(f.v, 0), Px(c), z1, Ink(own));
        const float dx = k % 2 ? hx + hw - 4 : hx + 2;
        Door(c, dx, Asc_Sy(f.v, 0), 2, 4.5f);
        Window(c, k % 2 ? hx + 2 : hx + hw - 4, Asc_Sy(f.v, 2), 2, 3, own, tag);
        Window(c, hx + 2, Asc_Sy(f.v, 8), 2, 3, own, tag);
        Window(c, hx + hw - 4, Asc_Sy(f.v, 8), 2, 3, own, tag);
      }
      LitRoof(c, f.x, f.v, f.w, f.d, z1, f.rise, true, roof, wall);
      Stack(c, std::floor(f.x + 2 * hw - 1), f.chimneyV, 2, f.chimneyBase, f.chimneyTop, Cnv_Rgb(150, 86, 62));
      HouseChimneyStack(c, f, Cnv_Rgb(150, 86, 62));
      break;
    }
    case H_BLOCK: {
      // An apartment block: balconies in rows, a stair core on the flat roof.
      LitBox(c, f.x, f.v, f.w, f.d, 0, z1, wall, Cnv_Rgb(120, 118, 116));
      Facade(c, f.x, f.v, f.w, f.floors, f.fh, 4, WindowSlots(f.x, f.w, 4) / 2, wall, tag);
      for (int fl = 1; fl < f.floors; ++fl) {
        const float y = Asc_Sy(f.v, float(fl) * f.fh) - 0.5f;
        for (float bx : {f.x + 2, f.x + f.w - 8}) {
          RimRect(c, bx, y, 6, 1.5f, Ink(wall));
          Cnv_Rect(c, bx, y, 6, 1.5f, Cnv_Shade(wall, 0.9f));
          Cnv_Rect(c, bx, y + 1.5f - Px(c), 6, Px(c), Cnv_Shade(wall, 1.2f));
        }
      }
      LitBox(c, f.x + f.w - 7, f.v + 4, 5, 5, z1, z1 + 3, Cnv_Shade(wall, 0.92f), Cnv_Rgb(110, 108, 106));
      HouseChimneyStack(c, f, Cnv_Rgb(130, 130, 134));
      break;
    }
    case H_ROW: {
      // Town houses of differing heights side by side.
      const float hw = f.w / 3;
      for (int k = 0; k < 3; ++k) {
        const u32 own = kHouseWalls[(h + u32(k) * 5) % 8];
        const int fl = 2 + int((h >> (4 + k)) % 3);
        const float hx = f.x + hw * float(k);
        LitBox(c, hx, f.v, hw, f.d, 0, f.fh * float(fl), own, Cnv_Shade(roof, 1.1f));
        Facade(c, hx, f.v, hw, fl, f.fh, 3.2f, 1, own, tag);
        Cnv_Rect(c, hx, Asc_Sy(f.v, f.fh * float(fl)) - 1, hw, 1, Cnv_Shade(own, 0.78f));
      }
      break;
    }
    case H_SHOP: {
      // A shop under the flats: a wide window, a striped awning, the door.
      LitBox(c, f.x, f.v, f.w, f.d, 0, z1, wall, Cnv_Shade(roof, 1.1f));
      for (int fl = 1; fl < f.floors; ++fl)
        for (int k = 0, n = WindowSlots(f.x, f.w, 4); k < n; ++k)
          Window(c, f.x + (f.w - float(n - 1) * 4 - 2) / 2 + 4 * float(k), Asc_Sy(f.v, float(fl) * f.fh + 2), 2, 3, wall, tag);
      Door(c, f.x + 2, Asc_Sy(f.v, 0), 2, 4.5f);
      Window(c, f.x + 6, Asc_Sy(f.v, 1), f.w - 8, 3, wall, tag | CNV_WINDOW_ALT);
      const u32 awn = (h >> 9) & 1 ? Cnv_Rgb(40, 110, 70) : Cnv_Rgb(190, 50, 44);
      const float ay = Asc_Sy(f.v, 4.5f);
      const float aw[8] = {f.x + 5, ay - 1, f.x + f.w - 1, ay - 1, f.x + f.w - 1, ay + 1, f.x + 5, ay + 1};
      Rim(c, aw, 4, Ink(awn));
      Cnv_FillPoly(c, aw, 4, awn);
      for (float sx = f.x + 6; sx < f.x + f.w - 1.5f; sx += 2) Cnv_Rect(c, sx, ay - 1, 1, 2, kWhite);
      Cnv_Rect(c, f.x, Asc_Sy(f.v, z1) - 1, f.w, 1, Cnv_Shade(wall, 0.78f));
      break;
    }
    case H_OFFICE: {
      // An office block: bands of glass between light floor slabs.
      static const u32 slabs[3] = {Cnv_Rgb(206, 204, 196), Cnv_Rgb(196, 184, 160), Cnv_Rgb(170, 176, 184)};
      const u32 slab = slabs[(h >> 11) % 3];
      LitBox(c, f.x, f.v, f.w, f.d, 0, z1, slab, Cnv_Rgb(128, 130, 132));
      for (int fl = 0; fl < f.floors; ++fl) {
        const float y = Asc_Sy(f.v, float(fl) * f.fh + 1.5f);
        if (fl == 0) {
          Window(c, f.x + 1, y - 1, f.w / 2 - 3, 3.5f, slab, tag | CNV_WINDOW_ALT);
          Door(c, f.x + f.w / 2 - 1, Asc_Sy(f.v, 0), 3, 4);
          Window(c, f.x + f.w / 2 + 3, y - 1, f.w / 2 - 4, 3.5f, slab, tag | CNV_WINDOW_ALT);
        } else {
          Window(c, f.x + 1, y, f.w - 2, 2.5f, slab, tag | CNV_WINDOW_ALT);
          if (c->zoom >= 2)
            for (float mx = f.x + 4; mx < f.x + f.w - 2; mx += 3) Cnv_Rect(c, mx, y, Px(c), 2.5f, Ink(slab));
        }
      }
      LitBox(c, f.x + 3, f.v + 5, 6, 5, z1, z1 + 2.5f, slab, Cnv_Rgb(110, 112, 114));
      break;
    }
    case H_TOWNHOUSE: {
      HouseBody(c, f, wall, roof, tag);
      // Dormers in the roof.
      for (float dx : {f.x + 3, f.x + f.w - 7}) {
        const float z = z1 + 1.5f;
        LitBox(c, dx, f.v + 1, 4, 2, z, z + 3.5f, wall, wall);
        Window(c, dx + 1, Asc_Sy(f.v + 1, z + 0.8f), 2, 2.2f, wall, tag);
        LitRoof(c, dx, f.v + 1, 4, 2, z + 3.5f, 2, false, roof, wall);
      }
      break;
    }
    default: {
      HouseBody(c, f, wall, roof, tag);
      if (f.roof == 2 && (f.kind == H_GABLE || f.kind == H_TALLGABLE))
        Window(c, f.x + f.w / 2 - 1, Asc_Sy(f.v, z1 + 1), 2, 2, wall, tag);  // the attic window in the gable
      break;
    }
  }
}

// ---------------------------------------------------------------- industry
// Twelve drawings, one after the other along the family so neighbouring
// codes differ; a second, third... round takes other colours.
enum { I_SAWTOOTH, I_BOILER, I_SILO, I_TANKS, I_WAREHOUSE, I_GASOMETER, I_CONTAINERS, I_COAL, I_WATERTOWER,
       I_BRICKWORKS, I_MILL, I_SAWMILL, I_KINDS };

// The chimney of an industry picture that smokes: its left side x, front v,
// width and top z; 0 for a picture without one.
int IndustryChimney(int i, float* x, float* v, float* w, float* top) {
  const int k = i % I_KINDS;
  if (k == I_BOILER) { *x = 22, *v = 16, *w = 4, *top = 34; return 1; }
  if (k == I_BRICKWORKS) { *x = 6, *v = 19, *w = 3, *top = 28; return 1; }
  return 0;
}

void DrawIndustry(Canvas* c, u32 h, int i) {
  const int k = i % I_KINDS, round = i / I_KINDS;
  static const u32 walls[3] = {kBrick, kConcrete, Cnv_Rgb(196, 170, 118)};
  static const u32 roofs[3] = {kSlate, Cnv_Rgb(110, 116, 108), kTile};
  const u32 wall = walls[round % 3], roof = roofs[(round + 1) % 3];
  const u32 tag = CNV_WINDOW | (u32(round % 3) << 24);
  float cx, cv, cw, top;
  switch (k) {
    case I_SAWTOOTH: {
      // A factory hall under a saw-tooth roof: the lights of each tooth face
      // away, the slopes take the light.
      const float x = 2, v = 6, w = 28, d = 20, z1 = 8, tooth = 7;
      Asc_Shadow(c, x, v, w, d, 12);
      LitBox(c, x, v, w, d, 0, z1, wall, roof);
      for (float s = x; s < x + w - 1; s += tooth) {
        const float slope[8] = {s, Asc_Sy(v, z1), s + tooth, Asc_Sy(v, z1 + 5), s + tooth, Asc_Sy(v + d, z1 + 5), s,
                                Asc_Sy(v + d, z1)};
        Rim(c, slope, 4, Ink(roof));
        Cnv_FillPoly(c, slope, 4, Cnv_Shade(roof, 1.1f));
        Cnv_SetTag(c, tag);
        Cnv_Rect(c, s + tooth - 1.5f, Asc_Sy(v, z1 + 4), 1.5f - Px(c), Asc_Sy(v + d, z1 + 5) - Asc_Sy(v, z1 + 4), kGlass);
        Cnv_SetTag(c, 0);
        const float front[6] = {s, Asc_Sy(v, z1), s + tooth, Asc_Sy(v, z1), s + tooth, Asc_Sy(v, z1 + 5)};
        Rim(c, front, 3, Ink(wall));
        Cnv_FillPoly(c, front, 3, Cnv_Shade(wall, 0.94f));
      }
      Cnv_Rect(c, x, Asc_Sy(v, 0), w, 1, Cnv_Shade(wall, 0.8f));
      RimRect(c, x + 10, Asc_Sy(v, 0), 8, 6, Ink(wall));
      Cnv_Rect(c, x + 10, Asc_Sy(v, 0), 8, 6, Cnv_Rgb(88, 92, 96));
      for (float y = 1; y < 6; y += 1.5f) Cnv_Rect(c, x + 10, Asc_Sy(v, y), 8, Px(c), Cnv_Rgb(70, 74, 78));
      for (float wx : {x + 3, x + 21}) Window(c, wx, Asc_Sy(v, 2.5f), 4, 3, wall, tag);
      break;
    }
    case I_BOILER: {
      // A boiler house with tall arched windows and its chimney.
      IndustryChimney(i, &cx, &cv, &cw, &top);
      Asc_Shadow(c, cx, cv, cw, cw, top);
      Asc_Shadow(c, 3, 8, 17, 14, 12);
      Stack(c, cx, cv, cw, 0, top, kBrick);
      Cnv_Rect(c, cx, Asc_Sy(cv, top - 4), cw, 1, Cnv_Rgb(230, 226, 216));
      LitBox(c, 3, 8, 17, 14, 0, 10, wall, wall);
      for (float wx : {5.5f, 10.5f, 15.5f}) {
        Window(c, wx, Asc_Sy(8, 2), 2, 5, wall, tag);
        Cnv_SetTag(c, tag);
        Cnv_Ellipse(c, wx + 1, Asc_Sy(8, 7), 1, 0.8f, kGlass);
        Cnv_SetTag(c, 0);
      }
      LitRoof(c, 3, 8, 17, 14, 10, 4, true, roof, wall);
      break;
    }
    case I_SILO: {
      // Grain silos in a row beside the elevator tower.
      Asc_Shadow(c, 4, 12, 26, 8, 24);
      LitBox(c, 23, 12, 6, 7, 0, 25, wall, wall);
      LitRoof(c, 23, 12, 6, 7, 25, 3, false, roof, wall);
      Window(c, 25, Asc_Sy(12, 19), 2, 2, wall, tag);
      for (int s = 0; s < 3; ++s) Drum(c, 6.5f + float(s) * 6, 14 + float(s % 2), 3, 0, 20, Cnv_Rgb(206, 204, 196));
      Cnv_Rect(c, 9, Asc_Sy(14, 21), 15, 1, Ink(kConcrete));
      break;
    }
    case I_TANKS: {
      // Oil tanks: white drums with a coloured band, a pipe between them.
      const u32 band = round % 2 ? Cnv_Rgb(40, 90, 170) : Cnv_Rgb(196, 58, 40);
      Asc_Shadow(c, 4, 18, 26, 8, 10);
      for (int s = 0; s < 2; ++s) {
        const float x = 10 + float(s) * 13, v = 18 - float(s) * 6;
        Drum(c, x, v, 6, 0, 9, Cnv_Rgb(224, 224, 216));
        Cnv_Rect(c, x - 6, Asc_Sy(v, 5), 12, 1.2f, band);
      }
      Cnv_Rect(c, 16, Asc_Sy(15, 2), 2, 1, Cnv_Rgb(70, 74, 78));
      break;
    }
    case I_WAREHOUSE: {
      // A long store with loading doors at a platform and a hoist at the top.
      Asc_Shadow(c, 2, 10, 28, 14, 14);
      LitBox(c, 2, 10, 28, 14, 0, 11, wall, wall);
      LitRoof(c, 2, 10, 28, 14, 11, 4, true, roof, wall);
      for (float dx : {5.0f, 14.0f, 23.0f}) {
        RimRect(c, dx, Asc_Sy(10, 1.5f), 4, 5, Ink(wall));
        Cnv_Rect(c, dx, Asc_Sy(10, 1.5f), 4, 5, Cnv_Rgb(110, 78, 50));
        Cnv_Line(c, dx + 2, Asc_Sy(10, 1.5f), dx + 2, Asc_Sy(10, 6.5f), Px(c), Cnv_Rgb(80, 56, 36));
      }
      for (float wx = 4; wx < 28; wx += 4.5f) Window(c, wx, Asc_Sy(10, 8), 2, 1.8f, wall, tag);
      LitBox(c, 2, 7, 28, 3, 0, 1.5f, kConcrete, Cnv_Shade(kConcrete, 1.08f));
      Cnv_Rect(c, 15, Asc_Sy(10, 11.5f), 2, 3, Cnv_Rgb(60, 60, 64));
      break;
    }
    case I_GASOMETER: {
      // A gas holder: a ribbed drum inside its guide frame.
      const u32 drum = round % 2 ? Cnv_Rgb(104, 128, 112) : Cnv_Rgb(128, 134, 126);
      Asc_Shadow(c, 5, 10, 22, 12, 18);
      for (float px : {4.0f, 27.0f}) Asc_Post(c, px, 16, 22, Ink(drum));
      const float r = 10.5f, z1 = 14;
      Drum(c, 16, 16, r, 0, z1, drum);
      for (float x = 8; x < 25; x += 3.5f) {
        const float f = (x - 16) / r, bottom = Asc_Sy(16, 0) - 0.5f * r * std::sqrt(1 - f * f) + 0.5f;
        Cnv_Rect(c, x, bottom, Px(c), Asc_Sy(16, z1) - bottom, Cnv_Shade(drum, 0.82f));
      }
      for (float px : {9.0f, 16.0f, 23.0f}) Asc_Post(c, px, 11, 22, Ink(drum));
      Cnv_Rect(c, 4, Asc_Sy(11, 21), 24, 1, Ink(drum));
      break;
    }
    case I_CONTAINERS: {
      // A container yard: boxes stacked two high under a gantry crane.
      static const u32 boxes[5] = {Cnv_Rgb(44, 84, 168), Cnv_Rgb(196, 62, 42), Cnv_Rgb(226, 178, 44),
                                   Cnv_Rgb(44, 128, 72), Cnv_Rgb(220, 220, 212)};
      const u32 crane = Cnv_Rgb(222, 124, 34);
      Asc_Shadow(c, 4, 12, 25, 6, 8);
      Asc_Post(c, 29, 18, 15, Ink(crane));
      for (int b = 0; b < 6; ++b) {
        const float x = 4 + float(b % 3) * 8.5f, z = float(b / 3) * 4;
        if (b / 3 && (h >> b) & 1) continue;
        const u32 col = boxes[(h / 8 + u32(b) + u32(round)) % 5];
        LitBox(c, x, 12, 8, 6, z, z + 4, col, Cnv_Shade(col, 1.15f));
        if (c->zoom >= 2)
          for (float rx = x + 2; rx < x + 7.5f; rx += 2) Cnv_Rect(c, rx, Asc_Sy(12, z + 0.5f), Px(c), 3, Cnv_Shade(col, 0.82f));
      }
      Asc_Post(c, 2, 10, 15, Ink(crane));
      Asc_Post(c, 2.8f, 10, 15, crane);
      RimRect(c, 1, Asc_Sy(10, 15), 30, 1.5f, Ink(crane));
      Cnv_Rect(c, 1, Asc_Sy(10, 15), 30, 1.5f, crane);
      LitBox(c, 13, 10, 5, 2, 12, 15, Cnv_Rgb(70, 72, 76), Cnv_Rgb(90, 92, 96));
      break;
    }
    case I_COAL: {
      // A coal yard: heaps with a lit crest, a conveyor up to a bunker.
      const u32 coal = Cnv_Rgb(40, 40, 44);
      for (int s = 0; s < 2; ++s) {
        const float x = 4 + float(s) * 12, b = Asc_Sy(14 - float(s) * 3, 0);
        Cnv_ShadowRect(c, x + 6, b, 9, 3);
        const float heap[6] = {x, b, x + 12, b, x + 6, b + 7};
        Rim(c, heap, 3, Cnv_Rgb(20, 20, 24));
        Cnv_FillPoly(c, heap, 3, coal);
        const float lit[6] = {x + 1.5f, b + 0.5f, x + 6, b + 6.3f, x + 4.5f, b + 0.5f};
        Cnv_FillPoly(c, lit, 3, Cnv_Rgb(84, 84, 92));
      }
      Asc_Shadow(c, 24, 18, 6, 6, 12);
      LitBox(c, 24, 18, 6, 6, 0, 12, Cnv_Rgb(126, 114, 98), Cnv_Rgb(92, 86, 78));
      Cnv_Line(c, 3, Asc_Sy(20, 1), 25, Asc_Sy(20, 11), 2, Cnv_Rgb(50, 50, 56));
      Cnv_Line(c, 3, Asc_Sy(20, 0.3f), 25, Asc_Sy(20, 10.3f), 0.5f, Cnv_Rgb(150, 150, 156));
      break;
    }
    case I_WATERTOWER: {
      // A water tower: a tank on a brick shaft under a pointed roof.
      Asc_Shadow(c, 9, 14, 14, 6, 28);
      Drum(c, 16, 16, 3.5f, 0, 16, kBrick);
      Door(c, 15, Asc_Sy(16, 0) - 1.8f, 2, 4);
      Drum(c, 16, 16, 7.5f, 16, 25, round % 2 ? Cnv_Rgb(112, 126, 132) : Cnv_Rgb(200, 194, 178));
      const float ry = Asc_Sy(16, 25);
      const float cone[6] = {7.5f, ry, 24.5f, ry, 16, ry + 7};
      Rim(c, cone, 3, Ink(roof));
      Cnv_FillPoly(c, cone, 3, roof);
      const float lit[6] = {8.5f, ry + 0.3f, 16, ry + 0.3f, 16, ry + 6.5f};
      Cnv_FillPoly(c, lit, 3, Cnv_Shade(roof, 1.15f));
      break;
    }
    case I_BRICKWORKS: {
      // A brick works: the long low kiln with two square chimneys, stacks of
      // bricks in front.
      IndustryChimney(i, &cx, &cv, &cw, &top);
      Asc_Shadow(c, 3, 14, 22, 10, 10);
      Asc_Shadow(c, cx, cv, cw, cw, top);
      Asc_Shadow(c, 18, cv, cw, cw, top - 5);
      Stack(c, cx, cv, cw, 0, top, kBrick);
      Stack(c, 18, cv, cw, 0, top - 5, kBrick);
      LitBox(c, 3, 14, 22, 10, 0, 6, kBrick, kBrick);
      for (float ax = 5.5f; ax < 23; ax += 4.5f) {
        Cnv_SetTag(c, CNV_WINDOW | CNV_WINDOW_ALT);
        Cnv_Rect(c, ax, Asc_Sy(14, 0), 2, 2.5f, Cnv_Rgb(60, 30, 24));
        Cnv_Ellipse(c, ax + 1, Asc_Sy(14, 2.5f), 1, 0.8f, Cnv_Rgb(60, 30, 24));
        Cnv_SetTag(c, 0);
      }
      LitRoof(c, 3, 14, 22, 10, 6, 3, true, roof, kBrick);
      for (int s = 0; s < 2; ++s)
        LitBox(c, 25 + float(s) * 0.5f, 12 - float(s) * 5, 5, 4, 0, 3, Cnv_Rgb(190, 98, 70), Cnv_Rgb(206, 120, 88));
      break;
    }
    case I_MILL: {
      // A mill of four floors with rows of windows and a stair tower.
      Asc_Shadow(c, 3, 10, 26, 12, 26);
      LitBox(c, 3, 10, 20, 12, 0, 22, wall, Cnv_Shade(roof, 1.1f));
      for (int fl = 0; fl < 4; ++fl)
        for (float wx = 5; wx < 21; wx += 3.5f)
          if (fl || wx < 12 || wx > 14) Window(c, wx, Asc_Sy(10, float(fl) * 5.5f + 2), 2, 2.5f, wall, tag);
      Door(c, 12.5f, Asc_Sy(10, 0), 2, 4);
      Cnv_Rect(c, 3, Asc_Sy(10, 22) - 1, 20, 1, Cnv_Shade(wall, 0.78f));
      LitBox(c, 23, 11, 6, 8, 0, 26, Cnv_Shade(wall, 0.95f), wall);
      LitRoof(c, 23, 11, 6, 8, 26, 4, false, roof, wall);
      for (int fl = 0; fl < 4; ++fl) Window(c, 25, Asc_Sy(11, float(fl) * 5.5f + 4), 2, 2, wall, tag);
      break;
    }
    default: {
      // A saw mill: an open shed on posts over the saw, log piles in front.
      const u32 timber = Cnv_Rgb(150, 104, 66), log = Cnv_Rgb(170, 124, 78);
      Asc_Shadow(c, 4, 14, 24, 10, 10);
      LitBox(c, 4, 22, 24, 2, 0, 8, timber, timber);
      for (float px : {5.0f, 16.0f, 27.0f}) Asc_Post(c, px, 14, 8, Ink(timber));
      LitRoof(c, 4, 14, 24, 10, 8, 4, true, roof, timber);
      for (int row = 0; row < 2; ++row)
        for (int s = 0; s < 6 - row; ++s) {
          const float ex = 5 + float(s) * 2.2f + float(row) * 1.1f, ey = Asc_Sy(6, 1 + float(row) * 1.8f);
          Cnv_Ellipse(c, ex, ey, 1.1f + Px(c), 1.1f + Px(c), Ink(log));
          Cnv_Ellipse(c, ex, ey, 1.1f, 1.1f, log);
          if (c->zoom >= 2) Cnv_Ellipse(c, ex - 0.2f, ey + 0.2f, 0.4f, 0.4f, Cnv_Shade(log, 1.2f));
        }
      Cnv_Rect(c, 18, Asc_Sy(6, 0), 10, 1.5f, Ink(log));
      Cnv_Rect(c, 18, Asc_Sy(6, 0) + Px(c), 10, 1.5f - 2 * Px(c), log);
      break;
    }
  }
}

// ---------------------------------------------------------------- station buildings
enum { S_SHELTER, S_COUNTRY, S_SIGNALBOX, S_WATERTOWER, S_GOODSSHED, S_FOOTBRIDGE, S_TOWN, S_BRICKHALL, S_HALT,
       S_GLASS, S_TERMINUS, S_SHEDBAY, S_KINDS };

// A station hall: a two-storey middle block with a clock gable and an
// arched entrance between lower wings, windows lit at night.
void StationHall(Canvas* c, u32 wall, u32 roof, bool big) {
  const float x = big ? 1 : 5, w = big ? 30 : 22, v = 12, d = 14;
  const u32 tag = CNV_WINDOW | CNV_WINDOW_ALT;
  Asc_Shadow(c, x, v, w, d, big ? 18 : 14);
  LitBox(c, x, v, w, d, 0, 7, wall, wall);
  const float mx = 11, mw = 10, zm = big ? 13 : 11;
  for (float wx = x + 1.5f; wx + 2 < x + w - 0.5f; wx += 3.5f)
    if (wx + 2 < mx - 0.5f || wx > mx + mw + 0.5f) Window(c, wx, Asc_Sy(v, 2), 2, 3, wall, tag);
  LitRoof(c, x, v, w, d, 7, 3, true, roof, wall);
  LitBox(c, mx, v - 1, mw, d, 0, zm, Cnv_Shade(wall, 1.05f), wall);
  LitRoof(c, mx, v - 1, mw, d, zm, 4, false, roof, Cnv_Shade(wall, 1.05f));
  // An arched door in the middle and a round clock over it.
  Door(c, 14, Asc_Sy(v - 1, 0), 4, 5);
  Cnv_Ellipse(c, 16, Asc_Sy(v - 1, 5), 2, 1.2f, kDoor);
  const float cy = Asc_Sy(v - 1, big ? 10 : 8.5f);
  Cnv_Ellipse(c, 16, cy, 1.8f, 1.8f, Ink(wall));
  Cnv_Ellipse(c, 16, cy, 1.8f - Px(c), 1.8f - Px(c), kWhite);
  Cnv_Line(c, 16, cy, 16, cy + 1.2f, Px(c), kDark);
  Cnv_Line(c, 16, cy, 16.9f, cy, Px(c), kDark);
  Window(c, mx + 1.5f, Asc_Sy(v - 1, 7.5f), 2, 2, wall, tag);
  Window(c, mx + mw - 3.5f, Asc_Sy(v - 1, 7.5f), 2, 2, wall, tag);
}

// A flat canopy on posts over the ground rectangle (x, v, w, d) at height z.
void Canopy(Canvas* c, float x, float v, float w, float d, float z, u32 col) {
  for (float px = x + 2; px < x + w - 1; px += 12) Asc_Post(c, px, v + 1, z, Ink(col));
  const float y0 = Asc_Sy(v, z), y1 = Asc_Sy(v + d, z);
  RimRect(c, x, y0 - 1, w, y1 - y0 + 1, Ink(col));
  Cnv_Rect(c, x, y0, w, y1 - y0, Cnv_Shade(col, 1.12f));
  Cnv_Rect(c, x, y0 - 1, w, 1, Cnv_Shade(col, 0.8f));
}

void DrawStation(Canvas* c, u32 h, int i) {
  const int k = i % S_KINDS, round = i / S_KINDS;
  static const u32 walls[4] = {Cnv_Rgb(216, 198, 160), Cnv_Rgb(186, 102, 74), Cnv_Rgb(200, 196, 184),
                               Cnv_Rgb(210, 180, 120)};
  static const u32 roofs[4] = {kSlate, kTile, Cnv_Rgb(76, 96, 80), Cnv_Rgb(120, 84, 64)};
  const u32 wall = walls[round % 4], roof = roofs[(round + k) % 4];
  const u32 tag = CNV_WINDOW | (u32(round % 3) << 24);
  switch (k) {
    case S_SHELTER: {
      // A halt's shelter: a back wall and a roof on posts over a bench.
      const u32 timber = Cnv_Rgb(88, 110, 92);
      Asc_Shadow(c, 9, 14, 14, 6, 8);
      LitBox(c, 9, 19, 14, 1, 0, 6.5f, Cnv_Shade(timber, 1.2f), timber);
      LitBox(c, 11, 16, 10, 1.5f, 0, 1.6f, Cnv_Rgb(130, 88, 54), Cnv_Rgb(156, 108, 66));
      for (float px : {9.0f, 22.0f}) Asc_Post(c, px, 14, 7, Ink(timber));
      LitRoof(c, 9, 14, 14, 6, 7, 2.5f, true, roof, timber);
      Asc_Post(c, 5, 12, 8, kDark);
      Cnv_FramedRect(c, 2, std::floor(Asc_Sy(12, 8)), 7, 3, kWhite, Cnv_Rgb(30, 60, 130));
      break;
    }
    case S_COUNTRY: {
      // A country station: a two-storey house with a canopy toward the tracks.
      Asc_Shadow(c, 3, 14, 26, 12, 16);
      LitBox(c, 3, 14, 26, 12, 0, 11, wall, wall);
      Facade(c, 3, 14, 26, 2, 5.5f, 4, 3, wall, tag);
      LitRoof(c, 3, 14, 26, 12, 11, 5, true, roof, wall);
      Stack(c, 20, 21, 2, 13, 18, Cnv_Rgb(150, 86, 62));
      Canopy(c, 2, 9, 28, 5, 8, Cnv_Rgb(70, 110, 82));
      break;
    }
    case S_SIGNALBOX: {
      // A signal box: a brick base and a glazed operating floor, steps at
      // the side.
      Asc_Shadow(c, 9, 12, 14, 10, 18);
      LitBox(c, 9, 12, 14, 10, 0, 7, kBrick, kBrick);
      Window(c, 11, Asc_Sy(12, 2), 2, 2.5f, kBrick, tag);
      Window(c, 19, Asc_Sy(12, 2), 2, 2.5f, kBrick, tag);
      LitBox(c, 9, 12, 14, 10, 7, 12.5f, Cnv_Rgb(226, 216, 196), Cnv_Rgb(226, 216, 196));
      Window(c, 10, Asc_Sy(12, 8.2f), 12, 3.2f, kWhite, CNV_WINDOW | CNV_WINDOW_ALT);
      if (c->zoom >= 2)
        for (float mx = 13; mx < 22; mx += 3) Cnv_Rect(c, mx, Asc_Sy(12, 8.2f), Px(c), 3.2f, kWhite);
      LitRoof(c, 9, 12, 14, 10, 12.5f, 4, false, roof, Cnv_Rgb(226, 216, 196));
      for (int s = 0; s < 4; ++s) Cnv_Rect(c, 23 + float(s), Asc_Sy(12, float(s) * 1.8f), 1, 0.6f, Cnv_Rgb(70, 60, 52));
      break;
    }
    case S_WATERTOWER: {
      // The engine water tower: an iron tank on a brick house.
      Asc_Shadow(c, 8, 12, 16, 8, 22);
      LitBox(c, 11, 12, 10, 8, 0, 12, kBrick, kBrick);
      Door(c, 15, Asc_Sy(12, 0), 2, 4.5f);
      LitBox(c, 8, 11, 16, 10, 12, 19, Cnv_Rgb(84, 96, 104), Cnv_Rgb(104, 116, 122));
      if (c->zoom >= 2)
        for (float y : {14.0f, 17.0f}) Cnv_Rect(c, 8, Asc_Sy(11, y), 16, Px(c), Cnv_Rgb(120, 134, 140));
      LitRoof(c, 8, 11, 16, 10, 19, 3, false, roof, Cnv_Rgb(84, 96, 104));
      break;
    }
    case S_GOODSSHED: {
      // A goods shed with its loading ramp and sliding doors under a canopy.
      Asc_Shadow(c, 2, 12, 28, 14, 13);
      LitBox(c, 2, 12, 28, 14, 0, 9, Cnv_Rgb(152, 102, 70), Cnv_Rgb(152, 102, 70));
      for (float dx : {7.0f, 19.0f}) {
        RimRect(c, dx, Asc_Sy(12, 2.5f), 6, 5.5f, Ink(Cnv_Rgb(152, 102, 70)));
        Cnv_Rect(c, dx, Asc_Sy(12, 2.5f), 6, 5.5f, Cnv_Rgb(112, 74, 48));
        Cnv_Line(c, dx, Asc_Sy(12, 2.5f), dx + 6, Asc_Sy(12, 8), Px(c), Cnv_Rgb(140, 96, 62));
      }
      Window(c, 15, Asc_Sy(12, 5), 2, 2, Cnv_Rgb(152, 102, 70), tag);
      LitRoof(c, 2, 12, 28, 14, 9, 4, true, roof, Cnv_Rgb(152, 102, 70));
      LitBox(c, 2, 8, 28, 4, 0, 2.5f, kConcrete, Cnv_Shade(kConcrete, 1.08f));
      break;
    }
    case S_FOOTBRIDGE: {
      // A footbridge: two stair towers and a lattice span over the tracks.
      const u32 steel = round % 2 ? Cnv_Rgb(70, 100, 84) : Cnv_Rgb(90, 110, 124);
      Asc_Shadow(c, 2, 14, 28, 4, 14);
      LitBox(c, 2, 14, 4, 4, 0, 14, steel, steel);
      LitBox(c, 26, 14, 4, 4, 0, 14, steel, steel);
      LitBox(c, 0, 14, 32, 4, 14, 17, Cnv_Shade(steel, 1.2f), Cnv_Shade(steel, 1.35f));
      for (float x = 2; x < 31; x += 3) Cnv_Line(c, x, Asc_Sy(14, 14.5f), x + 1.5f, Asc_Sy(14, 16.5f), Px(c), steel);
      Cnv_Rect(c, 0, Asc_Sy(14, 18), 32, 1, Cnv_Shade(steel, 0.7f));
      break;
    }
    case S_TOWN: StationHall(c, wall, roof, true); break;
    case S_BRICKHALL: StationHall(c, round % 2 ? walls[0] : walls[1], round % 2 ? kSlate : kTile, false); break;
    case S_HALT: {
      // A country halt: a small timber building with a name board.
      const u32 timber = Cnv_Rgb(152, 110, 70);
      Asc_Shadow(c, 8, 14, 16, 10, 10);
      LitBox(c, 8, 14, 16, 10, 0, 6, timber, timber);
      if (c->zoom >= 2)
        for (float x = 10; x < 23; x += 1.5f) Cnv_Rect(c, x, Asc_Sy(14, 0), Px(c), 6, Cnv_Shade(timber, 0.84f));
      Window(c, 10.5f, Asc_Sy(14, 2), 2.4f, 2.4f, timber, CNV_WINDOW);
      Window(c, 19.5f, Asc_Sy(14, 2), 2.4f, 2.4f, timber, CNV_WINDOW);
      Door(c, 15, Asc_Sy(14, 0), 2.4f, 4.5f);
      LitRoof(c, 8, 14, 16, 10, 6, 3, true, Cnv_Rgb(124, 62, 46), timber);
      Asc_Post(c, 4, 8, 7, kDark);
      Asc_Post(c, 12, 8, 7, kDark);
      Cnv_FramedRect(c, 3, std::floor(Asc_Sy(8, 7)), 11, 3, kWhite, kDark);
      break;
    }
    case S_GLASS: {
      // A modern station: a glass hall under a flat roof on steel columns.
      Asc_Shadow(c, 2, 12, 28, 12, 10);
      LitBox(c, 2, 12, 28, 12, 0, 8, Cnv_Rgb(120, 160, 190), Cnv_Rgb(200, 204, 208));
      // Glass walls beside the door, a steel lintel over it.
      for (float gx : {3.0f, 19.0f}) Window(c, gx, Asc_Sy(12, 0.5f), 10, 7, kWhite, CNV_WINDOW | CNV_WINDOW_ALT);
      for (float x = 2; x <= 30; x += 7) Cnv_Rect(c, x, Asc_Sy(12, 0), 1, 8, Cnv_Rgb(70, 74, 80));
      Door(c, 14, Asc_Sy(12, 0), 4, 5);
      Cnv_Rect(c, 13, Asc_Sy(12, 6), 6, 1.5f, Cnv_Rgb(70, 74, 80));
      const float y0 = Asc_Sy(10, 8.5f), y1 = Asc_Sy(26, 8.5f);
      RimRect(c, 0, y0 - 1, 32, y1 - y0 + 1, Ink(Cnv_Rgb(200, 204, 208)));
      Cnv_Rect(c, 0, y0, 32, y1 - y0, Cnv_Rgb(214, 216, 220));
      Cnv_Rect(c, 0, y0 - 1, 32, 1, Cnv_Rgb(120, 124, 130));
      break;
    }
    case S_TERMINUS: {
      // The end of a terminus hall: a glazed arch between brick piers.
      Asc_Shadow(c, 1, 16, 30, 10, 20);
      LitBox(c, 1, 16, 30, 10, 0, 20, wall, Cnv_Rgb(120, 130, 138));
      // The arch: a half circle over upright sides, as one outline.
      const float base = Asc_Sy(16, 3);
      auto arch = [&](float r, u32 col) {
        float p[2 * 19];
        p[0] = 16 - r, p[1] = base, p[2] = 16 + r, p[3] = base;
        for (int a = 0; a <= 16; ++a) {
          const float ang = 3.14159265f * float(a) / 16;
          p[4 + 2 * a] = 16 + r * std::cos(ang), p[5 + 2 * a] = base + 6 + r * std::sin(ang);
        }
        Cnv_FillPoly(c, p, 19, col);
      };
      arch(10 + Px(c), Ink(wall));
      Cnv_SetTag(c, CNV_WINDOW | CNV_WINDOW_ALT);
      arch(10, kGlass);
      Cnv_SetTag(c, 0);
      for (float x = 8; x < 25; x += 4)
        Cnv_Rect(c, x, base, Px(c), 6 + std::sqrt(std::max(0.0f, 100 - (x - 16) * (x - 16))), Ink(wall));
      Cnv_Rect(c, 6, base + 6, 20, Px(c), Ink(wall));
      Cnv_Rect(c, 1, Asc_Sy(16, 0), 30, 3, wall);
      for (float px : {1.0f, 27.0f}) LitBox(c, px, 15, 4, 11, 0, 23, Cnv_Shade(wall, 1.04f), wall);
      Cnv_Rect(c, 5, Asc_Sy(16, 0), 22, 1, Cnv_Shade(wall, 0.8f));
      break;
    }
    default: {
      // A bay of a terminus hall: a long roof on iron columns with a glazed
      // lantern along its ridge.
      const u32 iron = Cnv_Rgb(70, 84, 92);
      Asc_Shadow(c, 0, 4, 32, 24, 14);
      for (float px : {1.0f, 16.0f, 30.0f}) Asc_Post(c, px, 5, 12, iron);
      LitRoof(c, 0, 4, 32, 24, 12, 4, true, roof, iron);
      LitBox(c, 0, 13, 32, 6, 16, 19, Cnv_Rgb(120, 150, 170), Cnv_Rgb(140, 150, 156));
      Window(c, 0, Asc_Sy(13, 16.5f), 32, 2, kWhite, CNV_WINDOW | CNV_WINDOW_ALT);
      LitRoof(c, 0, 13, 32, 6, 19, 2, true, roof, iron);
      break;
    }
  }
  (void)h;
}

void Bush(Canvas* c, float x, float v, float size, u32 seed);

// A pole of the building style: one ink pixel wide at zoom 1, at the larger
// zooms a lit left and a shaded right half inside an outline; its shadow
// falls to the right.
void Pole(Canvas* c, float x, float v, float height, u32 col) {
  const float px = std::floor(x), py = Asc_Sy(v, 0), t = Px(c);
  const float sh[8] = {px + 1, py, px + 1 + height * 0.3f, py + height * 0.15f, px + 1.6f + height * 0.3f,
                       py + height * 0.15f, px + 1.6f, py};
  Cnv_ShadowPoly(c, sh, 4);
  if (c->zoom == 1) {
    Cnv_Rect(c, px, py, 1, height, Ink(col));
    return;
  }
  RimRect(c, px, py, 1, height, Ink(col));
  Cnv_Rect(c, px, py, 0.5f, height, Cnv_Shade(col, 1.15f));
  Cnv_Rect(c, px + 0.5f, py, 0.5f, height, Cnv_Shade(col, 0.8f));
  Cnv_Rect(c, px, py + height - t, 1, t, Cnv_Shade(col, 1.3f));
}

// A lamp head lit at night.
void LampHead(Canvas* c, float x, float y) {
  Cnv_Ellipse(c, x, y, 1.5f + Px(c), 1.1f + Px(c), Cnv_Rgb(40, 40, 44));
  Cnv_SetTag(c, CNV_LAMP);
  Cnv_Ellipse(c, x, y, 1.5f, 1.1f, Cnv_Rgb(255, 240, 180));
  Cnv_SetTag(c, 0);
}

// A band lying along the cell (platforms, walls, hedges): outlined on its
// long sides only, so bands of neighbouring cells run on without a seam.
void LengthBand(Canvas* c, bool vertical, float a0, float a1, float z0, float z1, u32 side, u32 top) {
  const float t = Px(c);
  if (vertical) {
    const float y0 = Asc_Sy(0, z0), y1 = Asc_Sy(32, z1);
    Cnv_Rect(c, a0 - t, y0, a1 - a0 + 2 * t, y1 - y0, Ink(side));
    Cnv_Rect(c, a0, y0, a1 - a0, y1 - y0, top);
    Cnv_Rect(c, a0, y0, std::min(1.0f, (a1 - a0) / 4), y1 - y0, Cnv_Shade(top, 1.12f));
    Cnv_Rect(c, a1 - std::min(1.0f, (a1 - a0) / 4), y0, std::min(1.0f, (a1 - a0) / 4), y1 - y0, Cnv_Shade(top, 0.82f));
    return;
  }
  const float y0 = Asc_Sy(a0, z0), y1 = Asc_Sy(a0, z1), y2 = Asc_Sy(a1, z1);
  Cnv_Rect(c, 0, y0 - t, 32, y2 - y0 + 2 * t, Ink(side));
  Cnv_Rect(c, 0, y0, 32, y1 - y0, side);
  Cnv_Rect(c, 0, y1, 32, y2 - y1, top);
  Cnv_Rect(c, 0, y1, 32, t, Cnv_Shade(top, 1.15f));
}

void DrawPlatform(Canvas* c, u32 h, int i) {
  const bool vertical = (i / 2) % 2 == 1, far = i % 2 == 1;
  const u32 side = Cnv_Rgb(132, 128, 120), top = Cnv_Rgb(188, 186, 176), edge = Cnv_Rgb(236, 232, 200);
  const float a0 = far ? 19 : 1, a1 = a0 + 12, t = Px(c);
  // The platform's edge toward its track carries a light safety line.
  const float lineAt = far ? a0 + 0.5f : a1 - 1.5f;
  float pts[8];
  if (vertical) {
    float p[8] = {a0, 0, a1, 0, a1, 32, a0, 32};
    for (int k = 0; k < 8; ++k) pts[k] = p[k];
  } else {
    float p[8] = {0, a0, 32, a0, 32, a1, 0, a1};
    for (int k = 0; k < 8; ++k) pts[k] = p[k];
  }
  if (i >= 4 && i < 8) {
    // Platform ends: half length, closed by an outlined end.
    const float pl[8] = {vertical ? a0 : 0, vertical ? 0 : a0, vertical ? a1 : 18, vertical ? 0 : a0,
                         vertical ? a1 : 18, vertical ? 18 : a1, vertical ? a0 : 0, vertical ? 18 : a1};
    if (vertical) {
      const float y0 = Asc_Sy(0, 0), y1 = Asc_Sy(18, 2.5f);
      Cnv_Rect(c, a0 - t, y0, a1 - a0 + 2 * t, y1 - y0 + t, Ink(side));
    } else {
      const float y0 = Asc_Sy(a0, 0), y2 = Asc_Sy(a1, 2.5f);
      Cnv_Rect(c, 0, y0 - t, 18 + t, y2 - y0 + 2 * t, Ink(side));
    }
    Asc_Prism(c, pl, 4, 0, 2.5f, side, top);
    if (vertical) Cnv_Rect(c, lineAt, Asc_Sy(0, 2.5f), 1, 9, edge);
    else Cnv_Rect(c, 0, Asc_Sy(lineAt, 2.5f), 18, 0.5f, edge);
  } else {
    LengthBand(c, vertical, a0, a1, 0, 2.5f, side, top);
    if (vertical) Cnv_Rect(c, lineAt, Asc_Sy(0, 2.5f), 1, 16, edge);
    else Cnv_Rect(c, 0, Asc_Sy(lineAt, 2.5f), 32, 0.5f, edge);
  }
  if (i >= 8) {
    float cx = (pts[0] + pts[2]) / 2, cv = (pts[1] + pts[5]) / 2;
    int k = i % 4;
    if (k == 0) {
      // A shelter: a flat roof on two posts.
      const u32 roof = Cnv_Rgb(76, 118, 88);
      for (float a : {-8.0f, 8.0f}) Pole(c, vertical ? cx : cx + a, vertical ? cv + a : cv, 9, Cnv_Rgb(70, 90, 80));
      const float rx0 = (vertical ? a0 : 0) - 1, rx1 = (vertical ? a1 : 32) + 1;
      const float y0 = Asc_Sy(vertical ? -1 : a0 - 1, 11), y1 = Asc_Sy(vertical ? 33 : a1 + 1, 11);
      RimRect(c, rx0, y0 - 1, rx1 - rx0, y1 - y0 + 1, Ink(roof));
      Cnv_Rect(c, rx0, y0, rx1 - rx0, y1 - y0, Cnv_Shade(roof, 1.1f));
      Cnv_Rect(c, rx0, y0 - 1, rx1 - rx0, 1, Cnv_Shade(roof, 0.8f));
    } else if (k == 1) {
      LitBox(c, cx - 3, cv - 1, 6, 2, 2.5f, 4, Cnv_Rgb(124, 82, 50), Cnv_Rgb(156, 106, 64));
    } else if (k == 2) {
      Pole(c, cx, cv, 12, Cnv_Rgb(70, 74, 80));
      LampHead(c, cx + 0.5f, Asc_Sy(cv, 13.5f));
    } else {
      Pole(c, cx, cv, 8, Cnv_Rgb(70, 74, 80));
      Cnv_FramedRect(c, std::floor(cx) - 5, std::floor(Asc_Sy(cv, 8)), 11, 4, kWhite, Cnv_Rgb(24, 56, 130));
      Cnv_Rect(c, std::floor(cx) - 3, std::floor(Asc_Sy(cv, 8)) + 1.5f, 7, 1, Cnv_Rgb(24, 56, 130));
    }
  }
  (void)h;
}

void DrawFence(Canvas* c, u32 h, int i) {
  const int k = i % 7;
  const bool vertical = i >= 7;
  const u32 col = k == 3 ? Cnv_Rgb(156, 66, 48) : k == 4 ? Cnv_Rgb(64, 114, 52) : Cnv_Rgb(128, 104, 72);
  if (k == 3 || k == 4) {
    // A brick wall or a hedge: a band along the cell, outlined on its long sides.
    const float hgt = k == 4 ? 5 : 4;
    LengthBand(c, vertical, 15, 17, 0, hgt, col, Cnv_Shade(col, 1.15f));
    if (!vertical) {
      if (k == 3 && c->zoom >= 2)
        for (float z = 1; z < hgt; z += 1) Cnv_Rect(c, 0, Asc_Sy(15, z), 32, Px(c), Cnv_Shade(col, 0.85f));
      if (k == 4)
        for (int k = 0; k < 8; ++k) Cnv_Rect(c, 1 + 4 * float(k), Asc_Sy(15, 1 + float(k % 2)), 1, 1, Cnv_Shade(col, 1.2f));
    }
    return;
  }
  // Posts and two rails; the rails in ink under a lit top line at the larger zooms.
  const float hgt = 3.5f;
  for (float a = 1; a < 32; a += 4) {
    if (vertical) Pole(c, 16, a, hgt, col);
    else Pole(c, a, 16, hgt, col);
  }
  if (k < 3)
    for (float z : {hgt * 0.45f, hgt * 0.9f}) {
      if (vertical) {
        Cnv_Line(c, 16.5f, Asc_Sy(0, z), 16.5f, Asc_Sy(32, z), 0.6f, Ink(col));
      } else {
        Cnv_Rect(c, 0, Asc_Sy(16, z) - 0.5f, 32, 0.8f, Ink(col));
        if (c->zoom >= 2) Cnv_Rect(c, 0, Asc_Sy(16, z) - 0.5f + 0.8f - Px(c), 32, Px(c), Cnv_Shade(col, 1.2f));
      }
    }
  if (k == 5 || k == 6) Bush(c, 8, 20, 5, h), Bush(c, 22, 12, 6, h >> 3);
}

// A tree of the building style: an outline in the foliage's own dark
// shade, the crown lit at the upper left and shaded at the lower right.
void Tree(Canvas* c, float x, float v, float size, int kind, u32 seed) {
  const float sy = Asc_Sy(v, 0), t = Px(c);
  Cnv_ShadowPoly(c, std::vector<float>{x - size * 0.3f, sy, x + size * 0.9f, sy + size * 0.15f, x + size * 1.1f,
                                       sy + size * 0.45f, x + size * 0.2f, sy + size * 0.4f}
                        .data(),
                 4);
  const u32 trunk = Cnv_Rgb(104, 74, 44);
  const float th = kind == 1 ? size * 0.35f : size * 0.55f, tw = std::max(size * 0.16f, 1.0f);
  RimRect(c, x - tw / 2, sy, tw, th + size * 0.2f, Ink(trunk));
  Cnv_Rect(c, x - tw / 2, sy, tw, th + size * 0.2f, trunk);
  const u32 base = kind == 1 ? Cnv_Rgb(40, 98, 56) : Cnv_Rgb(72 + int(seed % 26), 130 + int(seed / 7 % 26), 54);
  const u32 ink = Ink(base);
  if (kind == 1) {
    // A conifer: three tiers, the right half of each in shade.
    for (int pass = 0; pass < 2; ++pass)
      for (int k = 0; k < 3; ++k) {
        const float b = sy + th + float(k) * size * 0.38f - size * 0.1f, w = size * (0.62f - float(k) * 0.15f);
        const float tier[6] = {x - w, b, x + w, b, x, b + size * 0.62f};
        if (pass == 0) {
          Rim(c, tier, 3, ink);
          continue;
        }
        Cnv_FillPoly(c, tier, 3, Cnv_Shade(base, 1.0f + 0.06f * float(k)));
        const float right[6] = {x, b, x + w, b, x, b + size * 0.62f};
        Cnv_FillPoly(c, right, 3, Cnv_Shade(base, 0.76f));
      }
    return;
  }
  const float cy = sy + th + size * 0.45f, rx = size * 0.6f, ry = size * 0.52f;
  Cnv_Ellipse(c, x, cy, rx + t, ry + t, ink);
  Cnv_Ellipse(c, x, cy, rx, ry, base);
  Cnv_Ellipse(c, x + rx * 0.3f, cy - ry * 0.3f, rx * 0.62f, ry * 0.55f, Cnv_Shade(base, 0.78f));
  Cnv_Ellipse(c, x - rx * 0.05f, cy + ry * 0.05f, rx * 0.7f, ry * 0.62f, base);
  Cnv_Ellipse(c, x - rx * 0.35f, cy + ry * 0.35f, rx * 0.32f, ry * 0.26f, Cnv_Shade(base, 1.2f));
}

void Bush(Canvas* c, float x, float v, float size, u32 seed) {
  const float sy = Asc_Sy(v, 0), t = Px(c);
  const u32 base = Cnv_Rgb(66 + int(seed % 24), 120 + int(seed / 5 % 24), 50);
  Cnv_ShadowPoly(c, std::vector<float>{x - size * 0.6f, sy, x + size * 1.0f, sy, x + size * 1.2f, sy + size * 0.4f,
                                       x, sy + size * 0.4f}
                        .data(),
                 4);
  const float cy = sy + size * 0.42f, rx = size * 0.72f, ry = size * 0.42f;
  Cnv_Ellipse(c, x, cy, rx + t, ry + t, Ink(base));
  Cnv_Ellipse(c, x, cy, rx, ry, Cnv_Shade(base, 0.8f));
  Cnv_Ellipse(c, x - rx * 0.12f, cy + ry * 0.12f, rx * 0.82f, ry * 0.78f, base);
  Cnv_Ellipse(c, x - rx * 0.4f, cy + ry * 0.4f, rx * 0.3f, ry * 0.26f, Cnv_Shade(base, 1.2f));
}

void DrawTrees(Canvas* c, u32 h, int count, bool forest) {
  struct T { float x, v, s; int kind; };
  std::vector<T> trees;
  for (int k = 0; k < count; ++k) {
    u32 r = Asc_Hash(h, u32(k));
    trees.push_back(T{4 + float(r % 24), 4 + float((r >> 8) % 24), 6 + float((r >> 16) % 5), int((r >> 20) % 3 == 0 || (forest && (r >> 22) % 2))});
  }
  // Far trees first.
  for (size_t a = 0; a < trees.size(); ++a)
    for (size_t b = a + 1; b < trees.size(); ++b)
      if (trees[b].v > trees[a].v) std::swap(trees[a], trees[b]);
  for (const T& t : trees) Tree(c, t.x, t.v, t.s, t.kind, Asc_Hash(h, u32(t.x)));
}

void DrawStreet(Canvas* c, u32 code, int i) {
  // Streets: the way shapes with pavements, in asphalt, then in setts, and
  // a fifth of them in asphalt with zebra crossings.
  DrawWay(c, code, i >= 80 && i < 160 ? 1 : 0, i % 80, i >= 160, true);
}

void DrawMast(Canvas* c, int i) {
  const int axis = i % 4;
  const u32 steel = Cnv_Rgb(112, 122, 112);
  float x = axis == 1 ? 26 : 16, v = axis == 1 ? 16 : 26;
  if (axis >= 2) x = axis == 2 ? 24 : 8, v = 24;
  Pole(c, x, v, 18, steel);
  const float tx = axis == 1 ? 16 : x, tv = axis == 1 ? v : 16;
  // The cantilever and the dropper to the wire, in the steel's ink.
  Cnv_Line(c, x, Asc_Sy(v, 17), tx, Asc_Sy(tv, 17), 0.6f, Ink(steel));
  Cnv_Line(c, tx, Asc_Sy(tv, 17), tx, Asc_Sy(tv, 14), 0.5f, Ink(steel));
  if (i >= 12) {
    // Portal: a second mast across the tracks and a beam between them.
    const float ox = axis == 1 ? 6 : x, ov = axis == 1 ? v : 6;
    Pole(c, ox, ov, 18, steel);
    Cnv_Line(c, x, Asc_Sy(v, 18), ox, Asc_Sy(ov, 18), 1.0f, Ink(steel));
  }
}

void DrawFurniture(Canvas* c, u32 h, int i) {
  int k = i % 6;
  static const u32 cars[6] = {Cnv_Rgb(200, 44, 40), Cnv_Rgb(44, 84, 170), Cnv_Rgb(230, 230, 226), Cnv_Rgb(52, 52, 58),
                              Cnv_Rgb(230, 190, 44), Cnv_Rgb(60, 140, 80)};
  if (k <= 1) {
    // A parked car: the body, a glazed cabin on it, dark wheels.
    const u32 col = cars[(h >> 4) % 6];
    const bool vertical = k == 1;
    const float w = vertical ? 7 : 16, d = vertical ? 16 : 7, x = 16 - w / 2, v = 16 - d / 2;
    Asc_Shadow(c, x, v, w, d, 4);
    LitBox(c, x, v, w, d, 0.8f, 3, col, Cnv_Shade(col, 1.08f));
    LitBox(c, x + (vertical ? 1 : 4), v + (vertical ? 4 : 1), vertical ? 5 : 8, vertical ? 8 : 5, 3, 5.2f,
           Cnv_Rgb(110, 140, 160), Cnv_Shade(col, 1.12f));
    Cnv_Ellipse(c, x + 2.5f, Asc_Sy(v, 0.9f), 1.2f, 0.9f, kDark);
    Cnv_Ellipse(c, x + w - 2.5f, Asc_Sy(v, 0.9f), 1.2f, 0.9f, kDark);
  } else if (k == 2) {
    // A street lamp lit at night.
    const u32 col = Cnv_Rgb(66, 70, 78);
    Pole(c, 16, 16, 14, col);
    Cnv_Line(c, 16.5f, Asc_Sy(16, 14), 19.5f, Asc_Sy(16, 14), 0.7f, Ink(col));
    LampHead(c, 19.5f, Asc_Sy(16, 13.3f));
  } else if (k == 3) {
    // A bench: the seat on a dark frame, a lit back rail.
    LitBox(c, 11, 14, 10, 3, 0, 1.6f, Cnv_Rgb(124, 82, 50), Cnv_Rgb(156, 106, 64));
    RimRect(c, 11, Asc_Sy(17, 1.6f), 10, 1.6f, Ink(Cnv_Rgb(124, 82, 50)));
    Cnv_Rect(c, 11, Asc_Sy(17, 1.6f), 10, 1.6f, Cnv_Rgb(140, 94, 58));
  } else {
    // People standing about: dark legs, a coat, a head.
    for (int p = 0; p < 3; ++p) {
      const u32 r = Asc_Hash(h, u32(p));
      const float x = 6 + float(r % 20), v = 8 + float((r >> 8) % 16);
      const u32 coat = cars[(r >> 12) % 6];
      Cnv_ShadowRect(c, x, Asc_Sy(v, 0), 2.5f, 0.8f);
      RimRect(c, x - 0.9f, Asc_Sy(v, 2.2f), 1.8f, 2.6f, Ink(coat));
      Cnv_Rect(c, x - 0.6f, Asc_Sy(v, 0), 1.2f, 2.2f, kDark);
      Cnv_Rect(c, x - 0.9f, Asc_Sy(v, 2.2f), 1.8f, 2.6f, coat);
      Cnv_Ellipse(c, x, Asc_Sy(v, 5.5f), 0.8f, 0.8f, Cnv_Rgb(230, 190, 160));
    }
  }
}

// Fields, forest and water cover areas of many cells: each has four
// pictures that the compositor picks by cell position (part 1..4, 0 for a
// code of one picture), and what varies from part to part (tufts, trees,
// ripples) is placed by a hash of the part, so no grid of equal cells shows.
// Furrows run every four units, so they run on over the cell borders.
void DrawField(Canvas* c, u32 h, int i, int part) {
  static const u32 crops[5] = {Cnv_Rgb(200, 180, 90), Cnv_Rgb(120, 150, 70), Cnv_Rgb(140, 110, 70), Cnv_Rgb(90, 150, 80),
                               Cnv_Rgb(220, 200, 120)};
  u32 col = crops[i % 5];
  float a[8] = {0, 0, 32, 0, 32, 32, 0, 32};
  Asc_Flat(c, a, 4, 0, col);
  bool across = (i / 5) % 2;
  for (int k = 0; k < 7; ++k) {
    // Tufts of a lighter and a darker tone between the furrows.
    u32 r = Asc_Hash(h, u32(part * 16 + k));
    float x = float(r % 30) + 1, v = float((r >> 8) % 30) + 1;
    Asc_Flat(c, std::vector<float>{x, v, x + 2, v, x + 2, v + 2, x, v + 2}.data(), 4, 0.02f,
             Cnv_Shade(col, (r >> 16) % 2 ? 1.1f : 0.9f));
  }
  for (float s = 1; s < 32; s += 4) {
    float r[8];
    if (across) { float q[8] = {0, s, 32, s, 32, s + 1, 0, s + 1}; for (int k = 0; k < 8; ++k) r[k] = q[k]; }
    else { float q[8] = {s, 0, s + 1, 0, s + 1, 32, s, 32}; for (int k = 0; k < 8; ++k) r[k] = q[k]; }
    Asc_Flat(c, r, 4, 0.05f, Cnv_Shade(col, 0.82f));
  }
  if (i >= 60) DrawFence(c, h, 0);
  if (i >= 80) Asc_Tree(c, 6, 24, 7, 0, h);
}

// Ripples of open water, placed over the block of two by two cells that the
// four pictures of a water code make (64 x 32 units): a jittered lattice
// of short crests, each from a hash of its place in the block, so crests
// run on over the cell borders and the cells of a lake show no grid. The
// place in the block alone decides, so shore pieces carry the ripples of
// the open water beside them.
struct WaterBlock {
  float dx, dy;  // the cell's left and top in the block (units, y down)
  float t;       // crest thickness in units
  u32 water, crest, faint, trough;
};

u32 WaterPixel(float x, float y, const void* ctx) {
  const WaterBlock& b = *static_cast<const WaterBlock*>(ctx);
  const float bx = x + b.dx, by = (16 - y) + b.dy;
  const int j = int(std::floor(by / 4)) & 7;
  for (int di = 0; di < 2; ++di) {
    const int i = (int(std::floor(bx / 8)) - di) & 7;
    const u32 r = Asc_Hash(u32(i + 8 * j), 0x5A17u);
    if ((r & 3) != 0) continue;  // three quarters of the lattice stay calm
    float x0 = float(i * 8) + float((r >> 2) % 8), row = float(j * 4) + float((r >> 5) % 3);
    const float len = 2 + float((r >> 7) % 3);
    float u = bx - x0;
    if (u < 0) u += 64;  // a crest from the block's last column runs into its first
    if (u >= len) continue;
    // Most crests are faint, one in four catches the light.
    if (by >= row && by < row + b.t) return ((r >> 10) & 3) ? b.faint : b.crest;
    if (by >= row + b.t && by < row + 2 * b.t && u >= 1 && u < len) return b.trough;
  }
  return b.water;
}

void DrawWater(Canvas* c, u32 h, int i, int part) {
  u32 water = Cnv_Rgb(70, 120, 180), shore = Cnv_Rgb(200, 186, 140);
  int k = i % 16;
  static WaterBlock wb;
  const int cell = part >= 1 && part <= 4 ? part - 1 : 0;  // x parity in bit 0, y parity in bit 1
  wb.dx = float(cell & 1) * 32;
  wb.dy = float(cell >> 1) * 16;
  wb.t = c->zoom == 1 ? 1.0f : 0.5f;
  wb.water = water;
  wb.crest = Cnv_Mix(water, Cnv_Rgb(150, 190, 230), 0.7f);
  wb.faint = Cnv_Mix(water, Cnv_Rgb(150, 190, 230), 0.4f);
  wb.trough = Cnv_Shade(water, 0.86f);
  Cnv_PaintPixels(c, 0, 0, 32, 16, WaterPixel, &wb);
  // Sand on the sides the index names, on whole pixels, with a wet line
  // where it meets the water.
  const float px = 1.0f / float(c->zoom), wet = c->zoom >= 4 ? 2 * px : px;
  const u32 damp = Cnv_Shade(shore, 0.8f);
  if (k & 1) Cnv_Rect(c, 0, 13 - wet, 32, wet, damp), Cnv_Rect(c, 0, 13, 32, 3, shore);
  if (k & 2) Cnv_Rect(c, 0, 3, 32, wet, damp), Cnv_Rect(c, 0, 0, 32, 3, shore);
  if (k & 4) Cnv_Rect(c, 6, 0, wet, 16, damp), Cnv_Rect(c, 0, 0, 6, 16, shore);
  if (k & 8) Cnv_Rect(c, 26 - wet, 0, wet, 16, damp), Cnv_Rect(c, 26, 0, 6, 16, shore);
  if (i >= 112) Asc_Bush(c, 5, 27, 4, h);
}

void DrawRocks(Canvas* c, u32 h, int i) {
  int n = 2 + i % 4;
  for (int k = 0; k < n; ++k) {
    u32 r = Asc_Hash(h, u32(k));
    float x = 6 + float(r % 20), v = 20 - float(k) * 3 + float((r >> 8) % 4), s = 3 + float((r >> 12) % 4);
    u32 stone = Cnv_Rgb(140 + int(r >> 20) % 30, 136 + int(r >> 20) % 30, 128 + int(r >> 20) % 30);
    Cnv_ShadowRect(c, x, Asc_Sy(v, 0), s * 1.3f, s * 0.4f);
    // The whole rock in its outline, a lit face to the upper left, a shaded one to the right.
    float p[10] = {x - s, Asc_Sy(v, 0), x + s, Asc_Sy(v, 0), x + s * 0.8f, Asc_Sy(v, s * 0.9f), x, Asc_Sy(v, s * 1.3f),
                   x - s * 0.7f, Asc_Sy(v, s)};
    Rim(c, p, 5, Ink(stone));
    Cnv_FillPoly(c, p, 5, stone);
    float lit[8] = {x - s * 0.7f, Asc_Sy(v, s), x, Asc_Sy(v, s * 1.3f), x + s * 0.1f, Asc_Sy(v, s * 0.8f),
                    x - s * 0.55f, Asc_Sy(v, s * 0.6f)};
    Cnv_FillPoly(c, lit, 4, Cnv_Shade(stone, 1.14f));
    float q[6] = {x, Asc_Sy(v, s * 1.3f), x + s * 0.8f, Asc_Sy(v, s * 0.9f), x + s, Asc_Sy(v, 0)};
    Cnv_FillPoly(c, q, 3, Cnv_Shade(stone, 0.78f));
  }
  if (i >= 100) Bush(c, 24, 8, 4, h);
}

void DrawSign(Canvas* c, u32 h, int i) {
  const int k = i % 4;
  const u32 grey = Cnv_Rgb(130, 130, 130), red = Cnv_Rgb(210, 34, 30);
  Pole(c, 16, 12, 9, grey);
  const float b = std::floor(Asc_Sy(12, 9));
  if (k == 0) {
    // A warning triangle: the red rim outlined in its own ink, white inside.
    const float p[6] = {12, b, 20, b, 16, b + 6};
    Rim(c, p, 3, Ink(red));
    Cnv_FillPoly(c, p, 3, red);
    const float q[6] = {13.6f, b + 1, 18.4f, b + 1, 16, b + 4.4f};
    Cnv_FillPoly(c, q, 3, kWhite);
  } else if (k == 1) {
    Cnv_Ellipse(c, 16.5f, b + 3, 3.2f + Px(c), 3.2f + Px(c), Ink(red));
    Cnv_Ellipse(c, 16.5f, b + 3, 3.2f, 3.2f, red);
    Cnv_Ellipse(c, 16.5f, b + 3, 2.3f, 2.3f, kWhite);
  } else if (k == 2) {
    const u32 blue = Cnv_Rgb(30, 80, 180);
    RimRect(c, 13, b, 7, 6, Ink(blue));
    Cnv_FramedRect(c, 13, b, 7, 6, blue, kWhite);
  } else {
    const u32 blue = Cnv_Rgb(20, 40, 110);
    Pole(c, 8, 12, 9, grey);
    RimRect(c, 6, b, 14, 5, Ink(kWhite));
    Cnv_FramedRect(c, 6, b, 14, 5, kWhite, blue);
    Cnv_Rect(c, 8, b + 2, 10, 1, blue);
  }
  (void)h;
}

void DrawMark(Canvas* c, u32 code) {
  switch (code) {
    case 49154:
      for (float x = 0; x < 32; x += 4) Cnv_Rect(c, x, 0, 2, 0.5f, Cnv_Rgb(80, 140, 220)), Cnv_Rect(c, x, 15.5f, 2, 0.5f, Cnv_Rgb(80, 140, 220));
      for (float y = 0; y < 16; y += 4) Cnv_Rect(c, 0, y, 0.5f, 2, Cnv_Rgb(80, 140, 220)), Cnv_Rect(c, 31.5f, y, 0.5f, 2, Cnv_Rgb(80, 140, 220));
      break;
    // The info mark keeps to the upper half of the cell and the log marks to
    // the lower half: with both on one cell the compositor moves the info
    // mark down by half a cell and the log mark up by as much, so they
    // change halves and each stays whole.
    case 49155:
      Cnv_Ellipse(c, 6, 12, 3.5f, 3.5f, Cnv_Rgb(20, 40, 110));
      Cnv_Ellipse(c, 6, 12, 2.8f, 2.8f, Cnv_Rgb(40, 90, 200));
      Cnv_Rect(c, 5.5f, 9.5f, 1.2f, 3, kWhite);
      Cnv_Rect(c, 5.5f, 13.5f, 1.2f, 1.1f, kWhite);
      break;
    case 49156:
    case 49157: {
      u32 col = code == 49156 ? Cnv_Rgb(230, 140, 30) : Cnv_Rgb(40, 160, 80);
      Cnv_FramedRect(c, 23, 0.5f, 7, 7.5f, kWhite, col);
      for (float y = 2.5f; y < 7; y += 2) Cnv_Rect(c, 24.5f, y, 4, 0.6f, col);
      break;
    }
    default:
      Cnv_Line(c, 12, 4, 20, 12, 1.2f, Cnv_Rgb(220, 40, 40));
      Cnv_Line(c, 12, 12, 20, 4, 1.2f, Cnv_Rgb(220, 40, 40));
      break;
  }
}

// The part of a picture of several parts comes in the bits above the code.
void DrawSymbol(Canvas* c, u32 codeAndPart, int layer) {
  const u32 code = codeAndPart & 0xFFFF;
  const int part = int(codeAndPart >> 16);
  const Family* f = FamilyOf(code);
  if (!f || Aan_Draw(c, code)) return;
  int i = int(code - f->first);
  u32 h = Asc_Hash(code);
  switch (f->kind) {
    case F_MARK: DrawMark(c, code); break;
    case F_WAY: DrawWay(c, code, int((code - 49408) / 256), i); break;
    case F_PLATFORM: DrawPlatform(c, h, i); break;
    case F_FENCE: DrawFence(c, h, i); break;
    case F_STATION: DrawStation(c, h, i); break;
    case F_HOUSE: DrawHouse(c, h, i, false); break;
    case F_BOAT: {
      float a[8] = {0, 0, 32, 0, 32, 32, 0, 32};
      Asc_Flat(c, a, 4, 0, Cnv_Rgb(70, 120, 180));
      u32 hull = i % 2 ? Cnv_Rgb(180, 60, 40) : kWhite;
      float p[8] = {6, Asc_Sy(14, 0), 26, Asc_Sy(14, 0), 28, Asc_Sy(14, 3), 4, Asc_Sy(14, 3)};
      Cnv_FillPoly(c, p, 4, hull);
      Asc_Box(c, 12, 15, 8, 4, 3, 6, kWhite, Cnv_Rgb(200, 200, 200));
      break;
    }
    case F_PIER: {
      u32 stone = Cnv_Rgb(150, 146, 136);
      Asc_Shadow(c, 12, 12, 8, 8, 14);
      Asc_Box(c, 12, 12, 8, 8, 0, 10 + float(i % 3) * 4, stone, Cnv_Shade(stone, 1.15f));
      break;
    }
    case F_TREE:
      if (i < 40) Tree(c, 16, 16, 7 + float(i % 5), i % 3 == 2, h);
      else if (i < 70) DrawTrees(c, h, 2 + i % 3, false);
      else if (i < 90) Bush(c, 16, 16, 5 + float(i % 4), h), Bush(c, 8, 22, 4, h >> 4);
      else {
        float a[8] = {6, 8, 26, 8, 26, 24, 6, 24};
        Asc_Flat(c, a, 4, 0, Cnv_Rgb(110, 80, 50));
        for (int k = 0; k < 12; ++k) {
          u32 r = Asc_Hash(h, u32(k));
          static const u32 fl[4] = {Cnv_Rgb(230, 60, 60), Cnv_Rgb(250, 220, 60), Cnv_Rgb(240, 240, 240), Cnv_Rgb(200, 80, 200)};
          Cnv_Ellipse(c, 8 + float(r % 16), Asc_Sy(10 + float((r >> 8) % 12), 0.5f), 1, 0.8f, fl[(r >> 16) % 4]);
        }
      }
      break;
    case F_INDUSTRY: DrawIndustry(c, h, i); break;
    case F_STREET: DrawStreet(c, code, i); break;
    case F_MAST: DrawMast(c, i); break;
    case F_FURNITURE: DrawFurniture(c, h, i); break;
    case F_CLOCK: break;  // drawn with the animated pictures
    case F_FIELD: DrawField(c, h, i, part); break;
    case F_FOREST: DrawTrees(c, part ? Asc_Hash(h, u32(part)) : h, 3 + i % 4, true); break;
    case F_CITY: DrawHouse(c, h, i, true); break;
    case F_WATER: DrawWater(c, h, i, part); break;
    case F_ROCK: DrawRocks(c, h, i); break;
    case F_SIGN: DrawSign(c, h, i); break;
    case F_EDGE: DrawPlatform(c, h, i % 8); break;
    case F_RAMP: {
      int axis = i % 4;
      u32 earth = Cnv_Rgb(130, 150, 80);
      float p[8];
      if (axis % 2 == 0) { float q[8] = {0, 6, 32, 6, 32, 26, 0, 26}; for (int k = 0; k < 8; ++k) p[k] = q[k]; }
      else { float q[8] = {6, 0, 26, 0, 26, 32, 6, 32}; for (int k = 0; k < 8; ++k) p[k] = q[k]; }
      Asc_Prism(c, p, 4, 0, 3 + float(i % 3) * 2, Cnv_Rgb(110, 130, 70), earth);
      break;
    }
  }
  (void)layer;
}

}  // namespace

int Asy_HasPicture(u32 code) { return FamilyOf(code) != nullptr; }

int Asy_ListCodes(u32* out, int max) {
  int n = 0;
  for (const Family& f : kFamilies)
    for (u32 c = f.first; c <= f.last; ++c) {
      if (out && n < max) out[n] = c;
      ++n;
    }
  return n;
}

int Asy_PartCount(u32 code) {
  // An animated picture has its steps, not pictures by cell.
  if (Aan_FrameCount(code) > 0) return 1;
  const Family* f = FamilyOf(code);
  return f && (f->kind == F_FIELD || f->kind == F_FOREST || f->kind == F_WATER) ? 4 : 1;
}

ApcDraw Asy_PreparePart(u32 code, int part, ApcSpec* spec, u32* drawCode) {
  *drawCode = code | u32(part > 0 && part <= 4 ? part : 0) << 16;
  return Asy_Prepare(code, spec);
}

ApcDraw Asy_Prepare(u32 code, ApcSpec* spec) {
  Aan_Spec(code, spec);
  const Family* f = FamilyOf(code);
  // Ground-like pictures lie under what stands on the cells around them.
  bool flat = f && (f->kind == F_WAY || f->kind == F_STREET || f->kind == F_FIELD || f->kind == F_WATER);
  // The info and log point marks lie in layer 3, under the grid lines.
  const bool mark = code >= 49155 && code <= 49157;
  spec->layers[0] = flat || mark ? 3 : 2;
  return DrawSymbol;
}

int Asy_Effects(u32 code, ArtEffects* out) {
  *out = ArtEffects();
  const Family* f = FamilyOf(code);
  if (!f) return 0;
  const int i = int(code - f->first);
  const u32 h = Asc_Hash(code);
  if (f->kind == F_CLOCK) {
    out->clock = 1;
    out->handA = out->handB = kDark;
    if (i == 5) {
      // A digital 24-hour clock with seconds, lit at night.
      out->clockFlags = 1 | 2 | 8;
      out->clockSize = 20;
      out->clockX = 16;
      out->clockY = Asc_Sy(12, 18) + 11;
      out->handA = out->handB = Cnv_Rgb(80, 255, 120) | 0x40000000u;
      return 1;
    }
    // Analog dials: hour and minute hands, odd ones a second hand too,
    // number 4 a 24-hour dial.
    out->clockFlags = 4 | (i % 2 ? 8 : 0) | (i == 4 ? 2 : 0);
    out->clockSize = 6;
    out->clockX = 16;
    out->clockY = Asc_Sy(12, 21);
    out->handB = Cnv_Rgb(160, 20, 20);
    return 1;
  }
  float cx, cv, cw, top;
  if (f->kind == F_INDUSTRY && IndustryChimney(i, &cx, &cv, &cw, &top)) {
    // The boiler house and kiln chimneys.
    out->smoke = 1;
    out->smokeX = int(cx);
    out->smokeY = int(Asc_Sy(cv, top)) + 1;
    out->smokeWidth = int(cw);
    return 1;
  }
  if ((f->kind == F_HOUSE || f->kind == F_CITY) && h % 3 == 0 &&
      HouseChimney(h, i, f->kind == F_CITY, &cx, &cv, &top)) {
    // A light smoke from every third house.
    out->smoke = out->lightSmoke = 1;
    out->smokeX = int(cx);
    out->smokeY = int(Asc_Sy(cv, top)) + 1;
    out->smokeWidth = 2;
    return 1;
  }
  return 0;
}

void Asy_Name(u32 code, char* buf, int size) {
  const Family* f = FamilyOf(code);
  snprintf(buf, size_t(size), "%s %u", f ? f->name : "picture", f ? unsigned(code - f->first) : 0u);
}

void Asy_DrawWayShape(Canvas* c, int shape, bool pavement) {
  DrawWay(c, (pavement ? 52480u : 49408u) + u32(shape % 80), 0, shape % 80, false, pavement);
}

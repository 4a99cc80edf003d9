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

// ---------------------------------------------------------------- buildings
// Where the chimney of a house stands (ground x, v, top z); 0 for a flat
// roof without one.
int HouseChimney(u32 h, float scale, bool city, float* cx, float* cv, float* top) {
  float w = (14 + float((h >> 6) % 10)) * scale, d = (10 + float((h >> 10) % 8)) * scale;
  int floors = city ? 2 + int((h >> 13) % 4) : 1 + int((h >> 13) % 2);
  float z1 = 6 * scale * float(floors);
  if (city && ((h >> 16) & 1)) return 0;
  *cx = 16 - w / 2 + w * 0.7f;
  *cv = 16 - d / 2 + d * 0.6f;
  *top = z1 + 3 + d * 0.3f + 2.5f;
  return 1;
}

void DrawHouse(Canvas* c, u32 h, float scale, bool city) {
  static const u32 walls[8] = {Cnv_Rgb(224, 206, 170), Cnv_Rgb(200, 120, 90), Cnv_Rgb(236, 230, 214), Cnv_Rgb(190, 170, 140),
                               Cnv_Rgb(170, 180, 190), Cnv_Rgb(210, 190, 120), Cnv_Rgb(176, 110, 80), Cnv_Rgb(220, 220, 210)};
  static const u32 roofs[5] = {Cnv_Rgb(150, 60, 44), Cnv_Rgb(90, 90, 100), Cnv_Rgb(120, 80, 60), Cnv_Rgb(70, 80, 70),
                               Cnv_Rgb(170, 90, 60)};
  u32 wall = walls[h % 8], roof = roofs[(h >> 3) % 5];
  float w = (14 + float((h >> 6) % 10)) * scale, d = (10 + float((h >> 10) % 8)) * scale;
  int floors = city ? 2 + int((h >> 13) % 4) : 1 + int((h >> 13) % 2);
  float fh = 6 * scale, z1 = fh * float(floors);
  float x = 16 - w / 2, v = 16 - d / 2;
  bool flat = city && ((h >> 16) & 1);
  Asc_Shadow(c, x, v, w, d, z1 + 4);
  Asc_Box(c, x, v, w, d, 0, z1, wall, flat ? Cnv_Shade(roof, 0.9f) : wall);
  // Windows on the front wall in a regular rhythm; on the ground floor the
  // middle opening is the door, so no window lies under it. Windows are
  // lit at night (window class by the house, so not every house is lit).
  int count = 0;
  for (float wx = x + 2; wx + 2.2f < x + w - 1; wx += 4.2f) ++count;
  const int door = count / 2;
  Cnv_SetTag(c, u32(CNV_WINDOW) | (h % 3) << 24 | (((h >> 5) & 1) ? u32(CNV_WINDOW_ALT) : 0u));
  for (int f = 0; f < floors; ++f)
    for (int k = 0; k < count; ++k) {
      if (f == 0 && k == door) continue;
      float wx = x + 2 + 4.2f * float(k), y = Asc_Sy(v, float(f) * fh + 2);
      Cnv_Rect(c, wx, y, 2.2f, 2.6f * scale, Cnv_Rgb(70, 90, 110));
    }
  Cnv_SetTag(c, 0);
  if (c->zoom >= 2)
    for (int f = 0; f < floors; ++f)
      for (int k = 0; k < count; ++k)
        if (f || k != door)
          Cnv_Rect(c, x + 2 + 4.2f * float(k), Asc_Sy(v, float(f) * fh + 2) + 2.6f * scale - 0.5f, 2.2f, 0.5f,
                   Cnv_Shade(wall, 0.8f));
  const float doorX = count > 0 ? x + 2 + 4.2f * float(door) : x + w / 2 - 1.1f;
  Cnv_Rect(c, doorX, Asc_Sy(v, 0), 2.2f, 4 * scale, Cnv_Rgb(90, 60, 40));
  if (flat) {
    Cnv_Rect(c, x, Asc_Sy(v, z1), w, 0.8f, Cnv_Shade(wall, 0.8f));
  } else {
    Asc_GableRoof(c, x, v, w, d, z1, 3 + d * 0.3f, (h >> 17) & 1 ? false : true, roof);
    // A chimney stack standing on the roof, not a stripe down it.
    float cx, cv, top;
    HouseChimney(h, scale, city, &cx, &cv, &top);
    Asc_Box(c, cx, cv, 2, 2, top - 5, top, Cnv_Rgb(150, 84, 60), Cnv_Rgb(60, 50, 50));
  }
}

void DrawIndustry(Canvas* c, u32 h) {
  int t = int(h % 8);
  if (t >= 4) {
    const u32 brick = Cnv_Rgb(170, 96, 70), slate = Cnv_Rgb(84, 88, 100);
    if (t == 4) {
      // Warehouse: a long brick store with loading doors and small windows.
      Asc_Shadow(c, 2, 10, 28, 14, 11);
      Asc_Box(c, 2, 10, 28, 14, 0, 10, brick, brick);
      Asc_GableRoof(c, 2, 10, 28, 14, 10, 4, true, slate);
      for (float x : {5.0f, 14.0f, 23.0f}) Cnv_FramedRect(c, x, Asc_Sy(10, 0), 5, 6, Cnv_Rgb(96, 70, 50), Cnv_Rgb(60, 40, 30));
      Cnv_SetTag(c, CNV_WINDOW | (1u << 24));
      for (float x = 4; x < 29; x += 4.5f) Cnv_Rect(c, x, Asc_Sy(10, 7.5f), 2, 1.6f, Cnv_Rgb(70, 90, 110));
      Cnv_SetTag(c, 0);
    } else if (t == 5) {
      // Gas holder: a ribbed drum with a lit top rim.
      const u32 drum = Cnv_Rgb(120, 130, 124);
      Cnv_ShadowRect(c, 20, Asc_Sy(14, 0), 12, 4);
      Cnv_Rect(c, 5, Asc_Sy(12, 0), 22, 18, Cnv_Shade(drum, 0.6f));
      Cnv_Rect(c, 6, Asc_Sy(12, 0), 20, 17, drum);
      Cnv_Rect(c, 6, Asc_Sy(12, 0), 6, 17, Cnv_Shade(drum, 1.15f));
      for (float x = 8; x < 26; x += 3.5f) Cnv_Rect(c, x, Asc_Sy(12, 0), 0.8f, 17, Cnv_Shade(drum, 0.75f));
      Cnv_Ellipse(c, 16, Asc_Sy(12, 18), 11, 2.5f, Cnv_Shade(drum, 0.6f));
      Cnv_Ellipse(c, 16, Asc_Sy(12, 18), 10, 2, Cnv_Shade(drum, 1.25f));
    } else if (t == 6) {
      // Container yard: stacked boxes under a gantry crane.
      static const u32 boxes[5] = {Cnv_Rgb(40, 80, 170), Cnv_Rgb(200, 60, 40), Cnv_Rgb(230, 180, 40),
                                   Cnv_Rgb(40, 130, 70), Cnv_Rgb(220, 220, 214)};
      for (int k = 0; k < 6; ++k) {
        float x = 4 + float(k % 3) * 8.5f, z = float(k / 3) * 4;
        u32 col = boxes[(h / 8 + u32(k)) % 5];
        Asc_Box(c, x, 12, 8, 6, z, z + 4, col, Cnv_Shade(col, 1.2f));
      }
      const u32 crane = Cnv_Rgb(220, 120, 30);
      for (float x : {2.0f, 29.0f}) Asc_Post(c, x, 10, 14, crane);
      Cnv_Rect(c, 1, Asc_Sy(10, 14), 30, 2, Cnv_Shade(crane, 0.6f));
      Cnv_Rect(c, 1, Asc_Sy(10, 14.5f), 30, 1.2f, crane);
      Cnv_Rect(c, 14, Asc_Sy(10, 11), 4, 3, Cnv_Rgb(60, 60, 64));
    } else {
      // Coal yard: dark heaps with a lit crest and a conveyor.
      for (int k = 0; k < 2; ++k) {
        float x = 4 + float(k) * 13;
        float heap[6] = {x, Asc_Sy(14, 0), x + 12, Asc_Sy(14, 0), x + 6, Asc_Sy(14, 7)};
        Cnv_ShadowRect(c, x + 6, Asc_Sy(14, 0), 9, 3);
        Cnv_FillPoly(c, heap, 3, Cnv_Rgb(28, 28, 30));
        float lit[6] = {x + 1.5f, Asc_Sy(14, 0.5f), x + 6, Asc_Sy(14, 6.3f), x + 4.5f, Asc_Sy(14, 0.5f)};
        Cnv_FillPoly(c, lit, 3, Cnv_Rgb(70, 70, 76));
      }
      Cnv_Line(c, 2, Asc_Sy(20, 1), 28, Asc_Sy(20, 12), 1.4f, Cnv_Rgb(90, 90, 96));
      Cnv_Line(c, 2, Asc_Sy(20, 1.8f), 28, Asc_Sy(20, 12.8f), 0.6f, Cnv_Rgb(150, 150, 156));
      Asc_Box(c, 24, 18, 6, 6, 0, 12, Cnv_Rgb(120, 110, 96), Cnv_Rgb(90, 84, 76));
    }
    return;
  }
  if (t == 0) {
    // Hall with a sawtooth roof.
    float x = 2, v = 6, w = 28, d = 20;
    Asc_Shadow(c, x, v, w, d, 10);
    Asc_Box(c, x, v, w, d, 0, 8, Cnv_Rgb(170, 150, 130), Cnv_Rgb(170, 150, 130));
    for (float s = x; s < x + w - 1; s += 7) {
      float p[6] = {s, Asc_Sy(v + d, 8), s + 7, Asc_Sy(v + d, 8), s + 7, Asc_Sy(v + d, 13)};
      Cnv_FillPoly(c, p, 3, Cnv_Rgb(110, 110, 120));
      float q[8] = {s, Asc_Sy(v, 8), s + 7, Asc_Sy(v, 8), s + 7, Asc_Sy(v + d, 13), s, Asc_Sy(v + d, 8)};
      Cnv_FillPoly(c, q, 4, Cnv_Rgb(130, 130, 140));
    }
    Cnv_Rect(c, x + 10, Asc_Sy(v, 0), 8, 6, Cnv_Rgb(80, 80, 86));
  } else if (t == 1) {
    // Chimney with a boiler house.
    Asc_Box(c, 4, 8, 16, 14, 0, 9, Cnv_Rgb(176, 96, 70), Cnv_Rgb(120, 70, 60));
    Asc_Shadow(c, 22, 16, 4, 4, 30);
    Asc_Box(c, 22, 16, 4, 4, 0, 34, Cnv_Rgb(160, 80, 60), Cnv_Rgb(50, 40, 40));
    Cnv_Rect(c, 22, Asc_Sy(16, 30), 4, 1, Cnv_Rgb(230, 230, 230));
  } else if (t == 2) {
    // Silos.
    for (int k = 0; k < 3; ++k) {
      float x = 6 + float(k) * 8;
      Cnv_ShadowRect(c, x + 3, Asc_Sy(16, 0), 6, 3);
      Cnv_Rect(c, x - 3, Asc_Sy(16, 0), 6, 22, Cnv_Rgb(200, 200, 196));
      Cnv_Rect(c, x + 1, Asc_Sy(16, 0), 2, 22, Cnv_Rgb(170, 170, 166));
      Cnv_Ellipse(c, x, Asc_Sy(16, 22), 3, 1.5f, Cnv_Rgb(150, 150, 150));
    }
  } else {
    // Storage tanks.
    for (int k = 0; k < 2; ++k) {
      float x = 9 + float(k) * 14;
      Cnv_ShadowRect(c, x, Asc_Sy(14 + float(k) * 6, 0), 9, 3);
      Cnv_Rect(c, x - 6, Asc_Sy(14 + float(k) * 6, 0), 12, 9, Cnv_Rgb(210, 210, 204));
      Cnv_Ellipse(c, x, Asc_Sy(14 + float(k) * 6, 9), 6, 2.5f, Cnv_Rgb(180, 180, 176));
      Cnv_Rect(c, x - 6, Asc_Sy(14 + float(k) * 6, 4), 12, 1, Cnv_Rgb(200, 60, 40));
    }
  }
}

// A station hall: a two-storey middle block with a clock gable and an
// arched entrance between lower wings, windows lit at night; `wing` the
// wall colour, `roof` the roof's.
void StationHall(Canvas* c, u32 wall, u32 roof, bool big) {
  const float x = big ? 1 : 5, w = big ? 30 : 22, v = 12, d = 14;
  Asc_Shadow(c, x, v, w, d, big ? 16 : 12);
  Asc_Box(c, x, v, w, d, 0, 7, wall, wall);
  Asc_GableRoof(c, x, v, w, d, 7, 3, true, roof);
  const float mx = 16 - 5, mw = 10;
  Asc_Box(c, mx, v - 1, mw, d, 0, big ? 13 : 11, Cnv_Shade(wall, 1.05f), Cnv_Shade(wall, 1.05f));
  Asc_GableRoof(c, mx, v - 1, mw, d, big ? 13 : 11, 4, false, roof);
  // Arched door in the middle, a round clock above it.
  Cnv_Rect(c, 14, Asc_Sy(v - 1, 0), 4, 5, Cnv_Rgb(70, 50, 36));
  Cnv_Ellipse(c, 16, Asc_Sy(v - 1, 5), 2, 1.2f, Cnv_Rgb(70, 50, 36));
  Cnv_Ellipse(c, 16, Asc_Sy(v - 1, big ? 10 : 8.5f), 1.6f, 1.6f, kDark);
  Cnv_Ellipse(c, 16, Asc_Sy(v - 1, big ? 10 : 8.5f), 1.1f, 1.1f, kWhite);
  Cnv_SetTag(c, CNV_WINDOW | CNV_WINDOW_ALT);
  for (float wx = x + 1.5f; wx + 2 < x + w - 0.5f; wx += 3.5f) {
    if (wx > mx - 2 && wx < mx + mw) continue;
    Cnv_Rect(c, wx, Asc_Sy(v, 2), 2, 3, Cnv_Rgb(70, 90, 110));
  }
  Cnv_Rect(c, mx + 1.5f, Asc_Sy(v - 1, 7.5f), 2, 2, Cnv_Rgb(70, 90, 110));
  Cnv_Rect(c, mx + mw - 3.5f, Asc_Sy(v - 1, 7.5f), 2, 2, Cnv_Rgb(70, 90, 110));
  Cnv_SetTag(c, 0);
}

void DrawStation(Canvas* c, u32 h, int i) {
  int t = i % 10;
  if (t == 6 || t == 7) {
    StationHall(c, t == 6 ? Cnv_Rgb(214, 196, 160) : Cnv_Rgb(184, 100, 72), t == 6 ? Cnv_Rgb(90, 90, 104) : Cnv_Rgb(140, 60, 44),
                t == 6);
    return;
  }
  if (t == 8) {
    // Country halt: a small timber building with a canopy and a name board.
    const u32 timber = Cnv_Rgb(150, 110, 70);
    Asc_Shadow(c, 8, 14, 16, 10, 9);
    Asc_Box(c, 8, 14, 16, 10, 0, 6, timber, timber);
    for (float x = 9; x < 24; x += 1.5f) Cnv_Rect(c, x, Asc_Sy(14, 0), 0.4f, 6, Cnv_Shade(timber, 0.8f));
    Asc_GableRoof(c, 8, 14, 16, 10, 6, 3, true, Cnv_Rgb(120, 60, 44));
    Cnv_Rect(c, 15, Asc_Sy(14, 0), 2.4f, 4.5f, Cnv_Rgb(80, 50, 30));
    Cnv_SetTag(c, CNV_WINDOW);
    Cnv_Rect(c, 10.5f, Asc_Sy(14, 2), 2.4f, 2.4f, Cnv_Rgb(70, 90, 110));
    Cnv_Rect(c, 19.5f, Asc_Sy(14, 2), 2.4f, 2.4f, Cnv_Rgb(70, 90, 110));
    Cnv_SetTag(c, 0);
    Asc_Post(c, 4, 8, 7, kDark);
    Asc_Post(c, 12, 8, 7, kDark);
    Cnv_FramedRect(c, 3, std::floor(Asc_Sy(8, 7)), 11, 3, kWhite, kDark);
    return;
  }
  if (t == 9) {
    // Modern station: a glass hall under a flat roof on steel columns.
    Asc_Shadow(c, 2, 12, 28, 12, 10);
    Asc_Box(c, 2, 12, 28, 12, 0, 8, Cnv_Rgb(120, 160, 190), Cnv_Rgb(200, 204, 208));
    Cnv_SetTag(c, CNV_WINDOW | CNV_WINDOW_ALT);
    for (float x = 3; x < 29; x += 3) Cnv_Rect(c, x, Asc_Sy(12, 0.5f), 2.2f, 7, Cnv_Rgb(140, 180, 206));
    Cnv_SetTag(c, 0);
    for (float x = 2; x <= 30; x += 7) Cnv_Rect(c, x, Asc_Sy(12, 0), 0.8f, 8, Cnv_Rgb(70, 74, 80));
    float roof[8] = {0, 10, 32, 10, 32, 26, 0, 26};
    Asc_Flat(c, roof, 4, 8.5f, Cnv_Rgb(210, 212, 216));
    Cnv_Rect(c, 0, Asc_Sy(10, 8), 32, 0.8f, Cnv_Rgb(90, 94, 100));
    return;
  }
  t = i % 6;
  if (t == 0 || t == 1) {
    // Station building with a canopy toward the tracks.
    Asc_Shadow(c, 3, 14, 26, 14, 12);
    Asc_Box(c, 3, 14, 26, 14, 0, 8, Cnv_Rgb(214, 196, 160), Cnv_Rgb(214, 196, 160));
    Cnv_SetTag(c, CNV_WINDOW);
    for (float x = 5; x < 27; x += 4)
      if (x != 13) Cnv_Rect(c, x, Asc_Sy(14, 2), 2, 4, Cnv_Rgb(70, 90, 110));
    Cnv_SetTag(c, 0);
    Cnv_Rect(c, 13, Asc_Sy(14, 0), 2, 5, Cnv_Rgb(90, 60, 40));
    Asc_GableRoof(c, 3, 14, 26, 14, 8, 5, true, t ? Cnv_Rgb(90, 90, 100) : Cnv_Rgb(150, 60, 44));
    float cp[8] = {2, 6, 30, 6, 30, 14, 2, 14};
    for (float x : {4.0f, 16.0f, 28.0f}) Asc_Post(c, x, 7, 6, Cnv_Rgb(80, 90, 80));
    Asc_Flat(c, cp, 4, 6, Cnv_Rgb(70, 110, 80));
  } else if (t == 2) {
    // Signal box: tall with a glazed upper floor.
    Asc_Shadow(c, 9, 12, 14, 10, 16);
    Asc_Box(c, 9, 12, 14, 10, 0, 7, Cnv_Rgb(180, 100, 70), Cnv_Rgb(180, 100, 70));
    Asc_Box(c, 9, 12, 14, 10, 7, 12, Cnv_Rgb(220, 210, 190), Cnv_Rgb(220, 210, 190));
    Cnv_SetTag(c, CNV_WINDOW | CNV_WINDOW_ALT);
    Cnv_Rect(c, 10, Asc_Sy(12, 8), 12, 3, Cnv_Rgb(90, 120, 140));
    Cnv_SetTag(c, 0);
    Asc_GableRoof(c, 9, 12, 14, 10, 12, 4, false, Cnv_Rgb(80, 80, 90));
  } else if (t == 3) {
    // Water tower.
    Asc_Box(c, 11, 12, 10, 8, 0, 12, Cnv_Rgb(170, 92, 70), Cnv_Rgb(170, 92, 70));
    Cnv_Rect(c, 8, Asc_Sy(12, 12), 16, 8, Cnv_Rgb(80, 90, 96));
    Cnv_Ellipse(c, 16, Asc_Sy(12, 20), 8, 2, Cnv_Rgb(100, 110, 116));
    Asc_Shadow(c, 8, 12, 16, 8, 20);
  } else if (t == 4) {
    // Goods shed with a loading ramp.
    Asc_Shadow(c, 2, 12, 28, 14, 10);
    Asc_Box(c, 2, 8, 28, 4, 0, 2.5f, Cnv_Rgb(150, 146, 136), Cnv_Rgb(170, 166, 156));
    Asc_Box(c, 2, 12, 28, 14, 0, 9, Cnv_Rgb(150, 100, 70), Cnv_Rgb(150, 100, 70));
    Asc_GableRoof(c, 2, 12, 28, 14, 9, 4, true, Cnv_Rgb(100, 100, 106));
    Cnv_Rect(c, 8, Asc_Sy(12, 2.5f), 6, 6, Cnv_Rgb(90, 60, 40));
    Cnv_Rect(c, 18, Asc_Sy(12, 2.5f), 6, 6, Cnv_Rgb(90, 60, 40));
  } else {
    // Footbridge over the tracks.
    u32 steel = Cnv_Rgb(90, 110, 120);
    Asc_Box(c, 2, 14, 4, 4, 0, 14, steel, steel);
    Asc_Box(c, 26, 14, 4, 4, 0, 14, steel, steel);
    Asc_Box(c, 0, 14, 32, 4, 14, 16, Cnv_Rgb(120, 140, 150), Cnv_Rgb(150, 160, 166));
  }
  (void)h;
}

void DrawPlatform(Canvas* c, u32 h, int i) {
  bool vertical = (i / 2) % 2 == 1;
  bool far = i % 2 == 1;
  float pts[8];
  if (vertical) {
    float x0 = far ? 19 : 1;
    float p[8] = {x0, 0, x0 + 12, 0, x0 + 12, 32, x0, 32};
    for (int k = 0; k < 8; ++k) pts[k] = p[k];
  } else {
    float v0 = far ? 19 : 1;
    float p[8] = {0, v0, 32, v0, 32, v0 + 12, 0, v0 + 12};
    for (int k = 0; k < 8; ++k) pts[k] = p[k];
  }
  if (i >= 4 && i < 8) {
    // Platform ends: half length with a ramp.
    if (vertical) pts[5] = pts[7] = 18;
    else pts[2] = pts[4] = 18;
  }
  Asc_Prism(c, pts, 4, 0, 2.5f, Cnv_Rgb(132, 128, 120), Cnv_Rgb(186, 184, 174));
  if (i >= 8) {
    float cx = (pts[0] + pts[2]) / 2, cv = (pts[1] + pts[5]) / 2;
    int t = i % 4;
    if (t == 0) {
      for (float a : {-8.0f, 8.0f}) Asc_Post(c, vertical ? cx : cx + a, vertical ? cv + a : cv, 9, Cnv_Rgb(60, 80, 70));
      float roof[8] = {pts[0] - 1, pts[1] - 1, pts[2] + 1, pts[3] - 1, pts[4] + 1, pts[5] + 1, pts[6] - 1, pts[7] + 1};
      Asc_Flat(c, roof, 4, 11, Cnv_Rgb(80, 120, 90));
    } else if (t == 1) {
      Asc_Box(c, cx - 3, cv - 1, 6, 2, 2.5f, 4, Cnv_Rgb(120, 80, 50), Cnv_Rgb(150, 100, 60));
    } else if (t == 2) {
      Asc_Post(c, cx, cv, 12, Cnv_Rgb(60, 60, 60));
      Cnv_SetTag(c, CNV_LAMP);
      Cnv_Ellipse(c, cx + 0.5f, Asc_Sy(cv, 14.5f), 1.5f, 1.2f, Cnv_Rgb(255, 240, 180));
      Cnv_SetTag(c, 0);
    } else {
      Asc_Post(c, cx, cv, 8, Cnv_Rgb(60, 60, 60));
      Cnv_FramedRect(c, std::floor(cx) - 5, std::floor(Asc_Sy(cv, 8)), 11, 4, kWhite, Cnv_Rgb(20, 60, 140));
    }
  }
  (void)h;
}

void DrawFence(Canvas* c, u32 h, int i) {
  int t = i % 7;
  bool vertical = i >= 7;
  u32 col = t == 3 ? Cnv_Rgb(150, 60, 44) : t == 4 ? Cnv_Rgb(60, 110, 50) : Cnv_Rgb(120, 100, 70);
  float hgt = t == 4 ? 5 : t == 3 ? 4 : 3.5f;
  for (float a = 1; a < 32; a += (t == 4 || t == 3) ? 31 : 4) {
    if (t == 4 || t == 3) {
      float p[8];
      if (vertical) { float q[8] = {15, 0, 17, 0, 17, 32, 15, 32}; for (int k = 0; k < 8; ++k) p[k] = q[k]; }
      else { float q[8] = {0, 15, 32, 15, 32, 17, 0, 17}; for (int k = 0; k < 8; ++k) p[k] = q[k]; }
      Asc_Prism(c, p, 4, 0, hgt, col, Cnv_Shade(col, 1.2f));
      break;
    }
    Asc_Post(c, vertical ? 16 : a, vertical ? a : 16, hgt, col);
  }
  if (t < 3) {
    for (float z : {hgt * 0.45f, hgt * 0.9f}) {
      if (vertical) Cnv_Line(c, 16.5f, Asc_Sy(0, z), 16.5f, Asc_Sy(32, z), 0.6f, col);
      else Cnv_Line(c, 0, Asc_Sy(16, z), 32, Asc_Sy(16, z), 0.6f, col);
    }
  }
  if (t == 5 || t == 6) Asc_Bush(c, 8, 20, 5, h), Asc_Bush(c, 22, 12, 6, h >> 3);
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
  for (const T& t : trees) Asc_Tree(c, t.x, t.v, t.s, t.kind, Asc_Hash(h, u32(t.x)));
}

void DrawStreet(Canvas* c, u32 code, int i) {
  // Streets: the way shapes with pavements, in asphalt, then in setts, and
  // a fifth of them in asphalt with zebra crossings.
  DrawWay(c, code, i >= 80 && i < 160 ? 1 : 0, i % 80, i >= 160, true);
}

void DrawMast(Canvas* c, int i) {
  int axis = i % 4;
  u32 steel = Cnv_Rgb(110, 120, 110);
  float x = axis == 1 ? 26 : 16, v = axis == 1 ? 16 : 26;
  if (axis >= 2) x = axis == 2 ? 24 : 8, v = axis == 2 ? 24 : 24;
  Asc_Post(c, x, v, 18, steel);
  if (c->zoom >= 2) Asc_Post(c, x + 0.8f, v, 18, Cnv_Shade(steel, 0.8f));
  float tx = axis == 1 ? 16 : x, tv = axis == 1 ? v : 16;
  Cnv_Line(c, x, Asc_Sy(v, 17), tx, Asc_Sy(tv, 17), 0.6f, steel);
  Cnv_Line(c, tx, Asc_Sy(tv, 17), tx, Asc_Sy(tv, 14), 0.5f, Cnv_Rgb(60, 60, 60));
  if (i >= 12) {
    // Portal: a second mast across the tracks.
    float ox = axis == 1 ? 6 : x, ov = axis == 1 ? v : 6;
    Asc_Post(c, ox, ov, 18, steel);
    Cnv_Line(c, x, Asc_Sy(v, 18), ox, Asc_Sy(ov, 18), 0.9f, steel);
  }
}

void DrawFurniture(Canvas* c, u32 h, int i) {
  int t = i % 6;
  static const u32 cars[6] = {Cnv_Rgb(200, 40, 40), Cnv_Rgb(40, 80, 170), Cnv_Rgb(230, 230, 226), Cnv_Rgb(40, 40, 44),
                              Cnv_Rgb(230, 190, 40), Cnv_Rgb(60, 140, 80)};
  if (t <= 1) {
    u32 col = cars[(h >> 4) % 6];
    bool vertical = t == 1;
    float w = vertical ? 7 : 16, d = vertical ? 16 : 7;
    float x = 16 - w / 2, v = 16 - d / 2;
    Asc_Shadow(c, x, v, w, d, 4);
    Asc_Box(c, x, v, w, d, 0.8f, 3, col, col);
    Asc_Box(c, x + (vertical ? 1 : 4), v + (vertical ? 4 : 1), vertical ? 5 : 8, vertical ? 8 : 5, 3, 5.2f,
            Cnv_Rgb(110, 140, 160), Cnv_Shade(col, 1.1f));
    Cnv_Ellipse(c, x + 2.5f, Asc_Sy(v, 0.9f), 1.2f, 0.9f, kDark);
    Cnv_Ellipse(c, x + w - 2.5f, Asc_Sy(v, 0.9f), 1.2f, 0.9f, kDark);
  } else if (t == 2) {
    Asc_Post(c, 16, 16, 14, Cnv_Rgb(60, 64, 70));
    Cnv_Line(c, 16.5f, Asc_Sy(16, 14), 19.5f, Asc_Sy(16, 14), 0.7f, Cnv_Rgb(60, 64, 70));
    Cnv_SetTag(c, CNV_LAMP);
    Cnv_Ellipse(c, 19.5f, Asc_Sy(16, 13.3f), 1.4f, 0.9f, Cnv_Rgb(255, 240, 180));
    Cnv_SetTag(c, 0);
  } else if (t == 3) {
    Asc_Box(c, 11, 14, 10, 3, 0, 1.6f, Cnv_Rgb(120, 80, 50), Cnv_Rgb(150, 100, 60));
    Cnv_Rect(c, 11, Asc_Sy(17, 1.6f), 10, 1.6f, Cnv_Rgb(120, 80, 50));
  } else {
    // People standing about.
    for (int k = 0; k < 3; ++k) {
      u32 r = Asc_Hash(h, u32(k));
      float x = 6 + float(r % 20), v = 8 + float((r >> 8) % 16);
      u32 coat = cars[(r >> 12) % 6];
      Cnv_ShadowRect(c, x, Asc_Sy(v, 0), 2.5f, 0.8f);
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
    float p[10] = {x - s, Asc_Sy(v, 0), x + s, Asc_Sy(v, 0), x + s * 0.8f, Asc_Sy(v, s * 0.9f), x, Asc_Sy(v, s * 1.3f),
                   x - s * 0.7f, Asc_Sy(v, s)};
    Cnv_FillPoly(c, p, 5, stone);
    float q[6] = {x, Asc_Sy(v, s * 1.3f), x + s * 0.8f, Asc_Sy(v, s * 0.9f), x + s, Asc_Sy(v, 0)};
    Cnv_FillPoly(c, q, 3, Cnv_Shade(stone, 0.8f));
  }
  if (i >= 100) Asc_Bush(c, 24, 8, 4, h);
}

void DrawSign(Canvas* c, u32 h, int i) {
  int t = i % 4;
  Asc_Post(c, 16, 12, 9, Cnv_Rgb(130, 130, 130));
  float b = std::floor(Asc_Sy(12, 9));
  if (t == 0) {
    float p[6] = {12, b, 20, b, 16, b + 6};
    Cnv_FillPoly(c, p, 3, Cnv_Rgb(210, 30, 30));
    float q[6] = {13.6f, b + 1, 18.4f, b + 1, 16, b + 4.4f};
    Cnv_FillPoly(c, q, 3, kWhite);
  } else if (t == 1) {
    Cnv_Ellipse(c, 16.5f, b + 3, 3.2f, 3.2f, Cnv_Rgb(210, 30, 30));
    Cnv_Ellipse(c, 16.5f, b + 3, 2.3f, 2.3f, kWhite);
  } else if (t == 2) {
    Cnv_FramedRect(c, 13, b, 7, 6, Cnv_Rgb(30, 80, 180), kWhite);
  } else {
    Asc_Post(c, 8, 12, 9, Cnv_Rgb(130, 130, 130));
    Cnv_FramedRect(c, 6, b, 14, 5, kWhite, Cnv_Rgb(20, 40, 110));
    Cnv_Rect(c, 8, b + 2, 10, 1, Cnv_Rgb(20, 40, 110));
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
    case F_HOUSE: DrawHouse(c, h, 1.0f, false); break;
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
      if (i < 40) Asc_Tree(c, 16, 16, 7 + float(i % 5), i % 3 == 2, h);
      else if (i < 70) DrawTrees(c, h, 2 + i % 3, false);
      else if (i < 90) Asc_Bush(c, 16, 16, 5 + float(i % 4), h), Asc_Bush(c, 8, 22, 4, h >> 4);
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
    case F_INDUSTRY: DrawIndustry(c, h); break;
    case F_STREET: DrawStreet(c, code, i); break;
    case F_MAST: DrawMast(c, i); break;
    case F_FURNITURE: DrawFurniture(c, h, i); break;
    case F_CLOCK: break;  // drawn with the animated pictures
    case F_FIELD: DrawField(c, h, i, part); break;
    case F_FOREST: DrawTrees(c, part ? Asc_Hash(h, u32(part)) : h, 3 + i % 4, true); break;
    case F_CITY: DrawHouse(c, h, 1.0f, true); break;
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
  if (f->kind == F_INDUSTRY && h % 8 == 1) {
    // The boiler house chimney.
    out->smoke = 1;
    out->smokeX = 22;
    out->smokeY = int(Asc_Sy(16, 34)) + 1;
    out->smokeWidth = 4;
    return 1;
  }
  float cx, cv, top;
  if ((f->kind == F_HOUSE || f->kind == F_CITY) && h % 3 == 0 &&
      HouseChimney(h, 1.0f, f->kind == F_CITY, &cx, &cv, &top)) {
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

void Asy_DrawWayShape(Canvas* c, int shape) { DrawWay(c, 49408u + u32(shape % 80), 0, shape % 80); }

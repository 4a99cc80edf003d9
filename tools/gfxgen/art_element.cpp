#include "tools/gfxgen/art_element.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/gfxgen/art_scene.h"
#include "tools/gfxgen/art_symbol.h"
#include "tools/gfxgen/art_track.h"

const u16 kAelClassBases[4] = {0, 4096, 7168, 8192};

namespace {

// Shape ranges with pictures, as the store loads them.
const u16 kRanges[][2] = {{128, 135}, {136, 151}, {152, 159}, {160, 167}, {168, 175}, {176, 183}, {184, 191},
                          {192, 199}, {200, 207}, {208, 210}, {216, 255}, {256, 259}, {260, 263}, {264, 271},
                          {392, 399}, {400, 423}, {424, 439}, {440, 455}, {456, 471}, {496, 503}, {504, 511}};

const u32 kRed = Cnv_Rgb(232, 36, 28), kGreen = Cnv_Rgb(40, 220, 90), kYellow = Cnv_Rgb(255, 196, 0),
          kWhite = Cnv_Rgb(244, 244, 240), kLampOff = Cnv_Rgb(28, 30, 34), kBlack = Cnv_Rgb(24, 24, 24),
          kPostGrey = Cnv_Rgb(120, 124, 128), kPlatform = Cnv_Rgb(186, 184, 174),
          kPlatformWall = Cnv_Rgb(132, 128, 120);
// Signal heads and the figures on boards: a dark slate, not black, so that
// their outlines (a darker shade of it) still show.
const u32 kHead = Cnv_Rgb(60, 64, 74), kFigure = Cnv_Rgb(34, 36, 42);
// The outline of drawn solids: their own colour darkened this much.
const float kInk = 0.55f;

struct Frame {
  float tx, tv;  // direction of travel (ground)
  float rx, rv;  // right-hand side
};

Frame FrameOf(int d) {
  Frame f;
  Asc_DirVector(d, &f.tx, &f.tv);
  f.rx = f.tv;
  f.rv = -f.tx;
  return f;
}

// Axis of the track under an element: 0 vertical, 1 horizontal, 2 falling, 3 rising.
int AxisOf(int d) { return (d & 7) >> 1; }

// An oriented rectangle footprint, counter-clockwise seen from above.
void OrientedRect(float cx, float cv, float ux, float uv, float a, float b, float* out) {
  float px = -uv, pv = ux;  // left of u
  float pts[4][2] = {{-a, -b}, {a, -b}, {a, b}, {-a, b}};
  for (int i = 0; i < 4; ++i) {
    out[2 * i] = cx + ux * pts[i][0] + px * pts[i][1];
    out[2 * i + 1] = cv + uv * pts[i][0] + pv * pts[i][1];
  }
  // Keep the order counter-clockwise whatever u is.
  float area = 0;
  for (int i = 0; i < 4; ++i) {
    int j = (i + 1) % 4;
    area += out[2 * i] * out[2 * j + 1] - out[2 * j] * out[2 * i + 1];
  }
  if (area < 0)
    for (int i = 0; i < 2; ++i) {
      float tx = out[2 * i], tv = out[2 * i + 1];
      out[2 * i] = out[2 * (3 - i)];
      out[2 * i + 1] = out[2 * (3 - i) + 1];
      out[2 * (3 - i)] = tx;
      out[2 * (3 - i) + 1] = tv;
    }
}

// Where a trackside post of direction d stands.
void PostPlace(int d, float dist, float along, float* x, float* v) {
  Frame f = FrameOf(d);
  *x = 16 + f.rx * dist + f.tx * along;
  *v = 16 + f.rv * dist + f.tv * along;
}

// A lit lamp keeps its light at night: red and white lamps are lamps of the
// shading rule, coloured aspects are never shaded (a lamp of the rule would
// light up white and lose the aspect).
u32 LampTag(u32 colour) {
  if (colour == kRed) return CNV_LAMP_RED;
  if (colour == kWhite) return CNV_LAMP;
  return CNV_UNSHADED;
}

void Lamp(Canvas* c, float x, float y, float r, u32 colour, bool lit) {
  if (c->zoom == 1) {
    // One whole pixel: a blended lamp would lose its colour at this size.
    if (lit) Cnv_SetTag(c, LampTag(colour));
    Cnv_Rect(c, std::floor(x), std::floor(y), 1, 1, lit ? colour : kLampOff);
    Cnv_SetTag(c, 0);
    return;
  }
  if (lit && c->zoom >= 2) Cnv_Ellipse(c, x, y, r * 1.6f, r * 1.6f, Cnv_Mix(colour, kBlack, 0.55f));
  if (lit) Cnv_SetTag(c, LampTag(colour));
  Cnv_Ellipse(c, x, y, r, r, lit ? colour : kLampOff);
  if (lit && c->zoom >= 2) Cnv_Ellipse(c, x - r * 0.3f, y + r * 0.3f, r * 0.35f, r * 0.35f, Cnv_Mix(colour, kWhite, 0.7f));
  Cnv_SetTag(c, 0);
}

// ---------------------------------------------------------------- signals
void DrawSignal(Canvas* c, int shape) {
  int d = shape & 7, group = shape >> 3;
  float x, v;
  PostPlace(d, 10.5f, -2, &x, &v);
  float base = Asc_Sy(v, 0);
  x = std::floor(x) + 0.5f;
  if (group == 49) {
    // Ten-state signal: a tall plate with a lamp matrix.
    Asc_Post(c, x, v, 15, kPostGrey);
    Asc_Panel(c, x - 3, base + 13, 6, 10, Cnv_Rgb(58, 70, 92));
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 2; ++k) Lamp(c, x - 1.2f + 2.4f * float(k), base + 15 + 2.8f * float(r), 0.8f, kWhite, (r + k) % 2 == 0);
    return;
  }
  if (group >= 57) {
    // Dwarf shunting signal on a short base.
    bool clear = group == 57;
    Asc_Panel(c, x - 2.5f, base, 5, 2, kPostGrey);
    Asc_Panel(c, x - 3, base + 2, 6, 5, kHead);
    if (clear) {
      Lamp(c, x - 1.3f, base + 3.4f, 0.8f, kWhite, true);
      Lamp(c, x + 1.3f, base + 5.6f, 0.8f, kWhite, true);
    } else {
      Lamp(c, x - 1.3f, base + 4.4f, 0.8f, kRed, true);
      Lamp(c, x + 1.3f, base + 4.4f, 0.8f, kRed, true);
    }
    return;
  }
  Asc_Post(c, x, v, 14, kPostGrey);
  if (group == 53 || group == 54) {
    // Distant signal: a round yellow-rimmed disc with two lamps.
    bool clear = group == 53;
    Asc_Disc(c, x, base + 16, 3.4f, kHead);
    Lamp(c, x - 1.2f, base + 15, 0.85f, clear ? kGreen : kYellow, true);
    Lamp(c, x + 1.2f, base + 17, 0.85f, clear ? kGreen : kYellow, true);
    return;
  }
  if (group >= 50 && group <= 52) {
    // Main signal of three aspects: green over yellow over red.
    Asc_Panel(c, x - 2.5f, base + 12, 5, 10, kHead);
    // The hood over the top lamp.
    Cnv_FramedRect(c, x - 3.5f, base + 21, 7, 1.25f, Cnv_Shade(kHead, 0.8f), Cnv_Shade(kHead, 0.5f));
    Lamp(c, x, base + 19.5f, 1.0f, kGreen, group == 50);
    Lamp(c, x, base + 17, 1.0f, kYellow, group == 51);
    Lamp(c, x, base + 14.5f, 1.0f, kRed, group == 52);
    return;
  }
  // Two-aspect main signal: green over red.
  bool clear = group == 55;
  Asc_Panel(c, x - 2.5f, base + 12, 5, 7.5f, kHead);
  Lamp(c, x, base + 17, 1.0f, kGreen, clear);
  Lamp(c, x, base + 14.3f, 1.0f, kRed, !clear);
}

// ---------------------------------------------------------------- platforms and boards
void Platform(Canvas* c, int d, float dist, float halfLen, float halfWidth) {
  Frame f = FrameOf(d);
  float pts[8];
  OrientedRect(16 + f.rx * dist, 16 + f.rv * dist, f.tx, f.tv, halfLen, halfWidth, pts);
  Asc_Prism(c, pts, 4, 0, 2.5f, kPlatformWall, kPlatform);
  // White safety line along the edge that faces the track.
  float ex = 16 + f.rx * (dist - halfWidth + 0.8f), ev = 16 + f.rv * (dist - halfWidth + 0.8f);
  float line[4] = {ex - f.tx * halfLen, ev - f.tv * halfLen, ex + f.tx * halfLen, ev + f.tv * halfLen};
  Asc_FlatBand(c, line, 2, 0.9f, 2.5f, kWhite);
}

void DrawStop(Canvas* c, int d) {
  Platform(c, d, 11.5f, 13, 4);
  Cnv_InkEdges(c, kInk, -16, -8, 64, 56);
  float x, v;
  PostPlace(d, 10, 6, &x, &v);
  Asc_Post(c, x, v, 14, kPostGrey);
  // A round-cornered yellow board with a green "H": a dark outline, the
  // letter's legs one yellow pixel in from it at zoom 1 and its bar in the
  // middle row, so the letter reads as H rather than as stripes.
  float b = std::floor(Asc_Sy(v, 14) + 0.5f), l = std::floor(x - 3 + 0.5f);
  const u32 sign = Cnv_Rgb(250, 214, 40), letter = Cnv_Rgb(24, 110, 52);
  Asc_Panel(c, l - 1, b - 1, 9, 8, sign);
  float t = c->zoom == 1 ? 1.0f : 1.25f;
  Cnv_Rect(c, l + 1, b + 1, t, 5, letter);
  Cnv_Rect(c, l + 6 - t, b + 1, t, 5, letter);
  Cnv_Rect(c, l + 1, b + 3, 5, t, letter);
}

// Centre of the dial of a timetable point's clock post.
void ClockPointDial(int d, float* cx, float* cy) {
  float x, v;
  PostPlace(d, 10, 0, &x, &v);
  *cx = x + 0.5f;
  *cy = Asc_Sy(v, 17);
}

// The hands are the compositor's: they show the simulated time.
void DrawClockPoint(Canvas* c, int d) {
  Platform(c, d, 11.5f, 10, 4);
  Cnv_InkEdges(c, kInk, -16, -8, 64, 56);
  float x, v;
  PostPlace(d, 10, 0, &x, &v);
  Asc_Post(c, x, v, 14, kHead);
  float cx, cy;
  ClockPointDial(d, &cx, &cy);
  // A dark housing round the white dial the hands turn on.
  Asc_Disc(c, cx, cy, 3.4f, kHead);
  Cnv_Ellipse(c, cx, cy, 2.8f, 2.8f, kWhite);
}

// The departure board of the platforms with a digital clock: a dark board
// on two posts over the right-hand platform. The clock box lies inside it.
const float kBoardX = 20, kBoardV = 16, kBoardZ = 9, kBoardW = 16, kBoardH = 8;

void DrawPlatformClock(Canvas* c) {
  Asc_Post(c, kBoardX + 2, kBoardV, kBoardZ, kPostGrey);
  Asc_Post(c, kBoardX + kBoardW - 3, kBoardV, kBoardZ, kPostGrey);
  Cnv_FramedRect(c, kBoardX, Asc_Sy(kBoardV, kBoardZ), kBoardW, kBoardH, Cnv_Rgb(28, 32, 40), kPostGrey);
}

void SignBoard(Canvas* c, int d, int kind) {
  float x, v;
  PostPlace(d, 10, -3, &x, &v);
  Asc_Post(c, x, v, 12, kPostGrey);
  float b = std::floor(Asc_Sy(v, 12) + 0.5f), l = std::floor(x - 2.5f + 0.5f);
  switch (kind) {
    case 0: {  // speed board: white with a dark figure
      Asc_Panel(c, l, b, 6, 6, kWhite);
      float t = c->zoom == 1 ? 1.0f : 0.6f;
      Cnv_Rect(c, l + 2, b + 1.5f, t, 3, kFigure);
      Cnv_Rect(c, l + 4 - t, b + 1.5f, t, 3, kFigure);
      break;
    }
    case 1: {  // shunting point: a blue square on a white board
      Asc_Panel(c, l, b, 6, 6, kWhite);
      const u32 blue = Cnv_Rgb(30, 80, 200);
      if (c->zoom == 1) Cnv_Rect(c, l + 1.6f, b + 1.6f, 2.8f, 2.8f, blue);
      else Asc_Panel(c, l + 1.5f, b + 1.5f, 3, 3, blue);
      break;
    }
    case 2: {  // Dwx point: a yellow diamond, lit along its upper left edges
      const float cx = l + 3, cy = b + 3.5f, t = 1.0f / float(c->zoom);
      float dm[8] = {cx, cy - 4, cx + 4, cy, cx, cy + 4, cx - 4, cy};
      Cnv_FillPoly(c, dm, 4, Cnv_Shade(kYellow, 0.5f));
      const float r = 4 - 1.4f * t;
      float di[8] = {cx, cy - r, cx + r, cy, cx, cy + r, cx - r, cy};
      if (c->zoom >= 2) {
        Cnv_FillPoly(c, di, 4, Cnv_Mix(kYellow, kWhite, 0.45f));
        for (int i = 0; i < 4; ++i) {
          di[2 * i] += t * 0.7f;
          di[2 * i + 1] -= t * 0.7f;
        }
      }
      Cnv_FillPoly(c, di, 4, kYellow);
      break;
    }
    default: {  // sound point: whistle board, a dark W on white
      if (c->zoom == 1) {
        // Drawn pixel by pixel on a board one pixel wider: a line W would
        // fill the board.
        Asc_Panel(c, l - 1, b, 7, 6, kWhite);
        static const char* const rows[3] = {"X...X", "X.X.X", ".X.X."};
        for (int r = 0; r < 3; ++r)
          for (int k = 0; k < 5; ++k)
            if (rows[r][k] == 'X') Cnv_Dot(c, int(l) + k, int(b) + 4 - r, kFigure);
        break;
      }
      Asc_Panel(c, l, b, 6, 6, kWhite);
      float w[10] = {l + 1, b + 4.8f, l + 2, b + 1.2f, l + 3, b + 3.4f, l + 4, b + 1.2f, l + 5, b + 4.8f};
      Cnv_Polyline(c, w, 5, 0.55f, kFigure);
      break;
    }
  }
}

// ---------------------------------------------------------------- track pieces
void ArrowOnTrack(Canvas* c, int d) {
  Frame f = FrameOf(d);
  float px = -f.tv, pv = f.tx;
  float tip = 6, back = -5, head = 0, hw = 3.2f, sw = 1.1f;
  float p[14] = {16 + f.tx * tip,           16 + f.tv * tip,
                 16 + f.tx * head + px * hw, 16 + f.tv * head + pv * hw,
                 16 + f.tx * head + px * sw, 16 + f.tv * head + pv * sw,
                 16 + f.tx * back + px * sw, 16 + f.tv * back + pv * sw,
                 16 + f.tx * back - px * sw, 16 + f.tv * back - pv * sw,
                 16 + f.tx * head - px * sw, 16 + f.tv * head - pv * sw,
                 16 + f.tx * head - px * hw, 16 + f.tv * head - pv * hw};
  Asc_Flat(c, p, 7, 0.2f, kWhite);
  // The outline lets the arrow read on the light ballast.
  Cnv_InkEdges(c, kInk, -16, -8, 64, 56);
}

void DrawBufferStop(Canvas* c, int shape) {
  static const int side[8] = {ATK_DOWN, ATK_UP, ATK_RIGHT, ATK_LEFT, ATK_UPLEFT, ATK_DOWNRIGHT, ATK_UPRIGHT, ATK_DOWNLEFT};
  int from = side[shape & 7];
  float cx, cv;
  Atk_ConnectorPoint(from, &cx, &cv);
  float ux = cx - 16, uv = cv - 16, len = std::sqrt(ux * ux + uv * uv);
  ux /= len;
  uv /= len;
  // Sleepers of the end stop behind the beam, then the beam on two posts.
  float pts[8];
  OrientedRect(16 - ux * 2.5f, 16 - uv * 2.5f, ux, uv, 2.5f, 7.5f, pts);
  Asc_Prism(c, pts, 4, 0, 1.2f, Cnv_Rgb(96, 80, 64), Cnv_Rgb(120, 100, 80));
  for (int k = -1; k <= 1; k += 2) {
    OrientedRect(16 + ux * 0.5f - uv * 4.5f * float(k), 16 + uv * 0.5f + ux * 4.5f * float(k), ux, uv, 0.9f, 0.9f,
                 pts);
    Asc_Prism(c, pts, 4, 0, 2.5f, Cnv_Rgb(84, 78, 74), Cnv_Rgb(110, 104, 98));
  }
  OrientedRect(16 + ux * 0.5f, 16 + uv * 0.5f, ux, uv, 1.3f, 7, pts);
  Asc_Prism(c, pts, 4, 2.5f, 5.5f, Cnv_Rgb(190, 40, 30), Cnv_Rgb(230, 70, 50));
  // White stripes on the beam's top.
  for (int k = -1; k <= 1; k += 2) {
    float sx = 16 + ux * 0.5f - uv * 3.5f * float(k), sv = 16 + uv * 0.5f + ux * 3.5f * float(k);
    float s[8];
    OrientedRect(sx, sv, ux, uv, 1.3f, 1.2f, s);
    Asc_Flat(c, s, 4, 5.5f, kWhite);
  }
  Cnv_InkEdges(c, kInk, -16, -8, 64, 56);
  Lamp(c, 16, Asc_Sy(16, 7.2f), 0.9f, kRed, true);
}

// Clips the ground segment (x1, v1)-(x2, v2) to the cell, kept a little
// inside its border; false when nothing of it lies in the cell.
bool ClipToCell(float* x1, float* v1, float* x2, float* v2) {
  const float lo = 0.5f, hi = 31.5f;
  float t0 = 0, t1 = 1;
  const float dx = *x2 - *x1, dv = *v2 - *v1;
  const float p[4] = {-dx, dx, -dv, dv}, q[4] = {*x1 - lo, hi - *x1, *v1 - lo, hi - *v1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const float r = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, r);
    else t1 = std::min(t1, r);
  }
  if (t0 >= t1) return false;
  const float ax = *x1, av = *v1;
  *x1 = ax + dx * t0;
  *v1 = av + dv * t0;
  *x2 = ax + dx * t1;
  *v2 = av + dv * t1;
  return true;
}

// The part of a ground polygon that lies on the cell (Sutherland-Hodgman
// against the four borders).
std::vector<float> ClipPolyToCell(const float* xv, int n) {
  std::vector<float> in(xv, xv + 2 * n), out;
  for (int edge = 0; edge < 4; ++edge) {
    const int axis = edge & 1;
    const float lim = edge < 2 ? 0.0f : 32.0f, sign = edge < 2 ? 1.0f : -1.0f;
    out.clear();
    const size_t m = in.size() / 2;
    for (size_t i = 0; i < m; ++i) {
      const float* a = &in[2 * i];
      const float* b = &in[2 * ((i + 1) % m)];
      const float da = (a[axis] - lim) * sign, db = (b[axis] - lim) * sign;
      if (da >= 0) out.insert(out.end(), {a[0], a[1]});
      if ((da >= 0) != (db >= 0)) {
        const float t = da / (da - db);
        out.insert(out.end(), {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t});
      }
    }
    in.swap(out);
    if (in.size() < 6) return {};
  }
  return in;
}

// A ground polygon lying flat, cut to the cell.
void FlatInCell(Canvas* c, const float* xv, int n, u32 colour) {
  std::vector<float> q = ClipPolyToCell(xv, n);
  if (!q.empty()) Asc_Flat(c, q.data(), int(q.size() / 2), 0, colour);
}

// Ramp foot, seen from above like the rest of the set: the track runs on
// from the connector's stub across the far half of the cell, its bed
// lighter step by step toward the high end, between embankment walls that
// widen as the track climbs; the slope facing the light from the upper left
// is lit, the other shaded, and the whole keeps a dark outline. Everything
// is cut to the cell, so diagonal ramps do not reach into their neighbours.
void DrawRampFoot(Canvas* c, int shape) {
  static const int side[8] = {ATK_DOWN, ATK_UP, ATK_RIGHT, ATK_LEFT, ATK_UPLEFT, ATK_DOWNRIGHT, ATK_UPRIGHT, ATK_DOWNLEFT};
  float fx, fv;
  Atk_ConnectorPoint(side[shape & 7], &fx, &fv);
  float ux = 16 - fx, uv = 16 - fv;
  const float reach = std::sqrt(ux * ux + uv * uv);  // the centre to the far border
  ux /= reach;
  uv /= reach;
  const float px = -uv, pv = ux;
  auto P = [&](float along, float across, float* o) {
    o[0] = 16 + ux * along + px * across;
    o[1] = 16 + uv * along + pv * across;
  };
  const float bed = 6.5f, foot = 7.5f, crest = 11.0f;  // half widths
  const u32 stone = Cnv_Rgb(150, 146, 136), ballast = Cnv_Rgb(124, 120, 114), sleeper = Cnv_Rgb(92, 78, 62),
            rail = Cnv_Rgb(58, 56, 56);
  // Embankment walls: the one whose outside faces up and left gets the light.
  for (int s = -1; s <= 1; s += 2) {
    const float fs = float(s);
    const bool lit = -px * fs + pv * fs > 0;
    float q[8];
    P(0, bed * fs, q);
    P(reach + 1, bed * fs, q + 2);
    P(reach + 1, (crest + 1.5f) * fs, q + 4);
    P(0, foot * fs, q + 6);
    FlatInCell(c, q, 4, Cnv_Shade(stone, lit ? 1.08f : 0.74f));
    // The coping along the bed's edge.
    float k[8];
    P(0, bed * fs, k);
    P(reach + 1, bed * fs, k + 2);
    P(reach + 1, (bed + 1.2f) * fs, k + 4);
    P(0, (bed + 1.2f) * fs, k + 6);
    FlatInCell(c, k, 4, Cnv_Shade(stone, lit ? 1.3f : 0.92f));
  }
  // The bed in four steps from the foot to the crest, each with its sleepers
  // (one every four pixels on the screen, as on the track).
  const float screenPerGround = std::sqrt(ux * ux + uv * uv * 0.25f), pitch = 4.0f / screenPerGround;
  const int steps = 4;
  for (int k = 0; k < steps; ++k) {
    const float a0 = reach * float(k) / float(steps), a1 = reach * float(k + 1) / float(steps) + (k + 1 == steps ? 1 : 0);
    const float f = 0.7f + 0.16f * float(k);
    float q[8];
    P(a0, -bed, q);
    P(a1, -bed, q + 2);
    P(a1, bed, q + 4);
    P(a0, bed, q + 6);
    FlatInCell(c, q, 4, Cnv_Shade(ballast, f));
    for (float a = pitch * 0.5f; a < reach + 1; a += pitch) {
      if (a < a0 || a >= a1) continue;
      const float h = 0.5f / screenPerGround;
      float sl[8];
      P(a - h, -5.5f, sl);
      P(a + h, -5.5f, sl + 2);
      P(a + h, 5.5f, sl + 4);
      P(a - h, 5.5f, sl + 6);
      FlatInCell(c, sl, 4, Cnv_Shade(sleeper, f));
    }
  }
  // The rails run on from the stub, half a gauge either side.
  const float gauge = c->zoom == 1 ? 3.5f : 3.25f;
  for (int s = -1; s <= 1; s += 2) {
    float a[2], b[2];
    P(0, gauge * float(s), a);
    P(reach + 1, gauge * float(s), b);
    if (!ClipToCell(&a[0], &a[1], &b[0], &b[1])) continue;
    Cnv_Line(c, a[0], Asc_Sy(a[1], 0), b[0], Asc_Sy(b[1], 0), 0.5f, rail);
  }
  Cnv_InkEdges(c, kInk, 0, 0, 32, 16);
}

bool IsPortalShape(int s) {
  static const int portals[] = {220, 228, 249, 251, 221, 229, 248, 250, 222, 230, 241, 242, 223, 231, 240, 243};
  for (int p : portals)
    if (p == s) return true;
  return s >= 208 && s <= 210;
}

u32 PortalStone(int style) {
  static const u32 stones[5] = {Cnv_Rgb(150, 146, 136), Cnv_Rgb(184, 184, 176), Cnv_Rgb(140, 132, 120),
                                Cnv_Rgb(164, 84, 60), Cnv_Rgb(112, 112, 116)};
  return stones[(style % 5 + 5) % 5];
}

// A grass mound with a dark outline, a lit top to the upper left and a
// shaded foot.
void Mound(Canvas* c, float cx, float cy, float rx, float ry) {
  const u32 grass = Cnv_Rgb(96, 140, 70);
  const float t = 1.0f / float(c->zoom);
  Cnv_Ellipse(c, cx, cy, rx + t, ry + t, Cnv_Rgb(40, 58, 34));
  Cnv_Ellipse(c, cx, cy, rx, ry, grass);
  Cnv_Ellipse(c, cx - rx * 0.25f, cy + ry * 0.3f, rx * 0.6f, ry * 0.5f, Cnv_Shade(grass, 1.14f));
  Cnv_Ellipse(c, cx, cy - ry * 0.55f, rx * 0.9f, ry * 0.4f, Cnv_Shade(grass, 0.82f));
}

// A portal face seen from the front: a stone wall with an outline and a
// light coping, and the mouth, a dark arch over the track.
void PortalFront(Canvas* c, float x0, float x1, float base, float height, float mouthHalf, float mouthHeight,
                 u32 stone) {
  const float t = 1.0f / float(c->zoom), cx = (x0 + x1) / 2;
  Cnv_FramedRect(c, x0, base, x1 - x0, height, stone, kBlack);
  Cnv_Rect(c, x0 - t, base + height - 1.5f, x1 - x0 + 2 * t, 1.5f + t, kBlack);
  Cnv_Rect(c, x0, base + height - 1.5f + t, x1 - x0, 1.5f - 2 * t, Cnv_Shade(stone, 1.2f));
  Cnv_Rect(c, x1 - 2, base + t, 2 - t, height - 1.5f, Cnv_Shade(stone, 0.8f));
  const float archY = base + mouthHeight - mouthHalf * 0.7f;
  Cnv_Rect(c, cx - mouthHalf - t, base, 2 * (mouthHalf + t), mouthHeight - mouthHalf * 0.7f, Cnv_Shade(stone, 0.6f));
  Cnv_Ellipse(c, cx, archY, mouthHalf + t, mouthHalf * 0.7f + t, Cnv_Shade(stone, 0.6f));
  Cnv_Rect(c, cx - mouthHalf, base, 2 * mouthHalf, mouthHeight - mouthHalf * 0.7f, Cnv_Rgb(14, 14, 16));
  Cnv_Ellipse(c, cx, archY, mouthHalf, mouthHalf * 0.7f, Cnv_Rgb(14, 14, 16));
}

// A hill with a tunnel mouth toward the direction d (the side trains go down to).
void DrawPortal(Canvas* c, int d, int style) {
  const u32 stone = PortalStone(style);
  if (style == 2) {
    // A cutting: retaining walls that grow as the track goes down.
    DrawRampFoot(c, 176 + (d ^ 1));
    return;
  }
  const float t = 1.0f / float(c->zoom);
  int axis = AxisOf(d);
  if (axis == 0 && d == ATK_UP) {
    // Mouth on the far border, facing the viewer.
    Mound(c, 16, Asc_Sy(36, 9), 19, 10);
    PortalFront(c, 5, 27, Asc_Sy(24, 0), 14, 6, 10, stone);
    return;
  }
  if (axis == 0) {
    // Mouth on the near half facing away: the hill covers the near border,
    // the portal's parapet tops it, and behind the parapet the track runs
    // down into the dark cutting in front of the mouth between wing walls.
    Cnv_Rect(c, 9, 11, 14, 3.5f, Cnv_Rgb(14, 14, 16));
    for (float x : {7.0f, 23.0f}) {
      float w[8] = {x, 11, x + 2, 11, x + 2, 17, x, 15};
      Cnv_FillPoly(c, w, 4, Cnv_Shade(stone, x < 16 ? 1.1f : 0.8f));
    }
    Mound(c, 16, 4.5f, 19, 5.5f);
    Cnv_FramedRect(c, 6, 8.5f, 20, 3, Cnv_Shade(stone, 1.1f), kBlack);
    return;
  }
  if (axis == 1) {
    // The hill on the left or right border; the portal stands across the
    // track, its face turned a little toward the viewer so the mouth shows.
    const float side = d == ATK_LEFT ? 0 : 32, dir = d == ATK_LEFT ? 1 : -1;
    Mound(c, side, Asc_Sy(18, 5), 14, 12);
    const float xf = side + dir * 12, xb = xf - dir * 6;
    float face[8] = {xf, Asc_Sy(5, 0), xf, Asc_Sy(5, 12), xb, Asc_Sy(27, 12), xb, Asc_Sy(27, 0)};
    float rim[8] = {xf - dir * t, Asc_Sy(5, 0) - t, xf - dir * t, Asc_Sy(5, 12) + t, xb - dir * t, Asc_Sy(27, 12) + t,
                    xb - dir * t, Asc_Sy(27, 0) - t};
    Cnv_FillPoly(c, rim, 4, kBlack);
    Cnv_FillPoly(c, face, 4, stone);
    float coping[8] = {xf, Asc_Sy(5, 10.5f), xf, Asc_Sy(5, 12), xb, Asc_Sy(27, 12), xb, Asc_Sy(27, 10.5f)};
    Cnv_FillPoly(c, coping, 4, Cnv_Shade(stone, 1.2f));
    const float m0 = xf - dir * 1.2f, m1 = xf - dir * 4.8f;
    float mouth[10] = {m0, Asc_Sy(9, 0), m0, Asc_Sy(9, 6), (m0 + m1) / 2, Asc_Sy(16, 8.5f), m1, Asc_Sy(23, 6),
                       m1, Asc_Sy(23, 0)};
    Cnv_FillPoly(c, mouth, 5, Cnv_Rgb(14, 14, 16));
    return;
  }
  // Diagonals: the hill fills the corner the track runs into; the portal
  // faces the viewer where the track meets it.
  float cx, cv;
  Atk_ConnectorPoint(d, &cx, &cv);
  Mound(c, cx, Asc_Sy(cv, 5), 16, 11);
  float mx = cx + (16 - cx) * 0.45f, mv = cv + (16 - cv) * 0.45f;
  PortalFront(c, mx - 7, mx + 7, Asc_Sy(mv, 0), 10, 4.5f, 7, stone);
}

// Ground position and top of the chimney of a depot shed (steam sheds
// smoke).
void DepotChimney(int shape, float* x, float* v, float* top) {
  int axis = shape & 3;
  if (axis == 1) {
    *x = 26;
    *v = 10;
    *top = 15;
  } else {
    float bx = axis == 0 ? 4 : axis == 2 ? 20 : 0, bv = axis == 0 ? 23 : 24;
    *x = bx + 8;
    *v = bv + 3;
    *top = 13;
  }
}

void DrawDepot(Canvas* c, int shape) {
  int style = (shape - 136) >> 2, axis = shape & 3;
  static const u32 walls[4] = {Cnv_Rgb(170, 92, 64), Cnv_Rgb(138, 104, 70), Cnv_Rgb(150, 164, 180), Cnv_Rgb(200, 186, 150)};
  static const u32 roofs[4] = {Cnv_Rgb(110, 60, 50), Cnv_Rgb(92, 82, 70), Cnv_Rgb(90, 100, 118), Cnv_Rgb(130, 80, 60)};
  const u32 wall = walls[style], glass = Cnv_Rgb(70, 90, 110);
  const float t = 1.0f / float(c->zoom), band = c->zoom == 1 ? 1.0f : 0.5f;
  // The front wall's light and shade: the eaves shade its top, the light
  // from the upper left catches its left edge (inside the outline).
  auto wallLight = [&](float x, float w, float y, float top) {
    Cnv_Rect(c, x, top - band, w, band, Cnv_Shade(wall, 0.78f));
    if (c->zoom >= 2) Cnv_Rect(c, x + t, y, t, top - band - y, Cnv_Mix(wall, kWhite, 0.3f));
  };
  // The shed stands beside the track on the far side; its open gate faces it.
  if (axis == 1) {
    Asc_Shadow(c, 23, 4, 8, 24, 8);
    Asc_Box(c, 23, 4, 8, 24, 0, 8, wall, wall);
    wallLight(23, 8, Asc_Sy(4, 0), Asc_Sy(4, 8));
    Asc_GableRoof(c, 23, 4, 8, 24, 8, 4, false, roofs[style]);
    // The gable end toward the viewer: a lit window beside the board that
    // stands in front of the shed.
    Cnv_SetTag(c, CNV_WINDOW | (1u << 24));
    Cnv_Rect(c, 28, Asc_Sy(4, 2.5f), 1.5f, 2.5f, glass);
    Cnv_SetTag(c, 0);
  } else {
    // Horizontal track: behind it; diagonals: in the far corner the track leaves free.
    float x = axis == 0 ? 4 : axis == 2 ? 20 : 0, v = axis == 0 ? 23 : 24;
    Asc_Shadow(c, x, v, 12, 8, 9);
    Asc_Box(c, x, v, 12, 8, 0, 7, wall, wall);
    wallLight(x, 12, Asc_Sy(v, 0), Asc_Sy(v, 7) - 0.5f);
    Asc_GableRoof(c, x, v, 12, 8, 7, 3, true, roofs[style]);
    // The gate: two dark leaves in a frame, a window either side.
    const float gy = Asc_Sy(v, 0);
    Cnv_FramedRect(c, x + 3, gy, 6, 5, Cnv_Shade(wall, 0.42f), Cnv_Shade(wall, 0.62f));
    if (c->zoom >= 2) Cnv_Rect(c, x + 6 - 0.5f * t, gy, t, 5, Cnv_Shade(wall, 0.62f));
    Cnv_SetTag(c, CNV_WINDOW | (1u << 24));
    Cnv_Rect(c, x + 1, gy + 2.5f, 1, 2, glass);
    Cnv_Rect(c, x + 10, gy + 2.5f, 1, 2, glass);
    Cnv_SetTag(c, 0);
  }
  float chx, chv, chz;
  DepotChimney(shape, &chx, &chv, &chz);
  Asc_Box(c, chx, chv, 1.6f, 1.6f, chz - 5, chz, Cnv_Rgb(120, 70, 56), Cnv_Rgb(64, 56, 54));
  Cnv_InkEdges(c, kInk, -16, -8, 64, 56);
  // Yellow and black depot board by the track.
  static const float boards[4][2] = {{22, 25}, {25, 4}, {9, 9}, {23, 9}};
  float bx = boards[axis][0], bv = boards[axis][1];
  Asc_Post(c, bx, bv, 7, kPostGrey);
  float b = std::floor(Asc_Sy(bv, 7) + 0.5f);
  // Yellow with black chevron stripes: at zoom 1 still more yellow than black.
  const float l = std::floor(bx) - 3;
  Asc_Panel(c, l, b, 7, 5, kYellow);
  for (float sx : {l + 2, l + 4}) {
    float st[8] = {sx, b + 1, sx + 1, b + 1, sx + 1.5f, b + 4, sx + 0.5f, b + 4};
    Cnv_FillPoly(c, st, 4, kFigure);
  }
}

void Girders(Canvas* c, int axis) {
  u32 steel = Cnv_Rgb(70, 96, 86);
  float xv[8];
  float ux, uv;
  static const int dirs[4] = {ATK_UP, ATK_RIGHT, ATK_DOWNRIGHT, ATK_UPRIGHT};
  Asc_DirVector(dirs[axis], &ux, &uv);
  float px = -uv, pv = ux;
  float half = axis >= 2 ? 22 : 16;
  for (int s = 1; s >= -1; s -= 2) {
    float ox = 16 + px * 7.5f * float(s), ov = 16 + pv * 7.5f * float(s);
    OrientedRect(ox, ov, ux, uv, half, 0.7f, xv);
    Asc_Prism(c, xv, 4, 0, 4, steel, Cnv_Shade(steel, 1.2f));
    // Diagonal bracing on the visible face.
    for (float a = -half + 2; a < half - 2; a += 5) {
      float x1 = ox + ux * a, v1 = ov + uv * a, x2 = ox + ux * (a + 4), v2 = ov + uv * (a + 4);
      Cnv_Line(c, x1, Asc_Sy(v1, 0.3f), x2, Asc_Sy(v2, 3.7f), 0.5f, Cnv_Shade(steel, 0.7f));
    }
    if (axis >= 2) {
      // Diagonal girders run on into the neighbouring cells: only their long
      // edges get the outline (the top face's two and the foot in front).
      const float ink = 0.5f / float(c->zoom);
      for (float e : {-0.7f, 0.7f}) {
        const float ex = ox + px * e, ev = ov + pv * e;
        Cnv_Line(c, ex - ux * half, Asc_Sy(ev - uv * half, 4) - ink, ex + ux * half, Asc_Sy(ev + uv * half, 4) - ink,
                 0.5f, Cnv_Shade(steel, kInk));
      }
      const float e = pv > 0 ? -0.7f : 0.7f, fx = ox + px * e, fv = ov + pv * e;
      Cnv_Line(c, fx - ux * half, Asc_Sy(fv - uv * half, 0) + ink, fx + ux * half, Asc_Sy(fv + uv * half, 0) + ink,
               0.5f, Cnv_Shade(steel, kInk));
    }
  }
  // Straight girders end on the cell's border, where the next cell's go on:
  // the outline leaves those ends open.
  const float t = 1.0f / float(c->zoom);
  if (axis == 1) Cnv_InkEdges(c, kInk, t, -8, 32 - 2 * t, 56);
  if (axis == 0) Cnv_InkEdges(c, kInk, -16, t, 64, 20 - 2 * t);
}

// A road across vertical track (crossings join like vertical track): the
// road surface lies in the ground layer below the vehicles (layer index 0),
// the crossing signs stand beside the road in front (index 1).
void LevelCrossing(Canvas* c, int layerIndex) {
  if (layerIndex == 0) {
    // The town street's own road with its pavements, drawn by the street's
    // rule, so it meets the street cells either side pixel for pixel.
    Asy_DrawWayShape(c, 0, true);
    // The centre line stops short of the rails.
    const u32 asphalt = Cnv_Rgb(104, 106, 110);
    float gap[8] = {10.0f, 14.5f, 22.0f, 14.5f, 22.0f, 17.5f, 10.0f, 17.5f};
    Asc_Flat(c, gap, 4, 0.05f, asphalt);
    // The rails run through the road, with their flangeways.
    // The rails run on over the pavements.
    for (float rx : {12.5f, 19.0f}) {
      float r[8] = {rx, 3.5f, rx + 1, 3.5f, rx + 1, 28.5f, rx, 28.5f};
      Asc_Flat(c, r, 4, 0.2f, Cnv_Rgb(150, 146, 140));
      float g[8] = {rx + 1, 3.5f, rx + 1.6f, 3.5f, rx + 1.6f, 28.5f, rx + 1, 28.5f};
      Asc_Flat(c, g, 4, 0.2f, Cnv_Rgb(52, 52, 56));
    }
    return;
  }
  // St Andrew's crosses beside the road, left of the track in front and
  // right of it behind.
  for (int k = 0; k < 2; ++k) {
    float px = k ? 25.0f : 6.0f, pv = k ? 27.0f : 5.0f;
    Asc_Post(c, px, pv, 10, kWhite);
    float cx = std::floor(px) + 0.5f, cy = Asc_Sy(pv, 10);
    // Two red arms; above zoom 1 each has its dark outline and a light
    // upper edge.
    const float t = 1.0f / float(c->zoom);
    for (int arm = -1; arm <= 1; arm += 2) {
      const float a = float(arm);
      if (c->zoom >= 2) {
        Cnv_Line(c, cx - 2.5f - t, cy - 2 * a - t * a, cx + 2.5f + t, cy + 2 * a + t * a, 1.0f + 2 * t,
                 Cnv_Shade(kRed, 0.5f));
        Cnv_Line(c, cx - 2.5f, cy - 2 * a + t * 0.5f, cx + 2.5f, cy + 2 * a + t * 0.5f, 1.0f, Cnv_Mix(kRed, kWhite, 0.4f));
      }
      Cnv_Line(c, cx - 2.5f, cy - 2 * a - (c->zoom >= 2 ? t * 0.5f : 0), cx + 2.5f,
               cy + 2 * a - (c->zoom >= 2 ? t * 0.5f : 0), c->zoom >= 2 ? 1.0f - t : 1.0f, kRed);
    }
  }
}

// The line of a curve's path moved sideways by offset (positive: to the
// right of the path's direction), as ground points.
std::vector<float> OffsetPath(const float* xv, int n, float offset) {
  std::vector<float> out;
  for (int i = 0; i < n; ++i) {
    int j0 = i > 0 ? i - 1 : 0, j1 = i + 1 < n ? i + 1 : i;
    float tx = xv[2 * j1] - xv[2 * j0], tv = xv[2 * j1 + 1] - xv[2 * j0 + 1], l = std::sqrt(tx * tx + tv * tv);
    out.push_back(xv[2 * i] + tv / l * offset);
    out.push_back(xv[2 * i + 1] - tx / l * offset);
  }
  return out;
}

void CurveExtra(Canvas* c, int shape) {
  static const u8 paths[8][2] = {{1, 5}, {0, 6}, {0, 4}, {1, 7}, {2, 4}, {2, 7}, {3, 5}, {3, 6}};
  const u8* p = paths[shape & 7];
  float xv[80];
  int n = Atk_PathLine(p[0], p[1], xv, 40);
  if (shape < 504) {
    // A low retaining wall along the outside of the curve, right at the edge
    // of the track bed and inside the cell: its face with a dark foot, a
    // light coping on top.
    const u32 stone = Cnv_Rgb(150, 146, 136);
    const float h = 2.5f;
    std::vector<float> wall = OffsetPath(xv, n, 7.6f);
    for (int pass = 0; pass < 3; ++pass)
      for (int i = 0; i + 1 < n; ++i) {
        float x1 = wall[2 * i], v1 = wall[2 * i + 1], x2 = wall[2 * i + 2], v2 = wall[2 * i + 3];
        if (!ClipToCell(&x1, &v1, &x2, &v2)) continue;
        if (pass == 0) {
          float q[8] = {x1, Asc_Sy(v1, 0), x2, Asc_Sy(v2, 0), x2, Asc_Sy(v2, h), x1, Asc_Sy(v1, h)};
          Cnv_FillPoly(c, q, 4, stone);
        } else if (pass == 1) {
          Cnv_Line(c, x1, Asc_Sy(v1, 0.25f), x2, Asc_Sy(v2, 0.25f), 0.5f, Cnv_Shade(stone, 0.55f));
        } else {
          Cnv_Line(c, x1, Asc_Sy(v1, h), x2, Asc_Sy(v2, h), 0.7f, Cnv_Shade(stone, 1.25f));
        }
      }
  } else {
    // Check rail inside the inner rail.
    std::vector<float> rail = OffsetPath(xv, n, -1.8f);
    for (int i = 0; i < n; ++i) rail[2 * i + 1] = Asc_Sy(rail[2 * i + 1], 0.3f);
    Cnv_Polyline(c, rail.data(), n, 0.6f, Cnv_Rgb(64, 60, 58));
  }
}

void DrawElement(Canvas* c, u32 code, int layer) {
  int s = int(code & 0x1FF);
  int d = s & 7;
  if (s >= 128 && s <= 135) {
    SignBoard(c, d, 3);
  } else if (s >= 136 && s <= 151) {
    DrawDepot(c, s);
  } else if (s >= 152 && s <= 159) {
    DrawClockPoint(c, d);
  } else if (s >= 160 && s <= 167) {
    ArrowOnTrack(c, d);
  } else if (s >= 168 && s <= 175) {
    DrawBufferStop(c, s);
  } else if (s >= 176 && s <= 183) {
    SignBoard(c, d, 0);
  } else if (s >= 184 && s <= 191) {
    DrawRampFoot(c, s);
  } else if (s >= 192 && s <= 199) {
    SignBoard(c, d, 1);
  } else if (s >= 200 && s <= 207) {
    SignBoard(c, d, 2);
  } else if (s >= 208 && s <= 210) {
    DrawPortal(c, s == 208 ? ATK_UP : ATK_DOWN, s == 210 ? 3 : 4 - (s - 208) * 4);
  } else if (s >= 216 && s <= 255) {
    DrawPortal(c, d, (s - 216) >> 3);
  } else if (s >= 256 && s <= 259) {
    Girders(c, (s & 3) == 0 ? 1 : (s & 3) == 1 ? 0 : (s & 3));
  } else if (s == 260) {
    LevelCrossing(c, layer);
  } else if (s >= 261 && s <= 263) {
    // The departure board is a placement of its own (the second), which the
    // compositor draws only where a platform begins.
    if (layer == 1) {
      DrawPlatformClock(c);
      return;
    }
    if (s != 262) Platform(c, ATK_UP, -11.5f, 15, 4);
    if (s != 261) Platform(c, ATK_UP, 11.5f, 15, 4);
  } else if (s >= 264 && s <= 271) {
    DrawStop(c, d);
  } else if (s >= 392 && s <= 471) {
    DrawSignal(c, s);
  } else if (s >= 496) {
    CurveExtra(c, s);
  }
}

}  // namespace

int Ael_HasPicture(int shape) {
  shape &= 0x1FF;
  for (const auto& r : kRanges)
    if (shape >= r[0] && shape <= r[1]) return 1;
  return 0;
}

int Ael_ListCodes(u32* out, int max) {
  int n = 0;
  for (u16 base : kAelClassBases)
    for (int s = 0; s < 512; ++s)
      if (Ael_HasPicture(s)) {
        if (out && n < max) out[n] = u32(base + s);
        ++n;
      }
  return n;
}

ApcDraw Ael_Prepare(u32 code, ApcSpec* spec) {
  *spec = ApcSpec();
  int s = int(code & 0x1FF);
  // Portals are drawn in layer 4, which the compositor draws again over a
  // train standing in the portal.
  spec->layers[0] = IsPortalShape(s) ? 4 : 2;
  if (s == 260) {
    spec->layerCount = 2;
    spec->layers[0] = 3;
    spec->layers[1] = 2;
  }
  if (s == 262 || s == 263) {
    spec->layerCount = 2;
    spec->layers[1] = 2;
  }
  return DrawElement;
}

int Ael_Effects(u32 code, ArtEffects* out) {
  *out = ArtEffects();
  const int s = int(code & 0x1FF);
  if (s >= 136 && s <= 151) {
    float x, v, top;
    DepotChimney(s, &x, &v, &top);
    out->smoke = 1;
    out->smokeX = int(std::floor(x));
    out->smokeY = int(std::floor(Asc_Sy(v, top))) + 1;
    out->smokeWidth = 4;
    return 1;
  }
  if (s >= 152 && s <= 159) {
    // An analog clock with hour and minute hands.
    ClockPointDial(s & 7, &out->clockX, &out->clockY);
    out->clock = 1;
    out->clockFlags = 4;
    out->clockSize = 5;
    out->handA = out->handB = kBlack;
    return 1;
  }
  if (s == 262 || s == 263) {
    // A digital 24-hour clock whose digits are lit at night (never shaded).
    out->clock = 1;
    out->clockFlags = 1 | 2;
    out->clockSize = 13;
    out->clockX = kBoardX + 1.5f + 6.5f;
    out->clockY = Asc_Sy(kBoardV, kBoardZ) + 1.5f + 6.5f;
    out->handA = out->handB = Cnv_Rgb(255, 180, 40) | 0x40000000u;
    return 1;
  }
  return 0;
}

void Art_SetRecordEffects(GfxElementRecord* rec, const ArtEffects* fx) {
  if (!fx->smoke && !fx->clock) return;
  const int z = rec->zoom;
  rec->flags |= 4;
  rec->placeKind = u32(fx->smoke ? (fx->lightSmoke ? 2 : 1) : 0) | u32(fx->clock ? 4 : 0) |
                   u32(fx->clock ? fx->clockFlags & 0xFF : 0) << 8;
  rec->placeValue = 2;
  // Without a clock the box stays "not set", as in a record without the
  // block (the box of a picture code also tells its extent over cells).
  for (u32& b : rec->box) b = 65535;
  if (fx->smoke) {
    // Given at zoom-4 scale whatever the record's zoom.
    rec->offsets[0] = 4 * fx->smokeX;
    rec->offsets[1] = 4 * fx->smokeY;
    rec->offsets[2] = 4 * fx->smokeWidth;
  }
  if (fx->clock) {
    const int size = fx->clockSize * z;
    const int x1 = int(std::floor(fx->clockX * float(z))) - size / 2;
    const int y1 = int(std::floor(fx->clockY * float(z))) - size / 2;
    // The zoom-1 box ends past its last pixel, larger zooms on it.
    const int end = z > 1 ? size - 1 : size;
    rec->box[0] = u32(x1);
    rec->box[1] = u32(y1);
    rec->box[2] = u32(x1 + end);
    rec->box[3] = u32(y1 + end);
    rec->placeValue = u32(fx->clockLayer);
    rec->kept[0] = fx->handA;
    rec->kept[1] = fx->handB;
  }
}

int Ael_SignalAspect(int shape) {
  int g = (shape & 0x1FF) >> 3;
  if (g == 49) return 0;
  if (g == 50 || g == 53 || g == 55 || g == 57) return 3;
  if (g == 51 || g == 54) return 4;
  if (g == 52 || g == 56 || g == 58) return 2;
  return -1;
}

u32 Ael_AspectColour(int shape) {
  switch (Ael_SignalAspect(shape)) {
    case 3:
      return ((shape & 0x1FF) >> 3) == 57 ? kWhite : kGreen;
    case 4:
      return kYellow;
    case 2:
      return kRed;
    default:
      return 0;
  }
}

void Ael_Name(u32 code, char* buf, int size) {
  static const char* const dirs[8] = {"up", "down", "left", "right", "down-right", "up-left", "down-left", "up-right"};
  int s = int(code & 0x1FF), d = s & 7;
  const char* what = "element";
  if (s >= 128 && s <= 135) what = "sound point";
  else if (s >= 136 && s <= 151) what = "depot place";
  else if (s >= 152 && s <= 159) what = "timetable point";
  else if (s >= 160 && s <= 167) what = "one-way track";
  else if (s >= 168 && s <= 175) what = "buffer stop";
  else if (s >= 176 && s <= 183) what = "LFST point";
  else if (s >= 184 && s <= 191) what = "ramp up";
  else if (s >= 192 && s <= 199) what = "shunting point";
  else if (s >= 200 && s <= 207) what = "Dwx point";
  else if (s >= 208 && s <= 255) what = IsPortalShape(s) ? "tunnel portal" : "ramp down";
  else if (s >= 256 && s <= 259) what = "bridge";
  else if (s == 260) what = "level crossing";
  else if (s >= 261 && s <= 263) what = "platform";
  else if (s >= 264 && s <= 271) what = "stop";
  else if (s >= 392 && s <= 471) {
    static const char* const asp[5] = {"", "", "stop", "clear", "expect stop"};
    int a = Ael_SignalAspect(s);
    snprintf(buf, size_t(size), "signal %s %s", a > 0 ? asp[a] : "ten-state", dirs[d]);
    return;
  } else if (s >= 496) what = "curve";
  snprintf(buf, size_t(size), "%s %s", what, dirs[d]);
}

#include "tools/gfxgen/art_anim.h"

#include <cmath>

#include "tools/gfxgen/art_scene.h"

namespace {

// Codes taken from the families of art_symbol: the last places of the
// field, street and street-furniture families, and the clock towers.
enum : u32 {
  kTowerMill = 53604,
  kPostMill = 53605,
  kBarrierNear = 52676,  // road up the screen, barrier on the right, toward the track behind
  kBarrierFar = 52677,   // the same road beyond the track, barrier on its left front
  kFountain = 53064,
  kTieredFountain = 53065,
  kClockFirst = 53248,
  kClockLast = 53253,
  kDigitalClock = 53253
};

struct Animated {
  u32 code;
  int frames;
};
// Sails turn through a quarter in four pictures (the sails repeat every
// quarter turn); the barrier has open, lamps on, half way, and closed with
// either lamp lit; water and flags move in three.
const Animated kAnimated[] = {{52676, 4}, {52677, 4}, {53064, 2}, {53065, 2}, {53248, 2}, {53249, 2},
                              {53250, 2}, {53251, 2}, {53252, 2}, {53604, 3}, {53605, 3}};

int g_frame;

const u32 kOutline = Cnv_Rgb(34, 30, 30);

// A filled polygon with a dark outline one pixel wide at every zoom.
void Outlined(Canvas* c, const float* xy, int n, u32 fill) {
  Cnv_FillPoly(c, xy, n, fill);
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    Cnv_Line(c, xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1], 0.5f, kOutline);
  }
}

// Light comes from the upper left: the left third of a wall catches it,
// the right third lies in shade.
void LitWall(Canvas* c, float x0, float x1, float yBottom, float topX0, float topX1, float yTop, u32 base) {
  const float q[8] = {x0, yBottom, x1, yBottom, topX1, yTop, topX0, yTop};
  Outlined(c, q, 4, base);
  const float lx0 = x0 + (x1 - x0) * 0.12f, lx1 = x0 + (x1 - x0) * 0.34f;
  const float tx0 = topX0 + (topX1 - topX0) * 0.12f, tx1 = topX0 + (topX1 - topX0) * 0.34f;
  const float hi[8] = {lx0, yBottom + 0.5f, lx1, yBottom + 0.5f, tx1, yTop - 0.5f, tx0, yTop - 0.5f};
  Cnv_FillPoly(c, hi, 4, Cnv_Shade(base, 1.12f));
  const float sx0 = x0 + (x1 - x0) * 0.7f, tsx0 = topX0 + (topX1 - topX0) * 0.7f;
  const float sh[8] = {sx0, yBottom + 0.5f, x1 - 0.5f, yBottom + 0.5f, topX1 - 0.5f, yTop - 0.5f, tsx0, yTop - 0.5f};
  Cnv_FillPoly(c, sh, 4, Cnv_Shade(base, 0.8f));
}

// ---------------------------------------------------------------- windmills
// Four sails round the hub (screen point hx, hy), turned by angle degrees
// counter-clockwise: a stock from the hub to the tip and a lattice of
// cloth on its trailing side.
void Sails(Canvas* c, float hx, float hy, float length, float angle) {
  const u32 cloth = Cnv_Rgb(232, 226, 208), stock = Cnv_Rgb(96, 64, 40);
  for (int k = 0; k < 4; ++k) {
    const float a = (angle + 90.0f * float(k)) * 3.14159265f / 180.0f;
    const float dx = std::cos(a), dy = std::sin(a);
    const float nx = -dy, ny = dx;  // the trailing side of a counter-clockwise turn
    const float r0 = length * 0.22f, r1 = length, w = length * 0.26f;
    const float q[8] = {hx + dx * r0, hy + dy * r0, hx + dx * r1, hy + dy * r1, hx + dx * r1 - nx * w,
                        hy + dy * r1 - ny * w, hx + dx * r0 - nx * w, hy + dy * r0 - ny * w};
    Outlined(c, q, 4, cloth);
    // The lattice bars: one shade across the cloth.
    for (float r = r0 + (r1 - r0) / 3; r < r1 - 0.5f; r += (r1 - r0) / 3)
      Cnv_Line(c, hx + dx * r, hy + dy * r, hx + dx * r - nx * w, hy + dy * r - ny * w, 0.35f,
               Cnv_Shade(cloth, 0.72f));
    Cnv_Line(c, hx, hy, hx + dx * (r1 + 0.5f), hy + dy * (r1 + 0.5f), 0.9f, stock);
  }
  Cnv_Ellipse(c, hx, hy, 1.6f, 1.6f, kOutline);
  Cnv_Ellipse(c, hx - 0.3f, hy + 0.3f, 0.9f, 0.9f, Cnv_Rgb(150, 110, 70));
}

float SailAngle(int frame) { return 45.0f + 22.5f * float(frame); }

// A tower mill: a tapering plastered tower under a turning cap.
void TowerMill(Canvas* c, int frame) {
  const u32 plaster = Cnv_Rgb(222, 214, 196), cap = Cnv_Rgb(120, 60, 44);
  Asc_Shadow(c, 10, 12, 12, 9, 26);
  const float base = Asc_Sy(14, 0), top = Asc_Sy(14, 24);
  LitWall(c, 9.5f, 22.5f, base, 12, 20, top, plaster);
  // Door and two small windows, one above the other.
  const float door[8] = {14.5f, base, 17.5f, base, 17.5f, base + 5, 14.5f, base + 5};
  Outlined(c, door, 4, Cnv_Rgb(92, 60, 38));
  Cnv_SetTag(c, CNV_WINDOW | (1u << 24));
  Cnv_Rect(c, 15, base + 10, 2, 2.5f, Cnv_Rgb(60, 80, 100));
  Cnv_Rect(c, 15.2f, base + 17, 1.6f, 2.2f, Cnv_Rgb(60, 80, 100));
  Cnv_SetTag(c, 0);
  // The cap: a boat-shaped roof, lit on its left.
  const float capPoly[10] = {11, top, 21, top, 20.5f, top + 3, 16, top + 6.5f, 11.5f, top + 3};
  Outlined(c, capPoly, 5, cap);
  const float capLit[8] = {12, top + 0.6f, 14.5f, top + 0.6f, 15.5f, top + 5.5f, 12.2f, top + 3};
  Cnv_FillPoly(c, capLit, 4, Cnv_Shade(cap, 1.25f));
  Sails(c, 16, top + 2.5f, 14, SailAngle(frame));
}

// A post mill: a timber body on a trestle, turned into the wind whole.
void PostMill(Canvas* c, int frame) {
  const u32 timber = Cnv_Rgb(150, 104, 64), roof = Cnv_Rgb(90, 84, 80);
  Asc_Shadow(c, 10, 12, 12, 8, 26);
  // The trestle: a post and two struts.
  const float foot = Asc_Sy(16, 0);
  Cnv_Line(c, 16, foot, 16, foot + 10, 1.4f, kOutline);
  Cnv_Line(c, 16, foot + 10, 16, foot + 0.5f, 0.8f, Cnv_Rgb(110, 80, 50));
  Cnv_Line(c, 11, foot, 16, foot + 7, 0.8f, Cnv_Rgb(96, 70, 44));
  Cnv_Line(c, 21, foot, 16, foot + 7, 0.8f, Cnv_Rgb(96, 70, 44));
  const float b0 = foot + 9, b1 = foot + 23;
  LitWall(c, 10.5f, 21.5f, b0, 10.5f, 21.5f, b1, timber);
  for (float y = b0 + 2.5f; y < b1 - 1; y += 2.5f) Cnv_Line(c, 11, y, 21, y, 0.3f, Cnv_Shade(timber, 0.78f));
  const float r[6] = {9.5f, b1, 22.5f, b1, 16, b1 + 5};
  Outlined(c, r, 3, roof);
  const float rl[6] = {11, b1 + 0.5f, 15.5f, b1 + 0.5f, 15.8f, b1 + 4};
  Cnv_FillPoly(c, rl, 3, Cnv_Shade(roof, 1.3f));
  Cnv_SetTag(c, CNV_WINDOW);
  Cnv_Rect(c, 12.5f, b0 + 8, 2, 2.5f, Cnv_Rgb(60, 80, 100));
  Cnv_SetTag(c, 0);
  Sails(c, 16, b0 + 10, 14, SailAngle(frame));
}

// ---------------------------------------------------------------- level-crossing barriers
// A road running up the screen (along the depth) over the whole cell.
void RoadUp(Canvas* c) {
  const u32 surface = Cnv_Rgb(104, 106, 110);
  const float kerb[8] = {8, 0, 24, 0, 24, 32, 8, 32};
  Asc_Flat(c, kerb, 4, 0, Cnv_Shade(surface, 0.75f));
  const float road[8] = {9, 0, 23, 0, 23, 32, 9, 32};
  Asc_Flat(c, road, 4, 0.05f, surface);
}

// The warning cross on its post with two lamps; lamp 1 or 2 lit, 0 none.
void WarningCross(Canvas* c, float x, float v, int lit) {
  Asc_Post(c, x, v, 9, Cnv_Rgb(200, 200, 200));
  const float y = Asc_Sy(v, 9);
  Cnv_Line(c, x - 3, y - 3, x + 3, y + 3, 1.4f, kOutline);
  Cnv_Line(c, x - 3, y + 3, x + 3, y - 3, 1.4f, kOutline);
  Cnv_Line(c, x - 2.6f, y - 2.6f, x + 2.6f, y + 2.6f, 0.6f, Cnv_Rgb(236, 236, 232));
  Cnv_Line(c, x - 2.6f, y + 2.6f, x + 2.6f, y - 2.6f, 0.6f, Cnv_Rgb(200, 30, 30));
  const float ly = Asc_Sy(v, 5);
  Cnv_Rect(c, x - 3, ly - 1, 6, 2, kOutline);
  for (int k = 0; k < 2; ++k) {
    const float lx = x - 1.6f + 3.2f * float(k);
    const bool on = lit == k + 1;
    Cnv_SetTag(c, on ? u32(CNV_LAMP_RED) : 0u);
    Cnv_Ellipse(c, lx, ly, 1.1f, 1.1f, on ? Cnv_Rgb(255, 60, 40) : Cnv_Rgb(90, 24, 20));
    if (on) Cnv_Dot(c, int(std::floor(lx)) - 1, int(std::floor(ly)), Cnv_Rgb(255, 200, 170));
    Cnv_SetTag(c, 0);
  }
}

// The barrier arm from its pivot (screen px, py) toward dir (-1 left, +1
// right), at angle degrees above the road (90 open, 0 closed): red and
// white bands with a dark edge, and the counterweight behind the pivot.
void BarrierArm(Canvas* c, float px, float py, float dir, float angle) {
  const float a = angle * 3.14159265f / 180.0f;
  const float dx = std::cos(a) * dir, dy = std::sin(a), len = 14;
  Cnv_Line(c, px, py, px + dx * len, py + dy * len, 1.5f, kOutline);
  const int bands = 7;
  for (int k = 0; k < bands; ++k) {
    const float t0 = len * float(k) / bands + 0.3f, t1 = len * float(k + 1) / bands - 0.3f;
    Cnv_Line(c, px + dx * t0, py + dy * t0, px + dx * t1, py + dy * t1, 0.7f,
             k % 2 ? Cnv_Rgb(240, 240, 236) : Cnv_Rgb(210, 36, 30));
  }
  Cnv_Line(c, px, py, px - dx * 2.5f, py - dy * 2.5f, 1.8f, kOutline);
}

// Frames: 0 open and dark, 1 open with the first lamp, 2 half way down
// with the second, 3 and 4 closed with either lamp.
void Barrier(Canvas* c, u32 code, int frame) {
  static const float kAngle[5] = {90, 90, 45, 0, 0};
  static const int kLamp[5] = {0, 1, 2, 1, 2};
  const int f = frame < 0 || frame > 4 ? 0 : frame;
  RoadUp(c);
  const bool near = code == kBarrierNear;
  // The barrier on the drivers' right, next to the track: near the back of
  // the cell before the track, near the front of the cell beyond it.
  const float postX = near ? 25.5f : 6.5f, postV = near ? 28 : 5, dir = near ? -1.0f : 1.0f;
  // The warning cross stands clear of the arm: in front of the near
  // barrier, behind the far one.
  const float crossX = near ? 28.5f : 3.5f, crossV = near ? 12 : 16;
  if (near) {
    Asc_Box(c, postX - 1, postV - 1, 2.5f, 2, 0, 4, Cnv_Rgb(190, 190, 186), Cnv_Rgb(220, 220, 216));
    BarrierArm(c, postX, Asc_Sy(postV, 4.5f), dir, kAngle[f]);
    WarningCross(c, crossX, crossV, kLamp[f]);
  } else {
    WarningCross(c, crossX, crossV, kLamp[f]);
    Asc_Box(c, postX - 1, postV - 1, 2.5f, 2, 0, 4, Cnv_Rgb(190, 190, 186), Cnv_Rgb(220, 220, 216));
    BarrierArm(c, postX, Asc_Sy(postV, 4.5f), dir, kAngle[f]);
  }
}

// ---------------------------------------------------------------- fountains
// A round stone basin of ground radius r at the cell's middle, filled.
void Basin(Canvas* c, float cx, float v, float r, float wall) {
  const u32 stone = Cnv_Rgb(176, 170, 156), water = Cnv_Rgb(70, 120, 176);
  const float y = Asc_Sy(v, 0);
  // The basin's shadow falls to the lower right, as round as the basin.
  float shadow[16];
  for (int k = 0; k < 8; ++k) {
    const float a = float(k) * 3.14159265f / 4.0f;
    shadow[2 * k] = cx + 2 + (r + 0.5f) * std::cos(a);
    shadow[2 * k + 1] = y - 1 + (r * 0.5f + 0.5f) * std::sin(a);
  }
  Cnv_ShadowPoly(c, shadow, 8);
  Cnv_Ellipse(c, cx, y, r + 0.5f, r * 0.5f + 0.5f, kOutline);
  Cnv_Ellipse(c, cx, y, r, r * 0.5f, Cnv_Shade(stone, 0.78f));
  Cnv_Rect(c, cx - r - 0.5f, y, 2 * r + 1, wall, kOutline);
  Cnv_Rect(c, cx - r, y, 2 * r, wall, Cnv_Shade(stone, 0.78f));
  Cnv_Rect(c, cx - r, y, r * 0.6f, wall, stone);
  Cnv_Ellipse(c, cx, y + wall, r + 0.5f, r * 0.5f + 0.5f, kOutline);
  Cnv_Ellipse(c, cx, y + wall, r, r * 0.5f, Cnv_Shade(stone, 1.12f));
  Cnv_Ellipse(c, cx, y + wall, r - 1.2f, r * 0.5f - 0.8f, water);
  Cnv_Ellipse(c, cx - r * 0.3f, y + wall + r * 0.12f, r * 0.35f, r * 0.1f, Cnv_Shade(water, 1.3f));
}

// A jet rising from (cx, y0) to height h, falling back in four arcs of
// drops whose places move with the frame.
void Jet(Canvas* c, float cx, float y0, float h, float spread, int frame) {
  const u32 spray = Cnv_Rgb(200, 226, 250), deep = Cnv_Rgb(120, 170, 220);
  const float top = y0 + h + (frame == 1 ? 1.0f : frame == 2 ? -0.5f : 0.0f);
  Cnv_Line(c, cx, y0, cx, top, 1.3f, deep);
  Cnv_Line(c, cx - 0.2f, y0, cx - 0.2f, top, 0.6f, spray);
  for (int side = -1; side <= 1; side += 2)
    for (int k = 0; k < 4; ++k) {
      // A drop's place along its arc: the frames move every drop on by a
      // third of the spacing.
      const float t = (float(k) + float(frame) / 3.0f) / 4.0f;
      const float x = cx + float(side) * spread * t;
      const float y = top - (top - y0) * t * t * 0.9f;
      Cnv_Rect(c, std::floor(x), std::floor(y), 1, 1, k % 2 ? spray : deep);
    }
}

void Fountain(Canvas* c, u32 code, int frame) {
  if (code == kFountain) {
    Basin(c, 16, 16, 11, 2);
    Asc_Box(c, 15, 15.5f, 2, 1, 2, 4, Cnv_Rgb(176, 170, 156), Cnv_Rgb(200, 194, 180));
    Jet(c, 16, Asc_Sy(16, 4), 9, 8, frame);
    return;
  }
  // Two tiers: the big basin and a bowl on a column spilling into it.
  Basin(c, 16, 16, 12, 2);
  Asc_Box(c, 14.8f, 15.5f, 2.4f, 1, 2, 8, Cnv_Rgb(176, 170, 156), Cnv_Rgb(200, 194, 180));
  const float bowlY = Asc_Sy(16, 8);
  Cnv_Ellipse(c, 16, bowlY, 5.5f, 2.2f, kOutline);
  Cnv_Ellipse(c, 16, bowlY, 5, 1.8f, Cnv_Rgb(196, 190, 176));
  Cnv_Ellipse(c, 16, bowlY + 0.4f, 3.8f, 1.1f, Cnv_Rgb(70, 120, 176));
  // The bowl's rim spills at both sides.
  for (int side = -1; side <= 1; side += 2)
    for (int k = 0; k < 3; ++k) {
      const float y = bowlY - 1.5f - float((k * 2 + frame) % 6);
      Cnv_Rect(c, std::floor(16 + float(side) * 5.5f), std::floor(y), 1, 1, Cnv_Rgb(170, 206, 240));
    }
  Jet(c, 16, bowlY + 0.5f, 5, 5, frame);
}

// ---------------------------------------------------------------- clock towers
// The tower with its face; the hands (or digits) are the compositor's. The
// analog towers fly a flag whose cloth moves with the frame.
void ClockTower(Canvas* c, u32 code, int frame) {
  Asc_Box(c, 12, 12, 8, 8, 0, 26, Cnv_Rgb(190, 110, 80), Cnv_Rgb(190, 110, 80));
  Asc_GableRoof(c, 12, 12, 8, 8, 26, 6, false, Cnv_Rgb(60, 90, 80));
  if (code == kDigitalClock) {
    Cnv_FramedRect(c, 5, Asc_Sy(12, 18), 22, 7, Cnv_Rgb(36, 36, 38), Cnv_Rgb(120, 120, 120));
    return;
  }
  Cnv_Ellipse(c, 16, Asc_Sy(12, 21), 3.5f, 3.5f, Cnv_Rgb(240, 240, 236));
  const float px = 16, py = Asc_Sy(16, 32);
  Cnv_Line(c, px, py - 1, px, py + 7, 0.6f, kOutline);
  // The cloth: four points, its free edge waving up and down.
  static const float kWave[3][2] = {{0.0f, 0.0f}, {0.8f, -0.8f}, {-0.6f, 0.6f}};
  const float* w = kWave[frame % 3];
  const float top = py + 7, bottom = py + 3.5f;
  const float cloth[12] = {px + 0.4f, top,         px + 3, top + w[0],     px + 6, top + w[1],
                           px + 6,    bottom + w[1], px + 3, bottom + w[0], px + 0.4f, bottom};
  Outlined(c, cloth, 6, Cnv_Rgb(200, 40, 36));
  Cnv_Line(c, px + 0.8f, top - 1.2f, px + 3, top - 1.2f + w[0], 0.4f, Cnv_Rgb(240, 120, 100));
}

}  // namespace

int Aan_FrameCount(u32 code) {
  for (const Animated& a : kAnimated)
    if (a.code == code) return a.frames;
  return 0;
}

int Aan_ListCodes(u32* out, int max) {
  int n = 0;
  for (const Animated& a : kAnimated) {
    if (out && n < max) out[n] = a.code;
    ++n;
  }
  return n;
}

void Aan_SetFrame(int frame) { g_frame = frame; }

int Aan_Draw(Canvas* c, u32 code) {
  const int frame = g_frame;
  if (code == kTowerMill) TowerMill(c, frame);
  else if (code == kPostMill) PostMill(c, frame);
  else if (code == kBarrierNear || code == kBarrierFar) Barrier(c, code, frame);
  else if (code == kFountain || code == kTieredFountain) Fountain(c, code, frame);
  else if (code >= kClockFirst && code <= kClockLast) ClockTower(c, code, frame);
  else return 0;
  return 1;
}

void Aan_Spec(u32 code, ApcSpec* spec) {
  *spec = ApcSpec();
  if (Aan_FrameCount(code) == 0 && !(code >= kClockFirst && code <= kClockLast)) return;
  spec->h = 72;
}

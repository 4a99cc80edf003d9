#include "render/schem.h"

#include "model/cellcode.h"
#include "model/grid.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/tracktab.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "platform/heap.h"
#include "render/compose.h"
#include "render/gfx.h"
#include "render/map.h"
#include "render/ovw.h"
#include "render/pal.h"
#include "render/preview.h"
#include "render/sprview.h"

// ---------------------------------------------------------------- primitives

void Map_BufSetPixel(SchBuf* b, i32 x, i32 y, u32 colour) {
  if (!b || !b->pixels || x < 0 || y < 0 || x >= b->width || y >= b->height) return;
  b->pixels[i64(y) * b->width + x] = colour;
}

void Map_StepRange(i32 a, i32 b, int step, i32 lo, i32 hi, i64* first, i64* last) {
  if (step < 1) step = 1;
  if (a > b) {
    i32 t = a;
    a = b;
    b = t;
  }
  i64 f = a, l = b < hi ? b : hi;
  if (f < lo) f += (i64(lo) - f + step - 1) / step * step;
  *first = f;
  *last = l;
}

void Map_BufVLine(SchBuf* b, i32 x, i32 y1, int step, u32 colour, i32 y2) {
  if (!b || !b->pixels) return;
  if (step < 1) step = 1;
  i64 y, last;
  Map_StepRange(y1, y2, step, 0, b->height - 1, &y, &last);
  for (; y <= last; y += step) Map_BufSetPixel(b, x, i32(y), colour);
}

void Map_BufHLine(SchBuf* b, i32 x1, i32 y, int step, u32 colour, i32 x2) {
  if (!b || !b->pixels) return;
  if (step < 1) step = 1;
  i64 x, last;
  Map_StepRange(x1, x2, step, 0, b->width - 1, &x, &last);
  for (; x <= last; x += step) Map_BufSetPixel(b, i32(x), y, colour);
}

void Map_BufLine(SchBuf* b, i32 x1, i32 y1, i32 x2, i32 y2, int step, u32 colour) {
  if (step < 1) step = 1;
  i32 dx = x2 > x1 ? x2 - x1 : x1 - x2, dy = y2 > y1 ? y1 - y2 : y2 - y1;
  int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  i32 err = dx + dy;
  for (int n = 0;; ++n) {
    if (n % step == 0) Map_BufSetPixel(b, x1, y1, colour);
    if (x1 == x2 && y1 == y2) break;
    i32 e2 = 2 * err;
    if (e2 >= dy) err += dy, x1 += sx;
    if (e2 <= dx) err += dx, y1 += sy;
  }
}

void Map_BufFillRect(SchBuf* b, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2) {
  if (!b || !b->pixels) return;
  // Clipped first, so that a rectangle far larger than the buffer costs no
  // more than the buffer.
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  if (x2 > b->width - 1) x2 = b->width - 1;
  if (y2 > b->height - 1) y2 = b->height - 1;
  if (x2 < x1) return;
  for (i32 y = y1; y <= y2; ++y) Asm_FillDwords(b->pixels + i64(y) * b->width + x1, colour, u32(x2 - x1 + 1));
}

void Map_BufFrameRect(SchBuf* b, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2) {
  Map_BufHLine(b, x1, y1, 1, colour, x2);
  Map_BufHLine(b, x1, y2, 1, colour, x2);
  Map_BufVLine(b, x1, y1, 1, colour, y2);
  Map_BufVLine(b, x2, y1, 1, colour, y2);
}

void Map_BufArrows(SchBuf* b, i32 x, i32 y, int bits, u32 colour) {
  static const int d[8][4] = {{-1, -1, 1, -1}, {-1, 1, 1, 1},  {-1, -1, -1, 1}, {1, -1, 1, 1},
                              {-1, 0, 0, -1},  {1, 0, 0, -1}, {-1, 0, 0, 1},   {1, 0, 0, 1}};
  for (int i = 0; i < 8; ++i) {
    if (!(bits & (1 << i))) continue;
    Map_BufLine(b, x, y, x + 3 * d[i][0], y + 3 * d[i][1], 1, colour);
    Map_BufLine(b, x, y, x + 3 * d[i][2], y + 3 * d[i][3], 1, colour);
  }
}

// ---------------------------------------------------------------- track model

struct MaskEntry {
  u16 shape;
  u32 mask;
};
static const MaskEntry kMasks[] = {
    {0, 0xC},         {1, 0x3},         {2, 0x30},        {3, 0xC0},        {8, 0x6},         {9, 0x5},
    {10, 0x9},        {11, 0xA},        {12, 0x6000033},  {13, 0x90000C3},  {14, 0x50003C},   {15, 0xA000CC},
    {16, 0x4000033},  {17, 0x2000033},  {18, 0x80000C3},  {19, 0x10000C3},  {20, 0x10003C},   {21, 0x40003C},
    {22, 0x8000CC},   {23, 0x2000CC},   {24, 0x22},       {25, 0x41},       {26, 0x11},       {27, 0x82},
    {28, 0x14},       {29, 0x84},       {30, 0x28},       {31, 0x48},       {32, 0xF},        {33, 0xF0},
    {39, 0x33},       {40, 0xC3},       {41, 0x3C},       {42, 0xCC},       {43, 0xF3},       {44, 0xFC},
    {45, 0x3F},       {46, 0xCF},       {47, 0xFF},       {80, 0x4000C},    {81, 0x2000C},    {82, 0x8000C},
    {83, 0x1000C},    {84, 0x10003},    {85, 0x40003},    {86, 0x20003},    {87, 0x80003},    {136, 0x50000C0C},
    {137, 0x50000303}, {138, 0x50003030}, {139, 0x5000C0C0}, {168, 0x2},     {169, 0x1},       {170, 0x8},
    {171, 0x4},       {172, 0x20},      {173, 0x10},      {174, 0x80},      {175, 0x40},      {272, 0x2E},
    {273, 0x8E},      {274, 0x1D},      {275, 0x4D},      {276, 0x4B},      {277, 0x2B},      {278, 0x87},
    {279, 0x17},      {280, 0xB2},      {281, 0xB4},      {282, 0x71},      {283, 0x78},      {284, 0xD4},
    {285, 0xD1},      {286, 0xE8},      {287, 0xE2},      {288, 0x4200000}, {289, 0x8400000}, {290, 0x2800000},
    {291, 0x1100000}, {292, 0x4800000}, {293, 0x1400000}, {294, 0x2200000}, {295, 0x8100000}, {296, 0x5000000},
    {297, 0xA000000}, {298, 0x900000},  {299, 0x600000},  {300, 0x2400000}, {301, 0x4100000}, {302, 0x8800000},
    {303, 0x1200000}};

// Connector a train leaves by for a direction index 2..9.
static int DirConnector(int d) {
  static const int c[10] = {-1, -1, 0, 1, 2, 3, 4, 5, 6, 7};
  return (d >= 2 && d <= 9) ? c[d] : -1;
}
static int Opposite(int conn) { return conn ^ 1; }

// A turnout joins what the connection table lets a train pass through.
static u32 TurnoutMask(u32 code) {
  u32 m = 0;
  for (int d = 2; d <= 9; ++d) {
    int dx, dy;
    Trk_DirStep(d, &dx, &dy);
    int out = Trk_Connection(code, dx, dy) & 0xFF;
    if (out == DIRIDX_NONE) continue;
    if (out == DIRIDX_KEEP) out = d;
    int a = Opposite(DirConnector(d)), b = DirConnector(out);
    if (a >= 0) m |= 1u << a;
    if (b >= 0) m |= 1u << b;
  }
  return m;
}

u32 Trk_PieceConnectorMask(u32 code) {
  if (code > 32767) return 0;
  u32 s = code % 512;
  if ((s >= 48 && s <= 79) || (s >= 88 && s <= 95) || (s >= 472 && s <= 495)) return TurnoutMask(code);
  if (s >= 140 && s <= 151) s = 136 + (s & 3);
  else if (s >= 160 && s <= 167) s = ((s - 160) / 2) ^ ((s - 160) / 2 < 2 ? 1 : 0);
  else if (s >= 256 && s <= 259) s -= 256;
  else if ((s >= 260 && s <= 263) || (s >= 208 && s <= 210)) s = 1;
  else if (s >= 496 && s <= 503) s -= 472;
  else if (s >= 504) s -= 480;
  else if (s >= 184 && s <= 191) s -= 16;
  for (const MaskEntry& e : kMasks)
    if (e.shape == s) return e.mask;
  u32 d = 1u << (s & 7);
  // The object class drawn at the centre: stops and timetable points,
  // LFST points, shunting points, ten-state signals.
  u32 cls = 0;
  if ((s >= 264 && s <= 271) || (s >= 152 && s <= 159)) cls = 1;
  else if (s >= 176 && s <= 183) cls = 2;
  else if (s >= 192 && s <= 199) cls = 3;
  // Asked of the signal store, not of the graphics: the element kinds of
  // the graphics are only known once a kind query is installed.
  if (Sig_ShapeTypeRange(code, nullptr, nullptr) == 10) cls = 4;
  if ((s & 7) % 2 == 0) return d << 8 | cls << 28 | d | d * 2;
  return d << 8 | cls << 28 | d | d / 2;
}

// ---------------------------------------------------------------- schematic cell

int Map_SchematicColourIndex(u32 code, i32 x, i32 y, i32 level, u32* drawn) {
  *drawn = code;
  if (Cell_IsTrainMarker(code)) {
    *drawn = Trn_GetCellGraphic(x, y, level, u16(code));
    return Trn_IsFollowedAtCell(x, y, level) ? 57 : 49;
  }
  if (code < 0x7FFF) {
    const int flag = Cell_IsReserved(code);
    const u32 c = Cell_WithoutMark(code);
    *drawn = c;
    int idx = c < 4096 ? 0 : c < 6144 ? 1 : c < 8192 ? 2 : 3;
    static const int plain[4] = {48, 66, 67, 68}, flagged[4] = {56, 69, 70, 71};
    return flag ? flagged[idx] : plain[idx];
  }
  return level < 0 ? 178 : 132;
}

struct SchGeo {
  int size, c, e, stateOff, s1, s2, s3;
};

// A bar of half length h through (x, y) along the unit step (ux, uy), n
// pixels thick (the further lines shifted off the track's side).
static void BarAcross(SchBuf* sq, i32 x, i32 y, int ux, int uy, int h, int n, u32 colour) {
  // The shift that thickens the bar: along x for an upright bar, else down.
  const int tx = uy != 0 && ux == 0 ? 1 : 0, ty = 1 - tx;
  for (int k = 0; k < n; ++k)
    Map_BufLine(sq, x - ux * h + tx * k, y - uy * h + ty * k, x + ux * h + tx * k, y + uy * h + ty * k, 1, colour);
}

// The figure of an object class at the centre, facing direction d (code &
// 7): the track runs upright for 0 and 1, level for 2 and 3, falling for 4
// and 5, rising for 6 and 7. Bars lie across the track so that they never
// hide under the line.
static void Map_DrawSchematicFigure(SchBuf* sq, const SchGeo* g, int cls, int d, u32 colour) {
  static const int across[8][2] = {{1, 0}, {1, 0}, {0, 1}, {0, 1}, {1, -1}, {1, -1}, {1, 1}, {1, 1}};
  static const int along[8][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {1, 1}, {-1, -1}, {-1, 1}, {1, -1}};
  const int c = g->c, h = g->s1 / 2 > 0 ? g->s1 / 2 : 1;
  const int ax = across[d][0], ay = across[d][1];
  switch (cls) {
    case 1:  // stop or timetable point: a solid box
      Map_BufFillRect(sq, c - h, c - h, colour, c + h, c + h);
      break;
    case 2:  // LFST point: a bar across the track
      BarAcross(sq, c, c, ax, ay, h, g->s3 > 1 && (ax == 0 || ay == 0) ? g->s3 : 1, colour);
      break;
    case 3: {  // shunting point: a T standing on the track, its stem across it
      if (ax != 0 && ay != 0) {
        // On diagonal track a T would break into steps; an upright cross
        // keeps clear of the line.
        Map_BufHLine(sq, c - h, c, 1, colour, c + h);
        Map_BufVLine(sq, c, c - h, 1, colour, c + h);
        break;
      }
      const i32 tx = c + ax * h, ty = c + ay * h, t = h - 1 > 0 ? h - 1 : 1;
      Map_BufLine(sq, c, c, tx, ty, 1, colour);
      Map_BufLine(sq, tx - along[d][0] * t, ty - along[d][1] * t, tx + along[d][0] * t, ty + along[d][1] * t, 1, colour);
      break;
    }
    case 4:  // ten-state signal: a square outline
      Map_BufFrameRect(sq, c - h, c - h, colour, c + h, c + h);
      break;
    default:  // crossing: the square around the crossing point
      Map_BufFrameRect(sq, c - h - 1, c - h - 1, colour, c + h + 1, c + h + 1);
      break;
  }
}

void Map_DrawSchematicLines(SchBuf* sq, int scale, i32 level, int groundDetail, u32 colour, int mark, u32 code) {
  SchGeo g;
  switch (scale) {
    case 1: g = {16, 8, 15, 4, 6, 2, 2}; break;
    case 2: g = {8, 4, 7, 2, 4, 1, 2}; break;
    case 4: g = {4, 2, 3, 0, 2, 0, 2}; break;
    case 8: g = {2, 1, 1, 0, 0, 0, 1}; break;
    case -1: g = {24, 12, 21, 4, 6, 2, 2}; break;
    default: g = {16, 8, 13, 4, 6, 2, 2}; break;
  }
  u32 bg = Spr_Palette(level < 0 ? 178 : 132);
  Map_BufFillRect(sq, 0, 0, bg, g.size - 1, g.size - 1);
  if (code == 49152 || code == 49153 || code == 49154) return;
  if (scale > 0 && !groundDetail && code >= 49152) return;
  u32 mask = Trk_PieceConnectorMask(code);
  if (mask == 0) {
    if (code >= 49152) {
      int ci = Ovw_CellColour(code, !groundDetail, level == 0);
      Map_BufFillRect(sq, 0, 0, Spr_Palette(ci), g.size - 1, g.size - 1);
    }
    return;
  }
  u32 line = colour;
  if (groundDetail && code < 16384 && !(code >= 4096 && code <= 6142)) {
    int p = code < 4096 ? 92 : code == 6143 ? 132 : code < 8192 ? 90 : code < 12288 ? 92 : 95;
    line = Spr_Palette(p);
  }
  int c = g.c, e = g.e, z = 0;
  if (mask & 1) Map_BufVLine(sq, c, z, 1, line, c - 1);
  if (mask & 2) Map_BufVLine(sq, c, c, 1, line, e);
  if (mask & 4) Map_BufHLine(sq, z, c, 1, line, c - 1);
  if (mask & 8) Map_BufHLine(sq, c, c, 1, line, e);
  if (mask & 16) Map_BufLine(sq, c, c, e, e, 1, line);
  if (mask & 32) Map_BufLine(sq, z, z, c - 1, c - 1, 1, line);
  if (mask & 64) Map_BufLine(sq, z, e, c, c, 1, line);
  if (mask & 128) Map_BufLine(sq, c, c, e, z, 1, line);
  // Chords between two edge midpoints or corners without the centre.
  const i32 pts[8][2] = {{c, z}, {c, e}, {z, c}, {e, c}, {e, e}, {z, z}, {z, e}, {e, z}};
  static const int chords[12][2] = {{0, 2}, {0, 3}, {1, 2}, {1, 3}, {5, 4}, {6, 7},
                                    {0, 6}, {0, 4}, {1, 5}, {1, 7}, {2, 7}, {3, 6}};
  for (int i = 0; i < 12; ++i)
    if (mask & (1u << (16 + i)))
      Map_BufLine(sq, pts[chords[i][0]][0], pts[chords[i][0]][1], pts[chords[i][1]][0], pts[chords[i][1]][1], 1, line);
  // Previews show the track alone: no class figure, no state mark.
  const int cls = scale > 0 ? int((mask >> 28) & 7) : 0;
  if (cls && scale < 8) Map_DrawSchematicFigure(sq, &g, cls, int(code & 7), line);
  if ((mark & MAP_SCH_MARK) && scale > 0 && g.stateOff > 0) {
    static const int dd[8][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {1, 1}, {-1, -1}, {-1, 1}, {1, -1}};
    const int d = mark & 7, n = g.s2 > 1 ? 2 : 1;
    const u32 mc = Spr_Palette((mark & MAP_SCH_MARK_KIND2)   ? PAL_SCH_MARK_STOP
                                 : (mark & MAP_SCH_MARK_KIND4) ? PAL_SCH_MARK_EXPECT
                                                               : PAL_SCH_MARK_CLEAR);
    const i32 mx = c + dd[d][0] * g.stateOff, my = c + dd[d][1] * g.stateOff;
    Map_BufFillRect(sq, mx, my, mc, my + n - 1, mx + n - 1);
  }
}

// The state mark of a signal element of types 1-4 in the given state: on
// the side the shape faces, or the other side when the state's class has
// bit 2; coloured by the shape's display kind. 0 for codes of other shapes.
int Map_SchematicStateMark(u32 code, int state) {
  if (state < 0) return 0;
  const u32 type = Sig_ShapeTypeRange(code, nullptr, nullptr);
  if (type < 1 || type > 4) return 0;
  int d = int(code & 7);
  if (Sig_CodeClass(type, u32(state)) & 4) d ^= 1;
  const int kind = Sig_ShapeKind(code);
  return MAP_SCH_MARK | d | (kind == 2 ? MAP_SCH_MARK_KIND2 : kind == 4 ? MAP_SCH_MARK_KIND4 : 0);
}

void Map_DrawSchematicCell(SchBuf* dc, int target, i32 px, i32 py, i32 level, u32 code, u32 colour, int state,
                           int groundDetail) {
  int scale, size, mark = 0;
  if (target >= 0 && target < MAP_VIEWS) {
    const int s = g_mapViews[target].scale;
    scale = s == 2 || s == 4 || s == 8 ? s : 1;
    size = 16 / scale;
    mark = Map_SchematicStateMark(code, state);
  } else if (target == MAP_TARGET_PREVIEW1 || target == MAP_TARGET_PREVIEW1 + 1) {
    scale = target == MAP_TARGET_PREVIEW1 ? 0 : -1;
    size = scale == 0 ? 16 : 24;
    groundDetail = 1;
  } else {
    return;
  }
  u32 sqPix[24 * 24];
  SchBuf sq = {sqPix, size, size};
  Map_DrawSchematicLines(&sq, scale, level, groundDetail, colour, mark, code);
  Spr_TransferSchematic(dc, px, py, target, &sq);
}

// The state a schematic cell shows: that of a signal element of types 1-4
// standing on a signal shape, -1 for every other cell.
static int SchematicStateAt(i32 x, i32 y, i32 level, u32 code) {
  const u32 type = Sig_ShapeTypeRange(code, nullptr, nullptr);
  if (type < 1 || type > 4) return -1;
  if (!Sig_FindElementAt(x, y, level, 0)) return -1;
  return int(Sig_QueryElementState(x, y, level, nullptr, 0, Sig_ShapeKind(code)));
}

void Map_DrawSchematicAt(int v, i32 x, i32 y) {
  if (v < 0 || v >= MAP_VIEWS) return;
  MapView& w = g_mapViews[v];
  if (!w.window || !w.back || x < 0 || y < 0 || x > 32767 || y > 32767) return;
  const int scale = w.scale == 2 || w.scale == 4 || w.scale == 8 ? w.scale : 1;
  const i32 start = Map_StartLevel(x, y, w.level);
  u32 code = Grid_GetCell(x, y, start), drawn;
  const int ci = Map_SchematicColourIndex(code, x, y, start, &drawn);
  const i32 px = ((x - w.originX) * 16 + w.pixOffX) / scale, py = ((y - w.originY) * 16 + w.pixOffY) / scale;
  Map_DrawSchematicCell(nullptr, v, px, py, start, drawn, Spr_Palette(ci), SchematicStateAt(x, y, start, drawn),
                        w.groundDetail);
  Spr_DrawGridInView(v, px, py, 16 / scale, scale, Spr_GridFlags(x, y, w.level));
}

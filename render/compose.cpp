#include "render/compose.h"
#include "render/terrain.h"

#include <cstring>

#include "model/grid.h"
#include "model/infp.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "platform/check.h"
#include "platform/heap.h"
#include "platform/tim.h"
#include "render/bgp.h"
#include "render/blit.h"
#include "render/cellin.h"
#include "render/daylight.h"
#include "render/gfx.h"
#include "render/gfxfile.h"
#include "render/pal.h"
#include <initializer_list>

// The buffers lie between guard rows that nothing should ever write: a
// write that runs past the end of a buffer, or before its start, changes a
// guard, and the checks see it.
enum : u32 { kGuardWords = 128, kGuardValue = 0x6A5C3E17u };
static struct {
  CellPixel guard0[kGuardWords], buf1[32 * 16];
  CellPixel guard1[kGuardWords], buf2[64 * 32];
  CellPixel guard2[kGuardWords], buf4[128 * 64];
  CellPixel guard4[kGuardWords];
} g_bufs;

namespace {
struct GuardInit {
  GuardInit() {
    for (CellPixel* g : {g_bufs.guard0, g_bufs.guard1, g_bufs.guard2, g_bufs.guard4})
      for (u32 i = 0; i < kGuardWords; ++i) g[i] = kGuardValue;
  }
} g_guardInit;
}  // namespace
static u32 g_levelBg = 0;

SprOptions g_sprOptions = {1, 1, 1, 0, 1, 1};
SprGrid g_sprGrid = {0, 0, 0, 10, 10, 5, 5};
SprBox g_sprBox = {0, 0, 0, 0, 0, 0, 0};

CellPixel* Spr_Buffer(int zoom) { return zoom == 4 ? g_bufs.buf4 : zoom == 2 ? g_bufs.buf2 : g_bufs.buf1; }

int Spr_BuffersIntact(void) {
  for (const CellPixel* g : {g_bufs.guard0, g_bufs.guard1, g_bufs.guard2, g_bufs.guard4})
    for (u32 i = 0; i < kGuardWords; ++i)
      if (g[i] != kGuardValue) return 0;
  return 1;
}

u32 Spr_Palette(int i) { return Asm_SwapRedBlue(Pal_GetColour(i)) & 0xFFFFFF; }
u32 Spr_LevelBackground(i32 level) { return Spr_Palette(level < 0 ? PAL_BELOW_GROUND : PAL_BACKGROUND); }
void Spr_SetLevel(i32 level) { g_levelBg = Spr_LevelBackground(level); }
u32 Spr_CurrentBackground(void) { return g_levelBg; }

void Spr_WritePixel(CellPixel* t, CellPixel s) { Spr_PutPixel(t, s, g_levelBg); }

// A buffer's size follows from the zoom asked for; any other zoom would
// address the zoom-1 buffer with a larger width.
static int IsBufferZoom(int zoom) { return zoom == 1 || zoom == 2 || zoom == 4; }

void Spr_SetPixel(int zoom, int x, int y, CellPixel v) {
  ORBA_CHECK(IsBufferZoom(zoom));
  int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  if (x < 0 || y < 0 || x >= W || y >= H) return;
  Spr_PutPixel(Spr_Buffer(zoom) + (H - 1 - y) * W + x, v, g_levelBg);
}

void Spr_FillBuffer(CellPixel value, int zoom) {
  ORBA_CHECK(IsBufferZoom(zoom));
  Asm_FillDwords(Spr_Buffer(zoom), value, u32(Spr_BufferWidth(zoom) * Spr_BufferHeight(zoom)));
}

void Spr_FillTopRows(CellPixel value, int width, int rows) {
  const int W = Spr_BufferWidth(2), H = Spr_BufferHeight(2);
  if (width > W) width = W;
  if (rows > H) rows = H;
  CellPixel* p = Spr_Buffer(2);
  // Buffer rows run from the bottom: the top rows are the last ones.
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < width; ++c) p[(H - 1 - r) * W + c] = value;
}

void Spr_FillDither(CellPixel a, CellPixel b, int zoom) {
  ORBA_CHECK(IsBufferZoom(zoom));
  int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  CellPixel* p = Spr_Buffer(zoom);
  for (int r = 0; r < H; ++r)
    for (int c = 0; c < W; ++c) p[r * W + c] = ((r + c) & 1) ? b : a;
}

void Spr_DoubleBuffer(int from) {
  if (from != 1 && from != 2) return;
  int W = Spr_BufferWidth(from), H = Spr_BufferHeight(from);
  const CellPixel* s = Spr_Buffer(from);
  CellPixel* d = Spr_Buffer(from * 2);
  int DW = W * 2;
  for (int r = 0; r < H; ++r)
    for (int c = 0; c < W; ++c) {
      CellPixel v = s[r * W + c];
      if (v == SPR_TRANSPARENT) continue;
      CellPixel* t = d + (2 * r) * DW + 2 * c;
      CellPixel* q[4] = {t, t + 1, t + DW, t + DW + 1};
      for (CellPixel* x : q) {
        if (v == SPR_DARKEN)
          *x = (*x == SPR_TRANSPARENT) ? SPR_DARKEN : (*x | 0x80000000u);
        else
          *x = v;
      }
    }
}

// ---------------------------------------------------------------- classes

int Spr_IsSeeThrough(u32 code, i32 level) {
  return (code == CELL_LOOK_DOWN_1 || code == CELL_LOOK_DOWN_2) && level > -4;
}

int Spr_HidesTrain(u32 code) {
  if (!Cell_IsElement(code)) return 0;
  int s = int(Cell_Shape(code)), lo = s & 7;
  if ((s >= 208 && s <= 210) || s == 232) return 1;
  if (s >= 216 && s <= 231) return lo == 0 || lo == 5 || lo == 7;
  if (s >= 240 && s <= 247) return lo == 0 || lo == 3 || lo == 5 || lo == 7;
  if (s >= 248 && s <= 255) return lo == 0 || lo == 2 || lo == 5 || lo == 7;
  return 0;
}

int Spr_PortalBit(u32 code) {
  if (code >= CELL_RESERVED_BIT) return 0;
  switch (Cell_Shape(code)) {
    case 220: case 228: case 249: case 251: return 8;
    case 221: case 229: case 248: case 250: return 1;
    case 222: case 230: case 241: case 242: return 4;
    case 223: case 231: case 240: case 243: return 2;
  }
  return 0;
}

// ---------------------------------------------------------------- grid

static i32 Mod(i32 a, i32 m) { return m > 0 ? ((a % m) + m) % m : 1; }

int Spr_GridFlags(i32 x, i32 y, i32 level) {
  int f = 0;
  const SprGrid& g = g_sprGrid;
  if (g.on) {
    if (g.majorX > 0 && Mod(x - g.originX, g.majorX) == 0) f |= SPR_GRID_MAJOR_V;
    else if (g.minorX > 0 && Mod(x - g.originX, g.minorX) == 0) f |= SPR_GRID_MINOR_V;
    if (g.majorY > 0 && Mod(y - g.originY, g.majorY) == 0) f |= SPR_GRID_MAJOR_H;
    else if (g.minorY > 0 && Mod(y - g.originY, g.minorY) == 0) f |= SPR_GRID_MINOR_H;
  }
  const SprBox& b = g_sprBox;
  if (b.shown && level >= b.level1 && level <= b.level2) {
    if ((x == b.x1 || x == b.x2 + 1) && y >= b.y1 && y <= b.y2) f |= SPR_BOX_V;
    if (y == b.y1 || y == b.y2 + 1) {
      if (x >= b.x1 && x <= b.x2) f |= SPR_BOX_H;
      else if (x == b.x2 + 1) f |= SPR_BOX_CORNER;
    }
  }
  return f;
}

int Spr_GridLineEntry(int flags, int vertical) {
  if (flags & (vertical ? SPR_BOX_V : SPR_BOX_H)) return PAL_MARKED_BOX;
  return (flags & (vertical ? SPR_GRID_MAJOR_V : SPR_GRID_MAJOR_H)) ? PAL_GRID_MAJOR : PAL_GRID_MINOR;
}

void Spr_DrawGridLines(int zoom, int flags) {
  int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  CellPixel* p = Spr_Buffer(zoom);
  // Left edge: column 0; top edge: the highest buffer row.
  if (flags & (SPR_GRID_MAJOR_V | SPR_GRID_MINOR_V | SPR_BOX_V)) {
    int step = (flags & SPR_BOX_V) ? 8 : (flags & SPR_GRID_MAJOR_V) ? 2 : 4;
    u32 c = Spr_Palette(Spr_GridLineEntry(flags, 1));
    for (int y = 0; y < H; y += step) p[(H - 1 - y) * W] = c;
  }
  if (flags & (SPR_GRID_MAJOR_H | SPR_GRID_MINOR_H | SPR_BOX_H)) {
    int step = (flags & SPR_BOX_H) ? 8 : (flags & SPR_GRID_MAJOR_H) ? 2 : 4;
    u32 c = Spr_Palette(Spr_GridLineEntry(flags, 0));
    for (int x = 0; x < W; x += step) p[(H - 1) * W + x] = c;
  }
  if (flags & SPR_BOX_CORNER) p[(H - 1) * W] = Spr_Palette(PAL_MARKED_BOX);
}

void Spr_DrawGridZoom1(int flags) { Spr_DrawGridLines(1, flags); }
void Spr_DrawGridZoom2(int flags) { Spr_DrawGridLines(2, flags); }
void Spr_DrawGridZoom4(int flags) { Spr_DrawGridLines(4, flags); }


// ---------------------------------------------------------------- layers

u32 Spr_CellCode(i32 x, i32 y, i32 level) {
  if (x < 0 || y < 0 || x > 32767 || y > 32767 || level > 0 || level < -4) return CELL_EMPTY;
  u32 c = Grid_GetCell(x, y, level);
  if (Cell_IsTrainMarker(c)) c = Trn_GetCellGraphic(x, y, level, u16(c));
  return Cell_Normalised(c);
}

i32 Spr_CellSeed(i32 x, i32 y) { return (x * 73 + y * 151) & 0x7FFF; }

// The record of a symbol code at a cell: the sub-picture by cell parity, in
// the picture of the current animation step of a placed multi-cell symbol;
// a picture or sub-picture the graphic does not have gives its first
// picture.
static const GfxSubPicture* SymbolPicture(u32 code, i32 x, i32 y, i32 level) {
  i32 word = 0;
  const i32 step = Mcs_GetInfo(x, y, level, &word, code);
  const GfxSubPicture* sp = Gfx_GetSubPicture(code, 0, Map_CellPictureVariant(x, y, code), step);
  return sp ? sp : Gfx_GetSubPicture(code, 0, 0, 0);
}

// Draws the first `count` placements of a record that belong to the layer
// and meet the window; the number drawn.
static int PlacePictures(const GfxSubPicture* sp, int zoom, int layer, int dy, int dx, int count = 3) {
  int drawn = 0;
  for (int p = 0; p < count && p < 3; ++p) {
    int dz = 1;
    const GfxBlock* b = Spr_ChooseBlock(sp, p, zoom, &dz);
    if (!b) break;
    if (b->layer != layer) continue;
    if (!Spr_BoxMeetsWindow(i16(b->x), i16(b->y), b->width, b->height, dz, dx, dy)) continue;
    Spr_PlaceBlock(zoom, dz, dx, dy, b);
    ++drawn;
  }
  return drawn;
}

// The smoke (layer 2) and the clock (its own layer) of a record, where their
// boxes meet the window.
static void DrawEffects(const GfxSubPicture* sp, int zoom, int layer, int dy, int dx, i32 seed, int noClock) {
  GfxEffects fx;
  if (!Gfx_PictureEffects(sp, &fx)) return;
  if (noClock) fx.clock = 0;
  if (fx.smoke && layer == 2) {
    const int sx = fx.smokeX * zoom, sy = fx.smokeY * zoom;
    if (Spr_BoxMeetsWindow(sx, sy, fx.smokeWidth * zoom, 5 * zoom, zoom, dx, dy))
      Spr_DrawSmoke(zoom, sx - dx * zoom, sy - dy * zoom, fx.smokeWidth, fx.lightSmoke, seed);
  }
  if (fx.clock && layer == fx.clockLayer) {
    const int zi = zoom == 4 ? 2 : zoom == 2 ? 1 : 0, size = fx.clockSize[zi];
    if (Spr_BoxMeetsWindow(fx.clockX[zi], fx.clockY[zi], size, size, zoom, dx, dy))
      Spr_DrawClock(zoom, fx.clockX[zi] - dx * zoom, fx.clockY[zi] - dy * zoom, size, fx.clockFlags, fx.handA,
                    fx.handB);
  }
}

int Spr_PlatformContinues(u32 code, i32 x, i32 y, i32 level) {
  auto clocked = [](u32 c) { return c < CELL_RESERVED_BIT && Cell_HasShapeIn(c, 262, 263); };
  return clocked(code) && y > 0 && clocked(Spr_CellCode(x, y - 1, level));
}

int Spr_DrawCellLayer(u32 code, i32 state, i32 variant, int zoom, i32 level, i32 y, i32 x, int symbolsHidden,
                      int layer, int dy, int dx) {
  (void)variant;  // an element's variant follows from its state
  if (code >= 65536 || code == CELL_EMPTY) return 0;
  // Track shapes below 96 have no picture slot; most cells are such.
  if (code < CELL_RESERVED_BIT && Cell_Shape(code) < 96) return 0;
  if (code >= GFX_FIRST_PICTURE_CODE && symbolsHidden) return 0;
  const GfxSubPicture* sp = code < GFX_FIRST_PICTURE_CODE ? Gfx_GetSubPicture(code, state, 0, 0) : SymbolPicture(code, x, y, level);
  if (!sp) return 0;
  // A platform that goes on from the cell above keeps its first placement
  // only: the departure board (the second) and its clock stand where the
  // platform begins.
  const int continues = Spr_PlatformContinues(code, x, y, level);
  int drawn = PlacePictures(sp, zoom, layer, dy, dx, continues ? 1 : 3);
  DrawEffects(sp, zoom, layer, dy, dx, Spr_CellSeed(x, y), continues);
  return drawn;
}

static void Layer(u32 code, int zoom, i32 level, i32 y, i32 x, int hidden, int layer, int dy, int dx) {
  if (code == CELL_EMPTY) return;
  // Only element codes with pictures have states worth asking for.
  i32 state = (code < CELL_RESERVED_BIT && Cell_Shape(code) >= 96) ? Map_PieceStateAt(x, y, level, nullptr, code) : 0;
  Spr_DrawCellLayer(code, state, 0, zoom, level, y, x, hidden, layer, dy, dx);
}

// One step of the layer order: a layer of the cell (dx, dy) cells from the
// composed one. The window offsets follow from the cell distance: a cell to
// the right shows its picture 32 pixels further left in this cell's window,
// a cell below 16 pixels higher.
struct LayerStep {
  i8 dx, dy, layer;
};
// The vehicles of the cell below reaching up, at their place in the order.
enum { kTrainsFromBelow = -1 };
// The neighbours above whose layer 2 reaches down, after the cell's own
// ground and in the completion of a portal.
static const LayerStep kAboveLayer2[] = {{0, -1, 2}, {1, -1, 2}, {-1, -1, 2}};
// After the ground step: the row of the cell, the row below (with the trains
// standing there), the tall parts of the row above, then the rows further
// down whose tall pictures rise this far.
static const LayerStep kLayerOrder[] = {
    {1, 0, 3},  {-1, 0, 3},  {0, 0, 2},  {1, 0, 2},  {-1, 0, 2},                          // the cell's row
    {1, 1, 3},  {-1, 1, 3},  {0, 1, 3},  {0, 1, kTrainsFromBelow},                        // the row below
    {0, -1, 5}, {1, -1, 5},  {-1, -1, 5}, {0, 0, 5}, {1, 0, 5}, {-1, 0, 5},               // layer 5 above
    {0, 1, 2},  {1, 1, 2},   {-1, 1, 2},                                                  // the row below
    {1, 2, 3},  {-1, 2, 3},  {0, 2, 3},  {0, 2, 2},  {1, 2, 2},  {-1, 2, 2},              // rows 2..6 below
    {1, 3, 3},  {-1, 3, 3},  {0, 3, 3},  {0, 3, 2},  {1, 3, 2},  {-1, 3, 2},
    {1, 4, 3},  {-1, 4, 3},  {0, 4, 3},  {0, 4, 2},  {1, 4, 2},  {-1, 4, 2},
    {1, 5, 3},  {-1, 5, 3},  {0, 5, 3},  {0, 5, 2},  {1, 5, 2},  {-1, 5, 2},
    {1, 6, 3},  {-1, 6, 3},  {0, 6, 3},  {0, 6, 2},  {1, 6, 2},  {-1, 6, 2}};

static void LayerOf(const LayerStep& s, int zoom, i32 level, i32 y, i32 x, int hidden) {
  const i32 cx = x + s.dx, cy = y + s.dy;
  Layer(Spr_CellCode(cx, cy, level), zoom, level, cy, cx, hidden, s.layer, 16 * s.dy, -32 * s.dx);
}

int Spr_OverlayFlags(i32 x, i32 y, i32 level) {
  int f = 0;
  if (g_sprOptions.infoMarks && Info_GetLength(x, y, level) > 0) f |= SPR_OVL_INFO;
  if (g_sprOptions.logMarks) {
    const LogPoint* p = Logp_Find(x, y, level);
    if (p) f |= (p->Flags & LOGP_F_OFF) ? SPR_OVL_LOG2 : SPR_OVL_LOG1;
  }
  return f;
}

void Spr_DrawOverlayMarks(int flags, int zoom) {
  const int both = (flags & SPR_OVL_INFO) && (flags & (SPR_OVL_LOG1 | SPR_OVL_LOG2));
  // The window moves the other way from the picture: dy -8 draws 8 higher.
  if (flags & SPR_OVL_INFO) {
    const GfxSubPicture* sp = Gfx_GetSubPicture(SPR_MARK_INFO, 0, 0, 0);
    if (sp) PlacePictures(sp, zoom, 3, both ? 8 : 0, 0);
  }
  static const u32 kLogMarks[2][2] = {{SPR_OVL_LOG1, SPR_MARK_LOG1}, {SPR_OVL_LOG2, SPR_MARK_LOG2}};
  for (const auto& m : kLogMarks) {
    if (!(flags & int(m[0]))) continue;
    if (const GfxSubPicture* sp = Gfx_GetSubPicture(m[1], 0, 0, 0)) PlacePictures(sp, zoom, 3, both ? -8 : 0, 0);
  }
}

void Spr_DrawCellBackground(i32 x, i32 y, int zoom) {
  const BackgroundSettings& g = g_background;
  if (!g.pixels || g.mode == 0 || g.width < 1 || g.height < 1 || g.picWidth < 1 || g.picHeight < 1) return;
  if (x < g.x || y < g.y || x >= g.x + g.width || y >= g.y + g.height) return;
  int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  i64 spanX = i64(g.width) * W, spanY = i64(g.height) * H;
  i64 ox = i64(x - g.x) * W, oy = i64(y - g.y) * H;
  CellPixel* p = Spr_Buffer(zoom);
  for (int r = 0; r < H; ++r) {
    i32 py = i32((oy + r) * g.picHeight / spanY);
    for (int c = 0; c < W; ++c) {
      i32 px = i32((ox + c) * g.picWidth / spanX);
      p[(H - 1 - r) * W + c] = Asm_SwapRedBlue(Bgp_GetPixel(px, py)) & 0xFFFFFF;
    }
  }
}

int Spr_ComposeCell(int zoom, i32 level, i32 y, i32 x, int hidden) {
  u32 code = Spr_CellCode(x, y, level);
  u32 edge = SPR_NO_COLOUR;
  if (code >= GFX_FIRST_PICTURE_CODE) {
    if (!Spr_IsSeeThrough(code, level)) Spr_FillBuffer(g_levelBg, zoom);
    Spr_DrawCellBackground(x, y, zoom);
    Spr_ComposeNeighbourEdges(zoom, level, y, x, hidden);
  } else {
    edge = Spr_ComposeTerrain(code, zoom, level, y, x, hidden);
  }
  int drew = 0;
  if (code != CELL_EMPTY) {
    const i32 state = (code < CELL_RESERVED_BIT && Cell_Shape(code) >= 96) ? Map_PieceStateAt(x, y, level, nullptr, code) : 0;
    drew = Spr_DrawCellLayer(code, state, 0, zoom, level, y, x, hidden, 4, 0, 0);
  }
  if (drew > 0 && Spr_PortalBit(code)) return Spr_PortalBit(code);
  Layer(code, zoom, level, y, x, hidden, 3, 0, 0);
  Spr_TerrainEdgeAbove(zoom, level, y, x, 1, edge);
  Spr_TerrainEdgeBelow(zoom, level, y, x, 1, edge);
  for (const LayerStep& s : kAboveLayer2) LayerOf(s, zoom, level, y, x, hidden);
  return 0;
}

void Spr_CompletePortal(int bit, int zoom, i32 level, i32 y, i32 x, int hidden) {
  if (bit & (4 | 8)) {
    Spr_TerrainEdgeBelow(zoom, level, y, x, 0, 0);
    LayerOf(LayerStep{0, 1, 1}, zoom, level, y, x, hidden);
    Spr_TerrainEdgeBelow(zoom, level, y, x, 1, SPR_NO_COLOUR);
  }
  if (bit & (1 | 2)) {
    Spr_TerrainEdgeAbove(zoom, level, y, x, 0, 0);
    LayerOf(LayerStep{0, -1, 3}, zoom, level, y, x, hidden);
    Spr_TerrainEdgeAbove(zoom, level, y, x, 1, SPR_NO_COLOUR);
  }
  for (const LayerStep& s : kAboveLayer2) LayerOf(s, zoom, level, y, x, hidden);
}

// The vehicles of the train standing in the cell below that reach up into
// this cell, unless the code they stand on hides them.
static void TrainsFromBelow(int zoom, i32 level, i32 y, i32 x) {
  if (y >= 32767 || level > 0 || level < -4) return;
  u32 raw = Grid_GetCell(x, y + 1, level);
  if (!Cell_IsTrainMarker(raw)) return;
  TrnCellImage img;
  u16 saved = Trn_CellVehicleImage(x, y + 1, level, &img, u16(raw));
  if (img.count > 0 && !Spr_HidesTrain(saved)) Spr_DrawTrainPartsFromBelow(&img, zoom);
}

void Spr_ComposeLayers(int zoom, i32 level, i32 y, i32 x, int hidden) {
  for (const LayerStep& s : kLayerOrder) {
    if (s.layer == kTrainsFromBelow) TrainsFromBelow(zoom, level, y, x);
    else LayerOf(s, zoom, level, y, x, hidden);
  }
  ORBA_CHECK(Spr_BuffersIntact());
}

// ---------------------------------------------------------------- shading

u32 Spr_LightingMode(i32 viewLevel, int overlayFlags) {
  if (viewLevel < 0) return (g_sprOptions.lighting & 2) ? 121 : 120;
  u32 m = (g_sprOptions.lighting & 1) ? Disp_GetDaylightPhase() : 0;
  if (m && (overlayFlags & SPR_OVL_BELOW)) m |= 24;
  return m;
}

u32 Map_ShadeColour(u32 c, u32 f) {
  u32 k = (c >> 28) & 7;
  if (k == 4 || f == 0) return c & ~0x7F000000u;
  if (k == 5 && (f & 8)) return ((c & 0x01000000u) ? 0xFC3014u : 0xFCFCA8u) | (c & 0x80000000u);
  if (k == 6) {
    // A window: its class in bits 24..25 (3 is never lit), its second lit
    // colour in bits 26..27.
    u32 cls = (c >> 24) & 3;
    if (cls < 3 && (f & (16u << cls))) return (((c >> 26) & 3) == 0 ? 0xB09000u : 0xA0AC9Cu) | (c & 0x80000000u);
  }
  if (!(f & 7)) return c & ~0x7F000000u;
  int r = int((c >> 16) & 255), g = int((c >> 8) & 255), b = int(c & 255);
  int m = (r + g + b) / 8;
  u32 flags = (k == 5 || k == 6) ? (c & 0x80000000u) : (c & 0xFF000000u);
  if (f & 1) return flags | u32(m) << 16 | u32(m) << 8 | u32(m);
  i32 p = 0, q = 1;
  Disp_GetDaylightProgress(&p, &q);
  if (q <= 0) q = 1;
  int ch[3] = {r, g, b};
  for (int& v : ch) {
    int d = (v - m) * p / q;
    v = (f & 2) ? m + d : v - d;
    if (v < 0) v = 0;
    if (v > 255) v = 255;
  }
  return flags | u32(ch[0]) << 16 | u32(ch[1]) << 8 | u32(ch[2]);
}

void Spr_ShadeRun(const CellPixel* src, u32* dst, int n, u32 mode) {
  if (mode == 0) {
    // No light: only markers and darkened colours change; a run without any
    // marked pixel (the common case) is a plain masked copy. Into another
    // buffer the copy is made in the same pass that looks for marks (the
    // source still holds them); in place the marks must be found first.
    u32 any = 0;
    if (src != dst) {
      for (int i = 0; i < n; ++i) {
        u32 c = src[i];
        any |= c;
        dst[i] = c & 0xFFFFFF;
      }
      if (!(any & 0x80000000u)) return;
    } else {
      for (int i = 0; i < n; ++i) any |= src[i];
      if (!(any & 0x80000000u)) {
        for (int i = 0; i < n; ++i) dst[i] = src[i] & 0xFFFFFF;
        return;
      }
    }
    for (int i = 0; i < n; ++i) {
      u32 c = src[i];
      if (!(c & 0x80000000u)) dst[i] = c & 0xFFFFFF;
      else if (c == SPR_TRANSPARENT || c == SPR_NO_COLOUR) dst[i] = g_levelBg;
      else if (c == SPR_DARKEN) dst[i] = 0;
      else dst[i] = Spr_Darken(c);
    }
    return;
  }
  u32 lastIn = 0xFFFFFFFFu, lastOut = 0;
  for (int i = 0; i < n; ++i) {
    u32 c = src[i];
    if (c == lastIn) {
      dst[i] = lastOut;
      continue;
    }
    u32 v;
    if (c == SPR_TRANSPARENT || c == SPR_NO_COLOUR) v = g_levelBg;  // nothing drawn: the ground
    else if (c == SPR_DARKEN) v = 0;
    else {
      v = Map_ShadeColour(c, mode);
      v = (v & 0x80000000u) ? Spr_Darken(v) : (v & 0xFFFFFF);
    }
    lastIn = c;
    lastOut = v;
    dst[i] = v;
  }
}

void Spr_ShadeBuffer(int zoom, i32 viewLevel, int overlayFlags) {
  CellPixel* p = Spr_Buffer(zoom);
  Spr_ShadeRun(p, p, Spr_BufferWidth(zoom) * Spr_BufferHeight(zoom), Spr_LightingMode(viewLevel, overlayFlags));
}

void Spr_ResolveMarkers(int zoom) {
  CellPixel* p = Spr_Buffer(zoom);
  int n = Spr_BufferWidth(zoom) * Spr_BufferHeight(zoom);
  for (int i = 0; i < n; ++i) {
    u32 c = p[i];
    if (c == SPR_TRANSPARENT || c == SPR_NO_COLOUR) p[i] = g_levelBg;
    else if (c == SPR_DARKEN) p[i] = 0;
    else p[i] = (c & 0x80000000u) ? Spr_Darken(c) : (c & 0xFFFFFF);
  }
}

// ---------------------------------------------------------------- clocks and smoke

int Spr_ClockSine(int i) {
  // round(256 sin(6 i)); at i = 14 this gives 255 (254.6 rounded), which
  // makes the hand at 84 degrees as long as its neighbours.
  static const int kSine[16] = {0, 27, 53, 79, 104, 128, 150, 171, 190, 207, 222, 234, 243, 250, 255, 256};
  return (i >= 0 && i < 16) ? kSine[i] : 0;
}

static int Sin60(int a) {  // 256 sin(6 a), a any index
  a = ((a % 60) + 60) % 60;
  if (a <= 15) return Spr_ClockSine(a);
  if (a <= 30) return Spr_ClockSine(30 - a);
  if (a <= 45) return -Spr_ClockSine(a - 30);
  return -Spr_ClockSine(60 - a);
}

void Spr_ClockHand(int angle, int radius, int flags, int* dx, int* dy) {
  int x = radius * Sin60(angle) / 256, y = radius * Sin60(angle + 15) / 256;
  if (flags & 16) y -= x / 2;
  if (flags & 32) y += x / 2;
  *dx = x;
  *dy = y;
}

void Spr_ClockText(int hour, int minute, int second, int flags, char* out) {
  int h = (flags & 2) ? hour : hour % 12;
  int n = 0;
  out[n++] = char('0' + h / 10 % 10);
  out[n++] = char('0' + h % 10);
  out[n++] = ':';
  out[n++] = char('0' + minute / 10 % 10);
  out[n++] = char('0' + minute % 10);
  if (flags & 8) {
    out[n++] = ':';
    out[n++] = char('0' + second / 10 % 10);
    out[n++] = char('0' + second % 10);
  }
  out[n] = 0;
}

// Digits 0-9 and the colon, 3 x 5, rows top first, bit 2 the left column.
// The colon sits in its first column: the digit after it starts one
// column on.
static const u8 kDigits[11][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
                                  {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
                                  {0, 4, 0, 4, 0}};

static void Line(int zoom, int x0, int y0, int x1, int y1, u32 c) {  // y from the top
  int dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y0 - y1 : y1 - y0;
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
  for (int guard = 0; guard < 1024; ++guard) {
    Spr_SetPixel(zoom, x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    int e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

void Spr_DrawClock(int zoom, int x, int y, int size, int flags, u32 colourA, u32 colourB) {
  const int H = Spr_BufferHeight(zoom);
  const int hour = g_simClock.hour, minute = g_simClock.minute, second = g_simClock.second;
  if (flags & 1) {
    char t[10];
    Spr_ClockText(hour, minute, second, flags, t);
    static const int pos[8] = {0, 3, 6, 7, 10, 13, 14, 17};
    const int d = (flags & 8) ? 20 : 13;
    // A glyph pixel grows with the box, so a clock of a larger zoom keeps
    // its digits together (a 13-pixel box gives single pixels).
    const int px = size / d > 1 ? size / d : 1;
    for (int k = 0; t[k]; ++k) {
      const int g = t[k] == ':' ? 10 : t[k] - '0';
      const int gx = x + size * pos[k] / d, top = H - 1 - (y + 5 * px - 1);
      for (int r = 0; r < 5 * px; ++r)
        for (int c = 0; c < 3 * px; ++c)
          if (kDigits[g][r / px] & (4 >> (c / px))) Spr_SetPixel(zoom, gx + c, top + r, colourA);
    }
    return;
  }
  const int cx = x + size / 2, cy = H - 1 - (y + size / 2), rad = (size + 1) / 2;
  const int showMinute = flags & 4, showSecond = flags & 8;
  const int hourAngle = (flags & 2) ? minute / 24 + hour * 5 / 2 : (hour % 12) * 5 + minute / 12;
  int dx, dy;
  Spr_ClockHand(hourAngle, (showMinute || showSecond) ? rad * 2 / 3 : rad, flags, &dx, &dy);
  Line(zoom, cx, cy, cx + dx, cy - dy, colourA);
  if (showMinute) {
    Spr_ClockHand(minute, rad, flags, &dx, &dy);
    Line(zoom, cx, cy, cx + dx, cy - dy, colourB);
  }
  if (showSecond) {
    Spr_ClockHand(second, rad, flags, &dx, &dy);
    Line(zoom, cx, cy, cx + dx, cy - dy, colourA);
  }
}

void Spr_DrawSmoke(int zoom, int x0, int y0, int width, int light, i32 seed) {
  Rnd_OwnNext(-seed);
  int n = zoom == 1 ? 2 * width : zoom == 2 ? 5 * width : 20 * width;
  int H = Spr_BufferHeight(zoom);
  for (int k = n - 1; k >= 0; --k) {
    int up = Rnd_OwnNext(k / 4 + (zoom == 1 ? 3 : 6)) + k / 8;
    int g = light ? 180 + Rnd_OwnNext(76) : 10 + Rnd_OwnNext(236);
    Spr_SetPixel(zoom, x0 + k / 2, H - 1 - (y0 + up), u32(g) * 0x010101u);
  }
}

void Spr_ComposeTrainCell(int zoom, i32 level, i32 y, i32 x, int hidden, const TrnCellImage* img) {
  int bit = Spr_ComposeCell(zoom, level, y, x, hidden);
  Spr_DrawTrainParts(img, zoom);
  if (bit) {
    // The portal covers the train standing in it.
    Layer(Spr_CellCode(x, y, level), zoom, level, y, x, hidden, 4, 0, 0);
    Spr_CompletePortal(bit, zoom, level, y, x, hidden);
  }
  ORBA_CHECK(Spr_BuffersIntact());
}

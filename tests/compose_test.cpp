// The cell compositor: pixel markers and the pixel-write rule, doubling,
// terrain classes, see-through and train-hiding codes, grid flags, shading,
// clocks, and whole cells composed into a view checked pixel by pixel.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/dwx.h"
#include "model/hst.h"
#include "model/tp.h"
#include "model/infp.h"
#include "model/lfst.h"
#include "model/prlb.h"
#include "model/logp.h"
#include "model/rngp.h"
#include "operation/clock.h"
#include "operation/pts.h"
#include "operation/trnlist.h"
#include "operation/trnquery.h"
#include "render/blit.h"
#include "render/cellin.h"
#include "render/terrain.h"
#include "render/daylight.h"
#include "render/preview.h"
#include "render/schem.h"
#include "render/sprview.h"
#include "render/vehicles.h"
#include "tests/render_fixture.h"
#include "tools/render/demo_layout.h"

namespace {

const u32 BG = 0x00123456;

TEST(ComposeRules, PixelWriteRule) {
  struct Case {
    u32 target, source, expect;
    const char* what;
  } cases[] = {
      {0x00AABBCC, 0x00112233, 0x00112233, "a colour replaces"},
      {0x80010000, 0x00112233, 0x00112233, "a colour replaces transparent"},
      {0x80010000, 0x80000000, 0x80000000, "darken over transparent stays a marker"},
      {0x00AABBCC, 0x80000000, 0x80AABBCC, "darken over a colour marks it"},
      {0x80AABBCC, 0x80000000, 0x80AABBCC, "darken twice is darken once"},
      {0x00AABBCC, 0x80000100, BG, "background marker takes the level's colour"},
      {0x00AABBCC, 0x80010000, 0x00AABBCC, "transparent leaves the target"},
      {0x00AABBCC, 0x80000001, 0x00AABBCC, "no-colour is never written"},
      {0x00AABBCC, 0x7F112233, 0x7F112233, "a lighting tag is part of the colour"},
  };
  for (const Case& c : cases) {
    u32 t = c.target;
    Spr_PutPixel(&t, c.source, BG);
    EXPECT_EQ(c.expect, t) << c.what;
  }
}

TEST(ComposeRules, DoublingCoversTwoByTwoAndMergesDarken) {
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_FillBuffer(0x00000505, 2);
  CellPixel* b1 = Spr_Buffer(1);
  b1[0] = 0x00ABCDEF;        // row 0 col 0
  b1[32 + 1] = SPR_DARKEN;   // row 1 col 1
  Spr_DoubleBuffer(1);
  CellPixel* b2 = Spr_Buffer(2);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) {
      EXPECT_EQ(0x00ABCDEFu, b2[r * 64 + c]);
      EXPECT_EQ(0x80000505u, b2[(2 + r) * 64 + 2 + c]) << "darken merged by the write rule";
    }
  EXPECT_EQ(0x00000505u, b2[4]) << "transparent source leaves the block";
}

TEST(ComposeRules, TerrainClassOfCodes) {
  struct Case {
    u32 code;
    int cls, variant, row;
  } cases[] = {
      {0, 1, 0, 1},        {3, 1, 0, 4},        {512, 1, 1, 1},      {1024, 2, 0, 1},     {2048 + 10, 3, 0, 7},
      {3072 + 14, 4, 0, 21}, {4096 + 16, 5, 0, 114}, {4608 + 40, 6, 0, 25}, {5120 + 512 - 1, 7, 0, 24},
      {5632, 8, 0, 1},     {7168 + 512, 9, 1, 1}, {8192, 10, 0, 1},    {9216 + 209, 11, 0, 2}, {10240 + 137, 12, 0, 2},
      {11264 + 272, 13, 0, 89}, {12288 + 300, 14, 0, 139}, {0x4000 + 5, 0, 0, 0}, {0xC000, 0, 0, 0},
      {4096 + 100, 5, 0, 3}, {4096 + 102, 5, 0, 4}, {4096 + 104, 5, 0, 2}, {4096 + 106, 5, 0, 1},
      {4096 + 0x4000 - 16384 + 168, 5, 0, 81},
  };
  for (const Case& c : cases) {
    int v = -1, row = -1;
    EXPECT_EQ(c.cls, Spr_TerrainClass(c.code, &v, &row, nullptr)) << c.code;
    EXPECT_EQ(c.variant, v) << c.code;
    EXPECT_EQ(c.row, row) << c.code;
  }
  int plain = -1;
  EXPECT_EQ(1 + 9, Spr_TerrainClass(480, nullptr, nullptr, &plain)) << "turnout ground rows add 9 to the class";
  EXPECT_EQ(1, plain);
}

TEST(ComposeRules, SeeThroughHidingAndPortals) {
  struct {
    u32 code;
    i32 level;
    int see;
  } see[] = {{0xC001, 0, 1}, {0xC002, -3, 1}, {0xC001, -4, 0}, {0xC000, 0, 0}, {0xC003, 0, 0}, {1, 0, 0}};
  for (auto& c : see) EXPECT_EQ(c.see, Spr_IsSeeThrough(c.code, c.level)) << c.code << " " << c.level;
  struct {
    u32 code;
    int hides;
  } hide[] = {{208, 1}, {210, 1}, {211, 0}, {232, 1}, {216, 1}, {221, 1}, {223, 1}, {217, 0}, {240, 1},
              {243, 1}, {241, 0}, {248, 1}, {250, 1}, {249, 0}, {4096 + 208, 1}, {32768 + 208, 0}, {0xC000, 0}};
  for (auto& c : hide) EXPECT_EQ(c.hides, Spr_HidesTrain(c.code)) << c.code;
  struct {
    u32 code;
    int bit;
  } portal[] = {{220, 8}, {251, 8}, {221, 1}, {250, 1}, {222, 4}, {242, 4}, {223, 2}, {243, 2}, {224, 0}, {16384 + 220, 0}};
  for (auto& c : portal) EXPECT_EQ(c.bit, Spr_PortalBit(c.code)) << c.code;
}

TEST(ComposeRules, GridAndBoxFlags) {
  g_sprGrid = SprGrid{1, 3, 2, 10, 8, 5, 4};
  g_sprBox = SprBox{1, 20, 30, 25, 34, -2, 0};
  struct {
    i32 x, y, level;
    int flags;
  } cases[] = {
      {3, 2, 0, 1 | 4},  {13, 6, 0, 1 | 8},  {8, 10, 0, 2 | 4}, {-7, 2, 0, 1 | 4}, {4, 3, 0, 0},
      {20, 31, 0, 16},   {26, 31, 0, 16},    {22, 30, 0, 32},   {22, 35, 0, 32},   {26, 30, 0, 16 | 64},
      {26, 35, 0, 64},   {22, 30, -3, 0},    {19, 31, 0, 0},
  };
  for (auto& c : cases) {
    g_sprGrid.on = c.level >= -2 ? 1 : 0;
    int f = Spr_GridFlags(c.x, c.y, c.level);
    if (c.x >= 19) f &= 16 | 32 | 64;  // box cases: the grid may add its own lines
    EXPECT_EQ(c.flags, f) << c.x << "," << c.y << "," << c.level;
  }
  g_sprGrid = SprGrid{};
  g_sprBox = SprBox{};
}

TEST(ComposeRules, ClockSineIsComputedNotCopied) {
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(int(std::lround(256.0 * std::sin(6.0 * i * 3.14159265358979 / 180.0))), Spr_ClockSine(i)) << i;
  // The listed 254 at 84 degrees is a misprint of round(254.6).
  EXPECT_EQ(255, Spr_ClockSine(14));
  int dx, dy;
  Spr_ClockHand(15, 100, 0, &dx, &dy);
  EXPECT_EQ(100, dx);
  EXPECT_EQ(0, dy);
  Spr_ClockHand(30, 100, 0, &dx, &dy);
  EXPECT_EQ(0, dx);
  EXPECT_EQ(-100, dy);
  Spr_ClockHand(14, 100, 0, &dx, &dy);
  EXPECT_EQ(99, dx);  // 100 * 255 / 256 toward zero
  Spr_ClockHand(10, 100, 16, &dx, &dy);
  EXPECT_EQ(86, dx);
  EXPECT_EQ(50 - 43, dy) << "flag 16 slants the dial by dx / 2";
}

TEST(ComposeRules, DigitalClockText) {
  struct {
    int h, m, s, flags;
    const char* text;
  } cases[] = {{13, 5, 9, 0, "01:05"}, {13, 5, 9, 2, "13:05"}, {13, 5, 9, 8, "01:05:09"}, {0, 0, 0, 10, "00:00:00"}};
  for (auto& c : cases) {
    char t[10];
    Spr_ClockText(c.h, c.m, c.s, c.flags, t);
    EXPECT_STREQ(c.text, t);
  }
}

// The simulated time for one test, put back afterwards.
struct ClockAt {
  SimClock saved = g_simClock;
  ClockAt(int h, int m, int sec) {
    g_simClock.hour = u8(h);
    g_simClock.minute = u8(m);
    g_simClock.second = u8(sec);
  }
  ~ClockAt() { g_simClock = saved; }
};

std::vector<u32> Buffer(int zoom) {
  const CellPixel* b = Spr_Buffer(zoom);
  return std::vector<u32>(b, b + Spr_BufferWidth(zoom) * Spr_BufferHeight(zoom));
}

// Pixel x, y (y from the bottom, the buffers' row order) of the zoom buffer.
u32 At(int zoom, int x, int y) { return Spr_Buffer(zoom)[y * Spr_BufferWidth(zoom) + x]; }

std::vector<u32> DigitalClock(int h, int m, int flags) {
  ClockAt t(h, m, 9);
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawClock(1, 2, 3, 13, flags, 0x00FFAA00, 0x000000FF);
  return Buffer(1);
}

TEST(ComposeRules, DigitalClockShowsTheSimulatedTimeOnTwelveOrTwentyFourHours) {
  Spr_SetLevel(0);
  EXPECT_EQ(DigitalClock(13, 5, 1), DigitalClock(1, 5, 1)) << "13:05 shows 01:05 without flag bit 1";
  EXPECT_NE(DigitalClock(13, 5, 3), DigitalClock(1, 5, 3)) << "and 13:05 with it";
  // The first glyph: "0" has its left column in the middle row, "1" not.
  DigitalClock(13, 5, 1);
  EXPECT_EQ(0x00FFAA00u, At(1, 2, 3 + 2));
  DigitalClock(13, 5, 3);
  EXPECT_EQ(SPR_TRANSPARENT, At(1, 2, 3 + 2));
  EXPECT_EQ(0x00FFAA00u, At(1, 3, 3 + 2));
  // The colon stands alone in its column, between the hour and minute digits.
  for (int r = 0; r < 5; ++r) EXPECT_EQ(r == 1 || r == 3 ? 0x00FFAA00u : SPR_TRANSPARENT, At(1, 2 + 6, 3 + r)) << r;
  // With seconds the glyphs stand on a grid of 20 columns: in a box of 20
  // the last digit of 13:05:09 ends at column 19.
  ClockAt t(13, 5, 9);
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawClock(1, 2, 3, 20, 1 | 8, 0x00FFAA00, 0x000000FF);
  int last = -1;
  for (int x = 0; x < 32; ++x)
    for (int y = 0; y < 16; ++y)
      if (At(1, x, y) != SPR_TRANSPARENT) last = x;
  EXPECT_EQ(2 + 19, last);
}

TEST(ComposeRules, ShadingDarkensMarkedPixelsAndBelowGroundIsFixed) {
  g_sprOptions.lighting = 0;
  Spr_SetLevel(0);
  Spr_FillBuffer(0x00646464, 1);
  CellPixel* b = Spr_Buffer(1);
  b[0] = SPR_DARKEN;
  b[1] = 0x80C86432;
  b[2] = 0x80100510;
  b[3] = SPR_TRANSPARENT;
  Spr_ShadeBuffer(1, 0, 0);
  EXPECT_EQ(0u, b[0]) << "a darken marker alone shows black";
  EXPECT_EQ(u32((0xC8 * 5 / 8) << 16 | (0x64 * 5 / 8) << 8 | (0x32 * 5 / 8)), b[1]) << "the hue is kept";
  EXPECT_EQ(u32((0x10 * 5 / 8) << 16 | (0x05 * 5 / 8) << 8 | (0x10 * 5 / 8)), b[2]) << "dark stays dark";
  EXPECT_EQ(Spr_LevelBackground(0), b[3]);
  EXPECT_EQ(0x00646464u, b[4]);
  EXPECT_EQ(120u, Spr_LightingMode(-1, 0));
  g_sprOptions.lighting = 2;
  EXPECT_EQ(121u, Spr_LightingMode(-2, 0));
  g_sprOptions.lighting = 0;
  EXPECT_EQ(0u, Spr_LightingMode(0, 16));
}

TEST(ComposeRules, ShadeColourByFlagKind) {
  EXPECT_EQ(0x00102030u, Map_ShadeColour(0x7F102030, 0)) << "mode 0 drops the tag";
  EXPECT_EQ(0x00FCFCA8u, Map_ShadeColour(0x50102030, 8)) << "lamp lit at night";
  EXPECT_EQ(0x80FC3014u, Map_ShadeColour(0xD1102030, 8)) << "red lamp keeps bit 31";
  u32 m = (0x60 + 0x30 + 0x18) / 8;
  EXPECT_EQ(m << 16 | m << 8 | m, Map_ShadeColour(0x00603018, 1)) << "night grey";
}

// ---------------------------------------------------------------- whole cells

struct ComposeCells : RenderStore {
  int window = 0;
  void OpenView(int scale, i32 level, i32 ox = 11, i32 oy = 11, i32 w = 640, i32 h = 320) {
    ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_PICTURE, scale, ox, oy, level, w, h));
  }
  // The back-buffer pixels of cell (x, y) in view 0, top row first.
  std::vector<u32> Cell(i32 x, i32 y) {
    const MapView& v = g_mapViews[0];
    int s = v.scale;
    std::vector<u32> out;
    for (int r = 0; r < 16 * s; ++r)
      for (int c = 0; c < 32 * s; ++c)
        out.push_back(Map_GetBackPixel(0, (x - v.originX) * 32 * s + c, (y - v.originY) * 16 * s + r));
    return out;
  }
};

TEST_F(ComposeCells, EmptyCellShowsTheLevelBackground) {
  struct {
    i32 level;
    int pal;
  } cases[] = {{0, 131}, {-1, 177}, {-4, 177}};
  for (auto& c : cases) {
    OpenView(1, c.level);
    Map_RedrawCell(12, 12, c.level, MAP_REDRAW_ALL);
    for (u32 p : Cell(12, 12)) ASSERT_EQ(Asm_SwapRedBlue(Pal_GetColour(c.pal)) & 0xFFFFFF, p) << c.level;
    Map_CloseView(0);
  }
}

TEST_F(ComposeCells, SeeThroughShowsTheLevelBelowAndOnlyBackgroundAtTheBottom) {
  Grid_SetCell(12, 12, -1, 4096);  // track on ballast below ground
  OpenView(1, -1);
  Map_RedrawCell(12, 12, -1, MAP_REDRAW_ALL);
  std::vector<u32> below = Cell(12, 12);
  Map_CloseView(0);
  Grid_SetCell(12, 12, 0, 0xC001);
  OpenView(1, 0);
  Map_RedrawCell(12, 12, 0, MAP_REDRAW_ALL);
  EXPECT_EQ(below, Cell(12, 12)) << "level 0 looks through to level -1 (lighting off)";
  Map_CloseView(0);
  Grid_SetCell(12, 12, -4, 0xC001);
  OpenView(1, -4);
  Map_RedrawCell(12, 12, -4, MAP_REDRAW_ALL);
  for (u32 p : Cell(12, 12)) ASSERT_EQ(Spr_LevelBackground(-4), p) << "nothing below level -4";
}

// A symbol's picture over the empty cell, checked against its own pixels by
// the write rule at each zoom the store has pictures of.
TEST_F(ComposeCells, SymbolPictureIsPlacedPixelByPixel) {
  u32 code = 0;
  const GfxSubPicture* sp = nullptr;
  for (u32 c = 0xC003; c < 0xD800 && !sp; ++c) {
    const GfxSubPicture* p = Gfx_GetSubPicture(c, 0, 1, 0);
    if (p && p->blocks[0][0].pixels && p->blocks[0][0].layer == 2 && !p->blocks[1][0].pixels &&
        i16(p->blocks[0][0].x) >= 0 && i16(p->blocks[0][0].y) >= 0 && p->blocks[0][0].x + p->blocks[0][0].width <= 32 &&
        p->blocks[0][0].y + p->blocks[0][0].height <= 16)
      code = c, sp = p;
  }
  ASSERT_NE(nullptr, sp) << "the picture files hold a symbol inside one cell";
  Grid_SetCell(12, 12, 0, CellCode(code));  // parity (even, even): sub-picture 1
  for (int scale : {1, 2, 4}) {
    OpenView(scale, 0);
    Map_RedrawCell(12, 12, 0, MAP_REDRAW_ALL);
    int dz = 0;
    const GfxBlock* b = Spr_ChooseBlock(sp, 0, scale, &dz);
    ASSERT_NE(nullptr, b);
    int f = scale / dz;  // drawn at dz, doubled up to the scale
    std::vector<u32> got = Cell(12, 12);
    u32 bg = Spr_LevelBackground(0);
    int W = 32 * scale, H = 16 * scale;
    for (int r = 0; r < H; ++r)
      for (int c = 0; c < W; ++c) {
        int pc = c / f - b->x, prFromBottom = (H - 1 - r) / f - b->y;
        u32 expect = bg;
        if (pc >= 0 && pc < b->width && prFromBottom >= 0 && prFromBottom < b->height) {
          u32 s = b->pixels[(b->height - 1 - prFromBottom) * b->width + pc];
          if (!(s & 0x80000000u)) expect = s & 0xFFFFFF;
          else if (s == SPR_DARKEN) expect = Spr_Darken(bg);
        }
        ASSERT_EQ(expect, got[r * W + c]) << "scale " << scale << " at " << c << "," << r;
      }
    Map_CloseView(0);
  }
}

TEST_F(ComposeCells, SameCellSameTextureOnEveryRedraw) {
  for (u32 code : {4096u, 5632u, 12288u + 1, 0u + 512}) {
    Grid_SetCell(12, 12, 0, CellCode(code));
    OpenView(2, 0);
    Map_RedrawCell(12, 12, 0, MAP_REDRAW_ALL);
    std::vector<u32> first = Cell(12, 12);
    Map_RedrawCell(13, 12, 0, MAP_REDRAW_ALL);
    Map_RedrawCell(12, 12, 0, MAP_REDRAW_ALL);
    EXPECT_EQ(first, Cell(12, 12)) << code;
    Map_CloseView(0);
  }
}

// A train standing across cells: its vehicles reach up into the cell above,
// unless the code they stand on hides them; then the cell above looks as
// if no train stood below.
TEST_F(ComposeCells, TrainReachingUpIsHiddenByTunnelCodes) {
  const VehicleId id = 40321u << 4;  // a steam locomotive of the standard sets, taller than half a cell
  ASSERT_EQ(0, Gfx_LoadVehicleSet(id, 0));
  const VehicleRecord* rec = Gfx_FindVehicleRecord(id);
  ASSERT_NE(nullptr, rec);
  ASSERT_GT(rec->a, 8u) << "the vehicle must stand out of its cell";
  const u32 ground = 4096, tunnel = 4096 + 208;
  ASSERT_TRUE(Spr_HidesTrain(tunnel));
  ASSERT_FALSE(Spr_HidesTrain(ground));
  for (i32 x = 10; x <= 20; ++x) Grid_SetCell(x, 13, 0, ground);
  for (int scale : {1, 2, 4}) {
    SCOPED_TRACE(scale);
    OpenView(scale, 0);
    auto above = [&] {
      Map_RedrawCell(13, 12, 0, MAP_REDRAW_ALL);
      return Cell(13, 12);
    };
    const std::vector<u32> plain = above();
    Grid_SetCell(13, 13, 0, tunnel);
    const std::vector<u32> plainTunnel = above();
    Grid_SetCell(13, 13, 0, ground);
    TrainRec* t = demo::PlaceTrain(14, 13, 0, 1, 0, 3, 1, id, 1);
    ASSERT_NE(nullptr, t);
    TrnCellImage img;
    Trn_CellVehicleImage(13, 13, 0, &img, Grid_GetCell(13, 13, 0));
    ASSERT_GE(img.count, 1);
    EXPECT_EQ(ground, img.saved);
    EXPECT_NE(plain, above()) << "the vehicle reaches up into the cell above";
    Trn_SetCellGraphic(13, 13, 0, tunnel, Grid_GetCell(13, 13, 0));
    EXPECT_EQ(plainTunnel, above()) << "the tunnel code hides it";
    Trn_SetCellGraphic(13, 13, 0, ground, Grid_GetCell(13, 13, 0));
    EXPECT_NE(plain, above()) << "and shows it again over the ground";
    TrnList_Clear();
    for (i32 x = 10; x <= 20; ++x) Grid_SetCell(x, 13, 0, ground);
    Map_CloseView(0);
  }
}

// Vehicles at zoom 2 and 4 come from their own pictures of that zoom
// (enlarging the zoom-1 picture loses their detail), from the section the
// direction names: crosswise the second side view, travelling up the top
// view whose front is on top, travelling down the one whose front is at the
// bottom, each with the end view below it. Every section of the picture
// takes its own tag colour in turn; the drawn pixels then show only the
// tags of the sections the direction names, where the real picture drew.
TEST_F(ComposeCells, VehicleIsDrawnFromThePictureOfItsZoom) {
  const VehicleId id = 40321u << 4;  // a steam locomotive of the standard sets
  ASSERT_EQ(0, Gfx_LoadVehicleSet(id, 0));
  const VehicleRecord* rec = Gfx_FindVehicleRecord(id);
  ASSERT_NE(nullptr, rec);
  ASSERT_GE(rec->length, 32u);
  Spr_SetLevel(0);
  const u32 tag = 0x00ABCD00u;  // | section
  auto tagOf = [&](u32 v) { return (v & 0xFFFFFF00u) == tag ? int(v & 0xFF) : -1; };
  // Paints the colours of a picture with the tags of its sections (or takes
  // them back from `keep`).
  auto paint = [&](VehiclePicture* pic, std::vector<u32>* keep) {
    if (keep->empty()) {
      keep->assign(pic->pixels, pic->pixels + pic->count);
      for (int s = 0; s < VEH_SECTIONS; ++s) {
        u32 size = 0;
        i64 off = Gfx_VehiclePictureSection(pic, s, &size);
        for (i64 i = off; off >= 0 && i < off + i64(size); ++i)
          if (!(pic->pixels[i] & 0x80000000u)) pic->pixels[i] = tag | u32(s);
      }
    } else {
      std::copy(keep->begin(), keep->end(), pic->pixels);
      keep->clear();
    }
  };
  for (int z : {2, 4}) {
    if (!Gfx_GetVehicleZoomData(id, z)) {
      ASSERT_EQ(0, Gfx_LoadVehicleSetZoom(id, z)) << z;
    }
    VehiclePicture* pic = const_cast<VehiclePicture*>(Gfx_GetVehicleZoomData(id, z));
    ASSERT_NE(nullptr, pic) << z;
    ASSERT_EQ(rec->length * u32(z), pic->length);
    VehiclePicture* pic1 = const_cast<VehiclePicture*>(&rec->zoom[0]);
    ASSERT_NE(pic1->pixels, pic->pixels);
    const int n = 512 * z * z;
    const i32 end = i32(rec->length) - 1;
    struct {
      u16 flags;
      i32 first, last;
      int front, rear;  // the sections drawn; the rear one must show when it differs
      const char* what;
    } cases[] = {{4, 0, 31, VEH_SIDE_2, VEH_SIDE_2, "crosswise"},
                 {1, 0, 31, VEH_TOP_1, VEH_TOP_1, "travelling up, its front"},
                 {1, end - 31, end, VEH_TOP_1, VEH_END_1, "travelling up, its rear"},
                 {2, 0, 31, VEH_TOP_2, VEH_END_2, "travelling down"}};
    for (auto& k : cases) {
      SCOPED_TRACE(::testing::Message() << k.what << " zoom " << z);
      TrnCellPart part = {id, k.flags, k.first, k.last, 0, rec->length};
      auto draw = [&] {
        Spr_FillBuffer(SPR_TRANSPARENT, z);
        Spr_DrawVehiclePart(&part, z, 0, 0, 0);
        return std::vector<u32>(Spr_Buffer(z), Spr_Buffer(z) + n);
      };
      const std::vector<u32> real = draw();
      std::vector<u32> keep;
      paint(pic1, &keep);
      EXPECT_EQ(real, draw()) << "the zoom-1 picture is not used";
      paint(pic1, &keep);
      paint(pic, &keep);
      const std::vector<u32> tagged = draw();
      paint(pic, &keep);
      int front = 0, rear = 0;
      for (int i = 0; i < n; ++i) {
        const int s = tagOf(tagged[i]);
        if (s < 0) {
          ASSERT_EQ(real[i], tagged[i]) << i;
          ASSERT_TRUE(real[i] == SPR_TRANSPARENT || (real[i] & 0x80000000u)) << "a colour from elsewhere at " << i;
          continue;
        }
        ASSERT_TRUE(s == k.front || s == k.rear) << "section " << s << " at " << i;
        ASSERT_FALSE(real[i] == SPR_TRANSPARENT) << "drawn where the picture draws nothing, at " << i;
        front += s == k.front;
        rear += s == k.rear && s != k.front;
      }
      EXPECT_GT(front, 0);
      if (k.rear != k.front) {
        EXPECT_GT(rear, 0) << "the end view below the top view";
      }
      EXPECT_EQ(real, draw()) << "the picture is back as it was";
    }
  }
}

// ---------------------------------------------------------------- smoke, clocks, marks

// The clock of a picture record: drawn at its layer where its box meets the
// window, its hands in the record's two colours, at every zoom.
TEST_F(ComposeCells, ClockHandsComeFromThePictureRecord) {
  const u32 code = 53248;  // an analog clock tower with hour and minute hands
  GfxEffects fx;
  ASSERT_EQ(1, Gfx_PictureEffects(Gfx_GetSubPicture(code, 0, 0, 0), &fx));
  ASSERT_TRUE(fx.clock);
  ASSERT_EQ(4, fx.clockFlags & 15) << "analog, minute hand";
  ASSERT_NE(fx.handA, fx.handB);
  Spr_SetLevel(0);
  ClockAt t(3, 0, 0);  // hour hand to the right, minute hand up
  const int dy = 16 * (fx.clockY[0] / 16);
  for (int zoom : {1, 2, 4}) {
    const int zi = zoom == 4 ? 2 : zoom == 2 ? 1 : 0, size = fx.clockSize[zi];
    ASSERT_GE(size, 4 * zoom);
    const int cx = fx.clockX[zi] + size / 2, cy = fx.clockY[zi] - dy * zoom + size / 2;
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawCellLayer(code, 0, 0, zoom, 0, 10, 10, 0, fx.clockLayer, dy, 0);
    EXPECT_EQ(fx.handA & 0xFFFFFF, At(zoom, cx + 1, cy) & 0xFFFFFF) << "hour hand, zoom " << zoom;
    EXPECT_EQ(fx.handB & 0xFFFFFF, At(zoom, cx, cy + 2) & 0xFFFFFF) << "minute hand, zoom " << zoom;
    // A window the box does not meet: no hand.
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawCellLayer(code, 0, 0, zoom, 0, 10, 10, 0, fx.clockLayer, dy + 16, 0);
    for (u32 p : Buffer(zoom)) ASSERT_NE(fx.handB & 0xFFFFFF, p & 0xFFFFFF) << "zoom " << zoom;
  }
}

// Chimney smoke: only with the record's smoke flags, in layer 2, where the
// smoke box meets the window; grey particles above the source, the same on
// every redraw.
TEST_F(ComposeCells, SmokeOnlyWhenTheRecordSaysAndItsBoxMeetsTheWindow) {
  const u32 code = 4096 + 137;  // a depot shed with a smoking chimney
  GfxSubPicture* sp = const_cast<GfxSubPicture*>(Gfx_GetSubPicture(code, 0, 0, 0));
  ASSERT_NE(nullptr, sp);
  GfxEffects fx;
  ASSERT_EQ(1, Gfx_PictureEffects(sp, &fx));
  ASSERT_TRUE(fx.smoke);
  Spr_SetLevel(0);
  const int dy = 16 * (fx.smokeY / 16);
  const u32 kind = sp->placeKind;
  auto draw = [&](int zoom, int layer, int wy, u32 placeKind) {
    sp->placeKind = placeKind;
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawCellLayer(code, 0, 0, zoom, 0, 20, 30, 0, layer, wy, 0);
    sp->placeKind = kind;
    return Buffer(zoom);
  };
  for (int zoom : {1, 2, 4}) {
    const std::vector<u32> with = draw(zoom, 2, dy, kind), without = draw(zoom, 2, dy, kind & ~3u);
    ASSERT_NE(with, without) << "zoom " << zoom;
    const int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
    for (int i = 0; i < W * H; ++i) {
      if (with[i] == without[i]) continue;
      const u32 p = with[i];
      EXPECT_TRUE((p & 255) == ((p >> 8) & 255) && (p & 255) == ((p >> 16) & 255)) << "a grey particle";
      const int x = i % W, yUp = i / W;
      EXPECT_GE(x, fx.smokeX * zoom);
      EXPECT_GE(yUp, (fx.smokeY - dy) * zoom) << "above the source";
    }
    EXPECT_EQ(with, draw(zoom, 2, dy, kind)) << "the same smoke again";
    EXPECT_EQ(draw(zoom, 3, dy, kind), draw(zoom, 3, dy, kind & ~3u)) << "layer 3 has no smoke";
    EXPECT_EQ(draw(zoom, 2, dy + 16, kind), draw(zoom, 2, dy + 16, kind & ~3u)) << "a window above the smoke";
  }
}

TEST_F(ComposeCells, OverlayFlagsFromTheStoresAndTheSwitches) {
  Info_Clear();
  Logp_Clear();
  ASSERT_EQ(0, Info_Set(5, 6, 0, 4));
  ASSERT_EQ(0, Info_SetText(5, 6, 0, u"abc"));
  ASSERT_EQ(0, Logp_Set(7, 6, 0, 255, u"L", LOGP_F_ENTER));
  ASSERT_EQ(0, Logp_Set(8, 6, 0, 255, u"M", LOGP_F_OFF));
  ASSERT_EQ(0, Logp_Set(9, 6, -1, 255, u"N", 0));
  ASSERT_EQ(0, Info_Set(9, 6, -1, 2));
  ASSERT_EQ(0, Info_SetText(9, 6, -1, u"x"));
  struct {
    i32 x, level;
    int info, log, flags;
  } cases[] = {
      {5, 0, 1, 1, SPR_OVL_INFO}, {5, 0, 0, 1, 0},           {7, 0, 1, 1, SPR_OVL_LOG1},
      {7, 0, 1, 0, 0},            {8, 0, 1, 1, SPR_OVL_LOG2}, {9, -1, 1, 1, SPR_OVL_INFO | SPR_OVL_LOG1},
      {9, -1, 0, 1, SPR_OVL_LOG1}, {9, 0, 1, 1, 0},          {6, 0, 1, 1, 0},
  };
  for (auto& c : cases) {
    g_sprOptions.infoMarks = c.info;
    g_sprOptions.logMarks = c.log;
    EXPECT_EQ(c.flags, Spr_OverlayFlags(c.x, 6, c.level)) << c.x << " " << c.level << " " << c.info << c.log;
  }
  EXPECT_EQ(0u, Info_GetLength(5, 6, -1));
  ASSERT_EQ(0, Info_SetText(5, 6, 0, u"   "));
  EXPECT_EQ(0u, Info_GetLength(5, 6, 0)) << "a blank text deletes the point";
  Info_Clear();
  Logp_Clear();
}

// The marks: pictures 0xC003..0xC005 in layer 3; with an info and a log mark
// on one cell the log mark 8 pixels higher, the info mark 8 lower; drawn
// before the grid lines, which lie over them.
TEST_F(ComposeCells, OverlayMarksMoveApartAndLieUnderTheGridLines) {
  Spr_SetLevel(0);
  auto marks = [](int flags) {
    Spr_FillBuffer(SPR_TRANSPARENT, 1);
    Spr_DrawOverlayMarks(flags, 1);
    return Buffer(1);
  };
  const std::vector<u32> info = marks(SPR_OVL_INFO), log1 = marks(SPR_OVL_LOG1), log2 = marks(SPR_OVL_LOG2),
                         both = marks(SPR_OVL_INFO | SPR_OVL_LOG1);
  const std::vector<u32> empty(32 * 16, SPR_TRANSPARENT);
  ASSERT_NE(empty, info);
  ASSERT_NE(empty, log1);
  ASSERT_NE(log1, log2) << "two kinds of log mark";
  // Rows from the bottom: the shifted pictures.
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 32; ++c) {
      u32 expect = SPR_TRANSPARENT;
      if (r + 8 < 16 && info[(r + 8) * 32 + c] != SPR_TRANSPARENT) expect = info[(r + 8) * 32 + c];
      if (r - 8 >= 0 && log1[(r - 8) * 32 + c] != SPR_TRANSPARENT) expect = log1[(r - 8) * 32 + c];
      ASSERT_EQ(expect, both[r * 32 + c]) << c << "," << r;
    }
  // The log mark, 8 higher, reaches the top row: the horizontal grid line
  // lies over it on every second pixel, the mark shows between.
  int checked = 0;
  const int top = 15 * 32;
  for (int c = 1; c < 32; c += 2)
    if (both[top + c] != SPR_TRANSPARENT && both[top + c - 1] != SPR_TRANSPARENT) {
      Spr_FillBuffer(0x00101010, 1);
      Spr_Transfer(1, -1, 0, 0, SPR_GRID_MAJOR_H, SPR_OVL_INFO | SPR_OVL_LOG1);
      EXPECT_EQ(Spr_Palette(51), Spr_Buffer(1)[top + c - 1]) << c - 1;
      EXPECT_EQ(both[top + c] & 0xFFFFFF, Spr_Buffer(1)[top + c]) << c;
      ++checked;
    }
  EXPECT_GT(checked, 0) << "the mark pictures reach the top row when moved up";
}

TEST(ComposeRules, PieceOwnersInTheirOrderAndTheStateOfAStop) {
  struct {
    u32 code;
    int owner;
  } cases[] = {
      {264, MAP_OWNER_STOP},         {4096 + 271, MAP_OWNER_STOP},   {0x4000 | 264, MAP_OWNER_STOP},
      {152, MAP_OWNER_TIMETABLE},    {192, MAP_OWNER_SHUNTING},      {200, MAP_OWNER_DWX},
      {176, MAP_OWNER_LFST},         {272, MAP_OWNER_TURNOUT},       {168, MAP_OWNER_BUFFER},
      {128, MAP_OWNER_SOUND},        {392, MAP_OWNER_SIGNAL10},      {400, MAP_OWNER_SIGNAL},
      {408, MAP_OWNER_SIGNAL},       {0x4000 | 416, MAP_OWNER_SIGNAL}, {471, MAP_OWNER_SIGNAL},
      {4096 + 0, MAP_OWNER_NONE},    {136, MAP_OWNER_NONE},          {0xC000, MAP_OWNER_NONE},
      {32767, MAP_OWNER_NONE},
  };
  for (auto& c : cases) EXPECT_EQ(c.owner, Map_PieceOwner(c.code)) << c.code;
  ASSERT_EQ(0, Grid_Init());
  Hst_Clear();
  ASSERT_EQ(0, Hst_Set(5, 6, 0, 0, nullptr, 0, nullptr, 3, 0, 1, 0, 1));
  int has = -1;
  EXPECT_EQ(3, Map_PieceStateAt(5, 6, 0, &has, 4096 + 264)) << "the stop answers";
  EXPECT_EQ(1, has);
  // A timetable shape asks the timetable points, not the stop: 2 without a
  // point there, else the cell's kind.
  EXPECT_EQ(2, Map_PieceStateAt(5, 6, 0, &has, 4096 + 152)) << "a timetable shape: not the stop";
  const PackedWeekTime noResets[6] = {0, 0, 0, 0, 0, 0};
  ASSERT_EQ(TP_OK, Tp_Create(5, 6, 0, 0, noResets, 0, 0, 7, 0xFF, 0, u"T"));
  EXPECT_EQ(7, Map_PieceStateAt(5, 6, 0, &has, 4096 + 152));
  Tp_Clear();
  EXPECT_EQ(0, Map_PieceStateAt(5, 6, 0, &has, 32767));
  EXPECT_EQ(0, has) << "codes from 32767 on have no state";
  EXPECT_EQ(0, Map_PieceStateAt(5, 6, 0, nullptr, 0xC000));
  Hst_Clear();
  // Turnout pieces whose every way is controlled belong to the turnout
  // controllers too; their state is the controller's display variant.
  EXPECT_EQ(MAP_OWNER_TURNOUT, Map_PieceOwner(12));
  EXPECT_EQ(MAP_OWNER_TURNOUT, Map_PieceOwner(48));
  Pts_FreeAll();
  EXPECT_EQ(0, Map_PieceStateAt(7, 6, 0, nullptr, 48)) << "no controller";
  ASSERT_EQ(0, Pts_SetById(7, 6, 0, 2, 4, 8, 16, 0, 1, PTS_KIND_BRANCH1, 0));
  EXPECT_EQ(2, Map_PieceStateAt(7, 6, 0, nullptr, 48));
  Pts_FreeAll();
  // Shunting, Dwx and LFST points answer with their kind or display style;
  // a flagged point shows 100 + the kind's parity while its option is off.
  ASSERT_EQ(0, Rp_Set(8, 6, 0, 3, 1, 31));
  ASSERT_EQ(0, Dwx_Set(9, 6, 0, 1, 1, u"D"));
  const u32 zero[10] = {};
  ASSERT_EQ(0, Lfst_Set(10, 6, 0, 0, nullptr, 5, 1, LFST_F_FLAGGED, zero, zero, zero));
  EXPECT_EQ(3, Map_PieceStateAt(8, 6, 0, nullptr, 192));
  EXPECT_EQ(1, Map_PieceStateAt(9, 6, 0, nullptr, 200));
  EXPECT_EQ(101, Map_PieceStateAt(10, 6, 0, nullptr, 176));
  EXPECT_EQ(0, Map_PieceStateAt(11, 6, 0, nullptr, 176)) << "no point";
  // A buffer stop shows its kind.
  Prell_Clear();
  ASSERT_EQ(0, Prell_Create(12, 6, 0, 30, 2));
  EXPECT_EQ(2, Map_PieceStateAt(12, 6, 0, nullptr, 168));
  EXPECT_EQ(0, Map_PieceStateAt(13, 6, 0, nullptr, 168)) << "no buffer stop";
  Prell_Clear();
  Rp_Clear();
  Dwx_Clear();
  Lfst_Clear();
}

// The entry points of each zoom do what the shared workers do for that zoom.
TEST(ComposeRules, NamedZoomEntryPointsMatchTheirWorkers) {
  for (int zoom : {1, 2, 4}) {
    const int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
    Spr_FillBuffer(BG, zoom);
    Spr_DrawGridLines(zoom, SPR_GRID_MAJOR_V | SPR_BOX_H | SPR_BOX_CORNER);
    std::vector<CellPixel> want(Spr_Buffer(zoom), Spr_Buffer(zoom) + W * H);
    Spr_FillBuffer(BG, zoom);
    if (zoom == 1) Spr_DrawGridZoom1(SPR_GRID_MAJOR_V | SPR_BOX_H | SPR_BOX_CORNER);
    if (zoom == 2) Spr_DrawGridZoom2(SPR_GRID_MAJOR_V | SPR_BOX_H | SPR_BOX_CORNER);
    if (zoom == 4) Spr_DrawGridZoom4(SPR_GRID_MAJOR_V | SPR_BOX_H | SPR_BOX_CORNER);
    EXPECT_EQ(want, std::vector<CellPixel>(Spr_Buffer(zoom), Spr_Buffer(zoom) + W * H)) << zoom;
  }
  // The top rows of the zoom-2 buffer (stored bottom row first), clipped.
  const int W = Spr_BufferWidth(2), H = Spr_BufferHeight(2);
  Spr_FillBuffer(BG, 2);
  Spr_FillTopRows(0x00FF00FF, 10, 3);
  EXPECT_EQ(0x00FF00FFu, Spr_Buffer(2)[(H - 1) * W + 9]) << "the top row";
  EXPECT_EQ(0x00FF00FFu, Spr_Buffer(2)[(H - 3) * W]);
  EXPECT_EQ(BG, Spr_Buffer(2)[(H - 4) * W]) << "row 4 stays";
  EXPECT_EQ(BG, Spr_Buffer(2)[(H - 1) * W + 10]) << "column 11 stays";
  Spr_FillTopRows(0x00AA00AA, 1000, 1000);
  EXPECT_EQ(0x00AA00AAu, Spr_Buffer(2)[0]) << "a fill larger than the buffer covers it and no more";
}

// A preview transfer enlarges the composition to the preview's scale;
// a zoom above the scale gives the preview nothing.
TEST(ComposeRules, TransfersOfEachZoomFillTheirPreview) {
  Spr_FillBuffer(0x00112233, 1);
  Spr_SetPixel(1, 0, 0, 0x00445566);  // the top-left pixel
  std::vector<u32> px(64 * 32, 7);
  SchBuf dc = {px.data(), 64, 32};
  Spr_TransferZoom1(&dc, 0, 0, 0, 0, MAP_TARGET_PREVIEW2);
  EXPECT_EQ(0x00445566u, px[0]);
  EXPECT_EQ(0x00445566u, px[1 * 64 + 1]) << "doubled";
  EXPECT_EQ(0x00112233u, px[2 * 64 + 2]);
  EXPECT_EQ(0x00112233u, px[31 * 64 + 63]);
  std::vector<u32> small(32 * 16, 7);
  SchBuf dc1 = {small.data(), 32, 16};
  Spr_FillBuffer(0x00112233, 2);
  Spr_TransferZoom2(&dc1, 0, 0, 0, 0, MAP_TARGET_PREVIEW1);
  EXPECT_EQ(std::vector<u32>(32 * 16, 7), small);
}

// A platform of several cells shows its departure board and digital clock
// once, where it begins (the top cell; the board stands high enough to
// reach into the cell above); the cells further on show the platform only.
TEST_F(ComposeCells, PlatformShowsOneClockWhereItBegins) {
  for (i32 y = 10; y <= 14; ++y) Grid_SetCell(12, y, 0, CellCode(263));  // class 1 ground: plain
  EXPECT_EQ(0, Spr_PlatformContinues(263, 12, 10, 0));
  EXPECT_EQ(1, Spr_PlatformContinues(263, 12, 11, 0));
  EXPECT_EQ(0, Spr_PlatformContinues(261, 12, 11, 0)) << "no clock to drop";
  const u32 digits = 0xFFB428, board = 0x1C2028;  // the clock's lit digits, the board's face
  for (int scale : {1, 2, 4}) {
    OpenView(scale, 0, 11, 8, 128 * scale, 128 * scale);
    for (i32 y = 8; y <= 15; ++y) Map_RedrawCell(12, y, 0, MAP_REDRAW_ALL);
    int cellsWithClock = 0, cellsWithBoard = 0;
    for (i32 y = 8; y <= 15; ++y) {
      int n = 0, b = 0;
      for (u32 p : Cell(12, y)) n += p == digits, b += p == board;
      cellsWithClock += n > 0;
      cellsWithBoard += b > 0;
    }
    EXPECT_EQ(1, cellsWithClock) << "scale " << scale;
    EXPECT_EQ(1, cellsWithBoard) << "one departure board, scale " << scale;
    EXPECT_EQ(Cell(12, 12), Cell(12, 13)) << "the cells further on look alike, scale " << scale;
    Map_CloseView(0);
  }
}

}  // namespace

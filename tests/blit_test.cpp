// Zoom blitters and picture placement: the zoom choice of a placement, the
// window test, clipped blits, doubling fallbacks, terrain pieces and the
// vehicle placements with their placeholders.
#include <vector>

#include "render/blit.h"
#include "render/terrain.h"
#include "render/vehicles.h"
#include "tests/render_fixture.h"

namespace {

struct Pic {
  std::vector<u32> px;
  GfxBlock b;
  Pic(int x, int y, int w, int h, u32 colour, int layer = 2) : px(size_t(w * h), colour) {
    b.pixels = px.data();
    b.layer = u16(layer);
    b.x = u16(x);
    b.y = u16(y);
    b.width = u16(w);
    b.height = u16(h);
  }
};

TEST(BlitRules, ZoomChoice) {
  std::vector<u32> px(4, 1);
  GfxSubPicture sp = {};
  struct {
    int has1, has2, has4, zoom, drawZoom;
  } cases[] = {
      {1, 1, 1, 1, 1}, {1, 1, 1, 2, 2}, {1, 1, 1, 4, 4}, {1, 1, 0, 4, 2}, {1, 0, 0, 4, 1},
      {1, 0, 1, 2, 1}, {1, 0, 0, 2, 1}, {0, 1, 1, 4, 0},
  };
  for (auto& c : cases) {
    sp.blocks[0][0].pixels = c.has1 ? px.data() : nullptr;
    sp.blocks[0][1].pixels = c.has2 ? px.data() : nullptr;
    sp.blocks[0][2].pixels = c.has4 ? px.data() : nullptr;
    int dz = 0;
    const GfxBlock* b = Spr_ChooseBlock(&sp, 0, c.zoom, &dz);
    if (!c.drawZoom) {
      EXPECT_EQ(nullptr, b) << "no zoom-1 picture ends the placements";
      continue;
    }
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(c.drawZoom, dz) << c.has1 << c.has2 << c.has4 << " zoom " << c.zoom;
    EXPECT_EQ(&sp.blocks[0][dz == 4 ? 2 : dz == 2 ? 1 : 0], b);
  }
  EXPECT_EQ(nullptr, Spr_ChooseBlock(&sp, 3, 1, nullptr));
}

TEST(BlitRules, PlacementWindow) {
  struct {
    int x, y, w, h, zoom, dx, dy, meets;
  } cases[] = {
      {0, 0, 32, 16, 1, 0, 0, 1},    {0, 16, 8, 8, 1, 0, 0, 0},   {0, 16, 8, 8, 1, 0, 16, 1},
      {0, 15, 8, 8, 1, 0, 16, 1},    {0, 0, 8, 15, 1, 0, 16, 0},  {-8, 0, 8, 8, 1, 0, 0, 0},
      {-8, 0, 9, 8, 1, 0, 0, 1},     {30, 0, 8, 8, 1, -32, 0, 0}, {0, 0, 8, 8, 1, 32, 0, 0},
      {40, 0, 8, 8, 1, 32, 0, 1},    {0, 95, 8, 1, 1, 0, 96, 0},  {0, 80, 8, 16, 1, 0, 96, 0},
      {0, 80, 8, 17, 1, 0, 96, 1},   {0, 190, 8, 4, 2, 0, 96, 1}, {0, 0, 0, 8, 1, 0, 0, 0},
  };
  for (auto& c : cases)
    EXPECT_EQ(c.meets, Spr_BoxMeetsWindow(c.x, c.y, c.w, c.h, c.zoom, c.dx, c.dy))
        << c.x << "," << c.y << " " << c.w << "x" << c.h << " z" << c.zoom << " d" << c.dx << "," << c.dy;
}

// A picture rising 6 cells is seen 6 cells up; one rising 7 is cut there.
TEST(BlitRules, ClippedBlitAndTallPictures) {
  Spr_SetLevel(0);
  Pic tall(-40, -20, 120, 112, 0x00112233);  // reaches outside on every side
  for (int zoom : {1, 2, 4}) {
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_BlitBlock(zoom, 0, 0, &tall.b);
    EXPECT_EQ(0x00112233u, Spr_Buffer(zoom)[0]);
  }
  Pic sixUp(0, 0, 8, 16 * 7, 0x00445566);
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_PlaceBlock(1, 1, 0, 16 * 6, &sixUp.b);
  EXPECT_EQ(0x00445566u, Spr_Buffer(1)[0]) << "the sixth row above";
  Pic sevenUp(0, 16 * 7, 8, 16, 0x00778899);
  EXPECT_FALSE(Spr_BoxMeetsWindow(0, 16 * 7, 8, 16, 1, 0, 16 * 6)) << "the compositor looks six rows down, no further";
}

TEST(BlitRules, SmallerZoomIsDoubled) {
  Spr_SetLevel(0);
  Pic p(2, 3, 4, 2, 0x00ABCDEF);
  Spr_FillBuffer(0x00000001, 4);
  Spr_PlaceBlock(4, 1, 0, 0, &p.b);
  CellPixel* b4 = Spr_Buffer(4);
  for (int r = 0; r < 64; ++r)
    for (int c = 0; c < 128; ++c) {
      bool in = c >= 8 && c < 24 && r >= 12 && r < 20;
      ASSERT_EQ(in ? 0x00ABCDEFu : 1u, b4[r * 128 + c]) << c << "," << r;
    }
}

TEST(BlitRules, UncachedVehicleLengthComesFromTheTrainEntry) {
  struct {
    u32 id, entry, length;
  } cases[] = {
      {0x40000000u | 48, 48, 48},
      {0x40000000u | 3, 3, 8},
      {0x40000000u | 70, 0, 70},
      {0x00123450u, 40, 40},   // a set not cached: the id's low bits are no length
      {0x00123450u, 0, 8},
      {0x00123450u, 5000, 256},
  };
  for (auto& c : cases) {
    TrnCellPart p = {};
    p.vehicle = c.id;
    p.length = c.entry;
    EXPECT_EQ(c.length, Spr_VehicleLength(&p)) << std::hex << c.id;
  }
}

TEST(BlitRules, PlaceholderVehicles) {
  Spr_SetLevel(0);
  TrnCellPart p = {};
  p.vehicle = 0x40000000u | 48;
  p.length = 48;
  p.flags = 4;
  p.first = 0;
  p.last = 31;
  p.start = 0;
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawVehiclePart(&p, 1, 0, 0, 0);
  CellPixel* b = Spr_Buffer(1);
  for (int c = 0; c < 32; ++c) {
    EXPECT_EQ((c & 1) ? 0xF0F0F0u : 0x00FF00u, b[8 * 32 + c]) << "crosswise: green, light at odd positions";
    EXPECT_EQ(SPR_TRANSPARENT, b[7 * 32 + c]) << "stands on row 8";
  }
  EXPECT_EQ(0x00FF00u, b[15 * 32]) << "eight rows up to the top";
  p.flags = 1;
  p.first = 0;
  p.last = 31;
  p.start = 0;
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawVehiclePart(&p, 1, 0, 0, 0);
  // Lengthwise: 16 rows for 32 pixels of length; columns 12..19.
  EXPECT_EQ(0x0000FFu, b[15 * 32 + 12]) << "front half blue";
  EXPECT_EQ(0xF0F0F0u, b[15 * 32 + 13]);
  EXPECT_EQ(0xFF0000u, b[0 * 32 + 12]) << "second half red";
  EXPECT_EQ(SPR_TRANSPARENT, b[15 * 32 + 11]);
  EXPECT_EQ(SPR_TRANSPARENT, b[15 * 32 + 20]);
  p.first = 50;  // past the length: nothing
  p.last = 60;
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawVehiclePart(&p, 1, 0, 0, 0);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(SPR_TRANSPARENT, b[i]);
}

struct BlitStore : RenderStore {};

TEST_F(BlitStore, TerrainPiecesFollowTheirMaskBits) {
  Spr_SetLevel(0);
  int piece = -1, set7 = 0;
  const u8* m = nullptr;
  for (int n = 0; n < 88 && !set7; ++n) {
    m = Spr_TerrainMask(n, 1);
    ASSERT_NE(nullptr, m);
    for (int i = 0; i < 128; ++i) set7 += (m[i] & 0x80) != 0;
    piece = n;
  }
  ASSERT_GT(set7, 0) << "some piece has ground pixels";
  for (int strip = 0; strip < 4; ++strip) {
    Spr_FillBuffer(SPR_TRANSPARENT, 1);
    Spr_BlitTerrainPiece(SPR_TP_SOLID, piece, strip, 0x00ABCDEF, 0, 0, 1);
    CellPixel* b = Spr_Buffer(1);
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 32; ++c) {
        bool in = c / 8 == strip && (m[r * 8 + c % 8] & 0x80);
        ASSERT_EQ(in ? 0x00ABCDEFu : SPR_TRANSPARENT, b[(15 - r) * 32 + c]) << strip << " " << c << "," << r;
      }
  }
  EXPECT_EQ(nullptr, Spr_TerrainMask(104, 1));
  EXPECT_EQ(nullptr, Spr_TerrainMask(-1, 2));
}

}  // namespace

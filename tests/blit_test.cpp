// Zoom blitters and picture placement: the zoom choice of a placement, the
// window test, clipped blits, doubling fallbacks, terrain pieces, the
// vehicle placements with their placeholders, the choice among normal,
// alternate, turned and long vehicle pictures, and the exhaust of vehicles.
#include <cstdlib>
#include <map>
#include <vector>

#include "platform/tim.h"
#include "render/blit.h"
#include "render/gfxfile.h"
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
  EXPECT_EQ(nullptr, Spr_TerrainMask(120, 1)) << "pieces end after the last grid glyph, 119";
  EXPECT_NE(nullptr, Spr_TerrainMask(119, 2));
  EXPECT_EQ(nullptr, Spr_TerrainMask(-1, 2));
}

// ---------------------------------------------------------------- vehicle pictures

// A picture block of the given sizes and flags whose pixel at index i of
// section k reads (k + 1) << 16 | i, so that every drawn pixel names its
// section and place.
struct CodedBlock {
  std::vector<u32> px;
  VehiclePicture pic;
  CodedBlock(u32 L, u32 A, u32 B, u32 C, u32 flags, int zoom = 1) {
    L *= u32(zoom), A *= u32(zoom), B *= u32(zoom), C *= u32(zoom);
    px.assign(GfxFile_VehiclePixelCount(L, A, B, C, flags), 0);
    for (int k = 0; k < VEH_SECTIONS; ++k) {
      u32 size = 0;
      i64 off = Gfx_VehicleSection(L, A, B, C, flags, k, &size);
      for (u32 i = 0; off >= 0 && i < size; ++i) px[size_t(off) + i] = u32(k + 1) << 16 | i;
    }
    pic = VehiclePicture{px.data(), u32(px.size()), u16(L), u16(A), u16(B), u16(C), flags};
  }
};
int SectionOf(u32 v) { return int(v >> 16) - 1; }
u32 IndexOf(u32 v) { return v & 0xFFFF; }

TEST(VehiclePictures, CrosswiseSideAndAlternate) {
  const u32 kBoth = GFX_VF_EXTRA_1 | GFX_VF_EXTRA_2;
  struct {
    int flags, alternate;
    u32 fileFlags;
    int section;
  } cases[] = {
      {4, 0, 0, VEH_SIDE_2},       {8, 0, 0, VEH_SIDE_1},          {32, 0, 0, VEH_SIDE_2},
      {16, 0, 0, VEH_SIDE_1},      {64, 0, 0, VEH_SIDE_2},         {128, 0, 0, VEH_SIDE_1},
      {4 | 0x8000, 0, 0, VEH_SIDE_1}, {8 | 0x8000, 0, 0, VEH_SIDE_2}, {128 | 0x8000, 0, 0, VEH_SIDE_2},
      {4, 1, 0, VEH_SIDE_2},       {4, 1, kBoth, VEH_SIDE_2_ALT},  {8, 1, kBoth, VEH_SIDE_1_ALT},
      {8 | 0x8000, 1, kBoth, VEH_SIDE_2_ALT},
      // Only the side that has an alternate shows it.
      {8, 1, GFX_VF_EXTRA_1, VEH_SIDE_1_ALT}, {4, 1, GFX_VF_EXTRA_1, VEH_SIDE_2},
      {8, 1, GFX_VF_EXTRA_2, VEH_SIDE_1},     {4, 1, GFX_VF_EXTRA_2 | GFX_VF_DOUBLE, VEH_SIDE_2_ALT},
      {4, 0, kBoth, VEH_SIDE_2},
  };
  for (auto& c : cases) {
    CodedBlock b(40, 10, 8, 6, c.fileFlags);
    EXPECT_EQ(c.section, Spr_CrosswiseSection(&b.pic, c.flags, c.alternate))
        << "flags " << c.flags << " alt " << c.alternate << " file " << std::hex << c.fileFlags;
  }
  // A block cut short has no alternate, whatever its flags say.
  CodedBlock b(40, 10, 8, 6, kBoth);
  b.pic.count -= 1;
  EXPECT_EQ(VEH_SIDE_2, Spr_CrosswiseSection(&b.pic, 4, 1));
  EXPECT_EQ(VEH_SIDE_1_ALT, Spr_CrosswiseSection(&b.pic, 8, 1));
}

TEST(VehiclePictures, LengthwisePairs) {
  const int T = 0x8000;
  struct {
    int flags;
    u16 recFlags;
    u32 fileFlags;
    int front, rear;
  } cases[] = {
      {1, 0, 0, VEH_TOP_1, VEH_END_1},
      {2, 0, 0, VEH_TOP_2, VEH_END_2},
      {1 | T, 0, 0, VEH_TOP_2, VEH_END_2},
      {2 | T, 0, 0, VEH_TOP_1, VEH_END_1},
      // Both directions from the first pair.
      {2, 32, 0, VEH_TOP_1, VEH_END_1},
      {1 | T, 32, 0, VEH_TOP_1, VEH_END_1},
      // Own end views of a turned vehicle.
      {1 | T, 64, GFX_VF_EXTRA_VIEWS, VEH_TOP_2, VEH_END_4},
      {2 | T, 64, GFX_VF_EXTRA_VIEWS, VEH_TOP_1, VEH_END_3},
      {1, 64, GFX_VF_EXTRA_VIEWS, VEH_TOP_1, VEH_END_1},
      {1 | T, 64, 0, VEH_TOP_2, VEH_END_2},  // the block has none: the plain pair
      // Long pictures: the rear half from the top view's second picture.
      {1, 128, GFX_VF_DOUBLE, VEH_TOP_1, VEH_TOP_1_LONG},
      {2, 128, GFX_VF_DOUBLE, VEH_TOP_2, VEH_TOP_2_LONG},
      {2 | T, 128 | 64, GFX_VF_DOUBLE | GFX_VF_EXTRA_VIEWS, VEH_TOP_1, VEH_TOP_1_LONG},
      {1, 128, 0, VEH_TOP_1, VEH_END_1},
  };
  for (auto& c : cases) {
    CodedBlock b(40, 10, 8, 6, c.fileFlags);
    VehicleRecord rec = {};
    rec.length = 40;
    rec.flags = c.recFlags;
    int front = -1, rear = -1;
    Spr_LengthwiseSections(&rec, &b.pic, c.flags, &front, &rear);
    EXPECT_EQ(c.front, front) << "flags " << c.flags << " record " << c.recFlags;
    EXPECT_EQ(c.rear, rear) << "flags " << c.flags << " record " << c.recFlags;
  }
}

// Vehicle set 777 in a file of its own, pixels coded as in CodedBlock:
// vehicle 0 (L 40, A 10, B 8, C 6) with alternate sides, long pictures and
// an exhaust source 3 pixels long at 3 from its front, height 4; vehicle 1
// plain with a source at height 12; vehicle 2 with own end views when
// turned. Vehicle 0 has zoom-2 pictures, none at zoom 4.
struct VehicleArt : ::testing::Test {
  static constexpr u32 kSet = 777u << 4;
  static void SetUpTestSuite() {
    Heap_Init();
    Fio_InitBuffers();
  }
  void SetUp() override {
    Test_MakeTempFolder();
    Gfx_EmptyVehicleSets();
    GfxVehicleSet s;
    memset(&s, 0, sizeof s);
    s.number = 777;
    s.count = 3;
    s.flags = 1;
    s.textNumber = 5600;
    const u32 flags[3] = {GFX_VF_EXTRA_1 | GFX_VF_EXTRA_2 | GFX_VF_DOUBLE, 0, GFX_VF_EXTRA_VIEWS};
    for (int i = 0; i < 3; ++i) {
      GfxVehicle& v = s.vehicles[i];
      v.index = u8(i);
      v.length = 40;
      v.a = 10;
      v.b = 8;
      v.c = 6;
      v.flags = flags[i];
      v.markerCount = 1;
      v.markers[0] = GfxVehicleMarker{3, u16(i == 1 ? 12 : 4), 3};
      blocks.emplace_back(40, 10, 8, 6, flags[i]);
      v.pixelCount = u32(blocks.back().px.size());
      v.pixels = blocks.back().px.data();
    }
    ASSERT_EQ(0, GfxFile_SaveVehicleFile(u"orba.fzg", FOLDER_PROGRAM, &s, 1, 0, GFX_FZG_CURRENT));
    blocks.emplace_back(40, 10, 8, 6, flags[0], 2);
    GfxVehicleZoom z;
    memset(&z, 0, sizeof z);
    z.id = kSet;
    z.zoom = 2;
    z.version = 901;
    z.flags = 2 | 4 | 8 | 16;
    z.length = 80;
    z.a = 20;
    z.b = 16;
    z.c = 12;
    z.pixelCount = u32(blocks.back().px.size());
    z.pixels = blocks.back().px.data();
    ASSERT_EQ(z.pixelCount, GfxFile_VehicleZoomPixelCount(&z, flags[0]));
    ASSERT_EQ(0, GfxFile_SaveVehicleZoomFile(u"orba.fz2", FOLDER_PROGRAM, 2, &z, 1));
    ASSERT_EQ(VEH_LOAD_OK, Gfx_LoadVehicleSet(kSet, 0));
    ASSERT_EQ(0, Gfx_LoadVehicleSetZoom(kSet, 2));
    ASSERT_NE(nullptr, Gfx_GetVehicleZoomData(kSet, 2));
    ASSERT_EQ(nullptr, Gfx_GetVehicleZoomData(kSet, 4));
    Spr_SetLevel(0);
  }
  void TearDown() override { Gfx_EmptyVehicleSets(); }
  static TrnCellPart Part(u32 index, int flags, int first, int last, int start) {
    TrnCellPart p = {};
    p.vehicle = kSet | index;
    p.flags = u16(flags);
    p.first = first;
    p.last = last;
    p.start = start;
    p.length = 40;
    return p;
  }
  static void Draw(const TrnCellPart& p, int zoom, int reachingUp = 0, int empty = 0, int alternate = 0) {
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawVehiclePart(&p, zoom, reachingUp, empty, alternate);
  }
  // Pixel at (x, y from the top) of the zoom buffer.
  static u32 At(int zoom, int x, int y) { return Spr_Buffer(zoom)[(16 * zoom - 1 - y) * 32 * zoom + x]; }
  std::vector<CodedBlock> blocks;
};

// Crosswise at zoom 1: columns from the start, the vehicle standing on row 8
// from the bottom; travelling right the range is mirrored within the length
// and the side picture shows as stored (its front at the right).
TEST_F(VehicleArt, CrosswisePlacementTable) {
  struct {
    int flags, first, last, start, alternate, empty;
    int section, col0, along0, step, bottomRow;
  } cases[] = {
      {4, 0, 31, 0, 0, 0, VEH_SIDE_2, 0, 0, 1, 8},
      {4, 10, 25, 5, 0, 0, VEH_SIDE_2, 5, 10, 1, 8},
      {8, 0, 31, 0, 0, 0, VEH_SIDE_1, 0, 39 - 31, 1, 8},  // picture column L-1-last first
      {8, 10, 25, 5, 0, 0, VEH_SIDE_1, 32 - 5 - 16, 39 - 25, 1, 8},
      {4, 0, 31, 0, 1, 0, VEH_SIDE_2_ALT, 0, 0, 1, 8},
      {8, 0, 31, 0, 1, 0, VEH_SIDE_1_ALT, 0, 8, 1, 8},
      {4, 0, 31, 0, 1, 1, VEH_SIDE_2, 0, 0, 1, 2},  // empty ground: low, no alternate
  };
  for (auto& c : cases) {
    Draw(Part(0, c.flags, c.first, c.last, c.start), 1, 0, c.empty, c.alternate);
    const int n = c.last - c.first + 1;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 32; ++x) {
        int k = x - c.col0, up = 15 - y - c.bottomRow;
        u32 v = At(1, x, y);
        if (k < 0 || k >= n || up < 0 || up >= 10) {
          ASSERT_EQ(SPR_TRANSPARENT, v) << "flags " << c.flags << " at " << x << "," << y;
          continue;
        }
        ASSERT_EQ(c.section, SectionOf(v)) << "flags " << c.flags << " at " << x << "," << y;
        ASSERT_EQ(u32((9 - up) * 40 + c.along0 + k * c.step), IndexOf(v))
            << "flags " << c.flags << " at " << x << "," << y;
      }
  }
}

// Diagonals: the vehicle's bottom row runs along the track, on row col/2
// from the bottom (rising) or 15 - col/2 (falling), one row every second
// column; the rows above it follow the picture.
TEST_F(VehicleArt, DiagonalPartsFollowTheTrack) {
  for (int flags : {64, 16}) {
    Draw(Part(1, flags, 0, 31, 0), 1);
    for (int x = 0; x < 32; ++x) {
      int bottom = flags == 64 ? x / 2 : 15 - x / 2;
      for (int up = 0; up < 10; ++up) {
        int row = bottom + up;  // from the bottom
        if (row > 15) break;
        u32 v = At(1, x, 15 - row);
        ASSERT_EQ(flags == 64 ? VEH_SIDE_2 : VEH_SIDE_1, SectionOf(v)) << flags << " at " << x << " up " << up;
        int column = flags == 64 ? x : 39 - (31 - x);  // falling travels right: mirrored
        ASSERT_EQ(u32((9 - up) * 40 + column), IndexOf(v)) << flags << " at " << x << " up " << up;
      }
      if (bottom > 0) {
        EXPECT_EQ(SPR_TRANSPARENT, At(1, x, 15 - (bottom - 1))) << "nothing under the track";
      }
    }
  }
}

// At zoom 2 and 4 a diagonal vehicle follows the track pixel by pixel: its
// bottom edge drops or rises one buffer row every second buffer column (no
// zoom-1 stairs of 8 x 4 pixels at zoom 4), whether the picture is the
// zoom's own or a smaller one scaled up.
TEST_F(VehicleArt, DiagonalsStepOnePixelAtEveryZoom) {
  for (u32 vehicle : {0u, 1u})
    for (int flags : {16, 64})
      for (int zoom : {2, 4}) {
        Draw(Part(vehicle, flags, 4, 35, 0), zoom);
        int previous = -1;
        for (int x = 0; x < 32 * zoom; ++x) {
          int bottom = -1;  // lowest drawn row, from the top
          for (int y = 16 * zoom - 1; y >= 0 && bottom < 0; --y)
            if (At(zoom, x, y) != SPR_TRANSPARENT) bottom = y;
          ASSERT_GE(bottom, 0) << "column " << x;
          // The track's own slope: row 15 - col/2 (falling) or col/2
          // (rising) at zoom 1, in buffer pixels here.
          int fromBottom = 8 * zoom + (flags == 16 ? 7 * zoom - x / 2 : x / 2 - 8 * zoom);
          if (fromBottom >= 0 && fromBottom < 16 * zoom) {
            EXPECT_EQ(16 * zoom - 1 - fromBottom, bottom) << flags << " zoom " << zoom << " column " << x;
          }
          if (previous >= 0) {
            ASSERT_LE(std::abs(bottom - previous), 1) << flags << " zoom " << zoom << " column " << x;
          }
          previous = bottom;
        }
      }
}

// A vehicle 10 rows high shows its top two rows in the cell above.
TEST_F(VehicleArt, CrosswiseReachingUpShowsTheTopRows) {
  Draw(Part(1, 4, 0, 31, 0), 1, 1);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      u32 v = At(1, x, y);
      if (y >= 14) {
        ASSERT_EQ(VEH_SIDE_2, SectionOf(v));
        ASSERT_EQ(u32((y - 14) * 40 + x), IndexOf(v)) << "picture row " << y - 14;
      } else {
        ASSERT_EQ(SPR_TRANSPARENT, v) << x << "," << y;
      }
    }
  // On the empty cell it stands low and nothing reaches up.
  TrnCellImage img = {};
  img.saved = 0xC000;
  img.count = 1;
  img.parts[0] = Part(1, 4, 0, 31, 0);
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawTrainPartsFromBelow(&img, 1);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(SPR_TRANSPARENT, Spr_Buffer(1)[i]);
}

// Lengthwise at zoom 1: row start/2 - e + k shows picture row first/2 + k
// (e = C = 6) while first/2 - e + k <= (last - 1)/2; rows below L/2 = 20
// come from the top view, the others from the rear half.
TEST_F(VehicleArt, LengthwisePlacementTable) {
  struct {
    u32 vehicle;
    int flags, first, last, start, reachingUp;
    int front, rear;
  } cases[] = {
      {1, 1, 0, 31, 0, 0, VEH_TOP_1, VEH_END_1},
      {1, 1, 8, 39, 0, 0, VEH_TOP_1, VEH_END_1},
      {1, 1, 20, 39, 4, 0, VEH_TOP_1, VEH_END_1},
      {1, 2, 0, 31, 0, 0, VEH_TOP_2, VEH_END_2},
      {1, 2, 24, 39, 12, 0, VEH_TOP_2, VEH_END_2},
      {0, 1, 8, 39, 0, 0, VEH_TOP_1, VEH_TOP_1_LONG},
      {0, 2, 0, 31, 0, 0, VEH_TOP_2, VEH_TOP_2_LONG},
      {2, 1 | 0x8000, 8, 39, 0, 0, VEH_TOP_2, VEH_END_4},
      {1, 1, 0, 31, 0, 1, VEH_TOP_1, VEH_END_1},  // the first e rows in the cell above
  };
  for (auto& c : cases) {
    Draw(Part(c.vehicle, c.flags, c.first, c.last, c.start), 1, c.reachingUp);
    int start = c.start, f0 = c.first, l0 = c.last;
    if (c.flags & 2) {
      start = 32 - c.start - (c.last - c.first + 1);
      f0 = 39 - c.last;
      l0 = 39 - c.first;
    }
    const int e = 6;
    std::map<int, int> rowOf;  // screen row -> picture row
    for (int k = 0; f0 / 2 - e + k <= (l0 - 1) / 2; ++k) rowOf[start / 2 - e + k + (c.reachingUp ? 16 : 0)] = f0 / 2 + k;
    int drawnRows = 0;
    for (int y = 0; y < 16; ++y) {
      auto it = rowOf.find(y);
      drawnRows += it != rowOf.end();
      for (int x = 0; x < 32; ++x) {
        u32 v = At(1, x, y);
        int across = x - 12;
        if (it == rowOf.end() || across < 0 || across >= 8) {
          ASSERT_EQ(SPR_TRANSPARENT, v) << c.flags << " at " << x << "," << y;
          continue;
        }
        int R = it->second;
        bool longRear = c.rear == VEH_TOP_1_LONG || c.rear == VEH_TOP_2_LONG;
        if (R < 20) {
          ASSERT_EQ(c.front, SectionOf(v)) << c.flags << " at " << x << "," << y;
          ASSERT_EQ(u32(across * 20 + R), IndexOf(v)) << "top views go column by column";
        } else {
          ASSERT_EQ(c.rear, SectionOf(v)) << c.flags << " at " << x << "," << y;
          ASSERT_EQ(u32(longRear ? across * 20 + (R - 20) : (R - 20) * 8 + across), IndexOf(v));
        }
      }
    }
    EXPECT_GT(drawnRows, 0) << c.flags << " " << c.first;
  }
}

// Zoom 2 comes from the zoom-2 picture; zoom 4 without its own picture is
// the zoom-2 picture doubled, the alternate and long pictures included.
TEST_F(VehicleArt, ZoomFourWithoutPicturesDoublesZoomTwo) {
  // (Diagonals are sheared per buffer pixel instead: see below.)
  for (auto& p : {Part(0, 8, 0, 31, 0), Part(0, 2, 0, 31, 0)})
    for (int alternate : {0, 1}) {
      Draw(p, 2, 0, 0, alternate);
      std::vector<u32> two(Spr_Buffer(2), Spr_Buffer(2) + 64 * 32);
      int drawn = 0;
      for (u32 v : two) drawn += v != SPR_TRANSPARENT;
      ASSERT_GT(drawn, 100);
      Draw(p, 4, 0, 0, alternate);
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
          ASSERT_EQ(two[size_t((31 - y / 2) * 64 + x / 2)], At(4, x, y)) << p.flags << " at " << x << "," << y;
    }
  // The zoom-2 picture of side 1's alternate, pixel for pixel: the part
  // 0..31 travelling right shows picture columns 16..79 (the range mirrored
  // within the length), the front's column 79 at the cell's right edge; the
  // vehicle's bottom picture row 19 on row 7 from the top (zoom-2 rows 14, 15).
  Draw(Part(0, 8, 0, 31, 0), 2, 0, 0, 1);
  u32 v = At(2, 63, 15);
  EXPECT_EQ(VEH_SIDE_1_ALT, SectionOf(v));
  EXPECT_EQ(u32(19 * 80 + 79), IndexOf(v));
  EXPECT_EQ(u32(19 * 80 + 16), IndexOf(At(2, 0, 15)));
  EXPECT_EQ(u32(4 * 80 + 16), IndexOf(At(2, 0, 0))) << "the top of the cell cuts picture rows 0..3";
}

// Exhaust particles replayed from the rules with the same generator: per
// source pixel in the part, two particles at zoom 1 in its column at rows
// base + rnd(3); four in each of the zoom's columns at zoom 2 and 4 at rows
// zoom * base + rnd(zoom == 2 ? 7 : 13); a grey of 10 + rnd(236) each.
struct Particle {
  int x, y;  // y from the top of the train's own cell, zoom pixels
  u32 v;
};
std::vector<Particle> Replay(i32 seed, int zoom, int position, int length, int height, int first, int last,
                             int start, int flags) {
  std::vector<Particle> out;
  Rnd_OwnNext(-seed);
  for (int k = 0; k < length; ++k) {
    int along = position + k;
    if (along < first || along > last) continue;
    int c = start + along - first;
    if (flags & (8 | 16 | 128)) c = 31 - c;
    int base = 2 - height + (k < 3 ? 3 - k : 0);
    if (flags & (16 | 32)) base += 8 - (31 - c) / 2;
    if (flags & (64 | 128)) base += 8 - c / 2;
    int columns = zoom, per = zoom == 1 ? 2 : 4, spread = zoom == 1 ? 3 : zoom == 2 ? 7 : 13;
    for (int i = 0; i < columns; ++i)
      for (int j = 0; j < per; ++j) {
        int y = zoom * base + Rnd_OwnNext(spread);
        u32 g = u32(10 + Rnd_OwnNext(236));
        out.push_back(Particle{zoom * c + i, y, g * 0x010101u});
      }
  }
  return out;
}

TEST_F(VehicleArt, ExhaustFollowsTheRulesInTheCellAndTheCellAbove) {
  struct {
    u32 vehicle;
    int flags, first, last, start, height;
  } cases[] = {
      {0, 4, 0, 31, 0, 4},  {0, 8, 0, 31, 0, 4},  {0, 4, 2, 33, 0, 4},   {0, 64, 0, 31, 0, 4},
      {0, 16, 0, 31, 0, 4}, {1, 4, 0, 31, 0, 12}, {1, 128, 0, 31, 0, 12}, {0, 4, 4, 20, 3, 4},
  };
  for (auto& c : cases)
    for (int zoom : {1, 2, 4}) {
      const int H = 16 * zoom, W = 32 * zoom;
      std::vector<Particle> want = Replay(12345, zoom, 3, 3, c.height, c.first, c.last, c.start, c.flags);
      for (int above : {0, 1}) {
        std::vector<u32> expect(size_t(W * H), SPR_TRANSPARENT);
        for (const Particle& p : want) {
          int y = p.y + (above ? H : 0);
          if (y >= 0 && y < H && p.x >= 0 && p.x < W) expect[size_t(y * W + p.x)] = p.v;
        }
        Spr_FillBuffer(SPR_TRANSPARENT, zoom);
        Spr_DrawVehicleSmoke(kSet | c.vehicle, c.flags, c.first, 12345, zoom, above, c.start, c.last);
        for (int y = 0; y < H; ++y)
          for (int x = 0; x < W; ++x)
            ASSERT_EQ(expect[size_t(y * W + x)], At(zoom, x, y))
                << "flags " << c.flags << " zoom " << zoom << (above ? " above" : " own") << " at " << x << "," << y;
      }
    }
}

TEST_F(VehicleArt, ExhaustCountsColoursAndSeeds) {
  // A source wholly inside the own cell (rising diagonal, low height): every
  // particle lands, so the distinct places bound the count from above.
  for (int zoom : {1, 2, 4}) {
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawVehicleSmoke(kSet, 64, 0, 99, zoom, 0, 0, 31);
    std::vector<u32> first(Spr_Buffer(zoom), Spr_Buffer(zoom) + 512 * zoom * zoom);
    int drawn = 0;
    for (u32 v : first) {
      if (v == SPR_TRANSPARENT) continue;
      ++drawn;
      u32 g = v & 255;
      ASSERT_EQ(g * 0x010101u, v) << "a grey";
      ASSERT_GE(g, 10u);
      ASSERT_LE(g, 245u);
    }
    const int particles = 3 * (zoom == 1 ? 2 : 4 * zoom);
    EXPECT_LE(drawn, particles) << zoom;
    EXPECT_GE(drawn, zoom == 1 ? 2 : particles / 4) << zoom;
    // The same seed draws the same particles, another seed others.
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawVehicleSmoke(kSet, 64, 0, 99, zoom, 0, 0, 31);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), Spr_Buffer(zoom)));
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawVehicleSmoke(kSet, 64, 0, 100, zoom, 0, 0, 31);
    EXPECT_FALSE(std::equal(first.begin(), first.end(), Spr_Buffer(zoom)));
  }
  // A negative seed still seeds: the same particles on every redraw.
  Rnd_OwnNext(-5);
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawVehicleSmoke(kSet, 64, 0, -77, 1, 0, 0, 31);
  std::vector<u32> a(Spr_Buffer(1), Spr_Buffer(1) + 512);
  Rnd_OwnNext(-6);
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawVehicleSmoke(kSet, 64, 0, -77, 1, 0, 0, 31);
  EXPECT_TRUE(std::equal(a.begin(), a.end(), Spr_Buffer(1)));
  // No exhaust outside the part, for lengthwise flags, or without a record.
  for (auto& p : {Part(0, 4, 10, 31, 0), Part(0, 1, 0, 31, 0)}) {
    Spr_FillBuffer(SPR_TRANSPARENT, 1);
    Spr_DrawVehicleSmoke(p.vehicle, p.flags, p.first, 1, 1, 0, p.start, p.last);
    for (int i = 0; i < 512; ++i) ASSERT_EQ(SPR_TRANSPARENT, Spr_Buffer(1)[i]) << p.flags;
  }
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawVehicleSmoke(VEH_LENGTH_BIT | 40, 4, 0, 1, 1, 0, 0, 31);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(SPR_TRANSPARENT, Spr_Buffer(1)[i]);
}

// Lengthwise exhaust rises above the chimney's place in columns 15 and 16:
// travelling up (front on top, source 3..5 at rows 1..2 of the vehicle)
// with a vehicle of height 4 whose source sits low in the cell.
TEST_F(VehicleArt, LengthwiseExhaustRisesAboveTheSource) {
  for (int zoom : {1, 2, 4}) {
    Spr_FillBuffer(SPR_TRANSPARENT, zoom);
    Spr_DrawVehicleSmokeLengthwise(kSet, 1, 0, 7, zoom, 0, 24, 7);
    int drawn = 0;
    for (int y = 0; y < 16 * zoom; ++y)
      for (int x = 0; x < 32 * zoom; ++x) {
        if (At(zoom, x, y) == SPR_TRANSPARENT) continue;
        ++drawn;
        EXPECT_TRUE(x / zoom == 15 || x / zoom == 16) << x;
        // The source's rows 13..14 less 5, its height 4 and the
        // rise of 3 - k, plus the spread.
        EXPECT_LE(y / zoom, 13 - 5 - 4 + 3 + 3) << "above the source's row";
      }
    EXPECT_GT(drawn, 0) << zoom;
  }
  Spr_FillBuffer(SPR_TRANSPARENT, 1);
  Spr_DrawVehicleSmokeLengthwise(kSet, 4, 0, 7, 1, 0, 0, 31);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(SPR_TRANSPARENT, Spr_Buffer(1)[i]) << "crosswise flags";
}

// In the train's cell the exhaust comes after every vehicle part and lies
// over them; without the smoke flag there is none. Reaching up from the cell
// below, the exhaust follows the parts too.
TEST_F(VehicleArt, TrainCellDrawsExhaustLast) {
  TrnCellImage img = {};
  img.saved = 4096;
  img.count = 2;
  img.seed = 4242;
  img.parts[0] = Part(1, 4, 0, 19, 0);
  img.parts[1] = Part(0, 4, 0, 11, 20);
  for (int zoom : {1, 2, 4}) {
    for (int above : {0, 1}) {
      img.smoke = 0;
      Spr_FillBuffer(SPR_TRANSPARENT, zoom);
      above ? Spr_DrawTrainPartsFromBelow(&img, zoom) : Spr_DrawTrainParts(&img, zoom);
      std::vector<u32> plain(Spr_Buffer(zoom), Spr_Buffer(zoom) + 512 * zoom * zoom);
      img.smoke = 1;
      Spr_FillBuffer(SPR_TRANSPARENT, zoom);
      above ? Spr_DrawTrainPartsFromBelow(&img, zoom) : Spr_DrawTrainParts(&img, zoom);
      // The expected picture: the parts, then both sources over them.
      std::vector<u32> expect = plain;
      const int H = 16 * zoom, W = 32 * zoom;
      for (int i = 0; i < 2; ++i) {
        const TrnCellPart& p = img.parts[i];
        for (const Particle& q : Replay(img.seed, zoom, 3, 3, p.vehicle == (kSet | 1) ? 12 : 4, p.first, p.last,
                                        p.start, p.flags)) {
          int y = q.y + (above ? H : 0);
          if (y >= 0 && y < H) expect[size_t((H - 1 - y) * W + q.x)] = q.v;
        }
      }
      int smoke = 0;
      for (size_t i = 0; i < expect.size(); ++i) {
        ASSERT_EQ(expect[i], Spr_Buffer(zoom)[i]) << "zoom " << zoom << " above " << above << " pixel " << i;
        smoke += expect[i] != plain[i];
      }
      EXPECT_GT(smoke, 0) << "zoom " << zoom << " above " << above;
    }
  }
}

// The guard rows around the composition buffers see a write just before or
// just after each buffer.
TEST(BlitRules, BufferGuardsSeeStrayWrites) {
  ASSERT_TRUE(Spr_BuffersIntact());
  for (int zoom : {1, 2, 4}) {
    CellPixel* b = Spr_Buffer(zoom);
    for (CellPixel* q : {b - 1, b + 512 * zoom * zoom}) {
      const CellPixel keep = *q;
      *q = 0;
      EXPECT_FALSE(Spr_BuffersIntact()) << "zoom " << zoom << (q < b ? " before" : " after");
      *q = keep;
    }
  }
  EXPECT_TRUE(Spr_BuffersIntact());
}

// Parts far outside the cell, ranges past the length, every flag and zoom:
// nothing is written outside the buffers, whose guard rows stay as they were.
TEST_F(VehicleArt, WildPartsStayInTheBuffers) {
  const int flags[] = {1, 2, 4, 8, 16, 32, 64, 128, 1 | 0x8000, 8 | 0x8000};
  const int ranges[][3] = {{-50, 500, -300}, {0, 39, 200}, {30, 10, 0}, {0, 39, -40}, {35, 80, 31}, {-5, 3, 29}};
  for (int zoom : {1, 2, 4})
    for (int f : flags)
      for (auto& r : ranges)
        for (u32 v : {0u, 1u, 2u})
          for (int up : {0, 1})
            for (int empty : {0, 1}) {
              TrnCellPart p = Part(v, f, r[0], r[1], r[2]);
              Spr_DrawVehiclePart(&p, zoom, up, empty, 1);
              Spr_DrawVehicleSmoke(p.vehicle, f, r[0], 1, zoom, up, r[2], r[1]);
              Spr_DrawVehicleSmokeLengthwise(p.vehicle, f, r[0], 1, zoom, up, r[2], r[1]);
              ASSERT_TRUE(Spr_BuffersIntact()) << "zoom " << zoom << " flags " << f << " range " << r[0] << ".."
                                               << r[1] << " at " << r[2] << " vehicle " << v << " up " << up
                                               << " empty " << empty;
            }
}

}  // namespace


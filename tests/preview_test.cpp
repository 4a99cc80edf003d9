// Previews of cell pictures and vehicles: picture heights, the rows and
// neighbour columns of a piece image at every scale checked pixel by pixel
// against a picture of known pixels, code normalisation, the background
// picture and display options around a preview, vehicle strips, lists and
// end views, padding, and clipping at the edges of the target buffer.
#include <cstring>
#include <vector>

#include "render/bgp.h"
#include "render/disp.h"
#include "render/preview.h"
#include "render/vehicles.h"
#include "tests/render_fixture.h"
#include "tools/render/demo_layout.h"

namespace {

const u32 kSentinel = 0xDEADBEEFu;
const u32 kCode = GFX_USER_FIRST_CODE + 5;  // a user graphic code the tests give a picture of their own
const VehicleId kVehicle = 40321u << 4;     // a vehicle of the standard sets

i32 FloorDiv(i32 a, i32 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

struct Block {
  int layer;
  i16 x, y, w, h;
};

struct Preview : RenderStore {
  // The picture of kCode: placements of blocks whose pixels are known.
  GfxSlot slot = {};
  GfxVariant variants[2] = {};
  GfxSubPicture sub, second;  // variant 0 and variant 1
  std::vector<std::vector<u32>> pixels;
  GfxSlot* saved = nullptr;
  i32 slotIndex = -1;

  static u32 PixelOf(int p, int c, int rTop) { return u32(0x00100000 * (p + 1) + 0x100 * (rTop + 1) + c + 1); }

  void SetUp() override {
    RenderStore::SetUp();
    Spr_SetLevel(0);
    slotIndex = Gfx_SlotOf(kCode, 0);
    ASSERT_GE(slotIndex, 0);
    saved = ElementGraphicsTable[slotIndex];
    std::memset(&sub, 0, sizeof sub);
    std::memset(&second, 0, sizeof second);
    variants[0].subCount = 1;
    variants[0].sub[0] = &sub;
    variants[1].subCount = 1;
    variants[1].sub[0] = &second;
    slot.variantCount = 1;
    slot.variants = variants;
    ElementGraphicsTable[slotIndex] = &slot;
  }
  void TearDown() override {
    ElementGraphicsTable[slotIndex] = saved;
    Bgp_Reset();
    Disp_ResetOptions();
    RenderStore::TearDown();
  }
  void SetPicture(const std::vector<Block>& blocks) {
    std::memset(&sub.blocks, 0, sizeof sub.blocks);
    pixels.clear();
    int p = 0;
    for (const Block& b : blocks) {
      pixels.emplace_back(size_t(b.w) * size_t(b.h));
      for (int r = 0; r < b.h; ++r)
        for (int c = 0; c < b.w; ++c) pixels.back()[size_t(r) * b.w + c] = PixelOf(p, c, r);
      sub.blocks[p][0] = GfxBlock{pixels.back().data(), u16(b.layer), u16(b.x), u16(b.y), u16(b.w), u16(b.h)};
      ++p;
    }
  }
};

// ---------------------------------------------------------------- heights

TEST_F(Preview, HeightFollowsTheRowsThePictureDrawsInto) {
  struct {
    Block b;
    i32 height;
    const char* what;
  } cases[] = {
      {{2, 0, 0, 32, 16}, 16, "inside its cell"},
      {{2, 0, 0, 32, 17}, 32, "one pixel into the row above"},
      {{1, 0, 16, 32, 4}, 32, "layer 1 one row up"},
      {{1, 0, 0, 32, 16}, 16, "layer 1 in its own cell counts for nothing"},
      {{3, 0, 0, 32, 40}, 48, "layer 3 two rows up"},
      {{3, 0, 16, 32, 16}, 32, "only in the row above"},
      {{2, 0, 0, 32, 112}, 112, "six rows up"},
      {{2, 0, 0, 32, 200}, 112, "no more than six rows up"},
      {{5, 0, 0, 32, 40}, 16, "layer 5 raises nothing"},
      {{4, 0, 0, 32, 40}, 16, "layer 4 raises nothing"},
      {{2, 40, 0, 10, 40}, 16, "beside the column"},
      {{2, 0, 32, 32, 16}, 16, "a gap row ends the count"},
      {{2, 0, -4, 32, 20}, -32, "overhang into the row below"},
      {{3, 0, -4, 32, 30}, -48, "overhang and one row up"},
      {{5, 0, -16, 32, 4}, -32, "layer 5 overhanging"},
      {{1, 0, -16, 32, 4}, 16, "layer 1 never overhangs"},
  };
  for (auto& c : cases) {
    SetPicture({c.b});
    EXPECT_EQ(c.height, Map_PieceImageHeight(kCode, 0)) << c.what;
  }
  EXPECT_EQ(16, Map_PieceImageHeight(0xC000, 0));
  EXPECT_EQ(16, Map_PieceImageHeight(kCode + 0x10000, 0)) << "codes above 65535 are the empty cell";
}

TEST_F(Preview, HeightLeavesTheCompositionBufferAlone) {
  SetPicture({{2, 0, 0, 32, 40}});
  Spr_FillBuffer(0x00123456, 1);
  Map_PieceImageHeight(kCode, 0);
  for (int i = 0; i < 32 * 16; ++i) ASSERT_EQ(0x00123456u, Spr_Buffer(1)[i]);
}

// ---------------------------------------------------------------- piece images

// Every pixel of a piece image against the picture's own pixels by the
// write rule: the rows above, the overhang row below and the neighbour
// columns, at each scale (scale 8 is zoom 4 enlarged twice), darken
// markers resolved and nothing shaded.
TEST_F(Preview, PieceImagePixelsComeFromThePicture) {
  struct {
    std::vector<Block> blocks;  // in drawing order (layer 2, then 5)
    int neighbours;
    int rowsUp, rowsDown;
  } cases[] = {
      {{{2, 4, 0, 8, 40}, {5, 4, 0, 3, 1}}, 0, 2, 0},
      {{{2, -8, -4, 48, 30}}, 1, 1, 1},
  };
  g_sprOptions.lighting = 1;  // a view would shade; a preview does not
  const u32 bg = Spr_LevelBackground(0);
  for (auto& k : cases) {
    SetPicture(k.blocks);
    const std::vector<Block>& blocks = k.blocks;
    pixels[0][6] = SPR_DARKEN;            // darkens the ground
    pixels[0][7] = SPR_TRANSPARENT;       // leaves it
    if (blocks.size() > 1) {
      pixels[1][0] = SPR_DARKEN;          // darkens the picture under it
      pixels[1][1] = SPR_BACKGROUND;      // takes the level's colour
      pixels[1][2] = 0x80405060u;         // a marked colour is never written
    }
    // The zoom-1 pixel at column c, row b from the bottom of the own cell.
    auto expect = [&](i32 c, i32 b) {
      u32 v = bg;
      for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& q = blocks[i];
        i32 pc = c - q.x, pr = b - q.y;
        if (pc >= 0 && pc < q.w && pr >= 0 && pr < q.h)
          Spr_PutPixel(&v, pixels[i][size_t(q.h - 1 - pr) * q.w + pc], bg);
      }
      return v == SPR_DARKEN ? 0u : (v & 0x80000000u) ? Spr_Darken(v) : v;
    };
    for (int si = 0; si < 4; ++si) {
      const i32 s = 1 << si, cw = 32 * s, ch = 16 * s;
      const i32 X = 3, Y = 2 * ch + 5;
      const i32 W = X + 3 * cw + 7, H = Y + 2 * ch + 9;
      std::vector<u32> px(size_t(W) * H, kSentinel);
      SchBuf dc = {px.data(), W, H};
      Map_DrawPieceImage(&dc, X, Y, k.neighbours, si, 0, kCode);
      const i32 ownX = k.neighbours ? X + cw : X;
      const i32 right = k.neighbours ? X + 3 * cw : X + cw;
      const i32 top = Y - k.rowsUp * ch, bottom = Y + ch + k.rowsDown * ch;
      for (i32 sy = 0; sy < H; ++sy)
        for (i32 sx = 0; sx < W; ++sx) {
          u32 got = px[size_t(sy) * W + sx];
          if (sx < X || sx >= right || sy < top || sy >= bottom) {
            ASSERT_EQ(kSentinel, got) << "scale " << s << " at " << sx << "," << sy;
            continue;
          }
          ASSERT_EQ(expect(FloorDiv(sx - ownX, s), FloorDiv(Y + ch - 1 - sy, s)), got)
              << "scale " << s << " at " << sx << "," << sy;
        }
    }
  }
}

// A symbol's preview shows the variant it is asked for; a variant the
// graphic does not have shows the first.
TEST_F(Preview, SymbolVariantChoosesThePicture) {
  SetPicture({{2, 0, 0, 32, 16}});
  std::vector<u32> first = pixels[0];
  for (u32& v : first) v = 0x00112233;
  std::vector<u32> other(first.size(), 0x00445566);
  sub.blocks[0][0].pixels = first.data();
  second = sub;
  second.blocks[0][0].pixels = other.data();
  slot.variantCount = 2;
  struct {
    i32 variant;
    u32 colour;
  } cases[] = {{0, 0x00112233}, {1, 0x00445566}, {2, 0x00112233}, {99, 0x00112233}};
  for (auto& c : cases) {
    std::vector<u32> px(32 * 16, kSentinel);
    SchBuf dc = {px.data(), 32, 16};
    Map_DrawCellPreview(&dc, 0, 0, MAP_TARGET_PREVIEW1, kCode, c.variant, 0);
    for (u32 v : px) ASSERT_EQ(c.colour, v) << "variant " << c.variant;
    Map_DrawPieceImage(&dc, 0, 0, 0, 0, c.variant, kCode);
    for (u32 v : px) ASSERT_EQ(c.colour, v) << "piece image, variant " << c.variant;
  }
}

TEST_F(Preview, ScaleIndexOutsideTheFourScalesDrawsNothing) {
  SetPicture({{2, 0, 0, 32, 16}});
  std::vector<u32> px(300 * 300, kSentinel);
  SchBuf dc = {px.data(), 300, 300};
  for (int si : {-1, 4, 9, -100}) {
    Map_DrawPieceImage(&dc, 10, 100, 1, si, 0, kCode);
    Map_DrawPieceImage(&dc, 10, 100, 0, si, 0, 0xC000);
  }
  Map_DrawCellPreview(&dc, 10, 10, 5, kCode, 0, 0);  // a view's number is no preview target
  Map_DrawCellPreview(&dc, 10, 10, 10, kCode, 0, 0);
  for (u32 v : px) ASSERT_EQ(kSentinel, v);
}

// A see-through code, a code above 65535 and the empty cell all show the
// empty cell; bit 14 of a cell code is dropped.
TEST_F(Preview, CellPreviewNormalisesItsCode) {
  auto draw = [](u32 code) {
    std::vector<u32> px(64 * 32, kSentinel);
    SchBuf dc = {px.data(), 64, 32};
    Map_DrawCellPreview(&dc, 0, 0, MAP_TARGET_PREVIEW2, code, 0, 0);
    return px;
  };
  std::vector<u32> empty = draw(0xC000);
  for (u32 v : empty) ASSERT_EQ(Spr_LevelBackground(0), v);
  EXPECT_EQ(empty, draw(0xC001));
  EXPECT_EQ(empty, draw(0xC002));
  EXPECT_EQ(empty, draw(0x1C000));
  EXPECT_EQ(draw(4096 + 1), draw(0x4000 | (4096 + 1)));
  EXPECT_NE(empty, draw(4096 + 1)) << "a track code draws its ground";
}

// ---------------------------------------------------------------- what a preview leaves as it was

std::vector<u8> OnePixelBmp(u32 rgb) {
  std::vector<u8> b = {'B', 'M'};
  Test_Put32(b, 58);
  Test_Put32(b, 0);
  Test_Put32(b, 54);
  Test_Put32(b, 40);
  Test_Put32(b, 1);
  Test_Put32(b, 1);
  Test_Put16(b, 1);
  Test_Put16(b, 24);
  for (int i = 0; i < 6; ++i) Test_Put32(b, 0);
  b.insert(b.end(), {u8(rgb), u8(rgb >> 8), u8(rgb >> 16), 0});
  return b;
}

// The background picture covers every cell, even those a preview is
// composed at; a view's cell shows it, a preview never does, and the
// picture is shown again afterwards.
TEST_F(Preview, BackgroundPictureNeverShowsInAPreview) {
  std::vector<u8> bmp = OnePixelBmp(0x00A0B0C0);
  ASSERT_EQ(0, Bgp_LoadPictureMemory(bmp.data(), u32(bmp.size())));
  ASSERT_EQ(0, Bgp_SetArea(0, 0, 100000, 100000));
  ASSERT_EQ(0, Bgp_SetMode(1));
  Spr_FillBuffer(0, 1);
  Spr_DrawCellBackground(32768, 32768, 1);
  const u32 picture = Spr_Buffer(1)[0];
  ASSERT_NE(0u, picture) << "the picture lies under the cells a preview uses";
  SetPicture({{2, 0, 0, 8, 8}});
  std::vector<u32> px(256 * 256, kSentinel);
  SchBuf dc = {px.data(), 256, 256};
  Map_DrawPieceImage(&dc, 0, 64, 1, 1, 0, kCode);
  Map_DrawCellPreview(&dc, 0, 100, MAP_TARGET_PREVIEW1, 0xC000, 0, 0);
  Map_DrawCellPreview(&dc, 40, 100, MAP_TARGET_PREVIEW1, 5632, 0, 0);  // a ground with the common start
  Map_DrawVehicleImage(&dc, 0, 140, MAP_VEH_RIGHT, kVehicle, 1, 3);
  for (u32 v : px) ASSERT_NE(picture, v);
  EXPECT_EQ(1, Bgp_GetMode());
}

TEST_F(Preview, DisplayOptionsAreForcedWhileDrawingAndRestored) {
  // Water shows its second colour only with FwH2O on; the preview shows it
  // whatever the option says.
  const u32 water = 7168 + 1;
  std::vector<u32> on(32 * 16), off(32 * 16, kSentinel);
  SchBuf a = {on.data(), 32, 16}, b = {off.data(), 32, 16};
  g_sprOptions.fwH2O = 1;
  Map_DrawPieceImage(&a, 0, 0, 0, 0, 0, water);
  for (i32 opt : {0, 1}) {
    g_sprOptions.fwH2O = opt;
    g_sprOptions.fwBus = opt;
    Disp_SetOptH(opt);
    Disp_SetOptLwx(opt);
    Map_DrawPieceImage(&b, 0, 0, 1, 0, 0, water);
    Map_PieceImageHeight(water, 0);
    EXPECT_EQ(opt, g_sprOptions.fwH2O);
    EXPECT_EQ(opt, g_sprOptions.fwBus);
    EXPECT_EQ(opt, Disp_GetOptH());
    EXPECT_EQ(opt, Disp_GetOptLwx());
  }
  g_sprOptions.fwH2O = 0;
  Map_DrawPieceImage(&b, 0, 0, 0, 0, 0, water);
  EXPECT_EQ(on, off);
  std::vector<u32> plain(32 * 16);
  SchBuf c = {plain.data(), 32, 16};
  Map_DrawCellPreview(&c, 0, 0, MAP_TARGET_PREVIEW1, water, 0, 0);  // forces nothing
  EXPECT_NE(on, plain) << "the option shows in this picture";
}

// ---------------------------------------------------------------- vehicles

struct VehiclePreview : Preview {
  const VehicleRecord* rec = nullptr;
  void SetUp() override {
    Preview::SetUp();
    ASSERT_EQ(0, Gfx_LoadVehicleSet(kVehicle, 0));
    rec = Gfx_FindVehicleRecord(kVehicle);
    ASSERT_NE(nullptr, rec);
  }
  // Columns of a strip image that hold anything but the empty ground.
  static void DrawnColumns(const std::vector<u32>& px, i32 W, i32 H, i32* first, i32* last) {
    *first = W;
    *last = -1;
    for (i32 y = 0; y < H; ++y)
      for (i32 x = 0; x < W; ++x)
        if (px[size_t(y) * W + x] != Spr_LevelBackground(0) && px[size_t(y) * W + x] != kSentinel) {
          if (x < *first) *first = x;
          if (x > *last) *last = x;
        }
  }
};

// Facing right the vehicle starts at the strip's left end, facing left it
// ends at the right end of its cells; both stand on row 2 of the empty
// cell, and the cells up to `cells` are padded with the empty cell.
TEST_F(VehiclePreview, StripsFaceTheirWayAndArePadded) {
  const i32 L = i32(rec->length), n = (L + 31) / 32;
  for (int s : {1, 2})
    for (u32 dir : {MAP_VEH_RIGHT, MAP_VEH_LEFT}) {
      const i32 cells = n + 2, W = 32 * s * (cells + 1), H = 16 * s;
      std::vector<u32> px(size_t(W) * H, kSentinel);
      SchBuf dc = {px.data(), W, H};
      EXPECT_EQ(u32(L), Map_DrawVehicleImage(&dc, 0, 0, dir, kVehicle, s, cells));
      for (i32 y = 0; y < H; ++y)
        for (i32 x = 0; x < W; ++x) {
          u32 v = px[size_t(y) * W + x];
          if (x >= 32 * s * cells) {
            ASSERT_EQ(kSentinel, v) << "past the padding";
            continue;
          }
          ASSERT_NE(kSentinel, v);
          if (y >= 14 * s) {
            ASSERT_EQ(Spr_LevelBackground(0), v) << "below the vehicle's bottom row";
          }
        }
      i32 first, last;
      DrawnColumns(px, W, H, &first, &last);
      i32 from = dir == MAP_VEH_RIGHT ? 0 : (32 * n - L) * s;
      EXPECT_GE(first, from) << "scale " << s << " dir " << dir;
      EXPECT_LT(last, from + L * s);
      EXPECT_LT(first, from + 8 * s) << "the vehicle reaches its start";
      EXPECT_GE(last, from + (L - 8) * s) << "and its end";
    }
}

TEST_F(VehiclePreview, LengthsAndRefusals) {
  std::vector<u32> px(200 * 32, kSentinel);
  SchBuf dc = {px.data(), 200, 32};
  EXPECT_EQ(0u, Map_DrawVehicleImage(&dc, 0, 0, MAP_VEH_TURNED, kVehicle, 1, 0)) << "neither direction";
  EXPECT_EQ(0u, Map_DrawVehicleImage(&dc, 0, 0, MAP_VEH_RIGHT, kVehicle, 3, 0)) << "scale 1 or 2 only";
  EXPECT_EQ(0u, Map_DrawVehicleImage(&dc, 0, 0, MAP_VEH_RIGHT, (40999u << 4) | 3, 1, 0)) << "not cached";
  EXPECT_EQ(0u, Map_DrawVehicleImage(&dc, 0, 0, MAP_VEH_RIGHT, VEH_LENGTH_BIT | 40, 1, 0)) << "no record";
  EXPECT_EQ(0u, Map_DrawVehicleImageEnd(&dc, 0, 16, MAP_VEH_RIGHT, kVehicle, 1)) << "no end named";
  EXPECT_EQ(0u, Map_DrawVehicleImageEnd(&dc, 0, 16, MAP_VEH_FRONT_END, 40999u << 4, 1));
  for (u32 v : px) ASSERT_EQ(kSentinel, v) << "refused drawings with no cells draw nothing";
  // A vehicle that is not there still gets its empty cells.
  Map_DrawVehicleImage(&dc, 0, 0, MAP_VEH_RIGHT, 40999u << 4, 1, 2);
  for (i32 x = 0; x < 200; ++x) EXPECT_EQ(x < 64 ? Spr_LevelBackground(0) : kSentinel, px[x]) << x;
  EXPECT_EQ(rec->length, Map_DrawVehicleImage(&dc, 0, 0, MAP_VEH_LEFT | MAP_VEH_TURNED, kVehicle, 1, 0));
  EXPECT_EQ(rec->length, Map_DrawVehicleImageEnd(&dc, 0, 16, MAP_VEH_FRONT_END, kVehicle, 1));
}

// A list packs its vehicles without gaps: each vehicle's columns are those
// of its own strip, moved by the lengths before it (from the right end
// facing left).
TEST_F(VehiclePreview, ListPacksVehiclesOneAfterTheOther) {
  const VehicleId second = Gfx_GetCachedVehicleId(Veh_SetId(kVehicle), 1);
  ASSERT_NE(0u, second);
  const VehicleRecord* rec2 = Gfx_FindVehicleRecord(second);
  ASSERT_NE(nullptr, rec2);
  const i32 La = i32(rec->length), Lb = i32(rec2->length), T = La + Lb, N = (T + 31) / 32;
  TrainCompositionEntry list[] = {{kVehicle, 0}, {second, MAP_VEH_TURNED}, {0, 0}};
  for (u32 dir : {MAP_VEH_RIGHT, MAP_VEH_LEFT}) {
    const i32 W = 32 * (N + 1), H = 16;
    auto strip = [&](VehicleId id, u32 flags, i32* cells) {
      std::vector<u32> px(size_t(W) * H, kSentinel);
      SchBuf dc = {px.data(), W, H};
      u32 len = Map_DrawVehicleImage(&dc, 0, 0, dir | flags, id, 1, 0);
      *cells = i32((len + 31) / 32);
      return px;
    };
    std::vector<u32> all(size_t(W) * H, kSentinel);
    SchBuf dc = {all.data(), W, H};
    EXPECT_EQ(u32(T), Map_DrawVehicleList(&dc, 0, 0, dir, list, 0, N + 1));
    i32 na, nb;
    std::vector<u32> a = strip(kVehicle, 0, &na), b = strip(second, MAP_VEH_TURNED, &nb);
    for (i32 y = 0; y < H; ++y) {
      for (i32 j = 0; j < La; ++j) {
        i32 lx = dir == MAP_VEH_RIGHT ? j : 32 * N - La + j, ax = dir == MAP_VEH_RIGHT ? j : 32 * na - La + j;
        ASSERT_EQ(a[size_t(y) * W + ax], all[size_t(y) * W + lx]) << "first vehicle, dir " << dir << " at " << j;
      }
      for (i32 j = 0; j < Lb; ++j) {
        i32 lx = dir == MAP_VEH_RIGHT ? La + j : 32 * N - T + j, bx = dir == MAP_VEH_RIGHT ? j : 32 * nb - Lb + j;
        ASSERT_EQ(b[size_t(y) * W + bx], all[size_t(y) * W + lx]) << "second vehicle, dir " << dir << " at " << j;
      }
      for (i32 x = 32 * N; x < W; ++x) ASSERT_EQ(Spr_LevelBackground(0), all[size_t(y) * W + x]) << "padding";
    }
  }
  std::vector<u32> px(64 * 64, kSentinel);
  SchBuf dc = {px.data(), 64, 64};
  EXPECT_EQ(0u, Map_DrawVehicleList(&dc, 0, 0, MAP_VEH_RIGHT, list, 2, 1)) << "scale index 0 or 1 only";
  EXPECT_EQ(0u, Map_DrawVehicleList(&dc, 0, 0, MAP_VEH_RIGHT, nullptr, 0, 0));
  for (u32 v : px) ASSERT_EQ(kSentinel, v);
}

// A composition holds at most 200 vehicles; a list that does not end
// within them is not read any further.
TEST_F(VehiclePreview, ListWithoutItsEndStopsAtTheLargestComposition) {
  std::vector<TrainCompositionEntry> list(200, TrainCompositionEntry{kVehicle, 0});
  std::vector<u32> px(64 * 16, kSentinel);
  SchBuf dc = {px.data(), 64, 16};
  EXPECT_EQ(200 * rec->length, Map_DrawVehicleList(&dc, 0, 0, MAP_VEH_RIGHT, list.data(), 0, 0));
}

// Seen end-on the vehicle runs up the screen: a vehicle longer than a cell
// continues in the rows above the one it is drawn at.
TEST_F(VehiclePreview, EndViewContinuesInTheRowsAbove) {
  const i32 L = i32(rec->length), rows = (L + 31) / 32;
  ASSERT_GT(rows, 1) << "a vehicle longer than one cell";
  for (int s : {1, 2})
    for (u32 end : {MAP_VEH_FRONT_END, MAP_VEH_REAR_END}) {
      const i32 W = 40 * s, H = 16 * s * (rows + 2), Y = 16 * s * rows;
      std::vector<u32> px(size_t(W) * H, kSentinel);
      SchBuf dc = {px.data(), W, H};
      EXPECT_EQ(u32(L), Map_DrawVehicleImageEnd(&dc, 0, Y, end, kVehicle, s));
      for (i32 y = 0; y < H; ++y)
        for (i32 x = 0; x < W; ++x) {
          bool inside = x < 32 * s && y >= Y - 16 * s * (rows - 1) && y < Y + 16 * s;
          ASSERT_EQ(inside, px[size_t(y) * W + x] != kSentinel) << "end " << end << " at " << x << "," << y;
        }
      bool drawnAbove = false;
      for (i32 y = Y - 16 * s; y < Y; ++y)
        for (i32 x = 0; x < 32 * s; ++x) drawnAbove |= px[size_t(y) * W + x] != Spr_LevelBackground(0);
      EXPECT_TRUE(drawnAbove) << "end " << end << " scale " << s;
    }
}

// ---------------------------------------------------------------- clipping

// The target lies between guard blocks; wherever a preview is put, nothing
// outside the target changes (and the sanitizers see no stray access).
TEST_F(VehiclePreview, EveryDrawerKeepsToTheTarget) {
  SetPicture({{2, -16, -8, 64, 90}});
  const VehicleId second = Gfx_GetCachedVehicleId(Veh_SetId(kVehicle), 1);
  TrainCompositionEntry list[] = {{kVehicle, 0}, {second, 0}, {kVehicle, MAP_VEH_TURNED}, {0, 0}};
  const i32 W = 70, H = 50, G = 300, PW = W + 2 * G;
  const i32 spots[][2] = {{0, 0},     {-20, 10},  {50, 40},   {60, -30},  {-500, -500}, {69, 49},
                          {70, 50},   {-300, 20}, {10, -900}, {2000000000, 5}, {-2000000000, -2000000000}};
  for (auto& p : spots) {
    std::vector<u32> all(size_t(PW) * (H + 2 * G), kSentinel);
    u32* base = all.data() + size_t(G) * PW;
    SchBuf dc = {base, W, H};
    const i32 x = p[0], y = p[1];
    for (int si = 0; si < 4; ++si) {
      Map_DrawPieceImage(&dc, x, y, 1, si, 0, kCode);
      Map_DrawCellPreview(&dc, x, y, MAP_TARGET_PREVIEW1 + si, 5632 + 40, 0, 0);
    }
    for (int s : {1, 2}) {
      Map_DrawVehicleImage(&dc, x, y, MAP_VEH_LEFT, kVehicle, s, 9);
      Map_DrawVehicleImageEnd(&dc, x, y, MAP_VEH_REAR_END, kVehicle, s);
      Map_DrawVehicleList(&dc, x, y, MAP_VEH_RIGHT, list, s - 1, 12);
      Map_DrawVehiclePiece(&dc, x, y, s, kVehicle, MAP_VEH_RIGHT, 0, 31, 0);
    }
    for (size_t i = 0; i < all.size(); ++i) {
      bool inBuf = all.data() + i >= base && all.data() + i < base + size_t(W) * H;
      if (!inBuf) {
        ASSERT_EQ(kSentinel, all[i]) << "guard written, spot " << x << "," << y;
      }
    }
  }
  Map_DrawPieceImage(nullptr, 0, 0, 1, 0, 0, kCode);
  SchBuf none = {nullptr, 10, 10};
  Map_DrawCellPreview(&none, 0, 0, MAP_TARGET_PREVIEW1, kCode, 0, 0);
  EXPECT_EQ(0u, Map_DrawVehicleImage(&none, 0, 0, MAP_VEH_RIGHT, kVehicle, 1, 3));
}

// ---------------------------------------------------------------- queries

TEST_F(Preview, UserGraphicExtentNeedsAPlacementBlock) {
  SetPicture({{2, 0, 0, 32, 16}});
  i32 left = 7, rows = 7, width = 7, up = 7;
  EXPECT_EQ(0, Map_UserGraphicExtent(kCode, 0, &left, &rows, &width, &up)) << "no placement block";
  EXPECT_EQ(0, Map_UserGraphicExtent(4096, 0, &left, &rows, &width, &up)) << "not a user graphic";
  EXPECT_TRUE(left == 7 && rows == 7 && width == 7 && up == 7) << "outs untouched";
  sub.flags = 4;
  const u16 box[4] = {0, 0, 64, 32};  // left, top, right, bottom at zoom 1
  std::memcpy(sub.box[0], box, sizeof box);
  EXPECT_EQ(0, Map_UserGraphicExtent(kCode, 1, &left, &rows, &width, &up)) << "no such variant";
  ASSERT_EQ(1, Map_UserGraphicExtent(kCode, 0, &left, &rows, &width, &up));
  EXPECT_EQ(0, left);
  EXPECT_EQ(3, width);  // (0 + 64 + 32) / 32 - 0
  EXPECT_EQ(0, up);
  EXPECT_EQ(3, rows);   // (0 + 32 + 16) / 16 - 0
  EXPECT_EQ(1, Map_UserGraphicExtent(kCode, 0, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(Preview, TrainPartAtTellsWhetherATrainIsDrawnThere) {
  for (i32 x = 10; x <= 20; ++x) Grid_SetCell(x, 13, 0, 4096);
  EXPECT_EQ(0, Map_TrainPartAt(14, 13, 0, Grid_GetCell(14, 13, 0)));
  ASSERT_NE(nullptr, demo::PlaceTrain(14, 13, 0, 1, 0, 3, 2, 0, 1));
  EXPECT_NE(0, Map_TrainPartAt(13, 13, 0, Grid_GetCell(13, 13, 0)));
  EXPECT_EQ(0, Map_TrainPartAt(10, 13, 0, Grid_GetCell(10, 13, 0)));
}

}  // namespace

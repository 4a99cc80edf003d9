// Symbol strings: the units each marker takes, the cells they cover, the
// drawing of glyphs, highlight sections, overrun and padding, and clipping
// to the buffer and the clip width. The strip is a made-up one in which
// every glyph has its own ink pattern. Last, with the graphics store of the
// data files, the picture and vehicle items drawn by the preview drawers.
#include <gtest/gtest.h>

#include <vector>

#include "render/gfx.h"
#include "render/pal.h"
#include "render/preview.h"
#include "render/symstr.h"
#include "render/vehicles.h"
#include "tests/render_fixture.h"

namespace {

const u32 kSentinel = 0xDEADBEEFu;
const u32 kBack = 0x00112233u;
const u32 kText = 0x00445566u;
const u32 kHigh = 0x00778899u;

struct SymStr : ::testing::Test {
  std::vector<u32> strip;
  u32 blank = 0;

  // Ink of glyph k at row r, column c: a pattern unique enough that a
  // glyph drawn from the wrong picture or at the wrong place shows.
  static bool Ink(int k, int r, int c) { return (r * 3 + c + k) % 5 == 0; }

  void SetUp() override {
    blank = Pal_ColourCodeToBgr(0);
    strip.assign(GFX_STRIP_BYTES / 4, blank);
    for (int k = 0; k < SYM_BLANK; ++k)
      for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 8; ++c)
          if (Ink(k, r, c)) strip[size_t(r) * GFX_STRIP_ROW + size_t(SYM_GLYPH_PICTURE + k) * 8 + c] = blank ^ 0xFFFFFFu;
    GfxBaseStrip = strip.data();
  }
  void TearDown() override { GfxBaseStrip = nullptr; }
};

TEST_F(SymStr, MarkersTakeTheirUnitsAndCells) {
  struct {
    std::vector<wch> s;
    i32 width, units;
  } cases[] = {
      {{0}, 0, 1},
      {{'A', 0}, 8, 2},
      {{1, 0x1234, 0, 0, 0}, 32, 5},          // zero words inside the parameters are not the end
      {{1, 2, 3, 6, 'x', 0}, 40, 6},          // parameters that look like markers are skipped
      {{2, 9, 9, 9, 'a', 2, 'b', 0}, 16, 8},  // opening takes 3, closing none
      {{3, 7, 0, 0, 0}, 136, 5},
      {{4, 0}, 32, 2},
      {{5, 1, 2, 3, 4, 0}, 32, 6},
      {{6, 1, 2, 3, 4, 5, 'a', 6, 0}, 8, 9},  // opening takes 5
      {{2, 1, 1, 1, 2, 2, 1, 1, 1, 0}, 0, 10},  // open, close, open again
      {{'a', 4, 'b', 5, 0, 0, 0, 0, 0}, 80, 9},
  };
  for (auto& c : cases) {
    i32 units = -1;
    EXPECT_EQ(c.width, Map_MeasureSymbolString(c.s.data(), &units)) << c.s[0];
    EXPECT_EQ(c.units, units) << c.s[0];
    EXPECT_EQ(c.width, Map_MeasureSymbolString(c.s.data(), nullptr));
  }
  i32 units = -1;
  EXPECT_EQ(0, Map_MeasureSymbolString(nullptr, &units));
  EXPECT_EQ(0, units);
}

// Drawn with as many cells as measured and no clip, a string covers exactly
// the measured width, 16 rows high, with an opaque background.
TEST_F(SymStr, DrawCoversWhatMeasureGives) {
  std::vector<std::vector<wch>> strings = {
      {'A', 'b', 7, 0},
      {1, 5, 0, 0, 'x', 0},
      {2, 1, 1, 1, 8, 9, 2, 10, 0},
      {3, 1, 2, 3, 0},
      {4, 5, 1, 2, 3, 4, 6, 1, 2, 3, 4, 5, 20, 6, 0},
  };
  const i32 W = 220, H = 24, X = 3, Y = 5;
  for (auto& s : strings) {
    i32 w = Map_MeasureSymbolString(s.data(), nullptr);
    ASSERT_LE(X + w, W);
    std::vector<u32> px(size_t(W) * H, kSentinel);
    SchBuf b = {px.data(), W, H};
    EXPECT_EQ(0, Map_DrawSymbolString(&b, X, Y, -1, w / SYM_CELL, kBack, kHigh, kText, s.data()));
    for (i32 y = 0; y < H; ++y)
      for (i32 x = 0; x < W; ++x) {
        bool inside = x >= X && x < X + w && y >= Y && y < Y + 16;
        ASSERT_EQ(inside, px[size_t(y) * W + x] != kSentinel) << "string " << s[0] << " at " << x << "," << y;
      }
  }
}

TEST_F(SymStr, GlyphsTakeTheHighlightWhileASectionIsOpen) {
  const wch s[] = {7, 2, 1, 1, 1, 8, 2, 9, 6, 1, 1, 1, 1, 1, 10, 6, 0};
  const i32 W = 32, H = 16;
  std::vector<u32> px(size_t(W) * H, kSentinel);
  SchBuf b = {px.data(), W, H};
  ASSERT_EQ(0, Map_DrawSymbolString(&b, 0, 0, -1, 4, kBack, kHigh, kText, s));
  const struct {
    int cell, glyph;
    u32 colour;
  } want[] = {{0, 7, kText}, {1, 8, kHigh}, {2, 9, kText}, {3, 10, kHigh}};
  for (auto& g : want)
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 8; ++c)
        ASSERT_EQ(Ink(g.glyph, r, c) ? g.colour : kBack, px[size_t(r) * W + g.cell * 8 + c]) << g.cell;
}

TEST_F(SymStr, TransparentBackgroundWritesInkOnly) {
  const wch s[] = {11, ' ', 0};
  std::vector<u32> px(16 * 16, kSentinel);
  SchBuf b = {px.data(), 16, 16};
  ASSERT_EQ(0, Map_DrawSymbolString(&b, 0, 0, -1, 2, SYM_TRANSPARENT, kHigh, kText, s));
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c)
      ASSERT_EQ(c < 8 && Ink(11, r, c) ? kText : kSentinel, px[size_t(r) * 16 + c]) << r << "," << c;
}

TEST_F(SymStr, OverrunIsReportedAndShortStringsArePadded) {
  struct {
    std::vector<wch> s;
    i32 cells, result, covered;  // covered: pixels written from x = 0
  } cases[] = {
      {{'a', 'b', 'c', 0}, 2, 0, 16},           // stops after the item that reaches the count
      {{'a', 1, 0, 0, 0, 'b', 0}, 2, -3, 40},   // the picture overruns by 3 cells
      {{3, 0, 0, 0, 'z', 0}, 1, -16, 136},
      {{'a', 0}, 4, 0, 32},                     // padded with blank glyphs
      {{2, 1, 1, 1, 0}, 3, 0, 24},
      {{0}, 2, 0, 16},
  };
  const i32 W = 160;
  for (auto& c : cases) {
    std::vector<u32> px(size_t(W) * 16, kSentinel);
    SchBuf b = {px.data(), W, 16};
    EXPECT_EQ(c.result, Map_DrawSymbolString(&b, 0, 0, -1, c.cells, kBack, kHigh, kText, c.s.data())) << c.cells;
    for (i32 x = 0; x < W; ++x) ASSERT_EQ(x < c.covered, px[x] != kSentinel) << c.s[0] << " at " << x;
  }
  std::vector<u32> px(size_t(W) * 16, kSentinel);
  SchBuf b = {px.data(), W, 16};
  EXPECT_EQ(0, Map_DrawSymbolString(&b, 0, 0, -1, 2, kBack, kHigh, kText, nullptr));
  EXPECT_EQ(kBack, px[15]);
  EXPECT_EQ(kSentinel, px[16]);
}

// A string of no cells used to divide by its cell count and pad a negative
// number of cells; it draws nothing and reports no overrun.
TEST_F(SymStr, NoCellsDrawsNothing) {
  const wch s[] = {'a', 1, 0, 0, 0, 0};
  for (i32 cells : {0, -1, -100})
    for (i32 width : {-1, 0, 50}) {
      std::vector<u32> px(64 * 16, kSentinel);
      SchBuf b = {px.data(), 64, 16};
      EXPECT_EQ(0, Map_DrawSymbolString(&b, 0, 0, width, cells, kBack, kHigh, kText, s));
      for (u32 v : px) ASSERT_EQ(kSentinel, v) << cells << " " << width;
    }
}

TEST_F(SymStr, AWiderTargetSpreadsTheItems) {
  const wch s[] = {12, 13, 0};
  std::vector<u32> px(64 * 16, kSentinel);
  SchBuf b = {px.data(), 64, 16};
  ASSERT_EQ(0, Map_DrawSymbolString(&b, 4, 0, 32, 2, kBack, kHigh, kText, s));
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 8; ++c) {
      ASSERT_EQ(Ink(12, r, c) ? kText : kBack, px[size_t(r) * 64 + 4 + c]);
      ASSERT_EQ(Ink(13, r, c) ? kText : kBack, px[size_t(r) * 64 + 20 + c]);
    }
  for (int x = 12; x < 20; ++x) EXPECT_EQ(kSentinel, px[x]);
  EXPECT_EQ(kSentinel, px[36]);
}

// The buffer sits between guard blocks before and after it; whatever the
// position, width and cell count, no pixel outside the buffer or at or
// right of the clip edge changes.
TEST_F(SymStr, ClippingKeepsToBufferAndClipWidth) {
  const wch s[] = {'a', 14, 3, 1, 1, 1, 15, 1, 0, 0, 0, 16, 0};
  const i32 W = 40, H = 20, G = 24, PW = W + 2 * G, PH = H + 2 * G;
  struct {
    i32 x, y, width, cells;
  } cases[] = {
      {0, 0, -1, 30},   {-20, 2, -1, 30}, {30, 10, -1, 30}, {5, -10, -1, 30}, {5, 15, -1, 30},
      {-3, -3, -1, 2},  {2, 1, 10, 30},   {2, 1, 0, 5},     {2, 1, 7, 1},     {-9, 0, 12, 3},
      {36, 4, 100, 3},  {0, 0, 1000, 4},  {-50, 0, 90, 8},  {39, 19, -1, 30}, {40, 20, -1, 5},
  };
  for (auto& c : cases) {
    std::vector<u32> all(size_t(PW) * PH, kSentinel);
    // The buffer's rows are W apart; it lies in one block in the middle.
    u32* base = all.data() + size_t(G) * PW;
    SchBuf b = {base, W, H};
    Map_DrawSymbolString(&b, c.x, c.y, c.width, c.cells, kBack, kHigh, kText, s);
    for (size_t i = 0; i < all.size(); ++i) {
      bool inBuf = all.data() + i >= base && all.data() + i < base + size_t(W) * H;
      if (!inBuf) {
        ASSERT_EQ(kSentinel, all[i]) << "guard written, case x " << c.x << " y " << c.y;
        continue;
      }
      i32 x = i32((all.data() + i - base) % W);
      if (c.width >= 0 && x >= c.x + c.width) {
        ASSERT_EQ(kSentinel, all[i]) << "past clip, case x " << c.x;
      }
    }
  }
}

TEST_F(SymStr, NothingWithoutStripOrBuffer) {
  const wch s[] = {'a', 7, 0};
  std::vector<u32> px(32 * 16, kSentinel);
  SchBuf b = {px.data(), 32, 16};
  EXPECT_EQ(0, Map_DrawSymbolString(nullptr, 0, 0, -1, 2, kBack, kHigh, kText, s));
  GfxBaseStrip = nullptr;
  EXPECT_EQ(0, Map_DrawSymbolString(&b, 0, 0, -1, 2, kBack, kHigh, kText, s));
  Map_DrawGlyph(&b, 0, 0, kBack, kText, 7);
  for (u32 v : px) ASSERT_EQ(kSentinel, v);
}

TEST_F(SymStr, GlyphCodesAboveTheFontKeepTheirCell) {
  std::vector<u32> px(16 * 16, kSentinel);
  SchBuf b = {px.data(), 16, 16};
  Map_DrawGlyph(&b, 0, 0, SYM_TRANSPARENT, kText, SYM_BLANK);
  Map_DrawGlyph(&b, 8, 0, SYM_TRANSPARENT, kText, 'Q');
  for (u32 v : px) ASSERT_EQ(kSentinel, v);
  Map_DrawGlyph(&b, 0, 0, kBack, kText, SYM_BLANK);
  Map_DrawGlyph(&b, 8, 0, kBack, kText, 'Q');
  for (u32 v : px) ASSERT_EQ(kBack, v);
}

// ---------------------------------------------------------------- pictures and vehicles

struct SymStrPictures : RenderStore {
  // The string drawn alone at (0, y) of a w x h buffer with as many cells
  // as it measures.
  static std::vector<u32> Draw(const std::vector<wch>& s, i32 w, i32 h, i32 y, i32* result = nullptr) {
    std::vector<u32> px(size_t(w) * h, kSentinel);
    SchBuf b = {px.data(), w, h};
    i32 r = Map_DrawSymbolString(&b, 0, y, -1, Map_MeasureSymbolString(s.data(), nullptr) / SYM_CELL, kBack, kHigh,
                                 kText, s.data());
    if (result) *result = r;
    return px;
  }
  static std::vector<wch> Item(wch code, u32 value, std::initializer_list<wch> more) {
    std::vector<wch> s = {code, wch(value & 0xFFFF), wch(value >> 16)};
    s.insert(s.end(), more);
    s.push_back(0);
    return s;
  }
};

TEST_F(SymStrPictures, CellPictureItemsShowTheirPicture) {
  const u32 bg = Spr_LevelBackground(0);
  // Item 1: the cell preview of the code at scale 1.
  for (u32 code : {5632u + 40, 4096u + 1, 0xC000u}) {
    i32 r = 1;
    std::vector<u32> got = Draw(Item(1, code, {0}), 32, 16, 0, &r);
    EXPECT_EQ(0, r);
    std::vector<u32> want(32 * 16, kSentinel);
    SchBuf b = {want.data(), 32, 16};
    Map_DrawCellPreview(&b, 0, 0, MAP_TARGET_PREVIEW1, code, 0, 0);
    EXPECT_EQ(want, got) << code;
  }
  std::vector<u32> ground = Draw(Item(1, 5632 + 40, {0}), 32, 16, 0);
  EXPECT_NE(ground, std::vector<u32>(32 * 16, bg)) << "a picture, not the background";
  // Item 4: the empty cell.
  for (u32 v : Draw({4, 0}, 32, 16, 0)) EXPECT_EQ(bg, v);
  // Item 5: a picture taller than one row stands on the string's row and
  // rises above it.
  u32 tall = 0;
  i32 h = 0;
  for (u32 code = 0xC003; code < 0x10000 && !tall; ++code) {
    h = Map_PieceImageHeight(code, 0);
    if (h >= 32) tall = code;
  }
  ASSERT_NE(0u, tall) << "the picture files hold a picture of more than one row";
  std::vector<u32> got = Draw(Item(5, tall, {0, 0}), 32, h, h - 16);
  std::vector<u32> want(size_t(32) * h, kSentinel);
  SchBuf b = {want.data(), 32, h};
  Map_DrawPieceImage(&b, 0, h - 16, 0, 0, 0, tall);
  EXPECT_EQ(want, got);
  for (u32 v : got) ASSERT_NE(kSentinel, v) << "every row of the picture is drawn";
}

// A vehicle longer than two cells shows its first two cells both ways and
// stays inside the item's 17 cells.
TEST_F(SymStrPictures, VehicleItemShowsBothWaysInItsCells) {
  for (VehicleId id : {40321u << 4, (40321u << 4) | 3}) {
    ASSERT_EQ(0, Gfx_LoadVehicleSet(id, 0));
    const i32 n = i32((Gfx_GetVehicleLength(id) + 31) / 32);
    i32 r = 1;
    std::vector<u32> got = Draw(Item(3, id, {0}), 140, 16, 0, &r);
    EXPECT_EQ(0, r);
    std::vector<u32> left(64 * 16, kSentinel), right(64 * 16, kSentinel);
    SchBuf lb = {left.data(), 64, 16}, rb = {right.data(), 64, 16};
    Map_DrawVehicleImage(&lb, n > 2 ? 64 - 32 * n : 0, 0, MAP_VEH_LEFT, id, 1, 2);
    Map_DrawVehicleImage(&rb, 0, 0, MAP_VEH_RIGHT, id, 1, 2);
    for (i32 y = 0; y < 16; ++y)
      for (i32 x = 0; x < 140; ++x) {
        u32 v = got[size_t(y) * 140 + x];
        if (x < 64) ASSERT_EQ(left[size_t(y) * 64 + x], v) << id << " at " << x << "," << y;
        else if (x < 72) ASSERT_EQ(kBack, v) << "the blank glyph";
        else if (x < 136) ASSERT_EQ(right[size_t(y) * 64 + x - 72], v) << id << " at " << x << "," << y;
        else ASSERT_EQ(kSentinel, v) << "17 cells";
      }
    bool vehicle = false;
    for (u32 v : right) vehicle |= v != Spr_LevelBackground(0);
    EXPECT_TRUE(vehicle) << id;
  }
}

// Pictures keep to the clip edge like glyphs, and the ground options the
// string forces are back afterwards.
TEST_F(SymStrPictures, PicturesKeepToTheClipAndOptionsAreRestored) {
  const VehicleId id = 40321u << 4;
  ASSERT_EQ(0, Gfx_LoadVehicleSet(id, 0));
  std::vector<wch> s = Item(3, id, {0});
  std::vector<wch> more = Item(1, 5632 + 40, {0});
  s.pop_back();
  s.insert(s.end(), more.begin(), more.end());
  g_sprOptions.fwH2O = 0;
  g_sprOptions.fwBus = 0;
  for (i32 width : {0, 20, 70, 150}) {
    std::vector<u32> px(size_t(200) * 16, kSentinel);
    SchBuf b = {px.data(), 200, 16};
    Map_DrawSymbolString(&b, 5, 0, width, 21, kBack, kHigh, kText, s.data());
    for (i32 y = 0; y < 16; ++y)
      for (i32 x = 0; x < 200; ++x)
        if (x < 5 || x >= 5 + width) {
          ASSERT_EQ(kSentinel, px[size_t(y) * 200 + x]) << width << " at " << x;
        }
  }
  EXPECT_EQ(0, g_sprOptions.fwH2O);
  EXPECT_EQ(0, g_sprOptions.fwBus);
}

}  // namespace

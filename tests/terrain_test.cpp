// The ground of a cell: the masks of neighbouring pieces meet across strip
// and cell borders, every class paints exactly its mask bits in its
// colours, textures follow their seeds and repeat on every redraw, and the
// edge fill never writes the no-colour marker.
#include <cstdlib>
#include <set>
#include <vector>

#include "render/terrain_tab.h"
#include "tests/render_fixture.h"

namespace {

// The mask of a whole ground row as the compositor lays its pieces: zoom 1
// (32 x 16) or 2 (64 x 32), top row first; later patterns over earlier ones
// (any set value wins, which is all the border checks need).
std::vector<u8> RowMask(int row, int mz) {
  const int W = 32 * mz, H = 16 * mz, sw = 8 * mz;
  std::vector<u8> m(size_t(W * H), 0);
  for (int i = 0; i < 4 && kTerrainShapeRows[row][i] != 255; ++i)
    for (int s = 0; s < 4; ++s) {
      const u8* p = Spr_TerrainMask(kTerrainStripPieces[kTerrainShapeRows[row][i]][s], mz);
      if (!p) continue;
      for (int r = 0; r < H; ++r)
        for (int c = 0; c < sw; ++c)
          if (p[r * sw + c]) m[size_t(r * W + s * sw + c)] = p[r * sw + c];
    }
  return m;
}

int GroundRow(u32 code) {
  int row = 0;
  Spr_TerrainClass(code, nullptr, &row, nullptr);
  return row;
}

// Pixel (column, row from the top) of the composition buffer.
u32 Px(int zoom, int c, int r) {
  const int W = Spr_BufferWidth(zoom), H = 16 * zoom;
  return Spr_Buffer(zoom)[(H - 1 - r) * W + c];
}

std::vector<u32> BufferCopy(int zoom) {
  const CellPixel* b = Spr_Buffer(zoom);
  return std::vector<u32>(b, b + 32 * zoom * 16 * zoom);
}

// The own generator of the platform, as the stones and textures use it.
struct Gen {
  u32 state;
  int Next(int n) {
    u32 v = state * 73u + 1u;
    if (v & 0x80000000u) v = 0u - v;
    state = v;
    return int(v % u32(n));
  }
};

struct TerrainCells : RenderStore {
  void SetUp() override {
    RenderStore::SetUp();
    Spr_SetLevel(0);
  }
  // Composes the ground of the cell (12, 12) holding code.
  u32 Compose(u32 code, int zoom, i32 x = 12, i32 y = 12) {
    Grid_SetCell(x, y, 0, CellCode(code));
    return Spr_ComposeTerrain(code, zoom, 0, y, x, 0);
  }
};

}  // namespace

// ---------------------------------------------------------------- masks

TEST_F(TerrainCells, StraightTrackRunsOnSeamlesslyIntoTheNextCell) {
  for (int mz : {1, 2}) {
    const int W = 32 * mz, H = 16 * mz;
    // Across: the right column of one cell continues in the left column of
    // the next, so both must carry the same mask.
    std::vector<u8> h = RowMask(GroundRow(0), mz);
    int rails = 0;
    for (int r = 0; r < H; ++r) {
      EXPECT_EQ(h[size_t(r * W)], h[size_t(r * W + W - 1)]) << "zoom " << mz << " row " << r;
      rails += h[size_t(r * W)] == 144;
    }
    EXPECT_EQ(rails, 2) << "two rails cross the border, zoom " << mz;
    // Up the screen: the top row continues in the bottom row of the cell above.
    std::vector<u8> v = RowMask(GroundRow(1), mz);
    for (int c = 0; c < W; ++c) EXPECT_EQ(v[size_t(c)], v[size_t((H - 1) * W + c)]) << "zoom " << mz << " col " << c;
    // Inside the cell, every strip border is crossed the same way: a path
    // never breaks off between two pieces.
    for (int s = 1; s < 4; ++s)
      for (int r = 0; r < H; ++r) {
        const int c = s * 8 * mz;
        EXPECT_EQ(h[size_t(r * W + c - 1)] != 0, h[size_t(r * W + c)] != 0) << "zoom " << mz << " strip " << s;
      }
  }
}

// A diagonal's bed reaches over the cell border; the edge row the cell
// beyond draws must continue it where the own pattern stops.
TEST_F(TerrainCells, DiagonalEdgesMeetTheirCellAcrossTheBorder) {
  for (int mz : {1, 2})
    for (u32 shape : {2u, 3u, 24u, 29u, 33u}) {
      const int W = 32 * mz, H = 16 * mz;
      std::vector<u8> own = RowMask(GroundRow(shape), mz);
      struct Side {
        int edgeRow, ownRow, tipRow;
      };
      // The cell below draws the tips of this one in its top row; the cell
      // above in its bottom row.
      const Side sides[2] = {{kTerrainEdgeRowAbove[shape], H - 1, 0}, {kTerrainEdgeRowBelow[shape], 0, H - 1}};
      int met = 0;
      for (const Side& sd : sides) {
        std::vector<u8> tip = sd.edgeRow >= 0 ? RowMask(sd.edgeRow, mz) : std::vector<u8>(size_t(W * H), 0);
        // Only the corners: the middle of the border is where a track
        // running straight up or down meets its own neighbour's pattern.
        for (int c = 0; c < W; ++c) {
          if (c >= W / 4 && c < W - W / 4) continue;
          bool o = own[size_t(sd.ownRow * W + c)] != 0, t = false;
          // A diagonal moves two columns a row, so the next row's bed may
          // start two columns on.
          for (int d = -2; d <= 2; ++d)
            if (c + d >= 0 && c + d < W) t = t || tip[size_t(sd.tipRow * W + c + d)] != 0;
          // Every bed pixel on the border has the neighbour's tip beside it.
          if (o) {
            EXPECT_TRUE(t) << "shape " << shape << " zoom " << mz << " column " << c;
          }
          met += o && t;
        }
      }
      EXPECT_GT(met, 0) << "shape " << shape << " reaches over a border";
    }
}

// ---------------------------------------------------------------- classes

// Each class paints the horizontal track row (no neighbours) with exactly
// the mask bits its rule names, in its named colours.
TEST_F(TerrainCells, EveryClassDrawsItsMaskBitsInItsColours) {
  auto bgr = [](u32 code) { return Pal_ColourCodeToBgr(code) & 0xFFFFFF; };
  std::set<u32> stones, seq26, tab36, codes45;
  for (int i = 0; i < 15; ++i) stones.insert(Spr_Palette(110 + i));
  for (int i = 0; i < 26; ++i) seq26.insert(Spr_Seq26Colour(i));
  for (int i = 0; i < 36; ++i) tab36.insert(Spr_Tab36Colour(i));
  for (u32 c : {8u, 17u, 18u, 19u, 26u, 27u, 53u, 54u}) codes45.insert(bgr(c));
  const u32 bg = Spr_Palette(131);
  struct Case {
    u32 code;
    // The colours a pixel of mask value m may take.
    std::set<u32> (*allowed)(u8 m, u32 bg);
  };
  static std::set<u32> sStones, sSeq, sTab, sCodes;
  sStones = stones;
  sSeq = seq26;
  sTab = tab36;
  sCodes = codes45;
  const Case cases[] = {
      {0,  // class 1: fill, rails (bit 7) in palette 74
       [](u8 m, u32) { return std::set<u32>{(m & 0x80) ? Spr_Palette(74) : (Pal_ColourCodeToBgr(8) & 0xFFFFFF)}; }},
      {512,  // class 1 variant: the bed in colour code 8 on the background
       [](u8 m, u32 b) {
         return std::set<u32>{(m & 0x80) ? Spr_Palette(74) : (m & 0x0F) ? (Pal_ColourCodeToBgr(8) & 0xFFFFFF) : b};
       }},
      {3072,  // class 4: fill colour code 38, rails in palette 77
       [](u8 m, u32) { return std::set<u32>{(m & 0x80) ? Spr_Palette(77) : (Pal_ColourCodeToBgr(38) & 0xFFFFFF)}; }},
      {4096,  // class 5: stones, sleepers 82, rails 78
       [](u8 m, u32 b) {
         if (m & 0x80) return std::set<u32>{Spr_Palette(78)};
         if (m & 0x0C) return std::set<u32>{Spr_Palette(82)};
         if (m & 0x02) return sStones;
         return std::set<u32>{b};
       }},
      {4608,  // class 6: sleepers 83, rails 79
       [](u8 m, u32 b) {
         if (m & 0x80) return std::set<u32>{Spr_Palette(79)};
         if (m & 0x0C) return std::set<u32>{Spr_Palette(83)};
         if (m & 0x02) return sStones;
         return std::set<u32>{b};
       }},
      {5120,  // class 7: the 26 colours, rails 80
       [](u8 m, u32 b) {
         if (m & 0x80) return std::set<u32>{Spr_Palette(80)};
         if (m & 0x0E) return sSeq;
         return std::set<u32>{b};
       }},
      {5632,  // class 8: the 45 codes, bit 2 in palette 84, rails 81
       [](u8 m, u32 b) {
         if (m & 0x80) return std::set<u32>{Spr_Palette(81)};
         if (m & 0x04) return std::set<u32>{Spr_Palette(84)};
         if (m & 0x0A) return sCodes;
         return std::set<u32>{b};
       }},
      {7168,  // class 9: water fill, the lane (bit 6) in palette 85
       [](u8 m, u32) { return std::set<u32>{(m & 0x40) ? Spr_Palette(85) : (Pal_ColourCodeToBgr(1) & 0xFFFFFF)}; }},
      {8192,  // class 10: as class 1, the lane in palette 86
       [](u8 m, u32) { return std::set<u32>{(m & 0x40) ? Spr_Palette(86) : (Pal_ColourCodeToBgr(8) & 0xFFFFFF)}; }},
      {12288,  // class 14: the 36 colours, olive on bit 4
       [](u8 m, u32 b) {
         if (m & 0x10) {
           std::set<u32> olive;
           for (u32 g = 121; g <= 152; ++g) olive.insert(168u << 16 | g << 8);
           return olive;
         }
         if (m & 0x0E) return sTab;
         return std::set<u32>{b};
       }},
  };
  for (const Case& k : cases) {
    Compose(k.code, 1);
    std::vector<u8> mask = RowMask(GroundRow(k.code), 1);
    int painted = 0;
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 32; ++c) {
        u8 m = mask[size_t(r * 32 + c)];
        std::set<u32> ok = k.allowed(m, bg);
        ASSERT_EQ(1u, ok.count(Px(1, c, r))) << "code " << k.code << " at " << c << "," << r << " mask " << int(m)
                                             << " got " << std::hex << Px(1, c, r);
        painted += m != 0;
      }
    EXPECT_GT(painted, 0);
  }
}

TEST_F(TerrainCells, SwitchesLeaveStonesAndLanesOut) {
  g_sprOptions.schotter = 0;
  g_sprOptions.fwH2O = 0;
  const u32 bg = Spr_Palette(131);
  std::vector<u8> mask = RowMask(GroundRow(0), 1);
  Compose(4096, 1);
  for (int i = 0; i < 512; ++i) {
    u8 m = mask[size_t(i)];
    if ((m & 0x02) && !(m & 0x8C)) {
      EXPECT_EQ(bg, Px(1, i % 32, i / 32)) << "no stones without Schotter";
    }
  }
  Compose(7168, 1);
  for (int i = 0; i < 512; ++i) EXPECT_EQ(Pal_ColourCodeToBgr(1) & 0xFFFFFF, Px(1, i % 32, i / 32));
}

// ---------------------------------------------------------------- textures

// The first stones of each strip, computed from the seeding rule:
// palette 110 + rnd(15) after seeding with (parity + strip) * 3 mod 15.
TEST_F(TerrainCells, StonesFollowTheirSeedPerStrip) {
  for (i32 x : {12, 13}) {
    const i32 parity = (x ^ 12) & 1;
    Compose(4096, 1, x, 12);
    std::vector<u8> mask = RowMask(GroundRow(4096), 1);
    for (int s = 0; s < 4; ++s) {
      Gen g{u32(((parity + s) * 3) % 15)};
      const u8* piece = Spr_TerrainMask(kTerrainStripPieces[kTerrainShapeRows[GroundRow(4096)][0]][s], 1);
      ASSERT_NE(nullptr, piece);
      int checked = 0;
      for (int i = 0; i < 128 && checked < 6; ++i) {
        if (!(piece[i] & 0x02)) continue;
        u32 want = Spr_Palette(110 + g.Next(15));
        int r = i / 8, c = s * 8 + i % 8;
        if (mask[size_t(r * 32 + c)] & 0x8C) continue;  // painted over by sleepers or rails
        EXPECT_EQ(want, Px(1, c, r)) << "strip " << s << " parity " << parity;
        ++checked;
      }
      EXPECT_GT(checked, 0);
    }
  }
}

TEST_F(TerrainCells, SameCellComposesIdenticallyEveryTime) {
  for (int zoom : {1, 2, 4})
    for (u32 code : {4096u, 5120u, 5632u, 12288u, 12288u + 3, 512u + 2, 7168u + 512}) {
      Compose(code, zoom);
      std::vector<u32> first = BufferCopy(zoom);
      Compose(code + 1, zoom, 40, 41);  // something else in between
      Compose(code, zoom);
      EXPECT_EQ(first, BufferCopy(zoom)) << "code " << code << " zoom " << zoom;
    }
}

// Zoom 4 draws the olive texture itself, a new number per pixel of each
// 2 x 2 block, where every other kind doubles the zoom-2 mask.
TEST_F(TerrainCells, OliveAtZoomFourVariesInsideItsBlocks) {
  Compose(12288, 4);
  int olive = 0, mixed = 0;
  for (int r = 0; r < 64; r += 2)
    for (int c = 0; c < 128; c += 2) {
      u32 a = Px(4, c, r), b = Px(4, c + 1, r), d = Px(4, c, r + 1), e = Px(4, c + 1, r + 1);
      auto isOlive = [](u32 v) { return (v >> 16) == 168 && (v & 0xFF) == 0; };
      if (!isOlive(a) || !isOlive(b) || !isOlive(d) || !isOlive(e)) continue;
      ++olive;
      mixed += !(a == b && b == d && d == e);
    }
  ASSERT_GT(olive, 0);
  EXPECT_GT(mixed, olive / 2);
  // Stones double: every stone block is one colour.
  Compose(4096, 4);
  std::set<u32> stones;
  for (int i = 0; i < 15; ++i) stones.insert(Spr_Palette(110 + i));
  for (int r = 0; r < 64; r += 2)
    for (int c = 0; c < 128; c += 2)
      if (stones.count(Px(4, c, r))) {
        EXPECT_EQ(Px(4, c, r), Px(4, c + 1, r + 1)) << c << "," << r;
      }
}

// ---------------------------------------------------------------- edges

// A neighbour without a ground colour (water, class 14) under the edge fill
// with no colour of its own: nothing is drawn, and never the marker.
TEST_F(TerrainCells, EdgeFillNeverWritesTheNoColourMarker) {
  for (int zoom : {1, 2, 4})
    for (u32 below : {7168u + 2, 12288u + 2, 12288u + 33, 7168u + 512 + 3}) {
      Grid_SetCell(12, 13, 0, CellCode(below));
      Spr_FillBuffer(0x00123456, zoom);
      Spr_TerrainEdgeBelow(zoom, 0, 12, 12, 1, SPR_NO_COLOUR);
      Spr_TerrainEdgeAbove(zoom, 0, 14, 12, 1, SPR_NO_COLOUR);
      for (u32 v : BufferCopy(zoom)) ASSERT_EQ(0x00123456u, v) << "below " << below << " zoom " << zoom;
    }
  // With a colour, the neighbour's rails over the border take it.
  Grid_SetCell(12, 13, 0, CellCode(4096 + 2));
  Spr_FillBuffer(0x00123456, 1);
  Spr_TerrainEdgeBelow(1, 0, 12, 12, 1, 0x00ABCDEF);
  int filled = 0;
  for (u32 v : BufferCopy(1)) filled += v == 0x00ABCDEF;
  EXPECT_GT(filled, 0);
}

// The grounds of two colours (classes 2, 3, 11, 12, plain and with the
// second-ground bit) are a calm texture: no 2 x 2 block of the cell is a
// checkerboard of two contrasting colours at any zoom, and the texture runs
// on into the next cell instead of repeating the same cell on a grid.
TEST_F(TerrainCells, TwoColourGroundsAreCalmTexturesWithoutGrid) {
  auto luma = [](u32 p) { return int((p >> 16) & 255) * 3 + int((p >> 8) & 255) * 6 + int(p & 255); };
  const struct {
    u32 base, colourA, colourB;  // the class's two colour codes
  } grounds[] = {{1024, 7, 20}, {2048, 36, 8}, {9216, 7, 20}, {10240, 36, 8}};
  for (const auto& gr : grounds)
    for (u32 variant : {0u, 512u})
      for (int zoom : {1, 2, 4}) {
        const u32 code = gr.base + variant;  // horizontal track on the class's ground
        // Half the contrast of the two colours: what a checkerboard of them has.
        const int contrast = std::abs(luma(Pal_ColourCodeToBgr(gr.colourA) & 0xFFFFFF) -
                                      luma(Pal_ColourCodeToBgr(gr.colourB) & 0xFFFFFF)) / 2;
        Compose(code, zoom);
        const std::vector<u32> first = BufferCopy(zoom);
        int checkers = 0;
        for (int r = 0; r + 1 < 16 * zoom; ++r)
          for (int c = 0; c + 1 < 32 * zoom; ++c) {
            const u32 a = Px(zoom, c, r), b = Px(zoom, c + 1, r);
            if (a == b || Px(zoom, c, r + 1) != b || Px(zoom, c + 1, r + 1) != a) continue;
            checkers += std::abs(luma(a) - luma(b)) > contrast;
          }
        EXPECT_EQ(0, checkers) << "code " << code << " zoom " << zoom;
        Compose(code, zoom, 13, 12);
        EXPECT_NE(first, BufferCopy(zoom)) << "the next cell is not a copy, code " << code << " zoom " << zoom;
        Compose(code, zoom);
        EXPECT_EQ(first, BufferCopy(zoom)) << "a redraw repeats the cell, code " << code << " zoom " << zoom;
      }
}

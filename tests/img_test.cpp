// Picture export: PCX and BMP files read back by readers of the test's own,
// checked against the export colours block by block.
#include <gtest/gtest.h>

#include <vector>

#include "model/grid.h"
#include "platform/fio.h"
#include "render/img.h"
#include "render/ovw.h"
#include "render/pal.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

u32 Le16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
u32 Le32(const Bytes& b, size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }

struct Picture {
  u32 w = 0, h = 0, bits = 0;
  std::vector<std::vector<u8>> rows;  // one value per pixel, top row first
  u32 paletteEntries = 0;
};

// A BMP reader after the format's own description, not the writer's code.
bool ReadBmp(const Bytes& b, Picture* p) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  if (Le32(b, 2) != b.size()) return false;
  const u32 offset = Le32(b, 10);
  p->w = Le32(b, 18);
  p->h = Le32(b, 22);
  p->bits = Le16(b, 28);
  p->paletteEntries = Le32(b, 46);
  if (offset != 54 + 4 * p->paletteEntries) return false;
  const u32 stride = ((p->w * p->bits + 7) / 8 + 3) & ~3u;
  if (Le32(b, 34) != stride * p->h || offset + stride * p->h != b.size()) return false;
  p->rows.assign(p->h, std::vector<u8>(p->w));
  for (u32 y = 0; y < p->h; ++y) {
    const u8* row = &b[offset + (p->h - 1 - y) * stride];
    for (u32 x = 0; x < p->w; ++x)
      p->rows[y][x] = p->bits == 8 ? row[x] : ((row[x / 8] >> (7 - x % 8)) & 1);
  }
  return true;
}

// A PCX reader: the header, then each line decoded by itself.
bool ReadPcx(const Bytes& b, Picture* p, bool* evenLines, bool* trailingPalette) {
  if (b.size() < 128 || b[0] != 0x0A || b[1] != 5 || b[2] != 1) return false;
  p->bits = b[3];
  p->w = Le16(b, 8) + 1;
  p->h = Le16(b, 10) + 1;
  const u32 lineBytes = Le16(b, 66);
  *evenLines = lineBytes % 2 == 0;
  size_t at = 128;
  p->rows.assign(p->h, std::vector<u8>(p->w));
  for (u32 y = 0; y < p->h; ++y) {
    Bytes line;
    while (line.size() < lineBytes) {
      if (at >= b.size()) return false;
      u8 c = b[at++];
      u32 n = 1;
      if ((c & 0xC0) == 0xC0) {
        n = c & 0x3F;
        c = b[at++];
      }
      line.insert(line.end(), n, c);
    }
    if (line.size() != lineBytes) return false;  // a run never crosses a line
    for (u32 x = 0; x < p->w; ++x)
      p->rows[y][x] = p->bits == 8 ? line[x] : ((line[x / 8] >> (7 - x % 8)) & 1);
  }
  *trailingPalette = b.size() == at + 769 && b[at] == 12;
  return b.size() == at || *trailingPalette;
}

class ImgTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Wire_InstallHooks(); }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    Fio_InitBuffers();
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Pal_Reset();
    // A small layout of 10 x 7 cells of track and ground on level 0.
    for (i32 y = 100; y < 107; ++y)
      for (i32 x = 200; x < 210; ++x) Grid_SetCell(x, y, 0, (x + y) % 3 ? 0x4001 : 0x0001);
    Grid_UpdateExtent(0, 0, 0, 0);
  }
  void TearDown() override { Grid_Exit(); }
  wstr folder;
};

TEST_F(ImgTest, BmpAndPcxHoldOnePixelPerStartedBlock) {
  struct Case {
    int scale;
    u32 options;
    u32 w, h, bits;
  } cases[] = {{1, IMG_PALETTE, 10, 7, 8}, {3, IMG_PALETTE, 4, 3, 8}, {4, 0, 3, 2, 8}, {3, IMG_MONO, 4, 3, 1}};
  for (const Case& c : cases) {
    g_ovwExport.scale = c.scale;
    g_ovwExport.options = c.options;
    // The colours each pixel must have.
    std::vector<std::vector<u8>> want(c.h, std::vector<u8>(c.w));
    for (u32 y = 0; y < c.h; ++y)
      for (u32 x = 0; x < c.w; ++x) {
        const i32 cx = 200 + i32(x) * c.scale, cy = 100 + i32(y) * c.scale;
        const int v = c.scale == 1 ? Ovw_ExportCellColour(Grid_GetCell(cx, cy, 0), cx, cy) : Ovw_ExportBlockColour(cx, cy);
        want[y][x] = c.bits == 1 ? (v == 133) : u8(v);
      }
    const wstr bmp = folder + u"p.bmp", pcx = folder + u"p.pcx";
    ASSERT_EQ(0, Img_ExportBmp(bmp.c_str(), nullptr)) << c.scale;
    ASSERT_EQ(0, Img_ExportPcx(pcx.c_str(), nullptr)) << c.scale;
    Picture b, p;
    ASSERT_TRUE(ReadBmp(Test_ReadFile(bmp), &b)) << c.scale;
    bool even = false, palette = false;
    ASSERT_TRUE(ReadPcx(Test_ReadFile(pcx), &p, &even, &palette)) << c.scale;
    for (Picture* pic : {&b, &p}) {
      EXPECT_EQ(c.w, pic->w) << c.scale;
      EXPECT_EQ(c.h, pic->h) << c.scale;
      EXPECT_EQ(c.bits, pic->bits) << c.scale;
      EXPECT_EQ(want, pic->rows) << c.scale;
    }
    // An 8-bit picture carries the palette its indexes need.
    EXPECT_EQ(c.bits == 8 ? 256u : 2u, b.paletteEntries) << c.scale;
    EXPECT_EQ(c.bits == 8, palette) << c.scale;
    EXPECT_TRUE(even) << c.scale;
  }
}

TEST_F(ImgTest, TheMarkedBoxAndAnEmptyLayout) {
  g_ovwExport.scale = 1;
  g_ovwExport.options = IMG_PALETTE;
  const ImgBox box = {203, 102, 201, 104, -2, 0};  // corners in any order
  const wstr bmp = folder + u"box.bmp";
  ASSERT_EQ(0, Img_ExportBmp(bmp.c_str(), &box));
  Picture b;
  ASSERT_TRUE(ReadBmp(Test_ReadFile(bmp), &b));
  EXPECT_EQ(3u, b.w);
  EXPECT_EQ(3u, b.h);
  // A box off level 0 takes the layout's extent.
  const ImgBox below = {203, 102, 201, 104, -2, -1};
  ASSERT_EQ(0, Img_ExportBmp(bmp.c_str(), &below));
  ASSERT_TRUE(ReadBmp(Test_ReadFile(bmp), &b));
  EXPECT_EQ(10u, b.w);
  Grid_Clear();
  EXPECT_EQ(IMG_EMPTY, Img_ExportPcx((folder + u"e.pcx").c_str(), nullptr));
  EXPECT_FALSE(Test_FileExists(folder + u"e.pcx"));
}

}  // namespace

// Background picture (BMP) reading and settings, and the title picture
// choice.
#include <gtest/gtest.h>

#include <vector>

#include "platform/fio.h"
#include "platform/msg.h"
#include "platform/tim.h"
#include "render/bgp.h"
#include "render/gfxfile.h"
#include "render/pal.h"
#include "render/title.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

class BgpTest : public ::testing::Test {
 protected:
  void SetUp() override { Bgp_Reset(); }
  void TearDown() override { Bgp_Reset(); }
};

TEST_F(BgpTest, SettingsChecks) {
  EXPECT_EQ(1, Bgp_SetArea(0, 0, 0, 5));
  EXPECT_EQ(1, Bgp_SetArea(-1, 0, 1, 1));
  EXPECT_EQ(1, Bgp_SetArea(0, 32768, 1, 1));
  EXPECT_EQ(0, Bgp_SetArea(32767, 0, 1, 1));
  std::u16string p(259, u'a');
  EXPECT_EQ(0, Bgp_SetPath(p.c_str()));
  p += u'a';
  EXPECT_EQ(1, Bgp_SetPath(p.c_str()));
  EXPECT_EQ(1, Bgp_SetPath(nullptr));
  EXPECT_EQ(1, Bgp_SetMode(0));
  EXPECT_EQ(1, Bgp_SetMode(5));
  EXPECT_EQ(0, Bgp_SetMode(4));
  EXPECT_EQ(4, Bgp_GetMode());
  Bgp_Reset();
  i32 pw = 0, bits = 0;
  EXPECT_EQ(std::u16string(), std::u16string(Bgp_GetSettings(nullptr, nullptr, nullptr, nullptr, &pw, nullptr, &bits)));
  EXPECT_EQ(-1, pw);
  EXPECT_EQ(-1, bits);
}

TEST_F(BgpTest, PixelOrderAsBmpDefinesIt) {
  // 4-bit, 3 pixels: 1 2 3 -> bytes 0x12 0x30 (padded to 4).
  std::vector<u32> table16(16);
  for (u32 i = 0; i < 16; ++i) table16[i] = i * 0x010101;
  ASSERT_EQ(0, Bgp_LoadPictureMemory(Test_Bmp(4, 3, 1, table16, {0x12, 0x30, 0, 0}).data(), 0x3E + 64 + 4));
  EXPECT_EQ(table16[1], Bgp_GetPixel(0, 0)) << "the leftmost pixel is the high nibble";
  EXPECT_EQ(table16[2], Bgp_GetPixel(1, 0));
  EXPECT_EQ(table16[3], Bgp_GetPixel(2, 0));
  // 1-bit, 9 pixels: 1 0 0 0 0 0 0 1 | 1 -> bytes 0x81 0x80.
  Bytes one = Test_Bmp(1, 9, 1, {0x000000, 0xFFFFFF}, {0x81, 0x80, 0, 0});
  ASSERT_EQ(0, Bgp_LoadPictureMemory(one.data(), u32(one.size())));
  const u32 want[9] = {0xFFFFFF, 0, 0, 0, 0, 0, 0, 0xFFFFFF, 0xFFFFFF};
  for (int x = 0; x < 9; ++x) EXPECT_EQ(want[x], Bgp_GetPixel(x, 0)) << x;
  EXPECT_EQ(0xFF0000u, Bgp_GetPixel(9, 0));
}

TEST_F(BgpTest, RowsBottomUpUnlessHeightIsNegative) {
  // 24-bit 1 x 2: stored rows blue pixel then red pixel.
  Bytes rows = {0xFF, 0, 0, 0, 0, 0, 0xFF, 0};
  Bytes up = Test_Bmp(24, 1, 2, {}, rows);
  ASSERT_EQ(0, Bgp_LoadPictureMemory(up.data(), u32(up.size())));
  EXPECT_EQ(0x0000FFu, Bgp_GetPixel(0, 0)) << "top row is the last stored: red";
  EXPECT_EQ(0xFF0000u, Bgp_GetPixel(0, 1));
  Bytes down = Test_Bmp(24, 1, -2, {}, rows);
  ASSERT_EQ(0, Bgp_LoadPictureMemory(down.data(), u32(down.size())));
  EXPECT_EQ(0xFF0000u, Bgp_GetPixel(0, 0));
  i32 w, h, bits;
  Bgp_SetPath(u"x.bmp");
  Bgp_GetSettings(nullptr, nullptr, nullptr, nullptr, &w, &h, &bits);
  EXPECT_EQ(1, w);
  EXPECT_EQ(2, h);
  EXPECT_EQ(24, bits);
  Bytes b32 = Test_Bmp(32, 1, 1, {}, {1, 2, 3, 0});
  ASSERT_EQ(0, Bgp_LoadPictureMemory(b32.data(), u32(b32.size())));
  EXPECT_EQ(0x010203u, Bgp_GetPixel(0, 0));
}

TEST_F(BgpTest, DamagedBmpsAreRefused) {
  Bytes good = Test_Bmp(8, 2, 2, std::vector<u32>(256, 7), {1, 2, 0, 0, 3, 4, 0, 0});
  ASSERT_EQ(0, Bgp_LoadPictureMemory(good.data(), u32(good.size())));
  struct Case {
    const char* what;
    size_t at;
    std::vector<u8> bytes;
    int result;
  } cases[] = {
      {"magic", 0, {'X'}, 3},
      {"planes 2", 26, {2}, 3},
      {"16 bits", 28, {16}, 3},
      {"compressed", 30, {1}, 3},
      {"width 0", 18, {0}, 3},
      {"height 0", 22, {0}, 3},
      {"used colours above 256", 46, {0, 2}, 3},
      {"data offset past the file", 10, {0xFF, 0xFF, 0xFF, 0x7F}, 4},
      {"rows past the file", 22, {0, 1}, 4},
  };
  for (const Case& c : cases) {
    Bytes d = good;
    for (size_t i = 0; i < c.bytes.size(); ++i) d[c.at + i] = c.bytes[i];
    EXPECT_EQ(c.result, Bgp_LoadPictureMemory(d.data(), u32(d.size()))) << c.what;
    EXPECT_EQ(0xFF0000u, Bgp_GetPixel(0, 0)) << c.what << ": nothing kept";
  }
  Bytes cut(good.begin(), good.end() - 1);
  EXPECT_EQ(4, Bgp_LoadPictureMemory(cut.data(), u32(cut.size())));
  EXPECT_EQ(3, Bgp_LoadPictureMemory(good.data(), 20));
}

TEST_F(BgpTest, PictureFileFailureKeepsSettingsAndTellsThePath) {
  wstr folder = Test_MakeTempFolder();
  Fio_InitBuffers();
  ASSERT_EQ(0, Bgp_SetPath((folder + u"none.bmp").c_str()));
  Msg_ResetLast();
  EXPECT_EQ(2, Bgp_LoadPicture());
  EXPECT_NE(std::u16string::npos, std::u16string(Msg_LastText()).find(u"none.bmp"));
  EXPECT_EQ(folder + u"none.bmp", wstr(Bgp_GetSettings(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)));
  Bytes good = Test_Bmp(24, 1, 1, {}, {1, 2, 3, 0});
  ASSERT_TRUE(Test_WriteFile(folder + u"a.bmp", good));
  ASSERT_EQ(0, Bgp_SetPath((folder + u"a.bmp").c_str()));
  EXPECT_EQ(0, Bgp_LoadPicture());
  EXPECT_EQ(0x010203u, Bgp_GetPixel(0, 0));
  EXPECT_FALSE(Fio_IsReadOpen());
}

// ---------------------------------------------------------------- title picture

class TitleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = Test_MakeTempFolder();
    Fio_InitBuffers();
  }
  void TearDown() override { Disp_FreeTitlePicture(); }
  // count pictures of format '8', picture i is (i + 1) x 1.
  void Write(u32 count) {
    static const u8 codes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<GfxTitlePicture> pics;
    for (u32 i = 0; i < count; ++i) pics.push_back(GfxTitlePicture{u16(i + 1), 1, 9, codes, nullptr});
    ASSERT_EQ(0, GfxFile_SaveTitleFile(u"orba.tbd", FOLDER_PROGRAM, '8', pics.data(), count));
  }
  wstr folder;
};

TEST_F(TitleTest, PictureNumbers) {
  Write(3);
  struct Case {
    i32 number, read;
  } cases[] = {{1, 1}, {2, 0}, {-2, 2}, {0, 0}, {7, 0}, {-3, -3}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.read, Disp_LoadTitlePicture(c.number)) << c.number;
    i32 w = 0;
    if (c.read >= 0) {
      ASSERT_NE(nullptr, Disp_TitlePixels(&w, nullptr));
      EXPECT_EQ(c.read + 1, w);
    }
  }
  for (int i = 0; i < 20; ++i) {
    i32 n = Disp_LoadTitlePicture(-1);
    EXPECT_TRUE(n == 0 || n == 1) << "a random picture below count - 1: " << n;
  }
  const u32* px = Disp_TitlePixels(nullptr, nullptr);
  EXPECT_EQ(Pal_ColourCodeToRgb(1) & 0xFFFFFF, px[0]);
}

TEST_F(TitleTest, OnePictureNeedsNoRandomChoice) {
  Write(1);
  Rnd_SetLayoutSeed(77);
  const i32 first = Rnd_Next(100000);
  Rnd_SetLayoutSeed(77);
  EXPECT_EQ(0, Disp_LoadTitlePicture(-1));
  EXPECT_EQ(first, Rnd_Next(100000)) << "the random service is not asked";
  EXPECT_EQ(0, Disp_LoadTitlePicture(-2));
  EXPECT_EQ(0, Disp_LoadTitlePicture(5));
}

TEST_F(TitleTest, MissingOrDamagedFile) {
  EXPECT_EQ(-1, Disp_LoadTitlePicture(0));
  ASSERT_TRUE(Test_WriteFile(folder + u"orba.tbd", {0x54, 0xC2, 0x44, '8', 2, 0}));
  EXPECT_EQ(-2, Disp_LoadTitlePicture(0));
  EXPECT_EQ(nullptr, Disp_TitlePixels(nullptr, nullptr));
  EXPECT_EQ(-1, Disp_FreeTitlePicture());
  EXPECT_EQ(-1, Disp_DrawTitlePicture(nullptr, 0, 0, 10, 10));
  int dummy;
  EXPECT_EQ(-2, Disp_DrawTitlePicture(&dummy, 0, 0, 10, 10));
  EXPECT_FALSE(Fio_IsReadOpen());
}

TEST_F(TitleTest, Centring) {
  i32 x, y;
  Disp_CentreTitle(100, 50, 10, 20, 201, 40, &x, &y);
  EXPECT_EQ(10 + 50, x);
  EXPECT_EQ(20, y) << "a smaller box is not centred";
}

}  // namespace

// Palette entries with their partners, and colour codes to colours.
#include <gtest/gtest.h>

#include "render/font.h"
#include "render/pal.h"

namespace {

class PalTest : public ::testing::Test {
 protected:
  void SetUp() override { Pal_Reset(); }
  void TearDown() override { Pal_Reset(); }
};

TEST_F(PalTest, IndexOutsideTheTable) {
  EXPECT_EQ(Pal_GetColour(0), Pal_GetColour(185));
  EXPECT_EQ(Pal_GetColour(0), Pal_GetColour(-1));
  EXPECT_EQ(PAL_SET_BAD_INDEX, Pal_SetColour(-1, 0x123456));
  EXPECT_EQ(PAL_SET_BAD_INDEX, Pal_SetColour(185, 0x123456));
  EXPECT_EQ(PAL_SET_OK, Pal_SetColour(184, 0x123456));
  EXPECT_EQ(0x123456u, Pal_GetColour(184));
}

TEST_F(PalTest, PartnersStayApart) {
  struct Case {
    i32 entry, partner;
  } cases[] = {{8, 9},   {9, 8},   {10, 11}, {11, 10}, {12, 13}, {13, 12},   {16, 18},   {18, 16}, {32, 33},
               {33, 32}, {34, 32}, {40, 32}, {41, 32}, {37, 38}, {38, 37}, {46, 0}, {125, 126}, {126, 125}};
  for (const Case& c : cases) {
    Pal_Reset();
    u32 theirs = Pal_GetColour(c.partner);
    EXPECT_EQ(PAL_SET_ADJUSTED, Pal_SetColour(c.entry, theirs)) << c.entry;
    EXPECT_EQ(theirs ^ 0xFFFFFFu, Pal_GetColour(c.entry)) << c.entry;
    EXPECT_EQ(PAL_SET_OK, Pal_SetColour(c.entry, theirs ^ 0x10)) << c.entry;
  }
  // Entries without a partner take any colour; every default differs from its partner.
  Pal_Reset();
  EXPECT_EQ(PAL_SET_OK, Pal_SetColour(0, Pal_GetColour(1)));
  for (i32 i = 0; i < PAL_ENTRIES; ++i)
    if (Pal_PartnerOf(i) >= 0) {
      EXPECT_NE(Pal_GetColour(i), Pal_GetColour(Pal_PartnerOf(i))) << i;
    }
}

TEST_F(PalTest, ColourCodes) {
  struct Case {
    u32 code;
    i32 fixed;  // -1: a value of its own
    u32 flags;
    u32 value;
  } cases[] = {
      {0, 0, 0, 0},           {63, 63, 0, 0},          {64, 64, 0x40000000, 0}, {69, 69, 0x40000000, 0},
      {70, 70, 0, 0},         {74, 74, 0, 0},          {75, 75, 0x50000000, 0}, {77, 77, 0x51000000, 0},
      {78, 78, 0x51000000, 0}, {79, -1, 0, 0},         {80, 29, 0x60000000, 0}, {81, 30, 0x60000000, 0},
      {84, -1, 0, 0},         {85, 29, 0x61000000, 0}, {93, 32, 0x62000000, 0}, {100, 29, 0x64000000, 0},
      {108, 32, 0x65000000, 0}, {110, 29, 0x66000000, 0}, {113, 32, 0x66000000, 0}, {114, -1, 0, 0},
      {128, 0, 0x40000000, 0}, {130, 2, 0x40000000, 0}, {190, 62, 0x40000000, 0}, {191, -1, 0, 0},
      {248, -1, 0, 0},        {253, -1, 0, 0x80000100}, {254, -1, 0, 0x80000000}, {255, -1, 0, 0x80000001},
  };
  for (const Case& c : cases) {
    u32 want = c.fixed >= 0 ? (Pal_FixedColour(c.fixed) | c.flags) : c.value;
    EXPECT_EQ(want, Pal_ColourCodeToRgb(c.code)) << c.code;
  }
  EXPECT_EQ(Pal_GetColour(PAL_BACKGROUND), Pal_ColourCodeToRgb(126));
  EXPECT_EQ(Pal_GetColour(PAL_BACKGROUND), Pal_ColourCodeToRgb(127));
  for (u32 i = 0; i < 4; ++i) EXPECT_EQ(Pal_SystemColour(int(i)), Pal_ColourCodeToRgb(249 + i));
}

TEST_F(PalTest, BgrExchangesRedAndBlueButKeepsMarkers) {
  Pal_SetColour(5, 0x00112233);
  u32 rgb = Pal_ColourCodeToRgb(130);
  u32 bgr = Pal_ColourCodeToBgr(130);
  EXPECT_EQ(rgb & 0xFF000000u, bgr & 0xFF000000u) << "the flag byte stays";
  EXPECT_EQ((rgb >> 16) & 0xFF, bgr & 0xFF);
  EXPECT_EQ(rgb & 0xFF, (bgr >> 16) & 0xFF);
  EXPECT_EQ(0x80000001u, Pal_ColourCodeToBgr(255));
  EXPECT_EQ(0x80000100u, Pal_ColourCodeToBgr(253));
}

TEST(FontTest, DescriptionsAndScales) {
  i32 h = 0, w = 0, weight = 0, italic = 1, pitch = 0, cs = 1;
  wch face[FONT_FACE_MAX + 1];
  Font_SetMapTextFont(0, 0, 0, nullptr, 0, 0, 0, 0);
  Font_GetMapTextFontParams(&h, &w, &weight, face, &italic, &pitch, &cs);
  EXPECT_EQ(-14, h);
  EXPECT_EQ(7, w);
  EXPECT_EQ(100, weight);
  EXPECT_EQ(0x31, pitch);
  EXPECT_EQ(0, italic);
  EXPECT_EQ(0, cs);
  Font_SetStatusFont(1, -20, 3, u"A face name that is far longer than thirty-two units", 1, 2, 3, 900);
  Font_GetStatusFontParams(&h, &w, &weight, face, &italic, &pitch, &cs);
  EXPECT_EQ(-20, h);
  EXPECT_EQ(900, weight);
  EXPECT_EQ(1, italic);
  EXPECT_EQ(32, int(std::char_traits<char16_t>::length(face)));
  Font_SetStatusFont(0, 0, 0, nullptr, 0, 0, 0, 0);
  Font_GetStatusFontParams(&h, nullptr, &weight, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(700, weight);
  EXPECT_LT(h, 0) << "8 point as a negative height";
  EXPECT_EQ(nullptr, Font_GetMapTextFontByScale(3));
  EXPECT_EQ(nullptr, Font_GetMapTextFontByScale(0));
  Font_FreeAll();
}

}  // namespace

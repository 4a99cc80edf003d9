// The text listing: the summary of a small layout compared with its
// expected text, the encodings and an empty layout.
#include <gtest/gtest.h>

#include <string>

#include "model/grid.h"
#include "model/layfile.h"
#include "operation/clock.h"
#include "platform/dfwfmt.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

class LayExportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Clk_Reset();
    Clk_ResetRate();
    Str(LayoutFileName, "oval.nt3");
    Lng_SetGeneralInfo(0, u"Oval");
    Lng_SetGeneralInfo(1, u"Ann");
    Lng_SetGeneralInfo(2, u"A small test");
    g_simClock.weekday = 3;
    g_simClock.hour = 8;
    g_simClock.minute = 5;
    g_simClock.second = 9;
    g_simClock.elapsedMinutes = 2 * 1440 + 61;
  }
  void TearDown() override { Grid_Exit(); }
  static void Str(wch* dst, const char* s) {
    const wstr w = W16(s);
    for (size_t i = 0; i <= w.size(); ++i) dst[i] = i < w.size() ? w[i] : 0;
  }
  std::string Export(u16 selection) {
    const LayExportOptions o = {selection, u';'};
    Lay_SetExportOptions(&o);
    const wstr path = folder + u"list.dat";
    EXPECT_EQ(0, Lay_ExportText(path.c_str()));
    const std::vector<u8> b = Test_ReadFile(path);
    return std::string(b.begin(), b.end());
  }
  wstr folder;
};

const char kSeparator[] = "\r\n------------------------------------------------------------\r\n";

TEST_F(LayExportTest, SummaryOfASmallLayout) {
  for (i32 x = 16000; x < 16128; ++x) Grid_SetCell(x, 16384, 0, 0x4001);
  Grid_SetCell(16000, 16390, -2, 0x4001);
  Grid_UpdateExtent(0, 0, 0, 0);
  // The clock in the locale's form, which differs between systems.
  wch time[64];
  Dfw_FormatTimeLocale(8, 5, 9, time);
  const std::string want = std::string("Layout file: oval.nt3\r\nLayout name: Oval\r\nAuthor: Ann\r\n") +
                           "Simulated time elapsed (days, hours:minutes): 2 1:01\r\nInformation: A small test\r\n" +
                           kSeparator + "\r\nClock: Wed " + U8(time) + "\r\n\r\n" +
                           "Scale: 64 cells per kilometre\r\n" + "X: from 16000 to 16127, 128 cells = 2.000 km\r\n" +
                           "Y: from 16384 to 16390, 7 cells = 0.109 km\r\n" + "Levels: from -2 to 0, 3 levels\r\n" +
                           kSeparator;
  EXPECT_EQ(want, Export(0x4001));
}

TEST_F(LayExportTest, EncodingsAndAnEmptyLayout) {
  // Nothing chosen: only the byte-order mark, or nothing at all in 8 bits.
  EXPECT_EQ(std::string("\xFF\xFE"), Export(0x2000));
  EXPECT_EQ(std::string(), Export(0x4000));
  EXPECT_EQ(std::string(), Export(0x6000));  // 8 bits wins
  // An empty grid: no extent lines, both separators.
  const std::string s = Export(0x4001);
  EXPECT_EQ(std::string::npos, s.find("Scale:"));
  EXPECT_EQ(s.size() - (sizeof kSeparator - 1), s.rfind(kSeparator));
  EXPECT_NE(s.find(kSeparator), s.rfind(kSeparator));
  // UTF-16: the same text, two bytes a character.
  const std::string wide = Export(0x2001);
  ASSERT_EQ(2 + 2 * s.size(), wide.size());
  EXPECT_EQ('L', wide[2]);
  EXPECT_EQ(0, wide[3]);
}

}  // namespace

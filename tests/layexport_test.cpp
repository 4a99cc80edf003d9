// The text listing: the summary of a small layout compared with its
// expected text, the encodings and an empty layout; the signal chapters of
// a small layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/dep.h"
#include "model/grid.h"
#include "model/infp.h"
#include "model/layfile.h"
#include "operation/clock.h"
#include "operation/pts.h"
#include "operation/ptsfile.h"
#include "operation/sig.h"
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
    Sig_Clear();
    Dep_Clear();
    Info_Clear();
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
  void TearDown() override {
    Sig_Clear();
    Pts_FreeAll();
    Dep_Clear();
    Info_Clear();
    Grid_Exit();
  }
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

// An installation used by a main signal's condition, by a counting
// element's list and by a depot place; the two elements in name order.
TEST_F(LayExportTest, SignalChaptersOfASmallLayout) {
  const u32 north = Sig_CreateInstallation(0);
  ASSERT_NE(0u, north);
  SignalInstallationData a = {};
  std::memcpy(a.Name, u"North", 12);
  a.Maximum = 3;
  a.Limit = 2;
  a.Count = 2;
  a.Text = u"Block";
  a.TextLength = 6;
  ASSERT_EQ(0, Sig_SetInstallation(north, &a));
  DepotPlace place = {};
  place.X = 50;
  place.Y = 51;
  place.Number = 1;
  place.ListACount = 1;
  place.ListA[0] = -i32(north);
  ASSERT_EQ(0, Dep_InsertPlace(1, u"Yard", u"Y", &place));
  auto element = [](i32 x, i32 y, u32 code, const char16_t* name, u32 type, u32 token, i32 list1) {
    ASSERT_TRUE(Grid_SetCell(x, y, 0, CellCode(code)));
    ASSERT_EQ(0, Sig_CreateElement(x, y, 0, 0, code));
    SignalElementData d = {};
    std::memcpy(d.Name, name, (std::char_traits<char16_t>::length(name) + 1) * 2);
    d.Type = type;
    d.TokenCount = token ? 1 : 0;
    d.Tokens[0] = token;
    d.List1Count = list1 ? 1 : 0;
    d.List1[0] = list1;
    ASSERT_EQ(0, Sig_SetElement(x, y, 0, &d));
  };
  element(16010, 16384, 440, u"M1", 1, north, 0);     // main signal
  element(16020, 16384, 392, u"C1", 10, 0, i32(north));  // counting element
  ASSERT_EQ(0, Info_Set(16010, 16384, 0, 8));
  ASSERT_EQ(0, Info_SetText(16010, 16384, 0, u"Exit"));
  const std::string want = std::string("Signal installations: 1\r\n") + kSeparator +
                           "Installation: North\r\nMaximum:   3\r\nLimit:   2\r\nCount:   2\r\n"
                           "State: occupied\r\n"
                           "Signal elements referring to it: 1\r\nCounting elements referring to it: 1\r\n"
                           "Schedule: none\r\nText: Block\r\n"
                           "Depot places referring to it:\r\n    50,   51,+0   Yard: 1\r\n\r\n"
                           "Signal elements: 2\r\n" + kSeparator +
                           "Element: C1\r\nCell: 16020,16384,+0\r\nType: counting element\r\n"
                           "List 1: 1 North+\r\nList 2: empty\r\n"
                           "Serves the trains of every line\r\nDepot places: no rule\r\n" + kSeparator +
                           "Element: M1\r\nCell: 16010,16384,+0\r\nType: main signal\r\n"
                           "List 1: empty\r\nList 2: empty\r\n"
                           "Serves the trains of every line\r\nDepot places: no rule\r\nExit\r\n" + kSeparator;
  EXPECT_EQ(want, Export(0x4000 | 0x0080 | 0x0200));
  // Each chapter alone; none without its bit.
  const std::string inst = Export(0x4000 | 0x0080);
  EXPECT_EQ(0u, inst.find("Signal installations: 1"));
  EXPECT_EQ(std::string::npos, inst.find("Signal elements:"));
  EXPECT_EQ(0u, Export(0x4000 | 0x0200).find("Signal elements: 2"));
  // An empty store still writes both heads with count 0.
  Sig_Clear();
  EXPECT_EQ(std::string("Signal installations: 0\r\n") + kSeparator + "Signal elements: 0\r\n" + kSeparator,
            Export(0x4000 | 0x0080 | 0x0200));
}

// The turnout controllers' chapter comes with its bit, after the summary and
// before the signals.
TEST_F(LayExportTest, TurnoutChapterBetweenTheSummaryAndTheSignals) {
  const CellCode piece = 48;  // a turnout of two branches
  ASSERT_EQ(1, Grid_SetCell(100, 10, 0, piece));
  u32 w[4];
  ASSERT_EQ(0, Pts_TileConnections(piece, w));
  ASSERT_EQ(0, Pts_SetById(100, 10, 0, 1, w[0], w[1], w[2], w[3], Pts_NextFreeId(), PTS_KIND_RANDOM, 0));
  const std::string all = Export(0x4000 | 0x0001 | 0x0020 | 0x0080);
  const size_t turnouts = all.find("Turnout controllers");
  ASSERT_NE(std::string::npos, turnouts);
  EXPECT_NE(std::string::npos, all.find("Controllers: 1", turnouts));
  EXPECT_LT(all.find("Oval"), turnouts);
  EXPECT_LT(turnouts, all.find("Signal installations: 0"));
  EXPECT_EQ(std::string::npos, Export(0x4000 | 0x0001 | 0x0080).find("Turnout controllers"));
}

// A scheduled installation lists its kind, its span and the week's entries.
TEST_F(LayExportTest, AnInstallationsSchedule) {
  const u8 schedule[] = {3, 10, 0, 254, 255, 0};  // Mondays and Tuesdays at 10:00
  for (int kind = 0; kind < 2; ++kind) {
    Sig_Clear();
    const u32 id = Sig_CreateInstallation(0);
    SignalInstallationData a = {};
    std::memcpy(a.Name, u"South", 12);
    a.Flags = 1;
    a.Maximum = a.Limit = 1;
    a.Kind = u8(kind);
    a.Duration = kind ? 90 : 0;
    a.Schedule = schedule;
    a.ScheduleBytes = sizeof schedule;
    ASSERT_EQ(0, Sig_SetInstallation(id, &a));
    const std::string s = Export(0x4000 | 0x0080);
    const char* want = kind ? "Schedule: occupied while a span runs\r\nSpan: 90 seconds\r\nMonday+Tuesday\r\n"
                            : "Schedule: free while a span runs\r\nSpan: without end\r\nMonday+Tuesday\r\n";
    EXPECT_NE(std::string::npos, s.find(want)) << s;
    EXPECT_NE(std::string::npos, s.find("10: 00")) << s;
  }
}

}  // namespace

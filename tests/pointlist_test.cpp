// The text listing's chapters of Dwx, shunting and LFST points.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/dwx.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/lfst.h"
#include "model/line.h"
#include "model/rngp.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

const char kSeparator[] = "\r\n------------------------------------------------------------\r\n";

class PointListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
    folder = Test_MakeTempFolder();
    ASSERT_EQ(0, Grid_Init());
    ASSERT_EQ(1, Lin_Init());
    ASSERT_EQ(0, Lin_Create(u"A", 0, 0, &lineA));
    Dwx_Clear();
    Lfst_Clear();
    Rp_Clear();
  }
  void TearDown() override {
    Dwx_Clear();
    Lfst_Clear();
    Rp_Clear();
    Lin_Exit();
    Grid_Exit();
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
  LineId lineA = 0;
};

TEST_F(PointListTest, DwxPointsInNameOrder) {
  const u32 rule[3] = {1, lineA, 0};
  ASSERT_EQ(0, Dwx_Set(12, 3, 0, 0, 1, u"West"));
  ASSERT_EQ(0, Dwx_Set(10, 3, -1, 0, 1, u"East"));
  ASSERT_EQ(0, Dwx_SetRule(10, 3, -1, rule, 3));
  const std::string want = std::string("Dwx points: 2\r\n") + kSeparator + "Dwx point East\r\nPosition:    10,    3,-1\r\n" +
                           "Rule: A\r\n" + kSeparator + "Dwx point West\r\nPosition:    12,    3,+0\r\n" +
                           "Rule: (no rule)\r\n" + kSeparator;
  EXPECT_EQ(want, Export(0x4100));
}

TEST_F(PointListTest, LfstPointsWithTheirCounts) {
  u32 zero[10] = {}, sixty[10];
  for (u32& v : sixty) v = 60000;
  ASSERT_EQ(0, Lfst_Set(5, 6, 0, 0, nullptr, 0, 1, LFST_F_FLAGGED, zero, zero, zero));
  ASSERT_EQ(0, Lfst_Set(7, 6, 0, 0, nullptr, 0, 1, 0, sixty, sixty, sixty));
  const std::string want = std::string("LFST points\r\nPoints: 2\r\nEvery value 0: 1\r\n") +
                           "One value for every train: 1\r\nValues by train: 0\r\nMarked: 1\r\n" + kSeparator +
                           "LFST point\r\nPosition:     7,    6,+0\r\nFor every train\r\nValues: 60 km/h\r\n" +
                           kSeparator + "LFST point\r\nPosition:     5,    6,+0 (marked)\r\nFor every train\r\n" +
                           "Every value is 0\r\n" + kSeparator;
  EXPECT_EQ(want, Export(0x5000));
}

TEST_F(PointListTest, ShuntingPointsWithTheirLists) {
  ASSERT_EQ(0, Rp_Set(4, 4, 0, 0, 1, RP_TYPE_REFUSE));
  const u32 words[3] = {1, lineA, 0};
  ASSERT_EQ(0, Rp_Edit(4, 4, 0, words, 0, 30, 15, 20, u32(-2), 0x40, 0, 0, 3, 0));
  const std::string want = std::string("Shunting points: 1\r\nShunting point at     4,    4,+0\r\n") +
                           "Split behind vehicle 2 counted from the end\r\n" +
                           "Trains its second rule does not name pass\r\nWait after reversing: 20 s\r\n" +
                           "Split value: 15\r\nLet pass: (none)\r\nTake: A\r\n" +
                           "Let pass from depot places: (none)\r\nTake from depot places: (none)\r\n" + kSeparator;
  EXPECT_EQ(want, Export(0x4040));
}

}  // namespace

// The line table's list operations for trains and old files, and its part
// of the text listing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/dep.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "platform/fio.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

class LineOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(1, Lin_Init());
    TrnList_Init();  // the line table's train counts
    Dep_Clear();
    g_simClock.weekday = 1;
    g_simClock.hour = 9;
    g_simClock.minute = 0;
    g_simClock.second = 0;
  }
  void TearDown() override {
    Dep_Clear();
    TrnList_Clear();
    Lin_Exit();
  }
};

TEST_F(LineOpsTest, OldPairListsBecomeGroups) {
  const struct {
    std::vector<u16> old;
    std::vector<u32> want;
  } cases[] = {
      {{5, 0}, {1, 5, 0}},
      {{5, 0x4000, 9}, {1, 5, 0x4000, 9}},
      {{5, 0x8000, 23 << 8 | 59, 23 << 8 | 59}, {1, 5, 0x8000, 1, 0x7F173B00, 0x7F000000}},
      {{5, 0x8000, 24 << 8, 6 << 8}, {1, 5, 0x8000, 1, 0x7F000000, 0x7F000000}},
      {{5, 0xC000, 1 << 8, 2 << 8 | 30, 4, 6, 0}, {1, 5, 0xC000, 1, 0x7F010000, 0x7F021F00, 4, 1, 6, 0}},
      {{5, 0x0C00}, {1, 5, 0}},  // bits without words stay out of the group
  };
  for (const auto& c : cases) {
    std::vector<u32> out(2 * c.old.size() + 2);
    const i32 n = Lin_ListFromOldPairs(c.old.data(), i32(c.old.size()), out.data());
    ASSERT_GE(n, 0);
    out.resize(n);
    EXPECT_EQ(c.want, out);
    EXPECT_EQ(1 + (c.old.size() > 6 ? 1 : 0), Lin_ListCountGroups(out.data(), n));
  }
  const u16 cut[] = {5, 0x8000, 1};
  u32 out[8];
  EXPECT_EQ(-1, Lin_ListFromOldPairs(cut, 3, out));

  // The oldest form: id and flags in one word.
  u16 oldest[16] = {0x8005, 1 << 8, 2 << 8, 0x0007, 0x4009, 3};
  EXPECT_EQ(9, Lin_OldListSplit(oldest, 6));
  EXPECT_EQ((std::vector<u16>{5, 0x8000, 1 << 8, 2 << 8, 7, 0, 9, 0x4000, 3}), std::vector<u16>(oldest, oldest + 9));
}

TEST_F(LineOpsTest, ApplyingAListSetsTheTrainsOptionsAndFlags) {
  DepotPlace p = {};
  p.Number = 2;
  ASSERT_EQ(0, Dep_InsertPlace(3, u"Depot", u"D", &p));
  // Group 1: line 4 between 8:00 and 10:00, switches to line 6 and is
  // placed at depot place 3:2 (word 5: place, flagged, own numbers).
  // Group 2: any line, option 0x1 with word 3 (placed, flagged).
  const std::vector<u32> list = {1, 4, 0x8000 | 0x4000 | 0x20000, 1, 0x7F080000, 0x7F0A0000, 6, 7, 3, 2,
                                 1, 0, 0x1, 3};
  const i32 n = i32(list.size());
  const struct {
    u32 line, flags;
    u8 hour;
    int result;
    u32 lineAfter, flagsAfter, depot, place;
  } cases[] = {
      {4, 0x400, 9, 1, 6, 0x8001, 3, 2},
      {4, 0, 11, 1, 4, 0x8400, 0, 0},   // outside the window: group 2
      {5, 0x1, 9, 1, 5, 0x1, 0, 0},      // in service: option 0x1 leaves it
      {4, 0x0, 9, 1, 6, 0x8001, 3, 2},
  };
  for (const auto& c : cases) {
    g_simClock.hour = c.hour;
    LineId line = c.line;
    u32 flags = c.flags;
    LinApplyOut out;
    EXPECT_EQ(c.result, Lin_ListApply(list.data(), n, &line, &out, &flags, 9, 9, 0)) << &c - cases;
    EXPECT_EQ(c.lineAfter, line) << &c - cases;
    EXPECT_EQ(c.flagsAfter, flags) << &c - cases;
    EXPECT_EQ(c.depot, out.depot) << &c - cases;
    EXPECT_EQ(c.place, out.place) << &c - cases;
  }
  // A place that does not exist changes nothing.
  std::vector<u32> missing = list;
  missing[9] = 5;
  g_simClock.hour = 9;
  LineId line = 4;
  u32 flags = 0x400;
  LinApplyOut out;
  EXPECT_EQ(1, Lin_ListApply(missing.data(), n, &line, &out, &flags, 9, 9, 0));
  EXPECT_EQ(0x400u, flags);
  // Word 0 of option 0x20000 ends the service.
  const std::vector<u32> stop = {1, 0, 0x20000, 0};
  flags = 0x8001;
  EXPECT_EQ(1, Lin_ListApply(stop.data(), 4, &line, &out, &flags, 0, 0, 0));
  EXPECT_EQ(0u, flags);
  EXPECT_EQ(2, Lin_ListApply(nullptr, 0, &line, &out, &flags, 0, 0, 0));
  const std::vector<u32> other = {1, 8, 0};
  EXPECT_EQ(0, Lin_ListApply(other.data(), 3, &line, &out, &flags, 0, 0, 0));
}

int ExportLines() { return Lin_ExportText(u';', 1); }

TEST_F(LineOpsTest, TheListingCountsTrainsPerLine) {
  ASSERT_EQ(0, Test_LoadTexts());
  LineId a = 0, b = 0;
  ASSERT_EQ(0, Lin_Create(u"S1", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"U42", 0, 0, &b));
  ASSERT_EQ(0, Lin_SetText(b, u"Ring"));
  TrainRec t = {};
  t.Line = t.CurLine = a;
  t.LastCell = 1;
  for (i32 n = 1; n <= 3; ++n) {
    t.Number = n;
    ASSERT_EQ(0, TrnList_Create(nullptr, &t, nullptr, 1, 1, 0));
  }
  const std::vector<u8> bytes = Test_SaveSection(ExportLines);
  std::string s;
  for (u8 c : bytes)
    if (c) s += char(c);
  EXPECT_NE(std::string::npos, s.find("      S1;      3;      0;      3;      0;      0")) << s;
  EXPECT_NE(std::string::npos, s.find("     U42;      0;      0;      0;      0;      0")) << s;
  EXPECT_NE(std::string::npos, s.find("Ring")) << s;
}

}  // namespace

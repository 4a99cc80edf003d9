#include <gtest/gtest.h>

#include <vector>

#include "model/grid.h"
#include "model/hst.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

Bytes SaveStops() {
  const Bytes b = Test_SaveSection(Hst_SaveSection);
  EXPECT_FALSE(b.empty()) << "the section could not be written";
  return b;
}

int LoadStops(const Bytes& b, u16 version) { return Test_LoadSection(b, Hst_LoadSection, version); }

void Put16(Bytes& b, u32 v) { Test_Put16(b, v); }
void Put32(Bytes& b, u32 v) { Test_Put32(b, v); }

class HstTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Hst_Clear();
  }
  void TearDown() override {
    Hst_Clear();
    Grid_Exit();
  }
};

TEST_F(HstTest, SectionRoundTripKeepsRecordsAndBytes) {
  const StopPair pairs[2] = {{30, 1}, {60, 0}};
  const u32 words[4] = {1, 0, 0, 0};  // one group: any line, no options
  ASSERT_EQ(0, Hst_Set(5, 6, 0, 2, pairs, 0, nullptr, 3, 0, 0x81, HST_F_PAIRS, 0x3FF));
  ASSERT_EQ(0, Hst_Set(700, 60, -2, 0, nullptr, 3, words, 2, 2500, 4, HST_F_EXTRA | HST_F_LINES_ONLY, 1));
  ASSERT_EQ(0, Hst_Set(17, 6, 0, 0, nullptr, 0, nullptr, 0, 0, 1, HST_F_FLAGGED, 2));
  const Bytes first = SaveStops();
  ASSERT_EQ(0, LoadStops(first, 0x3850));
  EXPECT_EQ(3u, Hst_Count(nullptr));
  u32 np = 0, nw = 0, extra = 0, flags = 0;
  u8 dm = 0;
  StopPair gotPairs[HST_MAX_PAIRS];
  u32 gotWords[HST_MAX_WORDS];
  EXPECT_EQ(0x3FF, Hst_GetInfo(5, 6, 0, &np, gotPairs, &nw, gotWords, &extra, &dm, &flags));
  EXPECT_EQ(2u, np);
  EXPECT_EQ(60, gotPairs[1].Number);
  EXPECT_EQ(0x81, dm);
  EXPECT_EQ(1, Hst_GetInfo(700, 60, -2, &np, nullptr, &nw, gotWords, &extra, nullptr, nullptr));
  EXPECT_EQ(3u, nw);
  EXPECT_EQ(2500u, extra);
  EXPECT_EQ(3u, Hst_GetKind(5, 6, 0, 1));
  // The list runs newest first, so a reload reverses it; a second round
  // trip gives the first bytes back.
  const Bytes second = SaveStops();
  ASSERT_EQ(0, LoadStops(second, 0x3850));
  EXPECT_EQ(first, SaveStops());
}

TEST_F(HstTest, BadCountsAndTagsChangeNothingUsable) {
  Bytes b;
  Put32(b, 0x50545348);
  Put32(b, 40001);
  EXPECT_EQ(3, LoadStops(b, 0x3850));
  Bytes tag;
  Put32(tag, 0x50545349);
  Put32(tag, 0);
  EXPECT_EQ(3, LoadStops(tag, 0x3850));
  // A pair list longer than any producer makes.
  Bytes pairs;
  Put32(pairs, 0x50545348);
  Put32(pairs, 1);
  Put16(pairs, 1), Put16(pairs, 1), pairs.push_back(0);
  Put32(pairs, 1);
  Put32(pairs, HST_F_PAIRS);
  Put16(pairs, 1);
  Put32(pairs, 51);
  EXPECT_EQ(3, LoadStops(pairs, 0x3850));
  Bytes cut(b.begin(), b.begin() + 6);
  EXPECT_NE(0, LoadStops(cut, 0x3850));
  EXPECT_EQ(0u, Hst_Count(nullptr));
}

TEST_F(HstTest, OlderFormsConvert) {
  // 14167..14388: "HS", u32 count, old flag word, u16 direction mask, u16
  // extra in whole units, u32 kind (from 14344; before 14370 one higher).
  Grid_SetCell(3, 4, 0, 264);
  Bytes b;
  Put16(b, 0x5348);
  Put32(b, 1);
  Put16(b, 3), Put16(b, 4);  // no level byte before 14389
  Put16(b, 0x1 | 0x20 | 0x800);  // type 1, other categories, extra value
  Put16(b, 0x10);
  Put16(b, 7);
  Put32(b, 3);
  ASSERT_EQ(0, LoadStops(b, 14369));
  u32 extra = 0, flags = 0;
  u8 dm = 0;
  EXPECT_EQ(1, Hst_GetInfo(3, 4, 0, nullptr, nullptr, nullptr, nullptr, &extra, &dm, &flags));
  EXPECT_EQ(u32(HST_F_OTHER_CATEGORIES | HST_F_EXTRA), flags);
  EXPECT_EQ(7000u, extra);
  EXPECT_EQ(0x10, dm);
  EXPECT_EQ(4u, Hst_GetKind(3, 4, 0, 1));
  ASSERT_EQ(0, LoadStops(b, 14370));
  EXPECT_EQ(3u, Hst_GetKind(3, 4, 0, 1));
  // Before 13574 the count is stored six times over; before 14167 one word
  // holds the direction mask and an old kind code.
  Bytes old;
  Put16(old, 0x5348);
  Put16(old, 6);
  Put16(old, 3), Put16(old, 4);
  Put16(old, 0x0802);  // mask 8, old kind 2 -> flag word 7
  // Before 14344 the kind comes from the cell's old stop element, which
  // becomes today's; a stop on a cell without one is left out.
  ASSERT_EQ(0, LoadStops(old, 13500));
  EXPECT_EQ(0u, Hst_Count(nullptr));
  Grid_SetCell(3, 4, 0, 88 + 3);
  ASSERT_EQ(0, LoadStops(old, 13500));
  EXPECT_EQ(0x15, Hst_GetInfo(3, 4, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &dm, nullptr));
  EXPECT_EQ(8, dm);
  EXPECT_EQ(11u, Hst_GetKind(3, 4, 0, 1));
  EXPECT_EQ(264 + 3, Grid_GetCell(3, 4, 0));
  // Line lists of files before 14389 are u16 pairs (id, flags), before
  // 14170 one word each, converted by the line table.
  for (u16 version : {u16(14169), u16(14300)}) {
    Grid_SetCell(3, 4, 0, 88 + 3);
    Bytes lines;
    Put16(lines, 0x5348);
    Put32(lines, 1);
    Put16(lines, 3), Put16(lines, 4);
    Put16(lines, 0x1 | 0x40);  // type 1, line list: only these lines
    Put16(lines, 1);
    // Line 7 with a window from 8:00 to 9:59, which ends at 10:00.
    std::vector<u16> list = {7, 0x8000, 8 << 8, 9 << 8 | 59};
    if (version < 14170) list = {0x8000 | 7, 8 << 8, 9 << 8 | 59};
    Put16(lines, u32(list.size()));
    for (u16 w : list) Put16(lines, w);
    ASSERT_EQ(0, LoadStops(lines, version)) << version;
    u32 n = 0, words[16] = {};
    Hst_GetInfo(3, 4, 0, nullptr, nullptr, &n, words, nullptr, nullptr, nullptr);
    EXPECT_EQ((std::vector<u32>{1, 7, 0x8000, 1, 0x7F080000, 0x7F0A0000}), std::vector<u32>(words, words + n))
        << version;
  }
  Bytes notSix = old;
  notSix[2] = 7;
  EXPECT_EQ(3, LoadStops(notSix, 13500));
}

TEST_F(HstTest, MatchingATrain) {
  ASSERT_EQ(0, Hst_Set(1, 1, 0, 0, nullptr, 0, nullptr, 1, 0, 0x2, 0, 0x4));
  EXPECT_EQ(-1, Hst_MatchTrain(1, 1, 0, nullptr, 0, 1, 1, 1, 3, 0x2));
  EXPECT_EQ(0, Hst_MatchTrain(1, 1, 0, nullptr, 0, 1, 1, 1, 2, 0x2));  // type
  EXPECT_EQ(0, Hst_MatchTrain(1, 1, 0, nullptr, 0, 1, 1, 1, 3, 0x1));  // direction
  EXPECT_EQ(0, Hst_MatchTrain(1, 1, 0, nullptr, 0, 1, 1, 2, 3, 0x2));  // category
  const StopPair zero = {9, 0};
  ASSERT_EQ(0, Hst_Set(1, 1, 0, 1, &zero, 0, nullptr, 1, 0, 0x2, HST_F_PAIRS | HST_F_EXCLUDE, 0x4));
  EXPECT_EQ(0, Hst_MatchTrain(1, 1, 0, nullptr, 0, 1, 1, 1, 3, 0x2));  // excluded without flags
  // In service, the exclusion 0xC is not exactly 4: it applies; all
  // weights 0 give no number.
  EXPECT_EQ(-1, Hst_MatchTrain(1, 1, 0, nullptr, 0x1, 1, 1, 1, 3, 0x2));
  // Started by a flagged entry the train counts as category 3.
  EXPECT_EQ(0, Hst_MatchTrain(1, 1, 0, nullptr, 0x1 | 0x8000, 1, 1, 1, 3, 0x2));
  EXPECT_EQ(1u, Hst_Count(nullptr));
  u32 lo = 9, hi = 9;
  EXPECT_EQ(1, Hst_IsCode(0x1908, &lo, &hi));
  EXPECT_EQ(2u, lo);
  EXPECT_EQ(2u, hi);
  EXPECT_EQ(1, Hst_IsCode(264, &lo, &hi));
  EXPECT_EQ(16u, hi);
  EXPECT_EQ(0, Hst_IsCode(263, nullptr, nullptr));
  EXPECT_EQ(0, Hst_IsCode(0x8108, nullptr, nullptr));
}

TEST_F(HstTest, MovingAndDeletingInABox) {
  ASSERT_EQ(0, Hst_Set(10, 10, 0, 0, nullptr, 0, nullptr, 1, 0, 1, 0, 1));
  ASSERT_EQ(0, Hst_Set(20, 10, 0, 0, nullptr, 0, nullptr, 1, 0, 1, 0, 1));
  Hst_MoveInBox(10, 10, 0, 15, 15, 0, 3, 1, 0);
  EXPECT_EQ(nullptr, Hst_Find(10, 10, 0));
  EXPECT_NE(nullptr, Hst_Find(13, 11, 0));
  EXPECT_NE(nullptr, Hst_Find(20, 10, 0));
  Ewin_ClearModified();
  EXPECT_EQ(1, Hst_Delete(1, 1, 0));
  EXPECT_EQ(0, Ewin_IsModified());
  Hst_DeleteInBox(0, 0, 0, 30, 30, 0);
  EXPECT_EQ(0u, Hst_Count(nullptr));
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/grid.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trndepart.h"
#include "operation/trnlist.h"

namespace {

class TrnDepartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    TrnList_FreeAll();
    Clk_Reset();
  }
  void TearDown() override { TrnList_FreeAll(); }
  static TrainRec* Add(u32 line, i32 number) {
    TrainRec tmpl;
    std::memset(&tmpl, 0, sizeof tmpl);
    tmpl.Line = tmpl.CurLine = line;
    tmpl.Number = number;
    EXPECT_EQ(TRN_CREATE_OK, TrnList_Create(nullptr, &tmpl, nullptr, 10, 10, 0));
    return TrnList_Find(line, number);
  }
};

TEST_F(TrnDepartTest, DirectionCodesAndSteps) {
  struct Case {
    i32 dx, dy;
    u32 code;
  } cases[] = {{0, -1, 1},  {0, 1, 2},   {-1, 0, 4},  {1, 0, 8}, {1, 1, 16},
               {-1, -1, 32}, {-1, 1, 64}, {1, -1, 128}, {0, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.code, Trn_DirectionCode(c.dx, c.dy));
    EXPECT_EQ(c.dx, Trn_DirectionDx(c.code)) << c.code;
    EXPECT_EQ(c.dy, Trn_DirectionDy(c.code)) << c.code;
  }
}

TEST_F(TrnDepartTest, FreeNumberSearches) {
  struct Case {
    std::vector<i32> numbers;
    i32 lowest, highest;
  } cases[] = {
      {{}, 1, 999},
      {{1, 2, 3}, 4, 999},
      {{2, 3}, 1, 999},
      {{1, 2, 5, 6}, 3, 999},
      {{1, 998, 999}, 2, 997},
      {{1, 2, 3, 999}, 4, 998},
      {{997, 998, 999}, 1, 996},
      {{1, 999}, 2, 998},
  };
  u32 line = 1;
  for (const Case& c : cases) {
    ++line;
    for (i32 n : c.numbers) Add(line, n);
    EXPECT_EQ(c.lowest, TrnList_LowestFreeNumber(line)) << "line " << line;
    EXPECT_EQ(c.highest, TrnList_HighestFreeNumber(line)) << "line " << line;
  }
  // Every number up to 999 taken: none free either way.
  const u32 full = 100;
  for (i32 n = 1; n <= 999; ++n) Add(full, n);
  EXPECT_EQ(0, TrnList_LowestFreeNumber(full));
  EXPECT_EQ(0, TrnList_HighestFreeNumber(full));
}

TEST_F(TrnDepartTest, TimetableMatchesByWeekdayAndSecond) {
  TrainRec* t = Add(1, 1);
  const u32 monWed = 1 | 4;
  t->TimeA[0] = monWed << 24 | 7 << 16 | 30 << 8;
  t->TimeA[1] = 127u << 24 | 7 << 16 | 30 << 8;        // also matches: the first wins
  t->TimeA[2] = 127u << 24 | 8 << 16 | 30 << 8 | 15;  // at second 15: never met at second 0
  t->TimeB[3] = 2u << 24 | 6 << 16;
  EXPECT_EQ(1, Trn_MatchDeparture(t, 1u << 24 | 7 << 16 | 30 << 8));
  EXPECT_EQ(2, Trn_MatchDeparture(t, 2u << 24 | 7 << 16 | 30 << 8));
  EXPECT_EQ(0, Trn_MatchDeparture(t, 1u << 24 | 7 << 16 | 31 << 8));
  EXPECT_EQ(3, Trn_MatchDeparture(t, 1u << 24 | 8 << 16 | 30 << 8 | 15));
  EXPECT_EQ(3, Trn_MatchInsertion(t, 2u << 24 | 6 << 16));
  EXPECT_EQ(-1, Trn_MatchInsertion(t, 4u << 24 | 6 << 16));
  // No entry at 0:00:00 on an empty table row.
  EXPECT_EQ(-1, Trn_MatchInsertion(t, 1u << 24));
}

TEST_F(TrnDepartTest, StartAndEndService) {
  TrainRec* t = Add(1, 1);
  t->HomeDepot = 3;
  t->HomePlace = 2;
  t->DepotA[1] = 7;
  t->PlaceA[1] = 0x8000 | 4;
  Trn_StartService(t, 2, 1);
  EXPECT_EQ(7, t->CurDepot);
  EXPECT_EQ(4, t->CurPlace);
  EXPECT_EQ(TRN_IN_SERVICE | TRN_FLAGGED_START, t->StateFlags & (TRN_IN_SERVICE | TRN_FLAGGED_START));
  EXPECT_EQ(0, Trn_EndService(t));
  EXPECT_EQ(0u, t->StateFlags & (TRN_IN_SERVICE | TRN_FLAGGED_START));
  EXPECT_EQ(1, Trn_EndService(t));
  Trn_StartService(t, 0, 0);
  EXPECT_EQ(3, t->CurDepot);
  EXPECT_EQ(2, t->CurPlace);
  // An entry without a depot changes nothing.
  Trn_EndService(t);
  Trn_StartService(t, 4, 0);
  EXPECT_EQ(0u, t->StateFlags & TRN_IN_SERVICE);
}

TEST_F(TrnDepartTest, PlacingAtAMissingPlaceIsRefused) {
  TrainRec* t = Add(1, 1);
  EXPECT_EQ(1, Trn_PlaceAtDepotPlace(t, 55, 1, 0));
  EXPECT_EQ(1, Trn_PlaceAtDepotPlace(t, 0, 0, 0));  // no home place
  EXPECT_EQ(u32(TRN_OFF_TRACK), t->StateFlags);
  EXPECT_EQ(u32(TRN_LIST_OFF_TRACK), t->StateList);
}

TEST_F(TrnDepartTest, DwxTimetablesAndNumbers) {
  TrainRec* t = Add(1, 5);
  Add(1, 6);
  t->HomeDepot = 9;
  t->HomePlace = 3;
  const u32 timesA[6] = {100, 0, 300, 0, 0, 0}, timesB[6] = {0, 0, 0, 0, 0, 400};
  const u16 depotsA[6] = {2, 5, 0, 0, 0, 0}, placesA[6] = {1, 1, 0x8000, 0, 0, 0};
  const u16 depotsB[6] = {0, 0, 0, 0, 0, 4}, placesB[6] = {0, 0, 0, 0, 0, 2};
  Trn_ApplyDwxTimetables(t, timesB, depotsB, placesA, depotsA, timesA, placesB);
  EXPECT_EQ(2, t->DepotA[0]);
  EXPECT_EQ(0, t->DepotA[1]);  // no time: no place
  EXPECT_EQ(9, t->DepotA[2]);  // home place with the entry's flag
  EXPECT_EQ(0x8000 | 3, t->PlaceA[2]);
  EXPECT_EQ(4, t->DepotB[5]);
  EXPECT_EQ(400u, t->TimeB[5]);
  // Numbers: same, taken, lowest free, highest free.
  EXPECT_EQ(1, Trn_ApplyDwxNumber(t, 5, nullptr));
  EXPECT_EQ(3, Trn_ApplyDwxNumber(t, 6, nullptr));
  EXPECT_EQ(0, Trn_ApplyDwxNumber(t, 32767, nullptr));
  EXPECT_EQ(1, t->Number);
  EXPECT_EQ(t, TrnList_Find(1, 1));
  EXPECT_EQ(0, Trn_ApplyDwxNumber(t, 32766, nullptr));
  EXPECT_EQ(999, t->Number);
  EXPECT_EQ(t, TrnList_Find(1, 999));
}

}  // namespace

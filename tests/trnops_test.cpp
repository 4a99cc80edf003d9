// The record operations of the train list that dialogs, commands and the
// depot module call: service, waits, reversing, splitting, counters, the
// region and depot-place hooks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/line.h"
#include "model/sched.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trnfollow.h"
#include "operation/trnlist.h"
#include "operation/trnops.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

TrainRec Template(u32 line, i32 number, u32 lastCell = 2, u32 vehicles = 2) {
  TrainRec t;
  std::memset(&t, 0, sizeof t);
  t.Line = t.CurLine = line;
  t.Number = number;
  t.LastCell = lastCell;
  t.VehicleCount = vehicles;
  t.MaxSpeed = 80000;
  t.Accel = 50;
  t.Brake = 100;
  return t;
}

int Create(u32 line, i32 number, i32 x = 100, i32 y = 200, u16 homeDepot = 0, u16 homePlace = 0) {
  TrainRec t = Template(line, number);
  t.HomeDepot = homeDepot;
  t.HomePlace = homePlace;
  const TrainCompositionEntry comp[2] = {{0x1230u, 0}, {0x1231u, 0x8000u}};
  return TrnList_Create(comp, &t, nullptr, x, y, 0);
}

class TrnOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Dep_Clear();
    TrnList_Clear();
    Clk_ResetRate();
    Ewin_ClearModified();
  }
  void TearDown() override {
    TrnList_Clear();
    Dep_Clear();
    Clk_ResetRate();
    Grid_Exit();
  }
};

TEST_F(TrnOpsTest, StepIntervalsFollowTheTickConstant) {
  ASSERT_EQ(0, Create(1, 1));
  ASSERT_EQ(0, Create(1, 2));
  TrainRec* moving = TrnList_Find(1, 1);
  TrainRec* standing = TrnList_Find(1, 2);
  moving->Speed = 40000;
  standing->Speed = 0;
  standing->StepInterval = 77;
  const struct {
    u32 scale;
  } cases[] = {{64}, {32}, {87}};
  for (const auto& c : cases) {
    // A new scale alone brings every train's interval along.
    Clk_SetLayoutScale(c.scale);
    EXPECT_EQ(TickConstant / 40000, moving->StepInterval) << c.scale;
    EXPECT_EQ(1u, standing->StepInterval) << c.scale;
  }
}


// A depot place at (x, y, level) of depot "Nord" with the place number.
void AddPlace(u32 depot, u32 place, i32 x, i32 y, i32 level = 0) {
  DepotPlace p = {};
  p.X = x;
  p.Y = y;
  p.Level = level;
  p.Number = place;
  ASSERT_EQ(0, Dep_InsertPlace(depot, u"Nord", u"N", &p));
}

TEST_F(TrnOpsTest, ATrainWithoutPositionStartsAtItsHomePlace) {
  AddPlace(1, 1, 30, 40);
  AddPlace(1, 2, 31, 41, -2);
  const struct {
    u16 depot, place;
    i32 x, y, level;
  } cases[] = {
      {1, 2, 31, 41, -2},       // its home place
      {1, 0x8002, 31, 41, -2},  // the per-entry flag is no part of the number
      {1, 9, 0, 0, 0},          // a place that does not exist: the origin
      {0, 0, 0, 0, 0},          // no home place
  };
  i32 number = 1;
  for (const auto& c : cases) {
    ASSERT_EQ(0, Create(1, number, -1, 0, c.depot, c.place));
    const TrainRec* t = TrnList_Find(1, number);
    const TrainCell* cell = Trn_Cells(t);
    EXPECT_EQ(c.x, cell[0].X) << number;
    EXPECT_EQ(c.y, cell[0].Y) << number;
    EXPECT_EQ(c.level, cell[0].Level) << number;
    EXPECT_TRUE(t->StateFlags & TRN_OFF_TRACK);
    ++number;
  }
}

// Puts a created train on the track along a row of cells from (x, y)
// westwards with its marker in the grid.
TrainRec* OnTrack(u32 line, i32 number, i32 x, i32 y, u32 extraFlags = 0) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return nullptr;
  TrnList_UnlinkState(t);
  TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell; ++i) {
    c[i].X = x - i32(i);
    c[i].Y = y;
    c[i].Level = 0;
    c[i].SavedCode = 1;
    Grid_SetCell(c[i].X, c[i].Y, 0, CellCode(0x0100 + 8));
  }
  t->DirX = 1;
  t->StateFlags = (t->StateFlags & ~TRN_OFF_TRACK) | extraFlags;
  TrnList_EnterStateList(t);
  TrnList_RefreshCellCodes(1);
  return t;
}

TEST_F(TrnOpsTest, StartingAndStoppingReportTheFirstRefusal) {
  ASSERT_EQ(0, Create(1, 1, 100, 200, 3, 1));  // off the track
  ASSERT_EQ(0, Create(1, 2, 100, 200, 3, 1));
  ASSERT_EQ(0, Create(1, 3, 100, 200, 0, 0));  // no home place
  ASSERT_EQ(0, Create(1, 4, 100, 200, 3, 1));
  OnTrack(1, 2, 20, 10);
  OnTrack(1, 3, 20, 12);
  OnTrack(1, 4, 20, 14);
  ASSERT_EQ(0, TrnList_PauseTrain(1, 4));
  const struct {
    u32 line;
    i32 number;
    int result;
  } cases[] = {
      {1, 9, TRN_START_NONE},   {1, 1, TRN_START_OFF_TRACK}, {1, 3, TRN_START_NO_HOME},
      {1, 4, TRN_START_PAUSED}, {1, 2, TRN_START_OK},        {1, 2, TRN_START_IN_SERVICE},
      {7, 0, TRN_START_NONE},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, TrnList_StartTrains(c.line, c.number, 0)) << c.number;
  EXPECT_TRUE(TrnList_Find(1, 2)->StateFlags & TRN_IN_SERVICE);
  EXPECT_EQ(3, TrnList_Find(1, 2)->CurDepot);

  // A whole line: refusals are skipped.
  ASSERT_EQ(0, TrnList_ResumeTrain(1, 4));
  EXPECT_EQ(0, TrnList_StartTrains(1, 0, 0));
  EXPECT_TRUE(TrnList_Find(1, 4)->StateFlags & TRN_IN_SERVICE);
  EXPECT_FALSE(TrnList_Find(1, 1)->StateFlags & TRN_IN_SERVICE);
  EXPECT_FALSE(TrnList_Find(1, 3)->StateFlags & TRN_IN_SERVICE);

  EXPECT_EQ(1, TrnList_StopTrain(1, 0));
  EXPECT_EQ(1, TrnList_StopTrain(1, 9));
  EXPECT_EQ(2, TrnList_StopTrain(1, 1));
  EXPECT_EQ(0, TrnList_StopTrain(1, 2));
  EXPECT_FALSE(TrnList_Find(1, 2)->StateFlags & TRN_IN_SERVICE);
}

TEST_F(TrnOpsTest, WaitsEndAndTrainsAreSetAsideOrReversed) {
  for (i32 n = 1; n <= 4; ++n) ASSERT_EQ(0, Create(1, n));
  TrainRec* held = OnTrack(1, 1, 20, 10, TRN_HELD);
  TrainRec* moving = OnTrack(1, 2, 20, 12);
  TrainRec* stopped = OnTrack(1, 3, 20, 14);
  stopped->StateFlags |= TRN_AT_STOP;
  stopped->WaitLeft = 30;
  TrnList_UnlinkState(stopped);
  TrnList_LinkState(stopped);
  EXPECT_EQ(1, TrnList_EndWait(1, 9));
  EXPECT_EQ(2, TrnList_EndWait(1, 2));
  EXPECT_EQ(0, TrnList_EndWait(1, 1));
  EXPECT_FALSE(held->StateFlags & TRN_HELD);
  EXPECT_EQ(0, TrnList_EndWait(1, 3));
  EXPECT_FALSE(stopped->StateFlags & TRN_AT_STOP);

  EXPECT_EQ(11, TrnList_CheckOnTrack(1, 9));
  EXPECT_EQ(1, TrnList_CheckOnTrack(1, 4));
  EXPECT_EQ(0, TrnList_CheckOnTrack(1, 2));
  EXPECT_EQ(1, TrnList_SetAsideForCoupling(1, 9));
  EXPECT_EQ(2, TrnList_SetAsideForCoupling(1, 4));
  EXPECT_EQ(0, TrnList_SetAsideForCoupling(1, 2));
  EXPECT_EQ(TRN_LIST_NONE, moving->StateList);
  EXPECT_TRUE(moving->StateFlags & TRN_SET_ASIDE);
  EXPECT_EQ(2, TrnList_SetAsideForCoupling(1, 2));
  // A cell without its code: not wholly on the track.
  Trn_Cells(held)[1].SavedCode = TRN_NO_CODE;
  EXPECT_EQ(3, TrnList_SetAsideForCoupling(1, 1));

  EXPECT_EQ(0, TrnList_ReverseTrain(1, 9));
  EXPECT_EQ(0, TrnList_ReverseTrain(1, 4));
  stopped->Speed = 30000;
  stopped->StepInterval = 5;
  EXPECT_EQ(1, TrnList_ReverseTrain(1, 3));
  EXPECT_EQ(0u, stopped->Speed);
  EXPECT_EQ(0u, stopped->StepInterval);
  EXPECT_EQ(-1, stopped->DirX);
}

TEST_F(TrnOpsTest, SplitsAreCheckedBeforeTheyAreTried) {
  ASSERT_EQ(0, Create(1, 1));
  TrainRec one = Template(1, 2, 2, 1);
  const TrainCompositionEntry comp[1] = {{0x1230u, 0}};
  ASSERT_EQ(0, TrnList_Create(comp, &one, nullptr, 5, 5, 0));
  EXPECT_EQ(1, TrnList_SplitTrain(1, 9, 1, 64, 0, 0));
  EXPECT_EQ(4, TrnList_SplitTrain(1, 2, 1, 64, 0, 0));
  TrnList_Find(1, 1)->PropFlags = 0x4;
  EXPECT_EQ(5, TrnList_SplitTrain(1, 1, 1, 64, 0, 0));
  TrnList_Find(1, 1)->PropFlags = 0;
  EXPECT_EQ(6, TrnList_SplitTrain(1, 1, 2, 64, 0, 0));
  EXPECT_EQ(2, TrnList_SplitTrain(1, 1, 1, 64, 0, 0)) << "off the track";
}

TEST_F(TrnOpsTest, CountersCountEachTrainOnce) {
  const u32 flags[] = {TRN_PAUSED | TRN_OFF_TRACK, TRN_OFF_TRACK, TRN_AT_STOP, TRN_REVERSE_WAIT,
                       TRN_STOP_SOUND | TRN_AT_STOP, TRN_HELD, TRN_SET_ASIDE, TRN_BLOCKED, TRN_BLOCKED, 0};
  i32 n = 1;
  for (u32 f : flags) {
    ASSERT_EQ(0, Create(1, n));
    TrnList_Find(1, n)->StateFlags = f;
    ++n;
  }
  u32 paused, stop, reverse, sound, held, aside, blocked;
  EXPECT_EQ(1u, TrnList_CountByState(&paused, &stop, &reverse, &sound, &held, &aside, &blocked));
  EXPECT_EQ(1u, paused);
  EXPECT_EQ(2u, stop) << "the stop list comes before the sound wait";
  EXPECT_EQ(1u, reverse);
  EXPECT_EQ(0u, sound);
  EXPECT_EQ(1u, held);
  EXPECT_EQ(1u, aside);
  EXPECT_EQ(2u, blocked);
  EXPECT_EQ(1u, TrnList_CountByState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) t->StateFlags = TRN_OFF_TRACK;
}

TEST_F(TrnOpsTest, PlaceUsesCountWeekdaysOfBothMasks) {
  ASSERT_EQ(0, Create(1, 1, 30, 40, 5, 2));
  ASSERT_EQ(0, Create(1, 2, 31, 40, 5, 3));
  ASSERT_EQ(0, Create(1, 3, 30, 40, 6, 2));
  TrainRec* a = TrnList_Find(1, 1);
  a->TimeA[0] = 0x7F080000;  // every day
  a->DepotA[0] = 5;
  a->PlaceA[0] = 0x8002;
  a->TimeB[1] = 0x03090000;  // Monday and Tuesday
  a->DepotB[1] = 5;
  a->PlaceB[1] = 3;
  TrainRec* b = TrnList_Find(1, 2);
  b->StateFlags |= TRN_IN_SERVICE;
  b->CurDepot = 5;
  b->CurPlace = 2;
  const struct {
    u32 depot, place, weekdays;
    u32 home, ta, tb, atCell, current;
  } cases[] = {
      {5, 2, 0x7F, 1, 7, 0, 2, 1},
      {5, 0, 0x7F, 2, 7, 2, 2, 1},
      {5, 3, 0x02, 1, 0, 1, 2, 0},
      {5, 2, 0x05, 1, 2, 0, 2, 1},
      {6, 2, 0x7F, 1, 0, 0, 2, 0},
      {7, 0, 0x7F, 0, 0, 0, 2, 0},
  };
  for (const auto& c : cases) {
    u32 ta, tb, atCell, cur;
    EXPECT_EQ(c.home, TrnList_CountUses(c.depot, c.place, 30, 40, 0, c.weekdays, &ta, &tb, &atCell, &cur))
        << c.depot << ":" << c.place;
    EXPECT_EQ(c.ta, ta) << c.depot << ":" << c.place;
    EXPECT_EQ(c.tb, tb) << c.depot << ":" << c.place;
    EXPECT_EQ(c.atCell, atCell);
    EXPECT_EQ(c.current, cur) << c.depot << ":" << c.place;
  }
}

TEST_F(TrnOpsTest, RenumberedPlacesAreRewrittenEverywhere) {
  ASSERT_EQ(0, Create(1, 1, 0, 0, 5, 3));
  ASSERT_EQ(0, Create(1, 2, 0, 0, 6, 3));
  TrainRec* t = TrnList_Find(1, 1);
  t->StateFlags |= TRN_IN_SERVICE;
  t->CurDepot = 5;
  t->CurPlace = 3;
  t->DepotA[2] = 5;
  t->PlaceA[2] = 0x8003;
  t->DepotB[0] = 6;
  t->PlaceB[0] = 3;
  TrnList_RenumberDepotPlace(5, 3, 9);
  EXPECT_EQ(9, t->HomePlace);
  EXPECT_EQ(9, t->CurPlace);
  EXPECT_EQ(0x8009, t->PlaceA[2]);
  EXPECT_EQ(3, t->PlaceB[0]);
  EXPECT_EQ(3, TrnList_Find(1, 2)->HomePlace);
}

TEST_F(TrnOpsTest, VehicleCountersTellPresentFromMissing) {
  ASSERT_EQ(0, Create(1, 1));
  ASSERT_EQ(0, Create(1, 2));
  TrainVehicle* v = Trn_Vehicles(TrnList_Find(1, 2));
  v[0].Length = 64;
  v[0].VehFlags |= TRN_VEH_MISSING;
  EXPECT_EQ(1u, TrnList_CountVehicleUse(0x1230));
  EXPECT_EQ(1u, TrnList_CountVehicleUse(TRN_MISSING_VEHICLE | 64));
  EXPECT_EQ(0u, TrnList_MarkVehicleUnloaded(TRN_MISSING_VEHICLE | 64));
  EXPECT_EQ(2u, TrnList_MarkVehicleUnloaded(0x1231));
  EXPECT_EQ(0u, TrnList_CountVehicleUse(0x1231));
  EXPECT_EQ(0u, TrnList_MarkVehicleUnloaded(0x1231));
  // Without a catalogue no length matches: every vehicle counts missing.
  EXPECT_EQ(1u, TrnList_CountMissingVehicles(64));
}

TEST_F(TrnOpsTest, TheNextTimetableTimeComesFirstAfterNow) {
  ASSERT_EQ(0, Create(1, 1));
  TrainRec* t = TrnList_Find(1, 1);
  EXPECT_EQ(0u, TrnList_NextTimetableTime(t, 0));
  t->TimeA[0] = 0x7F080000;  // 8:00 every day
  t->TimeA[3] = 0x04061E00;  // 6:30 on Wednesday
  t->TimeB[1] = 0x01170000;  // 23:00 on Monday
  const struct {
    u8 weekday, hour;
    int frozen;
    int timetable;
    u32 want;
  } cases[] = {
      {1, 7, 0, 0, 0x01080000}, {1, 9, 0, 0, 0x02080000}, {2, 9, 0, 0, 0x04061E00},
      {2, 9, 1, 0, 0x02080000}, {1, 9, 0, 1, 0x01170000}, {2, 0, 0, 1, 0x01170000},
      {2, 0, 1, 1, 0},
  };
  for (const auto& c : cases) {
    g_simClock.weekday = c.weekday;
    g_simClock.hour = c.hour;
    g_simClock.minute = 0;
    g_simClock.second = 0;
    g_simClock.weekdayFrozen = c.frozen;
    EXPECT_EQ(c.want, TrnList_NextTimetableTime(t, c.timetable)) << int(c.weekday) << " " << int(c.hour);
  }
  g_simClock.weekdayFrozen = 0;
}

TEST_F(TrnOpsTest, BoxTestsAndMovesKeepTrainsWhole) {
  ASSERT_EQ(0, Create(1, 1));
  ASSERT_EQ(0, Create(1, 2, 50, 60));
  TrainRec* t = OnTrack(1, 1, 22, 10);  // cells 20..22
  i32 x = 0, y = 0, level = 0;
  EXPECT_EQ(0, TrnList_CheckBox(0, 0, 0, 10, 10, 0, 0, &x, &y, &level));
  EXPECT_EQ(1, TrnList_CheckBox(20, 10, 0, 22, 10, 0, 0, &x, &y, &level));
  EXPECT_EQ(2, TrnList_CheckBox(21, 9, 0, 25, 11, 0, 0, &x, &y, &level));
  EXPECT_EQ(21, x);
  EXPECT_EQ(10, y);
  EXPECT_EQ(0, TrnList_CheckBox(50, 60, 0, 50, 60, 0, 0, &x, &y, &level));
  EXPECT_EQ(1, TrnList_CheckBox(50, 60, 0, 50, 60, 0, 1, &x, &y, &level));

  // The grid moves first, then the trains; the grid words follow.
  for (i32 cx = 20; cx <= 22; ++cx) {
    Grid_SetCell(cx + 100, 10 + 5, 0, Grid_GetCell(cx, 10, 0));
    Grid_ClearCell(cx, 10, 0);
  }
  TrnList_MoveBlock(19, 9, 0, 23, 11, 0, 100, 5, 0);
  const TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell; ++i) {
    EXPECT_EQ(122 - i32(i), c[i].X);
    EXPECT_EQ(15, c[i].Y);
    EXPECT_EQ(Grid_CellPtr(c[i].X, c[i].Y, 0), c[i].GridWord);
  }
  EXPECT_EQ(0, TrnList_IndexAtCell(121, 15, 0));
  TrnList_ScaleBlock(100, 10, 0, 130, 20, 0, 1, 2, 1, 2);
  // Greatest x 122 maps to 144, y 15 to 20; the train keeps its shape.
  EXPECT_EQ(144, c[0].X);
  EXPECT_EQ(142, c[2].X);
  EXPECT_EQ(20, c[1].Y);
}

}  // namespace

// The followed train's status line: who it is, what it runs as, its letters,
// then what it waits for or how fast it goes, and the distance driven.
TEST_F(TrnOpsTest, TheInfoLineDescribesTheFollowedTrain) {
  ASSERT_EQ(0, Test_LoadTexts());
  ASSERT_EQ(1, Lin_Init());
  LineId re = 0, s1 = 0;
  ASSERT_EQ(0, Lin_Create(u"RE", 0, 0, &re));
  ASSERT_EQ(0, Lin_Create(u"S1", 0, 0, &s1));
  ASSERT_EQ(0, Create(re, 7));
  TrainRec* t = TrnList_Find(re, 7);
  ASSERT_NE(nullptr, t);
  wch text[TRN_INFO_LINE_SIZE];
  TrnList_InfoLine(text, TRN_INFO_LINE_SIZE);
  EXPECT_EQ(std::u16string(), std::u16string(text)) << "no train followed";

  t->CurLine = s1;
  t->Category = 1;
  t->Type = 2;
  t->TimeB[0] = 0x01170000;  // Monday 23:00
  g_simClock.weekday = 1;
  g_simClock.hour = 9;
  Trn_SetFollowed(t);
  TrnList_ResetFollowedDistance();
  for (int i = 0; i < 96; ++i) Trn_CountFollowedCell(0);
  wch monday[48];
  ASSERT_EQ(0, Rule_FormatTimeOfDay(0x01170000, monday, 48, 0));
  const struct {
    u32 flags, speed, target;
    std::u16string want;
  } cases[] = {
      {TRN_IN_SERVICE, 40000, 60500,
       u"Train (followed) RE/7. running as S1 Class=PB State=SM Speed=40 Target=60.500 Distance=1.500 km"},
      {TRN_IN_SERVICE | TRN_FLAGGED_START | TRN_USER_DRIVEN, 5, 0,
       u"Train (driven) RE/7. running as S1 Class=PB State=sM Speed=0.005 Target=0 Distance=1.500 km"},
      {TRN_OFF_TRACK, 0, 0,
       u"Train (followed) RE/7. running as S1 Class=PB State= O Next insertion " + std::u16string(monday) +
           u" Target=0 Distance=1.500 km"},
      // Held with no timetable point at its head: no time to wait for.
      {TRN_IN_SERVICE | TRN_HELD, 0, 30000,
       u"Train (followed) RE/7. running as S1 Class=PB State=SH Waits until --- Target=30 Distance=1.500 km"},
      {TRN_AT_PLACE | TRN_PAUSED, 0, 0,
       u"Train (followed) RE/7. running as S1 Class=PB State=PP Speed=0 Target=0 Distance=1.500 km"},
  };
  for (const auto& c : cases) {
    t->StateFlags = c.flags;
    t->Speed = c.speed;
    t->TargetSpeed = c.target;
    TrnList_InfoLine(text, TRN_INFO_LINE_SIZE);
    EXPECT_EQ(c.want, std::u16string(text)) << std::hex << c.flags;
  }
  // A buffer too small for the line is cut, never overrun.
  wch small[12];
  TrnList_InfoLine(small, 12);
  EXPECT_EQ(11u, std::u16string(small).size());
  Trn_SetFollowed(nullptr);
  TrnList_Clear();
  Lin_Exit();
}

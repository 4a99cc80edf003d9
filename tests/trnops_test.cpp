// The record operations of the train list that dialogs, commands and the
// depot module call: service, waits, reversing, splitting, counters, the
// region and depot-place hooks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
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
    Clk_SetLayoutScale(c.scale);
    TrnList_RecalcIntervals();
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

}  // namespace

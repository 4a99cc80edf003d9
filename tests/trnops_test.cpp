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


}  // namespace

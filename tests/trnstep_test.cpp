#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/grid.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnstep.h"

namespace {

// Trains that step in a cell they never finish: the sub-cell offset starts so
// high that every due sub-step is one inside the cell, and counting the
// offset down counts the sub-steps.
class TrnStepTest : public ::testing::Test {
 protected:
  enum : i32 { kFarOffset = 4 * 1000000 };
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    TrnList_FreeAll();
    Clk_SetLayoutScale(64);
  }
  void TearDown() override {
    FreeMade();
    Clk_ResetRate();
  }
  // The records made here are in no list of all trains: freed one by one.
  void FreeMade() {
    for (TrainRec* t : made) {
      TrnList_UnlinkState(t);
      Trn_FreeRecord(t);
    }
    made.clear();
    TrnList_FreeAll();
  }
  std::vector<TrainRec*> made;
  TrainRec* Moving(u32 maxSpeed, u32 accel, u32 brake, u32 decrement = 10) {
    TrainRec* t = Trn_AllocRecord(0, 0);
    t->MaxSpeed = maxSpeed;
    t->Accel = accel;
    t->Brake = brake;
    Trn_SetAccelSteps(t);
    Trn_UpdateTargetSpeed(t);
    t->StepDecrement = decrement;
    t->SubCellOffset = kFarOffset;
    t->AtStop = TRN_NONE;
    TrnList_AppendMoving(t);
    made.push_back(t);
    return t;
  }
  static u32 SubSteps(const TrainRec* t) { return u32(kFarOffset - t->SubCellOffset) / 4; }
};

TEST_F(TrnStepTest, TargetSpeedIsTheLowestLimit) {
  struct Case {
    u32 max, a, b, c, want;
  } cases[] = {{80000, 0, 0, 0, 80000},     {80000, 40000, 0, 0, 40000}, {80000, 0, 30000, 50000, 30000},
               {80000, 90000, 0, 0, 80000}, {80000, 0, 0, 20000, 20000}, {0, 40000, 0, 0, 0}};
  TrainRec* t = Trn_AllocRecord(0, 0);
  for (const Case& c : cases) {
    t->MaxSpeed = c.max;
    t->SpeedCapA = c.a;
    t->SpeedCapB = c.b;
    t->SpeedCapC = c.c;
    Trn_UpdateTargetSpeed(t);
    EXPECT_EQ(c.want, t->TargetSpeed);
  }
  Trn_FreeRecord(t);
}

// The target speed is reached after speed / acceleration: one tick's step of
// acceleration x 9 / 25 per tick (100 cm/s^2 gives 36 m/h per tick).
TEST_F(TrnStepTest, AcceleratesAndBrakesByTheirSteps) {
  struct Case {
    u32 from, target, accel, brake;
    u32 wantTicks;
  } cases[] = {
      {0, 36000, 100, 100, 1000},  // 36 m/h per tick: 3600 m/h per second
      {0, 36000, 0, 100, 1},       // no acceleration: at once
      {0, 50000, 70, 100, 2000},   // step 25
      {60000, 20000, 100, 0, 1},   // no braking: at once
      {60000, 0, 100, 100, 1667},  // braking to 0 ends at exactly 0
      {100, 0, 100, 5000, 1},      // a step larger than what is left
      {1000, 1010, 100, 100, 1},   // the last step is cut at the target
  };
  for (const Case& c : cases) {
    FreeMade();
    TrainRec* t = Moving(c.target, c.accel, c.brake);
    t->Speed = c.from;
    t->StepInterval = Trn_StepIntervalFor(c.from);
    t->StepCountdown = i32(t->StepInterval);
    const u32 step = c.target > c.from ? t->AccelStep : t->BrakeStep;
    const u32 gap = c.target > c.from ? c.target - c.from : c.from - c.target;
    const u32 want = step ? (gap + step - 1) / step : 1;
    u32 ticks = 0;
    while (t->Speed != c.target && ticks < 100000) {
      Trn_StepAll();
      ticks++;
      if (c.target > c.from) ASSERT_LE(t->Speed, c.target);
      else ASSERT_GE(t->Speed, c.target);
    }
    EXPECT_EQ(want, ticks) << c.from << " -> " << c.target;
    EXPECT_EQ(c.wantTicks, ticks) << c.from << " -> " << c.target;
  }
}

// Scale 64, 36 km/h: interval 7031250 / 36000 = 195, a sub-step every 19.5
// ticks, a straight cell in 156 ticks (1.5625 s); a diagonal cell 10/7 of it.
TEST_F(TrnStepTest, SubStepsFollowTheInterval) {
  struct Case {
    u32 decrement;
    u32 ticks;
    u32 wantLow, wantHigh;
  } cases[] = {
      {10, 1950, 99, 100},   // 100 sub-steps, 12.5 straight cells
      {7, 1950, 69, 70},     // 1950 x 7 / 195 = 70: 10/7 the time per cell
      {10, 156 * 8, 63, 64}, // 8 straight cells
  };
  for (const Case& c : cases) {
    FreeMade();
    TrainRec* t = Moving(36000, 0, 0, c.decrement);
    Trn_StepAll();  // reaches the speed at once
    ASSERT_EQ(195u, t->StepInterval);
    const u32 before = SubSteps(t);
    for (u32 i = 1; i < c.ticks; ++i) Trn_StepAll();
    const u32 n = SubSteps(t) - before;
    EXPECT_GE(n, c.wantLow) << c.decrement;
    EXPECT_LE(n, c.wantHigh) << c.decrement;
  }
}

TEST_F(TrnStepTest, AtMostOneSubStepPerTick) {
  TrainRec* t = Moving(4000000, 0, 0);  // interval 1, far below the decrement
  for (int i = 0; i < 50; ++i) Trn_StepAll();
  EXPECT_EQ(1u, t->StepInterval);
  EXPECT_EQ(50u, SubSteps(t));
}

// A train that never gets a speed (maximum 0, or an acceleration whose step
// rounds to 0) stands still; it must not take a sub-step every tick.
TEST_F(TrnStepTest, TrainWithoutSpeedStandsStill) {
  TrainRec* noMax = Moving(0, 100, 100);
  TrainRec* tinyAccel = Moving(50000, 2, 100);  // 2 x 9 / 25 = 0
  ASSERT_EQ(0u, tinyAccel->AccelStep);
  for (int i = 0; i < 1000; ++i) Trn_StepAll();
  EXPECT_EQ(0u, SubSteps(noMax));
  EXPECT_EQ(0u, SubSteps(tinyAccel));
  EXPECT_EQ(0u, noMax->Speed);
  EXPECT_EQ(0u, tinyAccel->Speed);
  // Once it may run, it does.
  tinyAccel->Accel = 100;
  Trn_SetAccelSteps(tinyAccel);
  for (int i = 0; i < 1000; ++i) Trn_StepAll();
  EXPECT_GT(SubSteps(tinyAccel), 0u);
}

// From speed v with deceleration b a train comes to a halt after v^2 / 2b,
// to within one cell.
TEST_F(TrnStepTest, BrakingDistance) {
  struct Case {
    u32 scale, speed, brake;
  } cases[] = {{64, 36000, 100}, {64, 80000, 50}, {32, 120000, 80}, {90, 20000, 120}, {64, 60000, 35}};
  for (const Case& c : cases) {
    FreeMade();
    Clk_SetLayoutScale(c.scale);
    TrainRec* t = Moving(c.speed, 0, c.brake);
    Trn_StepAll();
    ASSERT_EQ(c.speed, t->Speed);
    t->MaxSpeed = 0;
    Trn_UpdateTargetSpeed(t);
    const u32 before = SubSteps(t);
    while (t->Speed > 0) Trn_StepAll();
    const double cells = double(SubSteps(t) - before) / 8;
    const double v = c.speed / 3600.0, b = c.brake / 100.0;
    const double want = v * v / (2 * b) * c.scale / 1000.0;
    EXPECT_NEAR(want, cells, 1.0) << c.speed << " m/h, " << c.brake << " cm/s2, scale " << c.scale;
  }
}

}  // namespace

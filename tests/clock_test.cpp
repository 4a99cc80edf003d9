#include <gtest/gtest.h>

#include "operation/clock.h"
#include "operation/trnlist.h"
#include "shell/ewin.h"
#include "shell/wire.h"

namespace {

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    TrnList_FreeAll();
    Clk_Reset();
    Clk_ResetPhases();
    Clk_SetSpeed(-3);
    Clk_SetDelayFactor(-1);
    ViaTimer = 0;
  }
  void TearDown() override { ViaTimer = 0; }
  static void Set(u8 weekday, u8 hour, u8 minute, u8 second) {
    g_simClock.weekday = weekday;
    g_simClock.hour = hour;
    g_simClock.minute = minute;
    g_simClock.second = second;
    g_simClock.tick = 0;
  }
  static void Ticks(u32 n) {
    for (u32 i = 0; i < n; ++i) Clk_Tick();
  }
};

// One simulated second is 100 ticks; the minute, hour and day run over in
// place, and the weekday wraps from 7 to 1 unless it is frozen.
TEST_F(ClockTest, WrapsSecondsMinutesHoursAndWeek) {
  struct Case {
    u8 weekday, hour, minute, second;
    int frozen;
    u8 wantWeekday, wantHour, wantMinute, wantSecond;
  } cases[] = {
      {1, 10, 20, 30, 0, 1, 10, 20, 31},  // plain second
      {1, 10, 20, 59, 0, 1, 10, 21, 0},   // minute
      {1, 10, 59, 59, 0, 1, 11, 0, 0},    // hour
      {3, 23, 59, 59, 0, 4, 0, 0, 0},     // midnight
      {7, 23, 59, 59, 0, 1, 0, 0, 0},     // Sunday to Monday
      {5, 23, 59, 59, 1, 5, 0, 0, 0},     // frozen weekday
  };
  for (const Case& c : cases) {
    Set(c.weekday, c.hour, c.minute, c.second);
    g_simClock.weekdayFrozen = c.frozen;
    Ticks(99);
    EXPECT_EQ(c.second, g_simClock.second) << "the second runs over only at the 100th tick";
    Ticks(1);
    EXPECT_EQ(c.wantWeekday, g_simClock.weekday) << int(c.weekday) << " " << int(c.hour);
    EXPECT_EQ(c.wantHour, g_simClock.hour);
    EXPECT_EQ(c.wantMinute, g_simClock.minute);
    EXPECT_EQ(c.wantSecond, g_simClock.second);
    EXPECT_EQ(0, g_simClock.tick);
  }
}

TEST_F(ClockTest, ElapsedMinutesAndDayNumber) {
  // Started at 13:45 on some day: no whole day has passed, though fewer
  // minutes have elapsed than the time of day counts.
  Set(2, 13, 45, 0);
  g_simClock.elapsedMinutes = 0;
  EXPECT_EQ(0u, Clk_DayNumber());
  Set(2, 23, 59, 59);
  g_simClock.elapsedMinutes = 10;
  Ticks(100);
  EXPECT_EQ(11u, g_simClock.elapsedMinutes);
  EXPECT_EQ(0u, Clk_DayNumber());
  // Started at midnight: a full day later it is day 1.
  Set(3, 0, 0, 0);
  g_simClock.elapsedMinutes = 1440;
  EXPECT_EQ(1u, Clk_DayNumber());
  Set(3, 1, 30, 0);
  g_simClock.elapsedMinutes = 2 * 1440 + 90;
  EXPECT_EQ(2u, Clk_DayNumber());
}

// Calls of Clk_Tick that advance the clock, of a run of calls.
static u32 CountTicks(u32 calls) {
  u32 ticks = 0;
  for (u32 i = 0; i < calls; ++i) {
    const u8 before = g_simClock.tick;
    Clk_Tick();
    if (g_simClock.tick != before) ticks++;
  }
  return ticks;
}

TEST_F(ClockTest, DelayGateBySpeedStepAndFactor) {
  struct Case {
    int viaTimer;
    i32 step, factor;
    u32 calls, wantTicks;
  } cases[] = {
      {0, 15, 450, 500, 500},         // delay mode off: every call ticks
      {1, 1, 450, 300, 300},          // step 1: no gate
      {1, 20, 450, 300, 300},         // step 20: no gate
      {1, 19, 1, 60, 10},             // 5 x 1 + 1 calls per tick
      {1, 2, 1, 571 * 3, 3},          // 570 x 1 + 1
      {1, 15, 450, 13501 * 2, 2},     // 30 x 450 + 1
      {1, 15, 450, 13501 * 2 + 1, 3}, // the next call after the period ticks
  };
  for (const Case& c : cases) {
    SetUp();
    ViaTimer = c.viaTimer;
    ASSERT_EQ(0, Clk_SetSpeed(c.step));
    ASSERT_EQ(0, Clk_SetDelayFactor(c.factor));
    EXPECT_EQ(c.wantTicks, CountTicks(c.calls)) << "step " << c.step << " factor " << c.factor;
  }
}

TEST_F(ClockTest, ChangingSpeedLetsNextCallTick) {
  ViaTimer = 1;
  Clk_SetSpeed(10);
  EXPECT_EQ(1u, CountTicks(1));
  EXPECT_EQ(0u, CountTicks(100));  // 125 x 450 calls to wait
  Clk_SetSpeed(-1);
  EXPECT_EQ(1u, CountTicks(1));
  EXPECT_EQ(11, Clk_GetSpeed());
}

TEST_F(ClockTest, SpeedAndDelayFactorSetters) {
  struct Case {
    i32 start, arg;
    int wantResult;
    i32 wantStep;
  } speeds[] = {{20, -1, 0, 20}, {19, -1, 0, 20}, {1, -2, 0, 1}, {2, -2, 0, 1}, {7, -3, 0, 15},
                {7, 0, 1, 7},    {7, 21, 1, 7},   {7, -4, 1, 7}, {7, 1, 0, 1}};
  for (const Case& c : speeds) {
    Clk_SetSpeed(c.start);
    EXPECT_EQ(c.wantResult, Clk_SetSpeed(c.arg)) << c.arg;
    EXPECT_EQ(c.wantStep, Clk_GetSpeed()) << c.start << " " << c.arg;
  }
  EXPECT_EQ(0, Clk_SetDelayFactor(5000));
  EXPECT_EQ(1, Clk_SetDelayFactor(5001));
  EXPECT_EQ(1, Clk_SetDelayFactor(0));
  EXPECT_EQ(5000, Clk_GetDelayFactor());
  EXPECT_EQ(0, Clk_SetDelayFactor(-1));
  EXPECT_EQ(450, Clk_GetDelayFactor());
  EXPECT_EQ(570u, Clk_DelayTableValue(2));
  EXPECT_EQ(0u, Clk_DelayTableValue(20));
}

constexpr u32 Mon = 1, Tue = 2, Sun = 64, Every = 127;
constexpr PackedWeekTime W(u32 mask, u32 h, u32 m, u32 s = 0) { return mask << 24 | h << 16 | m << 8 | s; }

TEST_F(ClockTest, WindowsAcrossMidnightAndWeekEnd) {
  struct Case {
    PackedWeekTime t, from, to, want;
  } cases[] = {
      // 22:00 to 02:00 starting Monday: Tuesday 01:00 is inside, Monday 01:00 not.
      {W(Tue, 1, 0), W(Mon, 22, 0), W(0, 2, 0), W(Tue, 1, 0)},
      {W(Mon, 1, 0), W(Mon, 22, 0), W(0, 2, 0), 0},
      {W(Mon, 23, 0), W(Mon, 22, 0), W(0, 2, 0), W(Mon, 23, 0)},
      {W(Tue, 2, 0), W(Mon, 22, 0), W(0, 2, 0), 0},  // the end is outside
      // Sunday night into Monday morning passes the end of the week.
      {W(Mon, 1, 0), W(Sun, 22, 0), W(0, 2, 0), W(Mon, 1, 0)},
      {W(Sun, 21, 59, 59), W(Sun, 22, 0), W(0, 2, 0), 0},
      // Every day: times only, the weekday of t does not matter.
      {W(Sun, 1, 0), W(Every, 22, 0), W(0, 2, 0), W(1, 1, 0)},
      {W(Sun, 12, 0), W(Every, 22, 0), W(0, 2, 0), 0},
      {W(Tue, 8, 0), W(Every, 7, 0), W(0, 9, 0), W(1, 8, 0)},
      // An end with its own weekday fixes the end day: Monday 08:00 to
      // Wednesday 08:00 holds Tuesday noon.
      {W(Tue, 12, 0), W(Mon, 8, 0), W(4, 8, 0), W(Tue, 12, 0)},
      {W(4, 9, 0), W(Mon, 8, 0), W(4, 8, 0), 0},
      // No start day: nothing matches.
      {W(Mon, 8, 0), W(0, 7, 0), W(0, 9, 0), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, Clk_MatchWindow(c.t, c.from, c.to)) << std::hex << c.t << " " << c.from << " " << c.to;
    EXPECT_EQ(c.want ? 1 : 0, Clk_InWindow(c.t, c.from, c.to));
  }
}

TEST_F(ClockTest, AlarmFiresByWeekdayAndRepeatCount) {
  // Any weekday, repeat 2: two matching minutes pass silently, the third stops
  // the simulation.
  Clk_SetAlarm(6, 30, 0, 2);
  for (int day = 0; day < 3; ++day) {
    Set(u8(1 + day), 6, 29, 59);
    SimRunFlag = 1;
    Ticks(100);
    EXPECT_EQ(day < 2 ? 1 : 0, SimRunFlag) << "day " << day;
  }
  // Weekday 3 only: Tuesday passes, Wednesday fires.
  Clk_SetAlarm(6, 30, 3, 0);
  Set(2, 6, 29, 59);
  SimRunFlag = 1;
  Ticks(100);
  EXPECT_EQ(1, SimRunFlag);
  Set(3, 6, 29, 59);
  Ticks(100);
  EXPECT_EQ(0, SimRunFlag);
  // A negative count never fires; hour 255 never matches.
  Clk_SetAlarm(6, 30, 0, -1);
  Set(3, 6, 29, 59);
  SimRunFlag = 1;
  Ticks(100);
  EXPECT_EQ(1, SimRunFlag);
  EXPECT_EQ(-1, g_simClock.alarmRepeat);
  SimRunFlag = 0;
}

}  // namespace

// Display options and the daylight phase.
#include <gtest/gtest.h>

#include "operation/clock.h"
#include "render/daylight.h"
#include "render/disp.h"

namespace {

TEST(DispOptions, TrainTextCycleKeepsTheHighBits) {
  struct Case {
    u32 before, after;
  } cases[] = {{27, 24}, {25, 26}, {24, 25}, {26, 27}, {7, 4}, {31, 28}};
  for (const Case& c : cases) {
    Disp_ResetOptions();
    Disp_SetTrainTextMode(c.before, 5);
    Disp_SetTrainTextMode(DISP_TRAIN_TEXT_CYCLE, -1);
    u32 w;
    i32 row;
    Disp_GetTrainTextMode(&w, &row);
    EXPECT_EQ(c.after, w) << c.before;
    EXPECT_EQ(5, row) << "a row of -1 is ignored";
  }
  Disp_SetTrainTextMode(3, 35);
  Disp_SetObjectTextMode(0x80FF, 35);
  u32 w;
  i32 row;
  Disp_GetTrainTextMode(&w, &row);
  EXPECT_EQ(3u, w);
  EXPECT_EQ(5, row) << "a row of 35 is ignored";
  Disp_GetObjectTextMode(&w, &row);
  EXPECT_EQ(0x80FFu, w);
  EXPECT_EQ(0, row);
  Disp_SetObjectTextMode(1, 34);
  Disp_GetObjectTextMode(&w, &row);
  EXPECT_EQ(34, row);
  Disp_ResetOptions();
}

TEST(DispOptions, SettingsLetters) {
  struct Case {
    const char16_t* text;
    int ok;
    u32 word;
  } trains[] = {{u"ZKT--", 1, 7}, {u"Nabcd", 1, 24}, {u"N", 1, 24}, {u"Z", 1, 25}, {u"X", 0, 0}, {u"", 0, 0}};
  for (const Case& c : trains) {
    u32 w = 0;
    EXPECT_EQ(c.ok, Disp_ParseTrainTextLetters(c.text, &w));
    if (c.ok) {
      EXPECT_EQ(c.word, w);
    }
  }
  EXPECT_EQ(0x803Fu, Disp_ParseObjectTextLetters(u"tWSTDBL--"));
  EXPECT_EQ(192u, Disp_ParseObjectTextLetters(u"n"));
  EXPECT_EQ(192u | 4, Disp_ParseObjectTextLetters(u"x.xT"));
}

TEST(DispOptions, PlainSettersStoreTheValue) {
  Disp_SetOptSige(1);
  Disp_SetOptLwx(0);
  Disp_SetSingleFileGfx(0);
  EXPECT_EQ(1, Disp_GetOptSige());
  EXPECT_EQ(0, Disp_GetOptLwx());
  EXPECT_EQ(0, Disp_GetSingleFileGfx());
  Disp_ResetOptions();
  EXPECT_EQ(1, Disp_GetOptLwx());
}

u16 T(int h, int m) { return u16(h << 8 | m); }

class DaylightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Disp_ResetDaylight();
    Clk_Reset();
    g_daylight.enabled = 1;
    Times(T(6, 0), T(18, 0), T(20, 0), T(5, 0));
  }
  void TearDown() override {
    Disp_ResetDaylight();
    Clk_Reset();
  }
  static void Times(u16 a, u16 b, u16 c, u16 d) {
    g_daylight.times[0] = a;
    g_daylight.times[1] = b;
    g_daylight.times[2] = c;
    g_daylight.times[3] = d;
  }
  static int At(int h, int m) {
    g_simClock.hour = u8(h);
    g_simClock.minute = u8(m);
    return Disp_UpdateDaylightPhase();
  }
};

TEST_F(DaylightTest, PartsAndLightBits) {
  struct Case {
    int h, m;
    u32 word;
    i32 elapsed, span;
  } cases[] = {
      {12, 0, 0, -1, -1},
      {21, 0, 1 | 8 | 16 | 32 | 64, 60, 540},
      {5, 10, 2 | 8 | 112, 10, 60},
      {19, 30, 4 | 8 | 112, 90, 120},
      {18, 0, 4, 0, 120},
      {18, 30, 4 | 8, 30, 120},
      {5, 50, 2, 50, 60},
  };
  for (const Case& c : cases) {
    At(c.h, c.m);
    EXPECT_EQ(c.word, Disp_GetDaylightPhase()) << c.h << ":" << c.m;
    if (c.elapsed >= 0) {
      i32 e, s;
      Disp_GetDaylightProgress(&e, &s);
      EXPECT_EQ(c.elapsed, e) << c.h << ":" << c.m;
      EXPECT_EQ(c.span, s) << c.h << ":" << c.m;
    }
  }
  // In the night at e = 5 s / 12 exactly bit 32 is clear; at 11 s / 12 + 1 set again.
  At(20 + 225 / 60, 225 % 60);
  EXPECT_EQ(0u, Disp_GetDaylightPhase() & 32);
  At((20 * 60 + 495 + 1) / 60 % 24, (20 * 60 + 495 + 1) % 60);
  EXPECT_EQ(32u, Disp_GetDaylightPhase() & 32);
}

TEST_F(DaylightTest, WhatCountsAsAChange) {
  At(19, 0);
  EXPECT_EQ(1, At(19, 1)) << "a minute inside part 4 changes e";
  At(22, 0);
  EXPECT_EQ(0, At(22, 1)) << "a minute inside part 1 with the same bits";
  At(12, 0);
  EXPECT_EQ(0, At(12, 1)) << "day: nothing changes";
  g_daylight.enabled = 0;
  u32 before = Disp_GetDaylightPhase();
  EXPECT_EQ(0, At(21, 0));
  EXPECT_EQ(before, Disp_GetDaylightPhase()) << "switch clear: the word is kept";
}

TEST_F(DaylightTest, EqualTimesNeverGiveASpanOfZero) {
  struct Case {
    u16 t0, t1, t2, t3;
  } cases[] = {
      {T(6, 0), T(6, 0), T(6, 0), T(6, 0)},
      {T(6, 0), T(18, 0), T(20, 0), T(20, 0)},
      {T(6, 0), T(18, 0), T(18, 0), T(5, 0)},
      {T(6, 0), T(18, 0), T(20, 0), T(6, 0)},
      {T(0, 0), T(0, 0), T(12, 0), T(12, 0)},
  };
  for (const Case& c : cases) {
    Times(c.t0, c.t1, c.t2, c.t3);
    for (int m = 0; m < 1440; m += 7) {
      At(m / 60, m % 60);
      i32 e, s;
      Disp_GetDaylightProgress(&e, &s);
      ASSERT_GE(s, 1) << m;
      ASSERT_LT(e, s) << m;
      ASSERT_GE(g_daylight.span, 1) << m;
    }
  }
}

}  // namespace

#include "platform/tim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

enum : u8 { EH = 254, EG = 255 };
inline u8 Sec(int s) { return u8(0x80 | s); }
inline u8 Range(int h) { return u8(0x80 | h); }

PackedWeekTime At(int day, int h, int m, int s) { return Tim_PackWeekTime(1u << (day - 1), h, m, s); }

// ---------------------------------------------------------------- packed times and week seconds

TEST(TimWeek, SplitWeekSeconds) {
  struct Case {
    int day, hour, minute, a, b;
    int outDay, outHour, outMinute, outSecond;
  } cases[] = {
      {1, 0, 0, -1, 0, 7, 23, 59, 59},
      {7, 23, 59, 120, 0, 1, 0, 1, 0},
      {3, 12, 30, 30, 15, 3, 12, 30, 45},
      {1, 0, 0, 0, 0, 1, 0, 0, 0},
      {2, 0, 0, -86400, -1, 7, 23, 59, 59},
      // Offsets of more than a week stay inside the week.
      {1, 0, 0, -604801, 0, 7, 23, 59, 59},
      {1, 0, 0, 2 * 604800 + 61, 0, 1, 0, 1, 1},
      {1, 0, 0, INT_MAX, INT_MAX, 1, 0, 0, 0},  // computed without overflow; value checked below
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.day) + " " + std::to_string(c.a));
    int d = -1, h = -1, m = -1, s = -1;
    i32 ws = Tim_SplitWeekSeconds(c.day, c.hour, c.minute, &s, &m, &h, &d, c.a, c.b);
    EXPECT_GE(ws, 0);
    EXPECT_LT(ws, TIM_WEEK_SECONDS);
    EXPECT_EQ(ws, (d - 1) * 86400 + h * 3600 + m * 60 + s);
    if (c.a == INT_MAX) {
      i64 expect = (i64(INT_MAX) * 2) % TIM_WEEK_SECONDS;
      EXPECT_EQ(ws, expect);
      continue;
    }
    EXPECT_EQ(d, c.outDay);
    EXPECT_EQ(h, c.outHour);
    EXPECT_EQ(m, c.outMinute);
    EXPECT_EQ(s, c.outSecond);
  }
  EXPECT_EQ(Tim_SplitWeekSeconds(1, 1, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), 3600);
}

TEST(TimWeek, PackedTimes) {
  EXPECT_EQ(Tim_PackWeekTime(4, 13, 5, 9), 0x040D0509u);
  EXPECT_EQ(Tim_PackedDay(0x040D0509u), 3);
  EXPECT_EQ(Tim_PackedDay(0x00010203u), 0);
  EXPECT_EQ(Tim_PackedDay(0x7F000000u), 1);
  EXPECT_EQ(Tim_PackedToWeekSeconds(0x040D0509u), 2 * 86400 + 13 * 3600 + 5 * 60 + 9);
  EXPECT_EQ(Tim_PackedToWeekSeconds(0x00010203u), -1);
  for (i64 ws : {i64(0), i64(59), i64(86399), i64(86400), i64(604799)})
    EXPECT_EQ(Tim_PackedToWeekSeconds(Tim_WeekSecondsToPacked(ws)), ws);
  EXPECT_EQ(Tim_WeekSecondsToPacked(-1), At(7, 23, 59, 59));
  EXPECT_EQ(Tim_WeekSecondsToPacked(604800 + 3600), At(1, 1, 0, 0));
}

// ---------------------------------------------------------------- schedule search

// Monday to Friday: 6:00, 6:30, 6:30:20 (the minute lists second 0 and 20),
// hours 7 to 9 at :15:30; Saturday: 10:00:45. Sunday has no group.
const Bytes kWeek = {
    0x1F, 6, 0, 30, Sec(0), Sec(20), EH, 7, Range(9), 15, Sec(30), EH, EG,
    0x20, 10, 0, Sec(45), EH, EG,
    0};

TEST(TimSchedule, Contains) {
  struct Case {
    int day, h, m, s;
    int in;
  } cases[] = {
      {1, 6, 0, 0, 1},  {1, 6, 0, 1, 0},   {3, 6, 30, 0, 1},  {3, 6, 30, 20, 1}, {3, 6, 30, 10, 0},
      {5, 8, 15, 30, 1}, {5, 8, 15, 0, 0}, {5, 9, 15, 30, 1}, {5, 10, 15, 30, 0}, {6, 10, 0, 45, 1},
      {6, 10, 0, 0, 0}, {7, 6, 0, 0, 0},   {6, 6, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.day) + " " + std::to_string(c.h) + ":" + std::to_string(c.m) + ":" +
                 std::to_string(c.s));
    EXPECT_EQ(Tim_ScheduleContains(kWeek.data(), 1u << (c.day - 1), c.h, c.s, c.m), c.in);
  }
  EXPECT_EQ(Tim_ScheduleContains(kWeek.data(), 3, 6, 0, 0), 0);  // not one weekday bit
  EXPECT_EQ(Tim_ScheduleContains(nullptr, 1, 6, 0, 0), 0);
}

TEST(TimSchedule, NextTable) {
  Tim_SetSingleDayMode(0);
  struct Case {
    int day, h, m, s, inclusive;
    PackedWeekTime next;
  } cases[] = {
      {1, 5, 0, 0, 1, At(1, 6, 0, 0)},     // an entry after the hour: its first time
      {1, 6, 0, 0, 1, At(1, 6, 0, 0)},     // the time itself, inclusive
      {1, 6, 0, 0, 0, At(1, 6, 30, 0)},    // after it
      {1, 6, 30, 0, 0, At(1, 6, 30, 20)},  // the next listed second
      {1, 6, 30, 0, 1, At(1, 6, 30, 0)},
      {1, 6, 30, 20, 1, At(1, 6, 30, 20)},
      {1, 6, 30, 20, 0, At(1, 7, 15, 30)},
      {1, 6, 45, 0, 1, At(1, 7, 15, 30)},
      {1, 7, 15, 30, 0, At(1, 8, 15, 30)},  // the next hour of a range
      {1, 8, 20, 0, 1, At(1, 9, 15, 30)},
      {1, 9, 15, 30, 0, At(2, 6, 0, 0)},    // on to the next weekday
      {1, 9, 15, 0, 1, At(1, 9, 15, 30)},
      {5, 23, 0, 0, 1, At(6, 10, 0, 45)},
      {6, 10, 0, 45, 0, At(1, 6, 0, 0)},    // Sunday has no group: wraps to Monday
      {7, 0, 0, 0, 1, At(1, 6, 0, 0)},
      {6, 0, 0, 0, 1, At(6, 10, 0, 45)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.day) + " " + std::to_string(c.h) + ":" + std::to_string(c.m) + ":" +
                 std::to_string(c.s) + (c.inclusive ? " incl" : ""));
    EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 1u << (c.day - 1), c.h, c.inclusive, c.s, c.m), c.next);
  }
}

TEST(TimSchedule, NextWrapsAWeekAndGivesUp) {
  Tim_SetSingleDayMode(0);
  const Bytes mondayOnly = {0x01, 8, 0, EH, EG, 0};
  EXPECT_EQ(Tim_ScheduleNext(mondayOnly.data(), 1, 9, 1, 0, 0), At(1, 8, 0, 0));  // next week's Monday
  const Bytes none[] = {{0}, {127, EG, 0}, {0x7F, 5, EH, EG, 0} /* an hour without minutes */};
  for (const Bytes& s : none) EXPECT_EQ(Tim_ScheduleNext(s.data(), 8, 0, 1, 0, 0), 0u);
  EXPECT_EQ(Tim_ScheduleNext(nullptr, 1, 0, 1, 0, 0), 0u);
  EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 0, 0, 1, 0, 0), 0u);
  EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 128, 0, 1, 0, 0), 0u);
  EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 3, 0, 1, 0, 0), 0u);
}

TEST(TimSchedule, NextInSingleDayMode) {
  Tim_SetSingleDayMode(1);
  EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 1, 9, 0, 30, 15), At(1, 6, 0, 0));  // the same day again
  EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 1, 5, 1, 0, 0), At(1, 6, 0, 0));
  EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 64, 5, 1, 0, 0), 0u);  // Sunday never runs
  Tim_SetSingleDayMode(0);
  EXPECT_EQ(Tim_ScheduleNext(kWeek.data(), 1, 9, 0, 30, 15), At(2, 6, 0, 0));
}

// Every second of the week: Next (inclusive) must give the first second at or
// after it that Contains holds, found here by brute force.
TEST(TimSchedule, NextAgreesWithContains) {
  Tim_SetSingleDayMode(0);
  std::vector<int> held;
  for (int t = 0; t < TIM_WEEK_SECONDS; ++t) {
    int day = t / 86400 + 1, r = t % 86400;
    if (Tim_ScheduleContains(kWeek.data(), 1u << (day - 1), r / 3600, r % 60, r / 60 % 60)) held.push_back(t);
  }
  ASSERT_EQ(held.size(), 5u * (1 + 2 + 3) + 1);
  for (int t = 0; t < TIM_WEEK_SECONDS; t += 7) {
    int day = t / 86400 + 1, r = t % 86400;
    auto it = std::lower_bound(held.begin(), held.end(), t);
    int expect = it == held.end() ? held.front() : *it;
    PackedWeekTime next = Tim_ScheduleNext(kWeek.data(), 1u << (day - 1), r / 3600, 1, r % 60, r / 60 % 60);
    ASSERT_EQ(Tim_PackedToWeekSeconds(next), expect) << t;
  }
}

TEST(TimSchedule, DamagedBytesGiveNoWrongTimes) {
  Tim_SetSingleDayMode(0);
  // Hour 30, minute 70, second 61 and a range that ends before it starts are passed over.
  const Bytes s = {0x01, 30, 5, EH, 6, Sec(3), 70, 10, Sec(61), Sec(5), EH, EG, 0};
  EXPECT_EQ(Tim_ScheduleNext(s.data(), 1, 0, 1, 0, 0), At(1, 6, 10, 5));
  EXPECT_EQ(Tim_ScheduleContains(s.data(), 1, 6, 5, 10), 1);
  EXPECT_EQ(Tim_ScheduleContains(s.data(), 1, 6, 0, 70), 0);
}

TEST(TimSchedule, LengthAndCompare) {
  EXPECT_EQ(Tim_ScheduleLength(kWeek.data()), i32(kWeek.size()));
  EXPECT_EQ(Tim_ScheduleLength(nullptr), 0);
  const Bytes empty = {0};
  EXPECT_EQ(Tim_ScheduleLength(empty.data()), 1);
  // Minute 0 bytes inside a group do not end the schedule.
  const Bytes zeros = {0x01, 0, 0, EH, EG, 0x02, 0, 0, Sec(0), Sec(1), EH, EG, 0};
  EXPECT_EQ(Tim_ScheduleLength(zeros.data()), i32(zeros.size()));

  Bytes other = kWeek;
  other[0] = 0x0F;
  EXPECT_EQ(Tim_ScheduleCompare(kWeek.data(), kWeek.data()), 0);
  EXPECT_EQ(Tim_ScheduleCompare(kWeek.data(), other.data()), 1);
  other = kWeek;
  other[2] = 1;
  EXPECT_EQ(Tim_ScheduleCompare(kWeek.data(), other.data()), 2);
  EXPECT_EQ(Tim_ScheduleCompare(kWeek.data(), empty.data()), 2);
}

// ---------------------------------------------------------------- expand and merge

struct DayBuffers {
  std::unique_ptr<u8[][TIM_DAY_SIZE]> days{new u8[7][TIM_DAY_SIZE]};
  DayBuffers() { std::memset(days.get(), 0xAB, 7 * TIM_DAY_SIZE); }
  u8 (*get())[TIM_DAY_SIZE] { return days.get(); }
  Bytes Day(int d) const {
    const u8* p = days[d];
    return Bytes(p, p + Tim_ScheduleLength(p));
  }
};

TEST(TimExpand, SplitsAndMergesBack) {
  DayBuffers b;
  ASSERT_EQ(Tim_ScheduleExpand(kWeek.data(), b.get()), TIM_OK);
  const Bytes weekday = {6, 0, 30, Sec(0), Sec(20), EH, 7, Range(9), 15, Sec(30), EH, EG, 0};
  for (int d = 0; d < 5; ++d) {
    Bytes expect = weekday;
    expect.insert(expect.begin(), u8(1 << d));
    EXPECT_EQ(b.Day(d), expect) << d;
  }
  EXPECT_EQ(b.Day(5), (Bytes{0x20, 10, 0, Sec(45), EH, EG, 0}));
  EXPECT_EQ(b.Day(6), (Bytes{0x40, EG, 0}));  // no group: bit, 255, 0

  // Change Wednesday, then merge: Monday, Tuesday, Thursday and Friday share a group.
  b.days[2][2] = 5;
  Bytes out(TIM_SCHEDULE_MAX);
  i32 n = Tim_ScheduleMerge(b.get(), out.data(), i32(out.size()));
  Bytes expect = {0x1B, 6, 0, 30, Sec(0), Sec(20), EH, 7, Range(9), 15, Sec(30), EH, EG,
                  0x04, 6, 5, 30, Sec(0), Sec(20), EH, 7, Range(9), 15, Sec(30), EH, EG,
                  0x20, 10, 0, Sec(45), EH, EG,
                  0x40, EG,
                  0};
  ASSERT_EQ(n, i32(expect.size()));
  out.resize(size_t(n));
  EXPECT_EQ(out, expect);
  for (int d = 0; d < 7; ++d) EXPECT_EQ(b.days[d][0], 1 << d);

  // An unchanged expansion merges back to the same schedule (the empty Sunday
  // becomes a group of its own).
  ASSERT_EQ(Tim_ScheduleExpand(kWeek.data(), b.get()), TIM_OK);
  n = Tim_ScheduleMerge(b.get(), out.data(), TIM_SCHEDULE_MAX);
  Bytes again(out.begin(), out.begin() + n);
  Bytes week = kWeek;
  week.insert(week.end() - 1, {0x40, EG});
  EXPECT_EQ(again, week);
}

TEST(TimExpand, EmptySchedules) {
  DayBuffers b;
  const Bytes everyDayNoTimes = {127, EG, 0};
  ASSERT_EQ(Tim_ScheduleExpand(everyDayNoTimes.data(), b.get()), TIM_OK);
  for (int d = 0; d < 7; ++d) EXPECT_EQ(b.Day(d), (Bytes{u8(1 << d), EG, 0}));
  Bytes out(8);
  EXPECT_EQ(Tim_ScheduleMerge(b.get(), out.data(), 8), 3);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 3), everyDayNoTimes);
  const Bytes nothing = {0};
  ASSERT_EQ(Tim_ScheduleExpand(nothing.data(), b.get()), TIM_OK);
  EXPECT_EQ(b.Day(3), (Bytes{8, EG, 0}));
  ASSERT_EQ(Tim_ScheduleExpand(nullptr, b.get()), TIM_OK);
}

// The fullest well-formed day (every second of every hour, with range bytes)
// fits its buffer exactly; one byte more does not, and is refused before
// anything is written.
Bytes FullestDay(u8 mask) {
  Bytes s = {mask};
  for (int h = 0; h < 24; ++h) {
    s.push_back(u8(h));
    s.push_back(Range(h));
    for (int m = 0; m < 60; ++m) {
      s.push_back(u8(m));
      for (int sec = 0; sec < 60; ++sec) s.push_back(Sec(sec));
    }
    s.push_back(EH);
  }
  s.push_back(EG);
  s.push_back(0);
  return s;
}

TEST(TimExpand, WorstCaseDayFitsAndLongerIsRefused) {
  Bytes full = FullestDay(0x7F);
  ASSERT_EQ(full.size(), size_t(TIM_DAY_SIZE));
  DayBuffers b;
  ASSERT_EQ(Tim_ScheduleExpand(full.data(), b.get()), TIM_OK);
  for (int d = 0; d < 7; ++d) {
    Bytes day = full;
    day[0] = u8(1 << d);
    ASSERT_EQ(b.Day(d), day);
  }
  Bytes out(TIM_SCHEDULE_MAX);
  EXPECT_EQ(Tim_ScheduleMerge(b.get(), out.data(), TIM_SCHEDULE_MAX), i32(full.size()));

  // A damaged group that repeats an hour is longer than any day can be.
  Bytes tooLong = full;
  tooLong.insert(tooLong.end() - 2, {5, 1, EH});
  DayBuffers c;
  EXPECT_EQ(Tim_ScheduleExpand(tooLong.data(), c.get()), TIM_TOO_LONG);
  for (int d = 0; d < 7; ++d) EXPECT_EQ(c.days[d][0], 0xAB) << "buffer touched";
}

TEST(TimExpand, MalformedSchedulesAreRefused) {
  const Bytes bad[] = {
      {0x80, EG, 0},                   // mask with bit 7
      {0x01, 24, 0, EH, EG, 0},        // hour 24
      {0x01, 5, Range(4), 0, EH, EG, 0},  // range ends before it starts
      {0x01, 5, Range(24), 0, EH, EG, 0},
      {0x01, 5, 60, EH, EG, 0},        // minute 60
      {0x01, 5, 1, Sec(60), EH, EG, 0},  // second 60
      {0x01, 5, Range(6), Sec(1), EH, EG, 0},  // a second before any minute
      {0x01, 5, 1, EG, 0},             // hour not closed
      {0x01, EH, EG, 0},               // 254 where an hour should stand
      {0x01, EG, 0x02, 3, 70, EH, EG, 0},  // a later group is damaged too
  };
  for (const Bytes& s : bad) {
    DayBuffers b;
    EXPECT_EQ(Tim_ScheduleExpand(s.data(), b.get()), TIM_MALFORMED);
    for (int d = 0; d < 7; ++d) EXPECT_EQ(b.days[d][0], 0xAB);
  }
}

// Schedules from outside pass one bounded check before any reader walks
// them by their end marks. Each damaged one lies in a block of exactly its
// own size, so that a read past its end is a fault the sanitizers see.
TEST(TimCheck, SchedulesCutShortOrDamagedAreRefusedWithinTheirBytes) {
  EXPECT_EQ(Tim_ScheduleCheck(kWeek.data(), i32(kWeek.size())), i32(kWeek.size()));
  const Bytes everyDay = {127, EG, 0};
  EXPECT_EQ(Tim_ScheduleCheck(everyDay.data(), 3), 3);
  const Bytes empty = {0};
  EXPECT_EQ(Tim_ScheduleCheck(empty.data(), 1), 1);
  // Bytes after the final 0 are not the schedule's.
  Bytes trailing = kWeek;
  trailing.push_back(0x55);
  EXPECT_EQ(Tim_ScheduleCheck(trailing.data(), i32(trailing.size())), i32(kWeek.size()));

  struct Case {
    const char* what;
    Bytes bytes;
    i32 result;
  } cases[] = {
      {"cut after minute 0 (the 0 is no end)", {0x01, 5, 0}, -1},
      {"cut after hour 0", {0x01, 0}, -1},
      {"cut after a range byte", {0x01, 5, Range(7)}, -1},
      {"cut after a second", {0x01, 5, 1, Sec(0)}, -1},
      {"cut after the hour's end", {0x01, 5, 1, EH}, -1},
      {"cut after the group's end", {0x01, 5, 1, EH, EG}, -1},
      {"cut after a mask", {0x01}, -1},
      {"nothing", {}, -1},
      {"hour 24", {0x01, 24, 0, EH, EG, 0}, -1},
      {"a mask with bit 7", {0x80, EG, 0}, -1},
  };
  for (const Case& c : cases) {
    std::unique_ptr<u8[]> exact(new u8[c.bytes.size() + 1]);
    std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
    EXPECT_EQ(Tim_ScheduleCheck(c.bytes.empty() ? nullptr : exact.get(), i32(c.bytes.size())), c.result) << c.what;
  }
  // A group longer than a day buffer holds: 24 hours of 60 minutes of 61
  // seconds each fill one; one more hour entry does not fit.
  Bytes tooLong = {0x01};
  for (int h = 0; h < 24; ++h) {
    tooLong.push_back(u8(h));
    for (int m = 0; m < 60; ++m) {
      tooLong.push_back(u8(m));
      for (int sec = 0; sec < 60; ++sec) tooLong.push_back(Sec(sec));
    }
    tooLong.push_back(EH);
  }
  for (int i = 0; i < 200; ++i) tooLong.push_back(u8(i % 24)), tooLong.push_back(0), tooLong.push_back(EH);
  tooLong.push_back(EG);
  tooLong.push_back(0);
  EXPECT_EQ(Tim_ScheduleCheck(tooLong.data(), i32(tooLong.size())), -2);
}

TEST(TimExpand, MergeChecksItsInputAndOutput) {
  DayBuffers b;
  ASSERT_EQ(Tim_ScheduleExpand(kWeek.data(), b.get()), TIM_OK);
  Bytes out(64, 0xCD);
  i32 need = Tim_ScheduleMerge(b.get(), out.data(), 64);
  ASSERT_GT(need, 0);
  std::fill(out.begin(), out.end(), 0xCD);
  EXPECT_EQ(Tim_ScheduleMerge(b.get(), out.data(), need - 1), -2);
  EXPECT_EQ(out[0], 0xCD);
  // A day buffer without its 255 within the buffer is refused.
  std::memset(&b.days[4][1], 3, TIM_DAY_SIZE - 1);
  EXPECT_EQ(Tim_ScheduleMerge(b.get(), out.data(), 64), -1);
  EXPECT_EQ(out[0], 0xCD);
}

// ---------------------------------------------------------------- boxes

TEST(TimGeo, RectAndBoxIncludeTheirBounds) {
  // left 10, bottom 20, right 30, top 5
  struct Case {
    int x, y, in;
  } rect[] = {{10, 5, 1}, {30, 20, 1}, {20, 12, 1}, {9, 12, 0}, {31, 12, 0}, {20, 4, 0}, {20, 21, 0}};
  for (const Case& c : rect) EXPECT_EQ(Geo_InRect(c.x, c.y, 10, 20, 30, 5), c.in) << c.x << "," << c.y;

  // x 100..200, y 50..60, level -3..0
  struct Case3 {
    int x, y, level, in;
  } box[] = {{100, 50, -3, 1}, {200, 60, 0, 1}, {150, 55, -1, 1}, {99, 55, -1, 0}, {150, 61, -1, 0},
             {150, 55, -4, 0}, {150, 55, 1, 0}, {201, 55, 0, 0}, {150, 49, 0, 0}};
  for (const Case3& c : box)
    EXPECT_EQ(Geo_InBox3(c.x, c.y, c.level, 0, 60, 200, -3, 50, 100), c.in) << c.x << "," << c.y << "," << c.level;
}

// ---------------------------------------------------------------- random numbers

// The own generator's formula, in 64-bit arithmetic with the 32-bit wrap.
i32 ReferenceStep(i64* seed) {
  u32 v = u32(u64(*seed) * 73 + 1);
  i64 s = i32(v);
  if (s < 0) s = -s;
  *seed = i32(u32(s));
  return i32(u32(s));
}

TEST(TimRandom, OwnGenerator) {
  EXPECT_EQ(Rnd_OwnNext(0), -1);
  EXPECT_EQ(Rnd_OwnNext(10), 1);
  EXPECT_EQ(Rnd_OwnNext(-12345), -1);
  i64 ref = 12345;
  for (int i = 0; i < 10000; ++i) {
    i32 n = 1 + i % 1000;
    i32 s = ReferenceStep(&ref);
    i32 r = Rnd_OwnNext(n);
    ASSERT_GE(r, 0);
    ASSERT_EQ(r, i32(u32(s) % u32(n))) << i;
  }
}

TEST(TimRandom, OwnGeneratorAtTheWrapPoints) {
  // Large seeds overflow seed x 73 + 1 at once: the steps wrap in 32 bits.
  for (i32 start : {2000000000, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(start);
    EXPECT_EQ(Rnd_OwnNext(start == INT_MIN ? INT_MIN : -start), -1);
    i64 ref = start;  // -INT_MIN wraps to INT_MIN itself
    for (int i = 0; i < 1000; ++i) {
      i32 s = ReferenceStep(&ref);
      i32 r = Rnd_OwnNext(INT_MAX - i);
      ASSERT_GE(r, 0);
      ASSERT_EQ(r, i32(u32(s) % u32(INT_MAX - i))) << i;
    }
  }
  // From INT_MIN: 0x80000000 x 73 + 1 wraps to 0x80000001, whose absolute value is INT_MAX.
  Rnd_OwnNext(INT_MIN);
  EXPECT_EQ(Rnd_OwnNext(INT_MAX), 0);
  EXPECT_EQ(Rnd_OwnNext(1000), i32(u32(u32(INT_MAX) * 73u + 1u) % 1000u));
}

TEST(TimRandom, NextBelowOneChangesNothing) {
  Rnd_SetLayoutSeed(777);
  EXPECT_EQ(Rnd_GetLayoutSeed(), 777);
  std::vector<i32> plain;
  for (int i = 0; i < 20; ++i) plain.push_back(Rnd_Next(1000));
  Rnd_SetLayoutSeed(777);
  std::vector<i32> mixed;
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(Rnd_Next(0), 0);
    EXPECT_EQ(Rnd_Next(-7), 0);
    mixed.push_back(Rnd_Next(1000));
  }
  EXPECT_EQ(mixed, plain);
  EXPECT_EQ(Rnd_GetLayoutSeed(), 777);
}

TEST(TimRandom, LayoutSequenceIsReproducibleAndUndisturbed) {
  Rnd_SetLayoutSeed(42);
  i64 ref = 42;
  for (int i = 0; i < 100; ++i) {
    if (i % 10 == 0) Rnd_OwnNext(-i);  // a redraw reseeds the own generator
    i32 s = ReferenceStep(&ref);
    ASSERT_EQ(Rnd_Next(97), i32(u32(s) % 97u)) << i;
  }
}

TEST(TimRandom, RuntimeGeneratorWhileTheSeedIsUnset) {
  for (i32 s : {-1, 0, -5}) {
    Rnd_SetLayoutSeed(s);
    EXPECT_EQ(Rnd_GetLayoutSeed(), -1);
  }
  for (int i = 0; i < 1000; ++i) {
    i32 r = Rnd_Next(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
  }
  EXPECT_EQ(Rnd_Next(1), 0);
  EXPECT_EQ(Rnd_Next(0), 0);
}

// ---------------------------------------------------------------- system

TEST(TimSystem, OsClass) {
  int cls = -1;
  wch sp[4] = {u'x', u'x', 0, 0};
  EXPECT_EQ(Sys_GetOsClass(&cls, sp), 10u << 16);
  EXPECT_EQ(cls, 10);
  EXPECT_EQ(sp[0], 0);
  EXPECT_NE(Sys_GetOsClass(nullptr, nullptr), 0u);
}

}  // namespace

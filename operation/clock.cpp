#include "operation/clock.h"

#include "model/tp.h"
#include "operation/pts.h"
#include "operation/sigtime.h"
#include "operation/trn.h"
#include "operation/trndepart.h"
#include "operation/trnretry.h"
#include "operation/trnsound.h"
#include "operation/trnstep.h"

SimClock g_simClock = {1, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0};
static i32 g_speedStep = CLK_SPEED_DEFAULT;

int ViaTimer;
static i32 s_delayFactor = CLK_DELAY_DEFAULT;
static u32 s_delayCountdown;
// Tick phases: the retry list served next, the 10-tick counters of the retry
// lists and of the train sounds, the 40-tick counter of signal switching.
static i32 s_retryPhase, s_retryTicks, s_soundTicks, s_signalTicks;
static ClkHooks g_clkHooks;

void Clk_SetHooks(const ClkHooks* hooks) { g_clkHooks = hooks ? *hooks : ClkHooks{}; }

static void Clk_ResetDelayCountdown(void) {
  if (ViaTimer) s_delayCountdown = 0;
}

void Clk_Reset(void) { g_simClock = SimClock{1, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0}; }

int Clk_SetSpeed(i32 step) {
  i32 s = g_speedStep;
  if (step == -1) {
    if (s < CLK_SPEED_MAX) ++s;
  } else if (step == -2) {
    if (s > 1) --s;
  } else if (step == -3) {
    s = CLK_SPEED_DEFAULT;
  } else if (step >= 1 && step <= CLK_SPEED_MAX) {
    s = step;
  } else {
    return 1;
  }
  g_speedStep = s;
  Clk_ResetDelayCountdown();
  return 0;
}

i32 Clk_GetSpeed(void) { return g_speedStep; }

PackedWeekTime Clk_Now(void) {
  const SimClock& c = g_simClock;
  const int day = (c.weekday >= 1 && c.weekday <= 7) ? c.weekday : 1;
  return (1u << (day - 1)) << 24 | u32(c.hour) << 16 | u32(c.minute) << 8 | c.second;
}

u32 Clk_FirstWeekdayBit(u32 mask) {
  for (u32 b = 1; b <= 64; b <<= 1)
    if (mask & b) return b;
  return 0;
}

static int Clk_DayNumberOfBit(u32 bit) {
  for (int d = 1; d <= 7; ++d)
    if (bit & (1u << (d - 1))) return d;
  return 0;
}

PackedWeekTime Clk_MatchWindow(PackedWeekTime t, PackedWeekTime from, PackedWeekTime to) {
  const u32 fromMask = (from >> 24) & 0x7F;
  const u32 tMask = (t >> 24) & 0x7F;
  const u32 tTime = t & 0xFFFFFF;
  const u32 fromTime = from & 0xFFFFFF;
  const u32 toTime = to & 0xFFFFFF;
  if (fromMask == 127 || tMask == 127) {
    const bool inside = fromTime < toTime ? (fromTime <= tTime && tTime < toTime) : (tTime >= fromTime || tTime < toTime);
    if (!inside) return 0;
    return fromMask == 127 ? (1u << 24 | tTime) : (Clk_FirstWeekdayBit(fromMask) << 24 | tTime);
  }
  if (fromMask == 0) return 0;
  const u32 toMask = (to >> 24) & 0x7F;
  const int fixedEndDay = toMask ? Clk_DayNumberOfBit(Clk_FirstWeekdayBit(toMask)) : 0;
  // Week positions with the weekday number in the top byte compare as plain
  // integers.
  for (int d = 1; d <= 7; ++d) {
    if (!(fromMask & (1u << (d - 1)))) continue;
    const i32 start = i32(u32(d) << 24 | fromTime);
    int endDay = fixedEndDay;
    if (!endDay) endDay = fromTime < toTime ? d : (d == 7 ? 1 : d + 1);
    const i32 end = i32(u32(endDay) << 24 | toTime);
    for (int e = 1; e <= 7; ++e) {
      if (!(tMask & (1u << (e - 1)))) continue;
      const i32 pos = i32(u32(e) << 24 | tTime);
      const bool inside = start >= end ? (pos >= start || pos < end) : (start <= pos && pos < end);
      if (inside) return (1u << (e - 1)) << 24 | tTime;
    }
  }
  return 0;
}

int Clk_InWindow(PackedWeekTime t, PackedWeekTime from, PackedWeekTime to) {
  return Clk_MatchWindow(t, from, to) != 0 ? 1 : 0;
}

int Clk_NowInWindow(PackedWeekTime from, PackedWeekTime to) { return Clk_InWindow(Clk_Now(), from, to); }

PackedWeekTime Clk_InWindowFromNow(PackedWeekTime t, PackedWeekTime to) { return Clk_MatchWindow(t, Clk_Now(), to); }

int Clk_WindowOverlapsList(PackedWeekTime from, PackedWeekTime to, const u32* list, i32 n) {
  for (i32 i = 0; i < n; ++i) {
    const u32 a = list[2 * i], b = list[2 * i + 1];
    if (Clk_InWindow(a, from, to)) return 1;
    if (Clk_InWindow(b, from, to) && (b & 0xFFFFFF) != (from & 0xFFFFFF)) return 1;
    if (Clk_InWindow(from, a, b)) return 1;
  }
  return 0;
}

int Clk_ListsOverlap(const u32* listA, i32 nA, const u32* listB, i32 nB) {
  for (i32 i = 0; i < nA; ++i)
    if (Clk_WindowOverlapsList(listA[2 * i], listA[2 * i + 1], listB, nB)) return 1;
  return 0;
}

SimRateSettings g_simRate = {CLK_SCALE_DEFAULT, {0, 0, 64, 64, 16, 16}, 0};
u32 TickConstant = CLK_TICK_NUMERATOR / CLK_SCALE_DEFAULT;

void Clk_ResetRate(void) {
  g_simRate = SimRateSettings{CLK_SCALE_DEFAULT, {0, 0, 64, 64, 16, 16}, 0};
  TickConstant = CLK_TICK_NUMERATOR / CLK_SCALE_DEFAULT;
}

void Clk_SetLayoutScale(u32 scale) {
  if (scale == 0) scale = CLK_SCALE_DEFAULT;
  g_simRate.scale = scale;
  TickConstant = CLK_TICK_NUMERATOR / scale;
  // A train's step interval is derived from the tick constant: a running
  // train would keep the old scale's pace until its speed next changed.
  TrnList_RecalcIntervals();
}

// ---------------------------------------------------------------- ticking

static const u16 kDelayTable[CLK_SPEED_MAX + 1] = {0,  0,  570, 480, 400, 330, 270, 220, 180, 145, 125,
                                                   90, 70, 55,  40,  30,  22,  15,  10,  5,   0};

u32 Clk_DelayTableValue(i32 step) { return (step >= 2 && step <= 19) ? kDelayTable[step] : 0; }

int Clk_SetDelayFactor(i32 f) {
  if (f == -1) f = CLK_DELAY_DEFAULT;
  else if (f < 1 || f > CLK_DELAY_MAX) return 1;
  s_delayFactor = f;
  return 0;
}

i32 Clk_GetDelayFactor(void) { return s_delayFactor; }

void Clk_ResetPhases(void) {
  s_retryPhase = s_retryTicks = s_soundTicks = s_signalTicks = 0;
  s_delayCountdown = 0;
}

void Clk_SetAlarm(u8 hour, u8 minute, u8 weekday, i32 repeat) {
  g_simClock.alarmHour = hour;
  g_simClock.alarmMinute = minute;
  g_simClock.alarmWeekday = weekday;
  g_simClock.alarmRepeat = repeat;
}

u32 Clk_DayNumber(void) {
  const SimClock& c = g_simClock;
  // A simulation that began in the middle of a day has counted fewer minutes
  // than today's: that is still day 0, not a wrapped count.
  const u32 today = u32(c.hour) * 60 + c.minute;
  return c.elapsedMinutes < today ? 0 : (c.elapsedMinutes - today) / 1440;
}

static void Clk_TestAlarm(void) {
  SimClock& c = g_simClock;
  if (c.hour != c.alarmHour || c.minute != c.alarmMinute) return;
  if (c.alarmWeekday != 0 && c.alarmWeekday != c.weekday) return;
  if (c.alarmRepeat == 0) {
    if (g_clkHooks.alarm) g_clkHooks.alarm();
  } else if (c.alarmRepeat > 0) {
    c.alarmRepeat--;
  }
}

static void Clk_Minute(void) {
  SimClock& c = g_simClock;
  c.elapsedMinutes++;
  c.second = 0;
  if (++c.minute >= 60) {
    c.minute = 0;
    if (++c.hour >= 24) {
      c.hour = 0;
      if (!c.weekdayFrozen) c.weekday = c.weekday >= 7 ? 1 : u8(c.weekday + 1);
    }
  }
  Trn_TimetableInsertions();
  Tp_CheckAll();
  Trn_TimetableDepartures();
  if (g_clkHooks.minute) g_clkHooks.minute();
  Clk_TestAlarm();
}

// The minute hooks of animated symbols and position-mark alarms, and the
// auto-save countdown join here when their modules offer them. The turnout
// controllers' reset times carry seconds, so they are looked at each second.
static void Clk_Second(void) {
  TrnList_StepStopSoundList();
  TrnList_StepStopList();
  TrnList_StepReverseWaitList();
  if (++g_simClock.second >= 60) Clk_Minute();
  else Tp_CheckAll();
  Sig_ClockStep();
  Pts_ClockHook();
}

void Clk_Tick(void) {
  if (ViaTimer && g_speedStep >= 2 && g_speedStep <= 19) {
    if (s_delayCountdown) {
      s_delayCountdown--;
      return;
    }
    s_delayCountdown = kDelayTable[g_speedStep] * u32(s_delayFactor);
  }
  if (++g_simClock.tick >= 100) {
    g_simClock.tick = 0;
    Clk_Second();
  }
  if (++s_retryTicks >= 10) {
    s_retryTicks = 0;
    Trn_ServeRetryList(s_retryPhase);
    s_retryPhase = s_retryPhase >= 9 ? 0 : s_retryPhase + 1;
  }
  if (++s_soundTicks >= 10) {
    s_soundTicks = 0;
    Trn_SoundStep();
  }
  if (++s_signalTicks >= 40) {
    s_signalTicks = 0;
    Sig_SwitchingStep();
  }
  Trn_StepAll();
}

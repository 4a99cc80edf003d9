#include "operation/clock.h"

SimClock g_simClock = {1, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0};
static i32 g_speedStep = CLK_SPEED_DEFAULT;

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
}

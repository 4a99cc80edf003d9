#include "render/daylight.h"

#include "operation/clock.h"

DaylightState g_daylight;

void Disp_ResetDaylight(void) { g_daylight = DaylightState{0, {0x0600, 0x1200, 0x1400, 0x0500}, 0, 0, 1}; }

namespace {
struct DaylightInit {
  DaylightInit() { Disp_ResetDaylight(); }
} g_daylightInit;

i32 Minutes(u16 t) { return i32(t >> 8) * 60 + i32(t & 0xFF); }

// Daily window [from, to) as the week-time window test takes it.
int InDailyWindow(u32 now, u16 from, u16 to) {
  return Clk_InWindow(now, Tim_PackWeekTime(127, from >> 8, from & 0xFF, 0),
                      Tim_PackWeekTime(127, to >> 8, to & 0xFF, 0));
}

i32 Mod1440(i32 v) { return v < 0 ? v + 1440 : v; }
}  // namespace

int Disp_UpdateDaylightPhase(void) {
  DaylightState& d = g_daylight;
  if (!d.enabled) return 0;
  const u32 oldPhase = d.phase;
  const i32 oldElapsed = d.elapsed;
  const u32 now = Tim_PackWeekTime(127, g_simClock.hour, g_simClock.minute, 0);
  const i32 m = i32(g_simClock.hour) * 60 + g_simClock.minute;
  const u16* t = d.times;
  u32 w;
  i32 from, to;
  if (InDailyWindow(now, t[0], t[1])) {
    w = DAYLIGHT_DAY;
    from = to = -1;
  } else if (InDailyWindow(now, t[2], t[3])) {
    w = DAYLIGHT_NIGHT;
    from = 2;
    to = 3;
  } else if (InDailyWindow(now, t[3], t[0])) {
    w = DAYLIGHT_DAWN;
    from = 3;
    to = 0;
  } else {
    w = DAYLIGHT_DUSK;
    from = 1;
    to = 2;
  }
  if (from >= 0) {
    d.elapsed = Mod1440(m - Minutes(t[from]));
    // A window whose ends are equal is a whole day to the window test.
    i32 s = Mod1440(Minutes(t[to]) - Minutes(t[from]));
    d.span = s ? s : 1440;
  }
  const i32 e = d.elapsed, s = d.span;
  switch (w) {
    case DAYLIGHT_DAWN:
      if (e < 5 * s / 12) w |= 112;
      if (e < 3 * s / 4) w |= 8;
      break;
    case DAYLIGHT_DUSK:
      if (e >= 7 * s / 12) w |= 112;
      if (e >= s / 4) w |= 8;
      break;
    case DAYLIGHT_NIGHT:
      w |= 16;
      if (e < 5 * s / 12 || e > 11 * s / 12) w |= 32;
      if (e < s / 3) w |= 64;
      w |= 8;
      break;
    default:
      break;
  }
  d.phase = w;
  if (w != oldPhase) return 1;
  const u32 part = w & 7;
  return ((part == DAYLIGHT_DAWN || part == DAYLIGHT_DUSK) && e != oldElapsed) ? 1 : 0;
}

u32 Disp_GetDaylightPhase(void) { return g_daylight.phase; }

void Disp_GetDaylightProgress(i32* elapsed, i32* span) {
  i32 s = g_daylight.span >= 1 ? g_daylight.span : 1440;
  i32 e = g_daylight.elapsed;
  if (e < 0 || e >= s) e = 0;
  if (elapsed) *elapsed = e;
  if (span) *span = s;
}

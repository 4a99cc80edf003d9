#include "render/clkpaint.h"

#include "operation/clock.h"
#include "platform/lng.h"
#include "platform/print.h"

// The run flag lives in the shell; the painters learn it through the speed
// hook the shell installs.
static int (*g_clkRunning)(void);

void Clk_SetRunningQuery(int (*running)(void)) { g_clkRunning = running; }

int Clk_SecondsHidden(void) { return g_clkRunning && g_clkRunning() && Clk_GetSpeed() >= 15; }

void Clk_WeekdayText(wch* buf, int size) {
  const wch* name = Lng_GetText(17020 + g_simClock.weekday);
  wch three[4] = {0, 0, 0, 0};
  for (int i = 0; i < 3 && name[i]; ++i) three[i] = name[i];
  Fmt_Print(buf, size, u"%3s", three);
}

// The weekday and the time, with or without the seconds as they are shown.
static void Clk_FormatNow(wch* buf, int size, const wch* withSeconds, const wch* withoutSeconds) {
  wch day[8];
  Clk_WeekdayText(day, 8);
  const SimClock& c = g_simClock;
  if (Clk_SecondsHidden())
    Fmt_Print(buf, size, withoutSeconds, day, u32(c.hour), u32(c.minute));
  else
    Fmt_Print(buf, size, withSeconds, day, u32(c.hour), u32(c.minute), u32(c.second));
}

void Clk_ClockWindowText(wch* buf, int size) { Clk_FormatNow(buf, size, u"%s:%2u:%02u:%02u ", u"%s:%2u:%02u "); }

void Clk_OverviewTitleText(wch* buf, int size) { Clk_FormatNow(buf, size, u"%s:%2u:%02u:%02u", u"%s:%2u:%02u   "); }

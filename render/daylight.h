// Daylight phase: which of four parts of the day the simulated clock is in
// and how far into that part, as the DaylightPhase word the compositor and
// the overlay passes read.
//
// Owns g_daylight: the phase word, the elapsed minutes and the span of the
// current part, and the layout's daylight switch and four times T0..T3 (hour
// << 8 | minute), which the layout's general section and the daylight dialog
// store here. Reads the simulated clock (operation/clock.h). Main thread.
//
// Promises: the span is never 0 - a part whose start and end are equal covers
// the whole day, as the window test takes such a window - so the shading can
// divide by it whatever the four times are.
#pragma once
#include "platform/types.h"

// Parts of the day and light bits of the DaylightPhase word.
enum : u32 {
  DAYLIGHT_DAY = 0,    // [T0, T1)
  DAYLIGHT_NIGHT = 1,  // [T2, T3)
  DAYLIGHT_DAWN = 2,   // [T3, T0)
  DAYLIGHT_DUSK = 4,   // [T1, T2)
  DAYLIGHT_LAMPS = 8,
  DAYLIGHT_WINDOWS_0 = 16,
  DAYLIGHT_WINDOWS_1 = 32,
  DAYLIGHT_WINDOWS_2 = 64
};

struct DaylightState {
  int enabled;   // bit 0 of the layout's general option word
  u16 times[4];  // T0..T3, hour << 8 | minute
  u32 phase;     // DaylightPhase
  i32 elapsed;   // minutes since the current part began, 0..1439
  i32 span;      // minutes of the current part, 1..1440
};
extern DaylightState g_daylight;

// The state of a new layout: switch off, phase 0.
void Disp_ResetDaylight(void);
// 1 when the phase word changed, or (in the parts 2 and 4) the elapsed
// minutes changed; else 0. With the switch clear nothing changes and 0.
int Disp_UpdateDaylightPhase(void);
u32 Disp_GetDaylightPhase(void);
// The position in the current part for the shading: *elapsed 0..span-1,
// *span 1..1440 (each out may be null).
void Disp_GetDaylightProgress(i32* elapsed, i32* span);

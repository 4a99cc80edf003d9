// Painting of the simulated clock: the weekday, hour, minute, second and
// speed fields of the status strip, the time in the title area of overview
// maps, and the clock window's face.
//
// Owns the two windows it paints into besides the views: the status
// window (the frame) and the clock window, whose handles the shell sets.
// The texts are portable; the painting is the Windows layer's
// (clkpaint_win32.cpp). Main thread.
#pragma once
#include "platform/types.h"

// The clock window; null when there is none. The frame is the status
// strip's window (Map_GetStatusWindow).
void Clk_SetClockWindow(void* clockWindow);
// 1 while the seconds are hidden: the simulation runs at speed 15 or more.
int Clk_SecondsHidden(void);
// The query of the simulation run flag (the shell installs it).
void Clk_SetRunningQuery(int (*running)(void));
// The first up to three characters of the weekday's name (text 17020 +
// weekday), right-aligned in three places.
void Clk_WeekdayText(wch* buf, int size);
// "%3s:%2u:%02u:%02u " (weekday, hour, minute, second), or "%3s:%2u:%02u "
// with the seconds hidden: the clock window's face.
void Clk_ClockWindowText(wch* buf, int size);
// "%s:%2u:%02u:%02u" or "%s:%2u:%02u   ": the title of overview maps.
void Clk_OverviewTitleText(wch* buf, int size);

// Painters; a device context of null takes the window's own.
void Clk_RedrawAll(void* dc);
void Clk_PaintWeekday(void* dc);
void Clk_PaintHours(void* dc);
void Clk_PaintMinutes(void* dc);
void Clk_PaintSeconds(void* dc);
void Clk_PaintSpeed(void* dc);
void Clk_PaintOverviewTitles(void);
void Clk_PaintClockWindow(void* dc);

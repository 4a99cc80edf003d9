// Natively there is nothing to paint the clock into.
#include "render/clkpaint.h"

void Clk_SetClockWindow(void* clockWindow) {}
void Clk_RedrawAll(void* dc) {}
void Clk_PaintWeekday(void* dc) {}
void Clk_PaintHours(void* dc) {}
void Clk_PaintMinutes(void* dc) {}
void Clk_PaintSeconds(void* dc) {}
void Clk_PaintSpeed(void* dc) {}
void Clk_PaintOverviewTitles(void) {}
void Clk_PaintClockWindow(void* dc) {}

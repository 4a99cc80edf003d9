// Simulation clock: simulated time (SimClock), the speed step, and the tests
// of PackedWeekTime windows that timetables, rules, signals and turnout
// controllers use.
//
// Owns g_simClock, the speed step, the delay mode (ViaTimer) with its delay
// factor and countdown, the tick phase counters, and the layout's rate
// settings (scale and display values) with the TickConstant derived from the
// scale. Clk_Tick is one SimTick: it drives, in a fixed order, the count-down
// lists, the per-minute timetables, the alarm, the retry lists and the
// stepping of the moving trains. The painting of the clock fields comes with
// the frame window.
//
// PackedWeekTime (platform/tim.h): weekday mask << 24 | hour << 16 |
// minute << 8 | second; mask bit d-1 is weekday d, 127 every day. Plain state
// on the main thread.
#pragma once
#include "platform/tim.h"
#include "platform/types.h"

struct SimClock {
  u8 weekday;  // 1..7
  u8 hour, minute, second;
  u8 tick;                // hundredths of the current second, 0..99
  u32 elapsedMinutes;     // since the simulation began
  int weekdayFrozen;      // the weekday does not advance at midnight
  u8 alarmHour;           // 255: no alarm (never matches)
  u8 alarmMinute;         // 255 with it
  u8 alarmWeekday;        // 0 any weekday, else 1..7
  i32 alarmRepeat;        // matching minutes still to let pass
};
extern SimClock g_simClock;

enum { CLK_SPEED_DEFAULT = 15, CLK_SPEED_MAX = 20 };

// Back to the state of a new layout: weekday 1, 0:00:00, no alarm, the
// weekday not frozen, nothing elapsed.
void Clk_Reset(void);

// -1 one step up (not beyond 20), -2 one step down (not below 1), -3 the
// default 15, 1..20 that step; 0, or 1 and no change for any other value.
// An accepted call lets the next tick pass the delay gate.
int Clk_SetSpeed(i32 step);
i32 Clk_GetSpeed(void);

// ---------------------------------------------------------------- ticking
// The delay mode (settings key ViaTimer): while it is on, at speed steps
// 2..19 only one call of Clk_Tick in (table value x delay factor + 1)
// advances the clock.
extern int ViaTimer;
enum { CLK_DELAY_DEFAULT = 450, CLK_DELAY_MAX = 5000 };
// -1 the default 450, 1..5000 that factor; 1 and no change for anything else.
int Clk_SetDelayFactor(i32 f);
i32 Clk_GetDelayFactor(void);
// The delay-table value of a speed step (0 outside 2..19).
u32 Clk_DelayTableValue(i32 step);

// One SimTick (a hundredth of a simulated second), or one call held back by
// the delay gate. Order: the gate; the tick counter and, at each full second,
// the count-down lists and the second, at each full minute the timetable
// insertions and departures, the minute hook (the daylight phase) and the
// alarm, then the turnout controllers' reset times (Pts_ClockHook); every 10
// ticks one retry list; then the moving trains.
void Clk_Tick(void);
// Sets the alarm: hour 0..23 (255 none), minute, weekday 0 (any) or 1..7,
// matching minutes to let pass first (negative: never fire).
void Clk_SetAlarm(u8 hour, u8 minute, u8 weekday, i32 repeat);
// Whole days since the simulation began: (elapsed minutes - minutes of
// today) / 1440, 0 while the simulation began later today than midnight.
u32 Clk_DayNumber(void);
// Back to the tick phases of a fresh start (retry phase 0, counters 0,
// delay countdown 0). A load keeps the phases; tests and start-up use it.
void Clk_ResetPhases(void);

// The current simulated time as a PackedWeekTime (one weekday bit).
PackedWeekTime Clk_Now(void);
// The lowest set bit among bits 0..6 of a weekday mask, 0 when none.
u32 Clk_FirstWeekdayBit(u32 mask);
// 0 when t lies outside the window [from, to), else the matching position:
// the matching day's mask bit in the top byte and t's time below. A from (or
// t) of every day compares times only; a to without a weekday ends on the
// start day, or the next day when its time is not later.
PackedWeekTime Clk_MatchWindow(PackedWeekTime t, PackedWeekTime from, PackedWeekTime to);
// 1 when t lies in [from, to), else 0.
int Clk_InWindow(PackedWeekTime t, PackedWeekTime from, PackedWeekTime to);
// Clk_InWindow for the current simulated time.
int Clk_NowInWindow(PackedWeekTime from, PackedWeekTime to);
// Clk_MatchWindow(t, now, to): whether t lies between now and to.
PackedWeekTime Clk_InWindowFromNow(PackedWeekTime t, PackedWeekTime to);
// list holds n (from, to) pairs: 1 when for some pair its start lies in
// [from, to), or its end lies there and the end's time differs from from's,
// or from lies in the pair's window; else 0.
int Clk_WindowOverlapsList(PackedWeekTime from, PackedWeekTime to, const u32* list, i32 n);
// 1 when any window of list A overlaps list B.
int Clk_ListsOverlap(const u32* listA, i32 nA, const u32* listB, i32 nB);

// ---------------------------------------------------------------- hooks
// What the clock tells the layers above it, installed by start-up
// (shell/wire): each simulated minute, after the timetable insertions and
// departures and before the alarm test (the daylight phase follows the
// clock there); and the alarm firing. Without hooks nothing happens.
struct ClkHooks {
  void (*minute)(void);
  void (*alarm)(void);
};
// Copies the hooks; null or a null member: that call does nothing.
void Clk_SetHooks(const ClkHooks* hooks);

// ---------------------------------------------------------------- layout rate
// The layout scale in cells per kilometre (2..90 in the dialog), two position
// values below 32768, four size values 2..512 and a display switch, kept with
// the layout.
struct SimRateSettings {
  u32 scale;
  u32 values[6];
  int displaySwitch;
};
extern SimRateSettings g_simRate;
// 450000000 / scale: ticks x 10 per sub-step at speed 1.
extern u32 TickConstant;

enum { CLK_SCALE_DEFAULT = 64, CLK_TICK_NUMERATOR = 450000000 };
// The defaults: scale 64, values 0, 0, 64, 64, 16, 16, switch off.
void Clk_ResetRate(void);
// Stores the scale, recomputes TickConstant and every train's step
// interval (TrnList_RecalcIntervals). A scale of 0 cannot divide:
// it becomes the default 64.
void Clk_SetLayoutScale(u32 scale);

// Week times, weekly schedules (read side), box tests, random numbers and the
// operating-system class.
//
// WeekSchedule (written by the schedule codec of the rule texts): groups of
// a weekday mask (bit d-1 = weekday d, 1..127), hour entries and 255, ended
// by a 0 in place of a mask. An hour entry: hour 0..23, optionally 0x80 | h2
// (the entry covers hours h..h2), minute entries, 254. A minute entry: the
// minute 0..59 and zero or more 0x80 | second (0..59); a minute without
// seconds means second 0. The pair 127, 255 at the start means every day
// without times. The readers here take the first group that holds a weekday.
//
// PackedWeekTime: weekday bit << 24 | hour << 16 | minute << 8 | second;
// 0 = none. WeekSeconds: seconds since the start of weekday 1, 0..604799.
#pragma once
#include "platform/types.h"

typedef u32 PackedWeekTime;

enum { TIM_WEEK_SECONDS = 604800, TIM_DAY_SECONDS = 86400 };

// ---------------------------------------------------------------- packed times
// dayMask in the top byte as given (usually one weekday bit).
PackedWeekTime Tim_PackWeekTime(u32 dayMask, int hour, int minute, int second);
// Weekday 1..7 of the lowest bit of the mask byte, 0 when the byte is 0.
int Tim_PackedDay(PackedWeekTime t);
// Week seconds of a packed time (its first weekday), -1 when it has none.
i32 Tim_PackedToWeekSeconds(PackedWeekTime t);
// Any number of seconds, taken modulo the week, as a packed time.
PackedWeekTime Tim_WeekSecondsToPacked(i64 weekSeconds);

// (day - 1) x 86400 + hour x 3600 + minute x 60 + a + b, taken modulo the
// week, split into weekday 1..7, hour, minute and second (outs may be null).
// Returns those week seconds.
i32 Tim_SplitWeekSeconds(int day, int hour, int minute, int* outSecond, int* outMinute, int* outHour,
                         int* outDay, i32 a, i32 b);

// ---------------------------------------------------------------- schedules
// The layout's single-day mode (general section flag 8, the weekday is
// frozen): Tim_ScheduleNext then looks at the same weekday only.
void Tim_SetSingleDayMode(int on);

// 1 when the schedule holds exactly that time on the weekday of dayBit.
int Tim_ScheduleContains(const u8* schedule, u32 dayBit, int hour, int second, int minute);
// The next scheduled time at or after (inclusive) or after the given one,
// searching the following weekdays (in single-day mode the same weekday once
// more from 0:00:00); 0 when none, for an empty schedule or an invalid dayBit.
PackedWeekTime Tim_ScheduleNext(const u8* schedule, u32 dayBit, int hour, int inclusive, int second, int minute);
// Bytes up to and including the final 0; 0 for null.
i32 Tim_ScheduleLength(const u8* schedule);
// 0 equal, 1 equal except the first mask byte, 2 different.
int Tim_ScheduleCompare(const u8* a, const u8* b);

// Per-day buffers of the schedule editors: buffer d-1 holds weekday d's bit,
// that day's hour entries, 255 and 0. The size holds the largest well-formed
// day (24 hours, each with a range byte and 60 minutes of 60 seconds).
enum { TIM_DAY_SIZE = 1 + 24 * (1 + 1 + 60 * 61 + 1) + 1 + 1 };
// Largest merged schedule: seven different days and the final 0.
enum { TIM_SCHEDULE_MAX = 7 * (TIM_DAY_SIZE - 1) + 1 };
enum { TIM_OK = 0, TIM_MALFORMED = 1, TIM_TOO_LONG = 2 };
// Splits a schedule into the seven day buffers (a day without a group gets its
// bit, 255, 0). TIM_MALFORMED for a byte out of its range (mask, hour, range,
// minute, second) and TIM_TOO_LONG for a day that does not fit its buffer; on
// an error the buffers are left as they were.
int Tim_ScheduleExpand(const u8* schedule, u8 (*days)[TIM_DAY_SIZE]);
// The gate for schedules from outside (files, the clipboard): the length of
// the schedule at the start of size bytes, with its final 0, when it is whole
// and well-formed within them (every group fits a day buffer); -1 malformed
// or cut short, -2 a group too long. Every reader here walks a schedule by its
// end marks alone (0 is also an hour and a minute), so only a schedule that
// passed this check, or that the codec wrote, may be handed to them.
i32 Tim_ScheduleCheck(const u8* bytes, i32 size);
// Joins the seven day buffers into one schedule in out (outSize bytes): days
// with equal entries share one group, groups in day order. Each day buffer
// gets its own bit back. Returns the length with the final 0, -1 when a day
// buffer is malformed, -2 when out is too small (out is then unchanged).
i32 Tim_ScheduleMerge(u8 (*days)[TIM_DAY_SIZE], u8* out, i32 outSize);

// ---------------------------------------------------------------- boxes
// x in left..right and y in top..bottom, bounds included.
int Geo_InRect(int x, int y, int left, int bottom, int right, int top);
int Geo_InBox3(int x, int y, int level, int levelMax, int yMax, int xMax, int levelMin, int yMin, int xMin);

// ---------------------------------------------------------------- random numbers
// The program's own generator: n below 1 sets the seed to -n and returns -1;
// else seed = |seed x 73 + 1| (32-bit wrap) and the result is seed mod n,
// never negative.
i32 Rnd_OwnNext(i32 n);
// A random number 0..n-1; 0 for n below 1 (nothing else changes). Draws from
// the runtime generator while the layout's seed is -1, else from the own
// generator's formula on a sequence of its own that starts at the layout's
// seed, so that redraws (which reseed Rnd_OwnNext) do not disturb it.
i32 Rnd_Next(i32 n);
// A seed of 1 or more starts the layout's sequence there; anything else
// makes it -1 and seeds the runtime generator from the clock.
void Rnd_SetLayoutSeed(i32 seed);
i32 Rnd_GetLayoutSeed(void);

// ---------------------------------------------------------------- system
// This build runs on the NT family only and does not ask the system: class 10
// (a later NT), an empty service-pack text (room for 1 unit), result 10 << 16
// (version 10.0). Outs may be null.
u32 Sys_GetOsClass(int* osClass, wch* servicePack);

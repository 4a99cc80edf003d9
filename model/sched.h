// Weekly schedule codec: the WeekSchedule byte string of timetable points as
// 24 editable hour lines and back, its text report, and the texts of weekday
// masks, weekday names and week times that the rule texts and the dialogs
// share.
//
// WeekSchedule (platform/tim.h): groups of a WeekdayMask, hour entries and
// 255, ended by 0; an hour entry is the hour, an optional 0x80 | last hour of
// a range, the minutes ascending, each followed by 0x80 | second bytes for
// the times inside that minute, and 254. A minute byte alone means second 0;
// 0x80 (second 0) stands before further seconds only.
//
// Hour lines: RULE_HOUR_LINES lines of RULE_HOUR_LINE units each (line h at
// h x RULE_HOUR_LINE), zero-terminated or filling their slot.
//
// Errors are numbered message boxes (platform/msg.h); texts come from the
// language tables: day names 17001..17007 and 17021..17027, every day 17008
// and 17028.
#pragma once
#include "platform/tim.h"
#include "platform/types.h"

typedef u8 WeekdayMask;  // bit d-1 for weekday d; 127 every day

enum { RULE_HOUR_LINES = 24, RULE_HOUR_LINE = 400 };

// Results of the hour-line parser (each shown as its message first).
enum {
  RULE_SCHED_OK = 0,
  RULE_SCHED_MINUTE = 3,       // a minute above 59
  RULE_SCHED_ORDER = 4,        // times not ascending
  RULE_SCHED_REPEAT = 5,       // "*" or "#" with no line to copy
  RULE_SCHED_UNREADABLE = 6,   // an entry that is no time
  RULE_SCHED_SECOND = 11       // a second above 59
};

// Parses the 24 hour lines into one group of mask 127 ended by 255 and 0 in
// out (TIM_DAY_SIZE bytes). *hour (may be null) is the line being parsed, so
// a caller can show the bad one; *count (may be null) the bytes written with
// 255 and 0. "*" at a line's start copies the line before, "#" the line two
// before.
int Rule_ParseSchedule(const wch* lines, i32* hour, u8* out, i32* count);
// Parses the lines and copies the group into the buffer of every weekday of
// mask (each with its own bit); nothing for a mask without bits 1..127.
int Rule_LinesToSchedule(const wch* lines, u32 mask, u8 (*days)[TIM_DAY_SIZE]);
// The 24 hour lines of weekday d (1..7); returns the entries written. *mask
// (may be null) gets d's bit and the bits of every weekday with the same
// entries.
i32 Rule_ScheduleToLines(u8 (*days)[TIM_DAY_SIZE], int d, u32* mask, wch* lines);
// Writes a report of a whole schedule to the write stream; 0 or its code.
int Rule_PrintSchedule(const u8* schedule);

// The day names of the mask (17001..17007) with runs of three or more days
// as "first-last" and others joined by "+"; text 17008 for 127, empty for 0.
// 0 ok; 1 when it did not fit into capacity units (with the zero).
int Rule_WeekdayMaskText(u32 mask, wch* out, i32 capacity);

// Styles of Rule_FormatTimeOfDay.
enum {
  RULE_TIME_NO_SECONDS = 1,
  RULE_TIME_TWO_DIGIT_HOURS = 2,
  RULE_TIME_EVERY_DAY = 4,  // text 17028 as the prefix of mask 127
  RULE_TIME_DAYS_ONLY = 8   // the weekday prefix alone
};
// The week time as text: the weekday prefix (as the mask text, with the names
// 17021..17027) and the time separator, then the time. 0 ok; 1 when the
// prefix, the seconds and 6 more units do not fit into capacity.
int Rule_FormatTimeOfDay(PackedWeekTime t, wch* out, i32 capacity, int style);

// Characters of the weekday name at the start of text (it ends at "-", "+",
// ")", ",", a blank, the end, or the time separator; a digit without one).
i32 Rule_WeekdayNameLength(const wch* text);
// The weekday 1..7 whose name (17021..17027) text starts with, ignoring case;
// 0 with message 819 (when showError) for none.
int Rule_ReadWeekdayName(const wch* text, int showError);
// Names joined by "+" (single days) or "-" (a run, wrapping from weekday 7
// to 1): the WeekdayMask, with *consumed (may be null) the characters used;
// 0 after an error (message 875 for a second "-", when showError).
u32 Rule_ReadWeekdayList(const wch* text, i32* consumed, int showError);

// Reads a week time (WeekTimeText): an optional weekday list
// (Rule_ReadWeekdayList) and the time separator (platform/fmt.h), then hour,
// minute and, when withSeconds, second. The one reader of every time the
// user types, in the rule texts and in the dialogs. With minuteField given,
// text is the hour field and the fields are read as plain numbers (an
// unreadable second counts 0). Hour 24 is allowed only as 24:00:00 and
// becomes 0:00 of the next weekday.
// Results: 0 a time; -1 a weekday list without time (0:00:00); 1 an error in
// the hour or the whole text, 2 in the minute, 3 in the second (messages 341,
// 342, 343, 344, 345, 348, 356 when showErrors). *endIndex (may be null) is
// where the text goes on: the scan stops at the end, ",", "-", ":", the
// separator, the place flag letter (text 19000), "+" or ")". *out (may be
// null) gets mask << 24 | hour << 16 | minute << 8 | second.
int Dlg_ParseWeekTime(const wch* text, const wch* minuteField, const wch* secondField, int withSeconds, int showErrors,
                      i32* endIndex, u32* out);

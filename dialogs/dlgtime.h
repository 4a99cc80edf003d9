// The time separator: the one character between hours, minutes and seconds in
// every time text the program writes or reads (settings key ZeitTrenn), and
// the reader of week times (WeekTimeText) that every time field uses.
// A separator of 0 means none: times are then written and read as plain digits.
#pragma once
#include "platform/types.h"

enum { DLG_TIME_SEPARATOR_DEFAULT = u':' };

wch Dlg_GetTimeSeparator(void);
// 0 ok; 1 refused (a character that would make times unreadable: a control
// code or blank, a decimal digit, a surrogate or a code above 0xFFFF); a
// refused value changes nothing.
int Dlg_SetTimeSeparator(u32 code);

// Reads a week time (WeekTimeText): an optional weekday list (model/sched.h
// Rule_ReadWeekdayList) and the time separator, then hour, minute and, when
// withSeconds, second. With minuteField given, text is the hour field and the
// fields are read as plain numbers (an unreadable second counts 0). Hour 24
// is allowed only as 24:00:00 and becomes 0:00 of the next weekday.
// Results: 0 a time; -1 a weekday list without time (0:00:00); 1 an error in
// the hour or the whole text, 2 in the minute, 3 in the second (messages 341,
// 342, 343, 344, 345, 348, 356 when showErrors). *endIndex (may be null) is
// where the text goes on: the scan stops at the end, ",", "-", ":", the
// separator, the place flag letter (text 19000), "+" or ")". *out (may be
// null) gets mask << 24 | hour << 16 | minute << 8 | second.
int Dlg_ParseWeekTime(const wch* text, const wch* minuteField, const wch* secondField, int withSeconds, int showErrors,
                      i32* endIndex, u32* out);

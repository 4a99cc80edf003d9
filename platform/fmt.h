// Decimal fixed-point numbers and times of day as text.
//
// Fixed-point numbers are integers in hundredths (Fixed2) or thousandths
// (Fixed3) written with a decimal separator: the user locale's in what the
// user sees and types (Fmt_ParseFixed2, Fmt_Fixed2, ...), a fixed one given
// by the caller in file and clipboard texts (the ...Sep forms), so that such
// texts read back the same under any locale.
//
// Times of day are seconds joined by the time separator; with separator 0
// they are plain digits.
// General formatting is Fmt_Print (platform/print.h).
//
// Owns the TimeSeparator: the one character between hours, minutes and
// seconds in every time text the program writes or reads (settings key
// ZeitTrenn). It lives here, below every layer that writes or reads a time,
// though the dialogs edit it.
#pragma once
#include "platform/types.h"

// Room every writer here needs, with the zero.
enum { FMT_NUMBER_SIZE = 24 };

// First character of the user locale's decimal separator.
wch Fmt_DecimalSeparator(void);

// Reads the first 9 (Fixed2) or 19 (Fixed3) characters: an unsigned integer
// part, then after the separator the fraction digits (Fixed2: one digit
// counts tenths, two hundredths, more are ignored; Fixed3 likewise to three).
// A missing integer part or fraction counts 0; both missing, or a value that
// does not fit a positive i32, give -1.
i32 Fmt_ParseFixed2(const wch* text);
i32 Fmt_ParseFixed3(const wch* text);
i32 Fmt_ParseFixed2Sep(const wch* text, wch separator);
i32 Fmt_ParseFixed3Sep(const wch* text, wch separator);
// "%u%c%02u" of value / 100, separator, value % 100 (Fixed3: "%u%c%03u"
// with 1000) into buf of at least FMT_NUMBER_SIZE units; returns the length.
// A separator of 0 writes '.'.
int Fmt_Fixed2(wch* buf, u32 value);
int Fmt_Fixed3(wch* buf, u32 value);
int Fmt_Fixed2Sep(wch* buf, u32 value, wch separator);
int Fmt_Fixed3Sep(wch* buf, u32 value, wch separator);

enum { DLG_TIME_SEPARATOR_DEFAULT = u':' };

// The time separator; 0 means none: times are then written and read as plain
// digits.
wch Dlg_GetTimeSeparator(void);
// 0 ok; 1 refused (a character that would make times unreadable: a control
// code or blank, a decimal digit, a surrogate or a code above 0xFFFF); a
// refused value changes nothing.
int Dlg_SetTimeSeparator(u32 code);

// Seconds of the day as "h:mm" or "h:mm:ss" (seconds only when not 0), or
// "hhmm" / "hhmmss" without a separator; buf of FMT_NUMBER_SIZE units.
// Returns the length.
int Fmt_TimeOfDay(wch* buf, i32 seconds);

// Reads a time after leading characters 1..32; any out may be null, at least
// two should be given. With a separator: three numbers joined by it when all
// three outs are given, else two (hours and minutes, or minutes and seconds
// when hours are not asked for), else one number (minutes). Without one: a
// group of digits, up to 2 digits minutes, 3-4 hhmm (mmss without hours),
// 5 or more hhmmss. Numbers are unsigned decimal (blanks allowed before each
// one, as before any number); a value that does not fit an i32 reads as
// 2147483647. Missing parts are 0. Returns the characters consumed, 0 when
// no number could be read.
i32 Fmt_ParseTimeParts(const wch* text, i32* hours, i32* minutes, i32* seconds);
// (hours x 60 + minutes) x 60 + seconds of Fmt_ParseTimeParts with all three,
// 0 for a blank text, kept within 0..2147483647. consumed may be null.
i32 Fmt_ParseTime(const wch* text, i32* consumed);

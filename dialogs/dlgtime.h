// The time separator: the one character between hours, minutes and seconds in
// every time text the program writes or reads (settings key ZeitTrenn).
// 0 means no separator: times are then written and read as plain digits.
#pragma once
#include "platform/types.h"

enum { DLG_TIME_SEPARATOR_DEFAULT = u':' };

wch Dlg_GetTimeSeparator(void);
// 0 ok; 1 refused (a character that would make times unreadable: a control
// code or blank, a decimal digit, a surrogate or a code above 0xFFFF); a
// refused value changes nothing.
int Dlg_SetTimeSeparator(u32 code);

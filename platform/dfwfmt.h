// Dates and times in the user's locale for display, and the help context of
// the screen the user is in.
//
// Owns HelpTopicId. The pattern walkers are portable; the locale's pattern
// and time form come from the Os_ layer.
#pragma once
#include "platform/types.h"

enum { DFW_DATE_MAX = 51 };
// The date by a short-date pattern (upper-cased first): "DD" the day as
// %02u, "D" %u, "MM" and "M" the month likewise, any run of "Y" the full
// year; other characters are copied. At most DFW_DATE_MAX units and the zero
// (out holds DFW_DATE_MAX + 1).
void Dfw_FormatDatePattern(const wch* pattern, u32 day, u32 month, u32 year, wch* out);
// The same with the system's pattern.
void Dfw_FormatDateLocale(u32 day, u32 month, u32 year, wch* out);
struct OsTimeLocale;
// hour:minute:second by the given time form (12-hour: 0 is 12 with the
// morning text, 12..23 the afternoon text); out holds 64 units.
void Dfw_FormatTimeWith(const OsTimeLocale* t, u32 hour, u32 minute, u32 second, wch* out);
void Dfw_FormatTimeLocale(u32 hour, u32 minute, u32 second, wch* out);

u32 Dfw_GetHelpContext(void);
void Dfw_SetHelpContext(u32 id);

#include "dialogs/dlgtime.h"

#include "model/sched.h"
#include "platform/fmt.h"
#include "platform/lng.h"
#include "platform/msg.h"

static wch g_timeSeparator = DLG_TIME_SEPARATOR_DEFAULT;

wch Dlg_GetTimeSeparator(void) { return g_timeSeparator; }

int Dlg_SetTimeSeparator(u32 code) {
  if (code != 0) {
    if (code > 0xFFFF || code <= 32 || (code >= u'0' && code <= u'9') || (code >= 0xD800 && code <= 0xDFFF))
      return 1;
  }
  g_timeSeparator = wch(code);
  return 0;
}

enum : TextId {
  TXT_NOT_A_NUMBER = 8006,
  TXT_MINUTE_RANGE = 18011,
  TXT_HOUR_RANGE = 18012,
  TXT_HOUR_24 = 18013,
  TXT_NO_TIME = 18028,
  TXT_SECOND_RANGE = 18042,
  TXT_PLACE_FLAG = 19000
};

static int Dlg_TimeError(int show, u32 number, TextId text, int result) {
  if (show) Msg_ErrorId(number, text);
  return result;
}

static bool Dlg_IsDigit(wch c) { return c >= u'0' && c <= u'9'; }

// "%u": blanks, then digits; false when there are none.
static bool Dlg_ReadUnsigned(const wch* text, i32* value) {
  if (!text) return false;
  while (*text && *text <= 32) ++text;
  if (!Dlg_IsDigit(*text)) return false;
  i64 v = 0;
  while (Dlg_IsDigit(*text)) {
    if (v < 0x7FFFFFFF) v = v * 10 + (*text - u'0');
    ++text;
  }
  *value = v > 0x7FFFFFFF ? 0x7FFFFFFF : i32(v);
  return true;
}

// Steps 4 and 5 of both forms: the ranges, hour 24, the packed time.
static int Dlg_FinishWeekTime(u32 mask, i32 h, i32 m, i32 s, int show, u32* out) {
  if (h < 0 || h > 24) return Dlg_TimeError(show, 342, TXT_HOUR_RANGE, 1);
  if (m < 0 || m > 59) return Dlg_TimeError(show, 344, TXT_MINUTE_RANGE, 2);
  if (s < 0 || s > 59) return Dlg_TimeError(show, 348, TXT_SECOND_RANGE, 3);
  if (h == 24) {
    if (m || s) return Dlg_TimeError(show, 345, TXT_HOUR_24, 2);
    h = 0;
    // The next weekday: every bit one day on, weekday 7 to weekday 1.
    if (mask != 127) mask = ((mask << 1) | (mask >> 6)) & 127;
  }
  if (out) *out = mask << 24 | u32(h) << 16 | u32(m) << 8 | u32(s);
  return 0;
}

int Dlg_ParseWeekTime(const wch* text, const wch* minuteField, const wch* secondField, int withSeconds, int showErrors,
                      i32* endIndex, u32* out) {
  if (!text) text = u"";
  if (minuteField) {
    i32 h = 0, m = 0, s = 0;
    if (!Dlg_ReadUnsigned(text, &h)) return Dlg_TimeError(showErrors, 341, TXT_NOT_A_NUMBER, 1);
    if (!Dlg_ReadUnsigned(minuteField, &m)) return Dlg_TimeError(showErrors, 343, TXT_NOT_A_NUMBER, 2);
    if (secondField && withSeconds && !Dlg_ReadUnsigned(secondField, &s)) s = 0;
    return Dlg_FinishWeekTime(127, h, m, s, showErrors, out);
  }
  const wch sep = Dlg_GetTimeSeparator();
  i32 pos = 0;
  while (text[pos] && text[pos] <= 32) ++pos;
  u32 mask = 127;
  bool dayPart = false, timeFollows = true;
  // A blank text has no weekday part either: it is a missing time.
  if (text[pos] && !Dlg_IsDigit(text[pos])) {
    i32 used = 0;
    mask = Rule_ReadWeekdayList(text + pos, &used, showErrors);
    if (!mask) return 1;
    dayPart = true;
    pos += used;
    while (text[pos] && text[pos] <= 32) ++pos;
    if (sep && text[pos] == sep) ++pos;
    else if (sep || !Dlg_IsDigit(text[pos])) timeFollows = false;
  }
  i32 h = 0, m = 0, s = 0;
  int result = 0;
  if (timeFollows) {
    const i32 used = Fmt_ParseTimeParts(text + pos, &h, &m, withSeconds ? &s : nullptr);
    if (used == 0) {
      if (!dayPart) return Dlg_TimeError(showErrors, 356, TXT_NO_TIME, 1);
      result = -1;
    }
    pos += used;
  } else {
    result = -1;
  }
  const int r = Dlg_FinishWeekTime(mask, h, m, s, showErrors, out);
  if (r) return r;
  if (endIndex) {
    const wch flag = Lng_GetText(TXT_PLACE_FLAG)[0];
    while (text[pos] && text[pos] != u',' && text[pos] != u'-' && text[pos] != u':' && text[pos] != sep &&
           (!flag || text[pos] != flag) && text[pos] != u'+' && text[pos] != u')')
      ++pos;
    *endIndex = pos;
  }
  return result;
}

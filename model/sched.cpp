#include "model/sched.h"

#include "platform/fio.h"
#include "platform/fmt.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : TextId {
  TXT_DAY_NAME = 17000,   // + weekday: the names of mask texts
  TXT_EVERY_DAY = 17008,
  TXT_DAY_SHORT = 17020,  // + weekday: the names of week times, read and written
  TXT_EVERY_DAY_SHORT = 17028,
  TXT_SCHED_REPEAT = 21006,
  TXT_SCHED_MINUTE = 21007,
  TXT_SCHED_ORDER = 21008,
  TXT_SCHED_UNREADABLE = 21009,
  TXT_SCHED_SECOND = 21072,
  TXT_DAY_UNKNOWN = 21083,
  TXT_DAY_JOINER = 21084,
  TXT_SCHED_NO_TIMES = 21720
};

enum : u8 { SCHED_END_HOUR = 254, SCHED_END_GROUP = 255 };

// ---------------------------------------------------------------- text helper

// Appends s to out (length *len, capacity units with the zero); 1 and nothing
// appended when it does not fit.
static int Rule_Append(wch* out, i32* len, i32 capacity, const wch* s) {
  const i32 n = Str_Len(s);
  if (*len + n + 1 > capacity) return 1;
  Mem_CopyWide(out + *len, s, n);
  *len += n;
  out[*len] = 0;
  return 0;
}

// The mask text with the day names of the given base.
static int Rule_MaskText(u32 mask, wch* out, i32 capacity, TextId base) {
  i32 len = 0;
  if (capacity > 0) out[0] = 0;
  mask &= 127;
  int cut = 0;
  for (int d = 1; d <= 7; ++d) {
    if (!(mask & (1u << (d - 1)))) continue;
    const bool prev = d > 1 && (mask & (1u << (d - 2)));
    const bool next = d < 7 && (mask & (1u << d));
    if (!prev) {
      if (len) cut |= Rule_Append(out, &len, capacity, u"+");
      cut |= Rule_Append(out, &len, capacity, Lng_GetText(base + d));
    } else if (!next) {
      // The end of a run: two days are a list, three or more a range.
      const bool third = d > 2 && (mask & (1u << (d - 3)));
      cut |= Rule_Append(out, &len, capacity, third ? u"-" : u"+");
      cut |= Rule_Append(out, &len, capacity, Lng_GetText(base + d));
    }
  }
  return cut ? 1 : 0;
}

int Rule_WeekdayMaskText(u32 mask, wch* out, i32 capacity) {
  if ((mask & 127) == 127) {
    i32 len = 0;
    if (capacity > 0) out[0] = 0;
    return Rule_Append(out, &len, capacity, Lng_GetText(TXT_EVERY_DAY));
  }
  return Rule_MaskText(mask, out, capacity, TXT_DAY_NAME);
}

int Rule_FormatTimeOfDay(PackedWeekTime t, wch* out, i32 capacity, int style) {
  const u32 mask = (t >> 24) & 0x7F;
  const wch sep = Dlg_GetTimeSeparator();
  wch prefix[160];
  prefix[0] = 0;
  if (mask == 127) {
    if (style & RULE_TIME_EVERY_DAY) {
      i32 len = 0;
      Rule_Append(prefix, &len, 150, Lng_GetText(TXT_EVERY_DAY_SHORT));
    }
  } else if (mask) {
    Rule_MaskText(mask, prefix, 150, TXT_DAY_SHORT);
  }
  if (prefix[0] && !(style & RULE_TIME_DAYS_ONLY) && sep) {
    const i32 n = Str_Len(prefix);
    prefix[n] = sep;
    prefix[n + 1] = 0;
  }
  const u32 h = (t >> 16) & 0xFF, m = (t >> 8) & 0xFF, s = t & 0xFF;
  wch time[32] = {0}, secs[16] = {0};
  if (!(style & RULE_TIME_DAYS_ONLY)) {
    if (!sep) Fmt_Print(time, 32, u"%02u%02u", h, m);
    else if (style & RULE_TIME_TWO_DIGIT_HOURS) Fmt_Print(time, 32, u"%02u%c%02u", h, sep, m);
    else Fmt_Print(time, 32, u"%u%c%02u", h, sep, m);
    if (s && !(style & RULE_TIME_NO_SECONDS)) {
      if (sep) Fmt_Print(secs, 16, u"%c%02u", sep, s);
      else Fmt_Print(secs, 16, u"%02u", s);
    }
  }
  if (Str_Len(prefix) + Str_Len(secs) + 6 > capacity - 1) {
    if (capacity > 0) out[0] = 0;
    return 1;
  }
  Fmt_Print(out, capacity, u"%s%s%s", prefix, time, secs);
  return 0;
}

// ---------------------------------------------------------------- weekday names

i32 Rule_WeekdayNameLength(const wch* text) {
  const wch sep = Dlg_GetTimeSeparator();
  i32 n = 0;
  for (;; ++n) {
    const wch c = text[n];
    if (c == 0 || c <= 32 || c == u'-' || c == u'+' || c == u')' || c == u',') break;
    if (sep ? c == sep : (c >= u'0' && c <= u'9')) break;
  }
  return n;
}

static int Rule_MatchWeekdayName(const wch* text, i32 n) {
  wch name[10];
  const i32 k = n < 9 ? n : 9;
  Mem_CopyWide(name, text, k);
  name[k] = 0;
  if (k == 0) return 0;
  for (int d = 1; d <= 7; ++d) {
    wch day[10];
    const wch* t = Lng_GetText(TXT_DAY_SHORT + d);
    i32 m = Str_Len(t);
    if (m > 9) m = 9;
    Mem_CopyWide(day, t, m);
    day[m] = 0;
    if (Str_CompareEx(name, day, STR_CMP_NOCASE) == 0) return d;
  }
  return 0;
}

static void Rule_ShowBadDay(const wch* text, i32 n) {
  wch name[40], msg[160];
  const i32 k = n < 39 ? n : 39;
  Mem_CopyWide(name, text, k);
  name[k] = 0;
  Fmt_Print(msg, 160, u"%s: \"%s\"", Lng_GetText(TXT_DAY_UNKNOWN), name);
  Msg_ErrorText(819, msg);
}

int Rule_ReadWeekdayName(const wch* text, int showError) {
  const i32 n = Rule_WeekdayNameLength(text);
  const int d = Rule_MatchWeekdayName(text, n);
  if (!d && showError) Rule_ShowBadDay(text, n);
  return d;
}

u32 Rule_ReadWeekdayList(const wch* text, i32* consumed, int showError) {
  u32 mask = 0;
  i32 pos = 0;
  int runStart = 0;  // the day before a "-"
  for (;;) {
    const i32 n = Rule_WeekdayNameLength(text + pos);
    const int d = Rule_MatchWeekdayName(text + pos, n);
    if (!d) {
      if (showError) Rule_ShowBadDay(text + pos, n);
      return 0;
    }
    pos += n;
    if (runStart) {
      for (int k = runStart;; k = k == 7 ? 1 : k + 1) {
        mask |= 1u << (k - 1);
        if (k == d) break;
      }
      runStart = 0;
      if (text[pos] == u'-') {
        if (showError) Msg_ErrorId(875, TXT_DAY_JOINER);
        return 0;
      }
    } else {
      mask |= 1u << (d - 1);
      if (text[pos] == u'-') {
        runStart = d;
        ++pos;
        continue;
      }
    }
    if (text[pos] != u'+') break;
    ++pos;
  }
  if (consumed) *consumed = pos;
  return mask;
}

// ---------------------------------------------------------------- week times

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

// ---------------------------------------------------------------- hour lines

static const wch* Rule_Line(const wch* lines, int h) { return lines + h * RULE_HOUR_LINE; }

// One hour line without its slot's end: copied so that a line filling its
// slot still ends.
static void Rule_CopyLine(const wch* lines, int h, wch* buf) {
  const wch* src = Rule_Line(lines, h);
  i32 n = 0;
  while (n < RULE_HOUR_LINE && src[n]) {
    buf[n] = src[n];
    ++n;
  }
  buf[n] = 0;
}

static int Rule_ScheduleError(u32 number, TextId text, int result) {
  Msg_ErrorId(number, text);
  return result;
}

// Parses one line's entries into bytes (without the hour and 254); the
// number of bytes, or minus a parser result.
static i32 Rule_ParseHourEntries(const wch* line, int hour, u8* bytes) {
  i32 n = 0, pos = 0;
  int prevMinute = -1, prevSecond = 0;
  for (;;) {
    while (line[pos] && (line[pos] <= 32 || line[pos] == u',')) ++pos;
    if (!line[pos]) break;
    i32 minute = 0, second = 0;
    const i32 used = Fmt_ParseTimeParts(line + pos, nullptr, &minute, &second);
    if (used == 0) {
      wch msg[600];
      Fmt_Print(msg, 600, Lng_GetText(TXT_SCHED_UNREADABLE), line + pos, u32(hour));
      Msg_ErrorText(864, msg);
      return -RULE_SCHED_UNREADABLE;
    }
    pos += used;
    if (minute > 59) return -Rule_ScheduleError(862, TXT_SCHED_MINUTE, RULE_SCHED_MINUTE);
    if (second > 59) return -Rule_ScheduleError(780, TXT_SCHED_SECOND, RULE_SCHED_SECOND);
    if (minute < prevMinute || (minute == prevMinute && second <= prevSecond))
      return -Rule_ScheduleError(863, TXT_SCHED_ORDER, RULE_SCHED_ORDER);
    if (minute != prevMinute) {
      bytes[n++] = u8(minute);
      if (second) bytes[n++] = u8(0x80 | second);
    } else {
      if (prevSecond == 0) bytes[n++] = 0x80;
      bytes[n++] = u8(0x80 | second);
    }
    prevMinute = minute;
    prevSecond = second;
  }
  return n;
}

int Rule_ParseSchedule(const wch* lines, i32* hour, u8* out, i32* count) {
  i32 n = 0;
  out[n++] = 127;
  i32 lastHourAt = -1;  // where the hour byte of the last hour written stands
  i32 lastEntriesAt = 0;  // where its entries start
  i32 lastEntries = 0;    // their number
  int lastHour = -1;    // the last hour it covers
  wch buf[RULE_HOUR_LINE + 1];
  u8 bytes[RULE_HOUR_LINE * 2 + 4];
  for (int h = 0; h < RULE_HOUR_LINES; ++h) {
    if (hour) *hour = h;
    int src = h;
    for (;;) {
      const wch* p = Rule_Line(lines, src);
      i32 k = 0;
      while (k < RULE_HOUR_LINE && p[k] && p[k] <= 32) ++k;
      const wch c = k < RULE_HOUR_LINE ? p[k] : 0;
      if (c != u'*' && c != u'#') break;
      const int back = c == u'*' ? 1 : 2;
      if (src < back) return Rule_ScheduleError(861, TXT_SCHED_REPEAT, RULE_SCHED_REPEAT);
      src -= back;
    }
    Rule_CopyLine(lines, src, buf);
    const i32 len = Rule_ParseHourEntries(buf, h, bytes);
    if (len < 0) return int(-len);
    if (len == 0) continue;
    if (lastHour == h - 1 && lastEntries == len && Mem_Compare(out + lastEntriesAt, bytes, len) == 0) {
      // The same entries as the hour before: its range grows.
      if (out[lastHourAt] != lastHour) {
        out[lastHourAt + 1] = u8(0x80 | h);
      } else {
        Mem_Move(out + lastHourAt + 2, out + lastHourAt + 1, n - lastHourAt - 1);
        out[lastHourAt + 1] = u8(0x80 | h);
        ++n;
        ++lastEntriesAt;
      }
      lastHour = h;
      continue;
    }
    lastHourAt = n;
    out[n++] = u8(h);
    lastEntriesAt = n;
    Mem_Copy(out + n, bytes, len);
    n += len;
    out[n++] = SCHED_END_HOUR;
    lastEntries = len;
    lastHour = h;
  }
  out[n++] = SCHED_END_GROUP;
  out[n++] = 0;
  if (count) *count = n;
  return RULE_SCHED_OK;
}

int Rule_LinesToSchedule(const wch* lines, u32 mask, u8 (*days)[TIM_DAY_SIZE]) {
  if (!(mask & 127)) return RULE_SCHED_OK;
  static u8 group[TIM_DAY_SIZE];
  i32 count = 0;
  const int r = Rule_ParseSchedule(lines, nullptr, group, &count);
  if (r) return r;
  for (int d = 1; d <= 7; ++d) {
    if (!(mask & (1u << (d - 1)))) continue;
    Mem_Copy(days[d - 1], group, count);
    days[d - 1][0] = u8(1u << (d - 1));
  }
  return RULE_SCHED_OK;
}

// ---------------------------------------------------------------- walking a group

// One time of an hour entry: minute and second.
struct RuleSchedTime {
  int minute, second;
};

// Reads the entries of one hour from p (after the hour and range bytes) up to
// 254, at most max bytes; calls fn for each time. The bytes used with the
// 254, or -1 for a malformed entry.
template <typename Fn>
static i32 Rule_WalkEntries(const u8* p, i32 max, Fn fn) {
  i32 i = 0;
  while (i < max) {
    const u8 b = p[i++];
    if (b == SCHED_END_HOUR) return i;
    if (b > 59) return -1;
    if (i < max && p[i] >= 0x80 && p[i] < 0x80 + 60) {
      while (i < max && p[i] >= 0x80 && p[i] < 0x80 + 60) fn(RuleSchedTime{b, p[i++] & 0x7F}, true);
    } else {
      fn(RuleSchedTime{b, 0}, false);
    }
  }
  return -1;
}

// The hour groups of the first group of a schedule: calls fn(from, to, entries,
// max) for each. The bytes of the group, or -1 when malformed.
template <typename Fn>
static i32 Rule_WalkHours(const u8* g, i32 max, Fn fn) {
  i32 i = 1;  // after the mask
  while (i < max) {
    const u8 h = g[i++];
    if (h == SCHED_END_GROUP) return i;
    if (h > 23 || i >= max) return -1;
    int last = h;
    if (g[i] >= 0x80 && g[i] < 0x80 + 24) last = g[i++] & 0x7F;
    if (last < h) return -1;
    const i32 used = Rule_WalkEntries(g + i, max - i, [](RuleSchedTime, bool) {});
    if (used < 0) return -1;
    fn(int(h), last, g + i, used);
    i += used;
  }
  return -1;
}

i32 Rule_ScheduleToLines(u8 (*days)[TIM_DAY_SIZE], int d, u32* mask, wch* lines) {
  for (int h = 0; h < RULE_HOUR_LINES; ++h) lines[h * RULE_HOUR_LINE] = 0;
  if (d < 1 || d > 7) return 0;
  const wch sep = Dlg_GetTimeSeparator();
  i32 entries = 0;
  const u8* g = days[d - 1];
  Rule_WalkHours(g, TIM_DAY_SIZE, [&](int from, int to, const u8* e, i32 n) {
    for (int h = from; h <= to; ++h) {
      wch* line = lines + h * RULE_HOUR_LINE;
      i32 len = 0;
      Rule_WalkEntries(e, n, [&](RuleSchedTime t, bool timed) {
        wch piece[24];
        i32 k;
        if (!timed) k = Fmt_Print(piece, 24, u"%u,", u32(t.minute));
        else if (sep) k = Fmt_Print(piece, 24, u"%u%c%02u,", u32(t.minute), sep, u32(t.second));
        else k = Fmt_Print(piece, 24, u"%02u%02u,", u32(t.minute), u32(t.second));
        if (len + k > (timed ? 393 : 396)) return;
        Mem_CopyWide(line + len, piece, k);
        len += k;
        ++entries;
      });
      if (len > 0) --len;  // the last ","
      line[len] = 0;
    }
  });
  if (mask) {
    u32 m = 1u << (d - 1);
    for (int k = 1; k <= 7; ++k)
      if (k != d && Tim_ScheduleCompare(days[k - 1], g) < 2) m |= 1u << (k - 1);
    *mask = m;
  }
  return entries;
}

int Rule_PrintSchedule(const u8* schedule) {
  int r = 0;
  i32 i = 0;
  // A schedule that does not end well is reported up to its damage.
  const i32 max = TIM_SCHEDULE_MAX;
  while (i < max && schedule[i] && !r) {
    wch text[200];
    Rule_WeekdayMaskText(schedule[i], text, 200);
    if ((r = Fio_WriteString(text)) || (r = Fio_WriteCrLf())) return r;
    if (schedule[i + 1] == SCHED_END_GROUP) {
      if ((r = Fio_WriteString(Lng_GetText(TXT_SCHED_NO_TIMES))) || (r = Fio_WriteCrLf())) return r;
    }
    const i32 used = Rule_WalkHours(schedule + i, max - i, [&](int from, int to, const u8* e, i32 n) {
      if (r) return;
      wch head[24];
      if (to != from) Fmt_Print(head, 24, u"%2u-%2u: ", u32(from), u32(to));
      else Fmt_Print(head, 24, u"   %2u: ", u32(from));
      r = Fio_WriteString(head);
      bool first = true;
      Rule_WalkEntries(e, n, [&](RuleSchedTime t, bool timed) {
        if (r) return;
        wch piece[24];
        if (timed) Fmt_Print(piece, 24, u"%s%02u:%02u", first ? u"" : u",", u32(t.minute), u32(t.second));
        else Fmt_Print(piece, 24, u"%s%02u", first ? u"" : u",", u32(t.minute));
        first = false;
        r = Fio_WriteString(piece);
      });
      if (!r) r = Fio_WriteCrLf();
    });
    if (r) return r;
    if (used < 0) break;
    i += used;
  }
  return r;
}

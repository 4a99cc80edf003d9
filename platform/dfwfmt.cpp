#include "platform/dfwfmt.h"

#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"

static u32 g_helpTopic;

u32 Dfw_GetHelpContext(void) { return g_helpTopic; }
void Dfw_SetHelpContext(u32 id) { g_helpTopic = id; }

void Dfw_FormatDatePattern(const wch* pattern, u32 day, u32 month, u32 year, wch* out) {
  wch p[DFW_DATE_MAX];
  i32 n = 0;
  for (; pattern[n] && n < DFW_DATE_MAX - 1; ++n) p[n] = pattern[n];
  p[n] = 0;
  Str_Upper(p);
  i32 o = 0;
  const i32 room = DFW_DATE_MAX + 1;
  for (i32 i = 0; p[i] && o < DFW_DATE_MAX;) {
    const wch c = p[i];
    if (c == u'D' || c == u'M') {
      const u32 v = c == u'D' ? day : month;
      const int two = p[i + 1] == c;
      o += Fmt_Print(out + o, room - o, two ? u"%02u" : u"%u", v);
      i += two ? 2 : 1;
    } else if (c == u'Y') {
      while (p[i] == u'Y') ++i;
      o += Fmt_Print(out + o, room - o, u"%u", year);
    } else {
      out[o++] = c;
      ++i;
    }
  }
  if (o > DFW_DATE_MAX) o = DFW_DATE_MAX;
  out[o] = 0;
}

void Dfw_FormatDateLocale(u32 day, u32 month, u32 year, wch* out) {
  wch pattern[DFW_DATE_MAX];
  Os_GetShortDatePattern(pattern, DFW_DATE_MAX);
  Dfw_FormatDatePattern(pattern, day, month, year, out);
}

void Dfw_FormatTimeWith(const OsTimeLocale* t, u32 hour, u32 minute, u32 second, wch* out) {
  u32 h = hour;
  if (!t->hour24) {
    if (h == 0) h = 12;
    else if (h > 12) h -= 12;
  }
  const int n = Fmt_Print(out, 64, t->leadingZero ? u"%02u%s%02u%s%02u" : u"%u%s%02u%s%02u", h, t->separator, minute,
                          t->separator, second);
  if (!t->hour24) Fmt_Print(out + n, 64 - n, u"%s", hour < 12 ? t->am : t->pm);
}

void Dfw_FormatTimeLocale(u32 hour, u32 minute, u32 second, wch* out) {
  OsTimeLocale t;
  Os_GetTimeLocale(&t);
  Dfw_FormatTimeWith(&t, hour, minute, second, out);
}

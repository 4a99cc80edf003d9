#include "platform/fmt.h"

#include "platform/os.h"
#include "platform/print.h"

static const i64 kFmtI32Max = 2147483647;

wch Fmt_DecimalSeparator(void) { return Os_GetLocaleDecimalSeparator(); }

static inline int Fmt_IsSpace(wch c) { return c == u' ' || (c >= 9 && c <= 13); }
static inline int Fmt_IsDigit(wch c) { return c >= u'0' && c <= u'9'; }

// An unsigned number as "%u" reads it: blanks, an optional '+', digits.
// Returns the index after it, or -1 (and *value untouched) when there is none.
// The value saturates at kFmtI32Max.
static i32 Fmt_ReadUnsigned(const wch* s, i32 pos, i64* value) {
  while (Fmt_IsSpace(s[pos])) ++pos;
  if (s[pos] == u'+') ++pos;
  if (!Fmt_IsDigit(s[pos])) return -1;
  i64 v = 0;
  while (Fmt_IsDigit(s[pos])) {
    v = v * 10 + (s[pos++] - u'0');
    if (v > kFmtI32Max) v = kFmtI32Max + 1;  // stays above the limit, never overflows
  }
  *value = v;
  return pos;
}

// ---------------------------------------------------------------- fixed point

static i32 Fmt_ParseFixed(const wch* text, wch separator, int textMax, int fracDigits) {
  // Only the first textMax characters count.
  wch s[20];
  int n = 0;
  while (n < textMax && text[n]) {
    s[n] = text[n];
    ++n;
  }
  s[n] = 0;
  if (separator == 0) separator = u'.';

  i64 whole = 0;
  int haveWhole = 0;
  i32 pos = Fmt_ReadUnsigned(s, 0, &whole);
  if (pos >= 0) {
    haveWhole = 1;
  } else {
    pos = 0;
    while (Fmt_IsSpace(s[pos])) ++pos;
  }
  i64 frac = 0;
  int haveFrac = 0;
  if (s[pos] == separator) {
    ++pos;
    int digits = 0;
    while (Fmt_IsDigit(s[pos])) {
      if (digits < fracDigits) frac = frac * 10 + (s[pos] - u'0');
      ++digits;
      ++pos;
    }
    if (digits > 0) {
      haveFrac = 1;
      for (int d = digits; d < fracDigits; ++d) frac *= 10;
    }
  }
  if (!haveWhole && !haveFrac) return -1;
  i64 scale = fracDigits == 2 ? 100 : 1000;
  if (whole > kFmtI32Max / scale) return -1;
  i64 v = whole * scale + frac;
  return v > kFmtI32Max ? -1 : i32(v);
}

i32 Fmt_ParseFixed2Sep(const wch* text, wch separator) { return Fmt_ParseFixed(text, separator, 9, 2); }
i32 Fmt_ParseFixed3Sep(const wch* text, wch separator) { return Fmt_ParseFixed(text, separator, 19, 3); }
i32 Fmt_ParseFixed2(const wch* text) { return Fmt_ParseFixed2Sep(text, Fmt_DecimalSeparator()); }
i32 Fmt_ParseFixed3(const wch* text) { return Fmt_ParseFixed3Sep(text, Fmt_DecimalSeparator()); }

int Fmt_Fixed2Sep(wch* buf, u32 value, wch separator) {
  return Fmt_Print(buf, FMT_NUMBER_SIZE, u"%u%c%02u", value / 100, separator ? separator : u'.', value % 100);
}

int Fmt_Fixed3Sep(wch* buf, u32 value, wch separator) {
  return Fmt_Print(buf, FMT_NUMBER_SIZE, u"%u%c%03u", value / 1000, separator ? separator : u'.', value % 1000);
}

int Fmt_Fixed2(wch* buf, u32 value) { return Fmt_Fixed2Sep(buf, value, Fmt_DecimalSeparator()); }
int Fmt_Fixed3(wch* buf, u32 value) { return Fmt_Fixed3Sep(buf, value, Fmt_DecimalSeparator()); }

// ---------------------------------------------------------------- times

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

int Fmt_TimeOfDay(wch* buf, i32 seconds) {
  i32 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
  wch sep = Dlg_GetTimeSeparator();
  if (sep) {
    if (s == 0) return Fmt_Print(buf, FMT_NUMBER_SIZE, u"%i%c%02i", h, sep, m);
    return Fmt_Print(buf, FMT_NUMBER_SIZE, u"%i%c%02i%c%02i", h, sep, m, sep, s);
  }
  if (s == 0) return Fmt_Print(buf, FMT_NUMBER_SIZE, u"%02i%02i", h, m);
  return Fmt_Print(buf, FMT_NUMBER_SIZE, u"%02i%02i%02i", h, m, s);
}

static inline i32 Fmt_Clamp(i64 v) { return v > kFmtI32Max ? i32(kFmtI32Max) : i32(v); }

i32 Fmt_ParseTimeParts(const wch* text, i32* hours, i32* minutes, i32* seconds) {
  i32 h = 0, m = 0, s = 0;
  i32 pos = 0;
  while (text[pos] >= 1 && text[pos] <= 32) ++pos;
  i32 used = 0;
  wch sep = Dlg_GetTimeSeparator();
  if (sep) {
    // Up to three numbers joined by the separator; the end after each.
    i64 v[3] = {0, 0, 0};
    i32 end[3] = {0, 0, 0};
    int count = 0;
    i32 p = pos;
    int wanted = (hours && minutes && seconds) ? 3 : 2;
    while (count < wanted) {
      if (count > 0) {
        if (text[p] != sep) break;
        ++p;
      }
      i32 q = Fmt_ReadUnsigned(text, p, &v[count]);
      if (q < 0) break;
      end[count++] = p = q;
    }
    if (count == 3) {
      h = Fmt_Clamp(v[0]), m = Fmt_Clamp(v[1]), s = Fmt_Clamp(v[2]);
    } else if (count == 2) {
      if (hours)
        h = Fmt_Clamp(v[0]), m = Fmt_Clamp(v[1]);
      else
        m = Fmt_Clamp(v[0]), s = Fmt_Clamp(v[1]);
    } else if (count == 1) {
      m = Fmt_Clamp(v[0]);
    }
    if (count > 0) used = end[count - 1];
  } else {
    i32 p = pos;
    int digits = 0;
    u64 v = 0;
    while (Fmt_IsDigit(text[p])) {
      if (v < 1000000000000000ull) v = v * 10 + u64(text[p] - u'0');  // saturates far above any use
      ++digits;
      ++p;
    }
    if (digits > 0) {
      used = p;
      if (digits <= 2) {
        m = Fmt_Clamp(i64(v));
      } else if (digits <= 4) {
        if (hours)
          h = Fmt_Clamp(i64(v / 100)), m = Fmt_Clamp(i64(v % 100));
        else
          m = Fmt_Clamp(i64(v / 100)), s = Fmt_Clamp(i64(v % 100));
      } else {
        h = Fmt_Clamp(i64(v / 10000)), m = Fmt_Clamp(i64(v / 100 % 100)), s = Fmt_Clamp(i64(v % 100));
      }
    }
  }
  if (hours) *hours = h;
  if (minutes) *minutes = m;
  if (seconds) *seconds = s;
  return used;
}

i32 Fmt_ParseTime(const wch* text, i32* consumed) {
  i32 h, m, s;
  i32 used = Fmt_ParseTimeParts(text, &h, &m, &s);
  if (consumed) *consumed = used;
  i64 t = (i64(h) * 60 + m) * 60 + s;
  if (t < 0) return 0;
  return Fmt_Clamp(t);
}

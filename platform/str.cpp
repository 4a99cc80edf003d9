#include "platform/str.h"

#include <string.h>

#include "platform/lng.h"
#include "platform/msg.h"

// ---------------------------------------------------------------- case
// Unicode simple case pairs of the scripts the language files are written in.
// Kept as code rather than a table so that both directions stay in step.

wch Chr_Upper(wch c) {
  u32 u = c;
  if (u < 0x80) return (u >= u'a' && u <= u'z') ? wch(u - 32) : c;
  if (u < 0x100) {
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return wch(u - 32);
    if (u == 0xFF) return wch(0x178);
    return c;
  }
  if (u < 0x180) {
    if (u == 0x131) return u'I';
    if (u == 0x17F) return u'S';
    if ((u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
      return (u & 1) ? wch(u - 1) : c;
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u & 1) ? c : wch(u - 1);
    return c;
  }
  if (u >= 0x3AC && u <= 0x3CE) {
    if (u == 0x3AC) return wch(0x386);
    if (u <= 0x3AF) return wch(u - 37);
    if (u == 0x3C2) return wch(0x3A3);
    if (u >= 0x3B1 && u <= 0x3CB) return wch(u - 32);
    if (u == 0x3CC) return wch(0x38C);
    if (u >= 0x3CD) return wch(u - 63);
    return c;
  }
  if (u >= 0x430 && u <= 0x52F) {
    if (u <= 0x44F) return wch(u - 32);
    if (u <= 0x45F) return wch(u - 80);
    if ((u >= 0x460 && u <= 0x481) || (u >= 0x48A && u <= 0x4BF) || (u >= 0x4D0 && u <= 0x52F))
      return (u & 1) ? wch(u - 1) : c;
    if (u >= 0x4C1 && u <= 0x4CE) return (u & 1) ? c : wch(u - 1);
    if (u == 0x4CF) return wch(0x4C0);
    return c;
  }
  if (u >= 0xFF41 && u <= 0xFF5A) return wch(u - 32);
  return c;
}

wch Chr_Lower(wch c) {
  u32 u = c;
  if (u < 0x80) return (u >= u'A' && u <= u'Z') ? wch(u + 32) : c;
  if (u < 0x100) return (u >= 0xC0 && u <= 0xDE && u != 0xD7) ? wch(u + 32) : c;
  if (u < 0x180) {
    if (u == 0x130) return u'i';
    if (u == 0x178) return wch(0xFF);
    if ((u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
      return (u & 1) ? c : wch(u + 1);
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u & 1) ? wch(u + 1) : c;
    return c;
  }
  if (u >= 0x386 && u <= 0x3AB) {
    if (u == 0x386) return wch(0x3AC);
    if (u >= 0x388 && u <= 0x38A) return wch(u + 37);
    if (u == 0x38C) return wch(0x3CC);
    if (u == 0x38E || u == 0x38F) return wch(u + 63);
    if ((u >= 0x391 && u <= 0x3A1) || (u >= 0x3A3 && u <= 0x3AB)) return wch(u + 32);
    return c;
  }
  if (u >= 0x400 && u <= 0x52F) {
    if (u <= 0x40F) return wch(u + 80);
    if (u <= 0x42F) return wch(u + 32);
    if ((u >= 0x460 && u <= 0x481) || (u >= 0x48A && u <= 0x4BF) || (u >= 0x4D0 && u <= 0x52F))
      return (u & 1) ? c : wch(u + 1);
    if (u == 0x4C0) return wch(0x4CF);
    if (u >= 0x4C1 && u <= 0x4CE) return (u & 1) ? wch(u + 1) : c;
    return c;
  }
  if (u >= 0xFF21 && u <= 0xFF3A) return wch(u + 32);
  return c;
}

int Chr_IsUpper(wch c) { return Chr_Lower(c) != c; }

// Lower-case letters that have no single upper-case partner count as well.
int Chr_IsLower(wch c) { return Chr_Upper(c) != c || c == 0xDF || c == 0x138 || c == 0x149; }

void Str_UpperA(char* s) {
  for (; *s; ++s)
    if (*s >= 'a' && *s <= 'z') *s = char(*s - 32);
}

void Str_Upper(wch* s) {
  for (; *s; ++s) *s = Chr_Upper(*s);
}

void Str_SwapBytes(wch* s) {
  for (; *s; ++s) *s = wch(((*s & 0xFF) << 8) | (*s >> 8));
}

// ---------------------------------------------------------------- plain helpers

void* Mem_Copy(void* dst, const void* src, i32 n) {
  if (n > 0) memcpy(dst, src, size_t(n));
  return dst;
}

void* Mem_Move(void* dst, const void* src, i32 n) {
  if (n > 0) memmove(dst, src, size_t(n));
  return dst;
}

void* Mem_Fill(void* dst, int value, i32 n) {
  if (n > 0) memset(dst, value, size_t(n));
  return dst;
}

wch* Mem_CopyWide(wch* dst, const wch* src, i32 n) {
  if (n > 0) memcpy(dst, src, size_t(n) * sizeof(wch));
  return dst;
}

wch* Mem_MoveWide(wch* dst, const wch* src, i32 n) {
  if (n > 0) memmove(dst, src, size_t(n) * sizeof(wch));
  return dst;
}

wch* Str_Fill(wch* dst, wch c, i32 n) {
  for (i32 i = 0; i < n; ++i) dst[i] = c;
  return dst;
}

u32* Mem_FillU32(u32* dst, u32 value, i32 n) {
  for (i32 i = 0; i < n; ++i) dst[i] = value;
  return dst;
}

int Mem_Compare(const void* a, const void* b, i32 n) {
  if (n < 1) return 0;
  return memcmp(a, b, size_t(n));
}

char* Str_CopyA(char* dst, const char* src) { return strcpy(dst, src); }

wch* Str_Copy(wch* dst, const wch* src) {
  wch* d = dst;
  while ((*d++ = *src++) != 0) {
  }
  return dst;
}

wch* Str_Append(wch* dst, const wch* src) {
  Str_Copy(dst + Str_Len(dst), src);
  return dst;
}

wch* Str_FindChar(const wch* s, wch c) {
  for (;; ++s) {
    if (*s == c) return const_cast<wch*>(s);
    if (*s == 0) return nullptr;
  }
}

i32 Str_Len(const wch* s) {
  const wch* p = s;
  while (*p) ++p;
  return i32(p - s);
}

// ---------------------------------------------------------------- blanks and lines

static inline int Str_IsBlankChar(wch c) { return c >= 1 && c <= 32; }

i32 Str_CountLeadingBlanks(const wch* s) {
  i32 n = 0;
  while (Str_IsBlankChar(s[n])) ++n;
  return n;
}

i32 Str_CountLeadingSpacesA(const char* s) {
  i32 n = 0;
  while (s[n] == ' ') ++n;
  return n;
}

i32 Str_TrimLeft(wch* s) {
  i32 n = Str_CountLeadingBlanks(s);
  if (n > 0) Mem_MoveWide(s, s + n, Str_Len(s + n) + 1);
  return n;
}

i32 Str_TrimLeftA(char* s) {
  i32 n = Str_CountLeadingSpacesA(s);
  if (n > 0) memmove(s, s + n, strlen(s + n) + 1);
  return n;
}

i32 Str_RemoveBlanks(wch* s) {
  wch* out = s;
  const wch* in = s;
  while (*in) {
    if (*in == u' ') {
      while (Str_IsBlankChar(*in)) ++in;
    } else {
      *out++ = *in++;
    }
  }
  *out = 0;
  return i32(in - out);
}

int Str_IsBlank(const wch* s) {
  for (; *s; ++s)
    if (*s > 32) return 0;
  return 1;
}

i32 Str_CountLines(const wch* s) {
  if (!s) return 0;
  i32 n = 1;
  for (; *s; ++s)
    if (*s == 13) ++n;
  return n;
}

i32 Str_CountLinesA(const char* s) {
  if (!s) return 0;
  i32 n = 1;
  for (; *s; ++s)
    if (*s == 13) ++n;
  return n;
}

// ---------------------------------------------------------------- compare and search

static inline int Str_Sign(int d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

int Str_CompareNoCaseA(const char* a, const char* b) {
  a += Str_CountLeadingSpacesA(a);
  b += Str_CountLeadingSpacesA(b);
  for (;; ++a, ++b) {
    int ca = (unsigned char)*a, cb = (unsigned char)*b;
    if (ca >= 'A' && ca <= 'Z') ca += 32;
    if (cb >= 'A' && cb <= 'Z') cb += 32;
    if (ca != cb || ca == 0) return Str_Sign(ca - cb);
  }
}

int Str_CompareOs(const wch* a, const wch* b, int ignoreCase) {
  for (;; ++a, ++b) {
    int ca = ignoreCase ? Chr_Lower(*a) : *a;
    int cb = ignoreCase ? Chr_Lower(*b) : *b;
    if (ca != cb || ca == 0) return Str_Sign(ca - cb);
  }
}

int Str_CompareEx(const wch* a, const wch* b, int flags) {
  if (flags & STR_CMP_SKIPBLANK) {
    a += Str_CountLeadingBlanks(a);
    b += Str_CountLeadingBlanks(b);
  }
  if (!(flags & STR_CMP_FOLD)) return Str_CompareOs(a, b, flags & STR_CMP_NOCASE);
  int upper = flags & STR_CMP_NOCASE;
  for (;; ++a, ++b) {
    if (*a == 0 || *b == 0) return Str_Sign(int(*a != 0) - int(*b != 0));
    int ca = Lng_FoldLetter(*a, upper);
    int cb = Lng_FoldLetter(*b, upper);
    if (ca != cb) return Str_Sign(ca - cb);
  }
}

// One character of the text or pattern as the search compares it.
static inline wch Str_FindKey(wch c, int flags) {
  if (flags & STR_FIND_FOLD) return Lng_FoldLetter(c, flags & STR_FIND_NOCASE);
  if (flags & STR_FIND_NOCASE) return Chr_Upper(c);
  return c;
}

i32 Str_FindEx(const wch* text, const wch* pattern, i32 textLength, int flags, i32 patternLength) {
  if (patternLength < 1 || textLength < patternLength) return -1;
  if ((flags & STR_FIND_FOLD) && patternLength > STR_FIND_FOLD_MAX) {
    Msg_Trace(u"MISC.StrStr2().Bufsize error");
    return -1;
  }
  // The pattern is brought into its compared form once (a long pattern that
  // only ignores case is keyed character by character instead).
  wch keyed[STR_FIND_FOLD_MAX];
  int prepared = 0;
  if ((flags & (STR_FIND_FOLD | STR_FIND_NOCASE)) && patternLength <= STR_FIND_FOLD_MAX) {
    for (i32 i = 0; i < patternLength; ++i) keyed[i] = Str_FindKey(pattern[i], flags);
    prepared = 1;
  }
  const i32 last = textLength - patternLength;
  i32 pos = 0;
  while (pos <= last) {
    if (flags & STR_FIND_WORDS) {
      while (pos < textLength && Str_IsBlankChar(text[pos])) ++pos;
      if (pos > last) break;
    }
    i32 i = 0;
    for (; i < patternLength; ++i) {
      wch p = prepared ? keyed[i] : Str_FindKey(pattern[i], flags);
      if (Str_FindKey(text[pos + i], flags) != p) break;
    }
    if (i == patternLength) {
      if (!(flags & STR_FIND_WORDS)) return pos;
      i32 end = pos + patternLength;
      if (end == textLength || text[end] < 33) return pos;
    }
    if (flags & STR_FIND_WORDS) {
      // On to the next word; a zero unit inside the text counts as one.
      i32 start = pos;
      while (pos < textLength && text[pos] >= 33) ++pos;
      if (pos == start) ++pos;
    } else {
      ++pos;
    }
  }
  return -1;
}

// ---------------------------------------------------------------- tokens

int Str_IsNameChar(wch c) {
  if (c < 45) return 0;
  switch (c) {
    case u'<': case u'>': case u'[': case u']': case u'{': case u'}': case u':': case u';':
    case u'=': case u'?': case u'@': case u'\\': case u'^': case u'|': case u'~': case 127:
    case u'`': case 0x2039: case 0x203A: case 0xFEFF: case 0xFFFE: case 0xFFFF: case 0x2028:
    case 0x2029:
      return 0;
    default:
      break;
  }
  if (c >= 0x2018 && c <= 0x201F) return 0;
  return 1;
}

static inline int Str_EndsToken(wch c) {
  return c < 33 || c == u',' || c == u'+' || c == u'&' || c == u'|' || c == u'!' || c == u'(' || c == u')';
}

int Str_ParseToken(const wch* src, wch* dst, i32* consumed, wch* stopChar, i32 maxLength) {
  i32 pos = 0;
  while (src[pos] && src[pos] != u'*' && src[pos] != u'"' && !Str_IsNameChar(src[pos])) ++pos;
  i32 len = 0;
  int result = STR_TOKEN_OK;
  if (src[pos] == u'"') {
    ++pos;
    for (;;) {
      wch c = src[pos];
      if (c == u'"') break;
      if (c < 32) {
        result = STR_TOKEN_NO_QUOTE;
        break;
      }
      if (len >= maxLength) {
        result = STR_TOKEN_TOO_LONG;
        break;
      }
      dst[len++] = c;
      ++pos;
    }
    if (result == STR_TOKEN_OK && len == 0) result = STR_TOKEN_EMPTY;
  } else {
    int star = 0;
    for (;;) {
      wch c = src[pos];
      if (Str_EndsToken(c)) break;
      if (c == u'*') {
        star = 1;
      } else if (!Str_IsNameChar(c)) {
        result = STR_TOKEN_BAD_CHAR;
        break;
      }
      if (len >= maxLength) {
        result = STR_TOKEN_TOO_LONG;
        break;
      }
      dst[len++] = c;
      ++pos;
    }
    if (result == STR_TOKEN_OK) {
      if (len == 0) {
        result = STR_TOKEN_EMPTY;
      } else if (star) {
        if (len == 1) {
          result = STR_TOKEN_STAR;
        } else {
          result = STR_TOKEN_BAD_CHAR;
          // Report the star itself; the token stays as read.
          if (stopChar) *stopChar = u'*';
          dst[len] = 0;
          if (consumed) *consumed = pos;
          return result;
        }
      }
    }
  }
  dst[len] = 0;
  if (consumed) *consumed = pos;
  if (stopChar) *stopChar = src[pos];
  return result;
}

// ---------------------------------------------------------------- control-code escapes

enum { STR_ESC_LETTERS = 8, STR_ESC_HEX = 9, STR_ESC_TABLE = 10 };
// The control codes of letters 1..8 of the table.
static const wch kStrEscCodes[STR_ESC_LETTERS] = {31, 30, 28, 29, 24, 25, 26, 27};

// The table in force: the language text when it is whole and usable, else the
// built-in one. Each letter must be printable and distinct from the others
// ignoring case, or an escaped text would not read back as it was.
static const wch* Str_EscapeTable(void) {
  if (Lng_GetTextLength(STR_ESCAPE_TEXT) >= STR_ESC_TABLE + 1) {
    const wch* t = Lng_GetText(STR_ESCAPE_TEXT);
    int ok = 1;
    for (int i = 0; i < STR_ESC_TABLE && ok; ++i) {
      if (t[i] <= 32 || t[i] == 127) ok = 0;
      for (int j = 0; j < i && ok; ++j)
        if (Chr_Upper(t[i]) == Chr_Upper(t[j])) ok = 0;
    }
    if (ok) return t;
  }
  return STR_ESCAPE_DEFAULT;
}

wch Str_EscapeChar(void) { return Str_EscapeTable()[0]; }

// Units the escaped form of c takes.
static inline i32 Str_EscapedWidth(wch c, wch esc) {
  if (c == esc) return 2;
  if (c >= 32 || c == 13 || c == 10) return 1;
  for (int i = 0; i < STR_ESC_LETTERS; ++i)
    if (kStrEscCodes[i] == c) return 2;
  return 6;  // escape, hex letter, four digits
}

int Str_EscapeControls(wch* buf, i32 size) {
  if (size < 1) return 1;
  const wch* table = Str_EscapeTable();
  wch esc = table[0];
  // How much of the text fits once escaped.
  i32 in = 0, out = 0;
  int cut = 0;
  while (buf[in] && in < size - 1) {
    i32 w = Str_EscapedWidth(buf[in], esc);
    if (out + w > size - 1) {
      cut = 1;
      break;
    }
    out += w;
    ++in;
  }
  if (!cut && buf[in] && in >= size - 1) cut = 1;  // text was not terminated inside the buffer
  // Written from the back: the escaped text never overtakes the original.
  buf[out] = 0;
  while (in > 0) {
    wch c = buf[--in];
    i32 w = Str_EscapedWidth(c, esc);
    out -= w;
    if (w == 1) {
      buf[out] = c;
    } else if (c == esc) {
      buf[out] = esc;
      buf[out + 1] = esc;
    } else if (w == 2) {
      int i = 0;
      while (kStrEscCodes[i] != c) ++i;
      buf[out] = esc;
      buf[out + 1] = table[1 + i];
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      buf[out] = esc;
      buf[out + 1] = table[STR_ESC_HEX];
      for (int k = 0; k < 4; ++k) buf[out + 2 + k] = wch(kHex[(c >> (12 - 4 * k)) & 15]);
    }
  }
  return cut;
}

static inline int Str_HexValue(wch c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

void Str_UnescapeControls(wch* buf) {
  const wch* table = Str_EscapeTable();
  wch esc = table[0];
  wch escUp = Chr_Upper(esc);
  wch* out = buf;
  const wch* in = buf;
  while (*in) {
    if (*in != esc || in[1] == 0) {
      *out++ = *in++;
      continue;
    }
    wch next = Chr_Upper(in[1]);
    if (next == escUp) {
      *out++ = esc;
      in += 2;
      continue;
    }
    int letter = -1;
    for (int i = 0; i < STR_ESC_LETTERS; ++i)
      if (next == Chr_Upper(table[1 + i])) letter = i;
    if (letter >= 0) {
      *out++ = kStrEscCodes[letter];
      in += 2;
      continue;
    }
    if (next == Chr_Upper(table[STR_ESC_HEX])) {
      u32 value = 0;
      int digits = 0;
      while (digits < 4 && Str_HexValue(in[2 + digits]) >= 0) value = value * 16 + u32(Str_HexValue(in[2 + digits++]));
      // A code of 0 would end the text here: such an escape stays as typed.
      if (digits > 0 && value != 0) {
        *out++ = wch(value);
        in += 2 + digits;
        continue;
      }
    }
    *out++ = *in++;  // the escape character itself; what follows is kept
  }
  *out = 0;
}

// ---------------------------------------------------------------- bits

int Mem_BitCount(u32 value) {
  int n = 0;
  for (; value; value &= value - 1) ++n;
  return n;
}

// ---------------------------------------------------------------- protection code
static int Str_ShiftValue(wch c) {
  if (c >= u'A' && c <= u'Z') return c - u'A';
  if (c >= u'0' && c <= u'9') return 26 + (c - u'0');
  return -1;
}

static wch Str_ShiftChar(int v) { return v < 26 ? wch(u'A' + v) : wch(u'0' + (v - 26)); }

void Str_ShiftEncode(wch* text) {
  int i = 0;
  for (; text[i] >= 33; ++i) {
    const int v = Str_ShiftValue(text[i]);
    text[i] = v < 0 ? u'q' : Str_ShiftChar((v + 3 * (i + 2)) % 36);
  }
  text[i] = 0;
}

void Str_ShiftDecode(wch* text) {
  for (int i = 0; text[i]; ++i) {
    if (text[i] == u'q') continue;
    int v = Str_ShiftValue(text[i]);
    if (v < 0) continue;
    v -= 3 * (i + 2);
    while (v < 0) v += 36;
    text[i] = Str_ShiftChar(v);
  }
}

int Str_ToI32(const wch* text, i32* out) {
  const wch* p = text;
  int neg = 0;
  if (*p == u'-' || *p == u'+') neg = *p++ == u'-';
  if (*p < u'0' || *p > u'9') return 0;
  i64 x = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) {
    x = x * 10 + (*p - u'0');
    if (x > 0x7FFFFFFF) return 0;
  }
  while (*p == u' ' || *p == u'\t') ++p;
  if (*p) return 0;
  *out = i32(neg ? -x : x);
  return 1;
}
// ---------------------------------------------------------------- field lines

static int Str_IsHexDigit(wch c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Reads n comma-separated fields of the forms in kinds ('x' hex, 'u'
// unsigned, 'i' signed decimal); a comma after the last is allowed. 1 when
// the whole line is exactly that.
int Str_ScanFields(const wch* s, int n, const char* kinds, i64* out, const wch** rest) {
  for (int k = 0; k < n; ++k) {
    const char kind = kinds[k];
    int negative = 0;
    if (kind == 'i' && (*s == '-' || *s == '+')) negative = *s++ == '-';
    const int base = kind == 'x' ? 16 : 10;
    i64 v = 0;
    int digits = 0;
    for (; base == 16 ? Str_IsHexDigit(*s) : (*s >= '0' && *s <= '9'); ++s, ++digits) {
      const int d = *s <= '9' ? *s - '0' : (*s | 0x20) - 'a' + 10;
      v = v * base + d;
      if (v > 0xFFFFFFFFll) return 0;
    }
    if (!digits) return 0;
    out[k] = negative ? -v : v;
    if (k + 1 < n) {
      if (*s != ',') return 0;
      ++s;
    }
  }
  if (rest) {
    *rest = s;
    return 1;
  }
  if (*s == ',') ++s;
  return *s == 0;
}


#include "platform/print.h"

#include <string.h>

#include <type_traits>

namespace {

// One formatter for both character widths; the output sink cuts at the
// buffer and always leaves room for the terminating zero.
template <typename C>
struct Sink {
  C* buf;
  int size;
  int n;
  void Put(u32 c) {
    if (n < size - 1) buf[n] = C(c);
    n++;
  }
};

template <typename C>
void PutPadded(Sink<C>& out, const char* digits, int len, int width, bool left, bool zero, char sign) {
  int total = len + (sign ? 1 : 0);
  if (!left && !zero)
    for (int i = total; i < width; ++i) out.Put(' ');
  if (sign) out.Put(u32(sign));
  if (!left && zero)
    for (int i = total; i < width; ++i) out.Put('0');
  for (int i = 0; i < len; ++i) out.Put(u32((unsigned char)digits[i]));
  if (left)
    for (int i = total; i < width; ++i) out.Put(' ');
}

int Digits(u64 v, int base, bool upper, char* tmp) {
  const char* d = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char rev[32];
  int n = 0;
  do {
    rev[n++] = d[v % u64(base)];
    v /= u64(base);
  } while (v);
  for (int i = 0; i < n; ++i) tmp[i] = rev[n - 1 - i];
  return n;
}

// The flags of a conversion ("-", "0", "+", " ") after its "%".
struct FormatFlags {
  bool left = false, zero = false;
  char sign = 0;
};

template <typename C>
const C* ReadFlags(const C* p, FormatFlags* f) {
  for (;; ++p) {
    if (*p == '-') f->left = true;
    else if (*p == '0') f->zero = true;
    else if (*p == '+') f->sign = '+';
    else if (*p == ' ') { if (!f->sign) f->sign = ' '; }
    else return p;
  }
}

// The length modifiers: "ll" and "I64" read 64-bit numbers, "h" a narrow
// string; a single "l" changes nothing.
template <typename C>
const C* ReadLength(const C* p, bool* wide64, bool* narrowStr) {
  for (;;) {
    if (*p == 'l') {
      if (p[1] == 'l') {
        *wide64 = true;
        ++p;
      }
      ++p;
    } else if (*p == 'h') {
      *narrowStr = true;
      ++p;
    } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
      *wide64 = true;
      p += 3;
    } else {
      return p;
    }
  }
}

// A string of either width, cut at prec units (prec < 0: whole), padded with
// blanks to width.
template <typename C, typename S>
void PutString(Sink<C>& out, const S* s, int prec, int width, bool left) {
  int len = 0;
  while (s[len] && (prec < 0 || len < prec)) ++len;
  if (!left)
    for (int i = len; i < width; ++i) out.Put(' ');
  for (int i = 0; i < len; ++i) out.Put(u32(typename std::make_unsigned<S>::type(s[i])));
  if (left)
    for (int i = len; i < width; ++i) out.Put(' ');
}

template <typename C>
int Format(C* buf, int size, const C* fmt, va_list ap) {
  // Without a buffer nothing is written, and the result says so.
  if (!buf || size < 1) return 0;
  Sink<C> out = {buf, size, 0};
  for (const C* p = fmt; *p; ++p) {
    if (*p != '%') {
      out.Put(u32(*p));
      continue;
    }
    ++p;
    FormatFlags flags;
    p = ReadFlags(p, &flags);
    bool left = flags.left, zero = flags.zero;
    const char sign = flags.sign;
    int width = 0;
    if (*p == '*') {
      width = va_arg(ap, int);
      if (width < 0) {
        left = true;
        width = -width;
      }
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') width = width * 10 + int(*p++ - '0');
    }
    int prec = -1;
    if (*p == '.') {
      ++p;
      prec = 0;
      if (*p == '*') {
        prec = va_arg(ap, int);
        ++p;
      } else {
        while (*p >= '0' && *p <= '9') prec = prec * 10 + int(*p++ - '0');
      }
    }
    bool wide64 = false, narrowStr = false;
    p = ReadLength(p, &wide64, &narrowStr);
    char tmp[40];
    switch (*p) {
      case 'd':
      case 'i': {
        i64 v = wide64 ? va_arg(ap, long long) : i64(va_arg(ap, int));
        char s = sign;
        u64 mag = v < 0 ? u64(0) - u64(v) : u64(v);
        if (v < 0) s = '-';
        int n = Digits(mag, 10, false, tmp);
        if (prec >= 0) zero = false;
        PutPadded(out, tmp, n, width, left, zero, s);
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        u64 v = wide64 ? va_arg(ap, unsigned long long) : u64(va_arg(ap, unsigned));
        int base = *p == 'u' ? 10 : 16;
        int n = Digits(v, base, *p == 'X', tmp);
        PutPadded(out, tmp, n, width, left, zero, 0);
        break;
      }
      case 'c': {
        u32 c = u32(va_arg(ap, int)) & 0xFFFF;
        if (!left)
          for (int i = 1; i < width; ++i) out.Put(' ');
        out.Put(c);
        if (left)
          for (int i = 1; i < width; ++i) out.Put(' ');
        break;
      }
      case 's':
        if (narrowStr || sizeof(C) == 1) {
          const char* s = va_arg(ap, const char*);
          PutString(out, s ? s : "(null)", prec, width, left);
        } else {
          const wch* s = va_arg(ap, const wch*);
          PutString(out, s ? s : u"(null)", prec, width, left);
        }
        break;
      case '%':
        out.Put('%');
        break;
      case 0:
        --p;  // a lone % at the end
        break;
      default:
        out.Put('%');
        out.Put(u32(*p));
        break;
    }
  }
  buf[out.n < size ? out.n : size - 1] = 0;
  return out.n < size ? out.n : size - 1;
}

}  // namespace

int Fmt_PrintV(wch* buf, int size, const wch* fmt, va_list ap) { return Format<wch>(buf, size, fmt, ap); }

int Fmt_Print(wch* buf, int size, const wch* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int n = Format<wch>(buf, size, fmt, ap);
  va_end(ap);
  return n;
}

int Fmt_PrintVA(char* buf, int size, const char* fmt, va_list ap) { return Format<char>(buf, size, fmt, ap); }

int Fmt_PrintA(char* buf, int size, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int n = Format<char>(buf, size, fmt, ap);
  va_end(ap);
  return n;
}

#include "platform/clip.h"

#include "platform/heap.h"
#include "platform/os.h"
#include "platform/str.h"

namespace {
void* g_window;

enum { LINE_LIMIT = 256 };

// Opens the clipboard for the main window: 0 open, else the caller's code.
int Open(int failure) {
  if (!g_window || !Os_OpenClipboard(g_window)) return failure;
  return 0;
}

// Length of a clipboard text, never beyond its block.
i32 TextLength(const wch* p) {
  const u32 units = Os_GlobalSize(const_cast<wch*>(p)) / 2;
  i32 n = 0;
  while (u32(n) < units && p[n]) ++n;
  return n;
}

u32 Read32(const u8* p, int o) { return u32(p[o]) | u32(p[o + 1]) << 8 | u32(p[o + 2]) << 16 | u32(p[o + 3]) << 24; }
}  // namespace

void Clip_SetWindow(void* window) { g_window = window; }

int Clip_Empty(void) {
  if (Open(1)) return 1;
  Os_EmptyClipboard();
  Os_CloseClipboard();
  return 0;
}

int Clip_AppendLine(const wch* line) {
  if (Open(2)) return 2;
  if (!line) line = u"";
  const i32 lineLength = Str_Len(line);
  void* old = Os_GetClipboardData(OS_CF_UNICODETEXT);
  const wch* oldText = old ? static_cast<const wch*>(Os_GlobalLock(old)) : nullptr;
  const i32 oldLength = oldText ? TextLength(oldText) : 0;
  if (!oldText) Os_EmptyClipboard();
  const i32 total = oldText ? oldLength + 2 + lineLength : lineLength;
  wch* p = static_cast<wch*>(Heap_AllocMovable(u32(total + 1) * 2));
  if (!p) {
    if (oldText) Os_GlobalUnlock(old);
    Os_CloseClipboard();
    return 1;
  }
  i32 n = 0;
  if (oldText) {
    Mem_CopyWide(p, oldText, oldLength);
    n = oldLength;
    p[n++] = u'\r';
    p[n++] = u'\n';
    Os_GlobalUnlock(old);
  }
  Mem_CopyWide(p + n, line, lineLength);
  p[total] = 0;
  void* handle = Os_GlobalHandle(p);
  Os_GlobalUnlock(handle);
  if (!Os_SetClipboardData(OS_CF_UNICODETEXT, handle)) {
    Heap_FreeMovable(p);
    Os_CloseClipboard();
    return 2;
  }
  Os_CloseClipboard();
  return 0;
}

int Clip_ReadLine(i32 n, i32 size, wch* buf) {
  if (size > 0) buf[0] = 0;
  if (Open(2)) return 2;
  void* h = Os_GetClipboardData(OS_CF_UNICODETEXT);
  const wch* text = h ? static_cast<const wch*>(Os_GlobalLock(h)) : nullptr;
  if (!text) {
    Os_CloseClipboard();
    return 3;
  }
  const i32 length = TextLength(text);
  i32 lines = 1;
  for (i32 i = 0; i < length; ++i) lines += text[i] == u'\r';
  int result = 3;
  if (n >= 0 && n < lines) {
    i32 i = 0;
    for (i32 k = 0; k < n; ++k) {
      while (i < length && text[i] != u'\n') ++i;
      if (i < length) ++i;
    }
    i32 out = 0;
    result = 0;
    for (; i < length && text[i] != u'\r'; ++i) {
      if (out >= size - 1) {
        result = 1;
        break;
      }
      buf[out++] = text[i];
    }
    if (size > 0) buf[out] = 0;
  }
  Os_GlobalUnlock(h);
  Os_CloseClipboard();
  return result;
}

// Copies one line without its inline colour marks: a 2 or 6 outside a mark
// starts one and goes with the next 3 or 5 characters; the next 2 or 6 ends
// it and goes too. Returns the length, or -1 when it reaches the limit.
static i32 CleanLine(const wch* src, wch* dst) {
  i32 n = 0;
  int inMark = 0;
  for (const wch* p = src; *p;) {
    const wch c = *p;
    if (c == 2 || c == 6) {
      ++p;
      if (!inMark)
        for (int k = c == 2 ? 3 : 5; k > 0 && *p; --k) ++p;
      inMark = !inMark;
      continue;
    }
    if (n >= LINE_LIMIT - 1) return -1;
    dst[n++] = c;
    ++p;
  }
  dst[n] = 0;
  return n;
}

int Clip_CopyText(const wch* text) {
  wch line[LINE_LIMIT];
  // Every line is checked before the clipboard is touched.
  for (const wch* p = text; *p; p += Str_Len(p) + 1)
    if (CleanLine(p, line) < 0) return 3;
  if (Clip_Empty()) return 2;
  for (const wch* p = text; *p; p += Str_Len(p) + 1) {
    CleanLine(p, line);
    if (int r = Clip_AppendLine(line)) return r;
  }
  return Clip_AppendLine(u"");
}

u32 Clip_DibSize(const u8* dib, u32 available) {
  if (!dib || available < 40) return 0;
  const u32 headerSize = Read32(dib, 0);
  if (headerSize < 40 || headerSize > available) return 0;
  const i32 width = i32(Read32(dib, 4));
  const i32 height = i32(Read32(dib, 8));
  const u32 bits = u32(dib[14]) | u32(dib[15]) << 8;
  const u32 compression = Read32(dib, 16);
  const u32 imageSize = Read32(dib, 20);
  u32 colours = Read32(dib, 32);
  if (width <= 0 || height == 0 || bits == 0 || bits > 32) return 0;
  if (colours == 0 && bits <= 8) colours = 1u << bits;
  if (colours > 256 && bits <= 8) colours = 256;
  // Masks follow a plain 40-byte header; larger headers hold them.
  u64 size = headerSize;
  if (headerSize == 40 && compression == 3) size += 12;
  if (headerSize == 40 && compression == 6) size += 16;
  size += u64(colours) * 4;
  const u64 rows = u64(height < 0 ? -i64(height) : i64(height));
  if (compression == 0 || compression == 3 || compression == 6)
    size += (u64(width) * bits + 31) / 32 * 4 * rows;
  else
    size += imageSize;
  return size > available ? available : u32(size);
}

int Clip_GetDib(void** out) {
  *out = nullptr;
  if (!g_window || !Os_OpenClipboard(g_window)) return 2;
  void* h = Os_GetClipboardData(OS_CF_DIB);
  const u8* p = h ? static_cast<const u8*>(Os_GlobalLock(h)) : nullptr;
  if (!p) {
    Os_CloseClipboard();
    return 3;
  }
  int result = 3;
  const u32 size = Clip_DibSize(p, Os_GlobalSize(const_cast<u8*>(p)));
  if (size) {
    void* copy = Heap_Alloc(size);
    if (copy) {
      Mem_Copy(copy, p, i32(size));
      *out = copy;
      result = 0;
    } else {
      result = 4;
    }
  }
  Os_GlobalUnlock(h);
  Os_CloseClipboard();
  return result;
}

// ---------------------------------------------------------------- line fields

static int Clip_Digit(wch c, int hex) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (hex && c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (hex && c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

i32 Clip_ScanFields(const wch* s, const char* kinds, u32* out) {
  i32 pos = 0;
  for (int k = 0; kinds[k]; ++k) {
    const int hex = kinds[k] == 'x';
    int negative = 0;
    if (kinds[k] == 'i' && s[pos] == u'-') negative = 1, ++pos;
    u64 v = 0;
    int digits = 0;
    for (int d; (d = Clip_Digit(s[pos], hex)) >= 0; ++pos, ++digits) {
      v = v * (hex ? 16 : 10) + u32(d);
      if (v > 0xFFFFFFFFull) return -1;
    }
    if (!digits) return -1;
    out[k] = negative ? u32(-i64(v)) : u32(v);
    if (s[pos] == u',') ++pos;
    else if (kinds[k + 1]) return -1;
  }
  return pos;
}

i32 Clip_ScanQuoted(const wch* s, wch* out, i32 max) {
  if (s[0] != u'"') return -1;
  i32 i = 1, n = 0;
  while (s[i] && s[i] != u'"') {
    if (n >= max - 1) return -1;
    out[n++] = s[i++];
  }
  if (s[i] != u'"') return -1;
  out[n] = 0;
  ++i;
  if (s[i] == u',') ++i;
  return i;
}

// ---------------------------------------------------------------- texts in blocks

int Clip_AppendText(const wch* text, i32 units) {
  if (units > CLIP_TEXT_MAX) units = CLIP_TEXT_MAX;
  wch line[CLIP_TEXT_LINE + 8];
  i32 n = 0;
  for (i32 i = 0; i < units; ++i) {
    const wch c = i == units - 1 ? wch(0) : text[i];
    if (c < 32 || c == 0x2028 || c == 0x2029 || c == u'\\') {
      static const char kHex[] = "0123456789abcdef";
      line[n++] = u'\\';
      for (int k = 12; k >= 0; k -= 4) line[n++] = wch(kHex[(c >> k) & 15]);
    } else {
      line[n++] = c;
    }
    if (n >= CLIP_TEXT_LINE || i == units - 1) {
      line[n] = 0;
      const int r = Clip_AppendLine(line);
      if (r) return r;
      n = 0;
    }
  }
  return 0;
}

int Clip_ReadText(i32* line, wch* out, i32 units) {
  if (units < 1 || units > CLIP_TEXT_MAX) return 2;
  wch buf[CLIP_TEXT_READ + 2];
  i32 n = 0;
  while (n < units) {
    if (Clip_ReadLine((*line)++, CLIP_TEXT_READ + 1, buf)) return 2;
    for (const wch* s = buf; *s && n < units; ++s) {
      if (*s != u'\\') {
        out[n++] = *s;
        continue;
      }
      u32 v = 0;
      for (int k = 1; k <= 4; ++k) {
        const int d = Clip_Digit(s[k], 1);
        if (d < 0) return 2;
        v = v * 16 + u32(d);
      }
      out[n++] = wch(v);
      s += 4;
    }
  }
  out[units - 1] = 0;
  return 0;
}

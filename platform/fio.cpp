// The read and write streams, their buffers, text encodings and the
// byte-pair run-length coding. Whole-file utilities and folders are in
// fio_files.cpp.
#include "platform/fio.h"

#include <string.h>

#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"

FioReadStream g_fioRead;
FioWriteStream g_fioWrite;

enum { TM_ANSI = 1, TM_LE = 2, TM_BE = 4 };
enum { TEXT_PROGRESS = 10000 };
enum { HANDLE_CLOSED = -1, HANDLE_MEMORY = -2 };

// The two lead bytes of the pair coding. A short group is the lead, a count k
// of 1..255 and the pair, a long one the lead, k as two bytes and the pair: the
// pair stands k + 1 times. The lead followed by a zero count stands for itself.
enum : u8 { RLE_LEAD_SHORT = 0xC5, RLE_LEAD_LONG = 0xB5 };

static void ShowProgress(u32 block) {
  wch text[100];
  Fmt_Print(text, 100, Lng_GetText(TEXT_PROGRESS), block * u32(FIO_BUFFER_SIZE));
  Msg_InfoUpdate(text);
}

int Fio_InitBuffers(void) {
  if (g_fioRead.buf && g_fioWrite.buf) return 0;
  u8* r = (u8*)Heap_Alloc(FIO_BUFFER_SIZE);
  u8* w = (u8*)Heap_Alloc(FIO_BUFFER_SIZE);
  if (!r || !w) {
    Heap_Free(r);
    Heap_Free(w);
    return 1;
  }
  g_fioRead.buf = r;
  g_fioWrite.buf = w;
  return 0;
}

void Fio_FreeBuffers(void) {
  if (g_fioRead.handle != HANDLE_CLOSED) Fio_CloseRead();
  if (g_fioWrite.handle != HANDLE_CLOSED) Fio_CancelWrite();
  Heap_Free(g_fioRead.buf);
  Heap_Free(g_fioWrite.buf);
  g_fioRead.buf = nullptr;
  g_fioWrite.buf = nullptr;
}

// ================================================================ reading

static void ReadReset(FioReadStream& s) {
  s.pos = 0;
  s.avail = 0;
  s.block = 1;
  s.byteOrder = 0;
  s.raw = 1;
  s.pending = 0;
  s.toggle = 0;
}

// Closes the read stream after an error; the code is passed through.
static int ReadFail(int code) {
  Fio_CloseRead();
  return code;
}

static int ReadOpenBody(int flags) {
  if (flags & FIO_UTF16LE) {
    u16 mark;
    if (Fio_ReadU16(&mark) != 0 || (mark != 0xFEFF && mark != 0xFFFE)) return ReadFail(2);
    g_fioRead.byteOrder = mark == 0xFEFF ? 1 : 2;
  }
  if (flags & FIO_SKIP_TO_CTRLZ) {
    for (;;) {
      u32 c;
      if (Fio_ReadChar(&c) != 0) {
        if (g_fioRead.handle != HANDLE_CLOSED) Fio_CloseRead();
        return 2;
      }
      if (c == 26) break;
    }
  }
  return 0;
}

int Fio_OpenRead(const wch* name, int flags, int folder) {
  if (!name || !name[0]) return 1;
  if (g_fioRead.handle != HANDLE_CLOSED) return 3;
  if (!g_fioRead.buf && Fio_InitBuffers() != 0) return 1;
  FioReadStream& s = g_fioRead;
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(name, folder, path) != 0) return 1;
  s.progress = (flags & FIO_PROGRESS) ? 1 : 0;
  int h = Os_Open(path);
  if (h < 0) {
    if (s.progress) Msg_InfoClose();
    return 1;
  }
  s.handle = h;
  s.mem = nullptr;
  ReadReset(s);
  return ReadOpenBody(flags);
}

int Fio_OpenReadMemory(const u8* data, u32 size) {
  if (g_fioRead.handle != HANDLE_CLOSED) return 3;
  if (!g_fioRead.buf && Fio_InitBuffers() != 0) return 1;
  FioReadStream& s = g_fioRead;
  s.handle = HANDLE_MEMORY;
  s.mem = data;
  s.memSize = data ? size : 0;
  s.memPos = 0;
  s.progress = 0;
  ReadReset(s);
  return 0;
}

int Fio_IsReadOpen(void) { return g_fioRead.handle != HANDLE_CLOSED; }

int Fio_CloseRead(void) {
  FioReadStream& s = g_fioRead;
  if (s.handle == HANDLE_CLOSED) return 3;
  int r = 0;
  if (s.handle >= 0 && Os_Close(s.handle) != 0) r = 1;
  s.handle = HANDLE_CLOSED;
  s.avail = 0;
  s.raw = 1;
  s.pending = 0;
  s.mem = nullptr;
  if (s.progress) Msg_InfoClose();
  s.progress = 0;
  return r;
}

// Refills the buffer: 0 bytes there, 1 end of file, 2 error (closed).
static int Refill(void) {
  FioReadStream& s = g_fioRead;
  if (s.handle == HANDLE_CLOSED) return 3;
  i32 n;
  if (s.handle == HANDLE_MEMORY) {
    u32 left = s.memSize - s.memPos;
    n = i32(left < u32(FIO_BUFFER_SIZE) ? left : u32(FIO_BUFFER_SIZE));
    if (n > 0) memcpy(s.buf, s.mem + s.memPos, u32(n));
    s.memPos += u32(n);
  } else {
    n = Os_Read(s.handle, s.buf, FIO_BUFFER_SIZE);
    if (n < 0) return ReadFail(2);
  }
  if (n == 0) return 1;
  s.pos = 0;
  s.avail = u32(n);
  if (s.progress) ShowProgress(s.block);
  s.block++;
  return 0;
}

static inline int ReadRaw(u8* out) {
  FioReadStream& s = g_fioRead;
  if (!s.avail) {
    int r = Refill();
    if (r) return r;
  }
  *out = s.buf[s.pos++];
  s.avail--;
  return 0;
}

// Inside a group the stream must go on: its end there means a cut file.
static inline int ReadGroupByte(u8* out) {
  int r = ReadRaw(out);
  if (r == 1) return ReadFail(2);
  return r;
}

// Starts a group after its lead byte; delivers the first byte of the pair.
// A lead byte followed by zeros is the escaped literal itself.
static int DecodeGroup(u8 lead, u8* out) {
  FioReadStream& s = g_fioRead;
  u32 k;
  u8 x, y;
  int r;
  if (lead == RLE_LEAD_SHORT) {
    if ((r = ReadGroupByte(&x)) != 0) return r;
    if (x == 0) {
      *out = RLE_LEAD_SHORT;
      return 0;
    }
    k = x;
  } else {
    if ((r = ReadGroupByte(&x)) != 0) return r;
    if ((r = ReadGroupByte(&y)) != 0) return r;
    k = u32(x) | (u32(y) << 8);
    if (k == 0) {
      *out = RLE_LEAD_LONG;
      return 0;
    }
  }
  if ((r = ReadGroupByte(&s.pairA)) != 0) return r;
  if ((r = ReadGroupByte(&s.pairB)) != 0) return r;
  s.pending = k + 1;
  s.toggle = 1;
  *out = s.pairA;
  return 0;
}

int Fio_ReadByteSlow(u8* out) {
  FioReadStream& s = g_fioRead;
  if (s.handle == HANDLE_CLOSED) return 3;
  if (s.raw) return ReadRaw(out);
  if (s.pending) {
    if (!s.toggle) {
      *out = s.pairA;
      s.toggle = 1;
    } else {
      *out = s.pairB;
      s.toggle = 0;
      s.pending--;
    }
    return 0;
  }
  u8 c;
  int r = ReadRaw(&c);
  if (r) return r;
  if (c != RLE_LEAD_SHORT && c != RLE_LEAD_LONG) {
    *out = c;
    return 0;
  }
  return DecodeGroup(c, out);
}

void Fio_BeginReadRle(void) {
  g_fioRead.raw = 0;
  g_fioRead.pending = 0;
  g_fioRead.toggle = 0;
}

int Fio_ReadU16(u16* value) {
  u8 lo, hi;
  int r = Fio_ReadByte(&lo);
  if (r) return r;
  if ((r = Fio_ReadByte(&hi)) != 0) return r;
  *value = u16(lo | (hi << 8));
  return 0;
}

int Fio_ReadU32(u32* value) {
  u16 lo, hi;
  int r = Fio_ReadU16(&lo);
  if (r) return r;
  if ((r = Fio_ReadU16(&hi)) != 0) return r;
  *value = u32(lo) | (u32(hi) << 16);
  return 0;
}

// Fills n bytes of out from the pending pairs of a group.
static u32 DrainPairs(u8* out, u32 n) {
  FioReadStream& s = g_fioRead;
  u32 got = 0;
  if (s.toggle && got < n) {
    out[got++] = s.pairB;
    s.toggle = 0;
    s.pending--;
  }
  u32 pairs = (n - got) / 2;
  if (pairs > s.pending) pairs = s.pending;
  if (s.pairA == s.pairB) {
    memset(out + got, s.pairA, pairs * 2);
  } else {
    u8* p = out + got;
    for (u32 i = 0; i < pairs; ++i) {
      p[2 * i] = s.pairA;
      p[2 * i + 1] = s.pairB;
    }
  }
  got += pairs * 2;
  s.pending -= pairs;
  if (s.pending && got < n) {
    out[got++] = s.pairA;
    s.toggle = 1;
  }
  return got;
}

u32 Fio_ReadBlock(void* buf, u32 n) {
  FioReadStream& s = g_fioRead;
  u8* out = (u8*)buf;
  u32 got = 0;
  if (s.handle == HANDLE_CLOSED) return 0;
  while (got < n) {
    if (!s.raw && s.pending) {
      got += DrainPairs(out + got, n - got);
      continue;
    }
    if (!s.avail && Refill() != 0) break;
    u32 want = n - got;
    u32 take = s.avail < want ? s.avail : want;
    const u8* src = s.buf + s.pos;
    if (!s.raw) {
      // Literal bytes up to the next group lead byte go across in one copy.
      u32 i = 0;
      while (i < take && src[i] != RLE_LEAD_SHORT && src[i] != RLE_LEAD_LONG) ++i;
      take = i;
    }
    if (take) {
      memcpy(out + got, src, take);
      s.pos += take;
      s.avail -= take;
      got += take;
      continue;
    }
    u8 c;
    if (Fio_ReadByteSlow(&c) != 0) break;
    out[got++] = c;
  }
  return got;
}

void Fio_SetReadEncoding(u16 value) {
  // The value is a mark read little-endian, as Fio_OpenRead reads it.
  g_fioRead.byteOrder = value == 0xFEFF ? 1 : value == 0xFFFE ? 2 : 0;
}

int Fio_ReadChar(u32* ch) {
  FioReadStream& s = g_fioRead;
  for (;;) {
    u8 a, b;
    int r = Fio_ReadByte(&a);
    if (r) return r;
    u32 c;
    if (s.byteOrder == 0) {
      *ch = a;
      return 0;
    }
    if ((r = Fio_ReadByte(&b)) != 0) return r == 1 ? ReadFail(2) : r;
    c = s.byteOrder == 1 ? u32(a | (b << 8)) : u32((a << 8) | b);
    if (c == 0x2028 || c == 0x2029 || c == 0xFFFF) continue;
    // A byte-order mark inside the text: read in the current order it is
    // U+FEFF when the order is right, U+FFFE when the text that follows
    // has the other order.
    if (c == 0xFEFF) continue;
    if (c == 0xFFFE) {
      s.byteOrder = s.byteOrder == 1 ? 2 : 1;
      continue;
    }
    *ch = c;
    return 0;
  }
}

int Fio_ReadToken(wch* buf, int size) {
  if (size < 2) return 2;
  u32 c;
  int r;
  do {
    if ((r = Fio_ReadChar(&c)) != 0) {
      buf[0] = 0;
      return r;
    }
  } while (c < 33);
  int n = 0;
  for (;;) {
    buf[n++] = wch(c);
    if (n >= size - 1) break;
    r = Fio_ReadChar(&c);
    if (r == 1) break;
    if (r) {
      buf[n] = 0;
      return r;
    }
    if (c < 32) break;
  }
  buf[n] = 0;
  return 0;
}

int Fio_SeekRead(i32 n) {
  FioReadStream& s = g_fioRead;
  if (s.handle == HANDLE_CLOSED) return 3;
  if (s.handle == HANDLE_MEMORY) {
    i64 p = i64(s.memPos) - s.avail + n;
    if (p < 0 || p > i64(s.memSize)) return ReadFail(2);
    s.memPos = u32(p);
  } else {
    i64 cur = Os_Seek(s.handle, 0, OS_SEEK_CUR);
    if (cur < 0) return ReadFail(2);
    i64 p = cur - s.avail + n;
    if (p < 0 || Os_Seek(s.handle, p, OS_SEEK_SET) < 0) return ReadFail(2);
  }
  s.avail = 0;
  s.pos = 0;
  s.pending = 0;
  return 0;
}

// ================================================================ writing

static void WriteResetCoder(FioWriteStream& s) {
  s.haveA = s.haveB = s.half = 0;
  s.k = 0;
}

static void DiscardTemp(FioWriteStream& s) {
  if (s.handle >= 0) {
    Os_Close(s.handle);
    Os_Remove(s.temp);
  }
  s.handle = HANDLE_CLOSED;
  s.raw = 0;
  s.fill = 0;
}

// A failed or short write: the partial file goes and the stream closes.
static int WriteFail(int code) {
  FioWriteStream& s = g_fioWrite;
  DiscardTemp(s);
  Heap_Free(s.mem);
  s.mem = nullptr;
  s.memSize = s.memCap = 0;
  return code;
}

static int FlushBuffer(void) {
  FioWriteStream& s = g_fioWrite;
  if (!s.fill) return 0;
  if (s.handle == HANDLE_MEMORY) {
    if (s.memSize + s.fill > s.memCap) {
      u32 cap = s.memCap ? s.memCap : 65536;
      while (cap < s.memSize + s.fill) {
        if (cap > 0x40000000u) return WriteFail(1);
        cap *= 2;
      }
      u8* m = s.mem ? (u8*)Heap_Realloc(s.mem, cap) : (u8*)Heap_Alloc(cap);
      if (!m) return WriteFail(1);
      s.mem = m;
      s.memCap = cap;
    }
    memcpy(s.mem + s.memSize, s.buf, s.fill);
    s.memSize += s.fill;
  } else {
    i32 n = Os_Write(s.handle, s.buf, s.fill);
    if (n < 0) return WriteFail(1);
    if (u32(n) != s.fill) return WriteFail(2);
    ShowProgress(s.block);
  }
  s.block++;
  s.fill = 0;
  return 0;
}

static inline int PutRaw(u8 c) {
  FioWriteStream& s = g_fioWrite;
  if (s.fill == FIO_BUFFER_SIZE) {
    int r = FlushBuffer();
    if (r) return r;
  }
  s.buf[s.fill++] = c;
  return 0;
}

static inline int PutLiteral(u8 c) {
  int r = PutRaw(c);
  if (r || (c != RLE_LEAD_SHORT && c != RLE_LEAD_LONG)) return r;
  if ((r = PutRaw(0)) != 0) return r;
  return c == RLE_LEAD_LONG ? PutRaw(0) : 0;
}

static int FlushCoder(void) {
  FioWriteStream& s = g_fioWrite;
  int r = 0;
  if (s.k == 0) {
    if (s.haveA && (r = PutLiteral(s.a)) != 0) return r;
    if (s.haveB && (r = PutLiteral(s.b)) != 0) return r;
    if (s.half && (r = PutLiteral(s.a)) != 0) return r;
  } else {
    if (s.k < 256) {
      if ((r = PutRaw(RLE_LEAD_SHORT)) != 0 || (r = PutRaw(u8(s.k))) != 0) return r;
    } else {
      if ((r = PutRaw(RLE_LEAD_LONG)) != 0 || (r = PutRaw(u8(s.k))) != 0 || (r = PutRaw(u8(s.k >> 8))) != 0) return r;
    }
    if ((r = PutRaw(s.a)) != 0 || (r = PutRaw(s.b)) != 0) return r;
    if (s.half && (r = PutLiteral(s.a)) != 0) return r;
  }
  WriteResetCoder(s);
  return 0;
}

enum { RLE_MAX_K = 65500 };

// One byte through the pair coder.
static inline int CodeByte(u8 c) {
  FioWriteStream& s = g_fioWrite;
  if (!s.haveA) {
    s.a = c;
    s.haveA = 1;
    return 0;
  }
  if (!s.haveB) {
    s.b = c;
    s.haveB = 1;
    return 0;
  }
  if (s.half) {
    if (c == s.b) {
      s.half = 0;
      if (++s.k == RLE_MAX_K) return FlushCoder();
      return 0;
    }
    int r = FlushCoder();
    if (r) return r;
    s.a = c;
    s.haveA = 1;
    return 0;
  }
  if (c == s.a) {
    s.half = 1;
    return 0;
  }
  if (s.k > 0) {
    int r = FlushCoder();
    if (r) return r;
    s.a = c;
    s.haveA = 1;
    return 0;
  }
  int r = PutLiteral(s.a);
  s.a = s.b;
  s.b = c;
  return r;
}

int Fio_WriteByteSlow(u8 byte) {
  FioWriteStream& s = g_fioWrite;
  if (s.handle == HANDLE_CLOSED) return 3;
  if (s.raw) return PutRaw(byte);
  return CodeByte(byte);
}

int Fio_WriteBlock(const void* buf, u32 n) {
  FioWriteStream& s = g_fioWrite;
  if (s.handle == HANDLE_CLOSED) return 3;
  const u8* p = (const u8*)buf;
  if (s.raw) {
    while (n) {
      if (s.fill == FIO_BUFFER_SIZE) {
        int r = FlushBuffer();
        if (r) return r;
      }
      u32 room = FIO_BUFFER_SIZE - s.fill;
      u32 take = n < room ? n : room;
      memcpy(s.buf + s.fill, p, take);
      s.fill += take;
      p += take;
      n -= take;
    }
    return 0;
  }
  for (u32 i = 0; i < n; ++i) {
    // Inside a run the pair only has to be compared and counted.
    if (s.k && !s.half && i + 1 < n && p[i] == s.a && p[i + 1] == s.b) {
      u32 j = i;
      u32 room = RLE_MAX_K - s.k;
      u32 pairs = 0;
      while (pairs < room && j + 1 < n && p[j] == s.a && p[j + 1] == s.b) {
        j += 2;
        ++pairs;
      }
      if (pairs) {
        s.k += pairs;
        i = j - 1;
        if (s.k == RLE_MAX_K) {
          int r = FlushCoder();
          if (r) return r;
        }
        continue;
      }
    }
    int r = CodeByte(p[i]);
    if (r) return r;
  }
  return 0;
}

void Fio_BeginWriteRle(void) {
  g_fioWrite.raw = 0;
  WriteResetCoder(g_fioWrite);
}

void Fio_SetTextMode(int flags) {
  FioWriteStream& s = g_fioWrite;
  if (flags & FIO_ANSI)
    s.textMode = TM_ANSI;
  else if (flags & FIO_UTF16LE)
    s.textMode = TM_LE;
  else if (flags & FIO_UTF16BE)
    s.textMode = TM_BE;
  else
    s.textMode = 0;
}

static int WriteStart(int flags) {
  FioWriteStream& s = g_fioWrite;
  s.fill = 0;
  s.block = 1;
  s.raw = 1;
  s.error = 0;
  WriteResetCoder(s);
  Fio_SetTextMode(flags);
  if (flags & FIO_WRITE_BOM) {
    int r = 0;
    if (s.textMode == TM_LE || (s.textMode == 0 && UseWideApi))
      r = Fio_WriteU16(0xFEFF);
    else if (s.textMode == TM_BE && (r = Fio_WriteByte(0xFE)) == 0)
      r = Fio_WriteByte(0xFF);
    if (r) return r;
  }
  return 0;
}

// "~orbawr" with a hash of the target's full path and the process id: two
// programs writing into one folder, or one writing two targets there, never
// meet in one temporary file.
static void TempName(const wch* target, wch* out) {
  u32 hash = 2166136261u;
  for (const wch* p = target; *p; ++p) hash = (hash ^ u32(*p)) * 16777619u;
  const u32 parts[2] = {hash, Os_GetProcessId()};
  const char* prefix = "~orbawr";
  int n = 0;
  while (*prefix) out[n++] = wch(*prefix++);
  for (u32 v : parts) {
    out[n++] = u'-';
    for (int shift = 28; shift >= 0; shift -= 4) out[n++] = wch("0123456789abcdef"[(v >> shift) & 15]);
  }
  for (const char* ext = ".tmp"; *ext;) out[n++] = wch(*ext++);
  out[n] = 0;
}

// Splits a built target path into its folder and the temporary name.
static int Fio_TempPathOf(const wch* target, wch* out) {
  int cut = 0;
  for (int i = 0; target[i]; ++i)
    if (target[i] == u'\\' || target[i] == u'/') cut = i + 1;
  wch temp[32];
  TempName(target, temp);
  const int len = int(Str_Len(temp));
  if (cut + len + 1 > OS_MAX_PATH) return 1;
  memcpy(out, target, cut * sizeof(wch));
  memcpy(out + cut, temp, (len + 1) * sizeof(wch));
  return 0;
}

int Fio_TempPath(const wch* name, int folder, wch* buf) {
  wch target[OS_MAX_PATH];
  if (!name || !name[0] || Fio_BuildPath(name, folder, target) != 0) return 1;
  return Fio_TempPathOf(target, buf);
}

int Fio_OpenWrite(const wch* name, int flags, int folder) {
  FioWriteStream& s = g_fioWrite;
  if (s.handle != HANDLE_CLOSED) return 3;
  if (!s.buf && Fio_InitBuffers() != 0) return 1;
  if (!name || !name[0] || Fio_BuildPath(name, folder, s.target) != 0) return 1;
  // The new file is made beside the old one and takes its place on close.
  if (Fio_TempPathOf(s.target, s.temp) != 0) return 1;
  int h = Os_Create(s.temp);
  if (h < 0) return 1;
  s.handle = h;
  s.mem = nullptr;
  s.infoDepth = Msg_InfoDepth();
  return WriteStart(flags);
}

int Fio_OpenWriteMemory(void) {
  FioWriteStream& s = g_fioWrite;
  if (s.handle != HANDLE_CLOSED) return 3;
  if (!s.buf && Fio_InitBuffers() != 0) return 1;
  Heap_Free(s.mem);
  s.mem = nullptr;
  s.memSize = s.memCap = 0;
  s.handle = HANDLE_MEMORY;
  s.infoDepth = 0;
  return WriteStart(0);
}

u8* Fio_TakeWriteMemory(u32* size) {
  FioWriteStream& s = g_fioWrite;
  u8* m = s.handle == HANDLE_CLOSED ? s.mem : nullptr;
  if (size) *size = m ? s.memSize : 0;
  if (m) {
    s.mem = nullptr;
    s.memSize = s.memCap = 0;
  }
  return m;
}

int Fio_IsWriteOpen(void) { return g_fioWrite.handle != HANDLE_CLOSED; }

int Fio_CloseWrite(void) {
  FioWriteStream& s = g_fioWrite;
  if (s.handle == HANDLE_CLOSED) return 3;
  int r = s.raw ? 0 : FlushCoder();
  const int ownBox = s.handle != HANDLE_MEMORY && s.infoDepth > 0 && Msg_InfoDepth() == s.infoDepth;
  if (!r) r = FlushBuffer();
  if (ownBox) Msg_InfoClose();
  if (r) return r;  // the stream is closed and the old file kept
  if (s.handle == HANDLE_MEMORY) {
    s.handle = HANDLE_CLOSED;
    s.raw = 0;
    return 0;
  }
  int h = s.handle;
  s.handle = HANDLE_CLOSED;
  s.raw = 0;
  if (Os_Close(h) != 0 || Os_ReplaceFile(s.temp, s.target) != 0) {
    Os_Remove(s.temp);
    return 1;
  }
  return 0;
}

int Fio_CancelWrite(void) {
  FioWriteStream& s = g_fioWrite;
  if (s.handle == HANDLE_CLOSED) return 3;
  WriteFail(0);
  return 0;
}

int Fio_WriteU16(u16 value) {
  int r = Fio_WriteByte(u8(value));
  return r ? r : Fio_WriteByte(u8(value >> 8));
}

int Fio_WriteU32(u32 value) {
  int r = Fio_WriteU16(u16(value));
  return r ? r : Fio_WriteU16(u16(value >> 16));
}

int Fio_WriteChar(u32 ch) {
  FioWriteStream& s = g_fioWrite;
  int mode = s.textMode ? s.textMode : (UseWideApi ? TM_LE : TM_ANSI);
  if (mode == TM_LE) return Fio_WriteU16(u16(ch));
  if (mode == TM_BE) {
    int r = Fio_WriteByte(u8(ch >> 8));
    return r ? r : Fio_WriteByte(u8(ch));
  }
  if (ch == 0xFEFF || ch == 0xFFFE) return 0;
  wch w[2] = {wch(ch), 0};
  char a[8];
  Lng_WideToAnsi(w, a, sizeof a);
  return Fio_WriteByte(u8(a[0]));
}

int Fio_WriteString(const wch* s) {
  for (; *s; ++s) {
    int r;
    if (*s == '\r' || *s == '\n') {
      // Any of CR, LF, CR LF and LF CR is one line end.
      if ((s[1] == '\r' || s[1] == '\n') && s[1] != s[0]) ++s;
      r = Fio_WriteCrLf();
    } else {
      r = Fio_WriteChar(*s);
    }
    if (r) return r;
  }
  return 0;
}

int Fio_WriteFormat(const wch* fmt, ...) {
  wch line[FIO_FORMAT_MAX + 1];
  va_list ap;
  va_start(ap, fmt);
  Fmt_PrintV(line, FIO_FORMAT_MAX + 1, fmt, ap);
  va_end(ap);
  return Fio_WriteString(line);
}

int Fio_WriteZeroEnded(const wch* s) {
  for (; *s; ++s)
    if (const int r = Fio_WriteU16(*s)) return r;
  return Fio_WriteU16(0);
}

int Fio_WriteCrLf(void) {
  int r = Fio_WriteChar('\r');
  return r ? r : Fio_WriteChar('\n');
}

int Fio_WriteSeparator(void) {
  int r = Fio_WriteCrLf();
  for (int i = 0; i < 60 && !r; ++i) r = Fio_WriteChar('-');
  return r ? r : Fio_WriteCrLf();
}

// ---------------------------------------------------------------- fields

int Fio_ReadField(u32* value, int bytes) {
  int r;
  *value = 0;
  if (bytes == 4) {
    u32 v;
    if ((r = Fio_ReadU32(&v))) return r;
    *value = v;
  } else if (bytes == 2) {
    u16 v;
    if ((r = Fio_ReadU16(&v))) return r;
    *value = v;
  } else {
    u8 v;
    if ((r = Fio_ReadByte(&v))) return r;
    *value = v;
  }
  return 0;
}

int Fio_ReadSignedField(i32* value, int bytes) {
  u32 v;
  const int r = Fio_ReadField(&v, bytes);
  *value = bytes == 1 ? i32(i8(v)) : bytes == 2 ? i32(i16(v)) : i32(v);
  return r;
}

u32 Fio_GetField(FioFields* in, int bytes) {
  u32 value = 0;
  if (!in->error) in->error = Fio_ReadField(&value, bytes);
  return value;
}

i32 Fio_GetSignedField(FioFields* in, int bytes) {
  i32 value = 0;
  if (!in->error) in->error = Fio_ReadSignedField(&value, bytes);
  return value;
}

void Fio_SkipBytes(FioFields* in, u32 n) {
  for (u32 i = 0; i < n && !in->error; ++i) Fio_GetField(in, 1);
}

void Fio_PutField(FioFields* out, u32 value, int bytes) {
  if (out->error) return;
  if (bytes == 4) out->error = Fio_WriteU32(value);
  else if (bytes == 2) out->error = Fio_WriteU16(u16(value));
  else out->error = Fio_WriteByte(u8(value));
}

int Fio_KeepCode(FioFields* fields, int code) {
  if (!fields->error) fields->error = code;
  return fields->error;
}

#include "render/gfxfile.h"

#include <cstring>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"

// ================================================================ write sink
// Every writer goes through these helpers. In measuring mode nothing is
// written and the bytes are only counted, so that the combined writers can
// fill in the offsets of records before they write them.

static int s_measure;
static u32 s_measured;

static int W8(u8 v) {
  if (s_measure) {
    s_measured += 1;
    return 0;
  }
  return Fio_WriteByte(v);
}

static int W16(u16 v) {
  if (s_measure) {
    s_measured += 2;
    return 0;
  }
  return Fio_WriteU16(v);
}

static int W32(u32 v) {
  if (s_measure) {
    s_measured += 4;
    return 0;
  }
  return Fio_WriteU32(v);
}

static int WBlock(const void* p, u32 n) {
  if (s_measure) {
    s_measured += n;
    return 0;
  }
  return n ? Fio_WriteBlock(p, n) : 0;
}

// Text ended by the byte 0x1A (the terminator of every header and label).
static int WText1A(const char* text) {
  int r = 0;
  if (text) r = WBlock(text, u32(strlen(text)));
  return r ? r : W8(0x1A);
}

// Runs fn in measuring mode and gives the number of bytes it would write.
template <typename F>
static u32 Measure(F fn) {
  int old = s_measure;
  u32 oldCount = s_measured;
  s_measure = 1;
  s_measured = 0;
  fn();
  u32 n = s_measured;
  s_measure = old;
  s_measured = oldCount;
  return n;
}

// Opens name for writing, runs the writer and closes; a failure cancels so
// that an old file of that name stays.
template <typename F>
static int SaveWith(const wch* name, int folder, F fn) {
  int r = Fio_OpenWrite(name, FIO_ANSI, folder);
  if (r) return r;
  r = fn();
  if (r) {
    Fio_CancelWrite();
    Gfx_ResetRleWriter();
    return r;
  }
  return Fio_CloseWrite();
}

// ================================================================ read helpers

static int R8(u8* v) { return Fio_ReadByte(v); }
static int R16(u16* v) { return Fio_ReadU16(v); }
static int R32(u32* v) { return Fio_ReadU32(v); }
// The end of data inside a structure is a read error, not an end.
static int RErr(int r) { return r == 1 ? 2 : r; }

static int ReadMagic(char* out3) {
  u8 b[3];
  if (Fio_ReadBlock(b, 3) != 3) return 2;
  out3[0] = char(b[0]);
  out3[1] = char(b[1]);
  out3[2] = char(b[2]);
  return 0;
}

// Skips a text up to and including its 0x1A; limit bounds the search.
static int SkipText1A(u32 limit) {
  for (u32 i = 0; i < limit; ++i) {
    u8 c;
    int r = R8(&c);
    if (r) return RErr(r);
    if (c == 0x1A) return 0;
  }
  return 2;
}

// ================================================================ pixel stream

static u32 s_rleReadLeft;   // pixels left in the current run
static u32 s_rleReadValue;
static u32 s_rleWriteValue = GFX_RLE_FLUSH;  // pending value, FLUSH = none
static u32 s_rleWriteCount;

int Gfx_ReadRleU32(u32* pixel) {
  if (!pixel) {
    s_rleReadLeft = 0;
    return 0;
  }
  if (s_rleReadLeft) {
    s_rleReadLeft--;
    *pixel = s_rleReadValue;
    return 0;
  }
  u32 w;
  int r = Fio_ReadU32(&w);
  if (r) return RErr(r);
  if ((w >> 24) != 0xC0) {
    *pixel = w;
    return 0;
  }
  u32 n = (w & 0xFF) + 2;
  if (w & 0x10000) {
    s_rleReadValue = GFX_TRANSPARENT;
  } else if ((r = Fio_ReadU32(&s_rleReadValue)) != 0) {
    return RErr(r);
  }
  s_rleReadLeft = n - 1;
  *pixel = s_rleReadValue;
  return 0;
}

// Pixel data is most of every graphics file: its words come through the
// stream's inline word path, and runs are filled here in one go.
int Gfx_ReadRleBlock(u32* out, u32 n) {
  u32 i = 0;
  while (i < n) {
    if (s_rleReadLeft) {
      const u32 k = s_rleReadLeft < n - i ? s_rleReadLeft : n - i;
      for (u32 j = 0; j < k; ++j) out[i + j] = s_rleReadValue;
      s_rleReadLeft -= k;
      i += k;
      continue;
    }
    u32 w;
    int r = Fio_ReadU32Fast(&w);
    if (r) return RErr(r);
    if ((w >> 24) != 0xC0) {
      out[i++] = w;
      continue;
    }
    u32 value = GFX_TRANSPARENT;
    if (!(w & 0x10000) && (r = Fio_ReadU32Fast(&value)) != 0) return RErr(r);
    s_rleReadValue = value;
    s_rleReadLeft = (w & 0xFF) + 2;
  }
  return 0;
}

static int RleWritePending(void) {
  int r = 0;
  u32 v = s_rleWriteValue, n = s_rleWriteCount;
  s_rleWriteValue = GFX_RLE_FLUSH;
  s_rleWriteCount = 0;
  if (n == 0) return 0;
  if (n == 1) return W32(v);
  if (v == GFX_TRANSPARENT) return W32(0xC0010000u | (n - 2));
  r = W32(0xC0000000u | (n - 2));
  return r ? r : W32(v);
}

int Gfx_WriteRleU32(u32 pixel) {
  if (pixel == GFX_RLE_FLUSH) return RleWritePending();
  if ((pixel >> 24) == 0xC0) return GFXW_BAD_INPUT;
  if (s_rleWriteCount && pixel == s_rleWriteValue) {
    if (++s_rleWriteCount == 257) return RleWritePending();
    return 0;
  }
  int r = RleWritePending();
  if (r) return r;
  s_rleWriteValue = pixel;
  s_rleWriteCount = 1;
  return 0;
}

void Gfx_ResetRleWriter(void) {
  s_rleWriteValue = GFX_RLE_FLUSH;
  s_rleWriteCount = 0;
}

int Gfx_WriteRleBlock(const u32* pixels, u32 n) {
  for (u32 i = 0; i < n; ++i) {
    int r = Gfx_WriteRleU32(pixels[i]);
    if (r) {
      Gfx_ResetRleWriter();
      return r;
    }
  }
  return Gfx_WriteRleU32(GFX_RLE_FLUSH);
}

static int AnyUnstorable(const u32* p, u32 n) {
  for (u32 i = 0; i < n; ++i)
    if ((p[i] >> 24) == 0xC0) return 1;
  return 0;
}

// Writes a picture of w x h stored top row first, bottom row first.
static int WriteRowsBottomUp(const u32* pixels, u32 w, u32 h) {
  for (u32 row = h; row-- > 0;) {
    const u32* p = pixels + row * w;
    for (u32 i = 0; i < w; ++i) {
      int r = Gfx_WriteRleU32(p[i]);
      if (r) {
        Gfx_ResetRleWriter();
        return r;
      }
    }
  }
  return Gfx_WriteRleU32(GFX_RLE_FLUSH);
}

// Reads w x h pixels of a file (bottom row first) into a block stored top
// row first.
static int ReadRowsBottomUp(u32* pixels, u32 w, u32 h) {
  Gfx_ReadRleU32(nullptr);
  for (u32 row = h; row-- > 0;) {
    int r = Gfx_ReadRleBlock(pixels + row * w, w);
    if (r) return r;
  }
  return 0;
}

// ================================================================ "orba.gzg"

u8 GfxFile_MapBaseByte(u8 b) {
  switch (b) {
    case 1: return 144;
    case 5: return 1;
    case 7: return 34;
    case 12: return 20;
    case 15: return 36;
    case 23: return 18;
    case 26: return 98;
    case 40: return 40;
    case 44: return 24;
    default: return 0;
  }
}

int GfxFile_WriteBase(const GfxBaseFile* file) {
  if (!file) return GFXW_BAD_INPUT;
  for (int blk = 0; blk < GFX_BASE_BLOCKS; ++blk) {
    if (file->eightBit[blk]) continue;
    for (int n = blk * GFX_BASE_PER_BLOCK; n < (blk + 1) * GFX_BASE_PER_BLOCK; ++n)
      for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 8; ++col) {
          u8 v = file->pixels[n][row][col];
          if (v > 15 && v != 255) return GFXW_BAD_INPUT;
        }
  }
  int r;
  for (int blk = 0; blk < GFX_BASE_BLOCKS; ++blk) {
    if (file->eightBit[blk] && (r = W16(0xFFFF)) != 0) return r;
    if ((r = W16(GFX_BASE_PER_BLOCK)) != 0 || (r = W16(0)) != 0) return r;
    for (int n = blk * GFX_BASE_PER_BLOCK; n < (blk + 1) * GFX_BASE_PER_BLOCK; ++n) {
      for (int row = 0; row < 16; ++row) {
        const u8* px = file->pixels[n][row];
        if (file->eightBit[blk]) {
          if ((r = WBlock(px, 8)) != 0) return r;
          continue;
        }
        u8 bytes[5] = {0, 0, 0, 0, 0};
        for (int col = 0; col < 8; ++col) {
          u8 bit = u8(0x80 >> col);
          if (px[col] == 255) {
            bytes[4] |= bit;
            continue;
          }
          for (int plane = 0; plane < 4; ++plane)
            if (px[col] & (1 << plane)) bytes[plane] |= bit;
        }
        if ((r = WBlock(bytes, 5)) != 0) return r;
      }
    }
  }
  return 0;
}

int GfxFile_SaveBase(const wch* name, int folder, const GfxBaseFile* file) {
  return SaveWith(name, folder, [&] { return GfxFile_WriteBase(file); });
}

int GfxFile_ReadBaseBlockHead(int* mode) {
  u16 first, count, reserved;
  if (R16(&first)) return 2;
  *mode = GFX_BASE_PLANAR;
  if (first == 0xFFFF) {
    *mode = GFX_BASE_8BIT;
    if (R16(&count)) return 2;
  } else {
    count = first;
  }
  if (count != GFX_BASE_PER_BLOCK) return 2;
  if (R16(&reserved) || reserved != 0) return 2;
  return 0;
}

int Gfx_DecodeBasePicture(u8* target, i32 stride, int mode) {
  const int eight = mode == GFX_BASE_8BIT;
  for (int row = 0; row < 16; ++row) {
    u8 bytes[8];
    const u32 want = eight ? 8 : 5;
    if (Fio_ReadBlock(bytes, want) != want) return 2;
    u8* px = target + row * stride;
    if (eight) {
      for (int col = 0; col < 8; ++col) px[col] = GfxFile_MapBaseByte(bytes[col]);
      continue;
    }
    for (int col = 0; col < 8; ++col) {
      const u8 bit = u8(0x80 >> col);
      if (bytes[4] & bit) {
        px[col] = 255;
        continue;
      }
      u8 v = 0;
      for (int plane = 0; plane < 4; ++plane)
        if (bytes[plane] & bit) v |= u8(1 << plane);
      px[col] = v;
    }
  }
  return 0;
}

int GfxFile_ReadBase(u8 (*out)[16][8]) {
  for (int blk = 0; blk < GFX_BASE_BLOCKS; ++blk) {
    int mode;
    if (GfxFile_ReadBaseBlockHead(&mode)) return 2;
    for (int n = blk * GFX_BASE_PER_BLOCK; n < (blk + 1) * GFX_BASE_PER_BLOCK; ++n)
      if (Gfx_DecodeBasePicture(&out[n][0][0], 8, mode)) return 2;
  }
  return 0;
}

// ================================================================ element records

i32 GfxFile_ScaledOffset(const GfxElementRecord* rec, int i) {
  int z = rec->zoom ? rec->zoom : 1;
  return rec->offsets[i] / z;
}

static int ZoomOk(int z) { return z == 1 || z == 2 || z == 4; }

static i32 NameLength(const wch* s, i32 max) {
  i32 n = 0;
  while (n <= max && s[n]) ++n;
  return n;
}

static int WriteName(const GfxElementRecord* rec) {
  int r;
  i32 n = NameLength(rec->name, GFX_NAME_MAX);
  if (rec->nameForm == GFX_NAME_NONE || n == 0) return W8(0);
  if (rec->nameForm == GFX_NAME_ANSI) {
    char buf[GFX_NAME_MAX * 2 + 2];
    int len = Lng_WideToAnsi(rec->name, buf, sizeof buf);
    if (len < 1 || len - 1 > GFX_NAME_MAX) return GFXW_BAD_INPUT;
    return WBlock(buf, u32(len));
  }
  int be = rec->nameForm == GFX_NAME_UTF16BE;
  if ((r = W8(be ? 0xFE : 0xFF)) || (r = W8(be ? 0xFF : 0xFE))) return r;
  for (i32 i = 0; i <= n; ++i) {
    u16 c = rec->name[i];
    if (be) {
      if ((r = W8(u8(c >> 8))) || (r = W8(u8(c)))) return r;
    } else if ((r = W16(c)) != 0) {
      return r;
    }
  }
  return 0;
}

static int CheckWritable(const GfxElementRecord* rec) {
  if (!rec || !ZoomOk(rec->zoom) || rec->count > GFX_RECORD_PICTURES) return GFXW_BAD_INPUT;
  if (rec->nameForm > GFX_NAME_UTF16BE) return GFXW_BAD_INPUT;
  if (rec->nameForm != GFX_NAME_NONE && NameLength(rec->name, GFX_NAME_MAX) > GFX_NAME_MAX) return GFXW_BAD_INPUT;
  for (u32 i = 0; i < rec->count; ++i) {
    const GfxPicture& p = rec->pictures[i];
    u32 n = (p.width > 0 && p.height > 0) ? u32(p.width) * u32(p.height) : 0;
    if (n && !p.pixels) return GFXW_BAD_INPUT;
    if (n && AnyUnstorable(p.pixels, n)) return GFXW_BAD_INPUT;
  }
  return 0;
}

static int WriteRecordBody(const GfxElementRecord* rec) {
  int r;
  if ((r = WBlock("GZG", 3)) || (r = W8(u8('0' + rec->zoom)))) return r;
  // The version word stands high byte first: 900, then the second half.
  if ((r = W8(900 >> 8)) || (r = W8(900 & 0xFF)) || (r = W8(0)) || (r = W8(rec->versionHalf))) return r;
  if ((r = W32(rec->flags)) != 0) return r;
  if (rec->flags & 3)
    for (int i = 0; i < 3; ++i)
      if ((r = W32(u32(rec->offsets[i]))) != 0) return r;
  if (rec->flags & 4) {
    const u32 words[10] = {1, rec->placeKind, rec->box[0], rec->box[1], rec->box[2],
                           rec->box[3], rec->placeValue, rec->kept[0], rec->kept[1], rec->lastWord};
    for (u32 w : words)
      if ((r = W32(w)) != 0) return r;
  }
  if ((r = W16(rec->count)) || (r = WriteName(rec))) return r;
  for (u32 i = 0; i < rec->count; ++i) {
    const GfxPicture& p = rec->pictures[i];
    if ((r = W16(u16(p.layer))) || (r = W16(u16(p.x))) || (r = W16(u16(p.y))) || (r = W16(u16(p.width))) ||
        (r = W16(u16(p.height))))
      return r;
    u32 w = p.width > 0 ? u32(p.width) : 0, h = p.height > 0 ? u32(p.height) : 0;
    if ((r = WriteRowsBottomUp(p.pixels, w, h)) != 0) return r;
  }
  return 0;
}

int GfxFile_WriteElementRecord(const GfxElementRecord* rec) {
  int r = CheckWritable(rec);
  return r ? r : WriteRecordBody(rec);
}

void GfxFile_FreeElementRecord(GfxElementRecord* rec) {
  if (!rec) return;
  for (int i = 0; i < GFX_RECORD_PICTURES; ++i) {
    Heap_Free(rec->pictures[i].pixels);
    rec->pictures[i].pixels = nullptr;
  }
  rec->count = 0;
}

static int ReadName(GfxElementRecord* rec) {
  u8 b0, b1;
  int r;
  rec->name[0] = 0;
  rec->nameForm = GFX_NAME_NONE;
  if ((r = R8(&b0)) != 0) return RErr(r);
  if (b0 == 0) return 0;
  if ((r = R8(&b1)) != 0) return RErr(r);
  if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
    int be = b0 == 0xFE;
    rec->nameForm = be ? GFX_NAME_UTF16BE : GFX_NAME_UTF16LE;
    for (int i = 0;; ++i) {
      u8 lo, hi;
      if ((r = R8(be ? &hi : &lo)) || (r = R8(be ? &lo : &hi))) return RErr(r);
      wch c = wch(lo | (hi << 8));
      if (c == 0) {
        rec->name[i] = 0;
        return 0;
      }
      if (i == GFX_NAME_MAX) return GFXR_NAME_TOO_LONG;
      rec->name[i] = c;
    }
  }
  char buf[GFX_NAME_MAX + 1];
  buf[0] = char(b0);
  buf[1] = char(b1);
  int n = 2;
  if (b1 != 0) {
    for (;;) {
      u8 c;
      if ((r = R8(&c)) != 0) return RErr(r);
      if (c == 0) break;
      if (n == GFX_NAME_MAX) return GFXR_NAME_TOO_LONG;
      buf[n++] = char(c);
    }
    buf[n] = 0;
  }
  rec->nameForm = GFX_NAME_ANSI;
  if (Lng_AnsiToWide(buf, rec->name, GFX_NAME_MAX + 1) < 1) rec->name[0] = 0;
  return 0;
}

static int ReadRecordInner(int zoom, GfxElementRecord* rec) {
  char magic[3];
  u8 digit, v[4];
  int r;
  if (ReadMagic(magic) || R8(&digit)) return GFXR_READ_ERROR;
  if (memcmp(magic, "GZG", 3) != 0 || digit != u8('0' + zoom)) return GFXR_BAD_MAGIC;
  if (Fio_ReadBlock(v, 4) != 4) return GFXR_READ_ERROR;
  u32 first = u32(v[0] << 8 | v[1]), second = u32(v[2] << 8 | v[3]);
  if (v[0] == 0) return GFXR_VERSION_ZERO;
  if (first < 900) return GFXR_VERSION_LOW;
  if (first > 900) return GFXR_VERSION_HIGH;
  if (second == 1 || second == 2) return GFXR_VERSION_HALF;
  if (second > 3) return GFXR_VERSION_HALF_HIGH;
  rec->zoom = u8(zoom);
  rec->versionHalf = u8(second);
  if ((r = R32(&rec->flags)) != 0) return RErr(r);
  if (!(rec->flags & 2)) return GFXR_NO_FLAG_BIT1;
  rec->flags &= ~0x200u;
  for (int i = 0; i < 3; ++i)
    if ((r = R32((u32*)&rec->offsets[i])) != 0) return RErr(r);
  rec->placeKind = 0;
  rec->box[0] = rec->box[1] = rec->box[2] = rec->box[3] = 0;
  rec->placeValue = 2;
  rec->kept[0] = rec->kept[1] = 0;
  rec->lastWord = 0;
  if (rec->flags & 4) {
    u32 w[10];
    for (u32& x : w)
      if ((r = R32(&x)) != 0) return RErr(r);
    if (w[0] != 1) return GFXR_BAD_PLACEMENT;
    rec->placeKind = w[1];
    for (int i = 0; i < 4; ++i) rec->box[i] = w[2 + i];
    rec->placeValue = w[6];
    rec->kept[0] = w[7];
    rec->kept[1] = w[8];
    rec->lastWord = w[9];
  }
  u16 count;
  if ((r = R16(&count)) != 0) return RErr(r);
  if (count < 1 || count > GFX_RECORD_PICTURES) return GFXR_BAD_COUNT;
  if ((r = ReadName(rec)) != 0) return r;
  const i32 z = zoom;
  for (u32 i = 0; i < count; ++i) {
    u16 f[5];
    for (u16& x : f)
      if ((r = R16(&x)) != 0) return RErr(r);
    GfxPicture& p = rec->pictures[i];
    p.layer = i16(f[0]);
    p.x = i16(f[1]);
    p.y = i16(f[2]);
    p.width = i16(f[3]);
    p.height = i16(f[4]);
    if (p.layer < 1 || p.layer > 5) return GFXR_BAD_LAYER;
    if (p.x < -32 * z || p.x >= 64 * z) return GFXR_BAD_X;
    if (p.y < -16 * z || p.y >= 96 * z) return GFXR_BAD_Y;
    if (p.width < 1 || p.x + p.width > 64 * z) return GFXR_BAD_WIDTH;
    if (p.height < 1 || p.y + p.height > 96 * z) return GFXR_BAD_HEIGHT;
    u32 n = u32(p.width) * u32(p.height);
    p.pixels = (u32*)Heap_Alloc(n * 4);
    if (!p.pixels) return GFXR_NO_MEMORY;
    rec->count = u16(i + 1);
    if ((r = ReadRowsBottomUp(p.pixels, u32(p.width), u32(p.height))) != 0) return r;
  }
  return 0;
}

int GfxFile_ReadElementRecord(int zoom, GfxElementRecord* rec) {
  memset(rec, 0, sizeof *rec);
  if (!ZoomOk(zoom)) return GFXR_BAD_MAGIC;
  int r = ReadRecordInner(zoom, rec);
  if (r) GfxFile_FreeElementRecord(rec);
  return r;
}

// ================================================================ single element files

int GfxFile_WriteSingleElement(const char* header, const GfxElementRecord* rec) {
  int r = CheckWritable(rec);
  if (r) return r;
  if ((r = WText1A(header)) != 0) return r;
  return WriteRecordBody(rec);
}

int GfxFile_SaveSingleElement(const wch* name, int folder, const char* header, const GfxElementRecord* rec) {
  int r = CheckWritable(rec);
  if (r) return r;
  return SaveWith(name, folder, [&] { return GfxFile_WriteSingleElement(header, rec); });
}

int Gfx_ReadSingleElementFile(const wch* name, int folder, int zoom, GfxElementRecord* rec) {
  memset(rec, 0, sizeof *rec);
  if (Fio_IsReadOpen()) return GFXR_READ_ERROR;
  if (Fio_OpenRead(name, FIO_SKIP_TO_CTRLZ, folder) != 0) return GFXR_NOT_PRESENT;
  int r = GfxFile_ReadElementRecord(zoom, rec);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  return r;
}

// ================================================================ combined element files

enum { COMBINED_ENTRY = 24, COMBINED_KEY = 28 };

static u32 LabelLength(const char* s) { return s ? u32(strlen(s)) : 0; }

int GfxFile_WriteCombined(const char* header, const char* magic, int zoom, const GfxCombinedEntry* entries,
                          u32 count) {
  if (!magic || strlen(magic) != 3 || !ZoomOk(zoom) || (count && !entries)) return GFXW_BAD_INPUT;
  for (u32 i = 0; i < count; ++i) {
    const GfxCombinedEntry& e = entries[i];
    if (e.code == 0xFFFFFFFFu || !e.record || e.record->zoom != zoom) return GFXW_BAD_INPUT;
    if (i && entries[i - 1].code > e.code) return GFXW_BAD_INPUT;
    if (CheckWritable(e.record)) return GFXW_BAD_INPUT;
    for (const char* l = e.label; l && *l; ++l)
      if (*l == 0x1A) return GFXW_BAD_INPUT;
  }
  int r;
  if ((r = WText1A(header)) || (r = WBlock(magic, 3)) || (r = W8(u8('0' + zoom)))) return r;
  // Offsets from the magic: the magic and digit, the index with its closing
  // entry, then the records in entry order.
  u32 offset = 4 + (count + 1) * COMBINED_ENTRY;
  for (u32 i = 0; i < count; ++i) {
    const GfxCombinedEntry& e = entries[i];
    const u32 key[6] = {e.code, e.state, e.subPicture, e.variant, u32(zoom), offset};
    for (u32 w : key)
      if ((r = W32(w)) != 0) return r;
    u32 size = Measure([&] { return WriteRecordBody(e.record); });
    offset += COMBINED_KEY + LabelLength(e.label) + 1 + size;
  }
  for (int i = 0; i < 6; ++i)
    if ((r = W32(i == 0 ? 0xFFFFFFFFu : 0)) != 0) return r;
  for (u32 i = 0; i < count; ++i) {
    const GfxCombinedEntry& e = entries[i];
    u32 size = Measure([&] { return WriteRecordBody(e.record); });
    const u32 key[7] = {e.code, e.state, e.subPicture, e.variant, u32(zoom), size, 0};
    for (u32 w : key)
      if ((r = W32(w)) != 0) return r;
    if ((r = WText1A(e.label)) || (r = WriteRecordBody(e.record))) return r;
  }
  return 0;
}

int GfxFile_SaveCombined(const wch* name, int folder, const char* header, const char* magic, int zoom,
                         const GfxCombinedEntry* entries, u32 count) {
  return SaveWith(name, folder, [&] { return GfxFile_WriteCombined(header, magic, zoom, entries, count); });
}

static u32 GetU32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }

// Checks magic, digit and index of the bytes in file->data.
static int IndexCombined(const char* magic, int zoom, GfxCombinedFile* file) {
  const u8* d = file->data;
  if (file->size < 4) return 2;
  if (!magic || memcmp(d, magic, 3) != 0 || d[3] != u8('0' + zoom)) return 4;
  u32 n = 0;
  for (u32 pos = 4;; pos += COMBINED_ENTRY, ++n) {
    if (file->size - pos < COMBINED_ENTRY) return 2;
    if (GetU32(d + pos) == 0xFFFFFFFFu) break;
  }
  file->indexCount = n;
  file->zoom = zoom;
  return 0;
}

void GfxFile_FreeCombined(GfxCombinedFile* file) {
  if (!file) return;
  Heap_Free(file->data);
  memset(file, 0, sizeof *file);
}

int GfxFile_OpenCombinedMemory(const u8* data, u32 size, const char* magic, int zoom, GfxCombinedFile* file) {
  memset(file, 0, sizeof *file);
  if (!ZoomOk(zoom)) return 4;
  if (!data || size == 0) return 2;
  file->data = (u8*)Heap_Alloc(size);
  if (!file->data) return 14;
  memcpy(file->data, data, size);
  file->size = size;
  int r = IndexCombined(magic, zoom, file);
  if (r) GfxFile_FreeCombined(file);
  return r;
}

int GfxFile_LoadCombined(const wch* name, int folder, const char* magic, int zoom, GfxCombinedFile* file) {
  memset(file, 0, sizeof *file);
  if (!ZoomOk(zoom)) return 4;
  if (Fio_IsReadOpen()) return 2;
  i32 total = Fio_GetFileSize(name, folder);
  if (total < 0) return 3;
  if (total == 0) return 2;
  file->data = (u8*)Heap_Alloc(u32(total));
  if (!file->data) return 14;
  if (Fio_OpenRead(name, FIO_SKIP_TO_CTRLZ, folder) != 0) {
    GfxFile_FreeCombined(file);
    return 2;
  }
  // The header was skipped: what follows is less than the whole file.
  file->size = Fio_ReadBlock(file->data, u32(total));
  Fio_CloseRead();
  int r = IndexCombined(magic, zoom, file);
  if (r) GfxFile_FreeCombined(file);
  return r;
}

int Gfx_FindCombinedRecord(const GfxCombinedFile* file, u32 code, u32 state, u32 subPicture, u32 variant,
                         u32* offset) {
  if (!file || !file->data) return 3;
  const u8* idx = file->data + 4;
  // Binary search for the first entry of the code; a file whose index is not
  // sorted is still searched in order up to the first greater code.
  u32 lo = 0, hi = file->indexCount;
  while (lo < hi) {
    u32 mid = lo + (hi - lo) / 2;
    if (GetU32(idx + mid * COMBINED_ENTRY) < code)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < file->indexCount && GetU32(idx + lo * COMBINED_ENTRY) != code) lo = 0;
  for (u32 i = lo; i < file->indexCount; ++i) {
    const u8* e = idx + i * COMBINED_ENTRY;
    u32 c = GetU32(e);
    if (c > code) return 3;
    if (c == code && GetU32(e + 4) == state && GetU32(e + 8) == subPicture && GetU32(e + 12) == variant &&
        GetU32(e + 16) == u32(file->zoom)) {
      *offset = GetU32(e + 20);
      return 0;
    }
  }
  return 3;
}

int GfxFile_ReadCombined(const GfxCombinedFile* file, u32 code, u32 state, u32 subPicture, u32 variant,
                         GfxElementRecord* rec) {
  memset(rec, 0, sizeof *rec);
  u32 offset;
  if (Gfx_FindCombinedRecord(file, code, state, subPicture, variant, &offset) != 0) return GFXR_NOT_PRESENT;
  if (offset > file->size || file->size - offset < COMBINED_KEY) return GFXR_READ_ERROR;
  const u8* at = file->data + offset;
  const u32 key[5] = {code, state, subPicture, variant, u32(file->zoom)};
  for (int i = 0; i < 5; ++i)
    if (GetU32(at + 4 * i) != key[i]) return GFXR_READ_ERROR;
  if (Fio_OpenReadMemory(at + COMBINED_KEY, file->size - offset - COMBINED_KEY) != 0) return GFXR_READ_ERROR;
  int r = SkipText1A(file->size - offset - COMBINED_KEY);
  if (!r) r = GfxFile_ReadElementRecord(file->zoom, rec);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  return r;
}

// ================================================================ vehicle file

u32 GfxFile_VehiclePixelCount(u32 length, u32 a, u32 b, u32 c, u32 flags) {
  u32 n = 2 * (length * a + b * c + (length / 2) * b);
  if (flags & GFX_VF_EXTRA_VIEWS) n += 2 * b * c;
  if (flags & GFX_VF_DOUBLE) n += 2 * (length * a + (length / 2) * b);
  u32 extra = (flags & GFX_VF_DOUBLE) ? 2 * length * a : length * a;
  if (flags & GFX_VF_EXTRA_1) n += extra;
  if (flags & GFX_VF_EXTRA_2) n += extra;
  return n;
}

u16 GfxFile_VehicleRecordFlags(u32 f) {
  u16 r = 0;
  if (f & (1u << 6)) r |= 1;
  if (f & (1u << 0)) r |= 8;
  if (f & (1u << 15)) r |= 16;
  if (f & (1u << 7)) r |= 32;
  if (f & (1u << 8)) r |= 64;
  if (f & (1u << 10)) r |= 128;
  return r;
}

static int VersionListed(u16 v) {
  return v == GFX_FZG_V3506 || v == GFX_FZG_V3509 || v == GFX_FZG_V3830 || v == GFX_FZG_V3840 ||
         v == GFX_FZG_V3850 || v == GFX_FZG_V3853;
}

static int WriteVehicleSetRecord(const GfxVehicleSet* s, int user, u16 version) {
  int r;
  if ((r = W16(s->number)) || (r = W16(s->count)) || (r = W32(s->flags))) return r;
  if (user) {
    if ((r = W32(s->textLength)) != 0) return r;
    for (u32 i = 0; i < s->textLength; ++i) {
      if (version >= GFX_FZG_V3850) {
        if ((r = W16(s->texts[i])) != 0) return r;
      } else if ((r = W8(u8(s->texts[i]))) != 0) {
        return r;
      }
    }
  } else if (version >= GFX_FZG_V3850) {
    if ((r = W32(s->textNumber)) != 0) return r;
  } else if ((r = W16(u16(s->textNumber))) != 0) {
    return r;
  }
  for (u32 i = 0; i < s->count; ++i) {
    const GfxVehicle& v = s->vehicles[i];
    if ((r = W8(v.index)) || (r = W16(v.length)) || (r = W16(v.a)) || (r = W16(v.b)) || (r = W16(v.c)) ||
        (r = W32(v.flags)) || (r = W8(v.markerCount)))
      return r;
    for (u32 m = 0; m < v.markerCount; ++m)
      if ((r = W16(v.markers[m].position)) || (r = W16(v.markers[m].value)) || (r = W16(v.markers[m].kind)))
        return r;
    if ((r = Gfx_WriteRleBlock(v.pixels, v.pixelCount)) != 0) return r;
  }
  return 0;
}

static int VehicleSetWritable(const GfxVehicleSet* s, int user, u16 version) {
  if (s->number == 0 || s->count > GFX_SET_VEHICLES) return GFXW_BAD_INPUT;
  if (user && s->textLength && !s->texts) return GFXW_BAD_INPUT;
  if (user && version < GFX_FZG_V3850)
    for (u32 i = 0; i < s->textLength; ++i)
      if (s->texts[i] > 0xFF) return GFXW_BAD_INPUT;
  for (u32 i = 0; i < s->count; ++i) {
    const GfxVehicle& v = s->vehicles[i];
    if (v.markerCount > GFX_VEHICLE_MARKERS) return GFXW_BAD_INPUT;
    if (v.pixelCount && (!v.pixels || AnyUnstorable(v.pixels, v.pixelCount))) return GFXW_BAD_INPUT;
  }
  return 0;
}

int GfxFile_WriteVehicleFile(const GfxVehicleSet* sets, u32 count, int user, u16 version) {
  if (version < GFX_FZG_V3830 || !VersionListed(version) || (count && !sets) || count > 0xFFFF)
    return GFXW_BAD_INPUT;
  for (u32 i = 0; i < count; ++i)
    if (VehicleSetWritable(&sets[i], user, version)) return GFXW_BAD_INPUT;
  int r;
  if ((r = W8(0x46)) || (r = W8(0x5A)) || (r = W8(0xC7)) || (r = W8(u8(version >> 8))) || (r = W8(u8(version))))
    return r;
  u32 offset = 5 + count * 6 + 2;
  for (u32 i = 0; i < count; ++i) {
    if ((r = W16(sets[i].number)) || (r = W32(offset))) return r;
    offset += Measure([&] { return WriteVehicleSetRecord(&sets[i], user, version); });
  }
  if ((r = W16(0)) != 0) return r;
  for (u32 i = 0; i < count; ++i)
    if ((r = WriteVehicleSetRecord(&sets[i], user, version)) != 0) return r;
  return 0;
}

int GfxFile_SaveVehicleFile(const wch* name, int folder, const GfxVehicleSet* sets, u32 count, int user,
                            u16 version) {
  return SaveWith(name, folder, [&] { return GfxFile_WriteVehicleFile(sets, count, user, version); });
}

int GfxFile_ReadVehicleHeader(u16* version) {
  u8 m[3];
  if (Fio_ReadBlock(m, 3) != 3) return 2;
  if (m[0] == 0x46 && m[1] == 0xDA && m[2] == 0x47) {
    *version = GFX_FZG_V3400;
    return 0;
  }
  if (m[0] != 0x46 || m[1] != 0x5A || m[2] != 0xC7) return GFXV_BAD_MAGIC;
  u8 hi, lo;
  if (R8(&hi) || R8(&lo)) return 2;
  u16 v = u16(hi << 8 | lo);
  if (!VersionListed(v)) return GFXV_BAD_VERSION;
  *version = v;
  return 0;
}

int GfxFile_ReadVehicleIndex(int (*entry)(void* ctx, u16 set, u32 offset), void* ctx) {
  for (;;) {
    u16 set;
    u32 offset;
    if (R16(&set)) return GFXV_INDEX_END;
    if (set == 0) return 0;
    if (R32(&offset)) return GFXV_INDEX_END;
    if (entry && entry(ctx, set, offset)) return 0;
  }
}

void GfxFile_FreeVehicleSet(GfxVehicleSet* set) {
  if (!set) return;
  Heap_Free(set->texts);
  set->texts = nullptr;
  for (GfxVehicle& v : set->vehicles) {
    Heap_Free(v.pixels);
    v.pixels = nullptr;
  }
}

// The user texts: exactly 5 x count + 1 strings, the last ended by the last
// unit.
static int CheckSetTexts(const GfxVehicleSet* s) {
  u32 zeros = 0;
  for (u32 i = 0; i < s->textLength; ++i)
    if (s->texts[i] == 0) ++zeros;
  if (s->texts[s->textLength - 1] != 0 || zeros != 5u * s->count + 1) return GFXV_BAD_STRING_COUNT;
  return 0;
}

static int ReadSetTexts(GfxVehicleSet* s, u16 version) {
  u32 len = s->textLength;
  s->texts = (wch*)Heap_Alloc(len * 2);
  if (!s->texts) return GFXV_NO_MEMORY;
  if (version >= GFX_FZG_V3850) {
    for (u32 i = 0; i < len; ++i)
      if (R16((u16*)&s->texts[i])) return 2;
    return CheckSetTexts(s);
  }
  // 8-bit texts: read whole, then each string through the code page.
  char* raw = (char*)Heap_Alloc(len + 1);
  if (!raw) return GFXV_NO_MEMORY;
  int r = Fio_ReadBlock(raw, len) == len ? 0 : 2;
  raw[len] = 0;
  for (u32 i = 0; i < len && !r; ++i) s->texts[i] = wch(u8(raw[i]));
  if (!r) r = CheckSetTexts(s);
  if (!r) {
    // Converted strings never grow in units; the zeros stay in place.
    u32 pos = 0;
    while (pos < len) {
      u32 n = u32(strlen(raw + pos));
      wch tmp[GFX_SET_TEXT_MAX + 1];
      int got = Lng_AnsiToWide(raw + pos, tmp, int(n + 1));
      if (got < 1) tmp[0] = 0;
      u32 k = 0;
      for (; k < n && tmp[k]; ++k) s->texts[pos + k] = tmp[k];
      for (; k <= n; ++k) s->texts[pos + k] = 0;
      pos += n + 1;
    }
  }
  Heap_Free(raw);
  return r;
}

static int ReadVehicle(GfxVehicle* v) {
  u8 idx;
  u16 f[4];
  int r;
  if ((r = R8(&idx)) != 0) return 2;
  for (u16& x : f)
    if (R16(&x)) return 2;
  v->index = idx;
  v->length = f[0];
  v->a = f[1];
  v->b = f[2];
  v->c = f[3];
  if (idx > 15) return GFXV_BAD_INDEX;
  if (v->length < 8 || v->length > 256) return GFXV_BAD_LENGTH;
  if (v->a < 2 || v->a > 14) return GFXV_BAD_A;
  if (v->b < 4 || v->b > 16) return GFXV_BAD_B;
  if (v->c < 2 || v->c > 14) return GFXV_BAD_C;
  if (R32(&v->flags) || R8(&v->markerCount)) return 2;
  if (v->markerCount > GFX_VEHICLE_MARKERS) return GFXV_BAD_MARKER_COUNT;
  for (u32 m = 0; m < v->markerCount; ++m) {
    GfxVehicleMarker& k = v->markers[m];
    if (R16(&k.position) || R16(&k.value) || R16(&k.kind)) return 2;
    if (k.position >= v->length) return GFXV_BAD_MARKER_POS;
    if (k.value < 4 || k.value > 13) return GFXV_BAD_MARKER_VALUE;
  }
  v->pixelCount = GfxFile_VehiclePixelCount(v->length, v->a, v->b, v->c, v->flags);
  v->pixels = (u32*)Heap_Alloc(v->pixelCount * 4);
  if (!v->pixels) return GFXV_NO_MEMORY;
  Gfx_ReadRleU32(nullptr);
  return Gfx_ReadRleBlock(v->pixels, v->pixelCount) ? 2 : 0;
}

struct FindSetCtx {
  u16 number;
  u32 offset;
  u32 entries;
  int found;
};

static int FindSetEntry(void* p, u16 set, u32 offset) {
  FindSetCtx* c = (FindSetCtx*)p;
  c->entries++;
  if (set != c->number) return 0;
  c->found = 1;
  c->offset = offset;
  return 1;
}

// Reads the set from the open read stream at its first byte.
static int ReadVehicleSetStream(u16 number, int user, GfxVehicleSet* s) {
  u16 version;
  int r = GfxFile_ReadVehicleHeader(&version);
  if (r) return r;
  if (version < GFX_FZG_V3830) return GFXV_BAD_VERSION;
  FindSetCtx ctx = {number, 0, 0, 0};
  if ((r = GfxFile_ReadVehicleIndex(FindSetEntry, &ctx)) != 0) return r;
  if (!ctx.found) return GFXV_NOT_IN_INDEX;
  u32 pos = 5 + ctx.entries * 6;
  if (Fio_SeekRead(i32(i64(ctx.offset) - pos)) != 0) return 2;
  u16 n;
  if (R16(&n) || n != number) return 2;
  s->number = n;
  if (R16(&s->count) || R32(&s->flags)) return 2;
  if (s->count < 1 || s->count > GFX_SET_VEHICLES) return GFXV_BAD_VEHICLE_COUNT;
  if (s->flags == 0) return GFXV_FLAGS_ZERO;
  if ((s->flags & 0x8000) && !user) return GFXV_USER_FLAG;
  if (user) {
    if (R32(&s->textLength)) return 2;
    if (s->textLength < 1 || s->textLength > GFX_SET_TEXT_MAX) return GFXV_BAD_TEXT_LENGTH;
    if ((r = ReadSetTexts(s, version)) != 0) return r;
  } else if (version >= GFX_FZG_V3850) {
    if (R32(&s->textNumber)) return 2;
  } else {
    u16 t;
    if (R16(&t)) return 2;
    s->textNumber = t;
  }
  u32 seen = 0;
  for (u32 i = 0; i < s->count; ++i) {
    if ((r = ReadVehicle(&s->vehicles[i])) != 0) return r;
    u32 bit = 1u << s->vehicles[i].index;
    if (seen & bit) return GFXV_DOUBLE_INDEX;
    seen |= bit;
  }
  return 0;
}

int GfxFile_LoadVehicleSet(const wch* name, int folder, u16 number, int user, GfxVehicleSet* set) {
  memset(set, 0, sizeof *set);
  if (Fio_IsReadOpen()) return 2;
  if (Fio_OpenRead(name, 0, folder) != 0) return 3;
  int r = ReadVehicleSetStream(number, user, set);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  if (r) GfxFile_FreeVehicleSet(set);
  return r;
}

int GfxFile_ReadVehicleSetMemory(const u8* data, u32 size, u16 number, int user, GfxVehicleSet* set) {
  memset(set, 0, sizeof *set);
  if (Fio_IsReadOpen() || Fio_OpenReadMemory(data, size) != 0) return 2;
  int r = ReadVehicleSetStream(number, user, set);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  if (r) GfxFile_FreeVehicleSet(set);
  return r;
}

// ================================================================ vehicle zoom files

u32 GfxFile_VehicleZoomFileFlags(u32 zf) {
  u32 f = 0;
  if (zf & 1) f |= GFX_VF_EXTRA_VIEWS;
  if (zf & 4) f |= GFX_VF_DOUBLE;
  if (zf & 8) f |= GFX_VF_EXTRA_1;
  if (zf & 16) f |= GFX_VF_EXTRA_2;
  return f;
}

u32 GfxFile_VehicleZoomPixelCount(const GfxVehicleZoom* rec, u32 fileFlags) {
  u32 f = rec->version == 901 ? GfxFile_VehicleZoomFileFlags(rec->flags) : fileFlags;
  return GfxFile_VehiclePixelCount(rec->length, rec->a, rec->b, rec->c, f);
}

static int WriteZoomRecordBody(const GfxVehicleZoom* rec) {
  int r;
  if ((r = WBlock("FZG", 3)) || (r = W8(u8('0' + rec->zoom))) || (r = W8(u8(rec->version >> 8))) ||
      (r = W8(u8(rec->version))))
    return r;
  if (rec->version == 899) {
    if ((r = W8(u8(rec->versionHalf))) != 0) return r;
  } else {
    if ((r = W8(u8(rec->versionHalf >> 8))) || (r = W8(u8(rec->versionHalf))) || (r = W32(rec->flags))) return r;
  }
  if ((r = W16(rec->length)) || (r = W16(rec->a)) || (r = W16(rec->b)) || (r = W16(rec->c))) return r;
  return Gfx_WriteRleBlock(rec->pixels, rec->pixelCount);
}

static int ZoomRecordWritable(const GfxVehicleZoom* rec) {
  if (!rec || (rec->zoom != 2 && rec->zoom != 4)) return GFXW_BAD_INPUT;
  if (rec->pixelCount && (!rec->pixels || AnyUnstorable(rec->pixels, rec->pixelCount))) return GFXW_BAD_INPUT;
  return 0;
}

int GfxFile_WriteVehicleZoomRecord(const GfxVehicleZoom* rec) {
  int r = ZoomRecordWritable(rec);
  return r ? r : WriteZoomRecordBody(rec);
}

int GfxFile_WriteVehicleZoomFile(int zoom, const GfxVehicleZoom* recs, u32 count) {
  if ((zoom != 2 && zoom != 4) || (count && !recs)) return GFXW_BAD_INPUT;
  for (u32 i = 0; i < count; ++i) {
    if (ZoomRecordWritable(&recs[i]) || recs[i].zoom != zoom || recs[i].id == 0) return GFXW_BAD_INPUT;
    if (i && recs[i - 1].id >= recs[i].id) return GFXW_BAD_INPUT;
  }
  int r;
  if ((r = WBlock("FZX", 3)) || (r = W8(u8('0' + zoom)))) return r;
  u32 offset = 4 + count * 8 + 8;
  for (u32 i = 0; i < count; ++i) {
    if ((r = W32(recs[i].id)) || (r = W32(offset))) return r;
    offset += 12 + 1 + Measure([&] { return WriteZoomRecordBody(&recs[i]); });
  }
  if ((r = W32(0)) || (r = W32(0))) return r;
  for (u32 i = 0; i < count; ++i) {
    u32 size = Measure([&] { return WriteZoomRecordBody(&recs[i]); });
    if ((r = W32(recs[i].id)) || (r = W32(size)) || (r = W32(0)) || (r = W8(0x1A)) ||
        (r = WriteZoomRecordBody(&recs[i])))
      return r;
  }
  return 0;
}

int GfxFile_SaveVehicleZoomFile(const wch* name, int folder, int zoom, const GfxVehicleZoom* recs, u32 count) {
  return SaveWith(name, folder, [&] { return GfxFile_WriteVehicleZoomFile(zoom, recs, count); });
}

int GfxFile_SaveVehicleZoomSingle(const wch* name, int folder, const char* header, const GfxVehicleZoom* rec) {
  int r = ZoomRecordWritable(rec);
  if (r) return r;
  return SaveWith(name, folder, [&] {
    int w = WText1A(header);
    return w ? w : WriteZoomRecordBody(rec);
  });
}

void GfxFile_FreeVehicleZoom(GfxVehicleZoom* rec) {
  if (!rec) return;
  Heap_Free(rec->pixels);
  rec->pixels = nullptr;
}

static int ReadZoomInner(int zoom, u32 length, u32 fileFlags, GfxVehicleZoom* rec) {
  char magic[3];
  u8 digit, vb[2];
  if (ReadMagic(magic) || R8(&digit)) return GFXZ_READ_ERROR;
  if (memcmp(magic, "FZG", 3) != 0 || digit != u8('0' + zoom)) return GFXZ_BAD_ZOOM;
  if (Fio_ReadBlock(vb, 2) != 2) return GFXZ_READ_ERROR;
  u16 v = u16(vb[0] << 8 | vb[1]);
  if (v == 900) return GFXZ_VERSION_900;
  if (v < 899) return GFXZ_VERSION_LOW;
  if (v > 901) return GFXZ_VERSION_HIGH;
  if (v == 899 && zoom == 4) return GFXZ_BAD_ZOOM;
  rec->zoom = u8(zoom);
  rec->version = v;
  if (v == 899) {
    u8 h;
    if (R8(&h)) return GFXZ_READ_ERROR;
    if (h > 3) return GFXZ_VERSION_HALF_HIGH;
    if (h < 2) return GFXZ_VERSION_HALF;
    rec->versionHalf = h;
  } else {
    if (Fio_ReadBlock(vb, 2) != 2) return GFXZ_READ_ERROR;
    u16 h = u16(vb[0] << 8 | vb[1]);
    if (h == 1 || h == 2) return GFXZ_VERSION_HALF;
    if (h > 3) return GFXZ_VERSION_HALF_HIGH;
    rec->versionHalf = h;
    if (R32(&rec->flags)) return GFXZ_READ_ERROR;
    if (!(rec->flags & 2)) return GFXZ_NO_FLAG_BIT1;
  }
  if (R16(&rec->length) || R16(&rec->a) || R16(&rec->b) || R16(&rec->c)) return GFXZ_READ_ERROR;
  const u32 z = u32(zoom);
  if (rec->length != length * z) return GFXZ_BAD_LENGTH;
  if (rec->a < 2 * z || rec->a > 14 * z) return GFXZ_BAD_A;
  if (rec->b < 4 * z || rec->b > 16 * z) return GFXZ_BAD_B;
  if (rec->c < 2 * z || rec->c > 14 * z) return GFXZ_BAD_A;
  rec->pixelCount = GfxFile_VehicleZoomPixelCount(rec, fileFlags);
  rec->pixels = (u32*)Heap_Alloc(rec->pixelCount * 4);
  if (!rec->pixels) return GFXZ_NO_MEMORY;
  Gfx_ReadRleU32(nullptr);
  return Gfx_ReadRleBlock(rec->pixels, rec->pixelCount) ? GFXZ_READ_ERROR : 0;
}

int GfxFile_ReadVehicleZoomRecord(int zoom, u32 length, u32 fileFlags, GfxVehicleZoom* rec) {
  memset(rec, 0, sizeof *rec);
  if (zoom != 2 && zoom != 4) return GFXZ_BAD_ZOOM;
  if (length < 8 || length > 256) return GFXZ_BAD_LENGTH;
  int r = ReadZoomInner(zoom, length, fileFlags, rec);
  if (r) GfxFile_FreeVehicleZoom(rec);
  return r;
}

int GfxFile_ReadVehicleZoomCombined(int zoom, u32 id, u32 length, u32 fileFlags, GfxVehicleZoom* rec) {
  memset(rec, 0, sizeof *rec);
  char magic[3];
  u8 digit;
  if (ReadMagic(magic) || R8(&digit)) return GFXZ_READ_ERROR;
  if (memcmp(magic, "FZX", 3) != 0 || digit != u8('0' + zoom)) return GFXZ_BAD_ZOOM;
  u32 pos = 4, offset = 0;
  int found = 0;
  for (;;) {
    u32 key, off;
    if (R32(&key) || R32(&off)) return GFXZ_READ_ERROR;
    pos += 8;
    if (key == 0 || key > id) break;
    if (key == id) {
      found = 1;
      offset = off;
      break;
    }
  }
  if (!found) return GFXZ_MISSING;
  if (Fio_SeekRead(i32(i64(offset) - pos)) != 0) return GFXZ_READ_ERROR;
  u32 key, size, reserved;
  if (R32(&key) || key != id || R32(&size) || R32(&reserved)) return GFXZ_READ_ERROR;
  if (SkipText1A(0xFFFFFFFFu)) return GFXZ_READ_ERROR;
  return GfxFile_ReadVehicleZoomRecord(zoom, length, fileFlags, rec);
}

// ================================================================ title picture file

static int WriteTitleCodes(const GfxTitlePicture& p) {
  u32 n = u32(p.width) * p.height;
  int r;
  // Bottom row first; runs may go on from one row into the next.
  u32 i = 0;
  auto at = [&](u32 k) { return p.codes[(p.height - 1 - k / p.width) * p.width + k % p.width]; };
  while (i < n) {
    u8 c = at(i);
    u32 run = 1;
    while (i + run < n && run < 259 && at(i + run) == c) ++run;
    if (run >= 4) {
      if ((r = W8(u8(0xC0 | c))) || (r = W8(u8(run - 4)))) return r;
    } else if ((r = W8(u8(((run - 1) << 6) | c))) != 0) {
      return r;
    }
    i += run;
  }
  return 0;
}

static int WriteTitlePicture(int format, const GfxTitlePicture& p) {
  int r;
  if ((r = W16(p.width)) || (r = W16(p.height))) return r;
  if (format == '8') {
    if ((r = W8(u8(p.background))) || (r = W8(0))) return r;
    return WriteTitleCodes(p);
  }
  if ((r = W32(p.background)) != 0) return r;
  for (u32 row = p.height; row-- > 0;)
    for (u32 x = 0; x < p.width; ++x) {
      u32 c = p.colours[row * p.width + x];
      if ((r = Gfx_WriteRleU32(Asm_SwapRedBlue(c))) != 0) {
        Gfx_ResetRleWriter();
        return r;
      }
    }
  return Gfx_WriteRleU32(GFX_RLE_FLUSH);
}

int GfxFile_WriteTitleFile(int format, const GfxTitlePicture* pics, u32 count) {
  if ((format != '8' && format != '9') || count < 1 || !pics) return GFXW_BAD_INPUT;
  if (format == '8' && count > 0xFFFF) return GFXW_BAD_INPUT;
  for (u32 i = 0; i < count; ++i) {
    const GfxTitlePicture& p = pics[i];
    u32 n = u32(p.width) * p.height;
    if (format == '8') {
      if (p.background > 63 || (n && !p.codes)) return GFXW_BAD_INPUT;
      for (u32 k = 0; k < n; ++k)
        if (p.codes[k] > 63) return GFXW_BAD_INPUT;
    } else if (n && !p.colours) {
      return GFXW_BAD_INPUT;
    } else {
      for (u32 k = 0; k < n; ++k)
        if ((Asm_SwapRedBlue(p.colours[k]) >> 24) == 0xC0) return GFXW_BAD_INPUT;
    }
  }
  int r;
  if ((r = W8(0x54)) || (r = W8(0xC2)) || (r = W8(0x44)) || (r = W8(u8(format)))) return r;
  if ((r = (format == '8' ? W16(u16(count)) : W32(count))) != 0) return r;
  u32 offset = 4 + (format == '8' ? 2 : 4) + 4 * count;
  for (u32 i = 0; i < count; ++i) {
    if ((r = W32(offset)) != 0) return r;
    offset += Measure([&] { return WriteTitlePicture(format, pics[i]); });
  }
  for (u32 i = 0; i < count; ++i)
    if ((r = WriteTitlePicture(format, pics[i])) != 0) return r;
  return 0;
}

int GfxFile_SaveTitleFile(const wch* name, int folder, int format, const GfxTitlePicture* pics, u32 count) {
  return SaveWith(name, folder, [&] { return GfxFile_WriteTitleFile(format, pics, count); });
}

int GfxFile_ReadTitleCount(int* format, u32* count) {
  u8 h[4];
  if (Fio_ReadBlock(h, 4) != 4) return GFXT_BAD;
  if (h[0] != 0x54 || h[1] != 0xC2 || h[2] != 0x44 || (h[3] != '8' && h[3] != '9')) return GFXT_BAD;
  *format = h[3];
  if (h[3] == '8') {
    u16 c;
    if (R16(&c)) return GFXT_BAD;
    *count = c;
  } else if (R32(count)) {
    return GFXT_BAD;
  }
  return *count >= 1 ? 0 : GFXT_BAD;
}

void GfxFile_FreeTitleImage(GfxTitleImage* img) {
  if (!img) return;
  Heap_Free(img->pixels);
  img->pixels = nullptr;
}

// Largest title picture taken: far more than any screen, small enough that
// a damaged size cannot ask for an absurd block.
enum { TITLE_MAX_SIDE = 8192 };

static int ReadTitleInner(int format, u32 count, u32 n, GfxTitleImage* out) {
  if (n >= count) return GFXT_BAD;
  u32 pos = 4 + (format == '8' ? 2 : 4);
  u32 offset = 0;
  for (u32 i = 0; i <= n; ++i) {
    if (R32(&offset)) return GFXT_BAD;
    pos += 4;
  }
  if (Fio_SeekRead(i32(i64(offset) - pos)) != 0) return GFXT_BAD;
  u16 w, h;
  if (R16(&w) || R16(&h)) return GFXT_BAD;
  if (w < 1 || h < 1 || w > TITLE_MAX_SIDE || h > TITLE_MAX_SIDE) return GFXT_BAD;
  out->format = format;
  out->count = count;
  out->width = w;
  out->height = h;
  if (format == '8') {
    u8 bg, zero;
    if (R8(&bg) || R8(&zero)) return GFXT_BAD;
    out->background = bg;
  } else if (R32(&out->background)) {
    return GFXT_BAD;
  }
  u32 total = u32(w) * h;
  out->pixels = (u32*)Heap_Alloc(total * 4);
  if (!out->pixels) return GFXT_NO_MEMORY;
  // Stored bottom row first: pixel k of the file is row h-1-k/w.
  auto put = [&](u32 k, u32 v) { out->pixels[(h - 1 - k / w) * w + k % w] = v; };
  if (format == '8') {
    u32 k = 0;
    while (k < total) {
      u8 b;
      if (R8(&b)) return GFXT_BAD;
      u32 run = (b >> 6) + 1;
      if (b >= 0xC0) {
        u8 m;
        if (R8(&m)) return GFXT_BAD;
        run = u32(m) + 4;
      }
      if (run > total - k) return GFXT_BAD;
      for (u32 i = 0; i < run; ++i) put(k++, b % 64);
    }
    return 0;
  }
  Gfx_ReadRleU32(nullptr);
  for (u32 k = 0; k < total; ++k) {
    u32 v;
    if (Gfx_ReadRleU32(&v)) return GFXT_BAD;
    put(k, Asm_SwapRedBlue(v));
  }
  return 0;
}

int GfxFile_ReadTitlePicture(int format, u32 count, u32 n, GfxTitleImage* out) {
  memset(out, 0, sizeof *out);
  int r = ReadTitleInner(format, count, n, out);
  if (r) GfxFile_FreeTitleImage(out);
  return r;
}

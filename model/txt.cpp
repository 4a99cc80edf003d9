#include "model/txt.h"

#include "model/grid.h"
#include "model/layver.h"
#include "model/pointobj.h"
#include "operation/trnquery.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { TXT_TAG = 0x4E544B5A };  // "ZKTN"
enum : u16 { TXT_TAG_OLD = 0x4B5A };  // "ZK"
enum { TXT_BUCKETS = 64, TXT_CLIP_LINE = 100 };

static TextRun* s_first;
static u32 s_count;
static TextRun* s_buckets[TXT_BUCKETS];

void Txt_Init(void) {
  s_first = nullptr;
  s_count = 0;
  for (TextRun*& b : s_buckets) b = nullptr;
}

void Txt_Clear(void) {
  for (TextRun* r = s_first; r;) {
    TextRun* next = r->Next;
    Heap_Free(r);
    r = next;
  }
  Txt_Init();
}

u32 Txt_Count(void) { return s_count; }
const TextRun* Txt_First(void) { return s_first; }

static i32 Txt_Cells(const TextRun* r) { return r->Length / 4; }

static int Txt_RunAfter(const TextRun* a, i32 x, i32 y, i32 level) {
  if (a->Y != y) return a->Y > y;
  if (a->X != x) return a->X > x;
  return a->Level < level;
}

static TextRun* Txt_Find(i32 x, i32 y, i32 level) {
  for (TextRun* r = s_buckets[y & (TXT_BUCKETS - 1)]; r; r = r->BucketNext) {
    if (r->Y < y) continue;
    if (r->Y > y) break;
    if (r->Level == level && r->X <= x && x - r->X < Txt_Cells(r)) return r;
  }
  return nullptr;
}

static void Txt_Link(TextRun* r) {
  TextRun** l = &s_first;
  while (*l && !Txt_RunAfter(*l, r->X, r->Y, r->Level)) l = &(*l)->Next;
  r->Next = *l;
  *l = r;
  TextRun** b = &s_buckets[r->Y & (TXT_BUCKETS - 1)];
  while (*b && !Txt_RunAfter(*b, r->X, r->Y, r->Level)) b = &(*b)->BucketNext;
  r->BucketNext = *b;
  *b = r;
  ++s_count;
}

static void Txt_Unlink(TextRun* r) {
  for (TextRun** l = &s_first; *l; l = &(*l)->Next)
    if (*l == r) {
      *l = r->Next;
      break;
    }
  for (TextRun** b = &s_buckets[r->Y & (TXT_BUCKETS - 1)]; *b; b = &(*b)->BucketNext)
    if (*b == r) {
      *b = r->BucketNext;
      break;
    }
  r->Next = r->BucketNext = nullptr;
  --s_count;
}

// A run of that many characters, not linked; null without memory.
static TextRun* Txt_NewRun(i32 x, i32 y, i32 level, i32 length, u32 text, u32 back) {
  TextRun* r = static_cast<TextRun*>(Heap_Alloc(u32(sizeof(TextRun) + u32(length) * sizeof(wch))));
  if (!r) return nullptr;
  *r = TextRun{};
  r->Chars = reinterpret_cast<wch*>(r + 1);
  r->X = x;
  r->Y = y;
  r->Level = level;
  r->Length = length;
  r->TextColour = text;
  r->BackColour = back;
  return r;
}

int Txt_IsAt(i32 x, i32 y, i32 level) { return Txt_Find(x, y, level) != nullptr; }

int Txt_GetRunAt(i32 x, i32 y, i32 level, TxtCell* out) {
  const TextRun* r = Txt_Find(x, y, level);
  if (!r) return 1;
  if (out) {
    const i32 off = (x - r->X) * 4;
    for (int i = 0; i < 4; ++i) out->Chars[i] = off + i < r->Length ? r->Chars[off + i] : u' ';
    out->Chars[4] = 0;
    out->TextColour = r->TextColour;
    out->BackColour = r->BackColour;
  }
  return 0;
}

int Txt_Set(i32 x, i32 y, i32 level, const TxtCell* cell) {
  if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return TXT_SET_NOTHING;
  wch c[4];
  int ended = 0, blank = 1;
  for (int i = 0; i < 4; ++i) {
    if (!cell->Chars[i]) ended = 1;
    c[i] = ended ? wch(u' ') : cell->Chars[i];
    if (c[i] != u' ') blank = 0;
  }
  TextRun* at = Txt_Find(x, y, level);
  if (!blank) {
    if (at) {
      const i32 off = (x - at->X) * 4;
      for (int i = 0; i < 4; ++i) at->Chars[off + i] = c[i];
      at->TextColour = cell->TextColour;
      at->BackColour = cell->BackColour;
      return TXT_SET_REPLACED;
    }
    TextRun* left = x > 0 ? Txt_Find(x - 1, y, level) : nullptr;
    TextRun* right = x < GRID_SIZE - 1 ? Txt_Find(x + 1, y, level) : nullptr;
    const i32 leftLen = left ? left->Length : 0, rightLen = right ? right->Length : 0;
    TextRun* r = Txt_NewRun(left ? left->X : x, y, level, leftLen + 4 + rightLen, cell->TextColour,
                            cell->BackColour);
    if (!r) return TXT_SET_NO_MEMORY;
    if (left) Mem_CopyWide(r->Chars, left->Chars, leftLen);
    for (int i = 0; i < 4; ++i) r->Chars[leftLen + i] = c[i];
    if (right) Mem_CopyWide(r->Chars + leftLen + 4, right->Chars, rightLen);
    if (left) Txt_Unlink(left), Heap_Free(left);
    if (right) Txt_Unlink(right), Heap_Free(right);
    Txt_Link(r);
    return TXT_SET_ADDED;
  }
  if (!at) return TXT_SET_NOTHING;
  const i32 cells = Txt_Cells(at), i = x - at->X;
  TextRun* a = nullptr;
  TextRun* b = nullptr;
  if (i > 0) {
    a = Txt_NewRun(at->X, y, level, i * 4, at->TextColour, at->BackColour);
    if (!a) return TXT_SET_NO_MEMORY;
    Mem_CopyWide(a->Chars, at->Chars, i * 4);
  }
  if (i < cells - 1) {
    b = Txt_NewRun(x + 1, y, level, (cells - 1 - i) * 4, at->TextColour, at->BackColour);
    if (!b) {
      if (a) Heap_Free(a);
      return TXT_SET_NO_MEMORY;
    }
    Mem_CopyWide(b->Chars, at->Chars + (i + 1) * 4, (cells - 1 - i) * 4);
  }
  Txt_Unlink(at);
  Heap_Free(at);
  if (a) Txt_Link(a);
  if (b) Txt_Link(b);
  return TXT_SET_BLANKED;
}

// ---------------------------------------------------------------- section

int Txt_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(TXT_TAG)) || (r = Fio_WriteU32(s_count))) return r;
  for (const TextRun* t = s_first; t; t = t->Next) {
    if ((r = Grid_WritePos(t->X, t->Y, t->Level)) || (r = Fio_WriteU32(u32(t->Length))) || (r = Fio_WriteU32(0)) ||
        (r = Fio_WriteU32(t->TextColour)) || (r = Fio_WriteU32(t->BackColour)))
      return r;
    for (i32 i = 0; i < t->Length; ++i)
      if ((r = Fio_WriteU16(t->Chars[i]))) return r;
  }
  return 0;
}

// A run read from a file must lie in the grid and be whole cells.
static int Txt_RunFits(i32 x, i32 y, i32 level, u32 length) {
  if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 0;
  return length >= 4 && length % 4 == 0 && u32(x) + length / 4 <= u32(GRID_SIZE);
}

// Files before the runs kept their texts in the grid: a level-0 cell whose
// code has the top four bits set held text n (its low 12 bits) of a table
// in the section: u16 tag "ZK", u16 count (at most 4000), then four 8-bit
// characters per entry. Each such cell is cleared and becomes a text cell.
static int Txt_LoadCellTexts(void) {
  int r;
  u16 tag, count;
  if ((r = Fio_ReadU16(&tag))) return r;
  if (tag != TXT_TAG_OLD) return 3;
  if ((r = Fio_ReadU16(&count))) return r;
  if (count > 4000) return 3;
  char* table = static_cast<char*>(Heap_Alloc(u32(count) * 4 + 4));
  if (!table) return 4;
  if (count && Fio_ReadBlock(table, u32(count) * 4) != u32(count) * 4) {
    Heap_Free(table);
    return 1;
  }
  i32 minX, minY, maxX, maxY;
  int result = 0;
  if (Grid_GetExtent(&minX, &minY, nullptr, 0, nullptr, &maxY, &maxX) == 0)
    for (i32 y = minY; y <= maxY && !result; ++y) {
      if ((y & 63) == 0) {
        wch progress[32];
        Fmt_Print(progress, 32, u"Text-y %u", unsigned(y));
        Msg_InfoUpdate(progress);
      }
      for (i32 x = minX; x <= maxX && !result; ++x) {
        const CellCode code = Grid_GetCell(x, y, 0);
        if ((code & 0xF000) != 0xF000) continue;
        const u32 n = code & 0xFFF;
        Grid_SetCell(x, y, 0, CELL_EMPTY);
        TxtCell cell = {};
        cell.TextColour = cell.BackColour = TXT_DEFAULT_COLOUR;
        if (n < count) {
          char a[5] = {table[4 * n], table[4 * n + 1], table[4 * n + 2], table[4 * n + 3], 0};
          if (Lng_AnsiToWide(a, cell.Chars, 5) < 1) cell.Chars[0] = 0;
        } else {
          // A text the table does not hold keeps its number visible.
          Fmt_Print(cell.Chars, 5, u"%c%3x", 220u, unsigned(n));
        }
        if (Txt_Set(x, y, 0, &cell) == TXT_SET_NO_MEMORY) result = 4;
      }
    }
  Heap_Free(table);
  return result;
}

int Txt_LoadSection(u16 version) {
  int r;
  Txt_Clear();
  if (version < LAYVER_DAYLIGHT) return Txt_LoadCellTexts();
  const int wide = version >= LAYVER_WIDE;
  u32 count;
  if ((r = LayVer_ReadTag(version, TXT_TAG, TXT_TAG_OLD)) ||
      (r = Fio_ReadField(&count, version >= LAYVER_ELAPSED ? 4 : 2)))
    return r;
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    if ((r = Grid_ReadPos(&x, &y, &level, version))) return r;
    u32 length, text = TXT_DEFAULT_COLOUR, back = TXT_DEFAULT_COLOUR;
    if (wide) {
      u32 ignored;
      if ((r = Fio_ReadU32(&length)) || (r = Fio_ReadU32(&ignored)) || (r = Fio_ReadU32(&text)) ||
          (r = Fio_ReadU32(&back)))
        return r;
    } else {
      u16 ignored;
      if ((r = Fio_ReadField(&length, version >= LAYVER_ELAPSED ? 4 : 2))) return r;
      if ((r = Fio_ReadU16(&ignored))) return r;
    }
    if (!Txt_RunFits(x, y, level, length)) return 3;
    for (u32 i = 0; i < length / 4; ++i) {
      TxtCell cell = {};
      cell.TextColour = text;
      cell.BackColour = back;
      if (wide) {
        u16 ch[4];
        if (Fio_ReadBlock(ch, 8) != 8) return 1;
        for (int j = 0; j < 4; ++j) {
          const u8* b = reinterpret_cast<const u8*>(ch) + 2 * j;
          cell.Chars[j] = wch(b[0] | (b[1] << 8));
        }
      } else {
        char a[5] = {};
        if (Fio_ReadBlock(a, 4) != 4) return 1;
        if (Lng_AnsiToWide(a, cell.Chars, 5) < 1) cell.Chars[0] = 0;
      }
      // A zero inside a saved cell stands for blanks, as when it was written.
      if (Txt_Set(x + i32(i), y, level, &cell) == TXT_SET_NO_MEMORY) return 4;
    }
  }
  return 0;
}

// ---------------------------------------------------------------- region hooks

static int Txt_Between(i32 v, i32 a, i32 b) { return a <= b ? (v >= a && v <= b) : (v >= b && v <= a); }

static int Txt_CellInBox(i32 x, i32 y, i32 level, const i32 box[6]) {
  return Txt_Between(x, box[0], box[3]) && Txt_Between(y, box[1], box[4]) && Txt_Between(level, box[2], box[5]);
}

static int Txt_RunTouches(const TextRun* r, const i32 box[6]) {
  if (!Txt_Between(r->Y, box[1], box[4]) || !Txt_Between(r->Level, box[2], box[5])) return 0;
  const i32 lo = box[0] < box[3] ? box[0] : box[3], hi = box[0] < box[3] ? box[3] : box[0];
  return r->X <= hi && r->X + Txt_Cells(r) - 1 >= lo;
}

// Unlinks every run that touches the box into a list of its own (order kept).
static TextRun* Txt_TakeRuns(const i32 box[6]) {
  TextRun* taken = nullptr;
  TextRun** tail = &taken;
  for (TextRun* r = s_first; r;) {
    TextRun* next = r->Next;
    if (Txt_RunTouches(r, box)) {
      Txt_Unlink(r);
      *tail = r;
      tail = &r->Next;
    }
    r = next;
  }
  return taken;
}

static void Txt_CellOf(const TextRun* r, i32 i, TxtCell* c) {
  for (int j = 0; j < 4; ++j) c->Chars[j] = r->Chars[i * 4 + j];
  c->Chars[4] = 0;
  c->TextColour = r->TextColour;
  c->BackColour = r->BackColour;
}

// Writes the taken runs again: cells inside the box offset (or dropped when
// drop is set), cells outside where they were. 1 when a cell found no
// memory.
static int Txt_Rewrite(TextRun* taken, const i32 box[6], int drop, i32 dx, i32 dy, i32 dlevel) {
  Msg_InfoUpdate(Lng_GetText(3520));
  int result = 0;
  for (TextRun* r = taken; r; r = r->Next)
    for (i32 i = 0; i < Txt_Cells(r); ++i) {
      const i32 x = r->X + i;
      TxtCell c;
      Txt_CellOf(r, i, &c);
      int s;
      if (!Txt_CellInBox(x, r->Y, r->Level, box)) s = Txt_Set(x, r->Y, r->Level, &c);
      else if (drop) continue;
      else s = Txt_Set(x + dx, r->Y + dy, r->Level + dlevel, &c);
      if (s == TXT_SET_NO_MEMORY) result = 1;
    }
  while (taken) {
    TextRun* next = taken->Next;
    Heap_Free(taken);
    taken = next;
  }
  return result;
}

int Txt_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  if (dx == 0 && dy == 0 && dlevel == 0) return 0;
  const i32 box[6] = {x1, y1, level1, x2, y2, level2};
  return Txt_Rewrite(Txt_TakeRuns(box), box, 0, dx, dy, dlevel);
}

int Txt_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  const i32 box[6] = {x1, y1, level1, x2, y2, level2};
  return Txt_Rewrite(Txt_TakeRuns(box), box, 1, 0, 0, 0);
}

int Txt_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                       i32 numX) {
  if (denX == 0 || denY == 0) return 0;
  const i32 box[6] = {x1, y1, level1, x2, y2, level2};
  TextRun* taken = Txt_TakeRuns(box);
  int result = 0;
  while (taken) {
    TextRun* r = taken;
    taken = r->Next;
    const i32 mid = (Txt_Cells(r) - 1) / 2;
    i32 nx = r->X + mid, ny = r->Y;
    Trn_ScaleRegionPos(x1, y1, r->X + mid, &ny, &nx, denY, numY, denX, numX, r->Level, r->Y);
    // The row keeps its letters side by side; cells the mapping would put
    // off the grid are dropped, never written outside it.
    for (i32 i = 0; i < Txt_Cells(r); ++i) {
      TxtCell c;
      Txt_CellOf(r, i, &c);
      if (Txt_Set(nx - mid + i, ny, r->Level, &c) == TXT_SET_NO_MEMORY) result = 1;
    }
    Heap_Free(r);
  }
  return result;
}

int Txt_FindInRect(const i32 first[6], const i32 second[6]) {
  int found = 0;
  for (const TextRun* r = s_first; r; r = r->Next) {
    if (!Txt_RunTouches(r, first)) continue;
    for (i32 i = 0; i < Txt_Cells(r); ++i) {
      if (!Txt_CellInBox(r->X + i, r->Y, r->Level, first)) continue;
      found = 1;
      if (!Txt_CellInBox(r->X + i, r->Y, r->Level, second)) return 2;
    }
  }
  return found;
}

int Txt_GetExtent(i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX) {
  if (!s_first) return 1;
  i32 a = GRID_SIZE, b = GRID_SIZE, c = 1, d = -5, e = -1, f = -1;
  for (const TextRun* r = s_first; r; r = r->Next) {
    // Every run counts with its last cell, not only the longest one.
    const i32 last = r->X + Txt_Cells(r) - 1;
    if (r->X < a) a = r->X;
    if (r->Y < b) b = r->Y;
    if (r->Level < c) c = r->Level;
    if (r->Level > d) d = r->Level;
    if (r->Y > e) e = r->Y;
    if (last > f) f = last;
  }
  if (minX) *minX = a;
  if (minY) *minY = b;
  if (minLevel) *minLevel = c;
  if (maxLevel) *maxLevel = d;
  if (maxY) *maxY = e;
  if (maxX) *maxX = f;
  return 0;
}

// ---------------------------------------------------------------- clipboard

int Txt_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(3520));
  const i32 box[6] = {x1, y1, level1, x2, y2, level2};
  wch line[TXT_CLIP_LINE];
  int r = Clip_AppendLine(u"STRING_A");
  for (const TextRun* t = s_first; t && !r; t = t->Next) {
    if (!Txt_RunTouches(t, box)) continue;
    for (i32 i = 0; i < Txt_Cells(t) && !r; ++i) {
      if (!Txt_CellInBox(t->X + i, t->Y, t->Level, box)) continue;
      i32 n = Fmt_Print(line, TXT_CLIP_LINE, u"%x,%x,%i,%x,%x", unsigned(t->X + i), unsigned(t->Y), int(t->Level),
                        unsigned(t->TextColour), unsigned(t->BackColour));
      for (int j = 0; j < 4; ++j) {
        const wch c = t->Chars[i * 4 + j];
        if (c > 32 && c != u'\\' && c != u',') n += Fmt_Print(line + n, TXT_CLIP_LINE - n, u",%c", unsigned(c));
        else n += Fmt_Print(line + n, TXT_CLIP_LINE - n, u",\\%u", unsigned(c));
      }
      r = Clip_AppendLine(line);
    }
  }
  return r ? r : Clip_AppendLine(u"STRING_E");
}

int Txt_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel) {
  Msg_InfoUpdate(Lng_GetText(3520));
  wch buf[TXT_CLIP_LINE];
  u32 n = *line;
  if (Clip_ReadLine(i32(n++), TXT_CLIP_LINE, buf) != 0) return 2;
  int result = 0;
  for (;;) {
    if (Clip_ReadLine(i32(n++), TXT_CLIP_LINE, buf) != 0) return 2;
    u32 f[5];
    i32 pos;
    if (Pobj_ParseFields(buf, "xxixx", f, &pos)) break;
    TxtCell cell = {};
    cell.TextColour = f[3];
    cell.BackColour = f[4];
    for (int j = 0; j < 4; ++j) {
      if (buf[pos] != u',') return 2;
      ++pos;
      if (buf[pos] == u'\\' && buf[pos + 1] >= u'0' && buf[pos + 1] <= u'9') {
        u32 v = 0;
        ++pos;
        while (buf[pos] >= u'0' && buf[pos] <= u'9') {
          v = v * 10 + u32(buf[pos++] - u'0');
          if (v > 0xFFFF) return 2;
        }
        cell.Chars[j] = wch(v);
      } else {
        if (!buf[pos]) return 2;
        cell.Chars[j] = buf[pos++];
      }
    }
    if (buf[pos]) return 2;
    if (Txt_Set(i32(f[0]) + dx, i32(f[1]) + dy, i32(f[2]) + dlevel, &cell) == TXT_SET_NO_MEMORY) result = 1;
  }
  if (Str_CompareOs(buf, u"STRING_E", 0) != 0) return 2;
  *line = n;
  return result;
}

// ---------------------------------------------------------------- search

static int Txt_Earlier(i32 x, i32 y, i32 level, i32 bx, i32 by, i32 blevel) {
  if (y != by) return y < by;
  if (x != bx) return x < bx;
  return level > blevel;
}

// The first match on one level at or after (sx, sy) in reading order; 1
// found with the cell of its first character.
static int Txt_FindOnLevel(i32 sx, i32 sy, i32 level, int flags, const wch* pattern, i32 plen, i32* fx, i32* fy) {
  for (const TextRun* r = s_first; r; r = r->Next) {
    if (r->Level != level || r->Y < sy) continue;
    const i32 cells = Txt_Cells(r);
    if (r->Y == sy && r->X + cells - 1 < sx) continue;
    i32 off = (r->Y == sy && sx > r->X) ? (sx - r->X) * 4 : 0;
    if ((flags & STR_FIND_WORDS) && off > 0 && r->Chars[off - 1] != u' ')
      while (off < r->Length && r->Chars[off] != u' ') ++off;
    if (off >= r->Length) continue;
    const i32 at = Str_FindEx(r->Chars + off, pattern, r->Length - off, flags, plen);
    if (at < 0) continue;
    *fx = r->X + (off + at) / 4;
    *fy = r->Y;
    return 1;
  }
  return 0;
}

int Txt_FindNextFrom(i32 x, i32 y, i32 level, int flags, i32 minimum, const wch* pattern, i32* outX, i32* outY,
                     i32* outLevel) {
  if (!pattern || !pattern[0]) return 1;
  const i32 plen = minimum > 0 ? minimum : Str_Len(pattern);
  i32 nx = x + 1, ny = y;
  if (nx >= GRID_SIZE) nx = 0, ++ny;
  int found = 0;
  i32 bx = 0, by = 0, bl = 0;
  for (i32 lev = 0; lev >= -4; --lev) {
    i32 fx, fy;
    const int fromStart = lev <= level;
    if (!Txt_FindOnLevel(fromStart ? x : nx, fromStart ? y : ny, lev, flags, pattern, plen, &fx, &fy)) continue;
    if (!found || Txt_Earlier(fx, fy, lev, bx, by, bl)) bx = fx, by = fy, bl = lev, found = 1;
  }
  if (!found) return 1;
  if (outX) *outX = bx;
  if (outY) *outY = by;
  if (outLevel) *outLevel = bl;
  return 0;
}

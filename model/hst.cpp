#include "model/hst.h"

#include <cstdlib>

#include "model/cellcode.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/line.h"
#include "model/rule.h"
#include "operation/trnquery.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { HST_TAG = 0x50545348 };  // "HSTP"
enum : u16 { HST_TAG_OLD = 0x5348 };  // "HS"

static PointStore s_stops;

static StopRec* Hst_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<StopRec*>(Pobj_Find(&s_stops, x, y, level));
}

static void Hst_FreeRec(StopRec* s) {
  if (s->Words) Heap_Free(s->Words);
  if (s->Pairs) Heap_Free(s->Pairs);
  Heap_Free(s);
}

void Hst_Init(void) { Pobj_Reset(&s_stops); }

void Hst_Clear(void) {
  for (PointHead* p = s_stops.First; p;) {
    PointHead* next = p->Next;
    Hst_FreeRec(reinterpret_cast<StopRec*>(p));
    p = next;
  }
  Pobj_Reset(&s_stops);
}

void Hst_Free(void) { Hst_Clear(); }

u32 Hst_Count(u32* maximum) {
  if (maximum) *maximum = HST_MAX;
  return s_stops.Count;
}

const StopRec* Hst_Find(i32 x, i32 y, i32 level) { return Hst_At(x, y, level); }

int Hst_Create(i32 x, i32 y, i32 level, u32 pairCount, const StopPair* pairs, u32 wordCount, const u32* words,
               u32 kind, u32 extra, u8 dirMask, u32 flags, u32 typeMask) {
  if (s_stops.Count >= HST_MAX || pairCount > 0xFFFF) return 1;
  StopRec* s = static_cast<StopRec*>(Heap_Alloc(sizeof(StopRec)));
  if (!s) return 1;
  *s = StopRec{};
  s->Head.X = x;
  s->Head.Y = y;
  s->Head.Level = level;
  s->TypeMask = typeMask;
  s->Flags = flags;
  s->DirMask = dirMask;
  s->Kind = kind;
  s->Extra = extra;
  if (words && wordCount >= 1) {
    s->Words = static_cast<u32*>(Heap_Alloc(wordCount * 4));
    if (!s->Words) return Hst_FreeRec(s), 1;
    for (u32 i = 0; i < wordCount; ++i) s->Words[i] = words[i];
    s->WordCount = wordCount;
  }
  if (pairs && pairCount >= 1) {
    s->Pairs = static_cast<u16*>(Heap_Alloc(2 + pairCount * 4));
    if (!s->Pairs) return Hst_FreeRec(s), 1;
    s->Pairs[0] = u16(pairCount);
    for (u32 i = 0; i < pairCount; ++i) {
      s->Pairs[1 + 2 * i] = pairs[i].Number;
      s->Pairs[2 + 2 * i] = pairs[i].Weight;
    }
  }
  Pobj_Push(&s_stops, &s->Head);
  return 0;
}

int Hst_Delete(i32 x, i32 y, i32 level) {
  StopRec* s = Hst_At(x, y, level);
  if (!s) return 1;
  Pobj_Unlink(&s_stops, &s->Head);
  Hst_FreeRec(s);
  Lay_MarkModified();
  return 0;
}

int Hst_Set(i32 x, i32 y, i32 level, u32 pairCount, const StopPair* pairs, u32 wordCount, const u32* words,
            u32 kind, u32 extra, u8 dirMask, u32 flags, u32 typeMask) {
  Hst_Delete(x, y, level);
  const int r = Hst_Create(x, y, level, pairCount, pairs, wordCount, words, kind, extra, dirMask, flags, typeMask);
  if (r == 0) Lay_MarkModified();
  return r;
}

i64 Hst_GetInfo(i32 x, i32 y, i32 level, u32* pairCount, StopPair* pairs, u32* wordCount, u32* words, u32* extra,
                u8* dirMask, u32* flags) {
  const StopRec* s = Hst_At(x, y, level);
  if (!s) return -1;
  const u32 np = s->Pairs ? s->Pairs[0] : 0;
  if (pairCount) *pairCount = np;
  if (pairs)
    for (u32 i = 0; i < np; ++i) pairs[i] = StopPair{s->Pairs[1 + 2 * i], s->Pairs[2 + 2 * i]};
  if (wordCount) *wordCount = s->WordCount;
  if (words)
    for (u32 i = 0; i < s->WordCount; ++i) words[i] = s->Words[i];
  if (extra) *extra = s->Extra;
  if (dirMask) *dirMask = s->DirMask;
  if (flags) *flags = s->Flags;
  return s->TypeMask;
}

int Hst_IsHaltKind(u32 kind) { return (kind >= 1 && kind <= 9) || (kind >= 14 && kind <= 16) || kind == 101; }

static HstHooks g_hstHooks;

void Hst_SetHooks(const HstHooks* hooks) { g_hstHooks = hooks ? *hooks : HstHooks{}; }

u32 Hst_GetKind(i32 x, i32 y, i32 level, int force) {
  const StopRec* s = Hst_At(x, y, level);
  if (!s) return 2;
  const int shown = force || (g_hstHooks.showFlagged && g_hstHooks.showFlagged());
  if (!shown && (s->Flags & HST_F_FLAGGED)) return Hst_IsHaltKind(s->Kind) ? 101 : 100;
  return s->Kind;
}

int Hst_SetKind(i32 x, i32 y, i32 level, u32 kind) {
  StopRec* s = Hst_At(x, y, level);
  if (!s) return 1;
  s->Kind = kind;
  return 0;
}

int Hst_IsCode(u32 code, u32* low, u32* high) {
  if (!Cell_HasShapeIn(code, 264, 271)) return 0;
  const int narrow = Cell_ClassIn(code, 6, 7);
  if (low) *low = narrow ? 2 : 0;
  if (high) *high = narrow ? 2 : 16;
  return 1;
}

i32 Hst_MatchTrain(i32 x, i32 y, i32 level, i32* extra, u32 trainFlags, i32 number, u32 line, u32 category,
                   u32 type, u32 dirMask) {
  const StopRec* s = Hst_At(x, y, level);
  if (!s || !(s->DirMask & dirMask)) return 0;
  const u32 ex = s->Flags & HST_F_EXCLUDE;
  if (trainFlags & 0x1) {
    if (trainFlags & 0x8000) category = 3;
    else if (ex == 4) return 0;
  } else if (trainFlags & 0x400) {
    if (trainFlags & 0x8000) category = 3;
    else if (ex == 8) return 0;
  } else if (ex) {
    return 0;
  }
  if (category == 1) {
    if (type < 1 || type > 32 || !(s->TypeMask & (1u << (type - 1)))) return 0;
  } else if (!(s->Flags & HST_F_OTHER_CATEGORIES)) {
    return 0;
  }
  if (s->Flags & HST_F_LINES) {
    const int m = Lin_ListMatchNow(s->Words, i32(s->WordCount), line, nullptr, u32(number));
    if (!m && (s->Flags & HST_F_LINES_ONLY)) return 0;
    if (m && (s->Flags & HST_F_LINES_NOT)) return 0;
  }
  if (extra) *extra = (s->Flags & HST_F_EXTRA) ? i32(s->Extra) : -1;
  if (!(s->Flags & HST_F_PAIRS) || !s->Pairs) return -1;
  const u32 n = s->Pairs[0];
  u32 sum = 0;
  for (u32 i = 0; i < n; ++i) sum += s->Pairs[2 + 2 * i];
  i64 r = sum ? std::rand() % i64(sum) : 0;
  for (u32 i = 0; i < n; ++i) {
    r -= s->Pairs[2 + 2 * i];
    if (r < 0) return s->Pairs[1 + 2 * i];
  }
  return -1;
}

void Hst_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  Pobj_MoveInBox(&s_stops, x1, y1, level1, x2, y2, level2, dx, dy, dlevel);
}

void Hst_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (PointHead* p = s_stops.First; p;) {
    PointHead* next = p->Next;
    if (Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) Hst_Delete(p->X, p->Y, p->Level);
    p = next;
  }
}

void Hst_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                        i32 numX) {
  Pobj_TransformInBox(&s_stops, x1, y1, level1, x2, y2, level2, numX, denX, numY, denY);
}

// ---------------------------------------------------------------- clipboard

enum { HST_CLIP_LINE = 120, HST_TEXT_PROGRESS = 3300 };

int Hst_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(HST_TEXT_PROGRESS));
  int r = Clip_AppendLine(u"HST_A");
  if (r) return r;
  static wch line[RULE_TEXT_SIZE];
  for (const PointHead* p = s_stops.First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    const StopRec* s = reinterpret_cast<const StopRec*>(p);
    Fmt_Print(line, HST_CLIP_LINE + 1, u"%x,%x,%i,%x,%x,%x,%x,%x", u32(p->X), u32(p->Y), p->Level, s->TypeMask,
              s->Flags, u32(s->DirMask), s->Extra, s->Kind);
    if ((r = Clip_AppendLine(line))) return r;
    if (s->Flags & HST_F_LINES) {
      line[0] = 0;
      if (s->Words) Rule_Format(line, RULE_TEXT_SIZE, s->Words, 0, 0, i32(s->WordCount));
      if ((r = Clip_AppendLine(line))) return r;
    }
    if (s->Flags & HST_F_PAIRS) {
      const u32 n = s->Pairs ? s->Pairs[0] : 0;
      Fmt_Print(line, HST_CLIP_LINE + 1, u"%x", n);
      if ((r = Clip_AppendLine(line))) return r;
      for (u32 k = 0; k < n; ++k) {
        Fmt_Print(line, HST_CLIP_LINE + 1, u"%x,%x", u32(s->Pairs[1 + 2 * k]), u32(s->Pairs[2 + 2 * k]));
        if ((r = Clip_AppendLine(line))) return r;
      }
    }
  }
  return Clip_AppendLine(u"HST_E");
}

int Hst_PasteFromClip(i32* line, i32 dx, i32 dy, i32 dlevel) {
  Msg_InfoUpdate(Lng_GetText(HST_TEXT_PROGRESS));
  i32 at = *line + 1;
  int result = 0;
  static wch buf[RULE_TEXT_SIZE + 1];
  static u32 words[RULE_WORDS_MAX];
  StopPair pairs[HST_MAX_PAIRS];
  for (;;) {
    if (Clip_ReadLine(at++, HST_CLIP_LINE + 1, buf)) return 2;
    u32 f[8];
    const i32 pos = Clip_ScanFields(buf, "xxixxxxx", f);
    if (pos < 0 || buf[pos]) {
      if (Str_CompareOs(buf, u"HST_E", 0) != 0) return 2;
      break;
    }
    u32 flags = f[4];
    i32 wordCount = 0;
    if (flags & HST_F_LINES) {
      if (Clip_ReadLine(at++, RULE_TEXT_SIZE, buf)) return 2;
      wordCount = Rule_Parse(buf, RULE_MODE_STOP, words);
      if (wordCount <= 0) {
        wordCount = 0;
        flags &= ~u32(HST_F_LINES);
      }
    }
    u32 pairCount = 0;
    if (flags & HST_F_PAIRS) {
      u32 n;
      if (Clip_ReadLine(at++, HST_CLIP_LINE + 1, buf) || Clip_ScanFields(buf, "x", &n) < 0) return 2;
      // A list longer than a stop holds is read whole and kept to its limit.
      for (u32 k = 0; k < n; ++k) {
        u32 v[2];
        if (Clip_ReadLine(at++, HST_CLIP_LINE + 1, buf) || Clip_ScanFields(buf, "xx", v) < 0) return 2;
        if (pairCount < HST_MAX_PAIRS) pairs[pairCount++] = StopPair{u16(v[0]), u16(v[1])};
      }
    }
    const i32 x = i32(f[0]) + dx, y = i32(f[1]) + dy, level = i32(f[2]) + dlevel;
    if (Hst_Create(x, y, level, pairCount, pairs, u32(wordCount), words, f[7], f[6], u8(f[5]), flags, f[3])) {
      if (x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level >= -4 && level <= 0)
        Grid_SetCell(x, y, level, CELL_EMPTY);
      result = 1;
    }
  }
  *line = at;
  return result;
}

// ---------------------------------------------------------------- line hooks

static const PointHead* s_lineCursor;

int Hst_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                         i32* level) {
  if (id == 0) return 0;
  const PointHead* p = s_stops.First;
  if (*x == -1) {
    // Go on after the stop found last, when it is still there.
    const PointHead* q = s_stops.First;
    while (q && q != s_lineCursor) q = q->Next;
    p = q ? q->Next : nullptr;
  }
  for (; p; p = p->Next) {
    const StopRec* s = reinterpret_cast<const StopRec*>(p);
    if (!s->Words || !Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    if (!Lin_ListContains(s->Words, i32(s->WordCount), id)) continue;
    s_lineCursor = p;
    *x = p->X;
    *y = p->Y;
    *level = p->Level;
    return 1;
  }
  s_lineCursor = nullptr;
  return 0;
}

void Hst_RemoveLineId(u32 id) {
  for (PointHead* p = s_stops.First; p; p = p->Next) {
    StopRec* s = reinterpret_cast<StopRec*>(p);
    if (!s->Words) continue;
    s->WordCount = u32(Lin_ListRemove(s->Words, i32(s->WordCount), id, 0));
    if (s->WordCount == 0) {
      Heap_Free(s->Words);
      s->Words = nullptr;
      s->Flags &= ~u32(HST_F_LINES);
    }
  }
}

int Hst_AddLineIdBeside(u32 newId, u32 oldId) {
  int failed = 0;
  static u32 grown[LINE_LIST_MAX];
  for (PointHead* p = s_stops.First; p; p = p->Next) {
    StopRec* s = reinterpret_cast<StopRec*>(p);
    if (!s->Words || !Lin_ListContains(s->Words, i32(s->WordCount), oldId)) continue;
    i32 n = 0;
    const int r = Lin_ListAddBeside(s->Words, i32(s->WordCount), grown, &n, newId, oldId);
    if (r == -2 || r == -3) failed = 1;
    if (n <= i32(s->WordCount)) continue;
    u32* block = static_cast<u32*>(Heap_Alloc(u32(n) * 4));
    if (!block) {
      failed = 1;
      continue;
    }
    for (i32 k = 0; k < n; ++k) block[k] = grown[k];
    Heap_Free(s->Words);
    s->Words = block;
    s->WordCount = u32(n);
  }
  return failed;
}

// ---------------------------------------------------------------- kinds in a box

// The pair a kind belongs to in mode 0 (first, second); others alone.
static void Hst_KindPair(u32 kind, u32 mode, u32* first, u32* second) {
  *first = *second = kind;
  if (mode != 0) return;
  if (kind <= 1) *first = 1, *second = 0;
  else if (kind >= 2 && kind <= 5) *first = kind, *second = kind + 8;
  else if (kind >= 10 && kind <= 13) *first = kind - 8, *second = kind;
}

i32 Hst_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, u32 mode, u32 dirFilter, u32 elementCode, u32 classMask,
                          u32 newKind, u32 oldKind, i32 level2, i32 y2, i32 x2) {
  u32 e1 = 0, e2 = 0;
  if (!classMask) {
    if (!Cell_IsElement(elementCode) || Cell_IsReserved(elementCode)) return -1;
    e1 = Cell_WithoutShape(elementCode);
    e2 = (Cell_ClassIn(e1, 4, 6) || Cell_ClassIn(e1, 12, 15)) ? e1 : (e1 ^ CELL_VARIANT_BIT);
  }
  u32 o1, o2, n1, n2;
  Hst_KindPair(oldKind, mode, &o1, &o2);
  Hst_KindPair(newKind, mode, &n1, &n2);
  i32 changed = 0;
  for (PointHead* p = s_stops.First; p; p = p->Next) {
    StopRec* s = reinterpret_cast<StopRec*>(p);
    if ((s->Kind != o1 && s->Kind != o2) || !Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    const u32 code = Grid_GetCellNorm(p->X, p->Y, p->Level);
    if (!(dirFilter & (1u << (code & 7)))) continue;
    if (classMask) {
      const int cls = g_hstHooks.codeClass ? g_hstHooks.codeClass(code) : 0;
      if (!(classMask & (1u << cls))) continue;
    } else if ((code & ~0x1FFu) != e1 && (code & ~0x1FFu) != e2) {
      continue;
    }
    const u32 kind = mode != 0 ? newKind : (s->Kind == o2 && o2 != o1 ? n2 : n1);
    u32 lo, hi;
    if (!Hst_IsCode(code, &lo, &hi) || s->Kind < lo || s->Kind > hi || kind < lo || kind > hi) continue;
    if (kind == s->Kind) continue;
    s->Kind = kind;
    ++changed;
  }
  return changed;
}

u32 Hst_CountByFlags(u32* only1, u32* with2, u32* withPairs, u32* withExtra) {
  u32 n[5] = {};
  for (const PointHead* p = s_stops.First; p; p = p->Next) {
    const u32 f = reinterpret_cast<const StopRec*>(p)->Flags;
    n[0] += (f & 0x3) == 0x1;
    n[1] += (f & 0x2) != 0;
    n[2] += (f & HST_F_PAIRS) != 0;
    n[3] += (f & HST_F_EXTRA) != 0;
    n[4] += (f & HST_F_FLAGGED) != 0;
  }
  if (only1) *only1 = n[0];
  if (with2) *with2 = n[1];
  if (withPairs) *withPairs = n[2];
  if (withExtra) *withExtra = n[3];
  return n[4];
}

// ---------------------------------------------------------------- old elements

enum { HST_OLD_SHAPE_FIRST = 88, HST_OLD_SHAPE_LAST = 119, HST_SHAPE_FIRST = 264 };

i32 Hst_ConvertOldElement(i32 x, i32 y, int create) {
  const CellCode cell = Grid_GetCellChecked(x, y, 0);
  const int underTrain = Cell_IsTrainMarker(cell);
  const u32 code = underTrain ? Trn_GetCellGraphic(x, y, 0, cell) : cell;
  if (underTrain && code == CELL_EMPTY) return -2;
  if (!Cell_HasShapeIn(code, HST_OLD_SHAPE_FIRST, HST_OLD_SHAPE_LAST)) return -1;
  const u32 shape = Cell_Shape(code);
  const u32 group = (shape - HST_OLD_SHAPE_FIRST) / 8, direction = shape & 7;
  static const u32 kLow[4] = {7, 2, 6, 8}, kOther[4] = {11, 10, 2, 12};
  const u32 kind = Cell_Class(code) == 7 ? 2 : Cell_ClassIn(code, 4, 5) ? kLow[group] : kOther[group];
  const u32 fresh = Cell_WithShape(code, HST_SHAPE_FIRST + direction);
  if (underTrain) Trn_SetCellGraphic(x, y, 0, u16(fresh), cell);
  else Grid_SetCell(x, y, 0, CellCode(fresh));
  if (create && Hst_Set(x, y, 0, 0, nullptr, 0, nullptr, kind, 0, u8(1u << direction), 0, 1)) return -3;
  return i32(kind);
}

i32 Hst_ConvertOldElements(void) {
  i32 x0, y0, l0, l1, y1, x1;
  if (Grid_GetExtent(&x0, &y0, &l0, 0, &l1, &y1, &x1)) return 0;
  if (l1 < 0 || l0 > 0) return 0;
  i32 created = 0;
  for (i32 y = y0; y <= y1; ++y)
    for (i32 x = x0; x <= x1;) {
      const i32 cx = x;
      const CellCode code = Grid_NextInRow(&x, y, 0);
      if (code == CELL_EMPTY) continue;
      const i32 r = Hst_ConvertOldElement(cx, y, 1);
      if (r == -3) return -1;
      if (r == -2) Grid_SetCell(cx, y, 0, CELL_EMPTY);
      if (r >= 0) ++created;
    }
  return created;
}

// ---------------------------------------------------------------- text listing

#define HST_W(call)        \
  do {                     \
    const int r_ = (call); \
    if (r_) return r_;     \
  } while (0)

static int Hst_Line(const wch* text) {
  const int r = Fio_WriteString(text);
  return r ? r : Fio_WriteCrLf();
}

int Hst_WriteText(int withInfo) {
  wch line[300];
  u32 only1, with2, pairs, extra;
  const u32 flagged = Hst_CountByFlags(&only1, &with2, &pairs, &extra);
  const u32 count = s_stops.Count;
  HST_W(Hst_Line(Lng_GetText(3400)));
  const u32 counts[7] = {count, count - only1 - with2, only1, with2, extra, pairs, flagged};
  for (int k = 0; k < 7; ++k) {
    Fmt_Print(line, 300, Lng_GetText(TextId(3401 + k)), counts[k]);
    HST_W(Hst_Line(line));
  }
  HST_W(Fio_WriteSeparator());
  for (const PointHead* p = s_stops.First; p; p = p->Next) {
    const StopRec* s = reinterpret_cast<const StopRec*>(p);
    HST_W(Hst_Line(Lng_GetText(3440)));
    Fmt_Print(line, 300, u"%s %5i,%5i,%+i%s", Lng_GetText(3441), p->X, p->Y, p->Level,
              (s->Flags & HST_F_FLAGGED) ? Lng_GetText(3442) : u"");
    HST_W(Hst_Line(line));
    if ((s->Flags & HST_F_LINES) && s->Words) {
      HST_W(Fio_WriteString(Lng_GetText((s->Flags & HST_F_LINES_ONLY) ? 3445 : 3446)));
      HST_W(Rule_PrintText(s->Words, i32(s->WordCount)));
    } else {
      HST_W(Hst_Line(Lng_GetText(3447)));
    }
    HST_W(Hst_Line(Lng_GetText((s->Flags & 0x2) ? 3453 : (s->Flags & 0x1) ? 3452 : 3451)));
    if (s->Flags & HST_F_EXTRA) Fmt_Print(line, 300, u"%s %i%s", Lng_GetText(3454), i32(s->Extra / 1000), Lng_GetText(3456));
    else Fmt_Print(line, 300, u"%s%s", Lng_GetText(3454), Lng_GetText(3455));
    HST_W(Hst_Line(line));
    HST_W(Hst_Line(Lng_GetText((s->Flags & HST_F_PAIRS) ? 3458 : 3457)));
    if (withInfo) HST_W(Lay_WriteCellInfo(p->X, p->Y, p->Level));
    HST_W(Fio_WriteSeparator());
  }
  return 0;
}

// ---------------------------------------------------------------- section

int Hst_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(HST_TAG)) || (r = Fio_WriteU32(s_stops.Count))) return r;
  for (const PointHead* p = s_stops.First; p; p = p->Next) {
    const StopRec* s = reinterpret_cast<const StopRec*>(p);
    if ((r = Grid_WritePos(p->X, p->Y, p->Level)) || (r = Fio_WriteU32(s->TypeMask)) ||
        (r = Fio_WriteU32(s->Flags)) || (r = Fio_WriteU16(s->DirMask)))
      return r;
    if ((s->Flags & HST_F_EXTRA) && (r = Fio_WriteU32(s->Extra))) return r;
    if (s->Flags & HST_F_LINES) {
      if ((r = Fio_WriteU32(s->WordCount))) return r;
      for (u32 i = 0; i < s->WordCount; ++i)
        if ((r = Fio_WriteU32(s->Words[i]))) return r;
    }
    if (s->Flags & HST_F_PAIRS) {
      const u32 n = s->Pairs ? s->Pairs[0] : 0;
      if ((r = Fio_WriteU32(n))) return r;
      for (u32 i = 0; i < 2 * n; ++i)
        if ((r = Fio_WriteU16(s->Pairs[1 + i]))) return r;
    }
    if ((r = Fio_WriteU32(s->Kind))) return r;
  }
  return 0;
}

// Old u16 flag word (files before the wide sections) as type mask and flags.
static void Hst_ConvertOldFlags(u32 old, u32* typeMask, u32* flags) {
  u32 m = 0, f = 0;
  if (old & 0x1) m |= 0x1;
  if (old & 0x2) m |= 0x4;
  if (old & 0x4) m |= 0x10;
  if (old & 0x8) m |= 0x20;
  if (old & 0x10) m |= 0x80;
  if (old & 0x20) f |= 0x40;
  if (old & 0x40) f |= 0x80;
  else if (old & 0x80) f |= 0x100;
  if (old & 0x100) f |= 0x20;
  if (old & 0x200) f |= 0x1;
  if (old & 0x400) f |= 0x0C;
  if (old & 0x800) f |= 0x10;
  *typeMask = m;
  *flags = f;
}

// The section's tag and its count of stops.
static int Hst_ReadHead(u16 version, u32* count) {
  FioFields in = {0};
  const u32 tag = Fio_GetField(&in, LayVer_WordBytes(version));
  if (in.error) return in.error;
  if (tag != (version >= LAYVER_WIDE ? u32(HST_TAG) : u32(HST_TAG_OLD))) return 3;
  *count = Fio_GetField(&in, version >= LAYVER_STOP_COUNT32 ? 4 : 2);
  if (in.error) return in.error;
  if (version < LAYVER_HOME) {
    // The oldest files store six times the count.
    if (*count % 6) return 3;
    *count /= 6;
  }
  return *count > HST_MAX ? 3 : 0;
}

// The type mask, flags, direction mask and extra value of one stop.
static int Hst_ReadFlags(u16 version, u32* typeMask, u32* flags, u8* dirMask, u32* extra) {
  FioFields in = {0};
  if (version >= LAYVER_WIDE) {
    *typeMask = Fio_GetField(&in, 4);
    *flags = Fio_GetField(&in, 4);
    *dirMask = u8(Fio_GetField(&in, 2));
  } else {
    const u32 w = Fio_GetField(&in, 2);
    if (version >= LAYVER_STOP_COUNT32) {
      *dirMask = u8(Fio_GetField(&in, 2));
      Hst_ConvertOldFlags(u16(w), typeMask, flags);
    } else {
      static const u32 kOld[7] = {1, 1, 7, 15, 31, 3, 63};
      const u32 kind = w & 0xFF;
      *dirMask = u8(w >> 8);
      Hst_ConvertOldFlags(kind < 7 ? kOld[kind] : 1, typeMask, flags);
      *flags &= ~u32(HST_F_LINES | HST_F_PAIRS);
    }
  }
  if (in.error) return in.error;
  if (*flags & HST_F_EXTRA) *extra = version >= LAYVER_WIDE ? Fio_GetField(&in, 4) : Fio_GetField(&in, 2) * 1000;
  return in.error;
}

// The old pair form of u16 words, converted by the line table (before the
// new pair lists its oldest form is split first), into a block of *count
// u32 words.
static int Hst_ReadOldWords(u16 version, u32** words, u32* count) {
  FioFields in = {0};
  const u32 n = Fio_GetField(&in, 2);
  if (in.error) return in.error;
  if (n > HST_MAX_WORDS / 2) return 3;
  u16 old[HST_MAX_WORDS];
  for (u32 i = 0; i < n; ++i) old[i] = u16(Fio_GetField(&in, 2));
  if (in.error) return in.error;
  i32 len = i32(n);
  if (version < LAYVER_SHUNTING) len = Lin_OldListSplit(old, len);
  if (len < 0 || len > HST_MAX_WORDS / 2) return 3;
  *words = static_cast<u32*>(Heap_Alloc(u32(2 * len + 1) * 4));
  if (!*words) return 4;
  const i32 got = Lin_ListFromOldPairs(old, len, *words);
  if (got < 0) return 3;
  *count = u32(got);
  return 0;
}

// The line list's words; *words is the caller's to free, also on failure.
static int Hst_ReadWords(u16 version, u32** words, u32* count) {
  if (version < LAYVER_WIDE) return Hst_ReadOldWords(version, words, count);
  FioFields in = {0};
  const u32 n = Fio_GetField(&in, 4);
  if (in.error) return in.error;
  if (n > HST_MAX_WORDS) return 3;
  *words = static_cast<u32*>(Heap_Alloc(n ? n * 4 : 4));
  if (!*words) return 4;
  *count = n;
  for (u32 i = 0; i < n && !in.error; ++i) (*words)[i] = Fio_GetField(&in, 4);
  return in.error;
}

// The place pairs; *pairs is the caller's to free, also on failure.
static int Hst_ReadPairs(StopPair** pairs, u32* count) {
  FioFields in = {0};
  const u32 n = Fio_GetField(&in, 4);
  if (in.error) return in.error;
  if (n > HST_MAX_PAIRS) return 3;
  *pairs = static_cast<StopPair*>(Heap_Alloc(n ? n * 4 : 4));
  if (!*pairs) return 4;
  *count = n;
  for (u32 i = 0; i < n && !in.error; ++i) {
    (*pairs)[i].Number = u16(Fio_GetField(&in, 2));
    (*pairs)[i].Weight = u16(Fio_GetField(&in, 2));
  }
  return in.error;
}

// The stop's kind; *skip when the stop of an oldest file is left out.
static int Hst_ReadKind(u16 version, i32 x, i32 y, i32 level, u32* kind, int* skip) {
  if (version < LAYVER_KINDS) {
    // Kinds of the oldest files come from the cell's old stop element,
    // which becomes today's element here; a stop whose cell has none is
    // left out.
    const i32 k = level == 0 ? Hst_ConvertOldElement(x, y, 0) : -1;
    if (k < 0) *skip = 1;
    else *kind = u32(k);
    return 0;
  }
  FioFields in = {0};
  *kind = Fio_GetField(&in, 4);
  if (in.error) return in.error;
  if (version < LAYVER_KIND_SHIFT && *kind >= 1) ++*kind;
  u32 lo, hi;
  if (version < LAYVER_KIND_RANGE && Hst_IsCode(Grid_GetCellNorm(x, y, level), &lo, &hi) && (*kind < lo || *kind > hi))
    *kind = lo;
  return 0;
}

// One stop from its position on; 0 also for a stop that is left out.
static int Hst_ReadStop(u16 version) {
  i32 x, y, level;
  int r = Grid_ReadPos(&x, &y, &level, version);
  if (r) return r;
  if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
  u32 typeMask = 0, flags = 0, extra = 0;
  u8 dirMask = 0;
  if ((r = Hst_ReadFlags(version, &typeMask, &flags, &dirMask, &extra))) return r;
  u32 wordCount = 0, pairCount = 0, kind = 0;
  u32* words = nullptr;
  StopPair* pairs = nullptr;
  int skip = 0;
  if (flags & HST_F_LINES) r = Hst_ReadWords(version, &words, &wordCount);
  if (!r && (flags & HST_F_PAIRS)) r = Hst_ReadPairs(&pairs, &pairCount);
  if (!r) r = Hst_ReadKind(version, x, y, level, &kind, &skip);
  if (!r && !skip && Hst_Create(x, y, level, pairCount, pairs, wordCount, words, kind, extra, dirMask, flags, typeMask))
    r = 4;
  if (words) Heap_Free(words);
  if (pairs) Heap_Free(pairs);
  return r;
}

int Hst_LoadSection(u16 version) {
  Hst_Clear();
  u32 count = 0;
  int r = Hst_ReadHead(version, &count);
  for (u32 k = 0; k < count && !r; ++k) r = Hst_ReadStop(version);
  return r;
}

#include "model/lfst.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/line.h"
#include "model/rule.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { LFST_TAG = 0x5453464C };  // "LFST"
enum : u16 { LFST_TAG_OLD = 0x464C };  // "LF"
enum : TextId { LFST_TXT_COPY = 7300 };

static PointStore s_lfst;
static LfstHooks s_hooks;

static LfstRec* Lfst_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<LfstRec*>(Pobj_Find(&s_lfst, x, y, level));
}
static LfstRec* Lfst_Rec(PointHead* p) { return reinterpret_cast<LfstRec*>(p); }

static void Lfst_FreeRec(LfstRec* p) {
  if (p->Words) Heap_Free(p->Words);
  Heap_Free(p);
}

static int Lfst_Names(const PointHead* p, u32 id) {
  const LfstRec* r = reinterpret_cast<const LfstRec*>(p);
  return r->WordCount && Lin_ListContains(r->Words, i32(r->WordCount), id);
}

static i32 Lfst_CountLineInBox(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  return Pobj_CountNaming(&s_lfst, Lfst_Names, id, x1, y1, level1, x2, y2, level2, firstOnly);
}

void Lfst_Init(void) {
  Pobj_Reset(&s_lfst);
  static const LinModuleHooks lines = {Lfst_AddLineIdBeside, Lfst_RemoveLineId, Lfst_CountLineInBox};
  Lin_SetModuleHooks(LIN_MODULE_LFST, &lines);
}

void Lfst_Clear(void) {
  for (PointHead* p = s_lfst.First; p;) {
    PointHead* next = p->Next;
    Lfst_FreeRec(Lfst_Rec(p));
    p = next;
  }
  Pobj_Reset(&s_lfst);
}

void Lfst_Free(void) { Lfst_Clear(); }

u32 Lfst_Count(u32* maximum) {
  if (maximum) *maximum = LFST_MAX;
  return s_lfst.Count;
}

const LfstRec* Lfst_Find(i32 x, i32 y, i32 level) { return Lfst_At(x, y, level); }

// A new record, not linked; null when memory fails.
static LfstRec* Lfst_Make(i32 x, i32 y, i32 level, u32 wordCount, const u32* words, u32 kind, u32 dirMask,
                          u32 flags, const u32* table3, const u32* table2, const u32* table1) {
  LfstRec* p = static_cast<LfstRec*>(Heap_Alloc(sizeof(LfstRec)));
  if (!p) return nullptr;
  *p = LfstRec{};
  p->Head.X = x;
  p->Head.Y = y;
  p->Head.Level = level;
  p->Flags = flags;
  p->DirMask = dirMask & 0xFFFF;
  p->Kind = kind;
  const u32* tables[3] = {table1, table2, table3};
  for (int t = 0; t < 3; ++t)
    for (int i = 0; i < LFST_TYPES; ++i) p->Table[t][i] = tables[t] ? tables[t][i] : 0;
  if (words && wordCount >= 1) {
    p->Words = static_cast<u32*>(Heap_Alloc(wordCount * 4));
    if (!p->Words) return Heap_Free(p), nullptr;
    for (u32 i = 0; i < wordCount; ++i) p->Words[i] = words[i];
    p->WordCount = wordCount;
  }
  return p;
}

int Lfst_Create(i32 x, i32 y, i32 level, u32 wordCount, const u32* words, u32 kind, u32 dirMask, u32 flags,
                const u32* table3, const u32* table2, const u32* table1) {
  if (s_lfst.Count >= LFST_MAX || wordCount > RULE_WORDS_MAX) return 1;
  LfstRec* p = Lfst_Make(x, y, level, wordCount, words, kind, dirMask, flags, table3, table2, table1);
  if (!p) return 1;
  Pobj_Push(&s_lfst, &p->Head);
  return 0;
}

int Lfst_Set(i32 x, i32 y, i32 level, u32 wordCount, const u32* words, u32 kind, u32 dirMask, u32 flags,
             const u32* table3, const u32* table2, const u32* table1) {
  LfstRec* old = Lfst_At(x, y, level);
  if ((!old && s_lfst.Count >= LFST_MAX) || wordCount > RULE_WORDS_MAX) return 1;
  LfstRec* p = Lfst_Make(x, y, level, wordCount, words, kind, dirMask, flags, table3, table2, table1);
  // The old point goes only once the new one exists.
  if (!p) return 1;
  if (old) {
    Pobj_Unlink(&s_lfst, &old->Head);
    Lfst_FreeRec(old);
  }
  Pobj_Push(&s_lfst, &p->Head);
  Lay_MarkModified();
  return 0;
}

int Lfst_Delete(i32 x, i32 y, i32 level) {
  LfstRec* p = Lfst_At(x, y, level);
  if (!p) return 1;
  Pobj_Unlink(&s_lfst, &p->Head);
  Lfst_FreeRec(p);
  Lay_MarkModified();
  return 0;
}

i64 Lfst_GetInfo(i32 x, i32 y, i32 level, u32* wordCount, u32* words, u32* dirMask) {
  const LfstRec* p = Lfst_At(x, y, level);
  if (!p) return -1;
  if (wordCount) *wordCount = p->WordCount;
  if (words)
    for (u32 i = 0; i < p->WordCount; ++i) words[i] = p->Words[i];
  if (dirMask) *dirMask = p->DirMask;
  return p->Flags;
}

void Lfst_SetHooks(const LfstHooks* hooks) { s_hooks = hooks ? *hooks : LfstHooks{}; }

u32 Lfst_GetKind(i32 x, i32 y, i32 level, int force) {
  const LfstRec* p = Lfst_At(x, y, level);
  if (!p) return 0;
  const int shown = force || (s_hooks.showFlagged && s_hooks.showFlagged());
  if (!shown && (p->Flags & LFST_F_FLAGGED)) return 100 + (p->Kind & 1);
  return p->Kind;
}

int Lfst_SetKind(i32 x, i32 y, i32 level, u32 kind) {
  LfstRec* p = Lfst_At(x, y, level);
  if (!p) return 1;
  p->Kind = kind;
  return 0;
}

int Lfst_IsCode(u32 code, u32* low, u32* high) {
  if (!Cell_HasShapeIn(code, 176, 183)) return 0;
  u32 lo = 0, hi = 17;
  if (Cell_Class(code) >= 6) hi = 3;
  else if (Cell_Class(code) >= 4) lo = 4;
  if (low) *low = lo;
  if (high) *high = hi;
  return 1;
}

i32 Lfst_ValueForTrain(i32 x, i32 y, i32 level, u32 dirMask, u32 flags, i32 number, u32 line, u32 category,
                       u32 type) {
  const LfstRec* p = Lfst_At(x, y, level);
  if (!p) return -1;
  if (!(p->DirMask & dirMask)) return -2;
  if (line && number && (p->Flags & LFST_F_LINES)) {
    const int m = Lin_ListMatchNow(p->Words, i32(p->WordCount), line, nullptr, u32(number));
    if ((m && (p->Flags & LFST_F_LINES_NOT)) || (!m && (p->Flags & LFST_F_LINES_ONLY))) return -3;
  }
  // The tables hold types 1..10 only; any other type reads nothing.
  if (type < 1 || type > LFST_TYPES) return -4;
  int table = 0;
  if (((p->Flags & LFST_F_TABLE3_AT_PLACE) && (flags & 0x400) && (flags & 0x8000)) ||
      ((p->Flags & LFST_F_TABLE3_SERVICE) && (flags & 0x1) && (flags & 0x8000)))
    table = 2;
  else if (category == 2)
    table = 1;
  else if (category == 3)
    table = 2;
  return i32(p->Table[table][type - 1]);
}

i64 Lfst_UniformValue(const LfstRec* p) {
  const u32 v = p->Table[0][0];
  for (int t = 0; t < 3; ++t)
    for (int i = 0; i < LFST_TYPES; ++i)
      if (p->Table[t][i] != v) return -1;
  return v == 0xFFFFFFFFu ? -1 : i64(v);
}

u32 Lfst_CountByKind(u32* uniformZero, u32* uniformNonzero) {
  u32 zero = 0, nonzero = 0, flagged = 0;
  for (const PointHead* h = s_lfst.First; h; h = h->Next) {
    const LfstRec* p = reinterpret_cast<const LfstRec*>(h);
    const i64 v = Lfst_UniformValue(p);
    if (v == 0) ++zero;
    else if (v > 0) ++nonzero;
    if (p->Flags & LFST_F_FLAGGED) ++flagged;
  }
  if (uniformZero) *uniformZero = zero;
  if (uniformNonzero) *uniformNonzero = nonzero;
  return flagged;
}

i32 Lfst_ConvertOldElements(void) {
  i32 x0, y0, l0, l1, x1, y1;
  if (Grid_GetExtent(&x0, &y0, &l0, 0, &l1, &y1, &x1)) return 0;
  i32 made = 0;
  for (i32 y = y0; y <= y1; ++y)
    for (i32 x = x0; x <= x1; ++x) {
      const u32 code = Grid_GetCell(x, y, 0);
      u32 c = code;
      TrainRec* t = nullptr;
      u32 slot = 0;
      if (Cell_IsTrainMarker(code)) {
        t = Trn_FindAtCell(x, y, 0, &slot, u16(code));
        if (!t) continue;
        c = Trn_Cells(t)[slot].SavedCode;
        if (c == CELL_EMPTY) {
          Grid_SetCell(x, y, 0, CELL_EMPTY);
          continue;
        }
      }
      if (!Cell_HasShapeIn(c, 184, 191)) continue;
      const u32 dir = c & 7;
      const u32 fresh = Cell_WithShape(c, 176 + dir);
      if (t) Trn_Cells(t)[slot].SavedCode = fresh;
      else Grid_SetCell(x, y, 0, CellCode(fresh));
      const u32 kind = Cell_WithoutMark(fresh) < 7168 ? 6 : 2;
      if (Lfst_Create(x, y, 0, 0, nullptr, kind, 1u << dir, 0, nullptr, nullptr, nullptr)) return -1;
      ++made;
    }
  return made;
}

// ---------------------------------------------------------------- region and line hooks

static u32* Lfst_KindOf(PointHead* p) { return &reinterpret_cast<LfstRec*>(p)->Kind; }

i32 Lfst_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, int mode, u32 dirFilter, u32 elementCode, u32 classMask,
                          u32 newKind, u32 oldKind, i32 level2, i32 y2, i32 x2) {
  static const PointKindAccess access = {Lfst_KindOf, Lfst_IsCode};
  return Pobj_ReplaceKindsInBox(&s_lfst, &access, x1, y1, level1, mode, dirFilter, elementCode, classMask, newKind,
                                oldKind, level2, y2, x2);
}

void Lfst_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  Pobj_MoveInBox(&s_lfst, x1, y1, level1, x2, y2, level2, dx, dy, dlevel);
}

void Lfst_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                         i32 denY) {
  Pobj_TransformInBox(&s_lfst, x1, y1, level1, x2, y2, level2, numX, denX, numY, denY);
}

void Lfst_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Pobj_DeleteInBox(&s_lfst, Lfst_Delete, x1, y1, level1, x2, y2, level2);
}

static const PointHead* s_lfstCursor;

int Lfst_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                          i32* level) {
  return Pobj_FindNextNaming(&s_lfst, &s_lfstCursor, Lfst_Names, id, x1, y1, level1, x2, y2, level2, x, y, level);
}

void Lfst_RemoveLineId(u32 id) {
  for (PointHead* h = s_lfst.First; h; h = h->Next) {
    LfstRec* p = Lfst_Rec(h);
    if (!p->WordCount) continue;
    p->WordCount = u32(Lin_ListRemove(p->Words, i32(p->WordCount), id, 0));
    if (!p->WordCount) {
      Heap_Free(p->Words);
      p->Words = nullptr;
      p->Flags &= ~u32(LFST_F_LINES);
    }
  }
}

int Lfst_AddLineIdBeside(u32 newId, u32 oldId) {
  static u32 grown[LINE_LIST_MAX];
  int failed = 0;
  for (PointHead* h = s_lfst.First; h; h = h->Next) {
    LfstRec* p = Lfst_Rec(h);
    if (!p->WordCount || Lin_ListContains(p->Words, i32(p->WordCount), oldId) != 1) continue;
    i32 n = 0;
    const int r = Lin_ListAddBeside(p->Words, i32(p->WordCount), grown, &n, newId, oldId);
    if (r == -2 || r == -3) failed = 1;
    if (n <= 0 || u32(n) == p->WordCount) continue;
    u32* words = static_cast<u32*>(Heap_Alloc(u32(n) * 4));
    if (!words) {
      failed = 1;
      continue;
    }
    for (i32 i = 0; i < n; ++i) words[i] = grown[i];
    Heap_Free(p->Words);
    p->Words = words;
    p->WordCount = u32(n);
  }
  return failed;
}

// ---------------------------------------------------------------- clipboard block

// A point line: six fields and ten groups of three values of up to eight
// hex digits each, so that any value comes back whole.
enum { LFST_CLIP_LINE = 512 };

int Lfst_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(LFST_TXT_COPY));
  int r;
  if ((r = Pobj_ClipAppend(u"LFST_A"))) return r;
  for (const PointHead* h = s_lfst.First; h; h = h->Next) {
    if (!Pobj_InBox(h, x1, y1, level1, x2, y2, level2)) continue;
    const LfstRec* p = reinterpret_cast<const LfstRec*>(h);
    wch line[LFST_CLIP_LINE];
    i32 n = Fmt_Print(line, LFST_CLIP_LINE, u"%x,%x,%i,%x,%x,%x", u32(h->X), u32(h->Y), h->Level, p->Flags,
                      p->DirMask, p->Kind);
    for (int i = 0; i < LFST_TYPES; ++i)
      n += Fmt_Print(line + n, LFST_CLIP_LINE - n, u" %x,%x,%x", p->Table[0][i], p->Table[1][i], p->Table[2][i]);
    if ((r = Pobj_ClipAppend(line))) return r;
    if (p->Flags & LFST_F_LINES) {
      wch* text = nullptr;
      if (Rule_FormatAll(p->Words, 0, i32(p->WordCount), &text)) return 1;
      r = Pobj_ClipAppend(text);
      Heap_Free(text);
      if (r) return r;
    }
  }
  return Pobj_ClipAppend(u"LFST_E");
}

int Lfst_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel) {
  static wch line[RULE_TEXT_SIZE];
  static u32 words[RULE_WORDS_MAX];
  i32 at = *lineNo;
  if (Pobj_ClipRead(at++, LFST_CLIP_LINE, line)) return 2;
  int result = 0;
  for (;;) {
    if (Pobj_ClipRead(at++, LFST_CLIP_LINE, line)) return 2;
    i64 v[6];
    const wch* rest = nullptr;
    if (!Str_ScanFields(line, 6, "xxixxx", v, &rest)) {
      if (Str_CompareEx(line, u"LFST_E", 0) != 0) return 2;
      break;
    }
    u32 tables[3][LFST_TYPES];
    for (int i = 0; i < LFST_TYPES; ++i) {
      i64 g[3];
      if (*rest != ' ' || !Str_ScanFields(rest + 1, 3, "xxx", g, &rest)) return 2;
      for (int t = 0; t < 3; ++t) tables[t][i] = u32(g[t]);
    }
    if (*rest) return 2;
    u32 flags = u32(v[3]);
    i32 n = 0;
    if (flags & LFST_F_LINES) {
      if (Pobj_ClipRead(at++, RULE_TEXT_SIZE, line)) return 2;
      n = Rule_Parse(line, RULE_MODE_STOP, words);
      if (n <= 0) n = 0, flags &= ~u32(LFST_F_LINES);
    }
    const i32 x = i32(v[0]) + dx, y = i32(v[1]) + dy, level = i32(v[2]) + dlevel;
    const int inGrid = x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level >= -4 && level <= 0;
    if (!inGrid || Lfst_Create(x, y, level, u32(n), words, u32(v[5]), u32(v[4]), flags, tables[2], tables[1],
                               tables[0])) {
      if (inGrid) Grid_SetCell(x, y, level, CELL_EMPTY);
      result = 1;
    }
  }
  *lineNo = at;
  return result;
}

// ---------------------------------------------------------------- section

int Lfst_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(LFST_TAG)) || (r = Fio_WriteU32(s_lfst.Count))) return r;
  for (const PointHead* h = s_lfst.First; h; h = h->Next) {
    const LfstRec* p = reinterpret_cast<const LfstRec*>(h);
    if ((r = Grid_WritePos(h->X, h->Y, h->Level))) return r;
    for (int t = 0; t < 3; ++t)
      for (int i = 0; i < LFST_TYPES; ++i)
        if ((r = Fio_WriteU32(p->Table[t][i]))) return r;
    if ((r = Fio_WriteU32(p->Flags)) || (r = Fio_WriteU16(u16(p->DirMask))) || (r = Fio_WriteU32(p->Kind)))
      return r;
    if (p->Flags & LFST_F_LINES) {
      if ((r = Fio_WriteU32(p->WordCount))) return r;
      for (u32 i = 0; i < p->WordCount; ++i)
        if ((r = Fio_WriteU32(p->Words[i]))) return r;
    }
  }
  return 0;
}

// The seven values of the older forms over the three tables: table 1 at
// indexes 1-2, 3-4, 5, 6-7 and 8-10, all of table 2, all of table 3.
static void Lfst_SpreadSeven(const u32 seven[7], u32 table[3][LFST_TYPES]) {
  static const u8 kGroup[LFST_TYPES] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 4};
  for (int i = 0; i < LFST_TYPES; ++i) {
    table[0][i] = seven[kGroup[i]];
    table[1][i] = seven[5];
    table[2][i] = seven[6];
  }
}

int Lfst_LoadSection(u16 version) {
  int r;
  Lfst_Clear();
  if ((r = LayVer_ReadTag(version, LFST_TAG, LFST_TAG_OLD))) return r;
  u32 count;
  if ((r = Fio_ReadField(&count, version >= LAYVER_REPEAT ? 4 : 2))) return r;
  if (version < LAYVER_HOME) {
    // The oldest files store six times the count.
    if (count % 6) return 3;
    count /= 6;
  }
  if (count > LFST_MAX) return 3;
  static u32 words[RULE_WORDS_MAX];
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    if ((r = Grid_ReadPos(&x, &y, &level, version))) return r;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
    u32 table[3][LFST_TYPES] = {};
    u32 flags = 0, mask = 0, kind = 0, wordCount = 0;
    if (version >= LAYVER_WIDE) {
      for (int t = 0; t < 3; ++t)
        for (int i = 0; i < LFST_TYPES; ++i)
          if ((r = Fio_ReadU32(&table[t][i]))) return r;
      if ((r = Fio_ReadU32(&flags)) || (r = Fio_ReadField(&mask, 2))) return r;
    } else {
      u32 seven[7] = {};
      int hasMask = 1;
      int sevenFollow = 1;
      if (version < LAYVER_SEVEN) {
        u32 first;
        if ((r = Fio_ReadField(&first, 2))) return r;
        hasMask = 0;
        if (first) {
          for (u32& s : seven) s = first;
          sevenFollow = 0;
        }
      }
      if (sevenFollow) {
        for (u32& s : seven)
          if ((r = Fio_ReadField(&s, version >= LAYVER_THOUSANDTHS ? 4 : 2))) return r;
        if ((r = Fio_ReadField(&flags, 2))) return r;
        if (flags & 0x1) flags |= 0x2;
        if (hasMask && (r = Fio_ReadField(&mask, 2))) return r;
      }
      if (version < LAYVER_THOUSANDTHS)
        for (u32& s : seven) s *= 1000;
      Lfst_SpreadSeven(seven, table);
      // Line lists came with the wide form.
      flags &= ~u32(LFST_F_LINES);
    }
    if (version >= LAYVER_KINDS) {
      if ((r = Fio_ReadU32(&kind))) return r;
    }
    if (version >= LAYVER_WIDE && (flags & LFST_F_LINES)) {
      if ((r = Fio_ReadU32(&wordCount))) return r;
      if (wordCount > RULE_WORDS_MAX) return 3;
      for (u32 i = 0; i < wordCount; ++i)
        if ((r = Fio_ReadU32(&words[i]))) return r;
    }
    const u32 code = Grid_GetCellNorm(x, y, level);
    if (version < LAYVER_KINDS) {
      // The kind of these files is the cell's; a record at a cell without
      // an LFST element is dropped.
      if (!Cell_HasShapeIn(code, 176, 183)) continue;
      kind = Cell_WithoutMark(code) < 7168 ? 4 : 0;
    }
    if (!mask) mask = 1u << (code & 7);
    if (Lfst_Create(x, y, level, wordCount, words, kind, mask, flags, table[2], table[1], table[0])) return 4;
  }
  return 0;
}

// ---------------------------------------------------------------- text listing

enum : TextId {
  LFST_TXT_HEADING = 7400,
  LFST_TXT_COUNT = 7401,
  LFST_TXT_ALL_ZERO = 7402,
  LFST_TXT_UNIFORM = 7403,
  LFST_TXT_OTHERS = 7404,
  LFST_TXT_FLAGGED_COUNT = 7407,
  LFST_TXT_POINT = 7440,
  LFST_TXT_AT = 7441,
  LFST_TXT_FLAGGED = 7442,
  LFST_TXT_LINES_ONLY = 7445,
  LFST_TXT_LINES_NOT = 7446,
  LFST_TXT_NO_LINES = 7447,
  LFST_TXT_VALUES_ZERO = 7451,
  LFST_TXT_VALUES = 7452,
  LFST_TXT_VALUES_DIFFER = 7453,
  LFST_TXT_UNIT = 7454
};

static int Lfst_WriteLine(const wch* s) {
  int r = Fio_WriteString(s);
  return r ? r : Fio_WriteCrLf();
}

int Lfst_WriteText(int withInfo) {
  wch line[256];
  int r;
  u32 zero = 0, uniform = 0;
  const u32 flagged = Lfst_CountByKind(&zero, &uniform);
  if ((r = Lfst_WriteLine(Lng_GetText(LFST_TXT_HEADING)))) return r;
  Fmt_Print(line, 256, Lng_GetText(LFST_TXT_COUNT), s_lfst.Count);
  if ((r = Lfst_WriteLine(line))) return r;
  const u32 counts[4] = {zero, uniform, s_lfst.Count - zero - uniform, flagged};
  const TextId texts[4] = {LFST_TXT_ALL_ZERO, LFST_TXT_UNIFORM, LFST_TXT_OTHERS, LFST_TXT_FLAGGED_COUNT};
  for (int i = 0; i < 4; ++i) {
    Fmt_Print(line, 256, Lng_GetText(texts[i]), counts[i]);
    if ((r = Lfst_WriteLine(line))) return r;
  }
  if ((r = Fio_WriteSeparator())) return r;
  for (const PointHead* h = s_lfst.First; h; h = h->Next) {
    const LfstRec* p = reinterpret_cast<const LfstRec*>(h);
    if ((r = Lfst_WriteLine(Lng_GetText(LFST_TXT_POINT)))) return r;
    Fmt_Print(line, 256, u"%s %5i,%5i,%+i", Lng_GetText(LFST_TXT_AT), h->X, h->Y, h->Level);
    if ((r = Fio_WriteString(line))) return r;
    if ((p->Flags & LFST_F_FLAGGED) && (r = Fio_WriteString(Lng_GetText(LFST_TXT_FLAGGED)))) return r;
    if ((r = Fio_WriteCrLf())) return r;
    if (p->Flags & LFST_F_LINES) {
      if ((r = Fio_WriteString(Lng_GetText(p->Flags & LFST_F_LINES_ONLY ? LFST_TXT_LINES_ONLY : LFST_TXT_LINES_NOT))) ||
          (r = Rule_PrintText(p->Words, i32(p->WordCount))))
        return r;
    } else if ((r = Lfst_WriteLine(Lng_GetText(LFST_TXT_NO_LINES)))) {
      return r;
    }
    const i64 v = Lfst_UniformValue(p);
    if (v == 0) {
      r = Lfst_WriteLine(Lng_GetText(LFST_TXT_VALUES_ZERO));
    } else {
      if ((r = Fio_WriteString(Lng_GetText(LFST_TXT_VALUES)))) return r;
      if (v < 0) {
        r = Lfst_WriteLine(Lng_GetText(LFST_TXT_VALUES_DIFFER));
      } else {
        Fmt_Print(line, 256, u" %i%s", i32(v / 1000), Lng_GetText(LFST_TXT_UNIT));
        r = Lfst_WriteLine(line);
      }
    }
    if (r) return r;
    // The cell's info text joins the listing with the info points' own
    // writer; until then withInfo adds nothing.
    (void)withInfo;
    if ((r = Fio_WriteSeparator())) return r;
  }
  return 0;
}

#include "model/dwx.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/line.h"
#include "model/rule.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { DWX_TAG = 0x50585744 };  // "DWXP"
enum : u16 { DWX_TAG_OLD = 0x574C };
enum : TextId {
  DWX_TXT_POINT = 9520,
  DWX_TXT_AT = 9521,
  DWX_TXT_RULE = 9523,
  DWX_TXT_NO_RULE = 9524,
  DWX_TXT_COUNT = 9600,
  DWX_TXT_COPY = 9620
};

static PointStore s_dwx;

static DwxRec* Dwx_At(i32 x, i32 y, i32 level) { return reinterpret_cast<DwxRec*>(Pobj_Find(&s_dwx, x, y, level)); }
static DwxRec* Dwx_Rec(PointHead* p) { return reinterpret_cast<DwxRec*>(p); }
static u32* Dwx_WordsOf(DwxRec* d) { return reinterpret_cast<u32*>(d + 1); }

static int Dwx_Names(const PointHead* p, u32 id) {
  const DwxRec* d = reinterpret_cast<const DwxRec*>(p);
  return d->WordCount && Lin_ListContains(Dwx_Words(d), i32(d->WordCount), id);
}

static i32 Dwx_CountLineInBox(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  return Pobj_CountNaming(&s_dwx, Dwx_Names, id, x1, y1, level1, x2, y2, level2, firstOnly);
}

void Dwx_Init(void) {
  Pobj_Reset(&s_dwx);
  static const LinModuleHooks lines = {Dwx_OnLineCopied, Dwx_OnLineDeleted, Dwx_CountLineInBox};
  Lin_SetModuleHooks(LIN_MODULE_DWX, &lines);
}
void Dwx_Clear(void) { Pobj_FreeAll(&s_dwx); }
void Dwx_Exit(void) { Dwx_Clear(); }
u32 Dwx_Count(void) { return s_dwx.Count; }
const DwxRec* Dwx_First(void) { return Dwx_Rec(s_dwx.First); }
const DwxRec* Dwx_FindAt(i32 x, i32 y, i32 level) { return Dwx_At(x, y, level); }

static int Dwx_CompareNames(const wch* a, const wch* b) {
  return Str_CompareEx(a, b, STR_CMP_NOCASE | STR_CMP_SKIPBLANK);
}

// Links the record into its bucket and in front of the first greater name.
static void Dwx_Link(DwxRec* d) {
  PointHead** l = &s_dwx.First;
  while (*l && Dwx_CompareNames(Dwx_Rec(*l)->Name, d->Name) <= 0) l = &(*l)->Next;
  d->Head.Next = *l;
  *l = &d->Head;
  PointHead** b = &s_dwx.Buckets[d->Head.X & (POINT_BUCKETS - 1)];
  d->Head.BucketNext = *b;
  *b = &d->Head;
  ++s_dwx.Count;
}

// A name token of at most 16 characters: STR_TOKEN_* codes.
static int Dwx_ReadName(const wch* name, wch* out) {
  out[0] = 0;
  return name ? Str_ParseToken(name, out, nullptr, nullptr, DWX_NAME_MAX) : STR_TOKEN_EMPTY;
}

const DwxRec* Dwx_FindByName(const wch* name) {
  wch token[DWX_NAME_SIZE];
  if (Dwx_ReadName(name, token) != STR_TOKEN_OK) return nullptr;
  for (PointHead* p = s_dwx.First; p; p = p->Next)
    if (Str_CompareEx(Dwx_Rec(p)->Name, token, STR_CMP_NOCASE) == 0) return Dwx_Rec(p);
  return nullptr;
}

int Dwx_Create(i32 x, i32 y, i32 level, u32 value, u32 mask, const wch* name) {
  DwxRec* old = Dwx_At(x, y, level);
  if (!old && s_dwx.Count >= DWX_MAX) return DWX_FULL;
  DwxRec* d = static_cast<DwxRec*>(Heap_Alloc(sizeof(DwxRec)));
  if (!d) return DWX_NO_MEMORY;
  *d = DwxRec{};
  d->Head.X = x;
  d->Head.Y = y;
  d->Head.Level = level;
  d->Mask = mask & 0xFFFF;
  d->Value = value;
  if (name) {
    name += Str_CountLeadingBlanks(name);
    i32 n = 0;
    while (name[n] && n < DWX_NAME_MAX) d->Name[n] = name[n], ++n;
    d->Name[n] = 0;
  }
  // The old point goes only now that the new one exists.
  if (old) {
    Pobj_Unlink(&s_dwx, &old->Head);
    Heap_Free(old);
  }
  Dwx_Link(d);
  return DWX_OK;
}

int Dwx_Set(i32 x, i32 y, i32 level, u32 value, u32 mask, const wch* name) {
  wch token[DWX_NAME_SIZE];
  const int t = Dwx_ReadName(name, token);
  if (t == STR_TOKEN_EMPTY) return DWX_NAME_EMPTY;
  if (t != STR_TOKEN_OK) return DWX_NAME_BAD;
  const DwxRec* other = Dwx_FindByName(token);
  if (other && (other->Head.X != x || other->Head.Y != y || other->Head.Level != level)) return DWX_NAME_TAKEN;
  const int r = Dwx_Create(x, y, level, value, mask, token);
  if (r == DWX_OK) {
    Lay_MarkModified();
    Grid_RedrawCell(x, y, level, GRID_REDRAW_ALL);
  }
  return r;
}

// Replaces the record by a block with the given words, in the same places.
static int Dwx_Rebuild(DwxRec* d, const u32* words, u32 count) {
  DwxRec* n = static_cast<DwxRec*>(Heap_Alloc(sizeof(DwxRec) + count * 4));
  if (!n) return 1;
  *n = *d;
  n->WordCount = count;
  for (u32 i = 0; i < count; ++i) Dwx_WordsOf(n)[i] = words[i];
  Pobj_Unlink(&s_dwx, &d->Head);
  Heap_Free(d);
  Dwx_Link(n);
  return 0;
}

int Dwx_SetRule(i32 x, i32 y, i32 level, const u32* words, u32 count) {
  DwxRec* d = Dwx_At(x, y, level);
  if (!d) return 2;
  if (!words) count = 0;
  if (count > RULE_WORDS_MAX || Dwx_Rebuild(d, words, count)) return 1;
  Lay_MarkModified();
  return 0;
}

int Dwx_SetValue(i32 x, i32 y, i32 level, u32 value) {
  DwxRec* d = Dwx_At(x, y, level);
  if (!d) return 1;
  d->Value = value;
  return 0;
}

u32 Dwx_GetValue(i32 x, i32 y, i32 level) {
  const DwxRec* d = Dwx_At(x, y, level);
  return d ? d->Value : 0;
}

int Dwx_GetInfo(i32 x, i32 y, i32 level, u32* words, u32* count, u32* mask, wch* name) {
  const DwxRec* d = Dwx_At(x, y, level);
  if (!d) return 1;
  if (words)
    for (u32 i = 0; i < d->WordCount; ++i) words[i] = Dwx_Words(d)[i];
  if (count) *count = d->WordCount;
  if (mask) *mask = d->Mask;
  if (name) Str_Copy(name, d->Name);
  return 0;
}

int Dwx_IsFreeCell(i32 x, i32 y, i32 level) { return Dwx_At(x, y, level) ? 0 : 1; }

int Dwx_Delete(i32 x, i32 y, i32 level) {
  DwxRec* d = Dwx_At(x, y, level);
  if (!d) return 1;
  Pobj_Unlink(&s_dwx, &d->Head);
  Heap_Free(d);
  Lay_MarkModified();
  return 0;
}

int Dwx_IsCode(u32 code, u32* low, u32* high) {
  if (!Cell_HasShapeIn(code, 200, 207)) return 0;
  if (low) *low = 0;
  if (high) *high = Cell_ClassIn(code, 6, 7) ? 0 : 1;
  return 1;
}

int Dwx_GetPosByName(const wch* name, i32* x, i32* y, i32* level) {
  const DwxRec* d = Dwx_FindByName(name);
  if (!d) return 1;
  if (x) *x = d->Head.X;
  if (y) *y = d->Head.Y;
  if (level) *level = d->Head.Level;
  return 0;
}

int Dwx_StepName(const wch* name, wch* out, i32 step) {
  if (!s_dwx.First) {
    if (out != name) Str_Copy(out, name ? name : u"");
    return 1;
  }
  const DwxRec* d = Dwx_FindByName(name);
  if (!d) {
    Str_Copy(out, Dwx_Rec(s_dwx.First)->Name);
    return 0;
  }
  i32 index = 0;
  for (const PointHead* p = s_dwx.First; p != &d->Head; p = p->Next) ++index;
  const i32 n = i32(s_dwx.Count);
  i32 target = (index + (step < 1 ? step % n + n : step % n)) % n;
  if (step == 0) target = (index - 1 + n) % n;
  const PointHead* p = s_dwx.First;
  while (target-- > 0) p = p->Next;
  Str_Copy(out, Dwx_Rec(const_cast<PointHead*>(p))->Name);
  return 0;
}

int Dwx_MakeFreeName(wch* out) {
  wch plain[DWX_NAME_SIZE];
  Fmt_Print(plain, DWX_NAME_SIZE, u"DW_%06u", s_dwx.Count + 1);
  Fmt_Print(out, DWX_NAME_SIZE, u"%16s", plain);
  if (!Dwx_FindByName(out)) return 0;
  for (u32 k = 0; k < 100; ++k) {
    Fmt_Print(plain, DWX_NAME_SIZE, u"DW_%06u_%02u", s_dwx.Count + 1, k);
    Fmt_Print(out, DWX_NAME_SIZE, u"%16s", plain);
    if (!Dwx_FindByName(out)) return 0;
  }
  out[0] = 0;
  return 1;
}

// ---------------------------------------------------------------- trains

int Dwx_MatchTrain(i32 x, i32 y, i32 level, u32 directionBits, u32 line, u32 number, DwxMatch* out) {
  const DwxRec* d = Dwx_At(x, y, level);
  if (!d) return 1;
  if (!(d->Mask & directionBits)) return 2;
  const u32* w = Dwx_Words(d);
  const i32 length = i32(d->WordCount);
  if (out) *out = DwxMatch{};
  if (length == 0) return 0;
  const i32 at = Lin_ListMatch(w, length, line, nullptr, nullptr, Clk_Now(), number);
  if (at < 0) return 2;
  if (out) {
    // The matched group is the one the option index lies in.
    for (i32 start = 0; start < length;) {
      const i32 g = Lin_ListGroupLength(w + start, length - start);
      if (g <= 0) break;
      if (at < start + g) {
        if (g <= DWX_GROUP_MAX) {
          out->Length = g;
          for (i32 i = 0; i < g; ++i) out->Group[i] = w[start + i];
        }
        break;
      }
      start += g;
    }
  }
  return 0;
}

// ---------------------------------------------------------------- line and depot hooks

void Dwx_OnLineDeleted(u32 id) {
  for (PointHead* p = s_dwx.First; p; p = p->Next) {
    DwxRec* d = Dwx_Rec(p);
    if (d->WordCount) d->WordCount = u32(Lin_ListRemove(Dwx_WordsOf(d), i32(d->WordCount), id, 1));
  }
}

int Dwx_OnLineCopied(u32 newId, u32 oldId) {
  static u32 grown[LINE_LIST_MAX];
  int failed = 0;
  for (PointHead* p = s_dwx.First; p;) {
    PointHead* next = p->Next;
    DwxRec* d = Dwx_Rec(p);
    if (d->WordCount && Lin_ListContains(Dwx_Words(d), i32(d->WordCount), oldId) == 1) {
      i32 n = 0;
      const int r = Lin_ListAddBeside(Dwx_Words(d), i32(d->WordCount), grown, &n, newId, oldId);
      if (r == -2 || r == -3) failed = 1;
      // Re-linking keeps the name order, so the walk goes on from next.
      if (n > 0 && u32(n) != d->WordCount && Dwx_Rebuild(d, grown, u32(n))) failed = 1;
    }
    p = next;
  }
  return failed;
}

void Dwx_OnDepotPlaceDeleted(u32 depot, u32 place) {
  for (PointHead* p = s_dwx.First; p; p = p->Next) {
    DwxRec* d = Dwx_Rec(p);
    if (d->WordCount) Lin_ListClearDepotPlaces(Dwx_WordsOf(d), i32(d->WordCount), depot, place);
  }
}

void Dwx_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace) {
  for (PointHead* p = s_dwx.First; p; p = p->Next) {
    DwxRec* d = Dwx_Rec(p);
    if (d->WordCount) Lin_ListRenumberDepotPlace(Dwx_WordsOf(d), i32(d->WordCount), depot, newPlace, oldPlace);
  }
}

// ---------------------------------------------------------------- region hooks

void Dwx_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  Pobj_MoveInBox(&s_dwx, x1, y1, level1, x2, y2, level2, dx, dy, dlevel);
}

void Dwx_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                        i32 denY) {
  Pobj_TransformInBox(&s_dwx, x1, y1, level1, x2, y2, level2, numX, denX, numY, denY);
}

void Dwx_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Pobj_DeleteInBox(&s_dwx, Dwx_Delete, x1, y1, level1, x2, y2, level2);
}

static const PointHead* s_dwxCursor;

int Dwx_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                         i32* level) {
  return Pobj_FindNextNaming(&s_dwx, &s_dwxCursor, Dwx_Names, id, x1, y1, level1, x2, y2, level2, x, y, level);
}

// ---------------------------------------------------------------- clipboard block

enum { DWX_CLIP_LINE = 120 };

int Dwx_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(DWX_TXT_COPY));
  int r;
  if ((r = Pobj_ClipAppend(u"DWX_A"))) return r;
  for (const PointHead* p = s_dwx.First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    const DwxRec* d = reinterpret_cast<const DwxRec*>(p);
    wch line[DWX_CLIP_LINE];
    Fmt_Print(line, DWX_CLIP_LINE, u"%x,%x,%i,%x,%x", u32(p->X), u32(p->Y), p->Level, d->Mask, d->Value);
    if ((r = Pobj_ClipAppend(line))) return r;
    wch* text = nullptr;
    if (d->WordCount) {
      if (Rule_FormatAll(Dwx_Words(d), 0, i32(d->WordCount), &text)) return 1;
    }
    r = Pobj_ClipAppend(text ? text : u"");
    if (text) Heap_Free(text);
    if (r) return r;
  }
  return Pobj_ClipAppend(u"DWX_E");
}

static const wch kDwxTempPrefix[] = u"__W7QC3P6X_";

// Every point under a temporary name gets the first free "_____COPY_L%05u",
// counting from the count + 1 and wrapping from 99999 to 0.
static void Dwx_RenameTemporary(void) {
  const i32 prefixLength = Str_Len(kDwxTempPrefix);
  u32 k = (s_dwx.Count + 1) % 100000;
  for (;;) {
    DwxRec* d = nullptr;
    for (PointHead* p = s_dwx.First; p && !d; p = p->Next)
      if (Mem_Compare(Dwx_Rec(p)->Name, kDwxTempPrefix, prefixLength * 2) == 0) d = Dwx_Rec(p);
    if (!d) return;
    wch name[DWX_NAME_SIZE];
    for (u32 tries = 0; tries < 100000; ++tries, k = (k + 1) % 100000) {
      Fmt_Print(name, DWX_NAME_SIZE, u"_____COPY_L%05u", k);
      if (!Dwx_FindByName(name)) break;
    }
    Pobj_Unlink(&s_dwx, &d->Head);
    Str_Copy(d->Name, name);
    Dwx_Link(d);
  }
}

static int Dwx_PasteLines(i32* at, i32 dx, i32 dy, i32 dlevel) {
  static wch line[RULE_TEXT_SIZE];
  static u32 words[RULE_WORDS_MAX];
  int result = 0;
  u32 serial = 0;
  for (;;) {
    if (Pobj_ClipRead((*at)++, DWX_CLIP_LINE, line)) return 4;
    i64 v[5];
    if (!Str_ScanFields(line, 5, "xxixx", v, nullptr)) return Str_CompareEx(line, u"DWX_E", 0) == 0 ? result : 4;
    const i32 x = i32(v[0]) + dx, y = i32(v[1]) + dy, level = i32(v[2]) + dlevel;
    const int inGrid = x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level >= -4 && level <= 0;
    wch name[DWX_NAME_SIZE];
    Fmt_Print(name, DWX_NAME_SIZE, u"%s%05u", kDwxTempPrefix, serial++ % 100000);
    const int ok = inGrid && Dwx_Set(x, y, level, u32(v[4]), u32(v[3]), name) == DWX_OK;
    if (!ok) {
      if (inGrid) Grid_SetCell(x, y, level, CELL_EMPTY);
      result |= 1;
    }
    if (Pobj_ClipRead((*at)++, RULE_TEXT_SIZE, line)) return 4;
    if (!ok) continue;
    const i32 n = Rule_Parse(line, RULE_MODE_DWX, words);
    if (n > 0 && Dwx_SetRule(x, y, level, words, u32(n))) result |= 2;
  }
}

int Dwx_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel) {
  wch line[DWX_CLIP_LINE];
  i32 at = *lineNo;
  if (Pobj_ClipRead(at++, DWX_CLIP_LINE, line)) return 4;
  const int r = Dwx_PasteLines(&at, dx, dy, dlevel);
  // Renamed on every way out, so that a second paste never meets a
  // temporary name of the first.
  Dwx_RenameTemporary();
  if (r != 4) *lineNo = at;
  return r;
}

// ---------------------------------------------------------------- section

int Dwx_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(DWX_TAG)) || (r = Fio_WriteU32(s_dwx.Count))) return r;
  for (const PointHead* p = s_dwx.First; p; p = p->Next) {
    const DwxRec* d = reinterpret_cast<const DwxRec*>(p);
    if ((r = Grid_WritePos(p->X, p->Y, p->Level)) || (r = Fio_WriteU16(u16(d->Mask))) ||
        (r = Fio_WriteU32(d->Value)) || (r = Fio_WriteU32(d->WordCount)))
      return r;
    for (const wch* c = d->Name;; ++c) {
      if ((r = Fio_WriteU16(*c))) return r;
      if (!*c) break;
    }
    for (u32 i = 0; i < d->WordCount; ++i)
      if ((r = Fio_WriteU32(Dwx_Words(d)[i]))) return r;
  }
  return 0;
}

int Dwx_LoadSection(u16 version) {
  int r;
  Dwx_Clear();
  if (version < LAYVER_TRAIN_TEXT) return 0;
  const int wide = version >= LAYVER_WIDE;
  if ((r = LayVer_ReadTag(version, DWX_TAG, DWX_TAG_OLD))) return r;
  u32 count;
  if ((r = Fio_ReadU32(&count))) return r;
  if (count > DWX_MAX) return 3;
  static u32 words[RULE_WORDS_MAX];
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    if ((r = Grid_ReadPos(&x, &y, &level, version))) return r;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
    u16 mask;
    u32 value = 0, wordCount;
    if ((r = Fio_ReadU16(&mask))) return r;
    if (version >= LAYVER_KINDS && (r = Fio_ReadU32(&value))) return r;
    if ((r = Fio_ReadField(&wordCount, wide ? 4 : 2))) return r;
    if (wordCount > RULE_WORDS_MAX) return 3;
    wch name[DWX_NAME_SIZE];
    if (wide) {
      i32 n = 0;
      for (;;) {
        u16 c;
        if ((r = Fio_ReadU16(&c))) return r;
        if (n >= DWX_NAME_SIZE) return 3;
        name[n++] = c;
        if (!c) break;
      }
    } else {
      char bytes[DWX_NAME_SIZE];
      if (Fio_ReadBlock(bytes, 16) != 16) return 1;
      bytes[16] = 0;
      if (Lng_AnsiToWide(bytes, name, DWX_NAME_SIZE) < 1) name[0] = 0;
      name[DWX_NAME_MAX] = 0;
    }
    if (wordCount && !wide) {
      // The old pair form of rules needs the old line table's converter,
      // which these files cannot reach here; the rule is refused rather
      // than read as something else.
      return 3;
    }
    for (u32 i = 0; i < wordCount; ++i)
      if ((r = Fio_ReadU32(&words[i]))) return r;
    if (Dwx_Create(x, y, level, value, mask, name)) return 4;
    if (wordCount && Dwx_SetRule(x, y, level, words, wordCount)) return 4;
  }
  return 0;
}

// ---------------------------------------------------------------- text listing

static int Dwx_WriteLine(const wch* s) {
  const int r = Fio_WriteString(s);
  return r ? r : Fio_WriteCrLf();
}

int Dwx_WriteReport(int detail) {
  wch line[256];
  int r;
  Fmt_Print(line, 256, Lng_GetText(DWX_TXT_COUNT), s_dwx.Count);
  if ((r = Dwx_WriteLine(line)) || (r = Fio_WriteSeparator())) return r;
  for (const PointHead* p = s_dwx.First; p; p = p->Next) {
    const DwxRec* d = reinterpret_cast<const DwxRec*>(p);
    if ((r = Fio_WriteString(Lng_GetText(DWX_TXT_POINT))) || (r = Dwx_WriteLine(d->Name))) return r;
    Fmt_Print(line, 256, u"%s %5i,%5i,%+i\r\n", Lng_GetText(DWX_TXT_AT), p->X, p->Y, p->Level);
    if ((r = Fio_WriteString(line))) return r;
    // The cell's info text joins the listing with the info points' own
    // writer; until then the detail flag adds nothing.
    (void)detail;
    if ((r = Fio_WriteString(Lng_GetText(DWX_TXT_RULE)))) return r;
    if (d->WordCount) r = Rule_PrintText(Dwx_Words(d), i32(d->WordCount));
    else r = Dwx_WriteLine(Lng_GetText(DWX_TXT_NO_RULE));
    if (r || (r = Fio_WriteSeparator())) return r;
  }
  return 0;
}

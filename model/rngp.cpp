#include "model/rngp.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/line.h"
#include "model/rule.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { RP_TAG = 0x50474E52 };  // "RNGP"
enum : u16 { RP_TAG_OLD = 0x5052 };  // "RP"
enum : TextId { RP_TXT_COPY = 15720, RP_TXT_ASK = 15523, RP_TXT_ASK_PARK = 15524 };

static PointStore s_rp;
static RpHooks s_hooks;
static int (*s_showFlagged)(void);

static ShuntPointRec* Rp_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<ShuntPointRec*>(Pobj_Find(&s_rp, x, y, level));
}
static ShuntPointRec* Rp_Rec(PointHead* p) { return reinterpret_cast<ShuntPointRec*>(p); }
static u32* Rp_WordsOf(ShuntPointRec* p) { return reinterpret_cast<u32*>(p + 1); }
static u32 Rp_Total(const ShuntPointRec* p) { return p->Count[0] + p->Count[1] + p->Count[2] + p->Count[3]; }

static int Rp_Names(const PointHead* h, u32 id) {
  const ShuntPointRec* p = reinterpret_cast<const ShuntPointRec*>(h);
  const u32* w = Rp_Words(p);
  return Lin_ListContains(w, i32(p->Count[0]), id) || Lin_ListContains(w + p->Count[0], i32(p->Count[1]), id);
}

static i32 Rp_CountLineInBox(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  return Pobj_CountNaming(&s_rp, Rp_Names, id, x1, y1, level1, x2, y2, level2, firstOnly);
}

void Rp_Init(void) {
  Pobj_Reset(&s_rp);
  static const LinModuleHooks lines = {Rp_AddLineIdBeside, Rp_RemoveLineId, Rp_CountLineInBox};
  Lin_SetModuleHooks(LIN_MODULE_SHUNTING, &lines);
}
void Rp_Clear(void) { Pobj_FreeAll(&s_rp); }
void Rp_Free(void) { Rp_Clear(); }

u32 Rp_Count(u32* maximum) {
  if (maximum) *maximum = RP_MAX;
  return s_rp.Count;
}

const ShuntPointRec* Rp_Find(i32 x, i32 y, i32 level) { return Rp_At(x, y, level); }

void Rp_SetHooks(const RpHooks* hooks) { s_hooks = hooks ? *hooks : RpHooks{}; }
void Rp_SetShowFlagged(int (*showFlagged)(void)) { s_showFlagged = showFlagged; }

// A new head, not linked.
static ShuntPointRec* Rp_MakeHead(i32 x, i32 y, i32 level, u32 kind, u32 dirMask, u32 type) {
  ShuntPointRec* p = static_cast<ShuntPointRec*>(Heap_Alloc(sizeof(ShuntPointRec)));
  if (!p) return nullptr;
  *p = ShuntPointRec{};
  p->Head.X = x;
  p->Head.Y = y;
  p->Head.Level = level;
  p->Type = type;
  p->DirMask = dirMask & 0xFFFF;
  p->Kind = kind;
  p->Value[1] = 30;
  p->Value[2] = 15;
  return p;
}

int Rp_Set(i32 x, i32 y, i32 level, u32 kind, u32 dirMask, u32 type) {
  ShuntPointRec* old = Rp_At(x, y, level);
  if (!old && s_rp.Count >= RP_MAX) return 1;
  ShuntPointRec* p = Rp_MakeHead(x, y, level, kind, dirMask, type);
  // The old point goes only once the new one exists.
  if (!p) return 1;
  if (old) {
    Pobj_Unlink(&s_rp, &old->Head);
    Heap_Free(old);
  }
  Pobj_Push(&s_rp, &p->Head);
  Lay_MarkModified();
  return 0;
}

int Rp_Edit(i32 x, i32 y, i32 level, const u32* words, u32 flags, u32 value3, u32 value4, u32 value5, u32 value2,
            u32 resultValue, u32 count4, u32 count3, u32 count2, u32 count1) {
  ShuntPointRec* old = Rp_At(x, y, level);
  if (!old) return 2;
  if (old->Type != RP_TYPE_REFUSE && old->Type != RP_TYPE_TAKE) return 3;
  const u64 total = u64(count1) + count2 + count3 + count4;
  if (total > 4 * u64(RULE_WORDS_MAX) || (total && !words)) return 1;
  ShuntPointRec* p = static_cast<ShuntPointRec*>(Heap_Alloc(u32(sizeof(ShuntPointRec) + total * 4)));
  if (!p) return 1;
  *p = *old;
  p->Flags = flags;
  p->ResultValue = resultValue;
  p->Value[0] = value2;
  p->Value[1] = value3;
  p->Value[2] = value4;
  p->Value[3] = value5;
  p->Count[0] = count1;
  p->Count[1] = count2;
  p->Count[2] = count3;
  p->Count[3] = count4;
  for (u32 i = 0; i < u32(total); ++i) Rp_WordsOf(p)[i] = words[i];
  Pobj_Replace(&s_rp, &old->Head, &p->Head);
  Heap_Free(old);
  Lay_MarkModified();
  return 0;
}

int Rp_Delete(i32 x, i32 y, i32 level) {
  ShuntPointRec* p = Rp_At(x, y, level);
  if (!p) return 0;
  Pobj_Unlink(&s_rp, &p->Head);
  Heap_Free(p);
  Lay_MarkModified();
  return 1;
}

u32 Rp_GetKind(i32 x, i32 y, i32 level, int force) {
  const ShuntPointRec* p = Rp_At(x, y, level);
  if (!p) return 0;
  const int shown = force || (s_showFlagged && s_showFlagged());
  if (!shown && (p->Flags & RP_F_FLAGGED)) return 100 + (p->Kind & 1);
  return p->Kind;
}

int Rp_SetKind(i32 x, i32 y, i32 level, u32 kind) {
  ShuntPointRec* p = Rp_At(x, y, level);
  if (!p) return 1;
  p->Kind = kind;
  return 0;
}

static const PointHead* s_rpIterated;

u32 Rp_Iterate(i32* x, i32* y, i32* level, u32* flags, u32* dirMask) {
  const PointHead* h = nullptr;
  if (*x == -1) {
    h = s_rp.First;
  } else if (*x == -2) {
    // Only a point still in the list is walked on from.
    const PointHead* q = s_rp.First;
    while (q && q != s_rpIterated) q = q->Next;
    h = q ? q->Next : nullptr;
  } else {
    h = Pobj_Find(&s_rp, *x, *y, *level);
    if (h) {
      const ShuntPointRec* p = reinterpret_cast<const ShuntPointRec*>(h);
      if (flags) *flags = p->Flags;
      if (dirMask) *dirMask = p->DirMask;
      return p->Type;
    }
    return 0;
  }
  s_rpIterated = h;
  if (!h) return 0;
  const ShuntPointRec* p = reinterpret_cast<const ShuntPointRec*>(h);
  *x = h->X;
  *y = h->Y;
  *level = h->Level;
  if (flags) *flags = p->Flags;
  if (dirMask) *dirMask = p->DirMask;
  return p->Type;
}

u32 Rp_GetList(i32 x, i32 y, i32 level, u32* value3, u32* value4, u32* value5, u32* value2, u32* resultValue,
               const u32** list, int listKind) {
  const ShuntPointRec* p = Rp_At(x, y, level);
  if (!p) return 0;
  if (value2) *value2 = p->Value[0];
  if (value3) *value3 = p->Value[1];
  if (value4) *value4 = p->Value[2];
  if (value5) *value5 = p->Value[3];
  if (resultValue) *resultValue = p->ResultValue;
  int index;
  switch (listKind) {
    case 1: index = 0; break;
    case 2: index = 1; break;
    case 4: index = 2; break;
    case 5: index = 3; break;
    default: return 0;
  }
  u32 start = 0;
  for (int i = 0; i < index; ++i) start += p->Count[i];
  if (list) *list = Rp_Words(p) + start;
  return p->Count[index];
}

int Rp_IsCode(u32 code, u32* low, u32* high) {
  if (!Cell_HasShapeIn(code, 192, 199)) return 0;
  if (low) *low = 0;
  if (high) *high = Cell_ClassIn(code, 6, 7) ? 0 : 3;
  return 1;
}

// ---------------------------------------------------------------- the decision

// The line to switch to of the group of list 2 that matches the train, 0
// when it names none.
static u32 Rp_SwitchLine(const u32* list, u32 count, const TrainRec* t) {
  const i32 at = Lin_ListMatch(list, i32(count), t->CurLine, nullptr, nullptr, Clk_Now(), u32(t->Number));
  for (i32 start = 0; start < i32(count);) {
    LinGroupLayout g;
    const i32 n = Lin_ListGroupLayout(list + start, i32(count) - start, &g);
    if (n <= 0) break;
    if (at >= start && at < start + n) {
      for (int k = 0; k < LIN_OPTION_COUNT; ++k)
        if (kLinOptionOrder[k] == LIN_OPT_SWITCH_LINE && g.offset[k] >= 0) return list[start + g.offset[k]];
      return 0;
    }
    start += n;
  }
  return 0;
}

// Steps 1 to 6 of the decision; *trainValue and the values set first.
static u32 Rp_Decide(ShuntPointRec* p, TrainRec* t, u32* trainValue) {
  const u32 flags = p->Flags;
  p->Flags &= ~u32(RP_F_REFUSE_NEXT | RP_F_TAKE_NEXT);
  if (flags & RP_F_REFUSE_NEXT) return 0;
  if (flags & RP_F_TAKE_NEXT) return p->ResultValue | 1;
  *trainValue = 0;
  const u32* w = Rp_Words(p);
  const u32* list1 = w;
  const u32* list2 = list1 + p->Count[0];
  const u32* list3 = list2 + p->Count[1];
  const u32* list4 = list3 + p->Count[2];
  if (t->HomeDepot >= 1) {
    if (Lin_PairListContains(list3, i32(p->Count[2]), t->HomeDepot, t->HomePlace)) return 0;
    if (Lin_PairListContains(list4, i32(p->Count[3]), t->HomeDepot, t->HomePlace)) return p->ResultValue | 1;
  }
  if (p->Count[0] && Lin_ListMatchNow(list1, i32(p->Count[0]), t->CurLine, nullptr, u32(t->Number)) == 1) return 0;
  if (p->Count[1] && Lin_ListMatchNow(list2, i32(p->Count[1]), t->CurLine, nullptr, u32(t->Number)) == 1) {
    *trainValue = Rp_SwitchLine(list2, p->Count[1], t);
  } else if (p->Type == RP_TYPE_REFUSE) {
    return 0;
  }
  return p->ResultValue | 1;
}

u32 Rp_ForTrain(TrainRec* t, i32 x, i32 y, i32 level, u32* trainValue, u32* value2, u32* value4, u32* value3,
                u32* value5, u32 dirMask) {
  u32 dummy[5];
  if (!trainValue) trainValue = &dummy[0];
  if (!value2) value2 = &dummy[1];
  if (!value3) value3 = &dummy[2];
  if (!value4) value4 = &dummy[3];
  if (!value5) value5 = &dummy[4];
  // Every out is set on every path, so that no caller reads a value left
  // over from another train.
  *trainValue = *value2 = *value3 = *value4 = *value5 = 0;
  ShuntPointRec* p = Rp_At(x, y, level);
  if (!p || !(p->DirMask & dirMask)) return 0;
  *value2 = p->Value[0];
  *value3 = p->Value[1];
  *value4 = p->Value[2];
  *value5 = p->Value[3];
  const u32 result = Rp_Decide(p, t, trainValue);
  if (!t || !(t->StateFlags & TRN_USER_DRIVEN)) return result;
  RpQuestion q;
  q.Train = t;
  q.X = x;
  q.Y = y;
  q.Level = level;
  const u32 rv = p->ResultValue;
  q.Text = (rv & 0x80) && !(rv & 0x40) ? RP_TXT_ASK_PARK : RP_TXT_ASK;
  q.TakeOffered = !((rv & 0x40) && (t->VehicleCount < 2 || (t->PropFlags & 0x4)));
  q.Default = (result & 0xC0) && q.TakeOffered ? RP_ANSWER_RESULT : result ? RP_ANSWER_TAKE : RP_ANSWER_REFUSE;
  const int answer = s_hooks.ask ? s_hooks.ask(&q) : q.Default;
  switch (answer) {
    case RP_ANSWER_REFUSE:
      return 0;
    case RP_ANSWER_TAKE:
      return q.TakeOffered ? (rv & 0x200) | 0x101 : rv;
    case RP_ANSWER_RESULT:
      return rv;
    case RP_ANSWER_STOP_FOLLOWING:
      TrnList_StopFollowing();
      return result;
    case RP_ANSWER_FOLLOW:
      Trn_SetFollowed(t);
      return result;
    case RP_ANSWER_STOP_SIMULATION:
      if (s_hooks.stopSimulation) s_hooks.stopSimulation();
      return RP_WAIT;
    default:
      return result;
  }
}

// ---------------------------------------------------------------- depot and line hooks

void Rp_OnDepotPlaceDeleted(u32 depot, u32 place) {
  for (PointHead* h = s_rp.First; h; h = h->Next) {
    ShuntPointRec* p = Rp_Rec(h);
    if (!p->Count[2] && !p->Count[3]) continue;
    u32* w = Rp_WordsOf(p) + p->Count[0] + p->Count[1];
    const u32 n3 = u32(Lin_PairListRemove(w, i32(p->Count[2]), depot, place));
    // List 4 closes up behind list 3.
    for (u32 i = 0; i < p->Count[3]; ++i) w[n3 + i] = w[p->Count[2] + i];
    p->Count[2] = n3;
    p->Count[3] = u32(Lin_PairListRemove(w + n3, i32(p->Count[3]), depot, place));
  }
}

void Rp_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace) {
  for (PointHead* h = s_rp.First; h; h = h->Next) {
    ShuntPointRec* p = Rp_Rec(h);
    u32* w = Rp_WordsOf(p) + p->Count[0] + p->Count[1];
    const u32 n = p->Count[2] + p->Count[3];
    for (u32 i = 0; i + 1 < n; i += 2)
      if (w[i] == depot && (w[i + 1] & 0x7FFF) == (oldPlace & 0x7FFF)) w[i + 1] = (w[i + 1] & 0x8000) | newPlace;
  }
}

void Rp_RemoveLineId(u32 id) {
  for (PointHead* h = s_rp.First; h; h = h->Next) {
    ShuntPointRec* p = Rp_Rec(h);
    u32* w = Rp_WordsOf(p);
    const u32 total = Rp_Total(p);
    const u32 n1 = u32(Lin_ListRemove(w, i32(p->Count[0]), id, 0));
    const u32 n2 = u32(Lin_ListRemove(w + p->Count[0], i32(p->Count[1]), id, 0));
    // Close the gaps: list 2 behind list 1, then lists 3 and 4.
    u32 o = n1;
    for (u32 i = 0; i < n2; ++i) w[o++] = w[p->Count[0] + i];
    for (u32 i = p->Count[0] + p->Count[1]; i < total; ++i) w[o++] = w[i];
    p->Count[0] = n1;
    p->Count[1] = n2;
  }
}

int Rp_AddLineIdBeside(u32 newId, u32 oldId) {
  static u32 grown[2][LINE_LIST_MAX];
  int failed = 0;
  for (PointHead* h = s_rp.First; h;) {
    PointHead* next = h->Next;
    ShuntPointRec* p = Rp_Rec(h);
    const u32* w = Rp_Words(p);
    const u32* lists[2] = {w, w + p->Count[0]};
    i32 n[2] = {i32(p->Count[0]), i32(p->Count[1])};
    int grew = 0;
    for (int k = 0; k < 2; ++k) {
      if (!p->Count[k] || Lin_ListContains(lists[k], i32(p->Count[k]), oldId) != 1) {
        for (u32 i = 0; i < p->Count[k]; ++i) grown[k][i] = lists[k][i];
        continue;
      }
      const int r = Lin_ListAddBeside(lists[k], i32(p->Count[k]), grown[k], &n[k], newId, oldId);
      if (r == -2 || r == -3) failed = 1;
      if (u32(n[k]) != p->Count[k]) grew = 1;
    }
    if (grew) {
      const u32 rest = p->Count[2] + p->Count[3];
      const u32 total = u32(n[0] + n[1]) + rest;
      ShuntPointRec* q = static_cast<ShuntPointRec*>(Heap_Alloc(sizeof(ShuntPointRec) + total * 4));
      if (!q) {
        failed = 1;
      } else {
        *q = *p;
        u32* out = Rp_WordsOf(q);
        u32 o = 0;
        for (int k = 0; k < 2; ++k)
          for (i32 i = 0; i < n[k]; ++i) out[o++] = grown[k][i];
        for (u32 i = 0; i < rest; ++i) out[o++] = w[p->Count[0] + p->Count[1] + i];
        q->Count[0] = u32(n[0]);
        q->Count[1] = u32(n[1]);
        Pobj_Replace(&s_rp, &p->Head, &q->Head);
        Heap_Free(p);
      }
    }
    h = next;
  }
  return failed;
}

// ---------------------------------------------------------------- region hooks

static u32* Rp_KindOf(PointHead* p) { return &reinterpret_cast<ShuntPointRec*>(p)->Kind; }

i32 Rp_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, int mode, u32 dirFilter, u32 elementCode, u32 classMask,
                          u32 newKind, u32 oldKind, i32 level2, i32 y2, i32 x2) {
  static const PointKindAccess access = {Rp_KindOf, Rp_IsCode};
  return Pobj_ReplaceKindsInBox(&s_rp, &access, x1, y1, level1, mode, dirFilter, elementCode, classMask, newKind,
                                oldKind, level2, y2, x2);
}

void Rp_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  Pobj_MoveInBox(&s_rp, x1, y1, level1, x2, y2, level2, dx, dy, dlevel);
}

void Rp_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                       i32 denY) {
  Pobj_TransformInBox(&s_rp, x1, y1, level1, x2, y2, level2, numX, denX, numY, denY);
}

void Rp_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Pobj_DeleteInBox(&s_rp, Rp_Delete, x1, y1, level1, x2, y2, level2);
}

static const PointHead* s_rpCursor;

int Rp_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                        i32* level) {
  // A hit answers 2, as the line table asks of this module.
  return 2 * Pobj_FindNextNaming(&s_rp, &s_rpCursor, Rp_Names, id, x1, y1, level1, x2, y2, level2, x, y, level);
}

// ---------------------------------------------------------------- clipboard block

enum { RP_CLIP_LINE = 200 };

int Rp_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(RP_TXT_COPY));
  int r;
  if ((r = Pobj_ClipAppend(u"RP_A"))) return r;
  for (const PointHead* h = s_rp.First; h; h = h->Next) {
    if (!Pobj_InBox(h, x1, y1, level1, x2, y2, level2)) continue;
    const ShuntPointRec* p = reinterpret_cast<const ShuntPointRec*>(h);
    wch line[RP_CLIP_LINE];
    Fmt_Print(line, RP_CLIP_LINE, u"%x,%x,%i,%u,%x,%x", u32(h->X), u32(h->Y), h->Level, p->Type, p->DirMask,
              p->Kind);
    if ((r = Pobj_ClipAppend(line))) return r;
    Fmt_Print(line, RP_CLIP_LINE, u"%u,%u,%u,%u,%x,%x,%u,%u,%u,%x", p->Count[0], p->Count[1], p->Count[2],
              p->Count[3], p->ResultValue, p->Value[0], p->Value[1], p->Value[2], p->Value[3], p->Flags);
    if ((r = Pobj_ClipAppend(line))) return r;
    const u32* w = Rp_Words(p);
    for (int k = 0; k < 4; ++k) {
      const u32 n = p->Count[k];
      if (n) {
        static wch text[2 * RULE_TEXT_SIZE];
        wch* rule = nullptr;
        if (k < 2) {
          if (Rule_FormatAll(w, 0, i32(n), &rule)) return 1;
        } else {
          Rule_FormatPairList(text, 2 * RULE_TEXT_SIZE, w, 0, i32(n));
        }
        r = Pobj_ClipAppend(rule ? rule : text);
        if (rule) Heap_Free(rule);
        if (r) return r;
      }
      w += n;
    }
  }
  return Pobj_ClipAppend(u"RP_E");
}

int Rp_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel) {
  static wch line[2 * RULE_TEXT_SIZE];
  static u32 words[4 * RULE_WORDS_MAX];
  i32 at = *lineNo;
  if (Pobj_ClipRead(at++, RP_CLIP_LINE, line)) return 4;
  int result = 0;
  for (;;) {
    if (Pobj_ClipRead(at++, RP_CLIP_LINE, line)) return 4;
    i64 h[6];
    if (!Str_ScanFields(line, 6, "xxiuxx", h, nullptr)) {
      if (Str_CompareEx(line, u"RP_E", 0) != 0) return 4;
      break;
    }
    i64 v[10];
    if (Pobj_ClipRead(at++, RP_CLIP_LINE, line) || !Str_ScanFields(line, 10, "uuuuxxuuux", v, nullptr)) return 4;
    const i32 x = i32(h[0]) + dx, y = i32(h[1]) + dy, level = i32(h[2]) + dlevel;
    const int inGrid = x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level >= -4 && level <= 0;
    int made = 0;
    if (inGrid && !(s_rp.Count >= RP_MAX && !Rp_At(x, y, level))) {
      ShuntPointRec* p = Rp_MakeHead(x, y, level, u32(h[5]), u32(h[4]), u32(h[3]));
      if (p) Pobj_Push(&s_rp, &p->Head), made = 1;
    }
    if (!made) {
      if (inGrid) Grid_SetCell(x, y, level, CELL_EMPTY);
      result |= 1;
    }
    u32 counts[4] = {};
    u32 total = 0;
    int bad = 0;
    for (int k = 0; k < 4; ++k) {
      if (!v[k]) continue;
      if (Pobj_ClipRead(at++, 2 * RULE_TEXT_SIZE, line)) return 4;
      if (!made) continue;
      const i32 n = k < 2 ? Rule_Parse(line, RULE_MODE_SHUNT, words + total)
                          : Rule_ParsePairList(line, words + total, RULE_WORDS_MAX);
      if (n < 0) bad = 1;
      else counts[k] = u32(n), total += u32(n);
    }
    if (!made) continue;
    const u32 type = u32(h[3]);
    if (type != RP_TYPE_REFUSE && type != RP_TYPE_TAKE) continue;
    if (bad || Rp_Edit(x, y, level, words, u32(v[9]), u32(v[6]), u32(v[7]), u32(v[8]), u32(v[5]), u32(v[4]),
                       counts[3], counts[2], counts[1], counts[0]))
      result |= 2;
  }
  *lineNo = at;
  return result;
}

// ---------------------------------------------------------------- section

int Rp_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(RP_TAG)) || (r = Fio_WriteU32(s_rp.Count))) return r;
  for (const PointHead* h = s_rp.First; h; h = h->Next) {
    const ShuntPointRec* p = reinterpret_cast<const ShuntPointRec*>(h);
    if ((r = Grid_WritePos(h->X, h->Y, h->Level)) || (r = Fio_WriteByte(u8(p->Type))) ||
        (r = Fio_WriteU16(u16(p->DirMask))) || (r = Fio_WriteU32(p->Kind)))
      return r;
    for (int k = 0; k < 4; ++k)
      if ((r = Fio_WriteU32(p->Count[k]))) return r;
    if ((r = Fio_WriteU32(p->Flags)) || (r = Fio_WriteU32(p->ResultValue))) return r;
    for (int k = 0; k < 4; ++k)
      if ((r = Fio_WriteU32(p->Value[k]))) return r;
    const u32 total = Rp_Total(p);
    for (u32 i = 0; i < total; ++i)
      if ((r = Fio_WriteU32(Rp_Words(p)[i]))) return r;
  }
  return 0;
}

// A field of the file: u32 in today's form, u16 before.
static int Rp_ReadField(u32* v, int wide) {
  if (wide) return Fio_ReadU32(v);
  u16 w;
  const int r = Fio_ReadU16(&w);
  *v = w;
  return r;
}

int Rp_LoadSection(u16 version) {
  int r;
  Rp_Clear();
  if (version < LAYVER_SHUNTING) return 0;
  const int wide = version >= LAYVER_WIDE;
  u32 tag;
  if ((r = Rp_ReadField(&tag, wide))) return r;
  if (tag != (wide ? u32(RP_TAG) : u32(RP_TAG_OLD))) return 3;
  u32 count;
  if ((r = Fio_ReadU32(&count))) return r;
  if (count > RP_MAX) return 3;
  PointHead* last = nullptr;
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    if ((r = Grid_ReadPos(&x, &y, &level, version))) return r;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
    u8 type;
    u16 w;
    u32 mask = 0, kind = 0;
    if ((r = Fio_ReadByte(&type))) return r;
    if (version < LAYVER_REPEAT && (r = Fio_ReadU16(&w))) return r;
    if (version < LAYVER_TRAIN_COUNT32) {
      for (int i = 0; i < 3; ++i)
        if ((r = Fio_ReadU16(&w))) return r;
      mask = 1u << (Grid_GetCellNorm(x, y, level) & 7);
    } else {
      if ((r = Fio_ReadU16(&w))) return r;
      mask = w;
    }
    if (version >= LAYVER_KINDS && (r = Fio_ReadU32(&kind))) return r;
    u32 counts[4], flags, result, values[4];
    for (u32& c : counts)
      if ((r = Rp_ReadField(&c, wide))) return r;
    if ((r = Rp_ReadField(&flags, wide)) || (r = Rp_ReadField(&result, wide))) return r;
    for (u32& v : values)
      if ((r = Rp_ReadField(&v, wide))) return r;
    u64 total = 0;
    for (u32 c : counts) total += c;
    // The counts are bounded before anything is allocated for them.
    if (total > u64(wide ? 4 * RULE_WORDS_MAX : RP_OLD_ENTRIES_MAX)) return 3;
    // The older pair forms of the lists need the old line table's
    // converter, which these files cannot reach here; such lists are
    // refused rather than read as something else.
    if (!wide && total) return 3;
    ShuntPointRec* p = static_cast<ShuntPointRec*>(Heap_Alloc(u32(sizeof(ShuntPointRec) + total * 4)));
    if (!p) return 4;
    *p = ShuntPointRec{};
    p->Head.X = x;
    p->Head.Y = y;
    p->Head.Level = level;
    p->Type = type;
    p->DirMask = mask;
    p->Kind = kind;
    p->Flags = flags;
    p->ResultValue = result;
    for (int i = 0; i < 4; ++i) p->Count[i] = counts[i], p->Value[i] = values[i];
    for (u32 i = 0; i < u32(total); ++i)
      if ((r = Fio_ReadU32(&Rp_WordsOf(p)[i]))) return Heap_Free(p), r;
    // The file's order stays: each point behind the one read before.
    Pobj_InsertAfter(&s_rp, last, &p->Head);
    last = &p->Head;
  }
  return 0;
}

// ---------------------------------------------------------------- text listing

enum : TextId {
  RP_TXT_COUNT = 15680,
  RP_TXT_POINT = 15640,
  RP_TXT_LIST1 = 15641,
  RP_TXT_LIST2 = 15642,
  RP_TXT_LIST_EMPTY = 15645,
  RP_TXT_LIST3 = 15646,
  RP_TXT_LIST4 = 15648,
  RP_TXT_SPLIT = 15650,
  RP_TXT_FROM_FRONT = 15651,
  RP_TXT_FROM_END = 15652,
  RP_TXT_PARK = 15653,
  RP_TXT_REVERSE = 15654,
  RP_TXT_TYPE31 = 15657,
  RP_TXT_TYPE32 = 15658,
  RP_TXT_VALUE5 = 15660,
  RP_TXT_VALUE4 = 15661,
  RP_TXT_VALUE3 = 15662
};

static int Rp_WriteFormatted(TextId id, u32 value) {
  wch line[256];
  Fmt_Print(line, 256, Lng_GetText(id), value);
  const int r = Fio_WriteString(line);
  return r ? r : Fio_WriteCrLf();
}

int Rp_WriteText(int withInfo) {
  int r;
  if ((r = Rp_WriteFormatted(RP_TXT_COUNT, s_rp.Count))) return r;
  for (const PointHead* h = s_rp.First; h; h = h->Next) {
    const ShuntPointRec* p = reinterpret_cast<const ShuntPointRec*>(h);
    wch line[256];
    Fmt_Print(line, 256, u"%s %5i,%5i,%+i\r\n", Lng_GetText(RP_TXT_POINT), h->X, h->Y, h->Level);
    if ((r = Fio_WriteString(line))) return r;
    const u32 rv = p->ResultValue;
    const i32 position = i32(p->Value[0]);
    if (rv & 0x40) {
      Fmt_Print(line, 256, Lng_GetText(RP_TXT_SPLIT), u32(position < 0 ? -position : position));
      if ((r = Fio_WriteString(line)) ||
          (r = Fio_WriteString(Lng_GetText(position < 0 ? RP_TXT_FROM_END : RP_TXT_FROM_FRONT))) ||
          (r = Fio_WriteCrLf()))
        return r;
    } else {
      const int park = (rv & 0x02) || (rv & 0x80);
      if ((r = Fio_WriteString(Lng_GetText(park ? RP_TXT_PARK : RP_TXT_REVERSE))) || (r = Fio_WriteCrLf())) return r;
    }
    if ((r = Fio_WriteString(Lng_GetText(p->Type == RP_TYPE_REFUSE ? RP_TXT_TYPE31 : RP_TXT_TYPE32))) ||
        (r = Fio_WriteCrLf()))
      return r;
    if ((r = Rp_WriteFormatted(RP_TXT_VALUE5, p->Value[3]))) return r;
    if ((rv & 0x40) && (r = Rp_WriteFormatted(RP_TXT_VALUE4, p->Value[2]))) return r;
    if (((rv & 0x02) || (rv & 0x80)) && (r = Rp_WriteFormatted(RP_TXT_VALUE3, p->Value[1]))) return r;
    static const TextId kList[4] = {RP_TXT_LIST1, RP_TXT_LIST2, RP_TXT_LIST3, RP_TXT_LIST4};
    const u32* w = Rp_Words(p);
    for (int k = 0; k < 4; ++k) {
      const u32 n = p->Count[k];
      if ((r = Fio_WriteString(Lng_GetText(kList[k])))) return r;
      if (!n) r = Fio_WriteString(Lng_GetText(RP_TXT_LIST_EMPTY)), r = r ? r : Fio_WriteCrLf();
      else r = k < 2 ? Rule_PrintText(w, i32(n)) : Rule_PrintPositions(w, i32(n));
      if (r) return r;
      w += n;
    }
    // The cell's info text joins the listing with the info points' own
    // writer; until then withInfo adds nothing.
    (void)withInfo;
    if ((r = Fio_WriteSeparator())) return r;
  }
  return 0;
}

#include "operation/pts.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "operation/trnres.h"
#include "platform/heap.h"
#include "platform/str.h"
#include "platform/tim.h"

enum : u32 {
  PTS_RECORD_MASK = PTS_RECORD_BRANCH1 | PTS_RECORD_BRANCH2 | PTS_RECORD_BRANCH3,
  PTS_RECORD_KEEP = 0x1FFF,   // what clearing a recorded branch leaves
  PTS_NO_RULE = 0xFFFFFFFFu,  // kind data size of a kind without rules
  PTS_DISPATCH_MESSAGE = 8,
  PTS_COUNT_MAX = 65535,  // counts and weights, as the layout file keeps them
  PTS_PRIORITY_MAX = 255,
  PTS_LIST_WORDS_MAX = 0x100000  // one position list; far above any rule text, and sums stay in range
};

static TurnoutController* s_first;
static TurnoutController* s_buckets[PTS_BUCKETS];
static u32 s_count;
// The next record of the two walks; a record that leaves the list hands
// them on to the one behind it.
static TurnoutController* s_enumNext;
static TurnoutController* s_lineNext;
static PtsHooks s_hooks;

void Pts_SetHooks(const PtsHooks* hooks) { s_hooks = hooks ? *hooks : PtsHooks{}; }

// ---------------------------------------------------------------- records

static u32 Pts_DataSize(u32 kind) {
  switch (kind) {
    case PTS_KIND_DISPATCH:
    case PTS_KIND_BRANCH1:
    case PTS_KIND_BRANCH2:
    case PTS_KIND_BRANCH3:
      return 0;
    case PTS_KIND_CYCLIC:
      return sizeof(PtsCyclicData);
    case PTS_KIND_RANDOM:
      return sizeof(PtsRandomData);
    case PTS_KIND_BY_TRAIN:
      return sizeof(PtsByTrainData);
    case PTS_KIND_BY_SIGNALS:
      return sizeof(PtsBySignalsData);
    case PTS_KIND_BY_LINE1:
    case PTS_KIND_BY_LINE2:
    case PTS_KIND_BY_LINE3:
      return sizeof(PtsByLineData);
  }
  return PTS_NO_RULE;
}

// Word count of list n (0..2 line lists, 3..5 place lists) of a kind 21..23
// record, and where its words start.
static u32 Pts_ListCount(const TurnoutController* c, int n) {
  const PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
  return n < 3 ? d->LineCount[n] : d->PlaceCount[n - 3];
}

static void Pts_SetListCount(TurnoutController* c, int n, u32 count) {
  PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
  (n < 3 ? d->LineCount[n] : d->PlaceCount[n - 3]) = count;
}

static u32* Pts_ListWords(TurnoutController* c, int n) {
  u32* w = reinterpret_cast<u32*>(Pts_KindData<PtsByLineData>(c) + 1);
  for (int i = 0; i < n; ++i) w += Pts_ListCount(c, i);
  return w;
}

static u32 Pts_ListTotal(const TurnoutController* c) {
  u32 total = 0;
  for (int i = 0; i < 6; ++i) total += Pts_ListCount(c, i);
  return total;
}

static int Pts_InBox(const TurnoutController* c, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  return Geo_InBox3(c->X, c->Y, c->Level, level1 > level2 ? level1 : level2, y1 > y2 ? y1 : y2, x1 > x2 ? x1 : x2,
                    level1 < level2 ? level1 : level2, y1 < y2 ? y1 : y2, x1 < x2 ? x1 : x2);
}

static int Pts_AtCell(const TurnoutController* c, i32 x, i32 y, i32 level) {
  return c->X == x && c->Y == y && c->Level == level;
}

// ---------------------------------------------------------------- links

static int Pts_SortsBefore(const TurnoutController* a, const TurnoutController* b) {
  return a->Id < b->Id || (a->Id == b->Id && a->Part < b->Part);
}

static void Pts_LinkOrdered(TurnoutController* c) {
  TurnoutController** p = &s_first;
  while (*p && !Pts_SortsBefore(c, *p)) p = &(*p)->Next;
  c->Next = *p;
  *p = c;
}

static void Pts_UnlinkOrdered(TurnoutController* c) {
  for (TurnoutController** p = &s_first; *p; p = &(*p)->Next)
    if (*p == c) {
      *p = c->Next;
      break;
    }
  if (s_enumNext == c) s_enumNext = c->Next;
  if (s_lineNext == c) s_lineNext = c->Next;
}

static void Pts_LinkBucket(TurnoutController* c) {
  TurnoutController** b = &s_buckets[c->X & (PTS_BUCKETS - 1)];
  c->NextInBucket = *b;
  *b = c;
}

static void Pts_UnlinkBucket(TurnoutController* c) {
  for (TurnoutController** p = &s_buckets[c->X & (PTS_BUCKETS - 1)]; *p; p = &(*p)->NextInBucket)
    if (*p == c) {
      *p = c->NextInBucket;
      return;
    }
}

static void Pts_Destroy(TurnoutController* c) {
  Pts_UnlinkOrdered(c);
  Pts_UnlinkBucket(c);
  s_count--;
  Heap_Free(c);
}

// A new block takes the place of an old one in the list, its bucket and the
// walks; the old block is freed.
static void Pts_Replace(TurnoutController* old, TurnoutController* c) {
  c->Next = old->Next;
  c->NextInBucket = old->NextInBucket;
  for (TurnoutController** p = &s_first; *p; p = &(*p)->Next)
    if (*p == old) {
      *p = c;
      break;
    }
  for (TurnoutController** p = &s_buckets[old->X & (PTS_BUCKETS - 1)]; *p; p = &(*p)->NextInBucket)
    if (*p == old) {
      *p = c;
      break;
    }
  if (s_enumNext == old) s_enumNext = c;
  if (s_lineNext == old) s_lineNext = c;
  Heap_Free(old);
}

// ---------------------------------------------------------------- finding

static TurnoutController* Pts_FindAt(i32 x, i32 y, i32 level, i32 part) {
  TurnoutController* best = nullptr;
  for (TurnoutController* c = s_buckets[x & (PTS_BUCKETS - 1)]; c; c = c->NextInBucket) {
    if (!Pts_AtCell(c, x, y, level)) continue;
    if (part >= 0) {
      if (c->Part == u32(part)) return c;
    } else if (!best || c->Part < best->Part) {
      best = c;
    }
  }
  return best;
}

// The part controller of the cell entered through the connector.
static TurnoutController* Pts_FindPartByEntry(i32 x, i32 y, i32 level, u32 entry) {
  for (TurnoutController* c = s_buckets[x & (PTS_BUCKETS - 1)]; c; c = c->NextInBucket)
    if (Pts_AtCell(c, x, y, level) && c->Part >= 1 && c->Part <= PTS_PARTS && c->EntryDir == entry) return c;
  return nullptr;
}

static TurnoutController* Pts_FindById(u32 id) {
  for (TurnoutController* c = s_first; c; c = c->Next)
    if (c->Id == id) return c;
  return nullptr;
}

static int Pts_IdUsedElsewhere(u32 id, i32 x, i32 y, i32 level) {
  for (TurnoutController* c = s_first; c; c = c->Next)
    if (c->Id == id && !Pts_AtCell(c, x, y, level)) return 1;
  return 0;
}

const TurnoutController* Pts_Find(i32 x, i32 y, i32 level, i32 part) { return Pts_FindAt(x, y, level, part); }

// ---------------------------------------------------------------- store

void Pts_Init(void) {
  s_first = nullptr;
  s_count = 0;
  s_enumNext = s_lineNext = nullptr;
  Mem_Fill(s_buckets, 0, sizeof s_buckets);
}

void Pts_FreeAll(void) {
  while (s_first) {
    TurnoutController* c = s_first;
    s_first = c->Next;
    Heap_Free(c);
  }
  Pts_Init();
}

void Pts_Free(void) { Pts_FreeAll(); }

// A block for the fixed fields and the kind data with room for list words,
// the data zeroed; null without memory.
static TurnoutController* Pts_AllocRecord(const TurnoutController* fixed, u32 listWords) {
  const u32 data = Pts_DataSize(fixed->Kind) + listWords * 4;
  TurnoutController* c = static_cast<TurnoutController*>(Heap_Alloc(u32(sizeof(TurnoutController)) + data));
  if (!c) return nullptr;
  *c = *fixed;
  c->Next = c->NextInBucket = nullptr;
  Mem_Fill(c + 1, 0, i32(data));
  return c;
}

// Gives every part at the cell the id; the number of parts that changed.
static u32 Pts_BindParts(i32 x, i32 y, i32 level, u32 id) {
  u32 changed = 0;
  for (i32 part = 0; part <= PTS_PARTS; ++part) {
    TurnoutController* c = Pts_FindAt(x, y, level, part);
    if (!c || c->Id == id) continue;
    Pts_UnlinkOrdered(c);
    c->Id = id;
    Pts_LinkOrdered(c);
    ++changed;
  }
  return changed;
}

static void Pts_Insert(TurnoutController* c) {
  Pts_LinkOrdered(c);
  Pts_LinkBucket(c);
  s_count++;
  if (c->Part) Pts_BindParts(c->X, c->Y, c->Level, c->Id);
}

int Pts_Create(const TurnoutController* fixed, TurnoutController** out) {
  if (out) *out = nullptr;
  if (Pts_DataSize(fixed->Kind) == PTS_NO_RULE) return PTS_WRONG_KIND;
  TurnoutController* c = Pts_AllocRecord(fixed, 0);
  if (!c) return PTS_NO_MEMORY;
  Pts_Insert(c);
  if (out) *out = c;
  return PTS_OK;
}

TurnoutController* Pts_CreateBehind(const TurnoutController* fixed, TurnoutController* prev, u32 listWords) {
  if (Pts_DataSize(fixed->Kind) == PTS_NO_RULE) return nullptr;
  TurnoutController* c = Pts_AllocRecord(fixed, listWords);
  if (!c) return nullptr;
  if (prev) {
    c->Next = prev->Next;
    prev->Next = c;
  } else {
    Pts_LinkOrdered(c);
  }
  Pts_LinkBucket(c);
  s_count++;
  return c;
}

void Pts_SortById(void) {
  // The file's order is kept wherever it is already right, so the walk
  // moves only the records that stand too early.
  for (;;) {
    TurnoutController* prev = nullptr;
    TurnoutController* c = s_first;
    while (c && !(prev && Pts_SortsBefore(c, prev))) prev = c, c = c->Next;
    if (!c) return;
    Pts_UnlinkOrdered(c);
    Pts_LinkOrdered(c);
  }
}

u32 Pts_KindDataSize(u32 kind) {
  const u32 n = Pts_DataSize(kind);
  return n == PTS_NO_RULE ? 0 : n;
}

const TurnoutController* Pts_First(void) { return s_first; }

void Pts_GiveMissingIds(void) {
  for (TurnoutController* c = s_first; c;) {
    TurnoutController* next = c->Next;
    if (c->Id == 0) {
      const u32 id = Pts_NextFreeId();
      if (!id) return;
      // Every part at the cell takes the one id.
      Pts_BindParts(c->X, c->Y, c->Level, id);
      next = s_first;
    }
    c = next;
  }
}

// The record rebuilt in a new block with new lists (kinds 21..23), in the
// old one's place; null without memory (the old record stays).
static TurnoutController* Pts_Rebuild(TurnoutController* old, const u32* words, const u32 counts[6], u32 recordFlags) {
  u32 total = 0;
  for (int i = 0; i < 6; ++i) total += counts[i];
  TurnoutController* c = Pts_AllocRecord(old, total);
  if (!c) return nullptr;
  PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
  d->RecordFlags = recordFlags;
  for (int i = 0; i < 3; ++i) {
    d->LineCount[i] = counts[i];
    d->PlaceCount[i] = counts[3 + i];
  }
  Mem_Copy(Pts_ListWords(c, 0), words, i32(total * 4));
  Pts_Replace(old, c);
  return c;
}

// List n of a kind 21..23 record now holds only its first newCount words;
// the lists behind it move up.
static void Pts_ShrinkList(TurnoutController* c, int n, u32 newCount) {
  const u32 count = Pts_ListCount(c, n);
  u32* w = Pts_ListWords(c, n);
  u32 after = 0;
  for (int i = n + 1; i < 6; ++i) after += Pts_ListCount(c, i);
  Mem_Move(w + newCount, w + count, i32(after * 4));
  Pts_SetListCount(c, n, newCount);
}

// ---------------------------------------------------------------- random numbers

// A number below n. The runtime's generator gives 15 bits; two draws make a
// number wide enough for three weights of up to 65535.
static u32 Pts_Random(u32 n) {
  if (n <= 1) return 0;
  if (n <= 0x8000) return u32(Rnd_Next(i32(n)));
  const u32 wide = u32(Rnd_Next(0x8000)) << 15 | u32(Rnd_Next(0x8000));
  return wide % n;
}

// ---------------------------------------------------------------- setters

int Pts_SetById(i32 x, i32 y, i32 level, u32 option, u32 entry, u32 exit1, u32 exit2, u32 exit3, u32 id, u32 kind,
                u32 part) {
  if (id < 1 || id > PTS_ID_MAX || part > PTS_PARTS) return PTS_BAD_VALUES;
  if (Pts_IdUsedElsewhere(id, x, y, level) || Pts_DataSize(kind) == PTS_NO_RULE) return PTS_CONFLICT;
  TurnoutController fixed;
  Mem_Fill(&fixed, 0, sizeof fixed);
  fixed.X = x;
  fixed.Y = y;
  fixed.Level = level;
  fixed.Id = id;
  fixed.Kind = kind;
  fixed.Part = part;
  fixed.EntryDir = entry;
  fixed.Exit1 = exit1;
  fixed.Exit2 = exit2;
  fixed.Exit3 = exit3;
  fixed.Option = option;
  // The new block first, so that a refusal leaves the old controller. A
  // shunting point at the cell would give way here too; the shunting-point
  // store keeps none yet.
  TurnoutController* c = Pts_AllocRecord(&fixed, 0);
  if (!c) return PTS_NO_MEMORY;
  if (TurnoutController* old = Pts_FindAt(x, y, level, i32(part))) Pts_Destroy(old);
  Pts_Insert(c);
  if (part) Pts_SetOptionWord(x, y, level, option);
  Lay_MarkModified();
  return PTS_OK;
}

int Pts_SetMode(i32 x, i32 y, i32 level, u32 entry, u32 exit1, u32 exit2, u32 exit3, u32 newPart, i32 part) {
  TurnoutController* c = Pts_FindAt(x, y, level, part);
  if (!c) return PTS_NONE;
  if (newPart > PTS_PARTS) return PTS_BAD_VALUES;
  if (newPart != c->Part && Pts_FindAt(x, y, level, i32(newPart))) return PTS_CONFLICT;
  c->EntryDir = entry;
  c->Exit1 = exit1;
  c->Exit2 = exit2;
  c->Exit3 = exit3;
  if (newPart != c->Part) {
    Pts_UnlinkOrdered(c);
    c->Part = newPart;
    Pts_LinkOrdered(c);
  }
  Lay_MarkModified();
  return PTS_OK;
}

int Pts_SetOptionWord(i32 x, i32 y, i32 level, u32 option) {
  int found = 0;
  for (TurnoutController* c = s_buckets[x & (PTS_BUCKETS - 1)]; c; c = c->NextInBucket)
    if (Pts_AtCell(c, x, y, level)) {
      c->Option = option;
      found = 1;
    }
  if (!found) return PTS_NONE;
  Lay_MarkModified();
  return PTS_OK;
}

// The controller of the part when it is of the kind (kinds 21..23 all
// count as one); *result 1 none, 2 another kind.
static TurnoutController* Pts_FindKind(i32 x, i32 y, i32 level, i32 part, u32 kind, int* result) {
  TurnoutController* c = Pts_FindAt(x, y, level, part);
  if (!c) {
    *result = PTS_NONE;
    return nullptr;
  }
  const bool same = Pts_IsLineKind(kind) ? Pts_IsLineKind(c->Kind) : c->Kind == kind;
  if (!same) {
    *result = PTS_WRONG_KIND;
    return nullptr;
  }
  *result = PTS_OK;
  return c;
}

int Pts_SetCyclic(i32 x, i32 y, i32 level, const u32 counts[3], u32 start, const u32 resetTimes[3],
                  const u32 resetStarts[3], i32 part) {
  int r;
  TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_CYCLIC, &r);
  if (!c) return r;
  u64 total = 0;
  int used = 0;
  for (int i = 0; i < 3; ++i) {
    total += counts[i];
    if (counts[i]) ++used;
  }
  if (used < 2 || start >= total || total > PTS_COUNT_MAX) return PTS_BAD_VALUES;
  for (int i = 0; i < 3; ++i)
    if (resetTimes[i] && resetStarts[i] >= total) return PTS_BAD_VALUES;
  PtsCyclicData* d = Pts_KindData<PtsCyclicData>(c);
  for (int i = 0; i < 3; ++i) {
    d->Count[i] = counts[i];
    d->ResetTime[i] = resetTimes[i];
    d->ResetValue[i] = resetTimes[i] ? u16(total - resetStarts[i]) : 0;
  }
  d->Counter = u32(total - start);
  Lay_MarkModified();
  return PTS_OK;
}

int Pts_SetWeights(i32 x, i32 y, i32 level, const u32 weights[3], i32 part) {
  int r;
  TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_RANDOM, &r);
  if (!c) return r;
  u32 total = 0;
  int used = 0;
  for (int i = 0; i < 3; ++i) {
    if (weights[i] > PTS_COUNT_MAX) return PTS_BAD_VALUES;
    total += weights[i];
    if (weights[i]) ++used;
  }
  if (used < 2) return PTS_BAD_VALUES;
  PtsRandomData* d = Pts_KindData<PtsRandomData>(c);
  if (Mem_Compare(d->Weight, weights, sizeof d->Weight) == 0) return PTS_OK;
  Mem_Copy(d->Weight, weights, sizeof d->Weight);
  d->RandPos = Pts_Random(total);
  Lay_MarkModified();
  return PTS_OK;
}

int Pts_SetClassMasks(i32 x, i32 y, i32 level, const u32 masks[12], i32 part) {
  int r;
  TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_BY_TRAIN, &r);
  if (!c) return r;
  Mem_Copy(Pts_KindData<PtsByTrainData>(c)->Masks, masks, sizeof(PtsByTrainData::Masks));
  Lay_MarkModified();
  return PTS_OK;
}

int Pts_SetElementLists(i32 x, i32 y, i32 level, u32 priority, const u32 counts[3], const i32* const lists[3],
                        i32 part) {
  int r;
  TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_BY_SIGNALS, &r);
  if (!c) return r;
  if (priority > PTS_PRIORITY_MAX) return PTS_BAD_VALUES;
  for (int i = 0; i < 3; ++i)
    if (counts[i] > PTS_SIGNAL_MAX || (counts[i] && !lists[i])) return PTS_BAD_VALUES;
  PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
  for (int i = 0; i < 3; ++i) {
    d->List[i].Count = counts[i];
    Mem_Copy(d->List[i].Ids, lists[i], i32(counts[i] * 4));
  }
  d->Priority = priority;
  Lay_MarkModified();
  return PTS_OK;
}

int Pts_SetPositionLists(i32 x, i32 y, i32 level, const u32* words, const u32 counts[6], i32 part) {
  TurnoutController* c = Pts_FindAt(x, y, level, part);
  if (!c) return PTS_CONFLICT;
  if (!Pts_IsLineKind(c->Kind)) return PTS_BAD_VALUES;
  u32 at = 0;
  for (int i = 0; i < 6; ++i) {
    if (counts[i] > PTS_LIST_WORDS_MAX || (counts[i] && !words)) return PTS_BAD_VALUES;
    if (i < 3 ? Lin_ListCountGroups(words + at, i32(counts[i])) < 0 : (counts[i] & 1) != 0) return PTS_BAD_VALUES;
    at += counts[i];
  }
  if (!Pts_Rebuild(c, words, counts, 0)) return PTS_NO_MEMORY;
  Lay_MarkModified();
  return PTS_OK;
}

// ---------------------------------------------------------------- getters

int Pts_GetCyclic(i32 x, i32 y, i32 level, u32 counts[3], u32* start, u32 resetTimes[3], u32 resetStarts[3], i32 part) {
  int r;
  const TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_CYCLIC, &r);
  if (!c) return r;
  const PtsCyclicData* d = Pts_KindData<PtsCyclicData>(c);
  const u32 total = d->Count[0] + d->Count[1] + d->Count[2];
  for (int i = 0; i < 3; ++i) {
    if (counts) counts[i] = d->Count[i];
    if (resetTimes) resetTimes[i] = d->ResetTime[i];
    if (resetStarts) resetStarts[i] = d->ResetTime[i] ? total - d->ResetValue[i] : 0;
  }
  if (start) *start = total - d->Counter;
  return PTS_OK;
}

int Pts_GetWeights(i32 x, i32 y, i32 level, u32 weights[3], i32 part) {
  int r;
  const TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_RANDOM, &r);
  if (c && weights) Mem_Copy(weights, Pts_KindData<PtsRandomData>(c)->Weight, sizeof(PtsRandomData::Weight));
  return r;
}

int Pts_GetClassMasks(i32 x, i32 y, i32 level, u32 masks[12], i32 part) {
  int r;
  const TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_BY_TRAIN, &r);
  if (c && masks) Mem_Copy(masks, Pts_KindData<PtsByTrainData>(c)->Masks, sizeof(PtsByTrainData::Masks));
  return r;
}

int Pts_GetListsKind15(i32 x, i32 y, i32 level, u32* priority, u32 counts[3], const i32* lists[3], i32 part) {
  int r;
  const TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_BY_SIGNALS, &r);
  if (!c) return r;
  const PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
  if (priority) *priority = d->Priority;
  for (int i = 0; i < 3; ++i) {
    if (counts) counts[i] = d->List[i].Count;
    if (lists) lists[i] = reinterpret_cast<const i32*>(d->List[i].Ids);
  }
  return PTS_OK;
}

int Pts_GetPositionList(i32 x, i32 y, i32 level, int n, u32* count, const u32** words, i32 part) {
  int r;
  TurnoutController* c = Pts_FindKind(x, y, level, part, PTS_KIND_BY_LINE1, &r);
  if (!c) return r;
  if (n < 1 || n > 6) return PTS_BAD_VALUES;
  if (count) *count = Pts_ListCount(c, n - 1);
  if (words) *words = Pts_ListWords(c, n - 1);
  return PTS_OK;
}

u32 Pts_GetField(i32 x, i32 y, i32 level, i32 part) {
  const TurnoutController* c = Pts_FindAt(x, y, level, part);
  return c ? c->Option : 0;
}

u32 Pts_GetBoundId(i32 x, i32 y, i32 level) {
  const TurnoutController* c = Pts_FindAt(x, y, level, -1);
  return c ? c->Id : 0;
}

int Pts_GetPosById(u32 id, i32* x, i32* y, i32* level) {
  const TurnoutController* c = id ? Pts_FindById(id) : nullptr;
  if (!c) return PTS_NONE;
  if (x) *x = c->X;
  if (y) *y = c->Y;
  if (level) *level = c->Level;
  return PTS_OK;
}

// ---------------------------------------------------------------- ids and listing

int Pts_DeleteAt(i32 x, i32 y, i32 level, i32 part) {
  int deleted = 0;
  while (TurnoutController* c = Pts_FindAt(x, y, level, part)) {
    Pts_Destroy(c);
    deleted = 1;
    if (part >= 0) break;
  }
  if (deleted) Lay_MarkModified();
  return deleted;
}

int Pts_BindToElement(i32 x, i32 y, i32 level, u32 id) {
  if (id < 1 || id > PTS_ID_MAX) return 2;
  if (Pts_IdUsedElsewhere(id, x, y, level)) return 3;
  if (!Pts_FindAt(x, y, level, -1)) return 1;
  if (Pts_BindParts(x, y, level, id)) Lay_MarkModified();
  return 0;
}

int Pts_BindAndRedraw(i32 x, i32 y, i32 level, u32 id) {
  const int r = Pts_BindToElement(x, y, level, id);
  // The id shows in the cell's object text; a redraw the views do not need
  // costs one cell.
  if (r == 0) Grid_RedrawCell(x, y, level, GRID_REDRAW_ALL);
  return r;
}

u32 Pts_NextFreeId(void) {
  u32 last = 0;
  for (const TurnoutController* c = s_first; c; c = c->Next) {
    for (u32 id = last + 1; id < c->Id && id <= PTS_ID_MAX; ++id)
      if (!Pts_FindById(id)) return id;
    if (c->Id > last) last = c->Id;
  }
  for (u32 id = last + 1; id <= PTS_ID_MAX; ++id)
    if (!Pts_FindById(id)) return id;
  return 0;
}

u32 Pts_Enum(i32* x, i32* y, i32* level, u32 words[4], u32* id, u32* part) {
  const TurnoutController* c;
  if (*x == -1) c = s_first;
  else if (*x == -2) c = s_enumNext;
  else c = Pts_FindAt(*x, *y, *level, -1);
  s_enumNext = c ? c->Next : nullptr;
  if (!c) return 0;
  *x = c->X;
  *y = c->Y;
  *level = c->Level;
  if (words) {
    words[0] = c->EntryDir;
    words[1] = c->Exit1;
    words[2] = c->Exit2;
    words[3] = c->Exit3;
  }
  if (id) *id = c->Id;
  if (part) *part = c->Part;
  return c->Kind;
}

int Pts_ShapeClass(u32 code, u32* lowOption, u32* highOption) {
  int cls = 0;
  u32 high = 0;
  if (Cell_IsElement(code)) {
    const u32 s = Cell_Shape(code);
    if (s >= 48 && s <= 87) cls = 1;
    else if (s >= 88 && s <= 95) cls = 5;
    else if (s >= 12 && s <= 15) cls = 4;
    else if (s >= 16 && s <= 23) cls = 3;
    else if (s >= 472 && s <= 495) cls = 2;
    if ((s >= 12 && s <= 23) || (s >= 48 && s <= 79)) high = 2;
    else if (s >= 88 && s <= 95) high = 1;
  }
  if (lowOption) *lowOption = 0;
  if (highOption) *highOption = high;
  return cls;
}

u32 Pts_GetStats(u32* kind1, u32* fixed, u32* cyclic, u32* random, u32* byTrain, u32* bySignals, u32* byLine,
                 u32* twoWay, u32* threeWay, u32* class3, u32* class4, u32* class5) {
  u32 n[12] = {0};
  for (const TurnoutController* c = s_first; c; c = c->Next) {
    switch (c->Kind) {
      case PTS_KIND_DISPATCH:
        ++n[0];
        break;
      case PTS_KIND_BRANCH1:
      case PTS_KIND_BRANCH2:
      case PTS_KIND_BRANCH3:
        ++n[1];
        break;
      case PTS_KIND_CYCLIC:
        ++n[2];
        break;
      case PTS_KIND_RANDOM:
        ++n[3];
        break;
      case PTS_KIND_BY_TRAIN:
        ++n[4];
        break;
      case PTS_KIND_BY_SIGNALS:
        ++n[5];
        break;
      default:
        if (Pts_IsLineKind(c->Kind)) ++n[6];
    }
    if (c->Part == 0) ++n[c->Exit3 ? 8 : 7];
    if (c->Part == 2) {
      const int cls = Pts_ShapeClass(Grid_GetCellNorm(c->X, c->Y, c->Level), nullptr, nullptr);
      if (cls >= 3) ++n[9 + cls - 3];
    }
  }
  u32* outs[12] = {kind1, fixed, cyclic, random, byTrain, bySignals, byLine, twoWay, threeWay, class3, class4, class5};
  for (int i = 0; i < 12; ++i)
    if (outs[i]) *outs[i] = n[i];
  return s_count;
}

// ---------------------------------------------------------------- branch rules

// Kind 11: the branch of the counter; a passing train counts it down, from
// 1 (or an emptied counter) round to the total again.
static u32 Pts_CyclicBranch(TurnoutController* c, int pass) {
  PtsCyclicData* d = Pts_KindData<PtsCyclicData>(c);
  const u32 k = d->Counter;
  const u32 b = k > d->Count[1] + d->Count[2] ? 1 : k > d->Count[2] ? 2 : 3;
  if (pass) d->Counter = k <= 1 ? d->Count[0] + d->Count[1] + d->Count[2] : k - 1;
  return b;
}

// Kind 12: the branch of the drawn position; a passing train draws anew.
static u32 Pts_WeightedBranch(TurnoutController* c, int pass) {
  PtsRandomData* d = Pts_KindData<PtsRandomData>(c);
  const u32 w1 = d->Weight[0], w12 = w1 + d->Weight[1];
  const u32 b = d->RandPos < w1 ? 1 : d->RandPos < w12 ? 2 : 3;
  if (pass) d->RandPos = Pts_Random(w12 + d->Weight[2]);
  return b;
}

// Kind 14: by the train's state, then its category and type; else a random
// branch that may change.
static u32 Pts_TrainBranch(const TurnoutController* c, const TrainRec* t) {
  const PtsByTrainData* d = Pts_KindData<PtsByTrainData>(c);
  if (t) {
    const u32 f = t->StateFlags;
    u32 state = 0;
    if (f & TRN_AT_PLACE) state = (f & TRN_FLAGGED_START) ? PTS_STATE_PLACE_FLAGGED : PTS_STATE_PLACE;
    else if (f & TRN_IN_SERVICE) state = (f & TRN_FLAGGED_START) ? PTS_STATE_SERVICE_FLAGGED : PTS_STATE_SERVICE;
    for (u32 b = 3; b >= 1; --b)
      if (d->Masks[b - 1][PTS_MASK_STATE] & state) return b;
    const u32 type = t->Type == 0 ? 1u << 31 : t->Type <= 32 ? 1u << (t->Type - 1) : 0;
    const int cat = t->Category == 1   ? PTS_MASK_TYPES_CAT1
                    : t->Category == 2 ? PTS_MASK_TYPES_CAT2
                                       : PTS_MASK_TYPES_CAT3;
    for (u32 b = 3; b >= 1; --b)
      if (d->Masks[b - 1][cat] & type) return b;
  }
  return (1 + Pts_Random(c->Exit3 ? 3 : 2)) | PTS_MAY_CHANGE;
}

// Kind 15: the branch of the signal lists that are on, narrowed by the
// priority bits; PTS_NO_BRANCH when none is on. Always may change.
static u32 Pts_SignalBranch(const TurnoutController* c) {
  const PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
  u32 on = 0;
  for (int i = 0; i < 3; ++i) {
    if (i == 2 && !c->Exit3) break;
    const PtsSignalList& l = d->List[i];
    if (l.Count == 0 || Sig_EvalIdList(l.Count, reinterpret_cast<const i32*>(l.Ids)) == SIG_EVAL_TRUE) on |= 1u << i;
  }
  struct Rule {
    u32 bit, branch;
  };
  static const Rule k12[] = {{PTS_PRIO_1, 1}, {PTS_PRIO_2, 2}, {PTS_PRIO_1_LOW, 1}, {PTS_PRIO_2_LOW, 2}};
  static const Rule k13[] = {{PTS_PRIO_1, 1}, {PTS_PRIO_3, 3}, {PTS_PRIO_1_LOW, 1}, {PTS_PRIO_3_LOW, 3}};
  static const Rule k23[] = {{PTS_PRIO_2, 2}, {PTS_PRIO_3, 3}, {PTS_PRIO_2_LOW, 2}, {PTS_PRIO_3_LOW, 3}};
  static const Rule k123[] = {{PTS_PRIO_1, 1}, {PTS_PRIO_2, 2}, {PTS_PRIO_3, 3}, {0, 0}};
  const Rule* rules = on == 3 ? k12 : on == 5 ? k13 : on == 6 ? k23 : on == 7 ? k123 : nullptr;
  if (rules)
    for (int i = 0; i < 4; ++i)
      if (d->Priority & rules[i].bit) return rules[i].branch | PTS_MAY_CHANGE;
  u32 branches[3], n = 0;
  for (u32 b = 1; b <= 3; ++b)
    if (on & (1u << (b - 1))) branches[n++] = b;
  if (n == 0) return PTS_NO_BRANCH | PTS_MAY_CHANGE;
  return branches[Pts_Random(n)] | PTS_MAY_CHANGE;
}

static const u32 kRecordBits[3] = {PTS_RECORD_BRANCH1, PTS_RECORD_BRANCH2, PTS_RECORD_BRANCH3};

// Kinds 21..23: a recorded branch (used up by a passing train), else the
// place the train in service runs to, its line and number, else the kind's
// own branch. A look-ahead that records keeps its answer for the train.
static u32 Pts_LineBranch(TurnoutController* c, const TrainRec* t, int pass, int record) {
  PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
  for (u32 b = 1; b <= 3; ++b)
    if (d->RecordFlags & kRecordBits[b - 1]) {
      if (pass) d->RecordFlags &= ~u32(PTS_RECORD_MASK);
      return b;
    }
  u32 b = 0;
  if (t && (t->StateFlags & TRN_IN_SERVICE))
    for (int i = 0; i < 3 && !b; ++i)
      if (Lin_PairListContains(Pts_ListWords(c, 3 + i), i32(Pts_ListCount(c, 3 + i)), t->CurDepot, t->CurPlace))
        b = u32(i + 1);
  if (t)
    for (int i = 0; i < 3 && !b; ++i)
      if (Lin_ListMatchNow(Pts_ListWords(c, i), i32(Pts_ListCount(c, i)), t->CurLine, nullptr, u32(t->Number)))
        b = u32(i + 1);
  if (!b) b = c->Kind - PTS_KIND_BY_LINE1 + 1;
  if (record) d->RecordFlags |= kRecordBits[b - 1];
  return b;
}

static u32 Pts_AskUser(TrainRec* t, const TurnoutController* c, u32 proposed) {
  return s_hooks.askBranch ? s_hooks.askBranch(t, c, proposed) : proposed;
}

u32 Pts_ChooseBranch(TurnoutController* c, TrainRec* t) {
  const bool user = t && (t->StateFlags & TRN_USER_DRIVEN);
  u32 b;
  switch (c->Kind) {
    case PTS_KIND_DISPATCH:
      if (!user)
        Dmsg_Post(PTS_DISPATCH_MESSAGE, c->X, c->Y, c->Level, 0, t ? t->Number : 0, t ? t->CurLine : 0,
                  t ? t->Line : 0);
      b = 1;
      break;
    case PTS_KIND_BRANCH1:
    case PTS_KIND_BRANCH2:
    case PTS_KIND_BRANCH3:
      return c->Kind - 1;
    case PTS_KIND_CYCLIC:
      b = Pts_CyclicBranch(c, 1);
      break;
    case PTS_KIND_RANDOM:
      b = Pts_WeightedBranch(c, 1);
      break;
    case PTS_KIND_BY_TRAIN:
      b = Pts_TrainBranch(c, t) & ~u32(PTS_MAY_CHANGE);
      break;
    case PTS_KIND_BY_SIGNALS:
      b = Pts_SignalBranch(c) & ~u32(PTS_MAY_CHANGE);
      if (b == PTS_NO_BRANCH) return b;
      break;
    case PTS_KIND_BY_LINE1:
    case PTS_KIND_BY_LINE2:
    case PTS_KIND_BY_LINE3:
      b = Pts_LineBranch(c, t, 1, 0);
      break;
    default:
      return 0;
  }
  return user ? Pts_AskUser(t, c, b) : b;
}

u32 Pts_PeekBranch(TurnoutController* c, TrainRec* t, int record) {
  switch (c->Kind) {
    case PTS_KIND_DISPATCH:
    case PTS_KIND_BRANCH1:
    case PTS_KIND_BRANCH2:
    case PTS_KIND_BRANCH3:
      return c->Kind == PTS_KIND_DISPATCH ? 1 : c->Kind - 1;
    case PTS_KIND_CYCLIC:
      return Pts_CyclicBranch(c, 0);
    case PTS_KIND_RANDOM:
      return Pts_WeightedBranch(c, 0);
    case PTS_KIND_BY_TRAIN:
      return Pts_TrainBranch(c, t);
    case PTS_KIND_BY_SIGNALS:
      return Pts_SignalBranch(c);
    case PTS_KIND_BY_LINE1:
    case PTS_KIND_BY_LINE2:
    case PTS_KIND_BY_LINE3:
      return Pts_LineBranch(c, t, 0, record);
  }
  return 0;
}

// ---------------------------------------------------------------- train movement

u32 Pts_EntryConnector(u32 directionCode) { return (directionCode & 0x55) ? directionCode << 1 : directionCode >> 1; }

// The exit word of a branch 1..branches (with its facing cap), the waiting
// words of answers 4 and 5, else 0.
static u32 Pts_ExitOf(const TurnoutController* c, u32 answer, u32 branches, u32* cap) {
  u32 exit = 0, facing = 0;
  if (answer == PTS_NO_BRANCH) exit = PTS_EXIT_WAIT;
  else if (answer == PTS_USER_STOPPED) exit = PTS_EXIT_STOPPED;
  else if (answer == 1) exit = c->Exit1, facing = c->FacingCap1;
  else if (answer == 2) exit = c->Exit2, facing = c->FacingCap2;
  else if (answer == 3 && branches == 3) exit = c->Exit3, facing = c->FacingCap3;
  if (cap) *cap = facing;
  return exit;
}

u32 Pts_ChooseExit(TrainRec* t, i32 x, i32 y, i32 level, u32* cap) {
  if (cap) *cap = 0;
  TurnoutController* c = Pts_FindAt(x, y, level, 0);
  return c ? Pts_ExitOf(c, Pts_ChooseBranch(c, t), 3, cap) : 0;
}

u32 Pts_ChooseExitPart(TrainRec* t, i32 x, i32 y, i32 level, u32 directionCode, u32* cap) {
  if (cap) *cap = 0;
  TurnoutController* c = Pts_FindPartByEntry(x, y, level, Pts_EntryConnector(directionCode));
  return c ? Pts_ExitOf(c, Pts_ChooseBranch(c, t), 2, cap) : 0;
}

static u32 Pts_PeekExitOf(TurnoutController* c, TrainRec* t, int record, u32 branches) {
  if (!c) return 0;
  const u32 answer = Pts_PeekBranch(c, t, record);
  const u32 b = answer & ~u32(PTS_MAY_CHANGE);
  if (b == PTS_NO_BRANCH) return PTS_EXIT_WAIT;
  const u32 exit = b <= 3 ? Pts_ExitOf(c, b, branches, nullptr) : 0;
  return exit ? exit | (answer & PTS_MAY_CHANGE) : 0;
}

u32 Pts_PeekExit(TrainRec* t, i32 x, i32 y, i32 level, int record) {
  return Pts_PeekExitOf(Pts_FindAt(x, y, level, 0), t, record, 3);
}

u32 Pts_PeekExitPart(TrainRec* t, i32 x, i32 y, i32 level, int record, u32 directionCode) {
  return Pts_PeekExitOf(Pts_FindPartByEntry(x, y, level, Pts_EntryConnector(directionCode)), t, record, 2);
}

u32 Pts_ExitForDirection(i32 x, i32 y, i32 level, u32 directionCode) {
  const TurnoutController* c = Pts_FindAt(x, y, level, 0);
  const u32 entry = Pts_EntryConnector(directionCode);
  if (!c || !entry) return 0;
  if (entry == c->Exit1) return c->TrailingCap1;
  if (entry == c->Exit2) return c->TrailingCap2;
  if (entry == c->Exit3) return c->TrailingCap3;
  return 0;
}

int Pts_ClearRecordedBranch(i32 x, i32 y, i32 level) {
  int found = 0;
  for (TurnoutController* c = s_buckets[x & (PTS_BUCKETS - 1)]; c; c = c->NextInBucket) {
    if (!Pts_AtCell(c, x, y, level)) continue;
    found = 1;
    if (Pts_IsLineKind(c->Kind)) Pts_KindData<PtsByLineData>(c)->RecordFlags &= PTS_RECORD_KEEP;
  }
  return found ? 0 : 1;
}

// ---------------------------------------------------------------- clock

void Pts_ClockHook(void) {
  const u32 now = Clk_Now();
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (c->Kind != PTS_KIND_CYCLIC) continue;
    PtsCyclicData* d = Pts_KindData<PtsCyclicData>(c);
    for (int i = 0; i < 3; ++i) {
      const u32 at = d->ResetTime[i];
      if (!at || !((at >> 24) & (now >> 24)) || (at & 0xFFFFFF) != (now & 0xFFFFFF)) continue;
      // No train keeps a path that the new count would send elsewhere.
      Trn_ReleaseCutReservations(c->X, c->Y, c->Level, c->X, c->Y, c->Level, 0);
      d->Counter = d->ResetValue[i];
    }
  }
}

// ---------------------------------------------------------------- reference hooks

void Pts_OnLineDeleted(u32 line) {
  int changed = 0;
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (!Pts_IsLineKind(c->Kind)) continue;
    for (int i = 0; i < 3; ++i) {
      const u32 count = Pts_ListCount(c, i);
      const i32 left = Lin_ListRemove(Pts_ListWords(c, i), i32(count), line, 1);
      if (u32(left) == count) continue;
      Pts_ShrinkList(c, i, u32(left));
      changed = 1;
    }
  }
  if (changed) Lay_MarkModified();
}

int Pts_OnLineCopied(u32 newLine, u32 oldLine) {
  int result = 0;
  u32 grown[LINE_LIST_MAX];
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (!Pts_IsLineKind(c->Kind)) continue;
    // Room for every list as it is and for three grown line lists.
    u32* words = static_cast<u32*>(Heap_Alloc((Pts_ListTotal(c) + 3 * LINE_LIST_MAX) * 4));
    if (!words) {
      result = 1;
      continue;
    }
    u32 counts[6], at = 0;
    int any = 0;
    for (int i = 0; i < 6; ++i) {
      const u32 count = Pts_ListCount(c, i);
      const u32* list = Pts_ListWords(c, i);
      i32 out = 0;
      if (i < 3 && count > 0 && count <= LINE_LIST_MAX)
        Lin_ListAddBeside(list, i32(count), grown, &out, newLine, oldLine);
      if (u32(out) > count) {
        list = grown;
        any = 1;
      } else {
        out = i32(count);
      }
      Mem_Copy(words + at, list, out * 4);
      counts[i] = u32(out);
      at += counts[i];
    }
    if (any) {
      result = 1;
      if (TurnoutController* rebuilt = Pts_Rebuild(c, words, counts, Pts_KindData<PtsByLineData>(c)->RecordFlags))
        c = rebuilt;
    }
    Heap_Free(words);
  }
  if (result) Lay_MarkModified();
  return result;
}

void Pts_OnDepotPlaceDeleted(u32 depot, u32 place) {
  int changed = 0;
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (!Pts_IsLineKind(c->Kind)) continue;
    for (int i = 3; i < 6; ++i) {
      const u32 count = Pts_ListCount(c, i);
      const i32 left = Lin_PairListRemove(Pts_ListWords(c, i), i32(count), depot, place);
      if (u32(left) == count) continue;
      Pts_ShrinkList(c, i, u32(left));
      changed = 1;
    }
  }
  if (changed) Lay_MarkModified();
}

void Pts_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace) {
  int changed = 0;
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (!Pts_IsLineKind(c->Kind)) continue;
    for (int i = 3; i < 6; ++i) {
      u32* w = Pts_ListWords(c, i);
      const u32 count = Pts_ListCount(c, i);
      for (u32 k = 0; k + 1 < count; k += 2)
        if (w[k] == depot && w[k + 1] == oldPlace) {
          w[k + 1] = newPlace;
          changed = 1;
        }
    }
  }
  if (changed) Lay_MarkModified();
}

// 1 when the list holds the id, as itself or negated.
static int Pts_SignalListHolds(const PtsSignalList& l, u32 id) {
  for (u32 k = 0; k < l.Count; ++k) {
    const u32 v = l.Ids[k];
    if (v == id || 0u - v == id) return 1;
  }
  return 0;
}

// The lists of a kind-15 controller that count: list 3 only with Exit3.
static int Pts_SignalListsUsed(const TurnoutController* c) { return c->Exit3 ? 3 : 2; }

static int Pts_HoldsSignal(const TurnoutController* c, u32 id) {
  if (c->Kind != PTS_KIND_BY_SIGNALS) return 0;
  const PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
  for (int i = 0; i < Pts_SignalListsUsed(c); ++i)
    if (Pts_SignalListHolds(d->List[i], id)) return 1;
  return 0;
}

void Pts_OnInstallationDeleted(u32 id) {
  int changed = 0;
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (c->Kind != PTS_KIND_BY_SIGNALS) continue;
    PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
    for (int i = 0; i < Pts_SignalListsUsed(c); ++i)
      if (Pts_SignalListHolds(d->List[i], id)) {
        d->List[i].Count = 0;
        changed = 1;
      }
  }
  if (changed) Lay_MarkModified();
}

u32 Pts_CountInstallationUse(u32 id) {
  u32 n = 0;
  for (const TurnoutController* c = s_first; c; c = c->Next) n += u32(Pts_HoldsSignal(c, id));
  return n;
}

int Pts_InstallationUsedInBox(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (const TurnoutController* c = s_first; c; c = c->Next)
    if (Pts_HoldsSignal(c, id) && Pts_InBox(c, x1, y1, level1, x2, y2, level2)) return 1;
  return 0;
}

int Pts_NextWithLineInBox(u32 line, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y, i32* level,
                          u32* id) {
  TurnoutController* c = *x == -1 ? s_lineNext : s_first;
  for (; c; c = c->Next) {
    if (!Pts_IsLineKind(c->Kind) || !Pts_InBox(c, x1, y1, level1, x2, y2, level2)) continue;
    int holds = 0;
    for (int i = 0; i < 3 && !holds; ++i)
      holds = Lin_ListContains(Pts_ListWords(c, i), i32(Pts_ListCount(c, i)), line) != 0;
    if (!holds) continue;
    s_lineNext = c->Next;
    *x = c->X;
    if (y) *y = c->Y;
    if (level) *level = c->Level;
    if (id) *id = c->Id;
    return 1;
  }
  s_lineNext = nullptr;
  return 0;
}

// ---------------------------------------------------------------- region hooks

void Pts_MoveBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (!Pts_InBox(c, x1, y1, level1, x2, y2, level2)) continue;
    Pts_UnlinkBucket(c);
    c->X += dx;
    c->Y += dy;
    c->Level += dlevel;
    Pts_LinkBucket(c);
  }
}

void Pts_ScaleBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX, i32 numX) {
  for (TurnoutController* c = s_first; c; c = c->Next) {
    if (!Pts_InBox(c, x1, y1, level1, x2, y2, level2)) continue;
    i32 nx = c->X, ny = c->Y;
    Trn_ScaleRegionPos(x1, y1, c->X, &ny, &nx, denY, numY, denX, numX, c->Level, c->Y);
    Pts_UnlinkBucket(c);
    c->X = nx;
    c->Y = ny;
    Pts_LinkBucket(c);
  }
}

void Pts_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (TurnoutController* c = s_first; c;) {
    TurnoutController* next = c->Next;
    if (Pts_InBox(c, x1, y1, level1, x2, y2, level2)) Pts_Destroy(c);
    c = next;
  }
}

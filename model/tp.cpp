#include "model/tp.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/line.h"
#include "model/rule.h"
#include "model/sched.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/trn.h"
#include "operation/trnquery.h"
#include "operation/trnretry.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { TP_TAG = 0x50544B54 };  // "TKTP"
enum : u16 { TP_TAG_OLD = 0x5045 };  // "EP"
enum { TP_CLIP_LINE = 200, TP_SCHED_PER_LINE = 40 };
static const wch kTpPasteName[] = u"__W7QC2P5X_";
static const wch kTpCopyName[] = u"_____COPY_T";

static TimetablePoint* s_first;
static u32 s_count;
static u32 s_current;  // cell of the last lookup
static TimetablePoint* s_iter;
// The point the loader read last (the next one is linked behind it); a point
// that goes while loading is forgotten here.
static TimetablePoint* s_loadPrev;

// Names compare after their leading blanks, case ignored.
static int Tp_CompareNames(const wch* a, const wch* b) { return Str_CompareEx(a, b, STR_CMP_NOCASE | STR_CMP_SKIPBLANK); }

// The name as a token of at most 16 characters: 0, or the token's error.
static int Tp_ParseName(const wch* name, wch* out) {
  out[0] = 0;
  if (!name) return STR_TOKEN_EMPTY;
  return Str_ParseToken(name, out, nullptr, nullptr, TP_NAME_MAX);
}

static void Tp_FreeRec(TimetablePoint* p) {
  if (p->Words) Heap_Free(p->Words);
  if (p->Schedule) Heap_Free(p->Schedule);
  Heap_Free(p);
}

static void Tp_Unlink(TimetablePoint* p) {
  for (TimetablePoint** q = &s_first; *q; q = &(*q)->Next)
    if (*q == p) {
      *q = p->Next;
      --s_count;
      break;
    }
  if (s_iter == p) s_iter = nullptr;
  if (s_loadPrev == p) s_loadPrev = nullptr;
}

// Links the point before the first one whose name compares greater.
static void Tp_LinkByName(TimetablePoint* p) {
  TimetablePoint** q = &s_first;
  while (*q && Tp_CompareNames((*q)->Name, p->Name) <= 0) q = &(*q)->Next;
  p->Next = *q;
  *q = p;
  ++s_count;
}

static void Tp_RedrawPoint(const TimetablePoint* p) {
  for (u32 k = 0; k <= p->ExtraCells; ++k) Grid_RedrawCell(p->Cells[k].X, p->Cells[k].Y, p->Cells[k].Level, GRID_REDRAW_ALL);
}

void Tp_Init(void) {
  s_first = nullptr;
  s_count = 0;
  s_current = 0;
  s_iter = nullptr;
}

void Tp_Clear(void) {
  for (TimetablePoint* p = s_first; p;) {
    TimetablePoint* next = p->Next;
    Tp_FreeRec(p);
    p = next;
  }
  Tp_Init();
}

void Tp_Free(void) { Tp_Clear(); }

u32 Tp_Count(void) { return s_count; }

// ---------------------------------------------------------------- lookups

static TimetablePoint* Tp_At(i32 x, i32 y, i32 level) {
  for (TimetablePoint* p = s_first; p; p = p->Next)
    for (u32 k = 0; k <= p->ExtraCells; ++k)
      if (p->Cells[k].X == x && p->Cells[k].Y == y && p->Cells[k].Level == level) {
        s_current = k;
        return p;
      }
  return nullptr;
}

static TimetablePoint* Tp_ByName(const wch* name) {
  wch token[TP_NAME_MAX + 1];
  if (Tp_ParseName(name, token) != STR_TOKEN_OK) return nullptr;
  for (TimetablePoint* p = s_first; p; p = p->Next)
    if (Tp_CompareNames(p->Name, token) == 0) return p;
  return nullptr;
}

static TimetablePoint* Tp_ById(u32 id) {
  for (TimetablePoint* p = s_first; p; p = p->Next)
    if (p->Id == id) return p;
  return nullptr;
}

const TimetablePoint* Tp_FindAtCell(i32 x, i32 y, i32 level) { return Tp_At(x, y, level); }
const TimetablePoint* Tp_FindByName(const wch* name) { return Tp_ByName(name); }
const TimetablePoint* Tp_FindById(u32 id) { return Tp_ById(id); }

u32 Tp_NextFreeId(void) {
  if (s_count >= TP_MAX_ID) return 0;
  u32 id = s_count + 1;
  for (u32 i = 0; i < TP_MAX_ID; ++i) {
    if (!Tp_ById(id)) return id;
    id = id >= TP_MAX_ID ? 1 : id + 1;
  }
  return 0;
}

int Tp_IsKindValid(u32 kind) { return (kind >= 1 && kind <= 9) || (kind >= 15 && kind <= 18); }

int Tp_IsCode(u32 code, u32* low, u32* high) {
  if (!Cell_HasShapeIn(code, 152, 159)) return 0;
  const int narrow = Cell_ClassIn(code, 6, 7);
  if (low) *low = 0;
  if (high) *high = narrow ? 2 : 18;
  return 1;
}

i32 Tp_IdAtCell(i32 x, i32 y, i32 level) {
  const TimetablePoint* p = Tp_At(x, y, level);
  return p ? i32(p->Id) : -1;
}

u32 Tp_GetValue(i32 x, i32 y, i32 level) {
  const TimetablePoint* p = Tp_At(x, y, level);
  return p ? p->Cells[s_current].Kind : 2;
}

int Tp_SetKind(i32 x, i32 y, i32 level, u32 kind) {
  TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return 1;
  p->Cells[s_current].Kind = kind;
  return 0;
}

int Tp_GetPosByName(const wch* name, i32* x, i32* y, i32* level) {
  const TimetablePoint* p = Tp_ByName(name);
  if (!p) return 1;
  if (x) *x = p->Cells[0].X;
  if (y) *y = p->Cells[0].Y;
  if (level) *level = p->Cells[0].Level;
  return 0;
}

int Tp_StepName(const wch* name, wch* buffer, i32 n) {
  if (!s_first) {
    if (buffer != name) Str_Copy(buffer, name);
    return 1;
  }
  const TimetablePoint* p = Tp_ByName(name);
  i32 index = 0;
  if (p) {
    for (const TimetablePoint* q = s_first; q != p; q = q->Next) ++index;
    const i32 count = i32(s_count);
    index = n >= 1 ? (index + n) % count : ((index - (n < 0 ? -n : n)) % count + count) % count;
  }
  const TimetablePoint* q = s_first;
  for (i32 i = 0; i < index && q->Next; ++i) q = q->Next;
  Str_Copy(buffer, q->Name);
  return 0;
}

int Tp_MakeFreeName(wch* buffer) {
  const u32 id = Tp_NextFreeId();
  if (!id) return 1;
  wch plain[TP_NAME_MAX + 1];
  Fmt_Print(plain, TP_NAME_MAX + 1, u"TP_%05u", id);
  if (!Tp_ByName(plain)) {
    Fmt_Print(buffer, TP_NAME_MAX + 1, u"        %s", plain);
    return 0;
  }
  for (u32 s = 0; s < 100; ++s) {
    Fmt_Print(plain, TP_NAME_MAX + 1, u"TP_%05u_%02u", id, s);
    if (!Tp_ByName(plain)) {
      Fmt_Print(buffer, TP_NAME_MAX + 1, u"     %s", plain);
      return 0;
    }
  }
  return 1;
}

static const u8 kTpNoSchedule[3] = {127, 255, 0};

int Tp_GetInfo(i32 x, i32 y, i32 level, u8 (*days)[TIM_DAY_SIZE], u32* words, u32* wordCount, u32* cellCount,
               u32* id, u32* extra, PackedWeekTime* resets, u32* capacity, u32* queueCount, u32* dirMask,
               u32* flags, wch* name) {
  const TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return 1;
  if (days) Tim_ScheduleExpand(p->Schedule ? p->Schedule : kTpNoSchedule, days);
  if (words)
    for (u32 i = 0; i < p->WordCount; ++i) words[i] = p->Words[i];
  if (wordCount) *wordCount = p->WordCount;
  if (cellCount) *cellCount = p->ExtraCells + 1u;
  if (id) *id = p->Id;
  if (extra) *extra = p->Extra;
  if (resets)
    for (int i = 0; i < TP_RESET_TIMES; ++i) resets[i] = p->Reset[i];
  if (capacity) *capacity = p->Capacity;
  if (queueCount) *queueCount = p->QueueCount;
  if (dirMask) *dirMask = p->Cells[s_current].DirMask;
  if (flags) *flags = p->Flags;
  if (name) Str_Copy(name, p->Name);
  return 0;
}

int Tp_GetEntryById(u32 id, u32 k, i32* x, u32* order, i32* level, i32* y) {
  const TimetablePoint* p = Tp_ById(id);
  if (!p) return 1;
  if (k > p->ExtraCells) return 3;
  const TpCell& c = p->Cells[k];
  if (x) *x = c.X;
  if (y) *y = c.Y;
  if (level) *level = c.Level;
  if (order) *order = c.Order;
  return 0;
}

// ---------------------------------------------------------------- changes

// A reset time as stored: 24:00:00 is 0:00:00 of the following weekday;
// -1 for a field out of range.
static i64 Tp_NormalizeReset(PackedWeekTime t) {
  if (t == 0) return 0;
  u32 mask = t >> 24;
  const u32 h = (t >> 16) & 0xFF, m = (t >> 8) & 0xFF, s = t & 0xFF;
  if (mask == 0 || mask > 127 || m > 59 || s > 59 || h > 24 || (h == 24 && (m || s))) return -1;
  if (h == 24) mask = ((mask << 1) | (mask >> 6)) & 127;
  return i64(mask << 24 | (h == 24 ? 0 : h) << 16 | m << 8 | s);
}

struct TpFields {
  u32 extra, capacity, queueCount, kind, dirMask, flags;
  PackedWeekTime resets[TP_RESET_TIMES];
  wch name[TP_NAME_MAX + 1];
};

static int Tp_Validate(TpFields* f, u32 extra, const PackedWeekTime* resets, u32 capacity, u32 queueCount, u32 kind,
                       u32 dirMask, u32 flags, const wch* name) {
  const int t = Tp_ParseName(name, f->name);
  if (t == STR_TOKEN_EMPTY) return TP_NAME_EMPTY;
  if (t != STR_TOKEN_OK) return TP_NAME_BAD;
  if (capacity > TP_QUEUE_MAX) return TP_CAPACITY_BAD;
  if (queueCount > capacity) return TP_QUEUE_ABOVE_CAPACITY;
  for (int i = 0; i < TP_RESET_TIMES; ++i) {
    const i64 r = Tp_NormalizeReset(resets ? resets[i] : 0);
    if (r < 0) return TP_RESET_BAD;
    f->resets[i] = PackedWeekTime(r);
  }
  if ((flags & TP_F_EXTRA) && extra && (extra < 1 || extra > TP_EXTRA_MAX)) return TP_EXTRA_BAD;
  f->extra = extra;
  f->capacity = capacity;
  f->queueCount = queueCount;
  f->kind = kind;
  f->dirMask = dirMask & 0xFFFF;
  f->flags = flags;
  return TP_OK;
}

static void Tp_SetPointFields(TimetablePoint* p, const TpFields& f) {
  p->Flags = f.flags;
  p->Extra = f.extra;
  p->Capacity = u8(f.capacity);
  p->QueueCount = u8(f.queueCount);
  for (int i = 0; i < TP_RESET_TIMES; ++i) p->Reset[i] = f.resets[i];
}

static u32 Tp_OccupiedCells(const TimetablePoint* p) {
  u32 n = 0;
  for (u32 k = 0; k <= p->ExtraCells; ++k) n += p->Cells[k].Order ? 1 : 0;
  return n;
}

// Clears the occupant of cell k and closes the gap in the arrival order.
static void Tp_ClearOccupant(TimetablePoint* p, u32 k) {
  const u8 order = p->Cells[k].Order;
  for (int i = 0; i < 4; ++i) p->Cells[k].Occupant[i] = 0;
  p->Cells[k].Order = 0;
  if (!order) return;
  for (u32 j = 0; j <= p->ExtraCells; ++j)
    if (p->Cells[j].Order > order) --p->Cells[j].Order;
}

// The order a new occupant gets: 0 for 0, the next for a positive value, k
// for -k (the loader's own order).
static u8 Tp_OrderFor(const TimetablePoint* p, i32 order) {
  if (order == 0) return 0;
  if (order < 0) return u8(-order);
  return u8(Tp_OccupiedCells(p) + 1);
}

static int Tp_RemoveCell(TimetablePoint* p, u32 k) {
  Tp_ClearOccupant(p, k);
  if (p->ExtraCells == 0) {
    Tp_Unlink(p);
    Tp_FreeRec(p);
    return 0;
  }
  for (u32 j = k; j < p->ExtraCells; ++j) p->Cells[j] = p->Cells[j + 1];
  --p->ExtraCells;
  return 0;
}

// The cell addition of the creation and the loader. occupant may be null;
// order as Tp_OrderFor. *made gets the point.
static int Tp_AddCell(i32 x, i32 y, i32 level, const TpFields& f, const u32* occupant, i32 order,
                      TimetablePoint* after, TimetablePoint** made) {
  TimetablePoint* named = Tp_ByName(f.name);
  const int joins = named && (named->ExtraCells > 0 || named->Cells[0].X != x || named->Cells[0].Y != y ||
                              named->Cells[0].Level != level);
  if (joins) {
    u32 k = 0;
    for (; k <= named->ExtraCells; ++k)
      if (named->Cells[k].X == x && named->Cells[k].Y == y && named->Cells[k].Level == level) break;
    if (k <= named->ExtraCells) {
      Tp_SetPointFields(named, f);
      TpCell& c = named->Cells[k];
      c.DirMask = u16(f.dirMask);
      c.Kind = f.kind;
      if (occupant) {
        if (c.Order) Tp_ClearOccupant(named, k);
        for (int i = 0; i < 4; ++i) c.Occupant[i] = occupant[i];
        c.Order = occupant[0] ? Tp_OrderFor(named, order) : 0;
      }
      if (made) *made = named;
      return TP_OK;
    }
    if (named->ExtraCells >= TP_MAX_CELLS - 1) return TP_TOO_MANY_CELLS;
  }
  if (s_count >= TP_MAX_ID && !joins) return TP_FULL;
  // What the cell held before: its queue and occupant stay with it.
  TimetablePoint* old = Tp_At(x, y, level);
  const u32 oldCell = s_current;
  TpCell keep{};
  i32 keepQueue[TP_QUEUE_MAX];
  for (int i = 0; i < TP_QUEUE_MAX; ++i) keepQueue[i] = -1;
  if (old) {
    keep = old->Cells[oldCell];
    for (int i = 0; i < TP_QUEUE_MAX; ++i) keepQueue[i] = old->Queue[i];
  }
  TimetablePoint* p = nullptr;
  const u32 newId = joins ? 0 : Tp_NextFreeId();
  if (!joins && !newId) return TP_FULL;
  if (!joins) {
    // Made before the old point goes, so that a refusal leaves it in place.
    p = static_cast<TimetablePoint*>(Heap_Alloc(sizeof(TimetablePoint)));
    if (!p) return TP_NO_MEMORY;
    Mem_Fill(p, 0, sizeof *p);
    p->Schedule = static_cast<u8*>(Heap_Alloc(3));
    if (!p->Schedule) {
      Heap_Free(p);
      return TP_NO_MEMORY;
    }
    p->Schedule[0] = 0x00;
    p->Schedule[1] = 0xFF;
    p->Schedule[2] = 0x00;
    p->ScheduleLength = 3;
  }
  if (old) {
    if (after == old && old->ExtraCells == 0) after = nullptr;
    Tp_RemoveCell(old, oldCell);
  }
  TimetablePoint* into = joins ? named : p;
  if (!joins) {
    p->Id = newId;
    Str_Copy(p->Name, f.name);
    for (int i = 0; i < TP_QUEUE_MAX; ++i) p->Queue[i] = old ? keepQueue[i] : -1;
  }
  Tp_SetPointFields(into, f);
  const u32 k = joins ? ++into->ExtraCells : 0;
  TpCell& c = into->Cells[k];
  c = TpCell{};
  c.X = x;
  c.Y = y;
  c.Level = level;
  c.DirMask = u16(f.dirMask);
  c.Kind = f.kind;
  if (occupant) {
    for (int i = 0; i < 4; ++i) c.Occupant[i] = occupant[i];
    c.Order = occupant[0] ? Tp_OrderFor(into, order) : 0;
  } else if (old && keep.Order) {
    for (int i = 0; i < 4; ++i) c.Occupant[i] = keep.Occupant[i];
    c.Order = u8(Tp_OccupiedCells(into) + 1);
  }
  if (!joins) {
    if (after) {
      p->Next = after->Next;
      after->Next = p;
      ++s_count;
    } else {
      Tp_LinkByName(p);
    }
  }
  if (made) *made = into;
  return TP_OK;
}

int Tp_Create(i32 x, i32 y, i32 level, u32 extra, const PackedWeekTime* resets, u32 capacity, u32 queueCount,
              u32 kind, u32 dirMask, u32 flags, const wch* name) {
  TpFields f;
  const int v = Tp_Validate(&f, extra, resets, capacity, queueCount, kind, dirMask, flags, name);
  if (v) return v;
  TimetablePoint* p = nullptr;
  const int r = Tp_AddCell(x, y, level, f, nullptr, 0, nullptr, &p);
  if (r == TP_OK && p) Tp_RedrawPoint(p);
  return r;
}

int Tp_Update(i32 x, i32 y, i32 level, u32 extra, const PackedWeekTime* resets, u32 capacity, u32 queueCount,
              u32 kind, u32 dirMask, u32 flags, const wch* name) {
  TpFields f;
  const int v = Tp_Validate(&f, extra, resets, capacity, queueCount, kind, dirMask, flags, name);
  if (v) return v;
  TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return TP_NO_POINT;
  const u32 k = s_current;
  const TimetablePoint* other = Tp_ByName(f.name);
  if (other && other != p) return TP_NAME_TAKEN;
  Tp_SetPointFields(p, f);
  p->Cells[k].Kind = f.kind;
  p->Cells[k].DirMask = u16(f.dirMask);
  for (u32 i = f.queueCount; i < TP_QUEUE_MAX; ++i) p->Queue[i] = -1;
  Str_Copy(p->Name, f.name);
  Tp_Unlink(p);
  Tp_LinkByName(p);
  Tp_RedrawPoint(p);
  return TP_OK;
}

int Tp_Delete(i32 x, i32 y, i32 level) {
  TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return 1;
  Tp_RedrawPoint(p);
  return Tp_RemoveCell(p, s_current);
}

static void Tp_RecomputeNext(TimetablePoint* p) {
  const SimClock& c = g_simClock;
  p->NextDeparture = p->Schedule ? Tim_ScheduleNext(p->Schedule, 1u << (c.weekday - 1), c.hour, 0, c.second, c.minute)
                                 : 0;
}

int Tp_SetListsRaw(i32 x, i32 y, i32 level, const u8* schedule, u32 scheduleLength, const u32* words,
                   u32 wordCount) {
  TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return 2;
  u8* s = nullptr;
  u32* w = nullptr;
  if (schedule && scheduleLength) {
    s = static_cast<u8*>(Heap_Alloc(scheduleLength));
    if (!s) return 1;
    Mem_Copy(s, schedule, i32(scheduleLength));
  }
  if (words && wordCount) {
    w = static_cast<u32*>(Heap_Alloc(wordCount * 4));
    if (!w) {
      if (s) Heap_Free(s);
      return 1;
    }
    Mem_Copy(w, words, i32(wordCount * 4));
  }
  if (p->Schedule) Heap_Free(p->Schedule);
  if (p->Words) Heap_Free(p->Words);
  p->Schedule = s;
  p->ScheduleLength = s ? scheduleLength : 0;
  p->Words = w;
  p->WordCount = w ? wordCount : 0;
  Tp_RecomputeNext(p);
  return 0;
}

int Tp_SetLists(i32 x, i32 y, i32 level, u8 (*days)[TIM_DAY_SIZE], const u32* words, u32 wordCount) {
  if (!Tp_At(x, y, level)) return 2;
  u8* merged = static_cast<u8*>(Heap_Alloc(TIM_SCHEDULE_MAX));
  if (!merged) return 1;
  const i32 n = days ? Tim_ScheduleMerge(days, merged, TIM_SCHEDULE_MAX) : -1;
  const int r = n > 0 ? Tp_SetListsRaw(x, y, level, merged, u32(n), words, wordCount)
                      : Tp_SetListsRaw(x, y, level, kTpNoSchedule, 3, words, wordCount);
  Heap_Free(merged);
  return r;
}

// ---------------------------------------------------------------- region and lines

static int Tp_CellInBox(const TpCell& c, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  return Geo_InBox3(c.X, c.Y, c.Level, level1 > level2 ? level1 : level2, y1 > y2 ? y1 : y2, x1 > x2 ? x1 : x2,
                    level1 < level2 ? level1 : level2, y1 < y2 ? y1 : y2, x1 < x2 ? x1 : x2);
}

void Tp_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  for (TimetablePoint* p = s_first; p; p = p->Next)
    for (u32 k = 0; k <= p->ExtraCells; ++k) {
      TpCell& c = p->Cells[k];
      if (!Tp_CellInBox(c, x1, y1, level1, x2, y2, level2)) continue;
      c.X += dx;
      c.Y += dy;
      c.Level += dlevel;
    }
}

void Tp_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                       i32 denY) {
  for (TimetablePoint* p = s_first; p; p = p->Next)
    for (u32 k = 0; k <= p->ExtraCells; ++k) {
      TpCell& c = p->Cells[k];
      if (!Tp_CellInBox(c, x1, y1, level1, x2, y2, level2)) continue;
      i32 nx = c.X, ny = c.Y;
      Trn_ScaleRegionPos(x1, y1, c.X, &ny, &nx, denY, numY, denX, numX, c.Level, c.Y);
      c.X = nx;
      c.Y = ny;
    }
}

// Walks the points, not the cells of the box: a box may be the whole grid.
void Tp_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (TimetablePoint* p = s_first; p;) {
    TimetablePoint* next = p->Next;
    for (u32 k = p->ExtraCells + 1; k-- > 0;) {
      if (!Tp_CellInBox(p->Cells[k], x1, y1, level1, x2, y2, level2)) continue;
      Grid_RedrawCell(p->Cells[k].X, p->Cells[k].Y, p->Cells[k].Level, GRID_REDRAW_ALL);
      const int last = p->ExtraCells == 0;
      Tp_RemoveCell(p, k);
      if (last) break;
    }
    p = next;
  }
}

void Tp_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, u32 fromKind, u32 toKind) {
  for (TimetablePoint* p = s_first; p; p = p->Next)
    for (u32 k = 0; k <= p->ExtraCells; ++k) {
      TpCell& c = p->Cells[k];
      if (!Tp_CellInBox(c, x1, y1, level1, x2, y2, level2) || c.Kind != fromKind) continue;
      u32 lo, hi;
      if (!Tp_IsCode(Grid_GetCellNorm(c.X, c.Y, c.Level), &lo, &hi) || toKind < lo || toKind > hi) continue;
      c.Kind = toKind;
    }
}

int Tp_Iterate(u32 line, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y, i32* level,
               wch* name) {
  if (line == 0) return 0;
  TimetablePoint* p = (*x == -1 && s_iter) ? s_iter->Next : (*x == -1 ? nullptr : s_first);
  for (; p; p = p->Next) {
    if (!p->Words || !Lin_ListContains(p->Words, i32(p->WordCount), line)) continue;
    u32 k = 0;
    for (; k <= p->ExtraCells; ++k)
      if (Tp_CellInBox(p->Cells[k], x1, y1, level1, x2, y2, level2)) break;
    if (k > p->ExtraCells) continue;
    s_iter = p;
    *x = p->Cells[0].X;
    if (y) *y = p->Cells[0].Y;
    if (level) *level = p->Cells[0].Level;
    if (name) Str_Copy(name, p->Name);
    return 1;
  }
  s_iter = nullptr;
  return 0;
}

void Tp_RemoveLineId(u32 line) {
  for (TimetablePoint* p = s_first; p; p = p->Next) {
    if (!p->Words) continue;
    p->WordCount = u32(Lin_ListRemove(p->Words, i32(p->WordCount), line, 0));
    if (p->WordCount == 0) {
      Heap_Free(p->Words);
      p->Words = nullptr;
    }
  }
}

int Tp_AddLineIdBeside(u32 newId, u32 oldId) {
  int failed = 0;
  u32* out = static_cast<u32*>(Heap_Alloc(LINE_LIST_MAX * 4));
  if (!out) return 1;
  for (TimetablePoint* p = s_first; p; p = p->Next) {
    if (!p->Words || !Lin_ListContains(p->Words, i32(p->WordCount), oldId)) continue;
    i32 n = 0;
    const int r = Lin_ListAddBeside(p->Words, i32(p->WordCount), out, &n, newId, oldId);
    if (r == -3 || r == -2) failed = 1;
    if (n == i32(p->WordCount)) continue;
    u32* grown = static_cast<u32*>(Heap_Alloc(u32(n) * 4));
    if (!grown) {
      failed = 1;
      continue;
    }
    Mem_Copy(grown, out, n * 4);
    Heap_Free(p->Words);
    p->Words = grown;
    p->WordCount = u32(n);
  }
  Heap_Free(out);
  return failed;
}

void Tp_OnDepotPlaceDeleted(u32 depot, u32 place) {
  for (TimetablePoint* p = s_first; p; p = p->Next)
    if (p->Words) Lin_ListClearDepotPlaces(p->Words, i32(p->WordCount), depot, place);
}

void Tp_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace) {
  for (TimetablePoint* p = s_first; p; p = p->Next)
    if (p->Words) Lin_ListRenumberDepotPlace(p->Words, i32(p->WordCount), depot, newPlace, oldPlace);
}

// ---------------------------------------------------------------- section

static int Tp_WriteOccupant(const TpCell& c) {
  int r;
  for (int i = 0; i < 4; ++i)
    if ((r = Fio_WriteU32(c.Occupant[i]))) return r;
  return Fio_WriteU16(c.Order);
}

int Tp_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(TP_TAG)) || (r = Fio_WriteU32(s_count))) return r;
  for (const TimetablePoint* p = s_first; p; p = p->Next) {
    const TpCell& m = p->Cells[0];
    if ((r = Grid_WritePos(m.X, m.Y, m.Level)) || (r = Fio_WriteU32(p->Flags)) || (r = Fio_WriteU16(m.DirMask)) ||
        (r = Fio_WriteU32(m.Kind)) || (r = Fio_WriteU32(p->WordCount)))
      return r;
    if ((r = Fio_WriteZeroEnded(p->Name))) return r;
    if ((p->Flags & TP_F_EXTRA) && (r = Fio_WriteU32(p->Extra))) return r;
    if ((r = Fio_WriteU32(p->ScheduleLength)) || (r = Tp_WriteOccupant(m)) || (r = Fio_WriteU16(p->ExtraCells)) ||
        (r = Fio_WriteU16(p->QueueCount)) || (r = Fio_WriteU16(TP_RESET_TIMES)))
      return r;
    for (int i = 0; i < TP_RESET_TIMES; ++i)
      if ((r = Fio_WriteU32(p->Reset[i]))) return r;
    if ((r = Fio_WriteU16(p->Capacity))) return r;
    for (u32 i = 0; i < p->QueueCount; ++i)
      if ((r = Fio_WriteU32(u32(p->Queue[i])))) return r;
    for (u32 k = 1; k <= p->ExtraCells; ++k) {
      const TpCell& c = p->Cells[k];
      if ((r = Grid_WritePos(c.X, c.Y, c.Level)) || (r = Fio_WriteU16(c.DirMask)) || (r = Fio_WriteU32(c.Kind)) ||
          (r = Tp_WriteOccupant(c)))
        return r;
    }
    for (u32 i = 0; i < p->WordCount; ++i)
      if ((r = Fio_WriteU32(p->Words[i]))) return r;
    if (p->ScheduleLength && (r = Fio_WriteBlock(p->Schedule, p->ScheduleLength))) return r;
  }
  return 0;
}

static int Tp_ReadPos(u16 version, i32* x, i32* y, i32* level) {
  int r;
  if ((r = Grid_ReadPos(x, y, level, version))) return r;
  if (*x < 0 || *x >= GRID_SIZE || *y < 0 || *y >= GRID_SIZE || *level < -4 || *level > 0) return 3;
  return 0;
}

// The occupant words and order of a cell in a file of the version.
static int Tp_ReadOccupant(u16 version, u32* occ, u16* order) {
  int r;
  for (int i = 0; i < 4; ++i) occ[i] = 0;
  if (version < LAYVER_WIDE) {
    u16 w;
    if ((r = Fio_ReadU16(&w))) return r;
    occ[0] = w;
  } else {
    const int words = version >= LAYVER_SPEED_CAPS ? 4 : version >= LAYVER_LISTS ? 2 : 1;
    for (int i = 0; i < words; ++i)
      if ((r = Fio_ReadU32(&occ[i]))) return r;
    if (version < LAYVER_LISTS) occ[0] &= 0xFFFF;
  }
  return Fio_ReadU16(order);
}

// A train standing on the cell gives the occupant's line and number in
// files that did not keep them.
static void Tp_OccupantFromTrain(i32 x, i32 y, i32 level, u32* occ) {
  const TrainRec* t = Trn_FindAtCell(x, y, level, nullptr, CELL_EMPTY);
  if (!t) return;
  occ[0] = t->CurLine ? t->CurLine : 0xFFFFFFFFu;
  occ[1] = t->Number;
}

// The kind of a file before kinds were stored, from the old element at the
// cell (rewritten to the element of today); 0xFFFFFFFF when the cell holds
// no old element.
static u32 Tp_KindFromOldElement(i32 x, i32 y, i32 level, u16 dirMask) {
  const CellCode code = Grid_GetCellNorm(x, y, level);
  if (!Cell_HasShapeIn(code, 120, 159)) return 0xFFFFFFFFu;
  const u32 shape = Cell_Shape(code), g = (shape - 120) / 8;
  u32 kind;
  if (Cell_Class(code) == 7) kind = g == 1 ? 2 : 0;
  else if (Cell_ClassIn(code, 4, 5)) {
    static const u32 k[5] = {7, 2, 6, 8, 0};
    kind = k[g];
  } else {
    static const u32 k[5] = {11, 10, 2, 12, 0};
    kind = k[g];
  }
  (void)dirMask;
  const u32 newShape = 152 + ((shape - 120) & 7);
  Grid_SetCell(x, y, level, CellCode(Cell_WithShape(code, newShape)));
  return kind;
}

// One record of the section as read, before it becomes points.
struct TpLoadCell {
  i32 x, y, level;
  u16 dirMask, order;
  u32 kind, occ[4];
};
struct TpLoadRec {
  i32 x, y, level;
  u32 flags, kind, wordCount, schedLength;
  u16 dirMask, order, extraCells;
  u32 occ[4];
  TpFields f;
  i32 queue[TP_QUEUE_MAX];
  TpLoadCell cells[TP_MAX_CELLS - 1];
};

// The name as the version kept it: none in the oldest files (one is made
// from the running number), 16 ANSI bytes, then UTF-16 up to a zero.
static int Tp_ReadName(u16 version, u32 flags, u32* made, wch* name) {
  int r;
  if (version <= LAYVER_NAMED) {
    Fmt_Print(name, TP_NAME_MAX + 1, (flags & 0x2) ? u"DW_%05u" : u"TP_%05u", ++*made);
    return 0;
  }
  if (version < LAYVER_WIDE) {
    char bytes[17];
    if (Fio_ReadBlock(bytes, 16) != 16) return 1;
    bytes[16] = 0;
    Lng_AnsiToWide(bytes, name, TP_NAME_MAX + 1);
    return 0;
  }
  u32 len = 0;
  for (;;) {
    u16 ch;
    if ((r = Fio_ReadU16(&ch))) return r;
    if (ch == 0) break;
    if (len >= TP_NAME_MAX) return 3;
    name[len++] = ch;
  }
  name[len] = 0;
  return 0;
}

// Position, flags, direction, kind, list length, name, extra value and
// schedule length.
static int Tp_ReadRecHead(u16 version, TpLoadRec* rec, u32* made) {
  int r;
  u16 w16;
  if ((r = Tp_ReadPos(version, &rec->x, &rec->y, &rec->level))) return r;
  if (version < LAYVER_TRAIN_TEXT && (r = Fio_ReadU16(&w16))) return r;
  if (version >= LAYVER_SPLIT_DELAYS) {
    if ((r = Fio_ReadU32(&rec->flags))) return r;
  } else {
    if ((r = Fio_ReadU16(&w16))) return r;
    rec->flags = w16;
  }
  if (version >= LAYVER_DIR_WORD) {
    if ((r = Fio_ReadU16(&rec->dirMask))) return r;
  } else {
    rec->dirMask = u16(rec->flags >> 8);
    rec->flags &= 0xFF;
  }
  rec->kind = 0;
  if (version >= LAYVER_KINDS && (r = Fio_ReadU32(&rec->kind))) return r;
  if ((r = Fio_ReadField(&rec->wordCount, LayVer_WordBytes(version)))) return r;
  if (rec->wordCount > LINE_LIST_MAX) return 3;
  if ((r = Tp_ReadName(version, rec->flags, made, rec->f.name))) return r;
  if ((rec->flags & TP_F_EXTRA) && version >= LAYVER_SHUNTING) {
    if (version >= LAYVER_WIDE) {
      if ((r = Fio_ReadU32(&rec->f.extra))) return r;
    } else {
      if ((r = Fio_ReadU16(&w16))) return r;
      rec->f.extra = u32(w16) * 1000;
    }
  }
  if ((r = Fio_ReadField(&rec->schedLength, LayVer_WordBytes(version)))) return r;
  return rec->schedLength > TIM_SCHEDULE_MAX ? 3 : 0;
}

// Occupant, reset times, capacity, queue and the further cells.
static int Tp_ReadRecCells(u16 version, TpLoadRec* rec) {
  int r;
  u16 w16, queueCount = 0, capacity = 0, resetCount = 0;
  if ((r = Tp_ReadOccupant(version, rec->occ, &rec->order))) return r;
  rec->extraCells = 0;
  if ((r = Fio_ReadU16(&rec->extraCells)) || (r = Fio_ReadU16(&queueCount))) return r;
  if (version >= LAYVER_SET_NAMES && (r = Fio_ReadU16(&resetCount))) return r;
  if (resetCount > (version >= LAYVER_WIDE ? TP_RESET_TIMES : 3) || rec->extraCells > TP_MAX_CELLS - 1) return 3;
  for (u32 i = 0; i < resetCount; ++i) {
    if (version >= LAYVER_WIDE) {
      if ((r = Fio_ReadU32(&rec->f.resets[i]))) return r;
    } else {
      if ((r = Fio_ReadU16(&w16))) return r;
      if ((w16 >> 8) != 255) rec->f.resets[i] = 127u << 24 | u32(w16 >> 8) << 16 | u32(w16 & 0xFF) << 8;
    }
  }
  if ((r = Fio_ReadU16(&capacity))) return r;
  if (capacity > TP_QUEUE_MAX || queueCount > capacity) return 3;
  for (int i = 0; i < TP_QUEUE_MAX; ++i) rec->queue[i] = -1;
  if (version >= LAYVER_MARKS)
    for (u32 i = 0; i < queueCount; ++i) {
      u32 v;
      if ((r = Fio_ReadU32(&v))) return r;
      rec->queue[i] = i32(v);
    }
  else
    queueCount = 0;
  rec->f.capacity = capacity;
  rec->f.queueCount = queueCount;
  for (u32 k = 0; k < rec->extraCells; ++k) {
    TpLoadCell& c = rec->cells[k];
    c.kind = 0;
    if ((r = Tp_ReadPos(version, &c.x, &c.y, &c.level)) || (r = Fio_ReadU16(&c.dirMask))) return r;
    if (version >= LAYVER_KINDS && (r = Fio_ReadU32(&c.kind))) return r;
    if ((r = Tp_ReadOccupant(version, c.occ, &c.order))) return r;
  }
  return 0;
}

// The rule list into words and the schedule into sched.
static int Tp_ReadRecLists(u16 version, TpLoadRec* rec, u32* words, u8* sched) {
  int r;
  u16 w16;
  for (u32 i = 0; i < rec->wordCount; ++i) {
    if (version >= LAYVER_WIDE) {
      if ((r = Fio_ReadU32(&words[i]))) return r;
    } else {
      if ((r = Fio_ReadU16(&w16))) return r;
      words[i] = w16;
    }
  }
  // The old pair form of rule lists needs the old line table's converter,
  // which these files cannot reach here: such a list is refused rather than
  // read as something else.
  if (version < LAYVER_WIDE && rec->wordCount) return 3;
  if (rec->schedLength && Fio_ReadBlock(sched, rec->schedLength) != rec->schedLength) return 1;
  if (version < LAYVER_WIDE && rec->schedLength) {
    sched[0] = 127;
    sched[rec->schedLength++] = 0;
  }
  if (rec->schedLength && Tim_ScheduleCheck(sched, i32(rec->schedLength)) != i32(rec->schedLength)) return 3;
  return 0;
}

// The record as points of today: 0 stored or skipped, 4 refused.
static int Tp_StoreRec(u16 version, TpLoadRec* rec, const u32* words, const u8* sched) {
  // Records of the Dwx points travelled in this section in the oldest
  // files; the Dwx store takes them from its own section.
  if (version < LAYVER_TRAIN_TEXT && (rec->flags & 0x2)) return 0;
  u32 kind = rec->kind;
  if (version < LAYVER_KINDS) {
    kind = Tp_KindFromOldElement(rec->x, rec->y, rec->level, rec->dirMask);
    if (kind == 0xFFFFFFFFu) return 0;
  }
  if (version < LAYVER_KIND_SHIFT && kind >= 1) ++kind;
  if (version < LAYVER_SOUND_POINTS) Tp_OccupantFromTrain(rec->x, rec->y, rec->level, rec->occ);
  TpFields& f = rec->f;
  f.kind = kind;
  f.dirMask = rec->dirMask;
  f.flags = rec->flags;
  TimetablePoint* p = nullptr;
  if (Tp_AddCell(rec->x, rec->y, rec->level, f, rec->occ, rec->order ? -i32(rec->order) : 0, s_loadPrev, &p) !=
          TP_OK ||
      !p)
    return 4;
  for (int i = 0; i < TP_QUEUE_MAX; ++i) p->Queue[i] = rec->queue[i];
  for (u32 k = 0; k < rec->extraCells; ++k) {
    TpLoadCell& c = rec->cells[k];
    if (version < LAYVER_KIND_SHIFT && c.kind >= 1) ++c.kind;
    if (version < LAYVER_SOUND_POINTS) Tp_OccupantFromTrain(c.x, c.y, c.level, c.occ);
    f.kind = c.kind;
    f.dirMask = c.dirMask;
    if (Tp_AddCell(c.x, c.y, c.level, f, c.occ, c.order ? -i32(c.order) : 0, nullptr, &p) != TP_OK) return 4;
  }
  if (Tp_SetListsRaw(rec->x, rec->y, rec->level, rec->schedLength ? sched : nullptr, rec->schedLength, words,
                     rec->wordCount))
    return 4;
  s_loadPrev = p;
  return 0;
}

int Tp_LoadSection(u16 version) {
  int r;
  Tp_Clear();
  if ((r = LayVer_ReadTag(version, TP_TAG, TP_TAG_OLD))) return r;
  u32 count;
  if ((r = Fio_ReadField(&count, version >= LAYVER_TRAIN_TEXT ? 4 : 2))) return r;
  if (count > TP_MAX_ID) return 3;
  u32* words = static_cast<u32*>(Heap_Alloc(LINE_LIST_MAX * 4));
  u8* sched = static_cast<u8*>(Heap_Alloc(TIM_SCHEDULE_MAX + 2));
  int result = (words && sched) ? 0 : 4;
  s_loadPrev = nullptr;
  u32 made = 0;
  for (u32 n = 0; n < count && !result; ++n) {
    TpLoadRec rec{};
    if (!(result = Tp_ReadRecHead(version, &rec, &made)) && !(result = Tp_ReadRecCells(version, &rec)) &&
        !(result = Tp_ReadRecLists(version, &rec, words, sched)))
      result = Tp_StoreRec(version, &rec, words, sched);
  }
  s_loadPrev = nullptr;
  if (words) Heap_Free(words);
  if (sched) Heap_Free(sched);
  return result;
}

// ---------------------------------------------------------------- clipboard

// Line n into buf: 0 read (a cut line counts as read), else none.
static int Tp_ClipRead(i32 n, i32 size, wch* buf) {
  buf[0] = 0;
  const int r = Clip_ReadLine(n, size, buf);
  return r == 1 ? 0 : r;
}

static int Tp_CopyCell(const TimetablePoint* p, const TpCell& c) {
  wch line[RULE_TEXT_SIZE];
  Fmt_Print(line, TP_CLIP_LINE, u"%u,%x,%x,%x,%i,%x,%x,%u,%u,%u,%x,%x,%x,%x,%x,%x,%u", p->Id, p->Flags, c.X, c.Y,
            c.Level, c.DirMask, c.Kind, p->QueueCount, p->Capacity, p->ScheduleLength, p->Reset[0], p->Reset[1],
            p->Reset[2], p->Reset[3], p->Reset[4], p->Reset[5], p->Extra);
  int r = Clip_AppendLine(line);
  for (u32 i = 0; i < p->ScheduleLength && !r; i += TP_SCHED_PER_LINE) {
    wch* at = line;
    for (u32 j = i; j < p->ScheduleLength && j < i + TP_SCHED_PER_LINE; ++j) {
      Fmt_Print(at, 4, u"%02x,", p->Schedule[j]);
      at += 3;
    }
    r = Clip_AppendLine(line);
  }
  if (r) return r;
  line[0] = 0;
  if (p->WordCount) Rule_Format(line, RULE_TEXT_SIZE, p->Words, 0, 0, i32(p->WordCount));
  return Clip_AppendLine(line);
}

int Tp_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(9120));
  int r = Clip_AppendLine(u"TP_A");
  if (r) return r;
  // The cells of the points inside the box, by level, then y, then x: the
  // points are walked, never every cell of the box.
  struct Hit {
    const TimetablePoint* p;
    u32 k;
    i64 key;
  };
  u32 n = 0;
  for (const TimetablePoint* p = s_first; p; p = p->Next)
    for (u32 k = 0; k <= p->ExtraCells; ++k) n += u32(Tp_CellInBox(p->Cells[k], x1, y1, level1, x2, y2, level2));
  Hit* hits = n ? static_cast<Hit*>(Heap_Alloc(n * sizeof(Hit))) : nullptr;
  if (n && !hits) return 1;
  u32 h = 0;
  for (const TimetablePoint* p = s_first; p; p = p->Next)
    for (u32 k = 0; k <= p->ExtraCells; ++k) {
      const TpCell& c = p->Cells[k];
      if (!Tp_CellInBox(c, x1, y1, level1, x2, y2, level2)) continue;
      const i64 key = (i64(c.Level + 8) << 32) | (i64(c.Y) << 16) | i64(c.X);
      u32 j = h++;
      for (; j > 0 && hits[j - 1].key > key; --j) hits[j] = hits[j - 1];
      hits[j] = Hit{p, k, key};
    }
  for (u32 i = 0; i < n && !r; ++i) r = Tp_CopyCell(hits[i].p, hits[i].p->Cells[hits[i].k]);
  if (hits) Heap_Free(hits);
  return r ? r : Clip_AppendLine(u"TP_E");
}

// Gives the points a paste made their final names: "_____COPY_T%05u" with
// the first free number from the new id upward.
static void Tp_RenamePasted(void) {
  const i32 prefix = Str_Len(kTpPasteName);
  for (;;) {
    TimetablePoint* p = s_first;
    for (; p; p = p->Next) {
      wch head[TP_NAME_MAX + 1];
      Mem_CopyWide(head, p->Name, prefix);
      head[prefix] = 0;
      if (Str_Len(p->Name) >= prefix && Str_CompareEx(head, kTpPasteName, 0) == 0) break;
    }
    if (!p) return;
    u32 number = p->Id % 100000;
    wch name[TP_NAME_MAX + 1];
    for (u32 i = 0; i < 100000; ++i) {
      Fmt_Print(name, TP_NAME_MAX + 1, u"%s%05u", kTpCopyName, number);
      if (!Tp_ByName(name)) break;
      number = number >= 99999 ? 0 : number + 1;
    }
    Str_Copy(p->Name, name);
    Tp_Unlink(p);
    Tp_LinkByName(p);
  }
}

static int Tp_IsHex(wch c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

static int Tp_PasteRecords(i32* at, i32 dx, i32 dy, i32 dlevel, u8* sched, wch* text, u32* words) {
  wch line[TP_CLIP_LINE];
  int result = 0;
  for (;;) {
    if (Tp_ClipRead((*at)++, TP_CLIP_LINE, line)) return 4;
    i64 v[17];
    if (!Str_ScanFields(line, 17, "uxxxixxuuuxxxxxxu", v)) {
      if (Str_CompareEx(line, u"TP_E", 0) != 0) return 4;
      return result;
    }
    const u32 schedLength = u32(v[9]);
    if (schedLength > TIM_SCHEDULE_MAX) return 4;
    // The schedule bytes, 40 to a line.
    u32 got = 0;
    while (got < schedLength) {
      if (Tp_ClipRead((*at)++, TP_CLIP_LINE, line)) return 4;
      const wch* s = line;
      while (*s && got < schedLength) {
        u32 b = 0;
        int digits = 0;
        for (; Tp_IsHex(*s); ++s, ++digits) b = b * 16 + u32(*s <= '9' ? *s - '0' : (*s | 0x20) - 'a' + 10);
        if (!digits || b > 255) return 4;
        sched[got++] = u8(b);
        if (*s == ',') ++s;
        else if (*s) return 4;
      }
    }
    if (Tp_ClipRead((*at)++, RULE_TEXT_SIZE, text)) return 4;
    const i32 x = i32(v[2]) + dx, y = i32(v[3]) + dy, level = i32(v[4]) + dlevel;
    PackedWeekTime resets[TP_RESET_TIMES];
    for (int i = 0; i < TP_RESET_TIMES; ++i) resets[i] = PackedWeekTime(v[10 + i]);
    wch name[TP_NAME_MAX + 1];
    Fmt_Print(name, TP_NAME_MAX + 1, u"%s%05u", kTpPasteName, u32(v[0]) % 100000);
    const int made = Tp_Create(x, y, level, u32(v[16]), resets, u32(v[8]), u32(v[7]), u32(v[6]), u32(v[5]),
                               u32(v[1]), name);
    if (made != TP_OK) {
      Grid_SetCell(x, y, level, CELL_EMPTY);
      result |= 1;
      continue;
    }
    // The queue slots do not travel with the block: a pasted point starts
    // with an empty queue, never with slots of -1.
    TimetablePoint* p = Tp_At(x, y, level);
    p->QueueCount = 0;
    for (int i = 0; i < TP_QUEUE_MAX; ++i) p->Queue[i] = -1;
    i32 n = text[0] ? Rule_Parse(text, 2, words) : 0;
    if (n < 0) n = 0;
    if (schedLength && Tim_ScheduleCheck(sched, i32(schedLength)) != i32(schedLength)) {
      result |= 2;
      continue;
    }
    if (Tp_SetListsRaw(x, y, level, schedLength ? sched : kTpNoSchedule, schedLength ? schedLength : 3, words,
                       u32(n)))
      result |= 2;
  }
}

int Tp_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel) {
  i32 at = *lineNo + 1;  // the header line is taken without a check
  u8* sched = static_cast<u8*>(Heap_Alloc(TIM_SCHEDULE_MAX));
  wch* text = static_cast<wch*>(Heap_Alloc(RULE_TEXT_SIZE * sizeof(wch)));
  u32* words = static_cast<u32*>(Heap_Alloc(RULE_WORDS_MAX * 4));
  const int result = (sched && text && words) ? Tp_PasteRecords(&at, dx, dy, dlevel, sched, text, words) : 4;
  if (sched) Heap_Free(sched);
  if (text) Heap_Free(text);
  if (words) Heap_Free(words);
  // On every way out, so that the next paste never meets a temporary name.
  Tp_RenamePasted();
  *lineNo = at;
  return result;
}

// ---------------------------------------------------------------- text listing

#define TP_W(call)         \
  do {                     \
    const int r_ = (call); \
    if (r_) return r_;     \
  } while (0)

int Tp_WriteText(int withInfo) {
  (void)withInfo;  // the info texts of cells come with the info points
  TP_W(Fio_WriteFormat(Lng_GetText(9000), s_count));
  TP_W(Fio_WriteCrLf());
  TP_W(Fio_WriteSeparator());
  for (const TimetablePoint* p = s_first; p; p = p->Next) {
    const TpCell& m = p->Cells[0];
    TP_W(Fio_WriteFormat(u"%s %s\r\n%s %5i,%5i,%+i\r\n", Lng_GetText(9020), p->Name, Lng_GetText(9021), m.X, m.Y,
                         m.Level));
    if (p->ExtraCells) {
      TP_W(Fio_WriteFormat(Lng_GetText(9027), p->ExtraCells + 1u));
      TP_W(Fio_WriteCrLf());
      for (u32 k = 1; k <= p->ExtraCells; ++k) {
        TP_W(Fio_WriteFormat(Lng_GetText(9028), k + 1));
        TP_W(Fio_WriteFormat(u"%5i,%5i,%+i\r\n", p->Cells[k].X, p->Cells[k].Y, p->Cells[k].Level));
      }
    }
    TP_W(Fio_WriteFormat(Lng_GetText(9029), u32(p->Capacity), u32(p->QueueCount)));
    TP_W(Fio_WriteCrLf());
    TP_W(Fio_WriteString(Lng_GetText(9030)));
    int any = 0;
    for (int i = 0; i < TP_RESET_TIMES; ++i) {
      if (!p->Reset[i]) continue;
      wch t[64];
      Rule_FormatTimeOfDay(p->Reset[i], t, 64, 0);
      TP_W(Fio_WriteFormat(u" %s", t));
      any = 1;
    }
    if (!any) TP_W(Fio_WriteString(Lng_GetText(9031)));
    TP_W(Fio_WriteCrLf());
    if (p->WordCount) {
      TP_W(Fio_WriteString(Lng_GetText(9023)));
      TP_W(Rule_PrintText(p->Words, i32(p->WordCount)));
    } else {
      TP_W(Fio_WriteString(Lng_GetText(9024)));
      TP_W(Fio_WriteCrLf());
    }
    if (p->ScheduleLength >= 3) {
      TP_W(Fio_WriteString(Lng_GetText(9026)));
      TP_W(Fio_WriteCrLf());
      TP_W(Rule_PrintSchedule(p->Schedule));
    } else {
      TP_W(Fio_WriteString(Lng_GetText(9025)));
      TP_W(Fio_WriteCrLf());
    }
    TP_W(Fio_WriteSeparator());
  }
  return 0;
}

// ---------------------------------------------------------------- trains

// Whether the point's rule takes the train now.
static int Tp_RuleApplies(const TimetablePoint* p, u32 line, u32 number) {
  if (!p->Words || !p->WordCount) return 0;
  return Lin_ListMatchNow(p->Words, i32(p->WordCount), line == 0xFFFFFFFFu ? 0 : line, nullptr, number) == 1;
}

static void Tp_TakeFirstSlot(TimetablePoint* p, u32* slot) {
  if (slot) *slot = u32(p->Queue[0]);
  for (u32 i = 1; i < p->QueueCount; ++i) p->Queue[i - 1] = p->Queue[i];
  p->Queue[--p->QueueCount] = -1;
  if (p->QueueCount == 0) Tp_RedrawPoint(p);
}

int Tp_GetDetails(i32 x, i32 y, i32 level, u32* slot, int testOnly, u32 dirMask, i32* extra, i32* speed, u32 line,
                  u32 number) {
  if (slot) *slot = 0;
  if (speed) *speed = -1;
  if (extra) *extra = -1;
  TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return 1;
  const u32 k = s_current;
  if (!(p->Cells[k].DirMask & dirMask)) return 1;
  if (extra) *extra = (p->Flags & TP_F_EXTRA) ? i32(p->Extra) : -1;
  if (!Tp_RuleApplies(p, line, number)) {
    if (p->Flags & TP_F_REFUSE2) return 2;
    if (p->Flags & TP_F_REFUSE3) return 3;
    if (p->Flags & TP_F_REFUSE4) return 4;
    return 1;
  }
  if (testOnly) return 0;
  if (p->Cells[k].Order) Tp_ClearOccupant(p, k);
  if (p->QueueCount) {
    Tp_TakeFirstSlot(p, slot);
    return (p->Flags & TP_F_SLOT5) ? 5 : 6;
  }
  TpCell& c = p->Cells[k];
  c.Occupant[0] = line ? line : 0xFFFFFFFFu;
  c.Occupant[1] = number;
  c.Occupant[2] = c.Occupant[3] = 0;
  c.Order = u8(Tp_OccupiedCells(p) + 1);
  return 0;
}

PackedWeekTime Tp_Query(i32 x, i32 y, i32 level, int* source) {
  if (source) *source = 0;
  const TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return 0;
  const u32 order = p->Cells[s_current].Order;
  if (!order || !p->Schedule) return 0;
  const SimClock& c = g_simClock;
  u32 bit = 1u << (c.weekday - 1);
  int h = c.hour, m = c.minute, s = c.second;
  PackedWeekTime t = 0;
  for (u32 k = 1; k <= order; ++k) {
    t = Tim_ScheduleNext(p->Schedule, bit, h, 0, s, m);
    int changed = 0;
    for (u32 j = 0; j <= p->ExtraCells; ++j) {
      const TpCell& cell = p->Cells[j];
      if (cell.Order != k || !cell.Occupant[0] || !p->Words) continue;
      // The rule stops taking the train at the end of its windows: it may
      // leave then, when that comes before the scheduled time.
      u32 until = t ? t : 0x1000000u;
      const u32 line = cell.Occupant[0] == 0xFFFFFFFFu ? 0 : cell.Occupant[0];
      const i32 n = i32(p->WordCount);
      if (Lin_ListMatchNow(p->Words, n, line, nullptr, cell.Occupant[1]) == 1 &&
          Lin_ListMatchNow(p->Words, n, line, &until, cell.Occupant[1]) == 0 && until != Clk_Now()) {
        t = until;
        changed = 1;
        if (source) *source = 2;
      }
    }
    if (!t) return 0;
    if (changed) continue;
    bit = t >> 24;
    h = (t >> 16) & 0xFF;
    m = (t >> 8) & 0xFF;
    s = t & 0xFF;
  }
  return t;
}

int Tp_ReleaseAtCell(i32 x, i32 y, i32 level) {
  TimetablePoint* p = Tp_At(x, y, level);
  if (!p) return 1;
  if (!p->Cells[s_current].Order && !p->Cells[s_current].Occupant[0]) return 2;
  Tp_ClearOccupant(p, s_current);
  return 0;
}

// ---------------------------------------------------------------- clock

// The line a dispatcher message 13 names: the one line of the only group
// whose windows hold now; 0 when none or not one.
static u32 Tp_MessageLine(const TimetablePoint* p) {
  if (!p->Words) return 0;
  u32 line = 0;
  int groups = 0;
  i32 at = 0;
  const i32 length = i32(p->WordCount);
  while (at < length) {
    LinGroupLayout g;
    const i32 n = Lin_ListGroupLayout(p->Words + at, length - at, &g);
    if (n <= 0) break;
    int counts = 1;
    if (g.flags & LIN_OPT_WINDOWS) {
      counts = 0;
      const i32 o = g.offset[0];
      const u32 m = p->Words[at + o];
      for (u32 w = 0; w < m && !counts; ++w)
        counts = Clk_NowInWindow(p->Words[at + o + 1 + 2 * w], p->Words[at + o + 2 + 2 * w]);
    }
    if (counts) {
      ++groups;
      line = p->Words[at] == 1 ? p->Words[at + 1] : 0;
    }
    at += n;
  }
  return groups == 1 ? line : 0;
}

void Tp_CheckAll(void) {
  const SimClock& c = g_simClock;
  const u32 dayBit = 1u << (c.weekday - 1);
  const PackedWeekTime now = Clk_Now();
  const u32 secondOfDay = u32(c.hour) * 3600 + u32(c.minute) * 60 + c.second;
  for (TimetablePoint* p = s_first; p; p = p->Next) {
    if (p->QueueCount)
      for (int i = 0; i < TP_RESET_TIMES; ++i) {
        const PackedWeekTime r = p->Reset[i];
        if (r && ((r >> 24) & dayBit) && (r & 0xFFFFFF) == (now & 0xFFFFFF)) {
          p->QueueCount = 0;
          for (int j = 0; j < TP_QUEUE_MAX; ++j) p->Queue[j] = -1;
          Tp_RedrawPoint(p);
          break;
        }
      }
    if (p->NextDeparture && p->NextDeparture == now) {
      Tp_RecomputeNext(p);
      int released = 0;
      while (!released) {
        u32 k = 0;
        for (; k <= p->ExtraCells; ++k)
          if (p->Cells[k].Order == 1) break;
        if (k > p->ExtraCells) break;
        released = Trn_ReleaseHeldAt(p->Cells[k].X, p->Cells[k].Y, p->Cells[k].Level) == 0;
        Tp_ClearOccupant(p, k);
      }
      if (!released) {
        if (p->QueueCount < p->Capacity) {
          p->Queue[p->QueueCount++] = i32(secondOfDay);
          if (p->QueueCount == 1) Tp_RedrawPoint(p);
        } else if (p->Capacity) {
          Dmsg_Post(27, p->Cells[0].X, p->Cells[0].Y, p->Cells[0].Level, p->Id, 0, 0, 0);
        }
        if (Dmsg_KindEnabled(13) && !(p->Flags & TP_F_NO_MSG13))
          Dmsg_Post(13, p->Cells[0].X, p->Cells[0].Y, p->Cells[0].Level, secondOfDay, 0, 0, Tp_MessageLine(p));
      }
    }
    for (u32 k = 0; k <= p->ExtraCells; ++k) {
      TpCell& cell = p->Cells[k];
      if (!cell.Occupant[0] || !cell.Occupant[1]) continue;
      if (Tp_RuleApplies(p, cell.Occupant[0], cell.Occupant[1])) continue;
      Trn_ReleaseHeldAt(cell.X, cell.Y, cell.Level);
      Tp_ClearOccupant(p, k);
    }
  }
}

void Tp_RecomputeNextTimes(void) {
  for (TimetablePoint* p = s_first; p; p = p->Next) Tp_RecomputeNext(p);
}

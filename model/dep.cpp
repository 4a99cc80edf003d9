#include "model/dep.h"

#include "model/dwx.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/rngp.h"
#include "model/tp.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "operation/sigclip.h"
#include "operation/trnops.h"
#include "operation/trnquery.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/heap.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { DEP_TAG = 0x4F504544 };  // "DEPO"
enum : u16 { DEP_TAG_OLD = 0x4642 };

static DepotRec* s_first;
static u32 s_count;

static u32 Dep_BlockSize(u32 places) { return u32(sizeof(DepotRec) + (places - 1) * sizeof(DepotPlace)); }

void Dep_Init(void) {
  s_first = nullptr;
  s_count = 0;
}

void Dep_Clear(void) {
  for (DepotRec* d = s_first; d;) {
    DepotRec* next = d->Next;
    Heap_Free(d);
    d = next;
  }
  s_first = nullptr;
  s_count = 0;
}

void Dep_Exit(void) { Dep_Clear(); }

u32 Dep_Count(u32* places) {
  if (places) {
    u32 n = 0;
    for (const DepotRec* d = s_first; d; d = d->Next) n += d->PlaceCount;
    *places = n;
  }
  return s_count;
}

DepotRec* Dep_Find(u32 depot, u32 place, u32* index) {
  if (depot < 1 || depot > DEP_MAX_DEPOTS) return nullptr;
  for (DepotRec* d = s_first; d; d = d->Next) {
    if (d->Number != depot) continue;
    if (place == 0) return d;
    for (u32 i = 0; i < d->PlaceCount; ++i)
      if (d->Places[i].Number == place) {
        if (index) *index = i;
        return d;
      }
    return nullptr;
  }
  return nullptr;
}

u32 Dep_FindAtPosition(i32 x, i32 y, i32 level, u32* place) {
  for (const DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i) {
      const DepotPlace& p = d->Places[i];
      if (p.X == x && p.Y == y && p.Level == level) {
        if (place) *place = p.Number;
        return d->Number;
      }
    }
  return 0;
}

int Dep_GetPlace(u32 depot, u32 place, DepotPlaceInfo* out) {
  u32 i = 0;
  const DepotRec* d = (place >= 1 && place <= DEP_MAX_PLACES) ? Dep_Find(depot, place, &i) : nullptr;
  if (!d) return 1;
  if (!out) return 0;
  const DepotPlace& p = d->Places[i];
  out->X = p.X;
  out->Y = p.Y;
  out->Level = p.Level;
  out->Directions = p.Directions;
  out->CondCount = p.CondCount;
  for (u32 k = 0; k < p.CondCount; ++k) out->Cond[k] = p.Cond[k];
  out->ListACount = p.ListACount;
  for (u32 k = 0; k < p.ListACount; ++k) out->ListA[k] = p.ListA[k];
  out->ListBCount = p.ListBCount;
  for (u32 k = 0; k < p.ListBCount; ++k) out->ListB[k] = p.ListB[k];
  out->WaitMs = p.WaitMs;
  out->Options = p.Options;
  return 0;
}

static u32 Dep_DropFromList(i32* list, u32 count, u32 id) {
  u32 k = 0;
  for (u32 i = 0; i < count; ++i)
    if (u32(list[i] < 0 ? -list[i] : list[i]) != id) list[k++] = list[i];
  return k;
}

void Dep_OnElementDeleted(u32 id) {
  for (DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i) {
      DepotPlace& p = d->Places[i];
      for (u32 k = 0; k < p.CondCount && k < DEP_COND_MAX; ++k)
        if (p.Cond[k] == id) {
          p.CondCount = 0;
          break;
        }
      p.ListACount = Dep_DropFromList(p.ListA, p.ListACount, id);
      p.ListBCount = Dep_DropFromList(p.ListB, p.ListBCount, id);
    }
}

static int Dep_PlaceNames(const DepotPlace& p, u32 id) {
  for (u32 k = 0; k < p.CondCount && k < DEP_COND_MAX; ++k)
    if (p.Cond[k] == id) return 1;
  for (u32 k = 0; k < p.ListACount && k < DEP_LIST_MAX; ++k)
    if (u32(p.ListA[k] < 0 ? -p.ListA[k] : p.ListA[k]) == id) return 1;
  for (u32 k = 0; k < p.ListBCount && k < DEP_LIST_MAX; ++k)
    if (u32(p.ListB[k] < 0 ? -p.ListB[k] : p.ListB[k]) == id) return 1;
  return 0;
}

int Dep_PlaceRefersTo(const DepotPlace* place, u32 id) { return place ? Dep_PlaceNames(*place, id) : 0; }

// The iteration cursor of Dep_NextPlace: the index of the place given
// last in its depot; the depot is found anew by number on every call, so a
// change of the list between calls leaves no stale pointer.
static u32 s_iterIndex;

u32 Dep_NextPlace(u32* depot) {
  const DepotRec* d = *depot ? Dep_Find(*depot, 0, nullptr) : s_first;
  if (*depot == 0) {
    s_iterIndex = 0;
  } else if (d && ++s_iterIndex >= d->PlaceCount) {
    d = d->Next;
    s_iterIndex = 0;
  }
  *depot = d ? d->Number : 0;
  return d ? d->Places[s_iterIndex].Number : 0;
}

i32 Dep_PlaceInstallation(u32 depot, u32 place) {
  u32 index = 0;
  const DepotRec* d = place ? Dep_Find(depot, place, &index) : nullptr;
  if (!d) return -1;
  const DepotPlace& p = d->Places[index];
  u32 found = 0;
  auto take = [&found](u32 id) {
    if (id == 0 || id > 0x3FFFF) return 0;  // operators of the condition
    if (found && found != id) return 1;
    found = id;
    return 0;
  };
  for (u32 k = 0; k < p.CondCount && k < DEP_COND_MAX; ++k)
    if (take(p.Cond[k])) return -2;
  for (u32 k = 0; k < p.ListACount && k < DEP_LIST_MAX; ++k)
    if (take(u32(p.ListA[k] < 0 ? -p.ListA[k] : p.ListA[k]))) return -2;
  for (u32 k = 0; k < p.ListBCount && k < DEP_LIST_MAX; ++k)
    if (take(u32(p.ListB[k] < 0 ? -p.ListB[k] : p.ListB[k]))) return -2;
  return i32(found);
}

void Dep_MarkConditionUsers(u32 id) {
  for (DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i)
      if (d->Places[i].CondCount > 0 && d->Places[i].Cond[0] == id) d->Places[i].Options |= 2;
}

static int Dep_Within(i32 v, i32 a, i32 b) { return a <= b ? (v >= a && v <= b) : (v >= b && v <= a); }

int Dep_AnyInBoxUses(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (const DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i) {
      const DepotPlace& p = d->Places[i];
      if (Dep_Within(p.X, x1, x2) && Dep_Within(p.Y, y1, y2) && Dep_Within(p.Level, level1, level2) &&
          Dep_PlaceNames(p, id))
        return 1;
    }
  return 0;
}

u32 Dep_PlaceCount(u32 depot) {
  const DepotRec* d = Dep_Find(depot, 0, nullptr);
  return d ? d->PlaceCount : 0;
}

u32 Dep_FirstPlaceNumber(u32 depot) {
  const DepotRec* d = Dep_Find(depot, 0, nullptr);
  return d ? d->Places[0].Number : 0;
}

// ---------------------------------------------------------------- names

// Copies at most size - 1 units and the zero; forward, so it may shift a
// text left within its own buffer.
static void Dep_CopyN(wch* dst, const wch* src, i32 size) {
  i32 n = 0;
  while (n < size - 1 && src[n]) dst[n] = src[n], ++n;
  dst[n] = 0;
}

static const wch* Dep_SkipBlanks(const wch* s) {
  while (*s == u' ') ++s;
  return s;
}

static int Dep_NameEnd(wch c) { return c == 0 || c == u',' || c == u' ' || c == u':'; }

int Dep_CheckName(const wch* name, int isShort) {
  static const char kBad[] = "<>[]{}:;=?@\\^|~";
  const wch* s = Dep_SkipBlanks(name);
  i32 n = 0;
  for (; !Dep_NameEnd(s[n]); ++n) {
    if (s[n] < 45) return 2;
    for (const char* b = kBad; *b; ++b)
      if (s[n] == wch(*b)) return 2;
  }
  if (n == 0) return 1;
  return n > (isShort ? DEP_SHORT_MAX : DEP_NAME_MAX) ? 3 : 0;
}

// The name up to its end, without leading blanks, into out (max units).
static void Dep_TakeName(const wch* name, wch* out, i32 max) {
  const wch* s = Dep_SkipBlanks(name);
  i32 n = 0;
  while (n < max && !Dep_NameEnd(s[n])) out[n] = s[n], ++n;
  out[n] = 0;
}

static int Dep_NameEquals(const wch* a, const wch* b) { return Str_CompareEx(a, b, STR_CMP_NOCASE | STR_CMP_SKIPBLANK) == 0; }

static const DepotRec* Dep_ByAnyName(const wch* name) {
  for (const DepotRec* d = s_first; d; d = d->Next)
    if (Dep_NameEquals(d->Name, name) || Dep_NameEquals(d->Short, name)) return d;
  return nullptr;
}

i32 Dep_FindByName(const wch* name, u32 place) {
  const int rule = Dep_CheckName(name, 0);
  if (rule) return -rule;
  wch n[DEP_NAME_MAX + 1];
  Dep_TakeName(name, n, DEP_NAME_MAX);
  for (const DepotRec* d = s_first; d; d = d->Next) {
    if (!Dep_NameEquals(d->Name, n) && !Dep_NameEquals(d->Short, n)) continue;
    if (place == 0 || Dep_Find(d->Number, place, nullptr)) return i32(d->Number);
  }
  return 0;
}

void Dep_MakeShortName(const wch* name, wch* out) {
  wch n[DEP_NAME_MAX + 1];
  Dep_TakeName(name, n, DEP_NAME_MAX);
  const i32 len = Str_Len(n);
  if (len <= DEP_SHORT_MAX) {
    Dep_CopyN(out, n, DEP_SHORT_MAX + 1);
    return;
  }
  wch cand[DEP_SHORT_MAX + 1];
  Dep_CopyN(cand, n, DEP_SHORT_MAX + 1);
  if (!Dep_ByAnyName(cand)) {
    Dep_CopyN(out, cand, DEP_SHORT_MAX + 1);
    return;
  }
  for (i32 keep = 3; keep >= 1; --keep) {
    const u32 limit = keep == 3 ? 10 : keep == 2 ? 100 : 1000;
    for (u32 k = 0; k < limit; ++k) {
      wch head[DEP_SHORT_MAX + 1];
      Dep_CopyN(head, n, keep + 1);
      Fmt_Print(cand, DEP_SHORT_MAX + 1, u"%s%u", head, k);
      if (!Dep_ByAnyName(cand)) {
        Dep_CopyN(out, cand, DEP_SHORT_MAX + 1);
        return;
      }
    }
  }
  Dep_CopyN(out, n, DEP_SHORT_MAX + 1);
}

// ---------------------------------------------------------------- inserting

static void Dep_LinkByName(DepotRec* d) {
  DepotRec** l = &s_first;
  while (*l && Str_CompareEx((*l)->Name, d->Name, STR_CMP_NOCASE | STR_CMP_SKIPBLANK) <= 0) l = &(*l)->Next;
  d->Next = *l;
  *l = d;
}

static void Dep_Unlink(DepotRec* d) {
  for (DepotRec** l = &s_first; *l; l = &(*l)->Next)
    if (*l == d) {
      *l = d->Next;
      return;
    }
}

int Dep_InsertPlace(u32 depot, const wch* name, const wch* shortName, const DepotPlace* place) {
  if (depot < 1 || depot > DEP_MAX_DEPOTS || place->Number < 1 || place->Number > DEP_MAX_PLACES ||
      place->CondCount > DEP_COND_MAX || place->ListACount > DEP_LIST_MAX || place->ListBCount > DEP_LIST_MAX)
    return 1;
  DepotRec* d = Dep_Find(depot, 0, nullptr);
  if (!d) {
    if (s_count >= DEP_MAX_DEPOTS) return 3;
    if (!name || Dep_CheckName(name, 0)) return 1;
    d = static_cast<DepotRec*>(Heap_Alloc(Dep_BlockSize(1)));
    if (!d) return 4;
    *d = DepotRec{};
    d->Number = depot;
    Dep_TakeName(name, d->Name, DEP_NAME_MAX);
    // A short name that yields nothing (blank, or starting with a character
    // that ends a name) is made from the long one, as an absent one is: so a
    // saved depot reads back with the short name it was saved with.
    if (shortName) Dep_TakeName(shortName, d->Short, DEP_SHORT_MAX);
    if (!d->Short[0]) Dep_MakeShortName(d->Name, d->Short);
    d->PlaceCount = 1;
    d->Places[0] = *place;
    Dep_LinkByName(d);
    ++s_count;
    return 0;
  }
  if (d->PlaceCount >= DEP_MAX_PLACES) return 2;
  u32 at = 0;
  while (at < d->PlaceCount && d->Places[at].Number < place->Number) ++at;
  if (at < d->PlaceCount && d->Places[at].Number == place->Number) return 2;
  DepotRec* g = static_cast<DepotRec*>(Heap_Alloc(Dep_BlockSize(d->PlaceCount + 1)));
  if (!g) return 4;
  *g = *d;  // head and the first place
  for (u32 i = 0; i < at; ++i) g->Places[i] = d->Places[i];
  g->Places[at] = *place;
  for (u32 i = at; i < d->PlaceCount; ++i) g->Places[i + 1] = d->Places[i];
  g->PlaceCount = d->PlaceCount + 1;
  Dep_Unlink(d);
  Heap_Free(d);
  Dep_LinkByName(g);
  return 0;
}

// ---------------------------------------------------------------- references

int Dep_FormatName(u32 depot, i32 place, wch* longText, wch* shortText) {
  if (depot < 1 || depot > DEP_MAX_DEPOTS || place < -DEP_MAX_PLACES || place > DEP_MAX_PLACES) return 1;
  const DepotRec* d = Dep_Find(depot, place < 0 ? u32(-place) : u32(place), nullptr);
  if (!d) return 2;
  const wch* names[2] = {d->Name, d->Short};
  wch* outs[2] = {longText, shortText};
  for (int i = 0; i < 2; ++i) {
    if (!outs[i]) continue;
    if (place > 0) Fmt_Print(outs[i], 24, u"%s%c%2u", names[i], u':', u32(place));
    else if (place < 0) Fmt_Print(outs[i], 24, u"%s%c%u", names[i], u':', u32(-place));
    else Fmt_Print(outs[i], 24, u"%s", names[i]);
  }
  return 0;
}

i32 Dep_ParsePlaceRef(const wch* text, u32* place, wch flagLetter) {
  *place = 0;
  const wch* s = Dep_SkipBlanks(text);
  wch name[DEP_NAME_MAX + 1];
  i32 n = 0;
  while (s[n] && s[n] != u':' && !(flagLetter && s[n] == flagLetter)) {
    if (n >= DEP_NAME_MAX) return -1;
    name[n] = s[n];
    ++n;
  }
  name[n] = 0;
  if (n == 0 || Dep_CheckName(name, 0)) return -1;
  s += n;
  u32 number = 0;
  if (*s == u':') {
    ++s;
    while (*s == u' ') ++s;
    if (*s < u'0' || *s > u'9') return -1;
    while (*s >= u'0' && *s <= u'9') {
      number = number * 10 + u32(*s - u'0');
      if (number > DEP_MAX_PLACES) return -1;
      ++s;
    }
    if (number < 1) return -1;
  }
  u32 flag = 0;
  if (flagLetter && *s == flagLetter) flag = 0x8000, ++s;
  if (*s) return -1;
  const i32 depot = Dep_FindByName(name, number);
  if (depot <= 0) return -1;
  *place = number | flag;
  return depot;
}

int Dep_PlaceUsesElement(u32 depot, u32 place, u32 id) {
  u32 index = 0;
  const DepotRec* d = place ? Dep_Find(depot, place, &index) : nullptr;
  return d ? Dep_PlaceNames(d->Places[index], id) : 0;
}

u32 Dep_CountElementUsers(u32 id) {
  u32 n = 0;
  for (const DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i) n += u32(Dep_PlaceNames(d->Places[i], id));
  return n;
}

// ---------------------------------------------------------------- editing

enum { DEP_SHAPE_FIRST = 136, DEP_SHAPE_LAST = 151 };

static int Dep_IsDepotCell(i32 x, i32 y, i32 level) {
  if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 0;
  const CellCode code = Grid_GetCellNorm(x, y, level);
  return Cell_HasShapeIn(code, DEP_SHAPE_FIRST, DEP_SHAPE_LAST);
}

// The two exit bits of each cell orientation (the low two bits of the code).
static const u32 kDepExitPair[4][2] = {{8, 4}, {2, 1}, {16, 32}, {64, 128}};

static DepotPlace* Dep_PlaceAtCell(i32 x, i32 y, i32 level) {
  for (DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i)
      if (d->Places[i].X == x && d->Places[i].Y == y && d->Places[i].Level == level) return &d->Places[i];
  return nullptr;
}

static u32 Dep_FirstFreeNumber(void) {
  for (u32 n = 1; n <= DEP_MAX_DEPOTS; ++n)
    if (!Dep_Find(n, 0, nullptr)) return n;
  return 0;
}

static void Dep_RedrawPlaces(const DepotRec* d) {
  for (u32 i = 0; d && i < d->PlaceCount; ++i) Grid_RedrawCell(d->Places[i].X, d->Places[i].Y, d->Places[i].Level, GRID_REDRAW_ALL);
}

int Dep_SetPlaceAt(i32 x, i32 y, i32 level, u32 place, const wch* name) {
  if (place < 1 || place > DEP_MAX_PLACES) return DEP_SET_BAD_NUMBER;
  const int rule = name ? Dep_CheckName(name, 0) : 1;
  if (rule) return DEP_SET_NAME_EMPTY + rule - 1;
  if (!Dep_IsDepotCell(x, y, level)) return DEP_SET_NOT_DEPOT_CELL;
  DepotPlace* atCell = Dep_PlaceAtCell(x, y, level);
  const i32 named = Dep_FindByName(name, place);
  if (named > 0) {
    u32 index = 0;
    DepotRec* d = Dep_Find(u32(named), place, &index);
    DepotPlace& p = d->Places[index];
    if (atCell && atCell != &p) return DEP_SET_CELL_TAKEN;
    const i32 ox = p.X, oy = p.Y, ol = p.Level;
    p.X = x;
    p.Y = y;
    p.Level = level;
    const u32* pair = kDepExitPair[Grid_GetCellNorm(x, y, level) & 3];
    if (!(p.Directions & (pair[0] | pair[1]))) p.Directions |= pair[0];
    TrnList_MovePlacePos(ox, oy, ol, x, y, level);
    Grid_RedrawCell(ox, oy, ol, GRID_REDRAW_ALL);
    Grid_RedrawCell(x, y, level, GRID_REDRAW_ALL);
    Lay_MarkModified();
    return DEP_SET_MOVED;
  }
  if (atCell) return DEP_SET_CELL_TAKEN;
  DepotPlace p = {};
  p.X = x;
  p.Y = y;
  p.Level = level;
  p.Number = place;
  const i32 existing = Dep_FindByName(name, 0);
  u32 number = existing > 0 ? u32(existing) : Dep_FirstFreeNumber();
  // Only a new depot counts against the depot limit; a place joins an
  // existing depot whatever the number of depots.
  if (number == 0) return DEP_SET_LIMIT;
  const int r = Dep_InsertPlace(number, name, nullptr, &p);
  if (r == 4) return DEP_SET_NO_MEMORY;
  if (r) return DEP_SET_LIMIT;
  Grid_RedrawCell(x, y, level, GRID_REDRAW_ALL);
  Lay_MarkModified();
  return DEP_SET_NEW;
}

int Dep_SetDirections(u32 depot, u32 place, u32 bits) {
  u32 index = 0;
  DepotRec* d = (place >= 1 && place <= DEP_MAX_PLACES) ? Dep_Find(depot, place, &index) : nullptr;
  if (!d) return 1;
  d->Places[index].Directions = bits;
  return 0;
}

// The depot whose long or short name equals name, null none.
static DepotRec* Dep_ByName(const wch* name) {
  wch n[DEP_NAME_MAX + 1];
  Dep_TakeName(name, n, DEP_NAME_MAX);
  return const_cast<DepotRec*>(Dep_ByAnyName(n));
}

int Dep_StorePlace(u32 depot, const wch* name, const wch* shortName, u32 options, u32 waitMs, const i32* listB,
                   u32 countB, const i32* listA, u32 countA, const u32* cond, u32 condCount, u32 directions,
                   u32 newPlace, u32 oldPlace) {
  if (depot < 1 || depot > DEP_MAX_DEPOTS) return 1;
  if (oldPlace < 1 || oldPlace > DEP_MAX_PLACES) return 7;
  if (newPlace < 1 || newPlace > DEP_MAX_PLACES) return 8;
  if (condCount > DEP_COND_MAX) return 11;
  if (countA > DEP_LIST_MAX) return 12;
  if (countB > DEP_LIST_MAX) return 13;
  u32 index = 0;
  DepotRec* d = Dep_Find(depot, oldPlace, &index);
  if (!d) return 2;
  const int rule = name ? Dep_CheckName(name, 0) : 1;
  if (rule) return 3 + rule;
  wch longName[DEP_NAME_MAX + 1], shortNew[DEP_SHORT_MAX + 1];
  Dep_TakeName(name, longName, DEP_NAME_MAX);
  if (shortName && *Dep_SkipBlanks(shortName)) {
    const int srule = Dep_CheckName(shortName, 1);
    if (srule) return 3 + srule;
    Dep_TakeName(shortName, shortNew, DEP_SHORT_MAX);
    const DepotRec* owner = Dep_ByName(shortNew);
    if (owner && owner != d) return 10;
  } else {
    Dep_CopyN(shortNew, d->Short, DEP_SHORT_MAX + 1);
  }
  const int renamed = !Dep_NameEquals(longName, d->Name) || !Dep_NameEquals(shortNew, d->Short) || !d->Short[0];
  if (renamed) {
    const DepotRec* owner = Dep_ByName(longName);
    if (owner && owner != d) return 3;
  }
  if (newPlace != oldPlace && Dep_Find(depot, newPlace, nullptr)) return 9;

  if (renamed) {
    Dep_Unlink(d);
    Dep_CopyN(d->Name, longName, DEP_NAME_MAX + 1);
    if (shortNew[0]) Dep_CopyN(d->Short, shortNew, DEP_SHORT_MAX + 1);
    else Dep_MakeShortName(d->Name, d->Short);
    Dep_LinkByName(d);
  }
  DepotPlace& p = d->Places[index];
  p.CondCount = condCount;
  for (u32 k = 0; k < condCount; ++k) p.Cond[k] = cond[k];
  p.ListACount = countA;
  for (u32 k = 0; k < countA; ++k) p.ListA[k] = listA[k];
  p.ListBCount = countB;
  for (u32 k = 0; k < countB; ++k) p.ListB[k] = listB[k];
  p.WaitMs = waitMs;
  p.Directions = directions;
  p.Options = options;
  if (newPlace != oldPlace) {
    DepotPlace moved = p;
    moved.Number = newPlace;
    for (u32 i = index; i + 1 < d->PlaceCount; ++i) d->Places[i] = d->Places[i + 1];
    u32 at = 0;
    while (at < d->PlaceCount - 1 && d->Places[at].Number < newPlace) ++at;
    for (u32 i = d->PlaceCount - 1; i > at; --i) d->Places[i] = d->Places[i - 1];
    d->Places[at] = moved;
    Pts_OnDepotPlaceStored(depot, oldPlace, newPlace);
    Rp_OnDepotPlaceStored(depot, oldPlace, newPlace);
    Tp_OnDepotPlaceStored(depot, oldPlace, newPlace);
    Dwx_OnDepotPlaceStored(depot, oldPlace, newPlace);
    Sig_OnDepotPlaceStored(depot, oldPlace, newPlace);
    TrnList_RenumberDepotPlace(depot, oldPlace, newPlace);
  }
  Lay_MarkModified();
  Dep_RedrawPlaces(d);
  return 0;
}

int Dep_DeletePlace(u32 depot, u32 place) {
  u32 index = 0;
  DepotRec* d = (place >= 1 && place <= DEP_MAX_PLACES) ? Dep_Find(depot, place, &index) : nullptr;
  if (!d) return 1;
  const DepotPlace& p = d->Places[index];
  u32 a = 0, b = 0, atCell = 0, current = 0;
  const u32 home = TrnList_CountUses(depot, place, p.X, p.Y, p.Level, 0x7F, &a, &b, &atCell, &current);
  if (atCell) return 2;
  if (home) return 3;
  if (a || b) return 4;
  if (current) return 5;
  const i32 x = p.X, y = p.Y, level = p.Level;
  if (d->PlaceCount > 1) {
    for (u32 i = index; i + 1 < d->PlaceCount; ++i) d->Places[i] = d->Places[i + 1];
    --d->PlaceCount;
  } else {
    Dep_Unlink(d);
    Heap_Free(d);
    --s_count;
  }
  Pts_OnDepotPlaceDeleted(depot, place);
  Rp_OnDepotPlaceDeleted(depot, place);
  Tp_OnDepotPlaceDeleted(depot, place);
  Dwx_OnDepotPlaceDeleted(depot, place);
  Sig_OnDepotPlaceDeleted(depot, place);
  Grid_RedrawCell(x, y, level, GRID_REDRAW_ALL);
  Lay_MarkModified();
  return 0;
}

// The place at an index of the list order, with its depot; false past the end.
static int Dep_PlaceAtIndex(u32 k, const DepotRec** depot, u32* index) {
  for (const DepotRec* d = s_first; d; d = d->Next) {
    if (k < d->PlaceCount) {
      *depot = d;
      *index = k;
      return 1;
    }
    k -= d->PlaceCount;
  }
  return 0;
}

int Dep_NormalizePlaceRef(const wch* text, wch* out, i32 step) {
  u32 total = 0;
  Dep_Count(&total);
  if (total == 0) {
    Dep_CopyN(out, text, 24);
    return 1;
  }
  wch name[DEP_NAME_MAX + 1];
  const wch* s = Dep_SkipBlanks(text);
  i32 n = 0;
  while (n < DEP_NAME_MAX && s[n] && s[n] != u':' && s[n] != u' ' && s[n] != u',') name[n] = s[n], ++n;
  name[n] = 0;
  s += n;
  while (*s == u' ') ++s;
  u32 number = 0;
  if (*s == u':') {
    ++s;
    while (*s == u' ') ++s;
    while (*s >= u'0' && *s <= u'9' && number <= DEP_MAX_PLACES) number = number * 10 + u32(*s++ - u'0');
  }
  // Its position in list order, when the reference names a place.
  u32 k = 0, pos = 0;
  int found = 0;
  const DepotRec* named = n ? Dep_ByAnyName(name) : nullptr;
  for (const DepotRec* d = s_first; d && !found; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i, ++k)
      if (d == named && (number == 0 ? i == 0 : d->Places[i].Number == number)) {
        pos = k;
        found = 1;
        break;
      }
  if (found) {
    const i64 by = step > 0 ? step : i64(total) + step;
    pos = u32(((i64(pos) + by) % i64(total) + i64(total)) % i64(total));
  }
  const DepotRec* d = nullptr;
  u32 index = 0;
  Dep_PlaceAtIndex(found ? pos : 0, &d, &index);
  Fmt_Print(out, 24, u"%s%c%u", d->Name, u':', d->Places[index].Number);
  return 0;
}

// ---------------------------------------------------------------- region hooks

static int Dep_InBox(const DepotPlace& p, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  return Dep_Within(p.X, x1, x2) && Dep_Within(p.Y, y1, y2) && Dep_Within(p.Level, level1, level2);
}

void Dep_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  for (DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i) {
      DepotPlace& p = d->Places[i];
      if (!Dep_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
      p.X += dx;
      p.Y += dy;
      p.Level += dlevel;
    }
}

void Dep_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                        i32 numX) {
  for (DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i) {
      DepotPlace& p = d->Places[i];
      if (!Dep_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
      i32 nx = p.X, ny = p.Y;
      Trn_ScaleRegionPos(x1, y1, p.X, &ny, &nx, denY, numY, denX, numX, p.Level, p.Y);
      p.X = nx;
      p.Y = ny;
    }
}

int Dep_TestInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (const DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i)
      if (Dep_InBox(d->Places[i], x1, y1, level1, x2, y2, level2)) return 1;
  return 0;
}

// ---------------------------------------------------------------- clipboard

enum { DEP_CLIP_LINE = 120, DEP_CLIP_COND = 1260, DEP_CLIP_LIST = 840, DEP_TEXT_PROGRESS = 7120 };

int Dep_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(DEP_TEXT_PROGRESS));
  int r = Clip_AppendLine(u"DEP_A");
  if (r) return r;
  wch line[DEP_CLIP_COND + 1];
  for (const DepotRec* d = s_first; d; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount; ++i) {
      const DepotPlace& p = d->Places[i];
      if (!Dep_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
      Fmt_Print(line, DEP_CLIP_LINE + 1, u"%x,%x,%i,%u,%x,%u,%x,%u,%u,%u,%u,\"%s\",\"%s\"", u32(p.X), u32(p.Y),
                p.Level, p.Number, p.Directions, p.WaitMs, p.Options, p.CondCount, p.ListACount, p.ListBCount,
                d->Number, d->Name, d->Short);
      if ((r = Clip_AppendLine(line))) return r;
      if (p.CondCount) {
        Sig_FormatCondition(line, DEP_CLIP_COND + 1, p.Cond, i32(p.CondCount));
        if ((r = Clip_AppendLine(line))) return r;
      }
      if (p.ListACount) {
        Sig_FormatList(line, DEP_CLIP_LIST + 1, p.ListA, i32(p.ListACount));
        if ((r = Clip_AppendLine(line))) return r;
      }
      if (p.ListBCount) {
        Sig_FormatList(line, DEP_CLIP_LIST + 1, p.ListB, i32(p.ListBCount));
        if ((r = Clip_AppendLine(line))) return r;
      }
    }
  return Clip_AppendLine(u"DEP_E");
}

// Line n into buf (size units); 0 read, else the line is missing or cut.
static int Dep_ClipRead(i32 n, i32 size, wch* buf) {
  buf[0] = 0;
  return Clip_ReadLine(n, size, buf);
}

int Dep_PasteFromClip(i32* line, i32 dx, i32 dy, i32 dlevel) {
  Msg_InfoUpdate(Lng_GetText(DEP_TEXT_PROGRESS));
  i32 at = *line + 1;
  int result = 0;
  wch buf[DEP_CLIP_COND + 2];
  for (;;) {
    if (Dep_ClipRead(at++, DEP_CLIP_LINE + 1, buf)) return 2;
    u32 f[11];
    const i32 pos = Clip_ScanFields(buf, "xxiuxuxuuuu", f);
    wch name[DEP_NAME_MAX + 1], shortName[DEP_SHORT_MAX + 1];
    i32 q1 = -1, q2 = -1;
    if (pos >= 0) q1 = Clip_ScanQuoted(buf + pos, name, DEP_NAME_MAX + 1);
    if (q1 >= 0) q2 = Clip_ScanQuoted(buf + pos + q1, shortName, DEP_SHORT_MAX + 1);
    if (q2 < 0 || buf[pos + q1 + q2] != 0) {
      if (Str_CompareOs(buf, u"DEP_E", 0) != 0) return 4;
      break;
    }
    DepotPlace p = {};
    p.X = i32(f[0]) + dx;
    p.Y = i32(f[1]) + dy;
    p.Level = i32(f[2]) + dlevel;
    p.Number = f[3];
    p.Directions = f[4];
    p.WaitMs = f[5];
    p.Options = f[6];
    const u32 condCount = f[7], countA = f[8], countB = f[9];
    if (condCount > DEP_COND_MAX || countA > DEP_LIST_MAX || countB > DEP_LIST_MAX) return 4;
    // The condition travels by names, so the pasted place binds to the
    // installations of this layout that carry them.
    if (condCount) {
      if (Dep_ClipRead(at++, DEP_CLIP_COND + 1, buf)) return 2;
      u32 tokens[SIG_TOKENS_MAX];
      const i32 n = Sig_ParseCondition(buf, tokens);
      if (n > 0 && n <= DEP_COND_MAX) {
        p.CondCount = u32(n);
        for (i32 k = 0; k < n; ++k) p.Cond[k] = tokens[k];
      }
    }
    for (int list = 0; list < 2; ++list) {
      if (!(list ? countB : countA)) continue;
      if (Dep_ClipRead(at++, DEP_CLIP_LIST + 1, buf)) return 2;
      i32 ids[SIG_LIST_MAX];
      const i32 n = Sig_ParseList(buf, ids);
      if (n <= 0 || n > DEP_LIST_MAX) continue;
      for (i32 k = 0; k < n; ++k) (list ? p.ListB : p.ListA)[k] = ids[k];
      (list ? p.ListBCount : p.ListACount) = u32(n);
    }
    const DepotRec* byLong = Dep_ByName(name);
    const DepotRec* byShort = shortName[0] ? Dep_ByName(shortName) : nullptr;
    if ((byLong && Dep_Find(byLong->Number, p.Number, nullptr)) ||
        (byShort && Dep_Find(byShort->Number, p.Number, nullptr))) {
      result |= 2;
      continue;
    }
    const DepotRec* into = byLong ? byLong : byShort;
    const u32 number = into ? into->Number : Dep_FirstFreeNumber();
    if (number == 0 || Dep_InsertPlace(number, name, shortName, &p) != 0) result |= 1;
  }
  *line = at;
  return result;
}

// ---------------------------------------------------------------- report

enum { DEP_TEXT_REPORT = 7100, DEP_TEXT_HEAD1 = 7111, DEP_TEXT_HEAD2 = 7112 };

int Dep_WriteReport(wch separator, int detail) {
  wch line[400];
  u32 places = 0;
  const u32 depots = Dep_Count(&places);
  Fmt_Print(line, 400, u"\r\n%s\r\n %s %u %s %u\r\n", Lng_GetText(DEP_TEXT_REPORT), Lng_GetText(DEP_TEXT_REPORT + 1),
            depots, Lng_GetText(DEP_TEXT_REPORT + 2), places);
  int r = Fio_WriteString(line);
  if (!r) r = Fio_WriteString(Lng_GetText(DEP_TEXT_HEAD1));
  if (!r) r = Fio_WriteCrLf();
  if (!r) r = Fio_WriteString(Lng_GetText(DEP_TEXT_HEAD2));
  if (!r) r = Fio_WriteCrLf();
  for (const DepotRec* d = s_first; d && !r; d = d->Next)
    for (u32 i = 0; i < d->PlaceCount && !r; ++i) {
      const DepotPlace& p = d->Places[i];
      if (detail && (r = Lay_WriteCellInfo(p.X, p.Y, p.Level))) break;
      wch name[24], wait[8];
      Dep_FormatName(d->Number, i32(p.Number), name, nullptr);
      if (p.WaitMs) Fmt_Print(wait, 8, u"%3u", p.WaitMs / 1000);
      else Fmt_Print(wait, 8, u"---");
      u32 a = 0, b = 0, atCell = 0;
      const u32 home = TrnList_CountUses(d->Number, p.Number, p.X, p.Y, p.Level, 0x7F, &a, &b, &atCell, nullptr);
      const int refs = p.CondCount || p.ListACount || p.ListBCount;
      Fmt_Print(line, 400, u"%19s%c%4s%c%5i%c%5i%c%+i%c%3s%c%20s%c %5i%c  %5i%c  %5i%c  %5i", name, separator,
                d->Short, separator, p.X, separator, p.Y, separator, p.Level, separator, wait, separator,
                refs ? u"-xx-" : u"----", separator, home, separator, atCell, separator, b, separator, a);
      r = Fio_WriteString(line);
      if (!r) r = Fio_WriteCrLf();
    }
  return r;
}

// ---------------------------------------------------------------- section

int Dep_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(DEP_TAG)) || (r = Fio_WriteU32(s_count))) return r;
  for (const DepotRec* d = s_first; d; d = d->Next) {
    if ((r = Fio_WriteU32(d->Number)) || (r = Fio_WriteZeroEnded(d->Name)) || (r = Fio_WriteZeroEnded(d->Short)) ||
        (r = Fio_WriteU32(d->PlaceCount)))
      return r;
    for (u32 i = 0; i < d->PlaceCount; ++i) {
      const DepotPlace& p = d->Places[i];
      if ((r = Grid_WritePos(p.X, p.Y, p.Level)) || (r = Fio_WriteU32(p.Number)) ||
          (r = Fio_WriteU32(p.Directions)) || (r = Fio_WriteU32(p.CondCount)))
        return r;
      for (u32 k = 0; k < p.CondCount; ++k)
        if ((r = Fio_WriteU32(p.Cond[k]))) return r;
      if ((r = Fio_WriteU32(p.ListACount))) return r;
      for (u32 k = 0; k < p.ListACount; ++k)
        if ((r = Fio_WriteU32(u32(p.ListA[k])))) return r;
      if ((r = Fio_WriteU32(p.ListBCount))) return r;
      for (u32 k = 0; k < p.ListBCount; ++k)
        if ((r = Fio_WriteU32(u32(p.ListB[k])))) return r;
      if ((r = Fio_WriteU32(p.WaitMs)) || (r = Fio_WriteU32(p.Options))) return r;
    }
  }
  return 0;
}

// A zero-ended name of at most max units (leading blanks trimmed); 3 when
// longer.
static int Dep_ReadName(wch* out, i32 max) {
  int r;
  i32 n = 0;
  for (;;) {
    u16 c;
    if ((r = Fio_ReadU16(&c))) return r;
    if (c == 0) break;
    if (n >= max) return 3;
    out[n++] = c;
  }
  out[n] = 0;
  const wch* s = Dep_SkipBlanks(out);
  if (s != out) Dep_CopyN(out, s, max + 1);
  return 0;
}

static int Dep_ReadList(u32* count, u32* words, u32 max) {
  int r;
  if ((r = Fio_ReadU32(count))) return r;
  if (*count > max) return 3;
  for (u32 k = 0; k < *count; ++k)
    if ((r = Fio_ReadU32(&words[k]))) return r;
  return 0;
}

int Dep_LoadSection(u16 version) {
  int r;
  Dep_Clear();
  if (version < LAYVER_WIDE) {
    // The oldest form (two-letter tag, 8-bit names, one entry per place)
    // carries no place numbers this reader could map: only an empty section
    // is taken, any entry refuses the section.
    u16 tag, n;
    if ((r = Fio_ReadU16(&tag))) return r;
    if (tag != DEP_TAG_OLD) return 3;
    if (version < LAYVER_MARK99) {
      u16 mark;
      if ((r = Fio_ReadU16(&mark))) return r;
      if (mark != 99) return 3;
    }
    if ((r = Fio_ReadU16(&n))) return r;
    return n == 0 ? 0 : 3;
  }
  u32 tag, count;
  if ((r = Fio_ReadU32(&tag))) return r;
  if (tag != DEP_TAG) return 3;
  if ((r = Fio_ReadU32(&count))) return r;
  if (count > DEP_MAX_DEPOTS) return 3;
  for (u32 k = 0; k < count; ++k) {
    u32 number, places, depotOptions = 0;
    wch name[DEP_NAME_MAX + 1], shortName[DEP_SHORT_MAX + 1];
    if ((r = Fio_ReadU32(&number)) || (r = Dep_ReadName(name, DEP_NAME_MAX)) ||
        (r = Dep_ReadName(shortName, DEP_SHORT_MAX)))
      return r;
    if (version < LAYVER_DEPOT_OPTIONS && (r = Fio_ReadU32(&depotOptions))) return r;
    if ((r = Fio_ReadU32(&places))) return r;
    if (number < 1 || number > DEP_MAX_DEPOTS || places < 1 || places > DEP_MAX_PLACES) return 3;
    if (Dep_CheckName(name, 0)) return 3;
    for (u32 i = 0; i < places; ++i) {
      DepotPlace p = {};
      if ((r = Grid_ReadPos(&p.X, &p.Y, &p.Level, version)) || (r = Fio_ReadU32(&p.Number)) ||
          (r = Fio_ReadU32(&p.Directions)))
        return r;
      if (p.Number < 1 || p.Number > DEP_MAX_PLACES) return 3;
      if (version >= LAYVER_LISTS) {
        if ((r = Dep_ReadList(&p.CondCount, p.Cond, DEP_COND_MAX)) ||
            (r = Dep_ReadList(&p.ListACount, reinterpret_cast<u32*>(p.ListA), DEP_LIST_MAX)) ||
            (r = Dep_ReadList(&p.ListBCount, reinterpret_cast<u32*>(p.ListB), DEP_LIST_MAX)))
          return r;
      } else {
        u32 element;
        if ((r = Fio_ReadU32(&element))) return r;
        if (element) {
          p.CondCount = p.ListACount = p.ListBCount = 1;
          p.Cond[0] = element;
          p.ListA[0] = i32(element);
          p.ListB[0] = -i32(element);
        }
      }
      if ((r = Fio_ReadU32(&p.WaitMs)) || (r = Fio_ReadU32(&p.Options))) return r;
      p.Options |= depotOptions;
      const int ins = Dep_InsertPlace(number, name, shortName, &p);
      if (ins == 4 || ins == 3) return 4;
      if (ins) return 3;
    }
  }
  return 0;
}

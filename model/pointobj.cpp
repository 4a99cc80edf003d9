#include "model/pointobj.h"

#include "model/grid.h"
#include "operation/trnquery.h"
#include "platform/heap.h"
#include "platform/str.h"

#include <cstring>

void Pobj_Reset(PointStore* s) { *s = PointStore{}; }

void Pobj_FreeAll(PointStore* s) {
  PointHead* p = s->First;
  while (p) {
    PointHead* next = p->Next;
    Heap_Free(p);
    p = next;
  }
  Pobj_Reset(s);
}

PointHead* Pobj_Find(const PointStore* s, i32 x, i32 y, i32 level) {
  for (PointHead* p = s->Buckets[x & (POINT_BUCKETS - 1)]; p; p = p->BucketNext)
    if (p->X == x && p->Y == y && p->Level == level) return p;
  return nullptr;
}

void Pobj_Push(PointStore* s, PointHead* p) {
  p->Next = s->First;
  s->First = p;
  PointHead** b = &s->Buckets[p->X & (POINT_BUCKETS - 1)];
  p->BucketNext = *b;
  *b = p;
  ++s->Count;
}

void Pobj_InsertAfter(PointStore* s, PointHead* after, PointHead* p) {
  PointHead** l = after ? &after->Next : &s->First;
  p->Next = *l;
  *l = p;
  PointHead** b = &s->Buckets[p->X & (POINT_BUCKETS - 1)];
  p->BucketNext = *b;
  *b = p;
  ++s->Count;
}

void Pobj_Replace(PointStore* s, PointHead* old, PointHead* fresh) {
  for (PointHead** l = &s->First; *l; l = &(*l)->Next)
    if (*l == old) {
      *l = fresh;
      break;
    }
  for (PointHead** b = &s->Buckets[old->X & (POINT_BUCKETS - 1)]; *b; b = &(*b)->BucketNext)
    if (*b == old) {
      *b = fresh;
      break;
    }
  fresh->Next = old->Next;
  fresh->BucketNext = old->BucketNext;
  old->Next = old->BucketNext = nullptr;
}

static void Pobj_UnlinkBucket(PointStore* s, PointHead* p) {
  for (PointHead** b = &s->Buckets[p->X & (POINT_BUCKETS - 1)]; *b; b = &(*b)->BucketNext)
    if (*b == p) {
      *b = p->BucketNext;
      break;
    }
  p->BucketNext = nullptr;
}

void Pobj_Unlink(PointStore* s, PointHead* p) {
  Pobj_UnlinkBucket(s, p);
  for (PointHead** l = &s->First; *l; l = &(*l)->Next)
    if (*l == p) {
      *l = p->Next;
      --s->Count;
      break;
    }
  p->Next = nullptr;
}

static int Pobj_Between(i32 v, i32 a, i32 b) { return a <= b ? (v >= a && v <= b) : (v >= b && v <= a); }

int Pobj_InBox(const PointHead* p, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  return Pobj_Between(p->X, x1, x2) && Pobj_Between(p->Y, y1, y2) && Pobj_Between(p->Level, level1, level2);
}

void Pobj_MoveInBox(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy,
                    i32 dlevel) {
  if (dx == 0 && dy == 0 && dlevel == 0) return;
  // The walk follows the list, which re-bucketing leaves alone, so each
  // record moves once.
  for (PointHead* p = s->First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    Pobj_UnlinkBucket(s, p);
    p->X += dx;
    p->Y += dy;
    p->Level += dlevel;
    PointHead** b = &s->Buckets[p->X & (POINT_BUCKETS - 1)];
    p->BucketNext = *b;
    *b = p;
  }
}

int Pobj_After(const PointHead* a, const PointHead* b) {
  if (a->Y != b->Y) return a->Y > b->Y;
  if (a->X != b->X) return a->X > b->X;
  return a->Level < b->Level;
}

void Pobj_InsertSorted(PointStore* s, PointHead* p) {
  PointHead** l = &s->First;
  while (*l && !Pobj_After(*l, p)) l = &(*l)->Next;
  p->Next = *l;
  *l = p;
  PointHead** b = &s->Buckets[p->X & (POINT_BUCKETS - 1)];
  while (*b && !Pobj_After(*b, p)) b = &(*b)->BucketNext;
  p->BucketNext = *b;
  *b = p;
  ++s->Count;
}

// Takes the records in the box out (their order kept), gives each its new
// place through map, and puts them back sorted.
static void Pobj_RelinkSorted(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2,
                              void (*map)(PointHead* p, const i32* args), const i32* args) {
  PointHead* moved = nullptr;
  PointHead** tail = &moved;
  for (PointHead** l = &s->First; *l;) {
    PointHead* p = *l;
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) {
      l = &p->Next;
      continue;
    }
    Pobj_UnlinkBucket(s, p);
    *l = p->Next;
    --s->Count;
    p->Next = nullptr;
    *tail = p;
    tail = &p->Next;
  }
  while (moved) {
    PointHead* p = moved;
    moved = p->Next;
    map(p, args);
    Pobj_InsertSorted(s, p);
  }
}

static void Pobj_MapOffset(PointHead* p, const i32* a) {
  p->X += a[0];
  p->Y += a[1];
  p->Level += a[2];
}

static void Pobj_MapScale(PointHead* p, const i32* a) {
  i32 nx = p->X, ny = p->Y;
  Trn_ScaleRegionPos(a[0], a[1], p->X, &ny, &nx, a[2], a[3], a[4], a[5], p->Level, p->Y);
  p->X = nx;
  p->Y = ny;
}

void Pobj_MoveInBoxSorted(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy,
                          i32 dlevel) {
  if (dx == 0 && dy == 0 && dlevel == 0) return;
  const i32 args[3] = {dx, dy, dlevel};
  Pobj_RelinkSorted(s, x1, y1, level1, x2, y2, level2, Pobj_MapOffset, args);
}

void Pobj_TransformInBoxSorted(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX,
                               i32 denX, i32 numY, i32 denY) {
  if (numX < 1 || denX < 1 || numY < 1 || denY < 1) return;
  const i32 args[6] = {x1, y1, denY, numY, denX, numX};
  Pobj_RelinkSorted(s, x1, y1, level1, x2, y2, level2, Pobj_MapScale, args);
}

void Pobj_DeleteInBox(PointStore* s, int (*remove)(i32 x, i32 y, i32 level), i32 x1, i32 y1, i32 level1, i32 x2,
                      i32 y2, i32 level2) {
  for (PointHead* p = s->First; p;) {
    PointHead* next = p->Next;
    if (Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) remove(p->X, p->Y, p->Level);
    p = next;
  }
}

int Pobj_FindNextNaming(const PointStore* s, const PointHead** cursor, int (*names)(const PointHead* p, u32 id),
                        u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y, i32* level) {
  if (!id) return 0;
  const PointHead* p = s->First;
  if (*x == -1 && *cursor) {
    const PointHead* q = s->First;
    while (q && q != *cursor) q = q->Next;
    p = q ? q->Next : nullptr;
  }
  for (; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2) || !names(p, id)) continue;
    *cursor = p;
    *x = p->X;
    if (y) *y = p->Y;
    if (level) *level = p->Level;
    return 1;
  }
  *cursor = nullptr;
  return 0;
}

i32 Pobj_CountNaming(const PointStore* s, int (*names)(const PointHead* p, u32 id), u32 id, i32 x1, i32 y1,
                     i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  if (!id) return 0;
  i32 n = 0;
  for (const PointHead* p = s->First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2) || !names(p, id)) continue;
    ++n;
    if (firstOnly) break;
  }
  return n;
}

void Pobj_TransformInBox(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX,
                         i32 numY, i32 denY) {
  if (numX < 1 || denX < 1 || numY < 1 || denY < 1) return;
  for (PointHead* p = s->First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    i32 nx = p->X, ny = p->Y;
    Trn_ScaleRegionPos(x1, y1, p->X, &ny, &nx, denY, numY, denX, numX, p->Level, p->Y);
    Pobj_UnlinkBucket(s, p);
    p->X = nx;
    p->Y = ny;
    PointHead** b = &s->Buckets[p->X & (POINT_BUCKETS - 1)];
    p->BucketNext = *b;
    *b = p;
  }
}

// ---------------------------------------------------------------- clipboard blocks

static PointClipLines s_clip;

void Pobj_SetClipLines(const PointClipLines* lines) { s_clip = lines ? *lines : PointClipLines{}; }

int Pobj_ClipAppend(const wch* line) { return s_clip.appendLine ? s_clip.appendLine(line) : 2; }

int Pobj_ClipRead(i32 n, i32 size, wch* buf) {
  buf[0] = 0;
  if (!s_clip.readLine) return 2;
  const int r = s_clip.readLine(n, size, buf);
  return r == 0 ? 0 : r == 1 ? 1 : 2;
}

// ---------------------------------------------------------------- kinds in a box

static int (*s_codeClass)(u32 code);

void Pobj_SetCodeClass(int (*codeClass)(u32 code)) { s_codeClass = codeClass; }

i32 Pobj_ReplaceKindsInBox(PointStore* s, const PointKindAccess* access, i32 x1, i32 y1, i32 level1, int mode,
                           u32 dirFilter, u32 elementCode, u32 classMask, u32 newKind, u32 oldKind, i32 level2,
                           i32 y2, i32 x2) {
  u32 group = 0, group2 = 0;
  if (!classMask) {
    if (elementCode > 16383) return -1;
    group = Cell_WithoutShape(elementCode);
    const int plain = (group >= 4096 && group <= 7167) || (group >= 12288 && group <= 16383);
    group2 = plain ? group : group ^ CELL_VARIANT_BIT;
  }
  i32 changed = 0;
  for (PointHead* p = s->First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    u32* kind = access->kind(p);
    const int taken = mode == 0 ? (*kind == (oldKind & ~1u) || *kind == (oldKind | 1u)) : *kind == oldKind;
    if (!taken) continue;
    const u32 code = Cell_WithoutMark(Grid_GetCell(p->X, p->Y, p->Level));
    u32 low, high;
    if (!access->isCode(code, &low, &high)) continue;
    if (!((dirFilter >> (code & 7)) & 1)) continue;
    if (classMask) {
      const int cls = s_codeClass ? s_codeClass(code) : 0;
      if (!((classMask >> cls) & 1)) continue;
    } else {
      const u32 g = Cell_WithoutShape(code);
      if (g != group && g != group2) continue;
    }
    const u32 fresh = mode == 0 ? ((*kind & 1) ? (newKind | 1u) : (newKind & ~1u)) : newKind;
    if (*kind < low || *kind > high || fresh < low || fresh > high || fresh == *kind) continue;
    *kind = fresh;
    ++changed;
  }
  return changed;
}

int Pobj_GetExtent(const PointStore* s, i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX) {
  i32 a = 32768, b = 32768, c = 1, d = -5, e = -1, f = -1;
  for (const PointHead* p = s->First; p; p = p->Next) {
    if (p->X < a) a = p->X;
    if (p->Y < b) b = p->Y;
    if (p->Level < c) c = p->Level;
    if (p->Level > d) d = p->Level;
    if (p->Y > e) e = p->Y;
    if (p->X > f) f = p->X;
  }
  if (minX) *minX = a;
  if (minY) *minY = b;
  if (minLevel) *minLevel = c;
  if (maxLevel) *maxLevel = d;
  if (maxY) *maxY = e;
  if (maxX) *maxX = f;
  return s->First ? 0 : 1;
}

int Pobj_TestInBox(const PointStore* s, const i32 src[6], const i32 dst[6]) {
  int found = 0;
  for (const PointHead* p = s->First; p; p = p->Next) {
    if (!Pobj_InBox(p, src[0], src[1], src[2], src[3], src[4], src[5])) continue;
    found = 1;
    if (!Pobj_InBox(p, dst[0], dst[1], dst[2], dst[3], dst[4], dst[5])) return 2;
  }
  return found;
}

int Pobj_ParseFields(const wch* s, const char* format, u32* out, i32* end) {
  const size_t count = std::strlen(format);
  i64 v[24];
  const wch* rest;
  if (count > sizeof v / sizeof v[0] || !Str_ScanFields(s, int(count), format, v, &rest)) return 1;
  if (*rest != 0 && *rest != u',') return 1;
  for (size_t k = 0; k < count; ++k) out[k] = u32(v[k]);
  if (end) *end = i32(rest - s);
  return 0;
}

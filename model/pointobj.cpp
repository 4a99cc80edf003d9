#include "model/pointobj.h"

#include "operation/trnquery.h"
#include "platform/heap.h"

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

void Pobj_TransformInBox(PointStore* s, int sorted, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2,
                         i32 denY, i32 numY, i32 denX, i32 numX) {
  if (denX == 0 || denY == 0) return;
  const i32 args[6] = {x1, y1, denY, numY, denX, numX};
  if (sorted) {
    Pobj_RelinkSorted(s, x1, y1, level1, x2, y2, level2, Pobj_MapScale, args);
    return;
  }
  for (PointHead* p = s->First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    Pobj_UnlinkBucket(s, p);
    Pobj_MapScale(p, args);
    PointHead** b = &s->Buckets[p->X & (POINT_BUCKETS - 1)];
    p->BucketNext = *b;
    *b = p;
  }
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

static int Pobj_Digit(wch c, int hex) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (hex && c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (hex && c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

int Pobj_ParseFields(const wch* s, const char* format, u32* out, i32* end) {
  const int count = int(std::strlen(format));
  i32 pos = 0;
  for (int k = 0; k < count; ++k) {
    const int hex = format[k] == 'x';
    int negative = 0;
    if (format[k] == 'i' && (s[pos] == u'-' || s[pos] == u'+')) negative = s[pos] == u'-', ++pos;
    u64 v = 0;
    int digits = 0;
    for (int d; (d = Pobj_Digit(s[pos], hex)) >= 0; ++pos, ++digits) {
      v = v * (hex ? 16 : 10) + u32(d);
      if (v > 0xFFFFFFFFull) return 1;
    }
    if (!digits) return 1;
    out[k] = negative ? u32(-i64(v)) : u32(v);
    if (k + 1 < count) {
      if (s[pos] != u',') return 1;
      ++pos;
    }
  }
  if (s[pos] != 0 && s[pos] != u',') return 1;
  if (end) *end = pos;
  return 0;
}

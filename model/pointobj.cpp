#include "model/pointobj.h"

#include "operation/trnquery.h"
#include "platform/heap.h"

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

void Pobj_TransformInBox(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY,
                         i32 denX, i32 numX) {
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

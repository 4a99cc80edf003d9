// The shared store of the modules whose objects sit at one grid cell: a
// singly linked list of heap records (newest first) and 16 buckets by x & 15,
// each record starting with a PointHead. The modules own their records and
// what hangs on them; this store only links, finds and re-buckets.
#pragma once
#include "platform/types.h"

enum { POINT_BUCKETS = 16 };

struct PointHead {
  PointHead* Next;
  PointHead* BucketNext;
  i32 X, Y, Level;
};

struct PointStore {
  PointHead* First;
  u32 Count;
  PointHead* Buckets[POINT_BUCKETS];
};

// Empties the links (the records are the module's to free first).
void Pobj_Reset(PointStore* s);
// Frees every record (each one heap block) and empties the store.
void Pobj_FreeAll(PointStore* s);
PointHead* Pobj_Find(const PointStore* s, i32 x, i32 y, i32 level);
// Pushes the record at the head of the list and of its bucket; count + 1.
void Pobj_Push(PointStore* s, PointHead* p);
// Unlinks the record from list and bucket; count - 1.
void Pobj_Unlink(PointStore* s, PointHead* p);
// 1 when the record lies in the box (corners included, in any order).
int Pobj_InBox(const PointHead* p, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Offsets every record in the box and re-buckets it; the list order stays.
void Pobj_MoveInBox(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy,
                    i32 dlevel);
// Scales x and y of every record in the box from its first corner (x1, y1)
// by num / den per axis (Trn_ScaleRegionPos: a cell under a train keeps its
// place in the train) and re-buckets it; the list order stays.
void Pobj_TransformInBox(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY,
                         i32 denX, i32 numX);

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

// Sorted stores (info points, log points): list and buckets ordered by y,
// then x, then level descending; a record equal in all three goes after the
// ones there. Inserts the record at its place; count + 1.
void Pobj_InsertSorted(PointStore* s, PointHead* p);
// 1 when a sorts after b in that order.
int Pobj_After(const PointHead* a, const PointHead* b);
// Offsets (move) or scales (transform) every record in the box; a sorted
// store takes each moved record out and puts it back at its new place, so
// list and buckets stay sorted.
void Pobj_MoveInBoxSorted(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy,
                          i32 dlevel);
// The region scaling (Trn_ScaleRegionPos) with the box's first corner as
// origin; the level stays. sorted: as above.
void Pobj_TransformInBox(PointStore* s, int sorted, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2,
                         i32 denY, i32 numY, i32 denX, i32 numX);
// The bounding box of the records; 1 when the store is empty.
int Pobj_GetExtent(const PointStore* s, i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX);
// 0 none in the source box, 1 some and all would lie in the target box, 2
// one would not.
int Pobj_TestInBox(const PointStore* s, const i32 source[6], const i32 target[6]);

// Comma-separated numbers of a clipboard line by a format of 'x'
// (hexadecimal), 'u' and 'i' (decimal, 'i' signed): exactly that many from
// the start; *end (may be null) gets the position after the last one, where
// the line ends or a comma follows. 0 ok, 1 not so.
int Pobj_ParseFields(const wch* line, const char* format, u32* out, i32* end);

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
// Links the record into the list right after `after` (null: at the head)
// and at the head of its bucket; count + 1. Readers that keep the file's
// order append this way.
void Pobj_InsertAfter(PointStore* s, PointHead* after, PointHead* p);
// Puts fresh in old's place in the list and in its bucket (same position);
// old is linked nowhere after it.
void Pobj_Replace(PointStore* s, PointHead* old, PointHead* fresh);
// Unlinks the record from list and bucket; count - 1.
void Pobj_Unlink(PointStore* s, PointHead* p);
// 1 when the record lies in the box (corners included, in any order).
int Pobj_InBox(const PointHead* p, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Offsets every record in the box and re-buckets it; the list order stays.
void Pobj_MoveInBox(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy,
                    i32 dlevel);

// ---------------------------------------------------------------- clipboard blocks
// The clipboard text lines the point blocks travel through (append a line,
// read line n), installed by start-up (shell/wire); without them a copy
// gives 2 and a read finds no line.
struct PointClipLines {
  int (*appendLine)(const wch* line);             // 0 ok, else the clipboard's error
  int (*readLine)(i32 n, i32 size, wch* buffer);  // 0 ok, 1 cut, 2 and 3 no line
};
void Pobj_SetClipLines(const PointClipLines* lines);
int Pobj_ClipAppend(const wch* line);
// Line n into buf (size units). 0 read; 1 the line was longer than the
// buffer (a cut line is never taken for the whole one); 2 no such line.
int Pobj_ClipRead(i32 n, i32 size, wch* buf);
// Deletes every record inside the box through the module's delete.
void Pobj_DeleteInBox(PointStore* s, int (*remove)(i32 x, i32 y, i32 level), i32 x1, i32 y1, i32 level1, i32 x2,
                      i32 y2, i32 level2);
// The line search of the modules: the next record inside the box whose
// rules name the line (names(record, id) non-zero), after *cursor when *x is
// -1 (a cursor no longer in the list ends the walk), else from the head.
// 1 with its position (y and level may be null) and *cursor on it; 0 when
// the id is 0 or none is left (*cursor cleared).
int Pobj_FindNextNaming(const PointStore* s, const PointHead** cursor, int (*names)(const PointHead* p, u32 id),
                        u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y, i32* level);
// The records inside the box whose rules name the line, as the line table
// counts them: with firstOnly 1 at the first.
i32 Pobj_CountNaming(const PointStore* s, int (*names)(const PointHead* p, u32 id), u32 id, i32 x1, i32 y1,
                     i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly);
// Every record inside the box takes the position the region scaling gives
// (Trn_ScaleRegionPos, ratios num / den of at least 1 from the box's first
// corner); the level stays; the record is re-bucketed.
void Pobj_TransformInBox(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX,
                         i32 numY, i32 denY);

// ---------------------------------------------------------------- kinds in a box
// The kind replacement of the modules whose points carry element kinds by
// parity pairs (LFST and shunting points): their kind field and element
// test.
struct PointKindAccess {
  u32* (*kind)(PointHead* p);
  int (*isCode)(u32 code, u32* low, u32* high);
};
// The class of an element code (render's Gfx_CodeClass), installed by
// start-up; without it every code is of class 0.
void Pobj_SetCodeClass(int (*codeClass)(u32 code));
// Every point inside the box whose kind is the old kind (mode 0: either of
// its parity pair), whose cell holds one of the module's elements in a
// direction of dirFilter (bit = direction) and whose code matches the class
// mask (bit = class), or without a mask the element code's group, takes the
// new kind (mode 0: of the same parity as its old one) when both kinds lie
// in the element's range. The number changed; -1 without a class mask for
// an element code above 16383.
i32 Pobj_ReplaceKindsInBox(PointStore* s, const PointKindAccess* access, i32 x1, i32 y1, i32 level1, int mode,
                           u32 dirFilter, u32 elementCode, u32 classMask, u32 newKind, u32 oldKind, i32 level2,
                           i32 y2, i32 x2);
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
// Pobj_TransformInBox for a sorted store: each scaled record is put back at
// its new place, so list and buckets stay sorted.
void Pobj_TransformInBoxSorted(PointStore* s, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX,
                               i32 denX, i32 numY, i32 denY);
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

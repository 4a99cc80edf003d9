// Buffer stops: objects at buffer-stop cells (shapes 168..175, one per
// direction) with a value (the wait in seconds a train is held before it
// reverses) and a kind that the buffer-stop dialog edits.
//
// Owns the buffer stop store (the point-object pattern: list newest first,
// 16 buckets by x, at most PRELL_MAX records, one per cell), the section
// "PRLB" and the clipboard block "PRELL_A".."PRELL_E". Set and delete mark
// the layout modified; the region hooks and the paste do not.
#pragma once
#include "platform/types.h"
#include "model/pointobj.h"

enum { PRELL_MAX = 20000 };

struct BufferStop {
  PointHead Head;
  u32 Value;
  u32 Kind;
};

void Prell_Init(void);
void Prell_Clear(void);
void Prell_Free(void);
u32 Prell_Count(u32* maximum);
const BufferStop* Prell_Find(i32 x, i32 y, i32 level);
// Creates a record without deleting one at the cell and without the
// modified mark (loader, paste). 0, or 1 at the limit or without memory.
int Prell_Create(i32 x, i32 y, i32 level, u32 value, u32 kind);
// Replaces a record at the cell; 0, or 1 at the limit or without memory.
int Prell_Set(i32 x, i32 y, i32 level, u32 kind, u32 value);
// 1 when there is no record, else 0.
int Prell_Delete(i32 x, i32 y, i32 level);
// The wait in seconds, -1 when there is no record.
i32 Prell_GetValue(i32 x, i32 y, i32 level);
// The kind, 0 when there is no record.
u32 Prell_GetKind(i32 x, i32 y, i32 level);
// 0 set, 1 no record; the layout is not marked modified.
int Prell_SetKind(i32 x, i32 y, i32 level, u32 kind);
// 1 for a buffer-stop code (below 0x8000, shape 168..175); the kinds it may
// carry through the optional outs: 0..11 for class part 4096..6143, 0..7
// for 6144..8191, 0..3 otherwise.
int Prell_IsCode(u32 code, u32* minKind, u32* maxKind);
// The kind the grid alone gives a cell of level 0: 4 for a buffer stop of
// class part 4096..6143, 0 for another buffer stop, -1 for none.
i32 Prell_KindFromGrid(i32 x, i32 y);

// Box corners inclusive, in any order.
void Prell_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Prell_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                          i32 numX);
void Prell_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// 0, or the first clipboard error.
int Prell_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// *line: the header line in, the line after "PRELL_E" out. 0 all created, 1
// some refused (the cell then set empty), 2 malformed block.
int Prell_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel);
// The replace command: kinds of the buffer stops in the box whose cell
// matches the shape code's class part (classMask 0) or whose class has its
// bit in classMask, and whose direction has its bit in dirMask. exact: old
// kind to new kind; else the first and last of the old group of four to the
// first and last of the new group. Both kinds must lie in the cell's range.
// The number changed; -1 for a shape code of 16384 or more without a mask.
i32 Prell_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int exact, u32 dirMask,
                            u32 shapeOrClassMask, int byClassMask, u32 newKind, u32 oldKind);

int Prell_SaveSection(void);
// 0, the stream's 1 or 2, 3 malformed, 4 a record could not be created.
int Prell_LoadSection(u16 version);

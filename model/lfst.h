// LFST points: objects at the cells of LFST elements (shapes 176..183) that
// give a passing train a value (a speed cap in thousandths) chosen from
// three tables of ten values by its category and type, after filtering by
// direction and an optional line list.
//
// Owns the LFST point records (the point-object store of model/pointobj:
// list newest first, 16 buckets by x, at most 40000, at most one per cell),
// their line-condition lists, section "LFST" and the clipboard block
// "LFST_A".."LFST_E". Readers get copies. Set and delete mark the layout
// modified; create, the region hooks, the paste and the kind setter do not.
// A replace never loses the old point when the new one cannot be made.
// Main thread only.
#pragma once
#include "model/pointobj.h"
#include "platform/types.h"

enum { LFST_MAX = 40000, LFST_TYPES = 10 };

// Point flags.
enum : u32 {
  LFST_F_TABLE3_AT_PLACE = 0x1,  // trains with flags 0x400 and 0x8000 take table 3
  LFST_F_TABLE3_SERVICE = 0x2,   // trains with flags 0x1 and 0x8000 take table 3
  LFST_F_FLAGGED = 0x4,
  LFST_F_LINES_ONLY = 0x8,
  LFST_F_LINES_NOT = 0x10,
  LFST_F_LINES = 0x18
};

struct LfstRec {
  PointHead Head;
  u32 Flags;
  u32 Table[3][LFST_TYPES];  // tables 1, 2, 3; index = train type - 1
  u32 WordCount;
  u32* Words;  // WordCount words, or null
  u32 DirMask;
  u32 Kind;
};

void Lfst_Init(void);
void Lfst_Clear(void);
void Lfst_Free(void);
// The number of points; LFST_MAX in *maximum (may be null).
u32 Lfst_Count(u32* maximum = nullptr);
const LfstRec* Lfst_Find(i32 x, i32 y, i32 level);
// Creates a point without looking at the cell; 0, or 1 when refused (count or
// memory). tables: table 1, 2, 3 of ten values each.
int Lfst_Create(i32 x, i32 y, i32 level, u32 wordCount, const u32* words, u32 kind, u32 dirMask, u32 flags,
                const u32* table3, const u32* table2, const u32* table1);
// Replaces any point at the cell; 0 or 1 as Lfst_Create (the old point stays
// when the new one cannot be made).
int Lfst_Set(i32 x, i32 y, i32 level, u32 wordCount, const u32* words, u32 kind, u32 dirMask, u32 flags,
             const u32* table3, const u32* table2, const u32* table1);
int Lfst_Delete(i32 x, i32 y, i32 level);  // 1 without a point
// The flags, -1 without a point; words: room for RULE_WORDS_MAX. Outs may
// be null.
i64 Lfst_GetInfo(i32 x, i32 y, i32 level, u32* wordCount, u32* words, u32* dirMask);
// 0 without a point; 100/101 for a flagged point unless forced or the
// display option Lfst is on; else the kind.
u32 Lfst_GetKind(i32 x, i32 y, i32 level, int force);
int Lfst_SetKind(i32 x, i32 y, i32 level, u32 kind);  // 1 without a point
// The display option Lfst (render/disp); without it the option is off.
struct LfstHooks {
  int (*showFlagged)(void);
};
void Lfst_SetHooks(const LfstHooks* hooks);
// 1 for an LFST element code; the kind range in *low, *high (may be null).
int Lfst_IsCode(u32 code, u32* low, u32* high);
// The value for a train: -1 no point; -2 its direction is not in the mask;
// -3 its line list refuses the train; -4 a train type outside 1..10; else
// the table value (above 0 a speed cap, 0 clears it).
i32 Lfst_ValueForTrain(i32 x, i32 y, i32 level, u32 dirMask, u32 flags, i32 number, u32 line, u32 category,
                       u32 type);
// The value common to all 30 entries, -1 when they differ or are all -1.
i64 Lfst_UniformValue(const LfstRec* p);
// Points whose tables are all 0 (*uniformZero) and those of one common
// nonzero value (*uniformNonzero); the result: the flagged points.
u32 Lfst_CountByKind(u32* uniformZero, u32* uniformNonzero);
// After loading files before 14344: every old LFST element (shapes 184..191)
// on level 0 inside the extent becomes the new one with a point; the number
// made, -1 when one was refused.
i32 Lfst_ConvertOldElements(void);
// The kind replacement of a box (Pobj_ReplaceKindsInBox with this
// module's elements); the number changed, -1 for an element code above 16383
// without a class mask.
i32 Lfst_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, int mode, u32 dirFilter, u32 elementCode, u32 classMask,
                          u32 newKind, u32 oldKind, i32 level2, i32 y2, i32 x2);
void Lfst_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Lfst_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                         i32 denY);
void Lfst_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
int Lfst_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                          i32* level);
void Lfst_RemoveLineId(u32 id);
int Lfst_AddLineIdBeside(u32 newId, u32 oldId);  // 1 when a list could not grow
// "LFST_A", a line (and a rule line) per point inside the box, "LFST_E".
int Lfst_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// 0; 1 some refused (cells emptied); 2 malformed or unreadable.
int Lfst_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel);

int Lfst_SaveSection(void);
int Lfst_LoadSection(u16 version);
// The LFST part of the text listing; 0 or the first write error.
int Lfst_WriteText(int withInfo);

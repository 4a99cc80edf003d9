// Dwx points: named objects at the cells of Dwx elements (shapes 200..207)
// that change the data of a passing train (current line, type, category,
// number, stop times, timetables, speeds...) when their rule matches it.
//
// Owns the Dwx point records (the point-object store of model/pointobj, but
// with the list kept sorted by name, ignoring case and leading blanks; at
// most 10000 points, at most one per cell, names unique), their rules
// (LineCondList words inside the record's block), section "DWXP" and the
// clipboard block "DWX_A".."DWX_E". Readers get copies; no caller keeps a
// pointer into a record past the next change. A replace never loses the old
// point when the new one cannot be made. Set, rule changes and delete mark
// the layout modified; create and the region hooks do not. Main thread only.
#pragma once
#include "model/pointobj.h"
#include "platform/types.h"

enum { DWX_MAX = 10000, DWX_NAME_MAX = 16, DWX_NAME_SIZE = 17 };

// Results of create and set.
enum { DWX_OK = 0, DWX_NAME_EMPTY = 2, DWX_NAME_BAD = 3, DWX_FULL = 10, DWX_NO_MEMORY = 11, DWX_NAME_TAKEN = 12 };

struct DwxRec {
  PointHead Head;
  u32 Mask;   // direction bits the point acts for
  u32 Value;  // display style of the element
  u32 WordCount;
  wch Name[DWX_NAME_SIZE];
  // WordCount rule words follow the record in its block.
};
inline const u32* Dwx_Words(const DwxRec* d) { return reinterpret_cast<const u32*>(d + 1); }

void Dwx_Init(void);
void Dwx_Exit(void);
void Dwx_Clear(void);
u32 Dwx_Count(void);
// The first point in name order (the list), or null.
const DwxRec* Dwx_First(void);
const DwxRec* Dwx_FindAt(i32 x, i32 y, i32 level);
// The name is read as a token of at most 16 characters; case is ignored.
const DwxRec* Dwx_FindByName(const wch* name);
// A point without rule; a point already at the cell is replaced only once
// the new one exists. The name is cut to 16 characters, leading blanks
// removed. 0; 10 full; 11 no memory.
int Dwx_Create(i32 x, i32 y, i32 level, u32 value, u32 mask, const wch* name);
// The set of the dialogs and the paste: 0; 2 empty name; 3 a bad character
// or too long; 12 a point of that name at another cell; else Dwx_Create's.
int Dwx_Set(i32 x, i32 y, i32 level, u32 value, u32 mask, const wch* name);
// 0; 1 no memory (the old rule stays); 2 no point.
int Dwx_SetRule(i32 x, i32 y, i32 level, const u32* words, u32 count);
int Dwx_SetValue(i32 x, i32 y, i32 level, u32 value);  // 1 no point
u32 Dwx_GetValue(i32 x, i32 y, i32 level);             // 0 without a point
// 1 without a point. words: room for RULE_WORDS_MAX; name: DWX_NAME_SIZE.
// Every out may be null.
int Dwx_GetInfo(i32 x, i32 y, i32 level, u32* words, u32* count, u32* mask, wch* name);
int Dwx_IsFreeCell(i32 x, i32 y, i32 level);  // 1 when no point is there
int Dwx_Delete(i32 x, i32 y, i32 level);       // 1 without a point
// 1 for a Dwx element code; the display styles in *low, *high (may be null).
int Dwx_IsCode(u32 code, u32* low, u32* high);
int Dwx_GetPosByName(const wch* name, i32* x, i32* y, i32* level);  // 1 unknown
// The name step places after (before for step < 1) the named point, wrapping;
// an unknown name gives the first point. 1 without points (name copied).
int Dwx_StepName(const wch* name, wch* out, i32 step);
// "DW_%06u" of count + 1 right-aligned in 16, else the first free
// "DW_%06u_%02u"; 1 (out empty) when all are taken.
int Dwx_MakeFreeName(wch* out);

// What a matching rule hands the train: a copy of the matched group (its
// options read with Lin_ListGroupLayout); Length 0 hands over nothing.
enum { DWX_GROUP_MAX = 512 };
struct DwxMatch {
  i32 Length;
  u32 Group[DWX_GROUP_MAX];
};
// 1 no point; 2 the mask misses the train's direction bits or the rule does
// not match the train's current line and number now; 0 it matches (*out
// filled when given; a point without rule hands over nothing).
int Dwx_MatchTrain(i32 x, i32 y, i32 level, u32 directionBits, u32 line, u32 number, DwxMatch* out);

// Line and depot-place hooks over every rule.
void Dwx_OnLineDeleted(u32 id);
int Dwx_OnLineCopied(u32 newId, u32 oldId);  // 1 when some rule could not grow
void Dwx_OnDepotPlaceDeleted(u32 depot, u32 place);
void Dwx_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace);

// Region hooks (box corners inclusive, any order).
void Dwx_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Dwx_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                        i32 denY);
void Dwx_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// 0 when the line id is 0 or nothing more is found; else 1 with the next
// point inside the box whose rule names the line. *x = -1 continues.
int Dwx_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                         i32* level);
// "DWX_A", two lines per point inside the box, "DWX_E"; 0 or the first
// append error.
int Dwx_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Reads the block at line *lineNo; *lineNo ends after "DWX_E". 0; bit 1 some
// points refused (cells emptied); bit 2 some rules not stored; 4 malformed.
// Every point set under a temporary name is renamed on every way out.
int Dwx_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel);

// The Dwx part of the text listing; 0 or the first write error.
int Dwx_WriteReport(int detail);

int Dwx_SaveSection(void);
// 0, stream codes 1 and 2, 3 malformed or a form not read here, 4 a point
// not created.
int Dwx_LoadSection(u16 version);

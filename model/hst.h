// Stops: objects at the cells of stop elements (shapes 264..271) that tell a
// train entering the cell whether the stop applies to it (direction, train
// category and type, train flags, line list) and how long it stops (a number
// drawn from a weighted pair list).
//
// Owns the stop records (the point-object store of model/pointobj: list
// newest first, 16 buckets by x, at most 40000 records, at most one per
// cell), their attached line-condition and pair lists, and the "HSTP"
// section. Readers get copies; no caller keeps a pointer into a record.
// Set and delete mark the layout modified; create, the region hooks and the
// kind setter do not. Main thread only.
#pragma once
#include "model/pointobj.h"
#include "platform/types.h"

enum { HST_MAX = 40000, HST_MAX_PAIRS = 50, HST_MAX_WORDS = 1200 };

// Stop flags.
enum : u32 {
  HST_F_SETTING1 = 0x1,
  HST_F_SETTING2 = 0x2,
  HST_F_EXCLUDE = 0xC,
  HST_F_EXTRA = 0x10,
  HST_F_PAIRS = 0x20,
  HST_F_OTHER_CATEGORIES = 0x40,
  HST_F_LINES_ONLY = 0x80,
  HST_F_LINES_NOT = 0x100,
  HST_F_LINES = 0x180,
  HST_F_FLAGGED = 0x200
};

struct StopRec {
  PointHead Head;
  u32 TypeMask;
  u32 Flags;
  u8 DirMask;
  u32 Kind;
  u32 Extra;
  u32 WordCount;
  u32* Words;  // WordCount words, or null
  u16* Pairs;  // pair count, then (number, weight) pairs; or null
};

struct StopPair {
  u16 Number, Weight;
};

void Hst_Init(void);
void Hst_Clear(void);
void Hst_Free(void);
// The number of stops; the maximum in *maximum (may be null).
u32 Hst_Count(u32* maximum);
const StopRec* Hst_Find(i32 x, i32 y, i32 level);
// Creates a stop without looking at the cell; 0, or 1 when refused (count
// or memory). Lists with a null pointer or a count below 1 are not made.
int Hst_Create(i32 x, i32 y, i32 level, u32 pairCount, const StopPair* pairs, u32 wordCount, const u32* words,
               u32 kind, u32 extra, u8 dirMask, u32 flags, u32 typeMask);
// Replaces any stop at the cell; 0 or 1 as Hst_Create.
int Hst_Set(i32 x, i32 y, i32 level, u32 pairCount, const StopPair* pairs, u32 wordCount, const u32* words,
            u32 kind, u32 extra, u8 dirMask, u32 flags, u32 typeMask);
// 0, or 1 when there is no stop.
int Hst_Delete(i32 x, i32 y, i32 level);
// The train-type mask, -1 without a stop. Buffers receive the lists (room
// for HST_MAX_PAIRS pairs and HST_MAX_WORDS words); every out may be null.
i64 Hst_GetInfo(i32 x, i32 y, i32 level, u32* pairCount, StopPair* pairs, u32* wordCount, u32* words, u32* extra,
                u8* dirMask, u32* flags);
// 2 without a stop; 100/101 for a flagged stop unless forced or the display
// option AnzHst is on; else the kind.
u32 Hst_GetKind(i32 x, i32 y, i32 level, int force);
// The display option AnzHst (render/disp) that shows flagged stops as their
// kind: start-up installs the hook (shell/wire); without it the option
// counts as off, its default.
// The class of an element code (render/gfx Gfx_CodeClass: 1 4096..6143,
// 2 7168..8191, 3 8192..12799, else 0) that the kind replacement filters by;
// without it every code is of class 0.
struct HstHooks {
  int (*showFlagged)(void);
  int (*codeClass)(u32 code);
};
// Copies the hooks; null or a null member: the option counts as off.
void Hst_SetHooks(const HstHooks* hooks);
int Hst_SetKind(i32 x, i32 y, i32 level, u32 kind);
int Hst_IsHaltKind(u32 kind);
// 1 for a stop element code (the allowed kinds in *low, *high; may be null).
int Hst_IsCode(u32 code, u32* low, u32* high);
// 0 the stop does not apply (or none); -1 applies without number; else the
// number drawn from the pair list. *extra: the extra value or -1.
i32 Hst_MatchTrain(i32 x, i32 y, i32 level, i32* extra, u32 trainFlags, i32 number, u32 line, u32 category,
                   u32 type, u32 dirMask);
void Hst_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Hst_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Scales the positions inside the box from its first corner by num / den.
void Hst_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                        i32 numX);
// "HST_A", a line per stop inside the box with its rule and pair lines,
// "HST_E"; 0 or the first line error.
int Hst_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Reads the block whose header is line *line, each stop moved by the
// offset; *line ends after "HST_E". 0; 1 a stop refused (its cell emptied);
// 2 a line that cannot be read or is malformed, or no end line.
int Hst_PasteFromClip(i32* line, i32 dx, i32 dy, i32 dlevel);
// The next stop inside the box whose line list holds the id: *x -1 goes on
// after the stop found last, any other value starts again. 1 found (its
// cell written), 0 the end or id 0.
int Hst_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                         i32* level);
// A line was deleted: the id leaves every line list; an emptied list is
// freed and the stop loses its list flags.
void Hst_RemoveLineId(u32 id);
// A line was copied: newId joins oldId in every list; 1 when a list could
// not grow, else 0.
int Hst_AddLineIdBeside(u32 newId, u32 oldId);
// Changes the kind of matching stops inside the box (mode 0 widens the
// kinds to their pairs); the number changed, -1 when no class mask is given
// and the element code is above 16383.
i32 Hst_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, u32 mode, u32 dirFilter, u32 elementCode, u32 classMask,
                          u32 newKind, u32 oldKind, i32 level2, i32 y2, i32 x2);
// Counts of stops with 0x1 without 0x2, with 0x2, with 0x20, with 0x10 (each
// may be null); the result counts the flagged ones (0x200).
u32 Hst_CountByFlags(u32* only1, u32* with2, u32* withPairs, u32* withExtra);
// An old stop element at (x, y) of level 0 rewritten to today's stop
// element; with create a stop is set for it. The kind; -1 no old stop
// element; -2 a train stands there without a code under it; -3 the stop
// was refused.
i32 Hst_ConvertOldElement(i32 x, i32 y, int create);
// Every old stop element of level 0 inside the layout extent; the stops
// created, -1 when one was refused.
i32 Hst_ConvertOldElements(void);
// The stops' part of the text listing; withInfo adds each cell's info
// text. 0 or the first write's code.
int Hst_WriteText(int withInfo);

int Hst_SaveSection(void);
// 0, stream codes 1 and 2, 3 wrong tag or bad count, 4 a stop not created.
int Hst_LoadSection(u16 version);

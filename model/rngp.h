// Shunting points: objects at the cells of shunting-point elements (shapes
// 192..199) that decide whether a train passing in one of their directions
// is taken for shunting (split, reversed or parked aside) and with which
// values, from two line-condition lists, two depot-place lists and two
// one-shot overrides; the decision can be put to the user who drives the
// train.
//
// Owns the shunting point records (the point-object store of
// model/pointobj: list newest first, the section reader keeping the file's
// order; 16 buckets by x; at most 40000; at most one per cell) with their
// four lists inside the record's block, section "RNGP" and the clipboard
// block "RP_A".."RP_E". The question to the user is a hook (RpHooks) that
// start-up installs; the decision itself is portable. Set, edit and delete
// mark the layout modified; the region hooks, the paste and the kind setter
// do not. A replace or an edit that cannot be made keeps the old point.
// Main thread only.
#pragma once
#include "model/pointobj.h"
#include "platform/types.h"

struct TrainRec;

enum { RP_MAX = 40000, RP_OLD_ENTRIES_MAX = 1200 };

// Point flags.
enum : u32 { RP_F_FLAGGED = 0x1, RP_F_REFUSE_NEXT = 0x4000, RP_F_TAKE_NEXT = 0x8000 };
// Types that take lists and values.
enum : u32 { RP_TYPE_REFUSE = 31, RP_TYPE_TAKE = 32 };
// The decision's wait answer: the user stopped the simulation.
enum : u32 { RP_WAIT = 65535 };

struct ShuntPointRec {
  PointHead Head;
  u32 Type;
  u32 DirMask;
  u32 Kind;
  u32 Flags;
  u32 Count[4];  // words of lists 1..4
  u32 ResultValue;
  u32 Value[4];  // values 2..5
  // Count[0] + ... + Count[3] words follow: lists 1 and 2 (LineCondList),
  // lists 3 and 4 ((depot, place) pairs).
};
inline const u32* Rp_Words(const ShuntPointRec* p) { return reinterpret_cast<const u32*>(p + 1); }

void Rp_Init(void);
void Rp_Clear(void);
void Rp_Free(void);
u32 Rp_Count(u32* maximum = nullptr);
const ShuntPointRec* Rp_Find(i32 x, i32 y, i32 level);
// A point head (no lists, flags 0, values 0, 0, 30, 15, 0) replacing any at
// the cell; 1 refused (40000 points or no memory; an old point stays), else
// 0 and the layout is modified.
int Rp_Set(i32 x, i32 y, i32 level, u32 kind, u32 dirMask, u32 type);
// The lists (lists 1..4 one after the other in words), flags and values:
// 0; 1 no memory (the old record stays); 2 no point; 3 a type other than 31
// or 32.
int Rp_Edit(i32 x, i32 y, i32 level, const u32* words, u32 flags, u32 value3, u32 value4, u32 value5, u32 value2,
            u32 resultValue, u32 count4, u32 count3, u32 count2, u32 count1);
// 0 without a point; else deleted and 1.
int Rp_Delete(i32 x, i32 y, i32 level);
// 0 without a point; 100/101 for a flagged point unless forced or the
// display option Rangp is on; else the kind.
u32 Rp_GetKind(i32 x, i32 y, i32 level, int force);
int Rp_SetKind(i32 x, i32 y, i32 level, u32 kind);  // 1 without a point
// x = -1 the first point, x = -2 the one after the last given, else the
// point at the position; the type (0 none), the position written back in
// the two walking modes. Outs may be null.
u32 Rp_Iterate(i32* x, i32* y, i32* level, u32* flags, u32* dirMask);
// List kind 1, 2, 4 or 5 selects list 1, 2, 3 or 4: its word count (0 for
// none, another kind or no point) and where its words start. Outs may be
// null.
u32 Rp_GetList(i32 x, i32 y, i32 level, u32* value3, u32* value4, u32* value5, u32* value2, u32* resultValue,
               const u32** list, int listKind);
// 1 for a shunting-point element code; the kind range (may be null).
int Rp_IsCode(u32 code, u32* low, u32* high);

// The question put to the user who drives the train, and its answers.
enum {
  RP_ANSWER_REFUSE = 120,
  RP_ANSWER_TAKE = 121,
  RP_ANSWER_RESULT = 122,
  RP_ANSWER_STOP_FOLLOWING = 123,
  RP_ANSWER_FOLLOW = 124,
  RP_ANSWER_STOP_SIMULATION = 125
};
struct RpQuestion {
  TrainRec* Train;
  i32 X, Y, Level;
  u32 Text;         // language text of the question
  int TakeOffered;  // 0: the take answer is not offered
  int Default;      // the answer the dialog proposes
};
// Start-up installs the dialog (template 120) and the simulation stop;
// without them the user counts as having taken the proposal.
struct RpHooks {
  int (*ask)(const RpQuestion* q);  // the answer 120..125, anything else: the proposal
  void (*stopSimulation)(void);
};
void Rp_SetHooks(const RpHooks* hooks);
// The display option Rangp (render/disp); without it the option is off.
void Rp_SetShowFlagged(int (*showFlagged)(void));

// The decision for a train moving with dirMask onto the cell: 0 not taken,
// RP_WAIT the user stopped the simulation, else the value for the split
// (result value | 1). Every out is set on every path (0 when not taken).
u32 Rp_ForTrain(TrainRec* t, i32 x, i32 y, i32 level, u32* trainValue, u32* value2, u32* value4, u32* value3,
                u32* value5, u32 dirMask);

// Depot-place hooks over lists 3 and 4.
void Rp_OnDepotPlaceDeleted(u32 depot, u32 place);
void Rp_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace);

// The kind replacement of a box (Pobj_ReplaceKindsInBox with this
// module's elements); the number changed, -1 for an element code above 16383
// without a class mask.
i32 Rp_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, int mode, u32 dirFilter, u32 elementCode, u32 classMask,
                          u32 newKind, u32 oldKind, i32 level2, i32 y2, i32 x2);
void Rp_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Rp_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                       i32 denY);
void Rp_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// 0 when the id is 0 or nothing more is found; 2 with the next point inside
// the box whose list 1 or 2 names the line. *x = -1 continues.
int Rp_FindNextWithLine(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                        i32* level);
void Rp_RemoveLineId(u32 id);
int Rp_AddLineIdBeside(u32 newId, u32 oldId);  // 1 when a list could not grow
// "RP_A", the lines of every point inside the box, "RP_E".
int Rp_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// 0; 1 some refused (cells emptied); 2 some not edited; 3 both; 4 malformed.
int Rp_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel);

int Rp_SaveSection(void);
// 0, stream codes, 3 malformed (counts out of range, an old list form), 4 a
// point not created.
int Rp_LoadSection(u16 version);
int Rp_WriteText(int withInfo);

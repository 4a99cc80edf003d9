// Turnout controllers: the rule at a turnout cell that decides which branch
// a train takes. A turnout piece with two or three branches has at most one
// single controller (part 0); a combined piece has up to four part
// controllers (parts 1..4), one per entry connector, all with one id.
//
// Owns the controller records (one heap block each, its size set by the
// kind), the list ordered by id and part (records without an id first), the
// 32 buckets by x & 31, the branch rules of every kind, the minute counters'
// reset times and the hooks that keep line, depot-place and signal
// references valid. The file section and the clipboard block are
// operation/ptsfile.
//
// Promises: a refused operation changes nothing; every change made through a
// setter, a delete or a reference hook marks the layout modified; nothing
// outside keeps a pointer into a record across a change of the store (a
// record may be rebuilt in a new block when its lists grow). The question to
// a user who drives a train is asked through a hook (PtsHooks); without it
// the proposed branch is taken. Main thread only.
#pragma once
#include "platform/types.h"

struct TrainRec;

enum {
  PTS_ID_MAX = 0x3FFFF,  // ids run 1..PTS_ID_MAX; 0 is none
  PTS_BUCKETS = 32,
  PTS_PARTS = 4,       // part controllers of a combined piece
  PTS_SIGNAL_MAX = 60  // ids of one signal list (kind 15)
};

// TurnoutKind.
enum : u32 {
  PTS_KIND_DISPATCH = 1,  // branch 1, with a dispatcher message; a driving user is asked
  PTS_KIND_BRANCH1 = 2,   // fixed branches, never asked
  PTS_KIND_BRANCH2 = 3,
  PTS_KIND_BRANCH3 = 4,
  PTS_KIND_CYCLIC = 11,
  PTS_KIND_RANDOM = 12,
  PTS_KIND_BY_TRAIN = 14,
  PTS_KIND_BY_SIGNALS = 15,
  PTS_KIND_BY_LINE1 = 21,  // by line and place lists, else branch 1
  PTS_KIND_BY_LINE2 = 22,
  PTS_KIND_BY_LINE3 = 23
};

// BranchResult: 1, 2, 3 a branch, or one of these.
enum : u32 {
  PTS_NO_BRANCH = 4,       // signal lists: none on
  PTS_USER_STOPPED = 5,    // the driving user stopped the simulation
  PTS_MAY_CHANGE = 0x8000  // look-ahead answers: random or condition-dependent
};

// Exit words of the train movement operations besides a connector bit.
enum : u32 {
  PTS_EXIT_WAIT = 32768,      // no branch: the train waits and tries again
  PTS_EXIT_STOPPED = 0x10000  // the simulation was stopped at the question
};

// RecordFlags of kinds 21..23: the branch a reservation recorded.
enum : u32 { PTS_RECORD_BRANCH1 = 0x4000, PTS_RECORD_BRANCH2 = 0x8000, PTS_RECORD_BRANCH3 = 0x2000 };

// Masks of kind 14, four per branch, in this order.
enum { PTS_MASK_TYPES_CAT1, PTS_MASK_TYPES_CAT2, PTS_MASK_TYPES_CAT3, PTS_MASK_STATE, PTS_MASKS_PER_BRANCH };

// State bits of kind 14's StateMask.
enum : u32 {
  PTS_STATE_PLACE_FLAGGED = 1,  // placed at a depot place with a flagged start
  PTS_STATE_SERVICE_FLAGGED = 2,
  PTS_STATE_PLACE = 4,
  PTS_STATE_SERVICE = 8
};

// Priority bits of kind 15, tried in the order of the lists that are on.
enum : u32 {
  PTS_PRIO_1 = 1,
  PTS_PRIO_2 = 2,
  PTS_PRIO_3 = 4,
  PTS_PRIO_1_LOW = 16,  // the same, after the three above
  PTS_PRIO_2_LOW = 32,
  PTS_PRIO_3_LOW = 64
};

// Record operation results.
enum { PTS_OK = 0, PTS_NONE = 1, PTS_NO_MEMORY = 1, PTS_CONFLICT = 2, PTS_WRONG_KIND = 2, PTS_BAD_VALUES = 3 };

// The fixed part; the kind data follows in the same block.
struct TurnoutController {
  TurnoutController* Next;          // the list ordered by Id, then Part
  TurnoutController* NextInBucket;  // bucket X & 31
  i32 X, Y, Level;
  u32 Id;    // 1..PTS_ID_MAX; 0 none
  u32 Kind;  // TurnoutKind
  u32 Part;  // 0 single controller, 1..4 part controller
  u32 EntryDir;
  u32 Exit1, Exit2, Exit3;  // connector bits; Exit3 0: two branches
  u32 Option;               // display variant within the shape's range
  // Speed caps in metres per hour (0 none): taking branch n from the entry
  // side, and coming in through branch n.
  u32 FacingCap1, TrailingCap1, FacingCap2, TrailingCap2, FacingCap3, TrailingCap3;
};

// Kind 11: Count1..3, Counter, ResetTime1..3 (PackedWeekTime, 0 none),
// ResetValue1..3 (the Counter each reset time sets).
struct PtsCyclicData {
  u32 Count[3];
  u32 Counter;
  u32 ResetTime[3];
  u16 ResetValue[3];
};
// Kind 12: Weight1..3 and the drawn position.
struct PtsRandomData {
  u32 Weight[3];
  u32 RandPos;
};
// Kind 14: per branch TypesCat1, TypesCat2, TypesCat3 (type bit 1 << (type -
// 1), type 0 bit 31) and StateMask.
struct PtsByTrainData {
  u32 Masks[3][PTS_MASKS_PER_BRANCH];
};
// Kind 15: per branch a list of signal element or installation ids (a
// negated id as the signal lists have it), and the priority bits.
struct PtsSignalList {
  u32 Count;
  u32 Ids[PTS_SIGNAL_MAX];
};
struct PtsBySignalsData {
  PtsSignalList List[3];
  u32 Priority;
};
// Kinds 21..23: RecordFlags, LineCount1..3, PlaceCount1..3 (words), then
// the words of the three line lists (LineCondList) and of the three place
// lists (LinePairList of depot and place).
struct PtsByLineData {
  u32 RecordFlags;
  u32 LineCount[3];
  u32 PlaceCount[3];
};

inline int Pts_IsLineKind(u32 kind) { return kind >= PTS_KIND_BY_LINE1 && kind <= PTS_KIND_BY_LINE3; }
template <typename T>
inline T* Pts_KindData(TurnoutController* c) {
  return reinterpret_cast<T*>(c + 1);
}
template <typename T>
inline const T* Pts_KindData(const TurnoutController* c) {
  return reinterpret_cast<const T*>(c + 1);
}

// ---------------------------------------------------------------- store
void Pts_Init(void);
void Pts_Free(void);
void Pts_FreeAll(void);
// The controller of the part at the cell (part -1: the lowest part there);
// null none. Valid until the store changes.
const TurnoutController* Pts_Find(i32 x, i32 y, i32 level, i32 part);
// Creates a record from the fixed fields of *fixed (its links are ignored)
// with zero kind data (kinds 21..23: no recorded branch, empty lists) and
// files it in order; a part controller then binds every part at the cell to
// its id. 0 with the record in *out (may be null); 1 no memory; 2 a kind
// without rules.
int Pts_Create(const TurnoutController* fixed, TurnoutController** out);

// For the file reader: a record with zeroed kind data and room for
// listWords more words, linked behind prev (null: in id order) and into its
// bucket; parts are not bound. Null without memory or for a kind without
// rules. Pts_SortById puts the list back in order (id, then part).
TurnoutController* Pts_CreateBehind(const TurnoutController* fixed, TurnoutController* prev, u32 listWords);
void Pts_SortById(void);
// Size of a kind's data without lists; 0 for a kind without data or rules.
u32 Pts_KindDataSize(u32 kind);
// Files before 13574: every controller without an id gets the lowest free one.
void Pts_GiveMissingIds(void);
// The first record of the ordered list (then ->Next); valid until the store changes.
const TurnoutController* Pts_First(void);

// ---------------------------------------------------------------- setters
// Results: 0 done; 1 no controller (or no memory where said); 2 wrong kind
// or a conflict; 3 bad values. Part -1 is the lowest part at the cell.

// Replaces the controller of the part at the cell by a new one of the kind
// with zero caps and zero kind data. 3 an id outside 1..PTS_ID_MAX; 2 the id
// belongs to a controller at another cell, or a kind without rules; 1 no
// memory. A part controller gives its option word to every part.
int Pts_SetById(i32 x, i32 y, i32 level, u32 option, u32 entry, u32 exit1, u32 exit2, u32 exit3, u32 id, u32 kind,
                u32 part);
// Sets the part and the four connector words; 2 another controller at the
// cell has the new part already.
int Pts_SetMode(i32 x, i32 y, i32 level, u32 entry, u32 exit1, u32 exit2, u32 exit3, u32 newPart, i32 part);
// The option word of every controller at the cell.
int Pts_SetOptionWord(i32 x, i32 y, i32 level, u32 option);
// Kind 11: counts of branches 1..3 (at least two above 0, the total at most
// 65535), the start (below the total: Counter = total - start) and three
// reset times (0 none) each with its reset start (below the total).
int Pts_SetCyclic(i32 x, i32 y, i32 level, const u32 counts[3], u32 start, const u32 resetTimes[3],
                  const u32 resetStarts[3], i32 part);
// Kind 12: weights of branches 1..3 (at most 65535 each, at least two above
// 0). Unchanged weights keep the drawn position; new ones draw it anew.
int Pts_SetWeights(i32 x, i32 y, i32 level, const u32 weights[3], i32 part);
// Kind 14: the twelve masks, branch 1's four first.
int Pts_SetClassMasks(i32 x, i32 y, i32 level, const u32 masks[12], i32 part);
// Kind 15: priority bits (0..255) and three lists of counts 0..60.
int Pts_SetElementLists(i32 x, i32 y, i32 level, u32 priority, const u32 counts[3], const i32* const lists[3],
                        i32 part);
// Kinds 21..23: the six lists' words one after the other (line lists 1..3,
// then place lists 1..3) with their six word counts; the record is rebuilt
// and its recorded branch cleared. 2 no controller, 3 another kind or a
// damaged list (a line list that does not parse, an odd place list), 1 no
// memory.
int Pts_SetPositionLists(i32 x, i32 y, i32 level, const u32* words, const u32 counts[6], i32 part);

// ---------------------------------------------------------------- getters
// 0, 1 none, 2 another kind; outs may be null.
int Pts_GetCyclic(i32 x, i32 y, i32 level, u32 counts[3], u32* start, u32 resetTimes[3], u32 resetStarts[3], i32 part);
int Pts_GetWeights(i32 x, i32 y, i32 level, u32 weights[3], i32 part);
int Pts_GetClassMasks(i32 x, i32 y, i32 level, u32 masks[12], i32 part);
// Counts and pointers into the record (valid until the store changes).
int Pts_GetListsKind15(i32 x, i32 y, i32 level, u32* priority, u32 counts[3], const i32* lists[3], i32 part);
// List n: 1..3 the line lists, 4..6 the place lists; 3 for another n.
int Pts_GetPositionList(i32 x, i32 y, i32 level, int n, u32* count, const u32** words, i32 part);
// The option word of the controller at the cell; 0 none.
u32 Pts_GetField(i32 x, i32 y, i32 level, i32 part);
// The id of the controllers at the cell; 0 none.
u32 Pts_GetBoundId(i32 x, i32 y, i32 level);
// The cell of a controller with the id: 0, or 1 none.
int Pts_GetPosById(u32 id, i32* x, i32* y, i32* level);

// ---------------------------------------------------------------- ids and listing
// Deletes the controller of the part (-1: every controller at the cell); 1
// deleted, 0 none.
int Pts_DeleteAt(i32 x, i32 y, i32 level, i32 part);
// Gives every part at the cell the id and re-files them: 0; 2 an id outside
// 1..PTS_ID_MAX; 3 the id belongs to another cell; 1 no controller there.
int Pts_BindToElement(i32 x, i32 y, i32 level, u32 id);
// Pts_BindToElement, then the cell is redrawn, since its object text shows
// the id.
int Pts_BindAndRedraw(i32 x, i32 y, i32 level, u32 id);
// The lowest id above 0 that no controller uses; 0 when none is left.
u32 Pts_NextFreeId(void);
// Walks the list: *x -1 starts at the first controller, -2 goes on after
// the last one returned, any other value starts at the controller of that
// cell (*y, *level). Writes the cell, the four connector words (entry,
// exits), the id and the part; returns the kind, 0 at the end.
u32 Pts_Enum(i32* x, i32* y, i32* level, u32 words[4], u32* id, u32* part);
// Counts, each out may be null: kind 1; kinds 2..4; 11; 12; 14; 15; 21..23;
// single controllers with two branches; with three; part-2 controllers on
// cells of shape class 3, 4 and 5. Returns the number of controllers.
u32 Pts_GetStats(u32* kind1, u32* fixed, u32* cyclic, u32* random, u32* byTrain, u32* bySignals, u32* byLine,
                 u32* twoWay, u32* threeWay, u32* class3, u32* class4, u32* class5);
// The turnout class of a cell code (1..5, 0 none) and the range of its
// option word (outs may be null).
int Pts_ShapeClass(u32 code, u32* lowOption, u32* highOption);

// ---------------------------------------------------------------- train movement
// The facing connector word and cap of the branch the single controller at
// the cell chooses for a passing train (counters and drawn positions move
// on, a recorded branch is used up, a driving user is asked): a connector
// bit, PTS_EXIT_WAIT, PTS_EXIT_STOPPED, or 0 without a controller or rule.
u32 Pts_ChooseExit(TrainRec* t, i32 x, i32 y, i32 level, u32* cap);
// The same for the part controller whose entry connector is the one the
// train comes in through (from its DirectionCode); branches 1 and 2 only.
u32 Pts_ChooseExitPart(TrainRec* t, i32 x, i32 y, i32 level, u32 directionCode, u32* cap);
// Look-ahead for a reservation: the exit connector with PTS_MAY_CHANGE when
// the answer may differ when the train arrives; PTS_EXIT_WAIT for no
// branch; 0 none. Nothing moves on; with record set, kinds 21..23 record
// the answer for the passing train.
u32 Pts_PeekExit(TrainRec* t, i32 x, i32 y, i32 level, int record);
u32 Pts_PeekExitPart(TrainRec* t, i32 x, i32 y, i32 level, int record, u32 directionCode);
// The trailing cap of the branch of the single controller that a train
// travelling in directionCode comes in through; 0 otherwise.
u32 Pts_ExitForDirection(i32 x, i32 y, i32 level, u32 directionCode);
// Forgets the recorded branch of the kind 21..23 controllers at the cell: 0,
// or 1 without a controller there.
int Pts_ClearRecordedBranch(i32 x, i32 y, i32 level);
// The branch rules behind the operations above: BranchResult, 0 for a kind
// without a rule. The train may be null (no state, no line).
u32 Pts_ChooseBranch(TurnoutController* c, TrainRec* t);
u32 Pts_PeekBranch(TurnoutController* c, TrainRec* t, int record);
// The connector a train travelling in directionCode comes in through.
u32 Pts_EntryConnector(u32 directionCode);

// ---------------------------------------------------------------- hooks
// The clock calls this every simulated second: the cyclic counters whose
// reset time (weekday, hour, minute and second) is now start again.
void Pts_ClockHook(void);
// A line was deleted: it leaves every line list.
void Pts_OnLineDeleted(u32 line);
// A line was copied: the new id joins the old one in every line list. 1
// when a list changed or a record could not be rebuilt, else 0.
int Pts_OnLineCopied(u32 newLine, u32 oldLine);
// A depot place (0: every place of the depot) was deleted: its pairs leave
// every place list.
void Pts_OnDepotPlaceDeleted(u32 depot, u32 place);
// A depot place was renumbered.
void Pts_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace);
// A signal installation or element was deleted: every kind-15 list that
// holds its id is emptied.
void Pts_OnInstallationDeleted(u32 id);
// Kind-15 controllers whose lists hold the id.
u32 Pts_CountInstallationUse(u32 id);
// 1 when a kind-15 controller inside the box holds the id.
int Pts_InstallationUsedInBox(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// The next kind 21..23 controller inside the box whose line lists hold the
// line: *x -1 goes on after the last one found, anything else starts at the
// first. 1 found (cell and id written), 0 the end.
int Pts_NextWithLineInBox(u32 line, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y, i32* level,
                          u32* id);

// Region hooks (boxes by two corners in any order).
void Pts_MoveBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
// Maps every cell inside the box as an enlarged region does, with the box's
// first corner as origin (the train-aware mapping of the train module).
void Pts_ScaleBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX, i32 numX);
void Pts_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);

// What the store asks the layers above it, installed by start-up.
struct PtsHooks {
  // The user who drives the train picks a branch at the controller: 1..3, or
  // PTS_USER_STOPPED. Without it the proposed branch is taken, as when the
  // question is closed.
  u32 (*askBranch)(TrainRec* t, const TurnoutController* c, u32 proposed);
};
// Copies the hooks; null or a null member: the default above.
void Pts_SetHooks(const PtsHooks* hooks);

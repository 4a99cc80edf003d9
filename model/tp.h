// Timetable points: named points of one to eight cells (elements of shapes
// 152..159) that hold trains until a departure second of their weekly
// schedule, and queue the scheduled seconds at which no train was waiting.
//
// Owns the timetable point store: one list sorted by name (no buckets), ids
// 1..20000 given at creation and not kept in files, the rule lists and
// schedules of the points, the section "TKTP" and the clipboard block
// "TP_A".."TP_E". Lookups by cell set a current cell (0 the main cell, k
// extra cell k) that the operation following them acts on. No operation here
// marks the layout modified: the dialogs and commands that call it do.
// Readers get copies; no caller keeps a pointer into a record. Main thread.
//
// The train side: train movement asks Tp_GetDetails when a train comes to a
// timetable point cell (a waiting train becomes the cell's occupant, in
// arrival order), the clock runs Tp_CheckAll once per simulated second
// (releases through Trn_ReleaseHeldAt, queues, dispatcher messages 13 and
// 27) and Tp_RecomputeNextTimes after the clock was set. Tp_Query tells when
// the train waiting at a cell may leave.
#pragma once
#include "platform/tim.h"
#include "platform/types.h"

enum {
  TP_MAX_ID = 20000,
  TP_MAX_CELLS = 8,
  TP_NAME_MAX = 16,
  TP_QUEUE_MAX = 60,
  TP_RESET_TIMES = 6,
  TP_EXTRA_MAX = 600000
};

// Point flags.
enum : u32 {
  TP_F_REFUSE2 = 0x1,    // a train the rule does not take: answer 2
  TP_F_NO_MSG13 = 0x4,   // no dispatcher message 13 for this point
  TP_F_SLOT5 = 0x8,      // a train taking a queued slot: answer 5 (else 6)
  TP_F_EXTRA = 0x10,     // the extra value is present
  TP_F_REFUSE3 = 0x20,   // else answer 3
  TP_F_REFUSE4 = 0x40    // else answer 4
};

// One cell of a point; cell 0 is the main cell. Occupant word 0 nonzero
// means occupied: it holds the train's current line (0xFFFFFFFF for a train
// without one) and word 1 its number; a nonzero word 1 has the rule checked
// again every second. Words 2 and 3 are kept for the file.
struct TpCell {
  i32 X, Y, Level;
  u16 DirMask;
  u32 Kind;
  u32 Occupant[4];
  u8 Order;  // arrival order of the occupant (1 first), 0 empty
};

struct TimetablePoint {
  TimetablePoint* Next;  // list sorted by name
  u32 Id;
  u32 Flags;
  wch Name[TP_NAME_MAX + 1];
  u32 Extra;
  u32 WordCount;
  u32* Words;  // rule list (LineCondList), or null
  u32 ScheduleLength;
  u8* Schedule;  // WeekSchedule of ScheduleLength bytes, or null
  PackedWeekTime NextDeparture;
  u8 ExtraCells;  // cells beyond the main cell, 0..7
  u8 QueueCount, Capacity;
  PackedWeekTime Reset[TP_RESET_TIMES];
  i32 Queue[TP_QUEUE_MAX];  // seconds of the day; unused -1
  TpCell Cells[TP_MAX_CELLS];
};

// Result codes of Tp_Create and Tp_Update.
enum {
  TP_OK = 0,
  TP_NAME_EMPTY = 2,
  TP_NAME_BAD = 3,
  TP_QUEUE_ABOVE_CAPACITY = 5,
  TP_RESET_BAD = 6,
  TP_CAPACITY_BAD = 7,
  TP_EXTRA_BAD = 8,
  TP_FULL = 10,
  TP_NO_MEMORY = 11,
  TP_TOO_MANY_CELLS = 15,
  TP_NO_POINT = 21,
  TP_NAME_TAKEN = 25
};

// ---------------------------------------------------------------- store
void Tp_Init(void);
void Tp_Clear(void);
void Tp_Free(void);
u32 Tp_Count(void);

// ---------------------------------------------------------------- lookups
// The point with a cell at the position (sets the current cell), or null.
const TimetablePoint* Tp_FindAtCell(i32 x, i32 y, i32 level);
// The name is read as a token of at most 16 characters first.
const TimetablePoint* Tp_FindByName(const wch* name);
const TimetablePoint* Tp_FindById(u32 id);
// 0 when 20000 points exist, else the first free id from count + 1 upward.
u32 Tp_NextFreeId(void);
int Tp_IsKindValid(u32 kind);
// 1 for a timetable point element code; its kind range in *low, *high.
int Tp_IsCode(u32 code, u32* low, u32* high);
// The id of the point at the cell, -1 none.
i32 Tp_IdAtCell(i32 x, i32 y, i32 level);
// The kind of the cell, 2 when no point is there.
u32 Tp_GetValue(i32 x, i32 y, i32 level);
// 1 none; else stores the cell's kind, 0.
int Tp_SetKind(i32 x, i32 y, i32 level, u32 kind);
// 1 unknown; else the main cell.
int Tp_GetPosByName(const wch* name, i32* x, i32* y, i32* level);
// The name n places after (n >= 1) or |n| before the given one in list
// order, wrapping; 1 and the name unchanged when there is no point.
int Tp_StepName(const wch* name, wch* buffer, i32 n);
// A free name "TP_%05u" (right-aligned in 16) into buffer (17 units); 1
// when none is free.
int Tp_MakeFreeName(wch* buffer);
// Everything about the point at the cell; 1 none, else 0. days receives the
// seven per-weekday schedules, words the rule list (room for the rule's
// maximum), resets six times, name 17 units; every out may be null.
int Tp_GetInfo(i32 x, i32 y, i32 level, u8 (*days)[TIM_DAY_SIZE], u32* words, u32* wordCount, u32* cellCount,
               u32* id, u32* extra, PackedWeekTime* resets, u32* capacity, u32* queueCount, u32* dirMask,
               u32* flags, wch* name);
// Cell k (0 main) of the point with the id: 0, 1 no such id, 3 no cell k.
int Tp_GetEntryById(u32 id, u32 k, i32* x, u32* order, i32* level, i32* y);

// ---------------------------------------------------------------- changes
// Validates, then adds the cell to the point of that name (or makes a new
// point); a cell of another point is taken from it. Codes above. A point
// that stood at the cell is kept when the new one cannot be made.
int Tp_Create(i32 x, i32 y, i32 level, u32 extra, const PackedWeekTime* resets, u32 capacity, u32 queueCount,
              u32 kind, u32 dirMask, u32 flags, const wch* name);
// Changes the point at the cell (and the cell's kind and mask); codes above.
int Tp_Update(i32 x, i32 y, i32 level, u32 extra, const PackedWeekTime* resets, u32 capacity, u32 queueCount,
              u32 kind, u32 dirMask, u32 flags, const wch* name);
// Removes the cell; a point's last cell frees it. 1 none, 0.
int Tp_Delete(i32 x, i32 y, i32 level);
// The seven per-weekday schedules merged and the rule list set on the point
// at the cell; 2 none, 1 no memory (unchanged), 0.
int Tp_SetLists(i32 x, i32 y, i32 level, u8 (*days)[TIM_DAY_SIZE], const u32* words, u32 wordCount);
// The same with a schedule already merged (length with its final 0).
int Tp_SetListsRaw(i32 x, i32 y, i32 level, const u8* schedule, u32 scheduleLength, const u32* words,
                   u32 wordCount);

// ---------------------------------------------------------------- region and lines
void Tp_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Tp_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                       i32 denY);
void Tp_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// The kind replacement of the stops over every cell in the box.
void Tp_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, u32 fromKind, u32 toKind);
// The next point (after the one found last when *x is -1) with a cell in
// the box whose rules name the line: 1 with its main cell and name, else 0.
int Tp_Iterate(u32 line, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y, i32* level,
               wch* name);
void Tp_RemoveLineId(u32 line);
// 1 when some list could not grow, else 0.
int Tp_AddLineIdBeside(u32 newId, u32 oldId);
void Tp_OnDepotPlaceDeleted(u32 depot, u32 place);
void Tp_OnDepotPlaceStored(u32 depot, u32 oldPlace, u32 newPlace);

// ---------------------------------------------------------------- files and clipboard
int Tp_SaveSection(void);
// 0, stream codes 1 and 2, 3 malformed, 4 a point not created.
int Tp_LoadSection(u16 version);
// "TP_A", the cells inside the box with their lists, "TP_E"; 0 or the first
// line error.
int Tp_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Reads the block at *lineNo; *lineNo ends after "TP_E". 0; bit 1 some cells
// refused (emptied); bit 2 some lists not set; 4 an unreadable or malformed
// block. Pasted points are named "_____COPY_T%05u" on every way out.
int Tp_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dlevel);
// The timetable point part of the text listing; 0 or the stream's code.
int Tp_WriteText(int withInfo);

// ---------------------------------------------------------------- trains and clock
// The point's answer for a train of that line and number coming to the cell
// in a direction: 1 no point (or not this direction); 0 registered as
// waiting; 5 or 6 a queued slot taken (*slot, seconds of the day); 2, 3, 4
// the rule does not take the train. testOnly changes nothing. *extra the
// extra value or -1; *speed -1 (points set no speed).
int Tp_GetDetails(i32 x, i32 y, i32 level, u32* slot, int testOnly, u32 dirMask, i32* extra, i32* speed, u32 line,
                  u32 number);
// When the train waiting at the cell may leave (PackedWeekTime, 0 none);
// *source 0 schedule, 1 the train's times, 2 line conditions.
PackedWeekTime Tp_Query(i32 x, i32 y, i32 level, int* source);
// 1 none, 2 no occupant, 0 the occupant cleared.
int Tp_ReleaseAtCell(i32 x, i32 y, i32 level);
// Once per simulated second.
void Tp_CheckAll(void);
// After the clock was set.
void Tp_RecomputeNextTimes(void);

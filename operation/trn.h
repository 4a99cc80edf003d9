// Train records: every train of the layout is one TrainRec, a heap block of
// its fixed part, its TrainCell slots (head first) and its TrainVehicle
// entries. Owns the records, the record operations offered to dialogs and
// commands (create, read and update by list index, delete, pause and resume,
// numbers and lookups), the followed train, and the per-train sound numbers.
//
// The lists every train sits in (the list of all trains sorted by line and
// number, the state lists, the marker buckets) belong to operation/trnlist;
// the file section "ZUGD" to operation/trnfile.
//
// Promises: a record's block size never changes after creation (LastCell and
// VehicleCount are fixed for its life); a refused operation changes nothing;
// a train that is freed is first unlinked from every list it is in and stops
// being followed, so no list or pointer keeps it. Plain state on the main
// thread.
#pragma once
#include "model/grid.h"
#include "platform/types.h"

// ---------------------------------------------------------------- limits
enum {
  TRN_MAX_CELLS = 201,        // slots of one train: 200 cells of length and a spare
  TRN_MAX_VEHICLES = 200,     // vehicles of one train
  TRN_MAX_TEXT = 32767,       // units of a train text
  TRN_TIMETABLE_ENTRIES = 6,  // entries of each of the two timetables
  TRN_MAX_NUMBER = 999        // highest number TrnList_NextFreeNumber gives
};

// TrainMarkerCode: CELL_TRAIN_FIRST + k stands in every grid word a train
// occupies; k is its marker bucket.
enum : u32 { TRN_NO_CODE = 65535, TRN_NONE = 0xFFFFFFFFu };

// TrainStateFlags.
enum : u32 {
  TRN_IN_SERVICE = 0x1,
  TRN_OFF_TRACK = 0x2,
  TRN_AT_STOP = 0x4,
  TRN_HELD = 0x8,
  TRN_RESERVED = 0x10,
  TRN_OLD_TARGET = 0x40,  // only in files before 14396
  TRN_PAUSED = 0x80,
  TRN_FOLLOWED = 0x100,
  TRN_USER_DRIVEN = 0x200,
  TRN_AT_PLACE = 0x400,
  TRN_SET_ASIDE = 0x800,
  TRN_DEPOT_WAIT = 0x1000,
  TRN_BLOCKED = 0x2000,
  TRN_FLAGGED_START = 0x8000,
  TRN_STOP_SOUND = 0x10000,
  TRN_REVERSE_WAIT = 0x20000
};

// Vehicle flag bits (TrainVehicle.VehFlags), the one table every module
// uses. Coupling bits name the vehicle's own ends: on a turned vehicle its
// front faces the train's rear.
enum : u32 {
  TRN_VEH_PICTURE_TURNED = 0x1,     // 0x0001 the turned flag does not follow reversals
  TRN_VEH_NO_FRONT_COUPLING = 0x2,  // 0x0002 no coupling at the vehicle's front
  TRN_VEH_NO_REAR_COUPLING = 0x4,   // 0x0004 no coupling at its rear
  TRN_VEH_GFX_BITS = 0x38,          // 0x0038 bits 3..5, copied from the graphic's flags
  TRN_VEH_FACES_FORWARD = 0x10,     // 0x0010 of those: the picture faces the way of travel
  TRN_VEH_GFX_OWN = 0x3E,           // 0x003E the bits the graphic's flags set again on load
  TRN_VEH_MISSING = 0x1000,         // 0x1000 the graphic is missing
  TRN_VEH_UNSAVED = 0x7000,         // 0x7000 bits never saved
  TRN_VEH_TURNED = 0x8000           // 0x8000 the vehicle stands turned in the train
};
// A vehicle id that stands for a missing vehicle of the length in its low bits.
enum : u32 { TRN_MISSING_VEHICLE = 0x40000000u };

struct TrainCell {
  i32 X, Y, Level;
  CellCode* GridWord;  // null while the train is off the track
  u32 SavedCode;       // TRN_NO_CODE: none
  u8 CellFlags;        // low 3 bits: vehicle fronts in the cell; bit 7: signal-passing notice
};

struct TrainVehicle {
  u32 Vehicle;  // VehicleId
  u16 Word0;    // 0 on creation and on loading
  u16 Word1;
  u32 VehFlags;
  u32 Length;  // pixels at zoom 1 (a cell is 32)
};

struct TrainRec {
  TrainRec* Next;         // the list of all trains
  TrainRec* NextInState;  // the state list the train is in
  u32 StateList;          // which state list (TrnStateList of trnlist.h)
  TrainRec* MarkerLink;   // the marker bucket
  u16 MarkerCode;         // the last marker given; 0 before the first
  u32 Line;
  u32 CurLine;
  i32 Number;
  u32 LastCell;
  i32 SplitPos;
  u32 VehicleCount;
  u16 HomeDepot, HomePlace;
  u16 CurDepot, CurPlace;
  u32 StateFlags;
  u32 Type, HomeType;
  u32 Category, HomeCategory;
  u32 PropFlags;
  u32 PathOption;
  u32 TimeA[TRN_TIMETABLE_ENTRIES];
  u16 DepotA[TRN_TIMETABLE_ENTRIES], PlaceA[TRN_TIMETABLE_ENTRIES];
  u32 TimeB[TRN_TIMETABLE_ENTRIES];
  u16 DepotB[TRN_TIMETABLE_ENTRIES], PlaceB[TRN_TIMETABLE_ENTRIES];
  u32 MaxSpeed, Speed, TargetSpeed;
  u32 SpeedCapA, SpeedCapB, SpeedCapC;
  u32 StepInterval;
  i32 StepCountdown;
  u32 StepDecrement;
  u32 Accel, Brake;
  u32 AccelStep, BrakeStep;
  u16 StopTimeMin, StopTimeMax;
  i32 WaitLeft;  // delta-encoded while in a count-down list
  u32 AtStop;
  u32 ReservedCells;
  i32 SubCellOffset;
  u32 TailOffset;
  i32 TextLen;
  wch* Text;  // TextLen units without a zero, null when TextLen is 0
  u32 WaitTicks;
  i32 RetryLimit;
  u32 RetryCount;
  i32 DirX, DirY, DirZ;
  i32 HornCountdown;
  u32 NextRunSound;
  u32 HornSound, RunSound, DepartSound, StopSound, ExtraSound;
};

// The slots and vehicles that follow the fixed part in the record's block.
inline TrainCell* Trn_Cells(TrainRec* t) { return reinterpret_cast<TrainCell*>(t + 1); }
inline const TrainCell* Trn_Cells(const TrainRec* t) { return reinterpret_cast<const TrainCell*>(t + 1); }
inline TrainVehicle* Trn_Vehicles(TrainRec* t) {
  return reinterpret_cast<TrainVehicle*>(Trn_Cells(t) + t->LastCell + 1);
}
inline const TrainVehicle* Trn_Vehicles(const TrainRec* t) {
  return reinterpret_cast<const TrainVehicle*>(Trn_Cells(t) + t->LastCell + 1);
}

// ---------------------------------------------------------------- records
// A zeroed record with room for lastCell + 1 slots and vehicleCount vehicles
// (both within the limits), every slot without code, text null, linked
// nowhere; null when out of range or out of memory.
TrainRec* Trn_AllocRecord(u32 lastCell, u32 vehicleCount);
// Frees the text and the block of a record that is linked nowhere.
void Trn_FreeRecord(TrainRec* t);
// AccelStep and BrakeStep from Accel and Brake (x 9 / 25, signed).
void Trn_SetAccelSteps(TrainRec* t);
// The sum of the vehicle lengths in pixels.
u32 Trn_TotalLength(const TrainRec* t);
// Writes into the low three flag bits of each slot the number of vehicle
// fronts in that cell (the train cut into quarter cells of 8 pixels).
void Trn_MarkVehicleStarts(TrainRec* t);
// DirectionCode of a step: (0,-1) 1, (0,1) 2, (-1,0) 4, (1,0) 8, (1,1) 16,
// (-1,-1) 32, (-1,1) 64, (1,-1) 128; 0 for none.
u32 Trn_DirectionCode(i32 dx, i32 dy);
// Queues every slot with a saved code for redraw and flushes the queue
// (mask 11 when full, else 1); nothing for a train off the track.
void Trn_RedrawCells(const TrainRec* t, int full);

// ---------------------------------------------------------------- following
TrainRec* Trn_GetFollowed(void);
// Sets the followed train (null: none) without touching its flags.
void Trn_SetFollowed(TrainRec* t);
// Sets the moved flag when a train is followed; the flag is read and cleared
// by the follow step.
void Trn_MarkFollowedMoved(void);
int Trn_TakeFollowedMoved(void);
// Ends following: clears 0x100 and 0x200 and the followed train, redraws it.
void TrnList_StopFollowing(void);

// ---------------------------------------------------------------- life
// Offers the line table the train counts and the re-sort it asks for.
void TrnList_Init(void);
// Stops following, then frees every train and empties every list.
void TrnList_Clear(void);
void TrnList_Free(void);
// Empty hook for a new layout and the line module.
void TrnList_OnReset(void);

// ---------------------------------------------------------------- records by key and index
// A composition entry: the vehicle and its flag word (0x8000 turned).
struct TrainCompositionEntry {
  u32 Vehicle;
  u32 Flags;
};
enum { TRN_CREATE_OK = 0, TRN_CREATE_EXISTS = 1, TRN_CREATE_NO_MEMORY = 2, TRN_CREATE_BAD_VALUES = 3 };
// Creates a train off the track from the template's fixed part (its LastCell
// and VehicleCount size the record; VehicleCount entries of composition are
// read) with text units (template TextLen of them; may be null when 0). The
// head cell is x, y, level; x = -1 takes the home depot place's cell.
// 0 created; 1 a train with that line and number exists; 2 no memory;
// 3 counts or text length out of range.
int TrnList_Create(const TrainCompositionEntry* composition, const TrainRec* tmpl, const wch* text, i32 x, i32 y,
                   i32 level);

// Outs of TrnList_GetByIndex; each may be null.
struct TrainReadOut {
  i32* x;
  i32* y;
  i32* level;
  u32* direction;         // DirectionCode of the train's direction
  TrainRec* fixed;        // a copy of the fixed part
  TrainCompositionEntry* vehicles;  // room for wanted entries
  u32 wanted;
  int storedOrder;        // 1: vehicles as stored, 0: as the dialogs show them
};
// 1 copied, 0 no train at that index.
int TrnList_GetByIndex(i32 index, const TrainReadOut* out);
enum { TRN_SET_OK = 0, TRN_SET_NONE = 1, TRN_SET_NO_MEMORY = 2, TRN_SET_KEY_TAKEN = 3 };
// Writes a changed fixed part back (text of fixed->TextLen units). The
// record's size, its list links and the list and follow bits of its state
// stay. 0 set (a new line or number re-sorts the list); 1 no train at the
// index; 2 no memory; 3 another train has the new line and number, or the
// text length is out of range.
int TrnList_SetByIndex(i32 index, const TrainRec* fixed, const wch* text);

// List index of the train (number 0: the first of the line); -1 none.
i32 TrnList_IndexOf(u32 line, i32 number);
// The train at a list index; null none.
TrainRec* TrnList_AtIndex(i32 index);
// The train of that line and number (number 0: the first of the line).
TrainRec* TrnList_Find(u32 line, i32 number);
// List index of the on-track train with a marked cell at x, y, level; -1 none.
i32 TrnList_IndexAtCell(i32 x, i32 y, i32 level);
// Lowest number above a gap, else the last + 1, at most 999, never a number a
// train of the line has (0 when 1..999 are all taken); 1 for a line without
// trains.
i32 TrnList_NextFreeNumber(u32 line);
// Greatest number of the line, 0 none.
i32 TrnList_LastNumber(u32 line);

// ---------------------------------------------------------------- deleting
// Unlinks the train from every list, ends following it, frees it.
void TrnList_FreeTrain(TrainRec* t);
enum { TRN_DELETE_OK = 0, TRN_DELETE_NONE = 1, TRN_DELETE_SOME_ON_TRACK = 2 };
// Deletes the off-track trains of the line (number 0: every number); trains
// on the track stay (result 2).
int TrnList_DeleteTrains(u32 line, i32 number);
// Takes the train off the track (the saved codes back into the grid) and
// deletes it; 1 done, 0 none.
int TrnList_DeleteOnTrack(u32 line, i32 number);

// ---------------------------------------------------------------- pause
enum { TRN_PAUSE_OK = 0, TRN_PAUSE_NONE = 1, TRN_PAUSE_ALREADY = 2, TRN_PAUSE_NOT_PAUSED = 2 };
// Ends a wait in the held, stop or reverse-wait list, takes the train out of
// its list (a train set aside for coupling only loses 0x800) and sets 0x80.
int TrnList_PauseTrain(u32 line, i32 number);
// Clears 0x80 and puts the train back into the list its state selects.
int TrnList_ResumeTrain(u32 line, i32 number);

// ---------------------------------------------------------------- cells and sounds
// GridWord of every slot from the grid; with rebuild, the saved codes of the
// trains on the track from the grid and their markers into it.
void TrnList_RefreshCellCodes(int rebuild);
// The five sound numbers to -1. With fill they come from the sound catalogue
// when sound output is on, and then without a running sound NextRunSound is
// -1, without a horn HornCountdown 0.
void TrnList_SetTrainSounds(TrainRec* t, int fill);
void TrnList_SetAllTrainSounds(int fill);
// StepInterval of every train from its speed (TickConstant / Speed, 1 for a
// standing train), after the tick constant changed and after a load (the
// file does not keep it, and a moving train without it would stand).
void TrnList_RecalcIntervals(void);
// Restores the list order after the line table's order changed.
void TrnList_Resort(void);
// Of the line: [0] its trains; [1] of those, running as another line; [2] of
// those running as the line, not on the track; [3] trains of other lines on
// the track running as the line.
void TrnList_CountByLine(u32 line, u32 counts[4]);

// ---------------------------------------------------------------- vehicle catalogue
// What the train records ask of the graphics store's vehicle catalogue
// (render/vehicles, above the trains) through the hooks below:
// Trn_CatalogueVehicleLength -> Gfx_GetVehicleLength (0 unknown),
// Trn_CatalogueVehicleFlags -> Gfx_GetVehicleFlags (65535 unknown),
// Trn_CatalogueLoadVehicleSet -> Gfx_LoadVehicleSet (0 ok, 1 not loaded),
// Trn_CatalogueIndexEntry -> the vehicle index of the graphics file
// (Gfx_ReadVehicleIndexEntry), an entry of 0x10000 or more being a
// translated id (0 unknown).
u32 Trn_CatalogueVehicleLength(u32 vehicle);
u32 Trn_CatalogueVehicleFlags(u32 vehicle);
int Trn_CatalogueLoadVehicleSet(u32 setId);
u32 Trn_CatalogueIndexEntry(u32 vehicle);

// What the trains ask of the layers above them, installed by start-up
// (shell/wire): the vehicle catalogue, and whether the views label trains
// (the two low bits of the train text mode, render/disp), so that a
// departing train's label is redrawn. Without hooks the catalogue knows no
// vehicle (length 0, flags 65535, a set does not load) and no label shows.
struct TrnHooks {
  u32 (*vehicleLength)(u32 vehicle);
  u32 (*vehicleFlags)(u32 vehicle);
  int (*loadVehicleSet)(u32 setId);
  int (*trainsLabelled)(void);
  u32 (*vehicleIndexEntry)(u32 vehicle);
};
// Copies the hooks; null or a null member: that call answers as above.
void Trn_SetHooks(const TrnHooks* hooks);
// 1 when the views label trains (the hook), else 0.
int Trn_LabelsShown(void);

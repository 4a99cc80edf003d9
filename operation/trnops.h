// Train record operations of the commands, dialogs and the depot module:
// service (start, stop), ending a wait, reversing, splitting and setting
// aside for coupling, the counters of dialogs and statistics, the next
// timetable time, the region hooks (box test, move, scale) and the
// depot-place hooks (a place moved or renumbered).
//
// Owns no state: the records are operation/trn's, the lists
// operation/trnlist's, and the movement the Trn_ operations of
// trndepart, trnrev and trnres. Trains are named by line and number;
// number 0 names the first train of the line where a whole line is not
// meant. A refused operation changes nothing. Main thread only.
#pragma once
#include "platform/types.h"

struct TrainRec;

// ---------------------------------------------------------------- service
enum {
  TRN_START_OK = 0,
  TRN_START_NONE = 1,
  TRN_START_OFF_TRACK = 2,
  TRN_START_IN_SERVICE = 3,
  TRN_START_NO_HOME = 4,
  TRN_START_PAUSED = 5
};
// Line 0: every train on the track, not paused, not in service and with a
// home place; number 0: every such train of the line. For one train the
// first refusal: 2 not on the track, 3 in service, 4 no home place, 5
// paused. option: the timetable A entry 1..6 to run to, 0 the home place.
int TrnList_StartTrains(u32 line, i32 number, int option);
// 0 stopped; 1 none (also line or number 0); 2 not in service.
int TrnList_StopTrain(u32 line, i32 number);
// Ends the wait of a train in the held, stop or reverse-wait list; 0 ended,
// 1 none, 2 the train waits in none of them.
int TrnList_EndWait(u32 line, i32 number);
// 1 reversed (speed, step interval and countdown 0), 0 none or not on the
// track.
int TrnList_ReverseTrain(u32 line, i32 number);
// 11 none; 0 wholly on the track; 1 not on the track; 3 a cell without
// saved code.
int TrnList_CheckOnTrack(u32 line, i32 number);
// 0 set aside (0x800, in no list); 1 none; 2 not on the track or already set
// aside; 3 not wholly on the track.
int TrnList_SetAsideForCoupling(u32 line, i32 number);
// Splits the train behind vehicle position (negative: counted from the end)
// with the shunting value bits and the waits after reversing and while
// parked. 0 split; 1 none; 4 one vehicle only; 5 the train refuses splits
// (PropFlags 0x4); 6 position not below the vehicle count; 2 off the track,
// 12 the front part cannot go on, 13 no memory, 15 no split position, 3 not
// wholly on the track, 17 no free number, 20 reversed or parked unsplit.
int TrnList_SplitTrain(u32 line, i32 number, i32 position, u32 value, i32 reverseWait, i32 parkWait);

// ---------------------------------------------------------------- counters
// Each train once, in the first class that fits: paused, not on the track
// (the result), stop list, reverse-wait list, departure-sound wait list,
// held list, set aside for coupling, blocked. Outs may be null.
u32 TrnList_CountByState(u32* paused, u32* atStop, u32* reverseWait, u32* soundWait, u32* held, u32* setAside,
                         u32* blocked);
// Uses of a depot place (place 0: any place of the depot): the result counts
// the trains whose home place it is; timetable A and B entries naming it,
// once per weekday in both the entry's and the given mask (bits 0..6); off-
// track trains standing at the cell; trains in service running to it. Outs
// may be null.
u32 TrnList_CountUses(u32 depot, u32 place, i32 x, i32 y, i32 level, u32 weekdays, u32* timetableA,
                      u32* timetableB, u32* offTrackAtCell, u32* current);
// Vehicles of the id whose graphic is present; an id with bit 30 stands for
// a missing vehicle of the length in its low bits (TrnList_CountMissingVehicles).
u32 TrnList_CountVehicleUse(u32 vehicle);
// Vehicles of that length whose graphic is missing (marked 0x1000, or the
// catalogue's length differs).
u32 TrnList_CountMissingVehicles(u32 length);
// Marks every vehicle of the id whose graphic is present as missing (0x1000)
// and returns their number; 0 for an id with bit 30.
u32 TrnList_MarkVehicleUnloaded(u32 vehicle);
// The next PackedWeekTime of timetable A (0) or B (1) of the train from now,
// 0 none.
u32 TrnList_NextTimetableTime(const TrainRec* t, int timetable);

// ---------------------------------------------------------------- region hooks
// Box corners inclusive, in any order. Trains on the track cell by cell (with
// offTrack also the first cell of trains off the track): 2 when a train lies
// partly inside (the inside cell next to the first outside one in *x, *y,
// *level, each may be null), else 1 when a train lies wholly inside, 0 none.
int TrnList_CheckBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int offTrack, i32* x, i32* y,
                     i32* level);
// Shifts the cells (off the track the first only) of every train whose head
// lies in the box; the grid words are looked up anew.
void TrnList_MoveBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
// Scales x and y of the cells of every train whose head lies in the box from
// its first corner (num / den per axis); a train keeps its shape.
void TrnList_ScaleBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                        i32 numX);

// ---------------------------------------------------------------- depot-place hooks
// Off-track trains standing at the old cell stand at the new one; the
// layout is marked modified.
void TrnList_MovePlacePos(i32 oldX, i32 oldY, i32 oldLevel, i32 newX, i32 newY, i32 newLevel);
// Place oldPlace of the depot is now newPlace: home places, current places
// of trains in service and timetable entries (their flag bit 0x8000 kept).
void TrnList_RenumberDepotPlace(u32 depot, u32 oldPlace, u32 newPlace);

// Reversing, splitting and joining trains: a train turns round in place (at
// a buffer stop, a shunting point or by command), is split into two trains
// at a shunting point, or is joined to a train set aside for coupling when it
// runs onto it.
//
// Owns no records of its own: works on the slots and vehicles of TrainRec
// and on the lists of operation/trnlist. Promises: every cell that holds a
// train's marker belongs to exactly one slot of that train, before and after
// each operation (a joined or split train's marker is in all its cells at
// once); a refused operation changes nothing. Main thread only.
#pragma once
#include "platform/types.h"

struct TrainRec;

// Trn_Join results.
enum {
  TRN_JOIN_OK = 0,
  TRN_JOIN_OFF_TRACK = 1,
  TRN_JOIN_REVERSE_FAILED = 2,
  TRN_JOIN_NO_MEMORY = 3,
  TRN_JOIN_TOO_LONG = 4,       // more than 200 vehicles or cells together
  TRN_JOIN_NOT_COUPLABLE = 5,  // the train ahead is not set aside for coupling
  TRN_JOIN_AHEAD_PARTLY = 6,
  TRN_JOIN_BEHIND_PARTLY = 7,
  TRN_JOIN_BEHIND_NO_COUPLING = 8,
  TRN_JOIN_AHEAD_NO_COUPLING = 9,
  TRN_JOIN_TRACK_KINDS = 10
};

// Shunting-point value bits that Trn_Split reads.
enum : u32 {
  TRN_SPLIT_REAR_KEEPS_NUMBER = 8,
  TRN_SPLIT_GO_ON = 32,  // a train that is not split goes on through the point
  TRN_SPLIT_SPLIT = 64,
  TRN_SPLIT_PARK = 128,
  TRN_SPLIT_PARK_REVERSED = 256
};

// 1 off the track; 3 a slot 0 .. LastCell - 1 holds no code; 0 fully on it.
int Trn_CheckOnTrack(const TrainRec* t);
// Reverses the vehicle entries (every moved one's turned flag toggles
// unless its TRN_VEH_PICTURE_TURNED is set; so does the middle one of an odd
// count) and toggles the train's turned flag 0x20.
void Trn_ReverseVehicles(TrainRec* t);
// Turns the train round: 0 done, 1 refused (it does not fully stand on the
// track). setOffset puts the new head at the end of its cell; keepOrder
// keeps the vehicles' order (a driving user's train).
int Trn_Reverse(TrainRec* t, int setOffset, int keepOrder);
// Joins behind, which runs onto ahead (set aside for coupling), into one new
// record: at ahead's head when headOn, else at its tail. TRN_JOIN_*.
int Trn_Join(TrainRec* ahead, TrainRec* behind, int headOn);
// The action of a shunting point: value (TRN_SPLIT_* bits), the point's line
// (0 keeps the current line), its waits before moving on after reversing and
// while parked (seconds), and the split position (vehicles of the front
// part; negative counts from the end; 0 the train's SplitPos). 0 split;
// 1 off the track; 2 the front part cannot go on; 3 no memory; 5 no split
// position; 6 not fully on the track; 7 no free number; 9 reversed; 10
// parked for coupling; 11, 13 goes on unsplit; 12, 14 reversed unsplit.
int Trn_Split(TrainRec* t, u32 value, u32 line, i32 reverseWait, i32 parkWait, i32 position);

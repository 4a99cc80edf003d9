// Train movement cell by cell: entering the next cell (the decision what the
// next cell allows, the marker written into the entered cell, the slots
// shifted, the left tail cell given back) and the sub-steps inside the head
// cell (the tail given back, stops at stop cells, depot-place entry).
//
// Owns no records; works on TrainRec slots, the grid words and the lists of
// operation/trnlist. Asks the point and signal modules (stops, depots,
// turnout controllers, signals, Dwx, LFST, shunting, buffer stops, sound
// points, timetable points) what their object at the cell wants.
//
// Promises: every grid word holding a train's marker belongs to a slot of
// that train which keeps the cell's own code; a cell the train left holds its
// own code again, whatever LastCell a template or an old file gave (the tail
// is given back as soon as the covered-cell count says so, and LastCell is
// never trusted beyond the slots). A refused entry changes nothing but the
// flags and lists named below. Main thread only.
#pragma once
#include "operation/trn.h"
#include "platform/types.h"

// Results of Trn_DecideNextCell.
enum {
  TRN_ENTER_REFUSED = 0,     // cannot enter (a dispatcher message may be posted)
  TRN_ENTER_DEPOT = 1,       // went into a depot place, off the track
  TRN_ENTER_JOINED = 2,      // joined to or split from another; record changed
  TRN_ENTER_HANDLED = 3,     // reversed, split, stopped or waiting
  TRN_ENTER_STRAIGHT = 10,   // straight on, same direction
  TRN_ENTER_STRAIGHT_TURN = 11,
  TRN_ENTER_DIAGONAL = 20,
  TRN_ENTER_DIAGONAL_TURN = 21
};

// Dispatcher message kinds that train movement and reserving post.
enum : u32 {
  TRN_MSG_RAMP_NO_TOP = 3,        // a ramp bottom whose top does not lead on
  TRN_MSG_RAMP_NO_BOTTOM = 4,     // a ramp start without its bottom below
  TRN_MSG_RAMP_OFF_LEVELS = 5,    // a ramp out of the highest or lowest level
  TRN_MSG_NO_WAY = 6,             // no track for the train in the next cell
  TRN_MSG_HEAD_ON = 7,            // another train's head coming the other way
  TRN_MSG_FOREIGN_PLACE = 10,     // a depot place the train's timetable does not name
  TRN_MSG_RESERVE_CONFLICT = 11,  // a path search ahead of the train that never ends
  TRN_MSG_PAUSED_AHEAD = 12,      // a paused train in the way
  TRN_MSG_JOIN_NO_TURN = 16,      // joining: the joined train could not turn
  TRN_MSG_RETRY_LIMIT = 17,       // blocked for the train's retry limit (data: the count)
  TRN_MSG_JOIN_NO_MEMORY = 18,
  TRN_MSG_JOIN_TOO_LONG = 19,
  TRN_MSG_JOIN_REFUSED = 20,      // any other refused join
  TRN_MSG_SPLIT_NO_MEMORY = 21,
  TRN_MSG_SPLIT_PARTLY = 22,      // splitting a train not fully on the track
  TRN_MSG_SPLIT_NO_NUMBER = 23,   // no free number for the second part
  TRN_MSG_SPLIT_NO_POSITION = 24,
  TRN_MSG_JOIN_MISMATCH = 25,     // couplings or track kinds do not fit
  TRN_MSG_TP_LATE = 26            // a queued timetable slot taken late (data: its second)
};

// Element classes of the track connection table (high byte).
enum {
  TRK_CLASS_PLAIN = 0,
  TRK_CLASS_TURNOUT1 = 1,
  TRK_CLASS_TURNOUT2 = 2,
  TRK_CLASS_TURNOUT3 = 3,
  TRK_CLASS_CONTROLLED = 4,
  TRK_CLASS_CONTROLLED_LEVEL = 5,
  TRK_CLASS_STOP = 6,
  TRK_CLASS_STOP_REVERSE = 7,
  TRK_CLASS_TP = 8,
  TRK_CLASS_TP_REVERSE = 9,
  TRK_CLASS_SIGNAL = 10,
  TRK_CLASS_DEPOT = 11,
  TRK_CLASS_MARKED = 12,
  TRK_CLASS_SOUND = 13,
  TRK_CLASS_BUFFER = 14,
  TRK_CLASS_LFST = 15,
  TRK_CLASS_RAMP_DOWN = 16,
  TRK_CLASS_RAMP_TOP = 17,
  TRK_CLASS_RAMP_BOTTOM = 18,
  TRK_CLASS_SHUNT = 19,
  TRK_CLASS_DWX = 20,
  TRK_CLASS_SIGNAL21 = 21,
  TRK_CLASS_SIGNAL22 = 22,
  TRK_CLASS_SIGNAL23 = 23,
  TRK_CLASS_SIGNAL24 = 24
};

// ---------------------------------------------------------------- entering
// The whole entry step of a train whose sub-cell offset is 0 (called by the
// stepping and by the retry lists).
void Trn_EnterNextCell(TrainRec* t);
// Whether and how the train may move its head into the next cell; fills the
// new slot. Result TRN_ENTER_*; the direction fields change only with >= 10.
int Trn_DecideNextCell(TrainRec* t, TrainCell* slot);

// Track kind of the train (PathOption bits 1, 2, 4) against a cell code
// (bit 14 removed): 0 unusable, 1 usable, 2 narrow kind, 3 and 4 other kinds.
int Trn_TrackKindCheck(u32 pathOption, u32 code);
// Direction index leaving a cell of code for a train travelling (dx, dy),
// element class in *cls, adjusted by the track kind.
int Trn_TrackConnection(i32 dx, i32 dy, u32 code, int* cls, u32 trackKind);
// A turnout controller's branch word as a direction index; negative: wait.
// An answer that may still change comes as TRN_BRANCH_MAY_CHANGE + index.
int Trn_ConnectorToDirection(u32 word);
enum { TRN_BRANCH_MAY_CHANGE = 1024 };
// place << 16 | depot of the train's current depot place when in service.
u32 Trn_OriginPlace(const TrainRec* t);
// Tells the signal elements at flagged slots that the train passes them.
void Trn_SignalPassing(TrainRec* t);
// 1 when a diagonal step from head to next crosses another train's diagonal.
int Trn_DiagonalBlocked(TrainRec* t, const TrainCell* head, const TrainCell* next);
// Number of cells the train covers: (TailOffset + SubCellOffset + 31) / 32.
u32 Trn_CoveredCells(const TrainRec* t);
// Gives the last slot's cell back when the train no longer covers it; 1 when
// a cell was given back.
int Trn_ReleaseTail(TrainRec* t);
// 1 when the train's slots and the grid agree: every slot keeping a code
// stands on its own cell, whose grid word holds the train's marker, and keeps
// a track code, never a marker. Checked after every step under ORBA_CHECK.
int Trn_CheckMarkers(const TrainRec* t);

// ---------------------------------------------------------------- inside a cell
// One sub-step inside the head cell (SubCellOffset has just been lowered).
void Trn_MoveInCell(TrainRec* t);
// Stops the train at a stop: wait in seconds (below 1: random between the
// train's stop times), reverse sets the reverse-after-stop flag.
void Trn_StopAtStop(TrainRec* t, i32 wait, int reverse);
// 1 when the train stopped behind the other train standing at a stop.
int Trn_StopBehind(TrainRec* t, TrainRec* other, u32 slot);
// 1 when the train went into the depot place at the cell, else 0.
int Trn_EnterDepotPlace(TrainRec* t, i32 x, i32 y, i32 level);

// Flag 0x4000: pass the next stop cell; 0x40000: reverse when the stop ends.
enum : u32 { TRN_PASS_NEXT_STOP = 0x4000, TRN_STOP_REVERSE = 0x40000 };

// Train lists: the one list of all trains, sorted by line (line-table order)
// and number, with its count; the state lists (moving, off-track, held, stop,
// stop-sound, reverse-wait and ten retry lists); the 256 marker buckets of the
// TrainMarkerCodes and the counters that give out markers and retry lists.
//
// Every train sits once in the list of all trains, in at most one state list
// (a paused train or one set aside for coupling in none) and, while it has a
// marker, in that marker's bucket. The record remembers the state list it is
// in (TrainRec.StateList), and every unlink goes by that, never by the state
// flags alone, so no list keeps a train that left it. The count always equals
// the number of trains in the list.
//
// The stop, stop-sound and reverse-wait lists are count-down lists: ordered
// by remaining wait, the head holding its own wait in whole seconds and every
// later train the difference to its predecessor.
//
// The stepping of the lists each tick and second, the retries and the sounds
// of departing trains come with the simulation; the list operations here are
// the ones it builds on. Plain state on the main thread.
#pragma once
#include "operation/trn.h"
#include "platform/types.h"

// The state lists; TrainRec.StateList.
enum TrnStateList : u32 {
  TRN_LIST_NONE = 0,
  TRN_LIST_MOVING = 1,
  TRN_LIST_OFF_TRACK = 2,
  TRN_LIST_HELD = 3,
  TRN_LIST_STOP = 4,
  TRN_LIST_STOP_SOUND = 5,
  TRN_LIST_REVERSE_WAIT = 6,
  TRN_LIST_RETRY = 10,  // 10 + retry index 0..9
  TRN_LIST_RETRY_LAST = 19
};
enum { TRN_RETRY_LISTS = 10, TRN_MARKER_BUCKETS = 256 };

// ---------------------------------------------------------------- all trains
u32 Trn_GetCount(void);
TrainRec* TrnList_GetFirst(void);
// <0 line a sorts before line b, 0 the same line, >0 after: line-table order;
// lines not in the table after all others, by id.
int TrnList_CompareLines(u32 a, u32 b);
// Walks the sorted list; returns the train after which a train of line and
// number is inserted (null: at the head). When a train of that line has that
// number, or number is 0 and the line has a train, *exists = 1 and that train
// is returned; else *exists = 0. exists may be null.
TrainRec* TrnList_FindSorted(u32 line, i32 number, int* exists);
// Links the train after prev (null: at the head) and counts it.
void TrnList_LinkAfter(TrainRec* prev, TrainRec* train);
// Inserts at the place TrnList_FindSorted gives; 1 (nothing inserted) when a
// train with the same line and number exists, else 0.
int TrnList_InsertSorted(TrainRec* train);
// TrnList_InsertSorted, then TrnList_EnterStateList; 1 when refused.
int TrnList_Insert(TrainRec* train);
// Unlinks from the sorted list and uncounts; nothing when not in it.
void TrnList_UnlinkSorted(TrainRec* train);
// Unlinks from the sorted list, the marker bucket and the state list.
void TrnList_Remove(TrainRec* train);
// Sorts the list stably by line order and number.
void TrnList_SortAll(void);

// ---------------------------------------------------------------- state lists
// The list the state flags select: paused or set aside none; then 0x2
// off-track, 0x8 held, 0x10000 stop-sound, 0x4 stop, 0x20000 reverse-wait,
// 0x1000 or 0x2000 a retry list (TRN_LIST_RETRY as a class), else moving.
u32 TrnList_ListForFlags(u32 flags);
// Puts the train into the list its flags select (a count-down list by its
// WaitLeft) without touching its marker.
void TrnList_LinkState(TrainRec* train);
// TrnList_LinkState, then, unless 0x2 or 0x1000 is set, a new marker code.
void TrnList_EnterStateList(TrainRec* train);
// Takes the train out of the state list it is in (a count-down list gives
// its delta to its successor and leaves the remaining wait in WaitLeft; a
// retry list keeps the train's blocked or depot-wait bits).
void TrnList_UnlinkState(TrainRec* train);
// The first train of a state list (TrnStateList value); null when empty.
TrainRec* TrnList_StateHead(u32 list);

void TrnList_PushMoving(TrainRec* train);
void TrnList_AppendMoving(TrainRec* train);
void TrnList_PushOffTrack(TrainRec* train);
void TrnList_PushHeld(TrainRec* train);
// Count-down lists: the train's WaitLeft holds its full wait.
void TrnList_AddStop(TrainRec* train);
void TrnList_AddReverseWait(TrainRec* train);
void TrnList_AddStopSoundWait(TrainRec* train);
// Stop-sound entry: with a stop sound of some duration the train waits for
// it in the stop-sound list, else it moves on.
void TrnList_AddStopSound(TrainRec* train);
// Appends the train at the tail of the next retry list (round-robin).
void TrnList_AddRetry(TrainRec* train);
// Unlinks from the named list; nothing when the train is not in it.
void TrnList_UnlinkMoving(TrainRec* train);
void TrnList_UnlinkOffTrack(TrainRec* train);
void TrnList_UnlinkHeld(TrainRec* train);
void TrnList_UnlinkStop(TrainRec* train);
void TrnList_UnlinkReverseWait(TrainRec* train);
void TrnList_UnlinkStopSound(TrainRec* train);
void TrnList_UnlinkRetry(TrainRec* train);

// Remaining wait: the sum of the deltas up to and including the train; 0 when
// the train is not in that list.
i32 TrnList_StopRemaining(const TrainRec* train);
i32 TrnList_ReverseWaitRemaining(const TrainRec* train);
i32 TrnList_StopSoundRemaining(const TrainRec* train);

// End moves of the waits: the flag is cleared, the train unlinked and passed
// on (stop and held: stop-sound entry; stop sound and reverse wait: moving).
void Trn_EndStop(TrainRec* train);
void Trn_EndStopSound(TrainRec* train);
void Trn_EndReverseWait(TrainRec* train);
void Trn_ReleaseHeld(TrainRec* train, int release);

// ---------------------------------------------------------------- markers
// Gives the train the next marker code (0xBF01 first after a reset, 0xBF00
// the 256th) and pushes it on that bucket; a train already in a bucket leaves
// it first.
void TrnList_AssignMarker(TrainRec* train);
// Takes the train out of its marker bucket; nothing when it is in none.
void TrnList_UnlinkMarker(TrainRec* train);
// The first train of bucket k (0..255); null when empty or out of range.
TrainRec* TrnList_Bucket(u32 k);

// ---------------------------------------------------------------- life
// Frees every train record, count 0, every list and bucket empty, the marker
// and retry counters back to their start.
void TrnList_FreeAll(void);

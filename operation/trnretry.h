// Serving the state lists in simulated time: the per-second step of the three
// count-down lists (stop, stop sound, reverse wait) and the retry of the ten
// retry lists, one list every tenth tick, so that every blocked or
// depot-waiting train is tried again once per simulated second.
//
// Owns no lists (operation/trnlist does); every walk here reads the next link
// before it handles a train, since the handling may move the train to
// another list. Main thread only.
#pragma once
#include "operation/trn.h"
#include "platform/types.h"

// From the head, every train whose delta is 0 ends its wait; the first train
// with a delta above 0 has it lowered by one.
void TrnList_StepStopList(void);
void TrnList_StepStopSoundList(void);
void TrnList_StepReverseWaitList(void);
// Tries every train of retry list phase (0..9) to enter its next cell; a
// train whose entry succeeds leaves the list. Nothing for a phase out of range.
void Trn_ServeRetryList(i32 phase);
// Releases the held train whose head cell is x, y, level (the timetable point
// there is not released); 0 done, 1 no such train.
int Trn_ReleaseHeldAt(i32 x, i32 y, i32 level);

// Train stepping and speed control: every tick each moving train's speed
// moves one step toward its target, its step interval follows the speed and
// its step countdown runs down; when it runs out the train takes one
// sub-step (into the next cell, or on inside its head cell).
//
// Owns no records; works on the moving list of operation/trnlist and the
// speed fields of TrainRec. A cell is crossed in 8 sub-steps (the entry and
// seven more); a sub-step takes StepInterval / 10 ticks after a straight
// cell and StepInterval / 7 after a diagonal one (StepDecrement 10 or 7), so
// a diagonal cell takes 10/7 the time.
//
// Promises: the loop allocates nothing and divides only when a speed
// changed; at most one sub-step per train and tick; a train that has never
// had a speed above 0 (maximum speed 0, or an acceleration too small to give
// a step) stands still. Main thread only.
#pragma once
#include "operation/trn.h"
#include "platform/types.h"

// Steps every train of the moving list.
void Trn_StepAll(void);
// Steps the list that starts at first (linked through NextInState); the link
// to the next train is read before a train is handled.
void Trn_StepTrain(TrainRec* first);
// Target speed = the smallest of the maximum speed and of the speed caps A,
// B, C that are not 0; marks the followed train moved.
void Trn_UpdateTargetSpeed(TrainRec* t);
// Ticks x 10 of one sub-step at speed (metres per hour): TickConstant /
// speed, at least 1; 0 for speed 0.
u32 Trn_StepIntervalFor(u32 speed);

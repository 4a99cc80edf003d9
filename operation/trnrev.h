// Reversing, splitting and joining trains.
//
// The operations come with the reversing and coupling issue; until then a
// reverse leaves the train as it is and every split and join is refused.
#pragma once
#include "platform/types.h"

struct TrainRec;

// Turns the train round (mode 1: at a buffer stop); 0 done, else refused.
int Trn_Reverse(TrainRec* t, int mode);
// Joins the train to other at its head (head 1) or tail (0); 0 joined, 2, 3,
// 4, 8..10 and others refusals.
int Trn_Join(TrainRec* t, TrainRec* other, int head);
// Splits the train at a vehicle position; 0 split, else a refusal code.
int Trn_Split(TrainRec* t, i32 position, u32 option1, u32 option2, u32 option3);

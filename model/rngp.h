// Shunting points: objects at cells where trains are split.
//
// Owns the shunting point store. Records, the section "RNGP" and the
// clipboard block come with the shunting-point issue; until then the store
// is empty and every operation answers as for a cell without a point.
#pragma once
#include "platform/types.h"

struct TrainRec;

struct ShuntPoint {
  ShuntPoint* Next;
  ShuntPoint* BucketNext;
  i32 X, Y, Level;
  u32 Flags;
  u32 DirMask;
};

u32 Rp_Count(void);
// The decision for a train: 0 not taken (also without a point), 65535 wait,
// else the split position.
u32 Rp_ForTrain(TrainRec* t, i32 x, i32 y, i32 level, u32 dirMask);

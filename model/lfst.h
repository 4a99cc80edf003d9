// LFST points: objects at LFST element cells that give a passing train a
// speed value chosen by its category and type.
//
// Owns the LFST point store. Records, the section "LFST" and the clipboard
// block come with the LFST issue; until then the store is empty and every
// operation answers as for a cell without a point.
#pragma once
#include "platform/types.h"

struct LfstPoint {
  LfstPoint* Next;
  LfstPoint* BucketNext;
  i32 X, Y, Level;
  u32 Flags;
  u32 DirMask;
  u32 Values[3][10];
};

u32 Lfst_Count(void);
// The value for the train: above 0 a speed cap, 0 clears the cap, negative
// (also without a point) changes nothing.
i32 Lfst_ValueForTrain(i32 x, i32 y, i32 level, u32 dirMask, u32 flags, i32 number, u32 line, u32 category,
                       u32 type);

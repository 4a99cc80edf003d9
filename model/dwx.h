// Dwx points: objects at cells that change the data of a passing train
// (current line, type, category, stop times, number, timetables, speeds...)
// when its rule matches.
//
// Owns the Dwx point store. Records, the section "DWXP" and the clipboard
// block come with the Dwx issue; until then the store is empty and every
// operation answers as for a cell without a point.
#pragma once
#include "platform/types.h"

struct DwxPoint {
  DwxPoint* Next;
  DwxPoint* BucketNext;
  i32 X, Y, Level;
  u32 DirMask;
  u32 Flags;
  i32 WordCount;
  u32* Words;
};

u32 Dwx_Count(void);
// 1 no point; 2 the point does not apply; 0 it applies (outputs filled).
int Dwx_MatchTrain(i32 x, i32 y, i32 level, u32 directionBits);

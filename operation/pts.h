// Turnout controllers: the branch-choice rules at turnout cells (a single
// controller, or up to four part controllers of a combined piece, one per
// entry connector).
//
// Owns the controller store. Kinds, choice rules, the file section and the
// clipboard block come with the turnout-controller issue; until then the
// store is empty and every operation answers as for a cell without one.
#pragma once
#include "platform/types.h"

struct TurnoutController {
  TurnoutController* Next;
  TurnoutController* BucketNext;
  i32 X, Y, Level;
  u32 Id;    // 1..0x3FFFF
  u32 Kind;  // 1..4, 11, 12, 14, 15, 21..23
  u32 EntryDir;
  u32 Exit1, Exit2, Exit3;
  u32 Options;
};

struct TrainRec;

u32 Pts_Count(void);
// The exit connector word of the branch the single controller at the cell
// chooses for the train, its facing cap in *cap; 32768 (wait quietly) and
// 0x10000 (wait) for the two waiting answers; 0 without a controller.
u32 Pts_ChooseExit(TrainRec* t, i32 x, i32 y, i32 level, u32* cap);
// The same for the part controller of the entering connector.
u32 Pts_ChooseExitPart(TrainRec* t, i32 x, i32 y, i32 level, u32 entry, u32* cap);
// The trailing speed cap of the branch a train comes in through; 0 none.
u32 Pts_ExitForDirection(i32 x, i32 y, i32 level, u32 direction);

#include "operation/pts.h"

static TurnoutController* s_first;
static u32 s_count;

u32 Pts_Count(void) { return s_first ? s_count : 0; }

u32 Pts_ChooseExit(TrainRec*, i32, i32, i32, u32* cap) {
  if (cap) *cap = 0;
  return 0;
}

u32 Pts_ChooseExitPart(TrainRec*, i32, i32, i32, u32, u32* cap) {
  if (cap) *cap = 0;
  return 0;
}

u32 Pts_ExitForDirection(i32, i32, i32, u32) { return 0; }

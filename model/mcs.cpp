#include "model/mcs.h"

static McsPlaced* s_first;
static u32 s_count;

u32 Mcs_Count(void) { return s_first ? s_count : 0; }

int Mcs_AnimationOn(void) { return 0; }

int Mcs_GetInfo(i32 x, i32 y, i32 level, i32* part, u32 code) {
  (void)code;
  for (const McsPlaced* p = s_first; p; p = p->Next)
    if (p->X == x && p->Y == y && p->Level == level) {
      if (part) *part = 0;
      return 1;
    }
  return 0;
}

void Mcs_RemoveAt(i32, i32, i32) {}

int Mcs_FollowTrain(i32, i32, i32, i32, i32, i32) { return 0; }

#include "model/tp.h"

static TimetablePoint* s_first;
static u32 s_count;

u32 Tp_Count(void) { return s_first ? s_count : 0; }

i32 Tp_IdAtCell(i32, i32, i32) { return -1; }

int Tp_GetDetails(i32, i32, i32, u32* slot, int, u32, i32* extra, i32* speed) {
  if (slot) *slot = 0;
  if (extra) *extra = -1;
  if (speed) *speed = -1;
  return 1;
}

int Tp_ReleaseAtCell(i32, i32, i32) { return 1; }

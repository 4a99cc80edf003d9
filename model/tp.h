// Timetable points: named points of one to eight cells that hold, release
// and queue trains by their timetables.
//
// Owns the timetable point store (one list sorted by name). Records, the
// section "TKTP", the train operations and the clock step come with the
// timetable-point issue; until then the store is empty and every operation
// answers as for a cell without a point.
#pragma once
#include "platform/types.h"

struct TimetablePoint {
  TimetablePoint* Next;
  u32 Id;  // 1..20000
  wch Name[17];
  u32 CellCount;
  i32 X[8], Y[8], Level[8];
  u32 Flags;
};

u32 Tp_Count(void);
// The id of the point at the cell, -1 none.
i32 Tp_IdAtCell(i32 x, i32 y, i32 level);
// The point's answer 0..6 for a train; 1 without a point.
int Tp_GetDetails(i32 x, i32 y, i32 level, u32* slot, int testOnly, u32 dirMask, i32* extra, i32* speed);
// 1 none, 2 no occupant, 0 released.
int Tp_ReleaseAtCell(i32 x, i32 y, i32 level);

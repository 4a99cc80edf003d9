// Multi-cell symbols: placed animated symbols, and the short animations that
// follow trains.
//
// Owns the placed-object store. Definitions, placing and animation come with
// the multi-cell symbol issue; until then nothing is placed and animation is
// off.
#pragma once
#include "platform/types.h"

struct McsPlaced {
  McsPlaced* Next;
  i32 X, Y, Level;
  u32 Definition;
  u32 Step, Counter, Duration;
};

u32 Mcs_Count(void);
// 1 while animated symbols are on (animation option bit 4).
int Mcs_AnimationOn(void);
// 1 when a placed symbol covers the cell, with the part of its picture the
// cell shows in *part (may be null); 0 when none. code: the cell's code.
// Without definitions a placed symbol covers only its own cell, which shows
// its first part.
int Mcs_GetInfo(i32 x, i32 y, i32 level, i32* part, u32 code);
// Removes the object at the cell, if any.
void Mcs_RemoveAt(i32 x, i32 y, i32 level);
// Moves the object at the old cell (old x -1: none) to the new cell; 1 no
// memory, else 0.
int Mcs_FollowTrain(i32 oldX, i32 oldY, i32 oldLevel, i32 newLevel, i32 newY, i32 newX);

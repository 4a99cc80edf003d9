// The ramp walk of the after-load level pass: from a ramp piece on level 0
// along its direction to the ramp's other end, the way a train would read
// the cells (the code saved under a train where a marker stands).
//
// Owns nothing; reads the grid and the trains. Main thread only.
#pragma once
#include "platform/types.h"

// Ramp-group pieces (a ramp leading one level down): 1 for shapes
// 216..255, 2 for 208..210, else 0; codes above 32767 are none.
int Trn_RampDownClass(u32 code);
// The partner of a ramp-group piece one level below: its low nine bits
// become 184 | ((code & 7) ^ 1) for class 1, 184 | 1 for class 2; 0xC000
// for any other code.
u32 Trn_RampPartnerCode(u32 code);
// Walks from the level-0 cell (*x, *y) in direction dirCode (a
// DirectionCode bit). On return *x, *y hold the cell reached and
// *distance the number of steps. 0 the other end (a ramp top) found; 1
// found, with a train, a reservation or bit 14 on the way; 11 the start is
// no ramp piece; 12 the walk left the grid; 21 another ramp down came
// first.
int Trn_FindRampAlong(i32* x, i32* y, i32* distance, u32 dirCode);

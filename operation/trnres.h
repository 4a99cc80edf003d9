// Path reservation ahead of trains: the cells a train reserves in front of
// itself (bit 14 of their track codes) before it passes turnouts.
//
// Owns the reservation walk. The walk, its release and the owner search come
// with the path-reservation issue; until then a train reserves nothing and
// its reservation requests succeed, and no cell has an owner.
#pragma once
#include "platform/types.h"

struct TrainRec;

// 1 when the train may go on (the path ahead is reserved), 0 when not.
int Trn_Reserve(TrainRec* t, int mode);
// Gives the train's reservation back.
void Trn_Unreserve(TrainRec* t);
// The train whose reservation covers the cell (and, unless x2 is -1, also
// the second cell); null none.
TrainRec* Trn_ReservationOwner(i32 x, i32 y, i32 z, i32 x2, i32 y2, i32 z2);

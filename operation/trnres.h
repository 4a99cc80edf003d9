// Path reservation ahead of trains: before a train runs onto a turnout
// without a controller of its own, it marks the track ahead (bit 14 of the
// track codes) up to one train length beyond the last such turnout or to the
// next point where the route is decided again; no other train enters a
// marked cell.
//
// Owns the reservation walk and the marks it writes. A train holding a
// reservation carries TRN_RESERVED and ReservedCells, the number of marked
// cells ahead of its head; the marks themselves live in the grid.
//
// Promises: a refused reservation leaves nothing marked; giving a
// reservation back clears exactly the marks of that train (it stops at the
// first unmarked cell) and forgets the branches that the reservation recorded
// at controlled turnouts. The end of a reservation is never written into a
// cell code: the train file keeps ReservedCells, so no class bit of a code
// is taken for an end mark. Main thread only.
#pragma once
#include "platform/types.h"

struct TrainRec;

// The train reserves its path ahead: 1 it may go on (reserved, nothing to
// reserve, or the path ends at a train it may be coupled to), 0 it waits.
// bufferStop 1 lets the path end at a buffer stop.
int Trn_Reserve(TrainRec* t, int bufferStop);
// Marks n cells ahead of the head: 1 done, 0 a cell could not be marked
// (cells marked so far stay marked; the caller gives them back).
int Trn_MarkReservation(TrainRec* t, u32 n);
// Clears the mark of up to n cells ahead, stopping at the first unmarked one.
void Trn_Unreserve(TrainRec* t, u32 n);
// The same for n cells after the first skip marked cells (a train of an old
// file whose reservation reached beyond its old target).
void Trn_UnreserveBeyond(TrainRec* t, u32 skip, u32 n);
// For a train with TRN_RESERVED: its ReservedCells given back, the flag and
// the count cleared.
void Trn_DropReservation(TrainRec* t);
// The train whose reservation covers the cell (x2 -1), or both cells; null.
TrainRec* Trn_ReservationOwner(i32 x, i32 y, i32 z, i32 x2, i32 y2, i32 z2);
TrainRec* Trn_PathQueryAt(i32 x, i32 y, i32 z);
// The train's head and reserved cells against a box (two corners in any
// order): 0 all inside, 2 some inside and some outside, 1 none inside.
int Trn_ReservationVsBox(TrainRec* t, i32 x1, i32 y1, i32 z1, i32 x2, i32 y2, i32 z2);
// Drops every reservation that the box cuts (answer 2), and with all also
// those that lie wholly inside it; 1 when any was dropped.
int Trn_ReleaseCutReservations(i32 x1, i32 y1, i32 z1, i32 x2, i32 y2, i32 z2, int all);
// After a load: counts the train's marked cells ahead again, at most its
// ReservedCells from the file when that is above 0. An end mark of a file
// before 14162 is turned back into a plain mark; in later files bit 13 is
// only taken for an end mark where the code would otherwise give the train
// no way on. A count of 0 clears TRN_RESERVED.
void Trn_RecountReservation(TrainRec* t);
// Trn_RecountReservation for every train holding a reservation.
void TrnList_RefreshReservations(void);

#include "operation/trnres.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/tp.h"
#include "operation/dmsg.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/tracktab.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnmove.h"
#include "operation/trnquery.h"
#include "platform/tim.h"

enum : u32 {
  RES_WALK_MAX = 10000,  // cells of one search before it counts as an overrun
  RES_OVERRUN_TRIES = 100
};

// Where the walk stands and how it goes on: the cell, its code (without the
// mark), the class and direction the lookup gave, and the controller's
// answer at controlled turnouts (its high byte 4: the answer may change).
struct ResWalk {
  i32 x, y, z;
  i32 dx, dy, dz;
  u32 code;  // as read, with the mark
  int cls;
  int dir;
  int mayChange;
};

// Outcomes of one step besides a way on.
enum ResStep {
  RES_STEP_OK,
  RES_STEP_MARKER,       // a train's marker
  RES_STEP_RESERVED,     // a track code with the mark (only when the walk does not follow marks)
  RES_STEP_RAMP_LEVEL,   // a ramp out of the lowest or highest level
  RES_STEP_RAMP_TOP,     // a ramp bottom whose top does not continue
  RES_STEP_RAMP_TRAIN,   // the same, with a train on the upper cell
  RES_STEP_RAMP_BOTTOM,  // a ramp start without its bottom below
};

static void Res_Start(const TrainRec* t, ResWalk* w) {
  const TrainCell& h = Trn_Cells(t)[0];
  w->x = h.X;
  w->y = h.Y;
  w->z = h.Level;
  w->dx = t->DirX;
  w->dy = t->DirY;
  w->dz = t->DirZ;
  w->code = CELL_EMPTY;
  w->cls = 0;
  w->dir = 0;
  w->mayChange = 0;
}

// One step of the walk: onto the next cell, its code read and looked up
// with the train's track kind, ramps followed, controlled turnouts asked for
// their look-ahead branch (record: a kind 21..23 controller keeps it for the
// train). The direction changes only with RES_STEP_OK and a way on.
static ResStep Res_Step(TrainRec* t, ResWalk* w, int followMarks, int record) {
  w->x += w->dx;
  w->y += w->dy;
  if (w->dz == -1) {
    w->z -= 1;
    w->dz = 0;
  }
  w->cls = 0;
  w->dir = 0;
  w->mayChange = 0;
  w->code = Grid_GetCellChecked(w->x, w->y, w->z);
  if (Cell_IsTrainMarker(w->code)) return RES_STEP_MARKER;
  u32 code = w->code;
  if (Cell_IsReserved(code)) {
    if (!followMarks) return RES_STEP_RESERVED;
    code = Cell_WithoutMark(code);
  }
  int cls = 0;
  int dir = Trn_TrackConnection(w->dx, w->dy, code, &cls, t->PathOption);
  if (cls == TRK_CLASS_RAMP_BOTTOM) {
    if (w->z >= 0) return RES_STEP_RAMP_LEVEL;
    const u32 up = Grid_GetCellChecked(w->x, w->y, w->z + 1);
    if (Cell_IsTrainMarker(up)) return RES_STEP_RAMP_TRAIN;
    int k = 0;
    const u32 upCode = Cell_Normalised(up);
    const int d = Trn_TrackConnection(w->dx, w->dy, upCode, &k, t->PathOption);
    if (k != TRK_CLASS_RAMP_TOP || d != 1) return RES_STEP_RAMP_TOP;
    w->z += 1;
    w->code = up;
    cls = 0;
    dir = 1;
  } else if (cls == TRK_CLASS_RAMP_DOWN) {
    if (w->z < -3) return RES_STEP_RAMP_LEVEL;
    int k = 0;
    const int d = Trn_TrackConnection(-w->dx, -w->dy, Grid_GetCellNorm(w->x, w->y, w->z - 1), &k, t->PathOption);
    if (k != TRK_CLASS_RAMP_BOTTOM || d != 1) return RES_STEP_RAMP_BOTTOM;
    w->dz = -1;
  } else if (cls == TRK_CLASS_RAMP_TOP) {
    dir = 0;
  } else if (cls == TRK_CLASS_CONTROLLED || cls == TRK_CLASS_CONTROLLED_LEVEL) {
    const u32 word = cls == TRK_CLASS_CONTROLLED
                         ? Pts_PeekExit(t, w->x, w->y, w->z, record)
                         : Pts_PeekExitPart(t, w->x, w->y, w->z, record, Trn_DirectionCode(w->dx, w->dy));
    const int r = Trn_ConnectorToDirection(word);
    dir = r < 0 ? 0 : r & 0xFF;
    w->mayChange = r >= 0 && (r >> 8) == 4;
  }
  w->cls = cls;
  w->dir = dir;
  if (dir >= DIRIDX_N) {
    int ndx = 0, ndy = 0;
    Trk_DirStep(dir, &ndx, &ndy);
    w->dx = ndx;
    w->dy = ndy;
  }
  return RES_STEP_OK;
}

// The diagonal crossing test of train movement for a step of the walk,
// which may run in another direction than the train.
static int Res_DiagonalBlocked(TrainRec* t, i32 fx, i32 fy, i32 fz, i32 dx, i32 dy, const ResWalk& w) {
  if (!dx || !dy || fz != w.z) return 0;
  TrainCell from = {}, to = {};
  from.X = fx, from.Y = fy, from.Level = fz;
  to.X = w.x, to.Y = w.y, to.Level = w.z;
  const i32 ox = t->DirX, oy = t->DirY, oz = t->DirZ;
  t->DirX = dx, t->DirY = dy, t->DirZ = 0;
  const int blocked = Trn_DiagonalBlocked(t, &from, &to);
  t->DirX = ox, t->DirY = oy, t->DirZ = oz;
  return blocked;
}

static void Res_Post(const TrainRec* t, u32 kind, const ResWalk& w) {
  Dmsg_Post(kind, w.x, w.y, w.z, 0, t->Number, t->CurLine, t->Line);
}

// The walk met another train at the cell: 1 when the path may end there,
// because that train may be coupled to and this one would run onto its head
// or its tail.
static int Res_MeetsCouplable(TrainRec* t, const ResWalk& w, i32 dx, i32 dy) {
  u32 slot = 0;
  TrainRec* o = Trn_FindAtCell(w.x, w.y, w.z, &slot, u16(w.code));
  if (!o || !(o->StateFlags & TRN_SET_ASIDE)) return 0;
  const TrainCell* oc = Trn_Cells(o);
  const u32 last = o->LastCell;
  if (slot == 0 && o->DirX == -dx && o->DirY == -dy) return 1;
  if (last >= 1 && slot == last - 1 && oc[last].SavedCode == TRN_NO_CODE && oc[slot].X - oc[last].X == dx &&
      oc[slot].Y - oc[last].Y == dy)
    return 1;
  return slot == last && oc[last].SavedCode != TRN_NO_CODE;
}

// The walk stopped short of the cell (a reserved cell, a ramp it may not
// take): posts what a ramp calls for. 1 when the step refuses the path.
static int Res_StepRefuses(const TrainRec* t, ResStep s, const ResWalk& w) {
  switch (s) {
    case RES_STEP_RESERVED:
    case RES_STEP_RAMP_TRAIN:
      return 1;
    case RES_STEP_RAMP_LEVEL:
      Res_Post(t, TRN_MSG_RAMP_OFF_LEVELS, w);
      return 1;
    case RES_STEP_RAMP_TOP:
      Res_Post(t, TRN_MSG_RAMP_NO_TOP, w);
      return 1;
    case RES_STEP_RAMP_BOTTOM:
      Res_Post(t, TRN_MSG_RAMP_NO_BOTTOM, w);
      return 1;
    default:
      return 0;
  }
}

// What the element of the cell just entered does to the path; 0 refuses it.
// Behind a turnout, and behind a controlled element of class 5 whose answer
// cannot change, the train's length is counted again (*k = -1); where the path
// may end it ends after this cell (*k = RES_WALK_MAX), at a shunting point with
// *shunt set.
static int Res_ElementAllows(TrainRec* t, const ResWalk& w, i32 fdx, i32 fdy, int bufferStop, i32* k, int* shunt) {
  switch (w.cls) {
    case TRK_CLASS_TURNOUT1:
    case TRK_CLASS_TURNOUT2:
    case TRK_CLASS_TURNOUT3:
      *k = -1;
      break;
    case TRK_CLASS_CONTROLLED:
    case TRK_CLASS_CONTROLLED_LEVEL:
      if (w.mayChange) {
        if (w.dir == 0) return 0;
        *k = RES_WALK_MAX;
      } else if (w.cls == TRK_CLASS_CONTROLLED_LEVEL) {
        *k = -1;
      }
      break;
    case TRK_CLASS_TP:
    case TRK_CLASS_TP_REVERSE: {
      u32 tpSlot = 0;
      i32 extra = -1, speed = -1;
      if (Tp_GetDetails(w.x, w.y, w.z, &tpSlot, 1, Trn_DirectionCode(fdx, fdy), &extra, &speed, t->CurLine,
                        u32(t->Number)) != 1)
        *k = RES_WALK_MAX;
      break;
    }
    case TRK_CLASS_SIGNAL:
    case TRK_CLASS_DEPOT:
    case TRK_CLASS_SIGNAL24:
      *k = RES_WALK_MAX;
      break;
    case TRK_CLASS_BUFFER:
      if (!bufferStop) return 0;
      break;
    case TRK_CLASS_SHUNT:
      *k = RES_WALK_MAX;
      *shunt = 1;
      break;
    case TRK_CLASS_SIGNAL21: {
      i32 extra = -1;
      const int r = Sig_TestElementForTrain(w.x, w.y, w.z, &extra, Trn_OriginPlace(t), t->Number, t->CurLine);
      if (r != 1 && r != 2) return 0;
      *k = RES_WALK_MAX;
      break;
    }
    case TRK_CLASS_PLAIN:
    case TRK_CLASS_STOP:
    case TRK_CLASS_STOP_REVERSE:
    case TRK_CLASS_MARKED:
    case TRK_CLASS_SOUND:
    case TRK_CLASS_LFST:
    case TRK_CLASS_DWX:
    case TRK_CLASS_SIGNAL22:
    case TRK_CLASS_SIGNAL23:
    case TRK_CLASS_RAMP_DOWN:
    case TRK_CLASS_RAMP_TOP:
      break;
    default:
      return 0;
  }
  return 1;
}

int Trn_Reserve(TrainRec* t, int bufferStop) {
  ResWalk w;
  Res_Start(t, &w);
  i32 k = 0;
  u32 n = 0;
  while (k < i32(t->LastCell)) {
    const i32 fx = w.x, fy = w.y, fz = w.z, fdx = w.dx, fdy = w.dy;
    const ResStep s = Res_Step(t, &w, 0, 0);
    if (s == RES_STEP_MARKER) {
      u32 slot = 0;
      // The train's own tail ahead (a loop shorter than the path): the path
      // ends before it; the train can never be in its own way.
      if (Trn_FindAtCell(w.x, w.y, w.z, &slot, u16(w.code)) == t) break;
      return Res_MeetsCouplable(t, w, fdx, fdy);
    }
    if (Res_StepRefuses(t, s, w)) return 0;
    if (Res_DiagonalBlocked(t, fx, fy, fz, fdx, fdy, w)) return 0;
    int shunt = 0;
    if (!Res_ElementAllows(t, w, fdx, fdy, bufferStop, &k, &shunt)) return 0;
    if (w.dir == 0) {
      Res_Post(t, TRN_MSG_NO_WAY, w);
      return 0;
    }
    ++k;
    ++n;
    if (shunt) {
      --n;
      break;
    }
    if (n > RES_WALK_MAX) {
      if (t->WaitTicks < RES_OVERRUN_TRIES) {
        t->WaitTicks++;
      } else {
        Res_Post(t, TRN_MSG_RESERVE_CONFLICT, w);
        t->WaitTicks = 0;
      }
      return 0;
    }
  }
  if (n < 2) return 1;
  if (!Trn_MarkReservation(t, n)) {
    Trn_Unreserve(t, n);
    return 0;
  }
  t->StateFlags |= TRN_RESERVED;
  t->ReservedCells = n;
  return 1;
}

static int Res_EndsMarking(int cls) {
  return cls == TRK_CLASS_SIGNAL || cls == TRK_CLASS_DEPOT || cls == TRK_CLASS_SHUNT || cls == TRK_CLASS_SIGNAL21 ||
         cls == TRK_CLASS_SIGNAL24;
}

int Trn_MarkReservation(TrainRec* t, u32 n) {
  ResWalk w;
  Res_Start(t, &w);
  for (u32 i = 0; i < n; ++i) {
    if (Res_Step(t, &w, 0, i + 1 < n) != RES_STEP_OK) return 0;
    if (!Cell_IsElement(w.code) || w.cls > TRK_CLASS_SIGNAL24) return 0;
    if (!Grid_SetCell(w.x, w.y, w.z, CellCode(w.code | CELL_RESERVED_BIT))) return 0;
    Grid_RedrawCell(w.x, w.y, w.z, GRID_REDRAW_SCHEMATIC);
    if (Res_EndsMarking(w.cls)) return 1;
    if (w.dir == 0) return 0;
  }
  return 1;
}

void Trn_UnreserveBeyond(TrainRec* t, u32 skip, u32 n) {
  ResWalk w;
  Res_Start(t, &w);
  for (u32 i = 0; i < skip + n; ++i) {
    if (Res_Step(t, &w, 1, 0) != RES_STEP_OK) return;
    if (!Cell_IsReserved(w.code)) return;
    if (i < skip) {
      if (w.dir == 0) return;
      continue;
    }
    Grid_SetCell(w.x, w.y, w.z, CellCode(Cell_WithoutMark(w.code)));
    Grid_RedrawCell(w.x, w.y, w.z, GRID_REDRAW_SCHEMATIC);
    // A branch the reservation recorded would send the next train that
    // passes the way this train was to go.
    if (w.cls == TRK_CLASS_CONTROLLED || w.cls == TRK_CLASS_CONTROLLED_LEVEL) Pts_ClearRecordedBranch(w.x, w.y, w.z);
    if (w.dir == 0) return;
  }
}

void Trn_Unreserve(TrainRec* t, u32 n) { Trn_UnreserveBeyond(t, 0, n); }

void Trn_DropReservation(TrainRec* t) {
  if (!(t->StateFlags & TRN_RESERVED)) return;
  Trn_Unreserve(t, t->ReservedCells);
  t->StateFlags &= ~TRN_RESERVED;
  t->ReservedCells = 0;
}

// Walks the marked cells of a train's reservation, calling visit for each
// until it answers 1; 1 then, 0 when the walk ended.
template <typename Visit>
static int Res_WalkMarked(TrainRec* t, Visit visit) {
  ResWalk w;
  Res_Start(t, &w);
  for (u32 i = 0; i < t->ReservedCells; ++i) {
    if (Res_Step(t, &w, 1, 0) != RES_STEP_OK) return 0;
    if (!Cell_IsReserved(w.code)) return 0;
    if (visit(w)) return 1;
    if (w.dir == 0) return 0;
  }
  return 0;
}

TrainRec* Trn_ReservationOwner(i32 x, i32 y, i32 z, i32 x2, i32 y2, i32 z2) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (!(t->StateFlags & TRN_RESERVED) || (t->StateFlags & TRN_OFF_TRACK)) continue;
    int first = 0, second = x2 == -1;
    const int found = Res_WalkMarked(t, [&](const ResWalk& w) {
      if (w.x == x && w.y == y && w.z == z) first = 1;
      if (w.x == x2 && w.y == y2 && w.z == z2) second = 1;
      return first && second;
    });
    if (found) return t;
  }
  return nullptr;
}

TrainRec* Trn_PathQueryAt(i32 x, i32 y, i32 z) { return Trn_ReservationOwner(x, y, z, -1, 0, 0); }

int Trn_ReservationVsBox(TrainRec* t, i32 x1, i32 y1, i32 z1, i32 x2, i32 y2, i32 z2) {
  const i32 xl = x1 < x2 ? x1 : x2, xh = x1 < x2 ? x2 : x1;
  const i32 yl = y1 < y2 ? y1 : y2, yh = y1 < y2 ? y2 : y1;
  const i32 zl = z1 < z2 ? z1 : z2, zh = z1 < z2 ? z2 : z1;
  const TrainCell& h = Trn_Cells(t)[0];
  int in = 0, out = 0;
  (Geo_InBox3(h.X, h.Y, h.Level, zh, yh, xh, zl, yl, xl) ? in : out) = 1;
  int reservedIn = 0;
  Res_WalkMarked(t, [&](const ResWalk& w) {
    if (Geo_InBox3(w.x, w.y, w.z, zh, yh, xh, zl, yl, xl)) in = reservedIn = 1;
    else out = 1;
    return 0;
  });
  if (in && out) return reservedIn || Geo_InBox3(h.X, h.Y, h.Level, zh, yh, xh, zl, yl, xl) ? 2 : 1;
  return in ? 0 : 1;
}

int Trn_ReleaseCutReservations(i32 x1, i32 y1, i32 z1, i32 x2, i32 y2, i32 z2, int all) {
  int any = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (!(t->StateFlags & TRN_RESERVED)) continue;
    const int r = Trn_ReservationVsBox(t, x1, y1, z1, x2, y2, z2);
    if (r == 2 || (r == 0 && all)) {
      Trn_DropReservation(t);
      any = 1;
    }
  }
  return any;
}

// 1 when bit 13 of a marked code read from a file can only be the end mark
// of the reservation: the file predates codes with bit 13, or the code with
// it gives the train no way on where the code without it does.
static int Res_IsOldEndMark(TrainRec* t, const ResWalk& w, i32 dx, i32 dy) {
  const u32 code = Cell_WithoutMark(w.code);
  if (!(code & CELL_LAST_RESERVED_BIT)) return 0;
  // Files before the new track codes keep their track codes below 0x2000.
  if (LayoutFileVersion && LayoutFileVersion < LAYVER_ELAPSED) return 1;
  int k1 = 0, k2 = 0;
  return Trn_TrackConnection(dx, dy, code, &k1, t->PathOption) == 0 &&
         Trn_TrackConnection(dx, dy, code & ~u32(CELL_LAST_RESERVED_BIT), &k2, t->PathOption) != 0;
}

void Trn_RecountReservation(TrainRec* t) {
  if (!(t->StateFlags & TRN_RESERVED)) return;
  const u32 limit = t->ReservedCells ? t->ReservedCells : RES_WALK_MAX;
  ResWalk w;
  Res_Start(t, &w);
  u32 count = 0;
  while (count < limit) {
    const i32 dx = w.dx, dy = w.dy;
    if (Res_Step(t, &w, 1, 0) != RES_STEP_OK || !Cell_IsReserved(w.code)) break;
    if (Res_IsOldEndMark(t, w, dx, dy)) {
      Grid_SetCell(w.x, w.y, w.z, CellCode(w.code & ~u32(CELL_LAST_RESERVED_BIT)));
      ++count;
      break;
    }
    ++count;
    if (w.dir == 0) break;
  }
  t->ReservedCells = count;
  if (count == 0) t->StateFlags &= ~TRN_RESERVED;
}

void TrnList_RefreshReservations(void) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next)
    if (t->StateFlags & TRN_RESERVED) Trn_RecountReservation(t);
}

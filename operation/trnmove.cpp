#include "operation/trnmove.h"

#include <cstdlib>

#include "model/dep.h"
#include "model/dwx.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/lfst.h"
#include "model/line.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "model/prlb.h"
#include "model/rngp.h"
#include "model/tp.h"
#include "operation/dmsg.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/snd.h"
#include "operation/sndcat.h"
#include "operation/trnfollow.h"
#include "operation/trnsound.h"
#include "operation/tracktab.h"
#include "operation/trndepart.h"
#include "operation/trnlist.h"
#include "operation/trnquery.h"
#include "operation/trnres.h"
#include "operation/trnrev.h"
#include "operation/trnstep.h"
#include "platform/check.h"

enum : u32 { TRN_TURNED = 0x20, TRN_SIGNAL_NOTICE = 0x80 };

static void Trn_Post(const TrainRec* t, u32 kind, i32 x, i32 y, i32 level, u32 data) {
  Dmsg_Post(kind, x, y, level, data, t->Number, t->CurLine, t->Line);
}

static void Trn_CapA(TrainRec* t, u32 cap) {
  t->SpeedCapA = cap;
  Trn_UpdateTargetSpeed(t);
}

// ---------------------------------------------------------------- track lookups

int Trn_TrackKindCheck(u32 pathOption, u32 code) {
  if (!Cell_IsElement(code)) return 0;
  const u32 c = Cell_WithoutMark(code);
  if (pathOption & 2) return Cell_Class(c) == 7 ? 1 : 0;
  if ((pathOption & 1) && Cell_Class(c) < 6) return Cell_HasShapeIn(c, 472, 495) ? 2 : 1;
  if (pathOption & 4) {
    if (c >= 8192 && c <= 12799) return 3;
    if (c < 4096) return 4;
  }
  return 0;
}

int Trn_TrackConnection(i32 dx, i32 dy, u32 code, int* cls, u32 trackKind) {
  *cls = 0;
  if (!Cell_IsElement(code)) return 0;
  const u16 v = Trk_Connection(code, dx, dy);
  int dir = v & 0xFF, c = v >> 8;
  switch (Trn_TrackKindCheck(trackKind, code)) {
    case 1:
      break;
    case 2:
      if (c == TRK_CLASS_CONTROLLED) c = 0;
      else if (c == TRK_CLASS_TURNOUT3) c = 0, dir = 0;
      break;
    case 3:
      if (dir == 0 && c != TRK_CLASS_SIGNAL21 && c != TRK_CLASS_BUFFER) dir = 1, c = TRK_CLASS_TURNOUT1;
      break;
    case 4:
      if (dir == 0 && c != TRK_CLASS_SIGNAL21) dir = 1, c = TRK_CLASS_TURNOUT1;
      break;
    default:
      dir = 0, c = 0;
  }
  *cls = c;
  return dir;
}

int Trn_ConnectorToDirection(u32 word) {
  if (word & 0x10000) return -1;
  const int base = (word & 0x8000) ? TRN_BRANCH_MAY_CHANGE : 0;
  const u32 b = word & 0xFF;
  int idx = 0;
  if (b & 0x04) idx = 4;
  else if (b & 0x08) idx = 5;
  else if (b & 0x01) idx = 2;
  else if (b & 0x02) idx = 3;
  else if (b & 0x20) idx = 7;
  else if (b & 0x40) idx = 8;
  else if (b & 0x80) idx = 9;
  else if (b & 0x10) idx = 6;
  return base + idx;
}

u32 Trn_OriginPlace(const TrainRec* t) {
  return (t->StateFlags & TRN_IN_SERVICE) ? (u32(t->CurPlace) << 16 | t->CurDepot) : 0;
}

u32 Trn_CoveredCells(const TrainRec* t) {
  const i64 n = (i64(t->TailOffset) + t->SubCellOffset + 31) / 32;
  return n < 1 ? 1 : u32(n);
}

// ---------------------------------------------------------------- giving cells back

static void Trn_GiveBack(TrainCell& c) {
  if (c.SavedCode == TRN_NO_CODE) return;
  if (c.GridWord) *c.GridWord = CellCode(c.SavedCode);
  else Grid_SetCell(c.X, c.Y, c.Level, CellCode(c.SavedCode));
  if (Mcs_FollowsTrains()) Mcs_RemoveAt(c.X, c.Y, c.Level);
  Grid_RedrawCell(c.X, c.Y, c.Level, GRID_REDRAW_ALL);
  if (c.Y >= 1) Grid_RedrawCell(c.X, c.Y - 1, c.Level, GRID_REDRAW_PICTURE);
  c.SavedCode = TRN_NO_CODE;
}

// Every slot at or beyond the covered-cell count is no longer under the
// train. The plain rule (count equals LastCell: give the last slot back) only
// holds while LastCell fits TailOffset; a template or an old file may give
// more slots than the length needs, and those cells would keep the marker.
int Trn_ReleaseTail(TrainRec* t) {
  if (t->StateFlags & TRN_OFF_TRACK) return 0;
  TrainCell* c = Trn_Cells(t);
  const u32 covered = Trn_CoveredCells(t);
  int released = 0;
  for (u32 k = t->LastCell; k >= covered && k >= 1; --k) {
    if (c[k].SavedCode == TRN_NO_CODE) continue;
    Trn_GiveBack(c[k]);
    released = 1;
  }
  return released;
}

int Trn_CheckMarkers(const TrainRec* t) {
  if (t->StateFlags & TRN_OFF_TRACK) return 1;
  const TrainCell* c = Trn_Cells(t);
  for (u32 k = 0; k <= t->LastCell; ++k) {
    if (c[k].SavedCode == TRN_NO_CODE) continue;
    if (Cell_IsTrainMarker(c[k].SavedCode)) return 0;
    if (Grid_GetCellChecked(c[k].X, c[k].Y, c[k].Level) != t->MarkerCode) return 0;
    for (u32 j = 0; j < k; ++j)
      if (c[j].SavedCode != TRN_NO_CODE && c[j].X == c[k].X && c[j].Y == c[k].Y && c[j].Level == c[k].Level)
        return 0;
  }
  return 1;
}

// A cell the train gave back holds the train's marker only while another of
// its slots still stands on it.
static int Trn_LeftCellFree(const TrainRec* t, i32 x, i32 y, i32 level) {
  if (Grid_GetCellChecked(x, y, level) != t->MarkerCode) return 1;
  const TrainCell* c = Trn_Cells(t);
  for (u32 k = 0; k <= t->LastCell; ++k)
    if (c[k].SavedCode != TRN_NO_CODE && c[k].X == x && c[k].Y == y && c[k].Level == level) return 1;
  return 0;
}

// ---------------------------------------------------------------- signals

void Trn_SignalPassing(TrainRec* t) {
  TrainCell* c = Trn_Cells(t);
  for (u32 k = 0; k < t->LastCell; ++k) {
    if (!(c[k].CellFlags & TRN_SIGNAL_NOTICE)) continue;
    i32 dx = t->DirX, dy = t->DirY;
    if (k > 0) dx = c[k - 1].X - c[k].X, dy = c[k - 1].Y - c[k].Y;
    u32 kind = Sig_ShapeTypeRange(c[k].SavedCode, nullptr, nullptr) == 10 ? 2 : 1;
    kind += Trn_DirectionCode(dx, dy) == (1u << (c[k].SavedCode & 7)) ? 4 : 8;
    const u32 answer = Sig_TrainPasses(c[k].X, c[k].Y, c[k].Level, Trn_OriginPlace(t), t->Number, t->CurLine,
                                       t->Line, c[k].CellFlags & 7, kind);
    if (((answer >> 8) & 0xFF) == 0) c[k].CellFlags &= u8(~TRN_SIGNAL_NOTICE);
  }
}

// ---------------------------------------------------------------- diagonal crossing

int Trn_DiagonalBlocked(TrainRec* t, const TrainCell* head, const TrainCell* next) {
  if (!t->DirX || !t->DirY || t->DirZ) return 0;
  const i32 lv = head->Level;
  const i32 ax = head->X, ay = next->Y, bx = next->X, by = head->Y;
  const u32 a = Grid_GetCellChecked(ax, ay, lv), b = Grid_GetCellChecked(bx, by, lv);
  const int am = Cell_IsTrainMarker(a), bm = Cell_IsTrainMarker(b);
  if (am && bm) {
    u32 sa = 0, sb = 0;
    TrainRec* ta = Trn_FindAtCell(ax, ay, lv, &sa, u16(a));
    TrainRec* tb = Trn_FindAtCell(bx, by, lv, &sb, u16(b));
    if (!ta || ta != tb) return 0;
    const u32 ca = Trn_Cells(ta)[sa].SavedCode, cb = Trn_Cells(ta)[sb].SavedCode;
    int k1 = 0, k2 = 0;
    const int d1 = Trn_TrackConnection(bx - ax, by - ay, ca, &k1, t->PathOption);
    const int d2 = Trn_TrackConnection(ax - bx, ay - by, cb, &k2, t->PathOption);
    if (d1 == 1 && k1 == TRK_CLASS_RAMP_DOWN && d2 == 1 && k2 == TRK_CLASS_RAMP_DOWN) return 0;
    if ((ta->StateFlags & 0xFF) >= 128) Trn_Post(t, TRN_MSG_PAUSED_AHEAD, ax, ay, lv, 0);
    return 1;
  }
  const int ar = !am && Cell_IsReserved(a), br = !bm && Cell_IsReserved(b);
  if (am && br) {
    u32 s = 0;
    TrainRec* o = Trn_FindAtCell(ax, ay, lv, &s, u16(a));
    return o && s == 0 && Trn_ReservationOwner(bx, by, lv, -1, 0, 0) == o;
  }
  if (ar && bm) {
    u32 s = 0;
    TrainRec* o = Trn_FindAtCell(bx, by, lv, &s, u16(b));
    return o && s == 0 && Trn_ReservationOwner(ax, ay, lv, -1, 0, 0) == o;
  }
  if (ar && br) return Trn_ReservationOwner(ax, ay, lv, bx, by, lv) != nullptr;
  return 0;
}

// ---------------------------------------------------------------- leaving a depot place

// Step 2 of the decision: 0 the train stays, 1 it left and goes on.
static int Trn_LeaveDepotPlace(TrainRec* t) {
  TrainCell& h = Trn_Cells(t)[0];
  u32 place = 0;
  const u32 depot = Dep_FindAtPosition(h.X, h.Y, h.Level, &place);
  if (depot) {
    DepotPlaceInfo info;
    Dep_GetPlace(depot, place, &info);
    if (info.CondCount > 0 &&
        Sig_EvalIdList(info.CondCount, reinterpret_cast<const i32*>(info.Cond)) == SIG_EVAL_FALSE)
      return 0;
    Sig_TrainPasses(h.X, h.Y, h.Level, place << 16 | depot, t->Number, t->CurLine, t->Line, t->VehicleCount, 48);
  }
  u32 code = Grid_GetCellChecked(h.X, h.Y, h.Level);
  if (Cell_IsTrainMarker(code)) code = Trn_GetCellGraphic(h.X, h.Y, h.Level, u16(code));
  else code = Cell_Normalised(code);
  TrnList_UnlinkRetry(t);
  t->StateFlags &= ~TRN_DEPOT_WAIT;
  TrnList_AppendMoving(t);
  TrnList_AssignMarker(t);
  h.SavedCode = code;
  Grid_SetCell(h.X, h.Y, h.Level, t->MarkerCode);
  h.GridWord = Grid_CellPtr(h.X, h.Y, h.Level);
  if (Mcs_FollowsTrains()) Mcs_FollowTrain(-1, 0, 0, h.Level, h.Y, h.X);
  return 1;
}

// ---------------------------------------------------------------- the decision

// The dispatcher message of a refused join.
static u32 Trn_JoinMessage(int r) {
  switch (r) {
    case TRN_JOIN_REVERSE_FAILED:
      return TRN_MSG_JOIN_NO_TURN;
    case TRN_JOIN_NO_MEMORY:
      return TRN_MSG_JOIN_NO_MEMORY;
    case TRN_JOIN_TOO_LONG:
      return TRN_MSG_JOIN_TOO_LONG;
    case TRN_JOIN_BEHIND_NO_COUPLING:
    case TRN_JOIN_AHEAD_NO_COUPLING:
    case TRN_JOIN_TRACK_KINDS:
      return TRN_MSG_JOIN_MISMATCH;
    default:
      return TRN_MSG_JOIN_REFUSED;
  }
}

// The other train of a marker in the next cell.
static int Trn_MeetTrain(TrainRec* t, const TrainCell* slot, u32 code) {
  const TrainCell& h = Trn_Cells(t)[0];
  u32 os = 0;
  TrainRec* o = Trn_FindAtCell(slot->X, slot->Y, slot->Level, &os, u16(code));
  if (!o) {
    // A marker without a train: nothing can be done with the cell.
    Trn_Post(t, TRN_MSG_NO_WAY, slot->X, slot->Y, slot->Level, 0);
    return TRN_ENTER_REFUSED;
  }
  if (o == t) return TRN_ENTER_REFUSED;
  if (o->StateFlags & TRN_PAUSED) {
    Trn_Post(t, TRN_MSG_PAUSED_AHEAD, h.X, h.Y, h.Level, 0);
    return TRN_ENTER_REFUSED;
  }
  const TrainCell* oc = Trn_Cells(o);
  const int opposite = o->DirX == -t->DirX && o->DirY == -t->DirY;
  if (o->StateFlags & TRN_SET_ASIDE) {
    int r = -1;
    const u32 last = o->LastCell;
    if (os == 0 && opposite) r = Trn_Join(o, t, 1);
    else if (last >= 1 && os == last - 1 && oc[last].SavedCode == TRN_NO_CODE &&
             oc[os].X - oc[last].X == t->DirX && oc[os].Y - oc[last].Y == t->DirY)
      r = Trn_Join(o, t, 0);
    else if (os == last && oc[last].SavedCode != TRN_NO_CODE)
      r = Trn_Join(o, t, 0);
    if (r < 0) return TRN_ENTER_REFUSED;
    if (r == TRN_JOIN_OK) return TRN_ENTER_JOINED;
    Trn_Post(t, Trn_JoinMessage(r), slot->X, slot->Y, slot->Level, 0);
    return TRN_ENTER_REFUSED;
  }
  if (Trn_StopBehind(t, o, os)) return TRN_ENTER_HANDLED;
  if (os == 0 && opposite) Trn_Post(t, TRN_MSG_HEAD_ON, slot->X, slot->Y, slot->Level, 0);
  return TRN_ENTER_REFUSED;
}

// A Dwx point's matched rule group takes over what it names: the line to
// switch to, the category, the type and the number (32767 lowest free,
// 32766 highest free).
static void Trn_TakeDwxRule(TrainRec* t, const u32* group, i32 length, const CellPos* cell) {
  LinGroupLayout g;
  if (length <= 0 || Lin_ListGroupLayout(group, length, &g) <= 0) return;
  auto option = [&](u32 bit) -> const u32* {
    for (int k = 0; k < LIN_OPTION_COUNT; ++k)
      if (kLinOptionOrder[k] == bit) return g.offset[k] >= 0 ? group + g.offset[k] : nullptr;
    return nullptr;
  };
  const u32* line = option(LIN_OPT_SWITCH_LINE);
  const u32* category = option(LIN_OPT_CATEGORY);
  const u32* type = option(LIN_OPT_TYPE);
  if (line || category || type)
    Trn_ApplyDwx(t, line ? *line : t->CurLine, type ? *type : t->Type, u32(t->CurDepot) | u32(t->CurPlace) << 16,
                 t->PathOption, t->StateFlags, t->PropFlags, category ? *category : t->Category);
  if (const u32* number = option(LIN_OPT_NUMBER)) Trn_ApplyDwxNumber(t, i32(*number), cell);
  Trn_UpdateTargetSpeed(t);
}

// What the decision knows about the next cell while it is made.
struct TrnEntry {
  TrainRec* t;
  TrainCell* slot;
  CellCode* word;    // grid word of the cell entered (the upper one after a ramp bottom)
  u32 code;          // its code as read
  int cls, dir;      // element class and direction index the track table gives
  i32 levelChange;   // -1 when the cell leads down a ramp
  u8 mark;           // TRN_SIGNAL_NOTICE for cells whose signal hears of the passing
  u32 dirCode;       // the train's direction as a direction bit
  int mayReserve;    // the train reserves its own path at turnouts
  int lastReserved;  // the cell ends the train's reservation; its mark is taken on entry
};

// A step of the decision that does not settle it lets the next step go on.
enum { TRN_DECIDE_GO_ON = -1 };

// Trn_Split results that entering tells apart.
enum {
  TRN_SPLIT_DONE = 0,
  TRN_SPLIT_NO_MEMORY = 3,
  TRN_SPLIT_NO_POSITION = 5,
  TRN_SPLIT_PARTLY = 6,
  TRN_SPLIT_NO_NUMBER = 7,
  TRN_SPLIT_GOES_ON = 11,
  TRN_SPLIT_GOES_ON_AT_END = 13
};

// A shunting point's answer that holds the train until it may act.
enum : u32 { TRN_SHUNT_WAIT = 65535 };

static int Trn_Refuse(const TrnEntry* e, u32 kind) {
  Trn_Post(e->t, kind, e->slot->X, e->slot->Y, e->slot->Level, 0);
  return TRN_ENTER_REFUSED;
}

// The slot of the cell ahead of the head: its place, its grid word (none
// outside the grid) and no code yet.
static void Trn_NextSlot(TrnEntry* e) {
  const TrainCell& h = Trn_Cells(e->t)[0];
  TrainCell* slot = e->slot;
  *slot = TrainCell{};
  slot->X = h.X + e->t->DirX;
  slot->Y = h.Y + e->t->DirY;
  slot->Level = h.Level + (e->t->DirZ == -1 ? -1 : 0);
  slot->SavedCode = TRN_NO_CODE;
  const int inGrid = slot->X >= 0 && slot->X < GRID_SIZE && slot->Y >= 0 && slot->Y < GRID_SIZE &&
                     slot->Level >= -4 && slot->Level <= 0;
  e->word = inGrid ? Grid_CellPtr(slot->X, slot->Y, slot->Level) : nullptr;
  e->code = e->word ? u32(*e->word) : u32(CELL_EMPTY);
  slot->GridWord = e->word;
}

// Another train standing on a ramp bottom covers the way up with its marker:
// the decision reads the ramp's own code beneath it.
static void Trn_SeeRampUnderTrain(TrnEntry* e) {
  if (!Cell_IsTrainMarker(e->code)) return;
  const TrainCell* s = e->slot;
  u32 os = 0;
  TrainRec* o = Trn_FindAtCell(s->X, s->Y, s->Level, &os, u16(e->code));
  if (!o || o == e->t) return;
  const u32 saved = Trn_Cells(o)[os].SavedCode;
  int k = 0;
  Trn_TrackConnection(e->t->DirX, e->t->DirY, saved, &k, e->t->PathOption);
  if (k == TRK_CLASS_RAMP_BOTTOM) e->code = saved;
}

// A ramp bottom is passed on the level above: the train enters the ramp's
// top cell there, which must lead straight on.
static int Trn_ClimbRamp(TrnEntry* e) {
  TrainCell* s = e->slot;
  if (s->Level >= 0) return Trn_Refuse(e, TRN_MSG_RAMP_OFF_LEVELS);
  const i32 up = s->Level + 1;
  CellCode* q = Grid_CellPtr(s->X, s->Y, up);
  const u32 upCode = q ? u32(*q) : u32(CELL_EMPTY);
  int k = 0;
  const int d = Trn_TrackConnection(e->t->DirX, e->t->DirY, upCode, &k, e->t->PathOption);
  if (!Cell_IsElement(upCode) || k != TRK_CLASS_RAMP_TOP || d != 1) {
    Trn_Post(e->t, TRN_MSG_RAMP_NO_TOP, s->X, s->Y, up, 0);
    return TRN_ENTER_REFUSED;
  }
  s->Level = up;
  s->GridWord = e->word = q;
  e->code = upCode;
  e->cls = 0;
  e->dir = 1;
  return TRN_DECIDE_GO_ON;
}

// The track code of the cell through the table; a marker or a symbol ends
// the decision here (another train, or no track).
static int Trn_LookUpCell(TrnEntry* e) {
  TrainRec* t = e->t;
  if (!Cell_IsElement(e->code)) {
    t->StateFlags &= ~TRN_RESERVED;
    if (!Cell_IsTrainMarker(e->code)) return Trn_Refuse(e, TRN_MSG_NO_WAY);
    return Trn_MeetTrain(t, e->slot, e->code);
  }
  e->dir = Trn_TrackConnection(t->DirX, t->DirY, e->code, &e->cls, t->PathOption);
  if (e->dir == 0 && e->cls == 0) return Trn_Refuse(e, TRN_MSG_NO_WAY);
  if (e->cls == TRK_CLASS_RAMP_BOTTOM) return Trn_ClimbRamp(e);
  return TRN_DECIDE_GO_ON;
}

// A marked cell belongs to a reservation: only the train holding one enters
// it. The last cell of the train's reservation ends the hold; the flag goes
// now, the cell's mark only once the entry is certain (Trn_SettleReservedCell),
// so that a refused entry leaves the cell to the train.
static int Trn_CheckReservation(TrnEntry* e) {
  TrainRec* t = e->t;
  if (e->code & CELL_RESERVED_BIT) {
    if (!(t->StateFlags & TRN_RESERVED)) return TRN_ENTER_REFUSED;
    if (t->ReservedCells < 2) {
      if (e->dir == 0) return TRN_ENTER_REFUSED;
      t->StateFlags &= ~TRN_RESERVED;
      e->lastReserved = 1;
    }
  } else {
    t->StateFlags &= ~TRN_RESERVED;
  }
  e->slot->SavedCode = e->code & 0x3FFF;
  return TRN_DECIDE_GO_ON;
}

// After the decision: a refused entry hands the last reserved cell back to
// the train's reservation; any other outcome takes the cell's mark.
static void Trn_SettleReservedCell(TrnEntry* e, int result) {
  if (!e->lastReserved) return;
  e->lastReserved = 0;
  if (result == TRN_ENTER_REFUSED) {
    e->t->StateFlags |= TRN_RESERVED;
    return;
  }
  if (e->word) *e->word = CellCode(Cell_Normalised(*e->word));
}

// The train reserves its path from a turnout on. When its old reservation
// ends at that very cell, the new walk starts there and must find the cell
// free of the old mark; a refused walk gives the cell back to the old path.
static int Trn_ReserveOnward(TrnEntry* e) {
  if (!e->lastReserved || !e->word) return Trn_Reserve(e->t, 1);
  *e->word = CellCode(*e->word & ~u32(CELL_RESERVED_BIT));
  if (Trn_Reserve(e->t, 1)) {
    e->lastReserved = 0;
    return 1;
  }
  *e->word = CellCode(*e->word | CELL_RESERVED_BIT);
  return 0;
}

// ---------------------------------------------------------------- one handler per element class

static int Trn_EnterTurnout(TrnEntry* e) {
  if (e->mayReserve && !Trn_ReserveOnward(e)) return TRN_ENTER_REFUSED;
  if (e->cls == TRK_CLASS_TURNOUT2) {
    const TrainCell* s = e->slot;
    const u32 cap = Pts_ExitForDirection(s->X, s->Y, s->Level, e->dirCode);
    if (cap) Trn_CapA(e->t, cap);
  }
  return TRN_DECIDE_GO_ON;
}

// A turnout controller chooses the branch; a negative answer holds the
// train until it has chosen; an answer that may still change and names no
// branch refuses for now.
static int Trn_EnterControlled(TrnEntry* e) {
  const TrainCell* s = e->slot;
  if (e->cls == TRK_CLASS_CONTROLLED_LEVEL && e->mayReserve && !Trn_ReserveOnward(e)) return TRN_ENTER_REFUSED;
  u32 cap = 0;
  const u32 word = e->cls == TRK_CLASS_CONTROLLED ? Pts_ChooseExit(e->t, s->X, s->Y, s->Level, &cap)
                                                  : Pts_ChooseExitPart(e->t, s->X, s->Y, s->Level, e->dirCode, &cap);
  const int r = Trn_ConnectorToDirection(word);
  if (r < 0) return TRN_ENTER_HANDLED;
  if (r == TRN_BRANCH_MAY_CHANGE) return TRN_ENTER_REFUSED;
  if (cap) Trn_CapA(e->t, cap);
  e->dir = r & 0xFF;
  return TRN_DECIDE_GO_ON;
}

static int Trn_EnterSignal(TrnEntry* e) {
  TrainRec* t = e->t;
  const TrainCell* s = e->slot;
  if (Sig_ElementAppliesTo(s->X, s->Y, s->Level, Trn_OriginPlace(t), t->Number, t->CurLine) != 1) {
    t->SpeedCapB = t->SpeedCapC = 0;
    Trn_UpdateTargetSpeed(t);
  }
  e->mark = TRN_SIGNAL_NOTICE;
  return TRN_DECIDE_GO_ON;
}

// A buffer stop turns the train round, with the stop's wait when it has one.
static int Trn_EnterBuffer(TrnEntry* e) {
  TrainRec* t = e->t;
  Trn_Reverse(t, 1, 0);
  const i32 wait = Prell_GetValue(e->slot->X, e->slot->Y, e->slot->Level);
  if (wait > 0) {
    if (t->StateFlags & TRN_BLOCKED) TrnList_UnlinkRetry(t);
    else TrnList_UnlinkState(t);
    t->StateFlags |= TRN_REVERSE_WAIT;
    t->WaitLeft = wait;
    TrnList_AddReverseWait(t);
  }
  return TRN_ENTER_HANDLED;
}

static int Trn_EnterSpeedPoint(TrnEntry* e) {
  TrainRec* t = e->t;
  const TrainCell* s = e->slot;
  const i32 v =
      Lfst_ValueForTrain(s->X, s->Y, s->Level, e->dirCode, t->StateFlags, t->Number, t->CurLine, t->Category, t->Type);
  if (v > 0) t->SpeedCapA = u32(v);
  else if (v == 0) t->SpeedCapA = 0;
  Trn_UpdateTargetSpeed(t);
  Trn_MarkFollowedMoved();
  return TRN_DECIDE_GO_ON;
}

// A ramp start leads down a level: the level below must hold the ramp's
// bottom, reached from this side.
static int Trn_EnterRampDown(TrnEntry* e) {
  const TrainCell* s = e->slot;
  if (s->Level < -3) return Trn_Refuse(e, TRN_MSG_RAMP_OFF_LEVELS);
  const u32 below = Grid_GetCell(s->X, s->Y, s->Level - 1);
  int k = 0;
  const int d = Trn_TrackConnection(-e->t->DirX, -e->t->DirY, below, &k, e->t->PathOption);
  if (k != TRK_CLASS_RAMP_BOTTOM || d != 1) return Trn_Refuse(e, TRN_MSG_RAMP_NO_BOTTOM);
  e->levelChange = -1;
  return TRN_DECIDE_GO_ON;
}

// A shunting point splits, reverses or parks the train, or lets it go on.
static int Trn_EnterShunt(TrnEntry* e) {
  TrainRec* t = e->t;
  const TrainCell* s = e->slot;
  u32 line = 0, position = 0, parkWait = 0, value4 = 0, reverseWait = 0;
  const u32 v =
      Rp_ForTrain(t, s->X, s->Y, s->Level, &line, &position, &value4, &parkWait, &reverseWait, e->dirCode);
  if (v == TRN_SHUNT_WAIT) return TRN_ENTER_HANDLED;
  if (v == 0) {
    e->dir = 1;
    return TRN_DECIDE_GO_ON;
  }
  const int r = Trn_Split(t, v, line, i32(reverseWait), i32(parkWait), i32(position));
  switch (r) {
    case TRN_SPLIT_DONE:
      return TRN_ENTER_JOINED;
    case TRN_SPLIT_NO_MEMORY:
      return Trn_Refuse(e, TRN_MSG_SPLIT_NO_MEMORY);
    case TRN_SPLIT_NO_POSITION:
      return Trn_Refuse(e, TRN_MSG_SPLIT_NO_POSITION);
    case TRN_SPLIT_PARTLY:
      return Trn_Refuse(e, TRN_MSG_SPLIT_PARTLY);
    case TRN_SPLIT_NO_NUMBER:
      return Trn_Refuse(e, TRN_MSG_SPLIT_NO_NUMBER);
    case TRN_SPLIT_GOES_ON:
    case TRN_SPLIT_GOES_ON_AT_END:
      return TRN_DECIDE_GO_ON;
    default:
      Trn_MarkFollowedMoved();
      return TRN_ENTER_HANDLED;
  }
}

static int Trn_EnterDwx(TrnEntry* e) {
  const TrainCell* s = e->slot;
  static DwxMatch match;
  if (Dwx_MatchTrain(s->X, s->Y, s->Level, e->dirCode, e->t->CurLine, u32(e->t->Number), &match) == 0) {
    const CellPos cell = {s->X, s->Y, s->Level};
    Trn_TakeDwxRule(e->t, match.Group, match.Length, &cell);
  }
  return TRN_DECIDE_GO_ON;
}

// A signal element that may stop the train: 1 clear, 2 clear with the
// element's speed, anything else holds the train.
static int Trn_EnterStopSignal(TrnEntry* e) {
  TrainRec* t = e->t;
  const TrainCell* s = e->slot;
  i32 extra = -1;
  const int r = Sig_TestElementForTrain(s->X, s->Y, s->Level, &extra, Trn_OriginPlace(t), t->Number, t->CurLine);
  if (r != 1) {
    t->SpeedCapB = 0;
    Trn_UpdateTargetSpeed(t);
  }
  if (r != 1 && r != 2) return TRN_ENTER_REFUSED;
  if (r == 2) {
    t->SpeedCapB = 0;
    t->SpeedCapC = u32(extra);
    Trn_UpdateTargetSpeed(t);
  }
  e->mark = TRN_SIGNAL_NOTICE;
  return TRN_DECIDE_GO_ON;
}

// Signal elements that only give a speed (-1: none for this train).
static int Trn_EnterSpeedSignal(TrnEntry* e) {
  TrainRec* t = e->t;
  const TrainCell* s = e->slot;
  const i32 v = Sig_GetElementValueFor(s->X, s->Y, s->Level, Trn_OriginPlace(t), t->Number, t->CurLine);
  if (e->cls == TRK_CLASS_SIGNAL22) {
    if (v != -1) t->SpeedCapB = 0;
  } else {
    if (e->cls == TRK_CLASS_SIGNAL24) t->SpeedCapC = 0;
    if (v != -1) t->SpeedCapB = u32(v);
  }
  Trn_UpdateTargetSpeed(t);
  if (e->cls == TRK_CLASS_SIGNAL24) e->mark = TRN_SIGNAL_NOTICE;
  return TRN_DECIDE_GO_ON;
}

static int Trn_EnterClass(TrnEntry* e) {
  TrainRec* t = e->t;
  const TrainCell* s = e->slot;
  switch (e->cls) {
    case TRK_CLASS_TURNOUT1:
    case TRK_CLASS_TURNOUT2:
    case TRK_CLASS_TURNOUT3:
      return Trn_EnterTurnout(e);
    case TRK_CLASS_CONTROLLED:
    case TRK_CLASS_CONTROLLED_LEVEL:
      return Trn_EnterControlled(e);
    case TRK_CLASS_SIGNAL:
      return Trn_EnterSignal(e);
    case TRK_CLASS_DEPOT:
      if (Trn_EnterDepotPlace(t, s->X, s->Y, s->Level)) return TRN_ENTER_DEPOT;
      return TRN_DECIDE_GO_ON;
    case TRK_CLASS_MARKED:
      e->mark = TRN_SIGNAL_NOTICE;
      return TRN_DECIDE_GO_ON;
    case TRK_CLASS_SOUND:
      if (!Sig_DisplayPaused()) Trn_PassSoundPoint(t, s->X, s->Y, s->Level, e->dirCode);
      return TRN_DECIDE_GO_ON;
    case TRK_CLASS_BUFFER:
      return Trn_EnterBuffer(e);
    case TRK_CLASS_LFST:
      return Trn_EnterSpeedPoint(e);
    case TRK_CLASS_RAMP_DOWN:
      return Trn_EnterRampDown(e);
    case TRK_CLASS_RAMP_TOP:
    case TRK_CLASS_RAMP_BOTTOM:
      e->dir = 0;
      return TRN_DECIDE_GO_ON;
    case TRK_CLASS_SHUNT:
      return Trn_EnterShunt(e);
    case TRK_CLASS_DWX:
      return Trn_EnterDwx(e);
    case TRK_CLASS_SIGNAL21:
      return Trn_EnterStopSignal(e);
    case TRK_CLASS_SIGNAL22:
    case TRK_CLASS_SIGNAL23:
    case TRK_CLASS_SIGNAL24:
      return Trn_EnterSpeedSignal(e);
    default:
      return TRN_DECIDE_GO_ON;
  }
}

// The way out of the cell: straight on or turning, diagonal or not. A marked
// cell ends the train's hold on its path; marks left beyond it would be
// cells no train may enter, this one included.
static int Trn_TakeDirection(TrnEntry* e) {
  TrainRec* t = e->t;
  if (e->dir == 0) return Trn_Refuse(e, TRN_MSG_NO_WAY);
  if (e->mark) Trn_DropReservation(t);
  e->slot->CellFlags = u8((Trn_Cells(t)[0].CellFlags & 7) | e->mark);
  t->DirZ = e->levelChange;
  if (e->dir == 1) return (t->DirX && t->DirY) ? TRN_ENTER_DIAGONAL : TRN_ENTER_STRAIGHT;
  int dx = 0, dy = 0;
  Trk_DirStep(e->dir, &dx, &dy);
  t->DirX = dx;
  t->DirY = dy;
  return e->dir <= DIRIDX_E ? TRN_ENTER_STRAIGHT_TURN : TRN_ENTER_DIAGONAL_TURN;
}

static int Trn_DecideSteps(TrnEntry* e) {
  TrainRec* t = e->t;
  if ((t->StateFlags & TRN_DEPOT_WAIT) && !Trn_LeaveDepotPlace(t)) return TRN_ENTER_REFUSED;
  Trn_NextSlot(e);
  Trn_SeeRampUnderTrain(e);
  int r = Trn_LookUpCell(e);
  if (r != TRN_DECIDE_GO_ON) return r;
  r = Trn_CheckReservation(e);
  if (r != TRN_DECIDE_GO_ON) return r;
  if (Trn_DiagonalBlocked(t, &Trn_Cells(t)[0], e->slot)) return TRN_ENTER_REFUSED;
  e->dirCode = Trn_DirectionCode(t->DirX, t->DirY);
  e->mayReserve = !(t->StateFlags & (TRN_RESERVED | TRN_USER_DRIVEN)) && !(t->PropFlags & 8);
  r = Trn_EnterClass(e);
  if (r != TRN_DECIDE_GO_ON) return r;
  return Trn_TakeDirection(e);
}

int Trn_DecideNextCell(TrainRec* t, TrainCell* slot) {
  TrnEntry e = {};
  e.t = t;
  e.slot = slot;
  const int r = Trn_DecideSteps(&e);
  Trn_SettleReservedCell(&e, r);
  return r;
}

// ---------------------------------------------------------------- the entry step

void Trn_EnterNextCell(TrainRec* t) {
  TrainCell ns;
  const int c = Trn_DecideNextCell(t, &ns);
  if (c >= 4) {
    if (t->StateFlags & TRN_BLOCKED) {
      TrnList_UnlinkRetry(t);
      TrnList_PushMoving(t);
    }
    if ((t->StateFlags & TRN_RESERVED) && t->ReservedCells > 0) --t->ReservedCells;
    t->StepDecrement = c < 20 ? 10 : 7;
    if (Logp_IsLogging()) Logp_LogPassing(t, ns.X, ns.Y, ns.Level);
    TrainCell* s = Trn_Cells(t);
    if (ns.SavedCode != TRN_NO_CODE && ns.GridWord) {
      *ns.GridWord = t->MarkerCode;
      if (Mcs_FollowsTrains()) Mcs_FollowTrain(s[0].X, s[0].Y, s[0].Level, ns.Level, ns.Y, ns.X);
    }
    const u32 n = t->LastCell;
    const TrainCell left = s[n];
    // The last slot is overwritten by the shift: a cell it still holds would
    // keep the marker for good, so it is given back first.
    if (n >= 1) {
      Trn_GiveBack(s[n]);
      s[n].X = s[n - 1].X;
      s[n].Y = s[n - 1].Y;
      s[n].Level = s[n - 1].Level;
      s[n].GridWord = s[n - 1].GridWord;
      s[n].SavedCode = s[n - 1].SavedCode;
      for (u32 k = n - 1; k >= 1; --k) {
        const u8 own = s[k].CellFlags & 7;
        s[k] = s[k - 1];
        s[k].CellFlags = u8((s[k].CellFlags & ~7u) | own);
      }
    } else {
      Trn_GiveBack(s[0]);
    }
    const u8 own = s[0].CellFlags & 7;
    s[0] = ns;
    s[0].CellFlags = u8((ns.CellFlags & ~7u) | own);
    t->SubCellOffset = 28;
    Trn_ReleaseTail(t);
    ORBA_CHECK(Trn_CheckMarkers(t));
    ORBA_CHECK(left.SavedCode == TRN_NO_CODE || Trn_LeftCellFree(t, left.X, left.Y, left.Level));
    Trn_RedrawCells(t, 1);
    Trn_SignalPassing(t);
    if (t->StateFlags & TRN_FOLLOWED) {
      Trn_CountFollowedCell(c >= 20);
      Trn_MarkFollowedMoved();
    }
    return;
  }
  if (c != TRN_ENTER_REFUSED) return;
  ORBA_CHECK(Trn_CheckMarkers(t));
  t->Speed = 0;
  t->StepInterval = 0;
  if (t->StateFlags & (TRN_DEPOT_WAIT | TRN_BLOCKED)) {
    t->StepCountdown = t->StepCountdown < 1 ? 99 : t->StepCountdown - 1;
    if (t->RetryLimit > 0 && ++t->RetryCount == u32(t->RetryLimit)) {
      const TrainCell& h = Trn_Cells(t)[0];
      Trn_Post(t, TRN_MSG_RETRY_LIMIT, h.X + t->DirX, h.Y + t->DirY, h.Level, t->RetryCount);
    }
    return;
  }
  TrnList_UnlinkState(t);
  t->StateFlags |= TRN_BLOCKED;
  TrnList_AddRetry(t);
  t->RetryCount = 0;
  if (t->StateFlags & TRN_FOLLOWED) Trn_MarkFollowedMoved();
}

// ---------------------------------------------------------------- inside a cell

// What a train out of service does with a timetable point's answer: 5 and
// 6 stop it for a stop time, 2..4 stop it unless it passes the next stop,
// 0 holds it until the point releases it.
static void Trn_TimetablePointAnswer(TrainRec* t, int code, int cls) {
  const int reverse = cls == TRK_CLASS_TP_REVERSE;
  if (code == 5 || code == 6) {
    t->StateFlags &= ~(TRN_AT_PLACE | TRN_FLAGGED_START);
    if (t->Category != 2) Trn_StopAtStop(t, 0, reverse);
    return;
  }
  if (code >= 2 && code <= 4) {
    if ((t->StateFlags & TRN_AT_PLACE) && (t->StateFlags & TRN_FLAGGED_START)) return;
    if (t->StateFlags & TRN_PASS_NEXT_STOP) {
      t->StateFlags &= ~TRN_PASS_NEXT_STOP;
      return;
    }
    Trn_StopAtStop(t, 0, reverse);
    return;
  }
  if (code != 0) return;
  if (t->StateFlags & TRN_BLOCKED) TrnList_UnlinkRetry(t);
  else TrnList_UnlinkState(t);
  t->StateFlags |= TRN_HELD;
  if (reverse) t->StateFlags |= TRN_STOP_REVERSE;
  else t->StateFlags &= ~TRN_STOP_REVERSE;
  t->StateFlags &= ~(TRN_AT_PLACE | TRN_FLAGGED_START);
  TrnList_PushHeld(t);
  if (t->StateFlags & TRN_FOLLOWED) Trn_MarkFollowedMoved();
  Trn_RedrawCells(t, 0);
  if (Logp_IsLogging()) Logp_LogEvent(t, 3, -1);
}

static void Trn_TimetablePointCell(TrainRec* t, const TrainCell& h, int cls) {
  if ((t->StateFlags & TRN_IN_SERVICE) && (t->StateFlags & TRN_FLAGGED_START)) return;
  if (t->Category == 3) return;
  i32 extra = -1, speed = -1;
  u32 tpSlot = 0;
  const int code = Tp_GetDetails(h.X, h.Y, h.Level, &tpSlot, 0, Trn_DirectionCode(t->DirX, t->DirY), &extra, &speed,
                                 t->CurLine, u32(t->Number));
  // A queued slot taken late: the slot's second of the day is the data.
  if (code == 6) Trn_Post(t, TRN_MSG_TP_LATE, h.X, h.Y, h.Level, tpSlot);
  t->AtStop = (code == 5 || code == 6) ? tpSlot : TRN_NONE;
  // Without a point (answer 1) nothing more happens.
  if (code == 1) return;
  if (t->Category == 2 && code != 0 && code != 5 && code != 6) return;
  if (t->StateFlags & TRN_IN_SERVICE) {
    if (code == 1 || code > 6) return;
    Tp_ReleaseAtCell(h.X, h.Y, h.Level);
    if (t->Category != 1) return;
    if (t->StateFlags & TRN_PASS_NEXT_STOP) t->StateFlags &= ~TRN_PASS_NEXT_STOP;
    else Trn_StopAtStop(t, 0, cls == TRK_CLASS_TP_REVERSE);
  }
  if (!(t->StateFlags & TRN_IN_SERVICE)) Trn_TimetablePointAnswer(t, code, cls);
  if (speed >= 0) Trn_CapA(t, u32(speed));
}

void Trn_MoveInCell(TrainRec* t) {
  Trn_ReleaseTail(t);
  if (t->SubCellOffset == 0) {
    const TrainCell h = Trn_Cells(t)[0];
    int cls = 0;
    Trn_TrackConnection(t->DirX, t->DirY, h.SavedCode, &cls, t->PathOption);
    if (cls == TRK_CLASS_STOP || cls == TRK_CLASS_STOP_REVERSE) {
      const i32 r = Hst_MatchTrain(h.X, h.Y, h.Level, nullptr, t->StateFlags, t->Number, t->CurLine, t->Category,
                                   t->Type, Trn_DirectionCode(t->DirX, t->DirY));
      if (r != 0) {
        if (t->StateFlags & TRN_PASS_NEXT_STOP) {
          t->StateFlags &= ~TRN_PASS_NEXT_STOP;
        } else {
          Trn_StopAtStop(t, r, cls == TRK_CLASS_STOP_REVERSE);
          if (Logp_IsLogging()) Logp_LogEvent(t, 1, -1);
        }
      }
    } else if (cls == TRK_CLASS_TP || cls == TRK_CLASS_TP_REVERSE) {
      Trn_TimetablePointCell(t, h, cls);
    }
  }
  ORBA_CHECK(Trn_CheckMarkers(t));
  Trn_RedrawCells(t, 0);
}

void Trn_StopAtStop(TrainRec* t, i32 wait, int reverse) {
  if (wait < 1) {
    const i32 span = i32(t->StopTimeMax) - i32(t->StopTimeMin) + 1;
    wait = span > 0 ? i32(t->StopTimeMin) + std::rand() % span : i32(t->StopTimeMin);
  }
  if (t->StopSound != TRN_NONE) {
    const u32 d = Snd_GetDuration(t->StopSound);
    if (d > 0) {
      wait -= i32(d / 1000);
      if (wait < 2) wait = 1;
    }
  }
  if (t->StateFlags & TRN_BLOCKED) TrnList_UnlinkRetry(t);
  else TrnList_UnlinkState(t);
  t->WaitLeft = wait;
  t->StateFlags |= TRN_AT_STOP;
  if (reverse) t->StateFlags |= TRN_STOP_REVERSE;
  else t->StateFlags &= ~TRN_STOP_REVERSE;
  TrnList_AddStop(t);
  Trn_RequestSound(t, t->ExtraSound, -1);
  if (t->StateFlags & TRN_FOLLOWED) Trn_MarkFollowedMoved();
  Trn_RedrawCells(t, 0);
}

// The first occupied slot 0..last of train o that holds a stop whose flags
// share a bit with mask; -1 none.
static i32 Trn_FindStopSlot(const TrainRec* o, u32 last, u32 mask) {
  const TrainCell* c = Trn_Cells(o);
  if (last > o->LastCell) last = o->LastCell;
  for (u32 k = 0; k <= last; ++k) {
    if (c[k].SavedCode == TRN_NO_CODE) continue;
    const StopRec* s = Hst_Find(c[k].X, c[k].Y, c[k].Level);
    if (s && (s->Flags & mask)) return i32(k);
  }
  return -1;
}

// The step through slot k of a train: its direction at the head, else from
// the slot to the one before it.
static void Trn_StepThrough(const TrainRec* o, u32 k, i32* dx, i32* dy) {
  const TrainCell* c = Trn_Cells(o);
  if (k == 0) *dx = o->DirX, *dy = o->DirY;
  else *dx = c[k - 1].X - c[k].X, *dy = c[k - 1].Y - c[k].Y;
}

int Trn_StopBehind(TrainRec* t, TrainRec* other, u32 slot) {
  if (!(other->StateFlags & (TRN_AT_STOP | TRN_BLOCKED)) || (t->StateFlags & TRN_PASS_NEXT_STOP)) return 0;
  if (slot > other->LastCell) return 0;
  i32 dx, dy;
  Trn_StepThrough(other, slot, &dx, &dy);
  if (dx != t->DirX || dy != t->DirY) return 0;
  const TrainRec* owner = other;
  i32 found = -1;
  if (other->StateFlags & TRN_PASS_NEXT_STOP) {
    const TrainCell& oh = Trn_Cells(other)[0];
    const i32 ax = oh.X + other->DirX, ay = oh.Y + other->DirY;
    u32 s3 = 0;
    const u32 code = Grid_GetCellChecked(ax, ay, oh.Level);
    if (!Cell_IsTrainMarker(code)) return 0;
    TrainRec* third = Trn_FindAtCell(ax, ay, oh.Level, &s3, u16(code));
    if (!third || !(third->StateFlags & (TRN_AT_STOP | TRN_BLOCKED)) || (third->StateFlags & 0x880) ||
        (third->StateFlags & TRN_PASS_NEXT_STOP))
      return 0;
    i32 tx, ty;
    Trn_StepThrough(third, s3, &tx, &ty);
    if (tx != other->DirX || ty != other->DirY) return 0;
    owner = third;
    found = Trn_FindStopSlot(third, s3, HST_F_SETTING2);
  } else {
    found = Trn_FindStopSlot(other, slot, HST_F_SETTING1 | HST_F_SETTING2);
  }
  if (found < 0) return 0;
  const TrainCell& fc = Trn_Cells(owner)[found];
  Trn_StepThrough(owner, u32(found), &dx, &dy);
  i32 extra = -1;
  const i32 r = Hst_MatchTrain(fc.X, fc.Y, fc.Level, &extra, t->StateFlags, t->Number, t->CurLine, t->Category,
                               t->Type, Trn_DirectionCode(dx, dy));
  if (r == 0) return 0;
  Trn_StopAtStop(t, r, (other->StateFlags & TRN_STOP_REVERSE) != 0);
  t->StateFlags |= TRN_PASS_NEXT_STOP;
  if (Logp_IsLogging()) Logp_LogEvent(t, 1, -1);
  return 1;
}

// ---------------------------------------------------------------- depot places

static int Trn_NamesPlace(const TrainRec* t, u32 depot, u32 place) {
  if (t->HomeDepot == depot && (t->HomePlace & 0x7FFF) == place) return 1;
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
    if (t->DepotA[i] == depot && (t->PlaceA[i] & 0x7FFF) == place) return 1;
    if (t->DepotB[i] == depot && (t->PlaceB[i] & 0x7FFF) == place) return 1;
  }
  return 0;
}

int Trn_EnterDepotPlace(TrainRec* t, i32 x, i32 y, i32 level) {
  u32 place = 0;
  const u32 depot = Dep_FindAtPosition(x, y, level, &place);
  if (!depot) return 0;
  DepotPlaceInfo info;
  if (Dep_GetPlace(depot, place, &info)) return 0;
  const u32 f1 = info.Options & 0xFF, f2 = (info.Options >> 8) & 0xFF;
  const int inService = (t->StateFlags & TRN_IN_SERVICE) != 0;
  if ((f2 & 64) && !inService) return 0;
  if ((f2 & 32) && !(inService && t->CurDepot == depot && (t->CurPlace & 0x7FFF) == place)) return 0;
  t->StateFlags &= ~(TRN_IN_SERVICE | TRN_RESERVED | TRN_AT_PLACE | TRN_FLAGGED_START);
  if (!(f1 & 2)) t->CurLine = t->Line;
  if (!(f1 & 8)) t->Type = t->HomeType;
  if (!(f1 & 4)) t->Category = t->HomeCategory;
  if (f2 & 128) return 0;
  if (!Trn_NamesPlace(t, depot, place)) Trn_Post(t, TRN_MSG_FOREIGN_PLACE, x, y, level, 0);
  Sig_TrainPasses(x, y, level, place << 16 | depot, t->Number, t->CurLine, t->Line, t->VehicleCount, 80);
  if (t->StateFlags & TRN_BLOCKED) TrnList_UnlinkRetry(t);
  else TrnList_UnlinkState(t);
  Grid_RedrawCell(x, y, level, GRID_REDRAW_SCHEMATIC);
  TrnList_UnlinkMarker(t);
  t->StateFlags |= TRN_OFF_TRACK;
  TrnList_PushOffTrack(t);
  t->TargetSpeed = 0;
  t->SpeedCapA = t->SpeedCapB = t->SpeedCapC = 0;
  TrainCell* c = Trn_Cells(t);
  for (u32 k = 0; k <= t->LastCell; ++k) {
    Trn_GiveBack(c[k]);
    c[k].X = x;
    c[k].Y = y;
    c[k].Level = level;
    c[k].GridWord = nullptr;
  }
  if (!(info.Directions & Trn_DirectionCode(t->DirX, t->DirY))) Trn_ReverseVehicles(t);
  t->SubCellOffset = 0;
  if (t->StateFlags & TRN_FOLLOWED) Trn_MarkFollowedMoved();
  return 1;
}

#include "operation/trnrev.h"

#include "model/grid.h"
#include "model/logp.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/trn.h"
#include "operation/trndepart.h"
#include "operation/trnlist.h"
#include "operation/trnmove.h"
#include "operation/trnres.h"
#include "operation/trnstep.h"
#include "platform/heap.h"
#include "platform/str.h"

enum : u32 { TRN_TURNED = 0x20, TRN_MAX_JOINED_CELLS = 200 };

int Trn_CheckOnTrack(const TrainRec* t) {
  if (t->StateFlags & TRN_OFF_TRACK) return 1;
  const TrainCell* c = Trn_Cells(t);
  for (u32 k = 0; k < t->LastCell; ++k)
    if (c[k].SavedCode == TRN_NO_CODE) return 3;
  return 0;
}

static void Trn_ToggleTurned(TrainVehicle& v) {
  if (!(v.VehFlags & TRN_VEH_PICTURE_TURNED)) v.VehFlags ^= TRN_VEH_TURNED;
}

static void Trn_SwapVehicles(TrainRec* t) {
  TrainVehicle* v = Trn_Vehicles(t);
  const u32 n = t->VehicleCount;
  for (u32 i = 0; i < n / 2; ++i) {
    const TrainVehicle tmp = v[i];
    v[i] = v[n - 1 - i];
    v[n - 1 - i] = tmp;
    Trn_ToggleTurned(v[i]);
    Trn_ToggleTurned(v[n - 1 - i]);
  }
  if (n & 1) Trn_ToggleTurned(v[n / 2]);
}

void Trn_ReverseVehicles(TrainRec* t) {
  t->StateFlags ^= TRN_TURNED;
  Trn_SwapVehicles(t);
}

// A train that reaches into more cells than LastCell stands at the start of
// its head cell again: the cell its tail still touches is given back.
static void Trn_PullInTail(TrainRec* t) {
  if (Trn_CoveredCells(t) <= t->LastCell) return;
  t->SubCellOffset = 0;
  Trn_ReleaseTail(t);
}

int Trn_Reverse(TrainRec* t, int setOffset, int keepOrder) {
  if (t->StateFlags & TRN_OFF_TRACK) return 1;
  Trn_PullInTail(t);
  TrainCell* c = Trn_Cells(t);
  const u32 n = t->LastCell;
  if (n < 1 || c[n - 1].SavedCode == TRN_NO_CODE) return 1;
  Trn_DropReservation(t);
  if (t->StateFlags & TRN_HELD) {
    Trn_ReleaseHeld(t, 1);
    if (Logp_IsLogging()) Logp_LogEvent(t, 4, -1);
  }
  const i32 oldX = c[0].X, oldY = c[0].Y, oldLevel = c[0].Level;
  const i32 oldDx = t->DirX, oldDy = t->DirY;
  if (n >= 2) {
    t->DirX = c[n - 1].X - c[n - 2].X;
    t->DirY = c[n - 1].Y - c[n - 2].Y;
    t->DirZ = c[n - 1].Level < c[n - 2].Level ? -1 : 0;
  } else {
    t->DirX = -oldDx;
    t->DirY = -oldDy;
    t->DirZ = 0;
  }
  t->StateFlags ^= TRN_TURNED;
  for (u32 i = 0; i < n / 2; ++i) {
    TrainCell& a = c[i];
    TrainCell& b = c[n - 1 - i];
    const u8 fa = a.CellFlags, fb = b.CellFlags;
    const TrainCell tmp = a;
    a = b;
    b = tmp;
    a.CellFlags = fa;
    b.CellFlags = fb;
  }
  c[n].X = oldX + oldDx;
  c[n].Y = oldY + oldDy;
  c[n].Level = oldLevel;
  c[n].GridWord = nullptr;
  c[n].SavedCode = TRN_NO_CODE;
  if (keepOrder && t->VehicleCount > 1) {
    TrainVehicle* v = Trn_Vehicles(t);
    for (u32 i = 0; i < t->VehicleCount; ++i)
      if (v[i].VehFlags & TRN_VEH_PICTURE_TURNED) v[i].VehFlags ^= TRN_VEH_TURNED;
  } else if (!keepOrder) {
    Trn_SwapVehicles(t);
  }
  Trn_MarkVehicleStarts(t);
  TrnList_SetTrainSounds(t, 1);
  if (setOffset) {
    const i32 off = (32 - i32(t->TailOffset % 32)) & ~3;
    t->SubCellOffset = off == 32 ? 0 : off;
  }
  Trn_RedrawCells(t, 1);
  return 0;
}

// ---------------------------------------------------------------- joining

// Whether the vehicle lacks a coupling at the end that faces the train's
// head (front 1) or its rear (front 0).
static int Trn_LacksCoupling(const TrainVehicle& v, int front) {
  const int turned = (v.VehFlags & TRN_VEH_TURNED) != 0;
  const u32 bit = (front != turned) ? TRN_VEH_NO_FRONT_COUPLING : TRN_VEH_NO_REAR_COUPLING;
  return (v.VehFlags & bit) != 0;
}

// The occupied slots of a train from its head.
static u32 Trn_OccupiedSlots(const TrainRec* t, const TrainCell** out) {
  const TrainCell* c = Trn_Cells(t);
  u32 n = 0;
  for (u32 k = 0; k <= t->LastCell; ++k)
    if (c[k].SavedCode != TRN_NO_CODE) out[n++] = &c[k];
  return n;
}

// Writes the train's marker into every cell it holds, at once after a new
// record took the cells over.
static void Trn_WriteMarker(TrainRec* t) {
  TrainCell* c = Trn_Cells(t);
  for (u32 k = 0; k <= t->LastCell; ++k) {
    if (c[k].SavedCode == TRN_NO_CODE) continue;
    if (!c[k].GridWord) c[k].GridWord = Grid_CellPtr(c[k].X, c[k].Y, c[k].Level);
    if (c[k].GridWord) *c[k].GridWord = t->MarkerCode;
  }
}

static void Trn_GiveCellBack(TrainCell& c) {
  if (c.GridWord) *c.GridWord = CellCode(c.SavedCode);
  else Grid_SetCell(c.X, c.Y, c.Level, CellCode(c.SavedCode));
  Grid_RedrawCell(c.X, c.Y, c.Level, GRID_REDRAW_ALL);
  if (c.Y >= 1) Grid_RedrawCell(c.X, c.Y - 1, c.Level, GRID_REDRAW_PICTURE);
  c.SavedCode = TRN_NO_CODE;
}

// Slots past the occupied ones continue the train's line backwards, where
// the tail will have been, so that the slot steps keep their meaning.
static void Trn_ExtendSpareSlots(TrainRec* t, u32 used) {
  TrainCell* c = Trn_Cells(t);
  for (u32 k = used; k <= t->LastCell && k >= 1; ++k) {
    const i32 dx = k >= 2 ? c[k - 1].X - c[k - 2].X : -t->DirX;
    const i32 dy = k >= 2 ? c[k - 1].Y - c[k - 2].Y : -t->DirY;
    c[k].X = c[k - 1].X + dx;
    c[k].Y = c[k - 1].Y + dy;
    c[k].Level = c[k - 1].Level;
    c[k].GridWord = nullptr;
    c[k].SavedCode = TRN_NO_CODE;
  }
}

int Trn_Join(TrainRec* ahead, TrainRec* behind, int headOn) {
  if ((ahead->StateFlags & TRN_OFF_TRACK) || (behind->StateFlags & TRN_OFF_TRACK)) return TRN_JOIN_OFF_TRACK;
  const u32 vehicles = ahead->VehicleCount + behind->VehicleCount;
  const u32 tail = ahead->TailOffset + behind->TailOffset;
  const u32 lastCell = (tail + 31) / 32;
  if (vehicles > TRN_MAX_VEHICLES || lastCell > TRN_MAX_JOINED_CELLS) return TRN_JOIN_TOO_LONG;
  if (!(ahead->StateFlags & TRN_SET_ASIDE)) return TRN_JOIN_NOT_COUPLABLE;
  if (Trn_CheckOnTrack(ahead)) return TRN_JOIN_AHEAD_PARTLY;
  if (Trn_CheckOnTrack(behind)) return TRN_JOIN_BEHIND_PARTLY;
  const TrainVehicle* va = Trn_Vehicles(ahead);
  const TrainVehicle* vb = Trn_Vehicles(behind);
  if (behind->VehicleCount && Trn_LacksCoupling(vb[0], 1)) return TRN_JOIN_BEHIND_NO_COUPLING;
  if (ahead->VehicleCount &&
      (headOn ? Trn_LacksCoupling(va[0], 1) : Trn_LacksCoupling(va[ahead->VehicleCount - 1], 0)))
    return TRN_JOIN_AHEAD_NO_COUPLING;
  if (ahead->PathOption != behind->PathOption) return TRN_JOIN_TRACK_KINDS;
  TrainRec* j = Trn_AllocRecord(lastCell, vehicles);
  if (!j) return TRN_JOIN_NO_MEMORY;
  if (headOn && Trn_Reverse(behind, 1, 0)) {
    Trn_FreeRecord(j);
    return TRN_JOIN_REVERSE_FAILED;
  }
  TrainRec* followed = Trn_GetFollowed();
  const int wasFollowed = followed == ahead || followed == behind;
  const u32 userDriven = (ahead->StateFlags | behind->StateFlags) & TRN_USER_DRIVEN;
  if (wasFollowed) TrnList_StopFollowing();

  TrainRec* keep = ahead->Number <= behind->Number ? ahead : behind;
  TrainRec* other = keep == ahead ? behind : ahead;
  Mem_Copy(j, keep, i32(sizeof(TrainRec)));
  j->Next = j->NextInState = j->MarkerLink = nullptr;
  j->StateList = TRN_LIST_NONE;
  j->MarkerCode = 0;
  j->LastCell = lastCell;
  j->VehicleCount = vehicles;
  j->TailOffset = tail;
  j->SplitPos = i32(behind->VehicleCount);
  j->DirX = headOn ? behind->DirX : ahead->DirX;
  j->DirY = headOn ? behind->DirY : ahead->DirY;
  j->DirZ = 0;
  j->SubCellOffset = 0;
  j->StateFlags &= ~(TRN_TURNED | TRN_SET_ASIDE | TRN_BLOCKED | TRN_RESERVED);
  j->ReservedCells = 0;
  j->Speed = j->StepInterval = j->RetryCount = 0;
  j->StepCountdown = 0;
  j->WaitLeft = 0;
  if (ahead->WaitLeft > 0) {
    j->WaitLeft = ahead->WaitLeft;
    j->StateFlags |= TRN_REVERSE_WAIT;
  }
  keep->Text = nullptr;  // the joined record owns it now

  // Cells and vehicles head first along the joined train.
  TrainRec* first = headOn ? behind : ahead;
  TrainRec* second = headOn ? ahead : behind;
  const TrainCell* cells[2 * TRN_MAX_CELLS];
  u32 nc = Trn_OccupiedSlots(first, cells);
  const u32 firstCells = nc;
  nc += Trn_OccupiedSlots(second, cells + nc);
  TrainCell* jc = Trn_Cells(j);
  // More cells than the joined train covers: the ones at the meeting point
  // fall out and get their codes back.
  u32 drop = nc > lastCell ? nc - lastCell : 0;
  u32 at = 0;
  for (u32 k = 0; k < nc; ++k) {
    if (drop && k + 1 >= firstCells) {
      TrainCell gone = *cells[k];
      Trn_GiveCellBack(gone);
      --drop;
      continue;
    }
    jc[at] = *cells[k];
    jc[at].CellFlags &= ~7u;
    ++at;
  }
  Trn_ExtendSpareSlots(j, at);
  TrainVehicle* jv = Trn_Vehicles(j);
  Mem_Copy(jv, Trn_Vehicles(first), i32(first->VehicleCount * sizeof(TrainVehicle)));
  Mem_Copy(jv + first->VehicleCount, Trn_Vehicles(second), i32(second->VehicleCount * sizeof(TrainVehicle)));
  if (vehicles && !(jv[0].VehFlags & TRN_VEH_FACES_FORWARD)) j->StateFlags |= TRN_TURNED;

  TrnList_Remove(ahead);
  TrnList_Remove(behind);
  Trn_FreeRecord(other);
  Trn_FreeRecord(keep);
  TrnList_Insert(j);
  Trn_WriteMarker(j);
  Trn_MarkVehicleStarts(j);
  TrnList_SetTrainSounds(j, 1);
  Trn_RedrawCells(j, 1);
  if (wasFollowed) {
    Trn_SetFollowed(j);
    j->StateFlags |= TRN_FOLLOWED | userDriven;
    Trn_MarkFollowedMoved();
  }
  return TRN_JOIN_OK;
}

// ---------------------------------------------------------------- splitting

// The train turns round at the point and waits there before it moves on.
static void Trn_ReverseWithWait(TrainRec* t, i32 wait, int keepOrder) {
  Trn_Reverse(t, 1, keepOrder);
  if (wait <= 0) return;
  TrnList_UnlinkState(t);
  t->StateFlags &= ~TRN_BLOCKED;
  t->WaitLeft = wait;
  t->StateFlags |= TRN_REVERSE_WAIT;
  TrnList_AddReverseWait(t);
}

// 1 when the front part can go on into the cell ahead of the head.
static int Trn_CanGoOn(TrainRec* t) {
  const TrainCell& h = Trn_Cells(t)[0];
  const i32 x = h.X + t->DirX, y = h.Y + t->DirY, z = h.Level + (t->DirZ == -1 ? -1 : 0);
  u32 code = Grid_GetCellChecked(x, y, z);
  code = Cell_Normalised(code);
  if (!Cell_IsElement(code)) return 0;
  int cls = 0;
  int dir = Trn_TrackConnection(t->DirX, t->DirY, code, &cls, t->PathOption);
  if (cls == TRK_CLASS_CONTROLLED || cls == TRK_CLASS_CONTROLLED_LEVEL) {
    const u32 word = cls == TRK_CLASS_CONTROLLED
                         ? Pts_PeekExit(t, x, y, z, 0)
                         : Pts_PeekExitPart(t, x, y, z, 0, Trn_DirectionCode(t->DirX, t->DirY));
    const int r = Trn_ConnectorToDirection(word);
    dir = r < 0 ? 0 : r & 0xFF;
  } else if (cls == TRK_CLASS_SIGNAL21) {
    i32 extra = -1;
    const int r = Sig_TestElementForTrain(x, y, z, &extra, Trn_OriginPlace(t), t->Number, t->CurLine);
    if (r != 1 && r != 2) return 0;
  }
  return dir != 0;
}

// One part of a split train from the old record: vehicles [v0, v0 + nv)
// and the occupied slots [s0, s0 + ns).
static TrainRec* Trn_MakePart(const TrainRec* t, u32 v0, u32 nv, const TrainCell* const* slots, u32 ns) {
  const TrainVehicle* v = Trn_Vehicles(t);
  u32 length = 0;
  for (u32 i = v0; i < v0 + nv; ++i) length += v[i].Length;
  const u32 lastCell = (length + 31) / 32;
  TrainRec* p = Trn_AllocRecord(lastCell, nv);
  if (!p) return nullptr;
  Mem_Copy(p, t, i32(sizeof(TrainRec)));
  p->Next = p->NextInState = p->MarkerLink = nullptr;
  p->StateList = TRN_LIST_NONE;
  p->MarkerCode = 0;
  p->LastCell = lastCell;
  p->VehicleCount = nv;
  p->TailOffset = length;
  p->SubCellOffset = 0;
  p->Text = nullptr;
  p->TextLen = 0;
  p->StateFlags &= ~(TRN_RESERVED | TRN_BLOCKED | TRN_AT_STOP | TRN_HELD | TRN_REVERSE_WAIT | TRN_STOP_SOUND |
                     TRN_FOLLOWED | TRN_USER_DRIVEN | TRN_SET_ASIDE);
  p->ReservedCells = 0;
  p->Speed = p->StepInterval = p->RetryCount = 0;
  p->StepCountdown = 0;
  p->WaitLeft = 0;
  TrainCell* c = Trn_Cells(p);
  u32 used = 0;
  for (; used < ns && used <= lastCell; ++used) {
    c[used] = *slots[used];
    c[used].CellFlags &= ~7u;
  }
  Trn_ExtendSpareSlots(p, used);
  Mem_Copy(Trn_Vehicles(p), v + v0, i32(nv * sizeof(TrainVehicle)));
  return p;
}

int Trn_Split(TrainRec* t, u32 value, u32 line, i32 reverseWait, i32 parkWait, i32 position) {
  if (t->StateFlags & TRN_OFF_TRACK) return 1;
  const int partly = Trn_CheckOnTrack(t) != 0;
  const int user = (t->StateFlags & TRN_USER_DRIVEN) != 0;
  if (value & TRN_SPLIT_SPLIT) {
    if (t->VehicleCount <= 1 || (t->PropFlags & 0x4)) {
      if (value & TRN_SPLIT_GO_ON) return 11;
      Trn_ReverseWithWait(t, reverseWait, 0);
      return 12;
    }
  } else if (!(value & TRN_SPLIT_PARK)) {
    Trn_ReverseWithWait(t, reverseWait, user);
    if (line) t->CurLine = line;
    if (Trn_LabelsShown()) Trn_RedrawCells(t, 1);
    return 9;
  } else {
    if (partly) return 6;
    if (value & TRN_SPLIT_PARK_REVERSED) Trn_Reverse(t, 1, user);
    Trn_DropReservation(t);
    TrnList_UnlinkState(t);
    t->StateFlags &= ~(TRN_AT_STOP | TRN_HELD | TRN_RESERVED | TRN_PAUSED | TRN_DEPOT_WAIT | TRN_BLOCKED |
                       TRN_STOP_SOUND | TRN_REVERSE_WAIT | 0x40000u);
    t->StateFlags |= TRN_SET_ASIDE;
    t->WaitLeft = parkWait;
    if (line) t->CurLine = line;
    return 10;
  }
  i32 pos = position;
  if (pos < 0) pos += i32(t->VehicleCount);
  if (position == 0) {
    pos = t->SplitPos < 0 ? t->SplitPos + i32(t->VehicleCount) : t->SplitPos;
    if (t->SplitPos == 0) return 5;
  }
  if (pos <= 0 || u32(pos) >= t->VehicleCount) {
    if (value & TRN_SPLIT_GO_ON) return 13;
    Trn_ReverseWithWait(t, reverseWait, 0);
    return 14;
  }
  if (partly) return 6;
  Trn_PullInTail(t);
  if (!Trn_CanGoOn(t)) return 2;
  const i32 number = TrnList_HighestFreeNumber(t->Line);
  if (number <= 0) return 7;

  const TrainCell* slots[TRN_MAX_CELLS];
  const u32 ns = Trn_OccupiedSlots(t, slots);
  const TrainVehicle* v = Trn_Vehicles(t);
  u32 frontLength = 0;
  for (i32 i = 0; i < pos; ++i) frontLength += v[i].Length;
  u32 frontCells = (frontLength + 31) / 32;
  const u32 rearCells = (t->TailOffset - frontLength + 31) / 32;
  // A cell shared by both parts goes to the rear part, which turns round
  // and needs every cell of its length; the front part runs on out of it.
  if (frontCells + rearCells > ns && frontCells > 0) frontCells = ns > rearCells ? ns - rearCells : 1;
  if (frontCells > ns) frontCells = ns;
  TrainRec* front = Trn_MakePart(t, 0, u32(pos), slots, frontCells);
  TrainRec* rear = front ? Trn_MakePart(t, u32(pos), t->VehicleCount - u32(pos), slots + frontCells,
                                        ns - frontCells)
                         : nullptr;
  if (!front || !rear) {
    Trn_FreeRecord(front);
    return 3;
  }
  TrainRec* keeper = (value & TRN_SPLIT_REAR_KEEPS_NUMBER) ? rear : front;
  TrainRec* renumbered = keeper == rear ? front : rear;
  renumbered->Number = number;
  const int wasFollowed = Trn_GetFollowed() == t;
  const u32 userDriven = t->StateFlags & TRN_USER_DRIVEN;
  if (wasFollowed) TrnList_StopFollowing();
  keeper->Text = t->Text;
  keeper->TextLen = t->TextLen;
  t->Text = nullptr;
  // Direction of the rear part: from its first cell toward the front part.
  if (frontCells > 0 && ns > frontCells) {
    rear->DirX = slots[frontCells - 1]->X - slots[frontCells]->X;
    rear->DirY = slots[frontCells - 1]->Y - slots[frontCells]->Y;
  }
  TrnList_Remove(t);
  Trn_FreeRecord(t);
  TrnList_Insert(front);
  TrnList_Insert(rear);
  Trn_WriteMarker(front);
  Trn_WriteMarker(rear);
  Trn_Reverse(rear, 1, userDriven != 0);
  TrainRec* const parts[2] = {front, rear};
  for (TrainRec* p : parts) {
    Trn_MarkVehicleStarts(p);
    TrnList_SetTrainSounds(p, 1);
    Trn_RedrawCells(p, 1);
  }
  if (wasFollowed) {
    Trn_SetFollowed(keeper);
    keeper->StateFlags |= TRN_FOLLOWED | userDriven;
    Trn_MarkFollowedMoved();
  }
  return 0;
}

#include "operation/trn.h"

#include "model/dep.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/line.h"
#include "operation/sndcat.h"
#include "operation/trnlist.h"
#include "operation/trnquery.h"
#include "operation/trnres.h"
#include "operation/trnstep.h"
#include "platform/heap.h"
#include "platform/str.h"

// ---------------------------------------------------------------- vehicle catalogue

static TrnHooks g_trnHooks;

void Trn_SetHooks(const TrnHooks* hooks) { g_trnHooks = hooks ? *hooks : TrnHooks{}; }

u32 Trn_CatalogueVehicleLength(u32 vehicle) {
  return g_trnHooks.vehicleLength ? g_trnHooks.vehicleLength(vehicle) : 0;
}
u32 Trn_CatalogueVehicleFlags(u32 vehicle) {
  return g_trnHooks.vehicleFlags ? g_trnHooks.vehicleFlags(vehicle) : 65535;
}
int Trn_CatalogueLoadVehicleSet(u32 setId) { return g_trnHooks.loadVehicleSet ? g_trnHooks.loadVehicleSet(setId) : 1; }
int Trn_LabelsShown(void) { return g_trnHooks.trainsLabelled ? g_trnHooks.trainsLabelled() : 0; }
u32 Trn_CatalogueIndexEntry(u32 vehicle) {
  return g_trnHooks.vehicleIndexEntry ? g_trnHooks.vehicleIndexEntry(vehicle) : 0;
}

// ---------------------------------------------------------------- depots

// The home depot place's cell; 1 when the train has none or it is gone.
static int Trn_HomePlaceCell(u16 depot, u16 place, i32* x, i32* y, i32* level) {
  DepotPlaceInfo p;
  if (!depot || Dep_GetPlace(depot, place & 0x7FFF, &p)) return 1;
  *x = p.X;
  *y = p.Y;
  *level = p.Level;
  return 0;
}

// ---------------------------------------------------------------- calls into later modules
// Each stands for the call of a module that does not exist yet and answers as
// that module would with nothing in it.

// The multi-cell symbol placed at a cell a train leaves (Mcs_RemoveAt).
static void Trn_RemoveSymbolAt(i32 x, i32 y, i32 level) {}
// The titles of the followed view (Menu_SetWindowTitles).
static void Trn_RetitleFollowedView(void) {}

// ---------------------------------------------------------------- records

TrainRec* Trn_AllocRecord(u32 lastCell, u32 vehicleCount) {
  if (lastCell >= TRN_MAX_CELLS || vehicleCount > TRN_MAX_VEHICLES) return nullptr;
  const u32 size = u32(sizeof(TrainRec) + (lastCell + 1) * sizeof(TrainCell) + vehicleCount * sizeof(TrainVehicle));
  TrainRec* t = static_cast<TrainRec*>(Heap_Alloc(size));
  if (!t) return nullptr;
  Mem_Fill(t, 0, i32(size));
  t->LastCell = lastCell;
  t->VehicleCount = vehicleCount;
  TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= lastCell; ++i) c[i].SavedCode = TRN_NO_CODE;
  return t;
}

void Trn_FreeRecord(TrainRec* t) {
  if (!t) return;
  if (t->Text) Heap_Free(t->Text);
  Heap_Free(t);
}

void Trn_SetAccelSteps(TrainRec* t) {
  // Worked in 64 bits: any 32-bit value a file gives stays in range.
  t->AccelStep = u32(i64(i32(t->Accel)) * 9 / 25);
  t->BrakeStep = u32(i64(i32(t->Brake)) * 9 / 25);
}

u32 Trn_TotalLength(const TrainRec* t) {
  const TrainVehicle* v = Trn_Vehicles(t);
  u32 sum = 0;
  for (u32 i = 0; i < t->VehicleCount; ++i) sum += v[i].Length;
  return sum;
}

void Trn_MarkVehicleStarts(TrainRec* t) {
  TrainCell* c = Trn_Cells(t);
  const TrainVehicle* v = Trn_Vehicles(t);
  u32 next = 0;  // the next vehicle to start
  u32 left = 0;  // quarters of the current vehicle still to cover
  u32 started = 0;
  const u32 quarters = 4 * t->LastCell;
  for (u32 q = 0; q < quarters; ++q) {
    while (left == 0 && next < t->VehicleCount) {
      left = v[next++].Length / 8;
      started++;
    }
    if (left) left--;
    if (q % 4 == 3) {
      c[q / 4].CellFlags = u8(started);
      started = 0;
    }
  }
}

u32 Trn_DirectionCode(i32 dx, i32 dy) {
  if (dx == 0) return dy < 0 ? 1 : dy > 0 ? 2 : 0;
  if (dx < 0) return dy < 0 ? 32 : dy > 0 ? 64 : 4;
  return dy < 0 ? 128 : dy > 0 ? 16 : 8;
}

void Trn_RedrawCells(const TrainRec* t, int full) {
  if (t->StateFlags & TRN_OFF_TRACK) return;
  const TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell; ++i)
    if (c[i].SavedCode != TRN_NO_CODE) Grid_QueueRedraw(c[i].X, c[i].Y, c[i].Level);
  Grid_FlushRedraws(full);
}

// ---------------------------------------------------------------- following

static TrainRec* s_followed;
static int s_followMoved;

TrainRec* Trn_GetFollowed(void) { return s_followed; }
void Trn_SetFollowed(TrainRec* t) {
  s_followed = t;
  if (!t) s_followMoved = 0;
}
void Trn_MarkFollowedMoved(void) {
  if (s_followed) s_followMoved = 1;
}
int Trn_TakeFollowedMoved(void) {
  const int moved = s_followMoved;
  s_followMoved = 0;
  return moved;
}

void TrnList_StopFollowing(void) {
  TrainRec* t = s_followed;
  Trn_SetFollowed(nullptr);
  if (!t) return;
  t->StateFlags &= ~(TRN_FOLLOWED | TRN_USER_DRIVEN);
  Trn_RedrawCells(t, 1);
  Trn_RetitleFollowedView();
}

// ---------------------------------------------------------------- life

void TrnList_CountByLine(u32 line, u32 counts[4]) {
  counts[0] = counts[1] = counts[2] = counts[3] = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->Line == line) {
      counts[0]++;
      if (t->CurLine != line) counts[1]++;
      else if (t->StateFlags & TRN_OFF_TRACK) counts[2]++;
    } else if (t->CurLine == line && !(t->StateFlags & TRN_OFF_TRACK)) {
      counts[3]++;
    }
  }
}

void TrnList_Init(void) {
  static const LinTrainHooks hooks = {TrnList_CountByLine, TrnList_Resort};
  Lin_SetTrainHooks(&hooks);
}

void TrnList_Clear(void) {
  TrnList_StopFollowing();
  TrnList_FreeAll();
}

void TrnList_Free(void) { TrnList_Clear(); }
void TrnList_OnReset(void) {}

// ---------------------------------------------------------------- lookups

TrainRec* TrnList_Find(u32 line, i32 number) {
  int exists = 0;
  TrainRec* t = TrnList_FindSorted(line, number, &exists);
  return exists ? t : nullptr;
}

TrainRec* TrnList_AtIndex(i32 index) {
  if (index < 0) return nullptr;
  TrainRec* t = TrnList_GetFirst();
  for (i32 i = 0; t && i < index; ++i) t = t->Next;
  return t;
}

i32 TrnList_IndexOf(u32 line, i32 number) {
  i32 i = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next, ++i)
    if (t->Line == line && (number == 0 || t->Number == number)) return i;
  return -1;
}

i32 TrnList_IndexAtCell(i32 x, i32 y, i32 level) {
  i32 i = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next, ++i) {
    if (t->StateFlags & TRN_OFF_TRACK) continue;
    const TrainCell* c = Trn_Cells(t);
    for (u32 k = 0; k <= t->LastCell; ++k)
      if (c[k].SavedCode != TRN_NO_CODE && c[k].X == x && c[k].Y == y && c[k].Level == level) return i;
  }
  return -1;
}

i32 TrnList_NextFreeNumber(u32 line) {
  i32 last = 0;
  int any = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->Line != line) continue;
    any = 1;
    if (t->Number <= last) continue;
    if (t->Number > last + 1) break;
    last = t->Number;
  }
  if (!any) return 1;
  // Past 999 there is no number to give: a gap lies below it or none is free.
  return last + 1 <= TRN_MAX_NUMBER ? last + 1 : 0;
}

i32 TrnList_LastNumber(u32 line) {
  i32 last = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next)
    if (t->Line == line && t->Number > last) last = t->Number;
  return last;
}

// ---------------------------------------------------------------- creating

int TrnList_Create(const TrainCompositionEntry* composition, const TrainRec* tmpl, const wch* text, i32 x, i32 y,
                   i32 level) {
  if (!tmpl || tmpl->Number <= 0 || tmpl->LastCell >= TRN_MAX_CELLS || tmpl->VehicleCount > TRN_MAX_VEHICLES ||
      tmpl->TextLen < 0 || tmpl->TextLen > TRN_MAX_TEXT || (tmpl->VehicleCount && !composition) ||
      (tmpl->TextLen && !text))
    return TRN_CREATE_BAD_VALUES;
  if (TrnList_Find(tmpl->Line, tmpl->Number)) return TRN_CREATE_EXISTS;
  TrainRec* t = Trn_AllocRecord(tmpl->LastCell, tmpl->VehicleCount);
  if (!t) return TRN_CREATE_NO_MEMORY;
  wch* ownText = nullptr;
  if (tmpl->TextLen > 0) {
    ownText = static_cast<wch*>(Heap_Alloc(u32(tmpl->TextLen) * sizeof(wch)));
    if (!ownText) {
      Trn_FreeRecord(t);
      return TRN_CREATE_NO_MEMORY;
    }
    Mem_CopyWide(ownText, text, tmpl->TextLen);
  }
  Mem_Copy(t, tmpl, i32(sizeof(TrainRec)));
  t->Next = t->NextInState = t->MarkerLink = nullptr;
  t->StateList = TRN_LIST_NONE;
  t->MarkerCode = 0;
  t->Text = ownText;

  t->StateFlags = TRN_OFF_TRACK;
  t->StepCountdown = 1;
  t->StepDecrement = 10;
  t->WaitLeft = 0;
  t->AtStop = TRN_NONE;
  t->Speed = 0;
  t->SpeedCapB = 0;
  t->SpeedCapC = 0;
  t->StepInterval = 1;
  t->SubCellOffset = 0;
  Trn_SetAccelSteps(t);
  t->DirX = t->DirY = t->DirZ = 0;
  t->RetryCount = 0;
  t->NextRunSound = TRN_NONE;
  t->HornCountdown = 0;

  if (x == -1) {
    x = y = level = 0;
    // A depot place carries no speed of its own: the train leaves it with no
    // cap, its target its maximum speed.
    if (Trn_HomePlaceCell(t->HomeDepot, t->HomePlace, &x, &y, &level) == 0) {
      t->SpeedCapA = 0;
      t->TargetSpeed = t->MaxSpeed;
    }
  }
  TrainCell* c = Trn_Cells(t);
  c[0].X = x;
  c[0].Y = y;
  c[0].Level = level;

  TrainVehicle* v = Trn_Vehicles(t);
  for (u32 i = 0; i < t->VehicleCount; ++i) {
    v[i].Vehicle = composition[i].Vehicle;
    v[i].Length = Trn_CatalogueVehicleLength(composition[i].Vehicle);
    v[i].Word0 = 0;
    v[i].VehFlags = composition[i].Flags;
  }
  t->TailOffset = Trn_TotalLength(t);

  TrnList_InsertSorted(t);
  TrnList_EnterStateList(t);
  Lay_MarkModified();
  TrnList_SetTrainSounds(t, 1);
  return TRN_CREATE_OK;
}

// ---------------------------------------------------------------- reading and updating

int TrnList_GetByIndex(i32 index, const TrainReadOut* out) {
  const TrainRec* t = TrnList_AtIndex(index);
  if (!t) return 0;
  if (!out) return 1;
  const TrainCell* c = Trn_Cells(t);
  if (out->x) *out->x = c[0].X;
  if (out->y) *out->y = c[0].Y;
  if (out->level) *out->level = c[0].Level;
  if (out->direction) *out->direction = Trn_DirectionCode(t->DirX, t->DirY);
  if (out->fixed) Mem_Copy(out->fixed, t, i32(sizeof(TrainRec)));
  if (out->vehicles) {
    const TrainVehicle* v = Trn_Vehicles(t);
    const u32 n = out->wanted < t->VehicleCount ? out->wanted : t->VehicleCount;
    // The dialogs show a train whose first vehicle's picture does not face
    // forward from its last vehicle on.
    const int reversed =
        !out->storedOrder && t->VehicleCount && !(Trn_CatalogueVehicleFlags(v[0].Vehicle) & TRN_VEH_FACES_FORWARD);
    for (u32 i = 0; i < n; ++i) {
      const TrainVehicle& src = v[reversed ? t->VehicleCount - 1 - i : i];
      TrainCompositionEntry& e = out->vehicles[i];
      e.Vehicle = (src.VehFlags & TRN_VEH_MISSING) ? (TRN_MISSING_VEHICLE | src.Length) : src.Vehicle;
      e.Flags = src.VehFlags;
      if (reversed && !(src.VehFlags & TRN_VEH_PICTURE_TURNED)) e.Flags ^= TRN_VEH_TURNED;
    }
  }
  return 1;
}

int TrnList_SetByIndex(i32 index, const TrainRec* fixed, const wch* text) {
  TrainRec* t = TrnList_AtIndex(index);
  if (!t) return TRN_SET_NONE;
  if (!fixed || fixed->TextLen < 0 || fixed->TextLen > TRN_MAX_TEXT || (fixed->TextLen && !text))
    return TRN_SET_KEY_TAKEN;
  const int newKey = fixed->Line != t->Line || fixed->Number != t->Number;
  if (newKey && (fixed->Number <= 0 || TrnList_Find(fixed->Line, fixed->Number))) return TRN_SET_KEY_TAKEN;

  wch* newText = nullptr;
  if (fixed->TextLen > 0) {
    if (t->Text && fixed->TextLen <= t->TextLen) {
      newText = t->Text;
    } else {
      newText = static_cast<wch*>(Heap_Alloc(u32(fixed->TextLen) * sizeof(wch)));
      if (!newText) return TRN_SET_NO_MEMORY;
    }
    Mem_MoveWide(newText, text, fixed->TextLen);
  }

  const int routeChanged = fixed->CurLine != t->CurLine || fixed->Type != t->Type ||
                           fixed->Category != t->Category || fixed->PathOption != t->PathOption;
  const int dropped =
      (t->StateFlags & TRN_RESERVED) && (routeChanged || ((fixed->PropFlags & 0x8) && !(t->PropFlags & 0x8)));
  if (dropped) {
    Trn_DropReservation(t);
    t->StateFlags &= ~TRN_RESERVED;
  }
  if (t->Text && t->Text != newText) Heap_Free(t->Text);

  // What the lists and the record's block hang on stays the record's own.
  TrainRec keep = *t;
  Mem_Copy(t, fixed, i32(sizeof(TrainRec)));
  t->Next = keep.Next;
  t->NextInState = keep.NextInState;
  t->StateList = keep.StateList;
  t->MarkerLink = keep.MarkerLink;
  t->MarkerCode = keep.MarkerCode;
  t->LastCell = keep.LastCell;
  t->VehicleCount = keep.VehicleCount;
  t->StateFlags = keep.StateFlags;
  t->WaitLeft = keep.WaitLeft;
  t->Text = newText;
  t->TextLen = fixed->TextLen > 0 ? fixed->TextLen : 0;
  Trn_SetAccelSteps(t);
  if (dropped && routeChanged) Trn_Reserve(t, 0);
  if (newKey) {
    TrnList_UnlinkSorted(t);
    TrnList_InsertSorted(t);
  }
  Lay_MarkModified();
  return TRN_SET_OK;
}

// ---------------------------------------------------------------- deleting

void TrnList_FreeTrain(TrainRec* t) {
  if (Trn_GetFollowed() == t) TrnList_StopFollowing();
  TrnList_Remove(t);
  Trn_FreeRecord(t);
}

int TrnList_DeleteTrains(u32 line, i32 number) {
  int found = 0, stays = 0;
  TrainRec* t = TrnList_GetFirst();
  while (t) {
    TrainRec* next = t->Next;
    if (t->Line == line && (number == 0 || t->Number == number)) {
      found = 1;
      if (t->StateFlags & TRN_OFF_TRACK) {
        TrnList_FreeTrain(t);
        Lay_MarkModified();
      } else {
        stays = 1;
      }
    }
    t = next;
  }
  if (!found) return TRN_DELETE_NONE;
  return stays ? TRN_DELETE_SOME_ON_TRACK : TRN_DELETE_OK;
}

int TrnList_DeleteOnTrack(u32 line, i32 number) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return 0;
  if (Trn_GetFollowed() == t) TrnList_StopFollowing();
  const int onTrack = !(t->StateFlags & TRN_OFF_TRACK);
  if (t->StateFlags & TRN_RESERVED) {
    Trn_DropReservation(t);
    t->StateFlags &= ~TRN_RESERVED;
  }
  // Out of the lists it is really in before the off-track bit changes what
  // its flags say.
  TrnList_UnlinkState(t);
  TrnList_UnlinkMarker(t);
  t->StateFlags |= TRN_OFF_TRACK;
  if (onTrack) {
    TrainCell* c = Trn_Cells(t);
    for (u32 i = 0; i <= t->LastCell; ++i) {
      if (c[i].SavedCode == TRN_NO_CODE) continue;
      const i32 x = c[i].X, y = c[i].Y, level = c[i].Level;
      if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) continue;
      Trn_RemoveSymbolAt(x, y, level);
      // Only a cell that still shows this train gets its code back.
      if (Grid_GetCell(x, y, level) == t->MarkerCode) Grid_SetCellRedraw(x, y, level, CellCode(c[i].SavedCode));
      if (i < t->LastCell && y > 1) Grid_RedrawCell(x, y - 1, level, GRID_REDRAW_PICTURE);
    }
  }
  TrnList_FreeTrain(t);
  Lay_MarkModified();
  return 1;
}

// ---------------------------------------------------------------- pause

int TrnList_PauseTrain(u32 line, i32 number) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return TRN_PAUSE_NONE;
  if (t->StateFlags & TRN_PAUSED) return TRN_PAUSE_ALREADY;
  if (t->StateFlags & TRN_SET_ASIDE) {
    t->StateFlags &= ~TRN_SET_ASIDE;
  } else {
    if (t->StateList == TRN_LIST_HELD) Trn_ReleaseHeld(t, 1);
    else if (t->StateList == TRN_LIST_STOP) Trn_EndStop(t);
    else if (t->StateList == TRN_LIST_REVERSE_WAIT) Trn_EndReverseWait(t);
    TrnList_UnlinkState(t);
  }
  t->StateFlags |= TRN_PAUSED;
  Trn_RedrawCells(t, 1);
  if (Trn_GetFollowed() == t) Trn_MarkFollowedMoved();
  return TRN_PAUSE_OK;
}

int TrnList_ResumeTrain(u32 line, i32 number) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return TRN_PAUSE_NONE;
  if (!(t->StateFlags & TRN_PAUSED)) return TRN_PAUSE_NOT_PAUSED;
  t->StateFlags &= ~TRN_PAUSED;
  // Back into the list its state selects; a train on the track kept its
  // marker and bucket while paused.
  TrnList_LinkState(t);
  Trn_RedrawCells(t, 1);
  if (Trn_GetFollowed() == t) Trn_MarkFollowedMoved();
  return TRN_PAUSE_OK;
}

// ---------------------------------------------------------------- cells, sounds, order

static int Trn_InGrid(const TrainCell& c) {
  return c.X >= 0 && c.X < GRID_SIZE && c.Y >= 0 && c.Y < GRID_SIZE && c.Level >= -4 && c.Level <= 0;
}

void TrnList_RefreshCellCodes(int rebuild) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    TrainCell* c = Trn_Cells(t);
    if (t->StateFlags & (TRN_OFF_TRACK | TRN_DEPOT_WAIT)) {
      c[0].GridWord = Trn_InGrid(c[0]) ? Grid_CellPtr(c[0].X, c[0].Y, c[0].Level) : nullptr;
      if (rebuild) c[0].SavedCode = TRN_NO_CODE;
      if (t->LastCell >= 1) {
        c[1].GridWord = nullptr;
        c[1].SavedCode = TRN_NO_CODE;
      }
      continue;
    }
    for (u32 i = 0; i <= t->LastCell; ++i) {
      TrainCell& s = c[i];
      if (s.SavedCode == TRN_NO_CODE || !Trn_InGrid(s)) {
        s.GridWord = nullptr;
        if (rebuild) s.SavedCode = TRN_NO_CODE;
        continue;
      }
      if (rebuild) {
        u32 code = Grid_GetCell(s.X, s.Y, s.Level);
        if (Cell_IsTrainMarker(code))
          code = Trn_GetCellGraphic(s.X, s.Y, s.Level, u16(code));
        if (!Grid_SetCell(s.X, s.Y, s.Level, t->MarkerCode)) {
          s.GridWord = nullptr;
          s.SavedCode = TRN_NO_CODE;
          continue;
        }
        s.SavedCode = code;
      }
      s.GridWord = Grid_CellPtr(s.X, s.Y, s.Level);
    }
  }
}

void TrnList_SetTrainSounds(TrainRec* t, int fill) {
  t->HornSound = t->RunSound = t->DepartSound = t->StopSound = t->ExtraSound = TRN_NONE;
  // Without fill the numbers only wait for the fill that follows (a load
  // fills them after the whole file): the running-sound time and the horn
  // countdown read from the file stay until then.
  if (!fill) return;
  if (t->VehicleCount > 0) {
    const u32 v = Trn_Vehicles(t)[0].Vehicle;
    Snd_GetVehicleSounds(i32(v >> 4), i32(v & 15), &t->HornSound, &t->ExtraSound, &t->StopSound, &t->DepartSound,
                         &t->RunSound);
  }
  if (t->RunSound == TRN_NONE) t->NextRunSound = TRN_NONE;
  if (t->HornSound == TRN_NONE) t->HornCountdown = 0;
}

void TrnList_SetAllTrainSounds(int fill) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) TrnList_SetTrainSounds(t, fill);
}

void TrnList_RecalcIntervals(void) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) t->StepInterval = t->Speed ? Trn_StepIntervalFor(t->Speed) : 1;
}

void TrnList_Resort(void) {
  if (Trn_GetCount() < 2) return;
  Lay_Busy(1);
  TrnList_SortAll();
  Lay_Busy(0);
}

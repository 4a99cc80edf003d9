#include "operation/trnops.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trndepart.h"
#include "operation/trnlist.h"
#include "operation/trnrev.h"

// ---------------------------------------------------------------- service

static int TrnOps_StartRefusal(const TrainRec* t) {
  if (t->StateFlags & TRN_OFF_TRACK) return TRN_START_OFF_TRACK;
  if (t->StateFlags & TRN_IN_SERVICE) return TRN_START_IN_SERVICE;
  if (!t->HomeDepot) return TRN_START_NO_HOME;
  if (t->StateFlags & TRN_PAUSED) return TRN_START_PAUSED;
  return TRN_START_OK;
}

int TrnList_StartTrains(u32 line, i32 number, int option) {
  if (line != 0 && number != 0) {
    TrainRec* t = TrnList_Find(line, number);
    if (!t) return TRN_START_NONE;
    const int refusal = TrnOps_StartRefusal(t);
    if (refusal) return refusal;
    Trn_StartService(t, option, 0);
    return TRN_START_OK;
  }
  int found = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (line != 0 && t->Line != line) continue;
    found = 1;
    if (TrnOps_StartRefusal(t) == TRN_START_OK) Trn_StartService(t, option, 0);
  }
  return found || line == 0 ? TRN_START_OK : TRN_START_NONE;
}

int TrnList_StopTrain(u32 line, i32 number) {
  if (line == 0 || number == 0) return 1;
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return 1;
  return Trn_EndService(t) ? 2 : 0;
}

// Ends a wait in the held, stop or reverse-wait list; 0 when it waits in
// none of them.
static int TrnOps_EndWait(TrainRec* t) {
  switch (t->StateList) {
    case TRN_LIST_HELD:
      Trn_ReleaseHeld(t, 1);
      return 1;
    case TRN_LIST_STOP:
      Trn_EndStop(t);
      return 1;
    case TRN_LIST_REVERSE_WAIT:
      Trn_EndReverseWait(t);
      return 1;
    default:
      return 0;
  }
}

int TrnList_EndWait(u32 line, i32 number) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return 1;
  return TrnOps_EndWait(t) ? 0 : 2;
}

int TrnList_ReverseTrain(u32 line, i32 number) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t || (t->StateFlags & TRN_OFF_TRACK)) return 0;
  if (Trn_Reverse(t, 0, (t->StateFlags & TRN_USER_DRIVEN) != 0)) return 0;
  t->Speed = 0;
  t->StepInterval = 0;
  t->StepCountdown = 0;
  return 1;
}

int TrnList_CheckOnTrack(u32 line, i32 number) {
  const TrainRec* t = TrnList_Find(line, number);
  return t ? Trn_CheckOnTrack(t) : 11;
}

int TrnList_SetAsideForCoupling(u32 line, i32 number) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return 1;
  if ((t->StateFlags & (TRN_OFF_TRACK | TRN_SET_ASIDE))) return 2;
  if (Trn_CheckOnTrack(t)) return 3;
  TrnOps_EndWait(t);
  if (t->StateFlags & TRN_PAUSED) t->StateFlags &= ~TRN_PAUSED;
  else TrnList_UnlinkState(t);
  t->StateFlags |= TRN_SET_ASIDE;
  Trn_RedrawCells(t, 1);
  return 0;
}

int TrnList_SplitTrain(u32 line, i32 number, i32 position, u32 value, i32 reverseWait, i32 parkWait) {
  TrainRec* t = TrnList_Find(line, number);
  if (!t) return 1;
  if (t->VehicleCount < 2) return 4;
  if (t->PropFlags & 0x4) return 5;
  if (position >= i32(t->VehicleCount)) return 6;
  TrnOps_EndWait(t);
  if (t->StateFlags & TRN_PAUSED) TrnList_ResumeTrain(line, number);
  const int r = Trn_Split(t, value, 0, reverseWait, parkWait, position);
  switch (r) {
    case 1: return 2;
    case 2: return 12;
    case 3: return 13;
    case 5: return 15;
    case 6: return 3;
    case 7: return 17;
    default:
      if (r >= 9 && r <= 14) return 20;
      Lay_MarkModified();
      return 0;
  }
}

// ---------------------------------------------------------------- counters

u32 TrnList_CountByState(u32* paused, u32* atStop, u32* reverseWait, u32* soundWait, u32* held, u32* setAside,
                         u32* blocked) {
  u32 n[8] = {};
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    const u32 f = t->StateFlags;
    const int k = (f & TRN_PAUSED)          ? 0
                  : (f & TRN_OFF_TRACK)     ? 1
                  : (f & TRN_AT_STOP)       ? 2
                  : (f & TRN_REVERSE_WAIT)  ? 3
                  : (f & TRN_STOP_SOUND)    ? 4
                  : (f & TRN_HELD)          ? 5
                  : (f & TRN_SET_ASIDE)     ? 6
                  : (f & TRN_BLOCKED)       ? 7
                                            : -1;
    if (k >= 0) n[k]++;
  }
  u32* outs[8] = {paused, nullptr, atStop, reverseWait, soundWait, held, setAside, blocked};
  for (int k = 0; k < 8; ++k)
    if (outs[k]) *outs[k] = n[k];
  return n[1];
}

static u32 TrnOps_Bits(u32 v) {
  u32 n = 0;
  for (; v; v &= v - 1) ++n;
  return n;
}

// Timetable entries naming the place, once per weekday of both masks.
static u32 TrnOps_EntryUses(const u32* times, const u16* depots, const u16* places, u32 depot, u32 place,
                            u32 weekdays) {
  u32 n = 0;
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
    if (times[i] == 0 || depots[i] != depot) continue;
    if (place && (places[i] & 0x7FFF) != place) continue;
    n += TrnOps_Bits((times[i] >> 24) & weekdays & 0x7F);
  }
  return n;
}

u32 TrnList_CountUses(u32 depot, u32 place, i32 x, i32 y, i32 level, u32 weekdays, u32* timetableA,
                      u32* timetableB, u32* offTrackAtCell, u32* current) {
  u32 home = 0, a = 0, b = 0, atCell = 0, cur = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (depot && t->HomeDepot == depot && (!place || t->HomePlace == place)) home++;
    if (depot && (t->StateFlags & TRN_IN_SERVICE) && t->CurDepot == depot && (!place || (t->CurPlace & 0x7FFF) == place))
      cur++;
    if (t->StateFlags & TRN_OFF_TRACK) {
      const TrainCell& c = Trn_Cells(t)[0];
      if (c.X == x && c.Y == y && c.Level == level) atCell++;
    }
    if (depot) {
      a += TrnOps_EntryUses(t->TimeA, t->DepotA, t->PlaceA, depot, place, weekdays);
      b += TrnOps_EntryUses(t->TimeB, t->DepotB, t->PlaceB, depot, place, weekdays);
    }
  }
  if (timetableA) *timetableA = a;
  if (timetableB) *timetableB = b;
  if (offTrackAtCell) *offTrackAtCell = atCell;
  if (current) *current = cur;
  return home;
}

u32 TrnList_CountMissingVehicles(u32 length) {
  u32 n = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    const TrainVehicle* v = Trn_Vehicles(t);
    for (u32 i = 0; i < t->VehicleCount; ++i)
      if (v[i].Length == length &&
          ((v[i].VehFlags & TRN_VEH_MISSING) || Trn_CatalogueVehicleLength(v[i].Vehicle) != v[i].Length))
        n++;
  }
  return n;
}

u32 TrnList_CountVehicleUse(u32 vehicle) {
  if (vehicle & TRN_MISSING_VEHICLE) return TrnList_CountMissingVehicles(vehicle & ~TRN_MISSING_VEHICLE);
  u32 n = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    const TrainVehicle* v = Trn_Vehicles(t);
    for (u32 i = 0; i < t->VehicleCount; ++i)
      if (v[i].Vehicle == vehicle && !(v[i].VehFlags & TRN_VEH_MISSING)) n++;
  }
  return n;
}

u32 TrnList_MarkVehicleUnloaded(u32 vehicle) {
  if (vehicle & TRN_MISSING_VEHICLE) return 0;
  u32 n = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    TrainVehicle* v = Trn_Vehicles(t);
    for (u32 i = 0; i < t->VehicleCount; ++i)
      if (v[i].Vehicle == vehicle && !(v[i].VehFlags & TRN_VEH_MISSING)) {
        v[i].VehFlags |= TRN_VEH_MISSING;
        n++;
      }
  }
  return n;
}

u32 TrnList_NextTimetableTime(const TrainRec* t, int timetable) {
  if (!t) return 0;
  const SimClock& c = g_simClock;
  const u32 today = (c.weekday >= 1 && c.weekday <= 7) ? 1u << (c.weekday - 1) : 1u;
  const u32 now = today << 24 | u32(c.hour) << 16 | u32(c.minute) << 8 | c.second;
  const u32* times = timetable ? t->TimeB : t->TimeA;
  u32 best = 0;
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
    if (times[i] == 0) continue;
    const u32 mask = (times[i] >> 24) & 0x7F;
    for (u32 d = 0; d < 7; ++d) {
      const u32 bit = 1u << d;
      if (!(mask & bit) || (c.weekdayFrozen && bit != today)) continue;
      const u32 cand = bit << 24 | (times[i] & 0xFFFFFF);
      if (best == 0 || Clk_InWindow(cand, now, best)) best = cand;
    }
  }
  return best;
}

// ---------------------------------------------------------------- region hooks

static int TrnOps_Between(i32 v, i32 a, i32 b) { return a <= b ? (v >= a && v <= b) : (v >= b && v <= a); }

static int TrnOps_InBox(const TrainCell& c, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  return TrnOps_Between(c.X, x1, x2) && TrnOps_Between(c.Y, y1, y2) && TrnOps_Between(c.Level, level1, level2);
}

// The cells of the train that stand for it: the first only off the track or
// while it waits in a depot place, else every slot with a saved code.
static u32 TrnOps_CellCount(const TrainRec* t) {
  if (t->StateFlags & (TRN_OFF_TRACK | TRN_DEPOT_WAIT)) return 1;
  const TrainCell* c = Trn_Cells(t);
  u32 n = 0;
  while (n <= t->LastCell && c[n].SavedCode != TRN_NO_CODE) ++n;
  return n ? n : 1;
}

int TrnList_CheckBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int offTrack, i32* x, i32* y,
                     i32* level) {
  int whole = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if ((t->StateFlags & TRN_OFF_TRACK) && !offTrack) continue;
    const TrainCell* c = Trn_Cells(t);
    const u32 n = TrnOps_CellCount(t);
    u32 inside = 0;
    for (u32 i = 0; i < n; ++i) inside += TrnOps_InBox(c[i], x1, y1, level1, x2, y2, level2);
    if (inside == 0) continue;
    if (inside == n) {
      whole = 1;
      continue;
    }
    for (u32 i = 0; i + 1 < n; ++i) {
      const int a = TrnOps_InBox(c[i], x1, y1, level1, x2, y2, level2);
      const int b = TrnOps_InBox(c[i + 1], x1, y1, level1, x2, y2, level2);
      if (a == b) continue;
      const TrainCell& in = a ? c[i] : c[i + 1];
      if (x) *x = in.X;
      if (y) *y = in.Y;
      if (level) *level = in.Level;
      return 2;
    }
  }
  return whole;
}

static void TrnOps_RefreshWords(TrainRec* t) {
  TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell; ++i) {
    const int off = (t->StateFlags & (TRN_OFF_TRACK | TRN_DEPOT_WAIT)) ? i > 0 : c[i].SavedCode == TRN_NO_CODE;
    const int inGrid = c[i].X >= 0 && c[i].X < GRID_SIZE && c[i].Y >= 0 && c[i].Y < GRID_SIZE && c[i].Level >= -4 &&
                       c[i].Level <= 0;
    c[i].GridWord = off || !inGrid ? nullptr : Grid_CellPtr(c[i].X, c[i].Y, c[i].Level);
  }
}

void TrnList_MoveBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    TrainCell* c = Trn_Cells(t);
    if (!TrnOps_InBox(c[0], x1, y1, level1, x2, y2, level2)) continue;
    // Every slot moves, the unused ones too, so that no slot keeps a cell
    // of the old place.
    const u32 n = (t->StateFlags & TRN_OFF_TRACK) ? 1 : t->LastCell + 1;
    for (u32 i = 0; i < n; ++i) {
      c[i].X += dx;
      c[i].Y += dy;
      c[i].Level += dlevel;
    }
    TrnOps_RefreshWords(t);
  }
}

static i32 TrnOps_Scale(i32 v, i32 origin, i32 num, i32 den) {
  if (den == 0) den = 1;
  return i32(i64(v - origin) * num / den) + origin;
}

void TrnList_ScaleBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                        i32 numX) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    TrainCell* c = Trn_Cells(t);
    if (!TrnOps_InBox(c[0], x1, y1, level1, x2, y2, level2)) continue;
    if (t->StateFlags & TRN_OFF_TRACK) {
      c[0].X = TrnOps_Scale(c[0].X, x1, numX, denX);
      c[0].Y = TrnOps_Scale(c[0].Y, y1, numY, denY);
      TrnOps_RefreshWords(t);
      continue;
    }
    // The train keeps its shape: its greatest x and y are scaled, every cell
    // (a last one without saved code too) keeps its distance to them.
    const u32 n = TrnOps_CellCount(t);
    i32 maxX = c[0].X, maxY = c[0].Y;
    for (u32 i = 1; i < n; ++i) {
      if (c[i].X > maxX) maxX = c[i].X;
      if (c[i].Y > maxY) maxY = c[i].Y;
    }
    const i32 dx = TrnOps_Scale(maxX, x1, numX, denX) - maxX;
    const i32 dy = TrnOps_Scale(maxY, y1, numY, denY) - maxY;
    for (u32 i = 0; i <= t->LastCell; ++i) {
      c[i].X += dx;
      c[i].Y += dy;
    }
    TrnOps_RefreshWords(t);
  }
}

// ---------------------------------------------------------------- depot-place hooks

void TrnList_MovePlacePos(i32 oldX, i32 oldY, i32 oldLevel, i32 newX, i32 newY, i32 newLevel) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (!(t->StateFlags & TRN_OFF_TRACK)) continue;
    TrainCell& c = Trn_Cells(t)[0];
    if (c.X != oldX || c.Y != oldY || c.Level != oldLevel) continue;
    c.X = newX;
    c.Y = newY;
    c.Level = newLevel;
    TrnOps_RefreshWords(t);
  }
  Lay_MarkModified();
}

static void TrnOps_Renumber(u16* places, const u16* depots, u32 depot, u32 oldPlace, u32 newPlace) {
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i)
    if (depots[i] == depot && (places[i] & 0x7FFF) == oldPlace) places[i] = u16((places[i] & 0x8000) | newPlace);
}

void TrnList_RenumberDepotPlace(u32 depot, u32 oldPlace, u32 newPlace) {
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->HomeDepot == depot && t->HomePlace == oldPlace) t->HomePlace = u16(newPlace);
    if ((t->StateFlags & TRN_IN_SERVICE) && t->CurDepot == depot && (t->CurPlace & 0x7FFF) == oldPlace)
      t->CurPlace = u16((t->CurPlace & 0x8000) | newPlace);
    TrnOps_Renumber(t->PlaceA, t->DepotA, depot, oldPlace, newPlace);
    TrnOps_Renumber(t->PlaceB, t->DepotB, depot, oldPlace, newPlace);
  }
}

#include "operation/trndepart.h"

#include "model/dep.h"
#include "model/grid.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/trnlist.h"
#include "operation/trnmove.h"
#include "operation/trnres.h"
#include "operation/trnstep.h"

// ---------------------------------------------------------------- neighbours

// The depot place's cell, direction code and speed limit (km/h); 1 when
// there is no such place. A place keeps no speed limit of its own yet: 0,
// no cap.
static int Trn_DepotPlaceInfo(u32 depot, u32 place, i32* x, i32* y, i32* level, u32* dirCode, u32* speedKmh) {
  DepotPlaceInfo info;
  if (Dep_GetPlace(depot, place, &info)) return 1;
  *x = info.X;
  *y = info.Y;
  *level = info.Level;
  *dirCode = info.Directions;
  *speedKmh = 0;
  return 0;
}

static void Trn_PostMessage(u32 kind, const TrainRec* t, i32 x, i32 y, i32 level, u32 data) {
  Dmsg_Post(kind, x, y, level, data, t->Number, t->CurLine, t->Line);
}
// Whether dispatcher kind 15 (a train to be inserted is already on the
// track) is on; the dispatcher keeps every kind on until its settings exist.
static int Trn_MessageKindOn(u32) { return 1; }

// ---------------------------------------------------------------- directions

i32 Trn_DirectionDx(u32 code) {
  if (code & (4 | 32 | 64)) return -1;
  if (code & (8 | 16 | 128)) return 1;
  return 0;
}

i32 Trn_DirectionDy(u32 code) {
  if (code & (1 | 32 | 128)) return -1;
  if (code & (2 | 16 | 64)) return 1;
  return 0;
}

// ---------------------------------------------------------------- timetables

static int Trn_EntryMatches(u32 entry, u32 now) {
  return entry && (entry & 0xFFFFFF) == (now & 0xFFFFFF) && ((entry >> 24) & (now >> 24) & 0x7F);
}

int Trn_MatchDeparture(const TrainRec* t, u32 now) {
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i)
    if (Trn_EntryMatches(t->TimeA[i], now)) return i + 1;
  return 0;
}

int Trn_MatchInsertion(const TrainRec* t, u32 now) {
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i)
    if (Trn_EntryMatches(t->TimeB[i], now)) return i;
  return -1;
}

static void Trn_RedrawIfLabelled(TrainRec* t) {
  if (Trn_LabelsShown()) Trn_RedrawCells(t, 1);
}

void Trn_TimetableDepartures(void) {
  const u32 now = Clk_Now();
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->StateFlags & TRN_PAUSED) continue;
    const int entry = Trn_MatchDeparture(t, now);
    if (!entry) continue;
    if (t->StateFlags & (TRN_IN_SERVICE | TRN_OFF_TRACK)) {
      const TrainCell& h = Trn_Cells(t)[0];
      Trn_PostMessage(14, t, h.X, h.Y, h.Level, 0);
      continue;
    }
    Trn_StartService(t, entry, (t->PlaceA[entry - 1] & 0x8000) != 0);
  }
}

static void Trn_InsertByEntry(TrainRec* t, int i) {
  Trn_PlaceAtDepotPlace(t, t->DepotB[i], t->PlaceB[i] & 0x7FFF, (t->PlaceB[i] & 0x8000) != 0);
}

void Trn_TimetableInsertions(void) {
  const u32 now = Clk_Now();
  if (!Trn_MessageKindOn(15)) {
    // Placing moves the train out of the off-track list: the next link is
    // read before.
    TrainRec* t = TrnList_StateHead(TRN_LIST_OFF_TRACK);
    while (t) {
      TrainRec* next = t->NextInState;
      const int i = Trn_MatchInsertion(t, now);
      if (i >= 0) Trn_InsertByEntry(t, i);
      t = next;
    }
    return;
  }
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->StateFlags & TRN_PAUSED) continue;
    const int i = Trn_MatchInsertion(t, now);
    if (i < 0) continue;
    if (t->StateFlags & TRN_OFF_TRACK) {
      Trn_InsertByEntry(t, i);
    } else {
      const TrainCell& h = Trn_Cells(t)[0];
      Trn_PostMessage(15, t, h.X, h.Y, h.Level, 0);
    }
  }
}

// ---------------------------------------------------------------- service

void Trn_StartService(TrainRec* t, int entry, int flagged) {
  u16 depot, place;
  if (entry >= 1 && entry <= TRN_TIMETABLE_ENTRIES) {
    depot = t->DepotA[entry - 1];
    place = u16(t->PlaceA[entry - 1] & 0x7FFF);
  } else {
    depot = t->HomeDepot;
    place = t->HomePlace;
  }
  if (!depot) return;
  t->CurDepot = depot;
  t->CurPlace = place;
  const int reserved = (t->StateFlags & TRN_RESERVED) != 0;
  if (reserved) {
    Trn_DropReservation(t);
  }
  t->StateFlags &= ~(TRN_AT_PLACE | TRN_FLAGGED_START);
  t->StateFlags |= TRN_IN_SERVICE;
  if (flagged) t->StateFlags |= TRN_FLAGGED_START;
  if (reserved) Trn_Reserve(t, 0);
  if (t->StateFlags & TRN_HELD) Trn_ReleaseHeld(t, 1);
  if (Trn_GetFollowed() == t) Trn_MarkFollowedMoved();
  Trn_RedrawIfLabelled(t);
}

int Trn_EndService(TrainRec* t) {
  if (!(t->StateFlags & TRN_IN_SERVICE)) return 1;
  if (t->StateFlags & TRN_RESERVED) {
    Trn_DropReservation(t);
    t->StateFlags &= ~(TRN_IN_SERVICE | TRN_FLAGGED_START);
    Trn_Reserve(t, 0);
  } else {
    t->StateFlags &= ~(TRN_IN_SERVICE | TRN_FLAGGED_START);
  }
  if (Trn_GetFollowed() == t) Trn_MarkFollowedMoved();
  Trn_RedrawIfLabelled(t);
  return 0;
}

int Trn_PlaceAtDepotPlace(TrainRec* t, i32 depot, i32 place, int flagged) {
  u32 d = 0, p = 0;
  if (depot == -1) {
    const TrainCell& h = Trn_Cells(t)[0];
    d = Dep_FindAtPosition(h.X, h.Y, h.Level, &p);
  } else if (depot == 0) {
    d = t->HomeDepot;
    p = t->HomePlace;
  } else {
    d = u32(depot);
    p = u32(place);
  }
  i32 x, y, level;
  u32 dirCode = 0, kmh = 0;
  if (!d || Trn_DepotPlaceInfo(d, p, &x, &y, &level, &dirCode, &kmh)) return 1;
  const int kind = Trn_TrackKindCheck(t->PathOption, Grid_GetCellNorm(x, y, level));
  if (kind != 1 && kind != 3 && kind != 4) {
    Trn_PostMessage(6, t, x, y, level, 0);
    return 1;
  }
  t->StateFlags &= ~TRN_OFF_TRACK;
  t->StateFlags |= TRN_DEPOT_WAIT | TRN_AT_PLACE;
  if (flagged) t->StateFlags |= TRN_FLAGGED_START;
  // A paused train stays in no list; resuming links it by its new flags.
  if (!(t->StateFlags & (TRN_PAUSED | TRN_SET_ASIDE))) TrnList_AddRetry(t);
  t->RetryCount = 0;
  t->Speed = 0;
  t->StepInterval = 0;
  t->StepCountdown = 0;
  t->SpeedCapA = kmh * 1000;
  t->SpeedCapB = t->SpeedCapC = 0;
  Trn_UpdateTargetSpeed(t);
  t->SubCellOffset = 0;
  t->DirX = Trn_DirectionDx(dirCode);
  t->DirY = Trn_DirectionDy(dirCode);
  t->DirZ = 0;
  TrainCell* c = Trn_Cells(t);
  for (u32 k = 0; k <= t->LastCell; ++k) {
    c[k].X = x - i32(k) * t->DirX;
    c[k].Y = y - i32(k) * t->DirY;
    c[k].Level = level;
    c[k].GridWord = nullptr;
    c[k].SavedCode = TRN_NO_CODE;
  }
  Trn_MarkVehicleStarts(t);
  if (Trn_GetFollowed() == t) Trn_MarkFollowedMoved();
  return 0;
}

// ---------------------------------------------------------------- numbers

i32 TrnList_LowestFreeNumber(u32 line) {
  i32 last = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->Line != line) continue;
    if (t->Number > last + 1) return last + 1;
    if (t->Number > last) last = t->Number;
  }
  return last >= TRN_MAX_NUMBER ? 0 : last + 1;
}

i32 TrnList_HighestFreeNumber(u32 line) {
  i32 prev = 0;       // the previous number seen
  i32 belowGap = -1;  // just below the last gap so far
  int any = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->Line != line) continue;
    if (!any) belowGap = t->Number - 1;
    else if (t->Number > prev + 1) belowGap = t->Number - 1;
    prev = t->Number;
    any = 1;
  }
  if (!any || prev < TRN_MAX_NUMBER) return TRN_MAX_NUMBER;
  return belowGap > 0 ? belowGap : 0;
}

// ---------------------------------------------------------------- Dwx hand-over

u32 Trn_VehiclesLength(const TrainVehicle* first, u32 n) {
  u32 sum = 0;
  for (u32 i = 0; i < n; ++i) sum += first[i].Length;
  return sum;
}

void Trn_ApplyDwxTimetables(TrainRec* t, const u32* timesB, const u16* depotsB, const u16* placesA,
                            const u16* depotsA, const u32* timesA, const u16* placesB) {
  struct Side {
    u32* time;
    u16 *depot, *place;
    const u32* inTime;
    const u16 *inDepot, *inPlace;
  } sides[2] = {{t->TimeA, t->DepotA, t->PlaceA, timesA, depotsA, placesA},
                {t->TimeB, t->DepotB, t->PlaceB, timesB, depotsB, placesB}};
  for (const Side& s : sides) {
    for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
      s.time[i] = s.inTime[i];
      if (!s.inTime[i]) {
        s.depot[i] = s.place[i] = 0;
      } else if (s.inDepot[i] < 1) {
        if (t->HomeDepot >= 1 && t->HomeDepot <= 4000) {
          s.depot[i] = t->HomeDepot;
          s.place[i] = u16(t->HomePlace | (s.inPlace[i] & 0x8000));
        } else {
          s.time[i] = 0;
          s.depot[i] = s.place[i] = 0;
        }
      } else {
        s.depot[i] = s.inDepot[i];
        s.place[i] = s.inPlace[i];
      }
    }
  }
}

void Trn_ApplyDwx(TrainRec* t, u32 line, u32 type, u32 depotPlace, u32 pathOption, u32 flags, u32 propFlags,
                  u32 category) {
  const u32 newLine = line ? line : t->Line;
  const u32 keyFlags = TRN_AT_PLACE | TRN_FLAGGED_START | TRN_IN_SERVICE;
  const u32 depot = depotPlace & 0xFFFF, place = depotPlace >> 16;
  const int samePlace = !(flags & TRN_IN_SERVICE) || (depot == t->CurDepot && place == t->CurPlace);
  const u32 newType = type ? type : t->HomeType;
  const u32 newCategory = category ? category : t->HomeCategory;
  if (newLine == t->CurLine && newType == t->Type && newCategory == t->Category && pathOption == t->PathOption &&
      ((propFlags ^ t->PropFlags) & 8) == 0 && (flags & keyFlags) == (t->StateFlags & keyFlags) && samePlace) {
    t->PropFlags = propFlags;
    return;
  }
  const int gaveBack = (t->StateFlags & TRN_RESERVED) != 0;
  if (gaveBack) {
    Trn_DropReservation(t);
  }
  t->CurLine = newLine;
  t->Type = newType;
  t->Category = newCategory;
  t->PathOption = pathOption;
  t->PropFlags = propFlags;
  // Only the bits a Dwx point hands over change; the list and follow bits the
  // train carries stay with it.
  t->StateFlags = (t->StateFlags & ~keyFlags) | (flags & keyFlags & ~TRN_RESERVED);
  if (flags & TRN_IN_SERVICE) {
    t->CurDepot = u16(depot);
    t->CurPlace = u16(place);
  }
  if (gaveBack && (propFlags & ~8u)) Trn_Reserve(t, 1);
  if (Trn_GetFollowed() == t) Trn_MarkFollowedMoved();
}

int Trn_ApplyDwxNumber(TrainRec* t, i32 number, const CellPos* cell) {
  if (number == t->Number) return 1;
  i32 n = number;
  int code = 0;
  if (number == 32767 || number == 32766) {
    n = number == 32767 ? TrnList_LowestFreeNumber(t->Line) : TrnList_HighestFreeNumber(t->Line);
    if (!n) code = 2;
  } else if (TrnList_Find(t->Line, number)) {
    code = 3;
  }
  if (code) {
    if (cell) Trn_PostMessage(code == 2 ? 28 : 29, t, cell->x, cell->y, cell->level, 0);
    return code;
  }
  TrnList_UnlinkSorted(t);
  t->Number = n;
  TrnList_InsertSorted(t);
  return 0;
}

#include "operation/trnquery.h"

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trndepart.h"
#include "operation/trnmove.h"

// Slots of trains further than this from their head cannot hold the cell.
enum { TRN_QUERY_REACH = 201 };
// A train waiting with its stop sound due stands as well.
enum : u32 { TRN_STAND_SOUND = TRN_STOP_SOUND };

static i32 Trn_Abs(i32 v) { return v < 0 ? -v : v; }

static int Trn_SlotAt(TrainRec* t, i32 x, i32 y, i32 level, u32* slot) {
  if (t->StateFlags & (TRN_OFF_TRACK | TRN_DEPOT_WAIT)) return 0;
  const TrainCell* c = Trn_Cells(t);
  if (Trn_Abs(c[0].X - x) >= TRN_QUERY_REACH || Trn_Abs(c[0].Y - y) >= TRN_QUERY_REACH) return 0;
  for (u32 i = 0; i <= t->LastCell; ++i) {
    if (c[i].SavedCode == TRN_NO_CODE || c[i].X != x || c[i].Y != y || c[i].Level != level) continue;
    if (slot) *slot = i;
    return 1;
  }
  return 0;
}

TrainRec* Trn_FindAtCell(i32 x, i32 y, i32 level, u32* slot, u16 code) {
  if (code != CELL_EMPTY)
    for (TrainRec* t = TrnList_Bucket(u32(code) - CELL_TRAIN_FIRST); t; t = t->MarkerLink)
      if (Trn_SlotAt(t, x, y, level, slot)) return t;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next)
    if (Trn_SlotAt(t, x, y, level, slot)) return t;
  return nullptr;
}

u16 Trn_GetCellGraphic(i32 x, i32 y, i32 level, u16 code) {
  u32 slot = 0;
  TrainRec* t = Trn_FindAtCell(x, y, level, &slot, code);
  return t ? u16(Trn_Cells(t)[slot].SavedCode) : u16(CELL_EMPTY);
}

int Trn_SetCellGraphic(i32 x, i32 y, i32 level, u16 newCode, u16 marker) {
  u32 slot = 0;
  TrainRec* t = Trn_FindAtCell(x, y, level, &slot, marker);
  if (!t) return 1;
  Trn_Cells(t)[slot].SavedCode = newCode;
  Grid_RedrawCell(x, y, level, GRID_REDRAW_ALL);
  if (y >= 1) Grid_RedrawCell(x, y - 1, level, GRID_REDRAW_PICTURE);
  if (y >= 2) Grid_RedrawCell(x, y - 2, level, GRID_REDRAW_PICTURE);
  return 0;
}

int Trn_InfoAtCell(i32 x, i32 y, i32 level, u32* flags, i32* number, u32* line, u16 marker) {
  TrainRec* t = Trn_FindAtCell(x, y, level, nullptr, marker);
  if (!t) return 1;
  if (flags) *flags = t->StateFlags;
  if (number) *number = t->Number;
  if (line) *line = t->Line;
  return 0;
}

int Trn_IsFollowedAtCell(i32 x, i32 y, i32 level) {
  TrainRec* t = Trn_GetFollowed();
  if (!t || (t->StateFlags & TRN_OFF_TRACK)) return 0;
  const TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell; ++i)
    if (c[i].SavedCode != TRN_NO_CODE && c[i].X == x && c[i].Y == y && c[i].Level == level) return 1;
  return 0;
}

static i32 Trn_Scale(i32 v, i32 origin, i32 num, i32 den) {
  if (den == 0) den = 1;
  return i32(i64(v - origin) * num / den) + origin;
}

int Trn_ScaleRegionPos(i32 originX, i32 originY, i32 x, i32* newY, i32* newX, i32 denY, i32 numY, i32 denX,
                       i32 numX, i32 level, i32 y) {
  const CellCode code = Grid_GetCellChecked(x, y, level);
  TrainRec* t = nullptr;
  if (Cell_IsTrainMarker(code)) t = Trn_FindAtCell(x, y, level, nullptr, code);
  if (!t) {
    if (newX) *newX = Trn_Scale(x, originX, numX, denX);
    if (newY) *newY = Trn_Scale(y, originY, numY, denY);
    return 0;
  }
  const TrainCell* c = Trn_Cells(t);
  i32 maxX = c[0].X, maxY = c[0].Y;
  for (u32 i = 1; i <= t->LastCell; ++i) {
    if (i == t->LastCell && c[i].SavedCode == TRN_NO_CODE) break;
    if (c[i].X > maxX) maxX = c[i].X;
    if (c[i].Y > maxY) maxY = c[i].Y;
  }
  if (newX) *newX = Trn_Scale(maxX, originX, numX, denX) - (maxX - x);
  if (newY) *newY = Trn_Scale(maxY, originY, numY, denY) - (maxY - y);
  return 1;
}

// ---------------------------------------------------------------- compositor queries

// Part flags of a step of travel (dx, dy): the side of the cell the head
// lies on decides between the two flags of each kind.
static u16 Trn_PartFlags(i32 dx, i32 dy) {
  if (dy == 0) return dx < 0 ? 4 : 8;
  if (dx == 0) return dy < 0 ? 1 : 2;
  if ((dx > 0) == (dy > 0)) return dx > 0 ? 16 : 32;  // falling to the right
  return dx < 0 ? 64 : 128;                            // rising to the right
}

u16 Trn_CellVehicleImage(i32 x, i32 y, i32 level, TrnCellImage* out, u16 code) {
  out->saved = CELL_EMPTY;
  out->count = 0;
  out->seed = 0;
  out->smoke = 0;
  out->alternate = 0;
  u32 slot = 0;
  TrainRec* t = Trn_FindAtCell(x, y, level, &slot, code);
  if (!t) return CELL_EMPTY;
  const TrainCell* c = Trn_Cells(t);
  out->saved = u16(c[slot].SavedCode);
  // The seed follows the train's place: a standing train redraws the same
  // exhaust, a moving one shows it anew with every step.
  out->seed = i32((u32(t->Number) * 7919u + t->Line * 31u + slot * 13u + u32(t->SubCellOffset) * 101u) & 0x7FFFFFFF);
  // A paused train is not active: it shows no exhaust.
  out->smoke = (t->StateFlags & TRN_PAUSED) ? 0 : 1;
  i32 dx, dy;
  if (slot == 0) {
    dx = t->DirX;
    dy = t->DirY;
  } else {
    dx = c[slot - 1].X - c[slot].X;
    dy = c[slot - 1].Y - c[slot].Y;
  }
  if (dx == 0 && dy == 0 && slot < t->LastCell) {
    dx = c[slot].X - c[slot + 1].X;
    dy = c[slot].Y - c[slot + 1].Y;
  }
  u16 dirFlags = Trn_PartFlags(dx, dy);
  // Pixels along the train from the head; cell `slot` covers 32 of them.
  i32 cellFrom = i32(slot) * 32, cellTo = cellFrom + 32;
  i32 s = t->SubCellOffset < 0 ? 0 : t->SubCellOffset;
  const TrainVehicle* v = Trn_Vehicles(t);
  for (u32 j = 0; j < t->VehicleCount && s < cellTo; ++j) {
    // A missing vehicle keeps its length in the train's entry; a vehicle whose
    // set is not cached has no record either, so the entry is the length the
    // compositor can trust.
    u32 len = v[j].Length < 8 ? 8 : v[j].Length;
    i32 e = s + i32(len);
    if (e > cellFrom && out->count < TRN_CELL_PARTS) {
      TrnCellPart& p = out->parts[out->count++];
      i32 a = s > cellFrom ? s : cellFrom, b = e < cellTo ? e : cellTo;
      p.vehicle = (v[j].VehFlags & TRN_VEH_MISSING) ? (TRN_MISSING_VEHICLE | len) : v[j].Vehicle;
      p.flags = u16(dirFlags | (v[j].VehFlags & TRN_VEH_TURNED));
      p.first = a - s;
      p.last = b - 1 - s;
      p.start = a - cellFrom;
      p.length = len;
    }
    s = e;
  }
  // A standing train shows its alternate pictures when its first part here
  // faces the way it leaves: forward, or back when it reverses after the stop.
  if ((t->StateFlags & (TRN_AT_STOP | TRN_HELD | TRN_STAND_SOUND)) && out->count > 0) {
    u16 d = out->parts[0].flags;
    out->alternate = (t->StateFlags & TRN_STOP_REVERSE) ? (d & (4 | 32 | 64)) != 0 : (d & (8 | 16 | 128)) != 0;
  }
  return out->saved;
}

int Trn_LabelAtCell(i32 x, i32 y, i32 level, wch* text, i32* offX, i32* offY, u16 code) {
  u32 slot = 0;
  TrainRec* t = Trn_FindAtCell(x, y, level, &slot, code);
  if (!t || slot != 0) return 0;
  // "%u." of the number; the line name belongs to the line table.
  char buf[16];
  int n = 0;
  u32 num = u32(t->Number);
  char rev[12];
  int k = 0;
  do {
    rev[k++] = char('0' + num % 10);
    num /= 10;
  } while (num && k < 11);
  while (k) buf[n++] = rev[--k];
  buf[n++] = '.';
  for (int i = 0; i < n; ++i) text[i] = wch(buf[i]);
  text[n] = 0;
  const TrainCell* c = Trn_Cells(t);
  i32 sx = t->LastCell >= 1 ? c[1].X - c[0].X : 0, sy = t->LastCell >= 1 ? c[1].Y - c[0].Y : 0;
  if (offX) *offX = sx == -1 ? t->SubCellOffset : sx == 1 ? 28 - t->SubCellOffset : 16;
  if (offY) *offY = sy == 1 ? -t->SubCellOffset / 2 : sy == -1 ? t->SubCellOffset / 2 : 0;
  return 1;
}

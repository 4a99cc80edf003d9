#include "operation/trnquery.h"

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "render/map.h"

// Slots of trains further than this from their head cannot hold the cell.
enum { TRN_QUERY_REACH = 201 };

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
    for (TrainRec* t = TrnList_Bucket(u32(code) - TRN_MARKER_FIRST); t; t = t->MarkerLink)
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
  Map_RedrawCell(x, y, level, MAP_REDRAW_ALL);
  if (y >= 1) Map_RedrawCell(x, y - 1, level, MAP_REDRAW_PICTURE);
  if (y >= 2) Map_RedrawCell(x, y - 2, level, MAP_REDRAW_PICTURE);
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
  if (code >= TRN_MARKER_FIRST && code <= TRN_MARKER_LAST) t = Trn_FindAtCell(x, y, level, nullptr, code);
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

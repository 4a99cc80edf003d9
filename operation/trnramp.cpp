#include "operation/trnramp.h"

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trndepart.h"
#include "operation/trnmove.h"
#include "operation/trnquery.h"

int Trn_RampDownClass(u32 code) {
  if (Cell_HasShapeIn(code, 216, 255)) return 1;
  if (Cell_HasShapeIn(code, 208, 210)) return 2;
  return 0;
}

u32 Trn_RampPartnerCode(u32 code) {
  const int k = Trn_RampDownClass(code);
  if (!k) return CELL_EMPTY;
  const u32 low = k == 1 ? (184u | ((code & 7) ^ 1u)) : (184u | 1u);
  return Cell_WithShape(code, low);
}

// The level-0 code of a cell as a train sees it; *marked set for a train
// or bit 14 there.
static u32 Trn_RampCellCode(i32 x, i32 y, int* marked) {
  u32 code = Grid_GetCell(x, y, 0);
  if (Cell_IsTrainMarker(code)) {
    u32 slot = 0;
    TrainRec* t = Trn_FindAtCell(x, y, 0, &slot, u16(code));
    *marked = 1;
    if (t) code = Trn_Cells(t)[slot].SavedCode;
    return Cell_WithoutMark(code);
  }
  if (Cell_IsReserved(code)) *marked = 1;
  return Cell_Normalised(code);
}

int Trn_FindRampAlong(i32* x, i32* y, i32* distance, u32 dirCode) {
  *distance = 0;
  const u32 start = Cell_WithoutMark(Grid_GetCell(*x, *y, 0));
  if (!Trn_RampDownClass(start)) return 11;
  const u32 kind = start < 7168 ? 1 : start < 8192 ? 2 : 4;
  const i32 dx = Trn_DirectionDx(dirCode), dy = Trn_DirectionDy(dirCode);
  i32 cx = *x, cy = *y, steps = 0;
  int marked = 0;
  for (;;) {
    cx += dx;
    cy += dy;
    ++steps;
    if (cx < 0 || cx >= GRID_SIZE || cy < 0 || cy >= GRID_SIZE || (dx == 0 && dy == 0)) {
      *distance = steps - 1;  // the cells walked on the grid
      return 12;
    }
    int m = 0;
    const u32 code = Trn_RampCellCode(cx, cy, &m);
    if (!Trn_RampDownClass(code)) {
      marked |= m;
      continue;
    }
    int cls = 0;
    Trn_TrackConnection(dx, dy, code, &cls, kind);
    if (cls != TRK_CLASS_RAMP_TOP && cls != TRK_CLASS_RAMP_DOWN) {
      marked |= m;
      continue;
    }
    *x = cx;
    *y = cy;
    *distance = steps;
    if (cls == TRK_CLASS_RAMP_DOWN) return 21;
    return (marked | m) ? 1 : 0;
  }
}

// A layout built in code for the render tool, the compositor tests and the
// benchmark: ground of every terrain class (plain and second-ground), track
// in all directions, every element shape that has a picture, symbols, a
// level below ground seen through see-through cells, trains standing
// across several cells in each direction, and a row of clocks, smoking
// chimneys and info and log point marks (the clocks show 13:05:09).
#pragma once
#include <cstring>

#include "model/grid.h"
#include "model/infp.h"
#include "model/logp.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "render/gfx.h"
#include "render/vehicles.h"

namespace demo {

// Places a train whose head is at (x, y) and whose cells run by (-dx, -dy),
// `cells` long, on track already laid. Vehicles: `vehicles` of vehicle id
// `vid` (0: a missing vehicle of length 48). Returns the train.
inline TrainRec* PlaceTrain(i32 x, i32 y, i32 level, int dx, int dy, int cells, int vehicles, u32 vid, i32 number,
                            i32 subCellOffset = 4) {
  TrainRec* t = Trn_AllocRecord(u32(cells - 1), u32(vehicles));
  if (!t) return nullptr;
  t->Line = 1;
  t->CurLine = 1;
  t->Number = number;
  t->DirX = dx;
  t->DirY = dy;
  t->SubCellOffset = subCellOffset;
  t->StateFlags = TRN_IN_SERVICE;
  TrainCell* c = Trn_Cells(t);
  for (int i = 0; i < cells; ++i) {
    c[i].X = x - dx * i;
    c[i].Y = y - dy * i;
    c[i].Level = level;
    c[i].SavedCode = Grid_GetCell(c[i].X, c[i].Y, level);
    c[i].GridWord = Grid_CellPtr(c[i].X, c[i].Y, level);
  }
  TrainVehicle* v = Trn_Vehicles(t);
  for (int i = 0; i < vehicles; ++i) {
    u32 len = vid ? Gfx_GetVehicleLength(vid + u32(i % 2)) : 48;
    v[i].Vehicle = vid ? vid + u32(i % 2) : (TRN_MISSING_VEHICLE | 48);
    v[i].VehFlags = vid && len ? 0u : u32(TRN_VEH_MISSING);
    v[i].Length = len ? len : 48;
  }
  if (TrnList_Insert(t) != 0) {
    Trn_FreeRecord(t);
    return nullptr;
  }
  TrnList_AssignMarker(t);
  for (int i = 0; i < cells; ++i) Grid_SetCell(c[i].X, c[i].Y, level, t->MarkerCode);
  return t;
}

// Track codes: class base + shape (0 horizontal, 1 vertical, 2/3 diagonals).
enum { kHorizontal = 0, kVertical = 1, kDiagFalling = 2, kDiagRising = 3 };

inline void Row(i32 x0, i32 x1, i32 y, i32 level, u32 code) {
  for (i32 x = x0; x <= x1; ++x) Grid_SetCell(x, y, level, CellCode(code));
}

// The first code of a range whose picture has smoke (or a clock); 0 none.
inline u32 FirstWithEffect(u32 first, u32 last, int clock) {
  for (u32 code = first; code <= last; ++code) {
    GfxEffects fx;
    if (Gfx_PictureEffects(Gfx_GetSubPicture(code, 0, 0, 0), &fx) && (clock ? fx.clock : fx.smoke)) return code;
  }
  return 0;
}

// Clocks, chimney smoke and the info and log point marks, right of the level
// below ground: the number of pictures placed.
inline int BuildEffects(i32 ox, i32 oy) {
  g_simClock.hour = 13;
  g_simClock.minute = 5;
  g_simClock.second = 9;
  const i32 y = oy + 47;
  Row(ox + 16, ox + 31, y + 2, 0, 4096 + kHorizontal);
  // Elements: timetable point clock posts, a platform's digital clock and
  // depot sheds whose chimneys smoke.
  const u32 elements[] = {4096 + 152, 4096 + 155, 4096 + 263, 4096 + 137, 4096 + 136, 4096 + 138};
  int placed = 0;
  i32 x = ox + 16;
  for (u32 code : elements) {
    Grid_SetCell(x, y, 0, CellCode(code));
    x += 3;
    ++placed;
  }
  // Symbols: the clock towers, a factory and a house with smoke.
  x = ox + 16;
  for (u32 code = 53248; code <= 53253; ++code, x += 2) Grid_SetCell(x, y + 4, 0, CellCode(code));
  placed += 6;
  const u32 smoking[3] = {FirstWithEffect(52224, 52293, 0), FirstWithEffect(51200, 51343, 0),
                          FirstWithEffect(54016, 54177, 0)};
  for (u32 code : smoking) {
    if (!code) continue;
    Grid_SetCell(x, y + 4, 0, CellCode(code));
    x += 2;
    ++placed;
  }
  // Marks: an info point, a log point, one switched off, and both on a cell.
  static const wch kText[] = u"Demo info";
  const u32 length = sizeof kText / sizeof kText[0];
  for (i32 mx : {ox + 24, ox + 30}) {
    Info_Set(mx, y - 2, 0, length);
    Info_SetText(mx, y - 2, 0, kText);
  }
  Logp_Set(ox + 26, y - 2, 0, 255, u"LOG1", LOGP_F_ENTER);
  Logp_Set(ox + 28, y - 2, 0, 255, u"LOG2", LOGP_F_ENTER | LOGP_F_OFF);
  Logp_Set(ox + 30, y - 2, 0, 255, u"LOG3", LOGP_F_LEAVE);
  return placed;
}

// Builds the demo layout at origin (ox, oy); returns the number of element
// pictures placed. The graphics store must be up.
inline int BuildLayout(i32 ox, i32 oy, u32 vehicleId) {
  static const u32 classBases[14] = {0,    1024, 2048, 3072,  4096,  4608,  5120,
                                     5632, 7168, 8192, 9216, 10240, 11264, 12288};
  // Ground of every class: a band of track with empty cells around it, the
  // plain code on the left, the second-ground variant (bit 9) on the right.
  for (int i = 0; i < 14; ++i) {
    i32 y = oy + 1 + i * 2;
    Row(ox + 1, ox + 6, y, 0, classBases[i] + kHorizontal);
    Row(ox + 7, ox + 12, y, 0, classBases[i] + kHorizontal + 512);
  }
  // Track in every direction on ballast (class 5).
  for (i32 y = oy + 1; y <= oy + 28; ++y) Grid_SetCell(ox + 15, y, 0, CellCode(4096 + kVertical));
  for (int k = 0; k < 10; ++k) Grid_SetCell(ox + 17 + k, oy + 3 + k, 0, CellCode(4096 + kDiagFalling));
  for (int k = 0; k < 10; ++k) Grid_SetCell(ox + 17 + k, oy + 24 - k, 0, CellCode(4096 + kDiagRising));
  Row(ox + 17, ox + 30, oy + 27, 0, 4096 + kHorizontal);
  // Every element shape with a picture, on its own cell with a plain
  // ballast row under it, four rows apart so tall pictures stand clear.
  int placed = 0;
  i32 ex = ox + 33, ey = oy + 3;
  static const u32 banks[4] = {0, 4096, 7168, 8192};
  for (u32 bank : banks)
    for (u32 s = 96; s < 512; ++s) {
      u32 code = bank + s;
      if (!Gfx_GetSubPicture(code, 0, 0, 0)) continue;
      Grid_SetCell(ex, ey, 0, CellCode(code));
      ++placed;
      ex += 2;
      if (ex >= ox + 33 + 60) {
        ex = ox + 33;
        ey += 4;
      }
    }
  // Symbols (picture codes) in a block.
  i32 sx = ox + 1, sy = oy + 31;
  int symbols = 0;
  for (u32 code = 0xC003; code < 0xD800 && symbols < 60; ++code) {
    if (!Gfx_GetSubPicture(code, 0, 0, 0)) continue;
    Grid_SetCell(sx + (symbols % 15) * 2, sy + (symbols / 15) * 3, 0, CellCode(code));
    ++symbols;
  }
  // Below ground: a track loop on level -1 under see-through cells.
  for (i32 x = ox + 1; x <= ox + 12; ++x)
    for (i32 y = oy + 44; y <= oy + 50; ++y) Grid_SetCell(x, y, 0, CellCode(0xC001));
  Row(ox + 2, ox + 11, oy + 46, -1, 4096 + kHorizontal);
  Row(ox + 2, ox + 11, oy + 48, -1, 2048 + kHorizontal);
  // Trains: horizontal (both directions), vertical (both), diagonals.
  Row(ox + 17, ox + 30, oy + 29, 0, 4096 + kHorizontal);
  PlaceTrain(ox + 21, oy + 27, 0, 1, 0, 5, 3, vehicleId, 1);
  PlaceTrain(ox + 25, oy + 29, 0, -1, 0, 5, 3, vehicleId, 2);
  PlaceTrain(ox + 15, oy + 8, 0, 0, -1, 5, 3, vehicleId, 3);
  PlaceTrain(ox + 15, oy + 20, 0, 0, 1, 5, 3, vehicleId, 4);
  PlaceTrain(ox + 24, oy + 10, 0, 1, 1, 4, 2, vehicleId, 5);
  PlaceTrain(ox + 20, oy + 21, 0, 1, -1, 4, 2, 0, 6);
  PlaceTrain(ox + 8, oy + 46, -1, 1, 0, 4, 2, vehicleId, 7);
  placed += BuildEffects(ox, oy);
  return placed;
}

}  // namespace demo

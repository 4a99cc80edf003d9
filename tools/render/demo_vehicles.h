// Trains for the render tool that show the vehicle pictures beyond the plain
// ones: steam and diesel engines with their exhaust (crosswise, lengthwise
// and diagonal), standing trains with their alternate pictures (pantographs
// lowered, doors open), the same trains running, a paused train without
// exhaust, and long coaches travelling up and down with their long
// lengthwise pictures. Uses the standard vehicle sets; the area is 42 x 26
// cells from (ox, oy) on level 0 and must be empty.
#pragma once
#include <initializer_list>

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnmove.h"
#include "render/vehicles.h"
#include "tools/render/demo_layout.h"

namespace demo {

// Vehicle ids of the standard sets used here.
enum : u32 {
  kSteamGoods = 40321u << 4,
  kTender = kSteamGoods | 1,
  kTankLoco = kSteamGoods | 2,
  kSteamExpress = kSteamGoods | 3,
  kExpressTender = kSteamGoods | 4,
  kCoach2 = 40320u << 4,
  kCoach1 = kCoach2 | 1,
  kDiner = kCoach2 | 2,
  kBoxWagon = 40310u << 4,
  kTankWagon = kBoxWagon | 1,
  kTimber = kBoxWagon | 2,
  kCoal = kBoxWagon | 3,
  kRoadDiesel = 40510u << 4,
  kMainlineDiesel = kRoadDiesel | 1,
  kShunter = kRoadDiesel | 2,
  kElectric = 40740u << 4,
  kIcCoach = kElectric | 2,
  kIcFirst = kElectric | 3,
  kIcControl = kElectric | 4,
  kTramHead = 20020u << 4,
  kTramMiddle = kTramHead | 1
};

// A train of the given vehicles with its head at (x, y) travelling (dx, dy),
// as many cells long as the vehicles need; state flags added to in-service.
inline TrainRec* PlaceComposed(i32 x, i32 y, int dx, int dy, std::initializer_list<u32> vehicles, i32 number,
                               u32 state = 0) {
  const i32 sub = 4;
  u32 total = u32(sub);
  for (u32 v : vehicles) total += Gfx_GetVehicleLength(v);
  int cells = int((total + 31) / 32);
  TrainRec* t = PlaceTrain(x, y, 0, dx, dy, cells, int(vehicles.size()), vehicles.size() ? *vehicles.begin() : 0,
                           number, sub);
  if (!t) return nullptr;
  TrainVehicle* v = Trn_Vehicles(t);
  int i = 0;
  for (u32 id : vehicles) {
    u32 len = Gfx_GetVehicleLength(id);
    v[i].Vehicle = id;
    v[i].VehFlags = len ? 0u : u32(TRN_VEH_MISSING);
    v[i].Length = len ? len : 48;
    ++i;
  }
  t->StateFlags |= state;
  return t;
}

// Builds the showcase at (ox, oy); the graphics store must be up.
inline void BuildVehicleShowcase(i32 ox, i32 oy) {
  for (u32 set : {u32(kSteamGoods), u32(kCoach2), u32(kBoxWagon), u32(kRoadDiesel), u32(kElectric), u32(kTramHead)})
    Gfx_LoadVehicleSet(set, 0);
  const u32 ballast = 4096;
  // Horizontal rows, three cells apart so that exhaust and pantographs
  // stand clear of the row above.
  for (int r = 0; r < 8; ++r) Row(ox + 1, ox + 21, oy + 2 + 3 * r, 0, ballast + kHorizontal);
  // Vertical tracks and a diagonal.
  for (i32 y = oy + 1; y <= oy + 24; ++y) {
    Grid_SetCell(ox + 24, y, 0, CellCode(ballast + kVertical));
    Grid_SetCell(ox + 28, y, 0, CellCode(ballast + kVertical));
  }
  for (int k = 0; k < 10; ++k) Grid_SetCell(ox + 31 + k, oy + 24 - k, 0, CellCode(ballast + kDiagRising));
  // Steam express running right and a goods train running left: exhaust.
  PlaceComposed(ox + 21, oy + 2, 1, 0, {kSteamExpress, kExpressTender, kCoach2, kCoach1}, 801);
  PlaceComposed(ox + 1, oy + 5, -1, 0, {kSteamGoods, kTender, kBoxWagon, kTankWagon, kTimber, kCoal}, 802);
  // An electric train standing at a stop, facing the way it leaves: the
  // alternate pictures (pantographs lowered, doors open) ...
  PlaceComposed(ox + 21, oy + 8, 1, 0, {kElectric, kIcCoach, kIcFirst, kIcControl}, 803, TRN_AT_STOP);
  // ... the same train running ...
  PlaceComposed(ox + 21, oy + 11, 1, 0, {kElectric, kIcCoach, kIcFirst, kIcControl}, 804);
  // ... and one standing that turns back after the stop.
  PlaceComposed(ox + 1, oy + 14, -1, 0, {kElectric, kIcCoach, kIcControl}, 805, TRN_AT_STOP | TRN_STOP_REVERSE);
  // Diesels running left, a paused tank engine (no exhaust), a tram at a stop.
  PlaceComposed(ox + 1, oy + 17, -1, 0, {kRoadDiesel, kMainlineDiesel, kShunter}, 806);
  PlaceComposed(ox + 21, oy + 20, 1, 0, {kTankLoco, kDiner, kCoach2}, 807, TRN_PAUSED);
  PlaceComposed(ox + 21, oy + 23, 1, 0, {kTramHead, kTramMiddle, kTramHead | 3}, 808, TRN_HELD);
  // Long coaches travelling up behind a steam engine and down behind an
  // electric one: lengthwise exhaust and the long lengthwise pictures.
  PlaceComposed(ox + 24, oy + 1, 0, -1, {kSteamGoods, kTender, kCoach2, kCoach1}, 809);
  PlaceComposed(ox + 28, oy + 24, 0, 1, {kElectric, kIcCoach, kIcFirst}, 810);
  // A goods train climbing the diagonal.
  PlaceComposed(ox + 40, oy + 15, 1, -1, {kTankLoco, kBoxWagon, kCoal}, 811);
}

}  // namespace demo

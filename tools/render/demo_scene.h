// A scene for the render tool that looks like a real layout rather than a
// catalogue: a double-track main line through a station with platforms and
// buildings, a yard siding joined by a turnout, signals, a branch line
// crossing a road on a level crossing with a platform halt and a tunnel, a
// town with houses, trees and fields, and trains of several kinds standing
// and running. The area is 60 x 36 cells from (ox, oy) on level 0 and must
// be empty; the graphics store must be up.
#pragma once
#include "operation/sig.h"
#include "tools/render/demo_vehicles.h"

namespace demo {

inline void Put(i32 x, i32 y, u32 code) { Grid_SetCell(x, y, 0, CellCode(code)); }
// A signal shape with its element, so that the views show its state.
inline void PutSignal(i32 x, i32 y, u32 code, u32 state) {
  Put(x, y, code);
  Sig_CreateElement(x, y, 0, state, code);
}

inline void BuildScene(i32 ox, i32 oy) {
  for (u32 set : {u32(kSteamGoods), u32(kCoach2), u32(kBoxWagon), u32(kRoadDiesel), u32(kElectric), u32(kTramHead),
                  6256u << 4})
    Gfx_LoadVehicleSet(set, 0);
  const u32 ballast = 4096;
  // Main line: two tracks through the station.
  Row(ox, ox + 59, oy + 10, 0, ballast + kHorizontal);
  Row(ox, ox + 59, oy + 12, 0, ballast + kHorizontal);
  // The yard: a turnout off the lower main track, a diagonal, a curve into
  // the siding, a buffer stop at its end.
  Put(ox + 30, oy + 12, ballast + 48);
  Put(ox + 31, oy + 13, ballast + kDiagFalling);
  Put(ox + 32, oy + 14, ballast + kDiagFalling);
  Put(ox + 33, oy + 15, ballast + 30);
  Row(ox + 34, ox + 52, oy + 15, 0, ballast + kHorizontal);
  Put(ox + 53, oy + 15, ballast + 171);
  // Platforms on both sides of the main line, with canopies and benches.
  for (i32 x = ox + 4; x <= ox + 20; ++x) {
    Put(x, oy + 9, 50452 + ((x - ox) % 4 == 0 ? 8 : 0));
    Put(x, oy + 13, 50452 + ((x - ox) % 4 == 2 ? 9 : 1));
  }
  // Station building, signal box, goods shed and water tower behind.
  Put(ox + 11, oy + 7, 50944 + 6);
  Put(ox + 4, oy + 7, 50944 + 1);
  Put(ox + 18, oy + 7, 50944 + 9);
  Put(ox + 23, oy + 27, 50944 + 8);
  Put(ox + 24, oy + 8, 50944 + 2);
  Put(ox + 40, oy + 17, 50944 + 4);
  Put(ox + 46, oy + 17, 50944 + 3);
  // Signals at the station ends, each on the driver's right.
  PutSignal(ox + 24, oy + 10, ballast + 400 + 3, 0);  // clear, trains running right
  PutSignal(ox + 2, oy + 12, ballast + 416 + 2, 0);   // stop, trains running left
  PutSignal(ox + 36, oy + 10, ballast + 408 + 3, 0);  // expect stop
  PutSignal(ox + 44, oy + 12, ballast + 424 + 2, 0);  // distant
  // Branch line: vertical, over a level crossing to a halt and into a tunnel.
  for (i32 y = oy + 18; y <= oy + 33; ++y) Put(ox + 20, y, ballast + kVertical);
  Put(ox + 20, oy + 21, ballast + 260);
  for (i32 x = ox + 4; x <= ox + 36; ++x)
    if (x != ox + 20) Put(x, oy + 21, 49408);
  for (i32 y = oy + 25; y <= oy + 28; ++y) Put(ox + 20, y, ballast + 263);
  Put(ox + 20, oy + 34, ballast + 209);
  Put(ox + 20, oy + 24, ballast + 264);  // the halt's stop board
  // Town north of the line: houses, town buildings, trees, a factory.
  for (int k = 0; k < 12; ++k) {
    Put(ox + 2 + 3 * k, oy + 3, 51200 + u32(k * 7));
    Put(ox + 3 + 3 * k, oy + 5, 54016 + u32(k * 5));
  }
  for (int k = 0; k < 8; ++k) Put(ox + 40 + 2 * k, oy + 2, 51968 + u32(k * 3));
  for (int k = 0; k < 10; ++k) Put(ox + 40 + 2 * (k % 5), oy + 5 + 3 * (k / 5), 52224 + u32(k));
  // Fields, a forest and water south of the line.
  for (i32 y = oy + 24; y <= oy + 30; ++y) {
    // Fields of four by four cells, each of one crop; a forest of two kinds.
    for (i32 x = ox + 24; x <= ox + 34; ++x) Put(x, y, 53504 + u32(((x - ox - 24) / 4 + (y - oy - 24) / 4 * 2) % 5));
    for (i32 x = ox + 38; x <= ox + 48; ++x) Put(x, y, 53760 + u32((x - ox - 38) / 6));
    for (i32 x = ox + 2; x <= ox + 14; ++x)
      if (y >= oy + 27) Put(x, y, 54272);
  }
  // Trains: an express running through, an electric train at the platform,
  // a goods train in the siding, a railcar at the halt, a goods train
  // climbing out of the yard.
  PlaceComposed(ox + 56, oy + 10, 1, 0, {kSteamExpress, kExpressTender, kCoach2, kCoach1, kDiner}, 901);
  PlaceComposed(ox + 6, oy + 12, -1, 0, {kElectric, kIcCoach, kIcFirst, kIcControl}, 902, TRN_AT_STOP);
  PlaceComposed(ox + 52, oy + 15, 1, 0, {kShunter, kBoxWagon, kTankWagon, kTimber, kCoal}, 903);
  PlaceComposed(ox + 20, oy + 25, 0, -1, {6256u << 4, (6256u << 4) | 1}, 904, TRN_AT_STOP);
}

}  // namespace demo

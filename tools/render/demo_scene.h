// A scene for the render tool laid out as a working railway rather than a
// catalogue. West to east: a double-track main line leaves a hill through
// two tunnel portals, passes an industrial siding and runs through a station
// of four tracks (two platform tracks joined by turnouts, a crossover, a
// platform clock and buildings behind), then a branch turns north over a
// level crossing in the town to a halt with its departure board and into a
// cutting and a tunnel, while the main line curves away on a diagonal.
// South of the main line lie a yard fan with sheds and a water tower, fields,
// a forest and a lake; north of the station a town of streets with a tram
// on street track. Trains of every traction stand and run. The area is
// 64 x 40 cells from (ox, oy) on level 0 and must be empty; the graphics
// store must be up.
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
// Vehicle n of set s.
constexpr u32 Veh(u32 set, u32 n) { return (set << 4) | n; }

inline void BuildScene(i32 ox, i32 oy) {
  for (u32 set : {6256u, 6257u, 20010u, 20011u, 20012u, 20021u, 20022u, 40310u, 40311u, 40312u, 40313u, 40314u,
                  40315u, 40316u, 40317u, 40320u, 40321u, 40322u, 40323u, 40324u, 40510u, 40740u})
    Gfx_LoadVehicleSet(set << 4, 0);
  // Track codes: ballasted main-line track, and street track for the tram.
  const u32 B = 4096, S = 0;
  // Symbol bases.
  const u32 street = 52480, platform = 50452, station = 50944, house = 51200, town = 54016, tree = 51968,
            industry = 52224, field = 53504, forest = 53760, water = 54272, rocks = 54528, clock = 53248;
  auto P = [&](i32 x, i32 y, u32 code) { Put(ox + x, oy + y, code); };
  auto H = [&](i32 x1, i32 x2, i32 y, u32 code) {
    for (i32 x = x1; x <= x2; ++x) P(x, y, code);
  };
  auto V = [&](i32 x, i32 y1, i32 y2, u32 code) {
    for (i32 y = y1; y <= y2; ++y) P(x, y, code);
  };
  auto Sig = [&](i32 x, i32 y, u32 code) { PutSignal(ox + x, oy + y, code, 0); };

  // ---- Main line: tracks 13 and 14 from the tunnel in the west hill.
  H(1, 49, 13, B + kHorizontal);
  H(1, 50, 14, B + kHorizontal);
  P(0, 13, B + 218);
  P(0, 14, B + 218);
  // East of the station the double track curves onto a rising diagonal.
  P(50, 13, B + 29);
  P(51, 14, B + 29);
  for (int k = 0; k < 12; ++k) {
    P(51 + k, 12 - k, B + kDiagRising);
    P(52 + k, 13 - k, B + kDiagRising);
  }
  // Station: platform tracks 12 and 15 leave the main tracks by turnouts at
  // both ends; a crossover joins the main tracks east of the platforms.
  H(8, 35, 12, B + kHorizontal);
  P(6, 13, B + 49);
  P(7, 12, B + 31);
  P(36, 12, B + 28);
  P(37, 13, B + 50);
  H(8, 35, 15, B + kHorizontal);
  P(6, 14, B + 48);
  P(7, 15, B + 30);
  P(36, 15, B + 29);
  P(37, 14, B + 51);
  P(39, 13, B + 48);
  P(40, 14, B + 50);
  // Platforms: the near half of row 11 faces track 12 (under canopies by
  // the buildings), the far half of row 16 faces track 15 (with benches).
  for (i32 x = 10; x <= 34; ++x) {
    P(x, 11, platform + (x >= 18 && x <= 28 ? 8 : 0));
    P(x, 16, platform + (x % 3 == 1 ? 9 : 1));
  }
  P(23, 10, clock);
  // Station buildings behind platform 1, a goods shed and a signal box.
  P(24, 10, station + 6);
  P(25, 10, station + 7);
  P(26, 10, station + 6);
  P(20, 10, station + 9);
  P(33, 10, station + 1);
  P(14, 10, station + 3);
  // Signals: exits of the platform tracks and the main tracks.
  Sig(8, 12, B + 402);   // stop, track 12 westbound
  Sig(35, 15, B + 403);  // clear, track 15 eastbound
  Sig(4, 13, B + 418);   // stop at the tunnel, westbound
  Sig(34, 14, B + 411);  // expect stop, eastbound
  Sig(45, 14, B + 427);  // clear, eastbound
  Sig(43, 13, B + 466);  // stop, westbound shunting limit

  // ---- Branch: north off track 13, over the level crossing to a halt,
  // down a cutting into a tunnel.
  P(44, 13, B + 49);
  P(45, 12, B + kDiagRising);
  P(46, 11, B + 25);
  V(46, 3, 10, B + kVertical);
  P(46, 5, B + 260);
  V(46, 7, 9, B + 263);
  P(46, 10, B + 264);
  Sig(46, 4, B + 400);
  P(46, 2, B + 232);
  P(46, 1, B + 208);
  for (i32 x = 43; x <= 49; ++x)
    if (x != 46) P(x, 0, x % 2 ? rocks + u32(x) : forest + u32(x % 3));
  P(45, 1, forest + 1);
  P(47, 1, rocks + 3);
  P(48, 8, station + 8);

  // ---- Town: a main street, two side streets, a tram on street track.
  H(2, 56, 5, street + 0);
  P(46, 5, B + 260);
  V(12, 0, 9, street + 2);
  V(28, 0, 9, street + 2);
  H(8, 36, 9, street + 0);
  for (i32 x : {12, 28}) {
    P(x, 5, street + 8);
    P(x, 9, street + 8);
  }
  P(20, 5, street + 160);
  P(38, 5, street + 160);
  H(3, 39, 6, S + kHorizontal);
  P(2, 6, S + 170);
  P(40, 6, S + 171);
  P(20, 6, S + 266);
  // Houses front the streets; taller town buildings in the centre.
  for (i32 x = 2; x <= 40; ++x) {
    if (x == 12 || x == 28) continue;
    const bool centre = x > 12 && x < 28;
    P(x, 4, (centre ? town : house) + u32(x * 7 % 60));
    if (x % 4 != 0) P(x, 3, (centre ? town + 60 : house + 70) + u32(x * 5 % 40));
    else P(x, 3, tree + u32(x % 20));
    // A pavement with trees between the tram and the houses behind, so
    // that the houses do not hide the tram.
    if (x % 3 == 0) P(x, 7, tree + 40 + u32(x % 20));
    if (x < 8 || x > 36) P(x, 8, house + 110 + u32(x % 30));
    else if (x % 2) P(x, 8, (centre ? town + 100 : house + 30) + u32(x * 3 % 40));
  }
  for (i32 x = 2; x <= 40; x += 3) P(x, 1, tree + 20 + u32(x % 30));

  // ---- Industrial siding south-west, off track 14.
  P(2, 14, B + 48);
  P(3, 15, B + kDiagFalling);
  P(4, 16, B + kDiagFalling);
  P(5, 17, B + kDiagFalling);
  P(6, 18, B + 30);
  H(7, 29, 18, B + kHorizontal);
  P(30, 18, B + 171);
  for (i32 x = 7; x <= 29; x += 2) P(x, 19, industry + u32(x * 3 % 70));
  for (i32 x = 8; x <= 28; x += 4) P(x, 17, industry + 40 + u32(x % 30));

  // ---- Yard fan south-east, off track 14: four tracks, buffer stops and
  // engine sheds, a water tower.
  P(42, 14, B + 48);
  P(43, 15, B + kDiagFalling);
  P(44, 16, B + 63);
  P(45, 17, B + 63);
  P(46, 18, B + 63);
  P(47, 19, B + 30);
  H(45, 58, 16, B + kHorizontal);
  H(46, 58, 17, B + kHorizontal);
  H(47, 58, 18, B + kHorizontal);
  H(48, 58, 19, B + kHorizontal);
  P(59, 16, B + 171);
  P(59, 17, B + 171);
  P(59, 18, B + 136);
  P(59, 19, B + 140);
  P(61, 18, station + 2);
  P(61, 20, station + 4);

  // ---- Country south of the line: fields, a forest, a lake and a farm.
  for (i32 y = 23; y <= 37; ++y) {
    for (i32 x = 20; x <= 35; ++x) P(x, y, field + u32(((x - 20) / 4 + (y - 23) / 4 * 3) % 7));
    for (i32 x = 39; x <= 58; ++x)
      if ((x - 39) + (37 - y) / 2 < 18) P(x, y, forest + u32((x + y) % 5));
    for (i32 x = 2; x <= 15; ++x)
      if ((x - 8) * (x - 8) + (y - 30) * (y - 30) * 2 < 45) P(x, y, water);
  }
  P(17, 24, house + 5);
  P(18, 24, house + 12);
  P(17, 26, tree + 3);

  // ---- Trains.
  // An express behind a blue steam engine running east on the main line.
  PlaceComposed(ox + 34, oy + 13, 1, 0,
                {Veh(40323, 0), Veh(40323, 1), Veh(40320, 3), Veh(40320, 1), Veh(40320, 0), Veh(40320, 2)}, 901);
  // An intercity train at platform 1, leaving west.
  PlaceComposed(ox + 10, oy + 12, -1, 0, {kElectric, kIcCoach, kIcFirst, kIcControl}, 902, TRN_AT_STOP);
  // An electric multiple unit at platform 2.
  PlaceComposed(ox + 33, oy + 15, 1, 0, {Veh(20010, 0), Veh(20010, 1), Veh(20010, 0)}, 903, TRN_AT_STOP);
  // A freight train climbing the diagonal and one coming down.
  PlaceComposed(ox + 59, oy + 4, 1, -1, {Veh(40324, 0), Veh(40324, 1), Veh(40311, 0), Veh(40312, 1)}, 904);
  PlaceComposed(ox + 54, oy + 11, -1, 1, {Veh(40510, 1), Veh(40314, 0), Veh(40314, 3)}, 905);
  // A heavy electric freight leaving the station westbound on track 14.
  PlaceComposed(ox + 9, oy + 14, -1, 0,
                {Veh(40740, 1), Veh(40316, 1), Veh(40316, 3), Veh(40315, 2), Veh(40313, 1), Veh(40317, 1)}, 906);
  // Yard: wagons on the fan, a shunter, an engine at each shed.
  PlaceComposed(ox + 56, oy + 16, 1, 0, {Veh(40313, 0), Veh(40313, 1), Veh(40313, 4), Veh(40310, 3)}, 907);
  PlaceComposed(ox + 55, oy + 17, 1, 0, {kShunter, kBoxWagon, Veh(40310, 5), Veh(40316, 2)}, 908, TRN_PAUSED);
  PlaceComposed(ox + 58, oy + 18, 1, 0, {kTankLoco}, 909, TRN_PAUSED);
  PlaceComposed(ox + 58, oy + 19, 1, 0, {kRoadDiesel}, 910, TRN_PAUSED);
  // The industrial siding: a works engine with timber and tank wagons.
  PlaceComposed(ox + 26, oy + 18, 1, 0, {Veh(40322, 4), Veh(40315, 0), kTimber, Veh(40310, 6), Veh(40314, 1)}, 911);
  // A rail bus at the halt on the branch, about to leave north.
  PlaceComposed(ox + 46, oy + 7, 0, -1, {Veh(6257, 3), Veh(6257, 4)}, 912, TRN_AT_STOP);
  // Trams on the street track: a modern one at the stop, an old one.
  PlaceComposed(ox + 20, oy + 6, -1, 0, {Veh(20021, 0), Veh(20021, 1), Veh(20021, 0)}, 913, TRN_AT_STOP);
  PlaceComposed(ox + 34, oy + 6, 1, 0, {Veh(20022, 0), Veh(20022, 1)}, 914);
}

}  // namespace demo

// One simulation tick with 100, 1,000 and 10,000 moving trains, each running
// round its own loop of a network of 10,000 loops: the cost of a tick per
// moving train (goal: at most 100 ns).
#include <benchmark/benchmark.h>

#include <cstring>

#include "model/dep.h"
#include "model/grid.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trndepart.h"
#include "operation/trnlist.h"
#include "shell/wire.h"

namespace {

enum : i32 { kLoops = 10000, kPerRow = 100, kWidth = 20, kHeight = 10, kPitchX = kWidth + 4, kPitchY = kHeight + 4 };
enum : CellCode { kH = 0, kV = 1, kTR = 8, kBR = 9, kBL = 10, kTL = 11, kPlace = 136 };

bool g_built;

void LoopOrigin(i32 i, i32* x, i32* y) {
  *x = 16 + (i % kPerRow) * kPitchX;
  *y = 16 + (i / kPerRow) * kPitchY;
}

// Draws loop i afresh (also over the markers of trains of an earlier run).
void DrawLoop(i32 i) {
  i32 x0, y0;
  LoopOrigin(i, &x0, &y0);
  const i32 x1 = x0 + kWidth, y1 = y0 + kHeight;
  for (i32 x = x0 + 1; x < x1; ++x) {
    Grid_SetCell(x, y0, 0, kH);
    Grid_SetCell(x, y1, 0, kH);
  }
  for (i32 y = y0 + 1; y < y1; ++y) {
    Grid_SetCell(x0, y, 0, kV);
    Grid_SetCell(x1, y, 0, kV);
  }
  Grid_SetCell(x1, y0, 0, kTR);
  Grid_SetCell(x1, y1, 0, kBR);
  Grid_SetCell(x0, y1, 0, kBL);
  Grid_SetCell(x0, y0, 0, kTL);
}

void BuildNetwork(void) {
  if (g_built) return;
  Wire_InstallHooks();
  Grid_Init();
  Lin_Init();
  for (i32 i = 0; i < kLoops; ++i) DrawLoop(i);
  g_built = true;
}

// n trains placed on depot places on the top rows of the first n loops and
// run until all have left; the depots are then removed, so that the trains
// run on round their loops for good.
void StartTrains(i32 n) {
  TrnList_FreeAll();
  Dep_Clear();
  for (i32 i = 0; i < n; ++i) {
    DrawLoop(i);
    i32 x0, y0;
    LoopOrigin(i, &x0, &y0);
    Grid_SetCell(x0 + 3, y0, 0, kPlace);
    DepotPlace place;
    std::memset(&place, 0, sizeof place);
    place.X = x0 + 3;
    place.Y = y0;
    place.Number = u32(i % 99 + 1);
    place.Directions = 8;
    const u32 depot = u32(i / 99 + 1);
    char16_t name[8] = {u'D', char16_t(u'0' + depot / 100), char16_t(u'0' + depot / 10 % 10),
                        char16_t(u'0' + depot % 10), 0};
    Dep_InsertPlace(depot, name, name, &place);
  }
  for (i32 i = 0; i < n; ++i) {
    TrainRec tmpl;
    std::memset(&tmpl, 0, sizeof tmpl);
    tmpl.Line = tmpl.CurLine = 1;
    tmpl.Number = i + 1;
    tmpl.LastCell = 3;
    tmpl.VehicleCount = 2;
    tmpl.MaxSpeed = 80000;
    tmpl.Accel = 0;
    tmpl.Brake = 100;
    tmpl.Type = tmpl.HomeType = tmpl.Category = tmpl.HomeCategory = 1;
    tmpl.PathOption = 1;
    const TrainCompositionEntry comp[2] = {{TRN_MISSING_VEHICLE | 32, 0}, {TRN_MISSING_VEHICLE | 32, 0}};
    i32 x0, y0;
    LoopOrigin(i, &x0, &y0);
    TrnList_Create(comp, &tmpl, nullptr, x0 + 3, y0, 0);
  }
  i32 k = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next, ++k)
    Trn_PlaceAtDepotPlace(t, k / 99 + 1, k % 99 + 1, 0);
  for (int tick = 0; tick < 200; ++tick) Clk_Tick();

  // A place cell without its depot is plain track to a passing train.
  Dep_Clear();
}

i32 CountMoving(void) {
  i32 n = 0;
  for (TrainRec* t = TrnList_StateHead(TRN_LIST_MOVING); t; t = t->NextInState) n++;
  return n;
}

void BM_TrainTick(benchmark::State& state) {
  BuildNetwork();
  const i32 n = i32(state.range(0));
  Clk_Reset();
  Clk_ResetPhases();
  Clk_SetLayoutScale(64);
  StartTrains(n);
  const i32 moving = CountMoving();
  if (moving != n) state.SkipWithError("not every train is moving");
  for (auto _ : state) Clk_Tick();
  state.counters["moving"] = double(CountMoving());
  state.counters["ns_per_train"] =
      benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  TrnList_FreeAll();
  Dep_Clear();
}
BENCHMARK(BM_TrainTick)->Arg(100)->Arg(1000)->Arg(10000);

}  // namespace

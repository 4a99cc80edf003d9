// Reading the train section of a large layout: 10,000 trains of ten vehicles
// over 201 lines, most on the track (moving, at stops, blocked), some off it.
#include <benchmark/benchmark.h>

#include "model/grid.h"
#include "model/layfile.h"
#include "operation/trn.h"
#include "operation/trnfile.h"
#include "operation/trnlist.h"
#include "platform/fio.h"
#include "platform/heap.h"

namespace {

enum { kTrains = 10000, kCells = 12, kVehicles = 10 };

u8* g_section;
u32 g_size;

void BuildSection(void) {
  if (g_section) return;
  Fio_InitBuffers();
  Grid_Init();
  TrnList_Clear();
  TrainRec* last = nullptr;
  for (u32 i = 0; i < kTrains; ++i) {
    TrainRec* t = Trn_AllocRecord(kCells - 1, kVehicles);
    t->Line = t->CurLine = 1 + i / 50;
    t->Number = i32(1 + i % 50);
    t->MaxSpeed = 100000;
    t->Speed = 40000;
    t->Accel = 40;
    t->Brake = 80;
    t->AtStop = TRN_NONE;
    t->NextRunSound = TRN_NONE;
    const u32 kind = i % 10;
    t->StateFlags = kind == 0 ? TRN_OFF_TRACK : kind == 1 ? TRN_AT_STOP : kind == 2 ? TRN_BLOCKED : TRN_IN_SERVICE;
    t->WaitLeft = i32(i % 60);
    t->TimeA[0] = 0x7F080000;
    t->DepotA[0] = 1;
    t->PlaceA[0] = 1;
    TrainCell* c = Trn_Cells(t);
    for (u32 k = 0; k < kCells; ++k) c[k] = {i32(1000 + (i % 100) * 20 + k), i32(1000 + i / 100), 0, nullptr, 1, 0};
    TrainVehicle* v = Trn_Vehicles(t);
    for (u32 k = 0; k < kVehicles; ++k) v[k] = {0x1230u + k, 0, 0, 0, 32};
    t->TailOffset = Trn_TotalLength(t);
    TrnList_EnterStateList(t);
    TrnList_LinkAfter(last, t);
    last = t;
  }
  Fio_OpenWriteMemory();
  TrnList_SaveSection();
  Fio_CloseWrite();
  g_section = Fio_TakeWriteMemory(&g_size);
}

void BM_TrainSectionLoad(benchmark::State& state) {
  BuildSection();
  for (auto _ : state) {
    Fio_OpenReadMemory(g_section, g_size);
    const int r = TrnList_LoadSection(LAY_VERSION);
    Fio_CloseRead();
    if (r != 0 || Trn_GetCount() != kTrains) state.SkipWithError("the section did not load");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations() * kTrains);
  state.SetBytesProcessed(state.iterations() * i64(g_size));
}
BENCHMARK(BM_TrainSectionLoad)->Unit(benchmark::kMillisecond);

}  // namespace

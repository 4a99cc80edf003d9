// Writing the grid of a small layout, as every save and auto-save does: a few
// blocks in a grid of 262144 block places on five levels.
#include <benchmark/benchmark.h>

#include "model/grid.h"
#include "platform/fio.h"
#include "platform/heap.h"

namespace {

void BM_WriteSmallGrid(benchmark::State& state) {
  Grid_Init();
  for (i32 x = 100; x < 400; ++x) Grid_SetCell(x, 300, 0, CellCode(0x0105));
  for (auto _ : state) {
    Fio_OpenWriteMemory();
    benchmark::DoNotOptimize(Grid_SaveSection());
    Fio_CloseWrite();
    u32 size = 0;
    Heap_Free(Fio_TakeWriteMemory(&size));
  }
  Grid_Exit();
}
BENCHMARK(BM_WriteSmallGrid);

}  // namespace

// Start-up of the graphics store with every zoom set: "orba.gzg", the
// combined element files of zoom 1, 2 and 4 with a record for every picture
// code and element shape, "orba.fzg" with the nine required sets and the
// vehicle zoom files, all written once through the format library.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/os.h"
#include "render/disp.h"
#include "render/gfx.h"
#include "tests/gfx_fixture.h"

namespace {

bool MakeFiles() {
  static int made = 0;
  if (made) return made > 0;
  made = -1;
  Heap_Init();
  if (Fio_InitBuffers()) return false;
  wch tmp[OS_MAX_PATH];
  if (Os_GetTempFolder(tmp, OS_MAX_PATH)) return false;
  std::u16string folder(tmp);
  char name[64];
  std::snprintf(name, sizeof name, "orbabench_gfx_%u", unsigned(Os_GetTickCount()));
  for (const char* p = name; *p; ++p) folder += char16_t(*p);
  Os_CreateFolder(folder.c_str());
  folder += folder.find(u'\\') != std::u16string::npos ? u'\\' : u'/';
  for (int i = 0; i <= 6; ++i) Fio_SetFolderPath(i, folder.c_str());
  GfxFixture fx;
  if (fx.Write(1, 1 | 2 | 4) != 0) return false;
  made = 1;
  return true;
}

void RunInit(benchmark::State& state, int singleFirst, int zoom) {
  if (!MakeFiles()) {
    state.SkipWithError("the graphics files could not be written");
    return;
  }
  Disp_SetSingleFileGfx(singleFirst);
  for (auto _ : state) {
    int r = Gfx_Init();
    if (r == 0) r = Gfx_SetZoomSet(zoom, 0);
    state.PauseTiming();
    if (r) state.SkipWithError("Gfx_Init failed");
    Gfx_Free();
    state.ResumeTiming();
  }
}

// Zoom sets 1, 2 and 4 loaded from the combined files.
void BM_GfxInit(benchmark::State& state) { RunInit(state, 0, 4); }
BENCHMARK(BM_GfxInit)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same with the single-file option set (the settings default), where
// every record is first looked for in a file of its own.
void BM_GfxInitSingleFilesFirst(benchmark::State& state) { RunInit(state, 1, 4); }
BENCHMARK(BM_GfxInitSingleFilesFirst)->Unit(benchmark::kMillisecond)->Iterations(3);

// Start-up alone: zoom set 1, as the program starts by default.
void BM_GfxInitZoom1(benchmark::State& state) { RunInit(state, 0, 1); }
BENCHMARK(BM_GfxInitZoom1)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

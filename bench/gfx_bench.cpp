// Start-up of the graphics store with every zoom set loaded (zoom 1, 2 and 4).
// BM_GfxInit reads the files the build generates (tools/gfxgen, in the
// build's data folder) when they are there, else the files this program
// writes; BM_GfxInitWrittenFiles always reads its own: "orba.gzg", combined
// element files with a record for every picture code and element shape at
// one cell per picture, "orba.fzg" with the nine required sets and the
// vehicle zoom files, all written once through the format library.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/os.h"
#include "render/disp.h"
#include "render/gfx.h"
#include "tests/gfx_fixture.h"

namespace {

std::u16string g_written, g_generated;

wch Separator(const std::u16string& path) { return path.find(u'\\') != std::u16string::npos ? u'\\' : u'/'; }

bool Prepare() {
  static int done = 0;
  if (done) return done > 0;
  done = -1;
  Heap_Init();
  if (Fio_InitBuffers()) return false;
  wch dir[OS_MAX_PATH];
  if (Os_GetProgramFolder(dir, OS_MAX_PATH) == 0) {
    std::u16string data = std::u16string(dir) + u"data";
    data += Separator(data);
    if (Os_Access((data + u"orba.gzg").c_str(), OS_ACCESS_EXISTS) == 0) g_generated = data;
  }
  if (Os_GetTempFolder(dir, OS_MAX_PATH)) return false;
  // One folder, written afresh by every run, so that runs leave nothing
  // behind but it.
  std::u16string folder = std::u16string(dir) + u"orbabench_gfx";
  Os_CreateFolder(folder.c_str());
  folder += Separator(folder);
  for (int i = 0; i <= 6; ++i) Fio_SetFolderPath(i, folder.c_str());
  GfxFixture fx;
  if (fx.Write(1, 1 | 2 | 4) != 0) return false;
  g_written = folder;
  done = 1;
  return true;
}

void RunInit(benchmark::State& state, const std::u16string& folder, int singleFirst, int zoom) {
  if (!Prepare()) {
    state.SkipWithError("the graphics files could not be written");
    return;
  }
  Fio_SetFolderPath(FOLDER_PROGRAM, (folder.empty() ? g_written : folder).c_str());
  Disp_SetSingleFileGfx(singleFirst);
  for (auto _ : state) {
    int r = Gfx_Init();
    if (r == 0) r = Gfx_SetZoomSet(zoom, 0);
    state.PauseTiming();
    if (r) state.SkipWithError("Gfx_Init failed");
    Gfx_Free();
    state.ResumeTiming();
  }
  state.SetLabel(folder.empty() || folder == g_written ? "written files" : "generated files");
}

void BM_GfxInit(benchmark::State& state) { RunInit(state, g_generated, 0, 4); }
BENCHMARK(BM_GfxInit)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_GfxInitWrittenFiles(benchmark::State& state) { RunInit(state, g_written, 0, 4); }
BENCHMARK(BM_GfxInitWrittenFiles)->Unit(benchmark::kMillisecond)->Iterations(5);

// With the single-file option (the settings default) every record is first
// looked for in a file of its own, as long as the zoom's folder exists.
void BM_GfxInitSingleFilesFirst(benchmark::State& state) { RunInit(state, g_generated, 1, 4); }
BENCHMARK(BM_GfxInitSingleFilesFirst)->Unit(benchmark::kMillisecond)->Iterations(5);

// Start-up alone: zoom set 1, as the program starts by default.
void BM_GfxInitZoom1(benchmark::State& state) { RunInit(state, g_generated, 0, 1); }
BENCHMARK(BM_GfxInitZoom1)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

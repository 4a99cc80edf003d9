// The compositor over whole views: BM_ComposeView recomposes every cell of
// a 1920 x 1080 picture view of a dense layout (track on every row, element
// pictures, symbols, 50 trains in view) at zoom 1, 2 and 4; BM_OverviewMap
// paints an overview map of a 4096 x 4096-cell area. The picture files are
// those the build generates into its data folder.
#include <benchmark/benchmark.h>

#include <string>

#include "model/grid.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "render/compose.h"
#include "render/terrain.h"
#include "render/font.h"
#include "render/gfx.h"
#include "render/map.h"
#include "render/ovw.h"
#include "tools/render/demo_layout.h"

namespace {

int g_window;

bool Prepare() {
  static int done = 0;
  if (done) return done > 0;
  done = -1;
  Heap_Init();
  if (Fio_InitBuffers()) return false;
  std::string d = ORBA_DATA_DIR;
  std::u16string w(d.begin(), d.end());
  w += u'/';
  Fio_SetFolderPath(0, w.c_str());
  Disp_SetNativeScreen(32, 0);
  int r = Gfx_Init();
  if (r != GFX_INIT_OK && r != GFX_INIT_LOW_COLOUR) return false;
  if (Gfx_SetZoomSet(4, 0) != 0 || Spr_LoadTerrainMasks() != 0 || Grid_Init() != 0) return false;
  // Dense: horizontal track on every other row of ballast, an element or
  // symbol every few cells, and 50 trains of 6 cells standing in view.
  std::vector<u32> elements;
  for (u32 bank : {0u, 4096u, 7168u, 8192u})
    for (u32 s = 96; s < 512; ++s)
      if (Gfx_GetSubPicture(bank + s, 0, 0, 0)) elements.push_back(bank + s);
  for (i32 y = 0; y < 80; ++y)
    for (i32 x = 0; x < 70; ++x) {
      u32 code = (y % 2 == 0) ? 4096 : ((x * 7 + y) % 5 == 0 && !elements.empty()) ? elements[(x + y * 3) % elements.size()]
                                                                                   : 0;
      Grid_SetCell(1000 + x, 1000 + y, 0, CellCode(code));
    }
  int trains = 0;
  for (i32 y = 0; y < 68 && trains < 50; y += 4)
    for (i32 x = 8; x < 60 && trains < 50; x += 16)
      if (demo::PlaceTrain(1000 + x, 1000 + y, 0, 1, 0, 6, 4, 645136, trains + 1)) ++trains;
  // The overview area: 4096 x 4096 cells with track every fourth row.
  for (i32 y = 0; y < 4096; y += 4)
    for (i32 x = 0; x < 4096; ++x) Grid_SetCell(8192 + x, 8192 + y, 0, CellCode((x & 255) ? 4096 : 8192 + 300));
  done = trains == 50 ? 1 : -1;
  return done > 0;
}

void BM_ComposeView(benchmark::State& state) {
  if (!Prepare()) {
    state.SkipWithError("graphics or layout set-up failed");
    return;
  }
  int scale = int(state.range(0));
  Map_OpenView(0, &g_window, MAP_MODE_PICTURE, scale, 1000, 1000, 0, 1920, 1080);
  for (auto _ : state) {
    Map_RedrawView(0);
    benchmark::DoNotOptimize(g_mapViews[0].back[0]);
  }
  state.counters["cells"] = double((1920 / (32 * scale) + 1) * (1080 / (16 * scale) + 1));
  Map_CloseView(0);
}
BENCHMARK(BM_ComposeView)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_OverviewMap(benchmark::State& state) {
  if (!Prepare()) {
    state.SkipWithError("graphics or layout set-up failed");
    return;
  }
  Map_OpenView(0, &g_window, MAP_MODE_OVERVIEW, 4, 8192, 8192, 0, 1024, 1024);
  for (auto _ : state) {
    Map_RedrawView(0);
    benchmark::DoNotOptimize(g_mapViews[0].back[0]);
  }
  Map_CloseView(0);
}
BENCHMARK(BM_OverviewMap)->Unit(benchmark::kMillisecond);

}  // namespace

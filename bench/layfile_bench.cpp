// Saving and loading a large layout: 2 million non-empty cells on three
// levels, as track lines, scattered ground areas and empty land between them.
#include <benchmark/benchmark.h>

#include "model/grid.h"
#include "model/layfile.h"
#include "platform/fio.h"
#include "platform/os.h"
#include "platform/print.h"
#include "shell/wire.h"

namespace {

u32 g_cells;

u32 NextRandom(u32* seed) {
  *seed = *seed * 1103515245u + 12345u;
  return *seed >> 16;
}

void Put(i32 x, i32 y, i32 level, CellCode code) {
  if (Grid_GetCell(x, y, level) == CELL_EMPTY) g_cells++;
  Grid_SetCell(x, y, level, code);
}

// Ground in patches of 16 x 16 cells, each of one of five codes with a few
// cells of another one scattered in.
void GroundArea(i32 x0, i32 y0, i32 w, i32 h, i32 level, u32* seed) {
  static const CellCode kGround[5] = {0xC010, 0xC011, 0xC020, 0xC021, 0xC030};
  for (i32 py = y0; py < y0 + h; py += 16)
    for (i32 px = x0; px < x0 + w; px += 16) {
      const CellCode base = kGround[NextRandom(seed) % 5];
      for (i32 y = py; y < py + 16 && y < y0 + h; ++y)
        for (i32 x = px; x < px + 16 && x < x0 + w; ++x)
          Put(x, y, level, NextRandom(seed) % 23 == 0 ? kGround[NextRandom(seed) % 5] : base);
    }
}

// A straight double track: two parallel lines of one shape with a signal or
// turnout now and then.
void TrackLine(i32 x, i32 y, i32 dx, i32 dy, i32 length, i32 level, u32* seed) {
  const CellCode shape = dx ? 0x0100 : 0x0102;
  for (i32 i = 0; i < length; ++i) {
    const u32 r = NextRandom(seed) % 97;
    const CellCode code = r == 0 ? CellCode(0x0C00 | (shape & 0x1FF)) : r == 1 ? CellCode(0x0208) : shape;
    Put(x + i * dx, y + i * dy, level, code);
    Put(x + i * dx + dy * 2, y + i * dy + dx * 2, level, shape);
  }
}

void BuildLayout(void) {
  static bool built;
  if (built) return;
  built = true;
  Wire_InstallHooks();
  Grid_Init();
  u32 seed = 4711;
  // Level 0: fields of ground around a town, a grid of lines across them.
  for (int i = 0; i < 36 && g_cells < 1250000; ++i) {
    const i32 x = 8000 + (i % 6) * 260, y = 8000 + (i / 6) * 240;
    GroundArea(x, y, 200 + i % 3 * 8, 170 + i % 5 * 6, 0, &seed);
  }
  for (i32 k = 0; k < 14; ++k) {
    TrackLine(7900, 7990 + k * 110, 1, 0, 1700, 0, &seed);
    TrackLine(7990 + k * 120, 7900, 0, 1, 1600, 0, &seed);
  }
  // Level -1: tunnels and cellars; level -2: a deep station area.
  for (i32 k = 0; k < 12; ++k) TrackLine(8050, 8100 + k * 130, 1, 0, 1500, -1, &seed);
  for (int i = 0; i < 10; ++i) GroundArea(8200 + i * 150, 9000, 110, 150, -1, &seed);
  for (int i = 0; g_cells < 2000000; ++i)
    GroundArea(8100 + (i % 8) * 190, 8100 + (i / 8) * 170, 150, 140, -2, &seed);
  Grid_UpdateExtent(0, 0, 0, 0);

  Fio_InitBuffers();
  wch tmp[OS_MAX_PATH], folder[OS_MAX_PATH];
  Os_GetTempFolder(tmp, OS_MAX_PATH);
  Fmt_Print(folder, OS_MAX_PATH, u"%sorba_layfile_bench", tmp);
  Os_CreateFolder(folder);
  Fmt_Print(tmp, OS_MAX_PATH, u"%s\\", folder);
  Fio_SetFolderPath(FOLDER_LAYOUTS, tmp);
  const wch name[] = u"bench.nt3";
  for (int i = 0; i < int(sizeof name / sizeof name[0]); ++i) LayoutFileName[i] = name[i];
}

void BM_LayoutSave(benchmark::State& state) {
  BuildLayout();
  for (auto _ : state) {
    if (Lay_WriteFile(u"", nullptr) != 0) state.SkipWithError("the save failed");
  }
  state.counters["cells"] = g_cells;
  u32 blocks = 0;
  Grid_GetMemoryStats(&blocks, nullptr, nullptr, nullptr);
  state.counters["blocks"] = blocks;
  state.counters["bytes"] = double(Fio_GetFileSize(u"bench.nt3", FOLDER_LAYOUTS));
}
BENCHMARK(BM_LayoutSave)->Unit(benchmark::kMillisecond);

void BM_LayoutLoad(benchmark::State& state) {
  BuildLayout();
  if (Lay_WriteFile(u"", nullptr) != 0) {
    state.SkipWithError("the save failed");
    return;
  }
  for (auto _ : state) {
    if (Lay_LoadFile(u"bench.nt3") != 0) state.SkipWithError("the load failed");
  }
  state.counters["cells"] = g_cells;
  Fio_DeleteFile(u"bench.nt3", FOLDER_LAYOUTS);
}
BENCHMARK(BM_LayoutLoad)->Unit(benchmark::kMillisecond);

}  // namespace

// orba_render: renders a region of a layout into a BMP through the same
// redraw path the layout views use (view slot 0 and its back buffer).
//
//   orba_render OUT.bmp [--layout FILE] [--mode 1|2|3] [--scale N]
//               [--level L] [--x X] [--y Y] [--width W] [--height H]
//               [--zoomset 1|2|4] [--night] [--dusk] [--grid] [--data DIR]
//
// Without --layout the demo layout built in code is drawn (origin 100, 100)
// together with the scene (origin 300, 100, 64 x 40 cells).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/layfile.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "render/compose.h"
#include "render/terrain.h"
#include "render/daylight.h"
#include "render/font.h"
#include "render/gfx.h"
#include "render/map.h"
#include "shell/wire.h"
#include "tools/render/demo_layout.h"
#include "tools/render/demo_scene.h"
#include "tools/render/demo_vehicles.h"

static std::u16string Widen(const std::string& s) {
  std::u16string w;
  for (unsigned char c : s) w += char16_t(c);
  return w;
}

static void Put32(std::vector<unsigned char>& b, u32 v) {
  for (int i = 0; i < 4; ++i) b.push_back((unsigned char)(v >> (8 * i)));
}

static int WriteBmp(const char* path, const u32* px, i32 w, i32 h) {
  std::vector<unsigned char> b;
  u32 size = 54 + u32(w) * u32(h) * 4;
  b.push_back('B');
  b.push_back('M');
  Put32(b, size);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, u32(w));
  Put32(b, u32(-h));  // top-down
  Put32(b, 1 | (32 << 16));
  Put32(b, 0);
  Put32(b, u32(w) * u32(h) * 4);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (i32 i = 0; i < w * h; ++i) Put32(b, px[i] & 0xFFFFFF);
  FILE* f = fopen(path, "wb");
  if (!f) return 1;
  size_t n = fwrite(b.data(), 1, b.size(), f);
  fclose(f);
  return n == b.size() ? 0 : 1;
}

int main(int argc, char** argv) {
  // An option in place of the output name is a request for help, not a
  // file to write.
  if (argc < 2 || argv[1][0] == '-') {
    fprintf(stderr,
            "usage: orba_render OUT.bmp [--layout FILE] [--mode 1|2|3] [--scale N] [--level L] [--x X] [--y Y]\n"
            "       [--width W] [--height H] [--zoomset 1|2|4] [--night] [--dusk] [--grid] [--data DIR]\n");
    return 2;
  }
  std::string out = argv[1], layout, data = ORBA_DATA_DIR;
  int mode = 1, scale = 1, zoomSet = 4, night = 0, dusk = 0, grid = 0;
  i32 level = 0, x = 100, y = 100, width = 1024, height = 768;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : "0";
    if (a == "--layout") layout = v, ++i;
    else if (a == "--mode") mode = atoi(v), ++i;
    else if (a == "--scale") scale = atoi(v), ++i;
    else if (a == "--level") level = atoi(v), ++i;
    else if (a == "--x") x = atoi(v), ++i;
    else if (a == "--y") y = atoi(v), ++i;
    else if (a == "--width") width = atoi(v), ++i;
    else if (a == "--height") height = atoi(v), ++i;
    else if (a == "--zoomset") zoomSet = atoi(v), ++i;
    else if (a == "--data") data = v, ++i;
    else if (a == "--night") night = 1;
    else if (a == "--dusk") dusk = 1;
    else if (a == "--grid") grid = 1;
    else {
      fprintf(stderr, "unknown option %s\n", a.c_str());
      return 2;
    }
  }
  Wire_InstallHooks();
  Heap_Init();
  Fio_InitBuffers();
  if (!data.empty() && data.back() != '/') data += '/';
  Fio_SetFolderPath(0, Widen(data).c_str());
  Disp_SetNativeScreen(32, 0);
  int r = Gfx_Init();
  if (r != GFX_INIT_OK && r != GFX_INIT_LOW_COLOUR) {
    fprintf(stderr, "graphics store: %d\n", r);
    return 1;
  }
  if (zoomSet != 1) Gfx_SetZoomSet(zoomSet, 0);
  Spr_LoadTerrainMasks();
  if (Grid_Init() != 0) return 1;
  if (!layout.empty()) {
    r = Lay_LoadFile(Widen(layout).c_str());
    if (r != 0) {
      fprintf(stderr, "layout: %d\n", r);
      return 1;
    }
  } else {
    int n = demo::BuildLayout(100, 100, 645136);
    demo::BuildVehicleShowcase(56, 100);
    demo::BuildScene(300, 100);
    fprintf(stderr, "demo layout: %d element pictures\n", n);
  }
  if (night || dusk) {
    g_sprOptions.lighting |= 1;
    g_daylight.enabled = 1;
    g_daylight.phase = night ? (DAYLIGHT_NIGHT | DAYLIGHT_LAMPS | DAYLIGHT_WINDOWS_0 | DAYLIGHT_WINDOWS_1) : DAYLIGHT_DUSK;
    g_daylight.elapsed = night ? 0 : 40;
    g_daylight.span = night ? 600 : 60;
  }
  if (grid) {
    g_sprGrid = SprGrid{1, 0, 0, 10, 10, 2, 2};
    g_sprBox = SprBox{1, x + 2, y + 2, x + 6, y + 5, -4, 0};
  }
  static int window;
  r = Map_OpenView(0, &window, mode, scale, x, y, level, width, height);
  if (r != 0) {
    fprintf(stderr, "view: %d\n", r);
    return 1;
  }
  Map_RedrawView(0);
  const MapView& v = g_mapViews[0];
  if (WriteBmp(out.c_str(), v.back, v.backWidth, v.backHeight) != 0) {
    fprintf(stderr, "cannot write %s\n", out.c_str());
    return 1;
  }
  Map_CloseView(0);
  return 0;
}

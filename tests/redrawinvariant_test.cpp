// The incremental redraw of moving trains against a whole redraw: the start
// example runs with a picture view open, and after every simulated second
// the view's back buffer must equal what a redraw of the whole view gives.
// A cell the train leaves, enters or reaches into that is not redrawn, or a
// redraw that writes where no later redraw repaints, shows as a difference.
#include <cstring>
#include <string>
#include <vector>

#include "model/dep.h"
#include "model/hst.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/pts.h"
#include "shell/app.h"
#include "shell/wire.h"
#include "tests/render_fixture.h"

namespace {

struct RedrawInvariant : RenderStore {
  int window = 0;

  void SetUp() override {
    RenderStore::SetUp();
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
    TrnList_FreeAll();
    Dep_Clear();
    Hst_Clear();
    Pts_FreeAll();
    Lin_Init();
    Lin_Clear();
    Dmsg_Clear();
    Clk_Reset();
    Clk_ResetPhases();
    Clk_SetLayoutScale(64);
    ViaTimer = 0;
    ASSERT_EQ(0, App_BuildStartLayout());
    ASSERT_EQ(0, App_BuildStartTrain());
  }
  void TearDown() override {
    RenderStore::TearDown();
    TrnList_FreeAll();
    Hst_Clear();
    Pts_FreeAll();
    Dep_Clear();
    Lin_Clear();
    Dmsg_Clear();
    ASSERT_EQ(0, Gfx_SetZoomSet(4, 0));
  }
};

// Where the back buffer of view 0 differs from a redraw of the whole view:
// the first differing pixel and the cell it lies in, empty when equal. The
// view is left redrawn whole.
std::string CompareWithWholeRedraw(void) {
  const MapView& w = g_mapViews[0];
  const std::vector<u32> incremental(w.back, w.back + size_t(w.backWidth) * size_t(w.backHeight));
  Map_RedrawView(0);
  int count = 0;
  std::string first;
  for (i32 y = 0; y < w.backHeight; ++y)
    for (i32 x = 0; x < w.backWidth; ++x) {
      if (incremental[size_t(y) * w.backWidth + x] == w.back[size_t(y) * w.backWidth + x]) continue;
      if (count++ == 0) {
        const i32 s = w.scale, col = (x - w.pixOffX * s) / (32 * s), row = (y - w.pixOffY * s) / (16 * s);
        const i32 cx = w.originX + col - (x < w.pixOffX * s ? 1 : 0);
        const i32 cy = w.originY + row - (y < w.pixOffY * s ? 1 : 0);
        first = "pixel " + std::to_string(x) + "," + std::to_string(y) + " (cell " + std::to_string(cx) + "," +
                std::to_string(cy) + ")";
      }
    }
  return count ? std::to_string(count) + " pixels differ, first " + first : std::string();
}

struct ViewCase {
  const char* what;
  int zoomSet, scale;
  i32 originX, originY, pixOffX, pixOffY, width, height;
};

// The oval spans columns 16380..16389 and rows 16375..16392 (the siding is
// column 16379); each view puts one of its edges on an edge of the picture.
const ViewCase kViews[] = {
    {"top row first, scale 1", 1, 1, 16377, 16375, 0, 0, 480, 320},
    {"top row first, scale 2, zoom 1 enlarged", 1, 2, 16377, 16375, 0, 0, 640, 480},
    {"top row first, scale 2, zoom 2", 4, 2, 16377, 16375, 0, 0, 640, 480},
    {"top row partly above, scale 1", 1, 1, 16377, 16376, 0, 6, 480, 320},
    {"top row partly above, scale 2", 1, 2, 16377, 16376, 0, 10, 640, 480},
    {"row above the top row partly shown, scale 2", 4, 2, 16377, 16375, 0, 5, 640, 480},
    {"bottom row cut, scale 1", 1, 1, 16377, 16381, 0, 0, 480, 16 * 11 + 7},
    {"bottom row cut, scale 2", 4, 2, 16377, 16385, 0, 0, 640, 32 * 7 + 9},
    {"left column cut, scale 1", 1, 1, 16381, 16374, 13, 0, 320, 360},
    {"right column cut, scale 2", 1, 2, 16378, 16374, 0, 0, 64 * 11 + 20, 640},
};

TEST_F(RedrawInvariant, TrainRedrawMatchesAWholeRedraw) {
  // One simulation for every view: the views are opened one after the
  // other on the same run, each for a stretch that covers a lap.
  for (const ViewCase& c : kViews) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(0, Gfx_SetZoomSet(c.zoomSet, 0));
    ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_PICTURE, c.scale, c.originX, c.originY, 0, c.width, c.height));
    g_mapViews[0].pixOffX = c.pixOffX;
    g_mapViews[0].pixOffY = c.pixOffY;
    Map_RedrawView(0);
    int faults = 0;
    for (int second = 0; second < 150 && faults < 5; ++second) {
      for (int tick = 0; tick < 100; ++tick) Clk_Tick();
      const std::string diff = CompareWithWholeRedraw();
      if (diff.empty()) continue;
      ++faults;
      const TrainRec* t = TrnList_GetFirst();
      ADD_FAILURE() << "at " << int(g_simClock.minute) << ":" << int(g_simClock.second) << ", train head "
                    << Trn_Cells(t)[0].X << "," << Trn_Cells(t)[0].Y << " offset " << t->SubCellOffset << ": "
                    << diff;
    }
    Map_CloseView(0);
  }
}

}  // namespace


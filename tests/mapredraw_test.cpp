// Cell redraw and view buffers: which views a cell change reaches, the
// redraw queue, the copies into a back buffer (1:1, enlarged, 3/2) and
// their clipping when a view's size changes, and the vehicle parts a train
// hands to the compositor.
#include <vector>

#include "operation/trnquery.h"
#include "render/sprview.h"
#include "tests/render_fixture.h"
#include "tools/render/demo_layout.h"

namespace {

struct MapRedraw : RenderStore {
  int windows[MAP_VIEWS] = {};
  void Open(int v, int mode, int scale, i32 ox, i32 oy, i32 level, i32 w = 320, i32 h = 160) {
    ASSERT_EQ(0, Map_OpenView(v, &windows[v], mode, scale, ox, oy, level, w, h));
    g_mapViews[v].dirty = 0;
  }
};

TEST_F(MapRedraw, CopyRulesByScaleAndZoom) {
  struct {
    int scale;
    int zoomSet;
    i32 w, h;  // pixels of the cell in the back buffer
  } cases[] = {{1, 4, 32, 16}, {2, 4, 64, 32}, {4, 4, 128, 64}, {6, 4, 192, 96}, {8, 4, 256, 128},
               {4, 1, 128, 64}, {8, 2, 256, 128}};
  for (auto& c : cases) {
    ASSERT_EQ(0, Gfx_SetZoomSet(c.zoomSet, 0));
    Grid_SetCell(5, 5, 0, 0);  // plain ground: a fill of one colour
    Open(0, MAP_MODE_PICTURE, c.scale, 5, 5, 0, 300, 150);
    u32 edge = Map_GetBackPixel(0, 300 - 1, 150 - 1);
    Map_RedrawCell(5, 5, 0, MAP_REDRAW_PICTURE);
    EXPECT_EQ(1, g_mapViews[0].dirty);
    u32 inside = Map_GetBackPixel(0, c.w - 1 < 299 ? c.w - 1 : 299, c.h - 1 < 149 ? c.h - 1 : 149);
    EXPECT_NE(Spr_LevelBackground(0), inside) << "scale " << c.scale;
    if (c.w < 300) {
      EXPECT_EQ(Map_GetBackPixel(0, c.w, 0), edge) << "scale " << c.scale << ": nothing past the cell";
    }
    Map_CloseView(0);
  }
  ASSERT_EQ(0, Gfx_SetZoomSet(4, 0));
}

TEST_F(MapRedraw, ScaledCopyThreeHalves) {
  Open(0, MAP_MODE_PICTURE, 6, 0, 0, 0, 200, 100);
  Spr_SetLevel(0);
  CellPixel* b = Spr_Buffer(4);
  for (int i = 0; i < 128 * 64; ++i) b[i] = u32(i % 128);  // column index as colour
  Spr_CopyToViewBufferScaled(0, 0, 0, 4, 3, 2);
  // Each source column is emitted 3 times, the target advances every 2:
  // target column t is last written by emission 2 t + 1, source (2 t + 1) / 3.
  for (int t = 0; t < 192; ++t) ASSERT_EQ(u32((2 * t + 1) / 3), Map_GetBackPixel(0, t, 5)) << t;
  EXPECT_EQ(0u, Map_GetBackPixel(0, 0, 0));
  EXPECT_EQ(127u, Map_GetBackPixel(0, 191, 95));
  EXPECT_EQ(Spr_LevelBackground(0), Map_GetBackPixel(0, 192, 0)) << "192 = 128 x 3 / 2 columns";
}

TEST_F(MapRedraw, WritesStayInsideTheBufferWhenTheClientGrows) {
  Grid_SetCell(9, 5, 0, 4096);
  Open(0, MAP_MODE_PICTURE, 8, 0, 0, 0, 100, 60);
  // The shell records a larger client before the buffer follows (or the new
  // buffer could not be had): the old buffer's bounds must hold.
  g_mapViews[0].clientWidth = 4000;
  g_mapViews[0].clientHeight = 3000;
  Map_UpdateVisible(0);
  Map_RedrawView(0);
  Map_RedrawCell(0, 0, 0, MAP_REDRAW_ALL);
  Spr_FillEmptyCell(0, 90, 50);
  Spr_CopyToViewBufferEnlarged(0, 95, 55, 4, 2);
  EXPECT_EQ(100, g_mapViews[0].backWidth);
  ASSERT_EQ(0, Map_ResizeView(0, 40, 20));
  Map_RedrawView(0);
  EXPECT_EQ(40, g_mapViews[0].backWidth);
  EXPECT_EQ(1, Map_ResizeView(0, 0, 20));
  EXPECT_EQ(1, Map_ResizeView(7, 10, 10));
}

TEST_F(MapRedraw, WhichViewsACellReaches) {
  Open(0, MAP_MODE_PICTURE, 1, 10, 10, 0);
  Open(1, MAP_MODE_SCHEMATIC, 1, 10, 10, 0);
  Open(2, MAP_MODE_PICTURE, 1, 10, 10, -1);
  struct {
    i32 x, y, z;
    int mask;
    int dirty[3];
    const char* what;
  } cases[] = {
      {12, 12, 0, MAP_REDRAW_ALL, {1, 1, 0}, "level 0 is above the level -1 view"},
      {12, 12, -1, MAP_REDRAW_ALL, {0, 0, 1}, "covered by a ground cell on level 0"},
      {9, 12, 0, MAP_REDRAW_ALL, {1, 0, 0}, "the column before the origin overhangs into picture views only"},
      {12, 9, 0, MAP_REDRAW_ALL, {1, 0, 0}, "the row before the origin likewise"},
      {8, 12, 0, MAP_REDRAW_ALL, {0, 0, 0}, "two columns before: nowhere"},
      {12, 12, 0, MAP_REDRAW_SCHEMATIC, {0, 1, 0}, "mask 2: schematic only"},
      {12, 12, 0, MAP_REDRAW_PICTURE, {1, 0, 0}, "mask 1: pictures only"},
  };
  Grid_SetCell(12, 12, 0, 5);
  for (auto& c : cases) {
    for (int v = 0; v < 3; ++v) g_mapViews[v].dirty = 0;
    Map_RedrawCell(c.x, c.y, c.z, c.mask);
    for (int v = 0; v < 3; ++v) EXPECT_EQ(c.dirty[v], g_mapViews[v].dirty) << c.what << " view " << v;
  }
  // Through a see-through code the lower level shows in the level-0 view.
  Grid_SetCell(12, 12, 0, 0xC001);
  g_mapViews[0].dirty = 0;
  Map_RedrawCell(12, 12, -1, MAP_REDRAW_ALL);
  EXPECT_EQ(1, g_mapViews[0].dirty);
}

TEST_F(MapRedraw, QueueKeepsItsCapacityAndSkipsTheRowAboveRowZero) {
  u32 before = Map_RedrawRequestCount();
  Map_QueueCellRedraw(3, 0, 0);
  Map_QueueCellRedraw(3, 5, 0);
  EXPECT_EQ(6, Map_FlushRedrawQueue(0));
  EXPECT_EQ(before + 3, Map_RedrawRequestCount()) << "row 0 has no row above";
  for (int i = 0; i < MAP_QUEUE_CELLS + 50; ++i) Map_QueueCellRedraw(i, 7, 0);
  EXPECT_EQ(MAP_QUEUE_CELLS * 3, Map_FlushRedrawQueue(1));
  EXPECT_EQ(0, Map_FlushRedrawQueue(1)) << "emptied";
}

TEST_F(MapRedraw, TrainPartsPerCell) {
  for (i32 x = 0; x < 20; ++x) Grid_SetCell(x, 3, 0, 4096);
  // Head at x 10 moving right: cells 10, 9, 8, 7 from the head; a gap of 4
  // pixels, then a missing vehicle of 48 and one of 40 (entry lengths).
  TrainRec* t = demo::PlaceTrain(10, 3, 0, 1, 0, 4, 2, 0, 1, 4);
  ASSERT_NE(nullptr, t);
  Trn_Vehicles(t)[1].Length = 40;
  Trn_Vehicles(t)[1].Vehicle = 0x00123450;  // a set that is not cached
  Trn_Vehicles(t)[1].VehFlags = 0;
  struct {
    i32 x;
    int count;
    i32 first0, last0, start0, first1, last1, start1;
  } cases[] = {
      {10, 1, 0, 27, 4, 0, 0, 0},
      {9, 2, 28, 47, 0, 0, 11, 20},
      {8, 1, 12, 39, 0, 0, 0, 0},
      {7, 0, 0, 0, 0, 0, 0, 0},
  };
  for (auto& c : cases) {
    TrnCellImage img;
    u16 saved = Trn_CellVehicleImage(c.x, 3, 0, &img, Grid_GetCell(c.x, 3, 0));
    EXPECT_EQ(4096, saved);
    ASSERT_EQ(c.count, img.count) << c.x;
    if (c.count >= 1) {
      EXPECT_EQ(c.first0, img.parts[0].first) << c.x;
      EXPECT_EQ(c.last0, img.parts[0].last) << c.x;
      EXPECT_EQ(c.start0, img.parts[0].start) << c.x;
      EXPECT_EQ(8, img.parts[0].flags) << "moving right";
    }
    if (c.count >= 2) {
      EXPECT_EQ(c.first1, img.parts[1].first);
      EXPECT_EQ(c.last1, img.parts[1].last);
      EXPECT_EQ(c.start1, img.parts[1].start);
    }
  }
  TrnCellImage none;
  EXPECT_EQ(0xC000, Trn_CellVehicleImage(30, 3, 0, &none, 0xC000));
  EXPECT_EQ(0, none.count);
}

}  // namespace

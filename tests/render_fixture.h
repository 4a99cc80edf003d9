// Shared set-up of the compositor tests: the graphics store over the picture
// files of the build's data folder (all three zooms), the terrain masks, an
// empty grid and no trains; view slots closed after each test.
#pragma once
#include <gtest/gtest.h>

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "render/compose.h"
#include "render/terrain.h"
#include "render/font.h"
#include "render/gfx.h"
#include "render/map.h"
#include "render/pal.h"
#include "tests/test_util.h"

struct RenderStore : ::testing::Test {
  static void SetUpTestSuite() {
    Heap_Init();
    Fio_InitBuffers();
    Fio_SetFolderPath(0, Test_DataFolder().c_str());
#ifndef _WIN32
    Disp_SetNativeScreen(32, 0);
#endif
    int r = Gfx_Init();
    ASSERT_TRUE(r == GFX_INIT_OK || r == GFX_INIT_LOW_COLOUR) << r;
    ASSERT_EQ(0, Gfx_SetZoomSet(4, 0));
    ASSERT_EQ(0, Spr_LoadTerrainMasks());
  }
  static void TearDownTestSuite() {
    Spr_FreeTerrainMasks();
    Gfx_Free();
  }
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Pal_Reset();
    g_sprOptions = SprOptions{1, 1, 1, 0, 1, 1};
    g_sprGrid = SprGrid{};
    g_sprBox = SprBox{};
  }
  void TearDown() override {
    for (int v = 0; v < MAP_VIEWS; ++v) Map_CloseView(v);
    while (TrainRec* t = TrnList_GetFirst()) {
      TrnList_Remove(t);
      Trn_FreeRecord(t);
    }
    Grid_Clear();
  }
};

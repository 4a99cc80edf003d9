// The fixture of the stores of point objects with line rules (Dwx points,
// LFST points, shunting points): the hooks installed, the shipped texts, an
// empty grid, the line table with lines A and B, and the clipboard lines in
// memory (Test_ClipLines, emptied). A test class names its store's start and
// end; its own SetUp and TearDown call these first and last.
#pragma once
#include <gtest/gtest.h>

#include "model/grid.h"
#include "model/line.h"
#include "model/pointobj.h"
#include "shell/wire.h"
#include "tests/test_util.h"

class PointObjectTest : public ::testing::Test {
 protected:
  virtual void InitStore() = 0;
  virtual void ClearStore() = 0;
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
    ASSERT_EQ(0, Grid_Init());
    ASSERT_EQ(1, Lin_Init());
    InitStore();
    ASSERT_EQ(0, Lin_Create(u"A", 0, 0, &lineA));
    ASSERT_EQ(0, Lin_Create(u"B", 0, 0, &lineB));
    Test_ClipLines().clear();
    const PointClipLines lines = {Test_ClipAppend, Test_ClipRead};
    Pobj_SetClipLines(&lines);
  }
  void TearDown() override {
    Pobj_SetClipLines(nullptr);
    ClearStore();
    Lin_Exit();
    Grid_Exit();
  }
  LineId lineA = 0, lineB = 0;
};

// The grid's view level test, the objects' extent and the block writer.
#include <gtest/gtest.h>

#include <vector>

#include "model/grid.h"
#include "platform/fio.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

i32 g_levels[6] = {0, -1, -2, -3, -4, 0};
i32 ViewLevel(int slot) { return g_levels[slot]; }

class GridOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    Grid_SetObjectStores(nullptr);
  }
  void TearDown() override {
    Grid_SetObjectStores(nullptr);
    Wire_InstallHooks();
    Grid_Exit();
  }
};

TEST_F(GridOpsTest, ALowerCellShowsThroughSeeThroughCodes) {
  static const GridViewHooks hooks = {nullptr, nullptr, nullptr, nullptr, ViewLevel};
  Grid_SetViewHooks(&hooks);
  ASSERT_EQ(1, Grid_SetCell(5, 5, 0, 0xC001));
  ASSERT_EQ(1, Grid_SetCell(5, 5, -1, 0xC002));
  ASSERT_EQ(1, Grid_SetCell(5, 5, -2, 0x0105));
  ASSERT_EQ(1, Grid_SetCell(6, 5, 0, 0xC001));
  const struct {
    int slot;
    i32 x, level, want;
  } cases[] = {
      {0, 5, 0, 0},   {0, 5, -1, 0},  {0, 5, -2, 0},  {0, 5, -3, -5}, {0, 6, -1, 0},  {0, 6, -2, -5},
      {1, 5, 0, -5},  {1, 5, -1, -1}, {1, 5, -2, -1}, {2, 5, -3, -5}, {6, 5, 0, -5},  {-1, 5, 0, -5},
      {0, 7, -1, -5},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, Grid_ViewLevelCheck(c.slot, c.x, 5, c.level)) << c.slot << " " << c.x << " " << c.level;
}

int Texts(LayoutExtent* b) {
  *b = LayoutExtent{10, 20, 0, 30, 40, 0};
  return 0;
}
int NoInfo(LayoutExtent*) { return 1; }
int Logs(LayoutExtent* b) {
  *b = LayoutExtent{5, 25, -3, 8, 50, -1};
  return 0;
}

TEST_F(GridOpsTest, TheObjectsExtentJoinsEveryStore) {
  LayoutExtent box = {};
  EXPECT_EQ(1, Grid_ObjectsExtent(&box));
  i32 x0, y0, l0, l1, y1, x1;
  EXPECT_EQ(1, Grid_GetExtent(&x0, &y0, &l0, 1, &l1, &y1, &x1));
  static const GridObjectStores stores = {Texts, NoInfo, Logs};
  Grid_SetObjectStores(&stores);
  ASSERT_EQ(0, Grid_ObjectsExtent(&box));
  EXPECT_EQ(5, box.minX);
  EXPECT_EQ(20, box.minY);
  EXPECT_EQ(-3, box.minLevel);
  EXPECT_EQ(30, box.maxX);
  EXPECT_EQ(50, box.maxY);
  EXPECT_EQ(0, box.maxLevel);
  // Only the objects give a box: the grid side adds nothing.
  ASSERT_EQ(0, Grid_GetExtent(&x0, &y0, &l0, 1, &l1, &y1, &x1));
  EXPECT_EQ(5, x0);
  EXPECT_EQ(50, y1);
  EXPECT_EQ(1, Grid_GetExtent(&x0, &y0, &l0, 0, &l1, &y1, &x1));
  // With the grid.
  ASSERT_EQ(1, Grid_SetCell(100, 2, -4, 0x0105));
  Grid_UpdateExtent(0, 0, 0, 0);
  ASSERT_EQ(0, Grid_GetExtent(&x0, &y0, &l0, 1, &l1, &y1, &x1));
  EXPECT_EQ(5, x0);
  EXPECT_EQ(2, y0);
  EXPECT_EQ(-4, l0);
  EXPECT_EQ(100, x1);
}

std::vector<u8> Blocks() { return Test_SaveSection(Grid_WriteBlocks); }

TEST_F(GridOpsTest, TheWriterFindsEveryBlockInOrder) {
  std::vector<u8> b = Blocks();
  ASSERT_EQ(20u, b.size());
  EXPECT_EQ(0u, b[16]);  // no blocks
  // Blocks in rows 0, 7 and 511, on two levels, set and emptied again.
  const struct {
    i32 x, y, level;
  } cells[] = {{32767, 32767, -4}, {64, 7 * 64, 0}, {0, 0, -1}, {70, 7 * 64 + 5, -2}, {0, 0, 0}};
  for (const auto& c : cells) ASSERT_EQ(1, Grid_SetCell(c.x, c.y, c.level, 0x0105));
  Grid_ClearCell(64, 7 * 64, 0);  // the block is freed
  ASSERT_EQ(1, Grid_SetCell(200, 64, 0, 0x0105));
  Grid_ClearCell(200, 64, 0);
  b = Blocks();
  EXPECT_EQ(4u, b[16]);
  // Each block: its position (5 bytes) and its runs; read back the
  // positions in the order written.
  std::vector<std::vector<i32>> order;
  size_t at = 20;
  while (at + 5 <= b.size()) {
    const i32 x = b[at] | b[at + 1] << 8, y = b[at + 2] | b[at + 3] << 8, level = i8(b[at + 4]);
    order.push_back({x, y, level});
    at += 5;
    u32 cells = 0;
    while (cells < 4096) {
      const u16 code = u16(b[at] | b[at + 1] << 8);
      at += 2;
      cells += (code & 0xF000) == 0x8000 ? (code & 0xFF) + 1 : 1;
    }
  }
  EXPECT_EQ(b.size(), at);
  const std::vector<std::vector<i32>> want = {{0, 0, 0}, {0, 0, -1}, {64, 448, -2}, {32704, 32704, -4}};
  EXPECT_EQ(want, order);
  Grid_Clear();
  EXPECT_EQ(0u, Blocks()[16]);
}

}  // namespace

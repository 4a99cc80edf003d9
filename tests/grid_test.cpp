#include <gtest/gtest.h>

#include <vector>

#include "model/grid.h"
#include "platform/fio.h"
#include "render/map.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

void Put8(Bytes& b, u32 v) { b.push_back(u8(v)); }
void PutTag(Bytes& b, const char* tag) {
  while (*tag) b.push_back(u8(*tag++));
}
u16 Get16(const Bytes& b, size_t at) { return u16(b[at] | (b[at + 1] << 8)); }

// A section head of today's form with the given block count.
Bytes QuadHead(u32 blocks) {
  Bytes b;
  PutTag(b, "NETZ");
  PutTag(b, "QUAD");
  Test_Put32(b, 64);
  Test_Put32(b, 64);
  Test_Put32(b, 5);
  Test_Put32(b, blocks);
  return b;
}

// A block of today's form: position, one code at cell 0, the rest empty.
void PutBlock(Bytes& b, u32 x, u32 y, i32 level, u16 firstCode) {
  Test_Put16(b, x);
  Test_Put16(b, y);
  Put8(b, u8(level));
  Test_Put16(b, firstCode);
  for (int i = 0; i < 15; ++i) Test_Put16(b, 0x80FF);
  Test_Put16(b, 0x80FE);
}

class GridTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    Fio_InitBuffers();
  }
  static void TearDownTestSuite() { Fio_FreeBuffers(); }
  void SetUp() override { ASSERT_EQ(0, Grid_Init()); }
  void TearDown() override {
    if (Fio_IsReadOpen()) Fio_CloseRead();
    if (Fio_IsWriteOpen()) Fio_CancelWrite();
    Grid_Exit();
  }

  // Even an empty grid writes the section head, so empty means a failure.
  static Bytes WriteSection() {
    Bytes out = Test_SaveSection(Grid_SaveSection);
    EXPECT_FALSE(out.empty()) << "the section could not be written";
    return out;
  }

  static int ReadSection(const Bytes& bytes, u16 version) { return Test_LoadSection(bytes, Grid_LoadSection, version); }
};

// ---------------------------------------------------------------- cells and blocks

TEST_F(GridTest, BlocksLiveWhileACellMayBeNonEmpty) {
  EXPECT_TRUE(Grid_IsEmpty());
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(100, 100, 0));
  EXPECT_EQ(nullptr, Grid_CellPtr(100, 100, 0));

  // Writing the empty code where no block exists allocates nothing.
  EXPECT_EQ(1, Grid_SetCell(100, 100, 0, CELL_EMPTY));
  EXPECT_TRUE(Grid_IsEmpty());

  GridBlocksChanged = 0;
  EXPECT_EQ(1, Grid_SetCell(100, 100, 0, 0x1234));
  EXPECT_EQ(1, GridBlocksChanged);
  EXPECT_EQ(0x1234, Grid_GetCell(100, 100, 0));
  ASSERT_NE(nullptr, Grid_CellPtr(100, 100, 0));
  EXPECT_EQ(0x1234, *Grid_CellPtr(100, 100, 0));
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(101, 100, 0));  // the rest of the block is empty
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(100, 100, -1));  // levels are apart

  // A second cell of the same block keeps it alive when the first is cleared.
  EXPECT_EQ(1, Grid_SetCell(127, 127, 0, 0x0042));
  u32 blocks = 0;
  Grid_GetMemoryStats(&blocks, nullptr, nullptr, nullptr);
  EXPECT_EQ(1u, blocks);
  Grid_ClearCell(100, 100, 0);
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(100, 100, 0));
  EXPECT_FALSE(Grid_IsEmpty());
  GridBlocksChanged = 0;
  Grid_ClearCell(127, 127, 0);
  EXPECT_TRUE(Grid_IsEmpty());
  EXPECT_EQ(1, GridBlocksChanged);
  EXPECT_EQ(nullptr, Grid_CellPtr(127, 127, 0));

  // Writing the empty code into a block does not free it.
  EXPECT_EQ(1, Grid_SetCell(5, 5, -4, 0x0001));
  EXPECT_EQ(1, Grid_SetCell(5, 5, -4, CELL_EMPTY));
  EXPECT_FALSE(Grid_IsEmpty());
  Grid_ClearCell(5, 5, -4);  // already empty: nothing happens
  EXPECT_FALSE(Grid_IsEmpty());
}

TEST_F(GridTest, CellPointersAddressTheGridWords) {
  ASSERT_EQ(1, Grid_SetCell(32767, 32767, -4, 0x0777));
  CellCode* p = Grid_CellPtr(32767, 32767, -4);
  ASSERT_NE(nullptr, p);
  *p = 0x0778;
  EXPECT_EQ(0x0778, Grid_GetCell(32767, 32767, -4));
  EXPECT_EQ(p - 63 * 64 - 63, Grid_CellPtr(32704, 32704, -4));
}

TEST_F(GridTest, BlockLifeResultCodes) {
  struct Case {
    i32 block, level;
    int alloc;
  } cases[] = {{-1, 0, 4}, {GRID_BLOCK_COUNT, 0, 4}, {0, 1, 4}, {0, -5, 4}, {7, -2, 0}};
  for (const Case& c : cases) EXPECT_EQ(c.alloc, Grid_AllocBlock(c.block, c.level)) << c.block << "," << c.level;
  EXPECT_EQ(1, Grid_AllocBlock(7, -2));  // exists
  EXPECT_EQ(4, Grid_FreeBlockIfEmpty(-1, 0));
  EXPECT_EQ(4, Grid_FreeBlockIfEmpty(0, -5));
  EXPECT_EQ(1, Grid_FreeBlockIfEmpty(8, -2));  // no block
  Grid_SetCell(7 * 64 + 63, 63, -2, 0x0100);  // last cell of block 7
  EXPECT_EQ(3, Grid_FreeBlockIfEmpty(7, -2));
  Grid_SetCell(7 * 64 + 63, 63, -2, CELL_EMPTY);
  EXPECT_EQ(0, Grid_FreeBlockIfEmpty(7, -2));
  EXPECT_TRUE(Grid_IsEmpty());
}

TEST_F(GridTest, CheckedReadsOutsideTheGridAreEmpty) {
  Grid_SetCell(0, 0, 0, 0x0011);
  Grid_SetCell(32767, 32767, -4, 0x0022);
  struct Case {
    i32 x, y, level;
    CellCode code;
  } cases[] = {{32768, 0, 0, CELL_EMPTY}, {0, 32768, 0, CELL_EMPTY}, {-1, 0, 0, CELL_EMPTY},
               {0, -1, 0, CELL_EMPTY},    {0, 0, 1, CELL_EMPTY},     {0, 0, -5, CELL_EMPTY},
               {0, 0, 0, 0x0011},         {32767, 32767, -4, 0x0022}};
  for (const Case& c : cases)
    EXPECT_EQ(c.code, Grid_GetCellChecked(c.x, c.y, c.level)) << c.x << "," << c.y << "," << c.level;
}

TEST_F(GridTest, CellBelowAndNormalisedCell) {
  Grid_SetCell(10, 10, -2, 0x0101);
  Grid_SetCell(10, 10, -4, 0x0202);
  EXPECT_EQ(0x0101, Grid_GetCellBelow(10, 10, 0));
  EXPECT_EQ(0x0202, Grid_GetCellBelow(10, 10, -3));
  EXPECT_EQ(CELL_EMPTY, Grid_GetCellBelow(10, 10, -5));
  EXPECT_EQ(CELL_EMPTY, Grid_GetCellBelow(11, 10, 0));

  struct Case {
    CellCode stored, norm;
  } cases[] = {{0x4123, 0x0123}, {0x0123, 0x0123}, {0x7FFF, 0x3FFF}, {0xBF05, CELL_EMPTY}, {0xC123, 0xC123}};
  for (const Case& c : cases) {
    Grid_SetCell(20, 20, 0, c.stored);
    EXPECT_EQ(c.norm, Grid_GetCellNorm(20, 20, 0)) << std::hex << c.stored;
  }
}

TEST_F(GridTest, RowScanSkipsMissingBlocksInOneStep) {
  Grid_SetCell(130, 7, -1, 0x0055);
  i32 x = 0;
  EXPECT_EQ(CELL_EMPTY, Grid_NextInRow(&x, 7, -1));
  EXPECT_EQ(64, x);
  EXPECT_EQ(CELL_EMPTY, Grid_NextInRow(&x, 7, -1));
  EXPECT_EQ(128, x);
  EXPECT_EQ(CELL_EMPTY, Grid_NextInRow(&x, 7, -1));
  EXPECT_EQ(129, x);
  Grid_NextInRow(&x, 7, -1);
  EXPECT_EQ(0x0055, Grid_NextInRow(&x, 7, -1));
  EXPECT_EQ(131, x);
  x = 65;  // inside a missing block: to the start of the next one
  Grid_NextInRow(&x, 7, -1);
  EXPECT_EQ(128, x);
}

TEST_F(GridTest, RedrawingSetAsksForOneRedraw) {
  u32 before = Map_RedrawRequestCount();
  EXPECT_EQ(1, Grid_SetCellRedraw(1, 2, 0, 0x0333));
  EXPECT_EQ(0x0333, Grid_GetCell(1, 2, 0));
  EXPECT_EQ(before + 1, Map_RedrawRequestCount());
}

TEST_F(GridTest, MemoryStats) {
  Grid_SetCell(0, 0, 0, 1);
  Grid_SetCell(64, 0, 0, 1);
  Grid_SetCell(0, 0, -1, 1);
  u32 blocks = 0, kb = 0, w = 0, h = 0;
  Grid_GetMemoryStats(&blocks, &kb, &w, &h);
  EXPECT_EQ(3u, blocks);
  EXPECT_EQ(24u, kb);
  EXPECT_EQ(64u, w);
  EXPECT_EQ(64u, h);
}

// ---------------------------------------------------------------- extent

struct Box {
  i32 minX = -99, minY = -99, minLevel = -99, maxX = -99, maxY = -99, maxLevel = -99;
};
int GetBox(Box* b, int withObjects) {
  return Grid_GetExtent(&b->minX, &b->minY, &b->minLevel, withObjects, &b->maxLevel, &b->maxY, &b->maxX);
}

TEST_F(GridTest, ExtentOfAnEmptyLayout) {
  Box b;
  EXPECT_EQ(1, Grid_UpdateExtent(0, 0, 0, 0));
  EXPECT_EQ(1, GetBox(&b, 0));
  EXPECT_EQ(1, GetBox(&b, 1));
  EXPECT_EQ(-99, b.minX);  // nothing written
  LayoutExtent e = {1, 1, 1, 1, 1, 1};
  EXPECT_EQ(1, Grid_ScanExtent(&e));
  EXPECT_EQ(0, e.minX);
  EXPECT_EQ(0, e.maxLevel);
}

TEST_F(GridTest, ExtentRecomputedFromTheCells) {
  Grid_SetCell(100, 200, 0, 0x0001);
  Grid_SetCell(5000, 70, -3, 0x0002);
  EXPECT_EQ(0, Grid_UpdateExtent(0, 0, 0, 0));
  Box b;
  EXPECT_EQ(0, GetBox(&b, 0));
  EXPECT_EQ(100, b.minX);
  EXPECT_EQ(5000, b.maxX);
  EXPECT_EQ(70, b.minY);
  EXPECT_EQ(200, b.maxY);
  EXPECT_EQ(-3, b.minLevel);
  EXPECT_EQ(0, b.maxLevel);
  // No objects yet: the same box with them.
  Box o;
  EXPECT_EQ(0, GetBox(&o, 1));
  EXPECT_EQ(b.minX, o.minX);
  EXPECT_EQ(b.maxY, o.maxY);
}

TEST_F(GridTest, ExtentScanSeesLevelsOfBlocksInsideTheBox) {
  // The third block lies inside the box of the first two, so its cells are
  // not looked at for x and y; its level must still count.
  Grid_SetCell(0, 0, 0, 0x0001);
  Grid_SetCell(1000, 1000, 0, 0x0001);
  Grid_SetCell(500, 500, -2, 0x0001);
  Grid_SetCell(600, 600, -4, CELL_EMPTY);
  Grid_SetCell(600, 600, -4, 0x0001);
  Grid_SetCell(600, 600, -4, CELL_EMPTY);  // a block with only empty cells
  LayoutExtent e;
  ASSERT_EQ(0, Grid_ScanExtent(&e));
  EXPECT_EQ(-2, e.minLevel);
  EXPECT_EQ(0, e.maxLevel);
  EXPECT_EQ(0, e.minX);
  EXPECT_EQ(1000, e.maxX);
}

TEST_F(GridTest, ExtentOfOnlyEmptyBlocksIsNone) {
  Grid_SetCell(10, 10, 0, 0x0001);
  Grid_SetCell(10, 10, 0, CELL_EMPTY);
  EXPECT_FALSE(Grid_IsEmpty());
  EXPECT_EQ(1, Grid_UpdateExtent(0, 0, 0, 0));
  Box b;
  EXPECT_EQ(1, GetBox(&b, 0));
}

TEST_F(GridTest, ExtentGrowsByPoints) {
  EXPECT_EQ(0, Grid_UpdateExtent(GRID_EXTENT_GROW, 300, 400, -1));
  Box b;
  ASSERT_EQ(0, GetBox(&b, 0));
  EXPECT_EQ(300, b.minX);
  EXPECT_EQ(300, b.maxX);
  EXPECT_EQ(-1, b.minLevel);
  EXPECT_EQ(-1, b.maxLevel);
  EXPECT_EQ(0, Grid_UpdateExtent(GRID_EXTENT_GROW, 10, 500, 0));
  EXPECT_EQ(2, Grid_UpdateExtent(GRID_EXTENT_GROW, 32768, 0, 0));
  EXPECT_EQ(2, Grid_UpdateExtent(GRID_EXTENT_GROW, 0, 0, -5));
  ASSERT_EQ(0, GetBox(&b, 0));
  EXPECT_EQ(10, b.minX);
  EXPECT_EQ(300, b.maxX);
  EXPECT_EQ(400, b.minY);
  EXPECT_EQ(500, b.maxY);
  EXPECT_EQ(-1, b.minLevel);
  EXPECT_EQ(0, b.maxLevel);
  Grid_Clear();
  EXPECT_EQ(1, GetBox(&b, 0));
}

// ---------------------------------------------------------------- section as written

TEST_F(GridTest, EmptyGridWritesTheHeadOnly) { EXPECT_EQ(QuadHead(0), WriteSection()); }

TEST_F(GridTest, SectionBytesOfSingleBlocks) {
  struct Case {
    const char* what;
    void (*fill)();
    std::vector<u16> codes;  // after the position
  };
  std::vector<u16> lastCell(15, 0x80FF);
  lastCell.push_back(0x80FE);
  lastCell.push_back(0x0123);
  std::vector<u16> allEmpty(16, 0x80FF);
  std::vector<u16> train = {0xC000};
  for (int i = 0; i < 15; ++i) train.push_back(0x80FF);
  train.push_back(0x80FE);
  // Runs go on across row ends: cells 0 and 100 (row 1, column 36).
  std::vector<u16> acrossRows = {0x0007, 0x8062, 0x0008};
  for (int i = 0; i < 15; ++i) acrossRows.push_back(0x80FF);
  acrossRows.push_back(0x809A);
  const Case cases[] = {
      {"single code at the last cell", [] { Grid_SetCell(64 + 63, 128 + 63, -2, 0x0123); }, lastCell},
      {"all-empty block", [] {
         Grid_SetCell(64, 128, -2, 0x0001);
         Grid_SetCell(64, 128, -2, CELL_EMPTY);
       }, allEmpty},
      {"train marker stored as the code under it", [] { Grid_SetCell(64, 128, -2, 0xBF10); }, train},
      {"run across a row end", [] {
         Grid_SetCell(64, 128, -2, 0x0007);
         Grid_SetCell(64 + 36, 129, -2, 0x0008);
       }, acrossRows},
  };
  for (const Case& c : cases) {
    Grid_Clear();
    c.fill();
    Bytes expect = QuadHead(1);
    Test_Put16(expect, 64);
    Test_Put16(expect, 128);
    Put8(expect, 0xFE);
    for (u16 v : c.codes) Test_Put16(expect, v);
    EXPECT_EQ(expect, WriteSection()) << c.what;
  }
}

TEST_F(GridTest, BlocksAreWrittenRowByRowLevelsInnermost) {
  Grid_SetCell(0, 64, -1, 0x0001);
  Grid_SetCell(64, 0, 0, 0x0002);
  Grid_SetCell(0, 0, -4, 0x0003);
  Grid_SetCell(0, 0, 0, 0x0004);
  Bytes b = WriteSection();
  const size_t blockSize = 5 + 2 * 17;
  ASSERT_EQ(24 + 4 * blockSize, b.size());
  struct {
    u16 x, y;
    u8 level;
    u16 code;
  } order[] = {{0, 0, 0x00, 0x0004}, {0, 0, 0xFC, 0x0003}, {64, 0, 0x00, 0x0002}, {0, 64, 0xFF, 0x0001}};
  for (int i = 0; i < 4; ++i) {
    size_t at = 24 + i * blockSize;
    EXPECT_EQ(order[i].x, Get16(b, at)) << i;
    EXPECT_EQ(order[i].y, Get16(b, at + 2)) << i;
    EXPECT_EQ(order[i].level, b[at + 4]) << i;
    EXPECT_EQ(order[i].code, Get16(b, at + 5)) << i;
  }
}

TEST_F(GridTest, ARunCodeInACellIsWrittenAsEmpty) {
  // Such a code never stands in a cell; were it written, the cells after it
  // would shift when read back.
  Grid_SetCell(0, 0, 0, 0x8005);
  Grid_SetCell(1, 0, 0, 0x0009);
  Bytes b = WriteSection();
  ASSERT_EQ(0, ReadSection(b, 0x3850));
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(0, 0, 0));
  EXPECT_EQ(0x0009, Grid_GetCell(1, 0, 0));
}

TEST_F(GridTest, ATrainMarkerInAFileReadsAsEmpty) {
  // No writer puts a marker into a file (a cell under a train is stored as
  // the code the train keeps): one there stands for no train. It once stayed
  // in the cell, and the layout saved from it read back as a different one.
  for (u16 version : {u16(0x3850), u16(0x3844)}) {
    Bytes b = QuadHead(1);
    PutBlock(b, 0, 0, 0, 0xBF01);
    ASSERT_EQ(0, ReadSection(b, version)) << version;
    EXPECT_EQ(CELL_EMPTY, Grid_GetCell(0, 0, 0)) << version;
    const Bytes saved = WriteSection();
    ASSERT_EQ(0, ReadSection(saved, 0x3850));
    EXPECT_EQ(saved, WriteSection()) << version;
  }
}

// ---------------------------------------------------------------- section as read

TEST_F(GridTest, SectionRoundTrip) {
  // Lines, an area, cells on the grid's edges and on every level.
  for (i32 x = 10; x < 3000; ++x) Grid_SetCell(x, 500, 0, CellCode(0x0100 + (x & 7)));
  for (i32 y = 600; y < 700; ++y)
    for (i32 x = 1000; x < 1100; ++x) Grid_SetCell(x, y, -1, 0xC123);
  Grid_SetCell(32767, 32767, -4, 0x4001);
  Grid_SetCell(0, 0, -3, 0xFFFF);
  Grid_SetCell(20, 20, -2, 0x0001);
  Grid_SetCell(20, 20, -2, CELL_EMPTY);  // an all-empty block travels too
  u32 blocks = 0;
  Grid_GetMemoryStats(&blocks, nullptr, nullptr, nullptr);
  Bytes first = WriteSection();

  Grid_Clear();
  Grid_SetCell(9000, 9000, 0, 0x0042);  // reading replaces what was there
  GridBlocksChanged = 0;
  ASSERT_EQ(0, ReadSection(first, 0x3850));
  EXPECT_EQ(1, GridBlocksChanged);
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(9000, 9000, 0));
  u32 blocksAfter = 0;
  Grid_GetMemoryStats(&blocksAfter, nullptr, nullptr, nullptr);
  EXPECT_EQ(blocks, blocksAfter);
  EXPECT_EQ(0x0103, Grid_GetCell(11, 500, 0));
  EXPECT_EQ(0xC123, Grid_GetCell(1099, 699, -1));
  EXPECT_EQ(0x4001, Grid_GetCell(32767, 32767, -4));
  EXPECT_EQ(0xFFFF, Grid_GetCell(0, 0, -3));
  EXPECT_EQ(first, WriteSection());

  // The extent is recomputed by the read.
  Box b;
  ASSERT_EQ(0, GetBox(&b, 0));
  EXPECT_EQ(0, b.minX);
  EXPECT_EQ(32767, b.maxX);
  EXPECT_EQ(-4, b.minLevel);
  EXPECT_EQ(0, b.maxLevel);
}

TEST_F(GridTest, RunsCountOnlyTheirLowByteAndEndTheBlockWhenTheyOvershoot) {
  Bytes b = QuadHead(2);
  Test_Put16(b, 0);
  Test_Put16(b, 0);
  Put8(b, 0);
  Test_Put16(b, 0x8FFF);  // 256 cells: the high bits of the marker do not count
  Test_Put16(b, 0x0011);  // cell 256
  for (int i = 0; i < 15; ++i) Test_Put16(b, 0x80FF);  // 3840 more: overshoots by one
  PutBlock(b, 64, 0, 0, 0x0022);
  ASSERT_EQ(0, ReadSection(b, 0x3850));
  EXPECT_EQ(0x0011, Grid_GetCell(0, 4, 0));
  EXPECT_EQ(0x0022, Grid_GetCell(64, 0, 0));
}

TEST_F(GridTest, MalformedSectionsFail) {
  struct Case {
    const char* what;
    Bytes bytes;
    int result;
  };
  auto head = [](const char* netz, const char* quad, u32 w, u32 h, u32 levels, u32 count) {
    Bytes b;
    PutTag(b, netz);
    PutTag(b, quad);
    Test_Put32(b, w);
    Test_Put32(b, h);
    Test_Put32(b, levels);
    Test_Put32(b, count);
    return b;
  };
  auto withBlock = [](Bytes b, u32 x, u32 y, i32 level) {
    PutBlock(b, x, y, level, 0x0001);
    return b;
  };
  Bytes twice = withBlock(withBlock(QuadHead(2), 0, 0, 0), 0, 0, 0);
  Bytes cut = QuadHead(1);
  Test_Put16(cut, 0);
  Test_Put16(cut, 0);
  Put8(cut, 0);
  Test_Put16(cut, 0x80FF);
  std::vector<Case> cases = {
      {"bad tag", head("NETX", "QUAD", 64, 64, 5, 0), 3},
      {"bad QUAD tag", head("NETZ", "QUAX", 64, 64, 5, 0), 3},
      {"block width 32", head("NETZ", "QUAD", 32, 64, 5, 0), 3},
      {"block height 128", head("NETZ", "QUAD", 64, 128, 5, 0), 3},
      {"four levels", head("NETZ", "QUAD", 64, 64, 4, 0), 3},
      {"more blocks than the grid holds", head("NETZ", "QUAD", 64, 64, 5, 0xFFFFFFFF), 3},
      {"x not a multiple of 64", withBlock(QuadHead(1), 65, 0, 0), 3},
      {"y not a multiple of 64", withBlock(QuadHead(1), 0, 32, 0), 3},
      {"y outside the grid", withBlock(QuadHead(1), 0, 32768, 0), 3},
      {"level 1", withBlock(QuadHead(1), 0, 0, 1), 3},
      {"level -5", withBlock(QuadHead(1), 0, 0, -5), 3},
      {"a block twice", twice, 4},
      {"ends inside a block", cut, 1},
      {"fewer blocks than counted", withBlock(QuadHead(2), 0, 0, 0), 1},
      {"nothing at all", Bytes(), 1},
  };
  for (const Case& c : cases) {
    Grid_Clear();
    EXPECT_EQ(c.result, ReadSection(c.bytes, 0x3850)) << c.what;
  }
  // Files before 0x3835 carry "NP"; the still older "NZ" is refused.
  Bytes nz;
  PutTag(nz, "NZ");
  Test_Put32(nz, 0);
  Put8(nz, 255);
  EXPECT_EQ(3, ReadSection(nz, 0x3600));
}

// ---------------------------------------------------------------- older files

TEST_F(GridTest, CellPositionsByVersion) {
  struct Case {
    u16 version;
    Bytes bytes;
    i32 x, y, level;
  };
  Bytes now, u32Level, u32NoLevel, u16NoLevel;
  Test_Put16(now, 0x1234);
  Test_Put16(now, 0x0040);
  Put8(now, 0xFC);
  Test_Put32(u32Level, 70000);
  Test_Put32(u32Level, 5);
  Test_Put32(u32Level, 0xFFFFFFFD);
  Test_Put32(u32NoLevel, 3);
  Test_Put32(u32NoLevel, 4);
  Test_Put16(u16NoLevel, 0xFFFF);
  Test_Put16(u16NoLevel, 9);
  const Case cases[] = {{0x3850, now, 0x1234, 0x40, -4},     {0x3840, now, 0x1234, 0x40, -4},
                        {14399, u32Level, 70000, 5, -3},     {14396, u32Level, 70000, 5, -3},
                        {14395, u32NoLevel, 3, 4, 0},        {14389, u32NoLevel, 3, 4, 0},
                        {14388, u16NoLevel, 0xFFFF, 9, 0},   {0x3400, u16NoLevel, 0xFFFF, 9, 0}};
  for (const Case& c : cases) {
    Bytes b = c.bytes;
    Put8(b, 0x77);  // the next field must be left unread
    ASSERT_EQ(0, Fio_OpenReadMemory(b.data(), u32(b.size())));
    i32 x = -1, y = -1, level = 99;
    EXPECT_EQ(0, Grid_ReadPos(&x, &y, &level, c.version)) << c.version;
    EXPECT_EQ(c.x, x) << c.version;
    EXPECT_EQ(c.y, y) << c.version;
    EXPECT_EQ(c.level, level) << c.version;
    u8 next = 0;
    EXPECT_EQ(0, Fio_ReadByte(&next));
    EXPECT_EQ(0x77, next) << c.version;
    Fio_CloseRead();
  }
  // Outs may be null.
  ASSERT_EQ(0, Fio_OpenReadMemory(now.data(), u32(now.size())));
  EXPECT_EQ(0, Grid_ReadPos(nullptr, nullptr, nullptr, 0x3850));
  Fio_CloseRead();
}

TEST_F(GridTest, CellCodesOfOlderFiles) {
  struct Case {
    u16 version;
    CellCode code, expect;
    int unknown;
  };
  const Case cases[] = {
      // Today's files and codes no rule touches.
      {0x3850, 0x1234, 0x1234, 0},
      {0x3850, 0xE000, 0xE000, 0},
      // Before 0x3845: symbols 0xE000..0xFC1F renumbered in rows of 90.
      {0x3844, 0xE000, 0xD900, 0},
      {0x3844, 0xE048, 0xD95A, 0},
      {0x3844, 0xFC1F, 0xFC15, 0},
      {0x3844, 0xFC20, 0xFC20, 0},
      {0x3509, 0xF000, 0xECF0, 0},
      {0x3508, 0xF000, 0xF000, 0},  // from 0xF000 kept in files before 0x3509
      // 0x380A..0x383E: shapes 288..295 up by 104, bit 14 kept.
      {0x3810, 0x0120, 0x0188, 0},
      {0x3810, 0x4127, 0x418F, 0},
      {0x3809, 0x0120, 0x0120, 0},
      {0x383F, 0x0120, 0x0120, 0},
      // Before 0x3839.
      {0x3838, 0xCDB6, 0xCDB3, 0},
      {0x3839, 0xCDB6, 0xCDB6, 0},
      // Before 0x3835: shapes 208..215 down by 72, or by 64 in 0x1000..0x17FF.
      {0x3834, 0x00D0, 0x0088, 0},
      {0x3834, 0x10D0, 0x1090, 0},
      {0x3834, 0x40D7, 0x408F, 0},
      // Before 0x3752: depot and ramp shapes, old symbols.
      {0x3751, 0x00D4, 0x008A, 0},
      {0x3751, 0x00D5, 0x008B, 0},
      {0x3751, 0x00DA, 0x008E, 0},
      {0x3751, 0x00DE, 0x008E, 0},
      {0x3751, 0x00DF, 0x008F, 0},
      {0x3751, 0x20E0, 0x40E0, 0},  // bit 13 comes back as bit 14 for shapes 224..239
      {0x3751, 0x20D4, 0x208A, 0},
      {0x3751, 0xCD43, 0xCD41, 0},
      {0x3751, 0xCD52, 0xCD4E, 0},
      {0x3751, 0xC607, 0x1CE0, 0},
      {0x3751, 0xC60A, 0x1CE2, 0},
      {0x3751, 0xC60D, 0x1CE8, 0},
      {0x3751, 0xC501, 0x1CE7, 0},
      {0x3751, 0xC512, 0x1CE4, 0},
      {0x3751, 0xC116, 0x20E0, 0},
      {0x3751, 0xC21F, 0x24E6, 0},
      {0x3751, 0xC320, 0x2958, 0},
      {0x3751, 0xC436, 0x2D63, 0},
      {0x3751, 0xC346, 0x28E8, 0},
      {0x3751, 0xC117, 0xC117, 0},
      // Before 0x3750: variant bit 9.
      {0x374F, 0x0068, 0x0268, 0},
      {0x374F, 0x0010, 0x0208, 0},
      {0x374F, 0x1068, 0x1068, 0},
      {0x374F, 0x4088, 0x4288, 0},
      {0x374F, 0x0268, 0x0268, 0},
      // Before 0x3505: the oldest numbering.
      {0x3400, 0x0000, 0x8000, 0},
      {0x3400, 0x4000, 0xBF00, 0},
      {0x3400, 0x8005, 0x8005, 0},
      {0x3400, 0xF123, 0xF123, 0},
      {0x3400, 696, 0xCD04, 0},
      {0x3400, 708, 0xC716, 0},
      {0x3400, 715, 0xD10A, 0},
      {0x3400, 719, 0xCC00, 0},
      {0x3400, 768, 0xD900, 0},
      {0x3400, 803, 0xD946, 0},
      {0x3400, 0x400 | 800, 0xD940, 0},
      {0x3400, 0x1000, CELL_EMPTY, 0},
      {0x3400, 27, 39, 0},
      {0x3400, 50, 54, 0},
      {0x3400, 100, 100, 0},
      {0x3400, 104, 0x00E0, 0},
      {0x3400, 227, 0x1227, 0},
      {0x3400, 0x800 | 50, 0x4036, 0},
      {0x3400, 0x400 | 50, 0x2036, 0},
      {0x3400, 400, 0x1320, 0},
      {0x3400, 444, 0x0158, 0},
      {0x3505, 50, 50, 0},
      // Codes whose old value is not known.
      {0x3400, 5, CELL_EMPTY, 1},
      {0x3400, 500, CELL_EMPTY, 1},
      {0x3400, 755, CELL_EMPTY, 1},
      {0x3400, 200, CELL_EMPTY, 1},
      {0x3400, 424, CELL_EMPTY, 1},
  };
  for (const Case& c : cases) {
    int unknown = 0;
    EXPECT_EQ(c.expect, Grid_ConvertFileCode(c.code, c.version, &unknown))
        << std::hex << "version " << c.version << " code " << c.code;
    EXPECT_EQ(c.unknown, unknown) << std::hex << "version " << c.version << " code " << c.code;
  }
}

TEST_F(GridTest, OlderSectionFormsAreRead) {
  // 0x3844: today's form, old symbol numbers.
  Bytes a = QuadHead(1);
  PutBlock(a, 0, 64, -1, 0xE048);
  ASSERT_EQ(0, ReadSection(a, 0x3844));
  EXPECT_EQ(0xD95A, Grid_GetCell(0, 64, -1));

  // 0x383C: u32 tags, u32 sides, u16 level count, u32 positions with level.
  Bytes b;
  PutTag(b, "NETZ");
  PutTag(b, "QUAD");
  Test_Put16(b, 64);
  Test_Put16(b, 64);
  Test_Put16(b, 5);
  Test_Put32(b, 1);
  Test_Put32(b, 128);
  Test_Put32(b, 0);
  Test_Put32(b, 0xFFFFFFFE);
  Test_Put16(b, 0x0033);
  for (int i = 0; i < 15; ++i) Test_Put16(b, 0x80FF);
  Test_Put16(b, 0x80FE);
  Grid_Clear();
  ASSERT_EQ(0, ReadSection(b, 0x383C));
  EXPECT_EQ(0x0033, Grid_GetCell(128, 0, -2));

  // 0x3600: "NP", the chunk head with 255, "QU", u16 fields, u16 positions.
  Bytes c;
  PutTag(c, "NP");
  Test_Put32(c, 0);
  Put8(c, 255);
  PutTag(c, "QU");
  Test_Put16(c, 64);
  Test_Put16(c, 64);
  Test_Put16(c, 1);
  Test_Put16(c, 64);
  Test_Put16(c, 128);
  Test_Put16(c, 0x0010);  // shape 16 becomes 8 with bit 9 in files before 0x3750
  for (int i = 0; i < 15; ++i) Test_Put16(c, 0x80FF);
  Test_Put16(c, 0x80FE);
  Grid_Clear();
  ASSERT_EQ(0, ReadSection(c, 0x3600));
  EXPECT_EQ(0x0208, Grid_GetCell(64, 128, 0));

  // A "QU" part in a file before 0x3500 is refused.
  Grid_Clear();
  EXPECT_EQ(3, ReadSection(c, 0x3400));
}

TEST_F(GridTest, OldestChunkFormFillsAGrid2048Wide) {
  // One chunk of three codes: a cell, a run of two, a cell; then a run to the
  // end of the row and a cell at the start of the next one.
  Bytes b;
  PutTag(b, "NP");
  Test_Put32(b, 3 + 8 + 1);
  Put8(b, 1);
  Test_Put16(b, 50);      // 54 today
  Test_Put16(b, 0x8001);  // two empty cells
  Test_Put16(b, 101);
  for (int i = 0; i < 7; ++i) Test_Put16(b, 0x80FF);
  Test_Put16(b, 0x80FB);  // up to x = 2047
  Test_Put16(b, 27);      // 39 today, at (0, 1)
  ASSERT_EQ(0, ReadSection(b, 0x3400));
  EXPECT_EQ(54, Grid_GetCell(0, 0, 0));
  EXPECT_EQ(101, Grid_GetCell(3, 0, 0));
  EXPECT_EQ(39, Grid_GetCell(0, 1, 0));
  EXPECT_EQ(CELL_EMPTY, Grid_GetCell(2047, 0, 0));

  struct Case {
    const char* what;
    u32 count;
    u8 chunks;
    std::vector<u16> codes;
    int result;
  } cases[] = {
      {"no chunks", 1, 0, {50}, 3},
      {"a code whose old value is unknown", 1, 1, {5}, 3},
      {"ends inside the chunk", 4, 1, {50, 50}, 1},
      {"the last chunk of a multiple of 16384 is full", 0, 1, {50}, 1},
  };
  for (const Case& c : cases) {
    Bytes d;
    PutTag(d, "NP");
    Test_Put32(d, c.count);
    Put8(d, c.chunks);
    for (u16 v : c.codes) Test_Put16(d, v);
    Grid_Clear();
    EXPECT_EQ(c.result, ReadSection(d, 0x3400)) << c.what;
  }
}

TEST_F(GridTest, OldestChunkFormStaysInsideTheGrid) {
  // Runs past the 32768th row of the old 2048-wide grid must not be stored.
  Bytes b;
  PutTag(b, "NP");
  const u32 runs = 2048u * 32768u / 256u;
  const u32 codes = runs + 1;
  Test_Put32(b, codes % 16384);
  Put8(b, u8(codes / 16384 + 1));
  for (u32 i = 0; i < runs; ++i) Test_Put16(b, 0x80FF);
  Test_Put16(b, 50);
  EXPECT_EQ(3, ReadSection(b, 0x3400));
}

}  // namespace

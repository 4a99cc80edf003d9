// Buffer stops: the store's contracts, the section in each of its forms,
// the kinds a cell allows and the replace command.
#include <gtest/gtest.h>

#include <vector>

#include "model/grid.h"
#include "model/prlb.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

class PrellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Prell_Clear();
  }
  void TearDown() override {
    Prell_Clear();
    Grid_Exit();
  }
  static void Cell(i32 x, i32 y, CellCode code) {
    ASSERT_EQ(1, Grid_SetCell(x, y, 0, code));
    Grid_UpdateExtent(0, 0, 0, 0);
  }
};

TEST_F(PrellTest, SetReplacesDeleteReportsAndMarksModified) {
  Ewin_ClearModified();
  EXPECT_EQ(1, Prell_Delete(3, 4, 0));
  EXPECT_FALSE(Ewin_IsModified()) << "deleting nothing marks nothing";
  EXPECT_EQ(-1, Prell_GetValue(3, 4, 0));
  EXPECT_EQ(0u, Prell_GetKind(3, 4, 0));
  ASSERT_EQ(0, Prell_Set(3, 4, 0, 2, 30));
  EXPECT_TRUE(Ewin_IsModified());
  ASSERT_EQ(0, Prell_Set(3, 4, 0, 1, 45));
  EXPECT_EQ(1u, Prell_Count(nullptr));
  EXPECT_EQ(45, Prell_GetValue(3, 4, 0));
  EXPECT_EQ(1u, Prell_GetKind(3, 4, 0));
  EXPECT_EQ(0, Prell_SetKind(3, 4, 0, 3));
  EXPECT_EQ(1, Prell_SetKind(3, 5, 0, 3));
  EXPECT_EQ(3u, Prell_GetKind(3, 4, 0));
  Ewin_ClearModified();
  EXPECT_EQ(0, Prell_Delete(3, 4, 0));
  EXPECT_TRUE(Ewin_IsModified());
  EXPECT_EQ(0u, Prell_Count(nullptr));
}

TEST_F(PrellTest, LimitRefusesTheNextRecord) {
  for (i32 i = 0; i < PRELL_MAX; ++i) ASSERT_EQ(0, Prell_Create(i % 1000, i / 1000, 0, 0, 0));
  EXPECT_EQ(1, Prell_Create(5000, 5000, 0, 0, 0));
  EXPECT_EQ(1, Prell_Set(5000, 5000, 0, 0, 0));
  u32 maximum = 0;
  EXPECT_EQ(u32(PRELL_MAX), Prell_Count(&maximum));
  EXPECT_EQ(u32(PRELL_MAX), maximum);
}

TEST_F(PrellTest, KindRangeByElementClass) {
  struct Case {
    u32 code;
    int is;
    u32 max;
  } cases[] = {
      {168, 1, 3}, {175, 1, 3}, {167, 0, 0}, {176, 0, 0}, {4096 + 168, 1, 11}, {0x4000 | (4096 + 170), 1, 11},
      {6144 + 168, 1, 7}, {8192 + 168, 1, 3}, {0x8000 | 168, 0, 0},
  };
  for (const Case& c : cases) {
    u32 lo = 99, hi = 99;
    EXPECT_EQ(c.is, Prell_IsCode(c.code, &lo, &hi)) << c.code;
    if (c.is) {
      EXPECT_EQ(0u, lo);
      EXPECT_EQ(c.max, hi) << c.code;
    }
  }
}

TEST_F(PrellTest, SectionRoundTrip) {
  ASSERT_EQ(0, Prell_Set(1, 2, 0, 5, 100));
  ASSERT_EQ(0, Prell_Set(32767, 32767, -4, 11, 0xFFFFFFFF));
  const Bytes b = Test_SaveSection(Prell_SaveSection);
  ASSERT_EQ(8u + 2 * (5 + 8), b.size());
  EXPECT_EQ(Bytes({'P', 'R', 'L', 'B', 2, 0, 0, 0}), Bytes(b.begin(), b.begin() + 8));
  Prell_Clear();
  ASSERT_EQ(0, Test_LoadSection(b, Prell_LoadSection, 0x3850));
  EXPECT_EQ(100, Prell_GetValue(1, 2, 0));
  EXPECT_EQ(5u, Prell_GetKind(1, 2, 0));
  EXPECT_EQ(11u, Prell_GetKind(32767, 32767, -4));
  // Each load reverses the list; twice gives the same bytes.
  const Bytes once = Test_SaveSection(Prell_SaveSection);
  EXPECT_NE(b, once);
  ASSERT_EQ(0, Test_LoadSection(once, Prell_LoadSection, 0x3850));
  EXPECT_EQ(b, Test_SaveSection(Prell_SaveSection));
}

// Old sections: {version, section bytes} and what must be read.
TEST_F(PrellTest, OlderFormsAndTheirKinds) {
  Cell(10, 10, 4096 + 168);  // grid kind 4, range 0..11
  Cell(11, 10, 168);         // grid kind 0, range 0..3
  struct Case {
    u16 version;
    int result;
    u32 kind10, value10, kind11;
    int has11;
  };
  // 14200: u16 tag, u16 value, kind from the grid; no record at (11, 10)
  // but filled from the grid (before 14374).
  {
    Bytes b;
    Test_Put16(b, 0x4250);
    Test_Put32(b, 1);
    Test_Put16(b, 10), Test_Put16(b, 10);
    Test_Put16(b, 77);
    ASSERT_EQ(0, Test_LoadSection(b, Prell_LoadSection, 14200));
    EXPECT_EQ(77, Prell_GetValue(10, 10, 0));
    EXPECT_EQ(4u, Prell_GetKind(10, 10, 0));
    EXPECT_EQ(0, Prell_GetValue(11, 10, 0)) << "filled from the grid";
    EXPECT_EQ(2u, Prell_Count(nullptr));
  }
  // 14350: u32 kind, 4 added on a cell of grid kind 4, kept in the range.
  for (u32 stored : {3u, 9u}) {
    Bytes b;
    Test_Put16(b, 0x4250);
    Test_Put32(b, 2);
    Test_Put16(b, 10), Test_Put16(b, 10);
    Test_Put16(b, 5), Test_Put32(b, stored);
    Test_Put16(b, 11), Test_Put16(b, 10);
    Test_Put16(b, 6), Test_Put32(b, 2);
    ASSERT_EQ(0, Test_LoadSection(b, Prell_LoadSection, 14350));
    EXPECT_EQ(stored == 3 ? 7u : 11u, Prell_GetKind(10, 10, 0)) << "stored " << stored;
    EXPECT_EQ(2u, Prell_GetKind(11, 10, 0));
    EXPECT_EQ(2u, Prell_Count(nullptr));
  }
  // Before the section: nothing read, every buffer stop of level 0 filled.
  {
    const Bytes none;
    ASSERT_EQ(0, Test_LoadSection(none, Prell_LoadSection, 14000));
    EXPECT_EQ(4u, Prell_GetKind(10, 10, 0));
    EXPECT_EQ(0, Prell_GetValue(11, 10, 0));
  }
}

TEST_F(PrellTest, MalformedSections) {
  struct Case {
    Bytes bytes;
    u16 version;
    int result;
  };
  Bytes wrongTag = {'P', 'R', 'L', 'X', 0, 0, 0, 0};
  Bytes tooMany = {'P', 'R', 'L', 'B'};
  Test_Put32(tooMany, PRELL_MAX + 1);
  Bytes offGrid = {'P', 'R', 'L', 'B', 1, 0, 0, 0, 0, 0, 0, 0, 1};  // level +1
  Test_Put32(offGrid, 0), Test_Put32(offGrid, 0);
  Bytes cut = {'P', 'R', 'L', 'B', 1, 0, 0, 0, 1, 0};
  const Case cases[] = {{wrongTag, 0x3850, 3}, {tooMany, 0x3850, 3}, {offGrid, 0x3850, 3}};
  for (const Case& c : cases) EXPECT_EQ(c.result, Test_LoadSection(c.bytes, Prell_LoadSection, c.version));
  EXPECT_NE(0, Test_LoadSection(cut, Prell_LoadSection, 0x3850));
}

TEST_F(PrellTest, ReplaceKindsInBox) {
  Cell(1, 1, 4096 + 168);  // direction 0, range 0..11
  Cell(2, 1, 4096 + 169);  // direction 1
  Cell(3, 1, 168);         // range 0..3
  ASSERT_EQ(0, Prell_Set(1, 1, 0, 4, 0));
  ASSERT_EQ(0, Prell_Set(2, 1, 0, 4, 0));
  ASSERT_EQ(0, Prell_Set(3, 1, 0, 3, 0));
  EXPECT_EQ(-1, Prell_ReplaceCodesInBox(0, 0, 0, 9, 9, 0, 1, 0xFF, 16384, 0, 8, 4));
  // Exact, direction 0 only: only (1, 1).
  EXPECT_EQ(1, Prell_ReplaceCodesInBox(0, 0, 0, 9, 9, 0, 1, 0x01, 4096 + 168, 0, 8, 4));
  EXPECT_EQ(8u, Prell_GetKind(1, 1, 0));
  EXPECT_EQ(4u, Prell_GetKind(2, 1, 0));
  // Groups of four: last of group 0 (3) to last of group 4.. is out of the
  // range 0..3 of (3, 1): left alone.
  EXPECT_EQ(0, Prell_ReplaceCodesInBox(0, 0, 0, 9, 9, 0, 0, 0xFF, 168, 0, 4, 0));
  EXPECT_EQ(3u, Prell_GetKind(3, 1, 0));
  // Groups: first of group 4 (4) to first of group 8 (8) at (2, 1).
  EXPECT_EQ(1, Prell_ReplaceCodesInBox(0, 0, 0, 9, 9, 0, 0, 0xFF, 4096 + 168, 0, 9, 5));
  EXPECT_EQ(8u, Prell_GetKind(2, 1, 0));
}

}  // namespace

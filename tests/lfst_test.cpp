#include <gtest/gtest.h>

#include <vector>

#include "model/grid.h"
#include "model/layfile.h"
#include "model/lfst.h"
#include "model/line.h"
#include "model/pointobj.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/pointobj_fixture.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

std::vector<wstr>& g_clip = Test_ClipLines();

// An LFST element code pointing in direction 2 (shape 178).
const CellCode kLfstCode = 178;

class LfstTest : public PointObjectTest {
 protected:
  void InitStore() override { Lfst_Init(); }
  void ClearStore() override { Lfst_Clear(); }
  void SetUp() override {
    PointObjectTest::SetUp();
    for (int t = 0; t < 3; ++t)
      for (int i = 0; i < LFST_TYPES; ++i) tables[t][i] = u32(1000 * (100 * (t + 1) + i + 1));
  }
  int SetPoint(i32 x, u32 flags, u32 mask, u32 count = 0, const u32* words = nullptr) {
    return Lfst_Set(x, 5, 0, count, words, 1, mask, flags, tables[2], tables[1], tables[0]);
  }
  u32 tables[3][LFST_TYPES];
};

TEST_F(LfstTest, ValueForTrainByDirectionLinesCategoryAndType) {
  const u32 onlyA[3] = {1, lineA, 0};
  ASSERT_EQ(0, SetPoint(1, LFST_F_TABLE3_SERVICE, 0x2));
  ASSERT_EQ(0, SetPoint(2, LFST_F_LINES_ONLY, 0x2, 3, onlyA));
  ASSERT_EQ(0, SetPoint(3, LFST_F_LINES_NOT, 0x2, 3, onlyA));
  struct Case {
    const char* what;
    i32 x;
    u32 dir, flags;
    i32 number;
    u32 line, category, type;
    i32 expected;
  } cases[] = {
      {"no point", 9, 2, 0, 1, lineA, 1, 1, -1},
      {"a direction outside the mask", 1, 1, 0, 1, lineA, 1, 1, -2},
      {"category 1, type 1: table 1", 1, 2, 0, 1, lineA, 1, 1, 101000},
      {"category 2, type 10: table 2", 1, 2, 0, 1, lineA, 2, 10, 210000},
      {"category 3: table 3", 1, 2, 0, 1, lineA, 3, 4, 304000},
      {"another category: table 1", 1, 2, 0, 1, lineA, 7, 2, 102000},
      {"a selected train takes table 3", 1, 2, 0x8001, 1, lineA, 1, 2, 302000},
      {"type 0 reads no table", 1, 2, 0, 1, lineA, 1, 0, -4},
      {"type 11 reads no table", 1, 2, 0, 1, lineA, 1, 11, -4},
      {"type 40 reads no table", 1, 2, 0, 1, lineA, 2, 40, -4},
      {"only line A: A passes", 2, 2, 0, 1, lineA, 1, 1, 101000},
      {"only line A: another line is refused", 2, 2, 0, 1, lineA + 50, 1, 1, -3},
      {"only line A: no number, no test", 2, 2, 0, 0, lineA + 50, 1, 1, 101000},
      {"not line A: A is refused", 3, 2, 0, 1, lineA, 1, 1, -3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, Lfst_ValueForTrain(c.x, 5, 0, c.dir, c.flags, c.number, c.line, c.category, c.type))
        << c.what;
}

TEST_F(LfstTest, SetDeleteKindsAndCounts) {
  Ewin_ClearModified();
  EXPECT_EQ(1, Lfst_Delete(1, 5, 0));
  EXPECT_FALSE(Ewin_IsModified());
  ASSERT_EQ(0, SetPoint(1, LFST_F_FLAGGED, 1));
  EXPECT_TRUE(Ewin_IsModified());
  ASSERT_EQ(0, SetPoint(1, 0, 3));
  EXPECT_EQ(1u, Lfst_Count());
  u32 mask = 0;
  EXPECT_EQ(0, Lfst_GetInfo(1, 5, 0, nullptr, nullptr, &mask));
  EXPECT_EQ(3u, mask);
  EXPECT_EQ(-1, Lfst_GetInfo(2, 5, 0, nullptr, nullptr, nullptr));
  ASSERT_EQ(0, SetPoint(2, LFST_F_FLAGGED, 1));
  EXPECT_EQ(101u, Lfst_GetKind(2, 5, 0, 0));
  EXPECT_EQ(1u, Lfst_GetKind(2, 5, 0, 1));
  EXPECT_EQ(0u, Lfst_GetKind(3, 5, 0, 0));
  const u32 zeros[LFST_TYPES] = {};
  ASSERT_EQ(0, Lfst_Set(3, 5, 0, 0, nullptr, 2, 1, 0, zeros, zeros, zeros));
  u32 zero = 0, uniform = 0;
  EXPECT_EQ(1u, Lfst_CountByKind(&zero, &uniform));
  EXPECT_EQ(1u, zero);
  EXPECT_EQ(0u, uniform);
  struct Code {
    u32 code;
    int is;
    u32 low, high;
  } codes[] = {{176, 1, 0, 17}, {183 | 0x4000, 1, 0, 17}, {4096 + 176, 1, 4, 17}, {6144 + 176, 1, 0, 3},
               {184, 0, 0, 0},  {175, 0, 0, 0},           {0x8000 | 176, 0, 0, 0}};
  for (const Code& c : codes) {
    u32 lo = 99, hi = 99;
    EXPECT_EQ(c.is, Lfst_IsCode(c.code, &lo, &hi)) << c.code;
    if (c.is) {
      EXPECT_EQ(c.low, lo) << c.code;
      EXPECT_EQ(c.high, hi) << c.code;
    }
  }
}

TEST_F(LfstTest, SectionRoundTripAndOlderForms) {
  const u32 onlyA[3] = {1, lineA, 0};
  ASSERT_EQ(0, SetPoint(1, LFST_F_LINES_ONLY | LFST_F_FLAGGED, 0x2, 3, onlyA));
  ASSERT_EQ(0, SetPoint(2, 0, 0x81));
  const Bytes first = Test_SaveSection(Lfst_SaveSection);
  ASSERT_EQ(0, Test_LoadSection(first, Lfst_LoadSection, 0x3850));
  EXPECT_EQ(2u, Lfst_Count());
  EXPECT_EQ(210000, Lfst_ValueForTrain(2, 5, 0, 0x80, 0, 1, lineA, 2, 10));
  const Bytes second = Test_SaveSection(Lfst_SaveSection);
  ASSERT_EQ(0, Test_LoadSection(second, Lfst_LoadSection, 0x3850));
  EXPECT_EQ(first, Test_SaveSection(Lfst_SaveSection));

  Grid_SetCell(7, 8, 0, kLfstCode);
  auto head = [](u16 count, bool wideCount = false) {
    Bytes b;
    Test_Put16(b, 0x464C);
    if (wideCount) Test_Put32(b, count);
    else Test_Put16(b, count);
    Test_Put16(b, 7);
    Test_Put16(b, 8);
    return b;
  };
  Bytes v14342 = head(1, true);  // u32 count, seven u32 values, u16 flags 0x1, u16 mask
  for (u32 v : {1000u, 2000u, 3000u, 4000u, 5000u, 6000u, 7000u}) Test_Put32(v14342, v);
  Test_Put16(v14342, 0x1);
  Test_Put16(v14342, 0);
  Bytes v14200 = head(1);  // seven u16 values in whole units
  for (u32 v : {1u, 2u, 3u, 4u, 5u, 6u, 7u}) Test_Put16(v14200, v);
  Test_Put16(v14200, 0);
  Test_Put16(v14200, 0x4);
  Bytes v14100 = head(1);  // one value for all
  Test_Put16(v14100, 9);
  Bytes v13000 = head(6);  // six times the count
  Test_Put16(v13000, 0);
  for (u32 v : {1u, 2u, 3u, 4u, 5u, 6u, 7u}) Test_Put16(v13000, v);
  Test_Put16(v13000, 0);
  Bytes v13000bad = head(7);
  Bytes tooMany;
  Test_Put32(tooMany, 0x5453464C);
  Test_Put32(tooMany, LFST_MAX + 1);
  struct Old {
    const char* what;
    u16 version;
    const Bytes& bytes;
    int expected;
    i32 type10cat1, type3cat2;
    u32 mask, flags;
  } cases[] = {
      {"14342: thousandths, flag 0x1 gives 0x3", 14342, v14342, 0, 5000, 6000, 0x4, 0x3},
      {"14200: whole units", 14200, v14200, 0, 5000, 6000, 0x4, 0},
      {"14100: one value", 14100, v14100, 0, 9000, 9000, 0x4, 0},
      {"13000: count six times", 13000, v13000, 0, 5000, 6000, 0x4, 0},
      {"13000: a count not six times", 13000, v13000bad, 3, 0, 0, 0, 0},
      {"count above the limit", 0x3850, tooMany, 3, 0, 0, 0, 0},
  };
  for (const Old& c : cases) {
    ASSERT_EQ(c.expected, Test_LoadSection(c.bytes, Lfst_LoadSection, c.version)) << c.what;
    if (c.expected) continue;
    ASSERT_EQ(1u, Lfst_Count()) << c.what;
    EXPECT_EQ(c.type10cat1, Lfst_ValueForTrain(7, 8, 0, c.mask, 0, 1, 0, 1, 10)) << c.what;
    EXPECT_EQ(c.type3cat2, Lfst_ValueForTrain(7, 8, 0, c.mask, 0, 1, 0, 2, 3)) << c.what;
    u32 mask = 0;
    EXPECT_EQ(i64(c.flags), Lfst_GetInfo(7, 8, 0, nullptr, nullptr, &mask)) << c.what;
    EXPECT_EQ(c.mask, mask) << c.what;
    EXPECT_EQ(4u, Lfst_GetKind(7, 8, 0, 1)) << c.what;
  }
  // Before kinds were stored a point at a cell without an LFST element goes.
  Grid_SetCell(7, 8, 0, CELL_EMPTY);
  ASSERT_EQ(0, Test_LoadSection(v14342, Lfst_LoadSection, 14342));
  EXPECT_EQ(0u, Lfst_Count());
}

TEST_F(LfstTest, ClipboardLinePastesBackWholeAtAnyValue) {
  for (int t = 0; t < 3; ++t)
    for (int i = 0; i < LFST_TYPES; ++i) tables[t][i] = 0xFFFFFFF0u + u32(i);
  const u32 onlyA[3] = {1, lineA, 0};
  ASSERT_EQ(0, Lfst_Set(32000, 32000, -4, 3, onlyA, 0x11, 0xFFFF, LFST_F_LINES_NOT | 0xFFFF0000u, tables[2],
                        tables[1], tables[0]));
  ASSERT_EQ(0, Lfst_CopyToClip(0, 0, -4, 32767, 32767, 0));
  ASSERT_EQ(4u, g_clip.size());
  EXPECT_GT(g_clip[1].size(), 250u);
  const Bytes before = Test_SaveSection(Lfst_SaveSection);
  Lfst_Clear();
  i32 lineNo = 0;
  ASSERT_EQ(0, Lfst_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(4, lineNo);
  EXPECT_EQ(before, Test_SaveSection(Lfst_SaveSection));
  // Fewer than ten groups, or a line cut short, is malformed.
  g_clip = {u"LFST_A", u"1,1,0,0,1,0 1,2,3", u"LFST_E"};
  lineNo = 0;
  EXPECT_EQ(2, Lfst_PasteFromClip(&lineNo, 0, 0, 0));
  g_clip = {u"LFST_A", u"LFST_E"};
  lineNo = 0;
  EXPECT_EQ(0, Lfst_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(2, lineNo);
}

TEST_F(LfstTest, LineIdsLeaveAndJoinTheLists) {
  const u32 onlyA[3] = {1, lineA, 0};
  ASSERT_EQ(0, SetPoint(1, LFST_F_LINES_ONLY, 1, 3, onlyA));
  EXPECT_EQ(0, Lfst_AddLineIdBeside(lineB, lineA));
  u32 words[16], count = 0;
  Lfst_GetInfo(1, 5, 0, &count, words, nullptr);
  EXPECT_EQ((std::vector<u32>{2, lineA, lineB, 0}), std::vector<u32>(words, words + count));
  i32 x = 0, y = 0, level = 0;
  EXPECT_EQ(1, Lfst_FindNextWithLine(lineB, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  Lfst_RemoveLineId(lineA);
  Lfst_RemoveLineId(lineB);
  EXPECT_EQ(0, Lfst_GetInfo(1, 5, 0, &count, nullptr, nullptr));
  EXPECT_EQ(0u, count);
}

TEST_F(LfstTest, KindsReplacedInABoxByParityDirectionAndGroup) {
  const u32 zero[LFST_TYPES] = {};
  struct Point {
    i32 x;
    u32 code, kind;
  } points[] = {
      {1, 176 + 2, 4},         // taken: kind 4, direction 2
      {2, 176 + 2, 5},         // taken: its odd partner
      {3, 176 + 3, 4},         // direction 3 is filtered out
      {4, 176 + 2, 2},         // another kind
      {5, 6144 + 176 + 2, 4},  // a narrow element: kind 4 is outside its range 0..3
      {6, 4096 + 176 + 2, 4},  // another group of codes
      {40, 176 + 2, 4},        // outside the box
  };
  for (const Point& p : points) {
    Grid_SetCell(p.x, 1, 0, CellCode(p.code));
    ASSERT_EQ(0, Lfst_Set(p.x, 1, 0, 0, nullptr, p.kind, 1, 0, zero, zero, zero));
  }
  EXPECT_EQ(2, Lfst_ReplaceCodesInBox(0, 0, 0, 0, 1u << 2, 176, 0, 6, 4, 0, 9, 9));
  const u32 want[] = {6, 7, 4, 2, 4, 4, 4};
  for (size_t i = 0; i < sizeof want / sizeof want[0]; ++i)
    EXPECT_EQ(want[i], Lfst_GetKind(points[i].x, 1, 0, 1)) << points[i].x;
  // Any other mode takes the one kind; a class mask chooses groups instead
  // of the element code (class 1: codes 4096..6143).
  EXPECT_EQ(1, Lfst_ReplaceCodesInBox(0, 0, 0, 1, 0xFF, 0, 1u << 1, 9, 4, 0, 9, 9));
  EXPECT_EQ(9u, Lfst_GetKind(6, 1, 0, 1));
  EXPECT_EQ(-1, Lfst_ReplaceCodesInBox(0, 0, 0, 1, 0xFF, 16384, 0, 9, 4, 0, 9, 9));
}

TEST_F(LfstTest, OldElementsBecomeTodaysWithTheirPoints) {
  // Shape 184 + direction is the old element; codes from 7168 give kind 2.
  Grid_SetCell(3, 4, 0, 184 + 2);
  Grid_SetCell(5, 4, 0, CellCode(7168 + 184 + 5));
  Grid_SetCell(6, 4, 0, 0);  // plain track stays
  Grid_SetCell(3, 4, -1, 184);  // only level 0 is converted
  Grid_UpdateExtent(0, 0, 0, 0);
  EXPECT_EQ(2, Lfst_ConvertOldElements());
  EXPECT_EQ(176u + 2, Grid_GetCell(3, 4, 0));
  EXPECT_EQ(7168u + 176 + 5, Grid_GetCell(5, 4, 0));
  EXPECT_EQ(184u, Grid_GetCell(3, 4, -1));
  EXPECT_EQ(6u, Lfst_GetKind(3, 4, 0, 1));
  EXPECT_EQ(2u, Lfst_GetKind(5, 4, 0, 1));
  u32 mask = 0;
  EXPECT_EQ(0, Lfst_GetInfo(5, 4, 0, nullptr, nullptr, &mask));
  EXPECT_EQ(1u << 5, mask);
  EXPECT_EQ(0, Lfst_ConvertOldElements());
}

}  // namespace

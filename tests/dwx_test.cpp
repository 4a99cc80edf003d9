#include <gtest/gtest.h>

#include <vector>

#include "model/dwx.h"
#include "model/grid.h"
#include "model/line.h"
#include "model/rule.h"
#include "model/pointobj.h"
#include "platform/heap.h"
#include "platform/str.h"
#include "shell/wire.h"
#include "tests/pointobj_fixture.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

std::vector<wstr>& g_clip = Test_ClipLines();

class DwxTest : public PointObjectTest {
 protected:
  void InitStore() override { Dwx_Init(); }
  void ClearStore() override { Dwx_Clear(); }
  // One group: line A, switch to line B.
  std::vector<u32> SwitchRule() const { return {1, lineA, LIN_OPT_SWITCH_LINE, lineB}; }
};

TEST_F(DwxTest, CreateSetDeleteResultCodes) {
  struct Case {
    const char* what;
    i32 x;
    const char16_t* name;
    int expected;
  } cases[] = {
      {"a new point", 10, u"Alpha", DWX_OK},
      {"another cell", 11, u"Beta", DWX_OK},
      {"empty name", 12, u"   ", DWX_NAME_EMPTY},
      {"a bad character", 12, u"a*b", DWX_NAME_BAD},
      {"too long", 13, u"abcdefghijklmnopq", DWX_NAME_BAD},
      {"a name at another cell", 14, u"ALPHA", DWX_NAME_TAKEN},
      {"the same name at its own cell replaces", 10, u"alpha", DWX_OK},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Dwx_Set(c.x, 5, 0, 1, 0xFF, c.name)) << c.what;
  EXPECT_EQ(2u, Dwx_Count());
  wch name[DWX_NAME_SIZE];
  ASSERT_EQ(0, Dwx_GetInfo(10, 5, 0, nullptr, nullptr, nullptr, name));
  EXPECT_EQ(wstr(u"alpha"), wstr(name));
  EXPECT_EQ(1u, Dwx_GetValue(10, 5, 0));
  EXPECT_EQ(0, Dwx_Delete(10, 5, 0));
  EXPECT_EQ(1, Dwx_Delete(10, 5, 0));
  EXPECT_EQ(1, Dwx_IsFreeCell(10, 5, 0));
  EXPECT_EQ(2, Dwx_SetRule(10, 5, 0, nullptr, 0));
}

TEST_F(DwxTest, ListStaysInNameOrderAndNamesStep) {
  ASSERT_EQ(0, Dwx_Set(1, 1, 0, 0, 1, u"m"));
  ASSERT_EQ(0, Dwx_Set(2, 1, 0, 0, 1, u"B"));
  ASSERT_EQ(0, Dwx_Set(3, 1, 0, 0, 1, u"z"));
  ASSERT_EQ(0, Dwx_Set(4, 1, 0, 0, 1, u"a"));
  std::vector<wstr> order;
  for (const DwxRec* d = Dwx_First(); d; d = reinterpret_cast<const DwxRec*>(d->Head.Next)) order.push_back(d->Name);
  EXPECT_EQ((std::vector<wstr>{u"a", u"B", u"m", u"z"}), order);
  wch out[DWX_NAME_SIZE];
  struct Step {
    const char16_t* from;
    i32 step;
    const char16_t* to;
  } steps[] = {{u"a", 1, u"B"}, {u"z", 1, u"a"}, {u"a", -1, u"z"}, {u"m", 2, u"a"}, {u"nope", 1, u"a"}};
  for (const Step& s : steps) {
    EXPECT_EQ(0, Dwx_StepName(s.from, out, s.step));
    EXPECT_EQ(wstr(s.to), wstr(out)) << U8(s.from) << " " << s.step;
  }
  i32 x = 0, y = 0, level = 0;
  EXPECT_EQ(0, Dwx_GetPosByName(u"Z", &x, &y, &level));
  EXPECT_EQ(3, x);
  EXPECT_EQ(1, Dwx_GetPosByName(u"q", &x, &y, &level));
}

TEST_F(DwxTest, FreeNamesAndTheLimit) {
  wch name[DWX_NAME_SIZE];
  ASSERT_EQ(0, Dwx_MakeFreeName(name));
  EXPECT_EQ(wstr(u"       DW_000001"), wstr(name));
  ASSERT_EQ(0, Dwx_Create(0, 0, 0, 0, 1, u"DW_000002"));
  ASSERT_EQ(0, Dwx_MakeFreeName(name));
  EXPECT_EQ(wstr(u"    DW_000002_00"), wstr(name));
  for (i32 i = 1; i < DWX_MAX; ++i) ASSERT_EQ(0, Dwx_Create(i, 1, 0, 0, 1, u"x"));
  EXPECT_EQ(DWX_FULL, Dwx_Create(0, 2, 0, 0, 1, u"y"));
  // A replace at an occupied cell is no new point.
  EXPECT_EQ(DWX_OK, Dwx_Create(5, 1, 0, 0, 1, u"y"));
  EXPECT_EQ(u32(DWX_MAX), Dwx_Count());
}

TEST_F(DwxTest, AReplaceThatFailsKeepsTheOldPoint) {
  const std::vector<u32> rule = SwitchRule();
  ASSERT_EQ(0, Dwx_Set(7, 7, 0, 1, 3, u"Old"));
  ASSERT_EQ(0, Dwx_SetRule(7, 7, 0, rule.data(), u32(rule.size())));
  ASSERT_EQ(0, Dwx_Set(8, 7, 0, 1, 3, u"Taken"));
  EXPECT_EQ(DWX_NAME_TAKEN, Dwx_Set(7, 7, 0, 0, 1, u"Taken"));
  EXPECT_EQ(DWX_NAME_BAD, Dwx_Set(7, 7, 0, 0, 1, u"a*b"));
  EXPECT_EQ(1, Dwx_SetRule(7, 7, 0, rule.data(), RULE_WORDS_MAX + 1));
  wch name[DWX_NAME_SIZE];
  u32 count = 0, mask = 0;
  ASSERT_EQ(0, Dwx_GetInfo(7, 7, 0, nullptr, &count, &mask, name));
  EXPECT_EQ(wstr(u"Old"), wstr(name));
  EXPECT_EQ(4u, count);
  EXPECT_EQ(3u, mask);
}

TEST_F(DwxTest, MatchTrainByDirectionAndRule) {
  const std::vector<u32> rule = SwitchRule();
  ASSERT_EQ(0, Dwx_Set(3, 3, 0, 0, 0x2, u"P"));
  DwxMatch m;
  EXPECT_EQ(1, Dwx_MatchTrain(4, 3, 0, 0x2, lineA, 1, &m));
  EXPECT_EQ(2, Dwx_MatchTrain(3, 3, 0, 0x1, lineA, 1, &m));
  EXPECT_EQ(0, Dwx_MatchTrain(3, 3, 0, 0x2, lineA, 1, &m));
  EXPECT_EQ(0, m.Length);
  ASSERT_EQ(0, Dwx_SetRule(3, 3, 0, rule.data(), u32(rule.size())));
  EXPECT_EQ(2, Dwx_MatchTrain(3, 3, 0, 0x2, lineB, 1, &m));
  ASSERT_EQ(0, Dwx_MatchTrain(3, 3, 0, 0x2, lineA, 1, &m));
  ASSERT_EQ(4, m.Length);
  EXPECT_EQ(lineB, m.Group[3]);
}

TEST_F(DwxTest, LineHooksRemoveAndCopyIds) {
  const std::vector<u32> rule = {1, lineA, 0};
  ASSERT_EQ(0, Dwx_Set(3, 3, 0, 0, 1, u"P"));
  ASSERT_EQ(0, Dwx_SetRule(3, 3, 0, rule.data(), 3));
  EXPECT_EQ(0, Dwx_OnLineCopied(lineB, lineA));
  u32 words[64] = {}, count = 0;
  ASSERT_EQ(0, Dwx_GetInfo(3, 3, 0, words, &count, nullptr, nullptr));
  EXPECT_EQ((std::vector<u32>{2, lineA, lineB, 0}), std::vector<u32>(words, words + count));
  Dwx_OnLineDeleted(lineA);
  ASSERT_EQ(0, Dwx_GetInfo(3, 3, 0, words, &count, nullptr, nullptr));
  EXPECT_EQ((std::vector<u32>{1, lineB, 0}), std::vector<u32>(words, words + count));
  i32 x = -1, y, level;
  EXPECT_EQ(1, Dwx_FindNextWithLine(lineB, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  EXPECT_EQ(3, x);
  x = -1;
  EXPECT_EQ(0, Dwx_FindNextWithLine(lineB, 0, 0, 0, 9, 9, 0, &x, &y, &level));
}

TEST_F(DwxTest, SectionRoundTripAndOlderForms) {
  const std::vector<u32> rule = SwitchRule();
  ASSERT_EQ(0, Dwx_Set(3, 4, -1, 1, 0x81, u"Point"));
  ASSERT_EQ(0, Dwx_SetRule(3, 4, -1, rule.data(), u32(rule.size())));
  ASSERT_EQ(0, Dwx_Set(9, 4, 0, 0, 0x2, u"Another"));
  const Bytes first = Test_SaveSection(Dwx_SaveSection);
  ASSERT_EQ(0, Test_LoadSection(first, Dwx_LoadSection, 0x3850));
  EXPECT_EQ(2u, Dwx_Count());
  u32 count = 0, mask = 0;
  ASSERT_EQ(0, Dwx_GetInfo(3, 4, -1, nullptr, &count, &mask, nullptr));
  EXPECT_EQ(4u, count);
  EXPECT_EQ(0x81u, mask);
  EXPECT_EQ(first, Test_SaveSection(Dwx_SaveSection));

  struct Old {
    const char* what;
    u16 version;
    Bytes bytes;
    int expected;
    u32 count;
  };
  Bytes v14344;  // "LW", u32 count, pos, mask, value, u16 words, 16 bytes of name
  Test_Put16(v14344, 0x574C);
  Test_Put32(v14344, 1);
  Test_Put16(v14344, 5);
  Test_Put16(v14344, 6);  // old positions have no level
  Test_Put16(v14344, 4);
  Test_Put32(v14344, 1);
  Test_Put16(v14344, 0);
  const char name[16] = "Old name";
  v14344.insert(v14344.end(), name, name + 16);
  Bytes v14200 = v14344;  // no value before 14344
  v14200.erase(v14200.begin() + 6 + 4 + 2, v14200.begin() + 6 + 4 + 2 + 4);
  Bytes tooMany;
  Test_Put32(tooMany, 0x50585744);
  Test_Put32(tooMany, DWX_MAX + 1);
  Bytes longName;
  Test_Put32(longName, 0x50585744);
  Test_Put32(longName, 1);
  Test_Put16(longName, 1);
  Test_Put16(longName, 1);
  longName.push_back(0);
  Test_Put16(longName, 1);
  Test_Put32(longName, 0);
  Test_Put32(longName, 0);
  for (int i = 0; i < 18; ++i) Test_Put16(longName, 'a');
  const Old cases[] = {
      {"before the section existed", 14170, {}, 0, 0},
      {"old tag, with value", 14344, v14344, 0, 1},
      {"old tag, no value", 14200, v14200, 0, 1},
      {"count above the limit", 0x3850, tooMany, 3, 0},
      {"a name without its end", 0x3850, longName, 3, 0},
  };
  for (const Old& c : cases) {
    EXPECT_EQ(c.expected, Test_LoadSection(c.bytes, Dwx_LoadSection, c.version)) << c.what;
    if (c.expected == 0) {
      EXPECT_EQ(c.count, Dwx_Count()) << c.what;
    }
  }
  ASSERT_EQ(0, Test_LoadSection(v14344, Dwx_LoadSection, 14344));
  wch got[DWX_NAME_SIZE];
  ASSERT_EQ(0, Dwx_GetInfo(5, 6, 0, nullptr, nullptr, nullptr, got));
  EXPECT_EQ(wstr(u"Old name"), wstr(got));
  EXPECT_EQ(1u, Dwx_GetValue(5, 6, 0));
}

TEST_F(DwxTest, ClipboardRoundTripAndTwoPastes) {
  const std::vector<u32> rule = SwitchRule();
  ASSERT_EQ(0, Dwx_Set(3, 4, 0, 1, 0x81, u"Point"));
  ASSERT_EQ(0, Dwx_SetRule(3, 4, 0, rule.data(), u32(rule.size())));
  ASSERT_EQ(0, Dwx_Set(50, 4, 0, 0, 1, u"Outside"));
  ASSERT_EQ(0, Dwx_CopyToClip(0, 0, 0, 10, 10, 0));
  ASSERT_EQ(4u, g_clip.size());
  EXPECT_EQ(wstr(u"3,4,0,81,1"), g_clip[1]);
  EXPECT_EQ(wstr(u"DWX_E"), g_clip[3]);
  for (int round = 0; round < 2; ++round) {
    i32 lineNo = 0;
    ASSERT_EQ(0, Dwx_PasteFromClip(&lineNo, 100 + round, 0, 0));
    EXPECT_EQ(4, lineNo);
  }
  wch a[DWX_NAME_SIZE], b[DWX_NAME_SIZE];
  u32 count = 0;
  ASSERT_EQ(0, Dwx_GetInfo(103, 4, 0, nullptr, &count, nullptr, a));
  EXPECT_EQ(4u, count);
  ASSERT_EQ(0, Dwx_GetInfo(104, 4, 0, nullptr, nullptr, nullptr, b));
  EXPECT_EQ(0, Str_CompareEx(a, u"_____COPY_L", 0) > 0 ? 0 : 1) << U8(a);
  EXPECT_NE(wstr(a), wstr(b));
}

TEST_F(DwxTest, AMalformedPasteStillRenamesWhatItSet) {
  g_clip = {u"DWX_A", u"1,1,0,1,0", u"", u"2,1,0,1,0"};  // the second point's rule line and the end are missing
  i32 lineNo = 0;
  EXPECT_EQ(4, Dwx_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(0, lineNo);
  for (const DwxRec* d = Dwx_First(); d; d = reinterpret_cast<const DwxRec*>(d->Head.Next))
    EXPECT_NE(0, Mem_Compare(d->Name, u"__W7QC3P6X_", 22)) << U8(d->Name);
  EXPECT_EQ(2u, Dwx_Count());
  // A second paste of a whole block does not collide with the first.
  g_clip = {u"DWX_A", u"1,2,0,1,0", u"", u"DWX_E"};
  lineNo = 0;
  EXPECT_EQ(0, Dwx_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(3u, Dwx_Count());
}

}  // namespace

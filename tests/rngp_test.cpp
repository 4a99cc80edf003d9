#include <gtest/gtest.h>

#include <vector>

#include "dialogs/dfw.h"
#include "dialogs/rpask.h"
#include "model/grid.h"
#include "model/line.h"
#include "model/pointobj.h"
#include "model/rngp.h"
#include "operation/trn.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/pointobj_fixture.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

std::vector<wstr>& g_clip = Test_ClipLines();

// What the question hook saw and answers.
RpQuestion g_asked;
int g_askCount, g_answer, g_stops;
int Ask(const RpQuestion* q) {
  g_asked = *q;
  ++g_askCount;
  return g_answer;
}
void StopSimulation(void) { ++g_stops; }

class RpTest : public PointObjectTest {
 protected:
  void InitStore() override { Rp_Init(); }
  void ClearStore() override { Rp_Clear(); }
  void SetUp() override {
    PointObjectTest::SetUp();
    if (HasFatalFailure()) return;
    train = Trn_AllocRecord(2, 3);
    ASSERT_NE(nullptr, train);
    train->CurLine = train->Line = lineA;
    train->Number = 7;
    train->VehicleCount = 3;
    g_askCount = g_stops = 0;
    g_answer = 0;
  }
  void TearDown() override {
    Trn_FreeRecord(train);
    const RpHooks none = {nullptr, nullptr};
    Rp_SetHooks(&none);
    PointObjectTest::TearDown();
  }
  // A point of the type at x, direction bit 2, result value 0x40 and
  // values 2..5 = 2, 30, 15, 4, with the lists given.
  void MakePoint(i32 x, u32 type, u32 flags, const std::vector<u32>& l1, const std::vector<u32>& l2,
                 const std::vector<u32>& l3, const std::vector<u32>& l4) {
    ASSERT_EQ(0, Rp_Set(x, 5, 0, 1, 0x2, type));
    std::vector<u32> words = l1;
    words.insert(words.end(), l2.begin(), l2.end());
    words.insert(words.end(), l3.begin(), l3.end());
    words.insert(words.end(), l4.begin(), l4.end());
    ASSERT_EQ(0, Rp_Edit(x, 5, 0, words.data(), flags, 30, 15, 4, 2, 0x40, u32(l4.size()), u32(l3.size()),
                         u32(l2.size()), u32(l1.size())));
  }
  u32 Decide(i32 x, u32 dir = 0x2, u32* line = nullptr) {
    u32 tv = 99, v2 = 99, v3 = 99, v4 = 99, v5 = 99;
    const u32 r = Rp_ForTrain(train, x, 5, 0, &tv, &v2, &v4, &v3, &v5, dir);
    if (line) *line = tv;
    return r;
  }
  TrainRec* train = nullptr;
};

TEST_F(RpTest, DecisionOrder) {
  const std::vector<u32> onlyA = {1, lineA, 0}, onlyB = {1, lineB, 0};
  const std::vector<u32> switchToB = {1, lineA, LIN_OPT_SWITCH_LINE, lineB};
  const std::vector<u32> place3 = {4, 2}, place4 = {4, 0};
  MakePoint(1, RP_TYPE_REFUSE, 0, {}, {}, {}, {});
  MakePoint(2, RP_TYPE_TAKE, 0, {}, {}, {}, {});
  MakePoint(3, RP_TYPE_TAKE, 0, onlyA, {}, {}, {});
  MakePoint(4, RP_TYPE_REFUSE, 0, onlyB, switchToB, {}, {});
  MakePoint(5, RP_TYPE_TAKE, 0, onlyA, {}, place3, place4);
  MakePoint(6, RP_TYPE_REFUSE, 0, onlyA, {}, {}, place4);
  MakePoint(7, RP_TYPE_TAKE, RP_F_REFUSE_NEXT, {}, {}, {}, {});
  MakePoint(8, RP_TYPE_REFUSE, RP_F_TAKE_NEXT, onlyA, {}, {}, {});
  struct Case {
    const char* what;
    i32 x;
    u32 dir;
    u16 homeDepot, homePlace;
    u32 expected, line;
  } cases[] = {
      {"no point", 20, 0x2, 0, 0, 0, 0},
      {"a direction outside the mask", 2, 0x1, 0, 0, 0, 0},
      {"type 31 refuses when list 2 does not hold", 1, 0x2, 0, 0, 0, 0},
      {"type 32 takes when list 2 does not hold", 2, 0x2, 0, 0, 0x41, 0},
      {"list 1 holds: refused", 3, 0x2, 0, 0, 0, 0},
      {"list 2 holds: taken, with the line to switch to", 4, 0x2, 0, 0, 0x41, 0},
      {"home place in list 3 beats list 4", 5, 0x2, 4, 2, 0, 0},
      {"home place in list 4 is taken before list 1", 6, 0x2, 4, 9, 0x41, 0},
      {"refuse once", 7, 0x2, 0, 0, 0, 0},
      {"then as usual", 7, 0x2, 0, 0, 0x41, 0},
      {"take once without conditions", 8, 0x2, 0, 0, 0x41, 0},
      {"then list 1 refuses again", 8, 0x2, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    train->HomeDepot = c.homeDepot;
    train->HomePlace = c.homePlace;
    u32 line = 99;
    EXPECT_EQ(c.expected, Decide(c.x, c.dir, &line)) << c.what;
  }
  u32 line = 0;
  train->HomeDepot = 0;
  ASSERT_EQ(0x41u, Decide(4, 0x2, &line));
  EXPECT_EQ(lineB, line);
}

TEST_F(RpTest, EveryOutIsSetOnEveryPath) {
  MakePoint(1, RP_TYPE_REFUSE, 0, {}, {}, {}, {});
  for (i32 x : {1, 20}) {
    for (u32 dir : {0x1u, 0x2u}) {
      u32 tv = 99, v2 = 99, v3 = 99, v4 = 99, v5 = 99;
      Rp_ForTrain(train, x, 5, 0, &tv, &v2, &v4, &v3, &v5, dir);
      const bool found = x == 1 && dir == 0x2;
      EXPECT_EQ(0u, tv);
      EXPECT_EQ(found ? 2u : 0u, v2);
      EXPECT_EQ(found ? 30u : 0u, v3);
      EXPECT_EQ(found ? 15u : 0u, v4);
      EXPECT_EQ(found ? 4u : 0u, v5);
    }
  }
}

TEST_F(RpTest, TheUserWhoDrivesIsAsked) {
  const RpHooks hooks = {Ask, StopSimulation};
  Rp_SetHooks(&hooks);
  MakePoint(2, RP_TYPE_TAKE, 0, {}, {}, {}, {});
  EXPECT_EQ(0x41u, Decide(2));
  EXPECT_EQ(0, g_askCount);
  train->StateFlags |= TRN_USER_DRIVEN;
  struct Case {
    int answer;
    u32 vehicles;
    u32 expected;
    int takeOffered, proposal;
  } cases[] = {
      {RP_ANSWER_REFUSE, 3, 0, 1, RP_ANSWER_RESULT},
      {RP_ANSWER_TAKE, 3, 0x101, 1, RP_ANSWER_RESULT},
      {RP_ANSWER_RESULT, 3, 0x40, 1, RP_ANSWER_RESULT},
      {RP_ANSWER_STOP_SIMULATION, 3, RP_WAIT, 1, RP_ANSWER_RESULT},
      {0, 3, 0x41, 1, RP_ANSWER_RESULT},
      {RP_ANSWER_TAKE, 1, 0x40, 0, RP_ANSWER_TAKE},
  };
  for (const Case& c : cases) {
    g_answer = c.answer;
    train->VehicleCount = c.vehicles;
    EXPECT_EQ(c.expected, Decide(2)) << c.answer;
    EXPECT_EQ(c.takeOffered, g_asked.TakeOffered) << c.answer;
    EXPECT_EQ(c.proposal, g_asked.Default) << c.answer;
    EXPECT_EQ(15523u, g_asked.Text);
  }
  EXPECT_EQ(1, g_stops);
}

TEST_F(RpTest, ResultCodesOfSetEditDeleteAndLists) {
  Ewin_ClearModified();
  EXPECT_EQ(0, Rp_Delete(1, 5, 0));
  EXPECT_FALSE(Ewin_IsModified());
  EXPECT_EQ(2, Rp_Edit(1, 5, 0, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  ASSERT_EQ(0, Rp_Set(1, 5, 0, 2, 0x2, 5));
  EXPECT_TRUE(Ewin_IsModified());
  EXPECT_EQ(3, Rp_Edit(1, 5, 0, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  u32 v3 = 0, v4 = 0, v5 = 9, v2 = 9, rv = 9;
  EXPECT_EQ(0u, Rp_GetList(1, 5, 0, &v3, &v4, &v5, &v2, &rv, nullptr, 1));
  EXPECT_EQ(30u, v3);
  EXPECT_EQ(15u, v4);
  EXPECT_EQ(0u, v5 + v2 + rv);
  MakePoint(1, RP_TYPE_TAKE, RP_F_FLAGGED, {1, lineA, 0}, {1, lineB, 0}, {4, 2}, {5, 0, 6, 1});
  EXPECT_EQ(1u, Rp_Count());
  const u32* list = nullptr;
  EXPECT_EQ(3u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 2));
  EXPECT_EQ(lineB, list[1]);
  EXPECT_EQ(4u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 5));
  EXPECT_EQ(6u, list[2]);
  EXPECT_EQ(0u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 3));
  EXPECT_EQ(101u, Rp_GetKind(1, 5, 0, 0));
  EXPECT_EQ(1u, Rp_GetKind(1, 5, 0, 1));
  EXPECT_EQ(0u, Rp_GetKind(2, 5, 0, 1));
  Rp_RemoveLineId(lineA);
  EXPECT_EQ(0u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 1));
  EXPECT_EQ(3u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 2));
  EXPECT_EQ(lineB, list[1]);
  EXPECT_EQ(2u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 4));
  EXPECT_EQ(0, Rp_AddLineIdBeside(lineA, lineB));
  EXPECT_EQ(4u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 2));
  EXPECT_EQ(4u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 5));
  EXPECT_EQ(5u, list[0]);
  Rp_OnDepotPlaceDeleted(4, 2);
  EXPECT_EQ(0u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 4));
  EXPECT_EQ(4u, Rp_GetList(1, 5, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 5));
  EXPECT_EQ(5u, list[0]);
  i32 x = -1, y = 0, level = 0;
  EXPECT_EQ(2, Rp_FindNextWithLine(lineA, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  x = -1;
  EXPECT_EQ(0, Rp_FindNextWithLine(lineA, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  EXPECT_EQ(1, Rp_Delete(1, 5, 0));
  struct Code {
    u32 code;
    int is;
    u32 high;
  } codes[] = {{192, 1, 3}, {199 | 0x4000, 1, 3}, {6144 + 192, 1, 0}, {191, 0, 0}, {200, 0, 0}, {0x8000 | 192, 0, 0}};
  for (const Code& c : codes) {
    u32 lo = 9, hi = 9;
    EXPECT_EQ(c.is, Rp_IsCode(c.code, &lo, &hi)) << c.code;
    if (c.is) {
      EXPECT_EQ(c.high, hi) << c.code;
    }
  }
}

TEST_F(RpTest, SectionKeepsTheFileOrderAndReadsOlderForms) {
  MakePoint(1, RP_TYPE_TAKE, 0, {1, lineA, 0}, {}, {}, {4, 0});
  MakePoint(2, RP_TYPE_REFUSE, 0, {}, {}, {}, {});
  ASSERT_EQ(0, Rp_Set(3, 5, -2, 3, 0x81, 7));
  const Bytes first = Test_SaveSection(Rp_SaveSection);
  ASSERT_EQ(0, Test_LoadSection(first, Rp_LoadSection, 0x3850));
  EXPECT_EQ(3u, Rp_Count());
  // The reader keeps the order, so a reload writes the same bytes.
  EXPECT_EQ(first, Test_SaveSection(Rp_SaveSection));
  i32 x = -1, y = 0, level = 0;
  EXPECT_EQ(7u, Rp_Iterate(&x, &y, &level, nullptr, nullptr));
  EXPECT_EQ(3, x);
  x = -2;
  EXPECT_EQ(u32(RP_TYPE_REFUSE), Rp_Iterate(&x, &y, &level, nullptr, nullptr));
  EXPECT_EQ(2, x);

  Grid_SetCell(9, 9, 0, 192 + 3);
  auto old = [](u16 version, u32 counts) {
    Bytes b;
    Test_Put16(b, 0x5052);
    Test_Put32(b, 1);
    Test_Put16(b, 9);
    Test_Put16(b, 9);
    b.push_back(32);
    if (version < 14337) Test_Put16(b, 0);
    if (version < 14343) Test_Put16(b, 1), Test_Put16(b, 2), Test_Put16(b, 3);
    else Test_Put16(b, 0x10);
    if (version >= 14344) Test_Put32(b, 2);
    for (int i = 0; i < 4; ++i) Test_Put16(b, i == 0 ? counts : 0);
    Test_Put16(b, 0);      // flags
    Test_Put16(b, 0x41);   // result value
    for (int i = 0; i < 4; ++i) Test_Put16(b, 10 + i);
    return b;
  };
  Bytes hugeCount;
  Test_Put32(hugeCount, 0x50474E52);
  Test_Put32(hugeCount, 1);
  Test_Put16(hugeCount, 1);
  Test_Put16(hugeCount, 1);
  hugeCount.push_back(0);
  hugeCount.push_back(32);
  Test_Put16(hugeCount, 1);
  Test_Put32(hugeCount, 0);
  for (int i = 0; i < 4; ++i) Test_Put32(hugeCount, 0x40000000u);
  for (int i = 0; i < 6; ++i) Test_Put32(hugeCount, 0);  // flags, result value, values 2..5
  Bytes tooMany;
  Test_Put32(tooMany, 0x50474E52);
  Test_Put32(tooMany, RP_MAX + 1);
  struct Old {
    const char* what;
    u16 version;
    Bytes bytes;
    int expected;
    u32 count, mask, kind;
  } cases[] = {
      {"before shunting points", 14169, {}, 0, 0, 0, 0},
      {"a spare word and three old words", 14200, old(14200, 0), 0, 1, 0x8, 0},
      {"three old words", 14340, old(14340, 0), 0, 1, 0x8, 0},
      {"a mask, no kind", 14343, old(14343, 0), 0, 1, 0x10, 0},
      {"mask and kind", 14350, old(14350, 0), 0, 1, 0x10, 2},
      {"an old list form", 14350, old(14350, 2), 3, 0, 0, 0},
      {"an old list above 1200 entries", 14350, old(14350, 1201), 3, 0, 0, 0},
      {"counts past any list", 0x3850, hugeCount, 3, 0, 0, 0},
      {"too many points", 0x3850, tooMany, 3, 0, 0, 0},
  };
  for (const Old& c : cases) {
    ASSERT_EQ(c.expected, Test_LoadSection(c.bytes, Rp_LoadSection, c.version)) << c.what;
    if (c.expected) continue;
    ASSERT_EQ(c.count, Rp_Count()) << c.what;
    if (!c.count) continue;
    u32 mask = 0;
    i32 px = 9, py = 9, pl = 0;
    EXPECT_EQ(32u, Rp_Iterate(&px, &py, &pl, nullptr, &mask)) << c.what;
    EXPECT_EQ(c.mask, mask) << c.what;
    EXPECT_EQ(c.kind, Rp_GetKind(9, 9, 0, 1)) << c.what;
    u32 v2 = 0, v5 = 0, rv = 0;
    Rp_GetList(9, 9, 0, nullptr, nullptr, &v5, &v2, &rv, nullptr, 1);
    EXPECT_EQ(10u, v2) << c.what;
    EXPECT_EQ(13u, v5) << c.what;
    EXPECT_EQ(0x41u, rv) << c.what;
  }
}

TEST_F(RpTest, ClipboardRoundTrip) {
  MakePoint(1, RP_TYPE_TAKE, RP_F_FLAGGED, {1, lineA, 0}, {1, lineB, LIN_OPT_SWITCH_LINE, lineA}, {}, {});
  ASSERT_EQ(0, Rp_Set(2, 5, 0, 3, 0x81, 7));
  const Bytes before = Test_SaveSection(Rp_SaveSection);
  ASSERT_EQ(0, Rp_CopyToClip(0, 0, 0, 9, 9, 0));
  EXPECT_EQ(wstr(u"RP_A"), g_clip.front());
  EXPECT_EQ(wstr(u"RP_E"), g_clip.back());
  Rp_Clear();
  i32 lineNo = 0;
  ASSERT_EQ(0, Rp_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(i32(g_clip.size()), lineNo);
  // The paste pushes each point at the head: pasting the copy of the
  // reloaded list gives the saved order back.
  ASSERT_EQ(0, Test_LoadSection(Test_SaveSection(Rp_SaveSection), Rp_LoadSection, 0x3850));
  g_clip.clear();
  ASSERT_EQ(0, Rp_CopyToClip(0, 0, 0, 9, 9, 0));
  Rp_Clear();
  lineNo = 0;
  ASSERT_EQ(0, Rp_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(before, Test_SaveSection(Rp_SaveSection));
  // A missing end line or a short second line is malformed.
  g_clip = {u"RP_A", u"1,1,0,32,1,0", u"0,0,0,0"};
  lineNo = 0;
  EXPECT_EQ(4, Rp_PasteFromClip(&lineNo, 0, 0, 0));
  g_clip = {u"RP_A", u"1,1,0,32,1,0", u"0,0,0,0,41,0,30,15,0,0"};
  lineNo = 0;
  EXPECT_EQ(4, Rp_PasteFromClip(&lineNo, 0, 0, 0));
}

TEST_F(RpTest, TheQuestionDialogOffersWhatTheDecisionAllows) {
  struct Case {
    int takeOffered, following, proposal;
  } cases[] = {{1, 0, RP_ANSWER_RESULT}, {0, 1, RP_ANSWER_TAKE}};
  for (const Case& c : cases) {
    RpQuestion q = {train, 1, 2, 0, 15524, c.takeOffered, c.proposal};
    u8 bytes[RPASK_DESC_SIZE];
    ASSERT_EQ(0, RpAsk_BuildDesc(&q, c.following, bytes, sizeof bytes));
    EXPECT_EQ(DLG_TITLE, bytes[0]);
    EXPECT_EQ(u32(c.proposal), Dfw_Get16(bytes, 12)) << "the proposal has the focus";
    const u8* text = Dfw_FindDescItem(bytes, 190);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(15524u, Dfw_Get16(text, 4));
    auto disabled = [&](int answer) {
      const u8* r = Dfw_FindDescItem(bytes, answer);
      EXPECT_NE(nullptr, r) << answer;
      return r && r[0] == DLG_CAPTION_DISABLED;
    };
    EXPECT_FALSE(disabled(RP_ANSWER_REFUSE));
    EXPECT_EQ(!c.takeOffered, disabled(RP_ANSWER_TAKE));
    EXPECT_EQ(!c.following, disabled(RP_ANSWER_STOP_FOLLOWING));
    EXPECT_EQ(c.following != 0, disabled(RP_ANSWER_FOLLOW));
    EXPECT_FALSE(disabled(RP_ANSWER_STOP_SIMULATION));
  }
  // The native build shows no dialog: the question counts as closed and
  // the decision stands.
  RpQuestion q = {train, 1, 2, 0, 15523, 1, RP_ANSWER_TAKE};
  EXPECT_EQ(0, RpAsk_Ask(&q));
}

}  // namespace

// What LFST, Dwx and shunting points do to the trains that pass them: speed
// caps, rules that change the train's data, and shunting aside.
#include <gtest/gtest.h>

#include "model/dwx.h"
#include "model/lfst.h"
#include "model/line.h"
#include "model/rngp.h"
#include "operation/trnstep.h"
#include "shell/wire.h"
#include "tests/test_util.h"
#include "tests/trn_fixture.h"

namespace {

// The element code of the shape range [first, first + 8) that a train
// running east passes with the element class, or 0xFFFF.
CellCode EastCode(u32 first, int wantClass) {
  for (u32 s = first; s < first + 8; ++s) {
    int cls = -1;
    if (Trn_TrackConnection(1, 0, s, &cls, 1) == 1 && cls == wantClass) return CellCode(s);
  }
  return 0xFFFF;
}

enum : u32 { kEast = 8 };  // the direction bit of a train running east

class PointTrainTest : public TrnFixture {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    TrnFixture::SetUp();
    ASSERT_EQ(1, Lin_Init());
    ASSERT_EQ(0, Lin_Create(u"A", 0, 0, &lineA));
    ASSERT_EQ(0, Lin_Create(u"B", 0, 0, &lineB));
    Lfst_Clear();
    Dwx_Clear();
    Rp_Clear();
  }
  void TearDown() override {
    Lfst_Clear();
    Dwx_Clear();
    Rp_Clear();
    TrnFixture::TearDown();
    Lin_Exit();
  }
  // A row from x 0 to 12 at y 3 with the element at x 6, and a train of two
  // 16-pixel vehicles at x 2 running east.
  TrainRec* Layout(CellCode element) {
    Row(0, 12, 3);
    EXPECT_EQ(1, Grid_SetCell(6, 3, 0, element));
    TrainRec* t = Place(1, {16, 16}, Line(2, 3, -1, 0, 3), 1, 0, lineA);
    return t;
  }
  // Sub-steps until the head has entered x 7 or the train stops moving on.
  static void RunPast(TrainRec* t) {
    for (int i = 0; i < 200 && Trn_Cells(t)[0].X < 7; ++i) {
      if (t->StateFlags & (TRN_SET_ASIDE | TRN_BLOCKED)) break;
      if (t->SubCellOffset > 0) {
        t->SubCellOffset -= 4;
        Trn_MoveInCell(t);
      } else {
        Trn_EnterNextCell(t);
      }
    }
  }
  LineId lineA = 0, lineB = 0;
};

TEST_F(PointTrainTest, LfstPointsCapTheSpeedOfTheTrainsTheyServe) {
  const CellCode code = EastCode(176, TRK_CLASS_LFST);
  ASSERT_NE(0xFFFF, code);
  u32 table[3][10];
  for (int t = 0; t < 3; ++t)
    for (int i = 0; i < 10; ++i) table[t][i] = u32(1000 * (10 * (t + 1) + i));
  const u32 onlyB[3] = {1, 0, 0};
  struct Case {
    const char* what;
    u32 mask, flags, type, capBefore, capAfter;
    const u32* words;
  } cases[] = {
      {"a served train takes the value of its type", kEast, 0, 3, 0, 12000, nullptr},
      {"a direction outside the mask changes nothing", 1, 0, 3, 5000, 5000, nullptr},
      {"a value of 0 clears the cap", kEast, 0, 1, 5000, 0, nullptr},
      {"a type beyond the tables changes nothing", kEast, 0, 11, 5000, 5000, nullptr},
      {"a train its list refuses keeps its cap", kEast, LFST_F_LINES_NOT, 3, 5000, 5000, onlyB},
  };
  table[0][0] = 0;
  for (const Case& c : cases) {
    TrnList_FreeAll();
    Lfst_Clear();
    cells.clear();
    TrainRec* t = Layout(code);
    ASSERT_EQ(0, Lfst_Set(6, 3, 0, c.words ? 3 : 0, c.words, 0, c.mask, c.flags, table[2], table[1], table[0]));
    t->Type = c.type;
    t->SpeedCapA = c.capBefore;
    RunPast(t);
    EXPECT_EQ(7, Trn_Cells(t)[0].X) << c.what;
    EXPECT_EQ(c.capAfter, t->SpeedCapA) << c.what;
    CheckMarkers();
  }
}

TEST_F(PointTrainTest, DwxPointsHandTheirRuleToTheTrain) {
  const CellCode code = EastCode(200, TRK_CLASS_DWX);
  ASSERT_NE(0xFFFF, code);
  // Line A trains run on as line B, category 2, number 40.
  const u32 rule[] = {1, lineA, LIN_OPT_SWITCH_LINE | LIN_OPT_CATEGORY | LIN_OPT_NUMBER, lineB, 2, 40};
  LinGroupLayout g;
  ASSERT_EQ(6, Lin_ListGroupLayout(rule, 6, &g)) << "the words are one group";
  TrainRec* t = Layout(code);
  ASSERT_EQ(0, Dwx_Set(6, 3, 0, 0, kEast, u"D"));
  ASSERT_EQ(0, Dwx_SetRule(6, 3, 0, rule, 6));
  RunPast(t);
  EXPECT_EQ(7, Trn_Cells(t)[0].X);
  EXPECT_EQ(lineB, t->CurLine);
  EXPECT_EQ(lineA, t->Line);
  EXPECT_EQ(2u, t->Category);
  EXPECT_EQ(40, t->Number);
  CheckMarkers();
  // A train of another line passes unchanged.
  TrnList_FreeAll();
  cells.clear();
  t = Layout(code);
  t->CurLine = lineB;
  RunPast(t);
  EXPECT_EQ(lineB, t->CurLine);
  EXPECT_EQ(1u, t->Category);
  EXPECT_EQ(1, t->Number);
}

TEST_F(PointTrainTest, ShuntingPointsTakeTrainsAsideOrLetThemPass) {
  const CellCode code = EastCode(192, TRK_CLASS_SHUNT);
  ASSERT_NE(0xFFFF, code);
  struct Case {
    const char* what;
    u32 type, resultValue, mask;
    bool aside;
  } cases[] = {
      {"type 31 without lists lets the train pass", RP_TYPE_REFUSE, 0x80, kEast, false},
      {"a direction outside the mask lets it pass", RP_TYPE_TAKE, 0x80, 1, false},
      {"type 32 parks the train aside", RP_TYPE_TAKE, 0x80, kEast, true},
  };
  for (const Case& c : cases) {
    TrnList_FreeAll();
    Rp_Clear();
    cells.clear();
    TrainRec* t = Layout(code);
    ASSERT_EQ(0, Rp_Set(6, 3, 0, 0, c.mask, c.type));
    ASSERT_EQ(0, Rp_Edit(6, 3, 0, nullptr, 0, 30, 15, 0, 0, c.resultValue, 0, 0, 0, 0));
    RunPast(t);
    EXPECT_EQ(c.aside, (t->StateFlags & TRN_SET_ASIDE) != 0) << c.what;
    if (c.aside) EXPECT_EQ(30, t->WaitLeft) << c.what;
    else EXPECT_EQ(7, Trn_Cells(t)[0].X) << c.what;
    CheckMarkers();
  }
}

}  // namespace

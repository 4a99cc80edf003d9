// The rows of the depot list and the spin steppers of place and line fields.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/depdlg.h"
#include "dialogs/dfw.h"
#include "model/dep.h"
#include "model/grid.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/sig.h"
#include "operation/trn.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

class DepDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    ASSERT_EQ(1, Lin_Init());
    Sig_Clear();
    Dep_Clear();
    TrnList_Clear();
    g_simClock.weekday = 3;
  }
  void TearDown() override {
    TrnList_Clear();
    Dep_Clear();
    Sig_Clear();
    Lin_Exit();
    Grid_Exit();
  }
};

TEST_F(DepDlgTest, RowsCarryTheirKeysAndUses) {
  DepotPlace p = {};
  p.X = 4, p.Number = 1, p.WaitMs = 45000;
  ASSERT_EQ(0, Dep_InsertPlace(6, u"Nordbahnhof", u"NB", &p));
  p = {};
  p.X = 5, p.Number = 12;
  ASSERT_EQ(0, Dep_InsertPlace(6, u"Nordbahnhof", u"NB", &p));
  TrainRec t = {};
  t.Line = t.CurLine = 1;
  t.Number = 1;
  t.LastCell = 1;
  t.HomeDepot = 6;
  t.HomePlace = 12;
  t.TimeA[0] = 0x7F080000;
  t.DepotA[0] = 6;
  t.PlaceA[0] = 12;
  t.TimeB[0] = 0x01090000;  // Monday only: not today
  t.DepotB[0] = 6;
  t.PlaceB[0] = 12;
  ASSERT_EQ(0, TrnList_Create(nullptr, &t, nullptr, 5, 0, 0));
  wch block[3 * DEP_ROW_UNITS + 2];
  ASSERT_EQ(2, Dep_FormatListRows(block));
  EXPECT_EQ(DEP_ROW_MARK, block[0]);
  EXPECT_EQ(6, block[1]);
  EXPECT_EQ(1, block[2]);
  EXPECT_EQ(0, block[3]);
  const std::string first = U8(wstr(block + DEP_ROW_KEYS));
  const std::string second = U8(wstr(block + DEP_ROW_UNITS + DEP_ROW_KEYS));
  SCOPED_TRACE("[" + first + "]\n[" + second + "]");
  EXPECT_EQ(0u, first.find("Nordbahnhof      NB      1")) << first;
  EXPECT_NE(std::string::npos, first.find(" 45  -----")) << first;
  EXPECT_EQ(0u, second.find("                 NB     12")) << second;
  EXPECT_NE(std::string::npos, second.find("---  -----")) << second;
  EXPECT_NE(std::string::npos, second.find("    1    1    0    1    1    7")) << second;
  EXPECT_EQ(0, block[2 * DEP_ROW_UNITS]);
  EXPECT_EQ(0, block[2 * DEP_ROW_UNITS + 1]);
}

TEST_F(DepDlgTest, SpinKeysStepThroughPlacesAndLines) {
  DepotPlace p = {};
  for (u32 n : {1u, 4u}) {
    p.Number = n;
    ASSERT_EQ(0, Dep_InsertPlace(2, u"Ost", u"O", &p));
  }
  u8 bytes[200];
  DlgBuild b;
  wch field[24] = u"Ost:1";
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddEdit(&b, 140, field, 24, DLG_EDIT_SPIN, DFW_SPIN_PLACE, DFW_SPIN_PLACE);
  ASSERT_EQ(0, Dfw_BuildEnd(&b));
  wch text[24] = u"Ost:1";
  i32 caret = 0;
  ASSERT_EQ(1, Dfw_SpinText(bytes, text, 24, &caret, DFW_KEY_UP));
  EXPECT_EQ(wstr(u"Ost:4"), wstr(text));
  ASSERT_EQ(1, Dfw_SpinText(bytes, text, 24, &caret, DFW_KEY_UP));
  EXPECT_EQ(wstr(u"Ost:1"), wstr(text));

  LineId a = 0, c = 0;
  ASSERT_EQ(0, Lin_Create(u"A", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"C", 0, 0, &c));
  wch line[LINE_NAME_SIZE] = u"A";
  EXPECT_EQ(0, Dep_StepLineField(line, 1, LINE_NAME_SIZE));
  EXPECT_EQ(wstr(u"C"), wstr(line));
  EXPECT_EQ(1, Dep_StepLineField(line, 1, 4));
}

}  // namespace

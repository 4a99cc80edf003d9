// Log points and the run log: the sorted store, the section in its forms,
// the settings, and the log file's naming and lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/logp.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/trn.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

class LogpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    folder = Test_MakeTempFolder();
    ASSERT_EQ(0, Test_LoadTexts());
    Logp_Clear();
    ASSERT_EQ(0, Logp_SetSettings(LOGP_OPT_POINTS | LOGP_OPT_UTF16, u',', u';'));
  }
  void TearDown() override {
    Logp_Clear();
    Grid_Exit();
  }
  // The order of the list as "x,y,level" items.
  static std::string Order() {
    std::string s;
    i32 x = -1, y = -1, level = 1;
    const u32 n = Logp_Count();
    for (u32 i = 0; i < n; ++i) {
      if (!Logp_NextInOrder(&x, &y, &level, 0)) break;
      s += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(level) + " ";
    }
    return s;
  }
  wstr folder;
};

TEST_F(LogpTest, SortedByRowColumnAndLevelDescending) {
  ASSERT_EQ(0, Logp_Set(5, 7, -2, 255, u"a", 1));
  ASSERT_EQ(0, Logp_Set(5, 7, 0, 255, u"b", 1));
  ASSERT_EQ(0, Logp_Set(4, 7, -1, 255, u"c", 1));
  ASSERT_EQ(0, Logp_Set(9, 2, 0, 255, u"d", 1));
  EXPECT_EQ("9,2,0 4,7,-1 5,7,0 5,7,-2 ", Order());
  // A replace keeps one point and the order.
  ASSERT_EQ(0, Logp_Set(5, 7, 0, 3, u"  named", 8));
  EXPECT_EQ(4u, Logp_Count());
  u32 dirs = 0;
  wch name[LOGP_NAME_MAX + 1];
  EXPECT_EQ(8u, Logp_GetInfo(5, 7, 0, &dirs, name));
  EXPECT_EQ(wstr(u"named"), wstr(name)) << "leading blanks go";
  EXPECT_EQ(3u, dirs);
  // Moved points keep the list sorted.
  Logp_MoveInBox(9, 2, 0, 9, 2, 0, 0, 10, 0);
  EXPECT_EQ("4,7,-1 5,7,0 5,7,-2 9,12,0 ", Order());
  // Wrap after the last gives the first; without wrap nothing.
  i32 x = 9, y = 12, level = 0;
  EXPECT_EQ(0, Logp_NextInOrder(&x, &y, &level, 0));
  EXPECT_EQ(1, Logp_NextInOrder(&x, &y, &level, 1));
  EXPECT_EQ(4, x);
  i32 e[6];
  EXPECT_EQ(0, Logp_GetExtent(&e[0], &e[1], &e[2], &e[3], &e[4], &e[5]));
  EXPECT_EQ(4, e[0]);
  EXPECT_EQ(7, e[1]);
  EXPECT_EQ(-2, e[2]);
  EXPECT_EQ(0, e[3]);
  EXPECT_EQ(12, e[4]);
  EXPECT_EQ(9, e[5]);
  const i32 src[6] = {0, 0, 0, 5, 7, -4}, inside[6] = {0, 0, 0, 5, 7, -4}, small[6] = {0, 0, 0, 4, 7, -4};
  EXPECT_EQ(1, Logp_TestInBox(src, inside));
  EXPECT_EQ(2, Logp_TestInBox(src, small));
  Logp_DeleteInBox(0, 0, 0, 5, 7, -4);
  EXPECT_EQ(1u, Logp_Count());
}

TEST_F(LogpTest, OnePointIsItsOwnNext) {
  ASSERT_EQ(0, Logp_Set(3, 3, 0, 255, u"x", 1));
  i32 x = 3, y = 3, level = 0;
  EXPECT_EQ(1, Logp_NextInOrder(&x, &y, &level, 0));
  EXPECT_EQ(3, x);
}

TEST_F(LogpTest, SectionRoundTripAndOlderForms) {
  ASSERT_EQ(0, Logp_Set(1, 2, 0, 0x81, u"North", LOGP_F_ENTER | LOGP_F_OFF));
  ASSERT_EQ(0, Logp_Set(1, 2, -1, 0x02, u"", LOGP_F_LEAVE));
  EXPECT_EQ(1u, Logp_CountSwitchedOff());
  const Bytes b = Test_SaveSection(Logp_Save);
  ASSERT_EQ(0, Test_LoadSection(b, Logp_Load, 0x3850));
  EXPECT_EQ(b, Test_SaveSection(Logp_Save)) << "a sorted store saves the same bytes";

  // 14350: u16 tag and count, u16 directions, 33 bytes of 8-bit name.
  Bytes old;
  Test_Put16(old, 16730);
  Test_Put16(old, 1);
  Test_Put32(old, 0);
  Test_Put16(old, 7), Test_Put16(old, 8);
  Test_Put16(old, 0x44);
  Test_Put32(old, LOGP_F_ARRIVE);
  const char name[33] = "Depot   ";
  old.insert(old.end(), name, name + 33);
  ASSERT_EQ(0, Test_LoadSection(old, Logp_Load, 14350));
  u32 dirs = 0;
  wch got[LOGP_NAME_MAX + 1];
  EXPECT_EQ(u32(LOGP_F_ARRIVE), Logp_GetInfo(7, 8, 0, &dirs, got));
  EXPECT_EQ(0x44u, dirs);
  EXPECT_EQ(wstr(u"Depot"), wstr(got));
  // 14300: no directions in the file: all of them.
  Bytes older(old.begin(), old.begin() + 12);
  Test_Put32(older, 0);
  older.insert(older.end(), name, name + 33);
  ASSERT_EQ(0, Test_LoadSection(older, Logp_Load, 14300));
  Logp_GetInfo(7, 8, 0, &dirs, nullptr);
  EXPECT_EQ(255u, dirs);

  struct Bad {
    Bytes bytes;
    u16 version;
    int result;
  };
  Bytes wrongTag = {'L', 'O', 'G', 'X', 0, 0, 0, 0, 0, 0, 0, 0};
  Bytes notZero = {'L', 'O', 'G', 'P', 0, 0, 0, 0, 1, 0, 0, 0};
  Bytes earlyRecords = {0x5A, 0x41, 1, 0};
  Bytes longName = {'L', 'O', 'G', 'P', 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0};
  Test_Put32(longName, 1), Test_Put32(longName, 1);
  for (int i = 0; i < 33; ++i) Test_Put16(longName, 'a');
  Test_Put16(longName, 0);
  const Bad bad[] = {{wrongTag, 0x3850, 3}, {notZero, 0x3850, 3}, {earlyRecords, 14000, 3}, {longName, 0x3850, 3}};
  for (const Bad& c : bad) EXPECT_EQ(c.result, Test_LoadSection(c.bytes, Logp_Load, c.version));
}

TEST_F(LogpTest, SettingsAreChecked) {
  struct Case {
    u32 flags;
    wch sep, comment;
    int result;
  } cases[] = {{12, u',', u';', 1}, {0, u',', u';', 1}, {1, 31, u';', 2}, {1, u',', 10, 3}, {2 | 8, u';', u'#', 0}};
  for (const Case& c : cases) EXPECT_EQ(c.result, Logp_SetSettings(c.flags, c.sep, c.comment)) << c.flags;
  u32 flags;
  wch sep, comment;
  Logp_GetSettings(&flags, &sep, &comment, nullptr);
  EXPECT_EQ(10u, flags);
  EXPECT_EQ(u';', sep);
  EXPECT_EQ(u'#', comment);
}

TEST_F(LogpTest, RunLogTakesTheFirstFreeName) {
  ASSERT_TRUE(Test_WriteFile(folder + u"orba_00.log", {'x'}));
  ASSERT_EQ(0, Logp_StartRunLog());
  ASSERT_TRUE(Logp_IsLogging());
  EXPECT_EQ(wstr(u"orba_01.log"), wstr(Logp_GetLogFileName()));
  Logp_StopRunLog();
  EXPECT_FALSE(Logp_IsLogging());
  EXPECT_EQ(nullptr, Logp_GetLogFileName());
  const Bytes f = Test_ReadFile(folder + u"orba_01.log");
  ASSERT_GT(f.size(), 2u);
  EXPECT_EQ(0xFF, f[0]);
  EXPECT_EQ(0xFE, f[1]);
  EXPECT_EQ(Bytes({'x'}), Test_ReadFile(folder + u"orba_00.log")) << "a taken name is left alone";
}

TEST_F(LogpTest, AllNamesTakenStartsNothing) {
  for (int n = 0; n < 100; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "orba_%02d.log", n);
    ASSERT_TRUE(Test_WriteFile(folder + W16(name), {'x'}));
  }
  EXPECT_EQ(680, Logp_StartRunLog());
  EXPECT_FALSE(Logp_IsLogging());
}

// The lines of an 8-bit log, header lines dropped.
std::vector<std::string> LogLines(const wstr& path, bool keepHeader = false) {
  const Bytes f = Test_ReadFile(path);
  std::vector<std::string> out;
  std::string cur;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '\r' && i + 1 < f.size() && f[i + 1] == '\n') {
      if (keepHeader || cur.empty() || (cur[0] != ';' && cur[0] != '#')) out.push_back(cur);
      cur.clear();
      ++i;
    } else {
      cur += char(f[i]);
    }
  }
  return out;
}

TEST_F(LogpTest, AnsiLinesAreCutNotEndingTheLog) {
  ASSERT_EQ(0, Logp_SetSettings(LOGP_OPT_POINTS | LOGP_OPT_ANSI, u',', u';'));
  ASSERT_EQ(0, Logp_StartRunLog());
  const wstr longLine(500, u'a');
  EXPECT_EQ(0, Logp_AppendLine(longLine.c_str()));
  EXPECT_TRUE(Logp_IsLogging());
  EXPECT_EQ(0, Logp_AppendLine(u"next"));
  const std::vector<std::string> lines = LogLines(folder + u"orba_00.log");
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(size_t(LOGP_ANSI_LINE_MAX), lines[0].size());
  EXPECT_EQ("next", lines[1]);
  Logp_StopRunLog();
}

// A fixture train standing with its head on a cell, travelling east.
struct FakeTrain {
  TrainRec rec;
  TrainCell cells[2];
};

TEST_F(LogpTest, PassingAndEventLines) {
  ASSERT_EQ(0, Logp_SetSettings(LOGP_OPT_POINTS | LOGP_OPT_ANSI, u';', u'#'));
  static FakeTrain t = {};
  t.rec.Number = 42;
  t.rec.DirX = 1;
  t.rec.DirY = 0;
  t.cells[0] = TrainCell{10, 5, 0, nullptr, 0, 0};
  const u32 east = Trn_DirectionCode(1, 0), west = Trn_DirectionCode(-1, 0);
  ASSERT_EQ(0, Logp_Set(10, 5, 0, east, u"From", LOGP_F_LEAVE));
  ASSERT_EQ(0, Logp_Set(11, 5, 0, east, u"To", LOGP_F_ENTER | LOGP_F_ARRIVE));
  ASSERT_EQ(0, Logp_Set(12, 5, 0, west, u"Other way", LOGP_F_ENTER));
  g_simClock.hour = 7, g_simClock.minute = 5, g_simClock.second = 9;
  ASSERT_EQ(0, Logp_StartRunLog());
  Logp_LogPassing(&t.rec, 11, 5, 0);
  t.cells[0] = TrainCell{11, 5, 0, nullptr, 0, 0};
  Logp_LogEvent(&t.rec, 2, -1);
  Logp_LogEvent(&t.rec, 1, -1);  // departure-type: the point has no flag 4
  Logp_LogPassing(&t.rec, 12, 5, 0);  // direction not in the mask
  Logp_StopRunLog();
  const std::vector<std::string> lines = LogLines(folder + u"orba_00.log");
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("leaves;  0;07:05:09;        ;       *;       *;  42;   10;    5;+0;    0.000;From", lines[0]);
  EXPECT_EQ("enters;  0;07:05:09;        ;       *;       *;  42;   11;    5;+0;    0.000;To", lines[1]);
  EXPECT_EQ("arrives on time;  0;07:05:09;07:05:09;       *;       *;  42;   11;    5;+0;    0.000;To", lines[2]);
  const std::vector<std::string> all = LogLines(folder + u"orba_00.log", true);
  ASSERT_GE(all.size(), 6u);
  EXPECT_EQ('#', all[0][0]) << "header lines start with the comment character";
}

// Dispatcher messages reach the run log through the start-up wiring: one
// line for each message taken, none for a duplicate, and one for the
// message the full table refuses.
TEST_F(LogpTest, DispatcherMessagesReachTheLog) {
  ASSERT_EQ(0, Logp_SetSettings(LOGP_OPT_DISPATCH | LOGP_OPT_ANSI, u',', u';'));
  Dmsg_Init();
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 3, 4, 0, 0, 0, 0, 0)) << "not logging yet: no line";
  ASSERT_EQ(0, Logp_StartRunLog());
  for (i32 i = 0; i < DMSG_MAX_ENTRIES - 1; ++i) ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 10 + i, 7, -1, 0, 0, 0, 0));
  EXPECT_EQ(DMSG_DUPLICATE, Dmsg_Post(5, 10, 7, -1, 0, 0, 0, 0));
  EXPECT_EQ(DMSG_FULL, Dmsg_Post(6, 500, 8, 0, 0, 0, 0, 0));
  Logp_StopRunLog();
  Dmsg_Clear();
  const std::vector<std::string> lines = LogLines(folder + u"orba_00.log");
  ASSERT_EQ(size_t(DMSG_MAX_ENTRIES), lines.size());
  wch text[200];
  Dmsg_FormatText(5, 10, 7, nullptr, text, 200, 0, 0, 0, 0, -1);
  const std::string first = U8(Lng_GetText(6054)) + ",";
  EXPECT_EQ(0u, lines[0].find(first)) << lines[0];
  EXPECT_NE(std::string::npos, lines[0].find(",   10,    7,-1,    0.000," + U8(text))) << lines[0];
  EXPECT_NE(std::string::npos, lines.back().find(",  500,    8,+0,")) << lines.back();
}

}  // namespace

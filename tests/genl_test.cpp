#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/genl.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/line.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/str.h"
#include "platform/tim.h"
#include "render/daylight.h"
#include "render/map.h"
#include "shell/bld.h"
#include "shell/ewin.h"
#include "shell/marks.h"
#include "shell/userfiles.h"
#include "shell/vwin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

void Set16(Bytes& b, size_t at, u32 v) {
  b[at] = u8(v);
  b[at + 1] = u8(v >> 8);
}
void Set32(Bytes& b, size_t at, u32 v) {
  Set16(b, at, v & 0xFFFF);
  Set16(b, at + 2, v >> 16);
}

// Offsets inside Test_MinimalGenl.
enum {
  AT_MARK_COUNT = 17,
  AT_WEEKDAY = 59,
  AT_HOUR = 60,
  AT_REPEAT = 74,
  AT_FLAGS = 88,
  AT_SCALE = 92,
  AT_DISPLAY_FLAG = 120,
  AT_ELEMENT_COUNT = 129,
  AT_TEXT2 = 161
};

class GenlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
    ASSERT_EQ(0, Grid_Init());
  }
  static void TearDownTestSuite() { Grid_Exit(); }
  void SetUp() override {
    Reset();
    Msg_ResetLast();
  }
  void TearDown() override {
    if (Fio_IsReadOpen()) Fio_CloseRead();
  }

  // Every value the section carries back to a plain state.
  static void Reset() {
    Ewin_ClearMarks();
    Ewin_SetHome(0, 0, 0);
    Ewin_SetSelection(0, 0, 0, 0, 0, 0);
    Ewin_SelectionShown(EWIN_SEL_HIDE);
    Bld_SetLastLineEnd(0, 0);
    Clk_Reset();
    Clk_SetSpeed(-3);
    Clk_ResetRate();
    Disp_ResetDaylight();
    File_ClearUserFileNames();
    Genl_SetKeptFlags(0);
    Rnd_SetLayoutSeed(-1);
    Tim_SetSingleDayMode(0);
    for (int s = 0; s < 3; ++s) Lng_SetGeneralInfo(s, u"");
    g_activeViewSlot = -1;
    for (MapView& v : g_mapViews) {
      v.originX = v.originY = v.cursorX = v.cursorY = v.level = 0;
      v.visWidth = v.visHeight = 0;
    }
    g_mapViews[0].visWidth = 40;
    g_mapViews[0].visHeight = 30;
  }
  // Empty when the stream or the writer failed: never a valid section.
  static Bytes Save() {
    Bytes b = Test_SaveSection(Genl_SaveSection);
    EXPECT_FALSE(b.empty()) << "the section could not be written";
    return b;
  }
  static int Load(const Bytes& b, u16 version = LAY_VERSION) { return Test_LoadSection(b, Genl_LoadSection, version); }
  static wstr Info(int slot) {
    static wch buf[20002];
    Lng_GetGeneralInfo(slot, buf);
    return wstr(buf);
  }
  static bool Contains(const Bytes& hay, const Bytes& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
  }
};

// A layout whose every general value differs from the reset state.
void SetEverything() {
  g_activeViewSlot = 2;
  MapView& v = g_mapViews[2];
  v.visWidth = 50;
  v.visHeight = 20;
  v.originX = 1000;
  v.originY = 2000;
  v.cursorX = 1010;
  v.cursorY = 2005;
  v.level = -2;
  Ewin_SetMark(0, 5, 6, 0x01081E00, u"Start", 0);
  Ewin_SetMark(5, 7000, 8000, 0, u"", -3);
  Ewin_SetMark(199, 32767, 1, 0x7F000000, std::u16string(64, u'm').c_str(), -4);
  Ewin_SetHome(300, 400, -1);
  Ewin_SetSelection(10, 20, -1, -2, 30, 40);
  Ewin_SelectionShown(EWIN_SEL_SHOW);
  Bld_SetLastLineEnd(77, 88);
  Clk_SetSpeed(7);
  g_simClock.weekday = 3;
  g_simClock.hour = 13;
  g_simClock.minute = 45;
  g_simClock.second = 12;
  g_simClock.tick = 37;
  g_simClock.elapsedMinutes = 12345;
  g_simClock.alarmHour = 7;
  g_simClock.alarmMinute = 30;
  g_simClock.alarmWeekday = 3;
  g_simClock.alarmRepeat = 2;
  g_simClock.weekdayFrozen = 1;
  Rnd_SetLayoutSeed(777);
  Genl_SetKeptFlags(GENL_FLAG_PROTECTED | GENL_FLAG_BACKGROUND | GENL_FLAG_DAYLIGHT_VARIANT | GENL_FLAG_ADDONS_EMBEDDED);
  g_daylight.enabled = 1;
  for (int k = 0; k < 4; ++k) g_daylight.times[k] = u16(0x0500 + k * 0x0401);
  Clk_SetLayoutScale(32);
  for (int k = 0; k < 6; ++k) g_simRate.values[k] = u32(100 + k);
  g_simRate.displaySwitch = 1;
  File_SetUzgName(1, u"rails.uzg");
  File_SetUzgName(110, u"last.uzg");
  File_SetUz1Name(1, u"cars1.uz1");
  File_SetUz1Name(20, u"cars20.uz1");
  File_SetUz1Name(21, u"cars21.uz1");
  File_SetUz1Name(60, u"cars60.uz1");
  File_SetVehicleSetName(0, u"set0");
  File_SetVehicleSetName(99, std::u16string(USERFILE_NAME_MAX, u'n').c_str());
  Lng_SetGeneralInfo(0, u"abc");
  Lng_SetGeneralInfo(1, u"Second \u00e4 text");
  Lng_SetGeneralInfo(2, std::u16string(20000, u'z').c_str());
}

// ---------------------------------------------------------------- round trip

TEST_F(GenlTest, SavedValuesLoadBackAndSaveAsTheSameBytes) {
  SetEverything();
  const Bytes saved = Save();
  Reset();
  g_activeViewSlot = 2;
  g_mapViews[2].visWidth = 50;
  g_mapViews[2].visHeight = 20;
  ASSERT_EQ(0, Load(saved));
  EXPECT_EQ(saved, Save());

  const MapView& v = g_mapViews[2];
  EXPECT_EQ(1000, v.originX);
  EXPECT_EQ(2000, v.originY);
  EXPECT_EQ(1010, v.cursorX);
  EXPECT_EQ(2005, v.cursorY);
  EXPECT_EQ(-2, v.level);
  i32 x, y, level;
  PackedWeekTime alarm;
  wch name[MARK_NAME_MAX + 1];
  Ewin_GetMark(0, &x, &y, &alarm, name, &level);
  EXPECT_EQ(5, x);
  EXPECT_EQ(0x01081E00u, alarm);
  EXPECT_EQ(u"Start", wstr(name));
  Ewin_GetMark(199, &x, &y, &alarm, name, &level);
  EXPECT_EQ(32767, x);
  EXPECT_EQ(-4, level);
  EXPECT_EQ(size_t(64), wstr(name).size());
  Ewin_GetHome(&x, &y, &level);
  EXPECT_EQ(400, y);
  EXPECT_EQ(-1, level);
  i32 x1, y1, l1, l2, y2, x2;
  Ewin_GetSelection(&x1, &y1, &l1, &l2, &y2, &x2);
  EXPECT_EQ(40, x2);
  EXPECT_EQ(-2, l2);
  EXPECT_EQ(1, Ewin_SelectionShown(EWIN_SEL_QUERY));
  EXPECT_EQ(7, Clk_GetSpeed());
  EXPECT_EQ(37, g_simClock.tick);
  EXPECT_EQ(12345u, g_simClock.elapsedMinutes);
  EXPECT_EQ(2, g_simClock.alarmRepeat);
  EXPECT_EQ(1, g_simClock.weekdayFrozen);
  EXPECT_EQ(777, Rnd_GetLayoutSeed());
  EXPECT_EQ(u32(GENL_KEPT_FLAGS), Genl_GetKeptFlags());
  EXPECT_EQ(32u, g_simRate.scale);
  EXPECT_EQ(450000000u / 32, TickConstant);
  EXPECT_EQ(105u, g_simRate.values[5]);
  wch file[USERFILE_NAME_MAX + 1];
  File_GetUz1Name(21, file);
  EXPECT_EQ(u"cars21.uz1", wstr(file));
  File_GetVehicleSetName(99, file);
  EXPECT_EQ(size_t(USERFILE_NAME_MAX), wstr(file).size());
  EXPECT_EQ(u"Second \u00e4 text", Info(1));
  EXPECT_EQ(size_t(20000), Info(2).size());
}

TEST_F(GenlTest, InformationTextsAreShifted) {
  Lng_SetGeneralInfo(0, u"abc");
  const Bytes saved = Save();
  EXPECT_TRUE(Contains(saved, {0x68, 0, 0x6C, 0, 0x70, 0, 0x10, 0}));
  Lng_SetGeneralInfo(0, u"");
  ASSERT_EQ(0, Load(saved));
  EXPECT_EQ(u"abc", Info(0));
}

TEST_F(GenlTest, TheRandomSeedIsStoredOnlyWhenSet) {
  const Bytes without = Save();
  EXPECT_EQ(0u, without[AT_FLAGS] & GENL_FLAG_SEED);
  Rnd_SetLayoutSeed(5);
  const Bytes with = Save();
  EXPECT_EQ(without.size() + 4, with.size());
  ASSERT_EQ(0, Load(without));
  EXPECT_EQ(-1, Rnd_GetLayoutSeed()) << "no seed: seeded from the time";
  ASSERT_EQ(0, Load(with));
  EXPECT_EQ(5, Rnd_GetLayoutSeed());
  // A seed of 0 counts as none.
  Bytes zero = Test_MinimalGenl();
  Set32(zero, AT_FLAGS, GENL_FLAG_SEED);
  zero.insert(zero.begin() + AT_FLAGS + 4, {0, 0, 0, 0});
  ASSERT_EQ(0, Load(zero));
  EXPECT_EQ(-1, Rnd_GetLayoutSeed());
}

TEST_F(GenlTest, TheViewFollowsTheCursor) {
  Bytes b = Test_MinimalGenl();
  Set32(b, 4, 32760);  // origin x: would put the view past the grid
  Set32(b, 8, 10);
  Set16(b, 12, 500);  // cursor below the visible part
  Set16(b, 14, 100);
  ASSERT_EQ(0, Load(b));
  EXPECT_EQ(GRID_SIZE - 40, g_mapViews[0].originX);
  EXPECT_EQ(100 - 15, g_mapViews[0].originY);
  EXPECT_EQ(500, g_mapViews[0].cursorX);
}

// ---------------------------------------------------------------- damaged sections

TEST_F(GenlTest, DamagedValuesAreRefusedOrMended) {
  struct Case {
    const char* what;
    Bytes bytes;
    int result;
  };
  std::vector<Case> cases;
  Bytes b = Test_MinimalGenl();
  b[0] = 'X';
  cases.push_back({"another tag", b, 3});
  b = Test_MinimalGenl();
  Set32(b, AT_MARK_COUNT, 201);
  cases.push_back({"201 marks", b, 3});
  b = Test_MinimalGenl();
  Set32(b, AT_REPEAT, 0xFFFFFFFF);
  cases.push_back({"a negative repeat count", b, 3});
  b = Test_MinimalGenl();
  b[AT_DISPLAY_FLAG] = 'x';
  cases.push_back({"a bad display flag byte", b, 3});
  b = Test_MinimalGenl();
  b[AT_HOUR] = 24;
  cases.push_back({"hour 24", b, 3});
  b = Test_MinimalGenl();
  Set32(b, AT_TEXT2, 5);
  cases.push_back({"text 2 shorter than its length", b, 2});
  b = Test_MinimalGenl();
  Set32(b, AT_TEXT2, 20002);
  cases.push_back({"text 2 too long", b, 3});
  b = Test_MinimalGenl();
  Set32(b, AT_ELEMENT_COUNT, 111);
  cases.push_back({"111 element-graphics names", b, 3});
  b = Test_MinimalGenl();
  Set32(b, AT_ELEMENT_COUNT, 1);
  {
    Bytes name;
    for (int i = 0; i < 260; ++i) Test_Put16(name, 'a');
    Test_Put16(name, 0);
    b.insert(b.begin() + AT_ELEMENT_COUNT + 4, name.begin(), name.end());
  }
  cases.push_back({"a name of 260 units", b, 3});
  b = Test_MinimalGenl();
  Set32(b, AT_ELEMENT_COUNT + 4 * 6, 101);
  cases.push_back({"101 vehicle-set names", b, 3});
  b = Test_MinimalGenl();
  b.resize(AT_TEXT2 + 2);
  cases.push_back({"ends inside the length of text 2", b, 1});
  for (const Case& c : cases) EXPECT_EQ(c.result, Load(c.bytes)) << c.what;

  // A name of 259 units is the longest that loads.
  b = Test_MinimalGenl();
  Set32(b, AT_ELEMENT_COUNT, 1);
  Bytes name;
  for (int i = 0; i < 259; ++i) Test_Put16(name, 'a');
  Test_Put16(name, 0);
  b.insert(b.begin() + AT_ELEMENT_COUNT + 4, name.begin(), name.end());
  EXPECT_EQ(0, Load(b));

  // A weekday out of range becomes Monday.
  b = Test_MinimalGenl();
  b[AT_WEEKDAY] = 9;
  g_simClock.weekday = 4;
  ASSERT_EQ(0, Load(b));
  EXPECT_EQ(1, g_simClock.weekday);
}

TEST_F(GenlTest, AScaleOfZeroDoesNotDivideByZero) {
  Bytes b = Test_MinimalGenl();
  Set32(b, AT_SCALE, 0);
  ASSERT_EQ(0, Load(b));
  EXPECT_EQ(u32(CLK_SCALE_DEFAULT), g_simRate.scale);
  EXPECT_EQ(450000000u / CLK_SCALE_DEFAULT, TickConstant);
  Set32(b, AT_SCALE, 90);
  ASSERT_EQ(0, Load(b));
  EXPECT_EQ(5000000u, TickConstant);
}

// ---------------------------------------------------------------- older forms

TEST_F(GenlTest, MarksOfOlderFilesAreConverted) {
  // 14338..14388: a u16 count, each mark with its index, a u16 alarm and an
  // 8-bit name.
  Bytes b = Test_MinimalGenlOld(14350);
  Bytes marks;
  Test_Put16(marks, 2);
  Test_Put16(marks, 0);
  Test_Put16(marks, 100);
  Test_Put16(marks, 200);
  Test_Put16(marks, 0x081E);  // 8:30
  for (char c : std::string("Depot")) marks.push_back(u8(c));
  marks.push_back(0);
  Test_Put16(marks, 1);
  Test_Put16(marks, 300);
  Test_Put16(marks, 400);
  Test_Put16(marks, 0xFF00);  // none
  marks.push_back(0);
  b.erase(b.begin() + 10, b.begin() + 12);
  b.insert(b.begin() + 10, marks.begin(), marks.end());
  ASSERT_EQ(0, Load(b, 14350));
  i32 x, y, level;
  PackedWeekTime alarm;
  wch name[MARK_NAME_MAX + 1];
  Ewin_GetMark(0, &x, &y, &alarm, name, &level);
  EXPECT_EQ(100, x);
  EXPECT_EQ(0x7F081E00u, alarm) << "every weekday";
  EXPECT_EQ(u"Depot", wstr(name));
  Ewin_GetMark(1, &x, &y, &alarm, name, &level);
  EXPECT_EQ(400, y);
  EXPECT_EQ(0u, alarm);
  // A mark whose index is not its number.
  Set16(b, 12 + 2 + 4 + 2 + 6, 2);
  EXPECT_EQ(3, Load(b, 14350));
}

TEST_F(GenlTest, ClockAlarmAndPositionsOfOlderFiles) {
  // 14000: ten marks of a position only, no last line end (mark 0 serves), a
  // clock without a second byte, a u16 alarm and a u16 that must be 0.
  Bytes b = Test_MinimalGenlOld(14000);
  Set16(b, 10, 321);  // mark 0
  Set16(b, 12, 654);
  const size_t clock = 2 + 4 + 4 + 40 + 4 + 8;
  b[clock + 1] = 5;                 // Friday
  Set16(b, clock + 4, 125);         // 12.5 seconds
  Set16(b, clock + 6, 0x0714);      // alarm 7:20
  ASSERT_EQ(0, Load(b, 14000));
  i32 lx, ly;
  Bld_GetLastLineEnd(&lx, &ly);
  EXPECT_EQ(321, lx);
  EXPECT_EQ(654, ly);
  EXPECT_EQ(5, g_simClock.weekday);
  EXPECT_EQ(12, g_simClock.second);
  EXPECT_EQ(50, g_simClock.tick);
  EXPECT_EQ(0u, g_simClock.elapsedMinutes);
  EXPECT_EQ(7, g_simClock.alarmHour);
  EXPECT_EQ(20, g_simClock.alarmMinute);
  EXPECT_EQ(0, g_simClock.alarmWeekday);
  Set16(b, clock + 8, 1);
  EXPECT_EQ(3, Load(b, 14000)) << "the word after the alarm must be 0";

  // Before 13574 the home is fixed; before 13576 there is no alarm.
  Bytes oldest = Test_MinimalGenlOld(13500);
  Ewin_SetHome(1, 2, -1);
  g_simClock.alarmHour = 3;
  ASSERT_EQ(0, Load(oldest, 13500));
  i32 hx, hy, hl;
  Ewin_GetHome(&hx, &hy, &hl);
  EXPECT_EQ(1024, hx);
  EXPECT_EQ(0, hl);
  EXPECT_EQ(255, g_simClock.alarmHour);
}

TEST_F(GenlTest, TextsOfOlderFiles) {
  Bytes b = Test_MinimalGenlOld(14200);
  // Text 0 "ab" as shifted bytes, text 2 of length 0.
  const size_t texts = b.size() - 5;
  b.erase(b.begin() + texts, b.end());
  for (u8 v : {u8('a' + 7), u8('b' + 10), u8(13), u8(7)}) b.push_back(v);
  Test_Put16(b, 0);
  ASSERT_EQ(0, Load(b, 14200));
  EXPECT_EQ(u"ab", Info(0));
  EXPECT_EQ(u"", Info(1));
  EXPECT_EQ(u"No information text", Info(2));
}

// ---------------------------------------------------------------- in the layout file

TEST_F(GenlTest, TheLayoutFileKeepsGeneralValuesAndLines) {
  const wstr folder = Test_MakeTempFolder();
  ASSERT_FALSE(folder.empty());
  ASSERT_EQ(1, Lin_Init());
  SetEverything();
  ASSERT_EQ(0, Lin_Create(u"IC", 0, 0));
  ASSERT_EQ(0, Lin_Create(u"RE", 0, 0));
  Lin_SetText(2, u"Regional");
  Grid_SetCell(100, 100, 0, 0x0101);
  Grid_UpdateExtent(0, 0, 0, 0);
  Str_Copy(LayoutFileName, u"g.nt3");
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  const Bytes first = Test_ReadFile(folder + u"g.nt3");
  Reset();
  Lin_Clear();
  g_activeViewSlot = 2;
  g_mapViews[2].visWidth = 50;
  g_mapViews[2].visHeight = 20;
  ASSERT_EQ(0, Lay_LoadFile(u"g.nt3"));
  EXPECT_EQ(777, Rnd_GetLayoutSeed());
  EXPECT_EQ(2, Lin_FindByName(u"RE"));
  Str_Copy(LayoutFileName, u"h.nt3");
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  EXPECT_EQ(first, Test_ReadFile(folder + u"h.nt3"));

  // A load that fails in a later section leaves the general values as they
  // were before it.
  Bytes cut = first;
  cut.resize(cut.size() - 10);
  ASSERT_TRUE(Test_WriteFile(folder + u"cut.nt3", cut));
  Clk_SetSpeed(3);
  Lng_SetGeneralInfo(0, u"kept");
  Lin_Create(u"NEW", 0, 0);
  EXPECT_NE(0, Lay_LoadFile(u"cut.nt3"));
  EXPECT_EQ(3, Clk_GetSpeed());
  EXPECT_EQ(u"kept", Info(0));
  EXPECT_GT(Lin_FindByName(u"NEW"), 0);
  Lin_Exit();
  Grid_Clear();
}

}  // namespace

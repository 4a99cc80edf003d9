#include <gtest/gtest.h>

#include <cstring>

#include "model/dep.h"
#include "model/grid.h"
#include "model/infp.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "operation/clock.h"
#include "platform/msg.h"
#include "operation/sig.h"
#include "render/clkpaint.h"
#include "render/compose.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "render/map.h"
#include "resources/resid.h"
#include "platform/lng.h"
#include "shell/cmd.h"
#include "shell/ewin.h"
#include "shell/menu.h"
#include "shell/vwin.h"
#include "tests/test_util.h"

// Ctrl with a letter finds its toggle by the letter's place in text 921.
TEST(CmdKeys, CtrlLettersToggleByTheirPlaceInTheLetterText) {
  ASSERT_EQ(0, Test_LoadTexts());
  g_daylight.enabled = 0;
  g_sprOptions.lighting = 0;
  EXPECT_EQ(1, Cmd_KeyHandler('D', CMD_MOD_CTRL, 1));
  EXPECT_EQ(1, g_daylight.enabled);
  EXPECT_EQ(1, g_sprOptions.lighting & 1);
  EXPECT_EQ(1, Cmd_KeyHandler('D', CMD_MOD_CTRL, 1));
  EXPECT_EQ(0, g_daylight.enabled);
  EXPECT_EQ(0, g_sprOptions.lighting & 1);

  const i32 pause = Disp_GetDisplayPause();
  EXPECT_EQ(1, Cmd_KeyHandler('O', CMD_MOD_CTRL, 0));
  EXPECT_NE(pause, Disp_GetDisplayPause());
  Disp_SetDisplayPause(pause);

  // The first place switches the animations off and on again whole.
  const u32 word = Mcs_GetAnimationWord();
  Mcs_SetAnimationWord(MCS_ANIM_DISPLAY);
  EXPECT_EQ(1, Cmd_KeyHandler(Lng_GetText(921)[0], CMD_MOD_CTRL, 1));
  EXPECT_EQ(0u, Mcs_GetAnimationWord());
  EXPECT_EQ(1, Cmd_KeyHandler(Lng_GetText(921)[0], CMD_MOD_CTRL, 1));
  EXPECT_EQ(u32(MCS_ANIM_ALL), Mcs_GetAnimationWord());
  Mcs_SetAnimationWord(word);

  // A letter the text does not hold, and a place whose owner is not built.
  EXPECT_EQ(0, Cmd_KeyHandler('Q', CMD_MOD_CTRL, 1));
  EXPECT_EQ(0, Cmd_KeyHandler(Lng_GetText(921)[1], CMD_MOD_CTRL, 1));
}

TEST(CmdKeys, AltLettersByTheirPlaceInTheLetterText) {
  ASSERT_EQ(0, Test_LoadTexts());
  // Text 920: the second place toggles the simulation run.
  const wch run = Lng_GetText(920)[1];
  Ewin_RunStop(EWIN_RUN_STOP);
  EXPECT_EQ(1, Cmd_KeyHandler(run, CMD_MOD_ALT, 0));
  EXPECT_EQ(1, SimRunFlag);
  EXPECT_EQ(1, Cmd_KeyHandler(run, CMD_MOD_ALT, 1));
  EXPECT_EQ(0, SimRunFlag);
  // The first place opens the dispatcher message list (an empty one warns
  // with 599); a letter not in the text does nothing.
  Msg_ResetLast();
  EXPECT_EQ(1, Cmd_KeyHandler(Lng_GetText(920)[0], CMD_MOD_ALT, 0));
  EXPECT_EQ(599u, Msg_LastNumber());
  EXPECT_EQ(0, Cmd_KeyHandler('Q', CMD_MOD_ALT, 0));
}

TEST(CmdKeys, CommandsWithoutAnOwnerDoNothing) {
  EXPECT_EQ(1, Cmd_MenuCommand(CMD_IMPORT_SCRIPT));
  EXPECT_EQ(0, Cmd_HasOwner(CMD_IMPORT_SCRIPT));
  EXPECT_EQ(1, Cmd_HasOwner(CMD_ZOOM_IN));
  EXPECT_EQ(1, Cmd_HasOwner(CMD_SAVE));
  // A recent-file command whose entry is empty does nothing.
  Menu_RecentAdd(nullptr);
  const int modified = Ewin_IsModified();
  EXPECT_EQ(0, Cmd_MenuCommand(CMD_RECENT_FIRST + 3));
  EXPECT_EQ(modified, Ewin_IsModified());
  // Commands on the active view do nothing without one.
  EXPECT_EQ(0, Cmd_MenuCommand(CMD_ZOOM_IN));
}

// Commands 330 and 331 (and Alt with the third and fourth letter of text
// 920) take the active view's cursor to the next info or log point, from the
// first again after the last.
TEST(CmdKeys, NextInfoAndLogPointMoveTheActiveViewsCursor) {
  ASSERT_EQ(0, Test_LoadTexts());
  Info_Clear();
  Logp_Clear();
  ASSERT_EQ(0, Info_Set(100, 200, 0, 8));
  ASSERT_EQ(0, Info_Set(50, 300, -1, 8));
  ASSERT_EQ(0, Logp_Set(400, 150, 0, 1, u"in", 1));
  ASSERT_EQ(0, Logp_Set(20, 160, 0, 1, u"out", 1));
  MapView saved = g_mapViews[0];
  const int active = g_activeViewSlot;
  MapView& m = g_mapViews[0];
  m = MapView{};
  static int fakeWindow;
  m.window = &fakeWindow;
  m.mode = MAP_MODE_PICTURE;
  m.scale = 1;
  m.clientWidth = 640;
  m.clientHeight = 480;
  m.cursorX = 10;
  m.cursorY = 10;
  g_activeViewSlot = 0;
  const wch alt = Lng_GetText(920)[2], altLog = Lng_GetText(920)[3];
  // The info points in their order (y, then x), then the first again.
  struct Step {
    i32 x, y, level;
  } steps[] = {{100, 200, 0}, {50, 300, -1}, {100, 200, 0}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(0, Cmd_MenuCommand(CMD_NEXT_INFO_POINT));
    EXPECT_EQ(steps[i].x, m.cursorX) << i;
    EXPECT_EQ(steps[i].y, m.cursorY) << i;
    EXPECT_EQ(steps[i].level, m.level) << i;
  }
  // From (100, 200) the log points in their order: (400, 150) lies before,
  // so the search wraps to the first.
  ASSERT_EQ(0, Cmd_MenuCommand(CMD_NEXT_LOG_POINT));
  EXPECT_EQ(400, m.cursorX);
  EXPECT_EQ(150, m.cursorY);
  EXPECT_EQ(1, Cmd_KeyHandler(altLog, CMD_MOD_ALT, 1));
  EXPECT_EQ(20, m.cursorX);
  EXPECT_EQ(160, m.cursorY);
  EXPECT_EQ(1, Cmd_KeyHandler(alt, CMD_MOD_ALT, 1));
  EXPECT_EQ(100, m.cursorX);
  EXPECT_EQ(200, m.cursorY);
  // Without points the cursor stays.
  Logp_Clear();
  ASSERT_EQ(0, Cmd_MenuCommand(CMD_NEXT_LOG_POINT));
  EXPECT_EQ(100, m.cursorX);
  g_mapViews[0] = saved;
  g_activeViewSlot = active;
  Info_Clear();
}

// The clock window's face and the overview title: the seconds are left out
// while the simulation runs at speed 15 or more.
static int g_running;
static int Running(void) { return g_running; }

TEST(ClockTexts, SecondsHiddenAtTheFastSpeeds) {
  ASSERT_EQ(0, Test_LoadTexts());
  Clk_SetRunningQuery(Running);
  g_simClock.weekday = 2;
  g_simClock.hour = 7;
  g_simClock.minute = 5;
  g_simClock.second = 9;
  wch face[40], title[40];
  g_running = 0;
  Clk_ClockWindowText(face, 40);
  Clk_OverviewTitleText(title, 40);
  EXPECT_EQ(wstr(u"Tue: 7:05:09 "), wstr(face));
  EXPECT_EQ(wstr(u"Tue: 7:05:09"), wstr(title));
  g_running = 1;
  Clk_SetSpeed(15);
  Clk_ClockWindowText(face, 40);
  Clk_OverviewTitleText(title, 40);
  EXPECT_EQ(wstr(u"Tue: 7:05 "), wstr(face));
  EXPECT_EQ(wstr(u"Tue: 7:05   "), wstr(title));
  Clk_SetSpeed(14);
  Clk_ClockWindowText(face, 40);
  EXPECT_EQ(wstr(u"Tue: 7:05:09 "), wstr(face));
  Clk_SetRunningQuery(nullptr);
}

// The signal switch: at a signal element its installation, at a depot place
// the one installation the place refers to; refusals give their codes and
// change nothing.
TEST(CmdSignals, SwitchAtAnElementOrADepotPlace) {
  ASSERT_EQ(0, Grid_Init());
  Grid_Clear();
  Sig_Clear();
  Dep_Clear();
  auto install = [](const char16_t* name) {
    const u32 id = Sig_CreateInstallation(0);
    SignalInstallationData d = {};
    std::memcpy(d.Name, name, (std::char_traits<char16_t>::length(name) + 1) * 2);
    d.Maximum = d.Limit = 1;
    EXPECT_EQ(0, Sig_SetInstallation(id, &d));
    return id;
  };
  const u32 north = install(u"North"), south = install(u"South");
  // A main signal whose condition is North.
  ASSERT_TRUE(Grid_SetCell(10, 10, 0, CellCode(440)));
  ASSERT_EQ(0, Sig_CreateElement(10, 10, 0, 0, 440));
  SignalElementData e = {};
  std::memcpy(e.Name, u"M1", 6);
  e.Type = 1;
  e.TokenCount = 1;
  e.Tokens[0] = north;
  ASSERT_EQ(0, Sig_SetElement(10, 10, 0, &e));
  // Places: one naming South, one naming nothing, one naming both.
  DepotPlace p = {};
  p.X = 20;
  p.Y = 10;
  p.Number = 1;
  p.ListACount = 1;
  p.ListA[0] = -i32(south);
  ASSERT_EQ(0, Dep_InsertPlace(1, u"Yard", u"Y", &p));
  p.X = 21;
  p.Number = 2;
  p.ListACount = 0;
  ASSERT_EQ(0, Dep_InsertPlace(1, u"Yard", u"Y", &p));
  p.X = 22;
  p.Number = 3;
  p.ListACount = 1;
  p.CondCount = 1;
  p.Cond[0] = north;
  ASSERT_EQ(0, Dep_InsertPlace(1, u"Yard", u"Y", &p));

  EXPECT_EQ(0, Cmd_SwitchSignalAt(10, 10, 0, 1));
  EXPECT_EQ(SIG_OCCUPIED, Sig_GetInstallationState(north));
  EXPECT_EQ(0, Cmd_SwitchSignalAt(10, 10, 0, 2));
  EXPECT_EQ(SIG_FREE, Sig_GetInstallationState(north)) << "toggled";
  EXPECT_EQ(0, Cmd_SwitchSignalAt(20, 10, 0, 1));
  EXPECT_EQ(SIG_OCCUPIED, Sig_GetInstallationState(south)) << "the place's installation";
  EXPECT_EQ(0, Cmd_SwitchSignalAt(20, 10, 0, 0));
  EXPECT_EQ(SIG_FREE, Sig_GetInstallationState(south));
  // Refusals: a place naming nothing, a place naming two, a cell without a
  // signal; nothing switches.
  EXPECT_EQ(1, Cmd_SwitchSignalAt(21, 10, 0, 1));
  EXPECT_EQ(3, Cmd_SwitchSignalAt(22, 10, 0, 1));
  EXPECT_EQ(3, Cmd_SwitchSignalAt(30, 10, 0, 1));
  EXPECT_EQ(SIG_FREE, Sig_GetInstallationState(north));
  EXPECT_EQ(SIG_FREE, Sig_GetInstallationState(south));
  // F4 at the active view's cursor: alone toggles, Ctrl switches off,
  // Shift on; not from outside a view, not with both modifiers, not
  // without an active view.
  const int F4 = 0x73;
  EXPECT_EQ(0, Cmd_KeyHandler(F4, 0, 1));
  int window = 0;
  ASSERT_EQ(0, Map_OpenView(0, &window, 1, 1, 0, 0, 0, 0, 0));
  g_mapViews[0].cursorX = 10;
  g_mapViews[0].cursorY = 10;
  g_activeViewSlot = 0;
  EXPECT_EQ(1, Cmd_KeyHandler(F4, 0, 1));
  EXPECT_EQ(SIG_OCCUPIED, Sig_GetInstallationState(north));
  EXPECT_EQ(1, Cmd_KeyHandler(F4, CMD_MOD_SHIFT, 1));
  EXPECT_EQ(SIG_OCCUPIED, Sig_GetInstallationState(north));
  EXPECT_EQ(1, Cmd_KeyHandler(F4, CMD_MOD_CTRL, 1));
  EXPECT_EQ(SIG_FREE, Sig_GetInstallationState(north));
  EXPECT_EQ(1, Cmd_KeyHandler(F4, CMD_MOD_SHIFT, 1));
  EXPECT_EQ(SIG_OCCUPIED, Sig_GetInstallationState(north));
  EXPECT_EQ(0, Cmd_KeyHandler(F4, CMD_MOD_CTRL | CMD_MOD_SHIFT, 1));
  EXPECT_EQ(0, Cmd_KeyHandler(F4, 0, 0));
  EXPECT_EQ(SIG_OCCUPIED, Sig_GetInstallationState(north));
  Vwin_ClearSlots();
  Sig_Clear();
  Dep_Clear();
  Grid_Exit();
}

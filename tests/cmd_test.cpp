#include <gtest/gtest.h>

#include "operation/clock.h"
#include "render/clkpaint.h"
#include "render/compose.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "resources/resid.h"
#include "platform/lng.h"
#include "shell/cmd.h"
#include "shell/ewin.h"
#include "shell/menu.h"
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

  // A letter the text does not hold, and a place whose owner is not built.
  EXPECT_EQ(0, Cmd_KeyHandler('Q', CMD_MOD_CTRL, 1));
  EXPECT_EQ(0, Cmd_KeyHandler('A', CMD_MOD_CTRL, 1));
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
  // The dispatcher message list has no owner yet; a letter not in the text.
  EXPECT_EQ(0, Cmd_KeyHandler(Lng_GetText(920)[0], CMD_MOD_ALT, 0));
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

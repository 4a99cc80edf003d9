#include <gtest/gtest.h>

#include "render/compose.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "resources/resid.h"
#include "shell/cmd.h"
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

TEST(CmdKeys, CommandsWithoutAnOwnerDoNothing) {
  EXPECT_EQ(1, Cmd_MenuCommand(CMD_SAVE));
  EXPECT_EQ(0, Cmd_HasOwner(CMD_SAVE));
  EXPECT_EQ(1, Cmd_HasOwner(CMD_ZOOM_IN));
  // Commands on the active view do nothing without one.
  EXPECT_EQ(0, Cmd_MenuCommand(CMD_ZOOM_IN));
}

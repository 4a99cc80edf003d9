// The hooks start-up installs: what the model and the operation layer tell
// and ask the layers above them reaches its owner, and without hooks the
// lower layers still work on their own.
#include <gtest/gtest.h>

#include <vector>

#include "model/genl.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/layfile.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/ptsfile.h"
#include "operation/snd.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "render/map.h"
#include "shell/ewin.h"
#include "shell/vwin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

u16 T(int h, int m) { return u16(h << 8 | m); }

std::vector<std::pair<u32, u32>> g_requests;
int RecordRequest(u32 wParam, u32 lParam) {
  g_requests.push_back({wParam, lParam});
  return 1;
}

class WireTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(0, Test_LoadTexts()); }
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Hst_Clear();
    TrnList_FreeAll();
    Clk_Reset();
    Clk_ResetPhases();
    Disp_ResetDaylight();
    Disp_ResetOptions();
    Ewin_ClearModified();
    Ewin_RunStop(EWIN_RUN_START);
  }
  void TearDown() override {
    Wire_InstallHooks();
    Hst_Clear();
    Grid_Exit();
    Clk_Reset();
    Disp_ResetDaylight();
    Disp_ResetOptions();
    Ewin_ClearModified();
    Ewin_RunStop(EWIN_RUN_STOP);
  }
  // Runs the clock from hour:minute:59 into the next minute.
  static void RunIntoNextMinute(u8 hour, u8 minute) {
    g_simClock.hour = hour;
    g_simClock.minute = minute;
    g_simClock.second = 59;
    g_simClock.tick = 0;
    for (int i = 0; i < 100; ++i) Clk_Tick();
  }
  static void FlaggedStop() { ASSERT_EQ(0, Hst_Set(17, 6, 0, 0, nullptr, 0, nullptr, 3, 0, 1, HST_F_FLAGGED, 2)); }
};

TEST_F(WireTest, TheClockMovesTheDaylightPhaseAndItsAlarmStopsTheSimulation) {
  g_daylight.enabled = 1;
  const u16 times[4] = {T(6, 0), T(18, 0), T(20, 0), T(5, 0)};
  for (int k = 0; k < 4; ++k) g_daylight.times[k] = times[k];
  const u32 before = Map_RedrawRequestCount();
  RunIntoNextMinute(20, 59);
  EXPECT_EQ(DAYLIGHT_NIGHT, Disp_GetDaylightPhase() & 7) << "21:00 is night";
  EXPECT_GT(Map_RedrawRequestCount(), before) << "a new phase shades the picture views anew";
  EXPECT_EQ(1, SimRunFlag);

  Clk_SetAlarm(21, 1, 0, 0);
  RunIntoNextMinute(21, 0);
  EXPECT_EQ(0, SimRunFlag) << "the alarm stops the simulation";
}

TEST_F(WireTest, DisplayOptionsReachStopsAndTrains) {
  FlaggedStop();
  EXPECT_EQ(101u, Hst_GetKind(17, 6, 0, 0)) << "a flagged stop hides its kind";
  Disp_SetOptAnzHst(1);
  EXPECT_EQ(3u, Hst_GetKind(17, 6, 0, 0)) << "unless the display option shows it";

  EXPECT_EQ(0, Trn_LabelsShown());
  Disp_SetTrainTextMode(2, 0);
  EXPECT_EQ(1, Trn_LabelsShown());
  Disp_SetTrainTextMode(4, 0);
  EXPECT_EQ(0, Trn_LabelsShown()) << "only the two low bits label trains";
}

TEST_F(WireTest, TheRendererAsksTheShellForTheActiveAndFollowedView) {
  g_activeViewSlot = 2;
  g_followedViewSlot = 4;
  EXPECT_EQ(2, Map_ActiveView());
  EXPECT_EQ(4, Map_FollowedView());
  g_activeViewSlot = g_followedViewSlot = -1;
  EXPECT_EQ(-1, Map_ActiveView());
}

TEST_F(WireTest, WithoutHooksTheLowerLayersWorkAlone) {
  Grid_SetViewHooks(nullptr);
  Lay_SetHooks(nullptr);
  Genl_SetHooks(nullptr);
  Clk_SetHooks(nullptr);
  Trn_SetHooks(nullptr);
  Hst_SetHooks(nullptr);

  const u32 before = Map_RedrawRequestCount();
  EXPECT_EQ(1, Grid_SetCellRedraw(3, 4, 0, 0x100));
  Grid_InvalidateViews(GRID_INVALIDATE_VIEWS);
  EXPECT_EQ(before, Map_RedrawRequestCount());
  Lay_MarkModified();
  EXPECT_EQ(0, Ewin_IsModified());

  FlaggedStop();
  Disp_SetOptAnzHst(1);
  EXPECT_EQ(101u, Hst_GetKind(17, 6, 0, 0)) << "the option counts as off";
  Disp_SetTrainTextMode(3, 0);
  EXPECT_EQ(0, Trn_LabelsShown());
  EXPECT_EQ(0u, Trn_CatalogueVehicleLength(0x100));
  EXPECT_EQ(65535u, Trn_CatalogueVehicleFlags(0x100));
  EXPECT_NE(0, Trn_CatalogueLoadVehicleSet(0x100));

  g_daylight.enabled = 1;
  Clk_SetAlarm(21, 1, 0, 0);
  const u32 phase = Disp_GetDaylightPhase();
  RunIntoNextMinute(21, 0);
  EXPECT_EQ(1, SimRunFlag);
  EXPECT_EQ(phase, Disp_GetDaylightPhase());

  // The general section writes neutral values and reads back.
  const std::vector<u8> section = Test_SaveSection(Genl_SaveSection);
  ASSERT_FALSE(section.empty());
  EXPECT_EQ(0, Test_LoadSection(section, Genl_LoadSection, LAY_VERSION));
  EXPECT_EQ(section, Test_SaveSection(Genl_SaveSection));
}

#ifndef _WIN32
// The turnout block travels through the clipboard's lines once start-up
// has wired it; without a main window the copy reports the clipboard's error.
// Natively only: the stand-in clipboard takes any window, while the system's
// wants a real one and is shared with every other test program.
TEST_F(WireTest, TheTurnoutBlockTravelsThroughTheClipboard) {
  static int window;
  Clip_SetWindow(&window);
  ASSERT_EQ(0, Clip_Empty());
  ASSERT_EQ(0, Pts_CopyToClip(0, 0, 0, 10, 10, 0));
  wch line[16];
  ASSERT_EQ(0, Clip_ReadLine(0, 16, line));
  EXPECT_EQ(std::u16string(u"WEI_A"), std::u16string(line));
  ASSERT_EQ(0, Clip_ReadLine(1, 16, line));
  EXPECT_EQ(std::u16string(u"WEI_E"), std::u16string(line));
  i32 lineNo = 0;
  EXPECT_EQ(0, Pts_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(2, lineNo);
  Clip_SetWindow(nullptr);
  EXPECT_NE(0, Pts_CopyToClip(0, 0, 0, 10, 10, 0));
}
#endif

TEST_F(WireTest, DispatcherMessagesRingOnlyWithTheDispatcherSoundOption) {
  const SndHooks recorder = {RecordRequest, nullptr, nullptr};
  Snd_SetHooks(&recorder);
  const u32 options = Snd_GetOptions();
  const int output = Snd_OutputOn();
  struct Case {
    int output;
    u32 options;
    size_t requests;
  } cases[] = {{1, SND_OPT_DISPATCHER, 1}, {1, SND_OPT_EVENTS | SND_OPT_ALL_TRAINS, 0}, {0, SND_OPT_DISPATCHER, 0}};
  for (const Case& c : cases) {
    Dmsg_Init();
    g_requests.clear();
    Snd_SetOutput(c.output);
    Snd_SetOptions(c.options);
    ASSERT_EQ(DMSG_POSTED, Dmsg_Post(13, 1, 1, 0, 0, 0, 0, 0));
    ASSERT_EQ(c.requests, g_requests.size()) << c.options;
    if (c.requests) {
      EXPECT_EQ(1u, g_requests[0].first) << "the first message rings slot 1";
      EXPECT_EQ(u32(SND_REQ_SLOT), g_requests[0].second);
    }
    Dmsg_Clear();
  }
  Snd_SetOutput(output);
  Snd_SetOptions(options);
  Wire_InstallHooks();
}

}  // namespace

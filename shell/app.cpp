#include "shell/app.h"
#include "shell/file.h"

#include <time.h>

#include "model/dep.h"
#include "model/grid.h"
#include "model/dwx.h"
#include "model/hst.h"
#include "model/lfst.h"
#include "model/rngp.h"
#include "model/infp.h"
#include "model/line.h"
#include "model/logp.h"
#include "operation/snd.h"
#include "operation/sndcat.h"
#include "operation/trnfollow.h"
#include "model/mcs.h"
#include "model/prlb.h"
#include "model/txt.h"
#include "operation/clock.h"
#include "model/tp.h"
#include "operation/dmsg.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "operation/sigtime.h"
#include "operation/trn.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/clkpaint.h"
#include "render/cursor.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "render/gfx.h"
#include "render/pal.h"
#include "render/terrain.h"
#include "shell/ewin.h"
#include "shell/vwin.h"
#include "shell/wire.h"

void* g_appInstance;
void* g_appFrame;
OsHandle g_simSemaphore;
int SecondInstanceFlag;
int StartupLanguage;
int TitleMode;
volatile int g_appEdgeScrollBits;

// Set by the timing threads, read and cleared by the idle step.
volatile int g_appAnimationRequest;
volatile u32 g_appBlinkCount;
volatile i32 AutoSaveCountdown = 0x7FFFFFFF;

// Pacing state of the tick message.
static i32 g_stepBudget;
static u32 g_lastTick;
static i32 g_speed1Acc;

// Result of the graphics store and of the cursors, reported after the
// settings as warnings 96 and 99.
static int g_gfxLowColour;
static int g_cursorsMissing;
static int g_modulesReady;
static int g_inIdleStep;
int g_appRunning;
int g_appModalDepth;

// ---------------------------------------------------------------- modules

// Language file result to start-up code: 1 missing, 2 and 3 damaged, 4
// memory; other open failures count as missing.
static u32 App_LanguageCode(int r, u32 base) {
  if (r == 0) return 0;
  if (r == 4) return 14;
  if (r == 2) return base + 1;
  if (r == 3) return base + 2;
  return base;
}

// Calendar seconds at start-up, for the running-time notice at exit.
static i64 g_appStartTime;
int g_appExitNoticeOn;

void App_ExitNoticeText(u32 seconds, wch* buf, int size) {
  wch ran[160] = {0};
  if (seconds >= 1504) Fmt_Print(ran, 160, Lng_GetText(1360), seconds / 3600, seconds / 60 % 60, seconds % 60);
  Fmt_Print(buf, size, u"%s%s", ran, Lng_GetText(1361));
}

u32 App_InitModules(void) {
  Wire_InstallHooks();
  Pal_Reset();
  Disp_ResetOptions();
  if (App_PlatformProcessorClass() < 586) return 80;
  g_appStartTime = i64(time(nullptr));
  Heap_Init();
  if (Fio_InitBuffers() != 0) return 9;
  if (Lng_Init() != 0) return 14;
  u32 code = App_LanguageCode(Lng_LoadFile(u"orba.lng", 1), 71);
  if (code) return code;
  code = App_LanguageCode(Lng_LoadFile(u"orba.lnv", 0), 74);
  if (code) return code;
  if (Grid_Init() != 0) return 1;
  const int g = Gfx_Init();
  if (g != GFX_INIT_OK && g != GFX_INIT_LOW_COLOUR) return u32(g) + 20;
  g_gfxLowColour = g == GFX_INIT_LOW_COLOUR;
  if (Spr_LoadTerrainMasks() != 0) return 23;
  TrnList_Init();
  Dep_Init();
  Pts_Init();
  Sig_Init();
  Vwin_ClearSlots();
  g_cursorsMissing = Cur_Init() == 2;
  Dmsg_Init();
  Tp_Init();
  Lng_LoadLetterClasses();
  Clk_Reset();
  Clk_ResetPhases();
  Clk_ResetRate();
  Disp_ResetDaylight();
  Hst_Init();
  Dwx_Init();
  Lfst_Init();
  Rp_Init();
  if (Lin_Init() == 0) return 12;
  Info_Init();
  Logp_Init();
  Prell_Init();
  Txt_Init();
  Mcs_Init();
  Snd_Init();
  // A catalogue that cannot be read leaves every sound silent; it never
  // stops the start.
  Snd_LoadCatalogue();
  g_modulesReady = 1;
  return 0;
}

void App_ReportStartWarnings(void) {
  if (g_gfxLowColour) Msg_WarnId(96, 1320);
  if (g_cursorsMissing) Msg_WarnId(99, 1340);
}

void App_FreeModules(void) {
  // Also after a start-up that failed half-way: each free is safe on a module
  // that was never initialised.
  g_modulesReady = 0;
  Grid_Exit();
  Fio_FreeBuffers();
  Spr_FreeTerrainMasks();
  Gfx_Free();
  TrnList_Free();
  Dep_Exit();
  Pts_Free();
  Sig_Free();
  Cur_Free();
  Hst_Free();
  Dwx_Exit();
  Lfst_Free();
  Rp_Free();
  Lin_Exit();
  Info_Free();
  Logp_Exit();
  Prell_Free();
  Txt_Clear();
  Mcs_Exit();
  Tp_Free();
  Snd_Free();
  Dmsg_Free();
  Lng_Exit();
  Heap_Exit();
}

int App_ModulesReady(void) { return g_modulesReady; }

u32 App_SecondsRunning(void) {
  const i64 now = i64(time(nullptr));
  return now > g_appStartTime ? u32(now - g_appStartTime) : 0;
}

int App_ReportStartError(u32 code) {
  wch caption[128], body[512];
  App_StartErrorText(code, StartupLanguage, caption, 128, body, 512);
  App_PlatformStopBox(body, caption);
  App_FreeModules();
  return 1;
}

// ---------------------------------------------------------------- pacing

int App_LoopDrives(void) {
  if (!SimRunFlag) return 0;
  const i32 s = Clk_GetSpeed();
  return s == 20 || (ViaTimer && s >= 2);
}

// The clock fields that a tick changed: seconds (hidden at the fast speed
// steps), and with the minute the hours and the weekday.
static void App_PaintClockChanges(const SimClock& before) {
  const SimClock& now = g_simClock;
  if (now.second == before.second && now.minute == before.minute) return;
  if (!Clk_SecondsHidden() || now.minute != before.minute) {
    Clk_PaintSeconds(nullptr);
    Clk_PaintOverviewTitles();
    Clk_PaintClockWindow(nullptr);
  }
  if (now.minute == before.minute) return;
  Clk_PaintMinutes(nullptr);
  if (now.hour != before.hour) Clk_PaintHours(nullptr);
  if (now.weekday != before.weekday) Clk_PaintWeekday(nullptr);
}

void App_IdleStep(void) {
  // A box opened by a step (auto-save, dispatcher) runs its own message loop,
  // where further ticks arrive; they must not step again underneath it.
  if (g_inIdleStep) return;
  g_inIdleStep = 1;
  u32 autoOptions;
  File_GetAutoSave(nullptr, &autoOptions);
  if (SimRunFlag) {
    const SimClock before = g_simClock;
    Clk_Tick();
    App_PaintClockChanges(before);
    if ((autoOptions & FILE_AUTO_SIMULATED) && g_simClock.second != before.second)
      AutoSaveCountdown = AutoSaveCountdown - 1;
  }
  // One animation step of the multi-cell symbols for each 50 ms request
  // while the animation is on, one signal blink step for each 100 ms request.
  if (g_appAnimationRequest) {
    g_appAnimationRequest = 0;
    if (Mcs_GetAnimationWord()) Mcs_AnimateTick();
  }
  for (u32 blinks = g_appBlinkCount; blinks > 0; --blinks) {
    g_appBlinkCount = g_appBlinkCount - 1;
    Sig_BlinkStep();
  }
  if (AutoSaveCountdown < 1 && g_appModalDepth == 0) File_AutoSave();
  if (Trn_FollowStep() && g_simSemaphore) Os_ReleaseSemaphore(g_simSemaphore, 1);
  if (g_appEdgeScrollBits) App_EdgeScroll(g_appEdgeScrollBits);
  g_inIdleStep = 0;
}

void App_OnTick(void) {
  // Ticks arrive inside the boxes of start-up and after the modules are
  // freed; only a running program steps.
  if (!g_appRunning || App_LoopDrives()) return;
  App_AddElapsed(&g_stepBudget, &g_lastTick, Os_GetTickCount());
  while (g_stepBudget >= 1) {
    g_stepBudget -= 20;
    if (g_appModalDepth > 0) return;
    const int n = App_PortionSteps(SimRunFlag, Clk_GetSpeed(), Clk_GetDelayFactor(), &g_speed1Acc);
    for (int k = 1; k <= n; ++k) {
      App_IdleStep();
      if (k % 5 == 0 && App_PlatformInputPending()) {
        g_stepBudget = 0;
        return;
      }
    }
  }
}

void App_ResetPacing(void) {
  g_stepBudget = 0;
  g_lastTick = 0;
  g_speed1Acc = 0;
}

// Application start-up, shutdown and the frame window: the process from its
// entry point to its last message.
//
// Owns the process-wide handles (instance, frame, title and clock windows,
// tooltip window, icons, accelerators, the message-filter hook, the four
// timing threads and SimSemaphore), the start-up choices of the command
// line, StartupLanguage, TitleMode, SecondInstanceFlag, the step budget and
// the flags and counters that the timing threads set.
//
// The decisions (command line, start-up texts, language, pacing, clock
// placement, module order, start layout) are portable and tested natively;
// app_win32.cpp turns messages into calls.
#pragma once
#include "platform/os.h"
#include "platform/types.h"

// ---------------------------------------------------------------- process state
extern void* g_appInstance;   // HINSTANCE
extern void* g_appFrame;      // the frame window (HWND), null before it exists and after shutdown
extern OsHandle g_simSemaphore;
extern int SecondInstanceFlag;
extern int StartupLanguage;   // 0 English, 1 German, 2 French, 3 Dutch, 4 Polish, 5 Spanish
extern int TitleMode;         // 0 none, 1 shown (starts the simulation at close), 2 shown (stays stopped)
// Edge-scroll bits (1 left, 2 right, 4 up, 8 down) that the view windows set
// and the idle step scrolls by.
extern volatile int g_appEdgeScrollBits;

// 1 from the end of start-up to the beginning of shutdown: only then does
// the tick message step.
extern int g_appRunning;
// Open modal boxes and dialogs (and menus): no step runs while it is above 0.
extern int g_appModalDepth;
// Counters and flags of the timing threads.
extern volatile int g_appAnimationRequest;
extern volatile u32 g_appBlinkCount;
extern volatile i32 AutoSaveCountdown;

// ---------------------------------------------------------------- command line
enum {
  APP_SW_N = 1 << 0,
  APP_SW_STOP = 1 << 1,
  APP_SW_Q = 1 << 2,
  APP_SW_TNR = 1 << 3,
  APP_SW_Z = 1 << 4,
  APP_SW_I = 1 << 5,
  APP_SW_LANG = 1 << 6,
  APP_SW_FILE = 1 << 7,
  APP_SW_ERROR = 1 << 15
};
enum { APP_PATH_MAX = 260 };
// Parses the command line (program path first). Returns the switch set; bit
// APP_SW_ERROR means the line was refused (the caller shows the usage box).
// A language switch sets StartupLanguage. title: in/out picture number (-1
// none given); scale: 0, 1 or 2.
int App_ParseCommandLine(const wch* line, wch* programPath, wch* layoutFile, wch* settingsPath, int* scale,
                         i32* title);

// ---------------------------------------------------------------- start-up texts
// StartupLanguage of a Windows language id.
int App_LanguageOfLangId(u16 langId);
// Caption and body of the start-error box for a code (body with text 6).
void App_StartErrorText(u32 code, int language, wch* caption, int captionSize, wch* body, int bodySize);

// ---------------------------------------------------------------- modules
// 0 or a start-up error code; the order of the Part.
u32 App_InitModules(void);
void App_FreeModules(void);
int App_ModulesReady(void);
// Warnings 96 (low colour screen) and 99 (cursors missing) of initialisation.
void App_ReportStartWarnings(void);
// Shows the start-error box (through the platform box of app_win32) and,
// when the code is fatal, frees the modules; 1 the program ends.
int App_ReportStartError(u32 code);

// ---------------------------------------------------------------- start layout
// The start example on level 0 (its depot named by language texts 1380 and
// 1381). 0 laid; else a numbered message was shown and the layout is as it
// was.
int App_BuildStartLayout(void);
// The start line (named by language text 1380) with its one train, placed at
// the example's depot place. 0 placed; else a numbered message was shown and
// nothing of the line or the train is left.
int App_BuildStartTrain(void);

// ---------------------------------------------------------------- pacing
// Adds the time since the last tick to the step budget (capped at 200 ms; a
// wrap adds 20) and updates last.
void App_AddElapsed(i32* budget, u32* last, u32 now);
// Steps for one 20 ms portion. running: the simulation runs; speed 1..20;
// bremsF the delay factor; speed1Acc the speed-1 accumulator.
int App_PortionSteps(int running, int speed, int bremsF, i32* speed1Acc);
// 1 while the message loop itself drives the simulation.
int App_LoopDrives(void);
// One simulation step with its side work.
void App_IdleStep(void);
// The tick message 1028: spends the budget.
void App_OnTick(void);

// ---------------------------------------------------------------- clock window
// Where the clock window goes on a work area: each axis that lies outside is
// centred on that axis only.
void App_PlaceClock(i32 left, i32 top, i32 right, i32 bottom, i32 width, i32 height, i32* x, i32* y);

void App_ResetPacing(void);

// ---------------------------------------------------------------- platform half
// app_win32.cpp / app_posix.cpp. The processor class (386, 486, 586 and up;
// 1000 another architecture); a stop box with OK; 1 when keys, mouse moves,
// buttons or paint are pending.
int App_PlatformProcessorClass(void);
void App_PlatformStopBox(const wch* text, const wch* caption);
int App_PlatformInputPending(void);

// ---------------------------------------------------------------- Windows
int App_WinMain(void* instance);
// Asks the frame to close (the command "exit").
void App_RequestExit(void);
void App_CloseTitle(void);
void App_SuspendDrawing(int mode);
// 1 while drawing is suspended (a load or another long operation).
int App_DrawingSuspended(void);
// Posts a sound request (message 1029) to the frame; 0 when there is none.
int App_PostSoundRequest(u32 wParam, u32 lParam);
int App_ClockWindow(int mode, i32* x, i32* y, i32* height, i32* width);
void App_EdgeScroll(int bits);
void App_ExitNotice(void);
// The exit mode (settings key EndeF): the running-time notice at exit is
// shown only while it is on; off by default.
extern int g_appExitNoticeOn;
// The notice's text: text 1360 with hours, minutes and seconds when the
// program ran 1504 seconds or more, then text 1361.
void App_ExitNoticeText(u32 seconds, wch* buf, int size);
u32 App_SecondsRunning(void);

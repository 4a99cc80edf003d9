// Windows half of start-up and the frame: the entry, the window classes,
// the frame, title and clock windows, the message loop, the message-filter
// hook and the four timing threads. Decisions live in the portable shell
// (app.cpp, cmdline.cpp, pace.cpp, startlay.cpp); this file turns messages
// into calls.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "dialogs/dfw.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "operation/clock.h"
#include "operation/sndcat.h"
#include "operation/trn.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "platform/tim.h"
#include "render/clkpaint.h"
#include "render/cursor.h"
#include "render/dc.h"
#include "render/font.h"
#include "render/map.h"
#include "render/pal.h"
#include "render/status.h"
#include "render/title.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/cfg.h"
#include "shell/cmd.h"
#include "shell/file.h"
#include "shell/ewin.h"
#include "shell/menu.h"
#include "shell/msgbox.h"
#include "shell/shell_win32.h"
#include "shell/vwin.h"

static inline const wchar_t* W(const wch* s) { return reinterpret_cast<const wchar_t*>(s); }
static inline wchar_t* W(wch* s) { return reinterpret_cast<wchar_t*>(s); }

static HWND Frame(void) { return static_cast<HWND>(g_appFrame); }

// ---------------------------------------------------------------- process state
static HANDLE g_mutex;
static HACCEL g_accel;
static HHOOK g_hook;
static HWND g_titleWindow;
static HWND g_tooltip;
static HWND g_clockWindow;
static HWND g_panelScroll[3];  // panel fields 3, 6 and 39
static int g_shutdownDone;

// Start-up choices of the command line.
static wch g_programPath[APP_PATH_MAX];
static wch g_layoutFile[APP_PATH_MAX];
static wch g_settingsPath[APP_PATH_MAX];
static int g_switches;
static int g_firstScale;
static i32 g_titleNumber = -1;

// Clock window record: position, size and state (1 closed by the user, 3
// shown).
struct AppClockRecord {
  i32 x, y, width, height;
  int state;
};
static AppClockRecord g_clock = {-1, -1, 140, 60, 1};

// ---------------------------------------------------------------- timing threads
// Each thread sleeps its period and then only sends or posts, sets a flag or
// counts; all model work runs on the main thread. Stopping sets the quit
// flag and waits while the main thread keeps answering sent messages, since
// the tick thread may be inside its send at that moment.
struct AppTimer {
  DWORD period;
  HANDLE thread;
  volatile LONG quit;
  volatile LONG suspended;  // 1 while drawing is suspended (animation and blink only)
};
enum { TIMER_TICK, TIMER_ANIMATION, TIMER_BLINK, TIMER_AUTOSAVE, TIMERS };
static AppTimer g_timers[TIMERS] = {{20, 0, 0, 0}, {50, 0, 0, 0}, {100, 0, 0, 0}, {1000, 0, 0, 0}};

static unsigned App_TimerRun(void* arg) {
  AppTimer* t = static_cast<AppTimer*>(arg);
  const int which = int(t - g_timers);
  while (!t->quit) {
    Sleep(t->period);
    if (t->quit) break;
    if (t->suspended) continue;
    switch (which) {
      case TIMER_TICK: {
        HWND f = Frame();
        DWORD_PTR result;
        // A send waits until the frame has handled the tick, so ticks never
        // pile up; the time-out only keeps the thread able to see its quit
        // flag should the main thread be gone.
        if (f) SendMessageTimeoutW(f, WM_APP_TICK, 0, 0, SMTO_NORMAL, 5000, &result);
        break;
      }
      case TIMER_ANIMATION:
        g_appAnimationRequest = 1;
        break;
      case TIMER_BLINK:
        g_appBlinkCount = g_appBlinkCount + 1;
        break;
      case TIMER_AUTOSAVE: {
        // An interval in simulated seconds is counted by the steps instead.
        u32 options;
        File_GetAutoSave(nullptr, &options);
        if (!(options & FILE_AUTO_SIMULATED)) AutoSaveCountdown = AutoSaveCountdown - 1;
        break;
      }
    }
  }
  return 0;
}

// The viewer never stores a layout: it has no auto-save and no countdown.
#ifdef ORBA_VIEWER
enum { TIMERS_STARTED = TIMER_AUTOSAVE };
#else
enum { TIMERS_STARTED = TIMERS };
#endif

static int App_StartTimers(void) {
  for (int i = 0; i < TIMERS_STARTED; ++i) {
    AppTimer& t = g_timers[i];
    t.quit = 0;
    t.suspended = 0;
    t.thread = static_cast<HANDLE>(Os_StartThread(App_TimerRun, &t, 0));
    if (!t.thread) return 0;
    SetThreadPriority(t.thread, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(t.thread);
  }
  return 1;
}

// Waits for a thread while answering the messages other threads send to
// this one.
static void App_WaitPumping(HANDLE h) {
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

static void App_StopTimers(void) {
  for (AppTimer& t : g_timers) t.quit = 1;
  for (AppTimer& t : g_timers) {
    if (!t.thread) continue;
    App_WaitPumping(t.thread);
    CloseHandle(t.thread);
    t.thread = nullptr;
  }
}

static int g_appDrawingSuspended;

int App_DrawingSuspended(void) { return g_appDrawingSuspended > 0; }

int App_PostSoundRequest(u32 wParam, u32 lParam) {
  return Frame() && PostMessageW(Frame(), WM_APP_SOUND, wParam, lParam) ? 1 : 0;
}

// A sound request plays unless the user is waiting for an answer to input;
// the end of a sound closes its device.
static LRESULT App_OnSoundRequest(WPARAM wp, LPARAM lp) {
  if (!GetInputState()) Snd_Play(u32(wp), u32(lp));
  return 0;
}

void App_SuspendDrawing(int mode) {
  if (mode == 0) g_appDrawingSuspended++;
  else if (mode == 1 && g_appDrawingSuspended > 0) g_appDrawingSuspended--;
  if (mode == 0) {
    g_timers[TIMER_ANIMATION].suspended = 1;
    g_timers[TIMER_BLINK].suspended = 1;
    Vwin_SuspendPresent(0);
  } else if (mode == 1) {
    Vwin_SuspendPresent(1);
    g_timers[TIMER_ANIMATION].suspended = 0;
    g_timers[TIMER_BLINK].suspended = 0;
  }
}

// ---------------------------------------------------------------- platform half
int App_PlatformProcessorClass(void) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  const WORD arch = si.wProcessorArchitecture;
  if (arch != PROCESSOR_ARCHITECTURE_INTEL) return 1000;
  if (si.wProcessorLevel <= 3) return 386;
  if (si.wProcessorLevel == 4) return 486;
  return 586;
}

void App_PlatformStopBox(const wch* text, const wch* caption) {
  ++g_appModalDepth;
  MessageBoxW(nullptr, W(text), W(caption), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  --g_appModalDepth;
}

int App_PlatformInputPending(void) { return HIWORD(GetQueueStatus(0x27)) != 0; }

static void App_PaintFrameRate(void);
static void App_OnFrameMoved(void);

// ---------------------------------------------------------------- classes
static ATOM App_RegisterClass(HINSTANCE inst, const wchar_t* name, WNDPROC proc, UINT style, int menu) {
  WNDCLASSEXW wc;
  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_ORBA_LARGE));
  wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_ORBA_SMALL), IMAGE_ICON, 16, 16, 0));
  wc.lpszMenuName = menu ? MAKEINTRESOURCEW(menu) : nullptr;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}

int App_RegisterClasses(void* instance) {
  HINSTANCE inst = static_cast<HINSTANCE>(instance);
  return App_RegisterClass(inst, ORBA_CLASS_FRAME, StatusWndProc, 0x23, 0) &&
         App_RegisterClass(inst, ORBA_CLASS_VIEW, EditWndProc, 0x2028, IDM_VIEW_MENU) &&
         App_RegisterClass(inst, ORBA_CLASS_INFOBOX, InfoBoxWndProc, 0xA20, 0) &&
         App_RegisterClass(inst, ORBA_CLASS_TITLE, TitelWndProc, 0x220, 0) &&
         App_RegisterClass(inst, ORBA_CLASS_CLOCK, UhrWndProc, 0x20, 0);
}

// ---------------------------------------------------------------- start-up
static HWND App_CreatePanelScroll(HWND frame, int field, DWORD style) {
  i32 y, w, h;
  const i32 x = Map_GetFieldRect(field, &y, &w, &h);
  return CreateWindowExW(0, L"scrollbar", nullptr, WS_CHILD | WS_VISIBLE | style, x, y, w, h, frame, nullptr,
                         static_cast<HINSTANCE>(g_appInstance), nullptr);
}

// Folders: the current directory for the data folders, the program's own
// folder for the program and its files.
static void App_SetFolders(void) {
  wch cwd[APP_PATH_MAX];
  if (Os_GetCwd(cwd, APP_PATH_MAX - 1) == 0) {
    const i32 n = Str_Len(cwd);
    if (n && cwd[n - 1] != u'\\') {
      cwd[n] = u'\\';
      cwd[n + 1] = 0;
    }
    for (int f = FOLDER_LAYOUTS; f <= FOLDER_SCRIPTS; ++f) Fio_SetFolderPath(f, cwd);
  }
  // A settings folder from the command line, with its separator.
  if (g_settingsPath[0]) {
    wch folder[APP_PATH_MAX + 1];
    Str_Copy(folder, g_settingsPath);
    const i32 n = Str_Len(folder);
    if (folder[n - 1] != u'\\') {
      folder[n] = u'\\';
      folder[n + 1] = 0;
    }
    Fio_SetFolderPath(FOLDER_SETTINGS, folder);
  }
  wch prog[APP_PATH_MAX];
  if (Os_GetProgramFolder(prog, APP_PATH_MAX) == 0) Fio_SetFolderPath(FOLDER_PROGRAM, prog);
}

// The settings, once every module can take its values; language files the
// settings name in place of the defaults are loaded in their place.
static void App_ReadSettings(void) {
  Cfg_Startup();
  if (Str_CompareEx(Cfg_LanguageFile(0), u"orba.lng", STR_CMP_NOCASE) != 0) Lng_LoadFile(Cfg_LanguageFile(0), 1);
  if (Str_CompareEx(Cfg_LanguageFile(1), u"orba.lnv", STR_CMP_NOCASE) != 0) Lng_LoadFile(Cfg_LanguageFile(1), 0);
}

static void App_CreateTitle(void) {
  // The client area takes the picture's size, so that a picture larger than
  // the classic 192 x 256 is shown whole rather than cut.
  i32 pw = 192, ph = 256;
  if (Disp_TitlePixels(&pw, &ph) == nullptr || pw < 1 || ph < 1) pw = 192, ph = 256;
  const int cw = GetSystemMetrics(SM_CXFIXEDFRAME), ch = GetSystemMetrics(SM_CYFIXEDFRAME);
  const int w = 2 * cw + pw, h = GetSystemMetrics(SM_CYCAPTION) + 2 * ch + ph;
  RECT area;
  GetClientRect(GetDesktopWindow(), &area);
  area.bottom -= 28;
  const int x = area.left + (area.right - area.left - w) / 2, y = area.top + (area.bottom - area.top - h) / 2;
  g_titleWindow = CreateWindowExW(0, ORBA_CLASS_TITLE, L"", WS_POPUP | WS_CAPTION, x, y, w, h, Frame(), nullptr,
                                  static_cast<HINSTANCE>(g_appInstance), nullptr);
  if (g_titleWindow) {
    ShowWindow(g_titleWindow, SW_SHOW);
    UpdateWindow(g_titleWindow);
  }
}

// The cell the first view shows: the start layout's middle when it was
// built, else where the layout left the view.
static i32 g_firstCellX = -1, g_firstCellY = -1;

static void App_OpenFirstView(void) {
  ShowWindow(Frame(), SW_SHOW);
  if (Vwin_Create(g_firstScale) != 0) return;
  for (int v = 0; v < VWIN_SLOTS; ++v)
    if (g_mapViews[v].window) {
      if (g_firstCellX >= 0) Ewin_CentreOnCell(v, g_firstCellX, g_firstCellY, 0);
      Vwin_Activate(v);
      break;
    }
}

static int App_InitInstance(void* instance) {
  g_appInstance = instance;
  g_mutex = CreateMutexW(nullptr, FALSE, ORBA_MUTEX_NAME);
  SecondInstanceFlag = g_mutex && GetLastError() == ERROR_ALREADY_EXISTS;
  Vwin_ClearSlots();
  g_accel = LoadAcceleratorsW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(IDA_FRAME));
  InitCommonControls();
  const int height = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME) + 80;
  HWND frame = CreateWindowExW(0, ORBA_CLASS_FRAME, L"", 0xCA0000, CW_USEDEFAULT, CW_USEDEFAULT, 800, height,
                               nullptr, nullptr, static_cast<HINSTANCE>(instance), nullptr);
  if (!frame) return 0;
  g_appFrame = frame;
  Clip_SetWindow(frame);
  Snd_DevSetNotifyWindow(frame);
  g_vwinFrameHooks.frameRateChanged = App_PaintFrameRate;
  g_vwinFrameHooks.frameMoved = App_OnFrameMoved;
  Map_SetStatusWindow(frame);
  g_panelScroll[0] = App_CreatePanelScroll(frame, 3, SBS_VERT);
  g_panelScroll[1] = App_CreatePanelScroll(frame, 6, SBS_HORZ);
  g_panelScroll[2] = App_CreatePanelScroll(frame, 39, SBS_VERT);
  if (!g_panelScroll[0] || !g_panelScroll[1] || !g_panelScroll[2]) return 0;
  StartupLanguage = App_LanguageOfLangId(GetUserDefaultLangID());
  g_hook = SetWindowsHookExW(WH_MSGFILTER, FilterFunc, nullptr, GetCurrentThreadId());
  if (!g_hook) return 0;
  if (!App_StartTimers()) return 0;
  g_simSemaphore = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  if (!g_simSemaphore) return 0;
  App_ResetPacing();
  g_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame, nullptr, static_cast<HINSTANCE>(instance), nullptr);

  g_switches = App_ParseCommandLine(reinterpret_cast<const wch*>(GetCommandLineW()), g_programPath, g_layoutFile,
                                    g_settingsPath, &g_firstScale, &g_titleNumber);
  if (g_switches & APP_SW_ERROR) {
    App_PlatformStopBox(Lng_StartupText(StartupLanguage, 8), Lng_StartupText(StartupLanguage, 7));
    return 0;
  }
  if (!(g_switches & APP_SW_Z)) g_firstScale = 0;
  App_SetFolders();

  Msg_SetFrontEnd(&g_msgFrontEnd);
  const u32 code = App_InitModules();
  if (code != 0 && App_ReportStartError(code)) return 0;
  App_ReadSettings();
  App_ReportStartWarnings();
  // The previews of the dialogs and the control panel draw through these.
  Map_CreatePreviewBitmaps();
  Menu_SetWindowTitles(-1);

  if (g_switches & APP_SW_Q) {
    TitleMode = 0;
  } else {
    TitleMode = (g_switches & APP_SW_STOP) ? 2 : 1;
    // A title picture that cannot be read leaves no title window; the start
    // then goes on as without one.
    if (Disp_LoadTitlePicture(g_titleNumber) >= 0)
      App_CreateTitle();
    if (!g_titleWindow) TitleMode = 0;
  }
  if (!(g_switches & APP_SW_N)) {
    if (App_BuildStartLayout() == 0) {
      g_firstCellX = 16384;
      g_firstCellY = 16384;
    }
    App_BuildStartTrain();
    Ewin_ClearModified();
  }
  if (g_switches & APP_SW_FILE) {
    // A name without a folder is the working folder's, whatever layouts
    // folder the settings named.
    wch path[APP_PATH_MAX], cwd[APP_PATH_MAX];
    Str_Copy(path, g_layoutFile);
    if (!Str_FindChar(g_layoutFile, u'\\') && !Str_FindChar(g_layoutFile, u':') && Os_GetCwd(cwd, APP_PATH_MAX) == 0 &&
        Str_Len(cwd) + 1 + Str_Len(g_layoutFile) < APP_PATH_MAX) {
      const i32 n = Str_Len(cwd);
      Fmt_Print(path, APP_PATH_MAX, n && cwd[n - 1] == u'\\' ? u"%s%s" : u"%s\\%s", cwd, g_layoutFile);
    }
    File_Load(path);
  }
  g_appRunning = 1;
  if (TitleMode != 0) {
    Ewin_RunStop(EWIN_RUN_STOP);
    return 1;
  }
  App_OpenFirstView();
  // Without a title picture the first view opens at once; the simulation
  // then starts as it would when the title closes, unless STOP was given.
  if (!(g_switches & APP_SW_STOP)) Ewin_RunStop(EWIN_RUN_START);
  return 1;
}

void App_CloseTitle(void) {
  const int mode = TitleMode;
  TitleMode = 0;
  if (g_titleWindow) {
    HWND t = g_titleWindow;
    g_titleWindow = nullptr;
    DestroyWindow(t);
  }
  App_OpenFirstView();
  if (mode == 1) Ewin_RunStop(EWIN_RUN_START);
}

// ---------------------------------------------------------------- shutdown
void App_ExitNotice(void) {
  if (!g_appExitNoticeOn) return;
  wch text[400];
  App_ExitNoticeText(App_SecondsRunning(), text, 400);
  ++g_appModalDepth;
  MessageBoxW(Frame(), W(text), W(Lng_GetText(1362)), MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
  --g_appModalDepth;
}

// Everything that needs the views runs while they still exist: Windows
// destroys owned windows before their owner's destruction message.
static void App_Shutdown(void) {
  if (g_shutdownDone) return;
  g_shutdownDone = 1;
  g_appRunning = 0;
  if (SecondInstanceFlag) Msg_WarnId(211, 11143);
  App_SuspendDrawing(0);
  App_ClockWindow(2, nullptr, nullptr, nullptr, nullptr);
  Vwin_CloseAll();
  if (g_tooltip) DestroyWindow(g_tooltip);
  g_tooltip = nullptr;
  if (g_hook) UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  App_StopTimers();
  if (g_simSemaphore) CloseHandle(static_cast<HANDLE>(g_simSemaphore));
  g_simSemaphore = nullptr;
  // A second instance never writes the settings (its warning came above).
  if (App_ModulesReady() && Cfg_WriteAtExit() && !SecondInstanceFlag) File_SaveSettings();
  App_ExitNotice();
  Disp_FreeTitlePicture();
  Map_FreePreviewBitmaps();
  App_FreeModules();
}

// ---------------------------------------------------------------- frame window
static LRESULT App_OnFrameClose(HWND w) {
  // Unsaved changes are saved, dropped or keep the program open, as the
  // user answers.
  if (App_ModulesReady() && !File_AskSaveChanges()) return 0;
  App_Shutdown();
  DestroyWindow(w);
  return 0;
}

static LRESULT App_OnFrameDestroy(void) {
  App_Shutdown();
  if (g_mutex) CloseHandle(g_mutex);
  g_mutex = nullptr;
  g_appFrame = nullptr;
  Clip_SetWindow(nullptr);
  Map_SetStatusWindow(nullptr);
  PostQuitMessage(0);
  return 0;
}

static LRESULT App_OnFrameActivate(HWND w, WPARAM wp) {
  if (LOWORD(wp) != WA_INACTIVE) {
    Vwin_NoteFrameActivated();
    SetFocus(w);
  }
  return 0;
}

// The frame-rate field (panel field 40): "%02i%s" with text 1500.
static void App_PaintFrameRate(void) {
  HWND f = Frame();
  if (!f) return;
  i32 y, w, h;
  const i32 x = Map_GetFieldRect(40, &y, &w, &h);
  HDC dc = GetDC(f);
  if (!dc) return;
  RECT r = {x, y, x + w, y + h};
  HBRUSH b = CreateSolidBrush(Pal_GetColour(32) & 0xFFFFFF);
  if (b) {
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  wch t[32];
  Fmt_Print(t, 32, u"%02i%s", Vwin_FrameRate(-1), Lng_GetText(1500));
  const int saved = SaveDC(dc);
  HFONT font = static_cast<HFONT>(Font_GetStatusFont());
  if (font) SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Pal_GetColour(34) & 0xFFFFFF);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &r, W(t), UINT(Str_Len(t)), nullptr);
  RestoreDC(dc, saved);
  ReleaseDC(f, dc);
}

// The panel's scroll bars follow their fields when the frame changes width.
static void App_OnFrameMoved(void) {
  RECT c;
  if (!Frame() || !GetClientRect(Frame(), &c)) return;
  Map_SetFieldLayout(g_vwinFullWidth, c.right);
  static const int fields[3] = {3, 6, 39};
  for (int i = 0; i < 3; ++i) {
    i32 y, w, h;
    const i32 x = Map_GetFieldRect(fields[i], &y, &w, &h);
    if (g_panelScroll[i]) MoveWindow(g_panelScroll[i], x, y, w, h, TRUE);
  }
  InvalidateRect(Frame(), nullptr, FALSE);
}

static LRESULT App_OnFramePaint(HWND w) {
  Map_PaintStatusStrip(w);
  Clk_RedrawAll(nullptr);
  App_PaintFrameRate();
  for (HWND s : g_panelScroll)
    if (s) InvalidateRect(s, nullptr, TRUE);
  return 0;
}

static int App_Modifiers(LPARAM lp) {
  int m = 0;
  if (GetKeyState(VK_CONTROL) < 0) m |= CMD_MOD_CTRL;
  if (GetKeyState(VK_SHIFT) < 0) m |= CMD_MOD_SHIFT;
  if (lp & (1 << 29)) m |= CMD_MOD_ALT;
  return m;
}

static LRESULT App_OnFrameKey(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (wp == VK_SHIFT || wp == VK_CONTROL) return 0;
  if (Cmd_KeyHandler(int(wp), App_Modifiers(lp), 0)) return 0;
  return DefWindowProcW(w, msg, wp, lp);
}

static LRESULT App_OnFrameChar(WPARAM wp) {
  const wch c = wch(wp);
  if (c == u'+' || c == u'-' || c == u'=') {
    const int pad = GetKeyState(VK_ADD) < 0 || GetKeyState(VK_SUBTRACT) < 0 || GetKeyState(VK_MULTIPLY) < 0 ||
                    GetKeyState(VK_DIVIDE) < 0;
    int m = 0;
    if (pad) m = (GetKeyState(VK_SHIFT) < 0 ? CMD_MOD_SHIFT : 0) | (GetKeyState(VK_MENU) < 0 ? CMD_MOD_ALT : 0);
    Cmd_KeyHandler(0x100 | c, m, 0);
    return 0;
  }
  const wch u = Lng_FoldLetter(c, 1);
  if (u >= 91) Cmd_KeyHandler(0x100 | u, App_Modifiers(0), 0);
  return 0;
}

static LRESULT App_OnFrameMouseActivate(void) {
  if (g_appModalDepth > 0) {
    MessageBeep(0);
    return MA_NOACTIVATEANDEAT;
  }
  return MA_ACTIVATE;
}

// Field 39: the level of the last view.
static LRESULT App_OnPanelScroll(HWND bar, WPARAM wp) {
  if (bar != g_panelScroll[2]) return 0;
  const int v = g_lastViewSlot;
  if (v < 0 || v >= MAP_VIEWS || !g_mapViews[v].window) return 0;
  MapView& m = g_mapViews[v];
  const int code = LOWORD(wp);
  if (code == SB_LINEUP && m.level < 0) ++m.level;
  else if (code == SB_LINEDOWN && m.level > -4) --m.level;
  else return 0;
  Map_RedrawView(v);
  Map_InvalidateViews(MAP_INVALIDATE_FRAME);
  return 0;
}

// Keys caught by the filter hook inside dialogs and menus.
// Help and the dialog framework come later: no key is taken yet.
// Keys caught inside a dialog's loop go to the innermost framework dialog
// (its spin fields); a key it handles goes no further.
static LRESULT App_OnHookKey(WPARAM code, LPARAM key) {
  HWND dialog = static_cast<HWND>(Dfw_CurrentDialog());
  if (code != MSGF_DIALOGBOX || !dialog) return 0;
  return SendMessageW(dialog, WM_APP_DLGKEY2, WPARAM(key), 0);
}

LRESULT CALLBACK StatusWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: SetFocus(w); return 0;
    case WM_ACTIVATE: return App_OnFrameActivate(w, wp);
    case WM_PAINT: return App_OnFramePaint(w);
    case WM_CLOSE: return App_OnFrameClose(w);
    case WM_DESTROY: return App_OnFrameDestroy();
    case WM_MOUSEACTIVATE: return App_OnFrameMouseActivate();
    case WM_COMMAND: Cmd_MenuCommand(LOWORD(wp)); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return App_OnFrameKey(w, msg, wp, lp);
    case WM_CHAR: return App_OnFrameChar(wp);
    case WM_VSCROLL: return App_OnPanelScroll(reinterpret_cast<HWND>(lp), wp);
    case WM_APP_HOOKKEY: return App_OnHookKey(wp, lp);
    case WM_APP_TICK: App_OnTick(); return 0;
    case WM_APP_SOUND: return App_OnSoundRequest(wp, lp);
    case MM_MCINOTIFY: Snd_OnPlayEnd(u32(lp)); return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// ---------------------------------------------------------------- message-filter hook
LRESULT CALLBACK FilterFunc(int code, WPARAM wp, LPARAM lp) {
  if (code < 0) return CallNextHookEx(g_hook, code, wp, lp);
  const MSG* m = reinterpret_cast<const MSG*>(lp);
  if ((code == MSGF_DIALOGBOX || code == MSGF_MENU) && m && m->message == WM_KEYDOWN) {
    const WPARAM k = m->wParam;
    const bool caught = (k >= VK_F1 && k <= VK_F12) || k == VK_INSERT || k == VK_DELETE || k == VK_UP ||
                        k == VK_DOWN || k == VK_PRIOR || k == VK_NEXT || k == VK_HOME || (k >= 'A' && k <= 'Z');
    if (caught && Frame()) return SendMessageW(Frame(), WM_APP_HOOKKEY, WPARAM(code), LPARAM(k));
  }
  return 0;
}

// ---------------------------------------------------------------- title window
static LRESULT App_OnTitlePaint(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  RECT r;
  GetClientRect(w, &r);
  Disp_DrawTitlePicture(dc, 0, 0, r.right, r.bottom);
  EndPaint(w, &ps);
  return 0;
}

LRESULT CALLBACK TitelWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      SetFocus(w);
      SetTimer(w, 1, 15000, nullptr);
      return 0;
    case WM_PAINT: return App_OnTitlePaint(w);
    case WM_DESTROY: KillTimer(w, 1); return 0;
    case WM_TIMER:
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_COMMAND:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (g_titleWindow == w) App_CloseTitle();
      return 0;
    case WM_MOUSEACTIVATE:
      if (g_titleWindow == w) App_CloseTitle();
      return MA_NOACTIVATEANDEAT;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_ARROW)); return TRUE;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// ---------------------------------------------------------------- clock window
static void App_RememberClock(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  g_clock.x = r.left;
  g_clock.y = r.top;
  g_clock.width = r.right - r.left;
  g_clock.height = r.bottom - r.top;
}

static int App_ShowClock(void) {
  if (g_clockWindow) return 3;
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  i32 x, y;
  App_PlaceClock(area.left, area.top, area.right, area.bottom, g_clock.width, g_clock.height, &x, &y);
  g_clockWindow = CreateWindowExW(0x188, ORBA_CLASS_CLOCK, L"", 0xCC0000, x, y, g_clock.width, g_clock.height,
                                  Frame(), nullptr, static_cast<HINSTANCE>(g_appInstance), nullptr);
  if (!g_clockWindow) return g_clock.state;
  g_clock.state = 3;
  Clk_SetClockWindow(g_clockWindow);
  ShowWindow(g_clockWindow, SW_SHOWNOACTIVATE);
  return g_clock.state;
}

int App_ClockWindow(int mode, i32* x, i32* y, i32* height, i32* width) {
  switch (mode) {
    case 0:
    case 3:
      if (mode == 0 && x && y && height && width) {
        *x = g_clock.x;
        *y = g_clock.y;
        *height = g_clock.height;
        *width = g_clock.width;
      }
      return App_ShowClock();
    case 1:
    case 2:
      if (g_clockWindow) {
        HWND c = g_clockWindow;
        g_clockWindow = nullptr;
        DestroyWindow(c);
      }
      if (mode == 1) g_clock.state = 1;
      return g_clock.state;
    case 4:
      return g_clockWindow ? App_ClockWindow(1, nullptr, nullptr, nullptr, nullptr) : App_ShowClock();
    case 5:
      if (x) g_clock.x = *x;
      if (y) g_clock.y = *y;
      if (width) g_clock.width = *width == -1 ? 140 : *width;
      if (height) g_clock.height = *height == -1 ? 60 : *height;
      return App_ShowClock();
  }
  return g_clock.state;
}

LRESULT CALLBACK UhrWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOVE:
    case WM_SIZE:
      App_RememberClock(w);
      InvalidateRect(w, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      Clk_PaintClockWindow(dc);
      EndPaint(w, &ps);
      return 0;
    }
    case WM_CLOSE: App_ClockWindow(1, nullptr, nullptr, nullptr, nullptr); return 0;
    case WM_DESTROY:
      if (g_clockWindow == w) g_clockWindow = nullptr;
      Clk_SetClockWindow(g_clockWindow);
      return 0;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_ARROW)); return TRUE;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void* App_ClockWindowHandle(void) { return g_clockWindow; }

void App_RequestExit(void) {
  if (Frame()) PostMessageW(Frame(), WM_CLOSE, 0, 0);
}

// ---------------------------------------------------------------- edge scrolling
void App_EdgeScroll(int bits) {
  static DWORD last;
  const DWORD now = GetTickCount();
  if (now - last < DWORD(Cur_GetScrollSpeed())) return;
  last = now;
  const int dx = (bits & 1) ? -1 : (bits & 2) ? 1 : 0;
  const int dy = (bits & 4) ? -1 : (bits & 8) ? 1 : 0;
  if (g_activeViewSlot >= 0) Vwin_ScrollCells(g_activeViewSlot, dx, dy);
}

// ---------------------------------------------------------------- message loop
static int App_RunLoop(void) {
  MSG m;
  for (;;) {
    while (App_LoopDrives()) {
      App_IdleStep();
      if (!PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) continue;
      break;
    }
    const BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == 0 || got == -1) return got == 0 ? int(m.wParam) : 0;
    if (m.message == WM_SYSKEYDOWN &&
        Cmd_KeyHandler(int(m.wParam), CMD_MOD_ALT, g_activeViewSlot >= 0 ? 1 : 0))
      continue;
    if (g_accel && Frame() && TranslateAcceleratorW(Frame(), g_accel, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

int App_WinMain(void* instance) {
  int osClass = 0;
  Sys_GetOsClass(&osClass, nullptr);
  if (osClass == 0) {
    UseWideApi = 0;
    App_PlatformStopBox(Lng_StartupText(StartupLanguage, 1), Lng_StartupText(StartupLanguage, 0));
    return 0;
  }
  UseWideApi = osClass > 3;
  if (!App_RegisterClasses(instance)) return 0;
  if (!App_InitInstance(instance)) {
    if (Frame()) DestroyWindow(Frame());
    else App_Shutdown();
    return 0;
  }
  return App_RunLoop();
}

#include "shell/cmd.h"

#include "dialogs/depdlg.h"
#include "dialogs/dmsgdlg.h"

#include "model/dep.h"
#include "model/infp.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "operation/clock.h"
#include "operation/sigeval.h"
#include "operation/snd.h"
#include "platform/lng.h"
#include "render/compose.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "render/map.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/ewin.h"
#include "shell/file.h"
#include "shell/filedlg.h"
#include "shell/menu.h"
#include "shell/vwin.h"

// Commands that act on the active view do nothing without one.
static int Cmd_Active(void) {
  const int v = g_activeViewSlot;
  return (v >= 0 && v < VWIN_SLOTS && g_mapViews[v].window) ? v : -1;
}

static void Cmd_ChangeLevel(int up) {
  const int v = Cmd_Active();
  if (v < 0) return;
  MapView& m = g_mapViews[v];
  const i32 level = m.level + (up ? 1 : -1);
  if (level > 0 || level < -4) return;
  m.level = level;
  Map_RedrawView(v);
  Map_InvalidateViews(MAP_INVALIDATE_FRAME);
}

// The next info point (log 0) or log point (log 1) after the active view's
// cursor in the points' order, from the first again after the last; the
// cursor and the view go there.
static void Cmd_NextPoint(int log) {
  const int v = Cmd_Active();
  if (v < 0) return;
  const MapView& m = g_mapViews[v];
  i32 x = m.cursorX, y = m.cursorY, level = m.level;
  const int found = log ? Logp_NextInOrder(&x, &y, &level, 1) : Info_Next(&x, &y, &level, 1);
  if (found) Ewin_CentreOnCell(v, x, y, level);
}

static void Cmd_ToggleRun(void) {
  Ewin_RunStop(EWIN_RUN_TOGGLE);
  Menu_Check(CMD_RUN_TOGGLE, -1, SimRunFlag);
}

// The commands whose owners exist in this build, by id.
static int Cmd_Run(int id) {
  const int v = Cmd_Active();
  if (id >= CMD_ZOOM_FIRST && id <= CMD_ZOOM_LAST) {
    int mode, scale;
    if (v >= 0 && Vwin_ZoomOfMenuId(id, &mode, &scale) == 0) Vwin_SetZoom(v, mode, scale);
    return 0;
  }
  if (id >= CMD_ACTIVATE_FRAME && id <= CMD_ACTIVATE_LAST) {
    Vwin_Activate(id == CMD_ACTIVATE_FRAME ? -1 : id - CMD_ACTIVATE_FRAME - 1);
    return 0;
  }
  if (id >= CMD_RECENT_FIRST && id <= CMD_RECENT_LAST) {
    File_OpenRecent(id);
    return 0;
  }
  switch (id) {
    case CMD_NEW_LAYOUT: File_New(); return 0;
    case CMD_OPEN: File_Open(nullptr); return 0;
    case CMD_SAVE: File_Save(); return 0;
    case CMD_SAVE_AS: File_SaveAs(); return 0;
    case CMD_EXPORT_TEXT: File_ExportText(); return 0;
    case CMD_EXPORT_PICTURE: File_ExportPicture(); return 0;
    case CMD_SAVE_SETTINGS: File_SaveSettings(); return 0;
    case CMD_LANGUAGE_FILE: File_ChooseLanguage(1); return 0;
    case CMD_VARIANT_LANGUAGE_FILE: File_ChooseLanguage(0); return 0;
    case CMD_HELP_FILE: File_ChooseHelpFile(); return 0;
    case CMD_PROTECTION: File_SetProtectCode(); return 0;
    case CMD_PICTURE_OPTIONS: File_PictureOptions(nullptr); return 0;
    case CMD_TEXT_EXPORT_OPTIONS: File_TextExportOptions(nullptr); return 0;
    case CMD_LOG_OPTIONS: File_LogOptions(); return 0;
    case CMD_COLOURS: File_ColourSettings(); return 0;
    case CMD_BACKGROUND_PICTURE: File_BackgroundPicture(); return 0;
    case CMD_LIST_USER_ELEMENTS: File_ListUzg(); return 0;
    case CMD_LIST_USER_VEHICLES: File_ListUz1(); return 0;
    case CMD_LIST_VEHICLE_FILES: File_ListNfz(); return 0;
    case CMD_EXIT: App_RequestExit(); return 0;
    case CMD_ZOOM_IN: if (v >= 0) Vwin_ZoomIn(v); return 0;
    case CMD_ZOOM_OUT: if (v >= 0) Vwin_ZoomOut(v); return 0;
    case CMD_TOGGLE_OVERLAY: Vwin_ToggleOverlay(); return 0;
    case CMD_TOGGLE_SCROLLBARS: Vwin_ToggleScrollBars(); return 0;
    case CMD_LEVEL_UP: Cmd_ChangeLevel(1); return 0;
    case CMD_LEVEL_DOWN: Cmd_ChangeLevel(0); return 0;
    case CMD_RUN_TOGGLE: Cmd_ToggleRun(); return 0;
    case CMD_NEW_VIEW: Vwin_Create(0); return 0;
    case CMD_CLOSE_VIEW: if (v >= 0) Vwin_Close(v); return 0;
    case CMD_NEXT_VIEW: Vwin_Activate(-2); return 0;
    case CMD_PREV_VIEW: Vwin_Activate(-3); return 0;
    case CMD_ARRANGE: Vwin_ArrangeWindows(1, 1); return 0;
    case CMD_CLOCK_WINDOW: App_ClockWindow(4, nullptr, nullptr, nullptr, nullptr); return 0;
    case CMD_FULL_WIDTH: Vwin_ToggleFullWidth(); return 0;
    case CMD_NEXT_INFO_POINT: Cmd_NextPoint(0); return 0;
    case CMD_NEXT_LOG_POINT: Cmd_NextPoint(1); return 0;
    case CMD_DISPATCHER_LIST: Dmsg_ShowList(); return 0;
    case CMD_LIST_DEPOTS: Dep_ShowList(1); return 0;
    case CMD_DISPATCHER_OPTIONS: Dmsg_ShowOptions(DMSG_DLG_OPTIONS); return 0;
    case CMD_DISPATCHER_KINDS1: Dmsg_ShowOptions(DMSG_DLG_KINDS1); return 0;
    case CMD_DISPATCHER_KINDS2: Dmsg_ShowOptions(DMSG_DLG_KINDS2); return 0;
    case CMD_DISPATCHER_KINDS3: Dmsg_ShowOptions(DMSG_DLG_KINDS3); return 0;
  }
  return 1;
}

int Cmd_HasOwner(int id) {
  if ((id >= CMD_ZOOM_FIRST && id <= CMD_ZOOM_LAST) || (id >= CMD_ACTIVATE_FRAME && id <= CMD_ACTIVATE_LAST) ||
      (id >= CMD_RECENT_FIRST && id <= CMD_RECENT_LAST))
    return 1;
  switch (id) {
    case CMD_NEW_LAYOUT:
    case CMD_OPEN:
    case CMD_SAVE:
    case CMD_SAVE_AS:
    case CMD_EXPORT_TEXT:
    case CMD_EXPORT_PICTURE:
    case CMD_SAVE_SETTINGS:
    case CMD_LANGUAGE_FILE:
    case CMD_VARIANT_LANGUAGE_FILE:
    case CMD_HELP_FILE:
    case CMD_PROTECTION:
    case CMD_PICTURE_OPTIONS:
    case CMD_TEXT_EXPORT_OPTIONS:
    case CMD_LOG_OPTIONS:
    case CMD_COLOURS:
    case CMD_BACKGROUND_PICTURE:
    case CMD_LIST_USER_ELEMENTS:
    case CMD_LIST_USER_VEHICLES:
    case CMD_LIST_VEHICLE_FILES:
    case CMD_EXIT:
    case CMD_ZOOM_IN:
    case CMD_ZOOM_OUT:
    case CMD_TOGGLE_OVERLAY:
    case CMD_TOGGLE_SCROLLBARS:
    case CMD_LEVEL_UP:
    case CMD_LEVEL_DOWN:
    case CMD_RUN_TOGGLE:
    case CMD_NEW_VIEW:
    case CMD_CLOSE_VIEW:
    case CMD_NEXT_VIEW:
    case CMD_PREV_VIEW:
    case CMD_ARRANGE:
    case CMD_CLOCK_WINDOW:
    case CMD_FULL_WIDTH:
    case CMD_NEXT_INFO_POINT:
    case CMD_NEXT_LOG_POINT:
    case CMD_DISPATCHER_LIST:
    case CMD_LIST_DEPOTS:
    case CMD_DISPATCHER_OPTIONS:
    case CMD_DISPATCHER_KINDS1:
    case CMD_DISPATCHER_KINDS2:
    case CMD_DISPATCHER_KINDS3: return 1;
  }
  return 0;
}

int Cmd_MenuCommand(int id) { return Cmd_Run(id); }

int Cmd_Dispatch(int id, int source, int context) {
  // The cell context menu's commands act at the window's cursor once the
  // cell actions are in this build; until then they do nothing.
  if (context != 0) return 1;
  return Cmd_MenuCommand(id);
}

int Cmd_SwitchSignalAt(i32 x, i32 y, i32 level, int mode) {
  int r;
  u32 place = 0;
  const u32 depot = Dep_FindAtPosition(x, y, level, &place);
  if (depot) {
    // A depot place switches the installation its element references name.
    const i32 id = Dep_PlaceInstallation(depot, place);
    r = id == 0 ? 1 : (id < 0 || Sig_SwitchAt(-1, id, -1, mode) != 0) ? 3 : 0;
  } else {
    r = Sig_SwitchAt(x, y, level, mode) != 0 ? 3 : 0;
  }
  if (r > 0) Snd_RequestEvent0();
  return r;
}

// Keys: virtual keys as they are, characters as 0x100 | character.
enum { KEY_CHAR = 0x100 };
enum { VKEY_F4 = 0x73 };
enum { VKEY_PRIOR = 0x21, VKEY_NEXT = 0x22, VKEY_END = 0x23, VKEY_HOME = 0x24, VKEY_LEFT = 0x25, VKEY_UP = 0x26,
       VKEY_RIGHT = 0x27, VKEY_DOWN = 0x28 };

static int Cmd_MoveKey(int key) {
  const int v = Cmd_Active();
  if (v < 0) return 0;
  const MapView& m = g_mapViews[v];
  const i32 pageX = m.visWidth > 2 ? m.visWidth - 1 : 1, pageY = m.visHeight > 2 ? m.visHeight - 1 : 1;
  switch (key) {
    case VKEY_LEFT: Vwin_ScrollCells(v, -1, 0); return 1;
    case VKEY_RIGHT: Vwin_ScrollCells(v, 1, 0); return 1;
    case VKEY_UP: Vwin_ScrollCells(v, 0, -1); return 1;
    case VKEY_DOWN: Vwin_ScrollCells(v, 0, 1); return 1;
    case VKEY_PRIOR: Vwin_ScrollCells(v, 0, -pageY); return 1;
    case VKEY_NEXT: Vwin_ScrollCells(v, 0, pageY); return 1;
    case VKEY_HOME: Vwin_ScrollCells(v, -pageX, 0); return 1;
    case VKEY_END: Vwin_ScrollCells(v, pageX, 0); return 1;
  }
  return 0;
}

static void Cmd_RedrawViews(int pictureOnly) {
  for (int v = 0; v < MAP_VIEWS; ++v)
    if (g_mapViews[v].window && (!pictureOnly || g_mapViews[v].mode == MAP_MODE_PICTURE)) Map_RedrawView(v);
}

// Ctrl with a letter: the letter's place in text 921 selects the toggle;
// places whose owner is not in this build are not taken.
enum { CTRL_ANIMATION = 0, CTRL_DAYLIGHT = 2, CTRL_OVERLAY_OFF = 3, CTRL_VIEW_OVERLAY = 8 };

int Cmd_CtrlLetter(int letter) {
  const wch* table = Lng_GetText(921);
  int slot = -1;
  for (int i = 0; i < 18 && table[i]; ++i)
    if (table[i] == wch(letter)) {
      slot = i;
      break;
    }
  switch (slot) {
    case CTRL_ANIMATION:
      // Off drops the placed symbols; on places those the views show again,
      // each at a random step of its cycle.
      Mcs_SetAnimationWord(Mcs_GetAnimationWord() ? 0u : u32(MCS_ANIM_ALL));
      Mcs_Revalidate(-1, nullptr);
      Cmd_RedrawViews(1);
      return 1;
    case CTRL_DAYLIGHT:
      g_daylight.enabled = !g_daylight.enabled;
      g_sprOptions.lighting = g_daylight.enabled ? (g_sprOptions.lighting | 1) : (g_sprOptions.lighting & ~1);
      Disp_UpdateDaylightPhase();
      Cmd_RedrawViews(1);
      return 1;
    case CTRL_OVERLAY_OFF:
      Disp_SetDisplayPause(!Disp_GetDisplayPause());
      if (!Disp_GetDisplayPause()) Cmd_RedrawViews(0);
      return 1;
    case CTRL_VIEW_OVERLAY:
      Vwin_ToggleOverlay();
      return 1;
  }
  return 0;
}

// Alt with a letter: the letter's place in text 920 ("-" marks a place
// without a command); places whose owner is not in this build are not taken.
enum { ALT_DISPATCHER = 0, ALT_RUN = 1, ALT_NEXT_INFO = 2, ALT_NEXT_LOG = 3 };

int Cmd_AltLetter(int letter) {
  const wch* table = Lng_GetText(920);
  int slot = -1;
  for (int i = 0; i < 4 && table[i]; ++i)
    if (table[i] != u'-' && table[i] == wch(letter)) {
      slot = i;
      break;
    }
  if (slot == ALT_RUN) {
    Cmd_ToggleRun();
    return 1;
  }
  if (slot == ALT_DISPATCHER) {
    Dmsg_ShowList();
    return 1;
  }
  if (slot == ALT_NEXT_INFO || slot == ALT_NEXT_LOG) {
    Cmd_NextPoint(slot == ALT_NEXT_LOG);
    return 1;
  }
  return 0;
}

// F4 at the active view's cursor: alone toggles, with Ctrl switches off,
// with Shift on.
static int Cmd_SignalKey(int modifiers, int inView) {
  const int mode = modifiers == 0 ? 2 : modifiers == CMD_MOD_CTRL ? 0 : modifiers == CMD_MOD_SHIFT ? 1 : -1;
  const int v = Cmd_Active();
  if (mode < 0 || !inView || v < 0) return 0;
  const MapView& m = g_mapViews[v];
  if (m.cursorX < 0 || m.cursorY < 0) return 0;
  Cmd_SwitchSignalAt(m.cursorX, m.cursorY, m.level, mode);
  return 1;
}

int Cmd_KeyHandler(int key, int modifiers, int inView) {
  if (key == VKEY_F4) return Cmd_SignalKey(modifiers, inView);
  if (modifiers == CMD_MOD_CTRL && key >= 'A' && key <= 'Z') return Cmd_CtrlLetter(key);
  if (modifiers == CMD_MOD_ALT && key >= 'A' && key <= 'Z') return Cmd_AltLetter(key);
  if (modifiers & (CMD_MOD_CTRL | CMD_MOD_ALT)) return 0;
  switch (key) {
    case KEY_CHAR | '+':
    case KEY_CHAR | '=': Clk_SetSpeed(-1); return 1;
    case KEY_CHAR | '-': Clk_SetSpeed(-2); return 1;
    case KEY_CHAR | '*': Cmd_MenuCommand(CMD_ZOOM_IN); return 1;
    case KEY_CHAR | '/': Cmd_MenuCommand(CMD_ZOOM_OUT); return 1;
  }
  return Cmd_MoveKey(key);
}

// The view menus and the window titles on Windows: texts into menu items
// and popup captions, grey and check marks, titles into windows.
#include <windows.h>

#include "platform/lng.h"
#include "render/map.h"
#include "shell/app.h"
#include "shell/cmd.h"
#include "shell/file.h"
#include "shell/menu.h"
#include "resources/resid.h"

#ifdef ORBA_VIEWER
static const int kViewerBuild = 1;
#else
static const int kViewerBuild = 0;
#endif

// The menu of view slot 0..5; null when the slot has no window or menu.
static HMENU Menu_OfSlot(int slot) {
  if (slot < 0 || slot >= MAP_VIEWS || !g_mapViews[slot].window) return nullptr;
  return GetMenu(static_cast<HWND>(g_mapViews[slot].window));
}

// The menu that holds the popup a path names: the menu bar, or a popup of
// it. Null when it is missing.
static HMENU Menu_ParentOfPath(HMENU bar, int path) {
  int top = (path >> 8) & 0xFF;
  return top == 0 ? bar : GetSubMenu(bar, top - 1);
}

static HMENU Menu_PopupOfPath(HMENU bar, int path) {
  HMENU parent = Menu_ParentOfPath(bar, path);
  int inner = path & 0xFF;
  return parent && inner > 0 ? GetSubMenu(parent, inner - 1) : nullptr;
}

// Sets the text of the item at a position, keeping its other states.
static void Menu_SetTextAt(HMENU menu, int position, TextId text) {
  MENUITEMINFOW mi = {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_STRING;
  mi.dwTypeData = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(Lng_GetText(text)));
  SetMenuItemInfoW(menu, UINT(position), TRUE, &mi);
}

static void Menu_SetItemTextIn(int slot, int path, int id, u32 text) {
  HMENU bar = Menu_OfSlot(slot);
  HMENU popup = bar ? Menu_PopupOfPath(bar, path) : nullptr;
  if (!popup) return;
  int n = GetMenuItemCount(popup);
  for (int i = 0; i < n; ++i) {
    if (GetMenuItemID(popup, i) != UINT(id)) continue;
    Menu_SetTextAt(popup, i, text & ~u32(MENU_NO_REDRAW));
    if (!(text & MENU_NO_REDRAW)) DrawMenuBar(static_cast<HWND>(g_mapViews[slot].window));
    return;
  }
}

void Menu_SetItemText(int slot, int path, int id, u32 text) {
  if (slot != MENU_ALL_SLOTS_TEXT) {
    Menu_SetItemTextIn(slot, path, id, text);
    return;
  }
  for (int s = 0; s < MAP_VIEWS; ++s) Menu_SetItemTextIn(s, path, id, text);
}

void Menu_SetPopupTexts(int slot) {
  HMENU bar = Menu_OfSlot(slot);
  if (!bar) return;
  for (int i = 0; i < g_menuPopupCount; ++i) {
    HMENU parent = Menu_ParentOfPath(bar, g_menuPopups[i].path);
    int inner = g_menuPopups[i].path & 0xFF;
    if (parent && inner > 0 && inner <= GetMenuItemCount(parent))
      Menu_SetTextAt(parent, inner - 1, g_menuPopups[i].text);
  }
  DrawMenuBar(static_cast<HWND>(g_mapViews[slot].window));
}

void Menu_FillViewMenu(int slot) {
  if (!Menu_OfSlot(slot)) return;
  for (int i = 0; i < g_menuItemCount; ++i) {
    const MenuItemText& m = g_menuItems[i];
    Menu_SetItemText(slot, m.path, m.id, m.text | MENU_NO_REDRAW);
    Menu_Enable(m.id, slot, Cmd_HasOwner(m.id) ? 0 : 1);
  }
  Menu_SetPopupTexts(slot);
  Menu_RecentBuild(slot);
}

// Applies a change to the menu of one slot or, for -1, of every slot.
template <typename F>
static void Menu_ForSlots(int slot, F change) {
  for (int s = 0; s < MAP_VIEWS; ++s) {
    if (slot != MENU_ALL_SLOTS && s != slot) continue;
    HMENU menu = Menu_OfSlot(s);
    if (menu) change(menu);
  }
}

void Menu_Enable(int id, int slot, int disable) {
  Menu_ForSlots(slot, [&](HMENU menu) { EnableMenuItem(menu, UINT(id), MF_BYCOMMAND | (disable ? MF_GRAYED : MF_ENABLED)); });
}

void Menu_Check(int id, int slot, int check) {
  Menu_ForSlots(slot, [&](HMENU menu) { CheckMenuItem(menu, UINT(id), MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED)); });
}

// ---------------------------------------------------------------- recent files
// The entries follow Exit at the end of the File popup, behind a separator
// of their own that goes with the last of them.
static void Menu_RecentBuildIn(HMENU bar, HWND window) {
  HMENU file = GetSubMenu(bar, 0);
  if (!file) return;
  for (int id = CMD_RECENT_FIRST; id <= CMD_RECENT_LAST; ++id) DeleteMenu(file, UINT(id), MF_BYCOMMAND);
  int n = GetMenuItemCount(file);
  if (n > 0 && (GetMenuState(file, UINT(n - 1), MF_BYPOSITION) & MF_SEPARATOR)) DeleteMenu(file, UINT(n - 1), MF_BYPOSITION);
  const int count = File_OptRecentFiles(-1) & 0x7FFF;
  int added = 0;
  for (int i = 0; i < count && i < MENU_RECENT_SLOTS; ++i) {
    const wch* path = Menu_RecentSlot(i);
    if (!path[0]) continue;
    if (!added++) AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    wch text[2 * MENU_RECENT_LEN + 8];
    Menu_RecentText(i, path, text, 2 * MENU_RECENT_LEN + 8);
    AppendMenuW(file, MF_STRING, UINT_PTR(CMD_RECENT_FIRST + i), reinterpret_cast<LPCWSTR>(text));
  }
  DrawMenuBar(window);
}

void Menu_RecentBuild(int slot) {
  for (int s = 0; s < MAP_VIEWS; ++s) {
    if (slot != MENU_ALL_SLOTS && s != slot) continue;
    HMENU bar = Menu_OfSlot(s);
    if (bar) Menu_RecentBuildIn(bar, static_cast<HWND>(g_mapViews[s].window));
  }
}

// ---------------------------------------------------------------- titles
static void Menu_SetTitleOf(void* window, int which) {
  if (!window) return;
  wch title[OS_MAX_PATH + 128];
  if (Menu_ComposeTitle(which, kViewerBuild, title, OS_MAX_PATH + 128) == 0)
    SetWindowTextW(static_cast<HWND>(window), reinterpret_cast<LPCWSTR>(title));
}

void Menu_SetWindowTitles(int which) {
  if (which == -1 || which == MENU_TITLE_FRAME) Menu_SetTitleOf(g_appFrame, MENU_TITLE_FRAME);
  if (which == MENU_TITLE_FRAME) return;
  // The frame is the status window; there is no main window of its own, so
  // which = 0 has nothing to change.
  for (int n = 1; n <= MAP_VIEWS; ++n)
    if (which == -1 || which == n) Menu_SetTitleOf(g_mapViews[n - 1].window, n);
}

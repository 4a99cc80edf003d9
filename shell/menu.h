// View menus and window titles: the texts of every view window's menu from
// the language file, enabled and checked states, and the titles of the
// frame and the views.
//
// Owns the one table that gives each command of the view menu (menu
// resource 1) its popup and its text, and the table of the twelve popup
// captions. Composing a title is portable; putting texts into menus and
// titles into windows is done by menu_win32.cpp (menu_posix.cpp stands in
// natively and changes nothing). Missing windows, menus, popups or items
// are skipped without a message. Main thread.
#pragma once
#include "platform/lng.h"
#include "platform/types.h"

// A menu path: the high byte is the position (from 1) of a popup of the
// menu bar, or 0 for the menu bar itself; the low byte the position (from 1)
// of a popup inside it. Separators count as positions.
enum { MENU_PATH_FILE = 0x0001, MENU_PATH_EDIT = 0x0002, MENU_PATH_VIEW = 0x0003, MENU_PATH_TRAINS = 0x0004,
       MENU_PATH_OPERATION = 0x0005, MENU_PATH_WINDOWS = 0x0006, MENU_PATH_HELP = 0x0007,
       MENU_PATH_ADDON_FILES = 0x0108, MENU_PATH_SEARCH = 0x0203, MENU_PATH_CLOCK = 0x0507,
       MENU_PATH_DISPATCHER = 0x050E, MENU_PATH_LANGUAGE = 0x050F };
// Flag of Menu_SetItemText's text: the menu bar is not redrawn. The menus'
// texts are numbered below it.
enum { MENU_NO_REDRAW = 0x8000 };
// View slot arguments: every slot (Menu_SetItemText), every slot (the others).
enum { MENU_ALL_SLOTS_TEXT = -2, MENU_ALL_SLOTS = -1 };

// One command of the view menu: the popup that holds it, its text, and for
// the five commands whose text follows a state (overlay, scroll bars,
// simulation run, full width, clock window) the text while that state is
// on; 0 for the others.
struct MenuItemText {
  u16 path;
  u16 id;
  u16 text;
  u16 textOn;
};
struct MenuPopupText {
  u16 path;
  u16 text;
};
extern const MenuItemText g_menuItems[];
extern const int g_menuItemCount;
extern const MenuPopupText g_menuPopups[];
extern const int g_menuPopupCount;

// The text of a command's item (on: its state is on), 0 when the view menu
// has no such command.
TextId Menu_ItemTextId(int id, int on);

// ---------------------------------------------------------------- menus (Windows)
// Fills the menu of view slot 0..5: the popup captions and every item's
// text from the language file, then greys each command without an owner in
// this build (Cmd_HasOwner). Items whose text follows a state get the text
// of the state off; the menu state set when the menu opens renews them.
void Menu_FillViewMenu(int slot);
// In the popup that path names, the item with that command id gets the
// text (text | MENU_NO_REDRAW: the menu bar is not redrawn). slot 0..5 or
// MENU_ALL_SLOTS_TEXT.
void Menu_SetItemText(int slot, int path, int id, u32 text);
// The twelve popup captions of slot 0..5, then the menu bar is redrawn.
void Menu_SetPopupTexts(int slot);
// Enables (disable 0) or greys (1) a command in view slot's menu, -1 all.
void Menu_Enable(int id, int slot, int disable);
// Checks or unchecks a command likewise.
void Menu_Check(int id, int slot, int check);

// ---------------------------------------------------------------- recent files
// RecentFiles: 32 slots of 260 units, newest first; an empty slot starts
// with a zero. Shown as commands 272..303 at the end of the File popup.
enum { MENU_RECENT_SLOTS = 32, MENU_RECENT_LEN = 260 };
// Puts path at the top: an equal entry (case and leading blanks ignored) in
// slots 0..30 moves up, else slot 31 drops out. A path of 260 units or more
// is cut to 259. Null empties every slot.
void Menu_RecentAdd(const wch* path);
// 0 and the path of command id (272..303) into buf (260 units); 1 when the
// id lies outside or the entry is empty.
int Menu_RecentGet(wch* buf, int id);
// Slot i's path (empty for a slot outside 0..31).
const wch* Menu_RecentSlot(int i);
// The menu text of slot i: "&<digit> path" for 0..9, "<i> path" after, every
// '&' of the path doubled; cut to size units.
void Menu_RecentText(int i, const wch* path, wch* buf, int size);
// Replaces the recent-file commands at the end of the File popup of view
// slot 0..5 (-1 every view) by the first File_OptRecentFiles entries.
void Menu_RecentBuild(int slot);

// ---------------------------------------------------------------- titles
// which: -2 the frame (the status window), 0 the main window, 1..6 view
// slot which-1 (open or not).
enum { MENU_TITLE_FRAME = -2, MENU_TITLE_MAIN = 0 };
// Composes the title of one window into buf (size units, always
// terminated); viewer: the viewer's form, with its product text. The
// product word, "(2)" in a second instance, the layout file in the layouts
// folder, its modified mark, and a view's number and scale (picture
// scale:1, schematic 1:2*scale, overview 1:32*scale). 0 done, 1 which out
// of range.
int Menu_ComposeTitle(int which, int viewer, wch* buf, int size);
// -2 the frame, -1 frame and every view, 0 the main window (this program
// has none: nothing changes), 1..6 view n-1; each in this build's form.
void Menu_SetWindowTitles(int which);

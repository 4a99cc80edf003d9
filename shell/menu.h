// View menus and window titles: the texts of every view window's menu from
// the language file, enabled and checked states, and the titles of the
// frame and the views.
#pragma once
#include "platform/types.h"

// Fills the menu of view slot 0..5 with its texts and greys the commands
// that have no owner in this build.
void Menu_FillViewMenu(int slot);
// Enables (disable 0) or greys (1) a command in view slot's menu, -1 all.
void Menu_Enable(int id, int slot, int disable);
// Checks or unchecks a command likewise.
void Menu_Check(int id, int slot, int check);
// -2 the frame, -1 frame and every view, 0 the main window, 1..6 view n-1.
void Menu_SetWindowTitles(int which);

// Natively there are no menus or windows: the calls change nothing. The
// tables and the titles' composition (menu.cpp) are the same as on Windows.
#include "shell/menu.h"

void Menu_FillViewMenu(int slot) {}
void Menu_SetItemText(int slot, int path, int id, u32 text) {}
void Menu_SetPopupTexts(int slot) {}
void Menu_Enable(int id, int slot, int disable) {}
void Menu_Check(int id, int slot, int check) {}
void Menu_SetWindowTitles(int which) {}
void Menu_RecentBuild(int slot) {}

#include "shell/menu.h"

void Menu_FillViewMenu(int slot) {}
void Menu_Enable(int id, int slot, int disable) {}
void Menu_Check(int id, int slot, int check) {}
void Menu_SetWindowTitles(int which) {}

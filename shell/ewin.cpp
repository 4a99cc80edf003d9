#include "shell/ewin.h"

int SimRunFlag;
static int g_layoutModified;

void Ewin_SetModified(void) { g_layoutModified = 1; }

void Ewin_ClearModified(void) { g_layoutModified = 0; }

int Ewin_IsModified(void) { return g_layoutModified; }

int Ewin_RunStop(int mode) {
  switch (mode) {
    case EWIN_RUN_TOGGLE:
      SimRunFlag = !SimRunFlag;
      break;
    case EWIN_RUN_STOP:
      SimRunFlag = 0;
      break;
    case EWIN_RUN_START:
      SimRunFlag = 1;
      break;
    default:
      break;
  }
  return SimRunFlag;
}

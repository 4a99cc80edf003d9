#include "shell/ewin.h"

#include "render/map.h"
#include "shell/vwin.h"

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

i32 Ewin_CentredOrigin(i32 p, i32 o, i32 w) {
  if (p < o + w / 8 + 1) return p - w / 2 >= 1 ? p - w / 2 : 0;
  if (p > o + w - w / 8 - 2) return p - w / 2 + 1 < 32768 - w ? p - w / 2 + 1 : 32768 - w;
  return o;
}

int Ewin_CentreOnCell(int slot, i32 x, i32 y, i32 level) {
  if (x < 0 || x > 32767 || y < 0 || y > 32767 || level < -4 || level > 0) return 0;
  if (slot < 0 || slot >= MAP_VIEWS || !g_mapViews[slot].window) return 0;
  MapView& m = g_mapViews[slot];
  i32 cols, rows;
  Vwin_SizeInCells(m.mode, m.scale, m.clientWidth, m.clientHeight, &cols, &rows);
  m.originX = Ewin_CentredOrigin(x, m.originX, cols);
  m.originY = Ewin_CentredOrigin(y, m.originY, rows);
  m.pixOffX = 0;
  m.pixOffY = 0;
  m.cursorX = x;
  m.cursorY = y;
  m.level = level;
  Map_UpdateVisible(slot);
  Vwin_PlatformShowPosition(slot);
  Map_RedrawView(slot);
  return 1;
}

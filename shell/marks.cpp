#include "shell/marks.h"

#include "platform/str.h"

static PositionMark g_marks[MARK_COUNT];
static i32 g_homeX = 1024, g_homeY = 1024, g_homeLevel = 0;
static i32 g_sel[6] = {MARK_CLEAR_XY, MARK_CLEAR_XY, 0, 0, MARK_CLEAR_XY, MARK_CLEAR_XY};
static int g_selShown;

void Ewin_ClearMarks(void) {
  for (PositionMark& m : g_marks) {
    m.x = m.y = MARK_CLEAR_XY;
    m.level = 0;
    m.alarm = 0;
    m.name[0] = 0;
  }
}

int Ewin_GetMark(int index, i32* x, i32* y, PackedWeekTime* alarm, wch* name, i32* level) {
  if (index < 0 || index >= MARK_COUNT) return 1;
  const PositionMark& m = g_marks[index];
  if (x) *x = m.x;
  if (y) *y = m.y;
  if (level) *level = m.level;
  if (alarm) *alarm = m.alarm;
  if (name) Str_Copy(name, m.name);
  return 0;
}

int Ewin_SetMark(int index, i32 x, i32 y, PackedWeekTime alarm, const wch* name, i32 level) {
  if (index < 0 || index >= MARK_COUNT) return 1;
  PositionMark& m = g_marks[index];
  m.x = x;
  m.y = y;
  m.level = level;
  m.alarm = alarm;
  i32 n = 0;
  if (name)
    while (n < MARK_NAME_MAX && name[n]) {
      m.name[n] = name[n];
      ++n;
    }
  m.name[n] = 0;
  return 0;
}

void Ewin_GetHome(i32* x, i32* y, i32* level) {
  if (x) *x = g_homeX;
  if (y) *y = g_homeY;
  if (level) *level = g_homeLevel;
}

void Ewin_SetHome(i32 x, i32 y, i32 level) {
  g_homeX = x;
  g_homeY = y;
  g_homeLevel = level;
}

void Ewin_GetSelection(i32* x1, i32* y1, i32* level1, i32* level2, i32* y2, i32* x2) {
  if (x1) *x1 = g_sel[0];
  if (y1) *y1 = g_sel[1];
  if (level1) *level1 = g_sel[2];
  if (level2) *level2 = g_sel[3];
  if (y2) *y2 = g_sel[4];
  if (x2) *x2 = g_sel[5];
}

static bool Ewin_InGrid(i32 v) { return v >= 0 && v <= 32767; }
static bool Ewin_InLevels(i32 v) { return v >= -4 && v <= 0; }

int Ewin_SetSelection(i32 x1, i32 y1, i32 level1, i32 level2, i32 y2, i32 x2) {
  if (!Ewin_InGrid(x1) || !Ewin_InGrid(y1) || !Ewin_InGrid(x2) || !Ewin_InGrid(y2) || !Ewin_InLevels(level1) ||
      !Ewin_InLevels(level2))
    return 1;
  g_sel[0] = x1;
  g_sel[1] = y1;
  g_sel[2] = level1;
  g_sel[3] = level2;
  g_sel[4] = y2;
  g_sel[5] = x2;
  return 0;
}

int Ewin_SelectionShown(int op) {
  if (op == EWIN_SEL_SHOW) g_selShown = 1;
  else if (op == EWIN_SEL_HIDE) g_selShown = 0;
  return g_selShown;
}

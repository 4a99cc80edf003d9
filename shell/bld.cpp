#include "shell/bld.h"

static i32 g_lastLineX, g_lastLineY;

void Bld_GetLastLineEnd(i32* x, i32* y) {
  if (x) *x = g_lastLineX;
  if (y) *y = g_lastLineY;
}

void Bld_SetLastLineEnd(i32 x, i32 y) {
  g_lastLineX = x;
  g_lastLineY = y;
}

#include "render/cursor.h"

CursorState g_cursorState = {CUR_NORMAL, 0};

int Cur_SetState(int s) {
  CursorState& c = g_cursorState;
  int before = c.state;
  switch (s) {
    case CUR_NORMAL:
    case CUR_FIXED:
      c.state = s;
      break;
    case CUR_WAIT_BEGIN:
      c.waitCount++;
      break;
    case CUR_WAIT_END:
      // An unmatched end must not leave the count below zero, or the next
      // begin would not show the wait cursor.
      if (c.waitCount > 0) c.waitCount--;
      break;
    default:
      break;
  }
  return before;
}

int Cur_GetState(void) { return g_cursorState.state; }

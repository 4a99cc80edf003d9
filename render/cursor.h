// Mouse cursors of the layout views: the state word (40 normal, 41 fixed)
// and the nested wait cursor that long operations begin (42) and end (43).
//
// Owns the CursorState. Wait cursors nest: only the first begin shows the
// wait cursor and only the last end takes it away again.
#pragma once
#include "platform/types.h"

enum { CUR_NORMAL = 40, CUR_FIXED = 41, CUR_WAIT_BEGIN = 42, CUR_WAIT_END = 43 };

struct CursorState {
  int state;      // CUR_NORMAL or CUR_FIXED
  int waitCount;  // open wait cursors
};
extern CursorState g_cursorState;

// 40, 41, 42 or 43; any other value changes nothing. Returns the state word
// before the call.
int Cur_SetState(int s);
int Cur_GetState(void);

#include "render/cursor.h"

// Natively there is no mouse cursor to set; the state is kept all the same.
int Cur_Init(void) {
  g_cursorState.state = CUR_NORMAL;
  g_cursorState.styleIndex = CUR_IDX_NORMAL;
  g_cursorState.shown = CUR_IDX_NORMAL;
  g_cursorState.initialised = 1;
  return 0;
}
void Cur_Free(void) { g_cursorState.initialised = 0; }
void Cur_Show(int index) { (void)index; }
int Cur_PlatformMouse(void* window, i32* mx, i32* my, i32* width, i32* height) {
  (void)window, (void)mx, (void)my, (void)width, (void)height;
  return 0;
}

#include <windows.h>

#include "render/cursor.h"

// The CursorTable: own cursors 1..11 made from the drawn shapes, the system
// arrow, sizing and "no" cursors shared with the system.
static HCURSOR g_cursors[CUR_TABLE];

int Cur_Init(void) {
  if (!GetSystemMetrics(SM_MOUSEPRESENT)) return 2;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  static const int own[11] = {CUR_IDX_NORMAL, CUR_IDX_FIXED, CUR_IDX_WAIT, 4, 5, 6, 7, 8, 9, 10, 11};
  for (int n = 1; n <= 11; ++n) {
    u8 andMask[128], xorMask[128];
    int hx, hy;
    Cur_DrawShape(n, andMask, xorMask, &hx, &hy);
    g_cursors[own[n - 1]] = CreateCursor(inst, hx, hy, 32, 32, andMask, xorMask);
  }
  g_cursors[CUR_IDX_ARROW] = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  g_cursors[CUR_IDX_SIZE_WE] = LoadCursorW(nullptr, MAKEINTRESOURCEW(32644));
  g_cursors[CUR_IDX_SIZE_NS] = LoadCursorW(nullptr, MAKEINTRESOURCEW(32645));
  g_cursors[CUR_IDX_NO] = LoadCursorW(nullptr, MAKEINTRESOURCEW(32648));
  g_cursorState.state = CUR_NORMAL;
  g_cursorState.styleIndex = CUR_IDX_NORMAL;
  g_cursorState.shown = CUR_IDX_NORMAL;
  g_cursorState.initialised = 1;
  return 0;
}

void Cur_Free(void) {
  if (!g_cursorState.initialised) return;
  static const int own[11] = {CUR_IDX_NORMAL, CUR_IDX_FIXED, CUR_IDX_WAIT, 4, 5, 6, 7, 8, 9, 10, 11};
  for (int i : own) {
    if (g_cursors[i]) DestroyCursor(g_cursors[i]);
    g_cursors[i] = nullptr;
  }
  g_cursorState.initialised = 0;
}

void Cur_Show(int index) {
  if (!g_cursorState.initialised || index < 0 || index >= CUR_TABLE || !g_cursors[index]) return;
  SetCursor(g_cursors[index]);
}

int Cur_PlatformMouse(void* window, i32* mx, i32* my, i32* width, i32* height) {
  HWND w = static_cast<HWND>(window);
  POINT p;
  RECT rc;
  if (!w || !GetCursorPos(&p) || !ScreenToClient(w, &p) || !GetClientRect(w, &rc)) return 0;
  *mx = p.x;
  *my = p.y;
  *width = rc.right - rc.left;
  *height = rc.bottom - rc.top;
  return 1;
}

// The layout view windows on Windows: creation and destruction, the window
// procedure EditWndProc, the buffers of the presentation and the paint and
// pacer threads of each view. The decisions live in vwin.cpp.
#include <windows.h>
#include <windowsx.h>

#include "platform/heap.h"
#include "render/cursor.h"
#include "render/dc.h"
#include "render/map.h"
#include "render/overlay.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/cmd.h"
#include "shell/menu.h"
#include "shell/shell_win32.h"
#include "shell/vwin.h"

// Caption, system menu, sizing frame, minimise and maximise boxes, both
// scroll bars.
static const DWORD kViewStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL;

static HWND ViewWindow(int slot) { return static_cast<HWND>(g_mapViews[slot].window); }
static void* SlotArg(int slot) { return reinterpret_cast<void*>(static_cast<intptr_t>(slot)); }
static int ArgSlot(void* arg) { return static_cast<int>(reinterpret_cast<intptr_t>(arg)); }

// ---------------------------------------------------------------- threads

// One frame: the back buffer as it is now, the overlay passes over it, the
// result in the window. Skipped whenever a lock is busy; the next release
// of the semaphore tries again.
static void Vwin_PresentFrame(int slot) {
  VwinSlot& s = g_vwinSlots[slot];
  MapView& m = g_mapViews[slot];
  if (!m.dirty || !m.ready || !m.window || m.showState == VWIN_SHOW_MINIMISED || !m.back) return;
  if (!Os_LockTryEnter(&s.presentLock)) return;
  if (!Os_LockTryEnter(&m.lock)) {
    Os_LockLeave(&s.presentLock);
    return;
  }
  // After a failed resize the buffers may differ in size: only what both hold.
  const i32 w = m.backWidth < s.bitmapWidth ? m.backWidth : s.bitmapWidth;
  const i32 h = m.backHeight < s.bitmapHeight ? m.backHeight : s.bitmapHeight;
  if (s.copy)
    for (i32 y = 0; y < h; ++y) Asm_CopyDwords(s.copy + i64(y) * s.bitmapWidth, m.back + i64(y) * m.backWidth, u32(w));
  // Cleared while the buffer lock is held, so that a cell drawn after the
  // copy marks the view again and is not lost.
  m.dirty = 0;
  Os_LockLeave(&m.lock);
  if (s.copy && m.memDC && s.windowDC) {
    SchBuf b = {s.copy, s.bitmapWidth, s.bitmapHeight};
    Map_BlitToDC(m.memDC, 0, 0, b.width, b.height, &b);
    Map_PaintOverlays(slot);
    BitBlt(static_cast<HDC>(s.windowDC), 0, 0, s.bitmapWidth, s.bitmapHeight, static_cast<HDC>(m.memDC), 0, 0,
           SRCCOPY);
    GdiFlush();
  }
  Os_LockLeave(&s.presentLock);
}

static unsigned Vwin_PaintThread(void* arg) {
  const int slot = ArgSlot(arg);
  VwinSlot& s = g_vwinSlots[slot];
  for (;;) {
    Os_WaitForSingleObject(s.semaphore, OS_INFINITE);
    if (s.quit) return 0;
    Vwin_PresentFrame(slot);
  }
}

static unsigned Vwin_PacerThread(void* arg) {
  const int slot = ArgSlot(arg);
  VwinSlot& s = g_vwinSlots[slot];
  while (!s.quit) {
    Os_ReleaseSemaphore(s.semaphore, 1);
    const u32 ms = Vwin_RefreshInterval();
    // The followed view paints as soon as the followed train moved it.
    if (g_followedViewSlot == slot && g_simSemaphore)
      Os_WaitForSingleObject(g_simSemaphore, i32(ms));
    else
      Os_Sleep(ms);
  }
  return 0;
}

// Ends the pacer, then the paint thread, and waits for each.
static void Vwin_StopThreads(int slot) {
  VwinSlot& s = g_vwinSlots[slot];
  s.quit = 1;
  if (s.pacerThread) {
    for (; s.pacerSuspended > 0; --s.pacerSuspended) Os_ResumeThread(s.pacerThread);
    Os_WaitForSingleObject(s.pacerThread, OS_INFINITE);
    Os_CloseHandle(s.pacerThread);
    s.pacerThread = nullptr;
  }
  s.pacerSuspended = 0;
  if (s.paintThread) {
    Os_ReleaseSemaphore(s.semaphore, 1);
    Os_WaitForSingleObject(s.paintThread, OS_INFINITE);
    Os_CloseHandle(s.paintThread);
    s.paintThread = nullptr;
  }
}

void Vwin_SuspendPresent(int mode) {
  for (int slot = 0; slot < VWIN_SLOTS; ++slot) {
    VwinSlot& s = g_vwinSlots[slot];
    if (mode == 0) {
      if (s.pacerThread && Os_SuspendThread(s.pacerThread) >= 0) s.pacerSuspended++;
      if (s.paintThread) {
        Os_LockEnter(&s.presentLock);
        s.presentHeld++;
      }
    } else {
      if (s.presentHeld > 0) {
        Os_LockLeave(&s.presentLock);
        s.presentHeld--;
      }
      if (s.pacerSuspended > 0 && s.pacerThread) {
        Os_ResumeThread(s.pacerThread);
        s.pacerSuspended--;
      }
    }
  }
}

// ---------------------------------------------------------------- buffers

int Vwin_ResizeBuffers(int slot, i32 width, i32 height, int redraw) {
  if (slot < 0 || slot >= VWIN_SLOTS || !g_mapViews[slot].window || width < 1 || height < 1) return 1;
  VwinSlot& s = g_vwinSlots[slot];
  MapView& m = g_mapViews[slot];
  Os_LockEnter(&s.presentLock);
  Os_LockEnter(&m.lock);
  HDC windowDC = static_cast<HDC>(s.windowDC);
  if (!m.memDC) m.memDC = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = nullptr;
  u32* copy = nullptr;
  const int newCopy = !s.copy || s.bitmapWidth != width || s.bitmapHeight != height;
  if (newCopy) {
    bitmap = CreateCompatibleBitmap(windowDC, width, height);
    copy = static_cast<u32*>(Heap_Alloc(u32(width) * u32(height) * 4));
  }
  if (!m.memDC || (newCopy && (!bitmap || !copy)) || Vwin_SizeBackBuffer(slot, width, height) != 0) {
    if (bitmap) DeleteObject(bitmap);
    if (copy) Heap_Free(copy);
    Os_LockLeave(&m.lock);
    Os_LockLeave(&s.presentLock);
    return 1;
  }
  HBITMAP oldBitmap = nullptr;
  u32* oldCopy = nullptr;
  if (newCopy) {
    HGDIOBJ was = SelectObject(static_cast<HDC>(m.memDC), bitmap);
    if (!s.oldBitmap) s.oldBitmap = was;
    oldBitmap = static_cast<HBITMAP>(s.bitmap);
    oldCopy = s.copy;
    s.bitmap = bitmap;
    s.copy = copy;
    s.bitmapWidth = width;
    s.bitmapHeight = height;
  }
  Os_LockLeave(&m.lock);
  if (redraw) Map_RedrawView(slot);
  Os_LockLeave(&s.presentLock);
  if (oldBitmap) DeleteObject(oldBitmap);
  if (oldCopy) Heap_Free(oldCopy);
  return 0;
}

// Everything of the presentation: the copy, the bitmap, the memory device
// context and the window's device context.
static void Vwin_FreePresentation(HWND window, int slot) {
  VwinSlot& s = g_vwinSlots[slot];
  MapView& m = g_mapViews[slot];
  if (s.copy) Heap_Free(s.copy);
  s.copy = nullptr;
  if (m.memDC) {
    if (s.oldBitmap) SelectObject(static_cast<HDC>(m.memDC), s.oldBitmap);
    DeleteDC(static_cast<HDC>(m.memDC));
    m.memDC = nullptr;
  }
  if (s.bitmap) DeleteObject(static_cast<HBITMAP>(s.bitmap));
  s.bitmap = s.oldBitmap = nullptr;
  s.bitmapWidth = s.bitmapHeight = 0;
  if (s.windowDC) ReleaseDC(window, static_cast<HDC>(s.windowDC));
  s.windowDC = nullptr;
}

// ---------------------------------------------------------------- creation and end

static void Vwin_StopEdgeScroll(HWND window) {
  g_appEdgeScrollBits = 0;
  if (GetCapture() == window) ReleaseCapture();
}

// The end of a view, also of one whose creation was refused half-way: the
// threads end before anything they touch is freed.
static void Vwin_EndView(HWND window, int slot) {
  VwinSlot& s = g_vwinSlots[slot];
  MapView& m = g_mapViews[slot];
  Vwin_StopEdgeScroll(window);
  m.dirty = m.ready = 0;
  Os_LockEnter(&m.lock);
  Vwin_StopThreads(slot);
  m.window = nullptr;
  Vwin_ReleaseSlot(slot);
  Vwin_FreePresentation(window, slot);
  if (s.semaphore) Os_CloseHandle(s.semaphore);
  s.semaphore = nullptr;
  for (; s.presentHeld > 0; --s.presentHeld) Os_LockLeave(&s.presentLock);
  Os_LockDestroy(&s.presentLock);
  Os_LockLeave(&m.lock);
  Map_CloseView(slot);
}

// WM_CREATE: the first free slot takes the window, with its locks,
// semaphore and threads. -1 refuses the window.
static LRESULT Vwin_OnCreate(HWND window) {
  const int slot = Vwin_FirstFreeSlot();
  if (slot < 0) return -1;
  VwinSlot& s = g_vwinSlots[slot];
  MapView& m = g_mapViews[slot];
  const i32 cursorX = m.cursorX, cursorY = m.cursorY;
  const int valid = Vwin_ValidScale(m.mode, m.scale);  // else a slot that never had a view
  if (Map_OpenView(slot, window, valid ? m.mode : MAP_MODE_PICTURE, valid ? m.scale : 1, m.originX, m.originY,
                   m.level, 0, 0) != 0)
    return -1;
  m.cursorX = cursorX;
  m.cursorY = cursorY;
  m.showState = VWIN_SHOW_NORMAL;
  s.quit = 0;
  s.pacerSuspended = s.presentHeld = 0;
  Os_LockCreate(&s.presentLock);
  s.windowDC = GetDC(window);
  s.semaphore = Os_CreateSemaphore(0, 1);
  if (s.semaphore) s.paintThread = Os_StartThread(Vwin_PaintThread, SlotArg(slot), 1);
  if (s.paintThread) s.pacerThread = Os_StartThread(Vwin_PacerThread, SlotArg(slot), 1);
  if (!s.pacerThread) {
    Vwin_EndView(window, slot);
    return -1;
  }
  SetFocus(window);
  SetScrollRange(window, SB_HORZ, 0, VWIN_GRID_CELLS - 1, FALSE);
  SetScrollRange(window, SB_VERT, 0, VWIN_GRID_CELLS - 1, FALSE);
  return 0;
}

// The work area, and the part of it below the frame.
static void Vwin_WorkArea(RECT* work, RECT* views) {
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, work, 0)) SetRect(work, 0, 0, 1024, 768);
  *views = *work;
  RECT frame;
  HWND f = static_cast<HWND>(g_appFrame);
  if (f && IsWindowVisible(f) && GetWindowRect(f, &frame) && frame.bottom > work->top && frame.bottom < work->bottom)
    views->top = frame.bottom;
}

int Vwin_Create(int scale) {
  const int slot = Vwin_FirstFreeSlot();
  if (slot < 0) return 2;
  VwinSlot& s = g_vwinSlots[slot];
  MapView& m = g_mapViews[slot];
  if (scale != 0) {
    m.mode = MAP_MODE_PICTURE;
    m.scale = scale == 2 ? 2 : 1;
  }
  const int remembered = s.rectLeft != -1 && s.rectRight > s.rectLeft && s.rectBottom > s.rectTop;
  VwinRect r = {s.rectLeft, s.rectTop, s.rectRight - s.rectLeft, s.rectBottom - s.rectTop};
  if (!remembered) {
    RECT work, area;
    Vwin_WorkArea(&work, &area);
    r = Vwin_DefaultRect(slot, area.left, area.top, area.right - area.left, area.bottom - area.top);
  }
  HINSTANCE instance = g_appInstance ? static_cast<HINSTANCE>(g_appInstance) : GetModuleHandleW(nullptr);
  HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDM_VIEW_MENU));
  HWND window = CreateWindowExW(0, ORBA_CLASS_VIEW, L"", kViewStyle, r.x, r.y, r.width, r.height,
                                static_cast<HWND>(g_appFrame), menu, instance, nullptr);
  if (!window) {
    if (menu) DestroyMenu(menu);
    return 1;
  }
  s.history = static_cast<u32*>(Heap_Alloc(VWIN_HISTORY_WORDS * 4));
  s.historyCount[0] = s.historyCount[1] = 0;
  RECT client;
  GetClientRect(window, &client);
  if (!s.history || Vwin_ResizeBuffers(slot, client.right + 1, client.bottom + 1, 0) != 0) {
    DestroyWindow(window);
    return 3;
  }
  Menu_SetWindowTitles(slot + 1);
  Menu_FillViewMenu(slot);
  Menu_Check(Vwin_ZoomMenuId(m.mode, m.scale), slot, 1);
  if (!s.scrollBarsShown) ShowScrollBar(window, SB_BOTH, FALSE);
  ShowWindow(window, SW_SHOWNORMAL);
  Vwin_KeepCursorInView(slot);
  Vwin_PlatformShowPosition(slot);
  if (slot == 0 && !remembered) Vwin_ArrangeWindows(0, 0);
  if (Vwin_FirstFreeSlot() < 0) Menu_Enable(CMD_NEW_VIEW, -1, 1);
  return 0;
}

int Vwin_Close(int slot) {
  if (slot < 0 || slot >= VWIN_SLOTS) return 2;
  HWND window = ViewWindow(slot);
  if (!window) return 1;
  DestroyWindow(window);
  Menu_Enable(CMD_NEW_VIEW, -1, 0);
  return 0;
}

int Vwin_Activate(int n) {
  const int target = Vwin_ActivationTarget(n);
  if (target == -2) return -2;
  const int before = g_activeViewSlot;
  HWND window = target >= 0 ? ViewWindow(target) : static_cast<HWND>(g_appFrame);
  if (window) {
    SetActiveWindow(window);
    SetFocus(window);
  }
  return before;
}

void Vwin_PlatformShowPosition(int slot) {
  if (slot < 0 || slot >= VWIN_SLOTS || !g_vwinSlots[slot].scrollBarsShown) return;
  HWND window = ViewWindow(slot);
  if (!window) return;
  SetScrollPos(window, SB_HORZ, g_mapViews[slot].cursorX, TRUE);
  SetScrollPos(window, SB_VERT, g_mapViews[slot].cursorY, TRUE);
}

// ---------------------------------------------------------------- arrangement

void Vwin_ArrangeWindows(int keepFrameTop, int showFrame) {
  RECT work, unused;
  Vwin_WorkArea(&work, &unused);
  const i32 L = work.left, T = work.top, W = work.right - work.left, H = work.bottom - work.top;
  i32 frameHeight = 0;
  HWND frame = static_cast<HWND>(g_appFrame);
  if (frame) {
    if (showFrame) ShowWindow(frame, SW_SHOWNORMAL);
    RECT fr;
    GetWindowRect(frame, &fr);
    frameHeight = fr.bottom - fr.top;
    i32 x, width;
    Vwin_FramePlacement(g_vwinFullWidth, L, W, &x, &width);
    MoveWindow(frame, x, keepFrameTop ? fr.top : T, width, frameHeight, showFrame);
    if (g_vwinFrameHooks.frameMoved) g_vwinFrameHooks.frameMoved();
  }
  if (keepFrameTop) return;
  int slots[VWIN_SLOTS], n = 0;
  for (int slot = 0; slot < VWIN_SLOTS; ++slot)
    if (ViewWindow(slot)) slots[n++] = slot;
  VwinRect rects[VWIN_SLOTS];
  if (Vwin_ArrangeRects(n, L, T + frameHeight, W, H - frameHeight, rects) != 0) return;
  for (int i = 0; i < n; ++i) {
    HWND window = ViewWindow(slots[i]);
    if (IsIconic(window) || IsZoomed(window)) ShowWindow(window, SW_RESTORE);
    MoveWindow(window, rects[i].x, rects[i].y, rects[i].width, rects[i].height, TRUE);
  }
}

// ---------------------------------------------------------------- window procedure

static void Vwin_RememberRect(HWND window, int slot) {
  if (IsIconic(window) || IsZoomed(window)) return;  // the normal place is what is kept
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  VwinSlot& s = g_vwinSlots[slot];
  s.rectLeft = r.left;
  s.rectTop = r.top;
  s.rectRight = r.right;
  s.rectBottom = r.bottom;
}

static void Vwin_OnSize(HWND window, int slot, WPARAM kind, LPARAM size) {
  MapView& m = g_mapViews[slot];
  if (kind == SIZE_MINIMIZED)
    m.showState = VWIN_SHOW_MINIMISED;
  else if (kind == SIZE_MAXIMIZED)
    m.showState = VWIN_SHOW_MAXIMISED;
  else if (kind == SIZE_RESTORED)
    m.showState = VWIN_SHOW_NORMAL;
  else
    return;
  Vwin_RememberRect(window, slot);
  // Until Vwin_Create has made the buffers there is nothing to resize.
  if (m.showState == VWIN_SHOW_MINIMISED || !g_vwinSlots[slot].copy) return;
  const i32 width = LOWORD(size), height = HIWORD(size);
  if (width < 1 || height < 1) return;
  Vwin_ResizeBuffers(slot, width, height, 0);  // a failure keeps drawing into the old buffers
  Vwin_FitToClient(slot);
}

static void Vwin_OnActivate(HWND window, int slot, WPARAM state) {
  g_mapViews[slot].dirty = 1;  // the cursor mark shows only in the active view
  if (LOWORD(state) == WA_INACTIVE) return;
  Vwin_NoteActivated(slot);
  SetFocus(window);
}

static void Vwin_OnMinMaxInfo(MINMAXINFO* mm) {
  i32 minW, minH, maxW, maxH;
  Vwin_TrackingLimits(GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CYHSCROLL),
                      GetSystemMetrics(SM_CYCAPTION), &minW, &minH, &maxW, &maxH);
  mm->ptMinTrackSize = {minW, minH};
  mm->ptMaxTrackSize = {maxW, maxH};
  // A maximised view fills the screen as the system sizes it, never more
  // than the limit.
  if (mm->ptMaxSize.x > maxW) mm->ptMaxSize.x = maxW;
  if (mm->ptMaxSize.y > maxH) mm->ptMaxSize.y = maxH;
}

// Closing the last view by its close box ends the program through the
// frame, which asks about unsaved changes first.
static void Vwin_OnClose(HWND window) {
  if (Vwin_OpenCount() == 1 && g_appFrame)
    PostMessageW(static_cast<HWND>(g_appFrame), WM_CLOSE, 0, 0);
  else
    DestroyWindow(window);
}

static int Vwin_Modifiers(LPARAM keyData) {
  return (GetKeyState(VK_CONTROL) < 0 ? CMD_MOD_CTRL : 0) | (GetKeyState(VK_SHIFT) < 0 ? CMD_MOD_SHIFT : 0) |
         ((keyData >> 29) & 1 ? CMD_MOD_ALT : 0);
}

static LRESULT Vwin_OnKeyDown(HWND window, UINT message, WPARAM key, LPARAM keyData) {
  if (key == VK_SHIFT || key == VK_CONTROL) return 0;
  if (Cmd_KeyHandler(int(key), Vwin_Modifiers(keyData), 1)) return 0;
  return DefWindowProcW(window, message, key, keyData);
}

static void Vwin_OnChar(WPARAM ch, LPARAM keyData) {
  const int numPad = GetKeyState(VK_ADD) < 0 || GetKeyState(VK_SUBTRACT) < 0 || GetKeyState(VK_MULTIPLY) < 0 ||
                     GetKeyState(VK_DIVIDE) < 0;
  int key, mods;
  if (Vwin_CharKey(u32(ch), numPad, Vwin_Modifiers(keyData), 1, &key, &mods)) Cmd_KeyHandler(key, mods, 1);
}

// Scroll bars and the wheel act only on the active, visible view.
static int Vwin_TakesScrolling(HWND window) { return GetActiveWindow() == window && !IsIconic(window); }

static void Vwin_OnScroll(HWND window, int slot, int vertical, WPARAM request) {
  if (!Vwin_TakesScrolling(window)) return;
  Vwin_OnScrollBar(slot, vertical, LOWORD(request), HIWORD(request));
}

static void Vwin_OnMouseWheel(HWND window, int slot, WPARAM wp) {
  if (!Vwin_TakesScrolling(window)) return;
  Vwin_OnWheel(slot, GET_WHEEL_DELTA_WPARAM(wp), (GET_KEYSTATE_WPARAM(wp) & MK_CONTROL) != 0);
}

static int Vwin_EdgeScrollOn(void) { return Cur_GetFlags() & 1; }

static void Vwin_StartEdgeScroll(HWND window, int bits) {
  g_appEdgeScrollBits = bits;
  SetCapture(window);
}

// A right press in an edge strip of the client starts edge scrolling.
static void Vwin_OnRightDown(HWND window, LPARAM at) {
  if (!Vwin_EdgeScrollOn()) return;
  RECT rc;
  GetClientRect(window, &rc);
  const int bits = Cur_EdgeZone(GET_X_LPARAM(at), GET_Y_LPARAM(at), rc.right, rc.bottom);
  if (bits) Vwin_StartEdgeScroll(window, bits);
}

// A right press on the window's frame scrolls toward that side.
static LRESULT Vwin_OnNcRightDown(HWND window, UINT message, WPARAM hit, LPARAM at) {
  const int bits = Vwin_EdgeScrollOn() ? Vwin_EdgeBitsOfHit(int(hit)) : 0;
  if (!bits) return DefWindowProcW(window, message, hit, at);
  Vwin_StartEdgeScroll(window, bits);
  return 0;
}

static LRESULT Vwin_OnSetCursor(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (LOWORD(lp) != HTCLIENT) return DefWindowProcW(window, message, wp, lp);
  Cur_OnSetCursor(window, 0);
  return TRUE;
}

static void Vwin_OnDestroy(HWND window, int slot) { Vwin_EndView(window, slot); }

LRESULT CALLBACK EditWndProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_CREATE) return Vwin_OnCreate(window);
  const int slot = Vwin_SlotOfWindow(window);
  if (slot < 0) return DefWindowProcW(window, message, wp, lp);
  switch (message) {
    case WM_DESTROY: Vwin_OnDestroy(window, slot); return 0;
    case WM_CLOSE: Vwin_OnClose(window); return 0;
    case WM_SIZE: Vwin_OnSize(window, slot, wp, lp); return 0;
    case WM_MOVE: Vwin_RememberRect(window, slot); return 0;
    case WM_ACTIVATE: Vwin_OnActivate(window, slot, wp); return 0;
    case WM_GETMINMAXINFO: Vwin_OnMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_PAINT: Map_OnViewPaint(slot); return 0;
    case WM_ERASEBKGND: return 1;  // the paint thread covers the whole client
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return Vwin_OnKeyDown(window, message, wp, lp);
    case WM_CHAR: Vwin_OnChar(wp, lp); return 0;
    case WM_COMMAND: Cmd_MenuCommand(LOWORD(wp)); return 0;
    case WM_HSCROLL: Vwin_OnScroll(window, slot, 0, wp); return 0;
    case WM_VSCROLL: Vwin_OnScroll(window, slot, 1, wp); return 0;
    case WM_MOUSEWHEEL: Vwin_OnMouseWheel(window, slot, wp); return 0;
    case WM_SETCURSOR: return Vwin_OnSetCursor(window, message, wp, lp);
    case WM_MOUSEMOVE: Cur_OnSetCursor(window, 0); return 0;
    case WM_RBUTTONDOWN: Vwin_OnRightDown(window, lp); return 0;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK: return Vwin_OnNcRightDown(window, message, wp, lp);
    case WM_RBUTTONUP: Vwin_StopEdgeScroll(window); return 0;
    case WM_NCRBUTTONUP:
      if (!g_appEdgeScrollBits) return DefWindowProcW(window, message, wp, lp);
      Vwin_StopEdgeScroll(window);
      return 0;
    case WM_CAPTURECHANGED: g_appEdgeScrollBits = 0; return 0;
    default: return DefWindowProcW(window, message, wp, lp);
  }
}

void Vwin_PlatformShowScrollBars(int slot, int shown) {
  HWND w = static_cast<HWND>(g_mapViews[slot].window);
  if (!w) return;
  ShowScrollBar(w, SB_BOTH, shown ? TRUE : FALSE);
  if (shown) Vwin_PlatformShowPosition(slot);
}

// The layout view windows on Windows: real view windows of the view class
// with EditWndProc, owned by a hidden frame, over the graphics store. Each
// test waits for conditions (a frame presented, a message handled) with a
// generous bound while it pumps the thread's messages.
#include <windows.h>

#include "render/cursor.h"
#include "render/dc.h"
#include "shell/app.h"
#include "shell/shell_win32.h"
#include "shell/vwin.h"
#include "tests/render_fixture.h"

namespace {

int g_frameCloses;

LRESULT CALLBACK TestFrameProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    g_frameCloses++;  // the program's frame would ask about saving here
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// Pumps messages until the condition holds; false after ten seconds.
template <class F>
bool WaitFor(F condition) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
    Pump();
    if (condition()) return true;
    Sleep(5);
  }
  return condition();
}

struct VwinWindow : RenderStore {
  HWND frame = nullptr;

  static void SetUpTestSuite() {
    RenderStore::SetUpTestSuite();
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW fc = {};
    fc.lpfnWndProc = TestFrameProc;
    fc.hInstance = inst;
    fc.lpszClassName = L"OrbaTestFrame";
    RegisterClassW(&fc);
    WNDCLASSW vc = {};
    vc.style = CS_OWNDC | CS_DBLCLKS;
    vc.lpfnWndProc = EditWndProc;
    vc.hInstance = inst;
    vc.lpszClassName = ORBA_CLASS_VIEW;
    RegisterClassW(&vc);
  }

  void SetUp() override {
    RenderStore::SetUp();
    for (i32 y = 0; y < 64; ++y)
      for (i32 x = 0; x < 64; ++x) Grid_SetCell(x, y, 0, u32((x * 7 + y * 3) % 5) * 1024u);
    Vwin_ClearSlots();
    Vwin_FrameRate(60);
    g_frameCloses = 0;
    frame = CreateWindowExW(0, L"OrbaTestFrame", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 120, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    // Wine without a display makes no windows.
    if (!frame) GTEST_SKIP() << "no window can be made here";
    g_appFrame = frame;
  }

  void TearDown() override {
    Vwin_CloseAll();
    if (frame) DestroyWindow(frame);
    g_appFrame = nullptr;
    Pump();
    Vwin_ClearSlots();
    Vwin_FrameRate(-2);
    RenderStore::TearDown();
  }

  static HWND Window(int slot) { return static_cast<HWND>(g_mapViews[slot].window); }
  static SIZE Client(int slot) {
    RECT r;
    GetClientRect(Window(slot), &r);
    return SIZE{r.right, r.bottom};
  }
  // The paint of the window made the view ready and the paint thread took
  // the back buffer as it is now.
  static bool Presented(int slot) {
    const MapView& m = g_mapViews[slot];
    return m.ready && !m.dirty;
  }
  // That frame has reached the window: the paint thread left the present
  // lock, which it holds until its copy to the window is done.
  static bool WaitPresented(int slot) {
    Pump();
    if (!WaitFor([slot] { return Presented(slot); })) return false;
    Os_LockEnter(&g_vwinSlots[slot].presentLock);
    Os_LockLeave(&g_vwinSlots[slot].presentLock);
    return true;
  }
};

TEST_F(VwinWindow, SixViewsOpenAndASeventhIsRefused) {
  for (int i = 0; i < VWIN_SLOTS; ++i) {
    ASSERT_EQ(0, Vwin_Create(i == 1 ? 2 : 0)) << i;
    HWND w = Window(i);
    ASSERT_NE(nullptr, w);
    EXPECT_EQ(i, Vwin_SlotOfWindow(w));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(frame, GetWindow(w, GW_OWNER));
    const VwinSlot& s = g_vwinSlots[i];
    EXPECT_NE(nullptr, s.paintThread);
    EXPECT_NE(nullptr, s.pacerThread);
    EXPECT_NE(nullptr, s.history);
    EXPECT_NE(nullptr, g_mapViews[i].memDC);
    EXPECT_NE(nullptr, g_mapViews[i].back);
  }
  EXPECT_EQ(2, g_mapViews[1].scale) << "scale 2 asked for";
  EXPECT_EQ(1, g_mapViews[0].scale);
  EXPECT_EQ(2, Vwin_Create(0));
  EXPECT_EQ(0, Vwin_Close(3));
  EXPECT_EQ(1, Vwin_Close(3));
  EXPECT_EQ(2, Vwin_Close(6));
  ASSERT_EQ(0, Vwin_Create(0));
  EXPECT_NE(nullptr, Window(3)) << "the freed slot is taken again";
}

TEST_F(VwinWindow, EachViewPresentsItsBackBuffer) {
  ASSERT_EQ(0, Vwin_Create(0));
  ASSERT_EQ(0, Vwin_Create(0));
  Vwin_ArrangeWindows(0, 0);  // side by side, neither covering the other
  for (int slot = 0; slot < 2; ++slot) {
    g_mapViews[slot].dirty = 1;  // a frame after the arrangement
    ASSERT_TRUE(WaitPresented(slot)) << slot;
    // Nothing is presented while the comparison reads the memory bitmap.
    Os_LockEnter(&g_vwinSlots[slot].presentLock);
    // The window shows what the memory bitmap holds, pixel for pixel in the
    // display's own format.
    HDC window = GetDC(Window(slot));
    HDC memory = static_cast<HDC>(g_mapViews[slot].memDC);
    const SIZE c = Client(slot);
    int differ = 0;
    for (i32 y = 3; y < c.cy; y += 37)
      for (i32 x = 5; x < c.cx; x += 41) differ += GetPixel(window, x, y) != GetPixel(memory, x, y);
    ReleaseDC(Window(slot), window);
    EXPECT_EQ(0, differ) << slot;
    // On a true-colour display the bitmap holds the back buffer's colours.
    if (GetDeviceCaps(memory, BITSPIXEL) >= 24) {
      const MapView& m = g_mapViews[slot];
      int wrong = 0, shown = 0;
      for (i32 y = 3; y < c.cy; y += 37)
        for (i32 x = 5; x < c.cx; x += 41) {
          u32 want = m.back[y * m.backWidth + x] & 0xFFFFFFu;
          wrong += Map_RgbToBuf(GetPixel(memory, x, y)) != want;
          shown += want != 0;
        }
      EXPECT_EQ(0, wrong) << slot;
      EXPECT_LT(0, shown) << "the layout is drawn, not an empty buffer";
    }
    Os_LockLeave(&g_vwinSlots[slot].presentLock);
  }
}

TEST_F(VwinWindow, BuffersAreMadeAnewOnlyWhenTheSizeChanges) {
  ASSERT_EQ(0, Vwin_Create(0));
  HWND w = Window(0);
  const VwinSlot& s = g_vwinSlots[0];
  const MapView& m = g_mapViews[0];
  SIZE c = Client(0);
  EXPECT_EQ(c.cx, m.clientWidth) << "the arrangement sized the view";
  EXPECT_EQ(c.cx, m.backWidth);
  EXPECT_EQ(c.cy, m.backHeight);
  EXPECT_EQ(c.cx, s.bitmapWidth);
  EXPECT_EQ(c.cy, s.bitmapHeight);
  const u32* back = m.back;
  const u32* copy = s.copy;
  const void* bitmap = s.bitmap;
  RECT r;
  GetWindowRect(w, &r);
  MoveWindow(w, r.left + 7, r.top + 5, r.right - r.left, r.bottom - r.top, TRUE);
  Pump();
  EXPECT_EQ(back, m.back) << "a move keeps the buffers";
  EXPECT_EQ(copy, s.copy);
  EXPECT_EQ(bitmap, s.bitmap);
  EXPECT_EQ(r.left + 7, s.rectLeft) << "and is remembered";
  EXPECT_EQ(r.top + 5, s.rectTop);

  MoveWindow(w, r.left, r.top, r.right - r.left + 40, r.bottom - r.top + 30, TRUE);
  Pump();
  c = Client(0);
  EXPECT_EQ(c.cx, m.backWidth);
  EXPECT_EQ(c.cy, m.backHeight);
  EXPECT_EQ(c.cx, s.bitmapWidth);
  EXPECT_EQ(c.cy, s.bitmapHeight);
  EXPECT_EQ(r.right + 40, s.rectRight);
  EXPECT_TRUE(WaitPresented(0)) << "the grown view is painted again";

  // The buffers as they are cannot change size behind the view's back.
  back = m.back;
  EXPECT_EQ(0, Vwin_ResizeBuffers(0, c.cx, c.cy, 1));
  EXPECT_EQ(back, m.back);
  EXPECT_EQ(1, m.ready) << "redrawn at once";
  EXPECT_EQ(1, Vwin_ResizeBuffers(0, 0, c.cy, 0));
  EXPECT_EQ(c.cx, s.bitmapWidth) << "a refused size keeps the old buffers";
}

TEST_F(VwinWindow, ClosingEndsBothThreadsAndFreesTheSlot) {
  ASSERT_EQ(0, Vwin_Create(0));
  ASSERT_EQ(0, Vwin_Create(0));
  ASSERT_TRUE(WaitPresented(1));
  HANDLE threads[2];
  const VwinSlot& s = g_vwinSlots[1];
  HANDLE self = GetCurrentProcess();
  ASSERT_TRUE(DuplicateHandle(self, s.paintThread, self, &threads[0], SYNCHRONIZE, FALSE, 0));
  ASSERT_TRUE(DuplicateHandle(self, s.pacerThread, self, &threads[1], SYNCHRONIZE, FALSE, 0));
  EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(threads[0], 0));
  EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(threads[1], 0));
  EXPECT_EQ(0, Vwin_Close(1));
  EXPECT_EQ(DWORD(WAIT_OBJECT_0), WaitForSingleObject(threads[0], 0)) << "ended before the close returned";
  EXPECT_EQ(DWORD(WAIT_OBJECT_0), WaitForSingleObject(threads[1], 0));
  CloseHandle(threads[0]);
  CloseHandle(threads[1]);
  EXPECT_EQ(nullptr, g_mapViews[1].window);
  EXPECT_EQ(nullptr, g_mapViews[1].back);
  EXPECT_EQ(nullptr, g_mapViews[1].memDC);
  EXPECT_EQ(nullptr, g_mapViews[1].lock.impl);
  EXPECT_EQ(nullptr, s.presentLock.impl);
  EXPECT_EQ(nullptr, s.semaphore);
  EXPECT_EQ(nullptr, s.copy);
  EXPECT_EQ(nullptr, s.history);
  EXPECT_NE(1, g_activeViewSlot);
  EXPECT_NE(1, g_lastViewSlot);
  g_mapViews[0].dirty = 1;
  EXPECT_TRUE(WaitPresented(0)) << "the other view goes on";
}

// A lock another thread tries: 1 when it could be taken.
struct TryFromThread {
  OsLock* lock;
  int taken;
  static unsigned Run(void* p) {
    TryFromThread* t = static_cast<TryFromThread*>(p);
    t->taken = Os_LockTryEnter(t->lock);
    if (t->taken) Os_LockLeave(t->lock);
    return 0;
  }
  int Try() {
    taken = -1;
    OsHandle h = Os_StartThread(Run, this, 1);
    Os_WaitForSingleObject(h, OS_INFINITE);
    Os_CloseHandle(h);
    return taken;
  }
};

TEST_F(VwinWindow, SuspendedDrawingHoldsThePresentLocksAndResumes) {
  ASSERT_EQ(0, Vwin_Create(0));
  ASSERT_TRUE(WaitPresented(0));
  VwinSlot& s = g_vwinSlots[0];
  TryFromThread other{&s.presentLock, -1};
  EXPECT_TRUE(WaitFor([&other] { return other.Try() == 1; })) << "free between frames";
  Vwin_SuspendPresent(0);
  EXPECT_EQ(1, s.presentHeld);
  EXPECT_EQ(1, s.pacerSuspended);
  EXPECT_EQ(0, other.Try()) << "the paint thread cannot present";
  Vwin_SuspendPresent(1);
  EXPECT_EQ(0, s.presentHeld);
  EXPECT_EQ(0, s.pacerSuspended);
  EXPECT_TRUE(WaitFor([&other] { return other.Try() == 1; }));
  g_mapViews[0].dirty = 1;
  EXPECT_TRUE(WaitPresented(0)) << "frames come again";

  // A view closed while drawing is suspended still ends its threads.
  Vwin_SuspendPresent(0);
  EXPECT_EQ(0, Vwin_Close(0));
  EXPECT_EQ(nullptr, s.pacerThread);
  EXPECT_EQ(nullptr, s.paintThread);
  Vwin_SuspendPresent(1);
  EXPECT_EQ(0, s.presentHeld);
}

TEST_F(VwinWindow, ZoomChangesTheCellsShownAndPaintsAgain) {
  ASSERT_EQ(0, Vwin_Create(0));
  ASSERT_TRUE(WaitPresented(0));
  MapView& m = g_mapViews[0];
  const i32 width = m.backWidth, cellsAcross = m.visWidth;
  EXPECT_EQ(0, Vwin_SetZoom(0, 2, 1));
  EXPECT_EQ(2, m.mode);
  EXPECT_EQ(width, m.backWidth) << "a zoom keeps the pixel size";
  EXPECT_EQ(width * 1 / 16 + 1, m.visWidth);
  EXPECT_NE(cellsAcross, m.visWidth);
  EXPECT_TRUE(WaitPresented(0));
  EXPECT_EQ(0, Vwin_ZoomOut(0));
  EXPECT_EQ(2, m.scale);
  EXPECT_EQ(2, Vwin_SetZoom(0, 2, 2));
  EXPECT_EQ(0, Vwin_SetZoom(0, 3, 64));
  EXPECT_EQ(5, Vwin_ZoomOut(0));
  EXPECT_TRUE(WaitPresented(0));
}

TEST_F(VwinWindow, CloseBoxOfTheLastViewGoesToTheFrame) {
  ASSERT_EQ(0, Vwin_Create(0));
  ASSERT_EQ(0, Vwin_Create(0));
  SendMessageW(Window(1), WM_CLOSE, 0, 0);
  EXPECT_EQ(nullptr, g_mapViews[1].window) << "another view remains: only this one closes";
  EXPECT_EQ(0, g_frameCloses);
  HWND last = Window(0);
  SendMessageW(last, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([] { return g_frameCloses == 1; }));
  EXPECT_TRUE(IsWindow(last)) << "the frame decides";
}

TEST_F(VwinWindow, RightPressAtAnEdgeScrollsUntilReleased) {
  ASSERT_EQ(0, Vwin_Create(0));
  HWND w = Window(0);
  const SIZE c = Client(0);
  const u32 flags = Cur_GetFlags();
  Cur_SetFlags(9);
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, c.cy / 2));
  EXPECT_EQ(1, g_appEdgeScrollBits);
  EXPECT_EQ(w, GetCapture());
  SendMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(3, c.cy / 2));
  EXPECT_EQ(0, g_appEdgeScrollBits);
  EXPECT_NE(w, GetCapture());
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(c.cx - 2, c.cy - 2));
  EXPECT_EQ(2 | 8, g_appEdgeScrollBits);
  SendMessageW(w, WM_RBUTTONUP, 0, 0);
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(c.cx / 2, c.cy / 2));
  EXPECT_EQ(0, g_appEdgeScrollBits) << "the middle does not scroll";
  SendMessageW(w, WM_NCRBUTTONDOWN, HTCAPTION, 0);
  EXPECT_EQ(4, g_appEdgeScrollBits);
  SendMessageW(w, WM_NCRBUTTONUP, HTCAPTION, 0);
  EXPECT_EQ(0, g_appEdgeScrollBits);
  Cur_SetFlags(8);
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, c.cy / 2));
  EXPECT_EQ(0, g_appEdgeScrollBits) << "edge scrolling off";
  Cur_SetFlags(flags);
}

TEST_F(VwinWindow, ActivationAndScrollBarsOfTheActiveView) {
  ASSERT_EQ(0, Vwin_Create(0));
  ASSERT_EQ(0, Vwin_Create(0));
  Vwin_Activate(0);
  Pump();
  ASSERT_EQ(0, g_activeViewSlot);
  Vwin_Activate(-2);
  Pump();
  EXPECT_EQ(1, g_activeViewSlot);
  EXPECT_EQ(0, g_lastViewSlot);
  HWND w = Window(1);
  EXPECT_EQ(w, GetActiveWindow());
  MapView& m = g_mapViews[1];
  const i32 y = m.originY;
  SendMessageW(w, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(y + 1, m.originY);
  SendMessageW(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5000), 0);
  EXPECT_EQ(5000, m.cursorX);
  EXPECT_EQ(5000, GetScrollPos(w, SB_HORZ)) << "the thumb follows the cursor";
  const i32 other = g_mapViews[0].originY;
  SendMessageW(Window(0), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(other, g_mapViews[0].originY) << "a view that is not active does not scroll";
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(y, m.originY);
}

TEST_F(VwinWindow, TrackingLimitsOfTheWindow) {
  ASSERT_EQ(0, Vwin_Create(0));
  MINMAXINFO mm = {};
  mm.ptMaxSize = {100000, 100000};
  SendMessageW(Window(0), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
  i32 minW, minH, maxW, maxH;
  Vwin_TrackingLimits(GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CYHSCROLL),
                      GetSystemMetrics(SM_CYCAPTION), &minW, &minH, &maxW, &maxH);
  EXPECT_EQ(minW, mm.ptMinTrackSize.x);
  EXPECT_EQ(minH, mm.ptMinTrackSize.y);
  EXPECT_EQ(maxW, mm.ptMaxTrackSize.x);
  EXPECT_EQ(maxH, mm.ptMaxTrackSize.y);
  EXPECT_EQ(maxW, mm.ptMaxSize.x);
}

}  // namespace

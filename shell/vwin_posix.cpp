// Natively no window exists: a view slot is opened by Map_OpenView with a
// stand-in window, so that the portable decisions run on real slots. There
// are no threads, no presentation and no arrangement.
#include "render/map.h"
#include "shell/vwin.h"

int Vwin_Create(int scale) {
  (void)scale;
  return Vwin_FirstFreeSlot() < 0 ? 2 : 1;
}

int Vwin_Close(int slot) {
  if (slot < 0 || slot >= VWIN_SLOTS) return 2;
  if (!g_mapViews[slot].window) return 1;
  g_mapViews[slot].window = nullptr;
  Vwin_ReleaseSlot(slot);
  Map_CloseView(slot);
  return 0;
}

int Vwin_Activate(int n) {
  int target = Vwin_ActivationTarget(n);
  if (target == -2) return -2;
  int before = g_activeViewSlot;
  if (target >= 0)
    Vwin_NoteActivated(target);
  else
    Vwin_NoteFrameActivated();
  return before;
}

int Vwin_ResizeBuffers(int slot, i32 width, i32 height, int redraw) {
  if (Vwin_SizeBackBuffer(slot, width, height) != 0) return 1;
  if (redraw) Map_RedrawView(slot);
  return 0;
}

void Vwin_ArrangeWindows(int keepFrameTop, int showFrame) {
  (void)keepFrameTop;
  (void)showFrame;
}

void Vwin_SuspendPresent(int mode) { (void)mode; }

void Vwin_PlatformShowPosition(int slot) { (void)slot; }

void Vwin_PlatformShowScrollBars(int slot, int shown) {}

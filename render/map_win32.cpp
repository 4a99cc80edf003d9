#include <windows.h>

#include "render/map.h"

void Map_PlatformInvalidate(void* window) {
  HWND w = static_cast<HWND>(window);
  if (!w || !IsWindow(w)) return;
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
}

#include "shell/views.h"

ViewSlot g_viewSlots[VIEW_SLOTS];

ViewSlot* Vwin_ActiveOrFirst(void) {
  const i32 s = (g_activeViewSlot >= 0 && g_activeViewSlot < VIEW_SLOTS) ? g_activeViewSlot : 0;
  return &g_viewSlots[s];
}

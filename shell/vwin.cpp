#include "shell/vwin.h"

VwinSlot g_vwinSlots[VWIN_SLOTS];
i32 g_activeViewSlot = -1;
i32 g_lastViewSlot = -1;
i32 g_followedViewSlot = -1;

#include "dialogs/rpask.h"

#include "dialogs/dfw_win32.h"
#include "resources/resid.h"

int RpAsk_Run(u8* bytes) { return Dfw_RunModal(nullptr, IDD_SHUNT_ASK, DlgF_Einfach, bytes); }

#include "dialogs/gfxwarn.h"

#include "dialogs/dfw_win32.h"
#include "resources/resid.h"

int GfxWarn_Run(u8* bytes) { return Dfw_RunModal(nullptr, IDD_GFX_WARNING, DlgF_Einfach, bytes); }

#include "dialogs/dmsgdlg.h"

// The native build shows no dialogs: each ends as cancelled.
int Dmsg_RunDialog(u32, DlgDesc*) { return DLG_RESULT_CANCEL; }

#include "dialogs/depdlg.h"

// The native build shows no dialogs: each ends as cancelled.
int Dep_RunDialog(u32, DlgDesc*) { return DLG_RESULT_CANCEL; }

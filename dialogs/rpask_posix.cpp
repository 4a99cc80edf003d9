#include "dialogs/rpask.h"

// The native build shows no dialogs: the question counts as closed.
int RpAsk_Run(u8*) { return 0; }

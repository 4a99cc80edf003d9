#include "shell/wire.h"

void Wire_InstallHooks(void) {}

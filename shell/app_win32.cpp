#include <windows.h>

#include "shell/app.h"

int App_WinMain(void* instance) { return 0; }

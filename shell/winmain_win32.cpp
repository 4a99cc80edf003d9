// The entry point of both programs; the viewer is the same sources built
// with ORBA_VIEWER.
#include <windows.h>

#include "shell/app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return App_WinMain(instance); }

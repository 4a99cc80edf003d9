// The native stand-ins of the shell's platform half: no windows, no queue.
#include "shell/app.h"

int App_PlatformProcessorClass(void) { return 1000; }

void App_PlatformStopBox(const wch* text, const wch* caption) {}

int App_PlatformInputPending(void) { return 0; }

void App_EdgeScroll(int bits) {}

void App_RequestExit(void) {}

int App_ClockWindow(int mode, i32* x, i32* y, i32* height, i32* width) { return 1; }
void App_SuspendDrawing(int mode) {}
int App_DrawingSuspended(void) { return 0; }
int App_PostSoundRequest(u32 wParam, u32 lParam) { return 0; }

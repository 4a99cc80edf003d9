#include "shell/app.h"

void* g_appInstance;
void* g_appFrame;
OsHandle g_simSemaphore;
int SecondInstanceFlag;
int StartupLanguage;
int TitleMode;
volatile int g_appEdgeScrollBits;

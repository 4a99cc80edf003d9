// The Windows front end of the message and info boxes: numbered message
// boxes from dialog templates 1 and 2, and the info-box windows of class
// "VQ_ORBAW32_3853_InfoBox". Start-up installs it with Msg_SetFrontEnd; the
// state of the boxes stays with the portable Msg_ module.
#pragma once
#include "platform/msg.h"

extern const MsgFrontEnd g_msgFrontEnd;

#ifdef _WIN32
#include <windows.h>
LRESULT CALLBACK InfoBoxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#endif

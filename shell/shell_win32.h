// Windows only: the window procedures of the shell's window classes and the
// message-filter hook, for the class registration at start-up.
#pragma once
#include <windows.h>

// Frame, title picture and clock (app_win32.cpp).
LRESULT CALLBACK StatusWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TitelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UhrWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FilterFunc(int code, WPARAM wParam, LPARAM lParam);
// Layout view (vwin_win32.cpp).
LRESULT CALLBACK EditWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Frame user messages.
enum { WM_APP_HOOKKEY = 1025, WM_APP_DLGKEY = 1026, WM_APP_DLGKEY2 = 1027, WM_APP_TICK = 1028, WM_APP_SOUND = 1029 };

// Window class names.
#define ORBA_CLASS_FRAME L"VQ_ORBAW32_3853_Status"
#define ORBA_CLASS_VIEW L"VQ_ORBAW32_3853_Edit"
#define ORBA_CLASS_INFOBOX L"VQ_ORBAW32_3853_InfoBox"
#define ORBA_CLASS_TITLE L"VQ_ORBAW32_3853_Titel"
#define ORBA_CLASS_CLOCK L"VQ_ORBAW32_3853_Uhr"
#define ORBA_MUTEX_NAME L"VQ_ORBAW32_3853_Mutex"

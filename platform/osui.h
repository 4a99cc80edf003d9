// Operating-system layer, windows half: the members that dialogs, controls,
// painting and message boxes call. Windows build only (included by the
// *_win32.cpp front ends); it takes the wide entry points always, since this
// build runs on the NT family only, and keeps the cut lengths callers rely
// on: 259 units in message boxes and in strings given to lists and combo
// boxes, 31999 in window texts set and 32000 in window texts read. A wrapper
// that cuts works on a copy: a caller's string is never written into.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include "platform/types.h"

enum { OS_ITEM_TEXT_MAX = 259, OS_WINDOW_TEXT_MAX = 32000 };

// ---------------------------------------------------------------- dialogs
INT_PTR Os_DialogBoxParam(u32 templateId, HWND owner, DLGPROC proc, LPARAM init);
BOOL Os_EndDialog(HWND dialog, INT_PTR code);
HWND Os_GetDlgItem(HWND dialog, int control);
int Os_GetDlgCtrlID(HWND control);
HWND Os_GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The strings of LB_ADDSTRING, LB_INSERTSTRING, LB_SELECTSTRING, LB_DIR,
// LB_FINDSTRING, LB_ADDFILE, LB_FINDSTRINGEXACT and CB_ADDSTRING are cut at
// 259 units; LB_GETTEXT is not supported (0 without a call). Note the order
// of the last two arguments.
LRESULT Os_SendDlgItemMessage(HWND dialog, int control, UINT message, LPARAM lParam, WPARAM wParam);
// A null text or a missing control: 0.
BOOL Os_SetDlgItemText(HWND dialog, int control, const wch* text);
UINT Os_GetDlgItemText(HWND dialog, int control, wch* buf, int size);
BOOL Os_SetDlgItemInt(HWND dialog, int control, UINT value, BOOL isSigned);
UINT Os_GetDlgItemInt(HWND dialog, int control, BOOL* ok, BOOL isSigned);
BOOL Os_CheckRadioButton(HWND dialog, int first, int last, int checked);
BOOL Os_CheckDlgButton(HWND dialog, int control, UINT check);
UINT Os_IsDlgButtonChecked(HWND dialog, int control);
BOOL Os_MapDialogRect(HWND dialog, RECT* rect);
// Text and caption longer than 259 units are cut; null counts as empty.
int Os_MessageBox(HWND owner, const wch* text, const wch* caption, UINT style);
BOOL Os_MessageBeep(UINT type);
void Os_InitCommonControls(void);
// The common dialogs: the colour chooser (TRUE when a colour was chosen,
// record->rgbResult then holds it), the font chooser (the face name must be
// shorter than 32 units, else FALSE without a call) and the file chooser
// (save: the save dialog, else the open dialog; TRUE when a name was chosen).
BOOL Os_ChooseColor(CHOOSECOLORW* record);
BOOL Os_ChooseFont(CHOOSEFONTW* record);
BOOL Os_GetFileName(OPENFILENAMEW* record, int save);

// ---------------------------------------------------------------- windows
// WM_SETTEXT cuts at 31999 units, WM_GETTEXT caps the maximum at 32000.
LRESULT Os_SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL Os_PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL Os_SetWindowText(HWND window, const wch* text);
BOOL Os_EnableWindow(HWND window, BOOL enable);
BOOL Os_IsWindowEnabled(HWND window);
BOOL Os_GetWindowRect(HWND window, RECT* rect);
BOOL Os_GetClientRect(HWND window, RECT* rect);
BOOL Os_ScreenToClient(HWND window, POINT* point);
HWND Os_SetFocus(HWND window);
HWND Os_GetFocus(void);
BOOL Os_InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL Os_UpdateWindow(HWND window);
BOOL Os_ShowWindow(HWND window, int show);
BOOL Os_DestroyWindow(HWND window);
HWND Os_CreateWindowEx(DWORD exStyle, const wchar_t* className, const wch* title, DWORD style, int x, int y,
                       int width, int height, HWND owner, HMENU menu, void* param);
HWND Os_GetDesktopWindow(void);
int Os_GetSystemMetrics(int index);
LRESULT Os_DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
SHORT Os_GetAsyncKeyState(int key);
BOOL Os_SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw);
int Os_SetScrollInfo(HWND window, int bar, const SCROLLINFO* info, BOOL redraw);
int Os_SetScrollPos(HWND window, int bar, int position, BOOL redraw);

// ---------------------------------------------------------------- painting
HDC Os_GetDC(HWND window);
int Os_ReleaseDC(HWND window, HDC dc);
HDC Os_BeginPaint(HWND window, PAINTSTRUCT* ps);
BOOL Os_EndPaint(HWND window, const PAINTSTRUCT* ps);
int Os_SetBkMode(HDC dc, int mode);
COLORREF Os_SetTextColor(HDC dc, COLORREF colour);
COLORREF Os_SetBkColor(HDC dc, COLORREF colour);
BOOL Os_TextOut(HDC dc, int x, int y, const wch* text, int length);
HBRUSH Os_CreateSolidBrush(COLORREF colour);
HGDIOBJ Os_SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ Os_GetStockObject(int which);
BOOL Os_DeleteObject(HGDIOBJ object);

// The windows half of the Os_ layer: wide entry points always (NT family).
#include "platform/osui.h"

#include <commctrl.h>

#include "platform/heap.h"
#include "platform/str.h"

namespace {
inline const wchar_t* W(const wch* s) { return reinterpret_cast<const wchar_t*>(s); }

// A copy of s cut at max units, into buf (max + 1 units) when it is longer;
// else s itself.
const wch* Cut(const wch* s, wch* buf, i32 max) {
  if (!s) return u"";
  i32 n = 0;
  while (n <= max && s[n]) ++n;
  if (n <= max) return s;
  Mem_CopyWide(buf, s, max);
  buf[max] = 0;
  return buf;
}

int TakesListString(UINT message) {
  switch (message) {
    case CB_ADDSTRING: case LB_ADDSTRING: case LB_INSERTSTRING: case LB_SELECTSTRING: case LB_DIR:
    case LB_FINDSTRING: case LB_ADDFILE: case LB_FINDSTRINGEXACT: return 1;
  }
  return 0;
}
}  // namespace

// ---------------------------------------------------------------- dialogs
INT_PTR Os_DialogBoxParam(u32 templateId, HWND owner, DLGPROC proc, LPARAM init) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, proc, init);
}

BOOL Os_EndDialog(HWND dialog, INT_PTR code) { return EndDialog(dialog, code); }
HWND Os_GetDlgItem(HWND dialog, int control) { return GetDlgItem(dialog, control); }
int Os_GetDlgCtrlID(HWND control) { return GetDlgCtrlID(control); }
HWND Os_GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  return GetNextDlgTabItem(dialog, control, previous);
}

LRESULT Os_SendDlgItemMessage(HWND dialog, int control, UINT message, LPARAM lParam, WPARAM wParam) {
  if (message == LB_GETTEXT) return 0;
  if (TakesListString(message) && lParam) {
    wch buf[OS_ITEM_TEXT_MAX + 1];
    const wch* s = Cut(reinterpret_cast<const wch*>(lParam), buf, OS_ITEM_TEXT_MAX);
    return SendDlgItemMessageW(dialog, control, message, wParam, reinterpret_cast<LPARAM>(s));
  }
  return SendDlgItemMessageW(dialog, control, message, wParam, lParam);
}

BOOL Os_SetDlgItemText(HWND dialog, int control, const wch* text) {
  HWND c = GetDlgItem(dialog, control);
  if (!text || !c) return FALSE;
  return Os_SendMessage(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

UINT Os_GetDlgItemText(HWND dialog, int control, wch* buf, int size) {
  HWND c = GetDlgItem(dialog, control);
  if (!buf || !c || size < 1) return 0;
  return UINT(Os_SendMessage(c, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buf)));
}

BOOL Os_SetDlgItemInt(HWND dialog, int control, UINT value, BOOL isSigned) {
  return SetDlgItemInt(dialog, control, value, isSigned);
}
UINT Os_GetDlgItemInt(HWND dialog, int control, BOOL* ok, BOOL isSigned) {
  return GetDlgItemInt(dialog, control, ok, isSigned);
}
BOOL Os_CheckRadioButton(HWND dialog, int first, int last, int checked) {
  return CheckRadioButton(dialog, first, last, checked);
}
BOOL Os_CheckDlgButton(HWND dialog, int control, UINT check) { return CheckDlgButton(dialog, control, check); }
UINT Os_IsDlgButtonChecked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control); }
BOOL Os_MapDialogRect(HWND dialog, RECT* rect) { return MapDialogRect(dialog, rect); }

int Os_MessageBox(HWND owner, const wch* text, const wch* caption, UINT style) {
  wch t[OS_ITEM_TEXT_MAX + 1], c[OS_ITEM_TEXT_MAX + 1];
  return MessageBoxW(owner, W(Cut(text, t, OS_ITEM_TEXT_MAX)), W(Cut(caption, c, OS_ITEM_TEXT_MAX)), style);
}

BOOL Os_MessageBeep(UINT type) { return MessageBeep(type); }

void Os_InitCommonControls(void) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
}

BOOL Os_ChooseColor(CHOOSECOLORW* record) { return ChooseColorW(record); }

BOOL Os_ChooseFont(CHOOSEFONTW* record) {
  if (record->lpLogFont && wcsnlen(record->lpLogFont->lfFaceName, LF_FACESIZE) >= LF_FACESIZE) return FALSE;
  return ChooseFontW(record);
}

BOOL Os_GetFileName(OPENFILENAMEW* record, int save) {
  return save ? GetSaveFileNameW(record) : GetOpenFileNameW(record);
}

// ---------------------------------------------------------------- windows
LRESULT Os_SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && lParam) {
    const wch* s = reinterpret_cast<const wch*>(lParam);
    if (Str_Len(s) < OS_WINDOW_TEXT_MAX) return SendMessageW(window, message, wParam, lParam);
    wch* copy = static_cast<wch*>(Heap_Alloc(OS_WINDOW_TEXT_MAX * 2));
    if (!copy) return 0;
    Mem_CopyWide(copy, s, OS_WINDOW_TEXT_MAX - 1);
    copy[OS_WINDOW_TEXT_MAX - 1] = 0;
    const LRESULT r = SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(copy));
    Heap_Free(copy);
    return r;
  }
  if (message == WM_GETTEXT && wParam > OS_WINDOW_TEXT_MAX) wParam = OS_WINDOW_TEXT_MAX;
  return SendMessageW(window, message, wParam, lParam);
}

BOOL Os_PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageW(window, message, wParam, lParam);
}

BOOL Os_SetWindowText(HWND window, const wch* text) {
  if (!text || !window) return FALSE;
  return Os_SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

BOOL Os_EnableWindow(HWND window, BOOL enable) { return EnableWindow(window, enable); }
BOOL Os_IsWindowEnabled(HWND window) { return IsWindowEnabled(window); }
BOOL Os_GetWindowRect(HWND window, RECT* rect) { return GetWindowRect(window, rect); }
BOOL Os_GetClientRect(HWND window, RECT* rect) { return GetClientRect(window, rect); }
BOOL Os_ScreenToClient(HWND window, POINT* point) { return ScreenToClient(window, point); }
HWND Os_SetFocus(HWND window) { return SetFocus(window); }
HWND Os_GetFocus(void) { return GetFocus(); }
BOOL Os_InvalidateRect(HWND window, const RECT* rect, BOOL erase) { return InvalidateRect(window, rect, erase); }
BOOL Os_UpdateWindow(HWND window) { return UpdateWindow(window); }
BOOL Os_ShowWindow(HWND window, int show) { return ShowWindow(window, show); }
BOOL Os_DestroyWindow(HWND window) { return DestroyWindow(window); }

HWND Os_CreateWindowEx(DWORD exStyle, const wchar_t* className, const wch* title, DWORD style, int x, int y,
                       int width, int height, HWND owner, HMENU menu, void* param) {
  return CreateWindowExW(exStyle, className, W(title ? title : u""), style, x, y, width, height, owner, menu,
                         GetModuleHandleW(nullptr), param);
}

HWND Os_GetDesktopWindow(void) { return GetDesktopWindow(); }
int Os_GetSystemMetrics(int index) { return GetSystemMetrics(index); }
LRESULT Os_DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}
SHORT Os_GetAsyncKeyState(int key) { return GetAsyncKeyState(key); }
BOOL Os_SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw) {
  return SetScrollRange(window, bar, minimum, maximum, redraw);
}
int Os_SetScrollInfo(HWND window, int bar, const SCROLLINFO* info, BOOL redraw) {
  return SetScrollInfo(window, bar, info, redraw);
}
int Os_SetScrollPos(HWND window, int bar, int position, BOOL redraw) {
  return SetScrollPos(window, bar, position, redraw);
}

// ---------------------------------------------------------------- painting
HDC Os_GetDC(HWND window) { return GetDC(window); }
int Os_ReleaseDC(HWND window, HDC dc) { return ReleaseDC(window, dc); }
HDC Os_BeginPaint(HWND window, PAINTSTRUCT* ps) { return BeginPaint(window, ps); }
BOOL Os_EndPaint(HWND window, const PAINTSTRUCT* ps) { return EndPaint(window, ps); }
int Os_SetBkMode(HDC dc, int mode) { return SetBkMode(dc, mode); }
COLORREF Os_SetTextColor(HDC dc, COLORREF colour) { return SetTextColor(dc, colour); }
COLORREF Os_SetBkColor(HDC dc, COLORREF colour) { return SetBkColor(dc, colour); }
BOOL Os_TextOut(HDC dc, int x, int y, const wch* text, int length) { return TextOutW(dc, x, y, W(text), length); }
HBRUSH Os_CreateSolidBrush(COLORREF colour) { return CreateSolidBrush(colour); }
HGDIOBJ Os_SelectObject(HDC dc, HGDIOBJ object) { return SelectObject(dc, object); }
HGDIOBJ Os_GetStockObject(int which) { return GetStockObject(which); }
BOOL Os_DeleteObject(HGDIOBJ object) { return DeleteObject(object); }

#include "shell/msgbox.h"

#include "platform/lng.h"
#include "platform/str.h"
#include "render/cursor.h"
#include "render/map.h"
#include "render/pal.h"
#include "render/symstr.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/shell_win32.h"
#include "shell/vwin.h"

namespace {

inline const wchar_t* W(const wch* s) { return reinterpret_cast<const wchar_t*>(s); }

// The owner of a box: the active view, else the frame, else the desktop.
HWND Owner(void) {
  if (g_activeViewSlot >= 0 && g_activeViewSlot < MAP_VIEWS && g_mapViews[g_activeViewSlot].window)
    return static_cast<HWND>(g_mapViews[g_activeViewSlot].window);
  if (g_appFrame) return static_cast<HWND>(g_appFrame);
  return nullptr;
}

struct BoxParam {
  const wch* text;
  const wch* caption;
  u32 number;
};

INT_PTR CALLBACK BoxProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      const BoxParam* p = reinterpret_cast<const BoxParam*>(lp);
      SetWindowTextW(d, W(p->caption));
      SetDlgItemTextW(d, IDC_MSG_TEXT, W(p->text));
      // Help pages come with the help front end; until then the button is grey.
      EnableWindow(GetDlgItem(d, IDC_HELP_BUTTON), FALSE);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK: EndDialog(d, 2); return TRUE;
        case IDCANCEL: EndDialog(d, 1); return TRUE;
        case IDYES: EndDialog(d, 3); return TRUE;
        case IDNO: EndDialog(d, 4); return TRUE;
      }
      break;
  }
  return FALSE;
}

int Box(const wch* text, const wch* caption, u32 number, int flags) {
  BoxParam p = {text ? text : u"", caption ? caption : u"", number};
  const int yesNo = flags & MSG_FLAG_YESNO;
  ++g_appModalDepth;
  INT_PTR r = DialogBoxParamW(static_cast<HINSTANCE>(g_appInstance), MAKEINTRESOURCEW(yesNo ? IDD_MSG_YESNO : IDD_MSG_OK),
                              Owner(), BoxProc, reinterpret_cast<LPARAM>(&p));
  if (r <= 0) {
    // Without its template the box is still shown, as a system box.
    const int s = MessageBoxW(Owner(), W(p.text), W(p.caption),
                              yesNo ? MB_YESNOCANCEL | MB_ICONQUESTION : MB_OK | MB_ICONEXCLAMATION);
    r = s == IDYES ? 3 : s == IDNO ? 4 : s == IDOK ? 2 : 1;
  }
  --g_appModalDepth;
  return int(r);
}

// ---------------------------------------------------------------- info boxes
struct InfoWindow {
  HWND window;
  const wch* text;
  wch progress[100];
  int cancellable;
  i32 progressX;
};
InfoWindow g_info[3];
int g_infoTop = -1;

int InfoOpen(int index, const wch* text, const wch* title, int reserved, int cancellable) {
  if (index < 0 || index > 2) return 1;
  const i32 len = Str_Len(text);
  i32 width = (len + reserved + 11) * 8;
  if (cancellable) {
    const i32 cw = Map_MeasureSymbolString(Lng_GetText(8060), nullptr) + 64;
    if (width < cw) width = cw;
  }
  const i32 screen = GetSystemMetrics(SM_CXSCREEN) - 48;
  if (width > screen) width = screen;
  HWND owner = Owner();
  RECT r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &r);
  i32 x = r.left + (r.right - r.left - width) / 2;
  if (x < 0) x = 0;
  const i32 y = r.top + (r.bottom - r.top - 96) / 2;
  InfoWindow& b = g_info[index];
  b.text = text;
  b.progress[0] = 0;
  b.cancellable = cancellable;
  b.progressX = len * 8 + 48;
  g_infoTop = index;
  b.window = CreateWindowExW(0, ORBA_CLASS_INFOBOX, W(title ? title : u""), WS_POPUP | WS_CAPTION, x, y, width, 96,
                             owner, nullptr, static_cast<HINSTANCE>(g_appInstance), nullptr);
  if (!b.window) {
    g_infoTop = index - 1;
    return 1;
  }
  ShowWindow(b.window, SW_SHOW);
  UpdateWindow(b.window);
  return 0;
}

void InfoPaint(HWND w, HDC dc) {
  if (g_infoTop < 0 || g_info[g_infoTop].window != w) return;
  const InfoWindow& b = g_info[g_infoTop];
  RECT c;
  GetClientRect(w, &c);
  HBRUSH back = CreateSolidBrush(Pal_GetColour(0) & 0xFFFFFF);
  FillRect(dc, &c, back);
  DeleteObject(back);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, Pal_GetColour(9) & 0xFFFFFF);
  SetTextColor(dc, Pal_GetColour(8) & 0xFFFFFF);
  const i32 y = b.cancellable ? 16 : 24;
  if (b.cancellable) {
    const wch* t = Lng_GetText(8060);
    TextOutW(dc, 16, 44, W(t), Str_Len(t));
  }
  if (b.text) TextOutW(dc, 16, y, W(b.text), Str_Len(b.text));
  if (b.progress[0]) TextOutW(dc, b.progressX, y, W(b.progress), Str_Len(b.progress));
}

void InfoUpdate(int index, const wch* progress) {
  if (index < 0 || index > 2 || !g_info[index].window) return;
  InfoWindow& b = g_info[index];
  int i = 0;
  for (; progress && progress[i] && i < 99; ++i) b.progress[i] = progress[i];
  b.progress[i] = 0;
  HDC dc = GetDC(b.window);
  if (dc) {
    InfoPaint(b.window, dc);
    ReleaseDC(b.window, dc);
  }
}

void InfoClose(int index) {
  if (index < 0 || index > 2) return;
  InfoWindow& b = g_info[index];
  HWND w = b.window;
  b = InfoWindow{};
  g_infoTop = index - 1;
  if (w) DestroyWindow(w);
  if (g_infoTop >= 0 && g_info[g_infoTop].window) {
    InvalidateRect(g_info[g_infoTop].window, nullptr, TRUE);
    UpdateWindow(g_info[g_infoTop].window);
  }
  if (HWND o = Owner()) SetFocus(o);
}

int CancelPressed(void) { return GetAsyncKeyState(VK_F12) < 0; }

}  // namespace

const MsgFrontEnd g_msgFrontEnd = {Box, InfoOpen, InfoUpdate, InfoClose, CancelPressed};

LRESULT CALLBACK InfoBoxWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      InfoPaint(w, dc);
      EndPaint(w, &ps);
      return 0;
    }
    case WM_ERASEBKGND: InfoPaint(w, reinterpret_cast<HDC>(wp)); return 1;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_COMMAND:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return 0;
    case WM_SETCURSOR: Cur_OnSetCursor(w, LOWORD(lp)); return TRUE;
    case WM_CREATE: SetFocus(w); return 0;
    case WM_ACTIVATE:
      if (!HIWORD(wp)) SetFocus(w);
      return 0;
    case WM_DESTROY:
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

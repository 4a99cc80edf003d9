#include "shell/msgbox.h"

#include "dialogs/dfw_win32.h"
#include "platform/lng.h"
#include "platform/osui.h"
#include "platform/str.h"
#include "render/cursor.h"
#include "render/map.h"
#include "render/pal.h"
#include "render/symstr.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/ewin.h"
#include "shell/shell_win32.h"
#include "shell/vwin.h"

namespace {

inline const wchar_t* W(const wch* s) { return reinterpret_cast<const wchar_t*>(s); }

// The owner of an info box: the active view, else the frame.
HWND Owner(void) {
  if (g_activeViewSlot >= 0 && g_activeViewSlot < MAP_VIEWS && g_mapViews[g_activeViewSlot].window)
    return static_cast<HWND>(g_mapViews[g_activeViewSlot].window);
  return static_cast<HWND>(g_appFrame);
}

// The owner of a message box: the innermost open dialog first, the desktop last.
HWND BoxOwner(void) {
  if (HWND d = static_cast<HWND>(Dfw_CurrentDialog())) return d;
  if (HWND o = Owner()) return o;
  return Os_GetDesktopWindow();
}

// A message box is a framework dialog: template 1 (OK, Help) or 2 (Yes, No,
// Help, Cancel) filled from a descriptor whose title and text point at the
// box's caption and message.
int Box(const wch* text, const wch* caption, u32 number, int flags) {
  u8 bytes[64];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddTitleString(&b, caption ? caption : u"", Msg_HelpTopic(number), -1);
  Dfw_AddStaticString(&b, IDC_MSG_TEXT, text ? text : u"");
  const int yesNo = flags & MSG_FLAG_YESNO;
  if (yesNo) {
    Dfw_AddButton(&b, DLG_YES);
    Dfw_AddButton(&b, DLG_NO);
    Dfw_AddButton(&b, DLG_HELP);
    Dfw_AddButton(&b, DLG_CANCEL);
  } else {
    Dfw_AddButton(&b, DLG_OK);
    Dfw_AddButton(&b, DLG_HELP);
  }
  Dfw_BuildEnd(&b);
  return Dfw_RunModal(BoxOwner(), yesNo ? IDD_MSG_YESNO : IDD_MSG_OK, DlgF_Einfach, bytes);
}

// The trace box holds the simulation while it is shown.
int Trace(const wch* text) {
  const int running = SimRunFlag;
  SimRunFlag = 0;
  ++g_appModalDepth;
  const int r = Os_MessageBox(BoxOwner(), text, u"Trace", MB_OK | MB_ICONINFORMATION);
  --g_appModalDepth;
  SimRunFlag = running;
  return r;
}

// ---------------------------------------------------------------- info boxes
// The windows of the open boxes; their texts stay with the portable stack.
HWND g_infoWindows[MSG_INFO_MAX];

int IndexOf(HWND w) {
  for (int i = 0; i < MSG_INFO_MAX; ++i)
    if (w && g_infoWindows[i] == w) return i;
  return -1;
}

int InfoCancellable(int i) { return GetWindowLongPtrW(g_infoWindows[i], GWLP_USERDATA) != 0; }

int InfoOpen(int index, const wch* text, const wch* title, int reserved, int cancellable) {
  if (index < 0 || index >= MSG_INFO_MAX) return 1;
  HWND owner = Owner();
  RECT r = {0, 0, Os_GetSystemMetrics(SM_CXSCREEN), Os_GetSystemMetrics(SM_CYSCREEN)};
  if (owner) Os_GetWindowRect(owner, &r);
  const MsgInfoGeometry g =
      Msg_InfoPlace(Str_Len(text), reserved, cancellable, Map_MeasureSymbolString(Lng_GetText(MSG_TEXT_CANCEL_HINT), nullptr),
                    Os_GetSystemMetrics(SM_CXSCREEN), r.left, r.top, r.right, r.bottom);
  // The slot is taken before the window exists: creation already paints.
  g_infoWindows[index] = nullptr;
  HWND w = Os_CreateWindowEx(0, ORBA_CLASS_INFOBOX, title, WS_POPUP | WS_CAPTION, g.x, g.y, g.width, g.height, owner,
                             nullptr, nullptr);
  if (!w) return 1;
  g_infoWindows[index] = w;
  SetWindowLongPtrW(w, GWLP_USERDATA, cancellable ? 1 : 0);
  Os_ShowWindow(w, SW_SHOW);
  Os_UpdateWindow(w);
  return 0;
}

// Each box paints the text of its own slot; the progress column follows
// its text.
void InfoPaint(HWND w, HDC dc) {
  const int i = IndexOf(w);
  const wch* text = Msg_InfoText(i);
  if (!text) return;
  RECT c;
  Os_GetClientRect(w, &c);
  HBRUSH back = Os_CreateSolidBrush(Pal_GetColour(0) & 0xFFFFFF);
  FillRect(dc, &c, back);
  Os_DeleteObject(back);
  Os_SetBkMode(dc, OPAQUE);
  Os_SetBkColor(dc, Pal_GetColour(9) & 0xFFFFFF);
  Os_SetTextColor(dc, Pal_GetColour(8) & 0xFFFFFF);
  const int cancellable = InfoCancellable(i);
  const i32 y = cancellable ? 16 : 24;
  if (cancellable) {
    const wch* t = Lng_GetText(MSG_TEXT_CANCEL_HINT);
    Os_TextOut(dc, 16, 44, t, Str_Len(t));
  }
  Os_TextOut(dc, 16, y, text, Str_Len(text));
  const wch* progress = Msg_InfoProgress(i);
  if (progress && progress[0]) Os_TextOut(dc, Str_Len(text) * 8 + 48, y, progress, Str_Len(progress));
}

void InfoUpdate(int index, const wch* progress) {
  if (index < 0 || index >= MSG_INFO_MAX || !g_infoWindows[index]) return;
  HDC dc = Os_GetDC(g_infoWindows[index]);
  if (!dc) return;
  InfoPaint(g_infoWindows[index], dc);
  Os_ReleaseDC(g_infoWindows[index], dc);
}

void InfoClose(int index) {
  if (index < 0 || index >= MSG_INFO_MAX) return;
  HWND w = g_infoWindows[index];
  g_infoWindows[index] = nullptr;
  if (w) Os_DestroyWindow(w);
  if (index > 0 && g_infoWindows[index - 1]) {
    Os_InvalidateRect(g_infoWindows[index - 1], nullptr, TRUE);
    Os_UpdateWindow(g_infoWindows[index - 1]);
  }
  if (HWND o = Owner()) Os_SetFocus(o);
}

int CancelPressed(void) { return Os_GetAsyncKeyState(VK_F12) < 0; }

}  // namespace

const MsgFrontEnd g_msgFrontEnd = {Box, InfoOpen, InfoUpdate, InfoClose, CancelPressed, Trace};

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

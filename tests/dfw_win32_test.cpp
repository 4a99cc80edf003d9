// The dialog framework on Windows: real dialogs built from descriptors and
// templates, driven with messages from a timer that fires inside their modal
// loops; numbered message boxes; a stack of info boxes; the clipboard lines;
// the cut lengths of the Os_ wrappers. With ORBA_SHOT_DIR set, the dialogs
// shown are also saved there as pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/depdlg.h"
#include "dialogs/dfw_win32.h"
#include "model/dep.h"
#include "model/grid.h"
#include "platform/clip.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/osui.h"
#include "platform/str.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/msgbox.h"
#include "shell/shell_win32.h"
#include "shell/vwin.h"
#include "tests/render_fixture.h"

namespace {

const u32 kTestDialog = 9001;

inline const wchar_t* W(const wch* s) { return reinterpret_cast<const wchar_t*>(s); }

// ---------------------------------------------------------------- driving a modal dialog
// The script runs once from a timer inside the modal loop of the next dialog
// (the timer waits until a dialog is open).
std::function<void(HWND)> g_script;
UINT_PTR g_timer;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  HWND d = static_cast<HWND>(Dfw_CurrentDialog());
  if (!d || !IsWindowVisible(d) || !g_script) return;
  KillTimer(nullptr, g_timer);
  g_timer = 0;
  std::function<void(HWND)> s = std::move(g_script);
  g_script = nullptr;
  s(d);
}

void Drive(std::function<void(HWND)> script) {
  g_script = std::move(script);
  g_timer = SetTimer(nullptr, 0, 20, OnTimer);
}

std::u16string TextOf(HWND w) {
  wchar_t buf[1024] = {};
  GetWindowTextW(w, buf, 1024);
  return std::u16string(reinterpret_cast<const char16_t*>(buf));
}

std::u16string ItemText(HWND d, int id) { return TextOf(GetDlgItem(d, id)); }

void Click(HWND d, int id) { SendMessageW(GetDlgItem(d, id), BM_CLICK, 0, 0); }

// The key as the message-filter hook forwards it: its result says whether the
// dialog handled it.
LRESULT ForwardKey(HWND d, int vk) { return SendMessageW(d, WM_APP_DLGKEY2, WPARAM(vk), 0); }

void Type(HWND edit, const char* s) {
  for (; *s; ++s) SendMessageW(edit, WM_CHAR, WPARAM(*s), 0);
}

// Saves the window as a 24-bit BMP in ORBA_SHOT_DIR, when set.
void Shot(HWND w, const char* name) {
  const char* dir = getenv("ORBA_SHOT_DIR");
  if (!dir || !w) return;
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
  RECT r;
  GetWindowRect(w, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = DWORD((width * 3 + 3) & ~3), size = stride * DWORD(height);
  BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                         DWORD(sizeof fh + sizeof bi.bmiHeader)};
  std::string path = std::string(dir) + "\\" + name + ".bmp";
  if (FILE* f = fopen(path.c_str(), "wb")) {
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    fwrite(bits, size, 1, f);
    fclose(f);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

u32 g_helpTopic;
void ShowHelp(u32 topic) { g_helpTopic = topic; }

LRESULT CALLBACK TestOwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, msg, wp, lp); }

// ---------------------------------------------------------------- fixture
struct DfwWindow : RenderStore {
  HWND owner = nullptr;

  static void SetUpTestSuite() {
    RenderStore::SetUpTestSuite();
    ASSERT_EQ(0, Test_LoadTexts());
    HINSTANCE inst = GetModuleHandleW(nullptr);
    g_appInstance = inst;
    WNDCLASSW oc = {};
    oc.lpfnWndProc = TestOwnerProc;
    oc.hInstance = inst;
    oc.lpszClassName = L"OrbaDfwTestOwner";
    RegisterClassW(&oc);
    WNDCLASSW ic = {};
    ic.lpfnWndProc = InfoBoxWndProc;
    ic.hInstance = inst;
    ic.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    ic.lpszClassName = ORBA_CLASS_INFOBOX;
    RegisterClassW(&ic);
    Os_InitCommonControls();
  }

  void SetUp() override {
    RenderStore::SetUp();
    owner = CreateWindowExW(0, L"OrbaDfwTestOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!owner) GTEST_SKIP() << "no window can be made here";
    g_appFrame = owner;
    Msg_SetFrontEnd(&g_msgFrontEnd);
    Msg_ResetLast();
    Dfw_SetHelpHook(ShowHelp);
    g_helpTopic = 0;
  }

  void TearDown() override {
    if (g_timer) KillTimer(nullptr, g_timer);
    g_timer = 0;
    g_script = nullptr;
    Dfw_SetHelpHook(nullptr);
    Msg_SetFrontEnd(nullptr);
    Clip_SetWindow(nullptr);
    g_appFrame = nullptr;
    if (owner) DestroyWindow(owner);
    RenderStore::TearDown();
  }
};

// The descriptor of the test dialog, over buffers the test keeps.
struct TestDesc {
  u8 bytes[300];
  wch number[4] = u"42";
  wch name[10] = u"name";
  wch items[64];
  u32 pictures[4] = {1024, 2048, 3072, 4096};
  u8* radio0;
  u8* radio1;
  u8* check0;
  u8* check1;
  u8* chooser;
  u8* list;

  TestDesc() {
    const wch block[] = u"000001Zeta\0" u"000002alpha\0" u"000003 Beta\0";
    Mem_CopyWide(items, block, i32(sizeof block / sizeof(wch)));
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    Dfw_AddTitleString(&b, u"Descriptor dialog", 1234, 140);
    Dfw_AddStaticString(&b, 190, u"Number:");
    Dfw_AddStaticString(&b, 192, u"Name:");
    Dfw_AddEdit(&b, 140, number, 4, DLG_EDIT_SPIN | DLG_EDIT_TRIM, 0, 99);
    Dfw_AddEdit(&b, 141, name, 10, 0, 0, 0);
    list = Dfw_AddList(&b, 106, items, DLG_LIST_SORT);
    radio0 = Dfw_AddRadio(&b, 400, 17021, DLG_BUTTON_CHECKED);
    radio1 = Dfw_AddRadio(&b, 401, 17022, 0);
    check0 = Dfw_AddCheck(&b, 470, 17023, 0);
    check1 = Dfw_AddCheck(&b, 471, 17024, DLG_BUTTON_CHECKED | DLG_BUTTON_DISABLED);
    chooser = Dfw_AddChooser(&b, 135, 120, 40, 4, 0, 2, pictures, DLG_PIC_NAME, 191);
    Dfw_AddButton(&b, DLG_OK);
    Dfw_AddButton(&b, DLG_CANCEL);
    Dfw_AddButton(&b, DLG_HELP);
    EXPECT_EQ(0, Dfw_BuildEnd(&b));
  }
};

// ---------------------------------------------------------------- tests
TEST_F(DfwWindow, OkReadsTheFieldsBackIntoTheCallersBuffers) {
  TestDesc t;
  int checked = 0;
  Drive([&](HWND d) {
    checked = 1;
    EXPECT_EQ(u"Descriptor dialog", TextOf(d));
    EXPECT_EQ(u"42", ItemText(d, 140));
    EXPECT_EQ(Lng_GetText(17021), ItemText(d, 400));
    EXPECT_EQ(Lng_GetText(DFW_TEXT_OK), ItemText(d, 1));
    EXPECT_EQ(Lng_GetText(DFW_TEXT_HELP), ItemText(d, 100));
    EXPECT_EQ(GetDlgItem(d, 140), GetFocus());  // the title record's focus control
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 471)));

    // Spin keys as the filter hook forwards them, and the spin bar.
    EXPECT_EQ(1, ForwardKey(d, VK_UP));
    EXPECT_EQ(u"43", ItemText(d, 140));
    EXPECT_EQ(1, ForwardKey(d, VK_NEXT));
    EXPECT_EQ(u"33", ItemText(d, 140));
    SetDlgItemTextW(d, 140, L"99");
    EXPECT_EQ(1, ForwardKey(d, VK_UP));
    EXPECT_EQ(u"0", ItemText(d, 140));
    SendMessageW(d, WM_VSCROLL, SB_LINEDOWN, LPARAM(GetDlgItem(d, 290)));
    EXPECT_EQ(u"99", ItemText(d, 140));
    SendMessageW(d, WM_VSCROLL, SB_LINEUP, LPARAM(GetDlgItem(d, 290)));
    SendMessageW(d, WM_VSCROLL, SB_PAGEUP, LPARAM(GetDlgItem(d, 290)));
    EXPECT_EQ(u"10", ItemText(d, 140));
    // A field without a spin range does not take the key.
    SetFocus(GetDlgItem(d, 141));
    EXPECT_EQ(0, ForwardKey(d, VK_UP));

    // Typing stops at the buffer size - 1.
    HWND name = GetDlgItem(d, 141);
    SetWindowTextW(name, L"");
    Type(name, "abcdefghijkl");
    EXPECT_EQ(u"abcdefghi", ItemText(d, 141));
    Dfw_ShowRemainingChars(d, t.bytes, 141, 192);
    EXPECT_EQ(u"0 " + std::u16string(Lng_GetText(DFW_TEXT_CHARS_LEFT)), ItemText(d, 192));
    SetWindowTextW(name, L"abc");
    Dfw_ShowRemainingChars(d, t.bytes, 141, 192);
    EXPECT_EQ(u"6 " + std::u16string(Lng_GetText(DFW_TEXT_CHARS_LEFT)), ItemText(d, 192));
    SetWindowTextW(name, L"abcdefghi");

    // The list was sorted and filled; a typed letter selects by initial.
    HWND list = GetDlgItem(d, 106);
    EXPECT_EQ(3, SendMessageW(list, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(list, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(LRESULT(Dfw_ListItemText(t.list, 0)), SendMessageW(list, LB_GETITEMDATA, 0, 0));
    EXPECT_EQ(std::u16string(u"000002alpha"), Dfw_ListItemText(t.list, 0));
    SetFocus(list);
    SendMessageW(list, WM_CHAR, '0', 0);  // every item here begins with its digits
    EXPECT_EQ(1, SendMessageW(list, LB_GETCURSEL, 0, 0));
    SendMessageW(list, WM_CHAR, 'q', 0);
    EXPECT_EQ(1, SendMessageW(list, LB_GETCURSEL, 0, 0));

    Click(d, 401);
    Click(d, 470);
    // The range bar steps the chooser.
    SendMessageW(d, WM_VSCROLL, SB_LINEDOWN, LPARAM(GetDlgItem(d, 340)));
    SendMessageW(d, WM_VSCROLL, SB_PAGEDOWN, LPARAM(GetDlgItem(d, 340)));
    EXPECT_EQ(3u, Dfw_Get32(t.chooser, 16));
    SendMessageW(d, WM_VSCROLL, SB_LINEDOWN, LPARAM(GetDlgItem(d, 340)));
    EXPECT_EQ(0u, Dfw_Get32(t.chooser, 16));  // past the last choice: the first
    SendMessageW(d, WM_VSCROLL, SB_LINEDOWN, LPARAM(GetDlgItem(d, 340)));

    Click(d, 100);
    EXPECT_EQ(1234u, g_helpTopic);
    Shot(d, "dfw_dialog");
    Click(d, 1);
  });
  EXPECT_EQ(DLG_RESULT_OK, Dfw_RunModal(owner, kTestDialog, DlgF_Einfach, t.bytes));
  EXPECT_EQ(1, checked);
  EXPECT_EQ(std::u16string(u"10"), t.number);
  EXPECT_EQ(std::u16string(u"abcdefghi"), t.name);
  EXPECT_EQ(0, t.radio0[6]);
  EXPECT_EQ(DLG_BUTTON_CHECKED, t.radio1[6]);
  EXPECT_EQ(DLG_BUTTON_CHECKED, t.check0[6]);
  EXPECT_EQ(DLG_BUTTON_CHECKED | DLG_BUTTON_DISABLED, t.check1[6]);  // keeps its own disabled bit
  EXPECT_EQ(1u, Dfw_Get32(t.chooser, 16));
  EXPECT_EQ(-1, Dfw_NestingLevel());
  EXPECT_EQ(nullptr, Dfw_CurrentDialog());
}

TEST_F(DfwWindow, CancelAndClosingLeaveTheCallersBuffersAlone) {
  for (int how = 0; how < 3; ++how) {
    TestDesc t;
    Drive([&](HWND d) {
      SetDlgItemTextW(d, 140, L"7");
      SetDlgItemTextW(d, 141, L"changed");
      Click(d, 401);
      Click(d, 470);
      if (how == 0) Click(d, 2);
      if (how == 1) SendMessageW(d, WM_CLOSE, 0, 0);  // the system menu's close
      if (how == 2) SendMessageW(d, WM_COMMAND, DLG_ID_EXTRA, 0);
    });
    EXPECT_EQ(DLG_RESULT_CANCEL, Dfw_RunModal(owner, kTestDialog, DlgF_Einfach, t.bytes)) << how;
    EXPECT_EQ(std::u16string(u"42"), t.number) << how;
    EXPECT_EQ(std::u16string(u"name"), t.name) << how;
    EXPECT_EQ(DLG_BUTTON_CHECKED, t.radio0[6]) << how;
    EXPECT_EQ(0, t.radio1[6]) << how;
    EXPECT_EQ(0, t.check0[6]) << how;
  }
}

TEST_F(DfwWindow, EndCodesPassThroughAndOthersAreIgnored) {
  const struct {
    WPARAM command;
    int result;
  } cases[] = {{120, 120}, {137, 137}, {103, 103}, {6, DLG_RESULT_YES}, {7, DLG_RESULT_NO}};
  for (const auto& c : cases) {
    TestDesc t;
    Drive([&](HWND d) {
      SendMessageW(d, WM_COMMAND, 110, 0);  // not an end code: the dialog stays
      SendMessageW(d, WM_COMMAND, 106, 0);
      EXPECT_TRUE(IsWindow(d));
      SetDlgItemTextW(d, 141, L"kept");
      SendMessageW(d, WM_COMMAND, c.command, 0);
    });
    EXPECT_EQ(c.result, Dfw_RunModal(owner, kTestDialog, DlgF_Einfach, t.bytes)) << c.command;
    EXPECT_EQ(std::u16string(u"kept"), t.name) << c.command;
  }
  // Refused at once: no template, no procedure, no owner at all.
  TestDesc t;
  EXPECT_EQ(1, Dfw_RunModal(owner, 0, DlgF_Einfach, t.bytes));
  EXPECT_EQ(1, Dfw_RunModal(owner, kTestDialog, nullptr, t.bytes));
  g_appFrame = nullptr;
  EXPECT_EQ(1, Dfw_RunModal(nullptr, kTestDialog, DlgF_Einfach, t.bytes));
  // A template that does not exist fails as a closed dialog.
  EXPECT_EQ(1, Dfw_RunModal(owner, 8999, DlgF_Einfach, t.bytes));
  EXPECT_EQ(-1, Dfw_NestingLevel());
}

TEST_F(DfwWindow, TheEleventhNestedDialogIsRefused) {
  TestDesc t;
  int inner = -1, box = -1;
  Drive([&](HWND d) {
    // Nine more levels in use: this dialog is the tenth open one.
    for (int i = 0; i < 9; ++i) ASSERT_EQ(0, Dfw_EnterNesting());
    TestDesc u;
    inner = Dfw_RunModal(d, kTestDialog, DlgF_Einfach, u.bytes);
    box = Msg_ErrorId(212, 8005);
    for (int i = 0; i < 9; ++i) Dfw_LeaveNesting();
    Click(d, 1);
  });
  EXPECT_EQ(DLG_RESULT_OK, Dfw_RunModal(owner, kTestDialog, DlgF_Einfach, t.bytes));
  EXPECT_EQ(1, inner);
  EXPECT_EQ(1, box);
}

TEST_F(DfwWindow, ListsRefillAfterARemovalAndStopAtARefusedItem) {
  TestDesc t;
  Drive([&](HWND d) {
    HWND list = GetDlgItem(d, 106);
    ASSERT_EQ(0, Dfw_DeleteListItem(d, t.list, 0));
    EXPECT_EQ(2, SendMessageW(list, LB_GETCOUNT, 0, 0));
    // The control holds the items' new addresses.
    for (int i = 0; i < 2; ++i)
      EXPECT_EQ(LRESULT(Dfw_ListItemText(t.list, i)), SendMessageW(list, LB_GETITEMDATA, i, 0));
    EXPECT_EQ(0, SendMessageW(list, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(1, Dfw_DeleteListItem(d, t.list, 5));
    Click(d, 2);
  });
  Dfw_RunModal(owner, kTestDialog, DlgF_Einfach, t.bytes);
}

// A list box that takes no more than 499 items.
WNDPROC g_listProc;
LRESULT CALLBACK SmallList(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == LB_ADDSTRING && CallWindowProcW(g_listProc, w, LB_GETCOUNT, 0, 0) >= 499) return LB_ERRSPACE;
  return CallWindowProcW(g_listProc, w, msg, wp, lp);
}
HHOOK g_cbt;
LRESULT CALLBACK SubclassLists(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND) {
    const CBT_CREATEWNDW* c = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
    if (c->lpcs->hMenu == reinterpret_cast<HMENU>(106))
      g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(HWND(wp), GWLP_WNDPROC, LONG_PTR(SmallList)));
  }
  return CallNextHookEx(g_cbt, code, wp, lp);
}

TEST_F(DfwWindow, AListThatRefusesItsFiveHundredthItemWarnsOnce) {
  std::vector<wch> block;
  for (int i = 0; i < 600; ++i) {
    const std::u16string item = u"item" + std::u16string(1, wch(u'A' + i % 26));
    block.insert(block.end(), item.begin(), item.end());
    block.push_back(0);
  }
  block.push_back(0);
  u8 bytes[64];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  u8* list = Dfw_AddList(&b, 106, block.data(), 0);
  Dfw_AddButton(&b, DLG_OK);
  Dfw_BuildEnd(&b);
  Msg_SetFrontEnd(nullptr);  // the warning is recorded, not shown
  g_cbt = SetWindowsHookExW(WH_CBT, SubclassLists, nullptr, GetCurrentThreadId());
  LRESULT count = -1;
  Drive([&](HWND d) {
    count = SendDlgItemMessageW(d, 106, LB_GETCOUNT, 0, 0);
    Click(d, 1);
  });
  Dfw_RunModal(owner, kTestDialog, DlgF_Einfach, bytes);
  UnhookWindowsHookEx(g_cbt);
  EXPECT_EQ(499, count);
  EXPECT_EQ(1u, Msg_Count());
  EXPECT_EQ(u32(DFW_MSG_LIST_FULL), Msg_LastNumber());
  EXPECT_EQ(600, Dfw_ListItemCount(list));
}

TEST_F(DfwWindow, MessageBoxesAreNumberedFrameworkDialogs) {
  int seen = 0;
  Drive([&](HWND d) {
    seen = 1;
    EXPECT_EQ(std::u16string(Lng_GetText(8000)) + u" " + Lng_GetText(8040) + u"212", TextOf(d));
    EXPECT_EQ(Lng_GetText(8005), ItemText(d, IDC_MSG_TEXT));
    EXPECT_EQ(Lng_GetText(DFW_TEXT_OK), ItemText(d, 1));
    Click(d, IDC_HELP_BUTTON);
    EXPECT_EQ(50212u, g_helpTopic);
    Shot(d, "msg_error");
    Click(d, 1);
  });
  EXPECT_EQ(DLG_RESULT_OK, Msg_ErrorId(212, 8005));
  EXPECT_EQ(1, seen);

  const struct {
    int button;
    int result;
  } answers[] = {{IDYES, 3}, {IDNO, 4}, {IDCANCEL, 1}};
  for (const auto& a : answers) {
    Drive([&](HWND d) {
      EXPECT_EQ(Lng_GetText(DFW_TEXT_YES), ItemText(d, IDYES));
      EXPECT_EQ(Lng_GetText(DFW_TEXT_NO), ItemText(d, IDNO));
      if (a.button == IDYES) Shot(d, "msg_question");
      Click(d, a.button);
    });
    EXPECT_EQ(a.result, Msg_Ask(346, u"Save the changes?", 0)) << a.button;
  }

  // A box shown from inside a dialog belongs to that dialog.
  TestDesc t;
  HWND boxOwner = nullptr;
  Drive([&](HWND d) {
    Drive([&](HWND box) {
      boxOwner = GetWindow(box, GW_OWNER);
      Click(box, 1);
    });
    Msg_WarnText(770, u"inner");
    EXPECT_EQ(d, boxOwner);
    Click(d, 2);
  });
  Dfw_RunModal(owner, kTestDialog, DlgF_Einfach, t.bytes);
}

int IsInfoBox(HWND w) {
  wchar_t cls[64];
  GetClassNameW(w, cls, 64);
  return wcscmp(cls, ORBA_CLASS_INFOBOX) == 0;
}

BOOL CALLBACK CountInfoBox(HWND w, LPARAM p) {
  if (IsInfoBox(w) && IsWindowVisible(w)) ++*reinterpret_cast<int*>(p);
  return TRUE;
}

// The cancellable info box (its window data is 1).
BOOL CALLBACK FindCancellableInfoBox(HWND w, LPARAM p) {
  if (IsInfoBox(w) && GetWindowLongPtrW(w, GWLP_USERDATA) == 1) *reinterpret_cast<HWND*>(p) = w;
  return TRUE;
}

// The number of visible info-box windows of this thread.
int InfoWindows() {
  int n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountInfoBox, LPARAM(&n));
  return n;
}

HWND TopInfoWindow() { return FindWindowW(ORBA_CLASS_INFOBOX, nullptr); }

TEST_F(DfwWindow, ThreeInfoBoxesStackWithProgress) {
  EXPECT_EQ(-1, Msg_InfoUpdate(u"1"));
  ASSERT_EQ(0, Msg_InfoOpen(u"Loading the layout", u"Orba", 6, 0));
  ASSERT_EQ(1, Msg_InfoOpen(u"Reading vehicles", u"Orba", 6, 1));
  ASSERT_EQ(2, Msg_InfoOpen(u"Element pictures", u"Orba", 6, 0));
  EXPECT_EQ(-1, Msg_InfoOpen(u"fourth", u"Orba", 6, 0));
  EXPECT_EQ(3, InfoWindows());
  EXPECT_EQ(0, Msg_InfoUpdate(u"50 %"));

  // The progress text is drawn at its column: that strip is no longer plain.
  HWND top = TopInfoWindow();
  ASSERT_NE(nullptr, top);
  RECT frame;
  GetWindowRect(top, &frame);
  EXPECT_EQ(96, frame.bottom - frame.top);
  HDC dc = GetDC(top);
  const COLORREF back = Pal_GetColour(0) & 0xFFFFFF;
  int ink = 0;
  const int x0 = 16 * 8 + 48;
  for (int y = 24; y < 40; ++y)
    for (int x = x0; x < x0 + 32; ++x) ink += GetPixel(dc, x, y) != back;
  ReleaseDC(top, dc);
  EXPECT_GT(ink, 0);
  Shot(top, "info_top");

  EXPECT_EQ(0, Msg_InfoClose());
  EXPECT_EQ(2, InfoWindows());
  // The box below was repainted at once: nothing of it waits for a paint.
  EXPECT_EQ(2, Msg_InfoDepth());
  HWND second = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindCancellableInfoBox, LPARAM(&second));
  ASSERT_NE(nullptr, second);
  EXPECT_FALSE(GetUpdateRect(second, nullptr, FALSE));
  EXPECT_EQ(std::u16string(u"Reading vehicles"), Msg_InfoText(1));
  Shot(second, "info_cancellable");
  EXPECT_EQ(0, Msg_InfoClose());
  EXPECT_EQ(0, Msg_InfoClose());
  EXPECT_EQ(-1, Msg_InfoClose());
  EXPECT_EQ(0, InfoWindows());
}

TEST_F(DfwWindow, ClipboardLinesRoundTrip) {
  Clip_SetWindow(owner);
  ASSERT_EQ(0, Clip_Empty());
  ASSERT_EQ(0, Clip_AppendLine(u"first line"));
  ASSERT_EQ(0, Clip_AppendLine(u"second"));
  wch buf[64];
  ASSERT_EQ(0, Clip_ReadLine(1, 64, buf));
  EXPECT_EQ(std::u16string(u"second"), buf);
  EXPECT_EQ(3, Clip_ReadLine(2, 64, buf));
  // Other programs see the text with CR LF between the lines.
  ASSERT_TRUE(OpenClipboard(owner));
  HANDLE h = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(std::wstring(L"first line\r\nsecond"), std::wstring(static_cast<const wchar_t*>(GlobalLock(h))));
  GlobalUnlock(h);
  CloseClipboard();

  ASSERT_EQ(0, Clip_CopyText(u"a\x0002xyzb\x0002\0c\0"));
  ASSERT_EQ(0, Clip_ReadLine(0, 64, buf));
  EXPECT_EQ(std::u16string(u"ab"), buf);
  ASSERT_EQ(0, Clip_ReadLine(2, 64, buf));
  EXPECT_EQ(std::u16string(u""), buf);
  void* dib = nullptr;
  EXPECT_EQ(3, Clip_GetDib(&dib));
}

TEST_F(DfwWindow, WrappersCutCopiesAndNeverTheCallersString) {
  HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_HASSTRINGS, 0, 0, 100, 100, owner,
                              reinterpret_cast<HMENU>(106), GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, list);
  std::u16string item(300, u'i');
  ASSERT_EQ(0, Os_SendDlgItemMessage(owner, 106, LB_ADDSTRING, LPARAM(item.c_str()), 0));
  EXPECT_EQ(259, SendMessageW(list, LB_GETTEXTLEN, 0, 0));
  EXPECT_EQ(std::u16string(300, u'i'), item);
  EXPECT_EQ(0, Os_SendDlgItemMessage(owner, 106, LB_GETTEXT, LPARAM(&item[0]), 0));  // not supported

  std::u16string title(40000, u't');
  ASSERT_TRUE(Os_SetWindowText(owner, title.c_str()));
  EXPECT_EQ(31999, GetWindowTextLengthW(owner));
  std::vector<wch> back(40000);
  EXPECT_EQ(31999u, Os_SendMessage(owner, WM_GETTEXT, 40000, LPARAM(back.data())));
  EXPECT_FALSE(Os_SetWindowText(owner, nullptr));
  EXPECT_FALSE(Os_SetDlgItemText(owner, 999, u"x"));
  EXPECT_EQ(0u, Os_GetDlgItemText(owner, 999, back.data(), 10));
  DestroyWindow(list);
}

// The depot place dialog (template 63) shows its place and stores what the
// user changed there.
TEST_F(DfwWindow, TheDepotPlaceDialogShowsAndStoresItsPlace) {
  const i32 active = g_activeViewSlot;
  g_activeViewSlot = 0;
  Dep_Clear();
  ASSERT_EQ(1, Grid_SetCell(10, 5, 0, CellCode(136 + 1)));
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 1, u"Nordbahnhof"));
  const u32 depot = u32(Dep_FindByName(u"Nordbahnhof", 0));
  int shown = 0;
  Drive([&](HWND d) {
    shown = 1;
    EXPECT_EQ(u"Nordbahnhof: 1", ItemText(d, 140));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(d, 400));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, DEP_BTN_INFO)));
    SetDlgItemTextW(d, 142, L"20");
    Click(d, 401);
    Shot(d, "depot_place");
    Click(d, 1);
  });
  EXPECT_EQ(1, Dep_PlaceDialog(10, 5, 0, 136 + 1));
  EXPECT_EQ(1, shown);
  DepotPlaceInfo p;
  ASSERT_EQ(0, Dep_GetPlace(depot, 1, &p));
  EXPECT_EQ(20000u, p.WaitMs);
  EXPECT_EQ(1u, p.Directions) << "the second exit bit of orientation 1";
  Dep_Clear();
  g_activeViewSlot = active;
}

}  // namespace

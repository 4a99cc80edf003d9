// The resources of the built programs, read from orbasim.exe and
// orbaview.exe as data files: the view menu filled from the language file
// with its grey marks, the accelerator table, the message-box templates,
// the icons and the version; and the window titles put into real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/fio.h"
#include "platform/lng.h"
#include "render/map.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/cmd.h"
#include "shell/file.h"
#include "shell/menu.h"
#include "tests/test_util.h"

namespace {

std::wstring Wide(const wstr& s) { return std::wstring(s.begin(), s.end()); }
std::wstring Wide(const wch* s) { return Wide(wstr(s)); }

std::wstring ProgramPath(const char* exe) { return Wide(Test_DataFolder() + W16(exe)); }

// A program's module mapped as a data file (its resources only).
struct Program {
  HMODULE module;
  explicit Program(const char* exe) {
    module = LoadLibraryExW(ProgramPath(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  ~Program() {
    if (module) FreeLibrary(module);
  }
  const void* Resource(int id, LPCWSTR type, DWORD* size = nullptr) const {
    HRSRC r = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!r) return nullptr;
    if (size) *size = SizeofResource(module, r);
    HGLOBAL g = LoadResource(module, r);
    return g ? LockResource(g) : nullptr;
  }
};

std::wstring MenuText(HMENU menu, UINT item, UINT flags) {
  wchar_t buf[256] = {};
  GetMenuStringW(menu, item, buf, 256, flags);
  return buf;
}

HMENU PopupOfPath(HMENU bar, int path) {
  HMENU parent = (path >> 8) ? GetSubMenu(bar, (path >> 8) - 1) : bar;
  return parent ? GetSubMenu(parent, (path & 0xFF) - 1) : nullptr;
}

// Top-level windows standing in for the view windows of slots, each with
// its own copy of the view menu of orbasim.exe.
class MenuWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Test_LoadTexts());
    ASSERT_TRUE(program.module) << "orbasim.exe not found beside the data files";
    for (int s = 0; s < 2; ++s) {
      HMENU menu = LoadMenuW(program.module, MAKEINTRESOURCEW(IDM_VIEW_MENU));
      ASSERT_TRUE(menu);
      windows[s] = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, menu,
                                   GetModuleHandleW(nullptr), nullptr);
      ASSERT_TRUE(windows[s]);
      g_mapViews[s].window = windows[s];
    }
  }
  void TearDown() override {
    for (int s = 0; s < 2; ++s) {
      g_mapViews[s].window = nullptr;
      if (windows[s]) DestroyWindow(windows[s]);  // destroys its menu too
    }
    g_appFrame = nullptr;
    SecondInstanceFlag = 0;
    Fio_FreeBuffers();
  }
  HMENU Bar(int slot) { return GetMenu(windows[slot]); }
  Program program{"orbasim.exe"};
  HWND windows[2] = {};
};

TEST_F(MenuWindows, FillSetsEveryTextAndGreysCommandsWithoutOwner) {
  Menu_FillViewMenu(0);
  HMENU bar = Bar(0);
  for (int i = 0; i < g_menuItemCount; ++i) {
    const MenuItemText& m = g_menuItems[i];
    HMENU popup = PopupOfPath(bar, m.path);
    ASSERT_TRUE(popup) << "no popup " << std::hex << m.path;
    EXPECT_EQ(Wide(Lng_GetText(m.text)), MenuText(popup, m.id, MF_BYCOMMAND)) << "command " << m.id;
    UINT state = GetMenuState(popup, m.id, MF_BYCOMMAND);
    ASSERT_NE(UINT(-1), state) << "command " << m.id << " not in popup " << std::hex << m.path;
    EXPECT_EQ(Cmd_HasOwner(m.id) ? 0u : UINT(MF_GRAYED), state & MF_GRAYED) << "command " << m.id;
  }
  for (int i = 0; i < g_menuPopupCount; ++i) {
    int path = g_menuPopups[i].path;
    HMENU parent = (path >> 8) ? GetSubMenu(bar, (path >> 8) - 1) : bar;
    EXPECT_EQ(Wide(Lng_GetText(g_menuPopups[i].text)), MenuText(parent, (path & 0xFF) - 1, MF_BYPOSITION));
  }
  // The other slot's menu is untouched: still its placeholders.
  EXPECT_EQ(L"F", MenuText(Bar(1), 0, MF_BYPOSITION));
}

// No item of the filled menu keeps its placeholder: every command item of
// the resource, at any depth, has a text with its access key.
TEST_F(MenuWindows, NoPlaceholderIsLeft) {
  Menu_FillViewMenu(0);
  int seen = 0;
  std::vector<HMENU> open = {Bar(0)};
  while (!open.empty()) {
    HMENU m = open.back();
    open.pop_back();
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
      MENUITEMINFOW mi = {};
      mi.cbSize = sizeof mi;
      mi.fMask = MIIM_FTYPE | MIIM_SUBMENU;
      ASSERT_TRUE(GetMenuItemInfoW(m, i, TRUE, &mi));
      if (mi.fType & MFT_SEPARATOR) continue;
      std::wstring text = MenuText(m, i, MF_BYPOSITION);
      bool zoomWithoutKey = !mi.hSubMenu && GetMenuItemID(m, i) >= 349 && GetMenuItemID(m, i) <= 359;
      EXPECT_TRUE(zoomWithoutKey || text.find(L'&') != std::wstring::npos) << "item " << GetMenuItemID(m, i);
      EXPECT_GT(text.size(), 2u);
      if (mi.hSubMenu) open.push_back(mi.hSubMenu);
      ++seen;
    }
  }
  EXPECT_EQ(g_menuItemCount + g_menuPopupCount, seen);
}

// The recent files at the end of the File popup, as many as the setting
// shows, rebuilt without doubles in every view.
TEST_F(MenuWindows, RecentFilesFollowTheListAndTheSetting) {
  Menu_FillViewMenu(0);
  Menu_FillViewMenu(1);
  HMENU file = GetSubMenu(Bar(0), 0);
  const int plain = GetMenuItemCount(file);
  Menu_RecentAdd(nullptr);
  for (int i = 11; i >= 0; --i) {
    const std::string p = i == 3 ? "C:\\R&D\\three.nt3" : "C:\\maps\\f" + std::to_string(i) + ".nt3";
    Menu_RecentAdd(W16(p.c_str()).c_str());
  }
  const int saved = File_OptRecentFiles(-1);
  File_OptRecentFiles(12);
  Menu_RecentBuild(MENU_ALL_SLOTS);
  Menu_RecentBuild(MENU_ALL_SLOTS);
  for (int s = 0; s < 2; ++s) {
    HMENU f = GetSubMenu(Bar(s), 0);
    EXPECT_EQ(plain + 1 + 12, GetMenuItemCount(f)) << s;  // a separator and twelve entries
    EXPECT_EQ(L"&0 C:\\maps\\f0.nt3", MenuText(f, CMD_RECENT_FIRST, MF_BYCOMMAND));
    EXPECT_EQ(L"&3 C:\\R&&D\\three.nt3", MenuText(f, CMD_RECENT_FIRST + 3, MF_BYCOMMAND));
    EXPECT_EQ(L"10 C:\\maps\\f10.nt3", MenuText(f, CMD_RECENT_FIRST + 10, MF_BYCOMMAND));
    EXPECT_EQ(UINT(MF_SEPARATOR), GetMenuState(f, UINT(plain), MF_BYPOSITION) & MF_SEPARATOR);
  }
  File_OptRecentFiles(3);
  Menu_RecentBuild(0);
  EXPECT_EQ(plain + 1 + 3, GetMenuItemCount(file));
  EXPECT_EQ(UINT(-1), GetMenuState(file, CMD_RECENT_FIRST + 3, MF_BYCOMMAND));
  File_OptRecentFiles(0);
  Menu_RecentBuild(0);
  EXPECT_EQ(plain, GetMenuItemCount(file));
  File_OptRecentFiles(saved);
  Menu_RecentAdd(nullptr);
}

TEST_F(MenuWindows, ItemTextGoesOnlyIntoThePopupOfItsPath) {
  HMENU file = GetSubMenu(Bar(0), 0);
  Menu_SetItemText(0, MENU_PATH_EDIT, CMD_OPEN, 1002);  // not in Edit: nothing changes
  EXPECT_EQ(L"o", MenuText(file, CMD_OPEN, MF_BYCOMMAND));
  Menu_SetItemText(0, MENU_PATH_FILE, CMD_OPEN, 1002 | MENU_NO_REDRAW);
  EXPECT_EQ(Wide(Lng_GetText(1002)), MenuText(file, CMD_OPEN, MF_BYCOMMAND));
  // Every slot with a window; slots without one are skipped.
  Menu_SetItemText(MENU_ALL_SLOTS_TEXT, MENU_PATH_SEARCH, CMD_SEARCH, 1182);
  for (int s = 0; s < 2; ++s)
    EXPECT_EQ(Wide(Lng_GetText(1182)), MenuText(PopupOfPath(Bar(s), MENU_PATH_SEARCH), CMD_SEARCH, MF_BYCOMMAND));
  Menu_SetItemText(7, MENU_PATH_FILE, CMD_OPEN, 1003);  // no such slot
  EXPECT_EQ(Wide(Lng_GetText(1002)), MenuText(file, CMD_OPEN, MF_BYCOMMAND));
  // The flag is no part of the text: 33991 is text 1223 without a redraw.
  Menu_SetItemText(0, MENU_PATH_VIEW, CMD_TOGGLE_OVERLAY, 33991);
  EXPECT_EQ(Wide(Lng_GetText(1223)), MenuText(GetSubMenu(Bar(0), 2), CMD_TOGGLE_OVERLAY, MF_BYCOMMAND));
}

TEST_F(MenuWindows, EnableAndCheckOneSlotOrAll) {
  Menu_Enable(CMD_ZOOM_IN, 1, 1);
  EXPECT_EQ(0u, GetMenuState(Bar(0), CMD_ZOOM_IN, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_EQ(UINT(MF_GRAYED), GetMenuState(Bar(1), CMD_ZOOM_IN, MF_BYCOMMAND) & MF_GRAYED);
  Menu_Enable(CMD_ZOOM_IN, MENU_ALL_SLOTS, 1);
  Menu_Check(347, MENU_ALL_SLOTS, 1);
  Menu_Check(347, 0, 0);
  for (int s = 0; s < 2; ++s) {
    EXPECT_EQ(UINT(MF_GRAYED), GetMenuState(Bar(s), CMD_ZOOM_IN, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(s == 1 ? UINT(MF_CHECKED) : 0u, GetMenuState(Bar(s), 347, MF_BYCOMMAND) & MF_CHECKED);
  }
  Menu_Enable(CMD_ZOOM_IN, MENU_ALL_SLOTS, 0);
  EXPECT_EQ(0u, GetMenuState(Bar(1), CMD_ZOOM_IN, MF_BYCOMMAND) & MF_GRAYED);
}

std::wstring WindowText(HWND w) {
  wchar_t buf[400] = {};
  GetWindowTextW(w, buf, 400);
  return buf;
}

std::wstring Composed(int which) {
  wch buf[400];
  Menu_ComposeTitle(which, 0, buf, 400);
  return Wide(buf);
}

TEST_F(MenuWindows, TitlesGoIntoTheFrameAndTheViews) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  g_appFrame = frame;
  g_mapViews[1].mode = MAP_MODE_OVERVIEW;
  g_mapViews[1].scale = 4;
  Menu_SetWindowTitles(-1);
  EXPECT_EQ(L"ORBA Control panel", WindowText(frame));
  EXPECT_EQ(Composed(1), WindowText(windows[0]));
  EXPECT_EQ(Composed(2), WindowText(windows[1]));
  EXPECT_NE(std::wstring::npos, WindowText(windows[1]).find(L" 1:128"));
  // One view only, then the frame only.
  SecondInstanceFlag = 1;
  Menu_SetWindowTitles(2);
  EXPECT_EQ(0u, WindowText(windows[1]).find(L"ORBA(2) "));
  EXPECT_EQ(0u, WindowText(windows[0]).find(L"ORBA "));
  EXPECT_EQ(L"ORBA Control panel", WindowText(frame));
  Menu_SetWindowTitles(MENU_TITLE_FRAME);
  EXPECT_EQ(L"ORBA(2) Control panel", WindowText(frame));
  EXPECT_EQ(0u, WindowText(windows[0]).find(L"ORBA "));
  DestroyWindow(frame);
}

// ---------------------------------------------------------------- accelerators
TEST(MenuResources, AcceleratorTableOfTheFrame) {
  Program program("orbasim.exe");
  ASSERT_TRUE(program.module);
  HACCEL table = LoadAcceleratorsW(program.module, MAKEINTRESOURCEW(IDA_FRAME));
  ASSERT_TRUE(table);
  std::vector<ACCEL> entries(CopyAcceleratorTableW(table, nullptr, 0));
  CopyAcceleratorTableW(table, entries.data(), int(entries.size()));
  std::set<std::tuple<int, int, int>> got;  // (modifier flags, key, command)
  for (const ACCEL& a : entries) got.insert({a.fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), a.key, a.cmd});
  const int V = FVIRTKEY, C = FCONTROL, S = FSHIFT, A = FALT;
  std::set<std::tuple<int, int, int>> want = {
      {0, ' ', 308},           {V, VK_F2, 258},         {V, VK_F3, 257},         {V | C, VK_F3, 400},
      {V | A, VK_F3, 401},     {V, VK_F5, 311},         {V | C, VK_F5, 312},     {V, VK_F6, 402},
      {V | C, VK_TAB, 402},    {V | C, VK_F6, 403},     {V | C | S, VK_TAB, 403}, {V | S, VK_F6, 404},
      {V | A, VK_RETURN, 497}, {V | S, VK_DELETE, 321}, {V | C, VK_INSERT, 322}, {V | S, VK_INSERT, 323},
      {V | C, VK_DELETE, 324}, {V | A, 'X', 266},
  };
  for (int n = 0; n <= 6; ++n) {
    want.insert({V | A, '0' + n, 512 + n});
    want.insert({V | A, VK_NUMPAD0 + n, 512 + n});
  }
  EXPECT_EQ(want, got);
  DestroyAcceleratorTable(table);
}

// ---------------------------------------------------------------- message-box templates
struct Template {
  u16 pointSize = 0;
  std::wstring face;
  DWORD style = 0;
};

// The header of an extended dialog template up to its font.
Template ReadTemplateHeader(const void* data) {
  const u16* w = static_cast<const u16*>(data);
  Template t;
  EXPECT_EQ(0xFFFF, w[1]) << "not an extended template";
  t.style = DWORD(w[6]) | DWORD(w[7]) << 16;
  const u16* p = w + 13;  // past the item count and the rectangle
  for (int k = 0; k < 3; ++k) {  // menu, class, title
    if (*p == 0xFFFF)
      p += 2;
    else
      while (*p++) {
      }
  }
  if (t.style & DS_SETFONT) {
    t.pointSize = p[0];
    p += 3;  // size, weight, italic and charset
    while (*p) t.face += wchar_t(*p++);
  }
  return t;
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(MenuResources, MessageBoxTemplatesLaidOutByTheStyleGuide) {
  Program program("orbasim.exe");
  ASSERT_TRUE(program.module);
  struct Case {
    int id;
    std::vector<int> buttons;  // left to right
  } cases[] = {{IDD_MSG_OK, {IDOK, IDC_HELP_BUTTON}}, {IDD_MSG_YESNO, {IDYES, IDNO, IDCANCEL, IDC_HELP_BUTTON}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const void* data = program.Resource(c.id, MAKEINTRESOURCEW(5));  // RT_DIALOG
    ASSERT_TRUE(data);
    Template t = ReadTemplateHeader(data);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(L"MS Shell Dlg 2", t.face);
    EXPECT_EQ(DWORD(DS_SHELLFONT), t.style & DS_SHELLFONT);

    HWND dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(data), nullptr,
                                          QuietDialog, 0);
    ASSERT_TRUE(dlg);
    RECT unit = {7, 7, 50, 14};  // margin, margin, button width, button height
    MapDialogRect(dlg, &unit);
    RECT client;
    GetClientRect(dlg, &client);
    auto rectOf = [&](int id) {
      RECT r = {};
      HWND w = GetDlgItem(dlg, id);
      EXPECT_TRUE(w) << "control " << id;
      GetWindowRect(w, &r);
      MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
      return r;
    };
    RECT text = rectOf(IDC_MSG_TEXT);
    // Dialog units become pixels position by position: a pixel of rounding.
    EXPECT_NEAR(unit.left, text.left, 1);
    EXPECT_NEAR(unit.top, text.top, 1);
    EXPECT_NEAR(client.right - unit.left, text.right, 1);
    EXPECT_GE(text.bottom - text.top, 6 * unit.bottom / 2) << "room for several lines";
    LONG x = 0;
    for (int id : c.buttons) {
      RECT b = rectOf(id);
      EXPECT_NEAR(unit.right, b.right - b.left, 1);
      EXPECT_NEAR(unit.bottom, b.bottom - b.top, 1);
      EXPECT_NEAR(client.bottom - unit.top, b.bottom, 1) << "bottom margin";
      EXPECT_GE(b.top, text.bottom);
      EXPECT_GT(b.left, x) << "buttons in the order of the table";
      x = b.left;
      if (id == c.buttons.back()) {
        EXPECT_NEAR(client.right - unit.left, b.right, 1) << "right margin";
      }
    }
    DestroyWindow(dlg);
  }
}

// ---------------------------------------------------------------- icons and version
#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(MenuResources, IconsCarryTheirSizesWithAlphaAndMasks) {
  for (const char* exe : {"orbasim.exe", "orbaview.exe"}) {
    SCOPED_TRACE(exe);
    Program program(exe);
    ASSERT_TRUE(program.module);
    struct Case {
      int id;
      std::set<int> sizes;
    } cases[] = {{IDI_ORBA_LARGE, {16, 32, 48}}, {IDI_ORBA_SMALL, {16, 32}}};
    for (const Case& c : cases) {
      const u16* dir = static_cast<const u16*>(program.Resource(c.id, MAKEINTRESOURCEW(14)));  // RT_GROUP_ICON
      ASSERT_TRUE(dir) << c.id;
      const GroupIconEntry* e = reinterpret_cast<const GroupIconEntry*>(dir + 3);
      std::set<int> sizes;
      for (int i = 0; i < dir[2]; ++i) {
        sizes.insert(e[i].width);
        EXPECT_EQ(32, e[i].bits);
        // Drawn over white: the corner stays white (transparent by alpha and
        // by mask), the middle is the picture.
        DWORD size = 0;
        const void* image = program.Resource(e[i].id, MAKEINTRESOURCEW(3), &size);  // RT_ICON
        ASSERT_TRUE(image);
        int n = e[i].width;
        HICON icon = CreateIconFromResourceEx(static_cast<PBYTE>(const_cast<void*>(image)), size, TRUE, 0x00030000,
                                              n, n, 0);
        ASSERT_TRUE(icon);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, n, n);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bmp);
        RECT all = {0, 0, n, n};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawIconEx(dc, 0, 0, icon, n, n, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 0, 0) & 0xFFFFFF);
        EXPECT_NE(RGB(255, 255, 255), GetPixel(dc, n / 2, n / 2) & 0xFFFFFF);
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        DestroyIcon(icon);
      }
      EXPECT_EQ(c.sizes, sizes);
    }
  }
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
  wchar_t* value = nullptr;
  UINT len = 0;
  std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) || !value) return L"";
  return value;
}

TEST(MenuResources, VersionNamesTheProductAndEachProgram) {
  struct Case {
    const char* exe;
    const wchar_t* internal;
  } cases[] = {{"orbasim.exe", L"orbasim"}, {"orbaview.exe", L"orbaview"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exe);
    std::wstring path = ProgramPath(c.exe);
    DWORD handle = 0, size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
    EXPECT_EQ(L"ORBA", VersionString(info, L"ProductName"));
    EXPECT_EQ(L"3.85", VersionString(info, L"ProductVersion"));
    EXPECT_EQ(L"3.85", VersionString(info, L"FileVersion"));
    EXPECT_EQ(c.internal, VersionString(info, L"InternalName"));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(DWORD(MAKELONG(85, 3)), fixed->dwFileVersionMS);
    EXPECT_EQ(DWORD(MAKELONG(85, 3)), fixed->dwProductVersionMS);
  }
}

}  // namespace

// The real program, driven from outside: each test copies the program folder
// into a folder of its own, starts orbasim.exe there, finds its windows by
// class, reads what they show and drives them with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/layfile.h"
#include "model/tp.h"
#include "platform/fio.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

const wchar_t* const kFrameClass = L"VQ_ORBAW32_3853_Status";
const wchar_t* const kViewClass = L"VQ_ORBAW32_3853_Edit";

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  p = p.substr(0, p.find_last_of(L'\\'));  // ...\tests
  p = p.substr(0, p.find_last_of(L'\\'));  // the build folder
  return p + L"\\bin\\";
}

// Writes the settings file of a program folder (8-bit text).
void WriteSettings(const std::wstring& dir, const std::string& text) {
  HANDLE f = CreateFileW((dir + L"orba.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(f, text.data(), DWORD(text.size()), &n, nullptr);
  CloseHandle(f);
}

std::string ReadBytes(const std::wstring& path) {
  std::string s;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return s;
  char buf[4096];
  DWORD n;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) s.append(buf, n);
  CloseHandle(f);
  return s;
}

// The settings file as text: UTF-16LE with its mark, or 8-bit.
std::wstring SettingsText(const std::wstring& dir) {
  const std::string b = ReadBytes(dir + L"orba.ini");
  std::wstring t;
  if (b.size() >= 2 && u8(b[0]) == 0xFF && u8(b[1]) == 0xFE)
    for (size_t i = 2; i + 1 < b.size(); i += 2) t += wchar_t(u8(b[i]) | (u8(b[i + 1]) << 8));
  else
    for (char c : b) t += wchar_t(u8(c));
  return t;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh folder with the program and its data files inside the test
// process's own folder (removed when the run ends), so that programs
// started by tests side by side never share a file. Its settings switch
// the running-time notice at exit off, so that closing ends the program.
std::wstring CopyProgramFolder(const wchar_t* leaveOut) {
  static int copies = 0;
  const wstr own = Test_ProcessFolder();
  std::wstring dir = std::wstring(own.begin(), own.end()) + L"orbasim" + std::to_wstring(copies++) + L"\\";
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring src = ProgramFolder();
  for (const wchar_t* pattern : {L"orba*.exe", L"orba.*"}) {
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((src + pattern).c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      if (leaveOut && lstrcmpiW(f.cFileName, leaveOut) == 0) continue;
      CopyFileW((src + f.cFileName).c_str(), (dir + f.cFileName).c_str(), FALSE);
    } while (FindNextFileW(h, &f));
    FindClose(h);
  }
  // The sound folder: its catalogue is read at start-up.
  CreateDirectoryW((dir + L"sound").c_str(), nullptr);
  WIN32_FIND_DATAW f;
  HANDLE h = FindFirstFileW((src + L"sound\\*").c_str(), &f);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        CopyFileW((src + L"sound\\" + f.cFileName).c_str(), (dir + L"sound\\" + f.cFileName).c_str(), FALSE);
    } while (FindNextFileW(h, &f));
    FindClose(h);
  }
  DeleteFileW((dir + L"orba.ini").c_str());
  WriteSettings(dir, "[ORBA_385]\r\nEndeF=q\r\n");
  return dir;
}

struct Program {
  PROCESS_INFORMATION pi = {};
  DWORD started = 0;
  bool Start(const std::wstring& dir, const wchar_t* args) {
    std::wstring line = L"\"" + dir + L"orbasim.exe\" " + args;
    std::vector<wchar_t> buf(line.begin(), line.end());
    buf.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    started = GetTickCount();
    return CreateProcessW(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi) != 0;
  }
  // Exit code, or STILL_ACTIVE when it did not end within ms.
  DWORD WaitExit(DWORD ms) {
    if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
  ~Program() {
    if (!pi.hProcess) return;
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
};

struct Found {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* captionPrefix;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
  Found* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != f->pid || !IsWindowVisible(w)) return TRUE;
  wchar_t cls[128], caption[256];
  GetClassNameW(w, cls, 128);
  GetWindowTextW(w, caption, 256);
  if (f->cls && lstrcmpW(cls, f->cls) != 0) return TRUE;
  if (f->captionPrefix && wcsncmp(caption, f->captionPrefix, wcslen(f->captionPrefix)) != 0) return TRUE;
  f->windows.push_back(w);
  return TRUE;
}

std::vector<HWND> Windows(const Program& p, const wchar_t* cls, const wchar_t* captionPrefix = nullptr) {
  Found f = {p.pi.dwProcessId, cls, captionPrefix, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&f));
  return f.windows;
}

// Waits up to ms for cond, looking every 50 ms.
template <class F>
bool WaitFor(DWORD ms, F cond) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
}

// The client area of a window as 0x00RRGGBB pixels, read from the screen.
std::vector<unsigned> Pixels(HWND w, int* width, int* height) {
  RECT r;
  GetClientRect(w, &r);
  *width = r.right;
  *height = r.bottom;
  std::vector<unsigned> px;
  if (r.right <= 0 || r.bottom <= 0) return px;
  HDC dc = GetDC(w);
  HDC mem = CreateCompatibleDC(dc);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -r.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  GdiFlush();
  px.assign(static_cast<unsigned*>(bits), static_cast<unsigned*>(bits) + r.right * r.bottom);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(w, dc);
  for (unsigned& p : px) p &= 0xFFFFFF;
  return px;
}

// Distinct colours of a picture: a painted layout shows many, an empty
// window one or two.
size_t Colours(const std::vector<unsigned>& px) {
  std::vector<unsigned> seen;
  for (size_t i = 0; i < px.size() && seen.size() < 64; i += 7) {
    bool known = false;
    for (unsigned s : seen) known = known || s == px[i];
    if (!known) seen.push_back(px[i]);
  }
  return seen.size();
}

size_t Differences(const std::vector<unsigned>& a, const std::vector<unsigned>& b) {
  if (a.size() != b.size()) return a.size() > b.size() ? a.size() : b.size();
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

std::wstring ChildTexts(HWND box) {
  std::wstring all;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t t[1024];
    GetWindowTextW(c, t, 1024);
    all += t;
    all += L"\n";
  }
  return all;
}

HWND FirstPaintedView(const Program& p, DWORD ms) {
  HWND view = nullptr;
  WaitFor(ms, [&] {
    std::vector<HWND> v = Windows(p, kViewClass);
    if (v.empty()) return false;
    int w, h;
    if (Colours(Pixels(v[0], &w, &h)) < 8) return false;
    view = v[0];
    return true;
  });
  return view;
}

}  // namespace

TEST(Orbasim, RunsTheStartLayoutScrollsZoomsOpensAViewAndEnds) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q"));
  HWND view = FirstPaintedView(p, 60000);
  ASSERT_NE(nullptr, view) << "no painted layout view";
  printf("time from process start to the first painted view: %lu ms\n",
         static_cast<unsigned long>(GetTickCount() - p.started));
  ASSERT_EQ(1u, Windows(p, kFrameClass).size());

  // The start train runs around the oval: the picture changes by itself.
  int w, h;
  std::vector<unsigned> before = Pixels(view, &w, &h);
  bool moved = WaitFor(20000, [&] {
    int w2, h2;
    return Differences(before, Pixels(view, &w2, &h2)) > 20;
  });
  EXPECT_TRUE(moved) << "the view did not change while the simulation ran";

  // Scrolled four cells to the right by the scroll bar: the picture moves
  // 128 pixels to the left (scale 1), up to the train that runs meanwhile.
  SendMessageW(Windows(p, kFrameClass)[0], WM_COMMAND, 513, 0);  // view 1 becomes the active window
  before = Pixels(view, &w, &h);
  for (int i = 0; i < 4; ++i) SendMessageW(view, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_TRUE(WaitFor(5000, [&] {
    int w2, h2;
    const std::vector<unsigned> after = Pixels(view, &w2, &h2);
    if (w2 != w || h2 != h || Differences(before, after) < 1000) return false;
    size_t same = 0, all = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x + 128 < w; ++x, ++all) same += after[size_t(y) * w + x] == before[size_t(y) * w + x + 128];
    return same > all * 95 / 100;
  })) << "scrolling did not move the picture by four cells";

  // Zoomed to scale 2 (command 347): the view's title names the new scale.
  wchar_t title1[256], title2[256];
  GetWindowTextW(view, title1, 256);
  SendMessageW(view, WM_COMMAND, 347, 0);
  EXPECT_TRUE(WaitFor(5000, [&] {
    GetWindowTextW(view, title2, 256);
    return lstrcmpW(title1, title2) != 0;
  })) << "zooming did not change the view";
  EXPECT_TRUE(WaitFor(5000, [&] {
    int w2, h2;
    return Colours(Pixels(view, &w2, &h2)) >= 8;
  })) << "the zoomed view is not painted";

  // A second view (command 400).
  SendMessageW(view, WM_COMMAND, 400, 0);
  EXPECT_TRUE(WaitFor(10000, [&] { return Windows(p, kViewClass).size() == 2; }));

  PostMessageW(Windows(p, kFrameClass)[0], WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, p.WaitExit(10000));
}

TEST(Orbasim, MissingElementPicturesStopTheStartWithError21) {
  const std::wstring dir = CopyProgramFolder(L"orba.gzg");
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q"));
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor(30000, [&] {
    std::vector<HWND> b = Windows(p, nullptr, L"Initialization error #21:");
    if (b.empty()) return false;
    box = b[0];
    return true;
  })) << "no start-error box";
  EXPECT_NE(std::wstring::npos, ChildTexts(box).find(L"File not found: orba.gzg")) << ChildTexts(box).c_str();
  EXPECT_TRUE(Windows(p, kViewClass).empty());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_NE(STILL_ACTIVE, p.WaitExit(10000));
}

TEST(Orbasim, ASecondInstanceWarnsAtExitAndWritesNoSettings) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  Program first, second;
  ASSERT_TRUE(first.Start(dir, L"/Q /STOP"));
  ASSERT_NE(nullptr, FirstPaintedView(first, 60000));
  ASSERT_TRUE(second.Start(dir, L"/Q /STOP"));
  ASSERT_NE(nullptr, FirstPaintedView(second, 60000));
  PostMessageW(Windows(second, kFrameClass)[0], WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor(10000, [&] {
    for (HWND b : Windows(second, nullptr)) {
      wchar_t caption[256];
      GetWindowTextW(b, caption, 256);
      if (wcsstr(caption, L"211")) {
        box = b;
        return true;
      }
    }
    return false;
  })) << "no warning 211";
  const std::string settings = ReadBytes(dir + L"orba.ini");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(0u, second.WaitExit(10000));
  EXPECT_EQ(settings, ReadBytes(dir + L"orba.ini"));
  PostMessageW(Windows(first, kFrameClass)[0], WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, first.WaitExit(10000));
}

// ---------------------------------------------------------------- file commands
namespace {

// With ORBA_SHOT_DIR set, the screen at that moment as a BMP, for a look by eye.
void Shot(const char* name) {
  char dir[MAX_PATH];
  if (!GetEnvironmentVariableA("ORBA_SHOT_DIR", dir, MAX_PATH)) return;
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD stride = DWORD((w * 3 + 3) & ~3), image = stride * DWORD(h);
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
  fh.bfSize = fh.bfOffBits + image;
  const std::string path = std::string(dir) + "\\" + name + ".bmp";
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n;
  WriteFile(f, &fh, sizeof fh, &n, nullptr);
  WriteFile(f, &bi.bmiHeader, sizeof(BITMAPINFOHEADER), &n, nullptr);
  WriteFile(f, bits, image, &n, nullptr);
  CloseHandle(f);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

// A window of the program whose caption contains part.
HWND WaitCaption(const Program& p, const wchar_t* part, DWORD ms) {
  HWND found = nullptr;
  WaitFor(ms, [&] {
    for (HWND w : Windows(p, nullptr)) {
      wchar_t caption[512];
      GetWindowTextW(w, caption, 512);
      if (wcsstr(caption, part)) {
        found = w;
        return true;
      }
    }
    return false;
  });
  return found;
}

std::wstring Caption(HWND w) {
  wchar_t t[512] = {0};
  GetWindowTextW(w, t, 512);
  return t;
}

// Types path into the system file dialog with that title and presses OK.
bool AnswerFileDialog(const Program& p, const wchar_t* title, const std::wstring& path, const char* shot) {
  HWND d = WaitCaption(p, title, 20000);
  if (!d) return false;
  // Give the dialog a moment to fill its lists before it is photographed.
  WaitFor(1500, [] { return false; });
  if (shot) Shot(shot);
  // The name field: the Explorer dialog's combo box (cmb13), or the older
  // edit field (edt1).
  if (!SetDlgItemTextW(d, 0x47C, path.c_str())) SetDlgItemTextW(d, 0x480, path.c_str());
  PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(d, IDOK)));
  return WaitFor(10000, [&] { return !IsWindow(d); });
}

// Closes the frame and expects the program to end without a question.
void CloseProgram(Program& p) {
  std::vector<HWND> frames = Windows(p, kFrameClass);
  ASSERT_FALSE(frames.empty());
  PostMessageW(frames[0], WM_CLOSE, 0, 0);
  const DWORD code = p.WaitExit(20000);
  // A program that does not end names the windows it still shows.
  std::wstring shown;
  if (code != 0)
    for (HWND w : Windows(p, nullptr))
      if (IsWindowVisible(w)) shown += L"[" + Caption(w) + L"] ";
  EXPECT_EQ(0u, code) << std::string(shown.begin(), shown.end());
}

// Opens recent entry n (command 272 + n) and waits until the view's title
// names the file; the menus of another process cannot be read under Wine,
// so the entries are checked by what they open.
bool OpenRecent(HWND view, int n, const std::wstring& path) {
  PostMessageW(view, WM_COMMAND, WPARAM(272 + n), 0);
  return WaitFor(10000, [&] { return Caption(view).find(path) != std::wstring::npos; });
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

}  // namespace

// Save as to a name, open it from the command line, save twice (backups 000
// and 001), save as under another folder, and find the recent files and the
// layouts folder kept in the settings at the next start.
TEST(Orbasim, SavesWithBackupsSavesAsAndKeepsTheSettings) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  WriteSettings(dir, "[ORBA_385]\r\nEndeF=q\r\nBackup=2\r\n");
  const std::wstring first = dir + L"first.nt3";
  const std::wstring maps = dir + L"maps\\";
  CreateDirectoryW(maps.c_str(), nullptr);
  const std::wstring second = maps + L"second.nt3";
  {
    // The start layout, saved under a name.
    Program p;
    ASSERT_TRUE(p.Start(dir, L"/Q /STOP"));
    HWND view = FirstPaintedView(p, 60000);
    ASSERT_NE(nullptr, view);
    PostMessageW(view, WM_COMMAND, 259, 0);
    ASSERT_TRUE(AnswerFileDialog(p, L"Save layout as", first, "save_as_dialog"));
    ASSERT_TRUE(WaitFor(10000, [&] { return Exists(first); }));
    EXPECT_TRUE(WaitFor(5000, [&] { return Contains(Caption(view), L"first.nt3"); })) << Caption(view).c_str();
    CloseProgram(p);
  }
  {
    Program p;
    ASSERT_TRUE(p.Start(dir, L"/Q /STOP first.nt3"));
    HWND view = FirstPaintedView(p, 60000);
    ASSERT_NE(nullptr, view) << "the layout of the command line is not shown";
    EXPECT_TRUE(Contains(Caption(view), first)) << Caption(view).c_str();
    EXPECT_TRUE(Contains(Caption(Windows(p, kFrameClass)[0]), L"ORBA")) << Caption(Windows(p, kFrameClass)[0]).c_str();

    // Save (F2's command) twice: the older files become backups 000 and 001.
    const std::string v1 = ReadBytes(first);
    SendMessageW(view, WM_COMMAND, 258, 0);
    EXPECT_TRUE(Exists(dir + L"first.000.nt2"));
    EXPECT_EQ(v1, ReadBytes(dir + L"first.000.nt2"));
    SendMessageW(view, WM_COMMAND, 258, 0);
    EXPECT_TRUE(Exists(dir + L"first.001.nt2"));
    EXPECT_FALSE(Exists(dir + L"first.002.nt2"));
    EXPECT_TRUE(Exists(first));

    // Save as into another folder: the title follows, both files are listed.
    PostMessageW(view, WM_COMMAND, 259, 0);
    ASSERT_TRUE(AnswerFileDialog(p, L"Save layout as", second, nullptr));
    ASSERT_TRUE(WaitFor(10000, [&] { return Exists(second); }));
    EXPECT_TRUE(WaitFor(5000, [&] { return Contains(Caption(view), second); })) << Caption(view).c_str();
    // Entry 1 is the first file; opening it makes it entry 0.
    EXPECT_TRUE(OpenRecent(view, 1, first)) << Caption(view).c_str();
    EXPECT_TRUE(OpenRecent(view, 1, second)) << Caption(view).c_str();

    // The File menu, open, for a look.
    SetForegroundWindow(view);
    PostMessageW(view, WM_SYSCOMMAND, SC_KEYMENU, 'f');
    WaitFor(1500, [] { return false; });
    Shot("file_menu");
    PostMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitFor(500, [] { return false; });
    CloseProgram(p);
  }
  const std::wstring settings = SettingsText(dir);
  EXPECT_TRUE(Contains(settings, L"\r\nBackup=2\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, L"\r\nPfad_nt3=" + maps + L"\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, L"\r\nDName0=" + second + L"\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, L"\r\nDName1=" + first + L"\r\n")) << settings.c_str();
  {
    // The next start finds them, and the second recent entry opens its file.
    Program p;
    ASSERT_TRUE(p.Start(dir, L"/Q /STOP"));
    HWND view = FirstPaintedView(p, 60000);
    ASSERT_NE(nullptr, view);
    EXPECT_TRUE(OpenRecent(view, 0, second)) << Caption(view).c_str();
    EXPECT_TRUE(OpenRecent(view, 1, first)) << Caption(view).c_str();
    CloseProgram(p);
  }
}

// A refused file leaves the layout shown as it was.
TEST(Orbasim, OpenRefusesADamagedFileAndKeepsTheLayout) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  const std::wstring bad = dir + L"bad.nt3";
  {
    HANDLE f = CreateFileW(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    static const char kJunk[] = "no layout\r\n\x1a\x38junk";  // the version's byte, then no magic
    WriteFile(f, kJunk, sizeof kJunk - 1, &n, nullptr);
    CloseHandle(f);
  }
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q /STOP"));
  HWND view = FirstPaintedView(p, 60000);
  ASSERT_NE(nullptr, view);
  const std::wstring title = Caption(view);
  PostMessageW(view, WM_COMMAND, 257, 0);
  ASSERT_TRUE(AnswerFileDialog(p, L"Open layout", bad, "open_dialog"));
  HWND box = WaitCaption(p, L"103", 10000);
  ASSERT_NE(nullptr, box) << "no message for the damaged file";
  Shot("open_refused");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(box); }));
  EXPECT_EQ(title, Caption(view));
  EXPECT_TRUE(WaitFor(5000, [&] {
    int w, h;
    return Colours(Pixels(view, &w, &h)) >= 8;
  })) << "the layout is no longer shown";
  CloseProgram(p);
}

// One key the program cannot use is named; the others are kept, and so is
// the user's file.
TEST(Orbasim, ASettingsFileWithOneBadKeyKeepsTheOthers) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  const std::wstring listed = dir + L"listed.nt3";
  std::string path;
  for (wchar_t c : listed) path += char(c);
  const std::string text = "[ORBA_385]\r\nEndeF=q\r\nBackup=3\r\nQ=17\r\nDName0=" + path + "\r\n";
  WriteSettings(dir, text);
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q /STOP"));
  HWND box = WaitCaption(p, L"212", 60000);
  ASSERT_NE(nullptr, box) << "no report of the bad key";
  EXPECT_TRUE(Contains(ChildTexts(box), L"Q")) << ChildTexts(box).c_str();
  Shot("bad_settings_key");
  EXPECT_EQ(text, ReadBytes(dir + L"orba.ini"));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND view = FirstPaintedView(p, 60000);
  ASSERT_NE(nullptr, view);
  // The entry read from the settings: its file is missing, which the open
  // reports with its path.
  PostMessageW(view, WM_COMMAND, 272, 0);
  HWND missing = WaitCaption(p, L"101", 10000);
  ASSERT_NE(nullptr, missing) << "the recent entry is not there";
  EXPECT_TRUE(Contains(ChildTexts(missing), listed)) << ChildTexts(missing).c_str();
  PostMessageW(missing, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(missing); }));
  CloseProgram(p);
  const std::wstring settings = SettingsText(dir);
  EXPECT_TRUE(Contains(settings, L"\r\nBackup=3\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, L"\r\nDName0=" + listed + L"\r\n")) << settings.c_str();
}

// ---------------------------------------------------------------- the file commands' dialogs
namespace {

// Presses a button of a dialog as a click would (radio buttons and check
// boxes change their state).
void Click(HWND d, int id) { SendMessageW(GetDlgItem(d, id), BM_CLICK, 0, 0); }

// Ends the dialog with the button's command and waits until it is gone.
bool Press(HWND d, int id) {
  PostMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(d, id)));
  return WaitFor(10000, [&] { return !IsWindow(d); });
}

// Waits for the numbered message box, checks it names nothing else, and
// closes it with OK.
bool AcknowledgeBox(const Program& p, const wchar_t* number) {
  HWND box = WaitCaption(p, number, 10000);
  if (!box) return false;
  return Press(box, IDOK);
}

// A dialog of the program whose caption contains title; waits for a
// window that is not the one given (a dialog opened again).
HWND WaitDialog(const Program& p, const wchar_t* title, HWND old = nullptr) {
  HWND found = nullptr;
  WaitFor(20000, [&] {
    for (HWND w : Windows(p, L"#32770")) {
      if (w == old || !Contains(Caption(w), title)) continue;
      found = w;
      return true;
    }
    return false;
  });
  return found;
}

}  // namespace

// Picture and text listing options, colours, background picture and a user
// file list open from their commands; refused entries are reported by number
// and the dialog opens again; the choices are kept in the settings.
TEST(Orbasim, FileCommandDialogsOpenFromTheirCommandsAndKeepTheChoices) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q /STOP"));
  HWND view = FirstPaintedView(p, 60000);
  ASSERT_NE(nullptr, view);

  // Picture options: 256 colours without ground detail, 4 cells per pixel.
  PostMessageW(view, WM_COMMAND, 394, 0);
  HWND d = WaitDialog(p, L"Picture options");
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(d, 400));  // the default word 1
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(d, 406));
  WaitFor(1500, [] { return false; });  // painted whole for the picture
  Shot("picture_options");
  Click(d, 403);
  Click(d, 408);
  ASSERT_TRUE(Press(d, IDOK));

  // Text listing options: no part chosen is refused (251), then one part
  // and the separator ';' (59) are taken.
  PostMessageW(view, WM_COMMAND, 395, 0);
  d = WaitDialog(p, L"Text listing options");
  ASSERT_NE(nullptr, d);
  WaitFor(1500, [] { return false; });  // painted whole for the picture
  Shot("text_listing_options");
  for (int id = 470; id <= 483; ++id) SendMessageW(GetDlgItem(d, id), BM_SETCHECK, BST_UNCHECKED, 0);
  PostMessageW(d, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(AcknowledgeBox(p, L"251"));
  HWND again = WaitDialog(p, L"Text listing options", d);
  ASSERT_NE(nullptr, again) << "the dialog does not open again";
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(again, 470));
  Click(again, 470);
  SetDlgItemTextW(again, 141, L"59");
  ASSERT_TRUE(Press(again, IDOK));

  wchar_t text[200];
  // Run log options: a separator below 32 is refused (256) with the dialog
  // again; then the folder, the boxes, the encoding and both characters are
  // taken and shown again at the next opening.
  PostMessageW(view, WM_COMMAND, 396, 0);
  d = WaitDialog(p, L"Run log options");
  ASSERT_NE(nullptr, d);
  WaitFor(1500, [] { return false; });  // painted whole for the picture
  Shot("run_log_options");
  SetDlgItemTextW(d, 141, L"31");
  PostMessageW(d, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(AcknowledgeBox(p, L"256"));
  again = WaitDialog(p, L"Run log options", d);
  ASSERT_NE(nullptr, again) << "the dialog does not open again";
  EXPECT_TRUE(WaitFor(5000, [&] {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(GetWindowThreadProcessId(again, nullptr), &gui) && gui.hwndFocus == GetDlgItem(again, 141);
  })) << "the refused field has the focus";
  const std::wstring logs = dir + L"runlogs";
  SetDlgItemTextW(again, 140, logs.c_str());
  const int boxes[3] = {BST_CHECKED, BST_UNCHECKED, BST_CHECKED};
  for (int i = 0; i < 3; ++i) SendMessageW(GetDlgItem(again, 470 + i), BM_SETCHECK, boxes[i], 0);
  for (int i = 0; i < 3; ++i) SendMessageW(GetDlgItem(again, 400 + i), BM_SETCHECK, i == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  SetDlgItemTextW(again, 141, L"59");
  SetDlgItemTextW(again, 142, L"35");
  ASSERT_TRUE(Press(again, IDOK));
  PostMessageW(view, WM_COMMAND, 396, 0);
  d = WaitDialog(p, L"Run log options", again);
  ASSERT_NE(nullptr, d);
  GetDlgItemTextW(d, 140, text, 200);
  EXPECT_EQ(logs + L"\\", std::wstring(text));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(boxes[i], int(IsDlgButtonChecked(d, 470 + i))) << i;
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(d, 401));
  GetDlgItemTextW(d, 141, text, 200);
  EXPECT_EQ(std::wstring(L"59"), std::wstring(text));
  GetDlgItemTextW(d, 142, text, 200);
  EXPECT_EQ(std::wstring(L"35"), std::wstring(text));
  ASSERT_TRUE(Press(d, IDCANCEL));

  // Colours: the list holds the slots; cancelled.
  PostMessageW(view, WM_COMMAND, 432, 0);
  d = WaitDialog(p, L"Colours");
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(137, int(SendMessageW(GetDlgItem(d, 106), LB_GETCOUNT, 0, 0)));
  // The background's slot shows its colour and its default.
  SendMessageW(GetDlgItem(d, 106), LB_SETCURSEL, 131, 0);
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(106, LBN_SELCHANGE), LPARAM(GetDlgItem(d, 106)));
  GetDlgItemTextW(d, 200, text, 200);
  EXPECT_TRUE(Contains(text, L"176,200,176")) << text;
  GetDlgItemTextW(d, 201, text, 200);
  EXPECT_TRUE(Contains(text, L"176,200,176")) << text;
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 121))) << "the colour is its default";
  WaitFor(1500, [] { return false; });  // painted whole for the picture
  Shot("colours_dialog");
  ASSERT_TRUE(Press(d, IDCANCEL));

  // Background picture: a width of 0 is refused (293) with the dialog again.
  PostMessageW(view, WM_COMMAND, 389, 0);
  d = WaitDialog(p, L"Background picture");
  ASSERT_NE(nullptr, d);
  WaitFor(1500, [] { return false; });  // painted whole for the picture
  Shot("background_picture");
  SetDlgItemTextW(d, 143, L"0");
  PostMessageW(d, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(AcknowledgeBox(p, L"293"));
  again = WaitDialog(p, L"Background picture", d);
  ASSERT_NE(nullptr, again);
  ASSERT_TRUE(Press(again, IDCANCEL));

  // User element graphics: 110 rows, the empty button grey on an empty row.
  PostMessageW(view, WM_COMMAND, 480, 0);
  d = WaitDialog(p, L"User element graphics");
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(110, int(SendMessageW(GetDlgItem(d, 106), LB_GETCOUNT, 0, 0)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 121)));
  WaitFor(1500, [] { return false; });  // painted whole for the picture
  Shot("user_file_list");
  ASSERT_TRUE(Press(d, IDCANCEL));

  CloseProgram(p);
  const std::wstring settings = SettingsText(dir);
  EXPECT_TRUE(Contains(settings, L"\r\nP=6\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, L"\r\nQ=4\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, L"\r\nStat_Opt=1\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, L"\r\nStat_Sep=\";\"\r\n")) << settings.c_str();
  EXPECT_TRUE(Contains(settings, (L"Pfad_log=" + logs + L"\\\r\n").c_str())) << settings.c_str();
}

// A code set through its command protects the saved layout: after the next
// start the save asks for it, refuses a wrong one (274) and saves with the
// right one.
TEST(Orbasim, AProtectionCodeIsAskedBeforeTheNextSave) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  WriteSettings(dir, "[ORBA_385]\r\nEndeF=q\r\nBackup=1\r\n");
  const std::wstring file = dir + L"locked.nt3";
  {
    Program p;
    ASSERT_TRUE(p.Start(dir, L"/Q /STOP"));
    HWND view = FirstPaintedView(p, 60000);
    ASSERT_NE(nullptr, view);
    PostMessageW(view, WM_COMMAND, 265, 0);
    HWND d = WaitDialog(p, L"Protection code");
    ASSERT_NE(nullptr, d);
    SetDlgItemTextW(d, 140, L"abc");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(AcknowledgeBox(p, L"275"));
    HWND again = WaitDialog(p, L"Protection code", d);
    ASSERT_NE(nullptr, again);
    SetDlgItemTextW(again, 140, L"abcd1234");
    WaitFor(1500, [] { return false; });  // painted whole for the picture
    Shot("protection_code");
    ASSERT_TRUE(Press(again, IDOK));
    PostMessageW(view, WM_COMMAND, 259, 0);
    ASSERT_TRUE(AnswerFileDialog(p, L"Save layout as", file, nullptr));
    ASSERT_TRUE(WaitFor(10000, [&] { return Exists(file); }));
    CloseProgram(p);
  }
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q /STOP locked.nt3"));
  HWND view = FirstPaintedView(p, 60000);
  ASSERT_NE(nullptr, view);
  PostMessageW(view, WM_COMMAND, 258, 0);
  HWND d = WaitDialog(p, L"Layout protection code");
  ASSERT_NE(nullptr, d) << "the save does not ask for the code";
  SetDlgItemTextW(d, 140, L"ABCD0000");
  PostMessageW(d, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(AcknowledgeBox(p, L"274"));
  HWND again = WaitDialog(p, L"Layout protection code", d);
  ASSERT_NE(nullptr, again);
  EXPECT_FALSE(Exists(dir + L"locked.000.nt2"));
  SetDlgItemTextW(again, 140, L"ABCD1234");
  ASSERT_TRUE(Press(again, IDOK));
  EXPECT_TRUE(WaitFor(10000, [&] { return Exists(dir + L"locked.000.nt2"); })) << "not saved after the right code";
  CloseProgram(p);
}

// The depot list opens from its command with one row per place of the start
// layout's depot; cancelled, it chooses nothing; confirmed, the view stays.
TEST(Orbasim, TheDepotListOpensFromItsCommand) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q /STOP"));
  HWND view = FirstPaintedView(p, 60000);
  ASSERT_NE(nullptr, view);
  PostMessageW(view, WM_COMMAND, 421, 0);
  HWND d = WaitDialog(p, L"Depot list");
  ASSERT_NE(nullptr, d);
  HWND list = GetDlgItem(d, 106);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(1, int(SendMessageW(list, LB_GETCOUNT, 0, 0)));
  wchar_t text[200];
  GetDlgItemTextW(d, 190, text, 200);
  EXPECT_TRUE(Contains(text, L"depots: 1 places: 1")) << text;
  WaitFor(1500, [] { return false; });  // painted whole for the picture
  Shot("depot_list");
  ASSERT_TRUE(Press(d, IDCANCEL));
  // Opened again and confirmed on its one row.
  PostMessageW(view, WM_COMMAND, 421, 0);
  HWND again = WaitDialog(p, L"Depot list", d);
  ASSERT_NE(nullptr, again);
  SendMessageW(GetDlgItem(again, 106), LB_SETCURSEL, 0, 0);
  ASSERT_TRUE(Press(again, IDOK));
  EXPECT_TRUE(IsWindow(view));
  CloseProgram(p);
}

// A layout of one timetable point cell whose schedule has a departure every
// minute of every day and no train to take it: each minute the point posts
// dispatcher message 13.
void WriteTimetableLayout(const std::wstring& dir, const wchar_t* name) {
  Wire_InstallHooks();
  ASSERT_EQ(0, Grid_Init());
  Grid_Clear();
  Fio_InitBuffers();
  Tp_Clear();
  ASSERT_EQ(1, Grid_SetCell(16384, 16384, 0, 4096 + 152));
  const PackedWeekTime none[TP_RESET_TIMES] = {0, 0, 0, 0, 0, 0};
  ASSERT_EQ(TP_OK, Tp_Create(16384, 16384, 0, 0, none, 0, 0, 1, 0xFF, 0, u"ST"));
  std::vector<u8> schedule = {127, 0, 0x80 | 23};
  for (u8 m = 0; m < 60; ++m) schedule.push_back(m);
  schedule.insert(schedule.end(), {254, 255, 0});
  ASSERT_EQ(0, Tp_SetListsRaw(16384, 16384, 0, schedule.data(), u32(schedule.size()), nullptr, 0));
  const std::wstring file = name;
  for (size_t i = 0; i <= file.size(); ++i) LayoutFileName[i] = i < file.size() ? wch(file[i]) : 0;
  const wstr folder(dir.begin(), dir.end());
  Fio_SetFolderPath(FOLDER_LAYOUTS, folder.c_str());
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  Tp_Clear();
  Grid_Clear();
}

// The list dialog of the dispatcher messages, once the list holds some: an
// empty list answers with warning 599 instead, which is closed and asked
// again while the simulation runs.
HWND OpenDispatcherList(const Program& p, HWND view, DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  while (GetTickCount() < until) {
    PostMessageW(view, WM_COMMAND, 430, 0);
    HWND found = nullptr;
    WaitFor(10000, [&] {
      for (HWND w : Windows(p, nullptr)) {
        const std::wstring c = Caption(w);
        if (Contains(c, L"Dispatcher messages:") || Contains(c, L"599")) {
          found = w;
          return true;
        }
      }
      return false;
    });
    if (!found) return nullptr;
    if (Contains(Caption(found), L"Dispatcher messages:")) return found;
    PostMessageW(found, WM_COMMAND, IDOK, 0);
    WaitFor(5000, [&] { return !IsWindow(found); });
    WaitFor(3000, [] { return false; });
  }
  return nullptr;
}

HWND WaitView(const Program& p) {
  HWND view = nullptr;
  WaitFor(60000, [&] {
    std::vector<HWND> v = Windows(p, kViewClass);
    if (v.empty()) return false;
    view = v[0];
    return true;
  });
  return view;
}

TEST(Orbasim, DispatcherListShowsDeletesAndClearsTheMessagesOfTheRun) {
  const std::wstring dir = CopyProgramFolder(nullptr);
  WriteTimetableLayout(dir, L"tp.nt3");
  if (HasFatalFailure()) return;
  Program p;
  ASSERT_TRUE(p.Start(dir, L"/Q tp.nt3"));
  HWND view = WaitView(p);
  ASSERT_NE(nullptr, view);
  // Two minutes of the running clock give two messages of the point.
  HWND list = nullptr;
  for (int tries = 0; tries < 40; ++tries) {
    list = OpenDispatcherList(p, view, 120000);
    ASSERT_NE(nullptr, list) << "the timetable point posted no message";
    if (SendDlgItemMessageW(list, 106, LB_GETCOUNT, 0, 0) >= 2) break;
    PostMessageW(list, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(list); }));
    WaitFor(3000, [] { return false; });
  }
  const int count = int(SendDlgItemMessageW(list, 106, LB_GETCOUNT, 0, 0));
  ASSERT_GE(count, 2);
  EXPECT_EQ(L"Dispatcher messages: " + std::to_wstring(count), Caption(list));
  Shot("dispatcher_list");
  // The options dialog from the list: stop on kinds set to stop, when full.
  PostMessageW(list, WM_COMMAND, 123, 0);
  HWND options = WaitCaption(p, L"Dispatcher options", 10000);
  ASSERT_NE(nullptr, options);
  SendDlgItemMessageW(options, 400, BM_SETCHECK, BST_UNCHECKED, 0);
  SendDlgItemMessageW(options, 402, BM_SETCHECK, BST_UNCHECKED, 0);
  SendDlgItemMessageW(options, 401, BM_SETCHECK, BST_CHECKED, 0);
  SendDlgItemMessageW(options, 470, BM_SETCHECK, BST_CHECKED, 0);
  PostMessageW(options, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(options); }));
  // Delete the first entry: the list comes back one shorter (the clock
  // stands while it is open).
  PostMessageW(list, WM_COMMAND, 121, 0);
  ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(list); }));
  HWND again = WaitCaption(p, L"Dispatcher messages:", 5000);
  ASSERT_NE(nullptr, again);
  EXPECT_EQ(count - 1, int(SendDlgItemMessageW(again, 106, LB_GETCOUNT, 0, 0)));
  EXPECT_EQ(L"Dispatcher messages: " + std::to_wstring(count - 1), Caption(again));
  // Clear: the list goes, and the next command finds it empty.
  PostMessageW(again, WM_COMMAND, 122, 0);
  ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(again); }));
  PostMessageW(view, WM_COMMAND, 384, 0);  // stop the clock: no new message comes
  WaitFor(1000, [] { return false; });
  PostMessageW(view, WM_COMMAND, 430, 0);
  HWND empty = WaitCaption(p, L"599", 10000);
  if (empty) {
    PostMessageW(empty, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(empty); }));
  } else {
    // A minute may have passed between the clear and the stop: one entry.
    // It is cleared too, or the close would ask about pending messages.
    HWND one = WaitCaption(p, L"Dispatcher messages: 1", 5000);
    ASSERT_NE(nullptr, one) << "neither the empty warning nor one new message";
    PostMessageW(one, WM_COMMAND, 122, 0);
    ASSERT_TRUE(WaitFor(5000, [&] { return !IsWindow(one); }));
  }
  CloseProgram(p);
  const std::wstring settings = SettingsText(dir);
  EXPECT_TRUE(Contains(settings, L"\r\nDispNAllg=XV\r\n")) << settings.c_str();
}

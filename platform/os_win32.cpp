// Win32 Os_ layer. This build runs on the NT family only, so every member
// takes the wide entry point; strings cross to wchar_t here and nowhere else.
#include "platform/os.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <stdio.h>
#include <sys/stat.h>
#include <string.h>
#include <wchar.h>

int UseWideApi = 1;

static_assert(sizeof(wchar_t) == sizeof(wch), "UTF-16 wchar_t expected");
static inline const wchar_t* W(const wch* s) { return reinterpret_cast<const wchar_t*>(s); }
static inline wchar_t* W(wch* s) { return reinterpret_cast<wchar_t*>(s); }

// ---------------------------------------------------------------- files
int Os_Open(const wch* path) { return _wopen(W(path), _O_RDONLY | _O_BINARY); }

int Os_Create(const wch* path) {
  return _wopen(W(path), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

int Os_OpenAppend(const wch* path) {
  return _wopen(W(path), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY, _S_IREAD | _S_IWRITE);
}

i32 Os_Read(int handle, void* buf, u32 n) { return _read(handle, buf, n); }
i32 Os_Write(int handle, const void* buf, u32 n) { return _write(handle, buf, n); }
int Os_Close(int handle) { return _close(handle) == 0 ? 0 : -1; }

i64 Os_Seek(int handle, i64 offset, int origin) {
  int whence = origin == OS_SEEK_CUR ? SEEK_CUR : origin == OS_SEEK_END ? SEEK_END : SEEK_SET;
  return _lseeki64(handle, offset, whence);
}

i64 Os_FileLength(int handle) { return _filelengthi64(handle); }
int Os_Remove(const wch* path) { return _wremove(W(path)) == 0 ? 0 : -1; }
int Os_Rename(const wch* oldPath, const wch* newPath) { return _wrename(W(oldPath), W(newPath)) == 0 ? 0 : -1; }

int Os_ReplaceFile(const wch* newPath, const wch* targetPath) {
  return MoveFileExW(W(newPath), W(targetPath), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}

int Os_Access(const wch* path, int mode) { return _waccess(W(path), mode & 6) == 0 ? 0 : -1; }

int Os_GetFileTime(const wch* path, u16* dosDate, u16* dosTime) {
  HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  FILETIME ft, local;
  WORD d = 0, t = 0;
  BOOL ok = GetFileTime(h, nullptr, nullptr, &ft) && FileTimeToLocalFileTime(&ft, &local) &&
            FileTimeToDosDateTime(&local, &d, &t);
  CloseHandle(h);
  if (!ok) return -1;
  if (dosDate) *dosDate = d;
  if (dosTime) *dosTime = t;
  return 0;
}

int Os_SetFileTime(const wch* path, u16 dosDate, u16 dosTime) {
  FILETIME local, ft;
  if (!DosDateTimeToFileTime(dosDate, dosTime, &local) || !LocalFileTimeToFileTime(&local, &ft)) return -1;
  HANDLE h = CreateFileW(W(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
  return ok ? 0 : -1;
}

int Os_GetCwd(wch* buf, int size) {
  if (size > OS_MAX_PATH) size = OS_MAX_PATH;
  return _wgetcwd(W(buf), size) ? 0 : -1;
}

int Os_GetProgramFolder(wch* buf, int size) {
  DWORD n = GetModuleFileNameW(nullptr, W(buf), DWORD(size));
  if (n == 0 || int(n) >= size) return -1;
  while (n > 0 && buf[n - 1] != u'\\' && buf[n - 1] != u'/') --n;
  buf[n] = 0;
  return n ? 0 : -1;
}

int Os_GetTempFolder(wch* buf, int size) {
  DWORD n = GetTempPathW(DWORD(size), W(buf));
  return (n == 0 || int(n) >= size) ? -1 : 0;
}

int Os_GetAppDataFolder(wch* buf, int size) {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path))) return -1;
  int n = lstrlenW(path);
  if (n + 2 > size) return -1;
  for (int i = 0; i < n; ++i) buf[i] = wch(path[i]);
  if (n && buf[n - 1] != u'\\') buf[n++] = u'\\';
  buf[n] = 0;
  return 0;
}

// ---------------------------------------------------------------- user values
static const wchar_t kOsUserKey[] = L"Software\\ORBA";

int Os_GetUserValue(const wch* name, wch* buf, int size) {
  if (size < 1) return -1;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kOsUserKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return -1;
  DWORD type = 0, bytes = DWORD(size - 1) * 2;
  const LONG r = RegQueryValueExW(key, W(name), nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return -1;
  buf[bytes / 2 < DWORD(size) ? bytes / 2 : DWORD(size - 1)] = 0;
  return 0;
}

int Os_SetUserValue(const wch* name, const wch* value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kOsUserKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return -1;
  const DWORD bytes = DWORD(lstrlenW(W(value)) + 1) * 2;
  const LONG r = RegSetValueExW(key, W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
  RegCloseKey(key);
  return r == ERROR_SUCCESS ? 0 : -1;
}

// ---------------------------------------------------------------- file dialogs
int Os_FileDialog(const OsFileDialog* d, wch* path) {
  const int queued = Os_TakeFileDialogAnswer(d, path);
  if (queued >= 0) return queued;
  OPENFILENAMEW o = {};
  o.lStructSize = sizeof o;
  o.hwndOwner = static_cast<HWND>(d->owner);
  o.lpstrFilter = W(d->filter);
  o.nFilterIndex = 1;
  o.lpstrFile = W(path);
  o.nMaxFile = OS_MAX_PATH;
  o.lpstrInitialDir = d->folder && d->folder[0] ? W(d->folder) : nullptr;
  o.lpstrTitle = W(d->title);
  o.lpstrDefExt = d->defaultExtension && d->defaultExtension[0] ? W(d->defaultExtension) : nullptr;
  o.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_NONETWORKBUTTON | OFN_LONGNAMES | OFN_EXPLORER |
            OFN_PATHMUSTEXIST | (d->save ? 0 : OFN_FILEMUSTEXIST);
  if (d->hook) {
    o.Flags |= OFN_ENABLEHOOK | OFN_SHOWHELP;
    o.lpfnHook = reinterpret_cast<LPOFNHOOKPROC>(d->hook);
    o.lCustData = reinterpret_cast<LPARAM>(d->hookData);
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (d->hookTemplate && FindResourceW(module, MAKEINTRESOURCEW(d->hookTemplate), MAKEINTRESOURCEW(5))) {
      o.Flags |= OFN_ENABLETEMPLATE;
      o.hInstance = module;
      o.lpTemplateName = MAKEINTRESOURCEW(d->hookTemplate);
    }
  }
  const BOOL ok = d->save ? GetSaveFileNameW(&o) : GetOpenFileNameW(&o);
  return ok ? 1 : 0;
}

int Os_CreateFolder(const wch* path) {
  if (CreateDirectoryW(W(path), nullptr)) return 0;
  DWORD a = GetFileAttributesW(W(path));
  return (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) ? 0 : -1;
}

// ---------------------------------------------------------------- memory
void* Os_GlobalAlloc(u32 size) { return size ? (void*)GlobalAlloc(GMEM_FIXED, size) : nullptr; }

void* Os_GlobalReAlloc(void* block, u32 size) {
  if (!block || !size) return nullptr;
  HGLOBAL h = GlobalHandle(block);
  if (!h) return nullptr;
  HGLOBAL n = GlobalReAlloc(h, size, GMEM_MOVEABLE);
  if (!n) return nullptr;
  void* p = GlobalLock(n);
  GlobalUnlock(n);
  return p;
}

int Os_GlobalFree(void* block) {
  HGLOBAL h = GlobalHandle(block);
  if (!h) return -1;
  return GlobalFree(h) == nullptr ? 0 : -1;
}

u32 Os_GlobalSize(void* block) {
  HGLOBAL h = block ? GlobalHandle(block) : nullptr;
  return h ? u32(GlobalSize(h)) : 0;
}

int Os_GlobalHandleValid(void* block) { return block && GlobalHandle(block) ? 1 : 0; }

void* Os_GlobalAllocMovable(u32 size) {
  HGLOBAL h = size ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size) : nullptr;
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) GlobalFree(h);
  return p;
}

void* Os_GlobalHandle(const void* block) { return block ? GlobalHandle(block) : nullptr; }
void* Os_GlobalLock(void* handle) { return handle ? GlobalLock((HGLOBAL)handle) : nullptr; }
int Os_GlobalUnlock(void* handle) { return handle && GlobalUnlock((HGLOBAL)handle) ? 1 : 0; }

// ---------------------------------------------------------------- clipboard
int Os_OpenClipboard(void* window) { return OpenClipboard((HWND)window) ? 1 : 0; }
int Os_CloseClipboard(void) { return CloseClipboard() ? 1 : 0; }
int Os_EmptyClipboard(void) { return EmptyClipboard() ? 1 : 0; }
void* Os_GetClipboardData(u32 format) { return GetClipboardData(format); }
void* Os_SetClipboardData(u32 format, void* handle) { return SetClipboardData(format, (HANDLE)handle); }

void Os_GlobalMemoryStatus(u64* totalPhys, u64* availPhys, u64* totalVirtual, u64* availVirtual, u32* load) {
  MEMORYSTATUSEX ms;
  ms.dwLength = sizeof ms;
  if (!GlobalMemoryStatusEx(&ms)) ZeroMemory(&ms, sizeof ms);
  if (totalPhys) *totalPhys = ms.ullTotalPhys;
  if (availPhys) *availPhys = ms.ullAvailPhys;
  if (totalVirtual) *totalVirtual = ms.ullTotalVirtual;
  if (availVirtual) *availVirtual = ms.ullAvailVirtual;
  if (load) *load = ms.dwMemoryLoad;
}

// ---------------------------------------------------------------- locks
// On the NT family a critical section is the recursive lock; it already
// ignores nothing, so a leave by a thread that does not own it is filtered here.
namespace {
struct Lock {
  CRITICAL_SECTION cs;
  volatile DWORD owner;
  LONG count;
};
}  // namespace

void Os_LockCreate(OsLock* lock) {
  Lock* l = new Lock();
  InitializeCriticalSection(&l->cs);
  lock->impl = l;
}

void Os_LockDestroy(OsLock* lock) {
  if (!lock->impl) return;
  Lock* l = (Lock*)lock->impl;
  DeleteCriticalSection(&l->cs);
  delete l;
  lock->impl = nullptr;
}

void Os_LockEnter(OsLock* lock) {
  Lock* l = (Lock*)lock->impl;
  if (!l) return;
  EnterCriticalSection(&l->cs);
  l->owner = GetCurrentThreadId();
  l->count++;
}

void Os_LockLeave(OsLock* lock) {
  Lock* l = (Lock*)lock->impl;
  if (!l || l->owner != GetCurrentThreadId() || l->count < 1) return;
  if (--l->count == 0) l->owner = 0;
  LeaveCriticalSection(&l->cs);
}

int Os_LockTryEnter(OsLock* lock) {
  Lock* l = (Lock*)lock->impl;
  if (!l || !TryEnterCriticalSection(&l->cs)) return 0;
  l->owner = GetCurrentThreadId();
  l->count++;
  return 1;
}

// ---------------------------------------------------------------- threads
OsHandle Os_StartThread(OsThreadProc proc, void* arg, int run) {
  unsigned id;
  uintptr_t h = _beginthreadex(nullptr, 0, (unsigned(__stdcall*)(void*))proc, arg, run ? 0 : CREATE_SUSPENDED, &id);
  return (OsHandle)h;
}

int Os_ResumeThread(OsHandle thread) { return int(ResumeThread((HANDLE)thread)); }
int Os_SuspendThread(OsHandle thread) { return int(SuspendThread((HANDLE)thread)); }

int Os_WaitForSingleObject(OsHandle handle, i32 ms) {
  DWORD r = WaitForSingleObject((HANDLE)handle, ms < 0 ? INFINITE : DWORD(ms));
  if (r == WAIT_OBJECT_0) return OS_WAIT_OBJECT_0;
  if (r == WAIT_TIMEOUT) return OS_WAIT_TIMEOUT;
  return OS_WAIT_FAILED;
}

int Os_CloseHandle(OsHandle handle) { return CloseHandle((HANDLE)handle) ? 1 : 0; }
OsHandle Os_CreateSemaphore(i32 initial, i32 maximum) { return CreateSemaphoreW(nullptr, initial, maximum, nullptr); }
int Os_ReleaseSemaphore(OsHandle sem, i32 count) { return ReleaseSemaphore((HANDLE)sem, count, nullptr) ? 1 : 0; }
void Os_Sleep(u32 ms) { Sleep(ms); }

u32 Os_GetProcessId(void) { return GetCurrentProcessId(); }

// ---------------------------------------------------------------- time and locale
u32 Os_GetTickCount(void) { return GetTickCount(); }

void Os_GetLocalTime(OsLocalTime* t) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  t->year = st.wYear;
  t->month = st.wMonth;
  t->dayOfWeek = st.wDayOfWeek;
  t->day = st.wDay;
  t->hour = st.wHour;
  t->minute = st.wMinute;
  t->second = st.wSecond;
  t->milliseconds = st.wMilliseconds;
}

wch Os_GetLocaleDecimalSeparator(void) {
  wchar_t buf[8];
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) < 2) return u'.';
  return wch(buf[0]);
}

u16 Os_GetUserDefaultLangID(void) { return GetUserDefaultLangID(); }

void Os_GetShortDatePattern(wch* buf, int size) {
  if (size < 1) return;
  GetProfileStringW(L"Intl", L"sShortDate", L"dd.mm.yyyy", W(buf), DWORD(size));
}

// A locale value, cut to size units; empty when the system has none.
static void Os_LocaleText(LCTYPE type, wch* buf, int size) {
  wchar_t tmp[80];
  buf[0] = 0;
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, type, tmp, 80)) return;
  int i = 0;
  for (; i < size - 1 && tmp[i]; ++i) buf[i] = wch(tmp[i]);
  buf[i] = 0;
}

void Os_GetTimeLocale(OsTimeLocale* t) {
  wch v[4];
  Os_LocaleText(LOCALE_ITIME, v, 4);
  t->hour24 = v[0] == u'1';
  Os_LocaleText(LOCALE_STIME, t->separator, 3);
  Os_LocaleText(LOCALE_S1159, t->am, 21);
  Os_LocaleText(LOCALE_S2359, t->pm, 21);
  Os_LocaleText(LOCALE_ITLZERO, v, 4);
  t->leadingZero = v[0] == u'1';
}

// Both conversions cut at the buffer: the system refuses a short buffer
// outright, so a text that does not fit is converted whole first.
int Os_WideToAnsi(int cp, const wch* src, char* dst, int dstSize) {
  if (dstSize < 1) return 0;
  UINT page = cp < 0 ? CP_ACP : UINT(cp);
  int n = WideCharToMultiByte(page, 0, W(src), -1, dst, dstSize, nullptr, nullptr);
  if (n > 0) return n;
  int need = WideCharToMultiByte(page, 0, W(src), -1, nullptr, 0, nullptr, nullptr);
  if (need <= 0) {
    dst[0] = 0;
    return 1;
  }
  char* tmp = (char*)HeapAlloc(GetProcessHeap(), 0, need);
  if (!tmp) {
    dst[0] = 0;
    return 1;
  }
  WideCharToMultiByte(page, 0, W(src), -1, tmp, need, nullptr, nullptr);
  n = need - 1 < dstSize - 1 ? need - 1 : dstSize - 1;
  memcpy(dst, tmp, n);
  dst[n] = 0;
  HeapFree(GetProcessHeap(), 0, tmp);
  return n + 1;
}

int Os_AnsiToWide(int cp, const char* src, wch* dst, int dstSize) {
  if (dstSize < 1) return 0;
  UINT page = cp < 0 ? CP_ACP : UINT(cp);
  int n = MultiByteToWideChar(page, MB_PRECOMPOSED, src, -1, W(dst), dstSize);
  if (n > 0) return n;
  int need = MultiByteToWideChar(page, MB_PRECOMPOSED, src, -1, nullptr, 0);
  if (need <= 0) {
    dst[0] = 0;
    return 1;
  }
  wchar_t* tmp = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, need * sizeof(wchar_t));
  if (!tmp) {
    dst[0] = 0;
    return 1;
  }
  MultiByteToWideChar(page, MB_PRECOMPOSED, src, -1, tmp, need);
  n = need - 1 < dstSize - 1 ? need - 1 : dstSize - 1;
  memcpy(dst, tmp, n * sizeof(wch));
  dst[n] = 0;
  HeapFree(GetProcessHeap(), 0, tmp);
  return n + 1;
}

// Operating-system layer: the only place where the program calls the system.
//
// The Windows build (os_win32.cpp) always takes the wide entry points; the
// native build (os_posix.cpp) stands in with POSIX calls so that the portable
// modules run and are tested on Linux. Both keep the same results, failure
// values and cut lengths; callers never see which one they run on.
//
// Paths are UTF-16 with backslashes as separators; the POSIX side turns them
// into UTF-8 with slashes.
#pragma once
#include "platform/types.h"

// Set once at start-up; this build runs on the NT family only, so it stays 1.
extern int UseWideApi;

// ---------------------------------------------------------------- files
enum { OS_SEEK_SET = 0, OS_SEEK_CUR = 1, OS_SEEK_END = 2 };

int Os_Open(const wch* path);                     // read-only, binary; handle or -1
int Os_Create(const wch* path);                   // create or truncate for writing; handle or -1
int Os_OpenAppend(const wch* path);               // create if missing, write at its end; handle or -1
i32 Os_Read(int handle, void* buf, u32 n);        // bytes read, 0 at end, -1 error
i32 Os_Write(int handle, const void* buf, u32 n); // bytes written, -1 error
int Os_Close(int handle);                         // 0 ok, -1
i64 Os_Seek(int handle, i64 offset, int origin);  // new position or -1
i64 Os_FileLength(int handle);                    // size or -1
int Os_Remove(const wch* path);                   // 0 ok, -1
int Os_Rename(const wch* oldPath, const wch* newPath); // 0 ok, -1 (fails when the target exists)
// Moves a completely written file over its target in one step, so that a
// reader sees the old file or the new one, never a part. 0 ok, -1.
int Os_ReplaceFile(const wch* newPath, const wch* targetPath);
enum { OS_ACCESS_EXISTS = 0, OS_ACCESS_WRITE = 2, OS_ACCESS_READ = 4 };
int Os_Access(const wch* path, int mode);         // 0 ok, -1
// Last-write time as the two DOS words; 0 ok, -1.
int Os_GetFileTime(const wch* path, u16* dosDate, u16* dosTime);
int Os_SetFileTime(const wch* path, u16 dosDate, u16 dosTime);
int Os_GetCwd(wch* buf, int size);                // 0 ok, -1
// Folder of the running program with its trailing separator; 0 ok, -1.
int Os_GetProgramFolder(wch* buf, int size);
// Folder for temporary files with its trailing separator; 0 ok, -1.
int Os_GetTempFolder(wch* buf, int size);
int Os_CreateFolder(const wch* path);             // 0 ok or exists, -1
// The user's own application-data folder with its trailing separator (where
// settings go when the program folder cannot be written); 0 ok, -1.
int Os_GetAppDataFolder(wch* buf, int size);

// ---------------------------------------------------------------- user values
// Short values the program keeps for the user outside its own folders (the
// install folders of earlier versions): Windows keeps them under the user's
// registry key Software\ORBA; natively they live in memory for the run.
// Get: 0 read (cut to size units with the zero), -1 none. Set: 0 ok, -1.
int Os_GetUserValue(const wch* name, wch* buf, int size);
int Os_SetUserValue(const wch* name, const wch* value);

// ---------------------------------------------------------------- file dialogs
// The system's open (save 0: only existing files) or save dialog (save 1:
// asks nothing about an existing file; the caller does). filter: pairs of a
// name and a pattern, each ended by a zero, the list by a second zero.
// folder: where it starts (may be empty); path: in, the name shown first
// (may be empty); out, the chosen full path (OS_MAX_PATH units). The
// current folder is left as it was. 1 chosen, 0 cancelled.
struct OsFileDialog {
  void* owner;
  int save;
  const wch* title;
  const wch* filter;
  const wch* defaultExtension;
  const wch* folder;
  // A hook procedure of the dialog (LPOFNHOOKPROC) with its data (handed to
  // it as the dialog's lCustData) and the template of the controls it adds
  // (used when the program carries it); null: the plain dialog.
  void* hook;
  void* hookData;
  u32 hookTemplate;
};
int Os_FileDialog(const OsFileDialog* d, wch* path);
// Answers given ahead (tests): while the queue holds any, the next file
// dialog takes the first instead of asking (null: cancelled; an open
// dialog cancels a path that does not exist). Natively no dialog is shown,
// and an empty queue cancels.
void Os_QueueFileDialogAnswer(const wch* path);
// The next queued answer: -1 none queued, 0 cancelled, 1 path filled.
int Os_TakeFileDialogAnswer(const OsFileDialog* d, wch* path);

// ---------------------------------------------------------------- memory
void* Os_GlobalAlloc(u32 size);                   // fixed block or null
void* Os_GlobalReAlloc(void* block, u32 size);    // may move; null and old block kept on failure
int Os_GlobalFree(void* block);                   // 0 ok, -1 refused
u32 Os_GlobalSize(void* block);                   // real size, 0 unknown
int Os_GlobalHandleValid(void* block);            // 1 when the pointer is a block of this layer
// A zero-filled movable block, locked: its pointer, null on failure. Blocks
// handed to the clipboard must be of this kind; Os_GlobalFree frees them.
void* Os_GlobalAllocMovable(u32 size);
// The handle of a block's pointer, null when it is none of this layer's.
void* Os_GlobalHandle(const void* block);
void* Os_GlobalLock(void* handle);                // the block's pointer, null on failure
int Os_GlobalUnlock(void* handle);                // 1 still locked, 0 unlocked or failed
// Physical memory figures for the information text; load in percent.
void Os_GlobalMemoryStatus(u64* totalPhys, u64* availPhys, u64* totalVirtual, u64* availVirtual, u32* load);

// ---------------------------------------------------------------- clipboard
// The system clipboard, opened for a window around each use and closed
// before the caller returns. Natively a clipboard of the process stands in.
enum { OS_CF_TEXT = 1, OS_CF_DIB = 8, OS_CF_UNICODETEXT = 13 };
int Os_OpenClipboard(void* window);               // 1 opened, 0 not
int Os_CloseClipboard(void);
int Os_EmptyClipboard(void);                      // 1 ok, 0 failed
void* Os_GetClipboardData(u32 format);            // the block's handle, null when none
// Hands the block (a handle of a movable block) to the clipboard, which then
// owns it; the handle, null when refused (the caller still owns the block).
void* Os_SetClipboardData(u32 format, void* handle);

// ---------------------------------------------------------------- locks and threads
// Recursive lock: the same thread may enter any number of times and must leave
// as often; a leave by a thread that does not own it changes nothing.
struct OsLock {
  void* impl;
};
void Os_LockCreate(OsLock* lock);
void Os_LockDestroy(OsLock* lock);
void Os_LockEnter(OsLock* lock);
void Os_LockLeave(OsLock* lock);
int Os_LockTryEnter(OsLock* lock);                // 1 taken, 0 held by another thread

typedef unsigned (*OsThreadProc)(void* arg);
typedef void* OsHandle;
// Starts a thread through the runtime; run 0 creates it suspended until
// Os_ResumeThread. Returns the handle, 0 on failure.
OsHandle Os_StartThread(OsThreadProc proc, void* arg, int run);
int Os_ResumeThread(OsHandle thread);
// Suspends a running thread until Os_ResumeThread; the suspend count before,
// -1 on failure. Natively always -1: a POSIX thread cannot be stopped from
// outside.
int Os_SuspendThread(OsHandle thread);
enum { OS_WAIT_OBJECT_0 = 0, OS_WAIT_TIMEOUT = 258, OS_WAIT_FAILED = -1, OS_INFINITE = -1 };
int Os_WaitForSingleObject(OsHandle handle, i32 ms);  // threads and semaphores
int Os_CloseHandle(OsHandle handle);
OsHandle Os_CreateSemaphore(i32 initial, i32 maximum);
int Os_ReleaseSemaphore(OsHandle sem, i32 count);
void Os_Sleep(u32 ms);
// The id of this process, unique among the processes running at a time.
u32 Os_GetProcessId(void);

// ---------------------------------------------------------------- time and locale
struct OsLocalTime {
  u16 year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};
u32 Os_GetTickCount(void);
void Os_GetLocalTime(OsLocalTime* t);
// First character of the user locale's decimal separator.
wch Os_GetLocaleDecimalSeparator(void);
u16 Os_GetUserDefaultLangID(void);
// The system's short-date pattern (profile section "Intl", key "sShortDate";
// "dd.mm.yyyy" when none), cut to size - 1 units.
void Os_GetShortDatePattern(wch* buf, int size);
// The user locale's time form: 24-hour clock, separator (up to 2 units),
// morning and afternoon texts (up to 20), leading zero of the hour.
struct OsTimeLocale {
  int hour24;
  wch separator[3];
  wch am[21];
  wch pm[21];
  int leadingZero;
};
void Os_GetTimeLocale(OsTimeLocale* t);

// Code-page conversion; cp -1 means the system's default 8-bit code page.
// Both return the number of units written including the terminating zero
// (the output is always terminated when size > 0), 0 on failure.
int Os_WideToAnsi(int cp, const wch* src, char* dst, int dstSize);
int Os_AnsiToWide(int cp, const char* src, wch* dst, int dstSize);

// GoogleTest's own thread on Windows, started before the first test.
//
// GoogleTest keeps its per-thread records on Windows with a watcher thread
// that it starts the first time a thread records something (SUCCEED, a
// failure, a trace). Left to that moment it may come in the last test, just
// before the program ends; a 32-bit process under Wine that ends while one of
// its threads is still starting dies with a segmentation fault, after every
// test has passed. Started here and awaited until it runs, the thread is long
// settled in its wait when the program ends.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/test_util.h"

namespace {
volatile LONG g_threadsStarted = 0;

// The loader calls this in every new thread once the thread is set up, just
// before its own code runs.
void NTAPI Test_OnThreadEvent(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH) InterlockedIncrement(&g_threadsStarted);
}
}  // namespace

extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK g_testThreadCallback =
    Test_OnThreadEvent;

int Test_StartFrameworkThread(void) {
  const LONG before = g_threadsStarted;
  { SCOPED_TRACE("start"); }  // this thread's first record: the watcher starts
  const DWORD start = GetTickCount();
  while (g_threadsStarted == before) {
    if (GetTickCount() - start > 20000) return 1;
    Sleep(1);
  }
  return 0;
}

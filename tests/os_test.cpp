#include <gtest/gtest.h>

#include <atomic>

#include "platform/os.h"

namespace {
struct LockProbe {
  OsLock* lock;
  std::atomic<int> tryResult{-1};
  std::atomic<int> done{0};
};

unsigned TryFromOtherThread(void* arg) {
  LockProbe* p = (LockProbe*)arg;
  p->tryResult = Os_LockTryEnter(p->lock);
  if (p->tryResult == 1) Os_LockLeave(p->lock);
  // A leave by a thread that does not own the lock changes nothing.
  Os_LockLeave(p->lock);
  p->done = 1;
  return 0;
}

unsigned Count(void* arg) {
  ((std::atomic<int>*)arg)->fetch_add(1);
  return 0;
}
}  // namespace

TEST(OsLock, RecursiveAndTryEnterAcrossThreads) {
  OsLock lock;
  Os_LockCreate(&lock);
  Os_LockEnter(&lock);
  EXPECT_EQ(1, Os_LockTryEnter(&lock)) << "the owner may enter again";

  LockProbe probe;
  probe.lock = &lock;
  OsHandle t = Os_StartThread(TryFromOtherThread, &probe, 1);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(OS_WAIT_OBJECT_0, Os_WaitForSingleObject(t, 10000));
  Os_CloseHandle(t);
  EXPECT_EQ(0, probe.tryResult.load()) << "held by another thread: refused at once";

  // Entered twice, so one leave still holds it.
  Os_LockLeave(&lock);
  probe.tryResult = -1;
  t = Os_StartThread(TryFromOtherThread, &probe, 1);
  Os_WaitForSingleObject(t, 10000);
  Os_CloseHandle(t);
  EXPECT_EQ(0, probe.tryResult.load());

  Os_LockLeave(&lock);
  t = Os_StartThread(TryFromOtherThread, &probe, 1);
  Os_WaitForSingleObject(t, 10000);
  Os_CloseHandle(t);
  EXPECT_EQ(1, probe.tryResult.load()) << "free after as many leaves as enters";
  Os_LockDestroy(&lock);
}

TEST(OsThread, SuspendedThreadRunsOnlyAfterResume) {
  std::atomic<int> n{0};
  OsHandle t = Os_StartThread(Count, &n, 0);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(OS_WAIT_TIMEOUT, Os_WaitForSingleObject(t, 50));
  EXPECT_EQ(0, n.load());
  Os_ResumeThread(t);
  EXPECT_EQ(OS_WAIT_OBJECT_0, Os_WaitForSingleObject(t, 10000));
  EXPECT_EQ(1, n.load());
  Os_CloseHandle(t);
}

TEST(OsSemaphore, CountsAndTimesOut) {
  OsHandle s = Os_CreateSemaphore(1, 2);
  ASSERT_NE(nullptr, s);
  EXPECT_EQ(OS_WAIT_OBJECT_0, Os_WaitForSingleObject(s, 0));
  EXPECT_EQ(OS_WAIT_TIMEOUT, Os_WaitForSingleObject(s, 20));
  EXPECT_EQ(1, Os_ReleaseSemaphore(s, 2));
  EXPECT_EQ(0, Os_ReleaseSemaphore(s, 1)) << "above its maximum";
  EXPECT_EQ(OS_WAIT_OBJECT_0, Os_WaitForSingleObject(s, 0));
  EXPECT_EQ(OS_WAIT_OBJECT_0, Os_WaitForSingleObject(s, 0));
  Os_CloseHandle(s);
}

TEST(OsTime, TickCountAndLocalTime) {
  // The tick count moves on while we sleep. Its step is coarse (up to
  // 16 ms on Windows, more under load), so wait for it rather than expect a
  // given amount after one sleep.
  u32 t0 = Os_GetTickCount(), last = t0;
  for (int i = 0; i < 200 && last - t0 < 30; ++i) {
    Os_Sleep(10);
    u32 now = Os_GetTickCount();
    EXPECT_GE(now - t0, last - t0) << "the tick count never runs backwards";
    last = now;
  }
  EXPECT_GE(last - t0, 30u);
  OsLocalTime lt;
  Os_GetLocalTime(&lt);
  EXPECT_GE(lt.year, 2020);
  EXPECT_GE(lt.month, 1);
  EXPECT_LE(lt.month, 12);
  EXPECT_LE(lt.hour, 23);
  EXPECT_LE(lt.dayOfWeek, 6);
}

TEST(OsCodePage, WideToAnsiCutsAndTerminates) {
  char a[4];
  EXPECT_EQ(4, Os_WideToAnsi(-1, u"abcdef", a, 4));
  EXPECT_STREQ("abc", a);
  wch w[8];
  EXPECT_EQ(4, Os_AnsiToWide(-1, "\xE4xy", w, 8));
  EXPECT_EQ(0xE4, w[0]);
  EXPECT_EQ(0, w[3]);
}

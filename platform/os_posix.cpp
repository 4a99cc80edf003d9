// POSIX stand-in for the Os_ layer: what the portable modules need, so that
// they build and are tested natively. Behaviour and results follow the
// Windows layer (os_win32.cpp).
#include "platform/os.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <malloc.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>

#include <string>
#include <vector>

int UseWideApi = 1;

// ---------------------------------------------------------------- paths
static std::string PathToUtf8(const wch* p) {
  std::string out;
  for (; *p; ++p) {
    u32 c = *p;
    if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    }
    if (c == '\\') c = '/';
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 63));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 63));
      out += char(0x80 | (c & 63));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 63));
      out += char(0x80 | ((c >> 6) & 63));
      out += char(0x80 | (c & 63));
    }
  }
  return out;
}

static int Utf8ToPath(const char* s, wch* buf, int size) {
  int n = 0;
  const unsigned char* p = (const unsigned char*)s;
  while (*p) {
    u32 c = *p++;
    if (c >= 0xF0) {
      c = (c & 7) << 18;
      for (int i = 2; i >= 0 && *p; --i) c |= u32(*p++ & 63) << (6 * i);
    } else if (c >= 0xE0) {
      c = (c & 15) << 12;
      for (int i = 1; i >= 0 && *p; --i) c |= u32(*p++ & 63) << (6 * i);
    } else if (c >= 0xC0) {
      c = (c & 31) << 6;
      if (*p) c |= *p++ & 63;
    }
    if (c >= 0x10000) {
      if (n + 3 > size) return -1;
      c -= 0x10000;
      buf[n++] = wch(0xD800 + (c >> 10));
      buf[n++] = wch(0xDC00 + (c & 1023));
    } else {
      if (n + 2 > size) return -1;
      buf[n++] = wch(c);
    }
  }
  if (n + 1 > size) return -1;
  buf[n] = 0;
  return 0;
}

// ---------------------------------------------------------------- files
int Os_Open(const wch* path) {
  int fd = open(PathToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

int Os_Create(const wch* path) {
  int fd = open(PathToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? -1 : fd;
}

int Os_OpenAppend(const wch* path) {
  int fd = open(PathToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  return fd < 0 ? -1 : fd;
}

i32 Os_Read(int handle, void* buf, u32 n) {
  for (;;) {
    ssize_t r = read(handle, buf, n);
    if (r < 0 && errno == EINTR) continue;
    return r < 0 ? -1 : i32(r);
  }
}

i32 Os_Write(int handle, const void* buf, u32 n) {
  for (;;) {
    ssize_t r = write(handle, buf, n);
    if (r < 0 && errno == EINTR) continue;
    return r < 0 ? -1 : i32(r);
  }
}

int Os_Close(int handle) { return close(handle) == 0 ? 0 : -1; }

i64 Os_Seek(int handle, i64 offset, int origin) {
  int whence = origin == OS_SEEK_CUR ? SEEK_CUR : origin == OS_SEEK_END ? SEEK_END : SEEK_SET;
  off_t r = lseek(handle, off_t(offset), whence);
  return r < 0 ? -1 : i64(r);
}

i64 Os_FileLength(int handle) {
  struct stat st;
  if (fstat(handle, &st) != 0) return -1;
  return i64(st.st_size);
}

int Os_Remove(const wch* path) { return unlink(PathToUtf8(path).c_str()) == 0 ? 0 : -1; }

int Os_Rename(const wch* oldPath, const wch* newPath) {
  std::string to = PathToUtf8(newPath);
  if (access(to.c_str(), F_OK) == 0) return -1;
  return rename(PathToUtf8(oldPath).c_str(), to.c_str()) == 0 ? 0 : -1;
}

int Os_ReplaceFile(const wch* newPath, const wch* targetPath) {
  return rename(PathToUtf8(newPath).c_str(), PathToUtf8(targetPath).c_str()) == 0 ? 0 : -1;
}

int Os_Access(const wch* path, int mode) {
  int m = F_OK;
  if (mode & OS_ACCESS_WRITE) m |= W_OK;
  if (mode & OS_ACCESS_READ) m |= R_OK;
  return access(PathToUtf8(path).c_str(), m) == 0 ? 0 : -1;
}

int Os_GetFileTime(const wch* path, u16* dosDate, u16* dosTime) {
  struct stat st;
  if (stat(PathToUtf8(path).c_str(), &st) != 0) return -1;
  struct tm tmv;
  time_t t = st.st_mtime;
  localtime_r(&t, &tmv);
  if (tmv.tm_year < 80) return -1;
  if (dosDate) *dosDate = u16(((tmv.tm_year - 80) << 9) | ((tmv.tm_mon + 1) << 5) | tmv.tm_mday);
  if (dosTime) *dosTime = u16((tmv.tm_hour << 11) | (tmv.tm_min << 5) | (tmv.tm_sec / 2));
  return 0;
}

int Os_SetFileTime(const wch* path, u16 dosDate, u16 dosTime) {
  struct tm tmv;
  memset(&tmv, 0, sizeof tmv);
  tmv.tm_year = (dosDate >> 9) + 80;
  tmv.tm_mon = ((dosDate >> 5) & 15) - 1;
  tmv.tm_mday = dosDate & 31;
  tmv.tm_hour = dosTime >> 11;
  tmv.tm_min = (dosTime >> 5) & 63;
  tmv.tm_sec = (dosTime & 31) * 2;
  tmv.tm_isdst = -1;
  time_t t = mktime(&tmv);
  if (t == (time_t)-1) return -1;
  struct utimbuf ub;
  ub.actime = t;
  ub.modtime = t;
  return utime(PathToUtf8(path).c_str(), &ub) == 0 ? 0 : -1;
}

int Os_GetCwd(wch* buf, int size) {
  char tmp[PATH_MAX];
  if (!getcwd(tmp, sizeof tmp)) return -1;
  return Utf8ToPath(tmp, buf, size);
}

int Os_GetProgramFolder(wch* buf, int size) {
  char tmp[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", tmp, sizeof tmp - 1);
  if (n <= 0) return -1;
  tmp[n] = 0;
  char* slash = strrchr(tmp, '/');
  if (!slash) return -1;
  slash[1] = 0;
  return Utf8ToPath(tmp, buf, size);
}

int Os_GetTempFolder(wch* buf, int size) {
  const char* t = getenv("TMPDIR");
  std::string s = (t && *t) ? t : "/tmp";
  if (s.back() != '/') s += '/';
  return Utf8ToPath(s.c_str(), buf, size);
}

int Os_CreateFolder(const wch* path) {
  std::string p = PathToUtf8(path);
  if (mkdir(p.c_str(), 0755) == 0) return 0;
  struct stat st;
  return (errno == EEXIST && stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? 0 : -1;
}

int Os_GetAppDataFolder(wch* buf, int size) {
  const char* h = getenv("XDG_CONFIG_HOME");
  std::string s;
  if (h && *h) s = h;
  else if ((h = getenv("HOME")) && *h) s = std::string(h) + "/.config";
  else return -1;
  if (s.back() != '/') s += '/';
  return Utf8ToPath(s.c_str(), buf, size);
}

// ---------------------------------------------------------------- user values
namespace {
struct OsUserValue {
  std::u16string name, value;
};
std::vector<OsUserValue> g_osUserValues;
}  // namespace

int Os_GetUserValue(const wch* name, wch* buf, int size) {
  if (size < 1) return -1;
  for (const OsUserValue& v : g_osUserValues)
    if (v.name == name) {
      int n = 0;
      for (; n < size - 1 && n < int(v.value.size()); ++n) buf[n] = v.value[size_t(n)];
      buf[n] = 0;
      return 0;
    }
  return -1;
}

int Os_SetUserValue(const wch* name, const wch* value) {
  for (OsUserValue& v : g_osUserValues)
    if (v.name == name) {
      v.value = value;
      return 0;
    }
  g_osUserValues.push_back({name, value});
  return 0;
}

// ---------------------------------------------------------------- file dialogs
// No dialog natively: only queued answers, and an empty queue cancels.
int Os_FileDialog(const OsFileDialog* d, wch* path) {
  const int queued = Os_TakeFileDialogAnswer(d, path);
  return queued > 0 ? 1 : 0;
}

// ---------------------------------------------------------------- memory
void* Os_GlobalAlloc(u32 size) { return size ? malloc(size) : nullptr; }

void* Os_GlobalReAlloc(void* block, u32 size) {
  if (!block || !size) return nullptr;
  return realloc(block, size);
}

int Os_GlobalFree(void* block) {
  free(block);
  return 0;
}

u32 Os_GlobalSize(void* block) { return block ? u32(malloc_usable_size(block)) : 0; }

int Os_GlobalHandleValid(void* block) { return block != nullptr; }

// Natively a block is its own handle and never moves.
void* Os_GlobalAllocMovable(u32 size) { return size ? calloc(1, size) : nullptr; }
void* Os_GlobalHandle(const void* block) { return const_cast<void*>(block); }
void* Os_GlobalLock(void* handle) { return handle; }
int Os_GlobalUnlock(void* handle) { return 0; }

// ---------------------------------------------------------------- clipboard
// The process's own clipboard: one block per format, owned once handed over.
namespace {
enum { CLIP_FORMATS = 16 };
void* g_clipData[CLIP_FORMATS];
int g_clipOpen;
}  // namespace

int Os_OpenClipboard(void* window) {
  if (g_clipOpen) return 0;
  g_clipOpen = 1;
  return 1;
}

int Os_CloseClipboard(void) {
  const int was = g_clipOpen;
  g_clipOpen = 0;
  return was;
}

int Os_EmptyClipboard(void) {
  if (!g_clipOpen) return 0;
  for (void*& d : g_clipData) {
    free(d);
    d = nullptr;
  }
  return 1;
}

void* Os_GetClipboardData(u32 format) { return (g_clipOpen && format < CLIP_FORMATS) ? g_clipData[format] : nullptr; }

void* Os_SetClipboardData(u32 format, void* handle) {
  if (!g_clipOpen || format >= CLIP_FORMATS || !handle) return nullptr;
  if (g_clipData[format] != handle) free(g_clipData[format]);
  g_clipData[format] = handle;
  return handle;
}

void Os_GlobalMemoryStatus(u64* totalPhys, u64* availPhys, u64* totalVirtual, u64* availVirtual, u32* load) {
  struct sysinfo si;
  if (sysinfo(&si) != 0) memset(&si, 0, sizeof si);
  u64 unit = si.mem_unit ? si.mem_unit : 1;
  u64 tot = u64(si.totalram) * unit, av = u64(si.freeram + si.bufferram) * unit;
  if (totalPhys) *totalPhys = tot;
  if (availPhys) *availPhys = av;
  if (totalVirtual) *totalVirtual = 0x7FFE0000u;
  if (availVirtual) *availVirtual = 0x7FFE0000u;
  if (load) *load = tot ? u32(100 - av * 100 / tot) : 0;
}

// ---------------------------------------------------------------- locks
void Os_LockCreate(OsLock* lock) {
  pthread_mutex_t* m = new pthread_mutex_t;
  pthread_mutexattr_t a;
  pthread_mutexattr_init(&a);
  pthread_mutexattr_settype(&a, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(m, &a);
  pthread_mutexattr_destroy(&a);
  lock->impl = m;
}

void Os_LockDestroy(OsLock* lock) {
  if (!lock->impl) return;
  pthread_mutex_t* m = (pthread_mutex_t*)lock->impl;
  pthread_mutex_destroy(m);
  delete m;
  lock->impl = nullptr;
}

void Os_LockEnter(OsLock* lock) {
  if (lock->impl) pthread_mutex_lock((pthread_mutex_t*)lock->impl);
}

void Os_LockLeave(OsLock* lock) {
  // A recursive mutex refuses (EPERM) an unlock by a thread that does not own it.
  if (lock->impl) pthread_mutex_unlock((pthread_mutex_t*)lock->impl);
}

int Os_LockTryEnter(OsLock* lock) {
  if (!lock->impl) return 0;
  return pthread_mutex_trylock((pthread_mutex_t*)lock->impl) == 0 ? 1 : 0;
}

// ---------------------------------------------------------------- threads
namespace {
enum { KIND_THREAD = 1, KIND_SEM = 2 };
struct Handle {
  int kind;
  pthread_t thread;
  OsThreadProc proc;
  void* arg;
  pthread_mutex_t m;
  pthread_cond_t c;
  int running;  // thread: released from its start gate; semaphore: count
  int done;
  int maximum;
};

void* ThreadMain(void* p) {
  Handle* h = (Handle*)p;
  pthread_mutex_lock(&h->m);
  while (!h->running) pthread_cond_wait(&h->c, &h->m);
  pthread_mutex_unlock(&h->m);
  h->proc(h->arg);
  pthread_mutex_lock(&h->m);
  h->done = 1;
  pthread_cond_broadcast(&h->c);
  pthread_mutex_unlock(&h->m);
  return nullptr;
}

Handle* NewHandle(int kind) {
  Handle* h = new Handle();
  h->kind = kind;
  pthread_mutex_init(&h->m, nullptr);
  pthread_cond_init(&h->c, nullptr);
  return h;
}
}  // namespace

OsHandle Os_StartThread(OsThreadProc proc, void* arg, int run) {
  Handle* h = NewHandle(KIND_THREAD);
  h->proc = proc;
  h->arg = arg;
  h->running = run ? 1 : 0;
  if (pthread_create(&h->thread, nullptr, ThreadMain, h) != 0) {
    delete h;
    return nullptr;
  }
  return h;
}

int Os_ResumeThread(OsHandle thread) {
  Handle* h = (Handle*)thread;
  if (!h || h->kind != KIND_THREAD) return -1;
  pthread_mutex_lock(&h->m);
  int was = h->running ? 0 : 1;
  h->running = 1;
  pthread_cond_broadcast(&h->c);
  pthread_mutex_unlock(&h->m);
  return was;
}

int Os_SuspendThread(OsHandle thread) {
  (void)thread;
  return -1;
}

static void DeadlineIn(struct timespec* ts, i32 ms) {
  clock_gettime(CLOCK_REALTIME, ts);
  ts->tv_sec += ms / 1000;
  ts->tv_nsec += long(ms % 1000) * 1000000L;
  if (ts->tv_nsec >= 1000000000L) {
    ts->tv_sec++;
    ts->tv_nsec -= 1000000000L;
  }
}

int Os_WaitForSingleObject(OsHandle handle, i32 ms) {
  Handle* h = (Handle*)handle;
  if (!h) return OS_WAIT_FAILED;
  struct timespec ts;
  if (ms >= 0) DeadlineIn(&ts, ms);
  pthread_mutex_lock(&h->m);
  int result = OS_WAIT_OBJECT_0;
  for (;;) {
    bool signalled = h->kind == KIND_THREAD ? h->done != 0 : h->running > 0;
    if (signalled) {
      if (h->kind == KIND_SEM) h->running--;
      break;
    }
    if (ms < 0) {
      pthread_cond_wait(&h->c, &h->m);
    } else if (pthread_cond_timedwait(&h->c, &h->m, &ts) == ETIMEDOUT) {
      result = OS_WAIT_TIMEOUT;
      break;
    }
  }
  pthread_mutex_unlock(&h->m);
  return result;
}

int Os_CloseHandle(OsHandle handle) {
  Handle* h = (Handle*)handle;
  if (!h) return 0;
  if (h->kind == KIND_THREAD) {
    pthread_mutex_lock(&h->m);
    int done = h->done;
    pthread_mutex_unlock(&h->m);
    if (!done) return 0;  // a running thread keeps its record until it ends
    pthread_join(h->thread, nullptr);
  }
  pthread_mutex_destroy(&h->m);
  pthread_cond_destroy(&h->c);
  delete h;
  return 1;
}

OsHandle Os_CreateSemaphore(i32 initial, i32 maximum) {
  if (initial < 0 || maximum < 1 || initial > maximum) return nullptr;
  Handle* h = NewHandle(KIND_SEM);
  h->running = initial;
  h->maximum = maximum;
  return h;
}

int Os_ReleaseSemaphore(OsHandle sem, i32 count) {
  Handle* h = (Handle*)sem;
  if (!h || h->kind != KIND_SEM || count < 1) return 0;
  pthread_mutex_lock(&h->m);
  int ok = h->running + count <= h->maximum;
  if (ok) {
    h->running += count;
    pthread_cond_broadcast(&h->c);
  }
  pthread_mutex_unlock(&h->m);
  return ok;
}

void Os_Sleep(u32 ms) {
  struct timespec ts = {time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

u32 Os_GetProcessId(void) { return u32(getpid()); }

// ---------------------------------------------------------------- time and locale
u32 Os_GetTickCount(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return u32(u64(ts.tv_sec) * 1000u + u64(ts.tv_nsec) / 1000000u);
}

void Os_GetLocalTime(OsLocalTime* t) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm tmv;
  localtime_r(&ts.tv_sec, &tmv);
  t->year = u16(tmv.tm_year + 1900);
  t->month = u16(tmv.tm_mon + 1);
  t->dayOfWeek = u16(tmv.tm_wday);
  t->day = u16(tmv.tm_mday);
  t->hour = u16(tmv.tm_hour);
  t->minute = u16(tmv.tm_min);
  t->second = u16(tmv.tm_sec);
  t->milliseconds = u16(ts.tv_nsec / 1000000L);
}

wch Os_GetLocaleDecimalSeparator(void) { return u'.'; }

u16 Os_GetUserDefaultLangID(void) { return 0x0409; }

static void CopyAscii(wch* dst, int size, const char* src) {
  int i = 0;
  for (; i < size - 1 && src[i]; ++i) dst[i] = wch(u8(src[i]));
  if (size > 0) dst[i] = 0;
}

// Natively the program's own defaults stand in for the locale.
void Os_GetShortDatePattern(wch* buf, int size) { CopyAscii(buf, size, "dd.mm.yyyy"); }

void Os_GetTimeLocale(OsTimeLocale* t) {
  t->hour24 = 1;
  CopyAscii(t->separator, 3, ":");
  CopyAscii(t->am, 21, "AM");
  CopyAscii(t->pm, 21, "PM");
  t->leadingZero = 1;
}

// Windows-1252 above 0x7F: the system default here; 0x80..0x9F map to these.
static const u16 kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int Os_WideToAnsi(int cp, const wch* src, char* dst, int dstSize) {
  if (dstSize < 1) return 0;
  int n = 0;
  for (; *src && n < dstSize - 1; ++src) {
    u16 c = *src;
    unsigned char b = '?';
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      b = (unsigned char)c;
    } else {
      for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) b = (unsigned char)(0x80 + i);
    }
    dst[n++] = char(b);
  }
  dst[n] = 0;
  return n + 1;
}

int Os_AnsiToWide(int cp, const char* src, wch* dst, int dstSize) {
  if (dstSize < 1) return 0;
  int n = 0;
  for (const unsigned char* p = (const unsigned char*)src; *p && n < dstSize - 1; ++p)
    dst[n++] = (*p >= 0x80 && *p < 0xA0) ? wch(kCp1252High[*p - 0x80]) : wch(*p);
  dst[n] = 0;
  return n + 1;
}

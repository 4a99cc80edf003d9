#include "tests/test_util.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#define TEST_PROCESS_ID() _getpid()
#else
#include <unistd.h>
#define TEST_PROCESS_ID() getpid()
#endif

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/os.h"

wstr W16(const char* s) {
  wstr out;
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
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 1023));
    } else {
      out += char16_t(c);
    }
  }
  return out;
}

std::string U8(const wstr& s) {
  std::string out;
  for (char16_t ch : s) {
    u32 c = ch;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 63));
    } else {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 63));
      out += char(0x80 | (c & 63));
    }
  }
  return out;
}

namespace {
#ifdef _WIN32
const char16_t kSep = u'\\';
#else
const char16_t kSep = u'/';
#endif

wstr g_processFolder;
std::filesystem::path g_startFolder;
// The folders Test_MakeTempFolder made during the running test.
std::vector<wstr> g_testFolders;

void Test_SetBaseFolders(const wstr& folder) {
  for (int i = 0; i <= 6; ++i) Fio_SetFolderPath(i, folder.c_str());
}
}  // namespace

wstr Test_ProcessFolder(void) {
  if (!g_processFolder.empty()) return g_processFolder;
  wch tmp[OS_MAX_PATH];
  if (Os_GetTempFolder(tmp, OS_MAX_PATH) != 0) return wstr();
  // The process id keeps the names of programs started at the same moment
  // apart; creating the folder is the claim, so a name left behind by an
  // earlier run with the same id is skipped, never shared.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char name[64];
    snprintf(name, sizeof name, "orbatest_%lu_%d", (unsigned long)TEST_PROCESS_ID(), attempt);
    const wstr folder = wstr(tmp) + W16(name);
    std::error_code ec;
    if (std::filesystem::create_directory(std::filesystem::path(folder), ec)) {
      g_processFolder = folder + kSep;
      break;
    }
    if (ec) return wstr();
  }
  return g_processFolder;
}

int Test_BeginProcess(void) {
  const wstr folder = Test_ProcessFolder();
  if (folder.empty()) return 1;
  std::error_code ec;
  g_startFolder = std::filesystem::current_path(ec);
  std::filesystem::current_path(std::filesystem::path(folder), ec);
  if (ec) return 2;
  Test_SetBaseFolders(folder);
  return 0;
}

void Test_EndProcess(bool keep) {
  if (g_processFolder.empty()) return;
  std::error_code ec;
  // A folder that is the current one cannot be removed on Windows.
  if (!g_startFolder.empty()) std::filesystem::current_path(g_startFolder, ec);
  if (keep) {
    fprintf(stderr, "The files of this run are kept in %s\n", U8(g_processFolder).c_str());
    return;
  }
  std::filesystem::remove_all(std::filesystem::path(g_processFolder), ec);
  if (ec) fprintf(stderr, "%s not removed: %s\n", U8(g_processFolder).c_str(), ec.message().c_str());
}

wstr Test_MakeTempFolder(void) {
  static std::atomic<int> counter{0};
  const wstr root = Test_ProcessFolder();
  if (root.empty()) {
    ADD_FAILURE() << "Test_MakeTempFolder: this process has no folder of its own";
    return wstr();
  }
  // Creating the folder is the claim: a name that exists already (left by
  // anything) is skipped, never shared.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char name[32];
    snprintf(name, sizeof name, "t%d", counter++);
    const wstr folder = root + W16(name);
    std::error_code ec;
    if (std::filesystem::create_directory(std::filesystem::path(folder), ec)) {
      g_testFolders.push_back(folder);
      Test_SetBaseFolders(folder + kSep);
      return folder + kSep;
    }
    if (ec) {
      ADD_FAILURE() << "Test_MakeTempFolder: " << U8(folder) << " not made: " << ec.message();
      return wstr();
    }
  }
  ADD_FAILURE() << "Test_MakeTempFolder: no new folder in " << U8(root);
  return wstr();
}

void Test_EndTest(bool keep) {
  if (!keep) {
    for (const wstr& folder : g_testFolders) {
      std::error_code ec;
      std::filesystem::remove_all(std::filesystem::path(folder), ec);
      if (ec) fprintf(stderr, "%s not removed: %s\n", U8(folder).c_str(), ec.message().c_str());
    }
  }
  // Folders a suite set up for all its tests stay; only those pointing into
  // a folder just removed go back to the process's folder.
  if (!g_testFolders.empty() && !g_processFolder.empty()) Test_SetBaseFolders(g_processFolder);
  g_testFolders.clear();
}

bool Test_WriteFile(const wstr& path, const std::vector<u8>& bytes) {
  int h = Os_Create(path.c_str());
  if (h < 0) return false;
  bool ok = bytes.empty() || Os_Write(h, bytes.data(), u32(bytes.size())) == i32(bytes.size());
  return Os_Close(h) == 0 && ok;
}

std::vector<u8> Test_ReadFile(const wstr& path) {
  std::vector<u8> out;
  int h = Os_Open(path.c_str());
  if (h < 0) return out;
  u8 buf[65536];
  i32 n;
  while ((n = Os_Read(h, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + n);
  Os_Close(h);
  return out;
}

bool Test_FileExists(const wstr& path) { return Os_Access(path.c_str(), OS_ACCESS_EXISTS) == 0; }

int Test_LoadTexts(void) {
  Fio_InitBuffers();
  Lng_Init();
  Fio_SetFolderPath(0, Test_DataFolder().c_str());
  return Lng_LoadFile(u"orba.lng", 1);
}

wstr Test_DataFolder(void) {
  wstr d = W16(ORBA_DATA_DIR);
#ifdef _WIN32
  // The build passes a Linux path; under Wine it is reached through drive Z:.
  wstr out = u"Z:";
  for (char16_t c : d) out += (c == u'/') ? u'\\' : c;
  return out + u'\\';
#else
  return d + u'/';
#endif
}

static void Test_PutPos(std::vector<u8>& b, u32 x, u32 y, u8 level) {
  Test_Put16(b, x);
  Test_Put16(b, y);
  b.push_back(level);
}

std::vector<u8> Test_MinimalGenl(void) {
  std::vector<u8> b = {'G', 'E', 'N', 'L'};
  Test_Put32(b, 0);  // origin
  Test_Put32(b, 0);
  Test_PutPos(b, 0, 0, 0);  // cursor
  Test_Put32(b, 0);         // no marks
  Test_PutPos(b, 1024, 1024, 0);  // home
  for (u32 v : {16384u, 16384u, 16384u, 16384u, 0u, 0u}) Test_Put32(b, v);  // marked box
  Test_Put32(b, 0);  // last line end
  Test_Put32(b, 0);
  for (u8 v : {15, 1, 0, 0, 0}) b.push_back(v);  // speed, weekday, hour, minute, second
  Test_Put32(b, 0);  // ticks
  Test_Put32(b, 0);  // elapsed minutes
  for (u8 v : {255, 255, 0}) b.push_back(v);  // no alarm
  Test_Put32(b, 0);
  Test_PutPos(b, 0, 0, 0);  // extent
  Test_PutPos(b, 0, 0, 0);
  Test_Put32(b, 0);   // flags
  Test_Put32(b, 64);  // scale
  for (u32 v : {0u, 0u, 64u, 64u, 16u, 16u}) Test_Put32(b, v);
  b.push_back('g');
  for (u32 v : {0x0600u, 0x0800u, 0x1200u, 0x1400u}) Test_Put16(b, v);  // daylight times
  for (int list = 0; list < 7; ++list) Test_Put32(b, 0);  // element, 5 vehicle lists, sets
  Test_Put16(b, 7);  // texts 0 and 1: the shifted zero
  Test_Put16(b, 7);
  Test_Put32(b, 1);  // text 2: its zero
  Test_Put16(b, 0);
  return b;
}

std::vector<u8> Test_MinimalLind(void) {
  std::vector<u8> b = {'L', 'I', 'N', 'D'};
  Test_Put32(b, 0);
  return b;
}

std::vector<u8> Test_MinimalGenlOld(u16 version) {
  std::vector<u8> b = {'G', 'N'};
  Test_Put16(b, 0);  // origin
  Test_Put16(b, 0);
  Test_Put16(b, 0);  // cursor
  Test_Put16(b, 0);
  if (version < 14338) {
    for (int k = 0; k < 10; ++k) {  // ten marks of a position only
      Test_Put16(b, 16384);
      Test_Put16(b, 16384);
    }
  } else {
    Test_Put16(b, 0);  // no marks
  }
  if (version >= 13574) {  // home
    Test_Put16(b, 1024);
    Test_Put16(b, 1024);
  }
  if (version >= 13576)
    for (int k = 0; k < 4; ++k) Test_Put16(b, 16384);  // marked box
  if (version >= 14344) {  // last line end
    Test_Put16(b, 0);
    Test_Put16(b, 0);
  }
  for (u8 v : {15, 1, 0, 0}) b.push_back(v);  // speed, weekday, hour, minute
  if (version >= 14160) {
    b.push_back(0);
    Test_Put32(b, 0);
  } else {
    Test_Put16(b, 0);  // tenths of seconds
  }
  if (version >= 14162) Test_Put32(b, 0);  // elapsed minutes
  if (version >= 13576) {
    Test_Put16(b, 0xFFFF);  // no alarm
    if (version >= 14337) Test_Put32(b, 0);
    Test_Put16(b, 0);
  }
  for (int k = 0; k < 6; ++k) Test_Put16(b, 0);  // extent and two more words
  Test_Put16(b, 0);   // flags
  Test_Put16(b, 64);  // scale
  if (version >= 13569) {
    for (u32 v : {0u, 0u, 64u, 64u, 16u, 16u}) Test_Put16(b, v);
    if (version >= 13574) b.push_back('g');
  }
  if (version >= 13577)
    for (u32 v : {0x0600u, 0x0800u, 0x1200u, 0x1400u}) Test_Put16(b, v);
  if (version >= 13573) Test_Put16(b, 0);  // element-graphics names
  Test_Put16(b, 0);                        // vehicle-set names
  b.push_back(7);                          // texts 0 and 1: the shifted zero
  b.push_back(7);
  Test_Put16(b, 1);  // text 2: its zero
  b.push_back(0);
  return b;
}

std::vector<u8> Test_MinimalLindOld(void) {
  std::vector<u8> b = {'L', 'I'};
  Test_Put16(b, 0);
  return b;
}

std::vector<u8> Test_SaveSection(int (*save)(void)) {
  std::vector<u8> out;
  if (Fio_OpenWriteMemory() != 0) return out;
  if (save() != 0) {
    Fio_CancelWrite();
    return out;
  }
  if (Fio_CloseWrite() != 0) return out;
  u32 size = 0;
  u8* p = Fio_TakeWriteMemory(&size);
  if (p) out.assign(p, p + size);
  Heap_Free(p);
  return out;
}

int Test_LoadSection(const std::vector<u8>& bytes, int (*load)(u16 version), u16 version) {
  if (Fio_OpenReadMemory(bytes.data(), u32(bytes.size())) != 0) return -1;
  const int r = load(version);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  return r;
}

void Test_Put16(std::vector<u8>& b, u32 v) {
  b.push_back(u8(v));
  b.push_back(u8(v >> 8));
}

void Test_Put32(std::vector<u8>& b, u32 v) {
  Test_Put16(b, v & 0xFFFF);
  Test_Put16(b, v >> 16);
}

std::vector<u8> Test_Bmp(u16 bits, i32 w, i32 h, const std::vector<u32>& table, const std::vector<u8>& rows,
                         u32 used) {
  std::vector<u8> b = {'B', 'M'};
  u32 offset = 54 + 4 * u32(table.size());
  Test_Put32(b, offset + u32(rows.size()));
  Test_Put32(b, 0);
  Test_Put32(b, offset);
  Test_Put32(b, 40);
  Test_Put32(b, u32(w));
  Test_Put32(b, u32(h));
  Test_Put16(b, 1);
  Test_Put16(b, bits);
  Test_Put32(b, 0);
  Test_Put32(b, u32(rows.size()));
  Test_Put32(b, 0);
  Test_Put32(b, 0);
  Test_Put32(b, used);
  Test_Put32(b, 0);
  for (u32 c : table) {
    b.push_back(u8(c >> 16));
    b.push_back(u8(c >> 8));
    b.push_back(u8(c));
    b.push_back(0);
  }
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

std::vector<wstr>& Test_ClipLines(void) {
  static std::vector<wstr> lines;
  return lines;
}

int Test_ClipAppend(const wch* line) {
  Test_ClipLines().push_back(line);
  return 0;
}

int Test_ClipRead(i32 n, i32 size, wch* buf) {
  buf[0] = 0;
  const std::vector<wstr>& lines = Test_ClipLines();
  if (n < 0 || size_t(n) >= lines.size()) return 3;
  const wstr& s = lines[size_t(n)];
  const size_t k = s.size() < size_t(size - 1) ? s.size() : size_t(size - 1);
  for (size_t i = 0; i < k; ++i) buf[i] = s[i];
  buf[k] = 0;
  return k < s.size() ? 1 : 0;
}

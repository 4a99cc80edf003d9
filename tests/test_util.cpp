#include "tests/test_util.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/fio.h"
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

wstr Test_MakeTempFolder(void) {
  static std::atomic<int> counter{0};
  wch tmp[OS_MAX_PATH];
  if (Os_GetTempFolder(tmp, OS_MAX_PATH) != 0) return wstr();
  OsLocalTime t;
  Os_GetLocalTime(&t);
  char name[96];
  snprintf(name, sizeof name, "orbatest_%u_%u_%02u%02u%02u%03u_%d", (unsigned)Os_GetTickCount(),
           (unsigned)(size_t)&counter % 100000u, t.hour, t.minute, t.second, t.milliseconds, counter++);
  wstr folder = wstr(tmp) + W16(name);
  Os_CreateFolder(folder.c_str());
#ifdef _WIN32
  folder += u'\\';
#else
  folder += u'/';
#endif
  for (int i = 0; i <= 6; ++i) Fio_SetFolderPath(i, folder.c_str());
  return folder;
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

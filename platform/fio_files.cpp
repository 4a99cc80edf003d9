// Data folders, full paths and whole-file operations.
#include <string.h>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/os.h"

namespace {
enum { BASE_FOLDERS = 7 };
wch g_folders[BASE_FOLDERS][OS_MAX_PATH];

int Len(const wch* s) {
  int n = 0;
  while (s[n]) ++n;
  return n;
}

const wch* SubFolder(int folder) {
  switch (folder) {
    case FOLDER_ZOOM2: return u"zoom2\\";
    case FOLDER_ZOOM2F: return u"zoom2f\\";
    case FOLDER_ZOOM2G: return u"zoom2g\\";
    case FOLDER_ZOOM4: return u"zoom4\\";
    case FOLDER_ZOOM4F: return u"zoom4f\\";
    case FOLDER_ZOOM4G: return u"zoom4g\\";
    case FOLDER_ZOOM1: return u"zoom1\\";
    case FOLDER_ZOOM1F: return u"zoom1f\\";
    case FOLDER_ZOOM1G: return u"zoom1g\\";
    case FOLDER_SOUND: return u"sound\\";
    default: return nullptr;
  }
}

// The folder a base index stands for: the settings give 2..6; unset ones
// fall back to the layouts folder (5, 6) and the program folder.
const wch* BaseFolder(int folder) {
  if (folder == 0 && !g_folders[0][0]) Os_GetProgramFolder(g_folders[0], OS_MAX_PATH);
  if (folder == 1 || g_folders[folder][0]) return g_folders[folder];
  if (folder == 5 || folder == 6) return BaseFolder(2);
  return BaseFolder(0);
}

// The last path component starts after the last separator.
int LastComponent(const wch* path) {
  int start = 0;
  for (int i = 0; path[i]; ++i)
    if (path[i] == u'\\' || path[i] == u'/' || path[i] == u':') start = i + 1;
  return start;
}
}  // namespace

int Fio_SetFolderPath(int folder, const wch* path) {
  if (folder < 0 || folder >= BASE_FOLDERS) return 1;
  int n = path ? Len(path) : 0;
  if (n >= OS_MAX_PATH) return 2;
  if (n) memcpy(g_folders[folder], path, (n + 1) * sizeof(wch));
  g_folders[folder][n] = 0;
  return 0;
}

int Fio_FolderPath(int folder, wch* buf, int size) {
  if (folder == FOLDER_FULLPATH) {
    if (size > 0) buf[0] = 0;
    return 0;
  }
  const wch* sub = SubFolder(folder);
  const wch* base;
  if (sub)
    base = BaseFolder(0);
  else if (folder >= 0 && folder < BASE_FOLDERS)
    base = BaseFolder(folder);
  else
    return 1;
  int nb = Len(base), ns = sub ? Len(sub) : 0;
  if (nb >= size || nb + ns >= size) return 2;
  memcpy(buf, base, nb * sizeof(wch));
  if (ns) memcpy(buf + nb, sub, ns * sizeof(wch));
  buf[nb + ns] = 0;
  return 0;
}

int Fio_BuildPath(const wch* name, int folder, wch* buf) {
  if (Fio_FolderPath(folder, buf, OS_MAX_PATH) != 0) return 1;
  int nf = Len(buf), nn = Len(name);
  if (nf + nn >= OS_MAX_PATH) return 1;
  memcpy(buf + nf, name, (nn + 1) * sizeof(wch));
  return 0;
}

int Fio_FileExists(const wch* name, int folder) {
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(name, folder, path) != 0) return 0;
  int h = Os_Open(path);
  if (h < 0) return 0;
  Os_Close(h);
  return 1;
}

i32 Fio_GetFileSize(const wch* name, int folder) {
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(name, folder, path) != 0) return 1;
  int h = Os_Open(path);
  if (h < 0) return -1;
  i64 n = Os_FileLength(h);
  Os_Close(h);
  if (n < 0) return -1;
  return n > 0x7FFFFFFF ? 0x7FFFFFFF : i32(n);
}

int Fio_GetFileTime(const wch* name, int folder, int* year, int* second, int* minute, int* hour, int* day,
                    int* month) {
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(name, folder, path) != 0) return 1;
  u16 d, t;
  if (Os_GetFileTime(path, &d, &t) != 0) return -1;
  if (year) *year = 1980 + (d >> 9);
  if (month) *month = (d >> 5) & 15;
  if (day) *day = d & 31;
  if (hour) *hour = t >> 11;
  if (minute) *minute = (t >> 5) & 63;
  if (second) *second = (t & 31) * 2;
  return 0;
}

int Fio_SetFileTime(const wch* name, int folder, int year, int second, int minute, int hour, int day, int month) {
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(name, folder, path) != 0) return -1;
  u16 d = u16((((year - 1980) & 127) << 9) | ((month & 15) << 5) | (day & 31));
  u16 t = u16(((hour & 31) << 11) | ((minute & 63) << 5) | ((second / 2) & 31));
  return Os_SetFileTime(path, d, t) == 0 ? 0 : -1;
}

int Fio_DeleteFile(const wch* name, int folder) {
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(name, folder, path) != 0) return 1;
  if (Os_Remove(path) == 0) return 0;
  if (Os_Access(path, OS_ACCESS_EXISTS) == 0 && Os_Access(path, OS_ACCESS_WRITE) != 0) return 2;
  return 1;
}

int Fio_RenameFile(const wch* oldName, const wch* newName, int folder) {
  wch from[OS_MAX_PATH], to[OS_MAX_PATH];
  if (Fio_BuildPath(oldName, folder, from) != 0 || Fio_BuildPath(newName, folder, to) != 0) return 1;
  if (Os_Access(from, OS_ACCESS_WRITE) != 0) return 2;
  return Os_Rename(from, to) == 0 ? 0 : 1;
}

int Fio_CopyFile(const wch* sourcePath, const wch* targetPath) {
  if (Fio_OpenRead(sourcePath, 0, FOLDER_FULLPATH) != 0) return 1;
  if (Fio_OpenWrite(targetPath, 0, FOLDER_FULLPATH) != 0) {
    Fio_CloseRead();
    return 2;
  }
  u8 chunk[4096];
  for (;;) {
    u32 n = Fio_ReadBlock(chunk, sizeof chunk);
    if (n == 0) break;
    if (Fio_WriteBlock(chunk, n) != 0) {
      Fio_CloseRead();
      Fio_CancelWrite();
      return 3;
    }
  }
  // A read error closes the read stream on its own: the copy is then short.
  if (!Fio_IsReadOpen()) {
    Fio_CancelWrite();
    return 3;
  }
  Fio_CloseRead();
  return Fio_CloseWrite() == 0 ? 0 : 4;
}

void Fio_StripExtension(wch* path) {
  int start = LastComponent(path);
  int dot = -1;
  for (int i = start; path[i]; ++i)
    if (path[i] == u'.') dot = i;
  if (dot > start) path[dot] = 0;
}

void Fio_AddExtension(wch* path, const wch* ext) {
  int start = LastComponent(path);
  for (int i = start; path[i]; ++i)
    if (path[i] == u'.') return;
  int n = Len(path);
  int ne = Len(ext);
  if (ext[0] != u'.') {
    if (n + 1 >= OS_MAX_PATH) return;
    path[n++] = u'.';
  }
  if (n + ne >= OS_MAX_PATH) ne = OS_MAX_PATH - 1 - n;
  memcpy(path + n, ext, ne * sizeof(wch));
  path[n + ne] = 0;
}

int Fio_GetExtension(const wch* path, wch* buf) {
  int start = LastComponent(path);
  int dot = -1;
  for (int i = start; path[i]; ++i)
    if (path[i] == u'.') dot = i;
  if (dot < 0) {
    buf[0] = 0;
    return 1;
  }
  int n = Len(path + dot + 1);
  memcpy(buf, path + dot + 1, (n + 1) * sizeof(wch));
  return 0;
}

int Fio_IsUtf16File(const wch* name, int folder) {
  if (Fio_OpenRead(name, FIO_UTF16LE, folder) != 0) return 0;
  Fio_CloseRead();
  return 1;
}

int Fio_ConvertToAnsi(const wch* name, int folder) {
  i32 size = Fio_GetFileSize(name, folder);
  if (size < 3) return 1;
  int r = Fio_OpenRead(name, FIO_UTF16LE, folder);
  if (r) return r;
  u32 count = u32(size - 2) / 2;
  u32* chars = (u32*)Heap_Alloc(count * 4 + 4);
  if (!chars) {
    Fio_CloseRead();
    return 5;
  }
  u32 n = 0;
  for (; n < count; ++n) {
    r = Fio_ReadChar(&chars[n]);
    if (r == 1) break;  // marks inside the text are skipped, so fewer may come
    if (r) {
      Heap_Free(chars);
      return 3;
    }
  }
  Fio_CloseRead();
  // Written beside the old file and moved over it only when complete, so a
  // failure leaves the UTF-16 file as it was.
  if (Fio_OpenWrite(name, FIO_ANSI, folder) != 0) {
    Heap_Free(chars);
    return 6;
  }
  for (u32 i = 0; i < n; ++i) {
    if (Fio_WriteChar(chars[i]) != 0) {
      Heap_Free(chars);
      Fio_CancelWrite();
      return 4;
    }
  }
  Heap_Free(chars);
  return Fio_CloseWrite() == 0 ? 0 : 4;
}

#include "model/layaddon.h"

#include "model/layver.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { ADDF_TAG = 0x46444441 };  // "ADDF"
enum { ADDF_NAME_MAX = OS_MAX_PATH };
static const u32 ADDF_CHUNK = 4096;

int ShowGraphicsWarnings = 1;

static LayAddOnHooks g_addOnHooks;

void Lay_SetAddOnHooks(const LayAddOnHooks* hooks) { g_addOnHooks = hooks ? *hooks : LayAddOnHooks{}; }

int Lay_AddOnsEmbedded(void) { return g_addOnHooks.embedAddOns ? g_addOnHooks.embedAddOns() : 0; }

// ---------------------------------------------------------------- names

static int Lay_IsSep(wch c) { return c == u'\\' || c == u'/'; }

// A path component that Windows takes for a device wherever it stands.
static int Lay_IsDeviceName(const wch* s, i32 n) {
  // The name before its first dot and without trailing blanks counts.
  i32 m = 0;
  while (m < n && s[m] != u'.') ++m;
  while (m > 0 && s[m - 1] == u' ') --m;
  wch base[8];
  if (m < 3 || m > 4) return 0;
  for (i32 i = 0; i < m; ++i) base[i] = Chr_Upper(s[i]);
  base[m] = 0;
  static const wch* const kThree[] = {u"CON", u"PRN", u"AUX", u"NUL"};
  if (m == 3) {
    for (const wch* d : kThree)
      if (Str_CompareOs(base, d, 0) == 0) return 1;
    return 0;
  }
  const int com = base[0] == u'C' && base[1] == u'O' && base[2] == u'M';
  const int lpt = base[0] == u'L' && base[1] == u'P' && base[2] == u'T';
  return (com || lpt) && base[3] >= u'0' && base[3] <= u'9';
}

int Lay_AddOnNameSafe(const wch* name) {
  const i32 len = name ? Str_Len(name) : 0;
  if (len < 1 || len >= ADDF_NAME_MAX) return 0;
  if (Lay_IsSep(name[0])) return 0;  // root or network path
  for (i32 i = 0; i < len; ++i)
    if (name[i] == u':' || name[i] < 32) return 0;  // drive, stream, control
  for (i32 start = 0; start < len;) {
    i32 end = start;
    while (end < len && !Lay_IsSep(name[end])) ++end;
    const i32 n = end - start;
    if (n == 0) return 0;
    // "." and ".." and names of dots only reach outside or nowhere.
    i32 dots = 0;
    while (dots < n && name[start + dots] == u'.') ++dots;
    if (dots == n) return 0;
    if (Lay_IsDeviceName(name + start, n)) return 0;
    start = end + 1;
    if (end == len - 1) return 0;  // trailing separator: a folder
  }
  return 1;
}

// ---------------------------------------------------------------- writing

static void Lay_DosTime(u16 date, u16 time, int* year, int* month, int* day, int* hour, int* minute, int* second) {
  *year = 1980 + (date >> 9);
  *month = (date >> 5) & 15;
  *day = date & 31;
  *hour = time >> 11;
  *minute = (time >> 5) & 63;
  *second = (time & 31) * 2;
}

int Lay_WriteAddOnFile(const wch* folderPath, const wch* name) {
  if (!name || !name[0] || !folderPath) return 3;
  // Names are relative to the layouts folder; a slot holding a full path or
  // a name reaching outside is not stored (the loader would refuse it).
  if (!Lay_AddOnNameSafe(name)) return 3;
  wch path[ADDF_NAME_MAX];
  if (Str_Len(folderPath) + Str_Len(name) >= ADDF_NAME_MAX) return 3;
  Str_Copy(path, folderPath);
  Str_Append(path, name);
  if (Os_Access(path, OS_ACCESS_EXISTS) != 0) return 4;
  u16 date, time;
  if (Os_GetFileTime(path, &date, &time) != 0) return 6;
  const int h = Os_Open(path);
  if (h < 0) return 6;
  const i64 size = Os_FileLength(h);
  if (size < 1 || size > 0x7FFFFFFF) {
    Os_Close(h);
    return 6;
  }
  int year, month, day, hour, minute, second;
  Lay_DosTime(date, time, &year, &month, &day, &hour, &minute, &second);
  int r;
  if ((r = Fio_WriteU32(u32(size))) || (r = Fio_WriteU32(0))) return Os_Close(h), r;
  for (i32 i = 0; name[i]; ++i)
    if ((r = Fio_WriteU16(name[i]))) return Os_Close(h), r;
  if ((r = Fio_WriteU16(0)) || (r = Fio_WriteU16(u16(year))) || (r = Fio_WriteByte(u8(month))) ||
      (r = Fio_WriteByte(u8(day))) || (r = Fio_WriteByte(u8(hour))) || (r = Fio_WriteByte(u8(minute))) ||
      (r = Fio_WriteByte(u8(second))) || (r = Fio_WriteByte(0)))
    return Os_Close(h), r;
  u8 buf[ADDF_CHUNK];
  for (i64 left = size; left > 0;) {
    const u32 want = left > ADDF_CHUNK ? ADDF_CHUNK : u32(left);
    // The head promised size bytes: a file that shrank meanwhile is a read
    // error, which ends the save.
    if (Os_Read(h, buf, want) != i32(want)) return Os_Close(h), 5;
    if ((r = Fio_WriteBlock(buf, want))) return Os_Close(h), r;
    left -= want;
  }
  Os_Close(h);
  return 0;
}

namespace {
struct AddOnWrite {
  const wch* folder;
  wch* failedName;
  int result;  // 0, or 4 some file not stored
  int stop;    // 1, 2 stream, 3 read error
};
}  // namespace

static int Lay_WriteCandidate(const wch* name, int kind, void* ctx) {
  AddOnWrite* w = static_cast<AddOnWrite*>(ctx);
  const int r = Lay_WriteAddOnFile(w->folder, name);
  if (r == 0 || kind == LAY_ADDON_IGNORED) return 0;
  if (r == 1 || r == 2) {
    w->stop = r;
    return 1;
  }
  if (r == 4 && kind == LAY_ADDON_COMPANION) return 0;
  if (w->failedName) {
    i32 n = Str_Len(name);
    if (n > ADDF_NAME_MAX - 1) n = ADDF_NAME_MAX - 1;
    Mem_CopyWide(w->failedName, name, n);
    w->failedName[n] = 0;
  }
  if (r == 5) {
    w->stop = 3;
    return 1;
  }
  w->result = 4;
  return 0;
}

int Lay_WriteAddOns(const wch* folderPath, wch* failedName) {
  int r;
  if ((r = Fio_WriteU32(ADDF_TAG))) return r;
  AddOnWrite w = {folderPath ? folderPath : u"", failedName, 0, 0};
  if (g_addOnHooks.listCandidates) g_addOnHooks.listCandidates(Lay_WriteCandidate, &w);
  if (w.stop) return w.stop;
  if ((r = Fio_WriteU32(0)) || (r = Fio_WriteU32(0))) return r;
  return w.result;
}

// ---------------------------------------------------------------- reading

static int Lay_AddOnLoadMode(void) { return g_addOnHooks.loadMode ? g_addOnHooks.loadMode() : 0; }

// Skips n bytes of the layout stream; 0 or 2.
static int Lay_SkipBytes(u32 n) {
  u8 buf[ADDF_CHUNK];
  while (n > 0) {
    const u32 want = n > ADDF_CHUNK ? ADDF_CHUNK : n;
    if (Fio_ReadBlock(buf, want) != want) return 2;
    n -= want;
  }
  return 0;
}

int Lay_ReadAddOnFile(const wch* name, u32 size) {
  u16 year;
  u8 t[6];
  if (Fio_ReadU16(&year) || Fio_ReadBlock(t, 6) != 6) return 2;
  const int mode = Lay_AddOnLoadMode();
  wch path[ADDF_NAME_MAX];
  const int named = Fio_BuildPath(name, FOLDER_LAYOUTS, path) == 0;
  int write = mode == 1 || (mode == 2 && named && Os_Access(path, OS_ACCESS_EXISTS) != 0);
  if (!write) return Lay_SkipBytes(size);
  const int h = named ? Os_Create(path) : -1;
  if (h < 0) {
    // The bytes are read all the same: the next record follows them.
    return Lay_SkipBytes(size) ? 2 : 4;
  }
  u8 buf[ADDF_CHUNK];
  int failed = 0;
  for (u32 left = size; left > 0;) {
    const u32 want = left > ADDF_CHUNK ? ADDF_CHUNK : left;
    if (Fio_ReadBlock(buf, want) != want) {
      Os_Close(h);
      return 2;
    }
    if (!failed && Os_Write(h, buf, want) != i32(want)) failed = 5;
    left -= want;
  }
  if (Os_Close(h) != 0 && !failed) failed = 6;
  if (failed) return failed;
  const u16 date = u16(((year - 1980) << 9) | (t[0] << 5) | t[1]);
  const u16 time = u16((t[2] << 11) | (t[3] << 5) | (t[4] / 2));
  return Os_SetFileTime(path, date, time) == 0 ? 0 : 7;
}

int Lay_ReadAddOns(void) {
  if (!Lay_AddOnsEmbedded()) return 0;
  int r;
  u32 tag;
  if ((r = Fio_ReadU32(&tag))) return r;
  if (tag != ADDF_TAG) return 3;
  for (;;) {
    u32 size, zero;
    if ((r = Fio_ReadU32(&size)) || (r = Fio_ReadU32(&zero))) return r;
    if (zero) return 3;
    if (size == 0) return 0;
    wch name[ADDF_NAME_MAX];
    i32 n = 0;
    for (;;) {
      u16 c;
      if ((r = Fio_ReadU16(&c))) return r;
      if (!c) break;
      if (n >= ADDF_NAME_MAX - 1) return 3;
      name[n++] = c;
    }
    name[n] = 0;
    if (!Lay_AddOnNameSafe(name)) return 3;
    r = Lay_ReadAddOnFile(name, size);
    if (r >= 1 && r <= 3) return r;
    if (r) {
      const u32 number = r == 4 ? 223 : r == 6 ? 226 : 227;
      const TextId text = r == 4 ? 11108 : r == 6 ? 11110 : 11109;
      wch msg[ADDF_NAME_MAX + 100];
      Fmt_Print(msg, ADDF_NAME_MAX + 100, u"%s: \"%s\"", Lng_GetText(text), name);
      Msg_WarnText(number, msg);
    }
  }
}

// ---------------------------------------------------------------- reload

int Lay_ReloadUserGraphics(int kind, int ask) {
  int first, last;
  if (kind == LAY_SLOTS_ELEMENTS) first = 0, last = 109;
  else if (kind == LAY_SLOTS_VEHICLES) first = 1, last = 60;
  else return 1;
  if (!g_addOnHooks.loadSlot) return 0;
  for (int s = first; s <= last; ++s) {
    wch name[ADDF_NAME_MAX] = {0};
    if (g_addOnHooks.getSlotName) g_addOnHooks.getSlotName(kind, s, name);
    const int r = g_addOnHooks.loadSlot(kind, s);
    if (r == 5) {
      Msg_ErrorId(281, 8005);
      return 1;
    }
    u32 number = 0;
    TextId text = 0;
    if (r == 3 && ask && name[0] && ShowGraphicsWarnings) number = 287, text = 11125;
    if (r == 6 && ShowGraphicsWarnings) number = 282, text = 11123;
    if (!number) continue;
    wch msg[ADDF_NAME_MAX + 100];
    Fmt_Print(msg, ADDF_NAME_MAX + 100, u"%s \"%s\"", Lng_GetText(text), name);
    if (g_addOnHooks.graphicsWarning ? g_addOnHooks.graphicsWarning(number, msg) : (Msg_WarnText(number, msg), 0))
      ShowGraphicsWarnings = 0;
  }
  return 0;
}

// The layout name with another extension, when that file opens.
static int Lay_CompanionName(const wch* layout, const wch* ext, wch* out) {
  if (Str_Len(layout) + 5 >= ADDF_NAME_MAX) return 0;
  Str_Copy(out, layout);
  Fio_StripExtension(out);
  Fio_AddExtension(out, ext);
  wch path[ADDF_NAME_MAX];
  if (Fio_BuildPath(out, FOLDER_LAYOUTS, path)) return 0;
  const int h = Os_Open(path);
  if (h < 0) return 0;
  Os_Close(h);
  return 1;
}

int Lay_ReloadCompanions(const wch* name, u16 version) {
  if (version < LAYVER_COMPANIONS && name && g_addOnHooks.setSlotName) {
    wch c[ADDF_NAME_MAX];
    if (Lay_CompanionName(name, u"uzg", c)) g_addOnHooks.setSlotName(LAY_SLOTS_ELEMENTS, 0, c);
    // A set file "ufg" with its pictures in "uzz": either names the set.
    wch ufg[ADDF_NAME_MAX];
    const int sets = Lay_CompanionName(name, u"ufg", ufg);
    if (Lay_CompanionName(name, u"uzz", c) || sets) g_addOnHooks.setSlotName(LAY_SLOTS_SETS, 0, ufg);
  }
  int r = Lay_ReloadUserGraphics(LAY_SLOTS_ELEMENTS, 1);
  if (!r) r = Lay_ReloadUserGraphics(LAY_SLOTS_VEHICLES, 1);
  return r;
}

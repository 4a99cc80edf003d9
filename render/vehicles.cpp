#include "render/vehicles.h"

#include "model/layver.h"
#include "operation/trn.h"
#include "operation/trnlist.h"

#include <utility>

#include <cstring>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/gfx.h"
#include "render/gfxfile.h"

const VehicleId kRequiredVehicleSets[VEH_REQUIRED_SETS] = {645136, 645120, 644960, 651840, 648160,
                                                           320320, 320160, 320016, 100096};

VehicleSetRecord* g_vehicleSets;

namespace {

enum : TextId {
  TXT_NO_MEMORY = 8005,
  TXT_ERROR_TITLE = 8000,
  TXT_NUMBER = 8040,
  TXT_RESULT = 5501,
  TXT_USER_SET_FAILED = 5502,
  TXT_STANDARD_SET_FAILED = 5503,
  TXT_READER_RESULT = 5504,
  TXT_ZOOM_FAILED = 5500,
  TXT_ZOOM_LOAD = 5600,
  TXT_ZOOM_TITLE = 5601,
  TXT_STANDARD_TEXTS = 5581
};
enum { MSG_ZOOM_FAILED = 620, MSG_NO_MEMORY = 622, MSG_USER_SET = 623, MSG_STANDARD_SET = 624 };

VehicleSetRecord* g_lastHit;
int g_messagesOn = 1;
int g_lastFailedUserFile;
wch g_userFiles[VEH_USER_FILES + 1][OS_MAX_PATH];
u32* g_pending;
u32 g_pendingCount;

void FreeSetRecord(VehicleSetRecord* s) {
  for (u32 i = 0; i < s->count; ++i)
    for (VehiclePicture& p : s->vehicles[i].zoom) Heap_Free(p.pixels);
  Heap_Free(s->texts);
  Heap_Free(s);
}

VehicleSetRecord* FindSet(u32 setId) {
  if (g_lastHit && g_lastHit->id == setId) return g_lastHit;
  for (VehicleSetRecord* s = g_vehicleSets; s; s = s->next) {
    if (s->id == setId) return g_lastHit = s;
    if (s->id > setId) break;
  }
  return nullptr;
}

void InsertSorted(VehicleSetRecord* rec) {
  VehicleSetRecord** at = &g_vehicleSets;
  while (*at && (*at)->id < rec->id) at = &(*at)->next;
  rec->next = *at;
  *at = rec;
  Gfx_ResetVehicleSetCache();
}

// The file and the set number in it of a set id; 0, or 1 when there is none.
int SetSource(u32 setId, const wch** name, int* folder, u16* number, int* userFile) {
  if (setId & VEH_USER_BIT) {
    u32 k = (setId & 0x7FFFFFFFu) >> 4;
    int file = int(k / 10 + 1);
    *userFile = file;
    if (file > VEH_USER_FILES || !g_userFiles[file][0]) return 1;
    *name = g_userFiles[file];
    *folder = FOLDER_FULLPATH;
    *number = u16(k % 10 + 1);
    return 0;
  }
  *userFile = 0;
  u32 n = setId >> 4;
  if (n == 0 || n > 0xFFFF) return 1;
  *name = u"orba.fzg";
  *folder = FOLDER_PROGRAM;
  *number = u16(n);
  return 0;
}

void ShowSetFailure(u32 setId, int user, int file, int result) {
  if (!g_messagesOn) return;
  if (user && file == g_lastFailedUserFile) return;
  if (user) g_lastFailedUserFile = file;
  u32 k = user ? ((setId & 0x7FFFFFFFu) >> 4) % 10 : setId >> 4;
  wch text[800];
  int n = Fmt_Print(text, 800, u"%s\r\n%s = %u, %s = %u", Lng_GetText(user ? TXT_USER_SET_FAILED : TXT_STANDARD_SET_FAILED),
                    Lng_GetText(TXT_READER_RESULT), u32(result), Lng_GetText(TXT_RESULT), k);
  if (user && n > 0) {
    const wch* name = (file >= 1 && file <= VEH_USER_FILES && g_userFiles[file][0]) ? g_userFiles[file] : u"???";
    Fmt_Print(text + n, 800 - n, u"\r\n%02u: \"%s\"", u32(file - 1), name);
  }
  Msg_ErrorText(user ? MSG_USER_SET : MSG_STANDARD_SET, text);
}

// The set's name text (user sets: the first stored string).
const wch* SetName(const VehicleSetRecord* s) {
  if (s->id & VEH_USER_BIT) return s->texts ? s->texts : u"";
  return Lng_GetText(s->textNumber);
}

}  // namespace

// ================================================================ list

void Gfx_EmptyVehicleSets(void) {
  while (g_vehicleSets) {
    VehicleSetRecord* s = g_vehicleSets;
    g_vehicleSets = s->next;
    FreeSetRecord(s);
  }
  g_lastHit = nullptr;
  Heap_Free(g_pending);
  g_pending = nullptr;
  g_pendingCount = 0;
}

// The sets a layout load keeps aside until it is decided (Bgp_KeepLayoutGraphics).
static VehicleSetRecord* s_asideSets;
static u32* s_asidePending;
static u32 s_asidePendingCount;

// Exchanges the cache and the pending list with those kept aside.
static void SwapAside(void) {
  std::swap(g_vehicleSets, s_asideSets);
  std::swap(g_pending, s_asidePending);
  std::swap(g_pendingCount, s_asidePendingCount);
  g_lastHit = nullptr;
}

void Gfx_SetAsideVehicleSets(void) {
  Gfx_DropAsideVehicleSets();
  SwapAside();
}

void Gfx_PutBackVehicleSets(void) {
  Gfx_EmptyVehicleSets();
  SwapAside();
}

void Gfx_DropAsideVehicleSets(void) {
  SwapAside();
  Gfx_EmptyVehicleSets();
  SwapAside();
}

int Gfx_IsVehicleSetCached(VehicleId id) { return FindSet(Veh_SetId(id)) ? 1 : 0; }

u32 Gfx_FirstCachedVehicleSet(void) { return g_vehicleSets ? g_vehicleSets->id : 0; }

void Gfx_SetVehicleMessages(int on) { g_messagesOn = on; }

int Gfx_SetUserVehicleFile(int n, const wch* path) {
  if (n < 1 || n > VEH_USER_FILES || (path && Str_Len(path) >= OS_MAX_PATH)) return 1;
  g_userFiles[n][0] = 0;
  if (path) Str_Copy(g_userFiles[n], path);
  if (g_lastFailedUserFile == n) g_lastFailedUserFile = 0;
  return 0;
}

const wch* Gfx_GetUserVehicleFile(int n) { return (n >= 1 && n <= VEH_USER_FILES) ? g_userFiles[n] : u""; }

int Gfx_LoadVehicleSet(VehicleId id, int flags) {
  const u32 setId = Veh_SetId(id) & ~VEH_LENGTH_BIT;
  if (FindSet(setId)) return VEH_LOAD_OK;
  const int user = (setId & VEH_USER_BIT) ? 1 : 0;
  const wch* name = nullptr;
  int folder = 0, file = 0;
  u16 number = 0;
  GfxVehicleSet set;
  int r = SetSource(setId, &name, &folder, &number, &file) ? 3
                                                           : GfxFile_LoadVehicleSet(name, folder, number, user, &set);
  if (r == GFXV_NO_MEMORY) {
    Msg_ErrorId(MSG_NO_MEMORY, TXT_NO_MEMORY);
    return VEH_LOAD_NO_MEMORY;
  }
  if (r) {
    ShowSetFailure(setId, user, file, r);
    return user ? VEH_LOAD_USER_FAILED : VEH_LOAD_STANDARD_FAILED;
  }
  VehicleSetRecord* rec = (VehicleSetRecord*)Heap_Alloc(sizeof(VehicleSetRecord));
  if (!rec) {
    GfxFile_FreeVehicleSet(&set);
    Msg_ErrorId(MSG_NO_MEMORY, TXT_NO_MEMORY);
    return VEH_LOAD_NO_MEMORY;
  }
  memset(rec, 0, sizeof *rec);
  rec->id = setId;
  rec->flags = set.flags;
  rec->textNumber = (set.textNumber != 0 && set.textNumber < 40000) ? set.textNumber + 0x10000 : set.textNumber;
  rec->texts = set.texts;
  rec->textLength = set.textLength;
  set.texts = nullptr;
  rec->count = set.count;
  for (u32 i = 0; i < set.count; ++i) {
    GfxVehicle& v = set.vehicles[i];
    VehicleRecord& out = rec->vehicles[i];
    out.length = v.length;
    out.index = v.index;
    out.flags = GfxFile_VehicleRecordFlags(v.flags);
    out.fileFlags = v.flags;
    out.a = v.a;
    out.b = v.b;
    out.c = v.c;
    out.markerCount = v.markerCount;
    for (u32 m = 0; m < v.markerCount; ++m) {
      out.markers[m][0] = v.markers[m].position;
      out.markers[m][1] = v.markers[m].value;
      out.markers[m][2] = v.markers[m].kind;
    }
    out.zoom[0] = VehiclePicture{v.pixels, v.pixelCount, v.length, v.a, v.b, v.c, v.flags};
    v.pixels = nullptr;
  }
  InsertSorted(rec);
  // The larger zooms come along while the zoom set reaches them.
  for (int z = 2; z <= Gfx_GetZoomSet(); z *= 2) Gfx_LoadAllVehicleSetsZoom(z, setId, 0);
  return VEH_LOAD_OK;
}

void Gfx_FreeVehicleSet(VehicleId id, int uncount) {
  const u32 setId = Veh_SetId(id);
  for (VehicleSetRecord** at = &g_vehicleSets; *at; at = &(*at)->next) {
    if ((*at)->id != setId) continue;
    VehicleSetRecord* s = *at;
    *at = s->next;
    g_lastHit = nullptr;
    FreeSetRecord(s);
    return;
  }
}

// ================================================================ questions

void Gfx_FormatVehicleSetName(const wch* name, wch* out) {
  Str_Fill(out, u' ', 32);
  out[32] = 0;
  if (!name) return;
  const wch* tab = Str_FindChar(name, u'\t');
  i32 head = tab ? i32(tab - name) : Str_Len(name);
  if (head > 32) head = 32;
  Mem_CopyWide(out, name, head);
  if (!tab) return;
  // The part behind the TAB ends with its last non-blank character in column
  // 32; the TAB itself becomes a blank.
  const wch* tail = tab + 1;
  i32 n = Str_Len(tail);
  while (n > 0 && tail[n - 1] <= 32) --n;
  i32 start = 32 - n;
  if (start < head + 1) start = head + 1;
  for (i32 i = 0; i < n && start + i < 32; ++i) out[start + i] = tail[i];
}

int Gfx_GetVehicleSetName(VehicleId id, u32* count, u32* nextId, wch* name) {
  const VehicleSetRecord* s = FindSet(Veh_SetId(id));
  if (!s) return 0;
  if (count) *count = s->count;
  if (nextId) *nextId = s->next ? s->next->id : 0;
  if (name) Gfx_FormatVehicleSetName(SetName(s), name);
  return 1;
}

VehicleId Gfx_GetCachedVehicleId(u32 setId, u32 n) {
  const VehicleSetRecord* s = FindSet(Veh_SetId(setId));
  if (!s || n >= s->count) return 0;
  return s->id | s->vehicles[n].index;
}

// The trains that use the vehicle: its use count.
static u32 VehicleUse(VehicleId id) {
  u32 n = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    const TrainVehicle* v = Trn_Vehicles(t);
    for (u32 i = 0; i < t->VehicleCount; ++i)
      if (v[i].Vehicle == id) {
        ++n;
        break;
      }
  }
  return n;
}

u32 Gfx_CountVehicleSetUse(u32 setId, int countAll) {
  const VehicleSetRecord* s = FindSet(Veh_SetId(setId));
  if (!s) return 0;
  u32 sum = 0;
  for (u32 i = 0; i < s->count; ++i) {
    sum += VehicleUse(s->id | s->vehicles[i].index);
    if (sum && !countAll) return 1;
  }
  return sum;
}

u32 Gfx_CountVehicleSets(u32* sets, u32* setsInUse, u32* vehiclesInUse) {
  u32 n = 0, v = 0, setsUsed = 0, used = 0;
  for (const VehicleSetRecord* s = g_vehicleSets; s; s = s->next) {
    ++n;
    v += s->count;
    u32 here = 0;
    for (u32 i = 0; i < s->count; ++i)
      if (VehicleUse(s->id | s->vehicles[i].index)) ++here;
    used += here;
    if (here) ++setsUsed;
  }
  if (sets) *sets = n;
  if (setsInUse) *setsInUse = setsUsed;
  if (vehiclesInUse) *vehiclesInUse = used;
  return v;
}

// ================================================================ the list and its cache

VehicleSetRecord* Gfx_FindVehicleSet(u32 setId) { return FindSet(setId); }

void Gfx_ResetVehicleSetCache(void) { g_lastHit = nullptr; }

void Gfx_SetVehicleSetList(VehicleSetRecord* head) {
  g_vehicleSets = head;
  Gfx_ResetVehicleSetCache();
}

VehicleSetRecord* Gfx_GetVehicleSetList(void) { return g_vehicleSets; }

// ================================================================ vehicle index

namespace {
struct IndexPosition {
  u32 want, seen;
  u16 set;
};
int CountToPosition(void* p, u16 set, u32) {
  IndexPosition* c = static_cast<IndexPosition*>(p);
  if (++c->seen != c->want) return 0;
  c->set = set;
  return 1;
}
}  // namespace

u32 Gfx_ReadVehicleIndexEntry(u32 vehicle) {
  const u32 position = (vehicle & 0xFFFF) >> 4;
  if (position == 0 || Fio_IsReadOpen()) return 0;
  if (Fio_OpenRead(u"orba.fzg", 0, FOLDER_PROGRAM) != 0) return 0;
  u16 version = 0;
  IndexPosition at = {position, 0, 0};
  if (GfxFile_ReadVehicleHeader(&version) == 0 && version >= GFX_FZG_V3830)
    GfxFile_ReadVehicleIndex(CountToPosition, &at);
  Fio_CloseRead();
  return at.set ? u32(at.set) << 4 | (vehicle & 15) : 0;
}

const VehicleRecord* Gfx_FindVehicleRecord(VehicleId id) {
  if (id & VEH_LENGTH_BIT) return nullptr;
  const VehicleSetRecord* s = FindSet(Veh_SetId(id));
  if (!s) return nullptr;
  for (u32 i = 0; i < s->count; ++i)
    if (s->vehicles[i].index == (id & 15)) return &s->vehicles[i];
  return nullptr;
}

u32 Gfx_GetVehicleFlags(VehicleId id) {
  const VehicleRecord* v = Gfx_FindVehicleRecord(id);
  if (v) return v->flags;
  return (id & VEH_LENGTH_BIT) ? 4096 : 65535;
}

u32 Gfx_GetVehicleLength(VehicleId id) {
  const VehicleRecord* v = Gfx_FindVehicleRecord(id);
  if (v) return v->length;
  return (id & VEH_LENGTH_BIT) ? (id & ~VEH_LENGTH_BIT) : 0;
}

const VehiclePicture* Gfx_GetVehicleZoomData(VehicleId id, int zoom) {
  const VehicleRecord* v = Gfx_FindVehicleRecord(id);
  if (!v || (zoom != 2 && zoom != 4)) return nullptr;
  const VehiclePicture* p = &v->zoom[zoom == 2 ? 1 : 2];
  return p->pixels ? p : nullptr;
}

int Gfx_GetVehicleTexts(VehicleId id, const wch* texts[5]) {
  const VehicleSetRecord* s = FindSet(Veh_SetId(id));
  if (!s) return 1;
  u32 pos = 0;
  for (u32 i = 0; i < s->count; ++i)
    if (s->vehicles[i].index == (id & 15)) pos = i;
  if (!(s->id & VEH_USER_BIT)) {
    for (int i = 0; i < 5; ++i) texts[i] = Lng_GetText(TXT_STANDARD_TEXTS + u32(i));
    return 0;
  }
  if (!s->texts) return 1;
  // Skip the name and five strings per earlier vehicle.
  const wch* p = s->texts;
  const wch* end = s->texts + s->textLength;
  u32 skip = 1 + 5 * pos;
  for (u32 k = 0; k < skip + 5; ++k) {
    if (p >= end) return 1;
    if (k >= skip) texts[k - skip] = p;
    while (p < end && *p) ++p;
    ++p;
  }
  return 0;
}

// ================================================================ picture sections

i64 Gfx_VehicleSection(u32 length, u32 a, u32 b, u32 c, u32 f, int section, u32* size) {
  const u64 side = u64(length) * a, top = u64(length / 2) * b, end = u64(b) * c;
  const int extra = (f & GFX_VF_EXTRA_VIEWS) != 0, dbl = (f & GFX_VF_DOUBLE) != 0;
  // Sizes of the sections in block order; 0 for a section the flags leave out.
  u64 sizes[VEH_SECTIONS] = {side, side, top, end, top, end};
  sizes[VEH_END_3] = sizes[VEH_END_4] = extra ? end : 0;
  sizes[VEH_SIDE_1_LONG] = sizes[VEH_SIDE_2_LONG] = dbl ? side : 0;
  sizes[VEH_TOP_1_LONG] = sizes[VEH_TOP_2_LONG] = dbl ? top : 0;
  sizes[VEH_SIDE_1_ALT] = (f & GFX_VF_EXTRA_1) ? side : 0;
  sizes[VEH_SIDE_1_ALT_LONG] = (f & GFX_VF_EXTRA_1) && dbl ? side : 0;
  sizes[VEH_SIDE_2_ALT] = (f & GFX_VF_EXTRA_2) ? side : 0;
  sizes[VEH_SIDE_2_ALT_LONG] = (f & GFX_VF_EXTRA_2) && dbl ? side : 0;
  if (section < 0 || section >= VEH_SECTIONS || sizes[section] == 0) return -1;
  u64 off = 0;
  for (int i = 0; i < section; ++i) off += sizes[i];
  if (size) *size = u32(sizes[section]);
  return i64(off);
}

i64 Gfx_VehiclePictureSection(const VehiclePicture* pic, int section, u32* size) {
  if (!pic || !pic->pixels) return -1;
  u32 n = 0;
  i64 off = Gfx_VehicleSection(pic->length, pic->a, pic->b, pic->c, pic->fileFlags, section, &n);
  if (off < 0 || u64(off) + n > pic->count) return -1;
  if (size) *size = n;
  return off;
}

// ================================================================ zoom pictures

int Gfx_VehicleFileName(VehicleId id, wch* name, int zoom) {
  name[0] = 0;
  if (zoom != 1 && zoom != 2 && zoom != 4) return 2;
  const wch* ext = zoom == 4 ? u"fz4" : zoom == 2 ? u"fz2" : u"fz1";
  if (id & VEH_USER_BIT) {
    u32 k = (id & 0x7FFFFFFFu) >> 4;
    u32 file = k / 10 + 1;
    if (file > VEH_USER_FILES || !g_userFiles[file][0]) return 2;
    wch base[OS_MAX_PATH];
    Str_Copy(base, g_userFiles[file]);
    Fio_StripExtension(base);
    return Fmt_Print(name, OS_MAX_PATH, u"%s-%02u-%02u.%s", base, k % 10, id & 15, ext) > 0 ? 0 : 2;
  }
  return Fmt_Print(name, OS_MAX_PATH, u"%05u-%02u.%s", (id >> 4) & 0xFFFFF, id & 15, ext) > 0 ? 0 : 2;
}

int Gfx_ReadVehicleZoomFile(VehicleRecord* v, VehicleId id, int zoom) {
  GfxVehicleZoom rec;
  wch name[OS_MAX_PATH];
  int r = GFXZ_MISSING;
  if (Fio_IsReadOpen()) return GFXZ_READ_ERROR;
  // An edited single file stands in front of the combined file.
  if (Gfx_VehicleFileName(id, name, zoom) == 0) {
    int folder = (id & VEH_USER_BIT) ? FOLDER_FULLPATH : (zoom == 4 ? FOLDER_ZOOM4 : FOLDER_ZOOM2);
    if (Fio_OpenRead(name, FIO_SKIP_TO_CTRLZ, folder) == 0) {
      r = GfxFile_ReadVehicleZoomRecord(zoom, v->length, v->fileFlags, &rec);
      if (Fio_IsReadOpen()) Fio_CloseRead();
    }
  }
  if (r == GFXZ_MISSING) {
    wch combined[OS_MAX_PATH];
    int folder = FOLDER_PROGRAM;
    if (id & VEH_USER_BIT) {
      u32 file = ((id & 0x7FFFFFFFu) >> 4) / 10 + 1;
      if (file > VEH_USER_FILES || !g_userFiles[file][0]) return GFXZ_MISSING;
      Str_Copy(combined, g_userFiles[file]);
      Fio_StripExtension(combined);
      Str_Append(combined, u".fzz");
      folder = FOLDER_FULLPATH;
    } else {
      Str_Copy(combined, zoom == 4 ? u"orba.fz4" : u"orba.fz2");
    }
    if (Fio_OpenRead(combined, 0, folder) != 0) return GFXZ_MISSING;
    r = GfxFile_ReadVehicleZoomCombined(zoom, id, v->length, v->fileFlags, &rec);
    if (Fio_IsReadOpen()) Fio_CloseRead();
  }
  if (r) return r;
  VehiclePicture& p = v->zoom[zoom == 2 ? 1 : 2];
  Heap_Free(p.pixels);
  // A version-901 record says itself which pictures it carries; the older
  // form follows the zoom-1 vehicle.
  u32 layout = rec.version == 901 ? GfxFile_VehicleZoomFileFlags(rec.flags) : v->fileFlags;
  p = VehiclePicture{rec.pixels, rec.pixelCount, rec.length, rec.a, rec.b, rec.c, layout};
  return 0;
}

int Gfx_LoadVehicleSetZoom(VehicleId id, int zoom) {
  VehicleSetRecord* s = FindSet(Veh_SetId(id));
  if (!s || (zoom != 2 && zoom != 4)) return 1;
  for (u32 i = 0; i < s->count; ++i)
    if (s->vehicles[i].index == (id & 15)) return Gfx_ReadVehicleZoomFile(&s->vehicles[i], s->id | (id & 15), zoom);
  return 1;
}

int Gfx_LoadAllVehicleSetsZoom(int zoom, u32 setId, int progress) {
  if (zoom != 2 && zoom != 4) return 3;
  if (setId && !FindSet(Veh_SetId(setId))) return 2;
  u32 total = 0;
  for (VehicleSetRecord* s = g_vehicleSets; s; s = s->next) ++total;
  if (total == 0) total = 1;
  if (progress) {
    wch line[200];
    Fmt_Print(line, 200, u"%s%c)", Lng_GetText(TXT_ZOOM_LOAD), wch('0' + zoom));
    Msg_InfoOpen(line, Lng_GetText(TXT_ZOOM_TITLE), 0, 0);
  }
  int failed = 0;
  u32 done = 0;
  for (VehicleSetRecord* s = g_vehicleSets; s; s = s->next) {
    if (setId && s->id != Veh_SetId(setId)) continue;
    for (u32 i = 0; i < s->count; ++i) {
      u32 id = s->id | s->vehicles[i].index;
      int r = Gfx_ReadVehicleZoomFile(&s->vehicles[i], id, zoom);
      if (r == 0 || r == 3 || r == 11) continue;
      failed = 1;
      wch name[OS_MAX_PATH], text[600];
      if (Gfx_VehicleFileName(id, name, zoom) != 0) Str_Copy(name, u"???");
      Fmt_Print(text, 600, u"%s%c) \"%s\" %s=%u", Lng_GetText(TXT_ZOOM_FAILED), wch('0' + zoom), name,
                Lng_GetText(TXT_RESULT), u32(r));
      Msg_WarnText(MSG_ZOOM_FAILED, text);
    }
    ++done;
    if (progress && s->next) {
      wch line[32];
      Fmt_Print(line, 32, u"%u%%", done * 100 / total);
      Msg_InfoUpdate(line);
    }
  }
  if (progress) Msg_InfoClose();
  return failed;
}

void Gfx_FreeVehicleZoomPictures(int mask) {
  for (VehicleSetRecord* s = g_vehicleSets; s; s = s->next)
    for (u32 i = 0; i < s->count; ++i)
      for (int zi = 1; zi < 3; ++zi) {
        if (!(mask & (zi == 1 ? 2 : 4))) continue;
        VehiclePicture& p = s->vehicles[i].zoom[zi];
        Heap_Free(p.pixels);
        memset(&p, 0, sizeof p);
      }
}

// ================================================================ enumeration

namespace {
struct NextCtx {
  u16 after;
  u16 found;
  u32 offset;
  int seen;
};

int NextEntry(void* p, u16 set, u32 offset) {
  NextCtx* c = (NextCtx*)p;
  if (c->seen || c->after == 0) {
    c->found = set;
    c->offset = offset;
    return 1;
  }
  if (set == c->after) c->seen = 1;
  return 0;
}
}  // namespace

int Gfx_NextVehicleSet(u32* id, wch* name, int file) {
  const wch* path;
  int folder;
  if (file == 0) {
    path = u"orba.fzg";
    folder = FOLDER_PROGRAM;
  } else {
    if (file < 1 || file > VEH_USER_FILES) return 1;
    path = g_userFiles[file];
    folder = FOLDER_FULLPATH;
    if (!path[0]) return 5;
  }
  const int user = file != 0;
  u16 after = 0;
  if (*id) after = user ? u16(((*id & 0x7FFFFFFFu) >> 4) % 10 + 1) : u16(*id >> 4);
  if (Fio_IsReadOpen() || Fio_OpenRead(path, 0, folder) != 0) return 3;
  u16 version;
  int r = GfxFile_ReadVehicleHeader(&version);
  if (!r && version < GFX_FZG_V3830) r = GFXV_BAD_VERSION;
  NextCtx ctx = {after, 0, 0, 0};
  if (!r) r = GfxFile_ReadVehicleIndex(NextEntry, &ctx);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  if (r) return r;
  if (!ctx.found) return 4;
  u32 setId = user ? (VEH_USER_BIT | (u32((file - 1) * 10 + (ctx.found - 1)) << 4)) : u32(ctx.found) << 4;
  *id = setId;
  if (name) {
    GfxVehicleSet set;
    if (GfxFile_LoadVehicleSet(path, folder, ctx.found, user, &set) == 0) {
      u32 number = set.textNumber != 0 && set.textNumber < 40000 ? set.textNumber + 0x10000 : set.textNumber;
      Gfx_FormatVehicleSetName(user ? (set.texts ? set.texts : u"") : Lng_GetText(number), name);
      GfxFile_FreeVehicleSet(&set);
    } else {
      Gfx_FormatVehicleSetName(u"", name);
    }
  }
  return 0;
}

// ================================================================ layout list

int Gfx_WriteVehicleIdList(void) {
  u32 n = 0;
  for (VehicleSetRecord* s = g_vehicleSets; s; s = s->next) ++n;
  int r = Fio_WriteU32(n);
  for (VehicleSetRecord* s = g_vehicleSets; s && !r; s = s->next) r = Fio_WriteU32(s->id);
  return r;
}

int Gfx_ReadVehicleIdList(u16 layoutVersion) {
  Heap_Free(g_pending);
  g_pending = nullptr;
  g_pendingCount = 0;
  const int wide = layoutVersion >= LAYVER_CATALOGUE;
  u32 count;
  int r;
  if (wide) {
    r = Fio_ReadU32(&count);
  } else {
    u16 c16;
    r = Fio_ReadU16(&c16);
    count = c16;
  }
  if (r) return r;
  // Read one by one into a list that grows: a damaged count cannot ask for a
  // huge block before the data runs out.
  u32 cap = 0;
  for (u32 i = 0; i < count; ++i) {
    u32 id;
    if (wide) {
      r = Fio_ReadU32(&id);
    } else {
      u16 id16;
      r = Fio_ReadU16(&id16);
      id = id16;
    }
    if (r) return r;
    if (g_pendingCount == cap) {
      cap = cap ? cap * 2 : 16;
      u32* grown = (u32*)Heap_Realloc(g_pending, cap * 4);
      if (!grown && !g_pending) grown = (u32*)Heap_Alloc(cap * 4);
      if (!grown) return 4;
      g_pending = grown;
    }
    g_pending[g_pendingCount++] = id;
  }
  return 0;
}

u32 Gfx_PendingVehicleSetCount(void) { return g_pendingCount; }

int Gfx_LoadLayoutVehicleSets(u16 layoutVersion) {
  int result = 0;
  if (layoutVersion >= LAYVER_CATALOGUE) {
    for (u32 i = 0; i < g_pendingCount; ++i) {
      int r = Gfx_LoadVehicleSet(g_pending[i], 0);
      if (r == VEH_LOAD_NO_MEMORY) {
        result = 3;
        break;
      }
      if (r == VEH_LOAD_STANDARD_FAILED) result = 1;
      if (r == VEH_LOAD_USER_FAILED && result == 0) result = 2;
    }
  }
  Heap_Free(g_pending);
  g_pending = nullptr;
  g_pendingCount = 0;
  return result;
}

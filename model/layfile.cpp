#include "model/layfile.h"

#include "model/dep.h"
#include "model/dwx.h"
#include "model/genl.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/infp.h"
#include "model/layaddon.h"
#include "model/laylevels.h"
#include "model/layprot.h"
#include "model/layver.h"
#include "model/lfst.h"
#include "model/line.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "model/prlb.h"
#include "model/rngp.h"
#include "model/tp.h"
#include "model/txt.h"
#include "operation/sig.h"
#include "operation/snd.h"
#include "operation/sigfile.h"
#include "operation/trn.h"
#include "operation/pts.h"
#include "operation/ptsfile.h"
#include "operation/trnfile.h"
#include "operation/trnres.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"

u16 LayoutFileVersion;
wch LayoutFileName[OS_MAX_PATH];

static const u8 kLayMagic[4] = {0x56, 0xD1, 0x4E, 0xD4};

// ---------------------------------------------------------------- hooks

static LayHooks g_layHooks;

void Lay_SetHooks(const LayHooks* hooks) { g_layHooks = hooks ? *hooks : LayHooks{}; }

void Lay_MarkModified(void) {
  if (g_layHooks.setModified) g_layHooks.setModified();
}

static void Lay_ClearModified(void) {
  if (g_layHooks.clearModified) g_layHooks.clearModified();
}

static int Lay_IsModified(void) { return g_layHooks.isModified ? g_layHooks.isModified() : 0; }

void Lay_Busy(int begin) {
  if (g_layHooks.busy) g_layHooks.busy(begin);
}

static int Lay_ReadBackground(u16 version) {
  return g_layHooks.readBackgroundSection ? g_layHooks.readBackgroundSection(version) : 0;
}

static int Lay_WriteBackground(void) {
  return g_layHooks.writeBackgroundSection ? g_layHooks.writeBackgroundSection() : 0;
}

enum : TextId {
  TXT_SAVE_TITLE = 11000,
  TXT_SAVE_BOX = 11001,
  TXT_LOAD_TITLE = 11002,
  TXT_LOAD_BOX = 11202,
  TXT_HEADER_PROGRAM = 11040,
  TXT_HEADER_VERSION = 801,
  TXT_NOT_FOUND = 11100,
  TXT_READ_ERROR = 11101,
  TXT_BAD_FILE = 11102,
  TXT_CANNOT_OPEN = 11103,
  TXT_BAD_MAGIC = 11104,
  TXT_CLOSE_FAILED = 11105,
  TXT_CLOSE_SHORT = 11106,
  TXT_CREATE_FAILED = 11108,
  TXT_WRITE_FAILED = 11109,
  TXT_WRITE_SHORT = 11110,
  TXT_TOO_OLD = 11111,
  TXT_TOO_NEW = 11112,
  TXT_SECTION_BAD = 11113,
  TXT_TRAIN_NO_MEMORY = 11114,
  TXT_TP_NO_MEMORY = 11115,
  TXT_LEVEL_PASS = 11116,
  TXT_TRAIN_REMAP = 11131,
  TXT_FLAGGED_1 = 11147,
  TXT_FLAGGED_2 = 11148,
  TXT_FLAGGED_3 = 11149,
  TXT_WARNINGS = 11132,
  TXT_ADDON_UNREADABLE = 11150,
  TXT_ADDON_NOT_STORED = 11151,
  TXT_NO_MEMORY = 8005
};

// ---------------------------------------------------------------- small sections

int Lay_WriteMa(void) {
  int r = Fio_WriteU16(0x414D);
  if (!r) r = Fio_WriteU16(0);
  return r;
}

int Lay_ReadMa(u16 version) {
  u16 tag, zero;
  int r;
  if ((r = Fio_ReadU16(&tag)) || (r = Fio_ReadU16(&zero))) return r;
  return (tag == 0x414D && zero == 0) ? 0 : 3;
}

// The 16 bytes after the sections: written as zeros, read and ignored.
static int Lay_WriteTrailer(void) {
  static const u8 zeros[16] = {0};
  return Fio_WriteBlock(zeros, sizeof zeros);
}

static int Lay_ReadTrailer(u16 version) {
  u8 bytes[16];
  return Fio_ReadBlock(bytes, sizeof bytes) == sizeof bytes ? 0 : 1;
}

// ---------------------------------------------------------------- section order


// One step of the body. The loader adds base to the reader's code (base 0:
// any failure gives LAY_LOAD_NO_TRAILER); files older than fromVersion lack
// the section. The messages of the reader's codes 3 (text 11113) and 4 belong
// to the section.
struct LaySection {
  const char* tag;
  u16 base;
  u16 fromVersion;
  int (*read)(u16 version);
  int (*write)(void);
  u16 msgMalformed;
  u16 msgNoMemory;
  TextId textNoMemory;
};

// The slices of the protection code between the sections (nothing without
// a code).
#define LAY_LOCK(a, b)                                              \
  static int Lay_ReadLock##a##_##b(u16) { return Lay_ReadLockSlice(a, b); } \
  static int Lay_WriteLock##a##_##b(void) { return Lay_WriteLockSlice(a, b); }
LAY_LOCK(0, 2)
LAY_LOCK(2, 5)
LAY_LOCK(4, 7)
LAY_LOCK(7, 9)
LAY_LOCK(8, 11)
LAY_LOCK(10, 14)
LAY_LOCK(13, 16)
LAY_LOCK(15, 16)
#undef LAY_LOCK
#define LAY_LOCK_ROW(a, b) {"", 180, 0, Lay_ReadLock##a##_##b, Lay_WriteLock##a##_##b, 0, 0, 0}

static const LaySection kLaySections[] = {
    {"GENL", 20, 0, Genl_LoadSection, Genl_SaveSection, 112, 0, 0},
    {"NETZ", 30, 0, Grid_LoadSection, Grid_SaveSection, 115, 116, TXT_NO_MEMORY},
    LAY_LOCK_ROW(0, 2),
    {"ZUGD", 40, 0, TrnList_ReadSection, TrnList_SaveSection, 121, 122, TXT_TRAIN_NO_MEMORY},
    LAY_LOCK_ROW(2, 5),
    {"WEIN", 50, 0, Pts_LoadSection, Pts_SaveSection, 126, 165, TXT_NO_MEMORY},
    {"RNGP", 200, 0, Rp_LoadSection, Rp_SaveSection, 181, 182, TXT_NO_MEMORY},
    LAY_LOCK_ROW(4, 7),
    {"DEPO", 60, 0, Dep_LoadSection, Dep_SaveSection, 129, 150, TXT_NO_MEMORY},
    LAY_LOCK_ROW(7, 9),
    {"TKTP", 70, 0, Tp_LoadSection, Tp_SaveSection, 132, 155, TXT_TP_NO_MEMORY},
    {"DWXP", 190, 0, Dwx_LoadSection, Dwx_SaveSection, 179, 180, TXT_NO_MEMORY},
    LAY_LOCK_ROW(8, 11),
    {"SIGS", 80, 0, Sig_LoadSection, Sig_SaveSection, 135, 160, TXT_NO_MEMORY},
    LAY_LOCK_ROW(10, 14),
    {"ZKTN", 90, 0, Txt_LoadSection, Txt_SaveSection, 138, 172, TXT_NO_MEMORY},
    LAY_LOCK_ROW(13, 16),
    {"HSTP", 100, 0, Hst_LoadSection, Hst_SaveSection, 141, 170, TXT_NO_MEMORY},
    LAY_LOCK_ROW(15, 16),
    {"LFST", 110, 0, Lfst_LoadSection, Lfst_SaveSection, 144, 171, TXT_NO_MEMORY},
    {"LIND", 120, 0, Lin_LoadSection, Lin_SaveSection, 147, 198, TXT_NO_MEMORY},
    {"ZG", 130, 0, Lay_ReadBackground, Lay_WriteBackground, 153, 154, TXT_NO_MEMORY},
    {"MA", 140, 0, Lay_ReadMa, Lay_WriteMa, 158, 159, TXT_NO_MEMORY},
    {"LOGP", 150, 0, Logp_Load, Logp_Save, 168, 169, TXT_NO_MEMORY},
    {"PRLB", 170, 0, Prell_LoadSection, Prell_SaveSection, 173, 174, TXT_NO_MEMORY},
    {"INFO", 160, 0, Info_LoadSection, Info_SaveSection, 163, 164, TXT_NO_MEMORY},
    {"SNDP", 210, LAYVER_SOUND_POINTS, Snd_LoadSection, Snd_SaveSection, 183, 184, TXT_NO_MEMORY},
    {"", 0, 0, Lay_ReadTrailer, Lay_WriteTrailer, 0, 0, 0},
};

static int Lay_WriteSections(void) {
  for (const LaySection& s : kLaySections) {
    int r = s.write();
    if (r) return r;
  }
  return 0;
}

// The places the level pass of the last load could not convert.
static i32 g_layLevelFailures;

static int Lay_ReadSections(u16 version) {
  g_layLevelFailures = 0;
  for (const LaySection& s : kLaySections) {
    if (version < s.fromVersion) continue;
    int r = s.read(version);
    if (r) return s.base ? s.base + r : LAY_LOAD_NO_TRAILER;
    // Files before 0x383C drew a lowered track on level 0 between its
    // ramps; the levels below are built once the grid is in.
    if (s.read == Grid_LoadSection && version < LAYVER_LEVELS) {
      const i32 pass = Lay_ConvertLevels();
      if (pass < 0) return LAY_LOAD_LEVEL_PASS;
      g_layLevelFailures = pass;
      Grid_UpdateExtent(0, 0, 0, 0);
    }
  }
  return 0;
}

// Empties every module of the layout, as a new load starts.
void Lay_ClearLayout(void) {
  if (g_layHooks.clearMarks) g_layHooks.clearMarks();
  Grid_Clear();
  TrnList_Clear();
  Dwx_Clear();
  Pts_FreeAll();
  Rp_Clear();
  Dep_Clear();
  Sig_Clear();
  Info_Clear();
  Mcs_Clear();
  Txt_Clear();
  Hst_Clear();
  Lfst_Clear();
  Tp_Clear();
  Snd_ClearPoints();
  Lin_Clear();
  Prell_Clear();
  Logp_Clear();
}

// ---------------------------------------------------------------- helpers

static void Lay_CloseInfoBoxes(int depth) {
  while (Msg_InfoDepth() > depth)
    if (Msg_InfoClose() < 0) break;
}

static void Lay_CopyName(wch* dst, const wch* src) {
  i32 n = Str_Len(src);
  if (n > OS_MAX_PATH - 1) n = OS_MAX_PATH - 1;
  Mem_CopyWide(dst, src, n);
  dst[n] = 0;
}

// A language text as 8-bit header bytes without its zero; a control code in
// it (a line end, the Ctrl-Z that ends the header) would make the file
// unreadable and becomes a blank.
static u32 Lay_HeaderText(TextId id, char* buf, int size) {
  int n = Lng_WideToAnsi(Lng_GetText(id), buf, size);
  if (n < 1) return 0;
  u32 len = u32(n - 1);
  for (u32 i = 0; i < len; ++i)
    if (u8(buf[i]) < 0x20) buf[i] = ' ';
  return len;
}

static int Lay_WriteHeader(void) {
  char header[2 * 512 + 16];
  u32 n = Lay_HeaderText(TXT_HEADER_PROGRAM, header, 512);
  header[n++] = ' ';
  n += Lay_HeaderText(TXT_HEADER_VERSION, header + n, 512);
  header[n++] = '\r';
  header[n++] = '\n';
  header[n++] = '\r';
  header[n++] = '\n';
  header[n++] = 0x1A;
  header[n++] = char(LAY_VERSION >> 8);
  for (u8 m : kLayMagic) header[n++] = char(m);
  header[n++] = char(LAY_VERSION & 0xFF);
  return Fio_WriteBlock(header, n);
}

// ---------------------------------------------------------------- writing

static int Lay_WriteStream(const wch* folderPath, wch* failedName) {
  if (Fio_OpenWrite(LayoutFileName, FIO_UTF16LE, FOLDER_LAYOUTS) != 0) return LAY_SAVE_CREATE_FAILED;
  int r = Lay_WriteHeader();
  if (!r) {
    Fio_BeginWriteRle();
    r = Lay_WriteSections();
  }
  int notStored = 0;
  if (!r && Lay_AddOnsEmbedded()) {
    r = Lay_WriteAddOns(folderPath, failedName);
    if (r == 3) r = LAY_SAVE_ADDON_UNREADABLE;
    if (r == 4) notStored = 1, r = 0;
  }
  if (r) {
    Fio_CancelWrite();
    return r;
  }
  r = Fio_CloseWrite();
  if (r) {
    Fio_CancelWrite();
    return r + 3;
  }
  return notStored ? LAY_SAVE_ADDON_NOT_STORED : LAY_SAVE_OK;
}

int Lay_WriteFile(const wch* folderPath, wch* failedName) {
  if (failedName) failedName[0] = 0;
  const int boxes = Msg_InfoDepth();
  Msg_InfoOpen(Lng_GetText(TXT_SAVE_BOX), Lng_GetText(TXT_SAVE_TITLE), 0, 0);
  const int r = Lay_WriteStream(folderPath, failedName);
  Lay_CloseInfoBoxes(boxes);
  if (r == LAY_SAVE_OK || r == LAY_SAVE_ADDON_NOT_STORED) {
    Lay_ClearModified();
    LayoutFileVersion = LAY_VERSION;
  }
  return r;
}

int Lay_Save(const wch* folderPath, wch* failedName) {
  wch ownName[OS_MAX_PATH];
  wch* name = failedName ? failedName : ownName;
  Lay_Busy(1);
  const int r = Lay_WriteFile(folderPath, name);
  Lay_Busy(0);
  wch text[OS_MAX_PATH + 128];
  switch (r) {
    case 1: Msg_ErrorId(244, TXT_WRITE_FAILED); break;
    case 2: Msg_ErrorId(245, TXT_WRITE_SHORT); break;
    case 3: Msg_ErrorId(242, TXT_CREATE_FAILED); break;
    case 4: Msg_ErrorId(248, TXT_CLOSE_FAILED); break;
    case 5: Msg_ErrorId(249, TXT_CLOSE_SHORT); break;
    case LAY_SAVE_ADDON_UNREADABLE:
      Fmt_Print(text, OS_MAX_PATH + 128, u"%s: \"%s\"", Lng_GetText(TXT_ADDON_UNREADABLE), name);
      Msg_ErrorText(246, text);
      break;
    case LAY_SAVE_ADDON_NOT_STORED:
      Fmt_Print(text, OS_MAX_PATH + 128, u"%s: \"%s\"", Lng_GetText(TXT_ADDON_NOT_STORED), name);
      Msg_WarnText(247, text);
      break;
    default: break;
  }
  return (r == LAY_SAVE_OK || r == LAY_SAVE_ADDON_NOT_STORED) ? 0 : 1;
}

// ---------------------------------------------------------------- reading

// The version from the bytes after the header text; 0 or a load result.
static int Lay_ReadVersion(u16* version) {
  u8 b;
  if (Fio_ReadByte(&b)) return LAY_LOAD_NO_HEADER;
  u32 v = u32(b) << 8;
  if (v >= 0x3300) {
    u8 m[4];
    if (Fio_ReadBlock(m, 4) != 4) return LAY_LOAD_NO_HEADER;
    if (m[0] != kLayMagic[0]) {
      // Files of 0x35xx may carry the low byte before the magic.
      if (v != LAYVER_CODED) return LAY_LOAD_BAD_MAGIC;
      v |= m[0];
      m[0] = m[1];
      m[1] = m[2];
      m[2] = m[3];
      if (Fio_ReadByte(&m[3])) return LAY_LOAD_NO_HEADER;
    }
    for (int i = 0; i < 4; ++i)
      if (m[i] != kLayMagic[i]) return LAY_LOAD_BAD_MAGIC;
  }
  if (v >= LAYVER_CODED && (v & 0xFF) == 0) {
    if (Fio_ReadByte(&b)) return LAY_LOAD_NO_HEADER;
    v |= b;
  }
  if (v < LAY_VERSION_OLDEST) return LAY_LOAD_TOO_OLD;
  if (v > LAY_VERSION) return LAY_LOAD_TOO_NEW;
  *version = u16(v);
  return 0;
}

// The layout in memory, written by the section writers into a heap block;
// null when it could not be taken.
static u8* Lay_TakeSnapshot(u32* size) {
  *size = 0;
  if (Fio_OpenWriteMemory() != 0) return nullptr;
  if (Lay_WriteSections() != 0) {
    Fio_CancelWrite();
    return nullptr;
  }
  const int r = Fio_CloseWrite();
  if (r != 0) {
    Fio_CancelWrite();
    return nullptr;
  }
  return Fio_TakeWriteMemory(size);
}

// Puts the layout of a snapshot back in place of a partly read one; 0, or
// the section readers' code when they could not (no memory): the layout is
// then left empty.
static int Lay_RestoreSnapshot(const u8* data, u32 size) {
  Lay_ClearLayout();
  int r = Fio_OpenReadMemory(data, size);
  if (!r) {
    r = Lay_ReadSections(LAY_VERSION);
    if (Fio_IsReadOpen()) Fio_CloseRead();
  }
  if (r) Lay_ClearLayout();
  return r;
}

static void Lay_KeepGraphics(int step) {
  if (g_layHooks.keepGraphics) g_layHooks.keepGraphics(step);
}

static int g_layLoadKept = 1;

int Lay_LastLoadKeptLayout(void) { return g_layLoadKept; }

// After a load: a refused one gives the layout from before back from the
// snapshot, or, when even that fails, leaves an empty layout under no name
// (LAY_LOAD_NOT_RESTORED); one that went through keeps the new layout under
// its name. Gives the load's result.
static int Lay_SettleLoad(int r, const wch* name, const u8* snapshot, u32 snapSize, u16 oldVersion, int oldModified) {
  if (r) {
    LayoutFileVersion = LAY_VERSION;
    const int restored = Lay_RestoreSnapshot(snapshot, snapSize);
    Lay_KeepGraphics(restored ? LAY_GRAPHICS_DROP_ALL : LAY_GRAPHICS_PUT_BACK);
    if (restored) {
      // The layout is lost in memory: an empty new one takes its place, under
      // no name, so that no save can put it over the user's file.
      LayoutFileVersion = 0;
      LayoutFileName[0] = 0;
      Lay_ClearModified();
      r = LAY_LOAD_NOT_RESTORED;
      g_layLoadKept = 0;
    } else {
      TrnList_RefreshCellCodes(1);
      LayoutFileVersion = oldVersion;
      if (oldModified) Lay_MarkModified();
      else Lay_ClearModified();
    }
  } else {
    Lay_KeepGraphics(LAY_GRAPHICS_DROP);
    Lay_ForgetEnteredCode();
    Lay_ClearModified();
    Lay_CopyName(LayoutFileName, name);
    // The libraries' symbol definitions follow the layout's user graphics.
    Mcs_LoadDefinitions(1);
    Mcs_Revalidate(-1, nullptr);
  }
  Grid_InvalidateViews(GRID_INVALIDATE_FRAME | GRID_INVALIDATE_VIEWS);
  return r;
}

static int Lay_Load(const wch* name) {
  g_layLoadKept = 1;
  if (Fio_OpenRead(name, FIO_SKIP_TO_CTRLZ | FIO_PROGRESS, FOLDER_LAYOUTS) != 0) return LAY_LOAD_NO_FILE;
  u16 version = 0;
  int r = Lay_ReadVersion(&version);
  if (r) {
    if (Fio_IsReadOpen()) Fio_CloseRead();
    return r;
  }
  const u16 oldVersion = LayoutFileVersion;
  const int oldModified = Lay_IsModified();
  u32 snapSize = 0;
  u8* snapshot = Lay_TakeSnapshot(&snapSize);
  // Without the snapshot a refused load could not give the layout back:
  // nothing is cleared then.
  if (!snapshot) {
    if (Fio_IsReadOpen()) Fio_CloseRead();
    return LAY_LOAD_NO_SNAPSHOT;
  }
  // The vehicle sets and the background picture are not in the snapshot,
  // only their list and settings: they wait aside until the load is decided.
  Lay_KeepGraphics(LAY_GRAPHICS_SET_ASIDE);

  LayoutFileVersion = version;
  if (version >= LAYVER_CODED) Fio_BeginReadRle();
  Lay_ClearLayout();
  Lay_BeginLoadProtectCode();
  r = Lay_ReadSections(version);
  if (!r) {
    const int a = Lay_ReadAddOns();
    if (a) r = 220 + a;
  }
  if (r) {
    if (Fio_IsReadOpen()) Fio_CloseRead();
  } else if (Fio_CloseRead() != 0) {
    r = LAY_LOAD_CLOSE_FAILED;
  }
  int warned = 0;
  if (!r && Lay_ReloadCompanions(name, version)) r = LAY_LOAD_RELOAD_ABORTED;
  if (!r) {
    // Trains take their vehicles from the catalogue and their markers from
    // the grid only once every section is in.
    TrnList_RecalcIntervals();
    const int g = g_layHooks.loadLayoutGraphics ? g_layHooks.loadLayoutGraphics(version) : 0;
    if (g == 3) r = LAY_LOAD_NO_SNAPSHOT;
    else if (g) warned = 1;
  }
  if (!r) {
    const int after = TrnList_AfterLoad(version);
    if (after == 1) r = LAY_LOAD_TRAIN_REMAP;
    if (after == 2) warned = 1;
  }
  if (!r) {
    TrnList_SetAllTrainSounds(1);
    if (g_layHooks.loadZoomVehicleSets) g_layHooks.loadZoomVehicleSets();
    TrnList_RefreshCellCodes(1);
    // The oldest LFST elements become today's, each with its point.
    if (version < LAYVER_KINDS && Lfst_ConvertOldElements() < 0) r = LAY_LOAD_LFST_CONVERSION;
    // Old stop elements of files before 14344 become stops of their own.
    if (!r && version < LAYVER_KINDS && Hst_ConvertOldElements() < 0) r = LAY_LOAD_OLD_STOPS;
  }
  if (!r) {
    // Signal cells of old files that lost their element become track.
    if (version < LAYVER_LOG_DIRS) Sig_RemoveOrphanSignalTiles();
    // Every file, not only the oldest: the count from the train section
    // bounds the walk, and end marks of older files are taken out here.
    TrnList_RefreshReservations();
  }

  r = Lay_SettleLoad(r, name, snapshot, snapSize, oldVersion, oldModified);
  Heap_Free(snapshot);
  if (!r && (TrnList_LoadFlaggedCount() > 0 || g_layLevelFailures > 0)) {
    if (g_layHooks.stopSimulation) g_layHooks.stopSimulation();
    wch text[400];
    Fmt_Print(text, 400, u"%s %i  %s %i\n\r%s", Lng_GetText(TXT_FLAGGED_1), int(g_layLevelFailures),
              Lng_GetText(TXT_FLAGGED_2),
              int(TrnList_LoadFlaggedCount()), Lng_GetText(TXT_FLAGGED_3));
    Msg_WarnText(296, text);
  }
  return r ? r : (warned ? LAY_LOAD_WARNINGS : 0);
}

int Lay_LoadFile(const wch* name) {
  if (!name) name = u"";
  const int boxes = Msg_InfoDepth();
  wch boxText[100];
  Fmt_Print(boxText, 100, u"%s %s", Lng_GetText(TXT_LOAD_BOX), name);
  Msg_InfoOpen(boxText, Lng_GetText(TXT_LOAD_TITLE), 0, 0);
  const int r = Lay_Load(name);
  Lay_CloseInfoBoxes(boxes);
  return r;
}

void Lay_ReportLoadResult(int result) {
  switch (result) {
    case LAY_LOAD_OK: return;
    case LAY_LOAD_NO_FILE: Msg_ErrorId(105, TXT_CANNOT_OPEN); return;
    case LAY_LOAD_NO_HEADER: Msg_ErrorId(106, TXT_BAD_FILE); return;
    case LAY_LOAD_BAD_MAGIC: Msg_ErrorId(103, TXT_BAD_MAGIC); return;
    case LAY_LOAD_TOO_OLD: Msg_ErrorId(107, TXT_TOO_OLD); return;
    case LAY_LOAD_TOO_NEW: Msg_ErrorId(108, TXT_TOO_NEW); return;
    case LAY_LOAD_WARNINGS: Msg_WarnId(104, TXT_WARNINGS); return;
    case LAY_LOAD_NO_TRAILER: Msg_ErrorId(148, TXT_BAD_FILE); return;
    case LAY_LOAD_CLOSE_FAILED: Msg_ErrorId(149, TXT_CLOSE_FAILED); return;
    case LAY_LOAD_NO_SNAPSHOT: Msg_ErrorId(113, TXT_NO_MEMORY); return;
    case LAY_LOAD_NOT_RESTORED: Msg_ErrorId(118, TXT_NO_MEMORY); return;
    case LAY_LOAD_LEVEL_PASS: Msg_ErrorId(199, TXT_LEVEL_PASS); return;
    case LAY_LOAD_TRAIN_REMAP: Msg_ErrorId(109, TXT_TRAIN_REMAP); return;
    case LAY_LOAD_OLD_STOPS: Msg_ErrorId(185, TXT_BAD_FILE); return;
    case LAY_LOAD_LFST_CONVERSION: Msg_ErrorId(186, TXT_BAD_FILE); return;
    default: break;
  }
  if (result < 21) return;
  const int base = result / 10 * 10;
  const int e = result % 10;
  // The protection code's slices share base 180 and have numbers of their own.
  const bool lock = base == 180;
  if (e == 1) {
    Msg_ErrorId(lock ? 177 : 110, TXT_NOT_FOUND);
    return;
  }
  if (e == 2) {
    Msg_ErrorId(lock ? 117 : 111, TXT_READ_ERROR);
    return;
  }
  if (e != 3 && e != 4) return;
  for (const LaySection& s : kLaySections) {
    if (s.base != base) continue;
    if (e == 3 && s.msgMalformed) Msg_ErrorId(s.msgMalformed, TXT_SECTION_BAD);
    if (e == 4 && s.msgNoMemory) Msg_ErrorId(s.msgNoMemory, s.textNoMemory);
    return;
  }
}

int Lay_PathMissing(const wch* path) { return Os_Access(path, OS_ACCESS_EXISTS) != 0 ? 1 : 0; }

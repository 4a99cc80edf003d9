#include "shell/file.h"

#include "model/genl.h"
#include "model/grid.h"
#include "model/layaddon.h"
#include "model/layfile.h"
#include "model/layprot.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "platform/fio.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"
#include "platform/tim.h"
#include "render/daylight.h"
#include "render/img.h"
#include "render/map.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/bld.h"
#include "shell/cfg.h"
#include "shell/ewin.h"
#include "shell/filedlg.h"
#include "shell/marks.h"
#include "shell/menu.h"
#include "shell/userfiles.h"
#include "shell/vwin.h"

// ---------------------------------------------------------------- options
static int g_fileBackups = 10;
static i32 g_fileAutoInterval;
static u32 g_fileAutoOptions;
static int g_fileRecentCount = 20;
static int g_fileWarnDatN = 1;
static int g_fileEmbedAddOns;
static int g_fileAddOnLoad = 2;
static int g_fileIncomplete;

int File_GetBackupCount(void) { return g_fileBackups; }

int File_SetBackupCount(int count) {
  if (count < 0 || count > 1000) return 1;
  g_fileBackups = count;
  return 0;
}

void File_GetAutoSave(i32* interval, u32* options) {
  if (interval) *interval = g_fileAutoInterval;
  if (options) *options = g_fileAutoOptions;
}

int File_SetAutoSave(u32 options, i32 interval) {
  if (interval < 0 || interval > 86399) return 1;
  g_fileAutoInterval = interval;
  g_fileAutoOptions = options & (FILE_AUTO_MODIFIED_ONLY | FILE_AUTO_SIMULATED);
  AutoSaveCountdown = interval > 0 ? interval : 0x7FFFFFFF;
  return 0;
}

int File_OptRecentFiles(int value) {
  if (value >= 0) {
    const int count = value & 0x7FFF;
    g_fileRecentCount = (count > MENU_RECENT_SLOTS ? MENU_RECENT_SLOTS : count) | (value & FILE_RECENT_TEST);
  }
  return g_fileRecentCount;
}

int File_OptWarnDatN(int op) {
  if (op == 1) g_fileWarnDatN = 1;
  if (op == 2) g_fileWarnDatN = 0;
  return g_fileWarnDatN ? 1 : 2;
}

int File_OptEmbedAddOns(int op) {
  if (op == 1) g_fileEmbedAddOns = 1;
  if (op == 2) g_fileEmbedAddOns = 0;
  return g_fileEmbedAddOns;
}

int File_OptAddOnLoad(int value) {
  if (value == 1 || value == 2) g_fileAddOnLoad = value;
  return g_fileAddOnLoad;
}

u16 File_LayoutVersion(void) { return LayoutFileVersion; }

int File_LayoutIncomplete(void) { return g_fileIncomplete; }

// ---------------------------------------------------------------- names
enum : TextId {
  TXT_UNTITLED = 11060,
  TXT_INFO_NAME = 11061,
  TXT_INFO_AUTHOR = 11062,
  TXT_FILE_MISSING = 11107,
  TXT_LONG_NAME = 11126,
  TXT_BACKUP_DENIED = 11133,
  TXT_BACKUP_FAILED = 11134,
  TXT_BACKUP_ASK = 11135,
  TXT_OPEN_TITLE = 11200,
  TXT_OPEN_FILTER = 11203,
  TXT_SAVEAS_TITLE = 11220,
  TXT_SAVEAS_FILTER = 11223,
  TXT_OVERWRITE = 11023,
  TXT_ASK_SAVE = 11240,
  TXT_TEXT_TITLE = 11260,
  TXT_TEXT_FILTER = 11263,
  TXT_TEXT_NAME = 11022,
  TXT_PICTURE_TITLE = 11280,
  TXT_PICTURE_BOX_TITLE = 11281,
  TXT_PICTURE_FILTER = 11283,
  TXT_SETTINGS_FAILED = 11120,
  TXT_SECOND_INSTANCE = 11143
};

// The layout has no file yet: an empty name, or the untitled text that
// older layouts may carry.
static int File_Untitled(void) {
  return LayoutFileName[0] == 0 || Str_CompareEx(LayoutFileName, Lng_GetText(TXT_UNTITLED), STR_CMP_NOCASE) == 0;
}

// Splits a full path into its folder (with the separator) and its name.
static void File_SplitPath(const wch* path, wch* folder, wch* name) {
  i32 cut = 0;
  for (i32 i = 0; path[i]; ++i)
    if (path[i] == u'\\' || path[i] == u'/' || path[i] == u':') cut = i + 1;
  Mem_CopyWide(folder, path, cut);
  folder[cut] = 0;
  Str_Copy(name, path + cut);
}

// The layout file's full path; 1 when it does not fit.
static int File_LayoutPath(wch* path) { return Fio_BuildPath(LayoutFileName, FOLDER_LAYOUTS, path); }

static void File_NameChanged(void) { Menu_SetWindowTitles(-1); }

// ---------------------------------------------------------------- backups
int File_BackupName(const wch* base, u32 n, wch* out) {
  wch buf[OS_MAX_PATH + 16];
  const int len = Fmt_Print(buf, OS_MAX_PATH + 16, u"%s.%03u.%s", base, n, u"nt2");
  if (len >= OS_MAX_PATH) return 1;
  Str_Copy(out, buf);
  return 0;
}

int File_MakeBackups(const wch* path, int count, int quiet) {
  if (count < 1) return 0;
  // Nothing to keep yet: a layout saved under a new name has no older file.
  if (Os_Access(path, OS_ACCESS_EXISTS) != 0) return 0;
  if (Str_Len(path) + 4 >= OS_MAX_PATH) {
    if (quiet) return 1;
    Msg_WarnId(230, TXT_LONG_NAME);
    return 0;
  }
  wch base[OS_MAX_PATH], from[OS_MAX_PATH], to[OS_MAX_PATH];
  Str_Copy(base, path);
  Fio_StripExtension(base);
  if (File_BackupName(base, u32(count - 1), to) != 0) return quiet ? 1 : 0;
  if (Fio_DeleteFile(to, FOLDER_FULLPATH) == 2) {
    if (quiet) return 1;
    Msg_ErrorId(231, TXT_BACKUP_DENIED);
  }
  for (int i = count - 1; i >= 1; --i)
    if (File_BackupName(base, u32(i - 1), from) == 0 && File_BackupName(base, u32(i), to) == 0)
      Fio_RenameFile(from, to, FOLDER_FULLPATH);
  // A copy, not a move: the layout file keeps its name until the new one
  // replaces it whole, so a failed save leaves it where it was.
  if (File_BackupName(base, 0, to) == 0 && Fio_CopyFile(path, to) == 0) return 0;
  if (quiet) return 1;
  wch text[600];
  Fmt_Print(text, 600, u"%s\n%s", Lng_GetText(TXT_BACKUP_FAILED), Lng_GetText(TXT_BACKUP_ASK));
  return Msg_Ask(232, text, 0) == 3 ? 0 : 1;
}

// ---------------------------------------------------------------- file dialog
int File_FileDialog(TextId title, TextId second, u16 help, int save, FileOptionsFn options, int folder,
                    const wch* startPath, wch* path, const wch* defaultExtension, TextId filter) {
  wch start[OS_MAX_PATH] = {0}, name[OS_MAX_PATH] = {0};
  if (startPath && startPath[0]) File_SplitPath(startPath, start, name);
  if (!start[0]) Fio_FolderPath(folder, start, OS_MAX_PATH);
  Str_Copy(path, name);
  OsFileDialog d = {};
  d.owner = g_appFrame;
  if (g_activeViewSlot >= 0 && g_activeViewSlot < MAP_VIEWS && g_mapViews[g_activeViewSlot].window)
    d.owner = g_mapViews[g_activeViewSlot].window;
  d.save = save;
  d.title = Lng_GetText(title);
  d.filter = Lng_GetText(filter);
  d.defaultExtension = defaultExtension;
  d.folder = start;
  FileHookData hook = {u16(second), help, options};
  d.hook = File_HookProc();
  d.hookData = &hook;
  d.hookTemplate = IDD_FILE_HOOK;
  ++g_appModalDepth;
  const int chosen = Os_FileDialog(&d, path);
  --g_appModalDepth;
  return chosen ? 2 : 1;
}

// ---------------------------------------------------------------- open
// Views are drawn anew once the layout under them changed.
void File_RedrawAllViews(void) {
  for (int v = 0; v < MAP_VIEWS; ++v)
    if (g_mapViews[v].window) Map_RedrawView(v);
  Map_InvalidateViews(MAP_INVALIDATE_FRAME | MAP_INVALIDATE_VIEWS);
}

void File_ReloadUserGraphics(void) {
  if (Lay_ReloadUserGraphics(LAY_SLOTS_ELEMENTS, 1) == 0) Lay_ReloadUserGraphics(LAY_SLOTS_VEHICLES, 1);
}

static void File_NewLayout(void);

// The load between its question and its report: the folder becomes the
// file's, the simulation stops and drawing waits while the loader runs.
static int File_LoadIn(const wch* folder, const wch* name, int modifiedBefore) {
  wch oldFolder[OS_MAX_PATH];
  Fio_FolderPath(FOLDER_LAYOUTS, oldFolder, OS_MAX_PATH);
  Fio_SetFolderPath(FOLDER_LAYOUTS, folder);
  Lay_Busy(1);
  const int ran = SimRunFlag;
  Ewin_RunStop(EWIN_RUN_STOP);
  App_SuspendDrawing(0);
  const int r = Lay_LoadFile(name);
  if (r != LAY_LOAD_OK && r != LAY_LOAD_WARNINGS) {
    Fio_SetFolderPath(FOLDER_LAYOUTS, oldFolder);
    // The layout the user had stays, with its unsaved changes still marked,
    // even when the question before the load was answered "do not save".
    if (Lay_LastLoadKeptLayout() && modifiedBefore) Ewin_SetModified();
    else Ewin_ClearModified();
  } else {
    Ewin_ClearModified();
  }
  Lay_Busy(0);
  if (r >= LAY_LOAD_NO_TRAILER) {
    g_fileIncomplete = 1;
    if (!Lay_LastLoadKeptLayout()) File_NewLayout();
  }
  App_SuspendDrawing(1);
  Disp_UpdateDaylightPhase();
  File_RedrawAllViews();
  if (ran) Ewin_RunStop(EWIN_RUN_START);
  Lay_ReportLoadResult(r);
  if (r == LAY_LOAD_OK || r == LAY_LOAD_WARNINGS) {
    wch path[OS_MAX_PATH];
    if (File_LayoutPath(path) == 0) {
      Menu_RecentAdd(path);
      Menu_RecentBuild(MENU_ALL_SLOTS);
    }
  }
  File_NameChanged();
  return r;
}

static void File_ReportMissing(u32 number, const wch* path) {
  wch text[OS_MAX_PATH + 200];
  Fmt_Print(text, OS_MAX_PATH + 200, u"%s%s\"", Lng_GetText(TXT_FILE_MISSING), path);
  Msg_ErrorText(number, text);
}

int File_Load(const wch* path) {
  wch folder[OS_MAX_PATH], name[OS_MAX_PATH];
  File_SplitPath(path, folder, name);
  if (!folder[0]) Fio_FolderPath(FOLDER_LAYOUTS, folder, OS_MAX_PATH);
  return File_LoadIn(folder, name, Ewin_IsModified());
}

// Asks, then loads the file at path.
static void File_OpenPath(const wch* path) {
  if (Os_Access(path, OS_ACCESS_EXISTS) != 0) {
    File_ReportMissing(101, path);
    return;
  }
  const int modifiedBefore = Ewin_IsModified();
  if (!File_AskSaveChanges()) return;
  wch folder[OS_MAX_PATH], name[OS_MAX_PATH];
  File_SplitPath(path, folder, name);
  File_LoadIn(folder, name, modifiedBefore);
}

void File_Open(const wch* start) {
  wch path[OS_MAX_PATH];
  if (File_FileDialog(TXT_OPEN_TITLE, 11201, 42001, 0, nullptr, FOLDER_LAYOUTS, start, path, u"nt3", TXT_OPEN_FILTER) != 2) return;
  File_OpenPath(path);
}

void File_OpenRecent(int id) {
  wch path[MENU_RECENT_LEN];
  if (Menu_RecentGet(path, id) != 0) return;
  File_OpenPath(path);
}

// ---------------------------------------------------------------- save
// Writes the layout to its name, with backups when asked (quiet: no
// message at all). 0 saved.
static int File_Write(int backups, int quiet) {
  wch path[OS_MAX_PATH];
  if (File_LayoutPath(path) != 0) {
    if (!quiet) Msg_WarnId(230, TXT_LONG_NAME);
    return 1;
  }
  if (backups && File_MakeBackups(path, g_fileBackups, quiet) != 0) return 1;
  wch folder[OS_MAX_PATH];
  Fio_FolderPath(FOLDER_LAYOUTS, folder, OS_MAX_PATH);
  int r;
  if (quiet) {
    r = Lay_WriteFile(folder, nullptr);
    r = (r == LAY_SAVE_OK || r == LAY_SAVE_ADDON_NOT_STORED) ? 0 : 1;
  } else {
    r = Lay_Save(folder, nullptr);
  }
  File_NameChanged();
  return r;
}

#ifdef ORBA_VIEWER
static const int kViewer = 1;
#else
static const int kViewer = 0;
#endif

int File_Save(void) {
  if (kViewer) {
    Msg_ErrorId(233, 8008);
    return 1;
  }
  if (File_Untitled()) return File_SaveAs();
  if (Lay_MaySave() != 0) return 1;
  return File_Write(1, 0);
}

int File_SaveAs(void) {
  if (kViewer) {
    Msg_ErrorId(233, 8008);
    return 1;
  }
  if (Lay_MaySave() != 0) return 1;
  wch start[OS_MAX_PATH] = {0};
  if (!File_Untitled()) File_LayoutPath(start);
  wch path[OS_MAX_PATH];
  if (File_FileDialog(TXT_SAVEAS_TITLE, 11021, 42002, 1, nullptr, FOLDER_LAYOUTS, start, path, u"nt3", TXT_SAVEAS_FILTER) != 2) return 1;
  if (Os_Access(path, OS_ACCESS_EXISTS) == 0) {
    wch text[OS_MAX_PATH + 200];
    Fmt_Print(text, OS_MAX_PATH + 200, u"%s %s", path, Lng_GetText(TXT_OVERWRITE));
    if (Msg_Ask(253, text, 0) != 3) return 1;
  }
  wch oldFolder[OS_MAX_PATH], oldName[OS_MAX_PATH], folder[OS_MAX_PATH], name[OS_MAX_PATH];
  Fio_FolderPath(FOLDER_LAYOUTS, oldFolder, OS_MAX_PATH);
  Str_Copy(oldName, LayoutFileName);
  File_SplitPath(path, folder, name);
  Fio_SetFolderPath(FOLDER_LAYOUTS, folder);
  Str_Copy(LayoutFileName, name);
  File_NameChanged();
  if (File_Write(0, 0) == 0) {
    Menu_RecentAdd(path);
    Menu_RecentBuild(MENU_ALL_SLOTS);
    return 0;
  }
  // The layout stays what it was: its file is the one it came from.
  Fio_SetFolderPath(FOLDER_LAYOUTS, oldFolder);
  Str_Copy(LayoutFileName, oldName);
  File_NameChanged();
  return 1;
}

int File_AutoSave(void) {
  if (kViewer || g_fileAutoInterval == 0) return 1;
  AutoSaveCountdown = g_fileAutoInterval;
  if ((g_fileAutoOptions & FILE_AUTO_MODIFIED_ONLY) && !Ewin_IsModified()) return 1;
  if (File_Untitled()) return 1;
  // Whatever would need a question (the protection code, converting an
  // older layout) waits for the user's own save.
  if (Lay_MaySaveQuietly() != 0) return 1;
  return File_Write(1, 1) == 0 ? 0 : 2;
}

// ---------------------------------------------------------------- new layout
void File_ResetLayoutState(void) {
  AutoSaveCountdown = g_fileAutoInterval > 0 ? g_fileAutoInterval : 0x7FFFFFFF;
  for (int v = 0; v < MAP_VIEWS; ++v) {
    MapView& m = g_mapViews[v];
    m.cursorX = MARK_CLEAR_XY;
    m.cursorY = MARK_CLEAR_XY;
    m.level = 0;
    m.originX = MARK_CLEAR_XY - m.visWidth / 2;
    m.originY = MARK_CLEAR_XY - m.visHeight / 2;
    if (m.window) {
      Map_UpdateVisible(v);
      Vwin_PlatformShowPosition(v);
    }
  }
  Ewin_ClearMarks();
  Ewin_SetHome(MARK_CLEAR_XY, MARK_CLEAR_XY, 0);
  Ewin_SetSelection(MARK_CLEAR_XY, MARK_CLEAR_XY, 0, 0, MARK_CLEAR_XY, MARK_CLEAR_XY);
  Ewin_SelectionShown(EWIN_SEL_HIDE);
  Bld_SetLastLineEnd(MARK_CLEAR_XY, MARK_CLEAR_XY);
  Clk_SetSpeed(-3);
  Clk_Reset();
  Clk_ResetRate();
  Genl_SetKeptFlags(0);
  File_OptEmbedAddOns(2);
  Rnd_SetLayoutSeed(-1);
  Disp_ResetDaylight();
  Ewin_ClearModified();
  LayoutFileVersion = 0;
  LayoutFileName[0] = 0;
  Lng_SetGeneralInfo(0, Lng_GetText(TXT_INFO_NAME));
  Lng_SetGeneralInfo(2, Lng_GetText(TXT_INFO_NAME));
  Lng_SetGeneralInfo(1, Lng_GetText(TXT_INFO_AUTHOR));
  Lay_ClearProtectCode();
  File_ClearFileLists();
  // The simulation keeps its run state: a new layout does not start it.
  File_NameChanged();
}

void File_ClearFileLists(void) { File_ClearUserFileNames(); }

// The new empty layout, without the question; a load that could not keep
// the old layout keeps its incomplete mark through it.
static void File_NewLayout(void) {
  File_ResetLayoutState();
  Lay_ClearLayout();
  // The slots of the layout before hold its graphics until they are
  // loaded again from the now empty names.
  File_ReloadUserGraphics();
  Disp_UpdateDaylightPhase();
  File_RedrawAllViews();
}

void File_New(void) {
  if (!File_AskSaveChanges()) return;
  g_fileIncomplete = 0;
  File_NewLayout();
}

// ---------------------------------------------------------------- question
int File_AskSaveChanges(void) {
  if (Dmsg_Count() > 0 && !File_AskPendingMessages()) return 0;
  if (kViewer || !Ewin_IsModified()) return 1;
  wch name[OS_MAX_PATH];
  if (File_Untitled()) Str_Copy(name, Lng_GetText(TXT_UNTITLED));
  else if (File_LayoutPath(name) != 0) Str_Copy(name, LayoutFileName);
  wch text[OS_MAX_PATH + 300];
  Fmt_Print(text, OS_MAX_PATH + 300, Lng_GetText(TXT_ASK_SAVE), name);
  switch (Msg_Ask(299, text, 0)) {
    case 3:
      if (File_Save() != 0) return 0;
      Ewin_ClearModified();
      return 1;
    case 4: Ewin_ClearModified(); return 1;
    default: return 0;
  }
}

// ---------------------------------------------------------------- settings
int File_SaveSettings(void) {
  const int r = Cfg_WriteSettings();
  if (r == 0) return 0;
  if (r == 3) {
    Msg_WarnId(211, TXT_SECOND_INSTANCE);
    return r;
  }
  wch folder[OS_MAX_PATH], text[OS_MAX_PATH + 200];
  Cfg_Folder(folder);
  Fmt_Print(text, OS_MAX_PATH + 200, u"%s: \"%s%s\"", Lng_GetText(TXT_SETTINGS_FAILED), folder, Cfg_FileName());
  // The old file stays: the writer replaces it only once the new one is whole.
  Msg_ErrorText(213, text);
  return r;
}

// ---------------------------------------------------------------- language and help files
// The name to keep: bare when the file lies in the program folder.
static void File_ProgramRelative(const wch* path, wch* out) {
  wch folder[OS_MAX_PATH], name[OS_MAX_PATH], program[OS_MAX_PATH];
  File_SplitPath(path, folder, name);
  if (Fio_FolderPath(FOLDER_PROGRAM, program, OS_MAX_PATH) == 0 &&
      Str_CompareEx(folder, program, STR_CMP_NOCASE) == 0)
    Str_Copy(out, name);
  else
    Str_Copy(out, path);
}

void File_ChooseLanguage(int kind) {
  wch path[OS_MAX_PATH], name[OS_MAX_PATH];
  if (File_FileDialog(kind ? 11420 : 11430, 11421, kind ? 42020 : 42021, 0, nullptr, FOLDER_PROGRAM, nullptr, path, kind ? u"lng" : u"lnv",
                      kind ? 11422 : 11432) != 2)
    return;
  File_ProgramRelative(path, name);
  switch (Lng_LoadFile(name, kind ? 1 : 0)) {
    case 0:
      Cfg_SetLanguageFile(kind ? 0 : 1, name);
      Menu_SetWindowTitles(-1);
      for (int v = 0; v < MAP_VIEWS; ++v) Menu_FillViewMenu(v);
      Map_InvalidateViews(MAP_INVALIDATE_FRAME | MAP_INVALIDATE_VIEWS);
      break;
    // The old texts stay.
    case 1:
    case 2: Msg_ErrorId(193, 11136); break;
    case 3: Msg_ErrorId(194, 11137); break;
    default: Msg_ErrorId(195, 8005); break;
  }
}

void File_ChooseHelpFile(void) {
  wch path[OS_MAX_PATH], name[OS_MAX_PATH];
  if (File_FileDialog(11460, 11461, 42006, 0, nullptr, FOLDER_PROGRAM, nullptr, path, u"chm", 11462) != 2) return;
  File_ProgramRelative(path, name);
  if (!name[0]) {
    Msg_WarnId(197, 11138);
    return;
  }
  Cfg_SetLanguageFile(2, name);
}

// ---------------------------------------------------------------- exports
static int File_AskOverwrite(u32 number, const wch* path) {
  if (Os_Access(path, OS_ACCESS_EXISTS) != 0) return 1;
  wch text[OS_MAX_PATH + 200];
  Fmt_Print(text, OS_MAX_PATH + 200, u"%s %s", path, Lng_GetText(TXT_OVERWRITE));
  return Msg_Ask(number, text, 0) == 3;
}

void File_ExportText(void) {
  wch path[OS_MAX_PATH];
  if (File_FileDialog(TXT_TEXT_TITLE, 11021, 42003, 1, File_TextExportOptions, FOLDER_EXPORTS, Lng_GetText(TXT_TEXT_NAME), path, u"dat",
                      TXT_TEXT_FILTER) != 2)
    return;
  if (!File_AskOverwrite(201, path)) return;
  Lay_Busy(1);
  const int r = Lay_ExportText(path);
  Lay_Busy(0);
  switch (r) {
    case 1: Msg_ErrorId(204, 11109); break;
    case 2: Msg_ErrorId(205, 11110); break;
    case 3: Msg_ErrorId(202, 11108); break;
    case 4: Msg_ErrorId(208, 11105); break;
    case 5: Msg_ErrorId(209, 11106); break;
  }
}

static wch g_filePictureExt[8] = u"pcx";

void File_ExportPicture(void) {
  if (Grid_IsEmpty()) return;
  const int box = Ewin_SelectionShown(EWIN_SEL_QUERY);
  wch start[OS_MAX_PATH];
  Fmt_Print(start, OS_MAX_PATH, u"*.%s", g_filePictureExt);
  wch path[OS_MAX_PATH];
  if (File_FileDialog(box ? TXT_PICTURE_BOX_TITLE : TXT_PICTURE_TITLE, 11021, 42004, 1, File_PictureOptions, FOLDER_PICTURES, start, path,
                      g_filePictureExt, TXT_PICTURE_FILTER) != 2)
    return;
  if (!File_AskOverwrite(221, path)) return;
  Lay_Busy(1);
  if (box) Ewin_SelectionShown(EWIN_SEL_HIDE);
  wch ext[OS_MAX_PATH];
  if (Fio_GetExtension(path, ext) == 0 && Str_Len(ext) < 8) Str_Copy(g_filePictureExt, ext);
  const int bmp = Str_CompareEx(ext, u"bmp", STR_CMP_NOCASE) == 0;
  ImgBox area;
  Ewin_GetSelection(&area.x1, &area.y1, &area.level1, &area.level2, &area.y2, &area.x2);
  const int r = bmp ? Img_ExportBmp(path, box ? &area : nullptr) : Img_ExportPcx(path, box ? &area : nullptr);
  if (box) Ewin_SelectionShown(EWIN_SEL_SHOW);
  Lay_Busy(0);
  switch (r) {
    case 1: Msg_ErrorId(224, 11109); break;
    case 2: Msg_ErrorId(225, 11110); break;
    case 3: Msg_ErrorId(222, 11108); break;
    case 4: Msg_ErrorId(228, 11105); break;
    case 5: Msg_ErrorId(229, 11106); break;
    case IMG_EMPTY: break;
  }
}

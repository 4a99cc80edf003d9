// Layout file ("nt3"): the container of a whole layout. A short 8-bit text
// header, the version and the magic, then the body, coded by the stream's
// byte-pair run-length coding, made of the modules' sections in one fixed
// order, each opened by its tag and without a length field.
//
// Owns LayoutFileVersion, LayoutFileName, the header, the version rules, the
// order of the sections with the bases added to their readers' codes, the
// small "MA" section, the 16 bytes after the sections, and the save and load
// drivers with their result codes and messages.
//
// Owns too the layout hooks (LayHooks): the one way in which every module of
// the model and the operation layer tells the shell that the layout was
// modified (Lay_MarkModified), and what the drivers ask of the layers above
// (the modified mark, the wait cursor, stopping the simulation, the position
// marks, the renderer's section "ZG").
//
// Promises: a save writes through the stream's temporary file, so a failed
// save leaves the old file as it was; a refused load (any result but 0, 6 and
// 16) leaves the layout in memory, its vehicle sets and background picture,
// LayoutFileVersion, LayoutFileName and the modified mark as they were. Both drivers close their info boxes and the
// stream on every exit path.
#pragma once
#include "model/layver.h"
#include "platform/types.h"

// The version this program writes, and the oldest it reads.
enum : u16 { LAY_VERSION = LAYVER_CURRENT, LAY_VERSION_OLDEST = LAYVER_OLDEST };

// Load results (Lay_LoadFile); a section's failure gives its base + the
// section reader's code.
enum {
  LAY_LOAD_OK = 0,
  LAY_LOAD_NO_FILE = 1,
  LAY_LOAD_NO_HEADER = 2,
  LAY_LOAD_BAD_MAGIC = 3,
  LAY_LOAD_TOO_OLD = 4,
  LAY_LOAD_TOO_NEW = 5,
  LAY_LOAD_WARNINGS = 6,
  LAY_LOAD_NO_TRAILER = 11,
  LAY_LOAD_CLOSE_FAILED = 12,
  // No memory to keep the layout for a refused load: nothing was read.
  LAY_LOAD_NO_SNAPSHOT = 13,
  LAY_LOAD_TRAIN_REMAP = 15,
  // The LFST elements of a file before 14344 could not all get their points.
  LAY_LOAD_LFST_CONVERSION = 18,
  // Refused, and the layout could not be given back (no memory): an empty
  // layout without a name stands in its place.
  LAY_LOAD_NOT_RESTORED = 16,
  // The after-load level pass of an old file ran out of memory.
  LAY_LOAD_LEVEL_PASS = 14,
  // An old stop element could not become a stop.
  LAY_LOAD_OLD_STOPS = 17,
  // Reloading the user graphics was aborted (it showed its own message).
  LAY_LOAD_RELOAD_ABORTED = 19
};

// Save results (Lay_WriteFile): 1 and 2 a write failed with that stream code,
// 3 the file could not be created (or a write failed with 3), 4..6 closing
// failed with stream code 1..3, 7 an add-on file could not be read, 8 written
// but an add-on file could not be stored.
enum { LAY_SAVE_OK = 0, LAY_SAVE_CREATE_FAILED = 3, LAY_SAVE_ADDON_UNREADABLE = 7, LAY_SAVE_ADDON_NOT_STORED = 8 };

// Version of the layout in memory (0 for a new one); every section reader
// takes it.
extern u16 LayoutFileVersion;
// The layout's file name relative to the layouts folder.
extern wch LayoutFileName[OS_MAX_PATH];

// Writes LayoutFileName in the layouts folder. folderPath is the layouts
// folder (for the sections that store files beside the layout); failedName
// (may be null, else room for OS_MAX_PATH units) receives the name of a file that
// could not be stored. On 0 and 8 the modified mark is cleared and
// LayoutFileVersion becomes LAY_VERSION.
int Lay_WriteFile(const wch* folderPath, wch* failedName);
// The save driver: Lay_WriteFile under the wait cursor, its result shown as
// a message. 1 when the layout was not saved, else 0.
int Lay_Save(const wch* folderPath, wch* failedName);
// Reads the layout file name (relative to the layouts folder) into the model.
int Lay_LoadFile(const wch* name);
// 1 when the last load left a whole layout in memory: the file's, or, for a
// refused load, the one before it; 0 when a refused load could not put the
// old layout back (it had no memory for the copy) and a part is left.
int Lay_LastLoadKeptLayout(void);
// Empties every module of the layout (a load begins, a new layout).
void Lay_ClearLayout(void);
// The text listing ("dat") of the parts that the export options select,
// written into fileName (a full path). 0 written; 3 the file could not be
// created; a part's stream code; close code + 3 when closing fails.
int Lay_ExportText(const wch* fileName);
// The text of the info point at the cell and a line end, for the parts of
// the listing that show it; nothing when the cell has none. 0, a write's
// code, 4 no memory.
int Lay_WriteCellInfo(i32 x, i32 y, i32 level);
// The layout summary, the first part of the listing; 0 or the first stream
// code.
int Lay_WriteReport(void);
// The export options: the selection word and the column separator.
struct LayExportOptions {
  u16 selection;
  wch separator;
};
void Lay_SetExportOptions(const LayExportOptions* options);
void Lay_GetExportOptions(LayExportOptions* options);

// Shows the message of a load result (none for 0 and for codes that have
// none).
void Lay_ReportLoadResult(int result);

// The "MA" section: u16 "MA", u16 0.
int Lay_WriteMa(void);
int Lay_ReadMa(u16 version);

// 1 when the path does not name an existing file or folder, else 0.
int Lay_PathMissing(const wch* path);

// ---------------------------------------------------------------- hooks
// Start-up installs them (shell/wire). Without hooks every call does
// nothing, the modified query answers 0, and section "ZG" is neither
// written nor read (a layout that only the model knows of).
struct LayHooks {
  // The shell's LayoutModifiedFlag: set by every edit, cleared by a load
  // and a successful save, read and put back by a refused load.
  void (*setModified)(void);
  void (*clearModified)(void);
  int (*isModified)(void);
  // A long operation begins (1) or ends (0): the wait cursor.
  void (*busy)(int begin);
  // A load found trains flagged: the simulation stops.
  void (*stopSimulation)(void);
  // A load begins: the old layout's position marks are forgotten.
  void (*clearMarks)(void);
  // Section "ZG": the background picture and the layout's vehicle sets
  // (render/bgp); the reader's and writer's results as a section's.
  int (*readBackgroundSection)(u16 version);
  int (*writeBackgroundSection)(void);
  // What section "ZG" stands for in memory (the cached vehicle sets, the
  // background picture): a load sets it aside before it reads; a refused
  // load puts it back over what the reading left, an accepted one drops it;
  // DROP_ALL frees it and what is in use.
  void (*keepGraphics)(int step);
  // After the sections: the background picture and the layout's vehicle
  // sets are loaded (0, 3 no memory, another value a warning); then, once
  // the trains are in, the vehicle sets of the zoom levels the zoom set
  // offers.
  int (*loadLayoutGraphics)(u16 version);
  void (*loadZoomVehicleSets)(void);
};
enum { LAY_GRAPHICS_SET_ASIDE = 0, LAY_GRAPHICS_PUT_BACK = 1, LAY_GRAPHICS_DROP = 2, LAY_GRAPHICS_DROP_ALL = 3 };
// Copies the hooks; null or a null member: that call does nothing.
void Lay_SetHooks(const LayHooks* hooks);
// Every set, create and delete of a layout module: the layout is modified.
void Lay_MarkModified(void);
// The wait cursor around a long operation: 1 begins, 0 ends (nested).
void Lay_Busy(int begin);

// Add-on files of a layout: the graphics files a layout uses beside the
// program's own (user element and vehicle graphics, vehicle sets, single
// picture files, multi-cell symbol definitions, the background picture),
// stored in the section "ADDF" at the end of the layout file when the
// layout asks for it, written back beside the layout on load, and the
// reload of the user graphics after a load.
//
// Owns the section and its records, the reload of the user graphic slots
// and the warnings of both. What the files are and how a slot is loaded
// belong to the graphics store and the shell; they answer through
// LayAddOnHooks.
//
// Promises: a name read from a file never leaves the layouts folder (no
// "..", no drive, no root, no device name: refused as malformed, nothing
// written); a record's head is written only when its file is open for
// reading, so its bytes follow; a record whose file cannot be written still
// has its bytes consumed, so the next record is read in step.
#pragma once
#include "platform/types.h"

// The kinds of the candidates the hooks list.
enum {
  LAY_ADDON_OWN = 0,        // a slot's own file, its (uzz), the background picture: reported when missing
  LAY_ADDON_COMPANION = 1,  // a companion: skipped when missing, reported on any other failure
  LAY_ADDON_IGNORED = 2     // tried; whatever happens is ignored
};
// The slot kinds of the reload.
enum { LAY_SLOTS_ELEMENTS = 1, LAY_SLOTS_VEHICLES = 2, LAY_SLOTS_SETS = 3 };

struct LayAddOnHooks {
  // The layout option to embed add-on files (general section flag bit 7).
  int (*embedAddOns)(void);
  // The settings' add-on load mode: 1 always write, 2 only missing files.
  int (*loadMode)(void);
  // Calls each for every candidate name (relative to the layouts folder) in
  // the order of storing; each returns non-zero to stop the listing.
  void (*listCandidates)(int (*each)(const wch* name, int kind, void* ctx), void* ctx);
  // A slot's file name (room for OS_MAX_PATH) and its setting.
  void (*getSlotName)(int kind, int slot, wch* name);
  void (*setSlotName)(int kind, int slot, const wch* name);
  // Loads a slot: 0 ok, 3 missing, 5 abort (no memory), 6 bad file.
  int (*loadSlot)(int kind, int slot);
  // The graphics warning (with the button that suppresses further ones):
  // 1 when the user asked for no more warnings.
  int (*graphicsWarning)(u32 number, const wch* text);
};
void Lay_SetAddOnHooks(const LayAddOnHooks* hooks);
// The layout's option to embed its add-on files (0 without the hook).
int Lay_AddOnsEmbedded(void);

// 1 when a name from a file may be used in the layouts folder: not empty,
// below 260 units, relative, without "..", a drive, or a device name.
int Lay_AddOnNameSafe(const wch* name);

// The section: 0; 1 or 2 a write failed; 3 an add-on file failed while its
// bytes were read; 4 done, but some file could not be stored (its name in
// failedName, room for OS_MAX_PATH).
int Lay_WriteAddOns(const wch* folderPath, wch* failedName);
// One record: 0; 3 no name, or folder + name too long, or a name that is
// not relative; 4 missing; 6 present but empty, without a time or not
// readable; 5 a read error while copying; a write's stream code.
int Lay_WriteAddOnFile(const wch* folderPath, const wch* name);
// Reads the section (nothing with the option off): 0; 1..3 the stream or a
// malformed section (bad tag, second word, name too long or unsafe).
int Lay_ReadAddOns(void);
// One record's time and bytes after its name: 0; 2 the bytes cannot be
// read; 4 the file cannot be created; 5, 6 writing or closing failed; 7 the
// time could not be set.
int Lay_ReadAddOnFile(const wch* name, u32 size);
// Files before 13573: companion files of the layout name become slot 0 of
// the element graphics and the vehicle sets; then the user graphics are
// reloaded. 0, or 1 when the reload was aborted.
int Lay_ReloadCompanions(const wch* name, u16 version);
// kind LAY_SLOTS_ELEMENTS (the 110 element slots) or LAY_SLOTS_VEHICLES
// (the 60 vehicle slots); ask: warn about missing files. 0 done, 1 aborted
// or a bad kind.
int Lay_ReloadUserGraphics(int kind, int ask);
// The flag of the warnings' suppress button, 1 at program start.
extern int ShowGraphicsWarnings;

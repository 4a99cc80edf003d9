// General section "GENL": the first section of the layout file, with the
// state that belongs to the layout as a whole - the active view's position,
// the 200 position marks, the home position, the marked box, the last line
// end, the simulated clock and its alarm, the layout flags and random seed,
// the scale and display values, the daylight times, the user graphics file
// names and the three information texts.
//
// Owns only the section's form and the layout flags that have no other home
// yet (protection code, background picture, variant shading, embedded add-on
// files); every other value is gathered from and scattered to its owner:
// operation/clock, Rnd_, Tim_ and Lng_ directly, the owners above the model
// (the active view, position marks, home, marked box, last line end, user
// file names, daylight settings) through the hooks start-up installs.
//
// Promises: every count, length and value from the file is checked before it
// is used; a scale of 0 in a file leaves a usable scale (the default).
#pragma once
#include "platform/tim.h"
#include "platform/types.h"

// Layout flags of the section.
enum : u32 {
  GENL_FLAG_BOX_SHOWN = 1,
  GENL_FLAG_DAYLIGHT = 2,
  GENL_FLAG_PROTECTED = 4,
  GENL_FLAG_WEEKDAY_FROZEN = 8,
  GENL_FLAG_BACKGROUND = 16,
  GENL_FLAG_SEED = 32,
  GENL_FLAG_DAYLIGHT_VARIANT = 64,
  GENL_FLAG_ADDONS_EMBEDDED = 128
};
// The flags this module keeps for their future owners.
enum : u32 {
  GENL_KEPT_FLAGS = GENL_FLAG_PROTECTED | GENL_FLAG_BACKGROUND | GENL_FLAG_DAYLIGHT_VARIANT | GENL_FLAG_ADDONS_EMBEDDED
};
u32 Genl_GetKeptFlags(void);
void Genl_SetKeptFlags(u32 flags);

// 0 or the first stream code.
int Genl_SaveSection(void);
// 0; 2 a text shorter than its stored length; 3 malformed (bad tag, a count
// out of range, a bad display flag byte, a negative repeat count, a name too
// long, a clock value out of range); else the stream's code. Values read
// before a failure stay in place.
int Genl_LoadSection(u16 version);

// ---------------------------------------------------------------- hooks
// The section's counts, which are also the sizes of the owners' tables.
enum {
  GENL_MARKS = 200,
  GENL_MARK_NAME_MAX = 64,  // units of a mark's name without the zero
  GENL_ELEMENT_NAMES = 110,
  GENL_VEHICLE_NAMES = 60,
  GENL_SET_NAMES = 100,
  GENL_NAME_MAX = 259  // units of a user file name without the zero
};
// The active layout view (slot 0 when none is active).
struct GenlView {
  i32 originX, originY;  // the cell at the top left
  i32 cursorX, cursorY, level;
  i32 cellsX, cellsY;    // visible cells (read only)
};
// Start-up installs these hooks (shell/wire); the getters and setters of
// marks, home, box, line end and names take the forms of their owners'
// (shell/marks, shell/bld, shell/userfiles). Without hooks (or for a null
// member) a getter answers zeros and empty names and a setter does nothing.
struct GenlHooks {
  void (*getView)(GenlView* view);
  void (*setView)(const GenlView* view);  // origin, cursor and level
  int (*getMark)(int index, i32* x, i32* y, PackedWeekTime* alarm, wch* name, i32* level);
  int (*setMark)(int index, i32 x, i32 y, PackedWeekTime alarm, const wch* name, i32 level);
  void (*getHome)(i32* x, i32* y, i32* level);
  void (*setHome)(i32 x, i32 y, i32 level);
  void (*getBox)(i32* x1, i32* y1, i32* level1, i32* level2, i32* y2, i32* x2);
  int (*setBox)(i32 x1, i32 y1, i32 level1, i32 level2, i32 y2, i32 x2);
  int (*getBoxShown)(void);
  void (*setBoxShown)(int shown);
  void (*getLineEnd)(i32* x, i32* y);
  void (*setLineEnd)(i32 x, i32 y);
  // Element graphics slots 1..110, vehicle graphics slots 1..60, vehicle
  // set slots 0..99; buffers of GENL_NAME_MAX + 1 units.
  void (*clearNames)(void);
  void (*getElementName)(int slot, wch* buf);
  int (*setElementName)(int slot, const wch* name);
  void (*getVehicleName)(int slot, wch* buf);
  int (*setVehicleName)(int slot, const wch* name);
  void (*getSetName)(int slot, wch* buf);
  int (*setSetName)(int slot, const wch* name);
  // The daylight switch and the times T0..T3 (hour << 8 | minute).
  void (*getDaylight)(int* enabled, u16 times[4]);
  void (*setDaylight)(int enabled, const u16 times[4]);
};
// Copies the hooks; null clears them.
void Genl_SetHooks(const GenlHooks* hooks);

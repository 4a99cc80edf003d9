// General section "GENL": the first section of the layout file, with the
// state that belongs to the layout as a whole - the active view's position,
// the 200 position marks, the home position, the marked box, the last line
// end, the simulated clock and its alarm, the layout flags and random seed,
// the scale and display values, the daylight times, the user graphics file
// names and the three information texts.
//
// Owns only the section's form and the layout flags that have no other home
// yet (protection code, background picture, variant shading, embedded add-on
// files); every other value is gathered from and scattered to its owner
// (shell/views, shell/marks, shell/bld, shell/userfiles, operation/clock,
// render/daylight, Rnd_, Tim_, Lng_).
//
// Promises: every count, length and value from the file is checked before it
// is used; a scale of 0 in a file leaves a usable scale (the default).
#pragma once
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

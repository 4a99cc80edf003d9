// The after-load level pass: layout files before 0x383C drew a track that
// dips below the ground as two ramp pieces on level 0 with the track
// between them still on level 0. For each such ramp this builds the lower
// part - the descent, the lowered track on the first free level, the
// ascent - in the levels below. Places it cannot convert are counted and
// their positions put on the clipboard as "x,y,level" lines.
//
// Owns nothing; writes the grid. Main thread only.
#pragma once
#include "platform/types.h"

// -1 when a cell could not be written (no memory for a block); else the
// number of places not converted (0 all done, also for an empty grid).
i32 Lay_ConvertLevels(void);

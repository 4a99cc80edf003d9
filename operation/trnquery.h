// Train cell queries: what lies under the trains standing on the grid.
//
// Cells a train occupies hold its TrainMarkerCode (0xBF00..0xBFFF); the code
// the cell had before is kept by the train and answered here.
#pragma once
#include "platform/types.h"

// The code kept under the train whose marker stands at the cell; 0xC000 when
// no train is found there.
u16 Trn_GetCellGraphic(i32 x, i32 y, i32 level, u16 code);

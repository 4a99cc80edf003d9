// Train cell queries: which train stands in a cell and what lies under it.
//
// Cells a train occupies hold its TrainMarkerCode (0xBF00..0xBFFF) in their
// grid words; the code the cell had before is kept in the train's slot for
// that cell and answered here. The queries read the train records and never
// change the lists; only Trn_SetCellGraphic changes a saved code.
#pragma once
#include "platform/types.h"

struct TrainRec;

// The on-track train with a slot at x, y, level that holds a saved code, and
// that slot's index (slot may be null). The bucket of code is searched first,
// then, when that finds nothing or code is 0xC000, every train. Trains off
// the track, waiting in a depot place, or with their head 201 or more cells
// away in x or y are skipped. Null when none.
TrainRec* Trn_FindAtCell(i32 x, i32 y, i32 level, u32* slot, u16 code);

// The code kept under the train at the cell; 0xC000 when no train is found.
u16 Trn_GetCellGraphic(i32 x, i32 y, i32 level, u16 code);
// Replaces the code kept under the train at the cell (marker: the cell's
// code) and redraws the cell (all views) and the two cells above it
// (picture views). 0 done, 1 no train there.
int Trn_SetCellGraphic(i32 x, i32 y, i32 level, u16 newCode, u16 marker);
// State flags, number and line of the train at the cell (each out may be
// null); 0, or 1 when no train is there.
int Trn_InfoAtCell(i32 x, i32 y, i32 level, u32* flags, i32* number, u32* line, u16 marker);
// 1 when the followed train is on the track and one of its slots with a
// saved code is that cell.
int Trn_IsFollowedAtCell(i32 x, i32 y, i32 level);
// Where a cell of an enlarged region goes: a cell outside every train maps
// to ((x - originX) x numX / denX + originX, (y - originY) x numY / denY +
// originY); a cell of a train keeps its distance to the train's greatest x
// and y, which are mapped so. 1 when a train was found there, else 0.
int Trn_ScaleRegionPos(i32 originX, i32 originY, i32 x, i32* newY, i32* newX, i32 denY, i32 numY, i32 denX,
                       i32 numX, i32 level, i32 y);


// ---------------------------------------------------------------- compositor queries
enum { TRN_CELL_PARTS = 8 };
// Flag bits of a vehicle part in a cell: 1/2 lengthwise, 4/8 crosswise,
// 16/32 diagonal falling, 64/128 diagonal rising, 0x8000 turned.
struct TrnCellPart {
  u32 vehicle;  // VehicleId
  u16 flags;
  i32 first, last;  // pixels of the vehicle's length drawn in this cell
  i32 start;        // column (crosswise) or row offset (lengthwise) in the cell
  u32 length;       // the vehicle's length from the train's entry, >= 8
};
struct TrnCellImage {
  u16 saved;        // the code under the train, 0xC000 none
  int count;        // parts, 0..TRN_CELL_PARTS
  i32 seed;         // exhaust particles: from the train and its place, 0..0x7FFFFFFF
  int smoke;        // exhaust drawn: the train is not paused
  int alternate;    // alternate side pictures: the train stands (0x4, 0x8,
                    // 0x10000) and its first part here faces the way it
                    // leaves (flags 8, 16, 128; with 0x40000, reversing
                    // after the stop, 4, 32, 64)
  TrnCellPart parts[TRN_CELL_PARTS];
};
// The vehicle parts of the train at the cell; returns the saved code
// (0xC000 and no parts when no train is there).
u16 Trn_CellVehicleImage(i32 x, i32 y, i32 level, TrnCellImage* out, u16 code);
// Label of the train whose head is in the cell: 1 and the text (room for
// 34), offsets and colours; 0 none.
int Trn_LabelAtCell(i32 x, i32 y, i32 level, wch* text, i32* offX, i32* offY, u16 code);

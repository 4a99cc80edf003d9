// How track continues through a cell: the shape map (cell shape -> shape
// index) and the track connection table (direction of entry x shape index ->
// direction index on leaving and element class). Train movement looks every
// entered cell up here. The table is generated (tools/mktracktab.py).
#pragma once
#include "platform/types.h"

enum { TRACK_SHAPE_INDEXES = 260 };

// Direction indexes: 0 no way on, 1 keep the direction, 2 (0,-1), 3 (0,+1),
// 4 (-1,0), 5 (+1,0), 6 (+1,+1), 7 (-1,-1), 8 (-1,+1), 9 (+1,-1).
enum {
  DIRIDX_NONE = 0,
  DIRIDX_KEEP = 1,
  DIRIDX_N = 2,
  DIRIDX_S = 3,
  DIRIDX_W = 4,
  DIRIDX_E = 5,
  DIRIDX_SE = 6,
  DIRIDX_NW = 7,
  DIRIDX_SW = 8,
  DIRIDX_NE = 9
};

extern const u16 kTrackConnection[8][TRACK_SHAPE_INDEXES];
extern const u8 kTrackConnectionEntries[TRACK_SHAPE_INDEXES];

// Shape index 0..259 of a cell code; only its shape counts.
int Trk_ShapeIndex(u32 shape);
// Direction index 2..9 of a unit step (dx, dy), 0 for none.
int Trk_DirIndex(int dx, int dy);
// The step of a direction index 2..9 (0, 0 for others).
void Trk_DirStep(int dirIndex, int* dx, int* dy);
// Lookup for a train entering a cell of the given code while travelling
// (dx, dy): low byte the leaving direction index, high byte the element class.
u16 Trk_Connection(u32 code, int dx, int dy);

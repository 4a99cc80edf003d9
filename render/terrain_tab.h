// Ground pattern tables: which strip patterns make up the ground row of a
// cell shape, which mask pieces of "orba.gzg" make up each pattern, and
// which edge rows a neighbour's ground pushes over the cell border. Program
// constants that belong with the base picture file the generator writes.
#pragma once

enum { TERRAIN_ROWS = 143, TERRAIN_PATTERNS = 32 };
extern const unsigned char kTerrainShapeRows[TERRAIN_ROWS][4];     // 255 ends a row
extern const unsigned char kTerrainStripPieces[TERRAIN_PATTERNS][4];
extern const signed char kTerrainEdgeRowBelow[512];  // by shape of the cell below; -1 none
extern const signed char kTerrainEdgeRowAbove[512];  // by shape of the cell above; -1 none

// Track geometry of the picture generator: which connectors each track shape
// joins, the paths drawn between them, and the ground masks of the base
// picture file with the pattern tables the cell compositor draws them by.
//
// Owns: the track connection table (the same table the train movement
// follows), the shape-to-row mapping of the ground patterns, the 28 path
// patterns, their 8-pixel strip pieces and the tables that name them.
//
// Promises: every track shape's paths end exactly at the connectors the
// connection table gives for it; a strip piece number stays below 88 (the
// glyphs of the symbol font follow from 88 on); the same build gives the
// same masks and tables every run.
#pragma once
#include <string>

#include "platform/types.h"

// Connectors of a cell, numbered like the bits of a connector mask: 0 up,
// 1 down, 2 left, 3 right, 4 down-right, 5 up-left, 6 down-left, 7 up-right.
enum { ATK_UP, ATK_DOWN, ATK_LEFT, ATK_RIGHT, ATK_DOWNRIGHT, ATK_UPLEFT, ATK_DOWNLEFT, ATK_UPRIGHT };
enum { ATK_CENTRE = 8 };  // the far end of a stub (buffer stops, ramp feet)

// The connector's point in ground units: x 0..32 to the right, v 0..32
// away from the viewer (the screen shows v / 2 as height in the cell).
void Atk_ConnectorPoint(int connector, float* x, float* v);

// Connection table index of a shape (code & 0x1FF), 0..259.
int Atk_ConnectionIndex(int shape);
// One entry: a train travelling in direction index d (2..9) that enters the
// cell leaves in direction result (1 unchanged, 0 none) with element class.
// 0 when the row lists d, 1 when it does not.
int Atk_Connection(int index, int d, int* result, int* elementClass);
// Connector a train travelling in direction index d (2..9) leaves by.
int Atk_DirectionConnector(int d);

// A path: two connectors, or a connector and ATK_CENTRE.
struct AtkPath {
  u8 a, b;
};
enum { ATK_MAX_PATHS = 4 };
// Paths of a track shape: from the connection table (and the slip curves
// of the slip crossings, which the controller switches). 0..4.
int Atk_ShapePaths(int shape, AtkPath* out);

// The centre line of a path in ground units (x, v pairs), from connector a
// to connector b (or ATK_CENTRE); the number of points written, at most max.
int Atk_PathLine(int a, int b, float* xv, int max);

// ---------------------------------------------------------------- ground masks
// Mask values of a ground piece pixel (the numbers of the base file's
// 8-bit pictures).
// The rails carry bit 7, the one bit every class draws in its ground
// colour, so that track shows on every ground; the sleepers bit 2 (the
// sleeper colours of the ballast classes); the bed, between and beside the
// rails, bits 1 and 6 (stones, and the lane of roads and waterways).
enum : u8 {
  ATK_MASK_NONE = 0,
  ATK_MASK_RAIL = 144,     // bits 7 and 4: ground colour (olive on class 14)
  ATK_MASK_SLEEPER = 36,   // bit 2
  ATK_MASK_BALLAST = 98,   // bits 1 and 6
  ATK_MASK_CORE = 34,      // bit 1 only: stones without a lane; no pattern uses it
  ATK_MASK_GLYPH = 36      // symbol font pixels (bit 2)
};
enum { ATK_PATTERN_ROWS = 143, ATK_STRIP_PATTERNS = 32, ATK_PIECES_MAX = 88 };

// Ground row (0..142) of a cell code, the compositor's fixed mapping of the
// shape (the variant bit and class do not matter).
int Atk_GroundRow(int code);
// Edge rows: the ground of the cell below (or above) that reaches over the
// border into this cell; -1 for none.
int Atk_EdgeRowFromBelow(int codeBelow);
int Atk_EdgeRowFromAbove(int codeAbove);

struct AtkGround {
  u8 shapeTable[ATK_PATTERN_ROWS][4];    // pattern numbers, 255 ends a row
  u8 stripTable[ATK_STRIP_PATTERNS][4];  // piece per 8-pixel strip
  int pieceCount;                        // pieces used, 1..88
  u8 piece1[ATK_PIECES_MAX][16][8];      // zoom 1: 8 x 16 mask, top row first
  u8 piece2[ATK_PIECES_MAX][32][16];     // zoom 2: 16 x 32 mask
};
// Builds the patterns, cuts them into pieces and fills the tables.
// 0, or 1 when the pieces do not fit (a fault of the art, not of input).
int Atk_BuildGround(AtkGround* g);
// The tables as C++ source text (constant arrays named kTerrainShapeRows,
// kTerrainStripPieces, kTerrainEdgeRowBelow and kTerrainEdgeRowAbove), for
// the cell compositor to take over as its program constants.
void Atk_TablesSource(const AtkGround* g, std::string* out);
// A whole pattern as the compositor would draw it, zoom 1 (32 x 16) or
// 2 (64 x 32), top row first: for tests and the contact sheet.
void Atk_RenderPattern(int pattern, int zoom, u8* out);
// The mask of a whole ground row (all its patterns over each other in the
// compositor's order: the bed, then the sleepers, then the rails).
void Atk_RenderRow(const AtkGround* g, int row, int zoom, u8* out);

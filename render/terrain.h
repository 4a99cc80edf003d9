// Terrain: the ground of a cell - the class of a code, the terrain masks of
// "orba.gzg", the mask-piece blitters with their colour sequences, the
// ground patterns of each class and the edges of the ground of the cells
// above and below that reach over the cell border.
//
// Owns the terrain masks (zoom 1 as read, zoom 2 assembled from the base
// pictures) and the colour tables of the patterned grounds.
//
// Promises: every write stays inside the composition buffer; the same cell
// gives the same ground on every redraw (the random colours are seeded from
// the cell); the no-colour marker is never written as a pixel. Main thread
// only.
#pragma once
#include "platform/types.h"

// Terrain class 0..14 of a code; *variant the second-ground bit (classes 1-4,
// 9-14), *row the pattern row, *plain the plain-row mark (0..2, -1 none).
int Spr_TerrainClass(u32 code, int* variant, int* row, int* plain);
// Loads the terrain masks from the base picture file ("orba.gzg" in the
// program folder). 0 ok, else the reader's code (the ground is then drawn in
// plain colours).
int Spr_LoadTerrainMasks(void);
void Spr_FreeTerrainMasks(void);

// Terrain piece blitters. kind: SPR_TP_*; mask from "orba.gzg".
enum {
  SPR_TP_SOLID,    // bit 7, colour
  SPR_TP_OLIVE,    // bit 4, textured olive
  SPR_TP_PLAIN,    // bits 2-3, colour
  SPR_TP_PAL84,    // bit 2, palette 84
  SPR_TP_STONES,   // bit 1, palette 110 + rnd(15)
  SPR_TP_SEQ26,    // bits 1-3, 26-colour sequence
  SPR_TP_TAB36,    // bits 1-3 (class 14), 36-colour table
  SPR_TP_CODES45,  // bits 1 and 3, 45 colour codes
  SPR_TP_TWO,      // bits 0-3 and 7, a calm texture of tones between colours a and b
  SPR_TP_SECOND    // bit 6, colour
};
// Mask piece n (0..119; 88..119 are also the grid text glyphs) as 8 x 16
// bytes (zoom 1) or 16 x 32 (zoom 2), top row first; null without masks. The track pieces are 0..87: their rails
// carry bit 7 (with bit 4), the sleepers bit 2, the bed bits 1 and 6.
const u8* Spr_TerrainMask(int piece, int zoom);
void Spr_BlitTerrainPiece(int kind, int piece, int strip, u32 colourA, u32 colourB, i32 seed, int zoom);
// Tone 0..2 (between, nearer a, nearer b) of the two-colour texture at
// texture pixel (x, y) of the layout: zoom-1 pixels at zoom 1, zoom-2
// pixels at zoom 2 and 4.
int Spr_TextureTone(i32 x, i32 y);
// The colour tables of the sequence blitters (values in bitmap order).
u32 Spr_Seq26Colour(int i);
u32 Spr_Tab36Colour(int i);

// Terrain of a code below 16384; the ground colour or SPR_NO_COLOUR.
u32 Spr_ComposeTerrain(u32 code, int zoom, i32 level, i32 y, i32 x, int symbolsHidden);
// The edge of the neighbour's ground reaching over the border (below: the
// cell y + 1, else y - 1); fill draws its core in colour (no-colour: the
// neighbour's own ground colour).
void Spr_TerrainEdgeAbove(int zoom, i32 level, i32 y, i32 x, int fill, u32 colour);
void Spr_TerrainEdgeBelow(int zoom, i32 level, i32 y, i32 x, int fill, u32 colour);
// The ground of the cells below and above reaching over the borders, with
// layer 1 of the cell below and layer 3 of the cell above: the start of a
// cell without ground of its own.
void Spr_ComposeNeighbourEdges(int zoom, i32 level, i32 y, i32 x, int symbolsHidden);

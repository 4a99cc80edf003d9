// Zoom blitters and picture placement: puts element pictures, terrain mask
// pieces and train vehicles into the composition buffers of the cell
// compositor (render/compose.h), each at zoom 1, 2 or 4, with the smaller
// zoom drawn and doubled when a picture of the larger zoom is missing.
//
// Owns the choice of the picture and box per zoom, the placement window
// test, the clipping of every blit to its buffer, and the vehicle
// placements (crosswise, lengthwise, diagonal, reaching up, placeholders).
//
// Promises: no write outside the composition buffers, whatever the boxes,
// offsets or vehicle ranges. Main thread only.
#pragma once
#include "operation/trnquery.h"
#include "platform/types.h"
#include "render/gfx.h"

// The block a placement uses at a zoom: *drawZoom the zoom of that block
// (1, 2 or 4; smaller than zoom means drawn and doubled). Null when the
// placement has no zoom-1 picture (the end of the placement list).
const GfxBlock* Spr_ChooseBlock(const GfxSubPicture* sp, int picture, int zoom, int* drawZoom);
// 1 when a box (at zoom z, bottom-left x, y) meets the composition window
// of a cell frame offset dx, dy (zoom-1 pixels).
int Spr_BoxMeetsWindow(int bx, int by, int bw, int bh, int zoom, int dx, int dy);
// Copies a picture block into the buffer of its zoom with the window at
// (wx, wy) in the picture's cell frame (pixels of that zoom).
void Spr_BlitBlock(int zoom, int wx, int wy, const GfxBlock* b);
// Draws a block at `zoom` through drawZoom (doubling as needed).
void Spr_PlaceBlock(int zoom, int drawZoom, int dx, int dy, const GfxBlock* b);

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
  SPR_TP_TWO,      // bits 0-3 and 7, colours a / b by parity
  SPR_TP_SECOND    // bit 6, colour
};
// Mask piece n (0..87) as 8 x 16 bytes (zoom 1) or 16 x 32 (zoom 2), top
// row first; null without masks.
const u8* Spr_TerrainMask(int piece, int zoom);
void Spr_BlitTerrainPiece(int kind, int piece, int strip, u32 colourA, u32 colourB, i32 seed, int zoom);
// The colour tables of the sequence blitters (values in bitmap order).
u32 Spr_Seq26Colour(int i);
u32 Spr_Tab36Colour(int i);

// Vehicles of a cell: reachingUp draws the parts of the cell below that
// stand out into this cell. emptyGround: the saved code is the empty cell.
void Spr_DrawVehiclePart(const TrnCellPart* p, int zoom, int reachingUp, int emptyGround, int alternate);
// The train's parts in list order as the compositor draws them (own cell).
void Spr_DrawTrainParts(const TrnCellImage* img, int zoom);
// The parts of the cell below reaching up into this cell.
void Spr_DrawTrainPartsFromBelow(const TrnCellImage* img, int zoom);
// The length a vehicle is drawn with: the record's, else the part's own
// (the train's entry), at least 8.
u32 Spr_VehicleLength(const TrnCellPart* p);

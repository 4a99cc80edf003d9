// Zoom blitters and picture placement: puts element pictures and train
// vehicles into the composition buffers of the cell compositor
// (render/compose.h), each at zoom 1, 2 or 4, with the smaller zoom drawn
// and doubled when a picture of the larger zoom is missing.
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

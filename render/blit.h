// Zoom blitters and picture placement: puts element pictures and train
// vehicles into the composition buffers of the cell compositor
// (render/compose.h), each at zoom 1, 2 or 4, with the smaller zoom drawn
// and doubled when a picture of the larger zoom is missing.
//
// Owns the choice of the picture and box per zoom, the placement window
// test, the clipping of every blit to its buffer, and the vehicle
// placements (crosswise, lengthwise, diagonal, reaching up, placeholders),
// the choice among a vehicle's normal, alternate, turned and long pictures,
// and the exhaust of vehicles.
//
// Promises: no write outside the composition buffers, whatever the boxes,
// offsets or vehicle ranges. Main thread only.
#pragma once
#include "operation/trnquery.h"
#include "platform/types.h"
#include "render/gfx.h"
#include "render/vehicles.h"

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
// The same for each zoom's buffer: one placed picture whose window starts at
// (wx, wy) of the picture's cell space.
void Spr_BlitPieceZoom1(int wx, int wy, const GfxBlock* b);
void Spr_BlitPieceZoom2(int wx, int wy, const GfxBlock* b);
void Spr_BlitPieceZoom4(int wx, int wy, const GfxBlock* b);
// Draws a block at `zoom` through drawZoom (doubling as needed).
void Spr_PlaceBlock(int zoom, int drawZoom, int dx, int dy, const GfxBlock* b);

// Vehicles of a cell: reachingUp draws the parts of the cell below that
// stand out into this cell. emptyGround: the saved code is the empty cell
// (crosswise vehicles stand lower and show no alternate pictures).
// alternate: the alternate side pictures where the vehicle has them.
void Spr_DrawVehiclePart(const TrnCellPart* p, int zoom, int reachingUp, int emptyGround, int alternate);
// The train's parts as the compositor draws them in the train's own cell,
// followed by their exhaust when the image's smoke flag is set.
void Spr_DrawTrainParts(const TrnCellImage* img, int zoom);
// The parts of the cell below reaching up into this cell, then their exhaust.
void Spr_DrawTrainPartsFromBelow(const TrnCellImage* img, int zoom);
// The length a vehicle is drawn with: the record's, else the part's own
// (the train's entry), at least 8.
u32 Spr_VehicleLength(const TrnCellPart* p);

// The section (VehSection) of a picture block that shows a crosswise part:
// the side the flags name, its alternate when asked for and present.
int Spr_CrosswiseSection(const VehiclePicture* pic, int flags, int alternate);
// The two sections a lengthwise part is drawn from: the top view of the
// picture direction (front half: rows below L/2) and what shows below it
// (rear half: the end view, the end view of a turned vehicle with own
// pictures, or the long top view's second picture).
void Spr_LengthwiseSections(const VehicleRecord* rec, const VehiclePicture* pic, int flags, int* front, int* rear);
// The crosswise picture of a part: the side view (L x A at *pictureZoom,
// rows top first) from the picture of `zoom` or the next smaller one that
// the store holds. *start becomes the first column of the part (mirrored
// when flag 8, 16 or 128 says), *first and *last the range along the vehicle
// clipped to its length. Null when nothing is drawn: no record, an empty
// range or a missing picture.
const u32* Spr_VehiclePicture(u32 vehicle, int flags, int* start, int alternate, int zoom,
                              const VehiclePicture** pic, int* pictureZoom, int* last, int* first);

// Exhaust of a crosswise or diagonal part (first..last along the vehicle,
// starting at column `start`), seeded from the train's seed so that the same
// cell redraws the same particles; reachingUp: drawn into the cell above.
void Spr_DrawVehicleSmoke(u32 vehicle, int flags, int first, i32 seed, int zoom, int reachingUp, int start, int last);
// The same for a lengthwise part: the particles rise above the chimney's
// place in the top view.
void Spr_DrawVehicleSmokeLengthwise(u32 vehicle, int flags, int first, i32 seed, int zoom, int reachingUp, int start,
                                    int last);

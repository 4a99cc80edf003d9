// Previews: cell pictures and vehicles drawn outside the layout views - in
// dialogs, lists, symbol strings and the status strip. Each preview is
// composed in the compositor's buffers (render/compose.h) from the codes
// it is given, never from the layout, and put into a u32 pixel buffer
// (SchBuf of render/schem.h, row 0 on top; the Windows program copies that
// buffer to a device context).
//
// Draw targets 6, 7, 8, 9 are previews at scale 1, 2, 4 and 8: a cell is
// 32 s x 16 s pixels; scale 8 is the zoom-4 composition enlarged twice, and
// any scale above the loaded zoom set is the largest loaded zoom enlarged.
//
// Promises: the layout, the trains and the views are only read, never drawn
// into; every write is clipped to the SchBuf; the background picture is
// never shown in a preview and the display options a preview forces are
// back to their former values when it returns. Main thread only.
#pragma once
#include "operation/trn.h"
#include "platform/types.h"
#include "render/schem.h"
#include "render/vehicles.h"

enum { MAP_TARGET_PREVIEW1 = 6, MAP_TARGET_PREVIEW2 = 7, MAP_TARGET_PREVIEW4 = 8, MAP_TARGET_PREVIEW8 = 9 };
// Vehicle strip flags.
enum { MAP_VEH_REAR_END = 1, MAP_VEH_FRONT_END = 2, MAP_VEH_RIGHT = 4, MAP_VEH_LEFT = 8, MAP_VEH_TURNED = 0x8000 };

// The height of a picture in rows of 16 pixels, times 16 (16 .. 112);
// negative, -16 - h, when the picture also reaches into the row below its
// own cell (it overhangs downward and takes one row more there).
i32 Map_PieceImageHeight(u32 code, i32 variant);

// A cell picture at scale s = 1 << scaleIndex (targets 6..9): its own cell
// with the top-left corner at (x, y), the rows its height needs above it
// and, for an overhang, one row below; with neighbours the columns left and
// right of it too (the picture's own column then at x + 32 s). A scale
// index outside 0..3 draws nothing.
void Map_DrawPieceImage(SchBuf* dc, i32 x, i32 y, int withNeighbours, int scaleIndex, i32 variant, u32 code);

// One cell (32 s x 16 s pixels at (x, y)) of a picture at the scale of the
// target 6..9: the ground and layers of the code as the compositor draws
// its own cell. variant: the picture variant of a symbol code (0 the
// first; element codes show the picture of their state). 0xC001/0xC002
// and codes above 65535 show the empty cell; codes below 0x8000 lose
// bit 14. Any other target draws nothing.
void Map_DrawCellPreview(SchBuf* dc, i32 x, i32 y, int target, u32 code, i32 variant, i32 state);
// The same for another row of the picture: the window rowOffset zoom-1
// pixels above the picture's own cell (16 k: k rows above, -16 the row
// below); rowOffset 0 is Map_DrawCellPreview.
void Map_DrawCellPreviewRow(SchBuf* dc, i32 x, i32 y, int target, u32 code, i32 variant, i32 state, int rowOffset);
// A neighbour column beside a preview: the cell left (colOffset -32) or
// right (+32) of the picture's cell, rowOffset as above; the picture's
// layers over the empty cell, without the picture's own ground.
void Map_DrawNeighbourPreview(SchBuf* dc, i32 x, i32 y, int target, u32 code, i32 variant, i32 state, int rowOffset,
                              int colOffset);

// One 32-pixel piece (32 s x 16 s at scale 1 or 2) of a vehicle strip: the
// pixels first..last of the vehicle's length crosswise from column start,
// over the empty cell; flags 4 (facing right) or 8 (left, mirrored) with
// 0x8000 turned. An empty range draws only the empty cell.
void Map_DrawVehiclePiece(SchBuf* dc, i32 x, i32 y, int scale, VehicleId vehicle, u32 flags, i32 first, i32 last,
                          i32 start);
// A vehicle as a strip of (length + 31) / 32 pieces at scale 1 or 2:
// facing right (flag 4) from x stepping +32 s, facing left (flag 8) from
// the right end stepping -32 s; then empty cells up to `cells` pieces. The
// length in pixels; 0 and only the empty cells for a vehicle that is not
// cached or neither flag; 0 and nothing for a scale other than 1 and 2.
u32 Map_DrawVehicleImage(SchBuf* dc, i32 x, i32 y, u32 flags, VehicleId vehicle, int scale, i32 cells);
// A composition: the vehicles of a list ended by a zero id, each with its
// own turned bit, one after the other without gaps, from x facing right
// (flag 4) or from the right end facing left (flag 8); then empty cells up
// to `cells`. Scale index 0 or 1 (scale 1 or 2), else nothing. The total
// length in pixels (0 with neither flag). At most 200 entries are read, the
// most a composition holds, whether or not the list ends there.
u32 Map_DrawVehicleList(SchBuf* dc, i32 x, i32 y, u32 flags, const TrainCompositionEntry* vehicles, int scaleIndex,
                        i32 cells);
// The front (flag 2) or rear (flag 1) end view of a vehicle in one cell at
// (x, y), scale 1 or 2: its crosswise picture seen end-on, a vehicle
// longer than a cell continued in the row above (16 s pixels up). The
// length in pixels; 0 and nothing drawn without a cached vehicle or end
// flag.
u32 Map_DrawVehicleImageEnd(SchBuf* dc, i32 x, i32 y, u32 flags, VehicleId vehicle, int scale);

// The cells a user graphic covers around its anchor cell (left and width in
// columns, rows and the upward count, negated); 1, or 0 for a code without
// such a picture (outs untouched).
int Map_UserGraphicExtent(u32 code, i32 variant, i32* outLeft, i32* outRows, i32* outWidth, i32* outUp);
// 0 when no train picture lies on the cell, 2 when a part there has the
// second-part flag (2), else 1.
int Map_TrainPartAt(i32 x, i32 y, i32 level, u16 code);

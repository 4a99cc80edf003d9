// Pictures of the generator: one record's placements at one zoom, made by
// running a drawing routine once per layer on a canvas of that zoom.
//
// Owns: the placement records (pixels, box and layer) until they are handed
// to the file writer.
//
// Promises: a placement's box lies inside the limits of an element picture
// (-32z <= x, x + w <= 64z, -16z <= y, y + h <= 96z); its pixels are cut
// to what was drawn (a record keeps at least one placement, a 1 x 1
// transparent one when nothing was drawn at all).
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"
#include "tools/gfxgen/art_canvas.h"

struct ApcPlacement {
  int layer = 2;
  int x = 0, y = 0, w = 0, h = 0;  // at the picture's zoom; y up from the cell bottom
  std::vector<u32> px;             // w x h, top row first
};

struct ApcPicture {
  int zoom = 1;
  std::vector<ApcPlacement> placements;  // 1..3
};

// What a drawing routine draws: up to three layers over one box given in
// zoom-1 units of the cell frame.
struct ApcSpec {
  int layerCount = 1;
  int layers[3] = {2, 0, 0};
  int x0 = -16, y0 = -8, w = 64, h = 56;
};

typedef void (*ApcDraw)(Canvas* c, u32 code, int layerIndex);

// Draws code at zoom: one canvas per layer of spec, cut to its contents.
void Apc_Render(const ApcSpec* spec, ApcDraw draw, u32 code, int zoom, ApcPicture* out);
// 1 when every pixel of the placement is transparent.
int Apc_IsEmpty(const ApcPlacement* p);

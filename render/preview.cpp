#include "render/preview.h"
#include "render/sprview.h"

#include <cstring>

#include "model/cellcode.h"
#include "operation/trnquery.h"
#include "render/bgp.h"
#include "render/blit.h"
#include "render/compose.h"
#include "render/disp.h"
#include "render/gfx.h"
#include "render/terrain.h"

namespace {

// A preview is composed as if its picture stood alone in a cell outside
// the grid: every neighbour the compositor reads there is the empty cell,
// so the layout never shows through. Both even: symbols take sub-picture 1.
const i32 kPreviewX = 32768, kPreviewY = 32768;

// Every preview hides the background picture; the picture previews also
// switch on the display options without which some picture variants stay
// hidden. Both are back to what they were when the preview returns.
struct PreviewScope {
  i32 bgMode, optH, optLwx;
  int fwH2O, fwBus, forced;
  explicit PreviewScope(int forceOptions) : forced(forceOptions) {
    bgMode = g_background.mode;
    g_background.mode = 0;
    optH = g_displayOptions.optH;
    optLwx = g_displayOptions.optLwx;
    fwH2O = g_sprOptions.fwH2O;
    fwBus = g_sprOptions.fwBus;
    if (forced) {
      g_displayOptions.optH = 1;
      g_displayOptions.optLwx = 1;
      g_sprOptions.fwH2O = 1;
      g_sprOptions.fwBus = 1;
    }
  }
  ~PreviewScope() {
    g_background.mode = bgMode;
    if (forced) {
      g_displayOptions.optH = optH;
      g_displayOptions.optLwx = optLwx;
      g_sprOptions.fwH2O = fwH2O;
      g_sprOptions.fwBus = fwBus;
    }
  }
};

int Usable(const SchBuf* dc) { return dc && dc->pixels && dc->width > 0 && dc->height > 0; }

// Scale of a preview target 6..9 (1, 2, 4, 8); 0 for any other target.
int TargetScale(int target) {
  return target >= MAP_TARGET_PREVIEW1 && target <= MAP_TARGET_PREVIEW8 ? 1 << (target - MAP_TARGET_PREVIEW1) : 0;
}

// The zoom a preview of that scale is composed at: the scale, at most the
// loaded zoom set.
int ZoomFor(int scale) {
  int set = Gfx_GetZoomSet();
  if (set != 2 && set != 4) set = 1;
  int z = scale >= 4 ? 4 : scale >= 2 ? 2 : 1;
  return z < set ? z : set;
}

u32 NormalCode(u32 code) {
  if (code > 0xFFFF || code == CELL_LOOK_DOWN_1 || code == CELL_LOOK_DOWN_2) return CELL_EMPTY;
  return Cell_Normalised(code);
}

// The part of a cell of 32 s x 16 s at (x, y) that lies inside the buffer.
struct CellRect {
  i32 c0, c1, r0, r1;  // columns and rows of the cell, end exclusive
};
int ClipCell(const SchBuf* dc, i32 x, i32 y, int scale, CellRect* out) {
  i64 w = 32 * scale, h = 16 * scale;
  i64 c0 = x < 0 ? -i64(x) : 0, c1 = i64(dc->width) - x;
  i64 r0 = y < 0 ? -i64(y) : 0, r1 = i64(dc->height) - y;
  if (c1 > w) c1 = w;
  if (r1 > h) r1 = h;
  if (c0 >= c1 || r0 >= r1) return 0;
  *out = CellRect{i32(c0), i32(c1), i32(r0), i32(r1)};
  return 1;
}

// Puts the finished composition of `zoom` into the buffer at (x, y),
// enlarged to the scale: markers resolved (darkened colours darkened), no
// shading - a preview shows the pictures as they are.
void CopyToPreview(SchBuf* dc, i32 x, i32 y, int zoom, int scale) {
  CellRect k;
  if (!ClipCell(dc, x, y, scale, &k)) return;
  int n = scale / zoom, W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  const CellPixel* src = Spr_Buffer(zoom);
  for (i32 r = k.r0; r < k.r1; ++r) {
    const CellPixel* row = src + (H - 1 - r / n) * W;  // buffer rows are bottom-up
    u32* dst = dc->pixels + i64(y + r) * dc->width;
    for (i32 c = k.c0; c < k.c1; ++c) dst[x + c] = row[c / n];
  }
}

// One layer of the picture into the window (dy, dx). Element codes go
// through the compositor with their state. A symbol's picture in a view
// follows its cell (parity, multi-cell symbol part); a preview names the
// variant itself: variant 0 is the picture the preview's cell shows anyway,
// any other is placed here from that variant's record (the first when the
// graphic has no such variant). The number of placements drawn.
void TransferAt(int zoom, SchBuf* dc, i32 x, i32 y, int gridFlags, int overlayFlags, int target) {
  const int scale = TargetScale(target);
  // The marks, the lines and the markers as for any target.
  Spr_Transfer(zoom, scale ? -1 : target, x, y, gridFlags, overlayFlags);
  if (scale && scale >= zoom && Usable(dc)) CopyToPreview(dc, x, y, zoom, scale);
}

// The transfer of the zoom to the preview of the scale.
void Transfer(SchBuf* dc, i32 x, i32 y, int zoom, int scale) {
  int target = MAP_TARGET_PREVIEW1;
  for (int s = scale; s > 1; s /= 2) ++target;
  if (zoom == 4) Spr_TransferZoom4(dc, x, y, 0, 0, target);
  else if (zoom == 2) Spr_TransferZoom2(dc, x, y, 0, 0, target);
  else Spr_TransferZoom1(dc, x, y, 0, 0, target);
}

int PreviewLayer(int zoom, u32 code, i32 variant, i32 state, int layer, int dy, int dx) {
  if (code >= 65536 || code == CELL_EMPTY) return 0;
  if (Cell_IsElement(code) || variant == 0)
    return Spr_DrawCellLayer(code, state, variant, zoom, 0, kPreviewY, kPreviewX, 0, layer, dy, dx);
  const GfxSubPicture* sp = Gfx_GetSubPicture(code, 0, 0, variant);
  if (!sp) sp = Gfx_GetSubPicture(code, 0, 0, 0);
  int drawn = 0;
  for (int p = 0; sp && p < 3; ++p) {
    int dz = 1;
    const GfxBlock* b = Spr_ChooseBlock(sp, p, zoom, &dz);
    if (!b) break;
    if (b->layer != layer || !Spr_BoxMeetsWindow(i16(b->x), i16(b->y), b->width, b->height, dz, dx, dy)) continue;
    Spr_PlaceBlock(zoom, dz, dx, dy, b);
    ++drawn;
  }
  return drawn;
}

// Composes the window (dy, dx) of a picture standing alone: dy 16 k the
// window k rows above the picture's cell, -16 the row below, dx -32 the
// column left of it, +32 the one right. The layers are those the cell
// column composition draws of a neighbour at that place, in its order;
// `begin` adds the picture's own ground and first layer in its own cell.
void Compose(int zoom, u32 code, i32 variant, i32 state, int dy, int dx, int begin) {
  Spr_SetLevel(0);
  int own = dy == 0 && dx == 0;
  if (begin && own && Cell_IsElement(code))
    Spr_ComposeTerrain(code, zoom, 0, kPreviewY, kPreviewX, 0);
  else
    Spr_FillBuffer(Spr_CurrentBackground(), zoom);
  if (code == CELL_EMPTY) return;
  auto layer = [&](int l) { PreviewLayer(zoom, code, variant, state, l, dy, dx); };
  if (dx == 0 && dy == 16) layer(1);
  if (begin && own) layer(4);
  if (dy >= 0 || (dy == -16 && dx == 0)) layer(3);
  layer(2);
  if (dy <= 0) layer(5);
}

void DrawWindow(SchBuf* dc, i32 x, i32 y, int target, u32 code, i32 variant, i32 state, int dy, int dx, int begin) {
  int scale = TargetScale(target);
  if (!scale || !Usable(dc)) return;
  CellRect k;
  if (!ClipCell(dc, x, y, scale, &k)) return;  // nothing of it shows
  PreviewScope scope(0);
  int zoom = ZoomFor(scale);
  Compose(zoom, NormalCode(code), variant, state, dy, dx, begin);
  Transfer(dc, x, y, zoom, scale);
}

// 1 when the picture draws anything of a layer into the window (dy, 0),
// tried at zoom 1 in the zoom-1 buffer (kept as it was).
int Draws(u32 code, i32 variant, int layer, int dy) { return PreviewLayer(1, code, variant, 0, layer, dy, 0) > 0; }

// ---------------------------------------------------------------- vehicles

int VehicleScale(int scale) { return scale == 1 || scale == 2 ? scale : 0; }

// Length a strip gives a vehicle: the record's, or for an id without a
// record the length the id carries; 0 for a vehicle that is not there.
u32 StripLength(VehicleId id) {
  u32 len = Gfx_GetVehicleLength(id);
  if (len == 0) return 0;
  return len < 8 ? 8 : len > 256 ? 256 : len;
}

// One 32-pixel piece with up to eight vehicle parts over the empty cell.
void DrawParts(SchBuf* dc, i32 x, i32 y, int scale, const TrnCellPart* parts, int count) {
  CellRect k;
  if (!ClipCell(dc, x, y, scale, &k)) return;
  PreviewScope scope(0);
  int zoom = ZoomFor(scale);
  Spr_SetLevel(0);
  Spr_FillBuffer(Spr_CurrentBackground(), zoom);
  for (int i = 0; i < count; ++i) Spr_DrawVehiclePart(&parts[i], zoom, 0, 1, 0);
  Transfer(dc, x, y, zoom, scale);
}

void EmptyCells(SchBuf* dc, i32 x, i32 y, int scale, i32 from, i32 to) {
  i64 step = 32 * scale;
  for (i32 k = from; k < to; ++k) {
    i64 px = x + k * step;
    if (px >= dc->width) break;  // the rest lies right of the buffer
    if (px + step <= 0) continue;
    DrawParts(dc, i32(px), y, scale, nullptr, 0);
  }
}

TrnCellPart Part(VehicleId id, u32 flags, i32 first, i32 last, i32 start, u32 length) {
  TrnCellPart p;
  p.vehicle = id;
  p.flags = u16(flags);
  p.first = first;
  p.last = last;
  p.start = start;
  p.length = length;
  return p;
}

// The direction flag of a strip (4 right, 8 left, 0 neither).
u32 StripDirection(u32 flags) {
  return (flags & MAP_VEH_RIGHT) ? MAP_VEH_RIGHT : (flags & MAP_VEH_LEFT) ? MAP_VEH_LEFT : 0;
}

// The entries of a composition considered: at most as many as a train
// holds, so a list without its end cannot run on.
const int kMaxListVehicles = 200;

}  // namespace

// ---------------------------------------------------------------- pictures

i32 Map_PieceImageHeight(u32 code, i32 variant) {
  code = NormalCode(code);
  if (code == CELL_EMPTY) return 16;
  PreviewScope scope(1);
  CellPixel saved[32 * 16];
  std::memcpy(saved, Spr_Buffer(1), sizeof saved);
  Spr_SetLevel(0);
  i32 rows = 1;
  if (Draws(code, variant, 1, 16) || Draws(code, variant, 2, 16) || Draws(code, variant, 3, 16)) {
    rows = 2;
    for (int k = 2; k <= 6; ++k) {
      if (!Draws(code, variant, 2, 16 * k) && !Draws(code, variant, 3, 16 * k)) break;
      rows = k + 1;
    }
  }
  int overhang = Draws(code, variant, 3, -16) || Draws(code, variant, 2, -16) || Draws(code, variant, 5, -16);
  std::memcpy(Spr_Buffer(1), saved, sizeof saved);
  i32 h = 16 * rows;
  return overhang ? -16 - h : h;
}

void Map_DrawPieceImage(SchBuf* dc, i32 x, i32 y, int withNeighbours, int scaleIndex, i32 variant, u32 code) {
  if (scaleIndex < 0 || scaleIndex > 3 || !Usable(dc)) return;
  PreviewScope scope(1);
  int target = MAP_TARGET_PREVIEW1 + scaleIndex;
  i64 cw = 32 << scaleIndex, ch = 16 << scaleIndex;
  i32 h = Map_PieceImageHeight(code, variant);
  int overhang = h < 0;
  if (overhang) h = -16 - h;
  int rows = h / 16;
  auto column = [&](i64 ry, int dy) {
    if (ry < -ch || ry >= dc->height) return;
    i64 cx = withNeighbours ? x + cw : x;
    if (cx > -cw && cx < dc->width) Map_DrawCellPreviewRow(dc, i32(cx), i32(ry), target, code, variant, 0, dy);
    if (!withNeighbours) return;
    if (x > -cw && x < dc->width) Map_DrawNeighbourPreview(dc, x, i32(ry), target, code, variant, 0, dy, -32);
    i64 rx = x + 2 * cw;
    if (rx < dc->width) Map_DrawNeighbourPreview(dc, i32(rx), i32(ry), target, code, variant, 0, dy, 32);
  };
  for (int r = 0; r < rows; ++r) column(i64(y) - r * ch, 16 * r);
  if (overhang) column(i64(y) + ch, -16);
}

void Map_DrawCellPreview(SchBuf* dc, i32 x, i32 y, int target, u32 code, i32 variant, i32 state) {
  DrawWindow(dc, x, y, target, code, variant, state, 0, 0, 1);
}

void Map_DrawCellPreviewRow(SchBuf* dc, i32 x, i32 y, int target, u32 code, i32 variant, i32 state, int rowOffset) {
  DrawWindow(dc, x, y, target, code, variant, state, rowOffset, 0, 1);
}

void Map_DrawNeighbourPreview(SchBuf* dc, i32 x, i32 y, int target, u32 code, i32 variant, i32 state, int rowOffset,
                              int colOffset) {
  DrawWindow(dc, x, y, target, code, variant, state, rowOffset, colOffset, 0);
}

// ---------------------------------------------------------------- vehicles

void Map_DrawVehiclePiece(SchBuf* dc, i32 x, i32 y, int scale, VehicleId vehicle, u32 flags, i32 first, i32 last,
                          i32 start) {
  scale = VehicleScale(scale);
  if (!scale || !Usable(dc)) return;
  u32 len = StripLength(vehicle);
  u32 dir = StripDirection(flags);
  if (!len || !dir || first > last) {
    DrawParts(dc, x, y, scale, nullptr, 0);
    return;
  }
  TrnCellPart p = Part(vehicle, dir | (flags & MAP_VEH_TURNED), first, last, start, len);
  DrawParts(dc, x, y, scale, &p, 1);
}

u32 Map_DrawVehicleImage(SchBuf* dc, i32 x, i32 y, u32 flags, VehicleId vehicle, int scale, i32 cells) {
  scale = VehicleScale(scale);
  if (!scale || !Usable(dc)) return 0;
  u32 dir = StripDirection(flags);
  u32 len = Gfx_FindVehicleRecord(vehicle) ? StripLength(vehicle) : 0;
  if (!dir || !len) {
    EmptyCells(dc, x, y, scale, 0, cells);
    return 0;
  }
  i32 pieces = i32((len + 31) / 32);
  i64 step = 32 * scale;
  for (i32 k = 0; k < pieces; ++k) {
    // Facing left the strip starts at its right end: piece k of the vehicle
    // is mirrored into the k-th cell from the right.
    i64 px = dir == MAP_VEH_RIGHT ? x + k * step : x + (pieces - 1 - k) * step;
    if (px >= dc->width || px + step <= 0) continue;
    i32 first = 32 * k, last = first + 31 < i32(len) ? first + 31 : i32(len) - 1;
    Map_DrawVehiclePiece(dc, i32(px), y, scale, vehicle, dir | (flags & MAP_VEH_TURNED), first, last, 0);
  }
  EmptyCells(dc, x, y, scale, pieces, cells);
  return len;
}

u32 Map_DrawVehicleList(SchBuf* dc, i32 x, i32 y, u32 flags, const TrainCompositionEntry* vehicles, int scaleIndex,
                        i32 cells) {
  if (scaleIndex < 0 || scaleIndex > 1 || !Usable(dc)) return 0;
  int scale = 1 << scaleIndex;
  u32 dir = StripDirection(flags);
  // Offsets of the vehicles along the strip (from its left end facing
  // right, from its right end facing left).
  i32 n = 0;
  u32 total = 0;
  while (vehicles && n < kMaxListVehicles && vehicles[n].Vehicle) total += StripLength(vehicles[n++].Vehicle);
  if (!dir || !total) {
    EmptyCells(dc, x, y, scale, 0, cells);
    return dir ? total : 0;
  }
  i32 pieces = i32((total + 31) / 32);
  i64 step = 32 * scale;
  for (i32 k = 0; k < pieces; ++k) {
    i64 px = dir == MAP_VEH_RIGHT ? x + k * step : x + (pieces - 1 - k) * step;
    if (px >= dc->width || px + step <= 0) continue;
    TrnCellPart parts[TRN_CELL_PARTS];
    int count = 0;
    i32 at = 0, win = 32 * k;
    for (i32 i = 0; i < n && at < win + 32; ++i) {
      i32 len = i32(StripLength(vehicles[i].Vehicle));
      if (len && at + len > win && count < TRN_CELL_PARTS) {
        i32 first = win > at ? win - at : 0;
        i32 last = win + 31 - at < len - 1 ? win + 31 - at : len - 1;
        parts[count++] = Part(vehicles[i].Vehicle, dir | (vehicles[i].Flags & MAP_VEH_TURNED), first, last,
                              at + first - win, u32(len));
      }
      at += len;
    }
    DrawParts(dc, i32(px), y, scale, parts, count);
  }
  EmptyCells(dc, x, y, scale, pieces, cells);
  return total;
}

u32 Map_DrawVehicleImageEnd(SchBuf* dc, i32 x, i32 y, u32 flags, VehicleId vehicle, int scale) {
  scale = VehicleScale(scale);
  if (!scale || !Usable(dc)) return 0;
  u32 end = (flags & MAP_VEH_FRONT_END) ? MAP_VEH_FRONT_END : (flags & MAP_VEH_REAR_END) ? MAP_VEH_REAR_END : 0;
  u32 len = Gfx_FindVehicleRecord(vehicle) ? StripLength(vehicle) : 0;
  if (!end || !len) return 0;
  // Seen end-on the vehicle runs up the screen, one row per two pixels of
  // length: the named end in the cell at (x, y), the rest in the rows
  // above it.
  i32 pieces = i32((len + 31) / 32);
  i64 step = 16 * scale;
  for (i32 j = 0; j < pieces; ++j) {
    i64 py = y - j * step;
    if (py + step <= 0) break;
    if (py >= dc->height) continue;
    i32 first, last, start;
    if (end == MAP_VEH_FRONT_END) {
      // Travelling down: the front on the bottom row.
      first = 32 * j;
      last = first + 31 < i32(len) ? first + 31 : i32(len) - 1;
      start = 0;
    } else {
      // Travelling up: the rear on the bottom row.
      last = i32(len) - 1 - 32 * j;
      first = last - 31 > 0 ? last - 31 : 0;
      start = 32 - (last - first + 1);
    }
    TrnCellPart p = Part(vehicle, end | (flags & MAP_VEH_TURNED), first, last, start, len);
    DrawParts(dc, x, i32(py), scale, &p, 1);
  }
  return len;
}

// ---------------------------------------------------------------- queries

int Map_UserGraphicExtent(u32 code, i32 variant, i32* outLeft, i32* outRows, i32* outWidth, i32* outUp) {
  if (code < 49408 || code > 65535 || variant < 0) return 0;
  if (Gfx_UserCodeSlot(code) < 0 || Gfx_GetElementVariantCount(code) <= variant) return 0;
  const GfxSubPicture* sp = Gfx_GetSubPicture(code, 0, 0, variant);
  if (!sp || !(sp->flags & 4) || sp->box[0][2] == 65535) return 0;
  // The zoom-1 box of the placement block; its centre is the anchor.
  i32 left = sp->box[0][0], top = sp->box[0][1], right = sp->box[0][2], bottom = sp->box[0][3];
  i32 w = right - left, h = bottom - top;
  i32 ax = (left + right) / 2 - w / 2, ay = (top + bottom) / 2 - h / 2;
  i32 cellLeft = (ax + 32) / 32 - 1, cellTop = (ay + 16) / 16 - 1;
  if (outLeft) *outLeft = cellLeft;
  if (outWidth) *outWidth = (ax + w + 32) / 32 - cellLeft;
  if (outUp) *outUp = -cellTop;
  if (outRows) *outRows = (ay + h + 16) / 16 - cellTop;
  return 1;
}

int Map_TrainPartAt(i32 x, i32 y, i32 level, u16 code) {
  TrnCellImage img;
  Trn_CellVehicleImage(x, y, level, &img, code);
  if (img.count <= 0) return 0;
  int n = img.count > TRN_CELL_PARTS ? TRN_CELL_PARTS : img.count;
  for (int i = 0; i < n; ++i)
    if (img.parts[i].flags & 2) return 2;
  return 1;
}

void Spr_TransferZoom1(SchBuf* dc, i32 x, i32 y, int gridFlags, int overlayFlags, int target) {
  TransferAt(1, dc, x, y, gridFlags, overlayFlags, target);
}
void Spr_TransferZoom2(SchBuf* dc, i32 x, i32 y, int gridFlags, int overlayFlags, int target) {
  TransferAt(2, dc, x, y, gridFlags, overlayFlags, target);
}
void Spr_TransferZoom4(SchBuf* dc, i32 x, i32 y, int gridFlags, int overlayFlags, int target) {
  TransferAt(4, dc, x, y, gridFlags, overlayFlags, target);
}

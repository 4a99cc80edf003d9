#include "render/blit.h"

#include "platform/heap.h"
#include "platform/tim.h"
#include "render/compose.h"
#include "render/pal.h"
#include "render/vehicles.h"

// ---------------------------------------------------------------- element pictures

const GfxBlock* Spr_ChooseBlock(const GfxSubPicture* sp, int picture, int zoom, int* drawZoom) {
  if (!sp || picture < 0 || picture > 2) return nullptr;
  const GfxBlock* b1 = &sp->blocks[picture][0];
  if (!b1->pixels) return nullptr;
  const GfxBlock* b2 = &sp->blocks[picture][1];
  const GfxBlock* b4 = &sp->blocks[picture][2];
  if (zoom == 4 && b4->pixels) {
    *drawZoom = 4;
    return b4;
  }
  if (zoom >= 2 && b2->pixels) {
    *drawZoom = 2;
    return b2;
  }
  *drawZoom = 1;
  return b1;
}

int Spr_BoxMeetsWindow(int bx, int by, int bw, int bh, int zoom, int dx, int dy) {
  int wx0 = dx * zoom, wy0 = dy * zoom, wx1 = wx0 + 32 * zoom - 1, wy1 = wy0 + 16 * zoom - 1;
  return bw > 0 && bh > 0 && bx <= wx1 && bx + bw - 1 >= wx0 && by <= wy1 && by + bh - 1 >= wy0;
}

void Spr_BlitBlock(int zoom, int wx, int wy, const GfxBlock* b) {
  if (!b || !b->pixels) return;
  CellPixel* buf = Spr_Buffer(zoom);
  int W = Spr_BufferWidth(zoom), H = Spr_BufferHeight(zoom);
  int x0 = i16(b->x) - wx, y0 = i16(b->y) - wy;  // bottom-left in the buffer
  int w = b->width, h = b->height;
  int c0 = x0 < 0 ? -x0 : 0, c1 = x0 + w > W ? W - x0 : w;
  int r0 = y0 < 0 ? -y0 : 0, r1 = y0 + h > H ? H - y0 : h;  // rows from the bottom of the picture
  if (c0 >= c1 || r0 >= r1) return;
  u32 bg = Spr_CurrentBackground();
  for (int r = r0; r < r1; ++r) {
    const u32* src = b->pixels + (h - 1 - r) * w;  // picture rows are stored top first
    CellPixel* dst = buf + (y0 + r) * W + x0;
    for (int c = c0; c < c1; ++c) Spr_PutPixel(dst + c, src[c], bg);
  }
}

void Spr_PlaceBlock(int zoom, int drawZoom, int dx, int dy, const GfxBlock* b) {
  if (drawZoom >= zoom) {
    Spr_BlitBlock(zoom, dx * zoom, dy * zoom, b);
    return;
  }
  Spr_FillBuffer(SPR_TRANSPARENT, drawZoom);
  Spr_BlitBlock(drawZoom, dx * drawZoom, dy * drawZoom, b);
  if (drawZoom == 1 && zoom == 4) {
    Spr_FillBuffer(SPR_TRANSPARENT, 2);
    Spr_DoubleBuffer(1);
    Spr_DoubleBuffer(2);
  } else {
    Spr_DoubleBuffer(drawZoom);
  }
}

// ---------------------------------------------------------------- vehicles

u32 Spr_VehicleLength(const TrnCellPart* p) {
  const VehicleRecord* rec = (p->vehicle & VEH_LENGTH_BIT) ? nullptr : Gfx_FindVehicleRecord(p->vehicle);
  if (rec && rec->length >= 8) return rec->length;
  // Without a record the id may be an ordinary set id whose low bits are no
  // length at all; the train's entry holds the length the train was built with.
  u32 len = p->length;
  if (len == 0 && (p->vehicle & VEH_LENGTH_BIT)) len = p->vehicle & ~VEH_LENGTH_BIT & 0xFFFF;
  return len < 8 ? 8 : (len > 256 ? 256 : len);
}

// The picture a vehicle is drawn from at a zoom: the record's own picture of
// that zoom when the store holds one whose sizes fit the record, else the
// next smaller one (zoom 1 always). *pz is the zoom of the picture chosen.
static const VehiclePicture* VehiclePictureFor(const VehicleRecord* rec, int zoom, int* pz) {
  for (int z = zoom >= 4 ? 4 : zoom >= 2 ? 2 : 1; z > 1; z /= 2) {
    const VehiclePicture& p = rec->zoom[z == 4 ? 2 : 1];
    if (p.pixels && p.length == rec->length * u32(z) && p.a == rec->a * z && p.b == rec->b * z) {
      *pz = z;
      return &p;
    }
  }
  *pz = 1;
  return &rec->zoom[0];
}

// Sizes of a vehicle picture; the zoom-1 block carries the record's.
static void PictureSizes(const VehicleRecord* rec, const VehiclePicture* pic, int pz, u32* L, u32* A, u32* B, u32* C) {
  if (pz == 1) {
    *L = rec->length, *A = rec->a, *B = rec->b, *C = rec->c;
  } else {
    *L = pic->length, *A = pic->a, *B = pic->b, *C = pic->c;
  }
}

// Pixel (along, up from the bottom) of side view 0 or 1 of a picture.
static u32 VehicleSidePixel(const VehicleRecord* rec, const VehiclePicture* pic, int pz, int side, int along, int up) {
  u32 L, A, B, C;
  PictureSizes(rec, pic, pz, &L, &A, &B, &C);
  if (!pic->pixels || along < 0 || along >= int(L) || up < 0 || up >= int(A)) return SPR_NO_COLOUR;
  u32 idx = u32(side) * L * A + (A - 1 - u32(up)) * L + u32(along);
  if (idx >= pic->count) return SPR_NO_COLOUR;
  return pic->pixels[idx];
}

// Pixel (row from the top, column across) of top view 0 (front on the top
// row) or 1 (front on the bottom row, its end face showing) of a picture.
static u32 VehicleTopPixel(const VehicleRecord* rec, const VehiclePicture* pic, int pz, int view, int row, int across) {
  u32 L, A, B, C;
  PictureSizes(rec, pic, pz, &L, &A, &B, &C);
  u32 rows = L / 2;
  if (!pic->pixels || row < 0 || row >= int(rows) || across < 0 || across >= int(B)) return SPR_NO_COLOUR;
  u32 idx = 2 * L * A + u32(view) * (B * rows + B * C) + u32(across) * rows + u32(row);
  if (idx >= pic->count) return SPR_NO_COLOUR;
  return pic->pixels[idx];
}

void Spr_DrawVehiclePart(const TrnCellPart* p, int zoom, int reachingUp, int emptyGround, int alternate) {
  const VehicleRecord* rec = (p->vehicle & VEH_LENGTH_BIT) ? nullptr : Gfx_FindVehicleRecord(p->vehicle);
  int L = int(Spr_VehicleLength(p));
  int first = p->first < 0 ? 0 : p->first, last = p->last >= L ? L - 1 : p->last;
  if (first > last) return;
  if (zoom != 2 && zoom != 4) zoom = 1;
  int n = last - first + 1;
  int f = p->flags;
  int turned = (f & 0x8000) != 0;
  (void)alternate;
  // Every zoom-1 position of the placement becomes a zoom x zoom block; the
  // block takes the pixels of the picture of the largest zoom the store has
  // (pz), each of its pixels fz x fz buffer pixels when pz is below the zoom.
  int pz = 1;
  const VehiclePicture* pic = nullptr;
  if (f & (4 | 8 | 16 | 32 | 64 | 128)) {
    // Crosswise and diagonal: the side view, the head on the side the flags name.
    // On the empty cell zoom 4 shows the zoom-2 picture doubled.
    if (rec) pic = VehiclePictureFor(rec, emptyGround && zoom == 4 ? 2 : zoom, &pz);
    int fz = zoom / pz;
    int mirrored = (f & (8 | 16 | 128)) != 0;
    int start = mirrored ? 32 - p->start - n : p->start;
    int side = ((f & (4 | 32 | 64)) != 0) != turned ? 1 : 0;
    int height = rec ? int(rec->a) : 8;
    int base = emptyGround ? 2 : 8;  // bottom row counted from the bottom of the cell
    for (int k = 0; k < n; ++k) {
      int col = start + k;
      if (col < 0 || col > 31) continue;
      int along = mirrored ? last - k : first + k;
      int lift = 0;
      if (f & (16 | 32)) lift = 4 - col / 2 + 8;  // falling to the right
      if (f & (64 | 128)) lift = col / 2 - 8 + 4;
      for (int up = 0; up < height; ++up) {
        int rowBottom = base + up + lift - (reachingUp ? 16 : 0);
        if (rowBottom < 0 || rowBottom > 15) continue;
        int rowTop = 15 - rowBottom;
        for (int yy = 0; yy < zoom; ++yy)
          for (int xx = 0; xx < zoom; ++xx) {
            u32 v;
            if (rec) {
              int sx = xx / fz, sy = yy / fz;  // sub-pixel in the picture, sy from the top
              int a = along * pz + (mirrored ? pz - 1 - sx : sx);
              v = VehicleSidePixel(rec, pic, pz, side, a, up * pz + pz - 1 - sy);
            } else {
              v = (along & 1) ? 0xF0F0F0u : 0x00FF00u;
            }
            if (v == SPR_NO_COLOUR || v == SPR_TRANSPARENT) continue;
            Spr_SetPixel(zoom, col * zoom + xx, rowTop * zoom + yy, v);
          }
      }
    }
    return;
  }
  if (f & (1 | 2)) {
    // Lengthwise: the top view, one row per two pixels of length. The view
    // whose front points the way the vehicle's own front faces on screen:
    // travelling down (flag 2) the front is at the bottom, a turned vehicle
    // the other way round.
    if (rec) pic = VehiclePictureFor(rec, zoom, &pz);
    int fz = zoom / pz;
    int width = rec ? int(rec->b) : 8;
    int e = rec ? int(rec->c) / 2 : 0;
    int mirrored = (f & 2) != 0;
    int view = mirrored != turned ? 1 : 0;
    int start = mirrored ? 32 - p->start - n : p->start;
    int startRow = start / 2 - e + (reachingUp ? 16 : 0);
    int rows = int(pic ? (pz == 1 ? rec->length : pic->length) / 2 : 0);
    for (int k = 0; first / 2 + k <= last / 2; ++k) {
      int rowTop = startRow + k;
      if (rowTop < 0 || rowTop > 15) continue;
      int half = mirrored ? (last / 2 - k) : (first / 2 + k);
      for (int c = 0; c < width; ++c) {
        int col = 16 - width / 2 + c;
        for (int yy = 0; yy < zoom; ++yy)
          for (int xx = 0; xx < zoom; ++xx) {
            u32 v;
            if (rec) {
              int sx = xx / fz, sy = yy / fz;
              // Picture rows run from the vehicle's front; read downward on screen.
              int h = half * pz + (mirrored ? pz - 1 - sy : sy);
              int row = mirrored ? rows - 1 - h : h;
              v = VehicleTopPixel(rec, pic, pz, view, row, c * pz + sx);
            } else {
              v = (c & 1) ? 0xF0F0F0u : (half * 2 < L / 2 ? 0x0000FFu : 0xFF0000u);
            }
            if (v == SPR_NO_COLOUR || v == SPR_TRANSPARENT) continue;
            Spr_SetPixel(zoom, col * zoom + xx, rowTop * zoom + yy, v);
          }
      }
    }
  }
}

void Spr_DrawTrainParts(const TrnCellImage* img, int zoom) {
  int empty = img->saved == 0xC000;
  int n = img->count > 8 ? 8 : img->count;
  if (n <= 0) return;
  int lengthFirst = (img->parts[0].flags & 1) || (img->parts[n - 1].flags & 2);
  for (int pass = 0; pass < 2; ++pass) {
    int lengthwise = (pass == 0) == (lengthFirst != 0);
    if (lengthwise) {
      for (int i = 0; i < n; ++i)
        if (img->parts[i].flags & 1) Spr_DrawVehiclePart(&img->parts[i], zoom, 0, empty, img->alternate);
      for (int i = n - 1; i >= 0; --i)
        if (img->parts[i].flags & 2) Spr_DrawVehiclePart(&img->parts[i], zoom, 0, empty, img->alternate);
    } else {
      for (int i = 0; i < n; ++i)
        if (img->parts[i].flags & 0xFC) Spr_DrawVehiclePart(&img->parts[i], zoom, 0, empty, img->alternate);
    }
  }
}

void Spr_DrawTrainPartsFromBelow(const TrnCellImage* img, int zoom) {
  int n = img->count > 8 ? 8 : img->count;
  for (int i = 0; i < n; ++i)
    if (img->parts[i].flags & (32 | 128 | 4 | 8 | 1)) Spr_DrawVehiclePart(&img->parts[i], zoom, 1, 0, img->alternate);
  for (int i = n - 1; i >= 0; --i)
    if (img->parts[i].flags & (2 | 16 | 64)) Spr_DrawVehiclePart(&img->parts[i], zoom, 1, 0, img->alternate);
}

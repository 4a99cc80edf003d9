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

// ---------------------------------------------------------------- terrain pieces

extern u8 (*g_sprMasks)[16][8];  // compose.cpp, null without masks

extern u8 (*g_sprMasks2)[32][16];

// The set pixels of each piece's mask (position in the mask, value), so
// that a blit visits only pixels that can be drawn; built on first use
// after the masks were loaded.
struct PieceList {
  u16 pos[512];
  u8 val[512];
  int count;
};
static PieceList* g_pieceLists[2];
static const u8* g_pieceListsOf;

static const PieceList* PieceListOf(int piece, int zoom) {
  if (g_pieceListsOf != &g_sprMasks[0][0][0]) {
    for (PieceList*& l : g_pieceLists) {
      if (!l) l = static_cast<PieceList*>(Heap_Alloc(sizeof(PieceList) * 104));
      if (!l) return nullptr;
    }
    for (int z = 0; z < 2; ++z)
      for (int n = 0; n < 104; ++n) {
        const u8* m = z == 0 ? &g_sprMasks[n][0][0] : &g_sprMasks2[n][0][0];
        PieceList& pl = g_pieceLists[z][n];
        pl.count = 0;
        for (int i = 0; i < (z == 0 ? 128 : 512); ++i)
          if (m[i]) {
            pl.pos[pl.count] = u16(i);
            pl.val[pl.count++] = m[i];
          }
      }
    g_pieceListsOf = &g_sprMasks[0][0][0];
  }
  return &g_pieceLists[zoom == 1 ? 0 : 1][piece];
}

const u8* Spr_TerrainMask(int piece, int zoom) {
  if (!g_sprMasks || !g_sprMasks2 || piece < 0 || piece >= 104) return nullptr;
  return zoom == 1 ? &g_sprMasks[piece][0][0] : &g_sprMasks2[piece][0][0];
}

static const u32 kSeq26[26] = {0x8A7F6A, 0x958A73, 0x7E735F, 0x9C907A, 0x857A66, 0xA09580, 0x8F846E, 0x786D5A, 0x97886F,
                               0x887C68, 0xA3977F, 0x7A6F5C, 0x918672, 0x8C816C, 0x9A8E78, 0x827763, 0x9D927C, 0x7F7460,
                               0x938873, 0x8B7F6B, 0xA29680, 0x7C715D, 0x968B75, 0x877B67, 0x9E937D, 0x817662};
static const u32 kTab36[36] = {
    0x3F7A2E, 0x46822F, 0x3A7329, 0x4C8935, 0x41772C, 0x508E38, 0x3D7B30, 0x47852F, 0x386F28, 0x4A8733, 0x43802D, 0x52903A,
    0x3E762B, 0x488431, 0x3B712A, 0x4D8A36, 0x42792E, 0x4F8D37, 0x407C2F, 0x49862F, 0x37702A, 0x4B8834, 0x447F2D, 0x518F39,
    0x3C752C, 0x468331, 0x39722A, 0x4E8B35, 0x43782E, 0x4F8C38, 0x3F7A2F, 0x488530, 0x3A7029, 0x4C8933, 0x45812E, 0x50903A};
// Colour codes of the mixed ground: earth, grass and stone shades only.
static const u8 kCodes45[45] = {8,  7,  20, 26, 38, 24, 18, 17, 27, 53, 8,  7,  20, 26, 38,
                                24, 18, 17, 27, 8,  7,  20, 26, 38, 24, 18, 17, 27, 53, 8,
                                7,  20, 26, 38, 24, 18, 17, 27, 8,  7,  20, 26, 38, 24, 18};

u32 Spr_Seq26Colour(int i) { return kSeq26[((i % 26) + 26) % 26]; }
u32 Spr_Tab36Colour(int i) { return kTab36[((i % 36) + 36) % 36]; }

static int MaskBits(int kind) {
  switch (kind) {
    case SPR_TP_SOLID: return 0x80;
    case SPR_TP_OLIVE: return 0x10;
    case SPR_TP_PLAIN: return 0x0C;
    case SPR_TP_PAL84: return 0x04;
    case SPR_TP_STONES: return 0x02;
    case SPR_TP_SEQ26:
    case SPR_TP_TAB36: return 0x0E;
    case SPR_TP_CODES45: return 0x0A;
    case SPR_TP_TWO: return 0x8F;
    case SPR_TP_SECOND: return 0x40;
  }
  return 0;
}

void Spr_BlitTerrainPiece(int kind, int piece, int strip, u32 colourA, u32 colourB, i32 seed, int zoom) {
  if (strip < 0 || strip > 3) return;
  int mz = zoom == 1 ? 1 : 2;
  const u8* mask = Spr_TerrainMask(piece, mz);
  if (!mask) return;
  int mw = 8 * mz, mh = 16 * mz;
  CellPixel* buf = Spr_Buffer(zoom);
  int W = Spr_BufferWidth(zoom);
  int bits = MaskBits(kind);
  int f = zoom == 4 ? 2 : 1;  // zoom 4 writes 2 x 2 blocks of the zoom-2 mask
  // Every sequence starts from the cell's own seed, so a redraw repeats it.
  int r = 0;
  if (kind == SPR_TP_OLIVE) {
    if (zoom == 1)
      r = int(((seed % 32) + 32) % 32);
    else
      Rnd_OwnNext(-(((seed + strip) * 3) % 31));
  } else if (kind == SPR_TP_STONES) {
    Rnd_OwnNext(-(((seed + strip) * 3) % 15));
  } else if (kind == SPR_TP_CODES45) {
    if (zoom == 1)
      r = ((seed + strip) * 3) % 45;
    else
      Rnd_OwnNext(-(((seed + strip) * 3) % 45));
  } else if (kind == SPR_TP_SEQ26) {
    r = ((seed + strip) * 3) % 26;
  } else if (kind == SPR_TP_TAB36) {
    r = seed % 36;
  }
  const PieceList* pl = PieceListOf(piece, mz);
  if (!pl) return;
  int shift = mz == 1 ? 3 : 4;  // mask width 8 or 16
  if (kind == SPR_TP_SOLID || kind == SPR_TP_PLAIN || kind == SPR_TP_SECOND) {
    // One colour: the common case of every ground row.
    for (int i = 0; i < pl->count; ++i) {
      if (!(pl->val[i] & bits)) continue;
      int row = pl->pos[i] >> shift, col = pl->pos[i] & (mw - 1);
      int bx = (strip * mw + col) * f, by = (mh - 1 - row) * f;
      if (f == 1) {
        buf[by * W + bx] = colourA;
      } else {
        buf[by * W + bx] = buf[by * W + bx + 1] = colourA;
        buf[(by + 1) * W + bx] = buf[(by + 1) * W + bx + 1] = colourA;
      }
    }
    return;
  }
  (void)mask;
  u32 stones[15], pal84 = Spr_Palette(84);
  if (kind == SPR_TP_STONES)
    for (int k = 0; k < 15; ++k) stones[k] = Spr_Palette(110 + k);
  for (int i = 0; i < pl->count; ++i) {
    int m = pl->val[i];
    int row = pl->pos[i] >> shift, col = pl->pos[i] & (mw - 1);
    {
      if (!(m & bits)) continue;
      u32 v;
      switch (kind) {
        case SPR_TP_OLIVE:
          if (zoom == 1) {
            v = 168u << 16 | u32(121 + r) << 8;
            r = (r + 17) % 32;
          } else {
            v = 168u << 16 | u32(121 + Rnd_OwnNext(31)) << 8;
          }
          break;
        case SPR_TP_PAL84: v = pal84; break;
        case SPR_TP_STONES: v = stones[Rnd_OwnNext(15)]; break;
        case SPR_TP_SEQ26: v = kSeq26[r]; r = (r + 1) % 26; break;
        case SPR_TP_TAB36: v = kTab36[r]; r = (r + 1) % 36; break;
        case SPR_TP_CODES45:
          if (zoom == 1) {
            v = Pal_ColourCodeToBgr(kCodes45[r]) & 0xFFFFFF;
            r = (r + 1) % 45;
          } else {
            v = Pal_ColourCodeToBgr(kCodes45[Rnd_OwnNext(45)]) & 0xFFFFFF;
          }
          break;
        case SPR_TP_TWO: v = ((col + row) & 1) ? colourB : colourA; break;
        default: v = colourA; break;
      }
      int bx = (strip * mw + col) * f, by = (mh - 1 - row) * f;
      for (int yy = 0; yy < f; ++yy)
        for (int xx = 0; xx < f; ++xx) buf[(by + yy) * W + bx + xx] = v;
    }
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

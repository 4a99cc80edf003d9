#include "render/terrain.h"

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/tim.h"
#include "render/compose.h"
#include "render/gfxfile.h"
#include "render/pal.h"
#include "render/terrain_tab.h"

static u8 (*g_sprMasks)[16][8] = nullptr;
static u8 (*g_sprMasks2)[32][16] = nullptr;  // the zoom-2 masks of the pieces

// ---------------------------------------------------------------- classes

int Spr_TerrainClass(u32 code, int* variant, int* row, int* plain) {
  int v = 0, r = 0, pl = -1, cls = 0;
  if (code < 16384) {
    u32 c = code & ~0x4000u;
    static const struct {
      u32 to;
      int cls;
    } ranges[] = {{1024, 1},  {2048, 2},  {3072, 3},   {4096, 4},   {4608, 5},   {5120, 6},   {5632, 7},
                  {7168, 8},  {8192, 9},  {9216, 10},  {10240, 11}, {11264, 12}, {12288, 13}, {16384, 14}};
    for (const auto& x : ranges)
      if (c < x.to) {
        cls = x.cls;
        break;
      }
    if ((cls >= 1 && cls <= 4) || cls >= 9) v = (c >> 9) & 1;
    int s = int(c & 0x1FF);
    if (s <= 3) r = s + 1;
    else if (s <= 11) r = s - 3;
    else if (s <= 15) r = s + 7;
    else if (s <= 23) r = s + 98;
    else if (s <= 95) r = s - 15;
    else if (s >= 208 && s <= 210) r = 2;
    else if ((s >= 136 && s <= 151) || (s >= 256 && s <= 259)) r = (s & 3) + 1;
    else if (s >= 260 && s <= 263) r = 1;
    else if (s >= 168 && s <= 175) r = s - 168 + 81;
    else if (s >= 184 && s <= 191) r = s - 184 + 81;
    else if (s >= 272 && s <= 287) r = s - 272 + 89;
    else if (s >= 288 && s <= 303) r = s - 288 + 127;
    else if (s >= 472 && s <= 495) {
      r = 57 + (s & 7);
      pl = (s - 472) / 8;
      cls += 9;
      if (cls > 14) cls = 14;
    } else if (s >= 496) r = s - 496 + 9;
    else {
      static const int m[4] = {2, 1, 3, 4};
      r = m[(c >> 1) & 3];
    }
  }
  if (variant) *variant = v;
  if (row) *row = r;
  if (plain) *plain = pl;
  return cls;
}

// ---------------------------------------------------------------- masks

int Spr_LoadTerrainMasks(void) {
  Spr_FreeTerrainMasks();
  u8(*m)[16][8] = static_cast<u8(*)[16][8]>(Heap_Alloc(GFX_BASE_PICTURES * 16 * 8));
  if (!m) return 5;
  int r = Fio_OpenRead(u"orba.gzg", 1, 0);
  if (r == 0) {
    r = GfxFile_ReadBase(m);
    Fio_CloseRead();
  }
  if (r != 0) {
    Heap_Free(m);
    return r;
  }
  u8(*m2)[32][16] = static_cast<u8(*)[32][16]>(Heap_Alloc(104 * 32 * 16));
  if (!m2) {
    Heap_Free(m);
    return 5;
  }
  for (int n = 0; n < 104; ++n) {
    // Piece n at zoom 2: pictures 152 + k, 153 + k on top, 144 + k, 145 + k below.
    int k = (n % 4) * 2 + (n / 4) * 16;
    const int pics[4] = {152 + k, 153 + k, 144 + k, 145 + k};
    for (int q = 0; q < 4; ++q) {
      int r0 = q < 2 ? 0 : 16, c0 = (q & 1) ? 8 : 0;
      for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 8; ++c) m2[n][r0 + r][c0 + c] = pics[q] < GFX_BASE_PICTURES ? m[pics[q]][r][c] : 0;
    }
  }
  g_sprMasks = m;
  g_sprMasks2 = m2;
  return 0;
}

void Spr_FreeTerrainMasks(void) {
  if (g_sprMasks) Heap_Free(g_sprMasks);
  if (g_sprMasks2) Heap_Free(g_sprMasks2);
  g_sprMasks = nullptr;
  g_sprMasks2 = nullptr;
}

// ---------------------------------------------------------------- terrain pieces

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

// ---------------------------------------------------------------- terrain

static u32 GroundColour(int cls) {
  static const int pal[15] = {0, 74, 75, 76, 77, 78, 79, 80, 81, 0, 74, 75, 76, 77, 0};
  return (cls >= 0 && cls < 15 && pal[cls]) ? Spr_Palette(pal[cls]) : SPR_NO_COLOUR;
}

// Draws the patterns of a ground row: every strip piece with the blitter.
static void DrawRow(int row, int kind, u32 a, u32 b, i32 seed, int zoom, int onlyPattern = -1) {
  if (row <= 0 || row >= TERRAIN_ROWS) return;
  for (int i = 0; i < 4; ++i) {
    int pat = kTerrainShapeRows[row][i];
    if (pat == 255) break;
    if (onlyPattern >= 0 && i != onlyPattern) continue;
    if (pat >= TERRAIN_PATTERNS) continue;
    for (int s = 0; s < 4; ++s) Spr_BlitTerrainPiece(kind, kTerrainStripPieces[pat][s], s, a, b, seed, zoom);
  }
}

static u32 BaseFill(int cls, int zoom) {
  switch (cls) {
    case 1: case 10: Spr_FillBuffer(Pal_ColourCodeToBgr(8) & 0xFFFFFF, zoom); break;
    case 2: case 11: Spr_FillDither(Pal_ColourCodeToBgr(7) & 0xFFFFFF, Pal_ColourCodeToBgr(20) & 0xFFFFFF, zoom); break;
    case 3: case 12: Spr_FillDither(Pal_ColourCodeToBgr(36) & 0xFFFFFF, Pal_ColourCodeToBgr(8) & 0xFFFFFF, zoom); break;
    case 4: case 13: Spr_FillBuffer(Pal_ColourCodeToBgr(38) & 0xFFFFFF, zoom); break;
    case 9: Spr_FillBuffer(Pal_ColourCodeToBgr(1) & 0xFFFFFF, zoom); break;
  }
  return 0;
}

static void TwoColours(int cls, u32* a, u32* b) {
  static const int ca[5] = {8, 7, 36, 38, 1}, cb[5] = {8, 20, 8, 38, 1};
  int i = cls == 9 ? 4 : ((cls - 1) % 9) % 4;
  if (cls >= 10) i = cls - 10;
  *a = Pal_ColourCodeToBgr(u32(ca[i])) & 0xFFFFFF;
  *b = Pal_ColourCodeToBgr(u32(cb[i])) & 0xFFFFFF;
}

void Spr_TerrainEdge(int zoom, i32 level, i32 y, i32 x, int below, int fill, u32 colour) {
  i32 ny = below ? y + 1 : y - 1;
  if (ny < 0 || ny > 32767) return;
  u32 code = Spr_CellCode(x, ny, level);
  if (code >= 16384) return;
  int variant = 0;
  int cls = Spr_TerrainClass(code, &variant, nullptr, nullptr);
  int row = below ? kTerrainEdgeRowBelow[code & 0x1FF] : kTerrainEdgeRowAbove[code & 0x1FF];
  if (row < 0) return;
  i32 parity = (x ^ ny) & 1;
  if (fill) {
    DrawRow(row, SPR_TP_SOLID, colour == SPR_NO_COLOUR ? GroundColour(cls) : colour, 0, parity, zoom);
    return;
  }
  if ((cls >= 1 && cls <= 4) || (cls >= 9 && cls <= 13)) {
    if (!variant) return;
    u32 a, b;
    TwoColours(cls, &a, &b);
    DrawRow(row, SPR_TP_TWO, a, b, parity, zoom);
  } else if (cls >= 5 && cls <= 8) {
    if (cls <= 6 && g_sprOptions.schotter) DrawRow(row, SPR_TP_STONES, 0, 0, parity, zoom);
    if (cls == 7) DrawRow(row, SPR_TP_SEQ26, 0, 0, parity, zoom);
    if (cls == 8 && g_sprOptions.schotter) DrawRow(row, SPR_TP_CODES45, 0, 0, parity, zoom);
    DrawRow(row, SPR_TP_PLAIN, Spr_Palette(cls == 6 ? 83 : 82), 0, parity, zoom);
  } else if (cls == 14) {
    DrawRow(row, SPR_TP_TAB36, 0, 0, parity, zoom);
  }
}

// Layer 1 of the cell below: what its picture puts under this cell's ground.
static void Below1(int zoom, i32 level, i32 y, i32 x, int hidden) {
  Spr_DrawCellLayer(Spr_CellCode(x, y + 1, level), 0, 0, zoom, level, y + 1, x, hidden, 1, 16, 0);
}

void Spr_ComposeNeighbourEdges(int zoom, i32 level, i32 y, i32 x, int hidden) {
  Spr_TerrainEdge(zoom, level, y, x, 1, 0, 0);
  Below1(zoom, level, y, x, hidden);
  Spr_TerrainEdge(zoom, level, y, x, 0, 0, 0);
  Spr_DrawCellLayer(Spr_CellCode(x, y - 1, level), 0, 0, zoom, level, y - 1, x, hidden, 3, -16, 0);
}

u32 Spr_ComposeTerrain(u32 code, int zoom, i32 level, i32 y, i32 x, int hidden) {
  int variant = 0, row = 0, plain = -1;
  int cls = Spr_TerrainClass(code, &variant, &row, &plain);
  i32 parity = (x ^ y) & 1;
  u32 ground = GroundColour(cls);
  int common = (cls >= 5 && cls <= 8) || cls == 14 || variant;
  if (common) {
    Spr_FillBuffer(Spr_CurrentBackground(), zoom);
    Spr_DrawCellBackground(x, y, zoom);
    Spr_ComposeNeighbourEdges(zoom, level, y, x, hidden);
  } else {
    BaseFill(cls, zoom);
  }
  u32 a, b;
  switch (cls) {
    case 1: case 2: case 3: case 4:
      if (variant) {
        TwoColours(cls, &a, &b);
        DrawRow(row, SPR_TP_TWO, a, b, parity, zoom);
      }
      DrawRow(row, SPR_TP_SOLID, ground, 0, parity, zoom);
      break;
    case 5: case 6:
      if (g_sprOptions.schotter) DrawRow(row, SPR_TP_STONES, 0, 0, parity, zoom);
      DrawRow(row, SPR_TP_PLAIN, Spr_Palette(cls == 6 ? 83 : 82), 0, parity, zoom);
      Below1(zoom, level, y, x, hidden);
      DrawRow(row, SPR_TP_SOLID, ground, 0, parity, zoom);
      break;
    case 7:
      DrawRow(row, SPR_TP_SEQ26, 0, 0, parity, zoom);
      Below1(zoom, level, y, x, hidden);
      DrawRow(row, SPR_TP_SOLID, ground, 0, parity, zoom);
      break;
    case 8:
      if (g_sprOptions.schotter) DrawRow(row, SPR_TP_CODES45, 0, 0, parity, zoom);
      DrawRow(row, SPR_TP_PAL84, 0, 0, parity, zoom);
      Below1(zoom, level, y, x, hidden);
      DrawRow(row, SPR_TP_SOLID, ground, 0, parity, zoom);
      break;
    case 9: case 10: case 11: case 12: case 13:
      if (variant) {
        TwoColours(cls, &a, &b);
        DrawRow(row, SPR_TP_TWO, a, b, parity, zoom);
      }
      if (plain >= 0) DrawRow(row, SPR_TP_SOLID, cls == 9 ? Spr_Palette(85) : ground, 0, parity, zoom, plain);
      if (cls == 9 ? g_sprOptions.fwH2O : g_sprOptions.fwBus)
        for (int i = 0; i < 4; ++i)
          if (i != plain) DrawRow(row, SPR_TP_SECOND, Spr_Palette(cls == 9 ? 85 : 86 + cls - 10), 0, parity, zoom, i);
      break;
    case 14:
      DrawRow(row, SPR_TP_TAB36, 0, 0, parity, zoom);
      Below1(zoom, level, y, x, hidden);
      DrawRow(row, SPR_TP_OLIVE, 0, 0, parity + x * 7 + y * 13, zoom);
      break;
  }
  return ground;
}


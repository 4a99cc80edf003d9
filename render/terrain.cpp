#include "render/terrain.h"

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/tim.h"
#include "render/compose.h"
#include "render/gfxfile.h"
#include "render/pal.h"
#include "render/terrain_tab.h"

// Pieces 0..103 are ground; 88..119 double as the grid text glyphs.
enum { SPR_TP_KINDS = SPR_TP_SECOND + 1, TERRAIN_PIECES = 120 };

static u8 (*g_sprMasks)[16][8] = nullptr;
static u8 (*g_sprMasks2)[32][16] = nullptr;  // the zoom-2 masks of the pieces
static void FreePieceSpans(void);

// ---------------------------------------------------------------- classes

int Spr_TerrainClass(u32 code, int* variant, int* row, int* plain) {
  int v = 0, r = 0, pl = -1, cls = 0;
  if (code < CELL_RESERVED_BIT) {
    const u32 c = code;
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
    if ((cls >= 1 && cls <= 4) || cls >= 9) v = (c & CELL_VARIANT_BIT) ? 1 : 0;
    int s = int(Cell_Shape(c));
    if (s <= 3) r = s + 1;
    else if (s <= 11) r = s - 3;
    else if (s <= 15) r = s + 7;
    else if (s <= 23) r = s + 98;
    else if (s <= 95) r = s - 15;
    else if (s >= 208 && s <= 210) r = 2;
    else if ((s >= 136 && s <= 151) || (s >= 256 && s <= 259)) r = (s & 3) + 1;
    // Crossings and platforms join like vertical track (the connection
    // table), so they lie on the vertical track's row.
    else if (s >= 260 && s <= 263) r = 2;
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
  int r = Fio_OpenRead(u"orba.gzg", 0, FOLDER_PROGRAM);
  if (r == 0) {
    r = GfxFile_ReadBase(m);
    Fio_CloseRead();
  }
  if (r != 0) {
    Heap_Free(m);
    return r;
  }
  u8(*m2)[32][16] = static_cast<u8(*)[32][16]>(Heap_Alloc(TERRAIN_PIECES * 32 * 16));
  if (!m2) {
    Heap_Free(m);
    return 5;
  }
  for (int n = 0; n < TERRAIN_PIECES; ++n) {
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
  FreePieceSpans();
}

// ---------------------------------------------------------------- terrain pieces

// The pixels a blitter kind draws of each piece, as buffer offsets from the
// strip's bottom-left corner (zoom 4: the top-left pixel of each 2 x 2
// block), in the mask's top-down order, which the colour sequences follow.
// Built for a kind and zoom on first use after the masks were loaded, so a
// blit writes only pixels it draws and tests no mask bits.
struct PieceSpans {
  u16* off;                    // every piece's offsets, one after the other
  u16 first[TERRAIN_PIECES];   // where piece n starts in off
  u16 count[TERRAIN_PIECES];
  u8* two;                     // SPR_TP_TWO: 1 where (column + row) is odd
};
static PieceSpans* g_spans[SPR_TP_KINDS][3];

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

static void FreePieceSpans(void) {
  for (auto& byZoom : g_spans)
    for (PieceSpans*& p : byZoom) {
      if (!p) continue;
      if (p->off) Heap_Free(p->off);
      if (p->two) Heap_Free(p->two);
      Heap_Free(p);
      p = nullptr;
    }
}

static const PieceSpans* SpansOf(int kind, int zoom) {
  int zi = zoom == 1 ? 0 : zoom == 2 ? 1 : 2;
  if (g_spans[kind][zi]) return g_spans[kind][zi];
  if (!g_sprMasks || !g_sprMasks2) return nullptr;
  int mz = zoom == 1 ? 1 : 2, mw = 8 * mz, mh = 16 * mz, f = zoom == 4 ? 2 : 1, W = Spr_BufferWidth(zoom);
  int bits = MaskBits(kind);
  auto mask = [&](int n) { return mz == 1 ? &g_sprMasks[n][0][0] : &g_sprMasks2[n][0][0]; };
  u32 total = 0;
  for (int n = 0; n < TERRAIN_PIECES; ++n)
    for (int i = 0; i < mw * mh; ++i) total += (mask(n)[i] & bits) != 0;
  PieceSpans* p = static_cast<PieceSpans*>(Heap_Alloc(sizeof(PieceSpans)));
  if (!p) return nullptr;
  p->off = static_cast<u16*>(Heap_Alloc((total + 1) * sizeof(u16)));
  p->two = kind == SPR_TP_TWO ? static_cast<u8*>(Heap_Alloc(total + 1)) : nullptr;
  if (!p->off || (kind == SPR_TP_TWO && !p->two)) {
    if (p->off) Heap_Free(p->off);
    if (p->two) Heap_Free(p->two);
    Heap_Free(p);
    return nullptr;
  }
  u32 k = 0;
  for (int n = 0; n < TERRAIN_PIECES; ++n) {
    p->first[n] = u16(k);
    for (int row = 0; row < mh; ++row)
      for (int col = 0; col < mw; ++col) {
        if (!(mask(n)[row * mw + col] & bits)) continue;
        if (p->two) p->two[k] = u8((col + row) & 1);
        p->off[k++] = u16((mh - 1 - row) * f * W + col * f);
      }
    p->count[n] = u16(k - p->first[n]);
  }
  g_spans[kind][zi] = p;
  return p;
}

// The random sequences of the textured kinds depend only on the seed, not
// on the piece: the k-th drawn pixel of any piece takes the k-th number
// after the seed. Kept per seed, made on first use with the generator.
enum { SEQ_LEN = 4 * 512 };  // zoom 4 olive: four numbers per mask pixel
struct SeedSeq {
  u8 made[45];
  u8 v[45][SEQ_LEN];
};
static SeedSeq g_seqStones, g_seqCodes45, g_seqOlive;

static const u8* SeedSequence(SeedSeq* q, int seed, int n) {
  if (seed < 0 || seed >= n) return nullptr;
  if (!q->made[seed]) {
    Rnd_OwnNext(-seed);
    for (int k = 0; k < SEQ_LEN; ++k) q->v[seed][k] = u8(Rnd_OwnNext(n));
    q->made[seed] = 1;
  }
  return q->v[seed];
}

const u8* Spr_TerrainMask(int piece, int zoom) {
  if (!g_sprMasks || !g_sprMasks2 || piece < 0 || piece >= TERRAIN_PIECES) return nullptr;
  return zoom == 1 ? &g_sprMasks[piece][0][0] : &g_sprMasks2[piece][0][0];
}

static const u32 kSeq26[26] = {0x8A7F6A, 0x958A73, 0x7E735F, 0x9C907A, 0x857A66, 0xA09580, 0x8F846E, 0x786D5A, 0x97886F,
                               0x887C68, 0xA3977F, 0x7A6F5C, 0x918672, 0x8C816C, 0x9A8E78, 0x827763, 0x9D927C, 0x7F7460,
                               0x938873, 0x8B7F6B, 0xA29680, 0x7C715D, 0x968B75, 0x877B67, 0x9E937D, 0x817662};
static const u32 kTab36[36] = {
    0x3F7A2E, 0x46822F, 0x3A7329, 0x4C8935, 0x41772C, 0x508E38, 0x3D7B30, 0x47852F, 0x386F28, 0x4A8733, 0x43802D, 0x52903A,
    0x3E762B, 0x488431, 0x3B712A, 0x4D8A36, 0x42792E, 0x4F8D37, 0x407C2F, 0x49862F, 0x37702A, 0x4B8834, 0x447F2D, 0x518F39,
    0x3C752C, 0x468331, 0x39722A, 0x4E8B35, 0x43782E, 0x4F8C38, 0x3F7A2F, 0x488530, 0x3A7029, 0x4C8933, 0x45812E, 0x50903A};
// Colour codes of the mixed ground: earth browns and stone greys of one
// lightness, in an order that keeps equal colours apart.
static const u8 kCodes45[45] = {17, 26, 53, 18, 8, 27, 19, 54, 17, 53, 26, 18, 27, 8, 54, 19, 53, 17, 26, 18, 8, 54, 27, 19, 17, 53, 18, 26, 8, 27, 54, 19, 53, 17, 18, 26, 27, 8, 54, 53, 17, 19, 26, 18, 8};

u32 Spr_Seq26Colour(int i) { return kSeq26[((i % 26) + 26) % 26]; }
u32 Spr_Tab36Colour(int i) { return kTab36[((i % 36) + 36) % 36]; }

// The palette colours the textured kinds pick from, looked up once for a
// whole row of pieces.
struct PieceColours {
  u32 stones[15];
  u32 codes45[45];
};

// The colours for the kind in *pc, or null when the kind needs none.
static const PieceColours* ResolveColours(int kind, PieceColours* pc) {
  if (kind == SPR_TP_STONES) {
    for (int i = 0; i < 15; ++i) pc->stones[i] = Spr_Palette(110 + i);
    return pc;
  }
  if (kind == SPR_TP_CODES45) {
    for (int i = 0; i < 45; ++i) pc->codes45[i] = Pal_ColourCodeToBgr(kCodes45[i]) & 0xFFFFFF;
    return pc;
  }
  return nullptr;
}

// The pixels one piece covers in the strip's buffer.
struct PieceTarget {
  CellPixel* buf;
  const u16* off;
  int count, W, zoom;
  // Zoom 4 writes 2 x 2 blocks of the zoom-2 mask.
  void Put(int k, u32 v) const {
    CellPixel* t = buf + off[k];
    t[0] = v;
    if (zoom == 4) t[1] = t[W] = t[W + 1] = v;
  }
};

// Colours picked by the seed's random sequence of 0..n-1; without a kept
// sequence (a seed out of range) the generator draws them live.
static void BlitSeeded(const PieceTarget& t, SeedSeq* seq, int start, int n, const u32* colours) {
  const u8* q = SeedSequence(seq, start, n);
  if (!q) {
    Rnd_OwnNext(-start);
    for (int k = 0; k < t.count; ++k) t.Put(k, colours[Rnd_OwnNext(n)]);
    return;
  }
  for (int k = 0; k < t.count; ++k) t.Put(k, colours[q[k]]);
}

static void BlitOlive(const PieceTarget& t, i32 seed, int strip) {
  auto olive = [](int g) { return 168u << 16 | u32(121 + g) << 8; };
  if (t.zoom == 1) {
    int r = (seed % 32 + 32) % 32;
    for (int k = 0; k < t.count; ++k) {
      t.buf[t.off[k]] = olive(r);
      r = (r + 17) % 32;
    }
    return;
  }
  // Zoom 4 takes a new number for each pixel of its 2 x 2 blocks.
  const u8* q = SeedSequence(&g_seqOlive, ((seed + strip) * 3) % 31, 31);
  int live = !q;
  if (live) Rnd_OwnNext(-(((seed + strip) * 3) % 31));
  int j = 0;
  auto next = [&]() { return live ? Rnd_OwnNext(31) : q[j++]; };
  const int W = t.W;
  for (int k = 0; k < t.count; ++k) {
    CellPixel* p = t.buf + t.off[k];
    p[0] = olive(next());
    if (t.zoom == 4) {
      p[1] = olive(next());
      p[W] = olive(next());
      p[W + 1] = olive(next());
    }
  }
}

static void BlitPiece(int kind, int piece, int strip, u32 colourA, u32 colourB, i32 seed, int zoom,
                      const PieceColours* pc) {
  if (strip < 0 || strip > 3 || kind < 0 || kind >= SPR_TP_KINDS || piece < 0 || piece >= TERRAIN_PIECES) return;
  if (zoom != 1 && zoom != 2 && zoom != 4) return;
  const PieceSpans* sp = SpansOf(kind, zoom);
  if (!sp || !sp->count[piece]) return;
  const PieceTarget t = {Spr_Buffer(zoom) + strip * 8 * zoom, sp->off + sp->first[piece], sp->count[piece],
                         Spr_BufferWidth(zoom), zoom};
  const int count = t.count;
  // Every sequence starts from the cell's own seed, so a redraw repeats it.
  switch (kind) {
    case SPR_TP_SOLID:
    case SPR_TP_PLAIN:
    case SPR_TP_SECOND:
    case SPR_TP_PAL84: {
      u32 v = kind == SPR_TP_PAL84 ? Spr_Palette(84) : colourA;
      for (int k = 0; k < count; ++k) t.Put(k, v);
      return;
    }
    case SPR_TP_TWO: {
      const u8* odd = sp->two + sp->first[piece];
      for (int k = 0; k < count; ++k) t.Put(k, odd[k] ? colourB : colourA);
      return;
    }
    case SPR_TP_SEQ26: {
      int r = (((seed + strip) * 3) % 26 + 26) % 26;
      for (int k = 0; k < count; ++k) {
        t.Put(k, kSeq26[r]);
        if (++r == 26) r = 0;
      }
      return;
    }
    case SPR_TP_TAB36: {
      int r = (seed % 36 + 36) % 36;
      for (int k = 0; k < count; ++k) {
        t.Put(k, kTab36[r]);
        if (++r == 36) r = 0;
      }
      return;
    }
    case SPR_TP_STONES:
      BlitSeeded(t, &g_seqStones, ((seed + strip) * 3) % 15, 15, pc->stones);
      return;
    case SPR_TP_CODES45:
      if (zoom == 1) {
        int r = (((seed + strip) * 3) % 45 + 45) % 45;
        for (int k = 0; k < count; ++k) {
          t.Put(k, pc->codes45[r]);
          if (++r == 45) r = 0;
        }
        return;
      }
      BlitSeeded(t, &g_seqCodes45, ((seed + strip) * 3) % 45, 45, pc->codes45);
      return;
    case SPR_TP_OLIVE:
      BlitOlive(t, seed, strip);
      return;
  }
}

void Spr_BlitTerrainPiece(int kind, int piece, int strip, u32 colourA, u32 colourB, i32 seed, int zoom) {
  PieceColours pc;
  BlitPiece(kind, piece, strip, colourA, colourB, seed, zoom, ResolveColours(kind, &pc));
}

// ---------------------------------------------------------------- terrain

static u32 GroundColour(int cls) {
  static const int pal[15] = {0, 74, 75, 76, 77, 78, 79, 80, 81, 0, 74, 75, 76, 77, 0};
  return (cls >= 0 && cls < 15 && pal[cls]) ? Spr_Palette(pal[cls]) : SPR_NO_COLOUR;
}

// Draws the patterns of a ground row: every strip piece with the blitter.
static void DrawRow(int row, int kind, u32 a, u32 b, i32 seed, int zoom, int onlyPattern = -1) {
  if (row <= 0 || row >= TERRAIN_ROWS || kTerrainShapeRows[row][0] == 255) return;
  PieceColours store;
  const PieceColours* pc = ResolveColours(kind, &store);
  for (int i = 0; i < 4; ++i) {
    int pat = kTerrainShapeRows[row][i];
    if (pat == 255) break;
    if (onlyPattern >= 0 && i != onlyPattern) continue;
    if (pat >= TERRAIN_PATTERNS) continue;
    for (int s = 0; s < 4; ++s) BlitPiece(kind, kTerrainStripPieces[pat][s], s, a, b, seed, zoom, pc);
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

// The edge of the ground of a neighbour with the given code (below: the
// cell under this one, parity that of the neighbour's cell).
static void EdgeOf(u32 code, int below, int zoom, i32 parity, int fill, u32 colour) {
  if (code >= CELL_RESERVED_BIT) return;
  int row = below ? kTerrainEdgeRowBelow[Cell_Shape(code)] : kTerrainEdgeRowAbove[Cell_Shape(code)];
  if (row < 0) return;
  int variant = 0;
  int cls = Spr_TerrainClass(code, &variant, nullptr, nullptr);
  if (fill) {
    // Classes without a ground colour (water, class 14) have nothing to
    // fill: the no-colour marker is never a pixel.
    if (colour == SPR_NO_COLOUR) colour = GroundColour(cls);
    if (colour != SPR_NO_COLOUR) DrawRow(row, SPR_TP_SOLID, colour, 0, parity, zoom);
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
    if (cls == 8)
      DrawRow(row, SPR_TP_PAL84, 0, 0, parity, zoom);
    else if (cls != 7)
      DrawRow(row, SPR_TP_PLAIN, Spr_Palette(cls == 6 ? 83 : 82), 0, parity, zoom);
  } else if (cls == 14) {
    DrawRow(row, SPR_TP_TAB36, 0, 0, parity, zoom);
  }
}

static void TerrainEdge(int zoom, i32 level, i32 y, i32 x, int below, int fill, u32 colour) {
  i32 ny = below ? y + 1 : y - 1;
  if (ny < 0 || ny > 32767) return;
  EdgeOf(Spr_CellCode(x, ny, level), below, zoom, (x ^ ny) & 1, fill, colour);
}

void Spr_TerrainEdgeAbove(int zoom, i32 level, i32 y, i32 x, int fill, u32 colour) {
  TerrainEdge(zoom, level, y, x, 0, fill, colour);
}

void Spr_TerrainEdgeBelow(int zoom, i32 level, i32 y, i32 x, int fill, u32 colour) {
  TerrainEdge(zoom, level, y, x, 1, fill, colour);
}

// The start of a cell without ground of its own, with the codes of the
// cells below and above already looked up.
static void NeighbourEdges(int zoom, i32 level, i32 y, i32 x, int hidden, u32 below, u32 above) {
  if (y + 1 <= 32767) EdgeOf(below, 1, zoom, (x ^ (y + 1)) & 1, 0, 0);
  Spr_DrawCellLayer(below, 0, 0, zoom, level, y + 1, x, hidden, 1, 16, 0);
  if (y - 1 >= 0) EdgeOf(above, 0, zoom, (x ^ (y - 1)) & 1, 0, 0);
  Spr_DrawCellLayer(above, 0, 0, zoom, level, y - 1, x, hidden, 3, -16, 0);
}

void Spr_ComposeNeighbourEdges(int zoom, i32 level, i32 y, i32 x, int hidden) {
  NeighbourEdges(zoom, level, y, x, hidden, Spr_CellCode(x, y + 1, level), Spr_CellCode(x, y - 1, level));
}

// Layer 1 of the cell below: what its picture puts under this cell's ground.
static void Below1(u32 below, int zoom, i32 level, i32 y, i32 x, int hidden) {
  Spr_DrawCellLayer(below, 0, 0, zoom, level, y + 1, x, hidden, 1, 16, 0);
}

u32 Spr_ComposeTerrain(u32 code, int zoom, i32 level, i32 y, i32 x, int hidden) {
  int variant = 0, row = 0, plain = -1;
  int cls = Spr_TerrainClass(code, &variant, &row, &plain);
  i32 parity = (x ^ y) & 1;
  u32 ground = GroundColour(cls);
  int common = (cls >= 5 && cls <= 8) || cls == 14 || variant;
  u32 below = CELL_EMPTY;
  if (common) {
    below = Spr_CellCode(x, y + 1, level);
    Spr_FillBuffer(Spr_CurrentBackground(), zoom);
    Spr_DrawCellBackground(x, y, zoom);
    NeighbourEdges(zoom, level, y, x, hidden, below, Spr_CellCode(x, y - 1, level));
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
      Below1(below, zoom, level, y, x, hidden);
      DrawRow(row, SPR_TP_SOLID, ground, 0, parity, zoom);
      break;
    case 7:
      DrawRow(row, SPR_TP_SEQ26, 0, 0, parity, zoom);
      Below1(below, zoom, level, y, x, hidden);
      DrawRow(row, SPR_TP_SOLID, ground, 0, parity, zoom);
      break;
    case 8:
      if (g_sprOptions.schotter) DrawRow(row, SPR_TP_CODES45, 0, 0, parity, zoom);
      DrawRow(row, SPR_TP_PAL84, 0, 0, parity, zoom);
      Below1(below, zoom, level, y, x, hidden);
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
      Below1(below, zoom, level, y, x, hidden);
      DrawRow(row, SPR_TP_OLIVE, 0, 0, parity + x * 7 + y * 13, zoom);
      break;
  }
  return ground;
}


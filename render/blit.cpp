#include "render/blit.h"

#include "platform/check.h"
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
  ORBA_CHECK(zoom == 1 || zoom == 2 || zoom == 4);
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

void Spr_BlitPieceZoom1(int wx, int wy, const GfxBlock* b) { Spr_BlitBlock(1, wx, wy, b); }
void Spr_BlitPieceZoom2(int wx, int wy, const GfxBlock* b) { Spr_BlitBlock(2, wx, wy, b); }
void Spr_BlitPieceZoom4(int wx, int wy, const GfxBlock* b) { Spr_BlitBlock(4, wx, wy, b); }

// The blitter of a zoom.
static void BlitPiece(int zoom, int wx, int wy, const GfxBlock* b) {
  if (zoom == 4) Spr_BlitPieceZoom4(wx, wy, b);
  else if (zoom == 2) Spr_BlitPieceZoom2(wx, wy, b);
  else Spr_BlitPieceZoom1(wx, wy, b);
}

void Spr_PlaceBlock(int zoom, int drawZoom, int dx, int dy, const GfxBlock* b) {
  if (drawZoom >= zoom) {
    BlitPiece(zoom, dx * zoom, dy * zoom, b);
    return;
  }
  Spr_FillBuffer(SPR_TRANSPARENT, drawZoom);
  BlitPiece(drawZoom, dx * drawZoom, dy * drawZoom, b);
  if (drawZoom == 1 && zoom == 4) {
    Spr_FillBuffer(SPR_TRANSPARENT, 2);
    Spr_DoubleBuffer(1);
    Spr_DoubleBuffer(2);
  } else {
    Spr_DoubleBuffer(drawZoom);
  }
}

// ---------------------------------------------------------------- vehicles

namespace {

enum : int {
  kCrosswise = 4 | 8 | 16 | 32 | 64 | 128,
  kLengthwise = 1 | 2,
  kMirroredCross = 8 | 16 | 128,  // head on the right: columns counted from the right edge
  kSecondSide = 4 | 32 | 64,
  kFalling = 16 | 32,
  kRising = 64 | 128,
  kTurned = 0x8000
};
// Record flags that choose among the lengthwise pictures.
enum : u16 { kRecFrontPairOnly = 32, kRecOwnTurned = 64, kRecLong = 128 };

const VehicleRecord* RecordOf(u32 vehicle) {
  return (vehicle & VEH_LENGTH_BIT) ? nullptr : Gfx_FindVehicleRecord(vehicle);
}

// The picture a vehicle is drawn from at a zoom: the record's own picture of
// that zoom when the store holds one whose sizes fit the record, else the
// next smaller one (zoom 1 always). *pz is the zoom of the picture chosen.
const VehiclePicture* PictureFor(const VehicleRecord* rec, int zoom, int* pz) {
  for (int z = zoom >= 4 ? 4 : zoom >= 2 ? 2 : 1; z > 1; z /= 2) {
    const VehiclePicture& p = rec->zoom[z == 4 ? 2 : 1];
    if (p.pixels && p.length == rec->length * u32(z) && p.a == rec->a * z && p.b == rec->b * z &&
        p.c == rec->c * z) {
      *pz = z;
      return &p;
    }
  }
  *pz = 1;
  return &rec->zoom[0];
}

const u32* SectionPixels(const VehiclePicture* pic, int section, u32* size) {
  i64 off = Gfx_VehiclePictureSection(pic, section, size);
  return off < 0 ? nullptr : pic->pixels + off;
}

int ZoomOf(int zoom) { return zoom == 2 || zoom == 4 ? zoom : 1; }

// A part's place in the stored picture and in the cell. The pictures are
// stored one way round; a mirrored part (a crosswise head on the right, a
// lengthwise part travelling down) reads its range from the other end of the
// picture (`span` pixels long) and is placed from the other edge of the cell.
// Drawing and exhaust both go through here, so that the particles rise where
// the chimney is drawn.
struct PartSpan {
  int start;        // first column (crosswise) or row offset (lengthwise) in the cell
  int first, last;  // the range in the stored picture
};
PartSpan SpanOf(int start, int first, int last, int mirrored, int span) {
  if (!mirrored) return PartSpan{start, first, last};
  return PartSpan{32 - start - (last - first + 1), span - 1 - last, span - 1 - first};
}
// A position along the vehicle in the stored picture, and back.
int SpanPosition(int along, int mirrored, int span) { return mirrored ? span - 1 - along : along; }

// Writes one particle column of the exhaust: `count` particles at buffer
// column x from row `row` (zoom pixels from the top of the cell) plus a
// random spread, each a grey of its own. Rows outside the buffer are
// dropped after their numbers are drawn, so that the cell above and the
// train's own cell place the same particles.
void SmokeColumn(int zoom, int x, int row, int spread, int count) {
  for (int i = 0; i < count; ++i) {
    int r = row + Rnd_OwnNext(spread);
    u32 g = u32(10 + Rnd_OwnNext(236));
    Spr_SetPixel(zoom, x, r, g * 0x010101u);
  }
}

// The particles of one source pixel at zoom-1 column c and base row `base`
// (from the top of the cell): two at zoom 1, four in each of the zoom's
// columns at zoom 2 and 4.
void SmokeAt(int zoom, int c, int base) {
  if (zoom == 1) {
    SmokeColumn(1, c, base, 3, 2);
  } else {
    for (int i = 0; i < zoom; ++i) SmokeColumn(zoom, zoom * c + i, zoom * base, zoom == 2 ? 7 : 13, 4);
  }
}

// Seeds the own generator with the train's seed; a seed is never negative
// (its sign would ask for a number instead of setting the seed).
void SeedSmoke(i32 seed) { Rnd_OwnNext(-i32(u32(seed) & 0x7FFFFFFFu)); }

struct SmokeSource {
  int position, height, length;
};
int SmokeSources(const VehicleRecord* rec, SmokeSource out[3]) {
  int n = 0;
  for (int m = 0; m < rec->markerCount && m < 3; ++m) {
    if (rec->markers[m][0] == 0xFFFF) break;  // -1: no further source
    out[n++] = SmokeSource{rec->markers[m][0], i16(rec->markers[m][1]), rec->markers[m][2]};
  }
  return n;
}

// The start of every exhaust: the part's range clipped to the vehicle, its
// smoke sources and the seeded generator. The number of sources; 0 (nothing
// to draw) for an empty range or a vehicle without smoke.
int SmokeSetUp(const VehicleRecord* rec, int* first, int* last, i32 seed, SmokeSource src[3]) {
  const int L = int(rec->length);
  if (*first < 0) *first = 0;
  if (*last >= L) *last = L - 1;
  if (*first > *last) return 0;
  int n = SmokeSources(rec, src);
  if (n) SeedSmoke(seed);
  return n;
}

// Crosswise smoke with the vehicle standing `drop` rows lower (empty ground).
void CrosswiseSmoke(u32 vehicle, int f, int first, i32 seed, int zoom, int reachingUp, int start, int last,
                    int drop) {
  const VehicleRecord* rec = RecordOf(vehicle);
  if (!rec || !(f & kCrosswise)) return;
  zoom = ZoomOf(zoom);
  SmokeSource src[3];
  int n = SmokeSetUp(rec, &first, &last, seed, src);
  if (!n) return;
  const int mirrored = (f & kMirroredCross) != 0, L = int(rec->length);
  const PartSpan span = SpanOf(start, first, last, mirrored, L);
  for (int m = 0; m < n; ++m)
    for (int k = 0; k < src[m].length; ++k) {
      int along = src[m].position + k;
      if (along < first || along > last) continue;
      int c = span.start + (SpanPosition(along, mirrored, L) - span.first);
      int base = (reachingUp ? 18 : 2) - src[m].height + (k < 3 ? 3 - k : 0) + drop;
      if (f & kFalling) base += 8 - (31 - c) / 2;
      else if (f & kRising) base += 8 - c / 2;
      SmokeAt(zoom, c, base);
    }
}

}  // namespace

u32 Spr_VehicleLength(const TrnCellPart* p) {
  const VehicleRecord* rec = RecordOf(p->vehicle);
  if (rec && rec->length >= 8) return rec->length;
  // Without a record the id may be an ordinary set id whose low bits are no
  // length at all; the train's entry holds the length the train was built with.
  u32 len = p->length;
  if (len == 0 && (p->vehicle & VEH_LENGTH_BIT)) len = p->vehicle & ~VEH_LENGTH_BIT & 0xFFFF;
  return len < 8 ? 8 : (len > 256 ? 256 : len);
}

int Spr_CrosswiseSection(const VehiclePicture* pic, int f, int alternate) {
  const int turned = (f & kTurned) != 0;
  const int second = ((f & kSecondSide) != 0) != turned;
  if (alternate) {
    int alt = second ? VEH_SIDE_2_ALT : VEH_SIDE_1_ALT;
    if (Gfx_VehiclePictureSection(pic, alt, nullptr) >= 0) return alt;
  }
  return second ? VEH_SIDE_2 : VEH_SIDE_1;
}

void Spr_LengthwiseSections(const VehicleRecord* rec, const VehiclePicture* pic, int f, int* front, int* rear) {
  const int turned = (f & kTurned) != 0;
  // Pair 0 shows the front on the top row, pair 1 on the bottom row: a
  // vehicle travelling down, or a turned one travelling up, shows pair 1.
  int pair = (((f & 2) != 0) != turned) ? 1 : 0;
  if (rec->flags & kRecFrontPairOnly) pair = 0;
  *front = pair ? VEH_TOP_2 : VEH_TOP_1;
  *rear = pair ? VEH_END_2 : VEH_END_1;
  int other = -1;
  if (rec->flags & kRecLong) other = pair ? VEH_TOP_2_LONG : VEH_TOP_1_LONG;
  else if (turned && (rec->flags & kRecOwnTurned)) other = pair ? VEH_END_4 : VEH_END_3;
  if (other >= 0 && Gfx_VehiclePictureSection(pic, other, nullptr) >= 0) *rear = other;
}

const u32* Spr_VehiclePicture(u32 vehicle, int f, int* start, int alternate, int zoom, const VehiclePicture** pic,
                              int* pictureZoom, int* last, int* first) {
  const VehicleRecord* rec = RecordOf(vehicle);
  if (!rec || !(f & kCrosswise)) return nullptr;
  int L = int(rec->length);
  int a = *first < 0 ? 0 : *first, b = *last >= L ? L - 1 : *last;
  if (a > b) return nullptr;
  *start = SpanOf(*start, a, b, (f & kMirroredCross) != 0, L).start;
  *first = a;
  *last = b;
  int pz = 1;
  const VehiclePicture* p = PictureFor(rec, ZoomOf(zoom), &pz);
  u32 size = 0;
  const u32* px = SectionPixels(p, Spr_CrosswiseSection(p, f, alternate), &size);
  if (!px) return nullptr;
  if (pic) *pic = p;
  if (pictureZoom) *pictureZoom = pz;
  return px;
}

namespace {

// What one vehicle part is drawn from: its record (none: a placeholder), the
// picture of the zoom chosen for it and the zoom of that picture.
struct PartSource {
  const VehicleRecord* rec;
  const VehiclePicture* pic;
  int pz;
};

// Crosswise and diagonal: the side view, the head on the side the flags
// name. On the empty cell the vehicle stands low, without its alternate
// pictures, and zoom 4 shows the zoom-2 picture doubled.
void DrawCrosswise(const TrnCellPart* p, const VehicleRecord* rec, int L, int first, int last, int zoom,
                   int reachingUp, int emptyGround, int alternate) {
  const int f = p->flags;
  const int mirrored = (f & kMirroredCross) != 0;
  PartSource s = {rec, nullptr, 1};
  const u32* side = nullptr;
  if (rec) {
    int start = p->start;  // placed by the span below, as the picture choice places it
    side = Spr_VehiclePicture(p->vehicle, f, &start, emptyGround ? 0 : alternate, emptyGround && zoom == 4 ? 2 : zoom,
                              &s.pic, &s.pz, &last, &first);
    if (!side) return;
  }
  // A mirrored part shows the side picture as it is stored, its range
  // mirrored within the length (the front at the right).
  const PartSpan span = SpanOf(p->start, first, last, mirrored, L);
  const int n = last - first + 1;
  const int fz = zoom / s.pz;
  const int height = rec ? int(rec->a) : 8;
  const int Lz = s.pic ? int(s.pic->length) : 0, Az = s.pic ? int(s.pic->a) : 0;
  const int base = emptyGround ? 2 : 8;  // bottom row counted from the bottom of the cell
  // Diagonals: the bottom row runs along the track, one buffer pixel up or
  // down every two buffer columns (15 - col/2 or col/2 rows counted from
  // the bottom of the cell at zoom 1), so larger zooms show a smooth slope
  // rather than zoom-1 stairs.
  const int Z = zoom, rows = 16 * Z, baseZ = base * Z - (reachingUp ? rows : 0);
  for (int k = 0; k < n; ++k) {
    const int col = span.start + k;
    if (col < 0 || col > 31) continue;
    const int stored = span.first + k;  // position in the picture as stored
    for (int xx = 0; xx < Z; ++xx) {
      const int X = col * Z + xx;
      int lift = 0;
      if (f & kFalling) lift = 7 * Z - X / 2;
      if (f & kRising) lift = X / 2 - 8 * Z;
      for (int up = 0; up < height * Z; ++up) {
        const int rowBottom = baseZ + up + lift;
        if (rowBottom < 0 || rowBottom >= rows) continue;
        u32 v;
        if (side) v = side[(Az - 1 - up / fz) * Lz + stored * s.pz + xx / fz];
        else v = (SpanPosition(stored, mirrored, L) & 1) ? 0xF0F0F0u : 0x00FF00u;
        if (v == SPR_NO_COLOUR || v == SPR_TRANSPARENT) continue;
        Spr_SetPixel(zoom, X, rows - 1 - rowBottom, v);
      }
    }
  }
}

// The two halves of a lengthwise picture: the top view of its direction
// (front, stored column by column) and what shows below it (rear: the end
// view row by row, or the long top view's second picture column by column).
struct LengthwiseHalves {
  const u32 *front, *rear;
  int rearColumns;  // the rear half is stored column by column
  int Bz, rowsZ, rearRowsZ;
};

int LengthwiseHalvesOf(const PartSource& s, int f, LengthwiseHalves* h) {
  *h = LengthwiseHalves{nullptr, nullptr, 0, 0, 0, 0};
  if (!s.pic) return 1;
  int fs, rs;
  u32 size;
  Spr_LengthwiseSections(s.rec, s.pic, f, &fs, &rs);
  h->front = SectionPixels(s.pic, fs, &size);
  h->rear = SectionPixels(s.pic, rs, &size);
  if (!h->front) return 0;
  h->rearColumns = rs == VEH_TOP_1_LONG || rs == VEH_TOP_2_LONG;
  h->Bz = int(s.pic->b);
  h->rowsZ = int(s.pic->length) / 2;
  h->rearRowsZ = !h->rear ? 0 : h->rearColumns ? h->rowsZ : int(s.pic->c);
  return 1;
}

// The pixel of a lengthwise picture at row rz, column cz (picture zoom).
u32 LengthwisePixel(const LengthwiseHalves& h, int rz, int cz) {
  if (rz < h.rowsZ) return h.front[cz * h.rowsZ + rz];
  const int rr = rz - h.rowsZ;
  if (rr >= h.rearRowsZ) return SPR_NO_COLOUR;
  return h.rearColumns ? h.rear[cz * h.rowsZ + rr] : h.rear[rr * h.Bz + cz];
}

// Lengthwise: one row per two pixels of length, counted from the top of
// the cell. The picture is the top view of its direction followed by what
// shows below it (front and rear half); it stands e rows (the height
// offset) above the vehicle's place, so the roof rises into the cell above
// and the rear face fills the rows of the vehicle's own end. Travelling
// down, the part is mirrored: its range counts from the picture's top.
void DrawLengthwise(const TrnCellPart* p, const VehicleRecord* rec, int L, int first, int last, int zoom,
                    int reachingUp) {
  const int f = p->flags;
  PartSpan span = SpanOf(p->start, first, last, (f & 2) != 0, L & ~1);
  if (span.first < 0) span.first = 0;
  if (span.last < span.first) return;
  PartSource s = {rec, nullptr, 1};
  if (rec) s.pic = PictureFor(rec, zoom, &s.pz);
  LengthwiseHalves h;
  if (!LengthwiseHalvesOf(s, f, &h)) return;
  const int fz = zoom / s.pz;
  const int width = rec ? int(rec->b) : 8;
  const int e = rec ? int(rec->c) : 0;
  const int startRow = span.start / 2 - e + (reachingUp ? 16 : 0);
  for (int k = 0; span.first / 2 - e + k <= (span.last - 1) / 2; ++k) {
    const int rowTop = startRow + k;
    if (rowTop > 15) break;
    if (rowTop < 0) continue;
    const int R = span.first / 2 + k;  // picture row at zoom 1
    for (int c = 0; c < width; ++c) {
      const int col = 16 - width / 2 + c;
      for (int yy = 0; yy < zoom; ++yy)
        for (int xx = 0; xx < zoom; ++xx) {
          u32 v;
          if (s.pic) v = LengthwisePixel(h, R * s.pz + yy / fz, c * s.pz + xx / fz);
          else v = (c & 1) ? 0xF0F0F0u : (R * 2 < L / 2 ? 0x0000FFu : 0xFF0000u);
          if (v == SPR_NO_COLOUR || v == SPR_TRANSPARENT) continue;
          Spr_SetPixel(zoom, col * zoom + xx, rowTop * zoom + yy, v);
        }
    }
  }
}

}  // namespace

void Spr_DrawVehiclePart(const TrnCellPart* p, int zoom, int reachingUp, int emptyGround, int alternate) {
  const VehicleRecord* rec = RecordOf(p->vehicle);
  const int L = int(Spr_VehicleLength(p));
  const int first = p->first < 0 ? 0 : p->first, last = p->last >= L ? L - 1 : p->last;
  if (first > last) return;
  zoom = ZoomOf(zoom);
  // Every zoom-1 position of the placement becomes a zoom x zoom block; the
  // block takes the pixels of the picture of the largest zoom the store has
  // (pz), each of its pixels fz x fz buffer pixels when pz is below the zoom.
  if (p->flags & kCrosswise) DrawCrosswise(p, rec, L, first, last, zoom, reachingUp, emptyGround, alternate);
  else if (p->flags & kLengthwise) DrawLengthwise(p, rec, L, first, last, zoom, reachingUp);
  ORBA_CHECK(Spr_BuffersIntact());
}

void Spr_DrawVehicleSmoke(u32 vehicle, int flags, int first, i32 seed, int zoom, int reachingUp, int start, int last) {
  CrosswiseSmoke(vehicle, flags, first, seed, zoom, reachingUp, start, last, 0);
}

void Spr_DrawVehicleSmokeLengthwise(u32 vehicle, int f, int first, i32 seed, int zoom, int reachingUp, int start,
                                    int last) {
  const VehicleRecord* rec = RecordOf(vehicle);
  if (!rec || !(f & kLengthwise) || (f & kCrosswise)) return;
  zoom = ZoomOf(zoom);
  const int even = int(rec->length) & ~1;
  SmokeSource src[3];
  int n = SmokeSetUp(rec, &first, &last, seed, src);
  if (!n) return;
  const int mirrored = (f & 2) != 0;
  PartSpan span = SpanOf(start, first, last, mirrored, even);
  if (span.first < 0) span.first = 0;
  for (int m = 0; m < n; ++m)
    for (int k = 0; k < src[m].length; ++k) {
      int along = src[m].position + k;
      if (along < first || along > last) continue;
      int a = SpanPosition(along, mirrored, even);
      if (a < 0) continue;
      // The row of the source's place on the track, as the crosswise rule
      // counts from the vehicle's bottom row (7 from the top of the cell).
      int ground = span.start / 2 + a / 2 - span.first / 2;
      int base = ground - 5 - src[m].height + (k < 3 ? 3 - k : 0) + (reachingUp ? 16 : 0);
      SmokeAt(zoom, 15 + (k & 1), base);
    }
}

static void PartSmoke(const TrnCellPart* p, const TrnCellImage* img, int zoom, int reachingUp, int drop) {
  if (p->flags & kCrosswise)
    CrosswiseSmoke(p->vehicle, p->flags, p->first, img->seed, zoom, reachingUp, p->start, p->last, drop);
  else if (p->flags & kLengthwise)
    Spr_DrawVehicleSmokeLengthwise(p->vehicle, p->flags, p->first, img->seed, zoom, reachingUp, p->start, p->last);
}

void Spr_DrawTrainParts(const TrnCellImage* img, int zoom) {
  const int empty = img->saved == 0xC000;
  const int n = img->count > 8 ? 8 : img->count;
  if (n <= 0) return;
  const int lengthFirst = (img->parts[0].flags & 1) || (img->parts[n - 1].flags & 2);
  for (int pass = 0; pass < 2; ++pass) {
    int lengthwise = (pass == 0) == (lengthFirst != 0);
    if (lengthwise) {
      for (int i = 0; i < n; ++i)
        if (img->parts[i].flags & 1) Spr_DrawVehiclePart(&img->parts[i], zoom, 0, empty, img->alternate);
      for (int i = n - 1; i >= 0; --i)
        if (img->parts[i].flags & 2) Spr_DrawVehiclePart(&img->parts[i], zoom, 0, empty, img->alternate);
    } else {
      for (int i = 0; i < n; ++i)
        if (img->parts[i].flags & kCrosswise) Spr_DrawVehiclePart(&img->parts[i], zoom, 0, empty, img->alternate);
    }
  }
  // On the empty cell crosswise vehicles stand six rows lower; so does
  // their exhaust.
  if (img->smoke)
    for (int i = 0; i < n; ++i) PartSmoke(&img->parts[i], img, zoom, 0, empty ? 6 : 0);
}

void Spr_DrawTrainPartsFromBelow(const TrnCellImage* img, int zoom) {
  const int n = img->count > 8 ? 8 : img->count;
  // On the empty cell crosswise vehicles stand as low as in their own cell.
  const int empty = img->saved == 0xC000;
  for (int i = 0; i < n; ++i)
    if (img->parts[i].flags & (32 | 128 | 4 | 8 | 1))
      Spr_DrawVehiclePart(&img->parts[i], zoom, 1, empty, img->alternate);
  for (int i = n - 1; i >= 0; --i)
    if (img->parts[i].flags & (2 | 16 | 64)) Spr_DrawVehiclePart(&img->parts[i], zoom, 1, empty, img->alternate);
  if (img->smoke)
    for (int i = 0; i < n; ++i) PartSmoke(&img->parts[i], img, zoom, 1, empty ? 6 : 0);
}

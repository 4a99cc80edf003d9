#include "render/img.h"

#include "model/grid.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "render/ovw.h"
#include "render/pal.h"

int Img_ExportArea(const ImgBox* box, i32* x1, i32* y1, i32* x2, i32* y2) {
  if (box && (box->level1 == 0 || box->level2 == 0)) {
    *x1 = box->x1 < box->x2 ? box->x1 : box->x2;
    *x2 = box->x1 < box->x2 ? box->x2 : box->x1;
    *y1 = box->y1 < box->y2 ? box->y1 : box->y2;
    *y2 = box->y1 < box->y2 ? box->y2 : box->y1;
    return 0;
  }
  if (Grid_IsEmpty()) return 1;
  i32 l0, l1;
  return Grid_GetExtent(x1, y1, &l0, 0, &l1, y2, x2) == 0 ? 0 : 1;
}

enum { IMG_BACKGROUND_CLASS = 133 };
// One row of the widest picture (32768 pixels) with its padding.
static u8 g_imgRow[32768 + 4];

struct ImgPlan {
  i32 x1, y1, x2, y2;
  i32 n;          // cells per pixel
  u32 w, h;       // pixels: one per started block
  int mono;
  u32 rowBytes;   // the pixels' bytes of a row
};

static int Img_Plan(const ImgBox* box, ImgPlan* p) {
  if (Img_ExportArea(box, &p->x1, &p->y1, &p->x2, &p->y2) != 0) return IMG_EMPTY;
  p->n = g_ovwExport.scale >= 1 && g_ovwExport.scale <= 64 ? g_ovwExport.scale : 1;
  const u32 W = u32(p->x2 - p->x1 + 1), H = u32(p->y2 - p->y1 + 1);
  p->w = (W + u32(p->n) - 1) / u32(p->n);
  p->h = (H + u32(p->n) - 1) / u32(p->n);
  p->mono = (g_ovwExport.options & IMG_MONO) ? 1 : 0;
  p->rowBytes = p->mono ? (p->w + 7) / 8 : p->w;
  return 0;
}

// One picture row: palette indexes (8 bits), or bits with the first pixel
// highest (1 for the background, 0 for anything drawn). out holds rowBytes.
static void Img_Row(const ImgPlan& p, u32 row, u8* out) {
  for (u32 i = 0; i < p.rowBytes; ++i) out[i] = 0;
  const i32 y = p.y1 + i32(row) * p.n;
  for (u32 col = 0; col < p.w; ++col) {
    const i32 x = p.x1 + i32(col) * p.n;
    int v = p.n == 1 ? Ovw_ExportCellColour(Grid_GetCellChecked(x, y, 0), x, y) : Ovw_ExportBlockColour(x, y);
    // An 8-bit picture holds palette indexes only.
    if (v < 0 || v >= PAL_ENTRIES) v = IMG_BACKGROUND_CLASS;
    if (p.mono) {
      if (v == IMG_BACKGROUND_CLASS) out[col / 8] |= u8(0x80 >> (col % 8));
    } else {
      out[col] = u8(v);
    }
  }
}

static void Img_Colour(i32 i, u8* r, u8* g, u8* b) {
  const u32 c = i < PAL_ENTRIES ? Pal_GetColour(i) : 0;
  *r = u8(c);
  *g = u8(c >> 8);
  *b = u8(c >> 16);
}

#define IMG_W(call)        \
  do {                     \
    const int r_ = (call); \
    if (r_) return r_;     \
  } while (0)

// Opens the stream with the progress box, runs the body, closes; the
// stream is free again on every path.
static int Img_Write(const wch* path, int (*body)(const ImgPlan&), const ImgPlan& p) {
  const int boxes = Msg_InfoDepth();
  Msg_InfoOpen(Lng_GetText(11001), Lng_GetText(11000), 0, 0);
  int r;
  if (Fio_OpenWrite(path, 0, FOLDER_FULLPATH) != 0) {
    r = 3;
  } else {
    r = body(p);
    if (r) {
      Fio_CancelWrite();
    } else {
      const int c = Fio_CloseWrite();
      if (c) {
        Fio_CancelWrite();
        r = c + 3;
      }
    }
  }
  while (Msg_InfoDepth() > boxes)
    if (Msg_InfoClose() < 0) break;
  return r;
}

// ---------------------------------------------------------------- PCX
// A row coded by itself: runs of 2..63 equal bytes as 0xC0 | count and the
// byte, single bytes of 0xC0 and above behind 0xC1.
static int Img_PcxRow(const u8* row, u32 n) {
  for (u32 i = 0; i < n;) {
    u32 k = 1;
    while (i + k < n && k < 63 && row[i + k] == row[i]) ++k;
    if (k > 1 || row[i] >= 0xC0) IMG_W(Fio_WriteByte(u8(0xC0 | k)));
    IMG_W(Fio_WriteByte(row[i]));
    i += k;
  }
  return 0;
}

static int Img_PcxBody(const ImgPlan& p) {
  // Lines of a PCX file have an even length; the pad byte is 0.
  const u32 lineBytes = (p.rowBytes + 1) & ~1u;
  u8 header[128] = {0};
  header[0] = 0x0A;
  header[1] = 5;
  header[2] = 1;
  header[3] = p.mono ? 1 : 8;
  const u32 xmax = p.w - 1, ymax = p.h - 1;
  header[8] = u8(xmax);
  header[9] = u8(xmax >> 8);
  header[10] = u8(ymax);
  header[11] = u8(ymax >> 8);
  header[12] = u8(p.w);
  header[13] = u8(p.w >> 8);
  header[14] = u8(p.h);
  header[15] = u8(p.h >> 8);
  for (int i = 0; i < 16; ++i) {
    u8* e = header + 16 + 3 * i;
    if (p.mono) {
      const u8 v = i == 1 ? 255 : 0;
      e[0] = e[1] = e[2] = v;
    } else {
      Img_Colour(i, e, e + 1, e + 2);
    }
  }
  header[65] = 1;
  header[66] = u8(lineBytes);
  header[67] = u8(lineBytes >> 8);
  header[68] = p.mono ? 0 : 1;
  IMG_W(Fio_WriteBlock(header, 128));
  for (u32 y = 0; y < p.h; ++y) {
    Img_Row(p, y, g_imgRow);
    if (lineBytes > p.rowBytes) g_imgRow[p.rowBytes] = 0;
    IMG_W(Img_PcxRow(g_imgRow, lineBytes));
  }
  // An 8-bit picture always carries its palette: its bytes are palette
  // indexes, which mean nothing without it.
  if (!p.mono) {
    IMG_W(Fio_WriteByte(12));
    for (int i = 0; i < 256; ++i) {
      u8 c[3];
      Img_Colour(i, c, c + 1, c + 2);
      IMG_W(Fio_WriteBlock(c, 3));
    }
  }
  return 0;
}

int Img_ExportPcx(const wch* path, const ImgBox* box) {
  ImgPlan p;
  if (Img_Plan(box, &p) != 0) return IMG_EMPTY;
  return Img_Write(path, Img_PcxBody, p);
}

// ---------------------------------------------------------------- BMP
static int Img_BmpBody(const ImgPlan& p) {
  const u32 stride = (p.rowBytes + 3) & ~3u;
  // 8 bits always with the 256 entries their indexes need; 1 bit with two.
  const int palette = !p.mono;
  const u32 entries = palette ? 256 : 2;
  const u32 offset = 54 + 4 * entries, image = stride * p.h;
  u8 h[54] = {0};
  auto put32 = [&](int at, u32 v) {
    h[at] = u8(v);
    h[at + 1] = u8(v >> 8);
    h[at + 2] = u8(v >> 16);
    h[at + 3] = u8(v >> 24);
  };
  h[0] = 'B';
  h[1] = 'M';
  put32(2, offset + image);
  put32(10, offset);
  put32(14, 40);
  put32(18, p.w);
  put32(22, p.h);
  h[26] = 1;
  h[28] = p.mono ? 1 : 8;
  put32(34, image);
  put32(46, entries);
  put32(50, entries);
  IMG_W(Fio_WriteBlock(h, 54));
  for (u32 i = 0; i < entries; ++i) {
    u8 e[4] = {0, 0, 0, 0};
    if (palette) Img_Colour(i32(i), e + 2, e + 1, e);
    else if (i == 1) e[0] = e[1] = e[2] = 255;
    IMG_W(Fio_WriteBlock(e, 4));
  }
  for (u32 y = p.h; y-- > 0;) {
    Img_Row(p, y, g_imgRow);
    for (u32 i = p.rowBytes; i < stride; ++i) g_imgRow[i] = 0;
    IMG_W(Fio_WriteBlock(g_imgRow, stride));
  }
  return 0;
}

int Img_ExportBmp(const wch* path, const ImgBox* box) {
  ImgPlan p;
  if (Img_Plan(box, &p) != 0) return IMG_EMPTY;
  return Img_Write(path, Img_BmpBody, p);
}

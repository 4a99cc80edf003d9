#include "tools/gfxgen/art_base.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "tools/gfxgen/art_canvas.h"

namespace {

const u32 kInk = Cnv_Rgb(255, 255, 255);

void Arrow(Canvas* c, float dx, float dy, float w) {
  // An arrow through the glyph's centre (4, 8) pointing along (dx, dy).
  float l = std::sqrt(dx * dx + dy * dy);
  dx /= l;
  dy /= l;
  float cx = 4, cy = 8, r = 3.2f;
  float tx = cx + dx * r, ty = cy + dy * r;
  Cnv_Line(c, cx - dx * r, cy - dy * r, tx - dx * 1.2f, ty - dy * 1.2f, w, kInk);
  float px = -dy, py = dx;
  float head[6] = {tx + dx * 0.4f, ty + dy * 0.4f, tx - dx * 2.6f + px * 2.4f, ty - dy * 2.6f + py * 2.4f,
                   tx - dx * 2.6f - px * 2.4f, ty - dy * 2.6f - py * 2.4f};
  Cnv_FillPoly(c, head, 3, kInk);
}

void DrawGlyph(Canvas* c, int code) {
  const float w = 1.1f;
  switch (code) {
    case 0: Arrow(c, 0, 1, w); break;
    case 1: Arrow(c, 0, -1, w); break;
    case 2: Arrow(c, -1, 0, w); break;
    case 3: Arrow(c, 1, 0, w); break;
    case 4: Arrow(c, 1, -1, w); break;
    case 5: Arrow(c, -1, 1, w); break;
    case 6: Arrow(c, -1, -1, w); break;
    case 7: Arrow(c, 1, 1, w); break;
    case 8:  // locomotive
      Cnv_Rect(c, 0.5f, 6, 7, 3, kInk);
      Cnv_Rect(c, 4.5f, 9, 3, 2.5f, kInk);
      Cnv_Rect(c, 1.5f, 9, 1.2f, 2, kInk);
      Cnv_Ellipse(c, 2, 5.3f, 1, 1, kInk);
      Cnv_Ellipse(c, 6, 5.3f, 1, 1, kInk);
      break;
    case 9:  // clock
      Cnv_Ellipse(c, 4, 8, 3.5f, 3.5f, kInk);
      Cnv_Ellipse(c, 4, 8, 2.4f, 2.4f, 0, 1.0f);
      Cnv_Line(c, 4, 8, 4, 10.2f, 0.9f, kInk);
      Cnv_Line(c, 4, 8, 5.6f, 8, 0.9f, kInk);
      break;
    case 10:  // signal
      Cnv_Rect(c, 3.5f, 3, 1, 6, kInk);
      Cnv_Rect(c, 2, 9, 4, 5, kInk);
      break;
    case 11:  // stop: H
      Cnv_Rect(c, 1.5f, 4, 1.2f, 8, kInk);
      Cnv_Rect(c, 5.3f, 4, 1.2f, 8, kInk);
      Cnv_Rect(c, 1.5f, 7.5f, 5, 1.1f, kInk);
      break;
    case 12: {  // depot: a shed
      float h[10] = {1, 4, 7, 4, 7, 9, 4, 12, 1, 9};
      Cnv_FillPoly(c, h, 5, kInk);
      break;
    }
    case 13:  // buffer stop
      Cnv_Rect(c, 1, 9, 6, 2, kInk);
      Cnv_Rect(c, 2, 4, 1, 5, kInk);
      Cnv_Rect(c, 5, 4, 1, 5, kInk);
      break;
    case 14:  // check
      Cnv_Line(c, 1, 8, 3, 5.5f, w, kInk);
      Cnv_Line(c, 3, 5.5f, 7, 11, w, kInk);
      break;
    case 15:  // cross
      Cnv_Line(c, 1.5f, 5, 6.5f, 11, w, kInk);
      Cnv_Line(c, 1.5f, 11, 6.5f, 5, w, kInk);
      break;
    case 16: {  // loudspeaker
      Cnv_Rect(c, 1, 6.5f, 2, 3, kInk);
      float s[8] = {3, 6.5f, 6, 4, 6, 12, 3, 9.5f};
      Cnv_FillPoly(c, s, 4, kInk);
      break;
    }
    case 17:  // info: i
      Cnv_Rect(c, 3.4f, 4, 1.3f, 5.5f, kInk);
      Cnv_Rect(c, 3.4f, 10.5f, 1.3f, 1.3f, kInk);
      break;
    case 18:  // log: lines of a page
      Cnv_Rect(c, 1, 4, 6, 1, kInk);
      Cnv_Rect(c, 1, 6.5f, 6, 1, kInk);
      Cnv_Rect(c, 1, 9, 6, 1, kInk);
      Cnv_Rect(c, 1, 11.5f, 4, 1, kInk);
      break;
    case 19:  // turnout: Y
      Cnv_Line(c, 4, 3, 4, 8, w, kInk);
      Cnv_Line(c, 4, 8, 1.5f, 12.5f, w, kInk);
      Cnv_Line(c, 4, 8, 6.5f, 12.5f, w, kInk);
      break;
    case 20: {  // star
      float p[20];
      for (int i = 0; i < 10; ++i) {
        float a = 3.14159265f / 2 + 3.14159265f * float(i) / 5, r = i % 2 ? 1.4f : 3.6f;
        p[2 * i] = 4 + r * std::cos(a);
        p[2 * i + 1] = 8 + r * std::sin(a);
      }
      Cnv_FillPoly(c, p, 10, kInk);
      break;
    }
    case 21: Cnv_Ellipse(c, 4, 8, 1.6f, 1.6f, kInk); break;
    case 22:  // both ways, across
      Cnv_Line(c, 1.5f, 8, 6.5f, 8, w, kInk);
      Cnv_FillPoly(c, std::vector<float>{0, 8, 2.5f, 10.3f, 2.5f, 5.7f}.data(), 3, kInk);
      Cnv_FillPoly(c, std::vector<float>{8, 8, 5.5f, 10.3f, 5.5f, 5.7f}.data(), 3, kInk);
      break;
    case 23:  // both ways, up and down
      Cnv_Line(c, 4, 4.5f, 4, 11.5f, w, kInk);
      Cnv_FillPoly(c, std::vector<float>{4, 13, 1.7f, 10.5f, 6.3f, 10.5f}.data(), 3, kInk);
      Cnv_FillPoly(c, std::vector<float>{4, 3, 1.7f, 5.5f, 6.3f, 5.5f}.data(), 3, kInk);
      break;
    case 24:  // coupling
      Cnv_Ellipse(c, 2.5f, 8, 2, 1.6f, kInk);
      Cnv_Ellipse(c, 2.5f, 8, 1, 0.6f, 0, 1.0f);
      Cnv_Ellipse(c, 5.5f, 8, 2, 1.6f, kInk);
      Cnv_Ellipse(c, 5.5f, 8, 1, 0.6f, 0, 1.0f);
      break;
    case 25:  // person
      Cnv_Ellipse(c, 4, 11.3f, 1.3f, 1.3f, kInk);
      Cnv_Rect(c, 3, 6, 2, 4, kInk);
      Cnv_Rect(c, 3, 3, 0.9f, 3, kInk);
      Cnv_Rect(c, 4.1f, 3, 0.9f, 3, kInk);
      break;
    case 26:  // lock
      Cnv_Rect(c, 1.5f, 4, 5, 4.5f, kInk);
      Cnv_Line(c, 2.7f, 8.5f, 2.7f, 10.5f, 0.9f, kInk);
      Cnv_Line(c, 5.3f, 8.5f, 5.3f, 10.5f, 0.9f, kInk);
      Cnv_Line(c, 2.7f, 10.8f, 5.3f, 10.8f, 0.9f, kInk);
      break;
    case 27: {  // warning triangle
      float t[6] = {4, 12.5f, 0.5f, 4, 7.5f, 4};
      Cnv_FillPoly(c, t, 3, kInk);
      break;
    }
    case 28:  // front end: a filled half disc
      Cnv_Ellipse(c, 4, 7, 3.2f, 3.2f, kInk);
      Cnv_Rect(c, 0.5f, 3.5f, 7, 3.5f, 0, 1.0f);
      Cnv_Rect(c, 0.8f, 6, 6.4f, 1.1f, kInk);
      break;
    case 29:  // rear end: a frame
      Cnv_Rect(c, 1, 5, 6, 6, kInk);
      Cnv_Rect(c, 2.2f, 6.2f, 3.6f, 3.6f, 0, 1.0f);
      break;
    case 30: Arrow(c, -1, 0, 1.6f); break;
    case 31: Arrow(c, 1, 0, 1.6f); break;
    default: break;  // 32: blank
  }
}

}  // namespace

void Abs_Glyph(int code, int zoom, u8* out) {
  Canvas c;
  Cnv_Init(&c, zoom, 0, 0, 8, 16);
  DrawGlyph(&c, code);
  int n = c.pw * c.ph;
  for (int i = 0; i < n; ++i) {
    // Holes are painted in black over the ink: a pixel is ink where the
    // cover is high and the colour is light.
    const float* px = &c.rgba[size_t(i) * 4];
    out[i] = (px[3] >= 0.5f && px[0] >= 0.5f * px[3]) ? 1 : 0;
  }
}

int Abs_Zoom2Picture(int piece, int quarter) {
  static const int add[4] = {0, 1, 8, 9};
  return 144 + (piece / 4) * 16 + (piece % 4) * 2 + add[quarter & 3];
}

u8 Abs_ByteOfMask(u8 mask) {
  for (int b = 0; b < 256; ++b)
    if (mask != 0 && GfxFile_MapBaseByte(u8(b)) == mask) return u8(b);
  return 0;
}

void Abs_BuildBase(const AtkGround* g, GfxBaseFile* f) {
  memset(f, 0, sizeof *f);
  for (int b = 0; b < GFX_BASE_BLOCKS; ++b) f->eightBit[b] = 1;
  auto put1 = [&](int pic, const u8 (*m)[8]) {
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 8; ++c) f->pixels[pic][r][c] = Abs_ByteOfMask(m[r][c]);
  };
  auto put2 = [&](int piece, const u8* m16x32) {
    // Quarters: bottom-left, bottom-right, top-left, top-right.
    for (int q = 0; q < 4; ++q) {
      int pic = Abs_Zoom2Picture(piece, q);
      int r0 = (q >= 2) ? 0 : 16, c0 = (q & 1) ? 8 : 0;
      for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 8; ++c) f->pixels[pic][r][c] = Abs_ByteOfMask(m16x32[(r0 + r) * 16 + c0 + c]);
    }
  };
  for (int p = 0; p < g->pieceCount; ++p) {
    put1(p, g->piece1[p]);
    put2(p, &g->piece2[p][0][0]);
  }
  for (int k = 0; k < ABS_GLYPHS; ++k) {
    u8 m1[16 * 8], m2[32 * 16];
    Abs_Glyph(k, 1, m1);
    Abs_Glyph(k, 2, m2);
    u8 g1[16][8];
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 8; ++c) g1[r][c] = m1[r * 8 + c] ? ATK_MASK_GLYPH : 0;
    put1(ABS_GLYPH_FIRST + k, g1);
    if (ABS_GLYPH_FIRST + k <= 119) {
      for (int i = 0; i < 32 * 16; ++i) m2[i] = m2[i] ? ATK_MASK_GLYPH : 0;
      put2(ABS_GLYPH_FIRST + k, m2);
    }
  }
}

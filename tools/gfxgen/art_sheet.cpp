#include "tools/gfxgen/art_sheet.h"

#include <cstring>

#include "platform/fio.h"
#include "tools/gfxgen/art_canvas.h"

namespace {

// 3 x 5 font: five rows of three bits (bit 2 the left column).
struct Glyph3 {
  char ch;
  u8 rows[5];
};
const Glyph3 kFont[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 3, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}},
    {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}},
    {'G', {3, 4, 5, 5, 3}}, {'H', {5, 5, 7, 5, 5}}, {'I', {7, 2, 2, 2, 7}}, {'J', {1, 1, 1, 5, 2}},
    {'K', {5, 5, 6, 5, 5}}, {'L', {4, 4, 4, 4, 7}}, {'M', {5, 7, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}},
    {'O', {2, 5, 5, 5, 2}}, {'P', {6, 5, 6, 4, 4}}, {'Q', {2, 5, 5, 6, 3}}, {'R', {6, 5, 6, 5, 5}},
    {'S', {3, 4, 2, 1, 6}}, {'T', {7, 2, 2, 2, 2}}, {'U', {5, 5, 5, 5, 7}}, {'V', {5, 5, 5, 5, 2}},
    {'W', {5, 5, 7, 7, 5}}, {'X', {5, 5, 2, 5, 5}}, {'Y', {5, 5, 2, 2, 2}}, {'Z', {7, 1, 2, 4, 7}},
    {'-', {0, 0, 7, 0, 0}}, {'.', {0, 0, 0, 0, 2}}, {':', {0, 2, 0, 2, 0}}, {'/', {1, 1, 2, 4, 4}},
    {'+', {0, 2, 7, 2, 0}}, {'(', {1, 2, 2, 2, 1}}, {')', {4, 2, 2, 2, 4}}, {'#', {5, 7, 5, 7, 5}}};

const u32 kBack = Cnv_Rgb(54, 58, 64), kLabel = Cnv_Rgb(236, 236, 220);

void Grow(Sheet* s, int bottom) {
  if (bottom <= s->height) return;
  s->px.resize(size_t(s->width) * size_t(bottom), kBack);
  s->height = bottom;
}

void Put(Sheet* s, int x, int y, u32 c) {
  if (x < 0 || y < 0 || x >= s->width) return;
  Grow(s, y + 1);
  s->px[size_t(y) * size_t(s->width) + size_t(x)] = c;
}

u32 GetPx(Sheet* s, int x, int y) {
  if (x < 0 || y < 0 || x >= s->width || y >= s->height) return kBack;
  return s->px[size_t(y) * size_t(s->width) + size_t(x)];
}

// Places a tile of w x h at the pen, wrapping to a new row; gives its corner.
void Place(Sheet* s, int w, int h, int* x, int* y) {
  if (s->penX + w > s->width && s->penX > 0) {
    s->penX = 0;
    s->penY += s->rowH + 6;
    s->rowH = 0;
  }
  *x = s->penX;
  *y = s->penY;
  s->penX += w + 6;
  if (h > s->rowH) s->rowH = h;
  Grow(s, *y + h);
}

u32 GroundColour(u8 m, int x, int y) {
  switch (m) {
    case ATK_MASK_BALLAST: return ((x * 7 + y * 13) % 5 < 2) ? Cnv_Rgb(150, 142, 128) : Cnv_Rgb(124, 118, 106);
    case ATK_MASK_RAIL: return Cnv_Rgb(84, 78, 76);
    case ATK_MASK_SLEEPER: return Cnv_Rgb(104, 80, 58);
    case ATK_MASK_CORE: return Cnv_Rgb(138, 128, 108);
    default: return Cnv_Rgb(150, 178, 110);
  }
}

}  // namespace

void Ash_Init(Sheet* s, int width) {
  s->width = width;
  s->height = 0;
  s->px.clear();
  s->penX = s->penY = s->rowH = 0;
}

void Ash_Text(Sheet* s, int x, int y, const char* text, u32 colour) {
  for (const char* p = text; *p; ++p, x += 4) {
    char ch = *p >= 'a' && *p <= 'z' ? char(*p - 32) : *p;
    for (const Glyph3& g : kFont)
      if (g.ch == ch)
        for (int r = 0; r < 5; ++r)
          for (int c = 0; c < 3; ++c)
            if (g.rows[r] & (4 >> c)) Put(s, x + c, y + r, colour);
  }
}

void Ash_Heading(Sheet* s, const char* text) {
  if (s->penX > 0 || s->rowH > 0) s->penY += s->rowH + 10;
  s->penX = 0;
  s->rowH = 0;
  Grow(s, s->penY + 12);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) Ash_Text(s, 2 + dx, s->penY + 2 + dy, text, Cnv_Rgb(0, 0, 0));
  Ash_Text(s, 2, s->penY + 2, text, Cnv_Rgb(255, 220, 120));
  s->penY += 12;
}

void Ash_AddTile(Sheet* s, const char* label, const ApcPicture* const* pics, int count, const AtkGround* g,
                 int groundRow, int bx, int by, int bw, int bh) {
  int total = 0, maxH = 0;
  for (int i = 0; i < count; ++i) {
    total += bw * pics[i]->zoom + 4;
    if (bh * pics[i]->zoom > maxH) maxH = bh * pics[i]->zoom;
  }
  int x0, y0;
  Place(s, total, maxH + 8, &x0, &y0);
  Ash_Text(s, x0, y0, label, kLabel);
  int tx = x0;
  for (int i = 0; i < count; ++i) {
    const ApcPicture* p = pics[i];
    int z = p->zoom, tw = bw * z, th = bh * z, ty = y0 + 7;
    // Ground: the home cell darker, with its track ground when asked.
    std::vector<u8> mask;
    if (g && groundRow >= 0) {
      int mz = z >= 2 ? 2 : 1;
      mask.resize(size_t(32 * mz * 16 * mz));
      Atk_RenderRow(g, groundRow, mz, mask.data());
    }
    for (int y = 0; y < th; ++y)
      for (int x = 0; x < tw; ++x) {
        int cx = x + bx * z, cy = (by + bh) * z - 1 - y;  // cell frame at zoom z, y up
        bool home = cx >= 0 && cx < 32 * z && cy >= 0 && cy < 16 * z;
        u32 col = ((x / (32 * z)) + (y / (16 * z))) % 2 ? Cnv_Rgb(164, 190, 122) : Cnv_Rgb(156, 182, 116);
        if (home) {
          col = Cnv_Rgb(150, 178, 110);
          if (!mask.empty()) {
            int mz = z >= 2 ? 2 : 1, f = z / mz;
            int mx = cx / f, my = (16 * z - 1 - cy) / f;
            u8 m = mask[size_t(my * 32 * mz + mx)];
            if (m) col = GroundColour(m, mx, my);
          }
        }
        Put(s, tx + x, ty + y, col);
      }
    for (const ApcPlacement& pl : p->placements)
      for (int r = 0; r < pl.h; ++r)
        for (int c = 0; c < pl.w; ++c) {
          u32 v = pl.px[size_t(r) * size_t(pl.w) + size_t(c)];
          int cx = pl.x + c, cy = pl.y + pl.h - 1 - r;
          int sx = cx - bx * z, sy = (by + bh) * z - 1 - cy;
          if (sx < 0 || sy < 0 || sx >= tw || sy >= th) continue;
          if (v == CNV_TRANSPARENT) continue;
          if (v == CNV_DARKEN) {
            u32 b = GetPx(s, tx + sx, ty + sy);
            v = Cnv_Rgb(int((b >> 16) & 255) * 6 / 10, int((b >> 8) & 255) * 6 / 10, int(b & 255) * 6 / 10);
          }
          Put(s, tx + sx, ty + sy, v & 0xFFFFFF);
        }
    tx += tw + 4;
  }
}

void Ash_AddPixels(Sheet* s, const char* label, const u32* px, int w, int h) {
  int x0, y0;
  Place(s, w < 40 ? 40 : w, h + 8, &x0, &y0);
  Ash_Text(s, x0, y0, label, kLabel);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      u32 v = px[size_t(y) * size_t(w) + size_t(x)];
      u32 col = v == CNV_TRANSPARENT ? (((x / 4 + y / 4) % 2) ? Cnv_Rgb(200, 200, 200) : Cnv_Rgb(232, 232, 232))
                                     : (v & 0xFFFFFF);
      Put(s, x0 + x, y0 + 7 + y, col);
    }
}

void Ash_AddMask(Sheet* s, const char* label, const u8* mask, int w, int h, int scale) {
  int x0, y0;
  Place(s, w * scale < 24 ? 24 : w * scale, h * scale + 8, &x0, &y0);
  Ash_Text(s, x0, y0, label, kLabel);
  for (int y = 0; y < h * scale; ++y)
    for (int x = 0; x < w * scale; ++x) {
      u8 m = mask[(y / scale) * w + x / scale];
      u32 col = m == 0 ? Cnv_Rgb(30, 34, 40) : GroundColour(m, x / scale, y / scale);
      if (m == ATK_MASK_GLYPH && w == 8) col = Cnv_Rgb(255, 255, 255);
      if (m == 1) col = Cnv_Rgb(255, 255, 255);
      Put(s, x0 + x, y0 + 7 + y, col);
    }
}

int Ash_SaveBmp(const Sheet* s, const wch* path) {
  int rowBytes = (s->width * 3 + 3) & ~3;
  u32 dataSize = u32(rowBytes) * u32(s->height);
  int r = Fio_OpenWrite(path, 0, FOLDER_FULLPATH);
  if (r != 0) return r;
  u8 head[54];
  memset(head, 0, sizeof head);
  auto put32 = [&](int at, u32 v) {
    for (int i = 0; i < 4; ++i) head[at + i] = u8(v >> (8 * i));
  };
  head[0] = 'B';
  head[1] = 'M';
  put32(2, 54 + dataSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, u32(s->width));
  put32(22, u32(s->height));
  head[26] = 1;
  head[28] = 24;
  put32(34, dataSize);
  r = Fio_WriteBlock(head, sizeof head);
  std::vector<u8> row(size_t(rowBytes), 0);
  for (int y = s->height - 1; y >= 0 && r == 0; --y) {
    for (int x = 0; x < s->width; ++x) {
      u32 c = s->px[size_t(y) * size_t(s->width) + size_t(x)];
      row[size_t(x) * 3] = u8(c);
      row[size_t(x) * 3 + 1] = u8(c >> 8);
      row[size_t(x) * 3 + 2] = u8(c >> 16);
    }
    r = Fio_WriteBlock(row.data(), u32(rowBytes));
  }
  if (r != 0) {
    Fio_CancelWrite();
    return r;
  }
  return Fio_CloseWrite();
}

#include "tools/gfxgen/art_canvas.h"

#include <algorithm>
#include <cmath>

namespace {

// Sub-scanlines per pixel row; columns are covered exactly.
const int kSub = 4;
const float kPi = 3.14159265358979f;

struct Pt {
  float x, y;
};

int Clamp255(float v) { return v < 0 ? 0 : v > 255 ? 255 : int(v + 0.5f); }

// Unit coordinates to pixel coordinates (row 0 at the top).
Pt ToPixel(const Canvas* c, float x, float y) {
  return Pt{(x - float(c->x0)) * float(c->zoom), (float(c->y0 + c->h) - y) * float(c->zoom)};
}

struct Cross {
  float x;
  int dir;
};

// Cover of a polygon in pixel space over its clipped bounding box
// (bx0..bx1, by0..by1); cover holds one value per pixel of that box.
void CoverPoly(const Canvas* c, const Pt* p, int n, std::vector<float>& cover, int& bx0, int& by0, int& bx1,
               int& by1) {
  float minx = p[0].x, maxx = p[0].x, miny = p[0].y, maxy = p[0].y;
  for (int i = 1; i < n; ++i) {
    minx = std::min(minx, p[i].x);
    maxx = std::max(maxx, p[i].x);
    miny = std::min(miny, p[i].y);
    maxy = std::max(maxy, p[i].y);
  }
  bx0 = std::max(0, int(std::floor(minx)));
  bx1 = std::min(c->pw - 1, int(std::ceil(maxx)));
  by0 = std::max(0, int(std::floor(miny)));
  by1 = std::min(c->ph - 1, int(std::ceil(maxy)));
  if (bx0 > bx1 || by0 > by1) return;
  const int bw = bx1 - bx0 + 1;
  cover.assign(size_t(bw) * size_t(by1 - by0 + 1), 0.0f);
  // The crossings of one sub-scanline; kept between calls, as polygons are
  // many and small.
  static std::vector<Cross> xs;
  for (int py = by0; py <= by1; ++py) {
    for (int k = 0; k < kSub; ++k) {
      float sy = float(py) + (float(k) + 0.5f) / float(kSub);
      xs.clear();
      for (int i = 0; i < n; ++i) {
        const Pt& a = p[i];
        const Pt& b = p[(i + 1) % n];
        if (a.y == b.y) continue;
        bool up = a.y < b.y;
        float ylo = up ? a.y : b.y, yhi = up ? b.y : a.y;
        if (sy < ylo || sy >= yhi) continue;
        float t = (sy - a.y) / (b.y - a.y);
        xs.push_back(Cross{a.x + t * (b.x - a.x), up ? 1 : -1});
      }
      if (xs.size() < 2) continue;
      std::sort(xs.begin(), xs.end(), [](const Cross& l, const Cross& r) { return l.x < r.x; });
      int wind = 0;
      for (size_t i = 0; i + 1 < xs.size(); ++i) {
        wind += xs[i].dir;
        if (wind == 0) continue;
        float xa = std::max(xs[i].x, float(bx0)), xb = std::min(xs[i + 1].x, float(bx1 + 1));
        if (xb <= xa) continue;
        int ia = int(std::floor(xa)), ib = int(std::floor(xb));
        float* row = &cover[size_t(py - by0) * size_t(bw)];
        const float wgt = 1.0f / float(kSub);
        if (ia == ib) {
          row[ia - bx0] += (xb - xa) * wgt;
          continue;
        }
        row[ia - bx0] += (float(ia + 1) - xa) * wgt;
        for (int x = ia + 1; x < ib; ++x) row[x - bx0] += wgt;
        if (ib <= bx1) row[ib - bx0] += (xb - float(ib)) * wgt;
      }
    }
  }
}

void PaintCover(Canvas* c, const std::vector<float>& cover, int bx0, int by0, int bx1, int by1, u32 colour,
                float alpha) {
  float r = float((colour >> 16) & 255) / 255.0f, g = float((colour >> 8) & 255) / 255.0f,
        b = float(colour & 255) / 255.0f;
  for (int y = by0; y <= by1; ++y)
    for (int x = bx0; x <= bx1; ++x) {
      // Pixel art: a pixel is either the shape's or not (no blended edges),
      // so every zoom has hard edges and colours stay those of the palette.
      float a = cover[size_t(y - by0) * size_t(bx1 - bx0 + 1) + size_t(x - bx0)];
      if (a < 0.5f) continue;
      a = alpha;
      size_t i = size_t(y) * size_t(c->pw) + size_t(x);
      if (a >= 0.5f) c->tags[i] = c->tag;
      float* px = &c->rgba[i * 4];
      px[0] = px[0] * (1 - a) + r * a;
      px[1] = px[1] * (1 - a) + g * a;
      px[2] = px[2] * (1 - a) + b * a;
      px[3] = px[3] * (1 - a) + a;
    }
}

void FillPixelPoly(Canvas* c, const Pt* p, int n, u32 colour, float alpha) {
  if (n < 3 || c->pw <= 0) return;
  static std::vector<float> cover;
  int bx0, by0, bx1, by1;
  CoverPoly(c, p, n, cover, bx0, by0, bx1, by1);
  if (bx0 > bx1 || by0 > by1) return;
  PaintCover(c, cover, bx0, by0, bx1, by1, colour, alpha);
}

}  // namespace

u32 Cnv_Shade(u32 c, float f) {
  return Cnv_Rgb(Clamp255(float((c >> 16) & 255) * f), Clamp255(float((c >> 8) & 255) * f),
                 Clamp255(float(c & 255) * f));
}

u32 Cnv_Mix(u32 a, u32 b, float t) {
  auto ch = [&](int s) {
    return Clamp255(float((a >> s) & 255) * (1 - t) + float((b >> s) & 255) * t);
  };
  return Cnv_Rgb(ch(16), ch(8), ch(0));
}

void Cnv_Init(Canvas* c, int zoom, int x0, int y0, int w, int h) {
  c->zoom = zoom;
  c->x0 = x0;
  c->y0 = y0;
  c->w = w;
  c->h = h;
  c->pw = w * zoom;
  c->ph = h * zoom;
  c->rgba.assign(size_t(c->pw) * size_t(c->ph) * 4, 0.0f);
  c->shadow.assign(size_t(c->pw) * size_t(c->ph), 0.0f);
  c->tags.assign(size_t(c->pw) * size_t(c->ph), 0u);
  c->tag = 0;
}

void Cnv_FillPoly(Canvas* c, const float* xy, int n, u32 colour, float alpha) {
  static std::vector<Pt> p;
  p.resize(size_t(std::max(n, 0)));
  for (int i = 0; i < n; ++i) p[size_t(i)] = ToPixel(c, xy[2 * i], xy[2 * i + 1]);
  FillPixelPoly(c, p.data(), n, colour, alpha);
}

void Cnv_Line(Canvas* c, float x1, float y1, float x2, float y2, float width, u32 colour, bool round) {
  Pt a = ToPixel(c, x1, y1), b = ToPixel(c, x2, y2);
  float w = std::max(width * float(c->zoom), 1.0f) * 0.5f;
  float dx = b.x - a.x, dy = b.y - a.y, len = std::sqrt(dx * dx + dy * dy);
  if (len < 1e-4f) {
    dx = 1;
    dy = 0;
  } else {
    dx /= len;
    dy /= len;
  }
  float nx = -dy * w, ny = dx * w;
  if (round) {
    // A stadium: the segment with half circles at both ends.
    std::vector<Pt> p;
    const int seg = 8;
    for (int i = 0; i <= seg; ++i) {
      float ang = kPi * float(i) / float(seg);
      float cs = std::cos(ang), sn = std::sin(ang);
      p.push_back(Pt{b.x + nx * cs + dx * w * sn, b.y + ny * cs + dy * w * sn});
    }
    for (int i = 0; i <= seg; ++i) {
      float ang = kPi * float(i) / float(seg);
      float cs = std::cos(ang), sn = std::sin(ang);
      p.push_back(Pt{a.x - nx * cs - dx * w * sn, a.y - ny * cs - dy * w * sn});
    }
    FillPixelPoly(c, p.data(), int(p.size()), colour, 1.0f);
    return;
  }
  Pt q[4] = {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
  FillPixelPoly(c, q, 4, colour, 1.0f);
}

void Cnv_Polyline(Canvas* c, const float* xy, int n, float width, u32 colour) {
  for (int i = 0; i + 1 < n; ++i)
    Cnv_Line(c, xy[2 * i], xy[2 * i + 1], xy[2 * i + 2], xy[2 * i + 3], width, colour, true);
}

void Cnv_Rect(Canvas* c, float x, float y, float w, float h, u32 colour, float alpha) {
  float p[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
  Cnv_FillPoly(c, p, 4, colour, alpha);
}

void Cnv_Ellipse(Canvas* c, float cx, float cy, float rx, float ry, u32 colour, float alpha) {
  const int seg = 32;
  float p[2 * seg];
  for (int i = 0; i < seg; ++i) {
    float ang = 2.0f * kPi * float(i) / float(seg);
    p[2 * i] = cx + rx * std::cos(ang);
    p[2 * i + 1] = cy + ry * std::sin(ang);
  }
  Cnv_FillPoly(c, p, seg, colour, alpha);
}

void Cnv_FramedRect(Canvas* c, float x, float y, float w, float h, u32 fill, u32 frame) {
  Cnv_Rect(c, x, y, w, h, frame);
  float t = 1.0f / float(c->zoom);
  if (w > 2 * t && h > 2 * t) Cnv_Rect(c, x + t, y + t, w - 2 * t, h - 2 * t, fill);
}

void Cnv_ShadowPoly(Canvas* c, const float* xy, int n) {
  if (n < 3) return;
  std::vector<Pt> p(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) p[size_t(i)] = ToPixel(c, xy[2 * i], xy[2 * i + 1]);
  static std::vector<float> cover;
  int bx0, by0, bx1, by1;
  CoverPoly(c, p.data(), n, cover, bx0, by0, bx1, by1);
  for (int y = by0; y <= by1; ++y)
    for (int x = bx0; x <= bx1; ++x) {
      size_t i = size_t(y) * size_t(c->pw) + size_t(x);
      float v = cover[size_t(y - by0) * size_t(bx1 - bx0 + 1) + size_t(x - bx0)];
      if (v >= 0.5f) c->shadow[i] = 1.0f;
    }
}

void Cnv_ShadowRect(Canvas* c, float x, float y, float w, float h) {
  float p[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
  Cnv_ShadowPoly(c, p, 4);
}

void Cnv_Dot(Canvas* c, int x, int y, u32 colour) { Cnv_Rect(c, float(x), float(y), 1, 1, colour); }

void Cnv_Export(const Canvas* c, u32* out) {
  size_t n = size_t(c->pw) * size_t(c->ph);
  for (size_t i = 0; i < n; ++i) {
    const float* px = &c->rgba[i * 4];
    float a = px[3];
    // Edges over nothing cannot blend with what the compositor puts below,
    // so a pixel is either drawn or not; 0.4 keeps one-pixel diagonals whole.
    if (a >= 0.4f) {
      out[i] = Cnv_Rgb(Clamp255(px[0] / a * 255.0f), Clamp255(px[1] / a * 255.0f), Clamp255(px[2] / a * 255.0f)) |
               c->tags[i];
    } else if (c->shadow[i] >= 0.5f) {
      out[i] = CNV_DARKEN;
    } else {
      out[i] = CNV_TRANSPARENT;
    }
  }
}

void Cnv_InkEdges(Canvas* c, float shade, float x, float y, float w, float h) {
  const Pt a = ToPixel(c, x, y + h), b = ToPixel(c, x + w, y);
  const int x0 = std::max(0, int(std::floor(a.x + 0.5f))), x1 = std::min(c->pw, int(std::floor(b.x + 0.5f)));
  const int y0 = std::max(0, int(std::floor(a.y + 0.5f))), y1 = std::min(c->ph, int(std::floor(b.y + 0.5f)));
  auto drawn = [&](int px, int py) {
    return px >= 0 && py >= 0 && px < c->pw && py < c->ph &&
           c->rgba[(size_t(py) * size_t(c->pw) + size_t(px)) * 4 + 3] >= 0.4f;
  };
  // Decide every pixel first, so an edge just inked does not make its
  // inner neighbour an edge too.
  std::vector<size_t> edge;
  for (int py = y0; py < y1; ++py)
    for (int px = x0; px < x1; ++px) {
      const size_t i = size_t(py) * size_t(c->pw) + size_t(px);
      if (!drawn(px, py) || c->tags[i]) continue;
      // A stroke one or two pixels thin keeps its colour: inked, it would
      // be all outline.
      const bool l = drawn(px - 1, py), r = drawn(px + 1, py), d = drawn(px, py - 1), u = drawn(px, py + 1);
      if ((!l && r && drawn(px + 2, py)) || (!r && l && drawn(px - 2, py)) || (!d && u && drawn(px, py + 2)) ||
          (!u && d && drawn(px, py - 2)))
        edge.push_back(i);
    }
  for (size_t i : edge)
    for (int k = 0; k < 3; ++k) c->rgba[i * 4 + size_t(k)] *= shade;
}

void Cnv_PaintPixels(Canvas* c, float x, float y, float w, float h, CnvPixelFn fn, const void* ctx) {
  const float z = float(c->zoom);
  // Pixel columns and rows whose centres lie in the box.
  const int px0 = std::max(0, int(std::ceil((x - float(c->x0)) * z - 0.5f)));
  const int px1 = std::min(c->pw - 1, int(std::ceil((x + w - float(c->x0)) * z - 0.5f)) - 1);
  const float top = float(c->y0 + c->h);
  const int py0 = std::max(0, int(std::ceil((top - (y + h)) * z - 0.5f)));
  const int py1 = std::min(c->ph - 1, int(std::ceil((top - y) * z - 0.5f)) - 1);
  for (int py = py0; py <= py1; ++py)
    for (int px = px0; px <= px1; ++px) {
      const u32 col = fn(float(c->x0) + (float(px) + 0.5f) / z, top - (float(py) + 0.5f) / z, ctx);
      if (col == CNV_TRANSPARENT) continue;
      const size_t i = size_t(py) * size_t(c->pw) + size_t(px);
      float* p = &c->rgba[i * 4];
      p[0] = float((col >> 16) & 255) / 255.0f;
      p[1] = float((col >> 8) & 255) / 255.0f;
      p[2] = float(col & 255) / 255.0f;
      p[3] = 1.0f;
      c->tags[i] = c->tag;
    }
}

// Drawing canvas of the picture generator: polygons, lines, ellipses and
// shadows with hard pixel edges into one picture at one zoom.
//
// Owns: the pixel store of one picture while it is drawn. Everything is
// given in zoom-1 units in the frame of the cell the picture belongs to (x to
// the right, y upward from the bottom of the cell), so one drawing routine
// makes the zoom-1, zoom-2 and zoom-4 pictures each at its own resolution.
//
// Promises: drawing is clipped to the canvas box; colours are CellPixel words
// (red bits 16-23, green 8-15, blue 0-7). Cnv_Export gives every pixel
// either a colour, the darken marker where only a shadow lies, or the
// transparent marker, the picture's top row first. The same calls give the
// same pixels on every machine (no floating-point state is kept between
// calls, and the sampling is fixed).
#pragma once
#include <vector>

#include "platform/types.h"

enum : u32 { CNV_TRANSPARENT = 0x80000001u, CNV_DARKEN = 0x80000000u };

inline u32 Cnv_Rgb(int r, int g, int b) { return (u32(r & 255) << 16) | (u32(g & 255) << 8) | u32(b & 255); }
// Scales a colour's brightness by f (clamped to 0..255).
u32 Cnv_Shade(u32 c, float f);
// Blends a toward b by t (0 = a, 1 = b).
u32 Cnv_Mix(u32 a, u32 b, float t);

struct Canvas {
  int zoom = 1;       // 1, 2 or 4
  int x0 = 0, y0 = 0; // the box's left and bottom in zoom-1 units
  int w = 0, h = 0;   // the box in zoom-1 units
  int pw = 0, ph = 0; // pixels: w x zoom, h x zoom
  std::vector<float> rgba;    // premultiplied colour and cover, 0..1, top row first
  std::vector<float> shadow;  // shadow cover 0..1
  std::vector<u32> tags;      // lighting tag of each pixel (bits 24..30), 0 none
  u32 tag = 0;                // the tag of what is drawn now
};

// Lighting tags of the shading rule: what is drawn after Cnv_SetTag carries
// the tag until it is set back to 0, so lamps light up and windows glow at
// night. A lamp lit white, a lamp lit red, and windows of class 0..2 (plus
// CNV_WINDOW_ALT for the second lit colour); CNV_UNSHADED never darkens.
enum : u32 {
  CNV_UNSHADED = 0x40000000u,
  CNV_LAMP = 0x50000000u,
  CNV_LAMP_RED = 0x51000000u,
  CNV_WINDOW = 0x60000000u,
  CNV_WINDOW_ALT = 0x04000000u
};
inline void Cnv_SetTag(Canvas* c, u32 tag) { c->tag = tag; }

// A clear canvas over the box (x0, y0, w, h) at zoom.
void Cnv_Init(Canvas* c, int zoom, int x0, int y0, int w, int h);
// Filled polygon of n points (x, y pairs) with the non-zero rule.
void Cnv_FillPoly(Canvas* c, const float* xy, int n, u32 colour, float alpha = 1.0f);
// A straight line of the given width (at least one pixel at any zoom);
// round adds round caps.
void Cnv_Line(Canvas* c, float x1, float y1, float x2, float y2, float width, u32 colour, bool round = false);
// A line through n points.
void Cnv_Polyline(Canvas* c, const float* xy, int n, float width, u32 colour);
void Cnv_Rect(Canvas* c, float x, float y, float w, float h, u32 colour, float alpha = 1.0f);
void Cnv_Ellipse(Canvas* c, float cx, float cy, float rx, float ry, u32 colour, float alpha = 1.0f);
// A filled rectangle with an outline one pixel wide at every zoom, so that
// outlines stay crisp when the zoom grows.
void Cnv_FramedRect(Canvas* c, float x, float y, float w, float h, u32 fill, u32 frame);
// Shadow: where nothing is drawn the picture darkens what lies below it.
void Cnv_ShadowPoly(Canvas* c, const float* xy, int n);
void Cnv_ShadowRect(Canvas* c, float x, float y, float w, float h);
// One pixel-exact dot of one zoom-1 unit (zoom x zoom pixels).
void Cnv_Dot(Canvas* c, int x, int y, u32 colour);

// The finished picture: pw x ph CellPixel words, top row first.
void Cnv_Export(const Canvas* c, u32* out);

// The dark outline of the pixel-art style: every drawn pixel on the edge of
// what the canvas holds (a side neighbour is not drawn) becomes its own
// colour scaled by shade, one pixel wide at every zoom, so the silhouette
// keeps its size. Strokes one or two pixels thin stay as they are; pixels
// that carry a lighting tag (lamps, windows) keep their colour. Only pixels
// inside the box (x, y, w, h, zoom-1 units) change.
void Cnv_InkEdges(Canvas* c, float shade, float x, float y, float w, float h);

// Pictures worked out pixel by pixel: every pixel whose centre lies in the
// box (x, y, w, h; zoom-1 units, y up) takes what fn gives for that centre
// (CNV_TRANSPARENT leaves it), solid, with the current tag. A colour that
// follows from the position alone makes two pictures agree on every pixel
// they share, so cells drawn this way join without a seam at any zoom.
typedef u32 (*CnvPixelFn)(float x, float y, const void* ctx);
void Cnv_PaintPixels(Canvas* c, float x, float y, float w, float h, CnvPixelFn fn, const void* ctx);

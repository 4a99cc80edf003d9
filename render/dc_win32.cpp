// GDI half of the drawing primitives: everything portable code draws into a
// SchBuf reaches a device context through Map_BlitToDC.
#include <windows.h>

#include "render/dc.h"
#include "render/font.h"
#include "render/gfx.h"
#include "render/schem.h"
#include "render/symstr.h"

static COLORREF Rgb24(u32 colour) { return COLORREF(colour & 0xFFFFFFu); }

void Map_SetPixel(void* dc, i32 x, i32 y, u32 colour) {
  if (!dc) return;
  SetPixel(static_cast<HDC>(dc), x, y, Rgb24(colour));
}

void Map_InvertPixel(void* dc, i32 x, i32 y) {
  if (!dc) return;
  HDC d = static_cast<HDC>(dc);
  COLORREF c = GetPixel(d, x, y);
  if (c == CLR_INVALID) return;  // outside the clip region or the bitmap
  SetPixel(d, x, y, Rgb24(~u32(c)));
}

// A line of every step-th pixel along one axis, walking only the positions
// inside the device context's clip box.
static void StepLine(void* dc, i32 fixed, i32 a, i32 b, int step, u32 colour, int vertical) {
  if (!dc) return;
  HDC d = static_cast<HDC>(dc);
  RECT clip;
  if (GetClipBox(d, &clip) == ERROR) return;
  if (step < 1) step = 1;
  i64 p, last;
  if (vertical)
    Map_StepRange(a, b, step, clip.top, clip.bottom - 1, &p, &last);
  else
    Map_StepRange(a, b, step, clip.left, clip.right - 1, &p, &last);
  for (; p <= last; p += step)
    SetPixel(d, vertical ? fixed : i32(p), vertical ? i32(p) : fixed, Rgb24(colour));
}

void Map_VLine(void* dc, i32 x, i32 y1, int step, u32 colour, i32 y2) { StepLine(dc, x, y1, y2, step, colour, 1); }

void Map_HLine(void* dc, i32 x1, i32 y, int step, u32 colour, i32 x2) { StepLine(dc, y, x1, x2, step, colour, 0); }

void Map_FrameRect(void* dc, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2) {
  Map_HLine(dc, x1, y1, 1, colour, x2);
  Map_HLine(dc, x1, y2, 1, colour, x2);
  Map_VLine(dc, x1, y1, 1, colour, y2);
  Map_VLine(dc, x2, y1, 1, colour, y2);
}

void Map_FillRect(void* dc, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2) {
  if (!dc || x2 < x1 || y2 < y1) return;
  HBRUSH brush = CreateSolidBrush(Rgb24(colour));
  if (!brush) return;
  RECT r = {x1, y1, x2 == 0x7FFFFFFF ? x2 : x2 + 1, y2 == 0x7FFFFFFF ? y2 : y2 + 1};
  FillRect(static_cast<HDC>(dc), &r, brush);
  DeleteObject(brush);
}

int Map_BlitToDC(void* dc, i32 x, i32 y, i32 width, i32 height, const SchBuf* src) {
  if (!dc || !src || !src->pixels || src->width <= 0 || src->height <= 0 || width <= 0 || height <= 0) return 1;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = src->width;
  bi.bmiHeader.biHeight = -src->height;  // row 0 on top
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC d = static_cast<HDC>(dc);
  int lines;
  if (width == src->width && height == src->height) {
    lines = SetDIBitsToDevice(d, x, y, DWORD(width), DWORD(height), 0, 0, 0, UINT(src->height), src->pixels, &bi,
                              DIB_RGB_COLORS);
  } else {
    int oldMode = SetStretchBltMode(d, COLORONCOLOR);
    lines = StretchDIBits(d, x, y, width, height, 0, 0, src->width, src->height, src->pixels, &bi, DIB_RGB_COLORS,
                          SRCCOPY);
    if (oldMode) SetStretchBltMode(d, oldMode);
  }
  return lines > 0 ? 0 : 1;
}

// ---------------------------------------------------------------- glyphs

void Map_DrawGlyph(void* dc, i32 x, i32 y, u32 background, u32 textColour, u32 code) {
  if (!dc || !Gfx_BasePicture(SYM_GLYPH_PICTURE + SYM_BLANK)) return;
  HDC d = static_cast<HDC>(dc);
  int transparent = background == SYM_TRANSPARENT;
  if (code > SYM_BLANK) {
    if (code > 0xFFFF) return;  // no such character
    wchar_t ch = wchar_t(code);
    int saved = SaveDC(d);
    HFONT font = static_cast<HFONT>(Font_GetFixSFont());
    if (font) SelectObject(d, font);
    SetTextAlign(d, TA_CENTER | TA_TOP);
    SetTextColor(d, Rgb24(textColour));
    if (transparent) {
      SetBkMode(d, TRANSPARENT);
    } else {
      SetBkMode(d, OPAQUE);
      SetBkColor(d, Rgb24(background));
    }
    TextOutW(d, x + SYM_CELL / 2, y, &ch, 1);
    RestoreDC(d, saved);
    return;
  }
  if (code == SYM_BLANK && transparent) return;
  // The cell is drawn by the buffer form of the glyph; a transparent glyph
  // puts only its ink on the device context, so the pixels around it stay.
  const u32 kUntouched = 0xFFFFFFFFu;  // no colour has its top byte set
  u32 pixels[SYM_CELL * SYM_HEIGHT];
  for (u32& p : pixels) p = kUntouched;
  SchBuf cell = {pixels, SYM_CELL, SYM_HEIGHT};
  Map_DrawGlyph(&cell, 0, 0, transparent ? SYM_TRANSPARENT : Map_RgbToBuf(background), Map_RgbToBuf(textColour),
                code);
  if (!transparent) {
    Map_BlitToDC(dc, x, y, SYM_CELL, SYM_HEIGHT, &cell);
    return;
  }
  for (i32 r = 0; r < SYM_HEIGHT; ++r)
    for (i32 k = 0; k < SYM_CELL; ++k)
      if (pixels[r * SYM_CELL + k] != kUntouched) SetPixel(d, x + k, y + r, Rgb24(textColour));
}

// ---------------------------------------------------------------- preview bitmaps

enum { PREVIEW_BITMAPS = 3, PREVIEW_GLYPH = 3 };

struct PreviewBitmap {
  HDC dc;
  HBITMAP bitmap, old;
};
static PreviewBitmap g_preview[PREVIEW_BITMAPS + 1];
static HDC g_screenDC;
static int g_stretchCaps;

static void FreePreview(PreviewBitmap& p) {
  if (p.dc && p.old) SelectObject(p.dc, p.old);
  if (p.bitmap) DeleteObject(p.bitmap);
  if (p.dc) DeleteDC(p.dc);
  p = PreviewBitmap{};
}

// Makes the memory device context with its bitmap; on failure nothing of
// it stays.
static int MakePreview(PreviewBitmap& p, int which) {
  if (p.dc) return 0;
  p.dc = CreateCompatibleDC(g_screenDC);
  if (which == PREVIEW_GLYPH)
    p.bitmap = CreateBitmap(SYM_CELL, SYM_HEIGHT, 1, 1, nullptr);
  else
    p.bitmap = CreateCompatibleBitmap(g_screenDC, 32 << which, 16 << which);
  if (!p.dc || !p.bitmap) {
    FreePreview(p);
    return 1;
  }
  p.old = static_cast<HBITMAP>(SelectObject(p.dc, p.bitmap));
  if (which != PREVIEW_GLYPH) {
    SetBkMode(p.dc, TRANSPARENT);
    SetTextAlign(p.dc, TA_CENTER);
  }
  return 0;
}

int Map_CreatePreviewBitmaps(void) {
  if (!g_screenDC) g_screenDC = GetDC(nullptr);
  if (!g_screenDC) return 1;
  int r = 0;
  for (int i = 0; i <= PREVIEW_BITMAPS; ++i) r |= MakePreview(g_preview[i], i);
  return r;
}

void Map_FreePreviewBitmaps(void) {
  for (PreviewBitmap& p : g_preview) FreePreview(p);
  if (g_screenDC) ReleaseDC(nullptr, g_screenDC);
  g_screenDC = nullptr;
}

void* Map_GetPreviewDC(int which) {
  if (which < 0 || which > PREVIEW_BITMAPS) return nullptr;
  return g_preview[which].dc;
}

void Map_SetStretchCaps(int enable) {
  HDC dc = g_screenDC ? g_screenDC : GetDC(nullptr);
  int caps = dc && (GetDeviceCaps(dc, 38) & 0x200) ? 1 : 0;
  if (dc && dc != g_screenDC) ReleaseDC(nullptr, dc);
  g_stretchCaps = enable && caps ? 1 : 0;
}

int Map_GetStretchCaps(void) { return g_stretchCaps; }

void* Map_GetScreenDC(void) { return g_screenDC; }

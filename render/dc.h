// Drawing on a device context: the pixel, line, rectangle and fill
// primitives the renderer and the dialogs share, the symbol font's glyph
// cell, the copy of a pixel buffer to a device context (the one way every
// portable drawing reaches the screen), the off-screen preview bitmaps, the
// display's stretch capability and the screen device context.
//
// Owns the preview bitmaps with their memory device contexts, the screen
// device context taken for them, and the stretch capability flag.
//
// Device contexts are HDC, passed as void* so that portable code can include
// this header; the functions exist in the Windows build only (dc_win32.cpp),
// but for the stretch flag, which the native build keeps (map_posix.cpp).
// Colours are COLORREF (0x00BBGGRR); only the low 24 bits are used. Pixel
// buffers (SchBuf) hold 0x00RRGGBB, the order of device-independent bitmaps.
//
// Promises: nothing is drawn without a device context; the device context's
// selected objects, colours and modes are as before when a call returns.
// Main thread.
#pragma once
#include "platform/types.h"
#include "render/schem.h"

// A COLORREF in the pixel order of a SchBuf (red and blue exchanged).
inline u32 Map_RgbToBuf(u32 colour) {
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

void Map_SetPixel(void* dc, i32 x, i32 y, u32 colour);
// The bitwise not of the pixel read; nothing where no pixel can be read.
void Map_InvertPixel(void* dc, i32 x, i32 y);
// Every step-th pixel from the smaller to the larger end, both ends
// included when the distance is a multiple of step; a step below 1 counts
// as 1.
void Map_VLine(void* dc, i32 x, i32 y1, int step, u32 colour, i32 y2);
void Map_HLine(void* dc, i32 x1, i32 y, int step, u32 colour, i32 x2);
// The four edges of the inclusive rectangle.
void Map_FrameRect(void* dc, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2);
// A solid fill of the inclusive rectangle; nothing when the brush cannot be
// made or the rectangle is empty (x2 < x1 or y2 < y1).
void Map_FillRect(void* dc, i32 x1, i32 y1, u32 colour, i32 y2, i32 x2);

// One 8 x 16 glyph cell of the symbol font at x, y: code 32 fills the cell
// with the background, codes 0..31 draw the glyph in the text colour on the
// background, codes above 32 are the character in the symbol font centred
// at x + 4. With the transparent background (0x80000001) only the glyph's
// own pixels are set. Nothing before the element strip is loaded.
void Map_DrawGlyph(void* dc, i32 x, i32 y, u32 background, u32 textColour, u32 code);

// Copies the buffer to the device context at x, y, stretched to width x
// height when that differs from the buffer's size. 0 ok, 1 nothing copied
// (no device context, an empty buffer or size, or the copy failed).
int Map_BlitToDC(void* dc, i32 x, i32 y, i32 width, i32 height, const SchBuf* src);

// The preview bitmaps: 32 x 16, 64 x 32 and 128 x 64 compatible bitmaps,
// each selected into its own memory device context (transparent text,
// centred alignment), and a one-bit 8 x 16 bitmap with its memory device
// context. Creates what is missing; 0 ok, 1 the screen device context or a
// bitmap is missing (what was made stays until freed).
int Map_CreatePreviewBitmaps(void);
void Map_FreePreviewBitmaps(void);
// The memory device context of preview bitmap 0 (32 x 16), 1 (64 x 32),
// 2 (128 x 64) or 3 (the one-bit glyph bitmap); null when not made.
void* Map_GetPreviewDC(int which);

// Stretch capability: 1 when enabled and the screen reports it (device
// capability 38, bit 0x200), else 0.
void Map_SetStretchCaps(int enable);
int Map_GetStretchCaps(void);
// The screen device context taken with the preview bitmaps; null before.
void* Map_GetScreenDC(void);

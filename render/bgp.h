// Background picture: the Windows BMP file a layout may lay under its cells,
// with its place and size in cells and its display mode, and the layout file
// section "ZG" that stores it together with the list of vehicle sets the
// layout uses (render/vehicles.h).
//
// Owns the BackgroundSettings (path, area, mode) and, once read, the
// picture's pixel rows and colour table. A picture that cannot be read keeps
// its settings and draws nothing.
//
// Promises: every size, count and offset of a BMP file is checked against
// the file before it is used; pixels are addressed as BMP defines them (rows
// bottom-up unless the height is negative, the leftmost pixel in the high
// nibble or high bit of a byte).
#pragma once
#include "platform/types.h"

struct BackgroundSettings {
  wch path[260];        // empty: no background picture
  i32 x, y;             // cells 0..32767
  i32 width, height;    // cells, >= 1
  i32 mode;             // 1..4
  // The picture once read (pixels null otherwise).
  i32 picWidth, picHeight, bits;
  u8* pixels;           // Heap block: the BMP's rows as stored
  u32 stride;           // bytes of one stored row
  int topDown;          // rows stored top row first (negative BMP height)
  u32 palette[256];     // COLORREF of the colour table
  u32 paletteCount;
};
extern BackgroundSettings g_background;

// Clears the path and frees the picture (the layout graphics reset).
void Bgp_Reset(void);
// 1 when the path is missing or 260 characters or longer; else 0.
int Bgp_SetPath(const wch* path);
// 1 unless 0 <= x < 32768, 0 <= y < 32768, width >= 1 and height >= 1.
int Bgp_SetArea(i32 x, i32 y, i32 width, i32 height);
i32 Bgp_GetMode(void);
int Bgp_SetMode(i32 mode);
// Each out may be null; the picture values are -1 without a path. Returns
// the path.
const wch* Bgp_GetSettings(i32* x, i32* y, i32* width, i32* height, i32* picWidth, i32* picHeight, i32* bits);

// Reads the picture of the path. 0 ok; 1 no path; 2 the file does not open;
// 3 not a BMP this program reads (header, planes, bits, compression, sizes);
// 4 cut short; 5 out of memory. On failure shows message 625 with the path.
int Bgp_LoadPicture(void);
// The same from a BMP in memory, without a message.
int Bgp_LoadPictureMemory(const u8* data, u32 size);
// Pixel (x, y), y counted from the top row, as COLORREF; 0xFF0000 outside the
// picture or without one.
u32 Bgp_GetPixel(i32 x, i32 y);
// Pixel i of the picture counted row by row from the top-left pixel (i =
// y * picture width + x), as Bgp_GetPixel gives it: every pixel format the
// store reads (32, 24, 8, 4 and 1 bits) becomes a COLORREF, the 4- and 1-bit
// rows in the BMP's own pixel order; 0xFF0000 outside the picture or
// without one.
u32 Map_BackgroundPixel(i32 i);

// Layout file section "ZG": tag, vehicle set ids, background block.
// 0 or the stream's code.
int Bgp_SaveSection(void);
// Forgets the layout graphics, reads the section; 0, 3 malformed (tag,
// flag, sizes, path), else the stream's code. The loader adds 130.
int Bgp_LoadSection(u16 version);
// The same section under the vehicle catalogue's names: the list of the
// cached vehicle sets travels in it.
int Gfx_WriteLayoutGraphicsSection(void);
int Gfx_ReadLayoutGraphicsSection(u16 version);

// What section "ZG" stands for in memory, around a layout load: the picture
// and the cached vehicle sets are set aside (0; the store is then empty), put
// back over what the load left (1), dropped (2), or dropped with what is in
// use (3, an empty layout). The steps are those of LayHooks::keepGraphics.
enum { BGP_SET_ASIDE = 0, BGP_PUT_BACK = 1, BGP_DROP = 2, BGP_DROP_ALL = 3 };
void Bgp_KeepLayoutGraphics(int step);

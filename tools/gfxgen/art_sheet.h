// Contact sheet of the generator: every picture at every zoom on one large
// picture, each labelled with its code, so the art can be reviewed by eye.
//
// Owns: the sheet's pixels while it is filled, and its tiny built-in font.
//
// Promises: tiles are laid out left to right in rows of the sheet's width;
// the sheet is written as a 24-bit BMP through the write stream.
#pragma once
#include <vector>

#include "platform/types.h"
#include "tools/gfxgen/art_picture.h"
#include "tools/gfxgen/art_track.h"

struct Sheet {
  int width = 0, height = 0;
  std::vector<u32> px;  // 0x00RRGGBB, top row first
  int penX = 0, penY = 0, rowH = 0;
};

void Ash_Init(Sheet* s, int width);
// A heading on a new row.
void Ash_Heading(Sheet* s, const char* text);
// A tile: the label and the pictures of one code at zoom 1, 2 and 4, each
// over a patch of ground (groundRow >= 0: that track ground under it).
// The tile shows the box (x0, y0, w, h) of the cell frame in zoom-1 units.
void Ash_AddTile(Sheet* s, const char* label, const ApcPicture* const* pics, int count, const AtkGround* g,
                 int groundRow, int x0 = -16, int y0 = -8, int w = 64, int h = 56);
// A tile of raw pixels (vehicle views): w x h CellPixel words at scale 1.
void Ash_AddPixels(Sheet* s, const char* label, const u32* px, int w, int h);
// A mask tile: values drawn in fixed colours, scaled by scale.
void Ash_AddMask(Sheet* s, const char* label, const u8* mask, int w, int h, int scale);
// Text in the tiny font at (x, y), top-left, in colour.
void Ash_Text(Sheet* s, int x, int y, const char* text, u32 colour);
// Writes the sheet as a BMP file (full path). 0 ok, else the stream's code.
int Ash_SaveBmp(const Sheet* s, const wch* path);

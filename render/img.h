// Picture export: level 0 of the layout (or of the marked box) as a PCX or
// BMP file, one pixel for each started block of n x n cells, coloured with
// the overview map's export colours (g_ovwExport holds n and the options).
//
// Both writers go through the write stream, so a failed export leaves any
// older file of that name as it was.
#pragma once
#include "platform/types.h"

// Option bits of g_ovwExport.options.
enum { IMG_MONO = 1, IMG_PALETTE = 2, IMG_NO_DETAIL = 4, IMG_TRAINS_AS_TRACK = 8 };
// Results: 0 written; 3 the file could not be created; 1, 2 a write failed
// with that stream code; close code + 3 when closing failed; IMG_EMPTY
// nothing to export (an empty layout).
enum { IMG_EMPTY = 9 };

// The marked box, when the export asks for it: its corners and its level
// range (the box is taken when one end of the range is level 0, else the
// layout's extent).
struct ImgBox {
  i32 x1, y1, x2, y2, level1, level2;
};
// The area (inclusive corners): 0 found; 1 none.
int Img_ExportArea(const ImgBox* box, i32* x1, i32* y1, i32* x2, i32* y2);
// box: null for the whole layout.
int Img_ExportPcx(const wch* path, const ImgBox* box);
int Img_ExportBmp(const wch* path, const ImgBox* box);

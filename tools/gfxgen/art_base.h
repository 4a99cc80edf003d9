// The base picture file's contents: the ground masks of the track patterns
// (pieces 0..87 at zoom 1, their zoom-2 masks from picture 144 on) and the
// symbol font (pictures 88..120, with zoom-2 masks for 88..119).
//
// Owns: the glyph drawings of the symbol font and the placing of every mask
// into the 720 pictures.
//
// Promises: every picture is written as an 8-bit picture whose bytes map to
// the mask values; glyph pixels carry bit 2 (and bit 5), blank pixels 0.
#pragma once
#include "platform/types.h"
#include "render/gfxfile.h"
#include "tools/gfxgen/art_track.h"

enum { ABS_GLYPH_FIRST = 88, ABS_GLYPHS = 33 };

// Glyph code (0..32) at zoom 1 (8 x 16) or 2 (16 x 32): 1 set, 0 blank,
// top row first.
void Abs_Glyph(int code, int zoom, u8* out);
// Picture number of quarter q (0 bottom-left, 1 bottom-right, 2 top-left,
// 3 top-right) of the zoom-2 mask of piece n.
int Abs_Zoom2Picture(int piece, int quarter);
// Fills the whole file (ground must have been built).
void Abs_BuildBase(const AtkGround* ground, GfxBaseFile* file);
// The file byte that stands for a mask value (the inverse of the fixed
// mapping of 8-bit pictures); values without a byte give 0.
u8 Abs_ByteOfMask(u8 mask);

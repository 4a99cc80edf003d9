// Picture codes: the symbols a user places on cells (ways, platforms,
// fences, buildings, trees, fields, water, streets, street furniture, signs)
// and the marks the program draws itself (see-through cell, info and log
// point marks, which lie in layer 3 over the cell).
//
// Owns: which picture codes have a picture and the drawing of each.
//
// Promises: every code of the picture-code ranges from 49154 on has a
// picture; codes of the same range share one look and differ in their
// details, so a range reads as one family in the tile palette.
#pragma once
#include "platform/types.h"
#include "tools/gfxgen/art_element.h"
#include "tools/gfxgen/art_picture.h"

// 1 when the code has a picture.
int Asy_HasPicture(u32 code);
// Every picture code with a picture, ascending; the count. out may be null.
int Asy_ListCodes(u32* out, int max);
ApcDraw Asy_Prepare(u32 code, ApcSpec* spec);
// The number of pictures of a code that the compositor picks by cell
// parity: 4 for the grounds that cover areas (fields, forest, water), else 1.
int Asy_PartCount(u32 code);
// The drawing of picture part 1..4 of such a code (0: its one picture):
// the routine is to be called with *drawCode in place of the code.
ApcDraw Asy_PreparePart(u32 code, int part, ApcSpec* spec, u32* drawCode);
void Asy_Name(u32 code, char* buf, int size);
// The chimney smoke and clock of a picture code (clock towers, factory
// chimneys, the chimneys of some houses); 1 when it has any.
int Asy_Effects(u32 code, ArtEffects* out);
// Draws way shape 0..79 in asphalt, as picture code 49408 + shape draws it
// (0 a road from the left side to the right), or with pavements as the
// street of code 52480 + shape: for pictures of other files that carry a
// road on, such as a level crossing, so it meets the way cells beside it
// pixel for pixel.
void Asy_DrawWayShape(Canvas* c, int shape, bool pavement);

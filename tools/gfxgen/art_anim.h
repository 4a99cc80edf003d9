// Animated picture codes: windmills with turning sails, level-crossing
// barriers that close and open with blinking lamps, fountains, and clock
// towers with a flag in the wind. Each has its resting picture (picture 0,
// what the tile palette and a still view show) and the pictures of its
// animation steps (1..n), which the program's multi-cell symbol
// definitions cycle through.
//
// Owns: which picture codes are animated, how many pictures each has and
// how every one of them is drawn.
//
// Promises: every picture of a code stands in the same place and keeps
// inside the drawing box of Aan_Spec, so the steps replace each other
// without leftovers; the same frame draws the same pixels every time.
#pragma once
#include "platform/types.h"
#include "tools/gfxgen/art_canvas.h"
#include "tools/gfxgen/art_picture.h"

// The pictures of a code beyond its resting one; 0 for a code that is not
// animated.
int Aan_FrameCount(u32 code);
// Every animated code, ascending; the count. out may be null.
int Aan_ListCodes(u32* out, int max);
// The picture that the next drawings of Aan_Draw make (0 resting); the
// generator sets it around the rendering of one animation picture.
void Aan_SetFrame(int frame);
// Draws the current picture of a code that this file draws (the animated
// codes and the other clock towers); 0, drawing nothing, for any other.
int Aan_Draw(Canvas* c, u32 code);
// The drawing box of a code's pictures (taller than a plain symbol's:
// sails and flags reach above the cell row).
void Aan_Spec(u32 code, ApcSpec* spec);

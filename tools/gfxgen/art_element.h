// Element pictures: the trackside objects and special track pieces that
// stand on a cell over its ground (signals in each aspect, stops, depot
// places, buffer stops, the points of LFST, shunting, Dwx, timetable and
// sound, ramps, tunnel portals, bridges, level crossings).
//
// Owns: which element shapes have a picture and how each is drawn.
//
// Promises: every shape the graphics store loads from the combined element
// files has a picture; objects stand on the side of the track that a driver
// travelling in the element's direction sees on the right.
#pragma once
#include "platform/types.h"
#include "tools/gfxgen/art_picture.h"

// Class bases whose element codes have pictures (the store's four banks).
extern const u16 kAelClassBases[4];

// 1 when the shape (code & 0x1FF) has an element picture.
int Ael_HasPicture(int shape);
// Every element code with a picture, ascending; the count. out may be null.
int Ael_ListCodes(u32* out, int max);
// The drawing of a code: fills spec and returns the draw routine.
ApcDraw Ael_Prepare(u32 code, ApcSpec* spec);
// A short English name of the element (at most 40 characters).
void Ael_Name(u32 code, char* buf, int size);

// Signal aspects by element class: 3 clear, 4 expect stop, 2 stop, 0 for
// a signal without aspect (the ten-state kind); -1 for no signal.
int Ael_SignalAspect(int shape);
// The lamp colour a signal of that shape shows (for tests): 0 none.
u32 Ael_AspectColour(int shape);

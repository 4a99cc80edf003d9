// Element pictures: the trackside objects and special track pieces that
// stand on a cell over its ground (signals in each aspect, stops, depot
// places, buffer stops, the points of LFST, shunting, Dwx, timetable and
// sound, ramps, tunnel portals, bridges, level crossings), with the smoke of
// the depot sheds' chimneys and the clocks of timetable points and
// platforms.
//
// Owns: which element shapes have a picture and how each is drawn.
//
// Promises: every shape the graphics store loads from the combined element
// files has a picture; objects stand on the side of the track that a driver
// travelling in the element's direction sees on the right.
#pragma once
#include "platform/types.h"
#include "render/gfxfile.h"
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

// Chimney smoke and clock of a picture, in zoom-1 units of the cell frame
// (y up from the cell bottom); the compositor draws them over the picture.
struct ArtEffects {
  int smoke = 0, lightSmoke = 0;
  int smokeX = 0, smokeY = 0, smokeWidth = 0;  // the source's left end
  int clock = 0, clockLayer = 2, clockFlags = 0;
  float clockX = 0, clockY = 0;  // centre of the dial
  int clockSize = 0;             // at zoom 1
  u32 handA = 0, handB = 0;
};
// The effects of an element code's picture; 1 when it has any.
int Ael_Effects(u32 code, ArtEffects* out);
// Writes the effects into a record of its zoom (placement block and
// offsets, as the graphics store reads them).
void Art_SetRecordEffects(GfxElementRecord* rec, const ArtEffects* fx);

// Signal aspects by element class: 3 clear, 4 expect stop, 2 stop, 0 for
// a signal without aspect (the ten-state kind); -1 for no signal.
int Ael_SignalAspect(int shape);
// The lamp colour a signal of that shape shows (for tests): 0 none.
u32 Ael_AspectColour(int shape);

// Sound points and train sounds: cells that make passing trains sound, and
// the sound output switch.
//
// Owns the sound point store. Records, the section "SNDP", the catalogue and
// playback come with the sound issue; until then the store is empty and
// sound output is off.
#pragma once
#include "platform/types.h"

struct SoundPoint {
  SoundPoint* Next;
  SoundPoint* BucketNext;
  i32 X, Y, Level;
  u32 Flags;
  u32 DirMask;
  u32 Style;
  i32 WordCount;
  u32* Words;
};

u32 Snd_PointCount(void);
// 1 while sound output is on.
int Snd_OutputOn(void);
// The point at the cell; null none.
const SoundPoint* Snd_GetPointAt(i32 x, i32 y, i32 level);
// Duration of a catalogue sound in ms; 0 none.
u32 Snd_GetDuration(u32 sound);
// Event sound 0, the short refusal sound of commands and keys; only while
// sound output is on.
void Snd_RequestEvent0(void);

#include "operation/snd.h"

static SoundPoint* s_first;
static u32 s_count;

u32 Snd_PointCount(void) { return s_first ? s_count : 0; }

int Snd_OutputOn(void) { return 0; }

const SoundPoint* Snd_GetPointAt(i32, i32, i32) { return nullptr; }

u32 Snd_GetDuration(u32) { return 0; }

// Without the sound output there is nothing to play the request on; the
// output's owner takes it over when it comes.
void Snd_RequestEvent0(void) {}

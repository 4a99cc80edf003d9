// Train sounds: the horn, running, departure, stop and arrival sounds of
// trains, requested as message 1029 to the frame window under one rule
// (drawing not suspended, trains sound, the train followed or every train
// sounding, its head cell audible), the repeating running sound and the horn
// countdown every 10 ticks, and what a sound point asks of a passing train.
//
// Reads and changes only the sound fields of the train records
// (HornCountdown, NextRunSound). Main thread only.
#pragma once
#include "platform/types.h"

struct TrainRec;

// 0 while drawing is suspended; else the audibility of the head cell
// (Snd_CellAudibility): 0 not audible, 1 in a view, 2 near one.
int Trn_SoundAudibility(const TrainRec* t);
// 1 when the train's own sounds may be requested: drawing not suspended,
// trains sound, and option bit 4 set or the train followed.
int Trn_MaySound(const TrainRec* t);
// Requests the train's sound number (TRN_NONE: nothing) when it may sound
// and is audible; audibility -1 asks it here. 1 posted.
int Trn_RequestSound(const TrainRec* t, u32 sound, int audibility);
// Every 10 ticks: horn countdowns and the running sounds that are due.
void Trn_SoundStep(void);
// The running-sound time is due: now has reached the time (both tick counts
// in ms, compared across the wrap of the count).
int Trn_RunSoundDue(u32 now, u32 due);
// The train's head entered the sound point at the cell (direction code of
// its travel): its horn, horn countdown and running sound as the point asks.
void Trn_PassSoundPoint(TrainRec* t, i32 x, i32 y, i32 level, u32 dirCode);

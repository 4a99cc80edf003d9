#include "operation/trnsound.h"

#include "model/line.h"
#include "operation/snd.h"
#include "operation/sndcat.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "platform/os.h"

int Trn_SoundAudibility(const TrainRec* t) {
  if (Snd_DrawingSuspended()) return 0;
  const TrainCell& h = Trn_Cells(t)[0];
  return Snd_CellAudibility(h.X, h.Y, h.Level);
}

int Trn_MaySound(const TrainRec* t) {
  if (Snd_DrawingSuspended() || !Snd_TrainSoundsOn()) return 0;
  return (Snd_GetOptions() & SND_OPT_ALL_TRAINS) || Trn_GetFollowed() == t;
}

int Trn_RequestSound(const TrainRec* t, u32 sound, int audibility) {
  if (sound == TRN_NONE || !Trn_MaySound(t)) return 0;
  if (audibility < 0) audibility = Trn_SoundAudibility(t);
  if (!audibility) return 0;
  return Snd_PostRequest(sound, audibility == 2 ? u32(SND_REQ_NEAR) : 0u);
}

int Trn_RunSoundDue(u32 now, u32 due) {
  // The tick count wraps after 49.7 days: the difference, read as signed,
  // says which lies ahead for any two times less than 24.8 days apart.
  return i32(now - due) >= 0;
}

void Trn_SoundStep(void) {
  if (Snd_DrawingSuspended() || !Snd_TrainSoundsOn()) return;
  const u32 now = Os_GetTickCount();
  for (TrainRec* t = TrnList_StateHead(TRN_LIST_MOVING); t; t = t->NextInState) {
    int audibility = -1;
    if (t->HornCountdown > 0) {
      t->HornCountdown -= 10;
      if (t->HornCountdown < 1 && t->HornSound != TRN_NONE && Trn_MaySound(t)) {
        audibility = Trn_SoundAudibility(t);
        Trn_RequestSound(t, t->HornSound, audibility);
      }
    }
    if (t->NextRunSound == TRN_NONE || !Trn_RunSoundDue(now, t->NextRunSound)) continue;
    if (audibility < 0) audibility = Trn_SoundAudibility(t);
    const u32 d = t->RunSound == TRN_NONE ? 0 : Snd_GetDuration(t->RunSound);
    // The sound repeats at its own length in real time, whatever the speed.
    if (d > 0) t->NextRunSound = now + d;
    Trn_RequestSound(t, t->RunSound, audibility);
  }
}

void Trn_PassSoundPoint(TrainRec* t, i32 x, i32 y, i32 level, u32 dirCode) {
  if (Snd_DrawingSuspended() || !Snd_TrainSoundsOn()) return;
  i32 count = 0;
  const u32* list = nullptr;
  u32 dirMask = 0;
  const u32 flags = Snd_GetPointAt(x, y, level, &count, &list, &dirMask);
  if (!flags || !(dirMask & dirCode)) return;
  if ((flags & SND_F_LINES) && count > 0) {
    const int match = Lin_ListMatchNow(list, count, t->CurLine, nullptr, u32(t->Number));
    if ((match && (flags & SND_F_LINES_NOT)) || (!match && (flags & SND_F_LINES_ONLY))) return;
  }
  int audibility = -1;
  if (flags & SND_F_HORN) {
    audibility = Trn_SoundAudibility(t);
    Trn_RequestSound(t, t->HornSound, audibility);
    if (flags & SND_F_HORN_COUNTDOWN) t->HornCountdown = i32(Snd_GetDuration(t->HornSound) / 10);
  }
  if (flags & (SND_F_RUN_REPEAT | SND_F_RUN_ONCE)) {
    Trn_RequestSound(t, t->RunSound, audibility);
    if (flags & SND_F_RUN_REPEAT) {
      const u32 d = t->RunSound == TRN_NONE ? 0 : Snd_GetDuration(t->RunSound);
      t->NextRunSound = d >= 1 ? Os_GetTickCount() + d : TRN_NONE;
    } else {
      t->NextRunSound = TRN_NONE;
    }
  } else if (flags & SND_F_RUN_STOP) {
    t->NextRunSound = TRN_NONE;
  }
}

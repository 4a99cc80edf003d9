#include "operation/trnretry.h"

#include "operation/trnlist.h"
#include "operation/trnmove.h"

// Ends every wait that is due and counts the first one still running down.
// The end move unlinks the train, which hands its delta of 0 to the next.
static void TrnList_StepCountdown(u32 list, void (*endWait)(TrainRec*)) {
  TrainRec* t = TrnList_StateHead(list);
  while (t && t->WaitLeft <= 0) {
    TrainRec* next = t->NextInState;
    endWait(t);
    t = next;
  }
  if (t) t->WaitLeft--;
}

void TrnList_StepStopList(void) { TrnList_StepCountdown(TRN_LIST_STOP, Trn_EndStop); }
void TrnList_StepStopSoundList(void) { TrnList_StepCountdown(TRN_LIST_STOP_SOUND, Trn_EndStopSound); }
void TrnList_StepReverseWaitList(void) { TrnList_StepCountdown(TRN_LIST_REVERSE_WAIT, Trn_EndReverseWait); }

void Trn_ServeRetryList(i32 phase) {
  if (phase < 0 || phase >= TRN_RETRY_LISTS) return;
  const u32 list = TRN_LIST_RETRY + u32(phase);
  TrainRec* t = TrnList_StateHead(list);
  while (t) {
    TrainRec* next = t->NextInState;
    Trn_EnterNextCell(t);
    t = next;
  }
}

int Trn_ReleaseHeldAt(i32 x, i32 y, i32 level) {
  for (TrainRec* t = TrnList_StateHead(TRN_LIST_HELD); t; t = t->NextInState) {
    const TrainCell& h = Trn_Cells(t)[0];
    if (h.X != x || h.Y != y || h.Level != level) continue;
    Trn_ReleaseHeld(t, 0);
    return 0;
  }
  return 1;
}

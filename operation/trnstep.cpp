#include "operation/trnstep.h"

#include "operation/clock.h"
#include "operation/trnlist.h"
#include "operation/trnmove.h"

void Trn_UpdateTargetSpeed(TrainRec* t) {
  u32 v = t->MaxSpeed;
  if (t->SpeedCapA && t->SpeedCapA < v) v = t->SpeedCapA;
  if (t->SpeedCapB && t->SpeedCapB < v) v = t->SpeedCapB;
  if (t->SpeedCapC && t->SpeedCapC < v) v = t->SpeedCapC;
  t->TargetSpeed = v;
  if (t->StateFlags & TRN_FOLLOWED) Trn_MarkFollowedMoved();
}

u32 Trn_StepIntervalFor(u32 speed) {
  if (!speed) return 0;
  const u32 iv = TickConstant / speed;
  // A speed beyond the tick constant would give interval 0, which reads as
  // "never moved" below; such a train still steps at the highest rate.
  return iv ? iv : 1;
}

void Trn_StepTrain(TrainRec* first) {
  TrainRec* t = first;
  while (t) {
    TrainRec* next = t->NextInState;
    const i32 old = i32(t->Speed);
    const i32 target = i32(t->TargetSpeed);
    i32 s = old;
    if (s < target) {
      if (!t->Accel) s = target;
      else {
        s += i32(t->AccelStep);
        if (s > target) s = target;
      }
    } else if (s > target) {
      if (!t->Brake) s = target;
      else {
        s -= i32(t->BrakeStep);
        if (s < target) s = target;
      }
    }
    if (s != old && s > 0) {
      const u32 iv = Trn_StepIntervalFor(u32(s));
      t->StepCountdown = t->StepCountdown - i32(t->StepInterval) + i32(iv);
      t->StepInterval = iv;
    }
    t->Speed = u32(s);
    // Interval 0: the train has not had a speed since it started moving (a
    // maximum speed of 0, an acceleration step of 0). Reloading the countdown
    // with 0 would give it a sub-step every tick, the highest rate; it stands.
    if (t->StepInterval) {
      t->StepCountdown -= i32(t->StepDecrement);
      if (t->StepCountdown <= 0) {
        t->StepCountdown += i32(t->StepInterval);
        if (t->SubCellOffset > 0) {
          t->SubCellOffset -= 4;
          Trn_MoveInCell(t);
        } else {
          Trn_EnterNextCell(t);
        }
      }
    }
    t = next;
  }
}

void Trn_StepAll(void) { Trn_StepTrain(TrnList_StateHead(TRN_LIST_MOVING)); }

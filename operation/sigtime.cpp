#include "operation/sigtime.h"

#include "operation/snd.h"
#include "operation/sndcat.h"

#include "model/grid.h"
#include "operation/clock.h"
#include "operation/sigeval.h"
#include "operation/trnquery.h"

static u32 Sig_DayBit(void) { return 1u << ((g_simClock.weekday >= 1 && g_simClock.weekday <= 7 ? g_simClock.weekday : 1) - 1); }

void Sig_ComputeNextSwitch(SignalInstallation* a) {
  if (!a->Schedule) return;
  const SimClock& c = g_simClock;
  a->Schedule->Next = Tim_ScheduleNext(a->Schedule->Bytes, Sig_DayBit(), c.hour, 0, c.second, c.minute);
}

void Sig_RecalcNextSwitchTimes(void) {
  for (SignalInstallation* a = Sig_FirstScheduled(); a; a = a->NextScheduled) Sig_ComputeNextSwitch(a);
}

void Sig_ArmSwitch(SignalElement* e, int list1, i32 amount) {
  const SimClock& c = g_simClock;
  int second = 0, minute = 0, hour = 0, day = 0;
  Tim_SplitWeekSeconds(c.weekday, c.hour, c.minute, &second, &minute, &hour, &day, c.second,
                       list1 ? e->Delay1 : e->Delay2);
  SignalSwitch& s = list1 ? e->Switch1 : e->Switch2;
  s.Weekday = u8(day);
  s.Hour = u8(hour);
  s.Minute = u8(minute);
  s.Second = u8(second);
  i32& total = list1 ? e->Amount1 : e->Amount2;
  total += amount;
}

// A switch fires at its time of day on its weekday: delays of a day or
// more would otherwise fire at the first matching time, a day early. While
// the weekday is frozen every day is the same day, and the time alone counts.
static i32 Sig_TakeSwitch(SignalSwitch& s, i32& amount) {
  const SimClock& c = g_simClock;
  if (s.Hour == SIG_HOUR_NONE || s.Hour != c.hour || s.Minute != c.minute || s.Second != c.second) return 0;
  if (!c.weekdayFrozen && s.Weekday != c.weekday) return 0;
  const i32 taken = amount;
  s.Hour = SIG_HOUR_NONE;
  amount = 0;
  return taken;
}

// Undoes a passage: positive entries count out, negative ones in.
static void Sig_Undo(const i32* ids, SignalInstallation* const* inst, i32 count, i32 amount) {
  for (i32 i = 0; i < count; ++i) {
    if (!inst[i]) continue;
    if (ids[i] > 0) Sig_InstallationLeave(inst[i], amount);
    else Sig_InstallationEnter(inst[i], amount);
  }
}

void Sig_ClockStep(void) {
  const SimClock& c = g_simClock;
  const u32 dayBit = Sig_DayBit();
  const PackedWeekTime now = dayBit << 24 | u32(c.hour) << 16 | u32(c.minute) << 8 | c.second;
  for (SignalInstallation* a = Sig_FirstScheduled(); a; a = a->NextScheduled) {
    SignalSchedule* s = a->Schedule;
    if (!s) continue;
    const int start = s->Next == now;
    if (start) Sig_ComputeNextSwitch(a);
    int end = 0;
    if (s->Duration) {
      int second = 0, minute = 0, hour = 0, day = 0;
      Tim_SplitWeekSeconds(c.weekday, c.hour, c.minute, &second, &minute, &hour, &day, c.second,
                           -i32(s->Duration % TIM_WEEK_SECONDS));
      end = Tim_ScheduleContains(s->Bytes, 1u << (day - 1), hour, second, minute);
    }
    if (start == end) continue;
    const int in = start ? (s->Kind & 1) : !(s->Kind & 1);
    if (in) Sig_InstallationEnter(a, 1);
    else Sig_InstallationLeave(a, 1);
  }
  for (SignalElement* e = Sig_FirstDelayed(); e; e = e->NextDelayed) {
    const i32 a1 = Sig_TakeSwitch(e->Switch1, e->Amount1);
    const i32 a2 = Sig_TakeSwitch(e->Switch2, e->Amount2);
    if (a1 > 0) Sig_Undo(e->List1, e->List1Inst, e->List1Count, a1);
    if (a2 > 0) Sig_Undo(e->List2, e->List2Inst, e->List2Count, a2);
  }
}

// The element's cell code: under a train the code saved there, bit 14 off.
static u32 Sig_NormalisedCode(const SignalElement* e) {
  u32 code = Grid_GetCellChecked(e->X, e->Y, e->Level);
  if (Cell_IsTrainMarker(code)) return Trn_GetCellGraphic(e->X, e->Y, e->Level, u16(code));
  return Cell_Normalised(code);
}

static void Sig_BlinkOne(SignalElement* e, void*) {
  if (e->Type != 4 || e->State > 15 || Sig_ShapeKind(Sig_NormalisedCode(e)) != 2) return;
  if (e->BlinkCounter > 0) {
    if (e->BlinkCounter-- == 5) Sig_RedrawElement(e);
    return;
  }
  // A closed crossing rings once a second.
  e->BlinkCounter = 9;
  Sig_RedrawElement(e);
  Snd_RequestSlotAtCell(e->State <= 7 ? SND_SLOT_LC1 : SND_SLOT_LC2, e->X, e->Y, e->Level, SND_OPT_SIGNALS);
}

void Sig_BlinkStep(void) { Sig_ForEachElement(Sig_BlinkOne, nullptr); }

void Sig_SwitchingStep(void) {
  SignalElement** p = Sig_BlinkListHead();
  while (*p) {
    SignalElement* e = *p;
    const int crossing = e->Type == 4 && e->State >= 16 && e->State <= 23 &&
                         Sig_ShapeKind(Sig_NormalisedCode(e)) == 2;
    if ((crossing || (e->Type >= 1 && e->Type <= 3)) && e->SwitchingCounter >= 1) {
      if (e->SwitchingCounter-- == 5) Sig_RedrawElement(e);
    }
    if (e->SwitchingCounter < 1) {
      *p = e->NextBlink;
      e->NextBlink = nullptr;
      e->OnBlinkList = 0;
    } else {
      p = &e->NextBlink;
    }
  }
}

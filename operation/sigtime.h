// Timed signal switching and blinking: the weekly schedules that count
// installations full or free for a span, the delayed switches that undo a
// train's counting after a delay, the blinking of closed level crossings
// and the short switching phase after an aspect change.
//
// Owns no records (operation/sig keeps the scheduled, delayed and blink
// lists). The clock calls Sig_ClockStep once per simulated second and
// Sig_SwitchingStep every 40 ticks; the shell calls Sig_BlinkStep for each
// request of its 100 ms timing thread. Main thread only.
#pragma once
#include "operation/sig.h"

// The installation's next switching time after the clock's time now.
void Sig_ComputeNextSwitch(SignalInstallation* a);
// Every scheduled installation's next switching time, after the clock was set.
void Sig_RecalcNextSwitchTimes(void);
// A passage arms the delayed switch of list 1 (list1) or list 2 at now +
// its delay, adding the amount.
void Sig_ArmSwitch(SignalElement* e, int list1, i32 amount);
void Sig_ClockStep(void);
void Sig_BlinkStep(void);
void Sig_SwitchingStep(void);

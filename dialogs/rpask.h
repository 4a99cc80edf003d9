// The question a shunting point puts to the user who drives a train
// (template 120): let the train pass, take it, take it as the point is set,
// stop or start following, or stop the simulation.
//
// Owns nothing but the dialog's descriptor while it runs. The descriptor and
// the view centring are portable; only running the template is Windows
// (rpask_win32); the native build answers as if the dialog were closed.
// Main thread only.
#pragma once
#include "model/rngp.h"
#include "platform/types.h"

enum { RPASK_DESC_SIZE = 128 };
enum : u16 { RPASK_TXT_TITLE = 15522, RPASK_TXT_ANSWERS = 15525 };  // 15525 + answer - 120: the buttons

// The descriptor of the question: title, question text, the six answer
// buttons (the take answer disabled when not offered; one of the following
// answers, by whether a train is followed), Help. 0 ok, 1 too small.
int RpAsk_BuildDesc(const RpQuestion* q, int following, u8* bytes, u32 size);
// The hook of the shunting points: centres the following view on the cell
// when it shows another level, then asks. The answer (120..125), or 0 when
// the dialog was closed.
int RpAsk_Ask(const RpQuestion* q);
// Runs template 120 with the descriptor; the end code (0 when closed).
int RpAsk_Run(u8* bytes);

#include "model/rngp.h"

static ShuntPoint* s_first;
static u32 s_count;

u32 Rp_Count(void) { return s_first ? s_count : 0; }

u32 Rp_ForTrain(TrainRec*, i32, i32, i32, u32) { return 0; }

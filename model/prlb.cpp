#include "model/prlb.h"

static BufferStop* s_first;
static u32 s_count;

u32 Prell_Count(void) { return s_first ? s_count : 0; }

i32 Prell_GetValue(i32, i32, i32) { return -1; }

// Buffer stops: objects at buffer-stop cells that hold a train for a while
// before it reverses.
//
// Owns the buffer stop store. Records, the section "PRLB" and the clipboard
// block come with the buffer-stop issue; until then the store is empty.
#pragma once
#include "platform/types.h"

struct BufferStop {
  BufferStop* Next;
  BufferStop* BucketNext;
  i32 X, Y, Level;
  i32 Value;
  u32 Kind;
};

u32 Prell_Count(void);
// The wait in seconds, -1 when there is no record.
i32 Prell_GetValue(i32 x, i32 y, i32 level);

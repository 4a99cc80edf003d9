#include "operation/dmsg.h"

#include "operation/clock.h"

static DispatcherMessage s_entries[DMSG_MAX_ENTRIES];
static u32 s_count;

int Dmsg_Post(u32 kind, i32 x, i32 y, i32 level, u32 data, i32 number, u32 curLine, u32 line) {
  if (kind < 1 || kind > 29 || s_count >= DMSG_MAX_ENTRIES) return 1;
  DispatcherMessage& e = s_entries[s_count++];
  e = DispatcherMessage{};
  e.Kind = kind;
  e.Time = Clk_Now();
  e.X = x;
  e.Y = y;
  e.Level = level;
  e.Data = data;
  e.Number = number;
  e.CurLine = curLine;
  e.Line = line;
  return 0;
}

u32 Dmsg_Count(void) { return s_count; }

const DispatcherMessage* Dmsg_Get(u32 index) { return index < s_count ? &s_entries[index] : nullptr; }

void Dmsg_Clear(void) { s_count = 0; }

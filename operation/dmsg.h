// Dispatcher messages: the list of at most 200 entries that signals, turnout
// controllers, timetable points, multi-cell symbols and train movement post
// when something needs the dispatcher's attention. Entries are not saved
// with the layout.
//
// Owns the entry store. The kinds' on/off/stop settings, the list dialog and
// the region hooks come with the dispatcher list itself; until then every
// kind is on and an entry is kept while there is room.
#pragma once
#include "platform/types.h"

enum { DMSG_MAX_ENTRIES = 200 };

struct DispatcherMessage {
  u32 Kind;  // 1..29
  u32 Day, Weekday, Time;
  i32 Number;
  i32 X, Y, Level;
  u32 Line, CurLine;
  u32 Data;
};

// Adds an entry of the kind for a train at a cell; 0 kept, 1 list full or
// kind out of range.
int Dmsg_Post(u32 kind, i32 x, i32 y, i32 level, u32 data, i32 number, u32 curLine, u32 line);
u32 Dmsg_Count(void);
// The entry at an index; null out of range.
const DispatcherMessage* Dmsg_Get(u32 index);
void Dmsg_Clear(void);

// Log points and the run log: cells at which events of passing and stopping
// trains are written to the run log file.
//
// Owns the log point store and the run log switch. Records, the section
// "LOGP" and the log file come with the run-log issue; until then the store
// is empty and logging is off.
#pragma once
#include "platform/types.h"

struct TrainRec;

struct LogPoint {
  LogPoint* Next;
  LogPoint* BucketNext;
  i32 X, Y, Level;
  u32 Flags;
  u32 DirMask;
};

u32 Logp_Count(void);
// 1 while the run log is written.
int Logp_IsLogging(void);
// One event line (kinds 0..6) for the train at its head cell.
void Logp_LogEvent(const TrainRec* t, u32 kind, i32 value);
// The passing lines for a train that entered a cell.
void Logp_LogPassing(const TrainRec* t, i32 x, i32 y, i32 level);

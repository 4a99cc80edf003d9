// Log points and the run log: cells at which events of passing and stopping
// trains are written to the run log file.
//
// Owns the log point store and the run log switch. The least form of the
// store: set, find, read and delete at a cell. The section "LOGP", the
// clipboard block, the region hooks and the log file come with the run-log
// issue; until then logging is off.
#pragma once
#include "platform/types.h"
#include "model/pointobj.h"

struct TrainRec;

enum { LOGP_NAME_MAX = 32 };
// Flag bits of a log point.
enum { LOGP_F_ENTER = 1, LOGP_F_LEAVE = 2, LOGP_F_DEPART = 4, LOGP_F_ARRIVE = 8, LOGP_F_OFF = 16 };

struct LogPoint {
  PointHead Head;
  u32 DirMask;
  u32 Flags;
  wch Name[LOGP_NAME_MAX + 1];
};

void Logp_Init(void);
void Logp_Clear(void);
u32 Logp_Count(void);
// Creates the point (replacing one at the cell); the name is cut to 32
// characters, leading blanks removed. 0 ok, 1 no memory.
int Logp_Set(i32 x, i32 y, i32 level, u32 dirMask, const wch* name, u32 flags);
// 1 when there is no point, else 0.
int Logp_Delete(i32 x, i32 y, i32 level);
// The point at the cell, null when none. (A point's flag word may be 0, so
// presence is asked here, not through Logp_GetInfo.)
const LogPoint* Logp_Find(i32 x, i32 y, i32 level);
// The flags of the point at the cell, 0 when there is none; its directions
// and name (room for LOGP_NAME_MAX + 1) through the optional outs.
u32 Logp_GetInfo(i32 x, i32 y, i32 level, u32* dirMask, wch* name);
// 1 while the run log is written.
int Logp_IsLogging(void);
// One event line (kinds 0..6) for the train at its head cell.
void Logp_LogEvent(const TrainRec* t, u32 kind, i32 value);
// The passing lines for a train that entered a cell.
void Logp_LogPassing(const TrainRec* t, i32 x, i32 y, i32 level);

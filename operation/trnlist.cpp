#include "operation/trnlist.h"

#include "operation/sndcat.h"
#include "operation/trnsound.h"

#include "model/line.h"
#include "model/tp.h"
#include "operation/trn.h"

// ---------------------------------------------------------------- state

static TrainRec* s_first;
static u32 s_count;

// Heads and tails of the state lists, indexed by TrnStateList.
enum { TRN_LIST_SLOTS = TRN_LIST_RETRY_LAST + 1 };
static TrainRec* s_head[TRN_LIST_SLOTS];
static TrainRec* s_tail[TRN_LIST_SLOTS];

static TrainRec* s_bucket[TRN_MARKER_BUCKETS];
static i32 s_markerCounter;
static i32 s_retryPhase;

// ---------------------------------------------------------------- lines

// Lines in table order; a line not in the table (none while a layout's
// trains are read before its lines) after every line that is, by id.
int TrnList_CompareLines(u32 a, u32 b) {
  if (a == b) return 0;
  const int order = Lin_CompareOrder(a, b);
  if (order == 1) return -1;
  if (order == 2) return 1;
  const i32 ia = Lin_IndexOf(a), ib = Lin_IndexOf(b);
  if (ia >= 0) return -1;
  if (ib >= 0) return 1;
  return a < b ? -1 : 1;
}

static int TrnList_CompareKeys(const TrainRec* a, const TrainRec* b) {
  const int c = TrnList_CompareLines(a->Line, b->Line);
  if (c) return c;
  return a->Number < b->Number ? -1 : a->Number > b->Number ? 1 : 0;
}

// ---------------------------------------------------------------- all trains

u32 Trn_GetCount(void) { return s_count; }
TrainRec* TrnList_GetFirst(void) { return s_first; }

TrainRec* TrnList_FindSorted(u32 line, i32 number, int* exists) {
  if (exists) *exists = 0;
  TrainRec* prev = nullptr;
  for (TrainRec* t = s_first; t; prev = t, t = t->Next) {
    const int c = TrnList_CompareLines(t->Line, line);
    if (c > 0) break;
    if (c < 0) continue;
    if (number == 0 || t->Number == number) {
      if (exists) *exists = 1;
      return t;
    }
    if (t->Number > number) break;
  }
  return prev;
}

void TrnList_LinkAfter(TrainRec* prev, TrainRec* train) {
  if (prev) {
    train->Next = prev->Next;
    prev->Next = train;
  } else {
    train->Next = s_first;
    s_first = train;
  }
  s_count++;
}

int TrnList_InsertSorted(TrainRec* train) {
  TrainRec* prev = nullptr;
  for (TrainRec* t = s_first; t; prev = t, t = t->Next) {
    const int c = TrnList_CompareKeys(t, train);
    if (c == 0) return 1;
    if (c > 0) break;
  }
  TrnList_LinkAfter(prev, train);
  return 0;
}

int TrnList_Insert(TrainRec* train) {
  if (TrnList_InsertSorted(train)) return 1;
  TrnList_EnterStateList(train);
  return 0;
}

void TrnList_UnlinkSorted(TrainRec* train) {
  TrainRec* prev = nullptr;
  for (TrainRec* t = s_first; t; prev = t, t = t->Next) {
    if (t != train) continue;
    if (prev) prev->Next = t->Next;
    else s_first = t->Next;
    train->Next = nullptr;
    s_count--;
    return;
  }
}

void TrnList_Remove(TrainRec* train) {
  TrnList_UnlinkSorted(train);
  TrnList_UnlinkMarker(train);
  TrnList_UnlinkState(train);
}

// Stable merge sort of the list of all trains: the order repeated swaps of
// neighbours would reach, in n log n.
static TrainRec* TrnList_Merge(TrainRec* a, TrainRec* b) {
  TrainRec head;
  TrainRec* tail = &head;
  while (a && b) {
    if (TrnList_CompareKeys(b, a) < 0) {
      tail->Next = b;
      b = b->Next;
    } else {
      tail->Next = a;
      a = a->Next;
    }
    tail = tail->Next;
  }
  tail->Next = a ? a : b;
  return head.Next;
}

void TrnList_SortAll(void) {
  if (s_count < 2) return;
  // Bottom-up: runs of width 1, 2, 4, ... merged pairwise.
  for (u32 width = 1;; width *= 2) {
    TrainRec* rest = s_first;
    TrainRec* out = nullptr;
    TrainRec* outTail = nullptr;
    u32 merges = 0;
    while (rest) {
      TrainRec* a = rest;
      TrainRec* t = a;
      for (u32 i = 1; i < width && t->Next; ++i) t = t->Next;
      TrainRec* b = t->Next;
      t->Next = nullptr;
      t = b;
      for (u32 i = 1; i < width && t && t->Next; ++i) t = t->Next;
      if (t) {
        rest = t->Next;
        t->Next = nullptr;
      } else {
        rest = nullptr;
      }
      TrainRec* merged = TrnList_Merge(a, b);
      if (outTail) outTail->Next = merged;
      else out = merged;
      outTail = merged;
      while (outTail->Next) outTail = outTail->Next;
      merges++;
    }
    s_first = out;
    if (merges <= 1) break;
  }
}

// ---------------------------------------------------------------- plain list links

// A train is in one state list at most: linking it anywhere takes it out of
// the list it is in first.
static void TrnList_PushOn(u32 list, TrainRec* train) {
  if (train->StateList != TRN_LIST_NONE) TrnList_UnlinkState(train);
  train->NextInState = s_head[list];
  s_head[list] = train;
  if (!s_tail[list]) s_tail[list] = train;
  train->StateList = list;
}

static void TrnList_AppendTo(u32 list, TrainRec* train) {
  if (train->StateList != TRN_LIST_NONE) TrnList_UnlinkState(train);
  train->NextInState = nullptr;
  if (s_tail[list]) s_tail[list]->NextInState = train;
  else s_head[list] = train;
  s_tail[list] = train;
  train->StateList = list;
}

// 1 when the train was in the list and is out of it now.
static int TrnList_UnlinkFrom(u32 list, TrainRec* train) {
  if (train->StateList != list) return 0;
  TrainRec* prev = nullptr;
  for (TrainRec* t = s_head[list]; t; prev = t, t = t->NextInState) {
    if (t != train) continue;
    if (prev) prev->NextInState = t->NextInState;
    else s_head[list] = t->NextInState;
    if (s_tail[list] == t) s_tail[list] = prev;
    train->NextInState = nullptr;
    train->StateList = TRN_LIST_NONE;
    return 1;
  }
  return 0;
}

TrainRec* TrnList_StateHead(u32 list) { return list < TRN_LIST_SLOTS ? s_head[list] : nullptr; }

// ---------------------------------------------------------------- count-down lists

// Inserts by delta: behind every train whose total wait is at most the
// train's, the successor's delta lowered by what is left.
static void TrnList_AddDelta(u32 list, TrainRec* train) {
  const i32 wait = train->WaitLeft;
  if (train->StateList != TRN_LIST_NONE) TrnList_UnlinkState(train);
  i32 left = wait < 0 ? 0 : wait;
  TrainRec* prev = nullptr;
  TrainRec* cur = s_head[list];
  while (cur && cur->WaitLeft <= left) {
    left -= cur->WaitLeft;
    prev = cur;
    cur = cur->NextInState;
  }
  train->WaitLeft = left;
  train->NextInState = cur;
  if (prev) prev->NextInState = train;
  else s_head[list] = train;
  if (!cur) s_tail[list] = train;
  else cur->WaitLeft -= left;
  train->StateList = list;
}

static i32 TrnList_Remaining(u32 list, const TrainRec* train) {
  if (train->StateList != list) return 0;
  i32 sum = 0;
  for (const TrainRec* t = s_head[list]; t; t = t->NextInState) {
    sum += t->WaitLeft;
    if (t == train) return sum;
  }
  return 0;
}

static void TrnList_UnlinkDelta(u32 list, TrainRec* train) {
  if (train->StateList != list) return;
  const i32 remaining = TrnList_Remaining(list, train);
  const i32 delta = train->WaitLeft;
  TrainRec* next = train->NextInState;
  if (!TrnList_UnlinkFrom(list, train)) return;
  if (next) next->WaitLeft += delta;
  train->WaitLeft = remaining;
}

i32 TrnList_StopRemaining(const TrainRec* train) { return TrnList_Remaining(TRN_LIST_STOP, train); }
i32 TrnList_ReverseWaitRemaining(const TrainRec* train) { return TrnList_Remaining(TRN_LIST_REVERSE_WAIT, train); }
i32 TrnList_StopSoundRemaining(const TrainRec* train) { return TrnList_Remaining(TRN_LIST_STOP_SOUND, train); }

// ---------------------------------------------------------------- named lists

static void TrnList_RequestDepartSound(TrainRec* train) { Trn_RequestSound(train, train->DepartSound, -1); }
static u32 TrnList_StopSoundDuration(const TrainRec* train) { return Snd_GetDuration(train->StopSound); }

static void TrnList_StartMoving(TrainRec* train) {
  train->Speed = 0;
  train->StepInterval = 0;
  train->StepCountdown = 0;
  train->WaitTicks = 0;
  if (Trn_GetFollowed() == train) Trn_MarkFollowedMoved();
  TrnList_RequestDepartSound(train);
}

void TrnList_PushMoving(TrainRec* train) {
  TrnList_PushOn(TRN_LIST_MOVING, train);
  TrnList_StartMoving(train);
}

void TrnList_AppendMoving(TrainRec* train) {
  TrnList_AppendTo(TRN_LIST_MOVING, train);
  TrnList_StartMoving(train);
}

void TrnList_PushOffTrack(TrainRec* train) { TrnList_PushOn(TRN_LIST_OFF_TRACK, train); }
void TrnList_PushHeld(TrainRec* train) { TrnList_PushOn(TRN_LIST_HELD, train); }
void TrnList_AddStop(TrainRec* train) { TrnList_AddDelta(TRN_LIST_STOP, train); }
void TrnList_AddReverseWait(TrainRec* train) { TrnList_AddDelta(TRN_LIST_REVERSE_WAIT, train); }
void TrnList_AddStopSoundWait(TrainRec* train) { TrnList_AddDelta(TRN_LIST_STOP_SOUND, train); }

void TrnList_AddStopSound(TrainRec* train) {
  const u32 ms = train->StopSound == TRN_NONE ? 0 : TrnList_StopSoundDuration(train);
  if (ms > 0) {
    train->StateFlags |= TRN_STOP_SOUND;
    train->WaitLeft = i32(ms / 1000);
    Trn_RequestSound(train, train->StopSound, -1);
    TrnList_AddStopSoundWait(train);
    return;
  }
  train->StateFlags &= ~TRN_STOP_SOUND;
  train->WaitLeft = 0;
  TrnList_PushMoving(train);
  Trn_RedrawCells(train, 0);
}

void TrnList_AddRetry(TrainRec* train) {
  s_retryPhase = s_retryPhase >= TRN_RETRY_LISTS - 1 ? 0 : s_retryPhase + 1;
  TrnList_AppendTo(TRN_LIST_RETRY + u32(s_retryPhase), train);
  train->Speed = 0;
  train->StepInterval = 0;
  if (Trn_GetFollowed() == train) Trn_MarkFollowedMoved();
}

void TrnList_UnlinkMoving(TrainRec* train) {
  if (!TrnList_UnlinkFrom(TRN_LIST_MOVING, train)) return;
  train->Speed = 0;
  train->StepInterval = 0;
  train->StepCountdown = 0;
  if (Trn_GetFollowed() == train) Trn_MarkFollowedMoved();
}

void TrnList_UnlinkOffTrack(TrainRec* train) { TrnList_UnlinkFrom(TRN_LIST_OFF_TRACK, train); }
void TrnList_UnlinkHeld(TrainRec* train) { TrnList_UnlinkFrom(TRN_LIST_HELD, train); }
void TrnList_UnlinkStop(TrainRec* train) { TrnList_UnlinkDelta(TRN_LIST_STOP, train); }
void TrnList_UnlinkReverseWait(TrainRec* train) { TrnList_UnlinkDelta(TRN_LIST_REVERSE_WAIT, train); }
void TrnList_UnlinkStopSound(TrainRec* train) { TrnList_UnlinkDelta(TRN_LIST_STOP_SOUND, train); }

void TrnList_UnlinkRetry(TrainRec* train) {
  const u32 list = train->StateList;
  if (list < TRN_LIST_RETRY || list > TRN_LIST_RETRY_LAST) return;
  if (!TrnList_UnlinkFrom(list, train)) return;
  train->RetryCount = 0;
  train->StateFlags &= ~(TRN_DEPOT_WAIT | TRN_BLOCKED);
  train->Speed = 0;
  train->StepInterval = 0;
  train->StepCountdown = 0;
  if (Trn_GetFollowed() == train) Trn_MarkFollowedMoved();
}

// ---------------------------------------------------------------- choosing a list

u32 TrnList_ListForFlags(u32 flags) {
  if (flags & (TRN_PAUSED | TRN_SET_ASIDE)) return TRN_LIST_NONE;
  if (flags & TRN_OFF_TRACK) return TRN_LIST_OFF_TRACK;
  if (flags & TRN_HELD) return TRN_LIST_HELD;
  if (flags & TRN_STOP_SOUND) return TRN_LIST_STOP_SOUND;
  if (flags & TRN_AT_STOP) return TRN_LIST_STOP;
  if (flags & TRN_REVERSE_WAIT) return TRN_LIST_REVERSE_WAIT;
  if (flags & (TRN_DEPOT_WAIT | TRN_BLOCKED)) return TRN_LIST_RETRY;
  return TRN_LIST_MOVING;
}

void TrnList_LinkState(TrainRec* train) {
  if (train->StateList != TRN_LIST_NONE) TrnList_UnlinkState(train);
  switch (TrnList_ListForFlags(train->StateFlags)) {
    case TRN_LIST_OFF_TRACK: TrnList_PushOffTrack(train); break;
    case TRN_LIST_HELD: TrnList_PushHeld(train); break;
    case TRN_LIST_STOP_SOUND: TrnList_AddStopSoundWait(train); break;
    case TRN_LIST_STOP: TrnList_AddStop(train); break;
    case TRN_LIST_REVERSE_WAIT: TrnList_AddReverseWait(train); break;
    case TRN_LIST_RETRY: TrnList_AddRetry(train); break;
    case TRN_LIST_MOVING: TrnList_PushMoving(train); break;
    default: break;
  }
}

void TrnList_EnterStateList(TrainRec* train) {
  TrnList_LinkState(train);
  if (!(train->StateFlags & (TRN_OFF_TRACK | TRN_DEPOT_WAIT))) TrnList_AssignMarker(train);
}

void TrnList_UnlinkState(TrainRec* train) {
  const u32 list = train->StateList;
  switch (list) {
    case TRN_LIST_NONE: return;
    case TRN_LIST_MOVING: TrnList_UnlinkMoving(train); return;
    case TRN_LIST_OFF_TRACK: TrnList_UnlinkOffTrack(train); return;
    case TRN_LIST_HELD: TrnList_UnlinkHeld(train); return;
    case TRN_LIST_STOP: TrnList_UnlinkStop(train); return;
    case TRN_LIST_STOP_SOUND: TrnList_UnlinkStopSound(train); return;
    case TRN_LIST_REVERSE_WAIT: TrnList_UnlinkReverseWait(train); return;
    default:
      // Out of a retry list without ending the wait: the train keeps its
      // blocked or depot-wait state and goes back to a retry list when it is
      // linked again.
      if (TrnList_UnlinkFrom(list, train)) {
        train->Speed = 0;
        train->StepInterval = 0;
        train->StepCountdown = 0;
      }
      return;
  }
}

// ---------------------------------------------------------------- end moves

void Trn_EndStop(TrainRec* train) {
  train->StateFlags &= ~TRN_AT_STOP;
  TrnList_UnlinkStop(train);
  TrnList_AddStopSound(train);
}

void Trn_EndStopSound(TrainRec* train) {
  train->StateFlags &= ~TRN_STOP_SOUND;
  TrnList_UnlinkStopSound(train);
  TrnList_PushMoving(train);
  Trn_RedrawCells(train, 0);
}

void Trn_EndReverseWait(TrainRec* train) {
  train->StateFlags &= ~TRN_REVERSE_WAIT;
  TrnList_UnlinkReverseWait(train);
  TrnList_PushMoving(train);
}

static void TrnList_ReleaseTimetablePoint(const TrainRec* train) {
  const TrainCell& h = Trn_Cells(train)[0];
  Tp_ReleaseAtCell(h.X, h.Y, h.Level);
}

void Trn_ReleaseHeld(TrainRec* train, int release) {
  train->StateFlags &= ~TRN_HELD;
  TrnList_UnlinkHeld(train);
  TrnList_AddStopSound(train);
  if (release) TrnList_ReleaseTimetablePoint(train);
}

// ---------------------------------------------------------------- markers

void TrnList_AssignMarker(TrainRec* train) {
  TrnList_UnlinkMarker(train);
  s_markerCounter = s_markerCounter >= TRN_MARKER_BUCKETS - 1 ? 0 : s_markerCounter + 1;
  train->MarkerCode = u16(CELL_TRAIN_FIRST + s_markerCounter);
  train->MarkerLink = s_bucket[s_markerCounter];
  s_bucket[s_markerCounter] = train;
}

void TrnList_UnlinkMarker(TrainRec* train) {
  const u32 k = u32(train->MarkerCode) - CELL_TRAIN_FIRST;
  if (k >= TRN_MARKER_BUCKETS) return;
  TrainRec* prev = nullptr;
  for (TrainRec* t = s_bucket[k]; t; prev = t, t = t->MarkerLink) {
    if (t != train) continue;
    if (prev) prev->MarkerLink = t->MarkerLink;
    else s_bucket[k] = t->MarkerLink;
    train->MarkerLink = nullptr;
    return;
  }
}

TrainRec* TrnList_Bucket(u32 k) { return k < TRN_MARKER_BUCKETS ? s_bucket[k] : nullptr; }

// ---------------------------------------------------------------- life

void TrnList_FreeAll(void) {
  Trn_SetFollowed(nullptr);
  TrainRec* t = s_first;
  while (t) {
    TrainRec* next = t->Next;
    Trn_FreeRecord(t);
    t = next;
  }
  s_first = nullptr;
  s_count = 0;
  for (int i = 0; i < TRN_LIST_SLOTS; ++i) s_head[i] = s_tail[i] = nullptr;
  for (int i = 0; i < TRN_MARKER_BUCKETS; ++i) s_bucket[i] = nullptr;
  s_markerCounter = 0;
  s_retryPhase = 0;
}

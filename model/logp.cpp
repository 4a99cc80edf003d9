#include "model/logp.h"

#include "model/layfile.h"
#include "platform/heap.h"

static PointStore s_points;
static int s_logging;

static LogPoint* Logp_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<LogPoint*>(Pobj_Find(&s_points, x, y, level));
}

void Logp_Init(void) { Pobj_Reset(&s_points); }

void Logp_Clear(void) {
  s_logging = 0;
  Pobj_FreeAll(&s_points);
}

u32 Logp_Count(void) { return s_points.Count; }

const LogPoint* Logp_Find(i32 x, i32 y, i32 level) { return Logp_At(x, y, level); }

int Logp_Delete(i32 x, i32 y, i32 level) {
  LogPoint* p = Logp_At(x, y, level);
  if (!p) return 1;
  Pobj_Unlink(&s_points, &p->Head);
  Heap_Free(p);
  Lay_MarkModified();
  return 0;
}

int Logp_Set(i32 x, i32 y, i32 level, u32 dirMask, const wch* name, u32 flags) {
  LogPoint* p = static_cast<LogPoint*>(Heap_Alloc(sizeof(LogPoint)));
  if (!p) return 1;
  Logp_Delete(x, y, level);
  p->Head = PointHead{nullptr, nullptr, x, y, level};
  p->DirMask = dirMask;
  p->Flags = flags;
  int n = 0;
  if (name) {
    while (*name == u' ') ++name;
    for (; name[n] && n < LOGP_NAME_MAX; ++n) p->Name[n] = name[n];
  }
  p->Name[n] = 0;
  Pobj_Push(&s_points, &p->Head);
  Lay_MarkModified();
  return 0;
}

u32 Logp_GetInfo(i32 x, i32 y, i32 level, u32* dirMask, wch* name) {
  const LogPoint* p = Logp_At(x, y, level);
  if (!p) return 0;
  if (dirMask) *dirMask = p->DirMask;
  if (name)
    for (int i = 0; i <= LOGP_NAME_MAX; ++i) {
      name[i] = p->Name[i];
      if (!name[i]) break;
    }
  return p->Flags;
}

int Logp_IsLogging(void) { return s_logging; }

void Logp_LogEvent(const TrainRec*, u32, i32) {}

void Logp_LogPassing(const TrainRec*, i32, i32, i32) {}

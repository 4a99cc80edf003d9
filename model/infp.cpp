#include "model/infp.h"

#include "model/layfile.h"
#include "platform/heap.h"

static PointStore s_infos;

static InfoRec* Info_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<InfoRec*>(Pobj_Find(&s_infos, x, y, level));
}

void Info_Init(void) { Pobj_Reset(&s_infos); }

void Info_Clear(void) {
  Pobj_FreeAll(&s_infos);
}

void Info_Free(void) { Info_Clear(); }

u32 Info_Count(void) { return s_infos.Count; }

u32 Info_GetLength(i32 x, i32 y, i32 level) {
  const InfoRec* r = Info_At(x, y, level);
  return r ? r->Length : 0;
}

int Info_GetTextCopy(i32 x, i32 y, i32 level, wch* buffer) {
  const InfoRec* r = Info_At(x, y, level);
  if (!r) return 1;
  if (buffer)
    for (u32 i = 0; i < r->Length; ++i) buffer[i] = r->Text[i];
  return 0;
}

int Info_Delete(i32 x, i32 y, i32 level) {
  InfoRec* r = Info_At(x, y, level);
  if (!r) return 1;
  Pobj_Unlink(&s_infos, &r->Head);
  Heap_Free(r);
  Lay_MarkModified();
  return 0;
}

int Info_Set(i32 x, i32 y, i32 level, u32 length) {
  if (length < 2) {
    Info_Delete(x, y, level);
    return 0;
  }
  // The length is bounded so that the record size cannot wrap.
  if (length > 0x100000u) return 1;
  InfoRec* r = static_cast<InfoRec*>(Heap_Alloc(u32(sizeof(InfoRec) + length * sizeof(wch))));
  if (!r) return 1;
  Info_Delete(x, y, level);
  r->Head = PointHead{nullptr, nullptr, x, y, level};
  r->Length = length;
  for (u32 i = 0; i < length; ++i) r->Text[i] = 0;
  Pobj_Push(&s_infos, &r->Head);
  Lay_MarkModified();
  return 0;
}

int Info_SetText(i32 x, i32 y, i32 level, const wch* text) {
  InfoRec* r = Info_At(x, y, level);
  if (!r) return 1;
  int blank = 1;
  u32 i = 0;
  for (; text && text[i] && i + 1 < r->Length; ++i) {
    r->Text[i] = text[i];
    if (text[i] != u' ') blank = 0;
  }
  for (; i < r->Length; ++i) r->Text[i] = 0;
  if (blank) return Info_Delete(x, y, level);
  Lay_MarkModified();
  return 0;
}

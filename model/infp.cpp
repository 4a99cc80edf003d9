#include "model/infp.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { INFO_TAG = 0x4F464E49 };  // "INFO"
enum : u16 { INFO_TAG_OLD = 0x4649 };  // "IF"
// The longest text a point may hold (units with the zero); bounds what a
// file may ask to be allocated.
enum : u32 { INFO_LENGTH_MAX = 0x100000 };
// The clipboard carries at most this many units of a text, the zero
// included.
enum : u32 { INFO_CLIP_MAX = 10001 };
enum { INFO_CLIP_LINE = 200, INFO_CLIP_READ = 210 };

static PointStore s_infos;

static InfoRec* Info_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<InfoRec*>(Pobj_Find(&s_infos, x, y, level));
}

void Info_Init(void) { Pobj_Reset(&s_infos); }

void Info_Clear(void) { Pobj_FreeAll(&s_infos); }

void Info_Free(void) { Info_Clear(); }

u32 Info_Count(void) { return s_infos.Count; }

const InfoRec* Info_Find(i32 x, i32 y, i32 level) { return Info_At(x, y, level); }

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

static InfoRec* Info_Alloc(i32 x, i32 y, i32 level, u32 length) {
  if (length < 2 || length > INFO_LENGTH_MAX) return nullptr;
  InfoRec* r = static_cast<InfoRec*>(Heap_Alloc(u32(sizeof(InfoRec) + length * sizeof(wch))));
  if (!r) return nullptr;
  r->Head = PointHead{nullptr, nullptr, x, y, level};
  r->Length = length;
  for (u32 i = 0; i < length; ++i) r->Text[i] = 0;
  return r;
}

InfoRec* Info_Create(i32 x, i32 y, i32 level, u32 length) {
  InfoRec* r = Info_Alloc(x, y, level, length);
  if (r) Pobj_InsertSorted(&s_infos, &r->Head);
  return r;
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
  // The new point is made before the old one goes, so that a refused set
  // keeps the old text.
  InfoRec* r = Info_Alloc(x, y, level, length);
  if (!r) return 1;
  if (InfoRec* old = Info_At(x, y, level)) {
    Pobj_Unlink(&s_infos, &old->Head);
    Heap_Free(old);
  }
  Pobj_InsertSorted(&s_infos, &r->Head);
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

u32 Info_TotalTextLength(u32* total) {
  u32 sum = 0;
  for (const PointHead* p = s_infos.First; p; p = p->Next) sum += reinterpret_cast<const InfoRec*>(p)->Length;
  if (total) *total = sum;
  return s_infos.Count;
}

int Info_GetExtent(i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX) {
  return Pobj_GetExtent(&s_infos, minX, minY, minLevel, maxLevel, maxY, maxX);
}

// The first record after the position in list order, null when none.
static const PointHead* Info_After(i32 x, i32 y, i32 level) {
  const PointHead at = {nullptr, nullptr, x, y, level};
  for (const PointHead* p = s_infos.First; p; p = p->Next)
    if (Pobj_After(p, &at)) return p;
  return nullptr;
}

int Info_Next(i32* x, i32* y, i32* level, int wrap) {
  const PointHead* first = s_infos.First;
  if (!first) return 0;
  const PointHead* p = Info_After(*x, *y, *level);
  if (!p && (wrap || !first->Next)) p = first;
  if (!p) return 0;
  *x = p->X;
  *y = p->Y;
  *level = p->Level;
  return 1;
}

int Info_FindText(i32* x, i32* y, i32* level, int flags, const wch* pattern) {
  if (!pattern || !pattern[0] || !s_infos.First) return 0;
  const i32 plen = Str_Len(pattern);
  // A layout with a single point is searched too: its point is the one
  // after any position.
  const PointHead* p = s_infos.First->Next ? Info_After(*x, *y, *level) : s_infos.First;
  for (; p; p = p->Next) {
    if (Msg_InfoCancelPressed()) return 0;
    wch progress[40];
    Fmt_Print(progress, 40, u"y %i", int(p->Y));
    Msg_InfoUpdate(progress);
    const InfoRec* r = reinterpret_cast<const InfoRec*>(p);
    if (Str_FindEx(r->Text, pattern, Str_Len(r->Text), flags, plen) >= 0) {
      *x = p->X;
      *y = p->Y;
      *level = p->Level;
      return 1;
    }
  }
  return 0;
}

int Info_WriteCellText(i32 x, i32 y, i32 level) {
  const InfoRec* r = Info_At(x, y, level);
  if (!r) return 0;
  int e;
  if ((e = Fio_WriteString(Lng_GetText(3820))) || (e = Fio_WriteString(u" ")) || (e = Fio_WriteString(r->Text)))
    return e;
  return Fio_WriteCrLf();
}

// ---------------------------------------------------------------- region hooks

int Info_TestInBox(const i32 source[6], const i32 target[6]) { return Pobj_TestInBox(&s_infos, source, target); }

void Info_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  Pobj_MoveInBoxSorted(&s_infos, x1, y1, level1, x2, y2, level2, dx, dy, dlevel);
}

void Info_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                         i32 numX) {
  Pobj_TransformInBoxSorted(&s_infos, x1, y1, level1, x2, y2, level2, numX, denX, numY, denY);
}

void Info_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (PointHead* p = s_infos.First; p;) {
    PointHead* next = p->Next;
    if (Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) Info_Delete(p->X, p->Y, p->Level);
    p = next;
  }
}

// ---------------------------------------------------------------- clipboard

static int Info_Escaped(wch c) { return c < 32 || c == 0x2028 || c == 0x2029 || c == u'\\'; }

int Info_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(3800));
  wch line[INFO_CLIP_LINE + 8];
  int r = Clip_AppendLine(u"INFO_A");
  for (const PointHead* p = s_infos.First; p && !r; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    const InfoRec* rec = reinterpret_cast<const InfoRec*>(p);
    // Only the text and its zero travel; what follows the zero in the
    // record is not the user's. A text longer than the block allows is cut.
    u32 n = u32(Str_Len(rec->Text)) + 1;
    if (n > rec->Length) n = rec->Length;
    if (n > INFO_CLIP_MAX) n = INFO_CLIP_MAX;
    Fmt_Print(line, INFO_CLIP_LINE, u"%x,%x,%i,%x", unsigned(p->X), unsigned(p->Y), int(p->Level), unsigned(n));
    r = Clip_AppendLine(line);
    i32 len = 0;
    for (u32 i = 0; i < n && !r; ++i) {
      const wch c = i + 1 == n ? wch(0) : rec->Text[i];
      if (Info_Escaped(c)) len += Fmt_Print(line + len, 8, u"\\%04x", unsigned(c));
      else line[len++] = c;
      line[len] = 0;
      if (len >= INFO_CLIP_LINE || i + 1 == n) {
        r = Clip_AppendLine(line);
        len = 0;
      }
    }
  }
  return r ? r : Clip_AppendLine(u"INFO_E");
}

static int Info_HexDigit(wch c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

int Info_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel) {
  Msg_InfoUpdate(Lng_GetText(3800));
  wch buf[INFO_CLIP_READ + 1];
  u32 n = *line;
  if (Clip_ReadLine(i32(n++), INFO_CLIP_LINE, buf) != 0) return 2;
  static wch text[INFO_CLIP_MAX];
  int result = 0;
  for (;;) {
    if (Clip_ReadLine(i32(n++), INFO_CLIP_LINE, buf) != 0) return 2;
    u32 f[4];
    i32 end;
    if (Pobj_ParseFields(buf, "xxix", f, &end) || buf[end]) break;
    const u32 length = f[3];
    if (length < 1 || length > INFO_CLIP_MAX) return 2;
    u32 got = 0;
    while (got < length) {
      if (Clip_ReadLine(i32(n++), INFO_CLIP_READ, buf) != 0) return 2;
      for (i32 i = 0; buf[i] && got < length; ++i) {
        wch c = buf[i];
        if (c == u'\\') {
          int v = 0;
          for (int k = 1; k <= 4; ++k) {
            const int d = Info_HexDigit(buf[i + k]);
            if (d < 0) return 2;
            v = v * 16 + d;
          }
          c = wch(v);
          i += 4;
        }
        text[got++] = c;
      }
    }
    text[length - 1] = 0;
    const i32 x = i32(f[0]) + dx, y = i32(f[1]) + dy, level = i32(f[2]) + dlevel;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 2;
    InfoRec* r = length >= 2 && !Info_At(x, y, level) ? Info_Create(x, y, level, length) : nullptr;
    if (!r) {
      result = 1;
      continue;
    }
    for (u32 i = 0; i < length; ++i) r->Text[i] = text[i];
  }
  if (Str_CompareOs(buf, u"INFO_E", 0) != 0) return 2;
  *line = n;
  return result;
}

// ---------------------------------------------------------------- section

int Info_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(INFO_TAG)) || (r = Fio_WriteU32(s_infos.Count))) return r;
  for (const PointHead* p = s_infos.First; p; p = p->Next) {
    const InfoRec* rec = reinterpret_cast<const InfoRec*>(p);
    if ((r = Grid_WritePos(p->X, p->Y, p->Level)) || (r = Fio_WriteU32(rec->Length))) return r;
    // Units after the text's zero are written as zeros.
    int ended = 0;
    for (u32 i = 0; i < rec->Length; ++i) {
      const wch c = ended || i + 1 == rec->Length ? wch(0) : rec->Text[i];
      if (!c) ended = 1;
      if ((r = Fio_WriteU16(c))) return r;
    }
  }
  return 0;
}

int Info_LoadSection(u16 version) {
  int r;
  u32 count;
  Info_Clear();
  const int wide = version >= LAYVER_WIDE;
  if ((r = LayVer_ReadTag(version, INFO_TAG, INFO_TAG_OLD)) || (r = Fio_ReadField(&count, LayVer_WordBytes(version))))
    return r;
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    if ((r = Grid_ReadPos(&x, &y, &level, version))) return r;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
    u32 length;
    if ((r = Fio_ReadField(&length, wide ? 4 : 2))) return r;
    // A length the store cannot hold is a damaged file, not a memory
    // shortage; the same cell twice too.
    if (length < 2 || length > INFO_LENGTH_MAX || Info_At(x, y, level)) return 3;
    InfoRec* rec = Info_Create(x, y, level, length);
    if (!rec) return 4;
    if (wide) {
      for (u32 i = 0; i < length; ++i) {
        u16 c;
        if ((r = Fio_ReadU16(&c))) return r;
        rec->Text[i] = c;
      }
    } else {
      char* bytes = static_cast<char*>(Heap_Alloc(length + 1));
      if (!bytes) return 4;
      if (Fio_ReadBlock(bytes, length) != length) {
        Heap_Free(bytes);
        return 1;
      }
      bytes[length] = 0;
      if (Lng_AnsiToWide(bytes, rec->Text, i32(length)) < 1) rec->Text[0] = 0;
      Heap_Free(bytes);
    }
    rec->Text[length - 1] = 0;
  }
  return 0;
}

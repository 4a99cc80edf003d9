#include "operation/snd.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/line.h"
#include "model/rule.h"
#include "operation/sndcat.h"
#include "operation/trnquery.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/print.h"
#include "platform/str.h"
#include "platform/tim.h"

enum : u32 { SND_TAG = 0x50444E53 };  // "SNDP"
enum { SND_CLIP_LINE = 128 };

static PointStore s_points;
static int s_output = 1;
static u32 s_options = SND_OPT_EVENTS | SND_OPT_ALARM;
static SndHooks g_sndHooks;

static SoundPoint* Snd_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<SoundPoint*>(Pobj_Find(&s_points, x, y, level));
}

static void Snd_FreePoint(SoundPoint* p) {
  if (p->Words) Heap_Free(p->Words);
  Heap_Free(p);
}

// ---------------------------------------------------------------- life

void Snd_Init(void) {
  Pobj_Reset(&s_points);
  Snd_ClearCatalogue();
}

void Snd_ClearPoints(void) {
  Snd_CloseAllDevices();
  for (PointHead* p = s_points.First; p;) {
    PointHead* next = p->Next;
    Snd_FreePoint(reinterpret_cast<SoundPoint*>(p));
    p = next;
  }
  Pobj_Reset(&s_points);
}

void Snd_Free(void) {
  Snd_ClearPoints();
  Snd_ClearCatalogue();
}

// ---------------------------------------------------------------- points

u32 Snd_GetPointCount(void) { return s_points.Count; }

int Snd_IsSoundElement(u32 code, u32* styleMax) {
  if (!Cell_HasShapeIn(code, 128, 135)) return 0;
  if (styleMax) *styleMax = Cell_Class(code) == 7 ? 5 : 13;
  return 1;
}

u32 Snd_GetPointAt(i32 x, i32 y, i32 level, i32* count, const u32** list, u32* dirMask) {
  const SoundPoint* p = Snd_At(x, y, level);
  if (count) *count = 0;
  if (list) *list = nullptr;
  if (!p) return 0;
  if (p->Flags & SND_F_LINES) {
    if (count) *count = p->WordCount;
    if (list) *list = p->Words;
  }
  if (dirMask) *dirMask = p->DirMask;
  return p->Flags;
}

u32 Snd_GetPointValue(i32 x, i32 y, i32 level) {
  const SoundPoint* p = Snd_At(x, y, level);
  return p ? p->Style : 0;
}

int Snd_SetPointValue(i32 x, i32 y, i32 level, u32 style) {
  SoundPoint* p = Snd_At(x, y, level);
  if (!p) return 1;
  p->Style = style;
  return 0;
}

// A new point, linked nowhere; null when the list is too long or memory fails.
static SoundPoint* Snd_MakePoint(i32 x, i32 y, i32 level, i32 count, const u32* list, u32 style, u32 dirMask,
                                 u32 flags) {
  if (count < 0 || count > SND_MAX_WORDS) return nullptr;
  SoundPoint* p = static_cast<SoundPoint*>(Heap_Alloc(sizeof(SoundPoint)));
  if (!p) return nullptr;
  *p = SoundPoint{};
  p->Head.X = x;
  p->Head.Y = y;
  p->Head.Level = level;
  p->Flags = flags;
  p->DirMask = dirMask;
  p->Style = style;
  if ((flags & SND_F_LINES) && list && count > 0) {
    p->Words = static_cast<u32*>(Heap_Alloc(u32(count) * 4));
    if (!p->Words) {
      Heap_Free(p);
      return nullptr;
    }
    Mem_Copy(p->Words, list, count * 4);
    p->WordCount = count;
  } else {
    p->Flags &= ~SND_F_LINES;
  }
  return p;
}

// Puts a made point in place of the one at its cell.
static void Snd_PlacePoint(SoundPoint* p) {
  if (SoundPoint* old = Snd_At(p->Head.X, p->Head.Y, p->Head.Level)) {
    Pobj_Unlink(&s_points, &old->Head);
    Snd_FreePoint(old);
  }
  Pobj_Push(&s_points, &p->Head);
}

static int Snd_FlagsValid(u32 flags) {
  if (!flags) return 0;
  if ((flags & SND_F_RUN_REPEAT) && (flags & SND_F_RUN_STOP)) return 0;
  if ((flags & SND_F_HORN_COUNTDOWN) && !(flags & SND_F_HORN)) return 0;
  return 1;
}

// Room for one more point: a replaced point frees its own place.
static int Snd_HasRoom(i32 x, i32 y, i32 level) {
  return s_points.Count < SND_MAX_POINTS || Snd_At(x, y, level) != nullptr;
}

int Snd_CreatePoint(i32 x, i32 y, i32 level, i32 count, const u32* list, u32 style, u32 dirMask, u32 flags) {
  if (!Snd_FlagsValid(flags)) return SND_CREATE_BAD_FLAGS;
  if (!Snd_HasRoom(x, y, level)) return SND_CREATE_NO_ROOM;
  // The new point is made before the old one goes, so that a refusal keeps
  // the cell's point.
  SoundPoint* p = Snd_MakePoint(x, y, level, count, list, style, dirMask, flags);
  if (!p) return SND_CREATE_NO_ROOM;
  Snd_PlacePoint(p);
  Lay_MarkModified();
  return SND_CREATE_OK;
}

int Snd_DeletePointAt(i32 x, i32 y, i32 level) {
  SoundPoint* p = Snd_At(x, y, level);
  if (!p) return 1;
  Pobj_Unlink(&s_points, &p->Head);
  Snd_FreePoint(p);
  Lay_MarkModified();
  return 0;
}

// ---------------------------------------------------------------- region hooks

void Snd_MovePointsInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dz) {
  Pobj_MoveInBox(&s_points, x1, y1, level1, x2, y2, level2, dx, dy, dz);
}

void Snd_ScalePointsInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 originX, i32 originY,
                          i32 denY, i32 numY, i32 denX, i32 numX) {
  // The points are taken out first and put back at their new cells, so
  // that none is found twice or in a bucket of its old x.
  PointHead* moved = nullptr;
  for (PointHead* p = s_points.First; p;) {
    PointHead* next = p->Next;
    if (Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) {
      Pobj_Unlink(&s_points, p);
      i32 nx = p->X, ny = p->Y;
      Trn_ScaleRegionPos(originX, originY, p->X, &ny, &nx, denY, numY, denX, numX, p->Level, p->Y);
      p->X = nx;
      p->Y = ny;
      p->Next = moved;
      moved = p;
    }
    p = next;
  }
  while (moved) {
    PointHead* next = moved->Next;
    Snd_PlacePoint(reinterpret_cast<SoundPoint*>(moved));
    moved = next;
  }
}

void Snd_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (PointHead* p = s_points.First; p;) {
    PointHead* next = p->Next;
    if (Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) Snd_DeletePointAt(p->X, p->Y, p->Level);
    p = next;
  }
}

// The style pairs of the remap: without exact, f & ~1 and f | 1 both map,
// keeping their low bit.
static int Snd_RemapStyle(u32 style, int exact, u32 t, u32 f, u32* out) {
  if (exact) {
    if (style != f) return 0;
    *out = t;
    return 1;
  }
  if ((style & ~1u) != (f & ~1u)) return 0;
  *out = (t & ~1u) | (style & 1u);
  return 1;
}

static int Snd_CellMatches(u32 cell, u32 code, u32 classMask) {
  if (classMask) return (classMask >> Cell_Class(cell)) & 1;
  const u32 c = Cell_WithoutShape(cell);
  const u32 want = Cell_WithoutShape(code);
  return c == want || c == (want ^ CELL_VARIANT_BIT);
}

i32 Snd_RemapInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int exact, u32 dirMask, u32 code,
                   u32 classMask, u32 t, u32 f) {
  if (code > 16383 && !classMask) return -1;
  i32 changed = 0;
  for (PointHead* h = s_points.First; h; h = h->Next) {
    SoundPoint* p = reinterpret_cast<SoundPoint*>(h);
    u32 style;
    if (!Snd_RemapStyle(p->Style, exact, t, f, &style)) continue;
    if (!Pobj_InBox(h, x1, y1, level1, x2, y2, level2)) continue;
    const u32 cell = Cell_WithoutMark(Grid_GetCellChecked(h->X, h->Y, h->Level));
    u32 styleMax;
    if (!Snd_IsSoundElement(cell, &styleMax)) continue;
    if (!((1u << (cell & 7)) & dirMask) || !Snd_CellMatches(cell, code, classMask)) continue;
    if (p->Style > styleMax || style > styleMax) continue;
    p->Style = style;
    changed++;
  }
  return changed;
}

int Snd_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  int r;
  if ((r = Clip_AppendLine(u"SOUNDP_A"))) return r;
  for (const PointHead* h = s_points.First; h; h = h->Next) {
    if (!Pobj_InBox(h, x1, y1, level1, x2, y2, level2)) continue;
    const SoundPoint* p = reinterpret_cast<const SoundPoint*>(h);
    wch line[SND_CLIP_LINE];
    Fmt_Print(line, SND_CLIP_LINE, u"%x,%x,%i,%x,%x,%x", u32(h->X), u32(h->Y), h->Level, p->Flags, p->DirMask,
              p->Style);
    if ((r = Clip_AppendLine(line))) return r;
    if (p->Flags & SND_F_LINES) {
      static wch rule[RULE_TEXT_SIZE];
      Rule_Format(rule, RULE_TEXT_SIZE, p->Words, 0, 0, p->WordCount);
      if ((r = Clip_AppendLine(rule))) return r;
    }
  }
  return Clip_AppendLine(u"SOUNDP_E");
}

// Six comma-separated fields: hexadecimal, hexadecimal, decimal (signed),
// then three hexadecimal; 1 when the whole line is read.
static int Snd_ScanPointLine(const wch* s, i64 v[6]) {
  for (int k = 0; k < 6; ++k) {
    const int hex = k != 2;
    int negative = 0;
    if (!hex && *s == '-') negative = 1, ++s;
    i64 n = 0;
    int digits = 0;
    for (;; ++s, ++digits) {
      int d;
      if (*s >= '0' && *s <= '9') d = *s - '0';
      else if (hex && (*s | 0x20) >= 'a' && (*s | 0x20) <= 'f') d = (*s | 0x20) - 'a' + 10;
      else break;
      n = n * (hex ? 16 : 10) + d;
      if (n > 0xFFFFFFFFll) return 0;
    }
    if (!digits) return 0;
    v[k] = negative ? -n : n;
    if (k < 5) {
      if (*s != ',') return 0;
      ++s;
    }
  }
  return *s == 0;
}

int Snd_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dz) {
  static wch line[RULE_TEXT_SIZE];
  static u32 words[RULE_WORDS_MAX];
  i32 at = *lineNo + 1;  // the header line
  int result = 0;
  for (;;) {
    i64 v[6];
    if (Clip_ReadLine(at++, RULE_TEXT_SIZE, line) > 1 || !Snd_ScanPointLine(line, v)) {
      if (Str_CompareEx(line, u"SOUNDP_E", 0) != 0) return 2;
      break;
    }
    const i32 x = i32(v[0]) + dx, y = i32(v[1]) + dy, level = i32(v[2]) + dz;
    u32 flags = u32(v[3]);
    i32 count = 0;
    if (flags & SND_F_LINES) {
      if (Clip_ReadLine(at++, RULE_TEXT_SIZE, line) > 1) return 2;
      count = Rule_Parse(line, RULE_MODE_STOP, words);
      if (count <= 0) {
        count = 0;
        flags &= ~SND_F_LINES;
      }
    }
    const int inGrid = x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level >= -4 && level <= 0;
    if (!inGrid || Snd_CreatePoint(x, y, level, count, words, u32(v[5]), u32(v[4]), flags) != SND_CREATE_OK) {
      // A sound-point tile without its point would sound nothing and could
      // not be told apart: the cell goes empty.
      if (inGrid) Grid_SetCell(x, y, level, CELL_EMPTY);
      result = 1;
    }
  }
  *lineNo = at;
  return result;
}

// ---------------------------------------------------------------- line hooks

void Snd_OnLineDeleted(u32 line) {
  for (PointHead* h = s_points.First; h; h = h->Next) {
    SoundPoint* p = reinterpret_cast<SoundPoint*>(h);
    if (!p->Words) continue;
    const i32 left = Lin_ListRemove(p->Words, p->WordCount, line, 1);
    if (left == p->WordCount) continue;
    p->WordCount = left;
    if (left <= 0) {
      Heap_Free(p->Words);
      p->Words = nullptr;
      p->WordCount = 0;
      p->Flags &= ~SND_F_LINES;
    }
    Lay_MarkModified();
  }
}

int Snd_OnLineCopied(u32 oldLine, u32 newLine) {
  static u32 grown[LINE_LIST_MAX];
  int result = 0;
  for (PointHead* h = s_points.First; h; h = h->Next) {
    SoundPoint* p = reinterpret_cast<SoundPoint*>(h);
    if (!p->Words || !Lin_ListContains(p->Words, p->WordCount, oldLine)) continue;
    i32 n = 0;
    if (Lin_ListAddBeside(p->Words, p->WordCount, grown, &n, newLine, oldLine) < -1) result = 1;
    if (n <= p->WordCount) continue;
    u32* words = static_cast<u32*>(Heap_Alloc(u32(n) * 4));
    if (!words) {
      result = 1;
      continue;
    }
    Mem_Copy(words, grown, n * 4);
    Heap_Free(p->Words);
    p->Words = words;
    p->WordCount = n;
    Lay_MarkModified();
  }
  return result;
}

int Snd_NextPointInBox(u32 line, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                       i32* level) {
  static const PointHead* s_cursor;
  const PointHead* h = (*x == -1 && s_cursor) ? s_cursor->Next : s_points.First;
  // A cursor whose point went since the last call restarts the walk.
  if (*x == -1 && s_cursor) {
    const PointHead* q = s_points.First;
    while (q && q != s_cursor) q = q->Next;
    if (!q) h = s_points.First;
  }
  for (; h; h = h->Next) {
    const SoundPoint* p = reinterpret_cast<const SoundPoint*>(h);
    if (!p->Words || !Pobj_InBox(h, x1, y1, level1, x2, y2, level2)) continue;
    if (Lin_ListContains(p->Words, p->WordCount, line) != 1) continue;
    s_cursor = h;
    *x = h->X;
    *y = h->Y;
    *level = h->Level;
    return 1;
  }
  s_cursor = nullptr;
  return 0;
}

// ---------------------------------------------------------------- section "SNDP"

int Snd_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(SND_TAG)) || (r = Fio_WriteU32(s_points.Count))) return r;
  for (const PointHead* h = s_points.First; h; h = h->Next) {
    const SoundPoint* p = reinterpret_cast<const SoundPoint*>(h);
    if ((r = Grid_WritePos(h->X, h->Y, h->Level)) || (r = Fio_WriteU32(p->Flags)) ||
        (r = Fio_WriteU32(p->DirMask)) || (r = Fio_WriteU32(p->Style)))
      return r;
    if (p->Flags & SND_F_LINES) {
      if ((r = Fio_WriteU32(u32(p->WordCount)))) return r;
      for (i32 i = 0; i < p->WordCount; ++i)
        if ((r = Fio_WriteU32(p->Words[i]))) return r;
    }
  }
  return 0;
}

int Snd_LoadSection(u16 version) {
  static u32 words[SND_MAX_WORDS];
  int r;
  u32 tag, count;
  Snd_ClearPoints();
  if ((r = Fio_ReadU32(&tag))) return r;
  if (tag != SND_TAG) return 3;
  if ((r = Fio_ReadU32(&count))) return r;
  if (count > SND_MAX_POINTS) return 3;
  // The file's list is newest first; pushing each point reverses it, so the
  // list is rebuilt in the file's order at the end.
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    u32 flags, dirMask, style, n = 0;
    if ((r = Grid_ReadPos(&x, &y, &level, version)) || (r = Fio_ReadU32(&flags)) || (r = Fio_ReadU32(&dirMask)) ||
        (r = Fio_ReadU32(&style)))
      return r;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
    if (flags & SND_F_LINES) {
      if ((r = Fio_ReadU32(&n))) return r;
      if (n > SND_MAX_WORDS) return 3;
      for (u32 i = 0; i < n; ++i)
        if ((r = Fio_ReadU32(&words[i]))) return r;
    }
    SoundPoint* p = Snd_MakePoint(x, y, level, i32(n), words, style, dirMask, flags);
    if (!p) return 4;
    if (n == 0) p->Flags = flags;  // kept as stored, as the writer will give it back
    Snd_PlacePoint(p);
  }
  // Reverse into the file's order.
  PointHead* rev = nullptr;
  for (PointHead* h = s_points.First; h;) {
    PointHead* next = h->Next;
    h->Next = rev;
    rev = h;
    h = next;
  }
  s_points.First = rev;
  return 0;
}

// ---------------------------------------------------------------- settings

void Snd_SetOutput(int on) { s_output = on ? 1 : 0; }
int Snd_OutputOn(void) { return s_output; }
void Snd_SetOptions(u32 options) { s_options = options; }
u32 Snd_GetOptions(void) { return s_options; }
int Snd_TrainSoundsOn(void) { return s_output && (s_options & (SND_OPT_ALL_TRAINS | SND_OPT_FOLLOWED_TRAIN)); }

// ---------------------------------------------------------------- hooks

void Snd_SetHooks(const SndHooks* hooks) { g_sndHooks = hooks ? *hooks : SndHooks{}; }

int Snd_PostRequest(u32 wParam, u32 lParam) {
  return g_sndHooks.postRequest ? g_sndHooks.postRequest(wParam, lParam) : 0;
}

int Snd_DrawingSuspended(void) { return g_sndHooks.drawingSuspended ? g_sndHooks.drawingSuspended() : 0; }

int Snd_GetView(int slot, SndView* out) { return g_sndHooks.getView ? g_sndHooks.getView(slot, out) : 0; }

int Snd_CellAudibility(i32 x, i32 y, i32 level) {
  int near = 0;
  for (int slot = 0; slot < 6; ++slot) {
    SndView v;
    if (!Snd_GetView(slot, &v) || v.mode != 1 || v.showState == 2 || v.level != level) continue;
    if (x >= v.originX && x < v.originX + v.visWidth && y >= v.originY && y < v.originY + v.visHeight) return 1;
    const i32 mx = v.visWidth / 2, my = v.visHeight / 2;
    if (x >= v.originX - mx && x < v.originX + v.visWidth + mx && y >= v.originY - my &&
        y < v.originY + v.visHeight + my)
      near = 1;
  }
  return near ? 2 : 0;
}

int Snd_RequestSlotAtCell(int slot, i32 x, i32 y, i32 level, u32 optionBit) {
  if (!s_output || !(s_options & optionBit)) return 0;
  const int a = Snd_CellAudibility(x, y, level);
  if (!a) return 0;
  return Snd_PostRequest(u32(slot), a == 2 ? SND_REQ_SLOT | SND_REQ_NEAR : SND_REQ_SLOT);
}

void Snd_RequestEvent0(void) {
  if (s_output && (s_options & SND_OPT_EVENTS)) Snd_PostRequest(0, SND_REQ_SLOT);
}

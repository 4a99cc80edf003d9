#include "model/mcs.h"

#include "model/grid.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "platform/tim.h"

enum : u32 { MCS_LIBRARY_FIRST = 55552, MCS_LIBRARY_LAST = 65451, MCS_LIBRARY_CODES = 90 };
enum : u32 { MCS_TRAIN_CODE_FIRST = 0xBF00, MCS_TRAIN_CODE_LAST = 0xBFFF };
enum { MCS_LINE = 201, MCS_VIEWS = 16 };

static McsDefinition* s_defs;
static McsPlaced* s_placed;
static u32 s_placedCount;
static int s_enabled;
static McsHooks g_mcsHooks;
static u32 s_animationWord = MCS_ANIM_ALL;

void Mcs_SetHooks(const McsHooks* hooks) { g_mcsHooks = hooks ? *hooks : McsHooks{}; }

void Mcs_SetAnimationWord(u32 word) { s_animationWord = word & MCS_ANIM_ALL; }
u32 Mcs_GetAnimationWord(void) { return s_animationWord; }

static u32 Mcs_Option(void) { return s_animationWord; }

int Mcs_AnimationOn(void) { return s_enabled && (Mcs_Option() & 3) != 0; }
int Mcs_FollowsTrains(void) { return s_enabled && (Mcs_Option() & MCS_ANIM_TRAINS) != 0; }

u32 Mcs_Count(void) { return s_placedCount; }
const McsPlaced* Mcs_First(void) { return s_placed; }

// ---------------------------------------------------------------- placed objects

static void Mcs_FreePlaced(void) {
  while (s_placed) {
    McsPlaced* next = s_placed->Next;
    Heap_Free(s_placed);
    s_placed = next;
  }
  s_placedCount = 0;
}

static McsPlaced** Mcs_Link(i32 x, i32 y, i32 level) {
  McsPlaced** l = &s_placed;
  while (*l && !((*l)->X == x && (*l)->Y == y && (*l)->Level == level)) l = &(*l)->Next;
  return l;
}

static McsPlaced* Mcs_Add(i32 x, i32 y, i32 level, const McsDefinition* def, i32 step, i32 counter, i32 duration) {
  McsPlaced* p = static_cast<McsPlaced*>(Heap_Alloc(sizeof(McsPlaced)));
  if (!p) return nullptr;
  *p = McsPlaced{s_placed, x, y, level, def, step, counter, duration};
  s_placed = p;
  ++s_placedCount;
  return p;
}

void Mcs_RemoveAt(i32 x, i32 y, i32 level) {
  McsPlaced** l = Mcs_Link(x, y, level);
  if (!*l) return;
  McsPlaced* p = *l;
  *l = p->Next;
  Heap_Free(p);
  --s_placedCount;
}

static void Mcs_FreeDefinitions(int libraryOnly) {
  for (McsDefinition** l = &s_defs; *l;) {
    McsDefinition* d = *l;
    if (libraryOnly && (d->Code < MCS_LIBRARY_FIRST || d->Code > MCS_LIBRARY_LAST)) {
      l = &d->Next;
      continue;
    }
    *l = d->Next;
    Heap_Free(d);
  }
}

void Mcs_Clear(void) {
  Mcs_FreePlaced();
  Mcs_FreeDefinitions(1);
}

int Mcs_Init(void) {
  Mcs_FreePlaced();
  Mcs_FreeDefinitions(0);
  s_enabled = 1;
  return Mcs_LoadDefinitions(0);
}

void Mcs_Exit(void) {
  s_enabled = 0;
  Mcs_FreePlaced();
  Mcs_FreeDefinitions(0);
}

// ---------------------------------------------------------------- definitions

// "name=" and a signed decimal number at *pos; 0 ok.
static int Mcs_Field(const wch* s, i32* pos, const char* name, i32* out) {
  i32 p = *pos;
  for (const char* n = name; *n; ++n, ++p)
    if (Chr_Lower(s[p]) != wch(*n)) return 1;
  if (s[p++] != u'=') return 1;
  int negative = 0;
  if (s[p] == u'-' || s[p] == u'+') negative = s[p++] == u'-';
  i64 v = 0;
  int digits = 0;
  for (; s[p] >= u'0' && s[p] <= u'9'; ++p, ++digits) {
    v = v * 10 + (s[p] - u'0');
    if (v > 0x7FFFFFFF) return 1;
  }
  if (!digits) return 1;
  *out = i32(negative ? -v : v);
  *pos = p;
  return 0;
}

int Mcs_ParseHeader(const wch* text, int library, i32* out) {
  wch line[MCS_LINE];
  i32 n = 0;
  for (; text[n] && n < MCS_LINE - 1; ++n) line[n] = text[n];
  line[n] = 0;
  Str_RemoveBlanks(line);
  static const char* const kNames[6] = {"xd", "b", "yd", "h", "st", "sym"};
  i32 v[6], pos = 0;
  for (int k = 0; k < 6; ++k) {
    if (Mcs_Field(line, &pos, kNames[k], &v[k])) return 1;
    if (k < 5 && line[pos++] != u',') return 1;
  }
  i32 variant = 0;
  if (line[pos]) {
    const wch c = Chr_Upper(line[pos++]);
    if (c < u'A' || c > u'D' || line[pos]) return 1;
    variant = c - u'A' + 1;
  }
  const i32 xd = v[0], b = v[1], yd = v[2], h = v[3], st = v[4], sym = v[5];
  if (xd < -1 || b < 1 || xd + b >= 3 || yd < -1 || h < 1 || yd + h >= 7 || st < 1 || st > 1000) return 1;
  u32 code;
  if (library) {
    if (sym < 0 || sym >= i32(MCS_LIBRARY_CODES)) return 1;
    code = MCS_LIBRARY_FIRST + u32(library - 1) * MCS_LIBRARY_CODES + u32(sym);
  } else {
    if (sym < 49152 || sym > 65535) return 1;
    code = u32(sym);
  }
  out[0] = 1 - yd - h;  // top
  out[1] = h;
  out[2] = xd;
  out[3] = b;
  out[4] = st;
  out[5] = i32(code);
  out[6] = variant;
  return 0;
}

int Mcs_ParseStep(const wch* text, McsStep* step) {
  i32 v[4], pos = 0;
  for (int k = 0; k < 4; ++k) {
    while (text[pos] == u' ') ++pos;
    int negative = 0;
    if (text[pos] == u'-') negative = 1, ++pos;
    i64 x = 0;
    int digits = 0;
    for (; text[pos] >= u'0' && text[pos] <= u'9'; ++pos, ++digits) {
      x = x * 10 + (text[pos] - u'0');
      if (x > 0x7FFFFFFF) return 1;
    }
    if (!digits) return 1;
    v[k] = i32(negative ? -x : x);
    while (text[pos] == u' ') ++pos;
    if (k < 3 && text[pos++] != u',') return 1;
  }
  if (text[pos]) return 1;
  if (v[0] < 0 || v[0] > 99 || v[1] < 1 || v[2] < v[1]) return 1;
  step->Picture = v[0];
  step->MinTicks = v[1];
  step->MaxTicks = v[2];
  step->Sound = (v[3] >= 1 && v[3] <= 9999) ? v[3] : -1;
  return 0;
}

static void Mcs_LineWarning(u32 number, TextId text, const wch* file, i32 line) {
  wch msg[OS_MAX_PATH + 120];
  Fmt_Print(msg, OS_MAX_PATH + 120, u"%s: \"%s\" %s %i", Lng_GetText(text), file, Lng_GetText(6802), int(line));
  Msg_WarnText(number, msg);
}

// The next line that is no comment; 0, or the stream's code at the end.
static int Mcs_NextLine(wch* buf, i32* lineNo) {
  for (;;) {
    const int r = Fio_ReadToken(buf, MCS_LINE);
    if (r) return r;
    ++*lineNo;
    if (buf[0] != u';') return 0;
  }
}

// One file's definitions; 0, or 3 no memory.
static int Mcs_ReadFile(const wch* name, int folder, int library) {
  i32 lineNo = 0;
  wch buf[MCS_LINE];
  for (;;) {
    if (Mcs_NextLine(buf, &lineNo)) break;
    if (Str_CompareOs(buf, u"END", 1) == 0) break;
    i32 h[7];
    if (Mcs_ParseHeader(buf, library, h)) {
      Mcs_LineWarning(586, 6801, name, lineNo);
      break;
    }
    const i32 steps = h[4];
    McsDefinition* d =
        static_cast<McsDefinition*>(Heap_Alloc(u32(sizeof(McsDefinition) + (steps - 1) * sizeof(McsStep))));
    if (!d) {
      Fio_CloseRead();
      return 3;
    }
    d->Top = h[0];
    d->Height = h[1];
    d->Left = h[2];
    d->Width = h[3];
    d->StepCount = steps;
    d->Code = u32(h[5]);
    d->Variant = h[6];
    for (i32 i = 0; i < steps; ++i) d->Steps[i] = McsStep{0, 60, 60, -1};
    d->Next = s_defs;
    s_defs = d;
    int ended = 0;
    for (i32 i = 0; i < steps; ++i) {
      if (Mcs_NextLine(buf, &lineNo)) {
        ended = 1;
        break;
      }
      if (Mcs_ParseStep(buf, &d->Steps[i])) {
        // The rest of this definition keeps its starting steps; the
        // reading goes on with the next header.
        Mcs_LineWarning(587, 6803, name, lineNo);
        break;
      }
    }
    if (ended) break;
  }
  if (Fio_IsReadOpen()) Fio_CloseRead();
  (void)folder;
  return 0;
}

static int Mcs_OpenDefinitions(const wch* name, int folder) {
  if (Fio_OpenRead(name, FIO_UTF16LE, folder) == 0) return 0;
  return Fio_OpenRead(name, 0, folder);
}

int Mcs_LoadDefinitions(int which) {
  Mcs_FreePlaced();
  Mcs_FreeDefinitions(which == 1);
  McsDefinition* before = s_defs;
  if (which == 0) {
    if (Mcs_OpenDefinitions(u"orba.bnm", FOLDER_PROGRAM) != 0) {
      wch msg[OS_MAX_PATH + 60];
      Fmt_Print(msg, OS_MAX_PATH + 60, u"%s: \"%s\"", Lng_GetText(6800), u"orba.bnm");
      Msg_WarnText(585, msg);
      return 1;
    }
    if (Mcs_ReadFile(u"orba.bnm", FOLDER_PROGRAM, 0)) return 3;
  } else {
    for (int lib = 1; lib <= 110; ++lib) {
      wch name[OS_MAX_PATH];
      name[0] = 0;
      if (g_mcsHooks.libraryName) g_mcsHooks.libraryName(lib, name);
      if (!name[0]) continue;
      Fio_StripExtension(name);
      Fio_AddExtension(name, u"bnm");
      if (Mcs_OpenDefinitions(name, FOLDER_LAYOUTS) != 0) continue;
      if (Mcs_ReadFile(name, FOLDER_LAYOUTS, lib)) return 3;
    }
  }
  // The pictures of the steps just read.
  if (g_mcsHooks.buildPicture) {
    const int zoomSet = g_mcsHooks.zoomSet ? g_mcsHooks.zoomSet() : 1;
    for (McsDefinition* d = s_defs; d && d != before; d = d->Next)
      for (i32 i = 0; i < d->StepCount; ++i) {
        if (d->Steps[i].Picture <= 0) continue;
        for (int z = 1; z <= zoomSet; z *= 2) g_mcsHooks.buildPicture(d->Code, d->Variant, d->Steps[i].Picture, z);
      }
  }
  return 0;
}

const McsDefinition* Mcs_FindDefinition(u32 code, i32 variant, i32* step, i32* counter, i32* duration) {
  const McsDefinition* d = s_defs;
  for (; d; d = d->Next)
    if (d->Code == code && (d->Variant == 0 || variant == 0 || d->Variant == variant)) break;
  if (!d) return nullptr;
  if (step && counter && duration) {
    i32 sum = 0;
    for (i32 i = 0; i < d->StepCount; ++i) sum += d->Steps[i].MinTicks;
    i32 r = Rnd_Next(sum);
    i32 i = 0;
    for (; i < d->StepCount - 1 && r >= d->Steps[i].MinTicks; ++i) r -= d->Steps[i].MinTicks;
    *step = i;
    *counter = r;
    *duration = d->Steps[i].MinTicks;
  } else if (duration || counter) {
    const McsStep& s = d->Steps[0];
    const i32 dur = s.MinTicks + Rnd_Next(s.MaxTicks - s.MinTicks + 1);
    if (duration) *duration = dur;
    if (counter) *counter = Rnd_Next(dur);
  }
  return d;
}

// ---------------------------------------------------------------- visibility

static int Mcs_Views(McsView* v) { return g_mcsHooks.pictureViews ? g_mcsHooks.pictureViews(v, MCS_VIEWS) : 0; }

static int Mcs_VisibleIn(const McsView* views, int n, i32 x, i32 y, i32 level) {
  for (int i = 0; i < n; ++i) {
    const McsView& v = views[i];
    if (x < v.x0 || x > v.x1 || y < v.y0 || y > v.y1) continue;
    if (Grid_ViewLevelCheck(v.slot, x, y, level) == -5) continue;
    return 1;
  }
  return 0;
}

static int Mcs_CellVisible(i32 x, i32 y, i32 level) {
  McsView views[MCS_VIEWS];
  return Mcs_VisibleIn(views, Mcs_Views(views), x, y, level);
}

static i32 Mcs_Variant(i32 x, i32 y, i32 level, u32 code) {
  return g_mcsHooks.cellVariant ? g_mcsHooks.cellVariant(x, y, level, code) : 0;
}

// Any cell of the object's area visible (without a definition: its cell
// and the cell above).
static int Mcs_AreaVisible(const McsView* views, int n, const McsPlaced* p) {
  const McsDefinition* d = p->Def;
  const i32 top = d ? d->Top : -1, height = d ? d->Height : 2, left = d ? d->Left : 0, width = d ? d->Width : 1;
  for (i32 r = 0; r < height; ++r)
    for (i32 c = 0; c < width; ++c)
      if (Mcs_VisibleIn(views, n, p->X + left + c, p->Y + top + r, p->Level)) return 1;
  return 0;
}

static void Mcs_RedrawArea(const McsPlaced* p) {
  const McsDefinition* d = p->Def;
  for (i32 r = 0; r < d->Height; ++r)
    for (i32 c = 0; c < d->Width; ++c) {
      const i32 x = p->X + d->Left + c, y = p->Y + d->Top + r;
      if (x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE) Grid_RedrawCell(x, y, p->Level, GRID_REDRAW_ALL);
    }
}

// ---------------------------------------------------------------- placing

int Mcs_PlaceAt(i32 x, i32 y, i32 level, u32 code) {
  if (!Mcs_AnimationOn()) return 0;
  Mcs_RemoveAt(x, y, level);
  i32 step, counter, duration;
  const McsDefinition* d = Mcs_FindDefinition(code, Mcs_Variant(x, y, level, code), &step, &counter, &duration);
  if (!d || !Mcs_CellVisible(x, y, level)) return 0;
  // A new object starts at its first step with a random counter.
  const i32 first = d->Steps[0].MinTicks + Rnd_Next(d->Steps[0].MaxTicks - d->Steps[0].MinTicks + 1);
  return Mcs_Add(x, y, level, d, 0, Rnd_Next(first), first) ? 0 : 1;
}

i32 Mcs_GetInfo(i32 x, i32 y, i32 level, i32* word, u32 code) {
  if (word) *word = 0;
  if (code == 49152) return 0;
  const McsPlaced* p = *Mcs_Link(x, y, level);
  if (!p || !p->Def) return 0;
  return p->Def->Steps[p->Step].Picture;
}

static int Mcs_IsTrainMarker(u32 code) { return code >= MCS_TRAIN_CODE_FIRST && code <= MCS_TRAIN_CODE_LAST; }

// Scans a view's cells (widened: a column each side, a row above, six
// below), on its level and, while a level holds a see-through cell, the
// levels below; calls visit for every cell.
static int Mcs_ScanView(const McsView& v, const i32* box, int (*visit)(i32 x, i32 y, i32 level, u32 code)) {
  i32 x0 = v.x0 - 1, x1 = v.x1 + 1, y0 = v.y0 - 1, y1 = v.y1 + 6 - 3;
  if (box) {
    if (box[0] > x0) x0 = box[0];
    if (box[1] > y0) y0 = box[1];
    if (box[2] < x1) x1 = box[2];
    if (box[3] < y1) y1 = box[3];
  }
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > GRID_SIZE - 1) x1 = GRID_SIZE - 1;
  if (y1 > GRID_SIZE - 1) y1 = GRID_SIZE - 1;
  for (i32 level = v.level; level >= -4; --level) {
    int seeThrough = 0;
    for (i32 y = y0; y <= y1; ++y)
      for (i32 x = x0; x <= x1; ++x) {
        const u32 code = Grid_GetCell(x, y, level);
        if (code == 0xC001 || code == 0xC002) seeThrough = 1;
        if (visit(x, y, level, code)) return 1;
      }
    if (!seeThrough) break;
  }
  return 0;
}

static int Mcs_RevalidateCell(i32 x, i32 y, i32 level, u32 code) {
  if (*Mcs_Link(x, y, level)) return 0;
  if (Mcs_IsTrainMarker(code)) return Mcs_Add(x, y, level, nullptr, 0, Rnd_Next(6), 6) ? 0 : 1;
  if (code < 0xC001) return 0;
  i32 step, counter, duration;
  const McsDefinition* d = Mcs_FindDefinition(code, Mcs_Variant(x, y, level, code), &step, &counter, &duration);
  if (!d) return 0;
  return Mcs_Add(x, y, level, d, step, counter, duration) ? 0 : 1;
}

int Mcs_Revalidate(int slot, const i32* box) {
  if ((Mcs_Option() & 3) == 0 || !s_enabled) {
    Mcs_FreePlaced();
    return 0;
  }
  McsView views[MCS_VIEWS];
  const int n = Mcs_Views(views);
  for (McsPlaced** l = &s_placed; *l;) {
    McsPlaced* p = *l;
    if (Mcs_AreaVisible(views, n, p)) {
      l = &p->Next;
      continue;
    }
    *l = p->Next;
    Heap_Free(p);
    --s_placedCount;
  }
  for (int i = 0; i < n; ++i) {
    if (slot >= 0 && views[i].slot != slot) continue;
    if (Mcs_ScanView(views[i], box, Mcs_RevalidateCell)) return 1;
  }
  return 0;
}

int Mcs_FollowTrain(i32 oldX, i32 oldY, i32 oldLevel, i32 newLevel, i32 newY, i32 newX) {
  McsPlaced* p = oldX >= 0 ? *Mcs_Link(oldX, oldY, oldLevel) : nullptr;
  if (!Mcs_CellVisible(newX, newY, newLevel)) {
    if (p) Mcs_RemoveAt(oldX, oldY, oldLevel);
    return 0;
  }
  if (p) {
    // An object already at the new cell gives way to the moving one.
    if (McsPlaced* there = *Mcs_Link(newX, newY, newLevel))
      if (there != p) Mcs_RemoveAt(newX, newY, newLevel);
    p->X = newX;
    p->Y = newY;
    p->Level = newLevel;
    return 0;
  }
  if (*Mcs_Link(newX, newY, newLevel)) return 0;
  return Mcs_Add(newX, newY, newLevel, nullptr, 0, Rnd_Next(6), 6) ? 0 : 1;
}

void Mcs_AnimateTick(void) {
  if (!s_enabled || (g_mcsHooks.loadFailed && g_mcsHooks.loadFailed())) return;
  const int paused = g_mcsHooks.displayPaused && g_mcsHooks.displayPaused();
  for (McsPlaced* p = s_placed; p; p = p->Next) {
    if (p->Counter++ < p->Duration) continue;
    p->Counter = 0;
    if (const McsDefinition* d = p->Def) {
      p->Step = p->Step + 1 < d->StepCount ? p->Step + 1 : 0;
      const McsStep& s = d->Steps[p->Step];
      p->Duration = s.MinTicks + Rnd_Next(s.MaxTicks - s.MinTicks + 1);
      Mcs_RedrawArea(p);
      if (s.Sound > 0 && g_mcsHooks.stepSound) g_mcsHooks.stepSound(p->X, p->Y, p->Level, s.Sound);
    } else if (!paused && Mcs_IsTrainMarker(Grid_GetCellChecked(p->X, p->Y, p->Level)) && g_mcsHooks.trainCellPart &&
               g_mcsHooks.trainCellPart(p->X, p->Y, p->Level) == 2) {
      Grid_RedrawCell(p->X, p->Y, p->Level, GRID_REDRAW_ALL);
      if (p->Y > 0) Grid_RedrawCell(p->X, p->Y - 1, p->Level, GRID_REDRAW_ALL);
    }
  }
}

static int Mcs_RedrawCellArea(i32 x, i32 y, i32 level, u32 code) {
  i32 left, top, width, height;
  if (code < 0xC001 || !g_mcsHooks.pictureArea || !g_mcsHooks.pictureArea(code, &left, &top, &width, &height))
    return 0;
  for (i32 r = 0; r < height; ++r)
    for (i32 c = 0; c < width; ++c) {
      const i32 cx = x + left + c, cy = y + top + r;
      if (cx >= 0 && cx < GRID_SIZE && cy >= 0 && cy < GRID_SIZE) Grid_RedrawCell(cx, cy, level, GRID_REDRAW_ALL);
    }
  return 0;
}

void Mcs_RedrawAreas(void) {
  McsView views[MCS_VIEWS];
  const int n = Mcs_Views(views);
  for (int i = 0; i < n; ++i) Mcs_ScanView(views[i], nullptr, Mcs_RedrawCellArea);
}

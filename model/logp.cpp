#include "model/logp.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "platform/clip.h"
#include "platform/dfwfmt.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { LOGP_TAG = 0x50474F4C };  // "LOGP"
enum : u16 { LOGP_TAG_OLD = 16730 };   // "ZA"
enum { LOGP_LINE = 200, LOGP_LOG_LINE = 600 };

static PointStore s_points;

static LogPoint* Logp_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<LogPoint*>(Pobj_Find(&s_points, x, y, level));
}

void Logp_Init(void) { Pobj_Reset(&s_points); }

void Logp_Clear(void) {
  Logp_StopRunLog();
  Pobj_FreeAll(&s_points);
}

void Logp_Exit(void) { Logp_Clear(); }

u32 Logp_Count(void) { return s_points.Count; }

u32 Logp_CountSwitchedOff(void) {
  u32 n = 0;
  for (const PointHead* p = s_points.First; p; p = p->Next)
    if (reinterpret_cast<const LogPoint*>(p)->Flags & LOGP_F_OFF) ++n;
  return n;
}

const LogPoint* Logp_Find(i32 x, i32 y, i32 level) { return Logp_At(x, y, level); }

static void Logp_Unhook(LogPoint* p) {
  Pobj_Unlink(&s_points, &p->Head);
  Heap_Free(p);
}

int Logp_Delete(i32 x, i32 y, i32 level) {
  LogPoint* p = Logp_At(x, y, level);
  if (!p) return 1;
  Logp_Unhook(p);
  Lay_MarkModified();
  return 0;
}

// A new point, not yet linked; null without memory.
static LogPoint* Logp_NewPoint(i32 x, i32 y, i32 level, u32 dirMask, const wch* name, u32 flags) {
  LogPoint* p = static_cast<LogPoint*>(Heap_Alloc(sizeof(LogPoint)));
  if (!p) return nullptr;
  p->Head = PointHead{nullptr, nullptr, x, y, level};
  p->DirMask = dirMask;
  p->Flags = flags;
  int n = 0;
  if (name) {
    while (*name == u' ') ++name;
    for (; name[n] && n < LOGP_NAME_MAX; ++n) p->Name[n] = name[n];
  }
  p->Name[n] = 0;
  return p;
}

int Logp_Set(i32 x, i32 y, i32 level, u32 dirMask, const wch* name, u32 flags) {
  // The new point is made before the old one goes, so that a refused set
  // leaves the cell as it was.
  LogPoint* p = Logp_NewPoint(x, y, level, dirMask, name, flags);
  if (!p) return 1;
  if (LogPoint* old = Logp_At(x, y, level)) Logp_Unhook(old);
  Pobj_InsertSorted(&s_points, &p->Head);
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

int Logp_NextInOrder(i32* x, i32* y, i32* level, int wrap) {
  const PointHead* first = s_points.First;
  if (!first) return 0;
  const PointHead at = {nullptr, nullptr, *x, *y, *level};
  const PointHead* found = nullptr;
  for (const PointHead* p = first; p; p = p->Next)
    if (Pobj_After(p, &at)) {
      found = p;
      break;
    }
  if (!found && (wrap || !first->Next)) found = first;
  if (!found) return 0;
  *x = found->X;
  *y = found->Y;
  *level = found->Level;
  return 1;
}

int Logp_GetExtent(i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX) {
  return Pobj_GetExtent(&s_points, minX, minY, minLevel, maxLevel, maxY, maxX);
}

// ---------------------------------------------------------------- region hooks

int Logp_TestInBox(const i32 source[6], const i32 target[6]) { return Pobj_TestInBox(&s_points, source, target); }

void Logp_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  Pobj_MoveInBoxSorted(&s_points, x1, y1, level1, x2, y2, level2, dx, dy, dlevel);
}

void Logp_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                         i32 numX) {
  Pobj_TransformInBoxSorted(&s_points, x1, y1, level1, x2, y2, level2, numX, denX, numY, denY);
}

void Logp_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (PointHead* p = s_points.First; p;) {
    PointHead* next = p->Next;
    if (Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) Logp_Delete(p->X, p->Y, p->Level);
    p = next;
  }
}

int Logp_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(6100));
  wch line[LOGP_LINE];
  int r = Clip_AppendLine(u"LOG_A");
  for (const PointHead* h = s_points.First; h && !r; h = h->Next) {
    if (!Pobj_InBox(h, x1, y1, level1, x2, y2, level2)) continue;
    const LogPoint* p = reinterpret_cast<const LogPoint*>(h);
    Fmt_Print(line, LOGP_LINE, u"%x,%x,%i,%x,%x,%s", unsigned(h->X), unsigned(h->Y), int(h->Level),
              unsigned(p->DirMask), unsigned(p->Flags), p->Name);
    r = Clip_AppendLine(line);
  }
  return r ? r : Clip_AppendLine(u"LOG_E");
}

int Logp_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel) {
  Msg_InfoUpdate(Lng_GetText(6100));
  wch buf[LOGP_LINE];
  u32 n = *line;
  if (Clip_ReadLine(i32(n++), LOGP_LINE, buf) != 0) return 2;
  int result = 0;
  for (;;) {
    if (Clip_ReadLine(i32(n++), LOGP_LINE, buf) != 0) return 2;
    u32 f[5];
    i32 end;
    if (Pobj_ParseFields(buf, "xxixx", f, &end)) break;
    // The name is everything after the fifth field's comma (it may itself
    // hold commas).
    if (buf[end] != u',') return 2;
    const wch* name = buf + end + 1;
    if (Str_Len(name) > LOGP_NAME_MAX) return 2;
    const i32 x = i32(f[0]) + dx, y = i32(f[1]) + dy, level = i32(f[2]) + dlevel;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 2;
    LogPoint* p = Logp_NewPoint(x, y, level, f[3], name, f[4]);
    if (!p) {
      result = 1;
      continue;
    }
    Pobj_InsertSorted(&s_points, &p->Head);
  }
  if (Str_CompareOs(buf, u"LOG_E", 0) != 0) return 2;
  *line = n;
  return result;
}

// ---------------------------------------------------------------- section

int Logp_Save(void) {
  int r;
  if ((r = Fio_WriteU32(LOGP_TAG)) || (r = Fio_WriteU32(s_points.Count)) || (r = Fio_WriteU32(0))) return r;
  for (const PointHead* h = s_points.First; h; h = h->Next) {
    const LogPoint* p = reinterpret_cast<const LogPoint*>(h);
    if ((r = Grid_WritePos(h->X, h->Y, h->Level)) || (r = Fio_WriteU32(p->DirMask)) || (r = Fio_WriteU32(p->Flags)))
      return r;
    if ((r = Fio_WriteZeroEnded(p->Name))) return r;
  }
  return 0;
}

int Logp_Load(u16 version) {
  int r;
  u32 count;
  Logp_Clear();
  if ((r = LayVer_ReadTag(version, LOGP_TAG, LOGP_TAG_OLD)) || (r = Fio_ReadField(&count, LayVer_WordBytes(version))))
    return r;
  if (version < LAYVER_RECORDS) return count ? 3 : 0;
  u32 zero;
  if ((r = Fio_ReadU32(&zero))) return r;
  if (zero) return 3;
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    if ((r = Grid_ReadPos(&x, &y, &level, version))) return r;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
    u32 dirs = 255, flags;
    if (version >= LAYVER_WIDE) {
      if ((r = Fio_ReadU32(&dirs))) return r;
    } else if (version >= LAYVER_LOG_DIRS) {
      u16 d;
      if ((r = Fio_ReadU16(&d))) return r;
      dirs = d;
    }
    if ((r = Fio_ReadU32(&flags))) return r;
    wch name[LOGP_NAME_MAX + 1];
    if (version >= LAYVER_WIDE) {
      int n = 0;
      for (;;) {
        u16 c;
        if ((r = Fio_ReadU16(&c))) return r;
        if (!c) break;
        if (n >= LOGP_NAME_MAX) return 3;
        name[n++] = c;
      }
      name[n] = 0;
    } else {
      char old[LOGP_NAME_MAX + 2];
      if (Fio_ReadBlock(old, LOGP_NAME_MAX + 1) != LOGP_NAME_MAX + 1) return 1;
      old[LOGP_NAME_MAX + 1] = 0;
      if (Lng_AnsiToWide(old, name, LOGP_NAME_MAX + 1) < 1) name[0] = 0;
      name[LOGP_NAME_MAX] = 0;
      i32 len = Str_Len(name);
      while (len > 0 && name[len - 1] == u' ') name[--len] = 0;
    }
    LogPoint* p = Logp_NewPoint(x, y, level, dirs, name, flags);
    if (!p) return 4;
    Pobj_InsertSorted(&s_points, &p->Head);
  }
  return 0;
}

int Logp_ExportText(void) {
  wch line[LOGP_LINE];
  int r;
  const u32 off = Logp_CountSwitchedOff();
  if ((r = Fio_WriteString(Lng_GetText(6400))) || (r = Fio_WriteCrLf())) return r;
  Fmt_Print(line, LOGP_LINE, u"%s %u", Lng_GetText(6401), unsigned(s_points.Count));
  if ((r = Fio_WriteString(line)) || (r = Fio_WriteCrLf())) return r;
  Fmt_Print(line, LOGP_LINE, u"%s %u", Lng_GetText(6402), unsigned(s_points.Count - off));
  if ((r = Fio_WriteString(line)) || (r = Fio_WriteCrLf())) return r;
  Fmt_Print(line, LOGP_LINE, u"%s %u", Lng_GetText(6403), unsigned(off));
  if ((r = Fio_WriteString(line)) || (r = Fio_WriteCrLf()) || (r = Fio_WriteSeparator())) return r;
  for (const PointHead* h = s_points.First; h; h = h->Next) {
    const LogPoint* p = reinterpret_cast<const LogPoint*>(h);
    Fmt_Print(line, LOGP_LINE, u"%s %s", Lng_GetText(6440), p->Name);
    if ((r = Fio_WriteString(line)) || (r = Fio_WriteCrLf())) return r;
    Fmt_Print(line, LOGP_LINE, u"%s %5i,%5i,%+i", Lng_GetText(6441), int(h->X), int(h->Y), int(h->Level));
    if ((r = Fio_WriteString(line)) || (r = Fio_WriteCrLf())) return r;
  }
  return 0;
}

// ---------------------------------------------------------------- run log

static void (*g_logpTitleHook)(void);

void Logp_SetTitleHook(void (*retitle)(void)) { g_logpTitleHook = retitle; }

static u32 s_logFlags = LOGP_OPT_POINTS;
static wch s_logSep = u',';
static wch s_logComment = u';';
static int s_logging;
static wch s_logName[OS_MAX_PATH];
static u32 s_logStartDay;

int Logp_SetSettings(u32 flags, wch separator, wch comment) {
  if (!(flags & ~u32(LOGP_OPT_ANSI | LOGP_OPT_UTF16))) return 1;
  if (separator < 32) return 2;
  if (comment < 32) return 3;
  Logp_StopRunLog();
  s_logFlags = flags;
  s_logSep = separator;
  s_logComment = comment;
  return 0;
}

u32 Logp_GetSettings(u32* flags, wch* separator, wch* comment, u32* switchedOff) {
  if (flags) *flags = s_logFlags;
  if (separator) *separator = s_logSep;
  if (comment) *comment = s_logComment;
  if (switchedOff) *switchedOff = Logp_CountSwitchedOff();
  return s_points.Count;
}

int Logp_IsLogging(void) { return s_logging; }

const wch* Logp_GetLogFileName(void) { return s_logging ? s_logName : nullptr; }

static void Logp_Retitle(void) {
  if (g_logpTitleHook) g_logpTitleHook();
}

static int Logp_Fail(u32 number, TextId text) {
  s_logging = 0;
  wch msg[OS_MAX_PATH + 100];
  Fmt_Print(msg, OS_MAX_PATH + 100, u"%s %s", Lng_GetText(text), s_logName);
  Msg_ErrorText(number, msg);
  Logp_Retitle();
  return 1;
}

int Logp_AppendLine(const wch* line) {
  if (!s_logging) return 1;
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(s_logName, FOLDER_LOGS, path)) return Logp_Fail(684, 6004);
  u8 bytes[2 * (LOGP_LOG_LINE + 2)];
  u32 n = 0;
  i32 len = Str_Len(line);
  if (len > LOGP_LOG_LINE) len = LOGP_LOG_LINE;
  if (s_logFlags & LOGP_OPT_ANSI) {
    // A line too long for the 8-bit form is cut, not dropped: logging goes
    // on with the next line.
    wch cut[LOGP_ANSI_LINE_MAX + 1];
    if (len > LOGP_ANSI_LINE_MAX) len = LOGP_ANSI_LINE_MAX;
    Mem_CopyWide(cut, line, len);
    cut[len] = 0;
    const int m = Lng_WideToAnsi(cut, reinterpret_cast<char*>(bytes), LOGP_ANSI_LINE_MAX * 2 + 1);
    n = m > 0 ? u32(m - 1) : 0;
    bytes[n++] = '\r';
    bytes[n++] = '\n';
  } else {
    for (i32 i = 0; i < len; ++i) {
      bytes[n++] = u8(line[i]);
      bytes[n++] = u8(line[i] >> 8);
    }
    bytes[n++] = '\r';
    bytes[n++] = 0;
    bytes[n++] = '\n';
    bytes[n++] = 0;
  }
  const int h = Os_OpenAppend(path);
  if (h < 0) return Logp_Fail(684, 6004);
  const u32 body = n - ((s_logFlags & LOGP_OPT_ANSI) ? 2 : 4);
  if (Os_Write(h, bytes, body) != i32(body)) {
    Os_Close(h);
    return Logp_Fail(685, 6002);
  }
  if (Os_Write(h, bytes + body, n - body) != i32(n - body)) {
    Os_Close(h);
    return Logp_Fail(686, 6002);
  }
  if (Os_Close(h) != 0) return Logp_Fail(687, 6005);
  return 0;
}

// The simulated clock as "hh:mm:ss".
static void Logp_ClockText(wch* out) {
  Fmt_Print(out, 16, u"%02u:%02u:%02u", unsigned(g_simClock.hour), unsigned(g_simClock.minute),
            unsigned(g_simClock.second));
}

// A header line: the comment character and the texts joined by blanks.
static int Logp_HeaderLine(const wch* a, const wch* b, const wch* c, const wch* d, const wch* e) {
  wch line[LOGP_LOG_LINE];
  Fmt_Print(line, LOGP_LOG_LINE, u"%c%s", unsigned(s_logComment), a);
  const wch* rest[4] = {b, c, d, e};
  for (const wch* t : rest) {
    if (!t) continue;
    const i32 n = Str_Len(line);
    Fmt_Print(line + n, LOGP_LOG_LINE - n, u" %s", t);
  }
  return Logp_AppendLine(line);
}

static void Logp_NowTexts(wch* date, wch* time) {
  OsLocalTime now;
  Os_GetLocalTime(&now);
  Dfw_FormatDateLocale(now.day, now.month, now.year, date);
  Dfw_FormatTimeLocale(now.hour, now.minute, now.second, time);
}

static const wch* Logp_OnOff(u32 flag) { return Lng_GetText((s_logFlags & flag) ? 6129 : 6130); }

int Logp_StartRunLog(void) {
  Logp_StopRunLog();
  wch name[OS_MAX_PATH], path[OS_MAX_PATH];
  int found = 0;
  for (unsigned n = 0; n < 100 && !found; ++n) {
    Fmt_Print(name, OS_MAX_PATH, u"orba_%02u.log", n);
    // Only a name that names nothing is free: an existing file that merely
    // cannot be opened (locked, no rights) is not overwritten.
    if (Fio_BuildPath(name, FOLDER_LOGS, path) == 0 && Os_Access(path, OS_ACCESS_EXISTS) != 0) found = 1;
  }
  Str_Copy(s_logName, name);
  if (!found) {
    Msg_ErrorId(680, 6000);
    return 680;
  }
  // The file is made with its byte-order mark only; every line is appended
  // later.
  const int h = Os_Create(path);
  if (h < 0) {
    Logp_Fail(681, 6001);
    return 681;
  }
  static const u8 bom[2] = {0xFF, 0xFE};
  const int withBom = !(s_logFlags & LOGP_OPT_ANSI);
  if (withBom && Os_Write(h, bom, 2) != 2) {
    Os_Close(h);
    Logp_Fail(682, 6002);
    return 682;
  }
  if (Os_Close(h) != 0) {
    Logp_Fail(683, 6003);
    return 683;
  }
  s_logging = 1;
  s_logStartDay = Clk_DayNumber();
  Logp_Retitle();
  wch date[64], time[64], clock[16], buf[LOGP_LOG_LINE];
  Logp_NowTexts(date, time);
  Logp_ClockText(clock);
  if (Logp_HeaderLine(Lng_GetText(6120), nullptr, nullptr, nullptr, nullptr)) return 0;
#ifdef ORBA_VIEWER
  const TextId program = 810;
#else
  const TextId program = 800;
#endif
  Fmt_Print(buf, LOGP_LOG_LINE, u"(%s)", Lng_GetText(804));
  if (Logp_HeaderLine(Lng_GetText(6121), Lng_GetText(program), buf, Lng_GetText(805), nullptr)) return 0;
  if (Logp_HeaderLine(Lng_GetText(6122), date, time, Lng_GetText(6123), nullptr)) return 0;
  if (Logp_HeaderLine(Lng_GetText(6124), LayoutFileName, Lng_GetText(6125), clock, nullptr)) return 0;
  Fmt_Print(buf, LOGP_LOG_LINE, u"%s %s %s %s %s %s", Lng_GetText(6127), Logp_OnOff(LOGP_OPT_POINTS),
            Lng_GetText(6128), Logp_OnOff(LOGP_OPT_DISPATCH), Lng_GetText(6135), Logp_OnOff(LOGP_OPT_VEHICLES));
  if (Logp_HeaderLine(Lng_GetText(6126), buf, nullptr, nullptr, nullptr)) return 0;
  Logp_HeaderLine(Lng_GetText(6131), nullptr, nullptr, nullptr, nullptr);
  return 0;
}

void Logp_StopRunLog(void) {
  if (!s_logging) return;
  wch date[64], time[64], clock[16];
  Logp_NowTexts(date, time);
  Logp_ClockText(clock);
  if (!Logp_HeaderLine(Lng_GetText(6132), date, time, Lng_GetText(6123), nullptr))
    Logp_HeaderLine(Lng_GetText(6124), LayoutFileName, Lng_GetText(6125), clock, nullptr);
  s_logging = 0;
  Logp_Retitle();
}

// The fields that every event line shares; the caller gives the event
// text, field 4 and fields 5-7 and 11-12.
struct LogpLine {
  const wch* event;
  wch field4[16];
  wch line1[LINE_NAME_SIZE], line2[LINE_NAME_SIZE];
  wch number[16];
  i32 x, y, level;
  const wch* last;
};

static int Logp_WriteEventLine(const LogpLine* l) {
  wch days[8], clock[16], line[LOGP_LOG_LINE];
  const u32 d = Clk_DayNumber() - s_logStartDay;
  if (d <= 999) Fmt_Print(days, 8, u"%3u", unsigned(d));
  else Str_Copy(days, u"???");
  Logp_ClockText(clock);
  const wch c = s_logSep;
  Fmt_Print(line, LOGP_LOG_LINE, u"%s%c%s%c%s%c%s%c%s%c%s%c%s%c%5i%c%5i%c%+i%c%s%c%s", l->event, unsigned(c), days,
            unsigned(c), clock, unsigned(c), l->field4, unsigned(c), l->line1, unsigned(c), l->line2, unsigned(c),
            l->number, unsigned(c), int(l->x), unsigned(c), int(l->y), unsigned(c), int(l->level), unsigned(c),
            u"    0.000", unsigned(c), l->last);
  return Logp_AppendLine(line);
}

static void Logp_TrainFields(LogpLine* l, const TrainRec* t) {
  Lin_GetName(t->Line, l->line1, 1);
  Lin_GetName(t->CurLine, l->line2, 1);
  Fmt_Print(l->number, 16, u"%4i", int(t->Number));
}

// An event line for a point, when its direction mask shares a bit with dir.
static void Logp_PointLine(const TrainRec* t, const LogPoint* p, TextId event, const wch* field4, u32 dir) {
  if (!p || (p->Flags & LOGP_F_OFF) || !(p->DirMask & dir)) return;
  LogpLine l = {};
  l.event = Lng_GetText(event);
  Str_Copy(l.field4, field4);
  Logp_TrainFields(&l, t);
  l.x = p->Head.X;
  l.y = p->Head.Y;
  l.level = p->Head.Level;
  l.last = p->Name;
  Logp_WriteEventLine(&l);
}

void Logp_LogEvent(const TrainRec* t, u32 kind, i32 time) {
  if (!s_logging || !t || !(s_logFlags & (LOGP_OPT_POINTS | LOGP_OPT_VEHICLES))) return;
  static const TextId kEvent[7] = {6052, 6053, 6055, 6056, 6057, 6058, 6057};
  if (kind > 6) return;
  const TrainCell& h = Trn_Cells(t)[0];
  const LogPoint* p = Logp_At(h.X, h.Y, h.Level);
  if (!p) return;
  const u32 need = (kind == 1 || kind == 3 || kind == 5) ? LOGP_F_DEPART : LOGP_F_ARRIVE;
  if (!(p->Flags & need)) return;
  wch field4[16] = u"        ";
  if (kind == 2) Logp_ClockText(field4);
  else if (kind == 6 && time >= 0)
    Fmt_Print(field4, 16, u"%02u:%02u:%02u", unsigned(time / 3600 % 24), unsigned(time / 60 % 60),
              unsigned(time % 60));
  Logp_PointLine(t, p, kEvent[kind], field4, Trn_DirectionCode(t->DirX, t->DirY));
}

void Logp_LogPassing(const TrainRec* t, i32 x, i32 y, i32 level) {
  if (!s_logging || !t || !(s_logFlags & (LOGP_OPT_POINTS | LOGP_OPT_VEHICLES))) return;
  const TrainCell& h = Trn_Cells(t)[0];
  const LogPoint* left = Logp_At(h.X, h.Y, h.Level);
  if (left && (left->Flags & LOGP_F_LEAVE))
    Logp_PointLine(t, left, 6050, u"        ", Trn_DirectionCode(x - h.X, y - h.Y));
  const LogPoint* entered = Logp_At(x, y, level);
  if (entered && (entered->Flags & LOGP_F_ENTER))
    Logp_PointLine(t, entered, 6051, u"        ", Trn_DirectionCode(t->DirX, t->DirY));
}

void Logp_LogDispatchMsg(i32 x, i32 y, i32 level, const wch* lineText, const wch* message, u32 lineId,
                         const TrainRec* t) {
  if (!s_logging || !(s_logFlags & LOGP_OPT_DISPATCH)) return;
  LogpLine l = {};
  l.event = Lng_GetText(6054);
  if (lineText && lineText[0]) Fmt_Print(l.field4, 16, u"%s", lineText);
  else Str_Copy(l.field4, u"        ");
  if (t) {
    Logp_TrainFields(&l, t);
  } else {
    if (lineId) Lin_GetName(lineId, l.line1, 1);
    else Str_Copy(l.line1, u"--------");
    Str_Copy(l.line2, u"--------");
    Str_Copy(l.number, u"----");
  }
  l.x = x;
  l.y = y;
  l.level = level;
  l.last = message ? message : u"";
  Logp_WriteEventLine(&l);
}

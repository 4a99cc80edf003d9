#include "operation/dmsg.h"

#include "model/dep.h"
#include "model/line.h"
#include "model/tp.h"
#include "operation/clock.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "operation/trnquery.h"
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/str.h"

static DispatcherMessage s_entries[DMSG_MAX_ENTRIES];
static u32 s_count;
static int s_new;
static int s_options;
// Every kind is on from the start, also before Dmsg_Init.
static u8 s_kind[DMSG_KINDS + 1] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
static i32 s_selItem, s_selEntry;
static DmsgHooks s_hooks;

void Dmsg_SetHooks(const DmsgHooks* hooks) { s_hooks = hooks ? *hooks : DmsgHooks{}; }

void Dmsg_PaintIndicator(void) {
  if (s_hooks.paintIndicator) s_hooks.paintIndicator();
}

int Dmsg_IndicatorLook(u32 count, int hasNew, wch codes[4]) {
  // The filled symbols call for a look, the empty ones say all is quiet.
  enum { QUIET_FIRST = 18, CALLING_FIRST = 21 };
  int colour = 102, first = QUIET_FIRST;
  if (count == 0) colour = 101;
  else if (count >= DMSG_MAX_ENTRIES) colour = 104, first = CALLING_FIRST;
  else if (hasNew) colour = 103, first = CALLING_FIRST;
  for (int i = 0; i < 3; ++i) codes[i] = wch(first + i);
  codes[3] = 0;
  return colour;
}

void Dmsg_Init(void) {
  s_options = 0;
  for (int k = 1; k <= DMSG_KINDS; ++k) s_kind[k] = DMSG_ON;
  s_count = 0;
  s_new = 0;
  s_selItem = s_selEntry = 0;
}

void Dmsg_Clear(void) {
  s_count = 0;
  s_new = 0;
  Dmsg_PaintIndicator();
}

void Dmsg_Free(void) { Dmsg_Clear(); }

u32 Dmsg_Count(void) { return s_count; }

const DispatcherMessage* Dmsg_Get(u32 index) { return index < s_count ? &s_entries[index] : nullptr; }

void Dmsg_Remove(u32 index, int repaint) {
  if (index >= s_count) return;
  for (u32 i = index + 1; i < s_count; ++i) s_entries[i - 1] = s_entries[i];
  --s_count;
  if (repaint) Dmsg_PaintIndicator();
}

int Dmsg_HasNew(void) { return s_new; }

void Dmsg_MarkSeen(void) {
  s_new = 0;
  Dmsg_PaintIndicator();
}

int Dmsg_GetOptions(void) { return s_options; }

int Dmsg_SetOptions(int options) {
  if (options < 0 || options > 7) return 1;
  s_options = options;
  return 0;
}

int Dmsg_KindEnabled(u32 kind) { return (kind >= 1 && kind <= DMSG_KINDS) ? s_kind[kind] : 0; }

int Dmsg_SetKindEnabled(u32 kind, int value) {
  if (kind < 1 || kind > DMSG_KINDS) return 1;
  if (value < 0 || value > 2) return 2;
  s_kind[kind] = u8(value);
  return 0;
}

static i32 Dmsg_Clamp(i32 v) { return v < 0 ? 0 : v > 32767 ? 32767 : v; }

int Dmsg_Post(u32 kind, i32 x, i32 y, i32 level, u32 data, i32 number, u32 curLine, u32 line) {
  // A kind of 0 or below (or beyond the table) has no setting and no text:
  // it is refused like a kind switched off.
  if (i32(kind) <= 0 || Dmsg_KindEnabled(kind) == DMSG_OFF) return DMSG_KIND_OFF;
  x = Dmsg_Clamp(x);
  y = Dmsg_Clamp(y);
  if (kind == 26) {
    // The late train's message replaces the point's own message 13 of the
    // same departure second.
    u32 id = 0;
    i32 ex, ey, el;
    if (Tp_GetInfo(x, y, level, nullptr, nullptr, nullptr, nullptr, &id, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr) == 0 &&
        Tp_GetEntryById(id, 0, &ex, nullptr, &el, &ey) == 0)
      for (u32 i = 0; i < s_count; ++i) {
        const DispatcherMessage& e = s_entries[i];
        if (e.Kind == 13 && e.X == ex && e.Y == ey && e.Level == el && e.Data == data) {
          Dmsg_Remove(i, 0);
          break;
        }
      }
  }
  if (kind != 13 && kind != 14 && kind != 26)
    for (u32 i = 0; i < s_count; ++i) {
      const DispatcherMessage& e = s_entries[i];
      if (e.Kind == kind && e.X == x && e.Y == y && e.Level == level) return DMSG_DUPLICATE;
    }
  const SimClock& c = g_simClock;
  DispatcherMessage m = {};
  m.Kind = kind;
  m.X = x;
  m.Y = y;
  m.Level = level;
  m.Line = line;
  m.CurLine = curLine;
  m.Number = u32(number);
  m.Day = Clk_DayNumber();
  m.Weekday = c.weekday;
  m.Hour = c.hour;
  m.Minute = c.minute;
  m.Second = c.second;
  m.Data = data;
  if (s_count >= DMSG_MAX_ENTRIES) {
    // A message the full table refuses still reaches the run log, without
    // its value.
    m.Data = 0xFFFFFFFFu;
    if (s_hooks.logMessage) s_hooks.logMessage(&m);
    return DMSG_FULL;
  }
  DispatcherMessage& e = s_entries[s_count++];
  e = m;
  if (s_hooks.logMessage) s_hooks.logMessage(&e);
  const int full = s_count >= DMSG_MAX_ENTRIES;
  const int slot = !s_new ? 1 : full ? 3 : 2;
  s_new = 1;
  if (s_hooks.requestSound) s_hooks.requestSound(slot);
  Dmsg_PaintIndicator();
  const int stop = (s_options & DMSG_OPT_STOP_ALL) ||
                   ((s_options & DMSG_OPT_STOP_KINDS) && s_kind[kind] == DMSG_ON_STOP) ||
                   ((s_options & DMSG_OPT_STOP_FULL) && full);
  if (stop && s_hooks.stopSimulation) s_hooks.stopSimulation();
  return DMSG_POSTED;
}

// ---------------------------------------------------------------- texts

// The name a kind appends for its data and cell.
static void Dmsg_AppendName(u32 kind, i32 x, i32 y, i32 level, u32 data, wch* out, i32 size) {
  out[0] = 0;
  switch (kind) {
    case 1:
    case 2: {
      SignalInstallationData d;
      if (data && Sig_EnumInstallations(i32(data), &d, nullptr)) Fmt_Print(out, size, u" %s", d.Name);
      else Fmt_Print(out, size, u" ???");
      return;
    }
    case 8: {
      const TurnoutController* t = Pts_Find(x, y, level, -1);
      if (t) Fmt_Print(out, size, u" %u", t->Id);
      else Fmt_Print(out, size, u" ???");
      return;
    }
    case 10: {
      u32 place = 0;
      const u32 depot = Dep_FindAtPosition(x, y, level, &place);
      wch name[24];
      if (depot && Dep_FormatName(depot, i32(place), name, nullptr) == 0) Fmt_Print(out, size, u" %s", name);
      else Fmt_Print(out, size, u" ???");
      return;
    }
    case 13:
    case 27: {
      const TimetablePoint* p = Tp_FindAtCell(x, y, level);
      Fmt_Print(out, size, u" %s", p ? p->Name : u"???");
      return;
    }
    case 17:
      Fmt_Print(out, size, u" %u:%02u:%02u ", data / 3600, data / 60 % 60, data % 60);
      return;
    case 28:
    case 29:
      // The Dwx point's name comes with its store's name lookup.
      Fmt_Print(out, size, u" ???");
      return;
  }
}

i32 Dmsg_FormatText(u32 kind, i32 x, i32 y, wch* timeText, wch* text, i32 size, u32 data, u32 second, u32 minute,
                    u32 hour, i32 level) {
  if (size < 1) return 0;
  text[0] = 0;
  i32 n = 0;
  const u32 none = 0xFFFFFFFFu;
  if (kind == 26) {
    if (data == none) {
      n = Fmt_Print(text, size, u"??:??:?? ");
    } else {
      const i32 now = i32(hour * 3600 + minute * 60 + second);
      i32 late = now - i32(data);
      if (late < 0) late += 86400;
      n = Fmt_Print(text, size, u"%2u:%02u:%02u ", u32(late) / 3600, u32(late) / 60 % 60, u32(late) % 60);
    }
  }
  if (n < 0) n = 0;
  const TextId id = (kind >= 1 && kind <= DMSG_KINDS) ? TextId(4500 + kind) : TextId(4500);
  i32 r = Fmt_Print(text + n, size - n, u"%s", Lng_GetText(id));
  if (r > 0) n += r;
  if (kind == 26) {
    if (timeText) {
      if (data == none) Fmt_Print(timeText, 9, u"??:??:??");
      else Fmt_Print(timeText, 9, u"%02u:%02u:%02u", data / 3600 % 100, data / 60 % 60, data % 60);
    } else if (data == none) {
      r = Fmt_Print(text + n, size - n, u" (?\?:?\?)");
      if (r > 0) n += r;
    } else {
      r = data % 60 ? Fmt_Print(text + n, size - n, u" (%2u:%02u:%02u)", data / 3600, data / 60 % 60, data % 60)
                    : Fmt_Print(text + n, size - n, u" (%2u:%02u)", data / 3600, data / 60 % 60);
      if (r > 0) n += r;
    }
  } else {
    wch name[64];
    Dmsg_AppendName(kind, x, y, level, data, name, 64);
    r = Fmt_Print(text + n, size - n, u"%s", name);
    if (r > 0) n += r;
  }
  return Str_Len(text) + 1;
}

// The line name padded to 8 and a blank, or dashes.
static void Dmsg_LineField(u32 line, wch* out) {
  if (!line) {
    Str_Copy(out, u"-------- ");
    return;
  }
  wch name[LINE_NAME_SIZE + 8];
  Lin_GetName(line, name, 0);
  Fmt_Print(out, 16, u"%-8s ", name);
  out[9] = 0;
}

void Dmsg_ListLine(u32 index, wch* line) {
  wch buf[512];
  buf[0] = 0;
  const DispatcherMessage* e = Dmsg_Get(index);
  if (e) {
    const u32 day = e->Day - s_entries[0].Day;
    i32 n = day > 999 ? Fmt_Print(buf, 512, u"??? ") : Fmt_Print(buf, 512, u"%3u ", day);
    const wch* wd = Lng_GetText(TextId(17020 + e->Weekday));
    wch abbr[4] = {0};
    for (int i = 0; i < 3 && wd[i]; ++i) abbr[i] = wd[i];
    n += Fmt_Print(buf + n, 512 - n, u"%3s %2u:%02u", abbr, u32(e->Hour), u32(e->Minute));
    n += e->Second ? Fmt_Print(buf + n, 512 - n, u":%02u ", u32(e->Second)) : Fmt_Print(buf + n, 512 - n, u"    ");
    wch field[16];
    Dmsg_LineField(e->Line, field);
    n += Fmt_Print(buf + n, 512 - n, u"%s", field);
    Dmsg_LineField(e->CurLine, field);
    n += Fmt_Print(buf + n, 512 - n, u"%s", field);
    n += e->Number ? Fmt_Print(buf + n, 512 - n, u"%3u. ", e->Number) : Fmt_Print(buf + n, 512 - n, u"---- ");
    Dmsg_FormatText(e->Kind, e->X, e->Y, nullptr, buf + n, 512 - n, e->Data, e->Second, e->Minute, e->Hour,
                    e->Level);
  }
  // Cut at the width and blank-filled up to it, whatever the texts' lengths.
  i32 len = Str_Len(buf);
  if (len > DMSG_LINE_WIDTH) len = DMSG_LINE_WIDTH;
  for (i32 i = 0; i < len; ++i) line[i] = buf[i];
  for (i32 i = len; i < DMSG_LINE_WIDTH; ++i) line[i] = u' ';
  line[DMSG_LINE_WIDTH] = 0;
}

// ---------------------------------------------------------------- settings

void Dmsg_FormatOptionsKey(wch* out) {
  out[0] = (s_options & DMSG_OPT_STOP_ALL) ? u'S' : (s_options & DMSG_OPT_STOP_KINDS) ? u'X' : u'0';
  out[1] = (s_options & DMSG_OPT_STOP_FULL) ? u'V' : u'0';
  out[2] = 0;
}

int Dmsg_ParseOptionsKey(const wch* text) {
  int options = 0;
  for (int i = 0; i < 2 && text[i]; ++i) {
    const wch c = text[i];
    if (i == 0 && c == u'S') options |= DMSG_OPT_STOP_ALL;
    else if (i == 0 && c == u'X') options |= DMSG_OPT_STOP_KINDS;
    else if (i == 1 && c == u'V') options |= DMSG_OPT_STOP_FULL;
    else if (c != u'0') return 1;
  }
  s_options = options;
  return 0;
}

void Dmsg_FormatKindsKey(wch* out) {
  static const wch kLetters[3] = {u'j', u'B', u'C'};
  for (int k = 1; k <= DMSG_KINDS; ++k) out[k - 1] = kLetters[s_kind[k]];
  out[DMSG_KINDS] = 0;
}

int Dmsg_ParseKindsKey(const wch* text) {
  u8 kinds[DMSG_KINDS + 1];
  for (int k = 1; k <= DMSG_KINDS; ++k) kinds[k] = s_kind[k];
  for (int k = 1; k <= DMSG_KINDS && text[k - 1]; ++k) {
    const wch c = text[k - 1];
    if (c == u'j') kinds[k] = DMSG_OFF;
    else if (c == u'B') kinds[k] = DMSG_ON;
    else if (c == u'C') kinds[k] = DMSG_ON_STOP;
    else return 1;
  }
  if (Str_Len(text) > DMSG_KINDS) return 1;
  for (int k = 1; k <= DMSG_KINDS; ++k) s_kind[k] = kinds[k];
  return 0;
}

void Dmsg_GetSelection(i32* item, i32* entry) {
  if (item) *item = s_selItem;
  if (entry) *entry = s_selEntry;
}

void Dmsg_SetSelection(i32 item, i32 entry) {
  s_selItem = item;
  s_selEntry = entry;
}

// ---------------------------------------------------------------- region hooks

static int Dmsg_InBox(const DispatcherMessage& e, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  return Geo_InBox3(e.X, e.Y, e.Level, level1 > level2 ? level1 : level2, y1 > y2 ? y1 : y2, x1 > x2 ? x1 : x2,
                    level1 < level2 ? level1 : level2, y1 < y2 ? y1 : y2, x1 < x2 ? x1 : x2);
}

static void Dmsg_DropOffGrid(void) {
  for (u32 i = s_count; i-- > 0;) {
    const DispatcherMessage& e = s_entries[i];
    if (e.X < 0 || e.X > 32767 || e.Y < 0 || e.Y > 32767 || e.Level < -4 || e.Level > 0) Dmsg_Remove(i, 0);
  }
  Dmsg_PaintIndicator();
}

void Dmsg_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  for (u32 i = 0; i < s_count; ++i) {
    DispatcherMessage& e = s_entries[i];
    if (!Dmsg_InBox(e, x1, y1, level1, x2, y2, level2)) continue;
    e.X += dx;
    e.Y += dy;
    e.Level += dlevel;
  }
  Dmsg_DropOffGrid();
}

void Dmsg_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                         i32 denY) {
  for (u32 i = 0; i < s_count; ++i) {
    DispatcherMessage& e = s_entries[i];
    if (!Dmsg_InBox(e, x1, y1, level1, x2, y2, level2)) continue;
    i32 nx = e.X, ny = e.Y;
    Trn_ScaleRegionPos(x1, y1, e.X, &ny, &nx, denY, numY, denX, numX, e.Level, e.Y);
    e.X = nx;
    e.Y = ny;
  }
  Dmsg_DropOffGrid();
}

void Dmsg_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (u32 i = s_count; i-- > 0;)
    if (Dmsg_InBox(s_entries[i], x1, y1, level1, x2, y2, level2)) Dmsg_Remove(i, 0);
  Dmsg_PaintIndicator();
}

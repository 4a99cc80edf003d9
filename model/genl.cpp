#include "model/genl.h"

#include "model/grid.h"
#include "model/layver.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/str.h"
#include "platform/tim.h"

static u32 g_genlKeptFlags;
static GenlHooks g_genlHooks;

void Genl_SetHooks(const GenlHooks* hooks) { g_genlHooks = hooks ? *hooks : GenlHooks{}; }

u32 Genl_GetKeptFlags(void) { return g_genlKeptFlags; }
void Genl_SetKeptFlags(u32 flags) { g_genlKeptFlags = flags & GENL_KEPT_FLAGS; }

enum : u32 { GENL_TAG = 0x4C4E4547 };  // "GENL"
enum : u16 { GENL_TAG_OLD = 0x4E47 };  // "GN"
enum : TextId { TXT_NO_INFO = 11061 };


enum {
  GENL_NAME_FILE_MAX = 259,  // units of a name in the file
  GENL_TEXT_FILE_MAX = 20000,  // units of information texts 0 and 1 in the file
  GENL_TEXT2_MAX = 20001,      // stored length of text 2 with its zero
  GENL_INFO_SHORT = 80
};

// ---------------------------------------------------------------- writing

// Information texts 0 and 1: unit i as (c + 3i + 7) mod 65536, then the
// shifted zero.
static int Genl_WriteShifted(const wch* s) {
  u32 i = 0;
  int r;
  for (; s[i]; ++i)
    if ((r = Fio_WriteU16(u16(s[i] + 3 * i + 7)))) return r;
  return Fio_WriteU16(u16(3 * i + 7));
}

// The active view's origin and cursor, the position marks, the home
// position, the marked box and the last line end.
static void Genl_WriteView(FioFields* out) {
  const GenlHooks& h = g_genlHooks;
  GenlView v = {};
  if (h.getView) h.getView(&v);
  Fio_PutField(out, u32(v.originX), 4);
  Fio_PutField(out, u32(v.originY), 4);
  Fio_KeepCode(out, Grid_WritePos(v.cursorX, v.cursorY, v.level));
  Fio_PutField(out, GENL_MARKS, 4);
  for (int k = 0; k < GENL_MARKS && !out->error; ++k) {
    i32 x = 0, y = 0, level = 0;
    PackedWeekTime alarm = 0;
    wch name[GENL_MARK_NAME_MAX + 1] = {0};
    if (h.getMark) h.getMark(k, &x, &y, &alarm, name, &level);
    Fio_KeepCode(out, Grid_WritePos(x, y, level));
    Fio_PutField(out, alarm, 4);
    if (!out->error) Fio_KeepCode(out, Fio_WriteZeroEnded(name));
  }
  i32 hx = 0, hy = 0, hl = 0;
  if (h.getHome) h.getHome(&hx, &hy, &hl);
  if (!out->error) Fio_KeepCode(out, Grid_WritePos(hx, hy, hl));
  i32 x1 = 0, y1 = 0, l1 = 0, l2 = 0, y2 = 0, x2 = 0;
  if (h.getBox) h.getBox(&x1, &y1, &l1, &l2, &y2, &x2);
  const i32 box[6] = {x1, y1, x2, y2, l1, l2};
  for (i32 b : box) Fio_PutField(out, u32(b), 4);
  i32 lx = 0, ly = 0;
  if (h.getLineEnd) h.getLineEnd(&lx, &ly);
  Fio_PutField(out, u32(lx), 4);
  Fio_PutField(out, u32(ly), 4);
}

// The simulated clock and its alarm.
static void Genl_WriteClock(FioFields* out) {
  const SimClock& c = g_simClock;
  Fio_PutField(out, u8(Clk_GetSpeed()), 1);
  Fio_PutField(out, c.weekday, 1);
  Fio_PutField(out, c.hour, 1);
  Fio_PutField(out, c.minute, 1);
  Fio_PutField(out, c.second, 1);
  Fio_PutField(out, u32(c.tick) * 10, 4);
  Fio_PutField(out, c.elapsedMinutes, 4);
  Fio_PutField(out, c.alarmMinute, 1);
  Fio_PutField(out, c.alarmHour, 1);
  Fio_PutField(out, c.alarmWeekday, 1);
  Fio_PutField(out, u32(c.alarmRepeat), 4);
}

// The grid's extent, the layout flags with the seed, the scale and display
// values and the daylight times.
static void Genl_WriteFlagsAndRate(FioFields* out) {
  const GenlHooks& h = g_genlHooks;
  i32 e[6] = {0, 0, 0, 0, 0, 0};
  Grid_GetExtent(&e[0], &e[1], &e[2], 1, &e[5], &e[4], &e[3]);
  if (!out->error) Fio_KeepCode(out, Grid_WritePos(e[0], e[1], e[2]));
  if (!out->error) Fio_KeepCode(out, Grid_WritePos(e[3], e[4], e[5]));
  const i32 seed = Rnd_GetLayoutSeed();
  u32 flags = g_genlKeptFlags;
  int daylight = 0;
  u16 daylightTimes[4] = {0, 0, 0, 0};
  if (h.getDaylight) h.getDaylight(&daylight, daylightTimes);
  if (h.getBoxShown && h.getBoxShown()) flags |= GENL_FLAG_BOX_SHOWN;
  if (daylight) flags |= GENL_FLAG_DAYLIGHT;
  if (g_simClock.weekdayFrozen) flags |= GENL_FLAG_WEEKDAY_FROZEN;
  if (seed >= 1) flags |= GENL_FLAG_SEED;
  Fio_PutField(out, flags, 4);
  if (flags & GENL_FLAG_SEED) Fio_PutField(out, u32(seed), 4);
  Fio_PutField(out, g_simRate.scale, 4);
  for (u32 value : g_simRate.values) Fio_PutField(out, value, 4);
  Fio_PutField(out, g_simRate.displaySwitch ? 'G' : 'g', 1);
  for (u16 t : daylightTimes) Fio_PutField(out, t, 2);
}

// The user graphics file names: elements, the three vehicle lists, two empty
// lists and the sets.
static void Genl_WriteNames(FioFields* out) {
  const GenlHooks& h = g_genlHooks;
  wch name[GENL_NAME_MAX + 1];
  Fio_PutField(out, GENL_ELEMENT_NAMES, 4);
  for (int s = 1; s <= GENL_ELEMENT_NAMES && !out->error; ++s) {
    name[0] = 0;
    if (h.getElementName) h.getElementName(s, name);
    Fio_KeepCode(out, Fio_WriteZeroEnded(name));
  }
  for (int list = 0; list < 3; ++list) {
    Fio_PutField(out, 20, 4);
    for (int s = 1; s <= 20 && !out->error; ++s) {
      name[0] = 0;
      if (h.getVehicleName) h.getVehicleName(list * 20 + s, name);
      Fio_KeepCode(out, Fio_WriteZeroEnded(name));
    }
  }
  Fio_PutField(out, 0, 4);
  Fio_PutField(out, 0, 4);
  Fio_PutField(out, GENL_SET_NAMES, 4);
  for (int s = 0; s < GENL_SET_NAMES && !out->error; ++s) {
    name[0] = 0;
    if (h.getSetName) h.getSetName(s, name);
    Fio_KeepCode(out, Fio_WriteZeroEnded(name));
  }
}

// The three information texts.
static void Genl_WriteTexts(FioFields* out) {
  static wch text[GENL_TEXT2_MAX + 1];
  for (int slot = 0; slot < 2 && !out->error; ++slot) {
    Lng_GetGeneralInfo(slot, text);
    Fio_KeepCode(out, Genl_WriteShifted(text));
  }
  Lng_GetGeneralInfo(2, text);
  const u32 n = u32(Str_Len(text)) + 1;
  Fio_PutField(out, n, 4);
  for (u32 i = 0; i < n; ++i) Fio_PutField(out, text[i], 2);
}

int Genl_SaveSection(void) {
  FioFields out = {0};
  Fio_PutField(&out, GENL_TAG, 4);
  Genl_WriteView(&out);
  Genl_WriteClock(&out);
  Genl_WriteFlagsAndRate(&out);
  Genl_WriteNames(&out);
  Genl_WriteTexts(&out);
  return out.error;
}

// ---------------------------------------------------------------- reading

// A name of u16 units up to 0 (at most 259), of which keep units are kept
// (buf: keep + 1 units). 3 for a longer name.
static int Genl_ReadName16(wch* buf, i32 keep) {
  i32 n = 0;
  for (;;) {
    u16 c;
    const int r = Fio_ReadU16(&c);
    if (r) return r;
    if (c == 0) break;
    if (n >= GENL_NAME_FILE_MAX) return 3;
    if (n < keep) buf[n] = c;
    ++n;
  }
  buf[n < keep ? n : keep] = 0;
  return 0;
}

// The same for an 8-bit name, converted through the code page (the OEM
// text of the oldest files takes the same way until the Os_ layer offers
// its conversion).
static int Genl_ReadName8(wch* buf, i32 keep) {
  char bytes[GENL_NAME_FILE_MAX + 1];
  i32 n = 0;
  for (;;) {
    u8 c;
    const int r = Fio_ReadByte(&c);
    if (r) return r;
    if (c == 0) break;
    if (n >= GENL_NAME_FILE_MAX) return 3;
    bytes[n++] = char(c);
  }
  bytes[n] = 0;
  wch wide[GENL_NAME_FILE_MAX + 1];
  if (Lng_AnsiToWide(bytes, wide, GENL_NAME_FILE_MAX + 1) < 1) wide[0] = 0;
  i32 k = 0;
  while (k < keep && wide[k]) {
    buf[k] = wide[k];
    ++k;
  }
  buf[k] = 0;
  return 0;
}

static int Genl_ReadName(u16 version, wch* buf, i32 keep) {
  return version >= LAYVER_WIDE ? Genl_ReadName16(buf, keep) : Genl_ReadName8(buf, keep);
}

static int Genl_ReadShifted(u16 version, wch* buf) {
  char bytes[GENL_INFO_SHORT + 1];
  for (u32 i = 0;; ++i) {
    if (i >= GENL_TEXT_FILE_MAX) return 3;
    u32 c;
    if (version >= LAYVER_WIDE) {
      u16 w;
      const int r = Fio_ReadU16(&w);
      if (r) return r;
      c = u16(w - 3 * i - 7);
    } else {
      u8 b;
      const int r = Fio_ReadByte(&b);
      if (r) return r;
      c = u8(b - 3 * i - 7);
      if (i < GENL_INFO_SHORT) bytes[i] = char(c);
    }
    if (i < GENL_INFO_SHORT) buf[i] = wch(c);
    if (c == 0) break;
  }
  buf[GENL_INFO_SHORT] = 0;
  bytes[GENL_INFO_SHORT] = 0;
  if (version < LAYVER_WIDE && Lng_AnsiToWide(bytes, buf, GENL_INFO_SHORT + 1) < 1) buf[0] = 0;
  return 0;
}

// Text 2: its stored length, then the units (bytes in older files).
static int Genl_ReadText2(u16 version, wch* buf) {
  u32 n;
  int r;
  if ((r = Fio_ReadField(&n, LayVer_WordBytes(version)))) return r;
  if (n > GENL_TEXT2_MAX) return 3;
  if (n < 1) {
    Str_Copy(buf, Lng_GetText(TXT_NO_INFO));
    return 0;
  }
  if (version >= LAYVER_WIDE) {
    for (u32 i = 0; i < n; ++i) {
      u16 c;
      if (Fio_ReadU16(&c)) return 2;
      buf[i] = c;
    }
  } else {
    static char bytes[GENL_TEXT2_MAX + 1];
    if (Fio_ReadBlock(bytes, n) != n) return 2;
    bytes[n - 1] = 0;
    if (Lng_AnsiToWide(bytes, buf, GENL_TEXT2_MAX + 1) < 1) buf[0] = 0;
  }
  buf[n - 1] = 0;
  return 0;
}

static int Genl_ReadPos(u16 version, i32* x, i32* y, i32* level) { return Grid_ReadPos(x, y, level, version); }

static int Genl_ReadMarks(u16 version) {
  int r;
  if (version < LAYVER_MARKS) {
    for (int k = 0; k < 10; ++k) {
      i32 x, y, level;
      if ((r = Genl_ReadPos(version, &x, &y, &level))) return r;
      if (g_genlHooks.setMark) g_genlHooks.setMark(k, x, y, 0, nullptr, level);
    }
    return 0;
  }
  u32 count;
  if ((r = Fio_ReadField(&count, LayVer_WordBytes(version)))) return r;
  if (count > GENL_MARKS) return 3;
  for (u32 k = 0; k < count; ++k) {
    i32 x, y, level;
    u32 alarm;
    wch name[GENL_MARK_NAME_MAX + 1];
    if (version < LAYVER_WIDE) {
      u16 index, a;
      if ((r = Fio_ReadU16(&index))) return r;
      if (index != k) return 3;
      if ((r = Genl_ReadPos(version, &x, &y, &level)) || (r = Fio_ReadU16(&a))) return r;
      // An hour and minute of every weekday; a high byte of 255 is none.
      alarm = (a >> 8) == 255 ? 0 : (0x7Fu << 24 | u32(a) << 8);
      if ((r = Genl_ReadName8(name, GENL_MARK_NAME_MAX))) return r;
    } else {
      if ((r = Genl_ReadPos(version, &x, &y, &level)) || (r = Fio_ReadU32(&alarm))) return r;
      if (version == LAYVER_ALARM_NONE && alarm == 0xFFFF) alarm = 0;
      if ((r = Genl_ReadName16(name, GENL_MARK_NAME_MAX))) return r;
    }
    if (g_genlHooks.setMark) g_genlHooks.setMark(int(k), x, y, alarm, name, level);
  }
  return 0;
}

static int Genl_ReadSelection(u16 version) {
  int r;
  i32 x1 = 16384, y1 = 16384, x2 = 16384, y2 = 16384, l1 = 0, l2 = 0;
  if (version >= LAYVER_WIDE) {
    u32 v[6] = {0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 4; ++k)
      if ((r = Fio_ReadU32(&v[k]))) return r;
    if (version >= LAYVER_LEVELS && (r = Fio_ReadU32(&v[4]))) return r;
    if ((r = Fio_ReadU32(&v[5]))) return r;
    if (version < LAYVER_LISTS) v[5] = v[4];
    x1 = i32(v[0]), y1 = i32(v[1]), x2 = i32(v[2]), y2 = i32(v[3]), l1 = i32(v[4]), l2 = i32(v[5]);
  } else if (version >= LAYVER_BOX) {
    u16 v[4];
    for (int k = 0; k < 4; ++k)
      if ((r = Fio_ReadU16(&v[k]))) return r;
    x1 = v[0], y1 = v[1], x2 = v[2], y2 = v[3];
  }
  // A box out of the grid is not taken; the old one stays.
  if (g_genlHooks.setBox) g_genlHooks.setBox(x1, y1, l1, l2, y2, x2);
  return 0;
}

static int Genl_ReadClock(u16 version) {
  int r;
  u8 speed, weekday, hour, minute, second = 0;
  u32 tick = 0, elapsed = 0;
  if ((r = Fio_ReadByte(&speed)) || (r = Fio_ReadByte(&weekday)) || (r = Fio_ReadByte(&hour)) ||
      (r = Fio_ReadByte(&minute)))
    return r;
  if (version >= LAYVER_SECONDS) {
    u32 t10;
    if ((r = Fio_ReadByte(&second)) || (r = Fio_ReadU32(&t10))) return r;
    tick = t10 / 10;
  } else {
    u16 v;
    if ((r = Fio_ReadU16(&v))) return r;
    second = u8(v / 10 > 255 ? 255 : v / 10);
    tick = (v % 10) * 10;
  }
  if (version >= LAYVER_ELAPSED && (r = Fio_ReadU32(&elapsed))) return r;
  if (hour > 23 || minute > 59 || second > 59 || tick > 99) return 3;
  Clk_SetSpeed(speed);
  SimClock& c = g_simClock;
  c.weekday = (weekday == 0 || weekday > 7) ? 1 : weekday;
  c.hour = hour;
  c.minute = minute;
  c.second = second;
  c.tick = u8(tick);
  c.elapsedMinutes = elapsed;
  return 0;
}

static int Genl_ReadAlarm(u16 version) {
  int r;
  SimClock& c = g_simClock;
  if (version < LAYVER_BOX) {
    c.alarmHour = c.alarmMinute = 255;
    c.alarmWeekday = 0;
    c.alarmRepeat = 0;
    return 0;
  }
  u32 repeat = 0;
  if (version >= LAYVER_WIDE) {
    u8 m, h, d;
    if ((r = Fio_ReadByte(&m)) || (r = Fio_ReadByte(&h)) || (r = Fio_ReadByte(&d)) || (r = Fio_ReadU32(&repeat)))
      return r;
    if (i32(repeat) < 0) return 3;
    c.alarmMinute = m;
    c.alarmHour = h;
    c.alarmWeekday = d;
  } else {
    u16 a, zero;
    if ((r = Fio_ReadU16(&a))) return r;
    if (version >= LAYVER_REPEAT && (r = Fio_ReadU32(&repeat))) return r;
    if ((r = Fio_ReadU16(&zero))) return r;
    if (zero != 0 || i32(repeat) < 0) return 3;
    c.alarmMinute = u8(a);
    c.alarmHour = u8(a >> 8);
    c.alarmWeekday = 0;
  }
  c.alarmRepeat = i32(repeat);
  return 0;
}

static int Genl_ReadExtentAndFlags(u16 version, u32* flags) {
  int r;
  i32 skip;
  for (int k = 0; k < 2; ++k)
    if ((r = Genl_ReadPos(version, &skip, &skip, &skip))) return r;
  if (version < LAYVER_WIDE) {
    u16 w;
    if ((r = Fio_ReadU16(&w)) || (r = Fio_ReadU16(&w))) return r;
  } else if (version < LAYVER_LEVELS) {
    u32 w;
    if ((r = Fio_ReadU32(&w))) return r;
  }
  if ((r = Fio_ReadField(flags, LayVer_WordBytes(version)))) return r;
  i32 seed = -1;
  if ((*flags & GENL_FLAG_SEED) && version >= LAYVER_SEED) {
    u32 s;
    if ((r = Fio_ReadU32(&s))) return r;
    if (i32(s) >= 1) seed = i32(s);
  }
  // No seed, or one below 1: seeded from the time.
  Rnd_SetLayoutSeed(seed);
  return 0;
}

static int Genl_ReadRate(u16 version) {
  int r;
  u32 scale;
  if ((r = Fio_ReadField(&scale, LayVer_WordBytes(version)))) return r;
  Clk_SetLayoutScale(scale);
  if (version < LAYVER_DISPLAY) return 0;
  u32 values[6];
  for (u32& v : values)
    if ((r = Fio_ReadField(&v, LayVer_WordBytes(version)))) return r;
  int sw = 0;
  if (version >= LAYVER_HOME) {
    u8 b;
    if ((r = Fio_ReadByte(&b))) return r;
    if (b != 'G' && b != 'g') return 3;
    sw = b == 'G';
  }
  for (int k = 0; k < 6; ++k) g_simRate.values[k] = values[k];
  g_simRate.displaySwitch = sw;
  return 0;
}

static int Genl_ReadNames(u16 version) {
  int r;
  const GenlHooks& h = g_genlHooks;
  wch name[GENL_NAME_MAX + 1];
  if (h.clearNames) h.clearNames();
  if (version >= LAYVER_COMPANIONS) {
    u32 n;
    if ((r = Fio_ReadField(&n, LayVer_WordBytes(version)))) return r;
    if (n > GENL_ELEMENT_NAMES) return 3;
    if (version < LAYVER_SECONDS && n != 0 && n != 4) return 3;
    for (u32 s = 1; s <= n; ++s) {
      if ((r = Genl_ReadName(version, name, GENL_NAME_MAX))) return r;
      if (h.setElementName) h.setElementName(int(s), name);
    }
  }
  if (version >= LAYVER_KIND_RANGE) {
    for (int list = 0; list < 5; ++list) {
      u32 n;
      if ((r = Fio_ReadU32(&n))) return r;
      // Each name takes at least its zero: a count beyond the data fails
      // on reading, so it needs no bound of its own.
      for (u32 s = 1; s <= n; ++s) {
        if ((r = Genl_ReadName16(name, GENL_NAME_MAX))) return r;
        if (list < 3 && s <= 20 && h.setVehicleName) h.setVehicleName(list * 20 + int(s), name);
      }
    }
  }
  if (version < LAYVER_SET_NAMES) {
    u16 one;
    if ((r = Fio_ReadU16(&one))) return r;
    if (one == 1) {
      if ((r = Genl_ReadName8(name, GENL_NAME_MAX)) || (r = Genl_ReadName8(name, GENL_NAME_MAX))) return r;
      if (h.setSetName) h.setSetName(0, name);
    } else if (one != 0) {
      return 3;
    }
    return 0;
  }
  u32 n;
  if ((r = Fio_ReadField(&n, LayVer_WordBytes(version)))) return r;
  if (n > GENL_SET_NAMES) return 3;
  for (u32 s = 0; s < n; ++s) {
    if ((r = Genl_ReadName(version, name, GENL_NAME_MAX))) return r;
    if (h.setSetName) h.setSetName(int(s), name);
  }
  return 0;
}

int Genl_LoadSection(u16 version) {
  int r;
  if ((r = LayVer_ReadTag(version, GENL_TAG, GENL_TAG_OLD))) return r;
  // The view: origin and cursor of the active slot.
  u32 ox, oy;
  const int word = LayVer_WordBytes(version);
  if ((r = Fio_ReadField(&ox, word)) || (r = Fio_ReadField(&oy, word))) return r;
  const GenlHooks& h = g_genlHooks;
  GenlView v = {};
  if (h.getView) h.getView(&v);
  i32 cx, cy, cl;
  if ((r = Genl_ReadPos(version, &cx, &cy, &cl))) return r;
  const i32 limitX = GRID_SIZE - (v.cellsX > 0 ? v.cellsX : 0);
  const i32 limitY = GRID_SIZE - (v.cellsY > 0 ? v.cellsY : 0);
  v.originX = i32(ox) < 0 ? 0 : (i32(ox) > limitX ? limitX : i32(ox));
  v.originY = i32(oy) < 0 ? 0 : (i32(oy) > limitY ? limitY : i32(oy));
  v.cursorX = cx;
  v.cursorY = cy;
  v.level = cl;
  // A cursor right of or below the visible part is centred.
  if (v.cellsX > 0 && cx >= v.originX + v.cellsX) v.originX = cx - v.cellsX / 2 < 0 ? 0 : cx - v.cellsX / 2;
  if (v.cellsY > 0 && cy >= v.originY + v.cellsY) v.originY = cy - v.cellsY / 2 < 0 ? 0 : cy - v.cellsY / 2;
  if (h.setView) h.setView(&v);

  if ((r = Genl_ReadMarks(version))) return r;
  i32 hx = 1024, hy = 1024, hl = 0;
  if (version >= LAYVER_HOME && (r = Genl_ReadPos(version, &hx, &hy, &hl))) return r;
  if (h.setHome) h.setHome(hx, hy, hl);
  if ((r = Genl_ReadSelection(version))) return r;
  if (version >= LAYVER_KINDS) {
    u32 lx, ly;
    if ((r = Fio_ReadField(&lx, word)) || (r = Fio_ReadField(&ly, word))) return r;
    if (h.setLineEnd) h.setLineEnd(i32(lx), i32(ly));
  } else {
    i32 mx = 0, my = 0;
    if (h.getMark) h.getMark(0, &mx, &my, nullptr, nullptr, nullptr);
    if (h.setLineEnd) h.setLineEnd(mx, my);
  }
  if ((r = Genl_ReadClock(version)) || (r = Genl_ReadAlarm(version))) return r;
  u32 flags;
  if ((r = Genl_ReadExtentAndFlags(version, &flags))) return r;
  if (h.setBoxShown) h.setBoxShown((flags & GENL_FLAG_BOX_SHOWN) ? 1 : 0);
  // The switch takes effect at once, the times only once they are read.
  const int daylight = (flags & GENL_FLAG_DAYLIGHT) ? 1 : 0;
  int wasOn = 0;
  u16 daylightTimes[4] = {0, 0, 0, 0};
  if (h.getDaylight) h.getDaylight(&wasOn, daylightTimes);
  if (h.setDaylight) h.setDaylight(daylight, daylightTimes);
  g_simClock.weekdayFrozen = (flags & GENL_FLAG_WEEKDAY_FROZEN) ? 1 : 0;
  Tim_SetSingleDayMode(g_simClock.weekdayFrozen);
  g_genlKeptFlags = flags & GENL_KEPT_FLAGS;
  if ((r = Genl_ReadRate(version))) return r;
  if (version >= LAYVER_DAYLIGHT) {
    u16 t[4];
    for (u16& w : t)
      if ((r = Fio_ReadU16(&w))) return r;
    if (h.setDaylight) h.setDaylight(daylight, t);
  }
  if ((r = Genl_ReadNames(version))) return r;
  static wch text[GENL_TEXT2_MAX + 1];
  for (int slot = 0; slot < 2; ++slot) {
    if ((r = Genl_ReadShifted(version, text))) return r;
    Lng_SetGeneralInfo(slot, text);
  }
  if ((r = Genl_ReadText2(version, text))) return r;
  Lng_SetGeneralInfo(2, text);
  return 0;
}

#include "platform/tim.h"

#include <string.h>

#include "platform/os.h"

// ---------------------------------------------------------------- packed times

PackedWeekTime Tim_PackWeekTime(u32 dayMask, int hour, int minute, int second) {
  return (dayMask & 0xFFu) << 24 | (u32(hour) & 0xFFu) << 16 | (u32(minute) & 0xFFu) << 8 | (u32(second) & 0xFFu);
}

int Tim_PackedDay(PackedWeekTime t) {
  u32 mask = (t >> 24) & 0x7Fu;
  if (!mask) return 0;
  int day = 1;
  while (!(mask & 1u)) mask >>= 1, ++day;
  return day;
}

i32 Tim_PackedToWeekSeconds(PackedWeekTime t) {
  int day = Tim_PackedDay(t);
  if (!day) return -1;
  return (day - 1) * TIM_DAY_SECONDS + i32((t >> 16) & 0xFF) * 3600 + i32((t >> 8) & 0xFF) * 60 + i32(t & 0xFF);
}

PackedWeekTime Tim_WeekSecondsToPacked(i64 weekSeconds) {
  i64 t = weekSeconds % TIM_WEEK_SECONDS;
  if (t < 0) t += TIM_WEEK_SECONDS;
  int day = int(t / TIM_DAY_SECONDS);
  int rest = int(t % TIM_DAY_SECONDS);
  return Tim_PackWeekTime(1u << day, rest / 3600, rest / 60 % 60, rest % 60);
}

// Offsets of any size (a day or a week back, a long delay) stay inside the
// week: the sum is taken modulo the week rather than corrected once.
i32 Tim_SplitWeekSeconds(int day, int hour, int minute, int* outSecond, int* outMinute, int* outHour,
                         int* outDay, i32 a, i32 b) {
  i64 t = (i64(day) - 1) * TIM_DAY_SECONDS + i64(hour) * 3600 + i64(minute) * 60 + a + b;
  t %= TIM_WEEK_SECONDS;
  if (t < 0) t += TIM_WEEK_SECONDS;
  int rest = int(t % TIM_DAY_SECONDS);
  if (outDay) *outDay = int(t / TIM_DAY_SECONDS) + 1;
  if (outHour) *outHour = rest / 3600;
  if (outMinute) *outMinute = rest / 60 % 60;
  if (outSecond) *outSecond = rest % 60;
  return i32(t);
}

// ---------------------------------------------------------------- schedule walking
// The search walkers never step past a group's 255 and skip values out of
// range, so that a damaged schedule gives no time rather than a wrong one.

enum { TIM_END_HOUR = 254, TIM_END_GROUP = 255 };

static int g_timSingleDay;

void Tim_SetSingleDayMode(int on) { g_timSingleDay = on ? 1 : 0; }

static inline int Tim_IsSecondByte(u8 b) { return b >= 128 && b < TIM_END_HOUR; }

// Past the 255 of the group body that starts at p.
static const u8* Tim_SkipGroup(const u8* p) {
  for (;;) {
    u8 b = *p;
    if (b == TIM_END_GROUP) return p + 1;
    if (b >= 128) {  // stray byte where an hour should stand
      ++p;
      continue;
    }
    ++p;
    if (Tim_IsSecondByte(*p)) ++p;
    while (*p != TIM_END_HOUR && *p != TIM_END_GROUP) ++p;
    if (*p == TIM_END_HOUR) ++p;
  }
}

// The body (after the mask) of the first group that holds dayBit, or null.
static const u8* Tim_FindGroup(const u8* s, u32 dayBit) {
  while (*s) {
    if (*s & dayBit) return s + 1;
    s = Tim_SkipGroup(s + 1);
  }
  return nullptr;
}

// The next hour entry of a group: its hours and the start of its minutes.
static int Tim_NextEntry(const u8** pp, int* h1, int* h2, const u8** body) {
  const u8* p = *pp;
  for (;;) {
    u8 b = *p;
    if (b == TIM_END_GROUP) {
      *pp = p;
      return 0;
    }
    if (b >= 128) {
      ++p;
      continue;
    }
    *h1 = *h2 = b;
    ++p;
    if (Tim_IsSecondByte(*p)) {
      int last = *p & 0x7F;
      if (last > *h1) *h2 = last;
      ++p;
    }
    *body = p;
    while (*p != TIM_END_HOUR && *p != TIM_END_GROUP) ++p;
    if (*p == TIM_END_HOUR) ++p;
    *pp = p;
    if (*h1 > 23) continue;
    if (*h2 > 23) *h2 = 23;
    return 1;
  }
}

// The next minute of an hour entry (below 60) and the start of its seconds.
static int Tim_NextMinute(const u8** pp, int* minute, const u8** secs) {
  const u8* p = *pp;
  for (;;) {
    u8 b = *p;
    if (b == TIM_END_HOUR || b == TIM_END_GROUP) {
      *pp = p;
      return 0;
    }
    ++p;
    if (b >= 128) continue;  // a second without its minute
    const u8* s = p;
    while (Tim_IsSecondByte(*p)) ++p;
    if (b > 59) continue;
    *minute = b;
    *secs = s;
    *pp = p;
    return 1;
  }
}

// The first listed second of a minute at or after `from` (above it when not
// inclusive); a minute without seconds lists only second 0. -1 when none.
static int Tim_SecondFrom(const u8* secs, int from, int inclusive) {
  if (!Tim_IsSecondByte(*secs)) return (from < 0 || (inclusive && from == 0)) ? 0 : -1;
  for (; Tim_IsSecondByte(*secs); ++secs) {
    int s = *secs & 0x7F;
    if (s > 59) continue;
    if (s > from || (inclusive && s == from)) return s;
  }
  return -1;
}

// The first time of an hour entry: minute and second, 0 when it has none.
static int Tim_FirstTime(const u8* body, int* minute, int* second) {
  int m;
  const u8* secs;
  while (Tim_NextMinute(&body, &m, &secs)) {
    int s = Tim_SecondFrom(secs, -1, 1);
    if (s >= 0) {
      *minute = m;
      *second = s;
      return 1;
    }
  }
  return 0;
}

// One weekday's group body searched from the given time.
static int Tim_SearchGroup(const u8* p, int hour, int minute, int second, int inclusive, int* oh, int* om,
                           int* os) {
  int h1, h2;
  const u8* body;
  while (Tim_NextEntry(&p, &h1, &h2, &body)) {
    if (h2 < hour) continue;
    if (h1 > hour) {
      if (Tim_FirstTime(body, om, os)) {
        *oh = h1;
        return 1;
      }
      continue;
    }
    const u8* q = body;
    int m;
    const u8* secs;
    while (Tim_NextMinute(&q, &m, &secs)) {
      int s = -1;
      if (m > minute)
        s = Tim_SecondFrom(secs, -1, 1);
      else if (m == minute)
        s = Tim_SecondFrom(secs, second, inclusive);
      if (s >= 0) {
        *oh = hour;
        *om = m;
        *os = s;
        return 1;
      }
    }
    if (hour < h2 && Tim_FirstTime(body, om, os)) {
      *oh = hour + 1;
      return 1;
    }
  }
  return 0;
}

static inline int Tim_IsDayBit(u32 bit) { return bit >= 1 && bit <= 64 && (bit & (bit - 1)) == 0; }

int Tim_ScheduleContains(const u8* schedule, u32 dayBit, int hour, int second, int minute) {
  if (!schedule || !Tim_IsDayBit(dayBit)) return 0;
  const u8* p = Tim_FindGroup(schedule, dayBit);
  if (!p) return 0;
  int h1, h2;
  const u8* body;
  while (Tim_NextEntry(&p, &h1, &h2, &body)) {
    if (hour < h1 || hour > h2) continue;
    int m;
    const u8* secs;
    while (Tim_NextMinute(&body, &m, &secs)) {
      if (m != minute) continue;
      if (!Tim_IsSecondByte(*secs)) {
        if (second == 0) return 1;
        continue;
      }
      for (; Tim_IsSecondByte(*secs); ++secs)
        if ((*secs & 0x7F) == second) return 1;
    }
  }
  return 0;
}

PackedWeekTime Tim_ScheduleNext(const u8* schedule, u32 dayBit, int hour, int inclusive, int second, int minute) {
  if (!schedule || schedule[0] == 0 || (schedule[0] == 127 && schedule[1] == TIM_END_GROUP)) return 0;
  if (!Tim_IsDayBit(dayBit)) return 0;
  for (int step = 0;; ++step) {
    const u8* group = Tim_FindGroup(schedule, dayBit);
    int h, m, s;
    if (group && Tim_SearchGroup(group, hour, minute, second, inclusive, &h, &m, &s))
      return Tim_PackWeekTime(dayBit, h, m, s);
    if (g_timSingleDay) {
      if (step >= 1) return 0;
    } else {
      if (step >= 7) return 0;  // the same weekday of the next week was searched too
      dayBit = dayBit == 64 ? 1 : dayBit << 1;
    }
    hour = minute = second = 0;
    inclusive = 1;
  }
}

i32 Tim_ScheduleLength(const u8* schedule) {
  if (!schedule) return 0;
  const u8* p = schedule;
  while (*p) p = Tim_SkipGroup(p + 1);
  return i32(p - schedule) + 1;
}

int Tim_ScheduleCompare(const u8* a, const u8* b) {
  if (!a || !b) return a == b ? 0 : 2;
  i32 la = Tim_ScheduleLength(a), lb = Tim_ScheduleLength(b);
  if (la != lb || memcmp(a + 1, b + 1, size_t(la - 1)) != 0) return 2;
  return a[0] == b[0] ? 0 : 1;
}

// ---------------------------------------------------------------- expand and merge
// Strict checks: these two copy whole groups into fixed buffers.

enum { TIM_BODY_MAX = TIM_DAY_SIZE - 2 };  // a day buffer less its mask and final 0

// Length of a group body (hour entries and 255) read from p, at most max
// bytes of which only the first avail exist; -1 malformed (or cut short at
// avail), -2 longer than max.
static i32 Tim_CheckBody(const u8* p, i32 max, i32 avail) {
  i32 i = 0;
  for (;;) {
    if (i >= max) return -2;
    if (i >= avail) return -1;
    u8 b = p[i++];
    if (b == TIM_END_GROUP) return i;
    if (b > 23) return -1;
    if (i >= max) return -2;
    if (i >= avail) return -1;
    if (Tim_IsSecondByte(p[i])) {
      int last = p[i] & 0x7F;
      if (last < b || last > 23) return -1;
      ++i;
    }
    int minute = 0;
    for (;;) {
      if (i >= max) return -2;
      if (i >= avail) return -1;
      u8 c = p[i++];
      if (c == TIM_END_HOUR) break;
      if (c == TIM_END_GROUP) return -1;  // hour not closed
      if (c < 128) {
        if (c > 59) return -1;
        minute = 1;
      } else if (!minute || (c & 0x7F) > 59) {
        return -1;
      }
    }
  }
}

i32 Tim_ScheduleCheck(const u8* bytes, i32 size) {
  if (!bytes || size < 1) return -1;
  i32 i = 0;
  while (bytes[i]) {
    if (bytes[i] > 127) return -1;
    ++i;
    const i32 n = Tim_CheckBody(bytes + i, TIM_BODY_MAX, size - i);
    if (n < 0) return n;
    i += n;
    if (i >= size) return -1;
  }
  return i + 1;
}

int Tim_ScheduleExpand(const u8* schedule, u8 (*days)[TIM_DAY_SIZE]) {
  const u8* body[7] = {};
  i32 length[7] = {};
  if (schedule) {
    const u8* p = schedule;
    while (*p) {
      u8 mask = *p++;
      if (mask > 127) return TIM_MALFORMED;
      i32 n = Tim_CheckBody(p, TIM_BODY_MAX, TIM_BODY_MAX);
      if (n == -1) return TIM_MALFORMED;
      if (n == -2) return TIM_TOO_LONG;
      for (int d = 0; d < 7; ++d)
        if ((mask & (1u << d)) && !body[d]) body[d] = p, length[d] = n;
      p += n;
    }
  }
  static const u8 kNoTimes = TIM_END_GROUP;
  for (int d = 0; d < 7; ++d) {
    if (!body[d]) body[d] = &kNoTimes, length[d] = 1;
    days[d][0] = u8(1u << d);
    memcpy(&days[d][1], body[d], size_t(length[d]));
    days[d][1 + length[d]] = 0;
  }
  return TIM_OK;
}

i32 Tim_ScheduleMerge(u8 (*days)[TIM_DAY_SIZE], u8* out, i32 outSize) {
  i32 length[7];
  for (int d = 0; d < 7; ++d) {
    length[d] = Tim_CheckBody(&days[d][1], TIM_BODY_MAX, TIM_DAY_SIZE - 1);
    if (length[d] < 0) return -1;
  }
  // Each day joins the first earlier day with the same entries.
  int leader[7];
  u8 mask[7] = {};
  i32 total = 1;
  for (int d = 0; d < 7; ++d) {
    leader[d] = d;
    for (int e = 0; e < d; ++e) {
      if (leader[e] == e && length[e] == length[d] && memcmp(&days[e][1], &days[d][1], size_t(length[d])) == 0) {
        leader[d] = e;
        break;
      }
    }
    mask[leader[d]] = u8(mask[leader[d]] | (1u << d));
    if (leader[d] == d) total += 1 + length[d];
  }
  if (total > outSize) return -2;
  u8* w = out;
  for (int d = 0; d < 7; ++d) {
    if (leader[d] != d) continue;
    *w++ = mask[d];
    memcpy(w, &days[d][1], size_t(length[d]));
    w += length[d];
  }
  *w++ = 0;
  for (int d = 0; d < 7; ++d) days[d][0] = u8(1u << d);
  return i32(w - out);
}

// ---------------------------------------------------------------- boxes

int Geo_InRect(int x, int y, int left, int bottom, int right, int top) {
  return x >= left && x <= right && y >= top && y <= bottom;
}

int Geo_InBox3(int x, int y, int level, int levelMax, int yMax, int xMax, int levelMin, int yMin, int xMin) {
  return x >= xMin && x <= xMax && y >= yMin && y <= yMax && level >= levelMin && level <= levelMax;
}

// ---------------------------------------------------------------- random numbers
// Not locked: the callers (drawing and simulation) run on the main thread,
// and a lost step of a random sequence would do no harm.

static i32 g_rndOwnSeed;
static i32 g_rndLayoutSeed = -1;
static i32 g_rndLayoutState;
static u32 g_rndRuntimeState = 1;

// seed = |seed x 73 + 1| in 32-bit arithmetic. The step is done unsigned so
// that it wraps instead of overflowing; the absolute value of -2^31 is 2^31,
// which is kept as the bit pattern 0x80000000 (the next step goes on from it
// as a 32-bit machine would) and counted as 2^31 for the result.
static i32 Rnd_Step(i32* seed, i32 n) {
  u32 v = u32(*seed) * 73u + 1u;
  if (v & 0x80000000u) v = 0u - v;
  *seed = i32(v);
  return i32(v % u32(n));
}

i32 Rnd_OwnNext(i32 n) {
  if (n < 1) {
    g_rndOwnSeed = i32(0u - u32(n));
    return -1;
  }
  return Rnd_Step(&g_rndOwnSeed, n);
}

// The runtime's generator as the original runtime library had it: a linear
// congruential step giving 15 bits.
static i32 Rnd_Runtime(void) {
  g_rndRuntimeState = g_rndRuntimeState * 214013u + 2531011u;
  return i32((g_rndRuntimeState >> 16) & 0x7FFFu);
}

i32 Rnd_Next(i32 n) {
  if (n < 1) return 0;
  if (g_rndLayoutSeed == -1) return Rnd_Runtime() % n;
  return Rnd_Step(&g_rndLayoutState, n);
}

void Rnd_SetLayoutSeed(i32 seed) {
  if (seed >= 1) {
    g_rndLayoutSeed = seed;
    g_rndLayoutState = seed;
  } else {
    g_rndLayoutSeed = -1;
    g_rndRuntimeState = Os_GetTickCount();
  }
}

i32 Rnd_GetLayoutSeed(void) { return g_rndLayoutSeed; }

// ---------------------------------------------------------------- system

u32 Sys_GetOsClass(int* osClass, wch* servicePack) {
  if (osClass) *osClass = 10;
  if (servicePack) servicePack[0] = 0;
  return 10u << 16;
}

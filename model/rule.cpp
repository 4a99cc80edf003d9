#include "model/rule.h"

#include "model/dep.h"
#include "model/sched.h"
#include "model/zugtext.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum : TextId {
  TXT_PLACE_FLAG = 19000,
  TXT_KEYS = 21700,
  TXT_LETTERS5 = 21701,
  TXT_ANY_TIME = 21702,
  TXT_LETTERS15 = 21703,
  TXT_LETTERS17 = 21704,
  TXT_FORMAT_CUT = 21023,
  TXT_BAD_TOKEN = 21031,
  TXT_PLACE_UNKNOWN = 18021
};

// Decimal values of rule texts always use this separator.
static const wch kRuleDecimal = u'.';

static int g_ruleLinePerGroup;
static RuleDepotHooks g_ruleDepots;

void Rule_SetDepotHooks(const RuleDepotHooks* hooks) { g_ruleDepots = hooks ? *hooks : RuleDepotHooks{}; }

int Rule_LineTextMode(int n) {
  if (n == 1) g_ruleLinePerGroup = 1;
  else if (n == 2 || n == 3) g_ruleLinePerGroup = 0;
  return g_ruleLinePerGroup;
}

// ---------------------------------------------------------------- options

// The index of each option: its key letter (letter i of text 21700) and its
// row of kRuleOptions.
enum RuleOptionIndex : int {
  RULE_OPT_WINDOWS = 0,
  RULE_OPT_SWITCH_LINE = 1,
  RULE_OPT_RANGE = 2,
  RULE_OPT_TYPE = 3,
  RULE_OPT_NUMBER = 4,
  RULE_OPT_LETTER5 = 5,
  RULE_OPT_HUNDREDTHS6 = 6,
  RULE_OPT_HUNDREDTHS7 = 7,
  RULE_OPT_DIGIT8 = 8,
  RULE_OPT_DIGIT9 = 9,
  RULE_OPT_TIMETABLE1 = 10,  // the two timetables are neighbours: index - RULE_OPT_TIMETABLE1 picks one
  RULE_OPT_TIMETABLE2 = 11,
  RULE_OPT_THOUSANDTHS = 12,
  RULE_OPT_SIGNED = 13,
  RULE_OPT_CATEGORY = 14,
  RULE_OPT_LETTER15 = 15,
  RULE_OPT_NUMBERS = 16,
  RULE_OPT_LETTER17 = 17,
  RULE_OPT_TIME_OF_DAY = 18,
  RULE_OPTION_COUNT = 19
};

// Special values of option words and timetable entries.
enum : u32 {
  RULE_NUMBER_MIN = 32767,     // number option "MIN"
  RULE_NUMBER_MAX = 32766,     // number option "MAX"
  RULE_LETTER17_PLACE = 4,     // letter option 17 names a depot place in the next two words
  RULE_ENTRY_ANY_TIME = 0x180000,  // timetable entry at any time
  RULE_PLACE_FLAGGED = 0x8000,     // timetable entry place: the flag letter follows it
  RULE_PLACE_MASK = 0x7FFF
};

// What belongs to each option.
struct RuleOption {
  u32 flag;
  u8 modes;         // bit m for mode m that accepts it
  i8 code;          // the parse result of its failures
  u16 msgTwice;     // message and text of a second occurrence
  u16 textTwice;
  u16 msgMode;      // message and text of a mode that refuses it
  u16 textMode;
};

// Mode sets of RuleOption::modes.
enum : u8 { M_ALL = 2 | 4 | 8 | 16, M_234 = 4 | 8 | 16, M_23 = 4 | 8, M_3 = 8 };

static const RuleOption kRuleOptions[RULE_OPTION_COUNT] = {
    {0x8000, M_ALL, -4, 857, 21033, 0, 0},        // 0 time windows
    {0x4000, M_234, -6, 858, 21034, 845, 21013},  // 1 line to switch to
    {0x800, M_23, -8, 859, 21035, 803, 21049},    // 2 range
    {0x400, M_23, -9, 850, 21036, 766, 21081},    // 3 type
    {0x2000, M_23, -13, 805, 21067, 797, 21055},  // 4 number
    {0x1000, M_23, -14, 847, 21068, 795, 21055},  // 5 letter
    {0x200, M_23, -15, 895, 21069, 793, 21055},   // 6 hundredths
    {0x100, M_23, -16, 896, 21070, 793, 21055},   // 7 hundredths
    {0x80, M_23, -17, 787, 21039, 791, 21055},    // 8 digit
    {0x40, M_23, -18, 788, 21048, 789, 21055},    // 9 digit
    {0x20, M_23, -19, 0, 0, 779, 21071},          // 10 timetable entries
    {0x10, M_23, -20, 0, 0, 779, 21071},          // 11 timetable entries
    {0x8, M_23, -21, 881, 21005, 776, 21073},     // 12 thousandths
    {0x4, M_23, -22, 778, 21024, 771, 21025},     // 13 signed number
    {0x2, M_23, -9, 765, 21080, 894, 21054},      // 14 category
    {0x1, M_3, -23, 770, 21094, 768, 21055},      // 15 letter
    {0x10000, M_ALL, -11, 757, 21089, 0, 0},      // 16 train numbers
    {0x20000, M_3, -26, 750, 21094, 751, 21055},  // 17 letter and depot place
    {0x40000, M_23, -27, 741, 21096, 742, 21097}  // 18 time of day
};

// The option index of a flag bit.
static int Rule_IndexOfFlag(u32 flag) {
  for (int i = 0; i < RULE_OPTION_COUNT; ++i)
    if (kRuleOptions[i].flag == flag) return i;
  return -1;
}

// One timetable entry as parsed.
struct RuleEntry {
  u32 time, depot, place, slot;
};

// The values of one group as parsed, before they are written in table order.
struct RuleGroup {
  u32 n;
  u32 ids[LINE_GROUP_IDS];
  u32 flags;
  u32 windowCount;
  u32 windows[2 * 20];
  u32 numberCount;
  u32 numbers[20];
  u32 value[RULE_OPTION_COUNT];  // the one-word options by index
  u32 entryCount[2];
  RuleEntry entries[2][6];
  u32 place17[2];
  bool drop;
};

struct RuleParser {
  const wch* text;
  i32 pos;
  int mode;
  int lenient;
};

static void Rule_SkipBlanks(RuleParser& p) {
  while (p.text[p.pos] && p.text[p.pos] <= 32) ++p.pos;
}

static int Rule_Error(const RuleParser& p, u32 number, TextId text, int code) {
  if (!p.lenient) Msg_ErrorId(number, text);
  return code;
}

// An error that every mode shows (the value readers' own checks).
static int Rule_ValueError(u32 number, TextId text, int code) {
  Msg_ErrorId(number, text);
  return code;
}

// The language text as the format of the rest of the text.
static int Rule_RestError(const RuleParser& p, u32 number, TextId text, int code) {
  if (!p.lenient) {
    wch msg[300];
    Fmt_Print(msg, 300, Lng_GetText(text), p.text + p.pos);
    Msg_ErrorText(number, msg);
  }
  return code;
}

// "%s: \"%s\"" of a text and a name.
static void Rule_NameError(const RuleParser& p, u32 number, TextId text, const wch* name) {
  if (p.lenient) return;
  wch msg[200];
  Fmt_Print(msg, 200, u"%s: \"%s\"", Lng_GetText(text), name);
  Msg_ErrorText(number, msg);
}

// The name token at the parser's position, for messages (up to 20 units).
static void Rule_TokenText(const RuleParser& p, wch* buf) {
  i32 n = 0;
  const wch* s = p.text + p.pos;
  while (n < 20 && s[n] > 32 && s[n] != u'+' && s[n] != u',' && s[n] != u'(' && s[n] != u')') {
    buf[n] = s[n];
    ++n;
  }
  buf[n] = 0;
}

// Reads a line name: 1 with *id (0 for "*"), 0 no name at all, or a parse
// result (strict mode shows the line table's message; an unknown name may be
// created there). *unknown is set for an unknown name in lenient mode.
static int Rule_ReadLine(RuleParser& p, LineId* id, bool* unknown, int errorCode) {
  wch name[24];
  Rule_TokenText(p, name);
  const i32 r = Lin_ParseName(p.text + p.pos, id);
  if (r == 0) return 0;
  if (r < 0) {
    if (!p.lenient) Lin_ReportNameError(r, name, 0);
    return errorCode;
  }
  p.pos += r;
  if (*id == 65535) {
    if (p.lenient) {
      *unknown = true;
      return 1;
    }
    *id = Lin_ReportNameError(0, name, 1);
    if (!*id) return errorCode;
  }
  return 1;
}

// "%i" at the position: true with the value (saturated).
static bool Rule_ReadInt(RuleParser& p, i32* value) {
  Rule_SkipBlanks(p);
  i32 q = p.pos;
  bool neg = false;
  if (p.text[q] == u'-' || p.text[q] == u'+') neg = p.text[q++] == u'-';
  if (p.text[q] < u'0' || p.text[q] > u'9') return false;
  i64 v = 0;
  while (p.text[q] >= u'0' && p.text[q] <= u'9') {
    if (v < 0x7FFFFFFF) v = v * 10 + (p.text[q] - u'0');
    ++q;
  }
  if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
  *value = i32(neg ? -v : v);
  p.pos = q;
  return true;
}

static bool Rule_ReadUnsigned(RuleParser& p, u32* value) {
  Rule_SkipBlanks(p);
  if (p.text[p.pos] < u'0' || p.text[p.pos] > u'9') return false;
  i32 v;
  if (!Rule_ReadInt(p, &v)) return false;
  *value = u32(v);
  return true;
}

// A decimal of up to 10 characters with at most one ".": hundredths or
// thousandths; -1 when there is none.
static i32 Rule_ReadDecimal(RuleParser& p, int thousandths) {
  Rule_SkipBlanks(p);
  wch buf[12];
  i32 n = 0;
  bool dot = false;
  while (n < 10) {
    const wch c = p.text[p.pos + n];
    if (c == kRuleDecimal && !dot) dot = true;
    else if (c < u'0' || c > u'9') break;
    buf[n++] = c;
  }
  buf[n] = 0;
  if (n == 0) return -1;
  p.pos += n;
  return thousandths ? Fmt_ParseFixed3Sep(buf, kRuleDecimal) : Fmt_ParseFixed2Sep(buf, kRuleDecimal);
}

static wch Rule_Letter(TextId text, int i) {
  const wch* t = Lng_GetText(text);
  for (int k = 0; k < i; ++k)
    if (!t[k]) return u'?';
  return t[i] ? t[i] : u'?';
}

// The index 0..2 of the typed letter among the three letters of text, -1.
static int Rule_LetterIndex(TextId text, wch c) {
  const wch* t = Lng_GetText(text);
  for (int i = 0; i < 3 && t[i]; ++i)
    if (Chr_Upper(t[i]) == Chr_Upper(c)) return i;
  return -1;
}

// A depot place reference of up to 40 characters ending at ")", "," or (with
// stopAtFlag) the place flag letter; 1 resolved (*depot, *place), 0 not.
static int Rule_ReadPlaceRef(RuleParser& p, int stopAtFlag, u32 msgBadChar, u32 msgEmpty, u32* depot, u32* place) {
  const wch flagLetter = Lng_GetText(TXT_PLACE_FLAG)[0];
  wch ref[RULE_PLACE_REF_MAX + 2];
  i32 n = 0;
  for (;;) {
    const wch c = p.text[p.pos];
    if (!c || c == u')' || c == u',' || (stopAtFlag && flagLetter && c == flagLetter)) break;
    if (n < RULE_PLACE_REF_MAX) ref[n++] = c;
    ++p.pos;
  }
  while (n > 0 && ref[n - 1] <= 32) --n;
  ref[n] = 0;
  const int flags = p.lenient ? (RULE_PLACE_STRICT | RULE_PLACE_QUIET) : RULE_PLACE_STRICT;
  i32 d = -1, pl = 0, end = 0;
  if (g_ruleDepots.resolvePlaceRef) {
    // The depot module reads at most 22 characters.
    wch buf[RULE_PLACE_REF_MAX + 2];
    Str_Copy(buf, ref);
    if (Str_Len(buf) > 22) buf[22] = 0;
    d = g_ruleDepots.resolvePlaceRef(buf, flags, msgBadChar, &end, &pl, msgEmpty);
  } else if (!p.lenient) {
    // No depots exist: every reference names a place that is not there.
    wch msg[120];
    Fmt_Print(msg, 120, u"%s \"%.16s\"", Lng_GetText(TXT_PLACE_UNKNOWN), ref);
    Msg_ErrorText(309, msg);
  }
  if (d < 1) return 0;
  *depot = u32(d);
  *place = u32(pl);
  return 1;
}

// ---------------------------------------------------------------- value readers
// Each returns 0, or the option's parse result (negative).

static int Rule_ReadWindows(RuleParser& p, RuleGroup& g) {
  for (;;) {
    if (g.windowCount >= 20) return Rule_ValueError(763, 21032, RULE_ERR_WINDOWS);
    Rule_SkipBlanks(p);
    u32 from = 0, to = 0;
    i32 end = 0;
    const int r = Dlg_ParseWeekTime(p.text + p.pos, nullptr, nullptr, 1, 1, &end, &from);
    if (r > 0) return RULE_ERR_WINDOWS;
    p.pos += end;
    Rule_SkipBlanks(p);
    const u32 fromMask = from >> 24;
    if (r < 0) {
      // Whole days: no to part; the window ends at 0:00 one weekday on.
      if (p.text[p.pos] == u'-') return Rule_ValueError(745, 21003, RULE_ERR_WINDOWS);
      to = (((fromMask << 1) | (fromMask >> 6)) & 127) << 24;
    } else {
      if (p.text[p.pos] != u'-') return Rule_ValueError(856, TXT_BAD_TOKEN, RULE_ERR_WINDOWS);
      ++p.pos;
      Rule_SkipBlanks(p);
      const int r2 = Dlg_ParseWeekTime(p.text + p.pos, nullptr, nullptr, 1, 1, &end, &to);
      if (r2 > 0) return RULE_ERR_WINDOWS;
      p.pos += end;
    }
    u32 toMask = to >> 24;
    if (fromMask == 127) {
      toMask = 127;
    } else {
      if (Mem_BitCount(fromMask) != Mem_BitCount(toMask)) toMask = 127;
      if (Mem_BitCount(fromMask) > 1) {
        toMask = 0;
      } else if (toMask == 127) {
        const u32 next = ((fromMask << 1) | (fromMask >> 6)) & 127;
        toMask = (to & 0xFFFFFF) > (from & 0xFFFFFF) ? fromMask : next;
      }
    }
    to = toMask << 24 | (to & 0xFFFFFF);
    if (from == to) return Rule_ValueError(843, 21012, RULE_ERR_WINDOWS);
    if (Clk_WindowOverlapsList(from, to, g.windows, i32(g.windowCount)))
      return Rule_ValueError(762, 21027, RULE_ERR_WINDOWS);
    g.windows[2 * g.windowCount] = from;
    g.windows[2 * g.windowCount + 1] = to;
    ++g.windowCount;
    Rule_SkipBlanks(p);
    if (p.text[p.pos] != u'+') return 0;
    ++p.pos;
  }
}

// 1 when v is a listed number or inside a listed range of the k items.
static bool Rule_NumberListed(const u32* items, u32 k, u32 v) {
  u32 list[21];
  list[0] = k;
  Mem_Copy(list + 1, items, i32(k) * 4);
  return Lin_NumberListMatch(list, v) == 1;
}

static int Rule_ReadNumbers(RuleParser& p, RuleGroup& g) {
  for (;;) {
    i32 a;
    const i32 at = p.pos;
    if (!Rule_ReadInt(p, &a) || a < 1 || a > 999) {
      wch msg[120];
      Fmt_Print(msg, 120, u"%s: \"%.10s...\"", Lng_GetText(21090), p.text + at);
      Msg_ErrorText(753, msg);
      return RULE_ERR_NUMBERS;
    }
    Rule_SkipBlanks(p);
    if (p.text[p.pos] == u'-') {
      ++p.pos;
      i32 b;
      const i32 atB = p.pos;
      if (!Rule_ReadInt(p, &b) || b < 1 || b > 999) {
        wch msg[120];
        Fmt_Print(msg, 120, u"%s: \"%.10s...\"", Lng_GetText(21090), p.text + atB);
        Msg_ErrorText(753, msg);
        return RULE_ERR_NUMBERS;
      }
      if (a >= b) {
        wch msg[120];
        Fmt_Print(msg, 120, u"%s: %u >= %u", Lng_GetText(21091), u32(a), u32(b));
        Msg_ErrorText(754, msg);
        return RULE_ERR_NUMBERS;
      }
      if (g.numberCount + 3 > 20) return Rule_ValueError(756, 21093, RULE_ERR_NUMBERS);
      bool clash = Rule_NumberListed(g.numbers, g.numberCount, u32(a)) ||
                   Rule_NumberListed(g.numbers, g.numberCount, u32(b));
      for (u32 i = 0; i < g.numberCount && !clash; ++i)
        if (g.numbers[i] != 0xFFFFFFFFu && g.numbers[i] >= u32(a) && g.numbers[i] <= u32(b)) clash = true;
      if (clash) return Rule_ValueError(755, 21092, RULE_ERR_NUMBERS);
      g.numbers[g.numberCount++] = u32(a);
      g.numbers[g.numberCount++] = 0xFFFFFFFFu;
      g.numbers[g.numberCount++] = u32(b);
    } else {
      if (g.numberCount + 1 > 20) return Rule_ValueError(756, 21093, RULE_ERR_NUMBERS);
      if (Rule_NumberListed(g.numbers, g.numberCount, u32(a))) return Rule_ValueError(755, 21092, RULE_ERR_NUMBERS);
      g.numbers[g.numberCount++] = u32(a);
    }
    Rule_SkipBlanks(p);
    if (p.text[p.pos] != u'+') return 0;
    ++p.pos;
  }
}

static int Rule_ReadSwitchLine(RuleParser& p, RuleGroup& g) {
  Rule_SkipBlanks(p);
  LineId id = 0;
  bool unknown = false;
  wch name[24];
  Rule_TokenText(p, name);
  const int r = Rule_ReadLine(p, &id, &unknown, RULE_ERR_SWITCH_LINE);
  if (r == 0) return Rule_Error(p, 846, 21014, RULE_ERR_SWITCH_LINE);
  if (r < 0) return r;
  if (unknown) {
    g.drop = true;
    return 0;
  }
  for (u32 i = 0; i < g.n; ++i)
    if (g.ids[i] == id) {
      Rule_NameError(p, 848, 21015, name);
      return RULE_ERR_SWITCH_LINE;
    }
  g.value[RULE_OPT_SWITCH_LINE] = id;
  return 0;
}

static int Rule_ReadRange(RuleParser& p, RuleGroup& g) {
  u32 a, b;
  if (!Rule_ReadUnsigned(p, &a)) return Rule_ValueError(804, 21050, RULE_ERR_RANGE);
  Rule_SkipBlanks(p);
  if (p.text[p.pos] != u'-') return Rule_ValueError(804, 21050, RULE_ERR_RANGE);
  ++p.pos;
  if (!Rule_ReadUnsigned(p, &b)) return Rule_ValueError(804, 21050, RULE_ERR_RANGE);
  if (a < 1 || a > 960 || b < 1 || b > 960) return Rule_ValueError(806, 21052, RULE_ERR_RANGE);
  if (b < a) return Rule_ValueError(807, 21053, RULE_ERR_RANGE);
  g.value[RULE_OPT_RANGE] = b << 16 | a;
  return 0;
}

static int Rule_ReadTypeOrCategory(RuleParser& p, RuleGroup& g, int index) {
  Rule_SkipBlanks(p);
  const wch c = p.text[p.pos];
  u32 v = 0;
  if (c != u'*') {
    v = index == RULE_OPT_CATEGORY ? Zug_CategoryFromLetter(c) : Zug_TypeFromLetter(Chr_Upper(c));
    if (!v || !c) return index == RULE_OPT_CATEGORY ? Rule_ValueError(897, 21057, RULE_ERR_TYPE)
                                     : Rule_ValueError(767, 21082, RULE_ERR_TYPE);
  }
  ++p.pos;
  g.value[index] = v;
  return 0;
}

static int Rule_ReadNumberOption(RuleParser& p, RuleGroup& g) {
  Rule_SkipBlanks(p);
  const wch* s = p.text + p.pos;
  if (Chr_Upper(s[0]) == u'M' && s[0] && s[1] && s[2]) {
    const wch a = Chr_Upper(s[1]), b = Chr_Upper(s[2]);
    if (a == u'I' && b == u'N') {
      g.value[RULE_OPT_NUMBER] = RULE_NUMBER_MIN;
      p.pos += 3;
      return 0;
    }
    if (a == u'A' && b == u'X') {
      g.value[RULE_OPT_NUMBER] = RULE_NUMBER_MAX;
      p.pos += 3;
      return 0;
    }
  }
  i32 v;
  if (!Rule_ReadInt(p, &v) || v < 1 || v > 999) return Rule_ValueError(798, 21065, RULE_ERR_NUMBER);
  g.value[RULE_OPT_NUMBER] = u32(v);
  return 0;
}

static int Rule_ReadLetterOption(RuleParser& p, RuleGroup& g, int index) {
  Rule_SkipBlanks(p);
  const wch c = p.text[p.pos];
  if (index == RULE_OPT_LETTER5) {
    static const u32 kValues[3] = {1, 4, 2};
    const int i = c ? Rule_LetterIndex(TXT_LETTERS5, c) : -1;
    if (i < 0) return Rule_ValueError(796, 21064, RULE_ERR_LETTER5);
    g.value[RULE_OPT_LETTER5] = kValues[i];
    ++p.pos;
    return 0;
  }
  static const u32 kValues[3] = {0, 1, 3};
  const int i = c ? Rule_LetterIndex(index == RULE_OPT_LETTER15 ? TXT_LETTERS15 : TXT_LETTERS17, c) : -1;
  if (i < 0)
    return index == RULE_OPT_LETTER15 ? Rule_ValueError(769, 21079, RULE_ERR_LETTER15) : Rule_ValueError(752, 21095, RULE_ERR_LETTER17);
  ++p.pos;
  g.value[index] = kValues[i];
  if (index == RULE_OPT_LETTER17 && kValues[i] != 0) {
    Rule_SkipBlanks(p);
    if (p.text[p.pos] == u':') {
      ++p.pos;
      u32 depot, place;
      if (Rule_ReadPlaceRef(p, 0, 746, 747, &depot, &place)) {
        g.value[RULE_OPT_LETTER17] |= RULE_LETTER17_PLACE;
        g.place17[0] = depot;
        g.place17[1] = place;
      } else if (!p.lenient) {
        return RULE_ERR_LETTER17;
      }
    }
  }
  return 0;
}

static int Rule_ReadHundredths(RuleParser& p, RuleGroup& g, int index) {
  const i32 v = Rule_ReadDecimal(p, 0);
  if (v < 0 || (v != 0 && (v < 5 || v > 300)))
    return Rule_ValueError(794, 21063, index == RULE_OPT_HUNDREDTHS6 ? RULE_ERR_HUNDREDTHS6 : RULE_ERR_HUNDREDTHS7);
  g.value[index] = u32(v);
  return 0;
}

static int Rule_ReadDigit(RuleParser& p, RuleGroup& g, int index) {
  Rule_SkipBlanks(p);
  const wch c = p.text[p.pos];
  if (c != u'0' && c != u'1')
    return index == RULE_OPT_DIGIT8 ? Rule_ValueError(792, 21051, RULE_ERR_DIGIT8) : Rule_ValueError(790, 21056, RULE_ERR_DIGIT9);
  ++p.pos;
  g.value[index] = u32(c - u'0');
  return 0;
}

static int Rule_ReadEntry(RuleParser& p, RuleGroup& g, int index, u32 slot) {
  const int t = index - RULE_OPT_TIMETABLE1;
  const int code = index == RULE_OPT_TIMETABLE1 ? RULE_ERR_TIMETABLE1 : RULE_ERR_TIMETABLE2;
  const u32 slotMsg = index == RULE_OPT_TIMETABLE1 ? 841 : 842;
  const TextId slotText = index == RULE_OPT_TIMETABLE1 ? 21010 : 21011;
  // Slot 0 stands alone; slots 1..6 once each.
  for (u32 i = 0; i < g.entryCount[t]; ++i)
    if (g.entries[t][i].slot == slot || g.entries[t][i].slot == 0 || slot == 0)
      return Rule_Error(p, slotMsg, slotText, code);
  if (g.entryCount[t] >= 6) return Rule_Error(p, slotMsg, slotText, code);
  Rule_SkipBlanks(p);
  RuleEntry e = {0, 0, 0, slot};
  const wch anyTime = Lng_GetText(TXT_ANY_TIME)[0];
  const wch c = p.text[p.pos];
  if (anyTime && Chr_Upper(c) == Chr_Upper(anyTime)) {
    ++p.pos;
    e.time = RULE_ENTRY_ANY_TIME;
  } else {
    if (slot == 0) return Rule_Error(p, 764, 21085, code);
    i32 end = 0;
    u32 t32 = 0;
    if (Dlg_ParseWeekTime(p.text + p.pos, nullptr, nullptr, 0, 1, &end, &t32) > 0) {
      if (p.lenient) g.drop = true;
      return p.lenient ? 0 : code;
    }
    p.pos += end;
    e.time = t32 & 0xFFFFFF00u;
    Rule_SkipBlanks(p);
    if (p.text[p.pos] == u':') {
      ++p.pos;
      if (!Rule_ReadPlaceRef(p, 1, 783, 782, &e.depot, &e.place)) {
        if (p.lenient) g.drop = true;
        return p.lenient ? 0 : code;
      }
      e.place &= RULE_PLACE_MASK;
    }
  }
  Rule_SkipBlanks(p);
  const wch flagLetter = Lng_GetText(TXT_PLACE_FLAG)[0];
  if (flagLetter && p.text[p.pos] == flagLetter) {
    ++p.pos;
    e.place |= RULE_PLACE_FLAGGED;
  }
  g.entries[t][g.entryCount[t]++] = e;
  return 0;
}

// ---------------------------------------------------------------- groups

// Words of a parsed group in table order.
static u32 Rule_GroupWords(const RuleGroup& g) {
  u32 n = 2 + g.n;
  for (int i = 0; i < RULE_OPTION_COUNT; ++i) {
    const u32 f = kRuleOptions[i].flag;
    if (!(g.flags & f)) continue;
    if (i == RULE_OPT_WINDOWS) n += 1 + 2 * g.windowCount;
    else if (i == RULE_OPT_NUMBERS) n += 1 + g.numberCount;
    else if (i == RULE_OPT_TIMETABLE1 || i == RULE_OPT_TIMETABLE2) n += 1 + 4 * g.entryCount[i - RULE_OPT_TIMETABLE1];
    else if (i == RULE_OPT_LETTER17) n += (g.value[RULE_OPT_LETTER17] & RULE_LETTER17_PLACE) ? 3 : 1;
    else n += 1;
  }
  return n;
}

static i32 Rule_WriteGroup(const RuleGroup& g, u32* out) {
  i32 o = 0;
  out[o++] = g.n;
  for (u32 i = 0; i < g.n; ++i) out[o++] = g.ids[i];
  out[o++] = g.flags;
  for (int k = 0; k < LIN_OPTION_COUNT; ++k) {
    const u32 f = kLinOptionOrder[k];
    if (!(g.flags & f)) continue;
    const int i = Rule_IndexOfFlag(f);
    if (i == RULE_OPT_WINDOWS) {
      out[o++] = g.windowCount;
      for (u32 w = 0; w < 2 * g.windowCount; ++w) out[o++] = g.windows[w];
    } else if (i == RULE_OPT_NUMBERS) {
      out[o++] = g.numberCount;
      for (u32 w = 0; w < g.numberCount; ++w) out[o++] = g.numbers[w];
    } else if (i == RULE_OPT_TIMETABLE1 || i == RULE_OPT_TIMETABLE2) {
      const int t = i - RULE_OPT_TIMETABLE1;
      out[o++] = g.entryCount[t];
      for (u32 e = 0; e < g.entryCount[t]; ++e) {
        out[o++] = g.entries[t][e].time;
        out[o++] = g.entries[t][e].depot;
        out[o++] = g.entries[t][e].place;
        out[o++] = g.entries[t][e].slot;
      }
    } else if (i == RULE_OPT_LETTER17) {
      out[o++] = g.value[RULE_OPT_LETTER17];
      if (g.value[RULE_OPT_LETTER17] & RULE_LETTER17_PLACE) {
        out[o++] = g.place17[0];
        out[o++] = g.place17[1];
      }
    } else {
      out[o++] = g.value[i];
    }
  }
  return o;
}

static int Rule_ReadOptions(RuleParser& p, RuleGroup& g) {
  const wch* keys = Lng_GetText(TXT_KEYS);
  for (;;) {
    while (p.text[p.pos] && (p.text[p.pos] <= 32 || p.text[p.pos] == u',')) ++p.pos;
    const wch c = p.text[p.pos];
    if (c == u')') {
      ++p.pos;
      return 0;
    }
    int index = RULE_OPTION_COUNT;
    if (c) {
      for (int i = 0; i < RULE_OPTION_COUNT && keys[i]; ++i)
        if (Chr_Upper(keys[i]) == Chr_Upper(c)) {
          index = i;
          break;
        }
    }
    if (index >= RULE_OPTION_COUNT) return Rule_RestError(p, 849, TXT_BAD_TOKEN, RULE_ERR_TOKEN);
    ++p.pos;
    u32 slot = 1;
    if ((index == RULE_OPT_TIMETABLE1 || index == RULE_OPT_TIMETABLE2) && p.text[p.pos] >= u'0' && p.text[p.pos] <= u'6') slot = u32(p.text[p.pos++] - u'0');
    Rule_SkipBlanks(p);
    if (p.text[p.pos] != u'=') return Rule_Error(p, 799, 21066, RULE_ERR_NO_EQUALS);
    ++p.pos;
    const RuleOption& o = kRuleOptions[index];
    // A second occurrence; options 15 and 17 exclude each other.
    bool twice = index != 10 && index != 11 && (g.flags & o.flag);
    if (index == RULE_OPT_LETTER17 && (g.flags & kRuleOptions[RULE_OPT_LETTER15].flag)) twice = true;
    if (index == RULE_OPT_LETTER15 && (g.flags & kRuleOptions[RULE_OPT_LETTER17].flag)) twice = true;
    if (twice) return Rule_Error(p, o.msgTwice, o.textTwice, o.code);
    if (!(o.modes & (1u << p.mode))) return Rule_Error(p, o.msgMode, o.textMode, o.code);
    int r = 0;
    switch (index) {
      case RULE_OPT_WINDOWS: r = Rule_ReadWindows(p, g); break;
      case RULE_OPT_SWITCH_LINE: r = Rule_ReadSwitchLine(p, g); break;
      case RULE_OPT_RANGE: r = Rule_ReadRange(p, g); break;
      case RULE_OPT_TYPE: case RULE_OPT_CATEGORY: r = Rule_ReadTypeOrCategory(p, g, index); break;
      case RULE_OPT_NUMBER: r = Rule_ReadNumberOption(p, g); break;
      case RULE_OPT_LETTER5: case RULE_OPT_LETTER15: case RULE_OPT_LETTER17: r = Rule_ReadLetterOption(p, g, index); break;
      case RULE_OPT_HUNDREDTHS6: case RULE_OPT_HUNDREDTHS7: r = Rule_ReadHundredths(p, g, index); break;
      case RULE_OPT_DIGIT8: case RULE_OPT_DIGIT9: r = Rule_ReadDigit(p, g, index); break;
      case RULE_OPT_TIMETABLE1: case RULE_OPT_TIMETABLE2: r = Rule_ReadEntry(p, g, index, slot); break;
      case RULE_OPT_THOUSANDTHS: {
        const i32 v = Rule_ReadDecimal(p, 1);
        if (v < 1 || v > 600000) return Rule_ValueError(777, 21075, RULE_ERR_THOUSANDTHS);
        g.value[RULE_OPT_THOUSANDTHS] = u32(v);
        break;
      }
      case RULE_OPT_SIGNED: {
        i32 v;
        if (!Rule_ReadInt(p, &v) || v < -199 || v > 199) return Rule_ValueError(772, 21026, RULE_ERR_SIGNED);
        g.value[RULE_OPT_SIGNED] = u32(v);
        break;
      }
      case RULE_OPT_NUMBERS: r = Rule_ReadNumbers(p, g); break;
      case RULE_OPT_TIME_OF_DAY: {
        Rule_SkipBlanks(p);
        i32 used = 0;
        const i32 v = Fmt_ParseTime(p.text + p.pos, &used);
        if (used == 0 || v < 0 || v > 86400) return Rule_ValueError(743, 21098, RULE_ERR_TIME_OF_DAY);
        p.pos += used;
        g.value[RULE_OPT_TIME_OF_DAY] = u32(v);
        break;
      }
      default: break;
    }
    if (r) return r;
    g.flags |= o.flag;
    Rule_SkipBlanks(p);
    const wch next = p.text[p.pos];
    if (next != u',' && next != u')') return Rule_RestError(p, 849, TXT_BAD_TOKEN, RULE_ERR_TOKEN);
  }
}

// The two lines the final check names: the first line of each group.
static void Rule_OverlapError(u32 number, TextId text, LineId a, LineId b, bool two) {
  wch na[LINE_NAME_SIZE], nb[LINE_NAME_SIZE], msg[200];
  Lin_GetName(a, na, 0);
  Lin_GetName(b, nb, 0);
  if (two) Fmt_Print(msg, 200, u"%s \"%s\" + \"%s\"", Lng_GetText(text), na, nb);
  else Fmt_Print(msg, 200, u"%s \"%s\"", Lng_GetText(text), na);
  Msg_ErrorText(number, msg);
}

// The strict check of every two groups of the array.
static int Rule_CheckGroups(const u32* words, i32 count) {
  const int win = 0, num = 1;  // positions of 0x8000 and 0x10000 in kLinOptionOrder
  i32 pa = 0;
  while (pa < count) {
    LinGroupLayout a;
    if (!Lin_ListGroupLayout(words + pa, count - pa, &a)) return 0;
    i32 pb = pa + a.length;
    while (pb < count) {
      LinGroupLayout b;
      if (!Lin_ListGroupLayout(words + pb, count - pb, &b)) return 0;
      const u32* ga = words + pa;
      const u32* gb = words + pb;
      LineId shared = 0;
      bool star = false, sharedFound = false;
      for (u32 i = 0; i < ga[0]; ++i) {
        if (ga[1 + i] == 0) star = true;
        for (u32 j = 0; j < gb[0]; ++j) {
          if (gb[1 + j] == 0) star = true;
          if (ga[1 + i] == gb[1 + j] && !sharedFound) {
            shared = ga[1 + i];
            sharedFound = true;
          }
        }
      }
      if (sharedFound || star) {
        const bool aw = a.offset[win] >= 0, bw = b.offset[win] >= 0;
        const bool an = a.offset[num] >= 0, bn = b.offset[num] >= 0;
        if ((!aw && !an) || (!bw && !bn)) {
          if (sharedFound && shared != 0) {
            Rule_OverlapError(853, 21017, shared, 0, false);
          } else {
            Msg_ErrorId(869, 21019);
          }
          return RULE_ERR_LINE_TWICE;
        }
        const bool windows = !aw || !bw ||
                             Clk_ListsOverlap(ga + a.offset[win] + 1, i32(ga[a.offset[win]]), gb + b.offset[win] + 1,
                                              i32(gb[b.offset[win]]));
        const bool numbers = !an || !bn || Lin_NumberListsShare(ga + a.offset[num], gb + b.offset[num]) == 1;
        if (windows && numbers) {
          Rule_OverlapError(854, 21018, ga[1], gb[1], true);
          return RULE_ERR_OVERLAP;
        }
      }
      pb += b.length;
    }
    pa += a.length;
  }
  return 0;
}

i32 Rule_ParseCore(const wch* text, u32* out, int mode, int lenient, i32 already, const u32* start) {
  if (!text) return 0;
  if (mode < 1 || mode > 4) mode = RULE_MODE_STOP;
  RuleParser p = {text, 0, mode, lenient};
  i32 written = 0;
  RuleGroup g;
  for (;;) {
    while (p.text[p.pos] && (p.text[p.pos] <= 32 || p.text[p.pos] == u',')) ++p.pos;
    if (!p.text[p.pos]) break;
    Mem_Fill(&g, 0, sizeof g);
    // 1. the line names joined by "+"
    bool afterPlus = false;
    for (;;) {
      Rule_SkipBlanks(p);
      LineId id = 0;
      bool unknown = false;
      const int r = Rule_ReadLine(p, &id, &unknown, RULE_ERR_TOKEN);
      if (r < 0) return r;
      if (r == 0) {
        if (g.n == 0 || afterPlus) return Rule_RestError(p, 856, TXT_BAD_TOKEN, RULE_ERR_TOKEN);
        break;
      }
      if (unknown) g.drop = true;
      if (g.n >= LINE_GROUP_IDS) return Rule_Error(p, 759, 21086, RULE_ERR_TOO_MANY_LINES);
      g.ids[g.n++] = id;
      Rule_SkipBlanks(p);
      if (p.text[p.pos] != u'+') break;
      ++p.pos;
      afterPlus = true;
    }
    // 2. groups of several lines
    if (!lenient && g.n > 1) {
      for (u32 i = 0; i < g.n; ++i) {
        if (g.ids[i] == 0) return Rule_Error(p, 760, 21087, RULE_ERR_MULTI_LINE);
        for (u32 j = 0; j < i; ++j)
          if (g.ids[i] == g.ids[j]) {
            wch name[LINE_NAME_SIZE];
            Lin_GetName(g.ids[i], name, 0);
            Rule_NameError(p, 761, 21088, name);
            return RULE_ERR_MULTI_LINE;
          }
      }
    }
    // 3. the options
    Rule_SkipBlanks(p);
    if (p.text[p.pos] == u'(') {
      ++p.pos;
      const int r = Rule_ReadOptions(p, g);
      if (r) return r;
    }
    // 4. what the mode needs
    if (!lenient) {
      const u32 timeOnly = LIN_OPT_WINDOWS | LIN_OPT_NUMBERS;
      if (mode == RULE_MODE_DWX && !(g.flags & ~timeOnly)) return Rule_Error(p, 852, 21037, RULE_ERR_NO_ACTION);
      const bool anyLine = g.n == 1 && g.ids[0] == 0;
      if (mode != RULE_MODE_DWX && !(mode == RULE_MODE_SHUNT && (g.flags & LIN_OPT_SWITCH_LINE)) && anyLine &&
          !(g.flags & timeOnly))
        return Rule_Error(p, 868, 21030, RULE_ERR_ANY_LINE);
    }
    if (g.drop) continue;
    // 5. the size
    const u32 words = Rule_GroupWords(g);
    if (u32(already + written) + words > RULE_WORDS_MAX) return Rule_Error(p, 851, 21016, RULE_ERR_SIZE);
    written += Rule_WriteGroup(g, out + written);
  }
  if (!lenient && written) {
    // 7. the groups against each other, the earlier rule's included
    static u32 all[RULE_WORDS_MAX];
    i32 n = 0;
    if (already > 0 && start) {
      Mem_Copy(all, start, already * 4);
      n = already;
    }
    Mem_Copy(all + n, out, written * 4);
    const int r = Rule_CheckGroups(all, n + written);
    if (r) return r;
  }
  return written;
}

i32 Rule_Parse(const wch* text, int mode, u32* out) { return Rule_ParseCore(text, out, mode, 1, 0, nullptr); }

// ---------------------------------------------------------------- formatting

struct RuleWriter {
  wch* out;
  i32 capacity;
  i32 len;
  int cut;
};

// Appends a piece whole or not at all.
static void Rule_Put(RuleWriter& w, const wch* s) {
  if (w.cut) return;
  const i32 n = Str_Len(s);
  if (w.len + n + 1 > w.capacity) {
    w.cut = 1;
    return;
  }
  Mem_CopyWide(w.out + w.len, s, n);
  w.len += n;
  w.out[w.len] = 0;
}

static void Rule_PlaceName(u32 depot, u32 place, wch* buf) {
  wch longText[RULE_DEPOT_NAME_SIZE], shortText[RULE_DEPOT_NAME_SIZE];
  longText[0] = 0;
  if (g_ruleDepots.formatName && g_ruleDepots.formatName(i32(depot), -i32(place & RULE_PLACE_MASK), longText, shortText) == 0) {
    Str_Copy(buf, longText);
    return;
  }
  Fmt_Print(buf, RULE_DEPOT_NAME_SIZE, u"%u:%u", depot, place & RULE_PLACE_MASK);
}

static void Rule_FormatWindows(RuleWriter& w, const u32* list) {
  const u32 m = list[0];
  // Whole days print as their day names when that reads back the same:
  // one day to the next, or several days to no day.
  bool days = m > 0;
  for (u32 i = 0; i < m && days; ++i) {
    const u32 from = list[1 + 2 * i], to = list[2 + 2 * i];
    const u32 fm = from >> 24, tm = to >> 24;
    const u32 next = ((fm << 1) | (fm >> 6)) & 127;
    if ((from & 0xFFFFFF) || (to & 0xFFFFFF) || fm == 0 || fm == 127) days = false;
    else if (Mem_BitCount(fm) == 1 ? tm != next : tm != 0) days = false;
  }
  wch a[160], b[160], piece[330];
  for (u32 i = 0; i < m; ++i) {
    const u32 from = list[1 + 2 * i], to = list[2 + 2 * i];
    if (days) {
      Rule_FormatTimeOfDay(from, a, 160, RULE_TIME_DAYS_ONLY);
      Fmt_Print(piece, 330, u"%s%s", i ? u" +" : u"", a);
    } else {
      Rule_FormatTimeOfDay(from, a, 160, 0);
      Rule_FormatTimeOfDay(to, b, 160, 0);
      Fmt_Print(piece, 330, u"%s%s-%s", i ? u" +" : u"", a, b);
    }
    Rule_Put(w, piece);
  }
}

static void Rule_FormatNumbers(RuleWriter& w, const u32* list) {
  wch piece[16];
  for (u32 i = 0; i < list[0]; ++i) {
    const u32 v = list[1 + i];
    if (v == 0xFFFFFFFFu) Rule_Put(w, u"-");
    else {
      const bool join = i > 0 && list[i] != 0xFFFFFFFFu;
      Fmt_Print(piece, 16, u"%s%u", join ? u"+" : u"", v);
      Rule_Put(w, piece);
    }
  }
}

// The group's line names joined by "+".
static void Rule_FormatNames(RuleWriter& w, const u32* g) {
  wch piece[400], name[LINE_NAME_SIZE];
  for (u32 i = 0; i < g[0]; ++i) {
    Lin_GetName(g[1 + i], name, 0);
    Fmt_Print(piece, 400, u"%s%s", i ? u"+" : u"", name);
    Rule_Put(w, piece);
  }
}

// The letter of a letter option's word; '?' for a word no letter stands for.
static wch Rule_OptionLetter(int i, u32 v) {
  int li;
  TextId letters;
  if (i == RULE_OPT_LETTER5) {
    li = v == 1 ? 0 : v == 4 ? 1 : v == 2 ? 2 : -1;
    letters = TXT_LETTERS5;
  } else {
    const u32 base = v & ~RULE_LETTER17_PLACE;
    li = base == 0 ? 0 : base == 1 ? 1 : base == 3 ? 2 : -1;
    letters = i == RULE_OPT_LETTER15 ? TXT_LETTERS15 : TXT_LETTERS17;
  }
  return li < 0 ? u'?' : Rule_Letter(letters, li);
}

// "key=value" of option i whose value is one piece of text (every option
// but the time windows, the number list and the timetables).
static void Rule_FormatValue(wch* piece, int i, wch key, const u32* words) {
  const u32 v = words[0];
  wch text[FMT_NUMBER_SIZE];
  piece[0] = 0;
  switch (i) {
    case RULE_OPT_SWITCH_LINE: {
      wch name[LINE_NAME_SIZE];
      Lin_GetName(v, name, 0);
      Fmt_Print(piece, 400, u"%c=%s", key, name);
      break;
    }
    case RULE_OPT_RANGE: Fmt_Print(piece, 400, u"%c=%u-%u", key, v & 0xFFFF, v >> 16); break;
    case RULE_OPT_TYPE: Fmt_Print(piece, 400, u"%c=%c", key, Zug_TypeLetter(v)); break;
    case RULE_OPT_CATEGORY: Fmt_Print(piece, 400, u"%c=%c", key, Zug_CategoryLetter(v)); break;
    case RULE_OPT_NUMBER:
      if (v == RULE_NUMBER_MIN) Fmt_Print(piece, 400, u"%c=MIN", key);
      else if (v == RULE_NUMBER_MAX) Fmt_Print(piece, 400, u"%c=MAX", key);
      else Fmt_Print(piece, 400, u"%c=%u", key, v);
      break;
    case RULE_OPT_LETTER5: case RULE_OPT_LETTER15: case RULE_OPT_LETTER17:
      Fmt_Print(piece, 400, u"%c=%c", key, Rule_OptionLetter(i, v));
      if (i == RULE_OPT_LETTER17 && v != 0 && (v & RULE_LETTER17_PLACE)) {
        wch place[RULE_DEPOT_NAME_SIZE];
        Rule_PlaceName(words[1], words[2], place);
        const i32 n = Str_Len(piece);
        Fmt_Print(piece + n, 400 - n, u":%s", place);
      }
      break;
    case RULE_OPT_HUNDREDTHS6: case RULE_OPT_HUNDREDTHS7:
      Fmt_Fixed2Sep(text, v, kRuleDecimal);
      Fmt_Print(piece, 400, u"%c=%s", key, text);
      break;
    case RULE_OPT_THOUSANDTHS:
      Fmt_Fixed3Sep(text, v, kRuleDecimal);
      Fmt_Print(piece, 400, u"%c=%s", key, text);
      break;
    case RULE_OPT_DIGIT8: case RULE_OPT_DIGIT9: Fmt_Print(piece, 400, u"%c=%u", key, v); break;
    case RULE_OPT_SIGNED: Fmt_Print(piece, 400, u"%c=%i", key, i32(v)); break;
    case RULE_OPT_TIME_OF_DAY:
      Fmt_TimeOfDay(text, i32(v));
      Fmt_Print(piece, 400, u"%c=%s", key, text);
      break;
    default: break;
  }
}

// The entries of a timetable option (its count, then 4 words each), each as
// "key slot=time[:place][flag]" followed by after.
static void Rule_FormatEntries(RuleWriter& w, wch key, const u32* words, const wch* after) {
  const wch flagLetter = Lng_GetText(TXT_PLACE_FLAG)[0];
  wch piece[400];
  for (u32 e = 0; e < words[0]; ++e) {
    const u32* en = words + 1 + 4 * e;
    wch value[200];
    if (en[0] == RULE_ENTRY_ANY_TIME) Fmt_Print(value, 200, u"%c", Rule_Letter(TXT_ANY_TIME, 0));
    else Rule_FormatTimeOfDay(en[0], value, 200, RULE_TIME_NO_SECONDS);
    Fmt_Print(piece, 400, u"%c%u=%s", key, en[3], value);
    if (en[1] >= 1) {
      wch place[RULE_DEPOT_NAME_SIZE];
      Rule_PlaceName(en[1], en[2], place);
      const i32 n = Str_Len(piece);
      Fmt_Print(piece + n, 400 - n, u":%s", place);
    }
    if ((en[2] & RULE_PLACE_FLAGGED) && flagLetter) {
      const i32 n = Str_Len(piece);
      piece[n] = flagLetter;
      piece[n + 1] = 0;
    }
    Rule_Put(w, piece);
    Rule_Put(w, after);
  }
}

static void Rule_FormatGroup(RuleWriter& w, const u32* g, const LinGroupLayout& l, int perLine) {
  Rule_FormatNames(w, g);
  if (!l.flags) return;
  Rule_Put(w, u"(");
  const wch* after = perLine ? u", " : u",";
  wch piece[400];
  for (int k = 0; k < LIN_OPTION_COUNT; ++k) {
    const int off = l.offset[k];
    if (off < 0) continue;
    const int i = Rule_IndexOfFlag(kLinOptionOrder[k]);
    const wch key = Rule_Letter(TXT_KEYS, i);
    if (i == RULE_OPT_TIMETABLE1 || i == RULE_OPT_TIMETABLE2) {
      Rule_FormatEntries(w, key, g + off, after);
      continue;
    }
    if (i == RULE_OPT_WINDOWS || i == RULE_OPT_NUMBERS) {
      Fmt_Print(piece, 400, u"%c=", key);
      Rule_Put(w, piece);
      if (i == RULE_OPT_WINDOWS) Rule_FormatWindows(w, g + off);
      else Rule_FormatNumbers(w, g + off);
    } else {
      Rule_FormatValue(piece, i, key, g + off);
      Rule_Put(w, piece);
    }
    Rule_Put(w, after);
  }
  // The last ", " loses its blank and its comma becomes ")".
  if (!w.cut) {
    if (w.len > 0 && w.out[w.len - 1] == u' ') --w.len;
    if (w.len > 0 && w.out[w.len - 1] == u',') w.out[w.len - 1] = u')';
    w.out[w.len] = 0;
  }
}

int Rule_FormatCore(wch* out, i32 capacity, const u32* words, int perLine, i32 count) {
  RuleWriter w = {out, capacity, 0, 0};
  if (capacity < 1) return 1;
  out[0] = 0;
  const wch* between = perLine ? u",\r\n" : u", ";
  i32 pos = 0;
  i32 lastEnd = 0;  // the text up to the last complete group
  while (pos < count) {
    LinGroupLayout l;
    if (!Lin_ListGroupLayout(words + pos, count - pos, &l)) break;
    Rule_FormatGroup(w, words + pos, l, perLine);
    Rule_Put(w, between);
    if (w.cut) break;
    lastEnd = w.len;
    pos += l.length;
  }
  if (w.cut) {
    // Cut at the last complete group.
    w.len = lastEnd;
  }
  const i32 sep = Str_Len(between);
  if (w.len >= sep) w.len -= sep;
  else w.len = 0;
  out[w.len] = 0;
  if (perLine && w.len > 0) {
    if (w.len + 3 <= capacity) {
      out[w.len++] = u'\r';
      out[w.len++] = u'\n';
      out[w.len] = 0;
    } else {
      w.cut = 1;
    }
  }
  return w.cut;
}

int Rule_Format(wch* out, i32 capacity, const u32* words, int perLine, int errorBox, i32 count) {
  const int r = Rule_FormatCore(out, capacity, words, perLine, count);
  if (r && errorBox) Msg_WarnId(867, TXT_FORMAT_CUT);
  return r;
}

int Rule_FormatAll(const u32* words, int perLine, i32 count, wch** text) {
  *text = nullptr;
  for (i32 size = RULE_TEXT_SIZE;; size *= 2) {
    wch* buf = static_cast<wch*>(Heap_Alloc(u32(size) * 2));
    if (!buf) return 4;
    if (Rule_FormatCore(buf, size, words, perLine, count) == 0) {
      *text = buf;
      return 0;
    }
    Heap_Free(buf);
    if (size > (1 << 22)) return 4;
  }
}

int Rule_PrintText(const u32* words, i32 count) {
  wch* text = nullptr;
  if (Rule_FormatAll(words, 0, count, &text)) return 2;
  int r = Fio_WriteString(text);
  if (!r) r = Fio_WriteCrLf();
  Heap_Free(text);
  return r;
}

int Rule_FormatPairList(wch* out, i32 capacity, const u32* pairs, int collapse, i32 count) {
  i32 len = 0;
  if (capacity < 1) return 1;
  out[0] = 0;
  for (i32 i = 0; i + 1 < count; i += 2) {
    if (capacity - len < 24) return 1;
    wch name[RULE_DEPOT_NAME_SIZE], piece[RULE_DEPOT_NAME_SIZE + 24];
    Rule_PlaceName(pairs[i], pairs[i + 1], name);
    i32 last = i;
    if (collapse)
      while (last + 3 < count && pairs[last + 2] == pairs[i] && pairs[last + 3] == pairs[last + 1] + 1) last += 2;
    if (last > i) Fmt_Print(piece, RULE_DEPOT_NAME_SIZE + 24, u"%s%s-%i", len ? u", " : u"", name, i32(pairs[last + 1]));
    else Fmt_Print(piece, RULE_DEPOT_NAME_SIZE + 24, u"%s%s", len ? u", " : u"", name);
    const i32 n = Str_Len(piece);
    if (len + n + 1 > capacity) return 1;
    Mem_CopyWide(out + len, piece, n);
    len += n;
    out[len] = 0;
    i = last;
  }
  return 0;
}

int Rule_PrintPositions(const u32* pairs, i32 count) {
  static wch text[8002];
  Rule_FormatPairList(text, 8002, pairs, 0, count);
  int r = Fio_WriteString(text);
  if (!r) r = Fio_WriteCrLf();
  return r;
}

i32 Rule_ParsePairList(const wch* text, u32* out, i32 room) {
  i32 n = 0;
  wch ref[64];
  while (*text) {
    while (*text == ' ' || *text == ',') ++text;
    if (!*text) break;
    i32 len = 0;
    while (text[len] && text[len] != ',') ++len;
    if (len >= 64) return -1;
    Mem_CopyWide(ref, text, len);
    ref[len] = 0;
    text += len;
    while (len > 0 && ref[len - 1] == ' ') ref[--len] = 0;
    // "first-last": a run of places of one depot.
    u32 last = 0;
    i32 dash = len - 1;
    while (dash > 0 && ref[dash] >= '0' && ref[dash] <= '9') --dash;
    if (dash > 0 && dash < len - 1 && ref[dash] == '-') {
      for (i32 k = dash + 1; k < len; ++k) last = last * 10 + u32(ref[k] - '0');
      ref[dash] = 0;
    }
    u32 place = 0;
    const i32 depot = Dep_ParsePlaceRef(ref, &place, 0);
    if (depot < 0) return -1;
    if (!last || last < place) last = place;
    for (u32 p = place; p <= last; ++p) {
      if (n + 2 > room) return -1;
      out[n++] = u32(depot);
      out[n++] = p;
    }
  }
  return n;
}

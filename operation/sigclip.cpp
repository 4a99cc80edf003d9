#include "operation/sigclip.h"

#include "model/pointobj.h"

#include <cstring>

#include "model/dep.h"
#include "model/grid.h"
#include "model/rule.h"
#include "operation/pts.h"
#include "operation/sigeval.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "platform/tim.h"

enum : TextId { TXT_COPY_INSTALLATIONS = 14100, TXT_COPY_ELEMENTS = 14120 };
// Room of one clipboard line: the longest condition (60 names of 20
// characters) and pair text (8002) fit.
enum { SIG_LINE = 8200, SIG_SCHEDULE_PER_LINE = 40, SIG_TEXT_PER_LINE = 200 };

// ---------------------------------------------------------------- text forms

static void Sig_Append(wch* out, i32 size, i32* len, const wch* piece) {
  const i32 n = Str_Len(piece);
  if (*len + n + 1 > size) return;
  Mem_CopyWide(out + *len, piece, n);
  *len += n;
  out[*len] = 0;
}

void Sig_FormatList(wch* out, i32 size, const i32* ids, i32 count) {
  i32 len = 0;
  if (size < 1) return;
  out[0] = 0;
  for (i32 i = 0; i < count; ++i) {
    const SignalInstallation* a = Sig_FindInstallation(u32(ids[i] < 0 ? -ids[i] : ids[i]));
    if (!a) continue;
    if (len) Sig_Append(out, size, &len, u",");
    Sig_Append(out, size, &len, a->Name);
    if (ids[i] > 0) Sig_Append(out, size, &len, u"+");
  }
}

static wch Sig_OpChar(u32 token) {
  switch (token) {
    case SIG_TOK_OR: return u'|';
    case SIG_TOK_AND: return u'&';
    case SIG_TOK_NOT: return u'!';
    case SIG_TOK_OPEN: return u'(';
    case SIG_TOK_CLOSE: return u')';
    default: return 0;
  }
}

static u32 Sig_CharOp(wch c) {
  switch (c) {
    case u'|': return SIG_TOK_OR;
    case u'&': return SIG_TOK_AND;
    case u'!': return SIG_TOK_NOT;
    case u'(': return SIG_TOK_OPEN;
    case u')': return SIG_TOK_CLOSE;
    default: return 0;
  }
}

void Sig_FormatCondition(wch* out, i32 size, const u32* tokens, i32 count) {
  i32 len = 0;
  if (size < 1) return;
  out[0] = 0;
  int afterName = 0;
  for (i32 i = 0; i < count; ++i) {
    const wch op[2] = {Sig_OpChar(tokens[i]), 0};
    if (op[0]) {
      Sig_Append(out, size, &len, op);
      afterName = 0;
      continue;
    }
    const SignalInstallation* a = Sig_FindInstallation(tokens[i]);
    if (!a) continue;
    // Two names in a row stay two names when the text is read again.
    if (afterName) Sig_Append(out, size, &len, u" ");
    Sig_Append(out, size, &len, a->Name);
    afterName = 1;
  }
}

// Reads the name at *pos (name characters only); the installation's id, 0
// when there is no name there, -1 for one that names no installation.
static i32 Sig_ReadInstallationName(const wch* text, i32* pos) {
  wch name[SIG_NAME_UNITS];
  i32 n = 0;
  while (text[*pos] && Str_IsNameChar(text[*pos])) {
    if (n >= i32(SIG_NAME_UNITS) - 1) return -1;
    name[n++] = text[(*pos)++];
  }
  name[n] = 0;
  if (n == 0) return 0;
  const i32 id = Sig_FindByName(name);
  return id > 0 ? id : -1;
}

i32 Sig_ParseList(const wch* text, i32* ids) {
  i32 pos = 0, count = 0;
  for (;;) {
    while (text[pos] && (text[pos] <= 32 || text[pos] == u',')) ++pos;
    if (!text[pos]) return count;
    const i32 id = Sig_ReadInstallationName(text, &pos);
    if (id <= 0 || count >= i32(SIG_LIST_MAX)) return -1;
    while (text[pos] && text[pos] <= 32) ++pos;
    const int in = text[pos] == u'+';
    if (in) ++pos;
    ids[count++] = in ? id : -id;
  }
}

i32 Sig_ParseCondition(const wch* text, u32* tokens) {
  i32 pos = 0, count = 0;
  for (;;) {
    while (text[pos] && text[pos] <= 32) ++pos;
    if (!text[pos]) return count;
    if (count >= i32(SIG_TOKENS_MAX)) return -1;
    const u32 op = Sig_CharOp(text[pos]);
    if (op) {
      tokens[count++] = op;
      ++pos;
      continue;
    }
    const i32 id = Sig_ReadInstallationName(text, &pos);
    if (id <= 0) return -1;
    tokens[count++] = u32(id);
  }
}

// ---------------------------------------------------------------- reading lines and fields

namespace {

struct Reader {
  const SigClipLines* clip;
  u32 line;
  wch buf[SIG_LINE];
  // 0 read, 1 missing or cut.
  int Next() {
    if (!clip->read || clip->read(line, SIG_LINE, buf) != 0) return 1;
    ++line;
    return 0;
  }
};

// A quoted field at *pos ("..."), then the comma after it; 0 ok.
int QuotedField(const wch* s, i32* pos, wch* out) {
  if (s[*pos] != u'"') return 1;
  i32 i = *pos + 1, n = 0;
  while (s[i] && s[i] != u'"') {
    if (n >= i32(SIG_NAME_UNITS) - 1) return 1;
    out[n++] = s[i++];
  }
  if (s[i] != u'"') return 1;
  out[n] = 0;
  ++i;
  if (s[i] == u',') ++i;
  *pos = i;
  return 0;
}

int Digit(wch c, int hex) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (hex && c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (hex && c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Comma-separated numbers by a format of 'x' (hexadecimal), 'u' and 'i'
// (decimal, 'i' signed); exactly that many, nothing after; 0 ok.
int Fields(const wch* s, i32 pos, const char* format, u32* out) { return Pobj_ParseFields(s + pos, format, out, nullptr); }

int Emit(const SigClipLines* clip, const wch* line) { return clip->append ? clip->append(line) : 1; }

}  // namespace

// ---------------------------------------------------------------- installations

static int Sig_InstallationInBox(const SignalInstallation* a, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2,
                                 i32 level2) {
  for (const SignalElement* e = Sig_FirstElement(); e; e = e->Next) {
    if (!Sig_InBox(e->X, e->Y, e->Level, x1, y1, level1, x2, y2, level2)) continue;
    for (i32 i = 0; i < e->TokenCount; ++i)
      if (e->Tokens[i] == a->Id) return 1;
    for (i32 i = 0; i < e->List1Count; ++i)
      if (u32(e->List1[i] < 0 ? -e->List1[i] : e->List1[i]) == a->Id) return 1;
    for (i32 i = 0; i < e->List2Count; ++i)
      if (u32(e->List2[i] < 0 ? -e->List2[i] : e->List2[i]) == a->Id) return 1;
  }
  return Dep_AnyInBoxUses(a->Id, x1, y1, level1, x2, y2, level2) ||
         Pts_InstallationUsedInBox(a->Id, x1, y1, level1, x2, y2, level2);
}

int Sig_CopyInstallationsToClip(const SigClipLines* clip, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(TXT_COPY_INSTALLATIONS));
  int r;
  static wch line[SIG_LINE];
  if ((r = Emit(clip, u"SIGANL_A"))) return r;
  for (const SignalInstallation* a = Sig_FirstInstallation(); a; a = a->Next) {
    if (!Sig_InstallationInBox(a, x1, y1, level1, x2, y2, level2)) continue;
    Fmt_Print(line, SIG_LINE, u"\"%s\",%x,%u,%u,%u", a->Name, unsigned(a->Flags), unsigned(a->Maximum),
              unsigned(a->Limit), unsigned(a->TextLength));
    if ((r = Emit(clip, line))) return r;
    if ((a->Flags & 1) && a->Schedule) {
      const SignalSchedule* s = a->Schedule;
      Fmt_Print(line, SIG_LINE, u"%x,%u,%u", unsigned(s->Kind), unsigned(s->ByteCount), unsigned(s->Duration));
      if ((r = Emit(clip, line))) return r;
      i32 len = 0;
      for (u32 i = 0; i < s->ByteCount; ++i) {
        Fmt_Print(line + len, SIG_LINE - len, u"%02x,", unsigned(s->Bytes[i]));
        len += 3;
        if ((i + 1) % SIG_SCHEDULE_PER_LINE == 0 || i + 1 == s->ByteCount) {
          if ((r = Emit(clip, line))) return r;
          len = 0;
        }
      }
    }
    i32 len = 0;
    for (i32 i = 0; i < a->TextLength; ++i) {
      const wch c = a->Text[i];
      if (c < 32 || c == 0x2028 || c == 0x2029 || c == u'\\') {
        Fmt_Print(line + len, SIG_LINE - len, u"\\%04x", unsigned(c));
        len += 5;
      } else {
        line[len++] = c;
        line[len] = 0;
      }
      if (len >= SIG_TEXT_PER_LINE || i + 1 == a->TextLength) {
        if ((r = Emit(clip, line))) return r;
        len = 0;
      }
    }
  }
  return Emit(clip, u"SIGANL_E");
}

// The installation's text: textLength units, escapes undone, over as many
// lines as it takes; 0 ok.
static int Sig_ReadText(Reader& rd, wch* text, i32 textLength) {
  i32 n = 0;
  while (n < textLength) {
    if (rd.Next()) return 1;
    const wch* s = rd.buf;
    if (!s[0]) return 1;
    for (i32 i = 0; s[i] && n < textLength;) {
      if (s[i] == u'\\') {
        u32 v = 0;
        for (int k = 1; k <= 4; ++k) {
          const int d = Digit(s[i + k], 1);
          if (d < 0) return 1;
          v = v * 16 + u32(d);
        }
        text[n++] = wch(v);
        i += 5;
      } else {
        text[n++] = s[i++];
      }
    }
  }
  return 0;
}

int Sig_PasteInstallationsFromClip(const SigClipLines* clip, u32* line) {
  Reader rd{clip, *line, {}};
  if (rd.Next()) return 2;  // the header
  int warnings = 0;
  static u8 schedule[SIG_LINE];
  static wch text[SIG_TEXT_MAX + 1];
  for (;;) {
    if (rd.Next()) return 2;
    if (rd.buf[0] != u'"') break;
    SignalInstallationData d = {};
    i32 pos = 0;
    u32 f[4];
    if (QuotedField(rd.buf, &pos, d.Name) || Fields(rd.buf, pos, "xuuu", f)) return 2;
    d.Flags = u8(f[0]);
    d.Maximum = i32(f[1]);
    d.Limit = i32(f[2]);
    if (f[3] > SIG_TEXT_MAX) return 2;
    d.TextLength = i32(f[3]);
    if (d.Flags & 1) {
      u32 h[3];
      if (rd.Next() || Fields(rd.buf, 0, "xuu", h) || h[1] == 0 || h[1] > u32(SIG_LINE)) return 2;
      d.Kind = u8(h[0]);
      d.ScheduleBytes = i32(h[1]);
      d.Duration = h[2];
      for (u32 n = 0; n < h[1];) {
        if (rd.Next()) return 2;
        for (i32 i = 0; rd.buf[i] && n < h[1]; i += 3) {
          const int hi = Digit(rd.buf[i], 1), lo = Digit(rd.buf[i + 1], 1);
          if (hi < 0 || lo < 0 || rd.buf[i + 2] != u',') return 2;
          schedule[n++] = u8(hi * 16 + lo);
        }
      }
      d.Schedule = schedule;
    }
    if (d.TextLength > 0) {
      if (Sig_ReadText(rd, text, d.TextLength)) return 2;
      d.Text = text;
    }
    // The schedule's readers walk it by its end marks alone: one that is
    // cut or malformed refuses its installation.
    if (d.Schedule && Tim_ScheduleCheck(d.Schedule, d.ScheduleBytes) != d.ScheduleBytes) {
      warnings |= 16;
      continue;
    }
    if (Sig_FindByName(d.Name)) {
      warnings |= 4;
      continue;
    }
    const u32 id = Sig_NextFreeId();
    if (!id) {
      warnings |= 8;
      continue;
    }
    d.Count = 0;
    if (Sig_SetInstallation(id, &d)) warnings |= 16;
  }
  if (Str_CompareEx(rd.buf, u"SIGANL_E", 0) != 0) return 2;
  *line = rd.line;
  return warnings;
}

// ---------------------------------------------------------------- elements

int Sig_CopyElementsToClip(const SigClipLines* clip, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(TXT_COPY_ELEMENTS));
  int r;
  static wch line[SIG_LINE];
  if ((r = Emit(clip, u"SIGELEM_A"))) return r;
  for (const SignalElement* e = Sig_FirstElement(); e; e = e->Next) {
    if (!Sig_InBox(e->X, e->Y, e->Level, x1, y1, level1, x2, y2, level2)) continue;
    const wch* linked = e->Linked ? e->Linked->Name : u"";
    Fmt_Print(line, SIG_LINE, u"\"%s\",\"%s\",%x,%x,%i,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x", e->Name, linked,
              unsigned(e->X), unsigned(e->Y), int(e->Level), unsigned(e->Flags), unsigned(e->State),
              unsigned(e->Delay1), unsigned(e->Delay2), unsigned(e->TokenCount), unsigned(e->Value),
              unsigned(e->ExtraValue), unsigned(e->List1Count), unsigned(e->List2Count), unsigned(e->Id),
              unsigned(e->LinkedId));
    if ((r = Emit(clip, line))) return r;
    if (e->TokenCount > 0) {
      Sig_FormatCondition(line, SIG_LINE, e->Tokens, e->TokenCount);
      if ((r = Emit(clip, line))) return r;
    }
    if (e->List1Count > 0) {
      Sig_FormatList(line, SIG_LINE, e->List1, e->List1Count);
      if ((r = Emit(clip, line))) return r;
    }
    if (e->List2Count > 0) {
      Sig_FormatList(line, SIG_LINE, e->List2, e->List2Count);
      if ((r = Emit(clip, line))) return r;
    }
    if (e->Flags & 3) {
      line[0] = 0;
      if (e->Rules) Rule_Format(line, RULE_TEXT_SIZE, e->Rules, 0, 0, e->RuleCount);
      if ((r = Emit(clip, line))) return r;
    }
    if (e->Flags & 12) {
      line[0] = 0;
      if (e->Pairs) Rule_FormatPairList(line, RULE_TEXT_SIZE, e->Pairs, 0, e->PairCount);
      if ((r = Emit(clip, line))) return r;
    }
  }
  return Emit(clip, u"SIGELEM_E");
}

// Place references joined by ", ", a run as "first-last" (depot names may
// hold "-" themselves: a run's "-" follows the place number); the pair
// words; -1 for a reference that names no place or too many pairs.
static i32 Sig_ParsePairs(const wch* text, u32* pairs, i32 room) {
  i32 pos = 0, n = 0;
  wch ref[64];
  while (text[pos]) {
    while (text[pos] == u',' || text[pos] == u' ') ++pos;
    if (!text[pos]) break;
    i32 len = 0;
    while (text[pos] && text[pos] != u',') {
      if (len >= 63) return -1;
      ref[len++] = text[pos++];
    }
    while (len > 0 && ref[len - 1] == u' ') --len;
    ref[len] = 0;
    u32 last = 0;
    i32 dash = len - 1;
    while (dash > 0 && Digit(ref[dash], 0) >= 0) --dash;
    i32 colon = dash - 1;
    while (colon > 0 && Digit(ref[colon], 0) >= 0) --colon;
    const int run = dash > 0 && dash < len - 1 && ref[dash] == u'-' && colon > 0 && colon < dash - 1 && ref[colon] == u':';
    if (run) {
      for (i32 i = dash + 1; i < len; ++i) last = last * 10 + u32(Digit(ref[i], 0));
      ref[dash] = 0;
    }
    u32 place = 0;
    const i32 depot = Dep_ParsePlaceRef(ref, &place, 0);
    if (depot <= 0) return -1;
    if (!run) last = place;
    if (last < place || last > DEP_MAX_PLACES) return -1;
    for (u32 p = place; p <= last; ++p) {
      if (n + 2 > room) return -1;
      pairs[n++] = u32(depot);
      pairs[n++] = p;
    }
  }
  return n;
}

// A record whose element could not be made leaves plain track on its cell.
static void Sig_PlainTrack(i32 x, i32 y, i32 level) {
  if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level > 0 || level < -4) return;
  const u32 code = Grid_GetCell(x, y, level);
  if (!Cell_IsElement(code)) return;
  u32 track = (code & 7) >> 1;
  if (track <= 1) track ^= 1;
  Grid_SetCell(x, y, level, CellCode(Cell_WithShape(code, track)));
}

// A block cut inside an element's announced lines: the element made for it
// has no name and no data yet, and no copy could carry it, so it goes.
static int Sig_PasteCut(int created, i32 x, i32 y, i32 level) {
  if (created) Sig_DeleteElementAt(x, y, level);
  return 2;
}

// The lines a pasted record announces: its condition, its two lists, its
// rules and its places, parsed into d; the rules and places stay in static
// buffers until the next record. *bad is set when a line
// does not parse. 1 when a line is missing or cut.
static int Sig_PasteReadLines(Reader& rd, u32 flags, u32 tokenCount, u32 list1, u32 list2, SignalElementData* d,
                              int* bad) {
  static u32 rules[RULE_WORDS_MAX];
  static u32 pairs[SIG_LINE];
  if (tokenCount > 0) {
    if (rd.Next()) return 1;
    const i32 n = Sig_ParseCondition(rd.buf, d->Tokens);
    *bad |= n < 0;
    d->TokenCount = n < 0 ? 0 : n;
  }
  if (list1 > 0) {
    if (rd.Next()) return 1;
    const i32 n = Sig_ParseList(rd.buf, d->List1);
    *bad |= n < 0;
    d->List1Count = n < 0 ? 0 : n;
  }
  if (list2 > 0) {
    if (rd.Next()) return 1;
    const i32 n = Sig_ParseList(rd.buf, d->List2);
    *bad |= n < 0;
    d->List2Count = n < 0 ? 0 : n;
  }
  d->Flags = flags;
  if (flags & (SIG_F_RULES | SIG_F_RULES_INVERTED)) {
    if (rd.Next()) return 1;
    const i32 n = rd.buf[0] ? Rule_Parse(rd.buf, RULE_MODE_STOP, rules) : 0;
    *bad |= n < 0;
    d->RuleCount = n < 0 ? 0 : n;
    d->Rules = rules;
    if (d->RuleCount == 0) d->Flags &= ~SIG_F_RULES;
  }
  if (flags & (SIG_F_PLACES | SIG_F_PLACES_INVERTED)) {
    if (rd.Next()) return 1;
    const i32 n = Sig_ParsePairs(rd.buf, pairs, SIG_LINE);
    *bad |= n < 0;
    d->PairCount = n < 0 ? 0 : n;
    d->Pairs = pairs;
    if (d->PairCount == 0) d->Flags &= ~SIG_F_PLACES;
  }
  return 0;
}

// Links between pasted elements follow their old ids; a link to an element
// outside the paste stays only when its name led to the same id.
static void Sig_PasteRelink(void) {
  for (SignalElement* e = Sig_FirstElement(); e; e = e->Next) {
    if (!e->PasteId || !e->PasteLinkId) continue;
    const SignalElement* partner = nullptr;
    for (const SignalElement* p = Sig_FirstElement(); p && !partner; p = p->Next)
      if (p->PasteId == e->PasteLinkId) partner = p;
    if (partner) e->LinkedId = partner->Id;
    else if (e->LinkedId != e->PasteLinkId) e->LinkedId = 0;
  }
}

int Sig_PasteElementsFromClip(const SigClipLines* clip, u32* line, i32 dx, i32 dy, i32 dz) {
  for (SignalElement* e = Sig_FirstElement(); e; e = e->Next) e->PasteId = e->PasteLinkId = 0;
  Reader rd{clip, *line, {}};
  if (rd.Next()) return 2;
  int warnings = 0;
  for (;;) {
    if (rd.Next()) return 2;
    if (rd.buf[0] != u'"') break;
    wch name[SIG_NAME_UNITS], linkedName[SIG_NAME_UNITS];
    i32 pos = 0;
    u32 f[14];
    if (QuotedField(rd.buf, &pos, name) || QuotedField(rd.buf, &pos, linkedName) ||
        Fields(rd.buf, pos, "xxixxxxxxxxxxx", f))
      return 2;
    const i32 x = i32(f[0]) + dx, y = i32(f[1]) + dy, level = i32(f[2]) + dz;
    const u32 flags = f[3], state = f[4], tokenCount = f[7], list1 = f[10], list2 = f[11];
    if (tokenCount > SIG_TOKENS_MAX || list1 > SIG_LIST_MAX || list2 > SIG_LIST_MAX) return 2;
    const i32 linkedByName = linkedName[0] ? Sig_FindByName(linkedName) : 0;
    const u32 code = (x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level <= 0 && level >= -4)
                         ? u32(Grid_GetCell(x, y, level))
                         : u32(CELL_EMPTY);
    const u32 type = Sig_ShapeTypeRange(Cell_Normalised(code), nullptr, nullptr);
    const int created = type != 0 && !Sig_FindElementAt(x, y, level, type == 10) &&
                        Sig_CreateElement(x, y, level, state, Cell_WithoutMark(code)) == 0;
    // The announced lines are read also for a refused record.
    SignalElementData d = {};
    int bad = 0;
    if (Sig_PasteReadLines(rd, flags, tokenCount, list1, list2, &d, &bad)) return Sig_PasteCut(created, x, y, level);
    if (!created) {
      warnings |= 4;
      if (!type || !Sig_FindElementAt(x, y, level, type == 10)) Sig_PlainTrack(x, y, level);
      continue;
    }
    d.Type = type;
    d.Delay = i32(f[5]);
    d.Value = f[8];
    d.ExtraValue = f[9];
    d.LinkedId = linkedByName < 0 ? u32(-linkedByName) : 0;
    d.PasteId = f[12];
    d.PasteLinkId = f[13];
    if (bad || Sig_MakeUniqueElementName(d.Name, type) || Sig_SetElement(x, y, level, &d)) {
      SignalElement* e = Sig_FindElementAt(x, y, level, type == 10);
      if (e) Sig_DeleteElementAt(x, y, level);
      Sig_PlainTrack(x, y, level);
      warnings |= 4;
      continue;
    }
    Sig_FindElementAt(x, y, level, type == 10)->State = state;
  }
  if (Str_CompareEx(rd.buf, u"SIGELEM_E", 0) != 0) return 2;
  *line = rd.line;
  Sig_PasteRelink();
  Sig_ResolveRefs(nullptr);
  Sig_RebuildDependents(nullptr);
  for (SignalElement* e = Sig_FirstElement(); e; e = e->Next)
    if (e->PasteId) Sig_UpdateAspect(e);
  return warnings;
}

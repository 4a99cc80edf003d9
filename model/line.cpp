#include "model/line.h"

#include "model/dep.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "operation/clock.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

static LineRec* g_lines;
static i32 g_lineCount;
static LineId g_lineLastId;

static LinModuleHooks g_linModules[LIN_MODULE_COUNT];
static LinTrainHooks g_linTrains;

enum : TextId {
  TXT_LIN_CREATE_ASK = 12001,
  TXT_LIN_UNKNOWN = 12002,
  TXT_LIN_EMPTY = 12003,
  TXT_LIN_BAD_CHAR = 12004,
  TXT_LIN_BAD_NAME = 12005,
  TXT_LIN_CREATE_FAILED = 12006
};

// ---------------------------------------------------------------- table

int Lin_Init(void) {
  if (!g_lines) {
    g_lines = static_cast<LineRec*>(Heap_Alloc(u32(sizeof(LineRec)) * LINE_MAX));
    if (!g_lines) return 0;
    g_lineCount = 0;
  }
  Lin_Clear();
  return 1;
}

void Lin_Exit(void) {
  Lin_Clear();
  if (g_lines) Heap_Free(g_lines);
  g_lines = nullptr;
}

void Lin_Clear(void) {
  for (i32 i = 0; i < g_lineCount; ++i)
    if (g_lines[i].text) Heap_Free(g_lines[i].text);
  g_lineCount = 0;
  g_lineLastId = 0;
}

void Lin_SetModuleHooks(int module, const LinModuleHooks* hooks) {
  if (module < 0 || module >= LIN_MODULE_COUNT) return;
  g_linModules[module] = hooks ? *hooks : LinModuleHooks{};
}

void Lin_SetTrainHooks(const LinTrainHooks* hooks) { g_linTrains = hooks ? *hooks : LinTrainHooks{}; }

i32 Lin_IndexOf(LineId id) {
  if (id == 0) return -1;
  for (i32 i = 0; i < g_lineCount; ++i)
    if (g_lines[i].id == id) return i;
  return -1;
}

LineId Lin_IdAt(i32 index) { return (index >= 0 && index < g_lineCount) ? g_lines[index].id : 0; }

u32 Lin_CountAndMax(void) { return u32(g_lineCount) | u32(LINE_MAX) << 16; }

int Lin_CompareOrder(LineId id1, LineId id2) {
  const i32 a = Lin_IndexOf(id1), b = Lin_IndexOf(id2);
  if (a < 0 || b < 0) return 11;
  return a < b ? 1 : (a > b ? 2 : 0);
}

// Reads a name token of at most 8 characters; the Str_ParseToken code.
static int Lin_ReadToken(const wch* text, wch* name, i32* consumed) {
  wch stop = 0;
  i32 used = 0;
  const int r = Str_ParseToken(text ? text : u"", name, &used, &stop, LINE_NAME_MAX);
  if (r == STR_TOKEN_OK && stop == u'"') ++used;  // the closing quote
  if (consumed) *consumed = used;
  return r;
}

// The Lin_FindByName code of a token that did not parse.
static i32 Lin_TokenError(int r) {
  switch (r) {
    case STR_TOKEN_EMPTY: return -1;
    case STR_TOKEN_TOO_LONG: return -3;
    case STR_TOKEN_NO_QUOTE: return -5;
    default: return -2;  // a bad character or a lone "*"
  }
}

// Index of the line whose name equals name ignoring case, -1 when none.
static i32 Lin_FindName(const wch* name) {
  wch a[LINE_NAME_MAX + 2];
  i32 n = 0;
  while (n < LINE_NAME_MAX + 1 && name[n]) {
    a[n] = name[n];
    ++n;
  }
  a[n] = 0;
  for (i32 i = 0; i < g_lineCount; ++i)
    if (Str_CompareEx(a, g_lines[i].name, STR_CMP_NOCASE) == 0) return i;
  return -1;
}

i32 Lin_FindByName(const wch* name) {
  wch token[LINE_NAME_MAX + 1];
  const int r = Lin_ReadToken(name, token, nullptr);
  if (r != STR_TOKEN_OK) return Lin_TokenError(r);
  const i32 i = Lin_FindName(token);
  return i < 0 ? 0 : i32(g_lines[i].id);
}

i32 Lin_ParseName(const wch* text, LineId* id) {
  // Only a name may stand here: anything else (an option's bracket, a
  // separator) is no name, and the token reader must not skip over it.
  const wch c = text ? text[0] : 0;
  if (!(c == u'*' || c == u'"' || Str_IsNameChar(c))) return 0;
  wch token[LINE_NAME_MAX + 1];
  i32 used = 0;
  const int r = Lin_ReadToken(text, token, &used);
  if (r == STR_TOKEN_STAR) {
    *id = 0;
    return used;
  }
  if (r == STR_TOKEN_EMPTY) return 0;
  if (r != STR_TOKEN_OK) return Lin_TokenError(r);
  const i32 i = Lin_FindName(token);
  *id = i < 0 ? 65535u : g_lines[i].id;
  return used;
}

static LineId Lin_NextId(void) {
  LineId id = g_lineLastId;
  for (int n = 0; n < LINE_ID_MAX; ++n) {
    id = id >= LINE_ID_MAX ? 1 : id + 1;
    if (Lin_IndexOf(id) < 0) return id;
  }
  return 0;  // unreachable while the table holds fewer lines than ids
}

static void Lin_InsertAt(i32 index, const LineRec& rec) {
  for (i32 i = g_lineCount; i > index; --i) g_lines[i] = g_lines[i - 1];
  g_lines[index] = rec;
  ++g_lineCount;
}

static void Lin_RemoveAt(i32 index) {
  for (i32 i = index; i + 1 < g_lineCount; ++i) g_lines[i] = g_lines[i + 1];
  --g_lineCount;
}

int Lin_Create(const wch* name, LineId afterId, LineId copyFromId, LineId* newId) {
  if (!g_lines) return LIN_FULL;
  if (g_lineCount >= LINE_MAX) return LIN_FULL;
  wch token[LINE_NAME_MAX + 1];
  const int r = Lin_ReadToken(name, token, nullptr);
  if (r == STR_TOKEN_STAR) return 4;
  if (r != STR_TOKEN_OK) return 2 + r;
  if (Lin_FindName(token) >= 0) return LIN_NAME_EXISTS;
  LineRec rec = {};
  rec.id = Lin_NextId();
  Str_Copy(rec.name, token);
  i32 at = g_lineCount;
  if (afterId) {
    const i32 i = Lin_IndexOf(afterId);
    if (i >= 0) at = i + 1;
  }
  Lin_InsertAt(at, rec);
  g_lineLastId = rec.id;
  if (newId) *newId = rec.id;
  int result = LIN_OK;
  if (copyFromId && Lin_IndexOf(copyFromId) >= 0) {
    for (const LinModuleHooks& h : g_linModules)
      if (h.copyLine && h.copyLine(rec.id, copyFromId) != 0) result = LIN_COPY_FAILED;
  }
  Lay_MarkModified();
  return result;
}

int Lin_Delete(LineId id) {
  const i32 i = Lin_IndexOf(id);
  if (i < 0) return LIN_NO_SUCH_LINE;
  if (g_linTrains.countByLine) {
    u32 counts[4] = {0, 0, 0, 0};
    g_linTrains.countByLine(id, counts);
    if (counts[0]) return LIN_HAS_TRAINS;
    if (counts[3]) return LIN_RUN_AS_BY_TRAINS;
  }
  for (const LinModuleHooks& h : g_linModules)
    if (h.removeLine) h.removeLine(id);
  const i32 j = Lin_IndexOf(id);  // a hook cannot move lines, but be sure
  if (j < 0) return LIN_NO_SUCH_LINE;
  if (g_lines[j].text) Heap_Free(g_lines[j].text);
  Lin_RemoveAt(j);
  Lay_MarkModified();
  return LIN_OK;
}

int Lin_RenameMove(LineId id, wch* newName, i32 where) {
  const i32 i = Lin_IndexOf(id);
  if (i < 0) return LIN_NO_SUCH_LINE;
  wch token[LINE_NAME_MAX + 1];
  token[0] = 0;
  if (newName) {
    const int r = Lin_ReadToken(newName, token, nullptr);
    if (r == STR_TOKEN_TOO_LONG) return 4;
    if (r == STR_TOKEN_EMPTY) {
      token[0] = 0;
    } else if (r != STR_TOKEN_OK) {
      return 3;
    }
  }
  i32 target = -1;  // index the line goes to
  if (where == -1) {
    target = i == 0 ? g_lineCount - 1 : i - 1;
  } else if (where == -2) {
    target = i == g_lineCount - 1 ? 0 : i + 1;
  } else if (where != 0) {
    const i32 after = Lin_IndexOf(LineId(where));
    if (after < 0) return LIN_NO_SUCH_LINE;
    target = after < i ? after + 1 : after;
  }
  if (!token[0] && target < 0) return LIN_OK;
  if (token[0]) {
    const i32 other = Lin_FindName(token);
    if (other >= 0 && other != i) {
      Str_Copy(newName, token);
      return LIN_NAME_EXISTS;
    }
    Str_Copy(g_lines[i].name, token);
  }
  if (target >= 0 && target != i) {
    const LineRec rec = g_lines[i];
    Lin_RemoveAt(i);
    Lin_InsertAt(target, rec);
    if (g_linTrains.resort) g_linTrains.resort();
  }
  Lay_MarkModified();
  return LIN_OK;
}

LineId Lin_ReportNameError(int code, const wch* name, int offerCreate) {
  wch text[256];
  if (!name) name = u"";
  switch (code) {
    case -2: {
      // The first character that cannot stand in a name.
      wch bad = u'?';
      for (const wch* p = name; *p; ++p)
        if (!Str_IsNameChar(*p) && *p != u'"' && *p > 32) {
          bad = *p;
          break;
        }
      Fmt_Print(text, 256, u"%s \"%c\": \"%.3s..\"", Lng_GetText(TXT_LIN_BAD_CHAR), bad, name);
      Msg_ErrorText(664, text);
      return 0;
    }
    case -1: Msg_ErrorId(663, TXT_LIN_EMPTY); return 0;
    case 0:
      if (offerCreate) {
        Fmt_Print(text, 256, u"%s: \"%s\" %s", Lng_GetText(TXT_LIN_UNKNOWN), name, Lng_GetText(TXT_LIN_CREATE_ASK));
        if (Msg_Ask(660, text, 0) != 3) return 0;
        LineId id = 0;
        const int r = Lin_Create(name, 0, 0, &id);
        if (r != LIN_OK && r != LIN_COPY_FAILED) {
          Msg_ErrorId(661, TXT_LIN_CREATE_FAILED);
          return 0;
        }
        return id;
      }
      Fmt_Print(text, 256, u"%s: \"%s\"", Lng_GetText(TXT_LIN_UNKNOWN), name);
      Msg_ErrorText(662, text);
      return 0;
    default:
      Fmt_Print(text, 256, u"%s: \"%s...\"", Lng_GetText(TXT_LIN_BAD_NAME), name);
      Msg_ErrorText(665, text);
      return 0;
  }
}

int Lin_GetName(LineId id, wch* buf, int padded) {
  int r = 0;
  const wch* name;
  const i32 i = Lin_IndexOf(id);
  if (id == 0) {
    name = u"*";
    r = 2;
  } else if (i < 0) {
    name = u"?";
    r = 1;
  } else {
    name = g_lines[i].name;
  }
  i32 n = Str_Len(name);
  if (n > LINE_NAME_MAX) n = LINE_NAME_MAX;
  i32 pad = padded ? LINE_NAME_MAX - n : 0;
  Str_Fill(buf, u' ', pad);
  Mem_CopyWide(buf + pad, name, n);
  buf[pad + n] = 0;
  return r;
}

int Lin_StepName(wch* field, i32 step) {
  if (g_lineCount == 0) return 1;
  wch name[LINE_NAME_MAX + 1];
  const wch* p = field + Str_CountLeadingBlanks(field);
  i32 n = 0;
  while (n < LINE_NAME_MAX && p[n] > 32) {
    name[n] = p[n];
    ++n;
  }
  name[n] = 0;
  const i32 i = n ? Lin_FindName(name) : -1;
  i32 target = 0;
  if (i >= 0) {
    const i32 k = (i + step % g_lineCount) % g_lineCount;
    target = k < 0 ? k + g_lineCount : k;
  }
  Str_Copy(field, g_lines[target].name);
  return 0;
}

i32 Lin_GetText(LineId id, wch* buf) {
  const i32 i = Lin_IndexOf(id);
  if (i < 0) return -1;
  const LineRec& r = g_lines[i];
  if (buf && r.textLength > 0) Mem_CopyWide(buf, r.text, r.textLength);
  return r.textLength;
}

int Lin_SetText(LineId id, const wch* text) {
  const i32 i = Lin_IndexOf(id);
  if (i < 0) return -1;
  LineRec& r = g_lines[i];
  wch* block = nullptr;
  i32 length = 0;
  if (text && text[0]) {
    length = Str_Len(text) + 1;
    block = static_cast<wch*>(Heap_Alloc(u32(length) * 2));
    if (!block) return -2;
    Mem_CopyWide(block, text, length);
  }
  if (r.text) Heap_Free(r.text);
  r.text = block;
  r.textLength = length;
  Lay_MarkModified();
  return 0;
}

// ---------------------------------------------------------------- users

i32 Lin_CountUsersInBox(i32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  if (id == 0) return 0;
  static const int kOrder[LIN_MODULE_COUNT] = {LIN_MODULE_TP,       LIN_MODULE_DWX,      LIN_MODULE_STOPS,
                                               LIN_MODULE_SOUND,    LIN_MODULE_TURNOUTS, LIN_MODULE_SHUNTING,
                                               LIN_MODULE_SIGNALS,  LIN_MODULE_LFST};
  const int firstOnly = id > 0;
  const LineId line = LineId(id > 0 ? id : -id);
  i32 count = 0;
  for (int m : kOrder) {
    const LinModuleHooks& h = g_linModules[m];
    if (!h.countInBox) continue;
    const i32 n = h.countInBox(line, x1, y1, level1, x2, y2, level2, firstOnly);
    if (n > 0) {
      if (firstOnly) return 1;
      count += n;
    }
  }
  return count;
}

// ---------------------------------------------------------------- file section

enum : u32 { LIN_TAG = 0x444E494C };  // "LIND"
enum : u16 { LIN_TAG_OLD = 0x494C };  // "LI"
// Longest line text a file may hold (units with the zero); the editor's texts
// are far shorter, so a longer one marks a damaged file.
enum { LIN_TEXT_FILE_MAX = 65536 };

int Lin_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(LIN_TAG)) || (r = Fio_WriteU32(u32(g_lineCount)))) return r;
  for (i32 i = 0; i < g_lineCount; ++i) {
    const LineRec& rec = g_lines[i];
    for (const wch* p = rec.name; *p; ++p)
      if ((r = Fio_WriteU16(*p))) return r;
    if ((r = Fio_WriteU16(0)) || (r = Fio_WriteU32(rec.id)) || (r = Fio_WriteU32(u32(rec.textLength)))) return r;
    for (i32 k = 0; k < rec.textLength; ++k)
      if ((r = Fio_WriteU16(rec.text[k]))) return r;
  }
  return 0;
}

// A name of an older file: 8-bit, blank-padded, converted and stripped of
// leading blanks.
// 0 ok, 2 no byte left where the name starts, 1 a short name.
static int Lin_ReadOldName(u16 version, wch* name) {
  char bytes[9];
  const u32 n = version >= LAYVER_COMPANIONS ? 8 : 6;
  u32 got = Fio_ReadBlock(bytes, n);
  if (got == 0) return 2;
  if (version >= LAYVER_COMPANIONS) {  // the skipped bytes come first
    if (got != n) return 1;
    got = Fio_ReadBlock(bytes, n);
  }
  if (got != n) return 1;
  bytes[n] = 0;
  wch wide[16];
  if (Lng_AnsiToWide(bytes, wide, 16) < 1) wide[0] = 0;
  Str_TrimLeft(wide);
  i32 len = 0;
  while (len < LINE_NAME_MAX && wide[len] > 32) ++len;  // the padding goes too
  Mem_CopyWide(name, wide, len);
  name[len] = 0;
  return 0;
}

int Lin_LoadSection(u16 version) {
  int r;
  u32 count;
  Lin_Clear();
  if (!g_lines && !Lin_Init()) return 4;
  if ((r = LayVer_ReadTag(version, LIN_TAG, LIN_TAG_OLD)) || (r = Fio_ReadField(&count, LayVer_WordBytes(version))))
    return r;
  if (count > LINE_MAX) return 3;
  for (u32 k = 0; k < count; ++k) {
    LineRec rec = {};
    if (version >= LAYVER_WIDE) {
      i32 len = 0;
      for (;;) {
        u16 c;
        if ((r = Fio_ReadU16(&c))) return (len == 0 && r == 1) ? 2 : r;
        if (c == 0) break;
        if (len >= LINE_NAME_MAX) return 3;
        rec.name[len++] = c;
      }
      rec.name[len] = 0;
      if ((r = Fio_ReadU32(&rec.id))) return r;
    } else {
      if ((r = Lin_ReadOldName(version, rec.name))) return r;
      u16 id;
      if ((r = Fio_ReadU16(&id))) return r;
      rec.id = id;
    }
    if (rec.id < 1 || rec.id > LINE_ID_MAX || Lin_IndexOf(rec.id) >= 0) return 3;
    if (version >= LAYVER_LINE_TEXTS) {
      u32 n;
      if ((r = Fio_ReadU32(&n))) return r;
      if (n > LIN_TEXT_FILE_MAX) return 3;
      if (n > 0) {
        rec.text = static_cast<wch*>(Heap_Alloc(n * 2));
        if (!rec.text) return 4;
        for (u32 i = 0; i < n; ++i) {
          u16 c;
          if (Fio_ReadU16(&c)) {
            Heap_Free(rec.text);
            return 1;
          }
          rec.text[i] = c;
        }
        rec.text[n - 1] = 0;  // a text always ends inside its block
        rec.textLength = i32(n);
      }
    }
    g_lines[g_lineCount++] = rec;
  }
  return 0;
}

// ---------------------------------------------------------------- LineCondList

const u32 kLinOptionOrder[LIN_OPTION_COUNT] = {
    LIN_OPT_WINDOWS,    LIN_OPT_NUMBERS,     LIN_OPT_SWITCH_LINE, LIN_OPT_RANGE,      LIN_OPT_CATEGORY,
    LIN_OPT_TYPE,       LIN_OPT_NUMBER,      LIN_OPT_LETTER5,     LIN_OPT_HUNDREDTHS6, LIN_OPT_HUNDREDTHS7,
    LIN_OPT_DIGIT8,     LIN_OPT_DIGIT9,      LIN_OPT_TIMETABLE1,  LIN_OPT_TIMETABLE2, LIN_OPT_THOUSANDTHS,
    LIN_OPT_SIGNED,     LIN_OPT_TIME_OF_DAY, LIN_OPT_LETTER15,    LIN_OPT_LETTER17};

i32 Lin_ListGroupLayout(const u32* list, i32 length, LinGroupLayout* layout) {
  if (!list || length < 2) return 0;
  const u32 n = list[0];
  if (n >= u32(length) - 1) return 0;  // n ids and F must fit
  i32 pos = i32(n) + 1;
  const u32 f = list[pos++];
  if (layout) layout->flags = f;
  for (int k = 0; k < LIN_OPTION_COUNT; ++k) {
    const u32 bit = kLinOptionOrder[k];
    if (layout) layout->offset[k] = -1;
    if (!(f & bit)) continue;
    if (pos >= length) return 0;
    if (layout) layout->offset[k] = pos;
    const u32 c = list[pos];
    u64 words = 1;
    if (bit == LIN_OPT_WINDOWS) words = 1 + 2 * u64(c);
    else if (bit == LIN_OPT_NUMBERS) words = 1 + u64(c);
    else if (bit == LIN_OPT_TIMETABLE1 || bit == LIN_OPT_TIMETABLE2) words = 1 + 4 * u64(c);
    else if (bit == LIN_OPT_LETTER17 && c != 0 && (c & 4)) words = 3;
    if (words > u64(length - pos)) return 0;
    pos += i32(words);
  }
  if (layout) layout->length = pos;
  return pos;
}

i32 Lin_ListGroupLength(const u32* list, i32 length) { return Lin_ListGroupLayout(list, length, nullptr); }

i32 Lin_ListSkipGroups(const u32* list, i32 length, i32 n) {
  i32 pos = 0;
  for (i32 g = 0; g < n && pos < length; ++g) {
    const i32 len = Lin_ListGroupLength(list + pos, length - pos);
    if (!len) return -1;
    pos += len;
  }
  return pos;
}

i32 Lin_ListCountGroups(const u32* list, i32 length) {
  i32 pos = 0, groups = 0;
  while (pos < length) {
    const i32 len = Lin_ListGroupLength(list + pos, length - pos);
    if (!len) return -1;
    pos += len;
    ++groups;
  }
  return groups;
}

static int Lin_OptionIndex(u32 bit) {
  for (int k = 0; k < LIN_OPTION_COUNT; ++k)
    if (kLinOptionOrder[k] == bit) return k;
  return -1;
}

int Lin_ListContains(const u32* list, i32 length, LineId id) {
  const int sw = Lin_OptionIndex(LIN_OPT_SWITCH_LINE);
  int result = 0;
  i32 pos = 0;
  while (pos < length) {
    LinGroupLayout g;
    if (!Lin_ListGroupLayout(list + pos, length - pos, &g)) break;
    const u32* p = list + pos;
    for (u32 i = 0; i < p[0]; ++i)
      if (p[1 + i] == id) return 1;
    if (g.offset[sw] >= 0 && p[g.offset[sw]] == id) result = 2;
    pos += g.length;
  }
  return result;
}

// Removes count words at index from a list of length words; the new length.
static i32 Lin_CutWords(u32* list, i32 length, i32 index, i32 count) {
  Mem_Move(list + index, list + index + count, (length - index - count) * 4);
  return length - count;
}

i32 Lin_ListRemove(u32* list, i32 length, LineId id, int wholeGroups) {
  if (id == 0 || length <= 0) return length;
  const int sw = Lin_OptionIndex(LIN_OPT_SWITCH_LINE);
  i32 pos = 0;
  while (pos < length) {
    LinGroupLayout g;
    if (!Lin_ListGroupLayout(list + pos, length - pos, &g)) break;
    u32* p = list + pos;
    const u32 n = p[0];
    u32 named = 0;
    for (u32 i = 0; i < n; ++i)
      if (p[1 + i] == id) ++named;
    const bool switchIsId = g.offset[sw] >= 0 && p[g.offset[sw]] == id;
    if (named) {
      if (named == n || switchIsId) {
        length = Lin_CutWords(list, length, pos, g.length);
        continue;
      }
      for (u32 i = 0; i < p[0];) {
        if (p[1 + i] == id) {
          length = Lin_CutWords(list, length, pos + 1 + i32(i), 1);
          --p[0];
        } else {
          ++i;
        }
      }
      pos += g.length - i32(named);
      continue;
    }
    if (switchIsId) {
      if (wholeGroups && (g.flags & ~(LIN_OPT_WINDOWS | LIN_OPT_SWITCH_LINE)) == 0) {
        length = Lin_CutWords(list, length, pos, g.length);
        continue;
      }
      p[n + 1] &= ~u32(LIN_OPT_SWITCH_LINE);
      length = Lin_CutWords(list, length, pos + g.offset[sw], 1);
      pos += g.length - 1;
      continue;
    }
    pos += g.length;
  }
  return length;
}

// Calls fn(depotWord, placeWord) for the depot places of the timetable
// entries and of the depot-place option.
template <typename Fn>
static void Lin_ForEachDepotPlace(u32* list, i32 length, int skipKind24, Fn fn) {
  const int t1 = Lin_OptionIndex(LIN_OPT_TIMETABLE1), t2 = Lin_OptionIndex(LIN_OPT_TIMETABLE2);
  const int l17 = Lin_OptionIndex(LIN_OPT_LETTER17);
  i32 pos = 0;
  while (pos < length) {
    LinGroupLayout g;
    if (!Lin_ListGroupLayout(list + pos, length - pos, &g)) break;
    u32* p = list + pos;
    const int tables[2] = {t1, t2};
    for (int t : tables) {
      if (g.offset[t] < 0) continue;
      u32* e = p + g.offset[t];
      for (u32 i = 0; i < e[0]; ++i) {
        u32* entry = e + 1 + 4 * i;
        if (skipKind24 && ((entry[0] >> 16) & 0xFF) == 24) continue;
        fn(&entry[1], &entry[2]);
      }
    }
    if (g.offset[l17] >= 0) {
      u32* w = p + g.offset[l17];
      if (w[0] != 0 && (w[0] & 4)) fn(&w[1], &w[2]);
    }
    pos += g.length;
  }
}

void Lin_ListClearDepotPlaces(u32* list, i32 length, u32 depot, u32 place) {
  Lin_ForEachDepotPlace(list, length, 0, [&](u32* d, u32* p) {
    if (*d == depot && (place == 0 || (*p & 0x7FFF) == place)) *d = 0;
  });
}

void Lin_ListRenumberDepotPlace(u32* list, i32 length, u32 depot, u32 newPlace, u32 oldPlace) {
  Lin_ForEachDepotPlace(list, length, 1, [&](u32* d, u32* p) {
    if (*d == depot && (*p & ~u32(0x8000)) == oldPlace) *p = (*p & 0x8000) | newPlace;
  });
}

int Lin_ListAddBeside(const u32* list, i32 length, u32* out, i32* outLength, LineId newId, LineId oldId) {
  i32 o = 0;
  if (newId == 0 || length <= 0) {
    if (length > 0) Mem_Copy(out, list, (length < LINE_LIST_MAX ? length : LINE_LIST_MAX) * 4);
    *outLength = length > 0 ? (length < LINE_LIST_MAX ? length : LINE_LIST_MAX) : 0;
    return -1;
  }
  i32 grown = 0, stuck = 0, pos = 0;
  while (pos < length) {
    i32 len = Lin_ListGroupLength(list + pos, length - pos);
    if (!len) len = length - pos;  // a damaged tail is copied as it is
    const u32* p = list + pos;
    i32 at = -1;
    if (len > 1 && p[0] < u32(len))
      for (u32 i = 0; i < p[0]; ++i)
        if (p[1 + i] == oldId) at = i32(i);
    const i32 rest = length - pos - len;  // words still to come after this group
    if (at >= 0 && p[0] < LINE_GROUP_IDS && o + len + 1 + rest <= LINE_LIST_MAX) {
      out[o++] = p[0] + 1;
      for (i32 i = 0; i <= at; ++i) out[o++] = p[1 + i];
      out[o++] = newId;
      for (i32 i = 1 + at + 1; i < len; ++i) out[o++] = p[i];
      ++grown;
    } else {
      if (at >= 0) ++stuck;
      if (o + len > LINE_LIST_MAX) break;
      Mem_Copy(out + o, p, len * 4);
      o += len;
    }
    pos += len;
  }
  *outLength = o;
  if (!stuck) return 0;
  return grown ? -3 : -2;
}

// ---------------------------------------------------------------- number lists

int Lin_NumberListMatch(const u32* list, u32 value) {
  const u32 n = list[0];
  if (n == 0) return 2;
  const u32* items = list + 1;
  for (u32 i = 0; i < n; ++i) {
    if (items[i] == 0xFFFFFFFFu) continue;
    if (i + 2 < n && items[i + 1] == 0xFFFFFFFFu) {
      if (value >= items[i] && value <= items[i + 2]) return 1;
      i += 2;
      continue;
    }
    if (items[i] == value) return 1;
  }
  return 0;
}

int Lin_NumberListsShare(const u32* listA, const u32* listB) {
  const u32 n = listA[0];
  if (n == 0 || listB[0] == 0) return 2;
  const u32* items = listA + 1;
  for (u32 i = 0; i < n; ++i) {
    if (items[i] == 0xFFFFFFFFu) continue;
    if (i + 2 < n && items[i + 1] == 0xFFFFFFFFu) {
      for (u32 v = items[i]; v <= items[i + 2] && v != 0xFFFFFFFFu; ++v)
        if (Lin_NumberListMatch(listB, v) == 1) return 1;
      i += 2;
      continue;
    }
    if (Lin_NumberListMatch(listB, items[i]) == 1) return 1;
  }
  return 0;
}

// ---------------------------------------------------------------- matching

i32 Lin_ListMatch(const u32* list, i32 length, LineId line, u32* windowEnd, u32* flags, u32 time, u32 number) {
  const int win = Lin_OptionIndex(LIN_OPT_WINDOWS), num = Lin_OptionIndex(LIN_OPT_NUMBERS);
  i32 pos = 0;
  while (pos < length) {
    LinGroupLayout g;
    if (!Lin_ListGroupLayout(list + pos, length - pos, &g)) break;
    const u32* p = list + pos;
    bool lineOk = false;
    for (u32 i = 0; i < p[0] && !lineOk; ++i) lineOk = p[1 + i] == line || p[1 + i] == 0;
    u32 end = 0;
    bool ok = lineOk;
    if (ok && g.offset[win] >= 0) {
      const u32* w = p + g.offset[win];
      ok = false;
      for (u32 i = 0; i < w[0]; ++i)
        if (Clk_InWindow(time, w[1 + 2 * i], w[2 + 2 * i])) {
          ok = true;
          end = w[2 + 2 * i];
          break;
        }
    }
    if (ok && g.offset[num] >= 0 && number != 0) ok = Lin_NumberListMatch(p + g.offset[num], number) != 0;
    if (ok) {
      if (windowEnd) *windowEnd = end;
      if (flags) *flags = g.flags;
      i32 first = i32(p[0]) + 2;
      if (g.offset[win] >= 0) first += 1 + 2 * i32(p[g.offset[win]]);
      if (g.offset[num] >= 0) first += 1 + i32(p[g.offset[num]]);
      return pos + first;
    }
    pos += g.length;
  }
  return -1;
}

// The end of a window as a position of the week: an end without a weekday
// takes the weekday of at, or the next weekday when the end is 0:00 or not
// later than at's time.
static u32 Lin_WindowEndAfter(u32 end, u32 at) {
  if ((end >> 24) & 0x7F && ((end >> 24) & 0x7F) != 127) return end;
  u32 day = Clk_FirstWeekdayBit((at >> 24) & 0x7F);
  if (!day) day = 1;
  if ((end & 0xFFFFFF) == 0 || (end & 0xFFFFFF) <= (at & 0xFFFFFF)) day = day == 64 ? 1 : day << 1;
  return day << 24 | (end & 0xFFFFFF);
}

int Lin_ListMatchNow(const u32* list, i32 length, LineId line, u32* until, u32 number) {
  const u32 now = Clk_Now();
  u32 end = 0;
  if (Lin_ListMatch(list, length, line, &end, nullptr, now, number) < 0) {
    if (until) *until = now;
    return 0;
  }
  if (!until) return 1;
  if (end == 0) {
    *until = now;
    return 0;
  }
  // Each matching window hands over to the next; a week of windows at most.
  u32 from = now;
  for (int step = 0; step < 7 * 24 * 4; ++step) {
    const u32 to = Lin_WindowEndAfter(end, from);
    if (Clk_InWindow(*until, from, to)) return 1;
    u32 next = 0;
    if (to == now || Lin_ListMatch(list, length, line, &next, nullptr, to, number) < 0 || next == 0) {
      *until = to;
      return 0;
    }
    from = to;
    end = next;
  }
  *until = from;
  return 0;
}

// ---------------------------------------------------------------- LinePairList

i32 Lin_PairListSkip(const u32* list, i32 length, i32 n) {
  const i32 pos = 2 * n;
  return pos < length ? pos : length;
}

i32 Lin_PairListCount(const u32* list, i32 length) { return length / 2; }

i32 Lin_PairListRemove(u32* list, i32 length, LineId id, u32 value) {
  i32 o = 0;
  for (i32 i = 0; i + 1 < length; i += 2) {
    if (list[i] == id && (value == 0 || list[i + 1] == value)) continue;
    list[o++] = list[i];
    list[o++] = list[i + 1];
  }
  return o;
}

i32 Lin_PairListReplace(u32* list, i32 length, LineId oldId, LineId newId, u32 value) {
  i32 changed = 0;
  for (i32 i = 0; i + 1 < length; i += 2)
    if (list[i] == oldId && (value == 0 || list[i + 1] == value)) {
      list[i] = newId;
      ++changed;
    }
  return changed;
}

int Lin_PairListContains(const u32* list, i32 length, LineId id, u32 value) {
  for (i32 i = 0; i + 1 < length; i += 2)
    if (list[i] == id && (value == 0 || list[i + 1] == 0 || list[i + 1] == value)) return 1;
  return 0;
}

i32 Lin_PairListFromOld(const u16* list, i32 length, u32* out) {
  for (i32 i = 0; i < length; ++i) {
    out[2 * i] = list[i];
    out[2 * i + 1] = 0;
  }
  return length > 0 ? 2 * length : 0;
}

// ---------------------------------------------------------------- old list forms

enum : u16 { LIN_OLD_WINDOW = 0x8000, LIN_OLD_SWITCH = 0x4000 };

// PackedWeekTime of every weekday from an old time word h << 8 | m.
static u32 Lin_OldTime(u16 w) { return 127u << 24 | u32(w >> 8) << 16 | u32(w & 0xFF) << 8; }

i32 Lin_ListFromOldPairs(const u16* pairs, i32 length, u32* out) {
  i32 n = 0, i = 0;
  while (i < length) {
    if (i + 2 > length) return -1;
    const u16 id = pairs[i], flags = pairs[i + 1];
    i += 2;
    const i32 extra = ((flags & LIN_OLD_WINDOW) ? 2 : 0) + ((flags & LIN_OLD_SWITCH) ? 1 : 0);
    if (i + extra > length) return -1;
    out[n++] = 1;
    out[n++] = id;
    out[n++] = flags & (LIN_OLD_WINDOW | LIN_OLD_SWITCH);
    if (flags & LIN_OLD_WINDOW) {
      const u16 from = pairs[i], to = pairs[i + 1];
      i += 2;
      u32 f = Lin_OldTime(from), t;
      if ((from >> 8) >= 24 || (to >> 8) >= 24) {
        // Hour 24: the whole day.
        f = t = 127u << 24;
      } else {
        u32 h = to >> 8, m = (to & 0xFF) + 1;
        if (m >= 60) m = 0, h = (h + 1) % 24;
        t = 127u << 24 | h << 16 | m << 8;
      }
      out[n++] = 1;
      out[n++] = f;
      out[n++] = t;
    }
    if (flags & LIN_OLD_SWITCH) out[n++] = pairs[i++];
  }
  return n;
}

i32 Lin_OldListSplit(u16* list, i32 length) {
  // Walks from the end so that each group moves once, into room behind it.
  i32 groups[LINE_LIST_MAX];
  i32 count = 0;
  for (i32 i = 0; i < length;) {
    if (count >= LINE_LIST_MAX) return -1;
    groups[count++] = i;
    const u16 w = list[i];
    i += 1 + ((w & LIN_OLD_WINDOW) ? 2 : 0) + ((w & LIN_OLD_SWITCH) ? 1 : 0);
    if (i > length) return -1;
  }
  i32 end = length;
  for (i32 g = count - 1; g >= 0; --g) {
    const i32 at = groups[g];
    const i32 len = end - at;
    Mem_MoveWide(reinterpret_cast<wch*>(list) + at + g + 1, reinterpret_cast<wch*>(list) + at, len);
    const u16 w = list[at + g + 1];
    list[at + g] = u16(w & 0x33FF);
    list[at + g + 1] = u16(w & 0xCC00);
    end = at;
  }
  // The moves above shift each group by its index: group g starts at its
  // old place + g and is one word longer.
  return length + count;
}

// ---------------------------------------------------------------- applying a list to a train

int Lin_ListApply(const u32* list, i32 length, LineId* line, LinApplyOut* out, u32* trainFlags, u32 defDepot,
                  u32 defPlace, u32 number) {
  if (!list || length <= 0) return 2;
  const i32 first = Lin_ListMatch(list, length, *line, nullptr, nullptr, Clk_Now(), number);
  if (first < 0) return 0;
  i32 pos = 0;
  LinGroupLayout g = {};
  while (pos < length) {
    if (!Lin_ListGroupLayout(list + pos, length - pos, &g)) return 0;
    if (first > pos && first <= pos + g.length) break;
    pos += g.length;
  }
  LinApplyOut o = {};
  o.flags = g.flags;
  for (int k = 0; k < LIN_OPTION_COUNT; ++k) o.word[k] = g.offset[k] >= 0 ? pos + g.offset[k] : -1;
  const i32 sw = o.word[Lin_OptionIndex(LIN_OPT_SWITCH_LINE)];
  if (sw >= 0) *line = list[sw];
  u32 f = *trainFlags;
  const i32 w15 = o.word[Lin_OptionIndex(LIN_OPT_LETTER15)];
  if (w15 >= 0) {
    const u32 w = list[w15];
    if (w == 0) {
      if (f & 0x400) f &= ~0x8400u;
    } else if (!(f & 0x1) && (w & 1)) {
      f |= 0x400;
      f = (w & 2) ? (f | 0x8000) : (f & ~0x8000u);
    }
  }
  const i32 w17 = o.word[Lin_OptionIndex(LIN_OPT_LETTER17)];
  if (w17 >= 0) {
    const u32 w = list[w17];
    if (w == 0) {
      if (f & 0x1) f &= ~0x8001u;
    } else if (w & 1) {
      u32 depot = defDepot, place = defPlace;
      if ((w & 4) && list[w17 + 1] && list[w17 + 2]) depot = list[w17 + 1], place = list[w17 + 2] & 0x7FFF;
      if (place >= 1 && place <= 99 && Dep_Find(depot, place, nullptr)) {
        if (f & 0x400) f &= ~0x8400u;
        f |= 0x1;
        f = (w & 2) ? (f | 0x8000) : (f & ~0x8000u);
        o.depot = depot;
        o.place = place;
      }
    }
  }
  *trainFlags = f;
  if (out) *out = o;
  return 1;
}

// ---------------------------------------------------------------- clipboard

enum : TextId { TXT_LIN_PROGRESS = 12007, TXT_LIN_PASTE_ASK = 12125 };
enum { LIN_CLIP_LINE = 120, LIN_ASK_CREATE = 120, LIN_ASK_CREATE_ALL = 121, LIN_ASK_SKIP_ALL = 123 };

static LinPasteHooks g_linPaste;

void Lin_SetPasteHooks(const LinPasteHooks* hooks) { g_linPaste = hooks ? *hooks : LinPasteHooks{}; }

int Lin_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  Msg_InfoUpdate(Lng_GetText(TXT_LIN_PROGRESS));
  int r = Clip_AppendLine(u"LIN_A");
  if (r) return r;
  wch line[LIN_CLIP_LINE];
  for (i32 i = 0; i < g_lineCount; ++i) {
    const LineRec& rec = g_lines[i];
    if (!Lin_CountUsersInBox(i32(rec.id), x1, y1, level1, x2, y2, level2)) continue;
    const wch* name = rec.name;
    while (*name == u' ') ++name;
    Fmt_Print(line, LIN_CLIP_LINE, u"\"%s\",%i", name, rec.textLength);
    if ((r = Clip_AppendLine(line))) return r;
    if (rec.textLength > 0 && (r = Clip_AppendText(rec.text, rec.textLength))) return r;
  }
  return Clip_AppendLine(u"LIN_E");
}

int Lin_PasteFromClip(i32* lineNo) {
  Msg_InfoUpdate(Lng_GetText(TXT_LIN_PROGRESS));
  i32 at = *lineNo + 1;
  int result = 0;
  int answerAll = 0;  // 0 ask, 1 create all, 2 skip all
  wch buf[LIN_CLIP_LINE + 1];
  static wch text[CLIP_TEXT_MAX];
  for (;;) {
    if (Clip_ReadLine(at++, LIN_CLIP_LINE + 1, buf)) return 2;
    if (buf[0] != u'"') {
      if (Str_CompareOs(buf, u"LIN_E", 0) != 0) return 2;
      break;
    }
    wch name[LINE_NAME_SIZE + 2];
    const i32 pos = Clip_ScanQuoted(buf, name, LINE_NAME_SIZE + 1);
    u32 length = 0;
    if (pos < 0 || Clip_ScanFields(buf + pos, "i", &length) < 0 || i32(length) < 0) return 2;
    if (i32(length) > 0 && Clip_ReadText(&at, text, i32(length))) return 2;
    const i32 known = Lin_FindByName(name);
    if (known < 0) return 2;
    if (known > 0) continue;
    int create = answerAll == 1;
    if (answerAll == 0) {
      const int answer = g_linPaste.askCreate ? g_linPaste.askCreate(name) : LIN_ASK_CREATE_ALL;
      if (answer == LIN_ASK_CREATE_ALL) answerAll = 1;
      if (answer == LIN_ASK_SKIP_ALL) answerAll = 2;
      create = answer == LIN_ASK_CREATE || answer == LIN_ASK_CREATE_ALL;
    }
    if (!create) continue;
    LineId id = 0;
    const int r = Lin_Create(name, 0, 0, &id);
    if (r == LIN_FULL) {
      result = 1;
      continue;
    }
    if (r != LIN_OK) return 2;
    if (i32(length) > 1 && Lin_SetText(id, text) != 0) result = 3;
  }
  *lineNo = at;
  return result;
}

// ---------------------------------------------------------------- text listing

enum : TextId { TXT_LIN_EXPORT_HEAD = 12100, TXT_LIN_EXPORT_COLUMNS = 12101, TXT_LIN_EXPORT_TEXT = 12102 };

int Lin_ExportText(wch separator, int withTexts) {
  wch line[300];
  int r;
  Fmt_Print(line, 300, Lng_GetText(TXT_LIN_EXPORT_HEAD), u32(g_lineCount));
  if ((r = Fio_WriteString(line)) || (r = Fio_WriteCrLf())) return r;
  if ((r = Fio_WriteString(Lng_GetText(TXT_LIN_EXPORT_COLUMNS))) || (r = Fio_WriteCrLf())) return r;
  for (i32 i = 0; i < g_lineCount; ++i) {
    const LineRec& rec = g_lines[i];
    u32 c[4] = {};
    if (g_linTrains.countByLine) g_linTrains.countByLine(rec.id, c);
    wch name[LINE_NAME_SIZE];
    Lin_GetName(rec.id, name, 1);
    Fmt_Print(line, 300, u"%8s%c   %4u%c   %4u%c   %4u%c   %4u%c   %4u", name, separator, c[0], separator, c[1],
              separator, c[2], separator, c[3], separator, c[0] + c[3] - c[2] - c[1]);
    if ((r = Fio_WriteString(line)) || (r = Fio_WriteCrLf())) return r;
    if (withTexts && rec.textLength > 1) {
      if ((r = Fio_WriteString(Lng_GetText(TXT_LIN_EXPORT_TEXT))) || (r = Fio_WriteCrLf()) ||
          (r = Fio_WriteString(rec.text)) || (r = Fio_WriteCrLf()))
        return r;
    }
  }
  return Fio_WriteSeparator();
}

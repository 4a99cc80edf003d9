#include "platform/lng.h"

#include <string.h>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"

// A text line holds at most this many units; a longer line is cut and its
// rest read as the next line, so a damaged file is refused at its number check.
enum { LNG_LINE_MAX = 249 };
enum { LNG_GROW = 4096, LNG_NAME_MAX = 512, LNG_TABLE2_FIRST = 40000, LNG_RECORD_HEAD = 8 };
enum { LNG_INFO_SLOTS = 3 };

// Message numbers and texts of this module.
enum {
  LNG_WARN_RELOAD_DIFFERS = 580,
  LNG_WARN_BAD_LINE = 581,
  LNG_WARN_NOT_RISING = 582,
  LNG_WARN_LETTERS_MISSING = 583,
  LNG_WARN_LETTERS_BAD = 584
};
enum {
  LNG_TEXT_RELOAD_DIFFERS = 3600,
  LNG_TEXT_BAD_LINE = 3601,
  LNG_TEXT_NOT_RISING = 3602,
  LNG_TEXT_LETTERS_MISSING = 3613,
  LNG_TEXT_LETTERS_BAD = 3614
};

// Packed records: u32 id, u32 length in units with the zero, the units.
// Records follow each other without padding, so the two words of a record
// may stand at any even offset and are read byte-wise.
struct LngTable {
  u8* block;
  u32 used;   // bytes in use
  u32 cap;    // bytes allocated
  u32 count;  // records
  int cacheValid;
  u32 cacheId;
  u32 cacheOffset;
  u32 cacheLength;
  wch fileName[LNG_NAME_MAX + 1];
};

// Index 0: ids below 40000 ("orba.lng"), index 1: from 40000 ("orba.lnv").
static LngTable g_lngTables[2];
static LngTable g_lngLetters;

static wch g_lngMissing[24];
static char g_lngMissingA[24];
static char g_lngTextA[2 * LNG_LINE_MAX + 8];

static int g_lngCpAnsiUni = -1;
static int g_lngCpUniAnsi = -1;

static wch* g_lngInfo[LNG_INFO_SLOTS];
static const u32 kLngInfoUnits[LNG_INFO_SLOTS] = {81, 81, 20001};

static const wch kLngLetterFile[] = u"orba.lnx";

// ---------------------------------------------------------------- records

static u32 Lng_PeekU32(const u8* p) {
  u32 v;
  memcpy(&v, p, 4);
  return v;
}

static void Lng_PokeU32(u8* p, u32 v) { memcpy(p, &v, 4); }

static void Lng_ResetCache(LngTable* t) {
  t->cacheValid = 0;
  t->cacheId = 0;
  t->cacheOffset = 0;
  t->cacheLength = 0;
}

static void Lng_FreeTable(LngTable* t) {
  if (t->block) Heap_Free(t->block);
  t->block = nullptr;
  t->used = t->cap = t->count = 0;
  t->fileName[0] = 0;
  Lng_ResetCache(t);
}

// Appends one record; 0 ok, 1 no memory (the block stays as it was).
static int Lng_AppendRecord(LngTable* t, u32 id, const wch* text, u32 length) {
  u32 need = LNG_RECORD_HEAD + 2 * length;
  if (t->used > 0xFFFFFFFFu - need - LNG_GROW) return 1;
  if (t->used + need > t->cap) {
    u32 cap = t->cap;
    while (t->used + need > cap) cap += LNG_GROW;
    u8* p = t->block ? (u8*)Heap_Realloc(t->block, cap) : (u8*)Heap_Alloc(cap);
    if (!p) return 1;
    t->block = p;
    t->cap = cap;
  }
  u8* r = t->block + t->used;
  Lng_PokeU32(r, id);
  Lng_PokeU32(r + 4, length);
  memcpy(r + LNG_RECORD_HEAD, text, 2 * length);
  t->used += need;
  t->count++;
  return 0;
}

// Offset of the record with the id, or -1; uses and renews the cache.
static i64 Lng_FindRecord(LngTable* t, u32 id) {
  if (!t->block || t->count == 0) return -1;
  if (t->cacheValid && t->cacheId == id) return t->cacheOffset;
  u32 off = (t->cacheValid && id > t->cacheId) ? t->cacheOffset : 0;
  while (off + LNG_RECORD_HEAD <= t->used) {
    u32 rid = Lng_PeekU32(t->block + off);
    u32 len = Lng_PeekU32(t->block + off + 4);
    if (rid == id) {
      t->cacheValid = 1;
      t->cacheId = id;
      t->cacheOffset = off;
      t->cacheLength = len;
      return off;
    }
    if (rid > id) break;  // ids rise
    off += LNG_RECORD_HEAD + 2 * len;
  }
  return -1;
}

// The first id held by only one of the two tables, 0 when they hold the same.
static u32 Lng_FirstDifference(const LngTable* a, const LngTable* b) {
  u32 offA = 0, offB = 0;
  for (;;) {
    int moreA = offA < a->used, moreB = offB < b->used;
    if (!moreA && !moreB) return 0;
    if (!moreA) return Lng_PeekU32(b->block + offB);
    if (!moreB) return Lng_PeekU32(a->block + offA);
    u32 idA = Lng_PeekU32(a->block + offA), idB = Lng_PeekU32(b->block + offB);
    if (idA != idB) return idA < idB ? idA : idB;
    offA += LNG_RECORD_HEAD + 2 * Lng_PeekU32(a->block + offA + 4);
    offB += LNG_RECORD_HEAD + 2 * Lng_PeekU32(b->block + offB + 4);
  }
}

// ---------------------------------------------------------------- lines

// One character of look-ahead, for the character that would overflow a line
// and for a line end met where an escape letter or digit was expected.
struct LngReader {
  int havePending;
  u32 pending;
};

static int Lng_NextChar(LngReader* r, u32* ch) {
  if (r->havePending) {
    r->havePending = 0;
    *ch = r->pending;
    return 0;
  }
  return Fio_ReadChar(ch);
}

static void Lng_PutBack(LngReader* r, u32 ch) {
  r->havePending = 1;
  r->pending = ch;
}

static int Lng_EndOfStream(void) {
  if (Fio_IsReadOpen()) Fio_CloseRead();
  return 2;
}

static int Lng_HexValue(u32 c) {
  if (c >= '0' && c <= '9') return int(c - '0');
  if (c >= 'a' && c <= 'f') return int(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return int(c - 'A' + 10);
  return -1;
}

// Reads the four hex digits of "#U" and gives the unit they spell, or '?' with
// *flag set when fewer follow (the first non-digit is read again). 2 on a
// read error (the stream is then closed), else 0.
static int Lng_ReadHexEscape(LngReader* r, wch* unit, int* flag) {
  u32 code = 0;
  int digits = 0;
  for (; digits < 4; ++digits) {
    u32 d;
    const int rc = Lng_NextChar(r, &d);
    if (rc == 2) return Lng_EndOfStream();
    if (rc == 1) break;
    const int v = Lng_HexValue(d);
    if (v < 0) {
      Lng_PutBack(r, d);
      break;
    }
    code = code * 16 + u32(v);
  }
  if (digits == 4) {
    *unit = wch(code);
  } else {
    *unit = u'?';
    *flag = 1;
  }
  return 0;
}

// Reads the character after a "#" and puts what the pair stands for at
// buf + *n, advancing *n; *flag is set when the pair is bad or what it stands
// for does not fit. 0 go on, 1 the line ends here (a "#" as the last
// character of the file), 2 a read error (the stream is then closed).
static int Lng_ReadEscape(LngReader* r, wch* buf, u32* n, int* flag) {
  u32 e;
  const int rc = Lng_NextChar(r, &e);
  if (rc == 2) return Lng_EndOfStream();
  if (rc == 1) {
    buf[(*n)++] = u'?';
    *flag = 1;
    return 1;
  }
  switch (e) {
    case u'n':
      if (*n < LNG_LINE_MAX - 1) {
        buf[(*n)++] = 13;
        buf[(*n)++] = 10;
      } else {
        buf[(*n)++] = u' ';
        *flag = 1;
      }
      return 0;
    case u't': buf[(*n)++] = 9; return 0;
    case u'H': buf[(*n)++] = u'&'; return 0;
    case u'#': buf[(*n)++] = u'#'; return 0;
    case u'0': buf[(*n)++] = 0; return 0;
    case u'1': buf[(*n)++] = u' '; return 0;
    case u'2':
      buf[(*n)++] = u' ';
      if (*n < LNG_LINE_MAX) buf[(*n)++] = u' ';
      else *flag = 1;
      return 0;
    case u'U': return Lng_ReadHexEscape(r, &buf[(*n)++], flag);
    default:
      if (e < 32) Lng_PutBack(r, e);  // the line ends here
      buf[(*n)++] = u'?';
      *flag = 1;
      return 0;
  }
}

// Skips line ends, control characters and ";" comment lines; gives the first
// character of the next line that has text. 2 at the end of the file or on a
// read error (the stream is then closed), else 0.
static int Lng_SkipToText(LngReader* r, u32* c) {
  for (;;) {
    if (Lng_NextChar(r, c)) return Lng_EndOfStream();
    if (*c < 32) continue;
    if (*c != u';') return 0;
    do {
      if (Lng_NextChar(r, c)) return Lng_EndOfStream();
    } while (*c >= 32);
  }
}

// Reads one line into buf (LNG_LINE_MAX + 1 units) and gives its length with
// the zero. 0 ok, 1 ok but cut or a bad escape, 2 end of file or read error
// before any character of a line (the stream is then closed). A last line
// without a line end still counts as a line.
static int Lng_ReadLine(LngReader* r, wch* buf, u32* length) {
  u32 c;
  if (Lng_SkipToText(r, &c)) return 2;
  u32 n = 0;
  int flag = 0;
  for (;;) {
    if (n >= LNG_LINE_MAX) {
      Lng_PutBack(r, c);
      flag = 1;
      break;
    }
    if (c != u'#') {
      buf[n++] = wch(c);
    } else {
      const int rc = Lng_ReadEscape(r, buf, &n, &flag);
      if (rc == 2) return 2;
      if (rc == 1) break;
    }
    const int rc = Lng_NextChar(r, &c);
    if (rc == 2) return Lng_EndOfStream();
    if (rc == 1 || c < 32) break;
  }
  buf[n] = 0;
  *length = n + 1;
  return flag;
}

// "%u" of a number line: leading blanks, then digits; what follows them is
// ignored. 0 when there is no number or it does not fit 32 bits.
static int Lng_ParseNumber(const wch* s, u32* value) {
  while (*s == u' ' || *s == 9) ++s;
  if (*s < u'0' || *s > u'9') return 0;
  u64 v = 0;
  for (; *s >= u'0' && *s <= u'9'; ++s) {
    v = v * 10 + u32(*s - u'0');
    if (v > 0xFFFFFFFFu) return 0;
  }
  *value = u32(v);
  return 1;
}

// ---------------------------------------------------------------- interface

int Lng_Init(void) {
  for (int i = 0; i < LNG_INFO_SLOTS; ++i) {
    if (g_lngInfo[i]) continue;
    g_lngInfo[i] = (wch*)Heap_Alloc(kLngInfoUnits[i] * 2);
    if (!g_lngInfo[i]) {
      for (int j = 0; j < LNG_INFO_SLOTS; ++j) {
        if (g_lngInfo[j]) Heap_Free(g_lngInfo[j]);
        g_lngInfo[j] = nullptr;
      }
      return 1;
    }
    memset(g_lngInfo[i], 0, kLngInfoUnits[i] * 2);
  }
  return 0;
}

void Lng_Exit(void) {
  for (int i = 0; i < LNG_INFO_SLOTS; ++i) {
    if (g_lngInfo[i]) Heap_Free(g_lngInfo[i]);
    g_lngInfo[i] = nullptr;
  }
  Lng_FreeTable(&g_lngTables[0]);
  Lng_FreeTable(&g_lngTables[1]);
  Lng_FreeTable(&g_lngLetters);
}

static void Lng_CopyName(wch* dst, const wch* src) {
  u32 i = 0;
  for (; src[i] && i < LNG_NAME_MAX; ++i) dst[i] = src[i];
  dst[i] = 0;
}

int Lng_LoadFile(const wch* name, int which) {
  LngTable* table = which ? &g_lngTables[0] : &g_lngTables[1];
  Lng_ResetCache(&g_lngTables[0]);
  Lng_ResetCache(&g_lngTables[1]);
  if (!name || !name[0]) return 1;

  // A bare name lies in the program folder; a chosen file anywhere else
  // comes with its path.
  const int folder = (Str_FindChar(name, u'\\') || Str_FindChar(name, u'/') || Str_FindChar(name, u':'))
                         ? FOLDER_FULLPATH
                         : FOLDER_PROGRAM;
  int rc = Fio_OpenRead(name, FIO_UTF16LE, folder);
  if (rc == 2) rc = Fio_OpenRead(name, 0, folder);  // no mark: 8-bit text
  if (rc) return rc;

  LngTable fresh;
  memset(&fresh, 0, sizeof fresh);
  LngReader reader = {0, 0};
  wch line[LNG_LINE_MAX + 1];
  u32 length;
  u32 previous = 0, offending = 0;
  enum { DONE, READ_FAILED, BAD_LINE, NOT_RISING, NO_MEMORY } outcome;
  for (;;) {
    if (Lng_ReadLine(&reader, line, &length) == 2) {
      outcome = READ_FAILED;
      break;
    }
    if (line[0] == u'.') {
      outcome = DONE;
      break;
    }
    u32 id;
    if (!Lng_ParseNumber(line, &id)) {
      outcome = BAD_LINE;
      break;
    }
    if (id <= previous) {
      offending = id;
      outcome = NOT_RISING;
      break;
    }
    if (which ? id >= LNG_TABLE2_FIRST : id < LNG_TABLE2_FIRST) {
      outcome = BAD_LINE;
      break;
    }
    if (Lng_ReadLine(&reader, line, &length) == 2) {
      outcome = READ_FAILED;
      break;
    }
    if (Lng_AppendRecord(&fresh, id, line, length)) {
      outcome = NO_MEMORY;
      break;
    }
    previous = id;
  }
  if (Fio_IsReadOpen()) Fio_CloseRead();

  if (outcome != DONE) {
    if (fresh.block) Heap_Free(fresh.block);
    wch msg[LNG_LINE_MAX + 48];
    switch (outcome) {
      case READ_FAILED: return 2;
      case NO_MEMORY: return 4;
      case BAD_LINE:
        Fmt_Print(msg, LNG_LINE_MAX + 48, u"%s %u", Lng_GetText(LNG_TEXT_BAD_LINE), previous);
        Msg_WarnText(LNG_WARN_BAD_LINE, msg);
        return 3;
      default:
        Fmt_Print(msg, LNG_LINE_MAX + 48, u"%s %u,%u", Lng_GetText(LNG_TEXT_NOT_RISING), previous, offending);
        Msg_WarnText(LNG_WARN_NOT_RISING, msg);
        return 3;
    }
  }

  u32 differs = table->count ? Lng_FirstDifference(table, &fresh) : 0;
  if (table->block) Heap_Free(table->block);
  table->block = fresh.block;
  table->used = fresh.used;
  table->cap = fresh.cap;
  table->count = fresh.count;
  Lng_CopyName(table->fileName, name);
  Lng_ResetCache(table);
  if (differs > 0) {
    wch msg[LNG_LINE_MAX + 48];
    Fmt_Print(msg, LNG_LINE_MAX + 48, u"%s %u", Lng_GetText(LNG_TEXT_RELOAD_DIFFERS), differs);
    Msg_WarnText(LNG_WARN_RELOAD_DIFFERS, msg);
  }
  return 0;
}

const wch* Lng_GetFileName(int which) { return (which ? &g_lngTables[0] : &g_lngTables[1])->fileName; }

// One letter class line: "k: ÀÁÂ, Ã Ä"; 0 when the line has another form.
static int Lng_ParseLetterLine(const wch* line, u32 length, u32* key, wch* chars, u32* count) {
  const wch* end = line + length - 1;
  const wch* p = line;
  while (p < end && *p == u' ') ++p;
  if (p >= end) return 0;
  *key = Chr_Lower(*p++);
  while (p < end && *p == u' ') ++p;
  if (p >= end || *p != u':') return 0;
  ++p;
  u32 n = 0;
  for (; p < end; ++p)
    if (*p != u' ' && *p != u',' && *p != 0) chars[n++] = Chr_Upper(*p);
  if (n == 0) return 0;
  chars[n] = 0;
  *count = n + 1;
  return 1;
}

int Lng_LoadLetterClasses(void) {
  wch msg[LNG_LINE_MAX + 48];
  if (Fio_OpenRead(kLngLetterFile, FIO_UTF16LE, FOLDER_PROGRAM) != 0) {
    Fmt_Print(msg, LNG_LINE_MAX + 48, u"%s: \"%s\"", Lng_GetText(LNG_TEXT_LETTERS_MISSING), kLngLetterFile);
    Msg_WarnText(LNG_WARN_LETTERS_MISSING, msg);
    return 1;
  }
  LngTable fresh;
  memset(&fresh, 0, sizeof fresh);
  LngReader reader = {0, 0};
  wch line[LNG_LINE_MAX + 1], chars[LNG_LINE_MAX + 1];
  u32 length, key, count;
  int result = 0;
  for (;;) {
    if (Lng_ReadLine(&reader, line, &length) == 2) {
      result = 2;
      break;
    }
    if (line[0] == u'.') break;
    if (!Lng_ParseLetterLine(line, length, &key, chars, &count)) continue;
    if (Lng_AppendRecord(&fresh, key, chars, count)) {
      result = 4;
      break;
    }
  }
  if (Fio_IsReadOpen()) Fio_CloseRead();
  if (result) {
    if (fresh.block) Heap_Free(fresh.block);
    if (result == 2) Msg_WarnText(LNG_WARN_LETTERS_BAD, Lng_GetText(LNG_TEXT_LETTERS_BAD));
    return 2;
  }
  Lng_FreeTable(&g_lngLetters);
  g_lngLetters.block = fresh.block;
  g_lngLetters.used = fresh.used;
  g_lngLetters.cap = fresh.cap;
  g_lngLetters.count = fresh.count;
  Lng_CopyName(g_lngLetters.fileName, kLngLetterFile);
  return 0;
}

static LngTable* Lng_TableOf(TextId id) { return id < LNG_TABLE2_FIRST ? &g_lngTables[0] : &g_lngTables[1]; }

const wch* Lng_GetText(TextId id) {
  LngTable* t = Lng_TableOf(id);
  i64 off = Lng_FindRecord(t, id);
  if (off >= 0) return (const wch*)(t->block + off + LNG_RECORD_HEAD);
  Fmt_Print(g_lngMissing, int(sizeof g_lngMissing / sizeof g_lngMissing[0]), u"?@F%u", id);
  return g_lngMissing;
}

const char* Lng_GetTextA(TextId id) {
  LngTable* t = Lng_TableOf(id);
  i64 off = Lng_FindRecord(t, id);
  if (off < 0) {
    Fmt_PrintA(g_lngMissingA, int(sizeof g_lngMissingA), "?@F%u", id);
    return g_lngMissingA;
  }
  Lng_WideToAnsi((const wch*)(t->block + off + LNG_RECORD_HEAD), g_lngTextA, int(sizeof g_lngTextA));
  return g_lngTextA;
}

u32 Lng_GetTextLength(TextId id) {
  LngTable* t = Lng_TableOf(id);
  return Lng_FindRecord(t, id) >= 0 ? t->cacheLength : 0;
}

void Lng_SetCodePages(int ansiToWide, int wideToAnsi) {
  g_lngCpAnsiUni = ansiToWide;
  g_lngCpUniAnsi = wideToAnsi;
}

void Lng_GetCodePages(int* ansiToWide, int* wideToAnsi) {
  if (ansiToWide) *ansiToWide = g_lngCpAnsiUni;
  if (wideToAnsi) *wideToAnsi = g_lngCpUniAnsi;
}

int Lng_WideToAnsi(const wch* src, char* dst, int dstSize) {
  if (!dst || dstSize < 1) return 0;
  if (!src || !src[0]) {
    dst[0] = 0;
    return 1;
  }
  int n = Os_WideToAnsi(g_lngCpUniAnsi, src, dst, dstSize);
  if (n < 1) dst[0] = 0;
  return n;
}

int Lng_AnsiToWide(const char* src, wch* dst, int dstSize) {
  if (!dst || dstSize < 1) return 0;
  if (!src || !src[0]) {
    dst[0] = 0;
    return 1;
  }
  int n = Os_AnsiToWide(g_lngCpAnsiUni, src, dst, dstSize);
  if (n < 1) dst[0] = 0;
  return n;
}

wch Lng_FoldLetter(wch c, int flag) {
  if (g_lngLetters.count) {
    wch up = Chr_Upper(c);
    u32 off = 0;
    while (off + LNG_RECORD_HEAD <= g_lngLetters.used) {
      const u8* r = g_lngLetters.block + off;
      u32 key = Lng_PeekU32(r), len = Lng_PeekU32(r + 4);
      const wch* chars = (const wch*)(r + LNG_RECORD_HEAD);
      for (u32 i = 0; i + 1 < len; ++i) {
        if (chars[i] != up) continue;
        wch k = wch(key);
        return (flag || Chr_IsUpper(c)) ? Chr_Upper(k) : Chr_Lower(k);
      }
      off += LNG_RECORD_HEAD + 2 * len;
    }
  }
  return flag ? Chr_Upper(c) : c;
}

int Lng_GetGeneralInfo(int slot, wch* buf) {
  if (slot < 0 || slot >= LNG_INFO_SLOTS || !buf) return 1;
  if (!g_lngInfo[slot]) {
    buf[0] = 0;
    return 1;
  }
  u32 max = kLngInfoUnits[slot] - 1, i = 0;
  for (; i < max && g_lngInfo[slot][i]; ++i) buf[i] = g_lngInfo[slot][i];
  buf[i] = 0;
  return 0;
}

int Lng_SetGeneralInfo(int slot, const wch* text) {
  if (slot < 0 || slot >= LNG_INFO_SLOTS || !g_lngInfo[slot]) return 1;
  u32 max = kLngInfoUnits[slot] - 1, i = 0;
  // Copies up to the caller's zero only: the text may be shorter than the slot.
  if (text)
    for (; i < max && text[i]; ++i) g_lngInfo[slot][i] = text[i];
  g_lngInfo[slot][i] = 0;
  return 0;
}

// ---------------------------------------------------------------- start-up texts

// Shown before any language file is loaded, so they live in the program.
// Rows: English, German, French, Dutch, Polish, Spanish; columns: numbers 0..12.
enum { LNG_STARTUP_LANGUAGES = 6, LNG_STARTUP_NUMBERS = 13 };
static const wch* const kLngStartup[LNG_STARTUP_LANGUAGES][LNG_STARTUP_NUMBERS] = {
    {u"Init Error #85", u"At least Windows95 or NT needed", u"", u"", u"Initialization error #%u:",
     u"\r\nTry to start, anyhow?", u"\r\nprogram canceled", u"Wrong parameters",
     u"\r\n"
     u"Correct usage:  ORBAnnn.EXE [filename] [switches]\r\n"
     u"Filename:  Load this layout file   xxx[.nt3]\r\n"
     u"Switches: [N] [STOP] [Q | TNR=number] [Z=N1 | Z=N2] [I=\"filename\"] [LD | LE | LES | LFR | LNL | LPL]\r\n"
     u"(all switches start with '/' or '-', e.g. /Q)\r\n"
     u"N\t\t\tWithout start example\r\n"
     u"STOP\t\t\tSet STOP status\r\n"
     u"Q\t\t\tWithout title screen\r\n"
     u"TNR=number\t\tShow title screen with that number (e.g. /TNR=2)\r\n"
     u"Z=N1/N2\t\t\tFirst Edit window normal mode zoom factor=1 or 2\r\n"
     u"I=\"filename\"\t\tUse this configuration (options) file\r\n"
     u"Lx (x=D/E/ES/FR/NL/PL)\tThis message in German/English/Spanish/French/Dutch/Polish",
     u"Out of memory", u"File not found:", u"File incorrect:", u"PentiumPro CPU or newer needed"},
    {u"Startfehler 85", u"Mindestens Windows95 oder NT nötig", u"", u"", u"Startfehler %u:",
     u"\r\nStart trotzdem versuchen?", u"\r\nProgramm abgebrochen", u"Parameter falsch",
     u"\r\n"
     u"Aufruf:  ORBAnnn.EXE [Dateiname] [Schalter]\r\n"
     u"Dateiname:  diese Anlagendatei laden   xxx[.nt3]\r\n"
     u"Schalter: [N] [STOP] [Q | TNR=Nummer] [Z=N1 | Z=N2] [I=\"Dateiname\"] [LD | LE | LES | LFR | LNL | LPL]\r\n"
     u"(alle Schalter beginnen mit '/' oder '-', z. B. /Q)\r\n"
     u"N\t\t\tohne Startbeispiel\r\n"
     u"STOP\t\t\tSTOP-Zustand setzen\r\n"
     u"Q\t\t\tohne Titelbild\r\n"
     u"TNR=Nummer\t\tTitelbild mit dieser Nummer zeigen (z. B. /TNR=2)\r\n"
     u"Z=N1/N2\t\t\terstes Bearbeitungsfenster in Normalansicht, Zoomfaktor 1 oder 2\r\n"
     u"I=\"Dateiname\"\t\tdiese Einstellungsdatei (Optionen) verwenden\r\n"
     u"Lx (x=D/E/ES/FR/NL/PL)\tdiese Meldung auf Deutsch/Englisch/Spanisch/Französisch/Niederländisch/Polnisch",
     u"Speicher reicht nicht", u"Datei nicht gefunden:", u"Datei defekt:",
     u"Mindestens PentiumPro-Prozessor nötig"},
    {u"Erreur à l'initialisation 85", u"Le minimum requis est Windows95/NT", u"", u"",
     u"Erreur à l'initialisation %u:", u"\r\nTentative de démarrage malgré tout?", u"\r\nprogramme interrompu",
     u"Paramètres incorrects",
     u"\r\n"
     u"Utilisation :  ORBAnnn.EXE [fichier] [options]\r\n"
     u"Fichier :  charger ce fichier de réseau   xxx[.nt3]\r\n"
     u"Options : [N] [STOP] [Q | TNR=numéro] [Z=N1 | Z=N2] [I=\"fichier\"] [LD | LE | LES | LFR | LNL | LPL]\r\n"
     u"(toutes les options commencent par '/' ou '-', p. ex. /Q)\r\n"
     u"N\t\t\tsans exemple de démarrage\r\n"
     u"STOP\t\t\tdémarrer à l'état STOP\r\n"
     u"Q\t\t\tsans écran de titre\r\n"
     u"TNR=numéro\t\tafficher l'écran de titre de ce numéro (p. ex. /TNR=2)\r\n"
     u"Z=N1/N2\t\t\tpremière fenêtre d'édition en vue normale, facteur de zoom 1 ou 2\r\n"
     u"I=\"fichier\"\t\tutiliser ce fichier de configuration (options)\r\n"
     u"Lx (x=D/E/ES/FR/NL/PL)\tce message en allemand/anglais/espagnol/français/néerlandais/polonais",
     u"Mémoire insuffisante", u"Fichier inexistant:", u"Fichier corrompu:",
     u"Processeur PentiumPro ou plus récent nécessaire"},
    {u"Startfout 85", u"Ten minste Windows95/NT nodig", u"", u"", u"Initialisatiefout %u:",
     u"\r\nToch proberen te starten?", u"\r\nProgramma afgebroken", u"Foutieve parameters",
     u"\r\n"
     u"Gebruik:  ORBAnnn.EXE [bestandsnaam] [opties]\r\n"
     u"Bestandsnaam:  dit baanbestand laden   xxx[.nt3]\r\n"
     u"Opties: [N] [STOP] [Q | TNR=nummer] [Z=N1 | Z=N2] [I=\"bestandsnaam\"] [LD | LE | LES | LFR | LNL | LPL]\r\n"
     u"(alle opties beginnen met '/' of '-', bijv. /Q)\r\n"
     u"N\t\t\tzonder startvoorbeeld\r\n"
     u"STOP\t\t\tin de STOP-toestand starten\r\n"
     u"Q\t\t\tzonder titelscherm\r\n"
     u"TNR=nummer\t\ttitelscherm met dit nummer tonen (bijv. /TNR=2)\r\n"
     u"Z=N1/N2\t\t\teerste bewerkingsvenster in normale weergave, zoomfactor 1 of 2\r\n"
     u"I=\"bestandsnaam\"\tdit configuratiebestand (opties) gebruiken\r\n"
     u"Lx (x=D/E/ES/FR/NL/PL)\tdeze melding in het Duits/Engels/Spaans/Frans/Nederlands/Pools",
     u"Niet genoeg geheugen", u"Bestand niet gevonden", u"Gegevens beschadigd",
     u"Minstens PentiumPro processor nodig"},
    {u"Błąd startowy nr 85", u"Wymagany jest przynajmniej Windows 95 lub NT", u"", u"", u"Błąd startowy nr %u:",
     u"\r\nSpróbować uruchomić mimo to?", u"\r\nprogram anulowany", u"Nieprawidłowe parametry",
     u"\r\n"
     u"Poprawne użycie:  ORBAnnn.EXE [plik] [przełączniki]\r\n"
     u"Plik:  wczytaj ten plik układu   xxx[.nt3]\r\n"
     u"Przełączniki: [N] [STOP] [Q | TNR=numer] [Z=N1 | Z=N2] [I=\"plik\"] [LD | LE | LES | LFR | LNL | LPL]\r\n"
     u"(wszystkie przełączniki zaczynają się od '/' lub '-', np. /Q)\r\n"
     u"N\t\t\tbez przykładu startowego\r\n"
     u"STOP\t\t\tstart w stanie STOP\r\n"
     u"Q\t\t\tbez ekranu tytułowego\r\n"
     u"TNR=numer\t\tpokaż ekran tytułowy o tym numerze (np. /TNR=2)\r\n"
     u"Z=N1/N2\t\t\tpierwsze okno edycji w widoku normalnym, powiększenie 1 lub 2\r\n"
     u"I=\"plik\"\t\tużyj tego pliku konfiguracji (opcji)\r\n"
     u"Lx (x=D/E/ES/FR/NL/PL)\tten komunikat po niemiecku/angielsku/hiszpańsku/francusku/niderlandzku/polsku",
     u"Zabrakło pamięci", u"Nie znaleziono pliku:", u"Niewłaściwy plik:",
     u"Wymagany jest procesor 80486 lub wyższy"},
    {u"Error de salida número 85", u"Por los menos requiendo Windows95 o NT", u"", u"",
     u"Error de salida número %u", u"\r\n¿Intente salir, sin embargo?", u"\r\nPrograma cancelada",
     u"Parámetros falsos",
     u"\r\n"
     u"Uso correcto:  ORBAnnn.EXE [fichero] [opciones]\r\n"
     u"Fichero:  cargar este fichero de maqueta   xxx[.nt3]\r\n"
     u"Opciones: [N] [STOP] [Q | TNR=número] [Z=N1 | Z=N2] [I=\"fichero\"] [LD | LE | LES | LFR | LNL | LPL]\r\n"
     u"(todas las opciones empiezan por '/' o '-', p. ej. /Q)\r\n"
     u"N\t\t\tsin ejemplo inicial\r\n"
     u"STOP\t\t\tarrancar en estado STOP\r\n"
     u"Q\t\t\tsin pantalla de título\r\n"
     u"TNR=número\t\tmostrar la pantalla de título con ese número (p. ej. /TNR=2)\r\n"
     u"Z=N1/N2\t\t\tprimera ventana de edición en vista normal, factor de zoom 1 o 2\r\n"
     u"I=\"fichero\"\t\tusar este fichero de configuración (opciones)\r\n"
     u"Lx (x=D/E/ES/FR/NL/PL)\teste mensaje en alemán/inglés/español/francés/neerlandés/polaco",
     u"No hay memoria", u"El fichero no se encuentro:", u"El fichero está dañado:",
     u"Requiendo procesador PentiumPro o más nuevo"},
};

const wch* Lng_StartupText(int language, int number) {
  if (language < 0 || language >= LNG_STARTUP_LANGUAGES) language = 0;
  if (number < 0 || number >= LNG_STARTUP_NUMBERS) return u"";
  return kLngStartup[language][number];
}

#include "operation/sndcat.h"

#include "operation/snd.h"
#include "operation/trn.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

enum { SND_LINE_MAX = 200, SND_MSG_NUMBER = 600 };
enum : TextId {
  SND_TXT_FILE = 3910,
  SND_TXT_LINE = 3911,
  SND_TXT_NO_FILE = 3920,
  SND_TXT_SYNTAX = 3921,
  SND_TXT_BAD_NUMBER = 3922,
  SND_TXT_LISTED = 3923,
  SND_TXT_BAD_DURATION = 3924,
  SND_TXT_BAD_NAME = 3925,
  SND_TXT_MISSING_FILE = 3926,
  SND_TXT_BAD_SLOT = 3927,
  SND_TXT_NOT_LISTED = 3928,
  SND_TXT_BAD_RANGE = 3929,
  SND_TXT_OVERLAP = 3930,
  SND_TXT_NO_MEMORY = 8005
};

static const wch kSndCatalogueName[] = u"orba.skf";

static SoundCatalogueEntry* s_entries;
static i32 s_slots[SND_SLOTS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

struct SoundRange {
  SoundRange* Next;
  i32 FromSet, FromIndex, ToSet, ToIndex;
  i32 Number;
};
static SoundRange* s_ranges[5];  // slots 5..9

static i32 s_lineNo = -1;
static TextId s_lastError;
static u32 s_errorCount;

// ---------------------------------------------------------------- entries and slots

void Snd_ClearCatalogue(void) {
  while (s_entries) {
    SoundCatalogueEntry* next = s_entries->Next;
    Heap_Free(s_entries);
    s_entries = next;
  }
  for (SoundRange*& list : s_ranges)
    while (list) {
      SoundRange* next = list->Next;
      Heap_Free(list);
      list = next;
    }
  for (i32& s : s_slots) s = -1;
}

const SoundCatalogueEntry* Snd_FindEntry(i32 number) {
  if (number < 1 || number > SND_NUMBER_MAX) return nullptr;
  for (const SoundCatalogueEntry* e = s_entries; e && e->Number <= number; e = e->Next)
    if (e->Number == number) return e;
  return nullptr;
}

u32 Snd_GetDuration(u32 number) {
  const SoundCatalogueEntry* e = number <= u32(SND_NUMBER_MAX) ? Snd_FindEntry(i32(number)) : nullptr;
  return e ? u32(e->Duration) : 0;
}

int Snd_AddEntry(i32 number, i32 duration, const wch* name1, const wch* name2) {
  if (number < 1 || number > SND_NUMBER_MAX) return SND_ADD_BAD_NUMBER;
  if (Snd_FindEntry(number)) return SND_ADD_LISTED;
  if (duration < 1) return SND_ADD_BAD_DURATION;
  if (!name1 || !name1[0]) return SND_ADD_NO_NAME;
  if (Str_Len(name1) > SND_NAME_MAX) return SND_ADD_NAME1_LONG;
  if (name2 && Str_Len(name2) > SND_NAME_MAX) return SND_ADD_NAME2_LONG;
  SoundCatalogueEntry* e = static_cast<SoundCatalogueEntry*>(Heap_Alloc(sizeof(SoundCatalogueEntry)));
  if (!e) return SND_ADD_NO_MEMORY;
  *e = SoundCatalogueEntry{};
  e->Number = number;
  e->Duration = duration;
  Str_Copy(e->Name1, name1);
  if (name2) Str_Copy(e->Name2, name2);
  SoundCatalogueEntry** at = &s_entries;
  while (*at && (*at)->Number < number) at = &(*at)->Next;
  e->Next = *at;
  *at = e;
  return SND_ADD_OK;
}

i32 Snd_GetSlot(int slot) { return slot >= 0 && slot < SND_SLOTS ? s_slots[slot] : -1; }

void Snd_SetSlot(int slot, i32 number) {
  if (slot >= 0 && slot < SND_SLOTS) s_slots[slot] = number;
}

static const wch* const kSndKeywords[SND_SLOTS] = {u"ACL", u"DP1", u"DP2", u"DP3", u"AST", u"THN", u"TBL",
                                                   u"TST", u"TPS", u"TAR", u"LC1", u"LC2", u"LCY"};

int Snd_SlotOfKeyword(const wch* keyword) {
  for (int i = 0; i < SND_SLOTS; ++i)
    if (keyword[0] == kSndKeywords[i][0] && keyword[1] == kSndKeywords[i][1] && keyword[2] == kSndKeywords[i][2])
      return i;
  return -1;
}

// ---------------------------------------------------------------- ranges

// A range as the closed interval of (set, index) keys it covers; an index
// of -1 stands for every index of its set.
static void Snd_RangeKeys(const SoundRange& r, i64* lo, i64* hi) {
  const i64 top = 0xFFFFFFFFll;
  *lo = i64(r.FromSet) * (top + 1) + (r.FromIndex < 0 ? 0 : r.FromIndex);
  const int wholeLast = r.ToIndex < 0 || (r.FromSet == r.ToSet && r.FromIndex < 0);
  *hi = i64(r.ToSet) * (top + 1) + (wholeLast ? top : r.ToIndex);
}

int Snd_AddRange(int slot, i32 fromSet, i32 fromIndex, i32 toSet, i32 toIndex, i32 number) {
  if (slot < SND_SLOT_HORN || slot > SND_SLOT_ARRIVAL) return SND_RANGE_BAD_LIST;
  SoundRange*& list = s_ranges[slot - SND_SLOT_HORN];
  const SoundRange r = {nullptr, fromSet, fromIndex, toSet, toIndex, number};
  i64 lo, hi;
  Snd_RangeKeys(r, &lo, &hi);
  // A range that shares any vehicle with one of the list is refused: one
  // whose ends lie outside an older one but enclose it as well.
  for (const SoundRange* o = list; o; o = o->Next) {
    i64 olo, ohi;
    Snd_RangeKeys(*o, &olo, &ohi);
    if (lo <= ohi && olo <= hi) return SND_RANGE_OVERLAP;
  }
  SoundRange* n = static_cast<SoundRange*>(Heap_Alloc(sizeof(SoundRange)));
  if (!n) return SND_RANGE_NO_MEMORY;
  *n = r;
  n->Next = list;
  list = n;
  return SND_RANGE_OK;
}

static int Snd_RangeCovers(const SoundRange& r, i32 s, i32 i) {
  if (s < r.FromSet || s > r.ToSet) return 0;
  if (i == -1) return 1;
  if (r.FromSet < r.ToSet) {
    if (s > r.FromSet && s < r.ToSet) return 1;
    if (s == r.FromSet) return r.FromIndex == -1 || r.FromIndex <= i;
    return r.ToIndex == -1 || r.ToIndex >= i;
  }
  return r.FromIndex == -1 || (r.FromIndex <= i && i <= r.ToIndex);
}

i32 Snd_FindRange(int slot, i32 s, i32 i) {
  if (slot < SND_SLOT_HORN || slot > SND_SLOT_ARRIVAL) return -1;
  for (const SoundRange* r = s_ranges[slot - SND_SLOT_HORN]; r; r = r->Next)
    if (Snd_RangeCovers(*r, s, i)) return r->Number;
  return -1;
}

int Snd_GetVehicleSounds(i32 set, i32 index, u32* horn, u32* arrival, u32* stop, u32* start, u32* running) {
  if (!Snd_TrainSoundsOn()) return 1;
  u32* const outs[5] = {horn, arrival, stop, start, running};
  static const int kSlots[5] = {SND_SLOT_HORN, SND_SLOT_ARRIVAL, SND_SLOT_STOP, SND_SLOT_START, SND_SLOT_RUN};
  for (int k = 0; k < 5; ++k) {
    if (!outs[k]) continue;
    i32 n = Snd_FindRange(kSlots[k], set, index);
    if (n < 0) n = s_slots[kSlots[k]];
    *outs[k] = u32(n);
  }
  return 0;
}

// ---------------------------------------------------------------- scanning

static void Snd_SkipBlanks(const wch** s) {
  while (**s == ' ' || **s == '\t') ++*s;
}

// A decimal integer with an optional sign after optional blanks; 1 read.
static int Snd_ScanInt(const wch** s, i32* out) {
  const wch* p = *s;
  Snd_SkipBlanks(&p);
  int negative = 0;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  i64 v = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
    v = v * 10 + (*p - '0');
    if (v > 0x7FFFFFFFll) return 0;
  }
  if (!digits) return 0;
  *out = i32(negative ? -v : v);
  *s = p;
  return 1;
}

// Matches the literal text; 1 and past it.
static int Snd_ScanLiteral(const wch** s, const char* text) {
  const wch* p = *s;
  for (; *text; ++text, ++p)
    if (*p != wch(u8(*text))) return 0;
  *s = p;
  return 1;
}

// "%c%c%c,%i": the keyword (3 characters) and the number; 1 read.
static int Snd_ScanKeywordLine(const wch* line, wch keyword[4], i32* number) {
  for (int i = 0; i < 3; ++i) {
    if (!line[i]) return 0;
    keyword[i] = line[i];
  }
  keyword[3] = 0;
  const wch* p = line + 3;
  return Snd_ScanLiteral(&p, ",") && Snd_ScanInt(&p, number);
}

// A double-quoted name of at most SND_NAME_MAX characters; 1 read.
static int Snd_ScanQuoted(const wch** s, wch* out) {
  const wch* p = *s;
  Snd_SkipBlanks(&p);
  if (*p++ != '"') return 0;
  i32 n = 0;
  for (; *p && *p != '"'; ++p) {
    if (n >= SND_NAME_MAX) return 0;
    out[n++] = *p;
  }
  if (*p != '"') return 0;
  out[n] = 0;
  *s = p + 1;
  return 1;
}

int Snd_ParseRangeLine(const wch* line, i32 v[4]) {
  // The four forms in their order, each read as far as it goes: the first
  // one whose every field is read wins, whatever follows it.
  const wch* p = line;
  int form = 0;
  if (Snd_ScanInt(&p, &v[0]) && Snd_ScanLiteral(&p, "-") && Snd_ScanInt(&p, &v[1]) && Snd_ScanLiteral(&p, ",") &&
      Snd_ScanInt(&p, &v[2]) && Snd_ScanLiteral(&p, "-") && Snd_ScanInt(&p, &v[3])) {
    form = 1;
  } else if ((p = line, Snd_ScanInt(&p, &v[0]) && Snd_ScanLiteral(&p, "-a,") && Snd_ScanInt(&p, &v[2]) &&
                            Snd_ScanLiteral(&p, "-a"))) {
    v[1] = v[3] = -1;
    form = 2;
  } else if ((p = line, Snd_ScanInt(&p, &v[0]) && Snd_ScanLiteral(&p, "-") && Snd_ScanInt(&p, &v[1]))) {
    v[2] = v[0];
    v[3] = v[1];
    form = 3;
  } else if ((p = line, Snd_ScanInt(&p, &v[0]) && Snd_ScanLiteral(&p, "-a"))) {
    v[2] = v[0];
    v[1] = v[3] = -1;
    form = 4;
  }
  if (!form) return 0;
  if (v[0] < 1 || v[2] < 1 || v[1] < -1 || v[3] < -1) return 0;
  if (v[0] > v[2]) return 0;
  if (v[0] == v[2] && v[1] > v[3]) return 0;
  return form;
}

// ---------------------------------------------------------------- reading "orba.skf"

int Snd_ReadLine(wch* line) {
  u32 ch;
  int r;
  for (;;) {
    // Leading blanks and control characters (the ends of earlier lines).
    do {
      if ((r = Fio_ReadChar(&ch))) return r == 1 ? 1 : 2;
    } while (ch < 33);
    i32 n = 0;
    while (ch >= 32) {
      if (n < SND_LINE_MAX) line[n++] = wch(ch);
      r = Fio_ReadChar(&ch);
      if (r == 1) break;
      if (r) return 2;
    }
    while (n > 0 && line[n - 1] == ' ') --n;
    line[n] = 0;
    s_lineNo++;
    if (line[0] != ';') return 0;
  }
}

void Snd_CatalogueError(TextId text, const wch* detail, i32 lineNo) {
  static wch message[1024];
  wch linePart[64] = {0};
  wch what[400];
  if (lineNo >= 0) Fmt_Print(linePart, 64, u" %s %i", Lng_GetText(SND_TXT_LINE), lineNo);
  if (detail) Fmt_Print(what, 400, u"%s: \"%s\"", Lng_GetText(text), detail);
  else Fmt_Print(what, 400, u"%s", Lng_GetText(text));
  Fmt_Print(message, 1024, u"%s \"%s\"%s:\n\r%s", Lng_GetText(SND_TXT_FILE), kSndCatalogueName, linePart, what);
  s_lastError = text;
  s_errorCount++;
  Msg_WarnText(SND_MSG_NUMBER, message);
}

TextId Snd_LastCatalogueError(void) { return s_lastError; }
u32 Snd_CatalogueErrorCount(void) { return s_errorCount; }

static void Snd_Report(TextId text) { Snd_CatalogueError(text, nullptr, s_lineNo); }

// The full path of a sound file: the sound folder, the name and "wav" when
// the name has no extension; 0 when it would not be shorter than 260.
static int Snd_SoundPath(const wch* name, wch path[OS_MAX_PATH + 8]) {
  if (Fio_BuildPath(name, FOLDER_SOUND, path)) return 0;
  wch ext[OS_MAX_PATH];
  if (Fio_GetExtension(path, ext) != 0 || !ext[0]) {
    if (Str_Len(path) + 4 >= OS_MAX_PATH) return 0;
    Fio_AddExtension(path, u"wav");
  }
  return 1;
}

// Whether the file that playing the name opens is there.
static int Snd_SoundFileExists(const wch* name) {
  wch path[OS_MAX_PATH + 8];
  return Snd_SoundPath(name, path) && Fio_FileExists(path, FOLDER_FULLPATH);
}

// Result of a section: go on with the next one, or stop reading (the file
// ended or failed).
enum { SND_SECTION_NEXT = 0, SND_SECTION_STOP = 1 };

static int Snd_ReadLineOrReport(wch* line) {
  if (Snd_ReadLine(line) == 0) return 1;
  Snd_Report(SND_TXT_SYNTAX);
  return 0;
}

static int Snd_ReadEntries(void) {
  static const TextId kAddTexts[8] = {0,
                                      SND_TXT_BAD_NUMBER,
                                      SND_TXT_LISTED,
                                      SND_TXT_BAD_DURATION,
                                      SND_TXT_BAD_NAME,
                                      SND_TXT_BAD_NAME,
                                      SND_TXT_BAD_NAME,
                                      SND_TXT_NO_MEMORY};
  wch line[SND_LINE_MAX + 1];
  for (;;) {
    if (!Snd_ReadLineOrReport(line)) return SND_SECTION_STOP;
    const wch* p = line;
    i32 number = 0, duration = 0;
    wch name1[SND_NAME_MAX + 1], name2[SND_NAME_MAX + 1];
    // A malformed line is reported and skipped: the entries go on to their
    // end, so that no later section reads them as its own lines.
    if (!Snd_ScanLiteral(&p, "nr=") || !Snd_ScanInt(&p, &number) || !Snd_ScanLiteral(&p, ",") ||
        !Snd_ScanInt(&p, &duration) || !Snd_ScanLiteral(&p, "ms,")) {
      Snd_Report(SND_TXT_SYNTAX);
      continue;
    }
    // The end of the entries: number 0 with 0 ms, whatever follows.
    if (number == 0 && duration == 0) return SND_SECTION_NEXT;
    name2[0] = 0;
    if (!Snd_ScanQuoted(&p, name1)) {
      Snd_Report(SND_TXT_SYNTAX);
      continue;
    }
    Snd_SkipBlanks(&p);
    if (*p == ',') ++p;
    Snd_SkipBlanks(&p);
    if (*p && !Snd_ScanQuoted(&p, name2)) {
      Snd_Report(SND_TXT_SYNTAX);
      continue;
    }
    const wch* missing = !Snd_SoundFileExists(name1) ? name1 : (name2[0] && !Snd_SoundFileExists(name2)) ? name2
                                                                                                       : nullptr;
    if (missing) {
      Snd_CatalogueError(SND_TXT_MISSING_FILE, missing, s_lineNo);
      continue;
    }
    const int r = Snd_AddEntry(number, duration, name1, name2);
    if (r) Snd_Report(kAddTexts[r]);
  }
}

static int Snd_IsEnd(const wch* line) { return Str_CompareEx(line, u"END", 0) == 0; }

static int Snd_ReadSlots(void) {
  wch line[SND_LINE_MAX + 1];
  for (;;) {
    if (!Snd_ReadLineOrReport(line)) return SND_SECTION_STOP;
    if (Snd_IsEnd(line)) return SND_SECTION_NEXT;
    wch keyword[4] = {0, 0, 0, 0};
    i32 number = 0;
    const int read = Snd_ScanKeywordLine(line, keyword, &number);
    const int slot = Snd_SlotOfKeyword(keyword);
    // A line that names no slot or no number is reported and skipped; it
    // assigns nothing.
    if (slot < 0) {
      Snd_Report(SND_TXT_BAD_SLOT);
      continue;
    }
    if (!read) {
      Snd_Report(SND_TXT_SYNTAX);
      continue;
    }
    if (number < 1 || number > SND_NUMBER_MAX) {
      s_slots[slot] = -1;
    } else if (!Snd_FindEntry(number)) {
      Snd_Report(SND_TXT_NOT_LISTED);
      s_slots[slot] = -1;
    } else {
      s_slots[slot] = number;
    }
  }
}

static int Snd_ReadRanges(void) {
  wch line[SND_LINE_MAX + 1];
  for (;;) {
    if (!Snd_ReadLineOrReport(line)) return SND_SECTION_STOP;
    if (Snd_IsEnd(line)) return SND_SECTION_NEXT;
    wch keyword[4] = {0, 0, 0, 0};
    i32 number = 0;
    if (!Snd_ScanKeywordLine(line, keyword, &number)) {
      Snd_Report(SND_TXT_BAD_RANGE);
      return SND_SECTION_NEXT;
    }
    const int slot = Snd_SlotOfKeyword(keyword);
    const int vehicleSlot = slot >= SND_SLOT_HORN && slot <= SND_SLOT_ARRIVAL;
    if (vehicleSlot && !Snd_FindEntry(number)) {
      Snd_Report(SND_TXT_NOT_LISTED);
      return SND_SECTION_NEXT;
    }
    if (!Snd_ReadLineOrReport(line)) return SND_SECTION_STOP;
    i32 v[4];
    if (!Snd_ParseRangeLine(line, v)) {
      Snd_Report(SND_TXT_BAD_RANGE);
      return SND_SECTION_NEXT;
    }
    if (!vehicleSlot) continue;
    const int r = Snd_AddRange(slot, v[0], v[1], v[2], v[3], number);
    if (r == SND_RANGE_OVERLAP) Snd_Report(SND_TXT_OVERLAP);
    else if (r == SND_RANGE_NO_MEMORY) Snd_Report(SND_TXT_NO_MEMORY);
  }
}

int Snd_LoadCatalogue(void) {
  Snd_ClearCatalogue();
  s_lineNo = -1;
  int r = Fio_OpenRead(kSndCatalogueName, FIO_UTF16LE, FOLDER_SOUND);
  if (r == 2) r = Fio_OpenRead(kSndCatalogueName, 0, FOLDER_SOUND);
  if (r) {
    Snd_CatalogueError(SND_TXT_NO_FILE, nullptr, -1);
    return 1;
  }
  if (Snd_ReadEntries() == SND_SECTION_NEXT && Snd_ReadSlots() == SND_SECTION_NEXT) Snd_ReadRanges();
  Fio_CloseRead();
  TrnList_SetAllTrainSounds(1);
  return 0;
}

// ---------------------------------------------------------------- playback

static u32 s_aliasCounter = 1;
static wch s_lastAlias[16];
static int s_deviceMissing;

int Snd_Play(u32 wParam, u32 lParam) {
  if (s_deviceMissing) return 3;
  i32 number = i32(wParam);
  if (lParam & SND_REQ_SLOT) {
    if (wParam >= u32(SND_SLOTS)) return 1;
    number = s_slots[wParam];
  }
  const SoundCatalogueEntry* e = Snd_FindEntry(number);
  if (!e) return 1;
  const wch* name = (lParam & SND_REQ_NEAR) ? e->Name2 : e->Name1;
  if (!name[0]) return 1;
  wch path[OS_MAX_PATH + 8];
  if (!Snd_SoundPath(name, path)) return 1;
  Fmt_Print(s_lastAlias, 16, u"xxxV%05u", s_aliasCounter++);
  u32 device = 0;
  const int r = Snd_DevOpen(path, s_lastAlias, &device);
  if (r == SND_DEV_NO_DEVICE) {
    // Without a sound device (a machine without sound, or one under a test
    // runner) the user is told nothing; no later request tries again.
    s_deviceMissing = 1;
    return 3;
  }
  if (r) return 2;
  const int played = Snd_DevPlay(device);
  if (played) {
    Snd_DevClose(device);
    if (played == SND_DEV_NO_DEVICE) s_deviceMissing = 1;
    return played == SND_DEV_NO_DEVICE ? 3 : 2;
  }
  return 0;
}

void Snd_OnPlayEnd(u32 deviceId) { Snd_DevClose(deviceId); }
void Snd_CloseAllDevices(void) { Snd_DevCloseAll(); }
int Snd_DeviceMissing(void) { return s_deviceMissing; }
void Snd_ResetDevice(void) { s_deviceMissing = 0; }
const wch* Snd_LastAlias(void) { return s_lastAlias; }

#include "shell/cfg.h"

#include "model/layfile.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "model/rule.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/snd.h"
#include "operation/trnfollow.h"
#include "platform/dfwfmt.h"
#include "platform/fio.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/bgp.h"
#include "render/cursor.h"
#include "render/dc.h"
#include "render/disp.h"
#include "render/gfx.h"
#include "render/map.h"
#include "render/ovw.h"
#include "render/pal.h"
#include "shell/app.h"
#include "shell/file.h"
#include "shell/menu.h"
#include "shell/userfiles.h"
#include "shell/vwin.h"

#ifdef ORBA_VIEWER
static const wch kCfgName[] = u"orbaview.ini";
static const int kCfgViewer = 1;
#else
static const wch kCfgName[] = u"orba.ini";
static const int kCfgViewer = 0;
#endif

static int g_cfgWriteAtExit = 1;
static wch g_cfgLang[3][CFG_PATH_MAX + 1];
static wch g_cfgBad[400];
static wch g_cfgFolder[OS_MAX_PATH];

int Cfg_WriteAtExit(void) { return g_cfgWriteAtExit; }
const wch* Cfg_LanguageFile(int which) { return (which >= 0 && which < 3) ? g_cfgLang[which] : u""; }
const wch* Cfg_BadKeys(void) { return g_cfgBad; }

void Cfg_SetLanguageFile(int which, const wch* name) {
  if (which < 0 || which > 2) return;
  i32 n = 0;
  for (; name[n] && n < CFG_PATH_MAX; ++n) g_cfgLang[which][n] = name[n];
  g_cfgLang[which][n] = 0;
}
const wch* Cfg_FileName(void) { return kCfgName; }

// ---------------------------------------------------------------- parser
static int Cfg_IsBlank(wch c) { return c == u' ' || c == u'\t'; }

// The next line of text: [*start, *end); text moves past its line end.
static int Cfg_NextLine(const wch** text, const wch** start, const wch** end) {
  const wch* p = *text;
  if (!*p) return 0;
  *start = p;
  while (*p && *p != u'\r' && *p != u'\n') ++p;
  *end = p;
  while (*p == u'\r' || *p == u'\n') ++p;
  *text = p;
  return 1;
}

// Compares [s, e) with a zero-ended name, case ignored.
static int Cfg_SameName(const wch* s, const wch* e, const wch* name) {
  for (; s < e && *name; ++s, ++name)
    if (Chr_Upper(*s) != Chr_Upper(*name)) return 0;
  return s == e && !*name;
}

static void Cfg_Trim(const wch** s, const wch** e) {
  while (*s < *e && Cfg_IsBlank(**s)) ++*s;
  while (*e > *s && Cfg_IsBlank((*e)[-1])) --*e;
}

// Calls found(key start, key end, value start, value end) for every key of
// section until it returns 1; 1 when it did.
template <typename F>
static int Cfg_ForKeys(const wch* text, const wch* section, F found) {
  const wch *s, *e;
  int in = 0;
  while (Cfg_NextLine(&text, &s, &e)) {
    Cfg_Trim(&s, &e);
    if (s < e && *s == u'[') {
      const wch* close = s + 1;
      while (close < e && *close != u']') ++close;
      const wch* ns = s + 1;
      const wch* ne = close;
      Cfg_Trim(&ns, &ne);
      in = Cfg_SameName(ns, ne, section);
      continue;
    }
    if (!in || s == e || *s == u';') continue;
    const wch* eq = s;
    while (eq < e && *eq != u'=') ++eq;
    if (eq == e) continue;
    const wch *ks = s, *ke = eq, *vs = eq + 1, *ve = e;
    Cfg_Trim(&ks, &ke);
    Cfg_Trim(&vs, &ve);
    if (found(ks, ke, vs, ve)) return 1;
  }
  return 0;
}

int Cfg_FindValue(const wch* text, const wch* section, const wch* key, wch* buf, int size) {
  return Cfg_ForKeys(text, section, [&](const wch* ks, const wch* ke, const wch* vs, const wch* ve) {
    if (!Cfg_SameName(ks, ke, key)) return 0;
    if (ve - vs >= 2 && *vs == u'"' && ve[-1] == u'"') {
      ++vs;
      --ve;
    }
    int n = 0;
    for (; vs < ve && n < size - 1; ++vs) buf[n++] = *vs;
    buf[n] = 0;
    return 1;
  });
}

int Cfg_HasSection(const wch* text, const wch* section) {
  return Cfg_ForKeys(text, section, [](const wch*, const wch*, const wch*, const wch*) { return 1; });
}

// ---------------------------------------------------------------- values
static int Cfg_Int(const wch* v, i32* out) { return Str_ToI32(v, out); }

static int Cfg_Hex(const wch* v, u32* out) {
  const wch* p = v;
  u32 x = 0;
  int digits = 0;
  for (;; ++p, ++digits) {
    int d;
    if (*p >= u'0' && *p <= u'9') d = *p - u'0';
    else if (*p >= u'A' && *p <= u'F') d = *p - u'A' + 10;
    else if (*p >= u'a' && *p <= u'f') d = *p - u'a' + 10;
    else break;
    if (digits >= 8) return 0;
    x = x * 16 + u32(d);
  }
  if (!digits || *p) return 0;
  *out = x;
  return 1;
}

// Comma-separated integers; the count read, -1 when one is not a number.
static int Cfg_Ints(const wch* v, i32* out, int max) {
  int n = 0;
  wch part[40] = {};
  for (const wch* p = v;;) {
    int k = 0;
    while (*p && *p != u',' && k < 39) part[k++] = *p++;
    part[k] = 0;
    const wch* t = part;
    while (Cfg_IsBlank(*t)) ++t;
    if (n >= max || !Cfg_Int(t, &out[n])) return -1;
    ++n;
    if (*p != u',') break;
    ++p;
  }
  return n;
}

// ---------------------------------------------------------------- the key table
// A key's reader gets its value (null when the key is missing) and answers
// 0, or 3 when the value is malformed or its setter refused it. Its writer
// puts the value into out (CFG_VALUE_MAX + 1 units); a key without a writer
// is written from the text kept when it was read.
struct CfgKey {
  const char* name;
  int (*read)(const wch* v);
  void (*write)(wch* out);
  const char* defaultText;  // applied by Cfg_SetDefaults through read; null none
  int viewerSkips;          // auto-save keys: the viewer has none
};

enum { CFG_KEPT_MAX = 400 };
struct CfgKept {
  wch name[24];
  wch* value;
};
static CfgKept g_cfgKept[CFG_KEPT_MAX];
static int g_cfgKeptCount;

static void Cfg_ClearKept(void) {
  for (int i = 0; i < g_cfgKeptCount; ++i) Heap_Free(g_cfgKept[i].value);
  g_cfgKeptCount = 0;
}

static CfgKept* Cfg_FindKept(const wch* name) {
  for (int i = 0; i < g_cfgKeptCount; ++i)
    if (Str_CompareEx(g_cfgKept[i].name, name, STR_CMP_NOCASE) == 0) return &g_cfgKept[i];
  return nullptr;
}

static void Cfg_Keep(const wch* name, const wch* value) {
  CfgKept* k = Cfg_FindKept(name);
  if (!k) {
    if (g_cfgKeptCount >= CFG_KEPT_MAX) return;
    k = &g_cfgKept[g_cfgKeptCount++];
    Str_Copy(k->name, name);
    k->value = nullptr;
  }
  const i32 n = Str_Len(value);
  wch* copy = static_cast<wch*>(Heap_Alloc(u32(n + 1) * sizeof(wch)));
  if (!copy) return;
  Str_Copy(copy, value);
  Heap_Free(k->value);
  k->value = copy;
}

static wch g_cfgKeyName[24];  // the key being read, for the kept texts

// ---------------------------------------------------------------- readers and writers
static wch Cfg_Letter(const wch* v, int i) {
  for (int k = 0; k < i; ++k)
    if (!v[k]) return 0;
  return v[i];
}

#define CFG_READ(name) static int name(const wch* v)
#define CFG_WRITE(name) static void name(wch* out)
#define CFG_OUT(...) Fmt_Print(out, CFG_VALUE_MAX + 1, __VA_ARGS__)

CFG_READ(Cfg_ReadFrameRate) {
  i32 n;
  if (!v) return 0;
  Vwin_FrameRate(Cfg_Int(v, &n) && n >= 1 && n <= 60 ? n : -2);
  return 0;
}
CFG_WRITE(Cfg_WriteFrameRate) { CFG_OUT(u"%i", Vwin_FrameRate(-1)); }

CFG_READ(Cfg_ReadExit) {
  if (v && v[0] == u'q') g_appExitNoticeOn = 0;
  if (v && v[0] == u'E') g_appExitNoticeOn = 1;
  return 0;
}
CFG_WRITE(Cfg_WriteExit) { CFG_OUT(u"%c", g_appExitNoticeOn ? u'E' : u'q'); }

static const wch* g_cfgText;    // the text being read, for keys that look at others
static const wch* g_cfgSection;

static int Cfg_Other(const char* key, wch* buf, int size) {
  wch name[24];
  int i = 0;
  for (; key[i] && i < 23; ++i) name[i] = wch(key[i]);
  name[i] = 0;
  return g_cfgText && Cfg_FindValue(g_cfgText, g_cfgSection, name, buf, size);
}

CFG_READ(Cfg_ReadBackup) {
  i32 n;
  wch old[40];
  if (!v) {
    // An older file's backup count.
    if (!Cfg_Other("U", old, 40)) return 0;
    if (!Cfg_Int(old, &n)) return 3;
    if (n == 1) n = 10;
    return File_SetBackupCount(n) ? 3 : 0;
  }
  if (!Cfg_Int(v, &n)) return 3;
  return File_SetBackupCount(n) ? 3 : 0;
}
CFG_WRITE(Cfg_WriteBackup) { CFG_OUT(u"%i", File_GetBackupCount()); }

CFG_READ(Cfg_ReadCpAnsiUni) {
  i32 n;
  int a, w;
  if (!v) return 0;
  if (!Cfg_Int(v, &n)) return 3;
  Lng_GetCodePages(&a, &w);
  Lng_SetCodePages(n, w);
  return 0;
}
CFG_WRITE(Cfg_WriteCpAnsiUni) {
  int a, w;
  Lng_GetCodePages(&a, &w);
  CFG_OUT(u"%i", a);
}
CFG_READ(Cfg_ReadCpUniAnsi) {
  i32 n;
  int a, w;
  if (!v) return 0;
  if (!Cfg_Int(v, &n)) return 3;
  Lng_GetCodePages(&a, &w);
  Lng_SetCodePages(a, n);
  return 0;
}
CFG_WRITE(Cfg_WriteCpUniAnsi) {
  int a, w;
  Lng_GetCodePages(&a, &w);
  CFG_OUT(u"%i", w);
}

CFG_READ(Cfg_ReadO) {
  i32 n;
  if (!v) return 0;
  if (!Cfg_Int(v, &n) || (n != 0 && n != 1)) return 3;
  g_cfgWriteAtExit = n;
  return 0;
}
CFG_WRITE(Cfg_WriteO) { CFG_OUT(u"%u", u32(g_cfgWriteAtExit)); }

CFG_READ(Cfg_ReadAutoDiff) {
  i32 n = 0;
  if (!v) return 0;
  if (!Cfg_Int(v, &n)) return 3;
  wch opt[40] = {0};
  Cfg_Other("AutoSpNtOpt", opt, 40);
  u32 o = 0;
  if (opt[0] == u'E') o |= FILE_AUTO_MODIFIED_ONLY;
  if (Cfg_Letter(opt, 1) == u'S') o |= FILE_AUTO_SIMULATED;
  return File_SetAutoSave(o, n) ? 3 : 0;
}
CFG_WRITE(Cfg_WriteAutoDiff) {
  i32 n;
  File_GetAutoSave(&n, nullptr);
  CFG_OUT(u"%i", n);
}
CFG_READ(Cfg_ReadNothing) { return 0; }
CFG_WRITE(Cfg_WriteAutoOpt) {
  u32 o;
  File_GetAutoSave(nullptr, &o);
  CFG_OUT(u"%c%c", (o & FILE_AUTO_MODIFIED_ONLY) ? u'E' : u'i', (o & FILE_AUTO_SIMULATED) ? u'S' : u'u');
}

CFG_READ(Cfg_ReadP) {
  i32 n;
  if (!v) return 0;
  if (!Cfg_Int(v, &n) || n == 0) return 3;
  g_ovwExport.options = u32(n) & 0xFFFF;
  return 0;
}
CFG_WRITE(Cfg_WriteP) { CFG_OUT(u"%u", g_ovwExport.options); }
CFG_READ(Cfg_ReadQ) {
  i32 n;
  if (!v) return 0;
  if (!Cfg_Int(v, &n) || n < 1 || n > 16) return 3;
  g_ovwExport.scale = n;
  return 0;
}
CFG_WRITE(Cfg_WriteQ) { CFG_OUT(u"%u", u32(g_ovwExport.scale)); }

CFG_READ(Cfg_ReadStatOpt) {
  LayExportOptions o;
  Lay_GetExportOptions(&o);
  u32 x;
  if (v) {
    if (!Cfg_Hex(v, &x)) return 3;
  } else {
    wch old[40];
    i32 n;
    if (!Cfg_Other("S", old, 40)) return 0;
    if (!Cfg_Int(old, &n) || n == 0) return 3;
    x = u32(n);
    if (x > 127) x = (x & ~0x80u) | 0x280u;
  }
  o.selection = u16(x);
  Lay_SetExportOptions(&o);
  return 0;
}
CFG_WRITE(Cfg_WriteStatOpt) {
  LayExportOptions o;
  Lay_GetExportOptions(&o);
  CFG_OUT(u"%X", u32(o.selection));
}
// A one-character value written in quotes, so that a blank survives the
// trimming of values: a quote opens a half-quoted value; alone it is the
// character itself, as the writer writes it quoted: """. 0 when empty.
static wch Cfg_QuotedChar(const wch* v) { return v[0] == u'"' && v[1] ? v[1] : v[0]; }

CFG_READ(Cfg_ReadStatSep) {
  if (!v) return 0;
  LayExportOptions o;
  Lay_GetExportOptions(&o);
  const wch c = Cfg_QuotedChar(v);
  o.separator = c ? c : u' ';
  Lay_SetExportOptions(&o);
  return 0;
}
CFG_WRITE(Cfg_WriteStatSep) {
  LayExportOptions o;
  Lay_GetExportOptions(&o);
  CFG_OUT(u"\"%c\"", o.separator);
}

// The run log's settings: each key replaces its own part and hands all
// three to the log (which refuses flags without anything to log and
// characters below 32). Flag letters by place: 'P' points, 'D'
// dispatcher messages, 'U' UTF-16 or 'A' 8-bit text, 'V' vehicle lines;
// any other letter leaves the bit off ("PD23" is the default).
static int Cfg_ReadLogPart(const wch* v, int part) {
  if (!v) return 0;
  u32 flags;
  wch sep, comment;
  Logp_GetSettings(&flags, &sep, &comment, nullptr);
  if (part == 0) {
    flags = 0;
    if (v[0] == u'P') flags |= LOGP_OPT_POINTS;
    if (Cfg_Letter(v, 1) == u'D') flags |= LOGP_OPT_DISPATCH;
    if (Cfg_Letter(v, 2) == u'U') flags |= LOGP_OPT_UTF16;
    if (Cfg_Letter(v, 2) == u'A') flags |= LOGP_OPT_ANSI;
    if (Cfg_Letter(v, 3) == u'V') flags |= LOGP_OPT_VEHICLES;
  } else if (part == 1) {
    sep = Cfg_QuotedChar(v) ? Cfg_QuotedChar(v) : u',';
  } else {
    comment = Cfg_QuotedChar(v) ? Cfg_QuotedChar(v) : u';';
  }
  return Logp_SetSettings(flags, sep, comment) ? 3 : 0;
}
CFG_READ(Cfg_ReadLogOpt) { return Cfg_ReadLogPart(v, 0); }
CFG_READ(Cfg_ReadLogSep) { return Cfg_ReadLogPart(v, 1); }
CFG_READ(Cfg_ReadLogComm) { return Cfg_ReadLogPart(v, 2); }
CFG_WRITE(Cfg_WriteLogOpt) {
  u32 f;
  Logp_GetSettings(&f, nullptr, nullptr, nullptr);
  CFG_OUT(u"%c%c%c%c", (f & LOGP_OPT_POINTS) ? u'P' : u'0', (f & LOGP_OPT_DISPATCH) ? u'D' : u'1',
          (f & LOGP_OPT_UTF16) ? u'U' : (f & LOGP_OPT_ANSI) ? u'A' : u'2', (f & LOGP_OPT_VEHICLES) ? u'V' : u'3');
}
CFG_WRITE(Cfg_WriteLogSep) {
  wch c;
  Logp_GetSettings(nullptr, &c, nullptr, nullptr);
  CFG_OUT(u"\"%c\"", c);
}
CFG_WRITE(Cfg_WriteLogComm) {
  wch c;
  Logp_GetSettings(nullptr, nullptr, &c, nullptr);
  CFG_OUT(u"\"%c\"", c);
}

// The animation word: letters 'R' 'P' 'F' 'U' 'S' at places 0..4 set bits
// 1, 2, 4, 8, 16, the lower-case letters clear them, any other letter
// keeps the bit.
static const wch kCfgAnimaLetters[5] = {u'R', u'P', u'F', u'U', u'S'};
CFG_READ(Cfg_ReadAnima) {
  if (!v) return 0;
  u32 word = Mcs_GetAnimationWord();
  for (int i = 0; i < 5 && Cfg_Letter(v, i); ++i) {
    if (v[i] == kCfgAnimaLetters[i]) word |= 1u << i;
    else if (v[i] == Chr_Lower(kCfgAnimaLetters[i])) word &= ~(1u << i);
  }
  Mcs_SetAnimationWord(word);
  return 0;
}
CFG_WRITE(Cfg_WriteAnima) {
  const u32 w = Mcs_GetAnimationWord();
  wch l[5];
  for (int i = 0; i < 5; ++i) l[i] = (w >> i & 1) ? kCfgAnimaLetters[i] : Chr_Lower(kCfgAnimaLetters[i]);
  CFG_OUT(u"%c%c%c%c%c", l[0], l[1], l[2], l[3], l[4]);
}

// The folders of FolderIndex 2..6.
static int Cfg_ReadFolder(const wch* v, int folder) {
  if (!v || !v[0]) return 0;
  wch path[OS_MAX_PATH];
  i32 n = Str_Len(v);
  // The separator is counted only where it is added: a folder the writer
  // wrote at the longest length, separator included, reads back.
  const int separator = v[n - 1] == u'\\' || v[n - 1] == u'/';
  if (n + (separator ? 0 : 1) >= OS_MAX_PATH) return 3;
  Str_Copy(path, v);
  if (!separator) {
    path[n++] = u'\\';
    path[n] = 0;
  }
  return Fio_SetFolderPath(folder, path) ? 3 : 0;
}
static void Cfg_WriteFolder(wch* out, int folder) {
  wch path[OS_MAX_PATH];
  if (Fio_FolderPath(folder, path, OS_MAX_PATH) != 0) path[0] = 0;
  CFG_OUT(u"%s", path);
}
CFG_READ(Cfg_ReadPfadNt3) { return Cfg_ReadFolder(v, FOLDER_LAYOUTS); }
CFG_READ(Cfg_ReadPfadPcx) { return Cfg_ReadFolder(v, FOLDER_PICTURES); }
CFG_READ(Cfg_ReadPfadDat) { return Cfg_ReadFolder(v, FOLDER_EXPORTS); }
CFG_READ(Cfg_ReadPfadLog) { return Cfg_ReadFolder(v, FOLDER_LOGS); }
CFG_READ(Cfg_ReadPfadBna) { return Cfg_ReadFolder(v, FOLDER_SCRIPTS); }
CFG_WRITE(Cfg_WritePfadNt3) { Cfg_WriteFolder(out, FOLDER_LAYOUTS); }
CFG_WRITE(Cfg_WritePfadPcx) { Cfg_WriteFolder(out, FOLDER_PICTURES); }
CFG_WRITE(Cfg_WritePfadDat) { Cfg_WriteFolder(out, FOLDER_EXPORTS); }
CFG_WRITE(Cfg_WritePfadLog) { Cfg_WriteFolder(out, FOLDER_LOGS); }
CFG_WRITE(Cfg_WritePfadBna) { Cfg_WriteFolder(out, FOLDER_SCRIPTS); }

CFG_READ(Cfg_ReadMausRR) {
  if (!v) return 0;
  const u32 f = Cur_GetFlags();
  if (v[0] == u'0') Cur_SetFlags(f & ~1u);
  if (v[0] == u'R') Cur_SetFlags(f | 1u);
  return 0;
}
CFG_WRITE(Cfg_WriteMausRR) { CFG_OUT(u"%c", (Cur_GetFlags() & 1) ? u'R' : u'0'); }
CFG_READ(Cfg_ReadMausRD) {
  if (!v) return 0;
  const u32 f = Cur_GetFlags();
  const wch c = Chr_Upper(v[0]);
  if (c == u'0') Cur_SetFlags(f & ~8u);
  if (c == u'L') Cur_SetFlags(f | 8u);
  return 0;
}
CFG_WRITE(Cfg_WriteMausRD) { CFG_OUT(u"%c", (Cur_GetFlags() & 8) ? u'L' : u'0'); }
CFG_READ(Cfg_ReadMausCs) {
  if (v && v[0] == u'M') Cur_SetMode(51);
  if (v && v[0] == u'P') Cur_SetMode(52);
  return 0;
}
CFG_WRITE(Cfg_WriteMausCs) { CFG_OUT(u"%c", Cur_GetMode() == 52 ? u'P' : u'M'); }
CFG_READ(Cfg_ReadMausRBr) {
  i32 n;
  if (!v) return 0;
  if (!Cfg_Int(v, &n)) return 3;
  return Cur_SetScrollSpeed(n) ? 3 : 0;
}
// The speed itself, never the -1 that stands for the default: -1 written as
// an unsigned number would not read back.
CFG_WRITE(Cfg_WriteMausRBr) { CFG_OUT(u"%u", u32(Cur_GetScrollSpeed())); }

CFG_READ(Cfg_ReadColours) { return 0; }

CFG_READ(Cfg_ReadZeitTrenn) {
  u32 x;
  if (!v) return 0;
  if (!Cfg_Hex(v, &x)) return 3;
  return Dlg_SetTimeSeparator(x) ? 3 : 0;
}
CFG_WRITE(Cfg_WriteZeitTrenn) { CFG_OUT(u"%x", u32(Dlg_GetTimeSeparator())); }

// The two-letter display options: on letter, off letter, setter, getter.
static int Cfg_ReadOpt(const wch* v, wch on, wch off, void (*set)(i32)) {
  if (!v || !v[0]) return 0;
  if (v[0] == on) set(1);
  else if (v[0] == off) set(0);
  else return 3;
  return 0;
}
CFG_READ(Cfg_ReadRangp) { return Cfg_ReadOpt(v, u'R', u'N', Disp_SetOptRangp); }
CFG_READ(Cfg_ReadLwx) { return Cfg_ReadOpt(v, u'L', u'N', Disp_SetOptLwx); }
CFG_READ(Cfg_ReadLfst) { return Cfg_ReadOpt(v, u'A', u'S', Disp_SetOptLfst); }
CFG_READ(Cfg_ReadSige) { return Cfg_ReadOpt(v, u'A', u'S', Disp_SetOptSige); }
CFG_READ(Cfg_ReadAnzHst) { return Cfg_ReadOpt(v, u'A', u'S', Disp_SetOptAnzHst); }
CFG_READ(Cfg_ReadTxte) { return Cfg_ReadOpt(v, u'T', u'N', Disp_SetOptTxte); }
CFG_WRITE(Cfg_WriteRangp) { CFG_OUT(u"%c", Disp_GetOptRangp() ? u'R' : u'N'); }
CFG_WRITE(Cfg_WriteLwx) { CFG_OUT(u"%c", Disp_GetOptLwx() ? u'L' : u'N'); }
CFG_WRITE(Cfg_WriteLfst) { CFG_OUT(u"%c", Disp_GetOptLfst() ? u'A' : u'S'); }
CFG_WRITE(Cfg_WriteSige) { CFG_OUT(u"%c", Disp_GetOptSige() ? u'A' : u'S'); }
CFG_WRITE(Cfg_WriteAnzHst) { CFG_OUT(u"%c", Disp_GetOptAnzHst() ? u'A' : u'S'); }
CFG_WRITE(Cfg_WriteTxte) { CFG_OUT(u"%c", Disp_GetOptTxte() ? u'T' : u'N'); }

CFG_READ(Cfg_ReadBremsF) {
  i32 n;
  if (!v) return 0;
  if (!Cfg_Int(v, &n)) return 3;
  return Clk_SetDelayFactor(n) ? 3 : 0;
}
CFG_WRITE(Cfg_WriteBremsF) { CFG_OUT(u"%u", u32(Clk_GetDelayFactor())); }
CFG_READ(Cfg_ReadViaTimer) {
  if (!v || !v[0]) return 0;
  if (v[0] == u'V') ViaTimer = 1;
  else if (v[0] == u'T') ViaTimer = 0;
  else return 3;
  return 0;
}
CFG_WRITE(Cfg_WriteViaTimer) { CFG_OUT(u"%c", ViaTimer ? u'V' : u'T'); }

// View options: 'L' bit 1 (else 'D'), 'M' bit 2 (else 's'), 'E' bit 4 (else 'v').
CFG_READ(Cfg_ReadV) {
  if (!v) return 0;
  static const wch kOn[3] = {u'L', u'M', u'E'}, kOff[3] = {u'D', u's', u'v'};
  u32 word = 0;
  for (int i = 0; i < 3 && v[i]; ++i) {
    if (v[i] == kOn[i]) word |= 1u << i;
    else if (v[i] != kOff[i]) return 3;
  }
  Trn_SetViewOptions(word);
  return 0;
}
CFG_WRITE(Cfg_WriteV) {
  const u32 w = Trn_GetViewOptions();
  CFG_OUT(u"%c%c%c", (w & 1) ? u'L' : u'D', (w & 2) ? u'M' : u's', (w & 4) ? u'E' : u'v');
}

// The sound word, one letter per option ('n' for an option that is off).
CFG_READ(Cfg_ReadRadauOpt) {
  if (!v) return 0;
  static const wch kLetters[6] = {u'H', u'T', u'Z', u'A', u'B', u'S'};
  static const u32 kBits[6] = {1, 2, 4, 8, 16, 32};
  u32 word = 0;
  for (int i = 0; i < 6 && v[i]; ++i) {
    if (v[i] == kLetters[i]) word |= kBits[i];
    else if (i == 2 && v[i] == u'V') word |= 64;
  }
  Snd_SetOptions(word);
  return 0;
}
CFG_WRITE(Cfg_WriteRadauOpt) {
  const u32 w = Snd_GetOptions();
  CFG_OUT(u"%c%c%c%c%c%c", (w & 1) ? u'H' : u'n', (w & 2) ? u'T' : u'n', (w & 4) ? u'Z' : (w & 64) ? u'V' : u'n',
          (w & 8) ? u'A' : u'n', (w & 16) ? u'B' : u'n', (w & 32) ? u'S' : u'n');
}
CFG_READ(Cfg_ReadKrawallOpt) {
  if (!v) return 0;
  Snd_SetOutput(v[0] == u'1');
  return 0;
}
CFG_WRITE(Cfg_WriteKrawallOpt) { CFG_OUT(u"%c", Snd_OutputOn() ? u'1' : u'0'); }

CFG_READ(Cfg_ReadHgrBmpOpt) {
  if (!v || !v[0]) return 0;
  const i32 mode = v[0] == u'1' ? 3 : v[0] == u'2' ? 2 : v[0] == u'D' ? 4 : 1;
  return Bgp_SetMode(mode) ? 3 : 0;
}
CFG_WRITE(Cfg_WriteHgrBmpOpt) {
  const i32 m = Bgp_GetMode();
  CFG_OUT(u"%c%c", m == 3 ? u'1' : m == 2 ? u'2' : m == 4 ? u'D' : u'0', u'-');
}

CFG_READ(Cfg_ReadWarnDatN) {
  if (v) File_OptWarnDatN(v[0] == u'J' ? 1 : 2);
  return 0;
}
CFG_WRITE(Cfg_WriteWarnDatN) { CFG_OUT(u"%c", File_OptWarnDatN(0) == 1 ? u'J' : u'N'); }

CFG_READ(Cfg_ReadEinzelGzg) {
  if (v) Disp_SetSingleFileGfx(v[0] == u'n' ? 0 : 1);
  return 0;
}
CFG_WRITE(Cfg_WriteEinzelGzg) { CFG_OUT(u"%c", Disp_GetSingleFileGfx() ? u'E' : u'n'); }

static int g_cfgZoomSet = 4;
CFG_READ(Cfg_ReadZoom2) {
  if (v) g_cfgZoomSet = v[0] == u'E' ? 2 : v[0] == u'4' ? 4 : 1;
  return 0;
}
CFG_WRITE(Cfg_WriteZoom2) {
  const int z = Gfx_GetZoomSet();
  CFG_OUT(u"%s", z == 4 ? u"4" : z == 2 ? u"E" : u"1");
}

static int Cfg_ReadLanguage(const wch* v, int which) {
  if (!v) return 0;
  if (Str_Len(v) > CFG_PATH_MAX) return 3;
  if (which == 2) {
    // The help file is taken only when it exists in the program folder.
    if (!v[0] || !Fio_FileExists(v, FOLDER_PROGRAM)) return 0;
  }
  if (v[0]) Str_Copy(g_cfgLang[which], v);
  return 0;
}
CFG_READ(Cfg_ReadSpracheP) { return Cfg_ReadLanguage(v, 0); }
CFG_READ(Cfg_ReadSpracheF) { return Cfg_ReadLanguage(v, 1); }
CFG_READ(Cfg_ReadHilfe) { return Cfg_ReadLanguage(v, 2); }
CFG_WRITE(Cfg_WriteSpracheP) { CFG_OUT(u"%s", g_cfgLang[0]); }
CFG_WRITE(Cfg_WriteSpracheF) { CFG_OUT(u"%s", g_cfgLang[1]); }
CFG_WRITE(Cfg_WriteHilfe) { CFG_OUT(u"%s", g_cfgLang[2]); }

CFG_READ(Cfg_ReadDateiZahl) {
  i32 n = File_OptRecentFiles(-1) & 0x7FFF;
  if (v && (!Cfg_Int(v, &n) || n < 0 || n > 32)) return 3;
  wch test[40] = {0};
  Cfg_Other("DateiTest", test, 40);
  File_OptRecentFiles(n | (test[0] == u'J' ? FILE_RECENT_TEST : 0));
  return 0;
}
CFG_WRITE(Cfg_WriteDateiZahl) { CFG_OUT(u"%u", u32(File_OptRecentFiles(-1) & 0x7FFF)); }
CFG_WRITE(Cfg_WriteDateiTest) { CFG_OUT(u"%c", (File_OptRecentFiles(-1) & FILE_RECENT_TEST) ? u'J' : u'n'); }

CFG_READ(Cfg_ReadAddOnL) {
  if (v) File_OptAddOnLoad(v[0] == u'a' ? 1 : 2);
  return 0;
}
CFG_WRITE(Cfg_WriteAddOnL) { CFG_OUT(u"%c", File_OptAddOnLoad(0) == 1 ? u'a' : u'n'); }

CFG_READ(Cfg_ReadGfxEig) {
  if (v) Map_SetStretchCaps(v[0] == u'D' ? 1 : 0);
  return 0;
}
CFG_WRITE(Cfg_WriteGfxEig) { CFG_OUT(u"%c%c", Map_GetStretchCaps() ? u'D' : u'n', u'V'); }

CFG_READ(Cfg_ReadLinTxt) {
  if (v && v[0] == u'T') Rule_LineTextMode(1);
  if (v && v[0] == u'n') Rule_LineTextMode(2);
  return 0;
}
CFG_WRITE(Cfg_WriteLinTxt) { CFG_OUT(u"%c", Rule_LineTextMode(0) == 1 ? u'T' : u'n'); }

// The dispatcher messages' stop options and kind settings.
CFG_READ(Cfg_ReadDispNAllg) { return v && Dmsg_ParseOptionsKey(v) ? 3 : 0; }
CFG_WRITE(Cfg_WriteDispNAllg) { Dmsg_FormatOptionsKey(out); }
CFG_READ(Cfg_ReadDispNn) { return v && Dmsg_ParseKindsKey(v) ? 3 : 0; }
CFG_WRITE(Cfg_WriteDispNn) { Dmsg_FormatKindsKey(out); }

// Keys kept as text: the value must match a rule before it is kept.
CFG_READ(Cfg_KeepAny) {
  if (v) Cfg_Keep(g_cfgKeyName, v);
  return 0;
}
CFG_READ(Cfg_KeepGZ) {
  if (!v) return 0;
  if (v[0] != u'G' && v[0] != u'Z') return 3;
  Cfg_Keep(g_cfgKeyName, v);
  return 0;
}
CFG_READ(Cfg_KeepInt) {
  i32 n;
  if (!v) return 0;
  if (!Cfg_Int(v, &n)) return 3;
  Cfg_Keep(g_cfgKeyName, v);
  return 0;
}
CFG_READ(Cfg_KeepHex) {
  u32 x;
  if (!v) return 0;
  if (!Cfg_Hex(v, &x)) return 3;
  Cfg_Keep(g_cfgKeyName, v);
  return 0;
}
CFG_READ(Cfg_KeepXN) {
  if (!v) return 0;
  if (v[0] != u'X' && v[0] != u'N') return 3;
  Cfg_Keep(g_cfgKeyName, v);
  return 0;
}
CFG_READ(Cfg_KeepBau3) {
  i32 n[16];
  if (!v) return 0;
  if (Cfg_Ints(v, n, 16) != 3) return 3;
  Cfg_Keep(g_cfgKeyName, v);
  return 0;
}
CFG_READ(Cfg_KeepBau13) {
  i32 n[16];
  if (!v) return 0;
  if (Cfg_Ints(v, n, 16) != 13) return 3;
  Cfg_Keep(g_cfgKeyName, v);
  return 0;
}

static const CfgKey kCfgKeys[] = {
    {"FrameRate", Cfg_ReadFrameRate, Cfg_WriteFrameRate, "0", 0},
    {"EndeF", Cfg_ReadExit, Cfg_WriteExit, "E", 0},
    {"Backup", Cfg_ReadBackup, Cfg_WriteBackup, "10", 0},
    {"CP_AnsiUni", Cfg_ReadCpAnsiUni, Cfg_WriteCpAnsiUni, "-1", 0},
    {"CP_UniAnsi", Cfg_ReadCpUniAnsi, Cfg_WriteCpUniAnsi, "-1", 0},
    {"O", Cfg_ReadO, Cfg_WriteO, "1", 0},
    {"AutoSpNtDiff", Cfg_ReadAutoDiff, Cfg_WriteAutoDiff, "0", 1},
    {"AutoSpNtOpt", Cfg_ReadNothing, Cfg_WriteAutoOpt, nullptr, 1},
    {"P", Cfg_ReadP, Cfg_WriteP, "1", 0},
    {"Q", Cfg_ReadQ, Cfg_WriteQ, "1", 0},
    {"Stat_Opt", Cfg_ReadStatOpt, Cfg_WriteStatOpt, "9FFF", 0},
    {"Stat_Sep", Cfg_ReadStatSep, Cfg_WriteStatSep, " ", 0},
    {"F", Cfg_KeepAny, nullptr, nullptr, 0},
    {"N", Cfg_KeepAny, nullptr, nullptr, 0},
    {"Pfad_nt3", Cfg_ReadPfadNt3, Cfg_WritePfadNt3, nullptr, 0},
    {"Pfad_pcx", Cfg_ReadPfadPcx, Cfg_WritePfadPcx, nullptr, 0},
    {"Pfad_dat", Cfg_ReadPfadDat, Cfg_WritePfadDat, nullptr, 0},
    {"Pfad_log", Cfg_ReadPfadLog, Cfg_WritePfadLog, nullptr, 0},
    {"Pfad_bna", Cfg_ReadPfadBna, Cfg_WritePfadBna, nullptr, 0},
    {"I", Cfg_KeepAny, nullptr, nullptr, 0},
    {"Log_P", Cfg_KeepAny, nullptr, nullptr, 0},
    {"Log_Opt", Cfg_ReadLogOpt, Cfg_WriteLogOpt, "PD23", 0},
    {"Log_Sep", Cfg_ReadLogSep, Cfg_WriteLogSep, ",", 0},
    {"Log_Comm", Cfg_ReadLogComm, Cfg_WriteLogComm, ";", 0},
    {"Store_Hst", Cfg_KeepAny, nullptr, nullptr, 0},
    {"Store_SigA", Cfg_KeepAny, nullptr, nullptr, 0},
    {"MausRR", Cfg_ReadMausRR, Cfg_WriteMausRR, nullptr, 0},
    {"MausRD", Cfg_ReadMausRD, Cfg_WriteMausRD, nullptr, 0},
    {"MausCs", Cfg_ReadMausCs, Cfg_WriteMausCs, nullptr, 0},
    {"MausRBr", Cfg_ReadMausRBr, Cfg_WriteMausRBr, "-1", 0},
    {"DispNAllg", Cfg_ReadDispNAllg, Cfg_WriteDispNAllg, nullptr, 0},
    {"DispNn", Cfg_ReadDispNn, Cfg_WriteDispNn, nullptr, 0},
    {"V", Cfg_ReadV, Cfg_WriteV, nullptr, 0},
    {"#Fonts", Cfg_KeepAny, nullptr, nullptr, 0},
    {"#Farbe", Cfg_ReadColours, nullptr, nullptr, 0},
    {"E", Cfg_KeepAny, nullptr, nullptr, 0},
    {"#SuchText", Cfg_KeepAny, nullptr, nullptr, 0},
    {"SuchSym", Cfg_KeepHex, nullptr, nullptr, 0},
    {"FzgSuchOpt", Cfg_KeepAny, nullptr, nullptr, 0},
    {"FzgSuchTxt0", Cfg_KeepAny, nullptr, nullptr, 0},
    {"FzgSuchTxt1", Cfg_KeepAny, nullptr, nullptr, 0},
    {"FzgSuchTxt2", Cfg_KeepAny, nullptr, nullptr, 0},
    {"FzgListOpt", Cfg_KeepAny, nullptr, nullptr, 0},
    {"ZeitTrenn", Cfg_ReadZeitTrenn, Cfg_WriteZeitTrenn, nullptr, 0},
    {"Schotter", Cfg_KeepGZ, nullptr, nullptr, 0},
    {"FwH2O", Cfg_KeepGZ, nullptr, nullptr, 0},
    {"FwBus", Cfg_KeepGZ, nullptr, nullptr, 0},
    {"Rangp", Cfg_ReadRangp, Cfg_WriteRangp, "R", 0},
    {"Lwx", Cfg_ReadLwx, Cfg_WriteLwx, "L", 0},
    {"Lfst", Cfg_ReadLfst, Cfg_WriteLfst, "S", 0},
    {"Sige", Cfg_ReadSige, Cfg_WriteSige, "S", 0},
    {"AnzHst", Cfg_ReadAnzHst, Cfg_WriteAnzHst, "S", 0},
    {"Txte", Cfg_ReadTxte, Cfg_WriteTxte, "T", 0},
    {"ZugTxte", Cfg_KeepAny, nullptr, nullptr, 0},
    {"ZugTxteZei", Cfg_KeepInt, nullptr, nullptr, 0},
    {"ObjTxte", Cfg_KeepAny, nullptr, nullptr, 0},
    {"ObjTxteZei", Cfg_KeepInt, nullptr, nullptr, 0},
    {"DateiDlg", Cfg_KeepXN, nullptr, nullptr, 0},
    {"BremsF", Cfg_ReadBremsF, Cfg_WriteBremsF, "-1", 0},
    {"ViaTimer", Cfg_ReadViaTimer, Cfg_WriteViaTimer, "T", 0},
    {"H", Cfg_KeepAny, nullptr, nullptr, 0},
    {"HgrBmpOpt", Cfg_ReadHgrBmpOpt, Cfg_WriteHgrBmpOpt, nullptr, 0},
    {"RadauOpt", Cfg_ReadRadauOpt, Cfg_WriteRadauOpt, nullptr, 0},
    {"KrawallOpt", Cfg_ReadKrawallOpt, Cfg_WriteKrawallOpt, "1", 0},
    {"Anima", Cfg_ReadAnima, Cfg_WriteAnima, nullptr, 0},
    {"WarnUeb", Cfg_KeepAny, nullptr, nullptr, 0},
    {"WarnDatN", Cfg_ReadWarnDatN, Cfg_WriteWarnDatN, "J", 0},
    {"BauStrecke", Cfg_KeepBau3, nullptr, nullptr, 0},
    {"BauFlaeche", Cfg_KeepBau13, nullptr, nullptr, 0},
    {"StrUmb", Cfg_KeepBau3, nullptr, nullptr, 0},
    {"MarkZOpt", Cfg_KeepAny, nullptr, nullptr, 0},
    {"EinzelGZG", Cfg_ReadEinzelGzg, Cfg_WriteEinzelGzg, "E", 0},
    {"Zoom2", Cfg_ReadZoom2, Cfg_WriteZoom2, "4", 0},
    {"BauformHst", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformLfst", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformSoundP", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformPrell", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformRp", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformDwx", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformTp", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformWei", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformTunn", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformHSig", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformVSig", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformKSig", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformBUESig", Cfg_KeepInt, nullptr, nullptr, 0},
    {"BauformSK", Cfg_KeepInt, nullptr, nullptr, 0},
    {"#Fenster", Cfg_KeepAny, nullptr, nullptr, 0},
    {"Sprache_P", Cfg_ReadSpracheP, Cfg_WriteSpracheP, nullptr, 0},
    {"Sprache_F", Cfg_ReadSpracheF, Cfg_WriteSpracheF, nullptr, 0},
    {"Hilfe", Cfg_ReadHilfe, Cfg_WriteHilfe, nullptr, 0},
    {"DateiZahl", Cfg_ReadDateiZahl, Cfg_WriteDateiZahl, "20", 0},
    {"DateiTest", Cfg_ReadNothing, Cfg_WriteDateiTest, nullptr, 0},
    {"#DName", Cfg_ReadNothing, nullptr, nullptr, 0},
    {"DateiAddOnL", Cfg_ReadAddOnL, Cfg_WriteAddOnL, nullptr, 0},
    {"Gfx_Eig", Cfg_ReadGfxEig, Cfg_WriteGfxEig, "DV", 0},
    {"LinTxt_Eig", Cfg_ReadLinTxt, Cfg_WriteLinTxt, nullptr, 0},
};

// The numbered key families, written where their "#" row stands.
static const char* const kCfgFontEnds[] = {"N", "W"};
static const char* const kCfgFontKinds[] = {"GSym0", "GSymZ", "FixS", "VarS", "VarE", "FixE", "FixDlg", "Var0"};

static void Cfg_WideName(const char* s, wch* out) {
  int i = 0;
  for (; s[i] && i < 23; ++i) out[i] = wch(s[i]);
  out[i] = 0;
}

// ---------------------------------------------------------------- sections
static const wch* const kCfgSections[] = {u"ORBA_385", u"ORBA_384", u"ORBA_383", u"ORBA_381", u"ORBA_380",
                                          u"ORBA_375", u"ORBA_370", u"ORBA_359", u"ORBA_358"};

// Reads one key: its value to its reader; a refusal adds its name to the
// report and reading goes on.
static int Cfg_ReadKey(const wch* name, int (*read)(const wch*)) {
  wch value[CFG_VALUE_MAX + 1];
  Str_Copy(g_cfgKeyName, name);
  const int found = Cfg_FindValue(g_cfgText, g_cfgSection, name, value, CFG_VALUE_MAX + 1);
  if (read(found ? value : nullptr) == 0) return 0;
  const i32 n = Str_Len(g_cfgBad);
  if (n + Str_Len(name) + 3 < i32(sizeof g_cfgBad / sizeof g_cfgBad[0])) {
    if (n) Str_Append(g_cfgBad, u", ");
    Str_Append(g_cfgBad, name);
  }
  return 3;
}

static int Cfg_ReadColour(int i, const wch* v) {
  i32 n[4];
  u32 rgb[3];
  int k = 0;
  wch part[16] = {};
  const wch* p = v;
  // Three hexadecimal numbers red, green, blue, or one colour code 0..62.
  for (; k < 3; ++k) {
    int m = 0;
    while (*p && *p != u',' && m < 7) part[m++] = *p++;
    part[m] = 0;
    if (!Cfg_Hex(part, &rgb[k]) || rgb[k] > 255) break;
    if (*p == u',') ++p;
    else {
      ++k;
      break;
    }
  }
  if (k == 3 && !*p) return Pal_SetColour(i, rgb[0] | (rgb[1] << 8) | (rgb[2] << 16)) == PAL_SET_BAD_INDEX ? 3 : 0;
  if (Cfg_Ints(v, n, 4) == 1 && n[0] >= 0 && n[0] <= 62)
    return Pal_SetColour(i, Pal_ColourCodeToRgb(u32(n[0])) & 0xFFFFFF) == PAL_SET_BAD_INDEX ? 3 : 0;
  return 3;
}

int Cfg_ReadText(const wch* text, int* zoomSet) {
  g_cfgBad[0] = 0;
  g_cfgText = text;
  g_cfgSection = kCfgSections[8];
  for (int s = 0; s < 8; ++s)
    if (Cfg_HasSection(text, kCfgSections[s])) {
      g_cfgSection = kCfgSections[s];
      break;
    }
  int bad = 0;
  wch name[40], value[CFG_VALUE_MAX + 1];
  for (const CfgKey& k : kCfgKeys) {
    if (kCfgViewer && k.viewerSkips) continue;
    if (k.name[0] != '#') {
      Cfg_WideName(k.name, name);
      bad |= Cfg_ReadKey(name, k.read);
      continue;
    }
    const char* family = k.name + 1;
    if (family[0] == 'F' && family[1] == 'o') {
      for (const char* kind : kCfgFontKinds)
        for (const char* end : kCfgFontEnds) {
          char a[40];
          Fmt_PrintA(a, 40, "Font%s%s", kind, end);
          Cfg_WideName(a, name);
          bad |= Cfg_ReadKey(name, Cfg_KeepAny);
        }
    } else if (family[0] == 'F' && family[1] == 'a') {
      for (int i = 0; i < PAL_ENTRIES; ++i) {
        Fmt_Print(name, 40, u"Farbe%u", u32(i));
        if (!Cfg_FindValue(text, g_cfgSection, name, value, CFG_VALUE_MAX + 1)) continue;
        if (Cfg_ReadColour(i, value)) bad |= Cfg_ReadKey(name, [](const wch*) { return 3; });
      }
    } else if (family[0] == 'S') {
      for (int i = 0; i < 20; ++i) {
        Fmt_Print(name, 40, u"SuchText%u", u32(i));
        if (!Cfg_FindValue(text, g_cfgSection, name, value, CFG_VALUE_MAX + 1)) break;
        bad |= Cfg_ReadKey(name, Cfg_KeepAny);
      }
    } else if (family[0] == 'F') {
      const char* keys[] = {"Fenster0", "Fenster1", "Fenster2", "Fenster3", "Fenster4", "Fenster5", "Fenster6", "FensterU"};
      for (const char* key : keys) {
        Cfg_WideName(key, name);
        bad |= Cfg_ReadKey(name, Cfg_KeepAny);
      }
    } else if (family[0] == 'D') {
      const int test = File_OptRecentFiles(-1) & FILE_RECENT_TEST;
      for (int i = MENU_RECENT_SLOTS - 1; i >= 0; --i) {
        Fmt_Print(name, 40, u"DName%u", u32(i));
        if (!Cfg_FindValue(text, g_cfgSection, name, value, CFG_VALUE_MAX + 1) || !value[0]) continue;
        if (test && Os_Access(value, OS_ACCESS_EXISTS) != 0) continue;
        Menu_RecentAdd(value);
      }
    }
  }
  g_cfgText = nullptr;
  if (zoomSet) *zoomSet = g_cfgZoomSet;
  return bad ? 3 : 0;
}

// ---------------------------------------------------------------- defaults
void Cfg_DefaultColours(void) {
  // The palette's reset holds the built-in colour of every entry.
  Pal_Reset();
}

void Cfg_SetDefaults(void) {
  g_cfgWriteAtExit = 1;
  Cfg_ClearKept();
  Snd_SetOptions(SND_OPT_EVENTS | SND_OPT_ALARM);
  Mcs_SetAnimationWord(MCS_ANIM_ALL);
  Trn_SetViewOptions(0);
  Str_Copy(g_cfgLang[0], u"orba.lng");
  Str_Copy(g_cfgLang[1], u"orba.lnv");
  Str_Copy(g_cfgLang[2], u"orba.chm");
  g_ovwExport.options = 1;
  g_ovwExport.scale = 1;
  Cur_SetFlags(9);
  Cur_SetScrollSpeed(-1);
  Cur_SetMode(51);
  File_OptRecentFiles(20);
  File_OptAddOnLoad(2);
  File_SetAutoSave(0, 0);
  Menu_RecentAdd(nullptr);
  Cfg_DefaultColours();
  wch value[40];
  for (const CfgKey& k : kCfgKeys) {
    if (!k.defaultText) continue;
    Cfg_WideName(k.defaultText, value);
    k.read(value);
  }
}

// ---------------------------------------------------------------- place
// 1 when a file can be made in folder (a probe written and removed).
static int Cfg_FolderWritable(const wch* folder) {
  wch probe[OS_MAX_PATH];
  if (Fmt_Print(probe, OS_MAX_PATH, u"%s~orbacfg.tmp", folder) >= OS_MAX_PATH - 1) return 0;
  const int h = Os_Create(probe);
  if (h < 0) return 0;
  Os_Close(h);
  Os_Remove(probe);
  return 1;
}

void Cfg_Folder(wch* folder) {
  if (Fio_FolderPath(FOLDER_SETTINGS, folder, OS_MAX_PATH) == 0 && folder[0]) return;
  if (g_cfgFolder[0]) {
    Str_Copy(folder, g_cfgFolder);
    return;
  }
  Fio_FolderPath(FOLDER_PROGRAM, folder, OS_MAX_PATH);
}

// Settles where the file lives: the settings folder when given; else the
// program folder when it can be written; else the user's own folder, which
// takes over a file the program folder holds.
static void Cfg_SettleFolder(void) {
  wch given[OS_MAX_PATH], program[OS_MAX_PATH];
  g_cfgFolder[0] = 0;
  if (Fio_FolderPath(FOLDER_SETTINGS, given, OS_MAX_PATH) == 0 && given[0]) {
    Str_Copy(g_cfgFolder, given);
    return;
  }
  if (Fio_FolderPath(FOLDER_PROGRAM, program, OS_MAX_PATH) != 0) program[0] = 0;
  if (Cfg_FolderWritable(program)) {
    Str_Copy(g_cfgFolder, program);
    return;
  }
  wch own[OS_MAX_PATH];
  if (Os_GetAppDataFolder(own, OS_MAX_PATH - 8) != 0) {
    Str_Copy(g_cfgFolder, program);
    return;
  }
  Str_Append(own, u"ORBA\\");
  Os_CreateFolder(own);
  Str_Copy(g_cfgFolder, own);
  wch from[OS_MAX_PATH], to[OS_MAX_PATH];
  if (Fmt_Print(from, OS_MAX_PATH, u"%s%s", program, kCfgName) < OS_MAX_PATH - 1 &&
      Fmt_Print(to, OS_MAX_PATH, u"%s%s", own, kCfgName) < OS_MAX_PATH - 1 &&
      Os_Access(to, OS_ACCESS_EXISTS) != 0 && Os_Access(from, OS_ACCESS_EXISTS) == 0)
    Fio_CopyFile(from, to);
}

static int Cfg_Path(wch* path) {
  wch folder[OS_MAX_PATH];
  Cfg_Folder(folder);
  return Fmt_Print(path, OS_MAX_PATH, u"%s%s", folder, kCfgName) >= OS_MAX_PATH - 1 ? 1 : 0;
}

// ---------------------------------------------------------------- earlier versions
// The recorded install folders of earlier versions, newest first, and the
// fixed folders of the oldest ones.
static const wch* const kCfgOldValues[] = {u"O385_PFAD", u"O384_PFAD", u"O383_PFAD", u"O381_PFAD", u"O380_PFAD", u"O375_PFAD"};
static const wch* const kCfgOldFixed[] = {u"C:\\ORBA375\\ORBA.INI", u"C:\\ORBA370\\ORBA.INI", u"C:\\ORBA359\\ORBA.INI"};

// Folders compared as the user sees them: case, leading blanks and a closing
// separator do not matter.
static int Cfg_SameFolder(const wch* a, const wch* b) {
  while (*a == u' ') ++a;
  while (*b == u' ') ++b;
  wch x[OS_MAX_PATH], y[OS_MAX_PATH];
  Fmt_Print(x, OS_MAX_PATH, u"%s", a);
  Fmt_Print(y, OS_MAX_PATH, u"%s", b);
  wch* both[2] = {x, y};
  for (wch* f : both) {
    i32 n = Str_Len(f);
    if (n > 0 && (f[n - 1] == u'\\' || f[n - 1] == u'/')) f[n - 1] = 0;
  }
  return Str_CompareEx(x, y, STR_CMP_NOCASE) == 0;
}

int Cfg_FindOldSettings(wch* found) {
  found[0] = 0;
  wch given[OS_MAX_PATH], program[OS_MAX_PATH], path[OS_MAX_PATH];
  if (Fio_FolderPath(FOLDER_SETTINGS, given, OS_MAX_PATH) == 0 && given[0]) return 0;
  if (Fio_FolderPath(FOLDER_PROGRAM, program, OS_MAX_PATH) != 0) program[0] = 0;
  int here = Cfg_Path(path) == 0 && Os_Access(path, OS_ACCESS_EXISTS) == 0;
  wch recorded[OS_MAX_PATH];
  if (Os_GetUserValue(kCfgOldValues[0], recorded, OS_MAX_PATH) != 0) recorded[0] = 0;
  const int differs = !Cfg_SameFolder(recorded, program);
  int elsewhere = 0;
  for (const wch* name : kCfgOldValues) {
    if (here || elsewhere) break;
    wch folder[OS_MAX_PATH];
    if (Os_GetUserValue(name, folder, OS_MAX_PATH) != 0) continue;
    const i32 n = Str_Len(folder);
    if (n < 1 || n > 239 || Str_Len(program) >= 240) continue;
    const int closed = folder[n - 1] == u'\\' || folder[n - 1] == u'/';
    Fmt_Print(path, OS_MAX_PATH, u"%s%s%s", folder, closed ? u"" : u"\\", kCfgName);
    if (Os_Access(path, OS_ACCESS_EXISTS) != 0) continue;
    if (differs) {
      elsewhere = 1;
      Str_Copy(found, path);
    } else {
      here = 1;
    }
  }
  for (const wch* fixed : kCfgOldFixed) {
    if (here || elsewhere) break;
    if (Os_Access(fixed, OS_ACCESS_EXISTS) != 0) continue;
    elsewhere = 1;
    Str_Copy(found, fixed);
  }
  if (differs && program[0]) Os_SetUserValue(kCfgOldValues[0], program);
  return elsewhere;
}

// Offers the settings of an earlier version (question 214) and copies them
// where this version reads its own.
static void Cfg_OfferOldSettings(void) {
  wch old[OS_MAX_PATH], text[OS_MAX_PATH + 300], to[OS_MAX_PATH];
  if (!Cfg_FindOldSettings(old)) return;
  Fmt_Print(text, OS_MAX_PATH + 300, u"%s (\"%s\")", Lng_GetText(11801), old);
  if (Msg_Box(text, Lng_GetText(11800), 214, 3) != 3) return;
  if (Cfg_Path(to) != 0 || Fio_CopyFile(old, to) != 0) Msg_WarnId(215, 11802);
}

// ---------------------------------------------------------------- reading the file
// The file's text: UTF-16 with its byte-order mark, else 8-bit text in the
// code page. A Heap block the caller frees; null when missing.
static wch* Cfg_LoadText(const wch* path) {
  const int h = Os_Open(path);
  if (h < 0) return nullptr;
  const i64 len = Os_FileLength(h);
  if (len < 0 || len > 4 * 1024 * 1024) {
    Os_Close(h);
    return nullptr;
  }
  u8* bytes = static_cast<u8*>(Heap_Alloc(u32(len) + 2));
  if (!bytes) {
    Os_Close(h);
    return nullptr;
  }
  const i32 got = len ? Os_Read(h, bytes, u32(len)) : 0;
  Os_Close(h);
  if (got != i32(len)) {
    Heap_Free(bytes);
    return nullptr;
  }
  const u32 n = u32(len);
  wch* text;
  if (n >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    const int big = bytes[0] == 0xFE;
    const u32 units = (n - 2) / 2;
    text = static_cast<wch*>(Heap_Alloc((units + 1) * sizeof(wch)));
    if (text) {
      for (u32 i = 0; i < units; ++i) {
        const u8 a = bytes[2 + 2 * i], b = bytes[3 + 2 * i];
        text[i] = big ? wch((a << 8) | b) : wch((b << 8) | a);
      }
      text[units] = 0;
    }
  } else {
    bytes[n] = 0;
    text = static_cast<wch*>(Heap_Alloc((n + 1) * sizeof(wch)));
    if (text && Lng_AnsiToWide(reinterpret_cast<const char*>(bytes), text, i32(n + 1)) < 1) text[0] = 0;
  }
  Heap_Free(bytes);
  return text;
}

int Cfg_ReadSettings(int* zoomSet) {
  wch path[OS_MAX_PATH];
  if (Cfg_Path(path) != 0) return 1;
  wch* text = Cfg_LoadText(path);
  if (!text) return 1;
  const int r = Cfg_ReadText(text, zoomSet);
  Heap_Free(text);
  return r;
}

void Cfg_Startup(void) {
  File_ClearUserFileNames();
  Cfg_Locate();
}

void Cfg_Locate(void) {
  Cfg_SetDefaults();
  Cfg_SettleFolder();
  if (!SecondInstanceFlag) Cfg_OfferOldSettings();
  int zoom = 4;
  const int r = Cfg_ReadSettings(&zoom);
  if (r == 1) {
    // No file yet: a fresh one with the defaults.
    if (!SecondInstanceFlag) Cfg_WriteSettings();
  } else if (r != 0) {
    // The keys that could be read stay applied and the file stays the
    // user's: only the refused keys keep their defaults.
    wch path[OS_MAX_PATH], text[OS_MAX_PATH + 600];
    Cfg_Path(path);
    Fmt_Print(text, OS_MAX_PATH + 600, u"%s: \"%s\"\n%s", Lng_GetText(11119), path, g_cfgBad);
    Msg_ErrorText(212, text);
  }
  if (zoom == 0) zoom = 4;
  if (zoom != Gfx_GetZoomSet()) Gfx_SetZoomSet(zoom, 0);
}

// ---------------------------------------------------------------- writing
static int Cfg_WriteLine(const wch* key, const wch* value) {
  int r = Fio_WriteString(key);
  if (!r) r = Fio_WriteChar(u'=');
  if (!r) r = Fio_WriteString(value);
  return r ? r : Fio_WriteCrLf();
}

static int Cfg_WriteKept(const wch* name) {
  const CfgKept* k = Cfg_FindKept(name);
  return k && k->value ? Cfg_WriteLine(name, k->value) : 0;
}

static int Cfg_WriteKeys(void) {
  wch line[400];
  Fmt_Print(line, 400, u";%s %s", Lng_GetText(800), Lng_GetText(11041));
  int r = Fio_WriteString(line);
  if (!r) r = Fio_WriteCrLf();
  if (!r) r = Fio_WriteString(u"[ORBA_385]");
  if (!r) r = Fio_WriteCrLf();
  wch name[40], value[CFG_VALUE_MAX + 1];
  for (const CfgKey& k : kCfgKeys) {
    if (r) return r;
    if (kCfgViewer && k.viewerSkips) continue;
    if (k.name[0] != '#') {
      Cfg_WideName(k.name, name);
      if (k.write) {
        k.write(value);
        r = Cfg_WriteLine(name, value);
      } else {
        r = Cfg_WriteKept(name);
      }
      continue;
    }
    const char* family = k.name + 1;
    if (family[0] == 'F' && family[1] == 'o') {
      for (const char* kind : kCfgFontKinds)
        for (const char* end : kCfgFontEnds) {
          char a[40];
          Fmt_PrintA(a, 40, "Font%s%s", kind, end);
          Cfg_WideName(a, name);
          if (!r) r = Cfg_WriteKept(name);
        }
    } else if (family[0] == 'F' && family[1] == 'a') {
      for (int i = 0; i < PAL_ENTRIES && !r; ++i) {
        const u32 c = Pal_GetColour(i);
        Fmt_Print(name, 40, u"Farbe%u", u32(i));
        Fmt_Print(value, 40, u"%02X,%02X,%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        r = Cfg_WriteLine(name, value);
      }
    } else if (family[0] == 'S') {
      for (int i = 0; i < 20 && !r; ++i) {
        Fmt_Print(name, 40, u"SuchText%u", u32(i));
        r = Cfg_WriteKept(name);
      }
    } else if (family[0] == 'F') {
      const char* keys[] = {"Fenster0", "Fenster1", "Fenster2", "Fenster3", "Fenster4", "Fenster5", "Fenster6", "FensterU"};
      for (const char* key : keys) {
        Cfg_WideName(key, name);
        if (!r) r = Cfg_WriteKept(name);
      }
    } else if (family[0] == 'D') {
      for (int i = 0; i < MENU_RECENT_SLOTS && !r; ++i) {
        if (!Menu_RecentSlot(i)[0]) continue;
        Fmt_Print(name, 40, u"DName%u", u32(i));
        r = Cfg_WriteLine(name, Menu_RecentSlot(i));
      }
    }
  }
  return r;
}

int Cfg_WriteSettings(void) {
  if (SecondInstanceFlag) return 3;
  wch path[OS_MAX_PATH];
  if (Cfg_Path(path) != 0) return 1;
  int r = Fio_OpenWrite(path, FIO_WRITE_BOM, FOLDER_FULLPATH);
  if (r) return r;
  r = Cfg_WriteKeys();
  if (r) {
    Fio_CancelWrite();
    return r;
  }
  r = Fio_CloseWrite();
  if (r) Fio_CancelWrite();
  return r;
}

// The command line and the texts of start-up: which switches were given,
// the built-in texts before any language file is loaded, the language of a
// Windows language id and the start-error box's caption and body.
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/str.h"
#include "shell/app.h"

namespace {

// Blanks between tokens are the codes 1..32.
bool IsBlank(wch c) { return c >= 1 && c <= 32; }

// Copies n units into an APP_PATH_MAX buffer (null: not wanted); false when
// they do not fit with the zero.
bool CopyValue(wch* dst, const wch* src, i32 n) {
  if (n >= APP_PATH_MAX) return false;
  if (dst) {
    Mem_CopyWide(dst, src, n);
    dst[n] = 0;
  }
  return true;
}

// The switch word equals the name, letter case ignored.
bool WordIs(const wch* word, i32 n, const char* name) {
  i32 i = 0;
  for (; i < n && name[i]; ++i)
    if (Chr_Upper(word[i]) != wch(name[i])) return false;
  return i == n && !name[i];
}

// The word starts with the prefix (upper-case letters), letter case ignored.
bool WordStarts(const wch* word, i32 n, const char* prefix) {
  i32 i = 0;
  for (; prefix[i]; ++i)
    if (i >= n || Chr_Upper(word[i]) != wch(prefix[i])) return false;
  return true;
}

// A decimal number of at least one digit filling the n units; -1 for
// anything else (a sign, other characters, a value beyond i32).
i32 ParseCount(const wch* s, i32 n) {
  if (n < 1) return -1;
  i64 v = 0;
  for (i32 i = 0; i < n; ++i) {
    if (s[i] < u'0' || s[i] > u'9') return -1;
    v = v * 10 + (s[i] - u'0');
    if (v > 0x7FFFFFFF) return -1;
  }
  return i32(v);
}

const char* const kLanguageSwitches[6] = {"LE", "LD", "LFR", "LNL", "LPL", "LES"};

struct Parse {
  int bits = 0;      // switches given (APP_SW_N only when given as a switch)
  int language = -1;
  int scale = 0;
  i32 title = -1;
};

// One switch word; false refuses the line.
bool TakeSwitch(Parse& p, const wch* w, i32 n, wch* settingsPath) {
  if (WordIs(w, n, "Q")) {
    if (p.bits & (APP_SW_Q | APP_SW_TNR)) return false;
    p.bits |= APP_SW_Q;
    return true;
  }
  if (WordIs(w, n, "N")) {
    if (p.bits & APP_SW_N) return false;
    p.bits |= APP_SW_N;
    return true;
  }
  if (WordIs(w, n, "STOP")) {
    if (p.bits & APP_SW_STOP) return false;
    p.bits |= APP_SW_STOP;
    return true;
  }
  if (WordStarts(w, n, "TNR=")) {
    if (p.bits & (APP_SW_Q | APP_SW_TNR)) return false;
    p.title = ParseCount(w + 4, n - 4);
    if (p.title < 0) return false;
    p.bits |= APP_SW_TNR;
    return true;
  }
  if (WordStarts(w, n, "Z=N")) {
    if ((p.bits & APP_SW_Z) || n != 4 || (w[3] != u'1' && w[3] != u'2')) return false;
    p.scale = w[3] - u'0';
    p.bits |= APP_SW_Z;
    return true;
  }
  if (WordStarts(w, n, "I=\"")) {
    if (p.bits & APP_SW_I) return false;
    i32 end = 3;
    while (end < n && w[end] != u'"') ++end;
    if (end >= n || !CopyValue(settingsPath, w + 3, end - 3)) return false;
    p.bits |= APP_SW_I;
    return true;
  }
  for (int k = 0; k < 6; ++k) {
    if (!WordIs(w, n, kLanguageSwitches[k])) continue;
    if (p.bits & APP_SW_LANG) return false;
    p.language = k;
    p.bits |= APP_SW_LANG;
    return true;
  }
  return false;
}

// Everything after the program path; false refuses the line.
bool TakeTokens(Parse& p, const wch* s, wch* layoutFile, wch* settingsPath) {
  for (;;) {
    while (IsBlank(*s)) ++s;
    if (!*s) return true;
    if (*s == u'/' || *s == u'-') {
      ++s;
      while (IsBlank(*s)) ++s;
      const wch* w = s;
      while (*s && !IsBlank(*s)) ++s;
      if (!TakeSwitch(p, w, i32(s - w), settingsPath)) return false;
      continue;
    }
    if (p.bits & APP_SW_FILE) return false;
    const wch* name = s;
    if (*s == u'"') {
      name = ++s;
      while (*s && *s != u'"') ++s;
      if (!*s) return false;
      if (!CopyValue(layoutFile, name, i32(s - name))) return false;
      ++s;
    } else {
      while (*s && !IsBlank(*s)) ++s;
      if (!CopyValue(layoutFile, name, i32(s - name))) return false;
    }
    p.bits |= APP_SW_FILE;
  }
}

}  // namespace

int App_ParseCommandLine(const wch* line, wch* programPath, wch* layoutFile, wch* settingsPath, int* scale,
                         i32* title) {
  wch* outs[] = {programPath, layoutFile, settingsPath};
  for (wch* out : outs)
    if (out) out[0] = 0;
  if (scale) *scale = 0;
  if (!line) line = u"";

  Parse p;
  bool ok = true;
  const wch* s = line;
  const wch* path = s;
  if (*s == u'"') {
    path = ++s;
    while (*s && *s != u'"') ++s;
    ok = CopyValue(programPath, path, i32(s - path));
    if (*s) ++s;
  } else {
    while (*s && !IsBlank(*s)) ++s;
    ok = CopyValue(programPath, path, i32(s - path));
  }
  ok = ok && TakeTokens(p, s, layoutFile, settingsPath);

  // A language switch read before a refusal still chooses the language of
  // the usage box.
  if (p.language >= 0) StartupLanguage = p.language;
  if (!ok) return p.bits | APP_SW_ERROR;
  if (p.bits & APP_SW_FILE) p.bits |= APP_SW_N;
  if (scale) *scale = p.scale;
  if (title && (p.bits & APP_SW_TNR)) *title = p.title;
  return p.bits;
}

// ---------------------------------------------------------------- start-up texts

int App_LanguageOfLangId(u16 langId) {
  switch (langId & 0x3FF) {
    case 7:
      return 1;
    case 10:
      return 5;
    case 12:
      return 2;
    case 19:
      return 3;
    case 21:
      return 4;
    default:
      return 0;
  }
}

namespace {

enum { ROW_CAPTION = 4, ROW_FATAL = 6, ROW_GENERIC = 9, ROW_MISSING = 10, ROW_DAMAGED = 11, ROW_CPU = 12 };
// The body of a start-up error code: a text row and the file it names
// (none: the text alone). Other codes read "out of memory".
struct StartError {
  u32 code;
  int row;
  const wch* file;
};
const StartError kStartErrors[] = {
    {21, ROW_MISSING, u"orba.gzg"}, {22, ROW_DAMAGED, u"orba.gzg"}, {23, ROW_DAMAGED, u"orba.gzg"},
    {24, ROW_DAMAGED, u"orba.fzg"}, {71, ROW_MISSING, u"orba.lng"}, {72, ROW_DAMAGED, u"orba.lng"},
    {73, ROW_DAMAGED, u"orba.lng"}, {74, ROW_MISSING, u"orba.lnv"}, {75, ROW_DAMAGED, u"orba.lnv"},
    {76, ROW_DAMAGED, u"orba.lnv"}, {80, ROW_CPU, nullptr}};

}  // namespace

void App_StartErrorText(u32 code, int language, wch* caption, int captionSize, wch* body, int bodySize) {
  StartError e = {code, ROW_GENERIC, nullptr};
  for (const StartError& k : kStartErrors)
    if (k.code == code) e = k;
  Fmt_Print(caption, captionSize, Lng_StartupText(language, ROW_CAPTION), code);
  const wch* text = Lng_StartupText(language, e.row);
  const wch* fatal = Lng_StartupText(language, ROW_FATAL);
  if (e.file) Fmt_Print(body, bodySize, u"%s %s%s", text, e.file, fatal);
  else Fmt_Print(body, bodySize, u"%s%s", text, fatal);
}

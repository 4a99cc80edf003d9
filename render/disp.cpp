#include "render/disp.h"

DisplayOptions g_displayOptions;

void Disp_ResetOptions(void) {
  DisplayOptions& o = g_displayOptions;
  o.optH = 1;
  o.optSige = 0;
  o.optAnzHst = 0;
  o.optRangp = 0;
  o.optLwx = 1;
  o.optLfst = 0;
  o.optTxte = 1;
  o.trainTextMode = 24;
  o.trainTextRow = 0;
  o.objectTextMode = 192;
  o.objectTextRow = 0;
  o.singleFileGfx = 1;
  o.displayPause = 0;
}

namespace {
struct DispInit {
  DispInit() { Disp_ResetOptions(); }
} g_dispInit;
}  // namespace

void Disp_SetOptH(i32 v) { g_displayOptions.optH = v; }
void Disp_SetOptSige(i32 v) { g_displayOptions.optSige = v; }
void Disp_SetOptAnzHst(i32 v) { g_displayOptions.optAnzHst = v; }
void Disp_SetOptRangp(i32 v) { g_displayOptions.optRangp = v; }
void Disp_SetOptLwx(i32 v) { g_displayOptions.optLwx = v; }
void Disp_SetOptLfst(i32 v) { g_displayOptions.optLfst = v; }
void Disp_SetOptTxte(i32 v) { g_displayOptions.optTxte = v; }
i32 Disp_GetOptH(void) { return g_displayOptions.optH; }
i32 Disp_GetOptSige(void) { return g_displayOptions.optSige; }
i32 Disp_GetOptAnzHst(void) { return g_displayOptions.optAnzHst; }
i32 Disp_GetOptRangp(void) { return g_displayOptions.optRangp; }
i32 Disp_GetOptLwx(void) { return g_displayOptions.optLwx; }
i32 Disp_GetOptLfst(void) { return g_displayOptions.optLfst; }
i32 Disp_GetOptTxte(void) { return g_displayOptions.optTxte; }

static int RowOk(i32 row) { return row >= 0 && row <= DISP_TEXT_ROW_MAX; }

void Disp_SetTrainTextMode(u32 word, i32 row) {
  u32& m = g_displayOptions.trainTextMode;
  if (word == DISP_TRAIN_TEXT_CYCLE)
    m = (m & ~3u) | ((m + 1) & 3u);
  else
    m = word;
  if (RowOk(row)) g_displayOptions.trainTextRow = row;
}

void Disp_GetTrainTextMode(u32* word, i32* row) {
  if (word) *word = g_displayOptions.trainTextMode;
  if (row) *row = g_displayOptions.trainTextRow;
}

void Disp_SetObjectTextMode(u32 word, i32 row) {
  g_displayOptions.objectTextMode = word;
  if (RowOk(row)) g_displayOptions.objectTextRow = row;
}

void Disp_GetObjectTextMode(u32* word, i32* row) {
  if (word) *word = g_displayOptions.objectTextMode;
  if (row) *row = g_displayOptions.objectTextRow;
}

void Disp_SetSingleFileGfx(i32 v) { g_displayOptions.singleFileGfx = v; }
i32 Disp_GetSingleFileGfx(void) { return g_displayOptions.singleFileGfx; }
void Disp_SetDisplayPause(i32 on) { g_displayOptions.displayPause = on ? 1 : 0; }
i32 Disp_GetDisplayPause(void) { return g_displayOptions.displayPause; }

// Letter i of text, 0 past its end.
static wch LetterAt(const wch* text, int i) {
  if (!text) return 0;
  for (int k = 0; k < i; ++k)
    if (!text[k]) return 0;
  return text[i];
}

int Disp_ParseTrainTextLetters(const wch* text, u32* word) {
  u32 w = 24;
  wch first = LetterAt(text, 0);
  if (first == u'Z')
    w |= 1;
  else if (first != u'N')
    return 0;
  if (LetterAt(text, 1) == u'K') w |= 2;
  if (LetterAt(text, 2) == u'T') w |= 4;
  if (LetterAt(text, 3) == u'-') w &= ~8u;
  if (LetterAt(text, 4) == u'-') w &= ~16u;
  *word = w;
  return 1;
}

u32 Disp_ParseObjectTextLetters(const wch* text) {
  static const wch kLetters[6] = {u'W', u'S', u'T', u'D', u'B', u'L'};
  u32 w = 192;
  if (LetterAt(text, 0) == u't') w |= 0x8000;
  for (int i = 0; i < 6; ++i)
    if (LetterAt(text, i + 1) == kLetters[i]) w |= 1u << i;
  if (LetterAt(text, 7) == u'-') w &= ~64u;
  if (LetterAt(text, 8) == u'-') w &= ~128u;
  return w;
}

// Display options: the switches that decide what the views show - which
// element shapes get pictures, how stops, signal elements, shunting points
// and LFST points are drawn, whether grid texts, train texts and object texts
// are drawn and in which row, whether element pictures are read from
// single files first, and the display pause switch.
//
// Owns DisplayOptions. Each option is one word with a plain setter; the
// settings reader and the display options dialog set them, the slot lookup,
// the element record reader, the overlay passes and the kind queries read
// them. Plain state on the main thread.
#pragma once
#include "platform/types.h"

struct DisplayOptions {
  i32 optH;        // 10-state signal shapes get pictures (key H)
  i32 optSige;     // signal elements show their state (key Sige)
  i32 optAnzHst;   // stops show their kinds (key AnzHst)
  i32 optRangp;    // shunting points show their kinds (key Rangp)
  i32 optLwx;      // otherwise hidden shapes get pictures (key Lwx)
  i32 optLfst;     // LFST points show their kinds (key Lfst)
  i32 optTxte;     // grid texts drawn in picture views (key Txte)
  u32 trainTextMode;  // bits 1, 2, 4, 8, 16 (keys ZugTxte, ZugTxteZei)
  i32 trainTextRow;   // 0..34
  u32 objectTextMode; // bits 1..128 and 0x8000 (keys ObjTxte, ObjTxteZei)
  i32 objectTextRow;  // 0..34
  i32 singleFileGfx;  // element pictures from single files first (key EinzelGZG)
  i32 displayPause;   // DisplayPauseSwitch (the overlay-off switch)
};
extern DisplayOptions g_displayOptions;

enum { DISP_TEXT_ROW_MAX = 34, DISP_TRAIN_TEXT_CYCLE = 4096 };

// Back to the defaults of a program without settings.
void Disp_ResetOptions(void);

void Disp_SetOptH(i32 value);
void Disp_SetOptSige(i32 value);
void Disp_SetOptAnzHst(i32 value);
void Disp_SetOptRangp(i32 value);
void Disp_SetOptLwx(i32 value);
void Disp_SetOptLfst(i32 value);
void Disp_SetOptTxte(i32 value);
i32 Disp_GetOptH(void);
i32 Disp_GetOptSige(void);
i32 Disp_GetOptAnzHst(void);
i32 Disp_GetOptRangp(void);
i32 Disp_GetOptLwx(void);
i32 Disp_GetOptLfst(void);
i32 Disp_GetOptTxte(void);

// word DISP_TRAIN_TEXT_CYCLE advances the two low bits 0, 1, 2, 3, 0 and keeps
// bits 2..4; any other word replaces the mode. A row 0..34 is stored, any
// other row is ignored.
void Disp_SetTrainTextMode(u32 word, i32 row);
void Disp_GetTrainTextMode(u32* word, i32* row);
void Disp_SetObjectTextMode(u32 word, i32 row);
void Disp_GetObjectTextMode(u32* word, i32* row);
void Disp_SetSingleFileGfx(i32 value);
i32 Disp_GetSingleFileGfx(void);
// The display pause switch (also called the overlay-off switch; a key and
// panel field 12 toggle it): while it is on the views draw only the cursor
// over the composed cells. Off at start and after a reset.
void Disp_SetDisplayPause(i32 on);
i32 Disp_GetDisplayPause(void);

// The settings letters of ZugTxte and ObjTxte as words (text null or short:
// the letters missing count as none). Train: 1 and *word, or 0 when the
// first letter is neither "Z" nor "N" (the settings reader refuses the
// file).
int Disp_ParseTrainTextLetters(const wch* text, u32* word);
u32 Disp_ParseObjectTextLetters(const wch* text);

// Language text tables: every text the user sees is looked up by number
// (TextId) in "orba.lng" (numbers below 40000) and "orba.lnv" (40000 and
// above); "orba.lnx" folds accented letters onto base letters for comparing.
// Before a file is loaded, built-in start-up texts in six languages serve.
// Also keeps the three information texts of a layout and the code-page
// conversions between UTF-16 and 8-bit text.
//
// Texts returned are read-only and valid until their table is reloaded; a
// missing text reads "?@F<number>".
#pragma once
#include "platform/types.h"

typedef u32 TextId;

int Lng_Init(void);
void Lng_Exit(void);
// which: 1 table 1 ("orba.lng"), 0 table 2 ("orba.lnv"); a bare name lies in
// the program folder, a name with a folder is taken as it is. 0 ok; 2 read error or no end line; 3 bad line; 4 no memory;
// other Fio_OpenRead codes. A failure keeps the old table.
int Lng_LoadFile(const wch* name, int which);
// The name the table was last loaded from (empty when none).
const wch* Lng_GetFileName(int which);
// "orba.lnx" from the program folder (a byte-order mark is required): 0 ok;
// 1 missing (warning 583); 2 bad file (warning 584), the old classes stay.
int Lng_LoadLetterClasses(void);
const wch* Lng_GetText(TextId id);
const char* Lng_GetTextA(TextId id);
u32 Lng_GetTextLength(TextId id);
// Code pages: -1 the system default.
void Lng_SetCodePages(int ansiToWide, int wideToAnsi);
void Lng_GetCodePages(int* ansiToWide, int* wideToAnsi);
// Returns the length with the zero; an empty string gives one zero byte.
int Lng_WideToAnsi(const wch* src, char* dst, int dstSize);
int Lng_AnsiToWide(const char* src, wch* dst, int dstSize);
// The base letter of c's class, upper-case when flag is set or c is
// upper-case; without a class c itself (upper-cased when flag is set).
wch Lng_FoldLetter(wch c, int flag);
// The layout's information texts: slots 0 and 1 hold 80 characters, slot 2
// 20000; longer texts are cut. 0 ok, 1 bad slot or not allocated.
int Lng_GetGeneralInfo(int slot, wch* buf);
int Lng_SetGeneralInfo(int slot, const wch* text);
// Language 0 English, 1 German, 2 French, 3 Dutch, 4 Polish, 5 Spanish (any
// other counts as English); numbers 0..12, others give an empty text.
const wch* Lng_StartupText(int language, int number);

// Rule text codec: the rules that say for which trains an object on the grid
// acts and how, in their two forms: the packed LineCondList words (layout in
// model/line.h) that stops, LFST points, shunting points, signals, turnout
// controllers, sound points, timetable points and Dwx points keep, and the
// text their dialogs and clipboard blocks carry.
//
// A text is groups of line names joined by "+", each optionally followed by
// options in parentheses: a key letter (character i of language text 21700
// for option i), "=" and a value, joined by ",". The parser checks every
// value, and in strict mode (dialogs) the groups against each other, and
// shows each error as a numbered message; lenient mode (pastes) drops a group
// that names an unknown line and shows fewer boxes. On an error nothing is
// written that the caller keeps: it keeps the old rule.
//
// Decimal values are written and read with "." in every locale, so a rule
// text reads back the same on every machine and ","  stays the separator of
// options.
#pragma once
#include "model/line.h"
#include "platform/types.h"

// Parse modes: which options the caller's objects accept.
enum {
  RULE_MODE_SIGNAL = 1,  // signals, LFST point dialog, turnout controllers, shunting rules 1 and 3
  RULE_MODE_STOP = 2,    // stops, sound points, timetable points, LFST and signal pastes
  RULE_MODE_DWX = 3,     // Dwx points
  RULE_MODE_SHUNT = 4    // shunting rule 2
};

// Parse results: the words written (0 for an empty text), or one of these.
enum {
  RULE_ERR_TOKEN = -1,
  RULE_ERR_LINE_TWICE = -2,
  RULE_ERR_OVERLAP = -3,
  RULE_ERR_WINDOWS = -4,
  RULE_ERR_SIZE = -5,
  RULE_ERR_SWITCH_LINE = -6,
  RULE_ERR_NO_ACTION = -7,
  RULE_ERR_RANGE = -8,
  RULE_ERR_TYPE = -9,
  RULE_ERR_ANY_LINE = -10,
  RULE_ERR_NUMBERS = -11,
  RULE_ERR_NO_EQUALS = -12,
  RULE_ERR_NUMBER = -13,
  RULE_ERR_LETTER5 = -14,
  RULE_ERR_HUNDREDTHS6 = -15,
  RULE_ERR_HUNDREDTHS7 = -16,
  RULE_ERR_DIGIT8 = -17,
  RULE_ERR_DIGIT9 = -18,
  RULE_ERR_TIMETABLE1 = -19,
  RULE_ERR_TIMETABLE2 = -20,
  RULE_ERR_THOUSANDTHS = -21,
  RULE_ERR_SIGNED = -22,
  RULE_ERR_LETTER15 = -23,
  RULE_ERR_TOO_MANY_LINES = -24,
  RULE_ERR_MULTI_LINE = -25,
  RULE_ERR_LETTER17 = -26,
  RULE_ERR_TIME_OF_DAY = -27
};

// Words a rule may have (LINE_LIST_MAX) and the text room the dialogs and
// clipboard writers give Rule_Format.
enum { RULE_WORDS_MAX = LINE_LIST_MAX, RULE_TEXT_SIZE = 4001 };

// Parses text into out (room for RULE_WORDS_MAX - already words). already
// words of an earlier rule stand before out at start, so that a second rule
// can follow a first in one array; the strict final check covers them all.
i32 Rule_ParseCore(const wch* text, u32* out, int mode, int lenient, i32 already, const u32* start);
// Lenient parse into out (RULE_WORDS_MAX words), as every paste uses it.
i32 Rule_Parse(const wch* text, int mode, u32* out);

// Writes the text of count words into out (capacity units with the zero);
// perLine puts each group on its own line. 0 ok; 1 cut at the last complete
// piece because capacity was too small.
int Rule_FormatCore(wch* out, i32 capacity, const u32* words, int perLine, i32 count);
// Rule_FormatCore; when cut and errorBox, warning 867.
int Rule_Format(wch* out, i32 capacity, const u32* words, int perLine, int errorBox, i32 count);
// The whole text in a Heap block the caller frees (Heap_Free), never cut: what
// the clipboard and the text export write. 0 ok, 4 no memory (*text null).
int Rule_FormatAll(const u32* words, int perLine, i32 count, wch** text);
// 1 sets, 2 or 3 clears, 0 queries the one-group-per-line flag (settings key
// LinTxt_Eig); returns the flag.
int Rule_LineTextMode(int n);
// The text on one line, then CR LF, into the write stream; 0 or its code.
int Rule_PrintText(const u32* words, i32 count);

// (depot, place) pairs as place names joined by ", "; with collapse a run of
// consecutive places of one depot is "first-last". 0 ok; 1 cut (writing
// stops while fewer than 24 units remain).
int Rule_FormatPairList(wch* out, i32 capacity, const u32* pairs, int collapse, i32 count);
int Rule_PrintPositions(const u32* pairs, i32 count);
// The text form back into (depot, place) pairs: references joined by ",",
// "ref-last" for a run of places; room words at most. The words written,
// -1 when a reference cannot be read or the pairs do not fit.
i32 Rule_ParsePairList(const wch* text, u32* out, i32 room);

// The depot module answers place references and names through these hooks
// (it installs them when it starts); without them no place can be resolved
// and a depot prints as its number.
struct RuleDepotHooks {
  // A place reference (in/out, room for 23 units): the depot number, or -1
  // after an error; *place with 0x8000 for the place flag letter.
  i32 (*resolvePlaceRef)(wch* ref, int flags, u32 msgBadChar, i32* rangeEnd, i32* place, u32 msgEmpty);
  // The long and short names followed by ":" and the place (place < 0:
  // unpadded, its magnitude); 0 ok. Buffers of RULE_DEPOT_NAME_SIZE units.
  int (*formatName)(i32 depot, i32 place, wch* longText, wch* shortText);
};
enum { RULE_DEPOT_NAME_SIZE = 64, RULE_PLACE_REF_MAX = 40 };
enum { RULE_PLACE_STRICT = 1, RULE_PLACE_QUIET = 32 };
void Rule_SetDepotHooks(const RuleDepotHooks* hooks);

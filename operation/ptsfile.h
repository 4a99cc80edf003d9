// Turnout controllers in the layout file: section "WEIN" (and the older forms
// "WE" back to the oldest files), and the connector words of a turnout
// piece, which old files, the turnout dialogs and the schematic drawing take
// from the piece itself.
//
// Owns no records: reads them into and writes them from operation/pts.
// Promises: the writer stops at the first write error; the reader consumes
// exactly its section or fails, keeps the file's order (re-sorted by id at
// the end), drops records whose cell holds no turnout piece, and bounds every
// count from the file before it allocates.
#pragma once
#include "platform/types.h"

enum : u32 { PTS_TAG = 0x4E494557, PTS_TAG_OLD = 0x4557 };

// 0 or the first stream error.
int Pts_SaveSection(void);
// Empties the store and reads the section: 0; a stream error; 3 a wrong tag,
// a count or list out of range, or a form this reader does not know; 4 no
// memory, or an old shunting controller (kinds 31, 32), which only the
// shunting-point store could take over.
int Pts_LoadSection(u16 version);

// ---------------------------------------------------------------- clipboard block
// The line layer over the clipboard that the block travels through (the
// clipboard text lines of the platform: append a line, read line n),
// installed by start-up; without it a copy gives 2 and a paste 4.
struct PtsClipLines {
  int (*appendLine)(const wch* line);               // 0 ok, else the clipboard's error
  int (*readLine)(i32 n, i32 size, wch* buffer);    // 0 ok, 1 cut, 2 and 3 no line
};
void Pts_SetClipLines(const PtsClipLines* lines);
// "WEI_A", one line (and its kind's lines) per controller inside the box in
// list order, "WEI_E". 0 or the first append error.
int Pts_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Reads the block starting at line *lineNo ("WEI_A"); *lineNo ends after
// "WEI_E". Each controller gets a new id and its cell moves by the offset.
// 0; 1 some could not be created or their counts, weights or masks were
// refused (their cells emptied); 2 a list could not be read or set; 3 both;
// 4 a malformed block or no "WEI_E" (the controller of a malformed kind line
// is not kept).
int Pts_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dz);

// ---------------------------------------------------------------- text listing
struct TurnoutController;
// The turnout part of the layout's text listing into the write stream: a
// heading, the counts, then every controller (Pts_ExportOne). 0 or the
// first write error.
int Pts_ExportText(void);
int Pts_ExportOne(const TurnoutController* c);
// The four kind-14 words of one branch as text: category and type letters
// joined by ",", then the state names, ending in CR LF; text 15120 when all
// are 0. Always 0.
int Pts_FormatMasks(wch* out, i32 size, const u32 masks[4]);

// EntryDir, Exit1, Exit2, Exit3 of a turnout piece: 0; 1 for a code that is
// no turnout piece (a code above 32767 also zeroes the words).
int Pts_TileConnections(u32 code, u32 words[4]);
// The four kind-14 words of one branch from an old mask (types by bit groups,
// categories 2 and 3 whole, state bits from bits 8..11).
void Pts_ExpandOldMask(u32 words[4], u32 oldMask);

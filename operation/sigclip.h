// Signal clipboard blocks: "SIGANL_A".."SIGANL_E" (the installations that
// something inside a copied box refers to) and "SIGELEM_A".."SIGELEM_E"
// (the elements inside it) of the region text, with the text forms of
// conditions and element lists as names, so that a paste binds to
// installations by name.
//
// Owns no records (operation/sig does) and no clipboard: the region copy
// and paste hand it the clipboard's lines (SigClipLines). Names travel
// quoted; lists, texts and schedules are read to their announced length
// and bounded first. Main thread only.
#pragma once
#include "operation/sig.h"

// The clipboard's lines as the blocks see them.
struct SigClipLines {
  // Appends one line; 0 ok, else the clipboard's error.
  int (*append)(const wch* line);
  // Line n (from 0) into buffer (size units with the zero); 0 ok, 1 cut, 3
  // no such line.
  int (*read)(u32 n, u32 size, wch* buffer);
};

// Box corners inclusive. 0, or the first append's error.
int Sig_CopyInstallationsToClip(const SigClipLines* clip, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
int Sig_CopyElementsToClip(const SigClipLines* clip, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// *line: the block's header line in, the line after its end line out. 2
// fatal (a line missing, cut or not readable, no end line; an element whose
// own lines are missing is not kept), else a warning mask: 4 a record
// skipped, 8 no free id, 16 an installation refused.
int Sig_PasteInstallationsFromClip(const SigClipLines* clip, u32* line);
int Sig_PasteElementsFromClip(const SigClipLines* clip, u32* line, i32 dx, i32 dy, i32 dz);

// The text forms: an element list as names joined by "," with "+" after a
// counting-in entry; a condition as names and the characters | & ! ( ).
// Entries naming no installation are left out. out: room for size units.
void Sig_FormatList(wch* out, i32 size, const i32* ids, i32 count);
void Sig_FormatCondition(wch* out, i32 size, const u32* tokens, i32 count);
// The entries or tokens read (room for SIG_LIST_MAX or SIG_TOKENS_MAX);
// -1 for an unknown name, a bad character or too many.
i32 Sig_ParseList(const wch* text, i32* ids);
i32 Sig_ParseCondition(const wch* text, u32* tokens);

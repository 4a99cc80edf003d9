// Clipboard text lines: everything the program copies to or pastes from the
// clipboard travels as plain text, one CR LF line at a time (format
// CF_UNICODETEXT; this build runs on the NT family only), plus the one
// picture read of the graphic editor (CF_DIB).
//
// The clipboard is opened for the main window around each call and closed
// before it returns. A failed append leaves the clipboard as it was before
// it. Main thread only.
#pragma once
#include "platform/types.h"

// The window the clipboard is opened for (the frame); null: none, and every
// call fails as "no main window".
void Clip_SetWindow(void* window);

// 0 ok, 1 no main window or the clipboard cannot be opened.
int Clip_Empty(void);
// Appends the line (behind CR LF when the clipboard holds a text, even an
// empty one). 0 ok, 1 no memory, 2 no main window, not opened or not accepted.
int Clip_AppendLine(const wch* line);
// Line n (from 0) into buf (size units). 0 ok; 1 cut to size - 1 characters;
// 2 no main window or not opened; 3 no text or no line n (buf empty).
int Clip_ReadLine(i32 n, i32 size, wch* buf);
// Empties the clipboard and appends each of the zero-separated lines of text
// (ended by an empty line) with its inline colour marks removed, then one
// empty line. 3 (nothing written) when a line reaches 256 characters; else
// the first Clip_AppendLine error, or 0.
int Clip_CopyText(const wch* text);
// A copy of the clipboard's device-independent bitmap in a new heap block
// (Heap_Alloc) that the caller frees. 0 ok, 2 not opened, 3 no picture (or
// one whose header is unusable), 4 no memory.
int Clip_GetDib(void** out);
// The bytes of a DIB from its header: header, bit-field masks, colour table
// (all colours of 8 bits or fewer when the header says 0) and pixel rows
// (4-byte aligned, any sign of the height; the stored image size for
// compressed pictures), but never more than available. 0 when the header
// does not fit or is unusable.
u32 Clip_DibSize(const u8* dib, u32 available);

// The fields of a clipboard line, for the blocks the region copy writes:
// count comma-separated numbers by kinds ('x' hexadecimal, 'u' decimal, 'i'
// signed decimal), each within 32 bits, into out (as their bits). The index
// after the last field and its comma, -1 when the text does not start with
// them.
i32 Clip_ScanFields(const wch* s, const char* kinds, u32* out);
// A field in double quotes at s (at most max - 1 units), then its comma:
// the index after them, -1 when there is none or it is longer.
i32 Clip_ScanQuoted(const wch* s, wch* out, i32 max);

// Texts of any length inside a block (the texts of info points and lines):
// every character below 32, U+2028, U+2029 and "\" is written as "\%04x";
// a line ends when it reaches 200 characters and after the last one. units
// counts the text with its zero, which is written too (as "\0000"); a text
// of more than 10001 units is cut to 10000 and its zero. 0 or the first
// append error.
enum { CLIP_TEXT_MAX = 10001, CLIP_TEXT_LINE = 200, CLIP_TEXT_READ = 210 };
int Clip_AppendText(const wch* text, i32 units);
// Reads a text of units units (with its zero, at most CLIP_TEXT_MAX) from
// line *line on into out; *line ends after its last line. 0; 2 a line
// cannot be read or holds a bad escape.
int Clip_ReadText(i32* line, wch* out, i32 units);

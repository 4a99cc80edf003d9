// Small string and memory routines shared by every module: character case,
// wide-string and memory helpers, blanks and lines, comparing and searching,
// name tokens, the control-code escapes of edit fields and bit counting.
//
// Strings are UTF-16 (wch), zero-terminated, unless a name ends in A (8-bit).
// The plain helpers (Mem_*, Str_Copy, Str_Append, ...) check no bound: the
// caller owns the sizes. Everything here is reentrant except that the escape
// table is read from the language texts on every call.
#pragma once
#include "platform/types.h"

// ---------------------------------------------------------------- case
// Case mapping of this build (the same in every build, independent of the
// system locale): ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic, and
// the fullwidth Latin letters. Other characters keep their case.
wch Chr_Upper(wch c);
wch Chr_Lower(wch c);
int Chr_IsUpper(wch c);
int Chr_IsLower(wch c);
// 8-bit text is upper-cased in its ASCII letters only; other bytes stay.
void Str_UpperA(char* s);
void Str_Upper(wch* s);
// Swaps the two bytes of every unit up to the zero (UTF-16 BE <-> LE).
void Str_SwapBytes(wch* s);

// ---------------------------------------------------------------- plain helpers
// Counts below 1 do nothing (Mem_Compare gives 0).
void* Mem_Copy(void* dst, const void* src, i32 n);
void* Mem_Move(void* dst, const void* src, i32 n);
void* Mem_Fill(void* dst, int value, i32 n);
wch* Mem_CopyWide(wch* dst, const wch* src, i32 n);
wch* Mem_MoveWide(wch* dst, const wch* src, i32 n);  // overlap allowed
wch* Str_Fill(wch* dst, wch c, i32 n);                // n units, no zero added
u32* Mem_FillU32(u32* dst, u32 value, i32 n);
int Mem_Compare(const void* a, const void* b, i32 n);
char* Str_CopyA(char* dst, const char* src);
wch* Str_Copy(wch* dst, const wch* src);
wch* Str_Append(wch* dst, const wch* src);
// The first c in s (c = 0 finds the terminator), null when none.
wch* Str_FindChar(const wch* s, wch c);
i32 Str_Len(const wch* s);

// ---------------------------------------------------------------- blanks and lines
// "Blank characters" of the wide routines are the codes 1..32; the 8-bit ones
// count only the space.
i32 Str_CountLeadingBlanks(const wch* s);
i32 Str_CountLeadingSpacesA(const char* s);
i32 Str_TrimLeft(wch* s);    // removes leading 1..32 in place; their number
i32 Str_TrimLeftA(char* s);  // removes leading spaces in place; their number
// At every space removes the run of codes 1..32 that starts there; returns
// the number of units removed.
i32 Str_RemoveBlanks(wch* s);
int Str_IsBlank(const wch* s);  // 1 when every character is 32 or below
// Number of CR plus 1; 0 for a null pointer.
i32 Str_CountLines(const wch* s);
i32 Str_CountLinesA(const char* s);

// ---------------------------------------------------------------- compare and search
// Case-insensitive compare of 8-bit text after leading spaces (ASCII case).
int Str_CompareNoCaseA(const char* a, const char* b);
// The system compare of this NT-only build: UTF-16 units in order, case
// ignored when asked (both sides lower-cased by Chr_Lower). <0, 0, >0.
int Str_CompareOs(const wch* a, const wch* b, int ignoreCase);
enum {
  STR_CMP_NOCASE = 1,     // ignore case
  STR_CMP_FOLD = 2,       // compare letters folded by the language letter classes
  STR_CMP_SKIPBLANK = 8,  // skip leading characters 1..32 of both
};
int Str_CompareEx(const wch* a, const wch* b, int flags);
enum {
  STR_FIND_NOCASE = 1,
  STR_FIND_FOLD = 2,   // folded letters; the pattern may have at most 300 units
  STR_FIND_WORDS = 4,  // whole words only
};
enum { STR_FIND_FOLD_MAX = 300 };
// Position of the first match of pattern (patternLength units) in text
// (textLength units), -1 when none, when the pattern is empty or longer
// than the text, or when a folded pattern is too long (traced).
i32 Str_FindEx(const wch* text, const wch* pattern, i32 textLength, int flags, i32 patternLength);

// ---------------------------------------------------------------- tokens
// 1 when c may stand in a name: code 45 or above and none of the reserved
// punctuation, quote marks, separators and non-characters.
int Str_IsNameChar(wch c);
enum {
  STR_TOKEN_OK = 0,
  STR_TOKEN_EMPTY = 1,
  STR_TOKEN_BAD_CHAR = 2,  // *stopChar holds it ("*" inside a longer token too)
  STR_TOKEN_TOO_LONG = 3,
  STR_TOKEN_STAR = 4,      // the token is "*" alone
  STR_TOKEN_NO_QUOTE = 5,  // a quote without its closing quote
};
// Reads one name token from src into dst (room for maxLength + 1 units):
// characters that are neither name characters nor "*" nor the quote are
// skipped; a quoted token runs to the next quote or control character; an
// unquoted one to a character below 33 or one of , + & | ! ( ).
// *consumed counts the skipped characters, the token and an opening quote
// (so it stops on the closing quote or the character that ended the token);
// *stopChar is the character at which reading stopped (0 at the end).
// Both outs may be null.
int Str_ParseToken(const wch* src, wch* dst, i32* consumed, wch* stopChar, i32 maxLength);
// A whole decimal number: optional sign, digits, trailing blanks or tabs
// only, within i32. 1 read (into *out), 0 not a number (*out unchanged).
int Str_ToI32(const wch* text, i32* out);

// ---------------------------------------------------------------- control-code escapes
// The escape table is language text 8300: the escape character, the eight
// letters for the codes 31, 30, 28, 29, 24, 25, 26, 27 and the letter of a
// hexadecimal code. A missing, short or unusable text (letters not distinct
// ignoring case, or not printable) is replaced by the built-in table
// STR_ESCAPE_DEFAULT, which the language file carries as well.
enum { STR_ESCAPE_TEXT = 8300 };
#define STR_ESCAPE_DEFAULT u"^URFGCMSEX"
wch Str_EscapeChar(void);
// Replaces every control code other than CR and LF, and the escape character,
// by its escaped form: escape + escape, escape + letter (the eight codes of the
// table), or escape + hex letter + four hex digits (every other code). A
// character is escaped whole or not at all: when the buffer (size units with
// the zero) is too small the text is cut before it and the result is 1, else 0.
int Str_EscapeControls(wch* buf, i32 size);
// Undoes Str_EscapeControls in place. Letters are compared ignoring case; an
// escape before any other character, or a hex escape without digits or with
// the value 0, stays as it is.
void Str_UnescapeControls(wch* buf);

// ---------------------------------------------------------------- protection code
// In place: the text ends at its first character below 33; each character
// at position i of value v ('A'-'Z' 0-25, '0'-'9' 26-35) becomes the one of
// value (v + 3 * (i + 2)) mod 36; any other character becomes 'q'. Decoding
// undoes it and leaves 'q' alone.
void Str_ShiftEncode(wch* text);
void Str_ShiftDecode(wch* text);

// ---------------------------------------------------------------- bits
int Mem_BitCount(u32 value);

// ---------------------------------------------------------------- field lines
// Reads n comma-separated fields of the forms in kinds ('x' hex, 'u'
// unsigned, 'i' signed decimal with an optional sign) of a clipboard record
// line, each within 32 bits. 1 when they are there; *rest (may be null)
// then points after the last one, else the line must end there (a comma
// after the last is allowed).
int Str_ScanFields(const wch* s, int n, const char* kinds, i64* out, const wch** rest = nullptr);

// Palette and colour codes: every colour the program draws comes from here.
//
// Owns the settable Palette of 185 COLORREF entries (0x00BBGGRR; entry 131
// is the background), the fixed table of 79 colours, and the conversion of a
// ColourCode byte into a colour with a flag byte on top (lighting tags and
// the pixel markers of CellPixel).
//
// Promises: an index outside 0..184 reads entry 0 and stores nothing; a
// colour that would make an entry equal to its partner entry is stored
// inverted (XOR 0xFFFFFF), so that partners always stay apart. Plain state
// on the main thread; the painters only read it.
#pragma once
#include "platform/types.h"

typedef u8 ColourCode;

enum { PAL_ENTRIES = 185, PAL_FIXED_ENTRIES = 79, PAL_BACKGROUND = 131 };

// Results of Pal_SetColour.
enum { PAL_SET_OK = 0, PAL_SET_BAD_INDEX = 1, PAL_SET_ADJUSTED = 2 };

// Marker colours of colour codes 253..255 (see CellPixel).
enum : u32 {
  PAL_MARK_LEVEL_BACKGROUND = 0x80000100u,  // code 253
  PAL_MARK_DARKEN = 0x80000000u,            // code 254
  PAL_MARK_TRANSPARENT = 0x80000001u        // code 255
};

// Back to the built-in default palette.
void Pal_Reset(void);
u32 Pal_GetColour(i32 i);
// The built-in colour of entry i (what Pal_Reset gives it); entry 0's
// outside 0..184.
u32 Pal_DefaultColour(i32 i);
// 1 bad index (nothing stored); 2 stored inverted because the partner entry
// holds that colour; else 0.
int Pal_SetColour(i32 i, u32 colour);
// The partner entry of i, -1 when it has none.
i32 Pal_PartnerOf(i32 i);
// Entry i of the fixed table as COLORREF; 0 outside 0..78.
u32 Pal_FixedColour(i32 i);

// ColourCode -> COLORREF in the low 24 bits with a flag byte on top; codes
// 253..255 give the markers.
u32 Pal_ColourCodeToRgb(u32 code);
// The same with red and blue exchanged (pixels of device-independent
// bitmaps); a marker (bit 31 set) is returned unchanged.
u32 Pal_ColourCodeToBgr(u32 code);

// The system colours behind codes 249..252 (COLOR_HIGHLIGHTTEXT,
// COLOR_HIGHLIGHT, COLOR_MENUTEXT, COLOR_MENU); index 0..3. Windows asks the
// system; the native build gives fixed stand-ins.
u32 Pal_SystemColour(int index);

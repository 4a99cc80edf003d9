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

enum { PAL_ENTRIES = 185, PAL_FIXED_ENTRIES = 79 };

// Entries with one use each. The grounds, tracks and picture colours live
// in ranges (a range's first entry and its length).
enum {
  PAL_DIALOG_BACK = 0,      // the face of the dialogs
  PAL_STATIC_TEXT = 8,      // text of static fields, over PAL_STATIC_BACK
  PAL_STATIC_BACK = 9,
  PAL_EDIT_TEXT = 10,       // text of edit fields, over PAL_EDIT_BACK
  PAL_EDIT_BACK = 11,
  PAL_LIST_TEXT = 16,       // text of lists, over PAL_LIST_BACK
  PAL_LIST_BACK = 18,
  PAL_STRIP = 32,           // the status and clock strips
  PAL_STRIP_TEXT = 33,      // their labels
  PAL_STRIP_VALUE = 34,     // their values
  PAL_BUTTON_TEXT = 35,     // the letters of the palette buttons
  PAL_BUTTON_BACK = 36,
  PAL_GRID_MAJOR = 51,      // every major line of the views' grid
  PAL_GRID_MINOR = 52,
  PAL_MARKED_BOX = 53,      // the outline of the marked box
  PAL_READONLY_TEXT = 72,   // read-only fields, over PAL_READONLY_BACK
  PAL_READONLY_BACK = 73,
  PAL_RAILS = 74,           // the rails of ground classes 1..8
  PAL_SLEEPERS = 82,        // timber, concrete and old timber sleepers
  PAL_WATER_LANE = 85,      // the lane of waterways
  PAL_ROAD_LANES = 86,      // the lanes of the four road classes
  PAL_OVERVIEW_CLASSES = 90, PAL_OVERVIEW_CLASS_COUNT = 10,  // the overview's classes
  PAL_OVERVIEW_TRAIN = 99,     // the last of them
  PAL_OVERVIEW_FOLLOWED = 100, // the followed train
  PAL_GRID_TEXT = 105,      // texts drawn over the views
  PAL_CURSOR = 106,
  PAL_OVERVIEW_CURSOR = 107,
  PAL_STONES = 110, PAL_STONE_COUNT = 15,  // the ballast stone shades
  PAL_CLOCK_TEXT = 125,     // the clock of the clock strip, over PAL_CLOCK_BACK
  PAL_CLOCK_BACK = 126,
  PAL_TRAIN_LABEL_TEXT = 127,  // train labels, in their box PAL_TRAIN_LABEL_BOX
  PAL_TRAIN_LABEL_BOX = 128,
  PAL_BACKGROUND = 131,     // the picture view's ground on level 0
  PAL_SCHEMATIC_GROUND = 132,
  PAL_SCH_MARK_STOP = 150,  // the schematic state marks of signal shapes
  PAL_SCH_MARK_CLEAR = 151, // showing stop, clear and expect stop
  PAL_SCH_MARK_EXPECT = 158,
  PAL_OVERVIEW_GROUND = 133,
  PAL_BELOW_GROUND = 177,   // the picture view's ground below level 0
  PAL_OVERVIEW_BELOW = 179  // the overview's ground below level 0
};

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

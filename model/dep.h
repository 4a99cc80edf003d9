// Depots and depot places: a depot is a named group of up to 99 places; a
// place is a cell carrying a depot element, where trains start, end and wait.
//
// Owns the depot list (sorted by long name, case and leading blanks ignored),
// the depot count (at most 4000), the places of each depot (sorted by place
// number), the "DEPO" section of the layout file and the text form of place
// references ("%s%c%u": name, ":", place number).
//
// Promises: depot numbers 1..4000 and place numbers 1..99 are checked by
// every operation, which then changes nothing; a depot never exists without
// places; at most one place stands on a cell. Main thread only.
#pragma once
#include "platform/types.h"

enum {
  DEP_MAX_DEPOTS = 4000,
  DEP_MAX_PLACES = 99,
  DEP_NAME_MAX = 16,
  DEP_SHORT_MAX = 4,
  DEP_COND_MAX = 60,
  DEP_LIST_MAX = 40
};

struct DepotPlace {
  i32 X, Y, Level;
  u32 Number;      // 1..99
  u32 Options;
  u32 Directions;  // exit direction bits, one pair per orientation
  u32 CondCount;
  u32 Cond[DEP_COND_MAX];
  u32 ListACount;
  i32 ListA[DEP_LIST_MAX];
  u32 ListBCount;
  i32 ListB[DEP_LIST_MAX];
  u32 WaitMs;  // 0 none
};

struct DepotRec {
  DepotRec* Next;
  u32 Number;  // 1..4000
  wch Name[DEP_NAME_MAX + 1];
  wch Short[DEP_SHORT_MAX + 1];
  u32 PlaceCount;  // 1..99
  DepotPlace Places[1];  // PlaceCount entries
};

// Outs of Dep_GetPlace; each may be null.
struct DepotPlaceInfo {
  i32 X, Y, Level;
  u32 Directions;
  u32 CondCount;
  u32 Cond[DEP_COND_MAX];
  u32 ListACount;
  i32 ListA[DEP_LIST_MAX];
  u32 ListBCount;
  i32 ListB[DEP_LIST_MAX];
  u32 WaitMs;
  u32 Options;
};

void Dep_Init(void);
void Dep_Exit(void);
void Dep_Clear(void);

// Number of depots; the total place count in *places (may be null).
u32 Dep_Count(u32* places);
// The depot (and the index of the place, when place is not 0 and index not
// null); null for numbers out of range or absent.
DepotRec* Dep_Find(u32 depot, u32 place, u32* index);
// Depot number of the place at the cell (its number in *place), 0 none.
u32 Dep_FindAtPosition(i32 x, i32 y, i32 level, u32* place);
// Copies the place's fields; 0, or 1 for a bad depot or place.
int Dep_GetPlace(u32 depot, u32 place, DepotPlaceInfo* out);
u32 Dep_PlaceCount(u32 depot);
// A signal installation was deleted: a place condition naming it is emptied
// whole, list entries of its magnitude are removed.
void Dep_OnElementDeleted(u32 id);
// Option bit 1 on every place whose condition begins with the installation
// (the signal loader converts old files so).
void Dep_MarkConditionUsers(u32 id);
// 1 when a place inside the box (inclusive corners) refers to the signal
// installation (its condition or a list entry of that magnitude).
int Dep_AnyInBoxUses(u32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
u32 Dep_FirstPlaceNumber(u32 depot);
// Every place in list order: *depot 0 restarts; the place number with its
// depot in *depot, 0 (and *depot 0) at the end.
u32 Dep_NextPlace(u32* depot);
// 1 when the place's condition names the installation or a list entry has
// its magnitude.
int Dep_PlaceRefersTo(const DepotPlace* place, u32 id);
// The one signal installation all references of the place belong to
// (condition operands, list magnitudes): 0 none, -1 bad place, -2 mixed.
i32 Dep_PlaceInstallation(u32 depot, u32 place);
// 0 ok, 1 empty, 2 bad character, 3 too long (long names 16, short 4); the
// name runs to its end, ",", a blank or ":" after leading blanks.
int Dep_CheckName(const wch* name, int isShort);
// Depot number whose long or short name equals the name (case and leading
// blanks ignored) and, when place is not 0, that has the place; 0 none;
// negative rule code of a bad name.
i32 Dep_FindByName(const wch* name, u32 place);

// Adds a place to a depot (a new depot when the number is not in the list);
// 0, 1 a bad value (number, place, counts, names), 2 the depot has 99
// places or the place number exists, 3 4000 depots, 4 no memory.
int Dep_InsertPlace(u32 depot, const wch* name, const wch* shortName, const DepotPlace* place);
// A free short name for the long name into out (5 units).
void Dep_MakeShortName(const wch* name, wch* out);

// "%s%c%u" names of a place: place > 0 padded to two digits, < 0 unpadded,
// 0 the names alone. Outs may be null (each 24 units). 0, 1 bad numbers, 2
// no such depot or place.
int Dep_FormatName(u32 depot, i32 place, wch* longText, wch* shortText);
// Reads a place reference ("name", "name:n", with the place flag letter
// after it when flagLetter is not 0): the depot number (-1 bad or unknown),
// the place number in *place (0 when none was given; 0x8000 set for the
// flag letter).
i32 Dep_ParsePlaceRef(const wch* text, u32* place, wch flagLetter);

// "DEPO": 0 or the first write's code.
int Dep_SaveSection(void);
// Empties the module and reads the section of a file of that version; 0,
// the stream's 1 or 2, 3 malformed, 4 no memory.
int Dep_LoadSection(u16 version);

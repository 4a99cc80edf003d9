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

// Every place refers to the installation by numbers (Dep_PlaceRefersTo);
// 0 also for a bad place.
int Dep_PlaceUsesElement(u32 depot, u32 place, u32 id);
// Places that refer to the installation.
u32 Dep_CountElementUsers(u32 id);

// ---------------------------------------------------------------- editing
enum {
  DEP_SET_NEW = 0,
  DEP_SET_MOVED = 1,
  DEP_SET_NOT_DEPOT_CELL = 2,
  DEP_SET_LIMIT = 3,  // 4000 depots, or the depot holds 99 places
  DEP_SET_CELL_TAKEN = 4,
  DEP_SET_NAME_EMPTY = 5,
  DEP_SET_NAME_BAD = 6,
  DEP_SET_NAME_LONG = 7,
  DEP_SET_NO_MEMORY = 8,
  DEP_SET_BAD_NUMBER = 9
};
// Puts place number place of the depot named name on a depot cell (element
// shape 136..151). An existing place of that name and number moves there
// (off-track trains standing at it follow; it takes the first exit bit of
// the new cell's orientation when it has neither); else a new place with no
// directions, options, conditions or lists joins the depot of that name or
// a new depot (first free number, generated short name). DEP_SET_*.
int Dep_SetPlaceAt(i32 x, i32 y, i32 level, u32 place, const wch* name);
// Stores the edited fields of place oldPlace of the depot, renaming the depot
// and renumbering the place (every module's references follow). 0; 1 bad
// depot; 2 no such place; 3 the long name is another depot's; 4, 5, 6 the
// long name is empty, has a bad character, is too long; 5, 6 the same of
// the short name; 7 bad old place; 8 bad new place; 9 the new number is
// taken; 10 the short name is another depot's; 11, 12, 13 condition, list
// A, list B too long.
int Dep_StorePlace(u32 depot, const wch* name, const wch* shortName, u32 options, u32 waitMs, const i32* listB,
                   u32 countB, const i32* listA, u32 countA, const u32* cond, u32 condCount, u32 directions,
                   u32 newPlace, u32 oldPlace);
// Word 6 of the place; 0, 1 bad place.
int Dep_SetDirections(u32 depot, u32 place, u32 bits);
// Removes a place no train uses (the depot goes with its last place; every
// module drops its references). 0; 1 bad place; 2 off-track trains stand at
// it; 3 it is a train's home place; 4 timetable entries name it; 5 trains in
// service run to it.
int Dep_DeletePlace(u32 depot, u32 place);
// The canonical reference ("long name:n") of the place step places on from
// the one text names (step <= 0: back by -step, wrapping round all places);
// an unknown reference gives the first place of the first depot. out: 24
// units. 0, or 1 (text copied) when there is no depot.
int Dep_NormalizePlaceRef(const wch* text, wch* out, i32 step);

// ---------------------------------------------------------------- region hooks
// Box corners inclusive, in any order.
void Dep_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
// Scales x and y of each place inside from the box's first corner
// (Trn_ScaleRegionPos).
void Dep_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                        i32 numX);
// 1 when a place lies inside (the region delete keeps depot places).
int Dep_TestInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// The clipboard block "DEP_A".."DEP_E" of the places inside; 0 or the first
// line error.
int Dep_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Reads the block whose header is line *line; *line ends after "DEP_E".
// Places join the depot of their long or short name, or a new depot. 0;
// bit 1 a place could not be made; bit 2 its depot has its number already;
// 2 a line cannot be read; 4 a malformed line or no end line.
int Dep_PasteFromClip(i32* line, i32 dx, i32 dy, i32 dlevel);

// The depot table of the text listing; with detail the info text of a
// place's cell before its row. 0 or the first write's code.
int Dep_WriteReport(wch separator, int detail);

// "DEPO": 0 or the first write's code.
int Dep_SaveSection(void);
// Empties the module and reads the section of a file of that version; 0,
// the stream's 1 or 2, 3 malformed, 4 no memory.
int Dep_LoadSection(u16 version);

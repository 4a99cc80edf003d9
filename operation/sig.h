// Signals: the signal installations (named train counters that stand for a
// block or a group of tracks, free or occupied) and the signal elements at
// cells (whose aspect follows a condition over installations).
//
// Owns both record stores: the name-ordered lists, the id hashes, the two
// position hashes of elements (one for type 10, one for the other types, so
// one cell may hold one of each), the one id space 1..0x3FFFF shared by
// installations and elements, the names, and every create, find, set and
// delete operation with the hooks that region, line and depot operations of
// other modules call. Conditions, counting and aspects live in
// operation/sigeval, the file sections and clipboard blocks in
// operation/sigfile, timed switching and blinking in operation/sigtime.
//
// Promises: a refused value changes nothing; resolved pointers (condition
// operands, list entries, the linked element) and the installations'
// dependents arrays are rebuilt after every set, delete and load, so no
// pointer outlives its record. Main thread only.
#pragma once
#include "platform/tim.h"
#include "platform/types.h"

enum : u32 {
  SIG_ID_MAX = 0x3FFFF,
  SIG_NAME_UNITS = 21,  // 20 characters and the zero
  SIG_TOKENS_MAX = 60,
  SIG_LIST_MAX = 40,
  SIG_TEXT_MAX = 10001,  // units of an installation's text with its zero
  SIG_HOUR_NONE = 255,
};

// Element flags.
enum : u32 {
  SIG_F_RULES = 0x1,
  SIG_F_RULES_INVERTED = 0x2,
  SIG_F_PLACES = 0x4,
  SIG_F_PLACES_INVERTED = 0x8,
  SIG_F_DELAYED = 0x10,
  SIG_F_BLINK_INVERTED = 0x20,
  SIG_F_COUNT_AMOUNT = 0x100,
  SIG_F_FIXED = 0x200,
  SIG_F_EXTRA = 0x400,
};

// Installation states.
enum : u8 { SIG_OCCUPIED = 2, SIG_FREE = 3 };

struct SignalElement;

// The weekly schedule of an installation: bit 0 of Kind set counts the
// installation full while a scheduled span runs, clear counts it free.
struct SignalSchedule {
  u32 Kind;
  u32 ByteCount;
  u32 Duration;         // seconds, 0 = the span has no end
  PackedWeekTime Next;  // computed, never stored
  u8 Bytes[1];          // ByteCount bytes of WeekSchedule
};

struct SignalInstallation {
  SignalInstallation* Next;           // name order
  SignalInstallation* NextScheduled;  // installations with a schedule
  SignalInstallation* HashNext;       // id hash chain
  SignalSchedule* Schedule;           // owned, null when none
  u32 Id;
  wch Name[SIG_NAME_UNITS];
  u8 Flags;  // bit 0 has a schedule; other bits kept as given
  u8 State;  // SIG_FREE or SIG_OCCUPIED; recomputed on load
  i32 Count, Maximum, Limit;
  i32 TextLength;  // units with the zero; 0 without text
  wch* Text;       // owned
  SignalElement** Dependents;  // owned; elements whose condition names it
  u32 DependentCount, DependentRoom;
};

// A delayed switch: hour SIG_HOUR_NONE when not armed.
struct SignalSwitch {
  u8 Weekday, Hour, Minute, Second;
};

struct SignalElement {
  SignalElement* Next;         // name order
  SignalElement* NextDelayed;  // elements with SIG_F_DELAYED
  SignalElement* PosNext;      // position hash chain
  SignalElement* IdNext;       // id hash chain
  i32 X, Y, Level;
  u32 Flags;
  u32 State;  // style index inside the range of the type; the cell carries the aspect
  u32 Type;   // 1..4 or 10 from the cell's shape; 0 when the cell holds no signal shape
  u32 Id;
  u32 PasteId;  // transient while a paste runs
  wch Name[SIG_NAME_UNITS];
  i32 TokenCount;
  u32 Tokens[SIG_TOKENS_MAX];
  SignalInstallation* Operands[SIG_TOKENS_MAX];
  u32 LinkedId, PasteLinkId;
  SignalElement* Linked;
  u32 Value, ExtraValue;
  i32 List1Count;
  i32 List1[SIG_LIST_MAX];  // > 0 count in, < 0 count out
  SignalInstallation* List1Inst[SIG_LIST_MAX];
  i32 List2Count;
  i32 List2[SIG_LIST_MAX];
  SignalInstallation* List2Inst[SIG_LIST_MAX];
  i32 RuleCount;
  u32* Rules;  // owned LineCondList
  i32 PairCount;
  u32* Pairs;  // owned LinePairList of (depot, place)
  i32 Delay1, Delay2;
  SignalSwitch Switch1, Switch2;
  i32 Amount1, Amount2;
  i32 BlinkCounter, SwitchingCounter;
  SignalElement* NextBlink;
  u8 OnBlinkList;
};

// Every field of an installation that the setter takes and the enumeration
// gives (schedule bytes and text are borrowed, not copied, by the setter).
struct SignalInstallationData {
  wch Name[SIG_NAME_UNITS];
  u8 Flags;
  const wch* Text;
  i32 TextLength;
  u32 Duration;
  u8 Kind;
  i32 ScheduleBytes;
  const u8* Schedule;
  i32 Limit, Maximum, Count;
};

// Every field of an element that the setter takes and the data query gives.
struct SignalElementData {
  u32 PasteLinkId, PasteId;
  i32 List2Count;
  i32 List2[SIG_LIST_MAX];
  i32 List1Count;
  i32 List1[SIG_LIST_MAX];
  u32 ExtraValue, Value;
  u32 LinkedId;
  u32 Tokens[SIG_TOKENS_MAX];
  i32 TokenCount;
  i32 PairCount;
  const u32* Pairs;  // the query gives the element's own block
  i32 RuleCount;
  const u32* Rules;
  i32 Delay;  // the setter stores it as both delays; the query gives delay 1
  u32 Flags;
  u32 Type;
  u32 State;  // query only
  wch Name[SIG_NAME_UNITS];
  u32 Id;  // query only
};

// ---------------------------------------------------------------- life
void Sig_Init(void);
void Sig_Free(void);
// Frees every record and empties every list, hash and count.
void Sig_Clear(void);

// ---------------------------------------------------------------- the store's own lists
// The first record in name order (each record's Next continues).
SignalInstallation* Sig_FirstInstallation(void);
SignalElement* Sig_FirstElement(void);
SignalInstallation* Sig_FindInstallation(u32 id);
SignalElement* Sig_FindElementById(u32 id);
// The element of types 1-4 (or 0) at the cell, or with type10 the type-10 one.
SignalElement* Sig_FindElementAt(i32 x, i32 y, i32 level, int type10);
// The scheduled installations, the delayed elements and the blink list
// (operation/sigtime walks them).
SignalInstallation* Sig_FirstScheduled(void);
SignalElement* Sig_FirstDelayed(void);
SignalElement** Sig_BlinkListHead(void);
// Calls fn for every element in position-hash order (every bucket of both
// hashes), as the steps over all elements walk them.
void Sig_ForEachElement(void (*fn)(SignalElement*, void*), void* ctx);

// ---------------------------------------------------------------- ids and names
// The next free id from the cursor, wrapping to 1; 0 when 0x3FFFF or more
// records exist.
u32 Sig_NextFreeId(void);
// Type and style range of a cell code: 1..4, 10, or 0 for a code that is no
// signal shape. Outs may be null.
u32 Sig_ShapeTypeRange(u32 code, u32* minStyle, u32* maxStyle);
// "%c%u" from language text 14140: letter 0 installations, 1 type 10, 2..5
// types 1..4; then the id.
void Sig_DefaultName(wch* out, u32 type, u32 id);
// A free element name for the type into buffer (21 units); 1 when no id is
// free or all 100 tries are taken.
int Sig_MakeUniqueElementName(wch* buffer, u32 type);
// 1 when the name holds a character that is no name character (blanks,
// quotes, commas, operators: the clipboard's texts and the condition texts
// could not give it back) or is too long.
int Sig_NameRefused(const wch* name);
// The installation id, minus the element id, 0 for an unknown name.
i32 Sig_FindByName(const wch* name);

// ---------------------------------------------------------------- counts and queries
u32 Sig_GetInstallationCount(void);
// The element count; the type-10 ones in *type10 (may be null).
u32 Sig_GetElementCount(u32* type10);
// id -1 the first, -2 the next, else that id; the state byte, 0 at the end
// or for an unknown id. out may be null.
u8 Sig_EnumInstallations(i32 id, SignalInstallationData* out, u32* outId);
// Elements naming the installation (id 0: all). *x -1 starts, else continues
// after the element returned last. The element id, 0 at the end.
u32 Sig_EnumElements(u32 id, i32* x, i32* y, i32* level, const SignalElement** out);
// 1 when no element of types 1-4 (or a type-0 one) is at the cell.
int Sig_GetElementData(i32 x, i32 y, i32 level, SignalElementData* out);
// The state byte (0 unknown); the name into buffer (may be null).
u8 Sig_GetInstallationName(u32 id, wch* buffer);
u8 Sig_GetInstallationState(u32 id);
// 1 unknown.
int Sig_GetElementName(u32 id, wch* buffer);
int Sig_GetElementPosById(u32 id, i32* x, i32* y, i32* level);
u32 Sig_PrevInstallationId(u32 id);
// State of the type-10 element at the cell, 6 when none.
u32 Sig_GetElementField(i32 x, i32 y, i32 level);
// Stores the state of the element at the cell (types 1-4 first, else type
// 10); 1 when none.
int Sig_SetElementState(i32 x, i32 y, i32 level, u32 state);
// Elements of types 1-4 that refer to the installation (tokens, lists, the
// linked element), the type-10 ones in *type10Users; with dependentsFlag, 1
// as soon as the installation has dependents. 0 for an unknown id.
u32 Sig_ReferringElementCount(u32 id, u32* type10Users, int dependentsFlag);
u32 Sig_CountInstallationUsers(u32 id, u32* type10Users);
// Type-2 and type-3 elements linked to that element id.
u32 Sig_CountInstallationElements(u32 id);
// The name n records after (n > 0) or before (n < 1) the named one, into
// field; 1 when the store has no records.
int Sig_SpinInstallationName(const wch* name, wch* field, i32 n);
int Sig_SpinElementName(const wch* name, wch* field, i32 n);

// ---------------------------------------------------------------- creation and editing
// id 0 takes the next free id; the id, or 0 when it is in use, none is free
// or memory fails.
u32 Sig_CreateInstallation(u32 id);
// 2 id outside 1..0x3FFFF; 3 another installation has the name; 4 an
// element has it; 5 the name holds a character that is no name character; 11 maximum below 1;
// 12 limit below 1; 13 count above maximum; 14 limit above maximum;
// 15 a text or schedule of a size that cannot be (negative, text beyond
// SIG_TEXT_MAX, a schedule without its end); 1 creation or memory failure.
int Sig_SetInstallation(u32 id, const SignalInstallationData* d);
// 3 the code is no signal shape; 2 no id or memory; else 0.
int Sig_CreateElement(i32 x, i32 y, i32 level, u32 state, u32 code);
// 1 no element at the cell (of d->Type's kind: 10 or the others); 2 memory;
// 5 the name holds a character that is no name character; else 0.
int Sig_SetElement(i32 x, i32 y, i32 level, const SignalElementData* d);
// Deletes the elements at the cell (a tile placed over it takes both); 1
// when there is none.
int Sig_DeleteElementAt(i32 x, i32 y, i32 level);
// 1 unknown; 2 a condition names it or a turnout controller uses it.
int Sig_DeleteInstallation(u32 id);
// Replaces the id in every element's tokens and lists (sign kept); new 0
// drops the list entries. Then resolves and rebuilds everything.
void Sig_ReplaceIdInElements(u32 oldId, u32 newId);
// One element (null: all).
void Sig_ResolveRefs(SignalElement* e);
// One installation (null: all); 1 when memory failed.
int Sig_RebuildDependents(SignalInstallation* inst);

// ---------------------------------------------------------------- the loader's additions
// Links a copy of an element read from a file (hashes, name order, the
// delayed list); null when memory fails. References are resolved later.
SignalElement* Sig_AddLoadedElement(const SignalElement* src);
// Links a heap installation read from a file (state from count and limit,
// the schedule's next time); the store owns it from then on.
void Sig_AddLoadedInstallation(SignalInstallation* a);
// Gives an installation another (free) id; references are not changed.
void Sig_RenumberInstallation(SignalInstallation* a, u32 newId);

// ---------------------------------------------------------------- hooks of other modules
// Box corners inclusive (x1 <= x2 etc. not required).
void Sig_MoveBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dz);
// Maps every element inside the box through Trn_ScaleRegionPos.
void Sig_ScaleBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 originX, i32 originY, i32 denY,
                    i32 numY, i32 denX, i32 numX);
void Sig_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
void Sig_OnLineDeleted(u32 lineId);
// 1 when a list could not grow.
int Sig_OnLineCopied(u32 oldId, u32 newId);
// The next element inside the box whose rule list names the line; *x -1
// continues the previous search, any other value restarts. 1 found, 0 end.
int Sig_FindElementInRect(u32 lineId, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                          i32* level, wch* name, u32* type);
void Sig_OnDepotPlaceDeleted(u32 depot, u32 place);
void Sig_OnDepotPlaceStored(u32 depot, u32 place, u32 newPlace);

// 1 when the box (inclusive corners) holds the position.
int Sig_InBox(i32 x, i32 y, i32 level, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);

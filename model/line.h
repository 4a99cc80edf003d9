// Line table: the lines (routes) of the layout, in the user's order, each
// with a unique name of up to 8 characters, a stable id and an optional text;
// section "LIND" of the layout file; and the operations every module needs
// on lists that name lines (LineCondList, LinePairList, number lists).
//
// Owns the table of at most LINE_MAX records (allocated once by Lin_Init),
// the count, and the id counter. Ids are 1..LINE_ID_MAX, given out cyclically
// and never shared by two lines; id 0 means "no line" (shown "*"), an id not
// in the table shows as "?". Names are unique ignoring case.
//
// The table order is the order trains are sorted by (Lin_CompareOrder); a
// move changes it, so the train list is re-sorted after every move.
//
// Promises: a refused operation leaves the table unchanged; every change marks
// the layout modified. Plain state on the main thread.
#pragma once
#include "platform/types.h"

typedef u32 LineId;

enum {
  LINE_MAX = 4000,      // records in the table
  LINE_ID_MAX = 4005,   // highest id
  LINE_NAME_MAX = 8,    // characters of a name
  LINE_NAME_SIZE = 10,  // room for a name, the zero, and "?" / "*" forms
  LINE_GROUP_IDS = 20,  // line ids of one LineCondList group
  LINE_LIST_MAX = 1200  // words of a LineCondList that grows (Lin_ListAddBeside)
};

struct LineRec {
  LineId id;
  wch name[LINE_NAME_MAX + 1];
  i32 textLength;  // units of text with its zero; 0 = no text
  wch* text;       // Heap block of textLength units, null without text
};

// ---------------------------------------------------------------- table
// 1 ok (the table is cleared), 0 when the memory could not be had.
int Lin_Init(void);
void Lin_Exit(void);
// Frees every text; count 0; the id counter starts again (a new layout).
void Lin_Clear(void);

// Result codes of the table operations.
enum {
  LIN_OK = 0,
  LIN_FULL = 1,              // Lin_Create: 4000 lines
  LIN_NO_SUCH_LINE = 1,      // Lin_Delete, Lin_RenameMove
  LIN_NAME_EXISTS = 2,       // Lin_Create, Lin_RenameMove
  LIN_HAS_TRAINS = 2,        // Lin_Delete
  LIN_RUN_AS_BY_TRAINS = 3,  // Lin_Delete
  LIN_COPY_FAILED = 10       // Lin_Create: the line exists, a rule copy failed
};
// Creates a line after afterId (0: at the end); with copyFromId every module
// copies its rules for that line to the new one. 0 ok (the new id in *newId
// when given); 1 full; 2 the name exists; 3 empty name; 4 a character not
// allowed or a lone "*"; 5 too long; 7 a missing closing quote; 10 created
// but a rule copy failed.
int Lin_Create(const wch* name, LineId afterId, LineId copyFromId, LineId* newId = nullptr);
// 0 deleted (every module's rules lose the id first); 1 no such line;
// 2 trains belong to it; 3 trains of other lines run as it.
int Lin_Delete(LineId id);
// Renames and/or moves a line. where: 0 no move; -1 one place up (the first
// goes to the end); -2 one place down (the last goes first); else after the
// line where. An empty or null name keeps the old one. 0 ok; 1 no such line;
// 2 the name belongs to another line (newName, when not null, receives the
// normalised name: room for LINE_NAME_SIZE units); 3 the name does not
// parse; 4 it is too long.
int Lin_RenameMove(LineId id, wch* newName, i32 where);

// The id of the line of that name; 0 when none; a name that does not parse
// gives -1 empty, -2 a character not allowed or a lone "*", -3 too long, -5 a
// missing closing quote.
i32 Lin_FindByName(const wch* name);
// Reads a line name at the start of text: 0 for nothing (*id unchanged), -2 a
// character not allowed, -3 too long; else the characters taken, with *id
// the line's id, 0 for "*", 65535 for an unknown name.
i32 Lin_ParseName(const wch* text, LineId* id);
// Shows the message of a failed name lookup (codes of Lin_FindByName; 0 an
// unknown name, which with offerCreate asks to create it). Returns the id of
// a line created on Yes, else 0.
LineId Lin_ReportNameError(int code, const wch* name, int offerCreate);

// The name into buf (LINE_NAME_SIZE units): 0 the name; 1 "?" for an unknown
// id; 2 "*" for id 0. padded: right-aligned to 8 characters with blanks.
int Lin_GetName(LineId id, wch* buf, int padded);
// Replaces the name in field (room for LINE_NAME_SIZE units at least) by the
// name of the line step places further in table order, wrapping at both
// ends; an unknown or missing name gives the first line. 1 when the table is
// empty (field unchanged), else 0.
int Lin_StepName(wch* field, i32 step);

// Table order: the id at index 0..count-1, 0 past the end.
LineId Lin_IdAt(i32 index);
// Table index of the line, -1 when unknown.
i32 Lin_IndexOf(LineId id);
// Count in the low 16 bits, LINE_MAX in the high 16 bits.
u32 Lin_CountAndMax(void);
// 1 id1 stands before id2, 2 after, 0 the same line, 11 either unknown.
int Lin_CompareOrder(LineId id1, LineId id2);

// The text length with its zero (0 none, -1 unknown line); the text is
// copied into buf when buf is given and the length is positive.
i32 Lin_GetText(LineId id, wch* buf);
// 0 ok; -1 unknown line; -2 no memory (the old text stays). An empty or null
// text removes the text.
int Lin_SetText(LineId id, const wch* text);

// ---------------------------------------------------------------- file section
// Section "LIND". The reader gives 0, a stream code 1 or 2 (2 also when the
// data end where a name should start), 3 malformed, 4 no memory.
int Lin_SaveSection(void);
int Lin_LoadSection(u16 version);

// ---------------------------------------------------------------- other modules
// The modules whose rules name lines answer through hooks that each installs
// when it starts (null: the module has no rules, nothing to copy, remove or
// find). Module order of the copy and delete hooks.
enum {
  LIN_MODULE_TURNOUTS,
  LIN_MODULE_SHUNTING,
  LIN_MODULE_TP,
  LIN_MODULE_DWX,
  LIN_MODULE_STOPS,
  LIN_MODULE_SOUND,
  LIN_MODULE_SIGNALS,
  LIN_MODULE_LFST,
  LIN_MODULE_COUNT
};
struct LinModuleHooks {
  // Adds newId beside fromId in every rule; 0 ok, else some rule could not grow.
  int (*copyLine)(LineId newId, LineId fromId);
  // Removes the id from every rule.
  void (*removeLine)(LineId id);
  // Objects inside the box (corners included) whose rules name the line;
  // with firstOnly the search stops at the first (result 1).
  i32 (*countInBox)(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly);
};
void Lin_SetModuleHooks(int module, const LinModuleHooks* hooks);
// The train list: its four counts of a line (trains of the line; of those,
// running as another line; of those running as the line, not on the track;
// trains of other lines on the track running as the line), and its re-sort
// after the table order changed.
struct LinTrainHooks {
  void (*countByLine)(LineId id, u32 counts[4]);
  void (*resort)(void);
};
void Lin_SetTrainHooks(const LinTrainHooks* hooks);

// Objects inside the box whose rules name the line, asked module by module
// (timetable points, Dwx points, stops, sound points, turnout controllers,
// shunting points, signals, LFST points): id > 0 gives 1 at the first one
// found, else 0; id < 0 counts the objects of line -id; 0 gives 0.
i32 Lin_CountUsersInBox(i32 id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);

// ---------------------------------------------------------------- LineCondList
// A list is a u32 array of groups: n (line count), n line ids (0 any line),
// a flag word F, then the option words F selects in one fixed order (the rule
// text codec, model/rule.h, owns their meaning). Every reader here steps
// through groups by Lin_ListGroupLength and so never reads past length, even
// in a damaged list.
enum : u32 {
  LIN_OPT_WINDOWS = 0x8000,   // m, then m (from, to) PackedWeekTime pairs
  LIN_OPT_NUMBERS = 0x10000,  // k, then k words of a number list
  LIN_OPT_SWITCH_LINE = 0x4000,
  LIN_OPT_RANGE = 0x800,
  LIN_OPT_CATEGORY = 0x2,
  LIN_OPT_TYPE = 0x400,
  LIN_OPT_NUMBER = 0x2000,
  LIN_OPT_LETTER5 = 0x1000,
  LIN_OPT_HUNDREDTHS6 = 0x200,
  LIN_OPT_HUNDREDTHS7 = 0x100,
  LIN_OPT_DIGIT8 = 0x80,
  LIN_OPT_DIGIT9 = 0x40,
  LIN_OPT_TIMETABLE1 = 0x20,  // c, then c entries of 4 words
  LIN_OPT_TIMETABLE2 = 0x10,
  LIN_OPT_THOUSANDTHS = 0x8,
  LIN_OPT_SIGNED = 0x4,
  LIN_OPT_TIME_OF_DAY = 0x40000,
  LIN_OPT_LETTER15 = 0x1,
  LIN_OPT_LETTER17 = 0x20000  // w; with w != 0 and w & 4 a depot and a place follow
};
enum { LIN_OPTION_COUNT = 19 };
// The flag bits in the order of their words.
extern const u32 kLinOptionOrder[LIN_OPTION_COUNT];

// Where each option's words start inside one group (-1 when absent).
struct LinGroupLayout {
  i32 length;  // words of the group
  u32 flags;
  i32 offset[LIN_OPTION_COUNT];  // by position in kLinOptionOrder
};
// Words of the group at list[0]; 0 when the list is empty or the group does
// not fit into length words (a damaged list).
i32 Lin_ListGroupLength(const u32* list, i32 length);
// The same with the offsets of the options; 0 when it does not fit.
i32 Lin_ListGroupLayout(const u32* list, i32 length, LinGroupLayout* layout);
// Index after n groups (the length when fewer); -1 for a damaged list.
i32 Lin_ListSkipGroups(const u32* list, i32 length, i32 n);
// Groups in the list; -1 for a damaged list.
i32 Lin_ListCountGroups(const u32* list, i32 length);
// 1 a group names the id among its lines; 2 only a line-to-switch-to option
// word equals it; else 0.
int Lin_ListContains(const u32* list, i32 length, LineId id);
// Removes a line from a list in place; returns the new length.
i32 Lin_ListRemove(u32* list, i32 length, LineId id, int wholeGroups);
// Timetable entries and the depot-place option: entries of that depot and
// place (0 any) lose the depot (number 0; the place flag bit 15 stays).
void Lin_ListClearDepotPlaces(u32* list, i32 length, u32 depot, u32 place);
// Entries of that depot and old place (bit 15 ignored) take the new place
// number (bit 15 kept).
void Lin_ListRenumberDepotPlace(u32* list, i32 length, u32 depot, u32 newPlace, u32 oldPlace);
// Copies the list into out (room for LINE_LIST_MAX words) inserting newId
// right after oldId in every group that names oldId, while the group has
// fewer than 20 lines and the list stays within LINE_LIST_MAX words.
// 0 all done; -3 some groups could not grow; -2 none could; -1 newId 0 or an
// empty list (the plain copy is still made).
int Lin_ListAddBeside(const u32* list, i32 length, u32* out, i32* outLength, LineId newId, LineId oldId);
// The first group that matches: one of its lines is the line or 0; with
// windows one of them holds time; with a number list and number != 0 the
// number is in it. The index of the group's first option word after windows
// and numbers, with its flag word and the end of the matching window (0
// without windows); -1 when none matches. Outs may be null.
i32 Lin_ListMatch(const u32* list, i32 length, LineId line, u32* windowEnd, u32* flags, u32 time, u32 number);
// Lin_ListMatch at the simulated time now. Without until (null): 1 when a
// group matches now, else 0. With until: follows the chain of matching
// windows from now; 1 when *until lies inside it, else 0 with *until set to
// the end of the chain (now when the matching group has no windows).
int Lin_ListMatchNow(const u32* list, i32 length, LineId line, u32* until, u32 number);

// ---------------------------------------------------------------- LinePairList
// (line id, value) pairs; a value 0 matches any value.
i32 Lin_PairListSkip(const u32* list, i32 length, i32 n);
i32 Lin_PairListCount(const u32* list, i32 length);
// Removes every pair with that id (and that value when value != 0); returns
// the new length.
i32 Lin_PairListRemove(u32* list, i32 length, LineId id, u32 value);
// Pairs with oldId (and that value when value != 0) take newId; returns how
// many changed.
i32 Lin_PairListReplace(u32* list, i32 length, LineId oldId, LineId newId, u32 value);
// 1 when a pair has the id and (value 0, the pair's value 0 or equal).
int Lin_PairListContains(const u32* list, i32 length, LineId id, u32 value);
// An old list of u16 ids: each becomes the pair (id, 0); out holds 2 x length
// words. Returns the words written.
i32 Lin_PairListFromOld(const u16* list, i32 length, u32* out);

// Old forms of files before 14389. A pair list of u16 entries (id, flags):
// flag 0x8000 adds a time window (two words h << 8 | m), 0x4000 a line to
// switch to (one word). Each entry becomes a group of its one line with the
// windows (every weekday; the end one minute on, 23:59 to 0:00; hour 24 all
// day) and the line to switch to; out: room for 2 x length words. The words
// written, -1 for a damaged list.
i32 Lin_ListFromOldPairs(const u16* pairs, i32 length, u32* out);
// The older form before 14170 keeps id and flags in one word: the word at
// each group's start keeps its bits 0x33FF and a word of its bits 0xCC00 is
// put behind it (list: room for 2 x length words). The new length, -1 for a
// damaged list.
i32 Lin_OldListSplit(u16* list, i32 length);

// What the group of a list that matches a train gives (Lin_ListApply): the
// flag word, and for each option (by its position in kLinOptionOrder) the
// index of its first word in the list, -1 when absent.
struct LinApplyOut {
  u32 flags;
  i32 word[LIN_OPTION_COUNT];
  u32 depot, place;  // the depot place option 0x20000 names, when it exists
};
// Matches like Lin_ListMatchNow for the train's line and number and gives
// the matching group's options; the line to switch to (option 0x4000)
// replaces *line. Options 0x1 and 0x20000 act on the train's flag word
// (trainFlags): 0x400 placed at a depot place, 0x1 in service, 0x8000 started
// flagged; a depot place named by option 0x20000 (its own numbers when bit 2
// of its word is set and they are not 0, else defDepot and defPlace) that
// exists sets 0x1 and is given in out. 2 an empty list; 0 no group matches;
// else 1.
int Lin_ListApply(const u32* list, i32 length, LineId* line, LinApplyOut* out, u32* trainFlags, u32 defDepot,
                  u32 defPlace, u32 number);

// ---------------------------------------------------------------- clipboard and listing
// "LIN_A", one quoted name and text length per line that an object inside
// the box names (its text behind it), "LIN_E". 0 or the first line error.
int Lin_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Reads the block whose header is line *line; *line ends after "LIN_E".
// Lines of names the table lacks are created (the user is asked, through
// the hook, for each or for all). 0; 1 the table was full; 2 a line cannot
// be read or is malformed, or no end line; 3 a text could not be stored.
int Lin_PasteFromClip(i32* line);
// The question before a pasted line is created (template 87): 120 create
// it, 121 create it and every further one, 123 skip it and every further
// one, anything else skip it. Installed by the dialogs; without it every
// line is created.
struct LinPasteHooks {
  int (*askCreate)(const wch* name);
};
void Lin_SetPasteHooks(const LinPasteHooks* hooks);
// The lines' part of the text listing: per line its train counts, with
// withTexts its text. 0 or the first write's code.
int Lin_ExportText(wch separator, int withTexts);

// ---------------------------------------------------------------- number lists
// u32 count, then items; an item 0xFFFFFFFF between a and b stands for a..b.
// 2 an empty list; 1 the value is an item or inside a range; else 0.
int Lin_NumberListMatch(const u32* list, u32 value);
// 2 when either list is empty; 1 when some number of A matches B; else 0.
int Lin_NumberListsShare(const u32* listA, const u32* listB);

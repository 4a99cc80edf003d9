// Dispatcher messages: the list of at most 200 entries that signals, turnout
// controllers, timetable points, multi-cell symbols and train movement post
// when something needs the dispatcher's attention. Entries are not saved
// with the layout; a new layout and every load clear them.
//
// Owns the entry table (dense, oldest first), the new-messages flag, the
// options byte (bit 1 stop on every message, bit 2 stop on kinds set to
// stop, bit 4 stop when the table becomes full), one setting per kind 1..29
// (0 off, 1 on, 2 on and stop), the list's remembered selection, and the
// settings texts of keys DispNAllg and DispNn. The list and option dialogs
// are in dialogs/dmsgdlg; what only the shell can do (repaint the panel
// indicator, request a sound, stop the simulation) goes through DmsgHooks.
// Main thread only.
#pragma once
#include "platform/types.h"

enum { DMSG_MAX_ENTRIES = 200, DMSG_KINDS = 29, DMSG_LINE_WIDTH = 110 };
enum { DMSG_OPT_STOP_ALL = 1, DMSG_OPT_STOP_KINDS = 2, DMSG_OPT_STOP_FULL = 4 };
enum { DMSG_OFF = 0, DMSG_ON = 1, DMSG_ON_STOP = 2 };
// Results of Dmsg_Post.
enum { DMSG_POSTED = 0, DMSG_KIND_OFF = 1, DMSG_DUPLICATE = 2, DMSG_FULL = 3 };

struct DispatcherMessage {
  u32 Kind;  // 1..29
  u32 Day;   // whole days since the simulation began
  u8 Weekday, Hour, Minute, Second;
  u32 Number;
  i32 X, Y, Level;
  u32 Line, CurLine;
  u32 Data;
};

// What the list asks of the shell; a missing member does nothing.
struct DmsgHooks {
  void (*paintIndicator)(void);
  // Sound slot 1 first message, 2 another, 3 the table is full; the shell
  // plays it when sound output and the message sound option are on.
  void (*requestSound)(int slot);
  void (*stopSimulation)(void);
  // The run log's line of a message: called for every message taken into
  // the table and for one refused because the table is full.
  void (*logMessage)(const DispatcherMessage* message);
};
void Dmsg_SetHooks(const DmsgHooks* hooks);

// Options 0, every kind on, the table empty.
void Dmsg_Init(void);
void Dmsg_Free(void);
// Count 0, new flag 0, the indicator repainted.
void Dmsg_Clear(void);
// Adds an entry of the kind for a train at a cell; DMSG_POSTED, or
// DMSG_KIND_OFF (also a kind of 0 or outside 1..29), DMSG_DUPLICATE (same
// kind at the cell, except kinds 13, 14 and 26), DMSG_FULL.
int Dmsg_Post(u32 kind, i32 x, i32 y, i32 level, u32 data, i32 number, u32 curLine, u32 line);
u32 Dmsg_Count(void);
// The entry at an index; null out of range.
const DispatcherMessage* Dmsg_Get(u32 index);
// Removes the entry (nothing at or beyond the count); repaint asks for the
// indicator.
void Dmsg_Remove(u32 index, int repaint);
// 1 while messages arrived since the list was last shown.
int Dmsg_HasNew(void);
// The list was shown: the new flag goes, the indicator is repainted.
void Dmsg_MarkSeen(void);

// The entry's display text into text (size units); timeText (9 units, may
// be null) receives the data as a time of day and then the time is not
// appended. Returns the length + 1.
i32 Dmsg_FormatText(u32 kind, i32 x, i32 y, wch* timeText, wch* text, i32 size, u32 data, u32 second, u32 minute,
                    u32 hour, i32 level);
// Line index of the list: exactly DMSG_LINE_WIDTH characters (blank-filled,
// cut at the width) and the zero; the entry's index is the caller's key.
void Dmsg_ListLine(u32 index, wch* line);

int Dmsg_GetOptions(void);
// 1 for a value above 7 (unchanged), else 0.
int Dmsg_SetOptions(int options);
// The kind's setting; 0 for a kind outside 1..29.
int Dmsg_KindEnabled(u32 kind);
// 1 kind outside 1..29, 2 value above 2, else 0.
int Dmsg_SetKindEnabled(u32 kind, int value);

// Settings texts: DispNAllg two characters ("S", "X" or "0"; "V" or "0"),
// DispNn one character per kind ("j" off, "B" on, "C" on and stop). The
// setters answer 1 for any other character (nothing changed), else 0; a
// shorter DispNn leaves the remaining kinds as they are.
void Dmsg_FormatOptionsKey(wch* out);
int Dmsg_ParseOptionsKey(const wch* text);
void Dmsg_FormatKindsKey(wch* out);
int Dmsg_ParseKindsKey(const wch* text);

// The remembered selection of the list (item and entry index).
void Dmsg_GetSelection(i32* item, i32* entry);
void Dmsg_SetSelection(i32 item, i32 entry);

// Repaints the indicator through the hook (nothing natively).
void Dmsg_PaintIndicator(void);
// The indicator of the status strip: three symbol codes in field 28 on
// palette colour 39. What it shows for a table of count entries and whether
// messages arrived since the list was last shown: the palette colour as the
// result and the three codes, zero-ended, in codes. An empty table is 101
// with 18, 19, 20; a full one 104 with 21, 22, 23; unseen messages 103 with
// 21, 22, 23; any other 102 with 18, 19, 20.
enum { DMSG_INDICATOR_FIELD = 28, DMSG_INDICATOR_BACK = 39 };
int Dmsg_IndicatorLook(u32 count, int hasNew, wch codes[4]);
// Region hooks; entries that leave the grid (x or y outside 0..32767, level
// outside -4..0) are removed.
void Dmsg_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Dmsg_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 numX, i32 denX, i32 numY,
                         i32 denY);
void Dmsg_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);

// Log points and the run log: cells at which events of passing and stopping
// trains are written to the run log file.
//
// Owns the log point store (the point-object pattern, list and buckets kept
// sorted by y, x, then level descending; one point per cell), the section
// "LOGP", the clipboard block "LOG_A".."LOG_E", the run log settings and the
// run log itself: a text file "orba_NN.log" in the log folder to which each
// line is appended and which is closed again at once, so that the log
// survives a crash and never holds the file stream.
//
// Log lines are fields joined by the separator character; a point name that
// itself holds the separator is written as it is (a spreadsheet then sees an
// extra column at the end of that line: the name is the last field).
// Set and delete mark the layout modified; the region hooks and the paste
// do not.
#pragma once
#include "platform/types.h"
#include "model/pointobj.h"

struct TrainRec;

enum { LOGP_NAME_MAX = 32 };
// Flag bits of a log point.
enum { LOGP_F_ENTER = 1, LOGP_F_LEAVE = 2, LOGP_F_DEPART = 4, LOGP_F_ARRIVE = 8, LOGP_F_OFF = 16 };
// Run log option bits.
enum { LOGP_OPT_POINTS = 1, LOGP_OPT_DISPATCH = 2, LOGP_OPT_ANSI = 4, LOGP_OPT_UTF16 = 8, LOGP_OPT_VEHICLES = 16 };
// The longest 8-bit log line; longer lines are cut.
enum { LOGP_ANSI_LINE_MAX = 359 };

struct LogPoint {
  PointHead Head;
  u32 DirMask;
  u32 Flags;
  wch Name[LOGP_NAME_MAX + 1];
};

void Logp_Init(void);
// Both stop the run log and free every point.
void Logp_Clear(void);
void Logp_Exit(void);
u32 Logp_Count(void);
u32 Logp_CountSwitchedOff(void);
// Creates the point (replacing one at the cell); the name is cut to 32
// characters, leading blanks removed. 0 ok, 1 no memory (an old point
// stays).
int Logp_Set(i32 x, i32 y, i32 level, u32 dirMask, const wch* name, u32 flags);
// 1 when there is no point, else 0.
int Logp_Delete(i32 x, i32 y, i32 level);
// The point at the cell, null when none. (A point's flag word may be 0, so
// presence is asked here, not through Logp_GetInfo.)
const LogPoint* Logp_Find(i32 x, i32 y, i32 level);
// The flags of the point at the cell, 0 when there is none; its directions
// and name (room for LOGP_NAME_MAX + 1) through the optional outs.
u32 Logp_GetInfo(i32 x, i32 y, i32 level, u32* dirMask, wch* name);
// The first point after the position in list order (with one point, that
// point); none after: with wrap the first point, else 0. 1 found.
int Logp_NextInOrder(i32* x, i32* y, i32* level, int wrap);
// 1 when there are no points; else their bounding box and 0.
int Logp_GetExtent(i32* minX, i32* minY, i32* minLevel, i32* maxLevel, i32* maxY, i32* maxX);

// Box corners inclusive, in any order. source and target: x1, y1, level1,
// x2, y2, level2.
int Logp_TestInBox(const i32 source[6], const i32 target[6]);
void Logp_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel);
void Logp_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                         i32 numX);
void Logp_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// 0, or the first clipboard error.
int Logp_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// *line: the "LOG_A" line in, the line after "LOG_E" out. 0 ok, 1 a point
// could not be stored, 2 malformed block.
int Logp_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel);

int Logp_Save(void);
// 0, the stream's 1 or 2, 3 malformed, 4 a point could not be stored.
int Logp_Load(u16 version);
// The log points' part of the text listing; 0 or the first stream code.
int Logp_ExportText(void);

// ---------------------------------------------------------------- run log
// 1 flags hold no bit but 4 and 8, 2 separator or 3 comment character
// below 32; else stops a running log, stores the settings, 0.
int Logp_SetSettings(u32 flags, wch separator, wch comment);
// The number of points; the settings and the number switched off through
// the optional outs.
u32 Logp_GetSettings(u32* flags, wch* separator, wch* comment, u32* switchedOff);
// Starts a new log (a running one is stopped first); 0, or the number of
// the message shown.
int Logp_StartRunLog(void);
void Logp_StopRunLog(void);
// 1 while the run log is written.
int Logp_IsLogging(void);
// The log file's name while logging, else null.
const wch* Logp_GetLogFileName(void);
// Appends one line with its line end; 0 ok, 1 failed (logging then stops).
int Logp_AppendLine(const wch* line);
// One event line (kinds 0..6) for the train at its head cell; time: the
// event time in seconds of the day for kind 6, -1 none.
void Logp_LogEvent(const TrainRec* t, u32 kind, i32 time);
// The passing lines for a train whose head moved from the previous cell
// (its first cell before the move) to the given one.
void Logp_LogPassing(const TrainRec* t, i32 x, i32 y, i32 level);
// The windows are retitled when logging starts or stops (the log file's
// name shows in the titles); start-up installs the shell's retitle.
void Logp_SetTitleHook(void (*retitle)(void));
// One line for a dispatcher message (with option bit 2).
void Logp_LogDispatchMsg(i32 x, i32 y, i32 level, const wch* lineText, const wch* message, u32 lineId,
                         const TrainRec* t);

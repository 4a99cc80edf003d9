// Sound points and the sound settings: cells that make passing trains sound
// their horn or start and stop their running sound, and the switches that
// say which sounds are heard.
//
// Owns the sound-point records (the point-object store of model/pointobj:
// list newest first, 16 buckets by x, at most 40000, at most one per cell),
// their line lists, section "SNDP", the clipboard block "SOUNDP_A".."SOUNDP_E",
// the sound output switch and option word, and the hooks through which the
// sounds reach the frame window and ask what the views show. The catalogue
// and playback are operation/sndcat.
//
// Promises: a refused create changes nothing (a point already at the cell
// stays); every count read from a file or the clipboard is bounded before it
// is used. Main thread only.
#pragma once
#include "model/pointobj.h"
#include "platform/types.h"

enum { SND_MAX_POINTS = 40000, SND_MAX_WORDS = 1200 };

// Flags of a sound point.
enum : u32 {
  SND_F_HORN = 0x1,
  SND_F_HORN_COUNTDOWN = 0x2,
  SND_F_RUN_REPEAT = 0x4,
  SND_F_RUN_STOP = 0x8,
  SND_F_RUN_ONCE = 0x10,
  SND_F_LINES_ONLY = 0x80,
  SND_F_LINES_NOT = 0x100,
  SND_F_LINES = 0x180
};

// Sound option bits (RadauOpt).
enum : u32 {
  SND_OPT_EVENTS = 1,
  SND_OPT_DISPATCHER = 2,
  SND_OPT_ALL_TRAINS = 4,
  SND_OPT_ANIMATION = 8,
  SND_OPT_SIGNALS = 16,
  SND_OPT_ALARM = 32,
  SND_OPT_FOLLOWED_TRAIN = 64
};

// lParam bits of the sound request (message 1029).
enum : u32 { SND_REQ_SLOT = 1, SND_REQ_NEAR = 2 };

struct SoundPoint {
  PointHead Head;
  u32 Flags;
  u32 DirMask;
  u32 Style;
  i32 WordCount;
  u32* Words;  // WordCount words, null without a list
};

// ---------------------------------------------------------------- life
// No points; the catalogue empty with every slot unassigned.
void Snd_Init(void);
// Closes every open sound device and frees every point (new layout, load, exit).
void Snd_ClearPoints(void);
// Snd_ClearPoints, the catalogue and the range lists.
void Snd_Free(void);

// ---------------------------------------------------------------- points
u32 Snd_GetPointCount(void);
// 1 for a sound-point code (at most 0x7FFF, shape 128..135); *styleMax the
// highest style of the cell (5 for codes 7168..8191 without bit 14, else 13).
int Snd_IsSoundElement(u32 code, u32* styleMax);
// The point's flags, 0 when there is none. With a line list, *count and
// *list (the point's own words, read only) are set, else *count is 0. Outs
// may be null.
u32 Snd_GetPointAt(i32 x, i32 y, i32 level, i32* count, const u32** list, u32* dirMask);
// The style, 0 when there is no point.
u32 Snd_GetPointValue(i32 x, i32 y, i32 level);
// 0 set; 1 no point.
int Snd_SetPointValue(i32 x, i32 y, i32 level, u32 style);
enum { SND_CREATE_OK = 0, SND_CREATE_NO_ROOM = 1, SND_CREATE_BAD_FLAGS = 2 };
// Creates the point (replacing one at the cell). 2 for flags 0, flags 4 and
// 8 together or flag 2 without 1 (nothing changes); 1 the limit is reached,
// the list is too long or memory fails (the point already at the cell stays);
// 0 created and the layout marked modified.
int Snd_CreatePoint(i32 x, i32 y, i32 level, i32 count, const u32* list, u32 style, u32 dirMask, u32 flags);
// 0 deleted and the layout marked modified; 1 no point.
int Snd_DeletePointAt(i32 x, i32 y, i32 level);

// ---------------------------------------------------------------- region hooks
// Boxes are two corners (x, y, level), in any order.
void Snd_MovePointsInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dz);
// Moves each point in the box where the region transform puts its cell
// (Trn_ScaleRegionPos with the origin and the factors).
void Snd_ScalePointsInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 originX, i32 originY,
                          i32 denY, i32 numY, i32 denX, i32 numX);
void Snd_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Changes old style f to t at the points in the box whose cell matches (see
// the source); the number changed, -1 for a code above 16383 without a
// class mask.
i32 Snd_RemapInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int exact, u32 dirMask, u32 code,
                   u32 classMask, u32 t, u32 f);
// "SOUNDP_A", one line per point in the box (and its rule line), "SOUNDP_E".
// 0 or the first clipboard error.
int Snd_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2);
// Reads the block from line *lineNo (its header) on, points moved by the
// offset; *lineNo ends after "SOUNDP_E". 0; 1 some points could not be
// added (their cells emptied); 2 the block does not end with "SOUNDP_E".
int Snd_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dz);

// ---------------------------------------------------------------- line hooks
// Removes the line from every list; an emptied list goes with flags 0x180.
void Snd_OnLineDeleted(u32 line);
// Adds newLine beside oldLine in every list; 1 when a list could not grow.
int Snd_OnLineCopied(u32 oldLine, u32 newLine);
// The next point inside the box whose list names the line: *x -1 continues
// after the previous hit, any other value restarts. 1 and *x, *y, *level;
// 0 at the end.
int Snd_NextPointInBox(u32 line, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                       i32* level);

// ---------------------------------------------------------------- section "SNDP"
int Snd_SaveSection(void);
// 0; stream codes; 3 a wrong tag or a count or list out of range; 4 a point
// not added.
int Snd_LoadSection(u16 version);

// ---------------------------------------------------------------- settings
// Sound output (KrawallOpt) and the option word (RadauOpt).
void Snd_SetOutput(int on);
int Snd_OutputOn(void);
void Snd_SetOptions(u32 options);
u32 Snd_GetOptions(void);
// 1 while sound output is on and option bit 4 or 64 is set: trains sound.
int Snd_TrainSoundsOn(void);

// ---------------------------------------------------------------- what the layers above answer
// A view as the audibility test and the follow step see it.
struct SndView {
  int mode;        // 1 picture, 2 schematic, 3 overview
  int scale;
  int showState;   // 2 minimised
  i32 level;
  i32 originX, originY;
  i32 visWidth, visHeight;  // cells
  i32 cursorX, cursorY;
};
// Installed by start-up (shell/wire). Without them no request is posted,
// drawing counts as not suspended and no view is open.
struct SndHooks {
  // Posts message 1029 to the frame window; 0 when there is no frame.
  int (*postRequest)(u32 wParam, u32 lParam);
  int (*drawingSuspended)(void);
  // 1 and the view of an open slot 0..5, else 0.
  int (*getView)(int slot, SndView* out);
};
void Snd_SetHooks(const SndHooks* hooks);
// 1 posted.
int Snd_PostRequest(u32 wParam, u32 lParam);
int Snd_DrawingSuspended(void);
int Snd_GetView(int slot, SndView* out);
// 1 an open picture view (not minimised) on the level shows the cell; 2 none
// does, but one has it within half its visible width and height beyond its
// edges; else 0.
int Snd_CellAudibility(i32 x, i32 y, i32 level);
// Requests event slot 0..12 for a cell (level crossings): when sound output
// and the option bit are on and a picture view shows the cell (kind 1) or
// lies near it (kind 3). 1 posted.
int Snd_RequestSlotAtCell(int slot, i32 x, i32 y, i32 level, u32 optionBit);
// Event slot 0 (editing actions) when sound output and option bit 1 are on.
void Snd_RequestEvent0(void);

// Multi-cell symbols: symbols that stand for an object larger than their
// cell (a windmill, a fountain, a clock tower) or that are animated, and
// the short animations that follow trains.
//
// Owns the definitions (read from "orba.bnm" in the program folder and from
// one "bnm" file per user graphics library) and the placed objects: the
// symbols visible in a picture-mode view while the multi-cell display is
// on, with their animation state. Nothing of this is stored in the layout.
// What only the views, the graphics store and the sound know is asked
// through McsHooks; without hooks nothing is visible and nothing placed.
#pragma once
#include "platform/types.h"

struct McsStep {
  i32 Picture;  // 0..99; 0 draws nothing of its own
  i32 MinTicks, MaxTicks;
  i32 Sound;    // 1..9999, -1 none
};

struct McsDefinition {
  McsDefinition* Next;
  i32 Top, Height;  // rows relative to the symbol cell (Top = 1 - yd - h)
  i32 Left, Width;  // columns relative to the symbol cell
  i32 StepCount;
  u32 Code;
  i32 Variant;      // 0 any, 1..4 the variants A..D
  McsStep Steps[1]; // StepCount entries, allocated with the definition
};

struct McsPlaced {
  McsPlaced* Next;
  i32 X, Y, Level;
  const McsDefinition* Def;  // null: an object that follows a train
  i32 Step, Counter, Duration;
};

// The rectangle of cells a picture-mode view shows (inclusive, already
// widened by the three extra rows below), its level and its slot.
struct McsView {
  int slot;
  i32 x0, y0, x1, y1;
  i32 level;
};

struct McsHooks {
  // The picture-mode views; their count (at most max).
  int (*pictureViews)(McsView* out, int max);
  // The picture variant (1..4, 0 none) of a multi-picture symbol cell.
  i32 (*cellVariant)(i32 x, i32 y, i32 level, u32 code);
  // Builds the picture of a definition's step at a zoom (1, 2 or 4).
  void (*buildPicture)(u32 code, i32 variant, i32 picture, int zoom);
  int (*zoomSet)(void);
  // A symbol's picture area in cells around its cell; 0 when it is one
  // cell.
  int (*pictureArea)(u32 code, i32* left, i32* top, i32* width, i32* height);
  // 2 when the train drawing has an extra part in the cell.
  int (*trainCellPart)(i32 x, i32 y, i32 level);
  // Asks for a step's sound: heard only while sound output and the
  // animation sounds are on and a picture view shows the cell.
  void (*stepSound)(i32 x, i32 y, i32 level, i32 sound);
  int (*displayPaused)(void);
  // The user graphics file of library 1..110 (room for OS_MAX_PATH), empty
  // when none.
  void (*libraryName)(int library, wch* name);
  // The open command's load-failure flag: no animation while it is set.
  int (*loadFailed)(void);
};
void Mcs_SetHooks(const McsHooks* hooks);

// The animation word (settings key Anima; the view options switch it
// between 31 and 0): bits 1 and 2 the multi-cell display, bit 4 the
// animations that follow trains, bit 8 the per-minute redraw of symbols
// larger than their cell, bit 16 the switching animation of signal
// elements. 31 at start.
enum : u32 { MCS_ANIM_DISPLAY = 3, MCS_ANIM_TRAINS = 4, MCS_ANIM_MINUTE = 8, MCS_ANIM_SIGNALS = 16, MCS_ANIM_ALL = 31 };
void Mcs_SetAnimationWord(u32 word);
u32 Mcs_GetAnimationWord(void);

// Empties both lists, enables the module, reads "orba.bnm".
int Mcs_Init(void);
void Mcs_Exit(void);
// Frees the placed objects and the library definitions.
void Mcs_Clear(void);
// 0 the program's file, 1 the files of all libraries. 0 ok, 1 "orba.bnm"
// missing, 3 no memory.
int Mcs_LoadDefinitions(int which);
// The definition or null; with the outs a random starting state.
const McsDefinition* Mcs_FindDefinition(u32 code, i32 variant, i32* step, i32* counter, i32* duration);
u32 Mcs_Count(void);
const McsPlaced* Mcs_First(void);
// 1 while the module is enabled and the multi-cell display is on.
int Mcs_AnimationOn(void);
// 1 while the module is enabled and the animation word lets symbols follow
// the trains (MCS_ANIM_TRAINS): the train movement asks before it moves or
// removes the symbol object of a cell.
int Mcs_FollowsTrains(void);
// 1 no memory, else 0.
int Mcs_PlaceAt(i32 x, i32 y, i32 level, u32 code);
void Mcs_RemoveAt(i32 x, i32 y, i32 level);
// The current step's picture index of a placed object with a definition
// at the cell; *word is set to 0. 0 when there is none or the cell code is
// 49152.
i32 Mcs_GetInfo(i32 x, i32 y, i32 level, i32* word, u32 code);
// slot -1: every view; box (x0, y0, x1, y1) may be null. 1 no memory.
int Mcs_Revalidate(int slot, const i32* box);
// The train at the old cell (old x -1: none) moved to the new one. 1 no
// memory.
int Mcs_FollowTrain(i32 oldX, i32 oldY, i32 oldLevel, i32 newLevel, i32 newY, i32 newX);
void Mcs_AnimateTick(void);
void Mcs_RedrawAreas(void);
// For tests: the line-by-line reader of a definition file's text.
int Mcs_ParseHeader(const wch* line, int library, i32* out7);
int Mcs_ParseStep(const wch* line, McsStep* step);

// The followed train: which view keeps it in sight and how (the view
// options of settings key V), the follow mode, and the distance driven since
// following began. The followed train itself and its moved flag are kept by
// operation/trn (Trn_GetFollowed).
//
// The views belong to the shell: the step asks and moves them through the
// hooks that start-up installs; without them no view follows. Main thread.
#pragma once
#include "platform/types.h"

// View options (settings key V).
enum : u32 { TRN_VIEW_INFO_TEXTS = 1, TRN_VIEW_CELL_BY_CELL = 2, TRN_VIEW_KEEP_LEVEL = 4 };
void Trn_SetViewOptions(u32 options);
u32 Trn_GetViewOptions(void);

struct TrnFollowHooks {
  i32 (*followedView)(void);                              // the slot, -1 none
  void (*retitle)(int slot);                              // the view's titles
  int (*centreOnCell)(int slot, i32 x, i32 y, i32 level); // Ewin_CentreOnCell
  // Picture and schematic views: by cells, the cursor kept inside; overview
  // maps: by pixels of the map.
  void (*scroll)(int slot, i32 dx, i32 dy);
  void (*setCursor)(int slot, i32 x, i32 y);
  void (*showPosition)(int slot);                         // scroll bars and coordinates
};
void Trn_SetFollowHooks(const TrnFollowHooks* hooks);

// The idle step's part: when a train is followed and moved, the followed
// view keeps it in sight. 1 when the view moved, else 0.
int Trn_FollowStep(void);

// The followed train's head entered a cell: counted straight or diagonal.
void Trn_CountFollowedCell(int diagonal);
// The line of the followed train (0 none), its number in *number (may be null).
u32 TrnList_FollowedId(i32* number);
// 0 none, 1 followed, 2 user-driven.
int TrnList_GetFollowMode(void);
// Mode 1 clears the user-driven bit, any other mode sets it (and 0x100).
void TrnList_SetFollowMode(int mode);
// Metres driven since following began (straight cells x 1000 + diagonal
// cells x 1414, over the layout scale in cells per km); -1 when none.
i32 TrnList_FollowedDistance(void);
// The distance counters to 0 (following begins with the reset flag).
void TrnList_ResetFollowedDistance(void);
// The status line of the followed train into out (size units): its line and
// number, the line it runs as, class and state letters, then what it waits
// for (the timetable point's time while held, the next insertion while off
// the track) or its speed, its target speed and the distance driven. Empty
// when no train is followed.
enum { TRN_INFO_LINE_SIZE = 256 };
void TrnList_InfoLine(wch* out, i32 size);

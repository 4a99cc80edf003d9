// Layout protection code: a word of 8 to 16 characters (0-9, A-Z) that the
// layout's author may give it; while it has one, the layout is saved only
// after the code was entered once since it was loaded.
//
// Owns LayoutProtectCode: the encoded code (the set flag is the general
// section's GENL_FLAG_PROTECTED, which announces it in the file) and the code
// last entered correctly; the slices of the encoded code that stand between
// the layout file's sections; the save check.
//
// The prompt itself is a dialog of a higher layer, asked through the hook
// below; without one the code counts as not entered.
#pragma once
#include "platform/types.h"

enum { LAY_CODE_MIN = 8, LAY_CODE_MAX = 16 };

// One slice: a byte for each index from..to of the encoded code (0 at and
// past its end). Without a code both do nothing and give 0; else the
// stream's first failure code.
int Lay_WriteLockSlice(int from, int to);
int Lay_ReadLockSlice(int from, int to);
// 1 when the layout has a code.
int Lay_HasProtectCode(void);
// Forgets the code and the entered code (a new layout).
void Lay_ClearProtectCode(void);
// A load begins: the encoded code is emptied (the general section's flag and
// the slices set it again). A load succeeded: the entered code is forgotten,
// so that the new layout's code must be entered before it is saved. A
// refused load keeps the old layout with what was entered for it.
void Lay_BeginLoadProtectCode(void);
void Lay_ForgetEnteredCode(void);
// Sets the code from its plain form (8-bit encoded internally and counted
// as entered); empty removes it. 0 ok, 1 too short, 2 too long, 3 a bad
// character. The layout is marked modified on a change.
int Lay_SetProtectCode(const wch* plain);
// The code in plain form (room for LAY_CODE_MAX + 1 units); empty without one.
void Lay_GetProtectCode(wch* plain);
// Checks a plain entry against the code (case ignored); 0 equal (it counts
// as entered from now on), 1 too short, 2 too long, 3 bad character, 4 wrong.
int Lay_CheckProtectCode(const wch* plain);
// The prompt: 0 no code, already entered, or entered now; 1 cancelled.
int Lay_AskProtectCode(void);
// The save check before anything else of a save: 0 go on, 1 refused (the
// code not entered, or converting an older layout declined, question 241).
int Lay_MaySave(void);
// The same without any question (auto-save): 1 whenever one would be asked.
int Lay_MaySaveQuietly(void);

// The prompt's dialog: it asks until a right code is entered (checking each
// with Lay_CheckProtectCode) and answers 0, or 1 when cancelled.
struct LayProtectHooks {
  int (*askCode)(void);
};
void Lay_SetProtectHooks(const LayProtectHooks* hooks);

// Signal conditions and aspects: the condition evaluator, the counting of
// trains into and out of installations, the aspect rules that switch a
// signal cell's shape, which trains an element serves, the queries of the
// train side, the display and the dialogs, manual switching and the style
// classes of signal pictures.
//
// Owns no records (operation/sig owns them) and the signal hooks
// (SigHooks): what the display knows (the state option, the display pause,
// the animation word) and asks for.
//
// Promises: an ill-formed condition leaves the aspect as it is; counting
// never takes a count outside 0..maximum; an aspect is written back into
// the cell, or under a train standing on it, with bit 14 kept. Main thread.
#pragma once
#include "operation/sig.h"

// Results of condition evaluation.
enum { SIG_EVAL_ILL_FORMED = 0, SIG_EVAL_FALSE = 2, SIG_EVAL_TRUE = 3 };

// Condition tokens besides installation ids.
enum : u32 {
  SIG_TOK_OR = 0x1000001,
  SIG_TOK_AND = 0x1000002,
  SIG_TOK_NOT = 0x1000003,
  SIG_TOK_OPEN = 0x1000004,
  SIG_TOK_CLOSE = 0x1000005,
  SIG_TOK_EQ = 0x1000006,
  SIG_TOK_NE = 0x1000007,
  SIG_TOK_LT = 0x1000008,
  SIG_TOK_LE = 0x1000009,
  SIG_TOK_GT = 0x100000A,
  SIG_TOK_GE = 0x100000B,
  SIG_TOK_PLUS = 0x100000C,
  SIG_TOK_MINUS = 0x100000D,
  SIG_TOK_TIMES = 0x100000E,
  SIG_TOK_DIV = 0x100000F,
  SIG_TOK_MOD = 0x1000010,
  SIG_TOK_UPLUS = 0x1000011,
  SIG_TOK_UMINUS = 0x1000012,
  SIG_TOK_NUMBER = 0x2000000,  // value in the low 16 bits
};

// Passing modes (Sig_TrainPasses).
enum : u32 {
  SIG_PASS_ELEMENT = 1,    // the element of types 1-4 at the cell
  SIG_PASS_TYPE10 = 2,     // the type-10 element at the cell
  SIG_PASS_LIST1 = 4,      // list 1 and delay 1, else list 2 and delay 2
  SIG_PASS_PLACE_A = 32,   // a depot place's list A, else list B
};

struct SigHooks {
  // Display option Sige: elements show their own state picture.
  int (*showState)(void);
  // The display pause switch: no redraws, no animation.
  int (*displayPause)(void);
  // The animation word (settings key Anima); bit 16 animates signals.
  u32 (*animation)(void);
};
// Copies the hooks; null or a null member: the option off, no pause, and an
// animation word with bit 16 set.
void Sig_SetHooks(const SigHooks* hooks);
int Sig_DisplayPaused(void);

// Class of a cell code's shape: 3 clear, 4 clear and expect stop, 2 stop, 0
// no aspect (codes of 16384 and above, type 10, other shapes).
int Sig_ShapeKind(u32 code);

// 3 true, 2 false, 0 ill-formed; an empty list is true. operands: one
// resolved installation per token position (null: unknown).
int Sig_EvalCondition(i32 count, const u32* tokens, SignalInstallation* const* operands);
// Resolves each id of 1..0x3FFFF to its installation and evaluates.
int Sig_EvalIdList(u32 count, const i32* ids);

// Evaluates the element's condition and switches its cell (types 1-4).
void Sig_UpdateAspect(SignalElement* e);
void Sig_RefreshAspectAt(i32 x, i32 y, i32 level);
// Every element linked to e.
void Sig_UpdateLinkedAspects(SignalElement* e);
void Sig_RedrawElement(const SignalElement* e);

// Stores the state (2 or 3) and re-evaluates the dependents on a change.
void Sig_SetInstallationState(SignalInstallation* a, u8 state);
// 13 bad state; 1 still below (above) the limit; 3 already occupied (free);
// 12 that with clamping; 0 switched; 6 (7) switched with clamping.
int Sig_InstallationEnter(SignalInstallation* a, i32 n);
int Sig_InstallationLeave(SignalInstallation* a, i32 n);

// 1 when the element serves the train.
int Sig_ElementMatchesTrain(const SignalElement* e, u32 curLine, i32 number, u32 placeWord);
// A train passes the element at the cell or leaves or enters a depot place
// (mode). 7 no element; 5 not served (| 0x100 with SIG_F_COUNT_AMOUNT); 8
// unknown place; 9 empty list; else 0 or 0x100, | 1 when nothing counted.
// The answer's second byte asks for further notices.
u32 Sig_TrainPasses(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine, u32 line, u32 amount,
                    u32 mode);
// 11 no element of types 1-4 at the cell; 1 it does not serve the train; 0
// it does; 2 it does and has an extra value (written out).
int Sig_TestElementForTrain(i32 x, i32 y, i32 level, i32* extra, u32 placeWord, i32 number, u32 curLine);
// 11 none; 0 serves; 1 does not.
int Sig_ElementAppliesTo(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine);
// The element's value for the train (with a linked element only when that
// one serves the train); -1 none.
i32 Sig_GetElementValueFor(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine);

// The picture state of the element of types 1-4 at the cell (6 none) and
// its phase (1, or 2 while blinking or switching) in *phase (may be null).
// mode: the shape kind of the cell.
u32 Sig_QueryElementState(i32 x, i32 y, i32 level, i32* phase, int forDialog, int mode);

// mode 0 count 0, 1 count the maximum, 2 toggles.
void Sig_SwitchInstallation(SignalInstallation* a, int mode);
// x -1: the installation with id y (1 unknown); else the installations of
// the element at the cell (2 none or type 0). 0 done.
int Sig_SwitchAt(i32 x, i32 y, i32 level, int mode);

// Class bits of a picture style of a type (1 first-family, 2 second, ...).
u32 Sig_CodeClass(u32 type, u32 state);
// Replaces styles of the type's elements inside the box; -1 for a bad code
// or type, else the number changed.
i32 Sig_RemapStatesInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, u32 type, int exact, u32 dirMask,
                         u32 code, u32 classMask, u32 fromState, u32 toState);

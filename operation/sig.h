// Signals: the signal installations (named train counters) and the signal
// elements at cells, with their conditions and the notices trains give them
// when they pass elements and leave or enter depot places.
//
// Owns the two record stores. The store, conditions, aspects, file sections
// and timed switching come with the signal issue; until then the stores are
// empty and every operation answers as for a cell or id without a record.
#pragma once
#include "platform/types.h"

struct SignalInstallation {
  SignalInstallation* Next;
  u32 Id;  // 1..0x3FFFF, shared with the elements
  u32 Count, Maximum, Limit;
};

struct SignalElement {
  SignalElement* Next;
  SignalElement* BucketNext;
  i32 X, Y, Level;
  u32 Id;
  u32 Type;
  u32 State;
  u32 Flags;
};

// Results of condition evaluation.
enum { SIG_EVAL_ILL_FORMED = 0, SIG_EVAL_FALSE = 2, SIG_EVAL_TRUE = 3 };

u32 Sig_ElementCount(void);
u32 Sig_InstallationCount(void);
// Evaluates a list of element or installation ids: 3 true, 2 false, 0
// refused; an empty list is true, an id without a record refuses.
int Sig_EvalIdList(u32 count, const i32* ids);
// Tells the element at the cell (or, for depot-place notices, the elements
// named by the place) that a train passes; the answer's second byte is not 0
// while the element wants further notices. 0 without an element.
u32 Sig_TrainPasses(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine, u32 line, u32 amount,
                    u32 mode);
// Class 10 elements: 1 the element does not apply to the train; 11 no
// element at the cell.
int Sig_ElementAppliesTo(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine);
// Class 21 elements: 11 no element of types 1-4 at the cell; 1 does not
// apply; 0 applies; 2 applies with flag 0x400 (extra value written out).
int Sig_TestElementForTrain(i32 x, i32 y, i32 level, i32* extra, u32 placeWord, i32 number, u32 curLine);
// The element's speed value for the train; -1 none.
i32 Sig_GetElementValueFor(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine);

#include "operation/sig.h"

static SignalInstallation* s_installations;
static SignalElement* s_elements;
static u32 s_installationCount, s_elementCount;

u32 Sig_ElementCount(void) { return s_elements ? s_elementCount : 0; }
u32 Sig_InstallationCount(void) { return s_installations ? s_installationCount : 0; }

int Sig_EvalIdList(u32 count, const i32* ids) {
  if (count == 0 || !ids) return SIG_EVAL_TRUE;
  return SIG_EVAL_ILL_FORMED;  // no record answers for any id
}

u32 Sig_TrainPasses(i32, i32, i32, u32, i32, u32, u32, u32, u32) { return 0; }

int Sig_ElementAppliesTo(i32, i32, i32, u32, i32, u32) { return 11; }

int Sig_TestElementForTrain(i32, i32, i32, i32* extra, u32, i32, u32) {
  if (extra) *extra = -1;
  return 11;
}

i32 Sig_GetElementValueFor(i32, i32, i32, u32, i32, u32) { return -1; }

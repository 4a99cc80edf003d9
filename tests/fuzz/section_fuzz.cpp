// Each section reader of the layout file on its own, at every file version
// the readers know. The first byte picks the section, the next two the
// version; the rest is the section. A section read well is saved, and what
// was saved reads again (at today's version) and saves as the same bytes
// (after two rounds: stops come back in reverse order from each load).
#include "model/dep.h"
#include "model/genl.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/layfile.h"
#include "model/line.h"
#include "model/tp.h"
#include "operation/snd.h"
#include "operation/trnfile.h"
#include "operation/trnlist.h"
#include "render/bgp.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
struct Section {
  int (*read)(u16 version);
  int (*write)(void);
};
const Section kSections[] = {
    {Genl_LoadSection, Genl_SaveSection}, {Grid_LoadSection, Grid_SaveSection},
    {TrnList_ReadSection, TrnList_SaveSection}, {Dep_LoadSection, Dep_SaveSection},
    {Hst_LoadSection, Hst_SaveSection}, {Lin_LoadSection, Lin_SaveSection},
    {Bgp_LoadSection, Bgp_SaveSection}, {Lay_ReadMa, Lay_WriteMa},
    {Tp_LoadSection, Tp_SaveSection},
    {Snd_LoadSection, Snd_SaveSection},
};
const size_t kCount = sizeof kSections / sizeof kSections[0];
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  if (size < 3) return 0;
  const Section& s = kSections[data[0] % kCount];
  const u16 version = Fuzz_Version(data + 1);
  Fuzz_ClearLayout();
  LayoutFileVersion = version;
  if (Fuzz_LoadSection(data + 3, size - 3, s.read, version) != 0) return 0;
  LayoutFileVersion = LAY_VERSION;
  const FuzzBytes first = Fuzz_Written(s.write);
  FUZZ_CHECK(!first.empty(), data[0]);
  // Two rounds: a list whose reader pushes each record at its head (stops)
  // is written in the reverse order after each load; the second round puts
  // it back.
  FuzzBytes saved = first;
  for (int round = 0; round < 2; ++round) {
    Fuzz_ClearLayout();
    const int r = Fuzz_LoadSection(saved.data(), saved.size(), s.read, LAY_VERSION);
    FUZZ_CHECK(r == 0, r);
    saved = Fuzz_Written(s.write);
    FUZZ_CHECK(saved.size() == first.size(), round);
  }
  Fuzz_CheckSame(first, saved, "a section saved and read twice");
  return 0;
}

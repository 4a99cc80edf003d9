// The whole layout file through the load driver. A refused load must leave
// the layout exactly as it was: what a save writes afterwards equals what it
// wrote before, and the cached vehicle sets and the background picture are
// the very ones in memory before. An accepted load, saved, loads again, and
// the second save writes the same bytes as the first.
#include <cstring>

#include "model/layfile.h"
#include "platform/msg.h"
#include "render/bgp.h"
#include "render/vehicles.h"
#include "shell/ewin.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
// The layout in memory as saved, and as saved after one more load: stops
// come back from each load in the reverse order (the reader pushes each at
// the head of its list), and so does the snapshot a refused load restores.
FuzzBytes g_saved, g_flipped;
const VehicleSetRecord* g_firstSet;
const u8* g_pixels;

void Remember(void) {
  g_saved = Fuzz_SaveLayout(u"mine.nt3");
  int r = Lay_LoadFile(u"mine.nt3");
  FUZZ_CHECK(r == LAY_LOAD_OK, r);
  g_flipped = Fuzz_SaveLayout(u"flipped.nt3");
  r = Lay_LoadFile(u"flipped.nt3");
  FUZZ_CHECK(r == LAY_LOAD_OK, r);
  Fuzz_CheckSame(g_saved, Fuzz_SaveLayout(u"mine.nt3"), "the layout saved and loaded twice");
  Fuzz_LoadPicture();
  g_firstSet = g_vehicleSets;
  g_pixels = g_background.pixels;
  FUZZ_CHECK(g_firstSet && g_pixels, 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  if (g_saved.empty()) {
    Fuzz_BuildLayout();
    Remember();
  }
  Fuzz_WriteFile(u"input.nt3", data, size);
  Ewin_SetModified();
  const int r = Lay_LoadFile(u"input.nt3");
  FUZZ_CHECK(Msg_InfoDepth() == 0, Msg_InfoDepth());
  if (r != LAY_LOAD_OK && r != LAY_LOAD_WARNINGS) {
    FUZZ_CHECK(r != LAY_LOAD_NOT_RESTORED, r);
    FUZZ_CHECK(Ewin_IsModified() == 1, r);
    FUZZ_CHECK(LayoutFileVersion == LAY_VERSION, r);
    FUZZ_CHECK(g_vehicleSets == g_firstSet, r);
    FUZZ_CHECK(g_background.pixels == g_pixels, r);
    const FuzzBytes kept = Fuzz_SaveLayout(u"mine.nt3");
    if (kept != g_flipped) Fuzz_CheckSame(g_saved, kept, "the layout kept by a refused load");
    return 0;
  }
  // Two rounds: stops come back from each load in the reverse order of the
  // file (the reader pushes each at the head of the list).
  const FuzzBytes first = Fuzz_SaveLayout(u"first.nt3");
  int again = Lay_LoadFile(u"first.nt3");
  FUZZ_CHECK(again == LAY_LOAD_OK || again == LAY_LOAD_WARNINGS, again);
  Fuzz_SaveLayout(u"second.nt3");
  again = Lay_LoadFile(u"second.nt3");
  FUZZ_CHECK(again == LAY_LOAD_OK || again == LAY_LOAD_WARNINGS, again);
  const FuzzBytes saved = Fuzz_SaveLayout(u"third.nt3");
  Fuzz_CheckSame(first, saved, "an accepted layout saved and loaded twice");
  // Back to the layout every input is tried against.
  Fuzz_BuildLayout();
  Remember();
  return 0;
}

// The sound catalogue "orba.skf" as a user may write it: the bytes become
// the file in the sound folder (UTF-16 with a byte-order mark, or 8-bit
// text) and the reader reads it. Whatever it holds, the reader ends, every
// event slot is unassigned or names a listed sound of at least 1 ms, and
// every vehicle range it kept names a listed sound.
#include "operation/sndcat.h"
#include "platform/fio.h"
#include "platform/os.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
void Start(void) {
  static bool started;
  if (started) return;
  started = true;
  const std::u16string& work = Fuzz_WorkFolder();
  Fio_SetFolderPath(FOLDER_PROGRAM, work.c_str());
  Os_CreateFolder((work + u"sound").c_str());
  const u8 one = 1;
  Fuzz_WriteFile(u"sound/x.wav", &one, 1);
  Fuzz_WriteFile(u"sound/y.wav", &one, 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  Start();
  Fuzz_WriteFile(u"sound/orba.skf", data, size);
  const int r = Snd_LoadCatalogue();
  FUZZ_CHECK(r == 0, r);
  for (int slot = 0; slot < SND_SLOTS; ++slot) {
    const i32 n = Snd_GetSlot(slot);
    if (n == -1) continue;
    const SoundCatalogueEntry* e = Snd_FindEntry(n);
    FUZZ_CHECK(e != nullptr, n);
    FUZZ_CHECK(e->Duration >= 1, e->Duration);
  }
  for (int slot = SND_SLOT_HORN; slot <= SND_SLOT_ARRIVAL; ++slot)
    for (i32 set : {1, 2, 3, 12, 13, 14, 20, 21, 22})
      for (i32 index : {-1, 0, 3, 5, 15}) {
        const i32 n = Snd_FindRange(slot, set, index);
        FUZZ_CHECK(n == -1 || Snd_FindEntry(n) != nullptr, n);
      }
  return 0;
}

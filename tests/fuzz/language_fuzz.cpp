// Language files: the text tables and the letter classes. The first byte
// picks the file; the rest is its content. A refused file keeps every text
// (or letter class) in use; an accepted table answers every number.
#include <string>

#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/str.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
// Texts of both tables, including some that every table lacks.
const TextId kProbe[] = {1, 801, 1380, 5509, 8005, 10000, 11000, 11113, 39999, 40000, 40001, 65535, 0x10000, 0xFFFFFFFFu};

std::u16string Texts(void) {
  std::u16string all;
  for (TextId id : kProbe) {
    all += Lng_GetText(id);
    all += u'|';
  }
  return all;
}

// Which accented letters fold onto which base letters, as name comparisons
// by the letter classes see them.
std::u16string Folds(void) {
  std::u16string all;
  for (char16_t c = 0xC0; c < 0x180; ++c) {
    const char16_t letter[2] = {c, 0};
    for (char16_t base = u'a'; base <= u'z'; ++base) {
      const char16_t other[2] = {base, 0};
      if (Str_CompareEx(letter, other, STR_CMP_FOLD) == 0) all += base;
    }
    all += u'|';
  }
  return all;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  if (size < 1) return 0;
  static const char16_t* const kNames[] = {u"fuzz.lng", u"fuzz.lnv", u"orba.lnx"};
  const int which = data[0] % 3;
  // The letter classes are read from the program folder, the tables from any
  // name there: the work folder stands in for it while the file is read.
  Fuzz_WriteFile(kNames[which], data + 1, size - 1);
  Fio_SetFolderPath(FOLDER_PROGRAM, Fuzz_WorkFolder().c_str());
  int r;
  if (which == 2) {
    const std::u16string folds = Folds();
    r = Lng_LoadLetterClasses();
    FUZZ_CHECK(r == 0 || Folds() == folds, r);
  } else {
    const std::u16string texts = Texts();
    r = Lng_LoadFile(kNames[which], which == 0 ? 1 : 0);
    FUZZ_CHECK(r == 0 || Texts() == texts, r);
    if (r == 0) Texts();
  }
  Fio_SetFolderPath(FOLDER_PROGRAM, Fuzz_DataFolder().c_str());
  // An accepted file stands in for the shipped one until that is read again
  // (a refused one changed nothing).
  if (r == 0) {
    const int back = which == 2 ? Lng_LoadLetterClasses() : Lng_LoadFile(which == 0 ? u"orba.lng" : u"orba.lnv", which == 0 ? 1 : 0);
    FUZZ_CHECK(back == 0, back);
  }
  return 0;
}

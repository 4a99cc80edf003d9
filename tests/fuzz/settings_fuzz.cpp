// The settings file "orba.ini" as a user's disk or an older program gives
// it: the bytes become the file and the program's reader reads it (UTF-16
// with either byte-order mark, or 8-bit text) over settings that differ from
// the defaults. A refused key keeps the value it had and every key the
// writer then writes reads back without a refusal and writes the same text
// again.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/fio.h"
#include "platform/str.h"
#include "shell/cfg.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
// Settings away from the defaults, kept keys included, that every input
// starts from.
const char16_t kStart[] =
    u"[ORBA_385]\r\nBackup=5\r\nStat_Opt=1F\r\nStat_Sep=\";\"\r\nDateiZahl=7\r\nBremsF=600\r\n"
    u"Farbe20=12,34,56\r\nFenster1=1,2,300,200,N,1,G\r\nFontVarSN=Arial\r\n"
    u"SuchText0=depot\r\nDName0=C:\\a.nt3\r\nZeitTrenn=2e\r\nBauformHst=3\r\n";

void Start(void) {
  const std::u16string& work = Fuzz_WorkFolder();
  for (int i = FOLDER_SETTINGS; i <= 6; ++i) Fio_SetFolderPath(i, work.c_str());
  Cfg_SetDefaults();
  if (Cfg_ReadText(kStart, nullptr) != 0) {
    const std::u16string bad = Cfg_BadKeys();
    fprintf(stderr, "start keys refused: %s\n", std::string(bad.begin(), bad.end()).c_str());
    Fuzz_Fail("the start settings are read", 0);
  }
}

// The written file from its section line on (the comment line before it
// holds the program's texts), as lines.
std::vector<std::u16string> Written(void) {
  FUZZ_CHECK(Cfg_WriteSettings() == 0, 0);
  const FuzzBytes b = Fuzz_ReadFile(Cfg_FileName());
  FUZZ_CHECK(b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE, b.size());
  std::u16string text;
  for (size_t i = 2; i + 1 < b.size(); i += 2) text += char16_t(b[i] | b[i + 1] << 8);
  std::vector<std::u16string> lines;
  size_t at = 0;
  for (size_t end; (end = text.find(u"\r\n", at)) != std::u16string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  FUZZ_CHECK(at == text.size(), at);
  size_t section = 0;
  while (section < lines.size() && lines[section] != u"[ORBA_385]") ++section;
  FUZZ_CHECK(section < lines.size(), section);
  return std::vector<std::u16string>(lines.begin() + long(section), lines.end());
}

std::u16string KeyOf(const std::u16string& line) { return line.substr(0, line.find(u'=')); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  Start();
  const std::vector<std::u16string> before = Written();

  Fuzz_WriteFile(Cfg_FileName(), data, size);
  int zoom = -1;
  const int r = Cfg_ReadSettings(&zoom);
  FUZZ_CHECK(r == 0 || r == 3, r);
  FUZZ_CHECK(zoom == 0 || zoom == 1 || zoom == 2 || zoom == 4, zoom);
  const std::u16string bad = Cfg_BadKeys();
  FUZZ_CHECK((r == 3) == !bad.empty(), r);
  const std::vector<std::u16string> read = Written();

  // A refused key keeps the value it had before the file was read.
  if (r == 3) {
    std::vector<std::u16string> names;
    for (size_t at = 0;;) {
      const size_t end = bad.find(u", ", at);
      names.push_back(bad.substr(at, end == std::u16string::npos ? end : end - at));
      if (end == std::u16string::npos) break;
      at = end + 2;
    }
    for (const std::u16string& name : names) {
      std::u16string was, is;
      for (const std::u16string& line : before)
        if (KeyOf(line) == name) was = line;
      for (const std::u16string& line : read)
        if (KeyOf(line) == name) is = line;
      if (was != is) {
        std::string n(name.begin(), name.end());
        fprintf(stderr, "refused key %s changed\n", n.c_str());
        Fuzz_Fail("a refused key keeps its value", int(r));
      }
    }
  }

  // What the writer wrote reads back whole and is written again the same.
  Cfg_SetDefaults();
  if (Cfg_ReadSettings(nullptr) != 0) {
    const std::u16string refused = Cfg_BadKeys();
    fprintf(stderr, "written keys refused: %s\n", std::string(refused.begin(), refused.end()).c_str());
    for (const std::u16string& line : read)
      if ((u", " + refused + u", ").find(u", " + KeyOf(line) + u", ") != std::u16string::npos) {
        fprintf(stderr, "%zu units:", line.size());
        for (char16_t c : line) fprintf(stderr, " %x", unsigned(c));
        fprintf(stderr, "\n");
      }
    Fuzz_Fail("the written settings read back whole", 0);
  }
  const std::vector<std::u16string> again = Written();
  FUZZ_CHECK(again.size() == read.size(), again.size());
  for (size_t i = 0; i < read.size(); ++i)
    if (again[i] != read[i]) {
      std::string a(read[i].begin(), read[i].end()), b(again[i].begin(), again[i].end());
      fprintf(stderr, "written: %s\nagain:   %s\n", a.c_str(), b.c_str());
      Fuzz_Fail("the written settings read back the same", int(i));
    }
  return 0;
}

// Speed of the rule text codec: parsing and printing the rules that objects
// on the grid typically carry (a few lines, time windows, train numbers and
// options). Dialogs and pastes parse one rule at a time, the text export and
// the clipboard copy print every rule of a layout.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/line.h"
#include "model/rule.h"
#include "platform/fio.h"
#include "platform/lng.h"

namespace {

struct RuleCase {
  int mode;
  const char16_t* text;
};

const RuleCase kRules[] = {
    {2, u"IC"},
    {2, u"IC+RE+S1"},
    {2, u"IC(T=6:00-9:00), IC(T=9:00-12:00), RE"},
    {2, u"RE(T=Mon-Fri +Sat:8:00-20:00,U=100-199+205)"},
    {2, u"S1(R=2-5,C=P,Y=B,N=MAX,S=1.50,W=0.25,A=1,K=2.250,V=-12,O=8:30)"},
    {2, u"IC(P1=8:00,P2=X,Q0=X), S1(T=Mon:22:00-Tue:2:00)"},
    {3, u"RE(T=6:00-7:00,E=S), IC(U=1+2+3+4+5+6+7+8+9+10,H=N)"},
    {4, u"*(L=IC,T=0:00-5:00), RE+S1+ICE(T=Sat:8:00-20:00 +Sun:8:00-20:00)"},
};

// The texts the codec reads (keys, letters, day names), in a language file
// of their own so that the benchmark needs no build data.
void LoadTexts() {
  const char* dir = "/tmp/";
  const std::u16string lines[] = {
      u"17021", u"Mon", u"17022", u"Tue", u"17023", u"Wed", u"17024", u"Thu", u"17025", u"Fri", u"17026", u"Sat",
      u"17027", u"Sun", u"19000", u"!",   u"19600", u"A",   u"19601", u"B",   u"19615", u"P",   u"19616", u"G",
      u"21700", u"TLRYNDSWABPQKVCEUHO", u"21701", u"FMR", u"21702", u"X", u"21703", u"NSE", u"21704", u"NDR", u"."};
  std::u16string text = u"\uFEFF";
  for (const std::u16string& l : lines) text += l + u"\r\n";
  FILE* f = std::fopen("/tmp/rule_bench.lng", "wb");
  if (!f) return;
  std::fwrite(text.data(), 2, text.size(), f);
  std::fclose(f);
  std::u16string d;
  for (const char* p = dir; *p; ++p) d += char16_t(*p);
  Fio_SetFolderPath(0, d.c_str());
  if (Lng_LoadFile(u"rule_bench.lng", 1) != 0) std::fprintf(stderr, "language file refused\n");
}

void SetUpLines() {
  static bool done = false;
  if (done) return;
  done = true;
  Fio_InitBuffers();
  Lng_Init();
  LoadTexts();
  Lin_Init();
  for (const char16_t* name : {u"IC", u"RE", u"S1", u"ICE"}) Lin_Create(name, 0, 0);
}

void BM_RuleParse(benchmark::State& state) {
  SetUpLines();
  static u32 words[RULE_WORDS_MAX];
  i64 n = 0;
  for (auto _ : state) {
    for (const RuleCase& r : kRules) {
      const i32 count = Rule_ParseCore(r.text, words, r.mode, 0, 0, nullptr);
      if (count <= 0) state.SkipWithError("a rule did not parse");
      benchmark::DoNotOptimize(words[0]);
      ++n;
    }
  }
  state.SetItemsProcessed(n);
}
BENCHMARK(BM_RuleParse);

void BM_RuleFormat(benchmark::State& state) {
  SetUpLines();
  std::vector<std::vector<u32>> parsed;
  for (const RuleCase& r : kRules) {
    static u32 words[RULE_WORDS_MAX];
    const i32 count = Rule_ParseCore(r.text, words, r.mode, 0, 0, nullptr);
    if (count <= 0) {
      state.SkipWithError("a rule did not parse");
      return;
    }
    parsed.emplace_back(words, words + count);
  }
  static wch text[RULE_TEXT_SIZE];
  i64 n = 0;
  for (auto _ : state) {
    for (const std::vector<u32>& w : parsed) {
      Rule_FormatCore(text, RULE_TEXT_SIZE, w.data(), 0, i32(w.size()));
      benchmark::DoNotOptimize(text[0]);
      ++n;
    }
  }
  state.SetItemsProcessed(n);
}
BENCHMARK(BM_RuleFormat);

}  // namespace

// Signal clipboard blocks: copied and pasted through a list of lines, the
// installations and elements come back bound by name, with every list at
// its full length, texts and schedules intact and links between pasted
// elements kept; damaged blocks are refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "operation/sig.h"
#include "operation/sigclip.h"
#include "operation/sigeval.h"
#include "tests/test_util.h"

namespace {

std::vector<wstr> g_lines;

int AppendLine(const wch* line) {
  g_lines.push_back(line);
  return 0;
}

int ReadLine(u32 n, u32 size, wch* buffer) {
  if (n >= g_lines.size()) {
    buffer[0] = 0;
    return 3;
  }
  const wstr& s = g_lines[n];
  const size_t len = s.size() < size - 1 ? s.size() : size - 1;
  std::memcpy(buffer, s.c_str(), len * 2);
  buffer[len] = 0;
  return len < s.size() ? 1 : 0;
}

const SigClipLines kClip = {AppendLine, ReadLine};

class SigClipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Test_LoadTexts());
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Sig_Clear();
    Dep_Clear();
    g_lines.clear();
  }
  void TearDown() override {
    Sig_Clear();
    Grid_Clear();
  }
  static u32 Inst(const wstr& name, const wch* text = nullptr, const u8* schedule = nullptr, i32 bytes = 0) {
    SignalInstallationData d = {};
    std::memcpy(d.Name, name.c_str(), (name.size() + 1) * 2);
    d.Limit = 1;
    d.Maximum = 2;
    if (text) {
      d.Text = text;
      d.TextLength = i32(std::char_traits<char16_t>::length(text)) + 1;
    }
    d.Schedule = schedule;
    d.ScheduleBytes = bytes;
    d.Kind = 1;
    d.Duration = 60;
    const u32 id = Sig_CreateInstallation(0);
    EXPECT_EQ(0, Sig_SetInstallation(id, &d));
    return id;
  }
  static void Put(i32 x, i32 y, u32 code) { ASSERT_TRUE(Grid_SetCell(x, y, 0, CellCode(code))); }
  static SignalElement* Element(i32 x, i32 y, u32 code, SignalElementData d) {
    Put(x, y, code);
    EXPECT_EQ(0, Sig_CreateElement(x, y, 0, 3, code));
    EXPECT_EQ(0, Sig_SetElement(x, y, 0, &d));
    return Sig_FindElementAt(x, y, 0, d.Type == 10);
  }
  // Copies the box 0..20 x 0..20, empties the store and writes the cells 100
  // cells to the right, as the region paste does before the blocks.
  void CopyAndClear() {
    ASSERT_EQ(0, Sig_CopyInstallationsToClip(&kClip, 0, 0, 0, 20, 20, 0));
    ASSERT_EQ(0, Sig_CopyElementsToClip(&kClip, 0, 0, 0, 20, 20, 0));
    for (i32 y = 0; y <= 20; ++y)
      for (i32 x = 0; x <= 20; ++x) {
        const CellCode c = Grid_GetCell(x, y, 0);
        if (c != CELL_EMPTY) Put(x + 100, y, c);
      }
    Sig_Clear();
  }
  int Paste(u32* line) {
    int r = Sig_PasteInstallationsFromClip(&kClip, line);
    if (r == 2) return r;
    const int e = Sig_PasteElementsFromClip(&kClip, line, 100, 0, 0);
    return e == 2 ? 2 : (r | e);
  }
};

TEST_F(SigClipTest, RoundTripBindsByNameAndKeepsFullLists) {
  const u8 schedule[] = {127, 8, 15, 0x80 | 30, 254, 255, 0};
  const wch text[] = u"line\\one\nline two\u2028end";
  const u32 a = Inst(u"Alpha", text, schedule, sizeof schedule);
  const u32 b = Inst(u"Beta");
  // Forty installations of twenty characters: the longest list there is.
  std::vector<u32> longNames;
  for (int i = 0; i < 40; ++i) {
    wstr n = u"Installation_long_";
    n += wch(u'A' + i / 10);
    n += wch(u'0' + i % 10);
    longNames.push_back(Inst(n));
  }
  SignalElementData m = {};
  std::memcpy(m.Name, u"Main", 10);
  m.Type = 1;
  const u32 cond[] = {a, SIG_TOK_OR, SIG_TOK_OPEN, b, SIG_TOK_AND, SIG_TOK_NOT, a, SIG_TOK_CLOSE};
  m.TokenCount = 8;
  std::memcpy(m.Tokens, cond, sizeof cond);
  m.List1Count = 40;
  for (int i = 0; i < 40; ++i) m.List1[i] = (i & 1) ? i32(longNames[i]) : -i32(longNames[i]);
  m.List2Count = 1;
  m.List2[0] = -i32(b);
  m.Value = 5;
  SignalElement* main = Element(4, 4, 440, m);
  SignalElementData dist = {};
  std::memcpy(dist.Name, u"Dist", 10);
  dist.Type = 2;
  dist.LinkedId = main->Id;
  Element(8, 4, 424, dist);
  SignalElementData cnt = {};
  std::memcpy(cnt.Name, u"Cnt", 8);
  cnt.Type = 10;
  cnt.List1Count = 1;
  cnt.List1[0] = i32(a);
  Element(12, 4, 392, cnt);

  CopyAndClear();
  u32 line = 0;
  ASSERT_EQ(0, Paste(&line));
  EXPECT_EQ(g_lines.size(), line) << "both blocks read to their end lines";
  EXPECT_EQ(42u, Sig_GetInstallationCount());
  EXPECT_EQ(3u, Sig_GetElementCount(nullptr));
  // The installation with its text and schedule.
  const i32 alpha = Sig_FindByName(u"Alpha");
  ASSERT_GT(alpha, 0);
  SignalInstallationData out;
  ASSERT_NE(0, Sig_EnumInstallations(alpha, &out, nullptr));
  EXPECT_EQ(wstr(text), wstr(out.Text));
  ASSERT_EQ(i32(sizeof schedule), out.ScheduleBytes);
  EXPECT_EQ(0, std::memcmp(schedule, out.Schedule, sizeof schedule));
  EXPECT_EQ(60u, out.Duration);
  EXPECT_EQ(0, out.Count) << "pasted installations start empty";
  // The main signal: a new name, the condition and lists bound by name.
  const SignalElement* pm = Sig_FindElementAt(104, 4, 0, 0);
  ASSERT_TRUE(pm);
  EXPECT_NE(wstr(u"Main"), wstr(pm->Name)) << "a pasted element's name is made anew";
  ASSERT_EQ(8, pm->TokenCount);
  EXPECT_EQ(u32(alpha), pm->Tokens[0]);
  EXPECT_EQ(SIG_TOK_CLOSE, pm->Tokens[7]);
  ASSERT_EQ(40, pm->List1Count) << "a list of forty long names is read whole";
  for (int i = 0; i < 40; ++i) {
    wch name[SIG_NAME_UNITS];
    Sig_GetInstallationName(u32(pm->List1[i] < 0 ? -pm->List1[i] : pm->List1[i]), name);
    wstr want = u"Installation_long_";
    want += wch(u'A' + i / 10);
    want += wch(u'0' + i % 10);
    EXPECT_EQ(want, wstr(name)) << i;
    EXPECT_EQ((i & 1) != 0, pm->List1[i] > 0) << i;
  }
  EXPECT_EQ(5u, pm->Value);
  EXPECT_EQ(3u, pm->State);
  // The distant signal links to the pasted main signal.
  const SignalElement* pd = Sig_FindElementAt(108, 4, 0, 0);
  ASSERT_TRUE(pd);
  EXPECT_EQ(pm, pd->Linked);
  ASSERT_TRUE(Sig_FindElementAt(112, 4, 0, 1));
  EXPECT_EQ(alpha, Sig_FindElementAt(112, 4, 0, 1)->List1[0]);
}

TEST_F(SigClipTest, ExistingNamesAreKeptAndWarned) {
  const u32 a = Inst(u"Alpha");
  SignalElementData m = {};
  m.Type = 1;
  m.TokenCount = 1;
  m.Tokens[0] = a;
  Element(4, 4, 440, m);
  ASSERT_EQ(0, Sig_CopyInstallationsToClip(&kClip, 0, 0, 0, 20, 20, 0));
  ASSERT_EQ(0, Sig_CopyElementsToClip(&kClip, 0, 0, 0, 20, 20, 0));
  Put(104, 4, 440);
  u32 line = 0;
  EXPECT_EQ(4, Sig_PasteInstallationsFromClip(&kClip, &line)) << "the name is taken: the record is skipped";
  EXPECT_EQ(1u, Sig_GetInstallationCount());
  EXPECT_EQ(0, Sig_PasteElementsFromClip(&kClip, &line, 100, 0, 0));
  EXPECT_EQ(a, Sig_FindElementAt(104, 4, 0, 0)->Tokens[0]) << "bound to the existing installation";
}

// A condition with two names in a row (a file or a paste may give one)
// is written so that it reads back as the same tokens.
TEST_F(SigClipTest, AdjacentNamesInAConditionStayApart) {
  const u32 a = Inst(u"Alpha"), b = Inst(u"Beta");
  const u32 tokens[] = {a, b, SIG_TOK_OR, a};
  wch text[64];
  Sig_FormatCondition(text, 64, tokens, 4);
  u32 back[SIG_TOKENS_MAX];
  ASSERT_EQ(4, Sig_ParseCondition(text, back)) << U8(text);
  EXPECT_EQ(0, std::memcmp(tokens, back, sizeof tokens));
}

TEST_F(SigClipTest, NamesThatCannotTravelAreRefusedWhereTheyAreEntered) {
  const u32 id = Sig_CreateInstallation(0);
  for (const wch* name : {u"A\"B", u"A,B", u"A|B", u"A B"}) {
    SignalInstallationData d = {};
    std::memcpy(d.Name, name, (std::char_traits<char16_t>::length(name) + 1) * 2);
    d.Limit = d.Maximum = 1;
    EXPECT_EQ(5, Sig_SetInstallation(id, &d)) << U8(name);
  }
  Put(2, 2, 440);
  ASSERT_EQ(0, Sig_CreateElement(2, 2, 0, 0, 440));
  SignalElementData e = {};
  e.Type = 1;
  std::memcpy(e.Name, u"X,Y", 8);
  EXPECT_EQ(5, Sig_SetElement(2, 2, 0, &e));
}

TEST_F(SigClipTest, DamagedBlocksAndRefusedRecords) {
  struct {
    const char* what;
    std::vector<wstr> lines;
    int result;
  } cases[] = {
      {"empty blocks", {u"SIGANL_A", u"SIGANL_E"}, 0},
      {"no end line", {u"SIGANL_A", u"\"A\",0,1,1,0"}, 2},
      {"too few fields", {u"SIGANL_A", u"\"A\",0,1,1", u"SIGANL_E"}, 2},
      {"a name without its quote", {u"SIGANL_A", u"\"A,0,1,1,0", u"SIGANL_E"}, 2},
      {"a text shorter than announced", {u"SIGANL_A", u"\"A\",0,1,1,9", u"abc", u"SIGANL_E"}, 2},
      {"a text beyond any text", {u"SIGANL_A", u"\"A\",0,1,1,99999", u"SIGANL_E"}, 2},
      {"a refused installation", {u"SIGANL_A", u"\"A\",0,1,3,0", u"SIGANL_E"}, 16},
      {"a schedule cut inside an hour entry", {u"SIGANL_A", u"\"A\",1,2,1,0", u"1,3,60", u"7f,08,00,", u"SIGANL_E"}, 16},
  };
  for (auto& c : cases) {
    Sig_Clear();
    g_lines = c.lines;
    u32 line = 0;
    EXPECT_EQ(c.result, Sig_PasteInstallationsFromClip(&kClip, &line)) << c.what;
  }
  // An element whose cell holds no signal shape of today: skipped, the cell
  // becomes plain track; its announced lines are still read.
  Sig_Clear();
  Put(5, 5, 0x1000 | 298);
  g_lines = {u"SIGELEM_A", u"\"E\",\"\",5,5,0,0,0,0,0,0,0,0,1,0,9,0", u"Nobody+", u"SIGELEM_E"};
  u32 line = 0;
  EXPECT_EQ(4, Sig_PasteElementsFromClip(&kClip, &line, 0, 0, 0));
  EXPECT_EQ(4u, line);
  EXPECT_EQ(0x1000, Grid_GetCell(5, 5, 0)) << "the low 9 bits: (2 >> 1) with 0 and 1 exchanged";
  // A signal cell whose list names an unknown installation.
  Put(6, 5, 440 | 3);
  g_lines = {u"SIGELEM_A", u"\"E\",\"\",6,5,0,0,0,0,0,0,0,0,1,0,9,0", u"Nobody+", u"SIGELEM_E"};
  line = 0;
  EXPECT_EQ(4, Sig_PasteElementsFromClip(&kClip, &line, 0, 0, 0));
  EXPECT_EQ(0u, Sig_GetElementCount(nullptr));
  EXPECT_EQ(0u, Grid_GetCell(6, 5, 0)) << "((3 >> 1) with 0 and 1 exchanged) = 0";
}

// A block cut inside an element's own lines: the element made for it would
// have no name and no lists, so it is not kept.
TEST_F(SigClipTest, AnElementCutInsideItsLinesIsNotKept) {
  Put(6, 5, 440 | 3);
  g_lines = {u"SIGELEM_A", u"\"E\",\"\",6,5,0,0,0,0,0,0,0,0,1,0,9,0"};
  u32 line = 0;
  EXPECT_EQ(2, Sig_PasteElementsFromClip(&kClip, &line, 0, 0, 0));
  EXPECT_EQ(0u, Sig_GetElementCount(nullptr));
}

}  // namespace

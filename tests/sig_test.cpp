// Signals: the store (ids, names, the setter's checks), the condition
// evaluator, counting, aspects per type, distant signals, the trains'
// questions, timed switching and blinking, the file sections in their forms
// and the after-load pass, and the renderer's state queries.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/line.h"
#include "model/rule.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/sigfile.h"
#include "operation/sigtime.h"
#include "platform/fio.h"
#include "render/cellin.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

enum : u32 {
  kCounter = 392,         // shape 49, type 10
  kCombinedClear = 400,   // shapes 50-52, type 3
  kCombinedExpect = 408,
  kCombinedStop = 416,
  kDistantClear = 424,    // shapes 53-54, type 2
  kDistantExpect = 432,
  kMainClear = 440,       // shapes 55-56, type 1
  kMainStop = 448,
  kCrossingOpen = 456,    // shapes 57-58, type 4
  kCrossingClosed = 464,
};

u32 Num(i32 v) { return SIG_TOK_NUMBER | (u32(v) & 0xFFFF); }

class SigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Test_LoadTexts());
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Sig_Clear();
    Dep_Clear();
    Dmsg_Clear();
    Clk_Reset();
    Sig_SetHooks(nullptr);
  }
  void TearDown() override {
    Sig_Clear();
    Dep_Clear();
    Grid_Clear();
  }

  static u32 Inst(const char* name, i32 limit = 1, i32 maximum = 1, i32 count = 0) {
    const u32 id = Sig_CreateInstallation(0);
    EXPECT_NE(0u, id);
    SignalInstallationData d = {};
    const wstr n = W16(name);
    std::memcpy(d.Name, n.c_str(), (n.size() + 1) * 2);
    d.Limit = limit;
    d.Maximum = maximum;
    d.Count = count;
    EXPECT_EQ(0, Sig_SetInstallation(id, &d));
    return id;
  }
  static SignalElementData Data(const char* name, u32 type, std::vector<u32> tokens = {}) {
    SignalElementData d = {};
    const wstr n = W16(name);
    std::memcpy(d.Name, n.c_str(), (n.size() + 1) * 2);
    d.Type = type;
    d.TokenCount = i32(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) d.Tokens[i] = tokens[i];
    return d;
  }
  // An element at the cell with its code written there.
  static SignalElement* Element(i32 x, i32 y, u32 code, const SignalElementData& d, u32 state = 0) {
    EXPECT_TRUE(Grid_SetCell(x, y, 0, CellCode(code)));
    EXPECT_EQ(0, Sig_CreateElement(x, y, 0, state, code & ~0x4000u));
    EXPECT_EQ(0, Sig_SetElement(x, y, 0, &d));
    return Sig_FindElementAt(x, y, 0, d.Type == 10);
  }
  static void Switch(u32 id, int occupied) { Sig_SwitchAt(-1, i32(id), -1, occupied ? 1 : 0); }
};

// ---------------------------------------------------------------- the store

TEST_F(SigTest, IdsAreSharedSkipUsedOnesAndReachTheLastId) {
  EXPECT_EQ(1u, Sig_CreateInstallation(0));
  EXPECT_EQ(0u, Sig_CreateInstallation(1)) << "an id in use";
  EXPECT_EQ(0u, Sig_CreateInstallation(SIG_ID_MAX + 1));
  ASSERT_TRUE(Grid_SetCell(3, 3, 0, CellCode(kMainClear)));
  EXPECT_EQ(0, Sig_CreateElement(3, 3, 0, 0, kMainClear));
  EXPECT_EQ(2u, Sig_FindElementAt(3, 3, 0, 0)->Id) << "elements take ids from the same space";
  EXPECT_EQ(3u, Sig_CreateInstallation(3));
  EXPECT_EQ(4u, Sig_NextFreeId()) << "used ids are stepped over";
  // The last id of the space is an operand like any other.
  EXPECT_EQ(SIG_ID_MAX, Sig_CreateInstallation(SIG_ID_MAX));
  const i32 tokens[] = {i32(SIG_ID_MAX)};
  EXPECT_EQ(SIG_EVAL_TRUE, Sig_EvalIdList(1, tokens));
  Sig_SwitchAt(-1, i32(SIG_ID_MAX), -1, 1);
  EXPECT_EQ(SIG_EVAL_FALSE, Sig_EvalIdList(1, tokens));
}

TEST_F(SigTest, NamesAreUniqueAcrossBothKindsAndCaseBlind) {
  const u32 a = Inst("North");
  const u32 b = Inst("South");
  Element(5, 5, kMainClear, Data("Sig1", 1));
  EXPECT_EQ(i32(a), Sig_FindByName(u"north"));
  EXPECT_EQ(-i32(Sig_FindElementAt(5, 5, 0, 0)->Id), Sig_FindByName(u"SIG1"));
  EXPECT_EQ(0, Sig_FindByName(u"East"));
  SignalInstallationData d = {};
  d.Limit = d.Maximum = 1;
  std::memcpy(d.Name, u"NORTH", 12);
  EXPECT_EQ(3, Sig_SetInstallation(b, &d));
  std::memcpy(d.Name, u"sig1", 10);
  EXPECT_EQ(4, Sig_SetInstallation(b, &d));
  wch name[SIG_NAME_UNITS];
  Sig_GetInstallationName(b, name);
  EXPECT_EQ(wstr(u"South"), wstr(name)) << "a refused rename changes nothing";
  // Spinning through the names in order, wrapping.
  wch field[SIG_NAME_UNITS];
  EXPECT_EQ(0, Sig_SpinInstallationName(u"North", field, 1));
  EXPECT_EQ(wstr(u"South"), wstr(field));
  EXPECT_EQ(0, Sig_SpinInstallationName(u"North", field, -1));
  EXPECT_EQ(wstr(u"South"), wstr(field));
  // Default names: the letter of the kind and the id.
  wch out[SIG_NAME_UNITS];
  Sig_DefaultName(out, 1, 77);
  EXPECT_EQ(wstr(u"M77"), wstr(out));
  Sig_DefaultName(out, 0, 5);
  EXPECT_EQ(wstr(u"I5"), wstr(out));
}

TEST_F(SigTest, TheSetterChecksInItsOrder) {
  const u32 id = Inst("A");
  Inst("B");
  Element(1, 1, kMainClear, Data("E", 1));
  struct {
    u32 id;
    const char16_t* name;
    i32 limit, maximum, count;
    int result;
  } cases[] = {
      {0, u"A", 1, 1, 0, 2},          {SIG_ID_MAX + 1, u"A", 1, 1, 0, 2}, {id, u"b", 0, 0, 5, 3},
      {id, u"E", 0, 0, 5, 4},         {id, u"X\"Y", 1, 1, 0, 5},          {id, u"A", 1, 0, 0, 11},
      {id, u"A", 1, -1, 0, 11},       {id, u"A", 0, 1, 0, 12},            {id, u"A", -3, 2, 0, 12},
      {id, u"A", 1, 2, 3, 13},        {id, u"A", 1, 2, -1, 13},           {id, u"A", 3, 2, 0, 14},
      {id, u"A", 2, 3, 2, 0},
  };
  for (auto& c : cases) {
    SignalInstallationData d = {};
    std::memcpy(d.Name, c.name, (std::char_traits<char16_t>::length(c.name) + 1) * 2);
    d.Limit = c.limit;
    d.Maximum = c.maximum;
    d.Count = c.count;
    EXPECT_EQ(c.result, Sig_SetInstallation(c.id, &d)) << U8(c.name) << " " << c.limit << " " << c.maximum;
  }
  SignalInstallationData out;
  EXPECT_EQ(SIG_OCCUPIED, Sig_EnumInstallations(i32(id), &out, nullptr)) << "count 2 at limit 2";
  EXPECT_EQ(3, out.Maximum);
}

TEST_F(SigTest, ShapeToTypeAndStyleRange) {
  struct {
    u32 code, type, lo, hi;
  } cases[] = {
      {kCounter, 10, 0, 11},        {kCombinedClear, 3, 0, 173}, {kCombinedStop, 3, 0, 173},
      {kDistantExpect, 2, 0, 185},  {kMainStop, 1, 0, 191},      {kCrossingClosed, 4, 0, 23},
      {7168 + kMainClear, 1, 6, 11}, {7168 + kCrossingOpen, 4, 0, 23}, {0, 0, 0, 0},
      {16384 + kMainClear, 0, 0, 0}, {472, 0, 0, 0},
  };
  for (auto& c : cases) {
    u32 lo = 99, hi = 99;
    EXPECT_EQ(c.type, Sig_ShapeTypeRange(c.code, &lo, &hi)) << c.code;
    EXPECT_EQ(c.lo, lo) << c.code;
    EXPECT_EQ(c.hi, hi) << c.code;
  }
  EXPECT_EQ(3, Sig_CreateElement(1, 1, 0, 0, 0)) << "no signal shape";
}

TEST_F(SigTest, DeletingAnInstallationKeepsWhatConditionsName) {
  const u32 a = Inst("A"), b = Inst("B");
  SignalElementData d = Data("E", 1, {a});
  d.List1Count = 2;
  d.List1[0] = i32(b);
  d.List1[1] = -i32(a);
  Element(4, 4, kMainClear, d);
  EXPECT_EQ(2, Sig_DeleteInstallation(a)) << "a condition names it";
  EXPECT_EQ(0, Sig_DeleteInstallation(b)) << "only a list names it";
  EXPECT_EQ(1, Sig_DeleteInstallation(b));
  const SignalElement* e = Sig_FindElementAt(4, 4, 0, 0);
  ASSERT_EQ(1, e->List1Count);
  EXPECT_EQ(-i32(a), e->List1[0]);
  EXPECT_EQ(1u, Sig_GetInstallationCount());
}

TEST_F(SigTest, ATypeTenElementAndAnotherShareACell) {
  ASSERT_TRUE(Grid_SetCell(2, 2, 0, CellCode(kCounter)));
  ASSERT_EQ(0, Sig_CreateElement(2, 2, 0, 4, kCounter));
  ASSERT_EQ(0, Sig_CreateElement(2, 2, 0, 7, kMainClear));
  u32 type10 = 0;
  EXPECT_EQ(2u, Sig_GetElementCount(&type10));
  EXPECT_EQ(1u, type10);
  EXPECT_EQ(4u, Sig_GetElementField(2, 2, 0));
  EXPECT_EQ(6u, Sig_GetElementField(3, 2, 0));
  EXPECT_EQ(1u, Sig_FindElementAt(2, 2, 0, 0)->Type);
  EXPECT_EQ(0, Sig_DeleteElementAt(2, 2, 0));
  EXPECT_EQ(0u, Sig_GetElementCount(nullptr));
}

TEST_F(SigTest, RegionLineAndDepotHooks) {
  ASSERT_NE(0, Lin_Init());
  Lin_Clear();
  LineId l1 = 0, l2 = 0;
  ASSERT_EQ(0, Lin_Create(u"L1", 0, 0, &l1));
  static u32 rules[RULE_WORDS_MAX];
  const i32 n = Rule_Parse(u"L1", RULE_MODE_SIGNAL, rules);
  ASSERT_GT(n, 0);
  const u32 pairs[] = {4, 1, 4, 2, 5, 1};
  SignalElementData d = Data("A", 1);
  d.Flags = SIG_F_RULES | SIG_F_PLACES;
  d.Rules = rules;
  d.RuleCount = n;
  d.Pairs = pairs;
  d.PairCount = 6;
  Element(3, 3, kMainClear, d);
  Element(8, 3, kMainClear, Data("B", 1));
  // A line found in a box, copied and deleted.
  i32 x = 0, y = 0, level = 0;
  u32 type = 0;
  wch name[SIG_NAME_UNITS];
  EXPECT_EQ(1, Sig_FindElementInRect(l1, 0, 0, 0, 10, 10, 0, &x, &y, &level, name, &type));
  EXPECT_EQ(3, x);
  EXPECT_EQ(1u, type);
  x = -1;
  EXPECT_EQ(0, Sig_FindElementInRect(l1, 0, 0, 0, 10, 10, 0, &x, &y, &level, name, &type)) << "the search goes on";
  ASSERT_EQ(0, Lin_Create(u"L2", 0, 0, &l2));
  EXPECT_EQ(0, Sig_OnLineCopied(l1, l2));
  const SignalElement* a = Sig_FindElementAt(3, 3, 0, 0);
  EXPECT_EQ(1, Lin_ListContains(a->Rules, a->RuleCount, l2));
  Sig_OnLineDeleted(l1);
  Sig_OnLineDeleted(l2);
  EXPECT_EQ(nullptr, a->Rules);
  EXPECT_EQ(0u, a->Flags & SIG_F_RULES) << "an emptied list is freed and its flag cleared";
  // Depot places renumbered and deleted.
  Sig_OnDepotPlaceStored(4, 2, 7);
  EXPECT_EQ(7u, a->Pairs[3]);
  Sig_OnDepotPlaceDeleted(4, 0);
  ASSERT_EQ(2, a->PairCount);
  EXPECT_EQ(5u, a->Pairs[0]);
  Sig_OnDepotPlaceDeleted(5, 1);
  EXPECT_EQ(0u, a->Flags & SIG_F_PLACES);
  // Moved, then deleted by box: the hashes follow.
  Sig_MoveBlock(0, 0, 0, 5, 5, 0, 100, 1, -1);
  EXPECT_EQ(nullptr, Sig_FindElementAt(3, 3, 0, 0));
  ASSERT_TRUE(Sig_FindElementAt(103, 4, -1, 0));
  EXPECT_EQ(wstr(u"A"), wstr(Sig_FindElementAt(103, 4, -1, 0)->Name));
  Sig_DeleteInBox(100, 0, -1, 110, 10, -1);
  EXPECT_EQ(1u, Sig_GetElementCount(nullptr));
  EXPECT_TRUE(Sig_FindElementAt(8, 3, 0, 0));
  Lin_Clear();
}

TEST_F(SigTest, ManualSwitchingAndWhoRefersToAnInstallation) {
  const u32 a = Inst("A", 1, 3), b = Inst("B", 2, 2), c = Inst("C");
  SignalElementData lists = Data("L", 1, {c});
  lists.List1Count = 2;
  lists.List1[0] = i32(a);
  lists.List1[1] = -i32(b);
  lists.List2Count = 1;
  lists.List2[0] = i32(b);
  SignalElement* main = Element(2, 2, kMainClear, lists);
  Element(4, 2, kMainClear, Data("T", 1, {c}));
  SignalElementData dist = Data("D", 2);
  dist.LinkedId = main->Id;
  Element(6, 2, kDistantClear, dist);
  SignalElementData counter = Data("N", 10);
  counter.List1Count = 1;
  counter.List1[0] = -i32(c);
  Element(8, 2, kCounter, counter);
  // Every installation of both lists, once each.
  EXPECT_EQ(0, Sig_SwitchAt(2, 2, 0, 1));
  EXPECT_EQ(3, Sig_FindInstallation(a)->Count);
  EXPECT_EQ(SIG_OCCUPIED, Sig_FindInstallation(b)->State);
  EXPECT_EQ(0, Sig_FindInstallation(c)->Count) << "a condition with lists beside it is not switched";
  // A distant signal switches its main signal's lists; toggling empties them.
  EXPECT_EQ(0, Sig_SwitchAt(6, 2, 0, 2));
  EXPECT_EQ(0, Sig_FindInstallation(a)->Count);
  EXPECT_EQ(SIG_FREE, Sig_FindInstallation(b)->State);
  // No lists and one condition token: that installation.
  EXPECT_EQ(0, Sig_SwitchAt(4, 2, 0, 1));
  EXPECT_EQ(SIG_OCCUPIED, Sig_FindInstallation(c)->State);
  EXPECT_EQ(kMainStop, Grid_GetCell(4, 2, 0));
  EXPECT_EQ(2, Sig_SwitchAt(5, 2, 0, 1));
  EXPECT_EQ(1, Sig_SwitchAt(-1, 999, -1, 1));
  // Who refers to c: two main signals by condition, the distant one through
  // its link, the counter by its list.
  u32 type10 = 0;
  EXPECT_EQ(3u, Sig_CountInstallationUsers(c, &type10));
  EXPECT_EQ(1u, type10);
  EXPECT_EQ(1u, Sig_ReferringElementCount(c, &type10, 1)) << "it has dependents";
  EXPECT_EQ(0u, Sig_ReferringElementCount(999, &type10, 0));
  std::vector<u32> found;
  i32 x = -1;
  for (u32 id; (id = Sig_EnumElements(c, &x, nullptr, nullptr, nullptr)) != 0;) found.push_back(id);
  EXPECT_EQ(4u, found.size());
  x = -1;
  found.clear();
  for (u32 id; (id = Sig_EnumElements(a, &x, nullptr, nullptr, nullptr)) != 0;) found.push_back(id);
  EXPECT_EQ(1u, found.size()) << "its list names it; a link counts only the linked element's condition";
}

// ---------------------------------------------------------------- the evaluator

TEST_F(SigTest, EvaluatorPrecedenceFormsAndNumbers) {
  const u32 a = Inst("A");            // free: true
  const u32 b = Inst("B", 1, 1, 1);   // occupied: false
  const u32 O = SIG_TOK_OR, A = SIG_TOK_AND, N = SIG_TOK_NOT, L = SIG_TOK_OPEN, R = SIG_TOK_CLOSE;
  struct {
    const char* what;
    std::vector<u32> tokens;
    int result;
  } cases[] = {
      {"empty", {}, 3},
      {"free", {a}, 3},
      {"occupied", {b}, 2},
      {"a or (b and b)", {a, O, b, A, b}, 3},
      {"(not a) and b", {N, a, A, b}, 2},
      {"not binds to one operand", {N, b, A, a}, 3},
      {"parentheses", {L, a, O, b, R, A, b}, 2},
      {"unknown id", {0}, 0},
      {"operator last", {a, O}, 0},
      {"open parenthesis", {L, a}, 0},
      {"stray close", {a, R}, 0},
      {"two comparisons", {Num(1), SIG_TOK_LT, Num(2), SIG_TOK_LT, Num(3)}, 0},
      {"-1 + 1 = 0", {SIG_TOK_UMINUS, Num(1), SIG_TOK_PLUS, Num(1), SIG_TOK_EQ, Num(0)}, 3},
      {"-1 < 0", {SIG_TOK_UMINUS, Num(1), SIG_TOK_LT, Num(0)}, 3},
      {"0 > -2", {Num(0), SIG_TOK_GT, SIG_TOK_UMINUS, Num(2)}, 3},
      {"2 * 3 % 4 != 2", {Num(2), SIG_TOK_TIMES, Num(3), SIG_TOK_MOD, Num(4), SIG_TOK_NE, Num(2)}, 2},
      {"division by 0", {Num(5), SIG_TOK_DIV, Num(0), SIG_TOK_EQ, Num(0)}, 0},
      {"overflow", {Num(30000), SIG_TOK_PLUS, Num(30000), SIG_TOK_EQ, Num(0)}, 0},
      {"a number alone", {Num(1)}, 0},
      {"not a number", {N, Num(1), SIG_TOK_EQ, Num(0)}, 0},
      {"minus a truth value", {SIG_TOK_UMINUS, a}, 0},
      {"and with a number", {a, A, Num(1)}, 0},
      {"comparison and truth", {Num(1), SIG_TOK_EQ, Num(1), A, a}, 3},
  };
  for (auto& c : cases) {
    std::vector<i32> ids(c.tokens.begin(), c.tokens.end());
    EXPECT_EQ(c.result, Sig_EvalIdList(u32(ids.size()), ids.data())) << c.what;
  }
}

// ---------------------------------------------------------------- counting

TEST_F(SigTest, CountingInAndOutWithResultsAndDispatcherKinds) {
  const u32 id = Inst("Block", 2, 3);
  SignalInstallation* a = Sig_FindInstallation(id);
  struct {
    int enter;
    i32 n;
    int result;
    i32 count;
    u8 state;
  } steps[] = {
      {1, 1, 1, 1, SIG_FREE},      {1, 1, 0, 2, SIG_OCCUPIED}, {1, 1, 3, 3, SIG_OCCUPIED},
      {1, 5, 12, 3, SIG_OCCUPIED}, {0, 1, 1, 2, SIG_OCCUPIED}, {0, 1, 0, 1, SIG_FREE},
      {0, 4, 12, 0, SIG_FREE},     {1, 9, 6, 3, SIG_OCCUPIED}, {0, 9, 7, 0, SIG_FREE},
  };
  for (auto& s : steps) {
    EXPECT_EQ(s.result, s.enter ? Sig_InstallationEnter(a, s.n) : Sig_InstallationLeave(a, s.n));
    EXPECT_EQ(s.count, a->Count);
    EXPECT_EQ(s.state, a->State);
  }
  a->State = 0;
  EXPECT_EQ(13, Sig_InstallationEnter(a, 1));
  a->State = SIG_FREE;

  // Passing: list 1 counts in, list 2 counts out; clamping posts kinds 1, 2.
  SignalElementData d = Data("C", 10);
  d.List1Count = 1;
  d.List1[0] = i32(id);
  d.List2Count = 1;
  d.List2[0] = -i32(id);
  Element(6, 6, kCounter, d);
  Dmsg_Clear();
  EXPECT_EQ(0u, Sig_TrainPasses(6, 6, 0, 0, 1, 1, 1, 2, SIG_PASS_TYPE10 | SIG_PASS_LIST1));
  EXPECT_EQ(1, a->Count) << "without flag 0x100 a passage counts 1";
  EXPECT_EQ(0u, Sig_TrainPasses(6, 6, 0, 0, 1, 1, 1, 2, SIG_PASS_TYPE10));
  EXPECT_EQ(0u, Sig_TrainPasses(6, 6, 0, 0, 1, 1, 1, 2, SIG_PASS_TYPE10));
  ASSERT_EQ(1u, Dmsg_Count());
  EXPECT_EQ(2u, Dmsg_Get(0)->Kind);
  EXPECT_EQ(id, Dmsg_Get(0)->Data);
  for (int i = 0; i < 4; ++i) Sig_TrainPasses(6, 6, 0, 0, 1, 1, 1, 2, SIG_PASS_TYPE10 | SIG_PASS_LIST1);
  ASSERT_EQ(2u, Dmsg_Count());
  EXPECT_EQ(1u, Dmsg_Get(1)->Kind);
  EXPECT_EQ(7u, Sig_TrainPasses(7, 6, 0, 0, 1, 1, 1, 2, SIG_PASS_TYPE10)) << "no element";
  EXPECT_EQ(7u, Sig_TrainPasses(6, 6, 0, 0, 1, 1, 1, 2, SIG_PASS_ELEMENT)) << "no element of types 1-4";
  EXPECT_EQ(8u, Sig_TrainPasses(6, 6, 0, 5 << 16 | 9, 1, 1, 1, 2, 48)) << "unknown depot place";
}

// ---------------------------------------------------------------- aspects

TEST_F(SigTest, AspectTransitionsPerType) {
  const u32 a = Inst("A"), b = Inst("B");
  struct {
    u32 type, clearCode;
    u32 whenOccupied;
  } cases[] = {
      {1, kMainClear, kMainStop},
      {4, kCrossingOpen, kCrossingClosed},
      {3, kCombinedClear, kCombinedStop},
  };
  i32 x = 10;
  for (auto& c : cases) {
    SignalElement* e = Element(x, 3, 0x4000 | c.clearCode, Data(c.type == 1 ? "M" : c.type == 4 ? "L" : "K", c.type, {a}));
    ASSERT_TRUE(e);
    EXPECT_EQ(0x4000 | c.clearCode, Grid_GetCell(x, 3, 0)) << "a free installation keeps it clear";
    Switch(a, 1);
    EXPECT_EQ(0x4000 | c.whenOccupied, Grid_GetCell(x, 3, 0)) << "type " << c.type << ", bit 14 kept";
    Switch(a, 0);
    EXPECT_EQ(0x4000 | c.clearCode, Grid_GetCell(x, 3, 0)) << "type " << c.type;
    x += 2;
  }
  // A combined signal shows expect stop while its linked main signal stops.
  SignalElement* main = Element(20, 3, kMainClear, Data("Main", 1, {b}));
  SignalElementData k = Data("Comb", 3, {a});
  k.LinkedId = main->Id;
  Element(22, 3, kCombinedClear, k);
  Switch(b, 1);
  EXPECT_EQ(kMainStop, Grid_GetCell(20, 3, 0));
  EXPECT_EQ(kCombinedExpect, Grid_GetCell(22, 3, 0));
  Switch(a, 1);
  EXPECT_EQ(kCombinedStop, Grid_GetCell(22, 3, 0)) << "its own condition first";
  Switch(b, 0);
  EXPECT_EQ(kCombinedStop, Grid_GetCell(22, 3, 0));
  Switch(a, 0);
  EXPECT_EQ(kCombinedClear, Grid_GetCell(22, 3, 0));
  // A condition naming a deleted installation freezes the aspect.
  SignalElementData frozen = Data("F", 1, {0});
  Element(24, 3, kMainStop, frozen);
  EXPECT_EQ(kMainStop, Grid_GetCell(24, 3, 0));
}

TEST_F(SigTest, DistantSignals) {
  const u32 a = Inst("A");
  Element(30, 3, kDistantExpect, Data("D", 2));
  EXPECT_EQ(kDistantClear, Grid_GetCell(30, 3, 0)) << "without a linked element always clear";
  SignalElement* main = Element(32, 3, kMainClear, Data("Main", 1, {a}));
  SignalElementData d = Data("D", 2);
  d.LinkedId = main->Id;
  ASSERT_EQ(0, Sig_SetElement(30, 3, 0, &d));
  EXPECT_EQ(1u, Sig_CountInstallationElements(main->Id));
  Switch(a, 1);
  EXPECT_EQ(kDistantExpect, Grid_GetCell(30, 3, 0));
  Switch(a, 0);
  EXPECT_EQ(kDistantClear, Grid_GetCell(30, 3, 0));
  // Deleting the main signal unlinks the distant one.
  EXPECT_EQ(0, Sig_DeleteElementAt(32, 3, 0));
  EXPECT_EQ(0u, Sig_FindElementAt(30, 3, 0, 0)->LinkedId);
}

// ---------------------------------------------------------------- trains

TEST_F(SigTest, WhichTrainsAnElementServes) {
  const u32 pairs[] = {4, 2};  // depot 4, place 2
  struct {
    u32 flags;
    u32 placeWord, curLine;
    int serves;
  } cases[] = {
      {SIG_F_PLACES, 2u << 16 | 4, 7, 1},
      {SIG_F_PLACES | SIG_F_PLACES_INVERTED, 2u << 16 | 4, 7, 0},
      {SIG_F_PLACES, 3u << 16 | 4, 0, 1},  // not listed: line 0 is always served
      {SIG_F_RULES_INVERTED, 0, 0, 1},
      {SIG_F_RULES_INVERTED, 0, 7, 0},
      {0, 0, 7, 1},
  };
  for (auto& c : cases) {
    SignalElement e = {};
    e.Flags = c.flags;
    if (c.flags & 12) {
      e.Pairs = const_cast<u32*>(pairs);
      e.PairCount = 2;
    }
    EXPECT_EQ(c.serves, Sig_ElementMatchesTrain(&e, c.curLine, 1, c.placeWord)) << c.flags << " " << c.placeWord;
  }
  // The trains' questions at a cell.
  SignalElementData d = Data("M", 1);
  d.Flags = SIG_F_EXTRA | SIG_F_RULES_INVERTED;
  d.ExtraValue = 1234;
  d.Value = 77;
  Element(3, 9, kMainStop, d);
  i32 extra = -1;
  EXPECT_EQ(1, Sig_TestElementForTrain(3, 9, 0, &extra, 0, 1, 5)) << "an inverted empty rule serves no line";
  EXPECT_EQ(2, Sig_TestElementForTrain(3, 9, 0, &extra, 0, 1, 0));
  EXPECT_EQ(1234, extra);
  EXPECT_EQ(11, Sig_TestElementForTrain(4, 9, 0, &extra, 0, 1, 0));
  EXPECT_EQ(0, Sig_ElementAppliesTo(3, 9, 0, 0, 1, 0));
  EXPECT_EQ(77, Sig_GetElementValueFor(3, 9, 0, 0, 1, 0));
  EXPECT_EQ(-1, Sig_GetElementValueFor(4, 9, 0, 0, 1, 0));
}

// ---------------------------------------------------------------- timed switching

TEST_F(SigTest, DelayedSwitchesUndoThePassageAtTheirTime) {
  const u32 id = Inst("Block", 1, 5);
  SignalElementData d = Data("C", 10);
  d.Flags = SIG_F_DELAYED | SIG_F_COUNT_AMOUNT;
  d.Delay = 90;
  d.List1Count = 1;
  d.List1[0] = i32(id);
  Element(6, 6, kCounter, d);
  SignalInstallation* a = Sig_FindInstallation(id);
  struct {
    u8 weekday, hour, minute, second;
    i32 delay;
  } cases[] = {
      {1, 10, 0, 0, 90},        // within the minute after next
      {1, 23, 59, 30, 90},      // across midnight to weekday 2
      {7, 23, 59, 59, 1},       // across the week's end
      {2, 12, 0, 0, 86400 + 5}, // a day and more: not at the same time tomorrow minus 5
  };
  for (auto& c : cases) {
    d.Delay = c.delay;
    ASSERT_EQ(0, Sig_SetElement(6, 6, 0, &d));
    g_simClock.weekday = c.weekday;
    g_simClock.hour = c.hour;
    g_simClock.minute = c.minute;
    g_simClock.second = c.second;
    a->Count = 0;
    a->State = SIG_FREE;
    Sig_TrainPasses(6, 6, 0, 0, 1, 1, 1, 2, SIG_PASS_TYPE10 | SIG_PASS_LIST1);
    Sig_TrainPasses(6, 6, 0, 0, 1, 1, 1, 1, SIG_PASS_TYPE10 | SIG_PASS_LIST1);
    ASSERT_EQ(3, a->Count);
    i32 fired = -1;
    for (i32 s = 1; s <= c.delay + 2; ++s) {
      u32 ws = u32((c.weekday - 1) * 86400 + c.hour * 3600 + c.minute * 60 + c.second + s) % 604800;
      g_simClock.weekday = u8(ws / 86400 + 1);
      g_simClock.hour = u8(ws % 86400 / 3600);
      g_simClock.minute = u8(ws % 3600 / 60);
      g_simClock.second = u8(ws % 60);
      Sig_ClockStep();
      if (a->Count == 0 && fired < 0) fired = s;
    }
    EXPECT_EQ(c.delay, fired) << "delay " << c.delay << " from weekday " << int(c.weekday);
  }
}

TEST_F(SigTest, ASchedulesStartAndEndInTheSameSecondCancel) {
  // Mondays and Tuesdays at 10:00:00, each span a day long: on Tuesday
  // Monday's span ends as Tuesday's starts.
  const u8 schedule[] = {3, 10, 0, 254, 255, 0};
  const u32 id = Sig_CreateInstallation(0);
  SignalInstallationData d = {};
  std::memcpy(d.Name, u"S", 4);
  d.Limit = 1;
  d.Maximum = 3;
  d.Kind = 1;
  d.Duration = 86400;
  d.Schedule = schedule;
  d.ScheduleBytes = sizeof schedule;
  g_simClock.weekday = 1;
  g_simClock.hour = 9;
  g_simClock.minute = 59;
  g_simClock.second = 59;
  ASSERT_EQ(0, Sig_SetInstallation(id, &d));
  SignalInstallation* a = Sig_FindInstallation(id);
  EXPECT_EQ(1u << 24 | 10u << 16, a->Schedule->Next);
  g_simClock.hour = 10;
  g_simClock.minute = 0;
  g_simClock.second = 0;
  Sig_ClockStep();
  EXPECT_EQ(1, a->Count) << "the first start counts in";
  EXPECT_EQ(2u << 24 | 10u << 16, a->Schedule->Next);
  g_simClock.weekday = 2;
  Sig_ClockStep();
  EXPECT_EQ(1, a->Count) << "yesterday's span ends as today's starts";
  // A span of 30 s ends 30 s after its start.
  d.Duration = 30;
  d.Count = 1;
  ASSERT_EQ(0, Sig_SetInstallation(id, &d));
  g_simClock.second = 30;
  Sig_ClockStep();
  EXPECT_EQ(0, a->Count);
}

TEST_F(SigTest, BlinkingAndSwitchingSteps) {
  const u32 a = Inst("A");
  SignalElement* crossing = Element(2, 2, kCrossingOpen, Data("L", 4, {a}), 3);
  SignalElement* fixedCrossing = Element(4, 2, kCrossingOpen, Data("L2", 4, {a}), 17);
  SignalElement* main = Element(6, 2, kMainClear, Data("M", 1, {a}));
  Switch(a, 1);
  EXPECT_EQ(9, crossing->BlinkCounter);
  EXPECT_EQ(9, fixedCrossing->SwitchingCounter);
  EXPECT_EQ(9, main->SwitchingCounter);
  // A closed crossing of states 0..15 changes its picture every 5 steps.
  i32 phase = 0;
  std::vector<i32> phases;
  for (int step = 0; step < 12; ++step) {
    Sig_QueryElementState(2, 2, 0, &phase, 0, 2);
    phases.push_back(phase);
    Sig_BlinkStep();
  }
  EXPECT_EQ((std::vector<i32>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 1, 1}), phases);
  EXPECT_EQ(17u, Sig_QueryElementState(4, 2, 0, &phase, 0, 2));
  EXPECT_EQ(1, phase) << "states 16..23 do not blink; they switch";
  EXPECT_EQ(9, fixedCrossing->SwitchingCounter) << "blink steps leave it alone";
  // The switching phase: 9 steps of 0.4 s, phase 2 while the counter is 5 or more.
  for (int step = 0; step < 9; ++step) {
    Sig_QueryElementState(6, 2, 0, &phase, 0, 0);
    EXPECT_EQ(step < 5 ? 2 : 1, phase) << step;
    Sig_SwitchingStep();
  }
  EXPECT_EQ(0, main->SwitchingCounter);
  EXPECT_FALSE(main->OnBlinkList);
  EXPECT_EQ(nullptr, *Sig_BlinkListHead());
  // Changed twice while the counter runs: on the list once, restarted at 9.
  Switch(a, 0);
  Sig_SwitchingStep();
  Switch(a, 1);
  EXPECT_EQ(9, main->SwitchingCounter);
  int onList = 0;
  for (SignalElement* e = *Sig_BlinkListHead(); e; e = e->NextBlink) onList += e == main;
  EXPECT_EQ(1, onList);
}

// ---------------------------------------------------------------- file sections

TEST_F(SigTest, SectionsRoundTrip) {
  const u8 schedule[] = {3, 6, 30, 254, 255, 0};
  const u32 a = Sig_CreateInstallation(0);
  SignalInstallationData d = {};
  std::memcpy(d.Name, u"Yard", 10);
  d.Flags = 0x40;
  d.Limit = 2;
  d.Maximum = 4;
  d.Count = 3;
  d.Kind = 1;
  d.Duration = 600;
  d.Schedule = schedule;
  d.ScheduleBytes = sizeof schedule;
  d.Text = u"hello";
  d.TextLength = 6;
  ASSERT_EQ(0, Sig_SetInstallation(a, &d));
  const u32 b = Inst("Empty");
  SignalElementData e = Data("Main", 1, {a, SIG_TOK_OR, b});
  const u32 rules[] = {1, 0, 0};
  e.Flags = SIG_F_EXTRA | SIG_F_DELAYED | SIG_F_RULES | SIG_F_PLACES;
  e.ExtraValue = 55;
  e.Value = 66;
  e.Delay = 20;
  e.RuleCount = 3;
  e.Rules = rules;
  const u32 pairs[] = {3, 1};
  e.PairCount = 2;
  e.Pairs = pairs;
  e.List1Count = 1;
  e.List1[0] = -i32(b);
  Element(8, 8, kMainStop, e, 12);
  Sig_TrainPasses(8, 8, 0, 0, 1, 0, 0, 1, SIG_PASS_ELEMENT | SIG_PASS_LIST1);
  ASSERT_TRUE(Grid_SetCell(8, 8, -1, CellCode(kCounter)));
  ASSERT_EQ(0, Sig_CreateElement(8, 8, -1, 5, kCounter));

  const Bytes saved = Test_SaveSection(Sig_SaveSection);
  ASSERT_EQ(0, Test_LoadSection(saved, Sig_LoadSection, 0x3850));
  EXPECT_EQ(saved, Test_SaveSection(Sig_SaveSection)) << "written again the same";
  SignalInstallationData out;
  u32 outId = 0;
  EXPECT_EQ(SIG_OCCUPIED, Sig_EnumInstallations(i32(a), &out, &outId));
  EXPECT_EQ(wstr(u"hello"), wstr(out.Text));
  EXPECT_EQ(6, out.ScheduleBytes);
  EXPECT_EQ(600u, out.Duration);
  EXPECT_EQ(0x41, out.Flags) << "other flag bits kept";
  const SignalElement* m = Sig_FindElementAt(8, 8, 0, 0);
  ASSERT_TRUE(m);
  EXPECT_EQ(1u, m->Type);
  EXPECT_EQ(12u, m->State);
  EXPECT_EQ(55u, m->ExtraValue);
  EXPECT_EQ(3, m->TokenCount);
  EXPECT_EQ(Sig_FindInstallation(a), m->Operands[0]) << "references resolved";
  EXPECT_NE(u8(SIG_HOUR_NONE), m->Switch1.Hour) << "the armed switch travels";
  EXPECT_EQ(1u, Sig_FindInstallation(a)->DependentCount);
  EXPECT_EQ(5u, Sig_GetElementField(8, 8, -1));

  // An older version without the extra value and with one delay.
  Bytes old;
  Test_Put32(old, SIG_TAG_SIGS);
  Test_Put32(old, 0);
  Test_Put32(old, SIG_TAG_SIGE);
  Test_Put32(old, 1);
  Test_Put32(old, SIG_F_EXTRA | SIG_F_DELAYED);
  Test_Put32(old, 8);  // 14390 positions: u32 x, y (no level before 14396)
  Test_Put32(old, 8);
  Test_Put32(old, 900);
  for (wch c : wstr(u"Old")) Test_Put16(old, c);
  Test_Put16(old, 0);
  Test_Put32(old, 4);  // state
  Test_Put32(old, 0);  // tokens
  Test_Put32(old, 0);  // linked
  Test_Put32(old, 9);  // value
  Test_Put32(old, 0);  // list 1
  Test_Put32(old, 0);  // list 2
  Test_Put32(old, 30); // the one delay
  old.push_back(10);   // switch at 10:11:12 on weekday 3, amount 2
  old.push_back(11);
  old.push_back(12);
  old.push_back(3);
  Test_Put32(old, 2);
  ASSERT_EQ(0, Test_LoadSection(old, Sig_LoadSection, 14390));
  const SignalElement* o = Sig_FindElementAt(8, 8, 0, 0);
  ASSERT_TRUE(o);
  EXPECT_EQ(0u, o->ExtraValue);
  EXPECT_EQ(30, o->Delay2);
  EXPECT_EQ(10, o->Switch2.Hour);
  EXPECT_EQ(-2, o->Amount2);
}

TEST_F(SigTest, SectionReaderBoundsWhatFilesAnnounce) {
  auto element = [](u32 flags, u32 tokens, u32 list, u32 words, int nameUnits) {
    Bytes b;
    Test_Put32(b, SIG_TAG_SIGS);
    Test_Put32(b, 0);
    Test_Put32(b, SIG_TAG_SIGE);
    Test_Put32(b, 1);
    Test_Put32(b, flags);
    Test_Put16(b, 1);
    Test_Put16(b, 1);
    b.push_back(0);
    Test_Put32(b, 7);
    for (int i = 0; i < nameUnits; ++i) Test_Put16(b, 'n');
    Test_Put16(b, 0);
    Test_Put32(b, 0);
    Test_Put32(b, tokens);
    for (u32 i = 0; i < tokens && i < 61; ++i) Test_Put32(b, 0);
    Test_Put32(b, 0);
    Test_Put32(b, 0);
    Test_Put32(b, list);
    for (u32 i = 0; i < list && i < 41; ++i) Test_Put32(b, 0);
    Test_Put32(b, 0);
    if (flags & 3) Test_Put32(b, words);
    return b;
  };
  struct {
    const char* what;
    Bytes bytes;
    int result;
  } cases[] = {
      {"well formed", element(0, 60, 40, 0, 20), 0},
      {"61 tokens", element(0, 61, 0, 0, 3), 3},
      {"41 list entries", element(0, 0, 41, 0, 3), 3},
      {"a name of 21 characters", element(0, 0, 0, 0, 21), 3},
      {"a rule list of a million words", element(1, 0, 0, 1000000, 3), 3},
      {"cut short", Bytes{0x53, 0x49, 0x47, 0x53, 1, 0}, 1},
      {"bad tag", Bytes{0x53, 0x49, 0x47, 0x54, 0, 0, 0, 0}, 3},
  };
  for (auto& c : cases) EXPECT_EQ(c.result, Test_LoadSection(c.bytes, Sig_LoadSection, 0x3850)) << c.what;
  // An installation's text length beyond any text, a schedule without its end.
  for (int which = 0; which < 2; ++which) {
    Bytes b;
    Test_Put32(b, SIG_TAG_SIGS);
    Test_Put32(b, 1);
    Test_Put32(b, 5);
    Test_Put16(b, 'A');
    Test_Put16(b, 0);
    Test_Put32(b, which == 0 ? 0 : 1);
    Test_Put32(b, 0);
    Test_Put32(b, 1);
    Test_Put32(b, 1);
    if (which == 1) {
      Test_Put32(b, 0);
      Test_Put32(b, 2);
      Test_Put32(b, 0);
      b.push_back(1);
      b.push_back(2);
    }
    Test_Put32(b, which == 0 ? 0x7FFFFFFF : 0);
    EXPECT_EQ(3, Test_LoadSection(b, Sig_LoadSection, 0x3850)) << which;
  }
}

TEST_F(SigTest, OldSectionConvertsCellsAndBuildsConditions) {
  // Version 14346: "SI", a skipped word, u32 count; one installation with
  // two elements: a main signal (old 328, style to convert) and a counter
  // (old 296..303), then a third element on the counter's cell, dropped.
  ASSERT_TRUE(Grid_SetCell(5, 5, 0, CellCode(0x4000 | 290)));
  ASSERT_TRUE(Grid_SetCell(6, 5, 0, CellCode(298)));
  Bytes b;
  Test_Put16(b, 0x4953);
  Test_Put16(b, 0);
  Test_Put32(b, 1);   // installations
  Test_Put32(b, 40);  // id
  Test_Put32(b, 3);   // elements
  b.push_back(0);     // skipped
  Test_Put32(b, 2);   // flags: count the amount passed
  Test_Put32(b, 0);
  Test_Put32(b, 2);
  Test_Put32(b, 1);
  auto element = [&b](i32 x, u32 state) {
    Test_Put32(b, 0x80);  // flags: bit 7
    Test_Put32(b, u32(x));
    Test_Put32(b, 5);
    Test_Put32(b, state);
  };
  element(5, 1);
  element(6, 2);
  element(6, 2);
  DepotPlace place = {};
  place.X = place.Y = 50;
  place.Number = 1;
  place.CondCount = 1;
  place.Cond[0] = 40;
  ASSERT_EQ(0, Dep_InsertPlace(1, u"Depot", u"D", &place));
  ASSERT_EQ(0, Test_LoadSection(b, Sig_LoadSection, 14346));
  DepotPlaceInfo info;
  ASSERT_EQ(0, Dep_GetPlace(1, 1, &info));
  EXPECT_EQ(2u, info.Options & 2) << "the place whose condition begins with the installation is marked";
  EXPECT_EQ(1u, Sig_GetInstallationCount());
  EXPECT_EQ(2u, Sig_GetElementCount(nullptr)) << "the element on the same cell as the one before is dropped";
  EXPECT_EQ(0x4000 | 394, Grid_GetCell(5, 5, 0)) << "288..295 move by 104, bit 14 kept";
  EXPECT_EQ(394, Grid_GetCell(6, 5, 0)) << "296..303 move by 96";
  const SignalElement* first = Sig_FindElementAt(5, 5, 0, 1);
  ASSERT_TRUE(first);
  EXPECT_EQ(10u, first->Type);
  ASSERT_EQ(1, first->List1Count);
  EXPECT_EQ(-40, first->List1[0]) << "type 10 counts out unless the old cell was 296..303";
  const SignalElement* second = Sig_FindElementAt(6, 5, 0, 1);
  ASSERT_TRUE(second);
  EXPECT_EQ(40, second->List1[0]);
  EXPECT_EQ(5u, second->State) << "style + 3";
  EXPECT_EQ(SIG_F_COUNT_AMOUNT, second->Flags) << "flag 2 of the installation; bit 7 cleared";
  wch name[SIG_NAME_UNITS];
  Sig_GetInstallationName(40, name);
  EXPECT_EQ(wstr(u"I40"), wstr(name)) << "default names after the section";
  EXPECT_EQ(2, Sig_FindInstallation(40)->Maximum);
}

TEST_F(SigTest, OldestSectionFormWithItsSchedule) {
  // Version 14000: u16 count and id, element counts as four bytes, the
  // counts as bytes, a schedule of u16 length (its first byte a placeholder)
  // and minutes, the element's flags as u16 and positions as two u16.
  ASSERT_TRUE(Grid_SetCell(9, 9, 0, CellCode(312)));
  Bytes b;
  Test_Put16(b, 0x4953);
  Test_Put16(b, 0);
  Test_Put16(b, 1);
  Test_Put16(b, 7);
  for (u8 c : {1, 0, 0, 0}) b.push_back(c);
  b.push_back(0);
  for (u8 c : {1, 0, 3, 2}) b.push_back(c);  // flags: a schedule; count, maximum, limit
  Test_Put16(b, 0);
  b.push_back(1);     // kind
  Test_Put16(b, 5);   // stored bytes
  Test_Put16(b, 2);   // minutes
  Test_Put16(b, 0);
  Test_Put16(b, 0x8000);  // element flags: bit 7
  Test_Put16(b, 9);
  Test_Put16(b, 9);
  for (u8 c : {0x55, 10, 0, 254, 255}) b.push_back(c);
  ASSERT_EQ(0, Test_LoadSection(b, Sig_LoadSection, 14000));
  SignalInstallationData out;
  ASSERT_EQ(SIG_FREE, Sig_EnumInstallations(7, &out, nullptr));
  EXPECT_EQ(3, out.Maximum);
  EXPECT_EQ(2, out.Limit);
  EXPECT_EQ(120u, out.Duration);
  ASSERT_EQ(6, out.ScheduleBytes);
  const u8 want[] = {127, 10, 0, 254, 255, 0};
  EXPECT_EQ(0, std::memcmp(want, out.Schedule, 6));
  EXPECT_EQ(440, Grid_GetCell(9, 9, 0));
  const SignalElement* e = Sig_FindElementAt(9, 9, 0, 0);
  ASSERT_TRUE(e);
  EXPECT_EQ(1u, e->Type);
  EXPECT_EQ(42u, e->State);
  ASSERT_EQ(1, e->TokenCount);
  EXPECT_EQ(7u, e->Tokens[0]);
  EXPECT_EQ(0, e->List1Count) << "a main signal with bit 7 counts nothing";
  EXPECT_EQ(0u, e->Flags);
}

TEST_F(SigTest, OldestFilesGiveIdsToInstallationsWithoutOne) {
  // Before 13573: an id 0 takes a new id, a repeated id moves the
  // installation read first to a new one; element flags are one byte.
  ASSERT_TRUE(Grid_SetCell(9, 9, 0, CellCode(312)));
  ASSERT_TRUE(Grid_SetCell(11, 9, 0, CellCode(312)));
  Bytes b;
  Test_Put16(b, 0x4953);
  Test_Put16(b, 0);
  Test_Put16(b, 3);
  auto installation = [&b](u16 id, i32 elementX) {
    Test_Put16(b, id);
    for (u8 c : {u8(elementX >= 0 ? 1 : 0), u8(0), u8(0), u8(0)}) b.push_back(c);
    b.push_back(0);
    for (u8 c : {0, 0, 1, 1}) b.push_back(c);
    Test_Put16(b, 0);
    if (elementX < 0) return;
    b.push_back(0x80);
    Test_Put16(b, u16(elementX));
    Test_Put16(b, 9);
  };
  installation(5, -1);
  installation(5, 9);
  installation(0, 11);
  ASSERT_EQ(0, Test_LoadSection(b, Sig_LoadSection, 13500));
  ASSERT_EQ(3u, Sig_GetInstallationCount());
  ASSERT_EQ(2u, Sig_GetElementCount(nullptr));
  std::vector<u32> ids;
  for (const SignalInstallation* a = Sig_FirstInstallation(); a; a = a->Next) ids.push_back(a->Id);
  for (const SignalElement* e = Sig_FirstElement(); e; e = e->Next) ids.push_back(e->Id);
  for (size_t i = 0; i < ids.size(); ++i)
    for (size_t k = i + 1; k < ids.size(); ++k) EXPECT_NE(ids[i], ids[k]) << "ids are never shared";
  EXPECT_EQ(5u, Sig_FindElementAt(9, 9, 0, 0)->Tokens[0]) << "the repeated id stays with the later one";
  const u32 third = Sig_FindElementAt(11, 9, 0, 0)->Tokens[0];
  EXPECT_TRUE(Sig_FindInstallation(third));
  EXPECT_NE(5u, third);
}

TEST_F(SigTest, OrphanTilesBecomeTrackOnEveryLevel) {
  struct {
    i32 level;
    u32 code, track;
  } cases[] = {{0, 305, 1}, {-1, 290, 0}, {-4, 0x4000 | 300, 0x4000 | 2}, {-2, 0x1000 | 437, 0x1000 | 2}};
  i32 x = 2;
  for (auto& c : cases) ASSERT_TRUE(Grid_SetCell(x++, 3, c.level, CellCode(c.code)));
  ASSERT_TRUE(Grid_SetCell(x, 3, 0, CellCode(kCounter)));
  ASSERT_EQ(0, Sig_CreateElement(x, 3, 0, 0, kCounter));
  EXPECT_EQ(4, Sig_RemoveOrphanSignalTiles());
  x = 2;
  for (auto& c : cases) EXPECT_EQ(c.track, Grid_GetCell(x++, 3, c.level)) << c.code;
  EXPECT_EQ(kCounter, Grid_GetCell(x, 3, 0)) << "a cell with its element stays";
}

TEST_F(SigTest, StylesReplacedInABox) {
  struct {
    i32 x;
    u32 code, state;
  } cells[] = {{2, kCounter, 4}, {3, kCounter, 1}, {4, kCounter | 1, 5}, {30, kCounter, 4}};
  for (auto& c : cells) {
    ASSERT_TRUE(Grid_SetCell(c.x, 2, 0, CellCode(c.code)));
    ASSERT_EQ(0, Sig_CreateElement(c.x, 2, 0, c.state, c.code));
  }
  // Group 3..5 moves to the same place in group 6..8; the direction mask
  // leaves out the cell facing direction 1, the box the one at x 30.
  EXPECT_EQ(1, Sig_RemapStatesInBox(0, 0, 0, 10, 10, 0, 10, 0, 1, kCounter, 0, 6, 3));
  EXPECT_EQ(7u, Sig_GetElementField(2, 2, 0));
  EXPECT_EQ(1u, Sig_GetElementField(3, 2, 0)) << "not in the group";
  EXPECT_EQ(5u, Sig_GetElementField(4, 2, 0)) << "not in the direction mask";
  EXPECT_EQ(4u, Sig_GetElementField(30, 2, 0)) << "outside the box";
  EXPECT_EQ(1, Sig_RemapStatesInBox(0, 0, 0, 10, 10, 0, 10, 1, 3, kCounter, 0, 9, 6)) << "exact";
  EXPECT_EQ(9u, Sig_GetElementField(2, 2, 0));
  EXPECT_EQ(0, Sig_RemapStatesInBox(0, 0, 0, 10, 10, 0, 10, 1, 3, kCounter, 0, 12, 9)) << "beyond the style range";
  EXPECT_EQ(-1, Sig_RemapStatesInBox(0, 0, 0, 10, 10, 0, 5, 0, 255, kCounter, 0, 0, 0));
  EXPECT_EQ(-1, Sig_RemapStatesInBox(0, 0, 0, 10, 10, 0, 10, 0, 255, 16384, 0, 0, 0));
}

// ---------------------------------------------------------------- the renderer's questions

TEST_F(SigTest, RendererStateQueries) {
  const u32 a = Inst("A");
  SignalElementData d = Data("M", 1, {a});
  d.Flags = SIG_F_FIXED;
  Element(2, 2, kMainClear, d, 7);
  ASSERT_TRUE(Grid_SetCell(4, 2, 0, CellCode(kCounter)));
  ASSERT_EQ(0, Sig_CreateElement(4, 2, 0, 8, kCounter));
  EXPECT_EQ(8, Map_PieceStateAt(4, 2, 0, nullptr, kCounter));
  EXPECT_EQ(6, Map_PieceStateAt(5, 2, 0, nullptr, kCounter)) << "no element";
  // A fixed element shows a generic picture unless the option asks for its state.
  const u32 c = Sig_CodeClass(1, 7);
  const i32 generic = (c & 4) ? 243 : !(c & 8) ? 242 : 244;
  EXPECT_EQ(generic, Map_PieceStateAt(2, 2, 0, nullptr, kMainClear));
  EXPECT_EQ(7u, Sig_QueryElementState(2, 2, 0, nullptr, 1, 3)) << "a dialog asks for the state";
  static const SigHooks showState = {[]() { return 1; }, nullptr, nullptr};
  Sig_SetHooks(&showState);
  EXPECT_EQ(7, Map_PieceStateAt(2, 2, 0, nullptr, kMainClear));
  Sig_SetHooks(nullptr);
  struct {
    u32 type, state, cls;
  } classes[] = {{10, 0, 0}, {10, 4, 4}, {10, 5, 8}, {4, 0, 1}, {4, 1, 5}, {4, 2, 2}, {4, 7, 10},
                 {1, 0, 1}, {1, 1, 5}, {1, 2, 9}, {1, 3, 2}, {1, 4, 10}, {1, 5, 6}, {1, 243, 4},
                 {1, 244, 8}, {1, 245, 0}, {1, 195, 2}, {2, 60, 2}, {3, 60, 1}, {3, 48, 2}};
  for (auto& k : classes) EXPECT_EQ(k.cls, Sig_CodeClass(k.type, k.state)) << k.type << "/" << k.state;
}

}  // namespace

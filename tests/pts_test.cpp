// Turnout controllers: the store (ids, order, binding, setters and getters),
// the branch rules of every kind with the exits and caps they give, the
// look-ahead, the reset times of cyclic counters, and the hooks that keep
// line, place and signal references valid.
#include "operation/pts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "model/grid.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/trn.h"
#include "platform/tim.h"

namespace {

typedef std::vector<u32> Words;

const i32 kX = 100, kY = 200;

// Connector bits: north 1, south 2, west 4, east 8, south-east 16,
// north-west 32, south-west 64, north-east 128.
const u32 kN = 1, kS = 2, kW = 4, kE = 8, kSE = 16, kNW = 32, kSW = 64;

u32 Count(void) {
  return Pts_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr);
}

// The ids and parts of the list, in list order.
std::vector<std::pair<u32, u32>> Order(void) {
  std::vector<std::pair<u32, u32>> v;
  i32 x = -1, y = 0, level = 0;
  u32 id = 0, part = 0;
  while (Pts_Enum(&x, &y, &level, nullptr, &id, &part)) {
    v.push_back({id, part});
    x = -2;
  }
  return v;
}

struct AskLog {
  int calls = 0;
  u32 proposed = 0;
  u32 answer = 0;  // 0: take the proposed branch
};
AskLog g_ask;

u32 AskBranch(TrainRec*, const TurnoutController*, u32 proposed) {
  ++g_ask.calls;
  g_ask.proposed = proposed;
  return g_ask.answer ? g_ask.answer : proposed;
}

class PtsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Pts_Init();
    Pts_FreeAll();
    Lin_Init();
    Lin_Clear();
    Dmsg_Clear();
    Clk_Reset();
    // The runtime generator: the layout's own sequence alternates its lowest
    // bit, so that draws in turn from look-ahead and passage would split.
    Rnd_SetLayoutSeed(-1);
    g_ask = AskLog();
    const PtsHooks hooks = {AskBranch};
    Pts_SetHooks(&hooks);
    std::memset(&train, 0, sizeof train);
    train.Number = 17;
    train.Line = 3;
    train.CurLine = 4;
    train.Type = 1;
    train.Category = 1;
  }
  void TearDown() override {
    Pts_SetHooks(nullptr);
    Pts_FreeAll();
    Grid_Clear();
    Lin_Clear();
    Rnd_SetLayoutSeed(-1);
  }
  // A single controller of the kind at (kX, kY, 0) entered from the north:
  // branch 1 south, 2 south-west, 3 south-east when three.
  TurnoutController* Make(u32 kind, bool three = false, i32 x = kX) {
    const u32 id = Pts_NextFreeId();
    EXPECT_EQ(0, Pts_SetById(x, kY, 0, 0, kN, kS, kSW, three ? kSE : 0, id, kind, 0));
    return const_cast<TurnoutController*>(Pts_Find(x, kY, 0, 0));
  }
  u32 Choose(TurnoutController* c) { return Pts_ChooseBranch(c, &train); }
  TrainRec train;
};

// ---------------------------------------------------------------- store

TEST_F(PtsTest, SetByIdRefusesAndChangesNothing) {
  ASSERT_EQ(0, Pts_SetById(kX, kY, 0, 1, kN, kS, kSW, 0, 5, PTS_KIND_BRANCH2, 0));
  ASSERT_EQ(0, Pts_SetById(kX + 1, kY, 0, 0, kN, kS, kSW, 0, 6, PTS_KIND_BRANCH1, 0));
  struct Case {
    u32 id, kind, part;
    int result;
  } cases[] = {
      {0, PTS_KIND_CYCLIC, 0, 3},
      {PTS_ID_MAX + 1, PTS_KIND_CYCLIC, 0, 3},
      {7, PTS_KIND_CYCLIC, 5, 3},  // no such part
      {6, PTS_KIND_CYCLIC, 0, 2},  // the id is at another cell
      {7, 5, 0, 2},                // kinds without rules
      {7, 13, 0, 2},
      {7, 24, 0, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Pts_SetById(kX, kY, 0, 0, kW, kE, kSE, 0, c.id, c.kind, c.part)) << c.id << " " << c.kind;
    const TurnoutController* old = Pts_Find(kX, kY, 0, 0);
    ASSERT_TRUE(old);
    EXPECT_EQ(5u, old->Id);
    EXPECT_EQ(PTS_KIND_BRANCH2, old->Kind);
    EXPECT_EQ(kN, old->EntryDir);
    EXPECT_EQ(2u, Count());
  }
  // The same id at its own cell replaces the controller of that part; caps
  // start at 0 and the kind data empty.
  EXPECT_EQ(0, Pts_SetById(kX, kY, 0, 2, kW, kE, kSE, kNW, 5, PTS_KIND_CYCLIC, 0));
  EXPECT_EQ(2u, Count());
  const TurnoutController* c = Pts_Find(kX, kY, 0, 0);
  ASSERT_TRUE(c);
  EXPECT_EQ(PTS_KIND_CYCLIC, c->Kind);
  EXPECT_EQ(2u, c->Option);
  EXPECT_EQ(kNW, c->Exit3);
  const u32 caps[6] = {c->FacingCap1, c->TrailingCap1, c->FacingCap2, c->TrailingCap2, c->FacingCap3, c->TrailingCap3};
  for (u32 cap : caps) EXPECT_EQ(0u, cap);
  EXPECT_EQ(0u, Pts_KindData<PtsCyclicData>(c)->Counter);
  EXPECT_EQ(0u, Pts_GetBoundId(kX + 2, kY, 0));
  EXPECT_EQ(6u, Pts_GetBoundId(kX + 1, kY, 0));
}

TEST_F(PtsTest, ListIsOrderedByIdThenPart) {
  // Cells that share a bucket (x 32 apart) and cells that do not.
  ASSERT_EQ(0, Pts_SetById(10, 1, 0, 0, kN, kS, kSW, 0, 9, PTS_KIND_BRANCH1, 0));
  ASSERT_EQ(0, Pts_SetById(42, 1, 0, 0, kN, kS, kSW, 0, 2, PTS_KIND_BRANCH1, 0));
  ASSERT_EQ(0, Pts_SetById(74, 1, 0, 0, kN, kS, kSW, 0, 5, PTS_KIND_BRANCH1, 0));
  // Part controllers of one combined piece: each new part binds all to its id.
  ASSERT_EQ(0, Pts_SetById(11, 1, 0, 1, kN, kS, kSW, 0, 7, PTS_KIND_BRANCH1, 2));
  ASSERT_EQ(0, Pts_SetById(11, 1, 0, 2, kS, kN, kNW, 0, 3, PTS_KIND_BRANCH2, 1));
  typedef std::pair<u32, u32> P;
  EXPECT_EQ((std::vector<P>{{2, 0}, {3, 1}, {3, 2}, {5, 0}, {9, 0}}), Order());
  EXPECT_EQ(2u, Pts_GetField(11, 1, 0, 2)) << "the last part's option word reaches every part";
  EXPECT_EQ(2u, Pts_GetField(11, 1, 0, 1));
  EXPECT_EQ(2u, Pts_GetField(11, 1, 0, -1));
  i32 x = 0, y = 0, level = 9;
  EXPECT_EQ(0, Pts_GetPosById(3, &x, &y, &level));
  EXPECT_EQ(11, x);
  EXPECT_EQ(1, y);
  EXPECT_EQ(0, level);
  EXPECT_EQ(1, Pts_GetPosById(4, &x, &y, &level));
  EXPECT_EQ(1, Pts_GetPosById(0, &x, &y, &level));

  // Binding the cell to another id re-sorts both parts.
  EXPECT_EQ(0, Pts_BindToElement(11, 1, 0, 6));
  EXPECT_EQ((std::vector<P>{{2, 0}, {5, 0}, {6, 1}, {6, 2}, {9, 0}}), Order());
  // Moving a part re-sorts it too; a part that is taken is refused.
  EXPECT_EQ(2, Pts_SetMode(11, 1, 0, kW, kE, kSE, 0, 2, 1));
  EXPECT_EQ(1, Pts_SetMode(12, 1, 0, kW, kE, kSE, 0, 3, 1));
  EXPECT_EQ(3, Pts_SetMode(11, 1, 0, kW, kE, kSE, 0, 5, 1));
  EXPECT_EQ(0, Pts_SetMode(11, 1, 0, kW, kE, kSE, 0, 4, 1));
  EXPECT_EQ((std::vector<P>{{2, 0}, {5, 0}, {6, 2}, {6, 4}, {9, 0}}), Order());
  const TurnoutController* c = Pts_Find(11, 1, 0, 4);
  ASSERT_TRUE(c);
  EXPECT_EQ(kW, c->EntryDir);
  EXPECT_EQ(kE, c->Exit1);
  EXPECT_EQ(kSE, c->Exit2);

  // Deleting one part, then every controller at a cell.
  EXPECT_EQ(0, Pts_DeleteAt(11, 1, 0, 3));
  EXPECT_EQ(1, Pts_DeleteAt(11, 1, 0, 2));
  EXPECT_EQ((std::vector<P>{{2, 0}, {5, 0}, {6, 4}, {9, 0}}), Order());
  EXPECT_EQ(0, Pts_SetById(11, 1, 0, 0, kN, kS, kSW, 0, 6, PTS_KIND_BRANCH1, 1));
  EXPECT_EQ(1, Pts_DeleteAt(11, 1, 0, -1));
  EXPECT_EQ(0, Pts_DeleteAt(11, 1, 0, -1));
  EXPECT_EQ((std::vector<P>{{2, 0}, {5, 0}, {9, 0}}), Order());
  EXPECT_EQ(3u, Count());
}

TEST_F(PtsTest, BindToElementRefusals) {
  ASSERT_EQ(0, Pts_SetById(kX, kY, 0, 0, kN, kS, kSW, 0, 4, PTS_KIND_BRANCH1, 0));
  ASSERT_EQ(0, Pts_SetById(kX + 1, kY, 0, 0, kN, kS, kSW, 0, 8, PTS_KIND_BRANCH1, 0));
  struct Case {
    i32 x;
    u32 id;
    int result;
  } cases[] = {
      {kX, 0, 2}, {kX, PTS_ID_MAX + 1, 2}, {kX, 8, 3}, {kX + 2, 9, 1}, {kX, 4, 0}, {kX, PTS_ID_MAX, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, Pts_BindToElement(c.x, kY, 0, c.id)) << c.x << " " << c.id;
  EXPECT_EQ(PTS_ID_MAX, Pts_GetBoundId(kX, kY, 0));
  EXPECT_EQ(8u, Pts_GetBoundId(kX + 1, kY, 0));
}

TEST_F(PtsTest, NextFreeIdTakesTheLowestGap) {
  struct Case {
    std::vector<u32> used;
    u32 next;
  } cases[] = {
      {{}, 1}, {{1, 2, 4}, 3}, {{2}, 1}, {{1, 2, 3}, 4}, {{4, 1, 2}, 3}, {{PTS_ID_MAX}, 1}, {{1, 5, 3}, 2},
  };
  for (const Case& c : cases) {
    Pts_FreeAll();
    i32 x = 0;
    for (u32 id : c.used) ASSERT_EQ(0, Pts_SetById(x++, kY, 0, 0, kN, kS, kSW, 0, id, PTS_KIND_BRANCH1, 0));
    EXPECT_EQ(c.next, Pts_NextFreeId()) << c.used.size();
  }
  // The ids below the largest all taken: the one above it.
  Pts_FreeAll();
  for (u32 id = 1; id <= 40; ++id)
    ASSERT_EQ(0, Pts_SetById(i32(id), kY, 0, 0, kN, kS, kSW, 0, id, PTS_KIND_BRANCH1, 0));
  EXPECT_EQ(41u, Pts_NextFreeId());
}

TEST_F(PtsTest, EnumWalksAndSurvivesDeletingTheNextRecord) {
  for (u32 id = 1; id <= 4; ++id)
    ASSERT_EQ(0, Pts_SetById(i32(id) * 10, kY, 0, 0, kN, kS + id, kSW, 0, id, PTS_KIND_BRANCH1 + id % 3, 0));
  i32 x = 30, y = kY, level = 0;
  u32 words[4], id = 0, part = 9;
  EXPECT_EQ(PTS_KIND_BRANCH1, Pts_Enum(&x, &y, &level, words, &id, &part)) << "starting at a cell";
  EXPECT_EQ(3u, id);
  EXPECT_EQ(0u, part);
  EXPECT_EQ((Words{kN, kS + 3, kSW, 0}), Words(words, words + 4));
  // The record the walk goes on with is deleted: it goes on behind it.
  ASSERT_EQ(1, Pts_DeleteAt(40, kY, 0, 0));
  x = -2;
  EXPECT_EQ(0u, Pts_Enum(&x, &y, &level, words, &id, &part));
  x = -1;
  EXPECT_NE(0u, Pts_Enum(&x, &y, &level, words, &id, &part));
  EXPECT_EQ(10, x);
  x = -2;
  EXPECT_NE(0u, Pts_Enum(&x, &y, &level, words, &id, &part));
  EXPECT_EQ(20, x);
  x = 99;
  EXPECT_EQ(0u, Pts_Enum(&x, &y, &level, words, &id, &part)) << "a cell without a controller";
}

TEST_F(PtsTest, StatsAndShapeClasses) {
  struct Shape {
    u32 code;
    int cls;
    u32 high;
  } shapes[] = {
      {12, 4, 2}, {15, 4, 2}, {16, 3, 2},        {23, 3, 2},         {48, 1, 2},     {79, 1, 2},
      {80, 1, 0}, {87, 1, 0}, {88, 5, 1},        {95, 5, 1},         {472, 2, 0},    {495, 2, 0},
      {47, 0, 0}, {96, 0, 0}, {1024 + 54, 1, 2}, {32768 + 54, 0, 0}, {0xC000, 0, 0}, {5, 0, 0},
  };
  for (const Shape& s : shapes) {
    u32 low = 9, high = 9;
    EXPECT_EQ(s.cls, Pts_ShapeClass(s.code, &low, &high)) << s.code;
    EXPECT_EQ(0u, low);
    EXPECT_EQ(s.high, high) << s.code;
  }

  Grid_SetCell(1, 1, 0, 16);  // class 3
  Grid_SetCell(2, 1, 0, 13);  // class 4
  Grid_SetCell(3, 1, 0, 90);  // class 5
  const u32 kinds[] = {1, 2, 3, 4, 11, 12, 14, 15, 21, 22, 23, 1};
  u32 id = 1;
  for (u32 k : kinds) {
    ASSERT_EQ(0, Pts_SetById(i32(10 + id), 9, 0, 0, kN, kS, kSW, id % 4 ? 0 : kSE, id, k, 0));
    ++id;
  }
  for (i32 x = 1; x <= 3; ++x)
    for (u32 part = 1; part <= 2; ++part)
      ASSERT_EQ(0, Pts_SetById(x, 1, 0, 0, kN, kS, kSW, 0, 100 + u32(x), PTS_KIND_BRANCH1, part));
  u32 n[12];
  EXPECT_EQ(18u, Pts_GetStats(&n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7], &n[8], &n[9], &n[10], &n[11]));
  EXPECT_EQ((Words{2, 3 + 6, 1, 1, 1, 1, 3, 9, 3, 1, 1, 1}), Words(n, n + 12));
}

// ---------------------------------------------------------------- setters and getters

TEST_F(PtsTest, KindSettersFindTheirKind) {
  const u32 counts[3] = {2, 1, 0}, times[3] = {0, 0, 0}, starts[3] = {0, 0, 0}, weights[3] = {1, 1, 0};
  const u32 masks[12] = {0};
  const u32 listCounts[3] = {0, 0, 0};
  const i32* lists[3] = {nullptr, nullptr, nullptr};
  const u32 six[6] = {0, 0, 0, 0, 0, 0};
  Make(PTS_KIND_BRANCH1);
  struct Case {
    i32 x;
    int result;
  } cases[] = {{kX, 2}, {kX + 1, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Pts_SetCyclic(c.x, kY, 0, counts, 0, times, starts, 0));
    EXPECT_EQ(c.result, Pts_SetWeights(c.x, kY, 0, weights, 0));
    EXPECT_EQ(c.result, Pts_SetClassMasks(c.x, kY, 0, masks, 0));
    EXPECT_EQ(c.result, Pts_SetElementLists(c.x, kY, 0, 0, listCounts, lists, 0));
    EXPECT_EQ(c.result, Pts_GetCyclic(c.x, kY, 0, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(c.result, Pts_GetWeights(c.x, kY, 0, nullptr, 0));
    EXPECT_EQ(c.result, Pts_GetClassMasks(c.x, kY, 0, nullptr, 0));
    EXPECT_EQ(c.result, Pts_GetListsKind15(c.x, kY, 0, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(c.result, Pts_GetPositionList(c.x, kY, 0, 1, nullptr, nullptr, 0));
  }
  // The position lists answer 2 without a controller and 3 for another kind.
  EXPECT_EQ(3, Pts_SetPositionLists(kX, kY, 0, nullptr, six, 0));
  EXPECT_EQ(2, Pts_SetPositionLists(kX + 1, kY, 0, nullptr, six, 0));
}

TEST_F(PtsTest, CyclicValuesAndRoundTrip) {
  Make(PTS_KIND_CYCLIC, true);
  struct Case {
    u32 counts[3], start, times[3], starts[3];
    int result;
  } cases[] = {
      {{2, 1, 0}, 0, {0, 0, 0}, {0, 0, 0}, 0},
      {{0, 0, 5}, 0, {0, 0, 0}, {0, 0, 0}, 3},  // one branch only
      {{3, 0, 0}, 0, {0, 0, 0}, {0, 0, 0}, 3},
      {{2, 1, 0}, 3, {0, 0, 0}, {0, 0, 0}, 3},  // start at the total
      {{2, 1, 0}, 2, {0, 0, 0}, {0, 0, 0}, 0},
      {{65535, 1, 0}, 0, {0, 0, 0}, {0, 0, 0}, 3},  // more than the file holds
      {{65534, 1, 0}, 0, {0, 0, 0}, {0, 0, 0}, 0},
      {{2, 1, 0}, 0, {0x7F080000, 0, 0}, {3, 0, 0}, 3},  // a reset start at the total
      {{2, 1, 0}, 0, {0, 0, 0}, {3, 0, 0}, 0},           // no time: its start is not used
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.result, Pts_SetCyclic(kX, kY, 0, c.counts, c.start, c.times, c.starts, 0)) << c.counts[0];

  const u32 counts[3] = {4, 0, 3}, times[3] = {0x01080000, 0, 0x7F17303B}, starts[3] = {2, 5, 6};
  ASSERT_EQ(0, Pts_SetCyclic(kX, kY, 0, counts, 5, times, starts, 0));
  const PtsCyclicData* d = Pts_KindData<PtsCyclicData>(Pts_Find(kX, kY, 0, 0));
  EXPECT_EQ(2u, d->Counter);
  EXPECT_EQ(5u, d->ResetValue[0]);
  EXPECT_EQ(1u, d->ResetValue[2]);
  u32 outCounts[3], start = 0, outTimes[3], outStarts[3];
  ASSERT_EQ(0, Pts_GetCyclic(kX, kY, 0, outCounts, &start, outTimes, outStarts, 0));
  EXPECT_EQ(Words(counts, counts + 3), Words(outCounts, outCounts + 3));
  EXPECT_EQ(5u, start);
  EXPECT_EQ(Words(times, times + 3), Words(outTimes, outTimes + 3));
  EXPECT_EQ((Words{2, 0, 6}), Words(outStarts, outStarts + 3));
}

TEST_F(PtsTest, WeightValues) {
  Make(PTS_KIND_RANDOM, true);
  struct Case {
    u32 weights[3];
    int result;
  } cases[] = {
      {{0, 0, 5}, 3}, {{0, 0, 0}, 3}, {{65536, 1, 0}, 3}, {{1, 1, 0}, 0}, {{65535, 65535, 65535}, 0}, {{0, 7, 9}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Pts_SetWeights(kX, kY, 0, c.weights, 0)) << c.weights[0];
    u32 w[3];
    ASSERT_EQ(0, Pts_GetWeights(kX, kY, 0, w, 0));
    if (c.result == 0) {
      EXPECT_EQ(Words(c.weights, c.weights + 3), Words(w, w + 3));
    }
  }
  // Unchanged weights keep the drawn position; the position is below the total.
  PtsRandomData* d = Pts_KindData<PtsRandomData>(const_cast<TurnoutController*>(Pts_Find(kX, kY, 0, 0)));
  EXPECT_LT(d->RandPos, 16u);
  d->RandPos = 15;
  const u32 same[3] = {0, 7, 9};
  EXPECT_EQ(0, Pts_SetWeights(kX, kY, 0, same, 0));
  EXPECT_EQ(15u, d->RandPos);
}

TEST_F(PtsTest, MasksAndSignalListsRoundTrip) {
  Make(PTS_KIND_BY_TRAIN);
  u32 masks[12];
  for (u32 i = 0; i < 12; ++i) masks[i] = 0x100 + i;
  ASSERT_EQ(0, Pts_SetClassMasks(kX, kY, 0, masks, 0));
  u32 out[12];
  ASSERT_EQ(0, Pts_GetClassMasks(kX, kY, 0, out, 0));
  EXPECT_EQ(Words(masks, masks + 12), Words(out, out + 12));
  EXPECT_EQ(0x105u, Pts_KindData<PtsByTrainData>(Pts_Find(kX, kY, 0, 0))->Masks[1][PTS_MASK_TYPES_CAT2]);

  Make(PTS_KIND_BY_SIGNALS, false, kX + 1);
  const i32 a[2] = {5, -6}, b[60] = {0};
  const i32* lists[3] = {a, b, nullptr};
  const u32 ok[3] = {2, 60, 0}, tooMany[3] = {61, 0, 0}, missing[3] = {0, 0, 1};
  EXPECT_EQ(3, Pts_SetElementLists(kX + 1, kY, 0, 0, tooMany, lists, 0));
  EXPECT_EQ(3, Pts_SetElementLists(kX + 1, kY, 0, 0, missing, lists, 0));
  EXPECT_EQ(3, Pts_SetElementLists(kX + 1, kY, 0, 256, ok, lists, 0));
  ASSERT_EQ(0, Pts_SetElementLists(kX + 1, kY, 0, 0x41, ok, lists, 0));
  u32 priority = 0, counts[3];
  const i32* got[3];
  ASSERT_EQ(0, Pts_GetListsKind15(kX + 1, kY, 0, &priority, counts, got, 0));
  EXPECT_EQ(0x41u, priority);
  EXPECT_EQ(Words(ok, ok + 3), Words(counts, counts + 3));
  EXPECT_EQ(-6, got[0][1]);
}

TEST_F(PtsTest, PositionListsRebuildTheRecord) {
  Make(PTS_KIND_BY_LINE2);
  // Line lists: one group of line 7, nothing, one group of lines 8 and 9;
  // place lists: nothing, (depot 3, place 0), (depot 4, place 2).
  const Words words = {1, 7, 0, 2, 8, 9, 0, 3, 0, 4, 2};
  const u32 counts[6] = {3, 0, 4, 0, 2, 2};
  Pts_KindData<PtsByLineData>(const_cast<TurnoutController*>(Pts_Find(kX, kY, 0, 0)))->RecordFlags =
      PTS_RECORD_BRANCH1 | 5;
  ASSERT_EQ(0, Pts_SetPositionLists(kX, kY, 0, words.data(), counts, 0));
  const TurnoutController* c = Pts_Find(kX, kY, 0, 0);
  EXPECT_EQ(0u, Pts_KindData<PtsByLineData>(c)->RecordFlags);
  EXPECT_EQ(PTS_KIND_BY_LINE2, c->Kind);
  u32 at = 0;
  for (int n = 1; n <= 6; ++n) {
    u32 count = 99;
    const u32* w = nullptr;
    ASSERT_EQ(0, Pts_GetPositionList(kX, kY, 0, n, &count, &w, 0));
    EXPECT_EQ(counts[n - 1], count) << n;
    EXPECT_EQ(Words(words.begin() + at, words.begin() + at + count), Words(w, w + count)) << n;
    at += count;
  }
  EXPECT_EQ(3, Pts_GetPositionList(kX, kY, 0, 7, nullptr, nullptr, 0));
  EXPECT_EQ(3, Pts_GetPositionList(kX, kY, 0, 0, nullptr, nullptr, 0));

  // Damaged lists are refused and the record stays.
  const Words odd = {3, 0, 4};
  const u32 oddCounts[6] = {0, 0, 0, 3, 0, 0};
  EXPECT_EQ(3, Pts_SetPositionLists(kX, kY, 0, odd.data(), oddCounts, 0));
  const Words cut = {2, 8};  // a group of two lines with one given
  const u32 cutCounts[6] = {2, 0, 0, 0, 0, 0};
  EXPECT_EQ(3, Pts_SetPositionLists(kX, kY, 0, cut.data(), cutCounts, 0));
  u32 count = 0;
  ASSERT_EQ(0, Pts_GetPositionList(kX, kY, 0, 6, &count, nullptr, 0));
  EXPECT_EQ(2u, count);
}

// ---------------------------------------------------------------- branch rules

TEST_F(PtsTest, FixedKindsAndTheQuestion) {
  struct Case {
    u32 kind, userDriven, answer;
    u32 exit;
    int asked, messages;
  } cases[] = {
      {PTS_KIND_BRANCH1, 0, 0, kS, 0, 0},
      {PTS_KIND_BRANCH2, 0, 0, kSW, 0, 0},
      {PTS_KIND_BRANCH3, 0, 0, kSE, 0, 0},
      {PTS_KIND_BRANCH2, 1, 1, kSW, 0, 0},  // a driving user is not asked at fixed kinds
      {PTS_KIND_DISPATCH, 0, 0, kS, 0, 1},
      {PTS_KIND_DISPATCH, 1, 0, kS, 1, 0},  // asked instead of the message
      {PTS_KIND_DISPATCH, 1, 3, kSE, 1, 0},
      {PTS_KIND_DISPATCH, 1, PTS_USER_STOPPED, PTS_EXIT_STOPPED, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " " << c.userDriven << " " << c.answer);
    Pts_FreeAll();
    Dmsg_Clear();
    g_ask = AskLog();
    g_ask.answer = c.answer;
    Make(c.kind, true);
    train.StateFlags = c.userDriven ? u32(TRN_USER_DRIVEN) : 0u;
    u32 cap = 99;
    EXPECT_EQ(c.exit, Pts_ChooseExit(&train, kX, kY, 0, &cap));
    EXPECT_EQ(0u, cap);
    EXPECT_EQ(c.asked, g_ask.calls);
    if (c.asked) {
      EXPECT_EQ(1u, g_ask.proposed);
    }
    ASSERT_EQ(u32(c.messages), Dmsg_Count());
    if (c.messages) {
      const DispatcherMessage* m = Dmsg_Get(0);
      EXPECT_EQ(8u, m->Kind);
      EXPECT_EQ(kX, m->X);
      EXPECT_EQ(kY, m->Y);
      EXPECT_EQ(17, m->Number);
      EXPECT_EQ(4u, m->CurLine);
      EXPECT_EQ(3u, m->Line);
      EXPECT_EQ(0u, m->Data);
    }
  }
  // Without the hook the proposed branch is taken, as when the question is
  // closed.
  Pts_SetHooks(nullptr);
  train.StateFlags = TRN_USER_DRIVEN;
  Pts_FreeAll();
  Make(PTS_KIND_DISPATCH);
  EXPECT_EQ(kS, Pts_ChooseExit(&train, kX, kY, 0, nullptr));
  // No controller: no exit.
  EXPECT_EQ(0u, Pts_ChooseExit(&train, kX + 1, kY, 0, nullptr));
}

TEST_F(PtsTest, CyclicCountersGoRound) {
  const u32 noTimes[3] = {0, 0, 0};
  struct Case {
    u32 counts[3], start;
    std::vector<u32> branches;
  } cases[] = {
      {{2, 1, 0}, 0, {1, 1, 2, 1, 1, 2}}, {{1, 1, 1}, 0, {1, 2, 3, 1, 2, 3}}, {{2, 1, 0}, 1, {1, 2, 1, 1, 2}},
      {{0, 2, 1}, 0, {2, 2, 3, 2, 2, 3}}, {{1, 0, 2}, 2, {3, 1, 3, 3}},
  };
  for (const Case& c : cases) {
    Pts_FreeAll();
    TurnoutController* t = Make(PTS_KIND_CYCLIC, true);
    ASSERT_EQ(0, Pts_SetCyclic(kX, kY, 0, c.counts, c.start, noTimes, noTimes, 0));
    std::vector<u32> got;
    for (size_t i = 0; i < c.branches.size(); ++i) {
      const u32 peek = Pts_PeekBranch(t, &train, 0);
      EXPECT_EQ(peek, Pts_PeekBranch(t, &train, 0)) << "a look-ahead moves nothing";
      got.push_back(Choose(t));
      EXPECT_EQ(peek, got.back());
    }
    EXPECT_EQ(c.branches, got) << c.counts[0] << c.counts[1] << c.counts[2] << " from " << c.start;
  }
}

// Every branch keeps its share of the weights, up to the largest weights.
TEST_F(PtsTest, WeightedBranchesKeepTheirShares) {
  struct Case {
    u32 weights[3];
    double share[3];
  } cases[] = {
      {{65535, 65535, 65535}, {1.0 / 3, 1.0 / 3, 1.0 / 3}},
      {{65535, 0, 65535}, {0.5, 0, 0.5}},
      {{1, 1, 0}, {0.5, 0.5, 0}},
      {{10000, 30000, 60000}, {0.1, 0.3, 0.6}},
      {{3, 1, 0}, {0.75, 0.25, 0}},
  };
  const int draws = 30000;
  for (i32 seed : {4711, -1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << ", weights " << c.weights[0] << "," << c.weights[1] << ","
                                      << c.weights[2]);
      Rnd_SetLayoutSeed(seed);
      Pts_FreeAll();
      TurnoutController* t = Make(PTS_KIND_RANDOM, true);
      ASSERT_EQ(0, Pts_SetWeights(kX, kY, 0, c.weights, 0));
      int n[4] = {0, 0, 0, 0};
      for (int i = 0; i < draws; ++i) {
        const u32 peek = Pts_PeekBranch(t, &train, 0);
        const u32 b = Choose(t);
        ASSERT_EQ(peek, b) << "the look-ahead tells the branch the next train takes";
        ASSERT_GE(b, 1u);
        ASSERT_LE(b, 3u);
        ++n[b];
      }
      for (int b = 1; b <= 3; ++b) {
        if (c.share[b - 1] == 0) EXPECT_EQ(0, n[b]) << b;
        else EXPECT_NEAR(c.share[b - 1], double(n[b]) / draws, 0.02) << b;
      }
    }
  }
}

TEST_F(PtsTest, ByTrainStateCategoryAndType) {
  enum { S = PTS_MASK_STATE, C1 = PTS_MASK_TYPES_CAT1, C2 = PTS_MASK_TYPES_CAT2, C3 = PTS_MASK_TYPES_CAT3 };
  struct Mask {
    int branch, word;
    u32 bits;
  };
  struct Case {
    const char* what;
    std::vector<Mask> masks;
    u32 flags, category, type;
    u32 branch;  // 0: random
  } cases[] = {
      {"no masks", {}, 0, 1, 1, 0},
      {"type of category 1", {{2, C1, 1u << 2}}, 0, 1, 3, 2},
      {"the same type of category 2 does not count", {{2, C1, 1u << 2}}, 0, 2, 3, 0},
      {"category 2", {{3, C2, 1u << 2}}, 0, 2, 3, 3},
      {"any other category uses the third word", {{1, C3, 1u << 9}}, 0, 7, 10, 1},
      {"type 0 is bit 31", {{2, C1, 1u << 31}}, 0, 1, 0, 2},
      {"branch 3 before 2 before 1", {{1, C1, 1}, {2, C1, 1}, {3, C1, 1}}, 0, 1, 1, 3},
      {"state before type", {{1, C1, 1}, {2, S, PTS_STATE_SERVICE}}, TRN_IN_SERVICE, 1, 1, 2},
      {"in service, flagged", {{3, S, PTS_STATE_SERVICE_FLAGGED}}, TRN_IN_SERVICE | TRN_FLAGGED_START, 1, 1, 3},
      {"at a place", {{1, S, PTS_STATE_PLACE}}, TRN_AT_PLACE | TRN_IN_SERVICE, 1, 1, 1},
      {"at a place, flagged", {{2, S, PTS_STATE_PLACE_FLAGGED}}, TRN_AT_PLACE | TRN_FLAGGED_START, 1, 1, 2},
      {"a place counts before service", {{2, S, PTS_STATE_SERVICE}}, TRN_AT_PLACE | TRN_IN_SERVICE, 1, 1, 0},
      {"a state no mask holds falls to the type", {{3, S, PTS_STATE_PLACE}, {1, C1, 1}}, TRN_IN_SERVICE, 1, 1, 1},
  };
  for (bool three : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.what << (three ? ", three branches" : ", two branches"));
      Pts_FreeAll();
      TurnoutController* t = Make(PTS_KIND_BY_TRAIN, three);
      u32 masks[12] = {0};
      for (const Mask& m : c.masks) masks[(m.branch - 1) * 4 + m.word] |= m.bits;
      ASSERT_EQ(0, Pts_SetClassMasks(kX, kY, 0, masks, 0));
      train.StateFlags = c.flags;
      train.Category = c.category;
      train.Type = c.type;
      if (c.branch) {
        EXPECT_EQ(c.branch, Pts_PeekBranch(t, &train, 0));
        EXPECT_EQ(c.branch, Choose(t));
        continue;
      }
      std::set<u32> peeked, chosen;
      for (int i = 0; i < 200; ++i) {
        peeked.insert(Pts_PeekBranch(t, &train, 0));
        chosen.insert(Choose(t));
      }
      const u32 m = PTS_MAY_CHANGE;
      EXPECT_EQ(three ? std::set<u32>({1 | m, 2 | m, 3 | m}) : std::set<u32>({1 | m, 2 | m}), peeked);
      EXPECT_EQ(three ? std::set<u32>({1, 2, 3}) : std::set<u32>({1, 2}), chosen);
    }
  }
}

// A list is on when it is empty (the signal store answers for no id yet, so
// a list with an id is off); list 3 counts only on a three-branch turnout.
TEST_F(PtsTest, BySignalsListsAndPriorities) {
  struct Case {
    const char* on;  // the lists that are on, e.g. "12"
    bool three;
    u32 priority;
    std::set<u32> branches;
  } cases[] = {
      {"12", false, 0, {1, 2}},      {"12", true, 0, {1, 2}},
      {"123", true, 0, {1, 2, 3}},   {"123", false, 0, {1, 2}},  // list 3 is off without a third branch
      {"", false, 0, {4}},           {"", true, 0, {4}},
      {"3", false, 0, {4}},          {"1", true, 0, {1}},
      {"2", true, 0x7F, {2}},        {"3", true, 0, {3}},
      {"12", false, 1, {1}},         {"12", false, 2, {2}},
      {"12", false, 3, {1}},         {"12", false, 16, {1}},
      {"12", false, 32, {2}},        {"12", false, 48, {1}},
      {"12", false, 2 | 16, {2}},    {"12", false, 4 | 64, {1, 2}},
      {"13", true, 1, {1}},          {"13", true, 4, {3}},
      {"13", true, 4 | 16, {3}},     {"13", true, 64, {3}},
      {"13", true, 2 | 32, {1, 3}},  {"23", true, 2, {2}},
      {"23", true, 4, {3}},          {"23", true, 64 | 32, {2}},
      {"23", true, 64, {3}},         {"23", true, 1 | 16, {2, 3}},
      {"123", true, 1 | 2 | 4, {1}}, {"123", true, 2 | 4, {2}},
      {"123", true, 4, {3}},         {"123", true, 16 | 32 | 64, {1, 2, 3}},
  };
  const i32 someId[1] = {5};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "on " << c.on << (c.three ? ", three" : ", two") << ", priority " << c.priority);
    Pts_FreeAll();
    TurnoutController* t = Make(PTS_KIND_BY_SIGNALS, c.three);
    u32 counts[3];
    const i32* lists[3];
    for (int i = 0; i < 3; ++i) {
      const bool on = std::strchr(c.on, '1' + i) != nullptr;
      counts[i] = on ? 0 : 1;
      lists[i] = on ? nullptr : someId;
    }
    ASSERT_EQ(0, Pts_SetElementLists(kX, kY, 0, c.priority, counts, lists, 0));
    std::set<u32> chosen;
    for (int i = 0; i < 100; ++i) {
      const u32 peek = Pts_PeekBranch(t, &train, 0);
      EXPECT_TRUE(peek & PTS_MAY_CHANGE) << "a look-ahead always may change";
      EXPECT_TRUE(c.branches.count(peek & ~u32(PTS_MAY_CHANGE)));
      chosen.insert(Choose(t));
    }
    EXPECT_EQ(c.branches, chosen);
  }
}

TEST_F(PtsTest, BySignalsWithoutABranchWaitsAndIsNotAsked) {
  Make(PTS_KIND_BY_SIGNALS);
  const i32 someId[1] = {5};
  const u32 counts[3] = {1, 1, 0};
  const i32* lists[3] = {someId, someId, nullptr};
  ASSERT_EQ(0, Pts_SetElementLists(kX, kY, 0, 0, counts, lists, 0));
  train.StateFlags = TRN_USER_DRIVEN;
  u32 cap = 99;
  EXPECT_EQ(PTS_EXIT_WAIT, Pts_ChooseExit(&train, kX, kY, 0, &cap));
  EXPECT_EQ(0u, cap);
  EXPECT_EQ(0, g_ask.calls);
  EXPECT_EQ(PTS_EXIT_WAIT, Pts_PeekExit(&train, kX, kY, 0, 0));
  // With a branch the driving user is asked.
  const u32 open[3] = {0, 1, 0};
  ASSERT_EQ(0, Pts_SetElementLists(kX, kY, 0, 0, open, lists, 0));
  EXPECT_EQ(kS, Pts_ChooseExit(&train, kX, kY, 0, &cap));
  EXPECT_EQ(1, g_ask.calls);
  EXPECT_EQ(kS | PTS_MAY_CHANGE, Pts_PeekExit(&train, kX, kY, 0, 0));
}

TEST_F(PtsTest, ByLineListsPlacesAndRecordedBranches) {
  // Line lists: 1 names line 4, 2 names line 5 for train numbers 17 (a
  // number list), 3 names line 6; place lists: 1 (depot 2, place 3), 2
  // (depot 2, any place), 3 (depot 8, place 1).
  const Words words = {1, 4, 0, 1, 5, 0x10000, 1, 17, 1, 6, 0, 2, 3, 2, 0, 8, 1};
  const u32 counts[6] = {3, 5, 3, 2, 2, 2};
  struct Case {
    u32 kind, flags, curLine, depot, place;
    i32 number;
    u32 branch;
  } cases[] = {
      {PTS_KIND_BY_LINE1, 0, 99, 0, 0, 17, 1},  // nothing matches: the kind's branch
      {PTS_KIND_BY_LINE2, 0, 99, 0, 0, 17, 2},
      {PTS_KIND_BY_LINE3, 0, 99, 0, 0, 17, 3},
      {PTS_KIND_BY_LINE3, 0, 4, 0, 0, 17, 1},  // line list 1
      {PTS_KIND_BY_LINE1, 0, 5, 0, 0, 17, 2},  // line list 2 with the number
      {PTS_KIND_BY_LINE1, 0, 5, 0, 0, 18, 1},  // another number
      {PTS_KIND_BY_LINE1, 0, 6, 0, 0, 1, 3},
      {PTS_KIND_BY_LINE1, TRN_IN_SERVICE, 6, 2, 3, 1, 1},  // a place before a line
      {PTS_KIND_BY_LINE1, TRN_IN_SERVICE, 6, 2, 9, 1, 2},  // any place of depot 2
      {PTS_KIND_BY_LINE1, TRN_IN_SERVICE, 99, 8, 1, 1, 3},
      {PTS_KIND_BY_LINE1, TRN_IN_SERVICE, 6, 8, 2, 1, 3},  // no place: the line
      {PTS_KIND_BY_LINE2, 0, 99, 2, 3, 1, 2},              // not in service: no places
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " line " << c.curLine << " depot " << c.depot << "/" << c.place);
    Pts_FreeAll();
    TurnoutController* t = Make(c.kind, true);
    ASSERT_EQ(0, Pts_SetPositionLists(kX, kY, 0, words.data(), counts, 0));
    t = const_cast<TurnoutController*>(Pts_Find(kX, kY, 0, 0));
    train.StateFlags = c.flags;
    train.CurLine = c.curLine;
    train.CurDepot = u16(c.depot);
    train.CurPlace = u16(c.place);
    train.Number = c.number;
    EXPECT_EQ(c.branch, Pts_PeekBranch(t, &train, 0));
    EXPECT_EQ(c.branch, Choose(t));
  }

  // Empty lists: always the kind's branch.
  Pts_FreeAll();
  TurnoutController* t = Make(PTS_KIND_BY_LINE1, true);
  train.StateFlags = TRN_IN_SERVICE;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(1u, Choose(t));

  // A look-ahead that records keeps its answer for the train that made it,
  // whatever train passes then; passing uses the record up.
  Pts_FreeAll();
  t = Make(PTS_KIND_BY_LINE1, true);
  ASSERT_EQ(0, Pts_SetPositionLists(kX, kY, 0, words.data(), counts, 0));
  t = const_cast<TurnoutController*>(Pts_Find(kX, kY, 0, 0));
  PtsByLineData* d = Pts_KindData<PtsByLineData>(t);
  train.StateFlags = 0;
  train.CurLine = 6;
  EXPECT_EQ(kSE, Pts_PeekExit(&train, kX, kY, 0, 0));
  EXPECT_EQ(0u, d->RecordFlags) << "a look-ahead without the record flag records nothing";
  EXPECT_EQ(kSE, Pts_PeekExit(&train, kX, kY, 0, 1));
  EXPECT_EQ(PTS_RECORD_BRANCH3, d->RecordFlags);
  train.CurLine = 4;
  EXPECT_EQ(kSE, Pts_PeekExit(&train, kX, kY, 0, 0)) << "the record answers";
  EXPECT_EQ(kSE, Pts_ChooseExit(&train, kX, kY, 0, nullptr));
  EXPECT_EQ(0u, d->RecordFlags);
  EXPECT_EQ(kS, Pts_ChooseExit(&train, kX, kY, 0, nullptr));
  // Each recorded bit gives its branch; clearing keeps the low 13 bits.
  const u32 bits[3] = {PTS_RECORD_BRANCH1, PTS_RECORD_BRANCH2, PTS_RECORD_BRANCH3};
  for (u32 b = 1; b <= 3; ++b) {
    d->RecordFlags = bits[b - 1] | 0x1234;
    EXPECT_EQ(b, Pts_PeekBranch(t, &train, 0));
    EXPECT_EQ(0, Pts_ClearRecordedBranch(kX, kY, 0));
    EXPECT_EQ(0x1234u, d->RecordFlags);
  }
  EXPECT_EQ(1, Pts_ClearRecordedBranch(kX + 1, kY, 0));
}

// ---------------------------------------------------------------- exits and caps

TEST_F(PtsTest, EntryConnectorsSwapSides) {
  const u32 pairs[][2] = {{1, 2}, {2, 1}, {4, 8}, {8, 4}, {16, 32}, {32, 16}, {64, 128}, {128, 64}, {0, 0}};
  for (const auto& p : pairs) EXPECT_EQ(p[1], Pts_EntryConnector(p[0])) << p[0];
  // A train running south (direction code 2) comes in through the north side.
  EXPECT_EQ(kN, Pts_EntryConnector(Trn_DirectionCode(0, 1)));
}

TEST_F(PtsTest, ExitsCarryTheirCaps) {
  TurnoutController fixed;
  std::memset(&fixed, 0, sizeof fixed);
  fixed.X = kX;
  fixed.Y = kY;
  fixed.Id = 1;
  fixed.Kind = PTS_KIND_BRANCH3;
  fixed.EntryDir = kN;
  fixed.Exit1 = kS;
  fixed.Exit2 = kSW;
  fixed.Exit3 = kSE;
  fixed.FacingCap1 = 11;
  fixed.TrailingCap1 = 12;
  fixed.FacingCap2 = 21;
  fixed.TrailingCap2 = 22;
  fixed.FacingCap3 = 31;
  fixed.TrailingCap3 = 32;
  TurnoutController* c = nullptr;
  ASSERT_EQ(0, Pts_Create(&fixed, &c));
  ASSERT_TRUE(c);
  u32 cap = 0;
  EXPECT_EQ(kSE, Pts_ChooseExit(&train, kX, kY, 0, &cap));
  EXPECT_EQ(31u, cap);
  c->Kind = PTS_KIND_BRANCH2;
  EXPECT_EQ(kSW, Pts_ChooseExit(&train, kX, kY, 0, &cap));
  EXPECT_EQ(21u, cap);

  // Trailing caps: the train comes in through a branch's side.
  struct Case {
    i32 dx, dy;
    u32 cap;
  } cases[] = {
      {0, -1, 12},   // north through branch 1 (south side)
      {1, -1, 22},   // north-east through branch 2 (south-west side)
      {-1, -1, 32},  // north-west through branch 3 (south-east side)
      {0, 1, 0},     // through the entry
      {1, 0, 0},
  };
  for (const Case& k : cases)
    EXPECT_EQ(k.cap, Pts_ExitForDirection(kX, kY, 0, Trn_DirectionCode(k.dx, k.dy))) << k.dx << "," << k.dy;
  EXPECT_EQ(0u, Pts_ExitForDirection(kX + 1, kY, 0, Trn_DirectionCode(0, -1)));

  fixed.Kind = 99;
  EXPECT_EQ(2, Pts_Create(&fixed, nullptr)) << "a kind without rules";
}

TEST_F(PtsTest, PartControllersByEntryConnector) {
  // A combined piece: part 1 entered from the north, part 2 from the south;
  // part 2 answers branch 2, part 1 a branch 3 that part controllers lack.
  ASSERT_EQ(0, Pts_SetById(kX, kY, 0, 0, kN, kS, kSE, kSW, 9, PTS_KIND_BRANCH3, 1));
  ASSERT_EQ(0, Pts_SetById(kX, kY, 0, 0, kS, kN, kNW, 0, 9, PTS_KIND_BRANCH2, 2));
  TurnoutController* p2 = const_cast<TurnoutController*>(Pts_Find(kX, kY, 0, 2));
  p2->FacingCap2 = 40;
  u32 cap = 0;
  EXPECT_EQ(kNW, Pts_ChooseExitPart(&train, kX, kY, 0, Trn_DirectionCode(0, -1), &cap));
  EXPECT_EQ(40u, cap);
  EXPECT_EQ(0u, Pts_ChooseExitPart(&train, kX, kY, 0, Trn_DirectionCode(0, 1), &cap));
  EXPECT_EQ(0u, Pts_ChooseExitPart(&train, kX, kY, 0, Trn_DirectionCode(1, 0), &cap)) << "no part for the east";
  EXPECT_EQ(kNW, Pts_PeekExitPart(&train, kX, kY, 0, 0, Trn_DirectionCode(0, -1)));
  EXPECT_EQ(0u, Pts_ChooseExit(&train, kX, kY, 0, &cap)) << "no single controller";
  EXPECT_EQ(0u, cap);
}

// ---------------------------------------------------------------- clock

TEST_F(PtsTest, ResetTimesFireAtTheirSecond) {
  Make(PTS_KIND_CYCLIC, true);
  // Weekday 2 (Tuesday) 8:00:30; Monday and Tuesday at 8:01:00; Monday only.
  const u32 counts[3] = {3, 3, 3}, times[3] = {0x02080000 | 30, 0x03080100, 0x01080000 | 30};
  const u32 starts[3] = {4, 7, 1};
  ASSERT_EQ(0, Pts_SetCyclic(kX, kY, 0, counts, 0, times, starts, 0));
  const PtsCyclicData* d = Pts_KindData<PtsCyclicData>(Pts_Find(kX, kY, 0, 0));
  ViaTimer = 0;
  g_simClock.weekday = 2;
  g_simClock.hour = 8;
  g_simClock.minute = 0;
  g_simClock.second = 28;
  g_simClock.tick = 0;
  std::vector<std::pair<int, u32>> changes;  // second of the day's minute, counter
  u32 last = d->Counter;
  for (int tick = 0; tick < 100 * 40; ++tick) {
    Clk_Tick();
    if (d->Counter != last) changes.push_back({g_simClock.minute * 60 + g_simClock.second, d->Counter});
    last = d->Counter;
  }
  EXPECT_EQ((std::vector<std::pair<int, u32>>{{30, 9 - 4}, {60, 9 - 7}}), changes);
}

// ---------------------------------------------------------------- reference hooks

TEST_F(PtsTest, LineHooksKeepTheListsValid) {
  // Line list 1: lines 4 and 5; 2: line 5 alone; 3: line 6; place list 1:
  // (2, 3); the place lists follow the line lists in the record.
  const Words words = {2, 4, 5, 0, 1, 5, 0, 1, 6, 0, 2, 3};
  const u32 counts[6] = {4, 3, 3, 2, 0, 0};
  Make(PTS_KIND_BY_LINE1, true);
  ASSERT_EQ(0, Pts_SetPositionLists(kX, kY, 0, words.data(), counts, 0));
  Make(PTS_KIND_BRANCH1, false, kX + 1);
  auto list = [](int n) {
    u32 count = 0;
    const u32* w = nullptr;
    EXPECT_EQ(0, Pts_GetPositionList(kX, kY, 0, n, &count, &w, 0));
    return Words(w, w + count);
  };

  EXPECT_EQ(1, Pts_OnLineCopied(9, 5));
  EXPECT_EQ((Words{3, 4, 5, 9, 0}), list(1));
  EXPECT_EQ((Words{2, 5, 9, 0}), list(2));
  EXPECT_EQ((Words{1, 6, 0}), list(3));
  EXPECT_EQ((Words{2, 3}), list(4));
  EXPECT_EQ(0, Pts_OnLineCopied(10, 77)) << "no list names line 77";

  Pts_OnLineDeleted(5);
  EXPECT_EQ((Words{2, 4, 9, 0}), list(1));
  EXPECT_EQ((Words{1, 9, 0}), list(2));
  EXPECT_EQ((Words{1, 6, 0}), list(3));
  EXPECT_EQ((Words{2, 3}), list(4));
  Pts_OnLineDeleted(6);
  EXPECT_EQ((Words{}), list(3));
  EXPECT_EQ((Words{2, 3}), list(4));

  // The next controller in a box whose line lists hold a line.
  Make(PTS_KIND_BY_LINE2, false, kX + 40);
  ASSERT_EQ(0, Pts_SetPositionLists(kX + 40, kY, 0, words.data(), counts, 0));
  i32 x = 0, y = 0, level = 0;
  u32 id = 0;
  EXPECT_EQ(1, Pts_NextWithLineInBox(6, kX + 50, kY + 1, 0, kX - 1, kY - 1, -4, &x, &y, &level, &id));
  EXPECT_EQ(kX + 40, x);
  EXPECT_EQ(Pts_GetBoundId(kX + 40, kY, 0), id);
  x = -1;
  EXPECT_EQ(0, Pts_NextWithLineInBox(6, kX + 50, kY + 1, 0, kX - 1, kY - 1, -4, &x, &y, &level, &id));
  x = 0;
  EXPECT_EQ(1, Pts_NextWithLineInBox(4, kX + 50, kY + 1, 0, kX - 1, kY - 1, -4, &x, &y, &level, &id));
  EXPECT_EQ(kX, x);
  x = -1;
  EXPECT_EQ(1, Pts_NextWithLineInBox(4, kX + 50, kY + 1, 0, kX - 1, kY - 1, -4, &x, &y, &level, &id));
  EXPECT_EQ(kX + 40, x);
  x = 0;
  EXPECT_EQ(1, Pts_NextWithLineInBox(4, kX + 10, kY, 0, kX + 50, kY, 0, &x, &y, &level, &id));
  EXPECT_EQ(kX + 40, x) << "only inside the box";
}

TEST_F(PtsTest, PlaceHooksKeepTheListsValid) {
  // Place lists: (2, 3) (2, 0) (3, 3); (2, 3); (4, 1); a line list before.
  const Words words = {1, 4, 0, 2, 3, 2, 0, 3, 3, 2, 3, 4, 1};
  const u32 counts[6] = {3, 0, 0, 6, 2, 2};
  Make(PTS_KIND_BY_LINE1, true);
  ASSERT_EQ(0, Pts_SetPositionLists(kX, kY, 0, words.data(), counts, 0));
  auto list = [](int n) {
    u32 count = 0;
    const u32* w = nullptr;
    EXPECT_EQ(0, Pts_GetPositionList(kX, kY, 0, n, &count, &w, 0));
    return Words(w, w + count);
  };
  Pts_OnDepotPlaceStored(2, 3, 5);
  EXPECT_EQ((Words{2, 5, 2, 0, 3, 3}), list(4));
  EXPECT_EQ((Words{2, 5}), list(5));
  Pts_OnDepotPlaceDeleted(2, 5);
  EXPECT_EQ((Words{2, 0, 3, 3}), list(4)) << "a pair for every place stays";
  EXPECT_EQ((Words{}), list(5));
  EXPECT_EQ((Words{4, 1}), list(6));
  Pts_OnDepotPlaceDeleted(3, 0);
  EXPECT_EQ((Words{2, 0}), list(4)) << "place 0: every place of the depot";
  EXPECT_EQ((Words{1, 4, 0}), list(1));
}

TEST_F(PtsTest, SignalHooksEmptyTheListsThatHoldAnId) {
  const i32 l1[2] = {7, 8}, l2[1] = {-7}, l3[1] = {7};
  const i32* lists[3] = {l1, l2, l3};
  const u32 counts[3] = {2, 1, 1};
  Make(PTS_KIND_BY_SIGNALS, false);  // list 3 does not count without a third branch
  ASSERT_EQ(0, Pts_SetElementLists(kX, kY, 0, 0, counts, lists, 0));
  Make(PTS_KIND_BY_SIGNALS, true, kX + 5);
  const i32 only3[1] = {7};
  const i32* lists2[3] = {nullptr, nullptr, only3};
  const u32 counts2[3] = {0, 0, 1};
  ASSERT_EQ(0, Pts_SetElementLists(kX + 5, kY, 0, 0, counts2, lists2, 0));

  EXPECT_EQ(2u, Pts_CountInstallationUse(7));
  EXPECT_EQ(1u, Pts_CountInstallationUse(8));
  EXPECT_EQ(0u, Pts_CountInstallationUse(9));
  EXPECT_EQ(1, Pts_InstallationUsedInBox(8, kX, kY, 0, kX, kY, 0));
  EXPECT_EQ(0, Pts_InstallationUsedInBox(8, kX + 1, kY, 0, kX + 9, kY, 0));
  EXPECT_EQ(1, Pts_InstallationUsedInBox(7, kX + 9, kY, 0, kX + 1, kY, 0));

  Pts_OnInstallationDeleted(7);
  u32 got[3];
  ASSERT_EQ(0, Pts_GetListsKind15(kX, kY, 0, nullptr, got, nullptr, 0));
  EXPECT_EQ((Words{0, 0, 1}), Words(got, got + 3)) << "the negated id too; list 3 is not looked at";
  ASSERT_EQ(0, Pts_GetListsKind15(kX + 5, kY, 0, nullptr, got, nullptr, 0));
  EXPECT_EQ((Words{0, 0, 0}), Words(got, got + 3));
  EXPECT_EQ(0u, Pts_CountInstallationUse(8));
}

// ---------------------------------------------------------------- region hooks

TEST_F(PtsTest, RegionHooks) {
  // Cells in and out of the box 10..20 x 10..20 on level 0.
  const i32 cells[][2] = {{10, 10}, {20, 20}, {15, 12}, {21, 15}, {15, 9}};
  u32 id = 1;
  for (const auto& c : cells) ASSERT_EQ(0, Pts_SetById(c[0], c[1], 0, 0, kN, kS, kSW, 0, id++, PTS_KIND_BRANCH1, 0));
  Pts_MoveBlock(20, 20, 0, 10, 10, 0, 33, 1, -1);
  EXPECT_FALSE(Pts_Find(10, 10, 0, -1));
  EXPECT_EQ(1u, Pts_GetBoundId(43, 11, -1)) << "found in its new bucket";
  EXPECT_EQ(2u, Pts_GetBoundId(53, 21, -1));
  EXPECT_EQ(3u, Pts_GetBoundId(48, 13, -1));
  EXPECT_EQ(4u, Pts_GetBoundId(21, 15, 0));
  EXPECT_EQ(5u, Pts_GetBoundId(15, 9, 0));

  // Doubling from the box's first corner (no trains there).
  Pts_ScaleBlock(43, 11, -1, 53, 21, -1, 1, 2, 1, 2);
  EXPECT_EQ(1u, Pts_GetBoundId(43, 11, -1));
  EXPECT_EQ(2u, Pts_GetBoundId(63, 31, -1));
  EXPECT_EQ(3u, Pts_GetBoundId(53, 15, -1));

  Pts_DeleteInBox(0, 0, 0, 30, 30, 0);
  EXPECT_EQ(3u, Count());
  EXPECT_EQ(0u, Pts_GetBoundId(21, 15, 0));
  EXPECT_EQ(1u, Pts_GetBoundId(43, 11, -1));
}

}  // namespace

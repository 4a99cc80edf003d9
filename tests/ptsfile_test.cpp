// Turnout controllers in the layout file: the section round trip for every
// kind, records dropped with their turnout piece, the older forms, and the
// connector words of turnout pieces.
#include "operation/ptsfile.h"

#include <gtest/gtest.h>

#include <vector>

#include <cstring>

#include "model/dep.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/line.h"
#include "model/rule.h"
#include "model/zugtext.h"
#include "operation/pts.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

// Turnout pieces: shape 48 has two branches (west in; east, south-east),
// shape 72 three.
enum : CellCode { kTwo = 48, kThree = 72 };

class PtsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Pts_FreeAll();
    Lin_Init();
    Lin_Clear();
  }
  void TearDown() override {
    Pts_FreeAll();
    Grid_Clear();
    Lin_Clear();
  }
  // A single controller of the kind on a turnout piece at (x, 10).
  void Make(i32 x, u32 kind, CellCode piece, u32 id = 0) {
    ASSERT_EQ(1, Grid_SetCell(x, 10, 0, piece));
    u32 w[4];
    ASSERT_EQ(0, Pts_TileConnections(piece, w));
    ASSERT_EQ(0, Pts_SetById(x, 10, 0, 1, w[0], w[1], w[2], w[3], id ? id : Pts_NextFreeId(), kind, 0));
  }
  static Bytes Save() { return Test_SaveSection(Pts_SaveSection); }
  static int Load(const Bytes& b, u16 version = LAY_VERSION) { return Test_LoadSection(b, Pts_LoadSection, version); }
};

TEST_F(PtsFileTest, TileConnections) {
  struct Case {
    u32 code;
    int result;
    u32 w[4];
  } cases[] = {
      {12, 0, {1, 32, 2, 16}},   {48, 0, {4, 8, 16, 0}},      {0x1000 | 48, 0, {4, 8, 16, 0}},
      {72, 0, {2, 1, 32, 128}},  {480, 0, {2, 1, 32, 128}},   {495, 0, {64, 128, 1, 8}},
      {95, 0, {64, 128, 1, 4}},  {70, 0, {128, 2, 4, 0}},     {100, 1, {7, 7, 7, 7}},
      {40000, 1, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    u32 w[4] = {7, 7, 7, 7};
    EXPECT_EQ(c.result, Pts_TileConnections(c.code, w)) << c.code;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.w[i], w[i]) << c.code << " word " << i;
  }
}

TEST_F(PtsFileTest, ExpandOldMask) {
  struct Case {
    u32 old;
    u32 w[4];
  } cases[] = {
      {0, {0, 0, 0, 0}},          {1, {3, 0, 0, 0}},          {0x1F, {0x3FF, 0, 0, 0}},
      {0x20, {0, 0x3FF, 0, 0}},   {0x40, {0, 0, 0x3FF, 0}},   {0xF00, {0, 0, 0, 15}},
      {0x104, {16, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    u32 w[4] = {9, 9, 9, 9};
    Pts_ExpandOldMask(w, c.old);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.w[i], w[i]) << c.old << " word " << i;
  }
}

TEST_F(PtsFileTest, EveryKindRoundTrips) {
  Make(1, PTS_KIND_DISPATCH, kTwo);
  Make(2, PTS_KIND_BRANCH3, kThree);
  Make(3, PTS_KIND_CYCLIC, kThree);
  const u32 counts[3] = {2, 1, 3}, times[3] = {0x01070809, 0, 0x7F000000 | 0x0C0000}, starts[3] = {4, 0, 0};
  ASSERT_EQ(0, Pts_SetCyclic(3, 10, 0, counts, 1, times, starts, 0));
  Make(4, PTS_KIND_RANDOM, kTwo);
  const u32 weights[3] = {65535, 7, 0};
  ASSERT_EQ(0, Pts_SetWeights(4, 10, 0, weights, 0));
  Make(5, PTS_KIND_BY_TRAIN, kThree);
  u32 masks[12];
  for (u32 i = 0; i < 12; ++i) masks[i] = 0x10001u * (i + 1);
  ASSERT_EQ(0, Pts_SetClassMasks(5, 10, 0, masks, 0));
  Make(6, PTS_KIND_BY_SIGNALS, kTwo);
  const i32 l1[2] = {7, -9}, l3[1] = {4};
  const u32 sc[3] = {2, 0, 1};
  const i32* lists[3] = {l1, nullptr, l3};
  ASSERT_EQ(0, Pts_SetElementLists(6, 10, 0, 0x21, sc, lists, 0));
  Make(7, PTS_KIND_BY_LINE2, kThree, 40);
  const u32 words[] = {1, 5, 0, 2, 6, 7, 0, 3, 1, 3, 0};
  const u32 lc[6] = {3, 4, 0, 2, 0, 2};
  ASSERT_EQ(0, Pts_SetPositionLists(7, 10, 0, words, lc, 0));
  TurnoutController* c7 = const_cast<TurnoutController*>(Pts_Find(7, 10, 0, 0));
  Pts_KindData<PtsByLineData>(c7)->RecordFlags = PTS_RECORD_BRANCH2;
  c7->FacingCap3 = 12000;
  c7->TrailingCap1 = 8000;

  const Bytes saved = Save();
  ASSERT_FALSE(saved.empty());
  Pts_FreeAll();
  ASSERT_EQ(0, Load(saved));
  EXPECT_EQ(7u, Pts_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr));
  EXPECT_EQ(saved, Save());
  // Spot checks through the getters.
  u32 gc[3], start, gt[3], gs[3];
  ASSERT_EQ(0, Pts_GetCyclic(3, 10, 0, gc, &start, gt, gs, 0));
  EXPECT_EQ(1u, start);
  EXPECT_EQ(times[2], gt[2]);
  EXPECT_EQ(4u, gs[0]);
  u32 gw[3];
  ASSERT_EQ(0, Pts_GetWeights(4, 10, 0, gw, 0));
  EXPECT_EQ(65535u, gw[0]);
  const TurnoutController* r7 = Pts_Find(7, 10, 0, 0);
  ASSERT_TRUE(r7);
  EXPECT_EQ(40u, r7->Id);
  EXPECT_EQ(12000u, r7->FacingCap3);
  EXPECT_EQ(u32(PTS_RECORD_BRANCH2), Pts_KindData<PtsByLineData>(r7)->RecordFlags);
}

TEST_F(PtsFileTest, TwoBranchesWriteFourCapsThreeSix) {
  Make(1, PTS_KIND_BRANCH1, kTwo);
  const size_t two = Save().size();
  Pts_FreeAll();
  Make(1, PTS_KIND_BRANCH1, kThree);
  EXPECT_EQ(two + 8, Save().size());
}

TEST_F(PtsFileTest, AResetTimeOfZeroWritesNoValue) {
  Make(1, PTS_KIND_CYCLIC, kTwo);
  const u32 counts[3] = {1, 1, 0}, none[3] = {0, 0, 0}, one[3] = {0x01000000 | 0x0A0000, 0, 0};
  ASSERT_EQ(0, Pts_SetCyclic(1, 10, 0, counts, 0, none, none, 0));
  const size_t without = Save().size();
  ASSERT_EQ(0, Pts_SetCyclic(1, 10, 0, counts, 0, one, none, 0));
  EXPECT_EQ(without + 2, Save().size());
}

TEST_F(PtsFileTest, RecordsWithoutTheirTurnoutPieceAreDropped) {
  Make(1, PTS_KIND_BRANCH1, kTwo, 3);
  Make(2, PTS_KIND_CYCLIC, kTwo, 5);
  const u32 counts[3] = {1, 1, 0}, none[3] = {0, 0, 0};
  ASSERT_EQ(0, Pts_SetCyclic(2, 10, 0, counts, 0, none, none, 0));
  Make(3, PTS_KIND_BRANCH2, kTwo, 8);
  const Bytes saved = Save();
  Grid_SetCell(2, 10, 0, 0);  // plain track now
  ASSERT_EQ(0, Load(saved));
  EXPECT_TRUE(Pts_Find(1, 10, 0, 0));
  EXPECT_FALSE(Pts_Find(2, 10, 0, 0));
  EXPECT_EQ(8u, Pts_GetBoundId(3, 10, 0));
}

TEST_F(PtsFileTest, DamagedSectionsAreRefused) {
  Make(1, PTS_KIND_BY_SIGNALS, kTwo);
  Bytes b = Save();
  // The first list count of the one record (tag, count, position, id,
  // kind, four connector words, option, part, four caps): 61.
  const size_t at = 4 + 4 + 5 + 4 + 1 + 8 + 4 + 2 + 16;
  b[at] = 61;
  EXPECT_EQ(3, Load(b));
  Bytes tag = Save();
  tag[0] = 'X';
  EXPECT_EQ(3, Load(tag));
  // A list count beyond what a rule text can hold is refused before any
  // memory is asked for.
  Pts_FreeAll();
  Make(1, PTS_KIND_BY_LINE1, kTwo);
  Bytes lines = Save();
  const size_t lcAt = 4 + 4 + 5 + 4 + 1 + 8 + 4 + 2 + 16;
  lines[lcAt + 3] = 0x7F;
  EXPECT_EQ(3, Load(lines));
  // A kind without rules.
  Pts_FreeAll();
  Make(1, PTS_KIND_BRANCH1, kTwo);
  Bytes kind = Save();
  kind[4 + 4 + 5 + 4] = 7;
  EXPECT_EQ(3, Load(kind));
  // Cut short: the stream's code.
  Bytes cut(lines.begin(), lines.begin() + 20);
  EXPECT_NE(0, Load(cut));
}

// Records of a file of version 14170 (0x375A, the first with parts) and of
// 14336 (0x3800, the last with u16 ids), both before 14389 and before 14344
// (no option): "WE", u32 count, u16 x, u16 y, u16 id, kind byte, four u16
// words, part, then the old kind data.
TEST_F(PtsFileTest, OlderFormsLoad) {
  ASSERT_EQ(1, Grid_SetCell(20, 10, 0, kThree));
  ASSERT_EQ(1, Grid_SetCell(21, 10, 0, kTwo));
  ASSERT_EQ(1, Grid_SetCell(22, 10, 0, kTwo));
  Bytes b;
  Test_Put16(b, PTS_TAG_OLD);
  Test_Put32(b, 3);
  auto head = [&](i32 x, u32 id, u8 kind, bool three) {
    Test_Put16(b, u32(x));
    Test_Put16(b, 10);
    Test_Put16(b, id);
    b.push_back(kind);
    Test_Put16(b, 2);
    Test_Put16(b, 1);
    Test_Put16(b, 32);
    Test_Put16(b, three ? 128 : 0);
    Test_Put16(b, 0);  // part
  };
  head(20, 9, PTS_KIND_BY_TRAIN, true);
  Test_Put16(b, 0x21);  // branch 1: types 1, 2 and all of category 2
  Test_Put16(b, 0x100);
  Test_Put16(b, 0);
  Test_Put16(b, 0xAAAA);  // two words skipped
  Test_Put16(b, 0xBBBB);
  head(21, 4, PTS_KIND_CYCLIC, false);
  Test_Put16(b, 2);
  Test_Put16(b, 1);
  Test_Put16(b, 0);
  Test_Put16(b, 2);  // counter
  Test_Put16(b, 0x0715);  // 07:21 every day
  Test_Put16(b, 3);
  Test_Put16(b, 0xFF00);  // none
  Test_Put16(b, 0);
  Test_Put16(b, 0xFF00);
  Test_Put16(b, 0);
  head(22, 2, PTS_KIND_BY_LINE1, false);
  // Six u16 counts: line list 1 one (line, flags) entry; place list 3 one depot.
  for (u32 n : {2u, 0u, 0u, 0u, 0u, 1u}) Test_Put16(b, n);
  Test_Put16(b, 6);
  Test_Put16(b, 0);
  Test_Put16(b, 11);
  for (u16 version : {u16(0x375A), u16(0x3800)}) {
    SCOPED_TRACE(version);
    ASSERT_EQ(0, Load(b, version));
    u32 masks[12];
    ASSERT_EQ(0, Pts_GetClassMasks(20, 10, 0, masks, 0));
    EXPECT_EQ(3u, masks[0]);
    EXPECT_EQ(0x3FFu, masks[1]);
    EXPECT_EQ(0u, masks[3]);
    EXPECT_EQ(0u, masks[4]);
    EXPECT_EQ(1u, masks[7]);  // branch 2: state bit 1
    u32 counts[3], start, times[3], starts[3];
    ASSERT_EQ(0, Pts_GetCyclic(21, 10, 0, counts, &start, times, starts, 0));
    EXPECT_EQ(1u, start);
    EXPECT_EQ(0x7F000000u | 7u << 16 | 0x15u << 8, times[0]);
    EXPECT_EQ(0u, times[1]);
    const u32* w = nullptr;
    u32 n = 0;
    ASSERT_EQ(0, Pts_GetPositionList(22, 10, 0, 1, &n, &w, 0));
    ASSERT_EQ(3u, n);
    EXPECT_EQ(1u, w[0]);
    EXPECT_EQ(6u, w[1]);
    ASSERT_EQ(0, Pts_GetPositionList(22, 10, 0, 6, &n, &w, 0));
    ASSERT_EQ(2u, n);
    EXPECT_EQ(11u, w[0]);
    // The list in id order whatever the file's order.
    EXPECT_EQ(22, Pts_First()->X);
  }
}

// The oldest form: one connector byte (the words from the piece), old kind
// numbers, the cyclic counts in bytes; records without an id get one.
TEST_F(PtsFileTest, TheOldestFormTakesConnectorsFromThePiece) {
  ASSERT_EQ(1, Grid_SetCell(30, 10, 0, kTwo));
  ASSERT_EQ(1, Grid_SetCell(31, 10, 0, kThree));
  Bytes b;
  Test_Put16(b, PTS_TAG_OLD);
  Test_Put16(b, 2);
  Test_Put16(b, 30);
  Test_Put16(b, 10);
  Test_Put16(b, 0);  // no id
  b.push_back(6);    // old cyclic
  b.push_back(0);    // connector byte
  b.push_back(2);    // counts 2, 1; a = 1: counter 1 + 1
  b.push_back(1);
  b.push_back(1);
  b.push_back(0);
  Test_Put16(b, 31);
  Test_Put16(b, 10);
  Test_Put16(b, 4);
  b.push_back(4);  // old "by line" becomes 21 ... which needs lists
  b.push_back(0);
  ASSERT_EQ(3, Load(b, 0x3501));  // the combined old list form is not known here
  // Without the line kind the file loads.
  b.resize(b.size() - 8);
  b[2] = 1;
  ASSERT_EQ(0, Load(b, 0x3501));
  const TurnoutController* c = Pts_Find(30, 10, 0, 0);
  ASSERT_TRUE(c);
  EXPECT_EQ(u32(PTS_KIND_CYCLIC), c->Kind);
  EXPECT_EQ(4u, c->EntryDir);
  EXPECT_EQ(8u, c->Exit1);
  EXPECT_EQ(16u, c->Exit2);
  EXPECT_EQ(1u, c->Id);
  u32 counts[3], start;
  ASSERT_EQ(0, Pts_GetCyclic(30, 10, 0, counts, &start, nullptr, nullptr, 0));
  EXPECT_EQ(2u, counts[0]);
  EXPECT_EQ(1u, counts[1]);
  EXPECT_EQ(1u, start);  // counter 2 of the total 3

  // A controller whose cell holds no turnout piece has no connectors and
  // is dropped; the rest of the section loads.
  ASSERT_EQ(1, Grid_SetCell(30, 10, 0, CELL_EMPTY));
  ASSERT_EQ(0, Load(b, 0x3501));
  EXPECT_EQ(nullptr, Pts_Find(30, 10, 0, 0));
}

TEST_F(PtsFileTest, OldShuntingControllersAreRefused) {
  ASSERT_EQ(1, Grid_SetCell(30, 10, 0, kTwo));
  Bytes b;
  Test_Put16(b, PTS_TAG_OLD);
  Test_Put16(b, 1);
  Test_Put16(b, 30);
  Test_Put16(b, 10);
  Test_Put16(b, 1);
  b.push_back(132);
  b.push_back(0);
  EXPECT_EQ(4, Load(b, 0x3501));
}

}  // namespace

// ---------------------------------------------------------------- clipboard block

namespace {

std::vector<wstr> g_clip;

int ClipAppend(const wch* line) {
  g_clip.push_back(line);
  return 0;
}
int ClipRead(i32 n, i32 size, wch* buf) {
  if (n < 0 || size_t(n) >= g_clip.size()) {
    buf[0] = 0;
    return 3;
  }
  const wstr& s = g_clip[size_t(n)];
  const size_t len = s.size() < size_t(size - 1) ? s.size() : size_t(size - 1);
  for (size_t i = 0; i < len; ++i) buf[i] = s[i];
  buf[len] = 0;
  return len < s.size() ? 1 : 0;
}
int PlaceName(i32 depot, i32 place, wch* longText, wch* shortText) {
  return Dep_FormatName(u32(depot), place, longText, shortText);
}

class PtsClipTest : public PtsFileTest {
 protected:
  void SetUp() override {
    PtsFileTest::SetUp();
    Dep_Clear();
    g_clip.clear();
    const PtsClipLines lines = {ClipAppend, ClipRead};
    Pts_SetClipLines(&lines);
    const RuleDepotHooks hooks = {nullptr, PlaceName};
    Rule_SetDepotHooks(&hooks);
  }
  void TearDown() override {
    Pts_SetClipLines(nullptr);
    Rule_SetDepotHooks(nullptr);
    Dep_Clear();
    PtsFileTest::TearDown();
  }
};

TEST_F(PtsClipTest, EveryKindRoundTripsThroughTheBlock) {
  LineId line = 0;
  ASSERT_EQ(0, Lin_Create(u"Ost", 0, 0, &line));
  DepotPlace place;
  std::memset(&place, 0, sizeof place);
  place.X = 3, place.Y = 3, place.Number = 2, place.Directions = 8;
  ASSERT_EQ(0, Dep_InsertPlace(5, u"Hafen", u"HF", &place));
  place.Number = 3;
  place.X = 4;
  ASSERT_EQ(0, Dep_InsertPlace(5, u"Hafen", u"HF", &place));

  Make(1, PTS_KIND_CYCLIC, kThree);
  const u32 counts[3] = {2, 1, 3}, times[3] = {0x01070809, 0, 0x7F0C0000}, starts[3] = {4, 0, 5};
  ASSERT_EQ(0, Pts_SetCyclic(1, 10, 0, counts, 2, times, starts, 0));
  Make(2, PTS_KIND_RANDOM, kTwo);
  const u32 weights[3] = {65535, 7, 0};
  ASSERT_EQ(0, Pts_SetWeights(2, 10, 0, weights, 0));
  Make(3, PTS_KIND_BY_TRAIN, kThree);
  u32 masks[12];
  for (u32 i = 0; i < 12; ++i) masks[i] = 0x10001u * (i + 1);
  ASSERT_EQ(0, Pts_SetClassMasks(3, 10, 0, masks, 0));
  Make(4, PTS_KIND_BY_SIGNALS, kTwo);
  const i32 l1[2] = {7, -9}, l3[1] = {4};
  const u32 sc[3] = {2, 0, 1};
  const i32* lists[3] = {l1, nullptr, l3};
  ASSERT_EQ(0, Pts_SetElementLists(4, 10, 0, 0x21, sc, lists, 0));
  Make(5, PTS_KIND_BY_LINE3, kThree);
  const u32 words[] = {1, line, 0, 5, 2, 5, 3};
  const u32 lc[6] = {0, 3, 0, 4, 0, 0};
  ASSERT_EQ(0, Pts_SetPositionLists(5, 10, 0, words, lc, 0));
  Make(6, PTS_KIND_DISPATCH, kTwo);
  Pts_DeleteAt(6, 10, 0, -1);  // outside the copied box anyway
  ASSERT_EQ(0, Pts_SetById(9, 12, 0, 0, 4, 8, 16, 0, 77, PTS_KIND_BRANCH2, 0));  // outside the box

  ASSERT_EQ(0, Pts_CopyToClip(0, 10, 0, 8, 10, 0));
  EXPECT_EQ(u"WEI_A", g_clip.front());
  EXPECT_EQ(u"WEI_E", g_clip.back());
  // The block moved 100 cells east.
  for (i32 x = 101; x <= 105; ++x) ASSERT_EQ(1, Grid_SetCell(x, 10, 0, Grid_GetCell(x - 100, 10, 0)));
  i32 lineNo = 0;
  ASSERT_EQ(0, Pts_PasteFromClip(&lineNo, 100, 0, 0));
  EXPECT_EQ(i32(g_clip.size()), lineNo);
  // The cyclic controller: the same counts, reset times and the values they
  // set; its counter starts at the total.
  u32 gc[3], start, gt[3], gs[3];
  ASSERT_EQ(0, Pts_GetCyclic(101, 10, 0, gc, &start, gt, gs, 0));
  EXPECT_EQ(0u, start);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(counts[i], gc[i]);
    EXPECT_EQ(times[i], gt[i]);
    EXPECT_EQ(times[i] ? starts[i] : 0u, gs[i]) << i;
  }
  u32 gw[3];
  ASSERT_EQ(0, Pts_GetWeights(102, 10, 0, gw, 0));
  EXPECT_EQ(65535u, gw[0]);
  EXPECT_EQ(7u, gw[1]);
  u32 gm[12];
  ASSERT_EQ(0, Pts_GetClassMasks(103, 10, 0, gm, 0));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(masks[i], gm[i]);
  u32 prio, gcnt[3];
  const i32* gl[3];
  ASSERT_EQ(0, Pts_GetListsKind15(104, 10, 0, &prio, gcnt, gl, 0));
  EXPECT_EQ(0x21u, prio);
  ASSERT_EQ(2u, gcnt[0]);
  EXPECT_EQ(-9, gl[0][1]);
  ASSERT_EQ(1u, gcnt[2]);
  const u32* w = nullptr;
  u32 n = 0;
  ASSERT_EQ(0, Pts_GetPositionList(105, 10, 0, 2, &n, &w, 0));
  ASSERT_EQ(3u, n);
  EXPECT_EQ(line, w[1]);
  ASSERT_EQ(0, Pts_GetPositionList(105, 10, 0, 4, &n, &w, 0));
  ASSERT_EQ(4u, n);
  EXPECT_EQ((std::vector<u32>{5, 2, 5, 3}), std::vector<u32>(w, w + 4));
  // New ids, the controller outside the box not copied.
  EXPECT_NE(Pts_GetBoundId(1, 10, 0), Pts_GetBoundId(101, 10, 0));
  EXPECT_FALSE(Pts_Find(109, 12, 0, -1));
}

TEST_F(PtsClipTest, PartsOfOneCellEndWithOneId) {
  ASSERT_EQ(1, Grid_SetCell(1, 10, 0, 88));
  ASSERT_EQ(0, Pts_SetById(1, 10, 0, 1, 1, 2, 64, 0, 3, PTS_KIND_BRANCH1, 1));
  ASSERT_EQ(0, Pts_SetById(1, 10, 0, 1, 2, 1, 32, 0, 3, PTS_KIND_BRANCH2, 2));
  ASSERT_EQ(0, Pts_CopyToClip(1, 10, 0, 1, 10, 0));
  i32 lineNo = 0;
  ASSERT_EQ(0, Pts_PasteFromClip(&lineNo, 0, 1, 0));
  const TurnoutController* a = Pts_Find(1, 11, 0, 1);
  const TurnoutController* b = Pts_Find(1, 11, 0, 2);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Id, b->Id);
  EXPECT_NE(3u, a->Id);
}

TEST_F(PtsClipTest, MalformedBlocksAndRefusedControllers) {
  Make(1, PTS_KIND_BRANCH1, kTwo);
  ASSERT_EQ(0, Pts_CopyToClip(0, 10, 0, 5, 10, 0));
  const std::vector<wstr> good = g_clip;
  // The last line is not "WEI_E".
  g_clip.back() = u"WEI_X";
  i32 lineNo = 0;
  EXPECT_EQ(4, Pts_PasteFromClip(&lineNo, 0, 5, 0));
  g_clip.pop_back();
  lineNo = 0;
  EXPECT_EQ(4, Pts_PasteFromClip(&lineNo, 0, 5, 0));
  g_clip = {u"WEI_B"};
  lineNo = 0;
  EXPECT_EQ(4, Pts_PasteFromClip(&lineNo, 0, 5, 0));
  // A kind without rules cannot be created: its cell is emptied.
  g_clip = good;
  g_clip[1].replace(g_clip[1].find(u",2,"), 3, u",31,");
  ASSERT_EQ(1, Grid_SetCell(1, 15, 0, kTwo));
  lineNo = 0;
  EXPECT_EQ(1, Pts_PasteFromClip(&lineNo, 0, 5, 0));
  EXPECT_EQ(u32(CELL_EMPTY), Grid_GetCell(1, 15, 0));
  // A signal list that does not read.
  Pts_FreeAll();
  Make(4, PTS_KIND_BY_SIGNALS, kTwo);
  const i32 l1[1] = {7};
  const u32 sc[3] = {1, 0, 0};
  const i32* lists[3] = {l1, nullptr, nullptr};
  ASSERT_EQ(0, Pts_SetElementLists(4, 10, 0, 0, sc, lists, 0));
  g_clip.clear();
  ASSERT_EQ(0, Pts_CopyToClip(4, 10, 0, 4, 10, 0));
  g_clip[3] = u"7 x";
  lineNo = 0;
  EXPECT_EQ(2, Pts_PasteFromClip(&lineNo, 0, 5, 0));
}

// A controller whose kind line is malformed or whose counts the setter
// refuses is not kept with no kind data: such a controller would copy into
// a block that does not paste back.
TEST_F(PtsClipTest, AControllerWithoutItsKindDataIsNotKept) {
  Make(1, PTS_KIND_CYCLIC, kThree);
  const u32 counts[3] = {2, 1, 3}, none[3] = {0, 0, 0};
  ASSERT_EQ(0, Pts_SetCyclic(1, 10, 0, counts, 0, none, none, 0));
  ASSERT_EQ(0, Pts_CopyToClip(1, 10, 0, 1, 10, 0));
  ASSERT_EQ(4u, g_clip.size());  // WEI_A, the controller, its counts, WEI_E
  const std::vector<wstr> good = g_clip;
  struct {
    const char* what;
    const char16_t* kindLine;
    int result;
  } cases[] = {
      {"counts the setter refuses", u"0,0,0,0,0,0,0,0,0", 1},
      {"a malformed kind line", u"2,1,3,1070809,2\u0100,7f0c0000,1", 4},
  };
  for (const auto& c : cases) {
    g_clip = good;
    g_clip[2] = c.kindLine;
    ASSERT_EQ(1, Grid_SetCell(1, 15, 0, kThree));
    i32 lineNo = 0;
    EXPECT_EQ(c.result, Pts_PasteFromClip(&lineNo, 0, 5, 0)) << c.what;
    EXPECT_FALSE(Pts_Find(1, 15, 0, -1)) << c.what;
  }
}

}  // namespace

// ---------------------------------------------------------------- text listing

namespace {

class PtsListingTest : public PtsFileTest {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(0, Test_LoadTexts()); }
  static wstr Listing() {
    EXPECT_EQ(0, Fio_OpenWriteMemory());
    Fio_SetTextMode(FIO_UTF16LE);
    EXPECT_EQ(0, Pts_ExportText());
    EXPECT_EQ(0, Fio_CloseWrite());
    u32 n = 0;
    u8* p = Fio_TakeWriteMemory(&n);
    wstr text = p ? wstr(reinterpret_cast<wch*>(p), n / 2) : wstr();
    Heap_Free(p);
    return text;
  }
};

TEST_F(PtsListingTest, EveryControllerWithItsKindData) {
  Make(3, PTS_KIND_CYCLIC, kTwo, 12);
  const u32 counts[3] = {2, 1, 0}, times[3] = {0x01070809, 0, 0}, starts[3] = {1, 0, 0};
  ASSERT_EQ(0, Pts_SetCyclic(3, 10, 0, counts, 1, times, starts, 0));
  Make(4, PTS_KIND_RANDOM, kThree, 13);
  const u32 weights[3] = {5, 6, 7};
  ASSERT_EQ(0, Pts_SetWeights(4, 10, 0, weights, 0));
  Make(5, PTS_KIND_BY_TRAIN, kTwo, 14);
  const u32 masks[12] = {0, 0, 0, 0, 0, 0, 0, PTS_STATE_SERVICE};
  ASSERT_EQ(0, Pts_SetClassMasks(5, 10, 0, masks, 0));
  Make(6, PTS_KIND_BY_LINE1, kTwo, 15);
  const wstr text = Listing();
  struct Want {
    const char16_t* piece;
  } wants[] = {
      {u"Turnout controllers\r\nControllers: 4\r\n"},
      {u"Cyclic: 1\r\nRandom: 1\r\nBy train: 1\r\nBy signals: 0\r\nBy line: 1\r\nSingle, two branches: 3\r\n"},
      {u"Turnout controller 12:\r\nCell:     3,   10,+0\r\nPiece: two branches\r\nKind: cyclic\r\n"},
      {u"Counts: 2, 1\r\nStart: 1, reset at 7:08:09 to start 1,\r\n"},
      {u"Piece: three branches\r\nKind: random\r\nWeights: 5, 6, 7\r\n"},
      {u"Branch 1 for: no train\r\nBranch 2 for: in service\r\n"},
      {u"Kind: by line and depot place, else branch 1\r\n(none)\r\n(none)\r\n(none)\r\n(none)\r\n"},
  };
  for (const Want& w : wants) EXPECT_NE(wstr::npos, text.find(w.piece)) << U8(w.piece) << "\n---\n" << U8(text);
}

TEST_F(PtsListingTest, MasksAsLetters) {
  wch out[256];
  const u32 none[4] = {0, 0, 0, 0};
  Pts_FormatMasks(out, 256, none);
  EXPECT_EQ(wstr(u"no train\r\n"), wstr(out));
  const u32 some[4] = {1, 0, 2, PTS_STATE_PLACE | PTS_STATE_SERVICE_FLAGGED};
  Pts_FormatMasks(out, 256, some);
  const wstr expected = wstr(1, Zug_CategoryLetter(1)) + Zug_TypeLetter(1) + u"," + Zug_CategoryLetter(3) +
                        Zug_TypeLetter(2) + u",placed at a depot place,in service, flagged\r\n";
  EXPECT_EQ(expected, wstr(out));
}

}  // namespace

// Stops beyond their store: transforms, the line hooks the line table calls,
// the kind replacement in a box, the counts by flags, the conversion of old
// stop elements and the text listing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/hst.h"
#include "model/line.h"
#include "platform/fio.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

CellCode StopCode(u32 direction, u32 base = 0) { return CellCode(base + 264 + direction); }

class HstEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    ASSERT_EQ(1, Lin_Init());
    Hst_Clear();
  }
  void TearDown() override {
    Hst_Clear();
    Lin_Exit();
    Grid_Exit();
  }
  // A stop with a rule naming the lines (one group of those ids, no options).
  void StopWithLines(i32 x, i32 y, std::vector<u32> ids) {
    std::vector<u32> words = {u32(ids.size())};
    words.insert(words.end(), ids.begin(), ids.end());
    words.push_back(0);
    ASSERT_EQ(0, Hst_Set(x, y, 0, 0, nullptr, u32(words.size()), words.data(), 3, 0, 1, HST_F_LINES_ONLY, 1));
  }
  std::vector<u32> Words(i32 x, i32 y) {
    u32 n = 0, flags = 0;
    std::vector<u32> w(HST_MAX_WORDS);
    Hst_GetInfo(x, y, 0, nullptr, nullptr, &n, w.data(), nullptr, nullptr, &flags);
    w.resize(n);
    return w;
  }
};

TEST_F(HstEditTest, TransformScalesFromTheFirstCornerAndRebuckets) {
  ASSERT_EQ(0, Hst_Set(10, 10, 0, 0, nullptr, 0, nullptr, 1, 0, 1, 0, 1));
  ASSERT_EQ(0, Hst_Set(13, 12, 0, 0, nullptr, 0, nullptr, 2, 0, 1, 0, 1));
  ASSERT_EQ(0, Hst_Set(30, 12, 0, 0, nullptr, 0, nullptr, 4, 0, 1, 0, 1));
  Hst_TransformInBox(10, 10, 0, 20, 20, 0, 1, 3, 1, 2);
  EXPECT_NE(nullptr, Hst_Find(10, 10, 0));
  ASSERT_NE(nullptr, Hst_Find(16, 16, 0));
  EXPECT_EQ(2u, Hst_Find(16, 16, 0)->Kind);
  EXPECT_EQ(nullptr, Hst_Find(13, 12, 0));
  EXPECT_NE(nullptr, Hst_Find(30, 12, 0)) << "outside the box";
}

TEST_F(HstEditTest, DeletingAndCopyingALineReachTheStops) {
  LineId a = 0, b = 0, c = 0;
  ASSERT_EQ(0, Lin_Create(u"A", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"B", 0, 0, &b));
  StopWithLines(5, 5, {a});
  StopWithLines(6, 5, {a, b});
  StopWithLines(7, 9, {b});
  EXPECT_EQ(1, Lin_CountUsersInBox(i32(a), 0, 0, 0, 10, 10, 0));
  EXPECT_EQ(2, Lin_CountUsersInBox(-i32(a), 0, 0, 0, 10, 10, 0));
  EXPECT_EQ(1, Lin_CountUsersInBox(-i32(b), 0, 0, 0, 6, 6, 0));
  i32 x = -1, y = 0, level = 0;
  int found = 0;
  for (x = 0; Hst_FindNextWithLine(b, 0, 0, 0, 10, 10, 0, &x, &y, &level); x = -1) ++found;
  EXPECT_EQ(2, found);

  // A copy of B joins B in every list.
  ASSERT_EQ(0, Lin_Create(u"C", 0, b, &c));
  EXPECT_EQ((std::vector<u32>{3, a, b, c, 0}), Words(6, 5));
  EXPECT_EQ((std::vector<u32>{2, b, c, 0}), Words(7, 9));
  // Deleting A takes it out; the stop that named only A loses its list.
  ASSERT_EQ(0, Lin_Delete(a));
  EXPECT_EQ(std::vector<u32>{}, Words(5, 5));
  EXPECT_EQ(0u, Hst_Find(5, 5, 0)->Flags & HST_F_LINES);
  EXPECT_EQ((std::vector<u32>{2, b, c, 0}), Words(6, 5));
}

TEST_F(HstEditTest, KindsAreReplacedInTheBoxByTheirPairs) {
  const struct {
    i32 x;
    CellCode code;
    u32 kind;
  } stops[] = {
      {1, StopCode(0), 3}, {2, StopCode(0), 11}, {3, StopCode(1), 3}, {4, StopCode(0, 0x1800), 2},
      {5, StopCode(0), 5}, {50, StopCode(0), 3},
  };
  auto reset = [&] {
    for (const auto& s : stops) {
      ASSERT_EQ(1, Grid_SetCell(s.x, 1, 0, s.code));
      ASSERT_EQ(0, Hst_Set(s.x, 1, 0, 0, nullptr, 0, nullptr, s.kind, 0, 1, 0, 1));
    }
  };
  const struct {
    u32 mode, dirFilter, element, classMask, newKind, oldKind;
    i32 result;
    std::vector<u32> kinds;  // of the stops at x 1..5
  } cases[] = {
      {0, 1, 264, 0, 4, 3, 2, {4, 12, 3, 2, 5}},
      {1, 1, 264, 0, 4, 3, 1, {4, 11, 3, 2, 5}},
      {0, 3, 264, 0, 4, 11, 3, {4, 12, 4, 2, 5}},
      {0, 0xFF, 264, 0, 7, 2, 0, {3, 11, 3, 2, 5}},     // the kind-2 stop is of another group
      {1, 0xFF, 0x1808, 0, 7, 2, 0, {3, 11, 3, 2, 5}},  // its element allows only kind 2
      {1, 1, 0, 1, 9, 3, 1, {9, 11, 3, 2, 5}},  // by class: 0
      {1, 1, 0, 2, 9, 3, 0, {3, 11, 3, 2, 5}},
      {0, 1, 16384, 0, 4, 3, -1, {3, 11, 3, 2, 5}},
  };
  for (const auto& c : cases) {
    reset();
    EXPECT_EQ(c.result, Hst_ReplaceCodesInBox(0, 0, 0, c.mode, c.dirFilter, c.element, c.classMask, c.newKind,
                                              c.oldKind, 0, 2, 10))
        << &c - cases;
    std::vector<u32> kinds;
    for (i32 x = 1; x <= 5; ++x) kinds.push_back(Hst_Find(x, 1, 0)->Kind);
    EXPECT_EQ(c.kinds, kinds) << &c - cases;
    EXPECT_EQ(3u, Hst_Find(50, 1, 0)->Kind);
  }
}

TEST_F(HstEditTest, CountsByFlags) {
  const u32 flags[] = {0, 0x1, 0x2, 0x3, 0x10, 0x20 | 0x200, 0x200};
  i32 x = 0;
  for (u32 f : flags) ASSERT_EQ(0, Hst_Set(x++, 0, 0, 0, nullptr, 0, nullptr, 1, 0, 1, f, 1));
  u32 only1, with2, pairs, extra;
  EXPECT_EQ(2u, Hst_CountByFlags(&only1, &with2, &pairs, &extra));
  EXPECT_EQ(1u, only1);
  EXPECT_EQ(2u, with2);
  EXPECT_EQ(1u, pairs);
  EXPECT_EQ(1u, extra);
  EXPECT_EQ(2u, Hst_CountByFlags(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(HstEditTest, OldStopElementsBecomeStops) {
  const struct {
    CellCode code;
    i32 kind;
    CellCode now;
  } cases[] = {
      {CellCode(88 + 3), 11, CellCode(264 + 3)},
      {CellCode(96 + 0), 10, CellCode(264)},
      {CellCode(104 + 7), 2, CellCode(264 + 7)},
      {CellCode(112 + 1), 12, CellCode(264 + 1)},
      {CellCode(0x1000 + 96 + 2), 2, CellCode(0x1000 + 264 + 2)},
      {CellCode(0x1000 + 112), 8, CellCode(0x1000 + 264)},
      {CellCode(0x4000 | 0x1C00 | 90), 2, CellCode(0x4000 | 0x1C00 | 266)},
      {CellCode(87), -1, CellCode(87)},
      {CellCode(120), -1, CellCode(120)},
  };
  i32 x = 10;
  for (const auto& c : cases) {
    ASSERT_EQ(1, Grid_SetCell(x, 3, 0, c.code));
    EXPECT_EQ(c.kind, Hst_ConvertOldElement(x, 3, 0)) << x;
    EXPECT_EQ(c.now, Grid_GetCell(x, 3, 0)) << x;
    EXPECT_EQ(nullptr, Hst_Find(x, 3, 0));
    ++x;
  }
  // The whole layout: every old element on level 0 gets its stop.
  ASSERT_EQ(1, Grid_SetCell(40, 8, 0, CellCode(88 + 5)));
  ASSERT_EQ(1, Grid_SetCell(300, 9, 0, CellCode(100)));
  ASSERT_EQ(1, Grid_SetCell(41, 8, -1, CellCode(88)));
  Grid_UpdateExtent(0, 0, 0, 0);
  EXPECT_EQ(2, Hst_ConvertOldElements());
  ASSERT_NE(nullptr, Hst_Find(40, 8, 0));
  EXPECT_EQ(11u, Hst_Find(40, 8, 0)->Kind);
  EXPECT_EQ(1u << 5, Hst_Find(40, 8, 0)->DirMask);
  EXPECT_EQ(1u, Hst_Find(40, 8, 0)->TypeMask);
  EXPECT_EQ(10u, Hst_Find(300, 9, 0)->Kind);
  EXPECT_EQ(nullptr, Hst_Find(41, 8, -1));
  EXPECT_EQ(CellCode(88), Grid_GetCell(41, 8, -1));
}

int WriteStops() { return Hst_WriteText(0); }

TEST_F(HstEditTest, TheListingCountsAndListsEveryStop) {
  ASSERT_EQ(0, Test_LoadTexts());
  ASSERT_EQ(0, Hst_Set(5, 6, 0, 0, nullptr, 0, nullptr, 1, 2500, 1, HST_F_EXTRA | 0x2, 1));
  ASSERT_EQ(0, Hst_Set(7, 6, -1, 0, nullptr, 0, nullptr, 1, 0, 1, 0x200, 1));
  const std::vector<u8> b = Test_SaveSection(WriteStops);
  std::string s;
  for (u8 c : b)
    if (c) s += char(c);
  EXPECT_NE(std::string::npos, s.find("    5,    6,+0")) << s;
  EXPECT_NE(std::string::npos, s.find("    7,    6,-1")) << s;
  EXPECT_NE(std::string::npos, s.find(" 2")) << s;
}

}  // namespace

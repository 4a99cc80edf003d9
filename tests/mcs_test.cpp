// Multi-cell symbols: definition lines (good and bad), the definition
// file's warnings, placing, following trains, the animation steps and the
// revalidation against the views.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/mcs.h"
#include "platform/fio.h"
#include "platform/msg.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

std::vector<McsView> g_views;
std::vector<std::string> g_sounds;

int Views(McsView* out, int max) {
  int n = 0;
  for (const McsView& v : g_views)
    if (n < max) out[n++] = v;
  return n;
}
void Sound(i32 x, i32 y, i32 level, i32 sound) {
  g_sounds.push_back(std::to_string(x) + "," + std::to_string(y) + ":" + std::to_string(sound));
}

class McsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    folder = Test_MakeTempFolder();
    McsHooks h = {};
    h.pictureViews = Views;
    h.stepSound = Sound;
    Mcs_SetHooks(&h);
    Mcs_SetAnimationWord(1);
    g_views = {McsView{0, 100, 100, 120, 115, 0}};
    g_sounds.clear();
    Msg_ResetLast();
  }
  void TearDown() override {
    Mcs_Exit();
    Mcs_SetHooks(nullptr);
    Mcs_SetAnimationWord(MCS_ANIM_ALL);
    Grid_Exit();
  }
  void WriteDefinitions(const std::string& text) {
    ASSERT_TRUE(Test_WriteFile(folder + u"orba.bnm", std::vector<u8>(text.begin(), text.end())));
  }
  wstr folder;
};

TEST_F(McsTest, HeaderLines) {
  struct Case {
    const char* line;
    int library;
    int ok;
    i32 top, height, left, width, steps;
    u32 code;
    i32 variant;
  } cases[] = {
      {"xd=-1, b=3, yd=0, h=2, st=1, sym=49200", 0, 1, -1, 2, -1, 3, 1, 49200, 0},
      {"xd = 0 , b = 2 , yd = -1 , h = 7 , st = 4 , sym = 65535", 0, 1, -5, 7, 0, 2, 4, 65535, 0},
      {"xd=0, b=3, yd=0, h=2, st=1, sym=49200", 0, 0, 0, 0, 0, 0, 0, 0, 0},                     // xd + b = 3
      {"xd=0, b=1, yd=0, h=1, st=1, sym=49151", 0, 0, 0, 0, 0, 0, 0, 0, 0},                     // below the symbols
      {"xd=0, b=1, yd=0, h=1, st=1, sym=5", 2, 1, 0, 1, 0, 1, 1, 55552 + 90 + 5, 0},
      {"xd=0, b=1, yd=0, h=1, st=1, sym=90", 2, 0, 0, 0, 0, 0, 0, 0, 0},
      {"xd=0, b=1, yd=0, h=1, st=1, sym=49200b", 0, 1, 0, 1, 0, 1, 1, 49200, 2},
      {"xd=0, b=1, yd=0, h=1, st=1, sym=49200E", 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"xd=0, b=1, yd=0, h=1, st=0, sym=49200", 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"xd=0, b=1, yd=2, h=4, st=1, sym=49200", 0, 1, -5, 4, 0, 1, 1, 49200, 0},
      {"xd=0, b=1, yd=0, h=1, sym=49200", 0, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    i32 out[7] = {};
    const int r = Mcs_ParseHeader(W16(c.line).c_str(), c.library, out);
    EXPECT_EQ(c.ok ? 0 : 1, r) << c.line;
    if (!c.ok || r) continue;
    EXPECT_EQ(c.top, out[0]) << c.line;
    EXPECT_EQ(c.height, out[1]) << c.line;
    EXPECT_EQ(c.left, out[2]) << c.line;
    EXPECT_EQ(c.width, out[3]) << c.line;
    EXPECT_EQ(c.steps, out[4]) << c.line;
    EXPECT_EQ(c.code, u32(out[5])) << c.line;
    EXPECT_EQ(c.variant, out[6]) << c.line;
  }
}

TEST_F(McsTest, StepLines) {
  struct Case {
    const char* line;
    int ok;
    i32 picture, sound;
  } cases[] = {{"5,10,20,0", 1, 5, -1}, {"5,10,8,0", 0, 0, 0}, {"100,1,1,1", 0, 0, 0}, {"0, 1, 1, 9999", 1, 0, 9999},
               {"3,0,4,1", 0, 0, 0},    {"3,1,4", 0, 0, 0}, {"3,1,4,10000", 1, 3, -1}, {"3,1,4,1,5", 0, 0, 0}};
  for (const Case& c : cases) {
    McsStep s = {};
    EXPECT_EQ(c.ok ? 0 : 1, Mcs_ParseStep(W16(c.line).c_str(), &s)) << c.line;
    if (c.ok) {
      EXPECT_EQ(c.picture, s.Picture) << c.line;
      EXPECT_EQ(c.sound, s.Sound) << c.line;
    }
  }
}

TEST_F(McsTest, FileWarningsKeepWhatWasRead) {
  WriteDefinitions(
      "; comment\r\n"
      "xd=0, b=1, yd=0, h=2, st=2, sym=50000\r\n1,5,5,7\r\n2,5,5,0\r\n"
      "xd=0, b=1, yd=0, h=1, st=2, sym=50001\r\n1,5,4,0\r\n"
      "xd=0, b=1, yd=0, h=1, st=1, sym=50002\r\n3,1,1,0\r\n"
      "bad header\r\n"
      "xd=0, b=1, yd=0, h=1, st=1, sym=50003\r\n1,1,1,0\r\n");
  EXPECT_EQ(0, Mcs_Init());
  EXPECT_EQ(586u, Msg_LastNumber()) << "the bad header ends the file";
  const McsDefinition* d = Mcs_FindDefinition(50000, 0, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(2, d->StepCount);
  EXPECT_EQ(7, d->Steps[0].Sound);
  EXPECT_EQ(-1, d->Top);
  const McsDefinition* bad = Mcs_FindDefinition(50001, 0, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, bad);
  EXPECT_EQ(60, bad->Steps[0].MinTicks) << "a bad step keeps its starting values";
  EXPECT_NE(nullptr, Mcs_FindDefinition(50002, 0, nullptr, nullptr, nullptr)) << "reading went on";
  EXPECT_EQ(nullptr, Mcs_FindDefinition(50003, 0, nullptr, nullptr, nullptr));
}

TEST_F(McsTest, MissingFileAndEndWithoutEnd) {
  Msg_ResetLast();
  EXPECT_EQ(1, Mcs_Init());
  EXPECT_EQ(585u, Msg_LastNumber());
  WriteDefinitions("xd=0, b=1, yd=0, h=1, st=1, sym=50000\n1,5,5,0");
  EXPECT_EQ(0, Mcs_Init());
  EXPECT_NE(nullptr, Mcs_FindDefinition(50000, 1, nullptr, nullptr, nullptr)) << "variant 0 matches any";
}

TEST_F(McsTest, PlaceAnimateAndSounds) {
  WriteDefinitions("xd=0, b=1, yd=0, h=2, st=2, sym=50000\n1,2,2,7\n2,3,3,0\nEND\n");
  ASSERT_EQ(0, Mcs_Init());
  ASSERT_EQ(0, Mcs_PlaceAt(105, 105, 0, 50000));
  ASSERT_EQ(1u, Mcs_Count());
  EXPECT_EQ(0, Mcs_PlaceAt(5, 5, 0, 50000)) << "not visible: nothing placed";
  EXPECT_EQ(0, Mcs_PlaceAt(106, 105, 0, 50001)) << "no definition";
  EXPECT_EQ(1u, Mcs_Count());
  const McsPlaced* p = Mcs_First();
  ASSERT_EQ(0, p->Step);
  i32 word = 9;
  EXPECT_EQ(1, Mcs_GetInfo(105, 105, 0, &word, 50000));
  EXPECT_EQ(0, word);
  EXPECT_EQ(0, Mcs_GetInfo(105, 105, 0, &word, 49152));
  // Ticks until the step changes: the step advances, wraps and sounds.
  std::vector<int> steps;
  for (int t = 0; t < 12; ++t) {
    Mcs_AnimateTick();
    steps.push_back(p->Step);
  }
  EXPECT_NE(std::vector<int>(12, 0), steps);
  EXPECT_TRUE(std::find(steps.begin(), steps.end(), 0) != steps.end());
  EXPECT_FALSE(g_sounds.empty());
  for (const std::string& s : g_sounds) EXPECT_EQ("105,105:7", s);
  // Symbols follow the trains by their own bit of the animation word.
  Mcs_SetAnimationWord(MCS_ANIM_DISPLAY);
  EXPECT_EQ(1, Mcs_AnimationOn());
  EXPECT_EQ(0, Mcs_FollowsTrains());
  Mcs_SetAnimationWord(MCS_ANIM_TRAINS);
  EXPECT_EQ(0, Mcs_AnimationOn());
  EXPECT_EQ(1, Mcs_FollowsTrains());
  Mcs_SetAnimationWord(0);
  EXPECT_EQ(0, Mcs_Revalidate(-1, nullptr));
  EXPECT_EQ(0u, Mcs_Count()) << "the display off drops every object";
}

TEST_F(McsTest, RevalidateAndFollow) {
  WriteDefinitions("xd=0, b=1, yd=0, h=1, st=1, sym=50000\n1,2,2,0\n");
  ASSERT_EQ(0, Mcs_Init());
  Grid_SetCell(101, 101, 0, 50000);
  Grid_SetCell(102, 101, 0, 0xBF10);  // a train marker
  Grid_SetCell(300, 300, 0, 50000);   // outside every view
  ASSERT_EQ(0, Mcs_Revalidate(-1, nullptr));
  EXPECT_EQ(2u, Mcs_Count());
  // The view moves away: the objects leave.
  g_views[0].x0 = 290, g_views[0].x1 = 310, g_views[0].y0 = 290, g_views[0].y1 = 310;
  ASSERT_EQ(0, Mcs_Revalidate(-1, nullptr));
  EXPECT_EQ(1u, Mcs_Count());
  EXPECT_EQ(300, Mcs_First()->X);
  // A train's object follows it, and is dropped when it leaves the views.
  ASSERT_EQ(0, Mcs_FollowTrain(-1, 0, 0, 0, 295, 295));
  ASSERT_EQ(2u, Mcs_Count());
  ASSERT_EQ(0, Mcs_FollowTrain(295, 295, 0, 0, 295, 296));
  EXPECT_EQ(2u, Mcs_Count());
  EXPECT_EQ(296, Mcs_First()->X);
  ASSERT_EQ(0, Mcs_FollowTrain(296, 295, 0, 0, 295, 400));
  EXPECT_EQ(1u, Mcs_Count());
}

// The program's own definitions load without a warning, and a level-
// crossing barrier runs its whole cycle: open, lamps, half way, closed with
// the lamps taking turns and the bell on every other step, half way, open.
TEST_F(McsTest, ShippedBarrierRunsItsCycle) {
  ASSERT_TRUE(Test_WriteFile(folder + u"orba.bnm", Test_ReadFile(Test_DataFolder() + u"orba.bnm")));
  ASSERT_EQ(0, Mcs_Init());
  EXPECT_EQ(0u, Msg_LastNumber());
  const u32 barrier = 52676;
  const McsDefinition* d = Mcs_FindDefinition(barrier, 0, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, d);
  ASSERT_EQ(0, Mcs_PlaceAt(105, 105, 0, barrier));
  const McsPlaced* p = Mcs_First();
  ASSERT_NE(nullptr, p);
  std::vector<i32> pictures = {Mcs_GetInfo(105, 105, 0, nullptr, barrier)};
  for (int t = 0; t < 3000 && pictures.size() < 21; ++t) {
    Mcs_AnimateTick();
    const i32 now = Mcs_GetInfo(105, 105, 0, nullptr, barrier);
    if (p->Counter == 0) pictures.push_back(now);
  }
  const std::vector<i32> expected = {0, 1, 2, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 2, 0};
  EXPECT_EQ(expected, pictures);
  EXPECT_EQ(9u, g_sounds.size()) << "the bell with the lamps and on every closed step with the first lamp";
  for (const std::string& snd : g_sounds) EXPECT_EQ("105,105:40", snd);
}

}  // namespace

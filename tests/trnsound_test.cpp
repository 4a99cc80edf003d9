// The train side of sounds and following: the horn countdown, the running
// sound that repeats in real time (across the wrap of the tick count), what
// a sound point asks of a passing train, the followed view keeping its
// train in sight, the distance and mode of following, and the two region
// and ramp queries of the cell walk.
#include <gtest/gtest.h>

#include <vector>

#include "operation/clock.h"
#include "operation/snd.h"
#include "operation/sndcat.h"
#include "operation/tracktab.h"
#include "operation/trnfollow.h"
#include "operation/trnquery.h"
#include "operation/trnramp.h"
#include "operation/trnsound.h"
#include "platform/os.h"
#include "tests/snd_fixture.h"
#include "tests/trn_fixture.h"

namespace {

SndView View(int mode, i32 x, i32 y, i32 w, i32 h, i32 level = 0, int scale = 1) {
  return Snd_TestView(mode, x, y, w, h, level, scale);
}

// What the follow step asked of the views.
struct FollowCalls {
  int retitled = 0, centred = 0, shown = 0;
  i32 cx = 0, cy = 0, clevel = 0;
} g_calls;
i32 FollowedSlot(void) { return 0; }
void Retitle(int) { g_calls.retitled++; }
int Centre(int slot, i32 x, i32 y, i32 level) {
  g_calls.centred++;
  g_calls.cx = x, g_calls.cy = y, g_calls.clevel = level;
  return 1;
}
// Moves the origin, kept at 0 or above as the grid's edge keeps it.
void Scroll(int slot, i32 dx, i32 dy) {
  SndView& v = g_sndViews[size_t(slot)];
  v.originX = v.originX + dx < 0 ? 0 : v.originX + dx;
  v.originY = v.originY + dy < 0 ? 0 : v.originY + dy;
}
void SetCursor(int slot, i32 x, i32 y) {
  g_sndViews[size_t(slot)].cursorX = x;
  g_sndViews[size_t(slot)].cursorY = y;
}
void Show(int) { g_calls.shown++; }

class TrnSoundTest : public TrnFixture {
 protected:
  void SetUp() override {
    TrnFixture::SetUp();
    Snd_Init();
    Snd_SetOutput(1);
    Snd_SetOptions(SND_OPT_ALL_TRAINS);
    Snd_TestInstallHooks();
    g_sndViews = {View(1, 0, 0, 40, 20)};
    g_calls = FollowCalls{};
    static const TrnFollowHooks follow = {FollowedSlot, Retitle, Centre, Scroll, SetCursor, Show};
    Trn_SetFollowHooks(&follow);
    Trn_SetViewOptions(0);
    ASSERT_EQ(0, Snd_AddEntry(1, 300, u"horn.wav", u"horn_far.wav"));
    ASSERT_EQ(0, Snd_AddEntry(2, 4000, u"run.wav", nullptr));
    Row(2, 30, 10);
    train = Place(1, {64}, Line(10, 10, -1, 0, 3), 1, 0);
    train->HornSound = 1;
    train->RunSound = 2;
  }
  void TearDown() override {
    TrnList_StopFollowing();
    Snd_SetHooks(nullptr);
    Trn_SetFollowHooks(nullptr);
    Trn_SetViewOptions(0);
    Snd_Free();
    TrnFixture::TearDown();
  }
  TrainRec* train = nullptr;
};

TEST_F(TrnSoundTest, HornCountdownRequestsTheHornWhenItRunsOut) {
  train->HornCountdown = 25;
  Trn_SoundStep();
  Trn_SoundStep();
  EXPECT_TRUE(g_sndPosted.empty());
  EXPECT_EQ(5, train->HornCountdown);
  Trn_SoundStep();
  ASSERT_EQ(1u, g_sndPosted.size());
  EXPECT_EQ(1u, g_sndPosted[0].w);
  EXPECT_EQ(0u, g_sndPosted[0].l);
  Trn_SoundStep();
  EXPECT_EQ(1u, g_sndPosted.size()) << "once per countdown";
  // Out of every view but near one, the far file is asked for.
  g_sndViews[0].originX = 12;
  train->HornCountdown = 10;
  Trn_SoundStep();
  ASSERT_EQ(2u, g_sndPosted.size());
  EXPECT_EQ(u32(SND_REQ_NEAR), g_sndPosted[1].l);
}

TEST_F(TrnSoundTest, RunningSoundRepeatsInRealTimeAcrossTheTickWrap) {
  struct Case {
    u32 now, due;
    int result;
  } cases[] = {{100, 100, 1},  {99, 100, 0},          {5, 0xFFFFFFF0u, 1}, {0xFFFFFFF0u, 5, 0},
               {0x7FFFFFFFu, 0, 1}, {0, 0xFFFFFF00u, 1}, {0xFFFFFF00u, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(c.result, Trn_RunSoundDue(c.now, c.due)) << c.now << " " << c.due;
  // Due now: requested, and due again after its own length (4000 ms),
  // whatever the simulation speed.
  Clk_SetSpeed(20);
  const u32 before = Os_GetTickCount();
  train->NextRunSound = before - 1;
  Trn_SoundStep();
  ASSERT_EQ(1u, g_sndPosted.size());
  EXPECT_EQ(2u, g_sndPosted[0].w);
  EXPECT_GE(train->NextRunSound - before, 4000u);
  EXPECT_LE(train->NextRunSound - before, 4000u + 60000u);
  Trn_SoundStep();
  EXPECT_EQ(1u, g_sndPosted.size()) << "not again before its time";
}

TEST_F(TrnSoundTest, OnlyTheFollowedTrainSoundsWithOption64) {
  Snd_SetOptions(SND_OPT_FOLLOWED_TRAIN);
  EXPECT_EQ(0, Trn_RequestSound(train, 1, -1));
  Trn_SetFollowed(train);
  EXPECT_EQ(1, Trn_RequestSound(train, 1, -1));
  EXPECT_EQ(0, Trn_RequestSound(train, TRN_NONE, -1));
  g_sndViews[0].originX = 500;
  EXPECT_EQ(0, Trn_RequestSound(train, 1, -1)) << "not audible";
}

TEST_F(TrnSoundTest, ASoundPointSetsHornAndRunningSound) {
  const u32 east = Trn_DirectionCode(1, 0);
  struct Case {
    u32 flags, dirMask;
    u32 list[3];
    int posts;
    i32 horn;
    int runSet;  // 1 set, 0 -1, 2 unchanged
    const char* what;
  } cases[] = {
      {SND_F_HORN | SND_F_HORN_COUNTDOWN, 0xFF, {}, 1, 30, 2, "horn and its countdown"},
      {SND_F_HORN, ~east, {}, 0, 0, 2, "another direction"},
      {SND_F_RUN_REPEAT, 0xFF, {}, 1, 0, 1, "running sound repeating"},
      {SND_F_RUN_ONCE, 0xFF, {}, 1, 0, 0, "running sound once"},
      {SND_F_RUN_STOP, 0xFF, {}, 0, 0, 0, "stop the running sound"},
      {SND_F_HORN | SND_F_LINES_ONLY, 0xFF, {1, 7, 0}, 0, 0, 2, "only line 7: the train passes silently"},
      {SND_F_HORN | SND_F_LINES_NOT, 0xFF, {1, 1, 0}, 0, 0, 2, "not line 1"},
      {SND_F_HORN | SND_F_LINES_ONLY, 0xFF, {1, 1, 0}, 1, 0, 2, "only line 1"},
  };
  for (const Case& c : cases) {
    g_sndPosted.clear();
    train->HornCountdown = 0;
    train->NextRunSound = 12345;
    const int n = c.list[0] ? 3 : 0;
    ASSERT_EQ(0, Snd_CreatePoint(20, 10, 0, n, c.list, 0, c.dirMask, c.flags)) << c.what;
    Trn_PassSoundPoint(train, 20, 10, 0, east);
    EXPECT_EQ(size_t(c.posts), g_sndPosted.size()) << c.what;
    EXPECT_EQ(c.horn, train->HornCountdown) << c.what;
    if (c.runSet == 1) {
      EXPECT_NE(12345u, train->NextRunSound) << c.what;
    }
    if (c.runSet == 0) {
      EXPECT_EQ(TRN_NONE, train->NextRunSound) << c.what;
    }
    if (c.runSet == 2) {
      EXPECT_EQ(12345u, train->NextRunSound) << c.what;
    }
  }
}

// ---------------------------------------------------------------- following

TEST_F(TrnSoundTest, AFollowedTrainLeavingItsViewIsCentredAgain) {
  Trn_SetFollowed(train);
  EXPECT_EQ(0, Trn_FollowStep()) << "not moved";
  g_sndViews[0].originX = 100;
  Trn_MarkFollowedMoved();
  EXPECT_EQ(1, Trn_FollowStep());
  EXPECT_EQ(1, g_calls.centred);
  EXPECT_EQ(10, g_calls.cx);
  EXPECT_EQ(1, g_calls.retitled);
  // Inside its view without option 2 it stays where it is.
  g_sndViews[0].originX = 0;
  Trn_MarkFollowedMoved();
  EXPECT_EQ(0, Trn_FollowStep());
  EXPECT_EQ(1, g_calls.centred);
  // Another level: centred at the train's level, unless option 4 keeps the
  // view's level.
  g_sndViews[0].level = -2;
  Trn_MarkFollowedMoved();
  Trn_FollowStep();
  EXPECT_EQ(2, g_calls.centred);
  EXPECT_EQ(0, g_calls.clevel);
  Trn_SetViewOptions(TRN_VIEW_KEEP_LEVEL);
  Trn_MarkFollowedMoved();
  EXPECT_EQ(0, Trn_FollowStep());
  g_sndViews[0].originX = 100;
  Trn_MarkFollowedMoved();
  Trn_FollowStep();
  EXPECT_EQ(3, g_calls.centred);
  EXPECT_EQ(-2, g_calls.clevel);
}

TEST_F(TrnSoundTest, OptionTwoScrollsCellByCellUntilTheCursorIsOnTheHead) {
  Trn_SetFollowed(train);
  Trn_SetViewOptions(TRN_VIEW_CELL_BY_CELL);
  g_sndViews[0] = View(1, 5, 5, 20, 10);  // cursor 15,10; head 10,10
  Trn_MarkFollowedMoved();
  EXPECT_EQ(1, Trn_FollowStep());
  EXPECT_EQ(0, g_calls.centred);
  EXPECT_EQ(10, g_sndViews[0].cursorX);
  EXPECT_EQ(10, g_sndViews[0].cursorY);
  EXPECT_EQ(0, g_sndViews[0].originX) << "scrolled five cells west";
  EXPECT_EQ(1, g_calls.shown);
  // At the grid's edge the view stops and the cursor with it.
  g_sndViews[0] = View(1, 0, 0, 40, 20);  // cursor 20,10
  Trn_MarkFollowedMoved();
  Trn_FollowStep();
  EXPECT_EQ(0, g_sndViews[0].originX);
  EXPECT_EQ(20, g_sndViews[0].cursorX);
  // An overview map scrolls by the distance over its scale.
  g_sndViews[0] = View(3, 0, 0, 64, 64, 0, 4);  // cursor 32,32
  Trn_MarkFollowedMoved();
  Trn_FollowStep();
  EXPECT_EQ(0, g_sndViews[0].originX) << "(10 - 32) / 4 = -5, held at the edge";
  EXPECT_EQ(0, g_sndViews[0].originY);
  EXPECT_EQ(10, g_sndViews[0].cursorX);
  g_sndViews[0] = View(3, 100, 100, 64, 64, 0, 4);
  g_sndViews[0].cursorX = 2;
  g_sndViews[0].cursorY = 2;
  g_sndViews[0].originX = 0;
  g_sndViews[0].originY = 0;
  Trn_MarkFollowedMoved();
  Trn_FollowStep();
  EXPECT_EQ(2, g_sndViews[0].originX) << "(10 - 2) / 4";
  EXPECT_EQ(2, g_sndViews[0].originY);
}

TEST_F(TrnSoundTest, FollowModeAndDistance) {
  EXPECT_EQ(0, TrnList_GetFollowMode());
  EXPECT_EQ(-1, TrnList_FollowedDistance());
  i32 number = 9;
  EXPECT_EQ(0u, TrnList_FollowedId(&number));
  EXPECT_EQ(0, number);
  Trn_SetFollowed(train);
  train->StateFlags |= TRN_FOLLOWED;
  EXPECT_EQ(1u, TrnList_FollowedId(&number));
  EXPECT_EQ(1, number);
  EXPECT_EQ(1, TrnList_GetFollowMode());
  TrnList_SetFollowMode(2);
  EXPECT_EQ(2, TrnList_GetFollowMode());
  EXPECT_TRUE(train->StateFlags & TRN_USER_DRIVEN);
  TrnList_SetFollowMode(1);
  EXPECT_EQ(1, TrnList_GetFollowMode());
  TrnList_ResetFollowedDistance();
  Clk_SetLayoutScale(64);
  for (int i = 0; i < 64; ++i) Trn_CountFollowedCell(0);
  EXPECT_EQ(1000, TrnList_FollowedDistance()) << "64 straight cells at 64 cells per km";
  for (int i = 0; i < 64; ++i) Trn_CountFollowedCell(1);
  EXPECT_EQ(2414, TrnList_FollowedDistance());
  TrnList_ResetFollowedDistance();
  EXPECT_EQ(0, TrnList_FollowedDistance());
}

// ---------------------------------------------------------------- region and ramp queries

TEST_F(TrnSoundTest, ScaleRegionPosMovesTrainCellsByTheirTrain) {
  struct Case {
    i32 x, y, nx, ny, result;
  } cases[] = {
      {3, 4, 6, 8, 0},     // no train: scaled
      {-3, 4, -6, 8, 0},   // toward zero
      {10, 10, 20, 20, 1}, // the head: the train's greatest x
      {9, 10, 19, 20, 1},  // keeps its distance to it
      {8, 10, 16, 20, 0},  // behind the train: its last slot holds no cell
  };
  for (const Case& c : cases) {
    i32 nx = 0, ny = 0;
    EXPECT_EQ(c.result, Trn_ScaleRegionPos(0, 0, c.x, &ny, &nx, 1, 2, 1, 2, 0, c.y)) << c.x;
    EXPECT_EQ(c.nx, nx) << c.x;
    EXPECT_EQ(c.ny, ny) << c.x;
  }
  i32 nx = 0, ny = 0;
  Trn_ScaleRegionPos(100, 100, 103, &ny, &nx, 3, 1, 2, 1, 0, 109);
  EXPECT_EQ(101, nx);
  EXPECT_EQ(103, ny);
}

// The first ramp-group code of the standard kind whose lookup for a train
// heading east gives the class; 0 none.
u32 RampCode(int cls) {
  for (u32 shape = 208; shape <= 255; ++shape) {
    if (shape > 210 && shape < 216) continue;
    if ((Trk_Connection(shape, 1, 0) >> 8) == u32(cls)) return shape;
  }
  return 0;
}

TEST_F(TrnSoundTest, FindRampAlongWalksToTheOtherEnd) {
  const u32 down = RampCode(TRK_CLASS_RAMP_DOWN), top = RampCode(TRK_CLASS_RAMP_TOP);
  ASSERT_NE(0u, down);
  ASSERT_NE(0u, top);
  const u32 east = Trn_DirectionCode(1, 0);
  struct Case {
    std::vector<u32> row;  // from x = 100 on, y = 50
    int result;
    i32 distance;
  } cases[] = {
      {{down, 0, 0, top}, 0, 3},
      {{down, 0, 0, top | 0x4000}, 1, 3},  // a reservation on the far end
      {{down, 0, down}, 21, 2},
      {{0, 0, top}, 11, 0},                // the start is no ramp
  };
  for (const Case& c : cases) {
    Grid_Clear();
    for (size_t i = 0; i < c.row.size(); ++i) Grid_SetCell(100 + i32(i), 50, 0, CellCode(c.row[i]));
    i32 x = 100, y = 50, distance = 77;
    EXPECT_EQ(c.result, Trn_FindRampAlong(&x, &y, &distance, east));
    EXPECT_EQ(c.distance, distance);
    if (c.result != 11) {
      EXPECT_EQ(100 + c.distance, x);
    }
  }
  Grid_Clear();
  Grid_SetCell(GRID_SIZE - 3, 50, 0, CellCode(down));
  i32 x = GRID_SIZE - 3, y = 50, distance = 0;
  EXPECT_EQ(12, Trn_FindRampAlong(&x, &y, &distance, east)) << "the walk leaves the grid";
  EXPECT_EQ(2, distance);
}

}  // namespace

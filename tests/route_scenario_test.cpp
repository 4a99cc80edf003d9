// Trains that choose their way, run tick by tick on small layouts: a station
// with a passing loop whose turnout controller sends each line to its own
// platform, a crossing whose reservation stops the second train, a train
// that reverses at a buffer stop, and a train that is split and joined again.
// The marker invariant holds at every tick.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "model/genl.h"
#include "model/layfile.h"
#include "operation/clock.h"
#include "operation/ptsfile.h"
#include "operation/trnres.h"
#include "operation/trnrev.h"
#include "operation/trnstep.h"
#include "platform/fio.h"
#include "shell/wire.h"
#include "tests/test_util.h"
#include "tests/trn_fixture.h"

namespace {

class RouteScenarioTest : public TrnFixture {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    Fio_InitBuffers();
  }
  static void TearDownTestSuite() { Fio_FreeBuffers(); }
  void SetUp() override {
    TrnFixture::SetUp();
    Lin_Init();
    Lin_Clear();
    Clk_Reset();
    Clk_ResetPhases();
    Clk_SetLayoutScale(64);
    ViaTimer = 0;
    g_simClock.weekday = 1;
    g_simClock.hour = 8;
  }
  void TearDown() override {
    Lin_Clear();
    TrnFixture::TearDown();
  }

  // A placed train set moving: its speeds and the step state.
  static TrainRec* Run(TrainRec* t, u32 maxSpeed = 40000) {
    t->MaxSpeed = maxSpeed;
    t->Accel = t->Brake = 100;
    Trn_SetAccelSteps(t);
    Trn_UpdateTargetSpeed(t);
    return t;
  }
  static const TrainCell& Head(const TrainRec* t) { return Trn_Cells(t)[0]; }

  // Ticks the clock n times, checking the markers after each tick and
  // calling what after it.
  template <typename What>
  void Ticks(int n, What what) {
    for (int i = 0; i < n; ++i) {
      Clk_Tick();
      CheckMarkers();
      if (HasFatalFailure()) return;
      what();
    }
  }
  void Ticks(int n) {
    Ticks(n, [] {});
  }

  // The station: the main line y 10 from x 0 to 40, running east; at x 15 a
  // controlled turnout into a passing loop along y 11 (x 16 .. 25), which
  // joins the main line again at x 26 through a turnout without controller.
  void BuildStation(u32 loopLine) {
    Row(0, 14, 10);
    Put(15, 10, 48);  // west in: east (branch 1), south-east (branch 2)
    Row(16, 25, 10);
    Put(26, 10, 51);  // from the west and from the south-west, out east
    Row(27, 40, 10);
    Put(16, 11, 30);  // south-east in, east out
    Row(17, 24, 11);
    Put(25, 11, 29);  // east in, north-east out
    u32 w[4];
    ASSERT_EQ(0, Pts_TileConnections(48, w));
    ASSERT_EQ(0, Pts_SetById(15, 10, 0, 0, w[0], w[1], w[2], w[3], Pts_NextFreeId(), PTS_KIND_BY_LINE1, 0));
    // Line list 2: the loop line takes branch 2; every other train branch 1.
    const u32 words[3] = {1, loopLine, 0};
    const u32 counts[6] = {0, 3, 0, 0, 0, 0};
    ASSERT_EQ(0, Pts_SetPositionLists(15, 10, 0, words, counts, 0));
  }
};

// Trains of two lines follow each other east; each takes its own platform
// at the controller, the loop train crosses back through the reserved
// junction, and none runs into another.
TEST_F(RouteScenarioTest, EachLineTakesItsPlatformAndNoneCollides) {
  const u32 lineA = 1, lineB = 2;
  BuildStation(lineB);
  if (HasFatalFailure()) return;
  TrainRec* a1 = Run(Place(1, {32, 32}, Line(5, 10, -1, 0, 3), 1, 0, lineA));
  TrainRec* b1 = Run(Place(1, {32, 32}, Line(2, 10, -1, 0, 3), 1, 0, lineB), 60000);
  std::set<std::pair<i32, i32>> cellsA, cellsB;
  int sawReservation = 0;
  Ticks(100 * 90, [&] {
    cellsA.insert({Head(a1).X, Head(a1).Y});
    cellsB.insert({Head(b1).X, Head(b1).Y});
    sawReservation |= (a1->StateFlags | b1->StateFlags) & TRN_RESERVED ? 1 : 0;
  });
  if (HasFatalFailure()) return;
  // A stayed on the main line, B ran through the loop.
  for (const auto& c : cellsA) EXPECT_EQ(10, c.second) << c.first;
  EXPECT_TRUE(cellsB.count({20, 11}));
  EXPECT_FALSE(cellsB.count({20, 10}));
  EXPECT_TRUE(sawReservation);
  // Both came out at the east end, one behind the other.
  EXPECT_EQ(40, std::max(Head(a1).X, Head(b1).X));
  EXPECT_EQ(38, std::min(Head(a1).X, Head(b1).X));
  for (i32 x = 0; x <= 40; ++x) EXPECT_FALSE(Marked(x, 10)) << x;
}

// A train running east reserves its way through two crossings; a train
// coming south to the second crossing finds it marked and waits there until
// the first has passed, then goes on.
TEST_F(RouteScenarioTest, AReservationStopsTheSecondTrain) {
  Row(0, 30, 10);
  Column(14, 0, 25);
  Put(12, 10, kFixCross);
  Put(14, 10, kFixCross);
  TrainRec* a = Run(Place(1, {32, 32}, Line(10, 10, -1, 0, 3), 1, 0));
  TrainRec* b = Run(Place(2, {32, 32}, Line(14, 7, 0, -1, 3), 0, 1));
  int waitedAtMark = 0;
  Ticks(100 * 60, [&] {
    const TrainCell& h = Head(b);
    if ((b->StateFlags & TRN_BLOCKED) && Marked(h.X, h.Y + 1) && Trn_PathQueryAt(h.X, h.Y + 1, 0) == a)
      waitedAtMark = 1;
  });
  if (HasFatalFailure()) return;
  EXPECT_TRUE(waitedAtMark);
  // Both crossed and reached the ends of their lines.
  EXPECT_EQ(30, Head(a).X);
  EXPECT_EQ(25, Head(b).Y);
  for (i32 x = 10; x <= 20; ++x) EXPECT_FALSE(Marked(x, 10)) << x;
}

// A train runs west into a buffer stop, turns round and runs back east.
TEST_F(RouteScenarioTest, ATrainReversesAtATerminus) {
  Put(5, 10, kFixBuffer);
  Row(6, 30, 10);
  TrainRec* t = Run(Place(1, {32, 32}, Line(20, 10, 1, 0, 3), -1, 0));
  const u32 first = Trn_Vehicles(t)[0].Vehicle;
  i32 westmost = 99;
  Ticks(100 * 60, [&] { westmost = std::min(westmost, Head(t).X); });
  if (HasFatalFailure()) return;
  EXPECT_EQ(6, westmost) << "the train ran up to the buffer stop";
  EXPECT_EQ(1, t->DirX);
  EXPECT_EQ(30, Head(t).X);
  EXPECT_NE(first, Trn_Vehicles(t)[0].Vehicle) << "the last vehicle leads now";
}

// A train of four vehicles is split where a shunting point would split it;
// the front part runs on east and is parked for coupling at the end of the
// line, the rear part runs west, turns at the buffer stop, runs east again
// and is joined to the parked part.
TEST_F(RouteScenarioTest, ATrainSplitsItsPartsRunOnAndJoinAgain) {
  Put(2, 10, kFixBuffer);
  Row(3, 40, 10);
  TrainRec* t = Run(Place(4, {32, 32, 32, 32}, Line(15, 10, -1, 0, 5), 1, 0));
  ASSERT_EQ(0, Trn_Split(t, TRN_SPLIT_SPLIT, 0, 0, 0, 2));
  ASSERT_EQ(2u, Trn_GetCount());
  TrainRec* front = TrnList_GetFirst();
  TrainRec* rear = front->Next;
  if (front->DirX < 0) std::swap(front, rear);
  Run(front);
  Run(rear);
  int parked = 0;
  i32 rearWest = 99;
  Ticks(100 * 120, [&] {
    if (Trn_GetCount() == 2) {
      rearWest = std::min(rearWest, Head(rear).X);
      // The front part stands at the end of the line: park it for coupling.
      if (!parked && Head(front).X == 40 && (front->StateFlags & TRN_BLOCKED)) {
        ASSERT_EQ(10, Trn_Split(front, TRN_SPLIT_PARK, 0, 0, 0, 0));
        parked = 1;
      }
    }
  });
  if (HasFatalFailure()) return;
  EXPECT_TRUE(parked);
  EXPECT_EQ(3, rearWest) << "the rear part ran west to the buffer stop";
  ASSERT_EQ(1u, Trn_GetCount()) << "the two parts were joined";
  const TrainRec* j = TrnList_GetFirst();
  EXPECT_EQ(4u, j->VehicleCount);
  EXPECT_EQ(4u, j->LastCell);
  EXPECT_EQ(40, Head(j).X);
}

// A layout saved while trains run through the station, and loaded again,
// runs on as the one that was not saved: the same cells at the same ticks.
TEST_F(RouteScenarioTest, ASavedLayoutRunsOnIdentically) {
  const u32 lineA = 1, lineB = 2;
  BuildStation(lineB);
  if (HasFatalFailure()) return;
  Run(Place(1, {32, 32}, Line(5, 10, -1, 0, 3), 1, 0, lineA));
  Run(Place(1, {32, 32}, Line(2, 10, -1, 0, 3), 1, 0, lineB), 60000);
  Ticks(100 * 9);
  const wstr folder = Test_MakeTempFolder();
  const wstr name = u"route.nt3";
  for (size_t i = 0; i <= name.size(); ++i) LayoutFileName[i] = i < name.size() ? name[i] : 0;
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  const SimClock clock = g_simClock;
  auto trace = [&] {
    std::vector<i32> v;
    Ticks(100 * 30, [&] {
      for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
        v.push_back(Head(t).X * 100 + Head(t).Y);
        v.push_back(t->SubCellOffset);
      }
      for (i32 x = 14; x <= 30; ++x) v.push_back(Marked(x, 10));
    });
    return v;
  };
  const std::vector<i32> straight = trace();
  // The stretch traced holds the trains' passage through the station.
  int marks = 0;
  for (size_t i = 0; i < straight.size(); ++i) marks += (i % 21) >= 4 && straight[i] == 1;
  EXPECT_GT(marks, 0);
  ASSERT_EQ(LAY_LOAD_WARNINGS, Lay_LoadFile(name.c_str()));  // no vehicle sets here
  g_simClock = clock;
  const std::vector<i32> reloaded = trace();
  ASSERT_EQ(straight.size(), reloaded.size());
  for (size_t i = 0; i < straight.size(); ++i)
    ASSERT_EQ(straight[i], reloaded[i]) << "tick " << i / 21 << " value " << i % 21;
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "model/grid.h"
#include "model/line.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnquery.h"
#include "platform/fio.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

TrainRec Template(u32 line, i32 number, u32 lastCell = 2, u32 vehicles = 2) {
  TrainRec t;
  std::memset(&t, 0, sizeof t);
  t.Line = t.CurLine = line;
  t.Number = number;
  t.LastCell = lastCell;
  t.VehicleCount = vehicles;
  t.MaxSpeed = 80000;
  t.Accel = 50;
  t.Brake = 100;
  t.HomeDepot = 1;
  t.HomePlace = 1;
  return t;
}

int Create(u32 line, i32 number, u32 lastCell = 2, u32 vehicles = 2, const char* text = nullptr) {
  TrainRec t = Template(line, number, lastCell, vehicles);
  std::vector<TrainCompositionEntry> comp(vehicles ? vehicles : 1);
  for (u32 i = 0; i < vehicles; ++i) comp[i] = {0x1230u + i, i == 1 ? 0x8000u : 0u};
  wstr w = text ? W16(text) : wstr();
  t.TextLen = i32(w.size());
  return TrnList_Create(comp.data(), &t, w.c_str(), 100 + number, 200, 0);
}

std::vector<std::pair<u32, i32>> Keys() {
  std::vector<std::pair<u32, i32>> keys;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) keys.push_back({t->Line, t->Number});
  return keys;
}

// Every state list and bucket, walked: each train must sit in the list its
// StateList names and in no other, at most once in a bucket, and every
// train met must still be in the list of all trains.
void ExpectListsConsistent() {
  std::set<TrainRec*> all;
  u32 n = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next, ++n) all.insert(t);
  EXPECT_EQ(n, Trn_GetCount());
  std::set<TrainRec*> seen;
  for (u32 list = 1; list <= TRN_LIST_RETRY_LAST; ++list)
    for (TrainRec* t = TrnList_StateHead(list); t; t = t->NextInState) {
      ASSERT_TRUE(all.count(t)) << "a list keeps a train that is gone, list " << list;
      EXPECT_EQ(list, t->StateList);
      EXPECT_TRUE(seen.insert(t).second) << "a train in two state lists";
    }
  for (TrainRec* t : all)
    if (t->StateList != TRN_LIST_NONE) {
      EXPECT_TRUE(seen.count(t)) << "a train not in the list it names";
    }
  std::set<TrainRec*> inBucket;
  for (u32 k = 0; k < TRN_MARKER_BUCKETS; ++k)
    for (TrainRec* t = TrnList_Bucket(k); t; t = t->MarkerLink) {
      ASSERT_TRUE(all.count(t)) << "a bucket keeps a train that is gone";
      EXPECT_EQ(CELL_TRAIN_FIRST + k, t->MarkerCode);
      EXPECT_TRUE(inBucket.insert(t).second);
    }
}

bool InBucket(TrainRec* train) {
  for (u32 k = 0; k < TRN_MARKER_BUCKETS; ++k)
    for (TrainRec* t = TrnList_Bucket(k); t; t = t->MarkerLink)
      if (t == train) return true;
  return false;
}

class TrnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    TrnList_Clear();
    Ewin_ClearModified();
  }
  void TearDown() override {
    ExpectListsConsistent();
    TrnList_Clear();
    Grid_Exit();
  }

  // Puts a created train on the track along a row of track cells from
  // (x, y) westwards, with its marker in the grid, in the list its flags
  // select once 0x2 is gone.
  TrainRec* PlaceOnTrack(u32 line, i32 number, i32 x, i32 y, u32 extraFlags = 0) {
    TrainRec* t = TrnList_Find(line, number);
    EXPECT_NE(nullptr, t);
    if (!t) return nullptr;
    TrainCell* c = Trn_Cells(t);
    for (u32 i = 0; i <= t->LastCell; ++i) {
      c[i].X = x - i32(i);
      c[i].Y = y;
      c[i].Level = 0;
      c[i].SavedCode = 1;
      Grid_SetCell(c[i].X, c[i].Y, 0, CellCode(0x0100 + i));
    }
    t->DirX = 1;
    t->StateFlags = (t->StateFlags & ~TRN_OFF_TRACK) | extraFlags;
    TrnList_EnterStateList(t);
    TrnList_RefreshCellCodes(1);
    return t;
  }
};

// ---------------------------------------------------------------- create and order

TEST_F(TrnTest, CreatedTrainsAreOffTheTrackAndListedByLineAndNumber) {
  EXPECT_EQ(0, Create(2, 5));
  EXPECT_EQ(0, Create(1, 3));
  EXPECT_EQ(0, Create(1, 1, 0, 1, "first"));
  EXPECT_EQ(0, Create(2, 1));
  EXPECT_EQ(1, Ewin_IsModified());
  const std::vector<std::pair<u32, i32>> want = {{1, 1}, {1, 3}, {2, 1}, {2, 5}};
  EXPECT_EQ(want, Keys());
  EXPECT_EQ(4u, Trn_GetCount());

  TrainRec* t = TrnList_Find(1, 1);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(TRN_OFF_TRACK, t->StateFlags);
  EXPECT_EQ(u32(TRN_LIST_OFF_TRACK), t->StateList);
  EXPECT_EQ(TRN_NONE, t->AtStop);
  EXPECT_EQ(1u, t->StepInterval);
  EXPECT_EQ(10u, t->StepDecrement);
  EXPECT_EQ(TRN_NONE, t->NextRunSound);
  EXPECT_EQ(18u, t->AccelStep);  // 50 x 9 / 25
  EXPECT_EQ(36u, t->BrakeStep);
  EXPECT_EQ(101, Trn_Cells(t)[0].X);
  EXPECT_EQ(wstr(u"first"), wstr(t->Text, t->TextLen));
  EXPECT_FALSE(InBucket(t)) << "a train off the track has no marker bucket";

  // The same key again is refused and changes nothing.
  EXPECT_EQ(TRN_CREATE_EXISTS, Create(2, 5));
  EXPECT_EQ(want, Keys());

  // Number 0 finds the first train of a line.
  EXPECT_EQ(2, TrnList_IndexOf(2, 0));
  EXPECT_EQ(3, TrnList_IndexOf(2, 5));
  EXPECT_EQ(-1, TrnList_IndexOf(3, 0));
}

TEST_F(TrnTest, CreateRefusesCountsThatDoNotFitARecord) {
  struct Case {
    const char* what;
    u32 lastCell, vehicles;
    i32 number;
  } cases[] = {
      {"201 cells", 201, 1, 1},
      {"huge cell count", 0xFFFFFFFFu, 1, 1},
      {"201 vehicles", 2, 201, 1},
      {"number 0", 2, 1, 0},
  };
  for (const Case& c : cases) {
    TrainRec t = Template(1, c.number, c.lastCell, c.vehicles);
    std::vector<TrainCompositionEntry> comp(201);
    EXPECT_EQ(TRN_CREATE_BAD_VALUES, TrnList_Create(comp.data(), &t, nullptr, 1, 1, 0)) << c.what;
  }
  EXPECT_EQ(0u, Trn_GetCount());
  // The largest train there is.
  TrainRec t = Template(1, 1, 200, 200);
  std::vector<TrainCompositionEntry> comp(200);
  EXPECT_EQ(TRN_CREATE_OK, TrnList_Create(comp.data(), &t, nullptr, 1, 1, 0));
}

TEST_F(TrnTest, ReadingATrainCopiesItsCellAndVehicles) {
  ASSERT_EQ(0, Create(1, 7, 2, 3));
  TrainRec* t = TrnList_Find(1, 7);
  Trn_Vehicles(t)[2].VehFlags |= TRN_VEH_MISSING;
  Trn_Vehicles(t)[2].Length = 96;
  t->DirX = -1;
  t->DirY = 1;

  i32 x = 0, y = 0, level = 5;
  u32 dir = 0;
  TrainRec fixed;
  TrainCompositionEntry v[3] = {};
  TrainReadOut out = {&x, &y, &level, &dir, &fixed, v, 3, 1};
  EXPECT_EQ(0, TrnList_GetByIndex(1, &out));
  ASSERT_EQ(1, TrnList_GetByIndex(0, &out));
  EXPECT_EQ(107, x);
  EXPECT_EQ(200, y);
  EXPECT_EQ(0, level);
  EXPECT_EQ(64u, dir);  // (-1, +1)
  EXPECT_EQ(7, fixed.Number);
  EXPECT_EQ(0x1230u, v[0].Vehicle);
  EXPECT_EQ(0x8000u, v[1].Flags);
  EXPECT_EQ(TRN_MISSING_VEHICLE | 96u, v[2].Vehicle) << "a missing vehicle is given as its length";
}

// ---------------------------------------------------------------- update and renumber

TEST_F(TrnTest, RenumberingResortsAndRefusesATakenKey) {
  ASSERT_EQ(0, Create(1, 1));
  ASSERT_EQ(0, Create(1, 2));
  ASSERT_EQ(0, Create(1, 3, 2, 2, "abc"));
  TrainRec fixed;
  TrainReadOut out = {nullptr, nullptr, nullptr, nullptr, &fixed, nullptr, 0, 1};

  ASSERT_EQ(1, TrnList_GetByIndex(0, &out));
  fixed.Number = 9;
  EXPECT_EQ(TRN_SET_OK, TrnList_SetByIndex(0, &fixed, nullptr));
  std::vector<std::pair<u32, i32>> want = {{1, 2}, {1, 3}, {1, 9}};
  EXPECT_EQ(want, Keys());

  // Another train's key: refused, nothing changes.
  ASSERT_EQ(1, TrnList_GetByIndex(0, &out));
  fixed.Number = 3;
  fixed.MaxSpeed = 1;
  EXPECT_EQ(TRN_SET_KEY_TAKEN, TrnList_SetByIndex(0, &fixed, nullptr));
  EXPECT_EQ(want, Keys());
  EXPECT_EQ(80000u, TrnList_AtIndex(0)->MaxSpeed);

  // A new line moves the train too.
  ASSERT_EQ(1, TrnList_GetByIndex(2, &out));
  fixed.Line = 0;
  EXPECT_EQ(TRN_SET_OK, TrnList_SetByIndex(2, &fixed, nullptr));
  want = {{0, 9}, {1, 2}, {1, 3}};
  EXPECT_EQ(want, Keys());
  EXPECT_EQ(TRN_SET_NONE, TrnList_SetByIndex(3, &fixed, nullptr));
}

TEST_F(TrnTest, UpdateKeepsTheRecordsSizeListsAndWaits) {
  ASSERT_EQ(0, Create(1, 1, 2, 2, "longer text"));
  TrainRec* t = TrnList_Find(1, 1);
  TrainRec fixed = *t;
  fixed.LastCell = 200;  // a dialog's copy must not resize the block
  fixed.VehicleCount = 200;
  fixed.StateFlags = 0;
  fixed.Next = fixed.NextInState = nullptr;
  fixed.Accel = 100;
  wstr shorter = u"short";
  fixed.TextLen = i32(shorter.size());
  EXPECT_EQ(TRN_SET_OK, TrnList_SetByIndex(0, &fixed, shorter.c_str()));
  EXPECT_EQ(2u, t->LastCell);
  EXPECT_EQ(2u, t->VehicleCount);
  EXPECT_EQ(TRN_OFF_TRACK, t->StateFlags);
  EXPECT_EQ(u32(TRN_LIST_OFF_TRACK), t->StateList);
  EXPECT_EQ(36u, t->AccelStep);
  EXPECT_EQ(shorter, wstr(t->Text, t->TextLen));

  wstr longer = u"a much longer text than before";
  fixed.TextLen = i32(longer.size());
  EXPECT_EQ(TRN_SET_OK, TrnList_SetByIndex(0, &fixed, longer.c_str()));
  EXPECT_EQ(longer, wstr(t->Text, t->TextLen));
  fixed.TextLen = 0;
  EXPECT_EQ(TRN_SET_OK, TrnList_SetByIndex(0, &fixed, nullptr));
  EXPECT_EQ(nullptr, t->Text);
  EXPECT_EQ(0, t->TextLen);
}

// ---------------------------------------------------------------- numbers

TEST_F(TrnTest, NextFreeNumberNeverGivesATakenNumber) {
  struct Case {
    const char* what;
    std::vector<i32> numbers;
    i32 next, last;
  } cases[] = {
      {"no trains", {}, 1, 0},
      {"1, 2, 5", {1, 2, 5}, 3, 5},
      {"2, 3", {2, 3}, 1, 3},
      {"1..998", {}, 999, 998},
      {"1..999", {}, 0, 999},
      {"1..999 and 1005", {}, 0, 1005},
  };
  cases[3].numbers.clear();
  for (i32 n = 1; n <= 998; ++n) cases[3].numbers.push_back(n);
  cases[4].numbers = cases[3].numbers;
  cases[4].numbers.push_back(999);
  cases[5].numbers = cases[4].numbers;
  cases[5].numbers.push_back(1005);
  for (const Case& c : cases) {
    TrnList_Clear();
    ASSERT_EQ(0, Create(7, 4));  // another line's trains do not count
    TrnList_Find(7, 4)->Line = 6;
    for (i32 n : c.numbers) ASSERT_EQ(0, Create(3, n, 0, 0));
    const i32 next = TrnList_NextFreeNumber(3);
    EXPECT_EQ(c.next, next) << c.what;
    if (next) {
      EXPECT_EQ(nullptr, TrnList_Find(3, next)) << c.what;
    }
    EXPECT_EQ(c.last, TrnList_LastNumber(3)) << c.what;
  }
}

// ---------------------------------------------------------------- deleting

TEST_F(TrnTest, DeletingALineKeepsTrainsOnTheTrack) {
  ASSERT_EQ(0, Create(1, 1));
  ASSERT_EQ(0, Create(1, 2));
  ASSERT_EQ(0, Create(1, 3));
  ASSERT_EQ(0, Create(2, 1));
  PlaceOnTrack(1, 2, 500, 500);
  Ewin_ClearModified();
  EXPECT_EQ(TRN_DELETE_SOME_ON_TRACK, TrnList_DeleteTrains(1, 0));
  const std::vector<std::pair<u32, i32>> want = {{1, 2}, {2, 1}};
  EXPECT_EQ(want, Keys());
  EXPECT_EQ(1, Ewin_IsModified());
  EXPECT_EQ(TRN_DELETE_NONE, TrnList_DeleteTrains(1, 7));
  EXPECT_EQ(TRN_DELETE_OK, TrnList_DeleteTrains(2, 1));
}

// A train on the track leaves the lists it is really in; setting the
// off-track bit first would have sent the unlink to the off-track list and
// left the freed record in its own list and bucket.
TEST_F(TrnTest, DeletingATrainOnTheTrackUnlinksItFromItsRealLists) {
  struct Case {
    const char* what;
    u32 flags;
    u32 list;
  } cases[] = {
      {"moving", 0, TRN_LIST_MOVING},
      {"at a stop", TRN_AT_STOP, TRN_LIST_STOP},
      {"held", TRN_HELD, TRN_LIST_HELD},
      {"blocked", TRN_BLOCKED, TRN_LIST_RETRY + 2},
      {"paused", TRN_PAUSED, TRN_LIST_NONE},
  };
  for (const Case& c : cases) {
    TrnList_Clear();
    Grid_Clear();
    ASSERT_EQ(0, Create(1, 1));
    ASSERT_EQ(0, Create(1, 2));
    TrnList_Find(1, 1)->WaitLeft = 4;
    TrnList_Find(1, 2)->WaitLeft = 9;
    TrainRec* keep = PlaceOnTrack(1, 1, 300, 300, c.flags);
    TrainRec* gone = PlaceOnTrack(1, 2, 400, 300, c.flags);
    ASSERT_EQ(c.list, gone->StateList) << c.what;
    ASSERT_TRUE(InBucket(gone)) << c.what;
    const u16 marker = gone->MarkerCode;
    EXPECT_EQ(marker, Grid_GetCell(400, 300, 0));

    EXPECT_EQ(1, TrnList_DeleteOnTrack(1, 2)) << c.what;
    ExpectListsConsistent();
    EXPECT_EQ(1u, Trn_GetCount());
    for (i32 i = 0; i < 3; ++i) EXPECT_EQ(CellCode(0x0100 + i), Grid_GetCell(400 - i, 300, 0)) << c.what;
    EXPECT_EQ(keep->MarkerCode, Grid_GetCell(300, 300, 0)) << c.what;
    if (c.list == TRN_LIST_STOP) {
      EXPECT_EQ(4, TrnList_StopRemaining(keep));
    }
  }
  EXPECT_EQ(0, TrnList_DeleteOnTrack(5, 5));
}

TEST_F(TrnTest, ClearingFreesFollowedAndListedTrains) {
  ASSERT_EQ(0, Create(1, 1));
  TrainRec* t = PlaceOnTrack(1, 1, 50, 50);
  t->StateFlags |= TRN_FOLLOWED;
  Trn_SetFollowed(t);
  TrnList_DeleteTrains(1, 1);  // on the track: stays
  EXPECT_EQ(t, Trn_GetFollowed());
  TrnList_Clear();
  EXPECT_EQ(nullptr, Trn_GetFollowed());
  EXPECT_EQ(0u, Trn_GetCount());
  EXPECT_EQ(nullptr, TrnList_StateHead(TRN_LIST_MOVING));
}

// ---------------------------------------------------------------- pause and resume

// Resuming relinks the train into the list its state selects: the moving
// list alone would leave a blocked train (or one waiting for its stop sound)
// in the wrong list for the unlink its flags later ask for.
TEST_F(TrnTest, ResumeRelinksThePausedTrainByItsState) {
  struct Case {
    const char* what;
    u32 flags;
    u32 afterResume;
  } cases[] = {
      {"moving", 0, TRN_LIST_MOVING},
      {"blocked", TRN_BLOCKED, TRN_LIST_RETRY},
      {"waits in a depot place", TRN_DEPOT_WAIT, TRN_LIST_RETRY},
      {"waits for its stop sound", TRN_STOP_SOUND, TRN_LIST_STOP_SOUND},
      {"at a stop (the wait ends)", TRN_AT_STOP, TRN_LIST_MOVING},
      {"reverse wait (the wait ends)", TRN_REVERSE_WAIT, TRN_LIST_MOVING},
  };
  for (const Case& c : cases) {
    TrnList_Clear();
    Grid_Clear();
    ASSERT_EQ(0, Create(4, 1));
    TrnList_Find(4, 1)->WaitLeft = 6;
    TrainRec* t = PlaceOnTrack(4, 1, 80, 80, c.flags);
    const u16 marker = t->MarkerCode;
    EXPECT_EQ(TRN_PAUSE_OK, TrnList_PauseTrain(4, 1)) << c.what;
    EXPECT_EQ(TRN_PAUSE_ALREADY, TrnList_PauseTrain(4, 1));
    EXPECT_EQ(u32(TRN_LIST_NONE), t->StateList) << c.what;
    if (!(c.flags & TRN_DEPOT_WAIT)) {
      EXPECT_TRUE(InBucket(t)) << "a paused train on the track keeps its bucket";
    }
    ExpectListsConsistent();

    EXPECT_EQ(TRN_PAUSE_OK, TrnList_ResumeTrain(4, 1)) << c.what;
    EXPECT_EQ(TRN_PAUSE_NOT_PAUSED, TrnList_ResumeTrain(4, 1));
    EXPECT_FALSE(t->StateFlags & TRN_PAUSED);
    const u32 want = TrnList_ListForFlags(t->StateFlags);
    EXPECT_EQ(c.afterResume, want == TRN_LIST_RETRY ? want : t->StateList) << c.what;
    if (want == TRN_LIST_RETRY) {
      EXPECT_GE(t->StateList, u32(TRN_LIST_RETRY)) << c.what;
    }
    EXPECT_EQ(marker, t->MarkerCode) << "resuming gives no new marker";
    if (c.afterResume == TRN_LIST_STOP_SOUND) {
      EXPECT_EQ(6, TrnList_StopSoundRemaining(t));
    }
    ExpectListsConsistent();
    // The flags and the list agree: the train can be taken off and deleted.
    EXPECT_EQ(1, TrnList_DeleteOnTrack(4, 1)) << c.what;
    ExpectListsConsistent();
  }
  EXPECT_EQ(TRN_PAUSE_NONE, TrnList_PauseTrain(9, 9));
  EXPECT_EQ(TRN_PAUSE_NONE, TrnList_ResumeTrain(9, 9));
}

TEST_F(TrnTest, PausingATrainSetAsideOnlyClearsThatBit) {
  ASSERT_EQ(0, Create(1, 1));
  TrainRec* t = PlaceOnTrack(1, 1, 80, 80, TRN_SET_ASIDE);
  EXPECT_EQ(u32(TRN_LIST_NONE), t->StateList);
  EXPECT_EQ(TRN_PAUSE_OK, TrnList_PauseTrain(1, 1));
  EXPECT_EQ(TRN_PAUSED, t->StateFlags & (TRN_PAUSED | TRN_SET_ASIDE));
  EXPECT_EQ(TRN_PAUSE_OK, TrnList_ResumeTrain(1, 1));
  EXPECT_EQ(u32(TRN_LIST_MOVING), t->StateList);
}

// ---------------------------------------------------------------- lists

TEST_F(TrnTest, CountDownListsKeepDeltas) {
  for (i32 n = 1; n <= 4; ++n) ASSERT_EQ(0, Create(1, n));
  TrainRec* a = TrnList_Find(1, 1);
  TrainRec* b = TrnList_Find(1, 2);
  TrainRec* c = TrnList_Find(1, 3);
  TrainRec* d = TrnList_Find(1, 4);
  const i32 waits[] = {5, 5, 3};
  TrainRec* order[] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    order[i]->WaitLeft = waits[i];
    order[i]->StateFlags = TRN_AT_STOP;
    TrnList_LinkState(order[i]);
  }
  std::vector<TrainRec*> got;
  std::vector<i32> deltas;
  for (TrainRec* t = TrnList_StateHead(TRN_LIST_STOP); t; t = t->NextInState) {
    got.push_back(t);
    deltas.push_back(t->WaitLeft);
  }
  EXPECT_EQ((std::vector<TrainRec*>{c, a, b}), got) << "equal waits leave in the order they came";
  EXPECT_EQ((std::vector<i32>{3, 2, 0}), deltas);
  EXPECT_EQ(5, TrnList_StopRemaining(b));
  EXPECT_EQ(0, TrnList_ReverseWaitRemaining(b));
  EXPECT_EQ(0, TrnList_StopRemaining(d));

  // The head leaves: its delta goes to the new head; its remaining wait stays
  // in its own field.
  TrnList_UnlinkStop(c);
  EXPECT_EQ(3, c->WaitLeft);
  EXPECT_EQ(a, TrnList_StateHead(TRN_LIST_STOP));
  EXPECT_EQ(5, a->WaitLeft);
  EXPECT_EQ(5, TrnList_StopRemaining(b));
  // A train entered with wait 0 goes to the head.
  d->WaitLeft = 0;
  d->StateFlags = TRN_REVERSE_WAIT;
  TrnList_LinkState(d);
  EXPECT_EQ(d, TrnList_StateHead(TRN_LIST_REVERSE_WAIT));
  c->StateFlags = TRN_OFF_TRACK;
  TrnList_LinkState(c);
}

TEST_F(TrnTest, MarkersAndRetryListsGoRoundRobin) {
  ASSERT_EQ(0, Create(1, 1));
  TrainRec* t = TrnList_Find(1, 1);
  t->StateFlags = 0;
  std::vector<u16> markers;
  for (int i = 0; i < 257; ++i) {
    TrnList_AssignMarker(t);
    markers.push_back(t->MarkerCode);
  }
  EXPECT_EQ(0xBF01, markers[0]);
  EXPECT_EQ(0xBF00, markers[255]);
  EXPECT_EQ(markers[0], markers[256]);
  TrnList_UnlinkMarker(t);
  EXPECT_FALSE(InBucket(t));

  std::vector<u32> lists;
  for (int i = 0; i < 11; ++i) {
    TrnList_AddRetry(t);
    lists.push_back(t->StateList - TRN_LIST_RETRY);
  }
  EXPECT_EQ((std::vector<u32>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}), lists);
  t->StateFlags = TRN_BLOCKED;
  t->RetryCount = 3;
  TrnList_UnlinkRetry(t);
  EXPECT_EQ(0u, t->RetryCount);
  EXPECT_EQ(0u, t->StateFlags);
  EXPECT_EQ(u32(TRN_LIST_NONE), t->StateList);
  // Unlinking from a list the train is not in changes nothing.
  TrnList_UnlinkMoving(t);
  TrnList_UnlinkStop(t);
  t->StateFlags = TRN_OFF_TRACK;
  TrnList_LinkState(t);

  // A reset starts the markers again at 0xBF01.
  TrnList_Clear();
  ASSERT_EQ(0, Create(1, 1));
  t = TrnList_Find(1, 1);
  TrnList_AssignMarker(t);
  EXPECT_EQ(0xBF01, t->MarkerCode);
}

// ---------------------------------------------------------------- cells

TEST_F(TrnTest, CellQueriesAnswerTheCodeUnderTheTrain) {
  EXPECT_EQ(0xC000, Trn_GetCellGraphic(10, 10, 0, 0xBF05));
  ASSERT_EQ(0, Create(1, 1));
  ASSERT_EQ(0, Create(1, 2));
  TrainRec* t = PlaceOnTrack(1, 2, 1000, 1000);
  EXPECT_EQ(1, TrnList_IndexAtCell(999, 1000, 0));
  EXPECT_EQ(-1, TrnList_IndexAtCell(1001, 1000, 0));
  EXPECT_EQ(t->MarkerCode, Grid_GetCell(999, 1000, 0));
  EXPECT_EQ(0x0101, Trn_GetCellGraphic(999, 1000, 0, t->MarkerCode));
  EXPECT_EQ(0x0101, Trn_GetCellGraphic(999, 1000, 0, 0xC000)) << "without a marker every train is searched";
  EXPECT_EQ(0x0101, Grid_GetCellNorm(999, 1000, 0));
  EXPECT_EQ(t, Trn_GetFollowed() ? Trn_GetFollowed() : t);

  EXPECT_EQ(0, Trn_SetCellGraphic(999, 1000, 0, 0x0222, t->MarkerCode));
  EXPECT_EQ(0x0222, Trn_GetCellGraphic(999, 1000, 0, t->MarkerCode));
  EXPECT_EQ(1, Trn_SetCellGraphic(5, 5, 0, 0x0222, t->MarkerCode));

  u32 flags = 7;
  i32 number = 0;
  u32 line = 0;
  EXPECT_EQ(0, Trn_InfoAtCell(1000, 1000, 0, &flags, &number, &line, t->MarkerCode));
  EXPECT_EQ(0u, flags);
  EXPECT_EQ(2, number);
  EXPECT_EQ(1u, line);
  EXPECT_EQ(1, Trn_InfoAtCell(1000, 1001, 0, nullptr, nullptr, nullptr, t->MarkerCode));

  EXPECT_EQ(0, Trn_IsFollowedAtCell(1000, 1000, 0));
  Trn_SetFollowed(t);
  EXPECT_EQ(1, Trn_IsFollowedAtCell(1000, 1000, 0));
  TrnList_StopFollowing();

  // A second rebuild keeps the codes under the trains.
  TrnList_RefreshCellCodes(1);
  EXPECT_EQ(0x0222, Trn_GetCellGraphic(999, 1000, 0, t->MarkerCode));
  EXPECT_EQ(0x0100, Trn_GetCellGraphic(1000, 1000, 0, t->MarkerCode));
  EXPECT_EQ(Grid_CellPtr(998, 1000, 0), Trn_Cells(t)[2].GridWord);
}

TEST_F(TrnTest, RefreshLooksOnlyAtTheFirstCellOfTrainsOffTheTrack) {
  ASSERT_EQ(0, Create(1, 1));
  TrainRec* t = TrnList_Find(1, 1);
  Trn_Cells(t)[0].SavedCode = 1;
  Trn_Cells(t)[1].SavedCode = 1;
  Grid_SetCell(101, 200, 0, 0x0100);
  TrnList_RefreshCellCodes(1);
  EXPECT_EQ(TRN_NO_CODE, Trn_Cells(t)[0].SavedCode);
  EXPECT_EQ(Grid_CellPtr(101, 200, 0), Trn_Cells(t)[0].GridWord);
  EXPECT_EQ(TRN_NO_CODE, Trn_Cells(t)[1].SavedCode);
  EXPECT_EQ(nullptr, Trn_Cells(t)[1].GridWord);
  EXPECT_EQ(0x0100, Grid_GetCell(101, 200, 0)) << "no marker for a train off the track";
}

TEST_F(TrnTest, VehicleFrontsAreCountedPerCell) {
  ASSERT_EQ(0, Create(1, 1, 4, 3));
  TrainRec* t = TrnList_Find(1, 1);
  TrainVehicle* v = Trn_Vehicles(t);
  v[0].Length = 64;  // quarters 0..7
  v[1].Length = 40;  // quarters 8..12
  v[2].Length = 24;  // quarters 13..15
  Trn_MarkVehicleStarts(t);
  const TrainCell* c = Trn_Cells(t);
  EXPECT_EQ(1, c[0].CellFlags);
  EXPECT_EQ(0, c[1].CellFlags);
  EXPECT_EQ(1, c[2].CellFlags);
  EXPECT_EQ(1, c[3].CellFlags);
  EXPECT_EQ(128u, Trn_TotalLength(t));
}

// The compositor's cell image: exhaust unless the train is paused; the
// alternate pictures while it stands, when the first part in the cell faces
// the way it leaves (forward, or back when it reverses after the stop); a
// seed that stays while the train stands and changes when it moves.
TEST_F(TrnTest, CellImageCarriesExhaustAndAlternateFlags) {
  ASSERT_EQ(0, Create(1, 1, 2, 2));
  TrainRec* t = PlaceOnTrack(1, 1, 1000, 1000);
  ASSERT_NE(nullptr, t);
  TrainVehicle* v = Trn_Vehicles(t);
  v[0].Length = v[1].Length = 40;
  const u32 kReverse = 0x40000;
  struct {
    int dx;  // 1: travelling right (part flag 8), -1: left (4)
    u32 state;
    int smoke, alternate;
  } cases[] = {
      {1, 0, 1, 0},
      {1, TRN_IN_SERVICE, 1, 0},
      {1, TRN_PAUSED, 0, 0},
      {1, TRN_AT_STOP, 1, 1},
      {1, TRN_HELD, 1, 1},
      {1, TRN_STOP_SOUND, 1, 1},
      {1, TRN_AT_STOP | TRN_PAUSED, 0, 1},
      {1, TRN_AT_STOP | kReverse, 1, 0},
      {1, kReverse, 1, 0},
      {-1, TRN_AT_STOP, 1, 0},
      {-1, TRN_AT_STOP | kReverse, 1, 1},
      {-1, TRN_HELD | kReverse, 1, 1},
  };
  TrainCell* c = Trn_Cells(t);
  for (auto& k : cases) {
    for (u32 i = 0; i <= t->LastCell; ++i) c[i].X = 1000 - k.dx * i32(i);
    t->DirX = k.dx;
    t->StateFlags = k.state;
    TrnCellImage img;
    EXPECT_EQ(c[0].SavedCode, Trn_CellVehicleImage(1000, 1000, 0, &img, t->MarkerCode));
    ASSERT_GE(img.count, 1);
    EXPECT_EQ(k.dx > 0 ? 8 : 4, img.parts[0].flags);
    EXPECT_EQ(k.smoke, img.smoke) << std::hex << k.state << " dx " << k.dx;
    EXPECT_EQ(k.alternate, img.alternate) << std::hex << k.state << " dx " << k.dx;
  }
  for (u32 i = 0; i <= t->LastCell; ++i) c[i].X = 1000 - i32(i);
  t->DirX = 1;
  t->StateFlags = TRN_IN_SERVICE;
  TrnCellImage a, b;
  Trn_CellVehicleImage(999, 1000, 0, &a, t->MarkerCode);
  Trn_CellVehicleImage(999, 1000, 0, &b, t->MarkerCode);
  EXPECT_EQ(a.seed, b.seed) << "the same cell redraws alike";
  EXPECT_GE(a.seed, 0);
  Trn_CellVehicleImage(1000, 1000, 0, &b, t->MarkerCode);
  EXPECT_NE(a.seed, b.seed) << "another cell of the train";
  t->SubCellOffset += 2;
  Trn_CellVehicleImage(999, 1000, 0, &b, t->MarkerCode);
  EXPECT_NE(a.seed, b.seed) << "a step of the train";
  // No train: nothing to draw.
  EXPECT_EQ(0xC000, Trn_CellVehicleImage(5, 5, 0, &b, t->MarkerCode));
  EXPECT_EQ(0, b.count);
  EXPECT_EQ(0, b.smoke);
  EXPECT_EQ(0, b.alternate);
}

TEST_F(TrnTest, ScaledRegionKeepsATrainTogether) {
  i32 nx = 0, ny = 0;
  EXPECT_EQ(0, Trn_ScaleRegionPos(100, 100, 110, &ny, &nx, 1, 2, 1, 3, 0, 105));
  EXPECT_EQ(130, nx);
  EXPECT_EQ(110, ny);
  ASSERT_EQ(0, Create(1, 1));
  PlaceOnTrack(1, 1, 120, 104);  // cells 118..120
  EXPECT_EQ(1, Trn_ScaleRegionPos(100, 100, 118, &ny, &nx, 1, 2, 1, 3, 0, 104));
  EXPECT_EQ(158, nx);  // the head maps to 160, the cell keeps its distance 2
  EXPECT_EQ(108, ny);
}

TEST_F(TrnTest, ResortRestoresTheOrder) {
  for (i32 n = 1; n <= 5; ++n) ASSERT_EQ(0, Create(1, n));
  // Scramble the keys in place, then sort.
  i32 numbers[] = {4, 2, 5, 1, 3};
  int i = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) t->Number = numbers[i++];
  TrnList_Resort();
  const std::vector<std::pair<u32, i32>> want = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}};
  EXPECT_EQ(want, Keys());
}

TEST_F(TrnTest, TrainsFollowTheLineTableOrder) {
  ASSERT_EQ(1, Lin_Init());
  LineId a = 0, b = 0;
  ASSERT_EQ(0, Lin_Create(u"A", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"B", 0, 0, &b));
  ASSERT_EQ(0, Create(b, 1));
  ASSERT_EQ(0, Create(a, 2));
  ASSERT_EQ(0, Create(a, 1));
  ASSERT_EQ(0, Create(999, 1));  // a line not in the table: last
  std::vector<std::pair<u32, i32>> want = {{a, 1}, {a, 2}, {b, 1}, {999, 1}};
  EXPECT_EQ(want, Keys());

  // B moves in front of A; the line table asks for the re-sort.
  TrnList_Init();
  ASSERT_EQ(0, Lin_RenameMove(b, nullptr, -1));
  ASSERT_EQ(1, Lin_CompareOrder(b, a));
  TrnList_Resort();
  want = {{b, 1}, {a, 1}, {a, 2}, {999, 1}};
  EXPECT_EQ(want, Keys());
  ASSERT_EQ(0, Create(a, 3));
  EXPECT_EQ(3, TrnList_IndexOf(a, 3));

  TrnList_Find(a, 2)->CurLine = b;
  TrnList_Find(b, 1)->CurLine = a;
  PlaceOnTrack(b, 1, 40, 40);
  u32 counts[4];
  TrnList_CountByLine(a, counts);
  EXPECT_EQ((std::vector<u32>{3, 1, 2, 1}), std::vector<u32>(counts, counts + 4));
  Lin_SetTrainHooks(nullptr);
  Lin_Exit();
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnretry.h"

namespace {

class TrnRetryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    TrnList_FreeAll();
  }
  void TearDown() override {
    for (TrainRec* t : made) {
      TrnList_UnlinkState(t);
      TrnList_UnlinkMarker(t);
      Trn_FreeRecord(t);
    }
    made.clear();
    TrnList_FreeAll();
  }
  TrainRec* Make(u32 flags, i32 wait = 0) {
    TrainRec* t = Trn_AllocRecord(0, 0);
    t->StateFlags = flags;
    t->WaitLeft = wait;
    t->StopSound = TRN_NONE;
    t->AtStop = TRN_NONE;
    made.push_back(t);
    return t;
  }
  static std::vector<i32> Deltas(u32 list) {
    std::vector<i32> d;
    for (TrainRec* t = TrnList_StateHead(list); t; t = t->NextInState) d.push_back(t->WaitLeft);
    return d;
  }
  std::vector<TrainRec*> made;
};

TEST_F(TrnRetryTest, ListChosenByStateFlags) {
  struct Case {
    u32 flags, want;
  } cases[] = {
      {0, TRN_LIST_MOVING},
      {TRN_IN_SERVICE | TRN_RESERVED, TRN_LIST_MOVING},
      {TRN_OFF_TRACK, TRN_LIST_OFF_TRACK},
      {TRN_HELD, TRN_LIST_HELD},
      {TRN_STOP_SOUND, TRN_LIST_STOP_SOUND},
      {TRN_AT_STOP, TRN_LIST_STOP},
      {TRN_REVERSE_WAIT, TRN_LIST_REVERSE_WAIT},
      {TRN_DEPOT_WAIT, TRN_LIST_RETRY},
      {TRN_BLOCKED, TRN_LIST_RETRY},
      {TRN_PAUSED | TRN_AT_STOP, TRN_LIST_NONE},  // paused is tested first
      {TRN_SET_ASIDE | TRN_OFF_TRACK, TRN_LIST_NONE},
      {TRN_OFF_TRACK | TRN_HELD, TRN_LIST_OFF_TRACK},  // the table order decides
      {TRN_HELD | TRN_AT_STOP, TRN_LIST_HELD},
      {TRN_STOP_SOUND | TRN_AT_STOP, TRN_LIST_STOP_SOUND},
      {TRN_AT_STOP | TRN_BLOCKED, TRN_LIST_STOP},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, TrnList_ListForFlags(c.flags)) << std::hex << c.flags;
}

// Waits 5, 5 and 3 give deltas 3, 2, 0; the two trains of 5 leave in the
// order they came, in the same second.
TEST_F(TrnRetryTest, DeltaListOrderAndExpiry) {
  TrainRec* a = Make(TRN_AT_STOP, 5);
  TrainRec* b = Make(TRN_AT_STOP, 5);
  TrainRec* c = Make(TRN_AT_STOP, 3);
  TrnList_AddStop(a);
  TrnList_AddStop(b);
  TrnList_AddStop(c);
  EXPECT_EQ((std::vector<i32>{3, 2, 0}), Deltas(TRN_LIST_STOP));
  EXPECT_EQ(c, TrnList_StateHead(TRN_LIST_STOP));
  EXPECT_EQ(5, TrnList_StopRemaining(a));
  EXPECT_EQ(5, TrnList_StopRemaining(b));
  std::vector<TrainRec*> left;
  for (int second = 1; second <= 7; ++second) {
    TrnList_StepStopList();
    for (TrainRec* t : {a, b, c})
      if (t->StateList == TRN_LIST_MOVING && !(t->StateFlags & TRN_AT_STOP) &&
          std::find(left.begin(), left.end(), t) == left.end()) {
        left.push_back(t);
        EXPECT_EQ(t == c ? 4 : 6, second);
      }
  }
  // Moving is pushed at the head: the last to leave is first.
  EXPECT_EQ((std::vector<TrainRec*>{c, a, b}), left);
  EXPECT_EQ(b, TrnList_StateHead(TRN_LIST_MOVING));
  EXPECT_EQ(a, b->NextInState);
}

TEST_F(TrnRetryTest, DeltaRemovalAndZeroWaits) {
  TrainRec* a = Make(TRN_REVERSE_WAIT, 4);
  TrainRec* b = Make(TRN_REVERSE_WAIT, 9);
  TrnList_AddReverseWait(a);
  TrnList_AddReverseWait(b);
  TrnList_UnlinkReverseWait(a);  // the head gives its delta to the next
  EXPECT_EQ(4, a->WaitLeft);
  EXPECT_EQ((std::vector<i32>{9}), Deltas(TRN_LIST_REVERSE_WAIT));
  // Waits of 0 leave at the next second, all in the same one.
  TrainRec* z1 = Make(TRN_REVERSE_WAIT, 0);
  TrainRec* z2 = Make(TRN_REVERSE_WAIT, 0);
  TrnList_AddReverseWait(z1);
  TrnList_AddReverseWait(z2);
  EXPECT_EQ((std::vector<i32>{0, 0, 9}), Deltas(TRN_LIST_REVERSE_WAIT));
  TrnList_StepReverseWaitList();
  EXPECT_EQ(u32(TRN_LIST_MOVING), z1->StateList);
  EXPECT_EQ(u32(TRN_LIST_MOVING), z2->StateList);
  EXPECT_EQ(0u, z1->StateFlags & TRN_REVERSE_WAIT);
  EXPECT_EQ((std::vector<i32>{8}), Deltas(TRN_LIST_REVERSE_WAIT));
  EXPECT_EQ(8, TrnList_ReverseWaitRemaining(b));
  a->StateFlags = 0;
}

TEST_F(TrnRetryTest, RetryListsRoundRobinAndServedSafely) {
  std::vector<TrainRec*> ts;
  for (int i = 0; i < 12; ++i) {
    ts.push_back(Make(TRN_BLOCKED));
    TrnList_AddRetry(ts.back());
  }
  const u32 want[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(TRN_LIST_RETRY + want[i], ts[i]->StateList) << i;
  // Out-of-range phases are ignored.
  Trn_ServeRetryList(-1);
  Trn_ServeRetryList(10);
  for (TrainRec* t : ts) EXPECT_GE(t->StateList, u32(TRN_LIST_RETRY));
}

TEST_F(TrnRetryTest, ReleaseHeldAtHeadCell) {
  TrainRec* t = Make(TRN_HELD);
  Trn_Cells(t)[0] = TrainCell{10, 20, -1, nullptr, TRN_NO_CODE, 0};
  TrnList_PushHeld(t);
  EXPECT_EQ(1, Trn_ReleaseHeldAt(10, 20, 0));
  EXPECT_EQ(1, Trn_ReleaseHeldAt(11, 20, -1));
  EXPECT_EQ(0, Trn_ReleaseHeldAt(10, 20, -1));
  EXPECT_EQ(0u, t->StateFlags & TRN_HELD);
  EXPECT_EQ(u32(TRN_LIST_MOVING), t->StateList);
}

}  // namespace

// Sound points, the sound catalogue and playback decisions: what each
// operation answers, the catalogue file as a user may write it, the
// section "SNDP" and the clipboard block, the vehicle sound lookup and which
// views hear a cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/layfile.h"
#include "operation/snd.h"
#include "operation/sndcat.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/os.h"
#include "render/cellin.h"
#include "tests/snd_fixture.h"
#include "tests/test_util.h"

namespace {

// A sound-point code of the narrow kind and one of the standard kind.
enum : u32 { kSoundCodeNarrow = 7168 + 128, kSoundCodeWide = 128 + 3 };

SndView PictureView(i32 x, i32 y, i32 w, i32 h, i32 level = 0) { return Snd_TestView(1, x, y, w, h, level); }

class SndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Test_LoadTexts());
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Snd_Init();
    Snd_SetOutput(1);
    Snd_SetOptions(SND_OPT_EVENTS | SND_OPT_ALARM);
    Snd_TestInstallHooks();
  }
  void TearDown() override {
    Snd_SetHooks(nullptr);
    Snd_Free();
    Grid_Clear();
  }
};

// ---------------------------------------------------------------- catalogue entries

TEST_F(SndTest, AddEntryAnswersEachRefusalAndKeepsNumberOrder) {
  const std::u16string name101(101, u'a'), name100(100, u'b');
  struct Case {
    i32 number, duration;
    const char16_t* name1;
    const char16_t* name2;
    int result;
  } cases[] = {
      {0, 100, u"a.wav", nullptr, SND_ADD_BAD_NUMBER},
      {10000, 100, u"a.wav", nullptr, SND_ADD_BAD_NUMBER},
      {50, 100, u"a.wav", nullptr, SND_ADD_OK},
      {50, 200, u"b.wav", nullptr, SND_ADD_LISTED},
      {51, 0, u"a.wav", nullptr, SND_ADD_BAD_DURATION},
      {51, 10, u"", nullptr, SND_ADD_NO_NAME},
      {51, 10, name101.c_str(), nullptr, SND_ADD_NAME1_LONG},
      {51, 10, u"a.wav", name101.c_str(), SND_ADD_NAME2_LONG},
      {9999, 10, name100.c_str(), name100.c_str(), SND_ADD_OK},
      {1, 1, u"first.wav", u"", SND_ADD_OK},
      {20, 5, u"mid.wav", u"mid_far.wav", SND_ADD_OK},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.result, Snd_AddEntry(c.number, c.duration, c.name1, c.name2)) << c.number << " " << c.duration;
  // Found by number whatever the order they came in.
  i32 last = 0;
  for (i32 n : {1, 20, 50, 9999}) {
    const SoundCatalogueEntry* e = Snd_FindEntry(n);
    ASSERT_NE(nullptr, e) << n;
    EXPECT_EQ(n, e->Number);
    EXPECT_GT(n, last);
    last = n;
  }
  EXPECT_EQ(nullptr, Snd_FindEntry(51));
  EXPECT_EQ(nullptr, Snd_FindEntry(-1));
  EXPECT_EQ(5u, Snd_GetDuration(20));
  EXPECT_EQ(0u, Snd_GetDuration(21));
  EXPECT_EQ(0u, Snd_GetDuration(0xFFFFFFFFu)) << "a train without a sound asks with -1";
  EXPECT_EQ(std::u16string(u"mid_far.wav"), std::u16string(Snd_FindEntry(20)->Name2));
}

TEST_F(SndTest, SlotKeywords) {
  const char16_t* const keywords[SND_SLOTS] = {u"ACL", u"DP1", u"DP2", u"DP3", u"AST", u"THN", u"TBL",
                                               u"TST", u"TPS", u"TAR", u"LC1", u"LC2", u"LCY"};
  for (int i = 0; i < SND_SLOTS; ++i) EXPECT_EQ(i, Snd_SlotOfKeyword(keywords[i])) << i;
  for (const char16_t* other : {u"acl", u"END", u"LC3", u"TH ", u"XYZ"}) EXPECT_EQ(-1, Snd_SlotOfKeyword(other));
}

// ---------------------------------------------------------------- vehicle ranges

TEST_F(SndTest, RangeLineForms) {
  struct Case {
    const char16_t* line;
    int form;
    i32 v[4];
  } cases[] = {
      {u"12-3,14-5", 1, {12, 3, 14, 5}},
      {u"12-a,14-a", 2, {12, -1, 14, -1}},
      {u"12-3", 3, {12, 3, 12, 3}},
      {u"12-a", 4, {12, -1, 12, -1}},
      // A line mixing the forms is read by the third form as its first pair.
      {u"12-3,14-a", 3, {12, 3, 12, 3}},
      {u"12-7,12-5", 0, {}},   // indices out of order in one set
      {u"14-a,12-a", 0, {}},   // sets out of order
      {u"0-a", 0, {}},         // sets start at 1
      {u"5-x", 0, {}},
      {u"", 0, {}},
      {u"a-1", 0, {}},
  };
  for (const Case& c : cases) {
    i32 v[4] = {99, 99, 99, 99};
    const int form = Snd_ParseRangeLine(c.line, v);
    EXPECT_EQ(c.form, form) << U8(c.line);
    if (form && c.form) {
      for (int k = 0; k < 4; ++k) EXPECT_EQ(c.v[k], v[k]) << U8(c.line) << " field " << k;
    }
  }
}

TEST_F(SndTest, RangesRefuseEveryOverlapIncludingEnclosure) {
  ASSERT_EQ(SND_RANGE_OK, Snd_AddRange(SND_SLOT_HORN, 12, 3, 14, 5, 7));
  struct Case {
    i32 fs, fi, ts, ti;
    int result;
    const char* what;
  } cases[] = {
      {13, -1, 13, -1, SND_RANGE_OVERLAP, "inside"},
      {12, 0, 12, 3, SND_RANGE_OVERLAP, "shares the start"},
      {14, 5, 15, -1, SND_RANGE_OVERLAP, "shares the end"},
      {11, -1, 15, -1, SND_RANGE_OVERLAP, "encloses it"},
      {12, 0, 12, 2, SND_RANGE_OK, "just before"},
      {14, 6, 14, 9, SND_RANGE_OK, "just after"},
      {20, -1, 20, -1, SND_RANGE_OK, "a whole set"},
      {20, 4, 20, 4, SND_RANGE_OVERLAP, "a vehicle of that set"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, Snd_AddRange(SND_SLOT_HORN, c.fs, c.fi, c.ts, c.ti, 8)) << c.what;
  EXPECT_EQ(SND_RANGE_OK, Snd_AddRange(SND_SLOT_RUN, 13, -1, 13, -1, 9)) << "each list stands alone";
  EXPECT_EQ(SND_RANGE_BAD_LIST, Snd_AddRange(SND_SLOT_LC1, 1, -1, 1, -1, 9));
}

TEST_F(SndTest, RangeLookupCoversTheSetsBetweenAndTheEndsByIndex) {
  ASSERT_EQ(SND_RANGE_OK, Snd_AddRange(SND_SLOT_HORN, 12, 3, 14, 5, 7));
  ASSERT_EQ(SND_RANGE_OK, Snd_AddRange(SND_SLOT_HORN, 30, -1, 30, -1, 8));
  struct Case {
    i32 set, index, number;
  } cases[] = {{12, 2, -1}, {12, 3, 7}, {12, 15, 7}, {13, 0, 7},  {13, 15, 7}, {14, 5, 7},
               {14, 6, -1}, {11, 9, -1}, {30, 0, 8}, {30, 15, 8}, {31, 0, -1}, {12, -1, 7}};
  for (const Case& c : cases) EXPECT_EQ(c.number, Snd_FindRange(SND_SLOT_HORN, c.set, c.index)) << c.set << "-" << c.index;
}

TEST_F(SndTest, VehicleSoundsFromRangesElseSlots) {
  for (i32 n : {1, 2, 3, 4, 5, 6, 7}) ASSERT_EQ(0, Snd_AddEntry(n, 100, u"x.wav", nullptr));
  Snd_SetSlot(SND_SLOT_HORN, 1);
  Snd_SetSlot(SND_SLOT_RUN, 2);
  Snd_SetSlot(SND_SLOT_START, 3);
  Snd_SetSlot(SND_SLOT_STOP, 4);
  Snd_SetSlot(SND_SLOT_ARRIVAL, 5);
  ASSERT_EQ(0, Snd_AddRange(SND_SLOT_HORN, 40321, -1, 40321, -1, 6));
  ASSERT_EQ(0, Snd_AddRange(SND_SLOT_RUN, 40321, 0, 40321, 2, 7));
  u32 horn = 0, arrival = 0, stop = 0, start = 0, run = 0;
  EXPECT_EQ(1, Snd_GetVehicleSounds(40321, 0, &horn, &arrival, &stop, &start, &run))
      << "the default options sound no train";
  EXPECT_EQ(0u, horn);
  struct Case {
    u32 options;
    int output;
    i32 set, index;
    int result;
    u32 horn, arrival, stop, start, run;
  } cases[] = {
      {SND_OPT_ALL_TRAINS, 1, 40321, 0, 0, 6, 5, 4, 3, 7},
      {SND_OPT_FOLLOWED_TRAIN, 1, 40321, 3, 0, 6, 5, 4, 3, 2},
      {SND_OPT_ALL_TRAINS, 1, 20020, 0, 0, 1, 5, 4, 3, 2},
      {SND_OPT_ALL_TRAINS, 0, 40321, 0, 1, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Snd_SetOptions(c.options);
    Snd_SetOutput(c.output);
    horn = arrival = stop = start = run = 0;
    EXPECT_EQ(c.result, Snd_GetVehicleSounds(c.set, c.index, &horn, &arrival, &stop, &start, &run));
    EXPECT_EQ(c.horn, horn);
    EXPECT_EQ(c.arrival, arrival);
    EXPECT_EQ(c.stop, stop);
    EXPECT_EQ(c.start, start);
    EXPECT_EQ(c.run, run) << c.set << "-" << c.index;
  }
}

// ---------------------------------------------------------------- the catalogue file

class SndCatalogueTest : public SndTest {
 protected:
  void SetUp() override {
    SndTest::SetUp();
    folder = Test_MakeTempFolder();
    ASSERT_FALSE(folder.empty());
    Fio_SetFolderPath(0, folder.c_str());
    ASSERT_EQ(0, Os_CreateFolder((folder + u"sound").c_str()));
    Test_WriteFile(folder + u"sound/x.wav", {1});
    Test_WriteFile(folder + u"sound/y.wav", {1});
  }
  void Write(const std::string& text, bool utf16) {
    std::vector<u8> bytes;
    if (utf16) {
      bytes = {0xFF, 0xFE};
      for (char c : text) bytes.push_back(u8(c)), bytes.push_back(0);
    } else {
      bytes.assign(text.begin(), text.end());
    }
    ASSERT_TRUE(Test_WriteFile(folder + u"sound/orba.skf", bytes));
  }
  wstr folder;
};

TEST_F(SndCatalogueTest, AMissingFileLeavesEverySoundSilent) {
  const u32 before = Snd_CatalogueErrorCount();
  EXPECT_EQ(1, Snd_LoadCatalogue());
  EXPECT_EQ(before + 1, Snd_CatalogueErrorCount());
  EXPECT_EQ(3920u, Snd_LastCatalogueError());
  EXPECT_EQ(-1, Snd_GetSlot(SND_SLOT_ACTION));
}

TEST_F(SndCatalogueTest, AWellFormedFileInEitherEncoding) {
  const std::string text =
      "; comment\r\n"
      "nr=1,250ms,\"x.wav\",\"y.wav\"\r\n"
      "  nr=2,90ms,\"y\"\r\n"
      "nr=0,0ms,\r\n"
      "ACL,2\r\nTHN,1\r\nTBL,0\r\n"
      "END\r\n"
      "THN,2\r\n12-a\r\n"
      "TBL,1\r\n12-3,14-5\r\n"
      "LC1,1\r\n5-a\r\n"
      "END\r\n";
  for (bool utf16 : {true, false}) {
    Write(text, utf16);
    const u32 before = Snd_CatalogueErrorCount();
    EXPECT_EQ(0, Snd_LoadCatalogue());
    EXPECT_EQ(before, Snd_CatalogueErrorCount()) << "utf16 " << utf16;
    EXPECT_EQ(250u, Snd_GetDuration(1));
    EXPECT_EQ(90u, Snd_GetDuration(2));
    EXPECT_EQ(2, Snd_GetSlot(SND_SLOT_ACTION));
    EXPECT_EQ(1, Snd_GetSlot(SND_SLOT_HORN));
    EXPECT_EQ(-1, Snd_GetSlot(SND_SLOT_RUN)) << "a number outside 1..9999 leaves the slot unassigned";
    EXPECT_EQ(2, Snd_FindRange(SND_SLOT_HORN, 12, 9));
    EXPECT_EQ(1, Snd_FindRange(SND_SLOT_RUN, 13, 0));
  }
}

TEST_F(SndCatalogueTest, ErrorsAreReportedAndReadingGoesOn) {
  const std::string name101(101, 'n');
  struct Case {
    std::string text;
    std::vector<TextId> reports;  // in order
    const char* what;
  } cases[] = {
      {"nr=1,10ms,\"" + name101 + "\"\r\nnr=0,0ms,\r\nEND\r\nEND\r\n", {3921}, "a name of 101 characters"},
      {"nr=1,10ms,\"gone.wav\"\r\nnr=2,10ms,\"x.wav\"\r\nnr=0,0ms,\r\nEND\r\nEND\r\n", {3926}, "a missing file"},
      {"nr=1,10ms,\"x.wav\"\r\nnr=1,10ms,\"x.wav\"\r\nnr=3,0ms,\"x.wav\"\r\nnr=0,0ms,\r\nEND\r\nEND\r\n",
       {3923, 3924},
       "a number twice, no length"},
      {"nr=1,10ms,\"x.wav\"\r\nnr=0,0ms,\r\nXYZ,1\r\nACL\r\nDP1,1\r\nDP2,7\r\nEND\r\nEND\r\n",
       {3927, 3921, 3928},
       "slot lines: unknown keyword, no number, not listed"},
      {"nr=1,10ms,\"x.wav\"\r\nnr=0,0ms,\r\nEND\r\nTHN,1\r\n3-a\r\nTHN,1\r\n2-a,4-a\r\nTBL,1\r\n5-x\r\nTHN,1\r\n9-a\r\nEND\r\n",
       {3930, 3929},
       "an enclosing range, then a bad one ends the section"},
      {"nr=1,10ms,\"x.wav\"\r\nnr=0,0ms,\r\nEND\r\nTHN,8\r\n3-a\r\nEND\r\n", {3928}, "a range of an unlisted sound"},
      {"nr=1,10ms,\"x.wav\"\r\n", {3921}, "the file ends in the entries"},
  };
  for (const Case& c : cases) {
    Write(c.text, true);
    const u32 before = Snd_CatalogueErrorCount();
    EXPECT_EQ(0, Snd_LoadCatalogue()) << c.what;
    EXPECT_EQ(before + c.reports.size(), Snd_CatalogueErrorCount()) << c.what;
    if (!c.reports.empty()) {
      EXPECT_EQ(c.reports.back(), Snd_LastCatalogueError()) << c.what;
    }
  }
  // The skipped slot lines assigned nothing; the good one after them did.
  Write(cases[3].text, true);
  Snd_LoadCatalogue();
  EXPECT_EQ(1, Snd_GetSlot(SND_SLOT_DISPATCH1));
  EXPECT_EQ(-1, Snd_GetSlot(SND_SLOT_DISPATCH2));
  // The range section stopped at the bad line: set 9 was never read.
  Write(cases[4].text, true);
  Snd_LoadCatalogue();
  EXPECT_EQ(1, Snd_FindRange(SND_SLOT_HORN, 3, 0));
  EXPECT_EQ(-1, Snd_FindRange(SND_SLOT_HORN, 9, 0));
  EXPECT_EQ(-1, Snd_FindRange(SND_SLOT_HORN, 2, 0)) << "the enclosing range was dropped";
}

TEST_F(SndCatalogueTest, TheShippedCatalogueReadsWithoutAnError) {
  Fio_SetFolderPath(0, Test_DataFolder().c_str());
  const u32 before = Snd_CatalogueErrorCount();
  ASSERT_EQ(0, Snd_LoadCatalogue());
  EXPECT_EQ(before, Snd_CatalogueErrorCount());
  for (int slot = 0; slot < SND_SLOTS; ++slot) EXPECT_NE(-1, Snd_GetSlot(slot)) << "slot " << slot;
  // Every vehicle set the picture generator makes has a horn and a running sound.
  for (i32 set : {6256, 20001, 20010, 20020, 40310, 40320, 40321, 40510, 40740}) {
    Snd_SetOptions(SND_OPT_ALL_TRAINS);
    u32 horn = 0, arrival = 0, stop = 0, start = 0, run = 0;
    ASSERT_EQ(0, Snd_GetVehicleSounds(set, 0, &horn, &arrival, &stop, &start, &run));
    for (u32 n : {horn, arrival, stop, start, run}) {
      ASSERT_NE(nullptr, Snd_FindEntry(i32(n))) << set;
      EXPECT_NE(0, Snd_FindEntry(i32(n))->Name2[0]) << "train sounds have a far file: " << n;
    }
  }
  EXPECT_GE(Snd_GetDuration(10), 1000u) << "running sounds last long enough to repeat";
}

// ---------------------------------------------------------------- playback

#ifndef _WIN32
TEST_F(SndTest, RequestsDecodeToTheirFilesAndAMissingDeviceFailsOnce) {
  Fio_SetFolderPath(0, u"/p/");
  ASSERT_EQ(0, Snd_AddEntry(7, 100, u"horn", u"horn_far.wav"));
  ASSERT_EQ(0, Snd_AddEntry(8, 100, u"bell.wav", u""));
  Snd_SetSlot(SND_SLOT_LC1, 8);
  Snd_DevStandIn(SND_DEV_OK, SND_DEV_OK);
  Snd_ResetDevice();
  struct Case {
    u32 w, l;
    int result;
    const char16_t* path;
  } cases[] = {
      {7, 0, 0, u"/p/sound\\horn.wav"},
      {7, SND_REQ_NEAR, 0, u"/p/sound\\horn_far.wav"},
      {SND_SLOT_LC1, SND_REQ_SLOT, 0, u"/p/sound\\bell.wav"},
      {SND_SLOT_LC1, SND_REQ_SLOT | SND_REQ_NEAR, 1, nullptr},  // no second file
      {13, SND_REQ_SLOT, 1, nullptr},
      {SND_SLOT_ACTION, SND_REQ_SLOT, 1, nullptr},  // unassigned
      {9, 0, 1, nullptr},
      {0, 0, 1, nullptr},
  };
  for (const Case& c : cases) {
    const u32 attempts = Snd_DevOpenAttempts();
    EXPECT_EQ(c.result, Snd_Play(c.w, c.l)) << c.w << "/" << c.l;
    if (c.path) {
      EXPECT_EQ(std::u16string(c.path), std::u16string(Snd_DevLastPath()));
    }
    else EXPECT_EQ(attempts, Snd_DevOpenAttempts()) << "nothing is opened for " << c.w << "/" << c.l;
  }
  EXPECT_EQ(3u, Snd_DevOpenCount());
  // The alias grows with every attempt.
  const std::u16string a1(Snd_LastAlias());
  Snd_Play(7, 0);
  EXPECT_NE(a1, std::u16string(Snd_LastAlias()));
  EXPECT_EQ(0, std::u16string(Snd_LastAlias()).compare(0, 4, u"xxxV"));
  Snd_OnPlayEnd(1);
  EXPECT_EQ(3u, Snd_DevOpenCount());
  // A play that fails closes its device again.
  Snd_DevStandIn(SND_DEV_OK, SND_DEV_FILE);
  EXPECT_EQ(2, Snd_Play(7, 0));
  EXPECT_EQ(3u, Snd_DevOpenCount());
  Snd_ClearPoints();
  EXPECT_EQ(0u, Snd_DevOpenCount()) << "a new layout closes every device";
  // Without a device: one quiet failure, then no further attempt.
  Snd_DevStandIn(SND_DEV_NO_DEVICE, SND_DEV_OK);
  EXPECT_EQ(3, Snd_Play(7, 0));
  EXPECT_EQ(1, Snd_DeviceMissing());
  const u32 attempts = Snd_DevOpenAttempts();
  EXPECT_EQ(3, Snd_Play(7, 0));
  EXPECT_EQ(attempts, Snd_DevOpenAttempts());
  Snd_ResetDevice();
}
#endif

TEST_F(SndTest, EventSoundsPostOnlyWhenTheirOptionIsOn) {
  Snd_RequestEvent0();
  ASSERT_EQ(1u, g_sndPosted.size());
  EXPECT_EQ(0u, g_sndPosted[0].w);
  EXPECT_EQ(u32(SND_REQ_SLOT), g_sndPosted[0].l);
  Snd_SetOptions(0);
  Snd_RequestEvent0();
  Snd_SetOptions(SND_OPT_EVENTS);
  Snd_SetOutput(0);
  Snd_RequestEvent0();
  EXPECT_EQ(1u, g_sndPosted.size());
}

// ---------------------------------------------------------------- audibility

TEST_F(SndTest, AudibilityByView) {
  g_sndViews = {PictureView(100, 100, 20, 10), SndView{}, PictureView(500, 500, 10, 10, -1)};
  SndView minimised = PictureView(1000, 1000, 10, 10);
  minimised.showState = 2;
  SndView schematic = PictureView(2000, 2000, 10, 10);
  schematic.mode = 2;
  g_sndViews.push_back(minimised);
  g_sndViews.push_back(schematic);
  struct Case {
    i32 x, y, level;
    int audibility;
  } cases[] = {
      {100, 100, 0, 1}, {119, 109, 0, 1}, {120, 109, 0, 2}, {129, 114, 0, 2}, {130, 100, 0, 0},
      {90, 95, 0, 2},   {89, 100, 0, 0},  {100, 100, -1, 0}, {505, 505, -1, 1}, {505, 505, 0, 0},
      {1005, 1005, 0, 0}, {2005, 2005, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.audibility, Snd_CellAudibility(c.x, c.y, c.level)) << c.x << "," << c.y << "," << c.level;
  // A crossing rings kind 1 in a view, 3 near one, nothing elsewhere.
  Snd_SetOptions(SND_OPT_SIGNALS);
  EXPECT_EQ(1, Snd_RequestSlotAtCell(SND_SLOT_LC1, 105, 105, 0, SND_OPT_SIGNALS));
  EXPECT_EQ(1, Snd_RequestSlotAtCell(SND_SLOT_LC2, 125, 105, 0, SND_OPT_SIGNALS));
  EXPECT_EQ(0, Snd_RequestSlotAtCell(SND_SLOT_LC2, 300, 105, 0, SND_OPT_SIGNALS));
  ASSERT_EQ(2u, g_sndPosted.size());
  EXPECT_EQ(u32(SND_REQ_SLOT), g_sndPosted[0].l);
  EXPECT_EQ(u32(SND_REQ_SLOT | SND_REQ_NEAR), g_sndPosted[1].l);
}

// ---------------------------------------------------------------- points

TEST_F(SndTest, CreatePointResults) {
  const u32 list[] = {1, 5, 0};
  struct Case {
    u32 flags;
    i32 count;
    int result;
  } cases[] = {
      {0, 0, SND_CREATE_BAD_FLAGS},
      {SND_F_RUN_REPEAT | SND_F_RUN_STOP, 0, SND_CREATE_BAD_FLAGS},
      {SND_F_HORN_COUNTDOWN, 0, SND_CREATE_BAD_FLAGS},
      {SND_F_HORN | SND_F_HORN_COUNTDOWN, 0, SND_CREATE_OK},
      {SND_F_RUN_ONCE | SND_F_RUN_STOP, 0, SND_CREATE_OK},
      {SND_F_HORN | SND_F_LINES_ONLY, 3, SND_CREATE_OK},
      {SND_F_HORN, SND_MAX_WORDS + 1, SND_CREATE_NO_ROOM},
  };
  i32 x = 10;
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Snd_CreatePoint(x, 20, 0, c.count, list, 3, 0xFF, c.flags)) << std::hex << c.flags;
    EXPECT_EQ(c.result == SND_CREATE_OK ? c.flags : 0u, Snd_GetPointAt(x, 20, 0, nullptr, nullptr, nullptr));
    ++x;
  }
  i32 count = 0;
  const u32* words = nullptr;
  u32 mask = 0;
  EXPECT_EQ(SND_F_HORN | SND_F_LINES_ONLY, Snd_GetPointAt(15, 20, 0, &count, &words, &mask));
  EXPECT_EQ(3, count);
  EXPECT_EQ(5u, words[1]);
  EXPECT_EQ(0xFFu, mask);
  EXPECT_EQ(3u, Snd_GetPointCount());
}

TEST_F(SndTest, ReplacingAPointKeepsTheOldOneWhenTheNewCannotBeMade) {
  ASSERT_EQ(0, Snd_CreatePoint(5, 5, 0, 0, nullptr, 2, 1, SND_F_HORN));
  ASSERT_EQ(0, Snd_CreatePoint(5, 5, 0, 0, nullptr, 4, 2, SND_F_RUN_REPEAT));
  EXPECT_EQ(1u, Snd_GetPointCount()) << "a create on the cell replaces its point";
  EXPECT_EQ(4u, Snd_GetPointValue(5, 5, 0));
  std::vector<u32> tooLong(SND_MAX_WORDS + 1, 0);
  EXPECT_EQ(SND_CREATE_NO_ROOM, Snd_CreatePoint(5, 5, 0, i32(tooLong.size()), tooLong.data(), 9, 1,
                                                SND_F_HORN | SND_F_LINES_ONLY));
  EXPECT_EQ(SND_CREATE_BAD_FLAGS, Snd_CreatePoint(5, 5, 0, 0, nullptr, 9, 1, 0));
  EXPECT_EQ(u32(SND_F_RUN_REPEAT), Snd_GetPointAt(5, 5, 0, nullptr, nullptr, nullptr));
  EXPECT_EQ(4u, Snd_GetPointValue(5, 5, 0));
  EXPECT_EQ(0, Snd_SetPointValue(5, 5, 0, 7));
  EXPECT_EQ(7, Map_PieceStateAt(5, 5, 0, nullptr, kSoundCodeWide)) << "the style the cell is drawn in";
  EXPECT_EQ(1, Snd_SetPointValue(6, 5, 0, 7));
  EXPECT_EQ(0, Snd_DeletePointAt(5, 5, 0));
  EXPECT_EQ(1, Snd_DeletePointAt(5, 5, 0));
  EXPECT_EQ(0u, Snd_GetPointValue(5, 5, 0));
}

TEST_F(SndTest, LineHooksKeepTheListsTrue) {
  const u32 list[] = {2, 5, 6, 0};  // one group: lines 5 and 6, no options
  ASSERT_EQ(0, Snd_CreatePoint(1, 1, 0, 4, list, 0, 1, SND_F_HORN | SND_F_LINES_NOT));
  i32 x = 0, y = 0, level = 0;
  EXPECT_EQ(1, Snd_NextPointInBox(5, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  EXPECT_EQ(1, x);
  x = -1;
  EXPECT_EQ(0, Snd_NextPointInBox(5, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  x = 0;
  EXPECT_EQ(0, Snd_NextPointInBox(7, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  EXPECT_EQ(0, Snd_OnLineCopied(5, 7));
  x = 0;
  EXPECT_EQ(1, Snd_NextPointInBox(7, 0, 0, 0, 9, 9, 0, &x, &y, &level));
  for (u32 line : {5u, 6u, 7u}) Snd_OnLineDeleted(line);
  i32 count = 9;
  EXPECT_EQ(u32(SND_F_HORN), Snd_GetPointAt(1, 1, 0, &count, nullptr, nullptr)) << "an emptied list goes with its flags";
  EXPECT_EQ(0, count);
}

TEST_F(SndTest, RegionHooksMoveScaleRemapAndDelete) {
  u32 top = 0;
  EXPECT_EQ(1, Snd_IsSoundElement(kSoundCodeNarrow, &top));
  EXPECT_EQ(5u, top);
  EXPECT_EQ(1, Snd_IsSoundElement(kSoundCodeWide | 0x4000, &top));
  EXPECT_EQ(13u, top);
  EXPECT_EQ(0, Snd_IsSoundElement(127, &top));
  EXPECT_EQ(0, Snd_IsSoundElement(0x8000 | 130, &top));

  Grid_SetCell(10, 10, 0, CellCode(kSoundCodeWide));
  Grid_SetCell(11, 10, 0, CellCode(kSoundCodeNarrow));
  ASSERT_EQ(0, Snd_CreatePoint(10, 10, 0, 0, nullptr, 2, 1, SND_F_HORN));
  ASSERT_EQ(0, Snd_CreatePoint(11, 10, 0, 0, nullptr, 3, 1, SND_F_HORN));
  EXPECT_EQ(-1, Snd_RemapInBox(0, 0, 0, 20, 20, 0, 0, 0xFF, 20000, 0, 8, 2));
  // Without exact, styles go in pairs (2 and 3 to 8 and 9); the class mask
  // picks the standard cells only.
  EXPECT_EQ(1, Snd_RemapInBox(0, 0, 0, 20, 20, 0, 0, 0xFF, 0, 1u << 0, 8, 2));
  EXPECT_EQ(8u, Snd_GetPointValue(10, 10, 0));
  EXPECT_EQ(3u, Snd_GetPointValue(11, 10, 0));
  EXPECT_EQ(1, Snd_RemapInBox(0, 0, 0, 20, 20, 0, 1, 0xFF, 0, 1u << 7, 4, 3)) << "exact, class 7 (narrow)";
  EXPECT_EQ(4u, Snd_GetPointValue(11, 10, 0));
  EXPECT_EQ(0, Snd_RemapInBox(0, 0, 0, 20, 20, 0, 1, 0x02, 0, 1u << 7, 5, 4)) << "its direction bit not in the mask";

  Snd_MovePointsInBox(0, 0, 0, 10, 10, 0, 5, 1, -1);
  EXPECT_EQ(8u, Snd_GetPointValue(15, 11, -1));
  EXPECT_EQ(0u, Snd_GetPointValue(10, 10, 0));
  Snd_ScalePointsInBox(0, 0, -4, 20, 20, 0, 0, 0, 1, 2, 1, 2);
  EXPECT_EQ(8u, Snd_GetPointValue(30, 22, -1));
  EXPECT_EQ(4u, Snd_GetPointValue(22, 20, 0));
  Snd_DeleteInBox(0, 0, 0, 25, 25, 0);
  EXPECT_EQ(1u, Snd_GetPointCount());
}

// ---------------------------------------------------------------- section "SNDP"

TEST_F(SndTest, SectionRoundTripKeepsOrderAndLists) {
  const u32 list[] = {1, 9, 0};
  ASSERT_EQ(0, Snd_CreatePoint(1, 2, 0, 0, nullptr, 5, 0x0F, SND_F_HORN));
  ASSERT_EQ(0, Snd_CreatePoint(3, 4, -2, 3, list, 6, 0xF0, SND_F_RUN_REPEAT | SND_F_LINES_ONLY));
  const std::vector<u8> bytes = Test_SaveSection(Snd_SaveSection);
  ASSERT_EQ(8u + 2 * (5 + 12) + 4 + 12, bytes.size());
  Snd_ClearPoints();
  ASSERT_EQ(0, Test_LoadSection(bytes, Snd_LoadSection, LAY_VERSION));
  EXPECT_EQ(2u, Snd_GetPointCount());
  i32 count = 0;
  const u32* words = nullptr;
  u32 mask = 0;
  EXPECT_EQ(u32(SND_F_RUN_REPEAT | SND_F_LINES_ONLY), Snd_GetPointAt(3, 4, -2, &count, &words, &mask));
  EXPECT_EQ(3, count);
  EXPECT_EQ(9u, words[1]);
  EXPECT_EQ(0xF0u, mask);
  EXPECT_EQ(bytes, Test_SaveSection(Snd_SaveSection)) << "written again byte for byte";
}

TEST_F(SndTest, SectionCountsAreBoundedBeforeUse) {
  std::vector<u8> b;
  Test_Put32(b, 0x50444E53);
  Test_Put32(b, SND_MAX_POINTS + 1);
  EXPECT_EQ(3, Test_LoadSection(b, Snd_LoadSection, LAY_VERSION));
  b.clear();
  Test_Put32(b, 0x50444E53);
  Test_Put32(b, 1);
  Test_Put16(b, 1);
  Test_Put16(b, 1);
  b.push_back(0);
  Test_Put32(b, SND_F_HORN | SND_F_LINES_ONLY);
  Test_Put32(b, 1);
  Test_Put32(b, 0);
  Test_Put32(b, 0xFFFFFFFFu);  // a word count no list can have
  EXPECT_EQ(3, Test_LoadSection(b, Snd_LoadSection, LAY_VERSION));
  EXPECT_EQ(0u, Snd_GetPointCount());
  b.clear();
  Test_Put32(b, 0x504E5348);
  EXPECT_EQ(3, Test_LoadSection(b, Snd_LoadSection, LAY_VERSION)) << "wrong tag";
}

#ifndef _WIN32
TEST_F(SndTest, ClipboardBlockTravelsAndEmptiesCellsItCannotFill) {
  static int window;
  Clip_SetWindow(&window);
  ASSERT_EQ(0, Clip_Empty());
  const u32 list[] = {1, 0, 0};  // any line
  ASSERT_EQ(0, Snd_CreatePoint(1, 1, 0, 0, nullptr, 2, 0x3, SND_F_HORN));
  ASSERT_EQ(0, Snd_CreatePoint(2, 1, 0, 3, list, 4, 0x8, SND_F_RUN_ONCE | SND_F_LINES_NOT));
  ASSERT_EQ(0, Snd_CreatePoint(50, 50, 0, 0, nullptr, 1, 1, SND_F_HORN));  // outside the box
  ASSERT_EQ(0, Snd_CopyToClip(0, 0, 0, 9, 9, 0));
  wch line[64];
  ASSERT_EQ(0, Clip_ReadLine(0, 64, line));
  EXPECT_EQ(std::u16string(u"SOUNDP_A"), std::u16string(line));
  Snd_ClearPoints();
  i32 lineNo = 0;
  EXPECT_EQ(0, Snd_PasteFromClip(&lineNo, 100, 0, -1));
  EXPECT_EQ(5, lineNo) << "header, two points (one with its rule line), end";
  EXPECT_EQ(2u, Snd_GetPointCount());
  EXPECT_EQ(u32(SND_F_HORN), Snd_GetPointAt(101, 1, -1, nullptr, nullptr, nullptr));
  i32 count = 0;
  EXPECT_EQ(u32(SND_F_RUN_ONCE | SND_F_LINES_NOT), Snd_GetPointAt(102, 1, -1, &count, nullptr, nullptr));
  EXPECT_GT(count, 0);
  // A point that cannot be added leaves its cell empty; a block without its
  // end is refused.
  ASSERT_EQ(0, Clip_Empty());
  for (const char16_t* l : {u"SOUNDP_A", u"5,5,0,0,1,1", u"6,5,0,1,1,1", u"SOUNDP_E"}) ASSERT_EQ(0, Clip_AppendLine(l));
  Grid_SetCell(5, 5, 0, CellCode(kSoundCodeWide));
  lineNo = 0;
  EXPECT_EQ(1, Snd_PasteFromClip(&lineNo, 0, 0, 0));
  EXPECT_EQ(CellCode(CELL_EMPTY), Grid_GetCell(5, 5, 0));
  EXPECT_EQ(u32(SND_F_HORN), Snd_GetPointAt(6, 5, 0, nullptr, nullptr, nullptr));
  ASSERT_EQ(0, Clip_Empty());
  for (const char16_t* l : {u"SOUNDP_A", u"7,5,0,1,1,1", u"SOMETHING"}) ASSERT_EQ(0, Clip_AppendLine(l));
  lineNo = 0;
  EXPECT_EQ(2, Snd_PasteFromClip(&lineNo, 0, 0, 0));
  Clip_SetWindow(nullptr);
}
#endif

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

Bytes SaveDepots() {
  const Bytes b = Test_SaveSection(Dep_SaveSection);
  EXPECT_FALSE(b.empty()) << "the section could not be written";
  return b;
}

int LoadDepots(const Bytes& b, u16 version) { return Test_LoadSection(b, Dep_LoadSection, version); }

void Put16(Bytes& b, u32 v) { Test_Put16(b, v); }
void Put32(Bytes& b, u32 v) { Test_Put32(b, v); }
void PutName(Bytes& b, const char* s) {
  while (*s) Put16(b, u8(*s++));
  Put16(b, 0);
}

DepotPlace Place(u32 number, i32 x, i32 y) {
  DepotPlace p = {};
  p.Number = number;
  p.X = x;
  p.Y = y;
  return p;
}

int Insert(u32 depot, const wch* name, const wch* shortName, DepotPlace p) {
  return Dep_InsertPlace(depot, name, shortName, &p);
}

class DepTest : public ::testing::Test {
 protected:
  void SetUp() override { Dep_Clear(); }
  void TearDown() override { Dep_Clear(); }
};

TEST_F(DepTest, PlacesAreSortedAndFoundByCellAndName) {
  ASSERT_EQ(0, Insert(3, u"Westbahnhof", nullptr, Place(7, 10, 10)));
  ASSERT_EQ(0, Insert(3, u"Westbahnhof", nullptr, Place(2, 11, 10)));
  ASSERT_EQ(0, Insert(1, u"Alt", u"A", Place(1, 20, 5)));
  EXPECT_EQ(2, Insert(3, u"Westbahnhof", nullptr, Place(7, 12, 10)));
  EXPECT_EQ(1, Insert(3, u"Westbahnhof", nullptr, Place(100, 12, 10)));
  u32 places = 0;
  EXPECT_EQ(2u, Dep_Count(&places));
  EXPECT_EQ(3u, places);
  EXPECT_EQ(2u, Dep_FirstPlaceNumber(3));
  u32 place = 0;
  EXPECT_EQ(3u, Dep_FindAtPosition(10, 10, 0, &place));
  EXPECT_EQ(7u, place);
  EXPECT_EQ(0u, Dep_FindAtPosition(10, 11, 0, &place));
  // A long name gets its first four letters as short name.
  wch longText[24], shortText[24];
  ASSERT_EQ(0, Dep_FormatName(3, 2, longText, shortText));
  EXPECT_EQ(W16("Westbahnhof: 2"), wstr(longText));
  EXPECT_EQ(W16("West: 2"), wstr(shortText));
  ASSERT_EQ(0, Dep_FormatName(3, -2, longText, nullptr));
  EXPECT_EQ(W16("Westbahnhof:2"), wstr(longText));
  EXPECT_EQ(2, Dep_FormatName(3, 5, longText, nullptr));
  EXPECT_EQ(1, Dep_FormatName(0, 5, longText, nullptr));
  // A new depot whose first four letters are taken gets three and a digit.
  ASSERT_EQ(0, Insert(4, u"Westend", nullptr, Place(1, 1, 1)));
  ASSERT_EQ(0, Dep_FormatName(4, 0, nullptr, shortText));
  EXPECT_EQ(W16("Wes0"), wstr(shortText));
}

// The installation of a place: its condition operands and list magnitudes
// all name one, none do, or they differ; the walk over every place.
TEST_F(DepTest, ThePlacesInstallationAndTheWalkOverAllPlaces) {
  DepotPlace one = Place(1, 1, 1), none = Place(2, 2, 1), mixed = Place(3, 3, 1);
  one.CondCount = 4;  // "!(7)": operators are no installations
  one.Cond[0] = 0x1000003;
  one.Cond[1] = 0x1000004;
  one.Cond[2] = 7;
  one.Cond[3] = 0x1000005;
  one.ListACount = 1;
  one.ListA[0] = -7;
  mixed.CondCount = 1;
  mixed.Cond[0] = 7;
  mixed.ListBCount = 1;
  mixed.ListB[0] = 8;
  ASSERT_EQ(0, Insert(2, u"Ost", nullptr, one));
  ASSERT_EQ(0, Insert(2, u"Ost", nullptr, none));
  ASSERT_EQ(0, Insert(1, u"Alt", u"A", mixed));
  EXPECT_EQ(7, Dep_PlaceInstallation(2, 1));
  EXPECT_EQ(0, Dep_PlaceInstallation(2, 2));
  EXPECT_EQ(-2, Dep_PlaceInstallation(1, 3));
  EXPECT_EQ(-1, Dep_PlaceInstallation(2, 9));
  EXPECT_EQ(-1, Dep_PlaceInstallation(5, 1));
  u32 index = 0;
  const DepotRec* d = Dep_Find(1, 3, &index);
  ASSERT_TRUE(d);
  EXPECT_EQ(1, Dep_PlaceRefersTo(&d->Places[index], 8));
  EXPECT_EQ(0, Dep_PlaceRefersTo(&d->Places[index], 9));
  // Every place once in list order (depots by name), then the end.
  std::vector<std::pair<u32, u32>> seen;
  u32 depot = 0;
  for (u32 place = Dep_NextPlace(&depot); place; place = Dep_NextPlace(&depot)) seen.push_back({depot, place});
  EXPECT_EQ((std::vector<std::pair<u32, u32>>{{1, 3}, {2, 1}, {2, 2}}), seen);
  EXPECT_EQ(0u, depot);
  Dep_Clear();
  depot = 0;
  EXPECT_EQ(0u, Dep_NextPlace(&depot)) << "no places";
}

TEST_F(DepTest, PlaceReferencesParseWithAndWithoutPadding) {
  ASSERT_EQ(0, Insert(3, u"Westbahnhof", u"WB", Place(7, 10, 10)));
  const struct {
    const char* text;
    i32 depot;
    u32 place;
  } cases[] = {
      {"Westbahnhof:7", 3, 7},  {"Westbahnhof: 7", 3, 7}, {"wb:7", 3, 7},      {" WB", 3, 0},
      {"WB:7F", 3, 0x8007},     {"WB:8", -1, 0},          {"WB:100", -1, 0},   {"WB:", -1, 0},
      {"Nowhere:1", -1, 0},     {"", -1, 0},              {"W[B:1", -1, 0},    {"WB:7x", -1, 0},
  };
  for (const auto& c : cases) {
    u32 place = 99;
    EXPECT_EQ(c.depot, Dep_ParsePlaceRef(W16(c.text).c_str(), &place, u'F')) << c.text;
    if (c.depot > 0) {
      EXPECT_EQ(c.place, place) << c.text;
    }
  }
  // What the formatter prints reads back to the same place.
  wch text[24];
  ASSERT_EQ(0, Dep_FormatName(3, 7, text, nullptr));
  u32 place = 0;
  EXPECT_EQ(3, Dep_ParsePlaceRef(text, &place, 0));
  EXPECT_EQ(7u, place);
}

TEST_F(DepTest, SectionRoundTripKeepsRecordsAndBytes) {
  DepotPlace p = Place(5, 300, 400);
  p.Level = -2;
  p.Directions = 8;
  p.Options = 0x4002;
  p.CondCount = 3;
  p.Cond[0] = 17, p.Cond[1] = 0x1000002, p.Cond[2] = 18;
  p.ListACount = 1;
  p.ListA[0] = 17;
  p.ListBCount = 2;
  p.ListB[0] = -17, p.ListB[1] = 18;
  p.WaitMs = 30000;
  ASSERT_EQ(0, Dep_InsertPlace(9, u"Hafen", u"HF", &p));
  ASSERT_EQ(0, Insert(9, u"Hafen", nullptr, Place(1, 301, 400)));
  ASSERT_EQ(0, Insert(2, u"Berg", nullptr, Place(1, 5, 5)));
  const Bytes first = SaveDepots();
  ASSERT_EQ(0, LoadDepots(first, 0x3850));
  EXPECT_EQ(first, SaveDepots());
  DepotPlaceInfo info;
  ASSERT_EQ(0, Dep_GetPlace(9, 5, &info));
  EXPECT_EQ(-2, info.Level);
  EXPECT_EQ(3u, info.CondCount);
  EXPECT_EQ(18, info.ListB[1]);
  EXPECT_EQ(30000u, info.WaitMs);
  EXPECT_EQ(0x4002u, info.Options);
  EXPECT_EQ(1, Dep_GetPlace(9, 6, &info));
}

// A short name that yields nothing, because it starts with a character
// that ends a name, is made from the long name as a missing one is; the
// depot then saves and reads back the same.
TEST_F(DepTest, AnUnusableShortNameIsMadeFromTheLongOne) {
  for (const wch* shortName : {static_cast<const wch*>(u":em"), static_cast<const wch*>(u"  "),
                               static_cast<const wch*>(u",x"), static_cast<const wch*>(nullptr)}) {
    Dep_Clear();
    ASSERT_EQ(0, Insert(1, u"Demo", shortName, Place(1, 5, 5)));
    const DepotRec* d = Dep_Find(1, 0, nullptr);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(std::u16string(u"Demo"), std::u16string(d->Short));
    const Bytes first = SaveDepots();
    ASSERT_EQ(0, LoadDepots(first, 0x3850));
    EXPECT_EQ(first, SaveDepots());
  }
}

TEST_F(DepTest, CountsFromTheFileAreBoundedBeforeUse) {
  auto head = [](u32 depots, u32 places, u32 placeNumber, u32 cond) {
    Bytes b;
    Put32(b, 0x4F504544);
    Put32(b, depots);
    Put32(b, 1);
    PutName(b, "Hafen");
    PutName(b, "HF");
    Put32(b, places);
    Put16(b, 1), Put16(b, 1), b.push_back(0);
    Put32(b, placeNumber);
    Put32(b, 0);
    Put32(b, cond);
    return b;
  };
  EXPECT_EQ(3, LoadDepots(head(4001, 1, 1, 0), 0x3850));
  EXPECT_EQ(3, LoadDepots(head(1, 100, 1, 0), 0x3850));
  EXPECT_EQ(3, LoadDepots(head(1, 0, 1, 0), 0x3850));
  EXPECT_EQ(3, LoadDepots(head(1, 1, 100, 0), 0x3850));
  EXPECT_EQ(3, LoadDepots(head(1, 1, 1, 61), 0x3850));
  EXPECT_NE(0, LoadDepots(head(1, 1, 1, 0), 0x3850));  // cut after the condition count
  Bytes longName;
  Put32(longName, 0x4F504544);
  Put32(longName, 1);
  Put32(longName, 1);
  PutName(longName, "Seventeen-letters");
  EXPECT_EQ(3, LoadDepots(longName, 0x3850));
  EXPECT_EQ(0u, Dep_Count(nullptr));
}

TEST_F(DepTest, OlderFormsConvert) {
  // 14391..14404: one element id per place stands for condition and lists.
  Bytes b;
  Put32(b, 0x4F504544);
  Put32(b, 1);
  Put32(b, 1);
  PutName(b, "Hafen");
  PutName(b, "HF");
  Put32(b, 1);
  Put32(b, 1), Put32(b, 1), Put32(b, 0);  // x, y, level as u32
  Put32(b, 4);
  Put32(b, 8);
  Put32(b, 21);
  Put32(b, 0);
  Put32(b, 0x10);
  ASSERT_EQ(0, LoadDepots(b, 14399));
  DepotPlaceInfo info;
  ASSERT_EQ(0, Dep_GetPlace(1, 4, &info));
  EXPECT_EQ(1u, info.CondCount);
  EXPECT_EQ(21u, info.Cond[0]);
  EXPECT_EQ(21, info.ListA[0]);
  EXPECT_EQ(-21, info.ListB[0]);
  EXPECT_EQ(0x10u, info.Options);
  // The two-letter form: only an empty section is taken.
  Bytes empty;
  Put16(empty, 0x4642);
  Put16(empty, 99);
  Put16(empty, 0);
  EXPECT_EQ(0, LoadDepots(empty, 13500));
  Bytes badMark = empty;
  badMark[2] = 98;
  EXPECT_EQ(3, LoadDepots(badMark, 13500));
}

}  // namespace

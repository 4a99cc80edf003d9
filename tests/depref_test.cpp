// Depot place references and place lists as typed: the resolver's flags,
// its messages, and the lists the signals, turnouts and shunting points
// carry.
#include <gtest/gtest.h>

#include <vector>

#include "model/dep.h"
#include "model/depref.h"
#include "model/line.h"
#include "model/rule.h"
#include "platform/msg.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

class DepRefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Test_LoadTexts());
    Dep_Clear();
    DepotPlace p = {};
    for (u32 n : {1u, 2u, 3u, 7u}) {
      p.Number = n;
      p.X = i32(n);
      ASSERT_EQ(0, Dep_InsertPlace(4, u"Nordbahnhof", u"NB", &p));
    }
    p.Number = 2;
    ASSERT_EQ(0, Dep_InsertPlace(9, u"Hafen", u"H", &p));
    Dep_SetRefHooks(nullptr);
  }
  void TearDown() override {
    Dep_Clear();
    Dep_SetRefHooks(nullptr);
  }
};

TEST_F(DepRefTest, ReferencesResolveByTheirFlags) {
  const struct {
    const char* ref;
    int flags;
    i32 depot, place, end;
    u32 msg;  // 0: no message
  } cases[] = {
      {"Nordbahnhof:3", 0, 4, 3, 0, 0},
      {"nb: 3", 0, 4, 3, 0, 0},
      {" NB:03", 0, 4, 3, 0, 0},
      {"NB", 0, 4, 1, 0, 0},  // the depot's first place
      {"NB", DEP_REF_WHOLE_DEPOT, 4, 0, 0, 0},
      {"NB:1-3", DEP_REF_RANGE, 4, 1, 3, 0},
      {"NB:1-7", DEP_REF_RANGE, -1, 0, 0, 309},  // places 4..6 are missing
      {"NB:3-2", DEP_REF_RANGE, -1, 0, 0, 308},
      {"NB:1-3", 0, -1, 0, 0, 783},  // no range asked: a bad character
      {"NB:0", 0, -1, 0, 0, 302},
      {"NB:100", 0, -1, 0, 0, 302},
      {"NB:5", 0, -1, 0, 0, 309},
      {"NB:5", DEP_REF_ACCEPT_UNKNOWN, 0, 5, 0, 0},
      {"Nirgends", 0, -1, 0, 0, 309},
      {"N<B:1", 0, -1, 0, 0, 783},
      {"ABCDEFGHIJKLMNOPQ:1", 0, -1, 0, 0, 301},
      {"", 0, 0, 0, 0, 0},
      {"", DEP_REF_EMPTY_IS_ERROR, -1, 0, 0, 782},
      {"NB:2!", DEP_REF_FLAG_LETTER, 4, 0x8002, 0, 0},
      {"!H:2", DEP_REF_FLAG_LETTER, 9, 0x8002, 0, 0},
      {"NB:2!", 0, -1, 0, 0, 783},
      {"NB:5", DEP_REF_QUIET, -1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    wstr ref = W16(c.ref);
    wch buf[DEP_REF_SIZE] = {};
    for (size_t i = 0; i < ref.size() && i < DEP_REF_SIZE - 1; ++i) buf[i] = ref[i];
    Msg_ResetLast();
    i32 place = -9, end = -9;
    EXPECT_EQ(c.depot, Dep_ResolvePlaceRef(buf, c.flags, 783, &end, &place, 782)) << c.ref;
    if (c.depot >= 0) {
      EXPECT_EQ(c.place, place) << c.ref;
      EXPECT_EQ(c.end, end) << c.ref;
    }
    EXPECT_EQ(c.msg, Msg_LastNumber()) << c.ref;
  }
}

int PickHafen(u32, const wch*, wch* chosen) {
  const wch pick[] = u"Hafen:2";
  for (int i = 0; i < 8; ++i) chosen[i] = pick[i];
  return 1;
}

TEST_F(DepRefTest, PlaceListsExpandRangesAndRefuseRepeats) {
  const struct {
    const char* text;
    int quiet;
    i32 result;
    std::vector<u32> words;
    u32 msg;
  } cases[] = {
      {"NB:1-3, H:2", 0, 6 + 2, {4, 1, 4, 2, 4, 3, 9, 2}, 0},
      {"NB", 0, 2, {4, 0}, 0},
      {"NB, NB:2", 0, -2, {}, 832},
      {"H:2,H:2", 0, -2, {}, 832},
      {"H:2,Nirgends,NB:7", 1, 4, {9, 2, 4, 7}, 0},
      {"", 0, 0, {}, 0},
  };
  for (const auto& c : cases) {
    wstr text = W16(c.text);
    std::vector<wch> buf(text.begin(), text.end());
    buf.resize(RULE_PLACE_LIST_TEXT + 1, 0);
    std::vector<u32> out(RULE_PLACE_LIST_MAX + 2, 0);
    Msg_ResetLast();
    EXPECT_EQ(c.result, Rule_ParsePlaceListCore(buf.data(), out.data(), nullptr, c.quiet, 0)) << c.text;
    if (c.result > 0) {
      EXPECT_EQ(c.words, std::vector<u32>(out.begin(), out.begin() + c.result)) << c.text;
    }
    EXPECT_EQ(c.msg, Msg_LastNumber()) << c.text;
  }
  // Against the object's other list.
  const u32 other[2] = {9, 0};
  wch text[RULE_PLACE_LIST_TEXT + 1] = u"NB:1,H:2";
  u32 out[RULE_PLACE_LIST_MAX + 2];
  Msg_ResetLast();
  EXPECT_EQ(-2, Rule_NormalisePlaceListInDialog(text, out, other, 2));
  EXPECT_EQ(773u, Msg_LastNumber());

  // A place picked from the list replaces the entry the user typed.
  static const DepRefHooks hooks = {PickHafen};
  Dep_SetRefHooks(&hooks);
  wch typed[RULE_PLACE_LIST_TEXT + 1] = u"NB:1, Hafn:2, NB:2";
  EXPECT_EQ(-2, Rule_NormalisePlaceListInDialog(typed, out, nullptr, 0));
  EXPECT_EQ(wstr(u"NB:1, Hafen:2, NB:2"), wstr(typed));
  EXPECT_EQ(6, Rule_NormalisePlaceListInDialog(typed, out, nullptr, 0));
}

TEST_F(DepRefTest, RuleTextsResolvePlacesThroughTheDepots) {
  // Start-up installs the depot module as the rule texts' resolver.
  Wire_InstallHooks();
  ASSERT_EQ(1, Lin_Init());
  LineId ic = 0;
  ASSERT_EQ(0, Lin_Create(u"IC", 0, 0, &ic));
  u32 words[RULE_WORDS_MAX];
  ASSERT_EQ(6, Rule_Parse(u"IC(H=D:NB:3)", RULE_MODE_DWX, words));
  EXPECT_EQ((std::vector<u32>{1, ic, 0x20000, 5, 4, 3}), std::vector<u32>(words, words + 6));
  wch text[RULE_TEXT_SIZE];
  ASSERT_EQ(0, Rule_FormatCore(text, RULE_TEXT_SIZE, words, 0, 6));
  EXPECT_EQ(wstr(u"IC(H=D:Nordbahnhof:3)"), wstr(text));
  Lin_Exit();
}

}  // namespace

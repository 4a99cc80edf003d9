// Message boxes, info boxes and the trace through the portable Msg_ module:
// captions and help topics, what a front end is asked to show, the info-box
// stack and its geometry, the trace file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "tests/test_util.h"

namespace {

struct Shown {
  std::u16string text, caption;
  u32 number;
  int flags;
};
std::vector<Shown> g_shown;
int g_answer;
int g_failOpen;
std::vector<int> g_opened, g_closed;

int Box(const wch* text, const wch* caption, u32 number, int flags) {
  g_shown.push_back({text, caption, number, flags});
  return g_answer;
}
int InfoOpen(int index, const wch*, const wch*, int, int) {
  if (g_failOpen) return 1;
  g_opened.push_back(index);
  return 0;
}
void InfoClose(int index) { g_closed.push_back(index); }
const MsgFrontEnd kFront = {Box, InfoOpen, nullptr, InfoClose, nullptr, nullptr};

struct Msg : ::testing::Test {
  static void SetUpTestSuite() { ASSERT_EQ(0, Test_LoadTexts()); }
  void SetUp() override {
    g_shown.clear();
    g_opened.clear();
    g_closed.clear();
    g_answer = 2;
    g_failOpen = 0;
    Msg_SetFrontEnd(&kFront);
    Msg_ResetLast();
  }
  void TearDown() override {
    while (Msg_InfoDepth() > 0) Msg_InfoClose();
    Msg_SetFrontEnd(nullptr);
  }
  static std::u16string T(u32 id) { return Lng_GetText(TextId(id)); }
};

TEST_F(Msg, BoxesCarryTheirTitleNumberAndHelpTopic) {
  ASSERT_EQ(2, Msg_ErrorId(212, 8005));
  ASSERT_EQ(1u, g_shown.size());
  EXPECT_EQ(T(8000) + u" " + T(8040) + u"212", g_shown[0].caption);
  EXPECT_EQ(T(8005), g_shown[0].text);
  EXPECT_EQ(212u, g_shown[0].number);
  EXPECT_EQ(8, g_shown[0].flags);
  EXPECT_EQ(50212, Msg_HelpTopic(212));
  EXPECT_EQ(u16(70000), Msg_HelpTopic(20000));  // kept as 16 bits

  Msg_WarnText(770, u"w");
  EXPECT_EQ(T(8020) + u" " + T(8040) + u"770", g_shown[1].caption);
  g_answer = 3;
  EXPECT_EQ(3, Msg_Ask(346, u"q", 0));
  EXPECT_EQ(T(8010) + u" " + T(8040) + u"346", g_shown[2].caption);
  EXPECT_EQ(3, g_shown[2].flags);
  Msg_Ask(346, u"q", 1);
  EXPECT_EQ(7, g_shown[3].flags);

  EXPECT_EQ(0, Msg_Box(u"never", u"t", 5, 0));  // flags 0: nothing shown
  EXPECT_EQ(4u, g_shown.size());
  Msg_Box(u"x", u"Title", 5, MSG_FLAG_SHOW | MSG_FLAG_NO_NUMBER);
  EXPECT_EQ(u"Title", g_shown[4].caption);
  EXPECT_EQ(5u, Msg_LastNumber());
}

TEST_F(Msg, ALongTitleIsCutToTheCaption) {
  const std::u16string title(300, u't');
  Msg_Box(u"x", title.c_str(), 1, MSG_FLAG_SHOW);
  EXPECT_EQ(std::u16string(MSG_CAPTION_SIZE - 1, u't'), g_shown[0].caption);
  Msg_Box(u"x", title.c_str(), 1, MSG_FLAG_SHOW | MSG_FLAG_NO_NUMBER);
  EXPECT_EQ(std::u16string(MSG_CAPTION_SIZE - 1, u't'), g_shown[1].caption);
}

TEST_F(Msg, WithoutAFrontEndBoxesAnswerAsClosed) {
  Msg_SetFrontEnd(nullptr);
  EXPECT_EQ(2, Msg_ErrorText(7, u"e"));
  EXPECT_EQ(1, Msg_Ask(8, u"q", 0));
  EXPECT_EQ(8u, Msg_LastNumber());
  EXPECT_EQ(1, Msg_Trace(u"t"));
  EXPECT_EQ(std::u16string(u"t"), Msg_LastText());
}

TEST_F(Msg, InfoBoxGeometry) {
  struct Case {
    i32 length, reserved;
    int cancellable;
    i32 cancelWidth, screen;
    i32 width, x, progressX;
  };
  const Case cases[] = {
      {10, 5, 0, 200, 1024, 208, 100 + (800 - 208) / 2, 128},
      {10, 5, 1, 200, 1024, 264, 100 + (800 - 264) / 2, 128},
      {10, 5, 1, 100, 1024, 208, 100 + (800 - 208) / 2, 128},
      {99, 99, 0, 0, 1024, 976, 100 + (800 - 976) / 2, 840},  // at most the screen - 48
  };
  for (const Case& c : cases) {
    const MsgInfoGeometry g = Msg_InfoPlace(c.length, c.reserved, c.cancellable, c.cancelWidth, c.screen, 100, 50, 900, 650);
    EXPECT_EQ(c.width, g.width) << c.length << " " << c.cancellable;
    EXPECT_EQ(c.x, g.x);
    EXPECT_EQ(96, g.height);
    EXPECT_EQ(50 + (600 - 96) / 2, g.y);
    EXPECT_EQ(c.progressX, g.progressX);
  }
  EXPECT_EQ(0, Msg_InfoPlace(99, 99, 0, 0, 1024, 0, 0, 800, 600).x);  // never left of the screen
}

TEST_F(Msg, InfoBoxesStackUpToThree) {
  EXPECT_EQ(-1, Msg_InfoUpdate(u"p"));
  EXPECT_EQ(-1, Msg_InfoClose());
  EXPECT_EQ(0, Msg_InfoOpen(u"one", u"t", 4, 0));
  EXPECT_EQ(1, Msg_InfoOpen(u"two", u"t", 4, 1));
  EXPECT_EQ(2, Msg_InfoOpen(u"three", u"t", 4, 0));
  EXPECT_EQ(-1, Msg_InfoOpen(u"four", u"t", 4, 0));
  EXPECT_EQ((std::vector<int>{0, 1, 2}), g_opened);
  EXPECT_EQ(0, Msg_InfoUpdate(u"12345678"));
  EXPECT_EQ(std::u16string(u"1234"), Msg_InfoProgress(2));  // at most the reserved characters
  EXPECT_EQ(std::u16string(u"two"), Msg_InfoText(1));
  EXPECT_EQ(0, Msg_InfoClose());
  EXPECT_EQ(nullptr, Msg_InfoText(2));
  EXPECT_EQ(0, Msg_InfoCancelPressed());  // no front end answer: not pressed
  EXPECT_EQ(0, Msg_InfoClose());
  EXPECT_EQ(0, Msg_InfoClose());
  EXPECT_EQ((std::vector<int>{2, 1, 0}), g_closed);
  EXPECT_EQ(0, Msg_InfoDepth());
}

TEST_F(Msg, InfoTextsAreCutToTheirSlotAndAFailedWindowLeavesTheStack) {
  const std::u16string text(150, u'x');
  ASSERT_EQ(0, Msg_InfoOpen(text.c_str(), u"t", 500, 0));
  EXPECT_EQ(std::u16string(MSG_INFO_TEXT - 1, u'x'), Msg_InfoText(0));
  Msg_InfoUpdate(text.c_str());
  EXPECT_EQ(std::u16string(MSG_INFO_TEXT - 1, u'x'), Msg_InfoProgress(0));
  g_failOpen = 1;
  EXPECT_EQ(-2, Msg_InfoOpen(u"b", u"t", 1, 1));
  EXPECT_EQ(1, Msg_InfoDepth());
  EXPECT_EQ(std::u16string(MSG_INFO_TEXT - 1, u'x'), Msg_InfoText(0));
}

TEST_F(Msg, TraceFileLinesAreAppended) {
  Os_Remove(u"Q52WTR.000");
  Msg_TraceFile(u"first");
  Msg_TraceFile(u"second");
  const std::vector<u8> bytes = Test_ReadFile(u"Q52WTR.000");
  EXPECT_EQ(std::string("first\r\nsecond\r\n"), std::string(bytes.begin(), bytes.end()));
  Os_Remove(u"Q52WTR.000");
}

}  // namespace

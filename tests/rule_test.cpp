#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/line.h"
#include "model/rule.h"
#include "platform/fio.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u32> Words;

const u32 W_ANY = 0xFFFFFFFFu;

class RuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    ASSERT_EQ(1, Lin_Init());
    // Ids 1, 2, 3 in this order.
    ASSERT_EQ(0, Lin_Create(u"IC", 0, 0));
    ASSERT_EQ(0, Lin_Create(u"RE", 0, 0));
    ASSERT_EQ(0, Lin_Create(u"S1", 0, 0));
    Dlg_SetTimeSeparator(u':');
    Rule_SetDepotHooks(nullptr);
    Msg_ResetLast();
  }
  void TearDown() override {
    Lin_Exit();
    Rule_SetDepotHooks(nullptr);
  }

  // Parses; the result code, with the words in out.
  static i32 Parse(const char* text, int mode, int lenient, Words* out) {
    static u32 buf[RULE_WORDS_MAX];
    const i32 r = Rule_ParseCore(W16(text).c_str(), buf, mode, lenient, 0, nullptr);
    if (out) out->assign(buf, buf + (r > 0 ? r : 0));
    return r;
  }
  static wstr Format(const Words& w, int perLine) {
    static wch buf[RULE_TEXT_SIZE];
    EXPECT_EQ(0, Rule_FormatCore(buf, RULE_TEXT_SIZE, w.data(), perLine, i32(w.size())));
    return wstr(buf);
  }
};

// ---------------------------------------------------------------- texts that parse

TEST_F(RuleTest, TextsGiveTheirWordsAndPrintBack) {
  struct Case {
    int mode;
    const char* text;
    Words words;
    const char* printed;
  } cases[] = {
      {2, "", {}, ""},
      {2, "IC", {1, 1, 0}, "IC"},
      {1, " ic + re ", {2, 1, 2, 0}, "IC+RE"},
      {2, "IC(T=8:00-9:30)", {1, 1, 0x8000, 1, 0x7F080000, 0x7F091E00}, "IC(T=8:00-9:30)"},
      // A single start day: the end without a day ends that day, or the next
      // when its time is not later.
      {2, "RE(t=Mon:22:00-2:00)", {1, 2, 0x8000, 1, 0x01160000, 0x02020000}, "RE(T=Mon:22:00-Tue:2:00)"},
      {2, "RE(T=Mon:8:00:30-17:00)", {1, 2, 0x8000, 1, 0x0108001E, 0x01110000}, "RE(T=Mon:8:00:30-Mon:17:00)"},
      // Whole days.
      {2, "IC(T=Mon-Fri)", {1, 1, 0x8000, 1, 0x1F000000, 0}, "IC(T=Mon-Fri)"},
      {2, "IC(T=Sat +Sun)", {1, 1, 0x8000, 2, 0x20000000, 0x40000000, 0x40000000, 0x01000000}, "IC(T=Sat +Sun)"},
      {2, "IC(T=Mon+Wed:6:00-8:00)", {1, 1, 0x8000, 1, 0x05060000, 0x00080000}, "IC(T=Mon+Wed:6:00-8:00)"},
      // From Monday 0:00 to Wednesday 0:00 is two days, not "Mon-Wed".
      {2, "IC(T=Mon:0:00-Wed:0:00)", {1, 1, 0x8000, 1, 0x01000000, 0x04000000}, "IC(T=Mon:0:00-Wed:0:00)"},
      {2, "S1(U=5+10-20)", {1, 3, 0x10000, 4, 5, 10, W_ANY, 20}, "S1(U=5+10-20)"},
      {2,
       "IC(R=2-5,Y=b,N=max,D=r,S=1.5,W=0,A=1,B=0,K=2.25,V=-12,C=g,O=8:30)",
       {1, 1, 0x800 | 0x400 | 0x2000 | 0x1000 | 0x200 | 0x100 | 0x80 | 0x40 | 0x8 | 0x4 | 0x2 | 0x40000, 5u << 16 | 2,
        2, 2, 32766, 2, 150, 0, 1, 0, 2250, u32(-12), 30600},
       "IC(R=2-5,C=G,Y=B,N=MAX,D=R,S=1.50,W=0.00,A=1,B=0,K=2.250,V=-12,O=8:30)"},
      {2, "IC(N=min,Y=*,C=*)", {1, 1, 0x2000 | 0x400 | 0x2, 0, 0, 32767}, "IC(C=*,Y=*,N=MIN)"},
      {3, "IC(E=S)", {1, 1, 0x1, 1}, "IC(E=S)"},
      {3, "RE(H=n, T=6:00-7:00)", {1, 2, 0x20000 | 0x8000, 1, 0x7F060000, 0x7F070000, 0}, "RE(T=6:00-7:00,H=N)"},
      {4, "*(L=IC)", {1, 0, 0x4000, 1}, "*(L=IC)"},
      {2, "IC(P1=8:00,P2=x,Q0=X)",
       {1, 1, 0x30, 2, 0x7F080000, 0, 0, 1, 0x180000, 0, 0, 2, 1, 0x180000, 0, 0, 0},
       "IC(P1=8:00,P2=X,Q0=X)"},
      {2, "IC(P=Mon:8:00 !)", {1, 1, 0x20, 1, 0x01080000, 0, 0x8000, 1}, "IC(P1=Mon:8:00!)"},
      {2, "IC(T=6:00-9:00), IC(T=9:00-12:00),,RE", {1, 1, 0x8000, 1, 0x7F060000, 0x7F090000, 1, 1, 0x8000, 1, 0x7F090000,
                                                    0x7F0C0000, 1, 2, 0},
       "IC(T=6:00-9:00), IC(T=9:00-12:00), RE"},
      {2, "IC(U=1-9), IC(U=10)", {1, 1, 0x10000, 3, 1, W_ANY, 9, 1, 1, 0x10000, 1, 10}, "IC(U=1-9), IC(U=10)"},
      {2, "*(T=6:00-7:00), IC(T=7:00-8:00)", {1, 0, 0x8000, 1, 0x7F060000, 0x7F070000, 1, 1, 0x8000, 1, 0x7F070000,
                                              0x7F080000},
       "*(T=6:00-7:00), IC(T=7:00-8:00)"},
  };
  for (const Case& c : cases) {
    Msg_ResetLast();
    Words w;
    EXPECT_EQ(i32(c.words.size()), Parse(c.text, c.mode, 0, &w)) << c.text;
    EXPECT_EQ(c.words, w) << c.text;
    EXPECT_EQ(0u, Msg_LastNumber()) << c.text;
    EXPECT_EQ(W16(c.printed), Format(w, 0)) << c.text;
    // The printed text reads back as the same words.
    Words again;
    EXPECT_EQ(i32(w.size()), Parse(c.printed, c.mode, 0, &again)) << c.printed;
    EXPECT_EQ(w, again) << c.printed;
  }
}

TEST_F(RuleTest, OneGroupPerLine) {
  Words w;
  ASSERT_GT(Parse("IC(R=2-5,N=7), RE", 2, 0, &w), 0);
  EXPECT_EQ(u"IC(R=2-5, N=7),\r\nRE\r\n", Format(w, 1));
  Words again;
  Parse("IC(R=2-5, N=7),\r\nRE\r\n", 2, 0, &again);
  EXPECT_EQ(w, again);
  EXPECT_EQ(0, Rule_LineTextMode(0));
  EXPECT_EQ(1, Rule_LineTextMode(1));
  EXPECT_EQ(1, Rule_LineTextMode(0));
  EXPECT_EQ(0, Rule_LineTextMode(3));
}

TEST_F(RuleTest, LenientParseDropsGroupsOfUnknownLinesAndShowsNoStructureBoxes) {
  struct Case {
    int mode;
    const char* text;
    Words words;
  } cases[] = {
      {2, "*", {1, 0, 0}},
      {1, "*", {1, 0, 0}},
      {2, "IC+Nope(T=8:00-9:00), RE", {1, 2, 0}},
      {4, "RE(L=Nope), IC", {1, 1, 0}},
      {2, "IC, IC", {1, 1, 0, 1, 1, 0}},  // no check of the groups against each other
  };
  for (const Case& c : cases) {
    Msg_ResetLast();
    Words w;
    EXPECT_EQ(i32(c.words.size()), Parse(c.text, c.mode, 1, &w)) << c.text;
    EXPECT_EQ(c.words, w) << c.text;
    EXPECT_EQ(0u, Msg_LastNumber()) << c.text;
  }
  EXPECT_EQ(3u, Lin_CountAndMax() & 0xFFFF) << "a paste creates no line";
  // Structure errors fail quietly; the value readers still speak.
  Msg_ResetLast();
  EXPECT_EQ(RULE_ERR_TOKEN, Parse("IC(Z=1)", 2, 1, nullptr));
  EXPECT_EQ(0u, Msg_LastNumber());
  EXPECT_EQ(RULE_ERR_NUMBER, Parse("IC(N=1000)", 2, 1, nullptr));
  EXPECT_EQ(798u, Msg_LastNumber());
}

// ---------------------------------------------------------------- errors

TEST_F(RuleTest, EveryNumberedErrorIsReached) {
  struct Case {
    int mode;
    const char* text;
    i32 code;
    u32 message;
  } cases[] = {
      {2, "IC(Z=1)", RULE_ERR_TOKEN, 849},
      {2, "IC(N=5 N=6)", RULE_ERR_TOKEN, 849},
      {2, "IC+", RULE_ERR_TOKEN, 856},
      {2, "(T=8:00-9:00)", RULE_ERR_TOKEN, 856},
      {2, "I$C", RULE_ERR_TOKEN, 664},
      {2, "Nope", RULE_ERR_TOKEN, 660},  // asked to create it; not created
      {2, "IC, IC(T=8:00-9:00)", RULE_ERR_LINE_TWICE, 853},
      {2, "*(T=8:00-9:00), IC", RULE_ERR_LINE_TWICE, 869},
      {2, "IC(T=8:00-10:00), IC(T=9:00-11:00)", RULE_ERR_OVERLAP, 854},
      {2, "IC(U=1-9), IC(U=9)", RULE_ERR_OVERLAP, 854},
      {2, "IC(T=8:00-10:00,U=3), IC(U=3)", RULE_ERR_OVERLAP, 854},
      {2, "IC(T=25:00-26:00)", RULE_ERR_WINDOWS, 342},
      {2, "IC(T=Mon-9:00)", RULE_ERR_WINDOWS, 819},
      {2, "IC(T=Mon:8:00-Mon:8:00)", RULE_ERR_WINDOWS, 843},
      {2, "IC(T=8:00-10:00+9:00-11:00)", RULE_ERR_WINDOWS, 762},
      {2, "IC(T=Mon -Tue)", RULE_ERR_WINDOWS, 745},
      {2, "IC(T=8:00)", RULE_ERR_WINDOWS, 856},
      {2, "IC(T=8:00-9:00,T=10:00-11:00)", RULE_ERR_WINDOWS, 857},
      {1, "IC(L=RE)", RULE_ERR_SWITCH_LINE, 845},
      {2, "IC(L=IC)", RULE_ERR_SWITCH_LINE, 848},
      {2, "IC(L=)", RULE_ERR_SWITCH_LINE, 846},
      {2, "IC(L=RE,L=S1)", RULE_ERR_SWITCH_LINE, 858},
      {3, "IC(T=8:00-9:00)", RULE_ERR_NO_ACTION, 852},
      {2, "IC(R=5)", RULE_ERR_RANGE, 804},
      {2, "IC(R=0-5)", RULE_ERR_RANGE, 806},
      {2, "IC(R=9-5)", RULE_ERR_RANGE, 807},
      {1, "IC(R=1-2)", RULE_ERR_RANGE, 803},
      {2, "IC(Y=Z)", RULE_ERR_TYPE, 767},
      {2, "IC(C=Z)", RULE_ERR_TYPE, 897},
      {1, "IC(Y=A)", RULE_ERR_TYPE, 766},
      {2, "IC(C=P,C=G)", RULE_ERR_TYPE, 765},
      {2, "*", RULE_ERR_ANY_LINE, 868},
      {4, "*", RULE_ERR_ANY_LINE, 868},
      {2, "IC(U=0)", RULE_ERR_NUMBERS, 753},
      {2, "IC(U=5-5)", RULE_ERR_NUMBERS, 754},
      {2, "IC(U=5+5)", RULE_ERR_NUMBERS, 755},
      {2, "IC(U=1-9+4)", RULE_ERR_NUMBERS, 755},
      {2, "IC(U=1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17+18+19+20+21)", RULE_ERR_NUMBERS, 756},
      {2, "IC(U=1,U=2)", RULE_ERR_NUMBERS, 757},
      {2, "IC(T 8:00)", RULE_ERR_NO_EQUALS, 799},
      {2, "IC(N=1000)", RULE_ERR_NUMBER, 798},
      {2, "IC(D=Z)", RULE_ERR_LETTER5, 796},
      {2, "IC(S=3.01)", RULE_ERR_HUNDREDTHS6, 794},
      {2, "IC(S=0.04)", RULE_ERR_HUNDREDTHS6, 794},
      {2, "IC(W=x)", RULE_ERR_HUNDREDTHS7, 794},
      {2, "IC(A=2)", RULE_ERR_DIGIT8, 792},
      {2, "IC(B=2)", RULE_ERR_DIGIT9, 790},
      {2, "IC(P1=8:00,P1=9:00)", RULE_ERR_TIMETABLE1, 841},
      {2, "IC(P0=X,P1=X)", RULE_ERR_TIMETABLE1, 841},
      {2, "IC(P0=8:00)", RULE_ERR_TIMETABLE1, 764},
      {2, "IC(P1=8:00:Nowhere)", RULE_ERR_TIMETABLE1, 309},
      {1, "IC(P=X)", RULE_ERR_TIMETABLE1, 779},
      {2, "IC(Q1=X,Q1=X)", RULE_ERR_TIMETABLE2, 842},
      {2, "IC(K=0)", RULE_ERR_THOUSANDTHS, 777},
      {2, "IC(K=600.001)", RULE_ERR_THOUSANDTHS, 777},
      {2, "IC(V=200)", RULE_ERR_SIGNED, 772},
      {3, "IC(E=Z)", RULE_ERR_LETTER15, 769},
      {3, "IC(H=N,E=N)", RULE_ERR_LETTER15, 770},
      {2, "IC(E=N)", RULE_ERR_LETTER15, 768},
      {2,
       "IC+RE+S1+IC+RE+S1+IC+RE+S1+IC+RE+S1+IC+RE+S1+IC+RE+S1+IC+RE+S1",
       RULE_ERR_TOO_MANY_LINES, 759},
      {2, "IC+*", RULE_ERR_MULTI_LINE, 760},
      {2, "IC+RE+IC", RULE_ERR_MULTI_LINE, 761},
      {3, "IC(H=Z)", RULE_ERR_LETTER17, 752},
      {3, "IC(E=N,H=N)", RULE_ERR_LETTER17, 750},
      {3, "IC(H=D:Nowhere)", RULE_ERR_LETTER17, 309},
      {2, "IC(H=N)", RULE_ERR_LETTER17, 751},
      {2, "IC(O=25:00)", RULE_ERR_TIME_OF_DAY, 743},
      {2, "IC(O=x)", RULE_ERR_TIME_OF_DAY, 743},
      {2, "IC(O=1:00,O=2:00)", RULE_ERR_TIME_OF_DAY, 741},
  };
  for (const Case& c : cases) {
    Msg_ResetLast();
    EXPECT_EQ(c.code, Parse(c.text, c.mode, 0, nullptr)) << c.text;
    EXPECT_EQ(c.message, Msg_LastNumber()) << c.text;
  }
  EXPECT_EQ(3u, Lin_CountAndMax() & 0xFFFF);
}

TEST_F(RuleTest, TheSizeLimitCoversAnEarlierRuleInTheArray) {
  static u32 all[RULE_WORDS_MAX];
  Words first;
  ASSERT_EQ(3, Parse("IC", 2, 0, &first));
  for (u32 i = 0; i < 3; ++i) all[i] = first[i];
  // A second rule behind the first is checked against it.
  Msg_ResetLast();
  EXPECT_EQ(RULE_ERR_LINE_TWICE, Rule_ParseCore(u"IC(T=8:00-9:00)", all + 3, 2, 0, 3, all));
  EXPECT_EQ(853u, Msg_LastNumber());
  EXPECT_EQ(3, Rule_ParseCore(u"RE", all + 3, 2, 0, 3, all));
  EXPECT_EQ(RULE_ERR_SIZE, Rule_ParseCore(u"RE", all + 1198, 2, 0, 1198, all));
  EXPECT_EQ(851u, Msg_LastNumber());
  EXPECT_EQ(3, Rule_ParseCore(u"RE", all + 1197, 2, 1, 1197, all));
}

// ---------------------------------------------------------------- decimals and length

TEST_F(RuleTest, DecimalsUseTheSameSeparatorEverywhere) {
  Words w;
  ASSERT_EQ(4, Parse("IC(S=1.5)", 2, 0, &w));
  EXPECT_EQ(150u, w[3]);
  EXPECT_EQ(u"IC(S=1.50)", Format(w, 0));
  ASSERT_EQ(4, Parse("IC(K=0.5)", 2, 0, &w));
  EXPECT_EQ(500u, w[3]);
  EXPECT_EQ(u"IC(K=0.500)", Format(w, 0));
  // A comma always separates options, so it is never a decimal separator.
  EXPECT_EQ(RULE_ERR_TOKEN, Parse("IC(S=1,5)", 2, 0, nullptr));
}

// A rule of nearly the full size whose text is far longer than a dialog's
// buffer: 27 groups of 20 windows on three weekdays each.
Words LongRule() {
  Words w;
  for (int g = 0; g < 27; ++g) {
    w.insert(w.end(), {1, 1 + u32(g % 3), 0x8000, 20});
    for (u32 h = 0; h < 20; ++h) {
      w.push_back(0x15u << 24 | h << 16 | 5);
      w.push_back(h << 16 | 30 << 8 | 5);
    }
  }
  return w;
}

TEST_F(RuleTest, TheClipboardTextIsNeverCutShort) {
  const Words w = LongRule();
  ASSERT_LE(w.size(), size_t(RULE_WORDS_MAX));
  wch* text = nullptr;
  ASSERT_EQ(0, Rule_FormatAll(w.data(), 0, i32(w.size()), &text));
  ASSERT_NE(nullptr, text);
  const wstr whole(text);
  Heap_Free(text);
  EXPECT_GT(whole.size(), size_t(RULE_TEXT_SIZE));
  EXPECT_EQ(u"IC(T=Mon+Wed+Fri:0:00:05-0:30:05 +Mon+Wed+Fri:1:00:05-1:30:05", whole.substr(0, 61));
  static u32 back[RULE_WORDS_MAX];
  const i32 n = Rule_Parse(whole.c_str(), 2, back);
  ASSERT_EQ(i32(w.size()), n);
  EXPECT_EQ(w, Words(back, back + n));

  // The dialog's buffer holds only whole groups, and says so.
  static wch buf[RULE_TEXT_SIZE];
  Msg_ResetLast();
  EXPECT_EQ(1, Rule_Format(buf, RULE_TEXT_SIZE, w.data(), 0, 1, i32(w.size())));
  EXPECT_EQ(867u, Msg_LastNumber());
  const wstr cut(buf);
  EXPECT_LT(cut.size(), size_t(RULE_TEXT_SIZE));
  EXPECT_EQ(whole.substr(0, cut.size()), cut);
  EXPECT_EQ(u')', cut.back());
  const i32 m = Rule_Parse(cut.c_str(), 2, back);
  ASSERT_GT(m, 0);
  EXPECT_EQ(Words(w.begin(), w.begin() + m), Words(back, back + m));
}

TEST_F(RuleTest, PrintedTextGoesWholeToTheStream) {
  const Words w = LongRule();
  ASSERT_EQ(0, Fio_OpenWriteMemory());
  Fio_SetTextMode(FIO_UTF16LE);
  EXPECT_EQ(0, Rule_PrintText(w.data(), i32(w.size())));
  ASSERT_EQ(0, Fio_CloseWrite());
  u32 n = 0;
  u8* p = Fio_TakeWriteMemory(&n);
  ASSERT_NE(nullptr, p);
  wstr text(reinterpret_cast<wch*>(p), n / 2);
  Heap_Free(p);
  wch* whole = nullptr;
  ASSERT_EQ(0, Rule_FormatAll(w.data(), 0, i32(w.size()), &whole));
  EXPECT_EQ(wstr(whole) + u"\r\n", text);
  Heap_Free(whole);
}

// ---------------------------------------------------------------- depot places

i32 FakeResolve(wch* ref, int flags, u32 msgBadChar, i32* rangeEnd, i32* place, u32 msgEmpty) {
  const wstr r(ref);
  if (r.size() < 4 || r.substr(0, 3) != u"D1:") return -1;
  *place = r[3] - u'0';
  return 1;
}

int FakeName(i32 depot, i32 place, wch* longText, wch* shortText) {
  Fmt_Print(longText, RULE_DEPOT_NAME_SIZE, u"D%i:%i", depot, place < 0 ? -place : place);
  Str_Copy(shortText, longText);
  return 0;
}

TEST_F(RuleTest, DepotPlacesThroughTheDepotModule) {
  const RuleDepotHooks hooks = {FakeResolve, FakeName};
  Rule_SetDepotHooks(&hooks);
  struct Case {
    int mode;
    const char* text;
    Words words;
    const char* printed;
  } cases[] = {
      {2, "IC(P1=8:00:D1:3!,P2=X)", {1, 1, 0x20, 2, 0x7F080000, 1, 0x8003, 1, 0x180000, 0, 0, 2},
       "IC(P1=8:00:D1:3!,P2=X)"},
      {3, "IC(H=D:D1:4)", {1, 1, 0x20000, 5, 1, 4}, "IC(H=D:D1:4)"},
      {3, "IC(H=R)", {1, 1, 0x20000, 3}, "IC(H=R)"},
  };
  for (const Case& c : cases) {
    Words w;
    EXPECT_EQ(i32(c.words.size()), Parse(c.text, c.mode, 0, &w)) << c.text;
    EXPECT_EQ(c.words, w) << c.text;
    EXPECT_EQ(W16(c.printed), Format(w, 0)) << c.text;
  }
  // Lenient: a place that cannot be resolved drops the entry's group, and an
  // option 17 place is only left out.
  Words w;
  EXPECT_EQ(3, Parse("IC(P1=8:00:D2:1), RE", 2, 1, &w));
  EXPECT_EQ(Words({1, 2, 0}), w);
  EXPECT_EQ(4, Parse("IC(H=D:D2:1)", 3, 1, &w));
  EXPECT_EQ(Words({1, 1, 0x20000, 1}), w);

  const u32 pairs[] = {1, 3, 1, 4, 1, 5, 1, 7};
  wch buf[200];
  EXPECT_EQ(0, Rule_FormatPairList(buf, 200, pairs, 1, 8));
  EXPECT_EQ(u"D1:3-5, D1:7", wstr(buf));
  EXPECT_EQ(0, Rule_FormatPairList(buf, 200, pairs, 0, 8));
  EXPECT_EQ(u"D1:3, D1:4, D1:5, D1:7", wstr(buf));
  EXPECT_EQ(1, Rule_FormatPairList(buf, 30, pairs, 0, 8));
}

}  // namespace

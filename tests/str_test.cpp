#include "platform/str.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/lng.h"
#include "platform/print.h"
#include "tests/test_util.h"

namespace {

// ---------------------------------------------------------------- case

TEST(StrCase, PairsMapBothWays) {
  struct Pair {
    u16 lower, upper;
  } pairs[] = {
      {u'a', u'A'}, {u'z', u'Z'}, {0xE9, 0xC9} /* e acute */, {0xFE, 0xDE} /* thorn */,
      {0xFF, 0x178} /* y diaeresis */, {0x107, 0x106} /* c acute */, {0x142, 0x141} /* l stroke */,
      {0x17C, 0x17B} /* z dot */, {0x151, 0x150} /* o double acute */, {0x3B1, 0x391} /* alpha */,
      {0x3CE, 0x38F} /* omega tonos */, {0x3AC, 0x386} /* alpha tonos */, {0x44F, 0x42F} /* ya */,
      {0x451, 0x401} /* yo */, {0x491, 0x490} /* ghe upturn */, {0x4CF, 0x4C0} /* palochka */,
      {0xFF41, 0xFF21} /* fullwidth a */,
  };
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.lower);
    EXPECT_EQ(Chr_Upper(p.lower), p.upper);
    EXPECT_EQ(Chr_Lower(p.upper), p.lower);
    EXPECT_EQ(Chr_Upper(p.upper), p.upper);
    EXPECT_EQ(Chr_Lower(p.lower), p.lower);
    EXPECT_TRUE(Chr_IsLower(p.lower));
    EXPECT_TRUE(Chr_IsUpper(p.upper));
    EXPECT_FALSE(Chr_IsUpper(p.lower));
    EXPECT_FALSE(Chr_IsLower(p.upper));
  }
}

TEST(StrCase, NonLettersAndCaselessLettersStay) {
  const u16 same[] = {u'0', u'_', u'@', u'[', u'`', u'{', 0xD7, 0xF7, 0xDF, 0x138, 0x149, 0x3C0 - 0x40, 0x2028,
                      0x4E2D /* CJK */};
  for (u16 c : same) {
    SCOPED_TRACE(c);
    EXPECT_EQ(Chr_Upper(c), c);
    EXPECT_EQ(Chr_Lower(c), c);
    EXPECT_FALSE(Chr_IsUpper(c));
  }
  EXPECT_TRUE(Chr_IsLower(0xDF));  // sharp s has no single capital
  EXPECT_EQ(Chr_Upper(0x3C2), 0x3A3);  // final sigma
  EXPECT_EQ(Chr_Lower(0x3A3), 0x3C3);
}

// Every character that changes under one mapping comes back under the other,
// except the few many-to-one letters.
TEST(StrCase, RoundTripOverTheBasicPlane) {
  for (u32 c = 1; c < 0x10000; ++c) {
    wch u = Chr_Upper(wch(c));
    if (u != c && c != 0x131 && c != 0x17F && c != 0x3C2) {
      EXPECT_EQ(Chr_Lower(u), c) << std::hex << c;
    }
    wch l = Chr_Lower(wch(c));
    if (l != c && c != 0x130) {
      EXPECT_EQ(Chr_Upper(l), c) << std::hex << c;
    }
  }
}

TEST(StrCase, StringForms) {
  wstr s = W16("Łódź straße ab1");
  Str_Upper(&s[0]);
  EXPECT_EQ(s, W16("ŁÓDŹ STRAßE AB1"));
  char a[] = "Key_a\xE9z";
  Str_UpperA(a);
  EXPECT_STREQ(a, "KEY_A\xE9Z");
  wch sw[] = {0x1234, 0x00FF, 0xFF00, 0};
  Str_SwapBytes(sw);
  EXPECT_EQ(sw[0], 0x3412);
  EXPECT_EQ(sw[1], 0xFF00);
  EXPECT_EQ(sw[2], 0x00FF);
  EXPECT_EQ(sw[3], 0);
}

// ---------------------------------------------------------------- plain helpers

TEST(StrHelpers, MemoryAndWideCopies) {
  wch buf[8] = {u'a', u'b', u'c', u'd', u'e', 0, 0, 0};
  Mem_MoveWide(buf + 2, buf, 4);  // overlapping, forwards
  EXPECT_EQ(wstr(buf), W16("ababcd"));
  Mem_MoveWide(buf, buf + 2, 4);  // overlapping, backwards
  EXPECT_EQ(wstr(buf, 4), W16("abcd"));
  Str_Fill(buf, u'x', 3);
  EXPECT_EQ(wstr(buf, 4), W16("xxxd"));

  u32 words[4] = {0, 0, 0, 7};
  Mem_FillU32(words, 0xDEADBEEF, 3);
  EXPECT_EQ(words[2], 0xDEADBEEFu);
  EXPECT_EQ(words[3], 7u);

  EXPECT_EQ(Mem_Compare("abc", "abd", 0), 0);
  EXPECT_EQ(Mem_Compare("abc", "abd", -5), 0);
  EXPECT_LT(Mem_Compare("abc", "abd", 3), 0);
  char bytes[4] = {1, 2, 3, 4};
  Mem_Fill(bytes, 9, -1);  // nothing for a count below 1
  EXPECT_EQ(bytes[0], 1);
  Mem_Copy(bytes, "\x05\x06", 2);
  EXPECT_EQ(bytes[1], 6);

  wch s[16];
  Str_Copy(s, u"ab");
  Str_Append(s, u"cd");
  EXPECT_EQ(Str_Len(s), 4);
  EXPECT_EQ(Str_FindChar(s, u'c'), s + 2);
  EXPECT_EQ(Str_FindChar(s, u'q'), nullptr);
  EXPECT_EQ(Str_FindChar(s, 0), s + 4);
  EXPECT_EQ(Mem_BitCount(0), 0);
  EXPECT_EQ(Mem_BitCount(0xFFFFFFFFu), 32);
  EXPECT_EQ(Mem_BitCount(0x80000001u), 2);
}

// ---------------------------------------------------------------- blanks and lines

TEST(StrBlanks, TrimRemoveAndCount) {
  struct Case {
    const char* in;
    const char* trimmed;
    int trimCount;
    const char* removed;
    int removeCount;
  } cases[] = {
      {"", "", 0, "", 0},
      {"abc", "abc", 0, "abc", 0},
      {" \t\r\nab", "ab", 4, "ab", 4},
      {"a \t b", "a \t b", 0, "ab", 3},
      {"a\t b", "a\t b", 0, "a\tb", 1},  // a run counts only from a space
      {"a\tb", "a\tb", 0, "a\tb", 0},
      {"  ", "", 2, "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    wstr t = W16(c.in);
    t.push_back(0);
    EXPECT_EQ(Str_TrimLeft(&t[0]), c.trimCount);
    EXPECT_EQ(wstr(t.c_str()), W16(c.trimmed));
    wstr r = W16(c.in);
    r.push_back(0);
    EXPECT_EQ(Str_RemoveBlanks(&r[0]), c.removeCount);
    EXPECT_EQ(wstr(r.c_str()), W16(c.removed));
  }
  EXPECT_EQ(Str_CountLeadingBlanks(u"\x01\x20x"), 2);
  EXPECT_TRUE(Str_IsBlank(u""));
  EXPECT_TRUE(Str_IsBlank(u" \t\x01"));
  EXPECT_FALSE(Str_IsBlank(u"  !"));

  char a[] = "   x y";
  EXPECT_EQ(Str_CountLeadingSpacesA("\t x"), 0);
  EXPECT_EQ(Str_TrimLeftA(a), 3);
  EXPECT_STREQ(a, "x y");

  EXPECT_EQ(Str_CountLines(nullptr), 0);
  EXPECT_EQ(Str_CountLines(u""), 1);
  EXPECT_EQ(Str_CountLines(u"a\r\nb\r\n"), 3);
  EXPECT_EQ(Str_CountLinesA(nullptr), 0);
  EXPECT_EQ(Str_CountLinesA("a\rb"), 2);
}

// ---------------------------------------------------------------- compare and search

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

TEST(StrCompare, FlagsTable) {
  struct Case {
    const char* a;
    const char* b;
    int flags;
    int sign;
  } cases[] = {
      {"abc", "abc", 0, 0},
      {"abc", "ABC", 0, 1},
      {"abc", "ABC", STR_CMP_NOCASE, 0},
      {"Äbc", "äBC", STR_CMP_NOCASE, 0},
      {"ab", "abc", 0, -1},
      {"abc", "ab", STR_CMP_NOCASE, 1},
      {"  abc", "abc", 0, -1},
      {" \t abc", "abc", STR_CMP_SKIPBLANK, 0},
      {" \t abc", "\x01" "ABC", STR_CMP_SKIPBLANK | STR_CMP_NOCASE, 0},
      {"_a", "Za", STR_CMP_NOCASE, -1},  // letters compare in lower case, as the system does
      // Folded comparison: without a letter table a letter folds to itself,
      // upper-cased when case is ignored.
      {"abc", "ABC", STR_CMP_FOLD | STR_CMP_NOCASE, 0},
      {"ab", "abc", STR_CMP_FOLD, -1},
      {"abd", "abc", STR_CMP_FOLD, 1},
      {"  x", "X", STR_CMP_FOLD | STR_CMP_NOCASE | STR_CMP_SKIPBLANK, 0},
      {"", "", STR_CMP_FOLD, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b + " flags " + std::to_string(c.flags));
    EXPECT_EQ(Sign(Str_CompareEx(W16(c.a).c_str(), W16(c.b).c_str(), c.flags)), c.sign);
    EXPECT_EQ(Sign(Str_CompareEx(W16(c.b).c_str(), W16(c.a).c_str(), c.flags)), -c.sign);
  }
  EXPECT_EQ(Str_CompareOs(u"Abc", u"aBC", 1), 0);
  EXPECT_NE(Str_CompareOs(u"Abc", u"aBC", 0), 0);
  EXPECT_EQ(Str_CompareNoCaseA("  Key", "kEY"), 0);
  EXPECT_LT(Str_CompareNoCaseA("a", "B"), 0);
  EXPECT_GT(Str_CompareNoCaseA("ab", "A"), 0);
}

TEST(StrFind, FlagsTable) {
  struct Case {
    const char* text;
    const char* pattern;
    int flags;
    int pos;
  } cases[] = {
      {"hello world", "world", 0, 6},
      {"hello world", "World", 0, -1},
      {"hello world", "World", STR_FIND_NOCASE, 6},
      {"hello world", "WORLD", STR_FIND_FOLD | STR_FIND_NOCASE, 6},
      {"hello world", "o", 0, 4},
      {"abc", "abcd", 0, -1},  // pattern longer than the text
      {"abc", "", 0, -1},      // empty pattern
      {"", "", 0, -1},
      {"aaab", "aab", 0, 1},
      // Whole words: leading blanks skipped before each try, a match ends at
      // the end or before a character below 33, a failed try moves on a word.
      {"cart car", "car", STR_FIND_WORDS, 5},
      {"cart car", "car", 0, 0},
      {"scar car", "car", STR_FIND_WORDS, 5},
      {"  car", "car", STR_FIND_WORDS, 2},
      {"car\tx", "car", STR_FIND_WORDS, 0},
      {"cart", "car", STR_FIND_WORDS, -1},
      {"x CAR", "car", STR_FIND_WORDS | STR_FIND_NOCASE, 2},
      {"a b", "a b", STR_FIND_WORDS, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
    wstr t = W16(c.text), p = W16(c.pattern);
    EXPECT_EQ(Str_FindEx(t.c_str(), p.c_str(), i32(t.size()), c.flags, i32(p.size())), c.pos);
  }
}

TEST(StrFind, LengthsBoundTheSearch) {
  // Only textLength units are searched, whatever follows them.
  EXPECT_EQ(Str_FindEx(u"abcdef", u"ef", 4, 0, 2), -1);
  EXPECT_EQ(Str_FindEx(u"abcdef", u"cd", 4, 0, 2), 2);
  // A zero unit inside the given length is a word end, and the word search
  // steps over it instead of stalling.
  const wch text[] = {u'x', 0, u'a', u'b', 0};
  EXPECT_EQ(Str_FindEx(text, u"ab", 4, STR_FIND_WORDS, 2), 2);
  EXPECT_EQ(Str_FindEx(text, u"x", 4, STR_FIND_WORDS, 1), 0);
  EXPECT_EQ(Str_FindEx(text, u"q", 4, STR_FIND_WORDS, 1), -1);
  EXPECT_EQ(Str_FindEx(u"abc", u"a", -1, 0, 1), -1);
}

TEST(StrFind, FoldedPatternLimit) {
  wstr text(400, u'a'), pattern(301, u'a');
  EXPECT_EQ(Str_FindEx(text.c_str(), pattern.c_str(), 400, STR_FIND_FOLD, 301), -1);
  EXPECT_EQ(Str_FindEx(text.c_str(), pattern.c_str(), 400, STR_FIND_FOLD, 300), 0);
  // Ignoring case alone has no such limit.
  wstr upper(301, u'A');
  EXPECT_EQ(Str_FindEx(text.c_str(), upper.c_str(), 400, STR_FIND_NOCASE, 301), 0);
}

// ---------------------------------------------------------------- tokens

TEST(StrToken, NameCharacters) {
  const u16 excluded[] = {u'<', u'>', u'[', u']', u'{', u'}', u':', u';', u'=', u'?', u'@', u'\\', u'^',
                          u'|', u'~', 127, u'`', 0x2039, 0x203A, 0xFEFF, 0xFFFE, 0xFFFF, 0x2028, 0x2029};
  for (u32 c = 0; c < 0x10000; ++c) {
    bool expected = c >= 45 && !(c >= 0x2018 && c <= 0x201F);
    for (u16 x : excluded)
      if (x == c) expected = false;
    ASSERT_EQ(Str_IsNameChar(wch(c)), expected ? 1 : 0) << std::hex << c;
  }
  EXPECT_EQ(Str_IsNameChar(u'-'), 1);
  EXPECT_EQ(Str_IsNameChar(u','), 0);
  EXPECT_EQ(Str_IsNameChar(u'_'), 1);
}

TEST(StrToken, ParseTable) {
  struct Case {
    const char* src;
    int max;
    int result;
    const char* token;
    int consumed;
    char stop;
  } cases[] = {
      {"abc", 8, STR_TOKEN_OK, "abc", 3, 0},
      {"  , (abc)", 8, STR_TOKEN_OK, "abc", 8, ')'},
      {"abc+def", 8, STR_TOKEN_OK, "abc", 3, '+'},
      {"a-b.c,x", 8, STR_TOKEN_OK, "a-b.c", 5, ','},
      {"", 8, STR_TOKEN_EMPTY, "", 0, 0},
      {" ,( ", 8, STR_TOKEN_EMPTY, "", 4, 0},
      {"*", 8, STR_TOKEN_STAR, "*", 1, 0},
      {" *,", 8, STR_TOKEN_STAR, "*", 2, ','},
      {"ab*", 8, STR_TOKEN_BAD_CHAR, "ab*", 3, '*'},
      {"*ab", 8, STR_TOKEN_BAD_CHAR, "*ab", 3, '*'},
      {"ab:c", 8, STR_TOKEN_BAD_CHAR, "ab", 2, ':'},
      {"ab\"c", 8, STR_TOKEN_BAD_CHAR, "ab", 2, '"'},
      {"abcdefghi", 8, STR_TOKEN_TOO_LONG, "abcdefgh", 8, 'i'},
      {"abcdefgh", 8, STR_TOKEN_OK, "abcdefgh", 8, 0},
      {"\"a b:c\" rest", 8, STR_TOKEN_OK, "a b:c", 6, '"'},  // stops on the closing quote
      {"  \"x", 8, STR_TOKEN_NO_QUOTE, "x", 4, 0},
      {"\"x\ty\"", 8, STR_TOKEN_NO_QUOTE, "x", 2, '\t'},
      {"\"\"", 8, STR_TOKEN_EMPTY, "", 1, '"'},
      {"\"abcdefghi\"", 8, STR_TOKEN_TOO_LONG, "abcdefgh", 9, 'i'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.src);
    wch dst[32];
    std::memset(dst, 0x55, sizeof dst);
    i32 consumed = -1;
    wch stop = 0x7777;
    EXPECT_EQ(Str_ParseToken(W16(c.src).c_str(), dst, &consumed, &stop, c.max), c.result);
    EXPECT_EQ(wstr(dst), W16(c.token));
    EXPECT_EQ(consumed, c.consumed);
    EXPECT_EQ(stop, wch(c.stop));
  }
  wch dst[4];
  EXPECT_EQ(Str_ParseToken(u"ab", dst, nullptr, nullptr, 3), STR_TOKEN_OK);  // outs may be null
}

// ---------------------------------------------------------------- control-code escapes
// The language tables are not loaded in this program, so text 8300 is missing
// and the built-in table serves unless a test loads one.

std::vector<wch> AllControlCodes() {
  std::vector<wch> v;
  for (wch c = 1; c < 32; ++c) v.push_back(c);
  return v;
}

wstr EscapeRoundTrip(const wstr& text, int* cutResult) {
  std::vector<wch> buf(text.size() * 6 + 1);
  std::copy(text.begin(), text.end(), buf.begin());
  buf[text.size()] = 0;
  *cutResult = Str_EscapeControls(buf.data(), i32(buf.size()));
  Str_UnescapeControls(buf.data());
  return wstr(buf.data());
}

TEST(StrEscape, BuiltInTableForms) {
  EXPECT_EQ(Str_EscapeChar(), u'^');
  struct Case {
    std::vector<wch> in;
    const char* out;
  } cases[] = {
      {{31}, "^U"}, {{30}, "^R"}, {{28}, "^F"}, {{29}, "^G"}, {{24}, "^C"}, {{25}, "^M"}, {{26}, "^S"},
      {{27}, "^E"}, {{u'^'}, "^^"}, {{9}, "^X0009"}, {{1}, "^X0001"}, {{13, 10}, "\r\n"},
      {{u'a', 9, u'b'}, "a^X0009b"},
  };
  for (const Case& c : cases) {
    wch buf[32] = {};
    std::copy(c.in.begin(), c.in.end(), buf);
    EXPECT_EQ(Str_EscapeControls(buf, 32), 0);
    EXPECT_EQ(wstr(buf), W16(c.out));
  }
}

// Every control code, alone, in a row, beside text and beside the escape
// character, reads back unchanged.
TEST(StrEscape, EveryControlCodeRoundTrips) {
  std::vector<wch> codes = AllControlCodes();
  for (wch c : codes) {
    SCOPED_TRACE(int(c));
    const wstr texts[] = {wstr(1, c), wstr(3, c), u"a" + wstr(1, c) + u"b", u"^" + wstr(1, c) + u"^",
                          wstr(1, c) + u"0041", wstr(1, c) + u"U"};
    for (const wstr& t : texts) {
      int cut = -1;
      EXPECT_EQ(EscapeRoundTrip(t, &cut), t);
      EXPECT_EQ(cut, 0);
    }
  }
  wstr all(codes.begin(), codes.end());
  int cut = -1;
  EXPECT_EQ(EscapeRoundTrip(all + u"^^x^" + all, &cut), all + u"^^x^" + all);
}

TEST(StrEscape, TypedEscapes) {
  struct Case {
    const char* in;
    std::vector<wch> out;
  } cases[] = {
      {"^u", {31}},                       // letters ignore case
      {"^x41", {u'A'}},                   // up to four hex digits
      {"^X00411", {u'A', u'1'}},          // a fifth digit is text
      {"^Q", {u'^', u'Q'}},               // any other character: the escape stays, the character too
      {"^", {u'^'}},                      // an escape at the end
      {"^X", {u'^', u'X'}},               // no digits: stays as typed
      {"^X0000z", {u'^', u'X', u'0', u'0', u'0', u'0', u'z'}},  // a zero code would end the text
      {"a^^b", {u'a', u'^', u'b'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    wstr buf = W16(c.in);
    buf.push_back(0);
    Str_UnescapeControls(&buf[0]);
    EXPECT_EQ(wstr(buf.c_str()), wstr(c.out.begin(), c.out.end()));
  }
}

TEST(StrEscape, FullBufferCutsBeforeAWholeCharacter) {
  // "ab" then TAB (6 units escaped): with room for 7 units the TAB does not fit.
  wch buf[8] = {u'a', u'b', 9, u'c', 0};
  EXPECT_EQ(Str_EscapeControls(buf, 8), 1);
  EXPECT_EQ(wstr(buf), W16("ab"));
  wch fits[9] = {u'a', u'b', 9, 0};
  EXPECT_EQ(Str_EscapeControls(fits, 9), 0);
  EXPECT_EQ(wstr(fits), W16("ab^X0009"));
  wch esc[4] = {u'x', u'^', u'^', 0};
  EXPECT_EQ(Str_EscapeControls(esc, 4), 1);
  EXPECT_EQ(wstr(esc), W16("x^^"));
  // Nothing is written past the given size.
  wch guard[6] = {31, 31, 31, 0, 0x1111, 0x2222};
  EXPECT_EQ(Str_EscapeControls(guard, 4), 1);
  EXPECT_EQ(guard[4], 0x1111);
  EXPECT_EQ(wstr(guard), W16("^U"));
}

// A table from the language file replaces the built-in one; an unusable one
// does not.
class StrEscapeTable : public ::testing::Test {
 protected:
  void LoadText8300(const char* text) {
    wstr folder = Test_MakeTempFolder();
    std::string src = std::string("8300\n") + text + "\n.\n";
    std::vector<u8> bytes = {0xFF, 0xFE};
    for (wch c : W16(src.c_str())) {
      if (c == u'\n') {
        bytes.push_back(13), bytes.push_back(0);
      }
      bytes.push_back(u8(c & 0xFF));
      bytes.push_back(u8(c >> 8));
    }
    ASSERT_TRUE(Test_WriteFile(folder + u"esc.lng", bytes));
    ASSERT_EQ(Lng_LoadFile(u"esc.lng", 1), 0);
  }
  void TearDown() override {
    Lng_Exit();
    Lng_Init();
  }
};

TEST_F(StrEscapeTable, LanguageTextIsUsed) {
  LoadText8300("~abcdefghz");
  EXPECT_EQ(Str_EscapeChar(), u'~');
  wch buf[32] = {31, 27, 9, u'~', u'^', 0};
  EXPECT_EQ(Str_EscapeControls(buf, 32), 0);
  EXPECT_EQ(wstr(buf), W16("~a~h~z0009~~^"));
  Str_UnescapeControls(buf);
  const wch back[] = {31, 27, 9, u'~', u'^', 0};
  EXPECT_EQ(wstr(buf), wstr(back));
}

TEST_F(StrEscapeTable, ShortOrAmbiguousTextFallsBack) {
  const char* bad[] = {"~abc", "~abcdefgha", "~aBcdefghb", "~abcd fghz"};
  for (const char* t : bad) {
    SCOPED_TRACE(t);
    LoadText8300(t);
    EXPECT_EQ(Str_EscapeChar(), u'^');
  }
}

}  // namespace

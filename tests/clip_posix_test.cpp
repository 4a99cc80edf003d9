// Clipboard text lines over the native stand-in of the Os_ clipboard:
// appending, reading, the copy of marked text and the size of a
// device-independent bitmap. The system clipboard is one for the whole
// desktop, so the Windows round trip runs in tests/dfw_win32_test.cpp, which
// has the desktop to itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clip.h"
#include "platform/heap.h"
#include "platform/os.h"
#include "platform/str.h"
#include "tests/test_util.h"

namespace {

int g_window;

struct Clip : ::testing::Test {
  void SetUp() override {
    Heap_Init();
    Clip_SetWindow(&g_window);
    ASSERT_EQ(0, Clip_Empty());
  }
  void TearDown() override { Clip_SetWindow(nullptr); }

  // Line n, or "#r" for a result r other than 0.
  static std::u16string Line(i32 n, i32 size = 300) {
    std::vector<wch> buf(size + 1, u'?');
    const int r = Clip_ReadLine(n, size, buf.data());
    if (r != 0) return u"#" + std::u16string(1, wch(u'0' + r)) + (buf[0] ? u"+" : u"");
    return buf.data();
  }
  // The whole clipboard text.
  static std::u16string Raw() {
    if (!Os_OpenClipboard(&g_window)) return u"(closed)";
    void* h = Os_GetClipboardData(OS_CF_UNICODETEXT);
    std::u16string s = h ? static_cast<const wch*>(Os_GlobalLock(h)) : u"(none)";
    if (h) Os_GlobalUnlock(h);
    Os_CloseClipboard();
    return s;
  }
};

TEST_F(Clip, WithoutAMainWindowNothingIsOpened) {
  Clip_SetWindow(nullptr);
  wch buf[8] = u"x";
  void* dib = &g_window;
  EXPECT_EQ(1, Clip_Empty());
  EXPECT_EQ(2, Clip_AppendLine(u"a"));
  EXPECT_EQ(2, Clip_ReadLine(0, 8, buf));
  EXPECT_EQ(0, buf[0]);
  EXPECT_EQ(2, Clip_GetDib(&dib));
  EXPECT_EQ(nullptr, dib);
}

TEST_F(Clip, LinesAppendAndReadBack) {
  EXPECT_EQ(u"#3", Line(0));  // no text at all
  ASSERT_EQ(0, Clip_AppendLine(u"A"));
  EXPECT_EQ(u"A", Raw());
  ASSERT_EQ(0, Clip_AppendLine(u"B"));
  EXPECT_EQ(u"A\r\nB", Raw());
  EXPECT_EQ(u"A", Line(0));
  EXPECT_EQ(u"B", Line(1));
  EXPECT_EQ(u"#3", Line(2));  // no line 2: result 3 and an empty buffer
  EXPECT_EQ(u"#3", Line(-1));

  // A clipboard holding an empty text gets an empty first line.
  ASSERT_EQ(0, Clip_Empty());
  ASSERT_EQ(0, Clip_AppendLine(u""));
  ASSERT_EQ(0, Clip_AppendLine(u"X"));
  EXPECT_EQ(u"\r\nX", Raw());
  EXPECT_EQ(u"", Line(0));
  EXPECT_EQ(u"X", Line(1));
}

TEST_F(Clip, ALongLineComesBackCut) {
  ASSERT_EQ(0, Clip_AppendLine(u"abcdefghij"));
  ASSERT_EQ(0, Clip_AppendLine(u"k"));
  wch buf[6];
  EXPECT_EQ(1, Clip_ReadLine(0, 6, buf));
  EXPECT_EQ(std::u16string(u"abcde"), buf);
  EXPECT_EQ(0, Clip_ReadLine(1, 2, buf));
  EXPECT_EQ(std::u16string(u"k"), buf);
}

TEST_F(Clip, CopyTextDropsColourMarksAndEndsWithAnEmptyLine) {
  // After 2 three units go with it, after 6 five; the next 2 or 6 closes the mark.
  const wch text[] = u"ab\x0002" u"123cd\x0002" u"e\0\x0006" u"12345line\x0006" u"2\0plain\0";
  ASSERT_EQ(0, Clip_CopyText(text));
  EXPECT_EQ(u"abcde\r\nline2\r\nplain\r\n", Raw());
  EXPECT_EQ(u"", Line(3));
  EXPECT_EQ(u"#3", Line(4));

  // A line of 256 characters refuses the copy before anything is written.
  std::u16string longText = u"keep";
  longText += u'\0';
  longText += std::u16string(256, u'x');
  longText += u'\0';
  longText += u'\0';
  EXPECT_EQ(3, Clip_CopyText(longText.c_str()));
  EXPECT_EQ(u"abcde\r\nline2\r\nplain\r\n", Raw());
  longText = u"keep";
  longText += u'\0';
  longText += std::u16string(255, u'x');
  longText += u'\0';
  longText += u'\0';
  EXPECT_EQ(0, Clip_CopyText(longText.c_str()));
  EXPECT_EQ(std::u16string(255, u'x'), Line(1));
}

// A DIB header: size, width, height, bits, compression, image size, colours used.
std::vector<u8> Header(u32 size, i32 w, i32 h, u16 bits, u32 compression = 0, u32 imageSize = 0, u32 used = 0) {
  std::vector<u8> b;
  Test_Put32(b, size);
  Test_Put32(b, u32(w));
  Test_Put32(b, u32(h));
  Test_Put16(b, 1);
  Test_Put16(b, bits);
  Test_Put32(b, compression);
  Test_Put32(b, imageSize);
  for (int i = 0; i < 2; ++i) Test_Put32(b, 0);
  Test_Put32(b, used);
  Test_Put32(b, 0);
  b.resize(size, 0);
  return b;
}

TEST_F(Clip, DibSizeFollowsTheHeader) {
  struct Case {
    const char* what;
    std::vector<u8> header;
    u32 available;
    u32 want;
  };
  const Case cases[] = {
      {"8 bits, no colour count: 256 colours", Header(40, 3, 2, 8), 5000, 40 + 1024 + 2 * 4},
      {"8 bits, 16 colours used", Header(40, 3, 2, 8, 0, 0, 16), 5000, 40 + 64 + 2 * 4},
      {"4 bits, three pixels a row", Header(40, 3, 2, 4), 5000, 40 + 64 + 2 * 4},
      {"1 bit, 33 pixels: two words a row", Header(40, 33, 1, 1), 5000, 40 + 8 + 8},
      {"24 bits: rows padded to 4", Header(40, 3, 2, 24), 5000, 40 + 2 * 12},
      {"top-down rows", Header(40, 3, -2, 24), 5000, 40 + 2 * 12},
      {"bit-field masks behind a plain header", Header(40, 2, 2, 16, 3), 5000, 40 + 12 + 2 * 4},
      {"masks inside a larger header", Header(124, 2, 2, 32, 3), 5000, 124 + 2 * 8},
      {"compressed: the stored image size", Header(40, 100, 100, 8, 1, 300, 2), 5000, 40 + 8 + 300},
      {"never more than the block holds", Header(40, 100, 100, 24), 1000, 1000},
      {"a header that does not fit", Header(40, 3, 2, 24), 39, 0},
      {"a header size below 40", Header(12, 3, 2, 24), 5000, 0},
      {"a header longer than the block", Header(124, 2, 2, 32), 100, 0},
      {"no width", Header(40, 0, 2, 24), 5000, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, Clip_DibSize(c.header.data(), c.available)) << c.what;
}

TEST_F(Clip, GetDibCopiesThePictureOnTheClipboard) {
  void* out = &g_window;
  EXPECT_EQ(3, Clip_GetDib(&out));
  EXPECT_EQ(nullptr, out);

  std::vector<u8> dib = Header(40, 2, 2, 24);
  for (int i = 0; i < 16; ++i) dib.push_back(u8(i + 1));
  u8* block = static_cast<u8*>(Os_GlobalAllocMovable(u32(dib.size())));
  ASSERT_NE(nullptr, block);
  Mem_Copy(block, dib.data(), i32(dib.size()));
  ASSERT_TRUE(Os_OpenClipboard(&g_window));
  ASSERT_NE(nullptr, Os_SetClipboardData(OS_CF_DIB, Os_GlobalHandle(block)));
  Os_CloseClipboard();

  ASSERT_EQ(0, Clip_GetDib(&out));
  ASSERT_NE(nullptr, out);
  EXPECT_EQ(0, Mem_Compare(out, dib.data(), i32(dib.size())));
  EXPECT_EQ(0, Heap_Free(out));
}

}  // namespace

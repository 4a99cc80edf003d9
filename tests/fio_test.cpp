#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "tests/test_util.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

typedef std::vector<u8> Bytes;

namespace {

// The names of the files in a folder, sorted.
std::vector<wstr> FilesIn(const wstr& folder) {
  std::vector<wstr> names;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(folder)))
    names.push_back(e.path().filename().u16string());
  std::sort(names.begin(), names.end());
  return names;
}

Bytes Repeat(const Bytes& unit, size_t times) {
  Bytes out;
  for (size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
  return out;
}

// Codes bytes with the pair coder into memory, one byte at a time or as blocks.
Bytes Encode(const Bytes& in, bool byBlock) {
  EXPECT_EQ(0, Fio_OpenWriteMemory());
  Fio_BeginWriteRle();
  if (byBlock) {
    size_t i = 0;
    while (i < in.size()) {
      size_t n = std::min<size_t>(in.size() - i, 1 + (i * 7919) % 5003);
      EXPECT_EQ(0, Fio_WriteBlock(in.data() + i, u32(n)));
      i += n;
    }
  } else {
    for (u8 b : in) EXPECT_EQ(0, Fio_WriteByte(b));
  }
  EXPECT_EQ(0, Fio_CloseWrite());
  u32 size = 0;
  u8* mem = Fio_TakeWriteMemory(&size);
  Bytes out(mem, mem + size);
  Heap_Free(mem);
  return out;
}

// Decodes coded bytes; the result code is that of the first failing read.
Bytes Decode(const Bytes& coded, size_t expect, int* code, bool byBlock) {
  // An exact-size heap copy, so the sanitizer sees any read past its end.
  u8* copy = (u8*)Heap_Alloc(u32(coded.size() ? coded.size() : 1));
  if (!coded.empty()) memcpy(copy, coded.data(), coded.size());
  EXPECT_EQ(0, Fio_OpenReadMemory(copy, u32(coded.size())));
  Fio_BeginReadRle();
  Bytes out;
  *code = 0;
  if (byBlock) {
    out.resize(expect + 16);
    u32 n = Fio_ReadBlock(out.data(), u32(out.size()));
    out.resize(n);
    u8 extra;
    *code = Fio_IsReadOpen() ? Fio_ReadByte(&extra) : 2;
  } else {
    for (;;) {
      u8 b;
      int r = Fio_ReadByte(&b);
      if (r) {
        *code = r;
        break;
      }
      out.push_back(b);
    }
  }
  if (Fio_IsReadOpen()) Fio_CloseRead();
  Heap_Free(copy);
  return out;
}

struct RleCase {
  const char* what;
  Bytes input;
  Bytes coded;  // empty: only the round trip is checked
};

const u8 X = 0x41, Y = 0x42;

std::vector<RleCase> RleCases() {
  std::vector<RleCase> c;
  c.push_back({"literal C5", {0xC5}, {0xC5, 0x00}});
  c.push_back({"literal B5", {0xB5}, {0xB5, 0x00, 0x00}});
  c.push_back({"C5 pairs are not escaped inside a group", {0xC5, 0xC5, 0xC5, 0xC5}, {0xC5, 0x01, 0xC5, 0xC5}});
  c.push_back({"shortest run: a pair twice", {X, Y, X, Y}, {0xC5, 0x01, X, Y}});
  c.push_back({"no repetition", {X, Y, X, 0x43}, {X, Y, X, 0x43}});
  c.push_back({"five equal bytes", {X, X, X, X, X}, {0xC5, 0x01, X, X, X}});
  c.push_back({"odd trailing byte of a run", {X, Y, X, Y, X}, {0xC5, 0x01, X, Y, X}});
  c.push_back({"odd trailing C5 after a run", {X, Y, X, Y, 0xC5}, {0xC5, 0x01, X, Y, 0xC5, 0x00}});
  c.push_back({"k = 255, short form", Repeat({X, Y}, 256), {0xC5, 0xFF, X, Y}});
  c.push_back({"k = 256, long form", Repeat({X, Y}, 257), {0xB5, 0x00, 0x01, X, Y}});
  c.push_back({"longest run", Repeat({X}, 131002), {0xB5, 0xDC, 0xFF, X, X}});
  c.push_back({"one byte more than the longest run", Repeat({X}, 131003), {0xB5, 0xDC, 0xFF, X, X, X}});
  c.push_back({"a longer run starts a second group", Repeat({X, Y}, 65501 + 300),
               {0xB5, 0xDC, 0xFF, X, Y, 0xB5, 0x2B, 0x01, X, Y}});
  c.push_back({"run of escaped bytes", Repeat({0xB5}, 6), {0xC5, 0x02, 0xB5, 0xB5}});
  c.push_back({"empty", {}, {}});
  return c;
}

}  // namespace

class FioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Fio_InitBuffers());
    folder = Test_MakeTempFolder();
  }
  void TearDown() override {
    if (Fio_IsReadOpen()) Fio_CloseRead();
    if (Fio_IsWriteOpen()) Fio_CancelWrite();
  }
  wstr folder;
};

TEST_F(FioTest, PairRleFormsAndRoundTrip) {
  for (const RleCase& c : RleCases()) {
    SCOPED_TRACE(c.what);
    Bytes coded = Encode(c.input, false);
    EXPECT_EQ(coded, Encode(c.input, true)) << "block coder differs from the byte coder";
    EXPECT_EQ(c.coded, coded);
    for (bool byBlock : {false, true}) {
      int code;
      EXPECT_EQ(c.input, Decode(coded, c.input.size(), &code, byBlock));
      EXPECT_EQ(1, code);
    }
  }
}

TEST_F(FioTest, PairRleRoundTripOfMixedData) {
  std::mt19937 rng(7);
  Bytes in;
  while (in.size() < 300000) {
    int kind = rng() % 4;
    size_t n = 1 + rng() % 700;
    u8 a = u8(rng()), b = u8(rng());
    if (rng() % 8 == 0) a = 0xC5;
    if (rng() % 8 == 0) b = 0xB5;
    for (size_t i = 0; i < n; ++i) {
      if (kind == 0) in.push_back(u8(rng()));
      else if (kind == 1) in.push_back(a);
      else in.push_back(i % 2 ? b : a);
    }
  }
  Bytes coded = Encode(in, false);
  EXPECT_EQ(coded, Encode(in, true));
  EXPECT_LT(coded.size(), in.size());
  for (bool byBlock : {false, true}) {
    int code;
    EXPECT_EQ(in, Decode(coded, in.size(), &code, byBlock));
  }
}

TEST_F(FioTest, PairRleDecoderAcceptsLongFormOfShortRun) {
  int code;
  EXPECT_EQ(Repeat({X, Y}, 6), Decode({0xB5, 0x05, 0x00, X, Y}, 12, &code, false));
  EXPECT_EQ(1, code);
}

TEST_F(FioTest, PairRleTruncatedStreamIsBadFile) {
  const std::vector<Bytes> cut = {
      {0xC5}, {0xC5, 0x03}, {0xC5, 0x03, X}, {0xB5}, {0xB5, 0x00}, {0xB5, 0x01}, {0xB5, 0x01, 0x01, X}, {X, Y, 0xB5, 0x00}};
  for (const Bytes& b : cut) {
    for (bool byBlock : {false, true}) {
      int code;
      Decode(b, 16, &code, byBlock);
      EXPECT_EQ(2, code) << "truncated group of " << b.size() << " bytes, block " << byBlock;
      EXPECT_FALSE(Fio_IsReadOpen());
    }
  }
}

TEST_F(FioTest, IntegersAreLittleEndianThroughFiles) {
  ASSERT_EQ(0, Fio_OpenWrite(u"ints.bin", 0, FOLDER_PROGRAM));
  EXPECT_EQ(0, Fio_WriteU16(0x1234));
  EXPECT_EQ(0, Fio_WriteU32(0xA1B2C3D4));
  ASSERT_EQ(0, Fio_CloseWrite());
  EXPECT_EQ((Bytes{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}), Test_ReadFile(folder + u"ints.bin"));
  ASSERT_EQ(0, Fio_OpenRead(u"ints.bin", 0, FOLDER_PROGRAM));
  u16 a;
  u32 b, c;
  EXPECT_EQ(0, Fio_ReadU16(&a));
  EXPECT_EQ(0, Fio_ReadU32(&b));
  EXPECT_EQ(1, Fio_ReadU32(&c));
  EXPECT_EQ(0x1234, a);
  EXPECT_EQ(0xA1B2C3D4u, b);
  EXPECT_EQ(0, Fio_CloseRead());
  EXPECT_EQ(3, Fio_CloseRead());
}

// Fields of 1, 2 and 4 bytes, little-endian, unsigned and sign-extended,
// through the plain readers and through fields that keep their code.
TEST_F(FioTest, FieldsOfEachWidthAndSign) {
  const struct {
    int bytes;
    Bytes data;
    u32 value;
    i32 signedValue;
  } cases[] = {
      {1, {0x7F}, 0x7Fu, 127},
      {1, {0xFE}, 0xFEu, -2},
      {2, {0x34, 0x12}, 0x1234u, 0x1234},
      {2, {0x34, 0x82}, 0x8234u, -32204},
      {4, {0x78, 0x56, 0x34, 0x12}, 0x12345678u, 0x12345678},
      {4, {0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFFu, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    Bytes twice = c.data;
    twice.insert(twice.end(), c.data.begin(), c.data.end());
    twice.insert(twice.end(), twice.begin(), twice.end());
    ASSERT_EQ(0, Fio_OpenReadMemory(twice.data(), u32(twice.size())));
    u32 value = 99;
    i32 signedValue = 99;
    EXPECT_EQ(0, Fio_ReadField(&value, c.bytes));
    EXPECT_EQ(c.value, value);
    EXPECT_EQ(0, Fio_ReadSignedField(&signedValue, c.bytes));
    EXPECT_EQ(c.signedValue, signedValue);
    FioFields in = {0};
    EXPECT_EQ(c.value, Fio_GetField(&in, c.bytes));
    EXPECT_EQ(c.signedValue, Fio_GetSignedField(&in, c.bytes));
    EXPECT_EQ(0, in.error);
    // The end of the data: the stream's code, and a value of 0.
    EXPECT_EQ(1, Fio_ReadField(&value, c.bytes));
    EXPECT_EQ(0u, value);
    Fio_CloseRead();

    ASSERT_EQ(0, Fio_OpenWriteMemory());
    FioFields out = {0};
    Fio_PutField(&out, c.value, c.bytes);
    Fio_PutField(&out, u32(c.signedValue), c.bytes);
    EXPECT_EQ(0, out.error);
    ASSERT_EQ(0, Fio_CloseWrite());
    u32 size = 0;
    u8* mem = Fio_TakeWriteMemory(&size);
    EXPECT_EQ(Bytes(twice.begin(), twice.begin() + 2 * c.bytes), Bytes(mem, mem + size));
    Heap_Free(mem);
  }
}

// Once fields hold a code, reads deliver 0 without reading and writes write
// nothing; the code is the first one.
TEST_F(FioTest, FieldsKeepTheFirstFailingCode) {
  const Bytes data = {1, 2, 3, 4, 5};
  ASSERT_EQ(0, Fio_OpenReadMemory(data.data(), u32(data.size())));
  FioFields in = {0};
  EXPECT_EQ(0x0201u, Fio_GetField(&in, 2));
  EXPECT_EQ(2, Fio_KeepCode(&in, 2));
  EXPECT_EQ(2, Fio_KeepCode(&in, 3));
  EXPECT_EQ(0u, Fio_GetField(&in, 1));
  EXPECT_EQ(0, Fio_GetSignedField(&in, 4));
  Fio_SkipBytes(&in, 2);
  EXPECT_EQ(2, in.error);
  u8 next = 0;
  EXPECT_EQ(0, Fio_ReadByte(&next));
  EXPECT_EQ(3, next) << "fields that hold a code read nothing";
  // A skip stops at the end of the data with the stream's code.
  FioFields rest = {0};
  Fio_SkipBytes(&rest, 5);
  EXPECT_EQ(1, rest.error);
  Fio_CloseRead();

  ASSERT_EQ(0, Fio_OpenWriteMemory());
  FioFields out = {0};
  Fio_PutField(&out, 0xAB, 1);
  EXPECT_EQ(0, Fio_KeepCode(&out, 0));
  EXPECT_EQ(2, Fio_KeepCode(&out, 2));
  Fio_PutField(&out, 0x12345678, 4);
  Fio_PutField(&out, 0xCD, 1);
  EXPECT_EQ(2, out.error);
  ASSERT_EQ(0, Fio_CloseWrite());
  u32 size = 0;
  u8* mem = Fio_TakeWriteMemory(&size);
  EXPECT_EQ(Bytes{0xAB}, Bytes(mem, mem + size));
  Heap_Free(mem);
}

// A failed write closes the stream: every later field writes nothing and the
// first code stays.
TEST_F(FioTest, FieldsOfAClosedStreamKeepItsCode) {
  FioFields out = {0};
  Fio_PutField(&out, 1, 4);
  EXPECT_EQ(3, out.error);
  ASSERT_EQ(0, Fio_OpenWriteMemory());
  Fio_PutField(&out, 2, 4);
  EXPECT_EQ(3, out.error);
  ASSERT_EQ(0, Fio_CloseWrite());
  u32 size = 0;
  u8* mem = Fio_TakeWriteMemory(&size);
  EXPECT_EQ(0u, size);
  if (mem) Heap_Free(mem);
}

TEST_F(FioTest, LargeFileCrossesBufferBoundaries) {
  Bytes in(FIO_BUFFER_SIZE * 3 + 77);
  for (size_t i = 0; i < in.size(); ++i) in[i] = u8(i * 31 + (i >> 9));
  ASSERT_EQ(0, Fio_OpenWrite(u"big.bin", 0, FOLDER_PROGRAM));
  Fio_BeginWriteRle();
  ASSERT_EQ(0, Fio_WriteBlock(in.data(), u32(in.size())));
  ASSERT_EQ(0, Fio_CloseWrite());
  ASSERT_EQ(0, Fio_OpenRead(u"big.bin", 0, FOLDER_PROGRAM));
  Fio_BeginReadRle();
  Bytes out(in.size());
  EXPECT_EQ(u32(in.size()), Fio_ReadBlock(out.data(), u32(out.size())));
  EXPECT_EQ(in, out);
  Fio_CloseRead();
}

TEST_F(FioTest, WriteKeepsOldFileUntilComplete) {
  Bytes old = {1, 2, 3, 4, 5};
  ASSERT_TRUE(Test_WriteFile(folder + u"keep.bin", old));

  // Cancelled: nothing of the new content arrives.
  ASSERT_EQ(0, Fio_OpenWrite(u"keep.bin", 0, FOLDER_PROGRAM));
  Bytes big(FIO_BUFFER_SIZE * 2 + 5, 9);
  ASSERT_EQ(0, Fio_WriteBlock(big.data(), u32(big.size())));
  EXPECT_EQ(old, Test_ReadFile(folder + u"keep.bin")) << "old file touched while writing";
  EXPECT_EQ(0, Fio_CancelWrite());
  EXPECT_EQ(old, Test_ReadFile(folder + u"keep.bin"));
  EXPECT_EQ(3, Fio_CloseWrite());

  // Completed: the new file replaces the old one and no temporary file stays.
  ASSERT_EQ(0, Fio_OpenWrite(u"keep.bin", 0, FOLDER_PROGRAM));
  ASSERT_EQ(0, Fio_WriteBlock(big.data(), u32(big.size())));
  ASSERT_EQ(0, Fio_CloseWrite());
  EXPECT_EQ(big, Test_ReadFile(folder + u"keep.bin"));
  EXPECT_EQ(std::vector<wstr>{u"keep.bin"}, FilesIn(folder));

  // A file that cannot be made leaves nothing behind.
  EXPECT_EQ(1, Fio_OpenWrite(u"missing\\x.bin", 0, FOLDER_PROGRAM));
  EXPECT_FALSE(Fio_IsWriteOpen());
}

TEST_F(FioTest, TemporaryFileBelongsToTheTargetAndTheProcess) {
  // The temporary file of another program saving into this folder under the
  // one name every program used to take.
  const Bytes theirs = {7, 7, 7};
  ASSERT_TRUE(Test_WriteFile(folder + u"~orbawr.tmp", theirs));
  char pid[16];
  snprintf(pid, sizeof pid, "%08x", unsigned(Os_GetProcessId()));

  std::vector<wstr> temps;
  for (const char16_t* target : {u"a.bin", u"b.bin"}) {
    ASSERT_EQ(0, Fio_OpenWrite(target, 0, FOLDER_PROGRAM));
    ASSERT_EQ(0, Fio_WriteU32(0x01020304));
    std::vector<wstr> names = FilesIn(folder);
    wstr temp;
    for (const wstr& n : names)
      if (n != u"~orbawr.tmp" && n.rfind(u"~orbawr", 0) == 0) temp = n;
    ASSERT_FALSE(temp.empty());
    EXPECT_NE(std::string::npos, U8(temp).find(pid)) << U8(temp);
    temps.push_back(temp);
    ASSERT_EQ(0, Fio_CloseWrite());
    EXPECT_EQ(Bytes({4, 3, 2, 1}), Test_ReadFile(folder + target));
  }
  EXPECT_NE(temps[0], temps[1]) << "two targets share a temporary name";
  EXPECT_EQ(theirs, Test_ReadFile(folder + u"~orbawr.tmp"));
  EXPECT_EQ((std::vector<wstr>{u"a.bin", u"b.bin", u"~orbawr.tmp"}), FilesIn(folder));
}

TEST_F(FioTest, CloseWriteTakesDownOnlyTheBoxItWasGiven) {
  struct Case {
    const char* what;
    int boxesBefore;  // open when the stream opens
    int boxesAfter;   // opened while it writes
    bool memory;
    int left;         // open after the close
  } cases[] = {
      {"the caller's progress box", 1, 0, false, 0},
      {"no box given", 0, 0, false, 0},
      {"no box given, someone's box opened since", 0, 1, false, 1},
      {"a box above the caller's", 1, 1, false, 2},
      {"two boxes, the top one the caller's", 2, 0, false, 1},
      {"a memory stream", 1, 0, true, 1},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < c.boxesBefore; ++i) Msg_InfoOpen(u"x", u"y", 0, 0);
    ASSERT_EQ(0, c.memory ? Fio_OpenWriteMemory() : Fio_OpenWrite(u"box.bin", 0, FOLDER_PROGRAM)) << c.what;
    for (int i = 0; i < c.boxesAfter; ++i) Msg_InfoOpen(u"x", u"y", 0, 0);
    EXPECT_EQ(0, Fio_WriteByte(1)) << c.what;
    EXPECT_EQ(0, Fio_CloseWrite()) << c.what;
    EXPECT_EQ(c.left, Msg_InfoDepth()) << c.what;
    while (Msg_InfoDepth() > 0) Msg_InfoClose();
    u32 n;
    Heap_Free(Fio_TakeWriteMemory(&n));
  }
}

TEST_F(FioTest, OpenRulesAndResults) {
  ASSERT_TRUE(Test_WriteFile(folder + u"a.txt", {'a', 'b'}));
  EXPECT_EQ(1, Fio_OpenRead(u"", 0, FOLDER_PROGRAM));
  EXPECT_EQ(1, Fio_OpenRead(u"nothere.txt", 0, FOLDER_PROGRAM));
  ASSERT_EQ(0, Fio_OpenRead(u"a.txt", 0, FOLDER_PROGRAM));
  EXPECT_EQ(3, Fio_OpenRead(u"a.txt", 0, FOLDER_PROGRAM));
  u8 b;
  EXPECT_EQ(0, Fio_ReadByte(&b));
  EXPECT_EQ('a', b);
  Fio_CloseRead();

  ASSERT_EQ(0, Fio_OpenWrite(u"w.txt", 0, FOLDER_PROGRAM));
  EXPECT_EQ(3, Fio_OpenWrite(u"w2.txt", 0, FOLDER_PROGRAM));
  Fio_CancelWrite();

  // Folder plus name reaching 260 characters is refused before the file system.
  wstr longName(OS_MAX_PATH - folder.size(), u'n');
  EXPECT_EQ(1, Fio_OpenRead(longName.c_str(), 0, FOLDER_PROGRAM));
  EXPECT_EQ(1, Fio_OpenWrite(longName.c_str(), 0, FOLDER_PROGRAM));
  EXPECT_EQ(1, Fio_GetFileSize(longName.c_str(), FOLDER_PROGRAM));
}

TEST_F(FioTest, TextByteOrderMarks) {
  // Flag 4 with FE FF reads big-endian; without a mark the open fails and closes.
  ASSERT_TRUE(Test_WriteFile(folder + u"be.txt", {0xFE, 0xFF, 0x00, 'A', 0x00, 0xE4}));
  ASSERT_EQ(0, Fio_OpenRead(u"be.txt", FIO_UTF16LE, FOLDER_PROGRAM));
  u32 c;
  EXPECT_EQ(0, Fio_ReadChar(&c));
  EXPECT_EQ(u32('A'), c);
  EXPECT_EQ(0, Fio_ReadChar(&c));
  EXPECT_EQ(0xE4u, c);
  EXPECT_EQ(1, Fio_ReadChar(&c));
  Fio_CloseRead();

  ASSERT_TRUE(Test_WriteFile(folder + u"nobom.txt", {'A', 0, 'B', 0}));
  EXPECT_EQ(2, Fio_OpenRead(u"nobom.txt", FIO_UTF16LE, FOLDER_PROGRAM));
  EXPECT_FALSE(Fio_IsReadOpen());

  // A mark inside a little-endian text keeps the order; a swapped one
  // switches to the order it shows. The line and paragraph separators
  // (U+2028, U+2029) and U+FFFF are skipped in either order, while U+2820,
  // the byte-swapped line separator, is a character like any other.
  ASSERT_TRUE(Test_WriteFile(folder + u"inner.txt",
                             {0xFF, 0xFE, 'A', 0,    0x28, 0x20, 0x29, 0x20, 0xFF, 0xFF, 0xFF, 0xFE, 'B', 0,
                              0x20, 0x28, 0xFE, 0xFF, 0,   'C',  0x20, 0x28, 0x20, 0x29, 0xFF, 0xFF, 0,   'D',
                              0x28, 0x20, 0,    'E'}));
  ASSERT_EQ(0, Fio_OpenRead(u"inner.txt", FIO_UTF16LE, FOLDER_PROGRAM));
  std::u16string got;
  while (Fio_ReadChar(&c) == 0) got += char16_t(c);
  Fio_CloseRead();
  EXPECT_EQ(u"AB\u2820CD\u2820E", got);
}

TEST_F(FioTest, SetReadEncodingMapsMarksAsOpenDoes) {
  ASSERT_TRUE(Test_WriteFile(folder + u"enc.txt", {'A', 0, 0, 'B'}));
  ASSERT_EQ(0, Fio_OpenRead(u"enc.txt", 0, FOLDER_PROGRAM));
  u32 c;
  Fio_SetReadEncoding(0xFEFF);  // FF FE read little-endian: little-endian text
  EXPECT_EQ(0, Fio_ReadChar(&c));
  EXPECT_EQ(u32('A'), c);
  Fio_SetReadEncoding(0xFFFE);  // FE FF: big-endian text
  EXPECT_EQ(0, Fio_ReadChar(&c));
  EXPECT_EQ(u32('B'), c);
  Fio_CloseRead();
}

TEST_F(FioTest, ReadTokenAndSkipToCtrlZ) {
  ASSERT_TRUE(Test_WriteFile(folder + u"tok.txt", {'h', 'e', 'a', 'd', 26, ' ', ' ', ' ', 'a', 'b', 'c', ' ', 'd',
                                                   'e', 'f', '\r', '\n', 'x', 'y'}));
  ASSERT_EQ(0, Fio_OpenRead(u"tok.txt", FIO_SKIP_TO_CTRLZ, FOLDER_PROGRAM));
  wch buf[32];
  EXPECT_EQ(0, Fio_ReadToken(buf, 32));
  EXPECT_EQ(wstr(u"abc def"), wstr(buf));
  EXPECT_EQ(0, Fio_ReadToken(buf, 32));
  EXPECT_EQ(wstr(u"xy"), wstr(buf));
  EXPECT_EQ(1, Fio_ReadToken(buf, 32));
  EXPECT_EQ(2, Fio_ReadToken(buf, 1));
  Fio_CloseRead();

  ASSERT_TRUE(Test_WriteFile(folder + u"noz.txt", {'a', 'b'}));
  EXPECT_EQ(2, Fio_OpenRead(u"noz.txt", FIO_SKIP_TO_CTRLZ, FOLDER_PROGRAM));
  EXPECT_FALSE(Fio_IsReadOpen());
}

TEST_F(FioTest, TextWritingModesAndLineEnds) {
  struct Case {
    int flags;
    Bytes expect;
  } cases[] = {
      {FIO_UTF16LE | FIO_WRITE_BOM, {0xFF, 0xFE, 'a', 0, 0xE9, 0, '\r', 0, '\n', 0, 'b', 0, '\r', 0, '\n', 0, 'c', 0}},
      {FIO_UTF16BE | FIO_WRITE_BOM, {0xFE, 0xFF, 0, 'a', 0, 0xE9, 0, '\r', 0, '\n', 0, 'b', 0, '\r', 0, '\n', 0, 'c'}},
      {FIO_ANSI | FIO_WRITE_BOM, {'a', 0xE9, '\r', '\n', 'b', '\r', '\n', 'c'}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, Fio_OpenWrite(u"t.txt", c.flags, FOLDER_PROGRAM));
    // CR LF and LF CR are one line end each.
    EXPECT_EQ(0, Fio_WriteString(u"a\u00e9\n\rb\r\nc"));
    ASSERT_EQ(0, Fio_CloseWrite());
    EXPECT_EQ(c.expect, Test_ReadFile(folder + u"t.txt")) << "flags " << c.flags;
  }
}

// A formatted line is written as text (line ends as the stream writes them)
// and cut at its longest length; a name of a binary record ends in a zero
// unit, as 2-byte fields whatever the text mode.
TEST_F(FioTest, FormattedLinesAndZeroEndedNames) {
  ASSERT_EQ(0, Fio_OpenWrite(u"t.txt", FIO_ANSI, FOLDER_PROGRAM));
  EXPECT_EQ(0, Fio_WriteFormat(u"%s %3u\n", u"ab", 7u));
  const wstr longText(FIO_FORMAT_MAX + 10, u'x');
  EXPECT_EQ(0, Fio_WriteFormat(u"%s", longText.c_str()));
  ASSERT_EQ(0, Fio_CloseWrite());
  const Bytes text = Test_ReadFile(folder + u"t.txt");
  EXPECT_EQ("ab   7\r\n" + std::string(FIO_FORMAT_MAX, 'x'), std::string(text.begin(), text.end()));

  ASSERT_EQ(0, Fio_OpenWrite(u"n.bin", FIO_ANSI, FOLDER_PROGRAM));
  EXPECT_EQ(0, Fio_WriteZeroEnded(u"A\u00e9"));
  EXPECT_EQ(0, Fio_WriteZeroEnded(u""));
  ASSERT_EQ(0, Fio_CloseWrite());
  EXPECT_EQ((Bytes{'A', 0, 0xE9, 0, 0, 0, 0, 0}), Test_ReadFile(folder + u"n.bin"));
}

TEST_F(FioTest, SeekReadMovesFromTheLogicalPosition) {
  Bytes in(FIO_BUFFER_SIZE + 100);
  for (size_t i = 0; i < in.size(); ++i) in[i] = u8(i);
  ASSERT_TRUE(Test_WriteFile(folder + u"seek.bin", in));
  ASSERT_EQ(0, Fio_OpenRead(u"seek.bin", 0, FOLDER_PROGRAM));
  u8 b;
  Fio_ReadByte(&b);
  Fio_ReadByte(&b);
  EXPECT_EQ(0, Fio_SeekRead(FIO_BUFFER_SIZE));
  EXPECT_EQ(0, Fio_ReadByte(&b));
  EXPECT_EQ(in[FIO_BUFFER_SIZE + 2], b);
  EXPECT_EQ(0, Fio_SeekRead(-3));
  EXPECT_EQ(0, Fio_ReadByte(&b));
  EXPECT_EQ(in[FIO_BUFFER_SIZE], b);
  Fio_CloseRead();
  EXPECT_EQ(3, Fio_SeekRead(1));
}

TEST_F(FioTest, PathsAndExtensions) {
  wch buf[OS_MAX_PATH];
  EXPECT_EQ(1, Fio_FolderPath(29, buf, OS_MAX_PATH));
  EXPECT_EQ(1, Fio_FolderPath(7, buf, OS_MAX_PATH));
  EXPECT_EQ(0, Fio_FolderPath(FOLDER_FULLPATH, buf, OS_MAX_PATH));
  EXPECT_EQ(0, buf[0]);
  EXPECT_EQ(0, Fio_FolderPath(FOLDER_ZOOM4G, buf, OS_MAX_PATH));
  EXPECT_EQ(folder + u"zoom4g\\", wstr(buf));
  EXPECT_EQ(2, Fio_FolderPath(FOLDER_ZOOM4G, buf, int(folder.size()) + 3));

  struct {
    const char16_t* in;
    const char16_t* stripped;
    const char16_t* added;
    const char16_t* ext;
  } cases[] = {
      {u"c:\\a.b\\name", u"c:\\a.b\\name", u"c:\\a.b\\name.nt3", u""},
      {u"c:\\dir\\file.nt3", u"c:\\dir\\file", u"c:\\dir\\file.nt3", u"nt3"},
      {u".hidden", u".hidden", u".hidden", u"hidden"},
      {u"x.tar.gz", u"x.tar", u"x.tar.gz", u"gz"},
  };
  for (auto& c : cases) {
    wstr s = c.in;
    wch p[OS_MAX_PATH];
    memcpy(p, s.c_str(), (s.size() + 1) * 2);
    Fio_StripExtension(p);
    EXPECT_EQ(wstr(c.stripped), wstr(p));
    memcpy(p, s.c_str(), (s.size() + 1) * 2);
    Fio_AddExtension(p, u"nt3");
    EXPECT_EQ(wstr(c.added), wstr(p));
    wch e[OS_MAX_PATH];
    EXPECT_EQ(wstr(c.ext).empty() ? 1 : 0, Fio_GetExtension(c.in, e));
    EXPECT_EQ(wstr(c.ext), wstr(e));
  }
}

TEST_F(FioTest, WholeFileOperations) {
  ASSERT_TRUE(Test_WriteFile(folder + u"f.bin", {1, 2, 3}));
  EXPECT_EQ(1, Fio_FileExists(u"f.bin", FOLDER_PROGRAM));
  EXPECT_EQ(0, Fio_FileExists(u"g.bin", FOLDER_PROGRAM));
  EXPECT_EQ(3, Fio_GetFileSize(u"f.bin", FOLDER_PROGRAM));
  EXPECT_EQ(-1, Fio_GetFileSize(u"g.bin", FOLDER_PROGRAM));

  EXPECT_EQ(0, Fio_SetFileTime(u"f.bin", FOLDER_PROGRAM, 2024, 31, 45, 13, 9, 5));
  int y, s, mi, h, d, mo;
  EXPECT_EQ(0, Fio_GetFileTime(u"f.bin", FOLDER_PROGRAM, &y, &s, &mi, &h, &d, &mo));
  EXPECT_EQ(2024, y);
  EXPECT_EQ(5, mo);
  EXPECT_EQ(9, d);
  EXPECT_EQ(13, h);
  EXPECT_EQ(45, mi);
  EXPECT_EQ(30, s);

  EXPECT_EQ(0, Fio_CopyFile((folder + u"f.bin").c_str(), (folder + u"c.bin").c_str()));
  EXPECT_EQ((Bytes{1, 2, 3}), Test_ReadFile(folder + u"c.bin"));
  EXPECT_EQ(1, Fio_CopyFile((folder + u"none.bin").c_str(), (folder + u"d.bin").c_str()));
  EXPECT_EQ(2, Fio_RenameFile(u"none.bin", u"e.bin", FOLDER_PROGRAM));
  EXPECT_EQ(0, Fio_RenameFile(u"c.bin", u"e.bin", FOLDER_PROGRAM));
  EXPECT_EQ(1, Fio_RenameFile(u"e.bin", u"f.bin", FOLDER_PROGRAM)) << "rename over an existing file";
  EXPECT_EQ(0, Fio_DeleteFile(u"e.bin", FOLDER_PROGRAM));
  EXPECT_EQ(1, Fio_DeleteFile(u"e.bin", FOLDER_PROGRAM));
}

TEST_F(FioTest, ConvertToAnsi) {
  ASSERT_TRUE(Test_WriteFile(folder + u"bom.txt", {0xFF, 0xFE}));
  EXPECT_EQ(1, Fio_ConvertToAnsi(u"bom.txt", FOLDER_PROGRAM));
  EXPECT_EQ((Bytes{0xFF, 0xFE}), Test_ReadFile(folder + u"bom.txt"));

  ASSERT_TRUE(Test_WriteFile(folder + u"u.txt", {0xFF, 0xFE, 'K', 0, '=', 0, 0xFC, 0, '\r', 0, '\n', 0}));
  EXPECT_EQ(1, Fio_IsUtf16File(u"u.txt", FOLDER_PROGRAM));
  EXPECT_EQ(0, Fio_ConvertToAnsi(u"u.txt", FOLDER_PROGRAM));
  EXPECT_EQ((Bytes{'K', '=', 0xFC, '\r', '\n'}), Test_ReadFile(folder + u"u.txt"));
  EXPECT_EQ(0, Fio_IsUtf16File(u"u.txt", FOLDER_PROGRAM));
}

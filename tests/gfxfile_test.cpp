// The graphics file formats: every reader takes back what the writers write,
// and refuses each damaged form with its numbered result.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/str.h"
#include "render/gfxfile.h"
#include "tests/gfx_fixture.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

// Runs a writer into a memory stream and gives the bytes.
Bytes WriteToMemory(const std::function<int()>& writer, int* result = nullptr) {
  EXPECT_EQ(0, Fio_OpenWriteMemory());
  int r = writer();
  if (result) *result = r;
  Fio_CloseWrite();
  u32 n = 0;
  u8* m = Fio_TakeWriteMemory(&n);
  Bytes b(m, m + n);
  Heap_Free(m);
  return b;
}

// Runs a reader over bytes in a memory stream (closed afterwards).
int ReadFromMemory(const Bytes& b, const std::function<int()>& reader) {
  EXPECT_EQ(0, Fio_OpenReadMemory(b.data(), u32(b.size())));
  int r = reader();
  if (Fio_IsReadOpen()) Fio_CloseRead();
  return r;
}

void Put32(Bytes& b, u32 v) {
  for (int i = 0; i < 4; ++i) b.push_back(u8(v >> (8 * i)));
}

class GfxFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Fio_InitBuffers(); }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    Gfx_ResetRleWriter();
  }
  wstr folder;
  GfxFixture fx;
};

// ---------------------------------------------------------------- pixel stream

TEST_F(GfxFileTest, RunWordsYieldTheirCounts) {
  struct Case {
    std::vector<u32> words;
    u32 pixels;      // how many pixels the words give
    u32 firstValue;  // the value of the first pixel
  } cases[] = {
      {{0xC0000000u, 0x123456}, 2, 0x123456},       // run words count from 2
      {{0xC00000FFu, 0x00ABCDEF}, 257, 0x00ABCDEF},  // and reach 257
      {{0xC0010005u}, 7, GFX_TRANSPARENT},           // transparent: no value word
      {{0x80000001u}, 1, GFX_TRANSPARENT},
      {{0x00FF00FFu}, 1, 0x00FF00FF},
  };
  for (const Case& c : cases) {
    Bytes b;
    for (u32 w : c.words) Put32(b, w);
    Put32(b, 0x00777777);  // the word after the run
    ReadFromMemory(b, [&] {
      Gfx_ReadRleU32(nullptr);
      u32 p;
      for (u32 i = 0; i < c.pixels; ++i) {
        EXPECT_EQ(0, Gfx_ReadRleU32(&p));
        EXPECT_EQ(c.firstValue, p) << "pixel " << i;
      }
      EXPECT_EQ(0, Gfx_ReadRleU32(&p));
      EXPECT_EQ(0x00777777u, p) << "the run took the wrong number of words";
      EXPECT_EQ(2, Gfx_ReadRleU32(&p)) << "end of data inside a picture is a read error";
      return 0;
    });
  }
}

// The block reader: a run goes on into the next block, a plain word after it
// is read, and data that ends inside a run word or before the pixels are
// all there is a read error.
TEST_F(GfxFileTest, BlockReaderCarriesRunsAcrossBlocks) {
  Bytes b;
  for (u32 w : {0xC0000003u, 7u, 0xC0010000u, 9u}) Put32(b, w);
  ReadFromMemory(b, [&] {
    Gfx_ReadRleU32(nullptr);
    std::vector<u32> first(3), second(5), third(1);
    EXPECT_EQ(0, Gfx_ReadRleBlock(first.data(), 3));
    EXPECT_EQ(0, Gfx_ReadRleBlock(second.data(), 5));
    EXPECT_EQ((std::vector<u32>{7, 7, 7}), first);
    EXPECT_EQ((std::vector<u32>{7, 7, GFX_TRANSPARENT, GFX_TRANSPARENT, 9}), second);
    EXPECT_EQ(2, Gfx_ReadRleBlock(third.data(), 1));
    return 0;
  });
  for (const std::vector<u32>& cut : {std::vector<u32>{0xC0000004u}, std::vector<u32>{1u, 2u}}) {
    Bytes c;
    for (u32 w : cut) Put32(c, w);
    c.push_back(0x11);  // a word cut short
    ReadFromMemory(c, [&] {
      Gfx_ReadRleU32(nullptr);
      std::vector<u32> out(8);
      EXPECT_EQ(2, Gfx_ReadRleBlock(out.data(), 8)) << cut.size() << " words";
      return 0;
    });
  }
}

TEST_F(GfxFileTest, WriterCodesRunsByTheRule) {
  struct Case {
    std::vector<u32> pixels;
    std::vector<u32> words;
  } cases[] = {
      {{5}, {5}},
      {{5, 5}, {0xC0000000u, 5}},
      {{5, 5, 5, 6}, {0xC0000001u, 5, 6}},
      {{GFX_TRANSPARENT}, {GFX_TRANSPARENT}},
      {{GFX_TRANSPARENT, GFX_TRANSPARENT, GFX_TRANSPARENT}, {0xC0010001u}},
      {std::vector<u32>(257, 9), {0xC00000FFu, 9}},
      {std::vector<u32>(258, 9), {0xC00000FFu, 9, 9}},
      {std::vector<u32>(259, GFX_TRANSPARENT), {0xC00100FFu, 0xC0010000u}},
  };
  for (const Case& c : cases) {
    Bytes b = WriteToMemory([&] { return Gfx_WriteRleBlock(c.pixels.data(), u32(c.pixels.size())); });
    Bytes want;
    for (u32 w : c.words) Put32(want, w);
    EXPECT_EQ(want, b) << "pixels " << c.pixels.size();
    std::vector<u32> back(c.pixels.size());
    ReadFromMemory(b, [&] {
      Gfx_ReadRleU32(nullptr);
      return Gfx_ReadRleBlock(back.data(), u32(back.size()));
    });
    EXPECT_EQ(c.pixels, back);
  }
  u32 bad = 0xC0123456u;
  int r = 0;
  WriteToMemory([&] { return Gfx_WriteRleBlock(&bad, 1); }, &r);
  EXPECT_EQ(GFXW_BAD_INPUT, r) << "a pixel that reads as a run word cannot be stored";
}

// ---------------------------------------------------------------- base file

TEST_F(GfxFileTest, BaseFileRoundTripsAndMapsEightBitBytes) {
  GfxBaseFile* f = new GfxBaseFile;
  GfxFixture::BaseFile(f);
  f->pixels[0][0][0] = 7;  // 8-bit block: 7 -> 34
  f->pixels[0][0][1] = 8;  // 8 -> 0
  f->pixels[0][0][2] = 1;  // 1 -> 144
  Bytes b = WriteToMemory([&] { return GfxFile_WriteBase(f); });
  // The first block from the first byte: no header text.
  ASSERT_EQ(0xFF, b[0]);
  ASSERT_EQ(0xFF, b[1]);
  std::vector<u8> out(GFX_BASE_PICTURES * 16 * 8);
  u8(*codes)[16][8] = (u8(*)[16][8])out.data();
  ASSERT_EQ(0, ReadFromMemory(b, [&] { return GfxFile_ReadBase(codes); }));
  EXPECT_EQ(34, codes[0][0][0]);
  EXPECT_EQ(0, codes[0][0][1]);
  EXPECT_EQ(144, codes[0][0][2]);
  for (int n = GFX_BASE_PER_BLOCK; n < GFX_BASE_PICTURES; ++n)
    for (int row = 0; row < 16; ++row)
      for (int col = 0; col < 8; ++col)
        ASSERT_EQ(f->pixels[n][row][col], codes[n][row][col]) << n << " " << row << " " << col;
  // Damaged forms: every one gives 2.
  struct Damage {
    const char* what;
    std::function<void(Bytes&)> apply;
  } damages[] = {
      {"count other than 144", [](Bytes& d) { d[2] = 143; }},
      {"reserved not 0", [](Bytes& d) { d[4] = 1; }},
      {"cut short", [](Bytes& d) { d.resize(d.size() - 1); }},
      {"planar block count", [](Bytes& d) { d[6 + 144 * 128] = 0x91; }},
  };
  for (const Damage& dm : damages) {
    Bytes d = b;
    dm.apply(d);
    EXPECT_EQ(2, ReadFromMemory(d, [&] { return GfxFile_ReadBase(codes); })) << dm.what;
  }
  // One picture decoded on its own into a wider target: the rows land a
  // stride apart, the mode names the block's form.
  {
    std::vector<u8> wide(16 * 20, 0xEE);
    Bytes one(b.begin() + 6, b.begin() + 6 + 16 * 8);  // the first 8-bit picture
    ASSERT_EQ(0, ReadFromMemory(one, [&] { return Gfx_DecodeBasePicture(wide.data(), 20, GFX_BASE_8BIT); }));
    EXPECT_EQ(34, wide[0]);
    EXPECT_EQ(144, wide[2]);
    EXPECT_EQ(0xEE, wide[8]) << "nothing beyond the picture's eight columns";
    EXPECT_EQ(codes[0][1][0], wide[20]);
    one.resize(one.size() - 1);
    EXPECT_EQ(2, ReadFromMemory(one, [&] { return Gfx_DecodeBasePicture(wide.data(), 20, GFX_BASE_8BIT); }));
  }
  f->eightBit[1] = 0;
  f->pixels[200][0][0] = 16;
  int r = 0;
  WriteToMemory([&] { return GfxFile_WriteBase(f); }, &r);
  EXPECT_EQ(GFXW_BAD_INPUT, r) << "a planar pixel holds 0..15 or the mask";
  delete f;
}

// ---------------------------------------------------------------- element records

TEST_F(GfxFileTest, ElementRecordRoundTrips) {
  for (int form : {GFX_NAME_NONE, GFX_NAME_ANSI, GFX_NAME_UTF16LE, GFX_NAME_UTF16BE}) {
    GfxElementRecord rec = fx.Record(2, 9, 40, 30, 3);
    rec.nameForm = u8(form);
    rec.pictures[1].x = -64;
    rec.pictures[1].y = 191 - 30;
    rec.pictures[2].layer = 5;
    rec.flags |= 0x200;
    rec.lastWord = 77;
    Bytes b = WriteToMemory([&] { return GfxFile_WriteElementRecord(&rec); });
    EXPECT_EQ(0, memcmp(b.data(), "GZG2\x03\x84\x00\x03", 8)) << "magic, digit, version high byte first";
    GfxElementRecord back;
    ASSERT_EQ(0, ReadFromMemory(b, [&] { return GfxFile_ReadElementRecord(2, &back); })) << form;
    EXPECT_EQ(rec.flags & ~0x200u, back.flags) << "bit 9 is cleared on loading";
    EXPECT_EQ(4, GfxFile_ScaledOffset(&back, 0)) << "offsets are stored divided by the zoom";
    EXPECT_EQ(-2, GfxFile_ScaledOffset(&back, 1));
    EXPECT_EQ(rec.placeKind, back.placeKind);
    EXPECT_EQ(0, memcmp(rec.box, back.box, sizeof rec.box));
    EXPECT_EQ(rec.placeValue, back.placeValue);
    EXPECT_EQ(rec.kept[1], back.kept[1]);
    EXPECT_EQ(form == GFX_NAME_NONE ? wstr() : wstr(u"Test"), wstr(back.name));
    EXPECT_EQ(form, back.nameForm);
    ASSERT_EQ(3, back.count);
    for (int i = 0; i < 3; ++i) {
      const GfxPicture &a = rec.pictures[i], &c = back.pictures[i];
      EXPECT_EQ(a.layer, c.layer);
      EXPECT_EQ(a.x, c.x);
      EXPECT_EQ(a.y, c.y);
      ASSERT_EQ(a.width, c.width);
      ASSERT_EQ(a.height, c.height);
      EXPECT_EQ(0, memcmp(a.pixels, c.pixels, 4u * a.width * a.height)) << "rows come back top row first";
    }
    GfxFile_FreeElementRecord(&back);
  }
}

TEST_F(GfxFileTest, LargestPictureCrossesStreamBuffers) {
  // 256 x 384 at zoom 4, runs and single pixels mixed: the words straddle the
  // stream's 16 KB buffers at every offset.
  GfxElementRecord rec = fx.Record(4, 0, 256, 384, 2);
  rec.pictures[0].x = -128;
  rec.pictures[0].y = -64;
  u32* px = rec.pictures[1].pixels;
  for (u32 i = 0; i < 256u * 384u; ++i) px[i] = (i % 5 == 0) ? GFX_TRANSPARENT : (i * 2654435761u) & 0xFFFFFF;
  ASSERT_EQ(0, GfxFile_SaveSingleElement(u"big.gz4", FOLDER_PROGRAM, "big\r\n", &rec));
  GfxElementRecord back;
  ASSERT_EQ(0, Gfx_ReadSingleElementFile(u"big.gz4", FOLDER_PROGRAM, 4, &back));
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(0, memcmp(rec.pictures[i].pixels, back.pictures[i].pixels, 256u * 384u * 4)) << i;
  GfxFile_FreeElementRecord(&back);
}

TEST_F(GfxFileTest, FileHoldsTheBottomRowFirst) {
  GfxElementRecord rec = fx.Record(1, 0, 2, 2);
  u32 px[4] = {1, 2, 3, 4};  // top row 1 2, bottom row 3 4
  rec.pictures[0].pixels = px;
  rec.flags = 2;
  rec.nameForm = GFX_NAME_NONE;
  Bytes b = WriteToMemory([&] { return GfxFile_WriteElementRecord(&rec); });
  // magic 4, version 4, flags 4, offsets 12, count 2, name 1, five i16 -> 37
  ASSERT_EQ(37u + 16, b.size());
  Bytes want;
  for (u32 v : {3u, 4u, 1u, 2u}) Put32(want, v);
  EXPECT_EQ(want, Bytes(b.begin() + 37, b.end()));
}

TEST_F(GfxFileTest, DamagedElementRecordsGiveTheirNumbers) {
  struct Case {
    const char* what;
    std::function<void(GfxElementRecord&)> change;  // written as given
    std::function<void(Bytes&)> patch;              // or patched afterwards
    int zoom;
    int result;
  } cases[] = {
      {"x = 64z - 1 with width 1 loads", [](GfxElementRecord& r) { r.pictures[0].x = 127, r.pictures[0].width = 1; }, nullptr, 2, 0},
      {"width 2 there", [](GfxElementRecord& r) { r.pictures[0].x = 127, r.pictures[0].width = 2; }, nullptr, 2, GFXR_BAD_WIDTH},
      {"x below -32z", [](GfxElementRecord& r) { r.pictures[0].x = -65; }, nullptr, 2, GFXR_BAD_X},
      {"y below -16z", [](GfxElementRecord& r) { r.pictures[0].y = -33; }, nullptr, 2, GFXR_BAD_Y},
      {"y at 96z", [](GfxElementRecord& r) { r.pictures[0].y = 192; }, nullptr, 2, GFXR_BAD_Y},
      {"height beyond 96z", [](GfxElementRecord& r) { r.pictures[0].y = 180, r.pictures[0].height = 13; }, nullptr, 2, GFXR_BAD_HEIGHT},
      {"width 0", [](GfxElementRecord& r) { r.pictures[0].width = 0; }, nullptr, 2, GFXR_BAD_WIDTH},
      {"height 0", [](GfxElementRecord& r) { r.pictures[0].height = 0; }, nullptr, 2, GFXR_BAD_HEIGHT},
      {"layer 0", [](GfxElementRecord& r) { r.pictures[0].layer = 0; }, nullptr, 2, GFXR_BAD_LAYER},
      {"layer 6", [](GfxElementRecord& r) { r.pictures[0].layer = 6; }, nullptr, 2, GFXR_BAD_LAYER},
      {"picture count 0", [](GfxElementRecord& r) { r.count = 0; }, nullptr, 2, GFXR_BAD_COUNT},
      {"flags without bit 1", [](GfxElementRecord& r) { r.flags = 4; }, nullptr, 2, GFXR_NO_FLAG_BIT1},
      {"version half 1", [](GfxElementRecord& r) { r.versionHalf = 1; }, nullptr, 2, GFXR_VERSION_HALF},
      {"version half 2", [](GfxElementRecord& r) { r.versionHalf = 2; }, nullptr, 2, GFXR_VERSION_HALF},
      {"version half 4", [](GfxElementRecord& r) { r.versionHalf = 4; }, nullptr, 2, GFXR_VERSION_HALF_HIGH},
      {"zoom digit", nullptr, nullptr, 4, GFXR_BAD_MAGIC},
      {"magic", nullptr, [](Bytes& b) { b[1] = 'X'; }, 2, GFXR_BAD_MAGIC},
      {"version first byte 0", nullptr, [](Bytes& b) { b[4] = 0; }, 2, GFXR_VERSION_ZERO},
      {"version 899", nullptr, [](Bytes& b) { b[5] = 0x83; }, 2, GFXR_VERSION_LOW},
      {"version 901", nullptr, [](Bytes& b) { b[5] = 0x85; }, 2, GFXR_VERSION_HIGH},
      {"placement not opened by 1", nullptr, [](Bytes& b) { b[24] = 2; }, 2, GFXR_BAD_PLACEMENT},
      {"picture count 4", nullptr, [](Bytes& b) { b[64] = 4; }, 2, GFXR_BAD_COUNT},
      {"cut in the pixels", nullptr, [](Bytes& b) { b.resize(b.size() - 2); }, 2, GFXR_READ_ERROR},
  };
  for (const Case& c : cases) {
    GfxElementRecord rec = fx.Record(2, 1, 8, 4);
    if (c.change) c.change(rec);
    for (GfxPicture& p : rec.pictures)
      if (p.width > 0 && p.height > 0) p.pixels = fx.Pixels(u32(p.width) * u32(p.height), 1);
    Bytes b = WriteToMemory([&] { return GfxFile_WriteElementRecord(&rec); });
    if (c.patch) c.patch(b);
    GfxElementRecord back;
    int r = ReadFromMemory(b, [&] { return GfxFile_ReadElementRecord(c.zoom, &back); });
    EXPECT_EQ(c.result, r) << c.what;
    if (r == 0) GfxFile_FreeElementRecord(&back);
    for (const GfxPicture& p : back.pictures) EXPECT_EQ(nullptr, p.pixels) << c.what << ": nothing kept";
  }
}

TEST_F(GfxFileTest, NamesUpToEightyUnits) {
  for (int form : {GFX_NAME_UTF16LE, GFX_NAME_ANSI}) {
    GfxElementRecord rec = fx.Record(1, 1, 4, 4);
    rec.flags = 2;
    rec.nameForm = u8(form);
    for (int i = 0; i < 80; ++i) rec.name[i] = u'a';
    rec.name[80] = 0;
    Bytes b = WriteToMemory([&] { return GfxFile_WriteElementRecord(&rec); });
    GfxElementRecord back;
    ASSERT_EQ(0, ReadFromMemory(b, [&] { return GfxFile_ReadElementRecord(1, &back); })) << form;
    EXPECT_EQ(80, Str_Len(back.name));
    GfxFile_FreeElementRecord(&back);
    // An 81st unit in place of the end.
    const size_t nameAt = 26, unit = form == GFX_NAME_ANSI ? 1 : 2, skip = form == GFX_NAME_ANSI ? 0 : 2;
    b[nameAt + skip + 80 * unit] = 'b';
    EXPECT_EQ(GFXR_NAME_TOO_LONG, ReadFromMemory(b, [&] { return GfxFile_ReadElementRecord(1, &back); })) << form;
  }
}

// ---------------------------------------------------------------- combined files

TEST_F(GfxFileTest, CombinedFileFindsEveryRecordAndStopsAtGreaterCodes) {
  std::vector<GfxElementRecord> recs = {fx.Record(1, 1, 8, 8), fx.Record(1, 2, 8, 8), fx.Record(1, 3, 8, 8)};
  GfxCombinedEntry e[3] = {{100, 0, 0, 0, "a", &recs[0]}, {100, 3, 1, 0, "b", &recs[1]}, {200, 0, 0, 2, nullptr, &recs[2]}};
  ASSERT_EQ(0, GfxFile_SaveCombined(u"t.fx1", FOLDER_PROGRAM, "header\r\n", "GZX", 1, e, 3));
  GfxCombinedFile f;
  ASSERT_EQ(0, GfxFile_LoadCombined(u"t.fx1", FOLDER_PROGRAM, "GZX", 1, &f));
  EXPECT_EQ(3u, f.indexCount);
  for (const GfxCombinedEntry& k : e) {
    GfxElementRecord back;
    ASSERT_EQ(0, GfxFile_ReadCombined(&f, k.code, k.state, k.subPicture, k.variant, &back)) << k.code;
    EXPECT_EQ(0, memcmp(k.record->pictures[0].pixels, back.pictures[0].pixels, 8 * 8 * 4));
    GfxFile_FreeElementRecord(&back);
  }
  GfxElementRecord back;
  EXPECT_EQ(GFXR_NOT_PRESENT, GfxFile_ReadCombined(&f, 150, 0, 0, 0, &back));
  EXPECT_EQ(GFXR_NOT_PRESENT, GfxFile_ReadCombined(&f, 100, 1, 0, 0, &back));
  GfxFile_FreeCombined(&f);
  // Wrong kind or zoom: the file is not used.
  EXPECT_EQ(4, GfxFile_LoadCombined(u"t.fx1", FOLDER_PROGRAM, "UZX", 1, &f));
  EXPECT_EQ(4, GfxFile_LoadCombined(u"t.fx1", FOLDER_PROGRAM, "GZX", 2, &f));
  EXPECT_EQ(3, GfxFile_LoadCombined(u"none.fx1", FOLDER_PROGRAM, "GZX", 1, &f));
  EXPECT_EQ(nullptr, f.data);
}

TEST_F(GfxFileTest, DamagedCombinedFilesAreCheckedBeforeUse) {
  GfxElementRecord rec = fx.Record(1, 1, 4, 4);
  GfxCombinedEntry e = {100, 0, 0, 0, "x", &rec};
  Bytes b = WriteToMemory([&] { return GfxFile_WriteCombined(nullptr, "GZX", 1, &e, 1); });
  ASSERT_EQ(0x1A, b[0]);
  Bytes data(b.begin() + 1, b.end());  // from the magic on
  GfxCombinedFile f;
  GfxElementRecord back;
  struct Case {
    const char* what;
    std::function<void(Bytes&)> patch;
    int open, read;
  } cases[] = {
      {"intact", [](Bytes&) {}, 0, 0},
      {"index without its end", [](Bytes& d) { d.resize(4 + 24 + 10); }, 2, 0},
      {"offset past the data", [](Bytes& d) { d[4 + 20] = 0xFF, d[4 + 23] = 0x7F; }, 0, GFXR_READ_ERROR},
      {"key at the offset differs", [](Bytes& d) { d[4 + 48] = 99; }, 0, GFXR_READ_ERROR},
      {"label without its end", [](Bytes& d) { d.resize(4 + 48 + 28 + 1); }, 0, GFXR_READ_ERROR},
      {"record cut", [](Bytes& d) { d.resize(d.size() - 3); }, 0, GFXR_READ_ERROR},
  };
  for (const Case& c : cases) {
    Bytes d = data;
    c.patch(d);
    int r = GfxFile_OpenCombinedMemory(d.data(), u32(d.size()), "GZX", 1, &f);
    EXPECT_EQ(c.open, r) << c.what;
    if (r) continue;
    int rr = GfxFile_ReadCombined(&f, 100, 0, 0, 0, &back);
    EXPECT_EQ(c.read, rr) << c.what;
    if (!rr) GfxFile_FreeElementRecord(&back);
    EXPECT_FALSE(Fio_IsReadOpen()) << c.what;
    GfxFile_FreeCombined(&f);
  }
}

TEST_F(GfxFileTest, SingleElementFileKeepsAnOldFileWhenRefused) {
  GfxElementRecord rec = fx.Record(4, 1, 16, 16);
  ASSERT_EQ(0, GfxFile_SaveSingleElement(u"s128-000.gz4", FOLDER_PROGRAM, "Title\r\n", &rec));
  Bytes before = Test_ReadFile(folder + u"s128-000.gz4");
  rec.count = 4;
  EXPECT_EQ(GFXW_BAD_INPUT, GfxFile_SaveSingleElement(u"s128-000.gz4", FOLDER_PROGRAM, "Title\r\n", &rec));
  EXPECT_EQ(before, Test_ReadFile(folder + u"s128-000.gz4"));
  GfxElementRecord back;
  EXPECT_EQ(0, Gfx_ReadSingleElementFile(u"s128-000.gz4", FOLDER_PROGRAM, 4, &back));
  GfxFile_FreeElementRecord(&back);
  EXPECT_EQ(GFXR_BAD_MAGIC, Gfx_ReadSingleElementFile(u"s128-000.gz4", FOLDER_PROGRAM, 1, &back));
  EXPECT_EQ(GFXR_NOT_PRESENT, Gfx_ReadSingleElementFile(u"missing.gz4", FOLDER_PROGRAM, 4, &back));
  EXPECT_FALSE(Fio_IsReadOpen());
}

// ---------------------------------------------------------------- vehicle file

TEST_F(GfxFileTest, VehicleFileRoundTripsStandardAndUserSets) {
  for (u16 version : {GFX_FZG_V3830, GFX_FZG_V3840, GFX_FZG_V3850, GFX_FZG_V3853}) {
    for (int user : {0, 1}) {
      GfxVehicleSet sets[2] = {fx.VehicleSet(3), fx.VehicleSet(7)};
      std::u16string texts = u"Set";
      for (int i = 0; i < 10; ++i) texts += std::u16string(1, u'\0') + u"t";
      texts += u'\0';
      sets[1].textLength = u32(texts.size());
      sets[1].texts = (wch*)texts.data();
      sets[1].vehicles[1].flags |= GFX_VF_DOUBLE | GFX_VF_EXTRA_1 | GFX_VF_EXTRA_VIEWS;
      GfxVehicle& v = sets[1].vehicles[1];
      v.pixelCount = GfxFile_VehiclePixelCount(v.length, v.a, v.b, v.c, v.flags);
      v.pixels = fx.Pixels(v.pixelCount, 1);
      if (user) sets[0] = sets[1], sets[0].number = 3;
      Bytes b = WriteToMemory([&] { return GfxFile_WriteVehicleFile(sets, 2, user, version); });
      GfxVehicleSet back;
      ASSERT_EQ(0, GfxFile_ReadVehicleSetMemory(b.data(), u32(b.size()), 7, user, &back)) << version;
      EXPECT_EQ(2u, back.count);
      EXPECT_EQ(sets[1].flags, back.flags);
      if (user) {
        ASSERT_EQ(texts.size(), back.textLength);
        EXPECT_EQ(0, memcmp(texts.data(), back.texts, texts.size() * 2));
      } else {
        EXPECT_EQ(sets[1].textNumber, back.textNumber);
      }
      for (int i = 0; i < 2; ++i) {
        const GfxVehicle &a = sets[1].vehicles[i], &c = back.vehicles[i];
        EXPECT_EQ(a.length, c.length);
        EXPECT_EQ(a.flags, c.flags);
        EXPECT_EQ(a.markers[0].value, c.markers[0].value);
        ASSERT_EQ(a.pixelCount, c.pixelCount);
        EXPECT_EQ(0, memcmp(a.pixels, c.pixels, 4 * a.pixelCount));
      }
      GfxFile_FreeVehicleSet(&back);
      EXPECT_EQ(GFXV_NOT_IN_INDEX, GfxFile_ReadVehicleSetMemory(b.data(), u32(b.size()), 5, user, &back));
    }
  }
}

TEST_F(GfxFileTest, VehicleFileHeaderVersions) {
  struct Case {
    std::vector<u8> head;
    int result;
  } cases[] = {
      {{0x46, 0x5A, 0xC7, 0x38, 0x53}, 0},
      {{0x46, 0x5A, 0xC7, 0x53, 0x38}, GFXV_BAD_VERSION},
      {{0x46, 0x5A, 0xC7, 0x35, 0x06}, 0},
      {{0x46, 0xDA, 0x47}, 0},
      {{0x46, 0x5A, 0xC8, 0x38, 0x53}, GFXV_BAD_MAGIC},
      {{0x46, 0x5A}, 2},
  };
  for (const Case& c : cases) {
    u16 v = 0;
    EXPECT_EQ(c.result, ReadFromMemory(c.head, [&] { return GfxFile_ReadVehicleHeader(&v); }));
  }
  // Older files are listed but their records are not read by this build.
  Bytes old = {0x46, 0x5A, 0xC7, 0x35, 0x09, 1, 0, 11, 0, 0, 0, 0, 0};
  GfxVehicleSet s;
  EXPECT_EQ(GFXV_BAD_VERSION, GfxFile_ReadVehicleSetMemory(old.data(), u32(old.size()), 1, 0, &s));
}

TEST_F(GfxFileTest, DamagedVehicleSetsGiveTheirNumbers) {
  struct Case {
    const char* what;
    std::function<void(GfxVehicleSet&)> change;
    int user;
    int result;
  } cases[] = {
      {"vehicle count 0", [](GfxVehicleSet& s) { s.count = 0; }, 0, GFXV_BAD_VEHICLE_COUNT},
      {"flags 0", [](GfxVehicleSet& s) { s.flags = 0; }, 0, GFXV_FLAGS_ZERO},
      {"bit 15 in a standard set", [](GfxVehicleSet& s) { s.flags = 0x8001; }, 0, GFXV_USER_FLAG},
      {"length 7", [](GfxVehicleSet& s) { s.vehicles[1].length = 7; }, 0, GFXV_BAD_LENGTH},
      {"length 257", [](GfxVehicleSet& s) { s.vehicles[1].length = 257; }, 0, GFXV_BAD_LENGTH},
      {"A 15", [](GfxVehicleSet& s) { s.vehicles[0].a = 15; }, 0, GFXV_BAD_A},
      {"B 3", [](GfxVehicleSet& s) { s.vehicles[0].b = 3; }, 0, GFXV_BAD_B},
      {"C 1", [](GfxVehicleSet& s) { s.vehicles[0].c = 1; }, 0, GFXV_BAD_C},
      {"index 16", [](GfxVehicleSet& s) { s.vehicles[1].index = 16; }, 0, GFXV_BAD_INDEX},
      {"index twice", [](GfxVehicleSet& s) { s.vehicles[1].index = 0; }, 0, GFXV_DOUBLE_INDEX},
      {"marker position at L", [](GfxVehicleSet& s) { s.vehicles[0].markers[0].position = s.vehicles[0].length; }, 0, GFXV_BAD_MARKER_POS},
      {"marker value 14", [](GfxVehicleSet& s) { s.vehicles[0].markers[0].value = 14; }, 0, GFXV_BAD_MARKER_VALUE},
      {"text length 0", [](GfxVehicleSet& s) { s.textLength = 0; }, 1, GFXV_BAD_TEXT_LENGTH},
      {"one string short", [](GfxVehicleSet& s) { s.texts[1] = u'x'; }, 1, GFXV_BAD_STRING_COUNT},
      {"last string open", [](GfxVehicleSet& s) { s.texts[s.textLength - 1] = u'x'; }, 1, GFXV_BAD_STRING_COUNT},
  };
  for (const Case& c : cases) {
    GfxVehicleSet s = fx.VehicleSet(9);
    std::u16string texts = u"N";
    for (int i = 0; i < 10; ++i) texts += std::u16string(1, u'\0') + u"t";
    texts += u'\0';
    if (c.user) {
      s.textLength = u32(texts.size());
      s.texts = (wch*)texts.data();
    }
    c.change(s);
    Bytes b = WriteToMemory([&] { return GfxFile_WriteVehicleFile(&s, 1, c.user, GFX_FZG_CURRENT); });
    GfxVehicleSet back;
    EXPECT_EQ(c.result, GfxFile_ReadVehicleSetMemory(b.data(), u32(b.size()), 9, c.user, &back)) << c.what;
    EXPECT_EQ(nullptr, back.texts) << c.what;
    EXPECT_EQ(nullptr, back.vehicles[0].pixels) << c.what;
  }
  // Index and record damages.
  GfxVehicleSet s = fx.VehicleSet(9);
  Bytes b = WriteToMemory([&] { return GfxFile_WriteVehicleFile(&s, 1, 0, GFX_FZG_CURRENT); });
  GfxVehicleSet back;
  Bytes d = b;
  d[5 + 6 + 2] = 10;  // the set number at the offset (index entry 6 bytes, end 2)
  EXPECT_EQ(GFXV_READ_ERROR, GfxFile_ReadVehicleSetMemory(d.data(), u32(d.size()), 9, 0, &back));
  d = Bytes(b.begin(), b.begin() + 5 + 3);
  EXPECT_EQ(GFXV_INDEX_END, GfxFile_ReadVehicleSetMemory(d.data(), u32(d.size()), 9, 0, &back));
  d = b;
  d[7] = 0xFF;  // offset far beyond the file
  d[10] = 0x7F;
  EXPECT_EQ(GFXV_READ_ERROR, GfxFile_ReadVehicleSetMemory(d.data(), u32(d.size()), 9, 0, &back));
  d = Bytes(b.begin(), b.end() - 4);
  EXPECT_EQ(GFXV_READ_ERROR, GfxFile_ReadVehicleSetMemory(d.data(), u32(d.size()), 9, 0, &back));
  d = b;
  d[5 + 6 + 2 + 2 + 2 + 4 + 4 + 13] = 4;  // marker count of vehicle 0
  EXPECT_EQ(GFXV_BAD_MARKER_COUNT, GfxFile_ReadVehicleSetMemory(d.data(), u32(d.size()), 9, 0, &back));
}

TEST_F(GfxFileTest, PixelCountFollowsTheFlagBits) {
  struct Case {
    u32 flags, pixels;
  } cases[] = {
      // L 20, A 3, B 4, C 5: 2 (60 + 20 + 40) = 240
      {0, 240},
      {GFX_VF_EXTRA_VIEWS, 240 + 40},
      {GFX_VF_DOUBLE, 240 + 2 * (60 + 40)},
      {GFX_VF_EXTRA_1, 240 + 60},
      {GFX_VF_EXTRA_1 | GFX_VF_EXTRA_2 | GFX_VF_DOUBLE, 240 + 200 + 2 * 120},
  };
  for (const Case& c : cases) EXPECT_EQ(c.pixels, GfxFile_VehiclePixelCount(20, 3, 4, 5, c.flags)) << c.flags;
  EXPECT_EQ(246u, GfxFile_VehiclePixelCount(21, 3, 4, 5, 0)) << "L / 2 truncates";
  struct Map {
    u32 bit;
    u16 flag;
  } maps[] = {{1u << 6, 1}, {1u << 0, 8}, {1u << 15, 16}, {1u << 7, 32}, {1u << 8, 64}, {1u << 10, 128}, {1u << 9, 0}};
  for (const Map& m : maps) EXPECT_EQ(m.flag, GfxFile_VehicleRecordFlags(m.bit)) << m.bit;
}

// ---------------------------------------------------------------- vehicle zoom files

TEST_F(GfxFileTest, VehicleZoomRecords) {
  GfxVehicleSet s = fx.VehicleSet(4);
  const GfxVehicle& v = s.vehicles[0];
  struct Case {
    const char* what;
    int zoom;
    std::function<void(GfxVehicleZoom&)> change;
    int result;
  } cases[] = {
      {"901 at zoom 2", 2, [](GfxVehicleZoom&) {}, 0},
      {"901 at zoom 4", 4, [](GfxVehicleZoom&) {}, 0},
      {"899 at zoom 2", 2, [](GfxVehicleZoom& z) { z.version = 899, z.versionHalf = 2; }, 0},
      {"899 at zoom 4", 4, [](GfxVehicleZoom& z) { z.version = 899, z.versionHalf = 3; }, GFXZ_BAD_ZOOM},
      {"899 half 1", 2, [](GfxVehicleZoom& z) { z.version = 899, z.versionHalf = 1; }, GFXZ_VERSION_HALF},
      {"900", 2, [](GfxVehicleZoom& z) { z.version = 900; }, GFXZ_VERSION_900},
      {"898", 2, [](GfxVehicleZoom& z) { z.version = 898; }, GFXZ_VERSION_LOW},
      {"902", 2, [](GfxVehicleZoom& z) { z.version = 902; }, GFXZ_VERSION_HIGH},
      {"half 2", 2, [](GfxVehicleZoom& z) { z.versionHalf = 2; }, GFXZ_VERSION_HALF},
      {"half 4", 2, [](GfxVehicleZoom& z) { z.versionHalf = 4; }, GFXZ_VERSION_HALF_HIGH},
      {"flags bit 1", 2, [](GfxVehicleZoom& z) { z.flags = 1; }, GFXZ_NO_FLAG_BIT1},
      {"length not L z", 2, [](GfxVehicleZoom& z) { z.length += 1; }, GFXZ_BAD_LENGTH},
      {"A above 14z", 2, [](GfxVehicleZoom& z) { z.a = 29; }, GFXZ_BAD_A},
      {"B below 4z", 4, [](GfxVehicleZoom& z) { z.b = 15; }, GFXZ_BAD_B},
  };
  for (const Case& c : cases) {
    GfxVehicleZoom z = fx.VehicleZoom(0x41, v, c.zoom);
    c.change(z);
    z.pixelCount = GfxFile_VehicleZoomPixelCount(&z, v.flags);
    z.pixels = fx.Pixels(z.pixelCount, 3);
    Bytes b = WriteToMemory([&] { return GfxFile_WriteVehicleZoomRecord(&z); });
    GfxVehicleZoom back;
    int r = ReadFromMemory(b, [&] { return GfxFile_ReadVehicleZoomRecord(c.zoom, v.length, v.flags, &back); });
    EXPECT_EQ(c.result, r) << c.what;
    if (r == 0) {
      ASSERT_EQ(z.pixelCount, back.pixelCount);
      EXPECT_EQ(0, memcmp(z.pixels, back.pixels, 4 * z.pixelCount)) << c.what;
    }
    GfxFile_FreeVehicleZoom(&back);
  }
  // Zoom digit and the combined file's index.
  GfxVehicleZoom z = fx.VehicleZoom(0x41, v, 2);
  GfxVehicleZoom z2 = fx.VehicleZoom(0x52, s.vehicles[1], 2);
  GfxVehicleZoom both[2] = {z, z2};
  Bytes b = WriteToMemory([&] { return GfxFile_WriteVehicleZoomFile(2, both, 2); });
  GfxVehicleZoom back;
  EXPECT_EQ(0, ReadFromMemory(b, [&] { return GfxFile_ReadVehicleZoomCombined(2, 0x52, s.vehicles[1].length, s.vehicles[1].flags, &back); }));
  GfxFile_FreeVehicleZoom(&back);
  EXPECT_EQ(GFXZ_MISSING, ReadFromMemory(b, [&] { return GfxFile_ReadVehicleZoomCombined(2, 0x50, 48, 0, &back); }));
  EXPECT_EQ(GFXZ_BAD_ZOOM, ReadFromMemory(b, [&] { return GfxFile_ReadVehicleZoomCombined(4, 0x41, 48, 0, &back); }));
  std::swap(both[0], both[1]);
  int r = 0;
  WriteToMemory([&] { return GfxFile_WriteVehicleZoomFile(2, both, 2); }, &r);
  EXPECT_EQ(GFXW_BAD_INPUT, r) << "ids must ascend";
}

// ---------------------------------------------------------------- title file

TEST_F(GfxFileTest, TitleFileRoundTripsBothFormats) {
  std::vector<u8> codes(6 * 4);
  for (size_t i = 0; i < codes.size(); ++i) codes[i] = u8(i < 10 ? 5 : i % 7);
  std::vector<u32> colours(5 * 3);
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = u32(0x102030 * (i % 4));
  GfxTitlePicture p8[2] = {{6, 4, 3, codes.data(), nullptr}, {6, 4, 5, codes.data(), nullptr}};
  GfxTitlePicture p9 = {5, 3, 0x00FF00, nullptr, colours.data()};
  for (int format : {'8', '9'}) {
    Bytes b = format == '8' ? WriteToMemory([&] { return GfxFile_WriteTitleFile('8', p8, 2); })
                            : WriteToMemory([&] { return GfxFile_WriteTitleFile('9', &p9, 1); });
    GfxTitleImage img;
    int r = ReadFromMemory(b, [&] {
      int f;
      u32 count;
      int rr = GfxFile_ReadTitleCount(&f, &count);
      if (rr) return rr;
      EXPECT_EQ(format, f);
      return GfxFile_ReadTitlePicture(f, count, count - 1, &img);
    });
    ASSERT_EQ(0, r);
    if (format == '8') {
      EXPECT_EQ(5u, img.background);
      for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], img.pixels[i]) << i;
    } else {
      for (size_t i = 0; i < colours.size(); ++i) EXPECT_EQ(colours[i], img.pixels[i]) << i;
    }
    GfxFile_FreeTitleImage(&img);
  }
}

int ReadTitle(const Bytes& b, u32 n, GfxTitleImage* img) {
  return ReadFromMemory(b, [&] {
    int f;
    u32 count;
    int r = GfxFile_ReadTitleCount(&f, &count);
    return r ? r : GfxFile_ReadTitlePicture(f, count, n, img);
  });
}

TEST_F(GfxFileTest, TitleRunBytes) {
  // One picture 10 x 1, format '8': 0xC5 then 6 -> ten pixels of code 5.
  Bytes b = {0x54, 0xC2, 0x44, '8', 1, 0, 10, 0, 0, 0, 10, 0, 1, 0, 0, 0, 0xC5, 6};
  GfxTitleImage img;
  ASSERT_EQ(0, ReadTitle(b, 0, &img));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(5u, img.pixels[i]);
  GfxFile_FreeTitleImage(&img);
  Bytes d = b;
  d[17] = 7;  // a run past the picture's end
  EXPECT_EQ(GFXT_BAD, ReadTitle(d, 0, &img));
  d = b;
  d[3] = '7';
  EXPECT_EQ(GFXT_BAD, ReadTitle(d, 0, &img));
  d = b;
  d[10] = 0;  // width 0
  EXPECT_EQ(GFXT_BAD, ReadTitle(d, 0, &img));
  d = b;
  d[4] = 0;  // count 0
  EXPECT_EQ(GFXT_BAD, ReadTitle(d, 0, &img));
  EXPECT_EQ(GFXT_BAD, ReadTitle(b, 1, &img)) << "no picture 1";
  EXPECT_EQ(nullptr, img.pixels);
}

}  // namespace

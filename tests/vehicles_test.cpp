// Vehicle sets: loading into the cached list, failures and their messages,
// the lookups, and the layout file section "ZG" with the background block.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "model/layfile.h"
#include "operation/trn.h"
#include "operation/trnfile.h"
#include "operation/trnlist.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/str.h"
#include "render/bgp.h"
#include "render/gfx.h"
#include "render/vehicles.h"
#include "tests/gfx_fixture.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

class VehicleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Fio_InitBuffers(); }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    ASSERT_EQ(0, fx.Write(0, 2));
    Gfx_EmptyVehicleSets();
    Bgp_Reset();
    Gfx_SetVehicleMessages(1);
    for (int n = 1; n <= VEH_USER_FILES; ++n) Gfx_SetUserVehicleFile(n, nullptr);
    Msg_ResetLast();
  }
  void TearDown() override {
    Gfx_EmptyVehicleSets();
    Bgp_Reset();
    EXPECT_FALSE(Fio_IsReadOpen());
  }
  // User vehicle file n with sets at places 0 and 1.
  wstr UserFile(int n) {
    wstr path = folder + W16(("user" + std::to_string(n) + ".fzu").c_str());
    std::u16string texts = u"User\tset 7";
    for (int i = 0; i < 10; ++i) texts += std::u16string(1, u'\0') + u"text" + char16_t(u'0' + i);
    texts += u'\0';
    GfxVehicleSet sets[2] = {fx.VehicleSet(1), fx.VehicleSet(2)};
    for (GfxVehicleSet& s : sets) {
      s.flags = 0x8001;
      s.textLength = u32(texts.size());
      s.texts = (wch*)texts.data();
    }
    EXPECT_EQ(0, GfxFile_SaveVehicleFile(path.c_str(), FOLDER_FULLPATH, sets, 2, 1, GFX_FZG_CURRENT));
    return path;
  }
  static VehicleId UserId(int file, int place, int vehicle) {
    return VEH_USER_BIT | u32((file - 1) * 10 + place) << 4 | u32(vehicle);
  }
  wstr folder;
  GfxFixture fx;
};

TEST_F(VehicleTest, CachedSetIsNotReadAgain) {
  const VehicleId id = kRequiredVehicleSets[4] | 1;
  ASSERT_EQ(VEH_LOAD_OK, Gfx_LoadVehicleSet(id, 0));
  Os_Remove((folder + u"orba.fzg").c_str());
  EXPECT_EQ(VEH_LOAD_OK, Gfx_LoadVehicleSet(id & ~15u, 0));
  EXPECT_EQ(0u, Msg_Count());
  EXPECT_EQ(64u, Gfx_GetVehicleLength(id));
  EXPECT_EQ(1u, Gfx_GetVehicleFlags(id));
  EXPECT_EQ(65535u, Gfx_GetVehicleFlags(id + 5)) << "no vehicle 6 in the set";
  EXPECT_EQ(id, Gfx_GetCachedVehicleId(id, 1));
  EXPECT_EQ(0u, Gfx_GetCachedVehicleId(id, 2));
  EXPECT_EQ(VEH_LOAD_STANDARD_FAILED, Gfx_LoadVehicleSet(kRequiredVehicleSets[0], 0));
  EXPECT_EQ(624u, Msg_LastNumber());
}

TEST_F(VehicleTest, LengthAndFlagsOfIdsWithoutRecord) {
  EXPECT_EQ(37u, Gfx_GetVehicleLength(VEH_LENGTH_BIT | 37));
  EXPECT_EQ(4096u, Gfx_GetVehicleFlags(VEH_LENGTH_BIT | 37));
  EXPECT_EQ(0u, Gfx_GetVehicleLength(12345 << 4));
  EXPECT_EQ(65535u, Gfx_GetVehicleFlags(12345 << 4));
  EXPECT_EQ(nullptr, Gfx_FindVehicleRecord(0));
}

TEST_F(VehicleTest, ListStaysSortedAndCounts) {
  for (int i = 8; i >= 0; --i) ASSERT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[i], 0));
  u32 prev = 0, sets = 0;
  for (u32 id = Gfx_FirstCachedVehicleSet(); id;) {
    EXPECT_GT(id, prev);
    prev = id;
    u32 count, next;
    wch name[33];
    ASSERT_EQ(1, Gfx_GetVehicleSetName(id, &count, &next, name));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(32, Str_Len(name));
    id = next;
    ++sets;
  }
  EXPECT_EQ(9u, sets);
  u32 n;
  EXPECT_EQ(18u, Gfx_CountVehicleSets(&n, nullptr, nullptr));
  EXPECT_EQ(9u, n);
  Gfx_FreeVehicleSet(kRequiredVehicleSets[3], 1);
  EXPECT_FALSE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[3]));
  EXPECT_TRUE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[4]));
}

TEST_F(VehicleTest, NameWithATabEndsInColumn32) {
  struct Case {
    const char16_t* name;
    const char16_t* shown;
  } cases[] = {
      {u"Word\t5", u"Word                           5"},
      {u"Word\t12  ", u"Word                          12"},
      {u"Plain", u"Plain                           "},
      {u"\tX", u"                               X"},
  };
  for (const Case& c : cases) {
    wch out[33];
    Gfx_FormatVehicleSetName(c.name, out);
    EXPECT_EQ(std::u16string(c.shown), std::u16string(out));
  }
}

TEST_F(VehicleTest, UserSetsAndTheirTexts) {
  Gfx_SetUserVehicleFile(3, UserFile(3).c_str());
  const VehicleId id = UserId(3, 1, 1);
  ASSERT_EQ(VEH_LOAD_OK, Gfx_LoadVehicleSet(id, 0));
  wch name[33];
  ASSERT_EQ(1, Gfx_GetVehicleSetName(id, nullptr, nullptr, name));
  EXPECT_EQ(std::u16string(u"User                       set 7"), std::u16string(name));
  const wch* texts[5];
  ASSERT_EQ(0, Gfx_GetVehicleTexts(id, texts));
  EXPECT_EQ(std::u16string(u"text5"), std::u16string(texts[0]));
  EXPECT_EQ(std::u16string(u"text9"), std::u16string(texts[4]));
  EXPECT_EQ(1, Gfx_GetVehicleTexts(UserId(3, 4, 0), texts));
  // Enumeration of the file's sets.
  u32 setId = 0;
  ASSERT_EQ(0, Gfx_NextVehicleSet(&setId, name, 3));
  EXPECT_EQ(UserId(3, 0, 0), setId);
  ASSERT_EQ(0, Gfx_NextVehicleSet(&setId, name, 3));
  EXPECT_EQ(UserId(3, 1, 0), setId);
  EXPECT_EQ(4, Gfx_NextVehicleSet(&setId, name, 3));
  EXPECT_EQ(5, Gfx_NextVehicleSet(&setId, name, 4));
  EXPECT_EQ(1, Gfx_NextVehicleSet(&setId, name, 101));
  setId = 0;
  ASSERT_EQ(0, Gfx_NextVehicleSet(&setId, name, 0));
  EXPECT_EQ(kRequiredVehicleSets[0], setId) << "index order of orba.fzg";
}

TEST_F(VehicleTest, FailingUserFileIsReportedOnce) {
  Gfx_SetUserVehicleFile(3, (folder + u"missing.fzu").c_str());
  EXPECT_EQ(VEH_LOAD_USER_FAILED, Gfx_LoadVehicleSet(UserId(3, 0, 0), 0));
  EXPECT_EQ(1u, Msg_Count());
  EXPECT_EQ(623u, Msg_LastNumber());
  EXPECT_NE(std::u16string::npos, std::u16string(Msg_LastText()).find(u"missing.fzu"));
  EXPECT_EQ(VEH_LOAD_USER_FAILED, Gfx_LoadVehicleSet(UserId(3, 1, 0), 0));
  EXPECT_EQ(1u, Msg_Count()) << "the same file failing again shows nothing";
  Gfx_SetUserVehicleFile(4, (folder + u"missing4.fzu").c_str());
  EXPECT_EQ(VEH_LOAD_USER_FAILED, Gfx_LoadVehicleSet(UserId(4, 0, 0), 0));
  EXPECT_EQ(2u, Msg_Count());
  Gfx_SetVehicleMessages(0);
  EXPECT_EQ(VEH_LOAD_STANDARD_FAILED, Gfx_LoadVehicleSet(4000 << 4, 0));
  EXPECT_EQ(2u, Msg_Count());
}

TEST_F(VehicleTest, ZoomPicturesOfCachedSets) {
  ASSERT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[1], 0));
  EXPECT_EQ(3, Gfx_LoadAllVehicleSetsZoom(3, 0, 0));
  EXPECT_EQ(2, Gfx_LoadAllVehicleSetsZoom(2, kRequiredVehicleSets[2], 0));
  EXPECT_EQ(0, Gfx_LoadAllVehicleSetsZoom(2, 0, 0));
  const VehiclePicture* p = Gfx_GetVehicleZoomData(kRequiredVehicleSets[1] | 1, 2);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(128, p->length);
  EXPECT_EQ(0, Gfx_LoadAllVehicleSetsZoom(4, 0, 1)) << "no zoom-4 file: missing pictures are no failure";
  EXPECT_EQ(nullptr, Gfx_GetVehicleZoomData(kRequiredVehicleSets[1], 4));
  EXPECT_EQ(1, Gfx_LoadVehicleSetZoom(kRequiredVehicleSets[1], 3));
  EXPECT_EQ(1, Gfx_LoadVehicleSetZoom(kRequiredVehicleSets[5], 2));
  // A damaged zoom file: a warning per vehicle, the walk goes on.
  Bytes b = Test_ReadFile(folder + u"orba.fz2");
  b[3] = '4';
  Test_WriteFile(folder + u"orba.fz2", b);
  Msg_ResetLast();
  EXPECT_EQ(1, Gfx_LoadAllVehicleSetsZoom(2, 0, 0));
  EXPECT_EQ(2u, Msg_Count());
  EXPECT_EQ(620u, Msg_LastNumber());
  EXPECT_EQ(0, Msg_InfoDepth());
  // An edited single file stands in front of the combined file.
  Os_CreateFolder((folder + u"zoom2").c_str());
  GfxVehicleSet s = fx.VehicleSet(u16(kRequiredVehicleSets[1] >> 4));
  GfxVehicleZoom z = fx.VehicleZoom(kRequiredVehicleSets[1], s.vehicles[0], 2);
  wch name[OS_MAX_PATH];
  ASSERT_EQ(0, Gfx_VehicleFileName(kRequiredVehicleSets[1], name, 2));
  EXPECT_EQ(std::u16string(u"40320-00.fz2"), std::u16string(name));
  ASSERT_EQ(0, GfxFile_SaveVehicleZoomSingle(name, FOLDER_ZOOM2, "edited\r\n", &z));
  EXPECT_EQ(0, Gfx_LoadVehicleSetZoom(kRequiredVehicleSets[1], 2));
  EXPECT_NE(nullptr, Gfx_GetVehicleZoomData(kRequiredVehicleSets[1], 2));
}

// The sections of a picture block follow each other without gap or overlap
// and fill exactly the pixels the flags ask for; the flags decide which
// sections exist.
TEST(VehiclePictureSections, TileTheBlockForEveryFlagWord) {
  const u32 bits[4] = {GFX_VF_EXTRA_VIEWS, GFX_VF_DOUBLE, GFX_VF_EXTRA_1, GFX_VF_EXTRA_2};
  for (u32 m = 0; m < 16; ++m) {
    u32 f = 0;
    for (int i = 0; i < 4; ++i)
      if (m & (1u << i)) f |= bits[i];
    for (u32 L : {8u, 41u, 256u}) {
      const u32 A = 14, B = 16, C = 2;
      u64 next = 0;
      for (int k = 0; k < VEH_SECTIONS; ++k) {
        u32 size = 0;
        i64 off = Gfx_VehicleSection(L, A, B, C, f, k, &size);
        if (off < 0) continue;
        EXPECT_EQ(next, u64(off)) << "section " << k << " flags " << std::hex << f;
        u32 want = k == VEH_SIDE_1 || k == VEH_SIDE_2 || k >= VEH_SIDE_1_LONG ? L * A : B * C;
        if (k == VEH_TOP_1 || k == VEH_TOP_2 || k == VEH_TOP_1_LONG || k == VEH_TOP_2_LONG) want = (L / 2) * B;
        EXPECT_EQ(want, size) << "section " << k;
        next = u64(off) + size;
      }
      EXPECT_EQ(u64(GfxFile_VehiclePixelCount(L, A, B, C, f)), next) << std::hex << f << " L " << std::dec << L;
    }
    EXPECT_EQ((f & GFX_VF_EXTRA_VIEWS) != 0, Gfx_VehicleSection(40, 10, 8, 6, f, VEH_END_4, nullptr) >= 0);
    EXPECT_EQ((f & GFX_VF_DOUBLE) != 0, Gfx_VehicleSection(40, 10, 8, 6, f, VEH_TOP_2_LONG, nullptr) >= 0);
    EXPECT_EQ((f & GFX_VF_EXTRA_2) && (f & GFX_VF_DOUBLE),
              Gfx_VehicleSection(40, 10, 8, 6, f, VEH_SIDE_2_ALT_LONG, nullptr) >= 0);
  }
  EXPECT_EQ(-1, Gfx_VehicleSection(40, 10, 8, 6, 0, VEH_SECTIONS, nullptr));
  EXPECT_EQ(-1, Gfx_VehicleSection(40, 10, 8, 6, 0, -1, nullptr));
  EXPECT_EQ(-1, Gfx_VehiclePictureSection(nullptr, VEH_SIDE_1, nullptr));
}

// A zoom picture of version 901 carries the pictures its own flags name,
// whatever the zoom-1 vehicle has; the zoom-1 block those of the file.
TEST_F(VehicleTest, ZoomPictureKeepsItsOwnLayout) {
  const VehicleId id = kRequiredVehicleSets[1];
  ASSERT_EQ(0, Gfx_LoadVehicleSet(id, 0));
  const VehicleRecord* rec = Gfx_FindVehicleRecord(id);
  ASSERT_NE(nullptr, rec);
  EXPECT_EQ(rec->fileFlags, rec->zoom[0].fileFlags);
  EXPECT_EQ(-1, Gfx_VehiclePictureSection(&rec->zoom[0], VEH_SIDE_1_ALT, nullptr));
  Os_CreateFolder((folder + u"zoom2").c_str());
  GfxVehicleSet s = fx.VehicleSet(u16(id >> 4));
  GfxVehicleZoom z = fx.VehicleZoom(id, s.vehicles[0], 2);
  z.flags = 2 | 8;  // the alternate of side 1
  z.pixelCount = GfxFile_VehicleZoomPixelCount(&z, s.vehicles[0].flags);
  std::vector<u32> px(z.pixelCount, 0x00123456);
  z.pixels = px.data();
  wch name[OS_MAX_PATH];
  ASSERT_EQ(0, Gfx_VehicleFileName(id, name, 2));
  ASSERT_EQ(0, GfxFile_SaveVehicleZoomSingle(name, FOLDER_ZOOM2, "edited\r\n", &z));
  ASSERT_EQ(0, Gfx_LoadVehicleSetZoom(id, 2));
  const VehiclePicture* p = Gfx_GetVehicleZoomData(id, 2);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(u32(GFX_VF_EXTRA_1), p->fileFlags);
  u32 size = 0;
  EXPECT_EQ(i64(p->count) - i64(size_t(p->length) * p->a), Gfx_VehiclePictureSection(p, VEH_SIDE_1_ALT, &size));
  EXPECT_EQ(u32(p->length) * p->a, size);
}

// The vehicles the build ships: steam engines smoke from their chimney near
// the front, electric locomotives and coaches carry alternate sides, long
// coaches long lengthwise pictures, at every zoom.
TEST(ShippedVehicles, CarrySmokeAlternateAndLongPictures) {
  Heap_Init();
  Fio_InitBuffers();
  Fio_SetFolderPath(0, Test_DataFolder().c_str());
  Gfx_EmptyVehicleSets();
  const VehicleId steam = 40321u << 4, electric = 40740u << 4, coach = 40320u << 4;
  for (VehicleId id : {steam, electric, coach}) {
    ASSERT_EQ(VEH_LOAD_OK, Gfx_LoadVehicleSet(id, 0));
    for (int z : {2, 4}) ASSERT_EQ(0, Gfx_LoadVehicleSetZoom(id, z)) << id << " zoom " << z;
  }
  const VehicleRecord* s = Gfx_FindVehicleRecord(steam);
  ASSERT_NE(nullptr, s);
  ASSERT_GE(s->markerCount, 1);
  EXPECT_LT(s->markers[0][0], s->length / 4) << "the chimney stands near the front";
  EXPECT_GE(s->markers[0][2], 1) << "a source of some length";
  const VehicleRecord* e = Gfx_FindVehicleRecord(electric);
  const VehicleRecord* c = Gfx_FindVehicleRecord(coach);
  ASSERT_NE(nullptr, e);
  ASSERT_NE(nullptr, c);
  EXPECT_EQ(0, e->markerCount) << "no exhaust from an electric locomotive";
  EXPECT_TRUE(c->flags & 128) << "long lengthwise pictures";
  for (int zi = 0; zi < 3; ++zi) {
    EXPECT_GE(Gfx_VehiclePictureSection(&e->zoom[zi], VEH_SIDE_1_ALT, nullptr), 0) << "zoom index " << zi;
    EXPECT_GE(Gfx_VehiclePictureSection(&e->zoom[zi], VEH_SIDE_2_ALT, nullptr), 0) << "zoom index " << zi;
    EXPECT_GE(Gfx_VehiclePictureSection(&c->zoom[zi], VEH_TOP_1_LONG, nullptr), 0) << "zoom index " << zi;
    EXPECT_GE(Gfx_VehiclePictureSection(&c->zoom[zi], VEH_SIDE_2_ALT_LONG, nullptr), 0) << "zoom index " << zi;
    EXPECT_EQ(-1, Gfx_VehiclePictureSection(&s->zoom[zi], VEH_SIDE_1_ALT, nullptr));
  }
  // The alternate side differs from the normal one (pantographs lowered).
  u32 n = 0, na = 0;
  const VehiclePicture& p = e->zoom[0];
  i64 a = Gfx_VehiclePictureSection(&p, VEH_SIDE_1, &n), b = Gfx_VehiclePictureSection(&p, VEH_SIDE_1_ALT, &na);
  ASSERT_EQ(n, na);
  EXPECT_FALSE(std::equal(p.pixels + a, p.pixels + a + n, p.pixels + b));
  Gfx_EmptyVehicleSets();
}

// ---------------------------------------------------------------- section "ZG"

Bytes SaveSection() {
  EXPECT_EQ(0, Fio_OpenWriteMemory());
  EXPECT_EQ(0, Gfx_WriteLayoutGraphicsSection());
  Fio_CloseWrite();
  u32 n;
  u8* m = Fio_TakeWriteMemory(&n);
  Bytes b(m, m + n);
  Heap_Free(m);
  return b;
}

int LoadSection(const Bytes& b, u16 version) {
  EXPECT_EQ(0, Fio_OpenReadMemory(b.data(), u32(b.size())));
  int r = Gfx_ReadLayoutGraphicsSection(version);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  return r;
}

void Put32(Bytes& b, u32 v) {
  for (int i = 0; i < 4; ++i) b.push_back(u8(v >> (8 * i)));
}

TEST_F(VehicleTest, SectionRoundTripsSetsAndBackground) {
  Gfx_SetUserVehicleFile(2, UserFile(2).c_str());
  ASSERT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[0], 0));
  ASSERT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[6], 0));
  ASSERT_EQ(0, Gfx_LoadVehicleSet(UserId(2, 1, 0), 0));
  ASSERT_EQ(0, Bgp_SetPath(u"C:\\pictures\\under.bmp"));
  ASSERT_EQ(0, Bgp_SetArea(10, 20, 300, 200));
  Bytes b = SaveSection();
  EXPECT_EQ(0x5A, b[0]);
  EXPECT_EQ(0x47, b[1]);
  ASSERT_EQ(0, LoadSection(b, LAY_VERSION));
  EXPECT_FALSE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[0])) << "reading forgets the layout graphics";
  EXPECT_EQ(3u, Gfx_PendingVehicleSetCount());
  i32 x, y, w, h;
  EXPECT_EQ(std::u16string(u"C:\\pictures\\under.bmp"), std::u16string(Bgp_GetSettings(&x, &y, &w, &h, nullptr, nullptr, nullptr)));
  EXPECT_EQ(10, x);
  EXPECT_EQ(200, h);
  EXPECT_EQ(0, Gfx_LoadLayoutVehicleSets(LAY_VERSION));
  EXPECT_TRUE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[6]));
  EXPECT_TRUE(Gfx_IsVehicleSetCached(UserId(2, 1, 0)));
  EXPECT_EQ(0u, Gfx_PendingVehicleSetCount());
}

TEST_F(VehicleTest, SectionCases) {
  struct Case {
    const char* what;
    std::function<Bytes()> bytes;
    u16 version;
    int result;
    int load;  // Gfx_LoadLayoutVehicleSets afterwards
  } cases[] = {
      {"count 0 and no background", [] { Bytes b = {0x5A, 0x47}; Put32(b, 0); Put32(b, 0); return b; }, LAY_VERSION, 0, 0},
      {"wrong tag", [] { Bytes b = {0x4D, 0x41}; Put32(b, 0); Put32(b, 0); return b; }, LAY_VERSION, 3, 0},
      {"flag 2", [] { Bytes b = {0x5A, 0x47}; Put32(b, 0); Put32(b, 2); return b; }, LAY_VERSION, 3, 0},
      {"width 0",
       [] {
         Bytes b = {0x5A, 0x47};
         Put32(b, 0);
         for (u32 v : {1u, 0u, 0u, 0u, 0u, 5u}) Put32(b, v);
         b.push_back(0), b.push_back(0);
         return b;
       },
       LAY_VERSION, 3, 0},
      {"path without its end",
       [] {
         Bytes b = {0x5A, 0x47};
         Put32(b, 0);
         for (u32 v : {1u, 0u, 0u, 0u, 5u, 5u}) Put32(b, v);
         for (int i = 0; i < 260; ++i) b.push_back('a'), b.push_back(0);
         return b;
       },
       LAY_VERSION, 3, 0},
      {"cut short", [] { Bytes b = {0x5A, 0x47}; Put32(b, 2); Put32(b, 40320 << 4); return b; }, LAY_VERSION, 1, 0},
      {"a standard set missing",
       [] {
         Bytes b = {0x5A, 0x47};
         Put32(b, 2);
         Put32(b, kRequiredVehicleSets[0]);
         Put32(b, 4000u << 4);
         Put32(b, 0);
         return b;
       },
       LAY_VERSION, 0, 1},
      {"u16 list before 14369, no background before 14393",
       [] { Bytes b = {0x5A, 0x47, 1, 0, 0x10, 0x27}; return b; }, 14000, 0, 0},
      {"u32 list without background at 14380",
       [] { Bytes b = {0x5A, 0x47}; Put32(b, 1); Put32(b, kRequiredVehicleSets[2]); return b; }, 14380, 0, 0},
  };
  for (const Case& c : cases) {
    Msg_ResetLast();
    EXPECT_EQ(c.result, LoadSection(c.bytes(), c.version)) << c.what;
    if (c.result == 0) {
      EXPECT_EQ(c.load, Gfx_LoadLayoutVehicleSets(c.version)) << c.what;
    }
    Gfx_EmptyVehicleSets();
  }
  // Only user sets failing gives 2; a layout before 14369 loads nothing.
  Bytes b = {0x5A, 0x47};
  Put32(b, 1);
  Put32(b, UserId(9, 0, 0));
  Put32(b, 0);
  ASSERT_EQ(0, LoadSection(b, LAY_VERSION));
  EXPECT_EQ(2, Gfx_LoadLayoutVehicleSets(LAY_VERSION));
}

}  // namespace

// ---------------------------------------------------------------- use counts, the list, the old index
namespace {

// A train not on the track holding the vehicles.
TrainRec* AddTrain(i32 number, std::initializer_list<VehicleId> vehicles, u32 length) {
  TrainRec* t = Trn_AllocRecord(0, u32(vehicles.size()));
  if (!t) return nullptr;
  t->Line = 1;
  t->CurLine = 1;
  t->Number = number;
  u32 i = 0;
  for (VehicleId v : vehicles) {
    Trn_Vehicles(t)[i].Vehicle = v;
    Trn_Vehicles(t)[i].Length = length;
    ++i;
  }
  if (TrnList_InsertSorted(t)) return nullptr;
  return t;
}

int LoadSet(u32 setId) { return Gfx_LoadVehicleSet(setId, 0); }

}  // namespace

TEST_F(VehicleTest, UseCountsCountTheTrainsThatHoldAVehicle) {
  const VehicleId set = kRequiredVehicleSets[4];
  ASSERT_EQ(0, Gfx_LoadVehicleSet(set, 0));
  ASSERT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[5], 0));
  EXPECT_EQ(0u, Gfx_CountVehicleSetUse(set, 1));
  // Vehicle 1 twice in one train counts once for it; another train adds one.
  ASSERT_NE(nullptr, AddTrain(1, {set | 1, set | 1, set}, 64));
  ASSERT_NE(nullptr, AddTrain(2, {set | 1}, 64));
  EXPECT_EQ(3u, Gfx_CountVehicleSetUse(set, 1));
  EXPECT_EQ(1u, Gfx_CountVehicleSetUse(set, 0)) << "without count-all: in use or not";
  EXPECT_EQ(0u, Gfx_CountVehicleSetUse(kRequiredVehicleSets[5], 1));
  EXPECT_EQ(0u, Gfx_CountVehicleSetUse(kRequiredVehicleSets[0], 1)) << "not cached";
  u32 sets = 0, setsUsed = 0, vehiclesUsed = 0;
  EXPECT_EQ(4u, Gfx_CountVehicleSets(&sets, &setsUsed, &vehiclesUsed));
  EXPECT_EQ(2u, sets);
  EXPECT_EQ(1u, setsUsed);
  EXPECT_EQ(2u, vehiclesUsed);
  TrnList_Clear();
}

TEST_F(VehicleTest, TheListHeadAndItsOneEntryCache) {
  ASSERT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[4], 0));
  ASSERT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[5], 0));
  VehicleSetRecord* head = Gfx_GetVehicleSetList();
  ASSERT_NE(nullptr, head);
  VehicleSetRecord* found = Gfx_FindVehicleSet(kRequiredVehicleSets[4]);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(kRequiredVehicleSets[4], found->id);
  EXPECT_EQ(nullptr, Gfx_FindVehicleSet(kRequiredVehicleSets[0]));
  // A list set aside and put back: the cache must not answer from the old one.
  Gfx_SetVehicleSetList(nullptr);
  EXPECT_EQ(nullptr, Gfx_FindVehicleSet(kRequiredVehicleSets[4]));
  EXPECT_FALSE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[4]));
  Gfx_SetVehicleSetList(head);
  EXPECT_EQ(found, Gfx_FindVehicleSet(kRequiredVehicleSets[4]));
  Gfx_ResetVehicleSetCache();
  EXPECT_EQ(found, Gfx_FindVehicleSet(kRequiredVehicleSets[4]));
}

// Train files before 14369 named a vehicle by the place of its set in the
// vehicle file's index: such a file loads with the vehicles of today's ids.
TEST_F(VehicleTest, AnOlderTrainFileLoadsWithTheRightVehicles) {
  // The fixture's file lists the required sets in their order.
  EXPECT_EQ(kRequiredVehicleSets[0] | 1, Gfx_ReadVehicleIndexEntry(1 << 4 | 1));
  EXPECT_EQ(kRequiredVehicleSets[4], Gfx_ReadVehicleIndexEntry(5 << 4));
  EXPECT_EQ(0u, Gfx_ReadVehicleIndexEntry(10 << 4)) << "past the index";
  EXPECT_EQ(0u, Gfx_ReadVehicleIndexEntry(5)) << "position 0";
  EXPECT_FALSE(Fio_IsReadOpen());

  const TrnHooks hooks = {Gfx_GetVehicleLength, Gfx_GetVehicleFlags, LoadSet, nullptr, Gfx_ReadVehicleIndexEntry};
  Trn_SetHooks(&hooks);
  TrainRec* t = AddTrain(1, {1 << 4 | 1, 4 << 4}, 1);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(0, TrnList_AfterLoad(14000));
  EXPECT_EQ(kRequiredVehicleSets[0] | 1, Trn_Vehicles(t)[0].Vehicle);
  EXPECT_EQ(kRequiredVehicleSets[3], Trn_Vehicles(t)[1].Vehicle);
  EXPECT_EQ(Gfx_GetVehicleLength(kRequiredVehicleSets[0] | 1), Trn_Vehicles(t)[0].Length);
  EXPECT_EQ(Gfx_GetVehicleLength(kRequiredVehicleSets[3]), Trn_Vehicles(t)[1].Length);
  EXPECT_FALSE(Trn_Vehicles(t)[0].VehFlags & TRN_VEH_MISSING);
  // A set whose number has the bit 0x80 in the id (the fifth set) resolves
  // like any other: the vehicle takes the graphics' length and is present,
  // though the file gave a length of 1.
  TrnList_Clear();
  ASSERT_NE(0u, kRequiredVehicleSets[4] & 0x80);
  t = AddTrain(1, {5 << 4 | 1}, 1);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(0, TrnList_AfterLoad(14000));
  EXPECT_EQ(kRequiredVehicleSets[4] | 1, Trn_Vehicles(t)[0].Vehicle);
  EXPECT_EQ(Gfx_GetVehicleLength(kRequiredVehicleSets[4] | 1), Trn_Vehicles(t)[0].Length);
  EXPECT_FALSE(Trn_Vehicles(t)[0].VehFlags & TRN_VEH_MISSING);
  // A file of today keeps its ids as they are.
  TrnList_Clear();
  t = AddTrain(1, {5 << 4 | 1}, 64);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(2, TrnList_AfterLoad(LAY_VERSION)) << "an id no set has is marked missing";
  EXPECT_EQ(u32(5 << 4 | 1), Trn_Vehicles(t)[0].Vehicle);
  TrnList_Clear();
  Trn_SetHooks(nullptr);
}

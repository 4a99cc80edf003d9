// The graphics store: slot tables, start-up on a complete set of files and
// its result codes on missing or damaged ones, the zoom set, placeholders.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "render/disp.h"
#include "render/font.h"
#include "render/gfx.h"
#include "render/gfxfile.h"
#include "render/cellin.h"
#include "render/pal.h"
#include "render/vehicles.h"
#include "tests/gfx_fixture.h"
#include "tests/test_util.h"

namespace {

// Gfx_Init's ready result on this screen (the Windows build asks the real one).
int Ready() { return (Disp_GetScreenInfo(nullptr, nullptr) < 15 || Disp_IsPaletteScreen()) ? GFX_INIT_LOW_COLOUR : GFX_INIT_OK; }

// The kinds the tests give some shapes (the layout modules' query later).
int TestKinds(GraphicCode code, GfxElementKind* k) {
  switch (code & 0x1FF) {
    case 200: *k = {2, 0, 0, 8}; break;                  // three variants of three states
    case 201: *k = {4, 0, 0, 5}; break;                  // two states per variant
    case 202: *k = {10, 0, 0, 9}; break;                 // a 10-state signal
    case 203: *k = {3, GFX_KIND_TURNOUT, 0, 120}; break;
    case 204: *k = {5, GFX_KIND_HIDDEN, 0, 2}; break;
    case 440: *k = {1, 0, 0, 191}; break;                // user element files 1..20
    default: return 0;
  }
  return k->kind;
}

class GfxStoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Fio_InitBuffers(); }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    Gfx_SetKindQuery(TestKinds);
    Disp_ResetOptions();
    Disp_SetSingleFileGfx(0);
#ifndef _WIN32
    Disp_SetNativeScreen(32, 0);
#endif
    Msg_ResetLast();
  }
  void TearDown() override {
    Gfx_Free();
    Gfx_SetKindQuery(nullptr);
    Disp_ResetOptions();
    EXPECT_FALSE(Fio_IsReadOpen());
  }
  wstr folder;
  GfxFixture fx;
};

// ---------------------------------------------------------------- tables

TEST(GfxSlots, PictureCodesMapByTheirRanges) {
  struct Case {
    GraphicCode code;
    i32 slot;
  } cases[] = {
      {49151, -1}, {49152, 1808}, {49158, 1814}, {49159, -1}, {49408, 1488}, {49487, 1567}, {50452, 1470},
      {53248, 90}, {53760, 0},    {53849, 89},   {54713, 691}, {55296, 1172}, {55313, 1189}, {55314, -1},
      {55551, -1}, {55552, 3863}, {55552 + 90 * 3 + 7, 3863 + 90 * 3 + 7}, {65451, 13762}, {65452, -1}, {65535, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.slot, Gfx_UserCodeSlot(c.code)) << c.code;
}

TEST(GfxSlots, ElementCodesByClassAndVisibility) {
  Gfx_SetKindQuery(TestKinds);
  Disp_ResetOptions();
  struct Case {
    const char* what;
    GraphicCode code;
    i32 state;
    int optH, optLwx;
    i32 slot;
  } cases[] = {
      {"shape below 96", 95, 0, 1, 1, -1},
      {"shape 96 class 0", 96, 0, 1, 1, 1815 + 96},
      {"class 1", 4096 + 300, 0, 1, 1, 512 + 1815 + 300},
      {"class 2", 7168 + 511, 0, 1, 1, 1024 + 1815 + 511},
      {"class 3 last", 8192 + 511, 0, 1, 1, 3862},
      {"between classes", 6144 + 200, 0, 1, 1, 1815 + 200},
      {"picture code", 16384, 0, 1, 1, -1},
      {"10-state signal with H", 202, 0, 1, 1, 1815 + 202},
      {"10-state signal without H", 202, 0, 0, 1, -1},
      {"hidden kind with Lwx", 204, 0, 1, 1, 1815 + 204},
      {"hidden kind without Lwx", 204, 0, 1, 0, -1},
      {"turnout state 99", 203, 99, 1, 1, 1815 + 203},
      {"turnout state 100", 203, 100, 1, 1, -1},
      {"kind with states at 241", 200, 241, 1, 1, 1815 + 200},
      {"kind with states at 242", 200, 242, 1, 1, -1},
      {"kind 4 at 242", 201, 242, 1, 1, 1815 + 201},
      {"no kind at 300", 128, 300, 1, 1, 1815 + 128},
  };
  for (const Case& c : cases) {
    Disp_SetOptH(c.optH);
    Disp_SetOptLwx(c.optLwx);
    EXPECT_EQ(c.slot, Gfx_ElementSlot(c.code, c.state)) << c.what;
  }
  Disp_ResetOptions();
  Gfx_SetKindQuery(nullptr);
}

TEST(GfxSlots, VariantIndexByKind) {
  Gfx_SetKindQuery(TestKinds);
  struct Case {
    GraphicCode code;
    i32 state, variant, canonical;
  } cases[] = {
      {200, 0, 0, 0}, {200, 2, 0, 0}, {200, 3, 1, 3},     {200, 8, 2, 6},     {201, 3, 1, 2},
      {201, 4, 2, 4}, {200, 242, 242, 242}, {202, 242, 80, 240}, {128, 5, 0, 0},
  };
  for (const Case& c : cases) {
    i32 canon = -1;
    EXPECT_EQ(c.variant, Gfx_ElementVariantIndex(c.code, c.state, &canon)) << c.code << "/" << c.state;
    EXPECT_EQ(c.canonical, canon) << c.code << "/" << c.state;
  }
  EXPECT_EQ(1, Gfx_CodeClass(4096));
  EXPECT_EQ(0, Gfx_CodeClass(6144));
  EXPECT_EQ(2, Gfx_CodeClass(8191));
  EXPECT_EQ(3, Gfx_CodeClass(12799));
  EXPECT_EQ(0, Gfx_CodeClass(12800));
  Gfx_SetKindQuery(nullptr);
}

TEST(GfxSlots, SingleFileNames) {
  struct Case {
    GraphicCode code;
    i32 state, sub, zoom, variant;
    const char* name;
    int result;
  } cases[] = {
      {128, 0, 0, 1, 0, "s128-000.gz1", 0},
      {4096 + 5 + 256, 12, 2, 4, 0, "t261-012b.gz4", 0},
      {7168 + 300, 0, 0, 2, 3, "h300-03-000.gz2", 0},
      {8192 + 99 + 0x4000 - 0x4000, 1, 4, 0, 0, "b099-001d", 0},
      {51200, 0, 1, 1, 0, "051200a.gz1", 0},
      {53760, 0, 0, 2, 12, "053760-12.gz2", 0},
      {55552 + 90 * 2 + 5, 0, 0, 1, 0, "u05-002.uz1", 3},
      {55552 + 17, 0, 3, 4, 1, "u17-01c-000.uz4", 3},
      {128, 0, 5, 1, 0, "", 2},
      {128, 0, 0, 1, 100, "", 2},
  };
  for (const Case& c : cases) {
    wch name[OS_MAX_PATH];
    EXPECT_EQ(c.result, Gfx_ElementFileName(c.code, c.state, c.sub, c.zoom, name, c.variant)) << c.name;
    EXPECT_EQ(W16(c.name), wstr(name));
  }
}

// ---------------------------------------------------------------- start-up

TEST_F(GfxStoreTest, InitOnCompleteFilesIsReady) {
  ASSERT_EQ(0, fx.Write(0, 1));
  ASSERT_EQ(Ready(), Gfx_Init());
  EXPECT_EQ(1, Gfx_GetZoomSet());
  for (VehicleId id : kRequiredVehicleSets) EXPECT_TRUE(Gfx_IsVehicleSetCached(id)) << id;
  EXPECT_EQ(48u, Gfx_GetVehicleLength(kRequiredVehicleSets[0]));
  EXPECT_EQ(1u, Gfx_GetVehicleFlags(kRequiredVehicleSets[0] | 1)) << "file bit 6 -> record flag 1";
  // The strip: 8-bit block byte 7 -> number 34 -> its colour; planar 255 transparent.
  const u32* p0 = Gfx_BasePicture(0);
  ASSERT_NE(nullptr, p0);
  EXPECT_EQ(Pal_ColourCodeToBgr(34), p0[0]);
  EXPECT_EQ(Pal_ColourCodeToBgr(144), p0[1]);
  const u32* p = Gfx_BasePicture(144 + 9);  // (n + row + col) % 9 == 0 at row 0 col 0
  EXPECT_EQ(0x80000001u, p[0]);
  // Element pictures at zoom 1.
  const GfxBlock* b = Gfx_GetElementBitmap(49154, 0, 0, 1, 0);
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(32, b->width);
  EXPECT_EQ(24, b->height);
  EXPECT_EQ(nullptr, Gfx_GetElementBitmap(49154, 0, 0, 2, 0)) << "zoom 2 is not loaded";
  EXPECT_EQ(2, Gfx_GetElementVariantCount(53760));
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(53760, 0, 0, 1, 1));
  EXPECT_EQ(nullptr, Gfx_GetElementBitmap(53760, 0, 0, 1, 2));
  EXPECT_EQ(2, Gfx_GetSubPictureCount(51200, 0));
  EXPECT_EQ(0, Gfx_GetSubPictureCount(49154, 0));
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(51200, 0, 2, 1, 0));
  EXPECT_EQ(Gfx_GetElementBitmap(51200, 0, 1, 1, 0), Gfx_GetElementBitmap(51200, 0, 4, 1, 0))
      << "a sub-picture beyond the count falls back to the first";
  EXPECT_EQ(nullptr, Gfx_GetElementBitmap(51200, 0, 5, 1, 0));
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(128, 0, 0, 1, 0));
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(4096 + 130, 0, 0, 1, 0));
  // Placement: the zoom-1 box spreads to zoom 2 and 4.
  const GfxSubPicture* sp = Gfx_GetSubPicture(128, 0, 0, 0);
  ASSERT_NE(nullptr, sp);
  EXPECT_EQ(1, sp->box[0][0]);
  EXPECT_EQ(20, sp->box[0][2]);
  EXPECT_EQ(2, sp->box[1][0]);
  EXPECT_EQ(39, sp->box[1][2]);
  EXPECT_EQ(47, sp->box[2][3]);
  EXPECT_EQ(8, sp->offsets[0][0]);
  EXPECT_EQ(wstr(u"Test"), wstr(sp->name[0]));
  // User graphic placeholders: 30 x 8 with a label.
  const GfxBlock* u = Gfx_GetElementBitmap(55552 + 5, 0, 0, 1, 0);
  ASSERT_NE(nullptr, u);
  EXPECT_EQ(30, u->width);
  EXPECT_EQ(8, u->height);
  int inked = 0;
  for (int i = 0; i < 240; ++i) inked += u->pixels[i] != GFX_TRANSPARENT;
  EXPECT_GT(inked, 20);
  EXPECT_EQ(0u, Msg_Count()) << "no message on complete files";
}

// Smoke and clock of a record from its placement block and offsets (the
// fixture's records: kind 7, offsets 8, -4, 16, box 1, 2, 20, 12, value 3,
// kept 5 and 6); placeholders have neither.
TEST_F(GfxStoreTest, SmokeAndClockFieldsOfARecord) {
  ASSERT_EQ(0, fx.Write(0, 1));
  ASSERT_EQ(Ready(), Gfx_Init());
  GfxEffects e;
  ASSERT_EQ(1, Gfx_PictureEffects(Gfx_GetSubPicture(128, 0, 0, 0), &e));
  EXPECT_EQ(1, e.smoke);
  EXPECT_EQ(1, e.lightSmoke);
  EXPECT_EQ(2, e.smokeX) << "zoom-4 scale: a quarter of 8";
  EXPECT_EQ(-1, e.smokeY);
  EXPECT_EQ(4, e.smokeWidth);
  EXPECT_EQ(1, e.clock);
  EXPECT_EQ(3, e.clockLayer);
  EXPECT_EQ(0, e.clockFlags);
  EXPECT_EQ(5u, e.handA);
  EXPECT_EQ(6u, e.handB);
  const int x[3] = {1, 2, 4}, y[3] = {2, 4, 8}, size[3] = {19, 38, 76};
  for (int zi = 0; zi < 3; ++zi) {
    EXPECT_EQ(x[zi], e.clockX[zi]) << zi;
    EXPECT_EQ(y[zi], e.clockY[zi]) << zi;
    EXPECT_EQ(size[zi], e.clockSize[zi]) << "the box spread from zoom 1 keeps its size, zoom index " << zi;
  }
  EXPECT_EQ(0, Gfx_PictureEffects(Gfx_GetSubPicture(55552 + 3, 0, 0, 0), &e)) << "a placeholder";
  EXPECT_EQ(0, e.smoke + e.clock);
  EXPECT_EQ(0, Gfx_PictureEffects(nullptr, &e));
}

TEST_F(GfxStoreTest, PictureVariantByCellParity) {
  ASSERT_EQ(0, fx.Write(0, 1));
  ASSERT_EQ(Ready(), Gfx_Init());
  struct {
    i32 x, y;
    u32 code;
    i32 variant;
  } cases[] = {
      {2, 4, 51200, 1}, {3, 4, 51200, 2}, {2, 5, 51200, 5 - 3}, {3, 5, 51200, 5 - 4},  // two pictures
      {3, 5, 49152, 4}, {2, 5, 49152, 3},  // the empty cell: parity as it stands
      {3, 5, 49154, 0},                    // one picture
      {3, 5, 128, 0},   {3, 5, 70000, 0}, {3, 5, 0xC3FF, 0},
  };
  for (auto& c : cases)
    EXPECT_EQ(c.variant, Map_CellPictureVariant(c.x, c.y, c.code)) << c.code << " " << c.x << "," << c.y;
}

TEST_F(GfxStoreTest, EveryStatesPictureIsLoadedNotOnlyStateZeros) {
  ASSERT_EQ(0, fx.Write(0, 1));
  ASSERT_EQ(Ready(), Gfx_Init());
  // Shape 200: states 0, 3 and 6 open the three variants.
  EXPECT_EQ(3, Gfx_GetElementVariantCount(200));
  const GfxBlock* v[3];
  for (int i = 0; i < 3; ++i) {
    v[i] = Gfx_GetElementBitmap(200, 3 * i + 1, 0, 1, 0);
    ASSERT_NE(nullptr, v[i]) << "variant " << i;
  }
  EXPECT_NE(0, memcmp(v[0]->pixels, v[1]->pixels, 32 * 24 * 4)) << "each state shows its own picture";
  EXPECT_NE(0, memcmp(v[1]->pixels, v[2]->pixels, 32 * 24 * 4));
}

TEST_F(GfxStoreTest, InitResultsOfMissingOrDamagedFiles) {
  struct Case {
    const char* what;
    std::function<void(const wstr&)> damage;
    int result;
  } cases[] = {
      {"no orba.gzg", [](const wstr& f) { Os_Remove((f + u"orba.gzg").c_str()); }, GFX_INIT_NO_BASE},
      {"orba.gzg cut short",
       [](const wstr& f) {
         std::vector<u8> b = Test_ReadFile(f + u"orba.gzg");
         b.resize(b.size() / 2);
         Test_WriteFile(f + u"orba.gzg", b);
       },
       GFX_INIT_BAD_BASE},
      {"orba.gzg that holds no base pictures",
       [](const wstr& f) { Test_WriteFile(f + u"orba.gzg", std::vector<u8>(100, 'x')); }, GFX_INIT_BAD_BASE},
      // The blocks stand from the first byte: a text header before them
      // (the form of the combined files) is no base file.
      {"orba.gzg with a text header",
       [](const wstr& f) {
         std::vector<u8> b = Test_ReadFile(f + u"orba.gzg");
         const char head[] = "Base pictures\r\n\x1a";
         b.insert(b.begin(), head, head + sizeof head - 1);
         Test_WriteFile(f + u"orba.gzg", b);
       },
       GFX_INIT_BAD_BASE},
      {"no orba.fzg", [](const wstr& f) { Os_Remove((f + u"orba.fzg").c_str()); }, GFX_INIT_NO_VEHICLES},
      {"damaged element record",
       [](const wstr&) {
         GfxFixture f;
         GfxElementRecord r = f.Record(1, 1, 8, 8);
         r.pictures[0].layer = 9;
         GfxCombinedEntry e = {128, 0, 0, 0, nullptr, &r};
         GfxFile_SaveCombined(u"orba.fw1", FOLDER_PROGRAM, nullptr, "GZX", 1, &e, 1);
       },
       GFX_INIT_NO_MEMORY},
      {"no combined element files: pictures stay absent",
       [](const wstr& f) {
         Os_Remove((f + u"orba.fx1").c_str());
         Os_Remove((f + u"orba.fw1").c_str());
       },
       -1},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, fx.Write(0, 1)) << c.what;
    c.damage(folder);
    Msg_ResetLast();
    EXPECT_EQ(c.result < 0 ? Ready() : c.result, Gfx_Init()) << c.what;
    EXPECT_FALSE(Fio_IsReadOpen()) << c.what;
    Gfx_Free();
  }
}

TEST_F(GfxStoreTest, MissingLastRequiredSetGivesFourAfterTheOthers) {
  ASSERT_EQ(0, fx.Write(0, 1, 6256));
  EXPECT_EQ(GFX_INIT_NO_VEHICLES, Gfx_Init());
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[i])) << i;
  EXPECT_FALSE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[8]));
  EXPECT_EQ(624u, Msg_LastNumber()) << "the failed standard set is reported";
}

#ifndef _WIN32
TEST_F(GfxStoreTest, LowColourScreenCompletesAndGivesSix) {
  ASSERT_EQ(0, fx.Write(0, 1));
  Disp_SetNativeScreen(8, 1);
  EXPECT_EQ(GFX_INIT_LOW_COLOUR, Gfx_Init());
  EXPECT_TRUE(Gfx_IsVehicleSetCached(kRequiredVehicleSets[8]));
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(128, 0, 0, 1, 0));
  Gfx_Free();
  Disp_SetNativeScreen(16, 1);
  EXPECT_EQ(GFX_INIT_LOW_COLOUR, Gfx_Init()) << "a palette screen counts too";
}
#endif

TEST_F(GfxStoreTest, ZoomSetRaisesAndLowers) {
  ASSERT_EQ(0, fx.Write(0, 1 | 2 | 4));
  ASSERT_EQ(Ready(), Gfx_Init());
  EXPECT_EQ(2, Gfx_SetZoomSet(3, 0));
  EXPECT_EQ(1, Gfx_GetZoomSet());
  EXPECT_EQ(0, Gfx_SetZoomSet(4, 0));
  EXPECT_EQ(4, Gfx_GetZoomSet());
  for (int z : {2, 4}) {
    const GfxBlock* b = Gfx_GetElementBitmap(49154, 0, 0, z, 0);
    ASSERT_NE(nullptr, b) << z;
    EXPECT_EQ(32 * z, b->width);
    EXPECT_NE(nullptr, Gfx_GetElementBitmap(200, 7, 0, z, 0)) << z;
    EXPECT_NE(nullptr, Gfx_GetVehicleZoomData(kRequiredVehicleSets[3] | 1, z)) << z;
  }
  const GfxSubPicture* sp = Gfx_GetSubPicture(128, 0, 0, 0);
  EXPECT_EQ(1, sp->box[1][0]) << "each zoom's record brings its own box";
  EXPECT_EQ(20, sp->box[2][2]);
  EXPECT_EQ(4, sp->offsets[1][0]);
  EXPECT_EQ(2, sp->offsets[2][0]);
  EXPECT_EQ(0, Gfx_SetZoomSet(1, 0));
  for (int z : {2, 4}) {
    EXPECT_EQ(nullptr, Gfx_GetElementBitmap(49154, 0, 0, z, 0)) << z;
    EXPECT_EQ(nullptr, Gfx_GetVehicleZoomData(kRequiredVehicleSets[3] | 1, z)) << z;
  }
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(49154, 0, 0, 1, 0));
  // A set loaded while the zoom set is 2 comes with its zoom-2 pictures.
  EXPECT_EQ(0, Gfx_SetZoomSet(2, 0));
  Gfx_FreeVehicleSet(kRequiredVehicleSets[2], 0);
  EXPECT_EQ(0, Gfx_LoadVehicleSet(kRequiredVehicleSets[2], 0));
  EXPECT_NE(nullptr, Gfx_GetVehicleZoomData(kRequiredVehicleSets[2], 2));
  EXPECT_EQ(nullptr, Gfx_GetVehicleZoomData(kRequiredVehicleSets[2], 4));
}

TEST_F(GfxStoreTest, SingleFilesComeFirstWhenAsked) {
  ASSERT_EQ(0, fx.Write(0, 1));
  Os_CreateFolder((folder + u"zoom1f").c_str());
  GfxElementRecord rec = fx.Record(1, 99, 10, 5);
  ASSERT_EQ(0, GfxFile_SaveSingleElement(u"049154.gz1", FOLDER_ZOOM1F, "single\r\n", &rec));
  Disp_SetSingleFileGfx(1);
  ASSERT_EQ(Ready(), Gfx_Init());
  const GfxBlock* b = Gfx_GetElementBitmap(49154, 0, 0, 1, 0);
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(10, b->width) << "the single file stands in front of the combined file";
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(128, 0, 0, 1, 0)) << "others still come from the combined file";
  Gfx_Free();
  Disp_SetSingleFileGfx(0);
  ASSERT_EQ(Ready(), Gfx_Init());
  EXPECT_EQ(32, Gfx_GetElementBitmap(49154, 0, 0, 1, 0)->width);
}

TEST_F(GfxStoreTest, UserGraphicSetImport) {
  ASSERT_EQ(0, fx.Write(0, 1));
  ASSERT_EQ(Ready(), Gfx_Init());
  EXPECT_EQ(11, Gfx_ImportUserGraphicSet(110, u"x.uz1"));
  EXPECT_EQ(11, Gfx_ImportUserGraphicSet(-1, u"x.uz1"));
  EXPECT_EQ(3, Gfx_ImportUserGraphicSet(4, u""));
  // Set 4's single files in their own folder.
  wstr dir = folder + u"set4";
  Os_CreateFolder(dir.c_str());
  dir += folder.back();
  GfxElementRecord rec = fx.Record(1, 5, 12, 6);
  wch name[OS_MAX_PATH];
  const GraphicCode code = 55552 + 4 * 90 + 7;
  ASSERT_EQ(3, Gfx_ElementFileName(code, 0, 0, 1, name, 0));
  // With the set's folder configured the name has no set number.
  ASSERT_EQ(0, Test_WriteFile(dir + u"list.uz1", {1}) ? 0 : 1);
  ASSERT_EQ(0, GfxFile_SaveSingleElement((dir + u"u07.uz1").c_str(), FOLDER_FULLPATH, nullptr, &rec));
  EXPECT_EQ(0, Gfx_ImportUserGraphicSet(4, (dir + u"list.UZ1").c_str()));
  ASSERT_EQ(1, Gfx_ElementFileName(code, 0, 0, 1, name, 0));
  EXPECT_EQ(wstr(u"u07.uz1"), wstr(name));
  const GfxBlock* b = Gfx_GetElementBitmap(code, 0, 0, 1, 0);
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(12, b->width);
  EXPECT_EQ(30, Gfx_GetElementBitmap(code + 1, 0, 0, 1, 0)->width) << "records not found keep the placeholder";
  // A folder without any record: placeholders again, 3.
  wstr empty = folder + u"empty";
  Os_CreateFolder(empty.c_str());
  EXPECT_EQ(3, Gfx_ImportUserGraphicSet(4, (empty + folder.back() + u"a.uz1").c_str()));
  EXPECT_EQ(30, Gfx_GetElementBitmap(code, 0, 0, 1, 0)->width);
  EXPECT_EQ(wstr(), wstr(Gfx_UserSetFolder(4)));
}

TEST_F(GfxStoreTest, OneRecordReadAgain) {
  ASSERT_EQ(0, fx.Write(0, 1));
  ASSERT_EQ(Ready(), Gfx_Init());
  EXPECT_EQ(GFXR_BAD_SUBPICTURE, Gfx_ReadElementRecord(128, 0, 5, 0, 1, 0));
  EXPECT_EQ(GFXR_BAD_VARIANT, Gfx_ReadElementRecord(53760, 0, 0, 0, 1, 100));
  EXPECT_EQ(GFXR_NO_SLOT, Gfx_ReadElementRecord(95, 0, 0, 0, 1, 0));
  EXPECT_EQ(GFXR_NO_SLOT, Gfx_ReadElementRecord(55551, 0, 0, 0, 1, 0));
  EXPECT_EQ(GFXR_NOT_PRESENT, Gfx_ReadElementRecord(128, 0, 0, 1, 1, 0)) << "single file only, none there";
  EXPECT_EQ(0, Gfx_ReadElementRecord(128, 0, 0, 0, 1, 0)) << "from the combined file";
  Os_CreateFolder((folder + u"zoom1f").c_str());
  GfxElementRecord rec = fx.Record(1, 42, 6, 3);
  ASSERT_EQ(0, GfxFile_SaveSingleElement(u"s128-000.gz1", FOLDER_ZOOM1F, nullptr, &rec));
  EXPECT_EQ(0, Gfx_ReadElementRecord(128, 0, 0, 1, 1, 0));
  EXPECT_EQ(6, Gfx_GetElementBitmap(128, 0, 0, 1, 0)->width) << "the edited picture replaces the old one";
}

TEST_F(GfxStoreTest, UserElementFileImport) {
  ASSERT_EQ(0, fx.Write(0, 1));
  ASSERT_EQ(Ready(), Gfx_Init());
  const GfxBlock* ph = Gfx_GetElementBitmap(440, 75, 0, 1, 0);
  ASSERT_NE(nullptr, ph) << "file 1's states have placeholders";
  EXPECT_EQ(30, ph->width);
  EXPECT_EQ(11, Gfx_ImportUserElementFile(0, u"a.uz1"));
  EXPECT_EQ(11, Gfx_ImportUserElementFile(61, u"a.uz1"));
  EXPECT_EQ(3, Gfx_ImportUserElementFile(1, u""));
  EXPECT_EQ(12, Gfx_ImportUserElementFile(1, u"a.bmp"));
  wstr dir = folder + u"elements";
  Os_CreateFolder(dir.c_str());
  dir += folder.back();
  EXPECT_EQ(3, Gfx_ImportUserElementFile(1, (dir + u"a.uz1").c_str())) << "no record at all";
  wch name[OS_MAX_PATH];
  EXPECT_EQ(3, Gfx_ElementFileName(440, 72, 0, 1, name, 0));
  EXPECT_EQ(wstr(u"u00-000.uz1"), wstr(name));
  GfxElementRecord rec = fx.Record(1, 4, 14, 9);
  ASSERT_EQ(0, GfxFile_SaveSingleElement((dir + u"u00.uz1").c_str(), FOLDER_FULLPATH, nullptr, &rec));
  EXPECT_EQ(0, Gfx_ImportUserElementFile(1, (dir + u"a.uz1").c_str()));
  EXPECT_EQ(1, Gfx_ElementFileName(440, 75, 0, 1, name, 0));
  EXPECT_EQ(wstr(u"u03.uz1"), wstr(name));
  EXPECT_EQ(14, Gfx_GetElementBitmap(440, 73, 0, 1, 0)->width);
  EXPECT_EQ(30, Gfx_GetElementBitmap(440, 76, 0, 1, 0)->width) << "a state without its file keeps the placeholder";
  // Raising the zoom set brings the file's zoom-2 pictures along.
  GfxElementRecord rec2 = fx.Record(2, 4, 28, 18);
  ASSERT_EQ(0, GfxFile_SaveSingleElement((dir + u"u00.uz2").c_str(), FOLDER_FULLPATH, nullptr, &rec2));
  EXPECT_EQ(0, Gfx_SetZoomSet(2, 0));
  ASSERT_NE(nullptr, Gfx_GetElementBitmap(440, 72, 0, 2, 0));
  EXPECT_EQ(28, Gfx_GetElementBitmap(440, 72, 0, 2, 0)->width);
}

// The files the build generates (tools/gfxgen) start the store with every
// zoom set and without a message.
TEST_F(GfxStoreTest, GeneratedFilesStartTheStore) {
  const wstr data = Test_DataFolder();
  if (!Test_FileExists(data + u"orba.gzg")) GTEST_SKIP() << "no generated graphics files in this build";
  Fio_SetFolderPath(FOLDER_PROGRAM, data.c_str());
  Gfx_SetKindQuery(nullptr);
  ASSERT_EQ(Ready(), Gfx_Init());
  for (VehicleId id : kRequiredVehicleSets) EXPECT_TRUE(Gfx_IsVehicleSetCached(id)) << id;
  EXPECT_EQ(0, Gfx_SetZoomSet(4, 0));
  EXPECT_EQ(0u, Msg_Count()) << "every record and vehicle picture read";
  EXPECT_NE(nullptr, Gfx_GetElementBitmap(49154, 0, 0, 4, 0));
  EXPECT_NE(nullptr, Gfx_GetVehicleZoomData(kRequiredVehicleSets[0], 4));
  Fio_SetFolderPath(FOLDER_PROGRAM, folder.c_str());
}

TEST_F(GfxStoreTest, LookupsWithoutAStoreGiveNothing) {
  EXPECT_EQ(nullptr, Gfx_GetElementBitmap(128, 0, 0, 1, 0));
  EXPECT_EQ(0, Gfx_GetElementVariantCount(49154));
  EXPECT_EQ(nullptr, Gfx_BasePicture(0));
  ASSERT_EQ(0, Gfx_AllocElementTable());
  EXPECT_EQ(nullptr, Gfx_GetElementBitmap(128, 0, 0, 1, 0));
  EXPECT_EQ(nullptr, Gfx_GetElementBitmap(55552, 0, 0, 1, -1));
  EXPECT_EQ(49152u, Gfx_ElementDisplayCode(16384, 0));
  EXPECT_EQ(49152u, Gfx_ElementDisplayCode(200, 9)) << "a state the family does not have";
  EXPECT_EQ(161u + 4096, Gfx_ElementDisplayCode(4096 + 201, 0));
}

}  // namespace

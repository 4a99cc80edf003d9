// A complete set of graphics files written through the format library, for
// the graphics store's tests and benchmark: "orba.gzg", the combined element
// files of the chosen zooms, "orba.fzg" with the nine required vehicle sets
// and the vehicle zoom files. Small by default; "full" writes a record for
// every picture code and every element shape at realistic picture sizes.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fio.h"
#include "render/gfxfile.h"
#include "render/vehicles.h"

struct GfxFixture {
  std::vector<std::vector<u32>> pixels;  // keeps every picture alive while writing

  u32* Pixels(u32 n, u32 seed) {
    pixels.emplace_back(n);
    std::vector<u32>& p = pixels.back();
    for (u32 i = 0; i < n; ++i) {
      // Runs of a few equal pixels and some transparent stretches, like drawn
      // pictures.
      u32 k = i / 6 + seed;
      p[i] = (k % 7 == 0) ? GFX_TRANSPARENT : (0x00102030u + (k % 11) * 0x00111111u) & 0x00FFFFFFu;
    }
    return p.data();
  }

  // A record with `pictures` layered pictures of w x h at the given zoom.
  GfxElementRecord Record(int zoom, u32 seed, i16 w, i16 h, int pictures = 1) {
    GfxElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.zoom = u8(zoom);
    r.versionHalf = 3;
    r.flags = 2 | 4;
    r.offsets[0] = 8;
    r.offsets[1] = -4;
    r.offsets[2] = 16;
    r.placeKind = 7;
    r.box[0] = 1;
    r.box[1] = 2;
    r.box[2] = 20;
    r.box[3] = 12;
    r.placeValue = 3;
    r.kept[0] = 5;
    r.kept[1] = 6;
    r.nameForm = GFX_NAME_UTF16LE;
    const char* n = "Test";
    for (int i = 0; n[i]; ++i) r.name[i] = wch(n[i]);
    r.count = u16(pictures);
    for (int i = 0; i < pictures; ++i) {
      GfxPicture& p = r.pictures[i];
      p.layer = i16(i + 1);
      p.x = 0;
      p.y = 0;
      p.width = w;
      p.height = h;
      p.pixels = Pixels(u32(w) * u32(h), seed + u32(i) * 3);
    }
    return r;
  }

  static void BaseFile(GfxBaseFile* f) {
    std::memset(f, 0, sizeof *f);
    f->eightBit[0] = 1;
    for (int n = 0; n < GFX_BASE_PICTURES; ++n)
      for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 8; ++col)
          f->pixels[n][row][col] = n < GFX_BASE_PER_BLOCK ? u8((row + col) % 8 == 0 ? 7 : 1)
                                                          : u8((n + row + col) % 9 == 0 ? 255 : (n + row) % 16);
  }

  // Vehicle set `number` with two vehicles.
  GfxVehicleSet VehicleSet(u16 number) {
    GfxVehicleSet s;
    std::memset(&s, 0, sizeof s);
    s.number = number;
    s.count = 2;
    s.flags = 1;
    s.textNumber = 5600 + number % 100;
    for (int i = 0; i < 2; ++i) {
      GfxVehicle& v = s.vehicles[i];
      v.index = u8(i);
      v.length = u16(48 + 16 * i);
      v.a = 10;
      v.b = 8;
      v.c = 9;
      v.flags = i ? (1u << 6) : 0;
      v.markerCount = 1;
      v.markers[0] = GfxVehicleMarker{4, 6, 1};
      v.pixelCount = GfxFile_VehiclePixelCount(v.length, v.a, v.b, v.c, v.flags);
      v.pixels = Pixels(v.pixelCount, number + u32(i));
    }
    return s;
  }

  GfxVehicleZoom VehicleZoom(u32 id, const GfxVehicle& v, int zoom) {
    GfxVehicleZoom z;
    std::memset(&z, 0, sizeof z);
    z.id = id;
    z.zoom = u8(zoom);
    z.version = 901;
    z.versionHalf = 0;
    z.flags = 2;
    z.length = u16(v.length * zoom);
    z.a = u16(v.a * zoom);
    z.b = u16(v.b * zoom);
    z.c = u16(v.c * zoom);
    z.pixelCount = GfxFile_VehicleZoomPixelCount(&z, v.flags);
    z.pixels = Pixels(z.pixelCount, id);
    return z;
  }

  // Writes the files into the program folder. full: every picture code and
  // every element shape; else a handful. zoomMask: bits 1, 2, 4 for the
  // element and vehicle zoom files. skipSet: a required set left out of
  // "orba.fzg" (0 none). 0 ok.
  int Write(int full, int zoomMask, u16 skipSet = 0) {
    int r;
    GfxBaseFile* base = new GfxBaseFile;
    BaseFile(base);
    r = GfxFile_SaveBase(u"orba.gzg", FOLDER_PROGRAM, base);
    delete base;
    if (r) return r;
    for (int zoom = 1; zoom <= 4; zoom *= 2) {
      if (!(zoomMask & zoom)) continue;
      std::vector<GfxElementRecord> recs;
      std::vector<GfxCombinedEntry> fx, fw;
      recs.reserve(8000);
      // Full sets: one cell per picture (32 x 16 at zoom 1), the size of most
      // element pictures; the small set reaches into the cell above.
      const i16 w = i16(32 * zoom), h = i16((full ? 16 : 24) * zoom);
      if (full) {
        static const u32 kRanges[][2] = {
            {49154, 49158}, {49408, 49487}, {49664, 49743}, {49920, 49999}, {50176, 50255}, {50452, 50469},
            {50688, 50701}, {50944, 50981}, {51200, 51343}, {51456, 51463}, {51712, 51721}, {51968, 52077},
            {52224, 52293}, {52480, 52679}, {52736, 52761}, {52992, 53065}, {53248, 53253}, {53504, 53605},
            {53760, 53849}, {54016, 54177}, {54272, 54417}, {54528, 54713}, {54784, 54831}, {55040, 55057},
            {55296, 55313}};
        for (const auto& rg : kRanges)
          for (u32 code = rg[0]; code <= rg[1]; ++code) {
            recs.push_back(Record(zoom, code, w, h, 1 + int(code % 2)));
            fx.push_back(GfxCombinedEntry{code, 0, 0, 0, nullptr, nullptr});
          }
        static const u16 kShapes[][2] = {{128, 135}, {136, 151}, {152, 159}, {160, 167}, {168, 175}, {176, 183},
                                         {184, 191}, {192, 199}, {200, 207}, {208, 210}, {216, 255}, {256, 259},
                                         {260, 263}, {264, 271}, {392, 399}, {400, 423}, {424, 439}, {440, 455},
                                         {456, 471}, {496, 503}, {504, 511}};
        for (u32 classBase : {0u, 4096u, 7168u, 8192u})
          for (const auto& rg : kShapes)
            for (u32 shape = rg[0]; shape <= rg[1]; ++shape) {
              recs.push_back(Record(zoom, classBase + shape, w, h, 2));
              fw.push_back(GfxCombinedEntry{classBase + shape, 0, 0, 0, nullptr, nullptr});
            }
      } else {
        recs.push_back(Record(zoom, 1, w, h));
        fx.push_back(GfxCombinedEntry{49154, 0, 0, 0, "049154.gz", nullptr});
        recs.push_back(Record(zoom, 2, w, h, 2));
        fx.push_back(GfxCombinedEntry{51200, 0, 1, 0, "051200a", nullptr});
        recs.push_back(Record(zoom, 3, w, h));
        fx.push_back(GfxCombinedEntry{51200, 0, 2, 0, "051200b", nullptr});
        recs.push_back(Record(zoom, 4, w, h));
        fx.push_back(GfxCombinedEntry{53760, 0, 0, 0, nullptr, nullptr});
        recs.push_back(Record(zoom, 5, w, h));
        fx.push_back(GfxCombinedEntry{53760, 0, 0, 1, nullptr, nullptr});
        recs.push_back(Record(zoom, 6, w, h));
        fw.push_back(GfxCombinedEntry{128, 0, 0, 0, "s128-000", nullptr});
        // Shape 200 has states (the tests' kind query): three variants.
        for (u32 state : {0u, 3u, 6u}) {
          recs.push_back(Record(zoom, 10 + state, w, h));
          fw.push_back(GfxCombinedEntry{200, state, 0, 0, nullptr, nullptr});
        }
        recs.push_back(Record(zoom, 7, w, h));
        fw.push_back(GfxCombinedEntry{4096 + 130, 0, 0, 0, nullptr, nullptr});
      }
      size_t k = 0;
      for (GfxCombinedEntry& e : fx) e.record = &recs[k++];
      for (GfxCombinedEntry& e : fw) e.record = &recs[k++];
      wch name[16] = u"orba.fx1";
      name[7] = wch('0' + zoom);
      if ((r = GfxFile_SaveCombined(name, FOLDER_PROGRAM, "Test pictures\r\n", "GZX", zoom, fx.data(),
                                    u32(fx.size()))) != 0)
        return r;
      name[6] = u'w';
      if ((r = GfxFile_SaveCombined(name, FOLDER_PROGRAM, "Test elements\r\n", "GZX", zoom, fw.data(),
                                    u32(fw.size()))) != 0)
        return r;
      pixels.clear();
    }
    std::vector<GfxVehicleSet> sets;
    for (VehicleId id : kRequiredVehicleSets)
      if (u16(id >> 4) != skipSet) sets.push_back(VehicleSet(u16(id >> 4)));
    if ((r = GfxFile_SaveVehicleFile(u"orba.fzg", FOLDER_PROGRAM, sets.data(), u32(sets.size()), 0,
                                     GFX_FZG_CURRENT)) != 0)
      return r;
    for (int zoom = 2; zoom <= 4; zoom *= 2) {
      if (!(zoomMask & zoom)) continue;
      std::vector<GfxVehicleZoom> zs;
      std::vector<GfxVehicleSet> sorted = sets;
      for (const GfxVehicleSet& s : sorted)
        for (u32 i = 0; i < s.count; ++i) zs.push_back(VehicleZoom(u32(s.number) << 4 | i, s.vehicles[i], zoom));
      std::sort(zs.begin(), zs.end(), [](const GfxVehicleZoom& a, const GfxVehicleZoom& b) { return a.id < b.id; });
      if ((r = GfxFile_SaveVehicleZoomFile(zoom == 2 ? u"orba.fz2" : u"orba.fz4", FOLDER_PROGRAM, zoom, zs.data(),
                                           u32(zs.size()))) != 0)
        return r;
    }
    pixels.clear();
    return 0;
  }
};

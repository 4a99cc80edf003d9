// Vehicles: the catalogue of vehicle sets (the nine sets the program needs
// at start and the further sets a user would want) and the drawing of every
// vehicle in its views at zoom 1, 2 and 4.
//
// Owns: the set and vehicle records of the catalogue and the view drawings.
//
// Promises: every vehicle's values lie inside the file's limits (length
// 8..256 and even, side height 2..14, width 4..16, end height 2..14); the
// pixels of a vehicle come in the order of the vehicle file (two side views,
// a top view column by column, an end view, a second top view, a second end
// view) at the zoom asked, each view drawn at that zoom's resolution.
#pragma once
#include <vector>

#include "platform/types.h"
#include "render/gfxfile.h"

enum AvhKind {
  AVH_STEAM,
  AVH_TENDER,
  AVH_TANK_LOCO,
  AVH_DIESEL_HOOD,
  AVH_DIESEL_CAB,
  AVH_SHUNTER,
  AVH_ELECTRIC,
  AVH_COACH,
  AVH_BAGGAGE,
  AVH_CONTROL_CAR,
  AVH_RAILCAR,
  AVH_BOX,
  AVH_TANK,
  AVH_FLAT,
  AVH_HOPPER,
  AVH_OPEN,
  AVH_BRAKE_VAN,
  AVH_EMU_HEAD,
  AVH_EMU_MIDDLE,
  AVH_TRAM_HEAD,
  AVH_TRAM_MIDDLE,
  AVH_TRAM_CLASSIC,
  AVH_BUS,
  AVH_KINDS
};

struct AvhVehicle {
  u8 index;
  u16 length, a, b, c;
  u32 flags;           // the file's flag word
  u8 markerCount;
  GfxVehicleMarker markers[GFX_VEHICLE_MARKERS];
  int kind;            // AvhKind
  u32 body, trim, roof;  // CellPixel colours
  const char* name;
};

struct AvhSet {
  u16 number;
  u32 textNumber;  // the language text of the set's name and texts
  const char* name;
  u16 count;
  AvhVehicle vehicles[GFX_SET_VEHICLES];
};

// The catalogue: sets in ascending number.
int Avh_SetCount(void);
const AvhSet* Avh_Set(int i);
// The set with that number, or null.
const AvhSet* Avh_FindSet(u16 number);

enum { AVH_SIDE_1, AVH_SIDE_2, AVH_TOP_1, AVH_END_1, AVH_TOP_2, AVH_END_2, AVH_VIEWS };
// One view at zoom z: its pixels top row first (the top views as a picture
// width B x z, L / 2 x z rows, not yet turned into columns).
void Avh_View(const AvhVehicle* v, int view, int zoom, std::vector<u32>* px, int* w, int* h);
// All pixels of a vehicle at zoom z in file order.
void Avh_Render(const AvhVehicle* v, int zoom, std::vector<u32>* out);
